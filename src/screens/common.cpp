// What every screen shares: the wallpaper under its content and the page arithmetic of lists.
#include "screens/common.h"

#include <algorithm>
#include <optional>

#include "core/levels.h"
#include "core/puzzle_code.h"
#include "theme/theme.h"
#include "ui/background.h"
#include "ui/effects.h"
#include "ui/life.h"
#include "ui/motion.h"

namespace screens {

namespace {

// The world a board's record stands in: its level's tier, or a generated puzzle's size.
int tierOf(const ui::GameState& s) {
    if (s.code.empty()) return mar::levelInfo(s.level).tier;
    const std::optional<puzzle::Id> id = puzzle::decode(s.code);
    return id ? std::clamp(id->size, 0, puzzle::kSizeCount - 1) : -1;
}

}  // namespace

Wallpaper wallpaperFor(const ui::GameState& s) {
    Wallpaper wp;
    switch (s.kind) {
        case ui::ScreenKind::Splash:
            wp.seed = 1;
            wp.fountain = true;
            break;
        case ui::ScreenKind::Menu:
            wp.seed = 2;
            wp.fountain = true;
            break;
        case ui::ScreenKind::Playing:
        case ui::ScreenKind::Attract:
            // A still sea while the player thinks.
            wp.seed = s.level + 3;
            wp.tier = tierOf(s);
            wp.opacity = 0.32;
            wp.animated = false;
            break;
        case ui::ScreenKind::Solved:
            wp.seed = s.level + 99;
            wp.tier = tierOf(s);
            wp.burst = true;
            break;
        default:
            break;  // every other screen stands on one shared beach
    }
    return wp;
}

void drawWallpaperFor(ui::Ctx& c, const ui::GameState& s, const ui::Rect& keepClear) {
    const Wallpaper wp = wallpaperFor(s);
    ui::drawBackground(c, wp.seed, wp.tier, wp.opacity, wp.animated);
    ui::drawAmbientLife(c);
    if (wp.fountain) ui::drawMarbleFountain(c);
    // Reduced motion celebrates with a soft glow round the result instead of the whirling dots.
    if (wp.burst && ui::motionReduced())
        ui::drawCalmGlow(c, keepClear, theme::kStarGold);
    else if (wp.burst)
        ui::drawMarbleBurst(c, keepClear);
}

void drawWallpaper(ui::Ctx& c, const ui::Rect& keepClear) {
    // A screen drawn with no record handed over stands on the beach the screens without a level
    // share.
    ui::GameState shared;
    shared.kind = ui::ScreenKind::Settings;
    drawWallpaperFor(c, c.self ? *c.self : shared, keepClear);
}

int pageCountFor(int totalLevels) {
    if (totalLevels <= kPerPage) return 1;
    return (totalLevels + kPerPage - 1) / kPerPage;
}

int pageForLevel(int flatLevel) {
    return std::max(flatLevel, 0) / kPerPage;
}

}  // namespace screens
