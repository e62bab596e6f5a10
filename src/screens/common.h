// What every screen shares: the wallpaper under its content and the page arithmetic of lists.
#pragma once

#include "ui/app.h"

namespace screens {

// The background, critters and effect of one kind of screen.
struct Wallpaper {
    int seed = 7;
    int tier = -1;  // -1: the first world
    double opacity = 0.36;
    bool animated = true;
    bool fountain = false;
    bool burst = false;
};

Wallpaper wallpaperFor(const ui::GameState& s);
// Draws the wallpaper of the screen's own record (`ui::Ctx::self`); every screen calls it first.
// Its effect keeps off keepClear where the effect can (the marble burst).
void drawWallpaper(ui::Ctx& c, const ui::Rect& keepClear = {});
// The same for a given navigation record.
void drawWallpaperFor(ui::Ctx& c, const ui::GameState& s, const ui::Rect& keepClear = {});

// Ten items per page; never fewer than one page.
constexpr int kPerPage = 10;
int pageCountFor(int totalLevels);
int pageForLevel(int flatLevel);

}  // namespace screens
