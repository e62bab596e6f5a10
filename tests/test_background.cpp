// World backgrounds: object counts, the scene cache and its determinism, where each kind lies,
// the fallback kinds, texture keys, the still sea, group strengths and the texture-free variant.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "core/rng.h"
#include "harness.h"
#include "ui/background.h"
#include "ui/gpu.h"

using harness::Canvas;
using harness::Options;
using harness::RendererKind;
using theme::ShapeKind;

namespace {

bool cachedAt(const std::string& key, int w, int h) {
    int cw = 0, ch = 0;
    return ui::gpuCached(key, &cw, &ch) && cw == w && ch == h;
}

int countKind(const ui::Scene& s, ShapeKind k) {
    return static_cast<int>(std::count_if(s.shapes.begin(), s.shapes.end(),
                                          [k](const ui::Shape& x) { return x.kind == k; }));
}

bool sameScene(const ui::Scene& a, const ui::Scene& b) {
    if (a.seed != b.seed || a.tier != b.tier || a.w != b.w || a.h != b.h) return false;
    if (a.sunCx != b.sunCx || a.sunCy != b.sunCy || a.sunR != b.sunR) return false;
    if (a.clouds.size() != b.clouds.size() || a.sparkles.size() != b.sparkles.size() ||
        a.shapes.size() != b.shapes.size())
        return false;
    for (size_t i = 0; i < a.clouds.size(); ++i) {
        const auto &x = a.clouds[i], &y = b.clouds[i];
        if (x.cx != y.cx || x.cy != y.cy || x.r != y.r || x.alpha != y.alpha) return false;
    }
    for (size_t i = 0; i < a.sparkles.size(); ++i) {
        const auto &x = a.sparkles[i], &y = b.sparkles[i];
        if (x.cx != y.cx || x.cy != y.cy || x.w != y.w) return false;
    }
    for (size_t i = 0; i < a.shapes.size(); ++i) {
        const auto &x = a.shapes[i], &y = b.shapes[i];
        if (x.kind != y.kind || x.cx != y.cx || x.cy != y.cy || x.r != y.r || x.rot != y.rot ||
            x.w != y.w || x.color != y.color)
            return false;
    }
    return true;
}

bool contains(const std::vector<uint32_t>& list, uint32_t v) {
    return std::find(list.begin(), list.end(), v) != list.end();
}

}  // namespace

TEST(Background, BeachObjectCountsFollowTheSandArea) {
    ui::backgroundShutdown();
    const ui::Scene& big = ui::buildScene(2, -1, 1280, 720);
    ASSERT_EQ(big.shapes.size(), 12u) << "sandH 417.6: target 9, 4 marbles, 8 decorations";
    for (int i = 0; i < 4; ++i) {
        // The marbles come first (decorations may be bigger marbles, 24 to 60).
        EXPECT_EQ(big.shapes[i].kind, ShapeKind::Marble) << i;
        EXPECT_LE(big.shapes[i].r, 40) << i;
    }
    EXPECT_EQ(big.sparkles.size(), 43u) << "1280 / 60 x 2 = 42.7";
    EXPECT_GE(big.clouds.size(), 2u);
    EXPECT_LE(big.clouds.size(), 3u);
    EXPECT_DOUBLE_EQ(big.sunR, 0.055 * 720);

    const ui::Scene& small = ui::buildScene(2, -1, 640, 480);
    ASSERT_EQ(small.shapes.size(), 9u) << "target 3: 1 marble and at least 8 decorations";
    EXPECT_EQ(small.shapes[0].kind, ShapeKind::Marble);
    EXPECT_EQ(small.sparkles.size(), 21u);

    const ui::Scene& tiny = ui::buildScene(2, -1, 100, 100);
    EXPECT_EQ(tiny.shapes.size(), 8u);
    EXPECT_EQ(countKind(tiny, ShapeKind::Marble), 0);
    EXPECT_EQ(ui::buildScene(2, -1, 20, 100).sparkles.size(), 1u) << "0.67 rounds to 1";
    EXPECT_EQ(ui::buildScene(2, -1, 14, 100).sparkles.size(), 0u) << "0.47 rounds to 0";
}

TEST(Background, TheSameInputsGiveTheSameSceneDrawForDraw) {
    ui::backgroundShutdown();
    const int builds = ui::sceneBuildCount();
    const ui::Scene first = ui::buildScene(2, -1, 1280, 720);
    const ui::Scene& again = ui::buildScene(2, -1, 1280, 720);
    EXPECT_EQ(ui::sceneBuildCount(), builds + 1) << "a repeated request draws no new numbers";
    EXPECT_TRUE(sameScene(first, again));

    // The first draws of the generator seeded with seed x 9173 + 31 place the sun and count
    // the clouds.
    Rng rnd(2 * 9173 + 31);
    EXPECT_DOUBLE_EQ(first.sunCx, rnd.range(0.62, 0.85) * 1280);
    EXPECT_DOUBLE_EQ(first.sunCy, rnd.range(0.28, 0.5) * 0.3 * 720);
    EXPECT_EQ(first.clouds.size(), static_cast<size_t>(2 + static_cast<int>(rnd.range(0, 2))));
    EXPECT_NEAR(first.sunCx / 1280, 0.7205052659078501, 1e-12);

    ui::buildScene(3, -1, 1280, 720);
    EXPECT_TRUE(sameScene(first, ui::buildScene(2, -1, 1280, 720))) << "rebuilt, identical";
    EXPECT_EQ(ui::sceneBuildCount(), builds + 3);

    // Tier -1 and tier 0 share the world but are separate scenes.
    const ui::Scene tier0 = ui::buildScene(2, 0, 1280, 720);
    EXPECT_EQ(tier0.tier, 0);
    EXPECT_EQ(tier0.sunCx, first.sunCx);
    EXPECT_EQ(ui::sceneBuildCount(), builds + 4);

    // Only the height changes: rebuilt, every position scaled to the new size.
    const ui::Scene lower = ui::buildScene(2, -1, 1280, 600);
    EXPECT_EQ(ui::sceneBuildCount(), builds + 5);
    EXPECT_DOUBLE_EQ(lower.sunCx, first.sunCx);
    EXPECT_NEAR(lower.sunCy / 600, first.sunCy / 720, 1e-12);
    ASSERT_EQ(lower.clouds.size(), first.clouds.size());
    EXPECT_DOUBLE_EQ(lower.clouds[0].cx, first.clouds[0].cx);
    EXPECT_NEAR(lower.clouds[0].cy / 600, first.clouds[0].cy / 720, 1e-12);
}

TEST(Background, EachObjectLiesWhereItsKindBelongsInItsWorldsColours) {
    const uint32_t parasols[] = {0xFF6B6B, 0x3FC8D4, 0xFFD23D, 0x62C370, 0xFF8FAB, 0x7C9EFF};
    const double w = 1280, h = 720, horizon = 0.3 * h, shore = 0.42 * h;
    std::map<ShapeKind, int> picked;
    for (int world = 0; world < 5; ++world) {
        const theme::World& wd = theme::worlds()[static_cast<size_t>(world)];
        for (int seed = 0; seed < 120; ++seed) {
            const ui::Scene s = ui::generateScene(wd, seed, world * 4, w, h);
            ASSERT_EQ(s.shapes.size(), 12u);
            for (size_t i = 0; i < s.shapes.size(); ++i) {
                const ui::Shape& x = s.shapes[i];
                SCOPED_TRACE(testing::Message()
                             << "world " << world << " seed " << seed << " shape " << i);
                EXPECT_GE(x.cx, -20);
                EXPECT_LE(x.cx, w + 20);
                if (i < 4) {
                    // The marbles lying on the sand, in the world's marble colours.
                    EXPECT_EQ(x.kind, ShapeKind::Marble);
                    EXPECT_GE(x.cy, 0.72 * h);
                    EXPECT_LE(x.cy, h + 20);
                    EXPECT_GE(x.r, 12);
                    EXPECT_LE(x.r, 40);
                    EXPECT_TRUE(contains(wd.marbleColors, x.color));
                    continue;
                }
                EXPECT_NE(x.kind, ShapeKind::Sun);
                EXPECT_TRUE(std::find(wd.shapes.begin(), wd.shapes.end(), x.kind) !=
                            wd.shapes.end());
                if (x.kind == ShapeKind::Wave) {
                    EXPECT_GE(x.cy, horizon + 14);
                    EXPECT_LE(x.cy, shore - 8);
                    EXPECT_EQ(x.r, 0);
                    EXPECT_GE(x.w, 70);
                    EXPECT_LE(x.w, 160);
                    EXPECT_LE(std::fabs(x.rot), 0.1);
                } else {
                    EXPECT_GE(x.cy, shore + 36);
                    EXPECT_LE(x.cy, h + 20);
                    EXPECT_EQ(x.w, 0);
                }
                if (x.kind == ShapeKind::Umbrella)
                    EXPECT_TRUE(std::find(std::begin(parasols), std::end(parasols), x.color) !=
                                std::end(parasols));
                else
                    EXPECT_TRUE(contains(wd.shapePalette, x.color));
                const std::map<ShapeKind, std::pair<double, double>> radii = {
                    {ShapeKind::Marble, {24, 60}},     {ShapeKind::Shell, {20, 46}},
                    {ShapeKind::Starfish, {20, 46}},   {ShapeKind::Shovel, {26, 56}},
                    {ShapeKind::Sandcastle, {24, 56}}, {ShapeKind::Beachball, {18, 42}},
                    {ShapeKind::Umbrella, {26, 56}},   {ShapeKind::Sand, {3, 9}}};
                auto it = radii.find(x.kind);
                if (it != radii.end()) {
                    EXPECT_GE(x.r, it->second.first);
                    EXPECT_LE(x.r, it->second.second);
                }
            }
            if (world == 3)
                for (size_t i = 4; i < s.shapes.size(); ++i)
                    ++picked[s.shapes[i].kind];
        }
    }
    // World 3 lists shells twice, so they turn up about twice as often as starfish.
    EXPECT_GT(picked[ShapeKind::Shell], 1.5 * picked[ShapeKind::Starfish]);
    EXPECT_LT(picked[ShapeKind::Shell], 2.7 * picked[ShapeKind::Starfish]);
}

TEST(Background, AWorldWithoutUsableKindsIsStrewnWithDotsAndRings) {
    for (const std::vector<ShapeKind>& kinds :
         {std::vector<ShapeKind>{ShapeKind::Sun}, std::vector<ShapeKind>{}}) {
        theme::World sunOnly = theme::worlds()[0];
        sunOnly.shapes = kinds;
        int dots = 0, rings = 0;
        for (int seed = 0; seed < 20; ++seed) {
            const ui::Scene s = ui::generateScene(sunOnly, seed, 0, 1280, 720);
            ASSERT_EQ(s.shapes.size(), 12u);
            for (size_t i = 4; i < s.shapes.size(); ++i) {
                const ui::Shape& x = s.shapes[i];
                if (x.kind == ShapeKind::Dot) {
                    ++dots;
                    EXPECT_GE(x.r, 6);
                    EXPECT_LE(x.r, 20);
                } else {
                    ASSERT_EQ(x.kind, ShapeKind::Ring);
                    ++rings;
                    EXPECT_GE(x.r, 24);
                    EXPECT_LE(x.r, 60);
                    EXPECT_GE(x.w, 4);
                    EXPECT_LE(x.w, 10);
                }
            }
        }
        EXPECT_GT(dots, 40);
        EXPECT_GT(rings, 40);
    }
}

TEST(Background, TexturesAreKeyedBySeedTierStrengthAndDevicePixels) {
    {
        Canvas canvas(Options{1280, 720, 1.0, RendererKind::Software, false});
        ASSERT_TRUE(canvas.ok());
        int calls = 0;
        canvas.frame(1, [&](ui::Ctx& c) {
            ui::drawBackground(c, 2, -1, 0.36, true);
            calls = ui::gpuDrawCalls();
        });
        EXPECT_EQ(calls, 6) << "scene, three wave lines, two foam lines";
        EXPECT_TRUE(cachedAt("bg/2/-1/36/1280x720", 1280, 720));
        EXPECT_TRUE(cachedAt("bg.w/2560x11/30", 2560, 11));
        EXPECT_TRUE(cachedAt("bg.w/2560x14/38", 2560, 14));
        EXPECT_TRUE(cachedAt("bg.w/2560x17/45", 2560, 17));
        EXPECT_TRUE(cachedAt("bg.f/0/1320x24", 1320, 24));
        EXPECT_TRUE(cachedAt("bg.f/1/1320x16", 1320, 16));
        EXPECT_EQ(ui::gpuCacheSize(), 6);

        canvas.frame(2, [&](ui::Ctx& c) {
            ui::drawBackground(c, 2, 0, 0.32, false);
            ui::drawBackground(c, 2, -1, 0.36, false);
        });
        EXPECT_TRUE(cachedAt("bg/2/0/32/1280x720", 1280, 720));
        EXPECT_EQ(ui::gpuCacheSize(), 7) << "waves and foam are shared by every scene";
    }
    {
        Canvas canvas(Options{640, 360, 2.0, RendererKind::Software, false});
        ASSERT_TRUE(canvas.ok());
        canvas.frame(1, [](ui::Ctx& c) { ui::drawBackground(c, 7, 13, 0.6, true); });
        EXPECT_TRUE(cachedAt("bg/7/13/60/1280x720", 1280, 720));
        EXPECT_TRUE(cachedAt("bg.w/2560x22/30", 2560, 22));
        EXPECT_TRUE(cachedAt("bg.f/0/1360x48", 1360, 48));
    }
    {
        Canvas canvas(Options{3, 3, 1.0, RendererKind::Software, false});
        ASSERT_TRUE(canvas.ok());
        canvas.frame(1, [](ui::Ctx& c) { ui::drawBackground(c, 1, -1, 0.36, true); });
        EXPECT_TRUE(cachedAt("bg/1/-1/36/8x8", 8, 8));
        EXPECT_TRUE(cachedAt("bg.w/8x11/30", 8, 11));
        EXPECT_TRUE(cachedAt("bg.f/0/43x24", 43, 24));
    }
}

TEST(Background, TheStillSeaStandsStillAndTheMovingSeaMoves) {
    Canvas canvas(Options{320, 240, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    auto at = [&](double t, bool animated) {
        canvas.frame(t, [&](ui::Ctx& c) { ui::drawBackground(c, 5, 2, 0.32, animated); });
        return canvas.snapshot();
    };
    const harness::Image still1 = at(1.0, false), still2 = at(3.7, false);
    EXPECT_EQ(still1.px, still2.px);
    const harness::Image moving1 = at(1.0, true), moving2 = at(3.7, true);
    int changed = 0, changedInSky = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (moving1.at(x, y) != moving2.at(x, y)) {
                ++changed;
                if (y < 0.3 * 240 - 6) ++changedInSky;
            }
    EXPECT_GT(changed, 300);
    EXPECT_EQ(changedInSky, 0) << "only the sea and the shore move";
}

TEST(Background, SoftAndHardObjectsTakeTheirGroupStrength) {
    // One black dot (soft), two overlapping black dots (soft) and a black sandcastle (hard) on
    // the sand, compared with the empty beach.
    auto paint = [](double opacity, bool withShapes) {
        ui::Scene sc;
        sc.w = 300;
        sc.h = 300;
        if (withShapes) {
            ui::Shape dot;
            dot.kind = ShapeKind::Dot;
            dot.cx = 60;
            dot.cy = 200;
            dot.r = 12;
            sc.shapes.push_back(dot);
            dot.cx = 120;
            sc.shapes.push_back(dot);
            dot.cx = 126;
            sc.shapes.push_back(dot);
            ui::Shape castle;
            castle.kind = ShapeKind::Sandcastle;
            castle.cx = 220;
            castle.cy = 200;
            castle.r = 20;
            sc.shapes.push_back(castle);
        }
        ui::SceneArgs args{sc, theme::worlds()[0], opacity};
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 300, 300);
        cairo_t* cr = cairo_create(s);
        ui::paintScene(cr, &args);
        cairo_destroy(cr);
        cairo_surface_flush(s);
        std::vector<uint32_t> px(300 * 300);
        const unsigned char* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 300; ++x)
                px[y * 300 + x] = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
        cairo_surface_destroy(s);
        return px;
    };
    auto green = [](uint32_t p) { return static_cast<double>((p >> 8) & 0xFF); };
    const std::vector<uint32_t> empty = paint(0.36, false);
    const std::vector<uint32_t> weak = paint(0.36, true);
    const std::vector<uint32_t> strong = paint(0.6, true);
    const int single = 200 * 300 + 60, overlap = 200 * 300 + 123, castle = 200 * 300 + 220;
    EXPECT_NEAR(green(weak[single]), green(empty[single]) * (1 - 0.36), 1.5);
    EXPECT_NEAR(green(weak[overlap]), green(empty[overlap]) * (1 - 0.36), 1.5)
        << "overlapping soft objects do not add up";
    EXPECT_NEAR(green(weak[castle]), green(empty[castle]) * (1 - 0.684), 1.5);
    EXPECT_NEAR(green(strong[single]), green(empty[single]) * (1 - 0.6), 1.5);
    EXPECT_EQ(strong[castle] & 0xFFFFFF, 0u) << "1.9 x 0.6 is capped at full strength";
}

TEST(Background, TheTextureFreeVariantPaintsTheSamePicture) {
    Canvas canvas(Options{400, 300, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    canvas.frame(0, [](ui::Ctx& c) { ui::drawBackground(c, 4, 6, 0.36, false); });
    const harness::Image textured = canvas.snapshot();
    canvas.frame(0, [](ui::Ctx& c) { ui::drawBackgroundCairo(c.cr, c.w, c.h, 4, 6, 0.36); });
    const harness::Image direct = canvas.snapshot();
    int compared = 0;
    for (int y = 2; y < 300; y += 7) {
        // The wave lines and the foam sit differently in the two variants; compare the rest.
        if (y > 0.3 * 300 - 4 && y < 0.42 * 300 + 20) continue;
        for (int x = 3; x < 400; x += 11) {
            const uint32_t a = textured.at(x, y), b = direct.at(x, y);
            ASSERT_NEAR(harness::redOf(a), harness::redOf(b), 3) << x << "," << y;
            ASSERT_NEAR(harness::greenOf(a), harness::greenOf(b), 3) << x << "," << y;
            ASSERT_NEAR(harness::blueOf(a), harness::blueOf(b), 3) << x << "," << y;
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000);
}

// The sun's glitter on the sea fades out sideways: across either side of its band the sea
// changes by no visible step, in every world.
TEST(Background, TheSunsGlitterEndsWithoutAHardEdge) {
    const int W = 1280, H = 720;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, W, H);
    cairo_t* cr = cairo_create(s);
    for (int tier = 0; tier < 20; tier += 4) {
        ui::drawBackgroundCairo(cr, W, H, 99, tier, 0.36);
        cairo_surface_flush(s);
        const ui::Scene& sc = ui::buildScene(99, tier, W, H);
        const auto* px = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s));
        const int stride = cairo_image_surface_get_stride(s) / 4;
        const double left = sc.sunCx - 1.1 * sc.sunR, right = sc.sunCx + 1.1 * sc.sunR;
        // The smallest step over all rows of the upper sea, where the glitter is strongest;
        // a glint or a wave line crossing a row can only make that row's step larger.
        int step = 1 << 30;
        for (int y = int(0.3 * H) + 2; y < int(0.34 * H); ++y) {
            const uint32_t* row = px + y * stride;
            for (auto [in, out] : {std::pair{int(std::ceil(left)) + 1, int(left) - 2},
                                   std::pair{int(right) - 1, int(std::ceil(right)) + 2}})
                step = std::min(
                    step, std::abs(harness::brightness(row[in]) - harness::brightness(row[out])));
        }
        EXPECT_LE(step, 4) << "tier " << tier;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(s);
}
