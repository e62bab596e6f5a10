// Arbitrary bytes as "save.json": the loader answers "usable or not" with a record whose shape
// holds what the flag promises, the catalogue and rules cope with whatever level and position it
// names, and a usable game saves and loads back unchanged.
#include <cstdint>
#include <string>

#include "core/json.h"
#include "core/levels.h"
#include "core/state.h"
#include "core/storage.h"
#include "fuzz_support.h"

namespace {

bool same(const store::SavedGame& a, const store::SavedGame& b) {
    return a.valid == b.valid && a.level == b.level && a.seed == b.seed && a.state == b.state &&
           a.history == b.history && a.moveCount == b.moveCount && a.elapsedMs == b.elapsedMs &&
           a.savedAt == b.savedAt;
}

// What the playing screen asks of the catalogue and the rules for a saved game of the same
// shape as its level; the screen decides separately whether the colours and counts fit.
void exerciseRules(const store::SavedGame& g) {
    const mar::LevelInfo info = mar::levelInfo(g.level);
    FUZZ_REQUIRE(info.capacity >= 1 && info.colors >= 1);
    const mar::GameState initial = mar::loadLevel(g.level);
    FUZZ_REQUIRE(initial.capacity == info.capacity && !initial.tubes.empty());
    if (!g.valid || g.state.capacity != initial.capacity ||
        g.state.tubeCount() != initial.tubeCount())
        return;

    mar::GameState s = g.state;
    const int marbles = s.marbleCount();
    for (const mar::Move& m : mar::legalMoves(s)) {
        FUZZ_REQUIRE(mar::canMoveOne(s, m.from, m.to));
        FUZZ_REQUIRE(mar::applyMoveOne(s, m).marbleCount() == marbles);
    }
    mar::isSolved(s);
    // Undo walks the history backwards, each step carrying a marble back where it came from.
    for (auto it = g.history.rbegin(); it != g.history.rend(); ++it) {
        if (mar::canMoveOne(s, it->to, it->from)) s = mar::applyMoveOne(s, {it->to, it->from});
        FUZZ_REQUIRE(s.marbleCount() == marbles);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::useTemporaryDataDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::placeFile("save.json", data, size);
    store::SavedGame g = store::loadGame();

    const json::Value doc = json::parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!doc.isObject() || !doc["level"].isNumber()) FUZZ_REQUIRE(same(g, store::SavedGame{}));
    if (g.valid) {
        FUZZ_REQUIRE(g.state.capacity >= 1 && !g.state.tubes.empty());
        FUZZ_REQUIRE(g.state.tubes.size() == doc["tubes"].asArray().size());
        FUZZ_REQUIRE(g.history.size() == doc["history"].asArray().size());
        if (!doc["moveCount"].isNumber())
            FUZZ_REQUIRE(g.moveCount == static_cast<int>(g.history.size()));
    } else {
        // An unusable file brings no play record along with it.
        FUZZ_REQUIRE(g.history.empty() && g.moveCount == 0 && g.elapsedMs == 0 && g.savedAt == 0);
    }
    exerciseRules(g);

    if (!g.valid) {
        g.valid = true;
        g.state.capacity = 2;
        g.state.tubes = {{1, 0}, {}};
    }
    store::saveGame(g);
    FUZZ_REQUIRE(same(store::loadGame(), g));
    store::clearGame();
    FUZZ_REQUIRE(!store::loadGame().valid);
    fuzzsupport::checkSetAside("save.json", data, size, size > 0 && !doc.isObject());
    return 0;
}
