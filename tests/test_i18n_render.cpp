// Tests that pango shapes every catalogue with real glyphs, right to left where the language is.
// Set VANTREL_I18N_SHEET=<file.png> to also get a picture of all languages for a visual check.
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <cstdlib>
#include <string>

#include "i18n/i18n.h"

namespace {

// The texts shown per language: a short label, a filled placeholder and a long paragraph.
std::string sampleText() {
    return i18n::tr("menu.continue", {{"n", "12"}}) + " · " + i18n::tr("app.tagline") + " · " +
           i18n::tr("settings.resetTitle") + "\n" + i18n::tr("ending.buddhaIncomplete");
}

PangoLayout* makeLayout(cairo_t* cr, const std::string& text, int widthPx) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoContext* context = pango_layout_get_context(layout);
    pango_context_set_language(context, pango_language_from_string(i18n::shapingLanguage()));
    // Let the text's own script decide the base direction, as the game's labels do.
    pango_context_set_base_dir(context, PANGO_DIRECTION_WEAK_LTR);
    pango_layout_context_changed(layout);
    PangoFontDescription* font = pango_font_description_from_string("sans 15");
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_width(layout, widthPx * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    // Pango mirrors the alignment of right-to-left paragraphs, so "left" means "at the start".
    pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT);
    pango_layout_set_text(layout, text.c_str(), -1);
    return layout;
}

}  // namespace

TEST(I18nRender, EveryLanguageShapesWithRealGlyphsInItsDirection) {
    const int width = 1400, rowHeight = 96;
    const auto& langs = i18n::languages();
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width,
                                                        rowHeight * static_cast<int>(langs.size()));
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);

    for (size_t i = 0; i < langs.size(); ++i) {
        i18n::setLanguage(langs[i].code);
        PangoLayout* layout = makeLayout(cr, langs[i].nativeName + ": " + sampleText(), width - 20);
        // Unknown glyphs are the boxes a reader would see where a font is missing.
        EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout), 0) << langs[i].code;
        PangoLayoutLine* first = pango_layout_get_line_readonly(layout, 0);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->resolved_dir, langs[i].rtl ? PANGO_DIRECTION_RTL : PANGO_DIRECTION_LTR)
            << langs[i].code;

        cairo_set_source_rgb(cr, 0.29, 0.22, 0.15);
        cairo_move_to(cr, 10, static_cast<double>(i * rowHeight) + 4);
        pango_cairo_show_layout(cr, layout);
        g_object_unref(layout);
    }
    i18n::setLanguage("en");

    if (const char* out = std::getenv("VANTREL_I18N_SHEET")) {
        EXPECT_EQ(cairo_surface_write_to_png(sheet, out), CAIRO_STATUS_SUCCESS);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(sheet);
}
