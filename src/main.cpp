// Program entry: start-up, the one frame loop (event pump, frame) and shutdown.
#include <SDL.h>
#include <cairo.h>
#include <malloc.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "core/puzzle_code.h"
#include "i18n/i18n.h"
#include "launch.h"
#include "platform/audio.h"
#include "platform/controller.h"
#include "platform/crash_handler.h"
#include "platform/desktop.h"
#include "platform/hint_worker.h"
#include "platform/puzzle_maker.h"
#include "screens/screens.h"
#include "ui/app.h"
#include "ui/draw.h"
#include "ui/frame_layer.h"
#include "ui/gpu.h"
#include "ui/motion.h"
#include "ui/profiler.h"

namespace {

constexpr const char* kTitle = "Vantrel's Marbles";
constexpr double kFrameSeconds = 1.0 / 60;  // the pace of a common display
constexpr int kTrimAfterFrames = 150;       // a little longer than the cache keeps unused old sizes
// A still picture sleeps until input, a screen's own timer (Ctx::wakeBy: the splash's 3 s, the
// menu's hand-over to the demo), a pending save of the window geometry or a held direction's
// repeat; and at most this long, so that a termination request is heard in good time.
constexpr double kStillSleepSeconds = 3;

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

// A launcher may pass these signals on blocked: the game would never hear a shutdown request.
// Unblocking also delivers one that arrived before the handler existed.
void listenForTermination() {
    SDL_SetHint("SDL_NO_SIGNAL_HANDLERS", "1");
    installTerminationHandlers();
    sigset_t termSignals;
    sigemptyset(&termSignals);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&termSignals, sig);
    sigprocmask(SIG_UNBLOCK, &termSignals, nullptr);
}

// Figures for the statistics line, summed over about a second.
struct FrameStats {
    bool on = std::getenv("VANTREL_STATS") != nullptr;
    int frames = 0;
    double draw = 0, present = 0, since = 0;
};

// Everything the loop keeps from one frame to the next.
struct Loop {
    ui::Game* game = nullptr;
    store::Settings* settings = nullptr;
    SDL_Window* win = nullptr;
    SDL_Renderer* ren = nullptr;
    ui::FrameLayer layer;
    ui::Ctx ctx;
    double lastT = 0;
    bool wasFullscreen = false;
    bool geometryDirty = false;
    double lastGeometrySave = 0;
    bool firstShown = false;
    int resizedFrames = -1;  // frames since the output size last changed, -1 when trimmed since
    bool running = true;
    bool still = false;  // the last frame showed exactly the picture before it
    FrameStats stats;
};

// ---- Start-up ----

SDL_Window* openWindow(const store::Settings& settings) {
    const ui::WindowPlacement place = launch::windowPlacement(settings);
    const int x = place.centred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : place.x;
    const int y = place.centred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : place.y;
    SDL_Window* win =
        SDL_CreateWindow(kTitle, x, y, place.w, place.h,
                         SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!win) return nullptr;
    SDL_SetWindowMinimumSize(win, 640, 480);
    if (settings.maximized) SDL_MaximizeWindow(win);
    if (settings.fullscreen) SDL_SetWindowFullscreen(win, SDL_WINDOW_FULLSCREEN_DESKTOP);
    return win;
}

// Everything up to the first frame; false (after one line on stderr) when the game cannot run.
bool startUp(Loop& L, int argc, char** argv, const std::optional<launch::PuzzleChoice>& puzzle) {
    listenForTermination();
    // Full-window surfaces come and go with every window size; from the system's own pages they
    // go back to it when freed, instead of lingering in the heap after a resize to 4K and back.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    // Loading the font configuration takes as long as setting up the renderer; both at once.
    std::thread fontWarmUp(ui::drawWarmUpFonts);
    const char* failed = nullptr;
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER) != 0) {
        failed = "SDL_Init";
    } else if (launch::reportMissingDisplay()) {
        fontWarmUp.join();
        return false;
    } else {
        store::ensureDataDirs();
        crash::install();
        L.game = ui::Game::instance();
        screens::install(*L.game);
        L.settings = &ui::Game::settings();
        launch::applyWindowModeOptions(argc, argv, *L.settings);
        i18n::setLanguage(L.settings->language);
        ui::setDesktopReducesMotion(desktop::animationsEnabled() == std::optional<bool>(false));
        if (auto first = launch::screenOverride()) L.game->resetTo(*first);
        // --puzzle and --daily open the board over the menu, so Escape leads there.
        if (puzzle) {
            ui::GameState menu;
            menu.kind = ui::ScreenKind::Menu;
            L.game->resetTo(menu);
            ui::GameState board;
            board.kind = ui::ScreenKind::Playing;
            board.code = puzzle::encode(puzzle->id);
            board.date = puzzle->date;
            L.game->push(board);
        }
        L.win = openWindow(*L.settings);
        if (!L.win) failed = "SDL_CreateWindow";
    }
    if (L.win) {
        L.ren = ui::gpuCreateRenderer(L.win, ui::RendererChoice::Any, true);
        if (!L.ren) failed = "SDL_CreateRenderer";
    }
    // The fonts are loaded meanwhile; the first frame's text must not load them again.
    fontWarmUp.join();
    if (failed) {
        std::fprintf(stderr, "%s: %s\n", failed, SDL_GetError());
        return false;
    }
    launch::printVideoLine(L.ren);
    ui::gpuInit(L.ren);
    L.lastT = launch::nowSeconds();
    L.stats.since = L.lastT;
    L.wasFullscreen = L.settings->fullscreen;
    return true;
}

// Sound starts once the first picture is up: opening the device and fetching the sounds would
// otherwise delay it; effects asked for meanwhile are skipped.
void startSound(const store::Settings& s) {
    audio::init();
    audio::setEnabled(s.soundOn);
    audio::setMusicVolume(s.musicVolume);
    audio::setSfxVolume(s.sfxVolume);
    if (s.soundOn) audio::startMusic();
}

// ---- Event pump ----

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
    const bool inSpecialState = (SDL_GetWindowFlags(win) & special) != 0;
    return ui::noteWindowChange(st, change, ev.data1, ev.data2, inSpecialState);
}

// F11 and Ctrl+Q belong to the whole game; every other key goes to the screen.
void onKey(Loop& L, const SDL_KeyboardEvent& key) {
    if (key.keysym.sym == SDLK_F11) {
        L.settings->fullscreen = !L.settings->fullscreen;
        L.game->persistSettings();
    } else if (key.keysym.sym == SDLK_q && (key.keysym.mod & KMOD_CTRL)) {
        L.running = false;
    } else {
        L.ctx.in.keys.push_back(key.keysym.sym);
        // Ctrl+C and Ctrl+V typed quickly are released within the same frame: the modifier
        // counts as held when it came with a key, not only when it is still down at the end.
        if (key.keysym.mod & KMOD_CTRL) L.ctx.in.ctrl = true;
    }
}

void onEvent(Loop& L, const SDL_Event& ev) {
    ui::Input& in = L.ctx.in;
    switch (ev.type) {
        case SDL_QUIT:
            L.running = false;
            break;
        case SDL_KEYDOWN:
            onKey(L, ev.key);
            break;
        case SDL_TEXTINPUT:
            in.text += ev.text.text;
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (ev.button.button == SDL_BUTTON_LEFT) in.pressed = true;
            if (ev.button.button == SDL_BUTTON_RIGHT) in.rightPressed = true;
            break;
        case SDL_MOUSEBUTTONUP:
            if (ev.button.button == SDL_BUTTON_LEFT) in.released = true;
            break;
        case SDL_MOUSEWHEEL:
            in.wheel += ev.wheel.y;
            break;
        case SDL_WINDOWEVENT:
            // What the window showed may be gone: the next frame is composed and shown whole.
            if (ev.window.event == SDL_WINDOWEVENT_EXPOSED ||
                ev.window.event == SDL_WINDOWEVENT_SHOWN ||
                ev.window.event == SDL_WINDOWEVENT_RESTORED)
                ui::gpuInvalidateScene();
            if (trackGeometry(ev.window, L.win, *L.settings)) L.geometryDirty = true;
            break;
        case SDL_RENDER_TARGETS_RESET:
            ui::gpuTargetsLost();
            break;
        default:
            // On the board Start opens the menu; the stack's top is the screen this frame runs.
            controller::handleEvent(ev, in, L.game->top().kind == ui::ScreenKind::Playing,
                                    SDL_GetTicks() / 1000.0);
            break;
    }
}

// A still picture needs no frames: sleep until an event comes or the next frame is due.
void waitWhileStill(const Loop& L) {
    if (!L.still) return;
    const double now = launch::nowSeconds();
    double left = kStillSleepSeconds;
    if (L.ctx.wakeAt >= 0) left = std::min(left, L.ctx.wakeAt - now);
    if (L.geometryDirty) left = std::min(left, L.lastGeometrySave + 2.01 - now);
    const double repeat = controller::nextRepeatAt();  // on SDL's clock
    if (repeat >= 0) left = std::min(left, repeat - SDL_GetTicks() / 1000.0);
    if (left > 0) SDL_WaitEventTimeout(nullptr, static_cast<int>(left * 1000) + 1);
}

// Gathers the frame's input and applies a full-screen toggle asked for.
void pumpEvents(Loop& L) {
    waitWhileStill(L);
    L.ctx.in = ui::Input{};
    L.ctx.clickUsed = false;
    L.ctx.wakeAt = -1;
    SDL_Event ev;
    while (SDL_PollEvent(&ev))
        onEvent(L, ev);
    controller::tick(L.ctx.in, SDL_GetTicks() / 1000.0);
    if (L.settings->fullscreen != L.wasFullscreen) {
        SDL_SetWindowFullscreen(L.win, L.settings->fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        L.wasFullscreen = L.settings->fullscreen;
    }
    ui::Input& in = L.ctx.in;
    int mx = 0, my = 0;
    const Uint32 buttons = SDL_GetMouseState(&mx, &my);
    in.mouseX = mx;
    in.mouseY = my;
    in.mouseDown = (buttons & SDL_BUTTON_LMASK) != 0;
    const SDL_Keymod mod = SDL_GetModState();
    in.ctrl = in.ctrl || (mod & KMOD_CTRL) != 0;
    in.shift = (mod & KMOD_SHIFT) != 0;
}

// ---- Frame ----

// Nobody sees a hidden or minimised window, or one with nothing to draw into: draw nothing and
// sleep until something happens, waking now and then to hear a termination request.
bool waitWhileUnseen(Loop& L, int* pxW, int* pxH) {
    if (SDL_GetWindowFlags(L.win) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) {
        SDL_WaitEventTimeout(nullptr, 250);
        L.lastT = launch::nowSeconds();
        return true;
    }
    SDL_GetRendererOutputSize(L.ren, pxW, pxH);
    if (*pxW > 0 && *pxH > 0) return false;
    SDL_Delay(16);
    return true;
}

// Frames count when they are shown; a second of still frames prints a line of none.
void reportStats(Loop& L, bool shown, double drawTime, double presentTime, double now, int pxW,
                 int pxH) {
    FrameStats& s = L.stats;
    if (!s.on) return;
    if (shown) {
        ++s.frames;
        s.draw += drawTime;
        s.present += presentTime;
    }
    if (now - s.since < 1.0) return;
    const int n = std::max(s.frames, 1);
    // The cache size lets a long run show that the texture cache stays bounded.
    std::fprintf(stderr,
                 "[stats] %3d fps   CPU %5.1f ms   GPU %5.1f ms   %d Kopien  %dx%d  "
                 "%d Texturen %.0f MB%s\n",
                 s.frames, 1000 * s.draw / n, 1000 * s.present / n, ui::gpuDrawCalls(), pxW, pxH,
                 ui::gpuCacheSize(), ui::gpuCacheBytes() / 1048576.0, ui::profReport().c_str());
    s.frames = 0;
    s.draw = s.present = 0;
    s.since = now;
}

// Fits the frame layer and the context to the window's present size and time.
void prepareFrame(Loop& L, int pxW, int pxH) {
    int winW = 0, winH = 0;
    SDL_GetWindowSize(L.win, &winW, &winH);
    const double scale = winW > 0 ? static_cast<double>(pxW) / winW : 1.0;
    if (pxW != L.layer.w || pxH != L.layer.h) L.resizedFrames = 0;
    ui::frameLayerEnsure(L.layer, pxW, pxH);
    // Once the textures of the sizes left behind are dropped, their memory is handed back.
    if (L.resizedFrames >= 0 && ++L.resizedFrames > kTrimAfterFrames) {
        malloc_trim(0);
        L.resizedFrames = -1;
    }
    ui::Ctx& c = L.ctx;
    c.cr = ui::frameLayerBegin(L.layer);
    cairo_scale(c.cr, scale, scale);
    c.w = pxW / scale;
    c.h = pxH / scale;
    const double t = launch::nowSeconds();
    c.t = t;
    c.dt = std::min(t - L.lastT, 0.1);
    L.lastT = t;
    ui::gpuSetScale(scale);
    ui::gpuSetWindowSize(pxW, pxH);
}

// One frame: the screen draws into the frame layer and the renderer, which is presented.
void frame(Loop& L, int pxW, int pxH) {
    prepareFrame(L, pxW, pxH);
    ui::Ctx& c = L.ctx;
    const double t = c.t;
    ui::gpuBeginFrame();
    ui::gpuBeginScene(0x000000);
    L.game->update(c);
    cairo_destroy(c.cr);
    c.cr = nullptr;
    const double drawEnd = launch::nowSeconds();
    ui::frameLayerCompose(L.layer);
    const bool changed = ui::gpuEndScene();
    if (changed) SDL_RenderPresent(L.ren);
    L.still = !changed;
    const double presentEnd = launch::nowSeconds();
    if (!L.firstShown) {
        if (L.stats.on)
            std::fprintf(stderr, "[start] erstes Bild nach %.0f ms\n", launch::msSinceExec());
        L.firstShown = true;
        startSound(*L.settings);
    }
    // Without a display that paces presenting (software rendering, virtual servers), frames
    // would follow each other as fast as the processor allows; 60 a second are all we show.
    const double frameLeft = kFrameSeconds - (presentEnd - t);
    if (changed && frameLeft > 0.001) SDL_Delay(static_cast<Uint32>(frameLeft * 1000));
    reportStats(L, changed, drawEnd - t, presentEnd - drawEnd, presentEnd, pxW, pxH);
    if (L.geometryDirty && t - L.lastGeometrySave > 2.0) {
        L.game->persistSettings();
        L.geometryDirty = false;
        L.lastGeometrySave = t;
    }
}

// ---- Shutdown ----

void shutDown(Loop& L) {
    // The screens go first, while everything they may touch on leaving still runs.
    L.game->shutdown();
    hints::shutdown();
    maker::shutdown();
    L.game->persistSettings();
    ui::gpuShutdown();
    ui::drawShutdown();
    audio::shutdown();
    ui::frameLayerRelease(L.layer);
    controller::closeAll();
    SDL_DestroyRenderer(L.ren);
    SDL_DestroyWindow(L.win);
    SDL_Quit();
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = launch::handleInfoOptions(argc, argv)) return *status;
    bool badPuzzle = false;
    const std::optional<launch::PuzzleChoice> puzzle = launch::puzzleOption(argc, argv, &badPuzzle);
    if (badPuzzle) return 2;
    Loop loop;
    if (!startUp(loop, argc, argv, puzzle)) return 1;
    while (loop.running && !g_terminate) {
        pumpEvents(loop);
        if (!loop.running || g_terminate) break;
        int pxW = 0, pxH = 0;
        if (waitWhileUnseen(loop, &pxW, &pxH)) continue;
        frame(loop, pxW, pxH);
        if (loop.ctx.quitRequested) loop.running = false;
    }
    shutDown(loop);
    return 0;
}
