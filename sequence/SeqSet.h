#pragma once

// The sequence set of the program: parallel names and sequences with their
// count, the longest length, the aligned and RNA flags and the sequence type
// ("AA" for protein, anything else nucleotides). One type serves the flank
// sets of the program state and every sequence routine.

#include "shell/core/mQuorin.h"

namespace sequence {

using SequenceSet = mQuorin::SequenceSet;

} // namespace sequence
