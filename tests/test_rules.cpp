// The puzzle rules and the shared random generator.
#include <gtest/gtest.h>

#include "core/rng.h"
#include "core/state.h"

using mar::GameState;

namespace {

GameState pos(std::vector<std::vector<int>> tubes, int capacity) {
    return GameState{tubes, capacity};
}

}  // namespace

TEST(Rules, MoveLegalityFollowsTheFiveConditionsInOrder) {
    GameState s = pos({{0, 1}, {1}, {}, {0, 0, 0}}, 3);
    EXPECT_FALSE(mar::canMoveOne(s, 0, 0)) << "onto itself";
    EXPECT_FALSE(mar::canMoveOne(s, -1, 2)) << "negative source";
    EXPECT_FALSE(mar::canMoveOne(s, 0, 4)) << "destination past the end";
    EXPECT_FALSE(mar::canMoveOne(s, 2, 0)) << "empty source";
    EXPECT_FALSE(mar::canMoveOne(s, 1, 3)) << "full destination even with a matching colour";
    EXPECT_TRUE(mar::canMoveOne(s, 0, 1)) << "same colour with room";
    EXPECT_FALSE(mar::canMoveOne(pos({{0, 1}, {0}}, 3), 0, 1)) << "different top colours";
}

TEST(Rules, AnyMarbleMayGoOntoAnEmptyTubeEvenFromACompleteTube) {
    GameState s = pos({{2, 2, 2}, {}, {1, 0}}, 3);
    EXPECT_TRUE(mar::canMoveOne(s, 0, 1));
    EXPECT_TRUE(mar::canMoveOne(s, 2, 1));
}

TEST(Rules, ApplyingAMoveCarriesExactlyTheTopMarbleAndLeavesTheInputAlone) {
    GameState s = pos({{0, 1}, {1}, {}}, 3);
    GameState n = mar::applyMoveOne(s, {0, 1});
    EXPECT_EQ(n.tubes, (std::vector<std::vector<int>>{{0}, {1, 1}, {}}));
    EXPECT_EQ(s.tubes, (std::vector<std::vector<int>>{{0, 1}, {1}, {}}));
    EXPECT_EQ(n.capacity, 3);
    EXPECT_EQ(n.marbleCount(), s.marbleCount());
}

TEST(Rules, LegalMovesAreOrderedBySourceThenDestinationWithoutPruning) {
    GameState s = pos({{0}, {}, {}}, 2);
    std::vector<mar::Move> want{{0, 1}, {0, 2}};
    EXPECT_EQ(mar::legalMoves(s), want);
    // Tube 0 is full, so nothing may land on it; moving back and forth is not pruned.
    GameState t = pos({{0, 1}, {1}, {}}, 2);
    std::vector<mar::Move> want2{{0, 1}, {0, 2}, {1, 2}};
    EXPECT_EQ(mar::legalMoves(t), want2);
    for (const auto& m : mar::legalMoves(t))
        EXPECT_TRUE(mar::canMoveOne(t, m.from, m.to));
}

TEST(Rules, SolvedMeansEveryTubeEmptyOrFullOfOneColour) {
    EXPECT_TRUE(mar::isSolved(pos({{0, 0, 0}, {}, {1, 1, 1}}, 3)));
    EXPECT_TRUE(mar::isSolved(pos({{}, {}}, 3)));
    EXPECT_FALSE(mar::isSolved(pos({{0, 0}, {0}, {1, 1, 1}}, 3))) << "capacity-1 is not complete";
    EXPECT_FALSE(mar::isSolved(pos({{0, 0, 1}, {1, 1, 0}}, 3)));
    EXPECT_FALSE(mar::isTubeComplete(pos({{0, 0}}, 3), 0));
    EXPECT_FALSE(mar::isTubeComplete(pos({{}}, 3), 0));
    EXPECT_FALSE(mar::isTubeComplete(pos({{0, 0, 0}}, 3), 1)) << "index out of range";
    EXPECT_FALSE(mar::isTubeComplete(pos({{0, 0, 0}}, 3), -1));
    EXPECT_TRUE(mar::isTubeComplete(pos({{0, 0, 0}}, 3), 0));
}

TEST(Rules, TopColourAndTopRun) {
    EXPECT_EQ(mar::topColor({}), -1);
    EXPECT_EQ(mar::topColor({3, 4}), 4);
    EXPECT_EQ(mar::topRunLength({2, 1, 1}), 2);
    EXPECT_EQ(mar::topRunLength({1}), 1);
    EXPECT_EQ(mar::topRunLength({}), 0);
    EXPECT_EQ(mar::topRunLength({1, 2}), 1);
    EXPECT_EQ(mar::topRunLength({5, 5, 5}), 3);
}

TEST(Rules, StarsAgainstTheOptimumWithTheCeilingOfOneAndAHalf) {
    EXPECT_EQ(mar::computeStars(5, 3), 2);
    EXPECT_EQ(mar::computeStars(6, 3), 1);
    EXPECT_EQ(mar::computeStars(3, 3), 3);
    EXPECT_EQ(mar::computeStars(2, 3), 3);
    EXPECT_EQ(mar::computeStars(9, 0), 3);
    EXPECT_EQ(mar::computeStars(9, -4), 3);
    EXPECT_EQ(mar::computeStars(11, 7), 2);
    EXPECT_EQ(mar::computeStars(12, 7), 1);
    EXPECT_EQ(mar::computeStars(15, 10), 2);
    EXPECT_EQ(mar::computeStars(16, 10), 1);
}

TEST(Rng, Mulberry32MatchesReferenceValuesAndStaysInRange) {
    // Reference outputs computed independently of this code base.
    const double want[3][3] = {{0.26642920868471265, 0.0003297457005828619, 0.2232720274478197},
                               {0.9797282677609473, 0.3067522644996643, 0.484205421525985},
                               {0.8964226141106337, 0.189478256739676, 0.7156526781618595}};
    const uint32_t seeds[3] = {0, 12345, 4294967295u};
    for (int s = 0; s < 3; ++s) {
        Rng r(seeds[s]);
        for (int i = 0; i < 3; ++i)
            EXPECT_DOUBLE_EQ(r.next(), want[s][i]) << s << "/" << i;
    }
    Rng z(7);
    for (int i = 0; i < 1000; ++i) {
        double v = z.next();
        EXPECT_GE(v, 0.0);
        EXPECT_LT(v, 1.0);
        int k = z.intN(6);
        EXPECT_GE(k, 0);
        EXPECT_LT(k, 6);
        double d = z.range(-2, 3);
        EXPECT_GE(d, -2);
        EXPECT_LT(d, 3);
    }
}

TEST(Rng, StateWrapsAroundWithoutOverflowTrouble) {
    Rng r(0xFFFFFFFFu);
    r.next();
    EXPECT_EQ(r.state(), 0xFFFFFFFFu + 0x6D2B79F5u);
}
