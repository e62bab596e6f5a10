// Frame cost of the temple ending (perfect with fireworks, and normal) after warm-up, against
// an empty frame, for both renderers at 1280x720.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/storage.h"
#include "harness.h"
#include "ui/app.h"

namespace {

constexpr double kDt = 1.0 / 60;
constexpr int kWarmUp = 120;  // two seconds: every texture the first cycle needs is painted
constexpr int kFrames = 900;  // two full colour turns of the marble

// Process CPU time, so that renderer threads (llvmpipe) are counted too.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

struct Stats {
    double mean = 0, p99 = 0;
};

Stats summarise(std::vector<double> v) {
    Stats s;
    if (v.empty()) return s;
    for (double x : v)
        s.mean += x;
    s.mean /= v.size();
    std::sort(v.begin(), v.end());
    s.p99 = v[std::min(v.size() - 1, static_cast<size_t>(v.size() * 0.99))];
    return s;
}

template <typename Body>
Stats measure(harness::Canvas& canvas, double& t, int frames, Body body) {
    std::vector<double> v;
    for (int f = 0; f < frames; ++f) {
        t += kDt;
        const double c0 = cpuMs();
        canvas.frame(t, body);
        canvas.present();
        v.push_back(cpuMs() - c0);
    }
    return summarise(v);
}

void run(const char* label, harness::RendererKind kind, int w, int h) {
    harness::Canvas canvas(harness::Options{w, h, 1.0, kind, false});
    if (!canvas.ok()) {
        std::printf("%-12s %dx%d unavailable: %s\n", label, w, h, SDL_GetError());
        return;
    }
    double t = 0;
    const Stats empty = measure(canvas, t, 120, nullptr);
    const auto game = [](ui::Ctx& c) { ui::Game::instance()->update(c); };
    for (int forced : {1, 0}) {
        ui::GameState rec;
        rec.kind = ui::ScreenKind::Ending;
        rec.forcePerfect = forced;
        ui::Game::instance()->resetTo(rec);
        measure(canvas, t, kWarmUp, game);
        const Stats s = measure(canvas, t, kFrames, game);
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
    char tmpl[] = "/tmp/bench_ending_XXXXXX";
    if (const char* dir = mkdtemp(tmpl)) setenv("XDG_DATA_HOME", dir, 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    store::ensureDataDirs();
    std::printf("bench_ending: cpu ms per frame after %d warm-up frames\n", kWarmUp);
    run("software", harness::RendererKind::Software, 1280, 720);
    run("accelerated", harness::RendererKind::Accelerated, 1280, 720);
    return 0;
}
