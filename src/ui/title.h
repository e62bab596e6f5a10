// The rainbow title: glyphs in drifting hues that bob in a wave and take turns to spin.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/app.h"

namespace ui {

// The title's width at fontSize.
double measureRainbowTitleCairo(cairo_t* cr, const std::string& text, double fontSize);
double measureRainbowTitle(Ctx& ctx, const std::string& text, double fontSize);

// Draws straight into cr, centred on cx with the glyph boxes' top at y; returns the width.
// Without spin the glyphs stand still and only their colours move with t.
double drawRainbowTitleCairo(cairo_t* cr, double cx, double y, const std::string& text,
                             double fontSize, double t, bool spin);
// The on-screen variant: each glyph is painted once in white into a cached texture and blitted
// tinted, rotated and scaled, animated by the frame time. Returns the width.
double drawRainbowTitle(Ctx& ctx, double cx, double y, const std::string& text, double fontSize);

// ---- Pieces of the layout and the motion ----

// The text cut into code points by their lead bytes (no validation of continuation bytes).
std::vector<std::string> splitUtf8(const std::string& text);

// The glyph colour for a hue in degrees (any value; it wraps): HSL with saturation 0.85 and
// lightness 0.66.
uint32_t titleHueColor(double hueDeg);

struct GlyphMotion {
    double phase = 0;     // 0-1 within the glyph's 3.2 s cycle
    double angleDeg = 0;  // clockwise spin
    double factor = 1;    // size pop during the spin
    double bob = 0;       // vertical offset, positive downward
};
// How glyph index (spaces count) moves at time t.
GlyphMotion titleGlyphMotion(int index, double t);

// The cache key of a glyph texture of wPx x hPx device pixels.
std::string titleGlyphKey(const std::string& glyph, int wPx, int hPx);

}  // namespace ui
