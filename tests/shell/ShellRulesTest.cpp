#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "shell/core/ShellRules.h"
#include "shell/core/mQuorin.h"

using shell::View;

TEST(ShellRules, HoldEndsTwoSecondsAfterTheStartRoundedHalfToEven)
{
    const struct {
        double start;
        double deadline;
    } rows[] = {{12.4, 14}, {12.6, 15}, {12.5, 14}, {13.5, 16}, {0.2, 2}};
    for (const auto& row : rows) {
        EXPECT_EQ(shell::HoldDeadline(row.start), row.deadline) << row.start;
    }
}

TEST(ShellRules, ZoomAcceptsOnlyValuesStrictlyBetweenTenAndFourHundred)
{
    const struct {
        const char* text;
        std::optional<std::int16_t> scale;
    } rows[] = {{"75%", 75},        {"100%", 100},         {"11", 11},         {"399", 399},
                {"10", std::nullopt}, {"400%", std::nullopt}, {"", std::nullopt}, {"abc", std::nullopt},
                {"10.6", 11},       {"99999", std::nullopt}, {"-50", std::nullopt}};
    for (const auto& row : rows) {
        EXPECT_EQ(shell::ViewScaleFromText(row.text), row.scale) << row.text;
    }
}

TEST(ShellRules, FontSizeRoundsHalfToEvenAndIgnoresBlankText)
{
    const struct {
        const char* text;
        std::optional<std::int16_t> size;
    } rows[] = {{"12.5", 12}, {"13.5", 14}, {" 9 ", 9}, {"", std::nullopt}, {"   ", std::nullopt},
                {"x", 0},     {"70000", std::nullopt}};
    for (const auto& row : rows) {
        EXPECT_EQ(shell::FontSizeFromText(row.text), row.size) << row.text;
    }
}

TEST(ShellRules, BooksAreNumberedOnwardAndTheCounterNeverWraps)
{
    mQuorin::ProgramState program;
    EXPECT_EQ(shell::NextBookCaption(program), "Book1");
    EXPECT_EQ(shell::NextBookCaption(program), "Book2");
    program.gBookCount = 32767;
    try {
        (void)shell::NextBookCaption(program);
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 6);
    }
    EXPECT_EQ(program.gBookCount, 32767);
}

TEST(ShellRules, GeneFillListHoldsG1ToG9999ThenSixSeparators)
{
    const std::string& list = shell::GeneFillList();
    EXPECT_EQ(list.size(), 58893u);
    EXPECT_EQ(list.substr(0, 9), "G1;G2;G3;");
    EXPECT_EQ(list.substr(list.size() - 12), "G9999;;;;;;;");
    EXPECT_NE(list.find(";G10;G11;"), std::string::npos);
    EXPECT_NE(list.find(";G998;G999;G1000;"), std::string::npos);
}

TEST(ShellRules, EachViewSetsItsMenusAndLeavesToolsWindowAndHelpAlone)
{
    auto visible = [](View view, const std::string& name) -> std::optional<bool> {
        for (const auto& state : shell::MenuSetFor(view)) {
            if (name == state.name) {
                return state.visible;
            }
        }
        return std::nullopt;
    };
    for (View view : {View::Data, View::Tree, View::Output}) {
        for (const char* kept : {"mnuToolS", "mnuWindow", "mnuHelp", "mnuFixed"}) {
            EXPECT_FALSE(visible(view, kept).has_value()) << kept;
        }
        for (const char* workbookMenu :
             {"mnuFile", "mnuEdit", "mnuView", "mnuInsert", "mnuFormat", "mnuData", "mnuAnalysis", "mnuToolsRecalc"}) {
            EXPECT_EQ(visible(view, workbookMenu), view == View::Data) << workbookMenu;
        }
        EXPECT_EQ(visible(view, "mnuTree"), view == View::Tree);
        EXPECT_EQ(visible(view, "Edit"), view == View::Output);
    }
    // The tree view's set ends by showing the Tree menu; the data view's
    // hides the text Edit menu before showing the worksheet one.
    EXPECT_STREQ(shell::MenuSetFor(View::Tree).back().name, "mnuTree");
    EXPECT_STREQ(shell::MenuSetFor(View::Data).front().name, "Edit");
}
