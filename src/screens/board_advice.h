// What the board knows about the way ahead: a hint the player asked for, and whether any way is
// left at all. Every position change asks the hint worker at once, so the answer is usually
// there before the player asks, and a position without a way forward is told without asking.
#pragma once

#include <cstdint>
#include <optional>

#include "core/state.h"
#include "platform/hint_worker.h"

namespace screens {

class BoardAdvice {
  public:
    ~BoardAdvice() { stop(); }

    // The board now shows `s` (opened, moved, undone or restarted): any hint on show goes, and
    // the question starts afresh. A position without any legal move is told at once.
    void positionChanged(const mar::GameState& s);
    // The player asked for a hint; it shows as soon as the answer for this position is here.
    void ask();
    // Picks up the worker's answer; returns true on the frame a hint first shows, so the board
    // counts it (once per position however often the player asks).
    bool poll();
    // No more questions for this board (solved, left).
    void stop();

    bool asked() const { return asked_; }
    // The hinted move, while one shows.
    std::optional<mar::Move> hint() const;
    int movesToGo() const { return answer_ ? answer_->movesToGo : 0; }
    // The hint is a valid way forward, not a proven shortest one (the search ran out of budget).
    bool wayForwardOnly() const { return answer_ && answer_->kind == hints::Kind::WayForward; }
    // No solution exists from the position on show.
    bool noWayForward() const { return deadEnd_; }

  private:
    uint64_t generation_ = 0;
    bool asked_ = false;
    bool counted_ = false;  // the hint on show was counted
    bool deadEnd_ = false;
    bool active_ = false;  // a question is out or answered for this board
    std::optional<hints::Answer> answer_;
};

}  // namespace screens
