#include "platform/runtime/FileNumbers.h"

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ErrorAssert.h"

using namespace platform::rt;

namespace {
} // namespace

TEST(FileNumbers, WritesCrLfLinesAndReadsAnyLineEnd)
{
    testsupport::TempDir dir;
    FileNumbers files;
    const int n = files.FreeFile();
    EXPECT_EQ(n, 1);
    files.Open(dir.file("a.txt"), FileMode::Output, n);
    EXPECT_EQ(files.FreeFile(), 2);
    files.PrintLine(n, "one");
    files.Write(n, "two\rthree\nfour");
    files.Close(n);
    EXPECT_EQ(testsupport::readFile(dir.file("a.txt")), "one\r\ntwo\rthree\nfour");
    files.Open(dir.file("a.txt"), FileMode::Input, n);
    EXPECT_EQ(files.LineInput(n), "one");
    EXPECT_EQ(files.LineInput(n), "two");
    EXPECT_EQ(files.LineInput(n), "three");
    EXPECT_FALSE(files.Eof(n));
    EXPECT_EQ(files.LineInput(n), "four");
    EXPECT_TRUE(files.Eof(n));
    EXPECT_EQ(testsupport::errorNumber([&] { (void)files.LineInput(n); }), 62);
}

TEST(FileNumbers, ErrorsCarryTheRuntimeNumbers)
{
    testsupport::TempDir dir;
    FileNumbers files;
    EXPECT_EQ(testsupport::errorNumber([&] { files.Open(dir.file("missing"), FileMode::Input, 1); }), 53);
    EXPECT_EQ(testsupport::errorNumber([&] { files.Open(dir.file("no/such/dir/x"), FileMode::Output, 1); }), 76);
    EXPECT_EQ(testsupport::errorNumber([&] { files.PrintLine(3, "x"); }), 52);
    files.Open(dir.file("b"), FileMode::Output, 3);
    EXPECT_EQ(testsupport::errorNumber([&] { files.Open(dir.file("c"), FileMode::Output, 3); }), 55);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)files.LineInput(3); }), 54);
    EXPECT_EQ(testsupport::errorNumber([&] { files.Open(dir.file("d"), FileMode::Output, 0); }), 52);
}

TEST(FileNumbers, CloseAllClosesEveryFileSoARetryMeetsBadFileNumber)
{
    testsupport::TempDir dir;
    FileNumbers files;
    files.Open(dir.file("a"), FileMode::Output, 1);
    files.Open(dir.file("b"), FileMode::Append, 2);
    EXPECT_EQ(files.OpenCount(), 2);
    files.CloseAll();
    EXPECT_EQ(files.OpenCount(), 0);
    EXPECT_EQ(testsupport::errorNumber([&] { files.PrintLine(1, "x"); }), 52);
}
