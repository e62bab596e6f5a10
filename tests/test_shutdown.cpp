// Ending the game: the screen stack is torn down before the modules, from every screen, and a
// start screen asked for before the first frame is the one that frame shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/storage.h"
#include "i18n/i18n.h"
#include "platform/audio.h"
#include "screen_driver.h"
#include "screens/common.h"
#include "screens/settings.h"
#include "test_support.h"
#include "ui/draw.h"
#include "ui/gpu.h"

using namespace testsupport;

namespace {

constexpr char kExitVar[] = "VANTREL_EXIT_FROM";
constexpr int kKinds = 14;

// The child's whole life: one screen on show, then the entry point's way out, then exit with
// static destruction. A screen left to the end of the process, or one that persists through
// state already gone, shows up in the sanitizer build as a report and a failed status.
[[noreturn]] void exitFrom(int kind) {
    i18n::setLanguage("en");
    store::ensureDataDirs();
    ScreenDriver d(800, 600);
    ui::GameState s;
    s.kind = static_cast<ui::ScreenKind>(kind);
    s.moves = 3;
    s.elapsedMs = 42000;
    s.forcePerfect = 1;
    s.runId = 12345;
    d.open(s);
    d.idle(0.5);
    if (s.kind == ui::ScreenKind::Settings) {
        // A drag still held: its value is stored only when the screen ends.
        const ui::Rect r = screens::settingsLayout(d.w(), d.h()).musicSlider;
        const double x = r.x + 11 + 0.8 * (r.w - 22);
        d.frame([&](ui::Input& in) {
            in.mouseX = x;
            in.mouseY = r.cy();
            in.pressed = in.mouseDown = true;
        });
        d.frame([&](ui::Input& in) {
            in.mouseX = x;
            in.mouseY = r.cy();
            in.mouseDown = true;
        });
    }
    ui::Game::instance()->shutdown();
    bool ok = ui::Game::instance()->depth() == 0;
    // The held drag's value is stored as the screen ends, not later by anyone else.
    if (s.kind == ui::ScreenKind::Settings)
        ok = ok && std::abs(store::loadSettings().musicVolume - 0.8) < 0.02;
    ui::Game::instance()->persistSettings();
    ui::gpuShutdown();
    ui::drawShutdown();
    audio::shutdown();
    std::fflush(stdout);
    std::error_code ec;
    std::filesystem::remove_all(tempRoot(), ec);  // this copy's own data home
    std::exit(ok ? 0 : 3);
}

class ExitScenario : public ::testing::Environment {
  public:
    void SetUp() override { exitFrom(std::atoi(std::getenv(kExitVar))); }
};

[[maybe_unused]] const bool kExitRegistered =
    std::getenv(kExitVar) != nullptr &&
    ::testing::AddGlobalTestEnvironment(new ExitScenario) != nullptr;

}  // namespace

TEST(Shutdown, EveryScreenEndsBeforeTheModulesAndNothingRunsAfterThem) {
    for (int kind = 0; kind < kKinds; ++kind) {
        SCOPED_TRACE(kind);
        wipeDataDir();
        const ProcessResult r = runProcess(
            {selfPath(), "--gtest_filter=Shutdown.*"},
            {std::string(kExitVar) + "=" + std::to_string(kind), "ASAN_OPTIONS=detect_leaks=0"},
            120);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err.find("AddressSanitizer"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
    }
}

TEST(Shutdown, TheStartScreenSurvivesAClickInTheFirstFrameAndAnEmptyStackDrawsTheBeach) {
    ScreenDriver d(640, 480);
    d.open(ui::ScreenKind::Menu);
    ui::Game* game = ui::Game::instance();
    game->shutdown();
    EXPECT_EQ(game->depth(), 0);
    EXPECT_EQ(game->top().kind, ui::ScreenKind::Splash) << "a default record, not a dangling one";
    // With no record the wallpaper still draws, on the beach of the screens without a level.
    d.measure([](ui::Ctx& c) { screens::drawWallpaper(c); });
    const harness::Image beach = d.snapshot();
    EXPECT_GT(harness::brightness(beach.at(320, 240)), 200);

    // As the entry point asks for "VANTREL_SCREEN=solved": filed before any screen exists.
    ui::GameState solved;
    solved.kind = ui::ScreenKind::Solved;
    solved.moves = 3;
    solved.elapsedMs = 42000;
    game->resetTo(solved);
    d.frame([](ui::Input& in) {
        in.mouseX = 5;  // where no control of the solved screen lies
        in.mouseY = 475;
        in.pressed = in.mouseDown = true;
    });
    EXPECT_EQ(game->top().kind, ui::ScreenKind::Solved);
    EXPECT_EQ(game->top().moves, 3);
    game->shutdown();
}
