// Tube rendering: the glass painter, the fluid, wave and bubble painters and their blits.
#include "ui/tube.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/numbers.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/gpu.h"

namespace ui {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// The ground shadow: a circle of 0.85 of the tube's width squashed to 0.22 of its height, its
// centre 3 below the tube.
constexpr double kShadowRadius = 0.85, kShadowSquash = 0.22, kShadowDrop = 3;

constexpr uint32_t kLabColors[7] = {0x5CF2C8, 0x5CD6FF, 0xFF7AD6, 0xC8FF5C,
                                    0xFFB45C, 0xB07AFF, 0xFF6B8A};

struct Bubble {
    double x, speed, size, offset;
};
constexpr Bubble kBubbles[4] = {{0.34, 1.0, 0.08, 0.0},
                                {0.62, 1.35, 0.05, 1.6},
                                {0.48, 0.8, 0.10, 3.0},
                                {0.72, 1.15, 0.06, 4.4}};

// One bubble cycle in seconds, from the floor of the tube to above its mouth.
constexpr double kBubbleCycle = 3.6;

struct GlassArgs {
    double w, h;
    uint32_t tint;
    bool selected, flashing, glowOnly;
};

struct FluidArgs {
    double w, h, r;
    uint32_t color;
};

struct WaveArgs {
    double w, amp;
    uint32_t color;
    double strokeW;
};

struct BubbleArgs {
    double r;
};

int devicePx(double logical, int atLeast) {
    return std::max(atLeast, static_cast<int>(std::lround(logical * gpuScale())));
}

std::string sizeSuffix(int w, int h) {
    return std::to_string(w) + "x" + std::to_string(h);
}

// ---- Paths ----

// The open outline: flared lip, left side, round bottom, right side, flared lip.
void outlinePath(cairo_t* cr, double x, double y, double w, double h, const TubeGeometry& g) {
    const double lo = g.lipOut, ld = g.lipDrop, ory = g.openingRy;
    cairo_new_path(cr);
    cairo_move_to(cr, x - lo, y + ld);
    cairo_curve_to(cr, x - lo, y, x - 0.2 * lo, y - ory, x, y + 0.2 * ld);
    cairo_line_to(cr, x, y + h - g.r);
    cairo_arc_negative(cr, x + w / 2, y + h - g.r, g.r, kPi, 0);
    cairo_line_to(cr, x + w, y + 0.2 * ld);
    cairo_curve_to(cr, x + w + 0.2 * lo, y - ory, x + w + lo, y, x + w + lo, y + ld);
}

void fillPath(cairo_t* cr, double x, double y, double w, double h, const TubeGeometry& g) {
    cairo_new_path(cr);
    cairo_move_to(cr, x, y + 0.2 * g.lipDrop);
    cairo_line_to(cr, x, y + h - g.r);
    cairo_arc_negative(cr, x + w / 2, y + h - g.r, g.r, kPi, 0);
    cairo_line_to(cr, x + w, y + 0.2 * g.lipDrop);
    cairo_close_path(cr);
}

void strokeOutline(cairo_t* cr, double x, double y, double w, double h, const TubeGeometry& g,
                   uint32_t rgb, double alpha, double width) {
    cairo_save(cr);
    outlinePath(cr, x, y, w, h, g);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, width);
    setColor(cr, rgb, alpha);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// ---- Painters ----

void paintGlass(cairo_t* cr, void* arg) {
    const GlassArgs& a = *static_cast<GlassArgs*>(arg);
    const double w = a.w, h = a.h;
    const TubeGeometry g = tubeGeometry(w);
    const double pad = g.pad, r = g.r;

    if (a.glowOnly) {
        strokeOutline(cr, pad, pad, w, h, g, 0xFFF7C4, 1, (a.selected || a.flashing) ? 9 : 8);
        return;
    }

    if (a.selected) strokeOutline(cr, pad, pad, w, h, g, theme::kAccent, 0.28, 13);

    // Tinted body, then the gloss: bright edges, clear middle.
    fillPath(cr, pad, pad, w, h, g);
    const Stop body[] = {{0, a.tint, 0.34}, {0.55, a.tint, 0.16}, {1, a.tint, 0.22}};
    fillLinear(cr, 0, pad, 0, pad + h, body, 3);
    fillPath(cr, pad, pad, w, h, g);
    const Stop gloss[] = {{0, kWhite, 0.38},
                          {0.2, kWhite, 0.06},
                          {0.5, kWhite, 0},
                          {0.82, kWhite, 0.05},
                          {1, kWhite, 0.32}};
    fillLinear(cr, pad, 0, pad + w, 0, gloss, 5);

    fillOval(cr, pad + r, pad + h - 0.7 * r, 0.42 * w, 0.45 * r, a.tint, 0.2);

    // The opening seen from slightly above.
    const double cx = pad + r, cy = pad + 0.2 * g.lipDrop;
    const double rx = r + 0.1 * g.lipOut, ry = g.openingRy;
    fillOval(cr, cx, cy, rx, ry, 0x463219, 0.3);
    fillOval(cr, cx, cy + 1 + 0.25 * ry, 0.44 * w, 0.75 * ry, a.tint, 0.35);
    strokeOval(cr, cx, cy, rx, ry, 1.5, kWhite, 0.5);

    if (a.flashing)
        strokeOutline(cr, pad, pad, w, h, g, 0xFF3B30, 1, 3);
    else if (a.selected)
        strokeOutline(cr, pad, pad, w, h, g, theme::kAccent, 1, 3);
    else
        strokeOutline(cr, pad, pad, w, h, g, 0x6E5834, 0.68, 2);

    cairo_save(cr);
    cairo_translate(cr, 1, 1.2);
    strokeOutline(cr, pad, pad, w, h, g, kWhite, 0.45, 1);
    cairo_restore(cr);

    // Highlights: a long one down the left side curling into the bottom, a short one right.
    const double sx = pad + 0.2 * w;
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_new_path(cr);
    cairo_move_to(cr, sx, pad + 0.12 * h);
    cairo_line_to(cr, sx, pad + h - 1.1 * r);
    cairo_curve_to(cr, sx, pad + h - 0.9 * r, sx + 0.014 * w, pad + h - 0.7 * r, sx + 0.07 * w,
                   pad + h - 0.6 * r);
    setColor(cr, kWhite, 0.3);
    cairo_set_line_width(cr, 0.045 * w);
    cairo_stroke(cr);
    cairo_restore(cr);
    drawLine(cr, pad + 0.82 * w, pad + 0.18 * h, pad + 0.82 * w, pad + 0.55 * h, 0.025 * w, kWhite,
             0.2);
}

// The ground shadow of a tube w wide, an ellipse centred on (cx, cy) that fades out to its rim.
void shadowAt(cairo_t* cr, double cx, double cy, double w) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, 1, kShadowSquash);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, kShadowRadius * w, 0, 2 * kPi);
    const Stop shadow[] = {{0, 0x3C230A, 0.38}, {1, 0x3C230A, 0}};
    fillRadial(cr, 0, 0, kShadowRadius * w, shadow, 2);
    cairo_restore(cr);
}

// The shadow's own picture holds the whole ellipse: cut by the glass's margin, neighbouring
// shadows would end in hard edges where they overlap.
struct ShadowArgs {
    double w, texW, texH;
};
void paintShadow(cairo_t* cr, void* arg) {
    const ShadowArgs& a = *static_cast<ShadowArgs*>(arg);
    shadowAt(cr, a.texW / 2, a.texH / 2, a.w);
}

void paintFluid(cairo_t* cr, void* arg) {
    const FluidArgs& a = *static_cast<FluidArgs*>(arg);
    cairo_new_path(cr);
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, 0, a.h - a.r);
    cairo_arc_negative(cr, a.w / 2, a.h - a.r, a.r, kPi, 0);
    cairo_line_to(cr, a.w, 0);
    cairo_close_path(cr);
    setColor(cr, a.color, 0.42);
    cairo_fill(cr);
}

// Two periods over twice the tube width, so a half-width window scrolls round seamlessly.
void paintWave(cairo_t* cr, void* arg) {
    const WaveArgs& a = *static_cast<WaveArgs*>(arg);
    const double mid = a.amp + a.strokeW;
    const double bottom = 2 * a.amp + 2 * a.strokeW + 1;
    auto polyline = [&] {
        for (int k = 0; k <= 48; ++k) {
            const double x = 2 * a.w * k / 48, y = mid + a.amp * std::sin(4 * kPi * k / 48);
            if (k == 0)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
        }
    };
    cairo_new_path(cr);
    polyline();
    cairo_line_to(cr, 2 * a.w, bottom);
    cairo_line_to(cr, 0, bottom);
    cairo_close_path(cr);
    setColor(cr, a.color, 0.42);
    cairo_fill(cr);

    cairo_new_path(cr);
    polyline();
    setColor(cr, kWhite, 0.6);
    cairo_set_line_width(cr, a.strokeW);
    cairo_stroke(cr);
}

void paintBubble(cairo_t* cr, void* arg) {
    const double br = static_cast<BubbleArgs*>(arg)->r;
    strokeCircle(cr, br, br, 0.72 * br, std::max(1.0, 0.3 * br), kWhite, 0.9);
}

// Both glass pictures share the margin and texture size.
void blitGlass(const Rect& r, GlassArgs args, const std::string& prefix, double alpha) {
    const double pad = tubeGeometry(r.w).pad;
    const int W = devicePx(r.w + 2 * pad, 4), H = devicePx(r.h + 2 * pad, 4);
    const std::string key = prefix + sizeSuffix(W, H);
    gpuBlit(gpuTexture(key, W, H, paintGlass, &args), r.x - pad, r.y - pad, r.w + 2 * pad,
            r.h + 2 * pad, alpha);
}

}  // namespace

TubeGeometry tubeGeometry(double w) {
    TubeGeometry g;
    g.pad = std::max(10.0, 0.2 * w);
    g.r = 0.5 * w;
    g.lipOut = std::max(3.0, 0.08 * w);
    g.lipDrop = std::max(4.0, 0.1 * w);
    g.openingRy = std::max(3.0, 0.07 * w);
    return g;
}

TubeReach tubeReach(double w) {
    const TubeGeometry g = tubeGeometry(w);
    // The opening's ellipse rises above the top edge; its rim stroke adds a unit. The ground
    // shadow is an ellipse 3 below the bottom, 0.22 of 0.85 w high and 0.85 w wide on each side.
    return {std::max(g.openingRy - 0.2 * g.lipDrop, 0.0) + 1,
            kShadowDrop + kShadowSquash * kShadowRadius * w,
            std::max(g.pad, (kShadowRadius - 0.5) * w + 1)};
}

void blitTube(const Rect& r, const TubeStyle& st) {
    if (r.w <= 2 || r.h <= 2) return;
    {
        const double sw = 2 * kShadowRadius * r.w + 2,
                     sh = 2 * kShadowSquash * kShadowRadius * r.w + 2;
        const int W = devicePx(sw, 4), H = devicePx(sh, 4);
        ShadowArgs args{r.w, sw, sh};
        gpuBlit(gpuTexture("t.s/" + sizeSuffix(W, H), W, H, paintShadow, &args), r.cx() - sw / 2,
                r.bottom() + kShadowDrop - sh / 2, sw, sh, 1);
    }
    const std::string prefix = "t.g/" + theme::hex6(st.tint) + "/" + (st.selected ? "s" : "-") +
                               (st.flashing ? "f" : "-") + "/";
    blitGlass(r, GlassArgs{r.w, r.h, st.tint, st.selected, st.flashing, false}, prefix, 1);
}

void blitTubeGlow(const Rect& r, double alpha) {
    if (alpha <= 0.001 || r.w <= 2) return;
    blitGlass(r, GlassArgs{r.w, r.h, 0xFFFFFF, false, false, true}, "t.glow/",
              std::clamp(alpha, 0.0, 1.0));
}

void blitTubeFluid(const Rect& r, uint32_t color, double fill, double t, double phase) {
    if (fill < 0) return;
    const double fa = std::min(fill, 1.0);
    const double w = r.w, h = r.h, s = gpuScale();
    if (fa <= 0.001 || w <= 2) return;

    const double rad = 0.5 * w;
    const double amp = std::max(2.0, 0.055 * w);
    const double floorY = r.y + h - rad;
    const double surfaceY = floorY - fa * (floorY - (r.y + 0.05 * h));
    const std::string hex = theme::hex6(color);

    // Body: one texture of the whole tube, cut at the surface by the source rectangle.
    {
        const int W = devicePx(w, 4), H = devicePx(h, 4);
        FluidArgs args{w, h, rad, color};
        SDL_Texture* tex =
            gpuTexture("t.f/" + hex + "/" + sizeSuffix(W, H), W, H, paintFluid, &args);
        const double visibleH = std::max(0.0, r.y + h - surfaceY);
        const int srcY = static_cast<int>(std::lround((h - visibleH) * s));
        if (H - srcY > 0)
            gpuBlitSrc(tex, 0, srcY, W, H - srcY, r.x, surfaceY, w, visibleH,
                       std::min(1.0, 2 * fa));
    }

    // Surface wave, scrolled through a half-width window.
    {
        const double strokeW = std::max(1.5, 0.03 * w);
        const double waveH = 2 * amp + 2 * strokeW;
        const int W = devicePx(2 * w, 8), H = devicePx(waveH, 4);
        WaveArgs args{w, amp, color, strokeW};
        SDL_Texture* tex =
            gpuTexture("t.w/" + hex + "/" + sizeSuffix(W, H), W, H, paintWave, &args);
        double u = std::fmod(0.35 * t + 0.16 * phase, 1.0);
        if (u < 0) u += 1.0;
        const int half = W / 2;
        gpuBlitSrc(tex, static_cast<int>(half * u), 0, half, H, r.x, surfaceY - waveH / 2, w, waveH,
                   std::min(1.0, 3 * fa));
    }

    if (fa < 0.12) return;
    const double exitY = r.y - 3.5 * rad;
    const double base = 0.72 * std::min(1.0, 1.6 * fa);
    for (const Bubble& b : kBubbles) {
        const double br = w * b.size;
        const int W = devicePx(2 * br, 4);
        BubbleArgs args{br};
        SDL_Texture* tex = gpuTexture("t.b/" + std::to_string(W), W, W, paintBubble, &args);
        double cycle = std::fmod(t * b.speed + phase + b.offset, kBubbleCycle);
        if (cycle < 0) cycle += kBubbleCycle;
        const double local = cycle / kBubbleCycle;
        const double ty = floorY - (floorY - exitY) * local;
        const double dx = 0.9 * br * std::sin(7 * local + phase + b.offset);
        const double tx = r.x + w * b.x + dx;
        double radius = br, diameter = 2 * br;
        double alpha = base;
        if (local > 0.82) {
            const double swell = 1 + 0.8 * (local - 0.82) / 0.18;
            radius *= swell;
            diameter *= swell;
        }
        if (local < 0.12)
            alpha = base * local / 0.12;
        else if (local >= 0.82)
            alpha = base * (1 - (local - 0.82) / 0.18);
        gpuBlit(tex, tx - radius, ty - radius, diameter, diameter, alpha);
    }
}

uint32_t fluidColorFor(int level, uint32_t seed, int tubeIdx) {
    uint32_t s = static_cast<uint32_t>(level) * 7919u + seed * 31u +
                 static_cast<uint32_t>(tubeIdx) * 1009u + 17u;
    uint32_t h = (s ^ (s >> 13)) * 0x85EBCA6Bu;
    return kLabColors[h % 7];
}

void drawTubeCairo(cairo_t* cr, const Rect& r, const TubeStyle& st) {
    if (r.w <= 2 || r.h <= 2) return;
    const double pad = tubeGeometry(r.w).pad;
    GlassArgs args{r.w, r.h, st.tint, st.selected, st.flashing, false};
    shadowAt(cr, r.cx(), r.bottom() + kShadowDrop, r.w);
    cairo_save(cr);
    cairo_translate(cr, r.x - pad, r.y - pad);
    paintGlass(cr, &args);
    cairo_restore(cr);
}

}  // namespace ui
