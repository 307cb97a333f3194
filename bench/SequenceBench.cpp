// Sequence files: for a seeded set of 1,000 aligned sequences of 10,000
// bases, the time to write it in each output format and to recognise the
// written file's format, and the time to read the set back from Clustal
// alignment text. Prints its figures; asserts nothing.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "platform/dialogs/Dialogs.h"
#include "sequence/ClustalAln.h"
#include "sequence/SeqWrite.h"
#include "sequence/cSeqFmt.h"
#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

namespace {

using bench::seconds;

// Answers No to every question and cancels every input box, silently.
class QuietDialogs final : public platform::Dialogs {
public:
    platform::Answer MsgBox(std::string_view, int, std::string_view) override { return platform::Answer::No; }
    std::string InputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
};

std::string clustalText(const sequence::SequenceSet& set)
{
    std::string out = "CLUSTAL 2.1 multiple sequence alignment\n\n\n";
    const std::size_t length = set.seq[0].size();
    for (std::size_t from = 0; from < length; from += 60) {
        for (std::int32_t i = 0; i < set.numSeq; ++i) {
            const auto k = static_cast<std::size_t>(i);
            out += set.name[k] + std::string(16 - set.name[k].size(), ' ') + set.seq[k].substr(from, 60) + "\n";
        }
        out += std::string(16, ' ') + "**\n\n";
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args(argc, argv, "\n  Times writing and reading 1,000 x 10,000 seeded bases in each format; takes no arguments.\n").finish();
    constexpr int Count = 1000;
    constexpr int Length = 10000;
    const unsigned seed = 8122026;
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> base(0, 4);
    sequence::SequenceSet set;
    set.numSeq = Count;
    set.maxLen = Length;
    set.aligned = true;
    for (int i = 0; i < Count; ++i) {
        set.name.push_back("seq" + std::to_string(i + 1));
        std::string s(Length, 'A');
        for (char& c : s) {
            c = "ACGT-"[base(rng)];
        }
        set.seq.push_back(std::move(s));
    }

    QuietDialogs quiet;
    platform::ScopedDialogs scope(quiet);
    const auto folder = std::filesystem::temp_directory_path() / ("tessaray-seqbench-" + std::to_string(seed));
    std::filesystem::create_directories(folder);
    std::printf("%d sequences of %d bases (seed %u)\n", Count, Length, seed);
    std::printf("%-30s %10s %10s %12s\n", "format", "write s", "detect s", "file bytes");
    sequence::cSeqFmt& fmt = sequence::gSeqFmt();
    for (std::int16_t code = 0; code <= 13; ++code) {
        const auto path = folder / ("out" + std::to_string(code));
        const double write = seconds([&] { SeqWrite::WriteSeqFile(path, code, set, nullptr); });
        int detected = -1;
        const double detect = seconds([&] { detected = fmt.GetFileType(path); });
        std::printf("%-30s %10.3f %10.6f %12ju  (detected as %d)\n", fmt.OutSeqFmt(code).c_str(), write, detect,
                    static_cast<std::uintmax_t>(std::filesystem::file_size(path)), detected);
    }
    std::string text = clustalText(set);
    std::vector<std::string> seqs;
    std::vector<std::string> names;
    std::int32_t numSeq = 0;
    std::int32_t alnLen = 0;
    const double read = seconds([&] { SeqUtil::ReadClustalAln(text, seqs, names, numSeq, alnLen); });
    std::printf("%-30s %10.3f  (%d sequences of %d sites)\n", "Clustal read", read, numSeq, alnLen);
    std::filesystem::remove_all(folder);
    return 0;
}
