// The flight harness: the real flight step with its neighbouring services replaced by test
// doubles, scripted control inputs on a timeline, the seeded 15-bit generator, and a trace of
// the state with a hash.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace flighttest {

// Calls the doubles saw.
struct ServiceCalls {
    int impactSounds = 0;
    int crashSounds = 0;
    int stopEngineSounds = 0;
    int startEngineSounds = 0;
    int engineStops = 0;
    int crashReports = 0;
    std::string lastCrashReport;
};

enum class Control {
    Elevator,
    Aileron,
    Rudder,
    Throttle,
    ThrottleRight,
    Flaps,
    Brakes,
    Gear,
    Mixture,
    Engines
};

struct ScriptedInput {
    int step;  // flight step at which the control moves
    Control control;
    int value;
};

class FlightHarness {
public:
    explicit FlightHarness(int type, std::uint32_t seed = 1);
    ~FlightHarness();
    FlightHarness(const FlightHarness&) = delete;
    FlightHarness& operator=(const FlightHarness&) = delete;

    // Standing on the runway at the datum, engines running, throttle closed, heading given.
    void PlaceOnRunway(std::uint16_t heading = 0);
    // Level flight at the altitude and speed, trimmed near the elevator for that speed.
    void PlaceInFlight(double altitudeFeet, double knots, std::uint16_t heading = 0);

    void SetScript(std::vector<ScriptedInput> inputs);
    // Runs flight steps, applying the script; records a trace line every traceEvery steps.
    void Run(int steps, int traceEvery = 0);
    void RunSeconds(double seconds, int traceEvery = 0);

    [[nodiscard]] int Step() const { return step; }
    [[nodiscard]] std::uint64_t StateHash() const;
    [[nodiscard]] const std::vector<std::string>& Trace() const { return trace; }
    [[nodiscard]] std::string TraceText() const;

    // Doubles.
    static ServiceCalls calls;
    void SetTerrainHeightMetres(double metres);
    void SetWind(std::int16_t eastWest, std::int16_t northSouth);
    void SetTimeAcceleration(int k);

private:
    void Apply(const ScriptedInput& in);

    int step = 0;
    std::size_t next = 0;
    std::vector<ScriptedInput> script;
    std::vector<std::string> trace;
};

[[nodiscard]] double TrueAirspeedKnots();
[[nodiscard]] double AltitudeFeet();
[[nodiscard]] double SignedDegrees(std::uint16_t angle);

// Golden traces: compares text with tests/golden/NAME, or rewrites it when ZEPHLON_UPDATE_GOLDEN=1.
// Returns an empty string on a match, else a description of the first difference.
std::string CompareWithGolden(const std::string& name, const std::string& text);

}  // namespace flighttest
