#include <string>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"
#include "tests/support/ErrorAssert.h"
#include "tests/platform/spreadsheet/NativeRecords.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::DrawingObject;
using spreadsheet::FileType;
using spreadsheet::ObjectKind;
using spreadsheet::Workbook;

// One object of every kind, each with fields away from their defaults.
std::vector<DrawingObject> everyKind()
{
    std::vector<DrawingObject> out;
    const ObjectKind kinds[] = {ObjectKind::Line,   ObjectKind::Rectangle, ObjectKind::Oval,
                                ObjectKind::Arc,    ObjectKind::Chart,     ObjectKind::Button,
                                ObjectKind::Polygon, ObjectKind::CheckBox, ObjectKind::DropDown};
    std::int32_t i = 0;
    for (ObjectKind kind : kinds) {
        ++i;
        DrawingObject o;
        o.kind = kind;
        o.name = "obj\t" + std::to_string(i) + "\\n";
        o.from = {i, i + 1, 0.1 * i, 1.0 / 3};
        o.to = {i + 4, i + 3, 7.25, 12.75};
        o.flipX = i % 2 == 0;
        o.flipY = i % 3 == 0;
        o.style.lineColor = 0x123456u * static_cast<std::uint32_t>(i) & 0xFFFFFF;
        o.style.lineWidth = 0.5 * i;
        o.style.lineStyle = i % 5;
        o.style.filled = i % 2 == 1;
        o.style.fillColor = 0xFF8000;
        o.style.arrowAtStart = kind == ObjectKind::Line;
        o.style.arrowAtEnd = true;
        o.text = "line one\r\nline two\twith tab";
        if (kind == ObjectKind::Polygon)
            o.points = {{0, 0}, {1, 0.5}, {0.25, 1}, {0, 0}};
        if (kind == ObjectKind::CheckBox)
            o.checkState = 2;
        if (kind == ObjectKind::DropDown) {
            o.items = {"first", "", "th\\ird"};
            o.chosenItem = 3;
        }
        if (kind == ObjectKind::Chart)
            o.chartSource = {2, 1, 4, 6};
        out.push_back(o);
    }
    return out;
}

using nativetest::written;

TEST(NativeObjects, EveryKindAndFieldRoundTrips)
{
    testsupport::TempDir dir;
    Workbook wb;
    wb.setNumSheets(3);
    std::vector<std::int32_t> ids;
    for (const DrawingObject& o : everyKind())
        ids.push_back(wb.addObject(2, o));
    wb.deleteObject(2, ids[1]);  // a gap in the ids
    wb.addObject(3, everyKind()[4]);
    const std::string path = dir.file("objects.vts").string();
    wb.Write(path, static_cast<std::int32_t>(FileType::Native));

    Workbook back;
    back.Read(path);
    EXPECT_TRUE(back.objects(1).empty());
    EXPECT_EQ(back.objects(2), wb.objects(2)) << "every field, in stacking order";
    EXPECT_EQ(back.objects(3), wb.objects(3));
    EXPECT_EQ(back.addObject(2, everyKind()[0]), 10) << "new ids follow the highest one read";
}

TEST(NativeObjects, RecordLayoutIsOneLineBeforeTheSheetsEnd)
{
    Workbook wb;
    DrawingObject o;
    o.kind = ObjectKind::DropDown;
    o.from = {2, 3, 1.5, 0};
    o.to = {4, 5, 10, 12.75};
    o.items = {"a\tb", "c"};
    o.chosenItem = 1;
    wb.addObject(1, o);
    const std::string text = written(wb);
    const std::string record = "object\t1\t10\tDrop Down 1\t2\t3\t1.5\t0\t4\t5\t10\t12.75\t4\t000000\t0.75\t0\tFFFFFF\t"
                               "\t0\t1\t1\t1\t1\t1\t0\t2\ta\\tb\tc\nendsheet\n";
    EXPECT_NE(text.find(record), std::string::npos) << text;
    EXPECT_EQ(text.rfind("TESSARAY WORKBOOK\t3\n", 0), 0u);
}

TEST(NativeObjects, AFileWrittenByHandAfterTheLayoutReads)
{
    // The seed of the reader's fuzzing corpus with objects: records in any id order.
    Workbook wb;
    wb.Read(std::string(TESSARAY_SOURCE_DIR) + "/fuzz/corpus/workbook_file/a3e72ab6df8e73e295007748ba1c768be5fcc3cd");
    const auto& objects = wb.objects(1);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0].kind, ObjectKind::Chart);
    EXPECT_EQ(objects[0].chartSource, (spreadsheet::RangeRef{2, 1, 3, 3}));
    EXPECT_EQ(objects[1].points.size(), 4u);
    EXPECT_EQ(objects[1].style.lineColor, 0xC00000u);
    EXPECT_TRUE(objects[1].flipX);
    EXPECT_FALSE(objects[1].flipY);
    EXPECT_TRUE(objects[1].style.arrowAtStart);
    EXPECT_FALSE(objects[1].style.arrowAtEnd);
    EXPECT_EQ(objects[2].name, "Drop\tDown");
    EXPECT_EQ(objects[2].text, "text\n");
    EXPECT_EQ(objects[2].items, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(wb.addObject(1, objects[0]), 4);
}

TEST(NativeObjects, BadRecordsAreRefusedAndChangeNothing)
{
    Workbook wb;
    DrawingObject o;
    o.kind = ObjectKind::Rectangle;
    o.to = {2, 2, 0, 0};
    wb.addObject(1, o);
    const std::string good = written(wb);
    const std::string record = "object\t1\t2\tRectangle 1\t1\t1\t0\t0\t2\t2\t0\t0\t4\t000000\t0.75\t0\tFFFFFF\t\t0\t0\t1\t1\t1\t1\t0\t0";
    ASSERT_NE(good.find(record), std::string::npos) << good;
    auto with = [&](const std::string& replacement) { return nativetest::replaced(good, record, replacement); };
    auto field = [&](std::size_t index, const std::string& value) {
        return with(nativetest::withField(record, index, value));
    };
    std::string version2 = good;
    version2.replace(0, 20, "TESSARAY WORKBOOK\t2\n");
    const nativetest::BadFile rows[] = {
        {"an object in a version 2 file", version2},
        {"id 0", field(1, "0")},
        {"kind 6", field(2, "6")},
        {"kind 11", field(2, "11")},
        {"row 16385", field(4, "16385")},
        {"column 0", field(9, "0")},
        {"negative offset", field(6, "-1")},
        {"offset not a number", field(7, "nan")},
        {"flags beyond the five", field(12, "32")},
        {"colour of five digits", field(13, "00000")},
        {"colour none", field(16, "-")},
        {"line width 1000", field(14, "1000")},
        {"line style 5", field(15, "5")},
        {"check state 3", field(18, "3")},
        {"chosen item without items", field(19, "1")},
        {"chart source reversed", field(20, "9")},
        {"point count past the line", field(24, "5")},
        {"vertex outside the box", field(24, "2\t0\t0\t1.5\t1")},
        {"item count too small", field(25, "0\textra")},
        {"a field missing", with(record.substr(0, record.rfind('\t')))},
        {"a broken escape in the name", field(3, "bad\\q")},
        {"the same id twice", with(record + "\n" + record)},
        {"a polygon without vertices", field(2, "8")},
    };
    nativetest::expectEachRefused(rows, [](const Workbook& target, const char* name) {
        EXPECT_TRUE(target.objects(1).empty()) << name;
    });
}

} // namespace
