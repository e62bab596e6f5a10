// Endless play's next puzzle and the titles of generated puzzles.
#include "screens/puzzle_flow.h"

#include <algorithm>
#include <map>

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

// The puzzle chosen ahead for each step, until it is handed out.
std::map<int, puzzle::Id>& chosen() {
    static std::map<int, puzzle::Id> ids;
    return ids;
}

const puzzle::Id& chosenFor(int step) {
    auto it = chosen().find(step);
    if (it == chosen().end()) {
        // A code carries the seed modulo kSeedLimit: a larger one would name another puzzle.
        const uint32_t seed = store::randomSeed("default") % puzzle::kSeedLimit;
        it = chosen().emplace(step, puzzle::idInStep(step, seed)).first;
    }
    return it->second;
}

}  // namespace

puzzle::Id nextEndlessId(int step) {
    step = clampStep(step);
    const puzzle::Id id = chosenFor(step);
    chosen().erase(step);
    return id;
}

void prefetchEndless(int step) {
    maker::prefetch(chosenFor(clampStep(step)));
}

std::string puzzleTitle(const std::string& code, const std::string& date) {
    if (date.empty()) return i18n::tr("playing.puzzleTitle", {{"code", code}});
    const std::optional<puzzle::Date> d = puzzle::parseIsoDate(date);
    return i18n::tr("playing.dailyTitle", {{"date", d ? ui::formatDay(*d) : date}});
}

}  // namespace screens
