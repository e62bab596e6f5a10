// Level thumbnails: the card, the tube layout and the shaded marbles, painted with cairo once and
// copied from then on.
#include "ui/thumbnail.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "core/numbers.h"
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
    cairo_arc_negative(cr, r.x + r.w / 2, r.y + r.h - radius, radius, kPi, 0);
    cairo_line_to(cr, r.x + r.w, r.y);
    setColor(cr, 0xB4C8EB, 0.45);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

namespace {

void paintThumbnail(cairo_t* cr, const Rect& r, const std::vector<std::vector<int>>& tubes,
                    int capacity, const std::vector<uint32_t>& palette) {
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
            cairo_arc(cr, cx, cy, d / 2, 0, 2 * kPi);
            const Stop stops[] = {
                {0, theme::lighten(c, 0.35), 1}, {0.55, c, 1}, {1, theme::darken(c, 0.4), 1}};
            fillRadial(cr, cx - 0.16 * d, cy - 0.17 * d, 0.7 * d, stops, 3);
        }
    }
    cairo_restore(cr);
}

// Painted thumbnails, kept so that a page of cards costs a copy each per frame rather than dozens
// of gradients: keyed by everything the picture depends on, including where it falls within a
// device pixel, so that a copy is the picture painting would give.
struct CachedThumb {
    cairo_surface_t* surface = nullptr;
    int64_t lastUsed = 0;
};

constexpr size_t kMaxThumbs = 40;

struct ThumbCache {
    std::map<std::string, CachedThumb> entries;
    int64_t clock = 0;
    ~ThumbCache() {
        for (auto& kv : entries)
            cairo_surface_destroy(kv.second.surface);
    }
};

ThumbCache& thumbCache() {
    static ThumbCache c;
    return c;
}

void dropStalestThumb() {
    ThumbCache& c = thumbCache();
    auto oldest = c.entries.begin();
    for (auto it = c.entries.begin(); it != c.entries.end(); ++it)
        if (it->second.lastUsed < oldest->second.lastUsed) oldest = it;
    cairo_surface_destroy(oldest->second.surface);
    c.entries.erase(oldest);
}

}  // namespace

void drawLevelThumbnail(cairo_t* cr, const Rect& r, const std::vector<std::vector<int>>& tubes,
                        int capacity, const std::vector<uint32_t>& palette) {
    if (tubes.empty() || capacity <= 0 || palette.empty() || r.w <= 4 || r.h <= 4) return;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    // Only an unrotated, unskewed context maps a copy pixel for pixel.
    double sx = 0, sy = 0;
    cairo_surface_get_device_scale(cairo_get_target(cr), &sx, &sy);
    if (m.xy != 0 || m.yx != 0 || m.xx <= 0 || m.yy <= 0 || sx != 1 || sy != 1 ||
        cairo_surface_get_type(cairo_get_target(cr)) != CAIRO_SURFACE_TYPE_IMAGE) {
        paintThumbnail(cr, r, tubes, capacity, palette);
        return;
    }
    double dx = r.x, dy = r.y;
    cairo_user_to_device(cr, &dx, &dy);
    const double ix = std::floor(dx), iy = std::floor(dy);
    const int wPx = static_cast<int>(std::ceil(dx - ix + r.w * m.xx)) + 1;
    const int hPx = static_cast<int>(std::ceil(dy - iy + r.h * m.yy)) + 1;

    std::string key;
    auto put = [&key](const auto& v) { key.append(reinterpret_cast<const char*>(&v), sizeof v); };
    put(m.xx);
    put(m.yy);
    put(dx - ix);
    put(dy - iy);
    put(r.w);
    put(r.h);
    put(capacity);
    for (uint32_t c : palette)
        put(c);
    for (const auto& tube : tubes) {
        put(static_cast<int>(tube.size()));
        for (int id : tube)
            put(id);
    }
    ThumbCache& cache = thumbCache();
    ++cache.clock;
    auto it = cache.entries.find(key);
    if (it == cache.entries.end()) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, wPx, hPx);
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface);
            paintThumbnail(cr, r, tubes, capacity, palette);
            return;
        }
        cairo_t* tc = cairo_create(surface);
        cairo_translate(tc, dx - ix, dy - iy);
        cairo_scale(tc, m.xx, m.yy);
        paintThumbnail(tc, Rect{0, 0, r.w, r.h}, tubes, capacity, palette);
        cairo_destroy(tc);
        if (cache.entries.size() >= kMaxThumbs) dropStalestThumb();
        it = cache.entries.emplace(std::move(key), CachedThumb{surface, 0}).first;
    }
    it->second.lastUsed = cache.clock;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, it->second.surface, ix, iy);
    cairo_paint(cr);
    cairo_restore(cr);
}

}  // namespace ui
