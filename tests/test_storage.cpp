// Settings, the saved game and the solve history: file texts, validation on reading, round trips
// and failed writes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/json.h"
#include "core/levels.h"
#include "core/storage.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

const char kDefaultSettingsText[] =
    "{\"fullscreen\":false,\"language\":\"\",\"maximized\":false,\"musicVolume\":0.25,"
    "\"sfxVolume\":1,\"soundOn\":true,\"windowH\":760,\"windowW\":1100,\"windowX\":-1000000,"
    "\"windowY\":-1000000}";

std::string show(const store::Settings& s) {
    std::ostringstream o;
    o.precision(17);
    o << "language=" << s.language << " soundOn=" << s.soundOn << " music=" << s.musicVolume
      << " sfx=" << s.sfxVolume << " fullscreen=" << s.fullscreen << " maximized=" << s.maximized
      << " W=" << s.windowW << " H=" << s.windowH << " X=" << s.windowX << " Y=" << s.windowY
      << " reduceMotion=" << (s.reduceMotion ? (*s.reduceMotion ? "true" : "false") : "unset");
    return o.str();
}

std::string show(const store::SavedGame& g) {
    std::ostringstream o;
    o << "valid=" << g.valid << " level=" << g.level << " seed=" << g.seed
      << " capacity=" << g.state.capacity << " tubes=";
    for (const auto& t : g.state.tubes) {
        o << '[';
        for (int c : t)
            o << c << ',';
        o << ']';
    }
    o << " history=";
    for (const auto& m : g.history)
        o << m.from << '>' << m.to << ',';
    o << " moveCount=" << g.moveCount << " elapsedMs=" << g.elapsedMs << " savedAt=" << g.savedAt;
    return o.str();
}

store::SavedGame sampleGame() {
    store::SavedGame g;
    g.valid = true;
    g.level = 3;
    g.seed = 4294967295u;
    g.state.capacity = 4;
    g.state.tubes = {{0, 1}, {1, 0, 0}, {0, 1}, {1}, {}};
    g.history = {{0, 3}, {2, 1}, {1, 4}};
    g.moveCount = 5;               // differs from the history length on purpose
    g.elapsedMs = 315000000123LL;  // nearly ten years: the longest play a save may hold
    g.savedAt = 9007199254740991LL;
    return g;
}

class StoreFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        fs::create_directories(dataDir());
    }
    static std::string file(const std::string& name) { return dataDir() + "/" + name; }
    static void put(const std::string& name, const std::string& text) {
        ASSERT_TRUE(writeText(file(name), text)) << name;
    }
    static store::Settings settingsFrom(const std::string& text) {
        put("settings.json", text);
        return store::loadSettings();
    }
    static store::SavedGame gameFrom(const std::string& text) {
        put("save.json", text);
        return store::loadGame();
    }
};

using SettingsFile = StoreFiles;
using SavedGameFile = StoreFiles;
using StoreWrites = StoreFiles;
using SolvesFile = StoreFiles;

}  // namespace

// ---- Settings ----

TEST_F(SettingsFile, DefaultsAreWrittenByteForByteInTheDocumentedForm) {
    EXPECT_EQ(show(store::loadSettings()), show(store::Settings{}));
    store::saveSettings(store::Settings{});
    EXPECT_EQ(readText(file("settings.json")), kDefaultSettingsText);
    EXPECT_EQ(show(store::loadSettings()), show(store::Settings{}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dataDir()), fs::directory_iterator()), 1)
        << "no temporary file stays behind";
}

TEST_F(SettingsFile, EveryFieldSurvivesSavingAndLoading) {
    store::Settings a;
    a.language = "pt-BR \"\xC3\xBC\"\\\t";
    a.soundOn = false;
    a.musicVolume = 0.1;
    a.sfxVolume = 0.7;
    a.fullscreen = true;
    a.maximized = true;
    a.windowW = 1921;
    a.windowH = 1081;
    a.windowX = -50;
    a.windowY = 0;
    a.reduceMotion = true;
    store::saveSettings(a);
    EXPECT_EQ(show(store::loadSettings()), show(a));
    // An explicit "no" is the player's too, kept apart from "not chosen" (which the file omits).
    a.reduceMotion = false;
    store::saveSettings(a);
    EXPECT_NE(readText(file("settings.json")).find("\"reduceMotion\":false,\"sfxVolume\""),
              std::string::npos);
    EXPECT_EQ(show(store::loadSettings()), show(a));

    store::Settings b;
    b.language = "de";
    b.musicVolume = 0;
    b.sfxVolume = 1;
    b.windowW = INT_MAX;
    b.windowH = 480;
    b.windowX = INT_MIN;
    b.windowY = INT_MAX;
    store::saveSettings(b);
    EXPECT_EQ(show(store::loadSettings()), show(b));
}

TEST_F(SettingsFile, VolumesAreClampedToZeroToOneAndOnlyNumbersAreTaken) {
    struct Case {
        const char* text;
        double music, sfx;
    } cases[] = {
        {"{\"musicVolume\":1.7,\"sfxVolume\":2}", 1, 1},
        {"{\"musicVolume\":-0.2,\"sfxVolume\":-1}", 0, 0},
        {"{\"musicVolume\":0.6,\"sfxVolume\":0.3}", 0.6, 0.3},
        {"{\"musicVolume\":\"0.5\",\"sfxVolume\":null}", 0.25, 1},
        {"{\"musicVolume\":true,\"sfxVolume\":[0.5]}", 0.25, 1},
        {"{\"musicVolume\":1e300,\"sfxVolume\":-1e300}", 1, 0},
        {"{\"musicVolume\":-Infinity,\"sfxVolume\":Infinity}", 0, 1},
        {"{\"musicVolume\":NaN,\"sfxVolume\":-NAN}", 0.25, 1},
    };
    for (const auto& c : cases) {
        store::Settings s = settingsFrom(c.text);
        EXPECT_EQ(s.musicVolume, c.music) << c.text;
        EXPECT_EQ(s.sfxVolume, c.sfx) << c.text;
    }
}

TEST_F(SettingsFile, WindowSizeIsRoundedHalfUpThenRaisedToTheMinimum) {
    struct Case {
        const char* text;
        int w, h;
    } cases[] = {
        {"{\"windowW\":300,\"windowH\":479.6}", 640, 480},
        {"{\"windowW\":639.5,\"windowH\":479.4}", 640, 480},
        {"{\"windowW\":639.4,\"windowH\":480.5}", 640, 481},
        {"{\"windowW\":800.5,\"windowH\":600.49}", 801, 600},
        {"{\"windowW\":-1e300,\"windowH\":1e300}", 640, INT_MAX},
        {"{\"windowW\":Infinity,\"windowH\":NaN}", INT_MAX, 760},
        {"{\"windowW\":\"800\",\"windowH\":{}}", 1100, 760},
    };
    for (const auto& c : cases) {
        store::Settings s = settingsFrom(c.text);
        EXPECT_EQ(s.windowW, c.w) << c.text;
        EXPECT_EQ(s.windowH, c.h) << c.text;
    }
    store::Settings s = settingsFrom("{\"windowX\":-2.5,\"windowY\":2.5}");
    EXPECT_EQ(s.windowX, -2);
    EXPECT_EQ(s.windowY, 3);
}

TEST_F(SettingsFile, TheSentinelInEitherCoordinateMeansNoStoredPosition) {
    struct Case {
        const char* text;
        bool placed;
    } cases[] = {
        {"{}", false},
        {"{\"windowX\":-1000000,\"windowY\":5}", false},
        {"{\"windowX\":5,\"windowY\":-1000000}", false},
        {"{\"windowX\":5}", false},
        {"{\"windowX\":-1000000.4,\"windowY\":0}", false},
        {"{\"windowX\":-999999.6,\"windowY\":0}", false},
        {"{\"windowX\":-999999.4,\"windowY\":0}", true},
        {"{\"windowX\":0,\"windowY\":0}", true},
        {"{\"windowX\":-5000,\"windowY\":-20}", true},
        {"{\"windowX\":\"5\",\"windowY\":5}", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settingsFrom(c.text).hasPosition(), c.placed) << c.text;
}

TEST_F(SettingsFile, WronglyTypedMembersKeepTheirDefaultsWhileTheOthersApply) {
    store::Settings s = settingsFrom(
        "{\"fullscreen\":\"yes\",\"language\":5,\"maximized\":1,\"soundOn\":false,"
        "\"musicVolume\":\"0.5\",\"windowW\":1200,\"windowX\":true,\"reduceMotion\":1}");
    store::Settings want;
    want.soundOn = false;
    want.windowW = 1200;
    EXPECT_EQ(show(s), show(want));

    s = settingsFrom("{\"language\":\"fr\",\"fullscreen\":true,\"maximized\":false}");
    EXPECT_EQ(s.language, "fr");
    EXPECT_TRUE(s.fullscreen);

    for (const char* text : {"[]", "[{\"soundOn\":false}]", "\"soundOn\"", "0", "null", "",
                             "{\"soundOn\":false", "{\"soundOn\":false,}"})
        EXPECT_EQ(show(settingsFrom(text)), show(store::Settings{})) << text;
}

TEST_F(SettingsFile, UnknownMembersDisappearAtTheNextSave) {
    store::Settings s = settingsFrom(
        "{\"junk\":[1,2,3],\"soundOn\":true,\"Language\":\"de\",\"windowW\":1100,\"zz\":{}}");
    store::saveSettings(s);
    EXPECT_EQ(readText(file("settings.json")), kDefaultSettingsText);
}

// ---- The saved game ----

TEST_F(SavedGameFile, EveryFieldSurvivesSavingAndLoading) {
    EXPECT_FALSE(store::loadGame().valid);
    store::SavedGame g = sampleGame();
    store::saveGame(g);
    EXPECT_EQ(show(store::loadGame()), show(g));

    g.seed = 0;
    g.level = 104;
    g.history.clear();
    g.moveCount = 0;
    g.elapsedMs = 0;
    g.savedAt = -1;
    g.state.tubes = {{}, {7, 7, 7, 7}};
    store::saveGame(g);
    EXPECT_EQ(show(store::loadGame()), show(g));

    g.seed = 2147483648u;  // the top bit set must not turn into a negative number
    store::saveGame(g);
    EXPECT_EQ(store::loadGame().seed, 2147483648u);
}

TEST_F(SavedGameFile, IsWrittenInTheDocumentedForm) {
    store::SavedGame g;
    g.level = 3;
    g.seed = 77;
    g.state.capacity = 4;
    g.state.tubes = {{0, 1}, {1, 0, 0}, {0, 1}, {1}};
    g.history = {{0, 3}};
    g.moveCount = 1;
    g.elapsedMs = 5210;
    g.savedAt = 1700000000000LL;
    store::saveGame(g);
    EXPECT_EQ(readText(file("save.json")),
              "{\"capacity\":4,\"elapsedMs\":5210,\"history\":[{\"from\":0,\"to\":3}],"
              "\"level\":3,\"moveCount\":1,\"savedAt\":1700000000000,\"seed\":77,"
              "\"tubes\":[[0,1],[1,0,0],[0,1],[1]]}");
    g.seed = 4294967295u;
    store::saveGame(g);
    EXPECT_NE(readText(file("save.json")).find("\"seed\":4294967295,"), std::string::npos);
}

TEST_F(SavedGameFile, ALevelThatIsNotANumberMeansNoSavedGame) {
    const std::string rest =
        "\"capacity\":4,\"elapsedMs\":5210,\"history\":[{\"from\":0,\"to\":3}],\"moveCount\":1,"
        "\"savedAt\":1,\"seed\":77,\"tubes\":[[0,1],[1,0,0],[0,1],[1]]";
    for (const char* level : {"\"level\":\"3\",", "\"level\":null,", "\"level\":[3],",
                              "\"level\":true,", "\"level\":{},", ""}) {
        store::SavedGame g = gameFrom("{" + std::string(level) + rest + "}");
        EXPECT_EQ(show(g), show(store::SavedGame{})) << level;
    }
    EXPECT_TRUE(gameFrom("{\"level\":3," + rest + "}").valid);
    for (const char* text : {"[]", "null", "3", "\"save\"", "", "{\"level\":3,"})
        EXPECT_EQ(show(gameFrom(text)), show(store::SavedGame{})) << text;
}

TEST_F(SavedGameFile, NoTubesOrNoCapacityMeansNoSavedGame) {
    const char* cases[] = {
        "{\"level\":1,\"capacity\":4,\"tubes\":[]}",
        "{\"level\":1,\"capacity\":4}",
        "{\"level\":1,\"capacity\":4,\"tubes\":\"[[0]]\"}",
        "{\"level\":1,\"capacity\":4,\"tubes\":{\"0\":[0]}}",
        "{\"level\":1,\"capacity\":0,\"tubes\":[[0]]}",
        "{\"level\":1,\"capacity\":-4,\"tubes\":[[0]]}",
        "{\"level\":1,\"capacity\":0.49,\"tubes\":[[0]]}",
        "{\"level\":1,\"capacity\":\"4\",\"tubes\":[[0]]}",
        "{\"level\":1,\"tubes\":[[0]]}",
        "{\"level\":1,\"capacity\":-1e300,\"tubes\":[[0]]}",
        "{\"level\":1,\"capacity\":NaN,\"tubes\":[[0]]}",
    };
    for (const char* text : cases)
        EXPECT_FALSE(gameFrom(text).valid) << text;
    // Half a slot rounds up to one; an empty tube is still a tube.
    EXPECT_TRUE(gameFrom("{\"level\":1,\"capacity\":0.5,\"tubes\":[[0]]}").valid);
    EXPECT_TRUE(gameFrom("{\"level\":1,\"capacity\":1,\"tubes\":[[]]}").valid);
}

TEST_F(SavedGameFile, AMissingMoveCountIsTheHistoryLength) {
    const std::string base = "{\"level\":2,\"capacity\":4,\"tubes\":[[0],[1]]";
    store::SavedGame g =
        gameFrom(base + ",\"history\":[{\"from\":0,\"to\":1},{\"from\":1,\"to\":0},{}]}");
    ASSERT_TRUE(g.valid);
    EXPECT_EQ(g.moveCount, 3);
    EXPECT_EQ(gameFrom(base + ",\"history\":[{},{}],\"moveCount\":\"9\"}").moveCount, 2);
    EXPECT_EQ(gameFrom(base + ",\"history\":[{},{}],\"moveCount\":NaN}").moveCount, 2);
    EXPECT_EQ(gameFrom(base + ",\"history\":[{},{}],\"moveCount\":7}").moveCount, 7);
    EXPECT_EQ(gameFrom(base + "}").moveCount, 0);

    // Moves are read member by member; anything unusable becomes a move from 0 to 0.
    g = gameFrom(base +
                 ",\"history\":[1,\"x\",null,{\"from\":2},{\"from\":1.5,\"to\":-0.5},"
                 "{\"from\":\"1\",\"to\":[1]},{\"from\":1e300,\"to\":-1e300}]}");
    ASSERT_EQ(g.history.size(), 7u);
    const mar::Move want[] = {{0, 0}, {0, 0}, {0, 0}, {2, 0}, {2, 0}, {0, 0}, {INT_MAX, INT_MIN}};
    for (size_t k = 0; k < 7; ++k)
        EXPECT_EQ(g.history[k], want[k]) << k;
    EXPECT_EQ(g.moveCount, 7);
    EXPECT_TRUE(gameFrom(base + ",\"history\":{\"0\":{\"from\":1}}}").history.empty());
    EXPECT_TRUE(gameFrom(base + ",\"history\":\"0>1\"}").history.empty());
}

TEST_F(SavedGameFile, ColoursThatAreNotNumbersBecomeColourZeroAndOddTubesEmpty) {
    store::SavedGame g = gameFrom(
        "{\"level\":0,\"capacity\":4,"
        "\"tubes\":[[1,\"a\",null,2.5],\"x\",[],{\"0\":1},[true,[3],-2.5,1e300]]}");
    ASSERT_TRUE(g.valid);
    std::vector<std::vector<int>> want = {{1, 0, 0, 3}, {}, {}, {}, {0, 0, -2, INT_MAX}};
    EXPECT_EQ(g.state.tubes, want);
}

TEST_F(SavedGameFile, SeedAndTimesAreTruncatedTowardZero) {
    struct Case {
        const char* seed;
        uint32_t want;
    } seeds[] = {
        {"77.9", 77},           {"-1", 4294967295u}, {"4294967295", 4294967295u},
        {"4294967296", 0},      {"4294967297.5", 1}, {"-0.9", 0},
        {"\"77\"", 0},          {"null", 0},         {"NaN", 0},
        {"1e300", 4294967295u}, {"-1e300", 0},
    };
    const std::string base = "{\"level\":0,\"capacity\":4,\"tubes\":[[0]],\"seed\":";
    for (const auto& c : seeds)
        EXPECT_EQ(gameFrom(base + c.seed + "}").seed, c.want) << c.seed;

    struct Time {
        const char* text;
        int64_t want;
    } times[] = {
        {"5210.9", 5210},     {"-5.9", -5},
        {"\"5210\"", 0},      {"1700000000000.7", 1700000000000LL},
        {"1e300", INT64_MAX}, {"-Infinity", INT64_MIN},
        {"NaN", 0},
    };
    const std::string tbase = "{\"level\":0,\"capacity\":4,\"tubes\":[[0]],\"seed\":1,";
    for (const auto& t : times) {
        store::SavedGame g =
            gameFrom(tbase + "\"elapsedMs\":" + t.text + ",\"savedAt\":" + t.text + "}");
        // A play time outside 0 … ten years makes the game unusable; the point in time it was
        // saved at is only shown, never counted on.
        if (t.want >= 0 && t.want <= 315000000000LL) {
            EXPECT_TRUE(g.valid) << t.text;
            EXPECT_EQ(g.elapsedMs, t.want) << t.text;
            EXPECT_EQ(g.savedAt, t.want) << t.text;
        } else {
            EXPECT_FALSE(g.valid) << t.text;
        }
        g = gameFrom(tbase + "\"savedAt\":" + t.text + "}");
        EXPECT_EQ(g.savedAt, t.want) << t.text;
    }
}

TEST_F(SavedGameFile, ClearingRemovesTheGameAndToleratesAMissingFile) {
    store::saveGame(sampleGame());
    ASSERT_TRUE(store::loadGame().valid);
    testing::internal::CaptureStderr();
    store::clearGame();
    store::clearGame();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(fileExists(file("save.json")));
    EXPECT_FALSE(store::loadGame().valid);
}

// ---- Writes ----

TEST_F(StoreWrites, ARemovedDataDirectoryIsCreatedAgainOnTheNextSave) {
    fs::remove_all(dataDir());
    store::saveSettings(store::Settings{});
    EXPECT_EQ(readText(file("settings.json")), kDefaultSettingsText);

    // Its parent too: every missing level along the path is made.
    fs::remove_all(fs::path(dataDir()).parent_path());
    store::saveGame(sampleGame());
    EXPECT_EQ(show(store::loadGame()), show(sampleGame()));
}

TEST_F(StoreWrites, AFileThatCannotBeReplacedReportsOneLinePerSaveAndPlayGoesOn) {
    // A directory in the file's place cannot be renamed over, even by root.
    for (const char* name : {"settings.json", "save.json", "solves.json", "progress.json"}) {
        fs::create_directories(file(name) + "/blocked");
    }
    auto line = [](const char* name) {
        return "[store] konnte " + file(name) + " nicht schreiben\n";
    };
    testing::internal::CaptureStderr();
    store::saveSettings(store::Settings{});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), line("settings.json"));
    testing::internal::CaptureStderr();
    store::saveGame(sampleGame());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), line("save.json"));
    testing::internal::CaptureStderr();
    store::saveGame(sampleGame());  // the next save tries again
    EXPECT_EQ(testing::internal::GetCapturedStderr(), line("save.json"));

    testing::internal::CaptureStderr();
    EXPECT_EQ(show(store::loadSettings()), show(store::Settings{}));
    EXPECT_FALSE(store::loadGame().valid);
    store::clearGame();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(StoreWrites, ACorruptFileGoesAsideUnderANameOfItsOwnBeforeItIsReplacedOrRemoved) {
    auto asideOf = [](const std::string& name) {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dataDir()))
            if (e.path().filename().string().rfind(name + ".corrupt-", 0) == 0)
                out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    };
    // Earlier ones of this second and the next keep their contents: the new one gets a suffix.
    const long long now = store::nowMs() / 1000;
    std::vector<std::string> earlier;
    for (long long t : {now, now + 1})
        for (const std::string tail : {"", "-1"}) {
            earlier.push_back("settings.json.corrupt-" + std::to_string(t) + tail);
            put(earlier.back(), "earlier " + earlier.back());
        }
    put("settings.json", "{\"language\":\"de\",");
    testing::internal::CaptureStderr();
    store::saveSettings(store::Settings{});
    store::saveSettings(store::Settings{});  // one move, before the first write only
    const std::string err = testing::internal::GetCapturedStderr();
    std::vector<std::string> aside = asideOf("settings.json");
    ASSERT_EQ(aside.size(), 5u) << err;
    for (const auto& name : earlier) {
        EXPECT_EQ(readText(file(name)), "earlier " + name);
        aside.erase(std::find(aside.begin(), aside.end(), name));
    }
    EXPECT_EQ(readText(file(aside[0])), "{\"language\":\"de\",");
    EXPECT_EQ(err, "[store] " + file("settings.json") + " ist beschädigt, beiseitegelegt als " +
                       file(aside[0]) + "\n");
    EXPECT_EQ(readText(file("settings.json")), kDefaultSettingsText);

    // Clearing the game would lose a corrupt save just the same; a sound one is simply removed.
    put("save.json", "[1,2,3]");
    store::clearGame();
    EXPECT_FALSE(fileExists(file("save.json")));
    ASSERT_EQ(asideOf("save.json").size(), 1u);
    EXPECT_EQ(readText(file(asideOf("save.json")[0])), "[1,2,3]");
    store::saveGame(sampleGame());
    store::clearGame();
    EXPECT_EQ(asideOf("save.json").size(), 1u);

    // Not corrupt: wrongly typed members of the right document, an empty or missing file.
    testing::internal::CaptureStderr();
    put("progress.json", "{\"bests\":7,\"unlockedLevel\":\"x\"}");
    store::setUnlockedLevel(2);
    put("solves.json", "");
    store::recordSolve(store::SolveEntry{});
    fs::remove(file("settings.json"));
    store::saveSettings(store::Settings{});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(asideOf("progress.json").empty());
    EXPECT_TRUE(asideOf("solves.json").empty());
    EXPECT_EQ(asideOf("settings.json").size(), 5u);
}

TEST_F(StoreWrites, StartingUpRemovesTheTemporaryFilesOfCrashedSavesOnly) {
    pid_t dead = fork();
    ASSERT_GE(dead, 0);
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    const std::string deadPid = std::to_string(dead), ownPid = std::to_string(getpid()),
                      livePid = std::to_string(getppid());
    const std::vector<std::string> stale = {"save.json.tmp-" + deadPid + "-3",
                                            "solves.json.tmp-" + ownPid + "-0",  // an earlier run
                                            "progress.json.tmp"};  // an earlier version's name
    const std::vector<std::string> kept = {"settings.json.tmp-" + livePid + "-7", "notes.txt",
                                           "save.json.tmp-x-1", "save.json.tmpfile",
                                           "settings.json"};
    for (const auto& name : stale)
        put(name, "{");
    for (const auto& name : kept)
        put(name, "{}");
    // A live writer's file that is far older than any save takes is a reused pid's leftover.
    put("progress.json.tmp-" + livePid + "-8", "{");
    fs::last_write_time(file("progress.json.tmp-" + livePid + "-8"),
                        fs::file_time_type::clock::now() - std::chrono::hours(1));

    store::ensureDataDirs();
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dataDir()))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    std::vector<std::string> want = kept;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(left, want);
}

TEST(SolveIds, AFailingRandomDeviceFallsBackToTheClock) {
    uint32_t a = 0, b = 0;
    EXPECT_NO_THROW(a = store::randomSeed("no-such-device"));
    EXPECT_NO_THROW(b = store::randomSeed("no-such-device"));
    EXPECT_NE(a, b) << "the clock moves between two calls";
    EXPECT_NO_THROW(store::randomSeed("default"));
    const std::string id = store::newSolveId();
    EXPECT_NE(id.find('_'), std::string::npos) << id;
}

// ---- Solve history ----

TEST_F(SolvesFile, HintsAreKeptOnlyWhenUsedAndKeepTheStarsAtTwoAtMost) {
    const int optimum = mar::levelInfo(0).solutionLength;
    EXPECT_EQ(mar::computeStars(optimum, optimum, 1), 2);
    EXPECT_EQ(mar::computeStars(optimum * 3, optimum, 4), 1);
    EXPECT_EQ(mar::computeStars(optimum, optimum, -1), 3);

    // Written only when used; an unhelped solve keeps the member set older files have.
    store::SolveEntry e;
    e.id = "a";
    e.level = 0;
    e.moves = optimum;
    e.stars = 2;
    e.hints = 2;
    store::recordSolve(e);
    e.id = "b";
    e.level = 1;
    e.hints = 0;
    e.stars = 3;
    store::recordSolve(e);
    const json::Value doc = json::parse(readText(file("solves.json")));
    ASSERT_EQ(doc.size(), 2u);
    EXPECT_EQ(doc.asArray()[0]["hints"].asInt(-1), 2);
    EXPECT_TRUE(doc.asArray()[1]["hints"].isNull());
    auto list = store::listSolves();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].hints, 2);
    EXPECT_EQ(list[1].hints, 0);

    // Of two solves equal in stars and moves, the one with fewer hints stays.
    e.id = "c";
    e.level = 0;
    e.stars = 2;
    e.hints = 1;
    store::recordSolve(e);
    EXPECT_EQ(store::listSolves()[0].id, "c");

    // An old entry has none; a damaged count is none; three stars with hints become at most two.
    put("solves.json", R"([{"level": 2, "moves": 99, "stars": 3},
                           {"level": 3, "moves": 99, "stars": 3, "hints": -4},
                           {"level": 4, "moves": 99, "stars": 3, "hints": "two"},
                           {"level": 5, "moves": 1, "stars": 3, "hints": 1},
                           {"level": 6, "moves": 1, "stars": 9, "hints": 3},
                           {"level": 7, "moves": 999, "stars": 3, "hints": 1}])");
    list = store::listSolves();
    ASSERT_EQ(list.size(), 6u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(list[k].hints, 0) << "level " << list[k].level;
        EXPECT_EQ(list[k].stars, 3) << "level " << list[k].level;
    }
    EXPECT_EQ(list[3].hints, 1);
    EXPECT_EQ(list[3].stars, 2);
    EXPECT_EQ(list[4].hints, 3);
    EXPECT_EQ(list[4].stars, 2);
    EXPECT_EQ(list[5].stars, 1) << "rescored from its moves";
}
