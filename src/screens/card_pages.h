// Paged card lists, the level select's and the gallery's: a bar of page chips, the grid of one
// page's cards, and the keys that walk the cards and turn the pages.
#pragma once

#include <functional>
#include <string>

#include "screens/common.h"

namespace screens {

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
// The grid's viewport in a window of w x h.
ui::Rect cardGridViewport(double w, double h);
// A grid of count cards of the given size; cols at least 1.
CardGrid cardGrid(const ui::Rect& viewport, int cols, double cardW, double cardH, int count);

// The back button and the headline above a paged list; a click on the button pops the screen
// and returns true.
bool cardListHeader(ui::Ctx& c, const std::string& back, const std::string& headline);

// What a screen's paged list is made of.
struct CardBook {
    int totalLevels = 0;
    int markedPage = -1;  // gets a dot on its chip
    std::function<int(int page)> cardsOn;
    std::function<CardGrid(double w, double h, int count)> grid;
    // Paints card k of the page shown in r and says whether it may be chosen.
    std::function<bool(int k, const ui::Rect& r)> drawCard;
    // The card of a page the focus first lands on.
    std::function<int(int page)> preferredCard;
    // Called whenever another page is shown, by a chip or a key.
    std::function<void(int page)> pageShown;
};

// What outlives the frames of a paged list.
struct CardPaging {
    int page = 0;
    double barScroll = 0;
    double barShownForW = -1;  // the window width the chip bar was last scrolled for
    double gridScroll = 0;
    int focusNext = -1;  // the card of the page turned to that takes the focus next frame
};

// One frame of a paged list under the headline: the chip bar, the grid of the page's cards
// (scrolled by the wheel, the focused card kept in view) and the keys. Page Up and Page Down
// turn the page, Home and End focus its first and last card; an arrow that leaves the page
// turns to the nearest page with cards that way, landing on its first card going forward
// (Right, or Left right to left, and Down) and on its last card going back, and stays put at
// either end of the list. Returns the card of the page shown that was clicked or activated, or
// -1.
int cardPagesFrame(ui::Ctx& c, const CardBook& book, CardPaging& paging);

// A card's level chosen: the level in progress is resumed; for any other level the saved game
// is dropped and the level pushed afresh with a new seed.
void startLevelAfresh(const ui::Ctx& c, int level);

}  // namespace screens
