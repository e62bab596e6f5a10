// Tube rendering: cached glass, glow outline, fluid with a scrolling wave, and rising bubbles.
#pragma once

#include <cairo.h>

#include <cstdint>

#include "ui/app.h"

namespace ui {

struct TubeStyle {
    uint32_t tint = 0xC2E6F0;  // the world's glass tint
    bool selected = false;     // coral rim and halo
    bool flashing = false;     // red rim; wins over selected
};

// Derived sizes of the glass picture for a tube of width w.
struct TubeGeometry {
    double pad;        // margin around the tube inside its texture
    double r;          // bottom radius
    double lipOut;     // how far the lip flares out
    double lipDrop;    // how far the lip ends below the top edge
    double openingRy;  // half-height of the opening ellipse
};
TubeGeometry tubeGeometry(double w);
// How far the glass picture of a tube w wide reaches past its rectangle: the flared opening
// above the top, the ground shadow below the bottom, and the wider of glass margin and shadow
// on either side.
struct TubeReach {
    double above, below, beside;
};
TubeReach tubeReach(double w);

// The glass of one tube whose body occupies r, over its ground shadow.
void blitTube(const Rect& r, const TubeStyle& st);
// The warm outline around that tube at the given opacity.
void blitTubeGlow(const Rect& r, double alpha);
// Fluid filling the fraction fill (0 to 1) of the tube, with its wave and bubbles animated by t
// (seconds); phase keeps neighbouring tubes out of step.
void blitTubeFluid(const Rect& r, uint32_t color, double fill, double t, double phase);
// The fluid colour of a tube: always the same for the same level, seed and tube.
uint32_t fluidColorFor(int level, uint32_t seed, int tubeIdx);
// The glass drawn straight into a context.
void drawTubeCairo(cairo_t* cr, const Rect& r, const TubeStyle& st);

}  // namespace ui
