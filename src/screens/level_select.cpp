// The level select: the catalogue ten levels a page, as cards with the start position, the
// world, the best stars, locks and badges; an unlocked card starts its level afresh.
#include "screens/level_select.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/levels.h"
#include "core/numbers.h"
#include "core/state.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "screens/card_pages.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/mirror.h"
#include "ui/thumbnail.h"
#include "ui/widgets.h"

namespace screens {
namespace {

constexpr uint32_t kOnBadge = 0x1A1A1A;
// The sand line's own hue, dark enough to read on a dimmed card.
const uint32_t kLockedWorldName = theme::darken(theme::kBorder, 0.45);

// The page last chosen with a chip; -1 until then. Lives as long as the process, not on disk.
int& lastSelectedPage() {
    static int page = -1;
    return page;
}

// What a card shows of its level. The stores keep no cache, so everything is read when the
// screen is made (the screen is made anew after every navigation) and never while drawing.
struct LevelCard {
    mar::GameState board;  // the start position, or the saved board of the level in progress
    std::vector<uint32_t> palette;
    std::string worldKey;
    int stars = -1;  // best stars, 0 to 3; -1 until the level's page was first shown
};

// The "in progress" plate in the strip of corner badges, between the "now" badge's corner and
// the check's: a half-filled disc, which reads without colour as a thing half done, before the
// text (after it, right to left).
void drawInProgressMark(cairo_t* cr, const ui::Rect& card) {
    constexpr double kDisc = 5, kPad = 7, kGap = 5, kH = 18;
    const ui::Mirror m(card);
    const ui::Rect room = m.rect(ui::Rect{card.x + 56, card.y + 6, card.w - 56 - 32, kH});
    ui::TextStyle st =
        ui::widgetTextStyle(10, true, theme::kText, 1, room.w - 2 * kPad - 2 * kDisc - kGap);
    st.align = ui::Align::Left;
    const std::string text = i18n::tr("levels.inProgress");
    double tw = 0, th = 0;
    ui::measureText(cr, text, st, &tw, &th);
    const double w = 2 * kPad + 2 * kDisc + kGap + tw;
    const ui::Rect plate{room.cx() - w / 2, room.y, w, kH};
    ui::fillRoundedRect(cr, plate, kH / 2, theme::kPillFill, 1);
    ui::strokeRoundedRect(cr, plate, kH / 2, 1.5, theme::kAccent, 1);

    const ui::Mirror pm(plate);
    const double dx = pm.x(plate.x + kPad + kDisc), dy = plate.cy();
    ui::strokeCircle(cr, dx, dy, kDisc, 1.5, theme::kText, 1);
    cairo_new_path(cr);
    cairo_arc(cr, dx, dy, kDisc, -kPi / 2, kPi / 2);  // the right half, as a clock's first half
    cairo_close_path(cr);
    ui::setColor(cr, theme::kText, 1);
    cairo_fill(cr);
    ui::drawText(cr, pm.x(plate.x + kPad + 2 * kDisc + kGap), dy - th / 2, text, pm.text(st));
}

class LevelSelect : public ui::Screen {
  public:
    LevelSelect()
        : unlocked_(std::max(store::unlockedLevel(), 1)),
          total_(mar::totalLevels()),
          activeFlat_(unlocked_ > total_ ? total_ - 1 : unlocked_ - 1) {
        for (const store::SolveEntry& e : store::listSolves())
            if (e.level >= 0 && e.level < total_) solved_.insert(e.level);
        const int remembered = lastSelectedPage();
        paging_.page = remembered >= 0 ? std::min(remembered, pageCountFor(total_) - 1)
                                       : pageForLevel(activeFlat_);
        cards_.resize(static_cast<size_t>(std::max(total_, 0)));
        for (int i = 0; i < total_; ++i) {
            const mar::LevelInfo info = mar::levelInfo(i);
            const theme::World& world = theme::worldForTier(info.tier);
            LevelCard& card = cards_[static_cast<size_t>(i)];
            card.board = mar::loadLevel(i);
            card.palette = theme::rotatedPalette(world, info.paletteOffset);
            card.worldKey = std::string("worlds.") + world.id;
        }
        // The level in progress shows its board as it was left, the one Continue resumes.
        const store::SavedGame saved = store::loadGame();
        if (store::savedGameProblem(saved).empty()) {
            inProgress_ = saved.level;
            cards_[static_cast<size_t>(saved.level)].board = saved.state;
        }
        readBests(paging_.page);
    }

    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        const std::string headline =
            i18n::tr("levels.headline", {{"n", std::to_string(activeFlat_ + 1)}});
        if (cardListHeader(c, i18n::tr("levels.back"), headline)) return;

        CardBook book;
        book.totalLevels = total_;
        book.markedPage = pageForLevel(activeFlat_);
        book.cardsOn = [this](int page) { return levelsOn(page); };
        book.grid = levelSelectGrid;
        book.drawCard = [&](int k, const ui::Rect& r) {
            const int idx = kPerPage * paging_.page + k;
            drawCard(c.cr, r, idx);
            return idx <= activeFlat_;  // locked cards take no clicks
        };
        // The current level's card, or the page's first when the level lies on another page.
        book.preferredCard = [this](int page) {
            return pageForLevel(activeFlat_) == page ? activeFlat_ - kPerPage * page : 0;
        };
        book.pageShown = [this](int page) {
            lastSelectedPage() = page;
            readBests(page);
        };
        const int chosen = cardPagesFrame(c, book, paging_);
        if (chosen >= 0) {
            startLevelAfresh(c, kPerPage * paging_.page + chosen);
            return;
        }
        ui::footer(c, c.h);
        if (c.in.hasKey(SDLK_ESCAPE)) c.pop();
    }

  private:
    int levelsOn(int page) const {
        const int first = kPerPage * page;
        return std::max(std::min(first + kPerPage, total_) - first, 0);
    }

    // Bests live in one file that every lookup reads and parses whole, so a page's ten are
    // read once, when the page is first shown.
    void readBests(int page) {
        const int first = kPerPage * page;
        for (int i = std::max(first, 0); i < first + levelsOn(page); ++i) {
            LevelCard& card = cards_[static_cast<size_t>(i)];
            if (card.stars < 0) card.stars = std::clamp(store::bestFor(i).stars, 0, 3);
        }
    }

    void drawCard(cairo_t* cr, const ui::Rect& r, int idx) const {
        const LevelCard& card = cards_[static_cast<size_t>(idx)];
        const bool locked = idx > activeFlat_;
        ui::card(cr, r, idx == activeFlat_, locked);

        const ui::Rect thumb{r.x + 6, r.y + 6, r.w - 12, r.h - 64};
        if (locked) cairo_push_group(cr);
        ui::drawLevelThumbnail(cr, thumb, card.board.tubes, card.board.capacity, card.palette);
        if (locked) {
            cairo_pop_group_to_source(cr);
            cairo_paint_with_alpha(cr, 0.35);
        }

        const double b = thumb.bottom();
        ui::drawText(
            cr, r.cx(), b + 4, i18n::tr("levels.tileLevel", {{"n", std::to_string(idx + 1)}}),
            ui::widgetTextStyle(14, true, locked ? theme::kTextMuted : theme::kText, 1, r.w - 12));
        ui::drawText(cr, r.cx(), b + 21, i18n::tr(card.worldKey),
                     ui::widgetTextStyle(11, false, locked ? kLockedWorldName : theme::kTextMuted,
                                         1, r.w - 12));
        ui::starsInline(cr, r.cx(), b + 42, std::max(card.stars, 0), 6);
        drawBadges(cr, r, idx, locked);
        if (idx == inProgress_) drawInProgressMark(cr, r);
    }

    // Right to left, the corner badges change corners.
    void drawBadges(cairo_t* cr, const ui::Rect& r, int idx, bool locked) const {
        const ui::Mirror m(r);
        if (locked) {
            ui::drawLock(cr, m.x(r.right() - 16), r.y + 16, 16, theme::kTextMuted, 0.9);
        } else if (solved_.count(idx) > 0) {
            ui::fillRoundedRect(cr, m.rect(ui::Rect{r.right() - 28, r.y + 6, 22, 18}), 9,
                                theme::kAccent, 1);
            ui::drawCheck(cr, m.x(r.right() - 17), r.y + 15, 11, kOnBadge, 1);
        }
        if (idx == activeFlat_) {
            const ui::Rect badge = m.rect(ui::Rect{r.x + 6, r.y + 6, 46, 18});
            ui::fillRoundedRect(cr, badge, 9, theme::kAccent, 1);
            ui::drawTextCentered(cr, badge.cx(), badge.cy(), i18n::tr("levels.now"),
                                 ui::widgetTextStyle(10, true, kOnBadge, 1, 40));
        }
    }

    int unlocked_;
    int total_;
    int activeFlat_;
    int inProgress_ = -1;  // the level of the saved game that can be resumed; -1: none
    CardPaging paging_;
    std::set<int> solved_;
    std::vector<LevelCard> cards_;
};

}  // namespace

CardGrid levelSelectGrid(double w, double h, int count) {
    const ui::Rect view = cardGridViewport(w, h);
    const int cols = std::clamp(static_cast<int>((view.w + 10) / 190), 2, 5);
    const double cardW = (view.w - (cols - 1) * 10) / cols;
    // A window too low for the grid gets no cards rather than upside-down ones.
    const double cardH = std::max(std::min(0.92 * cardW, 0.9 * view.h), 0.0);
    return cardGrid(view, cols, cardW, cardH, count);
}

void forgetLevelSelectPage() {
    lastSelectedPage() = -1;
}

std::unique_ptr<ui::Screen> makeLevelSelect() {
    return std::make_unique<LevelSelect>();
}

}  // namespace screens
