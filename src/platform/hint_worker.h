// Hints: the exact solver on a worker thread of its own, so that a frame asks for a move on a
// shortest way (or whether any way is left) and picks the answer up later without waiting.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/state.h"

namespace hints {

// What the solver may spend on one hint, on the worker's own steady clock: the exact
// solvability check and the shortest remainder get this long each.
constexpr int kBudgetMs = 1000;
constexpr size_t kMaxBytes = size_t{64} << 20;

enum class Kind {
    Shortest,      // `next` starts a proven shortest way of `movesToGo` moves (0: solved)
    WayForward,    // `next` starts a valid way of `movesToGo` moves, not proven shortest
    NoWayForward,  // no solution exists from the position; `next` means nothing
    Unknown,       // the budget ran out before anything was proven or found
};

struct Answer {
    uint64_t generation = 0;
    Kind kind = Kind::Unknown;
    mar::Move next;        // meaningful when movesToGo > 0
    int movesToGo = 0;     // length of the way that `next` starts
    size_t peakBytes = 0;  // the search tables at their largest, for the benchmarks
};

// Replaces any pending or running job by this position; a running search is cancelled. The
// generation names the caller's position and should grow with every request, since only the
// latest one requested is ever answered. Starts the worker on first use.
void request(const mar::GameState& position, uint64_t generation);
// Drops any pending or running job, so that nothing is answered until the next request.
void cancel();
// The answer of the latest request once it is ready, handed out once; never waits.
std::optional<Answer> poll();
// Whether a job is pending or running.
bool busy();
// Cancels any job and joins the worker; a later request starts a new one.
void shutdown();

// The job itself, on the calling thread: what request() has the worker work out. A set cancel
// flag ends it early with an Unknown answer.
Answer solve(const mar::GameState& position, const std::atomic<bool>* cancel = nullptr);

}  // namespace hints
