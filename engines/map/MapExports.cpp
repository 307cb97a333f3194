#include "engines/map/MapExports.h"

#include "engines/frame/Frame.h"
#include "engines/map/MapEngine.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr int32_t kMessageCapacity = 4096;

std::string_view boundedText(const char* text, int32_t length)
{
    if (text == nullptr || length <= 0)
        return {};
    return {text, tallowin::boundedLength(text, static_cast<std::size_t>(length))};
}

struct Buffers {
    char* messages;
    int32_t messagesCapacity;
    char* output;
    int32_t outputCapacity;  // < 0: 3 x count x longest sequence
    int32_t* order;
    int32_t orderCapacity;
    int32_t* outputNeeded;
};

int32_t align(const char* names, int32_t namesLength, const char* sequences, int32_t sequencesLength, int32_t count,
              int32_t minLength, int32_t mismatch, int32_t match, int32_t gapOpen, int32_t gapExtend,
              int32_t useMatrix, const char* alphabet, int32_t alphabetLength, const int32_t* lowerTriangle,
              int32_t matrixLength, const Buffers& out)
{
    using namespace tallowin;
    if (out.outputNeeded != nullptr)
        *out.outputNeeded = 0;

    map::MapParams params;
    params.count = count;
    params.minLength = minLength;
    params.mismatch = mismatch;
    params.match = match;
    params.gapOpen = gapOpen;
    params.gapExtend = gapExtend;
    params.useMatrix = useMatrix != 0;
    if (params.useMatrix) {
        params.alphabet = std::string(boundedText(alphabet, alphabetLength));
        const auto n = static_cast<int64_t>(params.alphabet.size());
        const int64_t needed = n * (n + 1) / 2;
        const int64_t readable = matrixLength < 0 ? needed : std::min<int64_t>(needed, matrixLength);
        if (lowerTriangle != nullptr && readable > 0)
            params.lowerTriangle.assign(lowerTriangle, lowerTriangle + readable);
    }
    const auto nameItems = map::splitAtBlanks(boundedText(names, namesLength));
    const auto sequenceItems = map::splitAtBlanks(boundedText(sequences, sequencesLength));

    EngineContext context;
    const auto progress = makeProgress();
    map::MapResult result = map::multipleAlign(nameItems, sequenceItems, params, *progress, context);

    int32_t status = 0;
    if (result.ok) {
        const std::string text = map::outputText(result);
        std::size_t longest = 0;
        for (const auto& s : sequenceItems)
            longest = std::max(longest, s.size());
        const int64_t callerSize = int64_t{3} * count * static_cast<int64_t>(longest);
        const int64_t capacity =
            out.outputCapacity < 0 ? std::min<int64_t>(callerSize, INT32_MAX) : out.outputCapacity;
        const int32_t needed = copyBounded(text, nullptr, 0);
        if (out.outputNeeded != nullptr)
            *out.outputNeeded = needed;
        if (out.order == nullptr || out.orderCapacity < count) {
            context.messages.AppendMessage("The order array is too small for the number of sequences");
        } else if (out.output == nullptr || needed > capacity) {
            context.messages.AppendMessage("The output buffer is too small for the alignment");
        } else {
            copyBounded(text, out.output, static_cast<int32_t>(capacity));
            std::copy(result.order.begin(), result.order.end(), out.order);
            status = 1;
        }
    }
    if (status == 0 && out.output != nullptr && out.outputCapacity != 0)
        out.output[0] = '\0';
    copyBounded(context.messages.text(), out.messages, out.messagesCapacity);
    return status;
}

} // namespace

extern "C" {

TALLOWIN_API int32_t TALLOWIN_CALL mapMainDll(const char* names, int32_t namesLength, const char* sequences,
                                              int32_t sequencesLength, int32_t count, int32_t minLength,
                                              int32_t mismatch, int32_t match, int32_t gapOpen, int32_t gapExtend,
                                              int32_t useMatrix, const char* alphabet, int32_t alphabetLength,
                                              const int32_t* lowerTriangle, char* messages, char* output,
                                              int32_t* order)
{
    const Buffers out{messages, kMessageCapacity, output, -1, order, count, nullptr};
    return tallowin::guardedExport(int32_t{0}, [&] {
        return align(names, namesLength, sequences, sequencesLength, count, minLength, mismatch, match, gapOpen,
                     gapExtend, useMatrix, alphabet, alphabetLength, lowerTriangle, -1, out);
    });
}

TALLOWIN_API int32_t TALLOWIN_CALL mapMainDll_sized(const char* names, int32_t namesLength, const char* sequences,
                                                    int32_t sequencesLength, int32_t count, int32_t minLength,
                                                    int32_t mismatch, int32_t match, int32_t gapOpen,
                                                    int32_t gapExtend, int32_t useMatrix, const char* alphabet,
                                                    int32_t alphabetLength, const int32_t* lowerTriangle,
                                                    int32_t matrixLength, char* messages, int32_t messagesCapacity,
                                                    char* output, int32_t outputCapacity, int32_t* order,
                                                    int32_t orderCapacity, int32_t* outputNeeded)
{
    const Buffers out{messages, messagesCapacity, output, std::max(outputCapacity, 0), order, orderCapacity,
                      outputNeeded};
    return tallowin::guardedExport(int32_t{0}, [&] {
        return align(names, namesLength, sequences, sequencesLength, count, minLength, mismatch, match, gapOpen,
                     gapExtend, useMatrix, alphabet, alphabetLength, lowerTriangle, std::max(matrixLength, 0), out);
    });
}

} // extern "C"
