// Level select and gallery figures: what building each screen costs (it reads the stores once),
// what one of its frames costs, and what the store lookups cost that a frame must not repeat.
// Prints figures only; nothing here fails on a slow machine.
//
// Usage: bench_paged_screens [frames]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/levels.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screens/common.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/app.h"
#include "ui/thumbnail.h"
#include "ui/widgets.h"

namespace {

using namespace benchsupport;

constexpr int kColumn = 38;  // width of the first column

// Every level solved once, all bests stored and everything unlocked: the largest stores a
// player can have.
void fillStores() {
    for (int level = 0; level < mar::totalLevels(); ++level) {
        store::SolveEntry e;
        e.id = store::newSolveId();
        e.level = level;
        e.moves = mar::levelInfo(level).solutionLength;
        e.elapsedMs = 60000 + level;
        e.solvedAt = 1700000000000LL + level;
        e.finalTubes = mar::loadLevel(level).tubes;
        e.capacity = mar::loadLevel(level).capacity;
        e.stars = 3;
        store::recordSolve(e);
        store::recordBest(level, {3, e.moves, e.elapsedMs});
    }
    store::setUnlockedLevel(mar::totalLevels() + 1);
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 120;
    if (useFreshDataDir("bench_paged").empty()) return 1;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    i18n::setLanguage("en");
    fillStores();

    printHeading(kColumn);
    std::vector<double> one, ten, all;
    for (int i = 0; i < 50; ++i) {
        auto t0 = Clock::now();
        store::bestFor(i % 105);
        one.push_back(microsSince(t0));
        t0 = Clock::now();
        for (int k = 0; k < 10; ++k)
            store::bestFor(k);
        ten.push_back(microsSince(t0));
        t0 = Clock::now();
        store::listSolves();
        all.push_back(microsSince(t0));
    }
    printRow(kColumn, "store::bestFor, one level", summarise(one));
    printRow(kColumn, "store::bestFor, a page of ten", summarise(ten));
    printRow(kColumn, "store::listSolves, 105 solves", summarise(all));

    {
        // The parts of a level select frame, drawn into a plain image ten at a time.
        cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1280, 720);
        cairo_t* cr = cairo_create(surf);
        const mar::GameState start = mar::loadLevel(60);
        const auto& world = theme::worldForTier(mar::levelInfo(60).tier);
        const auto palette = theme::rotatedPalette(world, mar::levelInfo(60).paletteOffset);
        std::vector<double> cards, thumbs, texts;
        for (int i = 0; i < 30; ++i) {
            auto t0 = Clock::now();
            for (int k = 0; k < 10; ++k)
                ui::card(cr, ui::Rect{16.0 + 20 * k, 102, 241.6, 222.3}, k == 3, k > 5);
            cards.push_back(microsSince(t0));
            t0 = Clock::now();
            for (int k = 0; k < 10; ++k)
                ui::drawLevelThumbnail(cr, ui::Rect{22.0 + 20 * k, 108, 229.6, 158.3}, start.tubes,
                                       start.capacity, palette);
            thumbs.push_back(microsSince(t0));
            t0 = Clock::now();
            for (int k = 0; k < 10; ++k) {
                ui::drawText(cr, 100, 300, "Level 61",
                             ui::widgetTextStyle(14, true, theme::kText, 1, 229));
                ui::drawText(cr, 100, 320, "Tropical Island",
                             ui::widgetTextStyle(11, false, theme::kTextMuted, 1, 229));
                ui::starsInline(cr, 100, 340, 2, 6);
            }
            texts.push_back(microsSince(t0));
        }
        printRow(kColumn, "ten cards", summarise(cards));
        printRow(kColumn, "ten thumbnails of level 61", summarise(thumbs));
        printRow(kColumn, "ten cards' texts and stars", summarise(texts));
        cairo_destroy(cr);
        cairo_surface_destroy(surf);
    }

    std::vector<double> buildLevels, buildGallery;
    for (int i = 0; i < 50; ++i) {
        auto t0 = Clock::now();
        auto a = screens::makeLevelSelect();
        buildLevels.push_back(microsSince(t0));
        t0 = Clock::now();
        auto b = screens::makeGallery();
        buildGallery.push_back(microsSince(t0));
    }
    printRow(kColumn, "building the level select", summarise(buildLevels));
    printRow(kColumn, "building the gallery", summarise(buildGallery));

    for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
        harness::Canvas canvas(harness::Options{w, h, 1.0, harness::RendererKind::Software, false});
        if (!canvas.ok()) {
            std::printf("no canvas\n");
            return 1;
        }
        for (ui::ScreenKind kind : {ui::ScreenKind::LevelSelect, ui::ScreenKind::Gallery}) {
            ui::GameState s;
            s.kind = kind;
            ui::Game::instance()->resetTo(s);
            double t = 1;
            std::vector<double> whole, screenOnly;
            for (int i = 0; i < frames + 5; ++i) {
                t += 1.0 / 60;
                const auto t0 = Clock::now();
                double inside = 0;
                canvas.frame(t, [&](ui::Ctx& c) {
                    c.in.mouseX = w / 2.0;
                    c.in.mouseY = h / 2.0;
                    const auto u0 = Clock::now();
                    ui::Game::instance()->update(c);
                    inside = microsSince(u0);
                });
                if (i < 5) continue;  // the first frames build the screen and fill caches
                whole.push_back(microsSince(t0));
                screenOnly.push_back(inside);
            }
            // The same frames with only the wallpaper, to tell the screen's own share.
            std::vector<double> wallpaper;
            for (int i = 0; i < frames; ++i) {
                t += 1.0 / 60;
                canvas.frame(t, [&](ui::Ctx& c) {
                    const auto u0 = Clock::now();
                    screens::drawWallpaper(c);
                    wallpaper.push_back(microsSince(u0));
                });
            }
            char what[80];
            std::snprintf(what, sizeof what, "%s frame %dx%d, whole",
                          kind == ui::ScreenKind::LevelSelect ? "level select" : "gallery", w, h);
            printRow(kColumn, what, summarise(whole));
            std::snprintf(what, sizeof what, "%s frame %dx%d, screen",
                          kind == ui::ScreenKind::LevelSelect ? "level select" : "gallery", w, h);
            printRow(kColumn, what, summarise(screenOnly));
            std::snprintf(what, sizeof what, "  of which the wallpaper");
            printRow(kColumn, what, summarise(wallpaper));
        }
    }
    return 0;
}
