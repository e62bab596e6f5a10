// Endless puzzles: the player picks a size step and "New puzzle" opens the next one at once,
// made ahead in the background; beneath, the results of every generated puzzle solved.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/daily.h"
#include "core/puzzle_code.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "platform/audio.h"
#include "platform/puzzle_maker.h"
#include "screens/card_pages.h"
#include "screens/common.h"
#include "screens/puzzle_flow.h"
#include "screens/puzzle_screens.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/mirror.h"
#include "ui/widgets.h"

namespace screens {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The step last chosen; lives as long as the process, not on disk.
int& lastStep() {
    static int step = 0;
    return step;
}

struct StepResults {
    int solved = 0, threeStars = 0;
};

class Endless : public ui::Screen {
  public:
    Endless() : byStep_(puzzle::steps().size()) {
        const std::vector<store::PuzzleResult> all = store::listPuzzleResults();
        for (const store::PuzzleResult& r : all) {
            const auto id = puzzle::decode(r.code);
            if (!id) continue;
            StepResults& s = byStep_[static_cast<size_t>(puzzle::stepOfSize(id->size))];
            ++s.solved;
            if (r.stars >= 3) ++s.threeStars;
        }
        streaks_ = puzzle::streaks(dailySolves(all), store::localDate(store::nowMs()));
        prefetchEndless(lastStep());
    }

    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        if (cardListHeader(c, i18n::tr("puzzles.back"), i18n::tr("puzzles.endlessHeadline")))
            return;
        const EndlessLayout L = endlessLayout(c.w, c.h);
        const double k = puzzleScreenScale(c.w, c.h);
        for (size_t i = 0; i < L.steps.size(); ++i) {
            const int step = static_cast<int>(i);
            if (ui::pageChip(c, L.steps[i], i18n::tr(puzzle::steps()[i].key), step == lastStep(),
                             false) &&
                step != lastStep()) {
                audio::play(audio::Sfx::Click);
                lastStep() = step;
                prefetchEndless(step);
            }
        }
        ui::MenuBtnOpts o;
        o.primary = true;
        o.fontSize = 17 * k;
        if (ui::menuButton(c, L.newPuzzle, i18n::tr("puzzles.newPuzzle"), o)) {
            open(c);
            return;
        }
        if (maker::busy()) progress(c, L.progress, k);
        results(c, L.results, k);
        ui::footer(c, c.h);
        if (c.in.hasKey(SDLK_ESCAPE)) c.pop();
    }

  private:
    // The next puzzle opens at once, made or not: the board waits for it on its own.
    void open(ui::Ctx& c) {
        audio::play(audio::Sfx::Click);
        const int step = lastStep();
        ui::GameState s;
        s.kind = ui::ScreenKind::Playing;
        s.code = puzzle::encode(nextEndlessId(step));
        takeEndless(step);
        prefetchEndless(step);
        c.push(s);
    }

    // A turning arc and a line, while the maker is at work.
    static void progress(ui::Ctx& c, const ui::Rect& r, double k) {
        const std::string text = i18n::tr("puzzles.preparing");
        const ui::TextStyle st = ui::widgetTextStyle(13 * k, false, theme::kText, 1, r.w - 40 * k);
        double tw = 0;
        ui::measureText(c.cr, text, st, &tw, nullptr);
        const ui::Mirror m(r);
        const double cx = m.x(r.cx() - tw / 2 - 14 * k), cy = r.cy(), rad = 7 * k;
        const double a = std::fmod(c.t * 2 * kPi, 2 * kPi);
        ui::setColor(c.cr, theme::kAccent, 1);
        cairo_set_line_width(c.cr, 2.2 * k);
        cairo_new_path(c.cr);
        cairo_arc(c.cr, cx, cy, rad, a, a + 1.4 * kPi);
        cairo_stroke(c.cr);
        ui::drawTextCentered(c.cr, r.cx() + m.sign() * 6 * k, cy, text, st);
    }

    // The streaks, then per step the puzzles solved and the share of three-star solves.
    void results(ui::Ctx& c, const ui::Rect& r, double k) {
        ui::panel(c.cr, r, 0.94);
        const double maxW = r.w - 24;
        ui::drawTextCentered(c.cr, r.cx(), r.y + 16 * k, i18n::tr("puzzles.results"),
                             ui::widgetTextStyle(16 * k, true, theme::kText, 1, maxW));
        ui::drawTextCentered(c.cr, r.cx(), r.y + 38 * k, streakLine(streaks_),
                             ui::widgetTextStyle(13 * k, false, theme::kTextMuted, 1, maxW));
        const ui::Mirror m(r);
        const double rowH = (r.h - 58 * k) / static_cast<double>(byStep_.size());
        const double colW = (r.w - 32) / 3;
        for (size_t i = 0; i < byStep_.size(); ++i) {
            const double y = r.y + 54 * k + i * rowH;
            if (i > 0) ui::drawLine(c.cr, r.x + 16, y, r.right() - 16, y, 1, theme::kBorder, 1);
            const StepResults& s = byStep_[i];
            const std::string share =
                s.solved == 0 ? "\u2014"
                              : i18n::tr("puzzles.threeStarShare",
                                         {{"pct", std::to_string(static_cast<int>(std::lround(
                                                      100.0 * s.threeStars / s.solved)))}});
            const std::string cells[] = {i18n::tr(puzzle::steps()[i].key),
                                         i18n::trPlural("puzzles.solvedCount", s.solved), share};
            for (int col = 0; col < 3; ++col) {
                ui::TextStyle st = ui::widgetTextStyle(13 * k, col == 0, theme::kText, 1, colW - 8);
                st.align = col == 0 ? ui::Align::Left : ui::Align::Right;
                const double x = col == 0 ? r.x + 16 : r.x + 16 + (col + 1) * colW;
                ui::drawText(c.cr, m.x(x), y + rowH / 2 - 9 * k, cells[col], m.text(st));
            }
        }
    }

    std::vector<StepResults> byStep_;
    puzzle::Streaks streaks_;
};

}  // namespace

EndlessLayout endlessLayout(double w, double h) {
    const double k = puzzleScreenScale(w, h);
    EndlessLayout L;
    const size_t n = puzzle::steps().size();
    const double gap = 8 * k;
    const double cw = std::min(120 * k, (w - 32 - (n - 1) * gap) / n);
    const double rowW = n * cw + (n - 1) * gap;
    const ui::Mirror m(0, w);
    for (size_t i = 0; i < n; ++i)
        L.steps.push_back(m.rect({(w - rowW) / 2 + i * (cw + gap), 60 * k, cw, 34 * k}));
    const double bw = std::min(w - 32, 240 * k);
    L.newPuzzle = {(w - bw) / 2, 106 * k, bw, 46 * k};
    L.progress = {(w - 360 * k) / 2, L.newPuzzle.bottom() + 4 * k, 360 * k, 24 * k};
    const double pw = std::min(w - 32, 520 * k);
    const double top = L.progress.bottom() + 4 * k;
    L.results = {(w - pw) / 2, top, pw, std::min(h - 34 - top, 230 * k)};
    return L;
}

std::unique_ptr<ui::Screen> makeEndless() {
    return std::make_unique<Endless>();
}

}  // namespace screens
