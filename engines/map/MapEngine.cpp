#include "engines/map/MapEngine.h"

#include "engines/map/PairScore.h"
#include "engines/map/Profile.h"
#include "engines/map/Scoring.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace tallowin::map {
namespace {

struct PairRecord {
    int32_t first = 0;   // the shorter sequence, or the lower index when equally long
    int32_t second = 0;
    Score score = 0;
};

struct Group {
    std::vector<int32_t> members;    // input indices, in chain order
    std::vector<std::string> rows;   // one per member; a blank before and after the columns
};

std::atomic<unsigned> g_threads{0};

// Below this many cells of pair tables in all, threads cost more than they save.
constexpr double kParallelCells = 4e6;

// Scores the pairs on up to `threads` threads (the calling thread is one of
// them), each pair on one thread, and calls scored(p) on the calling thread
// for p = 0, 1, ... in order as the scores come in, so that what the caller
// does with them is what one thread scoring them in turn would do. Rethrows
// what a thread threw, after every thread has stopped.
template <class Scored>
void scorePairs(std::vector<PairRecord>& pairs, const std::vector<std::string>& sequences, const ScoreTable& w,
                const GapCosts& gaps, unsigned threads, Scored scored)
{
    const std::size_t count = pairs.size();
    auto score = [&](std::size_t p) {
        PairRecord& r = pairs[p];
        r.score = pairScore(sequences[static_cast<std::size_t>(r.first)], sequences[static_cast<std::size_t>(r.second)],
                            w, gaps);
    };
    threads = static_cast<unsigned>(std::min<std::size_t>(std::max(threads, 1u), count));
    if (threads <= 1) {
        for (std::size_t p = 0; p < count; ++p) {
            score(p);
            scored(p);
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    const std::unique_ptr<std::atomic<bool>[]> ready(new std::atomic<bool>[count]);
    for (std::size_t p = 0; p < count; ++p)
        ready[p].store(false, std::memory_order_relaxed);
    std::vector<std::exception_ptr> errors(threads);
    // Scores the next pair; false when none is left or a thread failed. A
    // pair taken is always marked ready (scored or not), so that the calling
    // thread never waits for a pair nobody will finish.
    auto scoreNext = [&](unsigned id) {
        const std::size_t p = next.fetch_add(1);
        if (p >= count)
            return false;
        if (!stop.load()) {
            try {
                score(p);
            } catch (...) {
                errors[id] = std::current_exception();
                stop = true;
            }
        }
        ready[p].store(true, std::memory_order_release);
        ready[p].notify_one();
        return !stop.load();
    };
    std::size_t reported = 0;
    auto report = [&] {
        while (reported < count && !stop.load() && ready[reported].load(std::memory_order_acquire))
            scored(reported++);
    };
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(threads - 1);
        for (unsigned id = 1; id < threads; ++id) {
            try {
                helpers.emplace_back([&scoreNext, id] {
                    while (scoreNext(id)) {
                    }
                });
            } catch (const std::system_error&) {
                break; // no more threads to be had: the ones running do the work
            }
        }
        try {
            while (scoreNext(0))
                report();
            // Every pair has been taken (or a thread failed): the rest of
            // the scores, in order, as the helpers finish them.
            while (reported < count && !stop.load()) {
                ready[reported].wait(false, std::memory_order_acquire);
                report();
            }
        } catch (...) {
            stop = true; // the helpers take no further pair
            throw;
        }
    }
    for (const auto& error : errors)
        if (error)
            std::rethrow_exception(error);
}

bool sevenBit(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 128; });
}

// The argument checks, in order; false (with its message) on the first that fails.
bool checkArguments(const std::vector<std::string>& names, const std::vector<std::string>& sequences,
                    const MapParams& p, MessageCursor& messages)
{
    if (p.gapOpen < 0 || p.gapExtend < 0) {
        messages.AppendMessage("The gap-open penalty or gap-extend penalty is a nonnegative integer\n");
        return false;
    }
    if (p.minLength <= 0) {
        messages.AppendMessage("The minimum length for constant-cost insertion is a positive integer");
        return false;
    }
    if (!p.useMatrix && p.mismatch >= 0) {
        messages.AppendMessage("The mismatch weight is a negative integer");
        return false;
    }
    const int64_t count = p.count ? *p.count : static_cast<int64_t>(sequences.size());
    if (count <= 0 || sequences.empty()) {
        messages.AppendMessage("The number of sequences is a positive integer");
        return false;
    }
    if (static_cast<int64_t>(names.size()) != count || static_cast<int64_t>(sequences.size()) != count) {
        messages.AppendMessage("The names and sequences texts do not hold one item per sequence");
        return false;
    }
    if (!std::all_of(sequences.begin(), sequences.end(), sevenBit) || !sevenBit(p.alphabet)) {
        messages.AppendMessage("The sequences and the matrix alphabet must be 7-bit characters");
        return false;
    }
    // ";" ends every output row and "-" is the gap: either inside a sequence
    // would make the output ambiguous (more rows than sequences, or residues
    // that read as gaps).
    const auto reserved = [](const std::string& s) { return s.find_first_of(";-") != std::string::npos; };
    if (std::any_of(sequences.begin(), sequences.end(), reserved)) {
        messages.AppendMessage("The sequences must not hold \";\" (it ends each output row) or \"-\" (the gap)");
        return false;
    }
    if (p.useMatrix) {
        const auto n = static_cast<int64_t>(p.alphabet.size());
        if (n == 0 || static_cast<int64_t>(p.lowerTriangle.size()) < n * (n + 1) / 2) {
            messages.AppendMessage("The substitution matrix is empty or shorter than its alphabet");
            return false;
        }
    }
    return true;
}

} // namespace

void setAlignmentThreads(unsigned threads) noexcept
{
    g_threads = threads;
}

unsigned alignmentThreads() noexcept
{
    return threadsOrCores(g_threads);
}

std::vector<std::string> splitAtBlanks(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ')
            ++i;
        if (i > start)
            items.emplace_back(text.substr(start, i - start));
    }
    return items;
}

std::string outputText(const MapResult& result)
{
    std::string text;
    for (const auto& row : result.rows) {
        text += row;
        text += ';';
    }
    return text;
}

MapResult multipleAlign(const std::vector<std::string>& names, const std::vector<std::string>& sequences,
                        const MapParams& params, EngineProgress& progress, EngineContext& context)
{
    MapResult result;
    ProgressRun run(progress, "Multiple Alignment", "Running...\n");
    if (!checkArguments(names, sequences, params, context.messages))
        return result;

    try {
        const GapCosts gaps = GapCosts::make(params.gapOpen, params.gapExtend, params.minLength);
        const ScoreTable w = params.useMatrix
            ? ScoreTable::fromMatrix(params.alphabet, params.lowerTriangle.data(), params.gapExtend)
            : ScoreTable::constant(params.match, params.mismatch, params.gapExtend);
        const auto count = static_cast<int32_t>(sequences.size());

        // Pairwise stage: every pair's end-gap-free score, kept in the list of
        // its first sequence, newest at the head.
        run.text("Pairwise alignment");
        const int64_t pairCount = int64_t{count} * (count - 1) / 2;
        run.range(0, static_cast<int>(std::min<int64_t>(pairCount, INT32_MAX)));
        std::vector<std::vector<PairRecord>> lists;
        if (!context.CheckedNew(lists, static_cast<std::size_t>(count)))
            return result;
        std::vector<PairRecord> scoredPairs;
        scoredPairs.reserve(static_cast<std::size_t>(pairCount));
        double cells = 0;
        for (int32_t i = 0; i + 1 < count; ++i) {
            for (int32_t j = i + 1; j < count; ++j) {
                const bool jShorter = sequences[static_cast<std::size_t>(j)].size()
                    < sequences[static_cast<std::size_t>(i)].size();
                const int32_t first = jShorter ? j : i;
                const int32_t second = jShorter ? i : j;
                scoredPairs.push_back({first, second, 0});
                cells += static_cast<double>(sequences[static_cast<std::size_t>(i)].size())
                    * static_cast<double>(sequences[static_cast<std::size_t>(j)].size());
            }
        }
        const unsigned threads = cells < kParallelCells ? 1u : alignmentThreads();
        scorePairs(scoredPairs, sequences, w, gaps, threads, [&](std::size_t p) {
            const PairRecord& r = scoredPairs[p];
            lists[static_cast<std::size_t>(r.first)].push_back(r);
            run.position(static_cast<int>(std::min<std::size_t>(p, INT32_MAX)));
        });
        run.position(0);

        // Progressive stage: pairs gathered list by list (each from its head),
        // best score first, equal scores in gathering order.
        run.text("Multiple alignment");
        std::vector<PairRecord> pairs;
        if (!context.CheckedNew(pairs, static_cast<std::size_t>(pairCount)))
            return result;
        pairs.clear();
        for (const auto& list : lists)
            pairs.insert(pairs.end(), list.rbegin(), list.rend());
        std::stable_sort(pairs.begin(), pairs.end(),
                         [](const PairRecord& x, const PairRecord& y) { return x.score > y.score; });

        std::vector<Group> groups;
        if (!context.CheckedNew(groups, static_cast<std::size_t>(count)))
            return result;
        std::vector<int32_t> groupOf(static_cast<std::size_t>(count));
        for (int32_t k = 0; k < count; ++k) {
            groups[static_cast<std::size_t>(k)].members = {k};
            groups[static_cast<std::size_t>(k)].rows = {" " + sequences[static_cast<std::size_t>(k)] + " "};
            groupOf[static_cast<std::size_t>(k)] = k;
        }
        run.range(0, static_cast<int>(std::min<std::size_t>(pairs.size(), INT32_MAX)));
        for (std::size_t p = 0; p < pairs.size(); ++p) {
            int32_t ga = groupOf[static_cast<std::size_t>(pairs[p].first)];
            int32_t gb = groupOf[static_cast<std::size_t>(pairs[p].second)];
            if (ga != gb) {
                Group* A = &groups[static_cast<std::size_t>(ga)];
                Group* B = &groups[static_cast<std::size_t>(gb)];
                if (B->rows.front().size() < A->rows.front().size()) {
                    std::swap(A, B);
                    std::swap(ga, gb);
                }
                const ColumnScorer scorer(A->rows, B->rows, w);
                const EditScript script = alignProfiles(scorer, gaps);
                A->rows = mergeRows(A->rows, B->rows, script);
                for (int32_t member : B->members)
                    groupOf[static_cast<std::size_t>(member)] = ga;
                A->members.insert(A->members.end(), B->members.begin(), B->members.end());
                *B = Group();
            }
            run.position(static_cast<int>(std::min<std::size_t>(p, INT32_MAX)));
        }

        // Output: the group of sequence 0, rows in chain order, end gaps as "-".
        run.text("Format output");
        Group& final = groups[static_cast<std::size_t>(groupOf[0])];
        result.order = final.members;
        for (const auto& row : final.rows) {
            std::string columns = row.substr(1, row.size() - 2);
            std::replace(columns.begin(), columns.end(), ' ', '-');
            result.rows.push_back(std::move(columns));
        }
        result.ok = true;
    } catch (const std::bad_alloc&) {
        context.messages.AppendMessage("Memory allocation failed.");
        result = MapResult();
    } catch (const std::length_error&) {
        context.messages.AppendMessage("Memory allocation failed.");
        result = MapResult();
    }
    return result;
}

} // namespace tallowin::map
