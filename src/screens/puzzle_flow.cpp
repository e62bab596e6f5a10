// Endless play's next puzzle, one drawn seed per step kept until its puzzle is opened, and the
// titles of generated puzzles.
#include "screens/puzzle_flow.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/daily.h"
#include "core/puzzle_code.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "platform/puzzle_maker.h"
#include "ui/widgets.h"

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
    // A code carries the seed modulo kSeedLimit: a larger one would name another puzzle.
    if (!seed) seed = store::randomSeed("default") % puzzle::kSeedLimit;
    return puzzle::idInStep(clampStep(step), *seed);
}

void prefetchEndless(int step) {
    maker::prefetch(nextEndlessId(step));
}

void takeEndless(int step) {
    pendingSeed(step).reset();
}

std::string puzzleTitle(const std::string& code, const std::string& date) {
    if (date.empty()) return i18n::tr("playing.puzzleTitle", {{"code", code}});
    const std::optional<puzzle::Date> d = puzzle::parseIsoDate(date);
    return i18n::tr("playing.dailyTitle", {{"date", d ? ui::formatDay(*d) : date}});
}

}  // namespace screens
