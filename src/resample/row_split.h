// SplitRows: a loop over rows shared among threads in contiguous runs. Every row is
// computed the same way whichever thread takes it, so the result does not depend on the
// number of threads.
#pragma once

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace pictorand {

// Calls body(first, count) over runs that together cover rows 0 .. rows - 1, on up to
// threads threads, each run a multiple of granule rows but for the last and none shorter
// than minimum rows. The first failure of any run is raised once every run has ended.
template <class TBody>
void SplitRows(int rows, int threads, int granule, int minimum, TBody body) {
    const int most = std::max(1, rows / std::max(1, minimum));
    threads = std::clamp(threads, 1, most);
    if (threads == 1) {
        body(0, rows);
        return;
    }
    const int perThread = ((rows + threads - 1) / threads + granule - 1) / granule * granule;
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(threads));
    auto run = [&](int index) {
        const int first = index * perThread;
        const int count = std::min(rows, first + perThread) - first;
        if (count <= 0) return;
        try {
            body(first, count);
        } catch (...) {
            failures[static_cast<std::size_t>(index)] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> workers;
        for (int t = 1; t < threads; ++t) workers.emplace_back(run, t);
        run(0);
    }
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

}  // namespace pictorand
