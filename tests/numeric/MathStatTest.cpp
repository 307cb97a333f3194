#include "numeric/MathStat.h"

#include <cmath>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/numeric/RecordingProgress.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ErrorAssert.h"

using numeric::Matrix;
using numerictest::RecordingProgress;

namespace {

// Runs f and returns the number of the platform::Error it throws (0 when none).
const Matrix kThreeRows{{1, 2}, {2, 4}, {3, 7}};

// Textbook two-pass Pearson r and sample covariance of columns a and b over
// the rows where neither equals code, in long double.
struct Reference {
    long double r;
    long double cov;
};
Reference reference(const Matrix& X, std::size_t a, std::size_t b, double code)
{
    long double sa = 0, sb = 0;
    int n = 0;
    for (std::size_t k = 0; k < X.rows(); ++k) {
        if (X(k, a) != code && X(k, b) != code) {
            sa += X(k, a);
            sb += X(k, b);
            ++n;
        }
    }
    const long double ma = sa / n, mb = sb / n;
    long double saa = 0, sbb = 0, sab = 0;
    for (std::size_t k = 0; k < X.rows(); ++k) {
        if (X(k, a) != code && X(k, b) != code) {
            saa += (X(k, a) - ma) * (X(k, a) - ma);
            sbb += (X(k, b) - mb) * (X(k, b) - mb);
            sab += (X(k, a) - ma) * (X(k, b) - mb);
        }
    }
    return {sab / std::sqrt(saa * sbb), sab / (n - 1)};
}

} // namespace

TEST(MathStatCorrelation, WorkedExampleGivesCrossProductCorrelationAndCovariance)
{
    Matrix cp(2, 2), r(2, 2, -7), v(2, 2);
    std::vector<double> means;
    MathStat::GetCPLM(kThreeRows, cp, 3, 2, nullptr, &means);
    EXPECT_EQ(cp(1, 0), 5.0);
    EXPECT_EQ(means, (std::vector<double>{2.0, 13.0 / 3.0}));

    MathStat::GetCorrMat(kThreeRows, r, 3, 2);
    expectNearRel(r(1, 0), 0.9933992677987828, 1e-15);
    EXPECT_EQ(r(0, 0), -7);  // diagonal and upper triangle untouched
    EXPECT_EQ(r(0, 1), -7);
    EXPECT_EQ(r(1, 1), -7);

    MathStat::GetCovMat(kThreeRows, v, 3, 2);
    expectNearRel(v(1, 0), 2.5, 1e-15);
    expectNearRel(v(0, 0), 1.0, 1e-15);
    expectNearRel(v(1, 1), 6.333333333333333, 1e-15);
    EXPECT_EQ(v(0, 1), 0.0);
}

TEST(MathStatCorrelation, MissingTwinsEqualCompleteRoutinesWhenCodeIsAbsent)
{
    std::mt19937 rng(20261208);
    std::normal_distribution<double> dist(5.0, 3.0);
    for (int trial = 0; trial < 20; ++trial) {
        const std::size_t rows = 3 + trial, cols = 2 + trial % 6;
        Matrix X(rows, cols);
        for (std::size_t k = 0; k < rows; ++k) {
            for (std::size_t c = 0; c < cols; ++c) {
                X(k, c) = dist(rng);
            }
        }
        const auto nr = static_cast<std::int32_t>(rows), nc = static_cast<std::int32_t>(cols);
        Matrix r1(cols, cols), r2(cols, cols), v1(cols, cols), v2(cols, cols);
        MathStat::GetCorrMat(X, r1, nr, nc);
        MathStat::GetCorrMatMissing(X, r2, nr, nc, nullptr, -999);
        MathStat::GetCovMat(X, v1, nr, nc);
        MathStat::GetCovMatMissing(X, v2, nr, nc, nullptr, -999);
        EXPECT_EQ(r1, r2) << "trial " << trial;
        EXPECT_EQ(v1, v2) << "trial " << trial;
        for (std::size_t i = 0; i < cols; ++i) {
            for (std::size_t j = 0; j <= i; ++j) {
                const Reference ref = reference(X, i, j, -999);
                if (j < i) {
                    expectNearRel(r1(i, j), static_cast<double>(ref.r), 1e-12);
                }
                expectNearRel(v1(i, j), static_cast<double>(ref.cov), 1e-12);
            }
        }
    }
}

TEST(MathStatCorrelation, MissingCodeDropsRowsPairByPairAgainstReference)
{
    std::mt19937 rng(77);
    std::uniform_int_distribution<int> value(0, 9);  // 9 doubles as the code
    for (int trial = 0; trial < 30; ++trial) {
        Matrix X(12, 4);
        for (std::size_t k = 0; k < 12; ++k) {
            for (std::size_t c = 0; c < 4; ++c) {
                X(k, c) = value(rng) + (c == 0 ? 0.5 * (k % 3) : 0.0);
            }
        }
        Matrix r(4, 4), v(4, 4);
        try {
            MathStat::GetCorrMatMissing(X, r, 12, 4, nullptr, 9);
            MathStat::GetCovMatMissing(X, v, 12, 4, nullptr, 9);
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), 6);  // a pair with a constant usable column
            continue;
        }
        for (std::size_t i = 1; i < 4; ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                const Reference ref = reference(X, i, j, 9);
                expectNearRel(r(i, j), static_cast<double>(ref.r), 1e-12);
                expectNearRel(v(i, j), static_cast<double>(ref.cov), 1e-12);
            }
        }
    }
}

TEST(MathStatCorrelation, MissingCodeWorkedExampleUsesFirstTwoRowsOnly)
{
    Matrix X = kThreeRows;
    X(2, 1) = 9;
    EXPECT_EQ(MathStat::CorrPairMissing(X, 3, 2, 1, 0, 9), 1.0);
    EXPECT_EQ(MathStat::CovPairMissing(X, 3, 2, 1, 0, 9), 1.0);
    // The diagonal of the covariance uses every row where that column is present.
    Matrix v(2, 2);
    MathStat::GetCovMatMissing(X, v, 3, 2, nullptr, 9);
    EXPECT_EQ(v(0, 0), 1.0);
    EXPECT_EQ(v(1, 1), 2.0);
}

TEST(MathStatCorrelation, OneColumnWritesOnlyWhatEachRoutineOwns)
{
    const Matrix X{{1}, {2}, {4}};
    Matrix r(1, 1, -1), v(1, 1, -1), rm(1, 1, -1), vm(1, 1, -1);
    MathStat::GetCorrMat(X, r, 3, 1);
    MathStat::GetCovMat(X, v, 3, 1);
    MathStat::GetCorrMatMissing(X, rm, 3, 1, nullptr, -5);
    MathStat::GetCovMatMissing(X, vm, 3, 1, nullptr, -5);
    EXPECT_EQ(r(0, 0), -1);
    expectNearRel(v(0, 0), 7.0 / 3.0, 1e-15);
    EXPECT_EQ(rm(0, 0), -1);
    expectNearRel(vm(0, 0), 7.0 / 3.0, 1e-15);
}

TEST(MathStatCorrelation, TwoRowsGivePerfectCorrelationAndSumOfSquaresCovariance)
{
    const Matrix X{{1, 5, 3}, {2, 1, 3.5}};
    Matrix r(3, 3), v(3, 3), cp(3, 3);
    MathStat::GetCorrMat(X, r, 2, 3);
    MathStat::GetCovMat(X, v, 2, 3);
    MathStat::GetCPLM(X, cp, 2, 3);
    EXPECT_EQ(r(1, 0), -1.0);
    EXPECT_EQ(r(2, 0), 1.0);
    EXPECT_EQ(r(2, 1), -1.0);
    EXPECT_EQ(v(1, 0), cp(1, 0));
    EXPECT_EQ(v(0, 0), 0.5);
}

TEST(MathStatCorrelation, ReportsAndArithmeticFailuresCarryTheirNumbersAndTexts)
{
    struct Row {
        const char* name;
        std::function<void()> call;
        int number;
        const char* source;
        const char* description;
    };
    Matrix out(3, 3);
    const Matrix oneRow{{1, 2}};
    const Matrix constant{{1, 3}, {2, 3}, {4, 3}};
    const std::vector<Row> rows{
        {"CPLM one row", [&] { MathStat::GetCPLM(oneRow, out, 1, 2); }, 1, "GetCPLM",
         "At least two rows of data are needed."},
        {"Corr one row", [&] { MathStat::GetCorrMat(oneRow, out, 1, 2); }, 1, "GetCorrMat:",
         "At least two rows of data are needed."},
        {"Cov one row", [&] { MathStat::GetCovMat(oneRow, out, 1, 2); }, 1, "GetCovMat",
         "At least two variables are needed for calculating covariance matrix."},
        {"Mean no rows", [&] { (void)MathStat::GetMultMean(oneRow, 2, 0); }, 1, "GetMultMean",
         "The input array is empty."},
        {"Corr constant", [&] { MathStat::GetCorrMat(constant, out, 3, 2); }, 6, "GetCorrMat", nullptr},
        {"Pair constant", [&] { (void)MathStat::CorrPairMissing(constant, 3, 2, 1, 0, -1); }, 6, "CorrPairMissing",
         nullptr},
        {"Pair one usable", [&] { (void)MathStat::CorrPairMissing(kThreeRows, 3, 2, 1, 0, 2); }, 6,
         "CorrPairMissing", nullptr},
        {"Cov pair of a column with itself", [&] { (void)MathStat::CovPairMissing(kThreeRows, 3, 2, 0, 0, 2); }, 0, nullptr,
         nullptr},
        {"Cov pair one usable", [&] { (void)MathStat::CovPairMissing(oneRow, 1, 2, 1, 0, -1); }, 6,
         "CovPairMissing", nullptr},
        {"block too small", [&] { MathStat::GetCorrMat(kThreeRows, out, 4, 2); }, 9, "GetCorrMat", nullptr},
        {"result too small", [&] { Matrix small(1, 1); MathStat::GetCovMat(kThreeRows, small, 3, 2); }, 9,
         "GetCovMat", nullptr},
    };
    for (const Row& row : rows) {
        std::string source, description;
        EXPECT_EQ(testsupport::errorNumber(row.call, &source, &description), row.number) << row.name;
        if (row.source != nullptr) {
            EXPECT_EQ(source, row.source) << row.name;
        }
        if (row.description != nullptr) {
            EXPECT_EQ(description, row.description) << row.name;
        }
    }
}

TEST(MathStatCorrelation, PairsBeforeAConstantColumnStayWritten)
{
    const Matrix X{{1, 2, 5, 0}, {2, 3, 5, 1}, {4, 1, 5, 3}};
    Matrix r(4, 4, -3);
    EXPECT_EQ(testsupport::errorNumber([&] { MathStat::GetCorrMat(X, r, 3, 4); }), 6);
    EXPECT_NE(r(1, 0), -3);  // pair (1,0) done
    EXPECT_EQ(r(2, 0), -3);  // pair (2,0) failed: column 2 is constant
    EXPECT_EQ(r(3, 0), -3);
}

TEST(MathStatCorrelation, ProgressCountsPairsBeforeEachPairAndResets)
{
    const Matrix X{{1, 2, 3}, {2, 5, 1}, {4, 4, 4}};
    Matrix cp(3, 3);
    RecordingProgress pb;
    MathStat::GetCPLM(X, cp, 3, 3, &pb);
    EXPECT_EQ(pb.calls, (std::vector<std::string>{"min 0", "max 3", "value 0", "value 1", "value 2", "value 0"}));

    RecordingProgress pc;
    Matrix r(3, 3);
    MathStat::GetCorrMat(X, r, 3, 3, &pc);
    EXPECT_EQ(pc.calls, (std::vector<std::string>{"min 0", "max 3", "value 0", "value 1", "value 2", "value 0",
                                                  "min 0", "max 3", "value 0", "value 1", "value 2", "max 3",
                                                  "value 0", "value 1", "value 2"}));

    RecordingProgress pm;
    MathStat::GetCovMatMissing(X, r, 3, 3, &pm, -1);
    EXPECT_EQ(pm.calls, (std::vector<std::string>{"min 0", "max 3", "value 0", "value 1", "value 2", "max 3",
                                                  "value 0", "value 1", "value 2", "value 0"}));
}

TEST(MathStatCorrelation, CodeEqualToARealValueCountsAsMissing)
{
    const Matrix X{{1, 1}, {2, 3}, {3, 2}, {4, 4}};
    // With code 3 rows 1 and 2 both drop out: (1,1), (4,4) remain.
    EXPECT_EQ(MathStat::CorrPairMissing(X, 4, 2, 1, 0, 3), 1.0);
}

// ---- Descriptive statistics and t tests ---------------------------------

TEST(MathStatCorrelation, SeededMatricesStayBitForBit)
{
    // Digests of the whole result matrices (cells the routines do not own
    // start at 7 and must stay so) and of the progress calls, taken from the
    // routines as they stand, on shapes with odd counts of rows and columns.
    const struct {
        std::size_t rows, cols;
        unsigned seed;
        std::uint64_t digest;
    } shapes[] = {{2, 3, 21, 0x83139c65e7f60c9fULL},
                  {9, 5, 22, 0xb04c1636af4f6543ULL},
                  {257, 37, 23, 0x3187ca9d2e6eb24dULL},
                  {1001, 130, 24, 0x1dc3be5d158d443dULL}};
    for (const auto& shape : shapes) {
        SCOPED_TRACE(testing::Message() << shape.rows << " x " << shape.cols << " seed " << shape.seed);
        std::mt19937_64 gen(shape.seed);
        std::normal_distribution<double> normal(5, 3);
        Matrix X(shape.rows, shape.cols);
        for (std::size_t i = 0; i < shape.rows; ++i) {
            const double common = normal(gen);
            for (std::size_t j = 0; j < shape.cols; ++j) {
                X(i, j) = common * static_cast<double>(j % 4) + normal(gen);
            }
        }
        const auto nRow = static_cast<std::int32_t>(shape.rows);
        const auto nCol = static_cast<std::int32_t>(shape.cols);
        testsupport::BitDigest digest;
        RecordingProgress pb;
        Matrix cp(shape.cols, shape.cols, 7.0), r(shape.cols, shape.cols, 7.0), v(shape.cols, shape.cols, 7.0);
        std::vector<double> means;
        MathStat::GetCPLM(X, cp, nRow, nCol, &pb, &means);
        MathStat::GetCorrMat(X, r, nRow, nCol, &pb);
        MathStat::GetCovMat(X, v, nRow, nCol, &pb);
        for (const Matrix* m : {&cp, &r, &v}) {
            digest.add(std::span<const double>(m->data(), shape.cols * shape.cols));
        }
        digest.add(means);
        for (const std::string& call : pb.calls) {
            digest.add(call);
        }
        EXPECT_EQ(digest.value(), shape.digest) << "digest 0x" << std::hex << digest.value();
    }
}

TEST(MathStatDescriptive, WorkedValues)
{
    expectNearRel(MathStat::Bico(5, 2, 3, 0, 0), 10.0, 1e-10);
    expectNearRel(MathStat::Bico(10, 3, 3, 2, 2), 25200.0, 1e-10);
    EXPECT_EQ(MathStat::AMean(std::vector<double>{4.5}, 1), 4.5);
    EXPECT_EQ(MathStat::AMean(std::vector<double>{1, 2, 6, 99}, 3), 3.0);
    EXPECT_EQ(MathStat::GetVariance(std::vector<double>{1, 2, 3, 4}, 4), 1.6666666666666667);
    EXPECT_EQ(MathStat::GetVariance(std::vector<double>{2, 2}, 2), 0.0);
    EXPECT_EQ(MathStat::GetVariance(std::vector<double>{0.1, 0.1, 0.1}, 3), 0.0);
    // Large offset: the one-pass formula loses every digit here.
    expectNearRel(MathStat::GetVariance(std::vector<double>{1e9 + 1, 1e9 + 2, 1e9 + 3}, 3), 1.0, 1e-12);
}

TEST(MathStatDescriptive, CountToFrequencyAndTotal)
{
    double total = -1;
    EXPECT_EQ(MathStat::Count2Freq(std::vector<double>{1, 3}, 2, &total), (std::vector<double>{0.25, 0.75}));
    EXPECT_EQ(total, 4);
    EXPECT_TRUE(MathStat::Count2Freq(std::vector<double>{0, 0, 0}, 3, &total).empty());
    EXPECT_EQ(total, 0);
    EXPECT_TRUE(MathStat::Count2Freq(std::vector<double>{}, 0).empty());
}

TEST(MathStatDescriptive, WelchTestWorkedValues)
{
    const MathStat::WelchTest w = MathStat::TTestUnequalVar(10, 4, 5, 12, 9, 10);
    expectNearRel(w.se, 1.3038404810405297, 1e-15);
    expectNearRel(w.t, 1.5339299776947408, 1e-15);
    expectNearRel(w.df, 11.56, 1e-14);
    EXPECT_EQ(MathStat::TTestUnequalVar(3, 1, 4, 3, 7, 8).t, 0.0);
}

TEST(MathStatDescriptive, CriticalValuesOfT)
{
    const std::vector<std::pair<int, double>> rows{
        {1, 12.7062}, {2, 4.3027},  {3, 3.1824},   {4, 2.7765},   {5, 2.5706},   {10, 2.2281},  {15, 2.1315},
        {20, 2.086},  {30, 2.0423}, {60, 2.0003},  {79, 1.9905},  {95, 1.9852},  {100, 1.984},  {120, 1.9799},
        {150, 1.9759}, {200, 1.9719}, {201, 1.96 + 2.0 / 201}, {1000, 1.96 + 2.0 / 1000}};
    for (const auto& [df, value] : rows) {
        EXPECT_EQ(MathStat::GetTCV(df), value) << "df " << df;
    }
    for (int df = 2; df <= 201; ++df) {
        EXPECT_LE(MathStat::GetTCV(df), MathStat::GetTCV(df - 1)) << "df " << df;
    }
}

TEST(MathStatDescriptive, BaseConvertersRoundTrip)
{
    const std::vector<double> src{7, 8, 9, 10};
    const std::vector<double> one = MathStat::Base0To1(src, 3);
    EXPECT_EQ(one, (std::vector<double>{0, 7, 8, 9}));
    EXPECT_EQ(MathStat::Base1To0(one, 3), (std::vector<double>{7, 8, 9}));
    EXPECT_TRUE(MathStat::Base1To0(std::vector<double>{}, 0).empty());
}

TEST(MathStatDescriptive, FailuresAreNumberedErrors)
{
    const std::vector<double> two{1, 2};
    struct Row {
        const char* name;
        std::function<void()> call;
        int number;
    };
    const std::vector<Row> rows{
        {"AMean empty", [&] { (void)MathStat::AMean(two, 0); }, 1},
        {"variance of one", [&] { (void)MathStat::GetVariance(two, 1); }, 6},
        {"variance of none", [&] { (void)MathStat::GetVariance(two, 0); }, 6},
        {"Welch size one", [&] { (void)MathStat::TTestUnequalVar(1, 2, 1, 2, 3, 4); }, 11},
        {"Welch zero se equal means", [&] { (void)MathStat::TTestUnequalVar(1, 0, 3, 1, 0, 4); }, 6},
        {"Welch zero se", [&] { (void)MathStat::TTestUnequalVar(1, 0, 3, 2, 0, 4); }, 11},
        {"TCV zero", [&] { (void)MathStat::GetTCV(0); }, 9},
        {"TCV negative", [&] { (void)MathStat::GetTCV(-3); }, 9},
        {"Bico beyond 16 bits", [&] { (void)MathStat::Bico(40000, 1, 1, 0, 0); }, 6},
        {"Bico overflow", [&] { (void)MathStat::Bico(3000, 0, 0, 0, 0); }, 6},
        {"Count2Freq short", [&] { (void)MathStat::Count2Freq(two, 3); }, 9},
        {"Base0To1 short", [&] { (void)MathStat::Base0To1(two, 3); }, 9},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(testsupport::errorNumber(row.call), row.number) << row.name;
    }
    std::string source, description;
    testsupport::errorNumber([&] { (void)MathStat::AMean(two, 0); }, &source, &description);
    EXPECT_EQ(source, "AMean");
    EXPECT_EQ(description, "The input array is empty.");
}
