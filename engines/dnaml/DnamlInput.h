#pragma once

// The phylogeny engine's input text: the header with the numbers of species
// and sites, the option characters, the auxiliary lines (G, J, K, O, T), the
// base frequencies and the interleaved sequences. User trees and the
// starting tree follow the sequences and are read later through the same
// cursor (DnamlTreeText.h).
//
// Residues are 4-bit sets: A = 1, C = 2, G = 4, T/U = 8, ambiguity codes the
// union of their bases, N X O ? - all four (15).

#include "engines/dnaml/DnamlText.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tallowin::dnaml {

// Width of a species name in the input and in the tree store.
inline constexpr int kNameLength = 10;

struct Options {
    bool flag3 = true;          // option 3; kept as read, it changes nothing
    bool writeTrees = true;     // option 4
    bool empiricalFreqs = true; // option F turns it off
    bool global = false;        // option G
    bool jumble = false;        // option J
    bool keepGiven = false;     // option K
    bool userLengths = false;   // option L
    bool outgroupGiven = false; // option O
    bool quickAdd = true;       // option Q turns it off
    bool restart = false;       // option R
    bool ratioGiven = false;    // option T
    bool userTrees = false;     // option U

    long long jumbleSeed = 0;
    int keep = 1;          // best trees kept (K line)
    bool keepRead = false; // a K line was read
    int outgroup = 1;      // 1-based species number
    double ratio = 2.0;    // transition/transversion ratio
    int insertRegion = 1;  // rearrangement extent while species remain
    int globalRegion = 1;  // rearrangement extent once all are in
};

struct InputData {
    int species = 0;
    int sites = 0;
    Options options;
    std::vector<std::string> names;           // each kNameLength characters, blank padded
    std::vector<std::vector<uint8_t>> codes;  // [species][site] residue sets
    std::array<double, 4> freqs{0.25, 0.25, 0.25, 0.25}; // A C G T read from the input (option F)
};

// Appends engine messages; the driver copies the text to the caller.
class Log {
public:
    void add(std::string_view text) { m_text.append(text); }
    [[nodiscard]] const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

// The residue set of a letter, 0 for a character outside the table.
uint8_t residueCode(char c);

// Reads the header, options, auxiliary lines, frequencies and sequences.
// False when the input is refused; the reasons are in the log. Besides the
// checks of each part, it refuses before the sequences counts of species and
// sites that the rest of the text cannot hold, and, as each name is read, a
// name that tree text cannot carry (one of ( ) , : ; [ ] ' ") or that would
// be written like an earlier species' name.
bool readInput(TextCursor& in, InputData& data, Log& log);

} // namespace tallowin::dnaml
