// One game in progress as pure rules: moves, undo to the previous position, restart, solve.
#include "core/session.h"

#include <algorithm>
#include <utility>

namespace mar {

Session::Session(GameState start) : start_(start), position_(std::move(start)) {}

Session::Session(GameState start, GameState position, const std::vector<Move>& history,
                 int moveCount, int64_t elapsedBaseMs)
    : start_(std::move(start)),
      position_(std::move(position)),
      moveCount_(std::max(0, moveCount)),
      elapsedBaseMs_(std::max<int64_t>(0, elapsedBaseMs)) {
    // Walk back from the newest move; the oldest moves that cannot be reversed are dropped.
    std::vector<GameState> back;
    GameState s = position_;
    size_t kept = 0;
    for (size_t i = history.size(); i-- > 0;) {
        const Move& m = history[i];
        const int n = s.tubeCount();
        if (m.from < 0 || m.from >= n || m.to < 0 || m.to >= n || m.from == m.to) break;
        auto& dst = s.tubes[m.to];
        auto& src = s.tubes[m.from];
        if (dst.empty() || static_cast<int>(src.size()) >= s.capacity) break;
        src.push_back(dst.back());
        dst.pop_back();
        back.push_back(s);
        ++kept;
    }
    moves_.assign(history.end() - static_cast<std::ptrdiff_t>(kept), history.end());
    before_.assign(back.rbegin(), back.rend());
    solved_ = isSolved(position_);
}

Events Session::move(Move m) {
    if (solved_ || !canMoveOne(position_, m.from, m.to))
        return {{EventKind::Refused, m.from, m.to}};
    const int colour = position_.tubes[m.from].back();
    before_.push_back(position_);
    moves_.push_back(m);
    position_ = applyMoveOne(position_, m);
    ++moveCount_;
    Events out{{EventKind::Moved, m.from, m.to, colour}};
    if (isTubeComplete(position_, m.to))
        out.push_back({EventKind::TubeCompleted, -1, m.to, colour});
    if (isSolved(position_)) {
        solved_ = true;
        out.push_back({EventKind::Solved});
    }
    return out;
}

Events Session::undo() {
    // After the solve the board is final: its result has been recorded.
    if (solved_ || moves_.empty()) return {};
    const Move m = moves_.back();
    const int colour = position_.tubes[m.to].back();
    position_ = std::move(before_.back());
    before_.pop_back();
    moves_.pop_back();
    ++moveCount_;
    return {{EventKind::Undone, m.from, m.to, colour}};
}

Events Session::restart() {
    if (solved_) return {};
    position_ = start_;
    moves_.clear();
    before_.clear();
    moveCount_ = 0;
    elapsedBaseMs_ = 0;
    return {{EventKind::Restarted}};
}

}  // namespace mar
