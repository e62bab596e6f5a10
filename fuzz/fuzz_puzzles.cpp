// Arbitrary bytes as "puzzles.json": every result listed names a valid puzzle with counts the
// results view can show, and recording a new one keeps it first and the older ones in order.
#include <cstdint>
#include <string>
#include <vector>

#include "core/json.h"
#include "core/puzzle_code.h"
#include "core/storage.h"
#include "fuzz_support.h"

namespace {

void checkList(const std::vector<store::PuzzleResult>& list) {
    FUZZ_REQUIRE(list.size() <= static_cast<size_t>(store::kMaxPuzzleResults));
    for (const store::PuzzleResult& r : list) {
        const std::optional<puzzle::Id> id = puzzle::decode(r.code);
        FUZZ_REQUIRE(id && puzzle::supported(*id) && puzzle::encode(*id) == r.code);
        FUZZ_REQUIRE(r.optimum >= 1 && r.moves >= r.optimum);
        FUZZ_REQUIRE(r.stars >= 1 && r.stars <= 3 && r.hints >= 0 && r.elapsedMs >= 0);
        FUZZ_REQUIRE(r.date.empty() || puzzle::parseIsoDate(r.date));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::useTemporaryDataDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::placeFile("puzzles.json", data, size);
    const std::vector<store::PuzzleResult> list = store::listPuzzleResults();
    const json::Value doc = json::parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!doc.isObject()) FUZZ_REQUIRE(list.empty());
    checkList(list);

    store::PuzzleResult fresh;
    fresh.code = "3D2-266-GGG";
    fresh.moves = 40;
    fresh.optimum = 35;
    fresh.stars = 2;
    store::recordPuzzleResult(fresh);
    const std::vector<store::PuzzleResult> after = store::listPuzzleResults();
    checkList(after);
    FUZZ_REQUIRE(!after.empty() && after[0].code == fresh.code && after[0].moves == 40);
    for (size_t k = 1; k < after.size(); ++k)
        FUZZ_REQUIRE(after[k].code == list[k - 1].code && after[k].moves == list[k - 1].moves);
    fuzzsupport::checkSetAside("puzzles.json", data, size, size > 0 && !doc.isObject());
    return 0;
}
