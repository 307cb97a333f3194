#pragma once

// The reference side of formula texts: finding the cell and range references
// in a formula ("B3", "$A$1:C9", "A:A", "$1:$3", "Sheet2!A1",
// "'X Output1'!B2:B5") so that
// they can be moved when rows or columns are inserted or deleted, or when a
// formula is copied to another cell. Evaluation is FormulaEval's.
//
// The formula is read with the parser's tokens (lexFormula), so that a
// reference is moved exactly when evaluation reads it as one. Texts inside
// double quotes are never touched. Function names, TRUE and FALSE and the
// "E" of numbers come out in upper case; references come out in upper case
// with their "$" marks. What cannot be read (a broken formula kept in a
// file) stays as written, and the rest of the formula is rewritten.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/spreadsheet/FormulaParser.h"

namespace spreadsheet::detail {

// Called once per reference; it may change the reference in place. Returning
// false replaces the reference by #REF! (the cells it named are gone).
using RefEdit = std::function<bool(FormulaRef&)>;

// The formula with every reference passed through edit. No edit only
// normalises case.
[[nodiscard]] std::string rewriteFormulaRefs(std::string_view formula, const RefEdit& edit = {});

// Called once per word that the parser reads as a defined name: neither a
// reference, a function (a word right before "("), TRUE/FALSE, an error
// value nor a sheet name before "!". The replacement text, or nothing to
// keep it.
using NameEdit = std::function<std::optional<std::string>(std::string_view word)>;

// The formula with every name-like word passed through names (references
// normalised as rewriteFormulaRefs does without an edit).
[[nodiscard]] std::string rewriteFormulaNames(std::string_view formula, const NameEdit& names);

// A sheet name as a formula writes it: quoted with ' when it holds anything
// but letters, digits and "_" or starts with a digit.
[[nodiscard]] std::string quoteSheetName(std::string_view name);

// Edits for the common moves. `sheetMatches` says whether a reference's sheet
// text ("" = the formula's own sheet) is the sheet being changed.
//
// Cells move along rows (down for an insertion, up for a deletion) or along
// columns (right, left). For a shift of part of the sheet, only the cells of
// lines lo..hi across that direction move (columns lo..hi for a shift down);
// a reference follows them only when it lies wholly within those lines, and
// one that reaches beyond them (or misses them) keeps its cells.
enum class ShiftAlong { Rows, Cols };
// `count` empty lines of cells open up before line `at`; a cell pushed off
// the sheet is gone (#REF!), a range whose far end was pushed off keeps its
// cells up to the last line.
[[nodiscard]] RefEdit insertCellsEdit(std::function<bool(const std::string&)> sheetMatches, ShiftAlong along,
                                      std::int32_t at, std::int32_t count, std::int32_t lo, std::int32_t hi);
// Lines of cells first .. first + count - 1 go and those after them close
// up: a reference to deleted cells becomes #REF!, a range loses its deleted
// cells and becomes #REF! when none is left.
[[nodiscard]] RefEdit deleteCellsEdit(std::function<bool(const std::string&)> sheetMatches, ShiftAlong along,
                                      std::int32_t first, std::int32_t count, std::int32_t lo, std::int32_t hi);
// Whole rows and columns: the shifts above across the full sheet.
[[nodiscard]] RefEdit insertRowsEdit(std::function<bool(const std::string&)> sheetMatches, std::int32_t at, std::int32_t count);
[[nodiscard]] RefEdit deleteRowsEdit(std::function<bool(const std::string&)> sheetMatches, std::int32_t first, std::int32_t count);
[[nodiscard]] RefEdit insertColsEdit(std::function<bool(const std::string&)> sheetMatches, std::int32_t at, std::int32_t count);
[[nodiscard]] RefEdit deleteColsEdit(std::function<bool(const std::string&)> sheetMatches, std::int32_t first, std::int32_t count);
// Relative parts move by the offset (a formula copied to another cell);
// a reference pushed off the sheet becomes #REF!.
[[nodiscard]] RefEdit offsetEdit(std::int32_t rowOffset, std::int32_t colOffset);

} // namespace spreadsheet::detail
