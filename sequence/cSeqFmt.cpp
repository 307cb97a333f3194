#include "sequence/cSeqFmt.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "shell/core/StrUtil.h"

namespace sequence {

namespace {

// The catalogue lists: names and patterns, comma-separated; the patterns of
// one format are separated by ";".
constexpr std::string_view InNameList =
    "MEGA files,IntelliGenetics,Yang's RST,Pearson/FASTA,Yang's PAML,Clustal,GenBank,"
    "GCG single sequence format,GCG multiple sequence format,PHYLIP,GenBank Sequence Only,"
    "EMBL/SwissProt,DNA Strider,Fitch,Zuker,Olsen,PIR/CODATA,PAUP/NEXUS,NBRF,"
    "rRNA from the rRNA WWW server,Trace files,Unknown";
constexpr std::string_view InPatternList =
    "*.MEG;*.MEGA,*.IG,*.RST;*.MP,*.FAS;*.FASTA;*.FST;*.FFN;*.ffa;*.fsa,*.PML;*.Nuc;*.PAML,"
    "*.ALN;*.CLU,*.GB;*.gbk,*.GCG,*.MSF,*.PHY;*.PHYLIP,*.GB;*.gbk,*.EMB;*.EMBL;*.SwProt,"
    "*.Str;*.Strider,*.Fit;*.Fitch,*.Zuk;*.Zuker,*.Ols;*.Olsen,*.PIR,*.PAU;*.PAUP;*.NEXUS;*.NEX,"
    "*.NBR;*.NBRF,*.*,*.UNK;*.SCF;*.ABI;*.ALF;*.PLN;*.EXP;*.CTF;*.ZTR,*.*";
constexpr std::string_view OutNameList =
    "MEGA files,IntelliGenetics,Pearson/FASTA,Yang's PAML,GenBank,GCG single sequence format,"
    "GCG multiple sequence format,PHYLIP,EMBL/SwissProt,DNA Strider,Fitch,PIR/CODATA,PAUP/NEXUS,"
    "NBRF,Kumar's PHYLTEST";
constexpr std::string_view OutPatternList =
    "*.MEG,*.IG,*.FAS,*.PML,*.GB,*.GCG,*.MSF,*.PHY,*.EMB,*.Str,*.Fit,*.PIR,*.PAU,*.NBR,*.SK";

constexpr std::size_t HeadBytes = 400;

std::vector<std::string> splitList(std::string_view list)
{
    int count = 0;
    std::vector<std::string> fields;
    StrUtil::SplitMultiDelim(list, count, fields, ",");
    fields.resize(static_cast<std::size_t>(count));
    return fields;
}

std::string buildFilter(const std::vector<std::string>& names, const std::vector<std::string>& patterns)
{
    std::string filter = "MEGA Files (*.MEG)|*.MEG";
    for (std::size_t i = 1; i < names.size(); ++i) {
        filter += "|" + names[i] + " (" + patterns[i] + ")|" + patterns[i];
    }
    return filter;
}

const std::string& entry(const std::vector<std::string>& list, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
        throw platform::Error::runtime(platform::err::Subscript, "cSeqFmt");
    }
    return list[static_cast<std::size_t>(index)];
}

std::string upper(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
    return out;
}

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

std::string trimBlanks(std::string_view s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

bool contains(std::string_view s, std::string_view part)
{
    return s.find(part) != std::string_view::npos;
}

class Lines {
public:
    explicit Lines(std::string text)
    {
        const std::string separator = StrUtil::UnifyLineBreak(text);
        if (!text.empty()) {
            if (separator.empty()) {
                m_lines.push_back(text);
            } else {
                std::size_t from = 0;
                for (;;) {
                    const std::size_t at = text.find(separator, from);
                    if (at == std::string::npos) {
                        m_lines.push_back(text.substr(from));
                        break;
                    }
                    m_lines.push_back(text.substr(from, at - from));
                    from = at + separator.size();
                }
            }
        }
        // Non-blank lines move to the front in order; the tail keeps what
        // it held.
        std::size_t front = 0;
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (!trimBlanks(m_lines[i]).empty()) {
                m_lines[front++] = m_lines[i];
            }
        }
    }

    // A line the text does not have reads as empty, so that a short text
    // falls through the rules to "Unknown".
    [[nodiscard]] const std::string& operator[](std::size_t i) const
    {
        static const std::string none;
        return i < m_lines.size() ? m_lines[i] : none;
    }

private:
    std::vector<std::string> m_lines;
};

std::int16_t code(InFmt f)
{
    return static_cast<std::int16_t>(f);
}

// The leading number of a line for the numeric rules. Detection never fails:
// a number too large for a double counts as a large number of its sign.
double leadingNumber(const std::string& line)
{
    try {
        return platform::rt::Val(line);
    } catch (const platform::Error&) {
        const auto first = line.find_first_not_of(" \t");
        return first != std::string::npos && line[first] == '-' ? -1.0 : 1.0;
    }
}

// A GCG single-sequence file keeps a header in front of its residues that
// ends with a line ending in "..", also when the header is GenBank's.
bool hasGcgDivider(const std::string& text)
{
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find_first_of("\r\n", from);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = trimBlanks(std::string_view(text).substr(from, end - from));
        if (startsWith(line, "ORIGIN")) {
            return false;
        }
        if (line.size() >= 3 && line.compare(line.size() - 3, 3, " ..") == 0) {
            return true;
        }
        from = end + 1;
    }
    return false;
}

bool isResidueSymbol(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '.' || c == '?' || c == '*' ||
           c == '~';
}

// A PHYLIP line whose name fills its 10 columns runs on into the residues
// without a blank: line 1 then holds more than 10 characters, and those past
// the 10th are residue symbols, as many as the sites on the first line or at
// least 10 of them. A PAML name line holds the name alone.
bool fillsPhylipNameColumn(const std::string& l1, const std::string& l0)
{
    if (l1.size() <= 10) {
        return false;
    }
    const std::string_view residues = std::string_view(l1).substr(10);
    if (!std::all_of(residues.begin(), residues.end(), isResidueSymbol)) {
        return false;
    }
    // The sites: the number after the taxa on the first line.
    const std::string counts = trimBlanks(l0);
    const auto gap = counts.find(' ');
    const double sites = gap == std::string::npos ? 0 : leadingNumber(counts.substr(gap));
    return residues.size() >= 10 || static_cast<double>(residues.size()) == sites;
}

std::int16_t detectLines(const std::string& text, bool fromFile)
{
    const Lines line(text);
    const std::string& l0 = line[0];
    if (startsWith(l0, "\\\\\\")) {
        return code(InFmt::PIR);
    }
    if (startsWith(l0, ";")) {
        return contains(l0, "Strider") ? code(InFmt::Strider) : code(InFmt::IntelliGenetics);
    }
    if (startsWith(l0, "#")) {
        if (fromFile) {
            return code(InFmt::MEGA);
        }
        // A MEGA file gives its title as "TITLE ..." or, in later versions
        // of the format, as the command "!Title ...;".
        std::string title = upper(trimBlanks(line[1]));
        if (startsWith(title, "!")) {
            title.erase(0, 1);
        }
        return startsWith(title, "TITLE") ? code(InFmt::MEGA) : code(InFmt::NEXUS);
    }
    if (startsWith(l0, ">")) {
        return l0.size() >= 4 && l0[3] == ';' ? code(InFmt::NBRF) : code(InFmt::FASTA);
    }
    if (startsWith(l0, "LOCUS")) {
        return hasGcgDivider(text) ? code(InFmt::GCG) : code(InFmt::GenBank);
    }
    if (startsWith(l0, "ID")) {
        return code(InFmt::EMBL);
    }
    // GCG 9 files name their kind on their first line.
    if (startsWith(l0, "!!NA_MULTIPLE_ALIGNMENT") || startsWith(l0, "!!AA_MULTIPLE_ALIGNMENT")) {
        return code(InFmt::MSF);
    }
    if (startsWith(l0, "!!NA_SEQUENCE") || startsWith(l0, "!!AA_SEQUENCE")) {
        return code(InFmt::GCG);
    }
    if (fromFile && startsWith(l0, "!!")) {
        return startsWith(line[1], "ID") ? code(InFmt::EMBL) : code(InFmt::MEGA);
    }
    if (fromFile) {
        if (contains(text, "ncestral") && contains(text, "econst")) {
            return code(InFmt::RST);
        }
    } else if (startsWith(l0, "Ances") || startsWith(l0, "Recon")) {
        return code(InFmt::RST);
    }
    if (startsWith(l0, "PAMP ")) {
        return code(InFmt::RST);
    }
    if (upper(l0.substr(0, 7)) == "CLUSTAL") {
        return code(InFmt::Clustal);
    }
    if (contains(l0, "MSF")) {
        return code(InFmt::MSF);
    }
    if (leadingNumber(l0) > 0) {
        const std::string l1 = trimBlanks(line[1]);
        return contains(l1, " ") || fillsPhylipNameColumn(l1, l0) ? code(InFmt::PHYLIP) : code(InFmt::PAML);
    }
    if (leadingNumber(line[2]) > 0 && leadingNumber(line[3]) > 0) {
        return code(InFmt::GCG);
    }
    const std::string l1 = trimBlanks(line[1]);
    for (std::size_t pos = 4; pos <= 40; pos += 4) {
        if (pos > l1.size() || l1[pos - 1] != ' ') {
            return code(InFmt::Unknown);
        }
    }
    return code(InFmt::Fitch);
}

std::string readHead(const std::filesystem::path& fileName)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) {
        throw platform::Error(platform::err::FileNotFound, "GetFileType",
                              "File not found: " + fileName.string());
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        throw platform::Error(platform::err::PathFileAccess, "GetFileType",
                              "Path/File access error: " + fileName.string());
    }
    std::string head(HeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(HeadBytes));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

} // namespace

namespace detail {

std::int16_t DetectSeqFmt(std::string_view text, bool fromFile)
{
    // A UTF-8 byte-order mark is no part of the text.
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (startsWith(text, ByteOrderMark)) {
        text.remove_prefix(ByteOrderMark.size());
    }
    const std::string head(text.substr(0, HeadBytes));
    if (contains(upper(head), "#NEXUS")) {
        return code(InFmt::NEXUS);
    }
    if (contains(lower(head), "pileup")) {
        return code(InFmt::MSF);
    }
    if (contains(head, "acc:") && contains(head, "src:")) {
        return code(InFmt::RRNA);
    }
    return detectLines(head, fromFile);
}

} // namespace detail

cSeqFmt::cSeqFmt()
    : m_inNames(splitList(InNameList)),
      m_inPatterns(splitList(InPatternList)),
      m_outNames(splitList(OutNameList)),
      m_outPatterns(splitList(OutPatternList)),
      m_inFilter(buildFilter(m_inNames, m_inPatterns)),
      m_outFilter(buildFilter(m_outNames, m_outPatterns))
{
}

const std::string& cSeqFmt::InSeqFmt(std::int32_t index) const
{
    return entry(m_inNames, index);
}

const std::string& cSeqFmt::InFileExt(std::int32_t index) const
{
    return entry(m_inPatterns, index);
}

const std::string& cSeqFmt::OutSeqFmt(std::int32_t index) const
{
    return entry(m_outNames, index);
}

const std::string& cSeqFmt::OutFileExt(std::int32_t index) const
{
    return entry(m_outPatterns, index);
}

std::int16_t cSeqFmt::GetFileType(const std::filesystem::path& fileName) const
{
    return detail::DetectSeqFmt(readHead(fileName), true);
}

std::int16_t cSeqFmt::GetFileTypeStr(std::string_view text) const
{
    return detail::DetectSeqFmt(text, false);
}

void cSeqFmt::confirm(std::string_view intro, std::int16_t detected, std::int16_t& code)
{
    if (code == static_cast<std::int16_t>(InFmt::Unknown)) {
        code = detected;
        return;
    }
    if (detected == code ||
        (code == static_cast<std::int16_t>(InFmt::GenBankSeqOnly) &&
         detected == static_cast<std::int16_t>(InFmt::GenBank))) {
        return;
    }
    const std::string text = std::string(intro) + "\r\n\r\n" + gSeqFmt().InSeqFmt(code) + "\r\n\r\n" +
                             "The file might be in a different format:\r\n\r\n" + gSeqFmt().InSeqFmt(detected) +
                             "\r\n\r\nAre you sure your are right about the file format?";
    const platform::Answer answer =
        platform::dialogs().MsgBox(text, platform::mb::YesNo + platform::mb::Information, "");
    m_lastAnswer = static_cast<int>(answer);
    if (answer == platform::Answer::No) {
        code = detected;
    }
}

void cSeqFmt::ValidateSeqFmt(const std::filesystem::path& fileName, std::int16_t& code)
{
    const std::int16_t detected = GetFileType(fileName);
    confirm("You have asked to read in the file: " + fileName.string() + " in the following format:", detected,
            code);
}

void cSeqFmt::ValidateSeqFmtStr(std::string_view text, std::int16_t& code)
{
    const std::int16_t detected = GetFileTypeStr(text);
    confirm("You have asked to read in the following format:", detected, code);
}

cSeqFmt& gSeqFmt()
{
    static cSeqFmt instance;
    return instance;
}

} // namespace sequence
