// One game in progress: position, history, move counter, play-time base and the solve, as
// pure rules. Operations answer with events; whoever shows the game turns them into sounds
// and animations.
#pragma once

#include <cstdint>
#include <vector>

#include "core/state.h"

namespace mar {

enum class EventKind {
    Moved,          // a marble went from `from` to `to`; `colour` is its colour id
    Refused,        // the move from `from` to `to` is not allowed
    TubeCompleted,  // tube `to` is full with one colour `colour`
    Undone,         // the marble on top of `to` went back to `from`
    Restarted,      // the start position is back
    Solved,         // the position is solved; the session takes no more changes
};

struct Event {
    EventKind kind;
    int from = -1;
    int to = -1;
    int colour = -1;
};

using Events = std::vector<Event>;

class Session {
  public:
    explicit Session(GameState start);
    // A game carried over from disk: `position` and the moves that led to it. The positions
    // undo returns to are rebuilt backwards from `position`; a move that cannot be taken back
    // ends the history there, so undo never invents a marble.
    Session(GameState start, GameState position, const std::vector<Move>& history, int moveCount,
            int64_t elapsedBaseMs);

    Events move(Move m);
    // Takes the latest move back; an undo counts as a move.
    Events undo();
    Events restart();

    const GameState& start() const { return start_; }
    const GameState& position() const { return position_; }
    const std::vector<Move>& history() const { return moves_; }
    int historySize() const { return static_cast<int>(moves_.size()); }
    int moveCount() const { return moveCount_; }
    // Play time carried over from before this session's clock started; a restart clears it.
    int64_t elapsedBaseMs() const { return elapsedBaseMs_; }
    bool solved() const { return solved_; }

  private:
    GameState start_;
    GameState position_;
    std::vector<Move> moves_;
    std::vector<GameState> before_;  // before_[i]: the position moves_[i] was made from
    int moveCount_ = 0;
    int64_t elapsedBaseMs_ = 0;
    bool solved_ = false;
};

}  // namespace mar
