#include "platform/profile/Profile.h"

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

using namespace platform::profile;

TEST(Profile, MissingFileSectionOrKeyGivesTheDefault)
{
    testsupport::TempDir dir;
    const auto ini = dir.file("a.ini");
    EXPECT_EQ(GetString("S", "K", "dflt", ini), "dflt");
    testsupport::writeFile(ini, "[Other]\r\nK=1\r\n");
    EXPECT_EQ(GetString("S", "K", "", ini), "");
}

TEST(Profile, ReadsCaseInsensitiveNamesAndTrimsValues)
{
    testsupport::TempDir dir;
    const auto ini = dir.file("a.ini");
    testsupport::writeFile(ini, "; comment\n[Recent Files]\n  numrecentfile =  3  \nFile1=\"/a b/c\"\n");
    EXPECT_EQ(GetString("recent files", "NumRecentFile", "", ini), "3");
    EXPECT_EQ(GetString("Recent Files", "FILE1", "", ini), "/a b/c");
}

TEST(Profile, WritesInPlaceKeepsOtherLinesAndNeverCutsValues)
{
    testsupport::TempDir dir;
    const auto ini = dir.file("sub/a.ini");
    ASSERT_TRUE(WriteString("Recent Files", "NumRecentFile", "1", ini));
    ASSERT_TRUE(WriteString("Defaults", "DataDir", "/data", ini));
    ASSERT_TRUE(WriteString("Recent Files", "File1", "/x", ini));
    ASSERT_TRUE(WriteString("Recent Files", "NumRecentFile", "2", ini));
    EXPECT_EQ(testsupport::readFile(ini),
              "[Recent Files]\r\nNumRecentFile=2\r\nFile1=/x\r\n[Defaults]\r\nDataDir=/data\r\n");
    const std::string longPath = "/" + std::string(200, 'p') + "/file.xls";
    ASSERT_TRUE(WriteString("Defaults", "OutDir", longPath, ini));
    EXPECT_EQ(GetString("Defaults", "OutDir", "", ini), longPath);
    ASSERT_TRUE(WriteString("Recent Files", "File1", std::nullopt, ini));
    EXPECT_EQ(GetString("Recent Files", "File1", "gone", ini), "gone");
}

TEST(Profile, UnwritableFileReportsFailureAndKeepsTheOldContent)
{
    testsupport::TempDir dir;
    const auto blocker = dir.file("file-not-folder");
    testsupport::writeFile(blocker, "x");
    EXPECT_FALSE(WriteString("S", "K", "v", blocker / "a.ini"));
}
