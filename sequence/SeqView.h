#pragma once

// The texts that show a sequence set in a window: plain text with a name
// column, position numbers, a ruler and (for aligned sets) consensus marks,
// and the same as rich text (RTF) with coloured residues; and the buffer
// texts that cap what is shown of a large set.
//
// Layout: a position line (every tenth site numbered, the number's last
// digit above its site), a ruler ("-" per site, "|" at every fifth), one line
// per sequence (the name fitted to the name width, a blank, the residues)
// and, for aligned sets, the consensus marks ("*" where every sequence has
// sequence 0's character). In the plain views the number, ruler and
// consensus lines start with name width + 1 blanks. Lines end in CR LF.
//
// Rich text: the colour header of the residue colouring (the long table and
// residue colours for protein, the short table and A/C/G/U colours for
// nucleotides), every CR LF of plain parts as "\par ", sequence lines ending
// in " \par ", the document ending in "\par }". Names and texts are escaped.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "numeric/Progress.h"

namespace SeqUtil {

using Seqs = std::vector<std::string>;

// The position line and the ruler over `width` sites.
[[nodiscard]] std::string PositionLine(std::int32_t width);
[[nodiscard]] std::string RulerLine(std::int32_t width);

[[nodiscard]] std::string FormatAlignedPlain(const Seqs& seqs, const Seqs& names, std::int32_t side,
                                             std::int32_t width, std::int32_t count, std::int32_t nameWidth,
                                             numeric::Progress* progress);
[[nodiscard]] std::string FormatSeqListPlain(const Seqs& seqs, const Seqs& names, std::int32_t side,
                                             std::int32_t count, std::int32_t nameWidth,
                                             numeric::Progress* progress, std::int32_t width);

// The aligned set cut into blocks of 62 sites, each with its part of the
// position line, ruler, sequences and consensus marks.
[[nodiscard]] std::string FormatAlignedRtf(const Seqs& seqs, const Seqs& names, std::int32_t side,
                                           std::int32_t width, std::int32_t count, std::int32_t nameWidth,
                                           bool protein, numeric::Progress* progress);
// Uncut views; `before` opens the body and `after` closes it.
[[nodiscard]] std::string FormatAlignedRtfView(const Seqs& seqs, const Seqs& names, std::int32_t side,
                                               std::int32_t width, std::int32_t count, std::int32_t nameWidth,
                                               const std::string& before, bool protein, const std::string& after);
[[nodiscard]] std::string FormatSeqListRtf(const Seqs& seqs, const Seqs& names, std::int32_t side,
                                           std::int32_t count, std::int32_t nameWidth, const std::string& before,
                                           bool protein, const std::string& after);

// What a window shows of a set.
struct BufferSet {
    const Seqs& seqs;
    const Seqs& names;
    std::int32_t numSeq = 0;
    bool aligned = false;
    bool isRNA = false;
    std::string seqType;
};

// The plain buffer text: "No sequence in memory." for an empty set; else at
// most 500 sequences (with a note when there are more), residues cut to 1000
// when the longest shown exceeds 3000 (with a note), U shown as T for RNA,
// the preface (when given) first and the footer after the layout.
[[nodiscard]] std::string SeqBufferPlain(const BufferSet& set, const std::string& footer, const std::string& preface,
                                         numeric::Progress* progress);

struct RtfBuffer {
    std::string rtf;                 // empty for an empty set
    std::string plain;               // "No sequence in memory." for an empty set
    std::optional<std::string> note; // the message shown when residues were cut
};
// The coloured buffer: at most 1000 sequences, residues cut as above.
[[nodiscard]] RtfBuffer SeqBufferRtf(const BufferSet& set, const std::string& before, const std::string& after);

} // namespace SeqUtil
