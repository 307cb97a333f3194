#include "sequence/mRyt.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <numeric>

#include "engines/map/MapExports.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/dll/Library.h"
#include "platform/errors/Error.h"
#include "sequence/SubMatFile.h"

namespace sequence {

platform::dll::Library& TallowinLibrary()
{
    static platform::dll::Library library("libtallowin.so");
    return library;
}

namespace {

bool readSubMat(SubMatKind kind, std::int32_t index, bool hasStop, std::string& alphabet,
                std::vector<std::int32_t>& values)
{
    std::filesystem::path file = SubMatFilePath(kind);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        const auto answer = platform::dialogs().MsgBox(
            "The binary file '" + SubMatFileName(kind) + "' not found in " + file.parent_path().string() +
                ". Do you want to find it yourself?",
            platform::mb::YesNo, "");
        if (answer != platform::Answer::Yes)
            return false;
        platform::FileDialogRequest request;
        request.title = "Open file";
        request.filter = "Bin (*.Bin)|*.Bin|All Files (*.*)|*.*";
        request.defaultExt = "Bin";
        request.initDir = std::filesystem::current_path(ec).string();
        const auto chosen = platform::dialogs().FileDialog(request);
        if (!chosen || chosen->path.empty())
            return false;
        file = chosen->path;
    }
    auto record = ReadSubMatRecord(file, kind, index, hasStop);
    if (record.name.empty())
        return false;
    alphabet = std::move(record.alphabet);
    values = std::move(record.values);
    return true;
}

bool allowed(const std::string& seq, const std::string& alphabet, bool isProtein)
{
    return std::all_of(seq.begin(), seq.end(), [&](char c) {
        if (!alphabet.empty())
            return alphabet.find(c) != std::string::npos;
        const auto u = static_cast<unsigned char>(c);
        return (u < 128 && std::isalpha(u) != 0) || (isProtein && c == '*');
    });
}

// One line per letter: the letter and its row of the lower triangle.
std::string matrixText(const std::string& alphabet, const std::vector<std::int32_t>& values)
{
    std::string text;
    std::size_t next = 0;
    for (std::size_t k = 0; k < alphabet.size(); ++k) {
        text += alphabet[k];
        for (std::size_t l = 0; l <= k && next < values.size(); ++l)
            text += "\t" + std::to_string(values[next++]);
        text += "\r\n";
    }
    return text;
}

} // namespace

MapTexts PackMapTexts(const std::vector<std::string>& seqs, std::int32_t numSeq)
{
    MapTexts t;
    for (std::int32_t i = 0; i < numSeq; ++i) {
        if (i > 0) {
            t.names += ' ';
            t.sequences += ' ';
        }
        t.names += '\x01' + std::to_string(i);
        const auto& s = seqs[static_cast<std::size_t>(i)];
        t.sequences += s;
        t.longest = std::max(t.longest, static_cast<std::int32_t>(s.size()));
    }
    return t;
}

bool ReadAASubMat(std::int32_t index, bool hasStop, std::string& alphabet, std::vector<std::int32_t>& values)
{
    return readSubMat(SubMatKind::AminoAcid, index, hasStop, alphabet, values);
}

bool ReadNucSubMat(std::int32_t index, std::string& alphabet, std::vector<std::int32_t>& values)
{
    return readSubMat(SubMatKind::Nucleotide, index, false, alphabet, values);
}

bool AlignWithMAP(std::vector<std::string>& seqs, std::int32_t numSeq, bool isProtein, const MapParams& params,
                  std::string& msg, std::string& subMatText, std::vector<std::string>* seqNames)
{
    if (numSeq < 1 || static_cast<std::size_t>(numSeq) > seqs.size()) {
        msg = "There are no sequences to align.";
        return false;
    }
    if (numSeq == 1) {
        msg = "Only one sequence: at least two are needed for an alignment.";
        return false;
    }
    if (!params.keepOriginalOrder && seqNames != nullptr && seqNames->size() < static_cast<std::size_t>(numSeq)) {
        msg = "There are fewer names than sequences.";
        return false;
    }
    const MapTexts texts = PackMapTexts(seqs, numSeq);
    if (static_cast<std::int64_t>(texts.sequences.size()) + 1 >
        static_cast<std::int64_t>(numSeq) * kMapCharsPerSeq) {
        msg = "The sequences are too long to be aligned together: at most " +
              std::to_string(static_cast<std::int64_t>(numSeq) * kMapCharsPerSeq - numSeq) +
              " residues in all for " + std::to_string(numSeq) + " sequences.";
        return false;
    }
    for (std::int32_t i = 0; i < numSeq; ++i) {
        if (seqs[static_cast<std::size_t>(i)].empty()) {
            msg = "Sequence " + std::to_string(i + 1) + " is empty.";
            return false;
        }
    }

    std::string alphabet;
    std::vector<std::int32_t> values;
    if (params.useSubMat) {
        const bool ok = isProtein ? ReadAASubMat(params.subMatIndex, params.hasStop, alphabet, values)
                                  : ReadNucSubMat(params.subMatIndex, alphabet, values);
        if (!ok) {
            msg = "GetAASubMatCol: Failed to get the substitution matrix.";
            return false;
        }
    }
    for (std::int32_t i = 0; i < numSeq; ++i) {
        const auto& s = seqs[static_cast<std::size_t>(i)];
        if (!allowed(s, alphabet, isProtein)) {
            const auto bad = std::find_if(s.begin(), s.end(), [&](char c) {
                return !allowed(std::string(1, c), alphabet, isProtein);
            });
            msg = "Sequence " + std::to_string(i + 1) + " holds the character \"" + std::string(1, *bad) +
                  "\" at position " + std::to_string(bad - s.begin() + 1) + ", which is not in the alphabet" +
                  (alphabet.empty() ? std::string(" (letters") + (isProtein ? " and \"*\")." : ").")
                                    : " of the substitution matrix (" + alphabet + ").");
            return false;
        }
    }

    // The output is sized from the worst case the engine documents; an
    // alignment of unrelated sequences can need more, and the engine then
    // says how much: the call runs once more with that room.
    const std::int64_t outCap = 3LL * numSeq * texts.longest;
    std::string messages;
    std::string output(static_cast<std::size_t>(outCap) + 1, ' ');
    std::vector<std::int32_t> order(static_cast<std::size_t>(numSeq));
    const std::int32_t zero = 0;

    platform::dll::Function<decltype(&mapMainDll_sized)> align(TallowinLibrary(), "mapMainDll_sized");
    std::int32_t needed = 0;
    std::int32_t result = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        messages.assign(4096, ' ');
        std::iota(order.begin(), order.end(), 0);
        needed = 0;
        result = align(texts.names.c_str(), static_cast<std::int32_t>(texts.names.size()), texts.sequences.c_str(),
                       static_cast<std::int32_t>(texts.sequences.size()), numSeq, params.minLenCCI, params.misMatch,
                       params.match, params.gapOpen, params.gapExtend, params.useSubMat ? 1 : 0, alphabet.c_str(),
                       static_cast<std::int32_t>(alphabet.size()), params.useSubMat ? values.data() : &zero,
                       params.useSubMat ? static_cast<std::int32_t>(values.size()) : 1, messages.data(),
                       static_cast<std::int32_t>(messages.size()), output.data(),
                       static_cast<std::int32_t>(output.size()), order.data(), numSeq, &needed);
        if (result == 1 || needed <= static_cast<std::int32_t>(output.size()))
            break;
        output.assign(static_cast<std::size_t>(needed), ' ');
    }
    if (result != 1) {
        messages.resize(std::min(messages.size(), messages.find('\0')));
        const auto first = messages.find_first_not_of(" \r\n\t");
        const auto last = messages.find_last_not_of(" \r\n\t");
        msg = first == std::string::npos ? std::string("The alignment failed.")
                                         : messages.substr(first, last - first + 1);
        return false;
    }

    output.resize(std::min(output.size(), output.find('\0')));
    const auto end = output.rfind(';');
    std::vector<std::string> rows;
    std::size_t start = 0;
    while (end != std::string::npos && start <= end) {
        const auto semi = output.find(';', start);
        rows.push_back(output.substr(start, semi - start));
        start = semi + 1;
    }
    if (static_cast<std::int32_t>(rows.size()) != numSeq) {
        msg = "The alignment engine returned " + std::to_string(rows.size()) + " rows for " +
              std::to_string(numSeq) + " sequences.";
        return false;
    }

    if (params.keepOriginalOrder) {
        for (std::int32_t i = 0; i < numSeq; ++i)
            seqs[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = std::move(rows[static_cast<std::size_t>(i)]);
    } else {
        for (std::int32_t i = 0; i < numSeq; ++i)
            seqs[static_cast<std::size_t>(i)] = std::move(rows[static_cast<std::size_t>(i)]);
        if (seqNames != nullptr) {
            std::vector<std::string> names(static_cast<std::size_t>(numSeq));
            for (std::int32_t i = 0; i < numSeq; ++i)
                names[static_cast<std::size_t>(i)] = (*seqNames)[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
            std::copy(names.begin(), names.end(), seqNames->begin());
        }
    }
    if (params.useSubMat)
        subMatText = matrixText(alphabet, values);
    return true;
}

} // namespace sequence
