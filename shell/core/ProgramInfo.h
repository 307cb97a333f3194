#pragma once

// The program's own information, shown by the splash and about windows and
// used in the second-instance message.

#include <string>

namespace shell::ProgramInfo {

inline constexpr const char* Title = "Tessaray";
inline constexpr const char* ExeName = "Quorin";
inline constexpr int Major = 2;
inline constexpr int Minor = 0;
inline constexpr int Revision = 7;
inline constexpr const char* Comments = "Tessaray: a workbench for gene-expression and sequence analysis";
inline constexpr const char* CompanyName = "The Tessaray developers";
inline constexpr const char* AuthorPage = "https://tessaray.example.org/";

// "2.0.7": the three parts in decimal joined by ".".
[[nodiscard]] inline std::string Version()
{
    return std::to_string(Major) + "." + std::to_string(Minor) + "." + std::to_string(Revision);
}

} // namespace shell::ProgramInfo
