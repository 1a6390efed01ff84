// The tuned thrust tables of the five aircraft records. tools/fmfit writes this file: it
// tunes the tables until trimmed level flight meets the published cruise tables (run
// "fmfit --fit --write flight/aircraft_data.h" from the source folder to regenerate).
#pragma once

#include <cstdint>

namespace flight {

// Propeller (or fan) efficiency by true airspeed over the record's reference speed, Q16.
inline constexpr std::int32_t kEfficiency172[17] = {29796, 29539, 28766, 27479, 25677, 23361, 20529, 16140, 14780, 14289, 13721, 13721, 10187, 9402, 8732, 8149, 7641};
inline constexpr std::int32_t kEfficiencyKingAir[17] = {84568, 84250, 83297, 81708, 79484, 66261, 57107, 50362, 45166, 41030, 41030, 41030, 23564, 21752, 20198, 18851, 17673};
inline constexpr std::int32_t kEfficiencyCitationJet[17] = {35787, 35787, 35787, 35787, 35787, 35787, 30786, 29483, 29177, 29177, 28230, 28230, 27427, 17619, 16360, 15269, 14315};

// Reference speed (knots indicated) by power position of the records whose efficiency goes by
// power.
inline constexpr std::int16_t kReferenceSpeedBonanza[17] = {70, 70, 70, 256, 221, 255, 270, 248, 230, 215, 203, 192, 183, 175, 168, 162, 156};
inline constexpr std::int16_t kReferenceSpeedBaron[17] = {70, 70, 316, 321, 340, 294, 260, 235, 216, 200, 187, 177, 167, 159, 152, 145, 139};

// Efficiency by power {A, r0, n, k, r1}: A / r^n between the ratios r0 and r1, A / r0^n (1 + k (1 -
// (r / r0)^2)) below r0, A / r1^n above r1 (r1 0: none).
inline constexpr double kPowerEfficiency[5][5] = {{0, 0, 0, 0, 0}, {0.0775815657, 0.45, 1.3, 0.493408203, 0.656951904}, {0.0673639856, 0.4, 1.05878906, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};

// Altitude lapse of the constant-speed piston engines' thrust, Q16, every 1024 m.
inline constexpr std::uint16_t kLapseBonanza[17] = {65535, 65535, 59305, 54529, 49957, 50525, 47764, 45083, 42482, 39962, 37520, 35159, 32876, 30673, 28548, 26502, 24535};
inline constexpr std::uint16_t kLapseBaron[17] = {65535, 65535, 60696, 57669, 53125, 51140, 47764, 45083, 42482, 39962, 37520, 35159, 32876, 30673, 28548, 26502, 24535};

// Engine speed of the fixed-pitch propeller by throttle position, standing still (rpm); the
// airflow adds its windmilling share.
inline constexpr std::int16_t kStaticRpm172[17] = {700, 921, 1142, 1362, 1718, 1799, 1870, 1932, 2014, 2060, 2149, 2149, 2153, 2190, 2227, 2263, 2300};

// Thrust by throttle position of the turbines and the Skyhawk, Q15.
inline constexpr std::int16_t kThrottleCurve172[17] = {32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767, 30638, 28740, 27064, 26788, 26788, 26788, 26788};
inline constexpr std::int16_t kThrottleCurveKingAir[17] = {32767, 32767, 32767, 32767, 32767, 32229, 31760, 31685, 31210, 31066, 30890, 31456, 31204, 30775, 30057, 31154, 31154};
inline constexpr std::int16_t kThrottleCurveCitationJet[17] = {32767, 32767, 32767, 27463, 23946, 23402, 26326, 28301, 30396, 32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767};

// Power-limit fall-off above the cruise tables {start in metres, rate per metre}; it sets the
// service ceiling.
inline constexpr double kCeilingFalloff[5][2] = {{3658, 0.00025870204}, {3658, 0.000282559395}, {4877, 0.00015776813}, {10668, 0.00156154871}, {11900, 0.00143898904}};

// Altitude factor of the altitude-compensated engines {share at sea level, loss per metre};
// {0, 0} takes the density ratio.
inline constexpr double kCompensation[5][2] = {{1, 0.0002}, {0, 0}, {0, 0}, {0, 0}, {0, 0}};

// Share of the type's airframe drag each record flies with (the parasite drag and the induced
// drag between the low and high speeds).
inline constexpr double kDragScale[5] = {0.782434, 0.484885, 0.421025, 0.539352, 0.455053};

}  // namespace flight
