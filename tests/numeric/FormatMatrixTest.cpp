#include "numeric/FormatMatrix.h"
#include "numeric/MatDisLi.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/numeric/RecordingProgress.h"
#include "tests/support/ErrorAssert.h"

using numeric::Matrix;

namespace {

std::string blanks(std::size_t n)
{
    return std::string(n, ' ');
}

const std::vector<std::string> kG{"g1", "g2", "g3"};
const std::vector<std::string> kAbc{"a", "b", "c"};

} // namespace

TEST(FormatMatrix, DistanceMatrixWorkedExample)
{
    Matrix m(3, 3);
    m(1, 0) = 1.5, m(2, 0) = 2.25, m(2, 1) = 0.75;
    numerictest::RecordingProgress pb;
    EXPECT_EQ(FormatMatrix::FormatDistMat(m, 3, kG, &pb, 3),
              "\r\n3" + blanks(10) + "\r\ng1\r\n" + "g2" + blanks(8) + " 1.500\r\n" + "g3" + blanks(8) +
                  " 2.250 0.750\r\n");
    EXPECT_EQ(pb.calls, (std::vector<std::string>{"min 0", "max 3", "value 0", "value 1", "value 2", "value 1",
                                                  "value 2", "value 0"}));
}

TEST(FormatMatrix, CorrelationMatrixWorkedExample)
{
    Matrix m{{1, 0, 0}, {0.5, 1, 0}, {-0.25, 0.125, 1}};
    EXPECT_EQ(FormatMatrix::FormatCorrMat(m, 3, kAbc, 3),
              "\r\n3\r\na\r\n" + std::string("b") + blanks(10) + " 0.500\r\n" + "c" + blanks(10) + "-0.250 0.125\r\n");
}

TEST(FormatMatrix, CovarianceMatrixWorkedExample)
{
    Matrix m{{2.5, 0}, {1.25, 4}};
    EXPECT_EQ(FormatMatrix::FormatCovMat(m, 2, kAbc, 2),
              "\r\n2\r\n" + std::string("a") + blanks(10) + blanks(7) + "2.50\r\n" + "b" + blanks(10) + blanks(7) +
                  "1.25" + blanks(7) + "4.00\r\n");
}

TEST(FormatMatrix, PackedTriangleWorkedExamples)
{
    EXPECT_EQ(MatDisLi::DistMat2Text("AC", 2, std::vector<double>{0, 10, 0}, 0), "A   0\r\nC  10   0\r\n");
    EXPECT_EQ(MatDisLi::DistMat2Text("AC", 2, std::vector<double>{0, 0.5, 0}, 0), "A  0\r\nC  1  0\r\n");
    EXPECT_EQ(MatDisLi::DistMat2Text(std::vector<std::string>{"Ala", "Cys"}, 2, std::vector<double>{1, 2, 3}, 1),
              "Ala 1.0\r\nCys 2.0 3.0\r\n");
    // A largest value far outside the packed triangle still sets the width.
    EXPECT_EQ(MatDisLi::DistMat2Text("A", 1, std::vector<double>{0, 999}, 0), "A     0\r\n");
}

TEST(FormatMatrix, SingleObjectLayouts)
{
    const Matrix one{{0.5}};
    EXPECT_EQ(FormatMatrix::FormatCorrMat(one, 1, kAbc, 2), "\r\n1\r\na\r\n");
    EXPECT_EQ(FormatMatrix::FormatDistMat(one, 1, kAbc, nullptr, 2), "\r\n1" + blanks(10) + "\r\na\r\n");
    EXPECT_EQ(FormatMatrix::FormatCovMat(one, 1, kAbc, 2), "\r\n1\r\na" + blanks(10) + blanks(7) + "0.50\r\n");
    EXPECT_EQ(MatDisLi::DistMat2Text("A", 1, std::vector<double>{0.5}, 2), "A 0.50\r\n");
}

TEST(FormatMatrix, LongLabelsWidenEveryLabelField)
{
    const std::vector<std::string> labels{"short", "a_rather_long_label", "x"};
    Matrix m(3, 3);
    m(1, 0) = 1, m(2, 0) = 2, m(2, 1) = 3;
    const std::string corr = FormatMatrix::FormatCorrMat(m, 3, labels, 0);
    EXPECT_NE(corr.find("\r\nx" + blanks(19) + "  2  3\r\n"), std::string::npos) << corr;
    const std::string dist = FormatMatrix::FormatDistMat(m, 3, labels, nullptr, 0);
    EXPECT_NE(dist.find("\r\nx" + blanks(18) + " 2 3\r\n"), std::string::npos) << dist;
    // Characters, not bytes: a two-byte letter counts once.
    const std::vector<std::string> accented{"g\xc3\xa9ne", "b"};
    const Matrix two{{0, 0}, {1, 0}};
    EXPECT_EQ(FormatMatrix::FormatCovMat(two, 2, accented, 0),
              "\r\n2\r\ng\xc3\xa9ne" + blanks(7) + blanks(10) + "0\r\nb" + blanks(10) + blanks(10) + "1" + blanks(10) +
                  "0\r\n");
}

TEST(FormatMatrix, GroupingOnlyInDistanceMatrixAndExactFit)
{
    Matrix m(2, 2);
    m(1, 0) = 1234.5;
    EXPECT_EQ(FormatMatrix::FormatDistMat(m, 2, kAbc, nullptr, 2), "\r\n2" + blanks(10) + "\r\na\r\nb" + blanks(9) +
                                                                      "1,234.50\r\n");
    EXPECT_EQ(FormatMatrix::FormatCorrMat(m, 2, kAbc, 2), "\r\n2\r\na\r\nb" + blanks(10) + "  1234.50\r\n");
}

TEST(FormatMatrix, IntegralLargestValueNoLongerLetsNumbersCollide)
{
    // Largest value 12 has no "." in its text, so the nominal cell is D + 2 = 5
    // wide; "12.000" needs 6: cells widen to 7 and stay apart.
    Matrix m(3, 3);
    m(1, 0) = 5, m(2, 0) = 12, m(2, 1) = 5;
    EXPECT_EQ(FormatMatrix::FormatDistMat(m, 3, kAbc, nullptr, 3),
              "\r\n3" + blanks(10) + "\r\na\r\nb" + blanks(9) + "  5.000\r\nc" + blanks(9) + " 12.000  5.000\r\n");
    // Negative numbers in a covariance cell wider than the label field.
    Matrix big{{-12345678901.0, 0}, {1, 2}};
    EXPECT_EQ(FormatMatrix::FormatCovMat(big, 2, kAbc, 1),
              "\r\n2\r\na" + blanks(10) + " -12345678901.0\r\nb" + blanks(10) + blanks(12) + "1.0" + blanks(12) +
                  "2.0\r\n");
    // A text that just fills its cell is not widened (as a negative correlation
    // fills its cell); one that is longer is.
    EXPECT_EQ(MatDisLi::DistMat2Text("AB", 2, std::vector<double>{0, -10, 0}, 0), "A  0\r\nB-10  0\r\n");
    EXPECT_EQ(MatDisLi::DistMat2Text("AB", 2, std::vector<double>{0, -100, 0}, 0), "A    0\r\nB -100    0\r\n");
}

TEST(FormatMatrix, BadInputIsRefused)
{
    const Matrix m(2, 2);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)FormatMatrix::FormatCorrMat(m, 0, kAbc, 2); }), 9);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)FormatMatrix::FormatDistMat(m, 3, kAbc, nullptr, 2); }), 9);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)FormatMatrix::FormatCovMat(m, 2, std::vector<std::string>{"a"}, 2); }), 9);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)FormatMatrix::FormatCovMat(m, 2, kAbc, -1); }), 5);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)MatDisLi::DistMat2Text("AB", 0, std::vector<double>{}, 0); }), 9);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)MatDisLi::DistMat2Text("AB", 2, std::vector<double>{1, 2}, 0); }), 9);
    Matrix withNaN(2, 2);
    withNaN(1, 0) = NAN;
    EXPECT_EQ(testsupport::errorNumber([&] { (void)FormatMatrix::FormatDistMat(withNaN, 2, kAbc, nullptr, 2); }), 6);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)MatDisLi::DistMat2Text("AB", 2, std::vector<double>{1, INFINITY, 0}, 0); }), 6);
}
