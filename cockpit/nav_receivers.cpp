#include "cockpit/nav_receivers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "cockpit/aircraft_kind.h"
#include "cockpit/audio_panel.h"
#include "cockpit/bearing.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "devices/beacon_sound.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "nav/lat_lon.h"
#include "nav/map_view.h"
#include "nav/nav_services.h"
#include "world/scenery_state.h"
#include "world/terrain_services.h"

namespace cockpit {

NavReceiverOutput theNavReceiverOutputs[2];
NavReceiverOutput theDmeHoldOutput;
DmeHold theDmeHold;
nav::TunedNavStation theDmeHoldStation;
NavReceiverWords theNavReceiverWords;

namespace {

// Feet in a world unit (1/256 m) and in a metre; nautical miles from statute feet as the
// receivers count them.
constexpr double kFeetPerWorldUnit = 0.012815625;
constexpr double kFeetPerMetre = 3.2808;
// Farther than any aircraft flies between two computations of the receivers.
constexpr double kDmeJumpNm = 1.0;
constexpr double kNmPerWorldUnit = (1.0 / 256.0) * 3.2808 * (1.0 / 5280.0) * (1.0 / 1.15);
// Flight steps between two DME readings at normal speed: every 12th computation, every 3rd tick.
constexpr std::uint32_t kStepsPerDmeReading = 36;
constexpr std::int16_t kParked = 90;
// The autopilot's input: the station is close enough for the passage latch within 2 NM.
constexpr std::uint32_t kCloseToStationNm = 2;

template <typename T, typename V>
void SetWord(T& word, V value, std::int32_t& dirty) {
    if (word != static_cast<T>(value)) {
        word = static_cast<T>(value);
        dirty = 1;
    }
}

std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// The grid values at a station (its magnetic variation plus the grid's convergence there),
// kept per receiver while the station stays the same.
struct StationGrid {
    bool valid = false;
    std::int32_t x = 0;
    std::int32_t z = 0;
    std::int16_t offset = 0;
};
StationGrid theStationGrids[3];

std::int16_t StationGridOffset(const nav::TunedNavStation& station, int receiver) {
    StationGrid& g = theStationGrids[(receiver - 1) % 3];
    if (!g.valid || g.x != station.x || g.z != station.z) {
        const nav::GridValues v = nav::theMapView.LookupGridValues(station.x, station.z);
        g = StationGrid{true, station.x, station.z,
                        static_cast<std::int16_t>(v.variation + v.north)};
    }
    return g.offset;
}

// The straight-line range in world units from the aircraft to a point, when no bearing is wanted.
double RangeTo(std::int32_t x, std::int32_t z) {
    const double dx = static_cast<double>(flight::theFlightModelState.fmPosX) - x;
    const double dz = static_cast<double>(flight::theFlightModelState.fmPosZ) - z;
    return std::sqrt(dx * dx + dz * dz);
}

// The marker lamps the receivers of one update lit (outer, middle, inner).
bool theMarkersLit[3] = {false, false, false};

void ResetGlideSlopeFlags(int receiver) {
    const int t = AircraftType();
    if (receiver == 1 && !C172Kind(t)) {
        if (theHsiGauge.glideSlopeFlag != 0) {
            theHsiGauge.glideSlope = 0;
            theHsiGauge.glideSlopeFlag = 0;
            theHsiGauge.dirty = 1;
        }
        if (theAttitudeIndicator.navFlag1 != 0) {
            theAttitudeIndicator.glideSlopeNeedle = 0;
            theAttitudeIndicator.navFlag1 = 0;
            theAttitudeIndicator.dirty = 1;
        }
        return;
    }
    if (receiver == 3) return;
    PanelGauge& g = receiver == 1 ? theNav1Indicator : theNav2Indicator;
    if (g.navFlag1 != 0) {
        g.glideSlopeNeedle = 0;
        g.navFlag1 = 0;
        g.dirty = 1;
    }
}

void RaiseGlideSlopeFlag(int receiver) {
    if (receiver == 3) return;
    if (receiver == 1 && !C172Kind(AircraftType())) {
        SetWord(theHsiGauge.glideSlopeFlag, 1, theHsiGauge.dirty);
        if (TurbineKind(AircraftType()))
            SetWord(theAttitudeIndicator.navFlag1, 1, theAttitudeIndicator.dirty);
        return;
    }
    PanelGauge& g = receiver == 1 ? theNav1Indicator : theNav2Indicator;
    SetWord(g.navFlag1, 1, g.dirty);
}

bool GlideSlopeFlagRaised(int receiver) {
    if (receiver == 1 && !C172Kind(AircraftType())) return theHsiGauge.glideSlopeFlag != 0;
    const PanelGauge& g = receiver == 1 ? theNav1Indicator : theNav2Indicator;
    return g.navFlag1 != 0;
}

void PublishMarkers() {
    std::int32_t* lamps[3] = {&theMarkerReceiver.outer, &theMarkerReceiver.middle,
                              &theMarkerReceiver.inner};
    for (int m = 0; m < 3; ++m)
        SetWord(*lamps[m], theMarkersLit[m] ? 1 : 0, theAudioPanel.dirty);
}

// The height of the aircraft above a station, in feet, not below 0.
std::int32_t HeightAboveStation(const nav::TunedNavStation& station) {
    const std::int32_t altitude =
        static_cast<std::int32_t>(std::trunc(flight::GetAircraftAltitude() * 1.2890625 + 0.5));
    const std::int32_t a =
        altitude - static_cast<std::int32_t>(std::trunc(station.elevation * kFeetPerMetre));
    return a < 0 ? 0 : a;
}

// The three marker beacons of an ILS, each lit while the aircraft is inside its fan: an ellipse
// about the beacon, narrow along the localizer course and long across it, that grows with the
// height above the antenna (a marker's published pattern is about 2,400 ft along the course by
// 4,200 ft across at 1,000 ft), taken no smaller than at 100 ft and, as the low-powered beacon
// fades with the height, no larger than at 2,000 ft.
void UpdateMarkers(const nav::TunedNavStation& station) {
    constexpr double kFeetPerWorldUnit = 1.0 / 256.0 / 0.3048;
    const double height =
        std::clamp(static_cast<double>(HeightAboveStation(station)), 100.0, 2000.0);
    const double halfAlong = 1.2 * height, halfAcross = 2.1 * height;
    const double course = station.localizerCourse * (2.0 * 3.14159265358979323846 / 65536.0);
    const double ux = std::sin(course), uz = std::cos(course);  // x east, z north
    static constexpr std::uint16_t kBits[3] = {kStationOuterMarker, kStationMiddleMarker,
                                               kStationInnerMarker};
    for (int m = 2; m >= 0; --m) {
        if ((station.flags & kBits[m]) == 0) continue;
        const double dx =
            (static_cast<double>(flight::theFlightModelState.fmPosX) - station.pointX[m]) *
            kFeetPerWorldUnit;
        const double dz =
            (static_cast<double>(flight::theFlightModelState.fmPosZ) - station.pointZ[m]) *
            kFeetPerWorldUnit;
        const double along = (dx * ux + dz * uz) / halfAlong;
        const double across = (dx * uz - dz * ux) / halfAcross;
        if (along * along + across * across < 1.0) theMarkersLit[m] = true;
    }
}

// The aircraft's height above sea level in world units.
double AircraftHeightWorld() {
    return static_cast<double>(flight::theFlightModelState.fmPosY) +
           static_cast<double>(world::theTerrainDatum);
}

// The great-circle distance in nautical miles between two world positions: the world plane's
// scale departs from the globe's by up to a few percent across the continent, and a DME reads
// what the charts say.
double GroundNm(std::int32_t x1, std::int32_t z1, std::int32_t x2, std::int32_t z2) {
    double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
    nav::WorldToLatLon(&lat1, &lon1, x1, z1);
    nav::WorldToLatLon(&lat2, &lon2, x2, z2);
    constexpr double r = 3.14159265358979323846 / 180.0;
    const double a =
        std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
        std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
    return 2.0 * 6371008.8 * std::asin(std::sqrt(std::fmin(1.0, a))) / 1852.0;
}

// Whether the DME has a new station, or the aircraft was put somewhere else (a jump no aircraft
// flies between two computations): its figures then belong to another place and are read anew
// at once, the speed and time from the next reading on.
bool DmeStartsAfresh(const nav::TunedNavStation& station, NavReceiverOutput& output) {
    const flight::FlightModelState& s = flight::theFlightModelState;
    // A jump is told on the world plane, whose scale is the globe's within a few percent: the
    // great-circle distance would cost two map inversions in every update.
    const double dx = static_cast<double>(s.fmPosX) - output.dmeFromX;
    const double dz = static_cast<double>(s.fmPosZ) - output.dmeFromZ;
    constexpr double kJumpUnits = kDmeJumpNm / kNmPerWorldUnit;
    const bool moved = dx * dx + dz * dz > kJumpUnits * kJumpUnits;
    const bool retuned = station.x != output.dmeStationX || station.z != output.dmeStationZ;
    output.dmeFromX = s.fmPosX;
    output.dmeFromZ = s.fmPosZ;
    output.dmeStationX = station.x;
    output.dmeStationZ = station.z;
    return moved || retuned;
}

void ReadDme(const nav::TunedNavStation& station, NavReceiverOutput& output, int receiver) {
    if (DmeStartsAfresh(station, output)) {
        output.previousSlant = -1.0;
        output.dmeCountdown = 1;
        SetWord(theDmeRadio.dmeDigits[1], 0, theDmeRadio.dirty);
        SetWord(theDmeRadio.dmeDigits[2], 0, theDmeRadio.dirty);
        if (TurbineKind(AircraftType())) {
            SetWord(theHsiGauge.dmeSpeed, 0, theHsiGauge.dirty);
            SetWord(theHsiGauge.dmeTime, 0, theHsiGauge.dirty);
        }
    }
    if (--output.dmeCountdown != 0) return;
    output.dmeCountdown = 12;
    if (receiver != 3) theDmeHold.lastReader = receiver;
    // A localizer's DME stands at its glide-slope / DME point.
    const bool localizer =
        (station.flags & kStationLocalizerFamily) != 0 && (station.flags & kStationVor) == 0;
    const flight::FlightModelState& s = flight::theFlightModelState;
    const double ground = GroundNm(s.fmPosX, s.fmPosZ, localizer ? station.x2 : station.x,
                                   localizer ? station.z2 : station.z);
    const double dz =
        (AircraftHeightWorld() * kFeetPerWorldUnit - station.elevation * kFeetPerMetre) *
        (1.0 / 5280.0) * (1.0 / 1.15);
    const double slant = std::sqrt(dz * dz + ground * ground);
    const double tenths = std::trunc(slant * 10.0);
    output.dmeDistance = static_cast<std::uint16_t>(tenths > 65535.0 ? 65535.0 : tenths);
    SetWord(theDmeRadio.dmeDigits[0], output.dmeDistance, theDmeRadio.dirty);
    const std::uint32_t now = world::theFlightStepCounter;
    if (output.previousSlant != -1.0) {
        // The speed counts the flight steps flown since the last reading, so that time
        // acceleration (more steps per tick) does not multiply it.
        std::uint32_t steps = now - output.previousStep;
        if (steps == 0) steps = kStepsPerDmeReading;
        const double knots = std::trunc(std::fabs(slant - output.previousSlant) * 1800.0 *
                                        kStepsPerDmeReading / steps);
        const std::int32_t speed = static_cast<std::int32_t>(knots > 32767.0 ? 32767.0 : knots);
        std::int32_t minutes = 0;
        if (speed != 0) {
            const double t = std::trunc((output.dmeDistance * 0.1) / (speed * (1.0 / 60.0)));
            minutes = t > 99.0 ? 99 : static_cast<std::int32_t>(t);
        }
        SetWord(theDmeRadio.dmeDigits[1], speed, theDmeRadio.dirty);
        SetWord(theDmeRadio.dmeDigits[2], minutes, theDmeRadio.dirty);
        if (TurbineKind(AircraftType())) {
            SetWord(theHsiGauge.dmeSpeed, speed, theHsiGauge.dirty);
            SetWord(theHsiGauge.dmeTime, minutes, theHsiGauge.dirty);
        }
    }
    if (TurbineKind(AircraftType()))
        SetWord(theHsiGauge.dmeDistance, output.dmeDistance, theHsiGauge.dirty);
    output.previousSlant = slant;
    output.previousStep = now;
}

void CopyIdent(int receiver, const nav::TunedNavStation& station) {
    SetStationIdent(receiver, station.ident);
    theNavReceiverWords.identsActive = 1;
}

void UpdateIdent(const nav::TunedNavStation& station, int receiver) {
    const AudioPanel& audio = theAudioPanelButtons;
    if (receiver == 3) {
        if (audio.audioMixDME != 0)
            CopyIdent(devices::BeaconSound::kDme, station);
        else
            EmptyStationIdent(devices::BeaconSound::kDme);
        return;
    }
    const int r = receiver == 1 ? devices::BeaconSound::kNav1 : devices::BeaconSound::kNav2;
    const std::int32_t identOn =
        receiver == 1 ? theNavReceiverWords.nav1IdentGlobal : theNavReceiverWords.nav2IdentGlobal;
    const std::int32_t ownAudio = receiver == 1 ? audio.audioMixNav1 : audio.audioMixNav2;
    if (identOn != 0 && (ownAudio != 0 || audio.audioMixDME != 0)) {
        CopyIdent(r, station);
        devices::theBeaconSound.navStates[r] = (station.flags & kStationDme) != 0 ? 2 : 1;
    } else {
        EmptyStationIdent(r);
    }
}

// The RMI needle of a NAV receiver: the relative bearing of the station, parked without signal.
std::int16_t RmiNeedle(std::uint16_t stationBearing, bool signal) {
    if (!signal) return kParked;
    const std::uint16_t r =
        static_cast<std::uint16_t>(stationBearing - flight::theFlightModelState.fmHead + 32768);
    return static_cast<std::int16_t>(r / 182);
}

void PublishCourseIndicator(PanelGauge& g, std::int32_t value, std::uint16_t direction) {
    if (direction == 0 && g.navFlag2 == 0) return;
    SetWord(g.courseNeedle, Clamp(value, -20, 20), g.dirty);
    SetWord(g.toFrom, direction, g.dirty);
    SetWord(g.navFlag2, direction, g.dirty);
}

void PublishGlideSlope(const NavReceiverOutput& output, int receiver, std::uint16_t classFlags) {
    if ((classFlags & kStationGlideSlope) == 0) return;
    if (!GlideSlopeFlagRaised(receiver)) {
        ResetGlideSlopeFlags(receiver);
        return;
    }
    const std::int32_t needle = GlideSlopeNeedleValue(output.glideSlope);
    if (receiver == 2 || C172Kind(AircraftType())) {
        PanelGauge& g = receiver == 1 ? theNav1Indicator : theNav2Indicator;
        SetWord(g.glideSlopeNeedle, Clamp(needle, -25, 25), g.dirty);
        return;
    }
    SetWord(theHsiGauge.glideSlope, needle, theHsiGauge.dirty);
    if (TurbineKind(AircraftType()))
        SetWord(theAttitudeIndicator.glideSlopeNeedle, Clamp(needle, -25, 25),
                theAttitudeIndicator.dirty);
}

void PublishNav1(const NavReceiverOutput& output, std::uint16_t classFlags) {
    const int t = AircraftType();
    theNavReceiverWords.vor1_dir_flag = output.direction;
    const std::int32_t value = CourseNeedleValue(output.deviation);
    const bool signal = output.direction != 0;
    if (C172Kind(t)) {
        PublishCourseIndicator(theNav1Indicator, value, output.direction);
    } else {
        SetWord(theHsiGauge.courseDeviation, value, theHsiGauge.dirty);
        SetWord(theHsiGauge.toFrom, output.direction, theHsiGauge.dirty);
        SetWord(theHsiGauge.signalFlag, output.direction, theHsiGauge.dirty);
        if (TurbineKind(t)) {
            PanelGauge& a = theAttitudeIndicator;
            SetWord(a.courseNeedle, Clamp(value, -20, 20), a.dirty);
            SetWord(a.navFlag2, output.direction, a.dirty);
            if (theAdfIndicator.buttons[0] != 0)
                SetWord(theAdfIndicator.needle, RmiNeedle(output.bearing, signal),
                        theAdfIndicator.dirty);
        }
    }
    UpdateNav1CourseAngle();
    if (output.deviation == 0 && output.direction == 0 && theNav1Radio.buttons[0] != 0)
        EmptyStationIdent(devices::BeaconSound::kNav1);
    PublishGlideSlope(output, 1, classFlags);
}

void PublishNav2(const NavReceiverOutput& output, std::uint16_t classFlags) {
    const int t = AircraftType();
    theNavReceiverWords.vor2_dir_flag = output.direction;
    const std::int32_t value = CourseNeedleValue(output.deviation);
    if (!TurbineKind(t)) {
        PublishCourseIndicator(theNav2Indicator, value, output.direction);
    } else {
        SetWord(theNav2Indicator.navFlag2, output.direction, theNav2Indicator.dirty);
        if (theAdfIndicator.buttons[1] != 0)
            SetWord(theAdfIndicator.needle2, RmiNeedle(output.bearing, output.direction != 0),
                    theAdfIndicator.dirty);
    }
    theNavReceiverWords.vor2_obs_pd =
        static_cast<std::uint16_t>(std::trunc(theNavReceiverWords.vor2_obs_setting * 182.04 + 0.5));
    // A station no longer heard is no longer keyed, on NAV2 as on NAV1.
    if (output.deviation == 0 && output.direction == 0 && theNav2Radio.buttons[0] != 0)
        EmptyStationIdent(devices::BeaconSound::kNav2);
    PublishGlideSlope(output, 2, classFlags);
}

// The autopilot follows NAV1. The receivers never ask it to steer to the station's bearing; the
// passage latch is armed while a VOR is close (the distance word is tenths of a mile).
void PublishAutopilotInput(const NavReceiverOutput& output, std::uint16_t classFlags,
                           bool glideSlopeValid) {
    nav::AutopilotNavInput& in = nav::theAutopilotNavInput;
    in.signalValid = output.direction != 0 ? 1 : 0;
    in.courseDeviation = output.deviation;
    const double nm = output.range * kNmPerWorldUnit;
    const double tenths = std::trunc(nm * 10.0);
    in.distance = static_cast<std::uint16_t>(tenths > 65535.0 ? 65535.0 : tenths);
    std::uint8_t flags = 0;
    const bool vor = (classFlags & kStationVor) != 0;
    if (vor && output.direction != 0 && nm < kCloseToStationNm) flags |= 0x02;
    if (glideSlopeValid && output.direction != 0) flags |= 0x10;
    in.flags = flags;
    // The autopilot adds the local variation back: a localizer's course is a direction on the
    // world grid, a VOR's selected course a magnetic one.
    in.selectedCourse =
        vor ? theNavReceiverWords.vor1_obs_pd
            : static_cast<std::uint16_t>(output.localizerCourse - world::theMagneticVariation);
    in.bearing = static_cast<std::uint16_t>(output.bearing + 0x8000);
    in.glideSlopeDeviation = static_cast<std::uint8_t>(static_cast<std::int8_t>(output.glideSlope));
    const nav::TunedNavStation& station = nav::theNav1Station;
    in.localizer = vor ? 0 : 1;
    in.rangeMetres = output.range / 256;
    in.glideSlopeRangeMetres =
        vor ? 0 : static_cast<std::uint32_t>(RangeTo(station.x2, station.z2) / 256.0);
    in.glideSlopeAngle = vor ? 0 : station.glideSlopeAngle;
}

void Publish(const NavReceiverOutput& output, int receiver, std::uint16_t classFlags) {
    if (receiver == 1) {
        PublishNav1(output, classFlags);
        PublishAutopilotInput(output, classFlags, GlideSlopeFlagRaised(1));
    } else if (receiver == 2) {
        PublishNav2(output, classFlags);
    } else {
        // The hold receiver shows through NAV2's direction and status, which the DME window
        // reads in HLD; it moves no needle.
        theNavReceiverWords.vor2_dir_flag = output.direction;
        NavReceiverOutput& nav2 = theNavReceiverOutputs[1];
        nav2.flags = static_cast<std::uint8_t>((nav2.flags & ~(kStatusDme | kStatusVor)) |
                                               (output.flags & (kStatusDme | kStatusVor)));
        if (output.station != 0) nav2.station = output.station;
    }
}

std::uint8_t StatusOf(std::uint16_t classFlags) {
    std::uint8_t s = 0;
    if (classFlags & kStationDme) s |= kStatusDme;
    if (classFlags & kStationVor) s |= kStatusVor;
    if (classFlags & kStationLocalizerFamily) s |= kStatusLocalizer;
    if (classFlags & kStationGlideSlope) s |= kStatusGlideSlope;
    return s;
}

void NotHeard(NavReceiverOutput& output, int receiver) {
    output.dmeCountdown = 12;
    output.dmeDistance = 0;
    output.direction = 0;
    output.deviation = 0;
    output.glideSlope = 0;
    output.station = 0;
    output.flags = 0;
    output.previousSlant = -1.0;
    ResetGlideSlopeFlags(receiver);
    if (receiver == 3) EmptyStationIdent(devices::BeaconSound::kDme);
    Publish(output, receiver, 0);
}

}  // namespace

int ReceptionRangeNm(std::uint16_t classFlags, std::int32_t a) {
    if ((classFlags & kStationVor) == 0) return 28;
    if (classFlags & kStationHighAltitude) {
        if (a > 60000) return 0;
        if (a > 45000) return 100;
        if (a > 18000) return 130;
        if (a > 14500) return 100;
        if (a <= 1000) return static_cast<int>(a * 0.03) + 10;
        return 40;
    }
    if (classFlags & kStationLowAltitude) {
        if (a > 18000) return 0;
        if (a <= 1000) return static_cast<int>(a * 0.03) + 10;
        return 40;
    }
    if (classFlags & kStationTerminal) {
        if (a > 12000) return 0;
        if (a <= 1000) return static_cast<int>(a * 0.018) + 7;
        return 25;
    }
    if (a > 18000) return 0;
    if (a <= 1000) return static_cast<int>(a * 0.04);
    return 40;
}

bool InGlideSlopeCoverage(const nav::TunedNavStation& station, std::int32_t x, std::int32_t z) {
    const double dx = static_cast<double>(x) - station.x2;
    const double dz = static_cast<double>(z) - station.z2;
    if (std::sqrt(dx * dx + dz * dz) * kNmPerWorldUnit > kGlideSlopeCoverageNm) return false;
    const double course = station.localizerCourse * (2.0 * 3.14159265358979323846 / 65536.0);
    const double ux = std::sin(course), uz = std::cos(course);  // inbound; x east, z north
    if (dx * ux + dz * uz >= 0) return false;                   // at or past the antenna
    // The angle off the course's outbound line, seen from the localizer.
    const double lx = static_cast<double>(x) - station.x;
    const double lz = static_cast<double>(z) - station.z;
    const double out = -(lx * ux + lz * uz);
    const double beside = std::fabs(lx * uz - lz * ux);
    return out > 0 &&
           beside <= out * std::tan(kGlideSlopeSectorDegrees * 3.14159265358979323846 / 180.0);
}

CourseComparison CompareCourse(std::uint16_t courseInput, std::uint16_t reference, bool localizer) {
    const std::uint16_t d = static_cast<std::uint16_t>(courseInput - reference);
    CourseComparison c;
    if (d <= 15474 || d > 50061)
        c.direction = 2;
    else if (d > 17293 && d < 48243)
        c.direction = 1;
    else
        c.direction = 0;
    if (localizer) c.direction = 3;
    std::int32_t e = d;
    const bool toSide = d > 16383 && d < 49152;
    if (toSide) e = 32768 - d;
    const std::int16_t error = static_cast<std::int16_t>(static_cast<std::uint16_t>(e));
    const std::int32_t k = localizer ? 18292 : 4573;
    const std::int32_t band = localizer ? 455 : 1820;
    if (error >= -band && error <= band)
        c.deviation = static_cast<std::int8_t>(-((k * error) >> 16));
    else
        c.deviation = static_cast<std::int8_t>(error < 0 ? 127 : -127);
    return c;
}

std::int32_t CourseNeedleValue(std::int32_t deviation) {
    if (deviation == 0) return 0;
    const double v = deviation * 0.15748;
    return static_cast<std::int32_t>(std::trunc(deviation < 0 ? v - 0.5 : v + 0.5));
}

std::int32_t GlideSlopeNeedleValue(std::int32_t glideSlope) {
    const double v = glideSlope * 0.19685;
    return static_cast<std::int32_t>(std::trunc(glideSlope < 1 ? v - 0.5 : v + 0.5));
}

void UpdateNav1CourseAngle() {
    theNavReceiverWords.vor1_obs_pd =
        static_cast<std::uint16_t>(std::trunc(theNavReceiverWords.vor1_obs_setting * 182.04 + 0.5));
}

void SetStationIdent(int receiver, const std::string& ident) {
    devices::theBeaconSound.SetIdent(receiver, ident);
}

void EmptyStationIdent(int receiver) {
    devices::BeaconSound& b = devices::theBeaconSound;
    if (receiver < 0 || receiver > 3 || b.idents[receiver][0] == '\0') return;
    b.SetIdent(receiver, "");
    for (const char* ident : b.idents)
        if (ident[0] != '\0') return;
    b.Flush();
    theNavReceiverWords.identsActive = 0;
}

void EmptyStationIdents() {
    devices::BeaconSound& b = devices::theBeaconSound;
    b.ClearIdents();
    b.Flush();
    theNavReceiverWords.identsActive = 0;
}

void UpdateNavReceiver(const nav::TunedNavStation& station, NavReceiverOutput& output,
                       int receiver) {
    const int t = AircraftType();
    if (receiver == 1 && !C172Kind(t)) theHsiGauge.classFlags = station.flags;
    const bool heard = receiver == 3 ||
                       (receiver == 1 && (nav::theNavReceptionFlags & nav::kNav1Reception)) ||
                       (receiver == 2 && (nav::theNavReceptionFlags & nav::kNav2Reception));
    if (!heard) {
        NotHeard(output, receiver);
        return;
    }
    const std::uint16_t classFlags = station.flags;
    const int rangeNm = ReceptionRangeNm(classFlags, HeightAboveStation(station));

    const std::uint16_t b = BearingAndRangeFromAircraft(WorldPoint{station.x, station.z}, 0);
    const std::uint32_t range = theBearingRange;
    const bool vor = (classFlags & kStationVor) != 0;
    // A VOR's radials are magnetic at the station.
    const std::uint16_t courseInput =
        vor ? static_cast<std::uint16_t>(b - StationGridOffset(station, receiver)) : b;
    const double distanceNm = std::trunc(range * kNmPerWorldUnit);
    if (distanceNm > rangeNm) {
        NotHeard(output, receiver);
        return;
    }

    CourseComparison c;
    output.glideSlope = 0;
    if (vor) {
        const std::uint16_t obs =
            receiver == 1 ? theNavReceiverWords.vor1_obs_pd : theNavReceiverWords.vor2_obs_pd;
        c = CompareCourse(courseInput, obs, false);
        ResetGlideSlopeFlags(receiver);
    } else {
        c = CompareCourse(courseInput, station.localizerCourse, true);
        // The marker beacons are heard wherever their fans are.
        const flight::FlightModelState& fm = flight::theFlightModelState;
        if ((classFlags & kStationGlideSlope) &&
            (classFlags & (kStationOuterMarker | kStationMiddleMarker | kStationInnerMarker)))
            UpdateMarkers(station);
        // Outside its coverage (behind the antenna, beside the approach or too far out) a glide
        // slope sends nothing a receiver can use: its flag shows.
        if ((classFlags & kStationGlideSlope) &&
            !InGlideSlopeCoverage(station, fm.fmPosX, fm.fmPosZ)) {
            ResetGlideSlopeFlags(receiver);
        } else if (classFlags & kStationGlideSlope) {
            RaiseGlideSlopeFlag(receiver);
            // The elevation angle of the aircraft seen from the glide-slope antenna.
            const double height = AircraftHeightWorld() - station.elevation * 256.0;
            const std::int64_t up = static_cast<std::int64_t>(height < 0 ? 0 : height);
            const std::uint16_t elevation =
                VectorBearing(up, static_cast<std::int64_t>(RangeTo(station.x2, station.z2)));
            const std::int32_t value = static_cast<std::int16_t>(
                static_cast<std::uint16_t>(elevation - station.glideSlopeAngle));
            output.glideSlope = static_cast<std::int16_t>(Clamp(value, -127, 127));
        } else {
            ResetGlideSlopeFlags(receiver);
        }
    }
    output.direction = c.direction;
    output.deviation = c.deviation;
    output.range = range;
    output.radial = courseInput;
    output.bearing = b;
    output.localizerCourse = station.localizerCourse;
    output.flags = StatusOf(classFlags);
    output.station = static_cast<std::int16_t>(station.frequency == 0 ? 1 : station.frequency);

    const DmeSelector& dme = theDmeSource;
    const std::int32_t mode = receiver == 1 ? dme.dmeN1 : (receiver == 2 ? dme.dmeN2 : dme.dmeHLD);
    if ((classFlags & kStationDme) != 0 && mode != 0) ReadDme(station, output, receiver);
    if (output.direction == 0) output.previousSlant = -1.0;

    UpdateIdent(station, receiver);
    Publish(output, receiver, classFlags);
}

void UpdateAdfReceiver(const nav::TunedNavStation& station) {
    const int t = AircraftType();
    PanelGauge& adf = theAdfIndicator;
    if (TurbineKind(t) && adf.buttons[0] != 0 && adf.buttons[1] != 0) return;
    if (C172Kind(t) && theNav2Indicator.altFace != 0) return;
    bool identCopied = false;
    std::int16_t needle = kParked;
    if (nav::theNavReceptionFlags & nav::kAdfReception) {
        const std::uint16_t b = BearingAndRangeFromAircraft(WorldPoint{station.x, station.z}, 0);
        const double distanceNm = std::trunc(theBearingRange * kNmPerWorldUnit);
        if (distanceNm <= 75) {
            const std::uint16_t r =
                static_cast<std::uint16_t>(b - flight::theFlightModelState.fmHead + 32768);
            needle = r == 0 ? 0 : static_cast<std::int16_t>(std::trunc(r * 0.005493298 + 0.5));
            if (theAdfRadio.buttons[0] != 0 && theAudioPanelButtons.audioMixADF != 0) {
                CopyIdent(devices::BeaconSound::kAdf, station);
                identCopied = true;
            }
        }
    }
    if (TurbineKind(t)) {
        if (adf.buttons[0] == 0) SetWord(adf.needle, needle, adf.dirty);
        if (adf.buttons[1] == 0) SetWord(adf.needle2, needle, adf.dirty);
    } else {
        SetWord(adf.needle, needle, adf.dirty);
    }
    if (!identCopied) EmptyStationIdent(devices::BeaconSound::kAdf);
}

void UpdateNavRadios() {
    if (thePanelHost.simulationHeld() != 0) return;
    if (theMasterSwitch.switchState != 1 || theAvionicsSwitch.switchState != 1) return;
    DmeHold& hold = theDmeHold;
    if (theDmeSource.dmeHLD != 0 && hold.captured == 0 && hold.lastReader != 0) {
        theDmeHoldStation = hold.lastReader == 1 ? nav::theNav1Station : nav::theNav2Station;
        hold.captured = 1;
        hold.fromNav = hold.lastReader;
        theDmeHoldOutput = NavReceiverOutput{};
        theDmeHoldOutput.dmeCountdown = 12;
        hold.lastReader = 0;
    }
    theMarkersLit[0] = theMarkersLit[1] = theMarkersLit[2] = false;
    UpdateNavReceiver(nav::theNav1Station, theNavReceiverOutputs[0], 1);
    UpdateNavReceiver(nav::theNav2Station, theNavReceiverOutputs[1], 2);
    if (theDmeSource.dmeHLD != 0 && hold.captured != 0)
        UpdateNavReceiver(theDmeHoldStation, theDmeHoldOutput, 3);
    UpdateAdfReceiver(nav::theAdfStation);
    PublishMarkers();
    const NavReceiverWords& w = theNavReceiverWords;
    if (theNav1Radio.bearingMode != 0) {
        theNav1Radio.bearing = w.vor1_dir_flag != 0 ? w.vor1_obs_setting : -1;
        theNav1Radio.dirty = 1;
    }
    if (theNav2Radio.bearingMode != 0) {
        theNav2Radio.bearing = w.vor2_dir_flag != 0 ? w.vor2_obs_setting : -1;
        theNav2Radio.dirty = 1;
    }
}

void CenterNavIndicators() {
    const int t = AircraftType();
    auto centre = [](PanelGauge& g) {
        SetWord(g.courseNeedle, 0, g.dirty);
        SetWord(g.glideSlopeNeedle, 0, g.dirty);
        SetWord(g.toFrom, 0, g.dirty);
        SetWord(g.navFlag1, 0, g.dirty);
        SetWord(g.navFlag2, 0, g.dirty);
    };
    if (C172Kind(t)) {
        centre(theNav1Indicator);
    } else {
        HsiGauge& h = theHsiGauge;
        h.courseDeviation = h.toFrom = h.glideSlope = 0;
        h.signalFlag = h.glideSlopeFlag = 0;
        h.dirty = 1;
        if (TurbineKind(t)) {
            centre(theAttitudeIndicator);
            SetWord(theAdfIndicator.needle, kParked, theAdfIndicator.dirty);
        }
    }
    centre(theNav2Indicator);
    theDmeRadio.dirty = 1;
    // The ADF needle of the piston types and the RMI's second needle.
    if (!TurbineKind(t)) SetWord(theAdfIndicator.needle, kParked, theAdfIndicator.dirty);
    SetWord(theAdfIndicator.needle2, kParked, theAdfIndicator.dirty);
    nav::theAutopilotNavInput = nav::AutopilotNavInput{};
}

void ResetNavReceivers() {
    theNavReceiverOutputs[0] = theNavReceiverOutputs[1] = NavReceiverOutput{};
    theDmeHoldOutput = NavReceiverOutput{};
    theDmeHold = DmeHold{};
    theDmeHoldStation = nav::TunedNavStation{};
    theNavReceiverWords = NavReceiverWords{};
    for (StationGrid& g : theStationGrids)
        g = StationGrid{};
    theMarkersLit[0] = theMarkersLit[1] = theMarkersLit[2] = false;
    nav::theAutopilotNavInput = nav::AutopilotNavInput{};
    devices::theBeaconSound.ClearIdents();
    for (std::uint32_t& s : devices::theBeaconSound.navStates)
        s = 0;
}

}  // namespace cockpit
