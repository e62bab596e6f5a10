// The solved screen: scoring, best and unlock records, and where each button leads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/levels.h"
#include "core/state.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screen_driver.h"
#include "screens/screens.h"
#include "screens/solved.h"
#include "test_support.h"

using harness::Canvas;
using harness::Options;
using ui::ScreenKind;
using namespace testsupport;

namespace {

class SolvedScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
    }

    // Shows the solved screen of a level for a few frames, then clicks button `button`
    // (0 next, 1 again, 2 menu) unless it is -1.
    void show(int level, int moves, int button, int w = 1280, int h = 720) {
        Options o;
        o.w = w;
        o.h = h;
        canvas_.reset();  // the texture cache serves one canvas at a time
        canvas_ = std::make_unique<Canvas>(o);
        ASSERT_TRUE(canvas_->ok());
        if (factory_)
            ui::Game::instance()->setScreenFactory(factory_);  // the canvas installs its own
        ui::GameState s;
        s.kind = ScreenKind::Solved;
        s.level = level;
        s.moves = moves;
        s.elapsedMs = 61000;
        ui::Game::instance()->resetTo(s);
        for (int i = 0; i < 40; ++i)
            frame();
        if (button >= 0) {
            const int stars = mar::computeStars(moves, mar::levelInfo(level).solutionLength);
            const ui::Rect r = screens::solvedButtonRects(w, h, stars)[button];
            frame(r.cx(), r.cy());
            frame();
        }
    }
    void frame(double x = -1, double y = -1) {
        t_ += 0.05;
        canvas_->frame(t_, [&](ui::Ctx& c) {
            c.in.mouseX = x;
            c.in.mouseY = y;
            c.in.pressed = x >= 0;
            ui::Game::instance()->update(c);
        });
    }
    void saveSomeGame() {
        store::SavedGame g;
        g.valid = true;
        g.level = 0;
        g.state = mar::loadLevel(0);
        store::saveGame(g);
        ASSERT_TRUE(store::loadGame().valid);
    }

    std::unique_ptr<Canvas> canvas_;
    ui::ScreenFactory factory_ = nullptr;
    double t_ = 10;
};

const ui::GameState& top() {
    return ui::Game::instance()->top();
}

}  // namespace

TEST_F(SolvedScreen, RecordsTheBestAndUnlocksTheNextLevelWithoutEverGoingBack) {
    const int optimum = mar::levelInfo(0).solutionLength;
    show(0, optimum, -1);
    EXPECT_EQ(store::unlockedLevel(), 2);
    store::LevelBest b = store::bestFor(0);
    EXPECT_EQ(b.stars, 3);
    EXPECT_EQ(b.moves, optimum);
    EXPECT_EQ(b.elapsedMs, 61000);
    // A worse replay keeps the best, and an early level never lowers the unlock count.
    store::setUnlockedLevel(10);
    show(2, mar::levelInfo(2).solutionLength * 3, -1);
    EXPECT_EQ(store::unlockedLevel(), 10);
    show(0, optimum * 3, -1);
    EXPECT_EQ(store::bestFor(0).stars, 3);
}

TEST_F(SolvedScreen, EachButtonClearsTheSavedGameAndLeadsOn) {
    saveSomeGame();
    show(4, 30, 0);
    EXPECT_EQ(top().kind, ScreenKind::Playing);
    EXPECT_EQ(top().level, 5);
    EXPECT_FALSE(store::loadGame().valid);

    saveSomeGame();
    show(4, 30, 1);
    EXPECT_EQ(top().kind, ScreenKind::Playing);
    EXPECT_EQ(top().level, 4);
    EXPECT_FALSE(store::loadGame().valid);

    saveSomeGame();
    show(4, 30, 2, 800, 480);
    EXPECT_EQ(top().kind, ScreenKind::Menu);
    EXPECT_EQ(ui::Game::instance()->depth(), 1);
    EXPECT_FALSE(store::loadGame().valid);

    // After the last level the first button opens the temple ending.
    const int last = mar::totalLevels() - 1;
    show(last, 999, 0, 800, 480);
    EXPECT_EQ(top().kind, ScreenKind::Ending);
    EXPECT_EQ(top().forcePerfect, -1);
}

TEST(SolvedLayout, CompactBelow620AndNeverAboveSixPercent) {
    const auto normal = screens::solvedButtonRects(1280, 720, 3);
    const auto compact = screens::solvedButtonRects(1280, 619, 3);
    EXPECT_EQ(normal[0].h, 50);
    EXPECT_EQ(normal[1].y - normal[0].y, 66);
    EXPECT_EQ(compact[0].h, 40);
    EXPECT_EQ(compact[1].y - compact[0].y, 50);
    // Buttons stay inside small windows, and a tall window keeps the block centred.
    for (int stars : {1, 3}) {
        for (double h : {400.0, 480.0, 619.0, 620.0, 1400.0}) {
            const auto r = screens::solvedButtonRects(800, h, stars);
            EXPECT_LE(r[2].bottom(), h) << stars << " stars, h " << h;
            EXPECT_LE(r[0].w, 300);
        }
    }
}

// The screen record carries no hint count, so the helped solve comes through a factory of its own.
std::unique_ptr<ui::Screen> solvedWithOneHint(const ui::GameState& s) {
    if (s.kind != ScreenKind::Solved) return screens::makeScreen(s);
    return screens::makeSolvedScreen(s.level, s.moves, s.elapsedMs, 1);
}

TEST_F(SolvedScreen, AHelpedSolveEarnsTwoStarsAndSaysSo) {
    const int level = 3, optimum = mar::levelInfo(level).solutionLength;
    // In the amber of the small line: the long optimum line of an unhelped two-star solve, then
    // the short "with hints" in its place, even at the optimum.
    show(level, optimum + 1, -1);
    const int optimumLine = countNear(canvas_->snapshot(), {0, 0, 1280, 720}, 0xC8902E, 12);
    factory_ = solvedWithOneHint;
    show(level, optimum, -1);
    EXPECT_EQ(store::bestFor(level).stars, 2);
    const int hintsLine = countNear(canvas_->snapshot(), {0, 0, 1280, 720}, 0xC8902E, 12);
    EXPECT_GT(hintsLine, 40);
    EXPECT_LT(hintsLine, optimumLine / 2);
    if (const char* dir = std::getenv("VANTREL_SHOTS"))
        canvas_->snapshot().writePng(std::string(dir) + "/solved_en_hints_1280.png");
}

// Writes the pictures worth looking at when VANTREL_SHOTS names a directory.
TEST_F(SolvedScreen, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    const int level = 20;
    const int optimum = mar::levelInfo(level).solutionLength;
    for (const char* lang : {"en", "de"}) {
        i18n::setLanguage(lang);
        for (auto [stars, moves] :
             {std::pair{3, optimum}, std::pair{2, optimum + 3}, std::pair{1, optimum * 3}}) {
            for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
                show(level, moves, -1, w, h);
                canvas_->snapshot().writePng(std::string(dir) + "/solved_" + lang + "_" +
                                             std::to_string(stars) + "_" + std::to_string(w) +
                                             ".png");
            }
            // Mid-burst: the spiral's arms reach across the result lines.
            show(level, moves, -1, 800, 480);
            for (int i = 0; i < 30; ++i)
                frame();
            canvas_->snapshot().writePng(std::string(dir) + "/solved_burst_" + lang + "_" +
                                         std::to_string(stars) + "_800.png");
        }
    }
}

// The star row ends above the headline's letters even at the top of the stars' pulse, in the
// normal and the compact sizes.
TEST(SolvedLayout, TheStarsNeverTouchTheHeadline) {
    for (double h : {400.0, 480.0, 619.0, 620.0, 720.0, 1400.0}) {
        for (int stars : {1, 3}) {
            const screens::SolvedHeading s = screens::solvedHeading(h, stars);
            // A star's lowest points lie 0.81 of its radius below its centre, its soft edge
            // 0.17 further; the big one pulses to 1.08 times its radius of 32.
            const double big = 32 * s.starScale;
            const double starsEnd = s.starCy + 1.08 * (0.81 + 0.17) * big;
            // The headline breathes to 1.08 times its size; its tallest letters reach 0.4 of
            // that above its centre.
            const double lettersTop = s.headlineY - 0.4 * 1.08 * s.headlineSize;
            EXPECT_LE(starsEnd + 2, lettersTop) << "h " << h << ", " << stars << " stars";
        }
    }
}
