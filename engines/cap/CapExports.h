#pragma once

// C interface of the contig assembly engine in libtallowin.so.

#include "engines/Export.h"

extern "C" {

// Assembles `count` fragments into contigs (see engines/cap/Assembler.h).
// `sequences` and `names` are NUL-terminated, blank-separated texts, read but
// never altered; their lengths are accepted and not used. The first character
// of each name is a marker that is not shown.
//
// Writes, each NUL-terminated: the consensus text (";" and the consensus of
// each contig) into `consensus`, the contig report into `report`, the number
// of contigs into *contigCount and the messages into `messages`. The caller
// must make each buffer large enough: this form cannot check; new callers use
// capMainDll_sized.
//
// Returns 1 on success; 0 after bad input or a failed memory request (then
// *contigCount is 0, both texts are empty and the message says why).
TALLOWIN_API int32_t TALLOWIN_CALL capMainDll(const char* sequences, int32_t sequencesLength, const char* names,
                                              int32_t namesLength, int32_t count, int32_t clearStart,
                                              int32_t clearEnd, int32_t gapOpen, int32_t gapExtend, int32_t match,
                                              int32_t mismatch, int32_t endMismatch, int32_t endGapExtend,
                                              int32_t minOverlap, float minIdentity, int32_t minEndScore,
                                              float filterRate, char* consensus, char* report, int32_t* contigCount,
                                              char* messages);

// As capMainDll, writing at most `...Capacity` bytes into each buffer (NUL
// included, always terminated when the capacity is positive). *consensusNeeded
// and *reportNeeded (either may be null) receive the bytes each whole text
// needs, NUL included. When a text does not fit, the part that fits is
// written, the message "The output buffer is too small." is added and the
// result is 0.
TALLOWIN_API int32_t TALLOWIN_CALL capMainDll_sized(
    const char* sequences, int32_t sequencesLength, const char* names, int32_t namesLength, int32_t count,
    int32_t clearStart, int32_t clearEnd, int32_t gapOpen, int32_t gapExtend, int32_t match, int32_t mismatch,
    int32_t endMismatch, int32_t endGapExtend, int32_t minOverlap, float minIdentity, int32_t minEndScore,
    float filterRate, char* consensus, int32_t consensusCapacity, char* report, int32_t reportCapacity,
    int32_t* contigCount, char* messages, int32_t messagesCapacity, int32_t* consensusNeeded, int32_t* reportNeeded);

} // extern "C"
