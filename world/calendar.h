// The simulated date and time as the sky reads them: a calendar date as a whole day number and
// back, and a time of day in milliseconds that carries whole days.
#pragma once

#include <cstdint>

namespace world {

// The Julian Day Number of the date's preceding midnight (the Julian Date at 0 h, truncated):
// 1 January 2000 is 2451544. Gregorian dates.
class JulianDay {
public:
    JulianDay() = default;
    // Month 1..12, day of the month, year.
    JulianDay(int month, int day, int year);
    explicit JulianDay(std::int32_t dayNumber) : value(dayNumber) {}

    void ToDate(int* month, int* day, int* year) const;
    [[nodiscard]] std::int32_t Value() const { return value; }

private:
    std::int32_t value = 0;
};

inline constexpr std::int32_t kMillisecondsPerDay = 86400000;

// Milliseconds since midnight, 0 .. 86399999.
class TimeOfDayMs {
public:
    // Stores the total folded into one day; returns the whole days carried (negative totals
    // fold forward, carrying negative days).
    std::int32_t Set(std::int32_t hour, std::int32_t minute, std::int32_t second,
                     std::int32_t millisecond);
    // Any output may be null.
    void Get(std::int32_t* hour, std::int32_t* minute, std::int32_t* second,
             std::int32_t* millisecond) const;
    // Signed; returns the whole days carried.
    std::int32_t Add(std::int64_t milliseconds);
    [[nodiscard]] std::uint32_t Milliseconds() const { return value; }

private:
    std::int32_t Fold(std::int64_t total);

    std::uint32_t value = 0;
};

}  // namespace world
