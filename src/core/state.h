// The pure rules of the sorting puzzle: positions, moves, legality, solving and stars.
#pragma once

#include <vector>

namespace mar {

// A position: tubes of colour ids, bottom first, all sharing one capacity.
struct GameState {
    std::vector<std::vector<int>> tubes;
    int capacity = 0;

    int tubeCount() const { return static_cast<int>(tubes.size()); }
    int marbleCount() const;
};

// One move carries the top marble of tube `from` onto tube `to`.
struct Move {
    int from = 0;
    int to = 0;
};

inline bool operator==(const Move& a, const Move& b) {
    return a.from == b.from && a.to == b.to;
}
inline bool operator!=(const Move& a, const Move& b) {
    return !(a == b);
}
inline bool operator==(const GameState& a, const GameState& b) {
    return a.capacity == b.capacity && a.tubes == b.tubes;
}
inline bool operator!=(const GameState& a, const GameState& b) {
    return !(a == b);
}

int topColor(const std::vector<int>& tube);
int topRunLength(const std::vector<int>& tube);
bool canMoveOne(const GameState& s, int from, int to);
GameState applyMoveOne(const GameState& s, const Move& m);
std::vector<Move> legalMoves(const GameState& s);
bool isTubeComplete(const GameState& s, int idx);
bool isSolved(const GameState& s);
// Three stars at or under the optimum, two up to one and a half times it, else one; a solve
// helped by any hint earns two at most.
int computeStars(int moves, int optimum, int hints = 0);

}  // namespace mar
