// The screenshot tour: every screen of the game, run through the real screen stack on an
// offscreen canvas with a fixed clock and scripted input, written as PNG files.
//
// Usage: vantrel-tour OUTPUT-DIR [--only NAME-PREFIX] [--software]
// The data directory is a fresh temporary one per picture, seeded with a played-through
// progress, so the pictures never depend on (or touch) a player's own files.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/levels.h"
#include "core/state.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screens/menu.h"
#include "screens/playing.h"
#include "screens/settings.h"
#include "ui/app.h"
#include "ui/draw.h"
#include "ui/title.h"

namespace fs = std::filesystem;
using ui::ScreenKind;

namespace {

constexpr double kDt = 1.0 / 30;
constexpr int64_t kTourDay = 1796083200000;  // 2026-12-01, so dates look the same every run

std::string gDataRoot;

// ---- Data the pictures show ----

mar::GameState solvedPosition(int level) {
    mar::GameState s = mar::loadLevel(level);
    for (const mar::Move& m : mar::levelSolution(level))
        s = mar::applyMoveOne(s, m);
    return s;
}

// A player who has cleared the first 22 levels with mixed stars and left level 23 half done.
void seedProgress() {
    fs::remove_all(gDataRoot);
    fs::create_directories(gDataRoot);
    store::ensureDataDirs();
    const int cleared = 22;
    for (int level = 0; level < cleared; ++level) {
        const int optimum = mar::levelInfo(level).solutionLength;
        const int extra = level % 3 == 0 ? 0 : (level % 3 == 1 ? (optimum + 1) / 2 : optimum);
        store::SolveEntry e;
        e.id = "tour-" + std::to_string(level);
        e.level = level;
        e.seed = 1000u + static_cast<uint32_t>(level);
        e.moves = optimum + extra;
        e.elapsedMs = 15000 + 4100LL * level;
        e.solvedAt = kTourDay + 3600000LL * level;
        const mar::GameState done = solvedPosition(level);
        e.finalTubes = done.tubes;
        e.capacity = done.capacity;
        e.stars = mar::computeStars(e.moves, optimum);
        store::recordSolve(e);
        store::recordBest(level, {e.stars, e.moves, e.elapsedMs});
    }
    store::setUnlockedLevel(cleared + 1);

    store::SavedGame g;
    g.valid = true;
    g.level = cleared;
    g.seed = 0;
    g.state = mar::loadLevel(cleared);
    const std::vector<mar::Move> sol = mar::levelSolution(cleared);
    for (size_t i = 0; i < 3 && i < sol.size(); ++i) {
        g.state = mar::applyMoveOne(g.state, sol[i]);
        g.history.push_back(sol[i]);
    }
    g.moveCount = static_cast<int>(g.history.size());
    g.elapsedMs = 21000;
    g.savedAt = kTourDay;
    store::saveGame(g);
}

void emptyProgress() {
    fs::remove_all(gDataRoot);
    fs::create_directories(gDataRoot);
    store::ensureDataDirs();
}

// ---- Driving the screen stack ----

class Driver {
  public:
    Driver(int w, int h, harness::RendererKind kind) : canvas_(opts(w, h, kind)), w_(w), h_(h) {}
    bool ok() const { return canvas_.ok(); }
    double w() const { return w_; }
    double h() const { return h_; }
    double t() const { return t_; }

    void open(const ui::GameState& s) {
        ui::Game::instance()->resetTo(s);
        frame();
    }
    void frame(double x = -1, double y = -1, int key = 0, double wheel = 0, double step = kDt) {
        t_ += step;
        canvas_.frame(t_, [&](ui::Ctx& c) {
            c.in.mouseX = x < 0 ? -100 : x;
            c.in.mouseY = y < 0 ? -100 : y;
            c.in.pressed = x >= 0;
            c.in.wheel = wheel;
            if (key) c.in.keys.push_back(key);
            ui::Game::instance()->update(c);
        });
    }
    void click(double x, double y) {
        frame(x, y);
        frame();
    }
    void wait(double seconds) {
        for (double s = 0; s < seconds - 1e-9; s += kDt)
            frame();
    }
    // Ordinary frames up to the time t, the last one shorter where t falls between two.
    void waitUntil(double t) {
        while (t_ + kDt <= t + 1e-9)
            frame();
        if (t - t_ > 1e-9) frame(-1, -1, 0, 0, t - t_);
    }
    void wheelAt(double x, double y, double clicks, int frames) {
        for (int i = 0; i < frames; ++i) {
            t_ += kDt;
            canvas_.frame(t_, [&](ui::Ctx& c) {
                c.in.mouseX = x;
                c.in.mouseY = y;
                c.in.wheel = clicks;
                ui::Game::instance()->update(c);
            });
        }
    }
    // The centre of tube i of the board the playing screen shows for this level.
    ui::Rect tube(int level, int i) const {
        const mar::GameState s = mar::loadLevel(level);
        screens::BoardLayout b;
        screens::layoutBoard(b, w_, h_, s.tubeCount(), s.capacity, false);
        return b.tubes[i].r;
    }
    bool save(const std::string& path) const { return canvas_.snapshot().writePng(path); }

  private:
    static harness::Options opts(int w, int h, harness::RendererKind kind) {
        harness::Options o;
        o.w = w;
        o.h = h;
        o.renderer = kind;
        return o;
    }
    harness::Canvas canvas_;
    double w_, h_;
    double t_ = 100;
};

ui::GameState record(ScreenKind kind, int level = 0) {
    ui::GameState s;
    s.kind = kind;
    s.level = level;
    return s;
}

// ---- The pictures ----

struct Shot {
    std::string name;
    bool seeded = true;  // false: a fresh install
    std::function<void(Driver&)> play;
};

void openAndWait(Driver& d, const ui::GameState& s, double seconds) {
    d.open(s);
    d.wait(seconds);
}

// The title's letters turn one after another in a wave that never stops; a picture taken at an
// arbitrary moment shows a word half turned over. Waits for the moment within the next cycle
// at which the most turned letter is turned least, so the name reads in the shot.
void waitForTitleAtRest(Driver& d) {
    const std::vector<std::string> glyphs = ui::splitUtf8(screens::kGameTitle);
    auto worstTurn = [&](double t) {
        double worst = 0;
        for (size_t i = 0; i < glyphs.size(); ++i) {
            if (glyphs[i] == " ") continue;
            const double a = std::fmod(ui::titleGlyphMotion(static_cast<int>(i), t).angleDeg, 360);
            worst = std::max(worst, std::min(a, 360 - a));
        }
        return worst;
    };
    constexpr double kCycle = 3.2, kStep = 0.001;
    double best = 0, bestTurn = 1e9;
    for (double dt = 0; dt < kCycle; dt += kStep) {
        const double turn = worstTurn(d.t() + dt);
        if (turn < bestTurn) {
            bestTurn = turn;
            best = dt;
        }
    }
    d.waitUntil(d.t() + best);
}

void playFirstMoves(Driver& d, int level, int moves) {
    const std::vector<mar::Move> sol = mar::levelSolution(level);
    for (int i = 0; i < moves && i < static_cast<int>(sol.size()); ++i) {
        d.click(d.tube(level, sol[i].from).cx(), d.tube(level, sol[i].from).cy());
        d.click(d.tube(level, sol[i].to).cx(), d.tube(level, sol[i].to).cy());
        d.wait(0.7);
    }
}

// The hint worker answers in real time, while the tour's clock is its own: a few real
// milliseconds per frame give it the time it takes.
void waitForTheWorker(Driver& d) {
    for (int i = 0; i < 60; ++i) {
        SDL_Delay(5);
        d.frame();
    }
}

ui::GameState solvedRecord(int stars) {
    ui::GameState s = record(ScreenKind::Solved, 0);
    const int optimum = mar::levelInfo(0).solutionLength;
    s.moves = stars == 3 ? optimum : (stars == 2 ? optimum + 1 : 2 * optimum + 1);
    s.elapsedMs = 42000;
    return s;
}

std::vector<Shot> allShots() {
    std::vector<Shot> v;
    v.push_back({"splash", true, [](Driver& d) {
                     openAndWait(d, record(ScreenKind::Splash), 0.3);
                     waitForTitleAtRest(d);
                 }});
    v.push_back({"menu", true, [](Driver& d) {
                     openAndWait(d, record(ScreenKind::Menu), 1.5);
                     waitForTitleAtRest(d);
                 }});
    v.push_back({"menu-fresh", false, [](Driver& d) {
                     openAndWait(d, record(ScreenKind::Menu), 1.5);
                     waitForTitleAtRest(d);
                 }});
    v.push_back({"level-select", true,
                 [](Driver& d) { openAndWait(d, record(ScreenKind::LevelSelect), 1.0); }});
    v.push_back({"level-select-fresh", false,
                 [](Driver& d) { openAndWait(d, record(ScreenKind::LevelSelect), 1.0); }});
    for (int level : {0, 49, 104}) {
        v.push_back({"playing-level" + std::to_string(level + 1), true, [level](Driver& d) {
                         openAndWait(d, record(ScreenKind::Playing, level), 1.0);
                     }});
    }
    v.push_back({"playing-flight", true, [](Driver& d) {
                     const int level = 49;
                     openAndWait(d, record(ScreenKind::Playing, level), 0.5);
                     playFirstMoves(d, level, 2);
                     const mar::Move m = mar::levelSolution(level)[2];
                     d.click(d.tube(level, m.from).cx(), d.tube(level, m.from).cy());
                     d.frame(d.tube(level, m.to).cx(), d.tube(level, m.to).cy());
                     d.wait(0.15);
                 }});
    // The tube cursor, two tubes along the first row, on a board of the third world.
    v.push_back({"playing-focus", true, [](Driver& d) {
                     openAndWait(d, record(ScreenKind::Playing, 49), 0.5);
                     for (int key : {SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT}) {
                         d.frame(-1, -1, key);
                         d.frame();
                     }
                 }});
    // A hint two moves into level 50, and the notice on the first board with a trap.
    v.push_back({"playing-hint", true, [](Driver& d) {
                     const int level = 49;
                     openAndWait(d, record(ScreenKind::Playing, level), 0.5);
                     playFirstMoves(d, level, 2);
                     d.frame(-1, -1, SDLK_h);
                     waitForTheWorker(d);
                 }});
    v.push_back({"playing-no-way", true, [](Driver& d) {
                     int level = 0;
                     std::vector<mar::Move> trap;
                     if (!harness::findTrap(30, 3, &level, &trap)) return;
                     openAndWait(d, record(ScreenKind::Playing, level), 0.5);
                     for (const mar::Move& m : trap) {
                         d.click(d.tube(level, m.from).cx(), d.tube(level, m.from).cy());
                         d.click(d.tube(level, m.to).cx(), d.tube(level, m.to).cy());
                         d.wait(0.7);
                     }
                     waitForTheWorker(d);
                 }});
    v.push_back({"playing-veil", true, [](Driver& d) {
                     openAndWait(d, record(ScreenKind::Playing, 0), 0.5);
                     playFirstMoves(d, 0, 99);
                     d.wait(5.3);
                 }});
    for (int stars : {1, 2, 3}) {
        v.push_back({"solved-" + std::to_string(stars) + "star", true,
                     [stars](Driver& d) { openAndWait(d, solvedRecord(stars), 3.0); }});
    }
    v.push_back(
        {"gallery", true, [](Driver& d) { openAndWait(d, record(ScreenKind::Gallery), 1.0); }});
    v.push_back({"gallery-empty", false,
                 [](Driver& d) { openAndWait(d, record(ScreenKind::Gallery), 1.0); }});
    v.push_back(
        {"settings", true, [](Driver& d) { openAndWait(d, record(ScreenKind::Settings), 1.0); }});
    v.push_back({"settings-language", true, [](Driver& d) {
                     openAndWait(d, record(ScreenKind::Settings), 0.5);
                     const ui::Rect box = screens::settingsLayout(d.w(), d.h()).languageBox;
                     d.click(box.cx(), box.cy());
                     d.wait(0.5);
                 }});
    v.push_back({"settings-reset", true, [](Driver& d) {
                     openAndWait(d, record(ScreenKind::Settings), 0.5);
                     const ui::Rect reset = screens::settingsLayout(d.w(), d.h()).reset;
                     d.click(reset.cx(), reset.cy());
                     d.wait(0.5);
                 }});
    v.push_back({"about", true, [](Driver& d) { openAndWait(d, record(ScreenKind::About), 1.0); }});
    v.push_back({"about-end", true, [](Driver& d) {
                     openAndWait(d, record(ScreenKind::About), 0.3);
                     d.wheelAt(d.w() / 2, d.h() / 2, -3, 40);
                     d.wait(1.0);
                 }});
    v.push_back(
        {"licenses", true, [](Driver& d) { openAndWait(d, record(ScreenKind::Licenses), 1.0); }});
    v.push_back({"daily", true, [](Driver& d) { openAndWait(d, record(ScreenKind::Daily), 1.0); }});
    v.push_back(
        {"endless", true, [](Driver& d) { openAndWait(d, record(ScreenKind::Endless), 1.0); }});
    v.push_back({"enter-code", true,
                 [](Driver& d) { openAndWait(d, record(ScreenKind::EnterCode), 1.0); }});
    v.push_back({"ending", true, [](Driver& d) {
                     ui::GameState s = record(ScreenKind::Ending);
                     s.forcePerfect = 1;
                     openAndWait(d, s, 3.0);
                 }});
    v.push_back({"ending-normal", true, [](Driver& d) {
                     ui::GameState s = record(ScreenKind::Ending);
                     s.forcePerfect = 0;
                     openAndWait(d, s, 3.0);
                 }});
    v.push_back({"attract", true, [](Driver& d) {
                     ui::GameState s = record(ScreenKind::Attract);
                     s.runId = 12345;
                     openAndWait(d, s, 4.0);
                 }});
    return v;
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = "tour";
    std::string only;
    auto kind = harness::RendererKind::Accelerated;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--software") == 0)
            kind = harness::RendererKind::Software;
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = argv[++i];
        else
            dir = argv[i];
    }
    std::error_code ec;
    fs::create_directories(dir, ec);

    // Never the player's own data: a private data directory for the whole tour.
    char tmpl[] = "/tmp/vantrel-tour-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::perror("mkdtemp");
        return 1;
    }
    gDataRoot = std::string(tmpl) + "/data";
    setenv("XDG_DATA_HOME", gDataRoot.c_str(), 1);

    struct Size {
        int w, h;
    };
    const Size sizes[] = {{1280, 720}, {1280, 800}, {800, 480}};
    const char* const extraLangs[] = {"de", "ja", "ar"};
    const char* const multilingual[] = {"menu",         "level-select",   "solved-3star",
                                        "playing-hint", "playing-no-way", "playing-focus"};
    // The screens with rows and lists that read from the right in Arabic and Hebrew.
    const char* const rtlLangs[] = {"ar", "he"};
    const char* const mirrored[] = {"settings", "settings-language", "licenses", "gallery"};

    int written = 0, failed = 0;
    for (const Shot& shot : allShots()) {
        std::vector<std::string> langs = {"en"};
        for (const char* m : multilingual)
            if (shot.name == m)
                langs.insert(langs.end(), std::begin(extraLangs), std::end(extraLangs));
        for (const char* m : mirrored)
            if (shot.name == m) langs.insert(langs.end(), std::begin(rtlLangs), std::end(rtlLangs));
        for (const std::string& lang : langs) {
            for (const Size& sz : sizes) {
                const std::string name = shot.name + "-" + lang + "-" + std::to_string(sz.w) + "x" +
                                         std::to_string(sz.h) + ".png";
                if (!only.empty() && !startsWith(name, only)) continue;
                if (shot.seeded)
                    seedProgress();
                else
                    emptyProgress();
                i18n::setLanguage(lang);
                Driver d(sz.w, sz.h, kind);
                if (!d.ok()) {
                    std::fprintf(stderr, "tour: no canvas for %s\n", name.c_str());
                    ++failed;
                    continue;
                }
                shot.play(d);
                if (d.save(dir + "/" + name)) {
                    ++written;
                } else {
                    std::fprintf(stderr, "tour: could not write %s\n", name.c_str());
                    ++failed;
                }
            }
        }
    }
    ui::drawShutdown();
    fs::remove_all(tmpl, ec);
    std::printf("tour: %d pictures in %s, %d failed\n", written, dir.c_str(), failed);
    return failed == 0 ? 0 : 1;
}
