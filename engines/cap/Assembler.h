#pragma once

// The contig assembly engine: assembles sequence fragments into contigs.
//
// It finds the pairs of fragments that overlap, in either orientation (a
// fragment may join as its reverse complement), with a tuple filter and an
// end-gap-free alignment; keeps the overlaps long and similar enough; places
// fragments that lie wholly inside others under their containers; joins the
// rest greedily by best overlap, then tries once more to join the contig ends
// against a score threshold; and lays out each contig as a multiple alignment
// of its fragments with a consensus row.
//
// Letters are folded to upper case at entry, and "T" to "U": the engine works
// in RNA letters, and the same reads written in DNA letters give the same
// contigs (their rows and consensus show "U"). Residue codes are A 0, C 1,
// G 2, U 3 and 4 for every other character. The reverse complement turns A
// into U, C into G, G into C and U into A and copies every other character.
//
// Nothing is kept between calls: every call builds its own working state, so
// repeated calls with the same input give the same output.

#include "engines/EngineProgress.h"
#include "engines/frame/Frame.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tallowin::cap {

struct Parameters {
    // Reliable middle region of every fragment: 1-based first and last
    // position in the fragment's given orientation (mirrored for a reversed
    // fragment). Positions outside it are end regions.
    int32_t clearStart = 1;
    int32_t clearEnd = INT32_MAX;
    int32_t gapOpen = 0;      // q: a gap of length k costs q + k x gap extend; >= 0
    int32_t gapExtend = 0;    // inside reliable regions; >= 0
    int32_t match = 0;        // two equal characters
    int32_t mismatch = 0;     // two different characters inside reliable regions
    int32_t endMismatch = 0;  // two different characters when an end region is involved
    int32_t endGapExtend = 0; // gap extend when an end region is involved; >= 0
    // Shortest overlap (aligned columns) kept, unless one fragment contains
    // the other; also the shortest stretch the tuple filter accepts.
    int32_t minOverlap = 0;
    float minIdentity = 0.0f; // fraction of identical columns an overlap needs, 0..1
    int32_t minEndScore = 0;  // a join of two contig ends in the second pass must exceed it
    float filterRate = 0.0f;  // the tuple filter's length per difference, >= 0
};

struct Assembly {
    bool ok = false;          // false after bad input or a failed memory request
    int32_t contigCount = 0;
    // For each contig, ";" followed by its consensus without gap characters.
    std::string consensus;
    // "\n", then per contig "Contig <n>\n" and its 60-column blocks.
    std::string report;
    // Messages, each followed by "\n" ("Memory allocation failed.", or what
    // was wrong with the input).
    std::string messages;
};

// Assembles `count` fragments. `sequences` and `names` hold the fragments'
// sequences and names in the same order, separated by blanks; the first
// character of each name is a marker that is not shown. Texts after the
// first `count` ones are ignored.
//
// Bad input (count below 1, fewer sequences or names than count, a sequence
// character above 127, negative gap penalties, an identity outside 0..1 or a
// negative or non-finite filter rate) gives ok == false and a message; so does
// a failed memory request. The progress window gets the caption "Contig
// assembly" and the stage texts, and is closed when the call ends.
//
// `context` is the call's state (messages, checked allocation); tests use it
// to make an allocation fail. Throws nothing: running out of memory anywhere
// gives ok == false and "Memory allocation failed.".
//
// Cost: O(N^2) filter walks of O(L) each for N fragments of length L, plus
// O(L^2) time per aligned pair in memory linear in L (pairs beyond a few
// million cells trace their path back without a full matrix); the second
// pass aligns every pair of contig ends.
[[nodiscard]] Assembly assemble(std::string_view sequences, std::string_view names, int32_t count,
                                const Parameters& parameters, EngineProgress& progress, EngineContext& context);

// The same with a fresh context.
[[nodiscard]] Assembly assemble(std::string_view sequences, std::string_view names, int32_t count,
                                const Parameters& parameters, EngineProgress& progress);

// Consensus character of one column, from the column's characters (blanks
// are ignored): "-" when gaps outnumber all residues, "N" when A, C, G and U
// are equally frequent, else the most frequent of them, ties going to A, then
// C, then G, then U.
[[nodiscard]] char consensusOf(std::string_view column);

} // namespace tallowin::cap
