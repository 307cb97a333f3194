#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "errorlib/FErrorLayout.h"
#include "errorlib/RetryCountdown.h"
#include "tests/errorlib/HandlerFixture.h"

using namespace rampart;
using errorlib_test::HandlerTest;

namespace L = rampart::FErrorLayout;

TEST(RetryCountdown, TicksPausesResumesAndRunsOutToRetry)
{
    RetryCountdown c;
    c.start(3, true);
    EXPECT_EQ(c.caption(), " Don't Retry = 3 ");
    EXPECT_EQ(c.toolTip(), "Cancel Automatic Retry Timer");
    EXPECT_FALSE(c.tick());
    EXPECT_EQ(c.caption(), "Don't Retry = 2");
    c.pause();
    EXPECT_FALSE(c.isRunning());
    EXPECT_EQ(c.caption(), "Retry = 2");
    EXPECT_EQ(c.toolTip(), "Resume Automatic Retry Timer");
    EXPECT_FALSE(c.tick()) << "a paused countdown does not move";
    EXPECT_EQ(c.seconds(), 2);
    // Resuming takes a second off at once.
    EXPECT_FALSE(c.resume());
    EXPECT_EQ(c.caption(), "Don't Retry = 1");
    EXPECT_TRUE(c.tick()) << "the last second gives the retry";
    EXPECT_FALSE(c.isRunning());
    EXPECT_EQ(c.caption(), "Don't Retry = 0");
}

TEST(RetryCountdown, ResumingOnTheLastSecondRetriesAtOnce)
{
    RetryCountdown c;
    c.start(1, true);
    EXPECT_FALSE(c.toggle());
    EXPECT_EQ(c.caption(), "Retry = 1");
    EXPECT_TRUE(c.toggle());
}

TEST(RetryCountdown, NotStartedNeverRuns)
{
    RetryCountdown c;
    c.start(20, false);
    EXPECT_EQ(c.caption(), " Don't Retry = 20 ");
    EXPECT_FALSE(c.tick());
    EXPECT_EQ(c.seconds(), 20);
}

TEST(FErrorLayout, RowPlacesShownButtonsAndSkipsEmptyCaptions)
{
    struct Row {
        const char* name;
        std::vector<int> widths;  // -1: empty caption
        std::vector<int> lefts;
        int rowWidth;
    };
    const Row rows[] = {
        {"four", {1000, 800, 700, 1500}, {180, 1480, 2580, 3580}, 5470},
        {"middle empty", {1000, -1, 700}, {180, 0, 1480}, 2570},
        {"all empty", {-1, -1, -1}, {0, 0, 0}, 270},
    };
    for (const Row& row : rows) {
        std::vector<L::ButtonRecord> records;
        for (int w : row.widths) {
            records.push_back({w < 0 ? std::string() : std::to_string(w), "tip"});
        }
        const L::Row laid = L::layoutRow(records, [](const std::string& caption) { return std::stoi(caption); });
        EXPECT_EQ(laid.width, row.rowWidth) << row.name;
        for (std::size_t i = 0; i < row.widths.size(); ++i) {
            EXPECT_EQ(laid.buttons[i].visible, row.widths[i] >= 0) << row.name << " " << i;
            EXPECT_EQ(laid.buttons[i].left, row.lefts[i]) << row.name << " " << i;
            EXPECT_EQ(laid.buttons[i].width, row.widths[i] < 0 ? 0 : row.widths[i] + 210) << row.name << " " << i;
        }
    }
}

TEST(FErrorLayout, WidthFollowsRowsAndTextUpToEightyPercentOfTheScreen)
{
    // Rows alone.
    EXPECT_EQ(L::dialogWidth(3000, 5470, 1000, 255, 15360), 5470);
    EXPECT_EQ(L::dialogWidth(6000, 5470, 1000, 255, 15360), 6000);
    // The text needs its widest line + scroll bar + 90, and 360 of margins.
    EXPECT_EQ(L::dialogWidth(0, 5470, 6000, 255, 15360), 6000 + 255 + 90 + 360);
    // Never wider than 80 % of the screen.
    EXPECT_EQ(L::dialogWidth(0, 5470, 100000, 255, 15360), 12288);
    EXPECT_EQ(L::dialogWidth(20000, 5470, 0, 255, 15360), 12288);
}

TEST(FErrorLayout, ErrorTextLeavesOutEmptyParts)
{
    EXPECT_EQ(L::errorText("Disk full", "", ""), "Disk full");
    EXPECT_EQ(L::errorText("Disk full", "Free space", ""), "Disk full\r\n\r\nFree space");
    EXPECT_EQ(L::errorText("Disk full", "", "Drive D"), "Disk full\r\n\r\nDrive D");
    EXPECT_EQ(L::errorText("a", "b", "c"), "a\r\n\r\nb\r\n\r\nc");
    const auto len = [](const std::string& s) { return static_cast<int>(s.size()); };
    EXPECT_EQ(L::widestLine("ab\r\nabcd\r\n\r\nabc", len), 4);
}

TEST(FErrorLayout, RemarksLoseOuterBlanksOnly)
{
    EXPECT_EQ(L::trimRemarks("   "), "");
    EXPECT_EQ(L::trimRemarks(""), "");
    EXPECT_EQ(L::trimRemarks("  cable  loose "), "cable  loose");
}

TEST(FErrorLayout, SwitchesDecideFramesButtonsAndCountdown)
{
    struct Row {
        const char* name;
        bool retryAllowed, cancelAllowed, allowRetry, autoRetry, allowRemarks, showCustom;
        std::array<bool, 4> frames, visible, enabled;
        bool countdown;
    };
    const Row rows[] = {
        {"defaults", true, true, true, false, false, false, {true, false, false, true}, {true, true, true, false},
         {true, true, true, false}, false},
        {"auto retry", true, true, true, true, false, false, {true, false, false, true}, {true, true, true, true},
         {true, true, true, true}, true},
        {"remarks and custom", true, true, true, false, true, true, {true, true, true, true},
         {true, true, true, false}, {true, true, true, false}, false},
        {"fatal", false, false, true, true, false, false, {true, false, false, true}, {true, true, true, true},
         {true, false, false, false}, false},
        // AllowRetry off hides both retry buttons, and the hidden countdown must not retry.
        {"retry switched off", true, true, false, true, false, false, {true, false, false, true},
         {true, true, false, false}, {true, true, true, true}, false},
    };
    for (const Row& row : rows) {
        ErrorDialogRequest r;
        r.retryAllowed = row.retryAllowed;
        r.cancelAllowed = row.cancelAllowed;
        r.allowRetry = row.allowRetry;
        r.autoRetry = row.autoRetry;
        r.allowRemarks = row.allowRemarks;
        r.showCustom = row.showCustom;
        const L::States s = L::states(r);
        EXPECT_EQ(s.frameVisible, row.frames) << row.name;
        EXPECT_EQ(s.buttonVisible, row.visible) << row.name;
        EXPECT_EQ(s.buttonEnabled, row.enabled) << row.name;
        EXPECT_EQ(s.countdownRuns, row.countdown) << row.name;
    }
}

namespace {

class CustomClickClient : public IErrorClient {
public:
    void CustomClick(std::int16_t& Index) override { clicks.push_back(Index); }
    std::vector<std::int16_t> clicks;
};

} // namespace

TEST_F(HandlerTest, DialogRequestCarriesTheCustomRowAndItsCallback)
{
    auto client = std::make_shared<CustomClickClient>();
    handler().SetErrorClient(client);
    handler().SetShowCustom(true);
    handler().SetCustomFrameCaption("Support");
    handler().SetCustomCaption(1, "&Mail");
    handler().SetCustomToolTip(1, "Mail the log");
    handler().SetCustomCaption(2, "");
    handler().SetCustomCaption(3, "&Call");
    initialize();
    ui().dialogAnswers.push_back({2, ""});
    (void)handler().HandleError(ErrObject(5, "", "boom"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                rmpRetryLine);
    ASSERT_EQ(ui().dialogs.size(), 1U);
    const ErrorDialogRequest& r = ui().dialogs[0];
    EXPECT_TRUE(r.showCustom);
    EXPECT_EQ(r.customFrameCaption, "Support");
    EXPECT_EQ(r.customCaptions, (std::array<std::string, 3>{"&Mail", "", "&Call"}));
    EXPECT_EQ(r.customToolTips[0], "Mail the log");
    ASSERT_TRUE(r.customClick);
    r.customClick(3);
    EXPECT_EQ(client->clicks, std::vector<std::int16_t>{3});
    handler().SetShowCustom(false);
}
