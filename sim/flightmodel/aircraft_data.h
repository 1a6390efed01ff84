// The tuned thrust tables of the five aircraft records. tools/fmfit writes this file: it
// tunes the tables until trimmed level flight meets the published cruise tables (run
// "fmfit --fit --write sim/flightmodel/aircraft_data.h" from the source folder to regenerate).
#pragma once

#include <cstdint>

namespace sim {

// Propeller (or fan) efficiency by true airspeed over the record's reference speed, Q16.
inline constexpr std::int32_t kEfficiency172[17] = {26206, 26206, 26206, 26206, 26206, 26206,
                                                    23137, 21756, 19708, 18833, 18178, 16751,
                                                    13020, 12018, 11160, 10416, 9765};
inline constexpr std::int32_t kEfficiencyBonanza[17] = {1707,  1707,  1707,  1707,  1707,  1707,
                                                        1707,  1707,  1681,  1558,  25618, 24064,
                                                        22162, 22021, 21536, 20929, 16892};
inline constexpr std::int32_t kEfficiencyBaron[17] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 35496, 27506, 26253, 24682, 23421, 16769};
inline constexpr std::int32_t kEfficiencyKingAir[17] = {78643, 78643, 78643, 78643, 78643, 78643,
                                                        78643, 74898, 65536, 86427, 88184, 86905,
                                                        43691, 40330, 37449, 34953, 32768};
inline constexpr std::int32_t kEfficiencyCitationJet[17] = {
    78643, 78643, 78643, 78643, 78643, 78643, 68745, 64800, 63733,
    65543, 61559, 63667, 59645, 38717, 35951, 33554, 31457};

// Altitude lapse of the constant-speed piston engines' thrust, Q16, every 1024 m.
inline constexpr std::uint16_t kLapseBonanza[17] = {64715, 63382, 60619, 58393, 56148, 65535,
                                                    65535, 65535, 65535, 65535, 65535, 65535,
                                                    65535, 65535, 65535, 65535, 65535};
inline constexpr std::uint16_t kLapseBaron[17] = {48433, 56952, 53336, 53195, 52713, 50683,
                                                  65535, 65535, 65535, 65535, 65535, 65535,
                                                  65535, 65535, 65535, 65535, 65535};

// Thrust by throttle position of the turbines, Q15.
inline constexpr std::int16_t kThrottleCurveKingAir[17] = {32767, 32767, 32767, 32767, 29522, 29177,
                                                           28843, 28691, 28101, 27751, 27574, 27785,
                                                           27539, 27235, 26872, 24875, 29055};
inline constexpr std::int16_t kThrottleCurveCitationJet[17] = {
    32767, 32767, 32767, 24059, 24239, 22969, 26394, 28320, 30770,
    32767, 32706, 32767, 32767, 32767, 32767, 19313, 19313};

// Power-limit fall-off above the cruise tables {start in metres, rate per metre}; it sets the
// service ceiling.
inline constexpr double kCeilingFalloff[5][2] = {{3658, 0.000712062716},
                                                 {3658, 0.000348953605},
                                                 {4877, 0.00107262671},
                                                 {8000, 0},
                                                 {9500, 2.7692318e-06}};

// Altitude factor of the altitude-compensated engines {share at sea level, loss per metre};
// {0, 0} takes the density ratio.
inline constexpr double kCompensation[5][2] = {{0.8, 0.0003}, {0, 0}, {0, 0}, {0, 0}, {0, 0}};

}  // namespace sim
