// Formatted workbooks: a 16,000 x 80 numeric block given three styles (a
// number format on the block, a bold heading row, a filled first column),
// then saved and read back in every workbook format that keeps formats or
// values. Prints each step's time; asserts nothing.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include "platform/spreadsheet/Workbook.h"
#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

namespace {

using spreadsheet::CellFormat;
using spreadsheet::FileType;
using spreadsheet::Value;
using spreadsheet::ValueTable;
using spreadsheet::Workbook;

using bench::seconds;

} // namespace

int main(int argc, char** argv)
{
    bench::Args(argc, argv, "\n  Times saving and reading back a formatted 16,000 x 80 block in each format; takes no arguments.\n").finish();
    constexpr std::int32_t kRows = 16000;
    constexpr std::int32_t kCols = 80;
    Workbook wb;
    const double load = seconds([&] {
        std::mt19937_64 rng(11);
        std::uniform_real_distribution<double> dist(-5000, 5000);
        ValueTable t(kRows, kCols);
        for (std::int32_t r = 0; r < kRows; ++r)
            for (std::int32_t c = 0; c < kCols; ++c)
                t.at(r, c) = Value(dist(rng));
        wb.CopyDataFromArray(1, 1, 1, kRows, kCols, true, t);
    });
    std::printf("load 16000 x 80 numbers: %.3f s\n", load);
    const double format = seconds([&] {
        wb.setSelection(1, 1, kRows, kCols);
        wb.setNumberFormat("#,##0.00");
        wb.setSelection(1, 1, 1, kCols);
        wb.setFontBold(true);
        wb.setSelection(1, 1, kRows, 1);
        wb.formatSelection([](CellFormat& f) { f.fill = 0xFFFFCC; });
        wb.SetColWidth(1, kCols, 11);
    });
    std::printf("format the block with three styles: %.3f s (%zu styles)\n", format,
                wb.sheetFormat(1).styleCount());

    const auto dir = std::filesystem::temp_directory_path() / "tessaray-format-bench";
    std::filesystem::create_directories(dir);
    const struct {
        const char* name;
        const char* file;
        FileType type;
    } formats[] = {
        {"native", "sheet.vts", FileType::Native},
        {"xls BIFF8", "sheet.xls", FileType::Excel97},
        {"xls BIFF5", "sheet5.xls", FileType::Excel5},
        {"text (values only)", "sheet.txt", FileType::TextValuesOnly},
        {"text (as shown)", "shown.txt", FileType::Text},
    };
    for (const auto& f : formats) {
        const std::string path = (dir / f.file).string();
        const double save = seconds([&] { wb.Write(path, static_cast<std::int32_t>(f.type)); });
        Workbook back;
        const double read = seconds([&] { back.Read(path); });
        std::printf("%-20s save %.3f s, read %.3f s, %.1f MB, bold A1 read back: %s\n", f.name, save, read,
                    static_cast<double>(std::filesystem::file_size(path)) / 1e6,
                    back.cellFormat(1, 1, 1).bold ? "yes" : "no");
    }
    std::filesystem::remove_all(dir);
    return 0;
}
