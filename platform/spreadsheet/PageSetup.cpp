#include "platform/spreadsheet/PageSetup.h"

#include <cmath>
#include <cstdio>

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

namespace {

std::string inches(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f in", value);
    return text;
}

} // namespace

std::optional<MarginProblem> marginProblem(const PageSetup& s, double paperWidth, double paperHeight,
                                           std::string_view paperName)
{
    struct Pair {
        double first;
        double second;
        double room;
        MarginProblem::Field firstField;
        MarginProblem::Field secondField;
        const char* firstName;
        const char* secondName;
        const char* extent;
    };
    const Pair pairs[] = {
        {s.marginLeft, s.marginRight, paperWidth, MarginProblem::Field::Left, MarginProblem::Field::Right, "left",
         "right", "width"},
        {s.marginTop, s.marginBottom, paperHeight, MarginProblem::Field::Top, MarginProblem::Field::Bottom, "top",
         "bottom", "height"},
    };
    for (const Pair& p : pairs) {
        if (p.first + p.second < p.room) {
            continue;
        }
        const bool firstIsLarger = p.first >= p.second;
        const char* name = firstIsLarger ? p.firstName : p.secondName;
        const char* otherName = firstIsLarger ? p.secondName : p.firstName;
        const double other = firstIsLarger ? p.second : p.first;
        std::string message = std::string(1, static_cast<char>(name[0] - 'a' + 'A')) + (name + 1) +
                              " margin: the " + p.firstName + " and " + p.secondName +
                              " margins together must be less than " + inches(p.room) + ", the " + p.extent + " of " +
                              std::string(paperName) + " paper.";
        // The largest value of two decimals strictly below what is left.
        const double largest = (std::ceil((p.room - other) * 100.0 - 1e-9) - 1.0) / 100.0;
        if (largest >= 0) {
            message += " With a " + std::string(otherName) + " margin of " + inches(other) + ", enter at most " +
                       inches(largest) + ".";
        }
        return MarginProblem{firstIsLarger ? p.firstField : p.secondField, std::move(message)};
    }
    return std::nullopt;
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
