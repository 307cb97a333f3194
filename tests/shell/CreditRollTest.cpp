#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/core/CreditRoll.h"

using shell::CreditRoll;

TEST(CreditRoll, CreditsAreSixteenLinesWithNamesInOrderOfSurname)
{
    const std::vector<std::string> lines = shell::CreditLines();
    ASSERT_EQ(lines.size(), 16U);
    EXPECT_EQ(lines[2], "-------");
    EXPECT_EQ(lines[13], "");
    EXPECT_EQ(lines[14], "-------");
    EXPECT_EQ(lines[15], "Thank you all!!!");
    const std::vector<std::string> names(lines.begin() + 3, lines.begin() + 13);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    for (const std::string& name : names) {
        EXPECT_NE(name.find(", "), std::string::npos) << name;
    }
}

TEST(CreditRoll, OneLinePerTickWhileThePictureMovesUpFivePixels)
{
    CreditRoll roll({"a", "b", "c"}, 221, 10, 200, 400);
    EXPECT_EQ(roll.ScrollTop(), 221) << "the picture starts just below the window";
    std::vector<int> printed;
    std::vector<int> tops;
    for (int i = 0; i < 5; ++i) {
        const CreditRoll::Step step = roll.tick();
        printed.push_back(step.printLine);
        tops.push_back(step.copyTop);
        EXPECT_FALSE(step.finished);
    }
    EXPECT_EQ(printed, (std::vector<int>{0, 1, 2, -1, -1}));
    EXPECT_EQ(tops, (std::vector<int>{221, 216, 211, 206, 201}));
    EXPECT_EQ(roll.NextLine(), 3);
    roll.closed();
    EXPECT_EQ(roll.NextLine(), 0);
}

TEST(CreditRoll, RollEndsOnceThePictureHasLeftAtTheTop)
{
    CreditRoll roll({"a"}, 20, 0, 50, 10);
    int ticks = 0;
    CreditRoll::Step step;
    do {
        step = roll.tick();
        ++ticks;
    } while (!step.finished && ticks < 100);
    // 20 - 5k < -10 first holds for k = 7.
    EXPECT_EQ(ticks, 7);
    EXPECT_EQ(step.copyTop, -10) << "the last copy still touches the top edge";
    EXPECT_TRUE(roll.tick().finished) << "later ticks find the end at once";
}

TEST(CreditRoll, CentringRoundsHalvesToEven)
{
    EXPECT_EQ(CreditRoll::centredLeft(264, 163), 50);  // 50.5
    EXPECT_EQ(CreditRoll::centredLeft(264, 161), 52);  // 51.5
    EXPECT_EQ(CreditRoll::centredLeft(264, 164), 50);
    EXPECT_EQ(CreditRoll::centredLeft(264, 300), -18) << "wider than the window starts left of it";
}
