// The one setting the library keeps between calls: which progress window the
// host wants. It is configuration, not engine state, and is guarded so that a
// host may change it at any time.

#include "engines/frame/Frame.h"

#include <mutex>

namespace tallowin {
namespace {

struct FactorySetting {
    std::mutex mutex;
    ProgressFactory factory = nullptr;
    void* user = nullptr;
};

FactorySetting& setting()
{
    static FactorySetting s;
    return s;
}

} // namespace

std::unique_ptr<EngineProgress> makeProgress()
{
    ProgressFactory factory = nullptr;
    void* user = nullptr;
    {
        std::lock_guard lock(setting().mutex);
        factory = setting().factory;
        user = setting().user;
    }
    std::unique_ptr<EngineProgress> progress;
    if (factory != nullptr) {
        try {
            progress.reset(factory(user));
        } catch (...) {
            progress.reset();
        }
    }
    if (!progress)
        progress = std::make_unique<NullProgress>();
    return progress;
}

} // namespace tallowin

extern "C" TALLOWIN_API void tallowin_set_progress_factory(tallowin::ProgressFactory factory, void* user)
{
    std::lock_guard lock(tallowin::setting().mutex);
    tallowin::setting().factory = factory;
    tallowin::setting().user = factory != nullptr ? user : nullptr;
}
