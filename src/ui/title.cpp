// The rainbow title: layout, hue wheel and motion, drawn directly or from cached white glyphs.
#include "ui/title.h"

#include <algorithm>
#include <cmath>

#include "core/numbers.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/motion.h"

namespace ui {

namespace {

constexpr uint32_t kShadowColor = 0x784614;
constexpr double kShadowAlpha = 0.4;
constexpr double kShadowDy = 3;
constexpr double kSpaceWidth = 0.34;  // of the font size
constexpr double kGlyphGap = 2;

struct GlyphArgs {
    const std::string* text;
    double size;
    double w, h;
};

TextStyle glyphStyle(double fontSize, uint32_t color, double alpha) {
    TextStyle st = theme::textStyle(theme::TextRole::Glyph, fontSize);
    st.color = color;
    st.alpha = alpha;
    return st;
}

bool isSpace(const std::string& g) {
    return g == " ";
}

void paintGlyph(cairo_t* cr, void* arg) {
    const GlyphArgs& a = *static_cast<GlyphArgs*>(arg);
    drawTextCentered(cr, a.w / 2, a.h / 2, *a.text, glyphStyle(a.size, 0xFFFFFF, 1));
}

}  // namespace

// ---- Pieces ----

std::vector<std::string> splitUtf8(const std::string& text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t len = 1;
        if (lead >= 0xF0 && lead <= 0xF7)
            len = 4;
        else if (lead >= 0xE0 && lead <= 0xEF)
            len = 3;
        else if (lead >= 0xC0 && lead <= 0xDF)
            len = 2;
        len = std::min(len, text.size() - i);
        out.push_back(text.substr(i, len));
        i += len;
    }
    return out;
}

uint32_t titleHueColor(double hueDeg) {
    return theme::hueColor(hueDeg, 0.578, 0.371);
}

GlyphMotion titleGlyphMotion(int index, double t) {
    GlyphMotion mo;
    const double cycle = (t - 0.16 * index) / 3.2;
    mo.phase = cycle - std::floor(cycle);
    if (mo.phase < 0.4) {
        const double p = mo.phase / 0.4;
        const double q = 2 - 2 * p;
        const double e = p < 0.5 ? 4 * p * p * p : 1 - q * q * q / 2;
        mo.angleDeg = e * 360;
        mo.factor = 1 + 0.22 * std::sin(kPi * p);
    }
    mo.bob = 5 * std::sin(2.1 * t - 0.55 * index);
    return mo;
}

std::string titleGlyphKey(const std::string& glyph, int wPx, int hPx) {
    return "title/" + glyph + "/" + std::to_string(wPx) + "x" + std::to_string(hPx);
}

// ---- Measuring ----

namespace {

struct GlyphBox {
    std::string text;
    bool space = false;
    double w = 0, h = 0;
};

// Every glyph measured once; the title's width comes back through width.
std::vector<GlyphBox> measureGlyphs(cairo_t* cr, const std::string& text, double fontSize,
                                    double* width) {
    const TextStyle st = glyphStyle(fontSize, 0xFFFFFF, 1);
    std::vector<GlyphBox> boxes;
    double total = 0;
    for (std::string& g : splitUtf8(text)) {
        GlyphBox b;
        b.text = std::move(g);
        b.space = isSpace(b.text);
        if (b.space) {
            total += kSpaceWidth * fontSize;
        } else {
            measureText(cr, b.text, st, &b.w, &b.h);
            total += b.w + kGlyphGap;
        }
        boxes.push_back(std::move(b));
    }
    *width = total;
    return boxes;
}

}  // namespace

double measureRainbowTitleCairo(cairo_t* cr, const std::string& text, double fontSize) {
    double width = 0;
    measureGlyphs(cr, text, fontSize, &width);
    return width;
}

double measureRainbowTitle(Ctx& ctx, const std::string& text, double fontSize) {
    return measureRainbowTitleCairo(ctx.cr, text, fontSize);
}

// ---- Drawing ----

double drawRainbowTitleCairo(cairo_t* cr, double cx, double y, const std::string& text,
                             double fontSize, double t, bool spin) {
    double width = 0;
    const std::vector<GlyphBox> boxes = measureGlyphs(cr, text, fontSize, &width);
    double x = cx - width / 2;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const GlyphBox& b = boxes[i];
        if (b.space) {
            x += kSpaceWidth * fontSize;
            continue;
        }
        const int index = static_cast<int>(i);
        GlyphMotion mo;
        if (spin) mo = titleGlyphMotion(index, t);
        const uint32_t color = titleHueColor(70 * t + 26 * index);
        for (int pass = 0; pass < 2; ++pass) {
            const bool shadow = pass == 0;
            cairo_save(cr);
            cairo_translate(cr, x + b.w / 2, y + b.h / 2 + mo.bob + (shadow ? kShadowDy : 0));
            cairo_rotate(cr, mo.angleDeg * kPi / 180);
            cairo_scale(cr, mo.factor, mo.factor);
            drawTextCentered(cr, 0, 0, b.text,
                             shadow ? glyphStyle(fontSize, kShadowColor, kShadowAlpha)
                                    : glyphStyle(fontSize, color, 1));
            cairo_restore(cr);
        }
        x += b.w + kGlyphGap;
    }
    return width;
}

double drawRainbowTitle(Ctx& ctx, double cx, double y, const std::string& text, double fontSize) {
    const double t = motionTime(ctx);
    double width = 0;
    const std::vector<GlyphBox> boxes = measureGlyphs(ctx.cr, text, fontSize, &width);
    const double s = gpuScale();
    const double pad = 0.6 * fontSize;
    double x = cx - width / 2;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const GlyphBox& b = boxes[i];
        if (b.space) {
            x += kSpaceWidth * fontSize;
            continue;
        }
        const int index = static_cast<int>(i);
        const double tw = b.w + pad, th = b.h + pad;
        const int wPx = std::max(4, static_cast<int>(std::lround(tw * s)));
        const int hPx = std::max(4, static_cast<int>(std::lround(th * s)));
        GlyphMotion mo = titleGlyphMotion(index, t);
        // Standing still, the glyphs keep the wave's shape but none is caught mid-turn.
        if (motionReduced()) {
            mo.angleDeg = 0;
            mo.factor = 1;
        }
        const double gx = x + b.w / 2, gy = y + b.h / 2 + mo.bob;

        // One white texture per glyph and size serves every colour, angle and pop.
        GlyphArgs args{&b.text, fontSize, tw, th};
        SDL_Texture* tex = gpuTexture(titleGlyphKey(b.text, wPx, hPx), wPx, hPx, paintGlyph, &args);
        gpuBlitTintedRot(tex, gx, gy + kShadowDy, tw * mo.factor, th * mo.factor, mo.angleDeg,
                         kShadowColor, kShadowAlpha);
        gpuBlitTintedRot(tex, gx, gy, tw * mo.factor, th * mo.factor, mo.angleDeg,
                         titleHueColor(70 * t + 26 * index), 1);
        x += b.w + kGlyphGap;
    }
    return width;
}

}  // namespace ui
