// Celebration effects: the burst's slots, the capped time step, rebuilding on resize, the fixed
// hash behind every particle, the fireworks' cycle and the fountain's flights.
#include <gtest/gtest.h>

#include <cmath>

#include "core/numbers.h"
#include "harness.h"
#include "ui/effects.h"
#include "ui/gpu.h"

using harness::Canvas;
using harness::Options;
using harness::RendererKind;

namespace {

ui::Ctx ctxOf(double w, double h, double t, double dt) {
    ui::Ctx c;
    c.w = w;
    c.h = h;
    c.t = t;
    c.dt = dt;
    return c;
}

bool cachedAt(const std::string& key, int w, int h) {
    int cw = 0, ch = 0;
    return ui::gpuCached(key, &cw, &ch) && cw == w && ch == h;
}

// Blits of one burst frame, and whether the two dot textures got the expected keys.
int burstCalls(double w, double h, double scale, const char* discKey, int discPx,
               const char* highlightKey, int highlightPx) {
    Canvas canvas(
        Options{static_cast<int>(w), static_cast<int>(h), scale, RendererKind::Software, false});
    if (!canvas.ok()) return -1;
    int calls = -1;
    canvas.frame(1.0, [&](ui::Ctx& c) {
        ui::drawMarbleBurst(c);
        calls = ui::gpuDrawCalls();
    });
    EXPECT_TRUE(cachedAt(discKey, discPx, discPx));
    EXPECT_TRUE(cachedAt(highlightKey, highlightPx, highlightPx));
    EXPECT_EQ(ui::gpuCacheSize(), 2);
    return calls;
}

}  // namespace

TEST(Effects, BurstArmsHoldOneDotMoreThanTheRoundedUpSlotCount) {
    EXPECT_EQ(ui::burstArmLength(720, 480), 9) << "480 x 0.56 / 30 = 8.96 rounds up";
    EXPECT_EQ(ui::burstArmLength(1280, 720), 14);
    EXPECT_EQ(ui::burstArmLength(100, 50), 1);

    // Four arms of N + 1 dots, each a disc and a highlight (4.48 x 2 = 8.96 rounds to 9).
    EXPECT_EQ(burstCalls(720, 480, 1, "fx.dot/28", 28, "fx.dot/9", 9), 4 * 10 * 2);
    EXPECT_EQ(burstCalls(1280, 720, 1, "fx.dot/28", 28, "fx.dot/9", 9), 4 * 15 * 2);
    EXPECT_EQ(burstCalls(100, 50, 2, "fx.dot/56", 56, "fx.dot/18", 18), 4 * 2 * 2);
}

// The burst turns round a rectangle it is asked to keep clear (the solved screen's result lines
// in the middle of the window): no dot reaches into it at any moment, while the spiral goes on
// around it; without the rectangle the dots pass right over that place.
TEST(Effects, TheBurstNeverCoversTheRectangleItKeepsClear) {
    Canvas canvas(Options{800, 480, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    const ui::Rect lines{290, 130, 220, 110};
    auto count = [&](double t, const ui::Rect& keepClear, bool inside) {
        canvas.frame(t, [&](ui::Ctx& c) { ui::drawMarbleBurst(c, keepClear); });
        const harness::Image img = canvas.snapshot();
        int n = 0;
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x)
                if ((img.at(x, y) & 0xFFFFFF) != 0 && lines.contains(x, y) == inside) ++n;
        return n;
    };
    int overLinesWithout = 0;
    for (double t = 1; t < 4; t += 0.35) {
        EXPECT_EQ(count(t, lines, true), 0) << "t " << t;
        EXPECT_GT(count(t, lines, false), 2000) << "t " << t;
        overLinesWithout += count(t, {}, true);
    }
    EXPECT_GT(overLinesWithout, 1000);
}

TEST(Effects, ALongFrameAdvancesEveryEffectByAtMostSixHundredths) {
    ui::effectsShutdown();
    ui::Ctx c = ctxOf(640, 480, 0, 0);
    ui::drawCherryBlossoms(c);
    ui::drawFireworks(c);
    ui::drawMarbleFountain(c);
    const ui::Blossoms before = ui::blossomsState();
    const ui::Fountain fountainBefore = ui::fountainState();
    EXPECT_DOUBLE_EQ(before.clock, 0);

    c = ctxOf(640, 480, 1, 1);
    ui::drawCherryBlossoms(c);
    ui::drawFireworks(c);
    ui::drawMarbleFountain(c);
    const ui::Blossoms& after = ui::blossomsState();
    EXPECT_DOUBLE_EQ(after.clock, 0.06);
    EXPECT_DOUBLE_EQ(ui::fireworksState().clock, 0.06);
    for (size_t i = 0; i < after.petals.size(); ++i) {
        const ui::Petal& p0 = before.petals[i];
        const ui::Petal& p1 = after.petals[i];
        if (p1.y == -30) continue;  // wrapped to the top
        EXPECT_NEAR(p1.y - p0.y, p0.fallSpeed * 0.06, 1e-9) << "petal " << i;
        EXPECT_NEAR(p1.rot - p0.rot, p0.spinSpeed * 0.06, 1e-9) << "petal " << i;
    }
    for (size_t i = 0; i < 24; ++i) {
        const ui::FountainBall& b0 = fountainBefore.balls[i];
        const ui::FountainBall& b1 = ui::fountainState().balls[i];
        if (b0.delay > 0.06)
            EXPECT_NEAR(b1.delay, b0.delay - 0.06, 1e-9) << "ball " << i;
        else
            EXPECT_TRUE(b1.alive) << "ball " << i << " was due within the step";
    }
}

TEST(Effects, AResizeRebuildsTheParticlesAndRestartsTheClock) {
    ui::effectsShutdown();
    for (int f = 0; f <= 90; ++f) {
        ui::Ctx c = ctxOf(640, 480, f / 60.0, f == 0 ? 0 : 1 / 60.0);
        ui::drawCherryBlossoms(c);
        ui::drawFireworks(c);
        ui::drawMarbleFountain(c);
    }
    const double firstBase = ui::blossomsState().petals[0].baseX;
    EXPECT_NEAR(ui::blossomsState().clock, 1.5, 1e-9);
    EXPECT_TRUE(ui::fountainState().balls[0].alive);

    ui::Ctx c = ctxOf(800, 600, 1.6, 0);
    ui::drawCherryBlossoms(c);
    ui::drawFireworks(c);
    ui::drawMarbleFountain(c);
    const ui::Blossoms& b = ui::blossomsState();
    EXPECT_EQ(b.w, 800);
    EXPECT_EQ(b.h, 600);
    EXPECT_DOUBLE_EQ(b.clock, 0);
    EXPECT_DOUBLE_EQ(ui::fireworksState().clock, 0);
    // The same hash values, spread over the new size.
    EXPECT_NEAR(b.petals[0].baseX / 800, firstBase / 640, 1e-12);
    EXPECT_NEAR(ui::fireworksState().rockets[2].explodeY / 600,
                (0.16 + 0.32 * mix(0x6D2CDA57u + 2 * 0x0AFB63FBu + 2 * 0x6D2B79F5u)), 1e-12);
    EXPECT_FALSE(ui::fountainState().balls[0].alive) << "every ball waits for its launch again";
    EXPECT_EQ(ui::fountainState().balls[0].cy, 650);
}

TEST(Effects, ParticlesComeFromTheFixedHash) {
    ui::effectsShutdown();
    ui::Ctx c = ctxOf(1000, 500, 0, 0);
    ui::drawCherryBlossoms(c);
    ui::drawFireworks(c);
    ui::drawMarbleFountain(c);

    const ui::Blossoms& b = ui::blossomsState();
    ASSERT_EQ(b.petals.size(), 26u);
    EXPECT_EQ(b.petals[0].color, 0xFFD6E8u);
    EXPECT_NEAR(b.petals[0].size, 9.01913532987237, 1e-9);
    EXPECT_NEAR(b.petals[0].baseX, 654.0627509821206, 1e-9);
    EXPECT_NEAR(b.petals[25].size, 14.705247783800587, 1e-9);

    const ui::Fireworks& f = ui::fireworksState();
    EXPECT_NEAR(f.rockets[0].cycleTime, 3.1944219229742883, 1e-9);
    EXPECT_NEAR(f.rockets[3].phaseOffset, 2.107535841898061, 1e-9);
    for (const ui::Rocket& r : f.rockets) {
        EXPECT_GE(r.cycleTime, 2.8);
        EXPECT_LT(r.cycleTime, 4.2);
        for (int j = 0; j < 14; ++j) {
            // Evenly spread around the circle, jittered by at most 0.15 rad.
            EXPECT_NEAR(r.sparks[j].angle, 2 * M_PI * j / 14, 0.15 + 1e-12);
            EXPECT_GE(r.sparks[j].speed, 150);
            EXPECT_LT(r.sparks[j].speed, 280);
        }
    }

    const ui::Fountain& fo = ui::fountainState();
    ASSERT_EQ(fo.balls.size(), 24u);
    EXPECT_EQ(fo.balls[0].colorId, 8);
    EXPECT_NEAR(fo.balls[0].delay, 0.03881206493824721, 1e-12);
    EXPECT_NEAR(fo.balls[0].r, 21.40993071300909, 1e-9);
    EXPECT_NEAR(fo.balls[23].delay, 5.062195309009403, 1e-9);
    EXPECT_EQ(fo.balls[23].colorId, 7);
}

TEST(Effects, HslCoversTheSixSectorsAndWrapsTheHue) {
    EXPECT_EQ(ui::effectHsl(0, 1, 0.5), 0xFF0000u);
    EXPECT_EQ(ui::effectHsl(60, 1, 0.5), 0xFFFF00u);
    EXPECT_EQ(ui::effectHsl(120, 1, 0.5), 0x00FF00u);
    EXPECT_EQ(ui::effectHsl(180, 1, 0.5), 0x00FFFFu);
    EXPECT_EQ(ui::effectHsl(240, 1, 0.5), 0x0000FFu);
    EXPECT_EQ(ui::effectHsl(300, 1, 0.5), 0xFF00FFu);
    EXPECT_EQ(ui::effectHsl(-120, 1, 0.5), 0x0000FFu);
    EXPECT_EQ(ui::effectHsl(480 + 360, 1, 0.5), 0x00FF00u);
    EXPECT_EQ(ui::effectHsl(200, 0, 0.5), 0x808080u) << "127.5 rounds up";
    EXPECT_EQ(ui::effectHsl(10, 0.9, 1), 0xFFFFFFu);
    EXPECT_EQ(ui::effectHsl(10, 0.9, 0), 0x000000u);
    EXPECT_EQ(ui::effectHsl(30, 1, 0.5), 0xFF8000u);
}

TEST(Effects, RocketsRiseForAMomentBurstForLongerAndThenRest) {
    ui::effectsShutdown();
    Canvas canvas(Options{640, 480, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    double idleSeen[5] = {0, 0, 0, 0, 0};
    for (int f = 0; f < 60 * 9; ++f) {
        canvas.frame(f / 60.0, [&](ui::Ctx& c) {
            ui::drawFireworks(c);
            const ui::Fireworks& fw = ui::fireworksState();
            int expected = 0;
            for (int i = 0; i < 5; ++i) {
                const ui::Rocket& r = fw.rockets[i];
                const double u = std::fmod(fw.clock + r.phaseOffset, r.cycleTime);
                if (u <= 0.9)
                    expected += 1;  // the rocket itself
                else if (u <= 2.3)
                    expected += 14;  // its sparks
                else
                    idleSeen[i] += 1 / 60.0;
            }
            EXPECT_EQ(ui::gpuDrawCalls(), expected) << "frame " << f;
        });
    }
    // Over nine seconds each rocket rests at least twice for cycleTime - 2.3 seconds.
    for (int i = 0; i < 5; ++i) {
        const double rest = ui::fireworksState().rockets[i].cycleTime - 2.3;
        EXPECT_GT(idleSeen[i], 1.5 * rest) << "rocket " << i;
        EXPECT_LT(idleSeen[i], 3.5 * rest) << "rocket " << i;
    }
    EXPECT_TRUE(cachedAt("fx.dot/8", 8, 8));
    EXPECT_TRUE(cachedAt("fx.dot/7", 7, 7)) << "sparks: 7.2 rounds to 7";
}

TEST(Effects, FountainBallsLaunchInTurnRiseHighAndFallBackBelowTheEdge) {
    ui::effectsShutdown();
    Canvas canvas(Options{640, 480, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    double firstLaunch[24];
    double highest[24];
    bool relaunched[24] = {};
    bool wasAlive[24] = {};
    for (int i = 0; i < 24; ++i)
        firstLaunch[i] = -1, highest[i] = 1e9;
    const double delays0 = 0.03881206493824721;
    for (int f = 0; f < 60 * 12; ++f) {
        const double t = f / 60.0;
        canvas.frame(t, [&](ui::Ctx& c) {
            ui::drawMarbleFountain(c);
            const ui::Fountain& fo = ui::fountainState();
            int drawn = 0;
            for (int i = 0; i < 24; ++i) {
                const ui::FountainBall& b = fo.balls[i];
                if (b.alive && firstLaunch[i] < 0) firstLaunch[i] = t;
                if (b.alive && !wasAlive[i] && firstLaunch[i] >= 0 && firstLaunch[i] < t)
                    relaunched[i] = true;
                // A ball is drawn from the frame after its launch on.
                if (b.alive && wasAlive[i]) ++drawn;
                if (b.alive) highest[i] = std::min(highest[i], b.cy);
                wasAlive[i] = b.alive;
            }
            EXPECT_EQ(ui::gpuDrawCalls(), drawn) << "frame " << f;
        });
    }
    EXPECT_NEAR(firstLaunch[0], delays0, 1 / 60.0 + 1e-9);
    for (int i = 1; i < 24; ++i) {
        EXPECT_GT(firstLaunch[i], firstLaunch[i - 1]) << "staggered starts, ball " << i;
        EXPECT_TRUE(relaunched[i] || firstLaunch[i] > 8) << "ball " << i << " came back";
        // Launched at 900 to 1300 px/s against 900 px/s^2: 450 to 940 px above the edge.
        const double rise = 480 - highest[i];
        EXPECT_GT(rise, 400) << "ball " << i;
        EXPECT_LT(rise, 960) << "ball " << i;
    }
    EXPECT_TRUE(cachedAt("fx.ball/ff5c8a/43", 43, 43)) << "ball 0: colour 8, r 21.41";
}

TEST(Effects, EveryRunShowsTheSameFrames) {
    auto run = [] {
        ui::effectsShutdown();
        Canvas canvas(Options{320, 240, 1.0, RendererKind::Software, false});
        harness::Image img;
        if (!canvas.ok()) return img;
        for (int f = 0; f <= 100; ++f)
            canvas.frame(f / 60.0, [](ui::Ctx& c) {
                ui::drawCherryBlossoms(c);
                ui::drawFireworks(c);
                ui::drawMarbleBurst(c);
                ui::drawMarbleFountain(c);
            });
        return canvas.snapshot();
    };
    const harness::Image a = run();
    const harness::Image b = run();
    ASSERT_GT(a.w, 0);
    EXPECT_EQ(a.px, b.px);
    int lit = 0;
    for (uint32_t p : a.px)
        lit += harness::brightness(p) > 0;
    EXPECT_GT(lit, 1000) << "the frame shows particles";
}
