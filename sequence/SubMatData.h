#pragma once

// The substitution matrices installed beside the program, as the records of
// "AASubMat.Bin" and "NucSubMat.Bin". The list positions follow the
// alignment dialog's matrix lists; a position this installation does not
// carry is written as a record with a blank name and no scores, which the
// readers refuse.

#include <cstdint>
#include <string>
#include <vector>

#include "sequence/SubMatFile.h"

namespace sequence {

struct SubMatEntry {
    std::string name;                  // "" for a position not carried
    std::vector<std::int32_t> values;  // the lower triangle, row by row
};

// The dialog's lists: 25 protein names, 2 nucleotide names.
[[nodiscard]] const std::vector<std::string>& SubMatListNames(SubMatKind kind);

// Every record of the file, in list order.
[[nodiscard]] std::vector<SubMatEntry> InstalledSubMats(SubMatKind kind);

// The whole file's bytes.
[[nodiscard]] std::string EncodeSubMatFile(SubMatKind kind);

} // namespace sequence
