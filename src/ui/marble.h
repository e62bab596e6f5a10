// Marble rendering: shadow, skinned body and glass overlay, cached per colour, skin and size.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "theme/theme.h"

namespace ui {

// One marble centred at (cx, cy); rotation in radians turns only the body (clockwise on screen):
// the light stays upper left and the number upright. alpha applies to all three layers.
void blitMarble(double cx, double cy, double r, uint32_t color, theme::MarbleSkin skin, int number,
                double rotation, double alpha);
// The same picture straight into a context, without the cache.
void drawMarbleCairo(cairo_t* cr, double cx, double cy, double r, uint32_t color,
                     theme::MarbleSkin skin, int number, double rotation);
// The simple decorative marble of the background scenes.
void drawBgMarbleCairo(cairo_t* cr, double cx, double cy, double r, uint32_t color);

// Cache keys and texture sizes at the current display scale.
struct MarbleKeys {
    std::string shadow, body, overlay;
    int px = 0;       // body and overlay are px x px, the shadow px wide
    int shadowH = 0;  // shadow height in device pixels
};
MarbleKeys marbleKeys(double r, uint32_t color, theme::MarbleSkin skin, int number);

}  // namespace ui
