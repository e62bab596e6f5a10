// The playing screen through the real game loop: scripted clicks on an offscreen window.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/levels.h"
#include "core/puzzle.h"
#include "core/puzzle_code.h"
#include "core/state.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "platform/puzzle_maker.h"
#include "screens/playing.h"
#include "screens/solved.h"
#include "test_support.h"
#include "ui/hint_marks.h"
#include "ui/tube.h"

using harness::Canvas;
using harness::Options;
using screens::BoardLayout;
using screens::layoutBoard;
using ui::ScreenKind;
using namespace testsupport;

namespace {

constexpr double kDt = 0.05;

// Drives the whole game loop at a fixed frame step on one offscreen canvas.
class Loop {
  public:
    Loop(int w, int h) : canvas_(opts(w, h)), w_(w), h_(h) {}

    bool ok() const { return canvas_.ok(); }
    double t() const { return t_; }

    void open(int level, uint32_t seed = 0) {
        ui::GameState s;
        s.kind = ScreenKind::Playing;
        s.level = level;
        s.seed = seed;
        ui::Game::instance()->resetTo(s);
        frame();  // the request is carried out after this frame
        frame();  // the board's first frame
        start_ = mar::loadLevel(level);
    }
    // A generated puzzle's board, once the puzzle maker has made it.
    void openPuzzle(const puzzle::Puzzle& p, const std::string& date = "") {
        ui::GameState s;
        s.kind = ScreenKind::Playing;
        s.code = puzzle::encode(p.id);
        s.date = date;
        ui::Game::instance()->resetTo(s);
        frame();
        for (int i = 0; i < 2000 && !maker::get(p.id); ++i)
            SDL_Delay(2);
        frame();  // the board's first frame
        start_ = p.start;
    }

    void frame(double x = -1, double y = -1, int key = 0, bool ctrl = false) {
        frameWithKeys(x, y, key ? std::vector<int>{key} : std::vector<int>{}, ctrl);
    }
    // Keys typed so close together that they arrive in one frame, in this order.
    void frameWithKeys(double x, double y, const std::vector<int>& keys, bool ctrl = false) {
        t_ += kDt;
        canvas_.frame(t_, [&](ui::Ctx& c) {
            c.in.mouseX = x;
            c.in.mouseY = y;
            c.in.pressed = x >= 0;
            c.in.keys = keys;
            c.in.ctrl = ctrl;
            ui::Game::instance()->update(c);
        });
    }
    void wait(double seconds) {
        for (double s = 0; s < seconds - 1e-9; s += kDt)
            frame();
    }
    void tapTube(int i) {
        const ui::Rect r = board().tubes[i].r;
        frame(r.cx(), r.cy());
    }
    // A whole move: pick up, put down, and let the marble land.
    void move(const mar::Move& m) {
        tapTube(m.from);
        tapTube(m.to);
        wait(0.6);
    }
    BoardLayout board() const {
        BoardLayout b;
        layoutBoard(b, w_, h_, start_.tubeCount(), start_.capacity, false);
        return b;
    }
    harness::Image shot() const { return canvas_.snapshot(); }

  private:
    static Options opts(int w, int h) {
        Options o;
        o.w = w;
        o.h = h;
        return o;
    }
    Canvas canvas_;
    int w_, h_;
    mar::GameState start_ = mar::loadLevel(0);
    double t_ = 100;
};

ScreenKind topKind() {
    return ui::Game::instance()->top().kind;
}

class PlayingScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        // The last test's board would save its game into the fresh folder when it goes.
        ui::Game::instance()->shutdown();
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
    }
};

// A non-solving legal move of a level's start position, and a refused one.
mar::Move legalMove(const mar::GameState& s) {
    return mar::legalMoves(s).front();
}

}  // namespace

TEST_F(PlayingScreen, ClickingTheStoredSolutionSolvesLevelOneAndHandsOverAt627) {
    Loop loop(1280, 720);
    ASSERT_TRUE(loop.ok());
    loop.open(0, 77);
    const auto solution = mar::levelSolution(0);
    mar::GameState expected = mar::loadLevel(0);
    double lastTap = 0;
    for (size_t i = 0; i < solution.size(); ++i) {
        loop.tapTube(solution[i].from);
        loop.tapTube(solution[i].to);
        lastTap = loop.t();
        expected = mar::applyMoveOne(expected, solution[i]);
        if (i + 1 < solution.size()) {
            store::SavedGame g = store::loadGame();
            ASSERT_TRUE(g.valid) << "move " << i;
            EXPECT_EQ(g.state, expected);
            EXPECT_EQ(g.moveCount, static_cast<int>(i + 1));
            ASSERT_EQ(g.history.size(), i + 1);
            EXPECT_EQ(g.history.back(), solution[i]);
            loop.wait(0.6);
        }
    }
    loop.frame();  // the solve test runs at the start of the next frame
    EXPECT_FALSE(fileExists(dataDir() + "/save.json"));
    const double solvedAt = lastTap + kDt;
    auto solves = store::listSolves();
    ASSERT_EQ(solves.size(), 1u);
    EXPECT_EQ(solves[0].level, 0);
    EXPECT_EQ(solves[0].seed, 77u);
    EXPECT_EQ(solves[0].moves, static_cast<int>(solution.size()));
    EXPECT_EQ(solves[0].stars, 3);
    EXPECT_EQ(solves[0].finalTubes, expected.tubes);
    while (loop.t() + kDt < solvedAt + 6.27 - 1e-6) {
        loop.frame();
        ASSERT_EQ(topKind(), ScreenKind::Playing) << "at " << loop.t() - solvedAt;
    }
    loop.frame();
    EXPECT_EQ(topKind(), ScreenKind::Solved) << "at " << loop.t() - solvedAt;
    EXPECT_EQ(ui::Game::instance()->top().moves, static_cast<int>(solution.size()));
    EXPECT_EQ(ui::Game::instance()->top().level, 0);
}

// The clipboard's text, or "" when it holds none.
std::string clipboard() {
    char* text = SDL_GetClipboardText();
    std::string out = text ? text : "";
    SDL_free(text);
    return out;
}

TEST_F(PlayingScreen, APuzzleBoardCopiesItsCodeAndItsSolveOffersTheNextPuzzleOfItsStep) {
    Loop loop(1280, 720);
    ASSERT_TRUE(loop.ok());
    const puzzle::Puzzle p = puzzle::generate({puzzle::kVersion, 1, 31337});
    const std::string code = puzzle::encode(p.id);
    // While the maker works, and once the board is there, Escape leaves.
    maker::shutdown();
    ui::GameState record;
    record.kind = ScreenKind::Playing;
    record.code = code;
    ui::Game::instance()->resetTo(record);
    loop.frame();
    loop.frame(-1, -1, SDLK_ESCAPE);
    loop.frame();
    EXPECT_EQ(topKind(), ScreenKind::Menu);

    // Ctrl+C and the copy button in the footer's corner put the code on the clipboard; C alone
    // and Ctrl+R do nothing.
    loop.openPuzzle(p);
    SDL_SetClipboardText("");
    loop.frame(-1, -1, SDLK_c);
    EXPECT_EQ(clipboard(), "");
    loop.frame(-1, -1, SDLK_c, true);
    EXPECT_EQ(clipboard(), code);
    SDL_SetClipboardText("");
    loop.frame(16 + 70, 720 - 76 + 4 + 17);
    EXPECT_EQ(clipboard(), code);
    loop.move(p.solution[0]);
    loop.frame(-1, -1, SDLK_r, true);
    EXPECT_EQ(store::loadGame().moveCount, 1);
    EXPECT_EQ(store::loadGame().code, code);

    for (size_t i = 1; i < p.solution.size(); ++i)
        loop.move(p.solution[i]);
    loop.wait(6.3);
    ASSERT_EQ(topKind(), ScreenKind::Solved);
    const ui::GameState solved = ui::Game::instance()->top();
    EXPECT_EQ(solved.code, code);
    EXPECT_EQ(solved.moves, p.optimum);
    EXPECT_EQ(solved.optimum, p.optimum);
    loop.frame();
    ASSERT_EQ(store::listPuzzleResults().size(), 1u);
    EXPECT_EQ(store::listPuzzleResults()[0].stars, 3);
    EXPECT_TRUE(store::listSolves().empty());
    EXPECT_FALSE(fileExists(dataDir() + "/progress.json"));

    // The puzzle's result names its optimum on a line of its own, which the buttons keep under.
    const auto buttons = screens::solvedButtonRects(1280, 720, 0);
    loop.frame(buttons[0].cx(), buttons[0].cy());
    loop.frame();
    const ui::GameState next = ui::Game::instance()->top();
    ASSERT_EQ(next.kind, ScreenKind::Playing);
    const auto nextId = puzzle::decode(next.code);
    ASSERT_TRUE(nextId);
    EXPECT_NE(next.code, code);
    EXPECT_EQ(puzzle::stepOfSize(nextId->size), puzzle::stepOfSize(p.id.size));
    EXPECT_TRUE(next.date.empty());

    // After a daily, "Play again" leads and the menu follows; there is no next puzzle.
    for (int button : {0, 1}) {
        ui::GameState daily = solved;
        daily.date = "2026-12-07";
        ui::Game::instance()->resetTo(daily);
        loop.frame();
        loop.frame(buttons[button].cx(), buttons[button].cy());
        loop.frame();
        const ui::GameState after = ui::Game::instance()->top();
        EXPECT_EQ(after.kind, button == 0 ? ScreenKind::Playing : ScreenKind::Menu);
        if (button == 0) {
            EXPECT_EQ(after.code, code);
            EXPECT_EQ(after.date, daily.date);
        }
    }
    EXPECT_FALSE(fileExists(dataDir() + "/progress.json"));
}

TEST_F(PlayingScreen, TapsAndKeysDriveUndoRestartRefusalsAndFlights) {
    Loop loop(1280, 720);
    ASSERT_TRUE(loop.ok());
    loop.open(0);
    const mar::GameState start = mar::loadLevel(0);
    const mar::Move m = legalMove(start);

    // A move then an undo leaves the counter at 2.
    loop.move(m);
    loop.frame(-1, -1, SDLK_u);
    store::SavedGame g = store::loadGame();
    EXPECT_EQ(g.moveCount, 2);
    EXPECT_EQ(g.state, start);

    // Restart saves the start position with no moves and no time.
    loop.move(m);
    loop.wait(1.0);
    loop.frame(-1, -1, SDLK_r);
    g = store::loadGame();
    EXPECT_EQ(g.moveCount, 0);
    EXPECT_EQ(g.elapsedMs, 0);
    EXPECT_EQ(g.state, start);

    // A refused target keeps the pick-up: the next tap on a legal target still moves.
    int refused = -1;
    for (int i = 0; i < start.tubeCount(); ++i)
        if (i != m.from && !mar::canMoveOne(start, m.from, i)) refused = i;
    ASSERT_GE(refused, 0);
    loop.tapTube(m.from);
    loop.tapTube(refused);
    EXPECT_EQ(store::loadGame().moveCount, 0);
    loop.tapTube(m.to);
    EXPECT_EQ(store::loadGame().moveCount, 1);

    // Taps and undo during the flight are ignored.
    const mar::GameState afterOne = mar::applyMoveOne(start, m);
    const mar::Move m2 = legalMove(afterOne);
    loop.tapTube(m2.from);
    loop.frame(-1, -1, SDLK_BACKSPACE);
    EXPECT_EQ(store::loadGame().moveCount, 1);
    loop.wait(0.6);
    // Had the tap during the flight picked up, this would now be a move onto m2.from.
    loop.move(m2);
    g = store::loadGame();
    EXPECT_EQ(g.moveCount, 2);
    EXPECT_EQ(g.state, mar::applyMoveOne(afterOne, m2));

    // Escape leaves for the menu and the game stays saved.
    loop.frame(-1, -1, SDLK_ESCAPE);
    EXPECT_EQ(topKind(), ScreenKind::Menu);
    EXPECT_TRUE(store::loadGame().valid);
}

TEST_F(PlayingScreen, ReopeningTheLevelResumesAndAnotherLevelReplacesItOnlyByAMove) {
    Loop loop(800, 480);
    ASSERT_TRUE(loop.ok());
    loop.open(0);
    const mar::GameState start = mar::loadLevel(0);
    const mar::Move m = legalMove(start);
    loop.move(m);
    loop.wait(2.0);
    loop.frame(-1, -1, SDLK_ESCAPE);
    loop.frame();
    const store::SavedGame before = store::loadGame();
    ASSERT_TRUE(before.valid);
    loop.open(0);
    loop.frame(-1, -1, SDLK_u);  // the resumed game keeps counting
    store::SavedGame g = store::loadGame();
    EXPECT_EQ(g.moveCount, before.moveCount + 1);
    EXPECT_GE(g.elapsedMs, before.elapsedMs);
    EXPECT_EQ(g.state, start);
    loop.open(1);
    loop.frame(-1, -1, SDLK_ESCAPE);
    loop.frame();
    EXPECT_EQ(store::loadGame().level, 0);
    loop.open(1);
    loop.move(legalMove(mar::loadLevel(1)));
    EXPECT_EQ(store::loadGame().level, 1);
}

TEST_F(PlayingScreen, TheSolveKeepsItsRewardAtOnceAndTheBoardStaysFinalUntilLeft) {
    Loop loop(1280, 720);
    ASSERT_TRUE(loop.ok());
    loop.open(0, 5);
    const auto solution = mar::levelSolution(0);
    const int moves = static_cast<int>(solution.size());
    for (const mar::Move& m : solution)
        loop.move(m);
    // Best and unlock are stored with the solve, not 6.27 s later on the solved screen.
    EXPECT_EQ(store::bestFor(0).stars, 3);
    EXPECT_EQ(store::bestFor(0).moves, moves);
    EXPECT_GE(store::unlockedLevel(), 2);

    // Undo and Restart, by button or key, change nothing now and write no saved game.
    const ui::Rect undoButton{1280 - 16 - 104, 14, 104, 36}, restartButton{565, 648, 150, 34};
    loop.frame(undoButton.cx(), undoButton.cy());
    loop.frame(restartButton.cx(), restartButton.cy());
    loop.frame(-1, -1, SDLK_u);
    loop.frame(-1, -1, SDLK_r);
    EXPECT_FALSE(fileExists(dataDir() + "/save.json"));
    loop.wait(6.3);
    ASSERT_EQ(topKind(), ScreenKind::Solved);
    EXPECT_EQ(ui::Game::instance()->top().moves, moves);
    loop.frame();
    EXPECT_EQ(store::bestFor(0).moves, moves);
    EXPECT_EQ(store::listSolves().at(0).moves, moves);

    // Escape still leaves during the win sequence.
    loop.open(0, 6);
    for (const mar::Move& m : solution)
        loop.move(m);
    loop.frame(-1, -1, SDLK_ESCAPE);
    EXPECT_EQ(topKind(), ScreenKind::Menu);
}

TEST_F(PlayingScreen, UndoWithAnEmptyHistoryKeepsTheLiftedMarble) {
    Loop loop(1280, 720);
    ASSERT_TRUE(loop.ok());
    loop.open(0);
    const mar::Move m = legalMove(mar::loadLevel(0));
    loop.tapTube(m.from);
    loop.frame(-1, -1, SDLK_u);
    loop.tapTube(m.to);  // still the lifted marble's target
    EXPECT_EQ(store::loadGame().moveCount, 1);
}

TEST_F(PlayingScreen, LeavingKeepsTheTimeSinceTheLastMoveButAnUntouchedBoardSavesNothing) {
    Loop loop(1280, 720);
    ASSERT_TRUE(loop.ok());
    loop.open(1);
    loop.wait(2.0);
    loop.frame(-1, -1, SDLK_ESCAPE);
    loop.frame();
    EXPECT_FALSE(fileExists(dataDir() + "/save.json"));

    loop.open(0);
    loop.move(legalMove(mar::loadLevel(0)));
    loop.wait(3.0);
    loop.frame(-1, -1, SDLK_ESCAPE);
    loop.frame();
    const int64_t afterEscape = store::loadGame().elapsedMs;
    EXPECT_GE(afterEscape, 3000);

    // Quitting (window closed, Ctrl+Q, a signal) ends the screen the same way.
    loop.open(0);
    loop.wait(2.0);
    ui::Game::instance()->shutdown();
    EXPECT_GE(store::loadGame().elapsedMs, afterEscape + 1900);
    EXPECT_EQ(store::loadGame().moveCount, 1);
}

TEST(PlayingLayout, RowsAndChromeFollowTubeCountAndWindowHeight) {
    BoardLayout b;
    layoutBoard(b, 1280, 720, 7, 4, false);
    EXPECT_EQ(b.rows, 1);
    for (const auto& t : b.tubes)
        EXPECT_EQ(t.r.y, b.tubes[0].r.y);
    EXPECT_EQ(b.headerH, 64);
    EXPECT_EQ(b.footerH, 76);

    layoutBoard(b, 1280, 720, 8, 4, false);
    EXPECT_EQ(b.rows, 2);
    EXPECT_EQ(b.perRow, 4);
    EXPECT_EQ(b.tubes[3].r.y, b.tubes[0].r.y);
    EXPECT_GT(b.tubes[4].r.y, b.tubes[0].r.bottom());
    EXPECT_EQ(b.tubes[4].r.x, b.tubes[0].r.x);

    layoutBoard(b, 800, 559, 5, 4, false);
    EXPECT_EQ(b.headerH, 52);
    EXPECT_EQ(b.footerH, 58);
    layoutBoard(b, 800, 560, 5, 4, false);
    EXPECT_EQ(b.headerH, 64);
    layoutBoard(b, 800, 480, 5, 4, true);
    EXPECT_EQ(b.headerH, 0);
    EXPECT_EQ(b.footerH, 0);

    // Every board of the catalogue fits its window between the chrome bars.
    for (int level : {0, 49, 104}) {
        const mar::GameState s = mar::loadLevel(level);
        for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
            layoutBoard(b, w, h, s.tubeCount(), s.capacity, false);
            for (const auto& t : b.tubes) {
                EXPECT_GE(t.r.x, 0) << level;
                EXPECT_LE(t.r.right(), w) << level;
                EXPECT_GE(t.r.y, b.headerH) << level;
                EXPECT_LE(t.r.bottom(), h - b.footerH) << level;
            }
        }
    }
}

// Writes the pictures worth looking at when VANTREL_SHOTS names a directory.
TEST_F(PlayingScreen, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
        Loop loop(w, h);
        ASSERT_TRUE(loop.ok());
        for (int level : {0, 49, 104}) {
            loop.open(level);
            loop.wait(0.3);
            loop.shot().writePng(std::string(dir) + "/play_" + std::to_string(level + 1) + "_" +
                                 std::to_string(w) + ".png");
        }
        loop.open(0);
        const mar::Move m = mar::levelSolution(0).front();
        loop.tapTube(m.from);
        loop.tapTube(m.to);
        loop.wait(0.25);
        loop.shot().writePng(std::string(dir) + "/flight_" + std::to_string(w) + ".png");
        loop.wait(0.6);
        for (size_t i = 1; i < mar::levelSolution(0).size(); ++i)
            loop.move(mar::levelSolution(0)[i]);
        loop.wait(5.5);
        loop.shot().writePng(std::string(dir) + "/veil_" + std::to_string(w) + ".png");
        // A one-row board and the two-row boards with a hint on show.
        for (int level : {0, 59, 104}) {
            loop.open(level, 7);
            loop.frame(-1, -1, SDLK_h);
            for (int f = 0; f < 60; ++f) {
                SDL_Delay(5);
                loop.frame();
            }
            loop.shot().writePng(std::string(dir) + "/hint_" + std::to_string(level + 1) + "_" +
                                 std::to_string(w) + ".png");
        }
        // A generated puzzle: waiting for the maker, its board with the code (in Arabic too, and
        // just copied), and its solved screen.
        const std::string size = "_" + std::to_string(w) + ".png";
        const puzzle::Puzzle big = puzzle::generate({puzzle::kVersion, 12, 4711});
        maker::shutdown();
        ui::GameState waiting;
        waiting.kind = ScreenKind::Playing;
        waiting.code = puzzle::encode(big.id);
        ui::Game::instance()->resetTo(waiting);
        loop.frame();
        loop.frame();
        loop.shot().writePng(std::string(dir) + "/puzzle_preparing" + size);
        for (const char* lang : {"en", "ar"}) {
            i18n::setLanguage(lang);
            loop.openPuzzle(big, lang == std::string("ar") ? "2026-12-07" : "");
            loop.wait(0.3);
            loop.shot().writePng(std::string(dir) + "/puzzle_" + lang + size);
        }
        i18n::setLanguage("en");
        loop.openPuzzle(big);
        loop.frame(-1, -1, SDLK_c, true);
        loop.frame();
        loop.shot().writePng(std::string(dir) + "/puzzle_copied" + size);
        const puzzle::Puzzle small = puzzle::generate({puzzle::kVersion, 1, 31337});
        loop.openPuzzle(small);
        for (const mar::Move& m : small.solution)
            loop.move(m);
        loop.wait(8.0);
        loop.shot().writePng(std::string(dir) + "/puzzle_solved" + size);
    }
}

TEST_F(PlayingScreen, ADemoBoardPlaysItsSolutionAloneAndSettles) {
    Loop loop(800, 480);
    ASSERT_TRUE(loop.ok());
    auto board = screens::makeAttractBoard(0, 5);
    const size_t moves = mar::levelSolution(0).size();
    double t = 0;
    bool done = false;
    // 0.65 s of pause and 0.55 s of flight per move, then 3.2 s of settling counted from the
    // last move; clicks and keys change nothing.
    for (int f = 0; f < 400 && !done; ++f) {
        t += kDt;
        done = screens::attractBoardDone(board);
        if (!done) {
            ui::Ctx c;
            cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 480);
            c.cr = cairo_create(s);
            c.w = 800;
            c.h = 480;
            c.t = t;
            c.dt = kDt;
            c.in.pressed = true;
            c.in.mouseX = 400;
            c.in.mouseY = 240;
            c.in.keys.push_back(SDLK_r);
            board->update(c);
            cairo_destroy(c.cr);
            cairo_surface_destroy(s);
        }
    }
    EXPECT_TRUE(done);
    const double expected = moves * 1.2 - 0.55 + 3.2;
    EXPECT_GE(t, expected);
    EXPECT_LE(t, expected + 0.2);
    EXPECT_FALSE(fileExists(dataDir() + "/save.json"));
    EXPECT_TRUE(store::listSolves().empty());
    EXPECT_FALSE(screens::attractBoardDone(screens::makeAttractBoard(1, 5)));
}

// The ground shadow under each tube of the upper row ends before the openings of the lower row
// begin, on demo boards and under the chrome alike.
TEST(PlayingLayout, TheUpperRowsShadowsEndAboveTheLowerRow) {
    BoardLayout b;
    int twoRowBoards = 0;
    for (int level = 0; level < mar::totalLevels(); ++level) {
        const mar::GameState s = mar::loadLevel(level);
        for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}, std::pair{640, 480},
                            std::pair{720, 1280}}) {
            for (bool demo : {false, true}) {
                layoutBoard(b, w, h, s.tubeCount(), s.capacity, demo);
                if (b.rows < 2) continue;
                ++twoRowBoards;
                const ui::Rect upper = b.tubes[0].r, lower = b.tubes[b.perRow].r;
                const ui::TubeReach reach = ui::tubeReach(upper.w);
                EXPECT_LE(upper.bottom() + reach.below, lower.y - reach.above)
                    << "level " << level + 1 << " at " << w << "x" << h << (demo ? " demo" : "");
                EXPECT_LE(lower.bottom(), h - b.footerH) << "level " << level + 1;
            }
        }
    }
    EXPECT_GT(twoRowBoards, 100);
}

// A window resized while a marble is in the air: from the next frame on the marble has the new
// layout's size and lands in the new layout's slot.
TEST_F(PlayingScreen, AResizeInMidFlightMovesTheMarbleOntoTheNewLayout) {
    Canvas canvas(Options{1280, 720});
    ASSERT_TRUE(canvas.ok());
    auto board = screens::makeAttractBoard(0, 5);
    double t = 100, x = 0, y = 0, r = 0;
    auto frame = [&](int w, int h) {
        t += kDt;
        canvas.frame(t, [&](ui::Ctx& c) {
            c.w = w;  // a smaller window drawn into the corner of the same canvas
            c.h = h;
            board->update(c);
        });
        return screens::flightMarble(board, &x, &y, &r);
    };
    // The demo's first move starts 0.65 s in; its flight lasts 0.55 s.
    bool flying = false;
    for (int i = 0; i < 40 && !flying; ++i)
        flying = frame(1280, 720);
    ASSERT_TRUE(flying);
    frame(1280, 720);

    const mar::Move m = mar::levelSolution(0).front();
    const mar::GameState s = mar::loadLevel(0);
    BoardLayout small;
    layoutBoard(small, 800, 480, s.tubeCount(), s.capacity, true);
    const screens::TubeLayout& to = small.tubes[m.to];
    const double landX = to.r.cx();
    const double landY = screens::slotCy(to, static_cast<int>(s.tubes[m.to].size()));
    double lastX = 0, lastY = 0;
    while (frame(800, 480)) {
        EXPECT_DOUBLE_EQ(r, small.tubes[m.from].marbleD / 2);
        lastX = x;
        lastY = y;
    }
    // The last frame in the air is a few hundredths of the arc before the landing.
    EXPECT_NEAR(lastX, landX, 0.1 * to.r.w);
    EXPECT_NEAR(lastY, landY, 2 * to.marbleD);
}

namespace {

// Hint-blue pixels (the outline and the notice's rim) along a row; sand and glass are warm.
int bluishInRow(const harness::Image& img, int y, int x0, int x1) {
    int n = 0;
    for (int x = std::max(x0, 0); x < std::min(x1, img.w); ++x) {
        const uint32_t p = img.at(x, y);
        if (harness::blueOf(p) - harness::redOf(p) > 90) ++n;
    }
    return n;
}

}  // namespace

TEST_F(PlayingScreen, AHintMarksTheNextMoveCountsOnceCapsTheStarsAndADeadEndIsToldUntilUndone) {
    Loop loop(1280, 720);
    ASSERT_TRUE(loop.ok());
    loop.open(0, 77);
    const BoardLayout b = loop.board();
    // The outline's bottom edge runs 5 below the tube, under its middle.
    auto marked = [&](int tube) {
        const ui::Rect r = b.tubes[tube].r;
        return bluishInRow(loop.shot(), static_cast<int>(r.bottom() + 5),
                           static_cast<int>(r.cx()) - 10, static_cast<int>(r.cx()) + 10) > 0;
    };
    EXPECT_FALSE(marked(0));
    // The worker answers within a few frames; each frame waits a little of real time for it.
    loop.frame(-1, -1, SDLK_h);
    for (int f = 0; f < 200 && !marked(0); ++f) {
        SDL_Delay(5);
        loop.frame();
    }
    const auto solution = mar::levelSolution(0);
    EXPECT_TRUE(marked(solution[0].from));
    EXPECT_TRUE(marked(solution[0].to));
    EXPECT_FALSE(marked(3 - solution[0].from - solution[0].to));
    loop.frame(-1, -1, SDLK_h);  // asked twice at one position: still one hint
    loop.wait(0.2);
    // A move, then an undo and a new question in one frame: the hint of the position the undo
    // left shows again, a second hint since it is shown anew.
    loop.frame(-1, -1, SDLK_1 + solution[0].from);
    loop.frame(-1, -1, SDLK_1 + solution[0].to);
    loop.wait(0.6);
    EXPECT_FALSE(marked(solution[0].from));
    loop.frameWithKeys(-1, -1, {SDLK_u, SDLK_h});
    for (int f = 0; f < 200 && !marked(solution[0].from); ++f) {
        SDL_Delay(5);
        loop.frame();
    }
    EXPECT_TRUE(marked(solution[0].from) && marked(solution[0].to));
    // Playing the shortest way with the number keys; the hint goes with the first move.
    for (const mar::Move& m : solution) {
        loop.frame(-1, -1, SDLK_1 + m.from);
        loop.frame(-1, -1, SDLK_1 + m.to);
        loop.wait(0.6);
        EXPECT_FALSE(marked(m.from) || marked(m.to));
    }
    const std::vector<store::SolveEntry> solves = store::listSolves();
    ASSERT_EQ(solves.size(), 1u);
    EXPECT_EQ(solves[0].hints, 2);
    EXPECT_EQ(solves[0].stars, 2);
    EXPECT_EQ(solves[0].moves, static_cast<int>(solution.size()) + 2);

    int level = 0;
    std::vector<mar::Move> trap;
    ASSERT_TRUE(harness::findTrap(30, 3, &level, &trap));
    loop.open(level, 78);
    const int noticeY = static_cast<int>(720 - loop.board().footerH - 34);
    auto told = [&] {
        // The notice's rim crosses the row near its ends.
        for (int f = 0; f < 200; ++f) {
            if (bluishInRow(loop.shot(), noticeY, 300, 980) > 0) return true;
            SDL_Delay(5);
            loop.frame();
        }
        return false;
    };
    for (const mar::Move& m : trap)
        loop.move(m);
    EXPECT_TRUE(told()) << "level " << level << " after " << trap.size() << " moves";
    loop.frame(-1, -1, SDLK_u);
    loop.wait(0.3);
    EXPECT_EQ(bluishInRow(loop.shot(), noticeY, 300, 980), 0);
}

// A hint's arc (with its halo and head) and its label cover no marble's place, and the label
// stays between header and footer, on the boards of two rows and on one-row boards alike, at
// every window size and for every move the hint may show.
TEST(PlayingLayout, AHintsArcAndLabelKeepOffTheMarbles) {
    auto hits = [](const ui::Rect& r, double x, double y, double reach) {
        return x > r.x - reach && x < r.right() + reach && y > r.y - reach &&
               y < r.bottom() + reach;
    };
    BoardLayout b;
    for (int level : {0, 49, 59, 104}) {
        const mar::GameState s = mar::loadLevel(level);
        for (auto [w, h] : {std::pair{800, 480}, std::pair{1024, 600}, std::pair{1280, 720},
                            std::pair{1920, 1080}, std::pair{3840, 2160}}) {
            layoutBoard(b, w, h, s.tubeCount(), s.capacity, false);
            // Every slot, the top one as high as a lifted marble (14 above).
            std::vector<ui::Rect> marbles;
            for (const auto& t : b.tubes)
                for (int j = 0; j < s.capacity; ++j) {
                    const double r = t.marbleD / 2, lift = j == s.capacity - 1 ? 14 : 0;
                    marbles.push_back(
                        {t.r.cx() - r, screens::slotCy(t, j) - r - lift, 2 * r, 2 * r + lift});
                }
            const ui::Rect area{0, b.headerH, double(w), h - b.headerH - b.footerH};
            for (int from = 0; from < s.tubeCount(); ++from)
                for (int to = 0; to < s.tubeCount(); ++to) {
                    if (from == to) continue;
                    for (double labelW : {130.0, 300.0}) {
                        const ui::HintPlan p =
                            ui::planHint(b.tubes[from].r, b.tubes[to].r, marbles, area, labelW, 31);
                        const std::string where = "level " + std::to_string(level + 1) + " at " +
                                                  std::to_string(w) + "x" + std::to_string(h) +
                                                  ", " + std::to_string(from + 1) + " to " +
                                                  std::to_string(to + 1);
                        ASSERT_FALSE(p.arc.empty()) << where;
                        int covered = 0;
                        for (const auto& c : p.arc)
                            for (int i = 0; i <= 200; ++i) {
                                const double t = i / 200.0, u = 1 - t;
                                const double x = u * u * u * c[0].x + 3 * u * u * t * c[1].x +
                                                 3 * u * t * t * c[2].x + t * t * t * c[3].x;
                                const double y = u * u * u * c[0].y + 3 * u * u * t * c[1].y +
                                                 3 * u * t * t * c[2].y + t * t * t * c[3].y;
                                for (const ui::Rect& m : marbles)
                                    covered += hits(m, x, y, ui::kHintArcReach);
                            }
                        for (const ui::HintPoint& q : ui::hintHead(p.arc.back()[3]))
                            for (const ui::Rect& m : marbles)
                                covered += hits(m, q.x, q.y, ui::kHintArcReach);
                        EXPECT_EQ(covered, 0) << "arc, " << where;
                        const ui::Rect& l = p.label;
                        for (const ui::Rect& m : marbles)
                            EXPECT_FALSE(l.x < m.right() && m.x < l.right() && l.y < m.bottom() &&
                                         m.y < l.bottom())
                                << "label, " << where;
                        EXPECT_GE(l.y, b.headerH) << where;
                        EXPECT_LE(l.bottom(), h - b.footerH) << where;
                        EXPECT_GE(l.x, 0) << where;
                        EXPECT_LE(l.right(), w) << where;
                    }
                }
        }
    }
}
