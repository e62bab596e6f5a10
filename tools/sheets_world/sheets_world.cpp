// Contact sheets of the celebration effects, world backgrounds, beach objects and critters.
//
// Usage: vantrel-sheets-world <output-dir> [--software]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "harness.h"
#include "theme/theme.h"
#include "ui/background.h"
#include "ui/draw.h"
#include "ui/effects.h"
#include "ui/gpu.h"
#include "ui/life.h"

namespace {

using theme::ShapeKind;

harness::RendererKind gRenderer = harness::RendererKind::Accelerated;
std::string gDir = "sheets-world";

bool save(const harness::Image& img, const std::string& name) {
    const std::string path = gDir + "/" + name;
    const bool ok = img.writePng(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.c_str());
    return ok;
}

void label(cairo_t* cr, double x, double y, const std::string& text, double size = 14) {
    ui::TextStyle st;
    st.size = size;
    st.bold = true;
    st.color = theme::kText;
    st.shadowRadius = 3;
    st.shadowColor = 0xFFFFFF;
    st.shadowAlpha = 0.9;
    ui::drawText(cr, x, y, text, st);
}

// Runs frames at 60 per second from t = 0 up to `until` and keeps the last one.
harness::Image runFrames(harness::Canvas& canvas, double until,
                         const std::function<void(ui::Ctx&)>& body) {
    const int frames = std::max(1, static_cast<int>(std::lround(until * 60)));
    for (int f = 0; f <= frames; ++f)
        canvas.frame(f / 60.0, body);
    return canvas.snapshot();
}

// ---- Effects ----

bool effectSheets() {
    struct Effect {
        const char* file;
        const char* title;
        void (*draw)(ui::Ctx&);
        double at;
    };
    const Effect effects[] = {
        {"fx_blossoms.png", "cherry blossoms, t 4 s", ui::drawCherryBlossoms, 4.0},
        {"fx_fireworks.png", "fireworks, t 2.1 s", ui::drawFireworks, 2.1},
        {"fx_burst.png", "marble burst, t 3 s (N from 480: 9)",
         [](ui::Ctx& c) { ui::drawMarbleBurst(c); }, 3.0},
        {"fx_fountain.png", "marble fountain, t 2.2 s", ui::drawMarbleFountain, 2.2},
    };
    bool ok = true;
    for (const Effect& e : effects) {
        ui::effectsShutdown();
        harness::Canvas canvas(harness::Options{720, 480, 1.0, gRenderer, false});
        if (!canvas.ok()) return false;
        harness::Image img = runFrames(canvas, e.at, [&](ui::Ctx& c) {
            ui::drawBackground(c, 7, -1, 0.36, true);
            e.draw(c);
            label(c.cr, 12, 10, e.title);
        });
        ok &= save(img, e.file);
    }
    return ok;
}

// ---- World backgrounds ----

bool backgroundSheets() {
    bool ok = true;
    const int sizes[2][2] = {{1280, 720}, {800, 480}};
    for (int world = 0; world < 5; ++world) {
        for (const auto& sz : sizes) {
            ui::backgroundShutdown();
            harness::Canvas canvas(harness::Options{sz[0], sz[1], 1.0, gRenderer, false});
            if (!canvas.ok()) return false;
            const int tier = world * 4;
            canvas.frame(0, [&](ui::Ctx& c) {
                ui::drawBackground(c, 7, tier, 0.36, true);
                const theme::World& w = theme::worldForTier(tier);
                char text[96];
                std::snprintf(text, sizeof text, "%s  seed 7  tier %d  %dx%d  opacity 0.36", w.id,
                              tier, sz[0], sz[1]);
                label(c.cr, 12, c.h - 26, text);
            });
            char name[64];
            std::snprintf(name, sizeof name, "bg_world%d_%dx%d.png", world, sz[0], sz[1]);
            ok &= save(canvas.snapshot(), name);
        }
    }
    // The texture-free still variant next to the textured one at t = 0.
    ui::backgroundShutdown();
    harness::Canvas canvas(harness::Options{800, 480, 1.0, gRenderer, false});
    if (!canvas.ok()) return false;
    canvas.frame(0, [&](ui::Ctx& c) { ui::drawBackground(c, 2, -1, 0.36, false); });
    harness::Image textured = canvas.snapshot();
    canvas.frame(0, [&](ui::Ctx& c) { ui::drawBackgroundCairo(c.cr, c.w, c.h, 2, -1, 0.36); });
    harness::Image direct = canvas.snapshot();
    ok &= save(harness::Image::besideEachOther(textured, direct, 8, 0x000000),
               "bg_textured_vs_cairo.png");
    return ok;
}

// ---- Beach objects ----

void shapeSheet(ui::Ctx& c) {
    cairo_t* cr = c.cr;
    const theme::World& w0 = theme::worlds()[0];
    ui::fillRect(cr, ui::Rect{0, 0, c.w, c.h}, w0.bg, 1);
    ui::fillRect(cr, ui::Rect{0, 0, c.w, 150}, w0.sea[0], 1);
    label(cr, 12, 8, "beach objects, r 40 (Wave w 140, Ring w 7), turned by 0 and by 0.5 rad");
    const char* names[12] = {"Marble",   "Shell", "Starfish", "Shovel", "Sandcastle", "Beachball",
                             "Umbrella", "Sun",   "Wave",     "Sand",   "Dot",        "Ring"};
    const uint32_t colors[12] = {0xFF6B6B, 0xFFB59C, 0xD9AD62, 0x7C9EFF, 0xE8C98A, 0xFF8FAB,
                                 0x3FC8D4, 0,        0,        0xD9AD62, 0xFFB59C, 0x8AD8D0};
    int slot = 0;
    for (int k = 0; k < 12; ++k) {
        if (static_cast<ShapeKind>(k) == ShapeKind::Sun) continue;
        const double cx = 80 + (slot % 6) * 150;
        const double cy = slot < 6 ? 100 : 330;
        for (int turned = 0; turned < 2; ++turned) {
            ui::Shape s;
            s.kind = static_cast<ShapeKind>(k);
            s.cx = cx;
            s.cy = cy + turned * 110;
            s.r = s.kind == ShapeKind::Sand ? 8 : 40;
            s.rot = turned * 0.5;
            s.w = s.kind == ShapeKind::Wave ? 140 : s.kind == ShapeKind::Ring ? 7 : 0;
            s.color = colors[k];
            ui::drawShape(cr, s);
        }
        label(cr, cx - 40, cy - 80 + (slot < 6 ? 20 : 0), names[k], 12);
        ++slot;
    }
}

bool shapeSheets() {
    harness::Canvas canvas(harness::Options{940, 520, 1.0, gRenderer, false});
    if (!canvas.ok()) return false;
    canvas.frame(0, shapeSheet);
    return save(canvas.snapshot(), "bg_shapes.png");
}

// ---- Critters ----

struct Forced {
    const char* env;
    double duration;
};
const Forced kForced[7] = {{"crab", 6},     {"fish", 1.7},     {"boat", 6},  {"gullfly", 9},
                           {"gullpeek", 6}, {"turtlewalk", 6}, {"turtle", 6}};

// The frame at p = 0.5 of a critter forced through VANTREL_LIFE: it starts in the first frame.
harness::Image critterFrame(const Forced& f, int w, int h, double scale, bool labelled) {
    setenv("VANTREL_LIFE", f.env, 1);
    ui::lifeShutdown();
    harness::Canvas canvas(harness::Options{w, h, scale, gRenderer, false});
    if (!canvas.ok()) return harness::Image{};
    auto body = [&](ui::Ctx& c) {
        ui::drawBackground(c, 2, -1, 0.36, false);
        ui::drawAmbientLife(c);
    };
    canvas.frame(0, body);
    canvas.frame(0.5 * f.duration, [&](ui::Ctx& c) {
        body(c);
        if (!labelled) return;
        char text[80];
        std::snprintf(text, sizeof text, "VANTREL_LIFE=%s  p 0.5  %dx%d", f.env, w, h);
        label(c.cr, 12, c.h - 26, text);
    });
    return canvas.snapshot();
}

bool critterSheets() {
    bool ok = true;
    for (const Forced& f : kForced)
        ok &= save(critterFrame(f, 800, 480, 1.0, true), std::string("life_") + f.env + ".png");
    // Close-ups: the same frames at three times the resolution, cropped around the critter.
    harness::Image sheet;
    for (const Forced& f : kForced) {
        harness::Image full = critterFrame(f, 400, 240, 3.0, false);
        ui::Life l = ui::lifeState();
        const std::vector<ui::CritterBlit> pose = ui::critterPose(l, 0.5, 400, 240);
        double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
        for (const ui::CritterBlit& b : pose) {
            const double left = b.pivoted ? b.x : b.cx - b.w / 2;
            const double top = b.pivoted ? b.y : b.cy - b.h / 2;
            x0 = std::min(x0, left);
            y0 = std::min(y0, top);
            x1 = std::max(x1, left + b.w);
            y1 = std::max(y1, top + b.h);
        }
        harness::Image crop;
        const int cx0 = std::max(0, static_cast<int>((x0 - 12) * 3));
        const int cy0 = std::max(0, static_cast<int>((y0 - 12) * 3));
        const int cx1 = std::min(full.w, static_cast<int>((x1 + 12) * 3));
        const int cy1 = std::min(full.h, static_cast<int>((y1 + 12) * 3));
        crop.w = std::max(1, cx1 - cx0);
        crop.h = std::max(1, cy1 - cy0);
        crop.px.resize(static_cast<size_t>(crop.w) * crop.h);
        for (int y = 0; y < crop.h; ++y)
            for (int x = 0; x < crop.w; ++x)
                crop.px[static_cast<size_t>(y) * crop.w + x] = full.at(cx0 + x, cy0 + y);
        sheet = sheet.w == 0 ? crop : harness::Image::besideEachOther(sheet, crop, 6, 0x000000);
    }
    ok &= save(sheet, "life_closeups.png");
    unsetenv("VANTREL_LIFE");
    ui::lifeShutdown();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--software") == 0)
            gRenderer = harness::RendererKind::Software;
        else
            gDir = argv[i];
    }
    std::error_code ec;
    std::filesystem::create_directories(gDir, ec);
    bool ok = true;
    ok &= effectSheets();
    ok &= backgroundSheets();
    ok &= shapeSheets();
    ok &= critterSheets();
    ui::drawShutdown();
    return ok ? 0 : 1;
}
