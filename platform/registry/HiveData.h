#pragma once

// The contents of one hive and its text form, shared by the file and the
// memory registries.
//
// Text form (UTF-8, LF line ends; CR LF is read too):
//
//     Tessaray registry hive 1
//
//     [Software\Classes\CLSID\{...}\InprocServer32]
//     @="/opt/tessaray/lib/librampart6.so"
//     "ThreadingModel"="Apartment"
//     "Trace"=dword:00000001
//     "Blob"=hex:01,ff,00
//     "Odd"=hex(7):41,00
//
// Strings escape "\" as \\, '"' as \", CR as \r, LF as \n and other control
// characters as \xHH. A REG_SZ whose data is not text plus one terminating
// zero, a DWORD that is not 4 bytes and any other type are written as hex(N).
// Lines starting with ";" are comments.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/Registry.h"

namespace platform::registry::detail {

// Lower-cases ASCII letters; the comparison form of key and value names.
[[nodiscard]] std::string foldCase(std::string_view name);

// "a\\b\" -> "a\b": drops empty components. nullopt for an empty path.
[[nodiscard]] std::optional<std::string> normalisePath(std::string_view path);

struct NamedValue {
    std::string name;
    Value value;
};

struct KeyData {
    std::string path;                          // as first created
    std::map<std::string, NamedValue> values;  // by folded name
};

class HiveData {
public:
    [[nodiscard]] bool hasKey(const std::string& path) const;
    // Creates the key and its parents; true when something was created.
    bool createKey(const std::string& path);
    [[nodiscard]] const NamedValue* value(const std::string& path, std::string_view name) const;
    // The key must exist.
    void setValue(const std::string& path, std::string_view name, const Value& value);
    bool deleteValue(const std::string& path, std::string_view name);
    // Removes the key and everything below it; false when it does not exist.
    bool deleteKey(const std::string& path);

    [[nodiscard]] std::string toText() const;
    // nullopt when the text is not a hive.
    [[nodiscard]] static std::optional<HiveData> fromText(std::string_view text);

private:
    std::map<std::string, KeyData> m_keys;  // by folded path
};

// The registry operations over hives that a subclass reads and writes whole.
class HiveRegistry : public Registry {
public:
    [[nodiscard]] long createKey(Hive hive, std::string_view path, std::uint32_t access, Key& out) override;
    [[nodiscard]] long openKey(Hive hive, std::string_view path, std::uint32_t access, Key& out) override;
    [[nodiscard]] long queryValue(const Key& key, std::string_view name, Value& out) override;
    [[nodiscard]] long setValue(const Key& key, std::string_view name, const Value& value) override;
    [[nodiscard]] long deleteValue(const Key& key, std::string_view name) override;
    [[nodiscard]] long deleteKey(Hive hive, std::string_view path) override;

protected:
    // Runs body on the hive; `changed` tells write() to store the result.
    using Body = std::function<long(HiveData&, bool& changed)>;
    [[nodiscard]] virtual bool isWritable(Hive hive) const = 0;
    [[nodiscard]] virtual long read(Hive hive, const Body& body) const = 0;
    [[nodiscard]] virtual long write(Hive hive, const Body& body) = 0;
};

} // namespace platform::registry::detail
