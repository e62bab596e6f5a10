// Level thumbnails: a level's start position as outlined tubes with shaded marbles on a card.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "ui/app.h"

namespace ui {

// Where the tubes of a thumbnail go: up to 7 tubes in one row, more in two.
struct ThumbLayout {
    int rows = 0, cols = 0;
    double rowGap = 0;
    double tubeW = 0, tubeH = 0, marbleD = 0;
    double originX = 0, originY = 0;  // top-left of the first tube

    double tubeX(int i) const { return originX + (i % cols) * (tubeW + 3); }
    double tubeY(int i) const { return originY + (i / cols) * (tubeH + rowGap); }
};
ThumbLayout thumbLayout(const Rect& r, int tubes, int capacity);

// An open U outline of a thumbnail tube.
void drawThumbTubeCairo(cairo_t* cr, const Rect& r, double radius);
// tubes hold colour ids bottom first; palette is the level's rotated world palette.
void drawLevelThumbnail(cairo_t* cr, const Rect& r, const std::vector<std::vector<int>>& tubes,
                        int capacity, const std::vector<uint32_t>& palette);

}  // namespace ui
