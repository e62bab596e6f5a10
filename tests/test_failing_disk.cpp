// The real game on a disk that refuses writes: a read-only data directory and a full disk
// (the preloaded fault shim). Each failed save costs one message, nothing on disk is damaged,
// nothing in memory is lost, and the next save after the fault succeeds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/json.h"
#include "core/levels.h"
#include "core/state.h"
#include "core/storage.h"
#include "screens/playing.h"
#include "screens/solved.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

const char kSettingsText[] =
    "{\"fullscreen\":false,\"language\":\"de\",\"maximized\":false,\"musicVolume\":0.5,"
    "\"sfxVolume\":0.75,\"soundOn\":false,\"windowH\":700,\"windowW\":1000,"
    "\"windowX\":-1000000,\"windowY\":-1000000}";
const char kProgressText[] =
    "{\"bests\":{\"6\":{\"elapsedMs\":61000,\"moves\":40,\"stars\":2}},\"unlockedLevel\":9}";

std::string file(const std::string& name) {
    return dataDir() + "/" + name;
}

std::string controlPath() {
    return tempRoot() + "/fault-control";
}

void setFault(const std::string& call) {
    if (call.empty())
        std::remove(controlPath().c_str());
    else
        ASSERT_TRUE(writeText(controlPath(), call + "\n"));
}

void preseed() {
    wipeDataDir();
    store::ensureDataDirs();
    ASSERT_TRUE(writeText(file("settings.json"), kSettingsText));
    ASSERT_TRUE(writeText(file("progress.json"), kProgressText));
}

std::vector<std::string> lines(const std::string& text, const std::string& prefix) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
}

std::string storeLine(const std::string& name) {
    return "[store] konnte " + file(name) + " nicht schreiben";
}

// Pairs every "[store]" message with one injected fault on the same file: one failed save,
// one message. Returns the number of pairs.
int expectOneMessagePerFault(const std::string& err) {
    std::vector<std::string> reported, injected;
    for (const auto& l : lines(err, "[store] ")) {
        const std::string head = "[store] konnte ", tail = " nicht schreiben";
        EXPECT_TRUE(l.size() > head.size() + tail.size() && l.compare(0, head.size(), head) == 0 &&
                    l.compare(l.size() - tail.size(), tail.size(), tail) == 0)
            << l;
        reported.push_back(l.substr(head.size(), l.size() - head.size() - tail.size()));
    }
    for (const auto& l : lines(err, "[faultshim] ")) {
        std::string path = l.substr(l.find(' ', 12) + 1);
        // A fault in a save's temporary file ("<name>.tmp-<pid>-<n>") is a fault of that file.
        const size_t tmp = path.rfind(".tmp-");
        if (tmp != std::string::npos) path.resize(tmp);
        injected.push_back(path);
    }
    std::sort(reported.begin(), reported.end());
    std::sort(injected.begin(), injected.end());
    EXPECT_EQ(reported, injected) << err;
    return static_cast<int>(injected.size());
}

std::vector<std::string> dataEntries() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dataDir()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool waitForError(const Child& c, const std::string& text, double timeoutSec = 30) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSec);
    while (std::chrono::steady_clock::now() < end) {
        if (readText(c.errPath).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string d; std::getline(dirs, d, ':');) {
        const std::string candidate = d + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

std::vector<std::string> faultEnv(const std::string& video = "offscreen") {
    // The shim is not built with the sanitizer runtime, which would otherwise insist on
    // being loaded first.
    return {"SDL_VIDEODRIVER=" + video,
            "SDL_AUDIODRIVER=dummy",
            "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0",
            "VANTREL_SCREEN=solved",
            "LD_PRELOAD=" VANTREL_FAULTSHIM,
            "VANTREL_FAULT_DIR=" + dataDir(),
            "VANTREL_FAULT_CONTROL=" + controlPath()};
}

// Starts the solved screen (which stores the best of level 1), waits for its save, then ends
// the game with SIGTERM (which stores the settings).
ProcessResult solvedScreenThenTerminate(const std::vector<std::string>& argv,
                                        const std::vector<std::string>& env, bool saveFails) {
    Child c = startProcess(argv, env);
    EXPECT_TRUE(waitForOutput(c, "[video]")) << readText(c.errPath);
    if (saveFails) {
        EXPECT_TRUE(waitForError(c, storeLine("progress.json")));
    } else {
        // Written when the solved screen is built on the first frame.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (store::bestFor(0).stars == 0 && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(c.pid, SIGTERM);
    return finishProcess(c);
}

}  // namespace

TEST(FailingDisk, EachFailingCallOfASaveCostsOneMessageAndDamagesNoFile) {
    const std::vector<std::string> files = {"progress.json", "settings.json"};
    int faults = 0;
    for (const char* call : {"open", "write", "stall", "fsync", "close", "rename"}) {
        SCOPED_TRACE(call);
        preseed();
        setFault(call);
        ProcessResult r = solvedScreenThenTerminate({VANTREL_BINARY}, faultEnv(), true);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(lines(r.err, "[store] "), (std::vector<std::string>{storeLine("progress.json"),
                                                                      storeLine("settings.json")}))
            << r.err;
        EXPECT_EQ(lines(r.err, "[faultshim] ").size(), 2u) << r.err;
        faults += expectOneMessagePerFault(r.err);
        EXPECT_EQ(readText(file("settings.json")), kSettingsText);
        EXPECT_EQ(readText(file("progress.json")), kProgressText);
        EXPECT_EQ(dataEntries(), files) << "no temporary file stays behind";
    }

    // The same run once the disk has room again: both saves land.
    setFault("");
    ProcessResult r = solvedScreenThenTerminate({VANTREL_BINARY}, faultEnv(), false);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.err, "[store] "), std::vector<std::string>{}) << r.err;
    EXPECT_EQ(readText(file("settings.json")), kSettingsText);
    EXPECT_EQ(store::bestFor(0).stars, mar::computeStars(3, mar::levelInfo(0).solutionLength));
    EXPECT_EQ(store::bestFor(6).moves, 40) << "the other bests stay";
    EXPECT_EQ(store::unlockedLevel(), 9);
    EXPECT_EQ(dataEntries(), files);
    std::printf("[faults] %d injected failures, each reported once, no file damaged\n", faults);
}

TEST(FailingDisk, AReadOnlyDataDirectoryCostsOneMessagePerSaveAndNothingElse) {
    preseed();
    ASSERT_EQ(chmod(dataDir().c_str(), 0555), 0);
    // Root writes into a read-only directory regardless, unless it gives up the capabilities
    // that override file permissions.
    std::vector<std::string> launcher;
    const std::string probe = file("probe");
    if (writeText(probe, "x")) {
        std::remove(probe.c_str());
        const std::string setpriv = findProgram("setpriv");
        if (setpriv.empty()) {
            chmod(dataDir().c_str(), 0755);
            GTEST_SKIP() << "running as root without setpriv: cannot make a directory read-only";
        }
        launcher = {setpriv, "--bounding-set=-dac_override,-dac_read_search,-fowner", "--"};
        ProcessResult p = runProcess({setpriv, launcher[1], "--", "/bin/sh", "-c", ": > " + probe});
        if (p.exitCode == 0) {
            std::remove(probe.c_str());
            chmod(dataDir().c_str(), 0755);
            GTEST_SKIP() << "cannot drop the capabilities that override file permissions";
        }
    }
    std::vector<std::string> argv = launcher;
    argv.push_back(VANTREL_BINARY);
    const std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                          "ASAN_OPTIONS=detect_leaks=0", "VANTREL_SCREEN=solved"};
    ProcessResult r = solvedScreenThenTerminate(argv, env, true);
    chmod(dataDir().c_str(), 0755);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.err, "[store] "),
              (std::vector<std::string>{storeLine("progress.json"), storeLine("settings.json")}))
        << r.err;
    EXPECT_EQ(readText(file("settings.json")), kSettingsText);
    EXPECT_EQ(readText(file("progress.json")), kProgressText);
    EXPECT_EQ(dataEntries(), (std::vector<std::string>{"progress.json", "settings.json"}));

    r = solvedScreenThenTerminate({VANTREL_BINARY}, env, false);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.err, "[store] "), std::vector<std::string>{}) << r.err;
    EXPECT_GT(store::bestFor(0).stars, 0);
}

// ---- Under a virtual X server, with real clicks and keys ----

namespace {

class XSession {
  public:
    XSession() {
        const std::string xvfb = findProgram("Xvfb");
        xdotool_ = findProgram("xdotool");
        if (xvfb.empty() || xdotool_.empty()) return;
        server_ = startProcess(
            {xvfb, "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end) {
            const std::string out = readText(server_.outPath);
            if (out.find('\n') != std::string::npos) {
                display_ = ":" + out.substr(0, out.find('\n'));
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~XSession() {
        if (server_.pid > 0) {
            kill(server_.pid, SIGTERM);
            finishProcess(server_, 10);
        }
    }
    bool ok() const { return !display_.empty(); }
    const std::string& display() const { return display_; }

    std::string xdotool(const std::vector<std::string>& args) const {
        std::vector<std::string> argv = {xdotool_};
        argv.insert(argv.end(), args.begin(), args.end());
        return runProcess(argv, {"DISPLAY=" + display_}, 20).out;
    }

  private:
    std::string xdotool_, display_;
    Child server_;
};

bool waitFor(const std::function<bool()>& done, double timeoutSec) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSec);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

// Window size and clicks in window coordinates, which are the game's logical units here.
// Every action waits for frames drawn after it, counted from the statistics lines, so that it
// is handled whatever the frame rate of a loaded machine.
class GameWindow {
  public:
    GameWindow(const XSession& x, const std::string& id, const Child& game)
        : x_(x), id_(id), errPath_(game.errPath) {}

    void size(double* w, double* h) const {
        std::istringstream in(x_.xdotool({"getwindowgeometry", "--shell", id_}));
        *w = *h = 0;
        for (std::string l; std::getline(in, l);) {
            if (l.compare(0, 6, "WIDTH=") == 0) *w = std::atof(l.c_str() + 6);
            if (l.compare(0, 7, "HEIGHT=") == 0) *h = std::atof(l.c_str() + 7);
        }
    }
    void click(double x, double y, int frames = 3) const {
        x_.xdotool({"mousemove", "--window", id_, std::to_string(static_cast<int>(x)),
                    std::to_string(static_cast<int>(y)), "sleep", "0.1", "click", "1"});
        waitFrames(frames);
    }
    void key(const std::string& k, bool waitForFrames = true) const {
        x_.xdotool({"key", "--window", id_, k});
        if (waitForFrames) waitFrames(3);
    }

    // Clicks the two tubes of a level-1 move and lets the marble land (its flight advances at
    // most 0.05 s per frame).
    void move(const mar::Move& m) const {
        const mar::GameState s = mar::loadLevel(0);
        double w = 0, h = 0;
        size(&w, &h);
        screens::BoardLayout b;
        screens::layoutBoard(b, w, h, s.tubeCount(), s.capacity, false);
        click(b.tubes[m.from].r.cx(), b.tubes[m.from].r.cy());
        click(b.tubes[m.to].r.cx(), b.tubes[m.to].r.cy(), 16);
    }

  private:
    // The frame counts of the statistics lines printed so far, one line per second.
    std::vector<int> frameCounts() const {
        std::vector<int> counts;
        for (const auto& l : lines(readText(errPath_), "[stats] "))
            counts.push_back(std::atoi(l.c_str() + 8));
        return counts;
    }
    // The first line after the action may count frames from before it, so it is skipped.
    void waitFrames(int n) const {
        const size_t mark = frameCounts().size() + 1;
        EXPECT_TRUE(waitFor(
            [&] {
                const std::vector<int> counts = frameCounts();
                int after = 0;
                for (size_t i = mark; i < counts.size(); ++i)
                    after += counts[i];
                return counts.size() > mark && after >= n;
            },
            60))
            << "the game stopped drawing";
    }

    const XSession& x_;
    std::string id_;
    std::string errPath_;
};

}  // namespace

TEST(FailingDisk, AFullDiskDuringPlayLosesNothingInMemoryAndTheNextSavesSucceed) {
    XSession x;
    if (!x.ok()) GTEST_SKIP() << "needs Xvfb and xdotool";
    preseed();
    const std::vector<mar::Move> solution = mar::levelSolution(0);
    ASSERT_GE(solution.size(), 3u);
    const std::string settingsFile = file("settings.json"), progressFile = file("progress.json");

    setFault("open");
    std::vector<std::string> env = faultEnv("x11");
    env.push_back("DISPLAY=" + x.display());
    env.push_back("VANTREL_STATS=");
    Child c = startProcess({VANTREL_BINARY}, env);
    ASSERT_TRUE(waitForOutput(c, "[video]")) << readText(c.errPath);
    std::string id;
    ASSERT_TRUE(waitFor(
        [&] {
            id = x.xdotool({"search", "--name", "^Vantrel's Marbles$"});
            id = id.substr(0, id.find('\n'));
            return !id.empty();
        },
        20));
    GameWindow win(x, id, c);

    // The solved screen of level 1 cannot store its best.
    ASSERT_TRUE(waitForError(c, storeLine("progress.json")));
    double w = 0, h = 0;
    win.size(&w, &h);
    const ui::Rect again =
        screens::solvedButtonRects(w, h, mar::computeStars(3, mar::levelInfo(0).solutionLength))[1];
    win.click(again.cx(), again.cy());

    // A move whose save runs out of space half way and one whose file cannot be renamed into
    // place.
    setFault("write");
    win.move(solution[0]);
    ASSERT_TRUE(waitForError(c, storeLine("save.json")));
    setFault("rename");
    win.move(solution[1]);
    ASSERT_TRUE(waitFor([&] { return lines(readText(c.errPath), "[store] ").size() >= 3; }, 10))
        << readText(c.errPath);
    EXPECT_EQ(readText(settingsFile), kSettingsText);
    EXPECT_EQ(readText(progressFile), kProgressText);
    EXPECT_EQ(dataEntries(), (std::vector<std::string>{"progress.json", "settings.json"}));

    // Room again. The undo stores the first move, made while the disk was full, and a move
    // count that includes both moves whose saves failed (an undo counts as a move).
    setFault("");
    win.key("u");
    mar::GameState afterFirst = mar::applyMoveOne(mar::loadLevel(0), solution[0]);
    ASSERT_TRUE(waitFor([] { return store::loadGame().moveCount == 3; }, 5)) << readText(c.errPath);
    store::SavedGame g = store::loadGame();
    EXPECT_EQ(g.history, std::vector<mar::Move>{solution[0]});
    EXPECT_EQ(g.state, afterFirst);
    win.move(solution[1]);
    g = store::loadGame();
    EXPECT_EQ(g.history, std::vector<mar::Move>(solution.begin(), solution.begin() + 2));
    EXPECT_EQ(g.moveCount, 4);

    // The solve is recorded, then the solved screen stores the best.
    for (size_t i = 2; i < solution.size(); ++i)
        win.move(solution[i]);
    const int moves = static_cast<int>(solution.size()) + 2;
    ASSERT_TRUE(waitFor([] { return store::listSolves().size() == 1; }, 5));
    EXPECT_EQ(store::listSolves()[0].moves, moves);
    EXPECT_FALSE(fileExists(file("save.json")));
    const int stars = mar::computeStars(moves, mar::levelInfo(0).solutionLength);
    EXPECT_TRUE(waitFor([&] { return store::bestFor(0).moves == moves; }, 15));
    EXPECT_EQ(store::bestFor(0).stars, stars);
    EXPECT_EQ(store::unlockedLevel(), 9);

    // The full-screen key, whose settings cannot be synced; the settings in memory keep the
    // switch and the save at exit stores it.
    setFault("fsync");
    win.key("F11");
    ASSERT_TRUE(waitForError(c, storeLine("settings.json")));
    EXPECT_EQ(readText(settingsFile), kSettingsText);
    setFault("");
    win.key("ctrl+q", false);
    ProcessResult r = finishProcess(c);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const store::Settings s = store::loadSettings();
    EXPECT_TRUE(s.fullscreen);
    EXPECT_EQ(s.language, "de");
    EXPECT_EQ(s.musicVolume, 0.5);
    EXPECT_EQ(s.sfxVolume, 0.75);
    EXPECT_FALSE(s.soundOn);
    EXPECT_EQ(s.windowW, 1000);
    EXPECT_EQ(s.windowH, 700);
    const int faults = expectOneMessagePerFault(r.err);
    EXPECT_GE(faults, 4);
    EXPECT_EQ(dataEntries(),
              (std::vector<std::string>{"progress.json", "settings.json", "solves.json"}));
    std::printf(
        "[faults] %d injected failures during play, each reported once; every file "
        "written again once the disk had room\n",
        faults);
}
