// World backgrounds, part two: painting the scene and its beach objects, waves and foam.
//
// Index: beach objects; the still scene; waves and foam; drawing per frame.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/numbers.h"
#include "ui/background.h"
#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/marble.h"
#include "ui/motion.h"

namespace ui {

using theme::ShapeKind;

namespace {

// ---- Beach objects ----

void shellPath(cairo_t* cr, double r) {
    cairo_move_to(cr, 0, 0.5 * r);
    for (int k = 0; k < 10; ++k) {
        const double a = (180 + k * 20) * kPi / 180;
        const double d = k % 2 == 0 ? r : 0.82 * r;
        cairo_line_to(cr, std::cos(a) * d, std::sin(a) * d);
    }
    cairo_close_path(cr);
}

void starfishPath(cairo_t* cr, double r) {
    for (int k = 0; k < 10; ++k) {
        const double a = (k * 36 - 90) * kPi / 180;
        const double d = k % 2 == 0 ? r : 0.45 * r;
        cairo_line_to(cr, std::cos(a) * d, std::sin(a) * d);
    }
    cairo_close_path(cr);
}

void shovelPath(cairo_t* cr, double r) {
    cairo_move_to(cr, -0.5 * r, 0);
    cairo_line_to(cr, -0.52 * r, 0.45 * r);
    cairo_curve_to(cr, -0.17 * r, 0.78 * r, 0.17 * r, 0.78 * r, 0.52 * r, 0.45 * r);
    cairo_line_to(cr, 0.5 * r, 0);
    const double handle[8][2] = {{0.14, 0},      {0.14, -0.85},  {0.42, -0.85},  {0.42, -1.08},
                                 {-0.42, -1.08}, {-0.42, -0.85}, {-0.14, -0.85}, {-0.14, 0}};
    for (const auto& p : handle)
        cairo_line_to(cr, p[0] * r, p[1] * r);
    cairo_close_path(cr);
}

void sandcastlePath(cairo_t* cr, double r) {
    double x = -0.9 * r;
    cairo_move_to(cr, x, 0.7 * r);
    cairo_line_to(cr, x, -0.25 * r);
    for (int j = 0; j < 5; ++j) {
        const double y = j % 2 == 0 ? -0.7 * r : -0.25 * r;
        cairo_line_to(cr, x, y);
        x += 0.36 * r;
        cairo_line_to(cr, x, y);
    }
    cairo_line_to(cr, 0.9 * r, 0.7 * r);
    cairo_close_path(cr);
}

// A quadratic curve from the current point, as the equivalent cubic.
void quadTo(cairo_t* cr, double qx, double qy, double x, double y) {
    double x0 = 0, y0 = 0;
    cairo_get_current_point(cr, &x0, &y0);
    cairo_curve_to(cr, x0 + 2.0 / 3 * (qx - x0), y0 + 2.0 / 3 * (qy - y0), x + 2.0 / 3 * (qx - x),
                   y + 2.0 / 3 * (qy - y), x, y);
}

void umbrellaCanopy(cairo_t* cr, double r) {
    cairo_move_to(cr, -r, 0);
    cairo_arc(cr, 0, 0, r, kPi, 2 * kPi);
    // Back along the lower edge in four scallops.
    for (int k = 0; k < 4; ++k) {
        const double x = r - k * 0.5 * r;
        quadTo(cr, x - 0.25 * r, 0.3 * r, x - 0.5 * r, 0);
    }
    cairo_close_path(cr);
}

void umbrellaStripe(cairo_t* cr, double r, double a) {
    cairo_move_to(cr, 0, -r);
    quadTo(cr, a * r, -0.5 * r, a * r - 0.15 * r, 0);
    cairo_line_to(cr, a * r + 0.15 * r, 0);
    quadTo(cr, a * r + 0.06 * r, -0.5 * r, 0, -r);
    cairo_close_path(cr);
}

void drawUmbrella(cairo_t* cr, double r, uint32_t color) {
    fillRect(cr, Rect{-0.05 * r, 0, 0.1 * r, 1.15 * r}, theme::darken(color, 0.45), 1);
    umbrellaCanopy(cr, r);
    setColor(cr, color, 1);
    cairo_fill(cr);
    for (double a : {-0.55, 0.25}) {
        umbrellaStripe(cr, r, a);
        setColor(cr, 0xFFFFFF, 0.85);
        cairo_fill(cr);
    }
    fillCircle(cr, 0, -r, 0.08 * r, theme::darken(color, 0.3), 1);
}

void drawBeachball(cairo_t* cr, double r, uint32_t color) {
    fillCircle(cr, 0, 0, r, color, 1);
    const double width = std::max(1.5, 0.08 * r);
    for (double rx : {0.32, 0.66, 1.0})
        strokeOval(cr, 0, 0, rx * r, r, width, 0xFFFFFF, 0.85);
}

void drawWaveLens(cairo_t* cr, double w) {
    cairo_move_to(cr, -0.5 * w, 0);
    cairo_curve_to(cr, -0.25 * w, -0.18 * w, 0.25 * w, -0.18 * w, 0.5 * w, 0);
    cairo_curve_to(cr, 0.25 * w, 0.18 * w, -0.25 * w, 0.18 * w, -0.5 * w, 0);
    cairo_close_path(cr);
    setColor(cr, 0xFFFFFF, 0.55);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
}

bool isSoft(ShapeKind k) {
    return k == ShapeKind::Marble || k == ShapeKind::Wave || k == ShapeKind::Sand ||
           k == ShapeKind::Dot || k == ShapeKind::Ring;
}

}  // namespace

void drawShape(cairo_t* cr, const Shape& s) {
    switch (s.kind) {
        case ShapeKind::Marble:
            drawBgMarbleCairo(cr, s.cx, s.cy, s.r, s.color);
            return;
        case ShapeKind::Sand:
        case ShapeKind::Dot:
            fillCircle(cr, s.cx, s.cy, s.r, s.color, 1);
            return;
        case ShapeKind::Ring:
            strokeCircle(cr, s.cx, s.cy, s.r, s.w, s.color, 1);
            return;
        case ShapeKind::Sun:
            return;  // the scene paints its own sun
        default:
            break;
    }
    cairo_save(cr);
    cairo_translate(cr, s.cx, s.cy);
    cairo_rotate(cr, s.rot);
    switch (s.kind) {
        case ShapeKind::Shell:
            shellPath(cr, s.r);
            break;
        case ShapeKind::Starfish:
            starfishPath(cr, s.r);
            break;
        case ShapeKind::Shovel:
            shovelPath(cr, s.r);
            break;
        case ShapeKind::Sandcastle:
            sandcastlePath(cr, s.r);
            break;
        case ShapeKind::Beachball:
            drawBeachball(cr, s.r, s.color);
            break;
        case ShapeKind::Umbrella:
            drawUmbrella(cr, s.r, s.color);
            break;
        case ShapeKind::Wave:
            drawWaveLens(cr, s.w);
            break;
        default:
            break;
    }
    if (s.kind == ShapeKind::Shell || s.kind == ShapeKind::Starfish ||
        s.kind == ShapeKind::Shovel || s.kind == ShapeKind::Sandcastle) {
        setColor(cr, s.color, 1);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

// ---- The still scene ----

namespace {

void cloudPath(cairo_t* cr, double r) {
    const double circles[4][3] = {
        {-0.85, 0.1, 0.55}, {-0.25, -0.25, 0.7}, {0.45, -0.05, 0.6}, {0.95, 0.15, 0.42}};
    for (const auto& c : circles) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, c[0] * r, c[1] * r, c[2] * r, 0, 2 * kPi);
    }
    ovalPath(cr, 0, 0.325 * r, 1.2 * r, 0.375 * r);
}

// Beach objects of one group, painted together so that overlaps do not add up their alpha.
void paintGroup(cairo_t* cr, const Scene& sc, bool soft, double alpha) {
    cairo_push_group(cr);
    for (const Shape& s : sc.shapes)
        if (isSoft(s.kind) == soft) drawShape(cr, s);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, alpha);
}

}  // namespace

void paintScene(cairo_t* cr, void* arg) {
    const SceneArgs& a = *static_cast<SceneArgs*>(arg);
    const Scene& sc = a.scene;
    const theme::World& world = a.world;
    const double W = sc.w, H = sc.h;
    const double horizonY = kHorizonFrac * H, shoreY = kShoreFrac * H;
    const uint32_t bg = world.bg, sun = world.sun;
    const uint32_t sandLight = theme::lighten(bg, 0.16);
    const uint32_t sandDeep = theme::darken(bg, 0.07);
    const uint32_t sunCore = theme::lighten(sun, 0.5);

    fillRect(cr, Rect{0, 0, W, H}, bg, 1);

    cairo_rectangle(cr, 0, 0, W, horizonY + 1);
    const Stop sky[2] = {{0, world.sky[0], 1}, {1, world.sky[1], 1}};
    fillLinear(cr, 0, 0, 0, horizonY, sky, 2);

    if (sc.sunR > 0) {
        const Stop halo[2] = {{0, sun, 0.55}, {1, sun, 0}};
        cairo_new_sub_path(cr);
        cairo_arc(cr, sc.sunCx, sc.sunCy, 3.4 * sc.sunR, 0, 2 * kPi);
        fillRadial(cr, sc.sunCx, sc.sunCy, 3.4 * sc.sunR, halo, 2);
        const Stop disc[2] = {{0, sunCore, 1}, {1, sun, 1}};
        cairo_new_sub_path(cr);
        cairo_arc(cr, sc.sunCx, sc.sunCy, sc.sunR, 0, 2 * kPi);
        fillRadial(cr, sc.sunCx - 0.25 * sc.sunR, sc.sunCy - 0.25 * sc.sunR, 1.6 * sc.sunR, disc,
                   2);
    }

    for (const Scene::Cloud& cl : sc.clouds) {
        cairo_save(cr);
        cairo_translate(cr, cl.cx, cl.cy);
        cloudPath(cr, cl.r);
        setColor(cr, 0xFFFFFF, cl.alpha);
        cairo_fill(cr);
        cairo_restore(cr);
    }

    cairo_rectangle(cr, 0, horizonY, W, shoreY - horizonY + 1);
    const Stop sea[2] = {{0, world.sea[0], 1}, {1, world.sea[1], 1}};
    fillLinear(cr, 0, horizonY, 0, shoreY, sea, 2);

    // The glitter fades out sideways as it fades downwards, so it ends in no hard edge.
    const double gx = sc.sunCx - 1.1 * sc.sunR, gw = 2.2 * sc.sunR;
    cairo_push_group(cr);
    cairo_rectangle(cr, gx, horizonY, gw, shoreY - horizonY);
    const Stop glitter[2] = {{0, sunCore, 0.26}, {1, sunCore, 0.04}};
    fillLinear(cr, 0, horizonY, 0, shoreY, glitter, 2);
    cairo_pop_group_to_source(cr);
    cairo_pattern_t* sideways = cairo_pattern_create_linear(gx, 0, gx + gw, 0);
    static constexpr double kFade[][2] = {{0, 0},    {0.12, 0.2},  {0.25, 0.65}, {0.38, 1},
                                          {0.62, 1}, {0.75, 0.65}, {0.88, 0.2},  {1, 0}};
    for (const auto& st : kFade)
        cairo_pattern_add_color_stop_rgba(sideways, st[0], 0, 0, 0, st[1]);
    cairo_mask(cr, sideways);
    cairo_pattern_destroy(sideways);

    for (const Scene::Sparkle& sp : sc.sparkles)
        fillRect(cr, Rect{sp.cx, sp.cy, sp.w, 2}, 0xFFFFFF, 0.4);

    cairo_rectangle(cr, 0, shoreY, W, H - shoreY);
    const Stop sand[3] = {{0, sandLight, 1}, {0.45, bg, 1}, {1, sandDeep, 1}};
    fillLinear(cr, 0, shoreY, 0, H, sand, 3);

    // Hard objects stand out more than the soft ones at the same strength.
    paintGroup(cr, sc, true, a.opacity);
    paintGroup(cr, sc, false, std::min(1.0, 1.9 * a.opacity));

    cairo_rectangle(cr, 0, 0, W, H);
    const Stop vignette[3] = {{0, 0x503214, 0}, {0.72, 0x503214, 0}, {1, 0x503214, 0.14}};
    fillRadial(cr, 0.5 * W, 0.45 * H, 0.75 * std::max(W, H), vignette, 3);
    cairo_new_path(cr);  // a zero radius leaves the rectangle behind
}

// ---- Waves and foam ----

namespace {

struct WaveLineArgs {
    double w, amp, sw, alpha;
};

struct FoamArgs {
    double w, amp, sw, alpha;
    int segs;
};

struct WaveLine {
    double yFrac, amp, speed, phase, alpha, sw;
};
constexpr WaveLine kWaveLines[3] = {{0.3, 3.0, 1.1, 0, 0.3, 2.5},
                                    {0.58, 4.0, 0.8, 2.1, 0.38, 3.0},
                                    {0.82, 5.0, 1.4, 4.2, 0.45, 3.5}};

struct FoamLine {
    double amp, sw, alpha;
    int segs;
    double phase, dx, dy;
};
constexpr FoamLine kFoamLines[2] = {{7.0, 5.0, 0.85, 9, 0, 0, 0},
                                    {5.0, 3.0, 0.35, 7, 1.4, -20, 10}};

// Two periods of a sine over 2w, so that scrolling the source by half the width is seamless.
void paintWaveLine(cairo_t* cr, void* arg) {
    const WaveLineArgs& a = *static_cast<WaveLineArgs*>(arg);
    const double mid = a.amp + a.sw;
    for (int k = 0; k <= 64; ++k)
        cairo_line_to(cr, 2 * a.w * k / 64, mid + a.amp * std::sin(k * kPi / 16));
    setColor(cr, 0xFFFFFF, a.alpha);
    cairo_set_line_width(cr, a.sw);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void paintFoam(cairo_t* cr, void* arg) {
    const FoamArgs& a = *static_cast<FoamArgs*>(arg);
    if (a.segs < 1) return;
    const double mid = a.amp + a.sw, step = a.w / a.segs;
    cairo_move_to(cr, 0, mid);
    for (int k = 0; k < a.segs; ++k) {
        const double d = k % 2 == 0 ? -a.amp : 0.6 * a.amp;  // arch up, then dip
        quadTo(cr, k * step + step / 2, mid + d, k * step + step, mid);
    }
    setColor(cr, 0xFFFFFF, a.alpha);
    cairo_set_line_width(cr, a.sw);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

int devicePx(double logical, int least) {
    return std::max(least, static_cast<int>(std::lround(logical * gpuScale())));
}

void blitRollingWave(double W, double y, double amp, double speed, double phase, double t,
                     double alpha, double sw) {
    const double hW = 2 * amp + 2 * sw;
    const int wPx = devicePx(2 * W, 8), hPx = devicePx(hW, 4);
    const std::string key = "bg.w/" + std::to_string(wPx) + "x" + std::to_string(hPx) + "/" +
                            std::to_string(static_cast<int>(alpha * 100));
    WaveLineArgs args{W, amp, sw, alpha};
    SDL_Texture* tex = gpuTexture(key, wPx, hPx, paintWaveLine, &args);
    double u = std::fmod(t * speed * 0.16 + phase * 0.08, 1.0);
    if (u < 0) u += 1;
    const int half = wPx / 2;
    gpuBlitSrc(tex, static_cast<int>(half * u), 0, half, hPx, 0, y - hW / 2, W, hW, 1);
}

}  // namespace

// ---- Drawing per frame ----

void drawBackground(Ctx& c, int seed, int tier, double opacity, bool animated) {
    const Scene& scene = buildScene(seed, tier, c.w, c.h);
    const theme::World& world = theme::worldForTier(std::max(tier, 0));
    const int wPx = devicePx(c.w, 8), hPx = devicePx(c.h, 8);
    const std::string key = "bg/" + std::to_string(seed) + "/" + std::to_string(tier) + "/" +
                            std::to_string(static_cast<int>(opacity * 100)) + "/" +
                            std::to_string(wPx) + "x" + std::to_string(hPx);
    SceneArgs args{scene, world, opacity};
    gpuBlit(gpuTexture(key, wPx, hPx, paintScene, &args), 0, 0, c.w, c.h, 1);

    // A reduced-motion sea is the still sea of the boards.
    const double t = animated && !motionReduced() ? c.t : 0;
    const double horizonY = kHorizonFrac * c.h, shoreY = kShoreFrac * c.h;
    const double band = shoreY - horizonY;
    for (const WaveLine& l : kWaveLines)
        blitRollingWave(c.w, horizonY + l.yFrac * band, l.amp, l.speed, l.phase, t, l.alpha, l.sw);

    for (int i = 0; i < 2; ++i) {
        const FoamLine& f = kFoamLines[i];
        const double fw = c.w + 40, fh = 2 * f.amp + 2 * f.sw;
        const int fwPx = devicePx(fw, 8), fhPx = devicePx(fh, 4);
        const std::string fkey =
            "bg.f/" + std::to_string(i) + "/" + std::to_string(fwPx) + "x" + std::to_string(fhPx);
        FoamArgs fargs{fw, f.amp, f.sw, f.alpha, f.segs};
        // The foam sways sideways and up and down about the water's edge.
        const double x = 12 * std::sin(0.6 * t + f.phase) + f.dx;
        const double y = shoreY + f.dy + 3 * std::sin(0.9 * t + f.phase) - (f.amp + f.sw);
        gpuBlit(gpuTexture(fkey, fwPx, fhPx, paintFoam, &fargs), x, y, fw, fh, 1);
    }
}

void drawBackgroundCairo(cairo_t* cr, double w, double h, int seed, int tier, double opacity) {
    const Scene& scene = buildScene(seed, tier, w, h);
    SceneArgs args{scene, theme::worldForTier(std::max(tier, 0)), opacity};
    cairo_save(cr);
    paintScene(cr, &args);
    cairo_restore(cr);

    const double horizonY = kHorizonFrac * h, shoreY = kShoreFrac * h;
    const double band = shoreY - horizonY;
    for (const WaveLine& l : kWaveLines) {
        WaveLineArgs wa{w, l.amp, l.sw, l.alpha};
        cairo_save(cr);
        cairo_translate(cr, 0, horizonY + l.yFrac * band - (l.amp + l.sw));
        paintWaveLine(cr, &wa);
        cairo_restore(cr);
    }
    const double foamTop[2] = {shoreY - 12, shoreY + 2};
    for (int i = 0; i < 2; ++i) {
        const FoamLine& f = kFoamLines[i];
        FoamArgs fa{w + 40, f.amp, f.sw, f.alpha, f.segs};
        cairo_save(cr);
        cairo_translate(cr, -20, foamTop[i]);
        paintFoam(cr, &fa);
        cairo_restore(cr);
    }
}

}  // namespace ui
