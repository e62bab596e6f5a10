// The playing screen's rules: moves, undo, restart, the clock, saving, resuming and solving, for
// catalogue levels and generated puzzles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/daily.h"
#include "core/levels.h"
#include "core/puzzle.h"
#include "core/puzzle_code.h"
#include "core/state.h"
#include "core/storage.h"
#include "screens/board_motion.h"
#include "screens/playing_logic.h"
#include "test_support.h"

using screens::PlayingLogic;
using screens::WinStep;
using namespace testsupport;

namespace {

constexpr uint32_t kSeed = 4242;

std::string savePath() {
    return dataDir() + "/save.json";
}

// Plays one move the way the screen does: the marble flies, then lands.
void play(PlayingLogic& p, const mar::Move& m) {
    ASSERT_TRUE(mar::canMoveOne(p.state(), m.from, m.to)) << m.from << "->" << m.to;
    p.doMove(m.from, m.to);
    p.landFlight();
}

// The first legal move of level 0 that does not solve it.
mar::Move firstMove(const PlayingLogic& p) {
    auto moves = mar::legalMoves(p.state());
    EXPECT_FALSE(moves.empty());
    return moves.front();
}

// A small generated puzzle, made once for all tests.
const puzzle::Puzzle& smallPuzzle() {
    static const puzzle::Puzzle p = puzzle::generate({puzzle::kVersion, 1, 31337});
    return p;
}

class PlayingLogicTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
    }
};

}  // namespace

TEST_F(PlayingLogicTest, SolvingLevelZeroSavesEveryMoveThenRecordsTheSolve) {
    PlayingLogic p(0, kSeed, false);
    p.beginFrame(10.0);
    const auto solution = mar::levelSolution(0);
    ASSERT_FALSE(solution.empty());
    mar::GameState expected = p.initial();
    for (size_t i = 0; i < solution.size(); ++i) {
        play(p, solution[i]);
        expected = mar::applyMoveOne(expected, solution[i]);
        EXPECT_EQ(p.state(), expected);
        if (i + 1 < solution.size()) {
            store::SavedGame g = store::loadGame();
            ASSERT_TRUE(g.valid) << "after move " << i;
            EXPECT_EQ(g.level, 0);
            EXPECT_EQ(g.seed, kSeed);
            EXPECT_EQ(g.state, expected);
            EXPECT_EQ(g.moveCount, static_cast<int>(i + 1));
            ASSERT_EQ(g.history.size(), i + 1);
            for (size_t k = 0; k <= i; ++k)
                EXPECT_EQ(g.history[k], solution[k]);
        }
        EXPECT_EQ(p.checkSolved(10.0 + i), i + 1 == solution.size());
    }
    // The solving move is recorded as a solve, never as a running game.
    EXPECT_FALSE(fileExists(savePath()));
    auto solves = store::listSolves();
    ASSERT_EQ(solves.size(), 1u);
    const auto& e = solves.front();
    EXPECT_EQ(e.level, 0);
    EXPECT_EQ(e.seed, kSeed);
    EXPECT_EQ(e.moves, static_cast<int>(solution.size()));
    EXPECT_EQ(e.stars, 3);
    EXPECT_EQ(e.capacity, p.state().capacity);
    EXPECT_EQ(e.finalTubes, p.state().tubes);
    EXPECT_EQ(e.elapsedMs, static_cast<int64_t>((solution.size() - 1) * 1000));
    EXPECT_FALSE(e.id.empty());
    // Only one solve test fires.
    EXPECT_FALSE(p.checkSolved(99.0));
    EXPECT_EQ(store::listSolves().size(), 1u);
}

TEST_F(PlayingLogicTest, AnUndoCountsAsAMoveAndRestoresTheMarbleExactly) {
    PlayingLogic p(0, kSeed, false);
    p.beginFrame(0);
    const auto before = p.state();
    const auto rotBefore = p.rotations();
    // Nothing to undo yet.
    p.undo();
    EXPECT_EQ(p.moveCount(), 0);

    const mar::Move m = firstMove(p);
    auto out = p.doMove(m.from, m.to);
    EXPECT_EQ(out.startRotation, rotBefore[m.from].back());
    EXPECT_EQ(out.endRotation, p.rotationFor(m.to, out.toSlot, out.colorId));
    // No undo while the marble is in the air.
    p.undo();
    EXPECT_EQ(p.moveCount(), 1);
    EXPECT_EQ(p.historySize(), 1);
    p.landFlight();
    p.undo();
    EXPECT_EQ(p.moveCount(), 2);
    EXPECT_EQ(p.historySize(), 0);
    EXPECT_EQ(p.state(), before);
    EXPECT_EQ(p.rotations(), rotBefore);
    store::SavedGame g = store::loadGame();
    ASSERT_TRUE(g.valid);
    EXPECT_EQ(g.moveCount, 2);
    EXPECT_TRUE(g.history.empty());
    EXPECT_EQ(g.state, before);
}

TEST_F(PlayingLogicTest, RestartSavesTheStartPositionWithNoMovesAndNoTime) {
    PlayingLogic p(0, kSeed, false);
    p.beginFrame(1.0);
    play(p, firstMove(p));
    p.beginFrame(4.5);
    EXPECT_EQ(p.elapsedMs(), 3500);
    p.restart();
    EXPECT_EQ(p.moveCount(), 0);
    EXPECT_EQ(p.historySize(), 0);
    EXPECT_EQ(p.state(), p.initial());
    EXPECT_FALSE(p.flying());
    EXPECT_EQ(p.elapsedMs(), 0);
    store::SavedGame g = store::loadGame();
    ASSERT_TRUE(g.valid);
    EXPECT_EQ(g.state, p.initial());
    EXPECT_EQ(g.moveCount, 0);
    EXPECT_EQ(g.elapsedMs, 0);
    EXPECT_TRUE(g.history.empty());
    // The clock starts again on the next frame.
    p.beginFrame(7.0);
    p.beginFrame(7.25);
    EXPECT_EQ(p.elapsedMs(), 250);
}

TEST_F(PlayingLogicTest, ResumingKeepsPositionCounterAndTime) {
    mar::GameState afterTwo;
    {
        PlayingLogic p(0, kSeed, false);
        p.beginFrame(0);
        play(p, firstMove(p));
        p.beginFrame(2.0);
        play(p, firstMove(p));
        afterTwo = p.state();
    }
    PlayingLogic r(0, kSeed, false);
    EXPECT_EQ(r.state(), afterTwo);
    EXPECT_EQ(r.moveCount(), 2);
    EXPECT_EQ(r.historySize(), 2);
    EXPECT_EQ(r.elapsedMs(), 2000);
    r.beginFrame(50.0);
    r.beginFrame(50.5);
    EXPECT_EQ(r.elapsedMs(), 2500);
    // Rotations follow from the positions; an undone resumed move had no remembered angle.
    for (int i = 0; i < r.state().tubeCount(); ++i)
        for (size_t j = 0; j < r.state().tubes[i].size(); ++j)
            EXPECT_EQ(r.rotations()[i][j],
                      r.rotationFor(i, static_cast<int>(j), r.state().tubes[i][j]));
    const mar::Move last = store::loadGame().history.back();
    r.undo();
    EXPECT_EQ(r.rotations()[last.from].back(), 0.0);
    EXPECT_EQ(r.moveCount(), 3);
}

TEST_F(PlayingLogicTest, AnotherBoardKeepsTheSavedGameUntilItsFirstMove) {
    {
        PlayingLogic p(0, kSeed, false);
        play(p, firstMove(p));
    }
    const store::SavedGame saved = store::loadGame();
    ASSERT_TRUE(saved.valid);
    // Another level, or the same level with another seed: looking, a hint, a restart and
    // leaving change nothing; the first move writes the new board's game over the old one.
    for (const auto& [level, seed] : {std::pair{1, kSeed}, std::pair{0, kSeed + 1}}) {
        {
            PlayingLogic other(level, seed, false);
            EXPECT_EQ(other.moveCount(), 0);
            EXPECT_EQ(other.state(), other.initial());
            other.beginFrame(1.0);
            other.noteHint();
            other.restart();
            other.beginFrame(3.0);
            other.leave();
        }
        EXPECT_EQ(store::loadGame().history, saved.history) << level;
        EXPECT_EQ(store::loadGame().seed, saved.seed) << level;
        PlayingLogic other(level, seed, false);
        other.noteHint();
        play(other, firstMove(other));
        const store::SavedGame replaced = store::loadGame();
        EXPECT_EQ(replaced.level, level);
        EXPECT_EQ(replaced.seed, seed);
        EXPECT_EQ(replaced.moveCount, 1);
        EXPECT_EQ(replaced.hints, 1);  // the hint before the first move is not lost
        store::saveGame(saved);
    }
}

TEST_F(PlayingLogicTest, AHostileSavedGameStartsTheLevelFresh) {
    const mar::GameState start = mar::loadLevel(0);
    const int colors = mar::levelInfo(0).colors;
    auto base = [&] {
        store::SavedGame g;
        g.valid = true;
        g.level = 0;
        g.seed = kSeed;
        g.state = start;
        g.moveCount = 7;
        g.elapsedMs = 1234;
        return g;
    };
    std::vector<std::pair<std::string, store::SavedGame>> cases;
    {
        auto g = base();
        g.state.tubes.front().front() = -3;
        cases.push_back({"negative colour", g});
    }
    {
        auto g = base();
        g.state.tubes.front().front() = colors;
        cases.push_back({"colour past the palette", g});
    }
    {
        // Same marble count, but one tube holds more than the glass.
        auto g = base();
        int full = -1, other = -1;
        for (int i = 0; i < g.state.tubeCount(); ++i) {
            if (static_cast<int>(g.state.tubes[i].size()) == g.state.capacity && full < 0)
                full = i;
            else if (!g.state.tubes[i].empty() && other < 0)
                other = i;
        }
        ASSERT_GE(full, 0);
        ASSERT_GE(other, 0);
        g.state.tubes[full].push_back(g.state.tubes[other].back());
        g.state.tubes[other].pop_back();
        cases.push_back({"over-full tube", g});
    }
    {
        auto g = base();
        g.history.push_back({0, start.tubeCount() + 5});
        cases.push_back({"history names a missing tube", g});
    }
    {
        auto g = base();
        g.level = 3;
        cases.push_back({"wrong level", g});
    }
    {
        auto g = base();
        g.state.tubes.push_back({});
        cases.push_back({"extra tube", g});
    }
    for (const auto& [name, g] : cases) {
        SCOPED_TRACE(name);
        // Another level's game may be whole; it is only not this board's.
        if (name != "wrong level") {
            EXPECT_NE(store::savedGameProblem(g), "");
        }
        wipeDataDir();
        store::ensureDataDirs();
        store::saveGame(g);
        PlayingLogic p(0, kSeed, false);
        EXPECT_EQ(p.state(), start);
        EXPECT_EQ(p.moveCount(), 0);
        EXPECT_EQ(p.elapsedMs(), 0);
        EXPECT_FALSE(fileExists(savePath()));
        // The board is fully playable afterwards.
        p.undo();
        play(p, firstMove(p));
        EXPECT_TRUE(store::loadGame().valid);
    }
    EXPECT_EQ(store::savedGameProblem(base()), "");
}

TEST_F(PlayingLogicTest, APuzzleBoardPlaysSavesResumesAndRecordsItsSolveInPuzzlesJsonAlone) {
    const puzzle::Puzzle& p = smallPuzzle();
    ASSERT_GT(p.optimum, 1);
    const std::string code = puzzle::encode(p.id);
    for (const std::string date : {"", "2026-12-07"}) {
        SCOPED_TRACE(date);
        wipeDataDir();
        store::ensureDataDirs();
        {
            PlayingLogic b(p, date);
            EXPECT_EQ(b.state(), p.start);
            EXPECT_EQ(b.info().solutionLength, p.optimum);
            EXPECT_EQ(b.info().tier, p.id.size);
            EXPECT_EQ(b.code(), code);
            b.beginFrame(10.0);
            play(b, p.solution[0]);
            const store::SavedGame g = store::loadGame();
            EXPECT_EQ(g.code, code);
            EXPECT_EQ(g.date, date);
            EXPECT_EQ(g.level, -1);
            EXPECT_EQ(g.moveCount, 1);
            EXPECT_EQ(store::savedGameProblem(g), "");
        }
        PlayingLogic r(p, date);
        ASSERT_EQ(r.moveCount(), 1);
        EXPECT_EQ(r.state(), mar::applyMoveOne(p.start, p.solution[0]));
        // A hint on a daily caps its stars at two.
        if (!date.empty()) r.noteHint();
        r.beginFrame(20.0);
        for (size_t i = 1; i < p.solution.size(); ++i)
            play(r, p.solution[i]);
        ASSERT_TRUE(r.checkSolved(21.0));
        EXPECT_FALSE(fileExists(savePath()));
        const auto results = store::listPuzzleResults();
        ASSERT_EQ(results.size(), 1u);
        const store::PuzzleResult& res = results.front();
        EXPECT_EQ(res.code, code);
        EXPECT_EQ(res.date, date);
        EXPECT_EQ(res.moves, p.optimum);
        EXPECT_EQ(res.optimum, p.optimum);
        EXPECT_EQ(res.hints, date.empty() ? 0 : 1);
        EXPECT_EQ(res.stars, date.empty() ? 3 : 2);
        EXPECT_EQ(res.elapsedMs, 1000);
        EXPECT_EQ(res.solvedOn, puzzle::isoDate(store::localDate(res.solvedAt)));
        // The catalogue's progress and history know nothing of it.
        EXPECT_TRUE(store::listSolves().empty());
        EXPECT_FALSE(fileExists(dataDir() + "/progress.json"));
        EXPECT_FALSE(fileExists(dataDir() + "/solves.json"));
    }
}

TEST_F(PlayingLogicTest, ASavedGameNeverCrossesBetweenLevelsAndPuzzles) {
    const puzzle::Puzzle& p = smallPuzzle();
    const std::string code = puzzle::encode(p.id);
    const mar::GameState level0 = mar::loadLevel(0);
    auto savePuzzleGame = [&](const std::string& savedCode, const std::string& date) {
        wipeDataDir();
        store::ensureDataDirs();
        store::SavedGame g;
        g.valid = true;
        g.code = savedCode;
        g.date = date;
        g.state = mar::applyMoveOne(p.start, p.solution[0]);
        g.history = {p.solution[0]};
        g.moveCount = 1;
        store::saveGame(g);
    };
    // A level's game on a puzzle board, and a puzzle's game (its file made to name level 0 too)
    // on level 0: each starts fresh and keeps the other's game until its first move.
    {
        wipeDataDir();
        store::ensureDataDirs();
        PlayingLogic level(0, kSeed, false);
        play(level, firstMove(level));
        const std::string saved = readText(savePath());
        PlayingLogic board(p, "");
        EXPECT_EQ(board.moveCount(), 0);
        board.leave();
        EXPECT_EQ(readText(savePath()), saved);
    }
    {
        savePuzzleGame(code, "");
        std::string text = readText(savePath());
        const std::string puzzleLevel = "\"level\":-1";
        const size_t at = text.find(puzzleLevel);
        ASSERT_NE(at, std::string::npos) << text;
        text.replace(at, puzzleLevel.size(), "\"level\":0");
        ASSERT_TRUE(writeText(savePath(), text));
        PlayingLogic level(0, kSeed, false);
        EXPECT_EQ(level.state(), level0);
        EXPECT_EQ(level.moveCount(), 0);
        level.leave();
        EXPECT_EQ(readText(savePath()), text);
    }
    // The same puzzle as a daily (or another day's) is another game; a code typed in small
    // letters without dashes is the same one; a damaged code is no game and goes.
    const std::string loose = [&] {
        std::string t;
        for (char ch : code)
            if (ch != '-') t += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return t;
    }();
    std::string damaged = code;
    damaged[0] = damaged[0] == '2' ? '3' : '2';
    const struct {
        std::string savedCode, savedDate, boardDate;
        bool resumes, kept;
    } cases[] = {{code, "", "2026-12-07", false, true},
                 {code, "2026-12-06", "2026-12-07", false, true},
                 {loose, "", "", true, true},
                 {damaged, "", "", false, false}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.savedCode + " " + k.savedDate + " on " + k.boardDate);
        savePuzzleGame(k.savedCode, k.savedDate);
        PlayingLogic board(p, k.boardDate);
        EXPECT_EQ(board.moveCount(), k.resumes ? 1 : 0);
        EXPECT_EQ(fileExists(savePath()), k.kept);
    }
}

TEST_F(PlayingLogicTest, TheWinSequenceGlaresThenHandsOverAtItsTimes) {
    PlayingLogic p(0, kSeed, false);
    p.beginFrame(0);
    for (const auto& m : mar::levelSolution(0))
        play(p, m);
    ASSERT_TRUE(p.checkSolved(20.0));
    EXPECT_EQ(p.driveWin(20.0), WinStep::None);
    EXPECT_EQ(p.driveWin(25.0), WinStep::None);
    EXPECT_FALSE(p.glarePlayed());
    EXPECT_EQ(p.winFlash(), 0.0);
    EXPECT_EQ(p.driveWin(25.06), WinStep::None);
    EXPECT_TRUE(p.glarePlayed());
    EXPECT_GT(p.winFlash(), 0.0);
    EXPECT_EQ(p.driveWin(26.26), WinStep::None);
    EXPECT_NEAR(p.winFlash(), (26.26 - 25.05) / 1.3, 1e-9);
    EXPECT_EQ(p.driveWin(26.27), WinStep::HandOver);
    EXPECT_FALSE(p.settleDone());
    EXPECT_EQ(p.finalElapsed(), 20000);
}

TEST_F(PlayingLogicTest, ADemoBoardSettlesAndNeverWritesAnything) {
    {
        // A saved game of the same level survives a demo board of it.
        PlayingLogic p(0, kSeed, false);
        play(p, firstMove(p));
    }
    const std::string saved = readText(savePath());
    PlayingLogic demo(0, kSeed, true);
    EXPECT_EQ(demo.state(), demo.initial());
    EXPECT_EQ(demo.solution(), mar::levelSolution(0));
    demo.beginFrame(0);
    const auto& sol = demo.solution();
    for (size_t i = 0; i + 1 < sol.size(); ++i)
        play(demo, sol[i]);
    demo.undo();
    play(demo, sol[sol.size() - 2]);
    play(demo, sol.back());
    ASSERT_TRUE(demo.checkSolved(1.0));
    EXPECT_EQ(demo.driveWin(4.1), WinStep::None);
    EXPECT_FALSE(demo.solvedAndSettled());
    EXPECT_EQ(demo.driveWin(4.2), WinStep::None);
    EXPECT_TRUE(demo.solvedAndSettled());
    EXPECT_EQ(demo.driveWin(100.0), WinStep::None);
    EXPECT_EQ(demo.winFlash(), 0.0);
    EXPECT_EQ(readText(savePath()), saved);
    EXPECT_TRUE(store::listSolves().empty());
}

TEST_F(PlayingLogicTest, LiquidRisesAfterTheLandingDrainsOnUndoAndAResumedBoardStartsFull) {
    PlayingLogic p(0, kSeed, false);
    std::vector<screens::TubeMotion> motion = screens::restingMotion(p.state());
    const auto solution = mar::levelSolution(0);
    int completed = -1;
    for (size_t i = 0; i + 1 < solution.size() && completed < 0; ++i) {
        const mar::Move m = solution[i];
        p.doMove(m.from, m.to);
        const bool completes = mar::isTubeComplete(p.state(), m.to);
        // While the marble flies, its tube stays empty of liquid.
        EXPECT_TRUE(screens::syncLiquid(motion, p.state(), p.flightTarget()).empty());
        p.landFlight();
        const std::vector<int> rising = screens::syncLiquid(motion, p.state(), p.flightTarget());
        if (!completes) continue;
        EXPECT_EQ(rising, std::vector<int>{m.to});
        EXPECT_EQ(motion[m.to].fill, 0.0);
        motion[m.to].step(1.5);
        EXPECT_GT(motion[m.to].fill, 0.0);
        EXPECT_FALSE(motion[m.to].still());
        motion[m.to].step(1.6);
        EXPECT_EQ(motion[m.to].fill, 1.0);
        // Asked again, a full tube stays as it is and is not voiced twice.
        EXPECT_TRUE(screens::syncLiquid(motion, p.state(), -1).empty());
        EXPECT_EQ(motion[m.to].fill, 1.0);
        completed = m.to;
    }
    ASSERT_GE(completed, 0) << "level 0's solution completes no tube before the last move";

    // A resumed board shows its complete tubes full at once, and nothing else moving.
    PlayingLogic resumed(0, kSeed, false);
    const auto fresh = screens::restingMotion(resumed.state());
    EXPECT_EQ(fresh[completed].fill, 1.0);
    EXPECT_EQ(fresh[completed].liquid, screens::TubeMotion::Liquid::Full);

    // Taking the completing marble back drains the tube at once.
    p.undo();
    EXPECT_TRUE(screens::syncLiquid(motion, p.state(), -1).empty());
    EXPECT_EQ(motion[completed].fill, 0.0);
    EXPECT_TRUE(motion[completed].still());
}

TEST(BoardMotion, ALandingSinksSpringsBackAndACompletingOneGlowsThenAllComesToRest) {
    screens::TubeMotion m;
    m.land(10, true);
    m.step(0.07);
    EXPECT_EQ(m.bounce, screens::TubeMotion::Bounce::Springing);
    EXPECT_DOUBLE_EQ(m.dip, 10);
    EXPECT_EQ(m.glow, screens::TubeMotion::Glow::Brightening);
    m.step(0.05);
    EXPECT_EQ(m.glow, screens::TubeMotion::Glow::Fading);
    EXPECT_DOUBLE_EQ(m.glowLevel, 1);
    double deepest = m.dip, shallowest = m.dip;
    for (int f = 0; f < 600 && !m.still(); ++f) {
        m.step(1.0 / 60);
        deepest = std::max(deepest, m.dip);
        shallowest = std::min(shallowest, m.dip);
    }
    EXPECT_TRUE(m.still());
    EXPECT_EQ(m.bounce, screens::TubeMotion::Bounce::Resting);
    EXPECT_EQ(m.glow, screens::TubeMotion::Glow::Off);
    EXPECT_LE(deepest, 10.0);
    EXPECT_LT(shallowest, 0.0);  // a spring overshoots its rest height

    screens::TubeMotion plain;
    plain.land(4, false);
    plain.step(0.01);
    EXPECT_EQ(plain.glow, screens::TubeMotion::Glow::Off);
    EXPECT_GT(plain.dip, 0.0);
}
