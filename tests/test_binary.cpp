// The real game binary run as a process: options, signals and the saved window mode.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <algorithm>

#include "test_support.h"

using namespace testsupport;

namespace {

// In sanitizer builds the game's own memory is checked by the in-process tests; at exit the
// GL driver's unloaded modules would show up as leaks nobody can attribute or suppress.
const std::vector<std::string> kHeadless = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                            "ASAN_OPTIONS=detect_leaks=0"};

std::string settingsText() {
    return readText(dataDir() + "/settings.json");
}

}  // namespace

TEST(Binary, VersionAndHelpPrintAndExitBeforeAnythingStarts) {
    // An impossible video driver proves that no window is attempted.
    std::vector<std::string> noVideo = {"SDL_VIDEODRIVER=none-such"};
    ProcessResult v = runProcess({VANTREL_BINARY, "--windowed", "--version", "--help"}, noVideo);
    EXPECT_EQ(v.exitCode, 0);
    EXPECT_EQ(v.out, "Vantrel's Marbles 1.1.0 (Build 1129)\n");
    EXPECT_EQ(v.err, "");

    ProcessResult h = runProcess({VANTREL_BINARY, "--help", "--version"}, noVideo);
    EXPECT_EQ(h.exitCode, 0);
    EXPECT_EQ(h.out,
              "Vantrel's Marbles 1.1.0\n  --version    Version ausgeben\n"
              "  --fullscreen im Vollbild starten\n  --windowed   im Fenster starten\n"
              "  --puzzle CODE  dieses Rätsel öffnen\n  --daily      das Rätsel des Tages öffnen\n"
              "  --print-puzzle CODE|daily|daily:JJJJ-MM-TT  Rätsel als JSON ausgeben\n");
    EXPECT_FALSE(fileExists(dataDir() + "/settings.json"));
}

TEST(Binary, WithoutADisplayTheGameSaysSoAndExitsUnlessAnInvisibleDriverWasNamed) {
    // An entry without "=" removes the variable from the child's environment; a runtime folder
    // keeps the Wayland client library from adding a complaint of its own.
    for (const char* display : {"DISPLAY", "DISPLAY=:97"}) {
        ProcessResult r = runProcess(
            {VANTREL_BINARY},
            {"SDL_VIDEODRIVER", "WAYLAND_DISPLAY", display, "XDG_RUNTIME_DIR=" + tempRoot(),
             "SDL_AUDIODRIVER=dummy", "ASAN_OPTIONS=detect_leaks=0"},
            30);
        EXPECT_EQ(r.exitCode, 1) << display;
        EXPECT_EQ(r.err.rfind("[video] kein Bildschirm zu öffnen", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.out, "") << display;
    }
}

TEST(Binary, AFirstSigintEndsTheGameGracefullyAndSavesTheSettings) {
    wipeDataDir();
    Child c = startProcess({VANTREL_BINARY}, kHeadless);
    ASSERT_TRUE(waitForOutput(c, "[video] Treiber offscreen, Renderer ")) << readText(c.errPath);
    kill(c.pid, SIGINT);
    ProcessResult r = finishProcess(c);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(settingsText().find("\"fullscreen\":false"), std::string::npos) << settingsText();
}

TEST(Binary, ASecondTerminationSignalExitsAtOnceWith128PlusItsNumber) {
    wipeDataDir();
    Child c = startProcess({VANTREL_BINARY}, kHeadless);
    ASSERT_TRUE(waitForOutput(c, "[video]"));
    // Two pending SIGINTs would merge into one, so a SIGINT and a SIGTERM are sent to the
    // stopped main thread (whose id is the process id); on resumption both handlers run back
    // to back. Which of them the kernel runs first is its own business: the first sets the
    // flag and the second must end the process at once with its own number.
    kill(c.pid, SIGSTOP);
    syscall(SYS_tgkill, c.pid, c.pid, SIGINT);
    syscall(SYS_tgkill, c.pid, c.pid, SIGTERM);
    kill(c.pid, SIGCONT);
    ProcessResult r = finishProcess(c);
    EXPECT_TRUE(r.exitCode == 128 + SIGINT || r.exitCode == 128 + SIGTERM) << r.exitCode;
    EXPECT_FALSE(fileExists(dataDir() + "/settings.json")) << "nothing is saved on the way out";
}

TEST(Binary, TheLastWindowModeOptionWinsAndIsSavedAtExit) {
    struct Case {
        std::vector<std::string> args;
        const char* want;
    };
    const Case cases[] = {{{"--fullscreen", "--windowed"}, "\"fullscreen\":false"},
                          {{"--windowed", "--fullscreen"}, "\"fullscreen\":true"}};
    for (const auto& cs : cases) {
        wipeDataDir();
        std::vector<std::string> argv = {VANTREL_BINARY};
        argv.insert(argv.end(), cs.args.begin(), cs.args.end());
        Child c = startProcess(argv, kHeadless);
        ASSERT_TRUE(waitForOutput(c, "[video]"));
        kill(c.pid, SIGTERM);
        ProcessResult r = finishProcess(c);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(settingsText().find(cs.want), std::string::npos) << settingsText();
    }
}

TEST(Binary, StatisticsArePrintedOncePerSecondWhenAsked) {
    wipeDataDir();
    std::vector<std::string> env = kHeadless;
    env.push_back("VANTREL_STATS=");
    Child c = startProcess({VANTREL_BINARY}, env);
    ASSERT_TRUE(waitForOutput(c, "[video]"));
    bool seen = false;
    for (int i = 0; i < 150 && !seen; ++i) {
        seen = readText(c.errPath).find("[stats] ") != std::string::npos;
        if (!seen) usleep(20000);
    }
    kill(c.pid, SIGINT);
    ProcessResult r = finishProcess(c);
    EXPECT_TRUE(seen) << r.err;
    EXPECT_NE(r.err.find(" fps   CPU "), std::string::npos);
}
