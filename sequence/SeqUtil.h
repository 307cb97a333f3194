#pragma once

// Small routines over a sequence set (0-based parallel vectors of sequences
// and names, `count` entries used) and the text layouts the file writers
// share. Sequences are single-byte text. A count larger than the vectors, or
// negative, raises error 9 before anything is changed.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "numeric/Progress.h"

namespace SeqUtil {

using Seqs = std::vector<std::string>;

// ---- Set helpers -------------------------------------------------------------

// Length of the longest of names 0 .. count - 1 (0 for none).
[[nodiscard]] std::int32_t GetMaxNameLen(const Seqs& names, std::int32_t count);

// Length of the longest sequence; `index` (when given) receives the index of
// the first longest one (0 when none is longer than 0).
[[nodiscard]] std::int32_t GetMaxSeqLen(const Seqs& seqs, std::int32_t count, std::int32_t* index = nullptr);

// True when two sequences are identical; appends "name j..name i" CR LF for
// every such pair i > j.
bool FindDupSeqs(const Seqs& seqs, const Seqs& names, std::int32_t count, std::string& report);

// True when two names are equal; appends one line per pair (the later
// sequence first, numbers from 1) and, when any was found, the closing note.
bool CheckDupNames(const Seqs& names, std::int32_t count, std::string& message);

// Every sequence keeps its first position - 1 characters; newLength becomes
// position - 1. A position below 1 raises error 5 and changes nothing.
void CutSeqsAt(std::int32_t position, Seqs& seqs, std::int32_t& newLength, std::int32_t count);

// Removes sites first .. last (1-based, inclusive) from every sequence and
// shortens length by their number. Requires 1 <= first <= last <= length
// (else error 5, nothing changed).
void DeleteSeqColumns(std::int32_t first, std::int32_t last, Seqs& seqs, std::int32_t count, std::int32_t& length);

// counts[base][site] for the bases A, C, G, U (upper case only; T and other
// characters are not counted) over sites 0 .. length - 1.
using SiteCounts = std::array<std::vector<std::int32_t>, 4>;
[[nodiscard]] SiteCounts GetSiteBaseCounts(const Seqs& seqs, std::int32_t length, std::int32_t count);

// One mark per site: "*" where every sequence has the character of sequence
// 0, " " elsewhere. Empty for a set of fewer than two sequences.
[[nodiscard]] std::string GetConsensusMarks(const Seqs& seqs, std::int32_t length, std::int32_t count);
[[nodiscard]] std::vector<unsigned char> GetConsensusBytes(const Seqs& seqs, std::int32_t length,
                                                           std::int32_t count);

struct EntropyMoments {
    double mean = 0;
    double variance = 0;
};

// Mean and variance of the Shannon entropy (bits) of one site of n random
// sequences whose bases are drawn with the frequencies A, C, G, T/U: a sum
// over every composition (a, c, g, t) of n weighted by its multinomial
// probability. O(n^3). n below 1 gives 0 and 0; a negative frequency raises
// error 5.
[[nodiscard]] EntropyMoments GetEntropyMoments(std::int32_t n, const std::array<double, 4>& freq);

// Removes "?" (basesOnly off) or every character but A, C, G, U (basesOnly
// on), from each sequence on its own (bySite off) or as whole sites (bySite
// on: a site goes when any sequence has such a character there). length
// becomes the longest resulting length.
void RemoveSites(Seqs& seqs, std::int32_t& length, std::int32_t count, bool bySite, bool basesOnly);

// The text cut to `width`, or padded to it with blanks: on the right when
// side is non-zero (left-aligned), on the left when side is 0.
[[nodiscard]] std::string FitName(std::string_view text, std::int32_t width, std::int32_t side);

// Counts of A/a, C/c, G/g, T/t/U/u and everything else.
[[nodiscard]] std::array<std::int32_t, 5> GetBaseCount(std::string_view seq);

// True when sequences 1 .. count - 1 have the length of sequence 0.
[[nodiscard]] bool IsEqualLength(std::int32_t count, const Seqs& seqs);

// Dot form: in sequences 1 .. count - 1 every character equal to sequence
// 0's at the same position becomes "."; DotToSeq turns every "." back into
// sequence 0's character. Work on a copy when the set must stay as it was.
void SeqToDot(Seqs& seqs, std::int32_t length, std::int32_t count);
void DotToSeq(Seqs& seqs, std::int32_t length, std::int32_t count);

// ---- Layouts (CR LF between lines, every block followed by one blank) -------

// Lines of `indent` blanks and `perLine` blocks of `block` characters over
// positions 1 .. length; a last partial line without a line end. Characters
// are taken by position, so a sequence shorter than length gives short or
// empty blocks.
[[nodiscard]] std::string FormatSeqBlocks(std::string_view seq, std::int32_t indent, std::int32_t length,
                                          std::int32_t block, std::int32_t perLine);

// As FormatSeqBlocks with blocks of 10, 5 per line, each line starting with
// its first position right-aligned in 8 characters and two blanks.
[[nodiscard]] std::string FormatSeqNumbered(std::string_view seq, std::int32_t length);
[[nodiscard]] std::string FormatSeqNumberedBy(std::string_view seq, std::int32_t length, std::int32_t block,
                                              std::int32_t perLine);

// Interleaved columns of block * perLine sites: per column one line per
// sequence (fitted name, " ", the blocks), an empty line after each full
// column, and no line end after the last line of a partial last column.
[[nodiscard]] std::string FormatInterleaved(const Seqs& seqs, const Seqs& names, std::int32_t side,
                                            std::int32_t length, std::int32_t count, std::int32_t nameWidth,
                                            std::int32_t block, std::int32_t perLine);

// As FormatInterleaved with names in the first column only (later columns
// start with nameWidth + 1 blanks). Progress counts the columns.
[[nodiscard]] std::string FormatPhylipInterleaved(const Seqs& seqs, const Seqs& names, std::int32_t side,
                                                  std::int32_t length, std::int32_t count, std::int32_t nameWidth,
                                                  std::int32_t block, std::int32_t perLine,
                                                  numeric::Progress* progress);

namespace detail {
// Raises error 9 (source `source`) unless 0 <= count <= each vector's size.
void checkCount(std::string_view source, std::int32_t count, const Seqs& seqs, const Seqs* names = nullptr);
// Substring by 1-based position like the run-time's Mid: empty past the end.
[[nodiscard]] std::string_view mid(std::string_view s, std::int64_t start1, std::int64_t length);
} // namespace detail

} // namespace SeqUtil
