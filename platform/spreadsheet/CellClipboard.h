#pragma once

// Cells on the system clipboard. A copy puts the block there as
// tab-delimited text (lines ended by CR LF, numbers in full) for any program,
// and keeps the cells themselves, marked with a token in a format of our
// own, so that a paste inside the program gives back exactly what was
// copied: numbers stay numbers, texts that look like numbers stay texts and
// formulas stay formulas, their relative references moving with the cells.
// Text from elsewhere is pasted field by field as if typed.

#include <cstdint>

namespace spreadsheet {

class Workbook;

namespace CellClipboard {

// What a paste brings (the codes of the Paste Special commands).
enum class PasteWhat : std::int32_t { All = 0, Formulas = 1, Values = 2, Formats = 3 };

// Copies the selection's first range of the active sheet.
void copy(const Workbook& book);
// Pastes from the selection's top-left cell and selects what was pasted.
// Error 5 with the sheet unchanged when the cells would run off the sheet.
// Text holding formulas too large to enter is pasted without them, then
// refused with error 5 saying how many cells were left as they were
// (Workbook::setClip).
// All brings the cells and their formats, Formulas and Values the cells
// alone, Formats the formats alone (cells copied from elsewhere have none).
void paste(Workbook& book, PasteWhat what = PasteWhat::All);
// Whether the clipboard holds cells or text to paste.
[[nodiscard]] bool canPaste();

} // namespace CellClipboard

} // namespace spreadsheet
