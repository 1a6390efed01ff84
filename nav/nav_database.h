// The navigation database: the six tables loaded once at start-up from `theNavVolume` and kept
// for the whole run, and the reception checks that decide which station each receiver hears.
// A receiver hears the nearest station on its frequency; the checks fill `theNav1Station`,
// `theNav2Station` and `theAdfStation` and the bits of `theNavReceptionFlags`, and the cockpit's
// receivers compare the station's distance with their own range.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nav/nav_records.h"

namespace core {
class ResourceVolume;
}

namespace nav {

// "Data\Data.Vol" with the loose folder "Data\Nav".
extern core::ResourceVolume& theNavVolume;

struct NavDatabase {
    std::vector<VorRecord> vors;
    std::vector<AirportIndexRecord> airports;
    std::vector<NdbRecord> ndbs;
    std::vector<IlsRecord> ils;
    std::vector<WaypointRecord> waypoints;
    std::vector<AirwayRecord> airways;
    // The runway ends' own controllers and traffic sides ("na.rwc"), read when the ATC first
    // asks for them.
    std::vector<RunwayControlRecord> runwayControls;
    bool runwayControlsRead = false;
    // Every published channel of the airports' services ("na.frq"), read when the ATC first
    // asks for them.
    std::vector<ComChannelRecord> comChannels;
    bool comChannelsRead = false;

    [[nodiscard]] std::int32_t VorCount() const { return static_cast<std::int32_t>(vors.size()); }
    [[nodiscard]] std::int32_t AirportCount() const {
        return static_cast<std::int32_t>(airports.size());
    }
    [[nodiscard]] std::int32_t NdbCount() const { return static_cast<std::int32_t>(ndbs.size()); }
    [[nodiscard]] std::int32_t IlsCount() const { return static_cast<std::int32_t>(ils.size()); }
    [[nodiscard]] std::int32_t WaypointCount() const {
        return static_cast<std::int32_t>(waypoints.size());
    }
    [[nodiscard]] std::int32_t AirwayCount() const {
        return static_cast<std::int32_t>(airways.size());
    }
    void Clear();
};
extern NavDatabase theNavDatabase;

// The loaders, in the start-up order na.vor, na.ndb, na.ils, na.apt, na.wpt, na.vct. Each reads
// its member whole; 1 when the member opened. A member that does not open leaves its table
// empty; a row count above 32,767 is refused (empty table); a count past the member's end keeps
// the whole rows that are there. An airway with a negative point count, or whose points pass
// the member's end, ends the airway table (the airways before it stay). The NDB loader then
// runs CheckAdfReception and the ILS loader CheckNavReception, loaded or not.
int LoadNavVors(const char* fileName = "na.vor");
int LoadNavNdbs(const char* fileName = "na.ndb");
int LoadNavIls(const char* fileName = "na.ils");
int LoadNavAirports(const char* fileName = "na.apt");
int LoadNavWaypoints(const char* fileName = "na.wpt");
int LoadNavAirways(const char* fileName = "na.vct");
// The runway ends' controllers and traffic sides, read once when the ATC chooses a runway.
int LoadNavRunwayControls(const char* fileName = "na.rwc");
// The airports' published COM channels, read once when the ATC first listens for them.
int LoadNavComChannels(const char* fileName = "na.frq");

// The station a receiver hears.
struct TunedNavStation {
    std::uint16_t frequency = 0;  // the code searched (MHz x 100 or kHz)
    std::int32_t x = 0;           // the station (for an ILS the localizer)
    std::int32_t z = 0;
    std::int32_t x2 = 0;  // ILS: the glide-slope / DME point; not written for VOR and NDB
    std::int32_t z2 = 0;
    std::uint32_t distance = 0x7FFFFFFF;  // world units to the measuring point; 0x7FFFFFFF none
    std::uint16_t bearing = 0;            // from the measuring point to the aircraft
    std::uint16_t flags = 0;              // the row's class or type flags
    std::uint32_t range = 0;              // reception range as the table gives it
    std::int16_t elevation = 0;           // metres
    std::string ident;                    // at most 5 characters
    // ILS only.
    std::uint16_t localizerCourse = 0;
    std::uint16_t glideSlopeAngle = 0;
    std::int32_t pointX[3] = {0, 0, 0};
    std::int32_t pointZ[3] = {0, 0, 0};
};
extern TunedNavStation theNav1Station;
extern TunedNavStation theNav2Station;
extern TunedNavStation theAdfStation;

// Bit 0 NAV1 hears a station, bit 1 NAV2, bit 2 the ADF.
extern std::uint8_t theNavReceptionFlags;
inline constexpr std::uint8_t kNav1Reception = 0x01;
inline constexpr std::uint8_t kNav2Reception = 0x02;
inline constexpr std::uint8_t kAdfReception = 0x04;

inline constexpr std::uint32_t kNoStationDistance = 0x7FFFFFFF;
// Reception ranges: nautical miles x 4713.
inline constexpr std::uint32_t kIlsReceptionRange = 131964;
inline constexpr std::uint32_t kNdbReceptionRange = 353475;
[[nodiscard]] std::uint32_t VorReceptionRange(std::uint16_t flags);

// The first row carrying a frequency code among the first `count` rows; -1 when none.
[[nodiscard]] std::int16_t FindFirstVor(std::int32_t count, std::int32_t code);
[[nodiscard]] std::int16_t FindFirstIls(std::int32_t count, std::int32_t code);
[[nodiscard]] std::int16_t FindFirstNdb(std::int32_t count, std::int32_t code);

// Tune the nearest station on a frequency into NAV1 (`second` 0) or NAV2, or into the ADF.
// NAV: code = 10000 + 100 x mhzPart + hundredths (mhzPart is the radio's MHz minus 100); ADF:
// code = 100 x hundreds + rest. 1 when a row carries the code. A VOR needs the battery and
// avionics masters on; without them the station is left as it was.
int TuneVor(int mhzPart, int hundredths, int second);
int TuneIls(int mhzPart, int hundredths, int second);
int TuneNdb(int hundreds, int rest);

// Tune from the radio's active frequency and set or clear its bit. A VOR wins over an ILS on the
// same frequency. Each check writes a trace line when its bit or station changed.
void CheckNav1Reception();
void CheckNav2Reception();
void CheckAdfReception();
void CheckNavReception();
// Called by the world's once-a-second task: the NAV1 check at the 9th call, NAV2 at the 19th and
// the ADF at the 29th, then the cycle starts again.
void TickNavReception();

// Forgets the stations, the flag byte, the tick cycle and the traced states (tests).
void ResetNavReception();

}  // namespace nav
