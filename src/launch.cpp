// What the entry point asks of the process before the first frame.
#include "launch.h"

#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/daily.h"
#include "core/json.h"
#include "core/puzzle_code.h"

namespace launch {

namespace {

constexpr const char* kTitle = "Vantrel's Marbles";
constexpr const char* kVersion = VANTREL_VERSION;
constexpr int kBuild = VANTREL_BUILD;

}  // namespace

namespace {

// "daily", "daily:YYYY-MM-DD" or a code: the puzzle it names and the daily date, if any.
std::optional<PuzzleChoice> choosePuzzle(const std::string& what) {
    PuzzleChoice c;
    if (what == "daily" || what.rfind("daily:", 0) == 0) {
        const std::optional<puzzle::Date> d =
            what == "daily" ? puzzle::Date(store::localDate(store::nowMs()))
                            : puzzle::parseIsoDate(std::string_view(what).substr(6));
        if (!d) return std::nullopt;
        c.id = puzzle::dailyId(*d);
        c.date = puzzle::isoDate(*d);
        return c;
    }
    const std::optional<puzzle::Id> id = puzzle::decode(what);
    if (!id || !puzzle::supported(*id)) return std::nullopt;
    c.id = *id;
    return c;
}

void printPuzzle(const PuzzleChoice& c) {
    json::Object o = puzzle::describe(puzzle::generate(c.id), true);
    o["code"] = puzzle::encode(c.id);
    if (!c.date.empty()) o["date"] = c.date;
    std::printf("%s\n", json::Value(std::move(o)).dump().c_str());
}

// The value after an option, or nothing when it is the last argument.
const char* valueAfter(int argc, char** argv, int i) {
    return i + 1 < argc ? argv[i + 1] : nullptr;
}

}  // namespace

std::optional<int> handleInfoOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s (Build %d)\n", kTitle, kVersion, kBuild);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "%s %s\n  --version    Version ausgeben\n  --fullscreen im Vollbild starten\n"
                "  --windowed   im Fenster starten\n  --puzzle CODE  dieses Rätsel öffnen\n"
                "  --daily      das Rätsel des Tages öffnen\n"
                "  --print-puzzle CODE|daily|daily:JJJJ-MM-TT  Rätsel als JSON ausgeben\n",
                kTitle, kVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--print-puzzle") == 0) {
            const char* what = valueAfter(argc, argv, i);
            const std::optional<PuzzleChoice> c = what ? choosePuzzle(what) : std::nullopt;
            if (!c) {
                std::fprintf(stderr, "[puzzle] kein gültiger Rätselcode: %s\n", what ? what : "");
                return 2;
            }
            printPuzzle(*c);
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<PuzzleChoice> puzzleOption(int argc, char** argv, bool* bad) {
    *bad = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--daily") == 0) return choosePuzzle("daily");
        if (std::strcmp(argv[i], "--puzzle") != 0) continue;
        const char* what = valueAfter(argc, argv, i);
        const std::optional<PuzzleChoice> c = what ? choosePuzzle(what) : std::nullopt;
        if (!c || (what && std::string_view(what).rfind("daily", 0) == 0)) {
            std::fprintf(stderr, "[puzzle] kein gültiger Rätselcode: %s\n", what ? what : "");
            *bad = true;
            return std::nullopt;
        }
        return c;
    }
    return std::nullopt;
}

void applyWindowModeOptions(int argc, char** argv, store::Settings& settings) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fullscreen") == 0) settings.fullscreen = true;
        if (std::strcmp(argv[i], "--windowed") == 0) settings.fullscreen = false;
    }
}

std::optional<ui::GameState> screenOverride() {
    const char* v = std::getenv("VANTREL_SCREEN");
    if (!v) return std::nullopt;
    const std::string which = v;
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
        return std::nullopt;
    }
    return s;
}

ui::WindowPlacement windowPlacement(const store::Settings& st) {
    SDL_Rect b{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(0, &b) != 0 || b.w <= 0) {
        b = SDL_Rect{0, 0, 0, 0};
        if (SDL_GetDisplayBounds(0, &b) != 0) b = SDL_Rect{0, 0, 0, 0};
    }
    return ui::placeWindow(st, ui::IntRect{b.x, b.y, b.w, b.h});
}

bool reportMissingDisplay() {
    const char* named = std::getenv("SDL_VIDEODRIVER");
    if (named && *named) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0))
        return false;
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr,
                 "[video] kein Bildschirm zu öffnen (DISPLAY%s%s): das Spiel braucht eine "
                 "grafische Sitzung\n",
                 display && *display ? "=" : " nicht gesetzt", display && *display ? display : "");
    return true;
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

double nowSeconds() {
    using clock = std::chrono::steady_clock;
    static const clock::time_point start = clock::now();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(clock::now() - start).count() / 1e9;
}

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

}  // namespace launch
