// Access to the compiled-in catalogue through flat level numbers; every index is clamped.
#include "core/levels.h"

#include <algorithm>

#include "core/levels_data.h"

namespace mar {
namespace {

struct FlatEntry {
    int tier;
    int idx;
    int paletteOffset;
};

// Tiers 0-2 contribute their first level, every later tier its first six.
const std::vector<FlatEntry>& flat() {
    static const std::vector<FlatEntry> list = [] {
        std::vector<FlatEntry> out;
        for (int p = 0; p < levels_data::kPoolCount; ++p) {
            const auto& pool = levels_data::kPools[p];
            int take = p < 3 ? std::min(pool.count, 1) : std::min(pool.count, 6);
            for (int j = 0; j < take; ++j)
                out.push_back({p, j, j * pool.colors});
        }
        return out;
    }();
    return list;
}

int clampFlat(int flatLevel) {
    return std::clamp(flatLevel, 0, static_cast<int>(flat().size()) - 1);
}

const levels_data::Level& levelOf(const FlatEntry& e) {
    return levels_data::kPools[e.tier].levels[e.idx];
}

}  // namespace

int totalLevels() {
    return static_cast<int>(flat().size());
}

LevelInfo levelInfo(int flatLevel) {
    const FlatEntry& e = flat()[clampFlat(flatLevel)];
    const auto& lv = levelOf(e);
    LevelInfo info;
    info.tier = e.tier;
    info.idx = e.idx;
    info.paletteOffset = e.paletteOffset;
    info.colors = levels_data::kPools[e.tier].colors;
    info.capacity = lv.capacity;
    info.solutionLength = lv.solutionLength;
    info.seed = lv.seed;
    return info;
}

GameState loadLevel(int flatLevel) {
    const auto& lv = levelOf(flat()[clampFlat(flatLevel)]);
    GameState s;
    s.capacity = lv.capacity;
    s.tubes.resize(lv.tubeCount);
    for (int t = 0; t < lv.tubeCount; ++t) {
        for (int k = 0; k < lv.capacity; ++k) {
            int c = lv.slots[t * lv.capacity + k];
            if (c < 0) break;
            s.tubes[t].push_back(c);
        }
    }
    return s;
}

std::vector<Move> levelSolution(int flatLevel) {
    const auto& lv = levelOf(flat()[clampFlat(flatLevel)]);
    std::vector<Move> out;
    out.reserve(lv.moveCount);
    for (int i = 0; i < lv.moveCount; ++i)
        out.push_back({lv.moves[2 * i], lv.moves[2 * i + 1]});
    return out;
}

}  // namespace mar
