// The playing screen: lays out the board, animates flights, bounces, glows and liquid,
// draws board and chrome, and turns taps and keys into moves; a generated puzzle's board waits
// for the puzzle maker without holding up a frame.
#include "screens/playing.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "core/numbers.h"
#include "core/puzzle_code.h"
#include "core/state.h"
#include "i18n/i18n.h"
#include "platform/audio.h"
#include "platform/puzzle_maker.h"
#include "screens/board_advice.h"
#include "screens/board_motion.h"
#include "screens/common.h"
#include "screens/playing_logic.h"
#include "screens/puzzle_flow.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/focus.h"
#include "ui/gpu.h"
#include "ui/hint_marks.h"
#include "ui/marble.h"
#include "ui/mirror.h"
#include "ui/motion.h"
#include "ui/tube.h"
#include "ui/widgets.h"

namespace screens {

// ---- Geometry ----

namespace {
// Between two rows: room for a hint's arrow from the lower row's mouths up to under the upper
// row's marbles.
constexpr double kHintRowGap = 40;
}  // namespace

void layoutBoard(BoardLayout& out, double w, double h, int n, int cap, bool attract) {
    double top = 72;
    if (attract) {
        out.headerH = out.footerH = 0;
        top = 8;
    } else if (h < 560) {
        out.headerH = 52;
        out.footerH = 58;
        top = 60;
    } else {
        out.headerH = 64;
        out.footerH = 76;
        top = 72;
    }
    const double W = w - 24;
    const double H = h - out.headerH - out.footerH - 16;
    out.rows = n > 7 ? 2 : 1;
    const double rowH = H / out.rows;
    out.perRow = std::max(1, (n + out.rows - 1) / out.rows);
    const int k = out.perRow;
    const double s = std::min({W / k * 0.78, rowH / (cap + 1) * 0.92, 0.15 * std::min(w, h)});
    const double marbleD = std::floor(0.78 * s);
    const double tubeW = std::floor(s);
    const double tubeH = std::floor(cap * marbleD + (cap - 1) * 3 + 0.4 * marbleD + 16);
    // The upper row's ground shadows end before the lower row's openings begin; where the window
    // has room, the gap also holds a hint's arc between two tubes of the lower row.
    const ui::TubeReach reach = ui::tubeReach(tubeW);
    const double shadowGap = std::max(12.0, std::ceil(reach.below + reach.above + 2));
    const double rowGap =
        out.rows == 2 ? std::max(shadowGap, std::min(kHintRowGap, std::floor((H - 2 * tubeH) / 2)))
                      : 0;
    const double x0 = 12 + (W - (k * tubeW + (k - 1) * 8)) / 2;
    const double y0 = top + (H - out.rows * tubeH - rowGap) / 2;
    out.tubes.resize(n);
    for (int i = 0; i < n; ++i) {
        const int row = i / k, col = i % k;
        out.tubes[i].r = {x0 + col * (tubeW + 8), y0 + row * (tubeH + rowGap), tubeW, tubeH};
        out.tubes[i].marbleD = marbleD;
    }
}

double slotCy(const TubeLayout& t, int j) {
    return t.r.y + t.r.h - 8 - t.marbleD / 2 - j * (t.marbleD + 3);
}

namespace {

constexpr double kFlightTime = 0.55;
constexpr double kSlideTime = 0.15;  // a move while motion is reduced: short, straight, no lift
constexpr double kLift = 14;

double easeInOutFlight(double t) {
    return t * t * (3 - 2 * t);
}

struct Flight {
    bool active = false;
    double t = 0;
    double duration = kFlightTime;
    bool slide = false;  // straight from slot to slot instead of the arc
    double fromX = 0, fromY = 0, toX = 0, toY = 0;
    double apexY = 0;
    double radius = 0;
    int colorId = 0;
    int targetIdx = -1;
    double startRotation = 0, deltaAngle = 0, endRotation = 0;
    double dipMagnitude = 0;
    bool triggerFlash = false;
    // Where it flies from and to, so a new layout can aim it anew.
    int sourceIdx = -1, sourceSlot = 0, targetSlot = 0;

    // The arc between the two slots of the layout: the source slot lifted, the target slot.
    void aim(const BoardLayout& b) {
        const TubeLayout& F = b.tubes[sourceIdx];
        const TubeLayout& D = b.tubes[targetIdx];
        radius = F.marbleD / 2;
        fromX = F.r.cx();
        fromY = slotCy(F, sourceSlot) - kLift;
        toX = D.r.cx();
        toY = slotCy(D, targetSlot);
        const double clearance = std::clamp(70 + 0.3 * std::fabs(toX - fromX), 80.0, 180.0);
        apexY = std::min(F.r.y, D.r.y) - radius - clearance;
    }
    // The marble's centre at the flight's present time.
    void centre(double* x, double* y) const {
        const double e = easeInOutFlight(std::clamp(t / duration, 0.0, 1.0));
        const double u = 1 - e;
        if (slide) {
            *x = u * fromX + e * toX;
            *y = u * fromY + e * toY;
            return;
        }
        // Cubic Bézier: up from the source, across at the apex, down into the target.
        *x = u * u * u * fromX + 3 * u * u * e * fromX + 3 * u * e * e * toX + e * e * e * toX;
        *y = u * u * u * fromY + 3 * u * u * e * apexY + 3 * u * e * e * apexY + e * e * e * toY;
    }
};

class Playing : public ui::Screen {
  public:
    Playing(int level, uint32_t seed, bool attract)
        : game_(level, seed, attract), motion_(restingMotion(game_.state())) {
        // The demo plays its stored solution and never asks for help.
        if (!attract) advice_.positionChanged(game_.state());
    }
    Playing(const puzzle::Puzzle& p, const std::string& date)
        : game_(p, date), motion_(restingMotion(game_.state())) {
        advice_.positionChanged(game_.state());
        // Endless play's next puzzle is made while this one is played.
        if (date.empty()) prefetchEndless(puzzle::stepOfSize(p.id.size));
    }

    // However the screen is left (back, Escape, quit, a signal), the clock since the last move
    // is kept.
    ~Playing() override { game_.leave(); }

    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        game_.beginFrame(c.t);
        layoutBoard(layout_, c.w, c.h, game_.state().tubeCount(), game_.state().capacity,
                    game_.attract());
        // A resized window moves the marble in the air onto the new layout's arc.
        if (flight_.active) flight_.aim(layout_);
        step(c);
        if (advice_.poll()) game_.noteHint();
        drawBoard(c);
        drawFlight(c);
        if (!game_.attract()) {
            drawAdvice(c);
            drawChrome(c);
        }
        drawWinFlash(c);
        handleInput(c);
    }

    bool settled() const { return game_.solvedAndSettled(); }
    const Flight& flight() const { return flight_; }

  private:
    // ---- Moves with their flight ----

    void move(int from, int to) {
        const int m = static_cast<int>(game_.state().tubes[to].size());
        const MoveOutcome out = game_.doMove(from, to);
        selected_ = -1;
        Flight f;
        f.sourceIdx = from;
        f.sourceSlot = out.fromSlot;
        f.targetIdx = to;
        f.targetSlot = m;
        f.aim(layout_);
        const double dx = f.toX - f.fromX;
        f.colorId = out.colorId;
        f.startRotation = out.startRotation;
        f.endRotation = out.endRotation;
        double base = std::fmod(out.endRotation - out.startRotation, 2 * kPi);
        if (base < 0) base += 2 * kPi;
        const double turns = std::min(1 + std::fabs(dx) / 200, 3.0);
        f.deltaAngle = dx >= 0 ? base + turns * 2 * kPi : base - turns * 2 * kPi;
        f.dipMagnitude = std::max(2.0, (game_.state().capacity - m) * 2.5);
        f.triggerFlash = out.triggerFlash;
        if (ui::motionReduced()) {
            // Turned only as far as it must, landing without a bounce.
            f.slide = true;
            f.duration = kSlideTime;
            f.deltaAngle = base;
            f.dipMagnitude = 0;
        }
        f.active = true;
        flight_ = f;
        onNewPosition();
    }

    // After a move, an undo or a restart: the liquid follows the tubes, any hint on show goes,
    // and the way ahead of the new position is asked for at once.
    void onNewPosition() {
        syncLiquid();
        if (game_.attract()) return;
        if (mar::isSolved(game_.state()))
            advice_.stop();
        else
            advice_.positionChanged(game_.state());
    }

    void askForHint() {
        if (game_.solved() || advice_.noWayForward()) return;
        audio::play(audio::Sfx::Click);
        advice_.ask();
    }

    // Complete tubes fill with their colour's liquid, voiced as they begin; others drain.
    void syncLiquid() {
        const mar::GameState& s = game_.state();
        for (int i : screens::syncLiquid(motion_, s, game_.flightTarget()))
            audio::playFluidRise(s.tubes[i].front());
    }

    void tapTube(int i) {
        if (flight_.active) return;
        const auto& tubes = game_.state().tubes;
        if (selected_ < 0) {
            if (tubes[i].empty()) return;
            selected_ = i;
            audio::play(audio::Sfx::Pickup);
        } else if (selected_ == i) {
            selected_ = -1;
            audio::play(audio::Sfx::Click);
        } else if (mar::canMoveOne(game_.state(), selected_, i)) {
            move(selected_, i);
        } else {
            flashTube_ = i;
            flashUntil_ = c_t_ + 0.25;
            audio::play(audio::Sfx::Illegal);
        }
    }

    void undo() {
        // An empty history leaves a lifted marble where it is.
        if (flight_.active || game_.historySize() == 0 || game_.solved()) return;
        game_.undo();
        selected_ = -1;
        onNewPosition();
    }

    void restart() {
        if (game_.solved()) return;
        flight_.active = false;
        game_.restart();
        selected_ = -1;
        // The start position's liquid starts afresh.
        for (TubeMotion& m : motion_)
            m.liquid = TubeMotion::Liquid::Empty;
        onNewPosition();
    }

    // ---- Per-frame animation ----

    void step(ui::Ctx& c) {
        const double d = std::min(c.dt, 0.05);
        if (flight_.active) {
            flight_.t += d;
            if (flight_.t >= flight_.duration) land();
        }
        for (TubeMotion& m : motion_)
            m.step(d);
        if (const auto m = game_.demoMoveDue(d, flight_.active)) move(m->from, m->to);
        game_.checkSolved(c.t);
        if (game_.driveWin(c.t) == WinStep::HandOver) {
            ui::GameState next;
            next.kind = ui::ScreenKind::Solved;
            next.level = game_.level();
            next.moves = game_.moveCount();
            next.elapsedMs = game_.finalElapsed();
            next.hints = game_.hintsUsed();
            next.code = game_.code();
            next.date = game_.date();
            next.optimum = game_.info().solutionLength;
            left_ = true;
            c.replace(next);
        }
    }

    // The flying marble is in its tube: the tube bounces (and glows when it is complete now),
    // and its liquid may rise.
    void land() {
        flight_.active = false;
        motion_[flight_.targetIdx].land(flight_.dipMagnitude, flight_.triggerFlash);
        game_.landFlight();
        syncLiquid();
    }

    // ---- Drawing ----

    void drawMarble(const TubeLayout& t, double x, double y, int colour, double rotation) {
        const auto& pal = game_.palette();
        const uint32_t rgb = pal.empty() ? 0x888888 : pal[colour % pal.size()];
        ui::blitMarble(x, y, t.marbleD / 2, rgb, game_.world().skin, colour + 1, rotation, 1.0);
    }

    // A tube that is not selected, flashing, bouncing, glowing, filling or awaiting a marble
    // looks the same from frame to frame.
    bool still(int i) const {
        return i != selected_ && i != flashTube_ && motion_[i].still() &&
               !(flight_.active && flight_.targetIdx == i);
    }

    void drawStillTubes() {
        const auto& st = game_.state();
        const auto& rots = game_.rotations();
        for (int i = 0; i < st.tubeCount(); ++i) {
            if (!still(i)) continue;
            const TubeLayout& t = layout_.tubes[i];
            ui::TubeStyle style;
            style.tint = game_.world().glassTint;
            ui::blitTube(t.r, style);
            const auto& tube = st.tubes[i];
            for (size_t j = 0; j < tube.size(); ++j)
                drawMarble(t, t.r.cx(), slotCy(t, static_cast<int>(j)), tube[j],
                           j < rots[i].size() ? rots[i][j] : 0);
        }
    }

    // The glass and resting marbles of the still tubes, composed once into a window-sized
    // texture and redrawn only when that picture changes, so that an idle board is one blit
    // instead of four per marble. Returns false when the renderer cannot compose (then every
    // tube is drawn as it is).
    bool blitStillTubes(const ui::Ctx& c) {
        SDL_Renderer* ren = ui::gpuRenderer();
        if (!ren || !SDL_RenderTargetSupported(ren)) return false;
        const auto& st = game_.state();
        const auto& pal = game_.palette();
        // Everything the composed picture depends on, byte for byte.
        std::string sig;
        auto put = [&sig](const auto& v) {
            sig.append(reinterpret_cast<const char*>(&v), sizeof v);
        };
        const double s = ui::gpuScale();
        put(s);
        put(game_.world().glassTint);
        put(game_.world().skin);
        double x0 = 1e18, y0 = 1e18, x1 = -1e18, y1 = -1e18;
        for (int i = 0; i < st.tubeCount(); ++i) {
            if (!still(i)) continue;
            const TubeLayout& t = layout_.tubes[i];
            put(i);
            put(t.r);
            put(t.marbleD);
            for (size_t j = 0; j < st.tubes[i].size(); ++j) {
                put(pal.empty() ? 0x888888u : pal[st.tubes[i][j] % pal.size()]);
                put(st.tubes[i][j]);
                put(j < game_.rotations()[i].size() ? game_.rotations()[i][j] : 0.0);
            }
            // The glass's margin, or the ground shadow where it reaches further.
            const double pad = ui::tubeGeometry(t.r.w).pad;
            const ui::TubeReach reach = ui::tubeReach(t.r.w);
            x0 = std::min(x0, t.r.x - reach.beside);
            y0 = std::min(y0, t.r.y - pad);
            x1 = std::max(x1, t.r.right() + reach.beside);
            y1 = std::max(y1, t.r.bottom() + std::max(pad, reach.below + 1));
        }
        if (x1 <= x0) return true;  // nothing still this frame
        const int wPx = static_cast<int>(std::lround(c.w * s)),
                  hPx = static_cast<int>(std::lround(c.h * s));
        const bool changed = sig != stillSig_;
        SDL_Texture* tex = ui::gpuRenderTarget(
            "p.still/" + std::to_string(wPx) + "x" + std::to_string(hPx), wPx, hPx,
            [](void* self) { static_cast<Playing*>(self)->drawStillTubes(); }, this, changed);
        if (!tex) return false;
        stillSig_ = sig;
        // Only the part of the window the still tubes cover, in whole device pixels.
        const int sx = std::clamp(static_cast<int>(std::floor(x0 * s)), 0, wPx);
        const int sy = std::clamp(static_cast<int>(std::floor(y0 * s)), 0, hPx);
        const int ex = std::clamp(static_cast<int>(std::ceil(x1 * s)), 0, wPx);
        const int ey = std::clamp(static_cast<int>(std::ceil(y1 * s)), 0, hPx);
        ui::gpuBlitSrc(tex, sx, sy, ex - sx, ey - sy, sx / s, sy / s, (ex - sx) / s, (ey - sy) / s,
                       1);
        return true;
    }

    void drawBoard(ui::Ctx& c) {
        c_t_ = c.t;
        if (flashUntil_ > 0 && c.t > flashUntil_) {
            flashTube_ = -1;
            flashUntil_ = 0;
        }
        const auto& st = game_.state();
        const auto& rots = game_.rotations();
        const bool composed = blitStillTubes(c);
        for (int i = 0; i < st.tubeCount(); ++i) {
            if (composed && still(i)) continue;
            const TubeLayout& t = layout_.tubes[i];
            const TubeMotion& motion = motion_[i];
            ui::Rect r = t.r;
            r.y += motion.dip;
            ui::TubeStyle style;
            style.tint = game_.world().glassTint;
            style.selected = i == selected_;
            style.flashing = i == flashTube_;
            ui::blitTube(r, style);
            const double fill = motion.fill;
            if (fill > 0)
                ui::blitTubeFluid(r, ui::fluidColorFor(game_.level(), game_.seed(), i), fill,
                                  ui::motionTime(c), 1.3 * i);
            const auto& tube = st.tubes[i];
            int count = static_cast<int>(tube.size());
            if (flight_.active && flight_.targetIdx == i) --count;
            for (int j = 0; j < count; ++j) {
                double y = slotCy(t, j) + motion.dip;
                if (i == selected_ && j == count - 1) y -= kLift;
                double rot = j < static_cast<int>(rots[i].size()) ? rots[i][j] : 0;
                if (fill > 0)
                    rot += std::clamp(4 * (fill - double(j) / st.capacity), 0.0, 1.0) * 0.55 *
                           ui::motionTime(c);
                drawMarble(t, r.cx(), y, tube[j], rot);
            }
            if (motion.glowLevel > 0.001) ui::blitTubeGlow(r, motion.glowLevel);
        }
    }

    void drawFlight(ui::Ctx&) {
        if (!flight_.active) return;
        const double e = easeInOutFlight(std::clamp(flight_.t / flight_.duration, 0.0, 1.0));
        double x = 0, y = 0;
        flight_.centre(&x, &y);
        const auto& pal = game_.palette();
        const uint32_t rgb = pal.empty() ? 0x888888 : pal[flight_.colorId % pal.size()];
        ui::blitMarble(x, y, flight_.radius, rgb, game_.world().skin, flight_.colorId + 1,
                       flight_.startRotation + flight_.deltaAngle * e, 1.0);
    }

    void drawChrome(ui::Ctx& c) {
        const double hh = layout_.headerH, fh = layout_.footerH;
        const double bh = std::min(hh - 16, 36.0);
        const double by = (hh - bh) / 2;
        // Right to left, back stands at the right and undo at the left.
        const ui::Mirror m(0, c.w);
        if (ui::pillButton(c, m.rect({16, by, 104, bh}), i18n::tr("playing.back"),
                           ui::PillIcon::Back)) {
            audio::play(audio::Sfx::Click);
            goToMenu(c);
            return;
        }
        if (ui::pillButton(c, m.rect({c.w - 16 - 104, by, 104, bh}), i18n::tr("playing.undo"),
                           ui::PillIcon::Undo, game_.historySize() == 0 || game_.solved()))
            undo();
        if (ui::pillButton(c, m.rect({c.w - 16 - 2 * 104 - 8, by, 104, bh}),
                           i18n::tr("playing.hint"), ui::PillIcon::Bulb,
                           game_.solved() || advice_.noWayForward()))
            askForHint();
        // The title card keeps clear of the two buttons on either side.
        const double cw = std::min(c.w - 2 * (16 + 2 * 104 + 8 + 8), 240.0);
        const std::string title =
            game_.isPuzzle()
                ? puzzleTitle(game_.code(), game_.date())
                : i18n::tr("playing.levelLabel", {{"n", std::to_string(game_.level() + 1)}});
        ui::titleCard(c, {(c.w - cw) / 2, (hh - bh - 8) / 2, cw, bh + 8}, title,
                      i18n::tr("playing.moves", {{"n", std::to_string(game_.moveCount())}}));
        const double bf = std::min(fh - 32, 34.0);
        if (ui::pillButton(c, {(c.w - 150) / 2, c.h - fh + 4, 150, bf}, i18n::tr("playing.restart"),
                           ui::PillIcon::Restart, game_.solved()))
            restart();
        // A generated puzzle's code goes to the clipboard from the footer's start.
        if (game_.isPuzzle() &&
            ui::pillButton(c, m.rect({16, c.h - fh + 4, 140, bf}),
                           i18n::tr(c.t < copiedUntil_ ? "playing.copied" : "playing.copyCode")))
            copyCode(c);
        ui::TextStyle ts = theme::textStyle(theme::TextRole::Label, 12);
        ts.alpha = 0.55;
        ts.maxWidth = c.w - 40;
        ui::drawText(c.cr, c.w / 2, c.h - fh + bf + 14,
                     i18n::tr(selected_ < 0 ? "playing.hintPickSource" : "playing.hintPickTarget"),
                     ts);
    }

    // The hinted move over the board, or the notice that no way is left.
    void drawAdvice(ui::Ctx& c) {
        if (game_.solved()) return;
        if (advice_.noWayForward()) {
            ui::drawNotice(c.cr, c.w / 2, c.h - layout_.footerH - 34, c.w - 48,
                           i18n::tr("playing.noWayForward"));
            return;
        }
        const std::optional<mar::Move> m = advice_.hint();
        if (!m || m->from >= static_cast<int>(layout_.tubes.size()) ||
            m->to >= static_cast<int>(layout_.tubes.size()))
            return;
        const std::string label =
            advice_.wayForwardOnly() ? i18n::tr("playing.wayForward")
                                     : i18n::trPlural("playing.movesToGo", advice_.movesToGo(),
                                                      {{"n", std::to_string(advice_.movesToGo())}});
        // Every slot is kept clear, the top one as high as a lifted marble.
        hintClear_.clear();
        const int cap = game_.state().capacity;
        for (const TubeLayout& t : layout_.tubes)
            for (int j = 0; j < cap; ++j) {
                const double r = t.marbleD / 2, top = j == cap - 1 ? kLift : 0;
                hintClear_.push_back({t.r.cx() - r, slotCy(t, j) - r - top, 2 * r, 2 * r + top});
            }
        ui::drawHintMarks(c.cr, layout_.tubes[m->from].r, layout_.tubes[m->to].r, hintClear_,
                          {0, layout_.headerH, c.w, c.h - layout_.headerH - layout_.footerH}, label,
                          c.t);
    }

    void drawWinFlash(ui::Ctx& c) {
        const double f = game_.winFlash();
        // A calm win ends without the white-out; the completed tubes' glow is celebration enough.
        if (f > 0.001 && !ui::motionReduced())
            ui::fillRect(c.cr, {0, 0, c.w, c.h}, 0xFFFFFF, std::clamp(f, 0.0, 1.0));
    }

    // ---- Input ----

    // Puts the puzzle's code on the desktop clipboard and confirms it for a moment.
    void copyCode(const ui::Ctx& c) {
        if (SDL_SetClipboardText(game_.code().c_str()) != 0) {
            SDL_Log("the code could not go to the clipboard: %s", SDL_GetError());
            return;
        }
        audio::play(audio::Sfx::Click);
        copiedUntil_ = c.t + 1.5;
    }

    void goToMenu(const ui::Ctx& c) {
        ui::GameState menu;
        menu.kind = ui::ScreenKind::Menu;
        left_ = true;
        c.resetTo(menu);
    }

    // 1 to 9 and 0 pick up from or drop on tubes 1 to 10, in the order the board shows them.
    // The tube a number key stands for, or -1.
    int tubeOfKey(int key) const {
        int tube = -1;
        if (key >= SDLK_1 && key <= SDLK_9) tube = key - SDLK_1;
        if (key >= SDLK_KP_1 && key <= SDLK_KP_9) tube = key - SDLK_KP_1;
        if (key == SDLK_0 || key == SDLK_KP_0) tube = 9;
        return tube < game_.state().tubeCount() ? tube : -1;
    }

    void handleInput(ui::Ctx& c) {
        if (left_ || game_.attract()) return;
        if (game_.isPuzzle() && c.in.ctrl && c.in.hasKey(SDLK_c)) copyCode(c);
        // Once solved, only leaving reacts; the win sequence's reward is already stored.
        if (game_.solved()) {
            if (c.in.hasKey(SDLK_ESCAPE)) goToMenu(c);
            return;
        }
        // Every tube takes the focus as laid out, so arrows walk the rows; Enter or Space on the
        // focused tube is a tap on it.
        int tapped = -1;
        for (int i = 0; i < game_.state().tubeCount(); ++i) {
            const ui::Rect r = layout_.tubes[i].r.inset(-6);
            const ui::FocusHit f = c.focusable(r, i == 0);
            if (f.ring) ui::drawFocusRing(c.cr, r, std::min(r.w / 2, 16.0));
            if (tapped < 0 && (c.takeClick(r) || f.activated)) tapped = i;
        }
        if (tapped >= 0) {
            tapTube(tapped);
            return;
        }
        // Every key of the frame in the order typed: an undo and a hint asked for right after it
        // may arrive in one frame, and the hint is for the position the undo left.
        for (int key : c.in.keys) {
            if (key == SDLK_ESCAPE) {
                goToMenu(c);
                return;
            }
            if (key == SDLK_u || key == SDLK_BACKSPACE) {
                undo();
            } else if (key == SDLK_r && !c.in.ctrl) {
                restart();
            } else if (key == SDLK_h) {
                askForHint();
            } else if (tubeOfKey(key) >= 0) {
                tapTube(tubeOfKey(key));
            }
        }
    }

    // ---- Rules-level state (position, history, clock, liquid) ----
    PlayingLogic game_;

    // ---- UI state ----
    int selected_ = -1;
    int flashTube_ = -1;
    double flashUntil_ = 0;
    bool left_ = false;        // the back button already replaced this screen
    double copiedUntil_ = -1;  // "Copied" stands on the copy button until then

    // ---- Draw state, rebuilt freely ----
    BoardLayout layout_;
    double c_t_ = 0;        // time of the latest drawn frame, for the refusal flash
    std::string stillSig_;  // what the composed still tubes show
    // The marbles' places a hint keeps off.
    std::vector<ui::Rect> hintClear_;
    Flight flight_;
    std::vector<TubeMotion> motion_;  // one per tube
    BoardAdvice advice_;
};

// A generated puzzle's board: the wallpaper and a small "preparing" sign until the puzzle maker
// has the puzzle, then the board itself. No frame waits for the maker.
class PuzzleBoard : public ui::Screen {
  public:
    PuzzleBoard(std::optional<puzzle::Id> id, std::string date) : id_(id), date_(std::move(date)) {}

    void update(ui::Ctx& c) override {
        if (!board_ && id_) {
            if (const auto p = maker::get(*id_)) board_ = std::make_unique<Playing>(*p, date_);
        }
        if (board_) {
            board_->update(c);
            return;
        }
        drawWallpaper(c);
        BoardLayout frame;
        layoutBoard(frame, c.w, c.h, 1, 1, false);
        const double bh = std::min(frame.headerH - 16, 36.0);
        const ui::Mirror m(0, c.w);
        const bool back = ui::pillButton(c, m.rect({16, (frame.headerH - bh) / 2, 104, bh}),
                                         i18n::tr("playing.back"), ui::PillIcon::Back);
        // A code no build can make leads nowhere but back.
        if (back || !id_ || c.in.hasKey(SDLK_ESCAPE)) {
            if (back) audio::play(audio::Sfx::Click);
            ui::GameState menu;
            menu.kind = ui::ScreenKind::Menu;
            c.resetTo(menu);
            return;
        }
        drawPreparing(c);
    }

  private:
    // The words, and under them three dots that swell in turn.
    static void drawPreparing(ui::Ctx& c) {
        ui::TextStyle ts = theme::textStyle(theme::TextRole::OverScenery, c.h < 560 ? 16 : 20);
        ts.maxWidth = c.w - 48;
        ui::drawTextCentered(c.cr, c.w / 2, c.h / 2 - 18, i18n::tr("playing.preparing"), ts);
        for (int i = 0; i < 3; ++i) {
            const double pulse = std::max(0.0, std::sin(c.t * 4 - i * 0.9));
            ui::fillCircle(c.cr, c.w / 2 + (i - 1) * 22, c.h / 2 + 18, 5 + 2 * pulse,
                           theme::kAccent, 0.35 + 0.65 * pulse);
        }
    }

    std::optional<puzzle::Id> id_;
    std::string date_;
    std::unique_ptr<Playing> board_;
};

}  // namespace

std::unique_ptr<ui::Screen> makePlaying(const ui::GameState& s) {
    if (s.code.empty()) return std::make_unique<Playing>(s.level, s.seed, false);
    std::optional<puzzle::Id> id = puzzle::decode(s.code);
    if (id && !puzzle::supported(*id)) id.reset();
    return std::make_unique<PuzzleBoard>(id, s.date);
}

std::unique_ptr<ui::Screen> makeAttractBoard(int level, unsigned seed) {
    return std::make_unique<Playing>(level, seed, true);
}

bool attractBoardDone(const std::unique_ptr<ui::Screen>& board) {
    const auto* p = dynamic_cast<const Playing*>(board.get());
    return p != nullptr && p->settled();
}

bool flightMarble(const std::unique_ptr<ui::Screen>& board, double* x, double* y, double* r) {
    const auto* p = dynamic_cast<const Playing*>(board.get());
    if (p == nullptr || !p->flight().active) return false;
    p->flight().centre(x, y);
    *r = p->flight().radius;
    return true;
}

}  // namespace screens
