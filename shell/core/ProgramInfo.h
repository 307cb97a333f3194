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
// The literature search page of the public biomedical database server and
// the start page of a public web search engine.
inline constexpr const char* MedlinePage = "https://www.ncbi.nlm.nih.gov/Entrez/medline.html";
inline constexpr const char* SearchPage = "https://duckduckgo.com/";
// The program's paper: authors, year, short name and title, journal.
inline constexpr const char* Citation =
    "Tessaray Developers (2001) Tessaray: a workbench for gene-expression and sequence analysis. "
    "Journal of Expression Analysis Software 3: 101-108.";

// "2.0.7": the three parts in decimal joined by ".".
[[nodiscard]] inline std::string Version()
{
    return std::to_string(Major) + "." + std::to_string(Minor) + "." + std::to_string(Revision);
}

} // namespace shell::ProgramInfo
