// The application icon: three glossy marbles in an upright glass tube, written as one scalable
// SVG and as PNGs for the hicolor sizes, laid out as an icon theme tree ready to install.
//
//   vantrel-icon APP_ID OUT_DIR
//
// writes OUT_DIR/hicolor/scalable/apps/APP_ID.svg and OUT_DIR/hicolor/NxN/apps/APP_ID.png.
// Every size is drawn from the vector description at its own pixel size rather than scaled down
// from the large picture: small icons get edges on whole pixels and heavier outlines, and lose
// the reflections that would only blur at that size.
#include <cairo-svg.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "theme/theme.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPngSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};
constexpr double kPi = 3.14159265358979323846;

// Coral, gold and teal from the first world's palette, top to bottom: three different colours
// say "sort me" even where the marbles are only a few pixels wide.
constexpr int kMarbleCount = 2;
constexpr uint32_t kMarbles[kMarbleCount] = {0xFF6B6B, 0x3FC8D4};
constexpr uint32_t kGlassTint = 0xC2E6F0;
constexpr uint32_t kGlassEdge = 0x2E5866;  // dark enough to hold the shape on light and dark panels

void setRgb(cairo_t* cr, uint32_t rgb, double a = 1.0) {
    cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                          (rgb & 0xFF) / 255.0, a);
}

void addStop(cairo_pattern_t* p, double at, uint32_t rgb, double a = 1.0) {
    cairo_pattern_add_color_stop_rgba(p, at, ((rgb >> 16) & 0xFF) / 255.0,
                                      ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, a);
}

// Fills the current path with the pattern and releases it.
void fillWith(cairo_t* cr, cairo_pattern_t* p, bool preserve = false) {
    cairo_set_source(cr, p);
    if (preserve)
        cairo_fill_preserve(cr);
    else
        cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// Geometry of the whole picture in device pixels for an icon of side s.
struct Layout {
    double s;
    bool small;   // 32 px and below: no fine reflections
    double left;  // x of the left wall (centre of its outline)
    double right;
    double top;     // top of the lip
    double bottom;  // lowest point of the rounded floor (centre of its outline)
    double lipOut;  // how far the lip stands out from the walls
    double lipH;
    double line;  // outline width
    double lipLine;
    double r;  // marble radius
};

Layout layoutFor(int size) {
    Layout L;
    L.s = size;
    L.small = size <= 32;
    const double s = size;
    // Outlines are whole pixels up to 64 px so that the walls stay crisp; small icons draw them
    // relatively heavier.
    L.line = size <= 24 ? 1.0 : size <= 64 ? 2.0 : std::max(2.0, s * 0.022);
    const bool grid = size <= 64;
    const bool odd = grid && std::fmod(L.line, 2.0) == 1.0;
    // An odd outline is crisp on pixel centres, an even one on pixel edges.
    auto edge = [&](double v) { return !grid ? v : odd ? std::floor(v) + 0.5 : std::round(v); };

    L.bottom = s - edge(s * 0.03 + L.line / 2);
    L.top = grid ? std::floor(s * 0.04) + 0.5 : s * 0.04;
    L.lipOut = std::max(1.0, grid ? std::round(s * 0.045) : s * 0.045);
    L.lipH = std::max(3.0, grid ? std::round(s * 0.07) : s * 0.07);
    L.lipLine = grid ? 1.0 : L.line;  // a heavier rim would leave no glass inside it

    // The marbles set the width: two of them stand on the floor and reach up to the lip, and
    // the walls leave a little air beside them. Snapping the walls may only make them smaller.
    const double margin = std::max(0.5, s * 0.012);
    const double fit = (L.bottom - L.line / 2 - margin - (L.top + L.lipH)) / 4;
    const double r = std::min(s * 0.2, fit);
    const double w = 2 * (r + margin) + L.line;
    L.left = edge(s / 2 - w / 2);
    L.right = s - L.left;
    L.r = std::min(r, (L.right - L.left - L.line) / 2 - margin);
    return L;
}

// The outline of the tube body: straight walls below the lip, a half-round floor.
void tubePath(cairo_t* cr, const Layout& L) {
    const double w = L.right - L.left;
    const double rr = w / 2;
    const double y0 = L.top + L.lipH * 0.5;
    cairo_new_path(cr);
    cairo_move_to(cr, L.left, y0);
    cairo_line_to(cr, L.left, L.bottom - rr);
    cairo_arc_negative(cr, L.left + rr, L.bottom - rr, rr, kPi, 0);
    cairo_line_to(cr, L.right, y0);
    cairo_close_path(cr);
}

void drawGlassBack(cairo_t* cr, const Layout& L) {
    tubePath(cr, L);
    // Glass is brighter at the rims, where the light travels through more of it.
    cairo_pattern_t* p = cairo_pattern_create_linear(L.left, 0, L.right, 0);
    addStop(p, 0.0, theme::lighten(kGlassTint, 0.35), 0.85);
    addStop(p, 0.22, kGlassTint, 0.55);
    addStop(p, 0.7, kGlassTint, 0.45);
    addStop(p, 1.0, theme::darken(kGlassTint, 0.08), 0.8);
    fillWith(cr, p);
}

void drawMarble(cairo_t* cr, const Layout& L, double cx, double cy, uint32_t color) {
    const double r = L.r;
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_pattern_t* body = cairo_pattern_create_radial(cx - 0.35 * r, cy - 0.4 * r, 0.05 * r,
                                                        cx - 0.1 * r, cy - 0.1 * r, 1.25 * r);
    addStop(body, 0.0, theme::lighten(color, 0.55));
    addStop(body, 0.45, color);
    addStop(body, 1.0, theme::darken(color, 0.42));
    fillWith(cr, body, true);
    setRgb(cr, theme::darken(color, 0.55), 0.9);
    cairo_set_line_width(cr, L.small ? std::max(0.8, L.line * 0.7) : L.line * 0.6);
    cairo_stroke(cr);

    // The gloss: a bright window reflection upper left...
    cairo_save(cr);
    cairo_translate(cr, cx - 0.34 * r, cy - 0.42 * r);
    cairo_rotate(cr, -0.6);
    cairo_scale(cr, 1.0, 0.62);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 0.36 * r, 0, 2 * kPi);
    cairo_restore(cr);
    cairo_pattern_t* gloss = cairo_pattern_create_radial(cx - 0.38 * r, cy - 0.46 * r, 0,
                                                         cx - 0.34 * r, cy - 0.42 * r, 0.4 * r);
    addStop(gloss, 0.0, 0xFFFFFF, 1.0);
    addStop(gloss, 0.6, 0xFFFFFF, 0.85);
    addStop(gloss, 1.0, 0xFFFFFF, L.small ? 0.6 : 0.0);
    fillWith(cr, gloss);
    if (L.small) return;
    // ...and a soft bounce of light along the lower right rim.
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, 0.78 * r, 0.15 * kPi, 0.55 * kPi);
    cairo_set_line_width(cr, 0.11 * r);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setRgb(cr, 0xFFFFFF, 0.45);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void drawMarbles(cairo_t* cr, const Layout& L) {
    const double cx = (L.left + L.right) / 2;
    const double gap = L.small ? 0.0 : L.s * 0.004;
    double cy = L.bottom - L.line / 2 - std::max(0.5, L.s * 0.012) - L.r;
    for (int i = kMarbleCount - 1; i >= 0; --i) {
        drawMarble(cr, L, cx, cy, kMarbles[i]);
        cy -= 2 * L.r + gap;
    }
}

void drawGlassFront(cairo_t* cr, const Layout& L) {
    const double w = L.right - L.left;
    // Long highlight down the left wall: the one thing that makes it read as glass.
    const double hx = L.left + w * (L.small ? 0.2 : 0.16);
    const double hw = std::max(1.0, w * (L.small ? 0.1 : 0.075));
    cairo_new_path(cr);
    cairo_move_to(cr, hx, L.top + L.lipH + L.s * 0.04);
    cairo_line_to(cr, hx, L.bottom - w * 0.55);
    cairo_set_line_width(cr, hw);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setRgb(cr, 0xFFFFFF, L.small ? 0.75 : 0.7);
    cairo_stroke(cr);
    if (!L.small) {
        cairo_new_path(cr);
        cairo_move_to(cr, L.right - w * 0.13, L.top + L.lipH + L.s * 0.1);
        cairo_line_to(cr, L.right - w * 0.13, L.top + L.lipH + L.s * 0.32);
        cairo_set_line_width(cr, hw * 0.55);
        setRgb(cr, 0xFFFFFF, 0.45);
        cairo_stroke(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);

    // Walls and floor.
    tubePath(cr, L);
    cairo_set_line_width(cr, L.line);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setRgb(cr, kGlassEdge);
    // The open top is not outlined: the lip covers it.
    cairo_stroke(cr);

    // The flared lip, a rounded band slightly wider than the tube.
    const double lx = L.left - L.lipOut, lw = w + 2 * L.lipOut;
    const double rad = std::min(L.lipH / 2, lw / 2);
    cairo_new_path(cr);
    cairo_arc(cr, lx + lw - rad, L.top + rad, rad, -kPi / 2, kPi / 2);
    cairo_arc(cr, lx + rad, L.top + L.lipH - rad, rad, kPi / 2, 3 * kPi / 2);
    cairo_close_path(cr);
    cairo_pattern_t* lip = cairo_pattern_create_linear(0, L.top, 0, L.top + L.lipH);
    addStop(lip, 0.0, 0xFFFFFF, 0.95);
    addStop(lip, 1.0, kGlassTint, 0.95);
    fillWith(cr, lip, true);
    setRgb(cr, kGlassEdge);
    cairo_set_line_width(cr, L.lipLine);
    cairo_stroke(cr);
}

void drawIcon(cairo_t* cr, int size) {
    const Layout L = layoutFor(size);
    drawGlassBack(cr, L);
    drawMarbles(cr, L);
    drawGlassFront(cr, L);
}

bool writePng(const fs::path& path, int size) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(s);
    drawIcon(cr, size);
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

bool writeSvg(const fs::path& path) {
    const int size = 512;
    cairo_surface_t* s = cairo_svg_surface_create(path.c_str(), size, size);
    cairo_svg_surface_restrict_to_version(s, CAIRO_SVG_VERSION_1_1);
#if CAIRO_VERSION >= CAIRO_VERSION_ENCODE(1, 16, 0)
    // Plain user units: icon themes and validators expect a size without "pt".
    cairo_svg_surface_set_document_unit(s, CAIRO_SVG_UNIT_USER);
#endif
    cairo_t* cr = cairo_create(s);
    drawIcon(cr, size);
    cairo_destroy(cr);
    cairo_surface_finish(s);
    const bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s APP_ID OUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string id = argv[1];
    const fs::path root = fs::path(argv[2]) / "hicolor";
    std::error_code ec;
    const fs::path svgDir = root / "scalable" / "apps";
    fs::create_directories(svgDir, ec);
    if (ec || !writeSvg(svgDir / (id + ".svg"))) {
        std::fprintf(stderr, "[icon] konnte %s nicht schreiben\n", svgDir.c_str());
        return 1;
    }
    for (int size : kPngSizes) {
        const std::string dim = std::to_string(size) + "x" + std::to_string(size);
        const fs::path dir = root / dim / "apps";
        fs::create_directories(dir, ec);
        if (ec || !writePng(dir / (id + ".png"), size)) {
            std::fprintf(stderr, "[icon] konnte %s nicht schreiben\n", dir.c_str());
            return 1;
        }
    }
    return 0;
}
