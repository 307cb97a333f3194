#include "sequence/SeqView.h"

#include <algorithm>

#include "sequence/SeqUtil.h"
#include "sequence/rtfUtil.h"

namespace SeqUtil {

namespace {

constexpr const char* CrLf = "\r\n";
constexpr std::int32_t BlockSites = 62;

std::string blanks(std::int32_t n)
{
    return std::string(static_cast<std::size_t>(std::max(0, n)), ' ');
}

std::string part(const std::string& s, std::int32_t from, std::int32_t length)
{
    if (from >= static_cast<std::int32_t>(s.size())) {
        return {};
    }
    return s.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(length));
}

std::string consensus(const Seqs& seqs, std::int32_t width, std::int32_t count)
{
    if (count < 2) {
        return {};
    }
    // Marks over the sites every sequence has.
    std::int32_t shortest = width;
    for (std::int32_t i = 0; i < count; ++i) {
        shortest = std::min(shortest, static_cast<std::int32_t>(seqs[static_cast<std::size_t>(i)].size()));
    }
    std::string marks = GetConsensusMarks(seqs, shortest, count);
    marks.resize(static_cast<std::size_t>(width), ' ');
    return marks;
}

std::string colour(const std::string& text, bool protein)
{
    return protein ? rtfUtil::RtfColorResidues(text) : rtfUtil::RtfColorRNA(text);
}

std::string rtfPlain(const std::string& text)
{
    std::string out = rtfUtil::RtfEscape(text);
    std::string::size_type at = 0;
    while ((at = out.find(CrLf, at)) != std::string::npos) {
        out.replace(at, 2, "\\par ");
        at += 5;
    }
    return out;
}

std::string plainLayout(const Seqs& seqs, const Seqs& names, std::int32_t side, std::int32_t width,
                        std::int32_t count, std::int32_t nameWidth, bool aligned, numeric::Progress* progress)
{
    detail::checkCount("FormatSeqListPlain", count, seqs, &names);
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, std::max(1, count));
    const std::string prefix = blanks(nameWidth + 1);
    std::string out;
    std::size_t size = 4 * (prefix.size() + static_cast<std::size_t>(width) + 2);
    for (std::int32_t i = 0; i < count; ++i) {
        size += static_cast<std::size_t>(nameWidth) + 3 + seqs[static_cast<std::size_t>(i)].size();
    }
    out.reserve(size);
    out += prefix + PositionLine(width) + CrLf;
    out += prefix + RulerLine(width) + CrLf;
    for (std::int32_t i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        out += FitName(names[k], nameWidth, side);
        out += ' ';
        out += seqs[k];
        out += CrLf;
        numeric::detail::setValue(progress, i + 1);
    }
    if (aligned) {
        out += prefix + consensus(seqs, width, count) + CrLf;
    }
    numeric::detail::setValue(progress, 0);
    return out;
}

std::string rtfBody(const Seqs& seqs, const Seqs& names, std::int32_t side, std::int32_t from, std::int32_t sites,
                    std::int32_t count, std::int32_t nameWidth, bool protein, const std::string& position,
                    const std::string& ruler, const std::string* marks)
{
    // Colour switches hold until the next one: plain parts go back to black
    // (index 0 of both tables).
    const std::string black = "\\cf0 ";
    const std::string prefix = blanks(nameWidth + 1);
    std::string out;
    out += black + rtfPlain(prefix + part(position, from, sites)) + "\\par ";
    out += rtfPlain(prefix + part(ruler, from, sites)) + "\\par ";
    for (std::int32_t i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        out += black + rtfUtil::RtfEscape(FitName(names[k], nameWidth, side)) + " ";
        out += colour(part(seqs[k], from, sites), protein) + " \\par ";
    }
    if (marks != nullptr) {
        out += black + rtfPlain(prefix + part(*marks, from, sites)) + "\\par ";
    }
    return out;
}

} // namespace

std::string PositionLine(std::int32_t width)
{
    std::string line = blanks(width);
    for (std::int32_t site = 10; site <= width; site += 10) {
        const std::string number = std::to_string(site);
        const auto start = site - static_cast<std::int32_t>(number.size());
        if (start >= 0) {
            line.replace(static_cast<std::size_t>(start), number.size(), number);
        }
    }
    return line;
}

std::string RulerLine(std::int32_t width)
{
    std::string line(static_cast<std::size_t>(std::max(0, width)), '-');
    for (std::int32_t site = 5; site <= width; site += 5) {
        line[static_cast<std::size_t>(site - 1)] = '|';
    }
    return line;
}

std::string FormatAlignedPlain(const Seqs& seqs, const Seqs& names, std::int32_t side, std::int32_t width,
                               std::int32_t count, std::int32_t nameWidth, numeric::Progress* progress)
{
    return plainLayout(seqs, names, side, width, count, nameWidth, true, progress);
}

std::string FormatSeqListPlain(const Seqs& seqs, const Seqs& names, std::int32_t side, std::int32_t count,
                               std::int32_t nameWidth, numeric::Progress* progress, std::int32_t width)
{
    return plainLayout(seqs, names, side, width, count, nameWidth, false, progress);
}

std::string FormatAlignedRtf(const Seqs& seqs, const Seqs& names, std::int32_t side, std::int32_t width,
                             std::int32_t count, std::int32_t nameWidth, bool protein, numeric::Progress* progress)
{
    detail::checkCount("FormatAlignedRtf", count, seqs, &names);
    const std::int32_t blocks = std::max(1, (width + BlockSites - 1) / BlockSites);
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, width / 10 + blocks);
    const std::string position = PositionLine(width);
    numeric::detail::setValue(progress, width / 10);
    const std::string ruler = RulerLine(width);
    const std::string marks = consensus(seqs, width, count);
    std::string out = rtfUtil::RtfHeader(protein);
    for (std::int32_t b = 0; b < blocks; ++b) {
        if (b > 0) {
            out += "\\par \\par";
        }
        out += rtfBody(seqs, names, side, b * BlockSites, BlockSites, count, nameWidth, protein, position, ruler,
                       &marks);
        numeric::detail::setValue(progress, width / 10 + b + 1);
    }
    numeric::detail::setValue(progress, 0);
    return out + "\\par }";
}

std::string FormatAlignedRtfView(const Seqs& seqs, const Seqs& names, std::int32_t side, std::int32_t width,
                                 std::int32_t count, std::int32_t nameWidth, const std::string& before,
                                 bool protein, const std::string& after)
{
    detail::checkCount("FormatAlignedRtfView", count, seqs, &names);
    const std::string marks = consensus(seqs, width, count);
    return rtfUtil::RtfHeader(protein) + rtfPlain(before) +
           rtfBody(seqs, names, side, 0, width, count, nameWidth, protein, PositionLine(width), RulerLine(width),
                   &marks) +
           "\\cf0 " + rtfPlain(after) + "\\par }";
}

std::string FormatSeqListRtf(const Seqs& seqs, const Seqs& names, std::int32_t side, std::int32_t count,
                             std::int32_t nameWidth, const std::string& before, bool protein,
                             const std::string& after)
{
    detail::checkCount("FormatSeqListRtf", count, seqs, &names);
    const std::int32_t width = GetMaxSeqLen(seqs, count);
    return rtfUtil::RtfHeader(protein) + rtfPlain(before) +
           rtfBody(seqs, names, side, 0, width, count, nameWidth, protein, PositionLine(width), RulerLine(width),
                   nullptr) +
           "\\cf0 " + rtfPlain(after) + "\\par }";
}

namespace {

struct Working {
    Seqs seqs;
    std::int32_t n = 0;
    std::int32_t longest = 0;
    std::int32_t width = 0;
};

Working workingCopy(const BufferSet& set, std::int32_t cap)
{
    Working w;
    w.n = std::min(set.numSeq, cap);
    detail::checkCount("ShowSeqBuffer", w.n, set.seqs, &set.names);
    w.seqs.assign(set.seqs.begin(), set.seqs.begin() + w.n);
    w.longest = GetMaxSeqLen(w.seqs, w.n);
    const bool cut = w.longest > 3000;
    w.width = cut ? 1000 : w.longest;
    for (auto& s : w.seqs) {
        if (cut && s.size() > 1000) {
            s.resize(1000);
        }
        if (set.isRNA) {
            std::replace(s.begin(), s.end(), 'U', 'T');
        }
    }
    return w;
}

std::string lengthNote(std::int32_t longest)
{
    return "The longest sequence length = " + std::to_string(longest) + "." + CrLf +
           "Only the first 1000 bp are shown." + CrLf + CrLf + "To have a complete view, click 'Edit|Edit Sequences'";
}

} // namespace

std::string SeqBufferPlain(const BufferSet& set, const std::string& footer, const std::string& preface,
                           numeric::Progress* progress)
{
    if (set.numSeq <= 0) {
        return "No sequence in memory.";
    }
    const Working w = workingCopy(set, 500);
    std::string heading;
    if (!preface.empty()) {
        heading += preface + CrLf + CrLf;
    }
    if (set.numSeq > 500) {
        heading += "There are " + std::to_string(set.numSeq) + " sequences in Brisco's buffer. Only the first " +
                   std::to_string(500) + " sequences are displayed below." + CrLf + CrLf;
    }
    if (w.longest > 3000) {
        heading += lengthNote(w.longest) + CrLf + CrLf;
    }
    const std::int32_t nameWidth = GetMaxNameLen(set.names, w.n);
    const std::string layout =
        set.aligned ? FormatAlignedPlain(w.seqs, set.names, -1, w.width, w.n, nameWidth, progress)
                    : FormatSeqListPlain(w.seqs, set.names, -1, w.n, nameWidth, progress, w.width);
    return heading + layout + CrLf + footer;
}

RtfBuffer SeqBufferRtf(const BufferSet& set, const std::string& before, const std::string& after)
{
    RtfBuffer out;
    if (set.numSeq <= 0) {
        out.plain = "No sequence in memory.";
        return out;
    }
    const Working w = workingCopy(set, 1000);
    if (w.longest > 3000) {
        out.note = lengthNote(w.longest);
    }
    const bool protein = set.seqType == "AA";
    const std::int32_t nameWidth = GetMaxNameLen(set.names, w.n);
    out.rtf = set.aligned
                  ? FormatAlignedRtfView(w.seqs, set.names, -1, w.width, w.n, nameWidth, before, protein, after)
                  : FormatSeqListRtf(w.seqs, set.names, -1, w.n, nameWidth, before, protein, after);
    return out;
}

} // namespace SeqUtil
