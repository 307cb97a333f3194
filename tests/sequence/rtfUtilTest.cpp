#include "sequence/rtfUtil.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/sequence/SeqTestUtil.h"

namespace {

TEST(RtfUtil, ColouringsMarkOnlyTheirUpperCaseLetters)
{
    EXPECT_EQ(rtfUtil::RtfColorRNA("ACGU"), "\\cf1 A\\cf2 C\\cf3 G\\cf4 U");
    EXPECT_EQ(rtfUtil::RtfColorRNA("acgu"), "acgu");
    EXPECT_EQ(rtfUtil::RtfColorRNA("T"), "T");
    EXPECT_EQ(rtfUtil::RtfColorResidues("V"), "\\cf0 V");
    EXPECT_EQ(rtfUtil::RtfColorResidues("X-"), "X-");
    EXPECT_EQ(rtfUtil::RtfColorResidues("ATW"), "\\cf1 A\\cf4 T\\cf18 W");
    EXPECT_EQ(rtfUtil::RtfColorPrefix("ACG", rtfUtil::Color::Blue), "\\cf2 ACG");
}

TEST(RtfUtil, BracesAndBackslashesAreEscaped)
{
    EXPECT_EQ(rtfUtil::RtfEscape("a{b}\\c"), "a\\{b\\}\\\\c");
    EXPECT_EQ(rtfUtil::RtfColorResidues("{A}"), "\\{\\cf1 A\\}");
}

TEST(RtfUtil, ColourOutsideTheEnumRaisesItsError)
{
    std::string source;
    std::string description;
    EXPECT_EQ(testsupport::errorNumber([] { (void)rtfUtil::RtfColorPrefix("A", static_cast<rtfUtil::Color>(5)); },
                                   &source, &description),
              1);
    EXPECT_EQ(source, "rtfConv");
    EXPECT_EQ(description, "Color code not specified in Enum Color");
}

TEST(RtfUtil, HeadersCarryTheChosenTableAndFont)
{
    EXPECT_EQ(rtfUtil::RtfHeader(false),
              "{\\rtf1{\\fonttbl{\\f0\\fmodern Courier New;}}{\\colortbl\\red0\\green0\\blue0;"
              "\\red255\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue0;\\red255\\green0\\blue255;}"
              "\\deflang1033\\pard\\plain\\f0\\fs22 ");
    const std::string longHeader = rtfUtil::RtfHeader(true);
    EXPECT_NE(longHeader.find("\\red100\\green10\\blue200;}"), std::string::npos);
    EXPECT_EQ(longHeader.substr(longHeader.size() - 5), "fs22 ");
    const std::string font = rtfUtil::RtfHeaderFont(false, 10, true, false);
    EXPECT_EQ(font.substr(font.size() - 8), "\\fs20\\b ");
    const std::string both = rtfUtil::RtfHeaderFont(true, 9, true, true);
    EXPECT_EQ(both.substr(both.size() - 10), "\\fs18\\b\\i ");
}

class FakeBox : public rtfUtil::HighlightBox {
public:
    explicit FakeBox(std::string text) : m_text(std::move(text)) {}
    std::string text() const override { return m_text; }
    void highlight(std::int32_t start, std::int32_t length) override { marks.emplace_back(start, length); }
    void setCaret(std::int32_t position) override { caret = position; }

    std::vector<std::pair<int, int>> marks;
    int caret = -1;

private:
    std::string m_text;
};

TEST(RtfUtil, FindAllHighlightsNonOverlappingMatches)
{
    FakeBox box("AAAA");
    std::int32_t start = 0;
    EXPECT_EQ(rtfUtil::FindAll(box, "AA", start), 2);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(box.marks, (std::vector<std::pair<int, int>>{{0, 2}, {2, 2}}));
    EXPECT_EQ(box.caret, 2);
    EXPECT_EQ(rtfUtil::LastFindPos(), 0);
    EXPECT_EQ(rtfUtil::FindAllPositions("xAAyAA", "AA", 3), (std::vector<std::int32_t>{5}));
}

TEST(RtfUtil, FindAllOfEmptyOrAbsentTextChangesNothing)
{
    FakeBox box("ACGT");
    std::int32_t start = 0;
    EXPECT_EQ(rtfUtil::FindAll(box, "", start), 0);
    EXPECT_EQ(rtfUtil::FindAll(box, "GG", start), 0);
    EXPECT_TRUE(box.marks.empty());
    EXPECT_EQ(box.caret, -1);
}

} // namespace
