#pragma once

// The program's side of the multiple alignment engine of libtallowin.so:
// packs a sequence set into the blank-separated texts the engine reads,
// reads a substitution matrix from the file beside the program when asked,
// calls the engine (bound by name at its first use) and unpacks the aligned
// rows.
//
// Bad input is refused before the engine runs, with the reason in `msg` and
// the caller's arrays untouched: an empty set, a single sequence, a character
// outside the alphabet (letters without a matrix, "*" too for proteins; the
// matrix's letters with one) and a set too long for the text buffer
// (`NumSeq` x 3,000 characters with one blank per sequence).

#include <cstdint>
#include <string>
#include <vector>

namespace platform::dll {
class Library;
}

namespace sequence {

// libtallowin.so, loaded beside the program at the first call bound from it.
[[nodiscard]] platform::dll::Library& TallowinLibrary();

struct MapParams {
    std::int32_t minLenCCI = 10;
    std::int32_t gapOpen = 10;
    std::int32_t gapExtend = 4;
    bool useSubMat = false;
    std::int32_t match = 10;
    std::int32_t misMatch = -5;
    std::int32_t subMatIndex = 0;
    bool hasStop = false;
    bool keepOriginalOrder = true;
};

// Characters the sequence text may hold per sequence (blank included).
inline constexpr std::int32_t kMapCharsPerSeq = 3000;

// The texts handed to the engine, built as the front end builds them.
struct MapTexts {
    std::string names;     // items "\x01" & i separated by one blank
    std::string sequences; // the sequences separated by one blank
    std::int32_t longest = 0;
};
[[nodiscard]] MapTexts PackMapTexts(const std::vector<std::string>& seqs, std::int32_t numSeq);

// Aligns seqs[0 .. numSeq-1]. True on success: `seqs` holds the aligned rows
// (in input order with keepOriginalOrder, else in the engine's order with
// `seqNames` reordered alike) and, with a matrix, `subMatText` the matrix as
// text. False with the reason in `msg` otherwise. A missing engine library
// or export raises platform::Error (53, 48, 453).
bool AlignWithMAP(std::vector<std::string>& seqs, std::int32_t numSeq, bool isProtein, const MapParams& params,
                  std::string& msg, std::string& subMatText, std::vector<std::string>* seqNames = nullptr);

// Reads matrix `index` of "AASubMat.Bin" / "NucSubMat.Bin" beside the program.
// When the file is missing the user is asked whether to look for it. False
// when the user declines or cancels, or the record holds no matrix (a blank
// name: a position of the list this installation does not carry). A damaged
// or short file raises the reader's numbered error.
bool ReadAASubMat(std::int32_t index, bool hasStop, std::string& alphabet, std::vector<std::int32_t>& values);
bool ReadNucSubMat(std::int32_t index, std::string& alphabet, std::vector<std::int32_t>& values);

} // namespace sequence
