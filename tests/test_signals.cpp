// Termination signals at random moments of the real game: during start-up, mid-frame and while
// saving. The first one always ends the game cleanly; a second one always ends it at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "core/json.h"
#include "core/storage.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace testsupport;
using Clock = std::chrono::steady_clock;

namespace {

const char kSettingsText[] =
    "{\"fullscreen\":false,\"language\":\"fr\",\"maximized\":false,\"musicVolume\":0.375,"
    "\"sfxVolume\":0.5,\"soundOn\":true,\"windowH\":700,\"windowW\":1000,\"windowX\":-1000000,"
    "\"windowY\":-1000000}";
const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

int rounds() {
    const char* v = std::getenv("VANTREL_SIGNAL_ROUNDS");
    return v && *v ? std::max(1, std::atoi(v)) : 30;
}

// Games run three at a time, each in a data directory of its own, to keep the wall time down.
constexpr int kParallel = 3;

struct Launch {
    int index = 0;
    int delayMs = 0;
    std::string home;  // XDG_DATA_HOME of this game
    Child child;

    std::string dir() const { return home + "/vantrelMarbles"; }
    std::string settingsPath() const { return dir() + "/settings.json"; }
};

// Starts the game with the termination signals blocked, as a launcher may hand them over, so
// that a signal sent before the game's handler exists waits for it instead of killing the
// process before main. Every other game opens on the solved screen, which saves at once.
void startGame(Launch& run, bool solvedScreen) {
    run.home = tempRoot() + "/signals-" + std::to_string(run.index);
    fs::remove_all(run.home);
    fs::create_directories(run.dir());
    EXPECT_TRUE(writeText(run.settingsPath(), kSettingsText));
    std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                    "ASAN_OPTIONS=detect_leaks=0", "XDG_DATA_HOME=" + run.home};
    if (solvedScreen) env.push_back("VANTREL_SCREEN=solved");
    sigset_t block, old;
    sigemptyset(&block);
    for (int s : kSignals)
        sigaddset(&block, s);
    pthread_sigmask(SIG_BLOCK, &block, &old);
    run.child = startProcess({VANTREL_BINARY}, env);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

// Starts the next games, each with its own moment (0 to 1.5 s) for the signal; solvedScreen
// picks the games that open on the solved screen, which saves at once.
std::vector<Launch> startBatch(int first, std::mt19937& rng,
                               const std::function<bool(int)>& solvedScreen) {
    std::uniform_int_distribution<int> delayMs(0, 1500);
    std::vector<Launch> batch(std::min(kParallel, rounds() - first));
    for (size_t i = 0; i < batch.size(); ++i) {
        batch[i].index = first + static_cast<int>(i);
        batch[i].delayMs = delayMs(rng);
        startGame(batch[i], solvedScreen(batch[i].index));
    }
    return batch;
}

// Runs a batch of games, calling act for each at its own moment, in the order of the moments.
void runBatch(std::vector<Launch>& batch, const std::function<void(Launch&)>& act) {
    const auto start = Clock::now();
    std::vector<Launch*> order;
    for (auto& r : batch)
        order.push_back(&r);
    std::sort(order.begin(), order.end(),
              [](const Launch* a, const Launch* b) { return a->delayMs < b->delayMs; });
    for (Launch* r : order) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(r->delayMs));
        act(*r);
    }
}

// Every data file present is a whole document. Only a save cut off by a second signal may leave
// its temporary file; the next save of that file replaces it.
void expectWholeFiles(const Launch& run, bool tempAllowed) {
    for (const auto& e : fs::directory_iterator(run.dir())) {
        const std::string name = e.path().filename().string();
        if (tempAllowed && name.find(".json.tmp-") != std::string::npos) continue;
        EXPECT_EQ(e.path().extension(), ".json") << "stray " << name;
        json::Value v;
        EXPECT_TRUE(json::parseFile(e.path().string(), &v)) << name << " is torn";
    }
}

bool hasStarted(const Child& c) {
    return readText(c.outPath).find("[video]") != std::string::npos;
}

// Stops the child; false if it ended before it could be stopped.
bool stopAlive(int pid) {
    kill(pid, SIGSTOP);
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WSTOPPED | WNOWAIT) != 0)
        return false;
    return info.si_code == CLD_STOPPED;
}

void signalMainThread(int pid, int sig) {
    syscall(SYS_tgkill, pid, pid, sig);
}

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

}  // namespace

// VANTREL_SIGNAL_ROUNDS sets the number of games of each test (30 by default).
TEST(Signals, AFirstSignalAtAnyMomentEndsWithStatusZeroAndTheSettingsSaved) {
    std::mt19937 rng(424242u);
    int duringStartUp = 0, inLoop = 0, exitedZero = 0;
    double slowestMs = 0;
    for (int first = 0; first < rounds(); first += kParallel) {
        std::vector<Launch> batch =
            startBatch(first, rng, [](int index) { return index % 2 == 1; });
        std::vector<Clock::time_point> sent(batch.size());
        runBatch(batch, [&](Launch& r) {
            (hasStarted(r.child) ? inLoop : duringStartUp)++;
            kill(r.child.pid, kSignals[r.index % 3]);
            sent[r.index - first] = Clock::now();
        });
        for (auto& r : batch) {
            SCOPED_TRACE("game " + std::to_string(r.index) + ", signal " +
                         std::to_string(kSignals[r.index % 3]) + " after " +
                         std::to_string(r.delayMs) + " ms");
            ProcessResult res = finishProcess(r.child, 20);
            slowestMs = std::max(slowestMs, msSince(sent[r.index - first]));
            EXPECT_EQ(res.exitCode, 0) << res.err;
            if (res.exitCode == 0) ++exitedZero;
            EXPECT_EQ(readText(r.settingsPath()), kSettingsText) << res.err;
            expectWholeFiles(r, false);
        }
    }
    std::printf(
        "[signals] first signal: %d games (%d hit during start-up, %d in the loop), %d "
        "ended with status 0; the slowest ended %.0f ms after its signal\n",
        rounds(), duringStartUp, inLoop, exitedZero, slowestMs);
}

TEST(Signals, ASecondSignalAtAnyMomentEndsTheGameAtOnceWithItsNumber) {
    std::mt19937 rng(77001u);
    std::uniform_int_distribution<int> shutdownMs(0, 60);
    int together = 0, duringShutdown = 0, endedFirst = 0;
    double slowestMs = 0;
    for (int first = 0; first < rounds(); first += kParallel) {
        std::vector<Launch> batch =
            startBatch(first, rng, [](int index) { return index % 4 >= 2; });
        // Each game is left stopped with its signals pending; all resume together below.
        std::vector<int> expectSecond(batch.size(), 1);
        runBatch(batch, [&](Launch& r) {
            const int firstSig = kSignals[r.index % 3], secondSig = kSignals[(r.index + 1) % 3];
            if (r.index % 2 == 0) {
                // Both arrive while the game is stopped and are handled back to back. Two
                // different signals, because two pending ones of the same kind merge into one.
                ASSERT_TRUE(stopAlive(r.child.pid));
                signalMainThread(r.child.pid, firstSig);
                signalMainThread(r.child.pid, secondSig);
                ++together;
            } else {
                // The second one lands somewhere in the shutdown the first one started.
                kill(r.child.pid, firstSig);
                std::this_thread::sleep_for(std::chrono::milliseconds(shutdownMs(rng)));
                if (stopAlive(r.child.pid)) {
                    signalMainThread(r.child.pid, secondSig);
                    ++duringShutdown;
                } else {
                    expectSecond[r.index - first] = 0;
                    ++endedFirst;
                }
            }
        });
        for (auto& r : batch) {
            const int firstSig = kSignals[r.index % 3], secondSig = kSignals[(r.index + 1) % 3];
            SCOPED_TRACE("game " + std::to_string(r.index) + " after " + std::to_string(r.delayMs) +
                         " ms");
            const auto resumed = Clock::now();
            kill(r.child.pid, SIGCONT);
            ProcessResult res = finishProcess(r.child, 20);
            slowestMs = std::max(slowestMs, msSince(resumed));
            if (expectSecond[r.index - first]) {
                // Signals still waiting for the handler are delivered lowest number first.
                EXPECT_TRUE(res.exitCode == 128 + secondSig || res.exitCode == 128 + firstSig)
                    << res.exitCode << "\n"
                    << res.err;
            } else {
                EXPECT_EQ(res.exitCode, 0) << res.err;
            }
            // Cut off in the middle of saving, the settings file is still the old one, whole.
            EXPECT_EQ(readText(r.settingsPath()), kSettingsText);
            expectWholeFiles(r, true);
        }
    }
    std::printf(
        "[signals] second signal: %d games (%d with both at once, %d during the "
        "shutdown, %d finished before the second); the slowest ended %.0f ms after "
        "resuming\n",
        rounds(), together, duringShutdown, endedFirst, slowestMs);
}
