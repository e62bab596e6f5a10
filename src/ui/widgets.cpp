// Widgets, first half: the raised frame, buttons, cards, chips, rows, the slider, stars and
// symbols.
//
// Index: shared helpers - buttons - cards and panels - chips and rows - slider - stars -
// symbols. The dialog, scrolling, formatting and the footer are in widgets_dialog.cpp.
#include "ui/widgets.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "core/numbers.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/focus.h"
#include "ui/mirror.h"
#include "ui/motion.h"

namespace ui {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kOnAccent = 0xFFFAF0;  // text on coral
constexpr uint32_t kDanger = 0xC23A20;
constexpr uint32_t kDangerFill = 0xFFE9E4;
constexpr uint32_t kLabelShadow = 0x78280A;  // halo under white labels on coral
constexpr uint32_t kKeyhole = 0xFFF6E2;

double degToRad(double deg) {
    return deg * kPi / 180;
}

// The widgets' labels: bold.
TextStyle labelStyle(double size, uint32_t color, double alpha, double maxWidth) {
    return widgetTextStyle(size, true, color, alpha, maxWidth);
}

void strokePath(cairo_t* cr, double width, uint32_t rgb, double alpha) {
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, width);
    setColor(cr, rgb, alpha);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void fillTriangle(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2,
                  uint32_t rgb, double alpha) {
    cairo_new_path(cr);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_close_path(cr);
    setColor(cr, rgb, alpha);
    cairo_fill(cr);
}

// Undo and restart share a circular arrow; mirror = 1 for undo, -1 for restart.
void drawCircularArrow(cairo_t* cr, double cx, double cy, double s, double fromDeg, double toDeg,
                       double mirror, double alpha) {
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy + 0.06 * s, 0.42 * s, degToRad(fromDeg), degToRad(toDeg));
    strokePath(cr, std::max(1.6, 0.15 * s), theme::kAccent, alpha);
    fillTriangle(cr, cx - mirror * 0.42 * s, cy - 0.24 * s, cx - mirror * 0.44 * s, cy + 0.16 * s,
                 cx - mirror * 0.02 * s, cy + 0.02 * s, theme::kAccent, alpha);
}

// forward = -1 mirrors the back chevron for right-to-left reading, where back lies to the right.
void drawPillIcon(cairo_t* cr, PillIcon icon, double cx, double cy, double s, double alpha,
                  double forward) {
    switch (icon) {
        case PillIcon::Back:
            cairo_new_path(cr);
            cairo_move_to(cr, cx + forward * 0.22 * s, cy - 0.42 * s);
            cairo_line_to(cr, cx - forward * 0.24 * s, cy);
            cairo_line_to(cr, cx + forward * 0.22 * s, cy + 0.42 * s);
            strokePath(cr, std::max(1.6, 0.16 * s), theme::kAccent, alpha);
            break;
        case PillIcon::Undo:
            drawCircularArrow(cr, cx, cy, s, 153, 423, 1, alpha);
            break;
        case PillIcon::Restart:
            drawCircularArrow(cr, cx, cy, s, 117, 387, -1, alpha);
            break;
        case PillIcon::Bulb: {
            // The glass as a round stroke narrowing into its neck, two rings of the screw below.
            const double w = std::max(1.5, 0.13 * s);
            cairo_new_path(cr);
            cairo_arc(cr, cx, cy - 0.14 * s, 0.3 * s, degToRad(140), degToRad(400));
            cairo_line_to(cr, cx + 0.13 * s, cy + 0.24 * s);
            cairo_line_to(cr, cx - 0.13 * s, cy + 0.24 * s);
            cairo_close_path(cr);
            strokePath(cr, w, theme::kAccent, alpha);
            cairo_new_path(cr);
            cairo_move_to(cr, cx - 0.12 * s, cy + 0.4 * s);
            cairo_line_to(cr, cx + 0.12 * s, cy + 0.4 * s);
            strokePath(cr, w, theme::kAccent, alpha);
            break;
        }
        case PillIcon::None:
            break;
    }
}

// The overshooting "back" ease of the star reveal.
double backEase(double p) {
    const double q = p - 1;
    return 1 + 2.70158 * q * q * q + 1.70158 * q * q;
}

}  // namespace

void sandFrame(cairo_t* cr, const Rect& r, double radius, uint32_t fill, double fillAlpha,
               uint32_t border, uint32_t borderBottom, double bottomWidth, double shadow) {
    if (shadow > 0)
        fillRoundedRect(cr, Rect{r.x + 1, r.y + shadow, r.w - 2, r.h}, radius, theme::kShadow,
                        0.22);
    fillRoundedRect(cr, Rect{r.x, r.y + bottomWidth, r.w, r.h - bottomWidth}, radius, borderBottom,
                    1);
    fillRoundedRect(cr, Rect{r.x, r.y, r.w, r.h - bottomWidth}, radius, fill, fillAlpha);
    strokeRoundedRect(cr, Rect{r.x + 0.5, r.y + 0.5, r.w - 1, r.h - bottomWidth - 1}, radius, 1,
                      border, 1);
}

// ---- Buttons ----

bool menuButton(Ctx& ctx, const Rect& rect, const std::string& label, const MenuBtnOpts& opts) {
    cairo_t* cr = ctx.cr;
    const FocusHit focus = opts.disabled ? ctx.unfocusable(rect) : ctx.focusable(rect);
    Rect r = rect;
    double alphaMul = 1;
    if (opts.breatheIndex >= 0 && !motionReduced()) {
        const double e = std::sin(0.5 * opts.breatheIndex + 2 * kPi * ctx.t / 3.4);
        const double k = 1 + 0.022 * e;
        r = Rect{r.cx() - r.w * k / 2, r.cy() - r.h * k / 2, r.w * k, r.h * k};
        alphaMul = 0.95 + 0.025 * (e + 1);
    }
    bool held = false;
    if (!opts.disabled) {
        held = ctx.hover(r) && ctx.in.mouseDown;
        if (held) r.y += 2;
    }

    if (opts.primary)
        sandFrame(cr, r, 18, theme::kAccent, alphaMul, theme::kPrimaryBorder,
                  theme::kPrimaryBorderBottom, 4, 3);
    else
        sandFrame(cr, r, 18, theme::kSecondaryFill, alphaMul, theme::kPillBorder,
                  theme::kPillBorderBottom, 4, 3);
    fillRoundedRect(cr, Rect{r.x + 8, r.y + 2, r.w - 16, 0.42 * r.h}, 12.6, kWhite, 0.22);

    const double textAlpha = opts.disabled ? 0.45 : held ? 0.85 : 1;
    TextStyle st =
        labelStyle(opts.fontSize, opts.primary ? kWhite : theme::kText, textAlpha, r.w - 26);
    if (opts.primary) {
        st.shadowRadius = 2;
        st.shadowColor = kLabelShadow;
        st.shadowAlpha = 0.5;
        st.shadowDy = 1;
    }
    drawTextCentered(cr, r.x + r.w / 2, r.y + (r.h - 4) / 2, label, st);
    if (focus.ring) drawFocusRing(cr, r, 18);

    // The click belongs to the rectangle the screen laid out, not the breathing or pressed copy.
    return !opts.disabled && (ctx.takeClick(rect) || focus.activated);
}

bool pillButton(Ctx& ctx, const Rect& rect, const std::string& label, PillIcon icon,
                bool disabled) {
    cairo_t* cr = ctx.cr;
    const FocusHit focus = disabled ? ctx.unfocusable(rect) : ctx.focusable(rect);
    Rect r = rect;
    const double contentAlpha = disabled ? 0.45 : 1;
    const double faceAlpha = disabled ? 0.4275 : 0.95;
    if (!disabled && ctx.hover(r) && ctx.in.mouseDown) r.y += 1;

    sandFrame(cr, r, r.h / 2, theme::kPillFill, faceAlpha, theme::kPillBorder,
              theme::kPillBorderBottom, 3, 2);

    TextStyle st = labelStyle(std::min(15.0, 0.42 * r.h), theme::kAccent, contentAlpha, 0);
    const double cy = r.y + (r.h - 3) / 2;
    if (icon == PillIcon::None) {
        st.maxWidth = r.w - 16;
        drawTextCentered(cr, r.x + r.w / 2, cy, label, st);
    } else {
        const double s = 0.42 * r.h;
        st.maxWidth = r.w - 2 * s;
        double tw = 0;
        measureText(cr, label, st, &tw, nullptr);
        const double gap = 0.45 * s;
        const double left = r.x + r.w / 2 - (s + gap + tw) / 2;
        // The icon leads in reading order: right of the label in right-to-left languages.
        const Mirror m(r);
        drawPillIcon(cr, icon, m.x(left + s / 2), cy, s, contentAlpha, m.sign());
        drawTextCentered(cr, m.x(left + s + gap + tw / 2), cy, label, st);
    }
    if (focus.ring) drawFocusRing(cr, r, r.h / 2);
    return !disabled && (ctx.takeClick(rect) || focus.activated);
}

bool plainButton(Ctx& ctx, const Rect& r, const std::string& label, bool disabled) {
    cairo_t* cr = ctx.cr;
    const FocusHit focus = disabled ? ctx.unfocusable(r) : ctx.focusable(r);
    const double a = disabled ? 0.45 : 1;
    fillRoundedRect(cr, r, 14, theme::kBgElevated, a);
    strokeRoundedRect(cr, r.inset(0.5), 14, 1, theme::kBorder, a);
    drawTextCentered(cr, r.cx(), r.cy(), label,
                     labelStyle(std::min(17.0, 0.44 * r.h), theme::kAccent, a, r.w - 20));
    if (focus.ring) drawFocusRing(cr, r, 14);
    return !disabled && (ctx.takeClick(r) || focus.activated);
}

bool dangerButton(Ctx& ctx, const Rect& r, const std::string& label) {
    cairo_t* cr = ctx.cr;
    const FocusHit focus = ctx.focusable(r);
    fillRoundedRect(cr, r, 14, kDangerFill, 1);
    strokeRoundedRect(cr, r.inset(0.5), 14, 1.5, kDanger, 1);
    drawTextCentered(cr, r.cx(), r.cy(), label,
                     labelStyle(std::min(16.0, 0.42 * r.h), kDanger, 1, r.w - 20));
    if (focus.ring) drawFocusRing(cr, r, 14);
    return ctx.takeClick(r) || focus.activated;
}

// ---- Cards and panels ----

void titleCard(Ctx& ctx, const Rect& r, const std::string& title, const std::string& sub) {
    cairo_t* cr = ctx.cr;
    sandFrame(cr, r, 16, theme::kPillFill, 0.92, theme::kPillBorder, theme::kPillBorderBottom, 3,
              2);
    if (!sub.empty()) {
        drawTextCentered(cr, r.cx(), r.y + 0.34 * r.h, title,
                         labelStyle(std::min(18.0, 0.36 * r.h), theme::kText, 1, r.w - 20));
        drawTextCentered(cr, r.cx(), r.y + 0.68 * r.h, sub,
                         labelStyle(std::min(12.0, 0.26 * r.h), theme::kTextMuted, 1, r.w - 20));
    } else {
        drawTextCentered(cr, r.cx(), r.y + (r.h - 3) / 2, title,
                         labelStyle(std::min(18.0, 0.5 * r.h), theme::kText, 1, r.w - 20));
    }
}

void panel(cairo_t* cr, const Rect& r, double alpha) {
    sandFrame(cr, r, 18, theme::kPillFill, alpha, theme::kPillBorder, theme::kPillBorderBottom, 4,
              3);
}

void card(cairo_t* cr, const Rect& r, bool highlighted, bool dimmed) {
    if (dimmed) {
        sandFrame(cr, r, 14, 0xE8DABC, 0.75, 0xD9C396, 0xC4AB7A, 3, 0);
    } else if (highlighted) {
        sandFrame(cr, r, 14, 0xFFF0D6, 0.96, theme::kAccent, theme::kAccentMuted, 4, 2);
        strokeRoundedRect(cr, r.inset(1), 14, 2, theme::kAccent, 1);
    } else {
        sandFrame(cr, r, 14, theme::kPillFill, 0.92, theme::kPillBorder, theme::kPillBorderBottom,
                  3, 2);
    }
}

// ---- Chips and rows ----

bool pageChip(Ctx& ctx, const Rect& r, const std::string& label, bool active, bool marked) {
    cairo_t* cr = ctx.cr;
    const FocusHit focus = ctx.focusable(r);
    const uint32_t fill = active ? theme::kAccent : theme::kBgElevated;
    const uint32_t rim = active ? theme::kAccent : theme::kBorder;
    fillRoundedRect(cr, r, 20, fill, 1);
    strokeRoundedRect(cr, r.inset(0.5), 20, 1, rim, 1);
    drawTextCentered(cr, r.cx(), r.cy(), label,
                     labelStyle(14, active ? kOnAccent : theme::kText, 1, r.w - 12));
    if (marked) fillCircle(cr, r.x + r.w - 8, r.y + 8, 3.5, theme::kAccent, 1);
    if (focus.ring) drawFocusRing(cr, r, 20);
    return ctx.takeClick(r) || focus.activated;
}

bool dropdownRow(Ctx& ctx, const Rect& r, const std::string& label, bool active,
                 const char* language) {
    cairo_t* cr = ctx.cr;
    const FocusHit focus = ctx.focusable(r, active);  // a list's focus starts on its active row
    if (active)
        fillRect(cr, r, theme::kAccent, 1);
    else if (ctx.hover(r))
        fillRect(cr, r, theme::kBgElevated, 0.7);
    const double lineY = r.y + r.h - 0.5;
    drawLine(cr, r.x, lineY, r.x + r.w, lineY, 1, theme::kBorder, 1);

    TextStyle st = labelStyle(16, active ? kOnAccent : theme::kText, 1, r.w - 60);
    st.align = Align::Left;
    st.bold = active;
    st.language = language;
    const Mirror m(r);
    drawText(cr, m.x(r.x + 18), r.y + r.h / 2 - 11, label, m.text(st));
    if (active) drawCheck(cr, m.x(r.x + r.w - 24), r.y + r.h / 2, 14, kOnAccent, 1);
    // Wholly inside the row, which the list around it clips (a unit more, for the list's rounded
    // corners), and clear of the list's scrollbar in the last 6 units (see ui::scrollbar).
    if (focus.ring) {
        const double side = kFocusRingReach + 6, top = kFocusRingReach + 1;
        drawFocusRing(cr, Rect{r.x + side, r.y + top, r.w - 2 * side, r.h - 2 * top}, 8);
    }
    return ctx.takeClick(r) || focus.activated;
}

// ---- Slider ----

namespace {

// The one drag in progress, told apart by its rectangle's position.
struct SliderDrag {
    const Rect* dragging = nullptr;  // null, or &draggingRect while a drag runs
    Rect draggingRect;
};

SliderDrag& sliderDrag() {
    static SliderDrag drag;
    return drag;
}

}  // namespace

double slider(Ctx& ctx, const Rect& r, double value) {
    cairo_t* cr = ctx.cr;
    const FocusHit focus = ctx.focusable(r);
    const double trackX = r.x + 11, trackY = r.y + r.h / 2 - 3, trackW = r.w - 22;
    fillRoundedRect(cr, Rect{trackX, trackY, trackW, 6}, 3, theme::kBorder, 1);
    double v = std::clamp(value, 0.0, 1.0);
    // Right to left, the value grows towards the left end.
    const Mirror m(trackX, trackX + trackW);
    auto follow = [&] {
        if (trackW > 1) v = std::clamp((m.x(ctx.in.mouseX) - trackX) / trackW, 0.0, 1.0);
    };

    SliderDrag& drag = sliderDrag();
    const Rect grab{r.x - 6, r.y - 6, r.w + 12, r.h + 12};
    const bool started = ctx.hover(grab) && ctx.in.pressed;
    if (started && !ctx.clickUsed) {
        ctx.clickUsed = true;
        drag.draggingRect = r;
        drag.dragging = &drag.draggingRect;
    }
    if (drag.dragging) {
        if (!ctx.in.mouseDown)
            drag.dragging = nullptr;
        else if (drag.dragging->x == r.x && drag.dragging->y == r.y)
            follow();
    }
    if (started) follow();
    if (focus.ring) {
        // Left and right step the value by 5 %, towards the end they point at.
        const double step = 0.05 * m.sign();
        while (ctx.claimKey(SDLK_RIGHT))
            v = std::clamp(std::round((v + step) * 20) / 20, 0.0, 1.0);
        while (ctx.claimKey(SDLK_LEFT))
            v = std::clamp(std::round((v - step) * 20) / 20, 0.0, 1.0);
    }

    if (trackW * v > 0)
        fillRoundedRect(cr, m.rect(Rect{trackX, trackY, trackW * v, 6}), 3, theme::kAccent, 1);
    const double x = m.x(trackX + v * trackW), cy = r.y + r.h / 2;
    // Tight about the thumb, so it keeps clear of the label above the slider; under the thumb,
    // which may touch it.
    if (focus.ring) drawFocusRing(cr, Rect{r.x - 2, cy - 11, r.w + 4, 22}, 11);
    fillCircle(cr, x, cy + 2, 11, theme::kShadow, 0.25);
    fillCircle(cr, x, cy, 11, kWhite, 1);
    strokeCircle(cr, x, cy, 10, 2, theme::kAccent, 1);
    return v;
}

// ---- Stars ----

void drawStar(cairo_t* cr, double cx, double cy, double radius, bool filled, uint32_t color,
              double alpha) {
    cairo_new_path(cr);
    for (int i = 0; i < 10; ++i) {
        const double a = degToRad(i * 36.0 - 90);
        const double rad = i % 2 == 0 ? radius : 0.42 * radius;
        const double x = cx + rad * std::cos(a), y = cy + rad * std::sin(a);
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    if (filled) {
        // A soft fat edge rounds the points.
        cairo_save(cr);
        cairo_set_line_width(cr, 0.34 * radius);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        setColor(cr, color, alpha * 0.35);
        cairo_stroke_preserve(cr);
        cairo_restore(cr);
    }
    setColor(cr, color, alpha);
    cairo_fill(cr);
}

void starRow(Ctx& ctx, double cx, double cy, int stars, double scale, double time, double revealT) {
    cairo_t* cr = ctx.cr;
    const double big = 32 * scale, small = 18 * scale, gap = 0.22 * big;
    const double left = cx - (2 * small + 2 * big + 2 * small + 2 * gap) / 2;
    struct Slot {
        double x, radius;
        int litFrom, rank;
    };
    // Left to right; the middle one lights first.
    const Slot slots[3] = {
        {left + small, small, 2, 1},
        {left + 2 * small + gap + big, big, 1, 0},
        {left + 2 * small + 2 * gap + 2 * big + small, small, 3, 2},
    };
    for (int i = 0; i < 3; ++i) {
        const Slot& s = slots[i];
        const double y = cy + big - s.radius;
        if (stars < s.litFrom) {
            drawStar(cr, s.x, y, s.radius, false, theme::kStarDim, 0.4);
            continue;
        }
        double k = 1, alpha = 1;
        if (revealT >= 0) {
            const double p = (revealT - (s.rank * 0.43 + 0.35)) / 0.48;
            if (p <= 0) continue;
            if (p <= 1) {
                k = backEase(p);
                alpha = std::min(1.0, 2.5 * p);
            }
        }
        const double pulse = 1 + 0.08 * std::sin(0.7 * i + 2.2 * time);
        drawStar(cr, s.x, y, s.radius * k * pulse, true, theme::kStarGold, alpha);
    }
}

void starsInline(cairo_t* cr, double cx, double cy, int stars, double size) {
    const double gap = 0.55 * size, step = 2 * size + gap;
    const double x0 = cx - size - gap;
    // Right to left, the lit stars fill the row from its right end.
    const Mirror m(x0, x0 + 2 * step);
    for (int i = 0; i < 3; ++i) {
        const bool lit = i < stars;
        drawStar(cr, m.x(x0 + i * step), cy, size, lit, lit ? theme::kStarGold : theme::kStarDim,
                 lit ? 1 : 0.4);
    }
}

// ---- Symbols ----

void drawCheck(cairo_t* cr, double cx, double cy, double size, uint32_t color, double alpha) {
    cairo_new_path(cr);
    cairo_move_to(cr, cx - 0.42 * size, cy + 0.02 * size);
    cairo_line_to(cr, cx - 0.12 * size, cy + 0.33 * size);
    cairo_line_to(cr, cx + 0.44 * size, cy - 0.35 * size);
    strokePath(cr, std::max(1.8, 0.18 * size), color, alpha);
}

void drawLock(cairo_t* cr, double cx, double cy, double size, uint32_t color, double alpha) {
    const double bodyW = 0.82 * size, bodyH = 0.62 * size;
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy - 0.42 * bodyH, 0.28 * size, kPi, 2 * kPi);
    cairo_save(cr);
    cairo_set_line_width(cr, std::max(1.6, 0.14 * size));
    setColor(cr, color, alpha);
    cairo_stroke(cr);
    cairo_restore(cr);
    fillRoundedRect(cr, Rect{cx - bodyW / 2, cy - 0.14 * bodyH, bodyW, bodyH}, 0.14 * size, color,
                    alpha);
    fillCircle(cr, cx, cy + 0.16 * bodyH, 0.1 * size, kKeyhole, alpha);
}

void drawCaret(cairo_t* cr, double cx, double cy, double size, uint32_t color, double alpha) {
    fillTriangle(cr, cx - 0.45 * size, cy - 0.2 * size, cx + 0.45 * size, cy - 0.2 * size, cx,
                 cy + 0.32 * size, color, alpha);
}

TextStyle widgetTextStyle(double size, bool bold, uint32_t color, double alpha, double maxWidth) {
    TextStyle st = theme::textStyle(theme::TextRole::Label, size);
    st.bold = bold;
    st.color = color;
    st.alpha = alpha;
    st.maxWidth = maxWidth;
    return st;
}

}  // namespace ui
