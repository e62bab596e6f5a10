// Solver figures for hints: for every shipped level, the time and memory to answer from the start
// and from 20 positions reached by random legal play (fixed seeds), and the cost of the check
// whether a position can still be solved.  Prints figures only; nothing fails on a slow machine.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "core/levels.h"
#include "core/rng.h"
#include "core/solver.h"

namespace {

using namespace benchsupport;

constexpr int kWalksPerLevel = 20;
constexpr double kTargetMs = 1000;
constexpr double kTargetMb = 64;

// A position reached from the start by random legal moves; the walk's length is drawn up to
// twice the level's optimum and ends early where no move is left.
mar::GameState randomWalk(const mar::GameState& start, int optimum, uint32_t seed) {
    Rng rng(seed);
    mar::GameState s = start;
    const int length = 1 + rng.intN(2 * optimum);
    for (int i = 0; i < length && !mar::isSolved(s); ++i) {
        const std::vector<mar::Move> moves = mar::legalMoves(s);
        if (moves.empty()) break;
        s = mar::applyMoveOne(s, moves[rng.intN(static_cast<int>(moves.size()))]);
    }
    return s;
}

double share(const std::vector<double>& v, double limit) {
    if (v.empty()) return 0;
    return 100.0 * std::count_if(v.begin(), v.end(), [&](double x) { return x < limit; }) /
           v.size();
}

void printDistribution(const char* what, const std::vector<double>& ms,
                       const std::vector<double>& mb) {
    const Figures t = summarise(ms), m = summarise(mb);
    std::printf(
        "%-22s %5zu positions  median %8.2f ms  p99 %8.1f ms  worst %8.1f ms  "
        "under 1 s %6.2f %%\n",
        what, ms.size(), t.median, t.p99, t.max, share(ms, kTargetMs));
    std::printf(
        "%-22s search tables: median %.2f MB  p99 %.1f MB  worst %.1f MB  under 64 MB "
        "%6.2f %%\n",
        "", m.median, m.p99, m.max, share(mb, kTargetMb));
}

}  // namespace

int main() {
    std::printf("solver answers: start and %d random-play positions per level\n", kWalksPerLevel);
    std::printf("level  opt  start ms  walks median ms  walks max ms  shortest  none  out\n");
    std::vector<double> allMs, allMb, startMs, startMb, checkMs;
    int shortest = 0, none = 0, out = 0;
    for (int level = 0; level < mar::totalLevels(); ++level) {
        const mar::GameState start = mar::loadLevel(level);
        const int optimum = mar::levelInfo(level).solutionLength;
        std::vector<double> walkMs;
        int lShortest = 0, lNone = 0, lOut = 0;
        for (int j = 0; j <= kWalksPerLevel; ++j) {
            const mar::GameState s =
                j == 0 ? start
                       : randomWalk(start, optimum, static_cast<uint32_t>(level * 1000 + j));
            // A generous clock so that a runaway search still ends; it then counts as slow.
            const auto t0 = Clock::now();
            mar::SolveBudget budget;
            budget.timeUp = [&] { return millisSince(t0) > 20 * kTargetMs; };
            const mar::SolveResult r = mar::solveShortest(s, budget);
            const double ms = millisSince(t0);
            allMs.push_back(ms);
            allMb.push_back(r.peakBytes / 1e6);
            (j == 0 ? startMs : walkMs).push_back(ms);
            if (j == 0) startMb.push_back(r.peakBytes / 1e6);
            if (r.status == mar::SolveStatus::Shortest) ++lShortest;
            if (r.status == mar::SolveStatus::NoSolution) ++lNone;
            if (r.status == mar::SolveStatus::BudgetExhausted) ++lOut;

            const auto c0 = Clock::now();
            mar::SolveBudget checkBudget;
            checkBudget.timeUp = [&] { return millisSince(c0) > 20 * kTargetMs; };
            mar::solvability(s, checkBudget);
            checkMs.push_back(millisSince(c0));
        }
        const Figures w = summarise(walkMs);
        std::printf("%5d  %3d  %8.1f  %15.2f  %12.1f  %8d  %4d  %3d\n", level + 1, optimum,
                    startMs.back(), w.median, w.max, lShortest, lNone, lOut);
        shortest += lShortest;
        none += lNone;
        out += lOut;
    }
    std::printf("\nanswers: %d shortest, %d no solution, %d out of budget (20 s clock)\n", shortest,
                none, out);
    printDistribution("starts only", startMs, startMb);
    printDistribution("hint, all positions", allMs, allMb);
    std::printf(
        "%-22s %5zu positions  median %8.2f ms  p99 %8.1f ms  worst %8.1f ms  "
        "under 1 s %6.2f %%\n",
        "still-solvable check", checkMs.size(), summarise(checkMs).median, summarise(checkMs).p99,
        summarise(checkMs).max, share(checkMs, kTargetMs));
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("process peak resident memory %.1f MB\n", ru.ru_maxrss / 1024.0);
    return 0;
}
