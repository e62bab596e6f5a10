// Screen wallpaper and page arithmetic: the per-screen beach, its extras, and ten items a page.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/levels.h"
#include "harness.h"
#include "screens/common.h"
#include "ui/background.h"
#include "ui/effects.h"
#include "ui/gpu.h"
#include "ui/life.h"

using harness::Canvas;
using harness::Options;
using harness::RendererKind;
using ui::ScreenKind;

namespace {

ui::GameState stateOf(ScreenKind kind, int level = 0) {
    ui::GameState s;
    s.kind = kind;
    s.level = level;
    return s;
}

bool samePaper(const screens::Wallpaper& a, const screens::Wallpaper& b) {
    return a.seed == b.seed && a.tier == b.tier && a.opacity == b.opacity &&
           a.animated == b.animated && a.fountain == b.fountain && a.burst == b.burst;
}

}  // namespace

TEST(Pages, TenItemsMakeAPageAndThereIsAlwaysOne) {
    for (int n : {-3, 0, 1, 10})
        EXPECT_EQ(screens::pageCountFor(n), 1) << n;
    EXPECT_EQ(screens::pageCountFor(11), 2);
    EXPECT_EQ(screens::pageCountFor(20), 2);
    EXPECT_EQ(screens::pageCountFor(21), 3);
    EXPECT_EQ(screens::pageCountFor(105), 11);

    for (int i : {-5, 0, 9})
        EXPECT_EQ(screens::pageForLevel(i), 0) << i;
    EXPECT_EQ(screens::pageForLevel(10), 1);
    EXPECT_EQ(screens::pageForLevel(29), 2);
    EXPECT_EQ(screens::pageForLevel(104), 10);
}

TEST(Wallpaper, EachScreenKindStandsOnItsOwnBeach) {
    const screens::Wallpaper playing0 = screens::wallpaperFor(stateOf(ScreenKind::Playing, 0));
    EXPECT_EQ(playing0.seed, 3);
    EXPECT_EQ(playing0.tier, 0);
    EXPECT_DOUBLE_EQ(playing0.opacity, 0.32);
    EXPECT_FALSE(playing0.animated) << "a still sea while playing";
    EXPECT_FALSE(playing0.fountain || playing0.burst);

    const screens::Wallpaper solved0 = screens::wallpaperFor(stateOf(ScreenKind::Solved, 0));
    EXPECT_EQ(solved0.seed, 99);
    EXPECT_EQ(solved0.tier, 0);
    EXPECT_DOUBLE_EQ(solved0.opacity, 0.36);
    EXPECT_TRUE(solved0.animated);
    EXPECT_TRUE(solved0.burst);
    EXPECT_FALSE(solved0.fountain);

    // A later level takes its own tier's world; the attract demo looks like playing.
    const int late = mar::totalLevels() - 1;
    const screens::Wallpaper playingLate =
        screens::wallpaperFor(stateOf(ScreenKind::Playing, late));
    EXPECT_EQ(playingLate.seed, late + 3);
    EXPECT_EQ(playingLate.tier, mar::levelInfo(late).tier);
    EXPECT_GT(playingLate.tier, 0);
    EXPECT_TRUE(samePaper(screens::wallpaperFor(stateOf(ScreenKind::Attract, late)), playingLate));
    EXPECT_EQ(screens::wallpaperFor(stateOf(ScreenKind::Solved, 40)).tier, mar::levelInfo(40).tier);

    const screens::Wallpaper splash = screens::wallpaperFor(stateOf(ScreenKind::Splash));
    const screens::Wallpaper menu = screens::wallpaperFor(stateOf(ScreenKind::Menu));
    EXPECT_EQ(splash.seed, 1);
    EXPECT_EQ(menu.seed, 2);
    for (const screens::Wallpaper& w : {splash, menu}) {
        EXPECT_EQ(w.tier, -1);
        EXPECT_DOUBLE_EQ(w.opacity, 0.36);
        EXPECT_TRUE(w.animated);
        EXPECT_TRUE(w.fountain);
        EXPECT_FALSE(w.burst);
    }

    // Every other screen shares one beach, whatever level its record carries.
    const screens::Wallpaper shared = screens::wallpaperFor(stateOf(ScreenKind::LevelSelect));
    EXPECT_EQ(shared.seed, 7);
    EXPECT_EQ(shared.tier, -1);
    EXPECT_TRUE(shared.animated);
    EXPECT_FALSE(shared.fountain || shared.burst);
    for (ScreenKind k : {ScreenKind::Ending, ScreenKind::Gallery, ScreenKind::Settings,
                         ScreenKind::About, ScreenKind::Licenses})
        EXPECT_TRUE(samePaper(screens::wallpaperFor(stateOf(k, 57)), shared))
            << static_cast<int>(k);
}

TEST(Wallpaper, DrawsTheBackgroundThenLifeThenTheScreensEffect) {
    unsetenv("VANTREL_LIFE");
    ui::lifeShutdown();
    ui::effectsShutdown();
    Canvas canvas(Options{640, 480, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    auto callsFor = [&](const ui::GameState& s, double t) {
        int calls = 0;
        canvas.frame(t, [&](ui::Ctx& c) {
            screens::drawWallpaperFor(c, s);
            calls = ui::gpuDrawCalls();
        });
        return calls;
    };
    // Within the first seconds no critter passes, so the counts are the background's six blits
    // plus the effect's.
    EXPECT_EQ(callsFor(stateOf(ScreenKind::Playing, 0), 0.5), 6);
    EXPECT_TRUE(ui::gpuCached("bg/3/0/32/640x480", nullptr, nullptr));
    EXPECT_EQ(callsFor(stateOf(ScreenKind::Solved, 0), 0.6), 6 + 4 * 10 * 2);
    EXPECT_TRUE(ui::gpuCached("bg/99/0/36/640x480", nullptr, nullptr));
    EXPECT_EQ(callsFor(stateOf(ScreenKind::Gallery), 0.7), 6);
    EXPECT_TRUE(ui::gpuCached("bg/7/-1/36/640x480", nullptr, nullptr));

    // The menu's fountain: launched balls show from their second frame on.
    int extra = 0;
    for (int f = 0; f < 40; ++f)
        extra = callsFor(stateOf(ScreenKind::Menu), 1 + f / 60.0) - 6;
    EXPECT_GT(extra, 0);
    EXPECT_TRUE(ui::gpuCached("bg/2/-1/36/640x480", nullptr, nullptr));

    // The record handed to the screen decides.
    const ui::GameState splash = stateOf(ScreenKind::Splash);
    canvas.frame(2, [&](ui::Ctx& c) {
        c.self = &splash;
        screens::drawWallpaper(c);
    });
    EXPECT_TRUE(ui::gpuCached("bg/1/-1/36/640x480", nullptr, nullptr));
}
