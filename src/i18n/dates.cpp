// Dates in the reader's own form: a pattern and the month names from each catalogue.
#include "i18n/dates.h"

#include <cstdio>

#include "i18n/i18n.h"

namespace i18n {

namespace {

bool isAsciiLetter(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

std::string number(int value, int minDigits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", minDigits, value);
    return buf;
}

// The value of a run of one pattern letter; false for letters that are no field.
bool field(char letter, int run, const DateTime& when, const std::vector<std::string>& months,
           std::string* out) {
    switch (letter) {
        case 'y':
            *out = number(when.year, 4);
            return true;
        case 'M':
            if (run >= 3) {
                const size_t i = static_cast<size_t>(when.month - 1);
                *out = i < months.size() ? months[i] : number(when.month, 2);
            } else {
                *out = number(when.month, run);
            }
            return true;
        case 'd':
            *out = number(when.day, run);
            return true;
        case 'H':
            *out = number(when.hour, run);
            return true;
        case 'm':
            *out = number(when.minute, 2);
            return true;
        default:
            return false;
    }
}

}  // namespace

std::vector<std::string> splitMonths(std::string_view list) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t bar = list.find('|', start);
        out.emplace_back(list.substr(start, bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    return out;
}

std::string formatDateTime(std::string_view pattern, std::string_view monthList,
                           const DateTime& when) {
    const std::vector<std::string> months = splitMonths(monthList);
    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        const char ch = pattern[i];
        if (ch == '\'') {
            // Quoted text is literal; two quotes in a row stand for one.
            const size_t close = pattern.find('\'', i + 1);
            if (close == i + 1) {
                out += '\'';
            } else {
                out.append(pattern.substr(i + 1, close - i - 1));
            }
            i = close == std::string_view::npos ? pattern.size() : close + 1;
            continue;
        }
        if (!isAsciiLetter(ch)) {
            out += ch;
            ++i;
            continue;
        }
        size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == ch)
            ++run;
        std::string value;
        if (field(ch, static_cast<int>(run), when, months, &value))
            out += value;
        else
            out.append(pattern.substr(i, run));
        i += run;
    }
    return out;
}

std::string formatDateTime(const DateTime& when) {
    return formatDateTime(tr("date.pattern"), tr("date.monthsShort"), when);
}

}  // namespace i18n
