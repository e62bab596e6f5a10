// Saves killed at random moments: a child rewrites the four data files through the real store
// writers until SIGKILL stops it, and every file must still hold a whole document.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "core/json.h"
#include "core/levels.h"
#include "core/storage.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

enum File { kSettings, kSave, kSolves, kProgress, kFileCount };
const char* const kNames[kFileCount] = {"settings.json", "save.json", "solves.json",
                                        "progress.json"};

// Settings, saved game and unlock count alternate between two documents told apart by the
// generation's parity. The solve list grows by one entry per generation, because its only
// writer merges: generation g lists the levels 200 … 200 + g.
store::Settings settingsFor(int gen) {
    store::Settings s;
    if (gen % 2 == 0) {
        s.language = "de";
        s.soundOn = false;
        s.musicVolume = 0.5;
        s.sfxVolume = 0.75;
        s.fullscreen = true;
        s.windowW = 900;
        s.windowH = 600;
        s.windowX = 10;
        s.windowY = 20;
    } else {
        s.language = "ja";
        s.musicVolume = 0.125;
        s.maximized = true;
        s.windowW = 1300;
        s.windowH = 900;
    }
    return s;
}

store::SavedGame gameFor(int gen) {
    store::SavedGame g;
    g.valid = true;
    g.level = gen % 2 == 0 ? 0 : 7;
    g.seed = 1000u + static_cast<uint32_t>(gen % 2);
    g.state = mar::loadLevel(g.level);
    // A long history makes the document big enough for a kill to land inside its write.
    const mar::Move m = mar::legalMoves(g.state).front();
    for (int i = 0; i < 40 + 30 * (gen % 2); ++i)
        g.history.push_back(i % 2 == 0 ? m : mar::Move{m.to, m.from});
    g.moveCount = static_cast<int>(g.history.size());
    g.elapsedMs = 5000 + gen % 2;
    g.savedAt = 1700000000000LL + gen % 2;
    return g;
}

store::SolveEntry solveFor(int gen) {
    store::SolveEntry e;
    e.id = "torture_" + std::to_string(gen);
    e.level = 200 + gen;
    e.seed = 7;
    e.moves = 12;
    e.elapsedMs = 3000;
    e.solvedAt = 1700000000000LL;
    e.finalTubes = mar::loadLevel(gen % mar::totalLevels()).tubes;
    e.capacity = 4;
    e.stars = 2;
    return e;
}

int unlockedFor(int gen) {
    return gen % 2 == 0 ? 3 : 7;
}

constexpr int kBestLevel = 4;
const store::LevelBest kBest{2, 31, 45000};

void writeGeneration(int file, int gen) {
    switch (file) {
        case kSettings:
            store::saveSettings(settingsFor(gen));
            break;
        case kSave:
            store::saveGame(gameFor(gen));
            break;
        case kSolves:
            store::recordSolve(solveFor(gen));
            break;
        case kProgress:
            store::setUnlockedLevel(unlockedFor(gen));
            break;
    }
}

bool sameSettings(const store::Settings& a, const store::Settings& b) {
    return a.language == b.language && a.soundOn == b.soundOn && a.musicVolume == b.musicVolume &&
           a.sfxVolume == b.sfxVolume && a.fullscreen == b.fullscreen &&
           a.maximized == b.maximized && a.windowW == b.windowW && a.windowH == b.windowH &&
           a.windowX == b.windowX && a.windowY == b.windowY;
}

// Whether the file on disk is exactly the document of generation gen.
bool holdsGeneration(int file, int gen) {
    switch (file) {
        case kSettings:
            return sameSettings(store::loadSettings(), settingsFor(gen));
        case kSave: {
            const store::SavedGame got = store::loadGame(), want = gameFor(gen);
            return got.valid && got.level == want.level && got.seed == want.seed &&
                   got.state == want.state && got.history == want.history &&
                   got.moveCount == want.moveCount && got.elapsedMs == want.elapsedMs &&
                   got.savedAt == want.savedAt;
        }
        case kSolves: {
            const auto list = store::listSolves();
            if (list.size() != static_cast<size_t>(gen + 1)) return false;
            for (int i = 0; i <= gen; ++i)
                if (list[i].level != 200 + i || list[i].id != solveFor(i).id) return false;
            return true;
        }
        case kProgress: {
            const store::LevelBest b = store::bestFor(kBestLevel);
            return store::unlockedLevel() == unlockedFor(gen) && b.stars == kBest.stars &&
                   b.moves == kBest.moves && b.elapsedMs == kBest.elapsedMs;
        }
    }
    return false;
}

// What the killed writer was doing, in memory shared with the parent: a generation is begun
// just before its writer is called and done once the writer returned.
struct Progress {
    std::atomic<int> begun[kFileCount];
    std::atomic<int> done[kFileCount];
    std::atomic<bool> started;
};

// Generation 0 of every file, written by the parent before the first child starts.
void writeStartingDocuments() {
    store::recordBest(kBestLevel, kBest);
    for (int f = 0; f < kFileCount; ++f)
        writeGeneration(f, 0);
}

std::set<std::string> directoryEntries() {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dataDir()))
        names.insert(e.path().filename().string());
    return names;
}

// Whether the entry is a temporary file ("<name>.tmp-<pid>-<n>") of the named data file left by
// a killed child; the parent's own saves always finish.
bool isChildTemp(const std::string& entry, const std::string& name) {
    const std::string head = name + ".tmp-";
    if (entry.compare(0, head.size(), head) != 0) return false;
    const long pid = std::atol(entry.c_str() + head.size());
    return pid > 0 && pid != getpid() && entry.find('-', head.size()) != std::string::npos;
}

int envInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

}  // namespace

// VANTREL_TORTURE_KILLS sets the number of kills (240 by default).
TEST(CrashSafeSaves, EveryKilledWriterLeavesEachFileWholeEitherOldOrNew) {
    const int kills = envInt("VANTREL_TORTURE_KILLS", 240);
    // Each child carries every file a bounded number of generations further, and the solve
    // list is started afresh long before it would reach its 400-entry cap.
    constexpr int kMaxSteps = 60;
    constexpr int kSolvesRestartAt = 250;
    auto* shared = static_cast<Progress*>(
        mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(shared, MAP_FAILED);
    std::mt19937 rng(20240611u);

    wipeDataDir();
    store::ensureDataDirs();
    writeStartingDocuments();
    // Time one undisturbed generation of the four saves: the kills are spread over a little
    // more than one, so nearly every kill lands inside some save.
    const auto t0 = std::chrono::steady_clock::now();
    for (int f = 0; f < kFileCount; ++f)
        writeGeneration(f, 1);
    const double generationUs =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    std::uniform_int_distribution<int> delayUs(0, static_cast<int>(1.2 * generationUs) + 100);
    int held[kFileCount] = {1, 1, 1, 1};  // the generation each file holds now

    int killed = 0, rounds = 0, midWrite = 0, foundNew = 0;
    std::set<std::string> strayTemps;
    int midWriteOf[kFileCount] = {};
    while (killed < kills) {
        ++rounds;
        ASSERT_LT(rounds, 3 * kills + 20) << "the child keeps finishing before the kill";
        if (held[kSolves] >= kSolvesRestartAt) {
            store::clearAllSolves();
            writeGeneration(kSolves, 0);
            held[kSolves] = 0;
        }
        for (int f = 0; f < kFileCount; ++f) {
            shared->begun[f] = held[f];
            shared->done[f] = held[f];
        }
        shared->started = false;
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            shared->started = true;
            // Each round starts with another file, so the early kills reach all four.
            for (int step = 1; step <= kMaxSteps; ++step) {
                for (int k = 0; k < kFileCount; ++k) {
                    const int f = (rounds + k) % kFileCount;
                    shared->begun[f] = held[f] + step;
                    writeGeneration(f, held[f] + step);
                    shared->done[f] = held[f] + step;
                }
            }
            _exit(0);
        }
        // The moment counts from the child's first instruction, not from fork(): under a slow
        // runtime such as valgrind a new process takes longer to start than a generation takes.
        const auto forked = std::chrono::steady_clock::now();
        while (!shared->started &&
               std::chrono::steady_clock::now() - forked < std::chrono::seconds(10))
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(rng)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        const bool wasKilled = WIFSIGNALED(status);
        if (wasKilled) ++killed;

        for (int f = 0; f < kFileCount; ++f) {
            const int begun = shared->begun[f], done = shared->done[f];
            const std::string path = dataDir() + "/" + kNames[f];
            json::Value doc;
            ASSERT_TRUE(json::parseFile(path, &doc))
                << kNames[f] << " is missing, empty or torn after kill " << killed << ": \""
                << readText(path).substr(0, 200) << "\"";
            const bool isDone = holdsGeneration(f, done);
            const bool isBegun = begun != done && holdsGeneration(f, begun);
            ASSERT_TRUE(isDone || isBegun)
                << kNames[f] << " after kill " << killed << " is neither generation " << done
                << " nor " << begun << ": " << readText(path).substr(0, 300);
            held[f] = isDone ? done : begun;
            if (begun != done) {
                ++midWrite;
                ++midWriteOf[f];
                if (isBegun) ++foundNew;
            }
        }
        // A kill may leave the temporary file of the write it interrupted, nothing else.
        for (const auto& name : directoryEntries()) {
            bool known = false;
            for (const char* n : kNames)
                known = known || name == n || isChildTemp(name, n);
            EXPECT_TRUE(known) << "unexpected file " << name;
            if (name.find(".tmp-") != std::string::npos) strayTemps.insert(name);
        }
    }
    munmap(shared, sizeof(Progress));

    // One more successful write of each file, and the next start removes what the killed
    // writers left.
    for (int f = 0; f < kFileCount; ++f) {
        writeGeneration(f, held[f] + 1);
        EXPECT_TRUE(holdsGeneration(f, held[f] + 1)) << kNames[f];
    }
    store::ensureDataDirs();
    EXPECT_EQ(directoryEntries(), std::set<std::string>(std::begin(kNames), std::end(kNames)));

    std::printf(
        "[torture] %d kills in %d rounds; one generation of the four saves took %.1f ms\n"
        "[torture] %d kills landed inside a save (settings %d, save %d, solves %d, progress %d); "
        "%d of those files already held the new document, the rest the old; the killed writers "
        "left %zu temporary files, all removed at the next start\n",
        killed, rounds, generationUs / 1000, midWrite, midWriteOf[kSettings], midWriteOf[kSave],
        midWriteOf[kSolves], midWriteOf[kProgress], foundNew, strayTemps.size());
    EXPECT_GT(midWrite, kills / 2) << "too few kills hit a save for the run to mean much";
}

// Two copies of the game saving the same file at once, as two running games do: whichever
// rename comes last, a reader always finds one copy's whole document, and no save fails.
// VANTREL_CONCURRENT_WRITES sets the saves per writer (300 by default).
TEST(ConcurrentSaves, TwoWritersOfOneFileAlwaysLeaveOneWholeDocument) {
    const int writes = envInt("VANTREL_CONCURRENT_WRITES", 300);
    wipeDataDir();
    store::ensureDataDirs();
    const std::string path = dataDir() + "/save.json";
    std::string texts[2];
    for (int w = 0; w < 2; ++w) {
        store::saveGame(gameFor(w));
        texts[w] = readText(path);
    }
    ASSERT_NE(texts[0].size(), texts[1].size());

    pid_t pids[2] = {-1, -1};
    std::string errPaths[2];
    for (int w = 0; w < 2; ++w) {
        errPaths[w] = tempRoot() + "/writer" + std::to_string(w) + ".err";
        pids[w] = fork();
        ASSERT_GE(pids[w], 0);
        if (pids[w] == 0) {
            if (!std::freopen(errPaths[w].c_str(), "w", stderr)) _exit(2);
            const store::SavedGame g = gameFor(w);
            for (int i = 0; i < writes; ++i)
                store::saveGame(g);
            std::fflush(stderr);
            _exit(0);
        }
    }
    int reads = 0, torn = 0, seen[2] = {}, running = 2, status[2] = {};
    bool ended[2] = {};
    std::string firstTorn;
    while (running > 0) {
        const std::string text = readText(path);
        ++reads;
        if (text == texts[0] || text == texts[1]) {
            ++seen[text == texts[1]];
        } else if (torn++ == 0) {
            firstTorn = text.substr(0, 200);
        }
        for (int w = 0; w < 2; ++w)
            if (!ended[w] && waitpid(pids[w], &status[w], WNOHANG) == pids[w]) {
                ended[w] = true;
                --running;
            }
    }
    for (int w = 0; w < 2; ++w) {
        EXPECT_TRUE(WIFEXITED(status[w]) && WEXITSTATUS(status[w]) == 0) << w;
        const std::string err = readText(errPaths[w]);
        EXPECT_TRUE(err.empty()) << "writer " << w << ": " << err.substr(0, err.find('\n'));
    }
    EXPECT_EQ(torn, 0) << "first torn read: \"" << firstTorn << "\"";
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"save.json"});
    std::printf(
        "[concurrent] 2 writers x %d saves of one file; %d reads: %d of one, %d of the "
        "other, %d torn\n",
        writes, reads, seen[0], seen[1], torn);
}
