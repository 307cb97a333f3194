#include "sequence/ui/FlankWork.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "numeric/QelSortRank.h"
#include "numeric/StatDistr.h"
#include "platform/errors/Error.h"
#include "sequence/ClustalAln.h"
#include "sequence/SeqUtil.h"
#include "sequence/SeqWrite.h"
#include "shell/core/StrUtil.h"

namespace sequence {

namespace {

void updateLongest(SequenceSet& set)
{
    set.maxLen = SeqUtil::GetMaxSeqLen(set.seq, set.numSeq);
}

// A folder of our own under the system's temporary folder, removed with all
// it holds when the object goes.
class PrivateFolder {
public:
    PrivateFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaray-align-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw platform::Error(platform::err::PathFileAccess, "SeqAlign",
                                  "No temporary folder for the aligner could be made.");
        }
        m_path = pattern;
    }
    ~PrivateFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

std::string readAll(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw platform::Error(platform::err::FileNotFound, "SeqAlign",
                              "The aligner wrote no alignment file (" + file.filename().string() + ").");
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string line(const std::string& label, const std::string& value)
{
    return StrUtil::PadStr(label, 30, 1) + value + "\r\n";
}

} // namespace

FlankWork::FlankWork(SequenceSet& left, SequenceSet& right) : m_left(left), m_right(right)
{
    m_showLeft = m_left.numSeq >= 1;
    updateLongest(m_left);
    updateLongest(m_right);
}

void FlankWork::showLeft(bool left)
{
    m_showLeft = left;
    updateLongest(shown());
}

void FlankWork::SortByName()
{
    SequenceSet& s = shown();
    if (s.numSeq < 2) {
        return;
    }
    QelSortRank::QuickSort2(s.name, s.seq, 0, s.numSeq - 1);
}

void FlankWork::SortByLength()
{
    SequenceSet& s = shown();
    if (s.numSeq < 2) {
        return;
    }
    std::vector<std::int64_t> lengths;
    for (std::int32_t i = 0; i < s.numSeq; ++i) {
        lengths.push_back(static_cast<std::int64_t>(s.seq[static_cast<std::size_t>(i)].size()));
    }
    QelSortRank::QuickSort3(lengths, s.name, s.seq, 0, s.numSeq - 1);
}

std::optional<std::string> FlankWork::FormatRefusal(std::int16_t code) const
{
    if (shown().aligned) {
        return std::nullopt;
    }
    const char* format = nullptr;
    switch (code) {
    case 0:
        format = "MEGA format";
        break;
    case 3:
        format = "PAML format";
        break;
    case 6:
        format = "GCG multi-sequence format";
        break;
    case 7:
        format = "PHILIP format";
        break;
    case 12:
        format = "PAUP format";
        break;
    default:
        return std::nullopt;
    }
    return std::string(format) + " requires aligned sequences, but your sequences are not aligned. Operation aborted.";
}

bool FlankWork::Convert(const std::filesystem::path& file, std::int16_t code, numeric::Progress* progress)
{
    SequenceSet& s = shown();
    updateLongest(s);
    const bool written = SeqWrite::WriteSeqFile(file, code, s, progress);
    if (written && std::filesystem::exists(file)) {
        (m_showLeft ? m_leftSaved : m_rightSaved) = true;
        return true;
    }
    return false;
}

std::optional<FlankWork::Refusal> FlankWork::AlignRefusal() const
{
    const SequenceSet& s = shown();
    std::string message;
    if (SeqUtil::CheckDupNames(s.name, s.numSeq, message)) {
        return Refusal{message, true};
    }
    if (SeqUtil::GetMaxSeqLen(s.seq, s.numSeq) < 50) {
        return Refusal{"Sequences too short to align reliably. You may just align them by hand.", false};
    }
    return std::nullopt;
}

void FlankWork::Align(Aligner& aligner, numeric::Progress* progress)
{
    SequenceSet& s = shown();
    const PrivateFolder folder;
    SeqWrite::OutFASTA(folder.path() / "clustal.fas", s.seq, s.name, s.numSeq, progress);
    aligner.run(folder.path(), AlignCommand);
    std::string text = readAll(folder.path() / "clustal.aln");

    std::vector<std::string> seqs;
    std::vector<std::string> names;
    std::int32_t count = 0;
    std::int32_t length = 0;
    SeqUtil::ReadClustalAln(text, seqs, names, count, length);
    if (count != s.numSeq) {
        throw platform::Error(platform::err::Subscript, "SeqAlign",
                              "The alignment holds " + std::to_string(count) + " sequences, the set " +
                                  std::to_string(s.numSeq) + ".");
    }
    // The aligner keeps the input order and may shorten names: give each
    // aligned sequence its full name back.
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& original = s.name[i];
        if (original.compare(0, names[i].size(), names[i]) != 0) {
            throw platform::Error(platform::err::InvalidCall, "SeqAlign",
                                  "The alignment's sequence " + std::to_string(i + 1) + " (" + names[i] +
                                      ") is not the set's " + original + ".");
        }
        names[i] = original;
    }
    s.seq = std::move(seqs);
    s.name = std::move(names);
    s.maxLen = length;
    s.aligned = true;
}

std::string FlankWork::ComparisonReport(numeric::Progress* progress) const
{
    const SequenceSet& s = shown();
    if (s.numSeq < 2 || !s.aligned) {
        return {};
    }
    if (s.numSeq > 2) {
        SequenceSet copy = s;
        std::string report;
        SeqUtil::TestSpuriousAlignment(copy, report, progress);
        return report;
    }
    std::int32_t matched = 0;
    std::int32_t gapCount = 0;
    SeqUtil::Compare2Seq(s.seq[0], s.seq[1], matched, gapCount);
    // The comparison starts its gap count at 1; the report counts gap sites.
    const std::int32_t gaps = gapCount - 1;
    const auto sites = static_cast<std::int32_t>(s.seq[0].size());
    std::string out = "Test spurious similarity of the global alignment.\r\n" + std::string(55, '=') + "\r\n";
    out += line("Number of matched sites", StrUtil::FormatNumRight(matched, 3, 0));
    out += line("Number of gaps", StrUtil::FormatNumRight(gaps, 3, 0));
    out += line("Difference between the two", StrUtil::FormatNumRight(matched - gaps, 3, 0));
    const std::int32_t n = sites - gaps;
    if (n < 2) {
        return out + "Too few sites without gaps for the test.\r\n";
    }
    const double p = static_cast<double>(matched - gaps) / n;
    const double sd1 = std::sqrt(p * (1 - p) / n);
    const double sd2 = std::sqrt(0.25 * 0.75 / n);
    out += line("Observed P", StrUtil::FormatNumRight(p, 8, 4));
    out += line("   Std Dev", StrUtil::FormatNumRight(sd1, 8, 4));
    out += line("Expected P", StrUtil::FormatNumRight(0.25, 8, 4));
    out += line("   Std Dev", StrUtil::FormatNumRight(sd2, 8, 4));
    const double t2 = (p - 0.25) / sd2;
    if (sd1 > 0) {
        const double t1 = (p - 0.25) / sd1;
        out += line("T1", StrUtil::FormatNumRight(t1, 8, 4));
        out += line("T2", StrUtil::FormatNumRight(t2, 8, 4));
        out += line("P1", StrUtil::FormatNumRight(2 * StatDistr::TArea(std::fabs(t1), n - 1), 8, 4));
    } else {
        out += line("T2", StrUtil::FormatNumRight(t2, 8, 4));
    }
    out += line("P2", StrUtil::FormatNumRight(2 * StatDistr::TArea(std::fabs(t2), n - 1), 8, 4));
    return out;
}

void FlankWork::ClearSets()
{
    for (SequenceSet* s : {&m_left, &m_right}) {
        s->seq.clear();
        s->name.clear();
        s->numSeq = 0;
        s->maxLen = 0;
        s->aligned = false;
    }
}

} // namespace sequence
