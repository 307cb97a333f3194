// Finding text in a text box (over a fake box), marking every occurrence,
// and the extremes of a list.

#include "shell/core/SimpTool.h"

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/widgets/richtext/TextBox.h"
#include "tests/support/ErrorAssert.h"

namespace {

// A text box over a byte string; marks are kept per character.
class FakeBox final : public platform::RichText {
public:
    explicit FakeBox(std::string text) : text(std::move(text)), red(this->text.size()), bold(this->text.size()) {}

    std::int32_t find(std::string_view what, std::int32_t from) const override
    {
        const auto at = text.find(what, static_cast<std::size_t>(std::max(from, 0)));
        return at == std::string::npos ? -1 : static_cast<std::int32_t>(at);
    }
    std::int32_t length(std::string_view t) const override { return static_cast<std::int32_t>(t.size()); }
    std::int32_t SelStart() const override { return start; }
    std::int32_t SelLength() const override { return len; }
    void setSelStart(std::int32_t s) override
    {
        start = s;
        len = 0;
    }
    void setSelLength(std::int32_t l) override { len = l; }
    std::string Tag() const override { return tag; }
    void setTag(std::string t) override { tag = std::move(t); }
    void SetFocus() override { ++focused; }
    void setSelColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) override
    {
        for (std::int32_t i = start; i < start + len; ++i)
            red[static_cast<std::size_t>(i)] = r == 255 && g == 0 && b == 0;
    }
    void setSelBold(bool on) override
    {
        for (std::int32_t i = start; i < start + len; ++i)
            bold[static_cast<std::size_t>(i)] = on;
    }

    std::string text;
    std::vector<bool> red;
    std::vector<bool> bold;
    std::int32_t start = 0;
    std::int32_t len = 0;
    std::string tag;
    int focused = 0;
};

class SimpToolFind : public ::testing::Test {
protected:
    SimpToolFind() : m_scope(boxes) {}
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs m_scope;
};

TEST_F(SimpToolFind, FindThenFindNextWalksEveryMatchAndStaysOnTheLast)
{
    FakeBox box("abcabc");
    SimpTool::FindText(box, std::string("bc"));
    EXPECT_EQ(box.start, 1);
    EXPECT_EQ(box.len, 2);
    EXPECT_EQ(box.tag, "bc.3");
    SimpTool::FindNext(box);
    EXPECT_EQ(box.start, 4);
    EXPECT_EQ(box.tag, "bc.6");
    SimpTool::FindNext(box);  // no third: the last match stays selected
    EXPECT_EQ(box.start, 4);
    EXPECT_EQ(box.len, 2);
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_EQ(box.focused, 3);
}

TEST_F(SimpToolFind, MessagesForNothingFoundAndAnEmptySearch)
{
    struct Case {
        const char* name;
        std::string typed;
        const char* message;
    };
    const Case cases[] = {
        {"case-sensitive miss", "BC", "String not found."},
        {"empty answer", "", "You specified an empty search string."},
    };
    for (const Case& c : cases) {
        FakeBox box("abcabc");
        boxes.clear();
        boxes.type(c.typed);
        SimpTool::FindText(box);
        ASSERT_EQ(boxes.calls().size(), 2u) << c.name;
        EXPECT_EQ(boxes.calls()[0].text, "Enter text to be found (case-sensitive):") << c.name;
        EXPECT_EQ(boxes.calls()[1].text, c.message) << c.name;
        EXPECT_EQ(boxes.calls()[1].title, "Tessaray") << c.name;
        EXPECT_EQ(box.tag, "") << c.name;
        EXPECT_EQ(box.start, 0) << c.name;
    }
}

TEST_F(SimpToolFind, SearchTextWithAPointRoundTripsThroughTheTag)
{
    FakeBox box("v1.2 and v1.2");
    SimpTool::FindText(box, std::string("1.2"));
    EXPECT_EQ(box.tag, "1.2.3");
    SimpTool::FindNext(box);
    EXPECT_EQ(box.start, 10);
}

TEST_F(SimpToolFind, FindNextWithoutMemoryAsksLikeFind)
{
    FakeBox box("xyz");
    box.tag = "nomemory";
    boxes.type("z");
    SimpTool::FindNext(box);
    EXPECT_EQ(box.start, 2);
    EXPECT_EQ(box.tag, "z.4");
}

TEST(SimpToolFindAll, MarksEveryOccurrenceWithoutOverlap)
{
    struct Case {
        const char* text;
        const char* what;
        std::int32_t count;
        const char* marked;  // x under each marked character
    };
    const Case cases[] = {
        {"AAAA", "AA", 2, "xxxx"},
        {"abab", "ab", 2, "xxxx"},
        {"a-b-a", "a", 2, "x---x"},
        {"abc", "zz", 0, "---"},
        {"abc", "", 0, "---"},
    };
    for (const Case& c : cases) {
        FakeBox box(c.text);
        std::int32_t start = 0;
        EXPECT_EQ(SimpTool::FindAll(box, c.what, start), c.count) << c.text << " / " << c.what;
        std::string marks;
        for (std::size_t i = 0; i < box.text.size(); ++i) {
            EXPECT_EQ(box.red[i], box.bold[i]);
            marks += box.red[i] ? 'x' : '-';
        }
        EXPECT_EQ(marks, c.marked) << c.text << " / " << c.what;
        EXPECT_EQ(box.len, 0);
    }
}

TEST(SimpToolExtremes, FirstOfEqualValuesAndItsPosition)
{
    const std::array<double, 3> low{3, 1, 1};
    const std::array<double, 3> high{2, 5, 5};
    std::int32_t at = -1;
    EXPECT_EQ(SimpTool::MinOfArray(low, 3, &at), 1.0);
    EXPECT_EQ(at, 1);
    EXPECT_EQ(SimpTool::MaxOfArray(high, 3, &at), 5.0);
    EXPECT_EQ(at, 1);
    EXPECT_EQ(SimpTool::MaxOfArray(high, 1, &at), 2.0);  // only the first counts
    EXPECT_EQ(SimpTool::MinOfArray(low, 0, &at), 3.0);   // a count of 0 gives element 0
    EXPECT_EQ(at, 0);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)SimpTool::MinOfArray(low, 4); }), 9);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)SimpTool::MaxOfArray(std::span<const double>(), 0); }), 9);
}

} // namespace
