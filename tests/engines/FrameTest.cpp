// The helpers every engine shares: bounded copies into caller buffers, the
// message cursor, checked allocation and the progress pattern.

#include "engines/frame/Frame.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace tallowin;

TEST(EngineFrame, BoundedCopyTruncatesTerminatesAndReportsTheSizeNeeded)
{
    struct Case {
        int32_t capacity;
        std::string written;
    };
    const Case cases[] = {{0, ""}, {1, ""}, {3, "ab"}, {5, "abcd"}, {6, "abcd"}};
    for (const auto& c : cases) {
        std::string buffer(8, '#');
        EXPECT_EQ(copyBounded("abcd", buffer.data(), c.capacity), 5);
        if (c.capacity > 0) {
            EXPECT_EQ(std::string(buffer.c_str()), c.written);
        }
        for (std::size_t k = static_cast<std::size_t>(std::max(c.capacity, 0)); k < buffer.size(); ++k)
            EXPECT_EQ(buffer[k], '#') << "capacity " << c.capacity << " byte " << k;
    }
    EXPECT_EQ(copyBounded("abc", nullptr, 10), 4);
    EXPECT_EQ(boundedLength("abc", 10), 3u);
    EXPECT_EQ(boundedLength("abcdef", 4), 4u);
    EXPECT_EQ(boundedLength(nullptr, 4), 0u);
}

TEST(EngineFrame, MessagesFollowEachOtherEachEndedByANewline)
{
    MessageCursor m;
    m.AppendMessage("first\n");
    m.AppendMessage("second");
    EXPECT_EQ(m.text(), "first\n\nsecond\n");
}

TEST(EngineFrame, ShiftRightMakesAOneBasedCopy)
{
    EXPECT_EQ(ShiftRight("ACG"), "AACG");
    EXPECT_EQ(ShiftRight("").size(), 1u);
}

TEST(EngineFrame, FailedAllocationLeavesItsMessageAndAnEmptyVector)
{
    EngineContext ctx;
    std::vector<int> v{1, 2, 3};
    ctx.failAllocationNumber(2);
    EXPECT_TRUE(ctx.CheckedNew(v, 4, 7));
    EXPECT_EQ(v, (std::vector<int>{7, 7, 7, 7}));
    EXPECT_FALSE(ctx.CheckedNew(v, 4));
    EXPECT_TRUE(v.empty());
    EXPECT_EQ(ctx.messages.text(), "Memory allocation failed.\n");
    // A request no memory can hold fails the same way instead of throwing.
    std::vector<double> huge;
    EXPECT_FALSE(ctx.CheckedNew(huge, std::size_t{1} << 62));
    EXPECT_EQ(ctx.messages.text(), "Memory allocation failed.\nMemory allocation failed.\n");
}

class ThrowingProgress final : public EngineProgress {
public:
    void open() override { throw std::runtime_error("no display"); }
    void setCaption(std::string_view) override { throw std::runtime_error("no display"); }
    void setText(std::string_view) override { throw std::runtime_error("no display"); }
    void setRange(int, int) override { throw std::runtime_error("no display"); }
    void setPosition(int) override { throw std::runtime_error("no display"); }
    void close() override { throw std::runtime_error("no display"); }
};

TEST(EngineFrame, ProgressRunOpensCaptionsAndClosesAndSurvivesAFailingWindow)
{
    std::vector<std::string> events;
    {
        RecordingProgress recording(events);
        ProgressRun run(recording, "Contig assembly", "Running...\n");
        run.text("stage");
        run.range(0, 9);
        run.position(4);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"open", "caption Contig assembly", "text Running...\n", "text stage",
                                                "range 0 9", "position 4", "close"}));

    ThrowingProgress broken;
    EXPECT_NO_THROW({
        ProgressRun run(broken, "DNAML", "Running...\n");
        run.text("stage");
        run.position(1);
    });
}

TEST(EngineFrame, WithoutAFactoryOrWhenItGivesNoneTheWindowIsNull)
{
    tallowin_set_progress_factory(nullptr, nullptr);
    auto none = makeProgress();
    ASSERT_NE(none, nullptr);
    EXPECT_NE(dynamic_cast<NullProgress*>(none.get()), nullptr);

    tallowin_set_progress_factory([](void*) -> EngineProgress* { return nullptr; }, nullptr);
    EXPECT_NE(dynamic_cast<NullProgress*>(makeProgress().get()), nullptr);

    tallowin_set_progress_factory([](void*) -> EngineProgress* { throw std::runtime_error("no window"); }, nullptr);
    EXPECT_NE(dynamic_cast<NullProgress*>(makeProgress().get()), nullptr);
    tallowin_set_progress_factory(nullptr, nullptr);
}

TEST(EngineFrame, GuardedExportTurnsExceptionsIntoTheFailureValue)
{
    EXPECT_EQ(guardedExport(0, [] { return 1; }), 1);
    EXPECT_EQ(guardedExport(0, []() -> int { throw std::bad_alloc(); }), 0);
    EXPECT_EQ(guardedExport(-1, []() -> int { throw 42; }), -1);
}

} // namespace
