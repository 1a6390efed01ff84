// Engine power, fuel burn, engine speed and thrust, driven by the current parameter record.
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "core/numeric.h"
#include "flight/aircraft_parameters.h"
#include "flight/airspeed.h"
#include "flight/fixed_point.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_world_services.h"
#include "flight/published_performance.h"

namespace flight {

EngineState theEngines;
std::uint32_t theLowSpeedThrustCut = 0;

namespace {

// The power each engine's throttle asks for where the King Air's condition lever holds a higher
// idle (0 elsewhere): the gas generator runs at the lever's idle, but with the power lever closed
// the propeller gives the thrust of the closed lever.
std::int64_t theThrottlePower[2] = {0, 0};

constexpr std::int32_t kBandMetres = 304;
constexpr std::int64_t kBoostCeiling = 0xA1F76;  // 1/256 m, about 2591 m

bool IsTurbineCode(std::uint16_t code) {
    return code == 1 || code == 4;
}

std::uint16_t ThrottlePosition(std::int32_t throttle) {
    if (throttle < 0) throttle = 0;
    return static_cast<std::uint16_t>(std::min<std::int32_t>(throttle * 2, 0xFFFF));
}

// Altitude as a table position in quarter metres (1/256 m >> 6), held at the ends.
std::uint16_t QuarterMetrePosition() {
    std::int64_t x = (static_cast<std::int64_t>(theFlightModelState.fmPosY) + theTerrainDatum) >> 6;
    if (x < 0) x = 0;
    if (x > 0xFFFF) x = 0xFFFF;
    return static_cast<std::uint16_t>(x);
}

std::int32_t AltitudeMetres() {
    return (theFlightModelState.fmPosY >> 8) + TerrainDatumMetres();
}

std::int32_t BandValue(const std::int16_t* table) {
    const std::int32_t y0 = table[theEngines.band];
    const std::int32_t y1 = table[theEngines.band + 1];
    return y0 - static_cast<std::int32_t>(
                    ((static_cast<std::int64_t>(y0) - y1) * theEngines.bandFraction) >> 16);
}

void BurnFromTank(int tank, double amount) {
    if (tank < 0 || tank > 1) return;
    theEngines.tank[tank] -= amount;
}

std::int32_t PublishedTank(int tank) {
    return theEngines.tank[tank] < 0.0 ? 0 : core::ClampToInt32(theEngines.tank[tank]);
}

void PublishTanks() {
    FlightModelState& s = theFlightModelState;
    s.fmFuel1 = PublishedTank(0);
    s.fmFuel2 = PublishedTank(1);
}

// The tanks keep the fraction the whole-unit fuel words lose; a fuel word that someone else
// wrote (a loaded flight, the loading dialog, a tape) is the new content of its tank.
void AdoptWrittenFuel() {
    const FlightModelState& s = theFlightModelState;
    if (s.fmFuel1 != PublishedTank(0)) theEngines.tank[0] = s.fmFuel1;
    if (s.fmFuel2 != PublishedTank(1)) theEngines.tank[1] = s.fmFuel2;
}

// The book's fuel flow (per engine, US gal/h) at a cruise power at the height: its rows at that
// power blended by the height, held at the table's ends. Nothing where the table lacks the power.
std::optional<double> BookFuelFlow(const PublishedPerformance& pub, int percent, double feet) {
    const CruisePoint* below = nullptr;
    const CruisePoint* above = nullptr;
    for (const CruisePoint& p : pub.cruise) {
        if (p.powerPercent != percent) continue;
        if (p.altitudeFeet <= feet && (!below || p.altitudeFeet > below->altitudeFeet)) below = &p;
        if (p.altitudeFeet >= feet && (!above || p.altitudeFeet < above->altitudeFeet)) above = &p;
    }
    if (!below && !above) return std::nullopt;
    if (!below || !above || above->altitudeFeet == below->altitudeFeet)
        return (below ? below : above)->fuelFlow;
    const double f = (feet - below->altitudeFeet) / (above->altitudeFeet - below->altitudeFeet);
    return below->fuelFlow + (above->fuelFlow - below->fuelFlow) * f;
}

// A piston's fuel flow (US gal/h) at its power word: ten times its kilograms an hour, gallons of
// 6 lb.
double GallonsPerHour(std::uint16_t power) {
    return power / 10.0 * 2.20462 / 6.0;
}

// The share of its rated power a piston gives at its fuel flow, read off the type's cruise table
// at the height (its rows name the power that burns each flow), straight on past the table's
// highest and lowest powers, within 0 and 1. Nothing for a type whose table is not in gallons.
std::optional<double> BookPowerShare(std::uint16_t power) {
    const PublishedPerformance& pub = PublishedPerformanceForType(FlightModelBaseType());
    if (!pub.fuelInGallons || power == 0) return std::nullopt;
    const double feet = AltitudeMetres() / 0.3048;
    // Gallons and percent of each power the table names; kept between calls (the gauges read it
    // every tick), so it allocates only once.
    static std::vector<std::pair<double, double>> byFlow;
    byFlow.clear();
    for (const CruisePoint& p : pub.cruise) {
        bool seen = false;
        for (const auto& f : byFlow)
            seen = seen || f.second == p.powerPercent;
        if (seen) continue;
        if (const std::optional<double> flow = BookFuelFlow(pub, p.powerPercent, feet))
            byFlow.emplace_back(*flow, p.powerPercent);
    }
    std::sort(byFlow.begin(), byFlow.end());
    if (byFlow.size() < 2) return std::nullopt;
    const double gallons = GallonsPerHour(power);
    std::size_t i = 0;
    while (i + 2 < byFlow.size() && gallons > byFlow[i + 1].first)
        ++i;
    const auto [f0, p0] = byFlow[i];
    const auto [f1, p1] = byFlow[i + 1];
    if (f1 <= f0) return std::nullopt;
    return std::clamp((p0 + (p1 - p0) * (gallons - f0) / (f1 - f0)) / 100.0, 0.0, 1.0);
}

// The propeller speed a pilot sets on a governed propeller for the power the engine gives, as the
// type's handbook sets it for its cruise powers: the power read from the fuel flow against the
// cruise table at the height (its rows name the power that burns it), the speed blended between
// the handbook's speeds for the powers around it and held at the lowest and highest. A governor
// holds it at any height. Nothing for a type whose handbook sets no speeds.
std::optional<double> HandbookRpm(std::uint16_t power) {
    const PublishedPerformance& pub = PublishedPerformanceForType(FlightModelBaseType());
    if (pub.cruiseRpm.empty() || !pub.fuelInGallons) return std::nullopt;
    const double gallonsPerHour = GallonsPerHour(power);
    const double feet = AltitudeMetres() / 0.3048;
    const CruiseRpm* lower = nullptr;
    const CruiseRpm* upper = nullptr;
    double lowerFlow = 0, upperFlow = 0;
    for (const CruiseRpm& r : pub.cruiseRpm) {
        const std::optional<double> flow = BookFuelFlow(pub, r.powerPercent, feet);
        if (!flow) continue;
        if (*flow <= gallonsPerHour && (!lower || *flow > lowerFlow)) {
            lower = &r;
            lowerFlow = *flow;
        }
        if (*flow >= gallonsPerHour && (!upper || *flow < upperFlow)) {
            upper = &r;
            upperFlow = *flow;
        }
    }
    if (!lower && !upper) return std::nullopt;
    if (!lower || !upper || upperFlow <= lowerFlow) return (lower ? lower : upper)->rpm;
    return lower->rpm +
           (upper->rpm - lower->rpm) * (gallonsPerHour - lowerFlow) / (upperFlow - lowerFlow);
}

// The governor's speed: the propeller lever fully forward (2,700 rpm) at full throttle, the
// handbook's cruise speed for the power below it; a type without handbook speeds steps by the
// second output c.
std::int64_t GovernedRpm(std::uint16_t power, std::int32_t throttle, std::int64_t c) {
    const AircraftParameters& ap = theAircraftParameters;
    if (c > ap.apGovernorLimits[0] || throttle >= 0x7FF8) return ap.apGovernorSpeeds[0];
    if (const std::optional<double> rpm = HandbookRpm(power)) return std::llround(*rpm);
    if (throttle > 0x7F7D || c > ap.apGovernorLimits[1]) return ap.apGovernorSpeeds[1];
    return ap.apGovernorSpeeds[2];
}

// The advance per turn of the blades on their fine stop: 14.5 degrees at the 30-inch station
// (Baron 58 handbook, section 1, page 1-11), 2 pi x 0.762 m x tan 14.5 degrees.
constexpr double kFinePitchMetres = 1.24;

// A governed propeller turns at the speed set unless the engine and the airflow cannot turn it so
// fast: below the governor's throttle threshold the blades sit on their fine stop, the speed
// following the throttle, and the airflow windmills them at about one turn per fine-pitch advance,
// up to the set speed. (So in cruise, whatever the throttle, the governor holds the speed.)
std::int64_t ConstantSpeedRpm(std::uint16_t power, std::int32_t throttleWord, std::int64_t tav,
                              std::int64_t c) {
    const AircraftParameters& ap = theAircraftParameters;
    const std::int32_t throttle = throttleWord < 0 ? 0 : throttleWord;
    const std::int64_t governed = GovernedRpm(power, throttle, c);
    if (throttle >= ap.apGovernorThreshold) return governed;
    const std::int64_t lowPos = (static_cast<std::int64_t>(throttle) * 65535) / ap.apGovernorThreshold;
    const double metresPerSecond = std::max<std::int64_t>(tav, 0) / 65536.0;
    const std::int64_t fineStop = ap.apPropLowRpm[0] +
                                  ((ap.apPropLowRpm[3] - ap.apPropLowRpm[0]) * lowPos) / 65535 +
                                  std::llround(metresPerSecond * 60.0 / kFinePitchMetres);
    return std::min(fineStop, governed);
}

}  // namespace

std::uint16_t ComputeEnginePower(std::int16_t throttle, int engineBit, std::uint16_t altitudeFactor,
                                 std::uint16_t powerLimit) {
    FlightModelState& s = theFlightModelState;
    const AircraftParameters& ap = theAircraftParameters;
    if ((s.fmEngines & engineBit) == 0) return 0;
    const std::uint32_t t = throttle < 0 ? 0u : static_cast<std::uint32_t>(throttle);
    std::uint32_t p = (t * static_cast<std::uint32_t>(ap.apMaxPower)) >> 16;
    std::uint32_t corrected = p;
    if (theEngines.altitudeFlag) {
        if (ap.apAltitudeCompensated) corrected = (p * altitudeFactor) >> 16;
        p += static_cast<std::uint32_t>(ap.apIdlePower);
        if (p > powerLimit) p = powerLimit;
        if (!ap.apAltitudeCompensated) corrected = p;
    } else if (IsTurbineCode(ap.apModelCode) || p == 0) {
        p += static_cast<std::uint32_t>(ap.apIdlePower);
        corrected = p;
    } else if (p < static_cast<std::uint32_t>(ap.apIdlePower)) {
        // An open throttle never gives less than a closed one: a piston's first lever steps
        // run at its idle power.
        p = static_cast<std::uint32_t>(ap.apIdlePower);
        corrected = p;
    }
    theEngines.powerRatio = p ? static_cast<double>(corrected) / static_cast<double>(p) : 1.0;

    if (ap.apBoostGain != 0 && static_cast<std::int32_t>(p) >= ap.apBoostThreshold &&
        static_cast<std::int64_t>(s.fmPosY) + theTerrainDatum <= kBoostCeiling) {
        p += (p * ap.apBoostGain) >> 16;
    }
    if (p > 0xFFFF) p = 0xFFFF;

    if (!theFlightWorldServices.isSlewing()) {
        AdoptWrittenFuel();
        // b is p * 1536 / 65536 exactly (high word plus low word / 65536).
        const std::uint32_t product = p * 1536u;
        double b =
            static_cast<double>(product >> 16) + static_cast<double>(product & 0xFFFF) / 65536.0;
        if (!IsTurbineCode(ap.apModelCode)) b *= 0.1;
        if (ap.apEngineCount == 1) {
            switch (theFuelTankSelector) {
                case 1:
                    BurnFromTank(0, 2 * b);
                    break;
                case 2:
                    BurnFromTank(0, b);
                    BurnFromTank(1, b);
                    break;
                case 3:
                    BurnFromTank(1, 2 * b);
                    break;
                default:
                    break;
            }
        } else {
            // Each call burns from the tank of each of the two engine selectors.
            const std::uint8_t left = theLeftEngineTankSelector;
            const std::uint8_t right = theRightEngineTankSelector;
            if (left == 1) BurnFromTank(0, b);
            if (left == 2) BurnFromTank(1, b);
            if (right == 1) BurnFromTank(1, b);
            if (right == 2) BurnFromTank(0, b);
        }
        PublishTanks();
    }
    return static_cast<std::uint16_t>(p);
}

double EngineRatedPowerShare(int engine) {
    const FlightModelState& s = theFlightModelState;
    if (engine < 0 || engine > 1 || (s.fmEngines & (engine == 0 ? 1 : 2)) == 0) return 0.0;
    const std::uint16_t power = static_cast<std::uint16_t>(s.fmEnginePower[engine]);
    if (const std::optional<double> share = BookPowerShare(power)) return *share;
    const AircraftParameters& ap = theAircraftParameters;
    const double full = ap.apMaxPower / 2.0 + ap.apIdlePower;
    return full > 0.0 ? std::clamp(power / full, 0.0, 1.0) : 0.0;
}

EngineSpeedResult EngineSpeed(std::uint16_t power) {
    const FlightModelState& s = theFlightModelState;
    const AircraftParameters& ap = theAircraftParameters;
    EngineSpeedResult r{0, 0, 0};
    if (power == 0) return r;
    const std::uint16_t pos = ThrottlePosition(s.fmThrot);
    const std::int64_t tav = s.fmTAVel;
    switch (ap.apEngineModel) {
        case EngineSpeedModel::FixedPitch: {
            const std::int64_t speed = Interpolate16(ap.apStaticRpm, pos) +
                                       ((Interpolate16(ap.apWindmillRpm, pos) * tav) >> 24);
            r.speed = core::ClampToInt16(speed);
            break;
        }
        case EngineSpeedModel::ConstantSpeed: {
            const std::uint16_t altPos = QuarterMetrePosition();
            const std::int64_t a = Interpolate16U(ap.apPropAltA, altPos);
            const std::int64_t b = Interpolate16U(ap.apPropAltB, altPos);
            const std::int64_t t = Interpolate16U(ap.apPropThrottle, pos);
            const std::int64_t c = std::max((a * t) >> 16, b);
            r.second = core::ClampToInt16(c);
            r.speed = core::ClampToInt16(ConstantSpeedRpm(power, s.fmThrot, tav, c));
            break;
        }
        case EngineSpeedModel::Turbine: {
            const std::int32_t metres = AltitudeMetres();
            int lower = 0;
            while (lower + 1 < kTurbineAltitudeRows - 1 &&
                   ap.apTurbineRows[lower + 1].altitude <= metres)
                ++lower;
            const TurbineAltitudeRow& r0 = ap.apTurbineRows[lower];
            const TurbineAltitudeRow& r1 = ap.apTurbineRows[lower + 1];
            const std::int64_t s0 = Interpolate16(r0.speedByThrottle, pos);
            const std::int64_t s1 = Interpolate16(r1.speedByThrottle, pos);
            std::int64_t span = r1.altitude - r0.altitude;
            std::int64_t into = metres - r0.altitude;
            if (into < 0) into = 0;
            if (span <= 0) span = 1;
            if (into > span) into = span;
            std::int64_t speed = s0 + ((s1 - s0) * into) / span;
            const std::int32_t throttle = s.fmThrot < 0 ? 0 : s.fmThrot;
            if (throttle < ap.apTurbineGovernor && ap.apTurbineGovernor > 0) {
                const std::int64_t idle = BandValue(ap.apTurbineIdle);
                speed += (idle * (ap.apTurbineGovernor - throttle)) / ap.apTurbineGovernor;
            }
            const std::int64_t cap = BandValue(ap.apTurbineMaxSpeed);
            if (speed > cap) speed = cap;
            r.speed = core::ClampToInt16(speed);
            const std::int64_t fraction =
                s.fmEngineConstant > 0
                    ? (static_cast<std::int64_t>(power) << 16) / s.fmEngineConstant
                    : 0;
            r.powerFraction = static_cast<std::uint16_t>(fraction >= 0xFFFF ? 0xFFFF : fraction);
            break;
        }
    }
    return r;
}

void StepEngines() {
    FlightModelState& s = theFlightModelState;
    const AircraftParameters& ap = theAircraftParameters;
    EngineState& en = theEngines;

    // 1. Density-altitude band above 304 m.
    const std::int32_t a =
        (s.fmPosY >> 8) + TerrainDatumMetres() + s.fmDensityAltOffset - kBandMetres;
    if (a > 0) {
        en.altitudeFlag = 1;
        std::int32_t band = a / kBandMetres;
        std::int32_t fraction = ((a % kBandMetres) << 16) / kBandMetres;
        if (band >= kAltitudeBands - 1) {
            band = kAltitudeBands - 1;
            fraction = 0;
        }
        en.band = static_cast<std::uint16_t>(band);
        en.bandFraction = static_cast<std::uint16_t>(fraction);
        auto blend = [&](const std::uint16_t* t) {
            const std::int64_t y0 = t[band];
            const std::int64_t y1 = t[band + 1];
            return static_cast<std::uint16_t>(y0 - (((y0 - y1) * fraction) >> 16));
        };
        en.altitudeFactor = blend(ap.apAltitudeFactor);
        en.powerLimit = blend(ap.apPowerLimit);
    } else {
        // Below the first band the factors run from their sea-level values (the engine's full
        // power, its full altitude factor) to the first band's, so that the power at a throttle
        // neither jumps by the idle power nor by the first band's loss where the bands begin.
        en.altitudeFlag = 1;
        en.band = en.bandFraction = 0;
        const std::int64_t metres = std::clamp<std::int64_t>(a + kBandMetres, 0, kBandMetres);
        const double seaLevelFactor =
            ap.apCompensationAtSeaLevel > 0.0 ? std::min(ap.apCompensationAtSeaLevel, 1.0) : 1.0;
        const std::int64_t factor = static_cast<std::int64_t>(seaLevelFactor * 65535.0 + 0.5);
        const std::int64_t limit = ap.apMaxPower / 2 + ap.apIdlePower + 1;
        en.altitudeFactor = static_cast<std::uint16_t>(
            factor + ((ap.apAltitudeFactor[0] - factor) * metres) / kBandMetres);
        en.powerLimit = static_cast<std::uint16_t>(
            limit + ((ap.apPowerLimit[0] - limit) * metres) / kBandMetres);
    }

    // 2. Power of each engine.
    s.fmEnginePower[0] = static_cast<std::int16_t>(
        ComputeEnginePower(s.fmThrot, 1, en.altitudeFactor, en.powerLimit));
    s.fmEnginePower[1] = 0;
    if (ap.apEngineCount == 2) {
        s.fmEnginePower[1] = static_cast<std::int16_t>(
            ComputeEnginePower(s.fmThrotRight, 2, en.altitudeFactor, en.powerLimit));
    }

    // 3. Engine speeds.
    EngineSpeedResult r[2] = {EngineSpeed(static_cast<std::uint16_t>(s.fmEnginePower[0])),
                              EngineSpeed(static_cast<std::uint16_t>(s.fmEnginePower[1]))};

    // 4. The King Air's condition levers hold a low or high idle. An idle is a share of what the
    // engine can give, so above the first band it shrinks with the band's power limit as the
    // full power does; a fixed floor would keep half the sea-level power at any height.
    theThrottlePower[0] = theThrottlePower[1] = 0;
    if (ap.apModelCode == 4) {
        const std::int64_t full = ap.apMaxPower / 2 + ap.apIdlePower;
        const std::int16_t levers[2] = {theLeftMixtureLever, theRightConditionLever};
        for (int i = 0; i < 2; ++i) {
            if ((s.fmEngines & (1 << i)) == 0) continue;
            std::int16_t floor = 0;
            std::int16_t idleSpeed = 0;
            if (levers[i] == 15) {
                floor = 88;
                idleSpeed = 560;
            } else if (levers[i] == 31) {
                floor = 122;
                idleSpeed = 700;
            }
            if (floor && en.altitudeFlag && full > 0 && en.powerLimit < full)
                floor = static_cast<std::int16_t>(
                    (floor * static_cast<std::int64_t>(en.powerLimit)) / full);
            if (floor && s.fmEnginePower[i] < floor) {
                theThrottlePower[i] = static_cast<std::uint16_t>(s.fmEnginePower[i]);
                s.fmEnginePower[i] = floor;
                r[i].speed = idleSpeed;
            }
        }
    }

    // 5. The Cessna 172's magneto check drops the engine speed.
    if (ap.apModelCode == 5) {
        r[0].speed = core::ClampToInt16(static_cast<std::int64_t>(r[0].speed) -
                                        theEngineSpeedDrop[0] - theEngineSpeedDrop[1]);
    }

    // 6. Mixture: too rich costs up to an eighth, too lean up to a sixth.
    const double speed = r[0].speed;
    const double thrust = s.fmThrust;
    if (FlightModelBaseType() != 4) {
        const int n = static_cast<int>(en.powerRatio * 31.0);
        const int m = theLeftMixtureLever;
        if (n < m) {
            s.fmAdjustedTach = core::ClampToInt16(
                core::ClampToInt32(speed - (1.0 - en.powerRatio) * speed * 0.125));
            s.fmNetThrust = core::ClampToInt32(thrust - (1.0 - en.powerRatio) * thrust * 0.125);
        } else if (n > m) {
            const double q = static_cast<double>(m) / n;
            s.fmAdjustedTach =
                core::ClampToInt16(core::ClampToInt32(speed - (1.0 - q) * speed / 6.0));
            s.fmNetThrust = core::ClampToInt32(thrust - (1.0 - q) * thrust / 6.0);
        } else {
            s.fmAdjustedTach = r[0].speed;
            s.fmNetThrust = s.fmThrust;
        }
    } else {
        s.fmAdjustedTach = r[0].speed;
        s.fmNetThrust = s.fmThrust;
    }

    // 7. Outputs for the gauges.
    for (int i = 0; i < 2; ++i) {
        s.fmEngineSpeed[i] = r[i].speed;
        s.fmPowerFraction[i] = r[i].powerFraction;
        s.fmEngineSecond[i] = ap.apStoreSecondOutput ? r[i].second : 0;
    }
}

// The throttle word whose power this is, had neither a power limit nor an idle floor held it:
// the turbines' throttle curve and high-altitude limiter read it, so that where the power stands
// still (held by the altitude's power limit or the condition levers' idle) the thrust does too.
namespace {
std::int64_t ThrottleOfPower(std::int64_t power) {
    const AircraftParameters& ap = theAircraftParameters;
    if (ap.apMaxPower <= 0) return 0;
    return std::clamp<std::int64_t>(((power - ap.apIdlePower) << 16) / ap.apMaxPower, 0, 32767);
}

// A closed throttle's propeller (or fan) pulls the aircraft along at a walking pace but stops
// pulling as the air meets it faster: its idling blades windmill. The idle power's share of the
// thrust fades out by kIdleThrustFadeKnots (indicated), as the square of how far the throttle is
// closed within the first kIdleThrustThrottle of its travel (every cruise power opens it further);
// more throttle is never less thrust.
constexpr double kIdleThrustFadeKnots = 30.0;
constexpr double kIdleThrustThrottle = 0.1;
// A fan keeps part of its idle thrust in flight, short of the ram drag of the air it swallows: it
// loses this share of it.
constexpr double kFanIdleThrustLost = 0.45;
constexpr double kFanRamLossPerKnot = 0.004;
constexpr double kFanMostIdleThrustLost = 0.8;

std::int64_t IdleThrustFade(std::int64_t power, std::int32_t throttleWord) {
    const AircraftParameters& ap = theAircraftParameters;
    const double knots = AirspeedWordKnots(theFlightModelState.fmIAS);
    // The ram drag of the air the fan swallows grows on with the speed: past kIdleThrustFadeKnots
    // its loss rises by kFanRamLossPerKnot a knot, to at most kFanMostIdleThrustLost.
    const double most =
        ap.apModelCode == 1
            ? std::min(kFanMostIdleThrustLost,
                       kFanIdleThrustLost +
                           kFanRamLossPerKnot * std::max(0.0, knots - kIdleThrustFadeKnots))
            : 1.0;
    const double fade = most * std::clamp(knots / kIdleThrustFadeKnots, 0.0, 1.0);
    const double open = std::clamp(throttleWord / 32767.0 / kIdleThrustThrottle, 0.0, 1.0);
    const double closed = (1.0 - open) * (1.0 - open);
    const double idle = std::min<double>(ap.apIdlePower, static_cast<double>(power));
    return std::llround(idle * fade * closed);
}

}  // namespace

// A turboprop's propellers at flight idle turn the air's push on their flat blades into drag, not
// thrust: the King Air glides far steeper with its power levers closed than its airframe alone
// would make it. kFlightIdleDragArea (square feet of both propellers' drag at the dynamic
// pressure) takes about 200 kgf off at 160 KIAS, the slope of an idle descent of about 1,600 feet a
// minute there. It fades in over the first kIdleThrustThrottle of each power lever's travel, as
// the closed throttle's idle thrust fades out.
constexpr double kFlightIdleDragArea = 5.0;

double FlightIdlePropellerDrag(double dynamicPressurePsf) {
    const FlightModelState& s = theFlightModelState;
    const AircraftParameters& ap = theAircraftParameters;
    if (ap.apModelCode != 4 || dynamicPressurePsf <= 0.0) return 0.0;
    double drag = 0.0;
    const std::int16_t levers[2] = {s.fmThrot, s.fmThrotRight};
    for (int i = 0; i < 2; ++i) {
        if ((s.fmEngines & (1 << i)) == 0) continue;
        const double open = std::clamp(levers[i] / 32767.0 / kIdleThrustThrottle, 0.0, 1.0);
        drag += 0.5 * kFlightIdleDragArea * dynamicPressurePsf * (1.0 - open) * (1.0 - open);
    }
    return drag;
}

namespace {

// The full-rich full power word: the maximum power's half (the throttle's top) and the idle.
std::int64_t FullRichPower() {
    const AircraftParameters& ap = theAircraftParameters;
    return ap.apMaxPower / 2 + ap.apIdlePower;
}

// The position (Q16 of the maximum plus the idle power) of a power word in the reference speeds
// by power.
std::int64_t PowerPosition(std::int64_t power) {
    const AircraftParameters& ap = theAircraftParameters;
    const std::int64_t sum = static_cast<std::int64_t>(ap.apMaxPower) + ap.apIdlePower;
    return sum > 0 ? std::min<std::int64_t>((power << 16) / sum, 0xFFFF) : 0xFFFF;
}

// The power word whose worth in thrust an engine's power has (the reference speed by power, the
// throttle curve): its own, or, on records that read it by the share of the height's power, the
// word scaled up by the full power over the height's power limit raised to apWorthByHeightShare.
// High up the air holds full throttle's word below the full-rich one; read as it stands, that word
// would be worth a leaned cruise setting's thrust for each unit, and full throttle would fly faster
// the higher it goes. By the whole share (1) full throttle reads the full-rich word at every
// height; every word at one height is scaled alike, so more throttle is still never less thrust.
std::int64_t WorthPower(int engine) {
    const AircraftParameters& ap = theAircraftParameters;
    const std::int64_t power = static_cast<std::uint16_t>(theFlightModelState.fmEnginePower[engine]);
    const std::int64_t full = FullRichPower();
    const std::int64_t limit = theEngines.powerLimit;
    if (ap.apWorthByHeightShare <= 0.0 || limit <= 0 || limit >= full) return power;
    const double scale = std::pow(static_cast<double>(full) / limit, ap.apWorthByHeightShare);
    return std::min(static_cast<std::int64_t>(power * scale), full);
}

// Below its knee a word's thrust stands level at its value there. Full throttle's word worth more
// than the full-rich one (leaned high up: less fuel, the same power) keeps that greater worth
// down to the full-rich word's knee, where the full-rich word stands level too: the factor on the
// level thrust is (knee speed / the speed, at most the full-rich knee's)^n, so a leaned take-off
// at a high field keeps the thrust of the power it makes, not of the fuel it burns. `divisor` is
// the word's reference speed (knots), `speed` the indicated 16.16 knots.
double LeanWorthBelowKnee(std::int64_t divisor, std::int64_t speed) {
    const AircraftParameters& ap = theAircraftParameters;
    const FlightModelState& s = theFlightModelState;
    // Only full throttle, where the height's (leaned) limit holds the word: below it each word
    // keeps its own knee, and opening the throttle never loses thrust.
    std::int64_t power = static_cast<std::uint16_t>(s.fmEnginePower[0]);
    if (ap.apEngineCount == 2)
        power = std::max<std::int64_t>(power, static_cast<std::uint16_t>(s.fmEnginePower[1]));
    const double knee = ap.apKneeAtFullReference * static_cast<double>(divisor);
    const double knots = static_cast<double>(speed) / 65536.0;
    if (power < theEngines.powerLimit || knots >= knee) return 1.0;
    const double fullKnee =
        ap.apKneeAtFullReference *
        static_cast<double>(Interpolate16(ap.apReferenceSpeed,
                                          static_cast<std::uint16_t>(PowerPosition(FullRichPower()))));
    if (knee <= fullKnee) return 1.0;
    return std::pow(knee / std::max(knots, fullKnee), ap.apKneeExponent);
}

}  // namespace

std::int64_t EfficiencyPowerPosition() {
    std::int64_t p = WorthPower(0);
    if (theAircraftParameters.apEngineCount == 2) p = std::max(p, WorthPower(1));
    return PowerPosition(p);
}

void EngineThrust() {
    FlightModelState& s = theFlightModelState;
    const AircraftParameters& ap = theAircraftParameters;
    const int engines = ap.apEngineCount == 2 ? 2 : 1;
    std::int64_t thrust = 0;
    for (int i = 0; i < engines; ++i) {
        const std::int64_t engaged = theThrottlePower[i] > 0
                                         ? theThrottlePower[i]
                                         : static_cast<std::uint16_t>(s.fmEnginePower[i]);
        const std::int64_t p =
            engaged - IdleThrustFade(engaged, i == 0 ? s.fmThrot : s.fmThrotRight);
        // The curve goes by the throttle of the power: where the height's limit or an idle floor
        // holds the power, it holds the thrust.
        const std::int32_t curveAt = static_cast<std::int32_t>(
            ThrottleOfPower(theThrottlePower[i] > 0 ? engaged : WorthPower(i)));
        const std::int64_t f = ap.apThrottleCurveOn
                                   ? Interpolate16(ap.apThrottleCurve, ThrottlePosition(curveAt))
                                   : 32767;
        thrust += ((p * (ap.apDoubleThrust ? 2 : 1) + ((p * ap.apThrustFactor) >> 16)) * f) >> 15;
    }
    if (ap.apLapseOn)
        thrust = (thrust * Interpolate16U(ap.apLapse, QuarterMetrePosition())) / 65536;

    // High up the limiter takes a share g (growing with the height) of the thrust the left
    // engine's power gains above the threshold throttle's, so more throttle never gives less.
    const std::int64_t power = static_cast<std::uint16_t>(s.fmEnginePower[0]);
    const std::int64_t threshold = (static_cast<std::int64_t>(ap.apLimiterThrottle) * ap.apMaxPower >> 16) +
                                   ap.apIdlePower;
    const std::int32_t altitudeWord = AltitudeMetres();
    if (ap.apHighAltLimiter && power > threshold && altitudeWord >= ap.apLimiterAltitude &&
        ap.apLimiterSpan > 0) {
        const std::int64_t d =
            std::min<std::int64_t>(altitudeWord - ap.apLimiterAltitude, ap.apLimiterSpan - 1);
        const std::int64_t g = (((d << 16) / ap.apLimiterSpan) * ap.apLimiterDepth) >> 16;
        const std::int64_t gained = thrust - thrust * threshold / power;
        thrust -= (gained * g) >> 15;
    }

    if (ap.apEfficiencyMode != EfficiencyMode::None) {
        // A zero reference speed leaves the efficiency at 1 rather than dividing by it.
        std::int64_t divisor = 0;
        std::int64_t speed = 0;
        if (ap.apEfficiencyMode == EfficiencyMode::ByPower) {
            divisor = Interpolate16(ap.apReferenceSpeed,
                                    static_cast<std::uint16_t>(EfficiencyPowerPosition()));
            // The reference speeds are whole knots: the ratio is 16.16 knots over them.
            speed = std::max<std::int64_t>(AirspeedWordKnots16(s.fmIAS), 0);
        } else {
            divisor = ap.apFixedReferenceSpeed;
            speed = s.fmTAVel < 0 ? 0 : s.fmTAVel;
        }
        if (divisor > 0) {
            const std::int64_t ratio = std::min<std::int64_t>(speed / divisor, 0xFFFF);
            const std::int64_t eff =
                Interpolate16Wide(ap.apEfficiency, static_cast<std::uint16_t>(ratio));
            thrust = (thrust * eff) >> 16;
            if (ap.apEfficiencyMode == EfficiencyMode::ByPower && ap.apKneeAtFullReference > 0.0)
                thrust = static_cast<std::int64_t>(static_cast<double>(thrust) *
                                                   LeanWorthBelowKnee(divisor, speed));
        }
    }
    if (ap.apAfterburnerGain != 0 && s.fmAfter) thrust += (thrust * ap.apAfterburnerGain) >> 15;
    if (ap.apLowSpeedCutOn && theLowSpeedThrustCut && s.fmEngineSpeed[0] < 700)
        thrust = (thrust * ap.apLowSpeedCut) >> 15;
    s.fmThrust = Saturate32(thrust);
}

}  // namespace flight
