#include "platform/runtime/FileNumbers.h"

#include <fstream>
#include <sstream>

#include "platform/errors/Error.h"

namespace platform::rt {

struct FileNumbers::Entry {
    FileMode mode;
    std::fstream stream;
};

FileNumbers::FileNumbers() = default;
FileNumbers::~FileNumbers() = default;

int FileNumbers::FreeFile() const
{
    for (int n = 1; n <= MaxNumber; ++n) {
        if (!m_entries[n]) {
            return n;
        }
    }
    throw Error::runtime(err::TooManyFiles, "FreeFile");
}

void FileNumbers::Open(const std::filesystem::path& path, FileMode mode, int number)
{
    if (number < 1 || number > MaxNumber) {
        throw Error::runtime(err::BadFileNumber, "Open");
    }
    if (m_entries[number]) {
        throw Error::runtime(err::FileAlreadyOpen, "Open");
    }
    std::error_code ec;
    const auto parent = path.parent_path();
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) {
        throw Error::runtime(err::PathNotFound, "Open");
    }
    if (std::filesystem::is_directory(path, ec)) {
        throw Error::runtime(err::PathFileAccess, "Open");
    }
    auto e = std::make_unique<Entry>();
    e->mode = mode;
    switch (mode) {
    case FileMode::Input:
        if (!std::filesystem::exists(path, ec)) {
            throw Error::runtime(err::FileNotFound, "Open");
        }
        e->stream.open(path, std::ios::in | std::ios::binary);
        break;
    case FileMode::Output:
        e->stream.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
        break;
    case FileMode::Append:
        e->stream.open(path, std::ios::out | std::ios::app | std::ios::binary);
        break;
    case FileMode::Binary:
        if (!std::filesystem::exists(path, ec)) {
            std::ofstream(path, std::ios::binary).close();
        }
        e->stream.open(path, std::ios::in | std::ios::out | std::ios::binary);
        break;
    }
    if (!e->stream.is_open()) {
        throw Error::runtime(mode == FileMode::Input ? err::PermissionDenied : err::PathFileAccess, "Open");
    }
    m_entries[number] = std::move(e);
}

FileNumbers::Entry& FileNumbers::entry(int number)
{
    if (number < 1 || number > MaxNumber || !m_entries[number]) {
        throw Error::runtime(err::BadFileNumber);
    }
    return *m_entries[number];
}

void FileNumbers::Close(int number)
{
    if (number >= 1 && number <= MaxNumber) {
        m_entries[number].reset();
    }
}

void FileNumbers::CloseAll()
{
    for (auto& e : m_entries) {
        e.reset();
    }
}

bool FileNumbers::IsOpen(int number) const
{
    return number >= 1 && number <= MaxNumber && m_entries[number] != nullptr;
}

int FileNumbers::OpenCount() const
{
    int count = 0;
    for (const auto& e : m_entries) {
        count += e ? 1 : 0;
    }
    return count;
}

void FileNumbers::Write(int number, std::string_view text)
{
    Entry& e = entry(number);
    if (e.mode == FileMode::Input) {
        throw Error::runtime(err::BadFileMode);
    }
    e.stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    e.stream.flush();
    if (!e.stream) {
        throw Error::runtime(err::DeviceIO);
    }
}

void FileNumbers::PrintLine(int number, std::string_view text)
{
    Write(number, std::string(text) + "\r\n");
}

std::string FileNumbers::LineInput(int number)
{
    Entry& e = entry(number);
    if (e.mode == FileMode::Output || e.mode == FileMode::Append) {
        throw Error::runtime(err::BadFileMode);
    }
    if (e.stream.peek() == std::char_traits<char>::eof()) {
        throw Error::runtime(err::InputPastEnd);
    }
    std::string line;
    for (;;) {
        const int c = e.stream.get();
        if (c == std::char_traits<char>::eof() || c == '\n') {
            break;
        }
        if (c == '\r') {
            if (e.stream.peek() == '\n') {
                e.stream.get();
            }
            break;
        }
        line.push_back(static_cast<char>(c));
    }
    e.stream.clear();
    return line;
}

bool FileNumbers::Eof(int number)
{
    Entry& e = entry(number);
    const bool atEnd = e.stream.peek() == std::char_traits<char>::eof();
    e.stream.clear();
    return atEnd;
}

std::string FileNumbers::ReadAll(int number)
{
    Entry& e = entry(number);
    if (e.mode == FileMode::Output || e.mode == FileMode::Append) {
        throw Error::runtime(err::BadFileMode);
    }
    std::ostringstream out;
    out << e.stream.rdbuf();
    e.stream.clear();
    return out.str();
}

FileNumbers& Files()
{
    static FileNumbers table;
    return table;
}

} // namespace platform::rt
