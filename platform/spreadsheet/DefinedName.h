#pragma once

// A defined name of a workbook: a name that formulas use in place of the
// reference or formula it stands for ("Data" for "Sheet1!$A$1:$B$10",
// "Rate" for "0.05"). Names belong to the whole workbook.
//
// A name is 1 to 255 characters: letters, digits, "_" and ".", starting with
// a letter or "_"; it must not read as a cell reference ("A1", "IV3"), a
// function ("SUM") or a logical constant ("TRUE"). Names compare without
// regard to case, so a workbook cannot hold both "Data" and "DATA", and a
// formula may write either.

#include <string>
#include <string_view>

namespace spreadsheet {

struct DefinedName {
    std::string name;
    // The reference or formula, without "=" ("Sheet1!$A$1:$B$10").
    std::string refersTo;

    friend bool operator==(const DefinedName&, const DefinedName&) = default;
};

inline constexpr std::size_t kMaxDefinedNameLength = 255;

// Why the text cannot be a defined name, as a sentence for the user; empty
// when it can.
[[nodiscard]] std::string definedNameProblem(std::string_view name);

// Whether two names are the same name (ASCII letters compared without case).
[[nodiscard]] bool sameDefinedName(std::string_view a, std::string_view b) noexcept;

} // namespace spreadsheet
