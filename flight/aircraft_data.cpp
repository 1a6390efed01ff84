// The five aircraft parameter records.
//
// Each record is built from three kinds of value:
//  - the values the flight model itself fixes for each type (model codes, gains, flap notches,
//    engine power words, governor figures), written as plain numbers below;
//  - published figures of the real aircraft (weights, fuel, stall speeds, climb, ceilings),
//    each noted with its source;
//  - tables shaped by the model's own formulas so that the model agrees with itself: the
//    altitude tables come from the model's atmosphere (theta = 1 - 7.03e-6 h, density ratio
//    theta^4.14), the power words from its fuel-burn law (a power word p burns p / 10 kg per
//    hour per piston engine and p kg per hour per turbine), the flap lift words (the notch-0
//    word trims the common lift table to the type's published clean stall, the last notch's
//    to its published full-flap stall), and the thrust tables
//    (propeller efficiency or the reference speeds by power, altitude lapse, throttle curve,
//    power-limit fall-off) were tuned with tools/fmfit until trimmed level flight meets the
//    published cruise tables and the handbooks' best climb and ceiling.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "flight/aircraft_data.h"
#include "flight/aircraft_parameters.h"

namespace flight {

namespace {

constexpr double kFeetPerMetre = 3.2808;
constexpr double kKnotsPerMetrePerSecond = 1.943844;
// The Baron's leaned full throttle: the share of its full-rich power word.
constexpr double kLeanedFullThrottleShare = 0.565;

// The model's own atmosphere.
double DensityRatioAtMetres(double metres) {
    double theta = 1.0 - 7.03e-06 * metres * kFeetPerMetre;
    if (theta < 0.01) theta = 0.01;
    return std::pow(theta, 4.14);
}

std::uint16_t ToU16(double v) {
    if (v < 0.0) return 0;
    if (v > 65535.0) return 65535;
    return static_cast<std::uint16_t>(v + 0.5);
}

std::int16_t ToI16(double v) {
    if (v < -32768.0) return -32768;
    if (v > 32767.0) return 32767;
    return static_cast<std::int16_t>(std::lround(v));
}

// IAS over TAS (sqrt of the density ratio) in half-knots per m/s, Q15, every 2048 m: applied to
// the 16.16 true airspeed it leaves the indicated airspeed in knots x 32768.
void FillIASFactor(AircraftParameters& ap) {
    for (int i = 0; i < 17; ++i) {
        ap.apIASFactor[i] = ToU16(kKnotsPerMetrePerSecond / 2.0 *
                                  std::sqrt(DensityRatioAtMetres(i * 2048.0)) * 32768.0);
    }
}

// The full-control speed is the scale (m/s) at sea level, held as an indicated speed: its
// true value grows with altitude.
void FillControlSpeed(AircraftParameters& ap) {
    for (int i = 0; i < 17; ++i) {
        ap.apControlSpeed[i] =
            static_cast<std::int32_t>(65536.0 / std::sqrt(DensityRatioAtMetres(i * 2048.0)) + 0.5);
    }
}

}  // namespace

// Altitude factor (density ratio, Q16) and the power limit of each 304 m band. Piston engines
// lose power with density (the classic 1.132 sigma - 0.132 law); turbines are flat-rated up
// to their rating altitude and lose power with density above it.
void RebuildAltitudeBands(AircraftParameters& ap) {
    const double flatRatedMetres = ap.apFlatRatedMetres;
    const double full = ap.apMaxPower / 2.0 + ap.apIdlePower;
    const double flat = DensityRatioAtMetres(flatRatedMetres);
    for (int b = 0; b <= kAltitudeBands; ++b) {
        const double metres = 304.0 * (b + 1);
        const double sigma = DensityRatioAtMetres(metres);
        double factor = sigma;
        if (ap.apCompensationAtSeaLevel > 0.0) {
            factor = ap.apCompensationAtSeaLevel - ap.apCompensationPerMetre * metres;
            if (factor < 0.0) factor = 0.0;
            if (factor > 1.0) factor = 1.0;
        }
        ap.apAltitudeFactor[b] = ToU16(factor * 65535.0);
        double share;
        if (flatRatedMetres > 0.0) {
            share = sigma >= flat ? 1.0 : sigma / flat;
        } else {
            share = 1.132 * sigma - 0.132;
        }
        if (share < 0.0) share = 0.0;
        if (ap.apLeanedShare < 1.0 && metres > ap.apLeanFromMetres) {
            const double along =
                ap.apLeanByMetres > ap.apLeanFromMetres
                    ? std::min(1.0, (metres - ap.apLeanFromMetres) /
                                        (ap.apLeanByMetres - ap.apLeanFromMetres))
                    : 1.0;
            share *= 1.0 - (1.0 - ap.apLeanedShare) * along;
        }
        if (metres > ap.apFalloffStartMetres)
            share *= std::exp(-ap.apFalloffPerMetre * (metres - ap.apFalloffStartMetres));
        ap.apPowerLimit[b] = ToU16(full * share + 1.0);
    }
}

// Efficiency by power: the ratio r is the indicated airspeed over the reference speed of the
// power setting. Above r0 a propeller turns a steady power into a thrust that falls about as one
// over the speed (A / r^n, n near 1); below it the thrust still rises as the speed falls, but
// levelling off, to 1 + k times its value at r0 standing (1 + k (1 - (r / r0)^2)). The
// reference speed by power then carries how much thrust each power word is worth: a full-rich
// full throttle burns far more fuel for each unit of thrust than a leaned cruise setting.
// Above the ratio r1 (only full power near sea level flies there: a lower power's reference speed
// is higher) the propeller nears its best efficiency, which rises with the speed as fast as the
// speed itself, and the thrust stays level at its value at r1 (r1 0: no such ratio).
void RebuildPowerEfficiency(AircraftParameters& ap, const double (&shape)[5]) {
    // A record whose full throttle keeps its worth below the knee reads the same knee and fall.
    if (ap.apKneeAtFullReference > 0.0) {
        ap.apKneeAtFullReference = shape[1];
        ap.apKneeExponent = shape[2];
    }
    const double level = shape[4] > 0.0 ? std::max(shape[4], shape[1]) : 1.0;
    for (int i = 0; i < 17; ++i) {
        const double r = i / 16.0;
        const double below =
            r < shape[1] ? 1.0 + shape[3] * (1.0 - (r / shape[1]) * (r / shape[1])) : 1.0;
        ap.apEfficiency[i] = static_cast<std::int32_t>(std::lround(
            shape[0] * std::pow(std::clamp(r, shape[1], level), -shape[2]) * below * 65536.0));
    }
}

namespace {

void FillAltitudeBands(AircraftParameters& ap, double flatRatedMetres, int type) {
    ap.apFlatRatedMetres = flatRatedMetres;
    ap.apFalloffStartMetres = kCeilingFalloff[type][0];
    ap.apFalloffPerMetre = kCeilingFalloff[type][1];
    ap.apCompensationAtSeaLevel = kCompensation[type][0];
    ap.apCompensationPerMetre = kCompensation[type][1];
    RebuildAltitudeBands(ap);
}

void FillFlaps(AircraftParameters& ap, std::initializer_list<int> alpha,
               std::initializer_list<int> lift, std::initializer_list<int> drag) {
    int i = 0;
    for (int v : alpha)
        ap.apFlapAlpha[i++] = static_cast<std::int16_t>(v);
    for (; i < 5; ++i)
        ap.apFlapAlpha[i] = ap.apFlapAlpha[i - 1];
    i = 0;
    for (int v : lift)
        ap.apFlapLift[i++] = static_cast<std::int16_t>(v);
    for (; i < 5; ++i)
        ap.apFlapLift[i] = ap.apFlapLift[i - 1];
    i = 0;
    for (int v : drag)
        ap.apFlapDrag[i++] = static_cast<std::int16_t>(v);
    for (; i < 5; ++i)
        ap.apFlapDrag[i] = ap.apFlapDrag[i - 1];
}

// Fuel in 1/256 kg, split over the two main tanks.
void FillFuel(AircraftParameters& ap, double kilograms) {
    const std::int32_t half = static_cast<std::int32_t>(kilograms * 256.0 / 2.0);
    ap.apInitialFuel[0] = half;
    ap.apInitialFuel[1] = half;
    ap.apInitialFuel[2] = 0;
}

void FillEfficiency(AircraftParameters& ap, const std::int32_t (&table)[17]) {
    for (int i = 0; i < 17; ++i)
        ap.apEfficiency[i] = table[i];
}

void FillPowerEfficiency(AircraftParameters& ap, const double (&shape)[5],
                         const std::int16_t (&referenceSpeed)[17]) {
    ap.apEfficiencyMode = EfficiencyMode::ByPower;
    for (int i = 0; i < 17; ++i)
        ap.apReferenceSpeed[i] = referenceSpeed[i];
    RebuildPowerEfficiency(ap, shape);
}

// The elevator trim wheel's stops: two hundred key presses from one to the other, so that a
// re-trim of a few presses shows on the trim indicator's marker (eleven pixels either way).
void FillTrimStops(AircraftParameters& ap, std::int16_t noseDown, std::int16_t noseUp) {
    ap.apTrimNoseDown = noseDown;
    ap.apTrimNoseUp = noseUp;
    ap.apTrimStep = static_cast<std::int16_t>((noseUp - noseDown) / kTrimPressesStopToStop);
}

void FillCommonTables(AircraftParameters& ap) {
    FillIASFactor(ap);
    FillControlSpeed(ap);
    for (int i = 0; i < 17; ++i) {
        ap.apThrottleCurve[i] = 32767;
        ap.apLapse[i] = 65535;
        // Reference speeds by power position, for records that read the efficiency by power.
        ap.apReferenceSpeed[i] = ToI16(80.0 + 10.0 * i);
    }
    ap.apEfficiencyMode = EfficiencyMode::ByTrueAirspeed;
    ap.apDoubleThrust = 1;
    ap.apTrimStep = 8;
    ap.apTrimNoseDown = ap.apTrimNoseUp = 0;
    ap.apIncidence = 0;
    ap.apRollGain = 20000;
    ap.apSideForceGain = 1000;
    ap.apGearHeight = 496;
    ap.apLimiterThrottle = 29491;
    ap.apLimiterAltitude = 6098;
    ap.apLimiterSpan = 7622;
    ap.apLimiterDepth = 9830;
    ap.apLowSpeedCut = 18000;
    ap.apGovernorThreshold = 10800;
    ap.apGovernorSpeeds[0] = 2700;
    ap.apGovernorSpeeds[1] = 2500;
    ap.apGovernorSpeeds[2] = 2400;
    ap.apGovernorLimits[0] = 2500;
    ap.apGovernorLimits[1] = 2400;
    ap.apTurbineGovernor = 3277;
}

// The Skyhawk's fixed-pitch propeller: 700 rpm at idle and about 2,300 static at full throttle
// (the handbook's static range is 2,280 to 2,380); the airflow windmills it faster with speed,
// most at small throttle (about 1,150 rpm gliding at 65 kt). The static speeds between are
// tuned (tools/fmfit) to the handbook's cruise: about 2,200 rpm at 55 % power and 97 kt, 2,400 at
// 75 % and 116 kt true.
void FillFixedPitchSpeed(AircraftParameters& ap) {
    for (int i = 0; i < 17; ++i) {
        ap.apStaticRpm[i] = kStaticRpm172[i];
        ap.apWindmillRpm[i] = ToI16(3448.0 + (1400.0 - 3448.0) * i / 16.0);
    }
}

void FillConstantSpeed(AircraftParameters& ap) {
    for (int i = 0; i < 17; ++i) {
        const double metres = i * 1024.0;  // quarter-metre positions, 1024 m a segment
        ap.apPropAltA[i] = ToU16(2800.0 * (1.132 * DensityRatioAtMetres(metres) - 0.132) + 300.0);
        ap.apPropAltB[i] = 2450;
        ap.apPropThrottle[i] = ToU16(26214.0 + (65535.0 - 26214.0) * i / 16.0);
    }
    ap.apPropLowRpm[0] = 700;
    ap.apPropLowRpm[1] = 1200;
    ap.apPropLowRpm[2] = 1700;
    ap.apPropLowRpm[3] = 2200;
    ap.apPropLowWindmill = 1000;
}

// Turbine speed words are tenths of a percent of rated gas-generator speed.
void FillTurbineSpeed(AircraftParameters& ap, double idle, double full) {
    const double altitudes[kTurbineAltitudeRows] = {0.0, 3000.0, 6000.0, 12000.0};
    for (int r = 0; r < kTurbineAltitudeRows; ++r) {
        ap.apTurbineRows[r].altitude = static_cast<std::int16_t>(altitudes[r]);
        for (int i = 0; i < 17; ++i) {
            ap.apTurbineRows[r].speedByThrottle[i] =
                ToI16(idle + (full - idle) * i / 16.0 + 4.0 * r);
        }
    }
    for (int b = 0; b <= kAltitudeBands; ++b) {
        ap.apTurbineIdle[b] = ToI16(40.0 + b * 0.5);
        ap.apTurbineMaxSpeed[b] = ToI16(full + 30.0);
    }
}

// ---- Cessna 172 --------------------------------------------------------------------------
// Published pilot's operating handbook figures (Cessna 172N, 160 hp): maximum weight 2300 lb
// (1043 kg); usable fuel 40 US gal; stall 50 KCAS flaps up, 41 KCAS flaps 40 degrees at
// 2300 lb; best rate of climb at sea level 770 ft/min; service ceiling 14,200 ft; engine
// 160 hp at 2700 rpm with a fixed-pitch propeller.
AircraftParameters Build172() {
    AircraftParameters ap{};
    FillCommonTables(ap);
    ap.apModelCode = 5;
    FillTrimStops(ap, -800, 3600);
    ap.apEmptyWeight = 643;
    ap.apMaxTakeoffWeight = 1043;
    ap.apMaxFuel = 109;  // 40 gal x 6 lb / 2.2
    FillFuel(ap, 109.0);
    ap.apInitialPayload = 1043 - 643 - 109;
    ap.apYawGain = 3000;
    ap.apRudderFullSpeed = 10;
    ap.apAdverseYaw = 3000;
    ap.apFullControlScale = 20;
    ap.apMinControlSpeed = 10;
    ap.apHighAlphaYaw = 1;
    ap.apHighAlphaThreshold = 364;
    ap.apHighAlphaGain = 1;
    ap.apStaticFriction = 52;   // about 5 % of the weight
    ap.apRollingFriction = 21;  // about 2 %
    ap.apBrakeGain = 3;
    ap.apGroundEffectHeight = 8;
    ap.apGroundEffectGain = 3200;
    ap.apMaxFlaps = 3;
    ap.apEngineCount = 1;
    FillFlaps(ap, {0, 256, 512, 768, 1024}, {0, 20, 25, 30}, {0, 13, 26, 36});
    ap.apFlapAlphaRate = 32;
    ap.apFlapLiftRate = 4;
    ap.apFlapDragRate = 5;
    ap.apTurbulenceFactor = 1.0f;
    ap.apMinTurbulenceHeight = 150;
    ap.apEngineModel = EngineSpeedModel::FixedPitch;
    ap.apMaxPower = 580;
    ap.apAltitudeCompensated = 1;
    ap.apIdlePower = 75;
    ap.apThrustFactor = 590;
    FillAltitudeBands(ap, 0.0, 0);
    // Full throttle runs the mixture rich: the throttle curve takes the thrust its power word is
    // worth there down to the handbook's top speed.
    ap.apThrottleCurveOn = 1;
    for (int i = 0; i < 17; ++i)
        ap.apThrottleCurve[i] = kThrottleCurve172[i];
    // High up the air holds full throttle below the rich word the curve takes down; read where it
    // stands, the held word was worth a leaner setting's thrust and full power flew 124.4 KTAS at
    // 8,000 ft, faster than at 4,000 (122.9). The curve reads the word scaled by the fifth root of
    // the height's share: full power at 8,000 ft flies 120.8 KTAS, the handbook's 120 there (its
    // 75 % row, full throttle at that height), the 75 % rows above 6,000 ft about 1 kt slower.
    ap.apWorthByHeightShare = 0.2;
    ap.apFixedReferenceSpeed = 100;
    FillEfficiency(ap, kEfficiency172);
    ap.apDragScale = kDragScale[0];
    FillFixedPitchSpeed(ap);
    return ap;
}

// ---- Beechcraft V35 Bonanza --------------------------------------------------------------
// Published pilot's operating handbook figures (V35B, 285 hp): maximum weight 3400 lb
// (1542 kg); usable fuel 74 US gal; stall 63 KCAS flaps up, 53 KCAS gear and flaps down;
// best rate of climb at sea level 1136 ft/min; service ceiling 17,858 ft; constant-speed
// propeller, 2700 rpm maximum.
AircraftParameters BuildBonanza() {
    AircraftParameters ap{};
    FillCommonTables(ap);
    ap.apModelCode = 2;
    FillTrimStops(ap, -600, 3200);
    ap.apEmptyWeight = 968;
    ap.apMaxTakeoffWeight = 1542;
    ap.apMaxFuel = 202;
    FillFuel(ap, 202.0);
    ap.apInitialPayload = 1542 - 968 - 202;
    ap.apYawGain = 2800;
    ap.apRudderFullSpeed = 10;
    ap.apAdverseYaw = 2000;
    ap.apFullControlScale = 20;
    ap.apMinControlSpeed = 10;
    ap.apHighAlphaYaw = 1;
    ap.apHighAlphaThreshold = 455;
    ap.apHighAlphaGain = 2;
    ap.apStaticFriction = 77;
    ap.apRollingFriction = 31;
    ap.apBrakeGain = 5;
    ap.apGroundEffectHeight = 9;
    ap.apGroundEffectGain = 3200;
    ap.apMaxFlaps = 2;
    ap.apEngineCount = 1;
    FillFlaps(ap, {0, 384, 768}, {-17, 8, 30}, {0, 14, 32});
    ap.apFlapAlphaRate = 64;
    ap.apFlapLiftRate = 1;
    ap.apFlapDragRate = 4;
    ap.apTurbulenceFactor = 0.9f;
    ap.apMinTurbulenceHeight = 150;
    ap.apEngineModel = EngineSpeedModel::ConstantSpeed;
    ap.apMaxPower = 998;
    ap.apIdlePower = 92;
    ap.apThrustFactor = 7130;
    FillAltitudeBands(ap, 0.0, 1);
    ap.apLapseOn = 1;
    for (int i = 0; i < 17; ++i)
        ap.apLapse[i] = kLapseBonanza[i];
    FillPowerEfficiency(ap, kPowerEfficiency[1], kReferenceSpeedBonanza);
    ap.apDragScale = kDragScale[1];
    ap.apStoreSecondOutput = 1;
    FillConstantSpeed(ap);
    return ap;
}

// ---- Beechcraft 58 Baron -----------------------------------------------------------------
// Published pilot's operating handbook figures (58, 2 x 300 hp): maximum weight 5500 lb
// (2495 kg); usable fuel 194 US gal; stall 84 KIAS flaps up, 74 KIAS gear and flaps down;
// best rate of climb at sea level 1700 ft/min; service ceiling 20,688 ft. The cruise fuel
// flows of the navigation log are per engine.
AircraftParameters BuildBaron() {
    AircraftParameters ap{};
    FillCommonTables(ap);
    ap.apModelCode = 3;
    FillTrimStops(ap, 800, 5600);
    ap.apEmptyWeight = 1293;
    ap.apMaxTakeoffWeight = 2495;
    ap.apMaxFuel = 529;
    FillFuel(ap, 529.0);
    ap.apInitialPayload = 2495 - 1293 - 529;
    ap.apYawGain = 2600;
    ap.apRudderFullSpeed = 10;
    ap.apAdverseYaw = 2000;
    ap.apFullControlScale = 20;
    ap.apMinControlSpeed = 10;
    ap.apHighAlphaYaw = 0;
    ap.apStaticFriction = 125;
    ap.apRollingFriction = 50;
    ap.apBrakeGain = 8;
    ap.apGroundEffectHeight = 10;
    ap.apGroundEffectGain = 7000;
    ap.apMaxFlaps = 2;
    ap.apEngineCount = 2;
    FillFlaps(ap, {0, 384, 768}, {-39, -25, -9}, {0, 16, 34});
    ap.apFlapAlphaRate = 64;
    ap.apFlapLiftRate = 1;
    ap.apFlapDragRate = 4;
    ap.apTurbulenceFactor = 0.8f;
    ap.apMinTurbulenceHeight = 150;
    ap.apEngineModel = EngineSpeedModel::ConstantSpeed;
    ap.apMaxPower = 1650;
    ap.apIdlePower = 138;
    ap.apThrustFactor = 3450;
    // Full throttle runs rich near the ground and leaned higher up. From 6,000 ft, where the
    // navigation log's 75 % power first needs full throttle (its fuel flow falls above, 15.9 gal/h
    // an engine at 6,000 ft to 11.0 at 16,000), the log's flows are 0.55 of the full-rich flow times
    // the density law's share (1.132 sigma - 0.132) at every height; the leaned word keeps a little
    // above them. The pilot leans between 2,000 and 4,800 ft: full power then falls with height,
    // 209 KTAS at 1,000 ft, 207 at 4,000 and 199 at 8,000, where it used to rise (209, 215, 218),
    // the rich word's thrust read as a leaned cruise power's.
    ap.apLeanedShare = kLeanedFullThrottleShare;
    ap.apLeanFromMetres = 610.0;
    ap.apLeanByMetres = 1463.0;
    FillAltitudeBands(ap, 0.0, 2);
    ap.apLapseOn = 1;
    for (int i = 0; i < 17; ++i)
        ap.apLapse[i] = kLapseBaron[i];
    // The leaned full throttle keeps its worth below the knee down to the full-rich word's knee
    // (the efficiency's own knee and fall, set with it): with the leaned word's thrust levelling
    // off at its own knee, the full-power runs at Aspen, Eagle, Telluride and Sun Valley covered
    // 80 to 145 m in 20 s instead of over 350.
    ap.apKneeAtFullReference = 1.0;
    FillPowerEfficiency(ap, kPowerEfficiency[2], kReferenceSpeedBaron);
    ap.apDragScale = kDragScale[2];
    ap.apStoreSecondOutput = 1;
    FillConstantSpeed(ap);
    return ap;
}

// ---- Beechcraft B200 King Air ------------------------------------------------------------
// Published pilot's operating handbook figures (B200, 2 x 850 shp): maximum weight 12,500 lb
// (5670 kg); usable fuel 3645 lb; stall 99 KIAS flaps up, 75 KIAS flaps down; best rate of
// climb at sea level 2450 ft/min; service ceiling 35,000 ft.
AircraftParameters BuildKingAir() {
    AircraftParameters ap{};
    FillCommonTables(ap);
    ap.apModelCode = 4;
    FillTrimStops(ap, -400, 5200);
    ap.apEmptyWeight = 2815;
    ap.apMaxTakeoffWeight = 5670;
    ap.apMaxFuel = 1657;
    FillFuel(ap, 1460.0);  // 3212 lb on board
    ap.apInitialPayload = 5670 - 2815 - 1460;
    ap.apYawGain = 2400;
    ap.apRudderFullSpeed = 20;
    ap.apAdverseYaw = 200;
    ap.apFullControlScale = 45;
    ap.apMinControlSpeed = 20;
    ap.apHighAlphaYaw = 0;
    ap.apStaticFriction = 280;
    ap.apRollingFriction = 113;
    ap.apBrakeGain = 17;
    ap.apGroundEffectHeight = 40;
    ap.apGroundEffectGain = 20000;
    ap.apMaxFlaps = 2;
    ap.apEngineCount = 2;
    FillFlaps(ap, {0, 384, 768}, {-49, 10, 78}, {0, 20, 50});
    ap.apFlapAlphaRate = 64;
    ap.apFlapLiftRate = 1;
    ap.apFlapDragRate = 4;
    ap.apTurbulenceFactor = 0.6f;
    ap.apMinTurbulenceHeight = 200;
    ap.apEngineModel = EngineSpeedModel::Turbine;
    ap.apMaxPower = 390;
    ap.apIdlePower = 46;
    ap.apThrustFactor = 64170;
    FillAltitudeBands(ap, 4572.0, 3);  // flat-rated to 15,000 ft
    ap.apThrottleCurveOn = 1;
    for (int i = 0; i < 17; ++i)
        ap.apThrottleCurve[i] = kThrottleCurveKingAir[i];
    ap.apHighAltLimiter = 1;
    ap.apFixedReferenceSpeed = 220;
    FillEfficiency(ap, kEfficiencyKingAir);
    ap.apDragScale = kDragScale[3];
    ap.apLowSpeedCutOn = 1;
    FillTurbineSpeed(ap, 620.0, 1000.0);
    return ap;
}

// ---- Cessna 525 CitationJet --------------------------------------------------------------
// Published airplane flight manual figures (525, 2 x 1900 lbf): maximum weight 10,400 lb
// (4717 kg); usable fuel 3220 lb; stall 82 KCAS landing configuration; best rate of climb at
// sea level 3311 ft/min; maximum operating altitude 41,000 ft.
AircraftParameters BuildCitationJet() {
    AircraftParameters ap{};
    FillCommonTables(ap);
    ap.apModelCode = 1;
    FillTrimStops(ap, 600, 4600);
    ap.apEmptyWeight = 2815;
    ap.apMaxTakeoffWeight = 4717;
    ap.apMaxFuel = 1464;
    FillFuel(ap, 1460.0);
    ap.apInitialPayload = 4717 - 2815 - 1460;
    ap.apYawGain = 2000;
    ap.apRudderFullSpeed = 20;
    ap.apAdverseYaw = 200;
    ap.apFullControlScale = 45;
    ap.apMinControlSpeed = 20;
    ap.apHighAlphaYaw = 0;
    ap.apStaticFriction = 236;
    ap.apRollingFriction = 94;
    ap.apBrakeGain = 15;
    ap.apGroundEffectHeight = 12;
    ap.apGroundEffectGain = 6553;
    ap.apMaxFlaps = 3;
    ap.apEngineCount = 2;
    // Landing flaps' drag: an idle approach slows it at about a knot and a half a second, and a
    // pilot holding the height there meets the wing's stall at the manual's 82 KCAS.
    FillFlaps(ap, {0, 256, 512, 768}, {0, 5, 10, 15}, {0, 12, 28, 32});
    ap.apFlapAlphaRate = 64;
    ap.apFlapLiftRate = 1;
    ap.apFlapDragRate = 4;
    ap.apTurbulenceFactor = 0.5f;
    ap.apMinTurbulenceHeight = 200;
    ap.apEngineModel = EngineSpeedModel::Turbine;
    ap.apMaxPower = 676;
    ap.apIdlePower = 46;
    ap.apThrustFactor = 64170;
    FillAltitudeBands(ap, 4572.0, 4);  // flat-rated to 15,000 ft
    ap.apThrottleCurveOn = 1;
    for (int i = 0; i < 17; ++i)
        ap.apThrottleCurve[i] = kThrottleCurveCitationJet[i];
    ap.apHighAltLimiter = 1;
    ap.apFixedReferenceSpeed = 260;
    FillEfficiency(ap, kEfficiencyCitationJet);
    ap.apDragScale = kDragScale[4];
    ap.apLowSpeedCutOn = 1;
    FillTurbineSpeed(ap, 520.0, 1000.0);
    return ap;
}

AircraftParameters* Records() {
    static AircraftParameters records[5] = {Build172(), BuildBonanza(), BuildBaron(),
                                            BuildKingAir(), BuildCitationJet()};
    return records;
}

}  // namespace

const AircraftParameters& AircraftParametersForType(int type) {
    if (type < 0 || type > 4) type = 0;
    return Records()[type];
}

AircraftParameters& MutableAircraftParametersForType(int type) {
    if (type < 0 || type > 4) type = 0;
    return Records()[type];
}

}  // namespace flight
