// The tuned thrust tables of the five aircraft records. tools/fmfit writes this file: it
// tunes the tables until trimmed level flight meets the published cruise tables (run
// "fmfit --fit --write flight/aircraft_data.h" from the source folder to regenerate).
#pragma once

#include <cstdint>

namespace flight {

// Propeller (or fan) efficiency by true airspeed over the record's reference speed, Q16.
inline constexpr std::int32_t kEfficiency172[17] = {17735, 17735, 17735, 17735, 17735, 17735, 17735, 17528, 15845, 15256, 14651, 14229, 10793, 9962, 9251, 8634, 8096};
inline constexpr std::int32_t kEfficiencyKingAir[17] = {77314, 77314, 77314, 77314, 77314, 77314, 77314, 75613, 75613, 75301, 77340, 77046, 42952, 39648, 36815, 34362, 32214};
inline constexpr std::int32_t kEfficiencyCitationJet[17] = {35787, 35787, 35787, 35787, 35787, 35787, 31499, 29988, 29538, 30094, 28387, 29257, 27391, 17619, 16360, 15269, 14315};

// Reference speed (knots indicated) by power position of the records whose efficiency goes by
// power.
inline constexpr std::int16_t kReferenceSpeedBonanza[17] = {70, 70, 70, 261, 225, 257, 272, 250, 232, 217, 204, 193, 184, 176, 169, 163, 157};
inline constexpr std::int16_t kReferenceSpeedBaron[17] = {70, 70, 317, 317, 335, 293, 262, 238, 219, 203, 190, 179, 169, 161, 154, 147, 141};

// Efficiency by power {A, r0, n}: A / r^n above the ratio r0, A / r0^n below it.
inline constexpr double kPowerEfficiency[5][3] = {{0, 0, 0}, {0.0775815657, 0.45, 1.3}, {0.0649518207, 0.4, 1.15}, {0, 0, 0}, {0, 0, 0}};

// Altitude lapse of the constant-speed piston engines' thrust, Q16, every 1024 m.
inline constexpr std::uint16_t kLapseBonanza[17] = {65535, 65535, 59900, 54720, 50543, 50525, 47764, 45083, 42482, 39962, 37520, 35159, 32876, 30673, 28548, 26502, 24535};
inline constexpr std::uint16_t kLapseBaron[17] = {65535, 65535, 59732, 56908, 52050, 50016, 47764, 45083, 42482, 39962, 37520, 35159, 32876, 30673, 28548, 26502, 24535};

// Engine speed of the fixed-pitch propeller by throttle position, standing still (rpm); the
// airflow adds its windmilling share.
inline constexpr std::int16_t kStaticRpm172[17] = {700, 921, 1142, 1362, 1729, 1822, 1888, 1958, 2040, 2081, 2149, 2149, 2153, 2190, 2227, 2263, 2300};

// Thrust by throttle position of the turbines, Q15.
inline constexpr std::int16_t kThrottleCurveKingAir[17] = {32767, 32767, 32767, 32767, 32413, 31441, 31172, 31117, 30631, 30374, 30296, 30787, 30557, 30424, 29868, 30819, 30868};
inline constexpr std::int16_t kThrottleCurveCitationJet[17] = {32767, 32767, 32767, 27463, 23754, 22865, 25809, 28326, 30439, 32767, 32073, 32767, 32767, 32767, 32767, 32767, 32767};

// Power-limit fall-off above the cruise tables {start in metres, rate per metre}; it sets the
// service ceiling.
inline constexpr double kCeilingFalloff[5][2] = {{3658, 0.000526066422}, {3658, 0.000250294805}, {4877, 0.000623204112}, {10668, 0.00138069391}, {11900, 0.00149313211}};

// Altitude factor of the altitude-compensated engines {share at sea level, loss per metre};
// {0, 0} takes the density ratio.
inline constexpr double kCompensation[5][2] = {{1, 0.00025}, {0, 0}, {0, 0}, {0, 0}, {0, 0}};

// Share of the type's airframe drag each record flies with (the parasite drag and the induced
// drag between the low and high speeds).
inline constexpr double kDragScale[5] = {0.829011, 0.484885, 0.405949, 0.983096, 0.455053};

}  // namespace flight
