#include "sequence/ClustalAln.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "numeric/MathStat.h"
#include "numeric/StatDistr.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "sequence/SeqUtil.h"
#include "shell/core/StrUtil.h"

namespace SeqUtil {

namespace {

constexpr const char* ReaderSource = "ReadClustalAln";

std::size_t idx(std::int32_t i)
{
    return static_cast<std::size_t>(i);
}

std::string trimBlanks(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> splitLines(std::string& text)
{
    const std::string separator = StrUtil::UnifyLineBreak(text);
    std::vector<std::string> lines;
    if (separator.empty()) {
        lines.push_back(text);
        return lines;
    }
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(separator, from);
        if (at == std::string::npos) {
            lines.push_back(text.substr(from));
            return lines;
        }
        lines.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
}

bool isSeparatorLine(const std::string& line)
{
    return line.empty() || line[0] == '*' || line[0] == ':' || line[0] == '.';
}

} // namespace

void ReadClustalAln(std::string& text, std::vector<std::string>& seqs, std::vector<std::string>& names,
                    std::int32_t& numSeq, std::int32_t& alnLen)
{
    const std::vector<std::string> lines = splitLines(text);
    std::vector<std::string> readSeqs;
    std::vector<std::string> readNames;
    std::int32_t blockCount = 0;
    std::int32_t k = 0;
    bool firstBlock = true;
    bool sawSequence = false;

    // Later blocks are matched to the first by name: a block may list its
    // sequences in another order. That needs names that tell the sequences
    // apart; with repeated names only the order of the first block can be
    // followed, and a later block that departs from it is refused.
    std::unordered_map<std::string, std::int32_t> byName;
    bool namesUnique = true;
    std::vector<bool> inBlock;

    // Line 0 is the title. Every later line, the last one included, is read.
    for (std::size_t n = 1; n < lines.size(); ++n) {
        // A tab separates like a blank.
        std::string raw = lines[n];
        std::replace(raw.begin(), raw.end(), '\t', ' ');
        const std::string line = trimBlanks(raw);
        if (!sawSequence && line.empty()) {
            continue;
        }
        if (isSeparatorLine(line)) {
            if (blockCount == 0) {
                blockCount = k;
            }
            if (k > 0 || firstBlock) {
                inBlock.assign(idx(blockCount), false);
            }
            k = 0;
            firstBlock = false;
            continue;
        }
        sawSequence = true;
        const std::size_t blank = line.find(' ');
        if (blank == std::string::npos) {
            throw platform::Error(platform::err::InvalidCall, ReaderSource,
                                  "Line " + std::to_string(n + 1) +
                                      " holds a name without residues, or residues without a name.");
        }
        const std::string name = line.substr(0, blank);
        if (firstBlock) {
            readSeqs.push_back(line.substr(blank + 1));
            readNames.push_back(name);
            if (!byName.emplace(name, k).second) {
                namesUnique = false;
            }
            ++k;
            continue;
        }
        std::int32_t target = k;
        if (idx(k) >= readNames.size() || readNames[idx(k)] != name) {
            const auto found = byName.find(name);
            if (found == byName.end()) {
                throw platform::Error(platform::err::InvalidCall, ReaderSource,
                                      "Line " + std::to_string(n + 1) + " holds the sequence \"" + name +
                                          "\", which the first block of the alignment does not list.");
            }
            if (!namesUnique) {
                throw platform::Error(platform::err::InvalidCall, ReaderSource,
                                      "Line " + std::to_string(n + 1) + " lists the sequences in another order than "
                                      "the first block, and the names of the first block repeat, so the lines "
                                      "cannot be matched to their sequences.");
            }
            target = found->second;
        }
        if (inBlock[idx(target)]) {
            throw platform::Error(platform::err::InvalidCall, ReaderSource,
                                  "Line " + std::to_string(n + 1) + " lists the sequence \"" + name +
                                      "\" a second time in one block.");
        }
        inBlock[idx(target)] = true;
        readSeqs[idx(target)] += line.substr(blank + 1);
        ++k;
    }
    if (!sawSequence) {
        throw platform::Error(platform::err::Subscript, ReaderSource,
                              "The text holds no sequence lines after its title line.");
    }
    if (blockCount == 0) {
        blockCount = k;
    }
    const std::int32_t keep = numSeq != 0 ? numSeq : blockCount;
    if (keep < 0 || idx(keep) > readSeqs.size() || keep > blockCount) {
        throw platform::Error(platform::err::Subscript, ReaderSource,
                              "The alignment holds " + std::to_string(blockCount) + " sequences, not the " +
                                  std::to_string(keep) + " expected.");
    }
    readSeqs.resize(idx(keep));
    readNames.resize(idx(keep));
    for (std::int32_t i = 0; i < keep; ++i) {
        readSeqs[idx(i)] = StrUtil::CleanSeq(readSeqs[idx(i)]);
        if (readSeqs[idx(i)].empty()) {
            throw platform::Error(platform::err::Subscript, ReaderSource,
                                  "Sequence " + std::to_string(i + 1) + " (" + readNames[idx(i)] +
                                      ") has no residues.");
        }
    }
    for (std::int32_t i = 1; i < keep; ++i) {
        if (readSeqs[idx(i)].size() != readSeqs[0].size()) {
            throw platform::Error(platform::err::InvalidCall, ReaderSource,
                                  "The alignment is incomplete: sequence " + std::to_string(i + 1) + " (" +
                                      readNames[idx(i)] + ") has " + std::to_string(readSeqs[idx(i)].size()) +
                                      " sites, sequence 1 has " + std::to_string(readSeqs[0].size()) + ".");
        }
    }
    alnLen = static_cast<std::int32_t>(readSeqs[0].size());
    numSeq = keep;
    seqs = std::move(readSeqs);
    names = std::move(readNames);
}

void Compare2Seq(const std::string& seq1, const std::string& seq2, std::int32_t& numMatch, std::int32_t& numGap)
{
    if (seq1.size() != seq2.size()) {
        platform::RaiseError("Compare2Seq", "The two sequences have unequal lengths");
    }
    numMatch = 0;
    numGap = 1;
    for (std::size_t i = 0; i < seq1.size(); ++i) {
        if (seq1[i] == seq2[i]) {
            if (seq1[i] == '-') {
                ++numGap;
            } else {
                ++numMatch;
            }
        } else if (seq1[i] == '-' || seq2[i] == '-') {
            ++numGap;
        }
    }
}

std::vector<double> MovingAverage(const std::vector<double>& values, std::int32_t window, bool padEnds)
{
    const auto n = static_cast<std::int64_t>(values.size());
    std::vector<double> out(values.size(), 0.0);
    if (window < 1 || n == 0) {
        return out;
    }
    for (std::int64_t i = 0; i < n; ++i) {
        const std::int64_t from = i - window / 2;
        double sum = 0;
        for (std::int64_t j = from; j < from + window; ++j) {
            if (j >= 0 && j < n) {
                sum += values[static_cast<std::size_t>(j)];
            } else if (padEnds) {
                sum += values[j < 0 ? 0 : static_cast<std::size_t>(n - 1)];
            }
        }
        out[static_cast<std::size_t>(i)] = sum / window;
    }
    return out;
}

void NucSiteVarIndex(const sequence::SequenceSet& set, std::int16_t windowSize, std::vector<double>& siteValue,
                     std::vector<std::int32_t>& siteNo, numeric::Progress* progress)
{
    const std::int32_t n = set.numSeq;
    detail::checkCount("NucSiteVarIndex", n, set.seq);
    if (!IsEqualLength(n, set.seq)) {
        platform::dialogs().MsgBox("Sequence lengths unequal. Please align sequences first", platform::mb::OkOnly,
                                   "Warning");
        return;
    }
    if (windowSize < 1) {
        platform::RaiseError("NucSiteVarIndex", "WindowSize = 0");
    }
    if (n < 1) {
        throw platform::Error(platform::err::DivisionByZero, "NucSiteVarIndex", "The set holds no sequences.");
    }
    const std::size_t sites = set.seq[0].size();
    std::vector<double> values(sites, 0.0);
    std::vector<std::int32_t> numbers(sites, 0);
    const double nLogN = n * std::log2(static_cast<double>(n));
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, static_cast<double>(sites));
    for (std::size_t s = 0; s < sites; ++s) {
        numeric::detail::setValue(progress, static_cast<double>(s));
        std::array<std::int32_t, 4> counts{};
        for (std::int32_t i = 0; i < n; ++i) {
            switch (set.seq[idx(i)][s]) {
            case 'A': case 'a': ++counts[0]; break;
            case 'C': case 'c': ++counts[1]; break;
            case 'G': case 'g': ++counts[2]; break;
            case 'T': case 't': case 'U': case 'u': ++counts[3]; break;
            default: break;
            }
        }
        double sum = 0;
        for (std::int32_t c : counts) {
            if (c > 0) {
                sum += c * std::log2(static_cast<double>(c));
            }
        }
        numbers[s] = static_cast<std::int32_t>(s + 1);
        values[s] = (nLogN - sum) / n;
    }
    numeric::detail::setValue(progress, 0);
    if (windowSize > 1) {
        values = MovingAverage(values, windowSize, true);
    }
    siteValue = std::move(values);
    siteNo = std::move(numbers);
}

namespace {

std::string row(const std::string& label, double value)
{
    return StrUtil::PadStr(label, 30, 1) + StrUtil::FormatNumRight(value, 10, 4) + "\r\n";
}

} // namespace

void TestSpuriousAlignment(sequence::SequenceSet& set, std::string& report, numeric::Progress* progress)
{
    const std::int32_t n = set.numSeq;
    detail::checkCount("TestSpuriousAlignment", n, set.seq);
    RemoveSites(set.seq, set.maxLen, n, set.aligned, false);
    const std::int32_t sites = set.maxLen;
    if (n < 2 || sites < 2) {
        throw platform::Error(platform::err::DivisionByZero, "TestSpuriousAlignment",
                              "At least two sequences of at least two sites are needed to test an alignment.");
    }

    std::array<double, 4> totals{};
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, n);
    for (std::int32_t i = 0; i < n; ++i) {
        numeric::detail::setValue(progress, i);
        const auto counts = GetBaseCount(set.seq[idx(i)]);
        for (std::size_t b = 0; b < 4; ++b) {
            totals[b] += counts[b];
        }
    }
    numeric::detail::setValue(progress, 0);
    const std::vector<double> freqList = MathStat::Count2Freq(totals, 4);
    std::array<double, 4> freq{};
    for (std::size_t b = 0; b < freqList.size() && b < 4; ++b) {
        freq[b] = freqList[b];
    }

    std::vector<double> h;
    std::vector<std::int32_t> siteNo;
    NucSiteVarIndex(set, 1, h, siteNo, progress);
    const EntropyMoments expected = GetEntropyMoments(n, freq);
    const double m = MathStat::AMean(h, static_cast<std::int64_t>(h.size()));
    const double v = MathStat::GetVariance(h, static_cast<std::int32_t>(h.size()));
    const MathStat::WelchTest welch =
        MathStat::TTestUnequalVar(m, v, static_cast<double>(h.size()), expected.mean, expected.variance, n);
    const auto df = static_cast<std::int32_t>(std::floor(welch.df));
    const double p = 2 * StatDistr::TArea(welch.t, df);
    const double tc = MathStat::GetTCV(df);
    double lower = m - tc * welch.se;
    if (lower < 0) {
        lower = 0;
    }
    const double upper = m + tc * welch.se;

    std::string text;
    text += "Testing whether the alignment is spurious.\r\n\r\n";
    text += "The T-Test below is for unequal variances, which is why the\r\n";
    text += "degree of freedom is not necessarily an integer. See Zar, J. H.\r\n";
    text += "Biostatistical Analysis, 4th edition (1999), page 129.\r\n\r\n";
    text += std::string(64, '=') + "\r\n";
    text += "T-Test between the observed entropy and the expected entropy\r\n";
    text += "with random sequences:\r\n\r\n";
    text += row("Mean (Observed H)", m);
    text += row("Mean (expected H)", expected.mean);
    text += row("Var (Observed H)", v);
    text += row("Standard Error", welch.se);
    text += row("T", welch.t);
    text += row("DF", welch.df);
    text += row("Prob (T = 0)", p) + "\r\n";
    text += "95% confidence limits of the observed mean:\r\n";
    text += row("Lower Limit", lower);
    text += row("Upper Limit", upper) + "\r\n";
    text += "Note that the statistic T in a t-test is always the difference\r\n"
            "between the two means devided by the pooled standard error.\r\n"
            "Thus, the statement of 'T = 0' is the same as 'Mean1 = Mean2',\r\n"
            "and represents the null hypothesis. Prob (T=0) is the\r\n"
            "probability that you would be wrong if you reject the\r\n"
            "null hypothesis. Also notice that the degree of freedom is\r\n"
            "generally not an integer when the t-test does not assume\r\n"
            "equal variances.";
    report = std::move(text);
}

} // namespace SeqUtil
