#include "numeric/FormatMatrix.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "numeric/Checked.h"
#include "numeric/MatB.h"
#include "numeric/MatrixCells.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace FormatMatrix {

namespace nd = numeric::detail;

namespace {

void checkInput(const Matrix& M, std::int32_t n, std::span<const std::string> labels, std::int32_t D,
                const char* source)
{
    if (n < 1 || M.rows() < static_cast<std::size_t>(n) || M.cols() < static_cast<std::size_t>(n) ||
        labels.size() < static_cast<std::size_t>(n)) {
        numeric::raiseRuntime(platform::err::Subscript, source);
    }
    if (D < 0) {
        numeric::raiseRuntime(platform::err::InvalidCall, source);
    }
}

std::size_t labelWidth(std::span<const std::string> labels, std::int32_t n)
{
    std::size_t longest = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        longest = std::max(longest, nd::charCount(labels[static_cast<std::size_t>(i)]));
    }
    return std::max<std::size_t>(10, longest);
}

// Characters before the first "." in the run-time's text of the largest
// lower-triangle value; 0 when the text has no ".".
std::size_t integerPart(const Matrix& M, std::int32_t n)
{
    const std::string text = platform::rt::CStr(MatB::MaxOfLowerTri(M, n));
    const std::size_t point = text.find('.');
    return point == std::string::npos ? 0 : point;
}

// The cell texts of the lower triangle (with the diagonal when asked), row by
// row, and the cell width widened when a text does not fit.
struct Cells {
    std::vector<std::vector<std::string>> rows;
    std::size_t width = 0;
};

Cells makeCells(const Matrix& M, std::int32_t n, std::int32_t D, bool diagonal, bool grouping, std::size_t width,
                const char* source)
{
    Cells cells;
    cells.rows.resize(static_cast<std::size_t>(n));
    std::size_t longest = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t last = diagonal ? i : i - 1;
        for (std::int32_t j = 0; j <= last; ++j) {
            const double value =
                numeric::checkedFinite(M(static_cast<std::size_t>(i), static_cast<std::size_t>(j)), source);
            std::string text = nd::fixedText(value, D, grouping);
            longest = std::max(longest, nd::charCount(text));
            cells.rows[static_cast<std::size_t>(i)].push_back(std::move(text));
        }
    }
    cells.width = longest > width ? longest + 1 : width;
    return cells;
}

// Appends rows first..n-1 of the table: the label padded to `labelWidth`,
// then the row's cells right-aligned in the cell width, each row ended by
// CR LF. The progress, when given, shows the row just written.
void appendRows(std::string& text, std::span<const std::string> labels, const Cells& cells, std::int32_t first,
                std::int32_t n, std::size_t labelWidth, Progress* progress = nullptr)
{
    for (std::int32_t i = first; i < n; ++i) {
        const auto row = static_cast<std::size_t>(i);
        text += nd::padRight(labels[row], labelWidth);
        for (const std::string& cell : cells.rows[row]) {
            text += nd::padLeft(cell, cells.width);
        }
        text += "\r\n";
        nd::setValue(progress, i);
    }
}

} // namespace

std::string FormatCorrMat(const Matrix& M, std::int32_t n, std::span<const std::string> labels, std::int32_t D)
{
    checkInput(M, n, labels, D, "FormatCorrMat");
    const std::size_t L = labelWidth(labels, n);
    const Cells cells = makeCells(M, n, D, false, false, integerPart(M, n) + static_cast<std::size_t>(D) + 3,
                                "FormatCorrMat");

    std::string text = "\r\n" + std::to_string(n) + "\r\n" + labels[0] + "\r\n";
    appendRows(text, labels, cells, 1, n, L + 1);
    return text;
}

std::string FormatDistMat(const Matrix& M, std::int32_t n, std::span<const std::string> labels, Progress* progress,
                          std::int32_t D)
{
    checkInput(M, n, labels, D, "FormatDistMat");
    nd::setMinimum(progress, 0);
    nd::setMaximum(progress, n);
    std::size_t longest = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        longest = std::max(longest, nd::charCount(labels[static_cast<std::size_t>(i)]));
        nd::setValue(progress, i);
    }
    const std::size_t L = std::max<std::size_t>(10, longest);
    const Cells cells = makeCells(M, n, D, false, true, integerPart(M, n) + static_cast<std::size_t>(D) + 2,
                                "FormatDistMat");

    std::string text = "\r\n" + nd::padRight(std::to_string(n), 11) + "\r\n" + labels[0] + "\r\n";
    appendRows(text, labels, cells, 1, n, L, progress);
    nd::setValue(progress, 0);
    return text;
}

std::string FormatCovMat(const Matrix& M, std::int32_t n, std::span<const std::string> labels, std::int32_t D)
{
    checkInput(M, n, labels, D, "FormatCovMat");
    const std::size_t L = labelWidth(labels, n);
    const Cells cells = makeCells(M, n, D, true, false, L + 1, "FormatCovMat");

    std::string text = "\r\n" + std::to_string(n) + "\r\n";
    appendRows(text, labels, cells, 0, n, L + 1);
    return text;
}

} // namespace FormatMatrix
