#pragma once

// The outside aligner as a program: clustalw run in the given folder with
// the options of the command line turned into its own ("/type=d" becomes
// "-type=dna", "/opt" becomes "-opt"), the input and output files named
// explicitly and the input order kept. The window's events are processed
// while it runs (user input waits). A program that cannot start, runs past
// the time-out or ends with a non-zero code raises a numbered error with the
// end of its output.

#include <string>
#include <vector>

#include "sequence/ui/FlankWork.h"

namespace sequence {

class ClustalRunner final : public Aligner {
public:
    // program: the aligner to run ("clustalw" from the search path unless
    // the settings file's "Sequence Retrieval" section names one as
    // "Aligner").
    ClustalRunner();
    explicit ClustalRunner(std::string program, int timeoutSeconds = 600);

    void run(const std::filesystem::path& folder, const std::string& commandLine) override;

    // The arguments the command line becomes.
    [[nodiscard]] static std::vector<std::string> Arguments(const std::string& commandLine);

private:
    std::string m_program;
    int m_timeoutSeconds;
};

} // namespace sequence
