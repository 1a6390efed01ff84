#include "sim/date_time.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/calendar.h"
#include "core/ini_file.h"
#include "nav/lat_lon.h"
#include "sim/time_zones.h"
#include "win/timing.h"

namespace sim {

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (m + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t* y, int* m, int* d) {
    z += 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *y = yoe + era * 400 + (*m <= 2 ? 1 : 0);
}

constexpr int kFactors[5] = {1, 2, 4, 8, 16};

std::string FormatHms(const CalendarTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.min, t.sec);
    return buf;
}

}  // namespace

std::int64_t CalendarToSeconds(const CalendarTime& t) {
    const std::int64_t monthTotal = static_cast<std::int64_t>(t.mon);
    const std::int64_t year = 1900 + static_cast<std::int64_t>(t.year) + FloorDiv(monthTotal, 12);
    const std::int64_t month = monthTotal - FloorDiv(monthTotal, 12) * 12 + 1;
    const std::int64_t days =
        DaysFromCivil(year, month, 1) + (static_cast<std::int64_t>(t.mday) - 1);
    return days * 86400 + static_cast<std::int64_t>(t.hour) * 3600 +
           static_cast<std::int64_t>(t.min) * 60 + t.sec;
}

CalendarTime SecondsToCalendar(std::int64_t seconds) {
    CalendarTime t;
    const std::int64_t days = FloorDiv(seconds, 86400);
    const std::int64_t rest = seconds - days * 86400;
    t.hour = static_cast<int>(rest / 3600);
    t.min = static_cast<int>(rest % 3600 / 60);
    t.sec = static_cast<int>(rest % 60);
    std::int64_t y = 0;
    int m = 1, d = 1;
    CivilFromDays(days, &y, &m, &d);
    t.year = static_cast<int>(y - 1900);
    t.mon = m - 1;
    t.mday = d;
    t.wday = static_cast<int>(FloorDiv(days + 4, 7) * -7 + days + 4);  // 1970-01-01 a Thursday
    t.yday = static_cast<int>(days - DaysFromCivil(y, 1, 1));
    t.isdst = 0;
    return t;
}

DateAndTime::DateAndTime(TimeSource source) : now(source != nullptr ? source : &win::timeGetTime) {
    milliseconds = now();
    UpdateZoneSeconds();
}

// Brings the count up to the present: real time since the last reading, times the factor,
// unless paused. The first reading only starts the count, paused or not.
void DateAndTime::Catch() {
    const std::uint32_t t = now();
    if (haveReading && pauseCount == 0)
        milliseconds += static_cast<std::uint64_t>(static_cast<std::uint32_t>(t - lastReading)) *
                        static_cast<std::uint64_t>(kFactors[acceleration]);
    lastReading = t;
    haveReading = true;
}

int DateAndTime::Pause(int flag) {
    Catch();
    if (flag != 0) {
        ++pauseCount;
        return 1;
    }
    // A resume without a matching pause is ignored rather than letting the count go negative.
    if (pauseCount > 0) --pauseCount;
    return -1;
}

std::uint32_t DateAndTime::GetMilliseconds() {
    Catch();
    return static_cast<std::uint32_t>(milliseconds);
}

std::uint64_t DateAndTime::GetMilliseconds64() {
    Catch();
    return milliseconds;
}

void DateAndTime::SetAcceleration(int index) {
    Catch();
    acceleration = index < 0 ? 0 : (index > 4 ? 4 : index);
}

std::int64_t DateAndTime::GetCalendarSeconds() {
    return epochOffset + static_cast<std::int64_t>(GetMilliseconds64() / 1000);
}

void DateAndTime::GetZuluTime(CalendarTime* out) {
    *out = SecondsToCalendar(GetCalendarSeconds());
}

void DateAndTime::SetZuluTime(const CalendarTime& t) {
    epochOffset = CalendarToSeconds(t) - static_cast<std::int64_t>(GetMilliseconds64() / 1000);
}

void DateAndTime::GetLocalTime(CalendarTime* out) {
    *out = SecondsToCalendar(GetCalendarSeconds() - zoneSeconds);
}

void DateAndTime::SetLocalTime(const CalendarTime& t) {
    epochOffset =
        zoneSeconds + CalendarToSeconds(t) - static_cast<std::int64_t>(GetMilliseconds64() / 1000);
}

std::string DateAndTime::FormatLocalTime() {
    CalendarTime t;
    GetLocalTime(&t);
    return FormatHms(t);
}

std::string DateAndTime::FormatZuluTime() {
    CalendarTime t;
    GetZuluTime(&t);
    return FormatHms(t);
}

std::string DateAndTime::FormatClockTime() {
    return zoneMode != 0 ? FormatLocalTime() : FormatZuluTime();
}

void DateAndTime::SetZoneMode(int mode) {
    zoneMode = (mode >= 0 && mode <= 2) ? mode : 0;
}

void DateAndTime::SetManualZone(int hours) {
    manualZone = hours < -12 ? -12 : (hours > 14 ? 14 : hours);
}

ui::ClockReading DateAndTime::ReadClock(bool zulu) {
    CalendarTime t;
    if (zulu)
        GetZuluTime(&t);
    else
        GetLocalTime(&t);
    return ui::ClockReading{t.hour, t.min, t.sec, t.mon, t.mday, t.year};
}

void DateAndTime::SetClock(const ui::ClockReading& time, bool zulu) {
    CalendarTime t;
    t.hour = time.hour;
    t.min = time.min;
    t.sec = time.sec;
    t.mon = time.mon;
    t.mday = time.mday;
    t.year = time.year;
    if (zulu) {
        SetZuluTime(t);
        return;
    }
    if (zoneMode == 2) {
        // The typed time is the place's time on the typed date, by the zone's rules on that
        // date; a time the spring-forward gap skips reads as the clock set forward over it.
        const std::int64_t utc = LocalToUtc(autoPlace, CalendarToSeconds(t), autoLonWest);
        SetZuluTime(SecondsToCalendar(utc));
        UpdateAutoZone();
        ApplyZoneMode();
        return;
    }
    SetLocalTime(t);
}

int DateAndTime::AutoZoneAt(std::int64_t utcSeconds) const {
    const ZoneMoment m = ZoneAt(autoPlace, utcSeconds, autoLonWest);
    return static_cast<int>(std::lround(m.secondsBehind / 3600.0));
}

void DateAndTime::UpdateAutoZone() {
    const ZoneMoment m = ZoneAt(autoPlace, GetCalendarSeconds(), autoLonWest);
    autoZoneSeconds = m.secondsBehind;
    autoDaylight = m.daylight;
    autoZone = static_cast<int>(std::lround(m.secondsBehind / 3600.0));
}

std::string DateAndTime::GetAutoZoneName() const {
    return std::string(autoPlace.name) + (autoDaylight ? " Daylight Time" : " Standard Time");
}

void DateAndTime::ApplyZoneMode() {
    if (zoneMode == 1) zone = manualZone;
    if (zoneMode == 2) {
        // A place half an hour off the hours (Newfoundland) keeps its half hour.
        zone = autoZone;
        zoneSeconds = autoZoneSeconds;
        return;
    }
    UpdateZoneSeconds();
}

void DateAndTime::SetAutoZoneFromPosition(std::int32_t posX, std::int32_t posZ) {
    double lat = 0.0;
    double lon = 0.0;
    nav::WorldToLatLon(&lat, &lon, posX, posZ);
    autoPlace = ZoneOfPlace(lat, lon);
    autoLonWest = lon;
    UpdateAutoZone();
    if (zoneMode == 2) ApplyZoneMode();
}

int DateAndTime::LoadTimeSettings(core::IniFile& file) {
    const char* cur = file.GetString("Time", "cur", "0");
    char* end = nullptr;
    long long seconds = std::strtoll(cur, &end, 10);
    if (end == cur) seconds = 0;
    // A file may hold any number; outside years 0 to 9999 the sums of offset and elapsed
    // seconds could overflow, so the time is held to that calendar.
    constexpr long long kFirstSecond = -62167219200LL;  // 0000-01-01 00:00:00
    constexpr long long kLastSecond = 253402300799LL;   // 9999-12-31 23:59:59
    seconds =
        seconds < kFirstSecond ? kFirstSecond : (seconds > kLastSecond ? kLastSecond : seconds);
    epochOffset =
        static_cast<std::int64_t>(seconds) - static_cast<std::int64_t>(GetMilliseconds64() / 1000);
    int z = file.GetInt("Time", "tZone", 7);
    zone = z < -12 ? -12 : (z > 14 ? 14 : z);
    // The zone seconds always follow the zone, whatever the file says.
    UpdateZoneSeconds();
    SetZoneMode(file.GetInt("Time", "tZoneMode", 0));
    SetManualZone(file.GetInt("Time", "tZoneManual", 7));
    return 1;
}

int DateAndTime::SaveTimeSettings(core::IniFile& file) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(GetCalendarSeconds()));
    int ok = file.PutString("Time", "cur", buf);
    ok &= file.PutInt("Time", "tZone", zone);
    ok &= file.PutInt("Time", "tZoneDiff", zoneSeconds);
    ok &= file.PutInt("Time", "tZoneMode", zoneMode);
    ok &= file.PutInt("Time", "tZoneManual", manualZone);
    return ok;
}

}  // namespace sim
