// "puzzles.json": the generated puzzles solved, newest first, a bounded list.
#include <algorithm>
#include <optional>

#include "core/daily.h"
#include "core/puzzle_code.h"
#include "core/state.h"
#include "core/storage.h"
#include "core/storage_files.h"

namespace store {

using namespace detail;

namespace {

constexpr const char* kFile = "puzzles.json";

// Nothing for an entry that cannot stand for a solve: no valid puzzle, or no play at all.
std::optional<PuzzleResult> resultFrom(const json::Value& v) {
    PuzzleResult r;
    r.code = v["code"].asString();
    const std::optional<puzzle::Id> id = puzzle::decode(r.code);
    if (!id || !puzzle::supported(*id)) return std::nullopt;
    r.code = puzzle::encode(*id);  // the one spelling, whatever was typed into the file
    if (v["date"].isString() && puzzle::parseIsoDate(v["date"].asString()))
        r.date = v["date"].asString();
    if (v["solvedOn"].isString() && puzzle::parseIsoDate(v["solvedOn"].asString()))
        r.solvedOn = v["solvedOn"].asString();
    r.moves = v["moves"].asInt(0);
    r.optimum = v["optimum"].asInt(0);
    // No puzzle of any size needs more than a few hundred moves; beyond that the counts are damage.
    constexpr int kMaxMoves = 1000000, kMaxOptimum = 1000;
    if (r.optimum <= 0 || r.optimum > kMaxOptimum || r.moves < r.optimum || r.moves > kMaxMoves)
        return std::nullopt;
    r.hints = std::max(v["hints"].asInt(0), 0);
    r.stars = v["stars"].asInt(0);
    // The file's stars are taken only as far as the moves and hints earn them.
    r.stars = std::clamp(r.stars, 1, mar::computeStars(r.moves, r.optimum, r.hints));
    r.elapsedMs = std::max<int64_t>(int64Of(v["elapsedMs"]), 0);
    r.solvedAt = int64Of(v["solvedAt"]);
    return r;
}

json::Value resultTo(const PuzzleResult& r) {
    json::Object o;
    o["code"] = r.code;
    if (!r.date.empty()) o["date"] = r.date;
    o["elapsedMs"] = static_cast<long long>(r.elapsedMs);
    if (r.hints > 0) o["hints"] = r.hints;
    o["moves"] = r.moves;
    o["optimum"] = r.optimum;
    o["solvedAt"] = static_cast<long long>(r.solvedAt);
    if (!r.solvedOn.empty()) o["solvedOn"] = r.solvedOn;
    o["stars"] = r.stars;
    return json::Value(std::move(o));
}

}  // namespace

std::vector<PuzzleResult> listPuzzleResults() {
    const json::Value doc = readFile(kFile);
    std::vector<PuzzleResult> list;
    for (const auto& el : doc["results"].asArray()) {
        if (list.size() == static_cast<size_t>(kMaxPuzzleResults)) break;
        if (std::optional<PuzzleResult> r = resultFrom(el)) list.push_back(std::move(*r));
    }
    return list;
}

void recordPuzzleResult(const PuzzleResult& result) {
    std::vector<PuzzleResult> list = listPuzzleResults();
    list.insert(list.begin(), result);
    if (list.size() > static_cast<size_t>(kMaxPuzzleResults)) list.resize(kMaxPuzzleResults);
    json::Array arr;
    for (const PuzzleResult& r : list)
        arr.push_back(resultTo(r));
    json::Object o;
    o["results"] = std::move(arr);
    o["version"] = 1;
    writeFile(kFile, json::Value(std::move(o)));
}

void clearPuzzleResults() {
    removeFile(kFile, json::Type::Object);
}

}  // namespace store
