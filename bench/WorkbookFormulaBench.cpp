// Formula speed on a book of the real size, 12,625 loci x 128 arrays of
// numbers (B2:DY12626): typing one formula and reading its result; typing
// a new number into a data cell while 25,000 formulas depend on the sheet,
// and reading the formulas it changes; and a full recalculation of 12,625
// row formulas =AVERAGE(B2:DY2)*2&"x", every result read. Each timed step
// runs ten times on other cells; the fastest and slowest are printed.
//
// Then whole columns and many formulas: a number typed under 16,384 shares
// of a column's total (=Br/SUM($B:$B) and =Br/SUM(B$1:B$16384)); 10,000 and
// 100,000 =SUM($A:$A)-$Ar (each column of formulas reading the column on its
// left), recalculated in full, an edit that all of a column's formulas read
// and one that a single formula reads; and 10,000 and 400,000 row formulas
// =($Ar-$Br)/($Ar+$Br+1) and =SUM($Ar:$B(r+9)) (16,000 to a column): the
// first computation after setting them, a rebuild of the graph, a full
// recalculation, and the heap bytes each formula holds. Steps that take
// long run fewer times (at least once, until three seconds are spent).
// Prints its figures; asserts nothing.

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Workbook.h"
#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

// The bytes the heap holds for this program, counted at every allocation.
namespace {
std::atomic<long long> g_heapBytes{0};
}

void* operator new(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    g_heapBytes.fetch_add(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    return p;
}

void operator delete(void* p) noexcept
{
    if (p == nullptr)
        return;
    g_heapBytes.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

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

// The fastest and slowest of kRepeats calls of step(i), fewer when they
// have taken three seconds.
Span timed(const std::function<void(int)>& step)
{
    Span s;
    double spent = 0;
    for (int i = 0; i < kRepeats && spent < 3.0; ++i) {
        const double t = bench::seconds([&] { step(i); });
        s.fastest = std::min(s.fastest, t);
        s.slowest = std::max(s.slowest, t);
        spent += t;
    }
    return s;
}

void print(const char* what, const Span& s)
{
    std::printf("%-58s %8.3f - %8.3f ms\n", what, 1000 * s.fastest, 1000 * s.slowest);
}

// Numbers in the columns [first, first + count) of rows 1 to `rows`.
void fillColumns(Workbook& wb, std::int32_t first, std::int32_t count, std::int32_t rows, unsigned seed)
{
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> level(1, 100);
    ValueTable t(rows, count);
    for (std::int32_t r = 0; r < rows; ++r)
        for (std::int32_t c = 0; c < count; ++c)
            t.at(r, c) = Value(level(rng));
    wb.CopyDataFromArray(1, 1, first, rows, first + count - 1, true, t);
}

// Reads the results of the column's rows 1 to `rows`.
void readColumn(const Workbook& wb, std::int32_t col, std::int32_t rows)
{
    for (std::int32_t r = 1; r <= rows; ++r)
        (void)wb.cellValue(1, r, col);
}

// A number typed into column B under 16,384 formulas =B<r>/<total>, their
// results read after each.
void shares(const char* what, const std::string& total)
{
    constexpr std::int32_t kRows = spreadsheet::kMaxRows;
    Workbook wb;
    fillColumns(wb, 2, 1, kRows, 5);
    for (std::int32_t r = 1; r <= kRows; ++r)
        wb.setCellFormula(1, r, 3, "B" + std::to_string(r) + "/" + total);
    readColumn(wb, 3, kRows);
    print(what, timed([&](int i) {
              wb.enterCell(1, 1 + 1500 * i, 2, std::to_string(7 + i) + ".5");
              readColumn(wb, 3, kRows);
          }));
}

// `columns` columns of 10,000 =SUM($X:$X)-$Xr, each reading the column on
// its left, and one formula =ZZ5*2 beside them.
void columnTotals(std::int32_t columns)
{
    constexpr std::int32_t kRows = 10000;
    Workbook wb;
    for (std::int32_t k = 0; k < columns; ++k) {
        const std::int32_t data = 1 + 2 * k;
        fillColumns(wb, data, 1, kRows, 11 + static_cast<unsigned>(k));
        const std::string x = "$" + spreadsheet::columnLetters(data);
        for (std::int32_t r = 1; r <= kRows; ++r)
            wb.setCellFormula(1, r, data + 1, "SUM(" + x + ":" + x + ")-" + x + std::to_string(r));
    }
    const std::int32_t lone = 2 * columns + 2;
    wb.setCellFormula(1, 5, lone + 1, spreadsheet::columnLetters(lone) + "5*2");
    (void)wb.cellValue(1, 1, 2);
    const std::string n = std::to_string(columns * kRows);
    std::printf("%s =SUM($A:$A)-$Ar (%d columns of 10,000):\n", n.c_str(), columns);
    print("  recalculate in full, every result read:", timed([&](int) {
              wb.CheckRecalc();
              for (std::int32_t k = 0; k < columns; ++k)
                  readColumn(wb, 2 + 2 * k, kRows);
          }));
    print("  type a number in A1, the 10,000 results read:", timed([&](int i) {
              wb.enterCell(1, 1, 1, std::to_string(3 + i) + ".5");
              readColumn(wb, 2, kRows);
          }));
    print("  type a number that one formula reads:", timed([&](int i) {
              wb.enterCell(1, 5, lone, std::to_string(3 + i));
              (void)wb.cellValue(1, 5, lone + 1);
          }));
}

// `count` row formulas of the shape (16,000 to a column from C on, over the
// numbers of A and B): the first computation, a rebuild, a full
// recalculation and the heap bytes per formula.
void rowFormulas(std::int32_t count, const std::function<std::string(std::int32_t)>& formula, const char* shape)
{
    constexpr std::int32_t kPerColumn = 16000;
    Workbook wb;
    fillColumns(wb, 1, 2, kPerColumn + 9, 17);
    (void)wb.cellValue(1, 1, 1);
    const std::int32_t columns = (count + kPerColumn - 1) / kPerColumn;
    const long long heapBefore = g_heapBytes.load();
    for (std::int32_t i = 0; i < count; ++i)
        wb.setCellFormula(1, 1 + i % kPerColumn, 3 + i / kPerColumn, formula(1 + i % kPerColumn));
    const auto readAll = [&] {
        for (std::int32_t k = 0; k < columns; ++k)
            readColumn(wb, 3 + k, std::min(kPerColumn, count - k * kPerColumn));
    };
    const double first = bench::seconds(readAll);
    const double perFormula = static_cast<double>(g_heapBytes.load() - heapBefore) / count;
    std::printf("%d row formulas %s:\n", count, shape);
    std::printf("  %-56s %8.3f ms\n", "first computation after setting them:", 1000 * first);
    print("  rebuild (a defined name set), every result read:", timed([&](int i) {
              wb.setDefinedName("Rebuild", std::to_string(i));
              readAll();
          }));
    print("  recalculate in full, every result read:", timed([&](int) {
              wb.CheckRecalc();
              readAll();
          }));
    std::printf("  %-56s %8.0f B\n", "heap bytes per formula (cell and graph):", perFormula);
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args(argc, argv,
                "\n  Times formula entry, a data edit under 25,000 formulas and a full recalculation on a "
                "12,625 x 128 sheet, then edits and full recalculations under whole-column totals and of "
                "10,000 and 400,000 row formulas; takes no arguments.\n")
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

    shares("type a number under 16,384 =Br/SUM($B:$B):", "SUM($B:$B)");
    shares("type a number under 16,384 =Br/SUM(B$1:B$16384):", "SUM(B$1:B$16384)");
    columnTotals(1);
    columnTotals(10);
    const auto difference = [](std::int32_t r) {
        const std::string n = std::to_string(r);
        return "($A" + n + "-$B" + n + ")/($A" + n + "+$B" + n + "+1)";
    };
    const auto window = [](std::int32_t r) {
        return "SUM($A" + std::to_string(r) + ":$B" + std::to_string(r + 9) + ")";
    };
    for (const std::int32_t count : {10000, 400000}) {
        rowFormulas(count, difference, "=($Ar-$Br)/($Ar+$Br+1)");
        rowFormulas(count, window, "=SUM($Ar:$B(r+9))");
    }
    return 0;
}
