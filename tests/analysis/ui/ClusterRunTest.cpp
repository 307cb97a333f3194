#include "analysis/ui/ClusterRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "analysis/Geometry.h"
#include "analysis/SOM.h"
#include "analysis/UPGMA.h"
#include "analysis/mCluster.h"
#include "numeric/FormatMatrix.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Rnd.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/StrUtil.h"
#include "shell/core/mQuorin.h"
#include "tests/support/TestSupport.h"
#include "trees/NHAdapter.h"

namespace {

using analysis::ClusterChoice;
using analysis::ClusterRun;
using analysis::MyNode;

// A sheet with a label row and column: rows[i][j] are entered as typed.
spreadsheet::Workbook bookOf(const std::vector<std::vector<std::string>>& rows)
{
    spreadsheet::Workbook book;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < rows[i].size(); ++j) {
            if (!rows[i][j].empty()) {
                book.setCellEntry(1, static_cast<std::int32_t>(i + 1), static_cast<std::int32_t>(j + 1), rows[i][j]);
            }
        }
    }
    return book;
}

// Seeded expression data: `loci` rows of `points` values, labels g1.. and t1..
std::vector<std::vector<std::string>> randomBlock(int loci, int points, unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> value(-300, 300);
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>{"Gene"});
    for (int j = 1; j <= points; ++j) {
        rows[0].push_back("t" + std::to_string(j));
    }
    for (int i = 1; i <= loci; ++i) {
        std::vector<std::string> row{"g" + std::to_string(i)};
        for (int j = 0; j < points; ++j) {
            row.push_back(std::to_string(value(gen) / 100.0));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string rangeOf(int rows, int cols)
{
    return "$A$1:$" + std::string(1, static_cast<char>('A' + cols - 1)) + "$" + std::to_string(rows);
}

struct Outcome {
    std::string refusal;
    std::string report;
    std::unique_ptr<MyNode> tree;
};

Outcome run(const spreadsheet::Workbook& book, const ClusterChoice& choice, mQuorin::ProgramState& state,
            double seed = 7)
{
    platform::rt::RandomSource rng(seed);
    ClusterRun r(choice, state, nullptr, &rng);
    Outcome out;
    out.refusal = r.CheckChoice();
    if (out.refusal.empty()) {
        out.refusal = r.ReadInput(book);
    }
    if (out.refusal.empty()) {
        r.Cluster();
        out.report = r.report();
        out.tree = r.takeTree();
    }
    return out;
}

// One line of the k-means table, as the report writes it.
std::string tableLine(int cluster, std::int32_t size, double error)
{
    return StrUtil::FormatNumRight(cluster, 7, 0) + StrUtil::FormatNumRight(size, 8, 0) +
           StrUtil::FormatNumRight(error, 12, 3) + "\r\n";
}

std::string newick(const MyNode& root)
{
    std::string text;
    trees::NHAdapter::WriteNHBranchLen(root, text);
    return text;
}

std::int32_t leaves(const MyNode& root)
{
    std::int32_t n = 0;
    std::vector<const MyNode*> stack{&root};
    while (!stack.empty()) {
        const MyNode* at = stack.back();
        stack.pop_back();
        n += at->Tip() ? 1 : 0;
        for (const auto& c : at->Children()) {
            stack.push_back(c.get());
        }
    }
    return n;
}

const std::vector<std::vector<std::string>> TwoLoci = {{"", "t1", "t2"}, {"g1", "1", "2"}, {"g2", "3", "5"}};

TEST(ClusterRun, SmallestBlockGivesTwoLociUnderOneInnerNode)
{
    const auto book = bookOf(TwoLoci);
    mQuorin::ProgramState state;
    ClusterChoice c;
    c.inRange = "$A$1:$C$3";
    c.index = 1;
    const Outcome out = run(book, c, state);
    ASSERT_EQ(out.refusal, "");
    EXPECT_EQ(out.report,
              "Cluster analysis\r\n\r\nNumber of loci: 2\r\nNumber of time points: 2\r\n"
              "No missing value specified.\r\nDistance: Euclidean distance\r\n"
              "Clustering method: Average linkage.\r\n");
    ASSERT_EQ(out.tree->childCount(), 2u);
    for (const auto& leaf : out.tree->Children()) {
        EXPECT_TRUE(leaf->Tip());
        EXPECT_DOUBLE_EQ(leaf->BranchLen(), std::sqrt(13.0) / 2);
    }
    EXPECT_TRUE(state.gDataReady);
    EXPECT_EQ(state.gNumRow, 2);
    EXPECT_EQ(state.gNumCol, 2);
    EXPECT_EQ(state.gDataMat, (std::vector<std::vector<double>>{{1, 3}, {2, 5}}));
    EXPECT_EQ(state.gMissingCode, 9.999999);
}

TEST(ClusterRun, HierarchicalTreesEqualTheCoresDirectResults)
{
    const int loci = 15;
    const int points = 6;
    const auto book = bookOf(randomBlock(loci, points, 11));
    for (int method : {0, 1, 2, 3}) {
        for (int index = 0; index < 8; ++index) {
            SCOPED_TRACE("method " + std::to_string(method) + " index " + std::to_string(index));
            mQuorin::ProgramState state;
            ClusterChoice c;
            c.inRange = rangeOf(loci + 1, points + 1);
            c.method = method;
            c.index = index;
            const Outcome out = run(book, c, state, 3);
            ASSERT_EQ(out.refusal, "");

            numeric::Matrix data(static_cast<std::size_t>(points), static_cast<std::size_t>(loci));
            for (int t = 0; t < points; ++t) {
                for (int g = 0; g < loci; ++g) {
                    data(static_cast<std::size_t>(t), static_cast<std::size_t>(g)) =
                        state.gDataMat[static_cast<std::size_t>(t)][static_cast<std::size_t>(g)];
                }
            }
            analysis::DistanceMatrix d;
            Geometry::DisMatByIndex(static_cast<std::int16_t>(index), data, points, loci, true, d, nullptr);
            platform::rt::RandomSource rng(3);
            const std::int16_t rule = method == 3 ? 2 : static_cast<std::int16_t>(method);
            const auto direct = UPGMA::BuildUpgmaTree(std::move(d), loci, rule, state.gRowName, rule != 0, nullptr, &rng);
            EXPECT_EQ(newick(*out.tree), newick(*direct));
            EXPECT_NE(out.report.find("Distance: " + std::string(analysis::DistanceReportName(index, false)) + "\r\n"),
                      std::string::npos);
            EXPECT_TRUE(out.report.ends_with(std::string(analysis::MethodReportLine(method)) + "\r\n"));
        }
    }
}

TEST(ClusterRun, MinimumVarianceIsAverageLinkageWithItsOwnLine)
{
    const auto book = bookOf(randomBlock(20, 4, 5));
    ClusterChoice c;
    c.inRange = rangeOf(21, 5);
    mQuorin::ProgramState s2;
    mQuorin::ProgramState s3;
    const Outcome average = run(book, c, s2);
    c.method = 3;
    const Outcome minVar = run(book, c, s3);
    EXPECT_EQ(newick(*average.tree), newick(*minVar.tree));
    const std::string head = average.report.substr(0, average.report.find("Clustering method"));
    EXPECT_EQ(minVar.report, head + "Clustering method: Average linkage clustering.\r\n");
}

TEST(ClusterRun, DistanceMatrixStandsBetweenDistanceAndMethodLines)
{
    const auto book = bookOf(TwoLoci);
    mQuorin::ProgramState state;
    ClusterChoice c;
    c.inRange = "A1:C3";
    c.index = 1;
    c.showMatrix = true;
    const Outcome out = run(book, c, state);
    numeric::Matrix square{{0, 0}, {std::sqrt(13.0), 0}};
    const std::string matrix = FormatMatrix::FormatDistMat(square, 2, state.gRowName, nullptr, 3);
    EXPECT_NE(out.report.find("Distance: Euclidean distance\r\nDistance matrix:\r\n" + matrix +
                              "\r\nClustering method: Average linkage.\r\n"),
              std::string::npos)
        << out.report;
}

TEST(ClusterRun, MissingValuesAreSkippedWhenDeclared)
{
    auto rows = randomBlock(6, 4, 2);
    rows[2][3] = "";  // one blank value cell
    const auto book = bookOf(rows);
    mQuorin::ProgramState state;
    ClusterChoice c;
    c.inRange = rangeOf(7, 5);
    c.index = 6;
    c.hasMissing = true;
    c.missingText = "-99";
    const Outcome out = run(book, c, state);
    ASSERT_EQ(out.refusal, "");
    EXPECT_NE(out.report.find("Missing value = -99\r\nDistance: Pearson correlation, i.e., (1 - r)\r\n"),
              std::string::npos);
    EXPECT_EQ(state.gDataMat[2][1], -99);
    EXPECT_EQ(leaves(*out.tree), 6);
}

TEST(ClusterRun, RefusesWhatCannotRunBeforeAnyWork)
{
    auto blank = randomBlock(5, 3, 1);
    blank[3][2] = "";
    auto oneLocus = randomBlock(2, 3, 1);
    oneLocus[2] = {"g2"};
    struct Row {
        const char* name;
        std::vector<std::vector<std::string>> rows;
        ClusterChoice choice;
        const char* expected;  // a part of the message
    };
    const auto choice = [](std::string range, int method, bool hasMissing, std::string code, std::int32_t count) {
        ClusterChoice c;
        c.inRange = std::move(range);
        c.method = method;
        c.hasMissing = hasMissing;
        c.missingText = std::move(code);
        c.count = count;
        return c;
    };
    const std::vector<Row> rows = {
        {"range too small", TwoLoci, choice("A1:C2", 2, false, "9.999999", 0), "at least 3 rows and 3 columns"},
        {"range not a range", TwoLoci, choice("A1-C3", 2, false, "9.999999", 0), "\"A1-C3\""},
        {"code not a number", TwoLoci, choice("A1:C3", 2, true, "n/a", 0), "\"n/a\" is not a number"},
        {"code beyond a double below", TwoLoci, choice("A1:C3", 2, true, "-1e400", 0),
         "is too small: a number can be at least -1.79769313486231E+308."},
        {"range past both", TwoLoci, choice("B2:ZZ99999", 2, false, "9.999999", 0),
         "a worksheet holds 16,384 rows and 256 columns (A to IV)."},
        {"blank without missing values", blank, choice("A1:D6", 2, false, "9.999999", 0), "1 empty value cells"},
        {"k-means with missing values", blank, choice("A1:D6", 4, true, "9.999999", 2), "cannot skip missing"},
        {"map with missing values", blank, choice("A1:D6", 6, true, "9.999999", 4), "cannot skip missing"},
        {"one cluster", TwoLoci, choice("A1:C3", 4, false, "9.999999", 1), "at least 2"},
        {"negative count", TwoLoci, choice("A1:C3", 5, false, "9.999999", -3), "at least 2"},
        {"more clusters than loci", TwoLoci, choice("A1:C3", 4, false, "9.999999", 3), "(3) cannot be larger"},
        {"one locus", oneLocus, choice("A1:D3", 2, false, "9.999999", 0), "At least 2 loci"},
    };
    for (const Row& row : rows) {
        const auto book = bookOf(row.rows);
        mQuorin::ProgramState state;
        ClusterChoice c = row.choice;
        if (c.method == 6) {
            c.index = 0;
        }
        const Outcome out = run(book, c, state);
        EXPECT_NE(out.refusal.find(row.expected), std::string::npos) << row.name << ": " << out.refusal;
        EXPECT_EQ(out.tree, nullptr) << row.name;
    }
}

TEST(ClusterRun, TextInTheValuesIsRefusedNamingTheCellWhateverTheMissingCode)
{
    auto rows = randomBlock(3, 3, 4);
    rows[2][2] = "n/a";  // sheet cell C3
    const auto book = bookOf(rows);
    for (const bool hasMissing : {false, true}) {
        SCOPED_TRACE(hasMissing);
        mQuorin::ProgramState state;
        ClusterChoice c;
        c.inRange = "A1:D4";
        c.hasMissing = hasMissing;
        ClusterRun r(c, state);
        EXPECT_EQ(r.ReadInput(book),
                  "Cell C3 holds the text \"n/a\"; the analysis needs numbers. Replace it with a number, or with the "
                  "missing-value code and tick Has missing value.");
        EXPECT_FALSE(r.inputRead());
        EXPECT_FALSE(state.gDataReady) << "the data set is left as it was";
        EXPECT_THROW(r.Cluster(), platform::Error);
        EXPECT_FALSE(r.finished());
    }
}

TEST(ClusterRun, KMeansReportAndTreeFollowThePartition)
{
    const int loci = 30;
    const int points = 5;
    const auto book = bookOf(randomBlock(loci, points, 9));
    for (int method : {4, 5}) {
        SCOPED_TRACE(method);
        mQuorin::ProgramState state;
        ClusterChoice c;
        c.inRange = rangeOf(loci + 1, points + 1);
        c.method = method;
        c.index = 7;  // Spearman runs as Pearson here
        c.count = 4;
        const Outcome out = run(book, c, state);
        ASSERT_EQ(out.refusal, "");

        numeric::Matrix data(loci, points);
        for (int g = 0; g < loci; ++g) {
            for (int t = 0; t < points; ++t) {
                data(static_cast<std::size_t>(g), static_cast<std::size_t>(t)) =
                    state.gDataMat[static_cast<std::size_t>(t)][static_cast<std::size_t>(g)];
            }
        }
        std::vector<std::int32_t> group;
        std::vector<std::int32_t> sizes;
        std::vector<double> errors;
        const bool settled =
            method == 4 ? mCluster::KMeanClustering(data, points, loci, 4, 6, group, sizes, errors, nullptr)
                        : mCluster::JoinClustering(data, points, loci, 4, 6, group, sizes, errors, false, nullptr, 0);
        const auto direct = mCluster::BuildKMeanTree(group, loci, state.gRowName, 4, errors);
        EXPECT_EQ(newick(*out.tree), newick(*direct));

        std::string table;
        for (int k = 0; k < 4; ++k) {
            table += tableLine(k + 1, sizes[static_cast<std::size_t>(k)], errors[static_cast<std::size_t>(k)]);
        }
        EXPECT_NE(out.report.find("Distance: Pearson correlation\r\n" + std::string(analysis::MethodReportLine(method)) +
                                  "\r\nThe quality of a K-mean clustering analysis is measured in two ways:\r\n"),
                  std::string::npos);
        EXPECT_NE(out.report.find("   cluster is. A large value implies a heterogeneous cluster.\r\n\r\n2. An "),
                  std::string::npos);
        EXPECT_NE(out.report.find("Cluster    Size       ERROR\r\n-----------------------------------\r\n" + table +
                                  "-----------------------------------\r\nGlobal error:"),
                  std::string::npos)
            << out.report;
        const bool hasWarning = out.report.find("failed to stablize") != std::string::npos;
        EXPECT_EQ(hasWarning, !settled);
        EXPECT_TRUE(out.report.ends_with(settled ? "\r\n\r\n" : "between two neighboring clusters.\r\n"));
    }
}

TEST(ClusterRun, MapReplacesTheReportWithItsOwn)
{
    const int loci = 25;
    const int points = 4;
    const auto book = bookOf(randomBlock(loci, points, 13));
    mQuorin::ProgramState state;
    ClusterChoice c;
    c.inRange = rangeOf(loci + 1, points + 1);
    c.method = 6;
    c.index = 1;
    c.count = 6;
    const Outcome out = run(book, c, state, 21);
    ASSERT_EQ(out.refusal, "");

    numeric::Matrix data(loci, points);
    for (int g = 0; g < loci; ++g) {
        for (int t = 0; t < points; ++t) {
            data(static_cast<std::size_t>(g), static_cast<std::size_t>(t)) =
                state.gDataMat[static_cast<std::size_t>(t)][static_cast<std::size_t>(g)];
        }
    }
    platform::rt::RandomSource rng(21);
    std::vector<std::int32_t> group;
    std::vector<double> fit;
    std::vector<std::int32_t> sizes;
    std::int32_t clusters = 0;
    std::string report;
    (void)SOM::SOMClustering(data, loci, points, 0.9, 0.01, 40, 2, 6, group, clusters, fit, sizes, report, nullptr,
                             &rng);
    EXPECT_EQ(out.report, report);
    EXPECT_EQ(out.report.find("Number of loci"), std::string::npos);
    EXPECT_EQ(static_cast<std::int32_t>(out.tree->childCount()), clusters) << "no empty cluster nodes";
    EXPECT_EQ(leaves(*out.tree), loci);
}

} // namespace
