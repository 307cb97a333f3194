#include "platform/registry/Registry.h"

#include <atomic>
#include <cstdlib>

#include "platform/registry/FileRegistry.h"
#include "platform/registry/HiveData.h"

namespace platform::registry {

namespace {

// Creating a subkey is the third access bit.
constexpr std::uint32_t KeyCreateSubKey = 0x0004;

constexpr long KeyDeleted = 1018;

std::atomic<Registry*>& installed()
{
    static std::atomic<Registry*> registry{nullptr};
    return registry;
}

std::string envOrEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

std::filesystem::path defaultFolder()
{
    if (const std::string dir = envOrEmpty("TESSARAY_REGISTRY_DIR"); !dir.empty()) {
        return dir;
    }
    std::filesystem::path config = envOrEmpty("XDG_CONFIG_HOME");
    if (config.empty() || config.is_relative()) {
        const std::string home = envOrEmpty("HOME");
        config = std::filesystem::path(home.empty() ? std::string("/tmp") : home) / ".config";
    }
    return config / "tessaray" / "registry";
}

std::filesystem::path machineWideFolder()
{
    if (const std::string dir = envOrEmpty("TESSARAY_MACHINE_REGISTRY_DIR"); !dir.empty()) {
        return dir;
    }
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || program.empty()) {
        return {};
    }
    return program.parent_path().parent_path() / "share" / "tessaray" / "registry";
}

Registry& current()
{
    if (Registry* r = installed().load()) {
        return *r;
    }
    static FileRegistry files;
    return files;
}

ScopedRegistry::ScopedRegistry(Registry& registry) : m_previous(installed().exchange(&registry)) {}

ScopedRegistry::~ScopedRegistry()
{
    installed().store(m_previous);
}

namespace detail {

long HiveRegistry::createKey(Hive hive, std::string_view path, std::uint32_t access, Key& out)
{
    out = Key{};
    const auto norm = normalisePath(path);
    if (!norm || hive >= Hive::Count) {
        return code::InvalidParameter;
    }
    const bool writable = isWritable(hive);
    if ((access & (KeySetValue | KeyCreateSubKey)) != 0 && !writable) {
        return code::AccessDenied;
    }
    const Body body = [&](HiveData& data, bool& changed) {
        if (data.hasKey(*norm)) {
            return code::Success;
        }
        if (!writable) {
            return code::AccessDenied;
        }
        changed = data.createKey(*norm);
        return code::Success;
    };
    const long rc = writable ? write(hive, body) : read(hive, body);
    if (rc == code::Success) {
        out = Key{hive, *norm, access, true};
    }
    return rc;
}

long HiveRegistry::openKey(Hive hive, std::string_view path, std::uint32_t access, Key& out)
{
    out = Key{};
    const auto norm = normalisePath(path);
    if (!norm || hive >= Hive::Count) {
        return code::InvalidParameter;
    }
    if ((access & (KeySetValue | KeyCreateSubKey)) != 0 && !isWritable(hive)) {
        return code::AccessDenied;
    }
    const long rc = read(hive, [&](HiveData& data, bool&) { return data.hasKey(*norm) ? code::Success : code::NotFound; });
    if (rc == code::Success) {
        out = Key{hive, *norm, access, true};
    }
    return rc;
}

long HiveRegistry::queryValue(const Key& key, std::string_view name, Value& out)
{
    if (!key.open || (key.access & KeyQueryValue) == 0) {
        return code::AccessDenied;
    }
    return read(key.hive, [&](HiveData& data, bool&) {
        const NamedValue* found = data.value(key.path, name);
        if (found == nullptr) {
            return code::NotFound;
        }
        out = found->value;
        return code::Success;
    });
}

long HiveRegistry::setValue(const Key& key, std::string_view name, const Value& value)
{
    if (!key.open || (key.access & KeySetValue) == 0 || !isWritable(key.hive)) {
        return code::AccessDenied;
    }
    return write(key.hive, [&](HiveData& data, bool& changed) {
        if (!data.hasKey(key.path)) {
            return KeyDeleted;
        }
        const NamedValue* old = data.value(key.path, name);
        if (old != nullptr && old->value == value) {
            return code::Success;
        }
        data.setValue(key.path, name, value);
        changed = true;
        return code::Success;
    });
}

long HiveRegistry::deleteValue(const Key& key, std::string_view name)
{
    if (!key.open || (key.access & KeySetValue) == 0 || !isWritable(key.hive)) {
        return code::AccessDenied;
    }
    return write(key.hive, [&](HiveData& data, bool& changed) {
        changed = data.deleteValue(key.path, name);
        return changed ? code::Success : code::NotFound;
    });
}

long HiveRegistry::deleteKey(Hive hive, std::string_view path)
{
    const auto norm = normalisePath(path);
    if (!norm || hive >= Hive::Count) {
        return code::InvalidParameter;
    }
    if (!isWritable(hive)) {
        return code::AccessDenied;
    }
    return write(hive, [&](HiveData& data, bool& changed) {
        changed = data.deleteKey(*norm);
        return changed ? code::Success : code::NotFound;
    });
}

} // namespace detail

} // namespace platform::registry
