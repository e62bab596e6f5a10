// Solve history, best results and unlock progress as stored in solves.json and progress.json.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "core/levels.h"
#include "core/storage.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

std::string show(const store::SolveEntry& e) {
    std::ostringstream o;
    o << "id=" << e.id << " level=" << e.level << " seed=" << e.seed << " moves=" << e.moves
      << " elapsedMs=" << e.elapsedMs << " solvedAt=" << e.solvedAt << " capacity=" << e.capacity
      << " stars=" << e.stars << " tubes=";
    for (const auto& t : e.finalTubes) {
        o << '[';
        for (int c : t)
            o << c << ',';
        o << ']';
    }
    return o.str();
}

std::string show(const store::LevelBest& b) {
    return std::to_string(b.stars) + " stars, " + std::to_string(b.moves) + " moves, " +
           std::to_string(b.elapsedMs) + " ms";
}

store::LevelBest best(int stars, int moves, int64_t ms) {
    store::LevelBest b;
    b.stars = stars;
    b.moves = moves;
    b.elapsedMs = ms;
    return b;
}

store::SolveEntry solve(int level, int stars, int moves, int64_t ms, std::string id = "") {
    store::SolveEntry e;
    e.id = id.empty() ? "id" + std::to_string(level) : std::move(id);
    e.level = level;
    e.seed = static_cast<uint32_t>(level) * 100000u + 1u;
    e.moves = moves;
    e.elapsedMs = ms;
    e.solvedAt = 1700000000000LL + level;
    e.finalTubes = {{0, 0, 0, 0}, {}, {1, 1, 1, 1}};
    e.capacity = 4;
    e.stars = stars;
    return e;
}

std::vector<int> levelsOf(const std::vector<store::SolveEntry>& list) {
    std::vector<int> out;
    for (const auto& e : list)
        out.push_back(e.level);
    return out;
}

class ProgressFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        fs::create_directories(dataDir());
    }
    static std::string file(const std::string& name) { return dataDir() + "/" + name; }
    static void put(const std::string& name, const std::string& text) {
        ASSERT_TRUE(writeText(file(name), text)) << name;
    }
};

using SolveHistory = ProgressFiles;
using LevelBests = ProgressFiles;
using UnlockProgress = ProgressFiles;

}  // namespace

// ---- Solve history ----

TEST_F(SolveHistory, EverySolveSurvivesRecordingAndListingInTheDocumentedForm) {
    EXPECT_TRUE(store::listSolves().empty());
    store::SolveEntry e;
    e.id = "1700000000000_42";
    e.level = 3;
    e.seed = 4294967295u;
    e.moves = 9;
    e.elapsedMs = 1234;
    e.solvedAt = 1700000000000LL;
    e.finalTubes = {{1, 1}, {}};
    e.capacity = 4;
    e.stars = 2;
    store::recordSolve(e);
    EXPECT_EQ(readText(file("solves.json")),
              "[{\"capacity\":4,\"elapsedMs\":1234,\"finalTubes\":[[1,1],[]],"
              "\"id\":\"1700000000000_42\",\"level\":3,\"moves\":9,\"seed\":4294967295,"
              "\"solvedAt\":1700000000000,\"stars\":2}]");
    auto list = store::listSolves();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(show(list[0]), show(e));

    // Several levels come back in level order whatever order they were solved in.
    store::SolveEntry a = solve(8, 1, 90, 9007199254740991LL, "odd \"id\"\n");
    store::SolveEntry b = solve(0, 3, 4, 0);
    store::recordSolve(a);
    store::recordSolve(b);
    list = store::listSolves();
    ASSERT_EQ(levelsOf(list), (std::vector<int>{0, 3, 8}));
    EXPECT_EQ(show(list[0]), show(b));
    EXPECT_EQ(show(list[1]), show(e));
    EXPECT_EQ(show(list[2]), show(a));
}

TEST_F(SolveHistory, OnlyTheBestSolveOfEachLevelIsListedInLevelOrder) {
    // Stars first, then fewer moves, then less time; on a full tie the earlier entry stays.
    put("solves.json",
        "[{\"level\":5,\"stars\":3,\"moves\":40,\"elapsedMs\":1,\"id\":\"forty\"},"
        " {\"level\":9,\"stars\":2,\"moves\":10,\"elapsedMs\":100,\"id\":\"two-stars\"},"
        " {\"level\":5,\"stars\":3,\"moves\":38,\"elapsedMs\":900,\"id\":\"thirty-eight\"},"
        " {\"level\":2,\"stars\":1,\"moves\":99,\"elapsedMs\":5,\"id\":\"only\"},"
        " {\"level\":9,\"stars\":3,\"moves\":50,\"elapsedMs\":999,\"id\":\"three-stars\"},"
        " {\"level\":9,\"stars\":3,\"moves\":50,\"elapsedMs\":500,\"id\":\"faster\"},"
        " {\"level\":9,\"stars\":3,\"moves\":50,\"elapsedMs\":500,\"id\":\"tie\"},"
        " {\"level\":9,\"stars\":3,\"moves\":51,\"elapsedMs\":1,\"id\":\"more-moves\"},"
        " {\"level\":7,\"stars\":2,\"moves\":8,\"elapsedMs\":70,\"id\":\"first\"},"
        " {\"level\":7,\"stars\":2,\"moves\":8,\"elapsedMs\":70,\"id\":\"second\"},"
        " {\"level\":5,\"stars\":2,\"moves\":1,\"elapsedMs\":1,\"id\":\"fewer-stars\"}]");
    auto list = store::listSolves();
    ASSERT_EQ(levelsOf(list), (std::vector<int>{2, 5, 7, 9}));
    EXPECT_EQ(list[0].id, "only");
    EXPECT_EQ(list[1].id, "thirty-eight");
    EXPECT_EQ(list[2].id, "first");
    EXPECT_EQ(list[3].id, "faster");
}

TEST_F(SolveHistory, MissingOrZeroStarsAreComputedFromTheMovesAgainstTheOptimum) {
    const int last = mar::totalLevels() - 1;
    const int opt10 = mar::levelInfo(10).solutionLength;
    const int opt11 = mar::levelInfo(11).solutionLength;
    const int opt12 = mar::levelInfo(12).solutionLength;
    const int optLast = mar::levelInfo(last).solutionLength;
    ASSERT_GT(opt10, 0);
    ASSERT_GT(opt11, 0);
    ASSERT_GT(opt12, 0);
    ASSERT_GT(optLast, 0);
    const int twoStarMoves = static_cast<int>(std::ceil(1.5 * opt11));
    std::ostringstream text;
    text << "[{\"level\":10,\"moves\":" << opt10 << ",\"stars\":0},"
         << "{\"level\":11,\"moves\":" << twoStarMoves << "},"
         << "{\"level\":12,\"moves\":" << 2 * opt12 + 1 << ",\"stars\":-4},"
         << "{\"level\":13,\"moves\":100000,\"stars\":2},"
         << "{\"level\":14,\"moves\":100000,\"stars\":0.49},"
         << "{\"level\":15,\"moves\":100000,\"stars\":\"3\"},"
         << "{\"level\":1000,\"moves\":" << optLast << "},"
         << "\"not an entry\"]";
    put("solves.json", text.str());
    auto list = store::listSolves();
    ASSERT_EQ(levelsOf(list), (std::vector<int>{0, 10, 11, 12, 13, 14, 15, 1000}));
    EXPECT_EQ(list[0].stars, 3);  // the non-object reads as level 0 in 0 moves
    EXPECT_EQ(list[0].id, "");
    EXPECT_EQ(list[1].stars, 3);
    EXPECT_EQ(list[2].stars, 2);
    EXPECT_EQ(list[3].stars, 1);
    EXPECT_EQ(list[4].stars, 2);  // stored stars are kept even if the moves disagree
    EXPECT_EQ(list[5].stars, 1);
    EXPECT_EQ(list[6].stars, 1);
    EXPECT_EQ(list[7].stars, 3);  // judged against the last level of the catalogue
}

TEST_F(SolveHistory, AWorseOrTiedSolveKeepsTheStoredOneButRewritesTheFile) {
    put("solves.json",
        "[ {\"level\":4, \"stars\":3, \"moves\":10, \"elapsedMs\":500, \"id\":\"kept\"},\n"
        "  {\"level\":4, \"stars\":1, \"moves\":99, \"elapsedMs\":1, \"id\":\"dropped\"} ]\n");
    store::recordSolve(solve(4, 2, 5, 1, "worse"));
    store::recordSolve(solve(4, 3, 10, 500, "tied"));
    auto list = store::listSolves();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].id, "kept");
    const std::string text = readText(file("solves.json"));
    EXPECT_EQ(text.find("dropped"), std::string::npos) << text;
    EXPECT_EQ(text.find(' '), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;

    store::recordSolve(solve(4, 3, 10, 499, "faster"));
    list = store::listSolves();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].id, "faster");
}

TEST_F(SolveHistory, TheHistoryKeepsTheFourHundredLowestLevels) {
    std::string text = "[";
    for (int level = 405; level >= 1; --level) {
        if (level != 405) text += ',';
        text += "{\"level\":" + std::to_string(level) + ",\"moves\":3,\"stars\":3}";
    }
    put("solves.json", text + "]");
    EXPECT_EQ(store::listSolves().size(), 405u);  // reading alone drops nothing

    store::recordSolve(solve(0, 3, 3, 1));
    auto list = store::listSolves();
    ASSERT_EQ(list.size(), 400u);
    for (int k = 0; k < 400; ++k)
        ASSERT_EQ(list[k].level, k);

    store::recordSolve(solve(1000, 3, 3, 1));
    list = store::listSolves();
    ASSERT_EQ(list.size(), 400u);
    EXPECT_EQ(list.back().level, 399);
}

TEST_F(SolveHistory, IdsAreTheMillisecondTimeAnUnderscoreAndUpToSixDigits) {
    auto digitsOnly = [](const std::string& t) {
        return !t.empty() && t.find_first_not_of("0123456789") == std::string::npos;
    };
    std::set<std::string> seen;
    for (int k = 0; k < 50; ++k) {
        int64_t before = store::nowMs();
        std::string id = store::newSolveId();
        int64_t after = store::nowMs();
        size_t cut = id.find('_');
        ASSERT_NE(cut, std::string::npos) << id;
        std::string ms = id.substr(0, cut), drawn = id.substr(cut + 1);
        ASSERT_TRUE(digitsOnly(ms)) << id;
        ASSERT_TRUE(digitsOnly(drawn)) << id;
        EXPECT_LE(drawn.size(), 6u) << id;
        EXPECT_TRUE(drawn == "0" || drawn[0] != '0') << "no padding: " << id;
        EXPECT_GE(std::stoll(ms), before) << id;
        EXPECT_LE(std::stoll(ms), after) << id;
        seen.insert(drawn);
    }
    EXPECT_GT(seen.size(), 1u) << "the number after the underscore never changes";
}

TEST_F(SolveHistory, ClearingForgetsEverySolve) {
    store::recordSolve(solve(1, 3, 3, 1));
    store::recordSolve(solve(2, 3, 3, 1));
    store::clearAllSolves();
    EXPECT_TRUE(store::listSolves().empty());
    EXPECT_FALSE(fileExists(file("solves.json")));
    testing::internal::CaptureStderr();
    store::clearAllSolves();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// ---- Bests ----

TEST_F(LevelBests, EachPartOfTheBestIsMergedOnItsOwn) {
    EXPECT_EQ(show(store::bestFor(7)), show(best(0, 0, 0)));
    EXPECT_EQ(show(store::recordBest(7, best(3, 50, 90000))), show(best(3, 50, 90000)));
    EXPECT_EQ(show(store::recordBest(7, best(2, 45, 120000))), show(best(3, 45, 90000)));
    EXPECT_EQ(show(store::bestFor(7)), show(best(3, 45, 90000)));
    EXPECT_EQ(show(store::recordBest(7, best(1, 60, 80000))), show(best(3, 45, 80000)));
    EXPECT_EQ(show(store::bestFor(7)), show(best(3, 45, 80000)));
    EXPECT_EQ(show(store::bestFor(6)), show(best(0, 0, 0)));
    EXPECT_EQ(show(store::bestFor(-1)), show(best(0, 0, 0)));
}

TEST_F(LevelBests, AStoredTimeOrStarCountOfZeroCountsAsNone) {
    EXPECT_EQ(show(store::recordBest(1, best(2, 30, 0))), show(best(2, 30, 0)));
    EXPECT_EQ(show(store::bestFor(1)), show(best(2, 30, 0)));
    EXPECT_EQ(show(store::recordBest(1, best(1, 40, 5000))), show(best(2, 30, 5000)));
    EXPECT_EQ(show(store::recordBest(1, best(1, 50, 7000))), show(best(2, 30, 5000)));

    // A record without stars is no best yet: its moves do not count, its time does.
    put("progress.json",
        "{\"bests\":{\"4\":{\"stars\":0,\"moves\":5,\"elapsedMs\":100}},\"unlockedLevel\":2}");
    EXPECT_EQ(show(store::recordBest(4, best(1, 9, 200))), show(best(1, 9, 100)));
}

TEST_F(LevelBests, TheFileHoldsTheBestsByDecimalKeyAndTheUnlockCount) {
    store::recordBest(0, best(3, 7, 41230));
    store::recordBest(1, best(2, 12, 65000));
    EXPECT_EQ(store::advanceUnlockedLevel(3), 3);
    EXPECT_EQ(readText(file("progress.json")),
              "{\"bests\":{\"0\":{\"elapsedMs\":41230,\"moves\":7,\"stars\":3},"
              "\"1\":{\"elapsedMs\":65000,\"moves\":12,\"stars\":2}},\"unlockedLevel\":3}");

    store::recordBest(10, best(1, 99, 1));
    store::recordBest(2, best(1, 99, 1));
    const std::string text = readText(file("progress.json"));
    const size_t k1 = text.find("\"1\":"), k10 = text.find("\"10\":"), k2 = text.find("\"2\":");
    ASSERT_NE(k2, std::string::npos) << text;
    EXPECT_LT(k1, k10) << text;
    EXPECT_LT(k10, k2) << text;
    EXPECT_EQ(store::unlockedLevel(), 3);
}

TEST_F(LevelBests, OtherLevelsStayUntouchedAndUnknownMembersAreDropped) {
    put("progress.json",
        "{ \"junk\": [1, 2],\n \"bests\": {\"0\": {\"stars\": 3, \"moves\": 2, \"elapsedMs\": 1,"
        " \"note\": \"x\"}, \"9\": \"odd\"},\n \"unlockedLevel\": 4 }\n");
    store::recordBest(2, best(1, 5, 6));
    EXPECT_EQ(readText(file("progress.json")),
              "{\"bests\":{\"0\":{\"elapsedMs\":1,\"moves\":2,\"note\":\"x\",\"stars\":3},"
              "\"2\":{\"elapsedMs\":6,\"moves\":5,\"stars\":1},\"9\":\"odd\"},"
              "\"unlockedLevel\":4}");
}

TEST_F(LevelBests, LevelKeysMatchOnlyAsExactDecimalStrings) {
    put("progress.json",
        "{\"bests\":{\"05\":{\"stars\":1,\"moves\":1,\"elapsedMs\":1},"
        "\"5.0\":{\"stars\":2,\"moves\":2,\"elapsedMs\":2},\" "
        "5\":{\"stars\":3},\"+5\":{\"stars\":3},"
        "\"-1\":{\"stars\":2,\"moves\":8,\"elapsedMs\":9}},\"unlockedLevel\":1}");
    EXPECT_EQ(show(store::bestFor(5)), show(best(0, 0, 0)));
    EXPECT_EQ(show(store::bestFor(-1)), show(best(2, 8, 9)));
    put("progress.json", "{\"bests\":{\"5\":{\"stars\":1,\"moves\":4,\"elapsedMs\":3.9}}}");
    EXPECT_EQ(show(store::bestFor(5)), show(best(1, 4, 3)));
}

// ---- Unlock progress ----

TEST_F(UnlockProgress, TheUnlockCountIsAtLeastOne) {
    EXPECT_EQ(store::unlockedLevel(), 1);
    struct Case {
        const char* text;
        int want;
    } cases[] = {
        {"{\"unlockedLevel\":0}", 1},           {"{\"unlockedLevel\":-3}", 1},
        {"{\"unlockedLevel\":\"5\"}", 1},       {"{\"unlockedLevel\":7}", 7},
        {"{\"unlockedLevel\":7.5}", 8},         {"{\"unlockedLevel\":0.4}", 1},
        {"{\"unlockedLevel\":1e300}", INT_MAX}, {"{\"unlockedLevel\":-1e300}", 1},
        {"{\"unlockedLevel\":NaN}", 1},         {"{\"bests\":{}}", 1},
        {"[{\"unlockedLevel\":7}]", 1},         {"{\"unlockedLevel\":7", 1},
    };
    for (const auto& c : cases) {
        put("progress.json", c.text);
        EXPECT_EQ(store::unlockedLevel(), c.want) << c.text;
    }
}

TEST_F(UnlockProgress, AdvancingNeverLowersTheCountAndWritesNothingWhenReached) {
    EXPECT_EQ(store::advanceUnlockedLevel(1), 1);
    EXPECT_FALSE(fileExists(file("progress.json")));

    const std::string stored =
        "{ \"unlockedLevel\" : 7, \"bests\" : {\"3\":{\"stars\":2,\"moves\":9,\"elapsedMs\":4}} }";
    put("progress.json", stored);
    EXPECT_EQ(store::advanceUnlockedLevel(5), 7);
    EXPECT_EQ(store::advanceUnlockedLevel(7), 7);
    EXPECT_EQ(readText(file("progress.json")), stored);

    EXPECT_EQ(store::advanceUnlockedLevel(9), 9);
    EXPECT_EQ(store::unlockedLevel(), 9);
    EXPECT_EQ(show(store::bestFor(3)), show(best(2, 9, 4)));
}

TEST_F(UnlockProgress, SettingTheCountKeepsTheBestsAndStoresAtLeastOne) {
    store::recordBest(3, best(2, 9, 4));
    store::setUnlockedLevel(12);
    EXPECT_EQ(store::unlockedLevel(), 12);
    store::setUnlockedLevel(3);  // unlike advancing, setting may lower it
    EXPECT_EQ(store::unlockedLevel(), 3);
    store::setUnlockedLevel(0);
    EXPECT_EQ(readText(file("progress.json")),
              "{\"bests\":{\"3\":{\"elapsedMs\":4,\"moves\":9,\"stars\":2}},\"unlockedLevel\":1}");
    store::setUnlockedLevel(-5);
    EXPECT_EQ(store::unlockedLevel(), 1);

    // Recording a best keeps whatever count is stored.
    store::setUnlockedLevel(6);
    store::recordBest(0, best(3, 3, 3));
    EXPECT_EQ(store::unlockedLevel(), 6);
}

TEST_F(UnlockProgress, ResettingForgetsAllProgressButKeepsTheSettings) {
    store::Settings s;
    s.language = "nl";
    s.soundOn = false;
    store::saveSettings(s);
    const std::string settingsText = readText(file("settings.json"));
    for (int level = 0; level < 5; ++level) {
        store::recordSolve(solve(level, 3, 3, 1));
        store::recordBest(level, best(3, 3, 1));
    }
    store::advanceUnlockedLevel(6);
    store::SavedGame g;
    g.level = 5;
    g.state.capacity = 4;
    g.state.tubes = {{0}};
    store::saveGame(g);
    ASSERT_TRUE(store::loadGame().valid);

    store::resetProgress();
    EXPECT_EQ(readText(file("progress.json")), "{\"bests\":{},\"unlockedLevel\":1}");
    EXPECT_EQ(store::unlockedLevel(), 1);
    EXPECT_TRUE(store::listSolves().empty());
    for (int level = 0; level < mar::totalLevels(); ++level)
        EXPECT_EQ(show(store::bestFor(level)), show(best(0, 0, 0))) << level;
    EXPECT_FALSE(store::loadGame().valid);
    EXPECT_FALSE(fileExists(file("save.json")));
    EXPECT_FALSE(fileExists(file("solves.json")));
    EXPECT_EQ(readText(file("settings.json")), settingsText);
}
