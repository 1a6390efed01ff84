// UpdateGauges: the flight model's state into the instruments' frames and words, every third
// tick. A flight instrument whose system has failed is not updated and so freezes.
#include "cockpit/gauge_values.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_services.h"
#include "core/numeric.h"
#include "core/run_report.h"
#include "devices/sound_device.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/published_performance.h"
#include "flight/system_failures.h"
#include "world/terrain_services.h"

namespace cockpit {

namespace {

flight::FlightModelState& GaugeValuesState() {
    return flight::theFlightModelState;
}
int GaugeValuesType() {
    return flight::theAircraftServices.aircraftType();
}
bool Running(int engine) {
    return (GaugeValuesState().fmEngines & (engine == 0 ? 1 : 2)) != 0;
}
std::int32_t Trunc(double x) {
    return core::ClampToInt32(std::trunc(x));
}
std::int16_t Word(std::int32_t v) {
    return static_cast<std::int16_t>(std::clamp(v, -32768, 32767));
}

// Sea-level standard pressure falls with height (inches of mercury at feet).
double AirPressureInches(double feet) {
    const double ratio = std::max(1.0 - 6.8756e-6 * feet, 0.05);
    return 29.92 * std::pow(ratio, 5.2559);
}

double AltitudeFeet() {
    return flight::GetAircraftAltitude() * 1.2890625;
}

// One engine sound follows its tachometer once it runs and has left its starting phase.
void FollowSound(int engine, std::int32_t value, int type) {
    devices::SoundChannel& channel = engine == 0 ? devices::theLeftEngineSound
                                                 : devices::theRightEngineSound;
    const devices::SoundChannel& starter = engine == 0 ? devices::theLeftStarterSound
                                                       : devices::theRightStarterSound;
    if (channel.running == 0 || starter.starting != 0) return;
    channel.UpdateEngineFrequency(Word(value), type, engine);
}

// The instruments' words for the runner's report: what the panel shows.
struct ReportFields {
    ReportFields() {
        core::RegisterReportField("ias_knots", [] {
            return core::ReportNumber(flight::AirspeedWordKnots(GaugeValuesState().fmIAS), 1);
        });
        core::RegisterReportField("gauge_airspeed",
                                  [] { return std::to_string(theAirspeedIndicator.value); });
        core::RegisterReportField("gauge_altimeter", [] {
            return std::to_string(theAltimeter.value) + "/" + std::to_string(theAltimeter.value2) +
                   "/" + std::to_string(theAltimeter.value3);
        });
        core::RegisterReportField("gauge_vsi",
                                  [] { return std::to_string(theVerticalSpeedIndicator.value); });
        core::RegisterReportField("gauge_aoa",
                                  [] { return std::to_string(theAngleOfAttackIndicator.value); });
        core::RegisterReportField("gauge_oat",
                                  [] { return std::to_string(theTemperatureGauge.value); });
        core::RegisterReportField("gauge_card",
                                  [] { return std::to_string(theHsiGauge.compassFrame); });
    }
} theReportFields;

}  // namespace

// ---- formulas ------------------------------------------------------------------------------------

std::int32_t AirspeedFrame(int type, std::int32_t a) {
    std::int32_t frame = 1;
    if (type == 0 || type == 5 || type < 0 || type > 5) {
        const std::int32_t k = flight::AirspeedWordWholeKnots(a);
        if (k <= 30)
            frame = Trunc(k * 0.4666667 + 0.5);
        else if (k <= 40)
            frame = Trunc((k - 30) * 0.7000007 + 14.5);
        else if (k <= 60)
            frame = Trunc((k - 40) * 1.1500003 + 21.5);
        else if (k <= 90)
            frame = Trunc((k - 60) * 1.3333333 + 44.5);
        else
            frame = Trunc(k - 90 + 84.5);
    } else {
        // The twins' and the turbines' dials step every two knots.
        const std::int32_t n = flight::AirspeedWordWholeKnots(a) / 2;
        if (type == 1)
            frame = (n <= 20 ? n * 2 / 5 : n * 2 - 32) + 1;
        else if (type == 2)
            frame = (n <= 20 ? Trunc(n * 0.5) : Trunc((n - 20) * 1.41 + 10)) + 1;
        else
            frame = n < 20 ? Trunc(n * 0.55005501) : Trunc((n - 20) * 1.1976048 + 11.5);
    }
    // Above the dial's range the needle rests on its stop.
    return std::clamp(frame, 1, 180);
}

double VerticalSpeedFeetPerMinute(double verticalRate) {
    return verticalRate * 0.0625 * 0.05466667;
}

std::int32_t VerticalSpeedFrame(int type, double v) {
    if (type == 3 || type == 4) {
        const double a = std::min(std::abs(v), 6000.0);
        const double g = a < 1000 ? a * 0.03 : (a - 1000) * 0.011 + 30;
        if (v >= 0) {
            std::int32_t f = Trunc(g) + 135;
            if (f > 179) f -= 180;
            return f;
        }
        return 135 - Trunc(g);
    }
    const bool c172 = type == 0 || type == 5 || type < 0 || type > 5;
    const double knee = c172 ? 1050.0 : 2000.0;
    const double k = c172 ? 0.042863266 : 0.0225022502;
    if (v >= 0) {
        if (v < knee) return Trunc(v * k) + 135;
        return std::min(45, Trunc((v - knee) * k));
    }
    if (v > -knee) return 135 - std::min(45, Trunc(-v * k));
    return 90 - std::min(45, Trunc(-(v + knee) * k));
}

std::int32_t TurnFrame(double turnIncrement) {
    const double r = std::clamp(turnIncrement * 18.0, -546.12, 546.12);
    if (r >= 0) {
        const std::int32_t f = Trunc(r * 0.021978022);
        return f < 1 ? 1 : f + 13;
    }
    return Trunc(-r * 0.021978022) + 1;
}

std::int32_t TurnBall(std::int32_t slip) {
    return std::clamp(slip / 32 + 27, 2, 53);
}

std::int32_t IndicatedAltitude(double altitude, std::int32_t setting, std::int16_t pressureWord) {
    // The pressure word counts hundredths above 28.00 inHg (x 800 / 65536). Each hundredth the
    // setting lies above the air's pressure raises the reading by about 9.8 ft, as a real
    // altimeter's does (about 1,000 ft per inch).
    const std::int32_t p = (static_cast<std::int32_t>(pressureWord) * 800) >> 16;
    const double f = std::trunc(altitude * 1.2890625 + 0.5) -
                     std::trunc(3.0 * (3200 - setting) * 3.2808) +
                     std::trunc(3.0 * (400 - p) * 3.2808);
    return core::ClampToInt32(f);
}

ThreePointerFrames ThreePointerFramesFor(std::int32_t f) {
    ThreePointerFrames t{};
    // Within one turn of the thousand hand (1..10000 above 10000 feet).
    const std::int32_t within = f > 10000 ? f - ((f - 1) / 10000) * 10000 : f;
    t.thousand = Trunc(within * 0.0180018) + 2;
    t.tenThousand = f < 0 ? 1 : Trunc(f * 0.00179) + 1;
    t.hundred = Trunc((f % 1000) * 0.179) + 1;
    return t;
}

std::int32_t CardFrameForHeading(std::uint16_t h) {
    const std::uint32_t x = static_cast<std::uint16_t>(-h);
    std::int32_t frame = x <= 32768 ? Trunc(x * 0.0021972992)
                                    : Trunc((x - 32768) * 0.0021972992 + 72);
    return frame % 144;
}

std::int32_t PistonTachometerTarget(std::int32_t r) {
    return r > 500 ? Trunc((r - 500) * 0.0419992 + 0.5) + 7 : Trunc(r * 0.0139997 + 0.5);
}

std::int32_t GovernedSpeed(std::int32_t r, std::int32_t p) {
    const std::int32_t b = Trunc(r * 0.67);
    return Trunc((r - b) * p * (1.0 / 31)) + b;
}

std::int32_t BaronTachometerTarget(std::int32_t e) {
    return Trunc(e * 0.036859565) + 26;
}

std::int32_t KingAirTachometerValue(std::int32_t r) {
    return Trunc(r * 0.07) + 98;
}

std::int32_t KingAirTorqueTarget(double torque) {
    const double q = std::min(torque * 11.1496, 2230.0);
    return Trunc(q * 0.06916667 + 7);
}

std::int32_t KingAirTemperatureFrame(std::int32_t tt) {
    return Trunc(((tt - 12508) * 0.01373291015625 + 1100) * 0.037) + 8;
}

std::int32_t JetSpeedTape(std::int32_t r) {
    return r >= 800 ? Trunc((r - 800) * 0.15 + 40) : r / 20;
}

std::int32_t KingAirTemperatureFrameOf(double celsius) {
    return Trunc(std::max(celsius, 0.0) * 0.037) + 8;
}

std::int32_t JetTemperatureTape(double celsius) {
    // A pixel for 10 degrees (the tape's marks stand every 100), on its foot when cold.
    return std::clamp(Trunc(celsius * 0.1), 2, kTapeHeight);
}

std::int32_t ManifoldFrame(int type, bool running, double p) {
    // A stopped engine's manifold holds the air's pressure: its own frame at sea level (the
    // standard 29.92 in.), less the fall of the air's pressure to `p` on the running scale, so
    // that at 6,500 ft it reads 23.5 in., not the sea level's 30.
    const double scale = type == 1 ? 0.032 : 1.0 / 36;
    const std::int32_t floor = type == 1 ? 101 : 97;
    std::int32_t v;
    if (!running) {
        const double sea = PowerValueFromManifold(29.92);
        const std::int32_t drop = p < sea ? Trunc((sea - p) * scale + 0.5) : 0;
        v = (type == 1 ? 63 : 55) + 94 - drop;
    } else {
        v = p > 1000 ? std::max(Trunc((p - 1000) * scale) + 94, floor) : floor;
    }
    return v + 1;
}

std::int32_t FuelFlowFrame(int type, double reference, std::int32_t mixture) {
    const double lean = 1.0 - mixture / 31.0;
    if (type == 1) {
        const std::int32_t q = Trunc(reference * 94.0 / 256.0);
        const std::int32_t v = q - Trunc(q * lean * 0.125);
        const std::int32_t shown = (v < 140 ? v / 5 : Trunc((v - 140) * 0.35833303 + 33)) + 1;
        return std::max(shown, 5);
    }
    const std::int32_t q = Trunc(reference * 0.1012) + 1;
    return std::max(q - Trunc(lean * 0.125 * q), 5);
}

// Instrument updates left in which the smoothed gauges stand at their values at once: a loaded
// flight's gauges show its values from the first frame, and the engines' speeds that the first
// slow steps of the flight model bring, without sweeping up from what the file kept.
std::int32_t theSettlingUpdates = 0;

std::int32_t SmoothToward(std::int32_t current, std::int32_t target) {
    if (theSettlingUpdates > 0) return target;
    const auto d = static_cast<std::int16_t>(target - current);
    if (d == 0) return current;
    std::int32_t step = d / 6;
    if (step == 0) step = d > 0 ? 1 : -1;
    return current + step;
}

// ---- engine readings -------------------------------------------------------------------------------

double PowerValueFromManifold(double inches) {
    return 1000.0 + (inches - 12.0) * 110.0;
}

double ManifoldFromPowerValue(double p) {
    return 12.0 + (p - 1000.0) / 110.0;
}

// A normally aspirated engine's power goes with (manifold pressure - kFrictionInches) x its speed
// and with the charge the air's temperature packs (as the root of standard over actual): rated
// power is 29.0 in at 2,700 rpm at sea level, and 75 % takes 24.5 in at 2,500 rpm (Baron 58
// handbook, section 1, page 1-11), which puts the friction at 5.3 in. Full throttle gives the
// air's pressure less half an inch, and the ram of the airflow on top: the intake, facing the
// air, recovers its dynamic pressure (half the density times the square of the true airspeed;
// a G36 Bonanza at full throttle read 24.7 in. at 6,500 ft and 175 knots, where the standard air
// holds 23.5 in. and the ram 1.2: Pilot magazine, May/June 2010). A closed throttle gives about
// 12 in.
constexpr double kRatedInches = 29.0;
constexpr double kFrictionInches = 5.3;
constexpr double kRatedRpm = 2700.0;

// The ram of the aircraft's true airspeed in the air about it.
namespace {
double RamInches(double feet, double kelvin) {
    const double metresPerSecond = std::max<double>(GaugeValuesState().fmTAVel, 0.0) / 65536.0;
    return flight::RamInches(AirPressureInches(feet), kelvin, metresPerSecond);
}
}  // namespace

double ManifoldPressure(int engine) {
    const double feet = AltitudeFeet();
    const double air = AirPressureInches(feet);
    if (!Running(engine)) return air;
    const double rpm =
        std::max<double>(GaugeValuesState().fmEngineSpeed[engine == 0 ? 0 : 1], 600.0);
    const double kelvin = 288.15 * std::max(1.0 - 6.8756e-6 * feet, 0.05);
    const double inches = kFrictionInches + flight::EngineRatedPowerShare(engine) *
                                                (kRatedInches - kFrictionInches) * kRatedRpm / rpm *
                                                std::sqrt(kelvin / 288.15);
    return std::clamp(inches, std::min(12.0, air), air - 0.5 + RamInches(feet, kelvin));
}

double PistonFuelFlowGallons(int engine) {
    if (!Running(engine)) return 0.0;
    const double power = static_cast<std::uint16_t>(GaugeValuesState().fmEnginePower[engine]);
    // The engine step burns power x 1536 / 65536 / 10 (1/256 kg) twice per slow step for each
    // engine (a single's from its selector's tank, a twin's from each of its two selectors'),
    // 5460 slow steps an hour. Avgas weighs 2.72 kg a gallon.
    const double perStep = power * 1536.0 / 65536.0 * 0.1 / 256.0;
    const double kgPerHour = perStep * 5460.0 * 2.0;
    return kgPerHour / 2.72;
}

double FuelFlowReference(int type, double gallons) {
    // Bonanza: ten units of the flow word a gallon; Baron: three and a half dial frames a gallon.
    return type == 1 ? gallons * 10.0 * 256.0 / 94.0 : gallons * 3.5 / 0.1012;
}

double GallonsFromFuelFlowReference(int type, double reference) {
    return type == 1 ? reference * 94.0 / 2560.0 : reference * 0.1012 / 3.5;
}

std::int32_t IdealMixtureLever() {
    // The best mixture leans with the air's density.
    const double feet = std::max(AltitudeFeet(), 0.0);
    const double density = std::pow(std::max(1.0 - 6.8756e-6 * feet, 0.05), 4.2559);
    return std::clamp(Trunc(31.0 * std::sqrt(density) + 0.5), 8, 31);
}

double TurbineTorque(int type, int engine) {
    if (!Running(engine)) return 0.0;
    const double fraction = GaugeValuesState().fmPowerFraction[engine] / 65536.0;
    // The jet's word is its fuel flow in kilograms an hour: a turbine burns its power word's
    // worth, the power fraction's share of the engine constant.
    return fraction * (type == 4 ? GaugeValuesState().fmEngineConstant : 200.0);
}

double TurbineCelsius(int type, std::int32_t word) {
    return type == 4 ? (word - 7850) * 0.007493697 + 562 : (word - 12508) * 0.01373291015625 + 1100;
}

std::int32_t TurbineWordFromCelsius(int type, double c) {
    const double w = type == 4 ? (c - 562) / 0.007493697 + 7850 : (c - 1100) / 0.01373291015625 + 12508;
    return std::clamp(Trunc(w), -32768, 32767);
}

std::int32_t TurbineTemperatureWord(int type, int engine) {
    // Inter-turbine temperature from the power: idle to full power over the engine's range.
    const double fraction =
        Running(engine) ? GaugeValuesState().fmPowerFraction[engine] / 65536.0 : 0.0;
    const double c = Running(engine) ? (type == 4 ? 430.0 + 290.0 * fraction : 480.0 + 300.0 * fraction)
                                     : 20.0;
    return TurbineWordFromCelsius(type, c);
}

// ---- engine heat --------------------------------------------------------------------------------

double CooledToward(double now, double air, double seconds) {
    return air + (now - air) * std::exp(-std::max(seconds, 0.0) / kEngineCoolingSeconds);
}

namespace {

// Seconds between two instrument updates (every third tick of 1/18.2 s).
constexpr double kUpdateSeconds = 3.0 / 18.2;

// The turbines' hot sections in degrees Celsius, and the piston exhaust needle's pixels (of the
// left engine, which both needles show); not a number until the first update after a load.
double theTurbineHeat[2] = {std::nan(""), std::nan("")};
double theExhaustHeat = std::nan("");

double AirCelsius() {
    return GaugeValuesState().fmOAT / 256.0;
}

// One update of a hot part: at `hot` while the engine burns; otherwise cooling toward `air`, or
// at `air` at once while a loaded flight's gauges settle (its engines have stood for a while).
void StepHeat(double& heat, bool burning, double hot, double air) {
    if (burning)
        heat = hot;
    else if (theSettlingUpdates > 0 || !std::isfinite(heat))
        heat = air;
    else
        heat = CooledToward(heat, air, kUpdateSeconds);
}

void StepTurbineHeat(int type) {
    if (type != 3 && type != 4) return;
    for (int e = 0; e < 2; ++e)
        StepHeat(theTurbineHeat[e], Running(e),
                 TurbineCelsius(type, TurbineTemperatureWord(type, e)), AirCelsius());
}

}  // namespace

double TurbineHeatCelsius(int engine) {
    const double c = theTurbineHeat[engine == 0 ? 0 : 1];
    return std::isfinite(c) ? c : AirCelsius();
}

// ---- the update's routines ------------------------------------------------------------------------

void UpdateFuelQuantity() {
    const int type = GaugeValuesType();
    double k = 0.0022651566;
    if (type == 1) k = 0.0013149752;
    if (type == 2) k = 0.00073982008;
    if (type == 3) k = 0.00027825342;
    if (type == 4) k = 0.00859375 * 0.041176471;
    const bool on = theMasterSwitch.switchState != 0;
    const std::int16_t left = on ? Word(Trunc(GaugeValuesState().fmFuel1 * k)) : 0;
    const std::int16_t right = on ? Word(Trunc(GaugeValuesState().fmFuel2 * k)) : 0;
    if (theLeftFuelGauge.needle != left) theLeftFuelGauge.dirty = 1;
    if (theRightFuelGauge.needle != right) theRightFuelGauge.dirty = 1;
    theLeftFuelGauge.needle = left;
    theRightFuelGauge.needle = right;
}

void UpdateElectricalLoad() {
    static constexpr std::int16_t kLoad[5][2] = {{0, 0}, {17, 0}, {24, 24}, {30, 30}, {18, 18}};
    const int type = std::clamp(GaugeValuesType() == 5 ? 0 : GaugeValuesType(), 0, 4);
    const bool on = theMasterSwitch.switchState != 0;
    theAmmeter.needle = on ? kLoad[type][0] : 0;
    theAmmeter2.needle = on ? kLoad[type][1] : 0;
}

void UpdateManifoldPressure() {
    const int type = GaugeValuesType();
    if (type != 1 && type != 2) return;
    const std::int32_t left =
        ManifoldFrame(type, Running(0), PowerValueFromManifold(ManifoldPressure(0)));
    // The Bonanza's gear warning: below 104 with the gear up it lights; from 104 it goes out.
    if (type == 1) {
        std::int32_t& warning = theGearLever.gearDownFlag;
        if (warning != 0 && left >= 104) warning = 0;
        if (left <= 103 && theGearUp != 0) warning = 1;
    }
    theEnginePowerGauge.value = left;
    if (type == 2)
        theEnginePowerGauge2.value =
            ManifoldFrame(type, Running(1), PowerValueFromManifold(ManifoldPressure(1)));
}

void UpdateFuelFlow() {
    const int type = GaugeValuesType();
    if (type == 1 || type == 2) {
        const double reference = FuelFlowReference(type, PistonFuelFlowGallons(0));
        theEnginePowerGauge.value2 =
            Word(FuelFlowFrame(type, reference, theMixtureLever.lever));
        if (type == 2) {
            const double right = FuelFlowReference(type, PistonFuelFlowGallons(1));
            theEnginePowerGauge2.value2 = Word(FuelFlowFrame(type, right, theMixtureLever2.lever));
        }
    } else if (type == 3) {
        for (int e = 0; e < 2; ++e) {
            PanelGauge& g = e == 0 ? theEnginePowerGauge : theEnginePowerGauge2;
            const double torque = TurbineTorque(type, e);
            g.value = Trunc(0.1716 * torque + 98);
            g.value2 = Word(Trunc(torque * 0.286 + 8));
        }
    } else if (type == 4) {
        for (int e = 0; e < 2; ++e) {
            PanelGauge& g = e == 0 ? theEnginePowerGauge : theEnginePowerGauge2;
            const std::int32_t v = Trunc(TurbineTorque(type, e) * 2.2);
            if (g.value != v) g.dirty = 1;
            g.value = v;
        }
    }
}

// The readout shows the wing's lift as a share of the most it can give: 1.0 at the stall, about 0.6
// at the approach speed (1.3 times the stall speed), low in cruise.
void UpdateAngleOfAttack() {
    const double a = std::clamp(flight::WingLiftShare(), 0.1, 1.0) * 100.0;
    theAngleOfAttackIndicator.value = Trunc(a);
    theAttitudeIndicator.value = std::clamp(Trunc((a - 60) * 0.88), -22, 22);
}

void UpdateSynchroscope() {
    static std::int32_t backward = 0;
    std::int32_t step = 2;
    if (devices::theLeftEngineSound.synced != 0) {
        if (core::rand() < 3276) backward = backward != 0 ? 0 : 1;
        step = 1;
    } else {
        backward = 0;
    }
    std::int32_t f = theSynchroscope.lever + (backward != 0 ? -step : step);
    // The wrap skips one step further.
    if (f < 0) f = f - 2 * step + 18;
    if (f > 17) f = f + 2 * step - 18;
    theSynchroscope.lever = static_cast<std::int16_t>(std::clamp(f, 0, 17));
    theSynchroscope.dirty = 1;
}

namespace {

void UpdateAirspeed(int type) {
    const std::int32_t frame = AirspeedFrame(type, GaugeValuesState().fmIAS);
    theAirspeedIndicator.value = frame;
    if (type == 4) theAirspeedIndicator.value2 = GaugeValuesState().fmMach100;
}

void UpdateHeading(int type) {
    const auto h =
        static_cast<std::uint16_t>(GaugeValuesState().fmHead - world::theMagneticVariation);
    const std::int32_t d = Trunc(h * 0.005493298 + 0.5);
    const std::int32_t card = CardFrameForHeading(h);
    theHsiGauge.compassFrame = static_cast<std::int16_t>(card);
    if (type == 0 || type == 5) {
        const std::int32_t course = theHsiGauge.course;
        theHsiGauge.coursePointerFrame = static_cast<std::int16_t>(
            course == 360 ? card : (card + Trunc(course * 0.4)) % 144);
    }
    if (type == 3 || type == 4) {
        const std::uint32_t x = static_cast<std::uint16_t>(-h);
        if (theAdfIndicator.cardFrame != card) theAdfIndicator.dirty = 1;
        theAdfIndicator.cardFrame = static_cast<std::int16_t>(card);
        theAdfIndicator.courseDegrees = Word(Trunc(x * 0.005493298));
        const std::int16_t digits = static_cast<std::int16_t>(d == 0 ? 360 : d);
        if (theHsiGauge.headingDigits != digits) {
            theHsiGauge.headingDigits = digits;
            theHsiGauge.dirty = 1;
        }
    }
}

void UpdateAltimeter(int type) {
    const std::int32_t f =
        IndicatedAltitude(flight::GetAircraftAltitude(), theAltimeter.baroSetting,
                          theBarometricPressureWord);
    if (type == 3 || type == 4) {
        theAltimeter.value = std::max(f, 0);
    } else {
        const ThreePointerFrames t = ThreePointerFramesFor(f);
        theAltimeter.value = t.tenThousand;
        theAltimeter.value2 = Word(t.thousand);
        theAltimeter.value3 = Word(t.hundred);
    }
    // Mode C replies with the pressure altitude (an encoder knows no altimeter setting, so every
    // controller corrects it for the local pressure alike), in hundreds of feet, the nearest
    // hundred (11,988 ft is 120, not 119).
    const std::int32_t pressureAltitude = IndicatedAltitude(
        flight::GetAircraftAltitude(), kStandardAltimeterSetting, theBarometricPressureWord);
    theTransponder.value = std::max((pressureAltitude + 50) / 100, 0);
}

void UpdateTurnCoordinator() {
    theTurnCoordinator.value = TurnFrame(flight::theFlightStep.turnIncrement);
    theTurnCoordinator.value2 = Word(TurnBall(GaugeValuesState().fmSlipBall));
}

void UpdateVerticalSpeed(int type) {
    const double v = VerticalSpeedFeetPerMinute(flight::theFlightStep.averagedVerticalSpeed);
    theVerticalSpeedIndicator.value = VerticalSpeedFrame(type, v);
}

void UpdateEngines(int type) {
    const flight::FlightModelState& s = GaugeValuesState();
    if (type == 0 || type == 5 || type == 1) {
        std::int32_t t1 = type == 1 ? PistonTachometerTarget(
                                          GovernedSpeed(s.fmEngineSpeed[0], thePropPitchLever.lever))
                                    : PistonTachometerTarget(s.fmAdjustedTach);
        if (Running(0)) {
            t1 = std::max(t1, 15);
            FollowSound(0, t1, type);
        }
        theTachometer1.value = SmoothToward(theTachometer1.value, t1);
        return;
    }
    if (type == 2) {
        for (int e = 0; e < 2; ++e) {
            const PanelGauge& prop = e == 0 ? thePropPitchLever : thePropPitchLever2;
            std::int32_t target = BaronTachometerTarget(GovernedSpeed(s.fmEngineSpeed[e], prop.lever));
            if (!Running(e)) {
                target = 31;
            } else {
                target = std::max(target, 53);
                FollowSound(e, target, type);
            }
            PanelGauge& tach = e == 0 ? theTachometer1 : theTachometer2;
            tach.value = SmoothToward(tach.value, target);
        }
        return;
    }
    if (type == 3) {
        for (int e = 0; e < 2; ++e) {
            PanelGauge& tach = e == 0 ? theTachometer1 : theTachometer2;
            const std::int32_t value = Trunc(s.fmEngineSpeed[e] * 0.07);
            if (Running(e)) FollowSound(e, value, type);
            tach.value = value + 98;
            tach.value2 = Word(KingAirTemperatureFrameOf(TurbineHeatCelsius(e)));
            PanelGauge& torque = e == 0 ? theExhaustTempGauge : theExhaustTempGauge2;
            torque.value = SmoothToward(torque.value, KingAirTorqueTarget(TurbineTorque(type, e)));
        }
        return;
    }
    if (type == 4) {
        for (int e = 0; e < 2; ++e) {
            // The lamp says the engine runs (with the battery on), from the moment it runs by
            // itself to the moment it is stopped, whatever its temperature still reads.
            PanelGauge& lamp = e == 0 ? thePropPitchLever : thePropPitchLever2;
            const std::int32_t lit = theMasterSwitch.switchState != 0 && Running(e) ? 1 : 0;
            if (lamp.switchState != lit) lamp.dirty = 1;
            lamp.switchState = lit;
            // The turbine temperature readout and tape follow the hot section, cooling after a
            // stop.
            PanelGauge& itt = e == 0 ? thePropPitchLever : thePropPitchLever2;
            const std::int32_t readout = Trunc(TurbineHeatCelsius(e));
            if (itt.value != readout) itt.dirty = 1;
            itt.value = readout;
            PanelGauge& exhaust = e == 0 ? theExhaustTempGauge : theExhaustTempGauge2;
            exhaust.needle = Word(JetTemperatureTape(TurbineHeatCelsius(e)));
            PanelGauge& tach = e == 0 ? theTachometer1 : theTachometer2;
            if (!Running(e) && tach.needle < 3) continue;
            const std::int32_t r = s.fmEngineSpeed[e];
            const auto needle = Word(JetSpeedTape(r));
            if (tach.needle != needle || tach.value != r) tach.dirty = 1;
            tach.needle = needle;
            tach.value = r;
            if (Running(e)) FollowSound(e, r, 4);
        }
    }
}

void UpdateExhaustTemperature(int type, double factor, std::int32_t limit) {
    const double reference = FuelFlowReference(type, PistonFuelFlowGallons(0));
    std::int32_t value = 0;
    // Without fuel flow there is no exhaust heat (and nothing to divide by): the exhaust cools
    // toward the air, the gauge's foot.
    const bool burning = reference > 0.0 && Running(0);
    if (burning) {
        const double mixtureReference = reference * IdealMixtureLever() / 32.0;
        const std::int32_t ideal = Trunc(mixtureReference / reference * 32.0);
        const std::int32_t mismatch = std::abs(ideal - theMixtureLever.lever);
        const double p = PowerValueFromManifold(ManifoldPressure(0));
        value = std::clamp(Trunc(p * factor - mismatch), 0, limit);
    }
    StepHeat(theExhaustHeat, burning, value, 0.0);
    value = std::clamp(Trunc(theExhaustHeat), 0, limit);
    theExhaustTempGauge.needle = Word(value);
    if (type == 2) theExhaustTempGauge2.needle = Word(value);
}

}  // namespace

void UpdateTrimIndicators() {
    // The elevator trim in steps of the trim key from the middle of the wheel's travel, the side
    // trims in their own steps.
    const flight::AircraftParameters& ap = flight::theAircraftParameters;
    const std::int32_t step = ap.apTrimStep;
    const std::int32_t middle = (ap.apTrimNoseDown + ap.apTrimNoseUp) / 2;
    const auto put = [](PanelGauge& g, std::int32_t v) {
        if (g.value == v) return;
        g.value = v;
        g.dirty = 1;
    };
    put(theElevatorTrimIndicator,
        step != 0 ? -((*thePanelHost.controlWord(0) - middle) / step) : 0);
    put(theRudderTrimIndicator, -(*thePanelHost.controlWord(2) / 64));
    put(theAileronTrimIndicator, -(*thePanelHost.controlWord(1) / 64));
}

void SettleGauges() {
    // About a second of updates: the flight model's slow step has run by then.
    theSettlingUpdates = 7;
    UpdateGauges();
}

void UpdateGauges() {
    const int type = GaugeValuesType();
    if (flight::SystemReliability::IsAttitudeWorking()) {
        theAttitudeLayout.pitch = static_cast<std::int16_t>(GaugeValuesState().fmPitch);
        theAttitudeLayout.bank = static_cast<std::int16_t>(GaugeValuesState().fmBank / 182);
    }
    if (flight::SystemReliability::IsAirspeedWorking()) UpdateAirspeed(type);
    if (flight::SystemReliability::IsHeadingWorking()) UpdateHeading(type);
    if (flight::SystemReliability::IsAltimeterWorking()) UpdateAltimeter(type);
    if (flight::SystemReliability::IsTurnCoordinatorWorking()) UpdateTurnCoordinator();
    if (flight::SystemReliability::IsVerticalSpeedWorking()) UpdateVerticalSpeed(type);
    StepTurbineHeat(type);
    UpdateEngines(type);
    UpdateFuelQuantity();
    // The outside air temperature where the aircraft flies (the oil temperatures run hotter above
    // 80 F).
    theTemperatureGauge.value = FahrenheitFromTemperatureWord(GaugeValuesState().fmOAT);
    theFlapsLever.value = GaugeValuesState().fmFlaps;
    if (type != 0 && type != 5) UpdateGearLamps();
    switch (type) {
        case 1:
            UpdateManifoldPressure();
            UpdateFuelFlow();
            UpdateExhaustTemperature(type, 0.0086667, 32);
            UpdateElectricalLoad();
            break;
        case 2:
            UpdateManifoldPressure();
            UpdateFuelFlow();
            UpdateElectricalLoad();
            UpdateExhaustTemperature(type, 0.0116667, 43);
            if (Running(0) && Running(1)) UpdateSynchroscope();
            break;
        case 3:
            UpdateFuelFlow();
            UpdateElectricalLoad();
            if (Running(0) && Running(1)) UpdateSynchroscope();
            break;
        case 4:
            UpdateAngleOfAttack();
            UpdateFuelFlow();
            UpdateElectricalLoad();
            break;
        default:
            break;
    }
    StepTransferLamps();
    if (theSettlingUpdates > 0) --theSettlingUpdates;
}

}  // namespace cockpit
