// Positions the tests and the tour need: ways into the traps a hint must recognise.
#include "core/levels.h"
#include "core/solver.h"
#include "harness.h"

namespace harness {

bool findTrap(int levels, int depth, int* level, std::vector<mar::Move>* moves) {
    struct Node {
        mar::GameState s;
        std::vector<mar::Move> path;
    };
    for (int l = 0; l < levels && l < mar::totalLevels(); ++l) {
        std::vector<Node> layer{{mar::loadLevel(l), {}}};
        for (int d = 0; d < depth; ++d) {
            std::vector<Node> next;
            for (const Node& n : layer)
                for (const mar::Move& m : mar::legalMoves(n.s)) {
                    Node c{mar::applyMoveOne(n.s, m), n.path};
                    c.path.push_back(m);
                    if (!mar::isDeadEnd(c.s) &&
                        mar::solvability(c.s) == mar::Solvability::Unsolvable) {
                        *level = l;
                        *moves = c.path;
                        return true;
                    }
                    next.push_back(std::move(c));
                }
            layer = std::move(next);
        }
    }
    return false;
}

}  // namespace harness
