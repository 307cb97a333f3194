#pragma once

// The settings registry: two hives (machine and user) of keys that hold typed
// values (strings, 32-bit numbers, binary data).
//
// Key paths are separated by "\"; key and value names compare without regard
// to ASCII case and keep the spelling they were created with. The empty value
// name is the key's default value. Every operation answers a result code with
// the system's numbers: 0 success, 2 not found, 5 access denied, 1009 the hive
// file is unreadable (corrupt), 87 invalid parameter. Operations never throw.
//
// Access: a key is opened with an access mask; reading a value needs the
// query bit (0x0001, part of KeyRead), writing needs the set bit (0x0002, part
// of KeyWrite). Opening a missing key creates it (and its parents), which
// needs a writable hive. A hive that cannot be written (no rights to its
// folder or file) answers 5 to every opening with write access and to every
// creation.
//
// Two implementations: FileRegistry keeps each hive in a text file of its
// folder (see FileRegistry.h), MemoryRegistry keeps them in memory for tests.
// registry::current() is the one in force: the file registry in the folder
// given by $TESSARAY_REGISTRY_DIR (default $XDG_CONFIG_HOME/tessaray/registry),
// or whatever a ScopedRegistry installed.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

enum class Hive : std::uint8_t {
    LocalMachine = 0,
    CurrentUser = 1,
    Count
};
static_assert(static_cast<int>(Hive::Count) == 2, "one hive file per hive; see hiveFileName()");

// Access masks.
inline constexpr std::uint32_t KeyQueryValue = 0x0001;
inline constexpr std::uint32_t KeySetValue = 0x0002;
inline constexpr std::uint32_t KeyRead = 0x20019;
inline constexpr std::uint32_t KeyWrite = 0x20006;

// Value types.
inline constexpr std::uint32_t RegSz = 1;
inline constexpr std::uint32_t RegBinary = 3;
inline constexpr std::uint32_t RegDword = 4;

// Result codes.
namespace code {
inline constexpr long Success = 0;
inline constexpr long NotFound = 2;
inline constexpr long AccessDenied = 5;
inline constexpr long InvalidParameter = 87;
inline constexpr long MoreData = 234;
inline constexpr long BadDatabase = 1009;
} // namespace code

struct Value {
    std::uint32_t type = RegSz;
    std::vector<std::uint8_t> data;

    // A REG_SZ: the UTF-8 text and its terminating zero byte.
    [[nodiscard]] static Value string(std::string_view text);
    // A REG_DWORD: 4 bytes, least significant first.
    [[nodiscard]] static Value dword(std::uint32_t number);
    [[nodiscard]] static Value binary(std::vector<std::uint8_t> bytes);

    friend bool operator==(const Value&, const Value&) = default;
};

// An open key. Holds no resource: the hive is read and written per operation.
struct Key {
    Hive hive = Hive::LocalMachine;
    std::string path;
    std::uint32_t access = 0;
    bool open = false;
};

class Registry {
public:
    virtual ~Registry() = default;

    // Opens `path` under `hive` with `access`, creating it and its parents
    // when missing.
    [[nodiscard]] virtual long createKey(Hive hive, std::string_view path, std::uint32_t access, Key& out) = 0;
    // Opens an existing key; NotFound when it is missing.
    [[nodiscard]] virtual long openKey(Hive hive, std::string_view path, std::uint32_t access, Key& out) = 0;
    // Reads a value: Success and the value, or NotFound (missing key or value).
    [[nodiscard]] virtual long queryValue(const Key& key, std::string_view name, Value& out) = 0;
    [[nodiscard]] virtual long setValue(const Key& key, std::string_view name, const Value& value) = 0;
    [[nodiscard]] virtual long deleteValue(const Key& key, std::string_view name) = 0;
    // Removes a key with all its subkeys and values; NotFound when missing.
    [[nodiscard]] virtual long deleteKey(Hive hive, std::string_view path) = 0;
};

// The folder of the hive files: $TESSARAY_REGISTRY_DIR when set and not
// empty, else $XDG_CONFIG_HOME/tessaray/registry ($HOME/.config when
// XDG_CONFIG_HOME is unset).
[[nodiscard]] std::filesystem::path defaultFolder();

// The installation's own hive folder, shared by every user of the program:
// $TESSARAY_MACHINE_REGISTRY_DIR when set and not empty, else
// "../share/tessaray/registry" beside the folder of the running program (so
// "build/share/tessaray/registry" for a program in "build/bin"), so that
// separate build trees and installations on one machine keep their own. Only
// its machine hive is used: the class registrations made when the program
// was built or installed, read after those of the registry in force.
[[nodiscard]] std::filesystem::path machineWideFolder();

// The registry in force.
[[nodiscard]] Registry& current();

// Installs a registry for the lifetime of the object and restores the previous one.
class ScopedRegistry {
public:
    explicit ScopedRegistry(Registry& registry);
    ~ScopedRegistry();
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;

private:
    Registry* m_previous;
};

} // namespace platform::registry
