#pragma once

// Replies as the sequence servers write them, built for the retrieval tests.

#include <algorithm>
#include <string>

namespace flanktest {

// A yeast genome database page: the gene with its flanks in numbered lines
// of a preformatted block.
inline std::string yeastPage(const std::string& residues)
{
    std::string page = "<HTML><BODY><PRE>\n>gene Chr 1 from 100-400\n";
    for (std::size_t at = 0, line = 1; at < residues.size(); at += 30, line += 30) {
        page += std::string(line < 10 ? 5 : 4, ' ') + std::to_string(line) + " ";
        for (std::size_t b = at; b < std::min(residues.size(), at + 30); b += 10) {
            page += residues.substr(b, 10) + " ";
        }
        page += "\n";
    }
    return page + "</PRE></BODY></HTML>";
}

inline std::string locusPage(const std::string& ids)
{
    return "<html>LocusID 1234 <a href=\"x\">RefSeq</a> <input name=\"uid:" + ids + "\" value=\"y\"></html>";
}

// A GenBank flat-file record of `bases` (lower-case, numbered ORIGIN lines).
inline std::string genbankRecord(const std::string& locus, const std::string& cds, const std::string& bases,
                          const std::string& extraFeature = "")
{
    std::string r = "LOCUS       " + locus + std::string(12 - std::min<std::size_t>(12, locus.size()), ' ') +
                    std::to_string(bases.size()) + " bp    mRNA    linear   PRI 01-JAN-2001\n"
                    "DEFINITION  test record.\n"
                    "FEATURES             Location/Qualifiers\n"
                    "     source          1.." + std::to_string(bases.size()) + "\n";
    if (!cds.empty()) {
        r += "     CDS             " + cds + "\n"
             "                     /gene=\"ABC\"\n";
    }
    r += extraFeature;
    r += "ORIGIN      \n";
    for (std::size_t at = 0; at < bases.size(); at += 60) {
        const std::string n = std::to_string(at + 1);
        r += std::string(9 - n.size(), ' ') + n;
        for (std::size_t b = at; b < std::min(bases.size(), at + 60); b += 10) {
            r += " " + bases.substr(b, 10);
        }
        r += "\n";
    }
    return r + "//\n";
}

// 60 bases: position p (1-based) holds a letter that names it.
inline std::string bases60()
{
    std::string s;
    const std::string letters = "acgt";
    for (int i = 0; i < 60; ++i) {
        s += letters[static_cast<std::size_t>((i * 7 + i / 4) % 4)];
    }
    return s;
}

} // namespace flanktest
