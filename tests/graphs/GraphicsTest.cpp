#include "graphs/Graphics.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Error.h"

namespace {

using graphs::Graphics::BuildChart;
using platform::Answer;
namespace axis = platform::chartaxis;
namespace type = platform::charttype;

struct Table {
    std::vector<std::string> rows;
    std::vector<std::string> columns;
    std::vector<std::vector<double>> data;
};

Table table(int R, int K)
{
    Table t;
    for (int r = 0; r < R; ++r) {
        t.rows.push_back("t" + std::to_string(r));
        t.data.emplace_back();
        for (int c = 0; c < K; ++c) {
            t.data.back().push_back(r * 0.5 - c);
        }
    }
    for (int c = 0; c < K; ++c) {
        t.columns.push_back("locus" + std::to_string(c));
    }
    return t;
}

platform::ChartModel build(const Table& t, std::string& keyword, std::optional<double> missing = std::nullopt,
                           std::int16_t flag = 0)
{
    return BuildChart(t.rows, t.columns, t.data, static_cast<std::int32_t>(t.rows.size()),
                      static_cast<std::int32_t>(t.columns.size()), "Time", "Loci", "Expression", keyword, missing,
                      flag);
}

constexpr const char* SlowText =
    "The three dimensional drawing may be quite slow. Are you willing to wait?\r\n\r\n"
    "Click Yes if you are willing to wait, or click no to do a 2-D chart.";

} // namespace

TEST(Graphics, SlownessQuestionThresholds)
{
    struct Row {
        const char* keyword;
        std::int64_t R, K;
        std::size_t position;
    } rows[] = {
        {"3DBAR", 100, 60, 1},   {"3DBAR", 10, 10, 0},    {"3DBAR", 1001, 1, 1},  {"3DBAR", 1000, 1, 0},
        {"3DBAR", 1, 1001, 1},   {"3DBAR", 100, 50, 0},   {"3DBAR", 5001, 1, 1},  {"3dline", 50, 101, 1},
        {"2DBAR", 5000, 5000, 0}, {"2DLINE", 100, 60, 0}, {"AB3", 100, 60, 3},    {"3DBAR", 70000, 70000, 1},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(graphs::Graphics::SlowThreeDPosition(r.keyword, r.R, r.K), r.position)
            << r.keyword << " " << r.R << "x" << r.K;
    }
}

TEST(Graphics, NoToTheSlownessQuestionTurnsTheCallersKeywordTo2D)
{
    const Table t = table(100, 60);
    struct Row {
        const char* keyword;
        Answer answer;
        const char* after;
        int chartType;
    } rows[] = {{"3DBAR", Answer::No, "2DBAR", type::Bar2d},
                {"3DBAR", Answer::Yes, "3DBAR", type::Bar3d},
                {"3dline", Answer::No, "2dline", type::Line2d}};
    for (const Row& r : rows) {
        platform::ScriptedDialogs boxes;
        boxes.answer(r.answer);
        platform::ScopedDialogs scope(boxes);
        std::string keyword = r.keyword;
        const auto chart = build(t, keyword);
        EXPECT_EQ(keyword, r.after);
        EXPECT_EQ(chart.chartType(), r.chartType);
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().title, "Warning");
        EXPECT_EQ(boxes.last().text, SlowText);
        EXPECT_EQ(boxes.last().style, platform::mb::YesNo);
    }
}

TEST(Graphics, SmallTablesAndKnownKeywordsAskNothing)
{
    struct Row {
        const char* keyword;
        int chartType;
    } rows[] = {{"3DBAR", type::Bar3d}, {"2DBAR", type::Bar2d}, {"2DLINE", type::Line2d}, {"2dline", type::Line2d},
                {"3DLINE", type::Line3d}, {"2DPIE", type::Pie2d}, {"2DXY", type::XY2d}};
    const Table t = table(10, 10);
    for (const Row& r : rows) {
        platform::ScriptedDialogs boxes;
        platform::ScopedDialogs scope(boxes);
        std::string keyword = r.keyword;
        EXPECT_EQ(build(t, keyword).chartType(), r.chartType) << r.keyword;
        EXPECT_EQ(keyword, r.keyword);
        EXPECT_TRUE(boxes.calls().empty()) << r.keyword;
    }
}

TEST(Graphics, UnknownKeywordSaysSoAndStillBuildsTheChart)
{
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scope(boxes);
    std::string keyword = "AREA";
    const auto chart = build(table(4, 3), keyword);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, "Unimplemented chart type");
    EXPECT_EQ(boxes.last().title, "Error!");
    EXPECT_EQ(boxes.last().style, platform::mb::OkOnly);
    EXPECT_EQ(chart.chartType(), type::Initial);
    EXPECT_EQ(chart.rowCount(), 4);
    EXPECT_EQ(chart.columnLabel(3), "locus2");
}

TEST(Graphics, LegendShowsForTwoToNineSeries)
{
    for (const auto& [K, shown] : std::vector<std::pair<int, bool>>{{1, false}, {2, true}, {9, true}, {10, false}, {0, false}}) {
        std::string keyword = "2DLINE";
        EXPECT_EQ(build(table(3, K), keyword).isLegendVisible(), shown) << K;
    }
}

TEST(Graphics, TickMarksAndLabelSpacingFollowTheRowCount)
{
    struct Row {
        int R;
        std::int16_t flag;
        int tickStyle;
        int divisions;
    } rows[] = {{50, 0, 1, 8}, {51, 0, 0, 8}, {12, 0, 1, 2}, {12, 1, 1, 1}, {60, 0, 0, 10}, {5, 0, 1, 1}, {0, 0, 1, 1}};
    for (const Row& r : rows) {
        std::string keyword = "2DLINE";
        const auto chart = build(table(r.R, 2), keyword, std::nullopt, r.flag);
        const auto& x = chart.axis(axis::X);
        EXPECT_EQ(x.tickStyle, r.tickStyle) << r.R;
        EXPECT_EQ(x.tickLength, 60);
        EXPECT_TRUE(x.labelTick);
        EXPECT_FALSE(x.categoryAuto);
        EXPECT_EQ(x.divisionsPerLabel, r.divisions) << r.R << " flag " << r.flag;
        EXPECT_EQ(chart.labelSpacing(), r.divisions);
    }
}

TEST(Graphics, MissingCodeCellsAreGapsAndOtherCellsAreCopied)
{
    Table t = table(3, 2);
    t.data[1][0] = -999;
    std::string keyword = "2DLINE";
    const auto withCode = build(t, keyword, -999.0);
    EXPECT_FALSE(withCode.value(2, 1).has_value());
    EXPECT_EQ(withCode.value(3, 2), t.data[2][1]);
    const auto without = build(t, keyword);
    EXPECT_EQ(without.value(2, 1), -999.0);
}

TEST(Graphics, TitlesFontPenAndLabels)
{
    std::string keyword = "2DLINE";
    const auto chart = build(table(12, 3), keyword);
    const char* titles[] = {"Time", "Expression", "", "Loci"};
    for (int id = 0; id < axis::Count; ++id) {
        const auto& a = chart.axis(id);
        EXPECT_TRUE(a.titleVisible);
        EXPECT_EQ(a.title, titles[id]);
        EXPECT_EQ(a.titleFont, (platform::ChartFont{"Arial", 14, true}));
    }
    EXPECT_EQ(chart.penWidth(1), 10);
    EXPECT_EQ(chart.penWidth(2), 0);
    EXPECT_EQ(chart.rowLabel(1), "t0");
    EXPECT_EQ(chart.rowLabel(12), "t11");
    EXPECT_EQ(chart.columnLabel(1), "locus0");
    EXPECT_EQ(chart.value(12, 3), 11 * 0.5 - 2);
}

TEST(Graphics, ShortTablesRaiseSubscriptOutOfRangeBeforeAsking)
{
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scope(boxes);
    const Table t = table(2000, 3);
    struct Row {
        const char* name;
        std::int32_t R, K;
        std::size_t rowLabels, columnLabels, dataRows, dataColumns;
    } rows[] = {{"row labels", 2000, 3, 1999, 3, 2000, 3},
                {"column labels", 2000, 3, 2000, 2, 2000, 3},
                {"data rows", 2000, 3, 2000, 3, 1999, 3},
                {"data columns", 2000, 3, 2000, 3, 2000, 2},
                {"negative", -1, 3, 2000, 3, 2000, 3}};
    for (const Row& r : rows) {
        std::vector<std::string> rl(t.rows.begin(), t.rows.begin() + static_cast<std::ptrdiff_t>(r.rowLabels));
        std::vector<std::string> cl(t.columns.begin(), t.columns.begin() + static_cast<std::ptrdiff_t>(r.columnLabels));
        std::vector<std::vector<double>> d(t.data.begin(), t.data.begin() + static_cast<std::ptrdiff_t>(r.dataRows));
        for (auto& row : d) {
            row.resize(r.dataColumns);
        }
        std::string keyword = "3DBAR";
        try {
            (void)BuildChart(rl, cl, d, r.R, r.K, "", "", "", keyword, std::nullopt, 0);
            ADD_FAILURE() << r.name;
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), platform::err::Subscript) << r.name;
        }
        EXPECT_EQ(keyword, "3DBAR");
    }
    EXPECT_TRUE(boxes.calls().empty());
}
