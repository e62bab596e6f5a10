// Exact shortest-solution search from any position (A* over tube-order-canonical positions),
// shared by the level generator and the game.  Pure: the caller supplies the clock and the
// cancel flag, so the search can run on a worker thread with a deadline.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

#include "core/state.h"

namespace mar {

// What one search may spend.  Every limit is optional; the default budget is unlimited.
struct SolveBudget {
    // Asked every few thousand positions; true ends the search.  The core keeps no clock, so
    // the caller decides what "too late" means (usually a deadline on its own steady clock).
    std::function<bool()> timeUp;
    // Set from another thread to end the search as soon as possible.
    const std::atomic<bool>* cancel = nullptr;
    size_t maxBytes = 0;      // memory held by the search tables; 0 = no limit
    size_t maxPositions = 0;  // distinct positions kept; 0 = no limit
};

enum class SolveStatus {
    Shortest,         // `moves` is a proven shortest solution (empty when already solved)
    NoSolution,       // every reachable position was seen and none is solved
    BudgetExhausted,  // nothing proven; `moves` is a valid solution when one was found, never
                      // claimed to be shortest, else empty
};

struct SolveResult {
    SolveStatus status = SolveStatus::NoSolution;
    bool cancelled = false;   // the budget ran out because the cancel flag was set
    std::vector<Move> moves;  // in the position's own tube numbering
    size_t expanded = 0;      // positions taken from the open list
    size_t stored = 0;        // distinct positions ever generated
    size_t peakBytes = 0;     // memory held by the search tables at their largest
};

// Lower bound on the moves still needed: every marble above its tube's bottom run moves at
// least once, and of a colour's bottom runs all but one (at best the longest) move away marble
// by marble, since a colour ends in a single tube.  It is zero exactly on solved positions and
// one move lowers it by at most one (it is consistent), so A* expands each position once and the
// first solved position it reaches at the lowest open estimate is a shortest solution.
int lowerBound(const GameState& s);

// Proves a shortest solution or that none exists.  When the budget runs out first (or the start
// lies beyond 24 tubes, capacity 7 or 15 colours), a quick search for any solution follows
// unless the search was cancelled; it keeps to the memory and cancel limits but not the clock,
// and stops after a few hundred thousand positions.  Deterministic for a given start and budget.
SolveResult solveShortest(const GameState& start, const SolveBudget& budget = {});

// True when the position is not solved and no marble can move at all.  No search.
bool isDeadEnd(const GameState& s);

enum class Solvability { Solvable, Unsolvable, Unknown };

// Whether some solution exists from here, exact both ways: a position whose legal moves only go
// round in circles is Unsolvable.  Searches for any solution, not a shortest one, which is much
// cheaper; Unknown only when the budget runs out first.  peakBytes, when given, receives the
// memory the search tables held at their largest.
Solvability solvability(const GameState& s, const SolveBudget& budget = {},
                        size_t* peakBytes = nullptr);

}  // namespace mar
