// Dates in the reader's own form: each catalogue gives a pattern ("d MMM y, HH:mm") and the
// short month names, so an English reader never takes 11.12. for the 12th of November.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace i18n {

// A local date and time as the calendar shows it (month 1 to 12).
struct DateTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0;
};

// Fills the pattern: y the year, d / dd the day, M / MM the month's number, MMM its name from
// the "|"-separated list, H / HH the hour (24 h), mm the minute. Text in single quotes and
// every other character stand as they are.
std::string formatDateTime(std::string_view pattern, std::string_view monthList,
                           const DateTime& when);
// The same with the active catalogue's "date.pattern" and "date.monthsShort".
std::string formatDateTime(const DateTime& when);
// The entries of a "|"-separated list, empty ones included.
std::vector<std::string> splitMonths(std::string_view list);

}  // namespace i18n
