// Vector drawing and text: shapes, gradients, soft shadows and pango text with one shared layout.
#include "ui/draw.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "core/numbers.h"
#include "i18n/i18n.h"
#include "theme/theme.h"

namespace ui {

// ---- Shapes ----

void setColor(cairo_t* cr, uint32_t rgb, double alpha) {
    const theme::Channels ch = theme::channels(rgb);
    cairo_set_source_rgba(cr, ch.r, ch.g, ch.b, alpha);
}

void fillRect(cairo_t* cr, const Rect& r, uint32_t rgb, double alpha) {
    cairo_rectangle(cr, r.x, r.y, r.w, r.h);
    setColor(cr, rgb, alpha);
    cairo_fill(cr);
}

double roundedRectRadius(const Rect& r, double radius) {
    return std::max(0.0, std::min(radius, std::min(r.w, r.h) / 2));
}

void roundedRectPath(cairo_t* cr, const Rect& r, double radius) {
    const double rad = roundedRectRadius(r, radius);
    const double x = r.x, y = r.y, w = r.w, h = r.h;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - rad, y + rad, rad, -kPi / 2, 0);
    cairo_arc(cr, x + w - rad, y + h - rad, rad, 0, kPi / 2);
    cairo_arc(cr, x + rad, y + h - rad, rad, kPi / 2, kPi);
    cairo_arc(cr, x + rad, y + rad, rad, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void fillRoundedRect(cairo_t* cr, const Rect& r, double radius, uint32_t rgb, double alpha) {
    roundedRectPath(cr, r, radius);
    setColor(cr, rgb, alpha);
    cairo_fill(cr);
}

void strokeRoundedRect(cairo_t* cr, const Rect& r, double radius, double width, uint32_t rgb,
                       double alpha) {
    roundedRectPath(cr, r, radius);
    setColor(cr, rgb, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void fillCircle(cairo_t* cr, double cx, double cy, double r, uint32_t rgb, double alpha) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    setColor(cr, rgb, alpha);
    cairo_fill(cr);
}

void strokeCircle(cairo_t* cr, double cx, double cy, double r, double width, uint32_t rgb,
                  double alpha) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    setColor(cr, rgb, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void drawLine(cairo_t* cr, double x0, double y0, double x1, double y1, double width, uint32_t rgb,
              double alpha) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    setColor(cr, rgb, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

// Scaling a unit circle inside save/restore keeps a later stroke width undistorted.
void ovalPath(cairo_t* cr, double cx, double cy, double rx, double ry) {
    if (rx <= 0 || ry <= 0) return;
    cairo_save(cr);
    cairo_new_sub_path(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void fillOval(cairo_t* cr, double cx, double cy, double rx, double ry, uint32_t rgb, double alpha) {
    ovalPath(cr, cx, cy, rx, ry);
    setColor(cr, rgb, alpha);
    cairo_fill(cr);
}

void strokeOval(cairo_t* cr, double cx, double cy, double rx, double ry, double width, uint32_t rgb,
                double alpha) {
    ovalPath(cr, cx, cy, rx, ry);
    setColor(cr, rgb, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

namespace {

void addStops(cairo_pattern_t* pat, const Stop* stops, int count) {
    for (int i = 0; i < count; ++i) {
        const Stop& s = stops[i];
        const theme::Channels ch = theme::channels(s.rgb);
        cairo_pattern_add_color_stop_rgba(pat, s.pos, ch.r, ch.g, ch.b, s.alpha);
    }
}

void fillWith(cairo_t* cr, cairo_pattern_t* pat) {
    cairo_set_source(cr, pat);
    cairo_fill(cr);
    cairo_pattern_destroy(pat);
}

}  // namespace

void fillRadial(cairo_t* cr, double cx, double cy, double radius, const Stop* stops, int count) {
    if (radius <= 0 || count < 1) return;
    cairo_pattern_t* pat = cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius);
    addStops(pat, stops, count);
    fillWith(cr, pat);
}

void fillLinear(cairo_t* cr, double x0, double y0, double x1, double y1, const Stop* stops,
                int count) {
    if (count < 1) return;
    cairo_pattern_t* pat = cairo_pattern_create_linear(x0, y0, x1, y1);
    addStops(pat, stops, count);
    fillWith(cr, pat);
}

int softShadowSteps(double radius) {
    return std::max(2, static_cast<int>(radius));
}

// Layers of decreasing width: the shape gets all of them, the rim only the wider ones.
void softShadowFromPath(cairo_t* cr, double dx, double dy, double radius, uint32_t rgb,
                        double alpha) {
    cairo_path_t* path = cairo_copy_path(cr);
    const int steps = softShadowSteps(radius);
    cairo_save(cr);
    cairo_translate(cr, dx, dy);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int i = steps; i >= 1; --i) {
        cairo_new_path(cr);
        cairo_append_path(cr, path);
        setColor(cr, rgb, alpha / steps);
        cairo_set_line_width(cr, radius * 2 * i / steps);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_path_destroy(path);
}

// ---- Text ----

namespace {

// One layout and one font description serve all text: nearly everything uses one family.
struct TextCache {
    PangoLayout* layout = nullptr;
    cairo_t* owner = nullptr;
    PangoFontDescription* desc = nullptr;
    std::string family;
    double size = -1;
    bool bold = false;
    bool italic = false;
    std::string language;
    TextCacheStats stats;
};

TextCache& textCache() {
    static TextCache c;
    return c;
}

PangoLayout* layoutFor(cairo_t* cr, const std::string& text, const TextStyle& st, double scale) {
    TextCache& c = textCache();
    if (!c.layout || c.owner != cr) {
        if (c.layout) g_object_unref(c.layout);
        c.layout = pango_cairo_create_layout(cr);
        c.owner = cr;
        c.size = -1;
        c.language.clear();
        ++c.stats.layouts;
    } else {
        // A new context can reuse a freed one's address; keep the layout's transform current.
        pango_cairo_update_layout(cr, c.layout);
    }
    const char* family = st.family ? st.family : "sans";
    const double want = st.size * scale;
    if (!c.desc || c.size != want || c.family != family || c.bold != st.bold ||
        c.italic != st.italic) {
        if (c.desc) pango_font_description_free(c.desc);
        c.desc = pango_font_description_new();
        pango_font_description_set_family(c.desc, family);
        pango_font_description_set_absolute_size(c.desc, want * PANGO_SCALE);
        pango_font_description_set_weight(c.desc,
                                          st.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(c.desc,
                                         st.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        pango_layout_set_font_description(c.layout, c.desc);
        c.family = family;
        c.size = want;
        c.bold = st.bold;
        c.italic = st.italic;
        ++c.stats.fonts;
    }
    // Without a language pango follows the system locale, which draws Chinese with Japanese
    // glyph forms on most desktops.
    const char* language = st.language ? st.language : i18n::shapingLanguage();
    if (c.language != language) {
        pango_context_set_language(pango_layout_get_context(c.layout),
                                   pango_language_from_string(language));
        pango_layout_context_changed(c.layout);
        c.language = language;
    }
    pango_layout_set_width(c.layout, -1);
    pango_layout_set_alignment(c.layout, PANGO_ALIGN_LEFT);
    pango_layout_set_text(c.layout, text.c_str(), static_cast<int>(text.size()));
    return c.layout;
}

double fitScale(cairo_t* cr, const std::string& text, const TextStyle& st) {
    if (st.maxWidth <= 0) return 1.0;
    int pw = 0;
    pango_layout_get_pixel_size(layoutFor(cr, text, st, 1.0), &pw, nullptr);
    if (st.maxWidth >= pw || pw <= 0) return 1.0;
    return std::max(st.maxWidth / pw, st.minScale);
}

// The single-line layout at its fitted size, measured in whole pixels.
PangoLayout* fittedLayout(cairo_t* cr, const std::string& text, const TextStyle& st, int* w,
                          int* h) {
    PangoLayout* layout = layoutFor(cr, text, st, fitScale(cr, text, st));
    pango_layout_get_pixel_size(layout, w, h);
    return layout;
}

void showLayoutWithShadow(cairo_t* cr, PangoLayout* layout, double x, double y,
                          const TextStyle& st) {
    if (st.shadowRadius > 0 && st.shadowAlpha > 0) {
        setColor(cr, st.shadowColor, st.shadowAlpha / 8);
        for (int k = 0; k < 8; ++k) {
            const double theta = k * 2 * kPi / 8;
            cairo_move_to(cr, x + std::cos(theta) * st.shadowRadius / 2,
                          y + std::sin(theta) * st.shadowRadius / 2 + st.shadowDy);
            pango_cairo_show_layout(cr, layout);
        }
    }
    setColor(cr, st.color, st.alpha);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    cairo_new_path(cr);
}

double alignedX(double x, int w, Align align) {
    if (align == Align::Center) return x - w / 2.0;
    if (align == Align::Right) return x - w;
    return x;
}

PangoLayout* wrappedLayout(cairo_t* cr, double width, const std::string& text,
                           const TextStyle& st) {
    PangoLayout* layout = layoutFor(cr, text, st, 1.0);
    pango_layout_set_width(layout, static_cast<int>(width * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    PangoAlignment a = PANGO_ALIGN_LEFT;
    if (st.align == Align::Center) a = PANGO_ALIGN_CENTER;
    if (st.align == Align::Right) a = PANGO_ALIGN_RIGHT;
    // Pango swaps left and right for a paragraph that begins right to left; Align names the
    // side on screen, so ask for the other one then.
    if (a != PANGO_ALIGN_CENTER && pango_layout_get_direction(layout, 0) == PANGO_DIRECTION_RTL)
        a = a == PANGO_ALIGN_LEFT ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT;
    pango_layout_set_alignment(layout, a);
    return layout;
}

}  // namespace

double textFitScale(cairo_t* cr, const std::string& text, const TextStyle& st) {
    if (text.empty()) return 1.0;
    return fitScale(cr, text, st);
}

void measureText(cairo_t* cr, const std::string& text, const TextStyle& st, double* w, double* h) {
    int pw = 0, ph = 0;
    if (!text.empty()) fittedLayout(cr, text, st, &pw, &ph);
    if (w) *w = pw;
    if (h) *h = ph;
}

void drawText(cairo_t* cr, double x, double y, const std::string& text, const TextStyle& st) {
    if (text.empty()) return;
    int w = 0, h = 0;
    PangoLayout* layout = fittedLayout(cr, text, st, &w, &h);
    showLayoutWithShadow(cr, layout, alignedX(x, w, st.align), y, st);
}

void drawTextCentered(cairo_t* cr, double cx, double cy, const std::string& text,
                      const TextStyle& st) {
    if (text.empty()) return;
    int w = 0, h = 0;
    PangoLayout* layout = fittedLayout(cr, text, st, &w, &h);
    showLayoutWithShadow(cr, layout, cx - w / 2.0, cy - h / 2.0, st);
}

void drawTextOutlined(cairo_t* cr, double x, double y, const std::string& text, const TextStyle& st,
                      const OutlineOpts& o) {
    if (text.empty()) return;
    int w = 0, h = 0;
    PangoLayout* layout = fittedLayout(cr, text, st, &w, &h);
    x = alignedX(x, w, st.align);

    if ((o.shadowDx != 0 || o.shadowDy != 0) && o.shadowAlpha > 0) {
        cairo_save(cr);
        cairo_new_path(cr);
        cairo_move_to(cr, x + o.shadowDx, y + o.shadowDy);
        pango_cairo_layout_path(cr, layout);
        setColor(cr, o.shadowColor, o.shadowAlpha);
        cairo_set_line_width(cr, 2 * o.width);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
        cairo_restore(cr);
    }

    cairo_save(cr);
    cairo_new_path(cr);
    cairo_move_to(cr, x, y);
    pango_cairo_layout_path(cr, layout);
    if (o.width > 0 && o.alpha > 0) {
        // The fill covers the inner half, so the visible outline is o.width wide.
        cairo_set_line_width(cr, 2 * o.width);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        setColor(cr, o.color, o.alpha);
        cairo_stroke_preserve(cr);
    }
    setColor(cr, st.color, st.alpha);
    cairo_fill_preserve(cr);
    if (o.gloss > 0) {
        cairo_clip(cr);
        cairo_rectangle(cr, x - 4, y, w + 8, h);
        const Stop gloss[] = {{0, 0xFFFFFF, o.gloss},
                              {0.42, 0xFFFFFF, 0.55 * o.gloss},
                              {0.43, 0xFFFFFF, 0},
                              {1, 0xFFFFFF, 0}};
        fillLinear(cr, x, y, x, y + h, gloss, 4);
    } else {
        cairo_new_path(cr);
    }
    cairo_restore(cr);
}

double drawTextWrapped(cairo_t* cr, double x, double y, double width, const std::string& text,
                       const TextStyle& st) {
    if (text.empty()) return 0;
    PangoLayout* layout = wrappedLayout(cr, width, text, st);
    int h = 0;
    pango_layout_get_pixel_size(layout, nullptr, &h);
    showLayoutWithShadow(cr, layout, x, y, st);
    return h;
}

double measureWrappedHeight(cairo_t* cr, double width, const std::string& text,
                            const TextStyle& st) {
    if (text.empty()) return 0;
    int h = 0;
    pango_layout_get_pixel_size(wrappedLayout(cr, width, text, st), nullptr, &h);
    return h;
}

TextCacheStats textCacheStats() {
    return textCache().stats;
}

void drawShutdown() {
    TextCache& c = textCache();
    if (c.layout) g_object_unref(c.layout);
    if (c.desc) pango_font_description_free(c.desc);
    c.layout = nullptr;
    c.owner = nullptr;
    c.desc = nullptr;
    c.family.clear();
    c.size = -1;
}

void drawWarmUpFonts() {
    PangoFontMap* map = pango_cairo_font_map_new();
    PangoContext* context = pango_font_map_create_context(map);
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* desc = pango_font_description_from_string("sans bold 20");
    pango_layout_set_font_description(layout, desc);
    pango_layout_set_text(layout, "Vantrel 0123", -1);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    pango_font_description_free(desc);
    g_object_unref(layout);
    g_object_unref(context);
    g_object_unref(map);
}

}  // namespace ui
