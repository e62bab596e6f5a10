// Frame cost of the playing screen while it plays the stored solution of flat level 104
// (17 tubes), against an empty frame, for both renderers and two window sizes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "core/levels.h"
#include "core/storage.h"
#include "harness.h"
#include "screens/playing.h"
#include "screens/screens.h"
#include "ui/app.h"

namespace {

using namespace benchsupport;

constexpr int kLevel = 104;
constexpr double kDt = 1.0 / 60;

void run(const char* label, harness::RendererKind kind, int w, int h) {
    harness::Canvas canvas(harness::Options{w, h, 1.0, kind, false});
    if (!canvas.ok()) {
        std::printf("%-12s %dx%d unavailable: %s\n", label, w, h, SDL_GetError());
        return;
    }
    store::clearGame();
    double t = 0;
    const std::vector<double> empty = frameCpuMs(canvas, t, 120, nullptr);

    ui::GameState rec;
    rec.kind = ui::ScreenKind::Playing;
    rec.level = kLevel;
    rec.seed = 1;
    // Through the real game loop, so that the wallpaper is the level's own.
    ui::Game::instance()->resetTo(rec);
    t += kDt;
    canvas.frame(t, [](ui::Ctx& c) { ui::Game::instance()->update(c); });
    const mar::GameState start = mar::loadLevel(kLevel);
    screens::BoardLayout layout;
    screens::layoutBoard(layout, w, h, start.tubeCount(), start.capacity, false);
    const auto solution = mar::levelSolution(kLevel);

    std::vector<double> frames;
    SolutionTaps taps(layout, solution, t);
    while (!taps.done()) {
        t += kDt;
        frames.push_back(taps.playFrame(canvas, t));
    }
    const Figures e = summarise(empty), p = summarise(frames);
    std::printf(
        "%-12s %-9s %4dx%-4d empty %6.2f ms (p99 %6.2f) | playing %6.2f ms (p99 %6.2f) cpu, "
        "%zu frames\n",
        label, canvas.rendererName().c_str(), w, h, e.mean, e.p99, p.mean, p.p99, frames.size());
    store::clearGame();
    store::clearAllSolves();
}

}  // namespace

int main() {
    // Never touch the player's own saved game.
    if (useFreshDataDir("bench_playing").empty()) return 1;
    std::printf(
        "bench_playing: level %d (%d tubes), stored solution of %zu moves, cpu ms per frame\n",
        kLevel + 1, mar::loadLevel(kLevel).tubeCount(), mar::levelSolution(kLevel).size());
    for (auto [w, h] : {std::pair{1920, 1080}, std::pair{1280, 720}}) {
        run("software", harness::RendererKind::Software, w, h);
        run("accelerated", harness::RendererKind::Accelerated, w, h);
    }
    return 0;
}
