#include "platform/dll/Library.h"

#include "platform/errors/Error.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#include <utility>

namespace platform::dll {
namespace {

// The folder of the running program, or empty when it cannot be told.
std::filesystem::path programFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

} // namespace

Library::Library(std::string fileName)
    : fileName_(std::move(fileName))
{
}

bool Library::loaded() const
{
    std::lock_guard lock(mutex_);
    return handle_ != nullptr;
}

void Library::load()
{
    const std::filesystem::path name(fileName_);
    bool seen = false;
    if (!name.has_parent_path()) {
        const auto beside = programFolder() / name;
        std::error_code ec;
        if (!beside.parent_path().empty() && std::filesystem::exists(beside, ec)) {
            seen = true;
            handle_ = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
        }
    }
    if (handle_ == nullptr) {
        std::error_code ec;
        seen = seen || (name.has_parent_path() && std::filesystem::exists(name, ec));
        handle_ = dlopen(fileName_.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (handle_ != nullptr)
        return;
    const char* why = dlerror();
    const std::string reason = why != nullptr ? why : "";
    const bool missing = !seen && reason.rfind(fileName_ + ":", 0) == 0 && reason.find("No such file") != std::string::npos;
    if (missing)
        throw Error(err::FileNotFound, std::string(RuntimeSource), "File not found: " + fileName_);
    throw Error::runtime(48);
}

void* Library::symbol(std::string_view name)
{
    std::lock_guard lock(mutex_);
    if (const auto found = symbols_.find(name); found != symbols_.end())
        return found->second;
    if (handle_ == nullptr)
        load();
    const std::string key(name);
    dlerror();
    void* address = dlsym(handle_, key.c_str());
    if (address == nullptr)
        throw Error(453, std::string(RuntimeSource),
                    "Specified DLL function not found: " + key + " in " + fileName_);
    symbols_.emplace(key, address);
    return address;
}

} // namespace platform::dll
