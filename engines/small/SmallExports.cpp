#include "engines/small/SmallExports.h"

#include "engines/frame/Frame.h"
#include "engines/small/SmallEngines.h"

#include <algorithm>
#include <string_view>

using tallowin::guardedExport;

namespace {

double runBrent(double ax, double bx, double cx, const std::function<double(double)>& f, bool haveF, double tol,
                double* xmin, int32_t* iterations)
{
    if (!haveF) {
        if (xmin != nullptr)
            *xmin = bx;
        if (iterations != nullptr)
            *iterations = -1;
        return 0.0;
    }
    const tallowin::BrentResult r = tallowin::brentMinimise(ax, bx, cx, f, tol);
    if (xmin != nullptr)
        *xmin = r.xmin;
    if (!r.converged && iterations != nullptr)
        *iterations = r.iterations;
    return r.fmin;
}

// The text a caller passes with a length: never read past the length nor the NUL.
std::string_view boundedText(const char* text, int32_t length)
{
    if (text == nullptr || length <= 0)
        return {};
    return {text, tallowin::boundedLength(text, static_cast<std::size_t>(length))};
}

int32_t searchAll(const char* text, const char* pattern, int32_t m, int32_t n, int32_t maximum,
                  int32_t* lastIndex, int32_t* positions, int32_t capacity)
{
    const int32_t room = std::min(maximum, capacity);
    if (room <= 0 || positions == nullptr) {
        if (lastIndex != nullptr)
            *lastIndex = -1;
        return 0;
    }
    const auto starts = tallowin::kmpFindAll(boundedText(text, n), boundedText(pattern, m), room);
    std::copy(starts.begin(), starts.end(), positions);
    auto last = static_cast<int32_t>(starts.size());
    if (last < room)
        positions[last] = -1;
    else
        last = room - 1;
    if (lastIndex != nullptr)
        *lastIndex = last;
    return 1;
}

} // namespace

extern "C" {

TALLOWIN_API double TALLOWIN_CALL brentDLL(double ax, double bx, double cx, TallowinBrentFn f, double tol,
                                           double* xmin, int32_t* iterations)
{
    return guardedExport(0.0, [&] {
        return runBrent(ax, bx, cx, [f](double x) { return f(x); }, f != nullptr, tol, xmin, iterations);
    });
}

TALLOWIN_API double TALLOWIN_CALL brentDblXIntADLL(double ax, double bx, double cx, TallowinBrentFnInt f, double tol,
                                                   double* xmin, int32_t user, int32_t* iterations)
{
    return guardedExport(0.0, [&] {
        return runBrent(ax, bx, cx, [f, user](double x) { return f(x, user); }, f != nullptr, tol, xmin,
                        iterations);
    });
}

TALLOWIN_API int32_t TALLOWIN_CALL ExactDLL(int32_t a, int32_t b, int32_t c, int32_t d, double* twoSided,
                                            double* oneSided)
{
    const tallowin::ExactResult r =
        guardedExport(tallowin::ExactResult{}, [&] { return tallowin::fisherExact(a, b, c, d); });
    if (twoSided != nullptr)
        *twoSided = r.twoSided;
    if (oneSided != nullptr)
        *oneSided = r.oneSided;
    return r.ok ? 1 : 0;
}

TALLOWIN_API int32_t TALLOWIN_CALL KMPSearchDLL(const char* text, const char* pattern, int32_t m, int32_t n)
{
    return guardedExport(int32_t{-1}, [&] { return tallowin::kmpFind(boundedText(text, n), boundedText(pattern, m)); });
}

TALLOWIN_API int32_t TALLOWIN_CALL KMPSearchMDLL(const char* text, const char* pattern, int32_t m, int32_t n,
                                                 int32_t maximum, int32_t* lastIndex, int32_t* positions)
{
    guardedExport(int32_t{0}, [&] { return searchAll(text, pattern, m, n, maximum, lastIndex, positions, maximum); });
    return 1;
}

TALLOWIN_API int32_t TALLOWIN_CALL KMPSearchMDLL_sized(const char* text, const char* pattern, int32_t m, int32_t n,
                                                       int32_t maximum, int32_t* lastIndex, int32_t* positions,
                                                       int32_t positionsCapacity)
{
    return guardedExport(int32_t{0}, [&] {
        return searchAll(text, pattern, m, n, maximum, lastIndex, positions, positionsCapacity);
    });
}

TALLOWIN_API void TALLOWIN_CALL SwitchColLMColDLL(double* matrix, int32_t n, int32_t i, int32_t j)
{
    if (matrix == nullptr || n < 2)
        return;
    guardedExport(false, [&] {
        const auto size = static_cast<std::size_t>(tallowin::packedSize(n));
        return tallowin::swapTaxa({matrix, size}, n, i, j);
    });
}

TALLOWIN_API int32_t TALLOWIN_CALL SwitchColLMColDLL_sized(double* matrix, int32_t capacity, int32_t n, int32_t i,
                                                           int32_t j)
{
    if (matrix == nullptr || capacity <= 0)
        return 0;
    return guardedExport(int32_t{0}, [&] {
        return tallowin::swapTaxa({matrix, static_cast<std::size_t>(capacity)}, n, i, j) ? 1 : 0;
    });
}

} // extern "C"
