// The solved screen: scores the result, stores best and unlock, reveals the stars and offers
// the next level, a replay or the menu; after a generated puzzle, the next endless puzzle, a
// replay or the menu.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/levels.h"
#include "core/numbers.h"
#include "core/puzzle_code.h"
#include "core/state.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "platform/audio.h"
#include "screens/common.h"
#include "screens/puzzle_flow.h"
#include "screens/screens.h"
#include "screens/solved.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/widgets.h"

namespace screens {
namespace {

// Sizes of the centred block; the compact set keeps it on windows lower than 620 units. The
// headline sits low enough under the star row that a pulsing star never touches its letters;
// the block grows by that room.
struct SolvedLayout {
    double scale, starOffset, headlineOffset, headlineSize, firstLine, lineSize, gap, buttonH,
        buttonPitch, buttonFont, bottomSpace, blockThree, blockFewer;
};
constexpr SolvedLayout kNormal{1.0, 34, 90, 36, 52, 22, 41.8, 50, 66, 17, 198, 484.1, 518.2};
constexpr SolvedLayout kCompact{0.7, 23.8, 63.6, 26, 34, 17, 32.3, 40, 50, 14, 150, 358.95, 385.3};
// The level line stands on the sea in every world: a deep shade of its teal reads there.
constexpr uint32_t kLevelLineColour = 0x13505C;

const SolvedLayout& layoutFor(double h) {
    return h < 620 ? kCompact : kNormal;
}

// smallLine: a small line stands between the moves and the time (the optimum, or "with hints").
double blockTop(double h, bool smallLine) {
    const SolvedLayout& L = layoutFor(h);
    const double block = smallLine ? L.blockFewer : L.blockThree;
    return std::max((h - block) / 2, 0.06 * h);
}

std::array<ui::Rect, 3> buttonRects(double w, double h, bool smallLine) {
    const SolvedLayout& L = layoutFor(h);
    // The time line sits below the level and moves lines and the small line.
    double lastLine =
        blockTop(h, smallLine) + L.headlineOffset + L.firstLine + 2 * 1.55 * L.lineSize;
    if (smallLine) lastLine += 1.2 * L.lineSize;
    const double bw = std::min(0.72 * w, 300.0);
    const double by = std::min(lastLine + L.gap, h - L.bottomSpace - 44);
    std::array<ui::Rect, 3> out;
    for (int i = 0; i < 3; ++i)
        out[i] = {(w - bw) / 2, by + i * L.buttonPitch, bw, L.buttonH};
    return out;
}

class Solved : public ui::Screen {
  public:
    // A catalogue level's solve (code empty) or a generated puzzle's, whose optimum comes along.
    Solved(int level, int moves, int64_t elapsedMs, int hints, const std::string& code = "",
           const std::string& date = "", int optimum = 0)
        : level_(level),
          code_(code),
          date_(date),
          moves_(moves),
          optimum_(code.empty() ? mar::levelInfo(level).solutionLength : optimum),
          hints_(std::max(hints, 0)),
          stars_(mar::computeStars(moves, optimum_, hints_)),
          elapsedMs_(elapsedMs),
          hasNext_(code.empty() ? level + 1 < mar::totalLevels() : date.empty()) {
        // A generated puzzle's result is stored with its solve and touches no level's progress.
        if (!code_.empty()) return;
        // Both are merges keeping the better value, so rebuilding the screen is harmless.
        store::advanceUnlockedLevel(level_ + 2);
        store::recordBest(level_, {stars_, moves_, elapsedMs_});
    }

    void update(ui::Ctx& c) override {
        const SolvedLayout& L = layoutFor(c.h);
        const double y0 = blockTop(c.h, smallLine());
        const std::vector<InfoLine> lines = infoLines(L);
        // The burst turns round the result lines and leaves them on the plain background.
        drawWallpaper(c, linesRect(c, lines, y0 + L.headlineOffset + L.firstLine));
        if (start_ < 0) start_ = c.t;
        const double age = c.t - start_;
        voiceStars(age);
        ui::starRow(c, c.w / 2, y0 + L.starOffset, stars_, L.scale, c.t, age);
        drawLines(c, L, lines, y0 + L.headlineOffset, age);
        if (buttons(c, L)) return;
        ui::footer(c, c.h);
    }

  private:
    struct InfoLine {
        std::string text;
        uint32_t colour;
        double size, phase, advance;  // advance: down to the next line's centre
    };

    bool isPuzzle() const { return !code_.empty(); }
    // A puzzle always names its proven optimum; a level only when it was missed.
    bool smallLine() const { return stars_ < 3 || isPuzzle(); }

    // The level or puzzle, moves, a small line under three stars, and the time.
    std::vector<InfoLine> infoLines(const SolvedLayout& L) const {
        const double ls = L.lineSize;
        const std::string title =
            isPuzzle() ? puzzleTitle(code_, date_)
                       : i18n::tr("solved.levelLine", {{"n", std::to_string(level_ + 1)}});
        std::vector<InfoLine> out{{title, kLevelLineColour, ls, 0, 1.55 * ls},
                                  {i18n::tr("solved.movesLine", {{"n", std::to_string(moves_)}}),
                                   theme::kAccent, ls, 0.6, 1.55 * ls}};
        // Under three stars one small line says why: the hints, or else the optimum to beat.
        if (hints_ > 0)
            out.push_back({i18n::tr("solved.withHints"), 0xC8902E, 0.75 * ls, 1.2, 1.2 * ls});
        else if (isPuzzle())
            out.push_back({i18n::trPlural("solved.provenOptimum", optimum_), 0xC8902E, 0.75 * ls,
                           1.2, 1.2 * ls});
        else if (stars_ < 3)
            out.push_back({i18n::tr("solved.optimumHint", {{"n", std::to_string(optimum_)}}),
                           0xC8902E, 0.75 * ls, 1.2, 1.2 * ls});
        out.push_back({i18n::tr("solved.timeLine", {{"time", ui::formatTime(elapsedMs_)}}),
                       0x6F9C3A, ls, 1.8, 0});
        return out;
    }

    static ui::TextStyle lineStyle(const ui::Ctx& c, const InfoLine& l) {
        ui::TextStyle st = theme::textStyle(theme::TextRole::Raised, l.size);
        st.color = l.colour;
        st.maxWidth = c.w - 40;
        return st;
    }

    // Where the lines, from the first one's centre at firstY, bob with their shadows.
    static ui::Rect linesRect(ui::Ctx& c, const std::vector<InfoLine>& lines, double firstY) {
        double halfW = 0, top = firstY, bottom = firstY, y = firstY;
        for (const InfoLine& l : lines) {
            double w = 0, h = 0;
            ui::measureText(c.cr, l.text, lineStyle(c, l), &w, &h);
            halfW = std::max(halfW, std::min(w, c.w - 40) / 2);
            // 2 of bobbing either way; the shadow blurs 3 and falls 2 lower.
            top = std::min(top, y - h / 2 - 2 - 3);
            bottom = std::max(bottom, y + h / 2 + 2 + 5);
            y += l.advance;
        }
        return {c.w / 2 - halfW - 6, top, 2 * halfW + 12, bottom - top};
    }
    // One chime per star, 0.43 s apart, the first 0.35 s after the screen opens.
    void voiceStars(double age) {
        while (soundsPlayed_ < stars_ && age >= 0.35 + 0.43 * soundsPlayed_) {
            static constexpr audio::Sfx kStarSfx[] = {audio::Sfx::Star1, audio::Sfx::Star2,
                                                      audio::Sfx::Star3};
            audio::play(kStarSfx[std::min(soundsPlayed_, 2)]);
            ++soundsPlayed_;
        }
    }

    // The breathing headline, then the result lines, each bobbing gently in its own phase.
    void drawLines(ui::Ctx& c, const SolvedLayout& L, const std::vector<InfoLine>& lines,
                   double headY, double age) const {
        const double breath = (std::sin(age * kPi / 1.1) + 1) / 2;
        ui::TextStyle head =
            theme::textStyle(theme::TextRole::Headline, L.headlineSize * (1 + 0.08 * breath));
        head.alpha = 0.85 + 0.15 * breath;
        head.maxWidth = c.w - 40;
        ui::drawTextCentered(c.cr, c.w / 2, headY, i18n::tr("solved.headline"), head);

        double y = headY + L.firstLine;
        for (const InfoLine& l : lines) {
            ui::drawTextCentered(c.cr, c.w / 2, y + 2 * std::sin(age * 2.4 + l.phase), l.text,
                                 lineStyle(c, l));
            y += l.advance;
        }
    }

    // Next level (or the temple after the last), again, menu; true when one of them was chosen.
    bool buttons(ui::Ctx& c, const SolvedLayout& L) {
        if (isPuzzle()) return puzzleButtons(c, L);
        const auto rects = buttonRects(c.w, c.h, smallLine());
        const std::string first =
            hasNext_ ? i18n::tr("solved.nextLevel", {{"n", std::to_string(level_ + 2)}})
                     : i18n::tr("solved.toTemple");
        ui::GameState next;
        if (ui::menuButton(c, rects[0], first, buttonOpts(L, true))) {
            next.kind = hasNext_ ? ui::ScreenKind::Playing : ui::ScreenKind::Ending;
            next.level = hasNext_ ? level_ + 1 : 0;
            next.seed = hasNext_ ? freshSeed() : 0;
            next.forcePerfect = -1;
        } else if (ui::menuButton(c, rects[1], i18n::tr("solved.again"), buttonOpts(L, false))) {
            next.kind = ui::ScreenKind::Playing;
            next.level = level_;
            next.seed = freshSeed();
        } else if (ui::menuButton(c, rects[2], i18n::tr("solved.toMenu"), buttonOpts(L, false))) {
            return toMenu(c);
        } else {
            return false;
        }
        leave();
        c.replace(next);
        return true;
    }

    // The next endless puzzle of the same step (none after a daily), again, menu.
    bool puzzleButtons(ui::Ctx& c, const SolvedLayout& L) {
        const auto rects = buttonRects(c.w, c.h, smallLine());
        // After a daily there is no next puzzle: "Play again" moves up and leads.
        const int again = hasNext_ ? 1 : 0;
        ui::GameState next;
        next.kind = ui::ScreenKind::Playing;
        next.level = -1;
        if (hasNext_ &&
            ui::menuButton(c, rects[0], i18n::tr("solved.nextPuzzle"), buttonOpts(L, true))) {
            const std::optional<puzzle::Id> id = puzzle::decode(code_);
            const int step = puzzle::stepOfSize(id ? id->size : 0);
            next.code = puzzle::encode(nextEndlessId(step));
            takeEndless(step);
        } else if (ui::menuButton(c, rects[again], i18n::tr("solved.again"),
                                  buttonOpts(L, again == 0))) {
            next.code = code_;
            next.date = date_;
        } else if (ui::menuButton(c, rects[again + 1], i18n::tr("solved.toMenu"),
                                  buttonOpts(L, false))) {
            return toMenu(c);
        } else {
            return false;
        }
        leave();
        c.replace(next);
        return true;
    }

    static ui::MenuBtnOpts buttonOpts(const SolvedLayout& L, bool primary) {
        ui::MenuBtnOpts o;
        o.primary = primary;
        o.fontSize = L.buttonFont;
        return o;
    }

    static bool toMenu(const ui::Ctx& c) {
        leave();
        ui::GameState menu;
        menu.kind = ui::ScreenKind::Menu;
        c.resetTo(menu);
        return true;
    }

    // Every way out discards a saved game, so the next board never resumes a stale one.
    static void leave() {
        audio::play(audio::Sfx::Click);
        store::clearGame();
    }
    // A new board gets a new seed, so its marbles and liquids differ from the last attempt.
    static uint32_t freshSeed() { return static_cast<uint32_t>(store::nowMs() & 0xFFFFFFFFu); }

    int level_;
    std::string code_, date_;  // a generated puzzle's; empty after a catalogue level
    int moves_;
    int optimum_;
    int hints_;
    int stars_;
    int soundsPlayed_ = 0;
    int64_t elapsedMs_;
    bool hasNext_;
    double start_ = -1;
};

}  // namespace

SolvedHeading solvedHeading(double h, int stars) {
    const SolvedLayout& L = layoutFor(h);
    const double y0 = blockTop(h, stars < 3);
    return {y0 + L.starOffset, L.scale, y0 + L.headlineOffset, L.headlineSize};
}

std::array<ui::Rect, 3> solvedButtonRects(double w, double h, int stars) {
    return buttonRects(w, h, stars < 3);
}

std::unique_ptr<ui::Screen> makeSolvedScreen(int level, int moves, int64_t elapsedMs, int hints) {
    return std::make_unique<Solved>(level, moves, elapsedMs, hints);
}

std::unique_ptr<ui::Screen> makeSolved(const ui::GameState& s) {
    return std::make_unique<Solved>(s.level, s.moves, s.elapsedMs, s.hints, s.code, s.date,
                                    s.optimum);
}

}  // namespace screens
