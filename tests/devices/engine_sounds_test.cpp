// The sounds of the flight at their tick rates: engine starts, pitch from the tachometer,
// spin-downs, the twins' synchronisation, wind and ground roll, horn, touchdowns and markers.
#include <gtest/gtest.h>

#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "flight/aircraft.h"
#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "sound_fixture.h"

namespace {

using namespace devices;
using devicestest::SoundFixture;
using devicestest::ToneBytes;

class EngineSounds : public SoundFixture {
protected:
    void SetUp() override {
        SoundFixture::SetUp();
        // Starters long enough to be polled, engine loops, stop clips, and the effects.
        for (int id : {4, 9, 17, 24})
            Clip("fx", id, ToneBytes(200, 2.0));
        for (int id : {2, 10, 19, 25})
            Clip("fx", id, ToneBytes(100, 1.0));
        for (int id : {3, 18, 26, 27, 28, 30})
            Clip("fx", id, ToneBytes(300, 0.3));
        for (int id : {5, 8, 16, 20, 21, 29})
            Clip("fx", id, ToneBytes(1000, 0.5));
        fm = flight::FlightModelState{};
        flight::theCrashed = 0;
        cockpit::ResetCockpitSwitches();
        cockpit::ResetAudioPanel();
    }
    void TearDown() override {
        fm = flight::FlightModelState{};
        cockpit::ResetCockpitSwitches();
        cockpit::ResetAudioPanel();
        SoundFixture::TearDown();
    }
    void Select(int type) {
        flight::theAircraft.SelectByType(type);
        ASSERT_EQ(flight::theAircraft.GetType(), type);
    }
    void Knots(int knots) { fm.fmIAS = flight::AirspeedWordFromKnots(knots); }
    flight::FlightModelState& fm = flight::theFlightModelState;
};

TEST_F(EngineSounds, TheBaronStartsAtItsTwoPitchesAndSynchronises) {
    Select(2);
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    PlayStarterSound(0, 9, -10000, -300);
    PlayStarterSound(1, 9, 10000, -300);
    for (int i = 0; i < 60 && theLeftEngineSound.buffer == nullptr; ++i)
        Tick();
    ASSERT_NE(theLeftEngineSound.buffer, nullptr) << "the running sound follows the starter";
    EXPECT_EQ(theLeftEngineSound.GetFrequency(), 10125);
    EXPECT_EQ(theRightEngineSound.GetFrequency(), 10875);
    EXPECT_EQ(theLeftStarterSound.starting, 1u);
    for (int i = 0; i < 40 && theRightEngineSound.running == 0; ++i)
        Tick();
    EXPECT_EQ(theLeftEngineSound.running, 1u);
    EXPECT_EQ(theRightEngineSound.running, 1u);
    EXPECT_EQ(theLeftEngineSound.level, -200);
    EXPECT_EQ(theLeftStarterSound.buffer, nullptr) << "the starter is let go at the cap";
    EXPECT_EQ(fm.fmEngines, 0) << "the engine bits are the cockpit's";

    cockpit::theCockpitSwitches.propSync = 1;
    for (int i = 0; i < 400 && theLeftEngineSound.synced == 0; ++i)
        Tick();
    ASSERT_EQ(theLeftEngineSound.synced, 1u);
    EXPECT_EQ(theLeftEngineSound.GetFrequency(), theRightEngineSound.GetFrequency());
    EXPECT_EQ(theLeftEngineSound.syncOffset, 0);
    EXPECT_EQ(theRightEngineSound.syncOffset, 0);
    EXPECT_NEAR(GetCurrentPlayPosition(theLeftEngineSound),
                GetCurrentPlayPosition(theRightEngineSound), 20.0);
}

TEST_F(EngineSounds, PitchMovesTowardTheTachometersTargetInSteps) {
    Select(0);
    fm.fmEngines = 1;
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    SoundChannel& e = theLeftEngineSound;
    ASSERT_NE(e.buffer, nullptr);
    ASSERT_EQ(e.snapToTarget, 1u);
    e.UpdateEngineFrequency(50, 0, 0);
    EXPECT_EQ(e.frequency, 181 * 50 + 13966) << "a restored engine jumps to its pitch";
    EXPECT_EQ(e.GetFrequency(), 23016);
    const struct {
        std::int16_t rpm;
        std::uint32_t carbHeat;
        std::uint16_t ignition;
        int frequency;
    } steps[] = {
        {80, 15, 3, 23366}, {80, 15, 3, 23716},  // toward 28446, 350 a step
        {52, 15, 3, 23716},                      // 23378 is within 350: the pitch holds
        {52, 0, 3, 23366},                       // carburettor heat: the target 2250 lower
        {52, 15, 1, 23016},                      // one magneto: 2250 lower too
        {52, 0, 2, 22666},                       // both
    };
    for (const auto& s : steps) {
        cockpit::theCockpitSwitches.carbHeatKnob = s.carbHeat;
        cockpit::thePanelSwitches.ignitionLeft = s.ignition;
        e.UpdateEngineFrequency(s.rpm, 0, 0);
        EXPECT_EQ(e.frequency, s.frequency) << s.rpm << " " << s.carbHeat << " " << s.ignition;
        EXPECT_EQ(e.GetFrequency(), s.frequency);
    }
    // The level follows the pitch the step started from: trunc(f / 31000 x 400 - 400).
    std::int32_t v = 0;
    ASSERT_EQ(e.buffer->GetVolume(&v), win::DS_OK);
    EXPECT_EQ(v, static_cast<int>(23016 / 31000.0 * 400 - 400));
}

TEST_F(EngineSounds, AStopSpinsDownThenPlaysTheStopClip) {
    Select(0);
    fm.fmEngines = 1;
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    ASSERT_EQ(theLeftEngineSound.GetFrequency(), 16500);
    RequestEngineStopSound(0);
    std::vector<int> pitches;
    for (int i = 0; i < 30 && theLeftEngineSound.buffer != nullptr; ++i) {
        Tick();
        if (theLeftEngineSound.buffer != nullptr)
            pitches.push_back(theLeftEngineSound.GetFrequency());
    }
    EXPECT_EQ(theLeftEngineSound.buffer, nullptr);
    EXPECT_EQ(theLeftStarterSound.effectId, 3);
    EXPECT_EQ(theLeftEngineSound.running, 0u);
    EXPECT_EQ(theLeftEngineSound.stopRequested, 0u);
    ASSERT_FALSE(pitches.empty());
    EXPECT_EQ(pitches.back(), 13500);
    EXPECT_TRUE(std::is_sorted(pitches.rbegin(), pitches.rend()));
}

TEST_F(EngineSounds, WithoutSoundAStartCompletesAtOnce) {
    core::theIniFile.PutInt("Sound", "Enabled", 0);
    Select(0);
    ASSERT_EQ(InitSound(win::HWND{}), 0);
    PlayStarterSound(0, 4, 0, 0);
    Ticks(6);
    EXPECT_EQ(theLeftEngineSound.running, 1u);
    EXPECT_EQ(theLeftStarterSound.starting, 0u);
}

TEST_F(EngineSounds, WindAndGroundRollStartAndStopAtTheirSpeeds) {
    Select(0);
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    const struct {
        int onGround;
        int knots;
        int clip;  // on the ambient channel afterwards (0: none)
    } steps[] = {
        {0, 35, 0},
        {0, 45, 8},
        {0, 35, 8},
        {0, 25, 0},
        {0, 35, 0},
        {0, 41, 8},
        {1, 6, 8},
        {1, 9, 29},  // landed: the wind goes on until the roll takes its
                     // channel  {1, 6, 29},  {1, 4, 0},   {1, 7, 0},   {1,
                     // 60, 29},
        {0, 60, 8},  // taking off: the roll stops, the wind takes over
    };
    for (const auto& s : steps) {
        fm.fmOTG = static_cast<std::int8_t>(s.onGround);
        Knots(s.knots);
        Ticks(6);
        EXPECT_EQ(theAmbientSound.effectId, s.clip) << s.knots << " kt, ground " << s.onGround;
    }
    // The roll's pitch follows the speed.
    fm.fmOTG = 1;
    Knots(30);
    Ticks(12);
    EXPECT_EQ(theAmbientSound.GetFrequency(), 13000);
}

TEST_F(EngineSounds, HornTouchdownsAndTheCrash) {
    Select(1);
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    fm.fmStallWarning = 1;
    Ticks(3);
    EXPECT_EQ(theEffectSound.effectId, 5);
    fm.fmStallWarning = 0;
    Ticks(3);
    EXPECT_EQ(theEffectSound.buffer, nullptr);

    // A hard landing thumps on the effect channel; a soft one with the gear down chirps.
    fm.fmVVel = -10 * 65536;  // 10 m/s down
    Knots(60);
    PlayTouchdownSound();
    EXPECT_EQ(theEffectSound.effectId, 28);
    EXPECT_EQ(theEffectSound.level, 0);
    EXPECT_EQ(theEffectSound.GetFrequency(), 25 * 60 + 9000);
    fm.fmVVel = -65536;
    fm.fmGear = 1;
    PlayTouchdownSound();
    EXPECT_EQ(theSystemsSound.effectId, 27);
    EXPECT_LT(theSystemsSound.level, -250);

    // The crash: its sound ends, the wreck rests, and sound closes until the repair.
    flight::theCrashed = 1;
    fm.fmVVel = -5 * 65536;
    PlayCrashEffectOnce();
    EXPECT_EQ(theAmbientSound.effectId, 30);
    fm.fmVVel = 0;
    Knots(0);
    Ticks(36);
    EXPECT_FALSE(IsSoundOpen());
    EXPECT_EQ(cockpit::theCrashSuspendedSound, 1u);
    cockpit::theCrashSuspendedSound = 0;
    flight::theCrashed = 0;
}

TEST_F(EngineSounds, MarkerTonesFollowTheReceiverWhileMarkerAudioIsOn) {
    Select(0);
    ASSERT_EQ(InitSound(win::HWND{}), 1);
    cockpit::thePanelSwitches.batteryPower = 1;
    cockpit::theCockpitSwitches.avionicsMaster = 1;
    cockpit::theMarkerReceiver.outer = 1;
    Ticks(18);
    EXPECT_EQ(theSystemsSound.buffer, nullptr) << "marker audio is off";
    cockpit::theAudioPanelButtons.audioMixMKR = 1;
    Ticks(18);
    EXPECT_EQ(theSystemsSound.effectId, 21);
    std::int32_t pan = 0;
    ASSERT_EQ(theSystemsSound.buffer->GetPan(&pan), win::DS_OK);
    EXPECT_EQ(pan, 800);
    cockpit::theMarkerReceiver.outer = 0;
    cockpit::theMarkerReceiver.inner = 1;
    Ticks(18);
    EXPECT_EQ(theSystemsSound.effectId, 16);
    cockpit::theMarkerReceiver.inner = 0;
    Ticks(18);
    EXPECT_EQ(theSystemsSound.buffer, nullptr);
    cockpit::ResetCockpitServices();
}

}  // namespace
