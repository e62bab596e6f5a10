// Layouts of the screens where the generated puzzles live (daily, endless, enter a code),
// shared with their tests.
#pragma once

#include <string>
#include <vector>

#include "core/daily.h"
#include "core/storage.h"
#include "ui/app.h"

namespace screens {

// How many past days the daily screen offers, today included.
constexpr int kDailyDays = 30;

// A day of the daily screen: open, solved on its own day, or solved on a later one.
enum class DayState { Open, OnTime, Late };
struct DailyView {
    puzzle::Streaks streaks;
    std::vector<puzzle::Date> dates;  // the last kDailyDays days, oldest first, today last
    std::vector<DayState> states;     // one per date
};
// The daily results of the stored ones, as the streak arithmetic takes them.
std::vector<puzzle::DailySolve> dailySolves(const std::vector<store::PuzzleResult>& results);
// "Streak: 3 days   Best: 5 days" in the active language.
std::string streakLine(const puzzle::Streaks& s);
// What the daily screen shows, from the stored results (any order) and today's date.
DailyView dailyView(const std::vector<store::PuzzleResult>& results, const puzzle::Date& today);

struct DailyLayout {
    ui::Rect panel, play;
    std::vector<ui::Rect> days;  // oldest first; today last; mirrored right to left
};
DailyLayout dailyLayout(double w, double h);

struct EndlessLayout {
    std::vector<ui::Rect> steps;  // one chip per named step, in reading order
    ui::Rect newPuzzle, progress, results;
};
EndlessLayout endlessLayout(double w, double h);

struct CodeLayout {
    ui::Rect field, message;
    std::vector<ui::Rect> keys;  // one per character of the code's alphabet, in its order
    ui::Rect erase, open;
};
CodeLayout codeLayout(double w, double h);

// The content's scale in a window of w x h: 1 up to 800 x 480, growing with the window to 2.
double puzzleScreenScale(double w, double h);

}  // namespace screens
