// The main menu: title, a column of big buttons, and the hand-over to the demo when left alone.
#include "screens/menu.h"

#include <algorithm>
#include <memory>
#include <string>

#include "core/levels.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "platform/audio.h"
#include "screens/common.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/mirror.h"
#include "ui/title.h"
#include "ui/widgets.h"

namespace screens {
namespace {

constexpr double kIdleSeconds = 60;
constexpr int kEscape = 27;

double fitTitle(cairo_t* cr, double w, double size) {
    while (size > 14 && ui::measureRainbowTitleCairo(cr, kGameTitle, size) > w - 48)
        size -= 1;
    return size;
}

double startSize(double w, double h, double small, double medium, double large) {
    if (h < 500) return small;
    return std::min(w, h) < 600 ? medium : large;
}

ui::GameState record(ui::ScreenKind kind) {
    ui::GameState s;
    s.kind = kind;
    return s;
}

class Menu : public ui::Screen {
  public:
    Menu() : save_(store::loadGame()), unlocked_(store::unlockedLevel()) {
        const int total = std::max(1, mar::totalLevels());
        // Continue offers exactly the game the board would resume.
        if (!store::savedGameProblem(save_).empty()) save_.valid = false;
        unlocked_ = std::clamp(unlocked_, 1, total + 1);
        const puzzle::Date today = store::localDate(store::nowMs());
        for (const store::PuzzleResult& r : store::listPuzzleResults())
            if (r.date == puzzle::isoDate(today) && r.solvedOn == r.date) dailyDone_ = true;
    }

    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        if (lastInput_ < 0 || c.in.any()) lastInput_ = c.t;
        c.wakeBy(lastInput_ + kIdleSeconds + 0.01);  // the hand-over below needs more than 60 s
        // A stray B on a handheld must not end the session, so it asks first; the question opens
        // in this very frame, so that the focus is in it before the next press.
        if (!quitAsked_ && c.in.pad && c.claimKey(kEscape)) quitAsked_ = true;
        // While the question is open, the buttons beneath are drawn without the frame's input.
        const ui::Input input = c.in;
        if (quitAsked_) {
            c.in = ui::Input{};
            c.in.mouseX = c.in.mouseY = -1e9;
        }

        const double size = menuTitleSize(c.cr, c.w, c.h);
        const double titleY = 0.05 * c.h;
        ui::drawRainbowTitle(c, 0.5 * c.w, titleY, kGameTitle, size);

        ui::TextStyle tag =
            theme::textStyle(theme::TextRole::OverScenery, std::min(c.w, c.h) >= 600 ? 16 : 14);
        tag.maxWidth = c.w - 48;
        ui::drawText(c.cr, 0.5 * c.w, titleY + size * 1.35, i18n::tr("app.tagline"), tag);

        if (buttons(c, size)) return;

        // A window too low for both gives the row the footer's place.
        if (lastRowBottom_ <= c.h - 24) ui::footer(c, c.h);

        if (quitAsked_) {
            c.in = input;
            askToQuit(c);
        } else if (c.in.hasKey(kEscape)) {
            c.quitRequested = true;
        } else if (c.t - lastInput_ > kIdleSeconds) {
            ui::GameState demo = record(ui::ScreenKind::Attract);
            demo.runId = static_cast<uint32_t>(store::nowMs());
            c.replace(demo);
        }
    }

  private:
    // Draws the column; true when a button was clicked, which ends the frame's work.
    bool buttons(ui::Ctx& c, double titleSize) {
        const int total = std::max(1, mar::totalLevels());
        const bool allCleared = unlocked_ > total;
        const int cont = save_.valid ? save_.level : std::clamp(unlocked_ - 1, 0, total - 1);
        // A saved game stays reachable even once every level is cleared.
        const bool showContinue = !allCleared || save_.valid;
        const std::vector<ui::Rect> rects =
            menuButtonRects(c.w, c.h, titleSize, showContinue ? 6 : 5);
        const double font = menuButtonFontSize(c.w, c.h);

        int slot = 0;
        auto button = [&](const std::string& label) {
            ui::MenuBtnOpts o;
            o.primary = slot == 0;
            o.breatheIndex = slot;
            o.fontSize = font;
            const bool hit = ui::menuButton(c, rects[slot], label, o);
            ++slot;
            if (hit) audio::play(audio::Sfx::Click);
            return hit;
        };
        if (button(i18n::tr(allCleared ? "menu.allCleared" : "menu.levelSelect"))) {
            c.push(record(ui::ScreenKind::LevelSelect));
            return true;
        }
        if (showContinue && button(continueLabel(cont))) {
            ui::GameState play = record(ui::ScreenKind::Playing);
            play.level = cont;
            play.seed = save_.valid ? save_.seed : static_cast<uint32_t>(store::nowMs());
            // A generated puzzle's game goes back to its puzzle.
            if (save_.valid) {
                play.code = save_.code;
                play.date = save_.date;
            }
            c.push(play);
            return true;
        }
        if (button(i18n::tr("menu.gallery"))) {
            c.push(record(ui::ScreenKind::Gallery));
            return true;
        }
        if (button(i18n::tr("menu.settings"))) {
            c.push(record(ui::ScreenKind::Settings));
            return true;
        }
        if (button(i18n::tr("menu.about"))) {
            c.push(record(ui::ScreenKind::About));
            return true;
        }
        if (button(i18n::tr("menu.quit"))) {
            c.quitRequested = true;
            return true;
        }
        return puzzleRow(c, rects.back());
    }

    // The three ways to the generated puzzles, one step from the menu at every size.
    bool puzzleRow(ui::Ctx& c, const ui::Rect& last) {
        const std::vector<ui::Rect> row = menuPuzzleRects(c.w, c.h, last);
        lastRowBottom_ = row.back().bottom();
        const struct {
            const char* label;
            ui::ScreenKind kind;
        } entries[] = {{"menu.daily", ui::ScreenKind::Daily},
                       {"menu.endless", ui::ScreenKind::Endless},
                       {"menu.enterCode", ui::ScreenKind::EnterCode}};
        ui::MenuBtnOpts o;
        o.fontSize = menuButtonFontSize(c.w, c.h) - 1;
        for (size_t i = 0; i < row.size(); ++i) {
            const bool hit = ui::menuButton(c, row[i], i18n::tr(entries[i].label), o);
            // Today's puzzle solved: a tick at the daily button's far end.
            if (i == 0 && dailyDone_) {
                const ui::Mirror m(row[0]);
                ui::drawCheck(c.cr, m.x(row[0].right() - 16), row[0].cy(), 12, theme::kAccent, 1);
            }
            if (!hit) continue;
            audio::play(audio::Sfx::Click);
            c.push(record(entries[i].kind));
            return true;
        }
        return false;
    }

    std::string continueLabel(int level) const {
        if (!save_.valid || save_.code.empty())
            return i18n::tr("menu.continue", {{"n", std::to_string(level + 1)}});
        if (!save_.date.empty()) return i18n::tr("menu.continueDaily");
        return i18n::tr("menu.continuePuzzle", {{"code", save_.code}});
    }

    void askToQuit(ui::Ctx& c) {
        const int answer =
            ui::confirmDialog(c, i18n::tr("menu.quitTitle"), i18n::tr("menu.quitMessage"),
                              i18n::tr("menu.quitConfirm"), i18n::tr("menu.quitCancel"));
        if (answer == 1) c.quitRequested = true;
        // B or Escape answers the question with "keep playing", as in any dialog.
        if (answer != 0 || c.in.hasKey(kEscape)) quitAsked_ = false;
        // The demo never takes over from an open question.
        lastInput_ = c.t;
    }

    store::SavedGame save_;
    int unlocked_;
    bool dailyDone_ = false;  // today's daily solved on its day
    bool quitAsked_ = false;
    double lastInput_ = -1;
    double lastRowBottom_ = 0;
};

}  // namespace

double splashTitleSize(cairo_t* cr, double w, double h) {
    return fitTitle(cr, w, startSize(w, h, 31, 38, 54));
}

double menuTitleSize(cairo_t* cr, double w, double h) {
    return fitTitle(cr, w, startSize(w, h, 33, 48, 62));
}

std::vector<ui::Rect> menuButtonRects(double w, double h, double titleSize, int count) {
    const bool shortWindow = h < 500;
    const double m = std::min(w, h);
    const double bw = std::min(0.72 * w, shortWindow ? 260.0 : 300.0);
    const double bh = shortWindow ? 38 : m < 600 ? 46 : 54;
    const double gap = shortWindow ? 10 : 18;
    const double top = shortWindow ? 10 : 40;
    const double block = count * bh + (count - 1) * gap;
    const double k = h - block;
    const double titleY = 0.05 * h;
    const double y0 = std::min(k - 56, std::max(top + k / 2, titleY + 2.1 * titleSize + 24));
    std::vector<ui::Rect> rects;
    for (int i = 0; i < count; ++i)
        rects.push_back(ui::Rect{(w - bw) / 2, y0 + i * (bh + gap), bw, bh});
    return rects;
}

std::vector<ui::Rect> menuPuzzleRects(double w, double h, const ui::Rect& last) {
    // Wider than the column, so that three labels fit side by side; it stays within the margin
    // of 56 the column keeps below itself.
    const bool shortWindow = h < 500;
    // A narrow window gives the labels every unit it can spare.
    const bool narrow = w < 480;
    const double gap = narrow ? 6 : shortWindow ? 8 : 12;
    const double bh = shortWindow ? 34 : 40;
    const double rowW = std::min(w - (narrow ? 12 : 24), 1.7 * last.w);
    const double bw = (rowW - 2 * gap) / 3;
    const ui::Mirror m(0, w);
    std::vector<ui::Rect> rects;
    for (int i = 0; i < 3; ++i)
        rects.push_back(
            m.rect(ui::Rect{(w - rowW) / 2 + i * (bw + gap), last.bottom() + gap, bw, bh}));
    return rects;
}

double menuButtonFontSize(double w, double h) {
    if (h < 500) return 13;
    return std::min(w, h) < 600 ? 15 : 18;
}

std::unique_ptr<ui::Screen> makeMenu() {
    return std::make_unique<Menu>();
}

}  // namespace screens
