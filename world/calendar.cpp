#include "world/calendar.h"

#include <cmath>

namespace world {

JulianDay::JulianDay(int month, int day, int year) {
    std::int64_t m = month, y = year;
    if (m < 3) {
        y -= 1;
        m += 12;
    }
    const std::int64_t a = y / 100;
    const double v = std::trunc(365.25 * static_cast<double>(y + 4716)) +
                     std::trunc(30.6001 * static_cast<double>(m + 1)) + day + 2 - a + a / 4 -
                     1524.5;
    value = static_cast<std::int32_t>(std::trunc(v));
}

void JulianDay::ToDate(int* month, int* day, int* year) const {
    // The stored value is the day's midnight: adding one plays the part of the usual half day.
    const double z = static_cast<double>(value) + 1.0;
    // A true division: the reciprocal rounded to single precision puts the Gregorian leap-day
    // correction a day late where the quotient is a whole number (1 March 1900 read back as
    // 29 February).
    const double alpha = std::trunc((z - 1867216.25) / 36524.25);
    const double a = std::trunc(z + 1.0 + alpha - std::trunc(alpha / 4.0));
    const double b = a + 1524.0;
    const double k = std::trunc((b - 122.1) / 365.25);
    const double dd = std::trunc(365.25 * k);
    const double e = std::trunc((b - dd) / 30.6001);
    const int d = static_cast<int>(b - dd - std::trunc(30.6001 * e));
    int m = static_cast<int>(e) - 1;
    if (m > 12) m = static_cast<int>(e) - 13;
    const int y = static_cast<int>(m >= 3 ? k - 4716.0 : k - 4715.0);
    if (month != nullptr) *month = m;
    if (day != nullptr) *day = d;
    if (year != nullptr) *year = y;
}

std::int32_t TimeOfDayMs::Fold(std::int64_t total) {
    std::int64_t days = total / kMillisecondsPerDay;
    std::int64_t rest = total % kMillisecondsPerDay;
    if (rest < 0) {
        rest += kMillisecondsPerDay;
        days -= 1;
    }
    value = static_cast<std::uint32_t>(rest);
    return static_cast<std::int32_t>(days);
}

std::int32_t TimeOfDayMs::Set(std::int32_t hour, std::int32_t minute, std::int32_t second,
                              std::int32_t millisecond) {
    return Fold(std::int64_t{millisecond} + std::int64_t{second} * 1000 +
                std::int64_t{minute} * 60000 + std::int64_t{hour} * 3600000);
}

void TimeOfDayMs::Get(std::int32_t* hour, std::int32_t* minute, std::int32_t* second,
                      std::int32_t* millisecond) const {
    const auto v = static_cast<std::int32_t>(value);
    if (hour != nullptr) *hour = v / 3600000;
    if (minute != nullptr) *minute = v / 60000 % 60;
    if (second != nullptr) *second = v / 1000 % 60;
    if (millisecond != nullptr) *millisecond = v % 1000;
}

std::int32_t TimeOfDayMs::Add(std::int64_t milliseconds) {
    return Fold(static_cast<std::int64_t>(value) + milliseconds);
}

}  // namespace world
