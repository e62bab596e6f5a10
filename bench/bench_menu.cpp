// Splash, menu and demo figures: what one frame of each costs at three window sizes, against
// the wallpaper alone, and what fitting the title costs (the menu does it every frame, and a
// narrow window needs many measurements). Prints figures only; nothing here fails.
//
// Usage: bench_menu [frames]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screens/common.h"
#include "screens/menu.h"
#include "ui/app.h"

namespace {

using Clock = std::chrono::steady_clock;

double microsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

void printRow(const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    double mean = 0;
    for (double x : v)
        mean += x;
    mean /= v.size();
    std::printf("%-34s %9.1f %9.1f %9.1f %9.1f\n", what, mean, v[v.size() / 2],
                v[std::min(v.size() - 1, v.size() * 95 / 100)], v.back());
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 120;
    char tmpl[] = "/tmp/bench_menu_XXXXXX";
    const char* base = mkdtemp(tmpl);
    if (!base) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("XDG_DATA_HOME", base, 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    store::ensureDataDirs();
    i18n::setLanguage("en");

    std::printf("%-34s %9s %9s %9s %9s   (microseconds)\n", "", "mean", "median", "p95", "max");
    for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}, std::pair{360, 640}}) {
        harness::Options o;
        o.w = w;
        o.h = h;
        o.renderer = harness::RendererKind::Software;
        harness::Canvas canvas(o);
        if (!canvas.ok()) {
            std::printf("no canvas\n");
            return 1;
        }
        char what[80];
        double t = 1;
        std::vector<double> fit;
        canvas.frame(t, [&](ui::Ctx& c) {
            for (int i = 0; i < frames; ++i) {
                const auto t0 = Clock::now();
                screens::menuTitleSize(c.cr, c.w, c.h);
                fit.push_back(microsSince(t0));
            }
        });
        std::snprintf(what, sizeof what, "fitting the title %dx%d", w, h);
        printRow(what, fit);

        for (ui::ScreenKind kind :
             {ui::ScreenKind::Splash, ui::ScreenKind::Menu, ui::ScreenKind::Attract}) {
            ui::GameState s;
            s.kind = kind;
            s.runId = 12345;
            ui::Game::instance()->resetTo(s);
            std::vector<double> whole, wallpaper;
            // The splash leaves after 3 s, so every run stays within its first 2 s.
            for (int i = 0; i < frames + 5; ++i) {
                if (i % 100 == 0) ui::Game::instance()->resetTo(s);
                t += 1.0 / 60;
                const auto t0 = Clock::now();
                canvas.frame(t, [&](ui::Ctx& c) { ui::Game::instance()->update(c); });
                if (i % 100 >= 5) whole.push_back(microsSince(t0));
            }
            for (int i = 0; i < frames; ++i) {
                t += 1.0 / 60;
                const auto t0 = Clock::now();
                canvas.frame(t, [&](ui::Ctx& c) { screens::drawWallpaper(c); });
                wallpaper.push_back(microsSince(t0));
            }
            static const char* kNames[] = {"splash", "menu", "demo"};
            const int k = kind == ui::ScreenKind::Splash ? 0 : kind == ui::ScreenKind::Menu ? 1 : 2;
            std::snprintf(what, sizeof what, "%s frame %dx%d", kNames[k], w, h);
            printRow(what, whole);
            std::snprintf(what, sizeof what, "  wallpaper alone");
            printRow(what, wallpaper);
        }
    }
    return 0;
}
