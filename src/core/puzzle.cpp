// Generated puzzles: seeded starts in the catalogue's tier shapes, each proven by the solver.
#include "core/puzzle.h"

#include <algorithm>
#include <cstdlib>

#include "core/rng.h"
#include "core/solver.h"

namespace puzzle {

namespace {

// Version 1: the twenty tier shapes and the optimum ranges of the catalogue's pools. Pinned here
// rather than read from the catalogue, so that regenerating the levels never changes a code.
const Shape kShapesV1[kSizeCount] = {
    {2, 3, 2, 3, 3},      {2, 3, 3, 3, 6},     {2, 4, 3, 3, 6},     {3, 4, 3, 6, 9},
    {3, 5, 3, 5, 8},      {3, 4, 4, 9, 17},    {3, 5, 4, 7, 12},    {4, 6, 3, 8, 11},
    {4, 6, 4, 12, 15},    {5, 7, 4, 17, 19},   {6, 8, 4, 20, 24},   {7, 9, 5, 34, 37},
    {8, 10, 5, 39, 45},   {9, 11, 5, 44, 50},  {10, 12, 5, 54, 63}, {11, 13, 5, 60, 71},
    {12, 14, 6, 85, 101}, {13, 15, 5, 73, 90}, {14, 16, 5, 81, 99}, {15, 17, 5, 90, 99},
};

// Starts drawn before the generator settles for the proven start nearest to the range.
constexpr int kMaxAttempts = 64;
// Positions one proof may keep; a start that needs more is passed over. About 37 MB of tables.
constexpr size_t kProofPositions = 400'000;

const std::vector<Step> kSteps = {
    {"puzzles.stepTiny", 1, 4},    {"puzzles.stepSmall", 5, 7},  {"puzzles.stepMedium", 8, 10},
    {"puzzles.stepLarge", 11, 13}, {"puzzles.stepHuge", 14, 16}, {"puzzles.stepGiant", 17, 19},
};

// A uniformly shuffled start: the first `colors` tubes full, the rest empty.
mar::GameState drawStart(const Shape& shape, Rng& rng) {
    std::vector<int> marbles;
    for (int c = 0; c < shape.colors; ++c)
        marbles.insert(marbles.end(), static_cast<size_t>(shape.capacity), c);
    for (int j = static_cast<int>(marbles.size()) - 1; j > 0; --j)
        std::swap(marbles[j], marbles[rng.intN(j + 1)]);
    mar::GameState s;
    s.capacity = shape.capacity;
    s.tubes.resize(static_cast<size_t>(shape.tubes));
    for (int t = 0; t < shape.colors; ++t)
        s.tubes[t].assign(marbles.begin() + t * shape.capacity,
                          marbles.begin() + (t + 1) * shape.capacity);
    return s;
}

// How far an optimum lies outside the range; 0 inside it.
int distanceToRange(const Shape& shape, int optimum) {
    if (optimum < shape.minOptimum) return shape.minOptimum - optimum;
    return std::max(optimum - shape.maxOptimum, 0);
}

uint32_t streamSeed(const Id& id) {
    // Every size has a stream of its own, so one seed names unrelated puzzles across sizes.
    return id.seed * 2654435761u + static_cast<uint32_t>(id.size) * 40503u +
           static_cast<uint32_t>(id.version) * 0x9E3779B9u;
}

}  // namespace

const Shape& shapeOf(int size) {
    return kShapesV1[std::clamp(size, 0, kSizeCount - 1)];
}

bool supported(const Id& id) {
    return id.version == kVersion && id.size >= 0 && id.size < kSizeCount;
}

Puzzle generate(const Id& id) {
    Puzzle best;
    best.id = id;
    if (!supported(id)) return best;
    const Shape& shape = shapeOf(id.size);
    Rng rng(streamSeed(id));
    mar::SolveBudget budget;
    budget.maxPositions = kProofPositions;
    int bestDistance = -1;
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        mar::GameState start = drawStart(shape, rng);
        best.attempts = attempt;
        if (mar::isSolved(start)) continue;
        const mar::SolveResult r = mar::solveShortest(start, budget);
        best.positions += r.stored;
        best.peakBytes = std::max(best.peakBytes, r.peakBytes);
        if (r.status != mar::SolveStatus::Shortest || r.moves.empty()) continue;
        const int optimum = static_cast<int>(r.moves.size());
        const int distance = distanceToRange(shape, optimum);
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best.start = std::move(start);
            best.optimum = optimum;
            best.solution = r.moves;
        }
        if (distance == 0) break;
    }
    return best;
}

json::Object describe(const Puzzle& p, bool withSolution) {
    json::Object o;
    o["capacity"] = p.start.capacity;
    o["optimum"] = p.optimum;
    json::Array tubes;
    for (const auto& tube : p.start.tubes) {
        json::Array t;
        for (int colour : tube)
            t.emplace_back(colour);
        tubes.emplace_back(std::move(t));
    }
    o["tubes"] = std::move(tubes);
    if (!withSolution) return o;
    json::Array solution;
    for (const mar::Move& m : p.solution) {
        json::Object mo;
        mo["from"] = m.from;
        mo["to"] = m.to;
        solution.emplace_back(std::move(mo));
    }
    o["solution"] = std::move(solution);
    return o;
}

const std::vector<Step>& steps() {
    return kSteps;
}

int stepOfSize(int size) {
    for (size_t i = 0; i < kSteps.size(); ++i)
        if (size <= kSteps[i].lastSize) return static_cast<int>(i);
    return static_cast<int>(kSteps.size()) - 1;
}

Id idInStep(int step, uint32_t seed) {
    const Step& s =
        kSteps[static_cast<size_t>(std::clamp(step, 0, static_cast<int>(kSteps.size()) - 1))];
    const int span = s.lastSize - s.firstSize + 1;
    Id id;
    id.seed = seed;
    id.size = s.firstSize + static_cast<int>(mix(seed + kMixStep) * span);
    return id;
}

}  // namespace puzzle
