#pragma once

// The toolbar pictures, drawn by the program itself: one icon per button
// key of the standard, formatting and drawing toolbars ("New", "Open", ...
// "Help", "Bold", ... "Align Right", "Line", ... "Button"). An unknown key
// gives a null icon.

#include <QIcon>
#include <QString>

namespace shell::ToolbarIcons {

[[nodiscard]] QIcon icon(const QString& key);

} // namespace shell::ToolbarIcons
