#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/runtime/FileNumbers.h"
#include "shell/core/CErrorClient.h"
#include "tests/support/TestSupport.h"

namespace {

struct Text {
    std::string description;
    std::string suggestion;
    std::string notes;
};

Text textFor(shell::CErrorClient& client, std::int32_t number)
{
    Text t;
    client.GetErrorText(number, t.description, t.suggestion, t.notes);
    return t;
}

constexpr const char* kDefault = "Contact your System Administrator";

} // namespace

TEST(CErrorClient, ErrorTextsComeFromTheFirstRowHoldingTheNumber)
{
    shell::CErrorClient client("Quorin");
    const struct {
        std::int32_t number;
        const char* description;
        const char* suggestion;
    } rows[] = {
        {322, "File or Disk Access Error", kDefault},
        {35764, "Network error",
         "Please be patient. The network is a bit slow. I am busy requesting information from the host."},
        {3026, "Disk Full", "Free some disk space and try again"},
        {61, "Disk Full", "Free some disk space and try again"},
        {57, "Disk or Device Not Ready", "Ensure a Disk is Inserted and Check the Device is Attached"},
        {72, "Disk or Device Not Ready", "Ensure a Disk is Inserted and Check the Device is Attached"},
        {7, "Not enough memory to complete the operation!", "Save your work, close any open programs and try again."},
        {429, "System Configuration Error", kDefault},
        {371, "The specified object can't be used as an owner form for Show   ", kDefault},
        {483, "Printer Error", "Make sure that the printer is installed properly. Try printing from other programs."},
        {486, "Printer Error", "Select another Printer and try again"},
        {32755, "You have cancelled the file operation.", kDefault},
        {35750, "An unexpected network error has occurred.", kDefault},
        {35878, "An unexpected network error has occurred.", kDefault},
        {35764, "Network error",
         "Please be patient. The network is a bit slow. I am busy requesting information from the host."},
        {285, "System DDE error!", kDefault},
        {3709, "Database Access Error", kDefault},
    };
    for (const auto& row : rows) {
        const Text t = textFor(client, row.number);
        EXPECT_EQ(t.description, row.description) << row.number;
        EXPECT_EQ(t.suggestion, row.suggestion) << row.number;
        EXPECT_EQ(t.notes,
                  "Detailed diagnostics for this error have been logged, if the problem persists contact technical "
                  "support")
            << row.number;
    }
}

TEST(CErrorClient, UnknownNumberNamesTheDescriptionOfTheErrorReported)
{
    shell::CErrorClient client("Quorin");
    EXPECT_EQ(textFor(client, 35879).description, "An unexpected error has occurred: ");
    std::int16_t action = 0;
    client.NotifyError("M", "P", "", 1, 2, 0, 35879, "the server hung up", "S", action);
    const Text t = textFor(client, 35879);
    EXPECT_EQ(t.description, "An unexpected error has occurred: the server hung up");
    EXPECT_EQ(t.suggestion, kDefault);
}

TEST(CErrorClient, NotifyErrorShowsTheDialogOnlyWhenAskedTo)
{
    shell::CErrorClient client("Quorin");
    std::vector<std::string> shown;
    client.display = [&](const std::string& message) {
        shown.push_back(message);
        return std::int16_t{3};
    };
    std::int16_t action = 4;
    client.NotifyError("MMain", "StartUp", "ctx", 1, 2, 7, 53, "File not found", "Quorin", action);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(action, 4);

    client.ShowDialog = true;
    client.NotifyError("MMain", "StartUp", "ctx", 1, 2, 7, 53, "File not found", "Quorin", action);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Error in Quorin\r\n\r\nat MMain.StartUp\r\n\r\n53\r\nFile not found");
    EXPECT_EQ(action, 3);
}

TEST(CErrorClient, EndApplicationUnloadsWindowsAndClosesNumberedFilesEvenAfterAFailure)
{
    testsupport::TempDir dir;
    shell::CErrorClient client("Quorin");
    int unloaded = 0;
    client.unloadAllWindows = [&] {
        ++unloaded;
        throw std::runtime_error("a window refused");
    };
    auto& files = platform::rt::Files();
    const int number = files.FreeFile();
    files.Open(dir.file("out.txt"), platform::rt::FileMode::Output, number);
    ASSERT_TRUE(files.IsOpen(number));
    client.EndApplication();
    EXPECT_EQ(unloaded, 1);
    EXPECT_FALSE(files.IsOpen(number));
}

TEST(CErrorClient, StripAtNullCutsAtTheFirstNul)
{
    EXPECT_EQ(shell::CErrorClient::StripAtNull(std::string("Service Pack 1\0junk", 19)), "Service Pack 1");
    EXPECT_EQ(shell::CErrorClient::StripAtNull("no nul"), "no nul");
    EXPECT_EQ(shell::CErrorClient::StripAtNull(std::string("\0x", 2)), "");
}

TEST(CErrorClient, DiagnosticsNameTheSystemThenTheProgramVersion)
{
    const std::vector<std::string> lines = shell::CErrorClient::DiagnosticsLines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "Operating System\r\n");
    EXPECT_EQ(lines[1].rfind("  Platform       = ", 0), 0u);
    EXPECT_EQ(lines[2].rfind("  Version        = ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("  Build          = ", 0), 0u);
    EXPECT_EQ(lines[3].substr(lines[3].size() - 2), "\r\n");
    EXPECT_EQ(lines[4], "Application Version\r\n");
    EXPECT_EQ(lines[5], "  Major          = 2");
    EXPECT_EQ(lines[6], "  Minor          = 0");
    EXPECT_EQ(lines[7], "  Revision       = 7\r\n");
}
