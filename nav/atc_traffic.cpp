// The traffic in the pattern: two aircraft that fly the user's circuit from place to place, and
// the tower's exchanges with them on the frequency.
#include "nav/atc_traffic.h"

#include <array>
#include <cmath>
#include <string>

#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "win/program_entry.h"
#include "world/traffic_aircraft.h"

namespace nav {

namespace {

// The world's aircraft and what the ATC adds to each: the id of its last call and its voice.
struct AtcTraffic {
    world::TrafficAircraft aircraft;
    std::int16_t call = 0;
    std::int16_t voice = 0;
};

std::array<AtcTraffic, 2>& Traffic() {
    static std::array<AtcTraffic, 2> traffic = [] {
        std::array<AtcTraffic, 2> t;
        t[0].aircraft.index = 0;
        t[1].aircraft.index = 1;
        t[0].aircraft.other = &t[1].aircraft;
        t[1].aircraft.other = &t[0].aircraft;
        return t;
    }();
    return traffic;
}

// The pattern as the traffic reads it: one row of three values (x, y, arrival distance) per
// place.
double thePlaces[kAtcPatternRows][3] = {};

world::TrafficAircraft& Aircraft(int n) {
    return Traffic()[static_cast<std::size_t>(n & 1)].aircraft;
}

void Destination(world::TrafficAircraft& t, int row) {
    const AtcPatternPoint& p = theAtcState.pattern[static_cast<std::size_t>(row)];
    t.targetX = static_cast<std::int32_t>(p.x);
    t.targetZ = static_cast<std::int32_t>(p.y);
}

}  // namespace

AtcTrafficFields AtcTrafficFieldsOf(int n) {
    AtcTraffic& t = Traffic()[static_cast<std::size_t>(n & 1)];
    world::TrafficAircraft& a = t.aircraft;
    return AtcTrafficFields{&a.index, &a.place, &t.call, &t.voice, &a.targetX, &a.targetZ,
                            &a.x,     &a.z,     &a.distance, &a.course, &a.active, &a.model};
}

bool AtcTrafficPlacesValid() {
    for (int n = 0; n < 2; ++n) {
        const int p = Aircraft(n).place;
        if (p != 0 && (p < 3 || p > 10)) return false;
    }
    return true;
}

bool AtcTrafficHolds(int place) {
    if (theAtcState.vPilots == 0) return false;
    for (int n = 0; n < 2; ++n)
        if (Aircraft(n).active != 0 && Aircraft(n).place == place) return true;
    return false;
}

bool AtcTrafficNearing(int place, double distance) {
    if (theAtcState.vPilots == 0) return false;
    for (int n = 0; n < 2; ++n)
        if (Aircraft(n).active != 0 && Aircraft(n).place == place &&
            Aircraft(n).distance < distance)
            return true;
    return false;
}

bool AtcTrafficLandsWithin(double seconds) {
    if (theAtcState.vPilots == 0) return false;
    // The traffic moves once every third tick of 1/18.2 s.
    constexpr double kStepsPerSecond = 18.2 / 3.0;
    const AtcPatternPoint& baseEnd = theAtcState.pattern[9];
    const AtcPatternPoint& threshold = theAtcState.pattern[3];
    const double finalLength = std::hypot(baseEnd.x - threshold.x, baseEnd.y - threshold.y);
    for (int n = 0; n < 2; ++n) {
        const world::TrafficAircraft& a = Aircraft(n);
        if (a.active == 0 || (a.place != 8 && a.place != 9)) continue;
        const float* perf = a.performance != nullptr ? a.performance : world::TrafficPerformanceRow(0);
        // It touches down (leaves final) this far before the point it flies to on final.
        const double touchdown = perf[world::kTrafficDescentStart] * 0.75;
        const double ahead = a.distance + (a.place == 8 ? finalLength : 0.0) - touchdown;
        const double speed = perf[world::kTrafficSpeed] * kStepsPerSecond;
        if (ahead < seconds * speed) return true;
    }
    return false;
}

int AtcTrafficPlace(int aircraft) {
    return Aircraft(aircraft).place;
}

int AtcTrafficModel(int aircraft) {
    return static_cast<int>(Aircraft(aircraft).model);
}

void AtcPublishCircuit() {
    const AtcState& a = theAtcState;
    for (int r = 0; r < kAtcPatternRows; ++r) {
        const AtcPatternPoint& p = a.pattern[static_cast<std::size_t>(r)];
        thePlaces[r][0] = p.x;
        thePlaces[r][1] = p.y;
        thePlaces[r][2] = static_cast<double>(p.arrive);
    }
    world::TrafficCircuit& c = world::theTrafficCircuit;
    c.runwayHeading = a.rwyAngle;
    c.leftHand = a.lHand;
    c.circuitAltitude = a.patAlt;
    c.groundElevation = a.RwyElev != 0 ? a.RwyElev : a.elev;
    c.places = thePlaces;
    c.placeCount = kAtcPatternRows;
    c.showShapes = a.seeVP;
}

void AtcSpawnTraffic() {
    AtcPublishCircuit();
    for (int n = 0; n < 2; ++n) {
        AtcTraffic& t = Traffic()[static_cast<std::size_t>(n)];
        t.aircraft.index = static_cast<std::uint16_t>(n);
        // The two traffic pilots sound different: each speaks in the voice of its number.
        t.voice = static_cast<std::int16_t>(n);
        t.call = 0;
        t.aircraft.Spawn();
    }
}

void AtcTrafficChooseDestinations(int from) {
    AtcPublishCircuit();
    for (int n = 0; n < 2; ++n) {
        if (from <= 0)
            Aircraft(n).ChooseDestination();
        else
            Aircraft(n).ChooseDestinationFrom(from);
    }
}

void AtcTrafficStep(int n) {
    AtcTraffic& t = Traffic()[static_cast<std::size_t>(n & 1)];
    world::TrafficAircraft& a = t.aircraft;
    const float* perf = a.performance != nullptr ? a.performance : world::TrafficPerformanceRow(0);
    // The model's distances: points along the circuit, the climb after take-off, the descent on
    // final.
    const double d1 = perf[world::kTrafficDistance];
    const double d2 = perf[world::kTrafficClimbStart];
    const double d3 = perf[world::kTrafficDescentStart];
    struct Move {
        int place;
        double within;
        int next;
        int call;
        int row;
        bool spoken;
    };
    const Move moves[] = {
        {3, d2 * 0.75, 10, 16, 5, true}, {4, d1, 5, 10, 6, false}, {5, d1, 6, 11, 7, true},
        {6, d1, 7, 11, 8, true},         {7, d1, 8, 12, 9, true},  {8, d1, 9, 0, 3, true},
        {9, d3 * 0.75, 3, 13, 4, true},  {10, 512, 4, 7, 6, false},
    };
    for (const Move& m : moves) {
        if (a.place != m.place) continue;
        if (!(a.distance < m.within)) return;
        if (m.place == 9 && AtcUserOnRunway() && !AtcUserRolling()) {
            // The runway is not clear: the traffic goes around instead of landing over the
            // aircraft standing on it, climbing along the runway to rejoin the pattern. Behind a
            // departure that has begun its roll it lands.
            a.place = 10;
            t.call = 16;
            Destination(a, 5);
            win::TraceLine("atc: traffic " + std::to_string(n & 1) + " goes around");
            if (theAtcState.towerTuned != 0) theAtcSpeech.SayTrafficCall(n & 1);
            return;
        }
        if (m.place == 8 || m.place == 9)
            win::TraceLine("atc: traffic " + std::to_string(n & 1) +
                           (m.place == 8 ? " turns final" : " lands"));
        a.place = static_cast<std::uint16_t>(m.next);
        t.call = static_cast<std::int16_t>(m.call);
        Destination(a, m.row);
        if (m.place == 7) a.SteerToTarget();
        if (m.spoken && theAtcState.towerTuned != 0) theAtcSpeech.SayTrafficCall(n & 1);
        return;
    }
}

void AtcMoveTraffic() {
    if (theAtcState.vPilots == 0) return;
    for (int n = 0; n < 2; ++n)
        if (Aircraft(n).active != 0) Aircraft(n).Fly();
}

void AtcResetTraffic() {
    for (int n = 0; n < 2; ++n)
        Aircraft(n).ChangeModel();
}

double AtcDistanceToTraffic(int n) {
    double at[3];
    flight::GetAircraftWorldPosition(at);
    const world::TrafficAircraft& a = Aircraft(n);
    return std::hypot(at[0] - a.x, at[1] - a.z);
}

// The call of a traffic aircraft and the tower's answer, spoken on the tower frequency.
int AtcTrafficCall(int n, int* voice, int* model) {
    const AtcTraffic& t = Traffic()[static_cast<std::size_t>(n & 1)];
    *voice = t.voice;
    *model = static_cast<int>(t.aircraft.model);
    return t.call;
}

}  // namespace nav
