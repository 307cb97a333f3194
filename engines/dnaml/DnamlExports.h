#pragma once

// C interface of the phylogeny engine in libtallowin.so.
//
// Result codes: 0 success; 1-4 out of memory (analysis definition, raw
// data, compressed data, trees); 5 input refused; 10-12 likelihood vectors,
// their set-up, best-tree list; 13 search failed; 14 user trees failed;
// 15 the tree text or the per-pattern arrays did not fit the caller's
// buffers (what fit is written, cut after a whole tree or row).
// The reason of every failure is in the log text. No exception leaves these
// functions.

#include "engines/Export.h"

extern "C" {

// Runs the engine on `input`. Writes at most 64000 bytes of tree text and
// 6400 bytes of log, each NUL-terminated, with their lengths; per-pattern
// log-likelihoods of up to `treeCount` best trees (one row of *patternCount
// values each, best first), the pattern weights and the log-likelihood of
// the last tree reported. `bracketFlag` equal to 1 writes each branch with
// its bracketed value. The arrays must hold treeCount x sites and sites
// values.
TALLOWIN_API int32_t TALLOWIN_CALL DNAMLDLL(const char* input, char* treeText, int32_t* treeLength, char* logText,
                                            int32_t* logLength, double* patternLnL, int32_t* patternWeight,
                                            int32_t* patternCount, int32_t treeCount, int16_t bracketFlag,
                                            double* lnL);
// As DNAMLDLL, showing the progress window while it runs.
TALLOWIN_API int32_t TALLOWIN_CALL DNAMLDLLWithProgress(const char* input, char* treeText, int32_t* treeLength,
                                                        char* logText, int32_t* logLength, double* patternLnL,
                                                        int32_t* patternWeight, int32_t* patternCount,
                                                        int32_t treeCount, int16_t bracketFlag, double* lnL);

// As DNAMLDLL with the capacity of every buffer (bytes for texts, elements
// for arrays). *treeNeeded receives the bytes the whole tree text needs,
// NUL included; when it exceeds treeCapacity the text is cut after the last
// whole tree that fits and the result is 15.
TALLOWIN_API int32_t TALLOWIN_CALL DNAMLDLL_sized(const char* input, char* treeText, int32_t treeCapacity,
                                                  int32_t* treeLength, int32_t* treeNeeded, char* logText,
                                                  int32_t logCapacity, int32_t* logLength, double* patternLnL,
                                                  int32_t patternLnLCapacity, int32_t* patternWeight,
                                                  int32_t weightCapacity, int32_t* patternCount, int32_t treeCount,
                                                  int16_t bracketFlag, double* lnL);
TALLOWIN_API int32_t TALLOWIN_CALL DNAMLDLLWithProgress_sized(
    const char* input, char* treeText, int32_t treeCapacity, int32_t* treeLength, int32_t* treeNeeded,
    char* logText, int32_t logCapacity, int32_t* logLength, double* patternLnL, int32_t patternLnLCapacity,
    int32_t* patternWeight, int32_t weightCapacity, int32_t* patternCount, int32_t treeCount, int16_t bracketFlag,
    double* lnL);

} // extern "C"
