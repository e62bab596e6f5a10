// What every screen shares: the wallpaper under its content and the page arithmetic of lists.
#include "screens/common.h"

#include <SDL.h>

#include <algorithm>

#include "core/levels.h"
#include "core/storage.h"
#include "platform/audio.h"
#include "ui/background.h"
#include "ui/effects.h"
#include "ui/focus.h"
#include "ui/life.h"
#include "ui/mirror.h"
#include "ui/widgets.h"

namespace screens {

namespace {

constexpr int kPerPage = 10;
constexpr double kChipW = 84, kChipH = 34, kChipGap = 8, kChipTop = 58;
constexpr double kCardGap = 10;

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
            wp.tier = mar::levelInfo(s.level).tier;
            wp.opacity = 0.32;
            wp.animated = false;
            break;
        case ui::ScreenKind::Solved:
            wp.seed = s.level + 99;
            wp.tier = mar::levelInfo(s.level).tier;
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
    if (wp.burst) ui::drawMarbleBurst(c, keepClear);
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

// ---- Paged card lists ----

std::string pageChipLabel(int page, int totalLevels) {
    const int first = kPerPage * page + 1;
    const int last = std::min(kPerPage * page + kPerPage, totalLevels);
    return std::to_string(first) + "\u2013" + std::to_string(last);
}

int pageChipBar(ui::Ctx& c, int totalLevels, int activePage, int markedPage, double* scroll) {
    const int pages = pageCountFor(totalLevels);
    const ui::Rect view{16, kChipTop, c.w - 32, kChipH};
    const double contentW = pages * kChipW + (pages - 1) * kChipGap;
    ui::applyScroll(c, view, contentW, scroll);
    double x = view.x;
    if (contentW <= view.w) {
        *scroll = 0;
        x += (view.w - contentW) / 2;
    } else {
        // applyScroll bounds the offset as for a column; sideways the bar stops once its last
        // chip reaches the right edge, so it never scrolls into emptiness.
        *scroll = std::clamp(*scroll, 0.0, contentW - view.w);
        x -= *scroll;
    }
    // The focused chip is scrolled into view; the bar is drawn from the new offset next frame.
    const int first = c.focusCount();
    if (c.focusShown() && c.focusIndex() >= first && c.focusIndex() < first + pages)
        *scroll = chipBarScrollShowing(c.w, totalLevels, c.focusIndex() - first, *scroll);
    int clicked = -1;
    const ui::Mirror m(view);  // right to left, the first page's chip is the rightmost
    for (int i = 0; i < pages; ++i) {
        const ui::Rect r = m.rect({x + i * (kChipW + kChipGap), kChipTop, kChipW, kChipH});
        if (r.right() <= -68 || r.x >= c.w) {
            // Out of sight but within the focus's reach, which brings it into view.
            c.focusable(r);
            continue;
        }
        const bool marked = i == markedPage && i != activePage;
        if (ui::pageChip(c, r, pageChipLabel(i, totalLevels), i == activePage, marked)) clicked = i;
    }
    return clicked;
}

double chipBarScrollShowing(double w, int totalLevels, int page, double scroll) {
    const int pages = pageCountFor(totalLevels);
    const double viewW = w - 32;
    const double contentW = pages * kChipW + (pages - 1) * kChipGap;
    if (contentW <= viewW) return 0;
    // The least movement that shows the whole chip, as a list scrolls to its selected row.
    const double left = std::clamp(page, 0, pages - 1) * (kChipW + kChipGap);
    scroll = std::clamp(scroll, left + kChipW - viewW, left);
    return std::clamp(scroll, 0.0, contentW - viewW);
}

ui::Rect CardGrid::card(int k, double scroll) const {
    // Right to left, each row of cards fills from the right.
    return ui::Mirror(viewport).rect({viewport.x + (k % cols) * (cardW + kCardGap),
                                      viewport.y + (k / cols) * (cardH + kCardGap) - scroll, cardW,
                                      cardH});
}

bool CardGrid::offView(int k, double scroll) const {
    const ui::Rect r = card(k, scroll);
    return r.bottom() < viewport.y - 4 || r.y > viewport.bottom() + 4;
}

int cardGridFrame(ui::Ctx& c, const CardGrid& grid, int count, double* scroll,
                  const std::function<bool(int k, const ui::Rect& r)>& drawCard, int preferred) {
    ui::applyScroll(c, grid.viewport, grid.contentH, scroll);
    // The focused card is scrolled wholly into view before anything is drawn.
    const int first = c.focusCount();
    const int focusedCard = c.focusShown() ? c.focusIndex() - first : -1;
    if (focusedCard >= 0 && focusedCard < count) {
        const double maxOff = std::max(0.0, grid.contentH - grid.viewport.h);
        const ui::Rect r = grid.card(focusedCard, *scroll);
        if (r.y < grid.viewport.y) *scroll -= grid.viewport.y - r.y;
        if (r.bottom() > grid.viewport.bottom()) *scroll += r.bottom() - grid.viewport.bottom();
        *scroll = std::clamp(*scroll, 0.0, maxOff);
    }
    cairo_t* cr = c.cr;
    int chosen = -1;
    cairo_save(cr);
    cairo_rectangle(cr, grid.viewport.x, grid.viewport.y, grid.viewport.w,
                    std::max(grid.viewport.h, 0.0));
    cairo_clip(cr);
    int ringed = -1;
    for (int k = 0; k < count; ++k) {
        const ui::Rect r = grid.card(k, *scroll);
        // Every card is within the focus's reach, also those scrolled out of sight.
        const ui::FocusHit focus = c.focusable(r, k == preferred);
        if (grid.offView(k, *scroll)) continue;
        if (focus.ring) ringed = k;
        // Only the visible part of a card clipped by the viewport takes clicks.
        const bool open = drawCard(k, r);
        if (open && ((c.hover(grid.viewport) && c.takeClick(r)) || focus.activated)) chosen = k;
    }
    cairo_restore(cr);
    if (ringed >= 0) {
        // The ring stands just outside its card, so it gets a little more room than the cards.
        cairo_save(cr);
        const ui::Rect room = grid.viewport.inset(-6);
        cairo_rectangle(cr, room.x, room.y, room.w, std::max(room.h, 0.0));
        cairo_clip(cr);
        ui::drawFocusRing(cr, grid.card(ringed, *scroll), 14);
        cairo_restore(cr);
    }
    ui::scrollbar(c, grid.viewport, grid.contentH, *scroll);
    return chosen;
}

int cardPageKeys(ui::Ctx& c, int firstCard, int count, int page, int pages) {
    int next = page;
    int focusTo = -1;  // 0: the first card of the page shown next, 1: its last
    if (c.claimKey(SDLK_PAGEDOWN)) next = page + 1;
    if (c.claimKey(SDLK_PAGEUP)) next = page - 1;
    if (next != page) focusTo = 0;
    if (c.claimKey(SDLK_HOME) && count > 0) c.setFocus(firstCard);
    if (c.claimKey(SDLK_END) && count > 0) c.setFocus(firstCard + count - 1);

    // An arrow with no card beyond it at the page's side turns the page that way.
    const int here = c.focusIndex();
    if (c.focus && c.focusShown() && here >= firstCard && here < firstCard + count) {
        const bool rtl = ui::rightToLeft();
        for (const ui::FocusDir dir : {ui::FocusDir::Left, ui::FocusDir::Right}) {
            const int key = dir == ui::FocusDir::Right ? SDLK_RIGHT : SDLK_LEFT;
            if (!c.in.hasKey(key) || ui::focusNeighbour(c.focus->rects, here, dir, rtl) >= 0)
                continue;
            const bool forward = (dir == ui::FocusDir::Right) != rtl;
            if (forward ? page + 1 >= pages : page <= 0) continue;
            c.claimKey(key);
            next = forward ? page + 1 : page - 1;
            focusTo = forward ? 0 : 1;
        }
    }
    next = std::clamp(next, 0, std::max(pages - 1, 0));
    if (next == page) return -1;
    // Only the catalogue's last page is short, and it is never the one turned back to.
    if (focusTo >= 0 && c.focusShown()) c.setFocus(firstCard + (focusTo == 0 ? 0 : kPerPage - 1));
    return next;
}

void startLevelAfresh(const ui::Ctx& c, int level) {
    audio::play(audio::Sfx::Click);
    ui::GameState next;
    next.kind = ui::ScreenKind::Playing;
    next.level = level;
    // The card of the level in progress resumes it, as Continue does; any other card drops it.
    const store::SavedGame saved = store::loadGame();
    if (saved.level == level && store::savedGameProblem(saved).empty()) {
        next.seed = saved.seed;
    } else {
        store::clearGame();
        next.seed = static_cast<uint32_t>(store::nowMs() & 0xFFFFFFFFu);
    }
    c.push(next);
}

ui::Rect cardGridViewport(double w, double h) {
    return {16, 102, w - 32, h - 146};
}

CardGrid cardGrid(const ui::Rect& viewport, int cols, double cardW, double cardH, int count) {
    CardGrid g;
    g.viewport = viewport;
    g.cols = std::max(cols, 1);
    g.cardW = cardW;
    g.cardH = cardH;
    const int rows = (std::max(count, 0) + g.cols - 1) / g.cols;
    g.contentH = rows > 0 ? rows * cardH + (rows - 1) * kCardGap : 0;
    return g;
}

}  // namespace screens
