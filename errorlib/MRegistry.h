#pragma once

// The library's layer over the registry: each failing call raises
// platform::Error numbered with the registry's result code (2 not found,
// 5 access denied, ...).

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry/Registry.h"

namespace rampart::MRegistry {

// An open key; closing is the end of the object.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(platform::registry::Key key) : m_key(std::move(key)) {}
    [[nodiscard]] const platform::registry::Key& key() const { return m_key; }

private:
    platform::registry::Key m_key;
};

// Opens the key, creating it when missing.
[[nodiscard]] RegKey OpenRegKey(platform::registry::Hive root, std::string_view path, std::uint32_t access);

[[nodiscard]] bool RegValueExists(const RegKey& key, std::string_view name);

// True when the stored value is "clear": a DWORD 0, empty binary data, an
// empty text, or a value of any other type. Raises 2 for a missing value.
// Callers negate it to read a switch.
[[nodiscard]] bool IsRegValueClear(const RegKey& key, std::string_view name);

// The stored REG_DWORD of 4 bytes, else `fallback`.
[[nodiscard]] std::int32_t GetRegLong(const RegKey& key, std::string_view name, std::int32_t fallback);
void SetRegLong(const RegKey& key, std::string_view name, std::int32_t value);

// The stored REG_SZ (up to its first zero), else `fallback`.
[[nodiscard]] std::string GetRegString(const RegKey& key, std::string_view name, const std::string& fallback);
void SetRegString(const RegKey& key, std::string_view name, std::string_view text);

} // namespace rampart::MRegistry
