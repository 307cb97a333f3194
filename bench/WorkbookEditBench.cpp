// Worksheet editing speed on a gene table of 16,000 loci x 80 time points
// with a name column: sorting by a value column and back by the names,
// copying the block as clipboard text and pasting it back, finding a name
// near the end, and replacing in every cell. Prints its figures; asserts
// nothing.

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>

#include "platform/spreadsheet/Workbook.h"
#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

namespace {

using spreadsheet::Value;
using spreadsheet::ValueTable;
using spreadsheet::Workbook;

using bench::seconds;

} // namespace

int main(int argc, char** argv)
{
    bench::Args(argc, argv, "\n  Times sorting, clipboard text and find and replace on a 16,000 x 80 sheet; takes no arguments.\n").finish();
    constexpr std::int32_t kRows = 16000;
    constexpr std::int32_t kCols = 80;
    Workbook wb;
    {
        std::mt19937_64 rng(23);
        std::uniform_real_distribution<double> dist(-3, 3);
        ValueTable t(kRows, kCols + 1);
        for (std::int32_t r = 0; r < kRows; ++r) {
            t.at(r, 0) = Value("G" + std::to_string(100000 + r));
            for (std::int32_t c = 1; c <= kCols; ++c)
                t.at(r, c) = Value(dist(rng));
        }
        wb.CopyDataFromArray(1, 1, 1, kRows, kCols + 1, true, t);
    }
    std::printf("gene table %d loci x %d time points plus names\n", kRows, kCols);
    std::printf("sort by a value column (key 2):     %.3f s\n",
                seconds([&] { wb.Sort3(1, 1, kRows, kCols + 1, true, 2, 0, 0); }));
    std::printf("sort back by the names (key 1):     %.3f s\n",
                seconds([&] { wb.Sort3(1, 1, kRows, kCols + 1, true, 1, 0, 0); }));
    wb.setSelection(1, 1, kRows, kCols + 1);
    std::string text;
    const double clip = seconds([&] { text = wb.Clip(); });
    std::printf("block as clipboard text:            %.3f s (%.1f MB)\n", clip, static_cast<double>(text.size()) / 1e6);
    wb.setSelection(1, kCols + 3, 1, kCols + 3);
    std::printf("clipboard text pasted beside it:    %.3f s\n", seconds([&] { wb.setClip(text); }));
    std::printf("find a name near the end:           %.3f s\n",
                seconds([&] { (void)wb.findCell("G115990", 1, 1, Workbook::FindOptions{}); }));
    std::printf("find a number text near the end:    %.3f s\n",
                seconds([&] { (void)wb.findCell("2.99999", 1, 1, Workbook::FindOptions{}); }));
    Workbook::FindOptions whole;
    whole.wholeCell = true;
    std::printf("replace a whole-cell name everywhere: %.3f s\n",
                seconds([&] { (void)wb.replaceAll("G100001", "renamed", whole); }));
    return 0;
}
