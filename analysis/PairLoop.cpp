#include "analysis/PairLoop.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/errors/Error.h"

namespace analysis {

namespace {
std::atomic<unsigned> g_threads{0};
// Below this much work (pairs times cost) threads cost more than they save.
constexpr double kParallelWork = 2e5;
} // namespace

void setWorkerThreads(unsigned threads) noexcept
{
    g_threads.store(threads);
}

unsigned workerThreads() noexcept
{
    const unsigned set = g_threads.load();
    if (set != 0) {
        return set;
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

namespace detail {

void forEachRow(std::int64_t n, double cost, numeric::Progress* progress, const std::function<void(std::int64_t)>& row)
{
    forEachRowRun(n, 1, cost, progress, [&row](std::int64_t i, std::int64_t) { row(i); });
}

void forEachRowRun(std::int64_t n, std::int64_t rows, double cost, numeric::Progress* progress,
                   const std::function<void(std::int64_t, std::int64_t)>& run)
{
    rows = std::max<std::int64_t>(rows, 1);
    const double pairs = n < 2 ? 0.0 : static_cast<double>(n) * static_cast<double>(n - 1) / 2.0;
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, pairs);

    unsigned threads = workerThreads();
    if (pairs * std::max(cost, 1.0) < kParallelWork || n < 3) {
        threads = 1;
    }
    const std::int64_t runs = (std::max<std::int64_t>(n - 1, 1) + rows - 1) / rows;
    threads = static_cast<unsigned>(std::min<std::int64_t>(threads, runs));

    std::atomic<std::int64_t> next{1};
    std::atomic<std::int64_t> stopRow{std::numeric_limits<std::int64_t>::max()};
    std::atomic<std::uint64_t> done{0};
    std::mutex errorMutex;
    std::optional<platform::Error> firstError;
    std::int64_t firstErrorRow = 0;

    auto work = [&](bool reports) {
        for (;;) {
            const std::int64_t i = next.fetch_add(rows);
            if (i >= n || i > stopRow.load()) {
                return;
            }
            const std::int64_t end = std::min(n, i + rows);
            try {
                run(i, end);
            } catch (...) {
                platform::Error error = platform::currentAsError();
                const std::lock_guard<std::mutex> lock(errorMutex);
                if (!firstError || i < firstErrorRow) {
                    firstError = std::move(error);
                    firstErrorRow = i;
                }
                std::int64_t seen = stopRow.load();
                while (i < seen && !stopRow.compare_exchange_weak(seen, i)) {
                }
                continue;
            }
            // Rows i .. end - 1 hold (i + end - 1)(end - i)/2 pairs.
            const auto pairsDone = static_cast<std::uint64_t>((i + end - 1) * (end - i) / 2);
            const std::uint64_t finished = done.fetch_add(pairsDone) + pairsDone;
            if (reports) {
                numeric::detail::setValue(progress, static_cast<double>(finished) - 1.0);
            }
        }
    };

    {
        std::vector<std::jthread> helpers;
        helpers.reserve(threads - 1);
        for (unsigned t = 1; t < threads; ++t) {
            helpers.emplace_back(work, false);
        }
        work(true);
    }
    if (firstError) {
        throw *firstError;
    }
    numeric::detail::setValue(progress, 0);
}

} // namespace detail

} // namespace analysis
