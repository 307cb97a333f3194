#include "sequence/SeqUtil.h"

#include <algorithm>
#include <cmath>

#include "platform/errors/Error.h"

namespace SeqUtil {

namespace detail {

void checkCount(std::string_view source, std::int32_t count, const Seqs& seqs, const Seqs* names)
{
    const bool bad = count < 0 || static_cast<std::size_t>(count) > seqs.size() ||
                     (names != nullptr && static_cast<std::size_t>(count) > names->size());
    if (bad) {
        throw platform::Error(platform::err::Subscript, std::string(source),
                              "The count of " + std::to_string(count) +
                                  " sequences does not match the sequences held.");
    }
}

std::string_view mid(std::string_view s, std::int64_t start1, std::int64_t length)
{
    if (start1 < 1 || length <= 0 || static_cast<std::size_t>(start1 - 1) >= s.size()) {
        return {};
    }
    return s.substr(static_cast<std::size_t>(start1 - 1), static_cast<std::size_t>(length));
}

} // namespace detail

using detail::checkCount;
using detail::mid;

namespace {

std::size_t idx(std::int32_t i)
{
    return static_cast<std::size_t>(i);
}

bool isBase(char c)
{
    return c == 'A' || c == 'C' || c == 'G' || c == 'U';
}

// Calls f(c, f0) on each of the first `length` sites of sequences 1..count-1,
// c the site and f0 the same site of sequence 0; sites past the end of either
// sequence are left alone.
template <class F>
void againstFirst(std::string_view source, Seqs& seqs, std::int32_t length, std::int32_t count, F&& f)
{
    checkCount(source, count, seqs);
    if (count < 1) {
        return;
    }
    const std::string& first = seqs[0];
    for (std::int32_t i = 1; i < count; ++i) {
        std::string& s = seqs[idx(i)];
        const std::size_t n = std::min({s.size(), first.size(), idx(std::max(length, 0))});
        for (std::size_t k = 0; k < n; ++k) {
            f(s[k], first[k]);
        }
    }
}

} // namespace

std::int32_t GetMaxNameLen(const Seqs& names, std::int32_t count)
{
    checkCount("GetMaxNameLen", count, names);
    std::size_t longest = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        longest = std::max(longest, names[idx(i)].size());
    }
    return static_cast<std::int32_t>(longest);
}

std::int32_t GetMaxSeqLen(const Seqs& seqs, std::int32_t count, std::int32_t* index)
{
    checkCount("GetMaxSeqLen", count, seqs);
    std::size_t longest = 0;
    std::int32_t at = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        if (seqs[idx(i)].size() > longest) {
            longest = seqs[idx(i)].size();
            at = i;
        }
    }
    if (index != nullptr) {
        *index = at;
    }
    return static_cast<std::int32_t>(longest);
}

bool FindDupSeqs(const Seqs& seqs, const Seqs& names, std::int32_t count, std::string& report)
{
    checkCount("FindDupSeqs", count, seqs, &names);
    bool found = false;
    for (std::int32_t i = 1; i < count; ++i) {
        for (std::int32_t j = 0; j < i; ++j) {
            if (seqs[idx(j)] == seqs[idx(i)]) {
                report += names[idx(j)] + ".." + names[idx(i)] + "\r\n";
                found = true;
            }
        }
    }
    return found;
}

bool CheckDupNames(const Seqs& names, std::int32_t count, std::string& message)
{
    checkCount("CheckDupNames", count, names);
    bool found = false;
    for (std::int32_t i = 1; i < count; ++i) {
        for (std::int32_t j = 0; j < i; ++j) {
            if (names[idx(i)] == names[idx(j)]) {
                message += "Sequence " + std::to_string(i + 1) + " and Sequence " + std::to_string(j + 1) +
                           " have identical names.\r\n";
                found = true;
            }
        }
    }
    if (found) {
        message += "\r\nMany functions in this program assume that your sequences have different names, "
                   "and will fail if sequences have identical names.";
    }
    return found;
}

void CutSeqsAt(std::int32_t position, Seqs& seqs, std::int32_t& newLength, std::int32_t count)
{
    checkCount("CutSeqsAt", count, seqs);
    if (position < 1) {
        throw platform::Error(platform::err::InvalidCall, "CutSeqsAt",
                              "The cut position " + std::to_string(position) + " is before the first site.");
    }
    for (std::int32_t i = 0; i < count; ++i) {
        std::string& s = seqs[idx(i)];
        if (s.size() > idx(position - 1)) {
            s.resize(idx(position - 1));
        }
    }
    newLength = position - 1;
}

void DeleteSeqColumns(std::int32_t first, std::int32_t last, Seqs& seqs, std::int32_t count, std::int32_t& length)
{
    checkCount("DeleteSeqColumns", count, seqs);
    if (first < 1 || last < first || last > length) {
        throw platform::Error(platform::err::InvalidCall, "DeleteSeqColumns",
                              "Sites " + std::to_string(first) + " to " + std::to_string(last) +
                                  " are not a range within the " + std::to_string(length) + " sites.");
    }
    for (std::int32_t i = 0; i < count; ++i) {
        std::string& s = seqs[idx(i)];
        if (s.size() >= idx(first)) {
            s.erase(idx(first - 1), idx(last - first + 1));
        }
    }
    length -= last - first + 1;
}

SiteCounts GetSiteBaseCounts(const Seqs& seqs, std::int32_t length, std::int32_t count)
{
    checkCount("GetSiteBaseCounts", count, seqs);
    SiteCounts counts;
    for (auto& row : counts) {
        row.assign(idx(std::max(length, 0)), 0);
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string& s = seqs[idx(i)];
        const std::size_t n = std::min(s.size(), idx(std::max(length, 0)));
        for (std::size_t site = 0; site < n; ++site) {
            switch (s[site]) {
            case 'A': ++counts[0][site]; break;
            case 'C': ++counts[1][site]; break;
            case 'G': ++counts[2][site]; break;
            case 'U': ++counts[3][site]; break;
            default: break;
            }
        }
    }
    return counts;
}

std::string GetConsensusMarks(const Seqs& seqs, std::int32_t length, std::int32_t count)
{
    checkCount("GetConsensusMarks", count, seqs);
    if (count < 2) {
        return {};
    }
    const auto at = [](const std::string& s, std::size_t i) { return i < s.size() ? s[i] : '\0'; };
    std::string marks(idx(std::max(length, 0)), ' ');
    for (std::size_t site = 0; site < marks.size(); ++site) {
        const char c = at(seqs[0], site);
        bool same = true;
        for (std::int32_t i = 1; i < count && same; ++i) {
            same = at(seqs[idx(i)], site) == c;
        }
        if (same) {
            marks[site] = '*';
        }
    }
    return marks;
}

std::vector<unsigned char> GetConsensusBytes(const Seqs& seqs, std::int32_t length, std::int32_t count)
{
    const std::string marks = GetConsensusMarks(seqs, length, count);
    return {marks.begin(), marks.end()};
}

EntropyMoments GetEntropyMoments(std::int32_t n, const std::array<double, 4>& freq)
{
    EntropyMoments result;
    if (n < 1) {
        return result;
    }
    for (double f : freq) {
        if (!(f >= 0) || !std::isfinite(f)) {
            throw platform::Error(platform::err::InvalidCall, "GetEntropyMoments",
                                  "Base frequencies must be numbers of 0 or more.");
        }
    }
    // ln k! and (k / n) log2(k / n) for k = 0 .. n, and ln f (unused where f is 0).
    std::vector<double> lnFact(idx(n) + 1, 0.0);
    std::vector<double> term(idx(n) + 1, 0.0);
    for (std::int32_t k = 1; k <= n; ++k) {
        lnFact[idx(k)] = lnFact[idx(k - 1)] + std::log(static_cast<double>(k));
        const double p = static_cast<double>(k) / n;
        term[idx(k)] = p * std::log2(p);
    }
    std::array<double, 4> lnF{};
    for (std::size_t b = 0; b < 4; ++b) {
        lnF[b] = freq[b] > 0 ? std::log(freq[b]) : 0.0;
    }
    const auto lnPow = [&](std::size_t b, std::int32_t k, bool& zero) {
        if (k == 0) {
            return 0.0;
        }
        if (freq[b] <= 0) {
            zero = true;
        }
        return k * lnF[b];
    };
    double sumH = 0;
    double sumH2 = 0;
    for (std::int32_t a = 0; a <= n; ++a) {
        for (std::int32_t c = 0; a + c <= n; ++c) {
            for (std::int32_t g = 0; a + c + g <= n; ++g) {
                const std::int32_t t = n - a - c - g;
                bool zero = false;
                const double lnP = lnFact[idx(n)] - lnFact[idx(a)] - lnFact[idx(c)] - lnFact[idx(g)] -
                                   lnFact[idx(t)] + lnPow(0, a, zero) + lnPow(1, c, zero) + lnPow(2, g, zero) +
                                   lnPow(3, t, zero);
                if (zero) {
                    continue;
                }
                const double p = std::exp(lnP);
                const double h = -(term[idx(a)] + term[idx(c)] + term[idx(g)] + term[idx(t)]);
                sumH += p * h;
                sumH2 += p * h * h;
            }
        }
    }
    result.mean = sumH;
    result.variance = std::max(0.0, sumH2 - sumH * sumH);
    return result;
}

void RemoveSites(Seqs& seqs, std::int32_t& length, std::int32_t count, bool bySite, bool basesOnly)
{
    checkCount("RemoveSites", count, seqs);
    const auto drop = [basesOnly](char c) { return basesOnly ? !isBase(c) : c == '?'; };
    std::size_t newLength = 0;
    if (!bySite) {
        for (std::int32_t i = 0; i < count; ++i) {
            std::string& s = seqs[idx(i)];
            s.erase(std::remove_if(s.begin(), s.end(), drop), s.end());
            newLength = std::max(newLength, s.size());
        }
    } else {
        const std::size_t sites = idx(std::max(length, 0));
        std::vector<bool> keep(sites, true);
        for (std::size_t site = 0; site < sites; ++site) {
            for (std::int32_t i = 0; i < count && keep[site]; ++i) {
                const std::string& s = seqs[idx(i)];
                // A site a sequence does not reach holds no base.
                keep[site] = site < s.size() ? !drop(s[site]) : !basesOnly;
            }
        }
        for (std::int32_t i = 0; i < count; ++i) {
            const std::string& s = seqs[idx(i)];
            std::string kept;
            kept.reserve(sites);
            for (std::size_t site = 0; site < sites && site < s.size(); ++site) {
                if (keep[site]) {
                    kept.push_back(s[site]);
                }
            }
            seqs[idx(i)] = std::move(kept);
        }
        newLength = static_cast<std::size_t>(std::count(keep.begin(), keep.end(), true));
    }
    length = static_cast<std::int32_t>(newLength);
}

std::string FitName(std::string_view text, std::int32_t width, std::int32_t side)
{
    const std::size_t w = idx(std::max(width, 0));
    if (text.size() >= w) {
        return std::string(text.substr(0, w));
    }
    const std::string pad(w - text.size(), ' ');
    return side != 0 ? std::string(text) + pad : pad + std::string(text);
}

std::array<std::int32_t, 5> GetBaseCount(std::string_view seq)
{
    std::array<std::int32_t, 5> counts{};
    for (char c : seq) {
        switch (c) {
        case 'A': case 'a': ++counts[0]; break;
        case 'C': case 'c': ++counts[1]; break;
        case 'G': case 'g': ++counts[2]; break;
        case 'T': case 't': case 'U': case 'u': ++counts[3]; break;
        default: ++counts[4]; break;
        }
    }
    return counts;
}

bool IsEqualLength(std::int32_t count, const Seqs& seqs)
{
    checkCount("IsEqualLength", count, seqs);
    for (std::int32_t i = 1; i < count; ++i) {
        if (seqs[idx(i)].size() != seqs[0].size()) {
            return false;
        }
    }
    return true;
}

void SeqToDot(Seqs& seqs, std::int32_t length, std::int32_t count)
{
    againstFirst("SeqToDot", seqs, length, count, [](char& c, char first) {
        if (c == first) {
            c = '.';
        }
    });
}

void DotToSeq(Seqs& seqs, std::int32_t length, std::int32_t count)
{
    againstFirst("DotToSeq", seqs, length, count, [](char& c, char first) {
        if (c == '.') {
            c = first;
        }
    });
}

namespace {

void checkBlocks(std::string_view source, std::int32_t block, std::int32_t perLine)
{
    if (block < 1 || perLine < 1) {
        throw platform::Error(platform::err::InvalidCall, std::string(source),
                              "Blocks must hold at least one character and lines at least one block.");
    }
}

// One line of blocks from 1-based position `start`: `whole` blocks of `block`
// characters each followed by a blank, then `tail` more characters.
void appendBlocks(std::string& out, std::string_view seq, std::int64_t start, std::int32_t whole,
                  std::int32_t block, std::int32_t tail)
{
    for (std::int32_t k = 0; k < whole; ++k) {
        out.append(mid(seq, start + static_cast<std::int64_t>(k) * block, block)).push_back(' ');
    }
    if (tail > 0) {
        out.append(mid(seq, start + static_cast<std::int64_t>(whole) * block, tail));
    }
}

std::string rightAligned(std::int64_t value, std::size_t width)
{
    std::string text = std::to_string(value);
    if (text.size() < width) {
        text.insert(0, width - text.size(), ' ');
    }
    return text;
}

std::string blockLines(std::string_view seq, std::int32_t length, std::int32_t block, std::int32_t perLine,
                       bool numbered, std::int32_t indent)
{
    const std::int64_t p = static_cast<std::int64_t>(block) * perLine;
    const std::int64_t len = std::max<std::int64_t>(length, 0);
    const std::int64_t full = len / p;
    const std::int64_t rest = len % p;
    std::string out;
    const auto lead = [&](std::int64_t line) {
        if (numbered) {
            out.append(rightAligned(line * p + 1, 8)).append("  ");
        } else {
            out.append(idx(std::max(indent, 0)), ' ');
        }
    };
    for (std::int64_t line = 0; line < full; ++line) {
        lead(line);
        appendBlocks(out, seq, line * p + 1, perLine, block, 0);
        out.append("\r\n");
    }
    if (rest > 0) {
        lead(full);
        appendBlocks(out, seq, full * p + 1, static_cast<std::int32_t>(rest / block), block,
                     static_cast<std::int32_t>(rest % block));
    }
    return out;
}

std::string interleaved(const Seqs& seqs, const Seqs& names, std::int32_t side, std::int32_t length,
                        std::int32_t count, std::int32_t nameWidth, std::int32_t block, std::int32_t perLine,
                        bool namesFirstColumnOnly, numeric::Progress* progress)
{
    const std::int64_t p = static_cast<std::int64_t>(block) * perLine;
    const std::int64_t len = std::max<std::int64_t>(length, 0);
    const std::int64_t full = len / p;
    const std::int64_t rest = len % p;
    const std::string blankName(idx(std::max(nameWidth, 0)), ' ');
    const auto label = [&](std::int64_t column, std::int32_t i) {
        return namesFirstColumnOnly && column > 0 ? blankName : FitName(names[idx(i)], nameWidth, side);
    };
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, static_cast<double>(full + (rest > 0 ? 1 : 0)));
    std::string out;
    for (std::int64_t column = 0; column < full; ++column) {
        numeric::detail::setValue(progress, static_cast<double>(column));
        for (std::int32_t i = 0; i < count; ++i) {
            out.append(label(column, i)).push_back(' ');
            appendBlocks(out, seqs[idx(i)], column * p + 1, perLine, block, 0);
            out.append("\r\n");
        }
        out.append("\r\n");
    }
    if (rest > 0) {
        numeric::detail::setValue(progress, static_cast<double>(full));
        for (std::int32_t i = 0; i < count; ++i) {
            if (i > 0) {
                out.append("\r\n");
            }
            out.append(label(full, i)).push_back(' ');
            appendBlocks(out, seqs[idx(i)], full * p + 1, static_cast<std::int32_t>(rest / block), block,
                         static_cast<std::int32_t>(rest % block));
        }
    }
    numeric::detail::setValue(progress, 0);
    return out;
}

} // namespace

std::string FormatSeqBlocks(std::string_view seq, std::int32_t indent, std::int32_t length, std::int32_t block,
                            std::int32_t perLine)
{
    checkBlocks("FormatSeqBlocks", block, perLine);
    return blockLines(seq, length, block, perLine, false, indent);
}

std::string FormatSeqNumbered(std::string_view seq, std::int32_t length)
{
    return FormatSeqNumberedBy(seq, length, 10, 5);
}

std::string FormatSeqNumberedBy(std::string_view seq, std::int32_t length, std::int32_t block,
                                std::int32_t perLine)
{
    checkBlocks("FormatSeqNumberedBy", block, perLine);
    return blockLines(seq, length, block, perLine, true, 0);
}

std::string FormatInterleaved(const Seqs& seqs, const Seqs& names, std::int32_t side, std::int32_t length,
                              std::int32_t count, std::int32_t nameWidth, std::int32_t block, std::int32_t perLine)
{
    checkCount("FormatInterleaved", count, seqs, &names);
    checkBlocks("FormatInterleaved", block, perLine);
    return interleaved(seqs, names, side, length, count, nameWidth, block, perLine, false, nullptr);
}

std::string FormatPhylipInterleaved(const Seqs& seqs, const Seqs& names, std::int32_t side, std::int32_t length,
                                    std::int32_t count, std::int32_t nameWidth, std::int32_t block,
                                    std::int32_t perLine, numeric::Progress* progress)
{
    checkCount("FormatPhylipInterleaved", count, seqs, &names);
    checkBlocks("FormatPhylipInterleaved", block, perLine);
    return interleaved(seqs, names, side, length, count, nameWidth, block, perLine, true, progress);
}

} // namespace SeqUtil
