#include "sequence/SeqWrite.h"

#include <algorithm>
#include <fstream>
#include <random>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/Convert.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/PrintLine.h"
#include "sequence/SeqUtil.h"
#include "shell/core/StrUtil.h"

namespace SeqWrite {

namespace {

using platform::rt::PrintLine;
using SeqUtil::detail::mid;

// The name of the sequence file a set was read from. The program's sets come
// from retrieval and alignment, never from a file, so the header lines that
// carry it stay empty in its place.
const std::string SourceFileName;

std::size_t idx(std::int32_t i)
{
    return static_cast<std::size_t>(i);
}

void setMin(numeric::Progress* p, double v)
{
    numeric::detail::setMinimum(p, v);
}
void setMax(numeric::Progress* p, double v)
{
    numeric::detail::setMaximum(p, v);
}
void setValue(numeric::Progress* p, double v)
{
    numeric::detail::setValue(p, v);
}

bool isControl(unsigned char c)
{
    return c < 32 || c == 127;
}

// Refuses what no layout can hold before anything is asked or opened.
void checkSet(std::string_view source, const Seqs& seqs, const Seqs& names, std::int32_t count)
{
    SeqUtil::detail::checkCount(source, count, seqs, &names);
    if (count < 1) {
        throw platform::Error(platform::err::InvalidCall, std::string(source), "There are no sequences to write.");
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const auto bad = [](const std::string& s) {
            return std::any_of(s.begin(), s.end(), [](char c) { return isControl(static_cast<unsigned char>(c)); });
        };
        if (bad(names[idx(i)])) {
            throw platform::Error(platform::err::InvalidCall, std::string(source),
                                  "The name of sequence " + std::to_string(i + 1) +
                                      " holds a line break or another control character, which a sequence file "
                                      "cannot hold.");
        }
        if (bad(seqs[idx(i)])) {
            throw platform::Error(platform::err::InvalidCall, std::string(source),
                                  "Sequence " + std::to_string(i + 1) + " (" + names[idx(i)] +
                                      ") holds a line break or another control character, which a sequence file "
                                      "cannot hold.");
        }
    }
}

// Replaces the file with `text` in one step: the text goes to a temporary
// file beside it, which is then renamed over it.
void writeWholeFile(const Path& file, const std::string& text, std::string_view source)
{
    const Path folder = file.has_parent_path() ? file.parent_path() : Path(".");
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        throw platform::Error(platform::err::PathNotFound, std::string(source),
                              "Path not found: " + folder.string());
    }
    std::random_device rd;
    const Path temp = folder / ("." + file.filename().string() + "." + std::to_string(rd() % 1000000) + ".tmp");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            out.flush();
        }
        if (!out) {
            out.close();
            std::filesystem::remove(temp, ec);
            throw platform::Error(platform::err::PathFileAccess, std::string(source),
                                  "Path/File access error: the file " + file.string() + " cannot be written.");
        }
    }
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        throw platform::Error(platform::err::PathFileAccess, std::string(source),
                              "Path/File access error: the file " + file.string() + " cannot be replaced.");
    }
}

std::int32_t longestOf(const Seqs& seqs, std::int32_t count)
{
    return SeqUtil::GetMaxSeqLen(seqs, count);
}

std::int32_t len(const std::string& s)
{
    return static_cast<std::int32_t>(s.size());
}

std::string crcText(const std::string& seq)
{
    return std::to_string(StrUtil::GetCRC16(seq));
}

std::string right(std::int64_t value, int width)
{
    return StrUtil::FormatNumRight(static_cast<double>(value), width, 0);
}

std::string today(std::string_view pattern)
{
    return platform::rt::FormatDate(platform::rt::Now(), pattern);
}

// The system's long date form.
std::string longDate()
{
    return today("dddd, mmmm d, yyyy");
}

bool refuseUnequal(const Seqs& seqs, std::int32_t count, std::string_view formatWords)
{
    if (SeqUtil::IsEqualLength(count, seqs)) {
        return false;
    }
    platform::dialogs().MsgBox("The sequences are not of equal lengths and may not have been aligned. It makes "
                               "no sense to output in " +
                                   std::string(formatWords) + " format. Operation aborted.",
                               platform::mb::OkOnly, "Warning!");
    return true;
}

// The first line and base counts of a GenBank or GCG record.
void locusAndCounts(PrintLine& p, const std::string& seq, const std::string& name, const std::string& seqType,
                    bool gcg)
{
    if (gcg) {
        p.item("LOCUS     " + name);
    } else {
        p.item("LOCUS").tab(13).item(name);
    }
    p.item(right(len(seq), 7)).item(" bp").item(seqType == "AA" ? " Protein " : " DNA ").item(today("dd-mmm-yyyy"));
    p.endLine();
    const auto counts = SeqUtil::GetBaseCount(seq);
    p.item("BASE COUNT ").item(counts[0]).item(" a ").item(counts[1]).item(" c ").item(counts[2]).item(" g ");
    p.item(counts[3]).item(gcg ? "t .." : "t").endLine();
}

// A name column of at least `width` characters that always leaves a blank
// before the next field. The name is cut only where the residue blocks cut it
// (at the name width), so the header names the sequences as the blocks do.
std::string nameColumn(const std::string& name, std::int32_t width, std::int32_t nameWidth)
{
    std::string column = nameWidth > 0 && len(name) > nameWidth ? name.substr(0, idx(nameWidth)) : name;
    if (len(column) < width) {
        column.resize(idx(width), ' ');
    } else {
        column.push_back(' ');
    }
    return column;
}

std::string msfText(const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress,
                    const std::string& seqType, std::int32_t nameWidth)
{
    const std::int32_t longest = longestOf(seqs, count);
    const bool protein = seqType == "AA";
    PrintLine p;
    // The first line names the kind of alignment, as GCG writes it and as
    // readers of the format require; then the header, one line that ends
    // with "..". The type letter stands apart from the date for both kinds.
    p.item(protein ? "!!AA_MULTIPLE_ALIGNMENT 1.0" : "!!NA_MULTIPLE_ALIGNMENT 1.0").endLine().endLine();
    p.tab(1).item(SourceFileName).item("  MSF: ").item(longest).item("  Type: ").item(protein ? "P " : "N ");
    p.item(today("mmm d yyyy")).item(" ").item(today("h:m")).item("  Check:");
    p.item(right(StrUtil::GetCRC16(seqs[0]), 9)).item(" ..").endLine();
    p.endLine();
    for (std::int32_t i = 0; i < count; ++i) {
        setValue(progress, i);
        const std::string& s = seqs[idx(i)];
        p.item("Name: " + nameColumn(names[idx(i)], 17, nameWidth) + "Len:  " + std::to_string(s.size()) +
               "  Check:" + right(StrUtil::GetCRC16(s), 9) + "  Weight:  1.00")
            .endLine();
    }
    p.endLine().item("//").endLine().endLine();
    // An empty line ends the last column of blocks too: without it the
    // aligner finds no sequence in an alignment of one column (50 sites or
    // fewer).
    const std::string blocks = SeqUtil::FormatInterleaved(seqs, names, 0, longest, count, nameWidth, 10, 5);
    p.item(blocks).endLine();
    if (blocks.size() < 4 || blocks.compare(blocks.size() - 4, 4, "\r\n\r\n") != 0) {
        p.endLine();
    }
    return p.text();
}

// Whether the residues hold U (either case) and no T.
bool holdsRnaOnly(const Seqs& seqs, std::int32_t count)
{
    bool u = false;
    for (std::int32_t i = 0; i < count; ++i) {
        for (const char c : seqs[idx(i)]) {
            if (c == 'T' || c == 't') {
                return false;
            }
            u = u || c == 'U' || c == 'u';
        }
    }
    return u;
}

template <typename Build>
bool writeWith(const Path& file, std::string_view source, std::int32_t count, numeric::Progress* progress,
               Build build)
{
    setMin(progress, 0);
    setMax(progress, count);
    const std::string text = build();
    setValue(progress, 0);
    writeWholeFile(file, text, source);
    return true;
}

} // namespace

std::string Lines60(const std::string& seq, std::int32_t length)
{
    std::string out;
    if (length <= 0) {
        return out;
    }
    const std::int32_t k = length % 60 == 0 ? length / 60 - 1 : length / 60;
    for (std::int32_t j = 0; j <= k; ++j) {
        out.append(mid(seq, 60LL * j + 1, 60)).append("\r\n");
    }
    return out;
}

bool OutMEG(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress)
{
    checkSet("OutMEG", seqs, names, count);
    if (refuseUnequal(seqs, count, "the MEGA")) {
        return false;
    }
    const std::string title = platform::dialogs().InputBox("Enter a brief title (description)", "MEGA Output", "");
    return writeWith(file, "OutMEG", count, progress, [&] {
        const std::int32_t longest = longestOf(seqs, count);
        PrintLine p;
        p.item("#mega").endLine();
        p.item("TITLE " + title).endLine();
        p.item("      Number of Sequences:").item(platform::rt::Str(count) + ". Sequence Length:").item(longest);
        p.endLine();
        p.item("      Output on ").item(longDate()).endLine();
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            p.endLine().item("#" + names[idx(i)]).endLine();
            p.item(Lines60(seqs[idx(i)], longest));
        }
        return p.text();
    });
}

bool OutIG(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress)
{
    checkSet("OutIG", seqs, names, count);
    return writeWith(file, "OutIG", count, progress, [&] {
        PrintLine p;
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            const std::string& s = seqs[idx(i)];
            p.item("; ").item(len(s)).item(" bp. Converted from file: " + SourceFileName).endLine();
            p.item(names[idx(i)]).endLine();
            p.item(Lines60(s, len(s)));
        }
        return p.text();
    });
}

bool OutFASTA(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
              numeric::Progress* progress, std::optional<bool> rnaFlag)
{
    checkSet("OutFASTA", seqs, names, count);
    const std::string suffix = !rnaFlag ? "" : (*rnaFlag ? " bases" : " aa");
    return writeWith(file, "OutFASTA", count, progress, [&] {
        PrintLine p;
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            const std::string& s = seqs[idx(i)];
            p.item(">" + names[idx(i)] + " ").item(len(s)).item(suffix).endLine();
            p.item(Lines60(s, len(s)));
        }
        return p.text();
    });
}

bool OutPAML(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress)
{
    checkSet("OutPAML", seqs, names, count);
    if (refuseUnequal(seqs, count, "PAML")) {
        return false;
    }
    return writeWith(file, "OutPAML", count, progress, [&] {
        const std::int32_t longest = longestOf(seqs, count);
        PrintLine p;
        p.item(" ").item(count).item("  ").item(longest).endLine();
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            p.endLine().item(names[idx(i)]).endLine();
            p.item(Lines60(seqs[idx(i)], longest));
        }
        return p.text();
    });
}

bool OutGenBank(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
                numeric::Progress* progress, const std::string& seqType)
{
    checkSet("OutGenBank", seqs, names, count);
    return writeWith(file, "OutGenBank", count, progress, [&] {
        PrintLine p;
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            const std::string& s = seqs[idx(i)];
            locusAndCounts(p, s, names[idx(i)], seqType, false);
            p.item("ORIGIN").endLine();
            p.item(SeqUtil::FormatSeqNumbered(s, len(s))).endLine();
            p.item("//").endLine();
        }
        return p.text();
    });
}

bool OutGCG(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress,
            const std::string& seqType, std::int32_t nameWidth)
{
    checkSet("OutGCG", seqs, names, count);
    if (count > 1) {
        const platform::Answer answer = platform::dialogs().MsgBox(
            "You have chosen GCG single sequence format, but there are " + std::to_string(count) +
                " sequences in Brisco. Do you wish to write the sequences out using GCG's multiple sequence "
                "format (MSF)?",
            platform::mb::YesNo + platform::mb::Information, "");
        if (answer == platform::Answer::Yes) {
            return OutMSF(file, seqs, names, count, progress, seqType, nameWidth);
        }
    }
    return writeWith(file, "OutGCG", count, progress, [&] {
        PrintLine p;
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            const std::string& s = seqs[idx(i)];
            locusAndCounts(p, s, names[idx(i)], seqType, true);
            p.item(SeqUtil::FormatSeqNumbered(s, len(s))).endLine();
            p.endLine();
        }
        return p.text();
    });
}

bool OutMSF(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress,
            const std::string& seqType, std::int32_t nameWidth)
{
    checkSet("OutMSF", seqs, names, count);
    return writeWith(file, "OutMSF", count, progress,
                     [&] { return msfText(seqs, names, count, progress, seqType, nameWidth); });
}

bool OutPHYLIP(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
               numeric::Progress* progress, std::int32_t nameWidth)
{
    checkSet("OutPHYLIP", seqs, names, count);
    const std::int32_t longest = longestOf(seqs, count);
    PrintLine p;
    p.tab(2).item(count).tab(9).item(longest).endLine();
    // The layout drives the progress bar by columns of blocks.
    p.item(SeqUtil::FormatPhylipInterleaved(seqs, names, -1, longest, count, nameWidth, 10, 5, progress));
    p.endLine();
    writeWholeFile(file, p.text(), "OutPHYLIP");
    return true;
}

bool OutEMBL(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
             numeric::Progress* progress, const std::string& seqType)
{
    checkSet("OutEMBL", seqs, names, count);
    return writeWith(file, "OutEMBL", count, progress, [&] {
        const bool protein = seqType == "AA";
        PrintLine p;
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            const std::string name = names[idx(i)].substr(0, 9);
            const std::string& s = seqs[idx(i)];
            // Each record gives its own sequence's length and lays out its own
            // residues: blocks past the end of a shorter sequence would be lines
            // without residues, which readers of the format refuse. The ID line
            // carries the molecule and the length after the name, as readers
            // require.
            const std::string lengthText = std::to_string(s.size());
            p.item("ID").tab(6).item(name);
            p.item(std::string(" standard; ") + (protein ? "PRT" : "DNA") + "; UNC; " + lengthText +
                   (protein ? " AA." : " BP."))
                .endLine();
            p.item("DE").tab(6).item(name + "  " + lengthText + "  bases," + crcText(s) + " checksum.").endLine();
            p.item("SQ").tab(13).item(lengthText + " BP").endLine();
            // The blocks end with a line end of their own when the last line is
            // full; an empty line inside a record would end its residues.
            const std::string blocks = SeqUtil::FormatSeqBlocks(s, 5, len(s), 10, 6);
            p.item(blocks);
            if (!blocks.empty() && blocks.back() != '\n') {
                p.endLine();
            }
            p.item("//").endLine();
        }
        return p.text();
    });
}

bool OutStrider(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
                numeric::Progress* progress, const std::string& seqType)
{
    checkSet("OutStrider", seqs, names, count);
    return writeWith(file, "OutStrider", count, progress, [&] {
        PrintLine p;
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            const std::string& s = seqs[idx(i)];
            p.item("; ### from DNA Strider ;-)").endLine();
            // "; Prot. seqeunce" fills the 16 columns before the name: a
            // blank keeps the name apart from it.
            const std::string kind = std::string("; ") + (seqType == "AA" ? "Prot. seqeunce" : "DNA sequence");
            if (kind.size() < 16) {
                p.item(kind).tab(17);
            } else {
                p.item(kind + " ");
            }
            p.item(names[idx(i)]).item(" ").item(len(s)).item(" bases.").endLine();
            p.item(";").endLine();
            p.item(Lines60(s, len(s)));
            p.item("//").endLine();
        }
        return p.text();
    });
}

bool OutFitch(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
              numeric::Progress* progress)
{
    checkSet("OutFitch", seqs, names, count);
    return writeWith(file, "OutFitch", count, progress, [&] {
        const std::int32_t longest = longestOf(seqs, count);
        PrintLine p;
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            const std::string& s = seqs[idx(i)];
            p.item(names[idx(i)]).zone().item("  ").item(longest).item(" bases, ");
            p.item(StrUtil::GetCRC16(s)).item(" checksum.").endLine();
            p.item(SeqUtil::FormatSeqBlocks(s, 1, len(s), 3, 20)).endLine();
        }
        return p.text();
    });
}

bool OutPIR(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count, numeric::Progress* progress,
            const std::string& seqType)
{
    checkSet("OutPIR", seqs, names, count);
    return writeWith(file, "OutPIR", count, progress, [&] {
        PrintLine p;
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            const std::string& s = seqs[idx(i)];
            p.item("\\\\\\").endLine();
            p.item("ENTRY           " + names[idx(i)] + (seqType == "AA" ? "  Protein" : "  DNA")).endLine();
            p.item("TITLE           ").item(names[idx(i)]).item("  ").item(len(s)).item(" bases; ");
            p.item(StrUtil::GetCRC16(s)).item(" checksum.").endLine();
            p.item("SEQUENCE        ").endLine();
            p.item("                  5        10        15        20        25        30").endLine();
            p.item(SeqUtil::FormatSeqNumberedBy(s, len(s), 1, 30)).endLine();
            p.item("///").endLine();
        }
        return p.text();
    });
}

bool OutNEXUS(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
              numeric::Progress* progress, std::int32_t nameWidth, bool isRNA, const std::string& seqType)
{
    checkSet("OutNEXUS", seqs, names, count);
    return writeWith(file, "OutNEXUS", count, progress, [&] {
        const std::int32_t longest = longestOf(seqs, count);
        std::string dataType = "DNA";
        if (seqType == "AA") {
            dataType = "Protein";
        } else if (seqType == "NonProtein" && !isRNA && holdsRnaOnly(seqs, count)) {
            // An unflagged nucleotide set is RNA only when its residues say
            // so (U and no T): called RNA, a DNA set's every T is refused.
            dataType = "RNA";
        }
        PrintLine p;
        p.item("#NEXUS").endLine();
        p.item("[" + SourceFileName + " -- data title]").endLine();
        p.endLine();
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            p.item("[Name: " + nameColumn(names[idx(i)], 18, nameWidth) + "Len: " + std::to_string(longest) +
                   "  Check:" + right(StrUtil::GetCRC16(seqs[idx(i)]), 9) + "]")
                .endLine();
        }
        p.endLine().endLine();
        p.item("begin data;").endLine();
        p.item(" dimensions ntax=" + std::to_string(count) + " nchar=" + std::to_string(longest) + ";").endLine();
        p.item(" format datatype=" + dataType + " interleave missing=-;").endLine();
        p.item("  matrix").endLine();
        if (dataType == "DNA") {
            Seqs copy(seqs.begin(), seqs.begin() + count);
            for (std::string& s : copy) {
                std::replace(s.begin(), s.end(), 'U', 'T');
            }
            p.item(SeqUtil::FormatInterleaved(copy, names, 0, longest, count, nameWidth, 20, 5)).endLine();
        } else {
            p.item(SeqUtil::FormatInterleaved(seqs, names, 0, longest, count, nameWidth, 20, 5)).endLine();
        }
        p.item(";").endLine();
        p.item("end;").endLine();
        return p.text();
    });
}

bool OutNBRF(const Path& file, const Seqs& seqs, const Seqs& names, std::int32_t count,
             numeric::Progress* progress, const std::string& seqType)
{
    checkSet("OutNBRF", seqs, names, count);
    return writeWith(file, "OutNBRF", count, progress, [&] {
        const std::int32_t longest = longestOf(seqs, count);
        PrintLine p;
        for (std::int32_t i = 0; i < count; ++i) {
            setValue(progress, i);
            const std::string& s = seqs[idx(i)];
            std::string code = ">DL;";
            if (seqType == "AA") {
                code = !s.empty() && s.front() == 'M' && s.back() == '*' ? ">P1;" : ">F1;";
            } else if (seqType == "NonProtein") {
                code = ">RL;";
            }
            p.item(code + names[idx(i)]).endLine();
            p.item(names[idx(i)]).item(" - " + std::to_string(longest) + " bases, " + crcText(s) + " checksum.");
            p.endLine();
            p.item(SeqUtil::FormatSeqBlocks(s, 1, longest, 10, 5) + "*").endLine();
            p.endLine();
        }
        return p.text();
    });
}

bool WriteSeqFile(const Path& file, std::int16_t code, const sequence::SequenceSet& set,
                  numeric::Progress* progress)
{
    const Seqs& seqs = set.seq;
    const Seqs& names = set.name;
    const std::int32_t count = set.numSeq;
    if (code < 0 || code > 13) {
        platform::dialogs().MsgBox("Unknown format.", platform::mb::OkOnly, "");
        return false;
    }
    checkSet("WriteSeqFile", seqs, names, count);
    const std::int32_t nameWidth = SeqUtil::GetMaxNameLen(names, count);
    switch (code) {
    case 0: return OutMEG(file, seqs, names, count, progress);
    case 1: return OutIG(file, seqs, names, count, progress);
    // The header says " aa" for protein sets and " bases" for nucleotide ones.
    case 2: return OutFASTA(file, seqs, names, count, progress, set.seqType != "AA");
    case 3: return OutPAML(file, seqs, names, count, progress);
    case 4: return OutGenBank(file, seqs, names, count, progress, set.seqType);
    case 5: return OutGCG(file, seqs, names, count, progress, set.seqType, nameWidth);
    case 6: return OutMSF(file, seqs, names, count, progress, set.seqType, nameWidth);
    case 7: {
        const auto yesNo = platform::mb::YesNo + platform::mb::Information;
        const bool dots = platform::dialogs().MsgBox("Do you wish to output in dot format?", yesNo, "") ==
                          platform::Answer::Yes;
        std::int32_t width = 10;
        if (nameWidth >= 11 &&
            platform::dialogs().MsgBox("Do you want to limit file name to 10 characters long?", yesNo, "") !=
                platform::Answer::Yes) {
            width = nameWidth;
        }
        if (!dots) {
            return OutPHYLIP(file, seqs, names, count, progress, width);
        }
        Seqs dotted(seqs.begin(), seqs.begin() + count);
        SeqUtil::SeqToDot(dotted, SeqUtil::GetMaxSeqLen(dotted, count), count);
        return OutPHYLIP(file, dotted, names, count, progress, width);
    }
    case 8: return OutEMBL(file, seqs, names, count, progress, set.seqType);
    case 9: return OutStrider(file, seqs, names, count, progress, set.seqType);
    case 10: return OutFitch(file, seqs, names, count, progress);
    case 11: return OutPIR(file, seqs, names, count, progress, set.seqType);
    case 12: return OutNEXUS(file, seqs, names, count, progress, nameWidth, set.isRNA, set.seqType);
    default: return OutNBRF(file, seqs, names, count, progress, set.seqType);
    }
}

} // namespace SeqWrite
