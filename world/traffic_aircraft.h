// The two traffic aircraft that fly a circuit round the airport air traffic control has chosen,
// so that the tower has other traffic to sequence. ATC owns the two records, starts and
// re-positions them, and flies them every tick; this module chooses their model, entry sector
// and circuit place, steers them toward the next place and moves them. With the traffic shown
// ("seeVP") each has a visible shape made by the airport objects.
#pragma once

#include <cstdint>

namespace world {

class Artifact;

// Performance values of a model row.
enum TrafficPerformanceValue : int {
    kTrafficSpeed = 0,         // world units per step
    kTrafficTurnRate = 1,      // degrees per step
    kTrafficDistance = 2,      // kept, not used here
    kTrafficRollRate = 3,      // degrees per step
    kTrafficMaxBank = 4,       // degrees
    kTrafficClimbStart = 5,    // distance before place 3 where the climb starts
    kTrafficClimbStep = 6,     // feet per step
    kTrafficClimbPitch = 7,    // degrees
    kTrafficDescentStart = 8,  // distance before place 9 where the descent starts
    kTrafficDescentStep = 9,
    kTrafficDescentPitch = 10,
};
inline constexpr int kTrafficPerformanceValues = 11;
inline constexpr int kTrafficModels = 5;

struct TrafficModel {
    const char* shape;   // at most 8 characters
    float heightOffset;  // shape units from the shape's origin down to its wheels
    int performanceRow;
};
[[nodiscard]] const TrafficModel& TrafficModelRow(int model);
[[nodiscard]] const float* TrafficPerformanceRow(int row);

// What the traffic reads of air traffic control's state for the airport: the active runway,
// the circuit side and altitudes, the circuit place table (rows of three doubles: x and z in
// world units and a third value the traffic does not read), and whether the traffic is shown.
struct TrafficCircuit {
    double runwayHeading = 0.0;    // degrees
    int leftHand = 1;              // circuit side ("lHand")
    double circuitAltitude = 0.0;  // feet
    double groundElevation = 0.0;  // feet
    const double (*places)[3] = nullptr;
    int placeCount = 0;
    int showShapes = 0;  // "seeVP"
};
extern TrafficCircuit theTrafficCircuit;

// How a shown traffic aircraft gets and moves its shape; the airport objects install theirs.
struct TrafficShapeServices {
    Artifact* (*create)(const char* shapeName);
    void (*destroy)(Artifact* shape);
    void (*place)(Artifact* shape, const double position[3], const float rotation[3]);
};
extern TrafficShapeServices theTrafficShapeServices;
[[nodiscard]] TrafficShapeServices NoTrafficShapes();

class TrafficAircraft {
public:
    TrafficAircraft() = default;

    // New model, sector and start place, and the shape placed.
    void Spawn();
    // New model and the shape placed.
    void ChangeModel();
    void ChooseModel();
    void ChooseSector();
    void ChooseStartPlace();
    // A free place among 4..8 (or, from 6 and 8, the places reachable from there).
    void ChooseDestination();
    void ChooseDestinationFrom(int current);
    // The course toward the target that also brings the aircraft onto the place's track.
    void SteerToTarget();
    // One step: steer, move, climb or descend, turn and pitch, and place the shape.
    void Fly();
    void PlaceShape();

    Artifact* shape = nullptr;
    float pitch = 0.0f;
    float bank = 0.0f;
    float heading = 0.0f;   // degrees 0..360
    float altitude = 0.0f;  // feet
    std::uint32_t verticalMode = 0;  // 0 level, 1 climbing, 2 descending
    std::uint16_t index = 0;
    std::uint16_t place = 0;
    std::uint16_t sector = 0;
    std::int32_t targetX = 0;
    std::int32_t targetZ = 0;
    std::int32_t x = 0;
    std::int32_t z = 0;
    std::int32_t distance = 41000;
    double course = 0.0;
    std::uint32_t model = 0;
    const float* performance = nullptr;
    std::uint32_t active = 0;
    // The other record of the pair, whose model, sector and place this one avoids.
    TrafficAircraft* other = nullptr;

private:
    void TakePlace(int p);
    [[nodiscard]] bool OtherHolds(int p) const { return other != nullptr && other->place == p; }
    [[nodiscard]] float Value(int i) const;
};

}  // namespace world
