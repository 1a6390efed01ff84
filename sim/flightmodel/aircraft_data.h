// The tuned thrust tables of the five aircraft records. tools/fmfit writes this file: it
// tunes the tables until trimmed level flight meets the published cruise tables (run
// "fmfit --fit --write sim/flightmodel/aircraft_data.h" from the source folder to regenerate).
#pragma once

#include <cstdint>

namespace sim {

// Propeller (or fan) efficiency by true airspeed over the record's reference speed, Q16.
inline constexpr std::int32_t kEfficiency172[17] = {26233, 26233, 26233, 26233, 26233, 26233,
                                                    23161, 21192, 18904, 18073, 17032, 15340,
                                                    13020, 12018, 11160, 10416, 9765};
inline constexpr std::int32_t kEfficiencyBonanza[17] = {10477, 10477, 10477, 10477, 10477, 10477,
                                                        10477, 9485,  25818, 22377, 21970, 21432,
                                                        17302, 15971, 14830, 13841, 12976};
inline constexpr std::int32_t kEfficiencyBaron[17] = {1358,  1358,  1358,  1358,  1358,  1358,
                                                      1336,  1145,  36412, 26636, 24945, 22997,
                                                      14505, 13390, 12433, 11604, 10879};
inline constexpr std::int32_t kEfficiencyKingAir[17] = {78643, 78643, 78643, 78643, 78643, 78643,
                                                        78643, 74898, 65536, 86873, 89319, 86243,
                                                        43691, 40330, 37449, 34953, 32768};
inline constexpr std::int32_t kEfficiencyCitationJet[17] = {
    78643, 78643, 78643, 78643, 78643, 78643, 68846, 64205, 62706,
    65029, 60916, 63873, 59216, 38717, 35951, 33554, 31457};

// Altitude lapse of the constant-speed piston engines' thrust, Q16, every 1024 m.
inline constexpr std::uint16_t kLapseBonanza[17] = {61838, 63883, 60290, 58578, 56432, 65535,
                                                    65535, 65535, 65535, 65535, 65535, 65535,
                                                    65535, 65535, 65535, 65535, 65535};
inline constexpr std::uint16_t kLapseBaron[17] = {35524, 61975, 52955, 54455, 53402, 50998,
                                                  65535, 65535, 65535, 65535, 65535, 65535,
                                                  65535, 65535, 65535, 65535, 65535};

// Thrust by throttle position of the turbines, Q15.
inline constexpr std::int16_t kThrottleCurveKingAir[17] = {32767, 32767, 32767, 32767, 29450, 28966,
                                                           28602, 28849, 28073, 27864, 27748, 27771,
                                                           27281, 27074, 26695, 24737, 29055};
inline constexpr std::int16_t kThrottleCurveCitationJet[17] = {
    32767, 32767, 32767, 25353, 24583, 22930, 26357, 28604, 31034,
    32767, 32767, 32767, 32767, 32767, 32767, 19323, 19323};

// Power-limit fall-off above the cruise tables {start in metres, rate per metre}; it sets the
// service ceiling.
inline constexpr double kCeilingFalloff[5][2] = {{3658, 0.000712062716},
                                                 {3658, 0.00036685288},
                                                 {4877, 0.00108598053},
                                                 {8000, 0},
                                                 {9500, 5.96046448e-10}};

}  // namespace sim
