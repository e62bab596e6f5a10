// The gallery: the empty history, the pages of solved levels, the remembered page, the card
// grid and starting a level from a card.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "core/levels.h"
#include "core/state.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screen_driver.h"
#include "screens/gallery.h"
#include "test_support.h"
#include "theme/theme.h"

using ui::ScreenKind;
using namespace testsupport;

namespace {

constexpr uint32_t kCoral = 0xE8633A;

class GalleryScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
        screens::forgetGalleryPage();
    }
    void open(int w = 1280, int h = 720) { d_.open(ScreenKind::Gallery, w, h); }
    ui::Rect cardRect(int k) const { return screens::galleryGrid(d_.w(), d_.h(), 10).card(k, 0); }

    static void solve(int level, int64_t solvedAt, int stars = 3, int hints = 0) {
        store::SolveEntry e;
        e.id = store::newSolveId();
        e.level = level;
        e.moves = mar::levelInfo(level).solutionLength + 3 - stars;
        e.elapsedMs = 83000 + 1000 * level;
        e.stars = stars;
        e.hints = hints;
        mar::GameState board = mar::loadLevel(level);
        for (const mar::Move& m : mar::levelSolution(level))
            board = mar::applyMoveOne(board, m);
        e.capacity = board.capacity;
        e.finalTubes = board.tubes;
        e.solvedAt = solvedAt;
        store::recordSolve(e);
    }
    bool chipActive(int i) const {
        return near(d_.snapshot().at(static_cast<int>(chipAt(d_.w(), i).x + 8), 75), kCoral, 12);
    }
    // Text in the muted colour within a band of the window.
    int mutedTextIn(const ui::Rect& r) const {
        return countNear(d_.snapshot(), r, theme::kTextMuted, 10);
    }
    ui::Rect emptyTextBand() const { return {d_.w() / 2.0 - 210, 0.45 * d_.h(), 420, 40}; }
    ui::Rect emptyPageBand() const {
        const double mid = 102 + (d_.h() - 146) / 2.0;
        return {d_.w() / 2.0 - 150, mid - 10, 300, 20};
    }

    ScreenDriver d_;
};

}  // namespace

TEST(GalleryLayout, ColumnsFollowTheWindowWidth) {
    const screens::CardGrid three = screens::galleryGrid(1000, 700, 7);
    EXPECT_EQ(three.cols, 3);
    EXPECT_DOUBLE_EQ(three.cardW, (968 - 20) / 3.0);
    EXPECT_EQ(three.cardH, 118);
    EXPECT_DOUBLE_EQ(three.contentH, 3 * 118 + 2 * 10);
    EXPECT_DOUBLE_EQ(three.card(4, 0).y, 102 + 128);
    EXPECT_DOUBLE_EQ(three.card(4, 0).x, 16 + three.cardW + 10);
    EXPECT_DOUBLE_EQ(three.card(4, 50).y, 102 + 128 - 50);

    const screens::CardGrid two = screens::galleryGrid(700, 480, 3);
    EXPECT_EQ(two.cols, 2);
    EXPECT_DOUBLE_EQ(two.cardW, (668 - 10) / 2.0);

    const screens::CardGrid one = screens::galleryGrid(600, 480, 3);
    EXPECT_EQ(one.cols, 1);
    EXPECT_DOUBLE_EQ(one.cardW, 568);
    EXPECT_DOUBLE_EQ(one.card(2, 0).y, 102 + 2 * 128);

    EXPECT_EQ(screens::galleryGrid(1280, 720, 1).cols, 3);
    EXPECT_EQ(screens::galleryGrid(1280, 720, 0).contentH, 0);
}

TEST_F(GalleryScreen, EmptyHistoryShowsTheTwoLineTextAndNoChips) {
    open();
    EXPECT_FALSE(chipActive(0));
    EXPECT_GT(mutedTextIn(emptyTextBand()), 40);
    // Where the chips would be, a click does nothing.
    d_.click(chipAt(1280, 4));
    EXPECT_EQ(topRecord().kind, ScreenKind::Gallery);

    // One solve brings the chips and replaces the text by its card.
    solve(1, 1700000000000LL);
    open();
    EXPECT_TRUE(chipActive(0));
    EXPECT_LT(mutedTextIn(emptyTextBand()), 5);
}

TEST_F(GalleryScreen, OpensOnTheLatestSolvesPageAndRemembersAChosenPage) {
    // The latest solve decides, and of two equally late ones the first in the history.
    solve(2, 100);
    solve(37, 300);
    solve(25, 300);
    open();
    EXPECT_TRUE(chipActive(2));
    EXPECT_LT(mutedTextIn(emptyPageBand()), 5);

    wipeDataDir();
    store::ensureDataDirs();
    solve(0, 500);
    solve(3, 400);
    open();
    EXPECT_TRUE(chipActive(0));
    d_.click(chipAt(1280, 4));
    EXPECT_TRUE(chipActive(4));
    EXPECT_GT(mutedTextIn(emptyPageBand()), 20);

    d_.click(68, 29);  // back to the menu
    EXPECT_EQ(topRecord().kind, ScreenKind::Menu);
    open(800, 480);
    EXPECT_TRUE(chipActive(4));
    EXPECT_GT(mutedTextIn(emptyPageBand()), 20);
}

TEST_F(GalleryScreen, ClickingACardStartsThatLevelAndKeepsTheSavedGame) {
    solve(5, 200, 2);
    solve(3, 100, 1);
    store::SavedGame g;
    g.valid = true;
    g.level = 9;
    g.state = mar::loadLevel(9);
    store::saveGame(g);
    ASSERT_TRUE(store::loadGame().valid);

    open();
    // Nothing past the two cards reacts.
    d_.click(cardRect(2));
    EXPECT_EQ(topRecord().kind, ScreenKind::Gallery);
    const int64_t before = store::nowMs();
    d_.click(cardRect(1));
    const int64_t after = store::nowMs();
    ASSERT_EQ(topRecord().kind, ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 5);
    EXPECT_EQ(topRecord().moves, 0);
    EXPECT_EQ(topRecord().elapsedMs, 0);
    EXPECT_LE(topRecord().seed - static_cast<uint32_t>(before),
              static_cast<uint32_t>(after - before));
    // The game in progress stays until the new board's first move.
    EXPECT_EQ(store::loadGame().level, 9);
}

TEST_F(GalleryScreen, DamagedHistoryEntriesAreSkippedOrTamed) {
    const std::string path = dataDir() + "/solves.json";
    // Levels outside the catalogue are no solves of this game.
    ASSERT_TRUE(writeText(path, R"([{"level": 105, "stars": 3}, {"level": -1},
                                    {"level": 2147483647, "solvedAt": 5}])"));
    open();
    EXPECT_FALSE(chipActive(0));
    EXPECT_GT(mutedTextIn(emptyTextBand()), 40);

    // A monstrous board and absurd numbers still give one card that starts its level.
    std::string tubes = "[";
    for (int i = 0; i < 2000; ++i) {
        tubes += i ? ",[" : "[";
        for (int k = 0; k < 100; ++k)
            tubes += (k ? "," : "") + std::to_string(k * 7919 - 400000);
        tubes += "]";
    }
    tubes += "]";
    ASSERT_TRUE(writeText(path, R"([{"level": 12, "stars": 1e300, "capacity": 2147483647,
                                      "moves": -3, "elapsedMs": -9e18, "solvedAt": 9e18,
                                      "finalTubes": )" +
                                    tubes + "}]"));
    for (auto [w, h] : {std::pair{1280, 720}, std::pair{640, 480}}) {
        open(w, h);
        EXPECT_TRUE(chipActive(1));
        d_.click(screens::galleryGrid(w, h, 1).card(0, 0));
        EXPECT_EQ(topRecord().kind, ScreenKind::Playing);
        EXPECT_EQ(topRecord().level, 12);
    }
}

TEST_F(GalleryScreen, ASolveWithHintsSaysSoBesideItsStars) {
    solve(0, 100, 2, 1);
    solve(1, 200, 2);
    for (bool rtl : {false, true}) {
        i18n::setLanguage(rtl ? "ar" : "en");
        open();
        for (int k = 0; k < 2; ++k) {
            // Where the card's lines run, right of the star row (left of it, right to left).
            const ui::Rect r = cardRect(k);
            const double tx = r.x + 10 + std::min(190.0, 0.42 * r.w) + 12;
            ui::Rect band{tx + 72, r.y + 12 + 58, r.right() - 10 - (tx + 72), 16};
            if (rtl) band.x = r.x + r.right() - band.right();
            const int ink = mutedTextIn(band);
            if (k == 0)
                EXPECT_GT(ink, 8) << (rtl ? "ar" : "en");
            else
                EXPECT_LT(ink, 3) << (rtl ? "ar" : "en");
        }
    }
}

// Writes the pictures worth looking at when VANTREL_SHOTS names a directory.
TEST_F(GalleryScreen, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    const std::string out(dir);
    open(1280, 720);
    d_.snapshot().writePng(out + "/gallery_en_1280_empty.png");
    for (int level : {0, 1, 2, 3, 4, 5, 7, 8, 9, 14, 104})
        solve(level, 1700000000000LL + 3600000LL * level, 1 + level % 3, level % 4 == 1);
    store::setUnlockedLevel(12);
    for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
        open(w, h);
        d_.click(chipAt(w, 0));
        d_.snapshot().writePng(out + "/gallery_en_" + std::to_string(w) + ".png");
    }
    open(1280, 720);
    d_.click(chipAt(1280, 10));
    d_.snapshot().writePng(out + "/gallery_en_1280_last.png");
    d_.click(chipAt(1280, 5));
    d_.snapshot().writePng(out + "/gallery_en_1280_emptypage.png");
}
