#include "analysis/DataTool.h"

#include <cmath>
#include <string>
#include <vector>

#include "numeric/Checked.h"
#include "numeric/MathOnly.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace DataTool {

namespace {

void checkBlock(const Matrix& block, std::int32_t nr, std::int32_t nc, const char* source)
{
    if (nr < 0 || nc < 0) {
        throw platform::Error::runtime(platform::err::InvalidCall, source);
    }
    if (block.rows() < static_cast<std::size_t>(nr) || block.cols() < static_cast<std::size_t>(nc)) {
        throw platform::Error(platform::err::Subscript, source,
                              "The block holds fewer rows or columns than the counts given.");
    }
    for (std::int32_t r = 0; r < nr; ++r) {
        for (std::int32_t c = 0; c < nc; ++c) {
            if (!std::isfinite(block(static_cast<std::size_t>(r), static_cast<std::size_t>(c)))) {
                throw platform::Error(platform::err::TypeMismatch, source,
                                      "Type mismatch: the cell in row " + platform::rt::CStr(r + 1) + ", column " +
                                          platform::rt::CStr(c + 1) + " is not a number.");
            }
        }
    }
}

std::string lineName(bool byCol, std::int32_t line)
{
    return std::string(byCol ? "Column " : "Row ") + platform::rt::CStr(line + 1);
}

[[nodiscard]] bool skipped(double x, const std::optional<double>& missing)
{
    return missing && x == *missing;
}

// Mean and standard deviation of every line over the cells that are not the
// code; lines with fewer than minCount such cells get no scale (sd 0 and
// count kept, the caller decides). Raises 6 for a line with count >= 2 (or
// exactly 1 when singleFails) whose values are all equal.
struct LineScale {
    double mean = 0;
    double sd = 0;
    std::int32_t count = 0;
};

// The block's lines as a plain row-major array: by columns, the sums of
// all lines advance together row by row (each line's sum still runs over its
// cells in order), so that a column-wise pass reads memory in order.
struct Lines {
    const Matrix& block;
    bool byCol;
    std::int32_t lines;
    std::int32_t length;

    // Calls f(line, cell) for every cell of every line, each line's cells
    // in order.
    template <class F>
    void forEachCell(F&& f) const
    {
        const std::size_t stride = block.cols();
        const double* cells = block.data();
        if (byCol) {
            for (std::int32_t k = 0; k < length; ++k) {
                const double* row = cells + static_cast<std::size_t>(k) * stride;
                for (std::int32_t line = 0; line < lines; ++line) {
                    f(line, row[line]);
                }
            }
        } else {
            for (std::int32_t line = 0; line < lines; ++line) {
                const double* row = cells + static_cast<std::size_t>(line) * stride;
                for (std::int32_t k = 0; k < length; ++k) {
                    f(line, row[k]);
                }
            }
        }
    }
};

std::vector<LineScale> lineScales(const Matrix& block, std::int32_t nr, std::int32_t nc, bool byCol,
                                  const std::optional<double>& missing, bool singleFails, const char* source)
{
    const Lines all{block, byCol, byCol ? nc : nr, byCol ? nr : nc};
    const auto lines = static_cast<std::size_t>(all.lines);
    std::vector<LineScale> scales(lines);
    std::vector<double> sum(lines, 0.0);
    all.forEachCell([&](std::int32_t line, double x) {
        if (!skipped(x, missing)) {
            sum[static_cast<std::size_t>(line)] += x;
            ++scales[static_cast<std::size_t>(line)].count;
        }
    });
    std::vector<char> scaled(lines, 0);
    for (std::size_t line = 0; line < lines; ++line) {
        LineScale& s = scales[line];
        if (s.count < 2 && !(singleFails && s.count == 1)) {
            continue;
        }
        s.mean = sum[line] / s.count;
        scaled[line] = 1;
    }
    std::vector<double> ss(lines, 0.0);
    all.forEachCell([&](std::int32_t line, double x) {
        const auto l = static_cast<std::size_t>(line);
        if (scaled[l] && !skipped(x, missing)) {
            const double d = x - scales[l].mean;
            ss[l] += d * d;
        }
    });
    // The first line without spread is the one reported.
    for (std::size_t line = 0; line < lines; ++line) {
        LineScale& s = scales[line];
        if (!scaled[line]) {
            continue;
        }
        s.sd = s.count > 1 ? std::sqrt(ss[line] / (s.count - 1)) : 0.0;
        if (!(s.sd > 0) || !std::isfinite(s.sd)) {
            throw platform::Error(platform::err::Overflow, source,
                                  lineName(byCol, static_cast<std::int32_t>(line)) +
                                      " has no spread (all its values are equal), so it cannot be standardised.");
        }
    }
    return scales;
}

void applyScales(Matrix& block, std::int32_t nr, std::int32_t nc, bool byCol, const std::optional<double>& missing,
                 const std::vector<LineScale>& scales, Progress* progress, bool minCountTwo)
{
    const std::int32_t lines = byCol ? nc : nr;
    const std::int32_t length = byCol ? nr : nc;
    auto apply = [&](double& x, const LineScale& s) {
        if ((!minCountTwo || s.count >= 2) && !skipped(x, missing)) {
            x = (x - s.mean) / s.sd;
        }
    };
    if (byCol) {
        // Row by row; the progress still counts the lines.
        for (std::int32_t line = 0; line < lines; ++line) {
            numeric::detail::setValue(progress, line);
        }
        for (std::int32_t k = 0; k < length; ++k) {
            double* row = block.data() + static_cast<std::size_t>(k) * block.cols();
            for (std::int32_t line = 0; line < lines; ++line) {
                apply(row[line], scales[static_cast<std::size_t>(line)]);
            }
        }
        return;
    }
    for (std::int32_t line = 0; line < lines; ++line) {
        numeric::detail::setValue(progress, line);
        double* row = block.data() + static_cast<std::size_t>(line) * block.cols();
        for (std::int32_t k = 0; k < length; ++k) {
            apply(row[k], scales[static_cast<std::size_t>(line)]);
        }
    }
}

enum class Kind { Sqrt, Log, Log2 };

bool cellTransform(Matrix& block, std::int32_t nr, std::int32_t nc, const std::optional<double>& missing,
                   Progress* progress, Kind kind, const char* source)
{
    checkBlock(block, nr, nc, source);
    const double shift = kind == Kind::Sqrt ? 0.375 : 0.5;
    for (std::int32_t r = 0; r < nr; ++r) {
        for (std::int32_t c = 0; c < nc; ++c) {
            const double x = block(static_cast<std::size_t>(r), static_cast<std::size_t>(c));
            if (skipped(x, missing)) {
                continue;
            }
            const double y = x + shift;
            if (kind == Kind::Sqrt ? y < 0 : y <= 0) {
                throw platform::Error(platform::err::InvalidCall, source,
                                      "The value " + platform::rt::CStr(x) + " in row " + platform::rt::CStr(r + 1) +
                                          ", column " + platform::rt::CStr(c + 1) + " is too small to transform.");
            }
        }
    }
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, nr);
    for (std::int32_t r = 0; r < nr; ++r) {
        numeric::detail::setValue(progress, r);
        for (std::int32_t c = 0; c < nc; ++c) {
            double& x = block(static_cast<std::size_t>(r), static_cast<std::size_t>(c));
            if (skipped(x, missing)) {
                continue;
            }
            switch (kind) {
            case Kind::Sqrt:
                x = std::sqrt(x + 0.375);
                break;
            case Kind::Log:
                x = numeric::checkedLog(x + 0.5, source);
                break;
            case Kind::Log2:
                x = MathOnly::Log2(x + 0.5);
                break;
            }
        }
    }
    numeric::detail::setValue(progress, 0);
    return true;
}

} // namespace

void StandardizeData(Matrix& block, std::int32_t NR, std::int32_t NC, bool byCol)
{
    constexpr const char* source = "StandardizeData";
    checkBlock(block, NR, NC, source);
    const std::vector<LineScale> scales = lineScales(block, NR, NC, byCol, std::nullopt, true, source);
    applyScales(block, NR, NC, byCol, std::nullopt, scales, nullptr, false);
}

void NormalizeData(Matrix& block, std::int32_t NR, std::int32_t NC, bool byCol, std::optional<double> missing,
                   Progress* progress)
{
    constexpr const char* source = "NormalizeData";
    checkBlock(block, NR, NC, source);
    const std::vector<LineScale> scales = lineScales(block, NR, NC, byCol, missing, false, source);
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, byCol ? NC : NR);
    applyScales(block, NR, NC, byCol, missing, scales, progress, true);
    numeric::detail::setValue(progress, 0);
}

bool SqrtTransform(Matrix& block, std::int32_t NR, std::int32_t NC, std::optional<double> missing, Progress* progress)
{
    return cellTransform(block, NR, NC, missing, progress, Kind::Sqrt, "SqrtTransform");
}

bool LogTransform(Matrix& block, std::int32_t NR, std::int32_t NC, std::optional<double> missing, Progress* progress)
{
    return cellTransform(block, NR, NC, missing, progress, Kind::Log, "LogTransform");
}

bool Log2Transform(Matrix& block, std::int32_t NR, std::int32_t NC, std::optional<double> missing, Progress* progress)
{
    return cellTransform(block, NR, NC, missing, progress, Kind::Log2, "Log2Transform");
}

} // namespace DataTool
