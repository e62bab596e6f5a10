// Vector drawing and text: thin helpers over cairo and pango used by every painter and screen.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "theme/text_style.h"
#include "ui/app.h"

namespace ui {

struct Stop {
    double pos;
    uint32_t rgb;
    double alpha;
};

using Align = theme::Align;
using TextStyle = theme::TextStyle;

struct OutlineOpts {
    double width = 0;  // on each side of the glyph edge
    uint32_t color = 0x000000;
    double alpha = 1.0;
    double shadowDx = 0, shadowDy = 0;
    uint32_t shadowColor = 0x000000;
    double shadowAlpha = 0;
    double gloss = 0;
};

// ---- Shapes ----

void setColor(cairo_t* cr, uint32_t rgb, double alpha);
void fillRect(cairo_t* cr, const Rect& r, uint32_t rgb, double alpha);
// The corner radius never exceeds half the shorter side.
double roundedRectRadius(const Rect& r, double radius);
void roundedRectPath(cairo_t* cr, const Rect& r, double radius);
void fillRoundedRect(cairo_t* cr, const Rect& r, double radius, uint32_t rgb, double alpha);
void strokeRoundedRect(cairo_t* cr, const Rect& r, double radius, double width, uint32_t rgb,
                       double alpha);
void fillCircle(cairo_t* cr, double cx, double cy, double r, uint32_t rgb, double alpha);
void strokeCircle(cairo_t* cr, double cx, double cy, double r, double width, uint32_t rgb,
                  double alpha);
void drawLine(cairo_t* cr, double x0, double y0, double x1, double y1, double width, uint32_t rgb,
              double alpha);
void ovalPath(cairo_t* cr, double cx, double cy, double rx, double ry);
void fillOval(cairo_t* cr, double cx, double cy, double rx, double ry, uint32_t rgb, double alpha);
void strokeOval(cairo_t* cr, double cx, double cy, double rx, double ry, double width, uint32_t rgb,
                double alpha);

// Gradients fill the caller's current path.
void fillRadial(cairo_t* cr, double cx, double cy, double radius, const Stop* stops, int count);
void fillLinear(cairo_t* cr, double x0, double y0, double x1, double y1, const Stop* stops,
                int count);

// Number of layers a soft shadow of this radius is built from.
int softShadowSteps(double radius);
// A blurred copy of the current path, offset by (dx, dy); the path is left in place.
void softShadowFromPath(cairo_t* cr, double dx, double dy, double radius, uint32_t rgb,
                        double alpha);

// ---- Text ----

// The shrink factor single-line text gets from maxWidth and minScale (1 when it fits).
double textFitScale(cairo_t* cr, const std::string& text, const TextStyle& st);
void measureText(cairo_t* cr, const std::string& text, const TextStyle& st, double* w, double* h);
// y is the top; x is the left edge, centre or right edge after st.align.
void drawText(cairo_t* cr, double x, double y, const std::string& text, const TextStyle& st);
void drawTextCentered(cairo_t* cr, double cx, double cy, const std::string& text,
                      const TextStyle& st);
void drawTextOutlined(cairo_t* cr, double x, double y, const std::string& text, const TextStyle& st,
                      const OutlineOpts& o);
// Returns the height drawn (0 for empty text).
double drawTextWrapped(cairo_t* cr, double x, double y, double width, const std::string& text,
                       const TextStyle& st);
double measureWrappedHeight(cairo_t* cr, double width, const std::string& text,
                            const TextStyle& st);

// How often the shared layout and font description were made since start (for the cache checks).
struct TextCacheStats {
    int layouts = 0;
    int fonts = 0;
};
TextCacheStats textCacheStats();
// Releases the shared layout and font; the next text call makes them again.
void drawShutdown();
// Lays out a line of text on a font map of its own, so that the font configuration and the font
// files are loaded once for the whole process. Safe to run on another thread while the main
// thread starts up; the first text of the first frame then no longer waits for them.
void drawWarmUpFonts();

}  // namespace ui
