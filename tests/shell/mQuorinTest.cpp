#include "shell/core/mQuorin.h"

#include <gtest/gtest.h>

TEST(mQuorin, IsSheetOpenNeedsASecondWindowAndNoFlankWindow)
{
    mQuorin::ProgramState state;
    int windows = 1;
    state.loadedWindowCount = [&windows] { return windows; };
    EXPECT_FALSE(state.IsSheetOpen()) << "only the main window";
    windows = 2;
    EXPECT_TRUE(state.IsSheetOpen());
    state.gFlankWinOpen = true;
    windows = 5;
    EXPECT_FALSE(state.IsSheetOpen()) << "the flank work window blocks every workbook command";
}

TEST(mQuorin, ColumnLettersRunFromAToIV)
{
    mQuorin::ProgramState state;
    state.BuildColLetters();
    ASSERT_EQ(state.gColLetter.size(), 256u);
    EXPECT_EQ(state.gColLetter[0], "A");
    EXPECT_EQ(state.gColLetter[25], "Z");
    EXPECT_EQ(state.gColLetter[26], "AA");
    EXPECT_EQ(state.gColLetter[51], "AZ");
    EXPECT_EQ(state.gColLetter[255], "IV");
}

TEST(mQuorin, ScopesInstallAndRestoreTheState)
{
    mQuorin::ProgramState outer;
    mQuorin::ProgramState inner;
    mQuorin::ProgramScope a(outer);
    EXPECT_EQ(&mQuorin::Program(), &outer);
    {
        mQuorin::ProgramScope b(inner);
        EXPECT_EQ(&mQuorin::Program(), &inner);
    }
    EXPECT_EQ(&mQuorin::Program(), &outer);
}
