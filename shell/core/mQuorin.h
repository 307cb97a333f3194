#pragma once

// The state the whole program shares: the data set of the current analysis,
// the genes chosen in a tree, the two flank sequence sets, the default
// folders, the column letters, the book counter and the error handler link.
// One ProgramState object holds all of it; the program owns it and installs
// it with ProgramScope, tests make their own.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/core/ErrorHandlerLink.h"
#include "shell/core/IniQuorin.h"

namespace mQuorin {

// A set of sequences: parallel names and sequences with their count, the
// longest length, the aligned and RNA flags and the type ("AA" for protein).
struct SequenceSet {
    std::vector<std::string> seq;
    std::vector<std::string> name;
    std::int32_t numSeq = 0;
    std::int32_t maxLen = 0;
    bool aligned = false;
    bool isRNA = false;
    std::string seqType;
};

class ProgramState {
public:
    ProgramState();

    // Missing-value code of the current analysis.
    double gMissingCode = 0;
    // The field separator of text handed to the native engines: character 1.
    std::string gFieldSep = std::string(1, '\x01');
    // Column names "A" to "IV" (256), rebuilt when the main window activates.
    std::vector<std::string> gColLetter;

    // The current data set. gDataMat[column][row]: the first index is the
    // value column, the second the kept row (locus).
    std::vector<std::string> gRowName;
    std::vector<std::vector<double>> gDataMat;
    std::int32_t gNumRow = 0;
    std::int32_t gNumCol = 0;
    std::vector<std::string> gColName;
    bool gDataReady = false;

    // Loci below the tree node chosen last; gSelLociExpr[column][locus].
    std::vector<std::string> gSelLociName;
    std::vector<std::vector<double>> gSelLociExpr;
    std::int32_t gNumSelLoci = 0;

    std::string gSeqFileName;
    std::string gDataDir;
    std::string gOutDir;
    std::int16_t gBookCount = 0;

    // Upstream (left) and downstream (right) flank sets.
    SequenceSet gLeft;
    SequenceSet gRight;
    bool gFlankWinOpen = false;

    // How many windows are loaded (hidden ones too); the window layer sets it.
    std::function<int()> loadedWindowCount;

    // The error handler object's link; a do-nothing link until one is set.
    [[nodiscard]] shell::ErrorHandlerLink& errorHandler() const { return *m_errorHandler; }
    void setErrorHandler(std::shared_ptr<shell::ErrorHandlerLink> link);

    // The settings object, created (reading the settings file) on first use.
    [[nodiscard]] shell::IniQuorin& gIni();
    // Releases the settings object; the next use reads the file again.
    void releaseIni() { m_ini.reset(); }

    // True when the flank work window is not open and more than one window is
    // loaded; workbook commands ask it first and do nothing when it is false.
    [[nodiscard]] bool IsSheetOpen() const;

    // Fills gColLetter with "A" .. "Z", "AA" .. "IV".
    void BuildColLetters();

    // Clears the shared analysis arrays and counts.
    void ClearAnalysisData();

private:
    std::shared_ptr<shell::ErrorHandlerLink> m_errorHandler;
    std::unique_ptr<shell::IniQuorin> m_ini;
};

// The state in force: the innermost ProgramScope's, or a process default.
[[nodiscard]] ProgramState& Program();

class ProgramScope {
public:
    explicit ProgramScope(ProgramState& state);
    ~ProgramScope();
    ProgramScope(const ProgramScope&) = delete;
    ProgramScope& operator=(const ProgramScope&) = delete;

private:
    ProgramState* m_previous;
};

// The column name of a 0-based column index ("A" for 0, "IV" for 255).
[[nodiscard]] std::string ColumnLetter(int index);

} // namespace mQuorin
