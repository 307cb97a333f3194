#pragma once

// Readable test failure messages for cell values and cell formats.

#include <ostream>

#include "platform/spreadsheet/CellFormat.h"
#include "platform/spreadsheet/Value.h"

namespace spreadsheet {

inline void PrintTo(const Value& v, std::ostream* os)
{
    static const char* const kinds[] = {"empty", "number", "text", "logical", "error"};
    *os << kinds[static_cast<int>(v.kind())];
    if (!v.isEmpty())
        *os << " " << (v.isNumber() ? numberToRoundTripText(v.number()) : v.displayText());
}

inline void PrintTo(const CellFormat& f, std::ostream* os)
{
    *os << "{" << f.fontName << " " << f.fontSize << (f.bold ? " bold" : "") << (f.italic ? " italic" : "")
        << (f.underline ? " underline" : "") << " colour " << std::hex << f.fontColor << " fill " << f.fill << std::dec
        << " \"" << f.numberFormat << "\" align " << static_cast<int>(f.hAlign) << "/" << static_cast<int>(f.vAlign)
        << (f.wrap ? " wrap" : "") << " borders " << static_cast<int>(f.borderLeft) << static_cast<int>(f.borderRight)
        << static_cast<int>(f.borderTop) << static_cast<int>(f.borderBottom) << (f.locked ? " locked" : " unlocked")
        << "}";
}

} // namespace spreadsheet
