#pragma once

// The substitution matrix files beside the program, "AASubMat.Bin" (amino
// acids) and "NucSubMat.Bin" (nucleotides): fixed-length records, matrix
// number k (from 0) in record k + 1 at byte k * record length.
//
// Record layout (all integers signed 32-bit little-endian):
//   bytes 0-29    matrix name, 30 single-byte characters padded with blanks
//   bytes 30-     the lower triangle of the matrix with its diagonal, row by
//                 row (row k holds letter k against letters 0 .. k): 300
//                 values (24 letters) for amino acids, 120 (15 letters) for
//                 nucleotides
//   then 30 bytes not read (the last record of a file may lack them)
// Record lengths: 1,260 (amino acids) and 540 (nucleotides).
//
// Values are scores: higher means more alike.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sequence {

enum class SubMatKind { AminoAcid, Nucleotide };

struct SubMatRecord {
    std::string name;                 // blanks at the end removed
    std::string alphabet;             // the letters in matrix order
    std::vector<std::int32_t> values; // the whole triangle (300 or 120 values)
};

// "AASubMat.Bin" or "NucSubMat.Bin".
[[nodiscard]] std::string SubMatFileName(SubMatKind kind);
[[nodiscard]] std::int32_t SubMatRecordLength(SubMatKind kind);
[[nodiscard]] std::int32_t SubMatValueCount(SubMatKind kind);

// "ARNDCQEGHILKMFPSTWYVBZX*" with the stop code, the first 23 letters
// without it; "ACGTRYMWSKDHVBN" for nucleotides.
[[nodiscard]] std::string SubMatAlphabet(SubMatKind kind, bool hasStop);

// The file's place beside the program.
[[nodiscard]] std::filesystem::path SubMatFilePath(SubMatKind kind);

// Reads matrix `index` (from 0) of the file. Errors (source "ReadAASubMat"
// or "ReadNucSubMat"):
//   53  the file does not exist
//   75  the file cannot be read
//   63  a negative matrix number
//   62  the file ends before the matrix (a short or damaged file, or a
//       number beyond the last matrix)
[[nodiscard]] SubMatRecord ReadSubMatRecord(const std::filesystem::path& file, SubMatKind kind,
                                            std::int32_t index, bool hasStop);

// The record bytes of one matrix, as the reader expects them (name cut or
// padded to 30; values written as given, the rest of the triangle zero).
[[nodiscard]] std::string EncodeSubMatRecord(SubMatKind kind, const std::string& name,
                                             const std::vector<std::int32_t>& values);

} // namespace sequence
