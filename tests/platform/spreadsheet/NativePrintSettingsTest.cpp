// Page setups and workbook options in the native workbook file: written only
// when they differ from a new workbook's, read back field by field, and
// refused (error 321) when a record is malformed.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"
#include "tests/support/ErrorAssert.h"
#include "tests/platform/spreadsheet/NativeRecords.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::FileType;
using spreadsheet::PageSetup;
using spreadsheet::Workbook;
using spreadsheet::WorkbookOptions;

using nativetest::written;

using nativetest::readBack;

TEST(NativePrintSettings, EveryPageSetupFieldRoundTrips)
{
    struct Row {
        const char* name;
        void (*change)(PageSetup&);
    };
    const Row rows[] = {
        {"landscape", [](PageSetup& s) { s.orientation = 2; }},
        {"letter paper", [](PageSetup& s) { s.paperSize = 1; }},
        {"left margin", [](PageSetup& s) { s.marginLeft = 0.1; }},
        {"right margin", [](PageSetup& s) { s.marginRight = 1.0 / 3; }},
        {"top margin", [](PageSetup& s) { s.marginTop = 0; }},
        {"bottom margin", [](PageSetup& s) { s.marginBottom = 2.5; }},
        {"header margin", [](PageSetup& s) { s.headerMargin = 0.25; }},
        {"footer margin", [](PageSetup& s) { s.footerMargin = 0.3; }},
        {"header with escapes", [](PageSetup& s) { s.header = "&A\tof &F\\n\r\nend"; }},
        {"empty footer", [](PageSetup& s) { s.footer.clear(); }},
        {"no gridlines", [](PageSetup& s) { s.gridLines = false; }},
        {"scale 10", [](PageSetup& s) { s.scale = 10; }},
        {"scale 400", [](PageSetup& s) { s.scale = 400; }},
        {"across first", [](PageSetup& s) { s.acrossFirst = true; }},
    };
    PageSetup all;
    for (const Row& row : rows) {
        PageSetup setup;
        row.change(setup);
        row.change(all);
        Workbook wb;
        wb.setNumSheets(2);
        wb.setPageSetup(2, setup);
        const std::string bytes = written(wb);
        EXPECT_EQ(bytes.find("pagesetup\t"), bytes.rfind("pagesetup\t")) << row.name << ": one record, sheet 2's";
        const Workbook back = readBack(bytes);
        EXPECT_EQ(back.pageSetup(1), PageSetup()) << row.name;
        EXPECT_EQ(back.pageSetup(2), setup) << row.name;
    }
    Workbook wb;
    wb.setPageSetup(1, all);
    EXPECT_EQ(readBack(written(wb)).pageSetup(1), all);
}

TEST(NativePrintSettings, EachOptionRoundTrips)
{
    struct Row {
        const char* name;
        bool WorkbookOptions::*field;
    };
    const Row rows[] = {
        {"automatic recalculation", &WorkbookOptions::autoRecalc},
        {"grid lines", &WorkbookOptions::showGridLines},
        {"row headings", &WorkbookOptions::showRowHeading},
        {"column headings", &WorkbookOptions::showColHeading},
    };
    for (const Row& row : rows) {
        WorkbookOptions options;
        options.*row.field = false;
        Workbook wb;
        wb.setCellValue(1, 1, 1, spreadsheet::Value(2.0));
        wb.setOptions(options);
        const std::string bytes = written(wb);
        EXPECT_NE(bytes.find("\noptions\t"), std::string::npos) << row.name;
        EXPECT_EQ(readBack(bytes).options(), options) << row.name;
    }
    WorkbookOptions none{false, false, false, false};
    Workbook wb;
    wb.setOptions(none);
    EXPECT_EQ(readBack(written(wb)).options(), none);
}

TEST(NativePrintSettings, DefaultsWriteNothingAndReadAsDefaults)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, spreadsheet::Value("x"));
    const std::string bytes = written(wb);
    EXPECT_EQ(bytes.find("pagesetup"), std::string::npos);
    EXPECT_EQ(bytes.find("options"), std::string::npos);

    // A file without the options line turns every option back on.
    testsupport::TempDir dir;
    const auto path = dir.file("plain.vts");
    testsupport::writeFile(path, bytes);
    Workbook target;
    target.setOptions(WorkbookOptions{false, false, false, false});
    target.Read(path.string());
    EXPECT_EQ(target.options(), WorkbookOptions());

    // Other files hold no options: reading one leaves them as they were.
    const auto text = dir.file("plain.txt");
    testsupport::writeFile(text, "1\t2\r\n");
    const WorkbookOptions off{false, true, false, true};
    target.setOptions(off);
    target.Read(text.string());
    EXPECT_EQ(target.options(), off);
}

TEST(NativePrintSettings, AFileWrittenByHandAfterTheLayoutReads)
{
    // The fuzzing seed of these records, written from the layout in NativeFormat.h.
    Workbook wb;
    wb.Read(TESSARAY_SOURCE_DIR "/fuzz/corpus/workbook_file/native_page_setups_and_options");
    PageSetup first;
    first.orientation = 2;
    first.paperSize = 1;
    first.marginLeft = 0.25;
    first.marginRight = 0.5;
    first.marginTop = 0;
    first.marginBottom = 1.5;
    first.headerMargin = 0.125;
    first.footerMargin = 0.3;
    first.header = "&A of &F\t&&";
    first.footer = "";
    first.gridLines = false;
    first.scale = 55;
    first.acrossFirst = true;
    EXPECT_EQ(wb.pageSetup(1), first);
    PageSetup second;
    second.paperSize = 11;
    second.footer = "Page &P of &N";
    second.scale = 400;
    EXPECT_EQ(wb.pageSetup(2), second);
    EXPECT_EQ(wb.options(), (WorkbookOptions{false, true, false, true}));
    EXPECT_EQ(wb.sheetFormat(1).colWidth(1), 3.5);
}

TEST(NativePrintSettings, BadRecordsAreRefusedAndChangeNothing)
{
    Workbook wb;
    PageSetup setup;
    setup.scale = 50;
    wb.setPageSetup(1, setup);
    wb.setOptions(WorkbookOptions{true, false, true, true});
    const std::string good = written(wb);
    const std::string page = "pagesetup\t1\t9\t0.75\t0.75\t1\t1\t0.5\t0.5\t&A\tPage &P\t1\t50\t0";
    const std::string options = "options\t1\t0\t1\t1";
    ASSERT_NE(good.find(page + "\n"), std::string::npos) << good;
    ASSERT_NE(good.find(options + "\nend\t"), std::string::npos) << good;
    const auto with = [&](const std::string& record, const std::string& replacement) {
        return nativetest::replaced(good, record, replacement);
    };
    const auto pageField = [&](std::size_t index, const std::string& value) {
        return with(page, nativetest::withField(page, index, value));
    };
    std::string version2 = with(options + "\n", "");
    version2.replace(0, 20, "TESSARAY WORKBOOK\t2\n");
    const nativetest::BadFile rows[] = {
        {"a page setup in a version 2 file", version2},
        {"orientation 0", pageField(1, "0")},
        {"orientation 3", pageField(1, "3")},
        {"paper past the printer's codes", pageField(2, "40000")},
        {"negative margin", pageField(3, "-0.5")},
        {"margin not a number", pageField(6, "nan")},
        {"margin of infinity", pageField(8, "inf")},
        {"margin past the largest number", pageField(7, "1e999")},
        {"broken escape in the header", pageField(9, "\\q")},
        {"gridlines 2", pageField(11, "2")},
        {"scale 9", pageField(12, "9")},
        {"scale 401", pageField(12, "401")},
        {"scale with decimals", pageField(12, "50.5")},
        {"across first 2", pageField(13, "2")},
        {"a page setup field missing", with(page, page.substr(0, page.rfind('\t')))},
        {"a page setup field too many", with(page, page + "\t0")},
        {"two page setups", with(page, page + "\n" + page)},
        {"an option 2", with(options, "options\t1\t2\t1\t1")},
        {"an option missing", with(options, "options\t1\t0\t1")},
        {"an option too many", with(options, "options\t1\t0\t1\t1\t1")},
        {"two options lines", with(options, options + "\n" + options)},
        {"options inside a sheet", with(page, page + "\n" + options)},
    };
    nativetest::expectEachRefused(rows, [](const Workbook& target, const char* name) {
        EXPECT_EQ(target.pageSetup(1), PageSetup()) << name;
        EXPECT_EQ(target.options(), WorkbookOptions()) << name;
    });
}

} // namespace
