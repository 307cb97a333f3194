#pragma once

// The sequence file writers: one writer per output format of the catalogue
// and the dispatcher that asks the questions some formats need.
//
// Every writer lays the whole file out in memory first and then replaces the
// file in one step (a sibling temporary file renamed over it), so a refused
// or failed write leaves an existing file exactly as it was. The caller's
// sequences and names are never changed: name cutting, the dot form and the
// U-to-T change work on copies. Files are single-byte text with CR LF.
//
// Layouts are laid out over the true longest length of the set (the length
// of its longest sequence). Dates come from platform::rt::Now().
//
// Errors (platform::Error, source the writer's name):
//   5  no sequences, or a name or sequence holding a control character (a
//      line break would break every record layout)
//   9  a count larger than the vectors
//   75/76  the file cannot be created or its folder does not exist
// Refusals that the user is told about in a message box (unequal lengths for
// MEGA and PAML, an unknown format code) return false and write nothing.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "numeric/Progress.h"
#include "sequence/SeqSet.h"

namespace SeqWrite {

using Seqs = std::vector<std::string>;
using Path = std::filesystem::path;

// Writes the set in the output format `code` (0 .. 13; 14 and others show
// "Unknown format." and write nothing). PHYLIP asks about the dot form and,
// for names longer than 10, about cutting them; GCG single with more than one
// sequence offers MSF. Returns true when a file was written.
bool WriteSeqFile(const Path& file, std::int16_t code, const sequence::SequenceSet& set,
                  numeric::Progress* progress);

// The writers. Each returns true when the file was written.
bool OutMEG(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress);
bool OutIG(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress);
// Header suffix: " bases" for true, " aa" for false, nothing without a flag.
bool OutFASTA(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
              numeric::Progress* progress, std::optional<bool> rnaFlag = std::nullopt);
bool OutPAML(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress);
bool OutGenBank(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
                numeric::Progress* progress, const std::string& seqType);
bool OutGCG(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress,
            const std::string& seqType, std::int32_t nameWidth);
bool OutMSF(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress,
            const std::string& seqType, std::int32_t nameWidth);
bool OutPHYLIP(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
               numeric::Progress* progress, std::int32_t nameWidth);
// Names are cut to their first 9 characters (in the file only). Each record
// gives its own sequence's length; seqType "AA" marks the records as protein.
bool OutEMBL(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
             numeric::Progress* progress, const std::string& seqType = "");
bool OutStrider(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
                numeric::Progress* progress, const std::string& seqType);
bool OutFitch(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
              numeric::Progress* progress);
bool OutPIR(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress,
            const std::string& seqType);
bool OutNEXUS(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
              numeric::Progress* progress, std::int32_t nameWidth, bool isRNA, const std::string& seqType);
bool OutNBRF(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
             numeric::Progress* progress, const std::string& seqType);

// Lines of 60 characters over positions 1 .. length, each followed by CR LF
// (none for length 0; no empty line when length is a multiple of 60).
[[nodiscard]] std::string Lines60(const std::string& seq, std::int32_t length);

} // namespace SeqWrite
