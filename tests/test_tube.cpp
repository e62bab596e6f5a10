// Tubes: geometry, cache keys, fluid thresholds, fluid colours and probes of the glass picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "harness.h"
#include "ui/gpu.h"
#include "ui/tube.h"

using harness::Canvas;
using harness::Options;
using harness::RendererKind;

namespace {

constexpr uint32_t kTint = 0xC2E6F0;
const ui::Rect kTube{100, 40, 50, 200};

bool cachedAt(const std::string& key, int w, int h) {
    int cw = 0, ch = 0;
    return ui::gpuCached(key, &cw, &ch) && cw == w && ch == h;
}

int channelDistance(uint32_t a, uint32_t b) {
    return std::max({std::abs(harness::redOf(a) - harness::redOf(b)),
                     std::abs(harness::greenOf(a) - harness::greenOf(b)),
                     std::abs(harness::blueOf(a) - harness::blueOf(b))});
}

}  // namespace

TEST(Tube, GeometryGrowsWithTheWidthAboveItsMinimums) {
    ui::TubeGeometry g = ui::tubeGeometry(50);
    EXPECT_DOUBLE_EQ(g.pad, 10);
    EXPECT_DOUBLE_EQ(g.r, 25);
    EXPECT_DOUBLE_EQ(g.lipOut, 4);
    EXPECT_DOUBLE_EQ(g.lipDrop, 5);
    EXPECT_DOUBLE_EQ(g.openingRy, 3.5);
    g = ui::tubeGeometry(30);
    EXPECT_DOUBLE_EQ(g.pad, 10);
    EXPECT_DOUBLE_EQ(g.lipOut, 3);
    EXPECT_DOUBLE_EQ(g.lipDrop, 4);
    EXPECT_DOUBLE_EQ(g.openingRy, 3);
    EXPECT_DOUBLE_EQ(ui::tubeGeometry(80).pad, 16);
}

TEST(Tube, CacheKeysNameTintStateAndDevicePixelSize) {
    Canvas canvas(Options{300, 300, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    ui::gpuBeginFrame();
    ui::blitTube(kTube, ui::TubeStyle{kTint, false, false});
    ui::blitTube(kTube, ui::TubeStyle{kTint, true, false});
    ui::blitTube(kTube, ui::TubeStyle{kTint, false, true});
    ui::blitTube(kTube, ui::TubeStyle{kTint, true, true});
    ui::blitTubeGlow(kTube, 0.7);
    EXPECT_TRUE(cachedAt("t.g/c2e6f0/--/70x220", 70, 220));
    EXPECT_TRUE(cachedAt("t.g/c2e6f0/s-/70x220", 70, 220));
    EXPECT_TRUE(cachedAt("t.g/c2e6f0/-f/70x220", 70, 220));
    EXPECT_TRUE(cachedAt("t.g/c2e6f0/sf/70x220", 70, 220));
    EXPECT_TRUE(cachedAt("t.glow/70x220", 70, 220));
    // The ground shadow: 0.85 of the width to either side, 0.22 of that high, a unit spare.
    EXPECT_TRUE(cachedAt("t.s/87x21", 87, 21));

    // Wave: amplitude 2.75 and line 1.5 make it 8.5 high; bubbles 8, 5, 10 and 6 wide.
    ui::blitTubeFluid(kTube, 0x5CF2C8, 0.6, 0, 0);
    EXPECT_TRUE(cachedAt("t.f/5cf2c8/50x200", 50, 200));
    EXPECT_TRUE(cachedAt("t.w/5cf2c8/100x9", 100, 9));
    for (int w : {8, 5, 10, 6})
        EXPECT_TRUE(cachedAt("t.b/" + std::to_string(w), w, w)) << w;
    EXPECT_EQ(ui::gpuCacheSize(), 12);

    ui::gpuSetScale(2);
    ui::blitTube(ui::Rect{0, 0, 30, 100}, ui::TubeStyle{0x0000FF, true, false});
    EXPECT_TRUE(cachedAt("t.g/0000ff/s-/100x240", 100, 240));
    EXPECT_TRUE(cachedAt("t.s/106x26", 106, 26));
    ui::gpuSetScale(1);
}

TEST(Tube, FluidDrawsNothingAtAThousandthBubblesFromTwelvePercentAndClampsAtFull) {
    Canvas canvas(Options{260, 280, 1.0, RendererKind::Accelerated, false});
    ASSERT_TRUE(canvas.ok());
    auto callsFor = [&](double fill) {
        int calls = -1;
        canvas.frame(0, [&](ui::Ctx&) {
            ui::blitTubeFluid(kTube, 0xFF7AD6, fill, 0.5, 1);
            calls = ui::gpuDrawCalls();
        });
        return calls;
    };
    EXPECT_EQ(callsFor(-0.5), 0);
    EXPECT_EQ(callsFor(0.001), 0);
    EXPECT_EQ(callsFor(0.1), 2) << "body and wave, no bubbles";
    EXPECT_EQ(callsFor(0.119), 2);
    EXPECT_EQ(callsFor(0.12), 6);
    EXPECT_EQ(callsFor(1), 6);
    harness::Image full = canvas.snapshot();
    EXPECT_EQ(callsFor(2), 6);
    harness::Image over = canvas.snapshot();
    EXPECT_EQ(full.px, over.px) << "fill 2 draws the full tube";

    ui::gpuBeginFrame();
    ui::blitTubeFluid(ui::Rect{0, 0, 2, 100}, 0xFF7AD6, 1, 0, 0);
    ui::blitTube(ui::Rect{0, 0, 2, 100}, ui::TubeStyle{});
    ui::blitTube(ui::Rect{0, 0, 20, 2}, ui::TubeStyle{});
    ui::blitTubeGlow(kTube, 0.001);
    EXPECT_EQ(ui::gpuDrawCalls(), 0) << "too narrow, too low, too faint";
}

TEST(Tube, FluidColourIsAPureFunctionOfLevelSeedAndTube) {
    EXPECT_EQ(ui::fluidColorFor(0, 0, 0), 0x5CF2C8u);
    EXPECT_EQ(ui::fluidColorFor(7, 12345, 3), 0x5CD6FFu);
    EXPECT_EQ(ui::fluidColorFor(104, 4000000000u, 16), 0xC8FF5Cu);
    EXPECT_EQ(ui::fluidColorFor(-1, 0, 0), 0x5CD6FFu);
    std::set<uint32_t> seen;
    for (int tube = 0; tube < 40; ++tube) {
        uint32_t c = ui::fluidColorFor(12, 99, tube);
        EXPECT_EQ(c, ui::fluidColorFor(12, 99, tube));
        seen.insert(c);
    }
    EXPECT_GE(seen.size(), 5u) << "neighbouring tubes get different colours";
    for (uint32_t c : seen)
        EXPECT_TRUE(c == 0x5CF2C8 || c == 0x5CD6FF || c == 0xFF7AD6 || c == 0xC8FF5C ||
                    c == 0xFFB45C || c == 0xB07AFF || c == 0xFF6B8A)
            << std::hex << c;
}

TEST(Tube, GlassIsTranslucentAndTheRimShowsTheState) {
    for (RendererKind kind : {RendererKind::Software, RendererKind::Accelerated}) {
        Canvas canvas(Options{560, 280, 1.0, kind, false});
        ASSERT_TRUE(canvas.ok());
        SCOPED_TRACE(canvas.rendererName());
        const uint32_t ground = 0x804020;
        canvas.frame(
            0,
            [&](ui::Ctx&) {
                ui::blitTube(ui::Rect{40, 40, 50, 200}, ui::TubeStyle{kTint, false, false});
                ui::blitTube(ui::Rect{160, 40, 50, 200}, ui::TubeStyle{kTint, false, true});
                ui::blitTube(ui::Rect{280, 40, 50, 200}, ui::TubeStyle{kTint, true, true});
                ui::blitTube(ui::Rect{400, 40, 50, 200}, ui::TubeStyle{kTint, true, false});
            },
            ground);
        harness::Image img = canvas.snapshot();
        const int midY = 140;

        // The middle of the glass lets the ground through, lightly tinted.
        uint32_t inside = img.at(65, midY);
        EXPECT_NE(inside & 0xFFFFFF, ground);
        EXPECT_LE(channelDistance(inside, ground), 0.4 * channelDistance(kTint, ground) + 3);

        auto isRed = [](uint32_t p) {
            return harness::redOf(p) > 230 && harness::greenOf(p) < 100 && harness::blueOf(p) < 100;
        };
        auto isCoral = [](uint32_t p) {
            return harness::redOf(p) > 220 && harness::greenOf(p) > 80 && harness::greenOf(p) < 120;
        };
        EXPECT_TRUE(isRed(img.at(159, midY))) << "flashing rim";
        EXPECT_TRUE(isRed(img.at(279, midY))) << "flashing wins over selected";
        EXPECT_TRUE(isCoral(img.at(399, midY))) << "selected rim";
        uint32_t plainRim = img.at(39, midY);
        EXPECT_FALSE(isRed(plainRim) || isCoral(plainRim));

        // The selection halo reaches past the rim; without selection there is only ground.
        EXPECT_EQ(img.at(155, midY) & 0xFFFFFF, ground);
        EXPECT_GT(channelDistance(img.at(275, midY), ground), 20);
        EXPECT_GT(channelDistance(img.at(395, midY), ground), 20);
    }
}

TEST(Tube, FluidFillsFromTheBottomUpToItsSurface) {
    Canvas canvas(Options{260, 280, 1.0, RendererKind::Accelerated, false});
    ASSERT_TRUE(canvas.ok());
    const uint32_t ground = 0x000000;
    canvas.frame(
        0, [&](ui::Ctx&) { ui::blitTubeFluid(kTube, 0x5CD6FF, 0.5, 0, 0); }, ground);
    harness::Image img = canvas.snapshot();
    // Surface at 215 - 0.5 * (215 - 50) = 132.5; the wave spans about 4 px either side.
    uint32_t below = img.at(104, 180);
    EXPECT_GT(harness::blueOf(below), 80);
    EXPECT_LT(harness::redOf(below), harness::blueOf(below));
    EXPECT_EQ(img.at(104, 110) & 0xFFFFFF, ground);
    EXPECT_EQ(img.at(104, 120) & 0xFFFFFF, ground);
    EXPECT_NE(img.at(104, 140) & 0xFFFFFF, ground);
    // The round bottom: the corner of the rectangle stays empty, the bottom middle is filled.
    EXPECT_EQ(img.at(101, 238) & 0xFFFFFF, ground);
    EXPECT_NE(img.at(125, 236) & 0xFFFFFF, ground);
}

// Where neighbouring tubes' ground shadows meet they blend, and every shadow fades out to its
// rim: along two rows through the shadows no pixel differs from the next by more than a
// gradient's step, and down from the middle of a shadow it lightens evenly, without a jump
// where a cut picture would end; with either renderer.
TEST(Tube, GroundShadowsFadeWithoutSeams) {
    for (RendererKind kind : {RendererKind::Software, RendererKind::Accelerated}) {
        Canvas canvas(Options{420, 320, 1.0, kind, false});
        ASSERT_TRUE(canvas.ok());
        SCOPED_TRACE(canvas.rendererName());
        // Three tubes as a board sets them, 8 apart, on a white ground.
        const double w = 60, y = 40, h = 200;
        canvas.frame(
            0,
            [&](ui::Ctx&) {
                for (int i = 0; i < 3; ++i)
                    ui::blitTube(ui::Rect{100 + i * (w + 8), y, w, h}, ui::TubeStyle{});
            },
            0xFFFFFF);
        const harness::Image img = canvas.snapshot();
        auto grey = [&](int x, int yy) {
            const uint32_t p = img.at(x, yy);
            return harness::redOf(p) + harness::greenOf(p) + harness::blueOf(p);
        };
        const int bottom = static_cast<int>(y + h), middle = 100 + 68 + 30;
        EXPECT_LT(grey(middle, bottom + 4), 3 * 255 - 60) << "the shadow darkens the ground";
        for (int row : {bottom + 4, bottom + 7}) {
            int worst = 0;
            for (int x = 20; x < 400; ++x)
                worst = std::max(worst, std::abs(grey(x + 1, row) - grey(x, row)));
            EXPECT_LE(worst, 9) << "row " << row;
        }
        int jump = 0;
        for (int yy = bottom + 3; yy < bottom + 20; ++yy) {
            const int step = grey(middle, yy + 1) - grey(middle, yy);
            const int next = grey(middle, yy + 2) - grey(middle, yy + 1);
            jump = std::max(jump, next - step);
        }
        EXPECT_LE(jump, 8) << "under a tube";
    }
}
