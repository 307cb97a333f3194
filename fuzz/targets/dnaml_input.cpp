// The phylogeny engine's input text: the reader always runs; small inputs
// (few species and sites) run the whole engine, user trees included. The
// engine never throws and reports a refusal through its result code.

#include <string>

#include "engines/dnaml/Dnaml.h"
#include "engines/dnaml/DnamlInput.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    tallowin::dnaml::TextCursor cursor(text);
    tallowin::dnaml::InputData input;
    tallowin::dnaml::Log log;
    const bool read = tallowin::dnaml::readInput(cursor, input, log);
    if (!read) {
        fuzz::check(!log.text().empty(), "a refused input says why");
        return 0;
    }
    fuzz::check(input.names.size() == static_cast<std::size_t>(input.species) &&
                    input.codes.size() == static_cast<std::size_t>(input.species),
                "one name and one sequence per species");
    for (const auto& codes : input.codes) {
        fuzz::check(codes.size() == static_cast<std::size_t>(input.sites), "every sequence has every site");
    }
    // The search grows fast with the species: from five species on, a set
    // whose trees tie in likelihood runs the rearrangements up to their round
    // limit, a second in a plain build and minutes under the fuzzer. Four
    // species keep each run short and still reach the rearrangements.
    if (input.species > 4 || input.sites > 60) {
        return 0;
    }
    const tallowin::dnaml::RunResult result = tallowin::dnaml::run(text, tallowin::dnaml::RunOptions{});
    if (result.code == tallowin::dnaml::ResultCode::Success) {
        // Option 4 turns the written trees off.
        fuzz::check(!result.treeText.empty() || !input.options.writeTrees, "a run that succeeds gives a tree");
        fuzz::check(result.patternLnL.size() == static_cast<std::size_t>(result.rows) *
                                                    static_cast<std::size_t>(result.patternCount),
                    "one value per pattern and tree");
    }
    return 0;
}
