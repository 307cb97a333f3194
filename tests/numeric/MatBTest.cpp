#include "numeric/MatB.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/support/ErrorAssert.h"

using numeric::BoundedMatrix;
using numeric::Matrix;

namespace {

} // namespace

TEST(MatB, MovingAverageWindowsAndPadding)
{
    struct Row {
        const char* name;
        std::vector<double> input;
        std::int64_t w;
        bool pad;
        std::vector<double> expected;
    };
    const std::vector<Row> rows{
        {"odd window, no pad", {3, 3, 3, 3, 3}, 3, false, {2, 3, 3, 3, 2}},
        {"odd window, pad", {3, 3, 3, 3, 3}, 3, true, {3, 3, 3, 3, 3}},
        {"even window reaches back", {1, 2, 3, 4, 5}, 4, false, {0.75, 1.5, 2.5, 3.5, 3.0}},
        {"even window, pad", {1, 2, 3, 4, 5}, 4, true, {1.25, 1.75, 2.5, 3.5, 4.25}},
        {"window one copies", {1.5, -2, 7}, 1, false, {1.5, -2, 7}},
        {"empty input", {}, 3, true, {}},
        {"window wider than input", {4, 8}, 5, false, {2.4, 2.4}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MatB::MovingAverage(row.input, static_cast<std::int64_t>(row.input.size()), row.w, row.pad),
                  row.expected)
            << row.name;
    }
    EXPECT_EQ(testsupport::errorNumber([] { (void)MatB::MovingAverage(std::vector<double>{1}, 1, 0, false); }), 5);
    EXPECT_EQ(testsupport::errorNumber([] { (void)MatB::MovingAverage(std::vector<double>{1}, 2, 1, false); }), 9);
}

TEST(MatB, MatMultShapesAndCodes)
{
    const Matrix a23{{1, 2, 3}, {4, 5, 6}};
    const Matrix b32{{1, 0}, {0, 1}, {2, 2}};
    Matrix p(2, 2, -1);
    EXPECT_EQ(MatB::MatMult(a23, b32, p), 0);
    EXPECT_EQ(p, (Matrix{{7, 8}, {16, 17}}));

    Matrix untouched(2, 2, -1);
    EXPECT_EQ(MatB::MatMult(a23, Matrix(2, 2, 1), untouched), -3);
    EXPECT_EQ(untouched, Matrix(2, 2, -1));
    Matrix wrongShape(2, 3, -1);
    EXPECT_EQ(MatB::MatMult(a23, b32, wrongShape), -5);
    EXPECT_EQ(wrongShape, Matrix(2, 3, -1));

    Matrix huge(1, 1, 1e200);
    Matrix out(1, 1);
    EXPECT_EQ(MatB::MatMult(huge, huge, out), 6);
}

TEST(MatB, MatMultOverLowerBoundsOtherThanZero)
{
    const BoundedMatrix a{Matrix{{1, 2, 3}, {4, 5, 6}}, 1, 1};  // 1..2 x 1..3
    const BoundedMatrix b{Matrix{{1}, {1}, {1}}, 1, 5};         // 1..3 x 5..5
    BoundedMatrix p{Matrix(2, 1), 1, 5};
    EXPECT_EQ(MatB::MatMult(a, b, p), 0);
    EXPECT_EQ(p.at(1, 5), 6);
    EXPECT_EQ(p.at(2, 5), 15);
    const BoundedMatrix shifted{Matrix{{1}, {1}, {1}}, 0, 5};  // 0..2: inner ranges differ
    EXPECT_EQ(MatB::MatMult(a, shifted, p), -3);
    BoundedMatrix wrongBase{Matrix(2, 1), 0, 5};
    EXPECT_EQ(MatB::MatMult(a, b, wrongBase), -5);
}

TEST(MatB, ProductsScalingAndCopies)
{
    const Matrix a{{1, 2}, {3, 4}};
    Matrix p(3, 3, -1);
    MatB::VarMatMult(a, a, p, 2, 2, 2);
    EXPECT_EQ(p(0, 0), 7);
    EXPECT_EQ(p(1, 1), 22);
    EXPECT_EQ(p(2, 2), -1);

    const Matrix block{{1, 2, 3}, {4, 5, 6}};
    const Matrix t = MatB::Var2DblMat(block, 2, 3);
    EXPECT_EQ(t, (Matrix{{1, 4}, {2, 5}, {3, 6}}));
    Matrix dst(3, 2);
    MatB::CopyVarBlock(block, 2, 3, dst);
    EXPECT_EQ(dst, t);

    EXPECT_EQ(MatB::MatScalarMult(block, 2, 2, 0.5), (Matrix{{0.5, 1}, {2, 2.5}}));
    EXPECT_EQ(MatB::MatElemMult(block, 2, 3, std::vector<double>{1, 1}), block);
    EXPECT_EQ(MatB::MatElemMult(block, 2, 3, std::vector<double>{2, -1}), (Matrix{{2, 4, 6}, {-4, -5, -6}}));
    EXPECT_EQ(testsupport::errorNumber([&] { (void)MatB::MatElemMult(block, 2, 3, std::vector<double>{1}); }), 9);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)MatB::MatScalarMult(Matrix(1, 1, 1e300), 1, 1, 1e300); }), 6);
    EXPECT_EQ(testsupport::errorNumber([&] { MatB::CopyVarBlock(block, 2, 3, p); }), 0);
    Matrix tooSmall(2, 2);
    EXPECT_EQ(testsupport::errorNumber([&] { MatB::CopyVarBlock(block, 2, 3, tooSmall); }), 9);
}

TEST(MatB, ExtremesOfBlocksAndLowerTriangle)
{
    const Matrix m{{5, 100, -3}, {2, 7, 1}, {-9, 4, 6}};
    EXPECT_EQ(MatB::MinOfCol(m, 1, 1), 5);
    EXPECT_EQ(MatB::MaxOfCol(m, 1, 1), 5);
    EXPECT_EQ(MatB::MinOfCol(m, 3, 3), -9);
    EXPECT_EQ(MatB::MaxOfCol(m, 3, 3), 100);
    EXPECT_EQ(MatB::MaxOfCol(m, 2, 1), 5);
    EXPECT_EQ(MatB::MaxOfLowerTri(m, 3), 7);  // ignores 100 at (0, 1)
    EXPECT_EQ(MatB::MaxOfLowerTri(m, 1), 5);
    EXPECT_EQ(testsupport::errorNumber([] { (void)MatB::MaxOfCol(Matrix{}, 0, 0); }), 9);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)MatB::MinOfCol(m, 4, 1); }), 9);
    // Counts above the 16-bit range work.
    Matrix wide(1, 40000, 1.0);
    wide(0, 39999) = 2.0;
    EXPECT_EQ(MatB::MaxOfCol(wide, 1, 40000), 2.0);
}
