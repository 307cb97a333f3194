#include "platform/widgets/chart/ChartModel.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using platform::ChartModel;
namespace axis = platform::chartaxis;
namespace type = platform::charttype;

TEST(ChartModel, EmptyNanAndOutOfRangeCellsAreGapsNotZero)
{
    ChartModel m;
    m.resize(2, 2);
    m.setValue(1, 1, 0.0);
    m.setValue(1, 2, std::numeric_limits<double>::quiet_NaN());
    m.setValue(2, 1, std::numeric_limits<double>::infinity());
    m.setValue(3, 1, 5.0);  // outside: ignored
    EXPECT_EQ(m.value(1, 1), 0.0);
    EXPECT_FALSE(m.value(1, 2).has_value());
    EXPECT_FALSE(m.value(2, 1).has_value());
    EXPECT_FALSE(m.value(2, 2).has_value());
    EXPECT_FALSE(m.value(0, 1).has_value());
    EXPECT_FALSE(m.value(3, 1).has_value());
}

TEST(ChartModel, UnknownChartTypeKeepsTheCurrentOne)
{
    ChartModel m;
    EXPECT_EQ(m.chartType(), type::Initial);
    for (const int t : {type::Bar3d, type::Bar2d, type::Line3d, type::Line2d, type::Pie2d, type::XY2d}) {
        EXPECT_TRUE(m.setChartType(t)) << t;
        EXPECT_EQ(m.chartType(), t);
    }
    for (const int t : {-1, 4, 5, 13, 15, 17}) {
        EXPECT_FALSE(m.setChartType(t)) << t;
        EXPECT_EQ(m.chartType(), type::XY2d);
    }
}

TEST(ChartModel, LabelSpacingIsNeverBelowOne)
{
    struct Row {
        const char* name;
        bool autoScale;
        int divisions;
        int spacing;
    } rows[] = {{"automatic", true, 7, 1}, {"zero", false, 0, 1}, {"negative", false, -3, 1}, {"every sixth", false, 6, 6}};
    for (const Row& r : rows) {
        ChartModel m;
        m.axis(axis::X).categoryAuto = r.autoScale;
        m.axis(axis::X).divisionsPerLabel = r.divisions;
        EXPECT_EQ(m.labelSpacing(), r.spacing) << r.name;
    }
}

TEST(ChartModel, AutomaticValueRangeCoversTheDataAndSkipsGaps)
{
    ChartModel m;
    m.resize(3, 2);
    m.setValue(1, 1, 11.2);
    m.setValue(2, 1, 17.9);
    m.setValue(3, 2, 13.0);  // (2, 2) and (1, 2) stay empty, never read as 0
    m.setChartType(type::Line2d);
    const auto r = m.valueRange();
    EXPECT_LE(r.minimum, 11.2);
    EXPECT_GT(r.minimum, 0.0);  // an empty cell does not pull the range to 0
    EXPECT_GE(r.maximum, 17.9);
    EXPECT_GE(r.divisions, 1);

    m.setChartType(type::Bar2d);  // bars stand on zero
    EXPECT_EQ(m.valueRange().minimum, 0.0);
}

TEST(ChartModel, ManualRangeAndLogScale)
{
    ChartModel m;
    m.resize(3, 1);
    m.setValue(1, 1, -2);
    m.setValue(2, 1, 0.05);
    m.setValue(3, 1, 420);
    auto& y = m.axis(axis::Y);
    y.scaleType = 1;
    const auto log = m.valueRange();  // positive values only, whole decades
    EXPECT_DOUBLE_EQ(log.minimum, 0.01);
    EXPECT_DOUBLE_EQ(log.maximum, 1000);
    EXPECT_EQ(log.divisions, 5);

    y.valueAuto = false;
    y.minimum = -1;
    y.maximum = 9;
    y.majorDivision = 0;
    const auto manual = m.valueRange();
    EXPECT_EQ(manual.minimum, -1);
    EXPECT_EQ(manual.maximum, 9);
    EXPECT_EQ(manual.divisions, 1);
}

TEST(ChartModel, XYChartsPairColumnsForTheXRange)
{
    ChartModel m;
    m.resize(2, 2);
    m.setChartType(type::XY2d);
    m.setValue(1, 1, 100);  // x
    m.setValue(1, 2, 1);    // y
    m.setValue(2, 1, 300);
    m.setValue(2, 2, 2);
    const auto x = m.xRange();
    EXPECT_LE(x.minimum, 100);
    EXPECT_GE(x.maximum, 300);
    EXPECT_LT(m.valueRange().maximum, 100);  // x columns stay out of the value range
}

TEST(ChartModel, DataTextKeepsGapsEmptyAndLabelsInPlace)
{
    ChartModel m;
    m.resize(2, 2);
    m.setColumnLabel(1, "geneA");
    m.setColumnLabel(2, "geneB");
    m.setRowLabel(1, "0h");
    m.setRowLabel(2, "2h");
    m.setValue(1, 1, 1.5);
    m.setValue(2, 1, -0.25);
    m.setValue(2, 2, 3);
    EXPECT_EQ(m.dataText(), "\tgeneA\tgeneB\r\n0h\t1.5\t\r\n2h\t-0.25\t3\r\n");
}

TEST(ChartModel, NiceRangeRoundsOutToTidySteps)
{
    struct Row {
        double lo, hi, from, to;
    } rows[] = {{0.3, 9.2, 0, 10}, {-3.3, 4.1, -4, 6}, {0, 0, -1, 1}, {1200, 4800, 1000, 5000}};
    for (const Row& r : rows) {
        const auto n = platform::niceRange(r.lo, r.hi, 5);
        EXPECT_DOUBLE_EQ(n.minimum, r.from) << r.lo << " " << r.hi;
        EXPECT_DOUBLE_EQ(n.maximum, r.to) << r.lo << " " << r.hi;
        EXPECT_LE(n.minimum, r.lo);
        EXPECT_GE(n.maximum, r.hi);
    }
}
