#include "engines/cap/CapExports.h"

#include "engines/cap/Assembler.h"
#include "engines/frame/Frame.h"

#include <cstring>

namespace {

// Capacity that stands for "the caller vouches for the size".
constexpr int32_t Unbounded = INT32_MAX;

struct Buffers {
    char* consensus;
    int32_t consensusCapacity;
    char* report;
    int32_t reportCapacity;
    int32_t* contigCount;
    char* messages;
    int32_t messagesCapacity;
    int32_t* consensusNeeded;
    int32_t* reportNeeded;
};

int32_t run(const char* sequences, const char* names, int32_t count, const tallowin::cap::Parameters& p,
            const Buffers& out)
{
    tallowin::cap::Assembly result;
    tallowin::EngineContext context;
    if (sequences == nullptr || names == nullptr) {
        context.messages.AppendMessage("The sequence and name texts are required");
        result.messages = context.messages.text();
    } else {
        const std::unique_ptr<tallowin::EngineProgress> progress = tallowin::makeProgress();
        result = tallowin::cap::assemble(sequences, names, count, p, *progress, context);
    }

    const int32_t consensusNeeded = tallowin::copyBounded(result.consensus, out.consensus, out.consensusCapacity);
    const int32_t reportNeeded = tallowin::copyBounded(result.report, out.report, out.reportCapacity);
    bool ok = result.ok;
    if (ok && (consensusNeeded > out.consensusCapacity || reportNeeded > out.reportCapacity
               || out.consensus == nullptr || out.report == nullptr)) {
        ok = false;
        result.messages += "The output buffer is too small.\n";
    }
    tallowin::copyBounded(result.messages, out.messages, out.messagesCapacity);
    if (out.contigCount != nullptr)
        *out.contigCount = result.ok ? result.contigCount : 0;
    if (out.consensusNeeded != nullptr)
        *out.consensusNeeded = consensusNeeded;
    if (out.reportNeeded != nullptr)
        *out.reportNeeded = reportNeeded;
    return ok ? 1 : 0;
}

tallowin::cap::Parameters parameters(int32_t clearStart, int32_t clearEnd, int32_t gapOpen, int32_t gapExtend,
                                     int32_t match, int32_t mismatch, int32_t endMismatch, int32_t endGapExtend,
                                     int32_t minOverlap, float minIdentity, int32_t minEndScore, float filterRate)
{
    return {clearStart, clearEnd,   gapOpen,     gapExtend,   match,      mismatch,
            endMismatch, endGapExtend, minOverlap, minIdentity, minEndScore, filterRate};
}

// Runs the assembly behind the export guard. Whatever escapes still leaves
// the caller with a count of 0 and no result.
int32_t guardedRun(const char* sequences, const char* names, int32_t count, const tallowin::cap::Parameters& p,
                   const Buffers& out)
{
    const int32_t result = tallowin::guardedExport(int32_t{-1}, [&] { return run(sequences, names, count, p, out); });
    if (result >= 0)
        return result;
    if (out.contigCount != nullptr)
        *out.contigCount = 0;
    return 0;
}

} // namespace

extern "C" {

TALLOWIN_API int32_t TALLOWIN_CALL capMainDll(const char* sequences, int32_t, const char* names, int32_t,
                                              int32_t count, int32_t clearStart, int32_t clearEnd, int32_t gapOpen,
                                              int32_t gapExtend, int32_t match, int32_t mismatch,
                                              int32_t endMismatch, int32_t endGapExtend, int32_t minOverlap,
                                              float minIdentity, int32_t minEndScore, float filterRate,
                                              char* consensus, char* report, int32_t* contigCount, char* messages)
{
    const Buffers out{consensus, Unbounded, report, Unbounded, contigCount, messages, Unbounded, nullptr, nullptr};
    return guardedRun(sequences, names, count,
                      parameters(clearStart, clearEnd, gapOpen, gapExtend, match, mismatch, endMismatch, endGapExtend,
                                 minOverlap, minIdentity, minEndScore, filterRate),
                      out);
}

TALLOWIN_API int32_t TALLOWIN_CALL capMainDll_sized(
    const char* sequences, int32_t, const char* names, int32_t, int32_t count, int32_t clearStart, int32_t clearEnd,
    int32_t gapOpen, int32_t gapExtend, int32_t match, int32_t mismatch, int32_t endMismatch, int32_t endGapExtend,
    int32_t minOverlap, float minIdentity, int32_t minEndScore, float filterRate, char* consensus,
    int32_t consensusCapacity, char* report, int32_t reportCapacity, int32_t* contigCount, char* messages,
    int32_t messagesCapacity, int32_t* consensusNeeded, int32_t* reportNeeded)
{
    const Buffers out{consensus, consensusCapacity, report,           reportCapacity, contigCount,
                      messages,  messagesCapacity,  consensusNeeded, reportNeeded};
    return guardedRun(sequences, names, count,
                      parameters(clearStart, clearEnd, gapOpen, gapExtend, match, mismatch, endMismatch, endGapExtend,
                                 minOverlap, minIdentity, minEndScore, filterRate),
                      out);
}

} // extern "C"
