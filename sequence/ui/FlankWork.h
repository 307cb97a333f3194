#pragma once

// FlankWork: the work of the flank work window without its window: which of
// the two flank sets is shown, the saved flags, sorting, the refusals and the
// saving of a set in a sequence file format, the alignment through the
// outside aligner and the comparison report of an aligned set.
//
// Every command acts on the set shown. The longest length of a set is kept
// up to date after every change, so that the writers and the aligner's
// length check see the true length.
//
// Alignment runs the aligner in a private temporary folder (removed
// afterwards, whatever happens): the set is written there as FASTA
// ("clustal.fas"), the aligner writes "clustal.aln", which is read back. The
// set is replaced only when the aligner succeeded and its file holds every
// sequence of the set; otherwise it stays as it was and the error says why.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "numeric/Progress.h"
#include "sequence/SeqSet.h"

namespace sequence {

// The outside aligner: runs one command line in a folder. Throws
// platform::Error when it cannot run or fails.
class Aligner {
public:
    virtual ~Aligner() = default;
    virtual void run(const std::filesystem::path& folder, const std::string& commandLine) = 0;

protected:
    Aligner() = default;
    Aligner(const Aligner&) = default;
    Aligner& operator=(const Aligner&) = default;
};

// The command line handed to the aligner.
inline constexpr const char* AlignCommand = "clustal.fas /type=d /transweight=0.5 /maxdiv=30 /quicktree";

class FlankWork {
public:
    // Works on the program's two flank sets; shows the left set unless it is
    // empty.
    FlankWork(SequenceSet& left, SequenceSet& right);

    [[nodiscard]] bool showingLeft() const { return m_showLeft; }
    void showLeft(bool left);
    [[nodiscard]] SequenceSet& shown() { return m_showLeft ? m_left : m_right; }
    [[nodiscard]] const SequenceSet& shown() const { return m_showLeft ? m_left : m_right; }
    [[nodiscard]] const SequenceSet& left() const { return m_left; }
    [[nodiscard]] const SequenceSet& right() const { return m_right; }

    // Sorts the set shown by name, or by length, names and sequences moving
    // together.
    void SortByName();
    void SortByLength();

    // The message that refuses a format for a set that is not aligned (MEGA,
    // PAML, GCG multi-sequence, PHYLIP, PAUP), or nothing.
    [[nodiscard]] std::optional<std::string> FormatRefusal(std::int16_t code) const;
    // Writes the set shown in the format; marks it saved when the file was
    // written. Returns whether it was.
    bool Convert(const std::filesystem::path& file, std::int16_t code, numeric::Progress* progress);

    [[nodiscard]] bool leftSaved() const { return m_leftSaved; }
    [[nodiscard]] bool rightSaved() const { return m_rightSaved; }
    // Neither set is saved: both were just replaced by a new retrieval.
    void setsReplaced() { m_leftSaved = m_rightSaved = false; }

    // What stops an alignment before it runs: the duplicate-name message
    // (critical) or the too-short message (information).
    struct Refusal {
        std::string text;
        bool critical = false;
    };
    [[nodiscard]] std::optional<Refusal> AlignRefusal() const;
    // Aligns the set shown (call after AlignRefusal gave nothing). Throws
    // platform::Error and leaves the set unchanged when it fails.
    void Align(Aligner& aligner, numeric::Progress* progress);

    // The comparison report of the aligned set shown: for two sequences their
    // matched and gap sites with the test of spurious similarity, for more
    // the entropy test. Empty for fewer than two sequences.
    [[nodiscard]] std::string ComparisonReport(numeric::Progress* progress) const;

    // Empties both sets (the window's last act).
    void ClearSets();

private:
    SequenceSet& m_left;
    SequenceSet& m_right;
    bool m_showLeft = true;
    bool m_leftSaved = false;
    bool m_rightSaved = false;
};

} // namespace sequence
