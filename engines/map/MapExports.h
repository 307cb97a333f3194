#pragma once

// C interface of the multiple alignment engine in libtallowin.so.

#include "engines/Export.h"

extern "C" {

// Aligns `count` sequences given as blank-separated texts (names and
// sequences, one item per sequence each). Arguments 7 and 8 are the mismatch
// and then the match score, used when `useMatrix` is 0; with a matrix, the
// scores come from `lowerTriangle` (row k holds the scores of alphabet[k]
// against alphabet[0..k]). On success returns 1, writes every aligned row
// followed by ";" and a NUL to `output`, and the input index of each row to
// `order`. On failure returns 0 with the reason in `messages`.
//
// The texts are only read. `messages` receives at most 4096 bytes, `output`
// at most 3 x count x (longest sequence length) bytes: an alignment that
// would need more fails with a message instead of overflowing. Use
// mapMainDll_sized to pass the real capacities.
TALLOWIN_API int32_t TALLOWIN_CALL mapMainDll(const char* names, int32_t namesLength, const char* sequences,
                                              int32_t sequencesLength, int32_t count, int32_t minLength,
                                              int32_t mismatch, int32_t match, int32_t gapOpen, int32_t gapExtend,
                                              int32_t useMatrix, const char* alphabet, int32_t alphabetLength,
                                              const int32_t* lowerTriangle, char* messages, char* output,
                                              int32_t* order);

// As mapMainDll with the capacity of every buffer: `matrixLength` int32
// values readable at `lowerTriangle`, `messagesCapacity` and `outputCapacity`
// bytes (NUL included), `orderCapacity` entries. Nothing is written past a
// capacity and both texts always end in a NUL. *outputNeeded (when not null)
// receives the bytes the alignment text needs, NUL included, or 0 when the
// call failed before aligning.
TALLOWIN_API int32_t TALLOWIN_CALL mapMainDll_sized(const char* names, int32_t namesLength, const char* sequences,
                                                    int32_t sequencesLength, int32_t count, int32_t minLength,
                                                    int32_t mismatch, int32_t match, int32_t gapOpen,
                                                    int32_t gapExtend, int32_t useMatrix, const char* alphabet,
                                                    int32_t alphabetLength, const int32_t* lowerTriangle,
                                                    int32_t matrixLength, char* messages, int32_t messagesCapacity,
                                                    char* output, int32_t outputCapacity, int32_t* order,
                                                    int32_t orderCapacity, int32_t* outputNeeded);

} // extern "C"
