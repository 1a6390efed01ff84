// What the flight step and the aircraft need of the subsystems above them: the ground, the air
// and the magnetic variation at the aircraft (the terrain and the weather keep them current),
// the cockpit's fuel selectors, levers and engine flags, the navigation receivers' output the
// autopilot follows, the sound calls, the engine stops, and the cockpit's and dialogs' calls of
// `theFlightHooks`. They are declared here so that flight/ includes nothing above it; world/,
// cockpit/, devices/ and nav/ name them in their own namespaces and fill the tables.
#pragma once

#include <cstdint>
#include <string_view>

namespace flight {

// The terrain and the magnetic grid at the aircraft. Until the terrain is built they stay at
// their start values (flat ground at sea level, no variation).
extern std::int32_t theTerrainDatum;       // 1/256 m; altitude above sea level = fmPosY + datum
extern std::int32_t theTerrainHeight;      // 1/256 m above the datum, under the aircraft
extern std::uint8_t theGroundIsWater;       // 1 where the ground under the aircraft is water
extern std::int16_t theSeaLevelTemp;       // 1/256 degree Celsius (3840 = 15 degrees)
extern std::int16_t theMagneticVariation;  // binary angle, true = magnetic + variation

// The whole-metre word of the datum, read on its own by the altitude tables.
[[nodiscard]] inline std::int32_t TerrainDatumMetres() {
    return theTerrainDatum >> 8;
}

// Written once per flight step by the weather before the aircraft steps: the wind at the
// aircraft, east-west and north-south, 1/256 m/s.
extern std::int16_t theWindAtAircraftX;
extern std::int16_t theWindAtAircraftZ;

// The surface and layer values that pick the turbulence; the weather fills them in, until it
// exists the air is calm and has no wind layers.
struct WeatherServices {
    int (*surfaceWindCharacter)();             // 0 steady, non-zero gusty
    int (*surfaceWindSpeed)();                 // knots, 0 calm
    double (*windLayerBottomFeet)(int index);  // layer 0..8; negative when the layer is absent
};
// The services in use; a test or the weather replaces the entries.
extern WeatherServices theWeatherServices;
// The calm defaults, for restoring.
[[nodiscard]] WeatherServices CalmWeatherServices();

// The cockpit's fuel selectors as the flight model reads them: single-engine 1 left tank,
// 2 both, 3 right tank; twins 1 own side, 2 other. The cockpit keeps them equal to its gauges.
extern std::uint8_t theFuelTankSelector;
extern std::uint8_t theLeftEngineTankSelector;
extern std::uint8_t theRightEngineTankSelector;

// Mixture lever 0..31 of the left (or only) engine; the King Air's left condition lever
// (15 low idle, 31 high idle). The King Air's right condition lever.
extern std::int16_t theLeftMixtureLever;
extern std::int16_t theRightConditionLever;

// The Cessna 172's two engine-speed drop words (magneto check), subtracted from engine speed.
extern std::int16_t theEngineSpeedDrop[2];

// The left (or only) engine is on (running or a start or stop under way) and running. The
// cockpit's engine sequences keep them.
extern std::uint32_t theEngineStarted;
extern std::uint32_t theEngineRunning;

// The switch words the aircraft selection carries over, by their old names: each is a word of
// one of the cockpit's gauges.
struct PanelSwitches {
    std::int32_t& batteryPower;
    std::int32_t& strobe;
    std::int32_t& beacon;
    std::int32_t& navLights;
    std::int32_t& taxiLight;
    std::int32_t& landingLights;
    std::int16_t& ignitionLeft;  // piston: 0 OFF, 1 R, 2 L, 3 BOTH, 4 START
    std::int16_t& ignitionRight;
    std::int32_t& ignitionLeftRedraw;
    std::int32_t& ignitionRightRedraw;
    std::int32_t& turbineIgnitionLeft;  // King Air and CitationJet
    std::int32_t& turbineIgnitionRight;
    std::int32_t& igniterLeft;  // the CitationJet's ignition lamps
    std::int32_t& igniterRight;
    std::int16_t& fuelSelectorSwitchLeft;
    std::int16_t& fuelSelectorSwitchRight;
    std::int32_t& fuelSelectorLeftRedraw;
    std::int32_t& fuelSelectorRightRedraw;
};

// Engine stops: the crash, the mixture, starvation, failures and the commands call them; tests
// may put their own in. The defaults are the cockpit's engine sequences.
struct EngineStopServices {
    void (*stopSingleEngine)();
    void (*stopLeftEngine)();
    void (*stopRightEngine)();
};
extern EngineStopServices theEngineStopServices;

inline void StopSingleEngine() {
    theEngineStopServices.stopSingleEngine();
}
inline void StopLeftEngine() {
    theEngineStopServices.stopLeftEngine();
}
inline void StopRightEngine() {
    theEngineStopServices.stopRightEngine();
}

// The navigation receiver output that the autopilot follows. The receivers fill it in; until
// they exist it says "no signal".
struct AutopilotNavInput {
    std::uint8_t signalValid = 0;     // 0 no signal
    std::int8_t courseDeviation = 0;  // -128..127
    std::uint8_t flags = 0;           // bit 1 close to the station, bit 3 steer to the bearing,
                                      // bit 4 glide slope valid
    std::uint16_t distance = 0;
    std::uint16_t selectedCourse = 0;      // binary angle
    std::uint16_t bearing = 0;             // binary angle
    std::uint8_t glideSlopeDeviation = 0;  // read as signed for tracking
    // What the tracking laws scale the deviations by: whether the station is a localizer (its
    // full scale is 2.5 degrees, a VOR's 10), the range to it and to the glide-slope antenna in
    // metres along the ground, and the glide path's angle (binary angle).
    std::uint8_t localizer = 0;
    std::uint32_t rangeMetres = 0;
    std::uint32_t glideSlopeRangeMetres = 0;
    std::uint16_t glideSlopeAngle = 0;
};
extern AutopilotNavInput theAutopilotNavInput;

// The sound calls the flight model and the aircraft make. The sound subsystem installs its
// routines; until then they do nothing.
struct SoundServices {
    void (*playImpactSound)();
    void (*playCrashSound)();
    void (*playCrashSoundOnce)();
    void (*stopEngineSounds)();
    void (*startEngineSounds)();
    void (*setSoundSuspended)(int suspend);
    // Another aircraft: 1 lets every sound go, the card left open; 0 brings the engines' back.
    void (*holdSounds)(int hold);
};
extern SoundServices theSoundServices;
[[nodiscard]] SoundServices SilentSoundServices();

inline void PlayImpactSound() {
    theSoundServices.playImpactSound();
}
inline void PlayCrashSound() {
    theSoundServices.playCrashSound();
}
inline void PlayCrashSoundOnce() {
    theSoundServices.playCrashSoundOnce();
}
inline void StopEngineSounds() {
    theSoundServices.stopEngineSounds();
}
inline void StartEngineSounds() {
    theSoundServices.startEngineSounds();
}
inline void SetSoundSuspended(int suspend) {
    theSoundServices.setSoundSuspended(suspend);
}
inline void HoldSounds(int hold) {
    theSoundServices.holdSounds(hold);
}

// The cockpit's and the dialogs' answers to the aircraft, named by the cockpit where the table
// is defined (cockpit/flight_hooks.cpp).
struct FlightHooks {
    void (*setupGaugesForAircraft)();  // set-up when an aircraft is selected
    void (*invalidateAllGauges)();     // a full repaint of the panel and every gauge redrawn
    void (*centerNavIndicators)();     // course and glide-slope needles centred
    void (*resetCockpit)();            // every cockpit value above back to its start value
    void (*releasePanelArt)();
    void (*loadPanelArt)(int type);  // the panel art of type 0..4, the 172's for another
    void (*drawPanel)(int type, int viewMode);
    PanelSwitches& (*panelSwitches)();
    int (*swapPanel)();                          // the Baron's second panel is shown
    int (*crashShown)();                         // the crash picture is up
    int (*pitotHeatOn)();                        // the pitot-heat switch
    void (*showMessage)(std::string_view text);  // the program's message box with OK
};
extern const FlightHooks theFlightHooks;

}  // namespace flight
