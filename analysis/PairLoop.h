#pragma once

// The parallel loop over the rows of a lower triangle of pairs, shared by the
// distance drivers.

#include <cstdint>
#include <functional>

#include "numeric/Progress.h"

namespace analysis {

// Threads that the pair work may use; 0 (the default) means one per core.
void setWorkerThreads(unsigned threads) noexcept;
[[nodiscard]] unsigned workerThreads() noexcept;

namespace detail {

// Calls row(i) for i = 1 .. n - 1, each row on one thread, the rows shared
// out in ascending order among the worker threads (the calling thread is one
// of them). cost is the work of one pair in arbitrary units (the vector
// length); small jobs run on the calling thread alone.
//
// Progress, set from the calling thread only: minimum 0, maximum n(n - 1)/2,
// value (pairs finished - 1) as rows finish, 0 at the end.
//
// When rows throw, the rows after the first failing one are skipped where
// they have not started, and the error of the lowest failing row is thrown
// (turned into platform::Error) once every thread has stopped.
void forEachRow(std::int64_t n, double cost, numeric::Progress* progress, const std::function<void(std::int64_t)>& row);

// The same with the rows handed out `rows` at a time (at least 1): run(i, end)
// does rows i .. end - 1 on one thread, so that it can share the data of the
// pairs among them. A run that throws counts as failing at its first row;
// it should throw the error of its lowest failing row.
void forEachRowRun(std::int64_t n, std::int64_t rows, double cost, numeric::Progress* progress,
                   const std::function<void(std::int64_t, std::int64_t)>& run);

} // namespace detail

} // namespace analysis
