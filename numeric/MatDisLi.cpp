#include "numeric/MatDisLi.h"

#include <algorithm>
#include <vector>

#include "numeric/Checked.h"
#include "numeric/MathOnly.h"
#include "numeric/MatrixCells.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace MatDisLi {

namespace nd = numeric::detail;

namespace {

template <class NameOf>
std::string layout(std::int32_t n, std::span<const double> values, std::int32_t D, NameOf nameOf)
{
    if (n < 1) {
        numeric::raiseRuntime(platform::err::Subscript, "DistMat2Text");
    }
    if (D < 0) {
        numeric::raiseRuntime(platform::err::InvalidCall, "DistMat2Text");
    }
    const auto rows = static_cast<std::size_t>(n);
    if (values.size() < rows * (rows + 1) / 2) {
        numeric::raiseRuntime(platform::err::Subscript, "DistMat2Text");
    }
    double largest = 0;
    for (const double v : values) {
        largest = std::max(largest, numeric::checkedFinite(v, "DistMat2Text"));
    }
    std::size_t width = static_cast<std::size_t>(D) + 3;
    if (largest > 1) {
        width = static_cast<std::size_t>(platform::rt::RoundHalfEven(MathOnly::Log10(largest) + 3.0 + D));
    }

    std::vector<std::string> cells;
    cells.reserve(rows * (rows + 1) / 2);
    std::size_t longest = 0;
    for (std::size_t k = 0; k < rows * (rows + 1) / 2; ++k) {
        cells.push_back(nd::fixedText(numeric::checkedFinite(values[k], "DistMat2Text"), D, false));
        longest = std::max(longest, nd::charCount(cells.back()));
    }
    if (longest > width) {
        width = longest + 1;
    }

    std::string text;
    for (std::size_t i = 0; i < rows; ++i) {
        text += nameOf(i);
        for (std::size_t j = 0; j <= i; ++j) {
            text += nd::padLeft(cells[i * (i + 1) / 2 + j], width);
        }
        text += "\r\n";
    }
    return text;
}

} // namespace

std::string DistMat2Text(std::string_view alphabet, std::int32_t n, std::span<const double> values, std::int32_t D)
{
    return layout(n, values, D, [&](std::size_t i) {
        return i < alphabet.size() ? std::string(1, alphabet[i]) : std::string();
    });
}

std::string DistMat2Text(std::span<const std::string> names, std::int32_t n, std::span<const double> values,
                         std::int32_t D)
{
    if (n > 0 && names.size() < static_cast<std::size_t>(n)) {
        numeric::raiseRuntime(platform::err::Subscript, "DistMat2Text");
    }
    return layout(n, values, D, [&](std::size_t i) { return names[i]; });
}

} // namespace MatDisLi
