#pragma once

// The maximum-likelihood phylogeny engine, one call from input text to
// trees, log and per-pattern log-likelihoods. Every call builds its own
// state, so two calls with the same input give the same result.

#include "engines/EngineProgress.h"

#include <string>
#include <string_view>
#include <vector>

namespace tallowin::dnaml {

// Result of a run; the numbers are those of the library's exports.
enum class ResultCode : int {
    Success = 0,
    NoMemoryAnalysis = 1,   // analysis definition
    NoMemoryRawData = 2,    // raw sequences
    NoMemoryPatterns = 3,   // compressed sites
    NoMemoryTrees = 4,      // tree store or best-tree list
    InputFailed = 5,        // the input text was refused; the reason is in the log
    NoMemoryVectors = 10,   // likelihood vectors
    VectorSetupFailed = 11, // tip and inner-node vectors
    BestListFailed = 12,    // best-tree list
    SearchFailed = 13,      // tree search
    UserTreesFailed = 14,   // evaluation of user trees
    OutputTruncated = 15,   // a sized export's buffer was too small for the tree text
};

struct RunOptions {
    int treeCount = 1;   // kept trees whose per-pattern values are reported
    bool bracket = false; // per-branch bracketed values in the tree text
    // Progress window, or null for none (then nothing is opened at all).
    EngineProgress* progress = nullptr;
    // For tests: the run behaves as if memory ran out at the stage of this
    // code (1, 2, 3, 4, 10, 11 or 12); 0 never.
    int simulateOutOfMemory = 0;
};

struct RunResult {
    ResultCode code = ResultCode::Success;
    std::string treeText;
    std::string log;
    int patternCount = 0;
    std::vector<int> weights;        // per pattern, patterns ordered by residue codes
    int rows = 0;                    // trees whose per-pattern values follow
    std::vector<double> patternLnL;  // rows x patternCount, best tree first
    std::vector<int> treeEnds;       // end offset of each tree in treeText
    double lnL = 0.0;                // log-likelihood of the last tree reported
    int rounds = 0;                  // rounds of rearrangement the search ran
};

// Runs the engine on `input`. Never throws.
RunResult run(std::string_view input, const RunOptions& options);

} // namespace tallowin::dnaml
