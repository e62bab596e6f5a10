// The gallery: every solved level as a card with its final board, moves, time, stars and date,
// in the level select's pages of ten; a card starts its level afresh.
#include "screens/gallery.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/levels.h"
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

// Bounds for boards read from disk: well above any level of the catalogue, low enough that a
// damaged file cannot make a thumbnail cost more than a real one.
constexpr size_t kMaxBoardTubes = 32;
constexpr int kMaxBoardCapacity = 16;

// The page last chosen with a chip; -1 until then. Lives as long as the process, not on disk.
int& lastGalleryPage() {
    static int page = -1;
    return page;
}

// A stored board made drawable: at most kMaxBoardTubes tubes, each no fuller than the
// capacity, which covers the fullest tube as far as kMaxBoardCapacity allows.
void tidyBoard(store::SolveEntry& e) {
    if (e.finalTubes.size() > kMaxBoardTubes) e.finalTubes.resize(kMaxBoardTubes);
    size_t fullest = 0;
    for (const auto& tube : e.finalTubes)
        fullest = std::max(fullest, tube.size());
    const int needed = static_cast<int>(std::min<size_t>(fullest, kMaxBoardCapacity));
    e.capacity = std::clamp(std::max(e.capacity, needed), 1, kMaxBoardCapacity);
    for (auto& tube : e.finalTubes)
        if (tube.size() > static_cast<size_t>(e.capacity)) tube.resize(e.capacity);
}

class Gallery : public ui::Screen {
  public:
    Gallery()
        : total_(mar::totalLevels()),
          currentPage_(pageForLevel(std::min(store::unlockedLevel(), total_) - 1)) {
        // Read once: the store re-reads its file on every call.
        for (store::SolveEntry& e : store::listSolves()) {
            if (e.level < 0 || e.level >= total_) continue;  // not a level of this catalogue
            e.stars = std::clamp(e.stars, 0, e.hints > 0 ? 2 : 3);
            e.moves = std::max(e.moves, 0);
            e.elapsedMs = std::max<int64_t>(e.elapsedMs, 0);
            tidyBoard(e);
            const mar::LevelInfo info = mar::levelInfo(e.level);
            palettes_.push_back(
                theme::rotatedPalette(theme::worldForTier(info.tier), info.paletteOffset));
            solves_.push_back(std::move(e));
        }
        int latest = -1;
        for (size_t i = 0; i < solves_.size(); ++i)
            if (latest < 0 || solves_[i].solvedAt > solves_[static_cast<size_t>(latest)].solvedAt)
                latest = static_cast<int>(i);
        const int latestPage =
            latest < 0 ? 0 : pageForLevel(solves_[static_cast<size_t>(latest)].level);
        const int remembered = lastGalleryPage();
        paging_.page =
            remembered >= 0 ? std::min(remembered, pageCountFor(total_) - 1) : latestPage;
        byPage_.resize(static_cast<size_t>(pageCountFor(total_)));
        for (size_t i = 0; i < solves_.size(); ++i)
            byPage_[static_cast<size_t>(pageForLevel(solves_[i].level))].push_back(i);
    }

    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        if (cardListHeader(c, i18n::tr("gallery.back"), i18n::tr("gallery.headline"))) return;

        if (solves_.empty()) {
            const double ww = std::min(c.w - 60, 420.0);
            ui::TextStyle st = ui::widgetTextStyle(14, false, theme::kTextMuted, 1, 0);
            st.minScale = 0;
            ui::drawTextWrapped(c.cr, (c.w - ww) / 2, 0.45 * c.h, ww, i18n::tr("gallery.empty"),
                                st);
        } else if (drawPages(c)) {
            return;
        }
        ui::footer(c, c.h);
        if (c.in.hasKey(SDLK_ESCAPE)) c.pop();
    }

  private:
    const std::vector<size_t>& onPage(int page) const {
        return byPage_[static_cast<size_t>(std::clamp(page, 0, pageCountFor(total_) - 1))];
    }

    // The chips and the cards of the page shown; returns true when a card started its level.
    bool drawPages(ui::Ctx& c) {
        CardBook book;
        book.totalLevels = total_;
        book.markedPage = currentPage_;
        book.cardsOn = [this](int page) { return static_cast<int>(onPage(page).size()); };
        book.grid = galleryGrid;
        book.drawCard = [&](int k, const ui::Rect& r) {
            const size_t i = onPage(paging_.page)[static_cast<size_t>(k)];
            drawCard(c.cr, r, solves_[i], palettes_[i]);
            return true;
        };
        book.preferredCard = [](int) { return 0; };
        book.pageShown = [](int page) { lastGalleryPage() = page; };
        const int chosen = cardPagesFrame(c, book, paging_);
        if (chosen >= 0) {
            startLevelAfresh(c, solves_[onPage(paging_.page)[static_cast<size_t>(chosen)]].level);
            return true;
        }
        if (onPage(paging_.page).empty()) {
            ui::drawTextCentered(c.cr, c.w / 2, cardGridViewport(c.w, c.h).cy(),
                                 i18n::tr("gallery.emptyPage"),
                                 ui::widgetTextStyle(14, false, theme::kTextMuted, 1, c.w - 40));
        }
        return false;
    }

    static void drawCard(cairo_t* cr, const ui::Rect& r, const store::SolveEntry& e,
                         const std::vector<uint32_t>& palette) {
        ui::card(cr, r, false, false);
        // Right to left, the board stands at the card's right and the lines end at its left;
        // the board itself is not mirrored.
        const ui::Mirror m(r);
        const double tw = std::min(190.0, 0.42 * r.w);
        ui::drawLevelThumbnail(cr, m.rect(ui::Rect{r.x + 10, r.y + 10, tw, 94}), e.finalTubes,
                               e.capacity, palette);

        const double tx = r.x + 10 + tw + 12, ty = r.y + 12;
        auto style = [&](double size, bool bold, uint32_t colour) {
            ui::TextStyle st = ui::widgetTextStyle(size, bold, colour, 1, r.right() - tx - 10);
            st.align = ui::Align::Left;
            return m.text(st);
        };
        const double x = m.x(tx);
        ui::drawText(cr, x, ty, i18n::tr("gallery.levelLine", {{"n", std::to_string(e.level + 1)}}),
                     style(16, true, theme::kText));
        ui::drawText(cr, x, ty + 22,
                     i18n::tr("gallery.movesLine", {{"n", std::to_string(e.moves)}}),
                     style(13, false, theme::kText));
        ui::drawText(cr, x, ty + 40,
                     i18n::tr("gallery.timeLine", {{"time", ui::formatTime(e.elapsedMs)}}),
                     style(13, false, theme::kText));
        // The star row's middle lies one star size right of the point it is given.
        constexpr double kStar = 7;
        ui::starsInline(cr, m.x(tx + 34 + kStar) - kStar, ty + 66, e.stars, kStar);
        if (e.hints > 0) {
            // Beside the stars, which a hint keeps from three, in the date's small muted type.
            const double hx = tx + 34 + 4.55 * kStar + 8;  // the row ends 4.55 stars past its point
            ui::TextStyle st = style(11, false, theme::kTextMuted);
            st.maxWidth = std::max(r.right() - 10 - hx, 1.0);
            const std::string text = i18n::tr("gallery.withHints");
            double tw = 0, th = 0;
            ui::measureText(cr, text, st, &tw, &th);
            ui::drawText(cr, m.x(hx), ty + 66 - th / 2, text, st);
        }
        ui::drawText(cr, x, ty + 80, ui::formatDate(e.solvedAt),
                     style(11, false, theme::kTextMuted));
    }

    std::vector<store::SolveEntry> solves_;
    std::vector<std::vector<uint32_t>> palettes_;  // one per entry of solves_
    std::vector<std::vector<size_t>> byPage_;      // the entries of each page, in order
    int total_;
    int currentPage_;
    CardPaging paging_;
};

}  // namespace

CardGrid galleryGrid(double w, double h, int count) {
    const ui::Rect view = cardGridViewport(w, h);
    const double perCard = view.w / 320;
    const int cols = perCard >= 3 ? 3 : (static_cast<int>(perCard) == 2 ? 2 : 1);
    const double cardW = cols == 1 ? view.w : (view.w - (cols - 1) * 10) / cols;
    return cardGrid(view, cols, cardW, 118, count);
}

void forgetGalleryPage() {
    lastGalleryPage() = -1;
}

std::unique_ptr<ui::Screen> makeGallery() {
    return std::make_unique<Gallery>();
}

}  // namespace screens
