// The flat, gap-free numbering of the playable levels over the generated pools.
#pragma once

#include <cstdint>
#include <vector>

#include "core/state.h"

namespace mar {

struct LevelInfo {
    int tier = 0;           // pool index, also the world index
    int idx = 0;            // position in the pool
    int paletteOffset = 0;  // idx * colours of the pool
    int colors = 0;
    int capacity = 0;
    int solutionLength = 0;
    uint32_t seed = 0;
};

int totalLevels();
LevelInfo levelInfo(int flatLevel);
GameState loadLevel(int flatLevel);
std::vector<Move> levelSolution(int flatLevel);

}  // namespace mar
