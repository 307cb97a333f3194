#include "shell/core/InsertRules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(InsertRules, DrawButtonsSelectTheirModes)
{
    struct Case {
        const char* key;
        std::optional<std::int32_t> mode;
    };
    const Case cases[] = {
        {"Line", 1},      {"Rectangle", 2},      {"Ellipse", 3},       {"Arc", 4},         {"Chart", 5},
        {"Button", 7},    {"Freeform", 8},       {"Drawing", std::nullopt},
        {"line", std::nullopt},  // keys are compared exactly
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::drawButtonMode(c.key), c.mode) << c.key;
}

TEST(InsertRules, EveryModeWithAButtonFindsItBackAndFormControlsHaveNone)
{
    for (std::string_view key : shell::kDrawToolbar) {
        const auto mode = shell::drawButtonMode(key);
        if (mode) {
            EXPECT_EQ(shell::drawButtonForMode(*mode), key);
        }
    }
    for (std::int32_t mode : {0, 6, 9, 10, 11, -1})
        EXPECT_FALSE(shell::drawButtonForMode(mode)) << mode;
    // Each object item of the Insert menu has its own mode.
    std::set<std::int32_t> modes;
    for (const auto& item : shell::kInsertObjectItems)
        EXPECT_TRUE(modes.insert(item.mode).second) << item.name;
    EXPECT_EQ(modes.size(), 9u);
}

TEST(InsertRules, ClickingADrawButtonTwiceEndsTheMode)
{
    struct Case {
        const char* name;
        std::int32_t current, clicked;
        std::int32_t mode;
        bool pressed;
    };
    const Case cases[] = {
        {"from normal editing", 0, 1, 1, true},
        {"another mode", 3, 2, 2, true},
        {"the mode in force", 4, 4, 0, false},
        {"a mode the menu set without a button", 9, 8, 8, true},
    };
    for (const Case& c : cases) {
        const shell::DrawClick click = shell::clickDrawButton(c.current, c.clicked);
        EXPECT_EQ(click.newMode, c.mode) << c.name;
        EXPECT_EQ(click.pressClicked, c.pressed) << c.name;
    }
}

TEST(InsertRules, MenuOpeningFollowsModeAndObjectSelection)
{
    struct Case {
        const char* name;
        std::int32_t mode, objects;
        bool cancel, cells;
    };
    const Case cases[] = {
        {"normal editing, no object", 0, 0, false, true},
        {"insert mode", 3, 0, true, true},
        {"one object selected", 0, 1, false, false},
        {"several objects in an insert mode", 10, 3, true, false},
    };
    for (const Case& c : cases) {
        const shell::InsertMenuState s = shell::insertMenuState(c.mode, c.objects);
        EXPECT_EQ(s.enableCancel, c.cancel) << c.name;
        EXPECT_EQ(s.cellItems, c.cells) << c.name;
    }
}

} // namespace
