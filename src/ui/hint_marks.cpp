// Hint marks and the no-way-forward notice, painted into the frame layer over the board.
#include "ui/hint_marks.h"

#include <algorithm>
#include <cmath>

#include "core/numbers.h"
#include "theme/theme.h"
#include "ui/draw.h"

namespace ui {

namespace {

// A calm sea blue, apart from the coral of a lifted marble and the gold of a completed tube.
constexpr uint32_t kHint = 0x2F8FC4;
constexpr uint32_t kHalo = 0xFFFFFF;

void outlineTube(cairo_t* cr, const Rect& r, double breath) {
    const Rect ring = r.inset(-5);
    const double radius = std::min(ring.w / 2, 18.0);
    // A light halo first, so the ring reads on dark and bright worlds alike.
    strokeRoundedRect(cr, ring, radius, 7, kHalo, 0.55);
    strokeRoundedRect(cr, ring, radius, 3.5, kHint, 0.7 + 0.3 * breath);
}

void arrow(cairo_t* cr, const Rect& from, const Rect& to, double apexY) {
    const double x0 = from.cx(), y0 = from.y - 10;
    const double x1 = to.cx(), y1 = to.y - 10;
    // Up out of the source, across, and straight down into the target: both handles at one
    // height, chosen so that the arc tops out near apexY.
    const double handleY = (apexY - 0.25 * (y0 + y1) / 2) / 0.75;
    for (int pass = 0; pass < 2; ++pass) {
        const uint32_t colour = pass == 0 ? kHalo : kHint;
        const double width = pass == 0 ? 7.5 : 4;
        cairo_new_path(cr);
        cairo_move_to(cr, x0, y0);
        cairo_curve_to(cr, x0, handleY, x1, handleY, x1, y1);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(cr, width);
        setColor(cr, colour, pass == 0 ? 0.6 : 0.9);
        cairo_stroke(cr);
        // The head points down the arc's last stretch, into the tube.
        const double len = pass == 0 ? 17 : 14, spread = 0.5 * len;
        cairo_new_path(cr);
        cairo_move_to(cr, x1, y1 + 2);
        cairo_line_to(cr, x1 - spread, y1 - len + 2);
        cairo_line_to(cr, x1 + spread, y1 - len + 2);
        cairo_close_path(cr);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_fill_preserve(cr);
        cairo_stroke(cr);
    }
}

void labelPill(cairo_t* cr, double cx, double cy, const std::string& label) {
    TextStyle st = theme::textStyle(theme::TextRole::Label, 13);
    st.color = 0xFFFFFF;
    st.maxWidth = 320;
    double w = 0, h = 0;
    measureText(cr, label, st, &w, &h);
    const Rect pill{cx - w / 2 - 12, cy - h / 2 - 5, w + 24, h + 10};
    fillRoundedRect(cr, pill.inset(-2), pill.h / 2 + 2, kHalo, 0.7);
    fillRoundedRect(cr, pill, pill.h / 2, kHint, 0.95);
    drawTextCentered(cr, cx, cy, label, st);
}

}  // namespace

void drawHintMarks(cairo_t* cr, const Rect& from, const Rect& to, double top,
                   const std::string& label, double t) {
    const double breath = (std::sin(2 * kPi * t / 1.6) + 1) / 2;
    outlineTube(cr, from, breath);
    outlineTube(cr, to, breath);
    const double span = std::fabs(to.cx() - from.cx());
    const double apexY =
        std::max(top + 24, std::min(from.y, to.y) - std::clamp(30 + 0.25 * span, 40.0, 110.0));
    arrow(cr, from, to, apexY);
    if (!label.empty()) labelPill(cr, (from.cx() + to.cx()) / 2, apexY - 4, label);
}

void drawNotice(cairo_t* cr, double cx, double cy, double maxW, const std::string& message) {
    TextStyle st = theme::textStyle(theme::TextRole::Label, 15);
    const double textW = std::max(40.0, std::min(maxW, 520.0) - 36);
    const double h = measureWrappedHeight(cr, textW, message, st);
    const Rect card{cx - textW / 2 - 18, cy - h / 2 - 12, textW + 36, h + 24};
    fillRoundedRect(cr, card.inset(-1), 15, theme::kShadow, 0.12);
    fillRoundedRect(cr, card, 14, theme::kBg, 0.96);
    strokeRoundedRect(cr, card.inset(0.5), 14, 1.5, kHint, 0.8);
    drawTextWrapped(cr, card.x + 18, card.y + 12, textW, message, st);
}

}  // namespace ui
