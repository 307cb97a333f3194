#include <gtest/gtest.h>

#include "platform/spreadsheet/CodePage.h"

namespace {

using spreadsheet::detail::codePageToUtf8;
using spreadsheet::detail::utf16ToUtf8;

TEST(CodePage, BytesOfEachCodePageBecomeTheirCharacters)
{
    const struct {
        const char* name;
        unsigned codePage;
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {"Windows-1252", 1252, "\x80 \x9F\xE9", "\xE2\x82\xAC \xC5\xB8\xC3\xA9"},
        {"Windows-1252 as the oldest books number it", 32769, "\x80", "\xE2\x82\xAC"},
        {"Latin-1 keeps the control range", 28591, "\x80\xE9", "\xC2\x80\xC3\xA9"},
        {"Cyrillic", 1251, "\xCF\xF0\xE8", "\xD0\x9F\xD1\x80\xD0\xB8"},
        {"Mac Roman", 10000, "\x8A", "\xC3\xA4"},
        {"double-byte Japanese", 932, "\x93\xFA\x96\x7B", "\xE6\x97\xA5\xE6\x9C\xAC"},
        {"a byte Greek leaves undefined", 1253, "a\xAA" "b", "a\xEF\xBF\xBD" "b"},
        {"a lead byte cut off at the end", 932, "a\x93", "a\xEF\xBF\xBD"},
        {"an unknown code page is read as Windows-1252", 12345, "\x80", "\xE2\x82\xAC"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(codePageToUtf8(c.bytes, c.codePage), c.utf8) << c.name;
}

TEST(CodePage, Utf16PairsJoinAndLoneHalvesBecomeReplacementCharacters)
{
    EXPECT_EQ(utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(utf16ToUtf8(std::u16string{0xD83D, u'a'}), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(utf16ToUtf8(std::u16string{0xDE00}), "\xEF\xBF\xBD");
    EXPECT_EQ(spreadsheet::detail::utf8ToUtf16("\xE2\x82\xAC"), u"\u20AC");
    EXPECT_EQ(spreadsheet::detail::utf16ToCp1252(u'\u20AC'), '\x80');
    EXPECT_EQ(spreadsheet::detail::utf16ToCp1252(u'\u0394'), '?');
}

} // namespace
