// The runner's pilot: a pair of hands on the yoke that fly as a student is told to, watching the
// instruments as the simulated time runs.
//   pilot ias KNOTS     holds an indicated airspeed with the elevator (pitch for speed)
//   pilot alt FEET      holds an altitude with the elevator
//   pilot bank DEGREES  holds a bank with the ailerons (negative left, 0 wings level)
//   pilot off           lets go of the yoke: the elevator back to the trim, the ailerons centred
// Pitch and bank are each held by one target at a time; the throttle stays the script's keys'.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "script.h"

namespace simrun {

namespace {

enum class Pitch { None, Airspeed, Altitude };

struct Hands {
    Pitch pitch = Pitch::None;
    double pitchTarget = 0;  // knots or feet
    bool banking = false;
    double bankTarget = 0;  // degrees, right positive
    // What the hands remember from the frame before: their integrals and the attitude then.
    double elevatorIntegral = 0, attitudeIntegral = 0;
    double lastPitch = 0, lastBank = 0, lastAltitude = 0;
    bool started = false;
};
Hands theHands;

constexpr double kDegreesPerUnit = 360.0 / 65536.0;

// The attitude the instruments show: nose up and right wing down positive, in degrees.
double PitchUp() {
    return -static_cast<std::int16_t>(flight::theFlightModelState.fmPitch) * kDegreesPerUnit;
}
double BankRight() {
    return -static_cast<std::int16_t>(flight::theFlightModelState.fmBank) * kDegreesPerUnit;
}

std::int16_t Deflection(double value) {
    return static_cast<std::int16_t>(std::clamp(value, -32000.0, 32000.0));
}

void Fly(std::uint32_t ms) {
    Hands& h = theHands;
    if (h.pitch == Pitch::None && !h.banking) return;
    flight::FlightModelState& s = flight::theFlightModelState;
    const double dt = std::max(ms, 1u) / 1000.0;
    const double pitch = PitchUp(), bank = BankRight(), altitude = flight::AircraftAltitudeFeet();
    if (!h.started) {
        h.lastPitch = pitch;
        h.lastBank = bank;
        h.lastAltitude = altitude;
        h.elevatorIntegral = s.fmElv;
        h.attitudeIntegral = pitch;
        h.started = true;
    }
    const double pitchRate = (pitch - h.lastPitch) / dt, bankRate = (bank - h.lastBank) / dt;
    const double climbFeetPerSecond = (altitude - h.lastAltitude) / dt;
    h.lastPitch = pitch;
    h.lastBank = bank;
    h.lastAltitude = altitude;
    if (h.pitch != Pitch::None) {
        // The attitude wanted: more nose up when too fast or too low, found by trying.
        double error = 0;
        if (h.pitch == Pitch::Airspeed)
            error = 0.25 * (flight::IndicatedAirspeedKnots() - h.pitchTarget);
        else
            error = 0.02 * (h.pitchTarget - altitude) - 0.1 * climbFeetPerSecond;
        h.attitudeIntegral = std::clamp(h.attitudeIntegral + 0.1 * error * dt, -10.0, 20.0);
        const double wanted = std::clamp(h.attitudeIntegral + error, -8.0, 14.0);
        // The elevator that gets it there without overshooting.
        h.elevatorIntegral = std::clamp(h.elevatorIntegral + 60.0 * (wanted - pitch) * dt, -32000.0, 32000.0);
        s.fmElv = Deflection(h.elevatorIntegral + 150.0 * (wanted - pitch) - 300.0 * pitchRate);
    }
    if (h.banking) {
        s.fmAil = Deflection(std::clamp(100.0 * (h.bankTarget - bank), -2500.0, 2500.0) - 60.0 * bankRate);
        if (s.fmAutoCoordination != 0) s.fmRud = s.fmAil;
    }
}

bool ParseNumber(const std::string& word, double* value) {
    const char* end = word.data() + word.size();
    const auto r = std::from_chars(word.data(), end, *value);
    return r.ec == std::errc() && r.ptr == end;
}

bool CheckPilot(const std::vector<std::string>& words, std::string* error) {
    double value = 0;
    if (words.size() == 1 && words[0] == "off") return true;
    if (words.size() == 2 && (words[0] == "ias" || words[0] == "alt" || words[0] == "bank") &&
        ParseNumber(words[1], &value))
        return true;
    *error = "expected ias KNOTS, alt FEET, bank DEGREES or off";
    return false;
}

bool RunPilot(const std::vector<std::string>& words, std::string*) {
    Hands& h = theHands;
    flight::FlightModelState& s = flight::theFlightModelState;
    if (words[0] == "off") {
        s.fmElv = s.fmApElvTrim;
        s.fmAil = 0;
        if (s.fmAutoCoordination != 0) s.fmRud = 0;
        h = Hands{};
        return true;
    }
    double value = 0;
    ParseNumber(words[1], &value);
    if (words[0] == "bank") {
        h.banking = true;
        h.bankTarget = value;
    } else {
        h.pitch = words[0] == "ias" ? Pitch::Airspeed : Pitch::Altitude;
        h.pitchTarget = value;
    }
    return true;
}

const bool kRegistered = [] {
    RegisterScriptCommand(ScriptCommand{"pilot", &CheckPilot, &RunPilot});
    RegisterFrameHook(&Fly);
    return true;
}();

}  // namespace

}  // namespace simrun
