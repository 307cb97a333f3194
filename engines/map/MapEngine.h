#pragma once

// Progressive multiple alignment with constant-cost long insertions. Every
// pair of sequences is scored by an end-gap-free alignment; the pairs, best
// first, then join the sequences group by group by aligning the groups'
// profiles.

#include "engines/EngineProgress.h"
#include "engines/frame/Frame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallowin::map {

struct MapParams {
    std::optional<int32_t> count;  // sequences the caller announced; none: as many as given
    int32_t minLength = 0;  // insertions of more than this many columns cost a constant
    int32_t mismatch = 0;   // without a matrix; must be negative
    int32_t match = 0;      // without a matrix
    int32_t gapOpen = 0;
    int32_t gapExtend = 0;
    bool useMatrix = false;
    std::string alphabet;             // matrix letters, in matrix order
    std::vector<int32_t> lowerTriangle; // row k holds k + 1 scores
};

struct MapResult {
    bool ok = false;
    std::vector<std::string> rows;  // aligned rows, end gaps written as "-"
    std::vector<int32_t> order;     // input index of each row
};

// Aligns `sequences` (the engine only counts the names). Refused before any
// work, with result not ok and a message: bad penalties or counts, characters
// above 127, and sequences holding ";" or "-" (the output's row end and gap). Messages go to
// `context.messages`; the stages show on `progress`.
MapResult multipleAlign(const std::vector<std::string>& names, const std::vector<std::string>& sequences,
                        const MapParams& params, EngineProgress& progress, EngineContext& context);

// Threads the pairwise stage may use; 0 (the default) means one per core.
// The scores, and so the alignment and the progress shown, do not depend on
// the number of threads.
void setAlignmentThreads(unsigned threads) noexcept;
[[nodiscard]] unsigned alignmentThreads() noexcept;

// The output text of a result: every row followed by ";".
std::string outputText(const MapResult& result);

// Cuts a text at blanks; runs of blanks count as one.
std::vector<std::string> splitAtBlanks(std::string_view text);

} // namespace tallowin::map
