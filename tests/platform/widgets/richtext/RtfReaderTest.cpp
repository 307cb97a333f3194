#include "platform/widgets/richtext/RtfReader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <string>

#include "platform/widgets/richtext/RichTextBox.h"

namespace {

const std::string Header = "{\\rtf1{\\fonttbl{\\f0\\fmodern Courier New;}}{\\colortbl\\red0\\green0\\blue0;"
                           "\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\\deflang1033\\pard\\plain\\f0\\fs22 ";

QTextCharFormat formatAt(QTextDocument& doc, int position)
{
    QTextCursor c(&doc);
    c.setPosition(position + 1);
    return c.charFormat();
}

struct TextCase {
    const char* name;
    std::string body;
    QString text;
};

class RtfText : public ::testing::TestWithParam<TextCase> {};

TEST_P(RtfText, ReadsTheTextOfTheDocument)
{
    QTextDocument doc;
    platform::ReadRtf(doc, Header + GetParam().body + "}");
    EXPECT_EQ(doc.toPlainText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfText,
    ::testing::Values(TextCase{"oneBlankBelongsToTheWord", "\\cf1 A\\cf2  C", "A C"},
                      TextCase{"paragraphs", "ab \\par cd\\par ", "ab \ncd\n"},
                      TextCase{"escapes", "\\{x\\} \\\\ \\'41", "{x} \\ A"},
                      TextCase{"brokenHexIsDropped", "a\\'zzb", "azzb"},
                      TextCase{"unknownWordsAndStarGroupsAreSkipped", "a\\foo12 b{\\*\\bar hidden}c", "abc"},
                      TextCase{"unbalancedBracesDoNotStopTheReader", "a}}}b{{c", "abc"},
                      TextCase{"tab", "a\\tab b", "a\tb"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RtfReader, ColourIndexZeroIsTheFirstTableEntryAndBoldSwitches)
{
    QTextDocument doc;
    platform::ReadRtf(doc, Header + "\\cf1 A\\cf2 C\\cf0 G\\b T\\b0 U}");
    ASSERT_EQ(doc.toPlainText(), "ACGTU");
    EXPECT_EQ(formatAt(doc, 0).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatAt(doc, 1).foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(formatAt(doc, 2).foreground().color(), QColor(0, 0, 0));
    EXPECT_TRUE(formatAt(doc, 3).font().bold());
    EXPECT_FALSE(formatAt(doc, 4).font().bold());
    EXPECT_DOUBLE_EQ(formatAt(doc, 0).font().pointSizeF(), 11.0);
}

TEST(RtfReader, TheBoxTakesRichTextAndSavesPlainTextWithCrLf)
{
    platform::RichTextBox box;
    box.setTextRTF(Header + "ab\\par cd}");
    EXPECT_EQ(box.Text(), "ab\ncd");
    box.setText("x\r\ny\rz");
    EXPECT_EQ(box.Text(), "x\ny\nz");
}

} // namespace
