// The navigation receivers: NAV1 and NAV2 (VOR, localizer, glide slope, marker beacons, DME), the
// DME hold receiver and the ADF. The navigation database decides which station each receiver
// hears when a frequency is tuned; every third tick the receivers turn those stations into the
// words of the course indicators, the HSI, the attitude director's needles, the RMI and ADF
// needles, the DME window, the marker lamps, the Morse idents of the beacon sound and the
// autopilot's radio input. The radios' frequencies and display options are the "NavAids" section
// of a saved situation.
#pragma once

#include <cstdint>
#include <string>

#include "nav/nav_database.h"

namespace cockpit {

// Class bits of a tuned station, as the database writes them.
inline constexpr std::uint16_t kStationVor = 0x0001;
inline constexpr std::uint16_t kStationLocalizerFamily = 0x001E;
inline constexpr std::uint16_t kStationGlideSlope = 0x1010;
inline constexpr std::uint16_t kStationTerminal = 0x0100;
inline constexpr std::uint16_t kStationLowAltitude = 0x0200;
inline constexpr std::uint16_t kStationHighAltitude = 0x0400;
inline constexpr std::uint16_t kStationDme = 0x0800;
inline constexpr std::uint16_t kStationOuterMarker = 0x2000;
inline constexpr std::uint16_t kStationMiddleMarker = 0x4000;
inline constexpr std::uint16_t kStationInnerMarker = 0x8000;

// Status byte of a receiver's output.
inline constexpr std::uint8_t kStatusDme = 0x01;
inline constexpr std::uint8_t kStatusVor = 0x02;
inline constexpr std::uint8_t kStatusLocalizer = 0x08;
inline constexpr std::uint8_t kStatusGlideSlope = 0x10;

// One receiver's output record: NAV1, NAV2 and the DME hold receiver each have one.
struct NavReceiverOutput {
    std::uint8_t flags = 0;    // the status byte above
    std::int16_t station = 0;  // the heard station's frequency code; 0 while none is heard
    std::uint8_t dmeCountdown = 12;
    std::uint16_t dmeDistance = 0;   // tenths of a nautical mile
    double previousSlant = -1.0;     // nautical miles; -1 before the first reading
    std::uint32_t previousStep = 0;  // the flight-step counter at that reading
    std::int32_t dmeStationX = 0;    // the station the distance was read from
    std::int32_t dmeStationZ = 0;
    std::int32_t dmeFromX = 0;       // the aircraft at the receiver's last DME computation
    std::int32_t dmeFromZ = 0;
    std::int8_t deviation = 0;       // -127..127
    std::uint16_t direction = 0;     // 0 unusable, 1 TO, 2 FROM, 3 localizer
    std::uint32_t range = 0;         // horizontal, world units
    std::uint16_t radial = 0;        // the radial (a VOR's magnetic) the aircraft is on
    std::uint16_t bearing = 0;       // the same on the world grid
    std::uint16_t localizerCourse = 0;
    std::int16_t glideSlope = 0;  // -127..127, positive above the glide path
};
// NAV1 and NAV2; the hold receiver's record.
extern NavReceiverOutput theNavReceiverOutputs[2];
extern NavReceiverOutput theDmeHoldOutput;

// The DME hold: HLD captures the station of the receiver that last read a distance and keeps it
// until the selector leaves HLD.
struct DmeHold {
    std::int32_t captured = 0;
    std::int32_t fromNav = 0;     // 1 or 2: where the held station came from
    std::int32_t lastReader = 0;  // 1 or 2: the receiver that read a distance last; 0 none
};
extern DmeHold theDmeHold;
extern nav::TunedNavStation theDmeHoldStation;

// The receivers' published words, by the names the saved situation gives them.
struct NavReceiverWords {
    std::uint16_t vor1_dir_flag = 0;
    std::uint16_t vor1_obs_setting = 360;  // degrees 1..360
    std::uint16_t vor1_obs_pd = 65534;     // the same as a binary angle
    std::uint16_t vor2_dir_flag = 0;
    std::uint16_t vor2_obs_setting = 360;
    std::uint16_t vor2_obs_pd = 65534;
    // The ident-audio flags that follow the radios' IDT switches.
    std::int32_t nav1IdentGlobal = 0;
    std::int32_t nav2IdentGlobal = 0;
    std::int32_t adfIdentGlobal = 0;
    // Set while any ident string is filled; cleared when the last one empties.
    std::int32_t identsActive = 0;
};
extern NavReceiverWords theNavReceiverWords;

// UpdateNavRadios (every third tick), ReadNavRadios and WriteNavRadios ("NavAids") are declared
// with the spine's other cockpit services in panel_services.h, CenterNavIndicators in
// cockpit_services.h.

// Receiver 1 (NAV1), 2 (NAV2) or 3 (DME hold) on its station.
void UpdateNavReceiver(const nav::TunedNavStation& station, NavReceiverOutput& output,
                       int receiver);
void UpdateAdfReceiver(const nav::TunedNavStation& station);

// A glide slope's coverage: out to kGlideSlopeCoverageNm from its antenna, in front of it (on the
// approach side of the point of the course abeam of it) and within kGlideSlopeSectorDegrees either
// side of the localizer's course, seen from the localizer.
inline constexpr double kGlideSlopeCoverageNm = 10.0;
inline constexpr double kGlideSlopeSectorDegrees = 8.0;
[[nodiscard]] bool InGlideSlopeCoverage(const nav::TunedNavStation& station, std::int32_t x,
                                        std::int32_t z);

// The reception range in nautical miles of a station for a height above it in feet.
[[nodiscard]] int ReceptionRangeNm(std::uint16_t classFlags, std::int32_t heightAboveFeet);
// The course comparison: direction (0, 1 TO, 2 FROM, 3 localizer) and deviation (-127..127,
// negative when the course lies to the left) of a course input against a reference course.
struct CourseComparison {
    std::uint16_t direction = 0;
    std::int8_t deviation = 0;
};
[[nodiscard]] CourseComparison CompareCourse(std::uint16_t courseInput, std::uint16_t reference,
                                             bool localizer);
// The course needle (-20..20 after the indicator's limit) and glide-slope needle of a value.
[[nodiscard]] std::int32_t CourseNeedleValue(std::int32_t deviation);
[[nodiscard]] std::int32_t GlideSlopeNeedleValue(std::int32_t glideSlope);

// vor1_obs_pd from vor1_obs_setting.
void UpdateNav1CourseAngle();

// The four ident strings of the beacon sound: receiver 0 NAV1, 1 NAV2, 2 ADF, 3 DME.
void SetStationIdent(int receiver, const std::string& ident);
void EmptyStationIdent(int receiver);
// Empties all four and flushes the Morse queue.
void EmptyStationIdents();

// Back to a new cockpit's receivers (tests, a fresh start).
void ResetNavReceivers();

}  // namespace cockpit
