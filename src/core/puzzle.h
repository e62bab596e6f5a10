// Generated puzzles: from a generator version, a size and a seed, a start position with its
// proven shortest solution. Pure like the rules: no clock, files or drawing, so a code turns into
// the same puzzle on every machine however fast.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/json.h"
#include "core/state.h"

namespace puzzle {

// The generator of this build. A version's generator never changes; a new one gets a new number
// and the old ones stay, so every code ever shared keeps its puzzle.
constexpr int kVersion = 1;
// Sizes are the shapes of the catalogue's twenty tiers.
constexpr int kSizeCount = 20;

struct Shape {
    int colors = 0, tubes = 0, capacity = 0;
    // The optimum a puzzle of this size must have, so it plays like the levels of its tier.
    int minOptimum = 0, maxOptimum = 0;
};
// The shape of a size, clamped into 0 ... kSizeCount - 1.
const Shape& shapeOf(int size);

struct Id {
    int version = kVersion;
    int size = 0;
    uint32_t seed = 0;
};
inline bool operator==(const Id& a, const Id& b) {
    return a.version == b.version && a.size == b.size && a.seed == b.seed;
}

struct Puzzle {
    Id id;
    mar::GameState start;
    int optimum = 0;
    std::vector<mar::Move> solution;  // one shortest solution, `optimum` moves
    // What making it cost, for the benchmark: starts drawn, positions searched in all, and the
    // search tables at their largest.
    int attempts = 0;
    size_t positions = 0;
    size_t peakBytes = 0;
};

// Whether this build can make puzzles of the id's version and size.
bool supported(const Id& id);
// The puzzle of an id (supported, else an empty puzzle with optimum 0). Deterministic: starts are
// drawn from the seed one after another and the first whose optimum is proven and lies in the
// size's range is taken; every limit counts positions, never time.
Puzzle generate(const Id& id);

// The puzzle as JSON: "capacity", "tubes" (bottom first, as in "save.json") and "optimum", and
// with the solution also "solution" (a list of {"from","to"}).
json::Object describe(const Puzzle& p, bool withSolution);

// ---- The steps players choose from ----

// Named steps from the smallest boards to the 17-tube ones; each covers a run of sizes.
struct Step {
    const char* key;  // translation key of the step's name
    int firstSize, lastSize;
};
const std::vector<Step>& steps();
// The step a size belongs to (sizes below the first step count to it).
int stepOfSize(int size);
// The id of the puzzle numbered `seed` within a step: the size follows from the seed too.
Id idInStep(int step, uint32_t seed);

}  // namespace puzzle
