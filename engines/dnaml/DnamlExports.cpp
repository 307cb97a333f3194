#include "engines/dnaml/DnamlExports.h"

#include "engines/dnaml/Dnaml.h"
#include "engines/dnaml/DnamlText.h"
#include "engines/frame/Frame.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace tallowin::dnaml {
namespace {

constexpr int32_t kTreeTextSize = 64000;
constexpr int32_t kLogSize = 6400;

struct Buffers {
    char* treeText;
    int32_t treeCapacity;
    int32_t* treeLength;
    int32_t* treeNeeded;
    char* logText;
    int32_t logCapacity;
    int32_t* logLength;
    double* patternLnL;
    long long patternLnLCapacity;
    int32_t* patternWeight;
    long long weightCapacity;
    int32_t* patternCount;
    int32_t treeCount;
    int16_t bracketFlag;
    double* lnL;
};

void writeLength(int32_t* target, std::size_t length)
{
    if (target != nullptr)
        *target = static_cast<int32_t>(std::min<std::size_t>(length, INT32_MAX));
}

int32_t runExport(const char* input, const Buffers& b, bool withProgress)
{
    std::unique_ptr<EngineProgress> window = withProgress ? makeProgress() : nullptr;
    RunOptions options;
    options.treeCount = b.treeCount;
    options.bracket = b.bracketFlag == 1;
    options.progress = window.get();
    RunResult r = run(input != nullptr ? std::string_view(input) : std::string_view(), options);
    window.reset();

    // Tree text: cut after the last whole tree that fits.
    std::size_t treeBytes = r.treeText.size();
    if (b.treeNeeded != nullptr)
        *b.treeNeeded = static_cast<int32_t>(std::min<std::size_t>(treeBytes + 1, INT32_MAX));
    const std::size_t room = b.treeCapacity > 0 ? static_cast<std::size_t>(b.treeCapacity) - 1 : 0;
    if (b.treeText == nullptr && treeBytes > 0)
        treeBytes = 0;
    bool truncated = false;
    if (treeBytes > room) {
        std::size_t cut = 0;
        for (int end : r.treeEnds)
            if (static_cast<std::size_t>(end) <= room)
                cut = static_cast<std::size_t>(end);
        r.log += "Tree text needs " + formatInt(static_cast<long long>(r.treeText.size()) + 1) +
                 " bytes; only " + formatInt(b.treeCapacity) + " are available\n";
        treeBytes = cut;
        truncated = true;
    }
    if (b.treeText != nullptr && b.treeCapacity > 0) {
        std::memcpy(b.treeText, r.treeText.data(), treeBytes);
        b.treeText[treeBytes] = '\0';
    }
    writeLength(b.treeLength, treeBytes);

    if (r.code == ResultCode::Success) {
        const auto np = static_cast<long long>(r.patternCount);
        long long rows = r.rows;
        if (np > 0 && rows * np > b.patternLnLCapacity) {
            rows = b.patternLnLCapacity / np;
            r.log += "Per-pattern values of " + formatInt(r.rows) + " trees need " + formatInt(r.rows * np) +
                     " places; only " + formatInt(b.patternLnLCapacity) + " are available\n";
            truncated = true;
        }
        if (b.patternLnL != nullptr && rows > 0)
            std::copy_n(r.patternLnL.begin(), rows * np, b.patternLnL);
        long long weights = np;
        if (weights > b.weightCapacity) {
            weights = std::max(0LL, b.weightCapacity);
            r.log += "Pattern weights need " + formatInt(np) + " places; only " + formatInt(b.weightCapacity) +
                     " are available\n";
            truncated = true;
        }
        if (b.patternWeight != nullptr)
            std::copy_n(r.weights.begin(), weights, b.patternWeight);
        if (b.patternCount != nullptr)
            *b.patternCount = r.patternCount;
        if (b.lnL != nullptr)
            *b.lnL = r.lnL;
        if (truncated)
            r.code = ResultCode::OutputTruncated;
    }
    const int32_t logNeeded = copyBounded(r.log, b.logText, b.logCapacity);
    writeLength(b.logLength, b.logText == nullptr || b.logCapacity <= 0
                                 ? 0
                                 : std::min<std::size_t>(static_cast<std::size_t>(logNeeded) - 1,
                                                         static_cast<std::size_t>(b.logCapacity) - 1));
    return static_cast<int32_t>(r.code);
}

int32_t plain(const char* input, char* treeText, int32_t* treeLength, char* logText, int32_t* logLength,
              double* patternLnL, int32_t* patternWeight, int32_t* patternCount, int32_t treeCount,
              int16_t bracketFlag, double* lnL, bool withProgress)
{
    // The caller sized the arrays from the number of sites; the run never
    // reports more patterns than sites, nor more rows than treeCount.
    const Buffers b{treeText,   kTreeTextSize, treeLength,    nullptr,       logText,   kLogSize,
                    logLength,  patternLnL,    LLONG_MAX,     patternWeight, LLONG_MAX, patternCount,
                    treeCount,  bracketFlag,   lnL};
    return runExport(input, b, withProgress);
}

} // namespace
} // namespace tallowin::dnaml

using tallowin::dnaml::Buffers;

extern "C" {

TALLOWIN_API int32_t TALLOWIN_CALL DNAMLDLL(const char* input, char* treeText, int32_t* treeLength, char* logText,
                                            int32_t* logLength, double* patternLnL, int32_t* patternWeight,
                                            int32_t* patternCount, int32_t treeCount, int16_t bracketFlag,
                                            double* lnL)
{
    return tallowin::guardedExport<int32_t>(13, [&] {
        return tallowin::dnaml::plain(input, treeText, treeLength, logText, logLength, patternLnL, patternWeight,
                                      patternCount, treeCount, bracketFlag, lnL, false);
    });
}

TALLOWIN_API int32_t TALLOWIN_CALL DNAMLDLLWithProgress(const char* input, char* treeText, int32_t* treeLength,
                                                        char* logText, int32_t* logLength, double* patternLnL,
                                                        int32_t* patternWeight, int32_t* patternCount,
                                                        int32_t treeCount, int16_t bracketFlag, double* lnL)
{
    return tallowin::guardedExport<int32_t>(13, [&] {
        return tallowin::dnaml::plain(input, treeText, treeLength, logText, logLength, patternLnL, patternWeight,
                                      patternCount, treeCount, bracketFlag, lnL, true);
    });
}

TALLOWIN_API int32_t TALLOWIN_CALL DNAMLDLL_sized(const char* input, char* treeText, int32_t treeCapacity,
                                                  int32_t* treeLength, int32_t* treeNeeded, char* logText,
                                                  int32_t logCapacity, int32_t* logLength, double* patternLnL,
                                                  int32_t patternLnLCapacity, int32_t* patternWeight,
                                                  int32_t weightCapacity, int32_t* patternCount, int32_t treeCount,
                                                  int16_t bracketFlag, double* lnL)
{
    return tallowin::guardedExport<int32_t>(13, [&] {
        const Buffers b{treeText,   treeCapacity,       treeLength,    treeNeeded,     logText,
                        logCapacity, logLength,         patternLnL,    patternLnLCapacity, patternWeight,
                        weightCapacity, patternCount,   treeCount,     bracketFlag,    lnL};
        return tallowin::dnaml::runExport(input, b, false);
    });
}

TALLOWIN_API int32_t TALLOWIN_CALL DNAMLDLLWithProgress_sized(
    const char* input, char* treeText, int32_t treeCapacity, int32_t* treeLength, int32_t* treeNeeded,
    char* logText, int32_t logCapacity, int32_t* logLength, double* patternLnL, int32_t patternLnLCapacity,
    int32_t* patternWeight, int32_t weightCapacity, int32_t* patternCount, int32_t treeCount, int16_t bracketFlag,
    double* lnL)
{
    return tallowin::guardedExport<int32_t>(13, [&] {
        const Buffers b{treeText,   treeCapacity,       treeLength,    treeNeeded,     logText,
                        logCapacity, logLength,         patternLnL,    patternLnLCapacity, patternWeight,
                        weightCapacity, patternCount,   treeCount,     bracketFlag,    lnL};
        return tallowin::dnaml::runExport(input, b, true);
    });
}

} // extern "C"
