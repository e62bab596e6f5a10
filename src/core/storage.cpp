// Data files of the game: where they live, how each record is written and read back.
#include "core/storage.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>

#include "core/daily.h"
#include "core/json.h"
#include "core/levels.h"
#include "core/puzzle_code.h"
#include "core/storage_files.h"

namespace store {
namespace {

std::string envOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : fallback;
}

// Creates every directory along the path; failures show up later as a failed write.
void ensureDir(const std::string& path) {
    std::string acc;
    auto makePrefix = [&] {
        if (!acc.empty() && acc != ".") ::mkdir(acc.c_str(), 0755);
    };
    for (char c : path) {
        if (c == '/' || c == '\\') makePrefix();
        acc += c;
    }
    makePrefix();
}

std::string filePath(const std::string& name) {
    return dataDir() + "/" + name;
}

double unitOf(const json::Value& v, double current) {
    double d = v.asNumber(current);
    return std::isnan(d) ? current : std::clamp(d, 0.0, 1.0);
}

}  // namespace

namespace detail {

json::Value readFile(const std::string& name) {
    json::Value v;
    if (!json::parseFile(filePath(name), &v)) return json::Value();
    return v;
}

// A file that is there but can never be read back as the document the game keeps in it: it
// does not parse, or its top level is of another type. An empty file holds nothing to keep,
// and one that cannot be opened may be fine (the write will tell).
bool isCorrupt(const std::string& path, json::Type expected) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    return json::parse(text.str()).type() != expected;
}

// A corrupt file is read as empty, so the next write would replace it and lose whatever the
// player could still recover from it: move it aside first, under a name no earlier one has.
// False when it is corrupt and cannot be moved, in which case nothing may be written over it.
bool setAsideIfCorrupt(const std::string& name, json::Type expected) {
    const std::string path = filePath(name);
    if (!isCorrupt(path, expected)) return true;
    const std::string base = path + ".corrupt-" + std::to_string(nowMs() / 1000);
    for (int k = 0; k < 1000; ++k) {
        const std::string aside = k == 0 ? base : base + "-" + std::to_string(k);
        int r = ::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE);
        if (r != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system that cannot refuse to replace: look first.
            struct stat st {};
            if (::lstat(aside.c_str(), &st) == 0) continue;
            r = ::rename(path.c_str(), aside.c_str());
        }
        if (r == 0) {
            std::fprintf(stderr, "[store] %s ist beschädigt, beiseitegelegt als %s\n", path.c_str(),
                         aside.c_str());
            return true;
        }
        if (errno == ENOENT) return true;  // gone meanwhile: another copy of the game moved it
        if (errno != EEXIST) return false;
    }
    return false;
}

void writeFile(const std::string& name, const json::Value& value) {
    ensureDir(dataDir());
    if (!setAsideIfCorrupt(name, value.type()) || !json::writeFileAtomic(filePath(name), value))
        std::fprintf(stderr, "[store] konnte %s nicht schreiben\n", filePath(name).c_str());
}

// Removing is losing too: a corrupt file goes aside instead.
void removeFile(const std::string& name, json::Type expected) {
    if (setAsideIfCorrupt(name, expected)) std::remove(filePath(name).c_str());
}

json::Value tubesToJson(const std::vector<std::vector<int>>& tubes) {
    json::Array out;
    for (const auto& tube : tubes) {
        json::Array t;
        for (int c : tube)
            t.emplace_back(c);
        out.emplace_back(std::move(t));
    }
    return json::Value(std::move(out));
}

std::vector<std::vector<int>> tubesFromJson(const json::Value& v) {
    std::vector<std::vector<int>> tubes;
    if (!v.isArray()) return tubes;
    for (const auto& el : v.asArray()) {
        std::vector<int> tube;
        if (el.isArray())
            for (const auto& c : el.asArray())
                tube.push_back(c.asInt(0));
        tubes.push_back(std::move(tube));
    }
    return tubes;
}

int64_t int64Of(const json::Value& v) {
    return v.isNumber() ? json::truncToInt64(v.asNumber(0)) : 0;
}

}  // namespace detail

using namespace detail;

// ---- Data directory and clock ----

std::string dataDir() {
    static const std::string dir = [] {
        std::string home = envOr("HOME", ".");
        return envOr("XDG_DATA_HOME", home + "/.local/share") + "/vantrelMarbles";
    }();
    return dir;
}

void ensureDataDirs() {
    ensureDir(dataDir());
    json::removeStaleTemps(dataDir());
}

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

puzzle::Date localDate(int64_t ms) {
    const time_t secs = static_cast<time_t>(ms / 1000);
    struct tm t {};
    if (!localtime_r(&secs, &t)) return {};
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday};
}

// ---- Settings ----

Settings loadSettings() {
    Settings s;
    json::Value doc = readFile("settings.json");
    if (!doc.isObject()) return s;
    if (doc["language"].isString()) s.language = doc["language"].asString();
    s.soundOn = doc["soundOn"].asBool(s.soundOn);
    s.musicVolume = unitOf(doc["musicVolume"], s.musicVolume);
    s.sfxVolume = unitOf(doc["sfxVolume"], s.sfxVolume);
    s.fullscreen = doc["fullscreen"].asBool(s.fullscreen);
    s.maximized = doc["maximized"].asBool(s.maximized);
    s.windowX = doc["windowX"].asInt(s.windowX);
    s.windowY = doc["windowY"].asInt(s.windowY);
    s.windowW = std::max(640, doc["windowW"].asInt(s.windowW));
    s.windowH = std::max(480, doc["windowH"].asInt(s.windowH));
    if (doc["reduceMotion"].isBool()) s.reduceMotion = doc["reduceMotion"].asBool(false);
    return s;
}

void saveSettings(const Settings& s) {
    json::Object o;
    o["fullscreen"] = s.fullscreen;
    o["language"] = s.language;
    o["maximized"] = s.maximized;
    o["musicVolume"] = s.musicVolume;
    if (s.reduceMotion) o["reduceMotion"] = *s.reduceMotion;
    o["sfxVolume"] = s.sfxVolume;
    o["soundOn"] = s.soundOn;
    o["windowH"] = s.windowH;
    o["windowW"] = s.windowW;
    o["windowX"] = s.windowX;
    o["windowY"] = s.windowY;
    writeFile("settings.json", json::Value(std::move(o)));
}

// ---- The game in progress ----

namespace {

// Counters beyond any real game would overflow on continued play.
bool countersOutOfRange(const SavedGame& g) {
    constexpr int kMaxMoves = 1000000;
    constexpr std::int64_t kMaxElapsedMs = 10LL * 366 * 24 * 3600 * 1000;
    return g.moveCount < 0 || g.moveCount > kMaxMoves || g.elapsedMs < 0 ||
           g.elapsedMs > kMaxElapsedMs;
}

}  // namespace

SavedGame loadGame() {
    SavedGame g;
    json::Value doc = readFile("save.json");
    if (!doc.isObject() || !doc["level"].isNumber()) return g;
    g.level = doc["level"].asInt(0);
    g.seed = doc["seed"].isNumber() ? json::truncToUint32(doc["seed"].asNumber(0)) : 0;
    g.state.capacity = doc["capacity"].asInt(0);
    g.state.tubes = tubesFromJson(doc["tubes"]);
    if (g.state.tubes.empty() || g.state.capacity < 1) return g;
    for (const auto& m : doc["history"].asArray())
        g.history.push_back({m["from"].asInt(0), m["to"].asInt(0)});
    g.moveCount = doc["moveCount"].asInt(static_cast<int>(g.history.size()));
    g.elapsedMs = int64Of(doc["elapsedMs"]);
    g.savedAt = int64Of(doc["savedAt"]);
    // A damaged count is no count; a game resumed with hints still earns two stars at most.
    g.hints = std::max(doc["hints"].asInt(0), 0);
    if (doc["code"].isString()) {
        // A generated puzzle's game is never taken for a catalogue level's.
        g.code = doc["code"].asString();
        g.level = -1;
        if (doc["date"].isString()) g.date = doc["date"].asString();
    }
    if (countersOutOfRange(g)) return SavedGame{};  // unusable: no play record comes along
    g.valid = true;
    return g;
}

namespace {

// The shape a saved game must have: that of its level, or of its puzzle's size.
struct BoardShape {
    int capacity = 0, tubes = 0, colours = 0, marbles = 0;
};

std::string shapeProblem(const SavedGame& g, BoardShape* shape) {
    if (!g.code.empty()) {
        const std::optional<puzzle::Id> id = puzzle::decode(g.code);
        if (!id || !puzzle::supported(*id)) return "puzzle code not valid";
        if (!g.date.empty() && !puzzle::parseIsoDate(g.date)) return "daily date not valid";
        const puzzle::Shape& s = puzzle::shapeOf(id->size);
        *shape = {s.capacity, s.tubes, s.colors, s.colors * s.capacity};
        return "";
    }
    if (g.level < 0 || g.level >= mar::totalLevels()) return "level out of range";
    const mar::GameState start = mar::loadLevel(g.level);
    *shape = {start.capacity, start.tubeCount(), mar::levelInfo(g.level).colors,
              start.marbleCount()};
    return "";
}

}  // namespace

std::string savedGameProblem(const SavedGame& g) {
    if (!g.valid) return "no saved game";
    BoardShape shape;
    const std::string problem = shapeProblem(g, &shape);
    if (!problem.empty()) return problem;
    if (countersOutOfRange(g)) return "counters out of range";
    if (g.state.capacity != shape.capacity) return "capacity differs from the level";
    if (g.state.tubeCount() != shape.tubes) return "tube count differs from the level";
    if (g.state.marbleCount() != shape.marbles) return "marble count differs from the level";
    for (const auto& tube : g.state.tubes) {
        if (static_cast<int>(tube.size()) > g.state.capacity) return "tube over capacity";
        for (int c : tube)
            if (c < 0 || c >= shape.colours) return "colour id out of range";
    }
    // Undo walks the history backwards, so every move must name two real tubes.
    for (const auto& m : g.history)
        if (m.from < 0 || m.from >= shape.tubes || m.to < 0 || m.to >= shape.tubes ||
            m.from == m.to)
            return "history names a missing tube";
    return "";
}

void saveGame(const SavedGame& g) {
    json::Object o;
    json::Array history;
    for (const auto& m : g.history) {
        json::Object mo;
        mo["from"] = m.from;
        mo["to"] = m.to;
        history.emplace_back(std::move(mo));
    }
    o["capacity"] = g.state.capacity;
    if (!g.code.empty()) o["code"] = g.code;
    if (!g.date.empty()) o["date"] = g.date;
    o["elapsedMs"] = static_cast<long long>(g.elapsedMs);
    o["history"] = std::move(history);
    if (g.hints > 0) o["hints"] = g.hints;
    // A generated puzzle's game names no level; older builds then leave it alone.
    o["level"] = g.code.empty() ? g.level : -1;
    o["moveCount"] = g.moveCount;
    o["savedAt"] = static_cast<long long>(g.savedAt);
    o["seed"] = static_cast<long long>(g.seed);
    o["tubes"] = tubesToJson(g.state.tubes);
    writeFile("save.json", json::Value(std::move(o)));
}

void clearGame() {
    removeFile("save.json", json::Type::Object);
}

// ---- Solve history ----

namespace {

SolveEntry entryFrom(const json::Value& v) {
    SolveEntry e;
    e.id = v["id"].asString();
    e.level = v["level"].asInt(0);
    e.seed = v["seed"].isNumber() ? json::truncToUint32(v["seed"].asNumber(0)) : 0;
    e.moves = v["moves"].asInt(0);
    e.elapsedMs = int64Of(v["elapsedMs"]);
    e.solvedAt = int64Of(v["solvedAt"]);
    e.finalTubes = tubesFromJson(v["finalTubes"]);
    e.capacity = v["capacity"].asInt(0);
    e.stars = v["stars"].asInt(0);
    e.hints = std::max(v["hints"].asInt(0), 0);
    // A count outside one to three is no count at all, however large: the gallery shows three
    // stars at most and ranks solves by them, so a damaged 4 would otherwise beat every real solve.
    // Neither does a solve helped by hints keep three.
    if (e.stars < 1 || e.stars > (e.hints > 0 ? 2 : 3))
        e.stars = mar::computeStars(e.moves, mar::levelInfo(e.level).solutionLength, e.hints);
    return e;
}

json::Value entryTo(const SolveEntry& e) {
    json::Object o;
    o["capacity"] = e.capacity;
    o["elapsedMs"] = static_cast<long long>(e.elapsedMs);
    o["finalTubes"] = tubesToJson(e.finalTubes);
    // Only a helped solve carries the member, so older files and unhelped solves read the same.
    if (e.hints > 0) o["hints"] = e.hints;
    o["id"] = e.id;
    o["level"] = e.level;
    o["moves"] = e.moves;
    o["seed"] = static_cast<long long>(e.seed);
    o["solvedAt"] = static_cast<long long>(e.solvedAt);
    o["stars"] = e.stars;
    return json::Value(std::move(o));
}

bool isBetter(const SolveEntry& a, const SolveEntry& b) {
    if (a.stars != b.stars) return a.stars > b.stars;
    if (a.moves != b.moves) return a.moves < b.moves;
    if (a.hints != b.hints) return a.hints < b.hints;
    return a.elapsedMs < b.elapsedMs;
}

// One entry per level, the best; on a full tie the earlier one stays. Keyed by level, so a
// damaged file listing a huge number of distinct levels costs n log n rather than n squared.
std::vector<SolveEntry> normalize(const std::vector<SolveEntry>& list) {
    std::map<int, const SolveEntry*> best;
    for (const auto& e : list) {
        auto [it, fresh] = best.emplace(e.level, &e);
        if (!fresh && isBetter(e, *it->second)) it->second = &e;
    }
    std::vector<SolveEntry> kept;
    kept.reserve(best.size());
    for (const auto& entry : best)
        kept.push_back(*entry.second);
    return kept;
}

void writeSolves(const std::vector<SolveEntry>& list) {
    json::Array arr;
    for (const auto& e : list)
        arr.push_back(entryTo(e));
    writeFile("solves.json", json::Value(std::move(arr)));
}

}  // namespace

std::vector<SolveEntry> listSolves() {
    json::Value doc = readFile("solves.json");
    std::vector<SolveEntry> list;
    for (const auto& el : doc.asArray())
        list.push_back(entryFrom(el));
    return normalize(list);
}

void recordSolve(const SolveEntry& entry) {
    std::vector<SolveEntry> list = listSolves();
    list.push_back(entry);
    list = normalize(list);
    if (list.size() > static_cast<size_t>(kMaxSolves)) list.resize(kMaxSolves);
    writeSolves(list);
}

uint32_t randomSeed(const std::string& token) {
    try {
        std::random_device device(token);
        return device();
    } catch (...) {
        // No usable random device (none in a bare container, or it failed to read): ids need
        // only differ, and the clock's nanoseconds do that.
        const auto ns = std::chrono::high_resolution_clock::now().time_since_epoch().count();
        return static_cast<uint32_t>(static_cast<uint64_t>(ns) ^ (static_cast<uint64_t>(ns) >> 32));
    }
}

std::string newSolveId() {
    static std::mt19937 gen{randomSeed("default")};
    std::uniform_int_distribution<int> dist(0, 999999);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lld_%d", static_cast<long long>(nowMs()), dist(gen));
    return buf;
}

void clearAllSolves() {
    removeFile("solves.json", json::Type::Array);
}

// ---- Bests and unlock progress ----

namespace {

json::Value progressDoc() {
    return readFile("progress.json");
}

json::Object bestsOf(const json::Value& doc) {
    return doc["bests"].asObject();
}

void writeProgressDoc(json::Object bests, int unlocked) {
    json::Object o;
    o["bests"] = json::Value(std::move(bests));
    o["unlockedLevel"] = unlocked;
    writeFile("progress.json", json::Value(std::move(o)));
}

}  // namespace

LevelBest bestFor(int level) {
    json::Value doc = progressDoc();
    const json::Value& b = doc["bests"][std::to_string(level)];
    LevelBest best;
    if (!b.isObject()) return best;
    best.stars = b["stars"].asInt(0);
    best.moves = b["moves"].asInt(0);
    best.elapsedMs = int64Of(b["elapsedMs"]);
    return best;
}

LevelBest recordBest(int level, const LevelBest& attempt) {
    json::Object bests = bestsOf(progressDoc());
    LevelBest prev = bestFor(level);
    LevelBest merged;
    merged.stars = std::max(attempt.stars, prev.stars);
    merged.moves = (prev.stars > 0 && prev.moves < attempt.moves) ? prev.moves : attempt.moves;
    merged.elapsedMs =
        prev.elapsedMs > 0 ? std::min(prev.elapsedMs, attempt.elapsedMs) : attempt.elapsedMs;
    json::Object b;
    b["elapsedMs"] = static_cast<long long>(merged.elapsedMs);
    b["moves"] = merged.moves;
    b["stars"] = merged.stars;
    bests[std::to_string(level)] = json::Value(std::move(b));
    writeProgressDoc(std::move(bests), unlockedLevel());
    return merged;
}

int unlockedLevel() {
    json::Value doc = progressDoc();
    if (!doc.isObject()) return 1;
    int n = doc["unlockedLevel"].asInt(1);
    return n <= 0 ? 1 : n;
}

void setUnlockedLevel(int n) {
    writeProgressDoc(bestsOf(progressDoc()), n <= 0 ? 1 : n);
}

int advanceUnlockedLevel(int to) {
    int stored = unlockedLevel();
    if (stored >= to) return stored;
    setUnlockedLevel(to);
    return to;
}

void resetProgress() {
    writeProgressDoc(json::Object(), 1);
    clearAllSolves();
    clearPuzzleResults();
    clearGame();
}

}  // namespace store
