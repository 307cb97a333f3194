#pragma once

// The program's own icon: a cluster tree over an expression grid, kept as a
// scalable picture in the program's resources and drawn here at the sizes
// window managers and task bars ask for. The about window and the main
// window carry it, and the application hands it to every window that has
// none of its own.

#include <QIcon>

namespace shell::ProgramIcon {

// The resource path of the picture.
inline constexpr const char* Path = ":/tessaray/tessaray.svg";

// The icon (one shared object; needs a running QGuiApplication).
[[nodiscard]] QIcon icon();

} // namespace shell::ProgramIcon
