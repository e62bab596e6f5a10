// Marble rendering: the shadow, body and overlay painters and their cached composition.
#include "ui/marble.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/numbers.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/gpu.h"

namespace ui {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

struct BodyArgs {
    double r;
    uint32_t color;
    theme::MarbleSkin skin;
};

// The number rides on the unturned glass layer: a digit turned with the body would make 6 and 9
// look alike, and the numbers are there to tell colours apart without colour vision.
struct OverlayArgs {
    double r;
    uint32_t color;
    int number;
};

struct ShadowArgs {
    double r;
};

double degToRad(double deg) {
    return deg * kPi / 180;
}

// The flattened ground shadow, centred on the origin of a (1, 0.32)-squashed space.
void shadowEllipse(cairo_t* cr, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 0.95 * r, 0, 2 * kPi);
    const Stop stops[] = {{0, 0x281405, 0.4}, {1, 0x281405, 0}};
    fillRadial(cr, 0, 0, 0.95 * r, stops, 2);
}

void paintShadow(cairo_t* cr, void* arg) {
    const double r = static_cast<ShadowArgs*>(arg)->r;
    cairo_translate(cr, r, 0.32 * r);
    cairo_scale(cr, 1, 0.32);
    shadowEllipse(cr, r);
}

// A closed polygon of points at the given radii, angles clockwise on screen from +x.
template <typename RadiusAt>
void starPath(cairo_t* cr, int points, double stepDeg, double startDeg, RadiusAt radiusAt) {
    cairo_new_path(cr);
    for (int k = 0; k < points; ++k) {
        const double a = degToRad(k * stepDeg + startDeg);
        const double rad = radiusAt(k);
        const double x = rad * std::cos(a), y = rad * std::sin(a);
        if (k == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
}

void strokeCurrent(cairo_t* cr, uint32_t rgb, double alpha, double width) {
    setColor(cr, rgb, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void paintSkin(cairo_t* cr, double r, theme::MarbleSkin skin, uint32_t dark) {
    using theme::MarbleSkin;
    switch (skin) {
        case MarbleSkin::Classic:
            break;
        case MarbleSkin::Bubble:
            strokeCircle(cr, 0.35 * r, 0.15 * r, 0.16 * r, std::max(1.0, 0.05 * r), kWhite, 0.45);
            strokeCircle(cr, -0.05 * r, 0.45 * r, 0.12 * r, std::max(1.0, 0.04 * r), kWhite, 0.4);
            break;
        case MarbleSkin::Football:
            starPath(cr, 6, 60, -30, [r](int) { return 0.42 * r; });
            strokeCurrent(cr, dark, 1, std::max(1.4, 0.08 * r));
            break;
        case MarbleSkin::Swirl:
            cairo_save(cr);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_new_path(cr);
            cairo_move_to(cr, -0.72 * r, 0.3 * r);
            cairo_curve_to(cr, -0.25 * r, -0.6 * r, 0.2 * r, 0.65 * r, 0.7 * r, -0.25 * r);
            strokeCurrent(cr, kWhite, 0.5, std::max(1.5, 0.16 * r));
            cairo_move_to(cr, -0.55 * r, 0.55 * r);
            cairo_curve_to(cr, -0.1 * r, -0.35 * r, 0.32 * r, 0.8 * r, 0.6 * r, 0);
            strokeCurrent(cr, kWhite, 0.22, std::max(1.0, 0.08 * r));
            cairo_restore(cr);
            break;
        case MarbleSkin::Crystal:
            starPath(cr, 8, 45, -90, [r](int k) { return (k % 2 == 0 ? 0.55 : 0.18) * r; });
            strokeCurrent(cr, kWhite, 0.55, std::max(1.0, 0.04 * r));
            break;
        case MarbleSkin::Gear:
            starPath(cr, 20, 18, 0, [r](int k) { return (k % 2 == 0 ? 0.96 : 0.78) * r; });
            strokeCurrent(cr, dark, 1, std::max(1.4, 0.08 * r));
            strokeCircle(cr, 0, 0, 0.18 * r, std::max(1.0, 0.05 * r), dark, 1);
            break;
    }
}

void paintBody(cairo_t* cr, void* arg) {
    const BodyArgs& a = *static_cast<BodyArgs*>(arg);
    const double r = a.r;
    cairo_translate(cr, r, r);
    const uint32_t dark = theme::darken(a.color, 0.45);
    const uint32_t mid = theme::lighten(a.color, 0.12);
    const uint32_t light = theme::lighten(a.color, 0.55);

    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, r, 0, 2 * kPi);
    const Stop ball[] = {{0, light, 1}, {0.30, mid, 1}, {0.62, a.color, 1}, {1, dark, 1}};
    fillRadial(cr, -0.32 * r, -0.36 * r, 1.45 * r, ball, 4);

    paintSkin(cr, r, a.skin, dark);
}

void paintOverlay(cairo_t* cr, void* arg) {
    const OverlayArgs& a = *static_cast<OverlayArgs*>(arg);
    const double r = a.r;
    cairo_translate(cr, r, r);

    // Digits first, so the glass highlights lie over them as they did when they sat on the body.
    if (a.number > 0) {
        TextStyle st = theme::textStyle(theme::TextRole::Glyph, std::max(8.0, 1.1 * r));
        const std::string text = std::to_string(a.number);
        // A faint light edge below the digits lifts them off dark colours.
        st.color = kWhite;
        st.alpha = 0.4;
        drawTextCentered(cr, 0, std::max(1.0, 0.05 * st.size), text, st);
        st.color = 0x1F1F1F;
        st.alpha = 1;
        drawTextCentered(cr, 0, 0, text, st);
    }

    cairo_new_path(cr);
    strokeCircle(cr, 0, 0, r - 0.5, 1, 0x1E0F05, 0.22);

    const uint32_t glow = theme::lighten(a.color, 0.5);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0.52 * r, 0.5 * r, 0, 2 * kPi);
    const Stop glowStops[] = {{0, glow, 0.55}, {1, glow, 0}};
    fillRadial(cr, 0, 0.52 * r, 0.5 * r, glowStops, 2);

    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 0.86 * r, degToRad(200), degToRad(340));
    strokeCurrent(cr, kWhite, 0.4, std::max(1.0, 0.09 * r));
    cairo_restore(cr);

    cairo_new_sub_path(cr);
    cairo_arc(cr, 0.3 * r, 0.45 * r, 0.45 * r, 0, 2 * kPi);
    const Stop warm[] = {{0, 0xFFF5DC, 0.28}, {1, 0xFFF5DC, 0}};
    fillRadial(cr, 0.3 * r, 0.45 * r, 0.45 * r, warm, 2);

    cairo_new_sub_path(cr);
    cairo_arc(cr, -0.3 * r, -0.32 * r, 0.45 * r, 0, 2 * kPi);
    const Stop sheen[] = {{0, kWhite, 0.4}, {1, kWhite, 0}};
    fillRadial(cr, -0.3 * r, -0.32 * r, 0.45 * r, sheen, 2);

    fillCircle(cr, -0.36 * r, -0.4 * r, 0.18 * r, kWhite, 0.85);
    fillCircle(cr, -0.52 * r, -0.16 * r, 0.07 * r, kWhite, 0.6);
}

}  // namespace

MarbleKeys marbleKeys(double r, uint32_t color, theme::MarbleSkin skin, int number) {
    const double s = gpuScale();
    MarbleKeys k;
    k.px = std::max(4, static_cast<int>(std::lround(2 * r * s)));
    k.shadowH = std::max(2, static_cast<int>(std::lround(0.64 * r * s)));
    const std::string size = std::to_string(k.px);
    const std::string hex = theme::hex6(color);
    k.shadow = "m.sh/" + size;
    k.body = "m.b/" + hex + "/" + std::to_string(static_cast<int>(skin)) + "/" + size;
    // Numbers below 1 draw nothing, so they share the plain glass.
    k.overlay = "m.o/" + hex + "/" + std::to_string(std::max(0, number)) + "/" + size;
    return k;
}

void blitMarble(double cx, double cy, double r, uint32_t color, theme::MarbleSkin skin, int number,
                double rotation, double alpha) {
    if (r <= 0.5) return;
    const MarbleKeys k = marbleKeys(r, color, skin, number);

    ShadowArgs sa{r};
    gpuBlit(gpuTexture(k.shadow, k.px, k.shadowH, paintShadow, &sa), cx - r,
            cy + 0.88 * r - 0.32 * r, 2 * r, 0.64 * r, alpha);

    BodyArgs ba{r, color, skin};
    gpuBlitRotated(gpuTexture(k.body, k.px, k.px, paintBody, &ba), cx, cy, 2 * r, 2 * r,
                   rotation * 180 / kPi, alpha);

    OverlayArgs oa{r, color, number};
    gpuBlit(gpuTexture(k.overlay, k.px, k.px, paintOverlay, &oa), cx - r, cy - r, 2 * r, 2 * r,
            alpha);
}

void drawMarbleCairo(cairo_t* cr, double cx, double cy, double r, uint32_t color,
                     theme::MarbleSkin skin, int number, double rotation) {
    if (r <= 0.5) return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy + 0.88 * r);
    cairo_scale(cr, 1, 0.32);
    shadowEllipse(cr, r);
    cairo_restore(cr);

    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, rotation);
    cairo_translate(cr, -r, -r);
    BodyArgs ba{r, color, skin};
    paintBody(cr, &ba);
    cairo_restore(cr);

    cairo_save(cr);
    cairo_translate(cr, cx - r, cy - r);
    OverlayArgs oa{r, color, number};
    paintOverlay(cr, &oa);
    cairo_restore(cr);
}

void drawBgMarbleCairo(cairo_t* cr, double cx, double cy, double r, uint32_t color) {
    if (r <= 0.5) return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy + 0.85 * r);
    cairo_scale(cr, 1, 0.3);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 0.9 * r, 0, 2 * kPi);
    const Stop shadow[] = {{0, 0x3C230A, 0.35}, {1, 0x3C230A, 0}};
    fillRadial(cr, 0, 0, 0.9 * r, shadow, 2);
    cairo_restore(cr);

    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    const Stop ball[] = {
        {0, theme::lighten(color, 0.45), 1}, {0.55, color, 1}, {1, theme::darken(color, 0.3), 1}};
    fillRadial(cr, cx - 0.3 * r, cy - 0.35 * r, 1.35 * r, ball, 3);
    fillCircle(cr, cx - 0.32 * r, cy - 0.36 * r, 0.18 * r, kWhite, 0.7);
}

}  // namespace ui
