// The parsers of the sequence servers' replies (the yeast genome page, the
// gene-locus index page and GenBank flat files), fed the reply bytes. A
// reply either gives flanks no longer than asked for, with one name per
// sequence, or is refused with error 5 and leaves the sets unchanged.

#include "fuzz/FuzzSupport.h"
#include "platform/errors/Error.h"
#include "sequence/ui/FlankRetrieval.h"

namespace {

constexpr std::int32_t kUp = 40;
constexpr std::int32_t kDown = 25;

bool consistent(const sequence::SequenceSet& set)
{
    return set.seq.size() == set.name.size() && set.numSeq == static_cast<std::int32_t>(set.seq.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply = fuzz::asText(data, size);

    if (const auto seq = sequence::YeastSequence(reply)) {
        if (const auto flanks = sequence::CutYeastFlanks(*seq, kUp, kDown)) {
            fuzz::check(flanks->left.size() == kUp && flanks->right.size() == kDown,
                        "yeast flanks have the lengths asked for");
        }
    }

    try {
        (void)sequence::LocusLinkIds(reply);
    } catch (const platform::Error& e) {
        fuzz::check(e.number() == platform::err::InvalidCall, "a damaged index page raises error 5");
    }

    sequence::SequenceSet left;
    sequence::SequenceSet right;
    try {
        (void)sequence::ParseGenBankFlanks("GENE", std::string(reply), kUp, kDown, left, right);
    } catch (const platform::Error& e) {
        fuzz::check(e.number() == platform::err::InvalidCall, "a damaged GenBank reply raises error 5");
        fuzz::check(e.description().find("\"GENE\"") != std::string::npos, "the error names the gene");
        fuzz::check(left.seq.empty() && right.seq.empty(), "a refused reply adds no flank");
        return 0;
    }
    fuzz::check(consistent(left) && consistent(right), "every flank has its name");
    for (const std::string& s : left.seq) {
        fuzz::check(s.size() <= static_cast<std::size_t>(kUp), "a left flank is no longer than asked for");
    }
    for (const std::string& s : right.seq) {
        fuzz::check(s.size() <= static_cast<std::size_t>(kDown), "a right flank is no longer than asked for");
    }
    return 0;
}
