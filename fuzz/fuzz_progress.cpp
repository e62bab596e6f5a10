// Arbitrary bytes as "progress.json": the unlock counter is always at least one, and recording a
// best or unlocking a level changes that one thing only, keeping every other stored best.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "core/json.h"
#include "core/storage.h"
#include "fuzz_support.h"

namespace {

const int kProbeLevels[] = {0, 104, -1, INT_MIN};

bool same(const store::LevelBest& a, const store::LevelBest& b) {
    return a.stars == b.stars && a.moves == b.moves && a.elapsedMs == b.elapsedMs;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::useTemporaryDataDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::placeFile("progress.json", data, size);
    const json::Value doc = json::parse(std::string(reinterpret_cast<const char*>(data), size));

    const int unlocked = store::unlockedLevel();
    FUZZ_REQUIRE(unlocked >= 1);
    if (!doc.isObject()) FUZZ_REQUIRE(unlocked == 1);
    for (int level : kProbeLevels) {
        const store::LevelBest b = store::bestFor(level);
        if (!doc["bests"].isObject()) FUZZ_REQUIRE(same(b, store::LevelBest{}));
    }

    store::LevelBest attempt;
    attempt.stars = 2;
    attempt.moves = 20;
    attempt.elapsedMs = 7000;
    const store::LevelBest prev = store::bestFor(3);
    const store::LevelBest merged = store::recordBest(3, attempt);
    FUZZ_REQUIRE(merged.stars == std::max(prev.stars, attempt.stars));
    FUZZ_REQUIRE(same(store::bestFor(3), merged));
    FUZZ_REQUIRE(store::unlockedLevel() == unlocked);

    const json::Value written = json::parse(fuzzsupport::readFile("progress.json"));
    FUZZ_REQUIRE(written.isObject() && written.size() == 2);
    FUZZ_REQUIRE(written["bests"].isObject() && written["unlockedLevel"].isNumber());
    for (const auto& [key, value] : doc["bests"].asObject())
        if (key != "3") FUZZ_REQUIRE(written["bests"][key].dump() == value.dump());

    FUZZ_REQUIRE(store::advanceUnlockedLevel(9) == std::max(unlocked, 9));
    FUZZ_REQUIRE(store::unlockedLevel() == std::max(unlocked, 9));
    FUZZ_REQUIRE(same(store::bestFor(3), merged));
    fuzzsupport::checkSetAside("progress.json", data, size, size > 0 && !doc.isObject());
    return 0;
}
