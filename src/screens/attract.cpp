// The attract demo: stored solutions play themselves, board after board, until the player acts.
#include "screens/attract.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "core/levels.h"
#include "core/numbers.h"
#include "i18n/i18n.h"
#include "screens/playing.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"

namespace screens {
namespace {

constexpr double kDemoSeconds = 60;

struct Badge {
    std::string text;
    ui::TextStyle style;
    double w = 0, h = 0;  // measured text
    double pillAlpha = 0;
};

Badge makeBadge(cairo_t* cr, const std::string& text, uint32_t colour, double alpha,
                double pillAlpha) {
    Badge b;
    b.text = text;
    b.style = theme::textStyle(theme::TextRole::Label, 13);
    b.style.minScale = 0;
    b.style.color = colour;
    b.style.alpha = alpha;
    b.pillAlpha = pillAlpha;
    ui::measureText(cr, text, b.style, &b.w, &b.h);
    return b;
}

// The label on its dark pill, both centred on (cx, cy).
void drawBadge(cairo_t* cr, const Badge& b, double cx, double cy) {
    const double pw = b.w + 32, ph = b.h + 12;
    ui::fillRoundedRect(cr, ui::Rect{cx - pw / 2, cy - ph / 2, pw, ph}, ph / 2, 0x000000,
                        b.pillAlpha);
    ui::drawTextCentered(cr, cx, cy, b.text, b.style);
}

class Attract : public ui::Screen {
  public:
    explicit Attract(uint32_t runId)
        : runId_(runId), rng_(attractRng(runId)), total_(mar::totalLevels()) {
        showBoard(pickLevel(), runId_);
    }

    void update(ui::Ctx& c) override {
        if (start_ < 0) start_ = c.t;
        c.wakeBy(start_ + kDemoSeconds + 0.01);
        // The board draws for its own record, so it stands in its own level's world.
        const ui::GameState* own = c.self;
        c.self = &boardRecord_;
        board_->update(c);
        c.self = own;
        if (attractBoardDone(board_)) {
            ++round_;
            const int level = pickLevel();
            showBoard(level, runId_ + static_cast<uint32_t>(round_));
            return;
        }
        drawBadges(c);
        if (c.in.any() || c.t - start_ > kDemoSeconds) {
            ui::GameState menu;
            menu.kind = ui::ScreenKind::Menu;
            c.replace(menu);
        }
    }

  private:
    void showBoard(int level, uint32_t seed) {
        board_ = makeAttractBoard(level, seed);
        boardRecord_.kind = ui::ScreenKind::Attract;
        boardRecord_.level = level;
        boardRecord_.runId = runId_;
    }

    int pickLevel() {
        lastLevel_ = pickAttractLevel(rng_, total_, lastLevel_);
        return lastLevel_;
    }

    void drawBadges(ui::Ctx& c) {
        const double p = 0.3 + 0.35 * (std::sin(kPi * c.t) + 1);
        const Badge badge = makeBadge(c.cr, i18n::tr("attract.badge"), 0xFFFFFF, p, 0.35 * p);
        // Dark letters: a faint pill keeps the sand behind them light enough to read them.
        const Badge hint = makeBadge(c.cr, i18n::tr("attract.hint"), theme::kText, p, 0.15 * p);
        if (c.landscape()) {
            drawBadge(c.cr, badge, 40 + badge.w / 2, c.h / 2);
            drawBadge(c.cr, hint, c.w - 40 - hint.w / 2, c.h / 2);
        } else {
            drawBadge(c.cr, badge, c.w / 2, 26);
            drawBadge(c.cr, hint, c.w / 2, c.h - 40);
        }
    }

    uint32_t runId_;
    Rng rng_;
    int total_;
    int round_ = 0;
    int lastLevel_ = -1;
    double start_ = -1;
    std::unique_ptr<ui::Screen> board_;
    ui::GameState boardRecord_;
};

}  // namespace

Rng attractRng(uint32_t runId) {
    return Rng(runId == 0 ? 1 : runId);
}

int pickAttractLevel(Rng& rng, int total, int lastLevel) {
    const int last = total - 1;
    int lo = 0, count = total;
    if (last > 0) {
        lo = std::min(last, 49);
        count = last < 99 ? last - lo + 1 : 100 - lo;
    }
    count = std::max(count, 1);
    int level = lo + rng.intN(count);
    if (count > 1 && level == lastLevel) level = lo + (level - lo + 1) % count;
    return level;
}

std::unique_ptr<ui::Screen> makeAttract(const ui::GameState& s) {
    return std::make_unique<Attract>(s.runId);
}

}  // namespace screens
