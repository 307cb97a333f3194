#pragma once

// Reading a Clustal alignment back into a set, and the statistics of an
// aligned set: identical and gap sites of two sequences, the per-site
// nucleotide entropy, and a t test of whether an alignment is better than
// chance.
//
// Sites are 0-based in the arrays; site numbers reported to users are
// 1-based. Entropies are in bits.

#include <cstdint>
#include <string>
#include <vector>

#include "numeric/Progress.h"
#include "sequence/SeqSet.h"

namespace SeqUtil {

// Reads a Clustal alignment text: a title line, then blocks of "name
// residues [count]" lines, each block ended by a consensus or blank line; a
// tab separates like a blank. Names come from the first block; a line of a
// later block is appended to the sequence of its name, so later blocks may
// list the sequences in any order. Blanks, digits and line breaks are dropped
// from the residues, "*" becomes "?".
// numSeq: when not 0 on entry, the number of sequences to keep (the rest are
// dropped); when 0, set to the number found. alnLen receives the length of
// sequence 0. `text` has its line breaks unified.
//
// Nothing the caller holds changes unless the whole text was read: seqs,
// names, numSeq and alnLen are assigned only on success. Errors (source
// "ReadClustalAln"):
//   9  no sequence line after the title; fewer sequences than numSeq asks
//      for; a sequence without residues
//   5  a sequence line without a blank between name and residues; sequences
//      of unequal length (a cut-off or damaged file); a later block naming a
//      sequence the first block does not list, or one sequence twice; a later
//      block in another order when the first block repeats a name
void ReadClustalAln(std::string& text, std::vector<std::string>& seqs, std::vector<std::string>& names,
                    std::int32_t& numSeq, std::int32_t& alnLen);

// Counts, over the sites of two aligned sequences (case-sensitive): numMatch
// the sites with the same non-gap character, numGap 1 plus the sites where
// either holds "-". Unequal lengths raise error 1 ("Compare2Seq", "The two
// sequences have unequal lengths") and leave the counts as they were.
void Compare2Seq(const std::string& seq1, const std::string& seq2, std::int32_t& numMatch, std::int32_t& numGap);

// Entropy of every site of an aligned set: siteValue[s] = (N log2 N - sum of
// n log2 n over the base counts n of the site) / N, N the number of
// sequences; siteNo[s] = s + 1. Bases are counted without regard to case,
// with T and U together, so that DNA and RNA, upper and lower case give the
// same entropies. A window above 1 smooths the values by a moving average
// (the end values repeated beyond both ends).
// Unequal lengths show the warning "Sequence lengths unequal. Please align
// sequences first" and leave the outputs untouched. A window below 1 raises
// error 1 ("NucSiteVarIndex", "WindowSize = 0"); an empty set raises 11.
void NucSiteVarIndex(const sequence::SequenceSet& set, std::int16_t windowSize, std::vector<double>& siteValue,
                     std::vector<std::int32_t>& siteNo, numeric::Progress* progress);

// Tests whether the alignment is spurious: the mean site entropy of the set
// (after removing "?" sites, or "?" characters when the set is not aligned)
// against the entropy expected of random sequences of the same base
// composition, by Welch's t test. The set is cleaned in place (pass a copy);
// the report replaces `report` only on success. At least two sequences and
// two sites are needed (error 11 otherwise); a zero standard error raises the
// t test's error.
void TestSpuriousAlignment(sequence::SequenceSet& set, std::string& report, numeric::Progress* progress);

// Moving average over `window` values centred on each value (from
// i - window / 2); positions outside 0 .. n - 1 take the end values when
// padEnds is true and add nothing otherwise. The divisor is always window.
[[nodiscard]] std::vector<double> MovingAverage(const std::vector<double>& values, std::int32_t window,
                                                bool padEnds);

} // namespace SeqUtil
