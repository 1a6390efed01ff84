// Slew: the rate steps and their stops, the joystick rates, the motion of one frame with the flip
// over the top, the floor and the ceiling, and slew replacing the flight step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "flight/flight_world_services.h"
#include "sim/input/key_commands.h"
#include "sim/input/key_names.h"
#include "sim/slew.h"
#include "world/terrain_services.h"

namespace {

using flight::theFlightModelState;
using sim::SlewControl;
using sim::theSlewControl;

class Slew : public ::testing::Test {
protected:
    void SetUp() override {
        theSlewControl = SlewControl{};
        theFlightModelState = flight::FlightModelState{};
        theFlightModelState.fmGearHeight = 496;
        theFlightModelState.fmPosY = 100000;
        world::theMagneticVariation = 0;
    }
    void TearDown() override {
        theSlewControl = SlewControl{};
        theFlightModelState = flight::FlightModelState{};
        world::theMagneticVariation = 0;
        flight::theFlightWorldServices = flight::DefaultFlightWorldServices();
    }
};

TEST_F(Slew, KeyStepsStopAtTheirLimits) {
    const struct {
        const char* what;
        void (SlewControl::*step)();
        std::int16_t SlewControl::*rate;
        int stop;
    } cases[] = {
        {"up", &SlewControl::MoveUp, &SlewControl::verticalRate, 32736},
        {"down", &SlewControl::MoveDown, &SlewControl::verticalRate, -32736},
        {"forward", &SlewControl::MoveForward, &SlewControl::forwardRate, 32736},
        {"backward", &SlewControl::MoveBackward, &SlewControl::forwardRate, -32736},
        {"right", &SlewControl::MoveRight, &SlewControl::sideRate, 32736},
        {"left", &SlewControl::MoveLeft, &SlewControl::sideRate, -32736},
        {"bank left", &SlewControl::BankLeft, &SlewControl::bankRate, 32736},
        {"bank right", &SlewControl::BankRight, &SlewControl::bankRate, -32768},
        {"pitch up", &SlewControl::PitchUp, &SlewControl::pitchRate, -32752},
        {"pitch down", &SlewControl::PitchDown, &SlewControl::pitchRate, 32752},
        {"yaw right", &SlewControl::YawRight, &SlewControl::yawRate, 32752},
        {"yaw left", &SlewControl::YawLeft, &SlewControl::yawRate, -32752},
    };
    for (const auto& c : cases) {
        SlewControl s;
        for (int i = 0; i < 5000; ++i)
            (s.*c.step)();
        EXPECT_EQ(s.*c.rate, c.stop) << c.what;
    }
}

TEST_F(Slew, JoystickRatesTakeOnlyTheSymmetricRange) {
    SlewControl s;
    s.SetForwardRate(-32767);
    EXPECT_EQ(s.forwardRate, -32767);
    s.SetForwardRate(-32768);
    EXPECT_EQ(s.forwardRate, -32767);
    s.SetYawRate(40000);
    EXPECT_EQ(s.yawRate, 0);
    s.SetSideRate(5);
    s.SetBankRate(-6);
    s.SetPitchRate(7);
    EXPECT_EQ(s.sideRate, 5);
    EXPECT_EQ(s.bankRate, -6);
    EXPECT_EQ(s.pitchRate, 7);
    s.FreezePitch();
    EXPECT_EQ(s.pitchRate, 0);
    s.Freeze();
    EXPECT_EQ(s.sideRate, 0);
    EXPECT_EQ(s.bankRate, 0);
    s.ToggleText();
    EXPECT_EQ(s.textFlag, 0u);
}

TEST_F(Slew, MovesAlongTheHeading) {
    const struct {
        std::uint16_t heading;
        int forward;
        int side;
        int dx;
        int dz;
    } cases[] = {
        {0, 1000, 0, 0, 1000},        {16384, 1000, 0, 1000, 0},  // east
        {32768, 1000, 0, 0, -1000},   {0, 0, 1000, 1000, 0},  // sideways is heading + 90 degrees
        {8192, 1000, 0, 707, 707},                            // products are truncated toward zero
        {8192, -1000, 0, -707, -707},
    };
    for (const auto& c : cases) {
        SetUp();
        theSlewControl.SetActive(1);
        theFlightModelState.fmHead = c.heading;
        theSlewControl.forwardRate = static_cast<std::int16_t>(c.forward);
        theSlewControl.sideRate = static_cast<std::int16_t>(c.side);
        theSlewControl.Step();
        EXPECT_EQ(theFlightModelState.fmPosX, c.dx) << c.heading;
        EXPECT_EQ(theFlightModelState.fmPosZ, c.dz) << c.heading;
    }
    // Off, nothing moves.
    SetUp();
    theSlewControl.forwardRate = 1000;
    theSlewControl.Step();
    EXPECT_EQ(theFlightModelState.fmPosZ, 0);
}

TEST_F(Slew, RatesTurnTheAttitude) {
    theSlewControl.SetActive(1);
    theSlewControl.bankRate = 100;
    theSlewControl.yawRate = -16;
    theSlewControl.pitchRate = -16;
    theFlightModelState.fmHead = 8;
    theSlewControl.Step();
    EXPECT_EQ(theFlightModelState.fmBank, 100);
    EXPECT_EQ(theFlightModelState.fmHead, 65528);
    EXPECT_EQ(theFlightModelState.fmPitch, 65520);
    // Inverted, the pitch rate works the other way.
    theFlightModelState.fmBank = 32768;
    theFlightModelState.fmPitch = 0;
    theSlewControl.bankRate = 0;
    theSlewControl.Step();
    EXPECT_EQ(theFlightModelState.fmPitch, 16);
}

TEST_F(Slew, PitchingThroughTheVerticalFlipsOverTheTop) {
    theSlewControl.SetActive(1);
    theFlightModelState.fmPitch = static_cast<std::uint16_t>(-16380);
    theFlightModelState.fmBank = 0;
    theFlightModelState.fmHead = 1000;
    theSlewControl.pitchRate = -16;  // nose up past 90 degrees
    theSlewControl.Step();
    EXPECT_EQ(static_cast<std::int16_t>(theFlightModelState.fmPitch),
              -16372);  // mirrored about -90
    EXPECT_EQ(theFlightModelState.fmBank, 32768);
    EXPECT_EQ(theFlightModelState.fmHead, 33768);
    // Upside down now, the same rate keeps the nose coming round instead of flipping back.
    theSlewControl.Step();
    EXPECT_EQ(static_cast<std::int16_t>(theFlightModelState.fmPitch), -16356);
    EXPECT_EQ(theFlightModelState.fmBank, 32768);
}

TEST_F(Slew, FloorAndCeiling) {
    theSlewControl.SetActive(1);
    theFlightModelState.fmPosY = 600;
    theSlewControl.verticalRate = -200;
    theSlewControl.Step();
    EXPECT_EQ(theFlightModelState.fmPosY, 496);
    EXPECT_EQ(theSlewControl.verticalRate, 0);
    theFlightModelState.fmPosY = SlewControl::kCeiling - 10;
    theSlewControl.verticalRate = 32736;
    theSlewControl.Step();
    EXPECT_EQ(theFlightModelState.fmPosY, SlewControl::kCeiling);
    EXPECT_EQ(theSlewControl.verticalRate, 0);
    // A hand-edited situation may leave the aircraft at the ends of the 32-bit range: slewing
    // from there still lands on the ceiling or the floor, never wraps round.
    const struct {
        std::int32_t from;
        std::int16_t rate;
        std::int32_t to;
    } ends[] = {{INT32_MAX - 5, 32736, SlewControl::kCeiling}, {INT32_MIN + 5, -32736, 496}};
    for (const auto& e : ends) {
        theFlightModelState.fmPosY = e.from;
        theSlewControl.verticalRate = e.rate;
        theSlewControl.Step();
        EXPECT_EQ(theFlightModelState.fmPosY, e.to) << e.from;
        EXPECT_EQ(theSlewControl.verticalRate, 0);
    }
}

TEST_F(Slew, LevelPointsToMagneticNorth) {
    theFlightModelState.fmPitch = 300;
    theFlightModelState.fmBank = 400;
    theFlightModelState.fmHead = 500;
    sim::SlewLevel();
    EXPECT_EQ(theFlightModelState.fmHead, 0);
    world::theMagneticVariation = -1000;
    sim::SlewLevel();
    EXPECT_EQ(theFlightModelState.fmPitch, 0);
    EXPECT_EQ(theFlightModelState.fmBank, 0);
    EXPECT_EQ(theFlightModelState.fmHead, 64536);
}

TEST_F(Slew, CommandsCarryTheSlewBit) {
    sim::KeyCommandNode* saved = sim::theKeyCommandRegistry;
    sim::theKeyCommandRegistry = nullptr;
    sim::RegisterKeyCommandTables();
    ASSERT_EQ(sim::SlewCommands().size(), 25u);
    for (const sim::KeyCommand& row : sim::SlewCommands()) {
        EXPECT_NE(row.code & sim::kKeySlew, 0u) << row.name;
        EXPECT_EQ(sim::FindKeyCommand(row.name) & ~sim::kKeyRepeat, sim::FindKeyCommand(row.name))
            << row.name;
    }
    EXPECT_EQ(sim::RunKeyCommandByCode(sim::ParseKeyName("SlewQ")), 1);
    EXPECT_EQ(sim::RunKeyCommandByCode(sim::ParseKeyName("SlewNumpad8")), 1);
    EXPECT_EQ(sim::RunKeyCommandByCode(sim::ParseKeyName("SlewPrior")), 1);
    EXPECT_EQ(theSlewControl.verticalRate, 32);
    EXPECT_EQ(theSlewControl.forwardRate, 32);
    EXPECT_EQ(theSlewControl.bankRate, -32);
    EXPECT_EQ(sim::RunKeyCommandByCode(sim::ParseKeyName("SlewNumpad5")), 1);
    EXPECT_EQ(theSlewControl.forwardRate, 0);
    EXPECT_EQ(sim::RunKeyCommandByCode(sim::ParseKeyName("SlewButton1")), 1);
    EXPECT_EQ(sim::theKeyRepeatFlag, 1u);
    EXPECT_EQ(theSlewControl.altJoystick, 1);
    sim::UnregisterKeyCommandTables();
    sim::theKeyCommandRegistry = saved;
}

// While slewing the flight step only moves the aircraft by the slew rates.
TEST_F(Slew, ReplacesTheFlightStep) {
    flight::ProbeSelectAircraft(0, 1);
    flight::ProbePlaceInFlight(3000.0, 100.0, 0);
    sim::InstallSlewServices();
    theSlewControl.SetActive(1);
    theSlewControl.forwardRate = 256;
    const flight::FlightModelState before = theFlightModelState;
    for (int i = 0; i < 10; ++i)
        flight::UpdateFlight();
    EXPECT_EQ(theFlightModelState.fmPosZ, before.fmPosZ + 2560);
    EXPECT_EQ(theFlightModelState.fmPosX, before.fmPosX);
    EXPECT_EQ(theFlightModelState.fmPosY, before.fmPosY);
    EXPECT_EQ(theFlightModelState.fmPitch, before.fmPitch);
    EXPECT_EQ(theFlightModelState.fmHVel, before.fmHVel);
    // Off again, the flight model moves it on its own.
    theSlewControl.SetActive(0);
    flight::UpdateFlight();
    EXPECT_NE(theFlightModelState.fmPosZ, before.fmPosZ + 2560);
    flight::ResetFlightModel();
}

}  // namespace
