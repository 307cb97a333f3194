#include "engines/dnaml/DnamlSearch.h"

#include "engines/dnaml/DnamlTreeText.h"
#include "engines/frame/Frame.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <numeric>
#include <system_error>
#include <thread>

namespace tallowin::dnaml {

namespace {

constexpr int kSearchPasses = 32;
constexpr int kInsertRounds = 10;

int minTipMemo(const LikelihoodTree& tree, int r, std::vector<int>& memo)
{
    int& m = memo[static_cast<std::size_t>(r)];
    if (m >= 0)
        return m;
    if (tree.isTip(r))
        return m = r;
    return m = std::min(minTipMemo(tree, tree.back(tree.next(r)), memo),
                        minTipMemo(tree, tree.back(tree.next(tree.next(r))), memo));
}

void encode(const LikelihoodTree& tree, int r, std::vector<int>& memo, SavedTree& out)
{
    out.z.push_back(tree.z(r));
    out.bracket.push_back(tree.rec(r).bracket);
    if (tree.isTip(r)) {
        out.topology.push_back(r);
        return;
    }
    out.topology.push_back(-1);
    int a = tree.back(tree.next(r));
    int b = tree.back(tree.next(tree.next(r)));
    if (minTipMemo(tree, b, memo) < minTipMemo(tree, a, memo))
        std::swap(a, b);
    encode(tree, a, memo, out);
    encode(tree, b, memo, out);
}

void decode(const SavedTree& saved, std::size_t& pos, std::size_t& zpos, int parent, LikelihoodTree& tree)
{
    const int token = saved.topology[pos++];
    const double z = saved.z[zpos];
    const double bracket = saved.bracket[zpos];
    ++zpos;
    if (token >= 0) {
        tree.link(parent, token, z, bracket);
        return;
    }
    const int first = tree.takeNode();
    tree.link(parent, first, z, bracket);
    decode(saved, pos, zpos, tree.next(first), tree);
    decode(saved, pos, zpos, tree.next(tree.next(first)), tree);
}

} // namespace

SavedTree canonicalForm(const LikelihoodTree& tree)
{
    SavedTree out;
    const int root = tree.firstTip();
    if (root == LikelihoodTree::kNone)
        return out;
    std::vector<int> memo(static_cast<std::size_t>(tree.species() + 3 * std::max(tree.species() - 2, 1)), -1);
    out.topology.push_back(root);
    encode(tree, tree.back(root), memo, out);
    return out;
}

void rebuild(const SavedTree& saved, LikelihoodTree& tree)
{
    tree.clear();
    if (saved.topology.empty())
        return;
    std::size_t pos = 1, zpos = 0;
    decode(saved, pos, zpos, saved.topology[0], tree);
    tree.invalidateAll();
}

int BestTreeList::insert(SavedTree&& entry)
{
    // After every entry at least as likely: the earlier of equals ranks first.
    auto at = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const SavedTree& e) { return e.lnL < entry.lnL; });
    at = m_entries.insert(at, std::move(entry));
    return static_cast<int>(at - m_entries.begin()) + 1;
}

int BestTreeList::find(const std::vector<int>& topology) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].topology == topology)
            return static_cast<int>(i) + 1;
    return 0;
}

int BestTreeList::save(const LikelihoodTree& tree, double lnL, int level, bool smoothed)
{
    SavedTree entry = canonicalForm(tree);
    entry.lnL = lnL;
    entry.level = level;
    entry.smoothed = smoothed;
    return save(std::move(entry));
}

int BestTreeList::save(SavedTree entry)
{
    const double lnL = entry.lnL;
    const double best = bestLnL();
    const bool wasEmpty = m_entries.empty();
    if (const int rank = find(entry.topology); rank > 0) {
        entry.level = m_entries[static_cast<std::size_t>(rank - 1)].level;
        m_entries.erase(m_entries.begin() + (rank - 1));
    } else if (count() >= m_capacity) {
        if (lnL < worstLnL())
            return 0;
        m_entries.pop_back();
    }
    if (wasEmpty || lnL > best)
        improved = true;
    return insert(std::move(entry));
}

void BestTreeList::recall(int rank, LikelihoodTree& tree) const
{
    if (m_entries.empty())
        return;
    rank = std::clamp(rank, 1, count());
    rebuild(m_entries[static_cast<std::size_t>(rank - 1)], tree);
}

const SavedTree& BestTreeList::entry(int rank) const
{
    return m_entries[static_cast<std::size_t>(std::clamp(rank, 1, count()) - 1)];
}

void BestTreeList::setLevel(int rank, int level)
{
    if (rank >= 1 && rank <= count())
        m_entries[static_cast<std::size_t>(rank - 1)].level = level;
}

void BestTreeList::clear()
{
    m_entries.clear();
    improved = false;
}

int startTip(const LikelihoodTree& tree, int outgroup)
{
    if (outgroup >= 0 && outgroup < tree.species() && tree.hasTip(outgroup))
        return outgroup;
    return tree.firstTip();
}

namespace {

std::atomic<unsigned> g_searchThreads{0};
std::atomic<double> g_screenMargin{kDefaultScreenMargin};

// Bytes of tree copies that the threads of one search may hold together.
constexpr std::size_t kCopyBudget = std::size_t{1} << 30;

// With the thread count left to the search: below this many species in the
// tree times site patterns, starting the threads and copying the tree for a
// round costs more than the round's pieces gain on them, and the pieces run
// on the calling thread.
constexpr double kThreadedWork = 15000;

struct ZState {
    std::vector<double> z;
};

ZState saveZ(const LikelihoodTree& tree, int records)
{
    ZState s;
    s.z.reserve(static_cast<std::size_t>(records));
    for (int r = 0; r < records; ++r)
        s.z.push_back(tree.z(r));
    return s;
}

void restoreZ(LikelihoodTree& tree, const ZState& s)
{
    for (int r = 0; r < static_cast<int>(s.z.size()); ++r)
        if (tree.back(r) != LikelihoodTree::kNone && tree.z(r) != s.z[static_cast<std::size_t>(r)])
            tree.setZ(r, s.z[static_cast<std::size_t>(r)]);
}

// Every branch (by one of its records) depth-first from the start tip.
void collectBranches(const LikelihoodTree& tree, int r, std::vector<int>& out)
{
    out.push_back(r);
    const int q = tree.back(r);
    if (tree.isTip(q))
        return;
    collectBranches(tree, tree.next(q), out);
    collectBranches(tree, tree.next(tree.next(q)), out);
}

// The branch of record x lies `depth` steps from some reference branch;
// collects it when depth is within [low, high], then the branches beyond it
// (away from the reference) one step further, up to `high`.
void collectNear(const LikelihoodTree& tree, int x, int depth, int low, int high, std::vector<int>& out)
{
    if (depth >= low)
        out.push_back(x);
    const int y = tree.back(x);
    if (depth >= high || tree.isTip(y))
        return;
    collectNear(tree, tree.next(y), depth + 1, low, high, out);
    collectNear(tree, tree.next(tree.next(y)), depth + 1, low, high, out);
}

double lengthOf(double z)
{
    return -std::log(std::max(z, kZMin));
}

// What one piece of the search's independent work gave: the trees it
// offered to the best-tree list, in the order it offered them, and the
// tree's smoothed flag when it had finished.
struct Outcome {
    std::vector<SavedTree> offered;
    bool smoothed = true;
    bool ok = true;
};

// What the screening of one subtree move gave: per branch tried, in order,
// the log-likelihood with the branches next to the move optimised and the
// hash of the topology. Not ok when a likelihood could not be computed or
// the screening did not run.
struct Screened {
    std::vector<double> lnL;
    std::vector<std::uint64_t> topology;
    bool ok = false;
};

// FNV-1a over a canonical topology. Equal topologies give equal hashes; the
// search only uses a clash to smooth a few more trees than needed.
std::uint64_t topologyHash(const std::vector<int>& topology)
{
    std::uint64_t h = 14695981039346656037ull;
    for (int token : topology) {
        h ^= static_cast<std::uint32_t>(token);
        h *= 1099511628211ull;
    }
    return h;
}

// Trial insertions and subtree moves on one tree. Each piece of work leaves
// the tree's topology and branch values as it found them and depends on
// nothing else, so pieces may run on copies of the tree in any order.
class Trials {
public:
    Trials(LikelihoodTree& tree, int outgroup, int records) : m_tree(tree), m_outgroup(outgroup), m_records(records)
    {
    }

    // Evaluates the tree and records it as offered at `level`.
    bool offer(int level, Outcome& out)
    {
        double lnL = 0;
        if (!m_tree.evaluate(startTip(m_tree, m_outgroup), lnL))
            return false;
        SavedTree saved = canonicalForm(m_tree);
        saved.lnL = lnL;
        saved.level = level;
        saved.smoothed = m_tree.smoothed;
        out.offered.push_back(std::move(saved));
        return true;
    }

    // Puts the inner node of `first` (its record `first` faces p, next(first)
    // faces q; the third record already holds the piece to insert) into the
    // branch p-q, with branch values from the three pairwise optimisations,
    // smooths, evaluates and offers the tree; then restores the tree.
    bool insertAt(int first, int p, bool quick, int level, Outcome& out)
    {
        const int q = m_tree.back(p);
        const double zpq = m_tree.z(p);
        const double bracket = m_tree.rec(p).bracket;
        const ZState before = saveZ(m_tree, m_records);
        const bool ok = trial(first, p, quick, level, out);
        untrial(first, p, q, zpq, bracket);
        restoreZ(m_tree, before);
        out.smoothed = m_tree.smoothed;
        return ok;
    }

    // Removes the subtree behind record r together with r's node, joins the
    // node's two other neighbours, and tries the subtree on every branch
    // within reach, or only on those that `chosen` marks (in the order the
    // branches are tried; null for all); the tree is restored afterwards.
    // Reach counts branches from the joined one on both of its sides alike:
    // distance 1 is a branch that shares a node with it.
    bool moveSubtree(int r, int level, int extent, const std::vector<char>* chosen, Outcome& out)
    {
        const bool ok = withSubtreeOut(r, level, extent, [&](std::size_t i, int first, int p) {
            return (chosen != nullptr && (*chosen)[i] == 0) || insertAt(first, p, false, level, out);
        });
        out.smoothed = m_tree.smoothed;
        return ok;
    }

    // The same moves, each tree optimised only on the three branches of the
    // inserted node: its log-likelihood and the hash of its topology, per
    // branch tried. Offers nothing; the tree is restored afterwards.
    bool screenSubtree(int r, int level, int extent, Screened& out)
    {
        return withSubtreeOut(r, level, extent, [&](std::size_t, int first, int p) {
            const int q = m_tree.back(p);
            const double zpq = m_tree.z(p);
            const double bracket = m_tree.rec(p).bracket;
            const ZState before = saveZ(m_tree, m_records);
            double lnL = 0;
            const bool ok = place(first, p, true) && m_tree.evaluate(startTip(m_tree, m_outgroup), lnL);
            if (ok) {
                out.lnL.push_back(lnL);
                out.topology.push_back(topologyHash(canonicalForm(m_tree).topology));
            }
            untrial(first, p, q, zpq, bracket);
            restoreZ(m_tree, before);
            return ok;
        });
    }

private:
    // Takes the subtree behind record r out as moveSubtree says, calls
    // tryAt(i, first, p) for the i-th branch p within reach (first: the
    // node's record that faces p), and puts everything back.
    template <class Try>
    bool withSubtreeOut(int r, int level, int extent, Try tryAt)
    {
        const int a = m_tree.next(r);
        const int b = m_tree.next(a);
        const int A = m_tree.back(a);
        const int B = m_tree.back(b);
        const ZState original = saveZ(m_tree, m_records);
        const double za = m_tree.z(a), zb = m_tree.z(b);
        const double bra = m_tree.rec(a).bracket;
        const double brb = m_tree.rec(b).bracket;
        m_tree.unlink(a);
        m_tree.unlink(b);
        m_tree.link(A, B, za * zb, bra);
        bool ok = m_tree.makenewz(A, kInsertRounds);
        std::vector<int> targets;
        for (int end : {A, B})
            if (!m_tree.isTip(end)) {
                collectNear(m_tree, m_tree.next(end), 1, level + 1, extent, targets);
                collectNear(m_tree, m_tree.next(m_tree.next(end)), 1, level + 1, extent, targets);
            }
        // The node's records: first = a faces p, next(a) = b faces q, r holds the subtree.
        for (std::size_t i = 0; ok && i < targets.size(); ++i)
            ok = tryAt(i, a, targets[i]);
        m_tree.unlink(A);
        m_tree.link(a, A, za, bra);
        m_tree.link(b, B, zb, brb);
        restoreZ(m_tree, original);
        return ok;
    }

    bool trial(int first, int p, bool quick, int level, Outcome& out)
    {
        return place(first, p, quick) && offer(level, out);
    }

    // Inserts the node of `first` into the branch p-q and optimises the
    // branches as insertAt says, without evaluating.
    bool place(int first, int p, bool quick)
    {
        const int q = m_tree.back(p);
        const int a = first;
        const int b = m_tree.next(a);
        const int c = m_tree.next(b);
        const int r = m_tree.back(c);
        double zpq = 0, zpr = 0, zqr = 0;
        if (!m_tree.pairZ(p, q, m_tree.z(p), kInsertRounds, zpq) ||
            !m_tree.pairZ(p, r, kZStart, kInsertRounds, zpr) || !m_tree.pairZ(q, r, kZStart, kInsertRounds, zqr))
            return false;
        const double lpq = lengthOf(zpq), lpr = lengthOf(zpr), lqr = lengthOf(zqr);
        // Three-point solution; a side that comes out negative (the three
        // lengths are no triangle) is set to zero length.
        const double la = std::max(0.0, 0.5 * (lpq + lpr - lqr));
        const double lb = std::max(0.0, 0.5 * (lpq + lqr - lpr));
        const double lc = std::max(0.0, 0.5 * (lpr + lqr - lpq));
        const double bracket = m_tree.rec(p).bracket;
        m_tree.unlink(p);
        m_tree.link(a, p, std::exp(-la), bracket);
        m_tree.link(b, q, std::exp(-lb), bracket);
        m_tree.setZ(c, std::exp(-lc));
        m_tree.smoothed = true;
        if (quick) {
            if (!m_tree.smoothLocal(a, kSearchPasses))
                return false;
        } else if (!m_tree.smoothTree(startTip(m_tree, m_outgroup), kSearchPasses)) {
            return false;
        }
        // Smoothing around the new node leaves the rest of the tree as it
        // was: such a tree counts as not smoothed, so that it is smoothed
        // whole when it comes out best.
        if (quick)
            m_tree.smoothed = false;
        return true;
    }

    // Takes the inserted node of `first` out again and rejoins p and q.
    void untrial(int first, int p, int q, double zpq, double bracket)
    {
        m_tree.unlink(first);
        m_tree.unlink(m_tree.next(first));
        m_tree.link(p, q, zpq, bracket);
    }

    LikelihoodTree& m_tree;
    int m_outgroup;
    int m_records;
};

// Helper threads that stay for a whole search, each keeping its own copy of
// the tree, refreshed (assigned, reusing its memory) at the start of every
// round, so that a round neither starts threads nor allocates trees.
class TrialPool {
public:
    using Loop = std::function<void(LikelihoodTree&, unsigned)>;

    TrialPool() = default;
    TrialPool(const TrialPool&) = delete;
    TrialPool& operator=(const TrialPool&) = delete;
    ~TrialPool()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        m_threads.clear(); // joins
    }

    // Runs loop(copy, id) on up to `helpers` helper threads (id 1 ..), each on
    // its own copy of `tree` taken before the calling thread changes
    // anything, then loop(tree, 0) on the calling thread; returns when all
    // have finished. A helper that cannot get the memory for its copy, or
    // that cannot be started, takes no part.
    void run(LikelihoodTree& tree, unsigned helpers, const Loop& loop)
    {
        while (m_threads.size() < helpers) {
            const auto id = static_cast<unsigned>(m_threads.size()) + 1;
            try {
                m_threads.emplace_back([this, id] { serve(id); });
            } catch (const std::system_error&) {
                break;
            }
        }
        const auto active = static_cast<unsigned>(std::min<std::size_t>(helpers, m_threads.size()));
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_loop = &loop;
            m_source = &tree;
            m_active = active;
            m_toCopy = active;
            m_busy = active;
            ++m_round;
        }
        m_wake.notify_all();
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_settled.wait(lock, [this] { return m_toCopy == 0; });
        }
        loop(tree, 0);
        std::unique_lock<std::mutex> lock(m_mutex);
        m_settled.wait(lock, [this] { return m_busy == 0; });
    }

private:
    void serve(unsigned id)
    {
        std::unique_ptr<LikelihoodTree> copy;
        std::uint64_t seen = 0;
        for (;;) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [&] { return m_quit || m_round != seen; });
            if (m_quit)
                return;
            seen = m_round;
            if (id > m_active)
                continue;
            const Loop* loop = m_loop;
            const LikelihoodTree* source = m_source;
            lock.unlock();
            try {
                if (copy)
                    *copy = *source;
                else
                    copy = std::make_unique<LikelihoodTree>(*source);
            } catch (const std::bad_alloc&) {
                copy.reset();
            }
            finished(m_toCopy);
            if (copy)
                (*loop)(*copy, id);
            finished(m_busy);
        }
    }

    void finished(unsigned& counter)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (--counter == 0)
            m_settled.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_settled;
    const Loop* m_loop = nullptr;
    const LikelihoodTree* m_source = nullptr;
    unsigned m_active = 0;
    unsigned m_toCopy = 0;
    unsigned m_busy = 0;
    std::uint64_t m_round = 0;
    bool m_quit = false;
    std::vector<std::jthread> m_threads; // last: joined before the rest goes
};

// Runs work(trials, k, result) for k = 0 .. count - 1 on up to `threads`
// threads, each on its own copy of `tree` (the calling thread on `tree`
// itself), taking the pieces in ascending order. Every piece must leave its
// tree as it found it, so each sees the tree as it is now, whichever thread
// runs it: the outcomes are those of one thread running them in turn. After
// a failing piece no further piece is started; the results of pieces not
// started stay as constructed. Rethrows what a thread threw.
template <class Result = Outcome, class Work>
std::vector<Result> runPieces(LikelihoodTree& tree, int outgroup, int records, std::size_t count, unsigned threads,
                              TrialPool& pool, Work work)
{
    std::vector<Result> outcomes(count);
    threads = static_cast<unsigned>(std::min<std::size_t>(std::max(threads, 1u), count));
    if (threads <= 1) {
        Trials trials(tree, outgroup, records);
        for (std::size_t k = 0; k < count; ++k)
            if (!(outcomes[k].ok = work(trials, k, outcomes[k])))
                break;
        return outcomes;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::vector<std::exception_ptr> errors(threads);
    pool.run(tree, threads - 1, [&](LikelihoodTree& t, unsigned id) {
        try {
            Trials trials(t, outgroup, records);
            for (std::size_t k = next.fetch_add(1); k < count && !stop; k = next.fetch_add(1))
                if (!(outcomes[k].ok = work(trials, k, outcomes[k])))
                    stop = true;
        } catch (...) {
            errors[id] = std::current_exception();
            stop = true;
        }
    });
    for (const auto& error : errors)
        if (error)
            std::rethrow_exception(error);
    return outcomes;
}

class Searcher {
public:
    explicit Searcher(SearchSetup& setup)
        : m_s(setup), m_tree(setup.tree),
          m_records(setup.tree.species() + 3 * std::max(setup.tree.species() - 2, 1))
    {
        const std::size_t perCopy = std::max<std::size_t>(m_tree.memoryBytes(), 1);
        m_threads = static_cast<unsigned>(
            std::clamp<std::size_t>(kCopyBudget / perCopy, 1, std::max(searchThreads(), 1u)));
    }

    int start() const { return startTip(m_tree, m_s.outgroup); }

    // The threads for a round on the tree as it is now.
    [[nodiscard]] unsigned threadsNow() const
    {
        if (g_searchThreads.load() != 0)
            return m_threads;
        const double work = static_cast<double>(m_tree.tipCount()) * m_tree.patternCount();
        return work < kThreadedWork ? 1u : m_threads;
    }

    bool smoothWhole(int passes) { return m_tree.smoothTree(start(), passes); }

    // Remembers that a round has rearranged the topology to `extent`. The
    // list's entries carry the same mark, but a full list lets entries go.
    void markRearranged(const std::vector<int>& topology, int extent)
    {
        int& done = m_rearranged[topology];
        done = std::max(done, extent);
    }

    // How far rounds of this search have rearranged the topology (0: never).
    [[nodiscard]] int rearrangedTo(const std::vector<int>& topology) const
    {
        const auto at = m_rearranged.find(topology);
        return at == m_rearranged.end() ? 0 : at->second;
    }

    bool evaluateAndSave(int level, int& rank)
    {
        double lnL = 0;
        if (!m_tree.evaluate(start(), lnL))
            return false;
        rank = m_s.best.save(m_tree, lnL, level, m_tree.smoothed);
        return true;
    }

    bool addSpecies(int species)
    {
        m_s.best.clear();
        std::vector<int> branches;
        collectBranches(m_tree, start(), branches);
        const int first = m_tree.takeNode();
        const int tipSide = m_tree.next(m_tree.next(first));
        m_tree.link(tipSide, species, kZStart);
        const bool quick = m_s.options.quickAdd;
        if (!offerAll(runPieces(m_tree, m_s.outgroup, m_records, branches.size(), threadsNow(), m_pool,
                                [&](Trials& trials, std::size_t k, Outcome& out) {
                                    return trials.insertAt(first, branches[k], quick, 0, out);
                                })))
            return false;
        m_tree.unlink(tipSide);
        m_tree.releaseNode(first);
        m_s.best.recall(1, m_tree);
        if (!m_s.best.entry(1).smoothed) {
            m_tree.smoothed = true;
            if (!smoothWhole(kSearchPasses))
                return false;
            int rank = 0;
            if (!evaluateAndSave(m_s.best.entry(1).level, rank))
                return false;
        }
        return true;
    }

    bool rearrangeRound(int level, int extent)
    {
        // Inner nodes, each by the record facing the start, depth-first;
        // every record of each in turn holds the subtree to move.
        std::vector<int> branches;
        collectBranches(m_tree, start(), branches);
        std::vector<int> moves;
        for (int p : branches) {
            const int node = m_tree.back(p);
            if (m_tree.isTip(node))
                continue;
            for (int k = 0, r = node; k < 3; ++k, r = m_tree.next(r))
                moves.push_back(r);
        }
        const double margin = g_screenMargin.load();
        if (!(margin < std::numeric_limits<double>::infinity()))
            return offerAll(runPieces(m_tree, m_s.outgroup, m_records, moves.size(), threadsNow(), m_pool,
                                      [&](Trials& trials, std::size_t k, Outcome& out) {
                                          return trials.moveSubtree(moves[k], level, extent, nullptr, out);
                                      }));
        const std::vector<Screened> screened = runPieces<Screened>(
            m_tree, m_s.outgroup, m_records, moves.size(), threadsNow(), m_pool,
            [&](Trials& trials, std::size_t k, Screened& out) {
                return trials.screenSubtree(moves[k], level, extent, out);
            });
        // Moves whose screening failed or did not run try every branch, so
        // that a failure shows where it would have without screening.
        std::vector<std::vector<char>> chosen = choose(screened, margin);
        std::vector<std::size_t> worth;
        for (std::size_t k = 0; k < moves.size(); ++k)
            if (!screened[k].ok || std::find(chosen[k].begin(), chosen[k].end(), 1) != chosen[k].end())
                worth.push_back(k);
        return offerAll(runPieces(m_tree, m_s.outgroup, m_records, worth.size(), threadsNow(), m_pool,
                                  [&](Trials& trials, std::size_t j, Outcome& out) {
                                      const std::size_t k = worth[j];
                                      return trials.moveSubtree(moves[k], level, extent,
                                                                screened[k].ok ? &chosen[k] : nullptr, out);
                                  }));
    }

private:
    // The screened trees that are smoothed whole and offered: with the list
    // full, those whose screened log-likelihood comes within `margin` of
    // the worst tree kept (the least a tree must reach to enter), those of a
    // topology the list holds (an offer changes its entry), and every tree
    // of a topology chosen so (the last offer of a topology is the one that
    // stays). A tree left out would, smoothed whole, have been refused.
    std::vector<std::vector<char>> choose(const std::vector<Screened>& screened, double margin) const
    {
        const bool full = m_s.best.count() >= m_s.best.capacity();
        const double floor = full ? m_s.best.worstLnL() : -std::numeric_limits<double>::infinity();
        std::vector<std::uint64_t> kept;
        for (int rank = 1; rank <= m_s.best.count(); ++rank)
            kept.push_back(topologyHash(m_s.best.entry(rank).topology));
        std::sort(kept.begin(), kept.end());
        std::vector<std::vector<char>> chosen(screened.size());
        std::vector<std::uint64_t> picked;
        for (std::size_t k = 0; k < screened.size(); ++k) {
            const Screened& s = screened[k];
            chosen[k].assign(s.lnL.size(), 0);
            for (std::size_t i = 0; i < s.lnL.size(); ++i)
                if (s.lnL[i] + margin >= floor || std::binary_search(kept.begin(), kept.end(), s.topology[i])) {
                    chosen[k][i] = 1;
                    picked.push_back(s.topology[i]);
                }
        }
        std::sort(picked.begin(), picked.end());
        for (std::size_t k = 0; k < screened.size(); ++k)
            for (std::size_t i = 0; i < screened[k].lnL.size(); ++i)
                if (std::binary_search(picked.begin(), picked.end(), screened[k].topology[i]))
                    chosen[k][i] = 1;
        return chosen;
    }

    // Offers the trees of every piece to the list in the order of the
    // pieces, as one thread doing them in turn would have, and leaves the
    // tree's smoothed flag as the last piece left it. False after a failed
    // piece.
    bool offerAll(std::vector<Outcome> outcomes)
    {
        for (Outcome& outcome : outcomes) {
            for (SavedTree& saved : outcome.offered)
                m_s.best.save(std::move(saved));
            if (!outcome.ok)
                return false;
        }
        if (!outcomes.empty())
            m_tree.smoothed = outcomes.back().smoothed;
        return true;
    }

    SearchSetup& m_s;
    LikelihoodTree& m_tree;
    int m_records;
    unsigned m_threads = 1;
    std::map<std::vector<int>, int> m_rearranged; // topology -> extent its rounds reached
    TrialPool m_pool;
};

} // namespace

void setSearchThreads(unsigned threads) noexcept
{
    g_searchThreads = threads;
}

unsigned searchThreads() noexcept
{
    return threadsOrCores(g_searchThreads);
}

void setScreenMargin(double margin) noexcept
{
    g_screenMargin = std::isnan(margin) ? kDefaultScreenMargin : std::max(margin, 0.0);
}

double screenMargin() noexcept
{
    return g_screenMargin;
}

namespace {

// rearrange() with the searcher (and its threads) of the whole search.
bool rearrangeWith(Searcher& search, SearchSetup& setup, int extent, int& level)
{
    LikelihoodTree& tree = setup.tree;
    extent = std::min(extent, tree.tipCount() - 3);
    // Each round marks one topology as done and no topology is rearranged
    // twice to one extent; the guard only stops a run that keeps finding new
    // trees that differ in likelihood by rounding alone.
    const int maxRounds = 50 * tree.species() + 100;
    for (int round = 0; level < extent && round < maxRounds; ++round) {
        int rank = 0;
        if (!search.evaluateAndSave(level, rank))
            return false;
        const std::vector<int> topology = canonicalForm(tree).topology;
        ++setup.rounds;
        if (!search.rearrangeRound(level, extent))
            return false;
        search.markRearranged(topology, extent);
        setup.best.setLevel(setup.best.find(topology), extent);
        setup.best.recall(1, tree);
        // A topology that a full list let go and took in again comes back
        // at the level it was found at; it keeps the extent it has been
        // rearranged to, or a search with room for one tree would go round
        // between trees whose likelihoods differ only in where their
        // smoothing stopped, each in turn pushing the other out.
        level = std::max(setup.best.entry(1).level, search.rearrangedTo(setup.best.entry(1).topology));
        setup.best.setLevel(1, level);
    }
    return true;
}

} // namespace

bool rearrange(SearchSetup& setup, int extent, int& level)
{
    Searcher search(setup);
    return rearrangeWith(search, setup, extent, level);
}

bool makeDenovoTree(SearchSetup& s, TextCursor& in, const std::vector<std::string>& names, Log& log)
{
    log.add("makeDenovoTree.\n");
    LikelihoodTree& tree = s.tree;
    const int n = tree.species();
    Searcher search(s);
    std::vector<int> order;
    int inTree = 0;
    int level = 0;
    tree.clear();
    s.best.clear();
    if (s.options.restart) {
        TreeComment comment;
        if (!readTree(in, names, false, tree, comment, log)) {
            log.add("treeReadLen failed in makeDenovoTree\n");
            return false;
        }
        tree.smoothed = true;
        if (!search.smoothWhole(kSearchPasses)) {
            log.add("smoothTree failed in makeDenovoTree\n");
            return false;
        }
        int rank = 0;
        if (!search.evaluateAndSave(comment.level, rank)) {
            log.add("evaluate failed in makeDenovoTree\n");
            return false;
        }
        level = comment.level;
        for (int sp = 0; sp < n; ++sp)
            if (tree.hasTip(sp))
                order.push_back(sp);
        inTree = static_cast<int>(order.size());
        for (int sp = 0; sp < n; ++sp)
            if (!tree.hasTip(sp))
                order.push_back(sp);
    } else {
        order.resize(static_cast<std::size_t>(n));
        std::iota(order.begin(), order.end(), 0);
    }
    if (s.options.jumble) {
        JumbleRandom random(s.options.jumbleSeed);
        const int m = inTree;
        for (int i = m; i < n; ++i) {
            const int j = m + static_cast<int>(random.next() * (n - m));
            std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(std::min(j, n - 1))]);
        }
    }
    if (inTree == 0) {
        const int first = tree.takeNode();
        for (int k = 0, r = first; k < 3; ++k, r = tree.next(r))
            tree.link(r, order[static_cast<std::size_t>(k)], kZStart);
        inTree = 3;
        tree.smoothed = true;
        if (!search.smoothWhole(kSearchPasses)) {
            log.add("smoothTree failed in makeDenovoTree\n");
            return false;
        }
        int rank = 0;
        if (!search.evaluateAndSave(0, rank)) {
            log.add("evaluate failed in makeDenovoTree\n");
            return false;
        }
        if (s.onAdded)
            s.onAdded(3);
    }
    for (int k = inTree; k < n; ++k) {
        if (!search.addSpecies(order[static_cast<std::size_t>(k)])) {
            log.add("evaluate failed in makeDenovoTree\n");
            return false;
        }
        level = s.best.entry(1).level;
        if (tree.tipCount() == 4)
            level = 1;
        if (s.onAdded)
            s.onAdded(tree.tipCount());
        const int extent = k + 1 < n ? s.options.insertRegion : s.options.globalRegion;
        if (!rearrangeWith(search, s, extent, level)) {
            log.add("smoothTree failed in makeDenovoTree\n");
            return false;
        }
    }
    if (!rearrangeWith(search, s, s.options.globalRegion, level)) {
        log.add("smoothTree failed in makeDenovoTree\n");
        return false;
    }
    return true;
}

} // namespace tallowin::dnaml
