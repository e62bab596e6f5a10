// The screens of the generated puzzles through the real game loop: the daily days and streaks,
// endless "New puzzle", and the code field with its character grid.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/daily.h"
#include "core/puzzle_code.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "screen_driver.h"
#include "screens/puzzle_flow.h"
#include "screens/puzzle_screens.h"
#include "test_support.h"
#include "theme/theme.h"

using ui::ScreenKind;
using namespace testsupport;

namespace {

class PuzzleScreens : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
    }
    void TearDown() override { i18n::setLanguage("en"); }
};

puzzle::Date daysBefore(const puzzle::Date& d, long n) {
    return puzzle::dateOfDay(puzzle::dayNumber(d) - n);
}

store::PuzzleResult dailyResult(const puzzle::Date& date, const puzzle::Date& solvedOn) {
    store::PuzzleResult r;
    r.code = puzzle::encode(puzzle::dailyId(date));
    r.date = puzzle::isoDate(date);
    r.solvedOn = puzzle::isoDate(solvedOn);
    r.moves = r.optimum = 10;
    r.stars = 3;
    return r;
}

// Shows kind over the menu, after whatever screen came before has let go of the stack.
void show(ScreenDriver& loop, ScreenKind kind) {
    ui::GameState menu;
    menu.kind = ScreenKind::Menu;
    loop.open(menu);
    loop.open(kind);
}

// A frame that types text, as the keyboard layout delivers it.
void type(ScreenDriver& loop, const std::string& text) {
    loop.frame([&](ui::Input& in) { in.text = text; });
}

}  // namespace

// Yesterday and the two days before on their own day make a streak of three while today is
// open; five days in a row long ago are the best; a day solved late counts as solved but mends
// no streak, and a late solve never hides one on the day itself.
TEST_F(PuzzleScreens, TheDailyDaysAndStreaksFollowTheStoredResults) {
    const puzzle::Date today = store::localDate(store::nowMs());
    for (long n : {1, 2, 3, 10, 11, 12, 13, 14})
        store::recordPuzzleResult(dailyResult(daysBefore(today, n), daysBefore(today, n)));
    store::recordPuzzleResult(dailyResult(daysBefore(today, 4), daysBefore(today, 1)));
    store::recordPuzzleResult(dailyResult(daysBefore(today, 2), today));  // played again later
    store::recordPuzzleResult(dailyResult(daysBefore(today, 40), daysBefore(today, 40)));

    std::vector<store::PuzzleResult> results = store::listPuzzleResults();
    const screens::DailyView v = screens::dailyView(results, today);
    std::reverse(results.begin(), results.end());
    EXPECT_EQ(screens::dailyView(results, today).states, v.states);  // in any order
    EXPECT_EQ(v.streaks.current, 3);
    EXPECT_EQ(v.streaks.best, 5);
    EXPECT_FALSE(v.streaks.todaySolved);
    ASSERT_EQ(v.dates.size(), static_cast<size_t>(screens::kDailyDays));
    EXPECT_EQ(v.dates.back(), today);
    EXPECT_EQ(v.dates.front(), daysBefore(today, screens::kDailyDays - 1));
    using screens::DayState;
    auto stateOf = [&](long n) { return v.states[v.states.size() - 1 - n]; };
    EXPECT_EQ(stateOf(0), DayState::Open);
    EXPECT_EQ(stateOf(1), DayState::OnTime);
    EXPECT_EQ(stateOf(2), DayState::OnTime);
    EXPECT_EQ(stateOf(4), DayState::Late);
    EXPECT_EQ(stateOf(5), DayState::Open);
    EXPECT_EQ(stateOf(14), DayState::OnTime);

    // Today solved on time lengthens the streak.
    store::recordPuzzleResult(dailyResult(today, today));
    const screens::DailyView now = screens::dailyView(store::listPuzzleResults(), today);
    EXPECT_EQ(now.streaks.current, 4);
    EXPECT_TRUE(now.streaks.todaySolved);
}

// Play opens today's puzzle at first, and the day chosen in the row once one is clicked or
// chosen by keys; the record carries that day's code and date, right to left as well.
TEST_F(PuzzleScreens, TheDailyScreenPlaysTheChosenDay) {
    const puzzle::Date today = store::localDate(store::nowMs());
    for (const char* lang : {"en", "ar"}) {
        i18n::setLanguage(lang);
        for (auto [w, h] : {std::pair{800, 480}, std::pair{1920, 1080}}) {
            ScreenDriver loop(w, h);
            const screens::DailyLayout L = screens::dailyLayout(w, h);
            ASSERT_EQ(L.days.size(), static_cast<size_t>(screens::kDailyDays));
            EXPECT_LE(L.days.back().bottom() + 40, h - 24);
            // Oldest first in reading order.
            EXPECT_EQ(L.days[0].x < L.days[1].x, std::string(lang) == "en");

            auto expectPlays = [&](const puzzle::Date& d) {
                EXPECT_EQ(topKind(), ScreenKind::Playing) << lang << w;
                EXPECT_EQ(topRecord().code, puzzle::encode(puzzle::dailyId(d)));
                EXPECT_EQ(topRecord().date, puzzle::isoDate(d));
                EXPECT_EQ(topRecord().level, 0);
            };
            show(loop, ScreenKind::Daily);
            loop.click(L.play);
            expectPlays(today);

            show(loop, ScreenKind::Daily);
            loop.click(L.days[7]);
            EXPECT_EQ(topKind(), ScreenKind::Daily);
            loop.click(L.play);
            expectPlays(daysBefore(today, screens::kDailyDays - 1 - 7));
        }
    }
}

// "New puzzle" opens the next puzzle of the chosen step at once, the one made ahead, and
// draws another for the time after; the step chosen is kept when the screen opens again.
TEST_F(PuzzleScreens, NewPuzzleOpensTheNextOneOfTheChosenStep) {
    ScreenDriver loop(800, 480);
    const screens::EndlessLayout L = screens::endlessLayout(800, 480);
    ASSERT_EQ(L.steps.size(), puzzle::steps().size());
    show(loop, ScreenKind::Endless);
    loop.click(L.steps[2]);
    const puzzle::Id next = screens::nextEndlessId(2);
    loop.click(L.newPuzzle);
    EXPECT_EQ(topKind(), ScreenKind::Playing);
    EXPECT_EQ(topRecord().code, puzzle::encode(next));
    EXPECT_TRUE(topRecord().date.empty());
    EXPECT_EQ(puzzle::stepOfSize(next.size), 2);

    show(loop, ScreenKind::Endless);
    const puzzle::Id after = screens::nextEndlessId(2);
    EXPECT_FALSE(after == next);
    loop.click(L.newPuzzle);  // the third step is still the chosen one
    EXPECT_EQ(topRecord().code, puzzle::encode(after));
}

// The field takes typing, pastes in any case with spaces and dashes, the character grid and
// Backspace; a code that is not valid is told in the field and opens nothing, however it was
// made; a valid one opens its puzzle, by Enter or by Open.
TEST_F(PuzzleScreens, TheCodeFieldOpensOnlyAValidCode) {
    const std::string code = puzzle::encode(puzzle::idInStep(1, 4242));
    std::string loose = code;  // "3db pUw-cj6"-like: lower case, a space for a dash
    for (char& ch : loose)
        ch = ch == '-' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    const screens::CodeLayout L = screens::codeLayout(800, 480);
    ASSERT_EQ(L.keys.size(), puzzle::kCodeAlphabet.size());
    ScreenDriver loop(800, 480);
    harness::Image blank;
    auto expectRejected = [&](const char* what) {
        EXPECT_EQ(topKind(), ScreenKind::EnterCode) << what;
        EXPECT_EQ(ui::Game::instance()->depth(), 2) << what;
    };

    // Typed one piece at a time, then Enter.
    show(loop, ScreenKind::EnterCode);
    blank = loop.snapshot();
    type(loop, loose.substr(0, 4));
    type(loop, loose.substr(4));
    loop.key(SDLK_RETURN);
    EXPECT_EQ(topKind(), ScreenKind::Playing);
    EXPECT_EQ(topRecord().code, code);

    // One wrong character (the check catches it): the message shows and nothing opens, until
    // Backspace and the right character from the grid put it right.
    show(loop, ScreenKind::EnterCode);
    std::string typo = code.substr(0, code.size() - 1);
    const char last = code.back();
    const char wrong = puzzle::kCodeAlphabet[(puzzle::kCodeAlphabet.find(last) + 1) %
                                             puzzle::kCodeAlphabet.size()];
    type(loop, typo + wrong);
    loop.click(L.open);
    expectRejected("typo");
    const harness::Image told = loop.snapshot();
    EXPECT_GT(countNear(told, L.message, theme::kAccentMuted, 40),
              countNear(blank, L.message, theme::kAccentMuted, 40) + 50);
    loop.key(SDLK_BACKSPACE);
    loop.click(L.keys[puzzle::kCodeAlphabet.find(last)]);
    loop.click(L.open);
    EXPECT_EQ(topRecord().code, code);

    // A paste by Ctrl+V, with a long tail and anything else around it.
    show(loop, ScreenKind::EnterCode);
    ASSERT_EQ(SDL_SetClipboardText(("  " + loose + "\t\n").c_str()), 0);
    loop.frame([](ui::Input& in) {
        in.ctrl = true;
        in.keys.push_back(SDLK_v);
    });
    loop.key(SDLK_RETURN);
    EXPECT_EQ(topRecord().code, code);

    // Too short, nothing at all, control characters, broken UTF-8 and a huge paste: told, and
    // nothing opens; Delete on an empty field does nothing either.
    for (const std::string& bad :
         {code.substr(0, 5), std::string(), std::string("\x01\x7f\x1b\r", 4),
          std::string("\xff\xfe\xc3(\xe2\x82"), std::string(100000, 'Z') + code}) {
        show(loop, ScreenKind::EnterCode);
        type(loop, bad);
        for (int i = 0; i < 12 && bad.empty(); ++i)
            loop.click(L.erase);
        loop.key(SDLK_KP_ENTER);
        expectRejected(bad.substr(0, 8).c_str());
    }
}

// Writes the pictures worth looking at when VANTREL_SHOTS names a directory.
TEST_F(PuzzleScreens, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    const puzzle::Date today = store::localDate(store::nowMs());
    for (long n : {1, 2, 3, 5, 6})
        store::recordPuzzleResult(dailyResult(daysBefore(today, n), daysBefore(today, n)));
    store::recordPuzzleResult(dailyResult(daysBefore(today, 9), daysBefore(today, 8)));
    for (uint32_t seed = 1; seed <= 7; ++seed) {
        store::PuzzleResult r;
        r.code = puzzle::encode(puzzle::idInStep(static_cast<int>(seed % 3), seed));
        r.moves = 12;
        r.optimum = seed % 2 ? 12 : 10;
        r.stars = seed % 2 ? 3 : 2;
        store::recordPuzzleResult(r);
    }
    for (const char* lang : {"en", "de", "ar"}) {
        i18n::setLanguage(lang);
        for (auto [w, h] : {std::pair{800, 480}, std::pair{1280, 720}, std::pair{3840, 2160}}) {
            if (w > 1280 && std::string(lang) != "en") continue;
            const std::string tail = std::string("_") + lang + "_" + std::to_string(w) + "x" +
                                     std::to_string(h) + ".png";
            ScreenDriver loop(w, h);
            show(loop, ScreenKind::Daily);
            loop.snapshot().writePng(std::string(dir) + "/daily" + tail);
            show(loop, ScreenKind::Endless);
            loop.snapshot().writePng(std::string(dir) + "/endless" + tail);
            // The biggest step, made while the picture is taken: the indicator shows.
            loop.click(screens::endlessLayout(w, h).steps.back());
            loop.snapshot().writePng(std::string(dir) + "/endless_making" + tail);
            show(loop, ScreenKind::EnterCode);
            type(loop, "3db-puw-cj7");
            loop.key(SDLK_RETURN);
            loop.snapshot().writePng(std::string(dir) + "/code_bad" + tail);
        }
    }
}
