#pragma once

// Lays out each contig as a multiple alignment of its fragments, and writes
// the report and the consensus text.
//
// Each contig's chain is walked from one end; every next fragment is aligned
// again with the one before it and merged into the contig's columns: where
// the new fragment has a character against a gap of the one before, a gap
// column is used when one is already there, else a new column is inserted
// into every row that spans it. Contained fragments are then aligned with
// their containers and merged the same way. Rows are listed by the column
// they start in; rows starting in the same column keep their placing order.

#include "engines/cap/Contigs.h"

#include <functional>
#include <string>
#include <vector>

namespace tallowin::cap::detail {

struct Row {
    int fragment = -1;
    bool reversed = false;
    int start = 0;    // column of the first character
    std::string text; // characters and "-" from the first to the last character

    [[nodiscard]] int end() const { return start + static_cast<int>(text.size()); }
};

struct ContigLayout {
    std::vector<Row> rows;
    int width = 0;
};

struct LayoutInput {
    const std::vector<Fragment>& fragments;
    ContigGraph& graph;
    const std::vector<OverlapRecord>& records;
    Aligner& aligner;
    int32_t clearStart = 1;
    int32_t clearEnd = 1;
};

// Contigs in the order of their lowest fragment number. A contig is turned
// so that its lowest-numbered chain fragment lies in its given orientation.
// `onPlaced` is called after each fragment is placed with the number placed.
[[nodiscard]] std::vector<ContigLayout> layOut(const LayoutInput& input, const std::function<void(int)>& onPlaced);

// Places `fragmentText` (the fragment in its orientation) into the contig,
// following alignment `a` of row `anchor`'s fragment (first) against it
// (second). Exposed for tests.
void mergeRow(ContigLayout& contig, int anchor, const Alignment& a, const std::string& fragmentText, int fragment,
              bool reversed);

// The report text of all contigs (60-column blocks with labels and a consensus
// row) and the consensus text (";" and the gap-free consensus per contig).
struct ReportText {
    std::string report;
    std::string consensus;
};
[[nodiscard]] ReportText writeReport(const std::vector<ContigLayout>& contigs, const std::vector<Fragment>& fragments);

} // namespace tallowin::cap::detail
