// Puzzle rules; nothing here draws, stores or keeps time.
#include "core/state.h"

#include <algorithm>
#include <cmath>

namespace mar {

int GameState::marbleCount() const {
    int n = 0;
    for (const auto& t : tubes)
        n += static_cast<int>(t.size());
    return n;
}

int topColor(const std::vector<int>& tube) {
    return tube.empty() ? -1 : tube.back();
}

int topRunLength(const std::vector<int>& tube) {
    if (tube.empty()) return 0;
    int run = 1;
    for (size_t i = tube.size() - 1; i > 0 && tube[i - 1] == tube.back(); --i)
        ++run;
    return run;
}

bool canMoveOne(const GameState& s, int from, int to) {
    if (from == to) return false;
    if (from < 0 || to < 0 || from >= s.tubeCount() || to >= s.tubeCount()) return false;
    const auto& src = s.tubes[from];
    const auto& dst = s.tubes[to];
    if (src.empty()) return false;
    if (static_cast<int>(dst.size()) >= s.capacity) return false;
    return dst.empty() || dst.back() == src.back();
}

GameState applyMoveOne(const GameState& s, const Move& m) {
    GameState next = s;
    // Callers test legality first; an empty source or bad index still must not crash.
    if (m.from < 0 || m.from >= next.tubeCount() || m.to < 0 || m.to >= next.tubeCount() ||
        next.tubes[m.from].empty())
        return next;
    int c = next.tubes[m.from].back();
    next.tubes[m.from].pop_back();
    next.tubes[m.to].push_back(c);
    return next;
}

std::vector<Move> legalMoves(const GameState& s) {
    std::vector<Move> out;
    for (int f = 0; f < s.tubeCount(); ++f) {
        if (s.tubes[f].empty()) continue;
        for (int t = 0; t < s.tubeCount(); ++t)
            if (canMoveOne(s, f, t)) out.push_back({f, t});
    }
    return out;
}

bool isTubeComplete(const GameState& s, int idx) {
    if (idx < 0 || idx >= s.tubeCount()) return false;
    const auto& t = s.tubes[idx];
    if (t.empty() || static_cast<int>(t.size()) != s.capacity) return false;
    for (int c : t)
        if (c != t.front()) return false;
    return true;
}

bool isSolved(const GameState& s) {
    for (int i = 0; i < s.tubeCount(); ++i)
        if (!s.tubes[i].empty() && !isTubeComplete(s, i)) return false;
    return true;
}

int computeStars(int moves, int optimum, int hints) {
    const int cap = hints > 0 ? 2 : 3;
    if (optimum <= 0 || moves <= optimum) return cap;
    int bound = static_cast<int>(std::ceil(1.5 * optimum));
    return std::min(moves <= bound ? 2 : 1, cap);
}

}  // namespace mar
