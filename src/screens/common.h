// What every screen shares: the wallpaper under its content and the page arithmetic of lists.
#pragma once

#include <functional>
#include <string>

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
int pageCountFor(int totalLevels);
int pageForLevel(int flatLevel);

// ---- Paged card lists (level select and gallery) ----

// "1–10", "11–20", …: the first and last level number of a page, the last one capped at the
// catalogue's end.
std::string pageChipLabel(int page, int totalLevels);
// The bar of page chips under the headline: centred when it fits, otherwise scrolled sideways
// by *scroll (the wheel over the bar moves it). markedPage gets a dot unless it is the active
// one. Returns the page whose chip took this frame's click, or -1.
int pageChipBar(ui::Ctx& c, int totalLevels, int activePage, int markedPage, double* scroll);
// The bar's scroll offset, moved as little as needed to show the whole chip of page in a window
// w wide (0 when the bar fits).
double chipBarScrollShowing(double w, int totalLevels, int page, double scroll);

// Cards of one page in rows of cols, 10 units apart, in the viewport below the chip bar.
struct CardGrid {
    ui::Rect viewport;
    int cols = 1;
    double cardW = 0, cardH = 0;
    double contentH = 0;  // of all rows, for scrolling

    // Card k (0-based on the page) with the grid scrolled up by scroll.
    ui::Rect card(int k, double scroll) const;
    // Whether card k lies wholly more than 4 units outside the viewport, so need not be drawn.
    bool offView(int k, double scroll) const;
};
// One frame of a page's cards: the wheel over the viewport scrolls *scroll, the cards that show
// are drawn clipped to the viewport, then the scrollbar. drawCard paints card k in r and says
// whether it may be chosen. Every card is focusable, registered in order (card k is the
// focusCount() before the call plus k); the focused one is scrolled into view; preferred is
// the card the focus first lands on. Returns the card whose visible part took this frame's
// click, or the activated card, or -1.
int cardGridFrame(ui::Ctx& c, const CardGrid& grid, int count, double* scroll,
                  const std::function<bool(int k, const ui::Rect& r)>& drawCard,
                  int preferred = -1);
// The keys of a paged card list whose cards registered from firstCard on: Page Up and Page
// Down turn the page, Home and End focus the first and the last card, and an arrow from a card
// with nothing beyond it at the page's edge turns to the page on that side. Returns the page to
// show instead of page, or -1.
int cardPageKeys(ui::Ctx& c, int firstCard, int count, int page, int pages);
// A card's level chosen: the level in progress is resumed; for any other level the saved game
// is dropped and the level pushed afresh with a new seed.
void startLevelAfresh(const ui::Ctx& c, int level);

// The grid's viewport in a window of w x h.
ui::Rect cardGridViewport(double w, double h);
// A grid of count cards of the given size; cols at least 1.
CardGrid cardGrid(const ui::Rect& viewport, int cols, double cardW, double cardH, int count);

}  // namespace screens
