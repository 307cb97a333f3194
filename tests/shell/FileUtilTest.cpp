#include "shell/core/FileUtil.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "shell/core/clsOpenSave.h"
#include "tests/support/TestSupport.h"

using platform::Answer;

TEST(FileUtil, FilterForExtensions)
{
    EXPECT_EQ(FileUtil::FilterForExtensions("txt"), "TXT Files (*.txt)|*.txt|");
    EXPECT_EQ(FileUtil::FilterForExtensions("fas,aln"), "FILES (*.fas;*.aln)|*.fas;*.aln|");
}

TEST(FileUtil, PathsAndExistence)
{
    testsupport::TempDir dir;
    const std::string file = dir.file("a.txt").string();
    FileUtil::WriteStrToFile(file, "hello");
    EXPECT_EQ(testsupport::readFile(file), "hello\r\n");
    EXPECT_TRUE(FileUtil::FileExists(file));
    EXPECT_FALSE(FileUtil::FileExists(dir.path().string())) << "a folder is no file";
    EXPECT_FALSE(FileUtil::FileExists("   "));
    EXPECT_TRUE(FileUtil::IsDirectory(dir.path().string()));
    EXPECT_FALSE(FileUtil::IsDirectory(""));
    EXPECT_EQ(FileUtil::GetFilePath("/data/run1/a.xls"), "/data/run1/");
    EXPECT_EQ(FileUtil::GetFilePath("a.xls"), "a.xls");
}

TEST(FileUtil, SameFileSeesThroughSpellingsAndLinks)
{
    testsupport::TempDir dir;
    const std::string file = dir.file("data.txt").string();
    testsupport::writeFile(file, "x");
    std::filesystem::create_directories(dir.file("sub"));
    std::filesystem::create_symlink(file, dir.file("link.txt"));
    const struct {
        const char* name;
        std::string a;
        std::string b;
        bool same;
    } rows[] = {
        {"itself", file, file, true},
        {"through ..", file, dir.file("sub/../data.txt").string(), true},
        {"through a link", file, dir.file("link.txt").string(), true},
        {"another file", file, dir.file("other.txt").string(), false},
        {"two missing files alike", dir.file("gone.txt").string(), dir.file("sub/../gone.txt").string(), true},
        {"a blank name", file, "  ", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FileUtil::SameFile(row.a, row.b), row.same) << row.name;
    }
}

TEST(FileUtil, ReadingAnUnreadableFileIsAnErrorNotBlanks)
{
    testsupport::TempDir dir;
    const std::string file = dir.file("b.txt").string();
    testsupport::writeFile(file, "abcdef");
    EXPECT_EQ(FileUtil::ReadFileHead(file, 3), "abc");
    EXPECT_EQ(FileUtil::ReadFileHead(file, 100), "abcdef");
    EXPECT_EQ(FileUtil::ReadFileAll(file), "abcdef");
    try {
        (void)FileUtil::ReadFileHead(dir.file("missing").string(), 10);
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 53);
    }
    EXPECT_THROW((void)FileUtil::ReadFileAll(dir.path().string()), platform::Error);
}

TEST(FileUtil, SettingsFolderComesFromTheEnvironment)
{
    testsupport::TempDir dir;
    const auto wanted = dir.file("win");
    ::setenv("QUORIN_WINDOWS_DIR", wanted.c_str(), 1);
    EXPECT_EQ(FileUtil::GetWinDir(), wanted.string());
    EXPECT_TRUE(FileUtil::IsDirectory(wanted.string()));
    ::unsetenv("QUORIN_WINDOWS_DIR");
}

TEST(FileUtil, GetDlgFileNameSetsTheControlAndReturnsTheChoice)
{
    platform::ScriptedDialogs boxes;
    boxes.choose("/tmp/x.txt");
    platform::ScopedDialogs scoped(boxes);
    platform::CommonDialog control;
    EXPECT_EQ(FileUtil::GetDlgFileName("Save text", "txt", control, 2, "/tmp", "x.txt"), "/tmp/x.txt");
    ASSERT_EQ(boxes.fileRequests().size(), 1u);
    const auto& r = boxes.fileRequests()[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.filter, "TXT Files (*.txt)|*.txt|");
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_EQ(r.flags, 4);
    EXPECT_EQ(r.title, "Save text");
    EXPECT_EQ(r.fileName, "x.txt");
}

TEST(FileUtil, CancelledDialogAnswersThroughTheReporter)
{
    struct Case {
        Answer answer;
        std::string expected;
    };
    for (const auto& c : {Case{Answer::Abort, ""}, Case{Answer::Ignore, "given.txt"}, Case{Answer::Retry, "/ok.txt"}}) {
        platform::ScriptedDialogs boxes;
        boxes.cancelFile().choose("/ok.txt");
        platform::ScopedDialogs scoped(boxes);
        std::vector<int> reported;
        platform::ScopedReporter reporter([&](const platform::Error& e) {
            reported.push_back(e.number());
            return c.answer;
        });
        platform::CommonDialog control;
        EXPECT_EQ(FileUtil::GetDlgFileName("Open", "txt", control, 1, "/", "given.txt"), c.expected);
        EXPECT_EQ(reported, (std::vector<int>{32755}));
    }
}

TEST(clsOpenSave, FilterIsStoredNulSeparatedAndReadBackInBarForm)
{
    shell::clsOpenSave d;
    EXPECT_EQ(d.Filter(), "All Files (*.*)|*.*");
    d.setFilter("All Files (*.*)|*.*");
    EXPECT_EQ(d.rawFilter(), std::string("All Files (*.*)\0*.*\0\0", 21));
    EXPECT_EQ(d.Filter(), "All Files (*.*)|*.*");
    d.setFilter("A|*.a|");
    EXPECT_EQ(d.rawFilter(), std::string("A\0*.a\0\0", 7));
    d.setFileName(std::string("name\0\0\0", 7));
    EXPECT_EQ(d.FileName(), "name");
}

TEST(clsOpenSave, CancelRaises32755OnlyWithCancelError)
{
    platform::ScriptedDialogs boxes;
    boxes.cancelFile().cancelFile().choose("/d/file.fas", 2);
    platform::ScopedDialogs scoped(boxes);
    shell::clsOpenSave d;
    d.setFileName("keep");
    d.ShowOpen();
    EXPECT_EQ(d.FileName(), "keep");
    d.setCancelError(true);
    try {
        d.ShowOpen();
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 32755);
        EXPECT_EQ(e.source(), "Run-time error");
        EXPECT_EQ(e.description(), "Cancel was selected");
    }
    d.ShowSave();
    EXPECT_EQ(d.FileName(), "/d/file.fas");
    EXPECT_EQ(d.FileTitle(), "file.fas");
    EXPECT_EQ(d.FilterIndex(), 2);
    EXPECT_EQ(d.FileExt(), 8);
}
