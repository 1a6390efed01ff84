// The tuned thrust tables of the five aircraft records. tools/fmfit writes this file: it
// tunes the tables until trimmed level flight meets the published cruise tables (run
// "fmfit --fit --write flight/aircraft_data.h" from the source folder to regenerate).
#pragma once

#include <cstdint>

namespace flight {

// Propeller (or fan) efficiency by true airspeed over the record's reference speed, Q16.
inline constexpr std::int32_t kEfficiency172[17] = {20573, 20573, 20573, 20573, 20573, 20573, 18166, 21067, 19117, 18362, 17674, 18088, 13020, 12018, 11160, 10416, 9765};
inline constexpr std::int32_t kEfficiencyKingAir[17] = {78643, 78643, 78643, 78643, 78643, 78643, 78643, 74898, 65536, 77539, 79111, 77605, 43691, 40330, 37449, 34953, 32768};
inline constexpr std::int32_t kEfficiencyCitationJet[17] = {78643, 78643, 78643, 78643, 78643, 78643, 67757, 65659, 64890, 65957, 61790, 63106, 60214, 38717, 35951, 33554, 31457};

// Reference speed (knots indicated) by power position of the records whose efficiency goes by
// power.
inline constexpr std::int16_t kReferenceSpeedBonanza[17] = {70, 70, 70, 260, 225, 257, 272, 250, 232, 217, 204, 193, 184, 176, 169, 163, 157};
inline constexpr std::int16_t kReferenceSpeedBaron[17] = {70, 70, 315, 319, 331, 290, 259, 235, 216, 200, 187, 176, 166, 158, 151, 145, 139};

// Efficiency by power {A, r0, n}: A / r^n above the ratio r0, A / r0^n below it.
inline constexpr double kPowerEfficiency[5][3] = {{0, 0, 0}, {0.16, 0.45, 1.3}, {0.16, 0.4, 1.15}, {0, 0, 0}, {0, 0, 0}};

// Altitude lapse of the constant-speed piston engines' thrust, Q16, every 1024 m.
inline constexpr std::uint16_t kLapseBonanza[17] = {65535, 65535, 59222, 54305, 50007, 50525, 47764, 45083, 42482, 39962, 37520, 35159, 32876, 30673, 28548, 26502, 24535};
inline constexpr std::uint16_t kLapseBaron[17] = {65535, 65535, 59529, 56959, 51969, 50161, 47764, 45083, 42482, 39962, 37520, 35159, 32876, 30673, 28548, 26502, 24535};

// Thrust by throttle position of the turbines, Q15.
inline constexpr std::int16_t kThrottleCurveKingAir[17] = {32767, 32767, 32767, 32767, 32213, 31333, 31209, 31217, 30790, 30599, 30561, 30775, 30395, 30070, 29565, 29565, 29565};
inline constexpr std::int16_t kThrottleCurveCitationJet[17] = {32767, 32767, 32767, 27463, 23669, 23422, 25994, 28352, 30434, 32767, 32634, 32767, 32767, 32767, 32767, 32767, 32767};

// Power-limit fall-off above the cruise tables {start in metres, rate per metre}; it sets the
// service ceiling.
inline constexpr double kCeilingFalloff[5][2] = {{3658, 0.000536453128}, {3658, 0.000291696787}, {4877, 0.000650653839}, {10668, 0.00123617232}, {11900, 0.00157757938}};

// Altitude factor of the altitude-compensated engines {share at sea level, loss per metre};
// {0, 0} takes the density ratio.
inline constexpr double kCompensation[5][2] = {{1, 0.00025}, {0, 0}, {0, 0}, {0, 0}, {0, 0}};

}  // namespace flight
