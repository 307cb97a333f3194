#include "errorlib/MRegistry.h"

#include "platform/errors/Error.h"

namespace rampart::MRegistry {

namespace reg = platform::registry;

namespace {

[[noreturn]] void raise(long code)
{
    const auto number = static_cast<std::int32_t>(code);
    throw platform::Error(number, "Rampart", platform::StandardDescription(number));
}

// Reads the value; false when it does not exist. Other failures raise.
bool probe(const RegKey& key, std::string_view name, reg::Value& out)
{
    const long rc = reg::current().queryValue(key.key(), name, out);
    if (rc == reg::code::Success || rc == reg::code::MoreData) {
        return true;
    }
    if (rc == reg::code::NotFound) {
        return false;
    }
    raise(rc);
}

} // namespace

RegKey OpenRegKey(reg::Hive root, std::string_view path, std::uint32_t access)
{
    reg::Key key;
    const long rc = reg::current().createKey(root, path, access, key);
    if (rc != reg::code::Success) {
        raise(rc);
    }
    return RegKey(key);
}

bool RegValueExists(const RegKey& key, std::string_view name)
{
    reg::Value v;
    return probe(key, name, v);
}

bool IsRegValueClear(const RegKey& key, std::string_view name)
{
    reg::Value v;
    if (!probe(key, name, v)) {
        raise(reg::code::NotFound);
    }
    switch (v.type) {
    case reg::RegDword: return v.data.size() != 4 || (v.data[0] | v.data[1] | v.data[2] | v.data[3]) == 0;
    case reg::RegBinary: return v.data.empty();
    case reg::RegSz: return v.data.empty() || v.data.front() == 0;
    default: return true;
    }
}

std::int32_t GetRegLong(const RegKey& key, std::string_view name, std::int32_t fallback)
{
    reg::Value v;
    if (!probe(key, name, v) || v.type != reg::RegDword || v.data.size() != 4) {
        return fallback;
    }
    const std::uint32_t n = static_cast<std::uint32_t>(v.data[0]) | (static_cast<std::uint32_t>(v.data[1]) << 8) |
                            (static_cast<std::uint32_t>(v.data[2]) << 16) |
                            (static_cast<std::uint32_t>(v.data[3]) << 24);
    return static_cast<std::int32_t>(n);
}

void SetRegLong(const RegKey& key, std::string_view name, std::int32_t value)
{
    const long rc = reg::current().setValue(key.key(), name, reg::Value::dword(static_cast<std::uint32_t>(value)));
    if (rc != reg::code::Success) {
        raise(rc);
    }
}

std::string GetRegString(const RegKey& key, std::string_view name, const std::string& fallback)
{
    reg::Value v;
    if (!probe(key, name, v) || v.type != reg::RegSz) {
        return fallback;
    }
    std::string text(v.data.begin(), v.data.end());
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        text.resize(zero);
    }
    return text;
}

void SetRegString(const RegKey& key, std::string_view name, std::string_view text)
{
    const long rc = reg::current().setValue(key.key(), name, reg::Value::string(text));
    if (rc != reg::code::Success) {
        raise(rc);
    }
}

} // namespace rampart::MRegistry
