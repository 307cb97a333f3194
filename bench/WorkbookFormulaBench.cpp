// Formula speed on a book of the real size, 12,625 loci x 128 arrays of
// numbers (B2:DY12626): typing one formula and reading its result; typing
// a new number into a data cell while 25,000 formulas depend on the sheet,
// and reading the formulas it changes; and a full recalculation of 12,625
// row formulas =AVERAGE(B2:DY2)*2&"x", every result read. Each timed step
// runs ten times on other cells; the fastest and slowest are printed.
// Prints its figures; asserts nothing.

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Workbook.h"
#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

namespace {

using spreadsheet::Value;
using spreadsheet::ValueTable;
using spreadsheet::Workbook;

constexpr std::int32_t kLoci = 12625;
constexpr std::int32_t kArrays = 128;
constexpr std::int32_t kFirstRow = 2;
constexpr std::int32_t kLastRow = kFirstRow + kLoci - 1;
constexpr std::int32_t kFirstCol = 2;                         // B
constexpr std::int32_t kLastCol = kFirstCol + kArrays - 1;  // DY
constexpr int kRepeats = 10;

// The data block with gene names in column A and array names in row 1.
void fill(Workbook& wb)
{
    std::mt19937_64 rng(63);
    std::normal_distribution<double> level(8, 2);
    ValueTable t(kLoci + 1, kArrays + 1);
    for (std::int32_t c = 1; c <= kArrays; ++c)
        t.at(0, c) = Value("array" + std::to_string(c));
    for (std::int32_t r = 1; r <= kLoci; ++r) {
        t.at(r, 0) = Value("G" + std::to_string(100000 + r));
        for (std::int32_t c = 1; c <= kArrays; ++c)
            t.at(r, c) = Value(level(rng));
    }
    wb.CopyDataFromArray(1, 1, 1, kLastRow, kLastCol, true, t);
}

std::string rowRange(std::int32_t row)
{
    return spreadsheet::cellRefText(row, kFirstCol) + ":" + spreadsheet::cellRefText(row, kLastCol);
}

struct Span {
    double fastest = 1e300;
    double slowest = 0;
};

// The fastest and slowest of kRepeats calls of step(i).
Span timed(const std::function<void(int)>& step)
{
    Span s;
    for (int i = 0; i < kRepeats; ++i) {
        const double t = bench::seconds([&] { step(i); });
        s.fastest = std::min(s.fastest, t);
        s.slowest = std::max(s.slowest, t);
    }
    return s;
}

void print(const char* what, const Span& s)
{
    std::printf("%-58s %8.3f - %8.3f ms\n", what, 1000 * s.fastest, 1000 * s.slowest);
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args(argc, argv,
                "\n  Times formula entry, a data edit under 25,000 formulas and a full recalculation on a "
                "12,625 x 128 sheet; takes no arguments.\n")
        .finish();
    std::printf("sheet of %d loci x %d arrays (B2:DY%d)\n", kLoci, kArrays, kLastRow);

    {
        Workbook wb;
        fill(wb);
        (void)wb.cellValue(1, kFirstRow, kFirstCol);
        const std::int32_t col = kLastCol + 2;
        print("enter one formula =AVERAGE(Bn:DYn) and read it:", timed([&](int i) {
                  const std::int32_t row = kFirstRow + 1000 * i;
                  wb.enterCell(1, row, col, "=AVERAGE(" + rowRange(row) + ")");
                  (void)wb.cellValue(1, row, col);
              }));
    }

    {
        // 12,625 row averages in DZ and 12,375 formulas over them and their rows in EA.
        Workbook wb;
        fill(wb);
        const std::int32_t avg = kLastCol + 1;
        for (std::int32_t r = kFirstRow; r <= kLastRow; ++r)
            wb.setCellFormula(1, r, avg, "AVERAGE(" + rowRange(r) + ")");
        const std::int32_t over = avg + 1;
        const std::string dz = spreadsheet::columnLetters(avg);
        for (std::int32_t r = kFirstRow; r < kFirstRow + 25000 - kLoci; ++r)
            wb.setCellFormula(1, r, over, dz + std::to_string(r) + "/MAX(" + rowRange(r) + ")");
        (void)wb.cellValue(1, kFirstRow, avg);
        print("type a number into a data cell under 25,000 formulas:", timed([&](int i) {
                  const std::int32_t row = kFirstRow + 1200 * i + 7;
                  wb.enterCell(1, row, kFirstCol + i, std::to_string(5 + i) + ".25");
                  (void)wb.cellValue(1, row, avg);
                  (void)wb.cellValue(1, row, over);
              }));
    }

    {
        Workbook wb;
        fill(wb);
        const std::int32_t col = kLastCol + 1;
        for (std::int32_t r = kFirstRow; r <= kLastRow; ++r)
            wb.setCellFormula(1, r, col, "AVERAGE(" + rowRange(r) + ")*2&\"x\"");
        (void)wb.cellValue(1, kFirstRow, col);
        print("recalculate 12,625 formulas =AVERAGE(Bn:DYn)*2&\"x\":", timed([&](int) {
                  wb.CheckRecalc();
                  for (std::int32_t r = kFirstRow; r <= kLastRow; ++r)
                      (void)wb.cellValue(1, r, col);
              }));
    }
    return 0;
}
