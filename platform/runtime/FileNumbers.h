#pragma once

// Numbered files: the run-time's Open / Print # / Line Input # / Close by
// file number. One table per process; the error reporter closes every open
// file after each report, so a retried statement that used a number meets
// error 52 (bad file name or number).
//
// Errors: 52 number not open or out of 1..511, 55 number already open,
// 53 file not found (Input), 76 path not found, 75 path/file access error,
// 54 bad file mode (writing to an Input file or reading an Output file),
// 62 input past end of file, 67 too many files.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace platform::rt {

enum class FileMode { Input, Output, Append, Binary };

class FileNumbers {
public:
    static constexpr int MaxNumber = 511;

    FileNumbers();
    ~FileNumbers();
    FileNumbers(const FileNumbers&) = delete;
    FileNumbers& operator=(const FileNumbers&) = delete;

    // The lowest number not in use.
    [[nodiscard]] int FreeFile() const;
    void Open(const std::filesystem::path& path, FileMode mode, int number);
    void Close(int number);
    void CloseAll();
    [[nodiscard]] bool IsOpen(int number) const;
    [[nodiscard]] int OpenCount() const;

    // Print #number, text: the text and CR LF.
    void PrintLine(int number, std::string_view text);
    // Print #number, text; : the text without a line end.
    void Write(int number, std::string_view text);
    // Line Input #number: the next line without its CR, LF or CR LF.
    [[nodiscard]] std::string LineInput(int number);
    [[nodiscard]] bool Eof(int number);
    // The whole remaining content (Input or Binary).
    [[nodiscard]] std::string ReadAll(int number);

private:
    struct Entry;
    Entry& entry(int number);
    std::unique_ptr<Entry> m_entries[MaxNumber + 1];
};

// The process-wide table.
[[nodiscard]] FileNumbers& Files();

} // namespace platform::rt
