// The tuned thrust tables of the five aircraft records. tools/fmfit writes this file: it
// tunes the tables until trimmed level flight meets the published cruise tables (run
// "fmfit --fit --write flight/aircraft_data.h" from the source folder to regenerate).
#pragma once

#include <cstdint>

namespace flight {

// Propeller (or fan) efficiency by true airspeed over the record's reference speed, Q16.
inline constexpr std::int32_t kEfficiency172[17] = {20573, 20573, 20573, 20573, 20573, 20573,
                                                    18166, 21595, 19623, 18743, 18219, 16324,
                                                    13020, 12018, 11160, 10416, 9765};
inline constexpr std::int32_t kEfficiencyKingAir[17] = {78643, 78643, 78643, 78643, 78643, 78643,
                                                        78643, 74898, 65536, 85733, 87801, 87244,
                                                        43691, 40330, 37449, 34953, 32768};
inline constexpr std::int32_t kEfficiencyCitationJet[17] = {
    78643, 78643, 78643, 78643, 78643, 78643, 68745, 64800, 63733,
    65543, 61559, 63667, 59645, 38717, 35951, 33554, 31457};

// Reference speed (knots indicated) by power position of the records whose efficiency goes by
// power.
inline constexpr std::int16_t kReferenceSpeedBonanza[17] = {
    70, 70, 70, 268, 226, 258, 276, 200, 144, 144, 144, 144, 144, 144, 144, 144, 144};
inline constexpr std::int16_t kReferenceSpeedBaron[17] = {
    70, 70, 316, 319, 332, 152, 152, 152, 152, 152, 152, 152, 152, 152, 152, 152, 152};

// Efficiency by power {A, r0, n}: A / r^n above the ratio r0, A / r0^n below it.
inline constexpr double kPowerEfficiency[5][3] = {
    {0, 0, 0}, {0.16, 0.45, 1.3}, {0.16, 0.4, 1.15}, {0, 0, 0}, {0, 0, 0}};

// Altitude lapse of the constant-speed piston engines' thrust, Q16, every 1024 m.
inline constexpr std::uint16_t kLapseBonanza[17] = {65535, 65535, 58922, 54352, 49827, 50525,
                                                    47764, 45083, 42482, 39962, 37520, 35159,
                                                    32876, 30673, 28548, 26502, 24535};
inline constexpr std::uint16_t kLapseBaron[17] = {65535, 65448, 59127, 56446, 51773, 50031,
                                                  47764, 45083, 42482, 39962, 37520, 35159,
                                                  32876, 30673, 28548, 26502, 24535};

// Thrust by throttle position of the turbines, Q15.
inline constexpr std::int16_t kThrottleCurveKingAir[17] = {32767, 32767, 32767, 32767, 29782, 29198,
                                                           28903, 28623, 28156, 27619, 27609, 27825,
                                                           27701, 27484, 27063, 25147, 29055};
inline constexpr std::int16_t kThrottleCurveCitationJet[17] = {
    32767, 32767, 32767, 24059, 24239, 22969, 26394, 28320, 30770,
    32767, 32706, 32767, 32767, 32767, 32767, 19313, 19313};

// Power-limit fall-off above the cruise tables {start in metres, rate per metre}; it sets the
// service ceiling.
inline constexpr double kCeilingFalloff[5][2] = {{3658, 0.000578656793},
                                                 {3658, 0.000291696787},
                                                 {4877, 0.000650653839},
                                                 {10668, 0.00097863555},
                                                 {9500, 2.7692318e-06}};

// Altitude factor of the altitude-compensated engines {share at sea level, loss per metre};
// {0, 0} takes the density ratio.
inline constexpr double kCompensation[5][2] = {{1, 0.0004}, {0, 0}, {0, 0}, {0, 0}, {0, 0}};

}  // namespace flight
