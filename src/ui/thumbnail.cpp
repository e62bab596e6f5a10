// Level thumbnails: the card, the tube layout and the shaded marbles, drawn directly with cairo.
#include "ui/thumbnail.h"

#include <algorithm>
#include <cmath>

#include "theme/theme.h"
#include "ui/draw.h"

namespace ui {

ThumbLayout thumbLayout(const Rect& r, int tubes, int capacity) {
    ThumbLayout L;
    if (tubes < 8) {
        L.rows = 1;
        L.rowGap = 0;
        L.cols = tubes;
    } else {
        L.rows = 2;
        L.rowGap = 6;
        L.cols = (tubes + 1) / 2;
    }
    if (L.cols < 1) L.cols = 1;
    const double tubeW =
        std::min(((r.h - 8 - L.rowGap) / L.rows) / (capacity + 1.5), ((r.w - 8) / L.cols) * 0.88);
    L.marbleD = std::floor(0.78 * tubeW);
    L.tubeW = std::floor(tubeW);
    L.tubeH = std::floor((capacity - 1) + capacity * L.marbleD + 0.4 * L.marbleD + 6);
    L.originX = r.x + (r.w - ((L.cols - 1) * 3 + L.cols * L.tubeW)) / 2;
    L.originY = r.y + (r.h - (L.rows * L.tubeH + L.rowGap)) / 2;
    return L;
}

void drawThumbTubeCairo(cairo_t* cr, const Rect& r, double radius) {
    cairo_new_path(cr);
    cairo_move_to(cr, r.x, r.y);
    cairo_line_to(cr, r.x, r.y + r.h - radius);
    cairo_arc_negative(cr, r.x + r.w / 2, r.y + r.h - radius, radius, M_PI, 0);
    cairo_line_to(cr, r.x + r.w, r.y);
    setColor(cr, 0xB4C8EB, 0.45);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void drawLevelThumbnail(cairo_t* cr, const Rect& r, const std::vector<std::vector<int>>& tubes,
                        int capacity, const std::vector<uint32_t>& palette) {
    if (tubes.empty() || capacity <= 0 || palette.empty() || r.w <= 4 || r.h <= 4) return;

    cairo_save(cr);
    fillRoundedRect(cr, r, 10, theme::kTubeBg, 1);
    strokeRoundedRect(cr, Rect{r.x + 0.5, r.y + 0.5, r.w - 1, r.h - 1}, 10, 1, theme::kBorder, 1);
    roundedRectPath(cr, r, 10);
    cairo_clip(cr);

    const ThumbLayout L = thumbLayout(r, static_cast<int>(tubes.size()), capacity);
    const double d = L.marbleD;
    const int paletteSize = static_cast<int>(palette.size());
    for (int i = 0; i < static_cast<int>(tubes.size()); ++i) {
        const double tx = L.tubeX(i), ty = L.tubeY(i);
        drawThumbTubeCairo(cr, Rect{tx, ty, L.tubeW, L.tubeH}, L.tubeW / 2);
        const std::vector<int>& tube = tubes[static_cast<size_t>(i)];
        for (int s = 0; s < static_cast<int>(tube.size()); ++s) {
            int id = tube[static_cast<size_t>(s)] % paletteSize;
            if (id < 0) id += paletteSize;
            const uint32_t c = palette[static_cast<size_t>(id)];
            const double cx = tx + L.tubeW / 2;
            const double cy = ty + L.tubeH - 4 - d / 2 - s * (d + 1);
            cairo_new_path(cr);
            cairo_arc(cr, cx, cy, d / 2, 0, 2 * M_PI);
            const Stop stops[] = {
                {0, theme::lighten(c, 0.35), 1}, {0.55, c, 1}, {1, theme::darken(c, 0.4), 1}};
            fillRadial(cr, cx - 0.16 * d, cy - 0.17 * d, 0.7 * d, stops, 3);
        }
    }
    cairo_restore(cr);
}

}  // namespace ui
