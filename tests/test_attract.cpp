// The attract demo: its choice of levels, and how it ends without leaving a trace.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "core/levels.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "screen_driver.h"
#include "screens/attract.h"
#include "screens/common.h"
#include "test_support.h"
#include "ui/gpu.h"

using screens::attractRng;
using screens::pickAttractLevel;
using ui::ScreenKind;
using namespace testsupport;

namespace {

ui::GameState demo(uint32_t runId) {
    ui::GameState s;
    s.kind = ScreenKind::Attract;
    s.runId = runId;
    return s;
}

// Every file below the data directory with its size and modification time.
std::set<std::string> listing() {
    namespace fs = std::filesystem;
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dataDir())) {
        std::string line = e.path().string();
        if (e.is_regular_file())
            line += " " + std::to_string(e.file_size()) + " " +
                    std::to_string(e.last_write_time().time_since_epoch().count());
        out.insert(line);
    }
    return out;
}

}  // namespace

TEST(AttractLevels, UpperMiddleOfTheCatalogueAndNeverTheSameTwiceInARow) {
    const int total = mar::totalLevels();
    ASSERT_EQ(total, 105);
    for (uint32_t run : {0u, 12345u, 0xFFFFFFFFu}) {
        Rng a = attractRng(run), b = attractRng(run);
        std::set<int> seen;
        int last = -1;
        for (int i = 0; i < 400; ++i) {
            const int level = pickAttractLevel(a, total, last);
            EXPECT_EQ(level, pickAttractLevel(b, total, last)) << "same run, same sequence";
            EXPECT_GE(level, 49);
            EXPECT_LE(level, 99);
            EXPECT_NE(level, last);
            seen.insert(level);
            last = level;
        }
        EXPECT_EQ(seen.size(), 51u) << run;
    }
    // Run id 0 plays the sequence of run id 1.
    Rng zero = attractRng(0), one(1);
    EXPECT_EQ(zero.next(), one.next());

    // A repeat draw moves on to the next level of the range, wrapping from 99 to 49.
    std::set<int> repeats;
    for (uint32_t seed = 1; seed < 2000; ++seed) {
        Rng probe(seed), r(seed);
        const int drawn = 49 + probe.intN(51);
        EXPECT_EQ(pickAttractLevel(r, total, drawn), drawn == 99 ? 49 : drawn + 1);
        repeats.insert(drawn);
    }
    EXPECT_TRUE(repeats.count(99));

    // Small catalogues: the range shrinks to what exists; a single choice may repeat.
    Rng r(3);
    EXPECT_EQ(pickAttractLevel(r, 1, 0), 0);
    EXPECT_EQ(pickAttractLevel(r, 2, 1), 1);
    for (int i = 0, last = -1; i < 50; ++i) {
        const int level = pickAttractLevel(r, 60, last);
        EXPECT_TRUE(level >= 49 && level <= 59 && level != last) << level;
        last = level;
    }
}

class AttractScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
    }
};

TEST_F(AttractScreen, AnyInputButMouseMovementReturnsToTheMenu) {
    ScreenDriver loop(640, 400);
    ASSERT_TRUE(loop.ok());
    for (ScreenDriver::Script input :
         {ScreenDriver::Script([](ui::Input& in) { in.keys.push_back('a'); }),
          ScreenDriver::Script([](ui::Input& in) { in.pressed = in.mouseDown = true; }),
          ScreenDriver::Script([](ui::Input& in) { in.rightPressed = true; }),
          ScreenDriver::Script([](ui::Input& in) { in.wheel = 0.5; })}) {
        loop.open(demo(7));
        loop.idle(1);
        loop.frame([&](ui::Input& in) {
            in.mouseX = in.mouseY = 100;
            input(in);
        });
        EXPECT_EQ(topKind(), ScreenKind::Menu);
        EXPECT_EQ(ui::Game::instance()->depth(), 1);
    }
    loop.open(demo(7));
    for (int i = 0; i < 20; ++i)
        loop.frame([&](ui::Input& in) { in.mouseX = in.mouseY = 10.0 * i; });
    EXPECT_EQ(topKind(), ScreenKind::Attract);
}

TEST_F(AttractScreen, EndsByItselfAfterSixtySecondsAndWritesNothing) {
    ScreenDriver loop(640, 400);
    ASSERT_TRUE(loop.ok());
    store::setUnlockedLevel(3);
    const auto before = listing();
    loop.open(demo(12345));
    loop.frame();  // the demo's clock starts
    // Coarse steps: the clock runs on while the board, held to 0.1 s a frame, plays on slowly.
    loop.idle(59, 1);
    EXPECT_EQ(topKind(), ScreenKind::Attract);
    loop.idle(2, 1);
    EXPECT_EQ(topKind(), ScreenKind::Menu);
    EXPECT_EQ(listing(), before);
}

// Writes the pictures worth looking at when VANTREL_SHOTS names a directory.
TEST_F(AttractScreen, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    for (const char* lang : {"en", "ar"}) {
        i18n::setLanguage(lang);
        for (auto [w, h] : {std::pair{1280, 720}, std::pair{480, 800}}) {
            ScreenDriver loop(w, h);
            loop.open(demo(12345));
            loop.idle(4.5);  // a few moves in, with the badges at full strength
            loop.snapshot().writePng(std::string(dir) + "/attract_" + lang + "_" +
                                     std::to_string(w) + "x" + std::to_string(h) + ".png");
        }
    }
}

// Run 7 opens on flat level 49 (22 moves), short enough to be solved within a demo; flat
// level 52 follows, with larger tubes and other marbles.
TEST_F(AttractScreen, ASolvedBoardMakesWayForTheNextWithoutBeingRecorded) {
    ScreenDriver loop(480, 320);
    ASSERT_TRUE(loop.ok());
    Rng rng = attractRng(7);
    ASSERT_EQ(pickAttractLevel(rng, mar::totalLevels(), -1), 49);
    ASSERT_EQ(pickAttractLevel(rng, mar::totalLevels(), 49), 52);
    const auto before = listing();
    loop.open(demo(7));
    loop.idle(28.5);  // 22 moves of 1.2 s: solved, still settling
    const int painted = ui::gpuCacheSize();
    loop.idle(2.5);
    EXPECT_EQ(topKind(), ScreenKind::Attract);
    // The next board's tubes and marbles are artwork the first board never needed.
    EXPECT_GE(ui::gpuCacheSize() - painted, 8);
    EXPECT_TRUE(store::listSolves().empty());
    EXPECT_EQ(listing(), before);
}

TEST_F(AttractScreen, ADemoBoardStandsInTheWorldOfTheLevelItPlays) {
    ScreenDriver loop(480, 320);
    ASSERT_TRUE(loop.ok());
    ASSERT_NE(mar::levelInfo(49).tier, mar::levelInfo(0).tier);  // run 7 opens on level 49
    auto wallpaper = [&](int level) {
        ui::GameState s = demo(7);
        s.level = level;
        loop.measure([&](ui::Ctx& c) { screens::drawWallpaperFor(c, s); });
        return loop.snapshot();
    };
    const harness::Image own = wallpaper(49), first = wallpaper(0);
    loop.open(demo(7));
    loop.frame();
    const harness::Image shown = loop.snapshot();
    // The top edge, clear of tubes and badges.
    int likeOwn = 0, likeFirst = 0, samples = 0;
    for (int x = 4; x < 480; x += 8, ++samples) {
        likeOwn += near(shown.at(x, 3), own.at(x, 3) & 0xFFFFFF, 6);
        likeFirst += near(shown.at(x, 3), first.at(x, 3) & 0xFFFFFF, 6);
    }
    EXPECT_GE(likeOwn, samples * 9 / 10);
    EXPECT_LT(likeFirst, samples / 2);
}
