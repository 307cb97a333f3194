#include "analysis/DataTool.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/support/TestSupport.h"

namespace {

using numeric::Matrix;

struct Recorder : numeric::Progress {
    std::vector<std::string> calls;
    void setMinimum(double v) override { calls.push_back("min " + std::to_string(static_cast<int>(v))); }
    void setMaximum(double v) override { calls.push_back("max " + std::to_string(static_cast<int>(v))); }
    void setValue(double v) override { calls.push_back("value " + std::to_string(static_cast<int>(v))); }
};

TEST(DataTool, NormalizeSkipsTheCodeAndLeavesShortLinesAlone)
{
    Matrix m{{1, 2, 9, 3}, {5, 9, 9, 9}, {9, 9, 9, 9}};
    Recorder progress;
    DataTool::NormalizeData(m, 3, 4, false, 9.0, &progress);
    expectNearRel(m(0, 0), -1, 1e-15);
    expectNearRel(m(0, 1), 0, 1e-15);
    EXPECT_EQ(m(0, 2), 9);
    expectNearRel(m(0, 3), 1, 1e-15);
    EXPECT_EQ(m(1, 0), 5);  // a single present value: unchanged
    EXPECT_EQ(m(2, 0), 9);
    EXPECT_EQ(progress.calls,
              (std::vector<std::string>{"min 0", "max 3", "value 0", "value 1", "value 2", "value 0"}));
}

TEST(DataTool, NormalizeByColumnsWithoutCode)
{
    Matrix m{{2, 0}, {4, 0}, {6, 0}};
    // Column 1 is constant: refused, and nothing is changed.
    const Matrix before = m;
    try {
        DataTool::NormalizeData(m, 3, 2, true, std::nullopt);
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::Overflow);
        EXPECT_NE(e.description().find("Column 2"), std::string::npos) << e.description();
    }
    EXPECT_EQ(m, before);
    DataTool::NormalizeData(m, 3, 1, true, std::nullopt);
    expectNearRel(m(0, 0), -1, 1e-15);
    expectNearRel(m(2, 0), 1, 1e-15);
}

TEST(DataTool, StandardizeGivesMeanZeroAndUnitDeviation)
{
    Matrix m{{2, 10}, {4, 20}, {6, 60}};
    DataTool::StandardizeData(m, 3, 2, true);
    expectNearRel(m(0, 0), -1, 1e-15);
    expectNearRel(m(1, 0), 0, 1e-15);
    expectNearRel(m(2, 0), 1, 1e-15);
    const double mean = (m(0, 1) + m(1, 1) + m(2, 1)) / 3;
    const double var = (m(0, 1) * m(0, 1) + m(1, 1) * m(1, 1) + m(2, 1) * m(2, 1) - 3 * mean * mean) / 2;
    EXPECT_NEAR(mean, 0, 1e-15);
    expectNearRel(var, 1, 1e-14);
}

TEST(DataTool, StandardizeStaysAccurateForLargeValuesWithSmallSpread)
{
    Matrix m{{1e9 + 1, 1e9 + 2, 1e9 + 3}};
    DataTool::StandardizeData(m, 1, 3, false);
    expectNearRel(m(0, 0), -1, 1e-12);
    expectNearRel(m(0, 2), 1, 1e-12);
}

TEST(DataTool, StandardizeRefusesASingleValue)
{
    Matrix m{{5}, {7}};
    EXPECT_THROW(DataTool::StandardizeData(m, 2, 1, false), platform::Error);
    EXPECT_EQ(m, (Matrix{{5}, {7}}));
}

TEST(DataTool, CellTransformsGiveTheWorkedValues)
{
    const struct {
        const char* name;
        std::function<bool(Matrix&)> run;
        double in;
        double out;
    } cases[] = {
        {"sqrt of 0", [](Matrix& m) { return DataTool::SqrtTransform(m, 1, 2, -1.0); }, 0, std::sqrt(0.375)},
        {"ln of 0.5", [](Matrix& m) { return DataTool::LogTransform(m, 1, 2, -1.0); }, 0.5, 0},
        {"ln of 0", [](Matrix& m) { return DataTool::LogTransform(m, 1, 2, -1.0); }, 0, std::log(0.5)},
        {"log2 of 1.5", [](Matrix& m) { return DataTool::Log2Transform(m, 1, 2, -1.0); }, 1.5, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Matrix m{{c.in, -1}};
        EXPECT_TRUE(c.run(m));
        expectNearRel(m(0, 0), c.out, 1e-15);
        EXPECT_EQ(m(0, 1), -1);  // the code stays
    }
}

TEST(DataTool, BadCellsAreRefusedWithTheBlockUnchanged)
{
    const struct {
        const char* name;
        std::function<void(Matrix&)> run;
        Matrix block;
        std::int32_t number;
    } cases[] = {
        {"log of -0.5", [](Matrix& m) { DataTool::LogTransform(m, 2, 2, std::nullopt); }, Matrix{{1, 2}, {3, -0.5}},
         platform::err::InvalidCall},
        {"sqrt of -0.5", [](Matrix& m) { DataTool::SqrtTransform(m, 2, 2, std::nullopt); }, Matrix{{1, 2}, {3, -0.5}},
         platform::err::InvalidCall},
        {"not a number", [](Matrix& m) { DataTool::Log2Transform(m, 2, 2, std::nullopt); },
         Matrix{{1, 2}, {3, std::nan("")}}, platform::err::TypeMismatch},
        {"counts too large", [](Matrix& m) { DataTool::LogTransform(m, 3, 2, std::nullopt); }, Matrix{{1, 2}, {3, 4}},
         platform::err::Subscript},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Matrix m = c.block;
        try {
            c.run(m);
            ADD_FAILURE() << "no error";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), c.number);
        }
        EXPECT_EQ(m(0, 0), c.block(0, 0));
        EXPECT_EQ(m(0, 1), c.block(0, 1));
    }
}

} // namespace
