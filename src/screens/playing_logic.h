// The rules half of the playing screen: board set-up and resume, moves, undo, restart,
// the play clock, saving after every change, solve detection and the win sequence timing. A
// board is a catalogue level or a generated puzzle; both play alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/levels.h"
#include "core/puzzle.h"
#include "core/session.h"
#include "core/state.h"
#include "core/storage.h"

namespace theme {
struct World;
}

namespace screens {

// What the screen needs to launch the flying marble of a move just made.
struct MoveOutcome {
    mar::Move move;
    int colorId = 0;
    int fromSlot = 0;  // slot the marble left (0 = bottom)
    int toSlot = 0;    // slot it lands in
    double startRotation = 0;
    double endRotation = 0;
    bool triggerFlash = false;  // the destination is complete after the move
};

// What the win sequence asks of the screen on this frame.
enum class WinStep { None, HandOver };

class PlayingLogic {
  public:
    PlayingLogic(int level, uint32_t seed, bool attract);
    // A generated puzzle; `date` is the daily puzzle's ("YYYY-MM-DD"), empty for any other. Its
    // tier is the puzzle's size, and its optimum the one the stars are measured against.
    PlayingLogic(const puzzle::Puzzle& p, const std::string& date);

    // ---- Operations ----
    // Starts the play clock on the first frame and notes the frame time.
    void beginFrame(double t);
    // Applies a move already found legal with mar::canMoveOne; returns what the flight needs.
    MoveOutcome doMove(int fromIdx, int toIdx);
    void undo();
    void restart();
    void persist() const;
    // Writes the game once more when the screen is left, so the time since the last change
    // counts; a board never written (untouched since it was opened) leaves no saved game.
    void leave() const;
    int64_t elapsedMs() const;
    // A demo board's next move from its stored solution, once it is due `dt` seconds after the
    // previous frame: one every 0.65 s while no marble flies. None once the replay is over.
    std::optional<mar::Move> demoMoveDue(double dt, bool flying);
    double rotationFor(int tube, int slot, int colour) const;
    void resetRotations();
    // The flying marble reached its tube.
    void landFlight() { flightTarget_ = -1; }
    // Tests for the solve once per frame; true on the frame the puzzle became solved.
    bool checkSolved(double t);
    void onSolved(double t);
    WinStep driveWin(double t);

    // ---- Read access ----
    int level() const { return level_; }  // -1 for a generated puzzle
    // A generated puzzle's code and daily date; both empty for a catalogue level.
    const std::string& code() const { return code_; }
    const std::string& date() const { return date_; }
    bool isPuzzle() const { return !code_.empty(); }
    uint32_t seed() const { return seed_; }
    bool attract() const { return attract_; }
    const mar::LevelInfo& info() const { return info_; }
    const theme::World& world() const { return *world_; }
    const std::vector<uint32_t>& palette() const { return palette_; }
    const mar::GameState& initial() const { return session_.start(); }
    const mar::GameState& state() const { return session_.position(); }
    const mar::Session& session() const { return session_; }
    const std::vector<std::vector<double>>& rotations() const { return rotations_; }
    int historySize() const { return session_.historySize(); }
    const std::vector<mar::Move>& solution() const { return solution_; }
    int moveCount() const { return session_.moveCount(); }
    // Hints shown on this board, kept with the game in progress and the solve.
    int hintsUsed() const { return hints_; }
    void noteHint();
    int flightTarget() const { return flightTarget_; }
    bool flying() const { return flightTarget_ >= 0; }
    double startedAt() const { return startedAt_; }
    int64_t finalElapsed() const { return finalElapsed_; }
    double solvedAt() const { return solvedAt_; }
    bool solved() const { return solvedAt_ >= 0; }
    bool glarePlayed() const { return glarePlayed_; }
    bool settleDone() const { return settleDone_; }
    bool solvedAndSettled() const { return solvedAt_ >= 0 && settleDone_; }
    double winFlash() const { return winFlash_; }

  private:
    PlayingLogic(int level, uint32_t seed, bool attract, const mar::LevelInfo& info,
                 const mar::GameState& start, std::string code, std::string date);
    // Takes up this board's saved game, or notes another board's one to keep.
    void resume();
    // Whether a saved game is this board's own.
    bool isOwnGame(const store::SavedGame& saved) const;
    void recordSolve();
    // Sounds for what the session reports; the session itself plays nothing.
    void voice(const mar::Events& events);

    // ---- Fixed for the board ----
    int level_;
    uint32_t seed_;
    bool attract_;
    std::string code_, date_;
    mar::LevelInfo info_;
    const theme::World* world_;
    std::vector<uint32_t> palette_;
    std::vector<mar::Move> solution_;
    // Demo boards: time since the last replayed move, and the next one.
    double demoT_ = 0;
    int demoNext_ = 0;

    // ---- The game: position, history, counter, play-time base, solve ----
    mar::Session session_;

    // ---- How the marbles look: each one's angle, and for every move in the history the
    // angle its marble had in the source tube, so an undo shows it exactly as before ----
    std::vector<std::vector<double>> rotations_;
    std::vector<double> sourceRotations_;

    // ---- Clock and win sequence ----
    double startedAt_ = -1;
    double lastT_ = 0;
    int64_t finalElapsed_ = 0;
    double solvedAt_ = -1;
    bool glarePlayed_ = false;
    bool settleDone_ = false;
    double winFlash_ = 0;
    int hints_ = 0;

    // A saved game exists for this board: resumed, or written since it was opened.
    mutable bool written_ = false;
    // Another board's game was saved when this one opened; it stays until this board is moved.
    bool keepsOtherGame_ = false;
    bool mayWrite() const { return written_ || !keepsOtherGame_; }

    // Destination of the marble in the air, or -1.
    int flightTarget_ = -1;
};

}  // namespace screens
