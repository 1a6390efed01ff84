// The instrument values: what UpdateGauges (every third tick) makes of the flight model's state
// for each instrument's words, and the formulas it uses, which the art maker also evaluates to
// graduate each type's dials where the needles will point.
#pragma once

#include <cstdint>

namespace cockpit {

// ---- formulas --------------------------------------------------------------------------------------
// Airspeed needle frame from the flight model's airspeed word (the readout's knots x 32768);
// pinned at 180 above the dial.
[[nodiscard]] std::int32_t AirspeedFrame(int type, std::int32_t airspeedWord);
// Vertical-speed needle frame (135 is level; the frames run round) from feet per minute.
[[nodiscard]] std::int32_t VerticalSpeedFrame(int type, double feetPerMinute);
// The vertical-speed word of the flight model (averaged vertical speed) in feet per minute.
[[nodiscard]] double VerticalSpeedFeetPerMinute(double verticalRate);
// Turn coordinator airplane frame from the turn increment, and ball position from the slip.
[[nodiscard]] std::int32_t TurnFrame(double turnIncrement);
[[nodiscard]] std::int32_t TurnBall(std::int32_t slip);
// Indicated altitude in feet from the aircraft's altitude (world units), the altimeter's setting
// (hundredths of an inch of mercury) and the weather's pressure word; with the standard setting,
// the pressure altitude.
inline constexpr std::int32_t kStandardAltimeterSetting = 2992;
[[nodiscard]] std::int32_t IndicatedAltitude(double altitude, std::int32_t setting,
                                             std::int16_t pressureWord);
// The three-pointer altimeter's frames from feet: ten-thousand, thousand and hundred hands.
struct ThreePointerFrames {
    std::int32_t tenThousand, thousand, hundred;
};
[[nodiscard]] ThreePointerFrames ThreePointerFramesFor(std::int32_t feet);
// Heading card frame (0..143) from a magnetic heading word (binary angle).
[[nodiscard]] std::int32_t CardFrameForHeading(std::uint16_t magneticHeading);
// Tachometer target of the 172 (and of the Bonanza from its governed speed).
[[nodiscard]] std::int32_t PistonTachometerTarget(std::int32_t rpm);
// The speed a propeller lever (0..31) leaves of the engine speed.
[[nodiscard]] std::int32_t GovernedSpeed(std::int32_t rpm, std::int32_t propLever);
[[nodiscard]] std::int32_t BaronTachometerTarget(std::int32_t governedRpm);
// The King Air's gas-generator speed value (tenths of a percent) and torque target.
[[nodiscard]] std::int32_t KingAirTachometerValue(std::int32_t speed);
[[nodiscard]] std::int32_t KingAirTorqueTarget(double torque);
[[nodiscard]] std::int32_t KingAirTemperatureFrame(std::int32_t turbineTemperature);
// The King Air's turbine temperature needle frame from degrees Celsius (frame 8 at zero and
// below).
[[nodiscard]] std::int32_t KingAirTemperatureFrameOf(double celsius);
// The jet's turbine temperature tape (pixels) from degrees Celsius.
[[nodiscard]] std::int32_t JetTemperatureTape(double celsius);
// The jet's gas-generator tape (pixels).
[[nodiscard]] std::int32_t JetSpeedTape(std::int32_t speed);
// Manifold pressure frame of the Bonanza (type 1) and Baron (type 2) from an engine's power
// value, running or not (a stopped engine's value is the air's pressure); 1 added as the gauge
// shows it.
[[nodiscard]] std::int32_t ManifoldFrame(int type, bool running, double powerValue);
// Fuel-flow frame of the Bonanza and the Baron from the fuel-flow reference and a mixture lever.
[[nodiscard]] std::int32_t FuelFlowFrame(int type, double reference, std::int32_t mixture);
// One smoothing step of a displayed value toward its target: a sixth of the way, at least 1.
[[nodiscard]] std::int32_t SmoothToward(std::int32_t current, std::int32_t target);

// ---- the engine readings the gauges need beside the flight model's words ---------------------------
// The piston types' power value from the manifold pressure (inches of mercury), and back.
[[nodiscard]] double PowerValueFromManifold(double inches);
[[nodiscard]] double ManifoldFromPowerValue(double powerValue);
// The manifold pressure of a piston engine: between its idle 12 inches and the air's pressure
// at the aircraft's altitude by the throttle; the air's pressure while it stands.
[[nodiscard]] double ManifoldPressure(int engine);
// Fuel burned by one engine in US gallons an hour (the flight model's burn at its power), the
// type's fuel-flow reference for it, and the ideal mixture lever at the aircraft's altitude.
[[nodiscard]] double PistonFuelFlowGallons(int engine);
[[nodiscard]] double FuelFlowReference(int type, double gallonsPerHour);
[[nodiscard]] double GallonsFromFuelFlowReference(int type, double reference);
[[nodiscard]] std::int32_t IdealMixtureLever();
// The turbines' torque word (King Air: 1/11.1496 of foot-pounds, 200 at full power; jet: fuel
// flow / 2.2 in pounds an hour) and turbine temperature word, per engine.
[[nodiscard]] double TurbineTorque(int type, int engine);
[[nodiscard]] std::int32_t TurbineTemperatureWord(int type, int engine);
// Degrees Celsius of the turbine temperature a word stands for, and back.
[[nodiscard]] double TurbineCelsius(int type, std::int32_t word);
[[nodiscard]] std::int32_t TurbineWordFromCelsius(int type, double celsius);

// A stopped engine's hot parts give their heat to the air: the difference shrinks by e every
// kEngineCoolingSeconds, so that a turbine stopped from idle reads within a few degrees of the
// air after five minutes. `now` after `seconds` of cooling toward `air`.
inline constexpr double kEngineCoolingSeconds = 60.0;
[[nodiscard]] double CooledToward(double now, double air, double seconds);
// A turbine's hot section in degrees Celsius as the gauges last found it: the temperature its
// power gives while it runs, cooling toward the air's after a stop.
[[nodiscard]] double TurbineHeatCelsius(int engine);

// ---- the update ----------------------------------------------------------------------------------
// Routines UpdateGauges runs, and InvalidateAllGauges too.
void UpdateFuelQuantity();
void UpdateElectricalLoad();
void UpdateManifoldPressure();
void UpdateFuelFlow();
void UpdateAngleOfAttack();
void UpdateSynchroscope();

}  // namespace cockpit
