// Frame cost of 17 tubes with fluid and 75 marbles at 1920 x 1080 against an empty frame.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "harness.h"
#include "theme/theme.h"
#include "ui/gpu.h"
#include "ui/marble.h"
#include "ui/tube.h"

namespace {

using namespace benchsupport;

constexpr int kW = 1920, kH = 1080;
constexpr int kTubes = 17, kCapacity = 5, kMarbles = 75;

ui::Rect tubeRect(int i) {
    const int perRow = 9;
    const double w = 70, h = 320, gapX = 120;
    const int row = i / perRow, col = i % perRow;
    const int inRow = row == 0 ? perRow : kTubes - perRow;
    const double left = (kW - (inRow * w + (inRow - 1) * (gapX - w))) / 2;
    return ui::Rect{left + col * gapX, 110 + row * 450.0, w, h};
}

// A playing board: fluid, glass, marbles, a selected tube with its glow, everything moving.
void drawBoard(double t) {
    const theme::World& world = theme::worlds()[1];
    int placed = 0;
    for (int i = 0; i < kTubes; ++i) {
        const ui::Rect r = tubeRect(i);
        const double fill = 0.3 + 0.6 * (0.5 + 0.5 * std::sin(t * 0.7 + i));
        ui::blitTubeFluid(r, ui::fluidColorFor(12, 777, i), fill, t, i);
        if (i == 3) ui::blitTubeGlow(r, 0.5 + 0.5 * std::sin(t * 3));
        ui::blitTube(r, ui::TubeStyle{world.glassTint, i == 3, false});
        for (int s = 0; s < kCapacity && placed < kMarbles; ++s, ++placed) {
            const double mr = 0.4 * r.w;
            const size_t color = static_cast<size_t>((i * 3 + s) % 15);
            ui::blitMarble(r.cx(), r.bottom() - 0.5 * r.w - s * (2 * mr + 2), mr,
                           world.marbleColors[color], world.skin, static_cast<int>(color) + 1,
                           std::sin(t + placed) * 0.3, 1);
        }
    }
}

FrameCost measure(harness::Canvas& canvas, int frames, bool board, double* t) {
    return averageFrameCost(canvas, *t, frames, [&](ui::Ctx&, double now) {
        if (board) drawBoard(now);
    });
}

void run(const char* label, harness::RendererKind kind, int frames) {
    harness::Canvas canvas(harness::Options{kW, kH, 1.0, kind, false});
    if (!canvas.ok()) {
        std::printf("%-34s unavailable: %s\n", label, SDL_GetError());
        return;
    }
    double t = 0;
    // Warm up: the first frames paint every texture into the cache.
    const double p0 = wallSeconds();
    measure(canvas, 1, true, &t);
    const double firstMs = (wallSeconds() - p0) * 1000;
    measure(canvas, 5, true, &t);

    FrameCost empty = measure(canvas, frames, false, &t);
    FrameCost board = measure(canvas, frames, true, &t);
    int calls = 0;
    canvas.frame(t, [&](ui::Ctx&) {
        drawBoard(t);
        calls = ui::gpuDrawCalls();
    });
    std::printf(
        "%-34s %-9s empty %6.2f ms wall %6.2f ms cpu | board %6.2f ms wall %6.2f ms cpu | "
        "ratio %5.2f wall %5.2f cpu | %d blits, %d textures, first frame %.0f ms%s\n",
        label, canvas.rendererName().c_str(), empty.wallMs, empty.cpuMs, board.wallMs, board.cpuMs,
        board.wallMs / empty.wallMs, board.cpuMs / empty.cpuMs, calls, ui::gpuCacheSize(), firstMs,
        ui::gpuStraightAlpha() ? ", straight-alpha uploads" : "");
}

// The frame layer's upload alone, for a layer of typical interface content (panels, text and soft
// shadows leave about one pixel in ten partly transparent), uploaded premultiplied and as straight
// alpha.
void uploadFigures(int frames) {
    harness::Canvas canvas(harness::Options{kW, kH, 1.0, harness::RendererKind::Software, false});
    if (!canvas.ok()) return;
    cairo_surface_t* layer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kW, kH);
    cairo_t* cr = cairo_create(layer);
    for (int i = 0; i < 40; ++i) {
        cairo_rectangle(cr, 40 + (i % 8) * 230, 60 + (i / 8) * 200, 200, 150);
        cairo_set_source_rgba(cr, 1, 0.95, 0.85, i % 3 == 0 ? 0.85 : 1.0);
        cairo_fill(cr);
        cairo_arc(cr, 140 + (i % 8) * 230, 135 + (i / 8) * 200, 60, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 0.3, 0.2, 0.1, 0.4);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(layer);
    const auto* px = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(layer));
    long partial = 0;
    for (long i = 0; i < static_cast<long>(kW) * kH; ++i)
        partial += (px[i] >> 24) != 0 && (px[i] >> 24) != 255;

    SDL_Texture* tex = SDL_CreateTexture(canvas.renderer(), SDL_PIXELFORMAT_ARGB8888,
                                         SDL_TEXTUREACCESS_STREAMING, kW, kH);
    double ms[2] = {0, 0};
    const SDL_BlendMode modes[2] = {
        SDL_ComposeCustomBlendMode(SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA,
                                   SDL_BLENDOPERATION_ADD, SDL_BLENDFACTOR_ONE,
                                   SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD),
        SDL_BLENDMODE_BLEND};
    for (int m = 0; m < 2; ++m) {
        // The software renderer refuses the custom mode; NONE stands in for "no conversion".
        if (SDL_SetTextureBlendMode(tex, modes[m]) != 0)
            SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_NONE);
        const double c0 = cpuSeconds();
        for (int f = 0; f < frames; ++f)
            ui::gpuUploadFrame(tex, layer);
        ms[m] = (cpuSeconds() - c0) * 1000 / frames;
    }
    std::printf(
        "frame layer upload %dx%d, %.1f %% partial alpha: as is %.2f ms, "
        "straight alpha %.2f ms cpu\n",
        kW, kH, 100.0 * partial / (static_cast<double>(kW) * kH), ms[0], ms[1]);
    SDL_DestroyTexture(tex);
    cairo_surface_destroy(layer);
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 60;
    if (argc > 1) frames = std::max(5, std::atoi(argv[1]));
    std::printf("bench_render: %d tubes with fluid, %d marbles, %dx%d, %d frames each\n", kTubes,
                kMarbles, kW, kH, frames);
    // Both set up as the game sets them up (the software one drawing into the window's own
    // framebuffer).
    run("software", harness::RendererKind::Software, frames);
    run("accelerated", harness::RendererKind::Accelerated, frames);
    uploadFigures(frames);
    return 0;
}
