// The calendar's rules the clock and the date dialog share: month lengths of the two-digit years
// the program's clock keeps, and the United States' daylight saving time by the rule of its year.
#pragma once

namespace core {

// Days of a month (1..12) of a two-digit year; February has 29 when the year divides by 4.
[[nodiscard]] inline int MonthLength(int month, int twoDigitYear) {
    switch (month) {
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            return twoDigitYear % 4 == 0 ? 29 : 28;
        default:
            return 31;
    }
}

// 0 Sunday .. 6 Saturday, of a date of the Gregorian calendar.
[[nodiscard]] inline int Weekday(int year, int month, int day) {
    static constexpr int kMonthOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) --year;
    return (year + year / 4 - year / 100 + year / 400 + kMonthOffset[month - 1] + day) % 7;
}

// The day of the month of the n-th Sunday (n from 1), or of the last when n is 0.
[[nodiscard]] inline int Sunday(int year, int month, int n) {
    if (n == 0) {
        const int last = MonthLength(month, year % 100);
        return last - Weekday(year, month, last);
    }
    return 1 + (7 - Weekday(year, month, 1)) % 7 + 7 * (n - 1);
}

// Whether the United States keep daylight saving time on that day (month 1..12, a two-digit
// year: 70..99 the 1900s, 0..35 the 2000s), by the rule of its year: until 1986 from the last
// Sunday of April, from 1987 the first; from 2007 the second Sunday of March to the first of
// November, before then to the last Sunday of October. The day of the change counts as changed.
[[nodiscard]] inline bool UsDaylightTimeInForce(int twoDigitYear, int month, int day) {
    const int year = twoDigitYear < 70 ? 2000 + twoDigitYear : 1900 + twoDigitYear;
    int start = 400 + Sunday(year, 4, 0), end = 1000 + Sunday(year, 10, 0);
    if (year >= 2007) {
        start = 300 + Sunday(year, 3, 2);
        end = 1100 + Sunday(year, 11, 1);
    } else if (year >= 1987) {
        start = 400 + Sunday(year, 4, 1);
    }
    const int date = month * 100 + day;
    return date >= start && date < end;
}

}  // namespace core
