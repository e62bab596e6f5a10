// Reduced motion through the real game loop: still screens repeat their picture exactly, a move
// is a short straight slide, and celebrations keep to a soft glow.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/levels.h"
#include "core/state.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screen_driver.h"
#include "screens/playing.h"
#include "test_support.h"
#include "ui/motion.h"

using ui::ScreenKind;
using namespace testsupport;

namespace {

class ReducedMotion : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::Game::instance()->shutdown();
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
        ui::Game::settings() = store::Settings{};
        ui::Game::settings().reduceMotion = true;
    }
    void TearDown() override {
        ui::Game::instance()->shutdown();
        ui::Game::settings() = store::Settings{};
        ui::setMotionReduced(false);
    }
};

// The box round every pixel that differs between two pictures of one size (empty: none).
ui::Rect changedBox(const harness::Image& a, const harness::Image& b) {
    int x0 = a.w, y0 = a.h, x1 = -1, y1 = -1;
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x)
            if (a.at(x, y) != b.at(x, y)) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    if (x1 < 0) return {};
    return {double(x0), double(y0), double(x1 - x0 + 1), double(y1 - y0 + 1)};
}

double share(const ui::Rect& box, const ScreenDriver& d) {
    return box.w * box.h / (d.w() * d.h());
}

ui::GameState record(ScreenKind kind, int level = 0) {
    ui::GameState s;
    s.kind = kind;
    s.level = level;
    return s;
}

// Taps tube i of level 0's board in a w x h window.
void tapTube(ScreenDriver& d, int i) {
    const mar::GameState s = mar::loadLevel(0);
    screens::BoardLayout b;
    screens::layoutBoard(b, d.w(), d.h(), s.tubeCount(), s.capacity, false);
    d.click(b.tubes[i].r);
}

}  // namespace

TEST_F(ReducedMotion, StillScreensShowTheSamePictureTwoSecondsLater) {
    ScreenDriver d(1280, 720);
    // The menu: sea, sky, critters (due 5 s in), fountain, title wave and breathing buttons.
    d.open(record(ScreenKind::Menu));
    d.idle(6);
    harness::Image before = d.snapshot();
    d.idle(2);
    EXPECT_EQ(share(changedBox(before, d.snapshot()), d), 0) << "menu";

    // A board with a completed tube, whose liquid would wave and marbles turn.
    d.open(record(ScreenKind::Playing));
    const std::vector<mar::Move> solution = mar::levelSolution(0);
    ASSERT_GE(solution.size(), 2u);
    mar::GameState position = mar::loadLevel(0);
    for (size_t i = 0; i + 1 < solution.size(); ++i) {
        tapTube(d, solution[i].from);
        tapTube(d, solution[i].to);
        d.idle(0.6);  // a flight with motion on lasts 0.55 s
        position = mar::applyMoveOne(position, solution[i]);
    }
    bool complete = false;
    for (int i = 0; i < position.tubeCount(); ++i)
        complete = complete || mar::isTubeComplete(position, i);
    ASSERT_TRUE(complete);
    d.idle(3);
    before = d.snapshot();
    d.idle(2);
    EXPECT_EQ(share(changedBox(before, d.snapshot()), d), 0) << "board";

    // With motion on the same menu moves, which the comparison sees.
    ui::Game::settings().reduceMotion = false;
    d.open(record(ScreenKind::Menu));
    d.idle(1);
    before = d.snapshot();
    d.idle(2);
    EXPECT_GT(share(changedBox(before, d.snapshot()), d), 0.25) << "menu with motion";
}

TEST_F(ReducedMotion, AMoveIsAStraightSlideOfAtMostFifteenHundredthsAndLandsStill) {
    harness::Canvas canvas(harness::Options{1280, 720});
    ASSERT_TRUE(canvas.ok());
    ui::setMotionReduced(true);  // the demo board runs outside the stack, so nothing sets it
    auto board = screens::makeAttractBoard(0, 5);
    double t = 100, x = 0, y = 0, r = 0;
    auto frame = [&] {
        t += 0.05;
        canvas.frame(t, [&](ui::Ctx& c) { board->update(c); });
        return screens::flightMarble(board, &x, &y, &r);
    };
    bool flying = false;
    for (int i = 0; i < 40 && !flying; ++i)
        flying = frame();
    ASSERT_TRUE(flying);

    const mar::Move m = mar::levelSolution(0).front();
    const mar::GameState s = mar::loadLevel(0);
    screens::BoardLayout b;
    screens::layoutBoard(b, 1280, 720, s.tubeCount(), s.capacity, true);
    const double fromY =
        screens::slotCy(b.tubes[m.from], static_cast<int>(s.tubes[m.from].size()) - 1);
    const double toY = screens::slotCy(b.tubes[m.to], static_cast<int>(s.tubes[m.to].size()));
    // The lifted marble (14 units up) goes straight to its slot: never higher, never back.
    const double top = std::min(fromY - 14, toY) - 0.5;
    const bool rightward = b.tubes[m.to].r.cx() > b.tubes[m.from].r.cx();
    int inAir = 1;
    double lastX = x;
    while (flying) {
        EXPECT_GE(y, top);
        EXPECT_TRUE(rightward ? x >= lastX : x <= lastX) << x << " after " << lastX;
        lastX = x;
        flying = frame();
        inAir += flying;
        // Seen at its start and then once a frame, 0.05 s apart.
        ASSERT_LE((inAir - 1) * 0.05, 0.15 + 1e-9) << "the slide lasts longer than 0.15 s";
    }
    // Landed without a bounce: the board stands as it is until the demo's next move.
    frame();
    const harness::Image landed = canvas.snapshot();
    ASSERT_FALSE(frame());
    ASSERT_FALSE(frame());
    const harness::Image later = canvas.snapshot();
    EXPECT_EQ(changedBox(landed, later).w, 0);
}

TEST_F(ReducedMotion, CelebrationsChangeNothingBeyondASoftGlowAndNeverTheWholeWindow) {
    ScreenDriver d(1280, 720);
    // The solved screen glows round its result instead of whirling dots over the window.
    ui::GameState solved = record(ScreenKind::Solved);
    solved.moves = 3;
    solved.elapsedMs = 42000;
    d.open(solved);
    d.idle(4);  // the stars have come in
    harness::Image before = d.snapshot();
    d.idle(1);
    ui::Rect box = changedBox(before, d.snapshot());
    EXPECT_GT(box.w, 0) << "the glow breathes";
    EXPECT_LT(share(box, d), 0.25)
        << "solved: " << box.x << "," << box.y << " " << box.w << "x" << box.h;

    // A perfect run's ending: no fireworks and no falling petals, the marble glows.
    ui::GameState ending = record(ScreenKind::Ending);
    ending.forcePerfect = 1;
    d.open(ending);
    d.idle(2);
    before = d.snapshot();
    d.idle(1);
    box = changedBox(before, d.snapshot());
    EXPECT_LT(share(box, d), 0.25)
        << "ending: " << box.x << "," << box.y << " " << box.w << "x" << box.h;

    // The board's win ends without the white-out over the window.
    d.open(record(ScreenKind::Playing));
    for (const mar::Move& m : mar::levelSolution(0)) {
        tapTube(d, m.from);
        tapTube(d, m.to);
        d.idle(0.6);  // a flight with motion on lasts 0.55 s
    }
    d.idle(2);
    ASSERT_EQ(topKind(), ScreenKind::Playing);
    before = d.snapshot();
    for (int i = 0; i < 120 && topKind() == ScreenKind::Playing; ++i) {
        const harness::Image now = d.snapshot();
        box = changedBox(before, now);
        ASSERT_LT(share(box, d), 0.25) << "the board at " << d.t();
        d.frame();
    }
    EXPECT_EQ(topKind(), ScreenKind::Solved);
}
