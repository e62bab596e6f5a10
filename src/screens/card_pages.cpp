// Paged card lists: the chip bar, the grid of a page's cards and the keys that walk and turn
// the pages, shared by the level select and the gallery.
#include "screens/card_pages.h"

#include <SDL.h>

#include <algorithm>
#include <vector>

#include "core/storage.h"
#include "platform/audio.h"
#include "ui/focus.h"
#include "ui/mirror.h"
#include "ui/widgets.h"

namespace screens {

namespace {

constexpr double kChipW = 84, kChipH = 34, kChipGap = 8, kChipTop = 58;
constexpr double kCardGap = 10;

}  // namespace

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

namespace {

// One frame of a page's cards: the wheel over the viewport scrolls, the cards that show are
// drawn clipped to the viewport, then the scrollbar. Every card is focusable, registered in
// order from the focusCount() before the call on; the card a page turn asked for takes the
// focus, and the focused one is scrolled into view. Returns the card whose visible part took
// this frame's click, or the activated card, or -1.
int cardGridFrame(ui::Ctx& c, const CardBook& book, CardPaging& p, const CardGrid& grid,
                  int count) {
    double* scroll = &p.gridScroll;
    ui::applyScroll(c, grid.viewport, grid.contentH, scroll);
    const int first = c.focusCount();
    // Set now, when the page's cards are about to register; in the frame that turned the page
    // the index could lie beyond that frame's last element.
    if (p.focusNext >= 0 && p.focusNext < count && c.focusShown()) c.setFocus(first + p.focusNext);
    p.focusNext = -1;
    // The focused card is scrolled wholly into view before anything is drawn.
    const int focusedCard = c.focusShown() ? c.focusIndex() - first : -1;
    if (focusedCard >= 0 && focusedCard < count) {
        const double maxOff = std::max(0.0, grid.contentH - grid.viewport.h);
        const ui::Rect r = grid.card(focusedCard, *scroll);
        if (r.y < grid.viewport.y) *scroll -= grid.viewport.y - r.y;
        if (r.bottom() > grid.viewport.bottom()) *scroll += r.bottom() - grid.viewport.bottom();
        *scroll = std::clamp(*scroll, 0.0, maxOff);
    }
    cairo_t* cr = c.cr;
    const int preferred = book.preferredCard ? book.preferredCard(p.page) : -1;
    int chosen = -1;
    int ringed = -1;
    cairo_save(cr);
    cairo_rectangle(cr, grid.viewport.x, grid.viewport.y, grid.viewport.w,
                    std::max(grid.viewport.h, 0.0));
    cairo_clip(cr);
    for (int k = 0; k < count; ++k) {
        const ui::Rect r = grid.card(k, *scroll);
        // Every card is within the focus's reach, also those scrolled out of sight.
        const ui::FocusHit focus = c.focusable(r, k == preferred);
        if (grid.offView(k, *scroll)) continue;
        if (focus.ring) ringed = k;
        // Only the visible part of a card clipped by the viewport takes clicks.
        const bool open = book.drawCard(k, r);
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

// Where an arrow leads from card k of a page of count cards in rows of cols: a card of the
// page, -1 when it leaves the page before its first card, count when past its last. Left and
// Right walk the reading order, Up and Down a row; Down onto a short last row lands on its
// last card.
int cardArrowTarget(int k, int count, int cols, int key, bool rtl) {
    const bool lastRow = k / cols >= (count - 1) / cols;
    switch (key) {
        case SDLK_LEFT:
            return rtl ? k + 1 : k - 1;
        case SDLK_RIGHT:
            return rtl ? k - 1 : k + 1;
        case SDLK_UP:
            return k >= cols ? k - cols : -1;
        case SDLK_DOWN:
            return lastRow ? count : std::min(k + cols, count - 1);
        default:
            return k;
    }
}

// The nearest page from page on in steps of dir (+1 or -1) that holds cards, or -1.
int pageWithCards(const CardBook& book, int page, int dir) {
    for (int q = page + dir; q >= 0 && q < pageCountFor(book.totalLevels); q += dir)
        if (book.cardsOn(q) > 0) return q;
    return -1;
}

// The keys of the page whose count cards registered from firstCard on; returns the page to
// show instead, or -1, and sets the card that page's focus goes to.
int cardPageKeys(ui::Ctx& c, const CardBook& book, CardPaging& p, int firstCard, int count,
                 int cols) {
    int next = -1, focusTo = 0;
    const int pages = pageCountFor(book.totalLevels);
    if (c.claimKey(SDLK_PAGEDOWN) && p.page + 1 < pages) next = p.page + 1;
    if (c.claimKey(SDLK_PAGEUP) && p.page > 0) next = p.page - 1;
    if (c.claimKey(SDLK_HOME) && count > 0) c.setFocus(firstCard);
    if (c.claimKey(SDLK_END) && count > 0) c.setFocus(firstCard + count - 1);

    // While a card has the focus the arrows are the cards' own: they walk the page and, past
    // its edge, turn it, rather than wander off to whatever lies beside the grid.
    const bool rtl = ui::rightToLeft();
    for (const int key : std::vector<int>(c.in.keys)) {
        const int here = c.focusIndex() - firstCard;
        if (next >= 0 || !c.focusShown() || here < 0 || here >= count) break;
        if (key != SDLK_LEFT && key != SDLK_RIGHT && key != SDLK_UP && key != SDLK_DOWN) continue;
        c.claimKey(key);
        const int to = cardArrowTarget(here, count, cols, key, rtl);
        if (to >= 0 && to < count) {
            c.setFocus(firstCard + to);
            continue;
        }
        const int dir = to < 0 ? -1 : 1;
        next = pageWithCards(book, p.page, dir);  // -1 at either end of the list: stays put
        if (next >= 0) focusTo = dir > 0 ? 0 : book.cardsOn(next) - 1;
    }
    if (next >= 0 && c.focusShown()) p.focusNext = focusTo;
    return next;
}

// Shows another page: the grid from its top and the bar scrolled to the page's chip.
void turnTo(const ui::Ctx& c, const CardBook& book, CardPaging& p, int page, bool showChip) {
    audio::play(audio::Sfx::Click);
    p.page = page;
    p.gridScroll = 0;
    if (showChip) p.barScroll = chipBarScrollShowing(c.w, book.totalLevels, page, p.barScroll);
    if (book.pageShown) book.pageShown(page);
}

}  // namespace

bool cardListHeader(ui::Ctx& c, const std::string& back, const std::string& headline) {
    if (ui::pillButton(c, ui::Mirror(0, c.w).rect({16, 12, 104, 34}), back, ui::PillIcon::Back)) {
        audio::play(audio::Sfx::Click);
        c.pop();
        return true;
    }
    const double hw = std::min(c.w - 264, 260.0);
    ui::titleCard(c, ui::Rect{(c.w - hw) / 2, 10, hw, 38}, headline, "");
    return false;
}

int cardPagesFrame(ui::Ctx& c, const CardBook& book, CardPaging& p) {
    // The page it opens on shows its chip, also after the window changed width.
    if (c.w != p.barShownForW) {
        p.barScroll = chipBarScrollShowing(c.w, book.totalLevels, p.page, p.barScroll);
        p.barShownForW = c.w;
    }
    const int chip = pageChipBar(c, book.totalLevels, p.page, book.markedPage, &p.barScroll);
    if (chip >= 0) turnTo(c, book, p, chip, false);

    const int firstCard = c.focusCount();
    const int count = std::max(book.cardsOn(p.page), 0);
    const CardGrid grid = book.grid(c.w, c.h, count);
    const int chosen = count > 0 ? cardGridFrame(c, book, p, grid, count) : -1;
    if (chosen >= 0) return chosen;
    const int turned = cardPageKeys(c, book, p, firstCard, count, grid.cols);
    if (turned >= 0) turnTo(c, book, p, turned, true);
    return -1;
}

void startLevelAfresh(const ui::Ctx& c, int level) {
    audio::play(audio::Sfx::Click);
    ui::GameState next;
    next.kind = ui::ScreenKind::Playing;
    next.level = level;
    // The card of the level in progress resumes it, as Continue does. Any other card opens a
    // fresh board; the game in progress stays saved until that board's first move.
    const store::SavedGame saved = store::loadGame();
    if (saved.level == level && store::savedGameProblem(saved).empty())
        next.seed = saved.seed;
    else
        next.seed = static_cast<uint32_t>(store::nowMs() & 0xFFFFFFFFu);
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
