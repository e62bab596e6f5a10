// Frame cost of the temple ending (perfect with fireworks, and normal) after warm-up, against
// an empty frame, for both renderers at 1280x720.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "core/storage.h"
#include "harness.h"
#include "ui/app.h"

namespace {

using namespace benchsupport;

constexpr int kWarmUp = 120;  // two seconds: every texture the first cycle needs is painted
constexpr int kFrames = 900;  // two full colour turns of the marble

Figures measure(harness::Canvas& canvas, double& t, int frames,
                const std::function<void(ui::Ctx&)>& body) {
    return summarise(frameCpuMs(canvas, t, frames, body));
}

void run(const char* label, harness::RendererKind kind, int w, int h) {
    harness::Canvas canvas(harness::Options{w, h, 1.0, kind, false});
    if (!canvas.ok()) {
        std::printf("%-12s %dx%d unavailable: %s\n", label, w, h, SDL_GetError());
        return;
    }
    double t = 0;
    const Figures empty = measure(canvas, t, 120, nullptr);
    const auto game = [](ui::Ctx& c) { ui::Game::instance()->update(c); };
    for (int forced : {1, 0}) {
        ui::GameState rec;
        rec.kind = ui::ScreenKind::Ending;
        rec.forcePerfect = forced;
        ui::Game::instance()->resetTo(rec);
        measure(canvas, t, kWarmUp, game);
        const Figures s = measure(canvas, t, kFrames, game);
        std::printf(
            "%-12s %-9s %4dx%-4d empty %6.2f ms (p99 %6.2f) | ending %-7s %6.2f ms (p99 %6.2f) "
            "cpu, %d frames\n",
            label, canvas.rendererName().c_str(), w, h, empty.mean, empty.p99,
            forced ? "perfect" : "normal", s.mean, s.p99, kFrames);
    }
}

}  // namespace

int main() {
    // Never read the player's own bests.
    if (useFreshDataDir("bench_ending").empty()) return 1;
    std::printf("bench_ending: cpu ms per frame after %d warm-up frames\n", kWarmUp);
    run("software", harness::RendererKind::Software, 1280, 720);
    run("accelerated", harness::RendererKind::Accelerated, 1280, 720);
    return 0;
}
