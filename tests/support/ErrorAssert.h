#pragma once

// The number of the numbered error that `f` raises (0 when it raises none),
// with its source and description when asked for.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/errors/Error.h"

namespace testsupport {

inline std::int32_t errorNumber(const std::function<void()>& f, std::string* source = nullptr,
                                std::string* description = nullptr)
{
    try {
        f();
    } catch (const platform::Error& e) {
        if (source != nullptr) {
            *source = e.source();
        }
        if (description != nullptr) {
            *description = e.description();
        }
        return e.number();
    }
    return 0;
}

} // namespace testsupport
