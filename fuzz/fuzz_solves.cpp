// Arbitrary bytes as "solves.json": the gallery and the level select get at most one entry per
// level in level order with a star count they can show, and recording a new solve keeps every
// other stored solve exactly as it was.
#include <climits>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/json.h"
#include "core/levels.h"
#include "core/storage.h"
#include "fuzz_support.h"

namespace {

const int kProbeLevels[] = {0, 1, 3, 104, -1, INT_MAX};

bool same(const store::SolveEntry& a, const store::SolveEntry& b) {
    return a.id == b.id && a.level == b.level && a.seed == b.seed && a.moves == b.moves &&
           a.elapsedMs == b.elapsedMs && a.solvedAt == b.solvedAt && a.finalTubes == b.finalTubes &&
           a.capacity == b.capacity && a.stars == b.stars;
}

void checkList(const std::vector<store::SolveEntry>& list) {
    for (size_t k = 0; k < list.size(); ++k) {
        FUZZ_REQUIRE(list[k].stars >= 1 && list[k].stars <= 3);
        if (k > 0) FUZZ_REQUIRE(list[k - 1].level < list[k].level);
        // The gallery draws each entry in its level's world, whatever level the file names.
        const mar::LevelInfo info = mar::levelInfo(list[k].level);
        FUZZ_REQUIRE(info.colors >= 1 && info.tier >= 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::useTemporaryDataDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::placeFile("solves.json", data, size);
    const std::vector<store::SolveEntry> list = store::listSolves();
    const json::Value doc = json::parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!doc.isArray()) FUZZ_REQUIRE(list.empty());
    FUZZ_REQUIRE(list.size() <= doc.size());
    checkList(list);
    // The level select reads the bests beside the history; they live in another file.
    for (int level : kProbeLevels) {
        const store::LevelBest b = store::bestFor(level);
        FUZZ_REQUIRE(b.stars == 0 && b.moves == 0 && b.elapsedMs == 0);
    }

    store::SolveEntry fresh;
    fresh.id = "fresh";
    fresh.level = 3;
    fresh.moves = 12;
    fresh.stars = 2;
    fresh.elapsedMs = 9000;
    fresh.capacity = 4;
    fresh.finalTubes = {{0, 0, 0, 0}, {}};
    store::recordSolve(fresh);
    const std::vector<store::SolveEntry> after = store::listSolves();
    FUZZ_REQUIRE(after.size() <= static_cast<size_t>(store::kMaxSolves));
    checkList(after);

    std::map<int, const store::SolveEntry*> byLevel;
    for (const auto& e : after)
        byLevel[e.level] = &e;
    const bool full = after.size() == static_cast<size_t>(store::kMaxSolves);
    const store::SolveEntry* old3 = nullptr;
    for (const auto& e : list) {
        if (e.level == 3) {
            old3 = &e;
            continue;
        }
        auto it = byLevel.find(e.level);
        if (it == byLevel.end()) {
            // Only the cap may drop a stored solve, and only one above 400 lower levels.
            FUZZ_REQUIRE(full && after.back().level < e.level);
        } else {
            FUZZ_REQUIRE(same(*it->second, e));
        }
    }
    auto it3 = byLevel.find(3);
    if (it3 == byLevel.end()) {
        FUZZ_REQUIRE(full && after.back().level < 3);
    } else {
        FUZZ_REQUIRE(same(*it3->second, fresh) || (old3 && same(*it3->second, *old3)));
    }

    const json::Value written = json::parse(fuzzsupport::readFile("solves.json"));
    FUZZ_REQUIRE(written.isArray() && written.size() == after.size());
    for (const auto& el : written.asArray())
        FUZZ_REQUIRE(el.isObject() && el.size() == 9);
    fuzzsupport::checkSetAside("solves.json", data, size, size > 0 && !doc.isArray());
    return 0;
}
