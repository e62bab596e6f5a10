// The board's hint and its no-way-forward notice, fed by the hint worker.
#include "screens/board_advice.h"

#include "core/solver.h"

namespace screens {

namespace {

// Generations grow across boards too, so an answer meant for a board already closed can never
// pass for one of the next board's.
uint64_t& lastGeneration() {
    static uint64_t last = 0;
    return last;
}

bool hasMove(const hints::Answer& a) {
    return (a.kind == hints::Kind::Shortest || a.kind == hints::Kind::WayForward) &&
           a.movesToGo > 0;
}

}  // namespace

void BoardAdvice::positionChanged(const mar::GameState& s) {
    generation_ = ++lastGeneration();
    asked_ = counted_ = false;
    answer_.reset();
    active_ = true;
    deadEnd_ = mar::isDeadEnd(s);
    if (deadEnd_ || mar::isSolved(s)) {
        hints::cancel();
        return;
    }
    // The worker works out both at once: whether any way is left, and the shortest one.
    hints::request(s, generation_);
}

void BoardAdvice::ask() {
    if (active_ && !deadEnd_) asked_ = true;
}

bool BoardAdvice::poll() {
    if (!active_) return false;
    if (!answer_) {
        std::optional<hints::Answer> a = hints::poll();
        if (a && a->generation == generation_) {
            answer_ = a;
            if (a->kind == hints::Kind::NoWayForward) deadEnd_ = true;
        }
    }
    if (asked_ && !counted_ && answer_ && hasMove(*answer_)) {
        counted_ = true;
        return true;
    }
    return false;
}

void BoardAdvice::stop() {
    if (!active_) return;
    active_ = false;
    asked_ = false;
    // The next board is built before this one goes: its question must stand.
    if (generation_ == lastGeneration()) hints::cancel();
}

std::optional<mar::Move> BoardAdvice::hint() const {
    if (!asked_ || !answer_ || !hasMove(*answer_)) return std::nullopt;
    return answer_->next;
}

}  // namespace screens
