// The library's exports: the class factory and its self-registration. They
// have C linkage and let no exception out.

#include <cstdint>
#include <memory>
#include <new>
#include <string_view>

#include "errorlib/CErrorHandler.h"
#include "errorlib/rampart6_export.h"
#include "platform/com/Com.h"

namespace {

bool sameId(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr std::int32_t kClassNotServed = 429;
constexpr std::int32_t kNoInterface = 430;
constexpr std::int32_t kOutOfMemory = 7;
constexpr std::int32_t kInvalidCall = 5;

} // namespace

extern "C" RAMPART6_EXPORT std::int32_t tessaray_create_instance(const char* clsid, const char* iid,
                                                                  void** out) noexcept
{
    if (out == nullptr || clsid == nullptr || iid == nullptr) {
        return kInvalidCall;
    }
    *out = nullptr;
    try {
        if (sameId(clsid, rampart::CLSID_CErrorHandler)) {
            if (!sameId(iid, rampart::IID_ICErrorHandler)) {
                return kNoInterface;
            }
            auto handler = std::make_unique<rampart::CErrorHandler>(rampart::MakeDefaultErrorUi());
            *out = static_cast<rampart::ICErrorHandler*>(handler.release());
            return 0;
        }
        if (sameId(clsid, rampart::CLSID_IErrorClient)) {
            if (!sameId(iid, rampart::IID_IErrorClient)) {
                return kNoInterface;
            }
            *out = new rampart::IErrorClient();
            return 0;
        }
        return kClassNotServed;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kClassNotServed;
    }
}

extern "C" RAMPART6_EXPORT std::int32_t tessaray_register_server() noexcept
{
    try {
        const auto self = platform::com::ModulePathOf(reinterpret_cast<const void*>(&tessaray_register_server));
        if (self.empty()) {
            return kClassNotServed;
        }
        long rc = platform::com::RegisterClass(rampart::CLSID_CErrorHandler, "Rampart6.CErrorHandler", self);
        if (rc == 0) {
            rc = platform::com::RegisterClass(rampart::CLSID_IErrorClient, "Rampart6.IErrorClient", self);
        }
        return static_cast<std::int32_t>(rc);
    } catch (...) {
        return kClassNotServed;
    }
}

extern "C" RAMPART6_EXPORT std::int32_t tessaray_unregister_server() noexcept
{
    try {
        long rc = platform::com::UnregisterClass(rampart::CLSID_CErrorHandler);
        const long rc2 = platform::com::UnregisterClass(rampart::CLSID_IErrorClient);
        return static_cast<std::int32_t>(rc != 0 ? rc : rc2);
    } catch (...) {
        return kClassNotServed;
    }
}
