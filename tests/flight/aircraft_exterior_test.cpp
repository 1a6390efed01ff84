// The aircraft's exterior: the type's shape taken from the world's cache and given back, an
// instance whose sequence values are the part slots, and the running propeller shown only
// while its engine runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flight/aircraft.h"
#include "flight/flight_harness.h"
#include "flight/flight_model_state.h"
#include "flight/flight_world_services.h"
#include "ts/shape.h"

namespace {

using flight::Aircraft;

// A cache of one shape with sixteen sequences, counting what is asked of it.
struct FakeCache {
    static inline std::vector<std::string> asked;
    static inline int held = 0;
    static inline ts::TSShape* shape = nullptr;
    static ts::TSShape* Acquire(const char* name) {
        asked.emplace_back(name);
        ++held;
        return shape;
    }
    static void Release(ts::TSShape* s) {
        if (s == shape) --held;
    }
};

struct Exterior : ::testing::Test {
    void SetUp() override {
        shape.sequenceLengths.assign(16, 30);
        FakeCache::asked.clear();
        FakeCache::held = 0;
        FakeCache::shape = &shape;
    }
    // After the harness is made (it puts the default services in).
    static void InstallCache() {
        flight::theFlightWorldServices.acquireShape = &FakeCache::Acquire;
        flight::theFlightWorldServices.releaseShape = &FakeCache::Release;
    }
    ts::TSShape shape;
};

TEST_F(Exterior, EachTypeTakesItsShapeAndGivesItBack) {
    const char* names[6] = {"172", "bonanza", "baron", "kingair", "citation", "172"};
    const float offsets[6] = {0.7757576f, 0.0f, 0.7757576f, 0.0f, 1.5515151f, 0.7757576f};
    for (int type = 0; type < 6; ++type) {
        flighttest::FlightHarness h(0);
        InstallCache();
        {
            Aircraft a;
            a.SelectByType(type);
            ASSERT_FALSE(FakeCache::asked.empty());
            EXPECT_EQ(FakeCache::asked.back(), names[type]);
            EXPECT_EQ(a.GetShapeName(), names[type]);
            EXPECT_EQ(a.GetShape(), &shape);
            ASSERT_NE(a.GetShapeInstance(), nullptr);
            EXPECT_EQ(a.GetShapeInstance()->GetShape(), &shape);
            EXPECT_FLOAT_EQ(a.GetModelHeightOffset(), offsets[type]);
            EXPECT_EQ(FakeCache::held, 1) << "a reselection gives the old shape back first";
            a.ReleaseArt();
            EXPECT_EQ(a.GetShapeInstance(), nullptr);
            EXPECT_EQ(FakeCache::held, 0);
        }
    }
    // Without the shape the aircraft still animates its slots.
    FakeCache::shape = nullptr;
    flighttest::FlightHarness h(0);
    InstallCache();
    Aircraft a;
    a.SelectByType(1);
    EXPECT_EQ(a.GetShapeInstance(), nullptr);
    a.AnimateGearUp();
    for (int i = 0; i < 90; ++i) a.AnimateParts();
    EXPECT_EQ(a.GetSlotValue(9), 16u);
}

TEST_F(Exterior, TheSlotsAreTheInstancesSequenceValues) {
    flighttest::FlightHarness h(0);
    InstallCache();
    flight::theFlightModelState.fmEngines = 0;
    Aircraft a;
    a.SelectByType(2);
    ts::TSSequenceState* state = a.GetShapeInstance()->GetSequenceState();
    ASSERT_NE(state, nullptr);
    // Parked: the running propellers show nothing (a value past their frames).
    EXPECT_EQ(state->Value(1), 8u);
    EXPECT_EQ(state->Value(3), 8u);
    a.AnimateGearUp();
    for (int i = 0; i < 3 * 30; ++i) a.AnimateParts();
    for (int e = 9; e <= 15; ++e) EXPECT_EQ(state->Value(e), a.GetSlotValue(e)) << e;
    EXPECT_EQ(state->Value(10), 22u);
    // A running engine's propeller turns through its frames; stopped, it shows nothing again.
    a.SetPropellerRunning(0);
    std::vector<std::uint32_t> seen;
    for (int i = 0; i < 8; ++i) {
        a.AnimateParts();
        seen.push_back(state->Value(1));
    }
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 0}));
    a.StopPropeller(0);
    EXPECT_EQ(state->Value(1), 8u);
    EXPECT_EQ(state->Value(0), 0u) << "the turning part plays its spin-down from frame 0";
    // Lights write their slots too.
    a.ShowBeaconLight(1);
    EXPECT_EQ(state->Value(6), 1u);
    // A situation read with the engines running brings the propellers back.
    flight::theFlightModelState.fmEngines = 3;
    a.ApplyPartStates();
    a.AnimateParts();
    EXPECT_LT(state->Value(1), 8u);
    EXPECT_LT(state->Value(3), 8u);
}

}  // namespace
