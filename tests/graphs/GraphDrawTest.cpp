#include "graphs/GraphDraw.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "graphs/GraphData.h"
#include "graphs/GraphZoom.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Error.h"
#include "platform/widgets/graph/GraphModel.h"
#include "tests/support/TestSupport.h"

namespace {

using platform::Answer;
using platform::GraphModel;
using platform::ScriptedDialogs;

struct Table {
    std::vector<double> x;
    std::vector<std::vector<double>> data;  // [point][set]
};

// Point p of set s is s * 100 + p + 0.5 (never whole), X is p + 1.
Table makeTable(int points, int sets)
{
    Table t;
    for (int p = 0; p < points; ++p) {
        t.x.push_back(p + 1);
        std::vector<double> row;
        for (int s = 0; s < sets; ++s) {
            row.push_back(s * 100 + p + 0.5);
        }
        t.data.push_back(row);
    }
    return t;
}

struct Fixture : ::testing::Test {
    ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{dialogs};
    GraphModel graph;
    graphs::GraphWindowState state;

    graphs::DrawGraphResult draw(const Table& t, std::int32_t& n, std::int32_t m, std::string& type,
                                 const std::vector<std::string>* setLabels = nullptr,
                                 const std::vector<std::string>* pointLabels = nullptr)
    {
        return graphs::DrawGraph(graph, state, t.x, t.data, n, m, "X title", "Y title", type, setLabels, true, true,
                                 pointLabels);
    }
};

using DrawGraphTest = Fixture;

TEST_F(DrawGraphTest, LoadsValuesTitlesAndAxes)
{
    const Table t = makeTable(10, 3);
    std::int32_t n = 10;
    std::string type = "line";
    const std::vector<std::string> names{"a", "b", "c"};
    draw(t, n, 3, type, &names);
    EXPECT_EQ(graph.numSets(), 3);
    EXPECT_EQ(graph.numPoints(), 10);
    EXPECT_EQ(graph.value(2, 9), 209.5);
    EXPECT_EQ(graph.x(9), 10);
    EXPECT_EQ(graph.chartType(), platform::GraphType::Line);
    EXPECT_EQ(graph.axis(platform::GraphAxis::X).title, "X title");
    EXPECT_EQ(graph.legendText(1), "b");
    EXPECT_EQ(graph.setColorIndex(2), 3);
    EXPECT_EQ(state.SetNames, names);
    EXPECT_EQ(state.GraphTitle, "X title");
    EXPECT_EQ(graph.axis(platform::GraphAxis::X).min, state.XAxisMin);
    EXPECT_EQ(graph.axis(platform::GraphAxis::Y).max, state.YAxisMax);
    EXPECT_EQ(dialogs.calls().size(), 0u);
}

TEST_F(DrawGraphTest, KeywordsChooseTheChartType)
{
    const struct {
        const char* keyword;
        platform::GraphType type;
    } rows[] = {{"SCATTER", platform::GraphType::Scatter}, {"line", platform::GraphType::Line},
                {"LogY", platform::GraphType::LogY},       {"POLAR", platform::GraphType::Polar},
                {"2dbar", platform::GraphType::Bar2D},     {"3DBAR", platform::GraphType::Bar3D},
                {"AREA", platform::GraphType::AreaAlt},    {"GANTT", platform::GraphType::Gantt}};
    const Table t = makeTable(5, 2);
    for (const auto& row : rows) {
        std::int32_t n = 5;
        std::string type = row.keyword;
        draw(t, n, 2, type);
        EXPECT_EQ(graph.chartType(), row.type) << row.keyword;
    }
}

TEST_F(DrawGraphTest, UnknownKeywordKeepsThePreviousTypeAfterAMessage)
{
    const Table t = makeTable(5, 1);
    std::int32_t n = 5;
    std::string type = "POLAR";
    draw(t, n, 1, type);
    type = "BUBBLE";
    draw(t, n, 1, type);
    ASSERT_EQ(dialogs.calls().size(), 1u);
    EXPECT_EQ(dialogs.last().text, "Unimplemented chart type");
    EXPECT_EQ(dialogs.last().title, "Error!");
    EXPECT_EQ(graph.chartType(), platform::GraphType::Polar);
    EXPECT_EQ(graph.numPoints(), 5) << "the drawing goes on";
}

TEST_F(DrawGraphTest, LargeThreeDimensionalDrawingAsksFirst)
{
    {
        const Table t = makeTable(200, 10);
        std::int32_t n = 200;
        std::string type = "3dbar";
        draw(t, n, 10, type);
        EXPECT_TRUE(dialogs.calls().empty()) << "2000 values: no question";
        EXPECT_EQ(type, "3dbar");
    }
    const Table t = makeTable(600, 10);
    std::int32_t n = 600;
    std::string type = "3dbar";
    dialogs.answer(Answer::No);
    draw(t, n, 10, type);
    ASSERT_EQ(dialogs.calls().size(), 1u);
    EXPECT_EQ(dialogs.last().title, "Warning");
    EXPECT_EQ(dialogs.last().text,
              "The three dimensional drawing may be quite slow. Are you willing to wait?\r\n\r\n"
              "Click Yes if you are willing to wait, or click no to do a 2-D chart.");
    EXPECT_EQ(type, "2dbar");
    EXPECT_EQ(graph.chartType(), platform::GraphType::Bar2D);
    type = "3DBAR";
    dialogs.answer(Answer::Yes);
    draw(t, n, 10, type);
    EXPECT_EQ(graph.chartType(), platform::GraphType::Bar3D);
}

TEST_F(DrawGraphTest, MoreThan32767PointsAreCutWhenTheUserAgrees)
{
    const Table t = makeTable(32768, 2);
    std::int32_t n = 32768;
    std::string type = "SCATTER";
    dialogs.answer(Answer::Yes);
    draw(t, n, 2, type);
    EXPECT_EQ(n, 32767);
    EXPECT_EQ(graph.numPoints(), 32767);
    EXPECT_EQ(graph.value(1, 32766), t.data[32766][1]);
    EXPECT_NE(dialogs.last().text.find("You have 32768 data points"), std::string::npos);
}

TEST_F(DrawGraphTest, DecliningThePointLimitDrawsNothing)
{
    const Table small = makeTable(4, 1);
    std::int32_t n4 = 4;
    std::string type = "SCATTER";
    draw(small, n4, 1, type);
    const Table t = makeTable(40000, 1);
    std::int32_t n = 40000;
    dialogs.answer(Answer::No);
    try {
        draw(t, n, 1, type);
        FAIL() << "expected the refusal";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.source(), "DrawGraph");
        EXPECT_EQ(e.description(), "Too many data points");
    }
    EXPECT_EQ(n, 40000);
    EXPECT_EQ(graph.numPoints(), 4) << "the graph keeps the previous drawing";
}

TEST_F(DrawGraphTest, OneSetIsNamedAfterTheYTitleAndWritesNoLegend)
{
    std::vector<double> x{1, 2, 3}, y{0.5, 0.25, 0.125};
    const std::vector<std::string> labels{"g1", "g2", "g3"};
    std::string type = "SCATTER";
    const auto result = graphs::Graph2To3(graph, state, x, y, 3, "PC1", "PC2", type, true, true, &labels);
    EXPECT_TRUE(result.pointLabelsGiven);
    ASSERT_EQ(state.SetNames.size(), 1u);
    EXPECT_EQ(state.SetNames[0], "PC2");
    EXPECT_FALSE(graph.hasLegend());
    EXPECT_TRUE(graph.dataLabelsVisible());
    EXPECT_EQ(graph.pointLabel(2), "g3");
}

TEST_F(DrawGraphTest, ShortArraysRaiseSubscriptErrors)
{
    const Table t = makeTable(3, 1);
    std::int32_t n = 5;
    std::string type = "LINE";
    try {
        draw(t, n, 1, type);
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::Subscript);
    }
}

TEST_F(DrawGraphTest, ManySetsWithoutLabelsAreNamedY1Y2)
{
    const Table t = makeTable(3, 3);
    std::int32_t n = 3;
    std::string type = "LINE";
    draw(t, n, 3, type);
    EXPECT_EQ(state.SetNames, (std::vector<std::string>{"Y1", "Y2", "Y3"}));
}

TEST(GraphSubsets, RePlotThenRestoreBringsBackEverySet)
{
    GraphModel graph;
    graph.setCounts(5, 4);
    for (int s = 0; s < 5; ++s) {
        graph.setLegendText(s, "set" + std::to_string(s + 1));
        for (int p = 0; p < 4; ++p) {
            graph.setValue(s, p, s + p / 3.0);  // not representable in single precision
        }
    }
    const auto original = graphs::SaveGraphData(graph);
    graphs::GraphSubsets subsets;
    subsets.RePlot(graph, {1, 3});
    EXPECT_EQ(graph.numSets(), 2);
    EXPECT_EQ(graph.legendText(0), "set2");
    EXPECT_EQ(graph.legendText(1), "set4");
    EXPECT_EQ(graph.value(1, 2), 3 + 2 / 3.0);
    EXPECT_EQ(subsets.pickedSetNames(), (std::vector<std::string>{"set2", "set4"}));

    // A second re-plot before the restore picks among the shown pair and
    // must not make that pair the data a restore brings back.
    subsets.RePlot(graph, {1});
    EXPECT_EQ(graph.numSets(), 1);
    EXPECT_EQ(graph.legendText(0), "set4");

    ASSERT_TRUE(subsets.Restore(graph));
    const auto restored = graphs::SaveGraphData(graph);
    EXPECT_EQ(restored.numSets, 5);
    EXPECT_EQ(restored.setNames, original.setNames);
    EXPECT_EQ(restored.values, original.values) << "values keep double precision";
    EXPECT_FALSE(subsets.isSubsetShown());
}

TEST(GraphSubsets, EmptyChoiceAndRestoreWithoutSaveChangeNothing)
{
    GraphModel graph;
    graph.setCounts(2, 3);
    graph.setValue(1, 2, 9);
    graphs::GraphSubsets subsets;
    subsets.RePlot(graph, {});
    EXPECT_FALSE(subsets.Restore(graph));
    EXPECT_EQ(graph.numSets(), 2);
    EXPECT_EQ(graph.value(1, 2), 9);
    EXPECT_THROW(subsets.RePlot(graph, {2}), platform::Error);
}

TEST_F(DrawGraphTest, TabTextCopiesWhatIsShown)
{
    const Table t = makeTable(2, 3);
    std::int32_t n = 2;
    std::string type = "LINE";
    const std::vector<std::string> names{"a", "b", "c"};
    draw(t, n, 3, type, &names);
    EXPECT_EQ(graphs::GraphTabText(state, graph),
              "X title\ta\tb\tc\r\n1\t0.5\t100.5\t200.5\r\n2\t1.5\t101.5\t201.5\r\n");
    state.Subsets.RePlot(graph, {2});
    EXPECT_EQ(graphs::GraphTabText(state, graph), "X title\tc\r\n1\t200.5\r\n2\t201.5\r\n");
}

TEST(GraphLabels, FormatsAndDigits)
{
    EXPECT_EQ(graphs::DigitsFormat(0), "0.");
    EXPECT_EQ(graphs::DigitsFormat(4), "0.0000");
    const struct {
        double v;
        const char* format;
        const char* text;
    } rows[] = {{2.5, "0", "3"}, {-0.04, "0.0", "0.0"}, {1.23456, "0.0000", "1.2346"}, {7, "0.", "7."},
                {-1.5, "0.00", "-1.50"}, {1234567, "0", "1234567"},
                // Halves of the decimal a double stands for, carries, and
                // numbers too large to scale by the decimals.
                {0.3 / 6, "0.0", "0.1"}, {1.005, "0.00", "1.01"}, {-0.05, "0.0", "-0.1"}, {9.995, "0.00", "10.00"},
                {-0.004, "0.00", "0.00"}, {0.5, "0.", "1."}, {1e20, "0.000000000000000", "100000000000000000000.000000000000000"}};
    testsupport::CommaDecimalLocale comma;
    for (const auto& row : rows) {
        EXPECT_EQ(platform::FormatGraphLabel(row.v, row.format), row.text) << row.v << " " << row.format;
    }
}

} // namespace

namespace {

TEST(GraphZoom, HorizontalZoomStopsAtTheScrollLimit)
{
    const auto wide = graphs::ZoomHorizontally(20000, 10000, 1.5);
    EXPECT_EQ(wide.width, 30000);
    EXPECT_FALSE(wide.capped);
    const auto capped = graphs::ZoomHorizontally(30000, 10000, 1.5);
    EXPECT_EQ(capped.width, 42767);
    EXPECT_TRUE(capped.capped);
    EXPECT_DOUBLE_EQ(graphs::VerticalFactorAfterZoom(), 1.44);
}

} // namespace
