#include "shell/core/ErrHandler.h"

#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/FileNumbers.h"
#include "shell/core/mQuorin.h"
#include "tests/support/TestSupport.h"

using platform::Answer;
using platform::Error;

namespace {

const std::string kRequestA = "Please write down the number and message \r\n"
                              "and email me at tessaray-support@example.org\r\n"
                              " to report the error. Please include the\r\n"
                              "keystrokes and mouse clicks that have\r\n"
                              "led to the error. Thank you.";
const std::string kRequestB = "To report the error, please write down the number \r\n"
                              "and message, and email me at tessaray-support@example.org\r\n"
                              "Thank you.";

struct RecordingLink final : shell::ErrorHandlerLink {
    std::vector<std::string> calls;
    void TraceEnter(std::string_view m, std::string_view p) override
    {
        calls.push_back("enter " + std::string(m) + "." + std::string(p));
    }
    void TraceExit(std::string_view m, std::string_view p) override
    {
        calls.push_back("exit " + std::string(m) + "." + std::string(p));
    }
    bool DebugMode() const override { return false; }
    void PropagateError(int b) override { calls.push_back("propagate " + std::to_string(b)); }
};

} // namespace

TEST(ErrHandler, RaisedErrorShowsItsTrailUnderErorr)
{
    const auto r = ErrHandler::ReportFor(1, "SelectSheet");
    EXPECT_EQ(r.title, "Erorr!");
    EXPECT_EQ(r.text, "An unexpected error has occurred.\r\n\r\n"
                      "Error number: 1, Application-defined or object-defined error\r\n"
                      "Error source: SelectSheet\r\n\r\n" +
                          kRequestA);
}

TEST(ErrHandler, RowsAreChosenByNumberGroup)
{
    struct Row {
        int number;
        const char* title;
    };
    const Row rows[] = {
        {6, "System error!"},
        {9, "Erorr!"},
        {11, "Erorr!"},
        {7, "Out of memory!"},
        {10, "Error!"},
        {13, "Error!"},
        {51, "Warning!"},
        {53, "System file error number 53!"},
        {61, "System disk error!"},
        {71, "System disk error!"},
        {67, "File handles error!"},
        {94, "Language Error!"},
        {285, "System DDE error!"},
        {341, "Control array error!"},
        {380, "Warning"},
        {482, "Check printer."},
        {483, "Warning"},
        {484, "Make sure that the printer is installed properly. Try printing from other programs."},
        {486, "Printer Error."},
        {32755, "Error"},
        {35761, "Error"},
        {35764, "Error"},
        {35765, "Network Error!"},
        {35878, "Network Error!"},
        {35879, "Hmmm.. Something has gone wrong."},
        {35895, "Hmmm.. Something has gone wrong."},
        {35900, "Gopher Error!"},
        {35916, "HTTP Error!"},
        {35935, "Network Error!"},
        {1000, "Hmmm.. Something has gone wrong."},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ErrHandler::ReportFor(r.number, "").title, r.title) << r.number;
    }
}

TEST(ErrHandler, TextsAreExact)
{
    EXPECT_EQ(ErrHandler::ReportFor(94, "").text, "Invalid use of Null! \r\n");
    EXPECT_EQ(ErrHandler::ReportFor(6, "").text,
              "Overflow!\r\n\r\nAn unexpected error condition has occurred.\r\n\r\n" + kRequestA);
    EXPECT_EQ(ErrHandler::ReportFor(35764, "").text,
              "Please be patient. The network is a bit slow. I am busy requesting information from the host.\r\n");
    EXPECT_EQ(ErrHandler::ReportFor(1000, "").text,
              "An unexpected error condition has occurred.\r\n\r\n"
              "Error number: 1000, Application-defined or object-defined error\r\n\r\n" +
                  kRequestB);
    EXPECT_EQ(ErrHandler::ReportFor(35800, "").text.substr(0, 45), "An unexpected network error has occurred.\r\n\r\n");
    EXPECT_EQ(ErrHandler::ReportFor(486, "").text,
              "Can't print form image to this type of printer, Can't print form image to this type of printer\r\n\r\n"
              "To report the error, please write down the number \r\n"
              "and message, and email me at tessaray-support@example.org\r\n"
              "Thank you. (Let me know what printer you have.)");
    EXPECT_EQ(ErrHandler::ReportFor(53, "").text, "File not found");
    EXPECT_EQ(ErrHandler::ReportFor(7, "").text, "Not enough memory to complete the operation!\r\n"
                                                 "Save your work! Then close any open programs and try again.");
}

TEST(ErrHandler, ShowsStyle18ClosesAllFilesAndReturnsTheAnswer)
{
    testsupport::TempDir dir;
    mQuorin::ProgramState state;
    auto link = std::make_shared<RecordingLink>();
    state.setErrorHandler(link);
    mQuorin::ProgramScope scope(state);
    for (Answer given : {Answer::Abort, Answer::Retry, Answer::Ignore}) {
        platform::ScriptedDialogs boxes;
        boxes.answer(given);
        platform::ScopedDialogs scoped(boxes);
        platform::rt::Files().Open(dir.file("open.txt"), platform::rt::FileMode::Output, 1);
        EXPECT_EQ(ErrHandler::ErrorHandler(Error(61, "Save", "Disk full")), given);
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().style, 18);
        EXPECT_EQ(boxes.last().title, "System disk error!");
        EXPECT_EQ(platform::rt::Files().OpenCount(), 0) << "every open file is closed whatever the answer";
    }
    EXPECT_EQ(link->calls.front(), "enter ErrHandler.ErrorHandler");
    EXPECT_EQ(link->calls.back(), "exit ErrHandler.ErrorHandler");
}

TEST(ErrHandler, GuardedProcedureRetriesThroughTheReporterUntilAbort)
{
    mQuorin::ProgramState state;
    mQuorin::ProgramScope scope(state);
    platform::ScriptedDialogs boxes;
    boxes.answer(Answer::Retry).answer(Answer::Retry).answer(Answer::Abort);
    platform::ScopedDialogs scoped(boxes);
    platform::ScopedReporter reporter([](const Error& e) { return ErrHandler::ErrorHandler(e); });
    int attempts = 0;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            ++attempts;
            platform::RaiseError("SelectSheet", "SheetIndex greater than the number of sheets in the workbook");
        });
    });
    EXPECT_EQ(attempts, 3);
    ASSERT_EQ(boxes.calls().size(), 3u);
    EXPECT_EQ(boxes.last().title, "Erorr!");
    EXPECT_NE(boxes.last().text.find("Error source: SelectSheet\r\n"), std::string::npos);
}

namespace {
// A box service that fails every time it is asked.
struct FailingDialogs final : platform::Dialogs {
    int asked = 0;
    Answer MsgBox(std::string_view, int, std::string_view) override
    {
        ++asked;
        throw Error(5, "MsgBox", "cannot show");
    }
    std::string InputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
};
} // namespace

TEST(ErrHandler, FailureInsideTheReporterEndsWithNoneInsteadOfRecursing)
{
    mQuorin::ProgramState state;
    auto link = std::make_shared<RecordingLink>();
    state.setErrorHandler(link);
    mQuorin::ProgramScope scope(state);
    FailingDialogs boxes;
    platform::ScopedDialogs scoped(boxes);
    platform::ScopedReporter reporter([](const Error& e) { return ErrHandler::ErrorHandler(e); });
    EXPECT_EQ(ErrHandler::ErrorHandler(Error(53, "Open", "File not found")), Answer::None);
    EXPECT_LE(boxes.asked, 2);
    EXPECT_NE(std::find(link->calls.begin(), link->calls.end(), "propagate 1"), link->calls.end());
}

TEST(ErrHandler, TypeMismatchShowsWhatFailedWhenTheErrorSaysIt)
{
    mQuorin::ProgramState state;
    mQuorin::ProgramScope scope(state);
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scoped(boxes);
    (void)ErrHandler::ErrorHandler(Error(13, "ReadInput", "The cell C5 holds \"NA\"."));
    (void)ErrHandler::ErrorHandler(Error(13, "Val", platform::StandardDescription(13)));
    ASSERT_EQ(boxes.calls().size(), 2u);
    EXPECT_EQ(boxes.calls()[0].title, "Error!");
    EXPECT_EQ(boxes.calls()[0].text.rfind("Type mismatch.\r\n\r\nThe cell C5 holds \"NA\".\r\n\r\n"
                                          "Error number: 13, Type mismatch\r\n\r\nPlease write down",
                                          0),
              0u)
        << boxes.calls()[0].text;
    EXPECT_EQ(boxes.calls()[1].text, ErrHandler::ReportFor(13, "Val").text);
}
