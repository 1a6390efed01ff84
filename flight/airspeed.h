// The indicated airspeed word and its one conversion. The air data leave `fmIAS` as the indicated
// airspeed in knots x 32768 (the IAS-factor table is knots per metre per second over two, times
// the square root of the density ratio, in Q15, applied to the 16.16 true airspeed). Everyone
// who shows or acts on an airspeed reads it through these functions, so the dials, the readout,
// the sounds, the stick, ATC, the copilot and the lessons cannot disagree on its unit.
#pragma once

#include <cstdint>

#include "flight/flight_model_state.h"

namespace flight {

inline constexpr double kAirspeedWordPerKnot = 32768.0;

// Knots of an airspeed word.
[[nodiscard]] constexpr double AirspeedWordKnots(std::int32_t word) {
    return word / kAirspeedWordPerKnot;
}

// Whole knots of an airspeed word, truncated (never negative for a real airspeed).
[[nodiscard]] constexpr std::int32_t AirspeedWordWholeKnots(std::int32_t word) {
    return word / 32768;
}

// The same speed as 16.16 knots, the unit of the records' reference speeds (whole knots).
[[nodiscard]] constexpr std::int64_t AirspeedWordKnots16(std::int32_t word) {
    return std::int64_t{word} * 2;
}

// The airspeed word of a speed in knots, rounded and saturated.
[[nodiscard]] constexpr std::int32_t AirspeedWordFromKnots(double knots) {
    const double w = knots * kAirspeedWordPerKnot;
    if (w >= 2147483647.0) return 2147483647;
    if (w <= -2147483648.0) return -2147483647 - 1;
    return static_cast<std::int32_t>(w < 0 ? w - 0.5 : w + 0.5);
}

// The flown aircraft's indicated airspeed in knots, and in whole knots.
[[nodiscard]] inline double IndicatedAirspeedKnots() {
    return AirspeedWordKnots(theFlightModelState.fmIAS);
}
[[nodiscard]] inline std::int32_t IndicatedAirspeedWholeKnots() {
    return AirspeedWordWholeKnots(theFlightModelState.fmIAS);
}

}  // namespace flight
