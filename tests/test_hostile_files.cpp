// Every loader and updater of the store over damaged and hostile files in each file's place.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/json.h"
#include "core/puzzle_code.h"
#include "core/storage.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

const char* const kTargets[] = {"settings.json", "save.json", "solves.json", "progress.json",
                                "puzzles.json"};
const int kProbeLevels[] = {0, 1, 2, 3, 4, 5, 9, 104, -1, INT_MAX};

struct Hostile {
    std::string name;
    std::string text;
    bool missing = false;  // no file at all
};

// The committed corpus, plus a few cases too large to keep in the repository.
const std::vector<Hostile>& hostileFiles() {
    static const std::vector<Hostile> all = [] {
        std::vector<Hostile> out;
        std::vector<fs::path> paths;
        for (const auto& e : fs::directory_iterator(std::string(VANTREL_TEST_DATA) + "/corpus"))
            if (e.is_regular_file()) paths.push_back(e.path());
        std::sort(paths.begin(), paths.end());
        for (const auto& p : paths)
            out.push_back({p.filename().string(), readText(p.string())});

        out.push_back({"(missing)", "", true});
        out.push_back({"(a million open brackets)", std::string(1000000, '[')});
        out.push_back({"(a million nested objects)", [] {
                           std::string s;
                           for (int k = 0; k < 1000000; ++k)
                               s += "{\"bests\":";
                           return s + "1" + std::string(1000000, '}');
                       }()});
        out.push_back({"(a million brackets inside a member)",
                       "{\"tubes\":" + std::string(1000000, '[') + ",\"level\":1}"});
        std::string solves = "[";
        std::string bests = "{\"bests\":{";
        for (int k = 50000; k >= 1; --k) {
            std::string n = std::to_string(k);
            solves += "{\"level\":" + n + ",\"moves\":" + n + "}" + (k > 1 ? "," : "]");
            bests += "\"" + n + "\":{\"elapsedMs\":" + n + ",\"moves\":1,\"stars\":1}" +
                     (k > 1 ? "," : "},\"unlockedLevel\":50000}");
        }
        out.push_back({"(50000 solved levels)", solves});
        out.push_back({"(50000 bests)", bests});
        return out;
    }();
    return all;
}

std::string show(const store::Settings& s) {
    std::ostringstream o;
    o.precision(17);
    // Adding 0.0 turns -0 into 0: the two are the same volume.
    o << s.language << '|' << s.soundOn << '|' << s.musicVolume + 0.0 << '|' << s.sfxVolume + 0.0
      << '|' << s.fullscreen << '|' << s.maximized << '|' << s.windowW << '|' << s.windowH << '|'
      << s.windowX << '|' << s.windowY;
    return o.str();
}

std::string show(const store::SavedGame& g) {
    std::ostringstream o;
    o << g.valid << '|' << g.level << '|' << g.seed << '|' << g.state.capacity << '|';
    for (const auto& t : g.state.tubes) {
        o << '[';
        for (int c : t)
            o << c << ',';
        o << ']';
    }
    o << '|';
    for (const auto& m : g.history)
        o << m.from << '>' << m.to << ',';
    o << '|' << g.moveCount << '|' << g.elapsedMs << '|' << g.savedAt;
    return o.str();
}

std::string show(const store::LevelBest& b) {
    return std::to_string(b.stars) + "/" + std::to_string(b.moves) + "/" +
           std::to_string(b.elapsedMs);
}

class HostileFiles : public ::testing::Test {
  protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    static void clean() {
        wipeDataDir();
        fs::create_directories(dataDir());
    }
    static std::string file(const std::string& name) { return dataDir() + "/" + name; }
    static void place(const Hostile& h, const std::string& target) {
        clean();
        if (!h.missing) {
            ASSERT_TRUE(writeText(file(target), h.text));
        }
    }

    // The files that are not in play must read as their defaults, whatever the other holds.
    static void expectOthersAtDefaults(const std::string& target, const std::string& where) {
        if (target != "settings.json") {
            EXPECT_EQ(show(store::loadSettings()), show(store::Settings{})) << where;
        }
        if (target != "save.json") {
            EXPECT_FALSE(store::loadGame().valid) << where;
        }
        if (target != "solves.json") {
            EXPECT_TRUE(store::listSolves().empty()) << where;
        }
        if (target != "puzzles.json") {
            EXPECT_TRUE(store::listPuzzleResults().empty()) << where;
        }
        if (target != "progress.json") {
            EXPECT_EQ(store::unlockedLevel(), 1) << where;
            for (int level : kProbeLevels)
                EXPECT_EQ(show(store::bestFor(level)), "0/0/0") << where << " level " << level;
        }
    }

    // A file that is there, holds something and does not parse as the top-level type the
    // game keeps in it.
    static bool corrupt(const Hostile& h, const std::string& target) {
        const json::Type kept = target == "solves.json" ? json::Type::Array : json::Type::Object;
        return !h.missing && !h.text.empty() && json::parse(h.text).type() != kept;
    }

    // Runs `check`, which saves over the file, over every hostile file placed as `target`. A
    // corrupt file is moved aside whole before the first save, reported in one line; nothing
    // else may reach stderr.
    static void overAll(const std::string& target,
                        const std::function<void(const Hostile&, const std::string&)>& check) {
        ASSERT_GE(hostileFiles().size(), 40u);
        int setAside = 0;
        for (const auto& h : hostileFiles()) {
            const std::string where = h.name + " as " + target;
            place(h, target);
            testing::internal::CaptureStderr();
            check(h, where);
            expectOthersAtDefaults(target, where);
            const std::string err = testing::internal::GetCapturedStderr();
            std::vector<std::string> aside;
            for (const auto& e : fs::directory_iterator(dataDir()))
                if (e.path().filename().string().rfind(target + ".corrupt-", 0) == 0)
                    aside.push_back(e.path().string());
            if (!corrupt(h, target)) {
                EXPECT_EQ(err, "") << where;
                EXPECT_EQ(aside.size(), 0u) << where;
                continue;
            }
            ++setAside;
            ASSERT_EQ(aside.size(), 1u) << where;
            EXPECT_TRUE(readText(aside[0]) == h.text) << where;
            EXPECT_EQ(err, "[store] " + file(target) + " ist beschädigt, beiseitegelegt als " +
                               aside[0] + "\n")
                << where;
        }
        EXPECT_GE(setAside, 20) << target;
    }
};

}  // namespace

TEST_F(HostileFiles, SettingsAlwaysLoadWithinTheirRangesAndSaveOverTheDamage) {
    overAll("settings.json", [](const Hostile& h, const std::string& where) {
        store::Settings s = store::loadSettings();
        EXPECT_GE(s.musicVolume, 0.0) << where;
        EXPECT_LE(s.musicVolume, 1.0) << where;
        EXPECT_GE(s.sfxVolume, 0.0) << where;
        EXPECT_LE(s.sfxVolume, 1.0) << where;
        EXPECT_GE(s.windowW, 640) << where;
        EXPECT_GE(s.windowH, 480) << where;
        if (!json::parse(h.text).isObject()) {
            EXPECT_EQ(show(s), show(store::Settings{})) << where;
        }

        store::saveSettings(s);
        EXPECT_EQ(show(store::loadSettings()), show(s)) << where;
        EXPECT_EQ(json::parse(readText(file("settings.json"))).size(), 10u) << where;
    });
}

TEST_F(HostileFiles, ASavedGameIsEitherUsableOrAbsentAndCanBeSavedOver) {
    overAll("save.json", [](const Hostile& h, const std::string& where) {
        store::SavedGame g = store::loadGame();
        json::Value doc = json::parse(h.text);
        if (!doc.isObject() || !doc["level"].isNumber()) {
            EXPECT_EQ(show(g), show(store::SavedGame{})) << where;
        }
        if (g.valid) {
            EXPECT_GE(g.state.capacity, 1) << where;
            EXPECT_FALSE(g.state.tubes.empty()) << where;
            EXPECT_EQ(g.history.size(), doc["history"].asArray().size()) << where;
            EXPECT_EQ(g.state.tubes.size(), doc["tubes"].asArray().size()) << where;
        } else {
            g.valid = true;
            g.state.capacity = 2;
            g.state.tubes = {{1, 0}, {}};
        }
        store::saveGame(g);
        EXPECT_EQ(show(store::loadGame()), show(g)) << where;
        store::clearGame();
        EXPECT_FALSE(store::loadGame().valid) << where;
    });
}

TEST_F(HostileFiles, TheSolveHistoryListsAtMostOneEntryPerLevelAndTakesNewSolves) {
    overAll("solves.json", [](const Hostile& h, const std::string& where) {
        json::Value doc = json::parse(h.text);
        auto list = store::listSolves();
        if (!doc.isArray()) {
            EXPECT_TRUE(list.empty()) << where;
        }
        EXPECT_LE(list.size(), doc.size()) << where;
        for (size_t k = 0; k < list.size(); ++k) {
            EXPECT_GE(list[k].stars, 1) << where << " entry " << k;
            EXPECT_LE(list[k].stars, 3) << where << " entry " << k;
            if (k > 0) {
                EXPECT_LT(list[k - 1].level, list[k].level) << where << " entry " << k;
            }
        }

        store::SolveEntry e;
        e.id = "new";
        e.level = 3;
        e.moves = 1;
        e.stars = 3;
        e.capacity = 4;
        e.finalTubes = {{0, 0, 0, 0}};
        store::recordSolve(e);
        auto after = store::listSolves();
        EXPECT_LE(after.size(), 400u) << where;
        bool hasLevel3 = false;
        for (size_t k = 0; k < after.size(); ++k) {
            hasLevel3 = hasLevel3 || after[k].level == 3;
            if (k > 0) {
                EXPECT_LT(after[k - 1].level, after[k].level) << where;
            }
        }
        // Only 400 lower levels could push it out; the level holds its best, not always ours.
        EXPECT_TRUE(hasLevel3 || (after.size() == 400 && after.back().level < 3)) << where;
        json::Value written = json::parse(readText(file("solves.json")));
        ASSERT_TRUE(written.isArray()) << where;
        for (const auto& el : written.asArray())
            EXPECT_EQ(el.size(), 9u) << where;
    });
}

TEST_F(HostileFiles, ProgressReadsAsAtLeastOneUnlockedAndUpdatesKeepTheOtherBests) {
    overAll("progress.json", [](const Hostile& h, const std::string& where) {
        json::Value doc = json::parse(h.text);
        const int unlocked = store::unlockedLevel();
        EXPECT_GE(unlocked, 1) << where;
        if (!doc.isObject()) {
            EXPECT_EQ(unlocked, 1) << where;
        }
        if (!doc["bests"].isObject()) {
            for (int level : kProbeLevels)
                EXPECT_EQ(show(store::bestFor(level)), "0/0/0") << where << " level " << level;
        }

        store::LevelBest attempt;
        attempt.stars = 2;
        attempt.moves = 20;
        attempt.elapsedMs = 7000;
        store::LevelBest merged = store::recordBest(3, attempt);
        EXPECT_GE(merged.stars, 2) << where;
        EXPECT_EQ(show(store::bestFor(3)), show(merged)) << where;
        EXPECT_EQ(store::unlockedLevel(), unlocked) << where;

        EXPECT_EQ(store::advanceUnlockedLevel(9), std::max(unlocked, 9)) << where;
        EXPECT_EQ(store::unlockedLevel(), std::max(unlocked, 9)) << where;

        json::Value written = json::parse(readText(file("progress.json")));
        ASSERT_TRUE(written.isObject()) << where;
        EXPECT_EQ(written.size(), 2u) << where;
        EXPECT_TRUE(written["bests"].isObject()) << where;
        EXPECT_TRUE(written["unlockedLevel"].isNumber()) << where;
        for (const auto& [key, value] : doc["bests"].asObject()) {
            if (key != "3") {
                EXPECT_EQ(written["bests"][key].dump(), value.dump()) << where << key;
            }
        }
    });
}

TEST_F(HostileFiles, PuzzleResultsAreWholeOrLeftOutAndANewOneIsAlwaysKeptFirst) {
    overAll("puzzles.json", [](const Hostile& h, const std::string& where) {
        const json::Value doc = json::parse(h.text);
        const std::vector<store::PuzzleResult> list = store::listPuzzleResults();
        EXPECT_LE(list.size(), doc["results"].size()) << where;
        for (const store::PuzzleResult& r : list) {
            EXPECT_TRUE(puzzle::decode(r.code)) << where;
            EXPECT_GE(r.moves, r.optimum) << where;
            EXPECT_GE(r.optimum, 1) << where;
            EXPECT_GE(r.stars, 1) << where;
            EXPECT_LE(r.stars, 3) << where;
        }
        store::PuzzleResult fresh;
        fresh.code = "3D2-266-GGG";
        fresh.moves = fresh.optimum = 35;
        fresh.stars = 3;
        store::recordPuzzleResult(fresh);
        const std::vector<store::PuzzleResult> after = store::listPuzzleResults();
        ASSERT_FALSE(after.empty()) << where;
        EXPECT_EQ(after[0].code, fresh.code) << where;
        EXPECT_EQ(after.size(), std::min(list.size() + 1, size_t{1000})) << where;
        EXPECT_TRUE(json::parse(readText(file("puzzles.json"))).isObject()) << where;
    });
}

TEST_F(HostileFiles, ADirectoryInAFilesPlaceReadsAsMissingAndItsSaveReportsOneLine) {
    for (const char* target : kTargets) {
        clean();
        fs::create_directories(file(target) + "/inside");
        const std::string line = "[store] konnte " + file(target) + " nicht schreiben\n";
        testing::internal::CaptureStderr();
        expectOthersAtDefaults("", target);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << target;

        testing::internal::CaptureStderr();
        const std::string name = target;
        if (name == "settings.json") store::saveSettings(store::Settings{});
        if (name == "save.json") {
            store::SavedGame g;
            g.state.capacity = 1;
            g.state.tubes = {{0}};
            store::saveGame(g);
        }
        if (name == "solves.json") store::recordSolve(store::SolveEntry{});
        if (name == "progress.json") {
            EXPECT_EQ(store::advanceUnlockedLevel(4), 4);
        }
        if (name == "puzzles.json") store::recordPuzzleResult(store::PuzzleResult{});
        EXPECT_EQ(testing::internal::GetCapturedStderr(), line) << target;
        EXPECT_TRUE(fs::is_directory(file(target) + "/inside")) << target;
    }
}

TEST_F(HostileFiles, NamedCorpusFilesGiveTheseExactAnswers) {
    auto text = [](const std::string& name) {
        for (const auto& h : hostileFiles())
            if (h.name == name) return h.text;
        ADD_FAILURE() << "no corpus file " << name;
        return std::string();
    };
    auto settings = [&](const std::string& name) {
        place({name, text(name)}, "settings.json");
        return show(store::loadSettings());
    };
    auto game = [&](const std::string& name) {
        place({name, text(name)}, "save.json");
        return show(store::loadGame());
    };
    auto unlocked = [&](const std::string& name) {
        place({name, text(name)}, "progress.json");
        return store::unlockedLevel();
    };
    const std::string defaults = show(store::Settings{});
    const std::string imax = std::to_string(INT_MAX), imin = std::to_string(INT_MIN);
    const std::string lmax = std::to_string(INT64_MAX), lmin = std::to_string(INT64_MIN);

    // Settings: language|soundOn|music|sfx|fullscreen|maximized|W|H|X|Y
    EXPECT_EQ(settings("settings-wrong-types.json"), defaults);
    EXPECT_EQ(settings("settings-all-valid.json"), "pt-BR|0|0.5|0.75|1|1|1440|900|12|34");
    EXPECT_EQ(settings("absurd-numbers-object.json"),
              "|1|1|0|0|0|" + imax + "|480|" + imax + "|" + imin);
    EXPECT_EQ(settings("infinity-and-nan.json"),
              "|1|0.25|1|0|0|640|" + imax + "|-1000000|-1000000");
    EXPECT_EQ(settings("hex-and-odd-numbers.json"), "|1|0.5|0.5|0|0|1024|480|5|0");
    EXPECT_EQ(settings("overflowing-digits.json"),
              "|1|0.25|1|0|0|" + imax + "|480|-1000000|-1000000");
    EXPECT_EQ(settings("duplicate-keys.json"), "fr|1|0.25|1|0|0|1100|760|-1000000|-1000000");
    EXPECT_EQ(settings("surrogate-pair.json").substr(0, 5), "\xF0\x9F\x98\x80|");
    EXPECT_EQ(settings("lone-surrogates.json").substr(0, 4), "\xED\xA0\xBD|");
    EXPECT_EQ(settings("non-hex-escape.json"),
              std::string(1, '\0') + "\xC3\xA9|0|0.25|1|0|0|1100|760|-1000000|-1000000");
    EXPECT_EQ(settings("invalid-utf8.json").substr(0, 8), "\xff\xfe\xc0\xaf\xed\xa0\x80|");
    EXPECT_EQ(settings("nul-inside-document.json"), defaults);
    EXPECT_EQ(settings("nul-after-document.json"), "|0|0.25|1|0|0|1100|760|-1000000|-1000000");
    EXPECT_EQ(settings("trailing-garbage.json"), "|0|0.25|1|0|0|1100|760|-1000000|-1000000");
    for (const char* name :
         {"utf8-bom.json", "utf16-text.json", "comments.json", "trailing-comma-object.json",
          "vertical-tab-before-colon.json", "capitalised-literals.json", "lowercase-nan.json",
          "deep-objects.json", "deep-inside-members.json", "truncated-object.json"})
        EXPECT_EQ(settings(name), defaults) << name;

    // Saved game: valid|level|seed|capacity|tubes|history|moveCount|elapsedMs|savedAt
    EXPECT_EQ(game("hex-and-odd-numbers.json"), "1|26|4294967295|4|[1,0,]||0|0|0");
    EXPECT_EQ(game("save-wrong-element-types.json"),
              "1|2|0|4|[][][][][1,0,0,0,0,0,]|0>0,0>0,0>0,0>0," + imax + ">" + imin + ",|5|0|0");
    for (const char* name :
         {"save-level-as-string.json", "save-wrong-member-types.json", "save-no-tubes.json",
          "save-zero-capacity.json", "negative-everything.json", "duplicate-keys.json",
          "overflowing-digits.json", "absurd-numbers-object.json", "infinity-and-nan.json",
          "save-counters-at-limits.json"}) {
        place({name, text(name)}, "save.json");
        EXPECT_FALSE(store::loadGame().valid) << name;
    }

    // Solve history.
    place({"", text("solves-duplicates-and-disorder.json")}, "solves.json");
    auto list = store::listSolves();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].level, 0);
    EXPECT_EQ(list[0].stars, 3);  // stored stars of 0 recomputed: one move beats any optimum
    EXPECT_EQ(list[1].id, "b");
    EXPECT_EQ(list[2].moves, 19);
    place({"", text("solves-absurd-numbers.json")}, "solves.json");
    list = store::listSolves();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].level, INT_MIN);
    EXPECT_EQ(list[0].elapsedMs, 0);
    EXPECT_EQ(list[0].solvedAt, INT64_MIN);
    EXPECT_EQ(list[1].level, 0);
    EXPECT_EQ(list[2].level, INT_MAX);
    EXPECT_EQ(list[2].seed, 4294967295u);
    EXPECT_EQ(list[2].moves, INT_MIN);
    EXPECT_EQ(list[2].elapsedMs, INT64_MIN);
    EXPECT_EQ(list[2].solvedAt, INT64_MAX);
    place({"", text("solves-wrong-element-types.json")}, "solves.json");
    list = store::listSolves();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].level, 0);
    EXPECT_EQ(list[0].stars, 3);

    // Progress.
    EXPECT_EQ(unlocked("duplicate-keys.json"), 9);
    EXPECT_EQ(unlocked("hex-and-odd-numbers.json"), 7);
    EXPECT_EQ(unlocked("absurd-numbers-object.json"), INT_MAX);
    EXPECT_EQ(unlocked("infinity-and-nan.json"), 1);
    EXPECT_EQ(unlocked("trailing-garbage.json"), 5);
    EXPECT_EQ(unlocked("progress-wrong-types.json"), 1);
    EXPECT_EQ(unlocked("progress-wrong-inner-types.json"), 1);
    for (int level : {0, 1, 2, 3, 5})
        EXPECT_EQ(show(store::bestFor(level)), "0/0/0") << level;
    EXPECT_EQ(show(store::bestFor(4)), imax + "/" + imin + "/0");
    EXPECT_EQ(show(store::bestFor(-1)), "2/2/2");
    EXPECT_EQ(unlocked("progress-extra-members.json"), 2);
    EXPECT_EQ(store::advanceUnlockedLevel(3), 3);
    EXPECT_EQ(readText(file("progress.json")),
              "{\"bests\":{\"0\":{\"elapsedMs\":41230,\"moves\":7,\"stars\":3}},"
              "\"unlockedLevel\":3}");
}
