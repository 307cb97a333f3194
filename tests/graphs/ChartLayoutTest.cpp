#include "graphs/ChartLayout.h"

#include <gtest/gtest.h>

using graphs::ChartFrame;
using graphs::ChartPlace;

namespace {

// A window 7575 x 5445 twips of client area with 255-twip bars, its frame
// and menu taking 120 x 600 twips.
ChartFrame frameOf(double clientWidth, double clientHeight)
{
    return ChartFrame{clientWidth + 120, clientHeight + 600, clientWidth, clientHeight, 255, 255};
}

} // namespace

TEST(ChartLayout, ChartWiderThanTheClientPutsTheBarOnTheBottomEdge)
{
    ChartFrame f = frameOf(7575, 5445);
    f.windowWidth = 9000;   // chart 8800 > 7575
    f.windowHeight = 5885;  // chart 5145, under the bar's top 5190
    const ChartPlace p = graphs::ResizeLayout(f);
    EXPECT_EQ(p.width, 8800);
    EXPECT_EQ(p.hBar.top, 5445 - 255);
    EXPECT_EQ(p.hBar.width, 7575);
    EXPECT_EQ(p.height, 5445);  // fits above the bar: takes the client height
    EXPECT_EQ(p.vBar.left, 7575);
    EXPECT_EQ(p.vBar.height, p.hBar.top);
    EXPECT_EQ(p.hBar.maximum, 8800 - 7575);
    EXPECT_EQ(p.hBar.smallChange, 1225 / 16 + 1);
    EXPECT_EQ(p.hBar.largeChange, 1225 / 4 + 1);
    EXPECT_EQ(p.vBar.maximum, 5445 - 5190);
}

TEST(ChartLayout, ChartThatFitsTakesTheClientWidthAndHidesTheBar)
{
    const ChartPlace p = graphs::ResizeLayout(frameOf(7575, 5445));
    EXPECT_EQ(p.width, 7575);
    EXPECT_EQ(p.hBar.top, 5445);
    EXPECT_EQ(p.height, 5445);
    EXPECT_EQ(p.vBar.left, 7575);
    EXPECT_EQ(p.hBar.maximum, 0);
    EXPECT_EQ(p.vBar.maximum, 0);
    EXPECT_EQ(p.hBar.smallChange, 1);
    EXPECT_EQ(p.hBar.largeChange, 1);
}

TEST(ChartLayout, TallChartShowsTheVerticalBarOnTheRightEdge)
{
    ChartFrame f = frameOf(7575, 5445);
    f.windowHeight = 8000;  // chart 7260 > 5445
    f.windowWidth = 9000;   // and wider than the client: both bars
    const ChartPlace p = graphs::ResizeLayout(f);
    EXPECT_EQ(p.vBar.left, 7575 - 255);
    EXPECT_EQ(p.hBar.top, 5445 - 255);
    EXPECT_EQ(p.hBar.maximum, 8800 - (7575 - 255));
    EXPECT_EQ(p.vBar.maximum, 7260 - (5445 - 255));
}

TEST(ChartLayout, HorizontalZoomIsOneAndAHalfWindowsCappedAt32767)
{
    struct Row {
        double window;
        double chart;
    } rows[] = {{20000, 30000}, {25000, 32767}, {4000, 7575}};
    for (const Row& r : rows) {
        ChartFrame f = frameOf(7575, 5445);
        f.windowWidth = r.window;
        const ChartPlace before = graphs::ResizeLayout(frameOf(7575, 5445));
        const ChartPlace p = graphs::ZoomHorizontally(f, before, 1.5);
        EXPECT_EQ(p.width, r.chart) << r.window;
        EXPECT_EQ(p.hBar.maximum, r.chart - 7575) << r.window;  // slides over the hidden part only
        EXPECT_EQ(p.hBar.top, r.chart > 7575 ? 5445 - 255 : 5445);
        EXPECT_EQ(p.hBar.width, 7575);
    }
}

TEST(ChartLayout, HorizontalZoomRoundsHalvesToEven)
{
    ChartFrame f = frameOf(100, 100);
    f.windowWidth = 4001;  // 6001.5
    EXPECT_EQ(graphs::ZoomHorizontally(f, {}, 1.5).width, 6002);
    f.windowWidth = 4003;  // 6004.5
    EXPECT_EQ(graphs::ZoomHorizontally(f, {}, 1.5).width, 6004);
}

TEST(ChartLayout, VerticalZoomGrowsByATenthAndStopsAtTheScreen)
{
    EXPECT_DOUBLE_EQ(graphs::VerticalZoomHeight(6000, 15000), 6600);
    EXPECT_DOUBLE_EQ(graphs::VerticalZoomHeight(14000, 15000), 15000);
    double h = 6000;
    int zooms = 0;
    for (; zooms < 100; ++zooms) {
        const double next = graphs::VerticalZoomHeight(h, 15000);
        if (next == h) {
            break;
        }
        h = next;
    }
    EXPECT_EQ(h, 15000);
    EXPECT_LT(zooms, 20);
}

TEST(ChartLayout, NormalViewPlacesWindowAndChart)
{
    const auto n = graphs::NormalView(19200, 14400);
    EXPECT_EQ(n.windowLeft, 200);
    EXPECT_EQ(n.windowTop, 200);
    EXPECT_EQ(n.windowWidth, 18200);
    EXPECT_EQ(n.windowHeight, 13400);
    EXPECT_EQ(n.chartLeft, 300);
    EXPECT_EQ(n.chartTop, 400);
    EXPECT_EQ(n.chartWidth, 18000);
    EXPECT_EQ(n.chartHeight, 12660);
}

TEST(ChartLayout, InputBoxAnswers)
{
    struct Row {
        const char* answer;
        std::optional<double> number;
        std::optional<std::int16_t> divisions;
    } rows[] = {
        {"6", 6.0, 5},          {" 2.5 ", 2.5, 1},      {"3.5", 3.5, 3},  {"1", 1.0, 0},
        {"0", 0.0, std::nullopt}, {"-4", -4.0, std::nullopt}, {"", std::nullopt, std::nullopt},
        {"abc", std::nullopt, std::nullopt}, {"12abc", std::nullopt, std::nullopt}, {"1e9", 1e9, std::nullopt},
        {"32768", 32768.0, 32767}, {"1e999", std::nullopt, std::nullopt}, {"-1e999", std::nullopt, std::nullopt},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(graphs::NumberAnswer(r.answer), r.number) << '"' << r.answer << '"';
        EXPECT_EQ(graphs::DivisionsForTicks(r.answer), r.divisions) << '"' << r.answer << '"';
    }
}
