// Generated puzzles: codes, the pinned puzzles of generator version 1, the daily puzzle's dates
// and streaks, and "puzzles.json".
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "core/daily.h"
#include "core/json.h"
#include "core/puzzle.h"
#include "core/puzzle_code.h"
#include "core/rng.h"
#include "core/storage.h"
#include "test_support.h"

using namespace testsupport;

namespace {

puzzle::Date day(int y, int m, int d) {
    return {y, m, d};
}

}  // namespace

TEST(PuzzleCodes, RoundTripAndRejectEverySingleTypoAndNeighbourSwap) {
    Rng rng(2026);
    const std::string alphabet(puzzle::kCodeAlphabet);
    for (int k = 0; k < 1000; ++k) {
        puzzle::Id id;
        id.size = rng.intN(puzzle::kSizeCount);
        id.seed = static_cast<uint32_t>(rng.next() * puzzle::kSeedLimit);
        const std::string code = puzzle::encode(id);
        ASSERT_EQ(code.size(), 11u);
        ASSERT_TRUE(puzzle::decode(code) == id) << code;
        std::string plain, lower;
        for (char ch : code)
            if (ch != '-') plain += ch;
        for (char ch : code)
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        EXPECT_TRUE(puzzle::decode(plain) == id);
        EXPECT_TRUE(puzzle::decode(" " + lower + " ") == id);
        for (size_t i = 0; i < plain.size(); ++i) {
            for (char other : alphabet) {
                if (other == plain[i]) continue;
                std::string typo = plain;
                typo[i] = other;
                EXPECT_FALSE(puzzle::decode(typo)) << plain << " -> " << typo;
            }
            if (i + 1 < plain.size() && plain[i] != plain[i + 1]) {
                std::string swapped = plain;
                std::swap(swapped[i], swapped[i + 1]);
                EXPECT_FALSE(puzzle::decode(swapped)) << plain << " -> " << swapped;
            }
        }
    }
    // Look-alikes, wrong lengths and stray characters never name a puzzle.
    for (const char* bad : {"", "3", "322-222-29", "322-222-2966", "O22-222-296", "322-I22-296",
                            "3L2-222-296", "322+222-296", "322\n222-296",
                            "\xC3\xA4"
                            "22-222-296"})
        EXPECT_FALSE(puzzle::decode(bad)) << bad;
    EXPECT_EQ(puzzle::normalizeTyping("3d b-pu w\tcj6xyz!"), "3DBPUWCJ6");
}

TEST(GeneratedPuzzles, VersionOneKeepsItsPinnedPuzzlesEachProvenAndShapedLikeItsTier) {
    struct Pinned {
        const char* code;
        int optimum;
        std::vector<std::vector<int>> tubes;
    };
    // Generator version 1 must make exactly these for ever: codes are shared between players.
    const std::vector<Pinned> pinned = {
        {"322-222-296", 3, {{0, 1}, {1, 0}, {}}},
        {"332-22E-V9C", 4, {{0, 1, 1}, {0, 0, 1}, {}}},
        {"352-223-39V", 8, {{1, 0, 2}, {1, 1, 0}, {2, 0, 2}, {}}},
        {"372-226-EV7", 11, {{0, 1, 0, 2}, {1, 2, 1, 1}, {2, 2, 0, 0}, {}}},
        {"392-222-323", 10, {{0, 3, 1}, {1, 2, 2}, {0, 3, 1}, {2, 3, 0}, {}, {}}},
        {"3B2-24M-XYF",
         18,
         {{4, 3, 1, 4}, {2, 1, 3, 0}, {0, 3, 4, 2}, {0, 2, 2, 1}, {0, 3, 4, 1}, {}, {}}},
        {"3D2-266-GGG",
         35,
         {{4, 1, 4, 4, 0},
          {5, 6, 5, 6, 0},
          {2, 6, 2, 0, 5},
          {0, 2, 4, 5, 4},
          {1, 3, 0, 1, 6},
          {6, 3, 2, 1, 5},
          {3, 3, 2, 1, 3},
          {},
          {}}},
        {"3G2-224-5D6",
         57,
         {{7, 8, 2, 1, 2},
          {2, 6, 8, 5, 7},
          {0, 3, 9, 1, 4},
          {8, 4, 5, 2, 9},
          {3, 6, 4, 3, 8},
          {6, 4, 5, 0, 0},
          {9, 7, 8, 0, 7},
          {9, 6, 9, 0, 4},
          {3, 1, 2, 1, 7},
          {3, 1, 5, 6, 5},
          {},
          {}}},
        {"3K2-227-T8K",
         75,
         {{12, 1, 4, 3, 1},
          {1, 10, 12, 7, 8},
          {10, 2, 11, 5, 10},
          {11, 9, 4, 12, 8},
          {10, 9, 2, 8, 3},
          {0, 4, 5, 3, 7},
          {9, 6, 12, 6, 2},
          {7, 0, 9, 4, 0},
          {5, 5, 9, 5, 12},
          {6, 1, 2, 4, 3},
          {1, 3, 11, 8, 0},
          {2, 11, 6, 10, 6},
          {0, 7, 11, 7, 8},
          {},
          {}}},
        {"3NZ-ZZZ-ZZP",
         96,
         {{7, 0, 2, 8, 1},
          {8, 2, 6, 14, 12},
          {4, 3, 10, 12, 5},
          {14, 1, 8, 2, 8},
          {13, 5, 6, 7, 6},
          {8, 13, 1, 3, 12},
          {14, 0, 14, 7, 1},
          {5, 11, 4, 13, 9},
          {14, 4, 1, 12, 13},
          {2, 4, 11, 7, 3},
          {3, 9, 11, 5, 0},
          {0, 12, 10, 6, 10},
          {6, 9, 11, 0, 11},
          {10, 5, 4, 7, 10},
          {9, 3, 9, 2, 13},
          {},
          {}}},
    };
    for (const Pinned& p : pinned) {
        SCOPED_TRACE(p.code);
        const std::optional<puzzle::Id> id = puzzle::decode(p.code);
        ASSERT_TRUE(id);
        const puzzle::Puzzle made = puzzle::generate(*id);
        EXPECT_EQ(made.optimum, p.optimum);
        EXPECT_EQ(made.start.tubes, p.tubes);
        // The tier's shape: the first tubes full, the rest empty, unsolved, optimum in range.
        const puzzle::Shape& shape = puzzle::shapeOf(id->size);
        ASSERT_EQ(made.start.tubeCount(), shape.tubes);
        EXPECT_EQ(made.start.capacity, shape.capacity);
        for (int t = 0; t < shape.tubes; ++t)
            EXPECT_EQ(made.start.tubes[t].size(), t < shape.colors ? shape.capacity : 0u);
        EXPECT_FALSE(mar::isSolved(made.start));
        EXPECT_GE(made.optimum, shape.minOptimum);
        EXPECT_LE(made.optimum, shape.maxOptimum);
        // Its solution is a solution of exactly the optimum's length.
        mar::GameState s = made.start;
        ASSERT_EQ(static_cast<int>(made.solution.size()), made.optimum);
        for (const mar::Move& m : made.solution) {
            ASSERT_TRUE(mar::canMoveOne(s, m.from, m.to));
            s = mar::applyMoveOne(s, m);
        }
        EXPECT_TRUE(mar::isSolved(s));
    }
    // Another version, or a size beyond the twenty, is not made by this build.
    EXPECT_FALSE(puzzle::supported({2, 3, 5}));
    EXPECT_FALSE(puzzle::supported({1, 20, 5}));
    EXPECT_EQ(puzzle::generate({2, 3, 5}).optimum, 0);
    // Every step offers sizes of its own, from the smallest boards to the 17-tube ones.
    ASSERT_GE(puzzle::steps().size(), 5u);
    EXPECT_EQ(puzzle::shapeOf(puzzle::steps().back().lastSize).tubes, 17);
    for (int step = 0; step < static_cast<int>(puzzle::steps().size()); ++step)
        for (uint32_t seed : {0u, 1u, 99u, 123456u})
            EXPECT_EQ(puzzle::stepOfSize(puzzle::idInStep(step, seed).size), step);
}

TEST(GeneratedPuzzles, TheSameCodeGivesTheSamePuzzleInAnotherProcess) {
    const std::string code = "3D2-266-GGG";
    const ProcessResult a = runProcess({VANTREL_BINARY, "--print-puzzle", code});
    const ProcessResult b = runProcess({VANTREL_BINARY, "--print-puzzle", "3d2266ggg"});
    ASSERT_EQ(a.exitCode, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    const json::Value doc = json::parse(a.out);
    const puzzle::Puzzle here = puzzle::generate(*puzzle::decode(code));
    EXPECT_EQ(doc["code"].asString(), code);
    EXPECT_EQ(doc["optimum"].asInt(0), here.optimum);
    EXPECT_EQ(doc["capacity"].asInt(0), here.start.capacity);
    EXPECT_EQ(doc["tubes"].size(), here.start.tubes.size());
    ASSERT_EQ(doc["solution"].size(), here.solution.size());
    EXPECT_EQ(doc["solution"].asArray()[0]["from"].asInt(-1), here.solution[0].from);
    EXPECT_FALSE(doc.has("date"));

    const ProcessResult daily = runProcess({VANTREL_BINARY, "--print-puzzle", "daily:2026-02-28"});
    EXPECT_EQ(json::parse(daily.out)["date"].asString(), "2026-02-28");
    EXPECT_EQ(json::parse(daily.out)["code"].asString(),
              puzzle::encode(puzzle::dailyId(day(2026, 2, 28))));
    for (const char* bad : {"3D2-266-GGH", "daily:2026-02-29", "nonsense"}) {
        const ProcessResult r = runProcess({VANTREL_BINARY, "--print-puzzle", bad});
        EXPECT_EQ(r.exitCode, 2) << bad;
        EXPECT_EQ(r.out, "") << bad;
        EXPECT_EQ(r.err, std::string("[puzzle] kein gültiger Rätselcode: ") + bad + "\n");
    }
}

TEST(DailyPuzzle, DatesWeekdaysAndStreaksAcrossMonthEndsLeapDaysAndAChangedClock) {
    for (long n = -800000; n <= 800000; n += 997)
        ASSERT_EQ(puzzle::dayNumber(puzzle::dateOfDay(n)), n);
    EXPECT_EQ(puzzle::dayNumber(day(1970, 1, 1)), 0);
    EXPECT_EQ(puzzle::weekday(day(2026, 12, 11)), 4);  // a Friday
    EXPECT_EQ(puzzle::weekday(day(2000, 2, 29)), 1);
    EXPECT_TRUE(puzzle::parseIsoDate("2028-02-29"));
    for (const char* bad : {"2026-02-29", "2026-13-01", "2026-1-01", "26-01-01", "2026-01-0x", ""})
        EXPECT_FALSE(puzzle::parseIsoDate(bad)) << bad;
    EXPECT_EQ(puzzle::isoDate(day(987, 3, 4)), "0987-03-04");

    // One puzzle per date, the gentlest on Monday and the largest on Sunday.
    EXPECT_TRUE(puzzle::dailyId(day(2026, 12, 14)) == puzzle::dailyId(day(2026, 12, 14)));
    EXPECT_FALSE(puzzle::dailyId(day(2026, 12, 14)) == puzzle::dailyId(day(2026, 12, 21)));
    EXPECT_EQ(puzzle::dailyStep(day(2026, 12, 14)), 0);
    EXPECT_EQ(puzzle::dailyStep(day(2026, 12, 20)), static_cast<int>(puzzle::steps().size()) - 1);

    auto onDay = [](puzzle::Date d) { return puzzle::DailySolve{d, d}; };
    // Across a month's end and a leap day, solved each on its own day.
    std::vector<puzzle::DailySolve> solves = {onDay(day(2028, 2, 27)), onDay(day(2028, 2, 28)),
                                              onDay(day(2028, 2, 29)), onDay(day(2028, 3, 1))};
    puzzle::Streaks s = puzzle::streaks(solves, day(2028, 3, 1));
    EXPECT_EQ(s.current, 4);
    EXPECT_EQ(s.best, 4);
    EXPECT_TRUE(s.todaySolved);
    // The next day still open: the streak stands until it ends; a day later it is broken.
    EXPECT_EQ(puzzle::streaks(solves, day(2028, 3, 2)).current, 4);
    EXPECT_FALSE(puzzle::streaks(solves, day(2028, 3, 2)).todaySolved);
    EXPECT_EQ(puzzle::streaks(solves, day(2028, 3, 3)).current, 0);
    EXPECT_EQ(puzzle::streaks(solves, day(2028, 3, 3)).best, 4);
    // A day solved late is solved, but mends nothing; a year's end runs on.
    solves = {onDay(day(2026, 12, 30)),
              {day(2026, 12, 31), day(2027, 1, 1)},
              onDay(day(2027, 1, 1)),
              onDay(day(2027, 1, 2))};
    s = puzzle::streaks(solves, day(2027, 1, 2));
    EXPECT_EQ(s.current, 2);
    EXPECT_EQ(s.best, 2);
    solves.push_back(onDay(day(2026, 12, 31)));
    EXPECT_EQ(puzzle::streaks(solves, day(2027, 1, 2)).current, 4);
    // A clock set back: what is dated after "today" counts for nothing.
    s = puzzle::streaks(solves, day(2026, 12, 30));
    EXPECT_EQ(s.current, 1);
    EXPECT_EQ(s.best, 1);
    EXPECT_EQ(puzzle::streaks({}, day(2026, 12, 30)).current, 0);
}

TEST(PuzzleResults, RoundTripNewestFirstWithinTheBoundAndHostileEntriesTamed) {
    wipeDataDir();
    store::ensureDataDirs();
    EXPECT_TRUE(store::listPuzzleResults().empty());
    store::PuzzleResult r;
    r.code = "3D2-266-GGG";
    r.moves = 35;
    r.optimum = 35;
    r.stars = 3;
    r.elapsedMs = 61000;
    r.solvedAt = 1765455000000;
    store::recordPuzzleResult(r);
    store::PuzzleResult daily = r;
    daily.code = puzzle::encode(puzzle::dailyId(day(2026, 12, 11)));
    daily.date = "2026-12-11";
    daily.solvedOn = "2026-12-11";
    daily.hints = 1;
    daily.stars = 2;
    store::recordPuzzleResult(daily);
    std::vector<store::PuzzleResult> list = store::listPuzzleResults();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].code, daily.code);
    EXPECT_EQ(list[0].date, "2026-12-11");
    EXPECT_EQ(list[0].hints, 1);
    EXPECT_EQ(list[1].code, r.code);
    EXPECT_EQ(list[1].elapsedMs, 61000);
    EXPECT_EQ(list[1].solvedAt, 1765455000000);
    const json::Value doc = json::parse(readText(dataDir() + "/puzzles.json"));
    EXPECT_EQ(doc["results"].asArray()[1]["code"].asString(), r.code);
    EXPECT_FALSE(doc["results"].asArray()[1].has("date"));

    // Hostile entries: no code or a wrong one, no moves, fewer moves than the optimum, stars
    // beyond what the moves and hints earn, a date that is no date.
    ASSERT_TRUE(writeText(
        dataDir() + "/puzzles.json",
        R"({"results":[{"code":"3D2-266-GGH","moves":35,"optimum":35,"stars":3},)"
        R"({"moves":35,"optimum":35,"stars":3},{"code":"3d2266ggg","moves":0,"optimum":35},)"
        R"({"code":"3D2-266-GGG","moves":20,"optimum":35,"stars":3},)"
        R"({"code":"3d2 266 ggg","moves":40,"optimum":35,"stars":9,"hints":2,)"
        R"("date":"2026-02-30","elapsedMs":-5},"junk",7,null]})"));
    list = store::listPuzzleResults();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].code, "3D2-266-GGG");
    EXPECT_EQ(list[0].stars, 2);
    EXPECT_EQ(list[0].date, "");
    EXPECT_EQ(list[0].elapsedMs, 0);

    // The file keeps the newest results up to its bound.
    for (int k = 0; k < store::kMaxPuzzleResults + 5; ++k)
        store::recordPuzzleResult(r);
    EXPECT_EQ(store::listPuzzleResults().size(), static_cast<size_t>(store::kMaxPuzzleResults));
    // Resetting the progress forgets them too.
    store::resetProgress();
    EXPECT_TRUE(store::listPuzzleResults().empty());
}
