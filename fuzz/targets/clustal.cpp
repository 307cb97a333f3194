// The Clustal alignment reader. An alignment that reads is written again as
// Clustal text in two blocks, the second listing the sequences in reverse
// order, and must read back to the same names and residues.

#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/errors/Error.h"
#include "sequence/ClustalAln.h"

namespace {

// Names that the layout can carry: not empty, no blank or tab, not starting
// like a consensus line, and all different (the reverse block is matched by
// name).
bool namesCanBeWritten(const std::vector<std::string>& names)
{
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& n = names[i];
        if (n.empty() || n.find_first_of(" \t*:.") == 0 || n.find_first_of(" \t\r\n") != std::string::npos) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (names[j] == n) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(fuzz::asText(data, size));
    std::vector<std::string> seqs;
    std::vector<std::string> names;
    std::int32_t numSeq = 0;
    std::int32_t alnLen = 0;
    try {
        SeqUtil::ReadClustalAln(text, seqs, names, numSeq, alnLen);
    } catch (const platform::Error&) {
        return 0;
    }
    fuzz::check(numSeq > 0 && seqs.size() == static_cast<std::size_t>(numSeq) && names.size() == seqs.size(),
                "one name per sequence read");
    for (const std::string& s : seqs) {
        fuzz::check(s.size() == static_cast<std::size_t>(alnLen) && !s.empty(), "aligned sequences of one length");
        fuzz::check(s.find_first_of(" \t\r\n0123456789*") == std::string::npos, "residues are cleaned");
    }
    if (!namesCanBeWritten(names)) {
        return 0;
    }
    // Both blocks need residues: a one-site alignment is written as one block.
    const std::size_t half = seqs[0].size() < 2 ? seqs[0].size() : seqs[0].size() / 2;
    std::string written = "CLUSTAL\n\n";
    for (std::size_t i = 0; i < seqs.size(); ++i) {
        written += names[i] + "   " + seqs[i].substr(0, half) + "\n";
    }
    written += "\n";
    for (std::size_t i = half < seqs[0].size() ? seqs.size() : 0; i-- > 0;) {
        written += names[i] + "\t" + seqs[i].substr(half) + "\n";
    }
    written += "\n";
    std::vector<std::string> seqs2;
    std::vector<std::string> names2;
    std::int32_t numSeq2 = 0;
    std::int32_t alnLen2 = 0;
    try {
        SeqUtil::ReadClustalAln(written, seqs2, names2, numSeq2, alnLen2);
    } catch (const platform::Error&) {
        fuzz::fail("a written alignment reads back");
    }
    fuzz::check(names2 == names && seqs2 == seqs, "a written alignment reads back the same");
    return 0;
}
