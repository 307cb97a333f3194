#include "shell/core/StrUtil.h"

#include <algorithm>

#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "platform/runtime/Format.h"

namespace StrUtil {

bool IsAsciiHead(std::string_view text, std::int32_t n)
{
    const std::size_t count = std::min<std::size_t>(text.size(), n < 0 ? 0 : static_cast<std::size_t>(n));
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count),
                       [](char c) { return static_cast<unsigned char>(c) < 127; });
}

void Tokenize(std::string& text, int& count, std::vector<std::string>& fields, std::string_view delimiter)
{
    for (auto& f : fields) {
        f.clear();
    }
    count = 0;
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    const bool single = delimiter.size() == 1;
    bool previousWasDelimiter = true;
    for (char c : text) {
        if (single && c == delimiter[0]) {
            previousWasDelimiter = true;
            continue;
        }
        if (previousWasDelimiter) {
            ++count;
            if (static_cast<int>(fields.size()) < count) {
                fields.resize(static_cast<std::size_t>(count));
            }
            previousWasDelimiter = false;
        }
        fields[static_cast<std::size_t>(count - 1)].push_back(c);
    }
}

void SplitMultiDelim(std::string_view text, int& count, std::vector<std::string>& fields, std::string_view delimiter)
{
    if (text.empty()) {
        count = 0;
        return;
    }
    if (delimiter.empty() || text.find(delimiter) == std::string_view::npos) {
        count = 1;
        fields.assign(1, std::string(text));
        return;
    }
    const char d = delimiter[0];
    std::vector<std::string> runs;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == d) {
            ++pos;
            continue;
        }
        const std::size_t end = std::min(text.find(d, pos), text.size());
        runs.emplace_back(text.substr(pos, end - pos));
        pos = end;
    }
    count = static_cast<int>(runs.size());
    fields = std::move(runs);
}

std::string StrBeforeFirst(std::string_view text, std::string_view delimiter)
{
    const auto p = text.find(delimiter);
    if (p == std::string_view::npos || p == 0) {
        return {};
    }
    return std::string(text.substr(0, p));
}

std::string StrAfterLast(std::string_view text, std::string_view delimiter)
{
    const auto p = text.rfind(delimiter);
    if (p == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(p + 1));
}

std::string RemoveStr(std::string_view text, std::string_view part)
{
    if (part.empty()) {
        return std::string(text);
    }
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const auto hit = text.find(part, pos);
        if (hit == std::string_view::npos) {
            out.append(text.substr(pos));
            return out;
        }
        out.append(text.substr(pos, hit - pos));
        pos = hit + part.size();
    }
}

std::string Blanks2Tab(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != ' ') {
            out.push_back(c);
        } else if (i == 0) {
            out.push_back('\t');
        } else if (out.empty() || out.back() != '\t') {
            out.push_back('\t');
        }
    }
    return out;
}

std::string PadStr(std::string_view text, int width, int side)
{
    if (width <= 0) {
        return {};
    }
    const auto w = static_cast<std::size_t>(width);
    if (side != 0) {
        std::string out = std::string(text) + std::string(w, ' ');
        return out.substr(0, w);
    }
    std::string out = std::string(w, ' ') + std::string(text);
    return out.substr(out.size() - w);
}

std::int32_t GetCRC16(std::string_view text)
{
    std::uint32_t reg = 0;
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        for (int bit = 7; bit >= 0; --bit) {
            const bool dataBit = (byte >> bit) & 1u;
            const bool top = (reg >> 15) & 1u;
            reg = (reg << 1) & 0xFFFFu;
            if (dataBit != top) {
                reg ^= 0x1021u;
            }
        }
    }
    return static_cast<std::int32_t>(reg);
}

std::string CleanSeq(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 58 || c == '-' || c == '.') {
            out.push_back(c);
        } else if (c == '*') {
            out.push_back('?');
        }
    }
    return out;
}

namespace {
void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const auto hit = text.find(from, pos);
        if (hit == std::string::npos) {
            out.append(text, pos);
            break;
        }
        out.append(text, pos, hit - pos).append(to);
        pos = hit + from.size();
    }
    text = std::move(out);
}
} // namespace

std::string UnifyLineBreak(std::string& text)
{
    if (text.find("\r\n") != std::string::npos) {
        replaceAll(text, "\r\n", "\n");
        replaceAll(text, "\r", "\n");
        return "\n";
    }
    if (text.find('\r') != std::string::npos) {
        replaceAll(text, "\n", "\r");
        return "\r";
    }
    if (text.find('\n') != std::string::npos) {
        return "\n";
    }
    return {};
}

std::string FormatNumRight(double value, int width, int decimals)
{
    std::string pattern = "0";
    if (decimals > 0) {
        pattern += "." + std::string(static_cast<std::size_t>(decimals), '0');
    }
    std::string text = platform::rt::Format(value, pattern);
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    }
    return text;
}

std::string TransposeTabText(std::string& text, std::string_view separator)
{
    std::vector<std::vector<std::string>> cells;
    if (!separator.empty()) {
        std::size_t pos = 0;
        std::vector<std::string> lines;
        for (;;) {
            const auto hit = text.find(separator, pos);
            if (hit == std::string::npos) {
                lines.push_back(text.substr(pos));
                break;
            }
            lines.push_back(text.substr(pos, hit - pos));
            pos = hit + separator.size();
        }
        if (!lines.empty() && lines.back().empty()) {
            lines.pop_back();
        }
        for (const auto& line : lines) {
            std::vector<std::string> row;
            std::size_t start = 0;
            for (;;) {
                const auto tab = line.find('\t', start);
                row.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
                if (tab == std::string::npos) {
                    break;
                }
                start = tab + 1;
            }
            cells.push_back(std::move(row));
        }
    }
    std::size_t columns = 0;
    for (const auto& row : cells) {
        columns = std::max(columns, row.size());
    }
    std::string out;
    for (std::size_t j = 0; j < columns; ++j) {
        for (const auto& row : cells) {
            if (j < row.size()) {
                out += row[j];
            }
            out.push_back('\t');
        }
        out.append(separator);
    }
    text = out;
    return out;
}

std::string MatRows2TabText(const std::vector<std::vector<double>>& matrix, int rowCount, int columnCount,
                            const std::vector<std::string>& rowLabels)
{
    if (rowCount < 0 || columnCount < 1 || static_cast<std::size_t>(rowCount) > matrix.size() ||
        static_cast<std::size_t>(rowCount) > rowLabels.size()) {
        throw platform::Error::runtime(platform::err::Subscript, "MatRows2TabText");
    }
    std::string out;
    for (int r = 0; r < rowCount; ++r) {
        const auto& row = matrix[static_cast<std::size_t>(r)];
        if (row.size() < static_cast<std::size_t>(columnCount)) {
            throw platform::Error::runtime(platform::err::Subscript, "MatRows2TabText");
        }
        out += rowLabels[static_cast<std::size_t>(r)];
        out.push_back('\t');
        for (int c = 0; c < columnCount; ++c) {
            out += platform::rt::CStr(row[static_cast<std::size_t>(c)]);
            out += c + 1 < columnCount ? "\t" : "\r\n";
        }
    }
    return out;
}

std::string Mat2TabText(const std::vector<std::vector<double>>& matrix, int rowCount, int columnCount,
                        const std::vector<std::string>& rowLabels, std::string_view corner,
                        const std::vector<std::string>& columnLabels)
{
    if (columnCount < 0 || static_cast<std::size_t>(columnCount) > columnLabels.size()) {
        throw platform::Error::runtime(platform::err::Subscript, "Mat2TabText");
    }
    std::string out(corner);
    for (int c = 0; c < columnCount; ++c) {
        out.push_back('\t');
        out += columnLabels[static_cast<std::size_t>(c)];
    }
    out += "\r\n";
    return out + MatRows2TabText(matrix, rowCount, columnCount, rowLabels);
}

std::int32_t CountChar(std::string_view text, char character)
{
    return static_cast<std::int32_t>(std::count(text.begin(), text.end(), character));
}

} // namespace StrUtil
