// Workbook speed and memory: load and save times of a 16,000 x 80 numeric
// sheet as tab-delimited text, in the native format and as .xls (BIFF8 and
// BIFF5); the array copy of that block; the peak memory of a full
// 16,384 x 256 numeric sheet; the time and peak memory of refusing a 40 KB
// text too wide for a sheet (one line of 8,000 tabs, then 16,383 short
// lines) through the workbook reader and through the program's delimited
// import. Prints its figures; asserts nothing.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"
#include "platform/errors/Error.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/workbook/SSMDIFiles.h"

namespace {

using spreadsheet::FileType;
using spreadsheet::Value;
using spreadsheet::ValueTable;
using spreadsheet::Workbook;

using bench::seconds;

long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args(argc, argv, "\n  Times loading and saving a 16,000 x 80 sheet in each format, with peak memory; takes no arguments.\n").finish();
    // Memory first, while the process is still small.
    const long before = peakKiB();
    {
        Workbook full;
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> dist(-1000, 1000);
        for (std::int32_t r = 1; r <= spreadsheet::kMaxRows; ++r)
            for (std::int32_t c = 1; c <= spreadsheet::kMaxCols; ++c)
                full.setCellValue(1, r, c, Value(dist(rng)));
        std::printf("full 16384 x 256 numeric sheet: peak memory %.1f MB (process %.1f MB before)\n",
                    static_cast<double>(peakKiB() - before) / 1024.0, static_cast<double>(before) / 1024.0);
    }

    constexpr std::int32_t kRows = 16000;
    constexpr std::int32_t kCols = 80;
    Workbook wb;
    {
        std::mt19937_64 rng(11);
        std::uniform_real_distribution<double> dist(0, 5000);
        ValueTable t(kRows, kCols);
        for (std::int32_t r = 0; r < kRows; ++r)
            for (std::int32_t c = 0; c < kCols; ++c)
                t.at(r, c) = Value(dist(rng));
        wb.CopyDataFromArray(1, 1, 1, kRows, kCols, true, t);
    }
    ValueTable out(kRows, kCols);
    std::printf("CopyDataToArray of 16000 x 80: %.3f s\n",
                seconds([&] { wb.CopyDataToArray(1, 1, 1, kRows, kCols, true, out); }));

    const auto dir = std::filesystem::temp_directory_path() / "tessaray-workbook-bench";
    std::filesystem::create_directories(dir);
    struct Format {
        const char* name;
        const char* file;
        FileType type;
    };
    const Format formats[] = {
        {"text (values only)", "sheet.txt", FileType::TextValuesOnly},
        {"native", "sheet.vts", FileType::Native},
        {"xls BIFF8", "sheet.xls", FileType::Excel97},
        {"xls BIFF5", "sheet95.xls", FileType::Excel5},
    };
    for (const Format& f : formats) {
        const std::string path = (dir / f.file).string();
        const double save = seconds([&] { wb.Write(path, static_cast<std::int32_t>(f.type)); });
        Workbook back;
        const double load = seconds([&] { back.Read(path); });
        std::printf("%-20s save %.3f s, load %.3f s (%.1f MB)\n", f.name, save, load,
                    static_cast<double>(std::filesystem::file_size(path)) / 1e6);
    }

    // A text too wide for a sheet is refused as it is read.
    std::string wide(8000, '\t');
    wide += '\n';
    for (int i = 0; i < 16383; ++i)
        wide += "a\n";
    const std::string widePath = (dir / "wide.txt").string();
    std::FILE* f = std::fopen(widePath.c_str(), "wb");
    if (f) {
        std::fwrite(wide.data(), 1, wide.size(), f);
        std::fclose(f);
    }
    auto refusal = [&](const char* name, const std::function<void()>& read) {
        bench::resetPeak();
        const double before = bench::peakBytes();
        int number = 0;
        const double t = seconds([&] {
            try {
                read();
            } catch (const platform::Error& e) {
                number = e.number();
            }
        });
        std::printf("%-34s refused with error %d in %.4f s, peak memory +%.1f MB\n", name, number, t,
                    (bench::peakBytes() - before) / 1e6);
    };
    refusal("40 KB text, workbook reader", [&] {
        Workbook back;
        back.Read(widePath);
    });
    refusal("40 KB text, delimited import", [&] {
        ValueTable table;
        std::int32_t lines = 0;
        std::int32_t fields = 0;
        SSMDI1::ReadDelimText(widePath, table, lines, fields);
    });
    std::filesystem::remove_all(dir);
    return 0;
}
