#include "shell/core/FormatRules.h"

#include <gtest/gtest.h>

namespace {

using shell::decideFreeze;
using shell::FreezeAction;
using Kind = shell::FreezeAction::Kind;

TEST(FormatRules, FreezeFollowsTheSelection)
{
    const struct {
        const char* name;
        spreadsheet::RangeRef sel;
        bool frozen;
        Kind kind;
        std::int32_t firstRow, rows, firstCol, cols;
    } rows[] = {
        {"cursor in C5", {5, 3, 5, 3}, false, Kind::FreezeCell, 1, 4, 1, 2},
        {"cursor in A1 freezes nothing", {1, 1, 1, 1}, false, Kind::FreezeCell, 1, 0, 1, 0},
        {"whole rows 3-5", {3, 1, 5, 256}, false, Kind::FreezeRows, 3, 3, 1, 0},
        {"whole columns B-D", {1, 2, 16384, 4}, false, Kind::FreezeCols, 1, 0, 2, 3},
        {"whole sheet takes the columns rule", {1, 1, 16384, 256}, false, Kind::FreezeCols, 1, 0, 1, 256},
        {"a block is refused", {2, 2, 9, 4}, false, Kind::Refuse, 1, 0, 1, 0},
        {"frozen panes are cleared whatever is selected", {2, 2, 9, 4}, true, Kind::Unfreeze, 1, 0, 1, 0},
    };
    for (const auto& r : rows) {
        const FreezeAction a = decideFreeze(r.sel, r.frozen);
        EXPECT_EQ(a.kind, r.kind) << r.name;
        EXPECT_EQ(a.firstRow, r.firstRow) << r.name;
        EXPECT_EQ(a.rows, r.rows) << r.name;
        EXPECT_EQ(a.firstCol, r.firstCol) << r.name;
        EXPECT_EQ(a.cols, r.cols) << r.name;
    }
}

TEST(FormatRules, MenuStateFollowsObjectsAndPanes)
{
    const auto plain = shell::stateFor(false, 0);
    EXPECT_TRUE(plain.cellItems);
    EXPECT_FALSE(plain.objectItems);
    EXPECT_EQ(plain.freezeCaption, "&Freeze Panes");
    const auto objects = shell::stateFor(true, 2);
    EXPECT_FALSE(objects.cellItems);
    EXPECT_TRUE(objects.objectItems);
    EXPECT_EQ(objects.freezeCaption, "Un&freeze Panes");
}

} // namespace
