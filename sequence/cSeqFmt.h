#pragma once

// The catalogue of sequence file formats: names and file-name patterns of the
// 22 input formats and the 15 output formats, the file-dialog filters built
// from them, recognition of a file's format from its first 400 bytes, and the
// confirmation of a format the user chose for a file.
//
// Input and output codes are different numbers (FASTA is input 3, output 2).
// Output codes are the writers' format codes; the 0-based position of an
// entry in a filter string is its code.
//
// Detection never fails on odd content: a line that a rule reads and the
// text does not have reads as empty, so an empty or binary text comes out as
// 21 ("Unknown").

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sequence {

// Input format codes.
enum class InFmt : std::int16_t {
    MEGA = 0,
    IntelliGenetics = 1,
    RST = 2,
    FASTA = 3,
    PAML = 4,
    Clustal = 5,
    GenBank = 6,
    GCG = 7,
    MSF = 8,
    PHYLIP = 9,
    GenBankSeqOnly = 10,
    EMBL = 11,
    Strider = 12,
    Fitch = 13,
    Zuker = 14,
    Olsen = 15,
    PIR = 16,
    NEXUS = 17,
    NBRF = 18,
    RRNA = 19,
    Trace = 20,
    Unknown = 21,
    Count = 22
};

// Output format codes (the writers' codes).
enum class OutFmt : std::int16_t {
    MEGA = 0,
    IntelliGenetics = 1,
    FASTA = 2,
    PAML = 3,
    GenBank = 4,
    GCG = 5,
    MSF = 6,
    PHYLIP = 7,
    EMBL = 8,
    Strider = 9,
    Fitch = 10,
    PIR = 11,
    NEXUS = 12,
    NBRF = 13,
    PHYLTEST = 14,
    Count = 15
};

class cSeqFmt {
public:
    cSeqFmt();

    [[nodiscard]] std::int16_t NumInSeqFmt() const { return static_cast<std::int16_t>(m_inNames.size()); }
    [[nodiscard]] std::int16_t NumOutSeqFmt() const { return static_cast<std::int16_t>(m_outNames.size()); }

    // Name and patterns ("*.FAS;*.FASTA") of a format; an index outside the
    // catalogue raises error 9.
    [[nodiscard]] const std::string& InSeqFmt(std::int32_t index) const;
    [[nodiscard]] const std::string& InFileExt(std::int32_t index) const;
    [[nodiscard]] const std::string& OutSeqFmt(std::int32_t index) const;
    [[nodiscard]] const std::string& OutFileExt(std::int32_t index) const;

    // Dialog filters "name (patterns)|patterns|...".
    [[nodiscard]] const std::string& InFileFilter() const { return m_inFilter; }
    [[nodiscard]] const std::string& OutFileFilter() const { return m_outFilter; }

    // Input code of the file's content (its first 400 bytes). A file that
    // cannot be read raises the file error (53 not found, 75 access).
    [[nodiscard]] std::int16_t GetFileType(const std::filesystem::path& fileName) const;
    // Input code of a text already read (its first 400 characters count).
    [[nodiscard]] std::int16_t GetFileTypeStr(std::string_view text) const;

    // Confirms the chosen input code for a file against its content: chosen
    // 21 takes the detected code silently; chosen 10 with detected 6 passes;
    // any other difference asks (Yes keeps the choice, No takes the detected
    // code).
    void ValidateSeqFmt(const std::filesystem::path& fileName, std::int16_t& code);
    void ValidateSeqFmtStr(std::string_view text, std::int16_t& code);

    // The answer to the last confirmation (platform::Answer as a number; 0
    // before the first).
    [[nodiscard]] int LastAnswer() const { return m_lastAnswer; }

private:
    void confirm(std::string_view intro, std::int16_t detected, std::int16_t& code);

    std::vector<std::string> m_inNames;
    std::vector<std::string> m_inPatterns;
    std::vector<std::string> m_outNames;
    std::vector<std::string> m_outPatterns;
    std::string m_inFilter;
    std::string m_outFilter;
    int m_lastAnswer = 0;
};

// The one catalogue the windows share, created on first use.
[[nodiscard]] cSeqFmt& gSeqFmt();

namespace detail {
// The detection rules; `fromFile` selects the file detector's variants of
// the MEGA, "!!" and RST rules.
[[nodiscard]] std::int16_t DetectSeqFmt(std::string_view text, bool fromFile);
} // namespace detail

} // namespace sequence
