// Solver figures for hints: for every shipped level, the time and memory to answer from the start
// and from 20 positions reached by random legal play (fixed seeds), and the cost of the check
// whether a position can still be solved; then the hint worker's whole job on the same positions,
// through hints::request and hints::poll as the game runs it.  Prints figures only; nothing
// fails on a slow machine.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "core/levels.h"
#include "core/rng.h"
#include "core/solver.h"
#include "platform/hint_worker.h"

namespace {

using namespace benchsupport;

constexpr int kWalksPerLevel = 20;
constexpr double kTargetMs = 1000;
constexpr double kTargetMb = 64;

// A position reached from the start by random legal moves; the walk's length is drawn up to
// twice the level's optimum and ends early where no move is left.  Free play mostly wanders
// into small dead corners; play that keeps the level solvable (a random move is taken only if
// the solver still finds a way from its result) stands for a player who is lost but not stuck,
// far from the stored solution, where the search has the most to do.
mar::GameState randomWalk(const mar::GameState& start, int optimum, uint32_t seed,
                          bool staySolvable) {
    Rng rng(seed);
    mar::GameState s = start;
    const int length = 1 + rng.intN(2 * optimum);
    for (int i = 0; i < length && !mar::isSolved(s); ++i) {
        std::vector<mar::Move> moves = mar::legalMoves(s);
        bool moved = false;
        while (!moves.empty() && !moved) {
            const int pick = rng.intN(static_cast<int>(moves.size()));
            const mar::GameState next = mar::applyMoveOne(s, moves[pick]);
            moves.erase(moves.begin() + pick);
            if (staySolvable && mar::solvability(next) != mar::Solvability::Solvable) continue;
            s = next;
            moved = true;
        }
        if (!moved) break;
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

struct Sample {
    std::vector<double> ms, mb;
    int shortest = 0, none = 0, out = 0;

    void add(const mar::SolveResult& r, double millis) {
        ms.push_back(millis);
        mb.push_back(r.peakBytes / 1e6);
        shortest += r.status == mar::SolveStatus::Shortest;
        none += r.status == mar::SolveStatus::NoSolution;
        out += r.status == mar::SolveStatus::BudgetExhausted;
    }
    void addAll(const Sample& o) {
        ms.insert(ms.end(), o.ms.begin(), o.ms.end());
        mb.insert(mb.end(), o.mb.begin(), o.mb.end());
        shortest += o.shortest;
        none += o.none;
        out += o.out;
    }
    void print(const char* what) const {
        printDistribution(what, ms, mb);
        std::printf("%-22s answers: %d shortest, %d no solution, %d out of budget (20 s clock)\n",
                    "", shortest, none, out);
    }
};

// The worker's jobs: request to answer, the search tables' peak and what the answers said.
struct Jobs {
    std::vector<double> ms, mb;
    int kinds[4] = {};
    uint64_t generation = 0;

    void run(const mar::GameState& s) {
        const auto t0 = Clock::now();
        hints::request(s, ++generation);
        std::optional<hints::Answer> a;
        while (!(a = hints::poll()))
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        ms.push_back(millisSince(t0));
        mb.push_back(a->peakBytes / 1e6);
        ++kinds[static_cast<int>(a->kind)];
    }
    void print() const {
        printDistribution("hint worker job", ms, mb);
        std::printf(
            "%-22s answers: %d shortest, %d way forward, %d no way forward, %d unknown "
            "(%d ms and %d MB per search)\n",
            "", kinds[0], kinds[1], kinds[2], kinds[3], hints::kBudgetMs,
            static_cast<int>(hints::kMaxBytes >> 20));
    }
};

}  // namespace

int main() {
    std::printf(
        "solver answers per level: the start, %d positions of free random play and %d of "
        "random play that stays solvable\n",
        kWalksPerLevel, kWalksPerLevel);
    std::printf("level  opt  start ms  free median/max ms  solvable median/max ms\n");
    Sample starts, freePlay, solvable, all;
    std::vector<double> checkMs;
    Jobs jobs;
    for (int level = 0; level < mar::totalLevels(); ++level) {
        const mar::GameState start = mar::loadLevel(level);
        const int optimum = mar::levelInfo(level).solutionLength;
        Sample lStart, lFree, lSolvable;
        for (int j = 0; j <= 2 * kWalksPerLevel; ++j) {
            const bool staySolvable = j > kWalksPerLevel;
            const mar::GameState s =
                j == 0 ? start
                       : randomWalk(start, optimum, static_cast<uint32_t>(level * 1000 + j),
                                    staySolvable);
            // A generous clock so that a runaway search still ends; it then counts as slow.
            const auto t0 = Clock::now();
            mar::SolveBudget budget;
            budget.timeUp = [&] { return millisSince(t0) > 20 * kTargetMs; };
            const mar::SolveResult r = mar::solveShortest(s, budget);
            (j == 0 ? lStart : staySolvable ? lSolvable : lFree).add(r, millisSince(t0));

            const auto c0 = Clock::now();
            mar::SolveBudget checkBudget;
            checkBudget.timeUp = [&] { return millisSince(c0) > 20 * kTargetMs; };
            mar::solvability(s, checkBudget);
            checkMs.push_back(millisSince(c0));

            jobs.run(s);
        }
        const Figures f = summarise(lFree.ms), v = summarise(lSolvable.ms);
        std::printf("%5d  %3d  %8.1f  %8.2f / %7.1f  %8.2f / %7.1f\n", level + 1, optimum,
                    lStart.ms[0], f.median, f.max, v.median, v.max);
        starts.addAll(lStart);
        freePlay.addAll(lFree);
        solvable.addAll(lSolvable);
    }
    all.addAll(starts);
    all.addAll(freePlay);
    all.addAll(solvable);
    std::printf("\n");
    starts.print("starts");
    freePlay.print("free random play");
    solvable.print("solvable random play");
    all.print("hint, all positions");
    const Figures c = summarise(checkMs);
    std::printf(
        "%-22s %5zu positions  median %8.2f ms  p99 %8.1f ms  worst %8.1f ms  "
        "under 1 s %6.2f %%\n",
        "still-solvable check", checkMs.size(), c.median, c.p99, c.max, share(checkMs, kTargetMs));
    jobs.print();
    hints::shutdown();
    std::printf("process peak resident memory %.1f MB\n", peakResidentMb());
    return 0;
}
