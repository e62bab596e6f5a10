// The temple ending: a Buddha at dusk holding a glowing marble, the verdict on the run and the
// way back to the menu.
//
// Index: counts and marble rules; layout; painters; the temple; the screen.
// Every picture is painted once per device-pixel size into the texture cache; the colour
// cycling is done by tinting white textures, so no new hue ever needs a repaint.
#include "screens/ending.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "core/levels.h"
#include "core/numbers.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "platform/audio.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/effects.h"
#include "ui/gpu.h"
#include "ui/motion.h"
#include "ui/widgets.h"

namespace screens {

// ---- Counts and marble rules ----

EndingCounts endingCounts(int forcePerfect) {
    EndingCounts k;
    k.total = std::max(0, mar::totalLevels());
    for (int level = 0; level < k.total; ++level) {
        // A damaged file may hold any number; stars outside 0…3 are clamped into that range.
        if (std::clamp(store::bestFor(level).stars, 0, 3) == 3) ++k.perfectCount;
    }
    if (forcePerfect > 0) {
        k.allPerfect = true;
        k.perfectCount = k.total;
    } else if (forcePerfect == 0) {
        k.allPerfect = false;
        k.perfectCount = std::max(0, std::min(k.perfectCount, k.total - 1));
    } else {
        k.allPerfect = k.perfectCount >= k.total;
    }
    return k;
}

double buddhaHue(double t) {
    const double hue = std::fmod(48 * t, 360.0);
    return hue < 0 ? hue + 360 : hue;
}

int buddhaDigit(double t) {
    const long long step = static_cast<long long>(std::floor(2 * t));
    return static_cast<int>(((step % 15) + 15) % 15) + 1;
}

double buddhaDigitAlpha(double t) {
    const double f = 2 * t - std::floor(2 * t);
    return std::min(1.0, 6 * std::min(f, 1 - f));
}

// ---- Layout ----

namespace {

ui::TextStyle messageStyle(bool perfect) {
    ui::TextStyle st = theme::textStyle(theme::TextRole::Label, 16);
    st.color = perfect ? 0xB7791A : theme::kText;
    return st;
}

double messageWidth(double w) {
    return std::max(1.0, std::min(w - 40, 560.0));
}

const char* messageKey(bool perfect) {
    return perfect ? "ending.buddhaPerfect" : "ending.buddhaIncomplete";
}

}  // namespace

EndingLayout endingLayout(double w, double h, double messageH) {
    EndingLayout L;
    const bool landscape = w > h;
    L.headSize = landscape ? 24 : 30;
    L.sceneW = std::min(w, 520.0);
    L.sceneH = landscape ? std::min(0.46 * h, 320.0) : std::min(0.4 * h, 420.0);
    L.left = (w - L.sceneW) / 2;
    L.top = 0.04 * h + 1.6 * L.headSize;
    // In low windows a four-line message would push the progress line under the button, which
    // stops 74 units above the bottom; the scene gives up to a fifth of its height instead (more
    // would squash the marble onto the face).
    const auto buttonY = [&] { return L.top + L.sceneH + 12 + messageH + 12 + 30; };
    L.sceneH -= std::clamp(buttonY() - (h - 74), 0.0, 0.2 * L.sceneH);
    L.messageY = L.top + L.sceneH + 12;
    L.messageW = messageWidth(w);
    L.progressY = L.messageY + messageH + 12;
    const double bw = std::min(0.72 * w, 300.0);
    L.back = {(w - bw) / 2, std::min(buttonY(), h - 74), bw, 50};
    return L;
}

double endingMessageHeight(cairo_t* cr, double w, bool perfect) {
    return ui::measureWrappedHeight(cr, messageWidth(w), i18n::tr(messageKey(perfect)),
                                    messageStyle(perfect));
}

namespace {

// HSL (hue in degrees, any value; s and l 0 to 1) to 0xRRGGBB, channels rounded.
uint32_t hslRgb(double h, double s, double l) {
    return ui::effectHsl(h, s, l);
}

// ---- Painters ----

struct TempleArgs {
    double w, h;
    bool perfect;
};
struct SkyArgs {
    double w, h;
};
struct DigitArgs {
    const char* text;
    double size, w, h;
};
struct DiscArgs {
    double r;
};
struct GlowArgs {
    double r;
};
struct RingArgs {
    double r, width;
};

void paintSky(cairo_t* cr, void* arg) {
    const SkyArgs& a = *static_cast<SkyArgs*>(arg);
    const ui::Stop stops[] = {
        {0.0, 0xFFE7B8, 1}, {0.45, 0xFFD6C0, 1}, {0.78, 0xF7C6CF, 1}, {1.0, 0xE9B9C8, 1}};
    cairo_rectangle(cr, 0, 0, a.w, a.h);
    ui::fillLinear(cr, 0, 0, 0, a.h, stops, 4);
}

void paintGlow(cairo_t* cr, void* arg) {
    const double r = static_cast<GlowArgs*>(arg)->r;
    const ui::Stop stops[] = {{0, 0xFFE282, 0.6}, {1, 0xFFD25A, 0}};
    cairo_new_sub_path(cr);
    cairo_arc(cr, r, r, r, 0, 2 * kPi);
    ui::fillRadial(cr, r, r, r, stops, 2);
}

void paintDisc(cairo_t* cr, void* arg) {
    const double r = static_cast<DiscArgs*>(arg)->r;
    ui::fillCircle(cr, r, r, r, 0xFFFFFF, 1);
}

void paintRing(cairo_t* cr, void* arg) {
    const RingArgs& a = *static_cast<RingArgs*>(arg);
    const double c = a.r + a.width / 2;
    ui::strokeCircle(cr, c, c, a.r, a.width, 0xFFFFFF, 1);
}

void paintDigit(cairo_t* cr, void* arg) {
    const DigitArgs& a = *static_cast<DigitArgs*>(arg);
    ui::drawTextCentered(cr, a.w / 2, a.h / 2, a.text,
                         theme::textStyle(theme::TextRole::Glyph, a.size));
}

// ---- The temple ----

// A quadratic curve from the current point, as the cubic cairo draws.
void quadTo(cairo_t* cr, double qx, double qy, double x, double y) {
    double x0 = 0, y0 = 0;
    cairo_get_current_point(cr, &x0, &y0);
    cairo_curve_to(cr, x0 + 2.0 / 3 * (qx - x0), y0 + 2.0 / 3 * (qy - y0), x + 2.0 / 3 * (qx - x),
                   y + 2.0 / 3 * (qy - y), x, y);
}

// A pagoda roof with upturned eaves: hw is half the width at the eave line, h its height.
void roofPath(cairo_t* cr, double cx, double y, double hw, double h) {
    cairo_new_path(cr);
    cairo_move_to(cr, cx - 0.26 * hw, y);
    cairo_line_to(cr, cx + 0.26 * hw, y);
    quadTo(cr, cx + 0.8 * hw, y + 0.55 * h, cx + hw, y + h);
    quadTo(cr, cx + 1.16 * hw, y + 0.5 * h, cx + 1.2 * hw, y + 0.22 * h);
    cairo_line_to(cr, cx - 1.2 * hw, y + 0.22 * h);
    quadTo(cr, cx - 1.16 * hw, y + 0.5 * h, cx - hw, y + h);
    quadTo(cr, cx - 0.8 * hw, y + 0.55 * h, cx - 0.26 * hw, y);
    cairo_close_path(cr);
}

// An arc of an ellipse, angles in degrees clockwise on screen from +x.
void ellipseArc(cairo_t* cr, double cx, double cy, double rx, double ry, double fromDeg,
                double toDeg) {
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, fromDeg * kPi / 180, toDeg * kPi / 180);
    cairo_restore(cr);  // stroke in unscaled space, so the line keeps its width
    cairo_stroke(cr);
}

void paintTemple(cairo_t* cr, void* arg) {
    const TempleArgs& a = *static_cast<TempleArgs*>(arg);
    const double w = a.w, h = a.h, cx = 0.5 * w;

    // Halo behind the head.
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, 0.46 * h, 0.2 * w, 0, 2 * kPi);
    const ui::Stop normalHalo[] = {{0, 0xFFEEC8, 0.7}, {0.6, 0xFFE0AA, 0.15}, {1, 0xFFE0AA, 0}};
    const ui::Stop perfectHalo[] = {{0, 0xFFEC96, 0.95}, {0.6, 0xFFD25A, 0.2}, {1, 0xFFD25A, 0}};
    ui::fillRadial(cr, cx, 0.46 * h, 0.2 * w, a.perfect ? perfectHalo : normalHalo, 3);

    // Platform and pillars.
    const ui::Rect platform{cx - 0.36 * w, 0.78 * h, 0.72 * w, 0.14 * h};
    ui::fillRect(cr, platform, 0xB9694C, 1);
    cairo_rectangle(cr, platform.x, platform.y, platform.w, platform.h);
    ui::setColor(cr, 0x7D3F2C, 1);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    ui::fillRect(cr, {cx - 0.27 * w, 0.46 * h, 0.05 * w, 0.32 * h}, 0xA85A3F, 1);
    ui::fillRect(cr, {cx + 0.22 * w, 0.46 * h, 0.05 * w, 0.32 * h}, 0xA85A3F, 1);

    // Two roofs and the finial.
    roofPath(cr, cx, 0.42 * h, 0.34 * w, 0.12 * h);
    ui::setColor(cr, 0x7D3F2C, 1);
    cairo_fill(cr);
    roofPath(cr, cx, 0.2 * h, 0.24 * w, 0.1 * h);
    ui::setColor(cr, 0x8C4733, 1);
    cairo_fill(cr);
    ui::fillCircle(cr, cx, 0.16 * h, 0.022 * w, 0xE8B34A, 1);

    // The seated body.
    cairo_new_path(cr);
    cairo_move_to(cr, cx - 0.19 * w, 0.9 * h);
    quadTo(cr, cx - 0.16 * w, 0.62 * h, cx - 0.11 * w, 0.55 * h);
    quadTo(cr, cx - 0.05 * w, 0.5 * h, cx, 0.5 * h);
    quadTo(cr, cx + 0.05 * w, 0.5 * h, cx + 0.11 * w, 0.55 * h);
    quadTo(cr, cx + 0.16 * w, 0.62 * h, cx + 0.19 * w, 0.9 * h);
    quadTo(cr, cx, 0.95 * h, cx - 0.19 * w, 0.9 * h);
    cairo_close_path(cr);
    ui::setColor(cr, a.perfect ? 0xE0A73C : 0xCF9A44, 1);
    cairo_fill_preserve(cr);
    ui::setColor(cr, 0xA9742A, 1);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);

    // The lap the marble rests on, the head and its knot.
    ui::fillCircle(cr, cx, 0.74 * h, 0.07 * w, a.perfect ? 0xEEBB58 : 0xDCAB55, 1);
    const double hr = 0.082 * w, hy = 0.46 * h;
    ui::fillCircle(cr, cx, hy, hr, a.perfect ? 0xF0C065 : 0xE3B25A, 1);
    ui::fillCircle(cr, cx, hy - 0.95 * hr, 0.32 * hr, 0xB9842F, 1);

    // Closed eyes and a smile: three arcs curving downwards.
    ui::setColor(cr, 0x6E4A1F, 1);
    cairo_set_line_width(cr, std::max(0.006 * w, 1.4));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    ellipseArc(cr, cx - 0.39 * hr, hy + 0.1 * hr, 0.16 * hr, 0.15 * hr, 20, 140);
    ellipseArc(cr, cx + 0.38 * hr, hy + 0.1 * hr, 0.16 * hr, 0.15 * hr, 20, 140);
    ellipseArc(cr, cx, hy + 0.48 * hr, 0.3 * hr, 0.2 * hr, 10, 170);
}

// ---- Cached textures ----
// Each key names every device-pixel size the picture depends on, and the painter works from
// those same sizes, so one key always means one picture.

int devicePx(double logical, int atLeast) {
    return std::max(atLeast, static_cast<int>(std::lround(logical * ui::gpuScale())));
}

SDL_Texture* skyTexture(double w, double h) {
    const int wPx = devicePx(w, 8), hPx = devicePx(h, 8);
    SkyArgs args{wPx / ui::gpuScale(), hPx / ui::gpuScale()};
    char key[48];
    std::snprintf(key, sizeof key, "ending.sky/%dx%d", wPx, hPx);
    return ui::gpuTexture(key, wPx, hPx, paintSky, &args);
}

SDL_Texture* templeTexture(double w, double h, bool perfect) {
    const int wPx = devicePx(w, 8), hPx = devicePx(h, 8);
    TempleArgs args{wPx / ui::gpuScale(), hPx / ui::gpuScale(), perfect};
    char key[64];
    std::snprintf(key, sizeof key, "ending.temple/%s/%dx%d", perfect ? "perfect" : "normal", wPx,
                  hPx);
    return ui::gpuTexture(key, wPx, hPx, paintTemple, &args);
}

SDL_Texture* glowTexture(double r) {
    const int px = devicePx(2 * r, 4);
    GlowArgs args{px / (2 * ui::gpuScale())};
    return ui::gpuTexture("ending.glow/" + std::to_string(px), px, px, paintGlow, &args);
}

SDL_Texture* discTexture(double r) {
    const int px = devicePx(2 * r, 4);
    DiscArgs args{px / (2 * ui::gpuScale())};
    return ui::gpuTexture("ending.disc/" + std::to_string(px), px, px, paintDisc, &args);
}

SDL_Texture* ringTexture(double r, double width) {
    const int px = devicePx(2 * r + width, 4);
    // The stroke width goes into the key in tenths of a device pixel: it is thin enough that
    // whole pixels would visibly thicken or thin the rim.
    const int tenths = std::max(1, static_cast<int>(std::lround(10 * width * ui::gpuScale())));
    const double lw = tenths / (10 * ui::gpuScale());
    RingArgs args{std::max(0.0, (px / ui::gpuScale() - lw) / 2), lw};
    char key[48];
    std::snprintf(key, sizeof key, "ending.ring/%d/%d", px, tenths);
    return ui::gpuTexture(key, px, px, paintRing, &args);
}

SDL_Texture* digitTexture(int n, double side) {
    const int px = devicePx(side, 4);
    const std::string text = std::to_string(n);
    const double s = px / ui::gpuScale();
    DigitArgs args{text.c_str(), 1.05 * s / 2, s, s};
    char key[48];
    std::snprintf(key, sizeof key, "ending.digit/%d/%d", n, px);
    return ui::gpuTexture(key, px, px, paintDigit, &args);
}

// ---- The screen ----

// The marble in the Buddha's lap: glow, coloured body, highlight, number, gold rim, sparkle.
void drawBuddhaMarble(double cx, double cy, double r, double t) {
    const double hue = buddhaHue(t);
    const double g = 1.7 * r;
    ui::gpuBlit(glowTexture(g), cx - g, cy - g, 2 * g, 2 * g, 1);
    ui::gpuBlitTinted(discTexture(r), cx - r, cy - r, 2 * r, 2 * r, hslRgb(hue, 0.82, 0.58), 1);
    const double hl = 0.62 * r, hx = cx - 0.3 * r, hy = cy - 0.32 * r;
    ui::gpuBlitTinted(discTexture(hl), hx - hl, hy - hl, 2 * hl, 2 * hl, hslRgb(hue, 0.7, 0.82),
                      0.55);
    // The circling sparkle lies under the number, so it never hides the digit it passes.
    const double sr = 0.26 * r, angle = 2.4 * t;
    const double sx = cx + 0.42 * r * std::cos(angle), sy = cy + 0.42 * r * std::sin(angle);
    ui::gpuBlit(discTexture(sr), sx - sr, sy - sr, 2 * sr, 2 * sr, 0.92);
    ui::gpuBlitTinted(digitTexture(buddhaDigit(t), 2 * r), cx - r, cy - r, 2 * r, 2 * r, 0x2A2A2A,
                      buddhaDigitAlpha(t));
    const double lw = std::max(0.13 * r, 1.5);
    ui::gpuBlitTinted(ringTexture(r, lw), cx - r - lw / 2, cy - r - lw / 2, 2 * r + lw, 2 * r + lw,
                      0xF1C452, 1);
}

void goToMenu(const ui::Ctx& c) {
    ui::GameState menu;
    menu.kind = ui::ScreenKind::Menu;
    c.resetTo(menu);
}

class Ending : public ui::Screen {
  public:
    explicit Ending(const EndingCounts& k)
        : allPerfect_(k.allPerfect), perfectCount_(k.perfectCount), total_(k.total) {}

    void update(ui::Ctx& c) override {
        ui::gpuBlit(skyTexture(c.w, c.h), 0, 0, c.w, c.h, 1);
        const bool calm = ui::motionReduced();
        if (allPerfect_ && !calm) ui::drawFireworks(c);

        const EndingLayout L = endingLayout(c.w, c.h, endingMessageHeight(c.cr, c.w, allPerfect_));
        const double br = 0.052 * L.sceneW, bx = L.left + L.sceneW / 2,
                     by = L.top + 0.74 * L.sceneH;
        ui::TextStyle head = theme::textStyle(theme::TextRole::Raised, L.headSize);
        head.color = theme::kAccent;
        head.maxWidth = c.w - 40;
        head.shadowAlpha = 0.25;
        ui::drawText(c.cr, c.w / 2, 0.04 * c.h, i18n::tr("ending.headline"), head);

        ui::gpuBlit(templeTexture(L.sceneW, L.sceneH, allPerfect_), L.left, L.top, L.sceneW,
                    L.sceneH, 1);
        // A perfect run's calm celebration: the marble glows instead of fireworks filling the sky.
        if (allPerfect_ && calm) ui::drawCalmGlow(c, {bx - br, by - br, 2 * br, 2 * br}, 0xF1C452);
        drawBuddhaMarble(bx, by, br, ui::motionTime(c));

        ui::drawTextWrapped(c.cr, (c.w - L.messageW) / 2, L.messageY, L.messageW,
                            i18n::tr(messageKey(allPerfect_)), messageStyle(allPerfect_));

        ui::TextStyle progress = theme::textStyle(theme::TextRole::Label, 14);
        progress.color = theme::kTextMuted;
        progress.maxWidth = c.w - 40;  // long translations shrink instead of leaving the window
        progress.minScale = 0;
        ui::drawText(c.cr, c.w / 2, L.progressY,
                     i18n::tr("ending.starsProgress", {{"got", std::to_string(perfectCount_)},
                                                       {"total", std::to_string(total_)}}),
                     progress);

        ui::MenuBtnOpts back;
        back.primary = true;
        back.fontSize = 17;
        if (ui::menuButton(c, L.back, i18n::tr("ending.back"), back)) {
            audio::play(audio::Sfx::Click);
            goToMenu(c);
            return;
        }
        if (!calm) ui::drawCherryBlossoms(c);
        if (c.in.hasKey(SDLK_ESCAPE)) goToMenu(c);
    }

  private:
    bool allPerfect_;
    int perfectCount_;
    int total_;
};

}  // namespace

std::unique_ptr<ui::Screen> makeEnding(const ui::GameState& s) {
    return std::make_unique<Ending>(endingCounts(s.forcePerfect));
}

}  // namespace screens
