// The endless puzzles of each step: one drawn seed per step, kept until its puzzle is opened.
#include "screens/puzzle_flow.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/puzzle_code.h"
#include "core/storage.h"
#include "platform/puzzle_maker.h"

namespace screens {
namespace {

int clampStep(int step) {
    return std::clamp(step, 0, static_cast<int>(puzzle::steps().size()) - 1);
}

// Lives as long as the process: a puzzle made ahead stays the next one until it is played.
std::optional<uint32_t>& pendingSeed(int step) {
    static std::vector<std::optional<uint32_t>> seeds(puzzle::steps().size());
    return seeds[static_cast<size_t>(clampStep(step))];
}

}  // namespace

puzzle::Id nextEndlessId(int step) {
    std::optional<uint32_t>& seed = pendingSeed(step);
    if (!seed) seed = store::randomSeed("default") % puzzle::kSeedLimit;
    return puzzle::idInStep(clampStep(step), *seed);
}

void prefetchEndless(int step) {
    maker::prefetch(nextEndlessId(step));
}

void takeEndless(int step) {
    pendingSeed(step).reset();
}

}  // namespace screens
