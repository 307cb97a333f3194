// Byte-level checks of the files we write: the native format's documented
// layout (stored files depend on it) and the BIFF record structure.

#include <cstring>

#include <gtest/gtest.h>

#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::FileType;
using spreadsheet::Value;
using spreadsheet::Workbook;

TEST(NativeLayout, SmallWorkbookHasTheDocumentedLines)
{
    testsupport::TempDir dir;
    Workbook wb;
    wb.setNumSheets(2);
    wb.setCellValue(1, 1, 1, Value("a\tb"));
    wb.setCellValue(1, 1, 2, Value(0.1));
    wb.setCellValue(1, 2, 1, Value::logical(true));
    wb.setCellValue(1, 2, 2, Value::error(spreadsheet::CellError::Div0));
    wb.setCellFormula(1, 3, 1, "=b1*2");
    wb.setSelection(2, 2, 3, 3);
    const std::string path = dir.file("small.vts").string();
    wb.Write(path, static_cast<std::int32_t>(FileType::Native6));
    EXPECT_EQ(testsupport::readFile(path),
              "TESSARAY WORKBOOK\t3\n"
              "type\t4\n"
              "sheets\t2\t1\n"
              "sheet\tSheet1\n"
              "selected\t1\n"
              "cursor\t2\t2\n"
              "range\t2\t2\t3\t3\n"
              "cells\t5\n"
              "1\t1\ts\ta\\tb\n"
              "1\t2\tn\t0.1\n"
              "2\t1\tb\t1\n"
              "2\t2\te\t2\n"
              "3\t1\tf\tB1*2\n"
              "endsheet\n"
              "sheet\tSheet2\n"
              "selected\t0\n"
              "cursor\t1\t1\n"
              "range\t1\t1\t1\t1\n"
              "cells\t0\n"
              "endsheet\n"
              "end\t5\n");
}

struct Record {
    unsigned id;
    std::string body;
    std::size_t offset;
};

std::vector<Record> records(const std::string& stream)
{
    std::vector<Record> out;
    std::size_t i = 0;
    while (i + 4 <= stream.size()) {
        const unsigned id = static_cast<unsigned char>(stream[i]) | (static_cast<unsigned char>(stream[i + 1]) << 8);
        const std::size_t len =
            static_cast<unsigned char>(stream[i + 2]) | (static_cast<unsigned char>(stream[i + 3]) << 8);
        out.push_back({id, stream.substr(i + 4, len), i});
        i += 4 + len;
    }
    EXPECT_EQ(i, stream.size()) << "records fill the stream exactly";
    return out;
}

std::uint32_t u32(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

TEST(BiffLayout, SheetPositionsPointAtTheirBofRecords)
{
    Workbook wb;
    wb.setNumSheets(3);
    for (int s = 1; s <= 3; ++s)
        for (int r = 1; r <= 50; ++r)
            wb.setCellValue(s, r, 1, Value("text " + std::to_string(s * 100 + r)));
    for (bool biff8 : {true, false}) {
        const std::string stream = spreadsheet::detail::buildBiffStream(wb, biff8);
        const auto recs = records(stream);
        std::vector<std::uint32_t> positions;
        for (const Record& r : recs)
            if (r.id == 0x0085)
                positions.push_back(u32(r.body, 0));
        ASSERT_EQ(positions.size(), 3u);
        for (std::uint32_t pos : positions) {
            ASSERT_LT(pos + 6, stream.size());
            EXPECT_EQ(static_cast<unsigned char>(stream[pos]), 0x09);  // BOF 0x0809
            EXPECT_EQ(static_cast<unsigned char>(stream[pos + 1]), 0x08);
            EXPECT_EQ(static_cast<unsigned char>(stream[pos + 6]), 0x10) << "a worksheet BOF";
        }
        const auto bofs = std::count_if(recs.begin(), recs.end(), [](const Record& r) { return r.id == 0x0809; });
        const auto eofs = std::count_if(recs.begin(), recs.end(), [](const Record& r) { return r.id == 0x000A; });
        EXPECT_EQ(bofs, 4);
        EXPECT_EQ(eofs, 4);
        const auto sst = std::count_if(recs.begin(), recs.end(), [](const Record& r) { return r.id == 0x00FC; });
        EXPECT_EQ(sst, biff8 ? 1 : 0) << "BIFF5 writes texts in LABEL records";
    }
}

TEST(BiffLayout, SharedStringsCountEveryUseAndEachTextOnce)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value("same"));
    wb.setCellValue(1, 2, 1, Value("same"));
    wb.setCellValue(1, 3, 1, Value("other"));
    const auto recs = records(spreadsheet::detail::buildBiffStream(wb, true));
    const auto it = std::find_if(recs.begin(), recs.end(), [](const Record& r) { return r.id == 0x00FC; });
    ASSERT_NE(it, recs.end());
    EXPECT_EQ(u32(it->body, 0), 3u);
    EXPECT_EQ(u32(it->body, 4), 2u);
    for (const Record& r : recs)
        EXPECT_LE(r.body.size(), 8224u) << "record 0x" << std::hex << r.id;
}

TEST(BiffLayout, LongTextsAreSplitWithoutLosingCharacters)
{
    Workbook wb;
    std::string wide;
    for (int i = 0; i < 5000; ++i)
        wide += "\xCE\x94";  // Greek capital delta, 16-bit
    wb.setCellValue(1, 1, 1, Value(wide));
    const auto recs = records(spreadsheet::detail::buildBiffStream(wb, true));
    std::size_t payload = 0;
    std::size_t continues = 0;
    for (const Record& r : recs) {
        if (r.id == 0x00FC)
            payload += r.body.size() - 8 - 3;  // counts, then length and option byte
        if (r.id == 0x003C) {
            ++continues;
            EXPECT_EQ(static_cast<unsigned char>(r.body[0]), 1) << "the option byte is repeated";
            payload += r.body.size() - 1;
        }
    }
    EXPECT_EQ(continues, 1u);
    EXPECT_EQ(payload, 10000u) << "5000 characters of two bytes";
}

TEST(BiffLayout, Biff5TextsUseWindows1252)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value("M\xC3\xBCller \xE2\x82\xAC \xCE\x94"));  // "Müller € Δ"
    const auto recs = records(spreadsheet::detail::buildBiffStream(wb, false));
    const auto it = std::find_if(recs.begin(), recs.end(), [](const Record& r) { return r.id == 0x0204; });
    ASSERT_NE(it, recs.end());
    EXPECT_EQ(it->body.substr(8), "M\xFCller \x80 ?") << "a character the code page lacks becomes ?";
}

} // namespace
