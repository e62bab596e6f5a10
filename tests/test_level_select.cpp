// The level select: pages and chips, the card grid, locks and badges, the remembered page and
// starting a level from a card.
#include <SDL.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/levels.h"
#include "core/state.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screen_driver.h"
#include "screens/common.h"
#include "screens/gallery.h"
#include "screens/level_select.h"
#include "test_support.h"
#include "theme/theme.h"
#include "ui/mirror.h"
#include "ui/thumbnail.h"

using ui::ScreenKind;
using namespace testsupport;

namespace {

constexpr uint32_t kCoral = 0xE8633A;

class LevelSelectScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
        screens::forgetLevelSelectPage();
    }
    void open(int w = 1280, int h = 720) { d_.open(ScreenKind::LevelSelect, w, h); }
    // Card k of the page shown, for a page of ten.
    ui::Rect cardRect(int k) const {
        return screens::levelSelectGrid(d_.w(), d_.h(), 10).card(k, 0);
    }
    static void solve(int level) {
        store::SolveEntry e;
        e.id = store::newSolveId();
        e.level = level;
        e.moves = mar::levelInfo(level).solutionLength;
        e.stars = 3;
        e.capacity = mar::loadLevel(level).capacity;
        e.finalTubes = mar::loadLevel(level).tubes;
        e.solvedAt = 1700000000000LL + level;
        store::recordSolve(e);
        store::recordBest(level, {3, e.moves, 30000});
    }
    // A game in progress on level, at its start or after the given moves.
    static void saveGameOf(int level, uint32_t seed = 0, const std::vector<mar::Move>& moves = {}) {
        store::SavedGame g;
        g.valid = true;
        g.level = level;
        g.seed = seed;
        g.state = mar::loadLevel(level);
        for (const mar::Move& m : moves)
            g.state = mar::applyMoveOne(g.state, m);
        g.history = moves;
        g.moveCount = static_cast<int>(moves.size());
        store::saveGame(g);
        ASSERT_TRUE(store::loadGame().valid);
    }

    // The coral "now" badge in the top-left corner of a card.
    static bool hasNowBadge(const harness::Image& img, const ui::Rect& r) {
        return near(img.at(static_cast<int>(r.x + 10), static_cast<int>(r.y + 15)), kCoral, 12);
    }
    // The solved check badge in the top-right corner.
    static bool hasCheckBadge(const harness::Image& img, const ui::Rect& r) {
        return near(img.at(static_cast<int>(r.right() - 25), static_cast<int>(r.y + 15)), kCoral,
                    12);
    }
    // The brown lock body below the badge corner.
    static bool hasLock(const harness::Image& img, const ui::Rect& r) {
        return near(img.at(static_cast<int>(r.right() - 20), static_cast<int>(r.y + 22)),
                    theme::kTextMuted, 24);
    }

    ScreenDriver d_;
};

}  // namespace

TEST(LevelSelectLayout, ChipsCoverTheCatalogueInTensWithAnEnDash) {
    EXPECT_EQ(screens::pageCountFor(105), 11);
    EXPECT_EQ(screens::pageChipLabel(0, 105), "1\u201310");
    EXPECT_EQ(screens::pageChipLabel(3, 105), "31\u201340");
    EXPECT_EQ(screens::pageChipLabel(10, 105), "101\u2013105");
    EXPECT_EQ(screens::pageChipLabel(0, 7), "1\u20137");
}

TEST(LevelSelectLayout, ColumnsFollowTheWindowWidth) {
    const screens::CardGrid wide = screens::levelSelectGrid(1280, 720, 10);
    EXPECT_EQ(wide.viewport.w, 1248);
    EXPECT_EQ(wide.cols, 5);
    EXPECT_DOUBLE_EQ(wide.cardW, 241.6);
    EXPECT_DOUBLE_EQ(wide.cardH, 0.92 * 241.6);
    EXPECT_DOUBLE_EQ(wide.contentH, 2 * wide.cardH + 10);
    EXPECT_DOUBLE_EQ(wide.card(7, 0).x, 16 + 2 * (241.6 + 10));
    EXPECT_DOUBLE_EQ(wide.card(7, 0).y, 102 + wide.cardH + 10);

    EXPECT_EQ(screens::levelSelectGrid(400, 480, 10).cols, 2);
    EXPECT_EQ(screens::levelSelectGrid(800, 480, 10).cols, 4);
    // A low window caps the card at 90 % of the viewport; too low a window has no cards.
    EXPECT_DOUBLE_EQ(screens::levelSelectGrid(1280, 300, 10).cardH, 0.9 * 154);
    EXPECT_EQ(screens::levelSelectGrid(1280, 100, 10).cardH, 0);
    // The last page of five cards needs one row of five, or three rows of two.
    EXPECT_DOUBLE_EQ(screens::levelSelectGrid(1280, 720, 5).contentH,
                     screens::levelSelectGrid(1280, 720, 5).cardH);
    const screens::CardGrid narrow = screens::levelSelectGrid(400, 480, 5);
    EXPECT_DOUBLE_EQ(narrow.contentH, 3 * narrow.cardH + 20);
}

TEST_F(LevelSelectScreen, FreshInstallOpensOnPageOneWithOnlyLevelOneOpen) {
    open();
    const harness::Image img = d_.snapshot();
    EXPECT_TRUE(hasNowBadge(img, cardRect(0)));
    EXPECT_FALSE(hasLock(img, cardRect(0)));
    for (int k = 1; k < 10; ++k) {
        EXPECT_TRUE(hasLock(img, cardRect(k))) << "card " << k;
        EXPECT_FALSE(hasNowBadge(img, cardRect(k))) << "card " << k;
    }
    // The first chip is the active one.
    EXPECT_TRUE(near(img.at(static_cast<int>(chipAt(1280, 0).x + 8), 75), kCoral, 12));

    // A locked card does not react; the open one starts its level.
    saveGameOf(0);
    d_.click(cardRect(1));
    EXPECT_EQ(topRecord().kind, ScreenKind::LevelSelect);
    EXPECT_TRUE(store::loadGame().valid);
    d_.click(cardRect(0));
    EXPECT_EQ(topRecord().kind, ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 0);
}

TEST_F(LevelSelectScreen, CounterBeyondTheCatalogueLocksNothingAndMarksTheLastLevel) {
    for (int counter : {500, INT_MAX}) {
        store::setUnlockedLevel(counter);
        solve(100);
        open();
        // The last page holds levels 101 to 105; the fifth card is current.
        harness::Image img = d_.snapshot();
        EXPECT_TRUE(near(img.at(static_cast<int>(chipAt(1280, 10).x + 8), 75), kCoral, 12));
        for (int k = 0; k < 5; ++k) {
            EXPECT_FALSE(hasLock(img, cardRect(k))) << counter << " card " << k;
            EXPECT_EQ(hasNowBadge(img, cardRect(k)), k == 4) << counter << " card " << k;
            EXPECT_EQ(hasCheckBadge(img, cardRect(k)), k == 0) << counter << " card " << k;
        }
        // Only five cards: the sixth place is empty and takes no click.
        d_.click(cardRect(5));
        EXPECT_EQ(topRecord().kind, ScreenKind::LevelSelect);
        d_.click(chipAt(1280, 0));
        img = d_.snapshot();
        for (int k = 0; k < 10; ++k)
            EXPECT_FALSE(hasLock(img, cardRect(k))) << counter << " card " << k;
        d_.click(cardRect(4));
        EXPECT_EQ(topRecord().kind, ScreenKind::Playing);
        EXPECT_EQ(topRecord().level, 4);
        screens::forgetLevelSelectPage();
    }
}

TEST_F(LevelSelectScreen, ChosenPageStaysUntilTheProgramEnds) {
    store::setUnlockedLevel(60);  // current level 60 lies on page 6
    open();
    harness::Image img = d_.snapshot();
    EXPECT_TRUE(near(img.at(static_cast<int>(chipAt(1280, 5).x + 8), 75), kCoral, 12));
    d_.click(chipAt(1280, 3));
    // The current level's page keeps a dot while another page is shown.
    img = d_.snapshot();
    EXPECT_TRUE(near(img.at(static_cast<int>(chipAt(1280, 3).x + 8), 75), kCoral, 12));
    EXPECT_FALSE(near(img.at(static_cast<int>(chipAt(1280, 5).x + 8), 75), kCoral, 12));
    EXPECT_TRUE(near(img.at(static_cast<int>(chipAt(1280, 5).right() - 8), 66), kCoral, 12));

    d_.click(68, 29);  // back to the menu
    EXPECT_EQ(topRecord().kind, ScreenKind::Menu);
    open(800, 480);
    d_.click(screens::levelSelectGrid(800, 480, 10).card(0, 0));
    EXPECT_EQ(topRecord().kind, ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 30);

    // Escape leaves too; a reopened screen still shows the chosen page.
    open();
    d_.key(SDLK_ESCAPE);
    EXPECT_EQ(topRecord().kind, ScreenKind::Menu);
    open();
    d_.click(cardRect(2));
    EXPECT_EQ(topRecord().level, 32);

    // Forgetting it (a new process) opens on the current level's page again.
    screens::forgetLevelSelectPage();
    open();
    d_.click(cardRect(9));
    EXPECT_EQ(topRecord().level, 59);
}

TEST_F(LevelSelectScreen, ChipBarScrollsSidewaysUntilItsLastChipReachesTheEdge) {
    store::setUnlockedLevel(3);
    open(640, 480);
    // 11 chips need 1004 units; 608 are visible, so the bar stops after 396.
    d_.wheel(320, 75, -100);
    const ui::Rect last{640 - 16 - 84, 58, 84, 34};
    d_.click(last);
    EXPECT_TRUE(near(d_.snapshot().at(static_cast<int>(last.x + 8), 75), kCoral, 12));
    d_.click(screens::levelSelectGrid(640, 480, 5).card(0, 0));
    EXPECT_EQ(topRecord().kind, ScreenKind::LevelSelect);  // level 101 is locked
    // Scrolled back, the first chip is at the margin again.
    open(640, 480);
    d_.wheel(320, 75, -100);
    d_.wheel(320, 75, 100);
    d_.click(chipAt(640, 0));
    d_.click(screens::levelSelectGrid(640, 480, 10).card(2, 0));
    EXPECT_EQ(topRecord().level, 2);
}

TEST_F(LevelSelectScreen, ClickingACardResumesItsGameInProgressOrStartsAfreshKeepingAnother) {
    store::setUnlockedLevel(12);
    saveGameOf(7);
    open();
    d_.click(chipAt(1280, 0));
    const int64_t before = store::nowMs();
    d_.click(cardRect(3));
    const int64_t after = store::nowMs();
    ASSERT_EQ(topRecord().kind, ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 3);
    EXPECT_EQ(topRecord().moves, 0);
    EXPECT_EQ(topRecord().elapsedMs, 0);
    // The seed is the low half of the clock at the click.
    const uint32_t sinceBefore = topRecord().seed - static_cast<uint32_t>(before);
    EXPECT_LE(sinceBefore, static_cast<uint32_t>(after - before));
    EXPECT_EQ(store::loadGame().level, 7);        // replaced only by the new board's first move
    EXPECT_EQ(ui::Game::instance()->depth(), 3);  // menu, level select, level

    // The card of the level in progress shows the board as it was left, with a plate in the middle
    // of its badge strip that no other card has, and resumes the game, as Continue does.
    const mar::Move first = mar::levelSolution(5)[0];
    saveGameOf(5, 4242, {first});
    for (const char* lang : {"en", "ar"}) {
        i18n::setLanguage(lang);
        open();
        d_.click(ui::Mirror(16, 1280 - 16).rect(chipAt(1280, 0)));
        const harness::Image img = d_.snapshot();
        const mar::GameState start = mar::loadLevel(5);
        const ui::Rect r = cardRect(5);
        const ui::Rect thumb{r.x + 6, r.y + 6, r.w - 12, r.h - 64};
        const ui::ThumbLayout L = ui::thumbLayout(thumb, start.tubeCount(), start.capacity);
        auto slot = [&](int tube, size_t s) {
            return img.at(static_cast<int>(L.tubeX(tube) + L.tubeW / 2),
                          static_cast<int>(L.tubeY(tube) + L.tubeH - 4 - L.marbleD / 2 -
                                           static_cast<double>(s) * (L.marbleD + 1)));
        };
        const size_t fromTop = start.tubes[static_cast<size_t>(first.from)].size() - 1;
        const size_t toTop = start.tubes[static_cast<size_t>(first.to)].size();
        EXPECT_TRUE(near(slot(first.from, fromTop), theme::kTubeBg, 12)) << lang << ": lifted";
        EXPECT_FALSE(near(slot(first.to, toTop), theme::kTubeBg, 12)) << lang << ": dropped";
        for (int k : {3, 5}) {
            const ui::Rect t = cardRect(k);
            const ui::Rect middle{t.cx() - 30, t.y + 6, 60, 18};
            EXPECT_EQ(countNear(img, middle, kCoral, 16) > 20, k == 5) << lang << " card " << k;
        }
    }
    i18n::setLanguage("en");
    open();
    d_.click(cardRect(5));
    ASSERT_EQ(topRecord().kind, ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 5);
    EXPECT_EQ(topRecord().seed, 4242u);
    EXPECT_TRUE(store::loadGame().valid);
}

TEST_F(LevelSelectScreen, HostileProgressAndHistoryDoNotCrash) {
    const std::string dir = dataDir() + "/";
    const char* progress[] = {
        R"({"unlockedLevel": 1e300, "bests": {"0": {"stars": 1e300}, "1": {"stars": -7}}})",
        R"({"unlockedLevel": -2147483648, "bests": {"0": {"stars": "three"}, "x": 5}})",
        R"({"unlockedLevel": 2147483647, "bests": [1, 2, 3]})",
    };
    ASSERT_TRUE(writeText(dir + "solves.json",
                          R"([{"level": 99999, "stars": 3}, {"level": -4, "stars": 2},
            {"level": 2, "stars": 1e300, "finalTubes": [[1e300, -1], [], "x"], "capacity": -5},
            {"level": 3, "moves": -9, "elapsedMs": -1, "solvedAt": 9e18}])"));
    for (const char* p : progress) {
        ASSERT_TRUE(writeText(dir + "progress.json", p));
        for (auto [w, h] : {std::pair{1280, 720}, std::pair{400, 300}}) {
            open(w, h);
            d_.click(chipAt(w, 0));
            d_.wheel(w / 2.0, 75, -50);
            d_.wheel(w / 2.0, h / 2.0, -50);
            EXPECT_EQ(topRecord().kind, ScreenKind::LevelSelect) << p;
            d_.open(ScreenKind::Gallery, w, h);
            d_.wheel(w / 2.0, h / 2.0, -50);
        }
    }
    // The negative counter counts as a fresh install.
    ASSERT_TRUE(writeText(dir + "progress.json", progress[1]));
    screens::forgetLevelSelectPage();
    open();
    EXPECT_TRUE(hasNowBadge(d_.snapshot(), cardRect(0)));
    EXPECT_TRUE(hasLock(d_.snapshot(), cardRect(1)));
}

// Writes the pictures worth looking at when VANTREL_SHOTS names a directory.
TEST_F(LevelSelectScreen, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    for (int level : {0, 1, 2, 4, 5, 6})
        solve(level);
    store::recordBest(2, {1, 40, 90000});
    store::setUnlockedLevel(8);
    // The current level in progress, two moves in: its card carries both marks.
    const std::vector<mar::Move>& solution = mar::levelSolution(7);
    saveGameOf(7, 1, {solution[0], solution[1]});
    for (const char* lang : {"en", "de", "ja", "ar"}) {
        i18n::setLanguage(lang);
        for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
            screens::forgetLevelSelectPage();
            open(w, h);
            d_.frame();
            d_.snapshot().writePng(std::string(dir) + "/levels_" + lang + "_" + std::to_string(w) +
                                   ".png");
        }
    }
    i18n::setLanguage("en");
    open(1280, 720);
    d_.click(chipAt(1280, 10));
    d_.snapshot().writePng(std::string(dir) + "/levels_en_1280_last.png");
}

// A narrow window scrolls the bar so that the chip of the page the screen opens on shows whole,
// and the offset never runs past either end of the bar.
TEST_F(LevelSelectScreen, ANarrowWindowScrollsTheOpeningPagesChipIntoView) {
    for (int page = 0; page < 11; ++page) {
        const double scroll = screens::chipBarScrollShowing(640, 105, page, 0);
        const double x = 16 - scroll + 92 * page;
        EXPECT_GE(x, 16) << "page " << page;
        EXPECT_LE(x + 84, 640 - 16) << "page " << page;
        EXPECT_GE(scroll, 0);
        EXPECT_LE(scroll, 11 * 84 + 10 * 8 - (640 - 32));
    }
    EXPECT_EQ(screens::chipBarScrollShowing(1280, 105, 10, 50), 0) << "a bar that fits";

    // Level 100 current: the screen opens on page 10, whose coral chip lies beyond 640 unscrolled.
    store::setUnlockedLevel(100);
    open(640, 480);
    const int coral = countNear(d_.snapshot(), {16, 58, 640 - 32, 34}, kCoral, 8);
    EXPECT_GT(coral, 84 * 34 / 2);
}
