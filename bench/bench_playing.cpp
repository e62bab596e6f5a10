// Frame cost of the playing screen while it plays the stored solution of level 105 (17 tubes),
// against an empty frame, for both renderers and two window sizes; and the wall time of those
// frames with the hint worker idle and with it searching all along, as it may while one plays.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "core/levels.h"
#include "core/storage.h"
#include "harness.h"
#include "platform/hint_worker.h"
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

    const mar::GameState start = mar::loadLevel(kLevel);
    screens::BoardLayout layout;
    screens::layoutBoard(layout, w, h, start.tubeCount(), start.capacity, false);
    const auto solution = mar::levelSolution(kLevel);
    std::vector<mar::GameState> along{start};
    for (size_t k = 0; k + 1 < solution.size(); ++k)
        along.push_back(mar::applyMoveOne(along.back(), solution[k]));
    // Plays the solution from a fresh board; with `searching`, the hint worker is handed the
    // next search the moment it answers, so it never rests. The process CPU time then counts the
    // worker too, so wall times are what compares.
    auto play = [&](bool searching, std::vector<double>* cpu, std::vector<double>* wall) {
        // Through the real game loop, so that the wallpaper is the level's own.
        openFreshBoard(kLevel);
        t += kDt;
        canvas.frame(t, [](ui::Ctx& c) { ui::Game::instance()->update(c); });
        uint64_t generation = 0;
        SolutionTaps taps(layout, solution, t);
        while (!taps.done()) {
            t += kDt;
            const auto w0 = Clock::now();
            if (searching) {
                // As the screen would poll every frame; then the next position along the way.
                hints::poll();
                if (!hints::busy()) {
                    hints::request(along[generation % along.size()], generation + 1);
                    ++generation;
                }
            }
            cpu->push_back(taps.playFrame(canvas, t));
            wall->push_back(millisSince(w0));
        }
        hints::cancel();
    };
    std::vector<double> frames, idleWall, busyCpu, busyWall;
    play(false, &frames, &idleWall);
    play(true, &busyCpu, &busyWall);
    hints::shutdown();
    const Figures e = summarise(empty), p = summarise(frames);
    std::printf(
        "%-12s %-9s %4dx%-4d empty %6.2f ms (p99 %6.2f) | playing %6.2f ms (p99 %6.2f) cpu, "
        "%zu frames\n",
        label, canvas.rendererName().c_str(), w, h, e.mean, e.p99, p.mean, p.p99, frames.size());
    const Figures i = summarise(idleWall), b = summarise(busyWall);
    std::printf(
        "%-12s %-9s %4dx%-4d wall per frame: worker idle %6.2f ms (p99 %6.2f) | worker searching "
        "%6.2f ms (p99 %6.2f)\n",
        label, canvas.rendererName().c_str(), w, h, i.mean, i.p99, b.mean, b.p99);
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
