#include "graphs/clsEMF.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <set>
#include <string>

#include <sys/stat.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Error.h"
#include "platform/metafile/EmfWriter.h"
#include "tests/graphs/EmfFileReader.h"
#include "tests/support/TestSupport.h"

namespace {

namespace rec = platform::emf::rec;
using graphs::clsEMF;

TEST(EmfWriter, FileHasHeaderCountsAndEndRecord)
{
    platform::emf::EmfWriter w(std::u16string(u"A\0B\0\0", 5), {9600, 9600}, {2540, 2540});
    const std::uint32_t pen = w.createPen(0, 2, platform::emf::rgb(1, 2, 3));
    w.selectObject(pen);
    w.moveTo({10, 20});
    w.lineTo({300, 400});
    const std::vector<std::vector<platform::emf::Point>> shapes{{{0, 0}, {100000, 5}, {7, 8}}};
    w.polyPolyline(shapes);  // too wide for 16 bits
    w.textOut({5, 6}, u"\u00b5m", std::vector<std::int32_t>{7, 8});
    w.deleteObject(pen);
    const auto f = testemf::parse(w.finish({0, 0, 1000, 2000}));
    ASSERT_TRUE(f.wellFormed);
    EXPECT_EQ(f.records.front().type, rec::Header);
    EXPECT_EQ(f.signature(), platform::emf::Signature);
    EXPECT_EQ(f.nBytes(), f.bytes.size());
    EXPECT_EQ(f.nRecords(), f.records.size());
    EXPECT_EQ(f.records.back().type, rec::Eof);
    EXPECT_EQ(f.records.back().size, 20u);
    EXPECT_EQ(f.frame(2), 1000);
    EXPECT_EQ(f.frame(3), 2000);
    EXPECT_EQ(f.nHandles(), 2);
    EXPECT_EQ(f.description(), std::u16string(u"A\0B\0\0", 5));
    EXPECT_EQ(f.count(rec::PolyPolyline), 1u) << "32-bit points where 16 bits do not hold them";
    EXPECT_EQ(f.bounds(2), 100000);
    const auto* text = f.first(rec::ExtTextOutW);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(testemf::u32(f.bytes, text->offset + 44), 2u);      // characters
    EXPECT_EQ(testemf::u32(f.bytes, text->offset + 76), 0x006D00B5u);  // the characters, UTF-16
}

TEST(EmfWriter, DeletingAnUnknownObjectIsRefused)
{
    platform::emf::EmfWriter w(u"", {1, 1}, {1, 1});
    EXPECT_THROW(w.deleteObject(3), std::invalid_argument);
}

struct ClsEmfTest : ::testing::Test {
    testsupport::TempDir dir;
};

TEST_F(ClsEmfTest, NewObjectHasTheDefaultFrameAndAFreshTempFile)
{
    clsEMF a(dir.path());
    clsEMF b(dir.path());
    EXPECT_EQ(a.emfWidth(), 100);
    EXPECT_EQ(a.emfHeight(), 100);
    const std::filesystem::path pa = a.emfFileName();
    EXPECT_NE(a.emfFileName(), b.emfFileName());
    EXPECT_EQ(pa.filename().string().substr(0, 3), "Vor");
    EXPECT_EQ(pa.extension(), ".tmp");
    EXPECT_EQ(pa.parent_path(), dir.path());
    EXPECT_TRUE(std::filesystem::exists(pa));
}

TEST_F(ClsEmfTest, WidthAndHeightReadBackRightAndBottom)
{
    clsEMF e(dir.path());
    e.emfLeft(50);
    e.emfWidth(200);
    EXPECT_EQ(e.emfWidth(), 250);
    e.emfTop(10);
    e.emfHeight(5);
    EXPECT_EQ(e.emfHeight(), 15);
    e.emfLeft(std::numeric_limits<std::int32_t>::max());
    try {
        e.emfWidth(1);
        FAIL();
    } catch (const platform::Error& err) {
        EXPECT_EQ(err.number(), platform::err::Overflow);
    }
    EXPECT_EQ(e.emfWidth(), 250) << "a refused sum changes nothing";
}

TEST_F(ClsEmfTest, TextGoesToTheCurrentPoint)
{
    clsEMF e(dir.path());
    e.emfMoveToEx(10, 20);
    e.emfPrint("abc");
    e.emfLineTo(30, 40);
    e.emfPrint("de");
    e.emfEndDoc();
    const auto f = testemf::parse(testsupport::readFile(e.emfFileName()));
    ASSERT_TRUE(f.wellFormed);
    std::vector<std::pair<std::int32_t, std::int32_t>> at;
    for (const auto& r : f.records) {
        if (r.type == rec::ExtTextOutW) {
            at.emplace_back(testemf::i32(f.bytes, r.offset + 36), testemf::i32(f.bytes, r.offset + 40));
        }
    }
    EXPECT_EQ(at, (std::vector<std::pair<std::int32_t, std::int32_t>>{{10, 20}, {30, 40}}));
}

// The frame set after creation is the one written, converted from twips to
// hundredths of a millimetre, and the recording is y-down (no twips map
// mode, which would turn the picture upside down).
TEST_F(ClsEmfTest, EndDocWritesTheFinalFrameAndAWellFormedFile)
{
    clsEMF e(dir.path());
    e.emfLeft(0);
    e.emfTop(0);
    e.emfWidth(14400);   // 10 inches
    e.emfHeight(7200);   // 5 inches
    e.emfMoveToEx(100, 100);
    e.emfLineTo(14000, 7000);
    std::int32_t style = 0;
    e.emfCreatePen(style, 3, platform::emf::rgb(0, 0, 255));
    e.emfEllipse(200, 200, 400, 400);
    e.emfEndDoc();
    e.emfEndDoc();  // a second end changes nothing
    const auto f = testemf::parse(testsupport::readFile(e.emfFileName()));
    ASSERT_TRUE(f.wellFormed);
    EXPECT_EQ(f.signature(), 0x464D4520u);
    EXPECT_EQ(f.nBytes(), f.bytes.size());
    EXPECT_EQ(f.nRecords(), f.records.size());
    EXPECT_EQ(f.records.back().type, rec::Eof);
    EXPECT_EQ(f.frame(0), 0);
    EXPECT_EQ(f.frame(2), 25400);
    EXPECT_EQ(f.frame(3), 12700);
    EXPECT_EQ(f.count(rec::SetMapMode), 0u);
    EXPECT_EQ(f.description(), std::u16string(u"Enhanced metafile\0Picture1\0\0", 28));
    EXPECT_EQ(f.count(rec::CreatePen), 2u);
    EXPECT_EQ(f.count(rec::DeleteObject), 1u) << "the former pen is released once";
    EXPECT_EQ(f.count(rec::Ellipse), 1u);
    EXPECT_THROW(e.emfLineTo(1, 1), platform::Error);
}

TEST_F(ClsEmfTest, TempFileLivesWhileAHolderKeepsIt)
{
    std::filesystem::path kept, dropped;
    std::shared_ptr<const graphs::EmfTempFile> holder;
    {
        clsEMF a(dir.path());
        clsEMF b(dir.path());
        a.emfEndDoc();
        holder = a.emfFile();
        kept = a.emfFileName();
        dropped = b.emfFileName();
        a.emfCls();
    }
    EXPECT_TRUE(std::filesystem::exists(kept));
    EXPECT_FALSE(std::filesystem::exists(dropped));
    holder.reset();
    EXPECT_FALSE(std::filesystem::exists(kept));
}

// The recording becomes a file the user saves: it has the permissions the
// user's umask gives every new file, not the owner-only mode of a private
// temporary file, also once it is moved to another name.
TEST_F(ClsEmfTest, RecordingFileTakesThePermissionsOfTheUmask)
{
    struct Row {
        mode_t umask;
        std::filesystem::perms expected;
    };
    using P = std::filesystem::perms;
    const Row rows[] = {
        {022, P::owner_read | P::owner_write | P::group_read | P::others_read},
        {002, P::owner_read | P::owner_write | P::group_read | P::group_write | P::others_read},
        {077, P::owner_read | P::owner_write},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.umask);
        const mode_t previous = ::umask(row.umask);
        const std::filesystem::path saved = dir.file("saved-" + std::to_string(row.umask) + ".emf");
        {
            clsEMF e(dir.path());
            e.emfMoveToEx(0, 0);
            e.emfLineTo(10, 10);
            e.emfEndDoc();
            std::filesystem::rename(e.emfFileName(), saved);
        }
        ::umask(previous);
        ASSERT_TRUE(std::filesystem::exists(saved));
        EXPECT_EQ(std::filesystem::status(saved).permissions() & P::all, row.expected);
    }
}

struct RecordingTarget : graphs::EmfPlayTarget {
    std::vector<std::string> log;
    void setViewportOrigin(std::int32_t x, std::int32_t y) override
    {
        log.push_back("origin " + std::to_string(x) + "," + std::to_string(y));
    }
    void setPen(std::int32_t, std::int32_t, std::uint32_t) override { log.push_back("pen"); }
    void moveTo(std::int32_t x, std::int32_t y) override { log.push_back("move " + std::to_string(x) + "," + std::to_string(y)); }
    void lineTo(std::int32_t x, std::int32_t y) override { log.push_back("line " + std::to_string(x) + "," + std::to_string(y)); }
    void ellipse(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override { log.push_back("ellipse"); }
    void text(std::int32_t x, std::int32_t y, const std::string& t) override
    {
        log.push_back("text " + t + "@" + std::to_string(x) + "," + std::to_string(y));
    }
};

TEST_F(ClsEmfTest, PlayClampsTheViewportWithItsMessages)
{
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(dialogs);
    clsEMF e(dir.path());
    e.emfMoveToEx(1, 2);
    e.emfPrint("x");
    e.emfEndDoc();
    std::int32_t mode = 6;
    const struct {
        std::int32_t x, y;
        std::size_t messages;
        const char* origin;
    } rows[] = {{100, 100, 0, "origin 100,100"}, {101, 50, 1, "origin 90,50"}, {5, 150, 1, "origin 5,90"}};
    for (const auto& row : rows) {
        dialogs.clear();
        RecordingTarget target;
        e.emfPlayEMF(target, mode, row.x, row.y);
        EXPECT_EQ(dialogs.calls().size(), row.messages);
        EXPECT_EQ(target.log.front(), row.origin);
        EXPECT_EQ(target.log.back(), "text x@1,2");
    }
    dialogs.clear();
    RecordingTarget target;
    e.emfPlayEMF(target, mode, 101, 101);
    ASSERT_EQ(dialogs.calls().size(), 2u);
    EXPECT_EQ(dialogs.calls()[0].text, "ViewPortX > MAXRECTRIGHT. Adjusted to 90% of MAXRECTRIGHT.");
    EXPECT_EQ(dialogs.calls()[1].text, "ViewPortX > MAXRECTBOTTOM. Adjusted to 90% of MAXRECTBOTTOM.");
}

} // namespace
