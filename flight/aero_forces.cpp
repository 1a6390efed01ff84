// Lift, drag and gravity load in floating point with imperial units, handed to the integer
// core in kilograms-force; the standard atmosphere and the air data.
#include <algorithm>
#include <cmath>

#include "core/numeric.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"

namespace flight {

AirDataExtras theAirData;

// Load on the wings by half degrees of bank: row i is a bank of 2i degrees.
const double kBankLoadTable[46] = {
    1.0,  1.0,  1.0,  1.0,  1.0,  1.0,  1.0,  1.0,  1.01, 1.03, 1.05, 1.07, 1.09, 1.11, 1.13, 1.15,
    1.18, 1.21, 1.24, 1.27, 1.3,  1.36, 1.42, 1.48, 1.54, 1.6,  1.68, 1.76, 1.84, 1.92, 2.0,  2.18,
    2.36, 2.54, 2.72, 2.9,  3.44, 3.98, 4.52, 5.06, 5.6,  7.4,  13.0, 25.0, 50.0, 100.0};

// Total minus static air temperature, 1/256 degree Celsius, over Mach 0 to 1.6.
const std::int32_t kRamRiseTable[17] = {0,    256,   563,   1280,  2150,  3328,  4659,  6221, 8013,
                                        9984, 11981, 13952, 16256, 18432, 20608, 23040, 25216};

namespace {

struct TypeAero {
    double wingArea;     // ft^2
    double span;         // ft
    double parasite;     // f
    double lowSpeed;     // Vs, in fmTAVel / 32768
    double highSpeed;    // Vh
    double highInduced;  // P, lb
    double dragRatioGain;
};

constexpr TypeAero kTypeAero[5] = {{174, 33.5, 0.037062, 51, 123, 194.0, 1.25},
                                   {181, 36.0, 0.03654, 65, 165, 564.3, 1.25},
                                   {198, 37.833, 0.041238, 75, 195, 1242.6, 1.25},
                                   {303, 54.6, 0.040194, 75, 195, 1475.6, 1.25},
                                   {266, 46.38, 0.04698, 90, 260, 1227.6, 1.25}};

constexpr double kPoundsToKgf = 0.45454545454545453;
constexpr double kPi = 3.14159265358979323846;
// The span efficiency of a light aircraft's wing (an elliptic wing has 1).
constexpr double kSpanEfficiency = 0.75;
constexpr double kMinimumTheta = 0.01;  // keeps the atmosphere real far above its ceiling

double Theta(double altitudeFt) {
    const double theta = 1.0 - 7.03e-06 * altitudeFt;
    return theta < kMinimumTheta ? kMinimumTheta : theta;
}

std::int32_t HeightSaturate(std::int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

double TrueAirspeedFps() {
    return std::sqrt(static_cast<double>(static_cast<std::uint32_t>(theFlightModelState.fmTASq))) *
           3.2808;
}

}  // namespace

double AircraftAltitudeFeet() {
    return (static_cast<double>(theFlightModelState.fmPosY) + theTerrainDatum) * 0.012815625;
}

double WingSpanMetres() {
    return kTypeAero[FlightModelBaseType()].span * 0.3048;
}

double AirDensityAt(double altitudeFt) {
    return std::pow(Theta(altitudeFt), 4.14) * 0.002377;
}

void StandardAtmosphere(double speedFps, double altitudeFt, double& mach, double& q) {
    const double theta = Theta(altitudeFt);
    const double temperature = altitudeFt >= 35000.0 ? 390.0 : 519.0 * theta;
    const double density = std::pow(theta, 4.14) * 0.002377;
    const double sound = std::sqrt(2402.82 * temperature);
    mach = speedFps / sound;
    q = 0.5 * density * speedFps * speedFps;
}

double WingLiftShare() {
    const FlightModelState& s = theFlightModelState;
    const int type = FlightModelBaseType();
    const double most = PeakLiftRow(type).cl;
    // The flaps add lift as force per unit of dynamic pressure; as a coefficient it is that over
    // the wing's area in the same units.
    const TypeAero& a = kTypeAero[type];
    const double flaps = s.fmFlapLift / (a.wingArea * kPoundsToKgf);
    return (theAeroLookup.cl + flaps) / (most + flaps);
}

double GreatestLiftOverWeight() {
    const FlightModelState& s = theFlightModelState;
    if (s.fmWeight <= 0) return 0.0;
    const TypeAero& a = kTypeAero[FlightModelBaseType()];
    const double q = theAirData.dynamicPressure;
    const double most = PeakLiftRow(FlightModelBaseType()).cl;
    return q * (s.fmFlapLift + most * a.wingArea * kPoundsToKgf) / s.fmWeight;
}

double AirspeedOverCleanStallSpeed() {
    const FlightModelState& s = theFlightModelState;
    if (s.fmWeight <= 0) return 0.0;
    const int type = FlightModelBaseType();
    const double lift = theAirData.dynamicPressure * PeakLiftRow(type).cl *
                        kTypeAero[type].wingArea * kPoundsToKgf;
    return lift > 0.0 ? std::sqrt(lift / s.fmWeight) : 0.0;
}

void UpdateAtmosphere() {
    FlightModelState& s = theFlightModelState;
    const double h = AircraftAltitudeFeet();
    s.fmOAT = core::ClampToInt16(static_cast<std::int64_t>(theSeaLevelTemp) -
                                 core::ClampToInt32(0.50688 * h + 0.5));
    double mach = 0.0;
    double q = 0.0;
    StandardAtmosphere(TrueAirspeedFps(), h, mach, q);
    s.fmMach100 = core::ClampToInt16(core::ClampToInt32(mach * 100.0 + 0.5));
    std::int64_t pos = (static_cast<std::int64_t>(s.fmMach100) << 16) / 160;
    if (pos < 0) pos = 0;
    if (pos > 0xFFFF) pos = 0xFFFF;
    const std::uint32_t seg = static_cast<std::uint32_t>(pos) >> 12;
    const std::int64_t frac = (pos & 0xFFF) << 3;
    const std::int64_t rise =
        kRamRiseTable[seg] + (((kRamRiseTable[seg + 1] - kRamRiseTable[seg]) * frac) >> 15);
    s.fmTAT = core::ClampToInt16(s.fmOAT + rise);
}

void ComputeAeroForces() {
    FlightModelState& s = theFlightModelState;
    LookupAeroCoefficients();
    const double V = TrueAirspeedFps();
    const double h = AircraftAltitudeFeet();
    const double q = 0.5 * AirDensityAt(h) * V * V;
    theAirData.dynamicPressure = q;
    theAirData.trueAirspeedFps = V;
    const TypeAero& a = kTypeAero[FlightModelBaseType()];
    const double weight = s.fmWeight;

    // Lift, limited to 3.5 times the weight either way.
    double lift =
        static_cast<double>(core::ClampToInt32(q * s.fmFlapLift)) +
        static_cast<double>(core::ClampToInt32(theAeroLookup.cl * q * a.wingArea * kPoundsToKgf));
    if (lift > 3.5 * weight) lift = 3.5 * weight;
    if (lift < -3.5 * weight) lift = -3.5 * weight;
    s.fmLift = core::ClampToInt32(lift);

    // Induced drag of an elliptic wing.
    const double qS = q * a.wingArea;
    double induced = 0.0;
    if (qS != 0.0) {
        const double l = 2.2 * s.fmLift;
        induced = (l * l) / qS * (1.0 / (a.span * a.span / a.wingArea / 0.3183));
    }

    // Parasite drag, with the rudder's share and a slight growth with speed.
    const double scale = theAircraftParameters.apDragScale;
    double parasite =
        qS * a.parasite * scale * (1.0 + std::abs(static_cast<double>(s.fmRudEff)) / 32768.0);
    const double speed = s.fmTAVel / 32768.0;
    const double x = speed / a.highSpeed;
    if (x > 0.0) {
        parasite = parasite * (std::pow(x, 1.05) * std::pow(100.0, 0.05) * 0.79434) / x;
    } else {
        parasite = 0.0;
    }

    // The induced drag fades out between the low and high speeds.
    if (s.fmOTG) {
        induced = 0.0;
    } else if (speed <= a.lowSpeed) {
        // the full induced drag
    } else {
        // The schedule is the induced drag of level flight, where the wing lifts the weight,
        // fitted with the record's other drag to the cruise and climb figures. Lift beyond the
        // weight (a pull, a turn) or short of it (a push, the top of a zoom) costs or saves what
        // it does on any wing: the difference of the squares of the lift and the weight over
        // the dynamic pressure, the wing's aspect ratio and kSpanEfficiency. The schedule alone,
        // grown with the square of the load, made a pull at twice the stall speed cost a third
        // of a real wing's drag, and a wing held fully back after a pull from cruise kept
        // swinging its nose through 20 to 50 degrees for minutes: held at one angle of attack
        // the drag must grow with the square of the speed's load to damp the swings of speed
        // and height.
        double level = 0.0;
        if (speed <= a.highSpeed) {
            const double t = (speed - a.lowSpeed) / (a.highSpeed - a.lowSpeed);
            level = a.highInduced * scale * (1.0 - t) *
                    (std::pow(1.0 - t, 1.5) * std::pow(100.0, 0.5) * 0.1);
        }
        induced = level;
        if (weight > 0.0 && qS != 0.0) {
            const double l = 2.2 * s.fmLift;
            const double w = 2.2 * weight;
            const double aspect = a.span * a.span / a.wingArea;
            induced =
                std::max(0.0, level + (l * l - w * w) / (qS * kPi * aspect * kSpanEfficiency));
        }
    }
    // Beyond the reference drag the wing's profile drag grows with the ratio of the table's
    // drag at the angle of attack to the reference. The drag of the lift already follows the
    // lift the wing makes; grown again with the angle it would bury a wing near the stall, with
    // full power, in twice the drag it has.
    if (theAeroLookup.referenceCd > 0.0) {
        const double ratio = theAeroLookup.cd / theAeroLookup.referenceCd;
        if (ratio > 1.0) parasite *= (ratio - 1.0) * a.dragRatioGain + 1.0;
    }
    // The separated flow of a wing held at its stall while its path swings (see the stall break
    // in the integration core).
    if (!s.fmOTG) parasite += theFlightStep.swingDrag * qS;
    double drag = static_cast<double>(core::ClampToInt32((induced + parasite) * kPoundsToKgf));
    drag += core::ClampToInt32(s.fmFlapDrag * q * 0.1);
    if (!s.fmOTG) drag += FlightIdlePropellerDrag(q) * kPoundsToKgf;
    s.fmDrag = core::ClampToInt32(drag);

    // Gravity load from the bank, folded beyond 90 degrees.
    std::int32_t bank = static_cast<std::int16_t>(s.fmBank);
    if (bank < -16383 || bank > 16383) bank = 32767 - std::abs(bank);
    int index = static_cast<int>(std::abs(bank) * 0.002746649088112503);
    if (index > 45) index = 45;
    s.fmGravityLoad = core::ClampToInt32(kBankLoadTable[index] * weight);
}

void UpdateAirData() {
    FlightModelState& s = theFlightModelState;
    s.fmHeightAGL = HeightSaturate(static_cast<std::int64_t>(s.fmPosY) -
                                   theAircraftParameters.apGearHeight - theTerrainHeight);
    const std::int64_t ias = (static_cast<std::int64_t>(s.fmIASFactor) * s.fmTAVel) >> 15;
    s.fmIAS = static_cast<std::int32_t>(static_cast<std::uint32_t>(ias & 0xFFFFFFFF));
}

}  // namespace flight
