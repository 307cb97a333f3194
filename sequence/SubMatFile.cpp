#include "sequence/SubMatFile.h"

#include <fstream>

#include "platform/errors/Error.h"

namespace sequence {

namespace {

constexpr std::int32_t NameBytes = 30;

std::string source(SubMatKind kind)
{
    return kind == SubMatKind::AminoAcid ? "ReadAASubMat" : "ReadNucSubMat";
}

std::filesystem::path programFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        return std::filesystem::current_path(ec);
    }
    return exe.parent_path();
}

} // namespace

std::string SubMatFileName(SubMatKind kind)
{
    return kind == SubMatKind::AminoAcid ? "AASubMat.Bin" : "NucSubMat.Bin";
}

std::int32_t SubMatRecordLength(SubMatKind kind)
{
    return kind == SubMatKind::AminoAcid ? 1260 : 540;
}

std::int32_t SubMatValueCount(SubMatKind kind)
{
    return kind == SubMatKind::AminoAcid ? 300 : 120;
}

std::string SubMatAlphabet(SubMatKind kind, bool hasStop)
{
    if (kind == SubMatKind::Nucleotide) {
        return "ACGTRYMWSKDHVBN";
    }
    return hasStop ? "ARNDCQEGHILKMFPSTWYVBZX*" : "ARNDCQEGHILKMFPSTWYVBZX";
}

std::filesystem::path SubMatFilePath(SubMatKind kind)
{
    return programFolder() / SubMatFileName(kind);
}

SubMatRecord ReadSubMatRecord(const std::filesystem::path& file, SubMatKind kind, std::int32_t index,
                              bool hasStop)
{
    const std::string src = source(kind);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        throw platform::Error(platform::err::FileNotFound, src,
                              "The binary file '" + SubMatFileName(kind) + "' was not found: " + file.string());
    }
    if (index < 0) {
        throw platform::Error(63, src, "Bad record number: matrix " + std::to_string(index) + ".");
    }
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    const std::int64_t valueCount = SubMatValueCount(kind);
    const std::int64_t start = static_cast<std::int64_t>(index) * SubMatRecordLength(kind);
    const std::int64_t needed = start + NameBytes + 4 * valueCount;
    if (ec || static_cast<std::int64_t>(size) < needed) {
        const std::int64_t whole = ec ? 0 : static_cast<std::int64_t>(size) / SubMatRecordLength(kind);
        throw platform::Error(platform::err::InputPastEnd, src,
                              "Input past end of file: '" + file.string() + "' holds " + std::to_string(whole) +
                                  " whole matrices and ends before matrix " + std::to_string(index) + ".");
    }
    std::ifstream in(file, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(NameBytes + 4 * valueCount), '\0');
    if (in) {
        in.seekg(start);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    if (!in) {
        throw platform::Error(platform::err::PathFileAccess, src,
                              "Path/File access error: '" + file.string() + "' cannot be read.");
    }
    SubMatRecord record;
    record.name = bytes.substr(0, NameBytes);
    record.name.erase(record.name.find_last_not_of(' ') + 1);
    record.alphabet = SubMatAlphabet(kind, hasStop);
    record.values.resize(static_cast<std::size_t>(valueCount));
    for (std::size_t v = 0; v < record.values.size(); ++v) {
        std::uint32_t u = 0;
        for (int b = 3; b >= 0; --b) {
            u = (u << 8) | static_cast<unsigned char>(bytes[NameBytes + 4 * v + static_cast<std::size_t>(b)]);
        }
        record.values[v] = static_cast<std::int32_t>(u);
    }
    return record;
}

std::string EncodeSubMatRecord(SubMatKind kind, const std::string& name, const std::vector<std::int32_t>& values)
{
    std::string bytes(static_cast<std::size_t>(SubMatRecordLength(kind)), '\0');
    std::string padded = name.substr(0, NameBytes);
    padded.resize(NameBytes, ' ');
    bytes.replace(0, NameBytes, padded);
    const std::size_t count = std::min(values.size(), static_cast<std::size_t>(SubMatValueCount(kind)));
    for (std::size_t v = 0; v < count; ++v) {
        auto u = static_cast<std::uint32_t>(values[v]);
        for (int b = 0; b < 4; ++b) {
            bytes[NameBytes + 4 * v + static_cast<std::size_t>(b)] = static_cast<char>(u & 0xFF);
            u >>= 8;
        }
    }
    return bytes;
}

} // namespace sequence
