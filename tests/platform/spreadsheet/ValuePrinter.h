#pragma once

// Readable test failure messages for cell values.

#include <ostream>

#include "platform/spreadsheet/Value.h"

namespace spreadsheet {

inline void PrintTo(const Value& v, std::ostream* os)
{
    static const char* const kinds[] = {"empty", "number", "text", "logical", "error"};
    *os << kinds[static_cast<int>(v.kind())];
    if (!v.isEmpty())
        *os << " " << (v.isNumber() ? numberToRoundTripText(v.number()) : v.displayText());
}

} // namespace spreadsheet
