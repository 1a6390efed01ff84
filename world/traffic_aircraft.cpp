#include "world/traffic_aircraft.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/numeric.h"

namespace world {

TrafficCircuit theTrafficCircuit;

namespace {

constexpr double kTrafficAircraftPi = 3.14159265358979323846;

// The five traffic models: a Cessna 182, a Cessna 310, a Piper Archer, a Mooney and a Learjet;
// each shape's origin stands 4, 4, 3, 3 and 3.5 ft above its wheels.
constexpr TrafficModel kModels[kTrafficModels] = {{"c182_1", 3.1030303f, 0},
                                                  {"c310_1", 3.1030303f, 2},
                                                  {"arch_1", 2.3272727f, 0},
                                                  {"moon_1", 2.3272727f, 1},
                                                  {"lear_1", 2.7151515f, 4}};

std::array<std::array<float, kTrafficPerformanceValues>, kTrafficModels> MakeRows() {
    std::array<std::array<float, kTrafficPerformanceValues>, kTrafficModels> rows{};
    for (int r = 0; r < kTrafficModels; ++r) {
        const double climb = (r == 4 ? 10.0 : 7.0) * kTrafficAircraftPi / 180.0;
        const double descent = 4.0 * kTrafficAircraftPi / 180.0;
        auto& v = rows[static_cast<std::size_t>(r)];
        v[kTrafficSpeed] = 17.46891f;
        v[kTrafficTurnRate] = r == 3 ? 0.8333333f : 0.5f;
        v[kTrafficDistance] = r == 3 ? 1201.0739f : 2001.7897f;
        v[kTrafficRollRate] = 1.6666666f;
        v[kTrafficMaxBank] = 30.0f;
        v[kTrafficClimbStart] = static_cast<float>(775.75757 / std::tan(climb));
        v[kTrafficClimbStep] = static_cast<float>(std::sin(climb) * 22.518518);
        v[kTrafficClimbPitch] = r == 4 ? 10.0f : 7.0f;
        v[kTrafficDescentStart] = static_cast<float>(775.75757 / std::tan(descent));
        v[kTrafficDescentStep] = static_cast<float>(std::sin(descent) * 22.518518);
        v[kTrafficDescentPitch] = 4.0f;
    }
    return rows;
}

const std::array<std::array<float, kTrafficPerformanceValues>, kTrafficModels>& Rows() {
    static const auto rows = MakeRows();
    return rows;
}

double TrafficAircraftWrap360(double d) {
    while (d >= 360.0)
        d -= 360.0;
    while (d < 0.0)
        d += 360.0;
    return d;
}

Artifact* NoShape(const char*) {
    return nullptr;
}
void NoDestroy(Artifact*) {}
void NoPlace(Artifact*, const double*, const float*) {}

// The place's row of the table, or null.
const double* PlaceRow(int p) {
    const TrafficCircuit& c = theTrafficCircuit;
    if (c.places == nullptr || p < 0 || p >= c.placeCount) return nullptr;
    return c.places[p];
}

}  // namespace

TrafficShapeServices NoTrafficShapes() {
    return TrafficShapeServices{&NoShape, &NoDestroy, &NoPlace};
}

TrafficShapeServices theTrafficShapeServices = NoTrafficShapes();

const TrafficModel& TrafficModelRow(int model) {
    return kModels[(model >= 0 && model < kTrafficModels) ? model : 0];
}

const float* TrafficPerformanceRow(int row) {
    return Rows()[static_cast<std::size_t>((row >= 0 && row < kTrafficModels) ? row : 0)].data();
}

float TrafficAircraft::Value(int i) const {
    const float* p = performance != nullptr ? performance : TrafficPerformanceRow(0);
    return p[i];
}

void TrafficAircraft::Spawn() {
    ChooseModel();
    ChooseSector();
    ChooseStartPlace();
    PlaceShape();
}

void TrafficAircraft::ChangeModel() {
    ChooseModel();
    PlaceShape();
}

void TrafficAircraft::ChooseModel() {
    int m = core::rand() / 6553;
    if (m > 4) m = 0;
    for (int tries = 0; tries < kTrafficModels && other != nullptr &&
                        other->model == static_cast<std::uint32_t>(m);
         ++tries)
        m = m + 1 > 4 ? 0 : m + 1;
    model = static_cast<std::uint32_t>(m);
    performance = TrafficPerformanceRow(kModels[m].performanceRow);
    if (theTrafficCircuit.showShapes != 0) {
        // The new model's shape replaces the old one's.
        if (shape != nullptr) theTrafficShapeServices.destroy(shape);
        shape = theTrafficShapeServices.create(kModels[m].shape);
    }
}

void TrafficAircraft::ChooseSector() {
    int s = core::rand() / 3640;
    // Wrapped first, so the step past the first aircraft's sector cannot land on it again.
    if (s > 8) s = 0;
    if (index == 1 && other != nullptr && other->sector == s) s = s + 1 > 8 ? 0 : s + 1;
    sector = static_cast<std::uint16_t>(s);
}

void TrafficAircraft::TakePlace(int p) {
    place = static_cast<std::uint16_t>(p);
    if (const double* row = PlaceRow(p)) {
        x = static_cast<std::int32_t>(row[0]);
        z = static_cast<std::int32_t>(row[1]);
    }
    // Each place leads to the next; the final approach (9) back to the threshold (3).
    if (const double* next = PlaceRow(p == 9 ? 3 : p + 1)) {
        targetX = static_cast<std::int32_t>(next[0]);
        targetZ = static_cast<std::int32_t>(next[1]);
    }
    SteerToTarget();
    heading = static_cast<float>(course);
    altitude = static_cast<float>(theTrafficCircuit.circuitAltitude);
}

void TrafficAircraft::ChooseStartPlace() {
    int p = core::rand() / 8191 + 4;
    if (p > 8) p = 4;
    for (int tries = 0; tries < 5 && OtherHolds(p); ++tries)
        p = p + 1 > 8 ? 4 : p + 1;
    TakePlace(p);
    verticalMode = 0;
    active = 1;
}

void TrafficAircraft::ChooseDestination() {
    ChooseDestinationFrom(0);
}

void TrafficAircraft::ChooseDestinationFrom(int current) {
    static const int kFrom6[5] = {3, 4, 5, 8, 9};
    static const int kFrom8[5] = {4, 5, 6, 7, 9};
    static const int kAny[5] = {4, 5, 6, 7, 8};
    const int* candidates = current == 6 ? kFrom6 : (current == 8 ? kFrom8 : kAny);
    int i = std::min(core::rand() / 8191, 4);
    for (int tries = 0; tries < 5 && OtherHolds(candidates[i]); ++tries)
        i = i + 1 > 4 ? 0 : i + 1;
    TakePlace(candidates[i]);
}

void TrafficAircraft::SteerToTarget() {
    const double dx = static_cast<double>(x) - targetX;
    const double dz = static_cast<double>(z) - targetZ;
    distance = core::SaturateToInt32(std::sqrt(dx * dx + dz * dz));
    // The bearing of the offset as a binary angle, then in degrees at 1/182 of a degree per
    // unit (as the tower's own bearings are), turned round to point at the target.
    const auto angle = static_cast<std::uint16_t>(
        static_cast<std::int64_t>(std::lround(std::atan2(dx, dz) * 32768.0 / kTrafficAircraftPi)) &
        0xFFFF);
    double bearing = angle * 0.005494505494505495 + 180.0;
    if (bearing >= 360.0) bearing -= 360.0;
    const TrafficCircuit& c = theTrafficCircuit;
    double desired = bearing;
    switch (place) {
        case 3:
        case 4:
        case 9:
        case 10:
            desired = c.runwayHeading;
            break;
        case 5:
            desired = c.runwayHeading + (c.leftHand != 0 ? -90.0 : 90.0);
            break;
        case 6:
        case 7:
            desired = c.runwayHeading + 180.0;
            break;
        case 8:
            desired = c.runwayHeading + (c.leftHand != 0 ? 90.0 : -90.0);
            break;
        default:
            break;
    }
    desired = TrafficAircraftWrap360(desired);
    // The shorter way round: a track of 359 degrees is one degree from a bearing of 0.
    double off = desired - bearing;
    if (off > 180.0) off -= 360.0;
    if (off < -180.0) off += 360.0;
    const double correction = std::clamp(off * 8.0, -45.0, 45.0);
    course = TrafficAircraftWrap360(bearing - correction);
}

void TrafficAircraft::Fly() {
    SteerToTarget();
    // Compass heading to the mathematical angle (x east, z north).
    double a = 360.0 - heading + 90.0;
    if (a >= 360.0) a -= 360.0;
    a *= kTrafficAircraftPi / 180.0;
    const double speed = Value(kTrafficSpeed);
    x = core::SaturateToInt32(std::cos(a) * speed + x);
    z = core::SaturateToInt32(std::sin(a) * speed + z);

    const TrafficCircuit& c = theTrafficCircuit;
    if (place == 3 && verticalMode == 0 && distance < Value(kTrafficClimbStart)) verticalMode = 1;
    if (place == 9 && verticalMode == 0 && distance < Value(kTrafficDescentStart))
        verticalMode = 2;
    if (verticalMode == 1) {
        if (altitude < c.circuitAltitude) altitude += Value(kTrafficClimbStep);
        if (altitude >= c.circuitAltitude) {
            altitude = static_cast<float>(c.circuitAltitude);
            verticalMode = 0;
        }
    } else if (verticalMode == 2) {
        if (altitude > c.groundElevation) altitude -= Value(kTrafficDescentStep);
        if (altitude <= c.groundElevation) {
            altitude = static_cast<float>(c.groundElevation);
            verticalMode = 0;
        }
    }

    const float turn = Value(kTrafficTurnRate), roll = Value(kTrafficRollRate);
    const double diff = course - heading;
    if (std::fabs(diff) <= turn) {
        heading = static_cast<float>(course);
        bank = std::fabs(bank) <= roll ? 0.0f : bank - std::copysign(roll, bank);
    } else if ((diff > 0.0 && diff < 180.0) || diff < -180.0) {
        heading += turn;
        if (bank < Value(kTrafficMaxBank)) bank += roll;
    } else {
        heading -= turn;
        if (bank > -Value(kTrafficMaxBank)) bank -= roll;
    }
    if (heading < 0.0f) heading += 360.0f;
    if (heading > 360.0f) heading -= 360.0f;
    const float target = verticalMode == 1 ? Value(kTrafficClimbPitch)
                                           : (verticalMode == 2 ? Value(kTrafficDescentPitch) : 0.0f);
    if (std::fabs(target - pitch) <= 1.0f)
        pitch = target;
    else
        pitch += target > pitch ? 1.0f : -1.0f;
    PlaceShape();
}

void TrafficAircraft::PlaceShape() {
    if (shape == nullptr || theTrafficCircuit.showShapes == 0) return;
    const double position[3] = {static_cast<double>(x), static_cast<double>(z),
                                altitude * 0.77575755 + TrafficModelRow(static_cast<int>(model)).heightOffset};
    const float d2r = static_cast<float>(kTrafficAircraftPi / 180.0);
    const float rotation[3] = {pitch * d2r, bank * d2r, -heading * d2r};
    theTrafficShapeServices.place(shape, position, rotation);
}

}  // namespace world
