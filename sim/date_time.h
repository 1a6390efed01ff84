// The simulated clock: milliseconds that run with the system timer, faster by the
// time-acceleration factor and not at all while paused; the calendar as an offset in seconds
// from 1970-01-01 00:00 UTC; and the time zone, fixed by the user or picked from the aircraft's
// place.
#pragma once

#include <cstdint>
#include <string>

#include "sim/time_zones.h"
#include "ui/option_models.h"

namespace core {
class IniFile;
}

namespace sim {

// Broken-down time, the fields of the standard library's calendar record.
struct CalendarTime {
    int sec = 0;
    int min = 0;
    int hour = 0;
    int mday = 1;
    int mon = 0;    // 0..11
    int year = 70;  // years since 1900
    int wday = 4;   // 0 Sunday
    int yday = 0;
    int isdst = 0;
};

// Seconds since the epoch of a calendar record read as UTC; out-of-range fields carry over
// (61 minutes is one hour and one minute). Signed 64-bit, so dates before 1970 work.
[[nodiscard]] std::int64_t CalendarToSeconds(const CalendarTime& t);
// The UTC calendar record of seconds since the epoch (floor division for times before it).
[[nodiscard]] CalendarTime SecondsToCalendar(std::int64_t seconds);

class DateAndTime final : public ui::DialogClock {
public:
    using TimeSource = std::uint32_t (*)();

    explicit DateAndTime(TimeSource source = nullptr);

    // Non-zero pauses, 0 resumes; pauses nest. Returns 1 on pause, -1 on resume.
    int Pause(int flag);
    [[nodiscard]] bool IsPaused() const { return pauseCount > 0; }
    [[nodiscard]] int PauseCount() const { return pauseCount; }

    // Simulated milliseconds: the low 32 bits for the tick scheduler, all 64 for the calendar.
    std::uint32_t GetMilliseconds();
    std::uint64_t GetMilliseconds64();

    // Time-acceleration index 0..4 (factor 1, 2, 4, 8, 16); out-of-range values are clamped.
    void SetAcceleration(int index);
    [[nodiscard]] int GetAcceleration() const { return acceleration; }

    void GetZuluTime(CalendarTime* out);
    void SetZuluTime(const CalendarTime& t);
    void GetLocalTime(CalendarTime* out);
    void SetLocalTime(const CalendarTime& t);
    std::string FormatLocalTime();
    std::string FormatZuluTime();
    std::string FormatClockTime();
    // Calendar time in seconds since the epoch (UTC).
    std::int64_t GetCalendarSeconds();

    void SetZoneMode(int mode) override;
    [[nodiscard]] int GetZoneMode() const override { return zoneMode; }
    void SetManualZone(int hours) override;
    [[nodiscard]] int GetManualZone() const override { return manualZone; }
    [[nodiscard]] int GetAutoZone() const override { return autoZone; }
    // The place's zone as it stands now, e.g. "Mountain Standard Time".
    [[nodiscard]] std::string GetAutoZoneName() const override;
    [[nodiscard]] int GetZone() const { return zone; }
    [[nodiscard]] int GetZoneSeconds() const { return zoneSeconds; }
    void ApplyZoneMode() override;
    // The date-and-time dialog's reading and setting of the clock (UTC or local).
    [[nodiscard]] ui::ClockReading ReadClock(bool zulu) override;
    void SetClock(const ui::ClockReading& time, bool zulu) override;
    void UpdateZoneSeconds() { zoneSeconds = zone * 3600; }
    // The automatic zone follows the place of a world position.
    void SetAutoZoneFromPosition(std::int32_t posX, std::int32_t posZ);
    // The place's zone (whole hours behind UTC) at a moment, by its zone's rules on that date.
    [[nodiscard]] int AutoZoneAt(std::int64_t utcSeconds) const;

    // Section "Time" of a situation.
    int LoadTimeSettings(core::IniFile& file);
    int SaveTimeSettings(core::IniFile& file);

private:
    void Catch();
    // The place's zone at the clock's moment.
    void UpdateAutoZone();

    TimeSource now;
    std::uint64_t milliseconds = 0;
    std::uint32_t lastReading = 0;
    bool haveReading = false;
    int pauseCount = 0;
    int acceleration = 0;
    std::int64_t epochOffset = 0;
    int manualZone = 7;
    int autoZone = 7;
    PlaceZone autoPlace{"America/Los_Angeles", "Pacific"};
    double autoLonWest = 122.25;
    int autoZoneSeconds = 7 * 3600;
    bool autoDaylight = true;
    int zone = 8;
    int zoneSeconds = 8 * 3600;
    int zoneMode = 0;
};

}  // namespace sim
