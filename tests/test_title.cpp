// Rainbow title: glyph splitting, widths, hue colours, motion, cached glyph textures and pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "harness.h"
#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/title.h"

using harness::Canvas;
using harness::Options;
using harness::RendererKind;

namespace {

ui::TextStyle glyphStyle(double size) {
    ui::TextStyle st;
    st.family = "sans";
    st.size = size;
    st.bold = true;
    st.align = ui::Align::Center;
    return st;
}

// A context on a scratch surface, for measuring.
struct Scratch {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 400, 200);
    cairo_t* cr = cairo_create(s);
    ~Scratch() {
        cairo_destroy(cr);
        cairo_surface_destroy(s);
    }
    double glyphWidth(const std::string& g, double size) {
        double w = 0;
        ui::measureText(cr, g, glyphStyle(size), &w, nullptr);
        return w;
    }
};

// Columns of the image whose pixels differ from the background.
std::pair<int, int> inkColumns(const harness::Image& img, uint32_t background) {
    int lo = -1, hi = -1;
    for (int x = 0; x < img.w; ++x)
        for (int y = 0; y < img.h; ++y)
            if ((img.at(x, y) & 0xFFFFFF) != background) {
                if (lo < 0) lo = x;
                hi = x;
                break;
            }
    return {lo, hi};
}

}  // namespace

TEST(TitleGlyphs, CodePointsAreCutByTheirLeadBytes) {
    using V = std::vector<std::string>;
    EXPECT_EQ(ui::splitUtf8(""), V{});
    EXPECT_EQ(ui::splitUtf8("A B"), (V{"A", " ", "B"}));
    EXPECT_EQ(ui::splitUtf8("B\xC3\xA4r"), (V{"B", "\xC3\xA4", "r"})) << "a two-byte letter";
    EXPECT_EQ(ui::splitUtf8("\xE2\x80\x93\xF0\x9F\x8E\xB1"),
              (V{"\xE2\x80\x93", "\xF0\x9F\x8E\xB1"}));
    EXPECT_EQ(ui::splitUtf8("A\xC3"), (V{"A", "\xC3"})) << "a lone lead byte at the end";
    EXPECT_EQ(ui::splitUtf8("A\xF0\x9F"), (V{"A", "\xF0\x9F"})) << "a cut-off sequence";
    EXPECT_EQ(ui::splitUtf8("\x80\xF8"), (V{"\x80", "\xF8"})) << "stray bytes stand alone";
}

TEST(TitleWidth, GlyphsAddTwoUnitsEachAndABlankAThirdOfTheSize) {
    Scratch sc;
    const double size = 48;
    EXPECT_EQ(ui::measureRainbowTitleCairo(sc.cr, "", size), 0);
    const double wA = sc.glyphWidth("A", size), wB = sc.glyphWidth("B", size);
    ASSERT_GT(wA, 10);
    EXPECT_DOUBLE_EQ(ui::measureRainbowTitleCairo(sc.cr, "A B", size),
                     (wA + 2) + 0.34 * size + (wB + 2));
    EXPECT_DOUBLE_EQ(ui::measureRainbowTitleCairo(sc.cr, "  ", size), 0.68 * size);
    const double wUml = sc.glyphWidth("\xC3\xA4", size);
    EXPECT_DOUBLE_EQ(ui::measureRainbowTitleCairo(sc.cr, "\xC3\xA4", size), wUml + 2);

    // The direct drawing returns the same width and draws nothing for an empty title.
    EXPECT_DOUBLE_EQ(ui::drawRainbowTitleCairo(sc.cr, 200, 20, "A B", size, 1.3, true),
                     (wA + 2) + 0.34 * size + (wB + 2));
    cairo_surface_t* empty = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 50, 50);
    cairo_t* cr = cairo_create(empty);
    EXPECT_EQ(ui::drawRainbowTitleCairo(cr, 25, 0, "", size, 0, true), 0);
    cairo_surface_flush(empty);
    const unsigned char* data = cairo_image_surface_get_data(empty);
    bool blank = true;
    for (int i = 0; i < cairo_image_surface_get_stride(empty) * 50; ++i)
        blank &= data[i] == 0;
    EXPECT_TRUE(blank);
    cairo_destroy(cr);
    cairo_surface_destroy(empty);
}

TEST(TitleHue, HslWheelAtSaturation85AndLightness66) {
    EXPECT_EQ(ui::titleHueColor(0), 0xF25F5Fu);
    EXPECT_EQ(ui::titleHueColor(120), 0x5FF25Fu);
    EXPECT_EQ(ui::titleHueColor(240), 0x5F5FF2u);
    EXPECT_EQ(ui::titleHueColor(60), 0xF2F25Fu);
    EXPECT_EQ(ui::titleHueColor(30), 0xF2A85Fu) << "X = 0.289: (0.289 + 0.371) x 255 = 168.3";
    // One hue inside each of the six sectors.
    EXPECT_EQ(ui::titleHueColor(90), 0xA8F25Fu);
    EXPECT_EQ(ui::titleHueColor(150), 0x5FF2A8u);
    EXPECT_EQ(ui::titleHueColor(210), 0x5FA8F2u);
    EXPECT_EQ(ui::titleHueColor(270), 0xA85FF2u);
    EXPECT_EQ(ui::titleHueColor(330), 0xF25FA8u);
    EXPECT_EQ(ui::titleHueColor(360), 0xF25F5Fu);
    EXPECT_EQ(ui::titleHueColor(-120), 0x5F5FF2u) << "negative hues wrap";
    EXPECT_EQ(ui::titleHueColor(70 * 10.0 + 26 * 3), ui::titleHueColor(58));
}

TEST(TitleMotion, EachGlyphSpinsInTurnAndTheWordBobsInAWave) {
    const ui::GlyphMotion g0 = ui::titleGlyphMotion(0, 0);
    EXPECT_DOUBLE_EQ(g0.phase, 0);
    EXPECT_DOUBLE_EQ(g0.angleDeg, 0);
    EXPECT_DOUBLE_EQ(g0.factor, 1) << "starting its spin";
    EXPECT_DOUBLE_EQ(g0.bob, 0);
    const ui::GlyphMotion g1 = ui::titleGlyphMotion(1, 0);
    EXPECT_NEAR(g1.phase, 0.95, 1e-12);
    EXPECT_EQ(g1.angleDeg, 0);
    EXPECT_EQ(g1.factor, 1);
    EXPECT_NEAR(g1.bob, 5 * std::sin(-0.55), 1e-12);

    // Half-way through the spin (p = 0.5): 180 degrees and the full pop.
    const ui::GlyphMotion mid = ui::titleGlyphMotion(0, 0.64);
    EXPECT_NEAR(mid.angleDeg, 180, 1e-9);
    EXPECT_NEAR(mid.factor, 1.22, 1e-12);
    // p = 0.25 eases in (4 p^3), p = 0.75 eases out.
    EXPECT_NEAR(ui::titleGlyphMotion(0, 0.32).angleDeg, 360 * 4 * 0.015625, 1e-9);
    EXPECT_NEAR(ui::titleGlyphMotion(0, 0.96).angleDeg, 360 * (1 - 0.0625), 1e-9);
    // Still from phase 0.4 to the end of the 3.2 s cycle; glyph 2 runs 0.32 s behind glyph 0.
    EXPECT_EQ(ui::titleGlyphMotion(0, 1.4).angleDeg, 0);
    EXPECT_EQ(ui::titleGlyphMotion(0, 3.1).factor, 1);
    EXPECT_NEAR(ui::titleGlyphMotion(2, 0.96).angleDeg, 180, 1e-9);
    EXPECT_NEAR(ui::titleGlyphMotion(0, 3.2 + 0.64).angleDeg, 180, 1e-9);
}

TEST(TitleCached, OneWhiteTexturePerGlyphAndSizeAndTwoBlitsPerVisibleGlyph) {
    Canvas canvas(Options{400, 160, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    const double size = 40, pad = 0.6 * size;
    double wA = 0, hA = 0, width = 0, measured = 0;
    canvas.frame(0.7, [&](ui::Ctx& c) {
        ui::measureText(c.cr, "A", glyphStyle(size), &wA, &hA);
        measured = ui::measureRainbowTitle(c, "AAB A", size);
        width = ui::drawRainbowTitle(c, 200, 30, "AAB A", size);
        EXPECT_EQ(ui::gpuDrawCalls(), 8) << "4 glyphs, the blank draws nothing";
    });
    EXPECT_EQ(ui::gpuCacheSize(), 2) << "A and B";
    const int aW = static_cast<int>(std::lround(wA + pad));
    const int aH = static_cast<int>(std::lround(hA + pad));
    int w = 0, h = 0;
    EXPECT_TRUE(ui::gpuCached(ui::titleGlyphKey("A", aW, aH), &w, &h));
    EXPECT_EQ(ui::titleGlyphKey("A", aW, aH),
              "title/A/" + std::to_string(aW) + "x" + std::to_string(aH));
    EXPECT_DOUBLE_EQ(width, measured);

    canvas.frame(0.8, [&](ui::Ctx& c) {
        EXPECT_EQ(ui::drawRainbowTitle(c, 200, 30, "", size), 0);
        EXPECT_EQ(ui::gpuDrawCalls(), 0);
    });

    // Twice the display scale: twice the device pixels in the key.
    Canvas hidpi(Options{200, 80, 2.0, RendererKind::Software, false});
    ASSERT_TRUE(hidpi.ok());
    hidpi.frame(0, [&](ui::Ctx& c) {
        ui::measureText(c.cr, "A", glyphStyle(size), &wA, &hA);
        ui::drawRainbowTitle(c, 100, 10, "A", size);
    });
    EXPECT_TRUE(ui::gpuCached(ui::titleGlyphKey("A", static_cast<int>(std::lround(2 * (wA + pad))),
                                                static_cast<int>(std::lround(2 * (hA + pad)))),
                              nullptr, nullptr));
}

TEST(TitlePicture, BothVariantsTintTheGlyphWithItsHueAndCentreTheTitle) {
    const uint32_t bg = 0x000000;
    const double size = 80, cx = 150, top = 20;
    Scratch sc;
    double gh = 0;
    ui::measureText(sc.cr, "I", glyphStyle(size), nullptr, &gh);
    const int stemY = static_cast<int>(top + gh / 2);

    // At t = 0 glyph 0 is upright, unscaled and not bobbing; its hue is 0.
    for (bool cached : {true, false}) {
        SCOPED_TRACE(cached ? "cached" : "direct");
        Canvas canvas(Options{300, 160, 1.0, RendererKind::Software, false});
        ASSERT_TRUE(canvas.ok());
        canvas.frame(
            0,
            [&](ui::Ctx& c) {
                if (cached)
                    ui::drawRainbowTitle(c, cx, top, "I", size);
                else
                    ui::drawRainbowTitleCairo(c.cr, cx, top, "I", size, 0, true);
            },
            bg);
        const harness::Image img = canvas.snapshot();
        const uint32_t p = img.at(static_cast<int>(cx), stemY);
        EXPECT_NEAR(harness::redOf(p), 0xF2, 3);
        EXPECT_NEAR(harness::greenOf(p), 0x5F, 3);
        EXPECT_NEAR(harness::blueOf(p), 0x5F, 3);
        // The glyph's box (its width plus the 2-unit gap) is centred on cx, so the stem's ink
        // lies about a unit left of it; the shadow adds nothing sideways.
        const auto [lo, hi] = inkColumns(img, bg);
        ASSERT_GE(lo, 0);
        EXPECT_NEAR((lo + hi) / 2.0, cx - 1, 2.5);
        // The brown shadow shows 3 units below the stem's foot.
        int foot = stemY;
        while (foot < img.h - 1 && harness::redOf(img.at(static_cast<int>(cx), foot + 1)) > 200)
            ++foot;
        const uint32_t below = img.at(static_cast<int>(cx), foot + 2);
        EXPECT_GT(harness::redOf(below), harness::blueOf(below)) << "brownish";
        EXPECT_GT(harness::redOf(below), 20);
    }
}
