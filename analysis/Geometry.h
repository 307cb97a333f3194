#pragma once

// Geometry: distance matrices between the rows or the columns of a data block
// under eight measures, with or without a missing-value code.
//
// Data and items. Data is read as Data(row, column) over rows 0 .. NumRow - 1
// and columns 0 .. NumCol - 1 (the matrix may be larger). With ByCol true the
// items are the columns (N = NumCol), each the vector of its NumRow cells;
// with ByCol false the items are the rows (N = NumRow), each of NumCol cells.
// Position k of a vector is row k (columns) or column k (rows).
//
// Missing values. Without a code every position is used. With a code, a
// position is used only when neither of the two cells equals the code
// (exact comparison); m is the number of positions used.
//
// Measures (x, y the two vectors, n their length, sums over used positions,
// added from position 0 up):
//   0 SS        sqrt(S d^2); with a code sqrt(S d^2 / m)
//   1 Euclid    rows sqrt(S d^2 / NumCol), columns sqrt(S d^2); with a code
//               sqrt(S d^2 / m)
//   2 CB        mean absolute difference S|d| / n; with a code S|d| / m
//   3 PR        percentage remoteness 100 - (Smin * 100) / Smax, where Smin
//               and Smax add the smaller and the larger of x(k), y(k)
//   4 Chord     2 (1 - cos), cos = Sxy / sqrt(Syy Sxx)
//   5 Geodesic  the angle ArcCos(cos) in radians (0 for proportional items)
//   6 Pearson   1 - Pearson's r (pairwise over used positions with a code)
//   7 Spearman  1 - Spearman's tie-corrected rank correlation
// The differences in scaling between measures and orientations are kept on
// purpose: stored results and callers rely on them.
//
// Drivers. A driver replaces DisMat with the distances of all N(N - 1)/2
// pairs (cell (i, j), i > j, is worker(i, j)). The pairs are shared among all
// cores; each pair is summed in position order by one thread, so the result
// is bit for bit that of a single-threaded run. Progress: minimum 0, maximum
// N(N - 1)/2, value the number of pairs finished less one, moved as rows of
// pairs finish; 0 at the end.
//
// Errors (platform::Error; the driver's name is added to the trail with the
// two items of a failing pair, numbered from 1):
//   5  a negative count
//   9  counts larger than the data block, a worker's item index outside
//      0 .. N - 1 (text "CBDisTwoRow: Row1 > NumRow" and the like)
//   13 a cell that is not a finite number (checked before any pair)
//   7  a distance matrix over the memory limit (checked before allocating)
//   6  0/0: no usable position, an all-zero vector (chord, geodesic, PR), a
//      constant item (Pearson, Spearman), a result that is not finite
//   11 x/0 with x != 0
// A failing driver leaves DisMat re-created with the pairs computed so far.
// No NaN or infinity is ever stored.

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/DistanceMatrix.h"
#include "numeric/Matrix.h"
#include "numeric/Progress.h"

namespace Geometry {

using analysis::DistanceMatrix;
using numeric::Matrix;
using numeric::Progress;

// The missing-value code; no code when empty.
using Missing = std::optional<double>;

// Distance indices as the clustering choices number them.
enum class DistanceIndex : std::int16_t {
    SumOfSquares = 0,
    Euclidean = 1,
    Manhattan = 2,
    Remoteness = 3,
    Chord = 4,
    Geodesic = 5,
    Pearson = 6,
    Spearman = 7,
    Count
};
static_assert(static_cast<int>(DistanceIndex::Count) == 8, "the clustering choices list eight measures");

// ---- Drivers ------------------------------------------------------------------
void SSDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat, bool ByCol,
              Progress* PB, Missing missing = {});
void EuclidDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat, bool ByCol,
                  Progress* PB, Missing missing = {});
void CBDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat, bool ByCol,
              Progress* PB, Missing missing = {});
void PRDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat, bool ByCol,
              Progress* PB, Missing missing = {});
void ChordDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat, bool ByCol,
                 Progress* PB, Missing missing = {});
void GeodesicDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat,
                    bool ByCol, Progress* PB, Missing missing = {});
// The correlation drivers take ByCol before DisMat. PearsonDisMat returns true.
bool PearsonDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, bool ByCol, DistanceMatrix& DisMat,
                   Progress* PB, Missing missing = {});
void SpearmanDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, bool ByCol,
                    DistanceMatrix& DisMat, Progress* PB, Missing missing = {});

// The driver of a distance index (0 to 7); error 5 for any other index.
void DisMatByIndex(std::int16_t index, const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, bool ByCol,
                   DistanceMatrix& DisMat, Progress* PB, Missing missing = {});

// DisMatByIndex with the items in a visiting order (slot numbers 1 .. N by
// position, N the number of items): cell (p, q) holds the distance between
// the items order[p] and order[q], so that a tree builder visiting them in
// that order needs not move the matrix. Every measure gives the same number
// for the pair both ways round, so the distances are bit for bit those of
// DisMatByIndex. Errors as DisMatByIndex, naming the failing pair by its
// items (the computation is then run again in item order); 9 also when order
// is not an order of the N items. Memory: one copy of the data besides.
void DisMatInOrder(std::int16_t index, const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, bool ByCol,
                   const std::vector<std::int32_t>& order, DistanceMatrix& DisMat, Progress* PB, Missing missing = {});

// ---- Pair workers -------------------------------------------------------------
// Row workers compare Data(Row1, k) with Data(Row2, k), k < NumCol; column
// workers Data(k, Col1) with Data(k, Col2), k < NumRow. Each checks its item
// indices (error 9) and the block (errors 5, 9); the cells are not checked
// for being finite, but a result that is not finite raises 6.
[[nodiscard]] double SSDisTwoRow(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                                 std::int32_t Row2);
[[nodiscard]] double SSDisTwoRowMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                        std::int32_t Row1, std::int32_t Row2, double code);
[[nodiscard]] double SSDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                                 std::int32_t Col2);
[[nodiscard]] double SSDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                        std::int32_t Col1, std::int32_t Col2, double code);

// The Euclidean row workers take no NumRow: Row1 and Row2 are checked
// against the rows of Data.
[[nodiscard]] double EuclidDisTwoRow(const Matrix& Data, std::int32_t NumCol, std::int32_t Row1, std::int32_t Row2);
[[nodiscard]] double EuclidDisTwoRowMissing(const Matrix& Data, std::int32_t NumCol, std::int32_t Row1,
                                            std::int32_t Row2, double code);
[[nodiscard]] double EuclidDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                                     std::int32_t Col2);
[[nodiscard]] double EuclidDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                            std::int32_t Col1, std::int32_t Col2, double code);

[[nodiscard]] double CBDisTwoRow(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                                 std::int32_t Row2);
[[nodiscard]] double CBDisTwoRowMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                        std::int32_t Row1, std::int32_t Row2, double code);
[[nodiscard]] double CBDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                                 std::int32_t Col2);
[[nodiscard]] double CBDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                        std::int32_t Col1, std::int32_t Col2, double code);

[[nodiscard]] double PRDisTwoRow(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                                 std::int32_t Row2);
[[nodiscard]] double PRDisTwoRowMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                        std::int32_t Row1, std::int32_t Row2, double code);
[[nodiscard]] double PRDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                                 std::int32_t Col2);
[[nodiscard]] double PRDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                        std::int32_t Col1, std::int32_t Col2, double code);

[[nodiscard]] double ChordDisTwoRow(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                                    std::int32_t Row2);
[[nodiscard]] double ChordDisTwoRowMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                           std::int32_t Row1, std::int32_t Row2, double code);
[[nodiscard]] double ChordDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                                    std::int32_t Col2);
[[nodiscard]] double ChordDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                           std::int32_t Col1, std::int32_t Col2, double code);

[[nodiscard]] double GeodesicDisTwoRow(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                       std::int32_t Row1, std::int32_t Row2);
[[nodiscard]] double GeodesicDisTwoRowMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                              std::int32_t Row1, std::int32_t Row2, double code);
[[nodiscard]] double GeodesicDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                       std::int32_t Col1, std::int32_t Col2);
[[nodiscard]] double GeodesicDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol,
                                              std::int32_t Col1, std::int32_t Col2, double code);

} // namespace Geometry
