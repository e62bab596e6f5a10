// The daily puzzle and its streaks: civil-calendar arithmetic on day numbers.
#include "core/daily.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "core/numbers.h"
#include "core/puzzle_code.h"

namespace puzzle {

namespace {

// Monday to Sunday: Tiny, Small, Medium, Medium, Large, Huge, Giant.
constexpr int kStepOfWeekday[7] = {0, 1, 2, 2, 3, 4, 5};

}  // namespace

long dayNumber(const Date& d) {
    // Days from civil: March-based years, so the leap day ends the year.
    const long y = d.year - (d.month <= 2 ? 1 : 0);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long mp = (d.month + 9) % 12;
    const long doy = (153 * mp + 2) / 5 + d.day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Date dateOfDay(long day) {
    const long z = day + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    Date d;
    d.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    d.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    d.year = static_cast<int>(yoe + era * 400 + (d.month <= 2 ? 1 : 0));
    return d;
}

int weekday(const Date& d) {
    // 1970-01-01 was a Thursday.
    const long w = (dayNumber(d) + 3) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

std::string isoDate(const Date& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::optional<Date> parseIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    int parts[3] = {0, 0, 0};
    const size_t starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p)
        for (size_t i = starts[p]; i < starts[p] + lengths[p]; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            parts[p] = parts[p] * 10 + (text[i] - '0');
        }
    const Date d{parts[0], parts[1], parts[2]};
    // A date that does not exist comes back as another one.
    if (d.month < 1 || d.month > 12 || d.day < 1 || !(dateOfDay(dayNumber(d)) == d))
        return std::nullopt;
    return d;
}

int dailyStep(const Date& d) {
    return kStepOfWeekday[weekday(d)];
}

Id dailyId(const Date& d) {
    // The date alone decides: its day number mixed into a seed every code can carry.
    const uint32_t day = static_cast<uint32_t>(dayNumber(d));
    const uint32_t seed =
        static_cast<uint32_t>(mix(day * 2246822519u + 0x5DA11Eu) * kSeedLimit) % kSeedLimit;
    return idInStep(dailyStep(d), seed);
}

Streaks streaks(const std::vector<DailySolve>& solves, const Date& today) {
    const long now = dayNumber(today);
    std::set<long> onTime;
    Streaks s;
    for (const DailySolve& e : solves) {
        const long day = dayNumber(e.date);
        if (day > now) continue;
        if (day == now) s.todaySolved = true;
        if (dayNumber(e.solvedOn) == day) onTime.insert(day);
    }
    int run = 0;
    long previous = 0;
    for (long day : onTime) {
        run = (run > 0 && day == previous + 1) ? run + 1 : 1;
        previous = day;
        s.best = std::max(s.best, run);
    }
    // The current streak ends today, or yesterday while today's puzzle is still open.
    long day = onTime.count(now) ? now : now - 1;
    while (onTime.count(day)) {
        ++s.current;
        --day;
    }
    return s;
}

}  // namespace puzzle
