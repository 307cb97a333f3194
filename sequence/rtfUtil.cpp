#include "sequence/rtfUtil.h"

#include "platform/errors/Error.h"

namespace rtfUtil {

namespace {

std::int32_t g_lastFindPos = 0;

// Long-table colour index of an upper-case residue letter, -1 for others.
int residueColour(char c)
{
    switch (c) {
    case 'A': return 1;
    case 'C': return 2;
    case 'G': return 3;
    case 'T': return 4;
    case 'R': return 5;
    case 'N': return 6;
    case 'D': return 7;
    case 'E': return 8;
    case 'Q': return 9;
    case 'H': return 10;
    case 'I': return 11;
    case 'L': return 12;
    case 'K': return 13;
    case 'M': return 14;
    case 'F': return 15;
    case 'P': return 16;
    case 'S': return 17;
    case 'W': return 18;
    case 'Y': return 19;
    case 'V': return 0;
    default: return -1;
    }
}

int rnaColour(char c)
{
    switch (c) {
    case 'A': return 1;
    case 'C': return 2;
    case 'G': return 3;
    case 'U': return 4;
    default: return -1;
    }
}

void appendEscaped(std::string& out, char c)
{
    if (c == '\\' || c == '{' || c == '}') {
        out.push_back('\\');
    }
    out.push_back(c);
}

template <typename ColourOf>
std::string colourText(std::string_view text, ColourOf colourOf)
{
    std::string out;
    out.reserve(text.size() * 4);
    for (char c : text) {
        const int colour = colourOf(c);
        if (colour >= 0) {
            out.append("\\cf").append(std::to_string(colour)).push_back(' ');
        }
        appendEscaped(out, c);
    }
    return out;
}

template <std::size_t N>
std::string colourTable(const std::array<Rgb, N>& table)
{
    std::string out = "{\\colortbl";
    for (const Rgb& c : table) {
        out.append("\\red").append(std::to_string(c.red));
        out.append("\\green").append(std::to_string(c.green));
        out.append("\\blue").append(std::to_string(c.blue)).push_back(';');
    }
    out.push_back('}');
    return out;
}

std::string headerBody(bool longTable)
{
    return "{\\rtf1{\\fonttbl{\\f0\\fmodern Courier New;}}" +
           (longTable ? colourTable(LongColorTable()) : colourTable(ShortColorTable())) +
           "\\deflang1033\\pard\\plain\\f0\\fs";
}

} // namespace

const std::array<Rgb, 5>& ShortColorTable()
{
    static const std::array<Rgb, 5> table{{{0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 0, 255}}};
    return table;
}

const std::array<Rgb, 20>& LongColorTable()
{
    static const std::array<Rgb, 20> table{{{0, 0, 0},       {255, 0, 0},     {0, 0, 255},     {0, 100, 255},
                                            {255, 100, 0},   {20, 20, 20},    {200, 100, 0},   {0, 100, 0},
                                            {20, 200, 35},   {0, 255, 255},   {60, 200, 200},  {255, 0, 255},
                                            {200, 60, 200},  {0, 255, 0},     {200, 200, 100}, {100, 100, 100},
                                            {100, 200, 100}, {200, 200, 200}, {200, 200, 0},   {100, 10, 200}}};
    return table;
}

std::string RtfEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        appendEscaped(out, c);
    }
    return out;
}

std::string RtfColorPrefix(std::string_view text, Color colour)
{
    const int code = static_cast<int>(colour);
    if (code < 0 || code > 4) {
        platform::RaiseError("rtfConv", "Color code not specified in Enum Color");
    }
    return "\\cf" + std::to_string(code) + " " + RtfEscape(text);
}

std::string RtfColorRNA(std::string_view text)
{
    return colourText(text, rnaColour);
}

std::string RtfColorResidues(std::string_view text)
{
    return colourText(text, residueColour);
}

std::string RtfHeader(bool longTable)
{
    return headerBody(longTable) + "22 ";
}

std::string RtfHeaderFont(bool longTable, std::int16_t points, bool bold, bool italic)
{
    std::string out = headerBody(longTable) + std::to_string(static_cast<int>(points) * 2);
    if (bold) {
        out += "\\b";
    }
    if (italic) {
        out += "\\i";
    }
    out.push_back(' ');
    return out;
}

std::vector<std::int32_t> FindAllPositions(std::string_view text, std::string_view search, std::int32_t startPos)
{
    std::vector<std::int32_t> found;
    if (search.empty()) {
        return found;
    }
    std::size_t from = startPos <= 1 ? 0 : static_cast<std::size_t>(startPos - 1);
    while (from <= text.size()) {
        const std::size_t at = text.find(search, from);
        if (at == std::string_view::npos) {
            break;
        }
        found.push_back(static_cast<std::int32_t>(at + 1));
        from = at + search.size();
    }
    return found;
}

std::int32_t FindAll(HighlightBox& box, std::string_view search, std::int32_t& startPos)
{
    if (startPos == 0) {
        startPos = 1;
    }
    if (search.empty()) {
        g_lastFindPos = 0;
        return 0;
    }
    const std::vector<std::int32_t> found = FindAllPositions(box.text(), search, startPos);
    const auto length = static_cast<std::int32_t>(search.size());
    for (std::int32_t p : found) {
        box.highlight(p - 1, length);
        box.setCaret(p - 1);
    }
    g_lastFindPos = 0;
    return static_cast<std::int32_t>(found.size());
}

std::int32_t LastFindPos()
{
    return g_lastFindPos;
}

} // namespace rtfUtil
