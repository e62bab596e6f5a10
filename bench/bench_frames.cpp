// The whole story of a frame's cost: for each renderer the game can end up on and three window
// sizes, the floor (clear, one full-window layer uploaded and blitted, present) and the CPU
// milliseconds per frame of the menu, the level select, level 105 playing its stored solution
// and the ending, each also as a ratio to the floor of the same run. Process CPU time is
// measured, so renderer threads count and other programs on the machine do not.
//
// Usage: bench_frames [frames per screen] [widthxheight ...] [software|opengl]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench_support.h"
#include "core/levels.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screens/playing.h"
#include "ui/app.h"
#include "ui/gpu.h"

namespace {

using namespace benchsupport;

constexpr int kLevel = 104;  // level 105, 17 tubes
constexpr int kWarmUp = 30;  // frames that paint every texture a screen needs
constexpr double kDt = 1.0 / 60;

double meanOf(const std::vector<double>& v) {
    return summarise(v).mean;
}

// The least a frame can cost on this renderer: the game's own clear, upload, blit and present of
// one full-window layer, nothing drawn.
double floorMs(harness::Canvas& canvas, int frames) {
    const int w = canvas.pxW(), h = canvas.pxH();
    SDL_Texture* tex = ui::gpuCreateFrameTexture(w, h);
    cairo_surface_t* layer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (!tex || cairo_surface_status(layer) != CAIRO_STATUS_SUCCESS) {
        if (tex) SDL_DestroyTexture(tex);
        cairo_surface_destroy(layer);
        return 0;
    }
    std::vector<double> v;
    for (int f = 0; f < frames + 5; ++f) {
        const double c0 = cpuMs();
        SDL_SetRenderDrawColor(canvas.renderer(), 0, 0, 0, 255);
        SDL_RenderClear(canvas.renderer());
        ui::gpuUploadFrame(tex, layer);
        SDL_RenderCopy(canvas.renderer(), tex, nullptr, nullptr);
        canvas.present();
        if (f >= 5) v.push_back(cpuMs() - c0);
    }
    SDL_DestroyTexture(tex);
    cairo_surface_destroy(layer);
    return meanOf(v);
}

struct Cost {
    double ms = 0;
    int blits = 0;
};

Cost screenMs(harness::Canvas& canvas, double& t, ui::ScreenKind kind, int frames) {
    ui::GameState rec;
    rec.kind = kind;
    rec.forcePerfect = 1;
    ui::Game::instance()->resetTo(rec);
    const auto game = [](ui::Ctx& c) {
        // The pointer rests in the middle, as a player's would.
        c.in.mouseX = c.w / 2;
        c.in.mouseY = c.h / 2;
        ui::Game::instance()->update(c);
    };
    frameCpuMs(canvas, t, kWarmUp, game);
    Cost cost;
    cost.ms = meanOf(frameCpuMs(canvas, t, frames, game));
    cost.blits = ui::gpuDrawCalls();
    return cost;
}

// Level 105 through the real game loop, one click every 0.35 s along its stored solution, so that
// pick-ups, flights, landings and the liquid overlap as in real play.
Cost playingMs(harness::Canvas& canvas, double& t, int frames) {
    openFreshBoard(kLevel);
    const auto game = [](ui::Ctx& c) { ui::Game::instance()->update(c); };
    frameCpuMs(canvas, t, kWarmUp, game);
    const mar::GameState start = mar::loadLevel(kLevel);
    screens::BoardLayout layout;
    screens::layoutBoard(layout, canvas.pxW() / canvas.scale(), canvas.pxH() / canvas.scale(),
                         start.tubeCount(), start.capacity, false);
    const auto solution = mar::levelSolution(kLevel);
    std::vector<double> v;
    SolutionTaps taps(layout, solution, t);
    std::vector<double> blits;
    while (static_cast<int>(v.size()) < frames && !taps.done()) {
        t += kDt;
        v.push_back(taps.playFrame(canvas, t));
        blits.push_back(ui::gpuDrawCalls());
    }
    store::clearGame();
    store::clearAllSolves();
    // The typical frame: one after a move redraws the composed tubes as well.
    return Cost{meanOf(v), static_cast<int>(summarise(blits).median)};
}

void run(const char* label, harness::RendererKind kind, int w, int h, int frames) {
    harness::Canvas canvas(harness::Options{w, h, 1.0, kind, false});
    if (!canvas.ok()) {
        std::printf("%-9s %4dx%-4d unavailable: %s\n", label, w, h, SDL_GetError());
        return;
    }
    double t = 0;
    const double floor = floorMs(canvas, frames);
    struct Row {
        const char* name;
        Cost cost;
    };
    std::vector<Row> rows;
    rows.push_back({"menu", screenMs(canvas, t, ui::ScreenKind::Menu, frames)});
    rows.push_back({"level select", screenMs(canvas, t, ui::ScreenKind::LevelSelect, frames)});
    rows.push_back({"playing 105", playingMs(canvas, t, frames)});
    rows.push_back({"ending", screenMs(canvas, t, ui::ScreenKind::Ending, frames)});
    std::printf("%-9s %-9s %4dx%-4d floor %7.2f ms", label, canvas.rendererName().c_str(), w, h,
                floor);
    for (const Row& r : rows)
        std::printf(" | %s %7.2f ms %5.2fx %3d blits", r.name, r.cost.ms,
                    floor > 0 ? r.cost.ms / floor : 0.0, r.cost.blits);
    std::printf(" | cache %.1f MB\n", ui::gpuCacheBytes() / 1048576.0);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 120;
    if (argc > 1) frames = std::max(5, std::atoi(argv[1]));
    std::vector<std::pair<int, int>> sizes;
    bool software = true, opengl = true;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "software") == 0) opengl = false;
        if (std::strcmp(argv[i], "opengl") == 0) software = false;
        int w = 0, h = 0;
        if (std::sscanf(argv[i], "%dx%d", &w, &h) == 2 && w > 0 && h > 0) sizes.emplace_back(w, h);
    }
    if (sizes.empty()) sizes = {{1280, 720}, {1920, 1080}, {3840, 2160}};
    // Never read or change the player's own files.
    if (useFreshDataDir("bench_frames").empty()) return 1;
    i18n::setLanguage("en");
    std::printf("bench_frames: cpu ms per frame, mean of %d frames after %d warm-up frames\n",
                frames, kWarmUp);
    for (auto [w, h] : sizes) {
        if (software) run("software", harness::RendererKind::Software, w, h, frames);
        if (opengl) run("opengl", harness::RendererKind::Accelerated, w, h, frames);
    }
    return 0;
}
