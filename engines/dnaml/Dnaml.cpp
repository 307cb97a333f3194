#include "engines/dnaml/Dnaml.h"

#include "engines/dnaml/DnamlInput.h"
#include "engines/dnaml/DnamlModel.h"
#include "engines/dnaml/DnamlSearch.h"
#include "engines/dnaml/DnamlTree.h"
#include "engines/dnaml/DnamlTreeText.h"
#include "engines/frame/Frame.h"

#include <memory>
#include <new>
#include <optional>

namespace tallowin::dnaml {

namespace {

constexpr int kUserTreePasses = 128;

// The progress window of one run; every call is shielded so that a failing
// window never stops the engine.
class Progress {
public:
    explicit Progress(EngineProgress* window)
    {
        if (window != nullptr) {
            m_window = window;
            m_run.emplace(*window, "DNAML", "Running...\n\nAllocating memory.\n");
        }
    }
    void text(std::string_view t)
    {
        if (m_run)
            m_run->text(t);
    }
    void caption(std::string_view c)
    {
        if (m_window != nullptr) {
            try {
                m_window->setCaption(c);
            } catch (...) {
            }
        }
    }
    void range(int low, int high)
    {
        if (m_run)
            m_run->range(low, high);
    }
    void position(int p)
    {
        if (m_run)
            m_run->position(p);
    }

private:
    EngineProgress* m_window = nullptr;
    std::optional<ProgressRun> m_run;
};

struct Failure {
    ResultCode code;
};

class Driver {
public:
    Driver(std::string_view input, const RunOptions& options)
        : m_in(input), m_options(options), m_progress(options.progress)
    {
    }

    RunResult run()
    {
        try {
            body();
        } catch (const Failure& f) {
            m_result.code = f.code;
        } catch (const std::bad_alloc&) {
            m_log.add("Unable to get memory for trees\n\n");
            m_result.code = ResultCode::NoMemoryTrees;
        } catch (...) {
            m_log.add("Unexpected failure in the phylogeny engine\n");
            m_result.code = ResultCode::SearchFailed;
        }
        if (m_result.code != ResultCode::Success) {
            m_result.treeText.clear();
            m_result.treeEnds.clear();
        }
        m_result.log = m_log.text();
        return std::move(m_result);
    }

private:
    void fail(ResultCode code, std::string_view message = {})
    {
        if (!message.empty())
            m_log.add(message);
        throw Failure{code};
    }

    // Runs one stage; running out of memory in it gives its code and message.
    template <class F>
    void stage(ResultCode code, std::string_view message, F&& f)
    {
        if (m_options.simulateOutOfMemory == static_cast<int>(code))
            fail(code, message);
        try {
            f();
        } catch (const std::bad_alloc&) {
            fail(code, message);
        } catch (const std::length_error&) {
            fail(code, message);
        }
    }

    void body()
    {
        stage(ResultCode::NoMemoryAnalysis, "Unable to get memory for analysis definition\n\n", [] {});
        bool inputOk = false;
        stage(ResultCode::NoMemoryRawData, "Unable to get memory for raw DNA\n\n",
              [&] { inputOk = readInput(m_in, m_data, m_log); });
        if (!inputOk)
            fail(ResultCode::InputFailed);
        const Options& opt = m_data.options;
        int userTrees = 0;
        if (opt.userTrees) {
            const auto count = m_in.readInt();
            if (!count || *count < 1 || *count > 100000)
                fail(ResultCode::InputFailed, "Unable to read the number of user trees\n");
            userTrees = static_cast<int>(*count);
        }

        m_progress.text("Running...\n\nPreliminary setup.\n");
        stage(ResultCode::NoMemoryPatterns, "Unable to get memory for crunched DNA\n\n",
              [&] { m_patterns = compressSites(m_data.codes); });
        const auto freqs = opt.empiricalFreqs ? empiricalFrequencies(m_patterns) : m_data.freqs;
        if (!setupModel(freqs, opt.ratio, m_model, m_log))
            fail(ResultCode::InputFailed);
        stage(ResultCode::NoMemoryTrees, "Unable to get memory for trees\n\n", [] {});
        stage(ResultCode::NoMemoryVectors, "Failure to get requested xarray memory\n",
              [&] { m_tree = std::make_unique<LikelihoodTree>(m_model, m_patterns); });
        stage(ResultCode::VectorSetupFailed, "Failure to get internal node xarray memory\n", [] {});
        const int keep = opt.userTrees && !opt.keepRead ? userTrees : opt.keep;
        stage(ResultCode::BestListFailed, "initBestTree: Malloc failure\n",
              [&] { m_best = std::make_unique<BestTreeList>(keep); });

        SearchSetup setup{*m_tree, *m_best, opt, opt.outgroup - 1, {}};
        if (opt.userTrees) {
            m_progress.text("Running...\n\nEvalulate user tree.\n");
            stage(ResultCode::UserTreesFailed, "Unable to get memory for user trees\n",
                  [&] { evaluateUserTrees(setup, userTrees); });
        } else {
            m_progress.text("Running...\n\nFind ML tree.\n");
            m_progress.caption("Adding species");
            m_progress.range(0, m_data.species);
            setup.onAdded = [this](int count) {
                m_progress.position(count);
                m_progress.text(formatInt(count));
            };
            bool ok = false;
            stage(ResultCode::SearchFailed, "Unable to get memory for the tree search\n",
                  [&] { ok = makeDenovoTree(setup, m_in, m_data.names, m_log); });
            m_progress.position(0);
            if (!ok)
                fail(ResultCode::SearchFailed);
            if (opt.writeTrees)
                for (int k = 1; k <= m_best->count(); ++k) {
                    m_best->recall(k, *m_tree);
                    writeCurrent(setup);
                }
        }

        m_progress.text("Running...\n\nGenerate output.\n");
        output(setup);
        m_progress.text("Running...\n\nFree memory.\n");
    }

    void writeCurrent(const SearchSetup& setup)
    {
        writeTree(*m_tree, m_data.names, startTip(*m_tree, setup.outgroup), m_options.bracket, m_result.treeText);
        m_result.treeEnds.push_back(static_cast<int>(m_result.treeText.size()));
    }

    void evaluateUserTrees(SearchSetup& setup, int count)
    {
        const Options& opt = m_data.options;
        for (int i = 1; i <= count; ++i) {
            TreeComment comment;
            if (!readTree(m_in, m_data.names, opt.userLengths, *m_tree, comment, m_log))
                fail(ResultCode::UserTreesFailed);
            requireEverySpecies(i);
            const int start = startTip(*m_tree, setup.outgroup);
            m_tree->smoothed = true;
            if (!opt.userLengths && !m_tree->smoothTree(start, kUserTreePasses))
                fail(ResultCode::UserTreesFailed, "Unable to evaluate user tree " + formatInt(i) + "\n");
            double lnL = 0;
            if (!m_tree->evaluate(start, lnL))
                fail(ResultCode::UserTreesFailed, "Unable to evaluate user tree " + formatInt(i) + "\n");
            m_best->save(*m_tree, lnL, 0, m_tree->smoothed);
            if (!opt.global && opt.writeTrees)
                writeCurrent(setup);
        }
        if (opt.global) {
            m_best->recall(1, *m_tree);
            int level = 0;
            if (!rearrange(setup, opt.globalRegion, level))
                fail(ResultCode::UserTreesFailed, "Unable to rearrange the best user tree\n");
            m_best->recall(1, *m_tree);
            if (opt.writeTrees)
                writeCurrent(setup);
        }
    }

    // A user tree is compared with the others by its likelihood over all
    // the species; one that leaves a species out would be evaluated on a
    // subset and its likelihood would mean something else.
    void requireEverySpecies(int treeNumber)
    {
        bool complete = true;
        for (int s = 0; s < m_data.species; ++s) {
            if (!m_tree->hasTip(s)) {
                m_log.add("Species " + treeName(m_data.names[static_cast<std::size_t>(s)]) +
                          " is missing from user tree " + formatInt(treeNumber) + "\n");
                complete = false;
            }
        }
        if (!complete)
            fail(ResultCode::UserTreesFailed);
    }

    void output(const SearchSetup& setup)
    {
        const int np = m_patterns.count;
        m_result.patternCount = np;
        m_result.rounds = setup.rounds;
        m_result.weights = m_patterns.weight;
        const int rows = std::min(std::max(m_options.treeCount, 0), m_best->count());
        m_result.patternLnL.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(np));
        double lnL = m_best->count() > 0 ? m_best->entry(1).lnL : 0.0;
        for (int k = 1; k <= rows; ++k) {
            m_best->recall(k, *m_tree);
            if (!m_tree->evaluate(startTip(*m_tree, setup.outgroup), lnL))
                fail(m_data.options.userTrees ? ResultCode::UserTreesFailed : ResultCode::SearchFailed,
                     "evaluate failed in makeDenovoTree\n");
            const auto& site = m_tree->siteLnL();
            m_result.patternLnL.insert(m_result.patternLnL.end(), site.begin(), site.end());
        }
        m_result.rows = rows;
        m_result.lnL = lnL;
    }

    TextCursor m_in;
    const RunOptions& m_options;
    Progress m_progress;
    Log m_log;
    InputData m_data;
    Patterns m_patterns;
    Model m_model;
    std::unique_ptr<LikelihoodTree> m_tree;
    std::unique_ptr<BestTreeList> m_best;
    RunResult m_result;
};

} // namespace

RunResult run(std::string_view input, const RunOptions& options)
{
    try {
        Driver driver(input, options);
        return driver.run();
    } catch (...) {
        RunResult r;
        r.code = ResultCode::NoMemoryAnalysis;
        r.log = "Unable to get memory for analysis definition\n\n";
        return r;
    }
}

} // namespace tallowin::dnaml
