// Table format of the compiled-in level catalogue; the tables themselves are generated.
#pragma once

#include <cstdint>

namespace levels_data {

struct Level {
    uint32_t seed;        // difficulty * 100000 + position in the pool + 1
    const int8_t* slots;  // tubeCount * capacity bytes, tube by tube, bottom first; -1 = empty
    int tubeCount;
    int capacity;
    int solutionLength;    // the proven optimum
    const uint8_t* moves;  // moveCount pairs (from, to)
    int moveCount;
};

struct Pool {
    int difficulty;  // 1 ... 20
    int colors;
    int tubes;
    int capacity;
    const Level* levels;
    int count;
};

constexpr int kPoolCount = 20;
extern const Pool kPools[kPoolCount];

}  // namespace levels_data
