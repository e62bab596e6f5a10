// The splash and the main menu through the real game loop: timing, geometry and every button.
#include <gtest/gtest.h>

#include <SDL.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <string>

#include "core/daily.h"
#include "core/levels.h"
#include "core/puzzle.h"
#include "core/puzzle_code.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "screen_driver.h"
#include "screens/menu.h"
#include "test_support.h"
#include "ui/draw.h"
#include "ui/title.h"
#include "ui/widgets.h"

using screens::menuButtonRects;
using ui::ScreenKind;
using namespace testsupport;

namespace {

class MenuScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
    }

    // Opens a fresh menu and returns its buttons as laid out in this window.
    std::vector<ui::Rect> openMenu(ScreenDriver& loop, int count) {
        ui::GameState s;
        s.kind = ScreenKind::Menu;
        loop.open(s);
        loop.frame();
        std::vector<ui::Rect> rects;
        loop.measure([&](ui::Ctx& c) {
            rects = menuButtonRects(c.w, c.h, screens::menuTitleSize(c.cr, c.w, c.h), count);
        });
        return rects;
    }
    // Opens a menu, clicks button i and returns the record it leads to. The files are set up
    // once the screen left from before is gone, since a playing screen tidies the saved game.
    ui::GameState clickMenu(int i, int count = 6, const std::function<void()>& setup = nullptr) {
        ScreenDriver loop(1280, 720);
        loop.open(ui::GameState{});
        if (setup) setup();
        const ui::Rect r = openMenu(loop, count)[i];
        EXPECT_FALSE(loop.click(r));
        return ui::Game::instance()->top();
    }
};

void saveLevel(int level, uint32_t seed) {
    store::SavedGame g;
    g.valid = true;
    g.level = level;
    g.seed = seed;
    g.state = mar::loadLevel(level);  // a game the board can resume
    store::saveGame(g);
}

}  // namespace

TEST(MenuLayout, MatchesTheWorkedExamplesAndFitsTheTitle) {
    const auto wide = menuButtonRects(1280, 720, 62, 6);
    EXPECT_DOUBLE_EQ(wide[0].x, 490);
    EXPECT_DOUBLE_EQ(wide[0].y, 193);
    EXPECT_DOUBLE_EQ(wide[0].w, 300);
    EXPECT_DOUBLE_EQ(wide[0].h, 54);
    EXPECT_DOUBLE_EQ(wide[5].y, 193 + 5 * 72);
    const auto low = menuButtonRects(800, 480, 33, 6);
    EXPECT_NEAR(low[0].y, 117.3, 1e-9);
    EXPECT_DOUBLE_EQ(low[0].w, 260);
    EXPECT_DOUBLE_EQ(low[1].y - low[0].y, 48);
    // A tall title pushes the column down, but never closer than 56 to the bottom.
    EXPECT_DOUBLE_EQ(menuButtonRects(1280, 720, 200, 5)[0].y, 720 - 5 * 54 - 4 * 18 - 56);
    EXPECT_EQ(screens::menuButtonFontSize(800, 480), 13);
    EXPECT_EQ(screens::menuButtonFontSize(1000, 560), 15);
    EXPECT_EQ(screens::menuButtonFontSize(1280, 720), 18);

    ScreenDriver loop(1280, 720);
    ASSERT_TRUE(loop.ok());
    loop.measure([](ui::Ctx& c) {
        EXPECT_EQ(screens::menuTitleSize(c.cr, 1280, 720), 62);
        EXPECT_EQ(screens::menuTitleSize(c.cr, 800, 480), 33);
        EXPECT_EQ(screens::splashTitleSize(c.cr, 1280, 720), 54);
        const double narrow = screens::menuTitleSize(c.cr, 330, 700);
        EXPECT_LT(narrow, 48);
        EXPECT_LE(ui::measureRainbowTitleCairo(c.cr, screens::kGameTitle, narrow), 330 - 48);
        EXPECT_GT(ui::measureRainbowTitleCairo(c.cr, screens::kGameTitle, narrow + 1), 330 - 48);
        EXPECT_EQ(screens::menuTitleSize(c.cr, 60, 700), 14);
    });
}

// Every label of every language fits its button in the smallest layouts.
TEST(MenuLayout, NoTranslationOverflowsAButton) {
    ScreenDriver loop(800, 480);
    ASSERT_TRUE(loop.ok());
    const char* keys[] = {"menu.levelSelect",   "menu.allCleared",     "menu.continue",
                          "menu.continueDaily", "menu.continuePuzzle", "menu.gallery",
                          "menu.settings",      "menu.about",          "menu.quit"};
    for (const auto& lang : i18n::languages()) {
        i18n::setLanguage(lang.code);
        for (auto [w, h] :
             {std::pair{800.0, 480.0}, std::pair{1280.0, 720.0}, std::pair{360.0, 640.0}}) {
            const double bw = menuButtonRects(w, h, 33, 6)[0].w;
            const ui::TextStyle st =
                ui::widgetTextStyle(screens::menuButtonFontSize(w, h), true, 0, 1, bw - 26);
            loop.measure([&](ui::Ctx& c) {
                for (const char* key : keys) {
                    const std::string label =
                        i18n::tr(key, {{"n", "105"}, {"code", "WMW-MWM-WMW"}});
                    double tw = 0;
                    ui::measureText(c.cr, label, st, &tw, nullptr);
                    EXPECT_LE(tw, bw - 26) << lang.code << " " << key << " at " << w;
                }
                // The row of the generated puzzles, in its own narrower buttons.
                const std::vector<ui::Rect> column = menuButtonRects(w, h, 33, 6);
                const double rw = screens::menuPuzzleRects(w, h, column.back())[0].w;
                const ui::TextStyle rs =
                    ui::widgetTextStyle(screens::menuButtonFontSize(w, h) - 1, true, 0, 1, rw - 26);
                for (const char* key : {"menu.daily", "menu.endless", "menu.enterCode"}) {
                    double tw = 0;
                    ui::measureText(c.cr, i18n::tr(key), rs, &tw, nullptr);
                    EXPECT_LE(tw, rw - 26) << lang.code << " " << key << " at " << w;
                }
            });
        }
    }
    i18n::setLanguage("en");
}

TEST_F(MenuScreen, SplashLeavesAfterThreeSecondsOrOnTheFirstInput) {
    ScreenDriver loop(800, 480);
    ASSERT_TRUE(loop.ok());
    ui::GameState splash;
    loop.open(splash);
    loop.frame();  // first frame: the clock starts
    loop.idle(2.9, 0.1);
    EXPECT_EQ(topKind(), ScreenKind::Splash);
    loop.idle(0.2, 0.1);
    EXPECT_EQ(topKind(), ScreenKind::Menu);

    for (ScreenDriver::Script input :
         {ScreenDriver::Script([](ui::Input& in) { in.keys.push_back(' '); }),
          ScreenDriver::Script([](ui::Input& in) { in.rightPressed = true; }),
          ScreenDriver::Script([](ui::Input& in) { in.wheel = -1; })}) {
        loop.open(splash);
        loop.frame(input);
        EXPECT_EQ(topKind(), ScreenKind::Menu);
    }
    // Moving the mouse is not input.
    loop.open(splash);
    loop.frame([](ui::Input& in) { in.mouseX = in.mouseY = 200; });
    EXPECT_EQ(topKind(), ScreenKind::Splash);
}

TEST_F(MenuScreen, EachButtonLeadsToItsScreen) {
    const ScreenKind pushed[] = {ScreenKind::LevelSelect, ScreenKind::Playing, ScreenKind::Gallery,
                                 ScreenKind::Settings, ScreenKind::About};
    for (int i = 0; i < 5; ++i) {
        const ui::GameState s = clickMenu(i);
        EXPECT_EQ(s.kind, pushed[i]) << i;
        EXPECT_EQ(ui::Game::instance()->depth(), 2) << i;
    }
    ScreenDriver loop(800, 480);
    EXPECT_TRUE(loop.click(openMenu(loop, 6)[5]));
    EXPECT_EQ(topKind(), ScreenKind::Menu);
    EXPECT_TRUE(loop.frame([](ui::Input& in) { in.keys.push_back(27); }));
}

// Daily, endless and "enter a code" are one click, or focus steps and one press, from the menu
// at the smallest window and a common one, left to right and right to left, and stay inside it.
TEST_F(MenuScreen, ThePuzzleScreensAreOneStepAway) {
    const ScreenKind kinds[] = {ScreenKind::Daily, ScreenKind::Endless, ScreenKind::EnterCode};
    for (const char* lang : {"en", "ar"}) {
        i18n::setLanguage(lang);
        for (auto [w, h] : {std::pair{800, 480}, std::pair{1280, 720}}) {
            ScreenDriver loop(w, h);
            const std::vector<ui::Rect> column = openMenu(loop, 6);
            const std::vector<ui::Rect> row = screens::menuPuzzleRects(w, h, column.back());
            ASSERT_EQ(row.size(), 3u);
            for (const ui::Rect& r : row) {
                EXPECT_GE(r.x, 0);
                EXPECT_LE(r.right(), w);
                EXPECT_GE(r.y, column.back().bottom());
                EXPECT_LE(r.bottom(), h - 24);  // clear of the footer
            }
            // Daily comes first in reading order.
            EXPECT_EQ(row[0].x < row[2].x, std::string(lang) == "en");
            for (int i = 0; i < 3; ++i) {
                openMenu(loop, 6);
                EXPECT_FALSE(loop.click(row[i]));
                EXPECT_EQ(topKind(), kinds[i]) << lang << " " << w << " " << i;
                EXPECT_EQ(ui::Game::instance()->depth(), 1 + 1);
            }
            // By keys: from the first button, Down reaches the row and lands right below Quit.
            openMenu(loop, 6);
            for (int i = 0; i < 7; ++i)
                loop.key(SDLK_DOWN);
            loop.key(SDLK_RETURN);
            EXPECT_EQ(topKind(), ScreenKind::Endless) << lang << " " << w;
        }
    }
    i18n::setLanguage("en");
}

TEST_F(MenuScreen, AControllersBAsksBeforeQuittingWhileEscapeQuitsAtOnce) {
    ScreenDriver loop(800, 480);
    const std::vector<ui::Rect> buttons = openMenu(loop, 6);
    const ui::DialogLayout d = ui::dialogLayout(800, 480);
    auto padKey = [&](int key) {
        return loop.frame([&](ui::Input& in) {
            in.keys.push_back(key);
            in.pad = true;
        });
    };
    // B asks; B again, A on the focused answer (the harmless one) and a click on the buttons
    // beneath all keep the game; only the confirm button quits.
    EXPECT_FALSE(padKey(27));
    EXPECT_FALSE(padKey(27));
    EXPECT_FALSE(loop.frame());
    EXPECT_FALSE(padKey(27));
    EXPECT_FALSE(padKey(SDLK_RETURN));  // the first press only shows the focus
    EXPECT_FALSE(padKey(SDLK_RETURN));
    EXPECT_FALSE(loop.frame());
    EXPECT_FALSE(padKey(27));
    // The last button (Quit itself) reaches below the dialog's box, under the veil.
    const ui::Rect quit = buttons.back();
    ASSERT_GT(quit.bottom(), d.box.bottom() + 4);
    EXPECT_FALSE(loop.click(quit.cx(), (quit.bottom() + d.box.bottom()) / 2));
    EXPECT_FALSE(loop.click(d.cancel));
    EXPECT_EQ(ui::Game::instance()->depth(), 1);
    EXPECT_FALSE(padKey(27));
    EXPECT_TRUE(loop.click(d.confirm));
    openMenu(loop, 6);
    EXPECT_TRUE(loop.frame([](ui::Input& in) { in.keys.push_back(27); }));
}

TEST_F(MenuScreen, ContinueResumesTheSavedGameOrStartsTheHighestUnlockedLevel) {
    ui::GameState s = clickMenu(1, 6, [] { saveLevel(7, 4242); });
    EXPECT_EQ(s.level, 7);
    EXPECT_EQ(s.seed, 4242u);

    // A save naming a level the catalogue lacks counts as no save.
    for (int bad : {-3, mar::totalLevels()}) {
        const auto before = static_cast<uint32_t>(store::nowMs());
        s = clickMenu(1, 6, [bad] {
            store::setUnlockedLevel(5);
            saveLevel(bad, 99);
        });
        EXPECT_EQ(s.kind, ScreenKind::Playing);
        EXPECT_EQ(s.level, 4) << bad;
        EXPECT_GE(s.seed, before);
        EXPECT_LE(s.seed, static_cast<uint32_t>(store::nowMs()));
    }

    s = clickMenu(1, 6, [] {
        store::clearGame();
        store::setUnlockedLevel(mar::totalLevels());
    });
    EXPECT_EQ(s.level, mar::totalLevels() - 1);

    // A generated puzzle's game, endless or daily, goes back to its puzzle.
    const puzzle::Id id{puzzle::kVersion, 1, 31337};
    for (const std::string date : {"", "2026-12-07"}) {
        s = clickMenu(1, 6, [&] {
            store::SavedGame g;
            g.valid = true;
            g.code = puzzle::encode(id);
            g.date = date;
            g.state = puzzle::generate(id).start;
            store::saveGame(g);
        });
        EXPECT_EQ(s.kind, ScreenKind::Playing);
        EXPECT_EQ(s.code, puzzle::encode(id)) << date;
        EXPECT_EQ(s.date, date);
    }
}

TEST_F(MenuScreen, WithEveryLevelClearedContinueRemainsOnlyForASavedGame) {
    for (int unlocked : {mar::totalLevels() + 1, INT_MAX}) {
        auto cleared = [unlocked] { store::setUnlockedLevel(unlocked); };
        EXPECT_EQ(clickMenu(0, 5, cleared).kind, ScreenKind::LevelSelect);
        EXPECT_EQ(clickMenu(1, 5, cleared).kind, ScreenKind::Gallery);
        ScreenDriver loop(1280, 720);
        loop.open(ui::GameState{});
        cleared();
        EXPECT_TRUE(loop.click(openMenu(loop, 5)[4]));

        const ui::GameState s = clickMenu(1, 6, [unlocked] {
            store::setUnlockedLevel(unlocked);
            saveLevel(7, 4242);
        });
        EXPECT_EQ(s.kind, ScreenKind::Playing);
        EXPECT_EQ(s.level, 7);
        EXPECT_EQ(s.seed, 4242u);
        store::clearGame();
    }
}

TEST_F(MenuScreen, SixtyIdleSecondsStartTheDemoAndInputPutsItOff) {
    ScreenDriver loop(800, 480);
    ASSERT_TRUE(loop.ok());
    openMenu(loop, 6);
    loop.idle(40, 1);
    loop.frame([](ui::Input& in) { in.wheel = 1; });
    loop.idle(59, 1);
    loop.frame([](ui::Input& in) { in.mouseX = in.mouseY = 300; });  // movement is not input
    EXPECT_EQ(topKind(), ScreenKind::Menu);
    const auto before = static_cast<uint32_t>(store::nowMs());
    loop.idle(2, 1);
    EXPECT_EQ(topKind(), ScreenKind::Attract);
    EXPECT_EQ(ui::Game::instance()->depth(), 1);
    EXPECT_GE(ui::Game::instance()->top().runId, before);
    EXPECT_LE(ui::Game::instance()->top().runId, static_cast<uint32_t>(store::nowMs()));
}

// Writes the pictures worth looking at when VANTREL_SHOTS names a directory.
TEST_F(MenuScreen, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        ScreenDriver loop(w, h);
        i18n::setLanguage("en");
        loop.open(ui::GameState{});
        saveLevel(41, 1);
        // Today's puzzle solved: the daily button carries its tick.
        store::PuzzleResult daily;
        const puzzle::Date today = store::localDate(store::nowMs());
        daily.code = puzzle::encode(puzzle::dailyId(today));
        daily.date = daily.solvedOn = puzzle::isoDate(today);
        daily.moves = daily.optimum = 9;
        store::recordPuzzleResult(daily);
        loop.idle(1.2);
        loop.snapshot().writePng(std::string(dir) + "/splash_" + size + ".png");
        for (const char* lang : {"en", "de", "ja", "ar"}) {
            i18n::setLanguage(lang);
            openMenu(loop, 6);
            loop.idle(0.5);
            loop.snapshot().writePng(std::string(dir) + "/menu_" + lang + "_" + size + ".png");
            loop.frame([](ui::Input& in) {
                in.keys.push_back(27);
                in.pad = true;
            });
            loop.idle(0.1);
            loop.snapshot().writePng(std::string(dir) + "/menu_quit_" + lang + "_" + size + ".png");
            loop.key(27);
        }
    }
}
