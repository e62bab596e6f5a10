// Tests for the world table, the tier-to-world mapping, palette rotation and colour shading.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <string>

#include "theme/theme.h"

using theme::ShapeKind;

TEST(Theme, TiersMapToWorldsInBlocksOfFourAndClamp) {
    const std::pair<int, const char*> cases[] = {
        {INT_MIN, "sandstrand"}, {-100, "sandstrand"}, {-1, "sandstrand"},
        {0, "sandstrand"},       {3, "sandstrand"},    {4, "lagune"},
        {7, "lagune"},           {8, "tropeninsel"},   {11, "tropeninsel"},
        {12, "muschelbucht"},    {15, "muschelbucht"}, {16, "abendstrand"},
        {19, "abendstrand"},     {99, "abendstrand"},  {INT_MAX, "abendstrand"},
    };
    for (const auto& [tier, id] : cases)
        EXPECT_STREQ(theme::worldForTier(tier).id, id) << tier;
    // References into the table stay put: callers keep them for a whole level.
    EXPECT_EQ(&theme::worldForTier(5), &theme::worlds()[1]);
}

TEST(Theme, WorldTableHasFiveDistinctWorldsWithCompletePalettes) {
    const auto& worlds = theme::worlds();
    ASSERT_EQ(worlds.size(), 5u);
    const char* ids[] = {"sandstrand", "lagune", "tropeninsel", "muschelbucht", "abendstrand"};
    for (size_t w = 0; w < worlds.size(); ++w) {
        const theme::World& world = worlds[w];
        EXPECT_STREQ(world.id, ids[w]);
        ASSERT_EQ(world.marbleColors.size(), 15u) << world.id;
        EXPECT_EQ(world.shapePalette.size(), 5u) << world.id;
        // Marbles of different colour ids must never look alike.
        std::set<uint32_t> distinct(world.marbleColors.begin(), world.marbleColors.end());
        EXPECT_EQ(distinct.size(), 15u) << world.id;
        for (uint32_t c : world.marbleColors)
            EXPECT_LE(c, 0xFFFFFFu) << world.id;
        EXPECT_GT(world.wash.a, 0.0);
        EXPECT_LT(world.wash.a, 1.0);
        EXPECT_FALSE(world.shapes.empty());
        EXPECT_EQ(world.shapes.front(), ShapeKind::Marble) << world.id;
        for (ShapeKind k : world.shapes) {
            EXPECT_NE(k, ShapeKind::Dot) << world.id;
            EXPECT_NE(k, ShapeKind::Ring) << world.id;
        }
    }
    // The shell bay lists shells twice so its scenes show them twice as often.
    EXPECT_EQ(std::count(worlds[3].shapes.begin(), worlds[3].shapes.end(), ShapeKind::Shell), 2);
}

TEST(Theme, RotatedPaletteRotatesLeftByAnyOffset) {
    const theme::World& w = theme::worlds()[2];
    const auto& base = w.marbleColors;
    for (int offset : {0, 15, -15, 30, -45})
        EXPECT_EQ(theme::rotatedPalette(w, offset), base) << offset;

    auto one = theme::rotatedPalette(w, 1);
    ASSERT_EQ(one.size(), 15u);
    EXPECT_EQ(one.front(), base[1]);
    EXPECT_EQ(one.back(), base[0]);
    EXPECT_EQ(theme::rotatedPalette(w, 16), one);

    auto minusOne = theme::rotatedPalette(w, -1);
    EXPECT_EQ(minusOne.front(), base[14]);
    EXPECT_EQ(minusOne[1], base[0]);
    EXPECT_EQ(theme::rotatedPalette(w, 14), minusOne);

    // Extreme offsets must neither overflow nor index out of range: INT_MAX mod 15 is 7.
    EXPECT_EQ(theme::rotatedPalette(w, INT_MAX).front(), base[7]);
    EXPECT_EQ(theme::rotatedPalette(w, INT_MIN).front(),
              base[(15 - 8) % 15]);  // INT_MIN mod 15 is -8
    for (int offset : {-7, 3, 22}) {
        auto r = theme::rotatedPalette(w, offset);
        std::multiset<uint32_t> a(r.begin(), r.end()), b(base.begin(), base.end());
        EXPECT_EQ(a, b) << offset;
    }

    theme::World empty = w;
    empty.marbleColors.clear();
    EXPECT_TRUE(theme::rotatedPalette(empty, 3).empty());
}

TEST(Theme, LightenAndDarkenRoundAndClampEachChannel) {
    EXPECT_EQ(theme::lighten(0x000000, 0.5), 0x808080u);  // 127.5 rounds up
    EXPECT_EQ(theme::darken(0xFFFFFF, 0.5), 0x808080u);
    EXPECT_EQ(theme::darken(0xFF6B6B, 0.0), 0xFF6B6Bu);
    EXPECT_EQ(theme::lighten(0xFF6B6B, 0.0), 0xFF6B6Bu);
    EXPECT_EQ(theme::lighten(0x123456, 1.0), 0xFFFFFFu);
    EXPECT_EQ(theme::darken(0x123456, 1.0), 0x000000u);
    EXPECT_EQ(theme::lighten(0x808080, -2.0), 0x000000u);  // negative darkens, clamps at 0
    EXPECT_EQ(theme::lighten(0x80FFC0, -0.5), 0x41FFA1u);  // 64.5 and 160.5 round up
    EXPECT_EQ(theme::darken(0x808080, -2.0), 0xFFFFFFu);   // clamps at 255
    EXPECT_EQ(theme::lighten(0x00FF00, 0.5), 0x80FF80u);   // channels are independent
    EXPECT_EQ(theme::darken(0x0A1400, 0.5), 0x050A00u);
    EXPECT_EQ(theme::darken(0xFF010203, 0.0), 0x010203u);  // bits above 24 are ignored
    EXPECT_EQ(theme::lighten(0xFFFFFFFF, 0.25), 0xFFFFFFu);
}
