#include "analysis/ui/OrdinationRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Value.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/mQuorin.h"

namespace {

using Mat = std::vector<std::vector<double>>;

// A plain cyclic Jacobi, run until the off-diagonal part is at rounding
// level; eigenvalues descending, eigenvectors as columns.
void jacobi(Mat a, std::vector<double>& values, Mat& vectors)
{
    const std::size_t n = a.size();
    vectors.assign(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i) {
        vectors[i][i] = 1;
    }
    for (int sweep = 0; sweep < 100; ++sweep) {
        double off = 0;
        double all = 0;
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) {
                all += a[i][j] * a[i][j];
                off += i != j ? a[i][j] * a[i][j] : 0.0;
            }
        }
        if (off <= 1e-34 * all) {
            break;
        }
        for (std::size_t p = 0; p < n; ++p) {
            for (std::size_t q = p + 1; q < n; ++q) {
                if (a[p][q] == 0) {
                    continue;
                }
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1);
                const double s = t * c;
                for (std::size_t k = 0; k < n; ++k) {
                    const double akp = a[k][p];
                    const double akq = a[k][q];
                    a[k][p] = c * akp - s * akq;
                    a[k][q] = s * akp + c * akq;
                }
                for (std::size_t k = 0; k < n; ++k) {
                    const double apk = a[p][k];
                    const double aqk = a[q][k];
                    a[p][k] = c * apk - s * aqk;
                    a[q][k] = s * apk + c * aqk;
                }
                for (std::size_t k = 0; k < n; ++k) {
                    const double vkp = vectors[k][p];
                    const double vkq = vectors[k][q];
                    vectors[k][p] = c * vkp - s * vkq;
                    vectors[k][q] = s * vkp + c * vkq;
                }
            }
        }
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return a[x][x] > a[y][y]; });
    values.clear();
    Mat sorted(n, std::vector<double>(n));
    for (std::size_t k = 0; k < n; ++k) {
        values.push_back(a[order[k]][order[k]]);
        for (std::size_t i = 0; i < n; ++i) {
            sorted[i][k] = vectors[i][order[k]];
        }
    }
    vectors = sorted;
}

void expectRel(double got, double want, double scale, const std::string& what)
{
    EXPECT_LE(std::fabs(got - want), 1e-9 * std::max(std::fabs(want), scale)) << what << ": " << got << " vs " << want;
}

// Column k of got equals column k of want up to the sign.
void expectColumnUpToSign(const std::vector<double>& got, const std::vector<double>& want, const std::string& what)
{
    double scale = 0;
    for (double w : want) {
        scale = std::max(scale, std::fabs(w));
    }
    std::size_t big = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (std::fabs(want[i]) > std::fabs(want[big])) {
            big = i;
        }
    }
    const double sign = (got[big] < 0) == (want[big] < 0) ? 1.0 : -1.0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        expectRel(sign * got[i], want[i], scale, what + " [" + std::to_string(i) + "]");
    }
}

struct Sheet {
    spreadsheet::Workbook book;
    void put(std::int32_t r, std::int32_t c, const std::string& text) { book.setCellEntry(1, r, c, text); }
    // A labelled block from A1: names in row 1 and column A, values below.
    void block(const Mat& values)
    {
        for (std::size_t j = 0; j < values[0].size(); ++j) {
            put(1, static_cast<std::int32_t>(j + 2), "v" + std::to_string(j + 1));
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            put(static_cast<std::int32_t>(i + 2), 1, "g" + std::to_string(i + 1));
            for (std::size_t j = 0; j < values[i].size(); ++j) {
                book.setCellValue(1, static_cast<std::int32_t>(i + 2), static_cast<std::int32_t>(j + 2),
                                  spreadsheet::Value(values[i][j]));
            }
        }
    }
    double num(std::int32_t sheet, std::int32_t r, std::int32_t c) const { return book.cellValue(sheet, r, c).number(); }
    std::string text(std::int32_t sheet, std::int32_t r, std::int32_t c) const
    {
        return book.cellValue(sheet, r, c).displayText();
    }
};

Mat seeded(std::size_t rows, std::size_t cols, unsigned seed, double lo, double hi)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(lo, hi);
    Mat m(rows, std::vector<double>(cols));
    for (auto& row : m) {
        for (auto& x : row) {
            x = u(gen);
        }
    }
    // Correlated columns, so the components differ clearly.
    for (auto& row : m) {
        for (std::size_t j = 1; j < cols; ++j) {
            row[j] += 0.5 * row[j - 1];
        }
    }
    return m;
}

std::string range(std::size_t rows, std::size_t cols)
{
    return "$A$1:$" + std::string(1, static_cast<char>('A' + cols)) + "$" + std::to_string(rows + 1);
}

TEST(PCARunTest, SheetScoresAndEigenMatchAnIndependentSolver)
{
    for (bool useCorr : {true, false}) {
        SCOPED_TRACE(useCorr ? "correlation" : "covariance");
        const std::size_t n = 40;
        const std::size_t p = 5;
        const Mat x = seeded(n, p, 11, 0, 10);
        Sheet s;
        s.block(x);
        mQuorin::ProgramState state;
        analysis::PCAChoice choice;
        choice.inRange = range(n, p);
        choice.useCorr = useCorr;
        choice.numPCText = "3";
        analysis::PCARun run(choice, state);
        ASSERT_EQ(run.ReadInput(s.book), "");
        run.Compute();
        run.WriteScoresToNewSheet(s.book);
        ASSERT_EQ(s.book.SheetName(1), "PCScore");
        EXPECT_EQ(s.text(1, 1, 2), "PC 1");
        EXPECT_EQ(s.text(1, 2, 1), "g1");

        // The independent route: centre (and scale) the columns, form the
        // matrix, decompose it, project.
        Mat z = x;
        for (std::size_t j = 0; j < p; ++j) {
            double mean = 0;
            for (std::size_t i = 0; i < n; ++i) {
                mean += x[i][j] / n;
            }
            double ss = 0;
            for (std::size_t i = 0; i < n; ++i) {
                ss += (x[i][j] - mean) * (x[i][j] - mean);
            }
            const double sd = std::sqrt(ss / (n - 1));
            for (std::size_t i = 0; i < n; ++i) {
                z[i][j] = (x[i][j] - mean) / (useCorr ? sd : 1.0);
            }
        }
        Mat c(p, std::vector<double>(p, 0.0));
        for (std::size_t a = 0; a < p; ++a) {
            for (std::size_t b = 0; b < p; ++b) {
                for (std::size_t i = 0; i < n; ++i) {
                    c[a][b] += z[i][a] * z[i][b] / (n - 1);
                }
            }
        }
        std::vector<double> values;
        Mat vectors;
        jacobi(c, values, vectors);
        for (std::size_t k = 0; k < p; ++k) {
            expectRel(run.eigenvalues()[k], values[k], 0, "eigenvalue " + std::to_string(k));
        }
        for (std::size_t k = 0; k < 3; ++k) {
            std::vector<double> want(p);
            std::vector<double> got(p);
            for (std::size_t j = 0; j < p; ++j) {
                want[j] = vectors[j][k];
                got[j] = run.eigenvectors()(j, k);
            }
            expectColumnUpToSign(got, want, "loading " + std::to_string(k));
            std::vector<double> wantScore(n);
            std::vector<double> sheetScore(n);
            for (std::size_t i = 0; i < n; ++i) {
                for (std::size_t j = 0; j < p; ++j) {
                    wantScore[i] += z[i][j] * vectors[j][k];
                }
                sheetScore[i] = s.num(1, static_cast<std::int32_t>(i + 2), static_cast<std::int32_t>(k + 2));
            }
            expectColumnUpToSign(sheetScore, wantScore, "score " + std::to_string(k));
        }
    }
}

TEST(PCARunTest, RepeatedRunsAddSheetsWithDistinctNames)
{
    Sheet s;
    s.block(seeded(6, 3, 2, 0, 1));
    mQuorin::ProgramState state;
    for (int round = 0; round < 2; ++round) {
        analysis::PCAChoice choice;
        choice.inRange = range(6, 3);
        analysis::PCARun run(choice, state);
        ASSERT_EQ(run.ReadInput(s.book), "");
        run.Compute();
        run.WriteScoresToNewSheet(s.book);
    }
    EXPECT_EQ(s.book.NumSheets(), 3);
    // Each lands in front of the data sheet, which stays active.
    EXPECT_EQ(s.book.SheetName(1), "PCScore");
    EXPECT_EQ(s.book.SheetName(2), "PCScore2");
    EXPECT_EQ(s.book.Sheet(), 3);
}

TEST(CARunTest, OutputSheetMatchesAnIndependentDecomposition)
{
    const std::size_t r = 7;
    const std::size_t c = 5;
    Mat f = seeded(r, c, 23, 1, 20);
    for (auto& row : f) {
        for (auto& x : row) {
            x = std::round(x);
        }
    }
    Sheet s;
    s.block(f);
    mQuorin::ProgramState state;
    analysis::CAChoice choice;
    choice.inRange = range(r, c);
    choice.numAxisText = "9";  // lowered to min(r, c) - 1 = 4
    analysis::CARun run(choice, state);
    ASSERT_EQ(run.ReadInput(s.book), "");
    EXPECT_EQ(run.nAxis(), 4);
    run.Compute();
    run.WriteOutputSheet(s.book);
    const std::int32_t sh = s.book.NumSheets();
    ASSERT_EQ(s.book.SheetName(sh), "CA Output");
    EXPECT_EQ(s.book.Sheet(), sh);
    EXPECT_EQ(s.text(sh, 1, 1), "Correspondence analysis");
    EXPECT_EQ(s.text(sh, 3, 1), "M matrix:");

    double total = 0;
    std::vector<double> rs(r, 0.0);
    std::vector<double> cs(c, 0.0);
    for (std::size_t i = 0; i < r; ++i) {
        for (std::size_t j = 0; j < c; ++j) {
            rs[i] += f[i][j];
            cs[j] += f[i][j];
            total += f[i][j];
        }
    }
    Mat m(r, std::vector<double>(c));
    for (std::size_t i = 0; i < r; ++i) {
        for (std::size_t j = 0; j < c; ++j) {
            m[i][j] = f[i][j] / std::sqrt(rs[i] * cs[j]);
            expectRel(s.num(sh, static_cast<std::int32_t>(4 + i), static_cast<std::int32_t>(1 + j)), m[i][j], 0, "M");
        }
    }
    Mat q(c, std::vector<double>(c, 0.0));
    for (std::size_t a = 0; a < c; ++a) {
        for (std::size_t b = 0; b < c; ++b) {
            for (std::size_t i = 0; i < r; ++i) {
                q[a][b] += m[i][a] * m[i][b];
            }
        }
    }
    std::vector<double> values;
    Mat v;
    jacobi(q, values, v);
    const std::int32_t k = 4;
    const std::int32_t t1 = static_cast<std::int32_t>(r) + 5;
    EXPECT_EQ(s.text(sh, t1, 1), "The first 5 eigenvalues:");
    for (std::int32_t a = 0; a <= k; ++a) {
        expectRel(s.num(sh, t1 + 1 + a, 1), values[static_cast<std::size_t>(a)], 1e-3, "eigenvalue");
    }
    const std::int32_t t2 = t1 + 1 + k + 2;
    const std::int32_t t3 = t2 + 1 + static_cast<std::int32_t>(r) + 1;
    EXPECT_EQ(s.text(sh, t3, 1), "Row ordination:");
    EXPECT_EQ(s.text(sh, t3 + 1, 3), "CA 1");
    const std::int32_t t4 = t3 + 1 + static_cast<std::int32_t>(r) + 2;
    const std::int32_t t5 = t4 + 1 + static_cast<std::int32_t>(c) + 2;
    EXPECT_EQ(s.text(sh, t5, 1), "Column ordination:");
    for (std::int32_t a = 1; a <= k; ++a) {
        const auto ua = static_cast<std::size_t>(a);
        std::vector<double> wantCol(c);
        std::vector<double> gotCol(c);
        for (std::size_t j = 0; j < c; ++j) {
            wantCol[j] = std::sqrt(total) * v[j][ua] / std::sqrt(cs[j]);
            gotCol[j] = s.num(sh, t5 + 2 + static_cast<std::int32_t>(j), 2 + a);
        }
        expectColumnUpToSign(gotCol, wantCol, "column ordination " + std::to_string(a));
        std::vector<double> wantRow(r);
        std::vector<double> gotRow(r);
        for (std::size_t i = 0; i < r; ++i) {
            double u = 0;
            for (std::size_t j = 0; j < c; ++j) {
                u += m[i][j] * v[j][ua];
            }
            wantRow[i] = std::sqrt(total) * u / std::sqrt(values[ua]) / std::sqrt(rs[i]);
            gotRow[i] = s.num(sh, t3 + 2 + static_cast<std::int32_t>(i), 2 + a);
        }
        expectColumnUpToSign(gotRow, wantRow, "row ordination " + std::to_string(a));
    }
    const std::int32_t t6 = t5 + 1 + static_cast<std::int32_t>(c) + 2;
    EXPECT_EQ(s.text(sh, t6, 1), "Row-Column correlations:");
    for (std::int32_t a = 1; a <= k; ++a) {
        expectRel(s.num(sh, t6 + a, 1), std::sqrt(values[static_cast<std::size_t>(a)]), 0, "correlation");
    }
    std::vector<std::vector<double>> coords;
    std::vector<std::string> labels;
    run.PlotPoints(coords, labels);
    ASSERT_EQ(labels.size(), r + c);
    EXPECT_EQ(labels[r], "v1");
}

// A block with negative values (log-ratios) is analysed as the same block
// moved up by the absolute value of its minimum: the whole output sheet
// equals that of the block shifted by hand.
TEST(CARunTest, NegativeValuesAreShiftedByTheirMinimum)
{
    const std::size_t r = 9;
    const std::size_t c = 4;
    const Mat f = seeded(r, c, 5, -3, 2);
    double smallest = 0;
    for (const auto& row : f) {
        smallest = std::min(smallest, *std::min_element(row.begin(), row.end()));
    }
    ASSERT_LT(smallest, 0);
    Mat shifted = f;
    for (auto& row : shifted) {
        for (auto& x : row) {
            x += std::fabs(smallest);
        }
    }
    auto analyse = [&](const Mat& values, Sheet& s, double& shift) {
        s.block(values);
        mQuorin::ProgramState state;
        analysis::CARun run({range(r, c), "3"}, state);
        EXPECT_EQ(run.ReadInput(s.book), "");
        run.Compute();
        run.WriteOutputSheet(s.book);
        shift = run.shift();
    };
    Sheet negative;
    Sheet byHand;
    double shiftNegative = -1;
    double shiftByHand = -1;
    analyse(f, negative, shiftNegative);
    analyse(shifted, byHand, shiftByHand);
    EXPECT_EQ(shiftNegative, std::fabs(smallest));
    EXPECT_EQ(shiftByHand, 0.0);
    const std::int32_t sheet = negative.book.NumSheets();
    ASSERT_EQ(sheet, byHand.book.NumSheets());
    ASSERT_EQ(negative.book.lastUsedRow(sheet), byHand.book.lastUsedRow(sheet));
    ASSERT_GT(negative.book.lastUsedRow(sheet), static_cast<std::int32_t>(3 * r));
    for (std::int32_t i = 1; i <= negative.book.lastUsedRow(sheet); ++i) {
        for (std::int32_t j = 1; j <= negative.book.lastUsedCol(sheet); ++j) {
            ASSERT_EQ(negative.book.cellValue(sheet, i, j), byHand.book.cellValue(sheet, i, j))
                << spreadsheet::cellRefText(i, j);
        }
    }
    // The M matrix is that of the shifted values: its smallest entry is 0.
    double smallestM = 1;
    for (std::size_t i = 0; i < r; ++i) {
        for (std::size_t j = 0; j < c; ++j) {
            smallestM = std::min(smallestM, negative.num(sheet, static_cast<std::int32_t>(4 + i),
                                                         static_cast<std::int32_t>(1 + j)));
        }
    }
    EXPECT_EQ(smallestM, 0.0);
}

// A block of expression values written into a fresh sheet in one transfer.
void fillBlock(spreadsheet::Workbook& book, std::int32_t rows, std::int32_t cols, unsigned seed)
{
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    spreadsheet::ValueTable table(rows + 1, cols + 1);
    for (std::int32_t j = 1; j <= cols; ++j) {
        table.at(0, j) = spreadsheet::Value("c" + std::to_string(j));
    }
    for (std::int32_t i = 1; i <= rows; ++i) {
        table.at(i, 0) = spreadsheet::Value(std::to_string(1000 + i) + "_at");
        for (std::int32_t j = 1; j <= cols; ++j) {
            table.at(i, j) = spreadsheet::Value(noise(gen));
        }
    }
    book.CopyDataFromArray(1, 1, 1, rows + 1, cols + 1, false, table);
}

std::string blockRange(std::int32_t rows, std::int32_t cols)
{
    return "$A$1:$" + spreadsheet::columnLetters(cols + 1) + "$" + std::to_string(rows + 1);
}

// The output sheet stacks three rows per data row: a block whose output
// would pass the sheet's last row is refused before it is analysed, and the
// largest one that fits is written to the last row the layout names.
TEST(CARunTest, OutputThatDoesNotFitTheSheetIsRefusedBeforeTheAnalysis)
{
    struct Case {
        std::int32_t rows;
        std::int32_t cols;
        const char* refusal;  // "" when it fits
    };
    const std::vector<Case> cases = {
        {5451, 3, ""},  // last row 3 x 5451 + 29 = 16382
        {5452, 3,
         "The output of a correspondence analysis of 5452 rows and 3 columns needs 16385 worksheet rows, and a "
         "worksheet holds 16384. Please analyse at most 5451 rows at a time."},
        {12625, 128,
         "The output of a correspondence analysis of 12625 rows and 128 columns needs 38154 worksheet rows, and a "
         "worksheet holds 16384. Please analyse at most 5368 rows at a time."},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.rows) + " x " + std::to_string(k.cols));
        spreadsheet::Workbook book;
        fillBlock(book, k.rows, k.cols, 3);
        mQuorin::ProgramState state;
        analysis::CARun run({blockRange(k.rows, k.cols), "2"}, state);
        EXPECT_EQ(run.ReadInput(book), k.refusal);
        if (*k.refusal != '\0') {
            EXPECT_FALSE(run.inputRead());
            EXPECT_FALSE(state.gDataReady);
            continue;
        }
        run.Compute();
        run.WriteOutputSheet(book);
        ASSERT_EQ(book.NumSheets(), 2);
        const auto layout = analysis::CAOutputLayout::of(k.rows, k.cols, 2);
        EXPECT_EQ(book.lastUsedRow(2), layout.lastRow);
        EXPECT_EQ(book.cellValue(2, layout.correlations, 1).displayText(), "Row-Column correlations:");
        EXPECT_EQ(book.cellValue(2, layout.rowOrdination + 1 + k.rows, 1).displayText(),
                  std::to_string(1000 + k.rows) + "_at");
    }
}

// A write that fails half way takes its sheet away again and gives the
// active sheet back before the error passes on.
TEST(CARunTest, AFailedWriteLeavesNoSheetBehind)
{
    Sheet s;
    s.block(seeded(6, 4, 9, 1, 5));
    s.book.InsertSheets(2, 1);
    s.book.setSheet(1);
    mQuorin::ProgramState state;
    analysis::CARun run({range(6, 4), "2"}, state);
    ASSERT_EQ(run.ReadInput(s.book), "");
    run.Compute();
    int changes = 0;
    s.book.setChangeCallback([&changes] {
        if (++changes == 6) {
            throw platform::Error(platform::err::OutOfMemory, "test", "no room");
        }
    });
    EXPECT_THROW(run.WriteOutputSheet(s.book), platform::Error);
    s.book.setChangeCallback({});
    EXPECT_GT(changes, 6);  // the sheet was appended, then taken away
    EXPECT_EQ(s.book.NumSheets(), 2);
    EXPECT_EQ(s.book.Sheet(), 1);
    EXPECT_EQ(s.book.SheetName(2), "Sheet2");
    // Once it can, the same run writes its sheet.
    run.WriteOutputSheet(s.book);
    EXPECT_EQ(s.book.NumSheets(), 3);
    EXPECT_EQ(s.book.SheetName(3), "CA Output");
}

// The analyses read their block into their own copy: the program's data set
// (what was clustered) is neither replaced nor standardised, and a second
// computation starts from the values read.
TEST(PCARunTest, TheProgramDataSetIsLeftAsItWas)
{
    Sheet s;
    const Mat f = seeded(12, 4, 31, -2, 6);
    s.block(f);
    mQuorin::ProgramState state;
    state.gDataMat = {{1, 2, 3}, {4, 5, 7}};
    state.gRowName = {"a", "b", "c"};
    state.gColName = {"t1", "t2"};
    state.gNumRow = 3;
    state.gNumCol = 2;
    const auto dataMat = state.gDataMat;
    const auto rowNames = state.gRowName;
    const auto colNames = state.gColName;
    for (bool useCorr : {true, false}) {
        SCOPED_TRACE(useCorr);
        analysis::PCAChoice choice;
        choice.inRange = range(12, 4);
        choice.useCorr = useCorr;
        analysis::PCARun run(choice, state);
        ASSERT_EQ(run.ReadInput(s.book), "");
        run.Compute();
        const numeric::Matrix first = run.scores();
        run.Compute();
        for (std::size_t i = 0; i < 12; ++i) {
            EXPECT_EQ(run.scores()(i, 0), first(i, 0));
        }
        EXPECT_EQ(run.rowNames().front(), "g1");
        analysis::CARun ca({range(12, 4), "2"}, state);
        ASSERT_EQ(ca.ReadInput(s.book), "");
        ca.Compute();
        EXPECT_EQ(state.gDataMat, dataMat);
        EXPECT_EQ(state.gRowName, rowNames);
        EXPECT_EQ(state.gColName, colNames);
        EXPECT_EQ(state.gNumRow, 3);
        EXPECT_EQ(state.gNumCol, 2);
    }
}

TEST(CorrRunTest, LowerTriangleMatchesPearson)
{
    struct Case {
        bool labels;
        bool byCol;
    };
    for (const Case& k : {Case{true, true}, Case{false, true}, Case{true, false}}) {
        SCOPED_TRACE(std::to_string(k.labels) + std::to_string(k.byCol));
        Sheet s;
        const Mat x = seeded(6, 4, 5, -3, 3);
        for (std::size_t i = 0; i < 6; ++i) {
            for (std::size_t j = 0; j < 4; ++j) {
                s.book.setCellValue(1, static_cast<std::int32_t>(i + 1), static_cast<std::int32_t>(j + 1),
                                    spreadsheet::Value(x[i][j]));
            }
        }
        if (k.labels && k.byCol) {
            for (std::int32_t j = 1; j <= 4; ++j) {
                s.put(1, j, "name" + std::to_string(j));
            }
        }
        if (k.labels) {
            if (!k.byCol) {
                for (std::int32_t i = 1; i <= 6; ++i) {
                    s.put(i, 1, "r" + std::to_string(i));
                }
            }
        }
        analysis::CorrRun run({"A1:D6", k.labels, k.byCol});
        ASSERT_EQ(run.ReadInput(s.book), "");
        run.Compute();
        s.book.setSheet(1);
        run.WriteToNewSheet(s.book);
        // The variables as vectors, from the sheet layout.
        Mat vars;
        const std::size_t r0 = k.labels && k.byCol ? 1 : 0;
        const std::size_t c0 = k.labels && !k.byCol ? 1 : 0;
        if (k.byCol) {
            for (std::size_t j = c0; j < 4; ++j) {
                std::vector<double> v;
                for (std::size_t i = r0; i < 6; ++i) {
                    v.push_back(x[i][j]);
                }
                vars.push_back(v);
            }
        } else {
            for (std::size_t i = r0; i < 6; ++i) {
                std::vector<double> v;
                for (std::size_t j = c0; j < 4; ++j) {
                    v.push_back(x[i][j]);
                }
                vars.push_back(v);
            }
        }
        const std::size_t nv = vars.size();
        EXPECT_EQ(s.text(1, 1, 1), "");
        EXPECT_EQ(s.text(1, 1, 2), k.labels ? (k.byCol ? "name1" : "r1") : (k.byCol ? "Col1" : "Row1"));
        for (std::size_t a = 0; a < nv; ++a) {
            for (std::size_t b = 0; b < nv; ++b) {
                const auto row = static_cast<std::int32_t>(a + 2);
                const auto col = static_cast<std::int32_t>(b + 2);
                if (b >= a) {
                    EXPECT_TRUE(s.book.cellValue(1, row, col).isEmpty());
                    continue;
                }
                const auto& u = vars[a];
                const auto& w = vars[b];
                const double mu = std::accumulate(u.begin(), u.end(), 0.0) / u.size();
                const double mw = std::accumulate(w.begin(), w.end(), 0.0) / w.size();
                double suw = 0, suu = 0, sww = 0;
                for (std::size_t i = 0; i < u.size(); ++i) {
                    suw += (u[i] - mu) * (w[i] - mw);
                    suu += (u[i] - mu) * (u[i] - mu);
                    sww += (w[i] - mw) * (w[i] - mw);
                }
                expectRel(s.num(1, row, col), suw / std::sqrt(suu * sww), 0, "r");
            }
        }
    }
}

// Bad input is refused before any work, with a message that says why.
TEST(OrdinationRunTest, BadInputIsRefused)
{
    struct Case {
        const char* what;
        std::vector<std::vector<std::string>> cells;
        const char* range;
        const char* expected;  // part of the refusal
    };
    const std::vector<Case> cases = {
        {"pca too small", {{"", "a", "b"}, {"g", "1", "2"}}, "A1:C2", "at least 3 rows and 3 columns"},
        {"pca empty cell", {{"", "a", "b"}, {"g", "1", "2"}, {"h", "", "3"}, {"i", "4", "1"}}, "A1:C4", "empty value"},
        {"pca constant", {{"", "a", "b"}, {"g", "1", "2"}, {"h", "1", "3"}, {"i", "1", "1"}}, "A1:C4", "\"a\" holds one"},
        // After the shift by 2 the row of minima sums to 0.
        {"ca row at the minimum", {{"", "a", "b"}, {"g", "1", "2"}, {"h", "-2", "-2"}, {"i", "4", "1"}}, "A1:C4",
         "row \"h\" sums to 0"},
        {"ca column at the minimum", {{"", "a", "b"}, {"g", "-1", "2"}, {"h", "-1", "3"}, {"i", "-1", "1"}}, "A1:C4",
         "column \"a\" sums to 0"},
        {"ca negative and empty", {{"", "a", "b"}, {"g", "-1", "2"}, {"h", "", "3"}, {"i", "4", "1"}}, "A1:C4",
         "empty value"},
        {"ca zero row", {{"", "a", "b"}, {"g", "1", "2"}, {"h", "0", "0"}, {"i", "4", "1"}}, "A1:C4", "row \"h\" sums to 0"},
        {"ca zero col", {{"", "a", "b", "c"}, {"g", "1", "0", "2"}, {"h", "2", "0", "1"}, {"i", "4", "0", "1"}}, "A1:D4",
         "column \"b\" sums to 0"},
        {"ca empty", {{"", "a", "b"}, {"g", "1", "2"}, {"h", "", "3"}, {"i", "4", "1"}}, "A1:C4", "empty value"},
        {"corr constant", {{"1", "2", "5"}, {"2", "2", "3"}, {"3", "2", "1"}}, "A1:C3", "\"Col2\" holds one"},
        {"corr empty", {{"1", "2", "5"}, {"2", "", "3"}, {"3", "2", "1"}}, "A1:C3", "empty value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sheet s;
        for (std::size_t i = 0; i < c.cells.size(); ++i) {
            for (std::size_t j = 0; j < c.cells[i].size(); ++j) {
                if (!c.cells[i][j].empty()) {
                    s.put(static_cast<std::int32_t>(i + 1), static_cast<std::int32_t>(j + 1), c.cells[i][j]);
                }
            }
        }
        mQuorin::ProgramState state;
        std::string refusal;
        const std::string what = c.what;
        if (what.starts_with("pca")) {
            analysis::PCAChoice choice;
            choice.inRange = c.range;
            choice.hasMissing = false;
            refusal = analysis::PCARun(choice, state).ReadInput(s.book);
        } else if (what.starts_with("ca")) {
            refusal = analysis::CARun({c.range, "2"}, state).ReadInput(s.book);
        } else {
            refusal = analysis::CorrRun({c.range, false, true}).ReadInput(s.book);
        }
        EXPECT_NE(refusal.find(c.expected), std::string::npos) << refusal;
    }
}

TEST(OrdinationRunTest, TextInAValueCellIsRefusedNamingTheCell)
{
    Sheet s;
    s.block(seeded(4, 3, 1, 0, 1));
    s.put(4, 3, "NA");
    mQuorin::ProgramState state;
    analysis::PCAChoice choice;
    choice.inRange = range(4, 3);
    EXPECT_EQ(analysis::PCARun(choice, state).ReadInput(s.book),
              "Cell C4 holds the text \"NA\"; the analysis needs numbers. Replace it with a number, or with the "
              "missing-value code and tick Has missing value.");
    EXPECT_EQ(analysis::CARun({range(4, 3), "2"}, state).ReadInput(s.book),
              "Cell C4 holds the text \"NA\"; the analysis needs numbers. Replace it with a number.");
    EXPECT_EQ(analysis::CorrRun({"B1:D5", true, true}).ReadInput(s.book),
              "Cell C4 holds the text \"NA\"; the analysis needs numbers. Replace it with a number.");
    EXPECT_FALSE(state.gDataReady);
}

} // namespace
