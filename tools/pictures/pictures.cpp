// Contact sheets of marbles, tubes and thumbnails, written as PNG files through the harness.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/levels.h"
#include "harness.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/marble.h"
#include "ui/thumbnail.h"
#include "ui/tube.h"

namespace {

using theme::MarbleSkin;

constexpr uint32_t kSand = 0xFBE8C2;  // the first world's sand, the usual ground of the art

const char* const kSkinNames[6] = {"Classic", "Bubble", "Football", "Swirl", "Crystal", "Gear"};

void label(cairo_t* cr, double x, double y, const std::string& text, double size = 13) {
    ui::TextStyle st;
    st.size = size;
    st.color = theme::kText;
    ui::drawText(cr, x, y, text, st);
}

// ---- Marbles ----

void marbleSheet(ui::Ctx& ctx) {
    cairo_t* cr = ctx.cr;
    const std::vector<uint32_t>& colors = theme::worlds()[0].marbleColors;
    const double r = 22, cell = 56, left = 96;

    label(cr, 12, 8, "skins x colours, numbers 1-15, r 22", 15);
    for (int skin = 0; skin < 6; ++skin) {
        const double cy = 64 + skin * cell;
        label(cr, 12, cy - 8, kSkinNames[skin]);
        for (int i = 0; i < 15; ++i)
            ui::blitMarble(left + i * cell + cell / 2, cy, r, colors[static_cast<size_t>(i)],
                           static_cast<MarbleSkin>(skin), i + 1, 0, 1);
    }

    double y = 64 + 6 * cell + 10;
    label(cr, 12, y - 8, "sizes");
    const double radii[] = {0.51, 3, 5, 8, 12, 16, 22, 30, 40};
    double x = left;
    for (double rr : radii) {
        ui::blitMarble(x + rr, y + 14, rr, 0x3FC8D4, MarbleSkin::Football, 7, 0, 1);
        x += 2 * rr + 14;
    }

    y += 96;
    label(cr, 12, y - 8, "rotation");
    const double degrees[] = {0, 20, 45, 90, 135, 180, 270};
    for (int i = 0; i < 7; ++i) {
        const double rot = degrees[i] * M_PI / 180;
        ui::blitMarble(left + i * cell + cell / 2, y, r, 0xFF9F45, MarbleSkin::Gear, 12, rot, 1);
        ui::blitMarble(left + (i + 8) * cell + cell / 2, y, r, 0xC98FFF, MarbleSkin::Swirl, 5, rot,
                       1);
    }

    y += cell + 6;
    label(cr, 12, y - 8, "alpha");
    const double alphas[] = {1, 0.75, 0.5, 0.25, 0};
    for (int i = 0; i < 5; ++i)
        ui::blitMarble(left + i * cell + cell / 2, y, r, 0x62C370, MarbleSkin::Bubble, 3, 0,
                       alphas[i]);

    // Blitted and directly drawn versions next to each other, and the background marble.
    label(cr, left + 5 * cell + 20, y - 8, "cache | cairo | background");
    ui::blitMarble(left + 9 * cell + cell / 2, y, r, 0xFF5C8A, MarbleSkin::Crystal, 9, 0.4, 1);
    ui::drawMarbleCairo(cr, left + 10 * cell + cell / 2, y, r, 0xFF5C8A, MarbleSkin::Crystal, 9,
                        0.4);
    ui::drawBgMarbleCairo(cr, left + 11 * cell + cell / 2, y, r, 0xFF5C8A);
    ui::drawBgMarbleCairo(cr, left + 12 * cell + cell / 2, y, 10, 0x7C9EFF);

    y += cell + 6;
    label(cr, 12, y - 8, "worlds");
    for (int wi = 0; wi < 5; ++wi) {
        const theme::World& w = theme::worlds()[static_cast<size_t>(wi)];
        for (int i = 0; i < 3; ++i)
            ui::blitMarble(left + (wi * 3 + i) * cell + cell / 2, y, r,
                           w.marbleColors[static_cast<size_t>(i)], w.skin, i + 1, 0, 1);
    }
}

// ---- Tubes ----

// A few marbles standing in a tube, as the playing screen places them.
void marblesIn(const ui::Rect& tube, const std::vector<uint32_t>& colors, MarbleSkin skin) {
    const double r = tube.w * 0.4;
    for (size_t i = 0; i < colors.size(); ++i) {
        const double cy = tube.bottom() - 0.5 * tube.w - i * (2 * r + 2);
        ui::blitMarble(tube.cx(), cy, r, colors[i], skin, static_cast<int>(i) + 1, 0, 1);
    }
}

void tubeSheet(ui::Ctx& ctx) {
    cairo_t* cr = ctx.cr;
    const uint32_t tint = theme::worlds()[0].glassTint;
    const double tw = 56, th = 200, step = 120, left = 40;

    double top = 40;
    label(cr, 12, 8, "normal | selected | flashing | selected+flashing | with marbles", 15);
    const ui::TubeStyle styles[] = {
        {tint, false, false}, {tint, true, false}, {tint, false, true}, {tint, true, true}};
    for (int i = 0; i < 4; ++i)
        ui::blitTube(ui::Rect{left + i * step, top, tw, th}, styles[i]);
    const ui::Rect filled{left + 4 * step, top, tw, th};
    // Marbles first, so the glass lies over them.
    marblesIn(filled, {0xFF6B6B, 0xFFD23D, 0x3FC8D4, 0x62C370}, MarbleSkin::Classic);
    ui::blitTube(filled, ui::TubeStyle{tint, false, false});
    // The world tints, narrower tubes.
    for (int wi = 0; wi < 5; ++wi) {
        const ui::Rect r{left + 5 * step + wi * 52, top + 40, 30, 160};
        ui::blitTube(r, ui::TubeStyle{theme::worlds()[static_cast<size_t>(wi)].glassTint});
    }

    top += th + 70;
    label(cr, 12, top - 40, "glow 1 | glow 0.5 | selected + glow 1 | fluid 0.1 | 0.5 | 1 | 2", 15);
    for (int i = 0; i < 3; ++i) {
        const ui::Rect r{left + i * step, top, tw, th};
        ui::blitTubeGlow(r, i == 1 ? 0.5 : 1.0);
        ui::blitTube(r, ui::TubeStyle{tint, i == 2, false});
    }
    const double fills[] = {0.1, 0.5, 1.0, 2.0};
    for (int i = 0; i < 4; ++i) {
        const ui::Rect r{left + (3 + i) * step, top, tw, th};
        const uint32_t color = ui::fluidColorFor(7, 12345, i);
        // Fluid first, glass over it, as the playing screen composes them.
        ui::blitTubeFluid(r, color, fills[i], 1.3, i);
        ui::blitTube(r, ui::TubeStyle{tint});
    }

    top += th + 20;
    label(cr, 12, top, "drawTubeCairo (direct), widths 30 and 90", 15);
    ui::drawTubeCairo(cr, ui::Rect{left, top + 40, 30, 110}, ui::TubeStyle{tint, true, false});
    ui::drawTubeCairo(cr, ui::Rect{left + step, top + 40, 90, 110}, ui::TubeStyle{tint});
}

// ---- Thumbnails ----

void thumbnailSheet(ui::Ctx& ctx) {
    cairo_t* cr = ctx.cr;
    const double cw = 240, ch = 160, gap = 20, left = 20;
    const int levels[] = {0, 49, 104};
    for (int i = 0; i < 3; ++i) {
        const int flat = levels[i];
        const mar::LevelInfo info = mar::levelInfo(flat);
        const mar::GameState s = mar::loadLevel(flat);
        const auto palette =
            theme::rotatedPalette(theme::worldForTier(info.tier), info.paletteOffset);
        const double x = left + i * (cw + gap);
        char text[96];
        std::snprintf(text, sizeof text, "Level %d: %d tubes x %d", flat + 1, s.tubeCount(),
                      s.capacity);
        label(cr, x, 10, text);
        ui::drawLevelThumbnail(cr, ui::Rect{x, 32, cw, ch}, s.tubes, s.capacity, palette);
    }
    // Hand-made positions for the row rules: 7 tubes in one row, 8 and 9 in two.
    const auto& palette = theme::worlds()[1].marbleColors;
    for (int i = 0; i < 3; ++i) {
        const int n = 7 + i;
        std::vector<std::vector<int>> tubes(static_cast<size_t>(n));
        for (int t = 0; t < n - 2; ++t)
            for (int k = 0; k < 4; ++k)
                tubes[static_cast<size_t>(t)].push_back((t + k) % (n - 2));
        const double x = left + i * (cw + gap);
        label(cr, x, 210, std::to_string(n) + " tubes");
        ui::drawLevelThumbnail(cr, ui::Rect{x, 232, cw, ch}, tubes, 4, palette);
    }
}

// ---- Renderer comparison ----

void comparisonScene(ui::Ctx& ctx) {
    const uint32_t tint = theme::worlds()[0].glassTint;
    const ui::Rect tube{30, 30, 56, 190};
    ui::blitTubeFluid(tube, 0xFF7AD6, 0.6, 0.8, 0);
    ui::blitTube(tube, ui::TubeStyle{tint, true, false});
    for (int i = 0; i < 3; ++i)
        ui::blitMarble(150 + i * 56, 60, 22,
                       theme::worlds()[0].marbleColors[static_cast<size_t>(i)],
                       static_cast<MarbleSkin>(i * 2), i + 1, 0, 1);
    ui::blitMarble(150, 140, 22, 0xFFD23D, MarbleSkin::Classic, 4, 0, 0.5);
    // Soft cairo layer content: the frame layer's own partial alpha.
    cairo_t* cr = ctx.cr;
    ui::roundedRectPath(cr, ui::Rect{210, 120, 90, 60}, 12);
    ui::softShadowFromPath(cr, 0, 4, 10, theme::kShadow, 0.5);
    ui::setColor(cr, theme::kPillFill, 0.9);
    cairo_fill(cr);
    label(cr, 10, 236, "soft shadow, glass and marble edges");
}

// ---- Output ----

bool writeSheet(const std::string& dir, const char* name, int w, int h, double scale,
                harness::RendererKind kind, void (*scene)(ui::Ctx&)) {
    harness::Canvas canvas(harness::Options{w, h, scale, kind, false});
    if (!canvas.ok()) {
        std::fprintf(stderr, "%s: no renderer: %s\n", name, SDL_GetError());
        return false;
    }
    canvas.frame(1.0, scene, kSand);
    const std::string path = dir + "/" + name;
    bool ok = canvas.snapshot().writePng(path);
    std::printf("%s %s (%s, scale %.0f)\n", ok ? "wrote" : "FAILED", path.c_str(),
                canvas.rendererName().c_str(), scale);
    return ok;
}

bool writeComparison(const std::string& dir) {
    harness::Image sides[2];
    const harness::RendererKind kinds[2] = {harness::RendererKind::Software,
                                            harness::RendererKind::Accelerated};
    for (int i = 0; i < 2; ++i) {
        harness::Canvas canvas(harness::Options{330, 260, 1.0, kinds[i], false});
        if (!canvas.ok()) return false;
        canvas.frame(1.0, comparisonScene, kSand);
        sides[i] = canvas.snapshot();
    }
    const std::string path = dir + "/renderers.png";
    bool ok = harness::Image::besideEachOther(sides[0], sides[1], 8, 0x000000).writePng(path);
    std::printf("%s %s (software | accelerated)\n", ok ? "wrote" : "FAILED", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = "pictures";
    auto kind = harness::RendererKind::Accelerated;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--software") == 0)
            kind = harness::RendererKind::Software;
        else
            dir = argv[i];
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);

    bool ok = true;
    ok &= writeSheet(dir, "marbles.png", 940, 760, 1.0, kind, marbleSheet);
    ok &= writeSheet(dir, "marbles_hidpi.png", 940, 760, 2.0, kind, marbleSheet);
    ok &= writeSheet(dir, "tubes.png", 920, 700, 1.0, kind, tubeSheet);
    ok &= writeSheet(dir, "tubes_hidpi.png", 920, 700, 2.0, kind, tubeSheet);
    ok &= writeSheet(dir, "thumbnails.png", 800, 410, 1.0, kind, thumbnailSheet);
    ok &= writeComparison(dir);
    ui::drawShutdown();
    return ok ? 0 : 1;
}
