// The daily puzzle: one per calendar date, the same on every machine, its size following the
// weekday; and the streaks of days solved on their own day. Pure: the caller supplies "today".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/puzzle.h"

namespace puzzle {

// A calendar date (month 1 to 12).
struct Date {
    int year = 1970, month = 1, day = 1;
};
inline bool operator==(const Date& a, const Date& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// Days since 1970-01-01 (negative before), and back; valid for every proleptic Gregorian date.
long dayNumber(const Date& d);
Date dateOfDay(long day);
// 0 = Monday ... 6 = Sunday.
int weekday(const Date& d);
// "YYYY-MM-DD", and back; nothing for anything else or a date that does not exist.
std::string isoDate(const Date& d);
std::optional<Date> parseIsoDate(std::string_view text);

// The step a weekday's puzzle is taken from: the gentlest on Monday, a large board on Sunday.
int dailyStep(const Date& d);
// The puzzle of a date.
Id dailyId(const Date& d);

// One daily solved: the puzzle's date and the local date it was solved on.
struct DailySolve {
    Date date;
    Date solvedOn;
};
struct Streaks {
    // Consecutive days up to today (or up to yesterday while today is still open) whose puzzle
    // was solved on its own day.
    int current = 0;
    int best = 0;
    bool todaySolved = false;  // today's puzzle solved at all (late does not apply to today)
};
// A day counts for a streak only when solved on its own day; one solved late is solved but mends
// no streak. Entries dated after today (a clock set back) are left out.
Streaks streaks(const std::vector<DailySolve>& solves, const Date& today);

}  // namespace puzzle
