#include "engines/cap/Layout.h"

#include "engines/cap/Assembler.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tallowin::cap::detail {

namespace {

constexpr int BlockWidth = 60;
constexpr int LabelWidth = 10; // name characters shown after the marker

// Counts of one column: codes 0..4 and gaps.
struct ColumnCounts {
    std::array<int, 5> residues{};
    int gaps = 0;

    void add(char c)
    {
        if (c == ' ')
            return;
        if (c == '-')
            ++gaps;
        else
            ++residues[residueCode(c)];
    }

    [[nodiscard]] char consensus() const
    {
        const int total = residues[0] + residues[1] + residues[2] + residues[3] + residues[4];
        if (gaps > total)
            return '-';
        const int a = residues[0];
        const int c = residues[1];
        const int g = residues[2];
        const int u = residues[3];
        if (a == c && a == g && a == u)
            return 'N';
        if (u > a && u > c && u > g)
            return 'U';
        if (g > a && g > c)
            return 'G';
        if (c > a)
            return 'C';
        return 'A';
    }
};

void insertColumn(ContigLayout& contig, int column)
{
    for (Row& r : contig.rows) {
        if (r.start >= column)
            ++r.start;
        else if (column < r.end())
            r.text.insert(static_cast<std::size_t>(column - r.start), 1, '-');
    }
    ++contig.width;
}

// Index into the row's text of its k-th character (not counting gaps); the
// text's size when k is the number of characters.
int textIndexOfCharacter(const Row& row, int k)
{
    int seen = 0;
    for (int t = 0; t < static_cast<int>(row.text.size()); ++t) {
        if (row.text[static_cast<std::size_t>(t)] == '-')
            continue;
        if (seen == k)
            return t;
        ++seen;
    }
    return static_cast<int>(row.text.size());
}

struct Placed {
    int fragment;
    bool reversed;
};

} // namespace

void mergeRow(ContigLayout& contig, int anchor, const Alignment& a, const std::string& y, int fragment,
              bool reversed)
{
    std::vector<std::pair<int, char>> placed; // (column, character), columns ascending
    placed.reserve(y.size());
    Row* x = &contig.rows[static_cast<std::size_t>(anchor)];
    int t = textIndexOfCharacter(*x, a.firstBegin);
    const auto xSize = [&] { return static_cast<int>(x->text.size()); };
    const auto skipGaps = [&] {
        while (t < xSize() && x->text[static_cast<std::size_t>(t)] == '-')
            ++t;
    };

    // Characters of the new fragment before the aligned part go in front of it.
    if (a.secondBegin > 0) {
        int column = x->start + t;
        const int missing = a.secondBegin - column;
        if (missing > 0) {
            for (Row& r : contig.rows)
                r.start += missing;
            contig.width += missing;
            column += missing;
        }
        for (int k = 0; k < a.secondBegin; ++k)
            placed.emplace_back(column - a.secondBegin + k, y[static_cast<std::size_t>(k)]);
    }

    int yi = a.secondBegin;
    for (Step step : a.steps) {
        switch (step) {
        case Step::Both:
            skipGaps();
            placed.emplace_back(x->start + t, y[static_cast<std::size_t>(yi)]);
            ++t;
            ++yi;
            break;
        case Step::FirstOnly:
            skipGaps();
            ++t;
            break;
        case Step::SecondOnly:
            // Use a gap column already there, else open one in every row
            // that spans this place.
            if (t < xSize() && x->text[static_cast<std::size_t>(t)] != '-')
                insertColumn(contig, x->start + t);
            placed.emplace_back(x->start + t, y[static_cast<std::size_t>(yi)]);
            ++t;
            ++yi;
            break;
        }
    }

    // Characters after the aligned part follow it.
    int column = placed.empty() ? x->start + t : placed.back().first + 1;
    for (; yi < static_cast<int>(y.size()); ++yi)
        placed.emplace_back(column++, y[static_cast<std::size_t>(yi)]);

    Row row;
    row.fragment = fragment;
    row.reversed = reversed;
    row.start = placed.front().first;
    row.text.assign(static_cast<std::size_t>(placed.back().first - row.start + 1), '-');
    for (const auto& [c, ch] : placed)
        row.text[static_cast<std::size_t>(c - row.start)] = ch;
    contig.width = std::max(contig.width, row.end());
    contig.rows.push_back(std::move(row));
}

std::vector<ContigLayout> layOut(const LayoutInput& in, const std::function<void(int)>& onPlaced)
{
    const int n = in.graph.count();
    std::vector<std::vector<int>> children(static_cast<std::size_t>(n));
    for (int f = 0; f < n; ++f) {
        if (in.graph.isContained(f))
            children[static_cast<std::size_t>(in.graph.container(f))].push_back(f);
    }
    // The chain fragment each fragment hangs under, through any depth.
    auto top = [&](int f) {
        while (in.graph.isContained(f))
            f = in.graph.container(f);
        return f;
    };

    std::vector<uint8_t> chainDone(static_cast<std::size_t>(n), 0);
    std::vector<ContigLayout> contigs;
    int placedCount = 0;
    for (int lowest = 0; lowest < n; ++lowest) {
        // Contigs come in the order of their lowest fragment number.
        int start = top(lowest);
        if (chainDone[static_cast<std::size_t>(start)] != 0)
            continue;

        // Find one end of the chain, then walk it to the other end.
        int previous = -1;
        for (;;) {
            int next = -1;
            for (int end = 0; end < 2; ++end) {
                const int nb = in.graph.neighbour(start, end).fragment;
                if (nb >= 0 && nb != previous)
                    next = nb;
            }
            if (next < 0)
                break;
            previous = start;
            start = next;
        }
        std::vector<Placed> chain;
        bool reversed = false;
        if (!in.graph.isLone(start))
            reversed = in.graph.neighbour(start, 0).fragment >= 0; // joined at its start: turn it
        for (int cur = start;;) {
            chain.push_back({cur, reversed});
            chainDone[static_cast<std::size_t>(cur)] = 1;
            const Neighbour& nb = in.graph.neighbour(cur, reversed ? 0 : 1);
            if (nb.fragment < 0)
                break;
            reversed = in.records[static_cast<std::size_t>(nb.record)].otherReversed(reversed);
            cur = nb.fragment;
        }
        // Turn the contig when its lowest-numbered chain fragment came out reversed.
        const auto lowestInChain = std::min_element(
            chain.begin(), chain.end(), [](const Placed& a, const Placed& b) { return a.fragment < b.fragment; });
        if (lowestInChain->reversed) {
            std::reverse(chain.begin(), chain.end());
            for (Placed& p : chain)
                p.reversed = !p.reversed;
        }

        ContigLayout contig;
        std::vector<Placed> order; // row k holds order[k]
        for (const Placed& p : chain) {
            const Fragment& f = in.fragments[static_cast<std::size_t>(p.fragment)];
            if (order.empty()) {
                contig.rows.push_back({p.fragment, p.reversed, 0, f.text(p.reversed)});
                contig.width = f.length();
            } else {
                const Placed& before = order.back();
                const Fragment& b = in.fragments[static_cast<std::size_t>(before.fragment)];
                const Alignment a =
                    in.aligner.align(alignInput(b, before.reversed, in.clearStart, in.clearEnd),
                                     alignInput(f, p.reversed, in.clearStart, in.clearEnd));
                mergeRow(contig, static_cast<int>(order.size()) - 1, a, f.text(p.reversed), p.fragment, p.reversed);
            }
            order.push_back(p);
            onPlaced(++placedCount);
        }
        // Contained fragments under their containers, breadth first.
        for (std::size_t k = 0; k < order.size(); ++k) {
            const Placed container = order[k];
            const Fragment& cf = in.fragments[static_cast<std::size_t>(container.fragment)];
            for (int child : children[static_cast<std::size_t>(container.fragment)]) {
                const OverlapRecord& r =
                    in.records[static_cast<std::size_t>(in.graph.containRecord(child))];
                const bool childReversed = r.otherReversed(container.reversed);
                const Fragment& f = in.fragments[static_cast<std::size_t>(child)];
                const Alignment a = in.aligner.align(alignInput(cf, container.reversed, in.clearStart, in.clearEnd),
                                                     alignInput(f, childReversed, in.clearStart, in.clearEnd));
                mergeRow(contig, static_cast<int>(k), a, f.text(childReversed), child, childReversed);
                order.push_back({child, childReversed});
                onPlaced(++placedCount);
            }
        }
        std::stable_sort(contig.rows.begin(), contig.rows.end(),
                         [](const Row& a, const Row& b) { return a.start < b.start; });
        contigs.push_back(std::move(contig));
    }
    return contigs;
}

ReportText writeReport(const std::vector<ContigLayout>& contigs, const std::vector<Fragment>& fragments)
{
    ReportText out;
    out.report = "\n";
    int number = 0;
    for (const ContigLayout& contig : contigs) {
        out.report += "Contig " + std::to_string(++number) + "\n";
        out.consensus += ';';
        for (int b = 0; b < contig.width; b += BlockWidth) {
            const int e = std::min(b + BlockWidth, contig.width);
            std::array<ColumnCounts, BlockWidth> counts{};
            for (const Row& row : contig.rows) {
                if (row.start >= e || row.end() <= b)
                    continue; // not started yet, or ended in an earlier block
                const std::string& name = fragments[static_cast<std::size_t>(row.fragment)].name;
                std::string label = name.size() > 1 ? name.substr(1, LabelWidth) : std::string();
                label += row.reversed ? '-' : '+';
                label.resize(11, ' ');
                std::string line = label + ' ';
                for (int c = b; c < e; ++c) {
                    const char ch = c < row.start || c >= row.end()
                                        ? ' '
                                        : row.text[static_cast<std::size_t>(c - row.start)];
                    counts[static_cast<std::size_t>(c - b)].add(ch);
                    line += ch;
                }
                out.report += line + '\n';
            }
            std::string consensusRow;
            for (int c = b; c < e; ++c)
                consensusRow += counts[static_cast<std::size_t>(c - b)].consensus();
            out.report += "consensus   " + consensusRow + "\n\n";
            for (char ch : consensusRow) {
                if (ch != '-')
                    out.consensus += ch;
            }
        }
    }
    return out;
}

} // namespace tallowin::cap::detail

namespace tallowin::cap {

char consensusOf(std::string_view column)
{
    detail::ColumnCounts counts;
    for (char c : column)
        counts.add(c);
    return counts.consensus();
}

} // namespace tallowin::cap
