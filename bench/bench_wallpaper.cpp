// Frame cost of the menu's wallpaper (background, waves, foam, fountain, one critter) at
// 1920 x 1080 against an empty frame.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench_support.h"
#include "harness.h"
#include "screens/common.h"
#include "ui/effects.h"
#include "ui/gpu.h"
#include "ui/life.h"

namespace {

using namespace benchsupport;

constexpr int kW = 1920, kH = 1080;

void drawMenuWallpaper(ui::Ctx& c) {
    ui::GameState menu;
    menu.kind = ui::ScreenKind::Menu;
    screens::drawWallpaperFor(c, menu);
}

FrameCost measure(harness::Canvas& canvas, int frames, bool wallpaper, double* t) {
    return averageFrameCost(canvas, *t, frames, [&](ui::Ctx& c, double) {
        if (wallpaper) drawMenuWallpaper(c);
    });
}

void run(const char* label, harness::RendererKind kind, int frames) {
    harness::Canvas canvas(harness::Options{kW, kH, 1.0, kind, false});
    if (!canvas.ok()) {
        std::printf("%-12s unavailable: %s\n", label, SDL_GetError());
        return;
    }
    ui::effectsShutdown();
    ui::lifeShutdown();
    double t = 0;
    // The first frame paints the scene, wave, foam, ball and critter textures.
    const double p0 = wallSeconds();
    measure(canvas, 1, true, &t);
    const double firstMs = (wallSeconds() - p0) * 1000;
    measure(canvas, 30, true, &t);  // the fountain is in full flow after half a second

    const FrameCost empty = measure(canvas, frames, false, &t);
    const FrameCost paper = measure(canvas, frames, true, &t);
    int calls = 0;
    t += 1.0 / 60;
    canvas.frame(t, [&](ui::Ctx& c) {
        drawMenuWallpaper(c);
        calls = ui::gpuDrawCalls();
    });
    std::printf(
        "%-12s %-9s empty %6.2f ms wall %6.2f ms cpu | wallpaper %6.2f ms wall %6.2f ms cpu | "
        "ratio %5.2f wall %5.2f cpu | %d blits, %d textures, first frame %.0f ms\n",
        label, canvas.rendererName().c_str(), empty.wallMs, empty.cpuMs, paper.wallMs, paper.cpuMs,
        paper.wallMs / empty.wallMs, paper.cpuMs / empty.cpuMs, calls, ui::gpuCacheSize(), firstMs);
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 120;
    if (argc > 1) frames = std::max(5, std::atoi(argv[1]));
    // One critter all the time: the crab walks back and forth for the whole measurement.
    setenv("VANTREL_LIFE", "crab", 1);
    std::printf(
        "bench_wallpaper: menu wallpaper (background, waves, foam, fountain, crab), "
        "%dx%d, %d frames each\n",
        kW, kH, frames);
    run("software", harness::RendererKind::Software, frames);
    run("accelerated", harness::RendererKind::Accelerated, frames);
    return 0;
}
