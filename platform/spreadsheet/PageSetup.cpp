#include "platform/spreadsheet/PageSetup.h"

#include <cmath>

#include "platform/errors/Error.h"

namespace spreadsheet {

void checkPageSetup(const PageSetup& s)
{
    const auto refuse = [](const std::string& what) {
        throw platform::Error(380, "PageSetup", "Invalid property value: " + what);
    };
    for (const auto& [value, name] : {std::pair{s.marginLeft, "left margin"}, {s.marginRight, "right margin"},
                                      {s.marginTop, "top margin"}, {s.marginBottom, "bottom margin"},
                                      {s.headerMargin, "header margin"}, {s.footerMargin, "footer margin"}}) {
        if (!std::isfinite(value) || value < 0) {
            refuse(name);
        }
    }
    if (s.scale < 10 || s.scale > 400) {
        refuse("scale");
    }
    if (s.orientation != 1 && s.orientation != 2) {
        refuse("orientation");
    }
}

std::string expandHeaderText(std::string_view pattern, std::int32_t page, std::int32_t pages,
                             std::string_view sheetName, std::string_view fileName)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '&' || i + 1 == pattern.size()) {
            out += pattern[i];
            continue;
        }
        switch (pattern[++i]) {
        case 'P': case 'p': out += std::to_string(page); break;
        case 'N': case 'n': out += std::to_string(pages); break;
        case 'A': case 'a': out += sheetName; break;
        case 'F': case 'f': out += fileName; break;
        case '&': out += '&'; break;
        default: out += '&'; out += pattern[i]; break;
        }
    }
    return out;
}

std::vector<std::pair<std::size_t, std::size_t>> bands(std::span<const double> sizes, double room,
                                                       std::span<const std::size_t> breaksBefore)
{
    std::vector<bool> forced(sizes.size());
    for (std::size_t b : breaksBefore) {
        if (b < sizes.size()) {
            forced[b] = true;
        }
    }
    std::vector<std::pair<std::size_t, std::size_t>> out;
    std::size_t first = 0;
    double used = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (i > first && (forced[i] || used + sizes[i] > room)) {
            out.emplace_back(first, i - 1);
            first = i;
            used = 0;
        }
        used += sizes[i];
    }
    if (first < sizes.size()) {
        out.emplace_back(first, sizes.size() - 1);
    }
    return out;
}

std::vector<PageRange> paginate(std::span<const double> colWidths, std::span<const double> rowHeights,
                                std::int32_t firstRow, std::int32_t firstCol, double width, double height,
                                bool acrossFirst, std::span<const std::size_t> rowBreaks,
                                std::span<const std::size_t> colBreaks)
{
    const auto colBands = bands(colWidths, width, colBreaks);
    const auto rowBands = bands(rowHeights, height, rowBreaks);
    std::vector<PageRange> pages;
    pages.reserve(colBands.size() * rowBands.size());
    const auto add = [&](const auto& rb, const auto& cb) {
        pages.push_back({firstRow + static_cast<std::int32_t>(rb.first), firstRow + static_cast<std::int32_t>(rb.second),
                         firstCol + static_cast<std::int32_t>(cb.first), firstCol + static_cast<std::int32_t>(cb.second)});
    };
    if (acrossFirst) {
        for (const auto& rb : rowBands) {
            for (const auto& cb : colBands) {
                add(rb, cb);
            }
        }
    } else {
        for (const auto& cb : colBands) {
            for (const auto& rb : rowBands) {
                add(rb, cb);
            }
        }
    }
    return pages;
}

} // namespace spreadsheet
