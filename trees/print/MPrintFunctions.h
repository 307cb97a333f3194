#pragma once

// MPrintFunctions: the printer routines of the tree printer. Positions are
// twips; margins are whole centimetres of 567 twips.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/print/Printer.h"
#include "platform/widgets/treeview/TreeViewModel.h"
#include "trees/print/CPage.h"
#include "trees/print/CText.h"

namespace trees::MPrintFunctions {

inline constexpr double TwipsPerCm = 567.0;

// Paper size, then orientation, onto the printer.
void ApplyPageSetup(platform::Printer& printer, const CPage& page);
// Prints one text on the current line, placed by its alignment between the
// left and right margins (twips); an empty text prints nothing and leaves the
// position where it is. The width used for placing is that of the stored
// text, token included.
void PrintText(platform::Printer& printer, const CText& text, double left, double right);
void ApplyFont(platform::Printer& printer, const platform::StdFont& font);
// Replaces the first "<pag>" (case-sensitive) by the page number.
void ReplacePageToken(std::string& s, std::int32_t page);
[[nodiscard]] constexpr std::int32_t MaxLong(std::int32_t a, std::int32_t b) noexcept { return b < a ? a : b; }
// True when a row of the text (or of the image, when taller) ends strictly
// above the bottom margin.
[[nodiscard]] bool FitsOnPage(const platform::Printer& printer, std::string_view text, std::int32_t imageHeight,
                              std::int32_t bottom);
// Number of ancestors of a node (0 for a top-level node).
[[nodiscard]] std::int32_t NodeDepth(const platform::TreeViewModel& tree, std::int32_t node);

} // namespace trees::MPrintFunctions
