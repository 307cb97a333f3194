#pragma once

// C interface of the small engines in libtallowin.so.

#include "engines/Export.h"

extern "C" {

typedef double(TALLOWIN_CALL* TallowinBrentFn)(double x);
typedef double(TALLOWIN_CALL* TallowinBrentFnInt)(double x, int32_t user);

// Brent minimisation in the bracket (ax, cx) from bx. Returns f at the minimum
// and writes its abscissa to *xmin. *iterations is written only when 100
// iterations pass without convergence (then 101), or -1 when f is null.
TALLOWIN_API double TALLOWIN_CALL brentDLL(double ax, double bx, double cx, TallowinBrentFn f, double tol,
                                           double* xmin, int32_t* iterations);
// As brentDLL; `user` is passed to every call of f as its second argument.
TALLOWIN_API double TALLOWIN_CALL brentDblXIntADLL(double ax, double bx, double cx, TallowinBrentFnInt f, double tol,
                                                   double* xmin, int32_t user, int32_t* iterations);

// Fisher's exact test of [[a, b], [c, d]]. 1 done; 0 when a cell is negative
// or a probability comes out impossible (both outputs then -999.999).
TALLOWIN_API int32_t TALLOWIN_CALL ExactDLL(int32_t a, int32_t b, int32_t c, int32_t d, double* twoSided,
                                            double* oneSided);

// First 0-based start of pattern (length m) in text (length n), or -1.
// Neither text is read past its NUL or its given length.
TALLOWIN_API int32_t TALLOWIN_CALL KMPSearchDLL(const char* text, const char* pattern, int32_t m, int32_t n);

// Successive non-overlapping starts into positions[0..maximum-1]; a search
// that ends early writes -1 after the last start. *lastIndex gets the index of
// the last entry written, or -1 when nothing could be written (maximum <= 0).
// Always returns 1.
TALLOWIN_API int32_t TALLOWIN_CALL KMPSearchMDLL(const char* text, const char* pattern, int32_t m, int32_t n,
                                                 int32_t maximum, int32_t* lastIndex, int32_t* positions);
// As KMPSearchMDLL, writing at most positionsCapacity entries. Returns 1, or 0
// (nothing written, *lastIndex -1) when the arguments leave no room.
TALLOWIN_API int32_t TALLOWIN_CALL KMPSearchMDLL_sized(const char* text, const char* pattern, int32_t m, int32_t n,
                                                       int32_t maximum, int32_t* lastIndex, int32_t* positions,
                                                       int32_t positionsCapacity);

// Exchanges taxa i and j of a packed lower-triangular matrix of n taxa.
// Indices out of range change nothing.
TALLOWIN_API void TALLOWIN_CALL SwitchColLMColDLL(double* matrix, int32_t n, int32_t i, int32_t j);
// As SwitchColLMColDLL for a matrix buffer of `capacity` doubles. Returns 1
// done, 0 (nothing changed) when the indices or the buffer do not fit.
TALLOWIN_API int32_t TALLOWIN_CALL SwitchColLMColDLL_sized(double* matrix, int32_t capacity, int32_t n, int32_t i,
                                                           int32_t j);

} // extern "C"
