// The daily puzzle: today's puzzle with its size and the streaks, and the last thirty days, each
// of which can be played.
#include <SDL.h>

#include <algorithm>
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
#include "screens/puzzle_screens.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/focus.h"
#include "ui/mirror.h"
#include "ui/widgets.h"

namespace screens {
namespace {

// A solve on the day itself outweighs any later one.
DayState stateOf(const puzzle::Date& d, const std::vector<puzzle::DailySolve>& solves) {
    DayState s = DayState::Open;
    for (const puzzle::DailySolve& e : solves) {
        if (!(e.date == d)) continue;
        if (e.solvedOn == d) return DayState::OnTime;
        s = DayState::Late;
    }
    return s;
}

const char* stateKey(DayState s) {
    switch (s) {
        case DayState::OnTime:
            return "puzzles.daySolved";
        case DayState::Late:
            return "puzzles.daySolvedLate";
        case DayState::Open:
            break;
    }
    return "puzzles.dayOpen";
}

// The mark of a solved day: a tick for one solved on its day, a ring for one solved later, so
// the two differ by shape and not by colour alone.
void dayMark(cairo_t* cr, double cx, double cy, double size, DayState s, uint32_t colour) {
    if (s == DayState::OnTime) ui::drawCheck(cr, cx, cy, size, colour, 1);
    if (s == DayState::Late) ui::strokeCircle(cr, cx, cy, 0.45 * size, 1.6, colour, 1);
}

class Daily : public ui::Screen {
  public:
    Daily() {
        const puzzle::Date today = store::localDate(store::nowMs());
        view_ = dailyView(store::listPuzzleResults(), today);
        selected_ = kDailyDays - 1;
        maker::prefetch(puzzle::dailyId(today));
    }

    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        if (cardListHeader(c, i18n::tr("puzzles.back"), i18n::tr("puzzles.dailyHeadline"))) return;
        const DailyLayout L = dailyLayout(c.w, c.h);
        const double k = puzzleScreenScale(c.w, c.h);
        info(c, L, k);
        if (ui::menuButton(c, L.play, i18n::tr("puzzles.play"), playOpts(k))) {
            play(c);
            return;
        }
        dayGrid(c, L, k);
        legend(c, L, k);
        ui::footer(c, c.h);
        if (c.in.hasKey(SDLK_ESCAPE)) c.pop();
    }

  private:
    static ui::MenuBtnOpts playOpts(double k) {
        ui::MenuBtnOpts o;
        o.primary = true;
        o.fontSize = 17 * k;
        return o;
    }

    // The chosen day: its date and size, whether it is solved, and the streaks.
    void info(ui::Ctx& c, const DailyLayout& L, double k) {
        ui::panel(c.cr, L.panel, 0.94);
        const puzzle::Date& date = view_.dates[static_cast<size_t>(selected_)];
        const DayState state = view_.states[static_cast<size_t>(selected_)];
        const std::string step =
            i18n::tr(puzzle::steps()[static_cast<size_t>(puzzle::dailyStep(date))].key);
        const double cx = L.panel.cx(), maxW = L.panel.w - 24;
        ui::drawTextCentered(c.cr, cx, L.panel.y + 20 * k, ui::formatDay(date) + " \u00B7 " + step,
                             ui::widgetTextStyle(18 * k, true, theme::kText, 1, maxW));
        const std::string label = i18n::tr(stateKey(state));
        const ui::TextStyle st = ui::widgetTextStyle(15 * k, false, theme::kText, 1, maxW - 30 * k);
        double tw = 0;
        ui::measureText(c.cr, label, st, &tw, nullptr);
        const double y = L.panel.y + 48 * k;
        ui::drawTextCentered(c.cr, cx, y, label, st);
        const ui::Mirror m(cx - tw / 2 - 16 * k, cx + tw / 2 + 16 * k);
        dayMark(c.cr, m.x(cx + tw / 2 + 12 * k), y, 14 * k, state, theme::kAccentMuted);

        ui::drawTextCentered(c.cr, cx, L.panel.y + 74 * k, streakLine(view_.streaks),
                             ui::widgetTextStyle(14 * k, false, theme::kTextMuted, 1, maxW));
    }

    // One chip per day, oldest first; a click chooses the day the panel and Play are about.
    void dayGrid(ui::Ctx& c, const DailyLayout& L, double k) {
        for (size_t i = 0; i < view_.dates.size(); ++i) {
            const ui::Rect& r = L.days[i];
            const bool chosen = static_cast<int>(i) == selected_;
            const ui::FocusHit focus = c.focusable(r, chosen);
            const uint32_t ink = chosen ? 0xFFFFFF : theme::kText;
            ui::fillRoundedRect(c.cr, r, 9 * k, chosen ? theme::kAccent : theme::kPillFill, 1);
            const bool today = i + 1 == view_.dates.size();
            ui::strokeRoundedRect(c.cr, r.inset(0.5), 9 * k, today ? 2 : 1,
                                  today ? theme::kAccentMuted : theme::kBorder, 1);
            ui::drawTextCentered(c.cr, r.cx(), r.y + 0.36 * r.h, std::to_string(view_.dates[i].day),
                                 ui::widgetTextStyle(14 * k, true, ink, 1, r.w - 4));
            dayMark(c.cr, r.cx(), r.y + 0.74 * r.h, 0.3 * r.h, view_.states[i], ink);
            if (focus.ring) ui::drawFocusRing(c.cr, r, 9 * k);
            if (c.takeClick(r) || focus.activated) {
                audio::play(audio::Sfx::Click);
                selected_ = static_cast<int>(i);
            }
        }
    }

    // What the two marks mean.
    void legend(ui::Ctx& c, const DailyLayout& L, double k) {
        const double y = L.days.back().bottom() + 22 * k;
        const double gap = 24 * k;
        const ui::TextStyle base = ui::widgetTextStyle(13 * k, false, theme::kText, 1, 0.4 * c.w);
        const ui::Mirror m(0, c.w);
        const std::pair<DayState, const char*> items[] = {
            {DayState::OnTime, "puzzles.onItsDay"}, {DayState::Late, "puzzles.daySolvedLate"}};
        double widths[2] = {0, 0};
        for (int i = 0; i < 2; ++i)
            ui::measureText(c.cr, i18n::tr(items[i].second), base, &widths[i], nullptr);
        double x = (c.w - (widths[0] + widths[1] + 2 * 22 * k + gap)) / 2;
        for (int i = 0; i < 2; ++i) {
            dayMark(c.cr, m.x(x + 8 * k), y, 13 * k, items[i].first, theme::kAccentMuted);
            ui::TextStyle st = base;
            st.align = ui::Align::Left;
            ui::drawText(c.cr, m.x(x + 22 * k), y - 9 * k, i18n::tr(items[i].second), m.text(st));
            x += 22 * k + widths[i] + gap;
        }
    }

    void play(ui::Ctx& c) {
        audio::play(audio::Sfx::Click);
        const puzzle::Date date = view_.dates[static_cast<size_t>(selected_)];
        ui::GameState s;
        s.kind = ui::ScreenKind::Playing;
        s.code = puzzle::encode(puzzle::dailyId(date));
        s.date = puzzle::isoDate(date);
        c.push(s);
    }

    DailyView view_;
    int selected_ = 0;
};

}  // namespace

std::vector<puzzle::DailySolve> dailySolves(const std::vector<store::PuzzleResult>& results) {
    std::vector<puzzle::DailySolve> out;
    for (const store::PuzzleResult& r : results) {
        const auto date = puzzle::parseIsoDate(r.date);
        const auto on = puzzle::parseIsoDate(r.solvedOn);
        if (date && on) out.push_back({*date, *on});
    }
    return out;
}

std::string streakLine(const puzzle::Streaks& s) {
    return i18n::trPlural("puzzles.streak", s.current) + "   " +
           i18n::trPlural("puzzles.bestStreak", s.best);
}

DailyView dailyView(const std::vector<store::PuzzleResult>& results, const puzzle::Date& today) {
    const std::vector<puzzle::DailySolve> solves = dailySolves(results);
    DailyView v;
    v.streaks = puzzle::streaks(solves, today);
    const long last = puzzle::dayNumber(today);
    for (long d = last - kDailyDays + 1; d <= last; ++d) {
        v.dates.push_back(puzzle::dateOfDay(d));
        v.states.push_back(stateOf(v.dates.back(), solves));
    }
    return v;
}

double puzzleScreenScale(double w, double h) {
    return std::clamp(std::min(w / 800, h / 480), 1.0, 2.0);
}

DailyLayout dailyLayout(double w, double h) {
    const double k = puzzleScreenScale(w, h);
    DailyLayout L;
    const double pw = std::min(w - 32, 520 * k);
    L.panel = {(w - pw) / 2, 62 * k, pw, 150 * k};
    const double bw = std::min(pw - 40, 220 * k);
    L.play = {(w - bw) / 2, L.panel.bottom() - 54 * k, bw, 42 * k};
    // Two rows of fifteen where they fit, else three of ten.
    const double gap = 6 * k;
    int cols = kDailyDays / 2;
    double size = std::min(44 * k, (w - 32 - (cols - 1) * gap) / cols);
    if (size < 34) {
        cols = kDailyDays / 3;
        size = std::min(44 * k, (w - 32 - (cols - 1) * gap) / cols);
    }
    const double gridW = cols * size + (cols - 1) * gap;
    const ui::Mirror m(0, w);
    for (int i = 0; i < kDailyDays; ++i) {
        const ui::Rect r{(w - gridW) / 2 + (i % cols) * (size + gap),
                         L.panel.bottom() + 14 * k + (i / cols) * (size + gap), size, size};
        L.days.push_back(m.rect(r));
    }
    return L;
}

std::unique_ptr<ui::Screen> makeDaily() {
    return std::make_unique<Daily>();
}

}  // namespace screens
