#include "shell/core/ToolbarRules.h"

#include <gtest/gtest.h>

namespace {

using shell::ToolbarPollInput;

TEST(ToolbarRules, PollFollowsTheObjectSelectionAndTheClipboard)
{
    struct Case {
        const char* name;
        std::int32_t objects;
        std::int32_t type;
        bool canPaste;
        bool format, polygon, cells, paste;
    };
    const Case cases[] = {
        {"no object, clipboard empty", 0, 0, false, true, true, true, false},
        {"no object, something to paste", 0, 0, true, true, true, true, true},
        {"one polygon", 1, 8, true, false, true, false, true},
        {"one line", 1, 1, false, false, false, false, false},
        {"two objects", 2, 1, false, true, true, true, false},
    };
    for (const Case& c : cases) {
        ToolbarPollInput in;
        in.hasActiveChild = true;
        in.caption = "Book1";
        in.sheetOpen = true;
        in.selectedObjects = c.objects;
        in.firstObjectType = c.type;
        in.canPaste = c.canPaste;
        const auto states = shell::PollToolbars(in);
        ASSERT_TRUE(states) << c.name;
        EXPECT_EQ(states->formatEnabled, c.format) << c.name;
        EXPECT_EQ(states->polygonEnabled, c.polygon) << c.name;
        EXPECT_EQ(states->cellButtonsEnabled, c.cells) << c.name;
        EXPECT_EQ(states->pasteEnabled, c.paste) << c.name;
    }
}

TEST(ToolbarRules, WindowsWithoutAWorksheetLeaveTheStates)
{
    struct Case {
        const char* name;
        bool child;
        const char* caption;
        bool sheetOpen;
        bool polled;
    };
    const Case cases[] = {
        {"no active child", false, "", true, false},
        {"sequence window", true, "Sequence Tool", true, false},
        {"caption test is case-sensitive", true, "sequence notes", true, true},
        {"no sheet open", true, "Book1", false, false},
        {"document window", true, "Book1", true, true},
    };
    for (const Case& c : cases) {
        ToolbarPollInput in;
        in.hasActiveChild = c.child;
        in.caption = c.caption;
        in.sheetOpen = c.sheetOpen;
        EXPECT_EQ(shell::PollToolbars(in).has_value(), c.polled) << c.name;
    }
}

TEST(ToolbarRules, StandardToolbarHasItsButtonsInOrder)
{
    std::string keys;
    for (const shell::ToolbarEntry& e : shell::kStandardToolbar)
        keys += std::string(e.key.empty() ? "|" : e.key) + " ";
    EXPECT_EQ(keys, "New Open Save | Print | Cut Delete Copy Paste | Undo Redo Sum SortD SortA Find Help ");
}

} // namespace
