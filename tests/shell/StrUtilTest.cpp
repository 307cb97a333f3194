#include "shell/core/StrUtil.h"

#include <gtest/gtest.h>

#include "platform/errors/Error.h"

using namespace StrUtil;

TEST(StrUtil, IsAsciiHeadLooksAtTheFirstNBytesOnly)
{
    const std::string plain(500, 'a');
    EXPECT_TRUE(IsAsciiHead(plain, 500));
    std::string with127 = plain;
    with127[499] = '\x7f';
    EXPECT_FALSE(IsAsciiHead(with127, 500));
    std::string high = plain;
    high[10] = '\xe9';
    EXPECT_FALSE(IsAsciiHead(high, 500));
    std::string late = plain + "\xff";
    EXPECT_TRUE(IsAsciiHead(late, 500));
    EXPECT_TRUE(IsAsciiHead("abc", 500)) << "n beyond the text looks at the whole text";
    EXPECT_TRUE(IsAsciiHead("", 0));
}

TEST(StrUtil, TokenizeTrimsAndSkipsEmptyFields)
{
    std::string text = " a,,b, ";
    int count = -1;
    std::vector<std::string> fields(5, "old");
    Tokenize(text, count, fields, ",");
    EXPECT_EQ(text, "a,,b,");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(fields[0], "a");
    EXPECT_EQ(fields[1], "b");
    EXPECT_EQ(fields[2], "");

    std::string many = "1 2 3 4";
    std::vector<std::string> small(2);
    Tokenize(many, count, small, " ");
    EXPECT_EQ(count, 4);
    ASSERT_EQ(small.size(), 4u) << "more fields than entries grows the array";
    EXPECT_EQ(small[3], "4");

    std::string multi = " x::y ";
    Tokenize(multi, count, small, "::");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(small[0], "x::y");
}

TEST(StrUtil, SplitMultiDelimCollapsesRuns)
{
    int count = -1;
    std::vector<std::string> fields;
    SplitMultiDelim("x", count, fields, "\t");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(fields, (std::vector<std::string>{"x"}));
    SplitMultiDelim("\tx\t\ty", count, fields, "\t");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(fields, (std::vector<std::string>{"x", "y"}));
    SplitMultiDelim("\t\t", count, fields, "\t");
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(fields.empty());
    fields = {"keep"};
    SplitMultiDelim("", count, fields, "\t");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(fields, (std::vector<std::string>{"keep"}));
}

TEST(StrUtil, BeforeFirstAfterLastAndRemove)
{
    EXPECT_EQ(StrBeforeFirst("key=value", "="), "key");
    EXPECT_EQ(StrBeforeFirst("=value", "="), "");
    EXPECT_EQ(StrBeforeFirst("novalue", "="), "");
    EXPECT_EQ(StrBeforeFirst(std::string(40000, 'k') + "=v", "="), std::string(40000, 'k'));
    EXPECT_EQ(StrAfterLast("c:/a/b.txt", "/"), "b.txt");
    EXPECT_EQ(StrAfterLast("a::b", "::"), ":b");
    EXPECT_EQ(StrAfterLast("none", "/"), "");
    EXPECT_EQ(RemoveStr("a-b--c", "-"), "abc");
    EXPECT_EQ(RemoveStr("aaa", "aa"), "a");
}

TEST(StrUtil, Blanks2TabAndCleanSeq)
{
    EXPECT_EQ(Blanks2Tab("a   b c"), "a\tb\tc");
    EXPECT_EQ(Blanks2Tab(" a"), "\ta");
    EXPECT_EQ(Blanks2Tab("a\t  b"), "a\tb");
    EXPECT_EQ(Blanks2Tab(""), "");
    EXPECT_EQ(CleanSeq("ac-g.t*1 2\n"), "ac-g.t?");
    EXPECT_EQ(CleanSeq("12 34"), "");
    EXPECT_EQ(CleanSeq(""), "");
}

TEST(StrUtil, PadStrAlignsAndCuts)
{
    EXPECT_EQ(PadStr("abcdef", 3, 1), "abc");
    EXPECT_EQ(PadStr("abcdef", 3, 0), "def");
    EXPECT_EQ(PadStr("ab", 4, 1), "ab  ");
    EXPECT_EQ(PadStr("ab", 4, 0), "  ab");
}

TEST(StrUtil, Crc16MatchesTheXmodemCheckValues)
{
    EXPECT_EQ(GetCRC16("abc"), 40406);
    EXPECT_EQ(GetCRC16("123456789"), 0x31C3);
    EXPECT_EQ(GetCRC16(""), 0);
}

TEST(StrUtil, UnifyLineBreak)
{
    std::string a = "x\r\ny\rz";
    EXPECT_EQ(UnifyLineBreak(a), "\n");
    EXPECT_EQ(a, "x\ny\nz");
    std::string b = "x\ry\nz";
    EXPECT_EQ(UnifyLineBreak(b), "\r");
    EXPECT_EQ(b, "x\ry\rz");
    std::string c = "x\ny";
    EXPECT_EQ(UnifyLineBreak(c), "\n");
    EXPECT_EQ(c, "x\ny");
    std::string d = "xy";
    EXPECT_EQ(UnifyLineBreak(d), "");
}

TEST(StrUtil, FormatNumRight)
{
    EXPECT_EQ(FormatNumRight(3.14159, 8, 2), "    3.14");
    EXPECT_EQ(FormatNumRight(-0.5, 6, 3), "-0.500");
    EXPECT_EQ(FormatNumRight(123456.0, 3, 0), "123456");
    EXPECT_EQ(FormatNumRight(0.25, 5, 1), "  0.3");
}

TEST(StrUtil, TransposeTabTextKeepsEveryCell)
{
    std::string text = "a\tb\r\nc\td\r\n";
    EXPECT_EQ(TransposeTabText(text, "\r\n"), "a\tc\t\r\nb\td\t\r\n");
    EXPECT_EQ(text, "a\tc\t\r\nb\td\t\r\n");
    std::string ragged = "a\tb\r\nc\r\nd\te\tf";
    EXPECT_EQ(TransposeTabText(ragged, "\r\n"), "a\tc\td\t\r\nb\t\te\t\r\n\t\tf\t\r\n");
}

TEST(StrUtil, MatrixText)
{
    const std::vector<std::vector<double>> m{{1, 2.5}, {-3, 0.125}};
    EXPECT_EQ(MatRows2TabText(m, 2, 2, {"r1", "r2"}), "r1\t1\t2.5\r\nr2\t-3\t0.125\r\n");
    EXPECT_EQ(Mat2TabText(m, 1, 2, {"r1"}, "Gene", {"c1", "c2"}), "Gene\tc1\tc2\r\nr1\t1\t2.5\r\n");
    EXPECT_THROW((void)MatRows2TabText(m, 3, 2, {"a", "b", "c"}), platform::Error);
    EXPECT_EQ(CountChar("a\tb\tc", '\t'), 2);
}
