#include "engines/frame/Frame.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace tallowin {

void MessageCursor::AppendMessage(std::string_view text)
{
    text_.append(text);
    text_.push_back('\n');
}

int32_t copyBounded(std::string_view text, char* buffer, int32_t capacity)
{
    const std::size_t needed = text.size() + 1;
    if (buffer != nullptr && capacity > 0) {
        const std::size_t n = std::min(text.size(), static_cast<std::size_t>(capacity) - 1);
        if (n > 0)
            std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return needed > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(needed);
}

std::size_t boundedLength(const char* text, std::size_t limit)
{
    if (text == nullptr)
        return 0;
    const void* end = std::memchr(text, '\0', limit);
    return end == nullptr ? limit : static_cast<std::size_t>(static_cast<const char*>(end) - text);
}

std::string ShiftRight(std::string_view text)
{
    std::string shifted;
    shifted.reserve(text.size() + 1);
    shifted.push_back(text.empty() ? '\0' : text.front());
    shifted.append(text);
    return shifted;
}

namespace {
template <class F>
void quietly(F&& f) noexcept
{
    try {
        f();
    } catch (...) {
    }
}
} // namespace

ProgressRun::ProgressRun(EngineProgress& progress, std::string_view caption, std::string_view firstText)
    : progress_(progress)
{
    quietly([&] { progress_.open(); });
    quietly([&] { progress_.setCaption(caption); });
    quietly([&] { progress_.setText(firstText); });
}

ProgressRun::~ProgressRun()
{
    quietly([&] { progress_.close(); });
}

void ProgressRun::text(std::string_view text)
{
    quietly([&] { progress_.setText(text); });
}

void ProgressRun::range(int low, int high)
{
    quietly([&] { progress_.setRange(low, high); });
}

void ProgressRun::position(int position)
{
    quietly([&] { progress_.setPosition(position); });
}

unsigned threadsOrCores(unsigned chosen) noexcept
{
    if (chosen > 0)
        return chosen;
    return std::max(std::thread::hardware_concurrency(), 1u);
}

} // namespace tallowin
