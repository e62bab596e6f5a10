// The persistence layer: data directory, settings, saved game, solve history, bests, progress.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/daily.h"
#include "core/state.h"

namespace store {

// ---- Data directory and clock ----
std::string dataDir();
// Creates the data directory and removes the temporary files crashed saves left in it.
void ensureDataDirs();
int64_t nowMs();
// The local calendar date of a point in time (1970-01-01 if it cannot be told).
puzzle::Date localDate(int64_t ms);

// ---- Settings ----
constexpr int kNoPosition = -1000000;

struct Settings {
    std::string language;  // empty: follow the system language
    bool soundOn = true;
    double musicVolume = 0.25;
    double sfxVolume = 1.0;
    bool fullscreen = false;
    bool maximized = false;
    int windowW = 1100;
    int windowH = 760;
    int windowX = kNoPosition;
    int windowY = kNoPosition;
    // Backgrounds, effects and flights stand still or shorten. Unset until the player chooses:
    // the desktop's own animation setting decides meanwhile, and the file leaves the key out.
    std::optional<bool> reduceMotion;

    bool hasPosition() const { return windowX != kNoPosition && windowY != kNoPosition; }
};

Settings loadSettings();
void saveSettings(const Settings& s);

// ---- The game in progress ----
struct SavedGame {
    bool valid = false;
    int level = 0;
    uint32_t seed = 0;
    mar::GameState state;
    std::vector<mar::Move> history;
    int moveCount = 0;
    int64_t elapsedMs = 0;
    int64_t savedAt = 0;
    int hints = 0;  // hints shown so far; "hints" is left out of the file while there are none
    // A generated puzzle's game: its code, and for a daily puzzle its date ("YYYY-MM-DD"). Such
    // a game has level -1, so no catalogue board ever resumes it.
    std::string code;
    std::string date;
};

SavedGame loadGame();
// Why the game cannot be resumed on its level ("level out of range", "colour id out of range",
// …), or an empty string when it can: the one check behind Continue, the level cards and the
// board. A hand-edited file may keep every count right and still be unplayable.
std::string savedGameProblem(const SavedGame& game);
void saveGame(const SavedGame& game);
void clearGame();

// ---- Solve history ----
constexpr int kMaxSolves = 400;

struct SolveEntry {
    std::string id;
    int level = 0;
    uint32_t seed = 0;
    int moves = 0;
    int64_t elapsedMs = 0;
    int64_t solvedAt = 0;
    std::vector<std::vector<int>> finalTubes;
    int capacity = 0;
    int stars = 0;
    int hints = 0;  // hints shown during the solve; any caps the stars at two
};

std::vector<SolveEntry> listSolves();
void recordSolve(const SolveEntry& entry);
std::string newSolveId();
// One value from the named random device, or from the clock when that device fails.
uint32_t randomSeed(const std::string& token);
void clearAllSolves();

// ---- Generated puzzles solved ----
// The most recent results kept in "puzzles.json"; older ones give way.
constexpr int kMaxPuzzleResults = 1000;

struct PuzzleResult {
    std::string code;
    std::string date;      // the daily puzzle's date, "YYYY-MM-DD"; empty for any other puzzle
    std::string solvedOn;  // the local date of the solve, for the daily streaks
    int moves = 0;
    int optimum = 0;
    int stars = 0;
    int hints = 0;
    int64_t elapsedMs = 0;
    int64_t solvedAt = 0;
};

// Newest first; entries that name no valid puzzle are left out, stars are recomputed when
// damaged.
std::vector<PuzzleResult> listPuzzleResults();
void recordPuzzleResult(const PuzzleResult& result);
void clearPuzzleResults();

// ---- Bests and unlock progress ----
struct LevelBest {
    int stars = 0;
    int moves = 0;
    int64_t elapsedMs = 0;
};

LevelBest bestFor(int level);
LevelBest recordBest(int level, const LevelBest& attempt);
int unlockedLevel();
void setUnlockedLevel(int n);
int advanceUnlockedLevel(int to);
void resetProgress();

}  // namespace store
