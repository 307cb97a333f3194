#pragma once

// Score of the best end-gap-free alignment of two sequences, in linear
// memory. `first` runs down the rows, `second` along the columns; runs of
// `second`'s residues opposite a gap in `first` may take the constant cost.

#include "engines/map/Scoring.h"

#include <string_view>

namespace tallowin::map {

Score pairScore(std::string_view first, std::string_view second, const ScoreTable& w, const GapCosts& gaps);

// The same score without the processor-specific code path.
Score pairScorePortable(std::string_view first, std::string_view second, const ScoreTable& w, const GapCosts& gaps);

} // namespace tallowin::map
