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

#include "bench_support.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screens/common.h"
#include "screens/menu.h"
#include "ui/app.h"

using namespace benchsupport;

static constexpr int kColumn = 34;  // width of the first column

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 120;
    if (useFreshDataDir("bench_menu").empty()) return 1;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    i18n::setLanguage("en");

    printHeading(kColumn);
    for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}, std::pair{360, 640}}) {
        harness::Canvas canvas(harness::Options{w, h, 1.0, harness::RendererKind::Software, false});
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
        printRow(kColumn, what, summarise(fit));

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
            printRow(kColumn, what, summarise(whole));
            std::snprintf(what, sizeof what, "  wallpaper alone");
            printRow(kColumn, what, summarise(wallpaper));
        }
    }
    return 0;
}
