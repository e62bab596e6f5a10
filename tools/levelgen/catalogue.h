// The level catalogue as the generator builds it: pool parameters, drawing, selection, content
// rules and the generated C++ unit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/state.h"

namespace levelgen {

// One tier's pool: its shape, how many of its levels are played and the optimum range those
// played levels must fall in.
struct PoolParams {
    int difficulty;
    int colors;
    int tubes;
    int capacity;
    int count;
    int played;
    int minOptimum;  // of the played levels
    int maxOptimum;
};

constexpr int kPoolCount = 20;
extern const PoolParams kPoolParams[kPoolCount];

// No level of the catalogue needs more moves than this.
constexpr int kLongestOptimum = 102;

// The generator seed of the committed catalogue.
constexpr uint32_t kGeneratorSeed = 0x5EED1129u;

// Tiers 0-3 open with a fixed, hand-picked first level.
struct SampleLevel {
    mar::GameState start;
    std::vector<mar::Move> solution;
};
// The fixed first level of a tier, or nullptr for tiers without one.
const SampleLevel* sampleFor(int tier);

struct Level {
    uint32_t seed = 0;
    mar::GameState start;
    std::vector<mar::Move> solution;
    int optimum = 0;  // proven shortest solution length
};

struct PoolStats {
    int drawn = 0;         // random starts drawn
    int solvedStarts = 0;  // rejected: already solved
    int duplicates = 0;    // rejected: same as an earlier start
    int unsolvable = 0;    // rejected: no solution exists
    int tooLarge = 0;      // rejected: search bound reached, nothing proven
    int proven = 0;        // solved to optimality
    double seconds = 0;    // wall time for the pool
    double slowestProof = 0;
};

struct Pool {
    PoolParams params;
    std::vector<Level> levels;
    PoolStats stats;
};

struct Catalogue {
    std::vector<Pool> pools;
};

struct BuildOptions {
    uint32_t seed = kGeneratorSeed;
    int jobs = 2;          // threads proving starts; the result does not depend on it
    int maxDraws = 20000;  // per pool, before giving up
};

// Draws, proves and selects every pool.  On failure returns false with a reason in `error`.
bool buildCatalogue(const BuildOptions& opt, Catalogue& out, std::string& error);

// Checks every content rule.  Returns an empty string when all hold, otherwise one line per
// broken rule, each naming the level ("tier T, position I (seed S)") and what is wrong.
std::string checkCatalogue(const Catalogue& cat);

// The generated C++ unit with the tables, byte for byte as committed.
std::string writeUnit(const Catalogue& cat);

// Equality of starts up to the order of tubes, and up to that and a renaming of colours.
bool sameUpToTubeOrder(const mar::GameState& a, const mar::GameState& b);
bool sameUpToTubesAndColours(const mar::GameState& a, const mar::GameState& b);

// The tier from which duplicates are also judged up to renaming colours.
constexpr int kColourBlindFromTier = 3;

}  // namespace levelgen
