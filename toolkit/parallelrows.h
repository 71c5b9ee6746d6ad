// Private helper of the builders and renderers: runs the rows of a grid on every core. Nothing
// outside the toolkit includes it.
#ifndef QUILLMERE_TOOLKIT_PARALLELROWS_H
#define QUILLMERE_TOOLKIT_PARALLELROWS_H

#include <atomic>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include <omp.h>

namespace noise {
namespace utils {
namespace detail {

// True when a loop may use more than one thread here: OpenMP offers several (OMP_NUM_THREADS
// or omp_set_num_threads decide how many) and the caller is not already one of a team's threads.
inline bool CanUseThreads(int rowCount) {
    return rowCount > 1 && omp_get_max_threads() > 1 && !omp_in_parallel();
}

// Keeps the first exception thrown on any thread of a loop, to be rethrown after it.
class RowFailure {
public:
    // Called from a catch block.
    void Record() {
#pragma omp critical(quillmere_row_failure)
        {
            if (!m_failure) {
                m_failure = std::current_exception();
            }
        }
        m_stop.store(true, std::memory_order_relaxed);
    }
    // Once a row has failed, rows not yet started are skipped.
    bool Stopped() const {
        return m_stop.load(std::memory_order_relaxed);
    }
    void RethrowIfAny() const {
        if (m_failure) {
            std::rethrow_exception(m_failure);
        }
    }

private:
    std::exception_ptr m_failure;
    std::atomic<bool> m_stop{false};
};

// Calls fillRow(y) for every row y of 0 .. rowCount - 1, each exactly once. fillRow must write
// row y's own cells only; the rows then run on several threads at once when parallel is true
// and OpenMP offers more than one. The first exception thrown stops rows not yet started and is
// rethrown on the calling thread after the loop; rows already written stay. With parallel
// false, or one thread, this is the plain serial loop.
template <class FillRow> void ForEachRow(int rowCount, bool parallel, FillRow fillRow) {
    if (!parallel || !CanUseThreads(rowCount)) {
        for (int y = 0; y < rowCount; ++y) {
            fillRow(y);
        }
        return;
    }
    RowFailure failure;
    // Rows are handed out one at a time: on a shared machine one thread may be held up, and the
    // others then take over its share.
#pragma omp parallel for schedule(dynamic)
    for (int y = 0; y < rowCount; ++y) {
        if (!failure.Stopped()) {
            try {
                fillRow(y);
            } catch (...) {
                failure.Record();
            }
        }
    }
    failure.RethrowIfAny();
}

// As above, and also calls rowDone(y) on the calling thread, in row order, once row y is
// complete. An exception from rowDone stops the loop like one from fillRow, and no later row is
// reported.
template <class FillRow, class RowDone>
void ForEachRow(int rowCount, bool parallel, FillRow fillRow, RowDone rowDone) {
    if (!parallel || !CanUseThreads(rowCount)) {
        for (int y = 0; y < rowCount; ++y) {
            fillRow(y);
            rowDone(y);
        }
        return;
    }

    std::unique_ptr<std::atomic<bool>[]> finished(new std::atomic<bool>[rowCount]);
    for (int y = 0; y < rowCount; ++y) {
        finished[y].store(false, std::memory_order_relaxed);
    }
    RowFailure failure;
    int nextReport = 0; // used by the calling thread only
    // Reports the finished rows that follow the last one reported. The release store after each
    // row and the acquire load here make the row's cells visible to rowDone.
    auto reportFinishedRows = [&]() {
        while (nextReport < rowCount && !failure.Stopped() &&
               finished[nextReport].load(std::memory_order_acquire)) {
            try {
                rowDone(nextReport);
            } catch (...) {
                failure.Record();
            }
            ++nextReport;
        }
    };

#pragma omp parallel
    {
        // The thread that meets a parallel region is thread 0 of its team.
        const bool isCaller = omp_get_thread_num() == 0;
#pragma omp for schedule(dynamic) nowait
        for (int y = 0; y < rowCount; ++y) {
            if (!failure.Stopped()) {
                try {
                    fillRow(y);
                    finished[y].store(true, std::memory_order_release);
                } catch (...) {
                    failure.Record();
                }
            }
            if (isCaller) {
                reportFinishedRows();
            }
        }
        if (isCaller) {
            // The other threads are finishing their last rows; report them as they come.
            while (nextReport < rowCount && !failure.Stopped()) {
                reportFinishedRows();
                if (nextReport < rowCount) {
                    std::this_thread::yield();
                }
            }
        }
    }
    failure.RethrowIfAny();
}

// The coordinate of each of count rows when a serial walk starts at start and adds step after
// every row. Computed once, in order, so that any thread starting any row reaches the very value
// the walk would, rounding included.
inline std::vector<double> RowStarts(double start, double step, int count) {
    std::vector<double> starts(static_cast<std::size_t>(count));
    double value = start;
    for (double& rowStart : starts) {
        rowStart = value;
        value += step;
    }
    return starts;
}

// With an optional report: a null rowDone reports nothing.
template <class FillRow>
void ForEachRowReporting(int rowCount, bool parallel, FillRow fillRow, void (*rowDone)(int)) {
    if (rowDone == nullptr) {
        ForEachRow(rowCount, parallel, fillRow);
    } else {
        ForEachRow(rowCount, parallel, fillRow, rowDone);
    }
}

} // namespace detail
} // namespace utils
} // namespace noise

#endif
