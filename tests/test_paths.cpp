// Where the data and asset directories are found, how they are made, and the wall clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/storage.h"
#include "platform/paths.h"
#include "test_support.h"

namespace fs = std::filesystem;
using testsupport::ProcessResult;

namespace {

// ---- Scenarios in a fresh process ----
//
// The directories are looked up once per process and then kept, so every case that needs
// another environment runs in a new copy of this program. There the scenario takes the place
// of the test run: it sets up the environment it was given, prints "result: name=value"
// lines and exits before any test starts. The test program's main() picks its own
// XDG_DATA_HOME and HOME, so the wanted values travel under other names.

constexpr char kScenarioVar[] = "VANTREL_PATHS_SCENARIO";
constexpr char kUnset[] = "<unset>";
const char* const kPassedVars[] = {"XDG_DATA_HOME", "HOME", "SNAP", "APPDIR", "VANTREL_ASSET_DIR"};

void result(const std::string& name, const std::string& value) {
    std::printf("result: %s=%s\n", name.c_str(), value.c_str());
}

void mark() {
    std::fprintf(stderr, "--\n");
}

int scenarioDataDir() {
    result("dataDir", store::dataDir());
    setenv("XDG_DATA_HOME", "/changed/later", 1);
    setenv("HOME", "/changed/later", 1);
    result("again", store::dataDir());
    store::ensureDataDirs();
    return 0;
}

int scenarioUnwritable() {
    store::ensureDataDirs();
    store::Settings s = store::loadSettings();
    store::Settings d;
    result("defaults", s.language == d.language && s.soundOn == d.soundOn &&
                               s.windowW == d.windowW && !s.hasPosition()
                           ? "yes"
                           : "no");
    store::saveSettings(s);
    mark();
    store::SavedGame g;
    g.level = 1;
    g.state.capacity = 4;
    g.state.tubes = {{0, 0}, {1}};
    store::saveGame(g);
    mark();
    store::SolveEntry e;
    e.level = 2;
    e.moves = 3;
    e.stars = 3;
    store::recordSolve(e);
    mark();
    store::LevelBest attempt;
    attempt.stars = 2;
    attempt.moves = 10;
    attempt.elapsedMs = 5000;
    store::LevelBest b = store::recordBest(2, attempt);
    mark();
    store::setUnlockedLevel(4);
    mark();
    int advanced = store::advanceUnlockedLevel(6);
    mark();
    store::resetProgress();
    mark();
    store::clearGame();
    store::clearAllSolves();
    mark();
    result("best", std::to_string(b.stars) + "/" + std::to_string(b.moves) + "/" +
                       std::to_string(b.elapsedMs));
    result("advanced", std::to_string(advanced));
    result("unlocked", std::to_string(store::unlockedLevel()));
    result("solves", std::to_string(store::listSolves().size()));
    result("game", store::loadGame().valid ? "valid" : "none");
    return 0;
}

int scenarioAssets() {
    result("exeDir", paths::exeDir());
    result("assetDir", paths::assetDir());
    result("asset", paths::asset("audio/drop.ogg"));
    setenv("VANTREL_ASSET_DIR", "/changed/later", 1);
    result("again", paths::assetDir());
    return 0;
}

class ScenarioRun : public ::testing::Environment {
  public:
    void SetUp() override {
        const std::string name = std::getenv(kScenarioVar);
        for (const char* var : kPassedVars) {
            const char* v = std::getenv(("VANTREL_CHILD_" + std::string(var)).c_str());
            if (!v) continue;
            if (std::string(v) == kUnset)
                unsetenv(var);
            else
                setenv(var, v, 1);
        }
        int rc = 90;
        if (const char* cwd = std::getenv("VANTREL_CHILD_CWD"); cwd && chdir(cwd) != 0)
            rc = 91;
        else if (name == "datadir")
            rc = scenarioDataDir();
        else if (name == "unwritable")
            rc = scenarioUnwritable();
        else if (name == "assets")
            rc = scenarioAssets();
        std::fflush(stdout);
        std::fflush(stderr);
        std::error_code ec;
        fs::remove_all(testsupport::tempRoot(), ec);
        _exit(rc);  // no test of this copy may run, and nothing may clean up the parent's files
    }
};

[[maybe_unused]] const bool kScenarioRegistered =
    std::getenv(kScenarioVar) != nullptr &&
    ::testing::AddGlobalTestEnvironment(new ScenarioRun) != nullptr;

struct Scenario {
    int exitCode = -1;
    std::map<std::string, std::string> results;
    std::vector<std::string> errChunks;  // standard error split at each "--" line
    std::string log;
};

// `env` holds "NAME=value" for the variables of kPassedVars and "CWD=dir"; a value of
// kUnset removes the variable.
Scenario runScenario(const std::string& name, const std::vector<std::string>& env) {
    std::vector<std::string> all = {std::string(kScenarioVar) + "=" + name};
    for (const auto& kv : env)
        all.push_back("VANTREL_CHILD_" + kv);
    ProcessResult r = testsupport::runProcess(
        {testsupport::selfPath(), "--gtest_filter=DataDirectory.*"}, all, 120);
    Scenario s;
    s.exitCode = r.exitCode;
    s.log = "stdout:\n" + r.out + "stderr:\n" + r.err;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("result: ", 0) != 0) continue;
        size_t eq = line.find('=');
        s.results[line.substr(8, eq - 8)] = line.substr(eq + 1);
    }
    std::string chunk;
    std::istringstream errLines(r.err);
    for (std::string line; std::getline(errLines, line);) {
        if (line == "--") {
            s.errChunks.push_back(chunk);
            chunk.clear();
        } else {
            chunk += line + "\n";
        }
    }
    s.errChunks.push_back(chunk);
    return s;
}

std::string freshDir(const std::string& name) {
    std::string dir = testsupport::tempRoot() + "/" + name;
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return dir;
}

bool isDir(const std::string& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

void makeAssetDir(const std::string& dir, bool fonts, bool audio) {
    fs::create_directories(dir);
    if (fonts) fs::create_directories(dir + "/assets/fonts");
    if (audio) fs::create_directories(dir + "/assets/audio");
}

bool looksLikeAssets(const std::string& dir) {
    return isDir(dir + "/assets/fonts") && isDir(dir + "/assets/audio");
}

}  // namespace

// ---- Data directory ----

TEST(DataDirectory, FollowsXdgDataHomeCreatesEveryLevelAndIsReadOnce) {
    std::string root = freshDir("xdg-case");
    Scenario s = runScenario("datadir", {"XDG_DATA_HOME=" + root + "/x/y", "HOME=" + root});
    ASSERT_EQ(s.exitCode, 0) << s.log;
    EXPECT_EQ(s.results["dataDir"], root + "/x/y/vantrelMarbles");
    EXPECT_EQ(s.results["again"], root + "/x/y/vantrelMarbles") << "must not follow later changes";
    EXPECT_TRUE(isDir(root + "/x/y/vantrelMarbles"));
    EXPECT_FALSE(isDir(root + "/.local"));
}

TEST(DataDirectory, AnEmptyOrMissingXdgDataHomeFallsBackToHomeThenToTheWorkingDirectory) {
    std::string root = freshDir("home-case");
    struct Case {
        std::string xdg, home, cwd, want, made;
    } cases[] = {
        {"", root + "/h1", root, root + "/h1/.local/share/vantrelMarbles",
         root + "/h1/.local/share/vantrelMarbles"},
        {kUnset, root + "/h2", root, root + "/h2/.local/share/vantrelMarbles",
         root + "/h2/.local/share/vantrelMarbles"},
        {kUnset, kUnset, root + "/c1", "./.local/share/vantrelMarbles",
         root + "/c1/.local/share/vantrelMarbles"},
        {"", "", root + "/c2", "./.local/share/vantrelMarbles",
         root + "/c2/.local/share/vantrelMarbles"},
    };
    for (const auto& c : cases) {
        fs::create_directories(c.cwd);
        Scenario s =
            runScenario("datadir", {"XDG_DATA_HOME=" + c.xdg, "HOME=" + c.home, "CWD=" + c.cwd});
        ASSERT_EQ(s.exitCode, 0) << s.log;
        EXPECT_EQ(s.results["dataDir"], c.want) << "XDG_DATA_HOME=" << c.xdg << " HOME=" << c.home;
        EXPECT_TRUE(isDir(c.made)) << c.made;
    }
}

TEST(DataDirectory, NothingIsNormalisedAndBackslashesSeparateToo) {
    std::string root = freshDir("odd-paths");
    Scenario s = runScenario("datadir", {"XDG_DATA_HOME=" + root + "/a/../b//c"});
    ASSERT_EQ(s.exitCode, 0) << s.log;
    EXPECT_EQ(s.results["dataDir"], root + "/a/../b//c/vantrelMarbles");
    EXPECT_TRUE(isDir(root + "/a"));
    EXPECT_TRUE(isDir(root + "/b/c/vantrelMarbles"));

    // Each backslash ends a prefix that is made as a directory of its own.
    s = runScenario("datadir", {"XDG_DATA_HOME=" + root + "/back\\slash\\dir"});
    ASSERT_EQ(s.exitCode, 0) << s.log;
    EXPECT_EQ(s.results["dataDir"], root + "/back\\slash\\dir/vantrelMarbles");
    EXPECT_TRUE(isDir(root + "/back"));
    EXPECT_TRUE(isDir(root + "/back\\slash"));
    EXPECT_TRUE(isDir(root + "/back\\slash\\dir/vantrelMarbles"));

    fs::create_directories(root + "/cwd");
    s = runScenario("datadir", {"XDG_DATA_HOME=rel/xdg", "CWD=" + root + "/cwd"});
    ASSERT_EQ(s.exitCode, 0) << s.log;
    EXPECT_EQ(s.results["dataDir"], "rel/xdg/vantrelMarbles");
    EXPECT_TRUE(isDir(root + "/cwd/rel/xdg/vantrelMarbles"));
}

TEST(DataDirectory, WhenItCannotBeCreatedEachSaveReportsOneLineAndPlayGoesOn) {
    // Root may write anywhere, but not below a regular file.
    std::string root = freshDir("blocked");
    ASSERT_TRUE(testsupport::writeText(root + "/file", "not a directory"));
    const std::string dir = root + "/file/xdg/vantrelMarbles";
    Scenario s = runScenario("unwritable", {"XDG_DATA_HOME=" + root + "/file/xdg"});
    ASSERT_EQ(s.exitCode, 0) << s.log;
    EXPECT_EQ(s.results["defaults"], "yes");
    auto line = [&](const char* name) {
        return "[store] konnte " + dir + "/" + name + " nicht schreiben\n";
    };
    const std::vector<std::string> want = {
        line("settings.json"),  // saveSettings
        line("save.json"),      // saveGame
        line("solves.json"),    // recordSolve
        line("progress.json"),  // recordBest
        line("progress.json"),  // setUnlockedLevel
        line("progress.json"),  // advanceUnlockedLevel
        line("progress.json"),  // resetProgress; removing missing files is silent
        "",                     // clearGame, clearAllSolves
        "",
    };
    EXPECT_EQ(s.errChunks, want) << s.log;
    EXPECT_EQ(s.results["best"], "2/10/5000");
    EXPECT_EQ(s.results["advanced"], "6");
    EXPECT_EQ(s.results["unlocked"], "1");
    EXPECT_EQ(s.results["solves"], "0");
    EXPECT_EQ(s.results["game"], "none");
}

// ---- Asset directory ----

TEST(AssetDirectory, TheFirstCandidateWithBothFontsAndAudioWins) {
    std::string root = freshDir("assets");
    const std::string share = "/usr/share/vantrelMarbles";
    makeAssetDir(root + "/snap-fonts" + share, true, false);
    makeAssetDir(root + "/snap-full" + share, true, true);
    makeAssetDir(root + "/app-audio" + share, false, true);
    makeAssetDir(root + "/app-full" + share, true, true);
    makeAssetDir(root + "/override", true, true);
    fs::create_directories(root + "/cwd");
    struct Case {
        std::string snap, appdir, over, want;
    } cases[] = {
        {root + "/snap-full", root + "/app-full", root + "/override", root + "/snap-full" + share},
        {root + "/snap-fonts", root + "/app-full", root + "/override", root + "/app-full" + share},
        {root + "/snap-fonts", root + "/app-audio", root + "/override", root + "/override"},
        {"", kUnset, root + "/override", root + "/override"},
    };
    for (const auto& c : cases) {
        Scenario s = runScenario("assets", {"SNAP=" + c.snap, "APPDIR=" + c.appdir,
                                            "VANTREL_ASSET_DIR=" + c.over, "CWD=" + root + "/cwd"});
        ASSERT_EQ(s.exitCode, 0) << s.log;
        EXPECT_EQ(s.results["assetDir"], c.want) << "SNAP=" << c.snap << " APPDIR=" << c.appdir;
        EXPECT_EQ(s.results["again"], c.want);
        EXPECT_EQ(s.results["asset"], c.want + "/assets/audio/drop.ogg");
    }
}

TEST(AssetDirectory, WithoutAQualifyingCandidateTheExecutableDirectoryIsUsed) {
    const std::string exe = fs::path(testsupport::selfPath()).parent_path().string();
    for (const std::string& c :
         {exe + "/../share/vantrelMarbles", std::string("/usr/share/vantrelMarbles"),
          std::string("/app/share/vantrelMarbles"), exe, exe + "/.."})
        if (looksLikeAssets(c)) GTEST_SKIP() << "an installed asset directory exists: " << c;

    std::string root = freshDir("no-assets");
    makeAssetDir(root + "/snap/usr/share/vantrelMarbles", true, false);
    makeAssetDir(root + "/empty", false, false);
    makeAssetDir(root + "/dot", true, true);
    const std::vector<std::string> noVars = {"SNAP=" + root + "/snap",
                                             std::string("APPDIR=") + kUnset,
                                             std::string("VANTREL_ASSET_DIR=") + kUnset};
    std::vector<std::string> env = noVars;
    env.push_back("CWD=" + root + "/empty");
    Scenario s = runScenario("assets", env);
    ASSERT_EQ(s.exitCode, 0) << s.log;
    EXPECT_EQ(s.results["exeDir"], exe);
    EXPECT_EQ(s.results["assetDir"], exe);

    // The working directory is the last candidate.
    env = noVars;
    env.push_back("CWD=" + root + "/dot");
    s = runScenario("assets", env);
    ASSERT_EQ(s.exitCode, 0) << s.log;
    EXPECT_EQ(s.results["assetDir"], ".");
}

// ---- Clock ----

TEST(Clock, NowIsWallClockMillisecondsSinceTheEpoch) {
    const int64_t before = static_cast<int64_t>(std::time(nullptr)) * 1000;
    const int64_t now = store::nowMs();
    const int64_t after = (static_cast<int64_t>(std::time(nullptr)) + 1) * 1000;
    EXPECT_GE(now, before);
    EXPECT_LT(now, after);
}
