#pragma once

// A small reader of enhanced-metafile records for the tests: the header's
// fields and the list of records with their types, sizes and bytes.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testemf {

inline std::uint32_t u32(const std::string& b, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

inline std::int32_t i32(const std::string& b, std::size_t at)
{
    return static_cast<std::int32_t>(u32(b, at));
}

struct Record {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::size_t offset = 0;
};

struct EmfFile {
    std::string bytes;
    std::vector<Record> records;
    bool wellFormed = false;  // every record inside the file, sizes multiples of 4

    [[nodiscard]] std::int32_t frame(int i) const { return i32(bytes, 24 + 4 * static_cast<std::size_t>(i)); }
    [[nodiscard]] std::int32_t bounds(int i) const { return i32(bytes, 8 + 4 * static_cast<std::size_t>(i)); }
    [[nodiscard]] std::uint32_t signature() const { return u32(bytes, 40); }
    [[nodiscard]] std::uint32_t nBytes() const { return u32(bytes, 48); }
    [[nodiscard]] std::uint32_t nRecords() const { return u32(bytes, 52); }
    [[nodiscard]] std::uint16_t nHandles() const
    {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[56]) |
                                          (static_cast<unsigned char>(bytes[57]) << 8));
    }
    [[nodiscard]] std::u16string description() const
    {
        const std::uint32_t n = u32(bytes, 60);
        const std::uint32_t off = u32(bytes, 64);
        std::u16string s;
        for (std::uint32_t i = 0; i < n; ++i) {
            s.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[off + 2 * i]) |
                                              (static_cast<unsigned char>(bytes[off + 2 * i + 1]) << 8)));
        }
        return s;
    }
    [[nodiscard]] std::size_t count(std::uint32_t type) const
    {
        std::size_t n = 0;
        for (const Record& r : records) {
            n += r.type == type ? 1 : 0;
        }
        return n;
    }
    [[nodiscard]] const Record* first(std::uint32_t type) const
    {
        for (const Record& r : records) {
            if (r.type == type) {
                return &r;
            }
        }
        return nullptr;
    }
};

inline EmfFile parse(std::string bytes)
{
    EmfFile f;
    f.bytes = std::move(bytes);
    std::size_t at = 0;
    f.wellFormed = f.bytes.size() >= 108;
    while (f.wellFormed && at + 8 <= f.bytes.size()) {
        Record r{u32(f.bytes, at), u32(f.bytes, at + 4), at};
        if (r.size < 8 || r.size % 4 != 0 || at + r.size > f.bytes.size()) {
            f.wellFormed = false;
            break;
        }
        f.records.push_back(r);
        at += r.size;
    }
    f.wellFormed = f.wellFormed && at == f.bytes.size();
    return f;
}

} // namespace testemf
