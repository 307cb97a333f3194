#include "platform/com/Com.h"

#include <map>
#include <mutex>

#include <dlfcn.h>

#include "platform/errors/Error.h"
#include "platform/registry/FileRegistry.h"
#include "platform/registry/Registry.h"

namespace platform::com {

namespace reg = platform::registry;

namespace {

constexpr std::int32_t ErrorInLoadingDll = 48;
constexpr std::int32_t InterfaceNotSupported = 430;

// Loaded libraries by path; never unloaded.
void* loadLibrary(const std::filesystem::path& path)
{
    static std::mutex mutex;
    static std::map<std::string, void*> loaded;
    const std::lock_guard lock(mutex);
    const auto it = loaded.find(path.string());
    if (it != loaded.end()) {
        return it->second;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) {
        loaded.emplace(path.string(), handle);
    }
    return handle;
}

std::string dllError()
{
    const char* text = ::dlerror();
    return text != nullptr ? std::string(text) : std::string();
}

} // namespace

std::string ClassKeyPath(std::string_view clsid)
{
    return "Software\\Classes\\CLSID\\" + std::string(clsid);
}

namespace {

// The library registered for a class in the machine hive of `r`.
std::optional<std::filesystem::path> registeredLibrary(reg::Registry& r, std::string_view clsid)
{
    reg::Key key;
    reg::Value value;
    // A lookup opens without creating, so that asking for a class leaves no key behind.
    if (r.openKey(reg::Hive::LocalMachine, ClassKeyPath(clsid) + "\\InprocServer32", reg::KeyRead, key) !=
            reg::code::Success ||
        r.queryValue(key, "", value) != reg::code::Success || value.type != reg::RegSz || value.data.size() < 2) {
        return std::nullopt;
    }
    std::string path(value.data.begin(), value.data.end());
    path.resize(path.find('\0'));
    if (path.empty()) {
        return std::nullopt;
    }
    return std::filesystem::path(path);
}

} // namespace

std::optional<std::filesystem::path> ServerPath(std::string_view clsid)
{
    const auto own = registeredLibrary(reg::current(), clsid);
    std::error_code ec;
    if (own && std::filesystem::exists(*own, ec)) {
        return own;
    }
    // The installation's registration, made when the program was built or
    // installed; it also stands in for a registration of the user's whose
    // library has gone.
    const std::filesystem::path machineFolder = reg::machineWideFolder();
    if (!machineFolder.empty()) {
        reg::FileRegistry machine(machineFolder);
        if (const auto installed = registeredLibrary(machine, clsid)) {
            return installed;
        }
    }
    return own;
}

void* CreateInstance(std::string_view clsid, std::string_view iid)
{
    const auto path = ServerPath(clsid);
    if (!path) {
        throw Error::runtime(err::CannotCreateObject);
    }
    void* handle = loadLibrary(*path);
    if (handle == nullptr) {
        (void)dllError();
        throw Error::runtime(err::CannotCreateObject);
    }
    auto* create = reinterpret_cast<CreateInstanceFn>(::dlsym(handle, CreateInstanceSymbol));
    if (create == nullptr) {
        throw Error::runtime(err::CannotCreateObject);
    }
    const std::string c(clsid);
    const std::string i(iid);
    void* object = nullptr;
    const std::int32_t rc = create(c.c_str(), i.c_str(), &object);
    if (rc != 0 || object == nullptr) {
        throw Error::runtime(rc == InterfaceNotSupported || rc == err::OutOfMemory ? rc : err::CannotCreateObject);
    }
    return object;
}

long RegisterClass(std::string_view clsid, std::string_view className, const std::filesystem::path& library)
{
    reg::Registry& r = reg::current();
    reg::Key key;
    long rc = r.createKey(reg::Hive::LocalMachine, ClassKeyPath(clsid), reg::KeyWrite, key);
    if (rc == reg::code::Success) {
        rc = r.setValue(key, "", reg::Value::string(className));
    }
    if (rc == reg::code::Success) {
        rc = r.createKey(reg::Hive::LocalMachine, ClassKeyPath(clsid) + "\\InprocServer32", reg::KeyWrite, key);
    }
    if (rc == reg::code::Success) {
        rc = r.setValue(key, "", reg::Value::string(library.string()));
    }
    if (rc == reg::code::Success) {
        rc = r.setValue(key, "ThreadingModel", reg::Value::string("Apartment"));
    }
    return rc;
}

long UnregisterClass(std::string_view clsid)
{
    const long rc = reg::current().deleteKey(reg::Hive::LocalMachine, ClassKeyPath(clsid));
    return rc == reg::code::NotFound ? reg::code::Success : rc;
}

std::filesystem::path ModulePathOf(const void* address)
{
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    std::error_code ec;
    auto path = std::filesystem::absolute(info.dli_fname, ec);
    return ec ? std::filesystem::path(info.dli_fname) : path;
}

std::int32_t RegisterServerLibrary(const std::filesystem::path& library, bool unregister)
{
    void* handle = loadLibrary(std::filesystem::absolute(library));
    if (handle == nullptr) {
        throw Error(ErrorInLoadingDll, std::string(RuntimeSource), StandardDescription(ErrorInLoadingDll) + ": " + dllError());
    }
    auto* fn = reinterpret_cast<RegisterServerFn>(
        ::dlsym(handle, unregister ? UnregisterServerSymbol : RegisterServerSymbol));
    if (fn == nullptr) {
        throw Error::runtime(ErrorInLoadingDll);
    }
    return fn();
}

} // namespace platform::com
