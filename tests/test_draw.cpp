// Vector drawing and text: corner radii, gradients, soft shadows, shrink-to-fit and the text cache.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "i18n/i18n.h"
#include "ui/draw.h"

namespace {

// A transparent ARGB32 surface and a context on it, released together.
struct Surface {
    cairo_surface_t* s;
    cairo_t* cr;
    explicit Surface(int w = 200, int h = 80)
        : s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)), cr(cairo_create(s)) {}
    ~Surface() {
        cairo_destroy(cr);
        cairo_surface_destroy(s);
    }
    uint32_t at(int x, int y) {
        cairo_surface_flush(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        int stride = cairo_image_surface_get_stride(s);
        return reinterpret_cast<const uint32_t*>(data + y * stride)[x];
    }
    int alphaAt(int x, int y) { return static_cast<int>(at(x, y) >> 24); }
    // Leftmost and rightmost columns holding any ink, or -1 when there is none.
    std::pair<int, int> inkColumns() {
        int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        int lo = -1, hi = -1;
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y)
                if (alphaAt(x, y) > 0) {
                    if (lo < 0) lo = x;
                    hi = x;
                    break;
                }
        return {lo, hi};
    }
    bool blank() { return inkColumns().first < 0; }
};

ui::TextStyle textStyle(double size = 20) {
    ui::TextStyle st;
    st.family = "sans";
    st.size = size;
    st.color = 0x000000;
    return st;
}

}  // namespace

TEST(DrawShapes, RoundedCornersNeverExceedHalfTheShorterSide) {
    EXPECT_EQ(ui::roundedRectRadius(ui::Rect{0, 0, 40, 10}, 12), 5) << "a pill";
    EXPECT_EQ(ui::roundedRectRadius(ui::Rect{0, 0, 100, 60}, 12), 12);
    EXPECT_EQ(ui::roundedRectRadius(ui::Rect{0, 0, 10, 40}, 12), 5);

    // The pill's ends are half circles: the corner pixel stays empty, the middle of the end not.
    Surface surf(60, 20);
    ui::fillRoundedRect(surf.cr, ui::Rect{0, 0, 40, 10}, 12, 0x000000, 1);
    EXPECT_EQ(surf.alphaAt(0, 0), 0);
    EXPECT_GT(surf.alphaAt(1, 5), 200);
    EXPECT_EQ(surf.alphaAt(20, 0), 255);
}

TEST(DrawShapes, DegenerateGradientsAndOvalsPaintNothing) {
    const ui::Stop stops[] = {{0, 0xFF0000, 1}, {1, 0x0000FF, 1}};
    Surface surf;
    cairo_rectangle(surf.cr, 0, 0, 50, 50);
    ui::fillRadial(surf.cr, 25, 25, 0, stops, 2);
    cairo_new_path(surf.cr);
    cairo_rectangle(surf.cr, 0, 0, 50, 50);
    ui::fillLinear(surf.cr, 0, 0, 50, 0, stops, 0);
    cairo_new_path(surf.cr);
    ui::fillOval(surf.cr, 25, 25, 0, 10, 0x000000, 1);
    ui::fillOval(surf.cr, 25, 25, 10, -1, 0x000000, 1);
    EXPECT_TRUE(surf.blank());

    cairo_rectangle(surf.cr, 0, 0, 50, 50);
    ui::fillLinear(surf.cr, 0, 0, 50, 0, stops, 2);
    uint32_t left = surf.at(1, 10), right = surf.at(48, 10);
    EXPECT_GT((left >> 16) & 0xFF, 200u);
    EXPECT_GT(right & 0xFF, 200u);
}

TEST(DrawShapes, OvalStrokeKeepsItsWidthUndistorted) {
    Surface surf(200, 80);
    ui::strokeOval(surf.cr, 100, 40, 90, 10, 4, 0x000000, 1);
    // Top of the oval at y = 30: a 4 px line spans 28..32, not 90 times as wide.
    EXPECT_EQ(surf.alphaAt(100, 30), 255);
    EXPECT_EQ(surf.alphaAt(100, 26), 0);
    EXPECT_EQ(surf.alphaAt(100, 34), 0);
}

TEST(DrawShapes, SoftShadowStacksOneLayerPerPixelOfRadiusButAtLeastTwo) {
    // Every layer covers the shape once at alpha/steps, so its middle shows how many there were.
    auto centreAlpha = [](double radius) {
        Surface surf;
        cairo_rectangle(surf.cr, 60, 20, 80, 40);
        ui::softShadowFromPath(surf.cr, 0, 0, radius, 0x000000, 1);
        cairo_new_path(surf.cr);
        return surf.alphaAt(100, 40);
    };
    auto expected = [](int steps) { return 255 * (1 - std::pow(1 - 1.0 / steps, steps)); };
    EXPECT_NEAR(centreAlpha(0.5), expected(2), 2);
    EXPECT_NEAR(centreAlpha(1), expected(2), 2);
    EXPECT_NEAR(centreAlpha(6.9), expected(6), 2);
    EXPECT_EQ(ui::softShadowSteps(0.5), 2);
    EXPECT_EQ(ui::softShadowSteps(6.9), 6);

    // The shadow is offset and blurred; the path stays for the caller's own fill.
    Surface surf;
    cairo_rectangle(surf.cr, 60, 20, 40, 20);
    ui::softShadowFromPath(surf.cr, 0, 12, 6, 0x000000, 0.6);
    EXPECT_GT(surf.alphaAt(80, 48), 0) << "below the shape, moved down by dy";
    EXPECT_GT(surf.alphaAt(80, 55), 0) << "the blur reaches past the moved shape";
    EXPECT_EQ(surf.alphaAt(80, 8), 0) << "nothing above: the shadow moved down";
    ui::setColor(surf.cr, 0xFFFFFF, 1);
    cairo_fill(surf.cr);
    EXPECT_EQ(surf.at(80, 25), 0xFFFFFFFFu);
}

TEST(DrawText, ShrinkToFitStopsAtTheMinimumScale) {
    Surface surf(600, 80);
    ui::TextStyle st = textStyle(40);
    const std::string text = "Shrink this rather long line";
    double pw = 0, ph = 0;
    ui::measureText(surf.cr, text, st, &pw, &ph);
    ASSERT_GT(pw, 100);

    st.maxWidth = pw / 2;
    st.minScale = 0.7;
    EXPECT_DOUBLE_EQ(ui::textFitScale(surf.cr, text, st), 0.7);
    double w07 = 0;
    ui::measureText(surf.cr, text, st, &w07, nullptr);
    EXPECT_NEAR(w07, 0.7 * pw, 0.03 * pw);

    st.minScale = 0.4;
    EXPECT_DOUBLE_EQ(ui::textFitScale(surf.cr, text, st), 0.5);
    double w05 = 0;
    ui::measureText(surf.cr, text, st, &w05, nullptr);
    EXPECT_NEAR(w05, 0.5 * pw, 0.03 * pw);

    st.maxWidth = 0;
    EXPECT_DOUBLE_EQ(ui::textFitScale(surf.cr, text, st), 1.0) << "no limit, never shrunk";
    st.maxWidth = pw;
    EXPECT_DOUBLE_EQ(ui::textFitScale(surf.cr, text, st), 1.0) << "fits exactly";
}

TEST(DrawText, EmptyTextDrawsNothingAndMeasuresZero) {
    Surface surf;
    ui::TextStyle st = textStyle();
    st.shadowRadius = 4;
    st.shadowAlpha = 1;
    ui::drawText(surf.cr, 10, 10, "", st);
    ui::drawTextCentered(surf.cr, 100, 40, "", st);
    ui::drawTextOutlined(surf.cr, 10, 10, "", st, ui::OutlineOpts{2, 0xFF0000, 1});
    EXPECT_EQ(ui::drawTextWrapped(surf.cr, 0, 0, 100, "", st), 0);
    EXPECT_EQ(ui::measureWrappedHeight(surf.cr, 100, "", st), 0);
    double w = -1, h = -1;
    ui::measureText(surf.cr, "", st, &w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_TRUE(surf.blank());
}

TEST(DrawText, AlignmentPlacesTheTextAroundX) {
    ui::TextStyle st = textStyle(24);
    const std::string text = "Mmmm";
    for (ui::Align align : {ui::Align::Left, ui::Align::Center, ui::Align::Right}) {
        Surface surf(300, 60);
        st.align = align;
        double w = 0;
        ui::measureText(surf.cr, text, st, &w, nullptr);
        ui::drawText(surf.cr, 150, 10, text, st);
        auto [lo, hi] = surf.inkColumns();
        ASSERT_GE(lo, 0);
        // The ink lies on the side of x that the alignment names.
        const double anchor = align == ui::Align::Left     ? lo
                              : align == ui::Align::Center ? (lo + hi) / 2.0
                                                           : hi;
        EXPECT_NEAR(anchor, 150, 4);
        EXPECT_NEAR(hi - lo, w, 6);
    }
}

TEST(DrawText, WrappedTextGrowsDownwardAndReportsItsHeight) {
    Surface surf(300, 300);
    ui::TextStyle st = textStyle(16);
    const std::string text = "one two three four five six seven eight nine ten eleven twelve";
    double oneLine = ui::measureWrappedHeight(surf.cr, 1000, text, st);
    double narrow = ui::measureWrappedHeight(surf.cr, 80, text, st);
    EXPECT_GT(oneLine, 0);
    EXPECT_GE(narrow, 4 * oneLine) << "at most two words a line";
    EXPECT_EQ(ui::drawTextWrapped(surf.cr, 0, 0, 80, text, st), narrow);
    auto [lo, hi] = surf.inkColumns();
    EXPECT_LE(hi, 82);
    EXPECT_GE(lo, 0);
    // Single-line text after wrapped text is not wrapped again.
    double w = 0, h = 0;
    ui::measureText(surf.cr, text, st, &w, &h);
    EXPECT_GT(w, 300);
    EXPECT_EQ(h, oneLine);
}

TEST(DrawText, OutlineSurroundsTheGlyphsAndGlossLightensOnlyTheirUpperPart) {
    Surface surf(300, 80);
    ui::TextStyle st = textStyle(50);
    ui::OutlineOpts o{3, 0xFF0000, 1, 0, 0, 0, 0, 0.9};
    const double top = 5;
    double w = 0, h = 0;
    ui::measureText(surf.cr, "HIIH", st, &w, &h);
    ui::drawTextOutlined(surf.cr, 10, top, "HIIH", st, o);
    int red = 0, black = 0, greyAbove = 0, greyBelow = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 300; ++x) {
            uint32_t p = surf.at(x, y);
            if ((p >> 24) != 255) continue;
            int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (r > 200 && g < 40 && b < 40) ++red;
            if (r == 0 && g == 0 && b == 0) ++black;
            // Gloss over black glyphs is neutral grey; edges against the red outline are not.
            if (r == g && g == b && r > 40) {
                if (y < top + 0.42 * h) ++greyAbove;
                if (y > top + 0.45 * h) ++greyBelow;
            }
        }
    EXPECT_GT(red, 100) << "the outline";
    EXPECT_GT(black, 100) << "the glyphs below the gloss band";
    EXPECT_GT(greyAbove, 100) << "the gloss band";
    EXPECT_EQ(greyBelow, 0) << "the band ends hard at 42 %";
}

TEST(DrawText, TheLayoutIsKeptPerContextAndTheFontPerStyle) {
    Surface a, b;
    ui::TextStyle st = textStyle(18);
    ui::drawText(a.cr, 0, 0, "x", st);
    ui::TextCacheStats before = ui::textCacheStats();
    ui::drawText(a.cr, 0, 20, "y", st);
    ui::TextCacheStats same = ui::textCacheStats();
    EXPECT_EQ(same.layouts, before.layouts);
    EXPECT_EQ(same.fonts, before.fonts) << "same style, same context: nothing new";

    st.bold = true;
    ui::drawText(a.cr, 0, 40, "z", st);
    EXPECT_EQ(ui::textCacheStats().layouts, before.layouts);
    EXPECT_EQ(ui::textCacheStats().fonts, before.fonts + 1) << "a new style needs a new font";

    ui::drawText(b.cr, 0, 0, "z", st);
    EXPECT_EQ(ui::textCacheStats().layouts, before.layouts + 1) << "a new context, a new layout";
    EXPECT_EQ(ui::textCacheStats().fonts, before.fonts + 2) << "and the font is set again";
}

TEST(DrawText, HanCharactersTakeTheGlyphFormsOfTheGamesLanguageNotOfTheSystemLocale) {
    // These characters are drawn differently in Simplified Chinese and Japanese fonts.
    const std::string han = "直骨化次";
    auto render = [&](const char* gameLanguage, const char* styleLanguage) {
        i18n::setLanguage(gameLanguage);
        Surface surf(200, 60);
        ui::TextStyle st = textStyle(36);
        st.language = styleLanguage;
        ui::drawText(surf.cr, 4, 4, han, st);
        std::vector<uint32_t> px;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 200; ++x)
                px.push_back(surf.at(x, y));
        return px;
    };
    const auto zh = render("zh", nullptr), ja = render("ja", nullptr);
    EXPECT_NE(zh, ja) << "Chinese drawn with the same glyphs as Japanese";
    EXPECT_EQ(render("zh", nullptr), zh) << "the same language draws the same glyphs";
    // The language list draws each name in its own language, whatever the game's language.
    EXPECT_EQ(render("ja", i18n::shapingLanguageOf("zh")), zh);
    EXPECT_EQ(render("zh", i18n::shapingLanguageOf("ja")), ja);
    i18n::setLanguage("en");
}
