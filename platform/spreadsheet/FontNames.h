#pragma once

// The font names a font box offers: the families installed on the screen,
// and the names workbooks keep for the common faces ("Arial", "Times New
// Roman", "Courier New") wherever the font configuration draws such a name
// with an installed face of the same metrics (Liberation Sans for Arial, and
// so on). A cell in "Arial" is then shown, chosen and saved as "Arial",
// whatever face draws it.

#include <QStringList>

namespace spreadsheet {

// Sorted without regard to case; each name once.
[[nodiscard]] QStringList screenFontNames();

} // namespace spreadsheet
