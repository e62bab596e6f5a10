// Celebration effects: falling petals, fireworks, a spiral burst of dots and a marble fountain.
//
// Index: shared helpers and painters; cherry blossoms; fireworks; marble burst; marble fountain.
// All randomness is a fixed hash of constants, so every run shows the same animation.
#include "ui/effects.h"
#include "core/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/motion.h"

namespace ui {

namespace {

constexpr double kMaxStep = 0.06;  // a stalled frame must not make particles jump

constexpr uint32_t kPetalColors[5] = {0xFFD6E8, 0xFFC2DA, 0xFFAFCC, 0xFFE0EC, 0xFFB8D6};
constexpr uint32_t kPalette[12] = {0xFF6B6B, 0xFFD23D, 0x3FC8D4, 0xFF8FAB, 0x62C370, 0xFF9F45,
                                   0x7C9EFF, 0xC98FFF, 0xFF5C8A, 0x36B9C9, 0xFFE066, 0x9ED36A};

constexpr uint32_t kRespawnSeed = 4711;

struct State {
    Blossoms blossoms;
    Fireworks fireworks;
    Fountain fountain;
    uint32_t respawn = kRespawnSeed;  // the fountain's respawn generator, shared by all balls
    Fountain stillFountain;           // the one picture shown while motion is reduced
};

State& state() {
    static State s;
    return s;
}

// ---- Painters (white unless stated; the blit tints them) ----

struct PetalArgs {
    double s;
};
struct DotArgs {
    double r;
};
struct BallArgs {
    double r;
    uint32_t color;
    bool withShadow;  // never set; the fountain's balls fly without a shadow
};

void paintPetal(cairo_t* cr, void* arg) {
    const double s = static_cast<PetalArgs*>(arg)->s;
    cairo_translate(cr, s, s);
    cairo_move_to(cr, 0, s);
    cairo_curve_to(cr, 0.85 * s, 0.35 * s, 0.7 * s, -0.7 * s, 0.18 * s, -0.55 * s);
    // The little notch at the tip.
    cairo_curve_to(cr, 0.12 * s, -0.463 * s, -0.12 * s, -0.463 * s, -0.18 * s, -0.55 * s);
    cairo_curve_to(cr, -0.7 * s, -0.7 * s, -0.85 * s, 0.35 * s, 0, s);
    cairo_close_path(cr);
    setColor(cr, 0xFFFFFF, 1);
    cairo_fill(cr);
}

void paintDot(cairo_t* cr, void* arg) {
    const double r = static_cast<DotArgs*>(arg)->r;
    fillCircle(cr, r, r, r, 0xFFFFFF, 1);
}

void paintBall(cairo_t* cr, void* arg) {
    const BallArgs& a = *static_cast<BallArgs*>(arg);
    const double r = a.r;
    cairo_translate(cr, r, r);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, r, 0, 2 * kPi);
    const Stop stops[3] = {{0, theme::lighten(a.color, 0.35), 1},
                           {0.55, a.color, 1},
                           {1, theme::darken(a.color, 0.4), 1}};
    fillRadial(cr, -0.32 * r, -0.34 * r, 1.35 * r, stops, 3);
    fillCircle(cr, -0.36 * r, -0.4 * r, 0.22 * r, 0xFFFFFF, 0.75);
    fillCircle(cr, -0.5 * r, -0.18 * r, 0.08 * r, 0xFFFFFF, 0.55);
}

int squarePx(double logical) {
    return std::max(4, static_cast<int>(std::lround(logical * gpuScale())));
}

SDL_Texture* dotTexture(double r) {
    const int px = squarePx(2 * r);
    DotArgs args{r};
    return gpuTexture("fx.dot/" + std::to_string(px), px, px, paintDot, &args);
}

SDL_Texture* petalTexture(double size) {
    const int px = squarePx(2 * size);
    PetalArgs args{size};
    return gpuTexture("fx.petal/" + std::to_string(px), px, px, paintPetal, &args);
}

SDL_Texture* ballTexture(double r, uint32_t color) {
    const int px = squarePx(2 * r);
    char key[40];
    std::snprintf(key, sizeof key, "fx.ball/%06x/%d", color & 0xFFFFFFu, px);
    BallArgs args{r, color, false};
    return gpuTexture(key, px, px, paintBall, &args);
}

double stepOf(const Ctx& c) {
    return std::min(c.dt, kMaxStep);
}

bool usableSize(const Ctx& c) {
    return c.w > 0 && c.h > 0;
}

}  // namespace

// ---- Shared helpers ----

uint32_t effectHsl(double h, double s, double l) {
    const double c = (1 - std::fabs(2 * l - 1)) * s;
    return theme::hueColor(h, c, l - c / 2);
}

int burstArmLength(double w, double h) {
    return static_cast<int>(std::ceil(std::min(w, h) * 0.56 / 30));
}

const Blossoms& blossomsState() {
    return state().blossoms;
}
const Fireworks& fireworksState() {
    return state().fireworks;
}
const Fountain& fountainState() {
    return state().fountain;
}

void effectsShutdown() {
    state() = State{};
}

// ---- Cherry blossoms ----

namespace {

void buildBlossoms(Blossoms& b, double w, double h) {
    b = Blossoms{};
    b.ready = true;
    b.w = w;
    b.h = h;
    b.petals.resize(26);
    for (uint32_t i = 0; i < 26; ++i) {
        double u[10];
        for (uint32_t k = 0; k < 10; ++k)
            u[k] = mix(0x6D2BF4ACu + i * 0x43B2C392u + k * kMixStep);
        Petal& p = b.petals[i];
        p.size = 7 + 9 * u[0];
        p.baseX = u[1] * w;
        p.y = u[2] * h;
        p.rot = 2 * kPi * u[3];
        p.driftAmp = 14 + 26 * u[4];
        p.driftFreq = 0.5 + 0.9 * u[5];
        p.driftPhase = 2 * kPi * u[6];
        p.fallSpeed = 45 + 70 * u[7];
        p.spinSpeed = (u[8] - 0.5) * 1.8;
        p.color = kPetalColors[static_cast<int>(5 * u[9])];
    }
}

}  // namespace

void drawCherryBlossoms(Ctx& c) {
    if (!usableSize(c)) return;
    Blossoms& b = state().blossoms;
    if (!b.ready || b.w != c.w || b.h != c.h) buildBlossoms(b, c.w, c.h);
    const double step = stepOf(c);
    b.clock += step;
    for (Petal& p : b.petals) {
        p.y += p.fallSpeed * step;
        p.rot += p.spinSpeed * step;
        if (p.y > b.h + 30) {
            // Re-enter at the top somewhere else, so the fall never repeats visibly.
            p.y = -30;
            p.baseX = std::fmod(p.driftAmp * 7.3 + p.baseX + b.clock * 137, b.w);
        }
        const double x = p.baseX + p.driftAmp * std::sin(p.driftPhase + b.clock * p.driftFreq);
        gpuBlitTintedRot(petalTexture(p.size), x, p.y, 2 * p.size, 2 * p.size, p.rot * 180 / kPi,
                         p.color, 0.92);
    }
}

// ---- Fireworks ----

namespace {

void buildFireworks(Fireworks& f, double w, double h) {
    f = Fireworks{};
    f.ready = true;
    f.w = w;
    f.h = h;
    for (uint32_t i = 0; i < 5; ++i) {
        const uint32_t s = 0x6D2CDA57u + i * 0x0AFB63FBu;
        Rocket& r = f.rockets[i];
        r.cycleTime = 2.8 + 1.4 * mix(s);
        r.originX = (0.15 + 0.7 * mix(s + kMixStep)) * w;
        r.explodeY = (0.16 + 0.32 * mix(s + 2 * kMixStep)) * h;
        r.phaseOffset = 0.7 * i + 0.5 * mix(s + 3 * kMixStep);
        r.baseHue = 360 * mix(s + 4 * kMixStep);
        for (uint32_t j = 0; j < 14; ++j) {
            const uint32_t q = s + 4 * kMixStep + 3 * j * kMixStep;
            Spark& sp = r.sparks[j];
            sp.angle = 2 * kPi * j / 14 + (mix(q + kMixStep) - 0.5) * 0.3;
            sp.speed = 150 + 130 * mix(q + 2 * kMixStep);
            sp.hueShift = (mix(q + 3 * kMixStep) - 0.5) * 44;
        }
    }
}

constexpr double kRiseTime = 0.9;
constexpr double kBurstTime = 1.4;

}  // namespace

void drawFireworks(Ctx& c) {
    if (!usableSize(c)) return;
    Fireworks& f = state().fireworks;
    if (!f.ready || f.w != c.w || f.h != c.h) buildFireworks(f, c.w, c.h);
    f.clock += stepOf(c);
    const double h = f.h;
    for (const Rocket& r : f.rockets) {
        const double since = f.clock + r.phaseOffset;
        const double u = std::fmod(since, r.cycleTime);
        if (u <= kRiseTime) {
            // From the bottom edge up to the burst height, slowing down on the way.
            const double k = 1 - u / kRiseTime;
            const double y = h - (1 - k * k) * (h - r.explodeY);
            gpuBlitTinted(dotTexture(4), r.originX - 4, y - 4, 8, 8, 0xFFF6D0, 0.95);
        } else if (u <= kRiseTime + kBurstTime) {
            const double e = u - kRiseTime;
            const double p = e / kBurstTime;
            double alpha = 1 - p;
            if (p < 0.08) alpha = (p / 0.08) * (1 - p);  // a quick flash-in
            // Every cycle shifts the colours, so the same rocket never repeats its burst.
            const double n = std::floor(since / r.cycleTime);
            SDL_Texture* tex = dotTexture(3.6);
            for (const Spark& sp : r.sparks) {
                const uint32_t color = effectHsl(47 * n + r.baseHue + sp.hueShift, 0.9, 0.62);
                const double x = r.originX + std::cos(sp.angle) * sp.speed * e;
                const double y = r.explodeY + std::sin(sp.angle) * sp.speed * e + 210 * e * e;
                gpuBlitTinted(tex, x - 3.6, y - 3.6, 7.2, 7.2, color, alpha);
            }
        }
    }
}

// ---- Marble burst ----

namespace {

// How far past the rectangle to keep clear a dot fades in again.
constexpr double kClearFade = 28;

// 1 for a dot (a 28-unit square around x, y) well away from the rectangle, easing down to 0 as
// the square comes up to its edge and beyond.
double clearFactor(const Rect& keepClear, double x, double y) {
    if (keepClear.w <= 0 || keepClear.h <= 0) return 1;
    const double gx = std::max({0.0, keepClear.x - (x + 14), (x - 14) - keepClear.right()});
    const double gy = std::max({0.0, keepClear.y - (y + 14), (y - 14) - keepClear.bottom()});
    const double u = std::clamp(std::hypot(gx, gy) / kClearFade, 0.0, 1.0);
    return u * u * (3 - 2 * u);
}

}  // namespace

void drawMarbleBurst(Ctx& c, const Rect& keepClear) {
    if (!usableSize(c)) return;
    const int n = burstArmLength(c.w, c.h);
    const double t = c.t;
    for (int a = 0; a < 4; ++a) {
        for (int i = 0; i <= n; ++i) {
            double slot = std::fmod(i + t * 32 / 30, n + 1.0);
            if (slot < 0) slot += n + 1;
            const double angle = 0.45 * slot + 0.35 * t + a * kPi / 2;
            const double x = c.w / 2 + std::cos(angle) * 30 * slot;
            const double y = c.h / 2 + std::sin(angle) * 30 * slot;
            const double alpha = 0.5 * clearFactor(keepClear, x, y);
            if (alpha <= 0.001) continue;
            const double hue = 9 * t + 15 * slot;
            gpuBlitTinted(dotTexture(14), x - 14, y - 14, 28, 28, effectHsl(hue, 0.85, 0.6), alpha);
            gpuBlitTinted(dotTexture(4.48), x - 4.76 - 4.48, y - 5.32 - 4.48, 8.96, 8.96,
                          effectHsl(hue, 0.6, 0.87), alpha);
        }
    }
}

// ---- Marble fountain ----

namespace {

void buildFountain(Fountain& f, double w, double h) {
    f = Fountain{};
    f.ready = true;
    f.w = w;
    f.h = h;
    f.balls.resize(24);
    for (uint32_t i = 0; i < 24; ++i) {
        const uint32_t c = 0x48B7D2B5u + i * 0x47826DDFu;
        FountainBall& b = f.balls[i];
        b.colorId = static_cast<int>(12 * mix(c - kMixStep));
        b.delay = 0.2 * mix(c) + 0.22 * i;
        b.r = 12 + 10 * mix(c - 2 * kMixStep);
        b.cx = w / 2;
        b.cy = h + 50;
    }
}

void blitBall(const FountainBall& b) {
    gpuBlit(ballTexture(b.r, kPalette[b.colorId % 12]), b.cx - b.r, b.cy - b.r, 2 * b.r, 2 * b.r,
            0.92);
}

// One step of every ball; a ball drawn is one that flew on (not one just launched or fallen).
void stepFountain(Fountain& f, double step, uint32_t& respawn, bool draw) {
    const auto draw01 = [&respawn] {
        respawn += kMixStep;
        return mix(respawn);
    };
    const double w = f.w, h = f.h;
    for (FountainBall& b : f.balls) {
        if (!b.alive) {
            b.delay -= step;
            if (b.delay <= 0) {
                const double u1 = draw01(), u2 = draw01(), u3 = draw01();
                b.cx = w / 2 + 28 * (2 * u1 - 1);
                b.cy = h + b.r;
                b.vx = 140 * (2 * u2 - 1);
                b.vy = -900 - 400 * u3;
                b.alive = true;
            }
            continue;
        }
        b.cx += b.vx * step;
        b.cy += b.vy * step;
        b.vy += 900 * step;
        if (b.cy > h + 2 * b.r) {
            b.alive = false;
            b.delay = 0.2 + 1.5 * draw01();
            continue;
        }
        if (draw) blitBall(b);
    }
}

// The fountain as it stands kStillFountainAge seconds after it began, always the same picture.
constexpr double kStillFountainAge = 2.4;

const Fountain& stillFountain(double w, double h) {
    Fountain& f = state().stillFountain;
    if (f.ready && f.w == w && f.h == h) return f;
    buildFountain(f, w, h);
    uint32_t respawn = kRespawnSeed;
    for (int i = 0; i < static_cast<int>(kStillFountainAge * 60); ++i)
        stepFountain(f, 1.0 / 60, respawn, false);
    return f;
}

}  // namespace

void drawMarbleFountain(Ctx& c) {
    if (!usableSize(c)) return;
    if (motionReduced()) {
        for (const FountainBall& b : stillFountain(c.w, c.h).balls)
            if (b.alive) blitBall(b);
        return;
    }
    Fountain& f = state().fountain;
    if (!f.ready || f.w != c.w || f.h != c.h) buildFountain(f, c.w, c.h);
    stepFountain(f, stepOf(c), state().respawn, true);
}

// ---- A calm celebration ----

namespace {

struct GlowArgs {
    double w, h;
};

// A soft white halo filling an ellipse, strongest at its centre.
void paintGlow(cairo_t* cr, void* arg) {
    const GlowArgs& a = *static_cast<GlowArgs*>(arg);
    cairo_save(cr);
    cairo_translate(cr, a.w / 2, a.h / 2);
    cairo_scale(cr, a.w / 2, a.h / 2);
    const Stop stops[3] = {{0, 0xFFFFFF, 0.9}, {0.55, 0xFFFFFF, 0.45}, {1, 0xFFFFFF, 0}};
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    fillRadial(cr, 0, 0, 1, stops, 3);
    cairo_restore(cr);
}

}  // namespace

void drawCalmGlow(Ctx& c, const Rect& around, uint32_t rgb) {
    if (!usableSize(c) || around.w <= 0 || around.h <= 0) return;
    const double gw = around.w + 2 * kCalmGlowMargin, gh = around.h + 2 * kCalmGlowMargin;
    const int wPx = squarePx(gw), hPx = squarePx(gh);
    GlowArgs args{gw, gh};
    SDL_Texture* tex = gpuTexture("fx.glow/" + std::to_string(wPx) + "x" + std::to_string(hPx), wPx,
                                  hPx, paintGlow, &args);
    gpuBlitTinted(tex, around.cx() - gw / 2, around.cy() - gh / 2, gw, gh, rgb, calmGlowAlpha(c.t));
}

double calmGlowAlpha(double t) {
    return 0.4 + 0.12 * std::sin(2 * kPi * t / kCalmGlowPeriod);
}

}  // namespace ui
