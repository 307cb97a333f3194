#pragma once

// Helpers every engine of libtallowin.so shares. Nothing here keeps state
// between calls: each exported call builds its own EngineContext, so a call
// gives the same result whatever ran before it.

#include "engines/EngineProgress.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tallowin {

// The engine's message text: each AppendMessage writes the text followed by
// "\n" after what was written before, starting from an empty text per call.
class MessageCursor {
public:
    void AppendMessage(std::string_view text);
    const std::string& text() const { return text_; }
    bool empty() const { return text_.empty(); }

private:
    std::string text_;
};

// Copies `text` into a caller buffer of `capacity` bytes: at most capacity - 1
// characters and always a terminating NUL (nothing at all when capacity <= 0
// or the buffer is null). Returns the bytes the whole text needs, NUL
// included, so a caller can tell truncation (result > capacity).
int32_t copyBounded(std::string_view text, char* buffer, int32_t capacity);

// Length of a NUL-terminated text read at most up to `limit` bytes.
std::size_t boundedLength(const char* text, std::size_t limit);

// The threads for work whose thread count a caller may set: the number set,
// or one per core when it is 0.
[[nodiscard]] unsigned threadsOrCores(unsigned chosen) noexcept;

// State of one engine call.
class EngineContext {
public:
    MessageCursor messages;

    // Test hook: the n-th checked allocation of this call (counted from 1)
    // fails as if memory ran out; 0 means never.
    void failAllocationNumber(int n) { failAt_ = n; }

    // Sizes `out` to `count` elements of `fill`. When memory cannot be had it
    // appends "Memory allocation failed." and returns false; `out` is then
    // empty.
    template <class T>
    bool CheckedNew(std::vector<T>& out, std::size_t count, const T& fill = T{})
    {
        out.clear();
        ++allocations_;
        if (failAt_ > 0 && allocations_ == failAt_) {
            messages.AppendMessage("Memory allocation failed.");
            return false;
        }
        try {
            out.assign(count, fill);
            return true;
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
        out = std::vector<T>();
        messages.AppendMessage("Memory allocation failed.");
        return false;
    }

private:
    int failAt_ = 0;
    int allocations_ = 0;
};

// A 1-based copy of `text`: position k (1..n) holds the character at k-1 and
// position 0 keeps the first character, as the old in-place shift left it.
// The caller's text is never altered.
std::string ShiftRight(std::string_view text);

// The progress window for one call, made by the factory the host installed
// (never null: without a factory, or when it gives none, a NullProgress).
std::unique_ptr<EngineProgress> makeProgress();

// The engine pattern: opens the window, sets its caption and first stage
// text, passes stage texts, ranges and positions on, and closes the window
// when the run ends, on success or failure. A window that fails never stops
// the engine: its errors are swallowed.
class ProgressRun {
public:
    ProgressRun(EngineProgress& progress, std::string_view caption, std::string_view firstText);
    ~ProgressRun();
    ProgressRun(const ProgressRun&) = delete;
    ProgressRun& operator=(const ProgressRun&) = delete;

    void text(std::string_view text);
    void range(int low, int high);
    void position(int position);

private:
    EngineProgress& progress_;
};

// Runs `body` and turns any exception into `failure`, so that no exception
// crosses the C interface of the library.
template <class R, class F>
R guardedExport(R failure, F&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

} // namespace tallowin
