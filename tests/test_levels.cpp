// The level catalogue: flat numbering and clamping, the committed tables' content rules, and the
// generator's refusal of a broken catalogue.
#include <gtest/gtest.h>

#include <climits>

#include "core/levels.h"
#include "core/levels_data.h"
#include "core/state.h"
#include "levelgen/catalogue.h"

using mar::GameState;

namespace {

GameState pos(std::vector<std::vector<int>> tubes, int capacity) {
    return GameState{tubes, capacity};
}

GameState startOf(const levels_data::Level& lv) {
    GameState s;
    s.capacity = lv.capacity;
    s.tubes.resize(lv.tubeCount);
    for (int t = 0; t < lv.tubeCount; ++t)
        for (int k = 0; k < lv.capacity && lv.slots[t * lv.capacity + k] >= 0; ++k)
            s.tubes[t].push_back(lv.slots[t * lv.capacity + k]);
    return s;
}

// The committed tables in the generator's own form, so its rule check can judge them.
levelgen::Catalogue committed() {
    levelgen::Catalogue cat;
    for (int p = 0; p < levels_data::kPoolCount; ++p) {
        const auto& table = levels_data::kPools[p];
        levelgen::Pool pool;
        pool.params = levelgen::kPoolParams[p];
        pool.params.difficulty = table.difficulty;
        pool.params.colors = table.colors;
        pool.params.tubes = table.tubes;
        pool.params.capacity = table.capacity;
        for (int i = 0; i < table.count; ++i) {
            const auto& lv = table.levels[i];
            levelgen::Level l;
            l.seed = lv.seed;
            l.start = startOf(lv);
            for (int m = 0; m < lv.moveCount; ++m)
                l.solution.push_back({lv.moves[2 * m], lv.moves[2 * m + 1]});
            l.optimum = lv.solutionLength;
            pool.levels.push_back(l);
        }
        cat.pools.push_back(pool);
    }
    return cat;
}

void expectSameInfo(const mar::LevelInfo& a, const mar::LevelInfo& b) {
    EXPECT_EQ(a.tier, b.tier);
    EXPECT_EQ(a.idx, b.idx);
    EXPECT_EQ(a.paletteOffset, b.paletteOffset);
    EXPECT_EQ(a.colors, b.colors);
    EXPECT_EQ(a.capacity, b.capacity);
    EXPECT_EQ(a.solutionLength, b.solutionLength);
    EXPECT_EQ(a.seed, b.seed);
}

}  // namespace

// ---- Flat numbering ----

TEST(LevelCatalogue, FlatLevelsTakeOneLevelOfTiersZeroToTwoAndSixOfEveryLaterTier) {
    ASSERT_EQ(mar::totalLevels(), 105);
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(mar::levelInfo(n).tier, n);
        EXPECT_EQ(mar::levelInfo(n).idx, 0);
    }
    for (int p = 3; p < 20; ++p)
        for (int j = 0; j < 6; ++j) {
            mar::LevelInfo info = mar::levelInfo(3 + 6 * (p - 3) + j);
            EXPECT_EQ(info.tier, p);
            EXPECT_EQ(info.idx, j);
        }
    EXPECT_EQ(mar::levelInfo(104).tier, 19);
    EXPECT_EQ(mar::levelInfo(104).idx, 5);
}

TEST(LevelCatalogue, PaletteOffsetIsThePositionTimesTheTierColourCount) {
    EXPECT_EQ(mar::levelInfo(3).paletteOffset, 0);
    EXPECT_EQ(mar::levelInfo(4).paletteOffset, 3);
    for (int n = 0; n < mar::totalLevels(); ++n) {
        mar::LevelInfo info = mar::levelInfo(n);
        EXPECT_EQ(info.paletteOffset, info.idx * levels_data::kPools[info.tier].colors) << n;
    }
}

TEST(LevelCatalogue, LevelInfoCopiesThePoolAndLevelFacts) {
    for (int n = 0; n < mar::totalLevels(); ++n) {
        mar::LevelInfo info = mar::levelInfo(n);
        const auto& pool = levels_data::kPools[info.tier];
        const auto& lv = pool.levels[info.idx];
        EXPECT_EQ(info.colors, pool.colors) << n;
        EXPECT_EQ(info.capacity, lv.capacity) << n;
        EXPECT_EQ(info.solutionLength, lv.solutionLength) << n;
        EXPECT_EQ(info.seed, lv.seed) << n;
        EXPECT_EQ(mar::loadLevel(n), startOf(lv)) << n;
    }
    EXPECT_EQ(mar::levelInfo(0).seed, 100001u);
    EXPECT_EQ(mar::levelInfo(104).seed, 2000006u);
}

TEST(LevelCatalogue, AnyIndexIsClampedIntoTheCatalogue) {
    EXPECT_EQ(mar::loadLevel(-5), mar::loadLevel(0));
    EXPECT_EQ(mar::loadLevel(INT_MIN), mar::loadLevel(0));
    expectSameInfo(mar::levelInfo(1000), mar::levelInfo(104));
    expectSameInfo(mar::levelInfo(INT_MAX), mar::levelInfo(104));
    expectSameInfo(mar::levelInfo(-1), mar::levelInfo(0));
    EXPECT_EQ(mar::levelSolution(105), mar::levelSolution(104));
    EXPECT_EQ(mar::levelSolution(-1), mar::levelSolution(0));
}

TEST(LevelCatalogue, EveryFlatLevelsSolutionReplaysToSolvedInExactlyItsLength) {
    for (int n = 0; n < mar::totalLevels(); ++n) {
        GameState s = mar::loadLevel(n);
        std::vector<mar::Move> moves = mar::levelSolution(n);
        ASSERT_EQ(static_cast<int>(moves.size()), mar::levelInfo(n).solutionLength) << n;
        ASSERT_FALSE(mar::isSolved(s)) << n;
        for (size_t m = 0; m < moves.size(); ++m) {
            ASSERT_TRUE(mar::canMoveOne(s, moves[m].from, moves[m].to)) << n << " move " << m;
            s = mar::applyMoveOne(s, moves[m]);
            if (m + 1 < moves.size()) {
                ASSERT_FALSE(mar::isSolved(s)) << n << " early at " << m;
            }
        }
        EXPECT_TRUE(mar::isSolved(s)) << n;
    }
}

// ---- Content of the committed tables ----

TEST(LevelCatalogue, TheFirstLevelsOfTiersZeroToThreeAreTheFixedOnes) {
    struct Fixed {
        GameState start;
        std::vector<mar::Move> solution;
    };
    const Fixed fixed[4] = {
        {pos({{0, 1}, {0, 1}, {}}, 2), {{0, 2}, {1, 2}, {0, 1}}},
        {pos({{1, 1, 0}, {0, 0, 1}, {}}, 3), {{0, 2}, {1, 0}, {2, 1}}},
        {pos({{1, 1, 0}, {1, 0, 0}, {}, {}}, 3), {{0, 2}, {1, 2}, {1, 2}, {1, 0}}},
        {pos({{2, 2, 0}, {1, 0, 2}, {0, 1, 1}, {}}, 3),
         {{0, 3}, {1, 0}, {1, 3}, {2, 1}, {2, 1}, {2, 3}}},
    };
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(mar::loadLevel(p), fixed[p].start) << p;
        EXPECT_EQ(mar::levelSolution(p), fixed[p].solution) << p;
    }
}

TEST(LevelCatalogue, PoolsHaveTheTierTableShapes) {
    // difficulty, colours, tubes, capacity, count
    const int shapes[20][5] = {
        {1, 2, 3, 2, 3},     {2, 2, 3, 3, 9},     {3, 2, 4, 3, 9},     {4, 3, 4, 3, 15},
        {5, 3, 5, 3, 15},    {6, 3, 4, 4, 15},    {7, 3, 5, 4, 15},    {8, 4, 6, 3, 15},
        {9, 4, 6, 4, 15},    {10, 5, 7, 4, 15},   {11, 6, 8, 4, 15},   {12, 7, 9, 5, 15},
        {13, 8, 10, 5, 15},  {14, 9, 11, 5, 15},  {15, 10, 12, 5, 15}, {16, 11, 13, 5, 15},
        {17, 12, 14, 6, 15}, {18, 13, 15, 5, 15}, {19, 14, 16, 5, 15}, {20, 15, 17, 5, 15},
    };
    int total = 0;
    for (int p = 0; p < 20; ++p) {
        const auto& pool = levels_data::kPools[p];
        EXPECT_EQ(pool.difficulty, shapes[p][0]) << p;
        EXPECT_EQ(pool.colors, shapes[p][1]) << p;
        EXPECT_EQ(pool.tubes, shapes[p][2]) << p;
        EXPECT_EQ(pool.capacity, shapes[p][3]) << p;
        EXPECT_EQ(pool.count, shapes[p][4]) << p;
        for (int i = 0; i < pool.count; ++i) {
            EXPECT_EQ(pool.levels[i].seed, static_cast<uint32_t>(pool.difficulty * 100000 + i + 1));
            EXPECT_EQ(pool.levels[i].tubeCount, pool.tubes);
            EXPECT_EQ(pool.levels[i].capacity, pool.capacity);
        }
        total += pool.count;
    }
    EXPECT_EQ(total, 276);
}

TEST(LevelCatalogue, PlayedLevelsHaveOptimaInTheirTierRangeAndRiseLevelByLevel) {
    // Optimum range of each tier's played levels.
    const int range[20][2] = {
        {3, 3},   {3, 3},   {4, 4},   {6, 8},   {5, 8},   {9, 14},  {7, 12},
        {6, 10},  {12, 14}, {17, 19}, {19, 24}, {31, 36}, {37, 45}, {44, 49},
        {51, 56}, {59, 66}, {85, 96}, {70, 83}, {81, 92}, {88, 95},
    };
    for (int n = 0; n < mar::totalLevels(); ++n) {
        mar::LevelInfo info = mar::levelInfo(n);
        EXPECT_GE(info.solutionLength, range[info.tier][0]) << "flat level " << n;
        EXPECT_LE(info.solutionLength, range[info.tier][1]) << "flat level " << n;
    }
    for (int p = 0; p < 20; ++p) {
        const auto& pool = levels_data::kPools[p];
        int from = p < 4 ? 2 : 1;  // the fixed first level may be longer than the next
        for (int i = from; i < pool.count; ++i)
            EXPECT_GE(pool.levels[i].solutionLength, pool.levels[i - 1].solutionLength)
                << "tier " << p << ", position " << i;
        for (int i = 0; i < pool.count; ++i)
            EXPECT_LE(pool.levels[i].solutionLength, 102);
    }
}

TEST(LevelCatalogue, TheCommittedTablesKeepEveryContentRule) {
    EXPECT_EQ(levelgen::checkCatalogue(committed()), "");
}

// ---- The generator's checks ----

TEST(LevelGenerator, RefusesABrokenCatalogueNamingTheLevelAndTheRule) {
    const levelgen::Catalogue good = committed();
    auto problems = [&](auto mutate) {
        levelgen::Catalogue cat = good;
        mutate(cat);
        return levelgen::checkCatalogue(cat);
    };
    auto has = [](const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    };

    std::string r =
        problems([](levelgen::Catalogue& c) { c.pools[19].levels[2].solution.pop_back(); });
    EXPECT_TRUE(has(r, "tier 19, position 2 (seed 2000003)")) << r;
    EXPECT_TRUE(has(r, "does not end solved")) << r;

    r = problems([](levelgen::Catalogue& c) { c.pools[5].levels[4].solution[0] = {1, 1}; });
    EXPECT_TRUE(has(r, "tier 5, position 4 (seed 600005): move 1 (1->1) is not allowed")) << r;

    r = problems(
        [](levelgen::Catalogue& c) { std::swap(c.pools[8].levels[3], c.pools[8].levels[14]); });
    EXPECT_TRUE(has(r, "tier 8, position 3")) << r;
    EXPECT_TRUE(has(r, "seed is not 900004")) << r;

    r = problems([](levelgen::Catalogue& c) {
        // A played level replaced by the pool's longest keeps the seeds but breaks the order
        // and, here, the played range.
        auto& lv = c.pools[19].levels;
        std::swap(lv[5].start, lv[14].start);
        std::swap(lv[5].solution, lv[14].solution);
        std::swap(lv[5].optimum, lv[14].optimum);
    });
    EXPECT_TRUE(has(r, "tier 19, position 5 (seed 2000006): is played but its optimum")) << r;
    EXPECT_TRUE(has(r, "is shorter than")) << r;

    r = problems([](levelgen::Catalogue& c) {
        // The same start with colours 0 and 1 renamed and the first two tubes swapped.
        GameState s = c.pools[7].levels[0].start;
        for (auto& t : s.tubes)
            for (int& x : t)
                x = x == 0 ? 1 : x == 1 ? 0 : x;
        std::swap(s.tubes[0], s.tubes[1]);
        c.pools[7].levels[9].start = s;
    });
    EXPECT_TRUE(has(r, "tier 7, position 9 (seed 800010): is the same start as position 0")) << r;

    r = problems([](levelgen::Catalogue& c) { c.pools[3].levels[0].start.tubes[0] = {0, 2, 2}; });
    EXPECT_TRUE(has(r, "tier 3, position 0 (seed 400001): is not the tier's fixed first level"))
        << r;

    r = problems([](levelgen::Catalogue& c) { c.pools[10].levels[1].start.tubes[0][0] = 5; });
    EXPECT_TRUE(has(r, "tier 10, position 1 (seed 1100002): colour")) << r;

    r = problems([](levelgen::Catalogue& c) { c.pools[0].levels.pop_back(); });
    EXPECT_TRUE(has(r, "tier 0: 2 levels, not 3")) << r;
}

TEST(LevelGenerator, StartsAreComparedUpToTubeOrderAndColourNames) {
    GameState a = pos({{0, 1, 2}, {2, 2, 0}, {1, 0, 1}, {}}, 3);
    GameState reordered = pos({{}, {1, 0, 1}, {0, 1, 2}, {2, 2, 0}}, 3);
    GameState renamed = pos({{1, 2, 0}, {0, 0, 1}, {2, 1, 2}, {}}, 3);  // 0->1, 1->2, 2->0
    GameState other = pos({{0, 1, 2}, {2, 2, 0}, {1, 1, 0}, {}}, 3);
    EXPECT_TRUE(levelgen::sameUpToTubeOrder(a, reordered));
    EXPECT_FALSE(levelgen::sameUpToTubeOrder(a, renamed));
    EXPECT_TRUE(levelgen::sameUpToTubesAndColours(a, renamed));
    EXPECT_TRUE(levelgen::sameUpToTubesAndColours(reordered, renamed));
    EXPECT_FALSE(levelgen::sameUpToTubesAndColours(a, other));
    // Two colours may not both be renamed to one.
    EXPECT_FALSE(levelgen::sameUpToTubesAndColours(pos({{0, 1}, {1, 0}, {}}, 2),
                                                   pos({{0, 0}, {1, 1}, {}}, 2)));
}
