#include "engines/cap/Assembler.h"

#include "engines/cap/Alignment.h"
#include "engines/cap/Contigs.h"
#include "engines/cap/Layout.h"
#include "engines/cap/TupleFilter.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

namespace tallowin::cap {

namespace {

using namespace detail;

constexpr std::string_view Caption = "Contig assembly";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The first `count` blank-separated words of `text` (fewer when it has fewer).
std::vector<std::string_view> words(std::string_view text, int32_t count)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (static_cast<int32_t>(out.size()) < count) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i == text.size())
            break;
        const std::size_t begin = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        out.push_back(text.substr(begin, i - begin));
    }
    return out;
}

// Upper case, with T read as U: the engine works in RNA letters, so reads
// written in DNA letters assemble exactly as the same reads written with U.
char fold(char c)
{
    const char u = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return u == 'T' ? 'U' : u;
}

// What is wrong with the arguments, or empty when nothing is.
std::string_view checkParameters(int32_t count, const Parameters& p)
{
    if (count < 1)
        return "The number of fragments is a positive integer";
    if (p.gapOpen < 0 || p.gapExtend < 0 || p.endGapExtend < 0)
        return "The gap-open and gap-extend penalties are nonnegative integers";
    if (!(p.minIdentity >= 0.0f && p.minIdentity <= 1.0f))
        return "The minimum identity is a fraction from 0 to 1";
    if (!(p.filterRate >= 0.0f) || !std::isfinite(p.filterRate))
        return "The filter rate is a nonnegative number";
    return {};
}

// Progress bars take 32-bit positions; larger counts are scaled down.
class Bar {
public:
    Bar(ProgressRun& run, int64_t high) : m_run(run)
    {
        while ((high >> m_shift) > INT32_MAX)
            ++m_shift;
        m_run.range(0, static_cast<int>(high >> m_shift));
    }
    void position(int64_t value) { m_run.position(static_cast<int>(value >> m_shift)); }

private:
    ProgressRun& m_run;
    int m_shift = 0;
};

struct Engine {
    const Parameters& p;
    ProgressRun& run;
    EngineContext& context;
    std::vector<Fragment> fragments;

    [[nodiscard]] AlignInput input(int f, bool reversed) const
    {
        return alignInput(fragments[static_cast<std::size_t>(f)], reversed, p.clearStart, p.clearEnd);
    }
    [[nodiscard]] int length(int f) const { return fragments[static_cast<std::size_t>(f)].length(); }
    [[nodiscard]] int count() const { return static_cast<int>(fragments.size()); }

    void recode();
    [[nodiscard]] std::vector<OverlapRecord> searchOverlaps(Aligner& aligner);
    void secondPass(ContigGraph& graph, std::vector<OverlapRecord>& records, Aligner& aligner);
    [[nodiscard]] bool agreesWithNeighbours(const ContigGraph& graph, const std::vector<OverlapRecord>& records,
                                            const OverlapRecord& r, Aligner& aligner) const;
    [[nodiscard]] bool isGoodEndJoin(const Alignment& a, int first, int second) const;
};

// A contig end found inside another in the second pass is taken only when,
// should the container be joined to a neighbour, the contained end also
// overlaps that neighbour properly: scoring above the minimum end score, over
// more than the minimum overlap.
bool Engine::agreesWithNeighbours(const ContigGraph& graph, const std::vector<OverlapRecord>& records,
                                  const OverlapRecord& r, Aligner& aligner) const
{
    const int inner = r.contained();
    const int outer = r.container();
    const bool innerReversed = r.otherReversed(false); // with the container as given
    for (int end = 0; end < 2; ++end) {
        const Neighbour& nb = graph.neighbour(outer, end);
        if (nb.fragment < 0)
            continue;
        const bool neighbourReversed = records[static_cast<std::size_t>(nb.record)].otherReversed(false);
        const Alignment check = aligner.align(input(nb.fragment, neighbourReversed), input(inner, innerReversed));
        if (!isGoodEndJoin(check, nb.fragment, inner))
            return false;
    }
    return true;
}

// A proper overlap between contig ends as the second pass takes them: above
// the minimum end score over more than the minimum overlap.
bool Engine::isGoodEndJoin(const Alignment& a, int first, int second) const
{
    const OverlapShape shape = shapeOf(a, length(first), length(second));
    const bool proper = shape == OverlapShape::FirstThenSecond || shape == OverlapShape::SecondThenFirst;
    return !a.empty() && a.score > p.minEndScore && proper && a.columns > p.minOverlap;
}

void Engine::recode()
{
    run.text("Recoding sequences...\n");
    Bar bar(run, count());
    for (int k = 0; k < count(); ++k) {
        Fragment& f = fragments[static_cast<std::size_t>(k)];
        f.reverse = reverseComplement(f.forward);
        bar.position(k);
    }
}

std::vector<OverlapRecord> Engine::searchOverlaps(Aligner& aligner)
{
    run.text("Pairwise alignment...");
    const int n = count();
    // Each earlier fragment meets each later one twice: as given and reversed.
    Bar bar(run, static_cast<int64_t>(n) * (n - 1));
    int64_t trial = 0;
    const FilterSettings filter{p.minOverlap, static_cast<double>(p.filterRate), static_cast<double>(p.minIdentity)};
    std::vector<OverlapRecord> records;
    for (int f = 0; f + 1 < n; ++f) {
        for (bool reversed : {false, true}) {
            const Fragment& ff = fragments[static_cast<std::size_t>(f)];
            const TupleIndex& index = reversed ? *ff.reverseIndex : *ff.forwardIndex;
            const AlignInput first = input(f, reversed);
            for (int j = f + 1; j < n; ++j) {
                bar.position(++trial);
                if (!passesFilter(index, *fragments[static_cast<std::size_t>(j)].forwardIndex, filter))
                    continue;
                const Alignment a = aligner.align(first, input(j, false));
                if (a.score <= 0)
                    continue;
                const OverlapRecord r = makeRecord(f, reversed, j, a, length(f), length(j));
                const bool similar =
                    static_cast<double>(a.identities) >= a.columns * static_cast<double>(p.minIdentity);
                if (similar && (a.columns >= p.minOverlap || r.isContainment()))
                    records.push_back(r);
            }
        }
    }
    return records;
}

void Engine::secondPass(ContigGraph& graph, std::vector<OverlapRecord>& records, Aligner& aligner)
{
    std::vector<int> ends;
    for (int f = 0; f < count(); ++f) {
        if (!graph.isContained(f) && graph.hasFreeEnd(f))
            ends.push_back(f);
    }
    std::vector<int> added;
    for (std::size_t a = 0; a < ends.size(); ++a) {
        for (std::size_t b = a + 1; b < ends.size(); ++b) {
            const int first = ends[a];
            const int second = ends[b];
            // Ends of one contig cannot be joined to each other.
            if (graph.sameContig(first, second))
                continue;
            for (bool reversed : {false, true}) {
                const Alignment al = aligner.align(input(first, reversed), input(second, false));
                if (al.empty() || al.score <= p.minEndScore)
                    continue;
                added.push_back(static_cast<int>(records.size()));
                records.push_back(makeRecord(first, reversed, second, al, length(first), length(second)));
            }
        }
    }
    auto byScore = [&](int a, int b) {
        return records[static_cast<std::size_t>(a)].score > records[static_cast<std::size_t>(b)].score;
    };
    std::stable_sort(added.begin(), added.end(), byScore);

    // Containments first. A contig end that stands alone moves under its
    // container. One joined to a neighbour moves only when its contig can
    // follow whole: that neighbour must then join the container's free end
    // through a proper overlap (above the minimum end score, over more than
    // the minimum overlap), which replaces its link to the moved end.
    for (int k : added) {
        const OverlapRecord r = records[static_cast<std::size_t>(k)];
        if (!r.isContainment())
            continue;
        const int inner = r.contained();
        const int outer = r.container();
        if (graph.isContained(inner) || graph.isContained(outer) || graph.sameContig(inner, outer))
            continue;
        if (!agreesWithNeighbours(graph, records, r, aligner))
            continue;
        if (graph.isLone(inner)) {
            graph.contain(inner, outer, k);
            continue;
        }
        const int heldEnd = graph.neighbour(inner, 0).fragment >= 0 ? 0 : 1;
        if (graph.neighbour(inner, 1 - heldEnd).fragment >= 0)
            continue; // joined on both sides: not a contig end any more
        const Neighbour held = graph.neighbour(inner, heldEnd);
        // Orientations with the container as given: the inner fragment's from
        // the containment, its neighbour's from their link.
        const bool innerReversed = r.otherReversed(false);
        const bool neighbourReversed = records[static_cast<std::size_t>(held.record)].otherReversed(innerReversed);
        const Alignment bridge = aligner.align(input(outer, neighbourReversed), input(held.fragment, false));
        if (!isGoodEndJoin(bridge, outer, held.fragment))
            continue;
        const int bridgeRecord = static_cast<int>(records.size());
        records.push_back(makeRecord(outer, neighbourReversed, held.fragment, bridge, length(outer),
                                     length(held.fragment)));
        if (!graph.moveUnder(inner, outer, k, records.back(), bridgeRecord))
            records.pop_back();
    }
    for (int k : added)
        graph.join(records[static_cast<std::size_t>(k)], k);
}

Assembly runEngine(std::string_view sequences, std::string_view names, int32_t count, const Parameters& p,
                   ProgressRun& run, EngineContext& context)
{
    Assembly out;
    auto fail = [&](std::string_view message) {
        context.messages.AppendMessage(message);
        return out;
    };

    // Stage 1: cut out the fragments.
    if (const std::string_view problem = checkParameters(count, p); !problem.empty())
        return fail(problem);
    const auto sequenceWords = words(sequences, count);
    const auto nameWords = words(names, count);
    if (static_cast<int32_t>(sequenceWords.size()) < count)
        return fail("There are fewer sequences than fragments");
    if (static_cast<int32_t>(nameWords.size()) < count)
        return fail("There are fewer names than fragments");

    Engine engine{p, run, context, {}};
    engine.fragments.resize(static_cast<std::size_t>(count));
    for (int32_t k = 0; k < count; ++k) {
        Fragment& f = engine.fragments[static_cast<std::size_t>(k)];
        f.name = std::string(nameWords[static_cast<std::size_t>(k)]);
        f.forward.reserve(sequenceWords[static_cast<std::size_t>(k)].size());
        for (char c : sequenceWords[static_cast<std::size_t>(k)]) {
            if (static_cast<unsigned char>(c) > 127)
                return fail("Sequences hold single-byte ASCII characters only");
            f.forward.push_back(fold(c));
        }
        if (f.forward.size() > static_cast<std::size_t>(INT32_MAX / 2))
            return fail("A sequence is too long");
    }

    engine.recode();

    run.text("Set match and mismatch weights...\n");
    const ScoreTables tables =
        makeScoreTables(p.match, p.mismatch, p.endMismatch, p.gapOpen, p.gapExtend, p.endGapExtend);
    int longest = 0;
    for (const Fragment& f : engine.fragments)
        longest = std::max(longest, f.length());
    Aligner aligner(tables, context);
    aligner.reserve(longest);
    for (Fragment& f : engine.fragments) {
        f.forwardIndex = std::make_unique<TupleIndex>(f.forward, context);
        f.reverseIndex = std::make_unique<TupleIndex>(f.reverse, context);
    }

    std::vector<OverlapRecord> records = engine.searchOverlaps(aligner);

    run.text("Assemble contigs...");
    ContigGraph graph(count);
    {
        Bar bar(run, count);
        resolveContainments(graph, records, [&](int f) { bar.position(f); });
    }
    {
        const std::vector<int> order = properOverlapsByScore(graph, records);
        Bar bar(run, static_cast<int64_t>(order.size()));
        int64_t done = 0;
        for (int k : order) {
            graph.join(records[static_cast<std::size_t>(k)], k);
            bar.position(++done);
        }
    }
    engine.secondPass(graph, records, aligner);

    std::vector<ContigLayout> contigs;
    {
        Bar bar(run, count);
        contigs = layOut({engine.fragments, graph, records, aligner, p.clearStart, p.clearEnd},
                         [&](int placed) { bar.position(placed); });
    }

    run.text("Formatting output...\n");
    ReportText text = writeReport(contigs, engine.fragments);
    out.ok = true;
    out.contigCount = static_cast<int32_t>(contigs.size());
    out.report = std::move(text.report);
    out.consensus = std::move(text.consensus);
    return out;
}

} // namespace

Assembly assemble(std::string_view sequences, std::string_view names, int32_t count, const Parameters& parameters,
                  EngineProgress& progress, EngineContext& context)
{
    Assembly out;
    {
        ProgressRun run(progress, Caption, "Running...\n");
        try {
            out = runEngine(sequences, names, count, parameters, run, context);
        } catch (const AllocationFailed&) {
            out = Assembly{};
        } catch (const std::bad_alloc&) {
            out = Assembly{};
            context.messages.AppendMessage("Memory allocation failed.");
        } catch (const std::length_error&) {
            out = Assembly{};
            context.messages.AppendMessage("Memory allocation failed.");
        }
    }
    out.messages = context.messages.text();
    return out;
}

Assembly assemble(std::string_view sequences, std::string_view names, int32_t count, const Parameters& parameters,
                  EngineProgress& progress)
{
    EngineContext context;
    return assemble(sequences, names, count, parameters, progress, context);
}

} // namespace tallowin::cap
