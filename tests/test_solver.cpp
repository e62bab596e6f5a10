// The exact solver: stored optima, shortest remainders, dead ends, cancellation and budgets;
// and the hint worker that runs it beside the game.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "core/levels.h"
#include "core/rng.h"
#include "core/solver.h"
#include "core/state.h"
#include "platform/hint_worker.h"

using mar::GameState;
using mar::SolveStatus;

namespace {

GameState pos(std::vector<std::vector<int>> tubes, int capacity) {
    return GameState{tubes, capacity};
}

// Empty when the moves are legal one after another and end solved, else what went wrong.
std::string replayProblem(GameState s, const std::vector<mar::Move>& moves) {
    for (size_t i = 0; i < moves.size(); ++i) {
        if (!mar::canMoveOne(s, moves[i].from, moves[i].to))
            return "move " + std::to_string(i) + " is illegal";
        s = mar::applyMoveOne(s, moves[i]);
    }
    return mar::isSolved(s) ? "" : "does not end solved";
}

// Of the last tier, the level whose proof keeps the most memory, so that budgets bite mid-way.
struct Hardest {
    int level = 0;
    size_t peakBytes = 0;
};

Hardest hardestLevel() {
    static const Hardest hardest = [] {
        Hardest h;
        for (int level = mar::totalLevels() - 15; level < mar::totalLevels(); ++level) {
            const size_t bytes = mar::solveShortest(mar::loadLevel(level)).peakBytes;
            if (bytes > h.peakBytes) h = {level, bytes};
        }
        return h;
    }();
    return hardest;
}

// Fifteen colours of seven shuffled into fifteen tubes beside two empty ones: far beyond the
// catalogue, so the proof runs out of memory and a search lasts long enough to be interrupted.
GameState hugeShuffle() {
    Rng rng(7);
    std::vector<int> marbles;
    for (int c = 0; c < 15; ++c)
        marbles.insert(marbles.end(), 7, c);
    for (size_t i = marbles.size(); i > 1; --i)
        std::swap(marbles[i - 1], marbles[rng.intN(static_cast<int>(i))]);
    GameState s;
    s.capacity = 7;
    for (size_t t = 0; t < 15; ++t)
        s.tubes.emplace_back(marbles.begin() + 7 * t, marbles.begin() + 7 * t + 7);
    s.tubes.resize(17);
    return s;
}

// Polls as a frame would until the worker answers or falls idle with nothing to hand out.
std::optional<hints::Answer> nextAnswer() {
    for (;;) {
        if (auto a = hints::poll()) return a;
        if (!hints::busy()) return hints::poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

TEST(Solver, EveryLevelsStartAnswersItsStoredOptimum) {
    ASSERT_EQ(mar::totalLevels(), 105);
    for (int level = 0; level < mar::totalLevels(); ++level) {
        const GameState start = mar::loadLevel(level);
        const mar::SolveResult r = mar::solveShortest(start);
        ASSERT_EQ(r.status, SolveStatus::Shortest) << "level " << level + 1;
        EXPECT_EQ(static_cast<int>(r.moves.size()), mar::levelInfo(level).solutionLength)
            << "level " << level + 1;
        EXPECT_EQ(replayProblem(start, r.moves), "") << "level " << level + 1;
        EXPECT_EQ(mar::solvability(start), mar::Solvability::Solvable) << "level " << level + 1;
    }
}

TEST(Solver, PositionsWithAKnownShortestRemainder) {
    const GameState sample = pos({{2, 2, 0}, {1, 0, 2}, {0, 1, 1}, {}}, 3);
    mar::SolveResult r = mar::solveShortest(sample);
    ASSERT_EQ(r.status, SolveStatus::Shortest);
    EXPECT_EQ(r.moves.size(), 6u);
    EXPECT_EQ(replayProblem(sample, r.moves), "");
    EXPECT_LE(mar::lowerBound(sample), 6);

    // Already solved: a proven empty solution, even with no legal move left.
    r = mar::solveShortest(pos({{0, 0}, {1, 1}}, 2));
    EXPECT_EQ(r.status, SolveStatus::Shortest);
    EXPECT_TRUE(r.moves.empty());
    EXPECT_EQ(mar::lowerBound(pos({{0, 0}, {1, 1}, {}}, 2)), 0);

    // k moves along a stored shortest solution, exactly optimum - k remain: any shorter
    // remainder would make the whole solution shorter than its proof.
    for (int level : {0, 20, 60, 104}) {
        GameState s = mar::loadLevel(level);
        const std::vector<mar::Move> stored = mar::levelSolution(level);
        for (size_t k = 0; k < stored.size(); ++k) {
            if (k % 3 == 1) {
                r = mar::solveShortest(s);
                ASSERT_EQ(r.status, SolveStatus::Shortest) << "level " << level + 1;
                EXPECT_EQ(r.moves.size(), stored.size() - k)
                    << "level " << level + 1 << " after " << k;
                EXPECT_EQ(replayProblem(s, r.moves), "") << "level " << level + 1;
            }
            s = mar::applyMoveOne(s, stored[k]);
        }
    }
}

TEST(Solver, DeadEndsAndCirclesAreUnsolvableButSolvedBoardsAreNot) {
    // No empty tube and no matching tops: no marble can move.
    const GameState dead = pos({{0, 1}, {1, 0}}, 2);
    EXPECT_TRUE(mar::isDeadEnd(dead));
    EXPECT_EQ(mar::solvability(dead), mar::Solvability::Unsolvable);
    EXPECT_EQ(mar::solveShortest(dead).status, SolveStatus::NoSolution);

    // Legal moves remain, but every line of play from here only goes round in circles or gets
    // stuck.
    const GameState circles = pos({{0, 1, 1}, {0, 1, 2}, {2, 0, 2}, {}}, 3);
    EXPECT_FALSE(mar::isDeadEnd(circles));
    EXPECT_FALSE(mar::legalMoves(circles).empty());
    EXPECT_EQ(mar::solvability(circles), mar::Solvability::Unsolvable);
    EXPECT_EQ(mar::solveShortest(circles).status, SolveStatus::NoSolution);

    // A solved board without a legal move is finished, not stuck; a board with moves is not a
    // dead end.
    EXPECT_FALSE(mar::isDeadEnd(pos({{0, 0}, {1, 1}}, 2)));
    EXPECT_EQ(mar::solvability(pos({{0, 0}, {1, 1}}, 2)), mar::Solvability::Solvable);
    EXPECT_FALSE(mar::isDeadEnd(pos({{0, 1}, {1, 0}, {}}, 2)));
    EXPECT_EQ(mar::solvability(pos({{0, 1}, {1, 0}, {}}, 2)), mar::Solvability::Solvable);
}

TEST(Solver, CancelFlagEndsASearchMidWayWithoutAnAnswer) {
    const GameState start = mar::loadLevel(hardestLevel().level);
    std::atomic<bool> cancel{false};
    std::atomic<bool> searching{false};
    mar::SolveBudget budget;
    budget.cancel = &cancel;
    // The first look at the clock holds the search until the other thread has cancelled, so the
    // flag always lands mid-way however the threads are scheduled.
    budget.timeUp = [&] {
        searching = true;
        while (!cancel)
            std::this_thread::yield();
        return false;
    };
    mar::SolveResult r;
    std::thread worker([&] { r = mar::solveShortest(start, budget); });
    while (!searching)
        std::this_thread::yield();
    cancel = true;
    worker.join();
    EXPECT_TRUE(r.cancelled);
    EXPECT_LT(r.expanded, mar::solveShortest(start).expanded);
    EXPECT_EQ(r.status, SolveStatus::BudgetExhausted);
    EXPECT_TRUE(r.moves.empty()) << "a cancelled search looks for no fallback";

    EXPECT_EQ(mar::solvability(start, budget), mar::Solvability::Unknown);
}

TEST(Solver, ExhaustedBudgetReturnsAValidSolutionNeverClaimedShortest) {
    const int level = hardestLevel().level;
    const GameState start = mar::loadLevel(level);
    const mar::SolveResult full = mar::solveShortest(start);
    mar::SolveBudget tight;
    tight.maxPositions = full.stored / 4;
    mar::SolveBudget late;
    late.timeUp = [] { return true; };
    mar::SolveBudget small;
    small.maxBytes = full.peakBytes / 2;
    for (const mar::SolveBudget* b : {&tight, &late, &small}) {
        const mar::SolveResult r = mar::solveShortest(start, *b);
        EXPECT_EQ(r.status, SolveStatus::BudgetExhausted);
        EXPECT_FALSE(r.cancelled);
        ASSERT_FALSE(r.moves.empty());
        EXPECT_GE(static_cast<int>(r.moves.size()), mar::levelInfo(level).solutionLength);
        EXPECT_EQ(replayProblem(start, r.moves), "");
    }
}

TEST(HintWorker, AnswersOnlyTheLatestPositionAndNeverWaitsOnAnOldSearch) {
    // Following the hints from level 1's start solves it in its optimum, one move less each time.
    GameState s = mar::loadLevel(0);
    uint64_t generation = 0;
    for (int left = mar::levelInfo(0).solutionLength; left > 0; --left) {
        hints::request(s, ++generation);
        const std::optional<hints::Answer> a = nextAnswer();
        ASSERT_TRUE(a) << left << " to go";
        EXPECT_EQ(a->generation, generation);
        EXPECT_EQ(a->kind, hints::Kind::Shortest);
        EXPECT_EQ(a->movesToGo, left);
        ASSERT_TRUE(mar::canMoveOne(s, a->next.from, a->next.to)) << left << " to go";
        s = mar::applyMoveOne(s, a->next);
    }
    EXPECT_TRUE(mar::isSolved(s));

    // Out of budget, a valid way is still shown, never claimed shortest.
    const GameState big = hugeShuffle();
    hints::request(big, ++generation);
    std::optional<hints::Answer> a = nextAnswer();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->kind, hints::Kind::WayForward);
    EXPECT_GE(a->movesToGo, mar::lowerBound(big));
    EXPECT_TRUE(mar::canMoveOne(big, a->next.from, a->next.to));

    // A newer request replaces a search under way; only its answer comes, and only once.
    const GameState small = mar::loadLevel(0);
    hints::request(big, ++generation);
    hints::request(small, ++generation);
    a = nextAnswer();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->generation, generation);
    EXPECT_EQ(a->movesToGo, mar::levelInfo(0).solutionLength);
    EXPECT_FALSE(nextAnswer());

    // Cancelled mid-search, nothing is answered, and the next request is taken up at once.
    hints::request(big, ++generation);
    hints::cancel();
    EXPECT_FALSE(nextAnswer());
    hints::request(small, ++generation);
    a = nextAnswer();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->generation, generation);

    // Going round in circles with moves left, and stuck without any: no way forward either way.
    for (const GameState& lost :
         {pos({{0, 1, 1}, {0, 1, 2}, {2, 0, 2}, {}}, 3), pos({{0, 1}, {1, 0}}, 2)}) {
        hints::request(lost, ++generation);
        a = nextAnswer();
        ASSERT_TRUE(a);
        EXPECT_EQ(a->kind, hints::Kind::NoWayForward);
    }

    // Shut down in the middle of a search, the worker comes back for the next request.
    hints::request(big, ++generation);
    hints::shutdown();
    EXPECT_FALSE(hints::busy());
    hints::request(small, ++generation);
    a = nextAnswer();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->generation, generation);
    hints::shutdown();
}
