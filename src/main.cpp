// Program entry: options, window and renderer, and the one frame loop.
#include <SDL.h>
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <malloc.h>
#include <thread>

#include <time.h>
#include <unistd.h>

#include "core/storage.h"
#include "i18n/i18n.h"
#include "platform/audio.h"
#include "platform/crash_handler.h"
#include "screens/screens.h"
#include "ui/app.h"
#include "ui/draw.h"
#include "ui/frame_layer.h"
#include "ui/gpu.h"

namespace {

constexpr const char* kTitle = "Vantrel's Marbles";
constexpr const char* kVersion = VANTREL_VERSION;
constexpr int kBuild = VANTREL_BUILD;
constexpr double kFrameSeconds = 1.0 / 60;  // the pace of a common display
constexpr int kTrimAfterFrames = 150;       // a little longer than the cache keeps unused old sizes

volatile std::sig_atomic_t g_terminate = 0;

// The first signal asks the loop to end and save; a second one means "now". Only _Exit is
// safe here: shutting the mixer down would free memory and take its locks inside a handler,
// and the system releases the sound device anyway.
void onTerminationSignal(int sig) {
    if (g_terminate) _Exit(128 + sig);
    g_terminate = 1;
}

void installTerminationHandlers() {
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, onTerminationSignal);
}

// Loading SDL, pango and their libraries takes tens of milliseconds before main; a shutdown
// request in that time would otherwise kill the game with the default action. The dynamic
// loader runs this before any library's constructors.
__attribute__((used, section(".preinit_array"))) void (*const kEarlyHandlers)() =
    installTerminationHandlers;

// Milliseconds since the process was started, from the kernel's record of it (in clock ticks),
// so that the time before main (loading libraries) counts too.
double msSinceExec() {
    std::FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return -1;
    char buf[1024] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = 0;
    // The command name may hold blanks and parentheses: the fields after it start at the last ')'.
    const char* p = std::strrchr(buf, ')');
    if (!p) return -1;
    unsigned long long start = 0;
    // Field 22 (starttime) is the 20th after the name.
    if (std::sscanf(
            p + 2,
            "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
            &start) != 1)
        return -1;
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (boot.tv_sec + boot.tv_nsec / 1e9 - start / ticks) * 1000;
}

double nowSeconds() {
    using clock = std::chrono::steady_clock;
    static const clock::time_point start = clock::now();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(clock::now() - start).count() / 1e9;
}

// Returns true when the program should exit at once (after --version or --help).
bool handleInfoOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s (Build %d)\n", kTitle, kVersion, kBuild);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "%s %s\n  --version    Version ausgeben\n  --fullscreen im Vollbild starten\n"
                "  --windowed   im Fenster starten\n",
                kTitle, kVersion);
            return true;
        }
    }
    return false;
}

void applyWindowModeOptions(int argc, char** argv, store::Settings& settings) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fullscreen") == 0) settings.fullscreen = true;
        if (std::strcmp(argv[i], "--windowed") == 0) settings.fullscreen = false;
    }
}

void applyScreenOverride() {
    const char* v = std::getenv("VANTREL_SCREEN");
    if (!v) return;
    std::string which = v;
    ui::GameState s;
    if (which == "ending") {
        s.kind = ui::ScreenKind::Ending;
        s.forcePerfect = 1;
    } else if (which == "ending-normal") {
        s.kind = ui::ScreenKind::Ending;
        s.forcePerfect = 0;
    } else if (which == "attract") {
        s.kind = ui::ScreenKind::Attract;
        s.runId = 12345;
    } else if (which == "solved") {
        s.kind = ui::ScreenKind::Solved;
        s.level = 0;
        s.moves = 3;
        s.elapsedMs = 42000;
    } else {
        return;
    }
    ui::Game::instance()->resetTo(s);
}

// Fits the stored window into the usable display area; centred without a stored position.
ui::WindowPlacement windowPlacement(const store::Settings& st) {
    SDL_Rect b{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(0, &b) != 0 || b.w <= 0) {
        b = SDL_Rect{0, 0, 0, 0};
        if (SDL_GetDisplayBounds(0, &b) != 0) b = SDL_Rect{0, 0, 0, 0};
    }
    return ui::placeWindow(st, ui::IntRect{b.x, b.y, b.w, b.h});
}

void printVideoLine(SDL_Renderer* ren) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(ren, &info) != 0) return;
    const char* driver = SDL_GetCurrentVideoDriver();
    std::printf("[video] Treiber %s, Renderer %s%s%s\n", driver ? driver : "?",
                info.name ? info.name : "?",
                (info.flags & SDL_RENDERER_ACCELERATED) ? " (beschleunigt)" : " (Software!)",
                (info.flags & SDL_RENDERER_PRESENTVSYNC) ? ", vsync" : ", ohne vsync");
    std::fflush(stdout);
}

// Window events that change the remembered geometry; returns true when it changed.
bool trackGeometry(const SDL_WindowEvent& ev, SDL_Window* win, store::Settings& st) {
    ui::WindowChange change;
    switch (ev.event) {
        case SDL_WINDOWEVENT_MAXIMIZED:
            change = ui::WindowChange::Maximized;
            break;
        case SDL_WINDOWEVENT_RESTORED:
            change = ui::WindowChange::Restored;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            change = ui::WindowChange::Resized;
            break;
        case SDL_WINDOWEVENT_MOVED:
            change = ui::WindowChange::Moved;
            break;
        default:
            return false;
    }
    const Uint32 special = SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP |
                           SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED;
    bool inSpecialState = (SDL_GetWindowFlags(win) & special) != 0;
    return ui::noteWindowChange(st, change, ev.data1, ev.data2, inSpecialState);
}

// The full-window cairo layer and the streaming texture it is uploaded into.
void fillInputState(ui::Input& in) {
    int mx = 0, my = 0;
    Uint32 buttons = SDL_GetMouseState(&mx, &my);
    in.mouseX = mx;
    in.mouseY = my;
    in.mouseDown = (buttons & SDL_BUTTON_LMASK) != 0;
    SDL_Keymod mod = SDL_GetModState();
    in.ctrl = (mod & KMOD_CTRL) != 0;
    in.shift = (mod & KMOD_SHIFT) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (handleInfoOptions(argc, argv)) return 0;

    SDL_SetHint("SDL_NO_SIGNAL_HANDLERS", "1");
    installTerminationHandlers();
    // A launcher may pass these signals on blocked: the game would never hear a shutdown
    // request. Unblocking also delivers one that arrived before the handler existed.
    sigset_t termSignals;
    sigemptyset(&termSignals);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&termSignals, sig);
    sigprocmask(SIG_UNBLOCK, &termSignals, nullptr);

    // Full-window surfaces come and go with every window size; from the system's own pages they
    // go back to it when freed, instead of lingering in the heap after a resize to 4K and back.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    // Loading the font configuration takes as long as setting up the renderer; both at once.
    std::thread fontWarmUp(ui::drawWarmUpFonts);
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        fontWarmUp.join();
        return 1;
    }
    store::ensureDataDirs();
    crash::install();
    screens::install();
    ui::Game* game = ui::Game::instance();
    store::Settings& settings = game->settings();
    applyWindowModeOptions(argc, argv, settings);
    i18n::setLanguage(settings.language);
    applyScreenOverride();

    ui::WindowPlacement place = windowPlacement(settings);
    int posX = place.centred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : place.x;
    int posY = place.centred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : place.y;
    SDL_Window* win =
        SDL_CreateWindow(kTitle, posX, posY, place.w, place.h,
                         SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!win) {
        std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
        fontWarmUp.join();
        return 1;
    }
    SDL_SetWindowMinimumSize(win, 640, 480);
    if (settings.maximized) SDL_MaximizeWindow(win);
    if (settings.fullscreen) SDL_SetWindowFullscreen(win, SDL_WINDOW_FULLSCREEN_DESKTOP);

    SDL_Renderer* ren = ui::gpuCreateRenderer(win, ui::RendererChoice::Any, true);
    if (!ren) {
        std::fprintf(stderr, "SDL_CreateRenderer: %s\n", SDL_GetError());
        fontWarmUp.join();
        return 1;
    }
    printVideoLine(ren);
    ui::gpuInit(ren);
    // The fonts were loaded meanwhile; the first frame's text must not load them again.
    if (fontWarmUp.joinable()) fontWarmUp.join();

    ui::FrameLayer layer;
    ui::Ctx ctx;
    double lastT = nowSeconds();
    bool wasFullscreen = settings.fullscreen;
    bool geometryDirty = false;
    double lastGeometrySave = 0;
    const bool statsOn = std::getenv("VANTREL_STATS") != nullptr;
    bool firstShown = false;
    int resizedFrames = -1;  // frames since the output size last changed, -1 when trimmed since
    int statFrames = 0;
    double statDraw = 0, statPresent = 0, statLast = nowSeconds();
    bool running = true;

    while (running) {
        ctx.in = ui::Input{};
        ctx.clickUsed = false;

        SDL_Event ev;
        while (SDL_PollEvent(&ev)) {
            switch (ev.type) {
                case SDL_QUIT:
                    running = false;
                    break;
                case SDL_KEYDOWN: {
                    SDL_Keycode key = ev.key.keysym.sym;
                    if (key == SDLK_F11) {
                        settings.fullscreen = !settings.fullscreen;
                        game->persistSettings();
                    } else if (key == SDLK_q && (ev.key.keysym.mod & KMOD_CTRL)) {
                        running = false;
                    } else {
                        ctx.in.keys.push_back(key);
                    }
                    break;
                }
                case SDL_MOUSEBUTTONDOWN:
                    if (ev.button.button == SDL_BUTTON_LEFT) ctx.in.pressed = true;
                    if (ev.button.button == SDL_BUTTON_RIGHT) ctx.in.rightPressed = true;
                    break;
                case SDL_MOUSEBUTTONUP:
                    if (ev.button.button == SDL_BUTTON_LEFT) ctx.in.released = true;
                    break;
                case SDL_MOUSEWHEEL:
                    ctx.in.wheel += ev.wheel.y;
                    break;
                case SDL_WINDOWEVENT:
                    if (trackGeometry(ev.window, win, settings)) geometryDirty = true;
                    break;
                default:
                    break;
            }
        }

        if (settings.fullscreen != wasFullscreen) {
            SDL_SetWindowFullscreen(win, settings.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
            wasFullscreen = settings.fullscreen;
        }
        fillInputState(ctx.in);

        if (g_terminate) break;

        // Nobody sees a hidden or minimised window: draw nothing and sleep until something
        // happens, waking now and then to hear a termination request.
        if (SDL_GetWindowFlags(win) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) {
            SDL_WaitEventTimeout(nullptr, 250);
            lastT = nowSeconds();
            continue;
        }

        int pxW = 0, pxH = 0;
        SDL_GetRendererOutputSize(ren, &pxW, &pxH);
        if (pxW <= 0 || pxH <= 0) {
            // Nothing to draw into (a minimised window on some systems): wait, do not spin.
            SDL_Delay(16);
            continue;
        }
        int winW = 0, winH = 0;
        SDL_GetWindowSize(win, &winW, &winH);
        double scale = (pxW > 0 && winW > 0) ? static_cast<double>(pxW) / winW : 1.0;

        if (pxW != layer.w || pxH != layer.h) resizedFrames = 0;
        ui::frameLayerEnsure(layer, pxW, pxH);
        // Once the textures of the sizes left behind are dropped, their memory is handed back.
        if (resizedFrames >= 0 && ++resizedFrames > kTrimAfterFrames) {
            malloc_trim(0);
            resizedFrames = -1;
        }
        cairo_t* cr = ui::frameLayerBegin(layer);
        cairo_scale(cr, scale, scale);
        ctx.cr = cr;
        ctx.w = pxW / scale;
        ctx.h = pxH / scale;

        double t = nowSeconds();
        ctx.t = t;
        ctx.dt = std::min(t - lastT, 0.1);
        lastT = t;

        double drawStart = nowSeconds();
        ui::gpuSetScale(scale);
        ui::gpuSetWindowSize(pxW, pxH);
        ui::gpuBeginFrame();
        SDL_SetRenderDrawColor(ren, 0, 0, 0, 255);
        SDL_RenderClear(ren);
        game->update(ctx);
        cairo_destroy(cr);
        ctx.cr = nullptr;
        double drawEnd = nowSeconds();

        ui::frameLayerCompose(layer, ren);
        SDL_RenderPresent(ren);
        double presentEnd = nowSeconds();
        if (!firstShown) {
            if (statsOn) std::fprintf(stderr, "[start] erstes Bild nach %.0f ms\n", msSinceExec());
            firstShown = true;
            // Sound starts once the first picture is up: opening the device and fetching the
            // sounds would otherwise delay it; effects asked for meanwhile are skipped.
            audio::init();
            audio::setEnabled(settings.soundOn);
            audio::setMusicVolume(settings.musicVolume);
            audio::setSfxVolume(settings.sfxVolume);
            if (settings.soundOn) audio::startMusic();
        }
        // Without a display that paces presenting (software rendering, virtual servers), frames
        // would follow each other as fast as the processor allows; 60 a second are all we show.
        const double frameLeft = kFrameSeconds - (presentEnd - t);
        if (frameLeft > 0.001) SDL_Delay(static_cast<Uint32>(frameLeft * 1000));

        if (statsOn) {
            ++statFrames;
            statDraw += drawEnd - drawStart;
            statPresent += presentEnd - drawEnd;
            if (presentEnd - statLast >= 1.0) {
                // The cache size lets a long run show that the texture cache stays bounded.
                std::fprintf(stderr,
                             "[stats] %3d fps   CPU %5.1f ms   GPU %5.1f ms   %d Kopien  %dx%d  "
                             "%d Texturen %.0f MB%s\n",
                             statFrames, 1000 * statDraw / statFrames,
                             1000 * statPresent / statFrames, ui::gpuDrawCalls(), pxW, pxH,
                             ui::gpuCacheSize(), ui::gpuCacheBytes() / 1048576.0,
                             ui::profReport().c_str());
                statFrames = 0;
                statDraw = statPresent = 0;
                statLast = presentEnd;
            }
        }

        if (geometryDirty && t - lastGeometrySave > 2.0) {
            game->persistSettings();
            geometryDirty = false;
            lastGeometrySave = t;
        }
        if (ctx.quitRequested || g_terminate) running = false;
    }

    // The screens go first, while everything they may touch on leaving still runs.
    game->shutdown();
    game->persistSettings();
    ui::gpuShutdown();
    ui::drawShutdown();
    audio::shutdown();
    ui::frameLayerRelease(layer);
    SDL_DestroyRenderer(ren);
    SDL_DestroyWindow(win);
    SDL_Quit();
    return 0;
}
