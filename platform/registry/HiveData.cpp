#include "platform/registry/HiveData.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "platform/runtime/Convert.h"

namespace platform::registry {

Value Value::string(std::string_view text)
{
    Value v;
    v.type = RegSz;
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return v;
}

Value Value::dword(std::uint32_t number)
{
    Value v;
    v.type = RegDword;
    v.data = {static_cast<std::uint8_t>(number & 0xFF), static_cast<std::uint8_t>((number >> 8) & 0xFF),
              static_cast<std::uint8_t>((number >> 16) & 0xFF), static_cast<std::uint8_t>((number >> 24) & 0xFF)};
    return v;
}

Value Value::binary(std::vector<std::uint8_t> bytes)
{
    Value v;
    v.type = RegBinary;
    v.data = std::move(bytes);
    return v;
}

} // namespace platform::registry

namespace platform::registry::detail {

namespace {

constexpr std::string_view kHeader = "Tessaray registry hive 1";

std::string escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"') {
            out += "\\\"";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (u < 0x20 || u == 0x7F) {
            std::array<char, 8> buf{};
            std::snprintf(buf.data(), buf.size(), "\\x%02X", u);
            out += buf.data();
        } else {
            out += c;
        }
    }
    return out;
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> readQuoted(std::string_view text, std::size_t& pos)
{
    if (pos >= text.size() || text[pos] != '"') {
        return std::nullopt;
    }
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= text.size()) {
            return std::nullopt;
        }
        switch (text[pos]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 'x': {
            if (pos + 2 >= text.size()) {
                return std::nullopt;
            }
            const int hi = platform::rt::HexDigitValue(text[pos + 1]);
            const int lo = platform::rt::HexDigitValue(text[pos + 2]);
            if (hi < 0 || lo < 0) {
                return std::nullopt;
            }
            out += static_cast<char>(hi * 16 + lo);
            pos += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

std::string hexBytes(const std::vector<std::uint8_t>& data)
{
    std::string out;
    out.reserve(data.size() * 3);
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::array<char, 4> buf{};
        std::snprintf(buf.data(), buf.size(), "%02x", data[i]);
        if (i > 0) {
            out += ',';
        }
        out += buf.data();
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> parseHexBytes(std::string_view text)
{
    std::vector<std::uint8_t> out;
    if (text.empty()) {
        return out;
    }
    std::size_t pos = 0;
    for (;;) {
        if (pos + 2 > text.size()) {
            return std::nullopt;
        }
        const int hi = platform::rt::HexDigitValue(text[pos]);
        const int lo = platform::rt::HexDigitValue(text[pos + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        pos += 2;
        if (pos == text.size()) {
            return out;
        }
        if (text[pos] != ',') {
            return std::nullopt;
        }
        ++pos;
    }
}

bool isPlainString(const Value& v)
{
    if (v.type != RegSz || v.data.empty() || v.data.back() != 0) {
        return false;
    }
    for (std::size_t i = 0; i + 1 < v.data.size(); ++i) {
        if (v.data[i] == 0) {
            return false;
        }
    }
    return true;
}

std::string valueText(const Value& v)
{
    if (isPlainString(v)) {
        return "\"" + escape(std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1)) + "\"";
    }
    if (v.type == RegDword && v.data.size() == 4) {
        const std::uint32_t n = static_cast<std::uint32_t>(v.data[0]) | (static_cast<std::uint32_t>(v.data[1]) << 8) |
                                (static_cast<std::uint32_t>(v.data[2]) << 16) |
                                (static_cast<std::uint32_t>(v.data[3]) << 24);
        std::array<char, 16> buf{};
        std::snprintf(buf.data(), buf.size(), "dword:%08x", n);
        return buf.data();
    }
    if (v.type == RegBinary) {
        return "hex:" + hexBytes(v.data);
    }
    return "hex(" + std::to_string(v.type) + "):" + hexBytes(v.data);
}

std::optional<Value> parseValue(std::string_view text)
{
    if (!text.empty() && text.front() == '"') {
        std::size_t pos = 0;
        auto s = readQuoted(text, pos);
        if (!s || pos != text.size()) {
            return std::nullopt;
        }
        return Value::string(*s);
    }
    if (text.starts_with("dword:")) {
        const std::string_view digits = text.substr(6);
        std::uint32_t n = 0;
        const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n, 16);
        if (ec != std::errc() || ptr != digits.data() + digits.size() || digits.size() != 8) {
            return std::nullopt;
        }
        return Value::dword(n);
    }
    if (text.starts_with("hex:")) {
        auto bytes = parseHexBytes(text.substr(4));
        if (!bytes) {
            return std::nullopt;
        }
        return Value::binary(std::move(*bytes));
    }
    if (text.starts_with("hex(")) {
        const std::size_t close = text.find("):");
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view digits = text.substr(4, close - 4);
        std::uint32_t type = 0;
        const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), type, 10);
        if (ec != std::errc() || ptr != digits.data() + digits.size()) {
            return std::nullopt;
        }
        auto bytes = parseHexBytes(text.substr(close + 2));
        if (!bytes) {
            return std::nullopt;
        }
        Value v;
        v.type = type;
        v.data = std::move(*bytes);
        return v;
    }
    return std::nullopt;
}

} // namespace

std::string foldCase(std::string_view name)
{
    std::string out(name);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::optional<std::string> normalisePath(std::string_view path)
{
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            if (!out.empty()) {
                out += '\\';
            }
            out.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
    if (out.empty()) {
        return std::nullopt;
    }
    return out;
}

bool HiveData::hasKey(const std::string& path) const
{
    return m_keys.contains(foldCase(path));
}

bool HiveData::createKey(const std::string& path)
{
    bool created = false;
    std::string prefix;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        prefix = path.substr(0, end);
        const auto [it, inserted] = m_keys.try_emplace(foldCase(prefix));
        if (inserted) {
            it->second.path = prefix;
            created = true;
        }
        start = end + 1;
    }
    return created;
}

const NamedValue* HiveData::value(const std::string& path, std::string_view name) const
{
    const auto key = m_keys.find(foldCase(path));
    if (key == m_keys.end()) {
        return nullptr;
    }
    const auto it = key->second.values.find(foldCase(name));
    return it == key->second.values.end() ? nullptr : &it->second;
}

void HiveData::setValue(const std::string& path, std::string_view name, const Value& value)
{
    KeyData& key = m_keys.at(foldCase(path));
    auto [it, inserted] = key.values.try_emplace(foldCase(name));
    if (inserted) {
        it->second.name = std::string(name);
    }
    it->second.value = value;
}

bool HiveData::deleteValue(const std::string& path, std::string_view name)
{
    const auto key = m_keys.find(foldCase(path));
    return key != m_keys.end() && key->second.values.erase(foldCase(name)) > 0;
}

bool HiveData::deleteKey(const std::string& path)
{
    const std::string folded = foldCase(path);
    if (!m_keys.contains(folded)) {
        return false;
    }
    const std::string below = folded + "\\";
    for (auto it = m_keys.begin(); it != m_keys.end();) {
        if (it->first == folded || it->first.starts_with(below)) {
            it = m_keys.erase(it);
        } else {
            ++it;
        }
    }
    return true;
}

std::string HiveData::toText() const
{
    std::string out(kHeader);
    out += '\n';
    for (const auto& [folded, key] : m_keys) {
        out += "\n[" + key.path + "]\n";
        for (const auto& [foldedName, nv] : key.values) {
            out += nv.name.empty() ? std::string("@") : "\"" + escape(nv.name) + "\"";
            out += '=';
            out += valueText(nv.value);
            out += '\n';
        }
    }
    return out;
}

std::optional<HiveData> HiveData::fromText(std::string_view text)
{
    HiveData hive;
    if (text.empty()) {
        return hive;
    }
    std::string current;
    bool headerSeen = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!headerSeen) {
            if (line != kHeader) {
                return std::nullopt;
            }
            headerSeen = true;
            continue;
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                return std::nullopt;
            }
            auto path = normalisePath(line.substr(1, line.size() - 2));
            if (!path) {
                return std::nullopt;
            }
            current = *path;
            hive.createKey(current);
            // A parent listed after its child keeps its own spelling.
            hive.m_keys[foldCase(current)].path = current;
            continue;
        }
        if (current.empty()) {
            return std::nullopt;
        }
        std::string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else {
            auto quoted = readQuoted(line, pos);
            if (!quoted) {
                return std::nullopt;
            }
            name = std::move(*quoted);
        }
        if (pos >= line.size() || line[pos] != '=') {
            return std::nullopt;
        }
        auto value = parseValue(line.substr(pos + 1));
        if (!value) {
            return std::nullopt;
        }
        hive.setValue(current, name, *value);
    }
    if (!headerSeen) {
        return std::nullopt;
    }
    return hive;
}

} // namespace platform::registry::detail
