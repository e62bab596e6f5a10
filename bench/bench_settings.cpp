// Settings write figures: what one store::saveSettings costs (write, fsync, rename, directory
// fsync), against the slack of a 60 Hz frame, and the settings screen's frame time while a
// volume slider is dragged. Prints figures only; nothing here fails on a slow machine.
//
// Usage: bench_settings [writes] [data-dir]. Without a data directory the writes go to a fresh
// one under /tmp; pass a directory on the disk the game really uses to see that disk's figures.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "ui/app.h"

namespace {

using namespace benchsupport;

constexpr int kColumn = 34;  // width of the first column

}  // namespace

int main(int argc, char** argv) {
    const int writes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    std::string base;
    if (argc > 2) {
        base = argv[2];
    } else {
        char tmpl[] = "/tmp/bench_settings_XXXXXX";
        const char* made = mkdtemp(tmpl);
        if (!made) {
            std::perror("mkdtemp");
            return 1;
        }
        base = made;
    }
    setenv("XDG_DATA_HOME", base.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    store::ensureDataDirs();
    std::printf("data directory: %s\n", store::dataDir().c_str());

    printHeading(kColumn);
    store::Settings s;
    std::vector<double> save;
    for (int i = 0; i < writes; ++i) {
        s.musicVolume = (i % 100) / 100.0;
        const auto t0 = Clock::now();
        store::saveSettings(s);
        save.push_back(microsSince(t0));
    }
    printRow(kColumn, "store::saveSettings", summarise(save));

    // A drag as the screen sees it: one frame per step, pointer moving along the music slider.
    harness::Options o;
    o.w = 1280;
    o.h = 720;
    harness::Canvas canvas(o);
    if (!canvas.ok()) {
        std::printf("no offscreen canvas; frame figures skipped\n");
        return 0;
    }
    i18n::setLanguage("en");
    ui::Game* game = ui::Game::instance();
    ui::GameState st;
    st.kind = ui::ScreenKind::Settings;
    game->resetTo(st);
    double t = 1;
    auto frame = [&](double x, double y, bool pressed, bool down) {
        t += 1.0 / 60;
        canvas.frame(t, [&](ui::Ctx& c) {
            c.in.mouseX = x;
            c.in.mouseY = y;
            c.in.pressed = pressed;
            c.in.mouseDown = down;
            c.in.released = !down && !pressed;
            game->update(c);
        });
    };
    for (int i = 0; i < 20; ++i)
        frame(-1, -1, false, false);  // warm the texture cache

    // The music slider of a 1280-wide window: panel 520 wide, content from x 402, row at y 124.
    const double x0 = (1280 - 520) / 2.0 + 22 + 11, y = 124 + 15, span = 520 - 44 - 22;
    std::vector<double> still, drag;
    for (int i = 0; i < writes; ++i) {
        const auto t0 = Clock::now();
        frame(-1, -1, false, false);
        still.push_back(microsSince(t0));
    }
    // Writes are counted by the stored volume changing between frames, outside the timing.
    int stores = 0;
    double storedVolume = store::loadSettings().musicVolume;
    auto countStore = [&] {
        const double v = store::loadSettings().musicVolume;
        if (v != storedVolume) ++stores;
        storedVolume = v;
    };
    frame(x0, y, true, true);
    countStore();
    for (int i = 0; i < writes; ++i) {
        const double p = (i % 200) / 199.0;
        const double x = x0 + span * (i / 200 % 2 == 0 ? p : 1 - p);
        const auto t0 = Clock::now();
        frame(x, y, false, true);
        drag.push_back(microsSince(t0));
        countStore();
    }
    frame(x0 + span / 3, y, false, false);
    countStore();
    printRow(kColumn, "settings frame, pointer still", summarise(still));
    printRow(kColumn, "settings frame, dragging a slider", summarise(drag));
    std::printf("a drag of %d frames (%.1f s at 60 Hz) stored the settings %d times\n", writes + 2,
                (writes + 2) / 60.0, stores);
    std::printf("a 60 Hz frame lasts 16667 microseconds\n");
    return 0;
}
