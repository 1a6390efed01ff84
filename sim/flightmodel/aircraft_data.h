// The tuned thrust tables of the five aircraft records. tools/fmfit writes this file: it
// tunes the tables until trimmed level flight meets the published cruise tables (run
// "fmfit --write sim/flightmodel/aircraft_data.h" from the source folder to regenerate).
#pragma once

#include <cstdint>

namespace sim {

// Propeller (or fan) efficiency by true airspeed over the record's reference speed, Q16.
inline constexpr std::int32_t kEfficiency172[17] = {29491, 29491, 29491, 29491, 29491, 29491,
                                                    26040, 22320, 19530, 17360, 15624, 14203,
                                                    13020, 12018, 11160, 10416, 9765};
inline constexpr std::int32_t kEfficiencyBonanza[17] = {32768, 32768, 32768, 32768, 32768, 32768,
                                                        32768, 29660, 25952, 23069, 20762, 18874,
                                                        17302, 15971, 14830, 13841, 12976};
inline constexpr std::int32_t kEfficiencyBaron[17] = {29491, 29491, 29491, 29491, 29491, 29491,
                                                      29011, 24866, 21758, 19340, 17406, 15824,
                                                      14505, 13390, 12433, 11604, 10879};
inline constexpr std::int32_t kEfficiencyKingAir[17] = {78643, 78643, 78643, 78643, 78643, 78643,
                                                        78643, 74898, 65536, 58254, 52429, 47663,
                                                        43691, 40330, 37449, 34953, 32768};
inline constexpr std::int32_t kEfficiencyCitationJet[17] = {
    78643, 78643, 78643, 78643, 78643, 78643, 78643, 71902, 62915,
    55924, 50332, 45756, 41943, 38717, 35951, 33554, 31457};

// Altitude lapse of the constant-speed piston engines' thrust, Q16, every 1024 m.
inline constexpr std::uint16_t kLapseBonanza[17] = {65535, 65535, 65535, 65535, 65535, 65535,
                                                    65535, 65535, 65535, 65535, 65535, 65535,
                                                    65535, 65535, 65535, 65535, 65535};
inline constexpr std::uint16_t kLapseBaron[17] = {65535, 65535, 65535, 65535, 65535, 65535,
                                                  65535, 65535, 65535, 65535, 65535, 65535,
                                                  65535, 65535, 65535, 65535, 65535};

// Thrust by throttle position of the turbines, Q15.
inline constexpr std::int16_t kThrottleCurveKingAir[17] = {32767, 32767, 32767, 32767, 32767, 32767,
                                                           32767, 32767, 32767, 32767, 32767, 32767,
                                                           32767, 32767, 32767, 32767, 32767};
inline constexpr std::int16_t kThrottleCurveCitationJet[17] = {
    32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767,
    32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767};

}  // namespace sim
