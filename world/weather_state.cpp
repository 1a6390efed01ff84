#include "world/weather_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cockpit/gauges.h"
#include "core/ini_file.h"
#include "core/numeric.h"
#include "flight/aircraft.h"
#include "world/terrain_services.h"
#include "world/weather_services.h"

namespace world {

namespace {

constexpr const char* kWeatherStateSection = "Weather";

// The cloud base ranges.
constexpr std::int32_t kCloudRanges[kCloudLayers][2] = {{100, 6499}, {6500, 19999}, {20000, 44999}};

constexpr float kOneThirtieth = 0.033333335f;
constexpr float kCalmKnots = 1.0f;  // below this the wind has no direction of its own

// Half away from zero, which keeps negative values symmetrical with positive ones (a plain
// "+ 0.5 and truncate" moves -10 F to -9 F on every save).
std::int64_t RoundHalfAway(double v) {
    return static_cast<std::int64_t>(std::lround(v));
}

}  // namespace

// ---- conversions ----------------------------------------------------------------------------

std::int16_t PressureWordFromHundredths(std::int32_t hundredths) {
    // The word spans 24.00 .. 31.99 inHg. Rounding up (not to nearest) is what makes every
    // value of that span read back exactly through the truncating read below: the stored word
    // lies within 1/81.92 of a hundredth above the value, never below it.
    const std::int32_t v = std::clamp(hundredths, 2400, 3199);
    const double word = std::ceil(static_cast<double>(v - 2800) * 65536.0 / 800.0);
    return core::ClampToInt16(static_cast<std::int64_t>(word));
}

std::int32_t HundredthsFromPressureWord(std::int16_t word) {
    return ((static_cast<std::int32_t>(word) * 800) >> 16) + 2800;
}

std::int16_t TemperatureWordFromFahrenheit(std::int32_t fahrenheit) {
    return core::ClampToInt16(
        RoundHalfAway((static_cast<double>(fahrenheit) - 32.0) * 0.5555555555555556 * 256.0));
}

std::int32_t FahrenheitFromTemperatureWord(std::int16_t word) {
    return static_cast<std::int32_t>(RoundHalfAway(word * 0.00390625 * 1.8 + 32.0));
}

std::int32_t CelsiusFromTemperatureWord(std::int16_t word) {
    return static_cast<std::int32_t>(RoundHalfAway(word * 0.00390625));
}

// ---- WindLayer ------------------------------------------------------------------------------

void WindLayer::SetDirection(std::int32_t degrees) {
    // Whole turns, in 64 bits so that any integer folds.
    std::int64_t d = degrees;
    d = ((d - 1) % 360 + 360) % 360 + 1;
    direction = static_cast<std::int32_t>(d);
}

void WindLayer::SetSpeed(std::int32_t knots) {
    speed = std::clamp(knots, 0, 100);
}

void WindLayer::SetGustSpeed(std::int32_t knots) {
    gustSpeed = std::clamp(knots, 0, 100);
}

void WindLayer::SetCharacter(std::int32_t value) {
    character = (value == 0 || value == 1) ? value : 0;
}

void WindLayer::SetDuration(std::int32_t value) {
    duration = (value >= 0 && value <= 2) ? value : 0;
}

void WindLayer::SetTurbulence(std::int32_t value) {
    turbulence = (value >= 0 && value <= 4) ? value : 0;
}

void WindLayer::SetBand(std::int32_t bottomFeet, std::int32_t topFeet) {
    bottom = bottomFeet;
    top = topFeet;
}

int WindLayer::GetWindAtAltitude(float altitude, float* speedOut, float* directionOut) const {
    if (!(altitude >= static_cast<float>(bottom) && altitude <= static_cast<float>(top))) return 0;
    if (speedOut != nullptr) *speedOut = currentSpeed;
    if (directionOut != nullptr) *directionOut = currentDirection;
    return 1;
}

void WindLayer::Retarget() {
    // The goal direction wanders -5..+4 degrees round the set one. The wind turns toward it by
    // the shorter way (from 350 to 10 through north); a calm wind has no direction to turn
    // from and starts from the goal's.
    const float goal = static_cast<float>(GetDirection() + (core::rand() % 10 - 5));
    if (currentSpeed < kCalmKnots) currentDirection = goal;
    currentDirection = std::fmod(currentDirection, 360.0f);
    if (currentDirection < 0.0f) currentDirection += 360.0f;
    float turn = std::fmod(goal - currentDirection, 360.0f);
    if (turn > 180.0f) turn -= 360.0f;
    if (turn <= -180.0f) turn += 360.0f;
    targetDirection = currentDirection + turn;
    directionStep = turn * kOneThirtieth;
    if (character == 1 && gustSpeed - speed > 0)
        targetSpeed = static_cast<float>(speed + core::rand() % (gustSpeed - speed));
    else
        targetSpeed = static_cast<float>(speed);
    speedStep = (targetSpeed - currentSpeed) * kOneThirtieth;
}

void WindLayer::Step() {
    currentDirection += directionStep;
    currentSpeed += speedStep;
}

std::string WindLayer::FormatText() const {
    char altitude[16] = "";
    if (bottom >= 18000)
        std::snprintf(altitude, sizeof altitude, "FL %d", bottom / 100);
    else if (bottom != 0)
        std::snprintf(altitude, sizeof altitude, "%d", bottom);
    // The direction to ten degrees, in the 16-bit arithmetic of the display.
    const auto d = static_cast<std::int16_t>(GetDirection());
    auto shown = static_cast<std::int16_t>(((d + 5) / 10) * 10);
    if (shown == 0) shown = 360;
    char text[64];
    if (speed == 0)
        std::snprintf(text, sizeof text, "%s Calm", altitude);
    else
        std::snprintf(text, sizeof text, "%s %u at %u", altitude, static_cast<unsigned>(shown),
                      static_cast<unsigned>(speed));
    return text;
}

namespace {
std::string Key(const char* format, int n, const char* suffix) {
    char key[32];
    std::snprintf(key, sizeof key, format, n, suffix);
    return key;
}
}  // namespace

void WindLayer::LoadIni(core::IniFile& file, int n) {
    SetDirection(file.GetInt(kWeatherStateSection, Key("wa%d%s", n, "Dir").c_str(), 360));
    SetSpeed(file.GetInt(kWeatherStateSection, Key("wa%d%s", n, "Spd").c_str(), 0));
    SetCharacter(file.GetInt(kWeatherStateSection, Key("wa%d%s", n, "Character").c_str(), 0));
    SetGustSpeed(file.GetInt(kWeatherStateSection, Key("wa%d%s", n, "GustSpd").c_str(), 0));
    SetTurbulence(file.GetInt(kWeatherStateSection, Key("wa%d%s", n, "Turb").c_str(), 0));
    SetDuration(file.GetInt(kWeatherStateSection, Key("wa%d%s", n, "Duration").c_str(), 0));
}

int WindLayer::SaveIni(core::IniFile& file, int n) const {
    int ok = file.PutInt(kWeatherStateSection, Key("wa%d%s", n, "Dir").c_str(), GetDirection());
    ok &= file.PutInt(kWeatherStateSection, Key("wa%d%s", n, "Spd").c_str(), speed);
    ok &= file.PutInt(kWeatherStateSection, Key("wa%d%s", n, "Character").c_str(), character);
    ok &= file.PutInt(kWeatherStateSection, Key("wa%d%s", n, "GustSpd").c_str(), gustSpeed);
    ok &= file.PutInt(kWeatherStateSection, Key("wa%d%s", n, "Turb").c_str(), turbulence);
    ok &= file.PutInt(kWeatherStateSection, Key("wa%d%s", n, "Duration").c_str(), duration);
    return ok;
}

// ---- CloudLayer -----------------------------------------------------------------------------

void CloudLayer::SetBase(std::int32_t feet) {
    base = feet < rangeLow ? rangeLow : (feet >= rangeHigh ? rangeHigh : feet);
}

void CloudLayer::SetThickness(std::int32_t feet) {
    const std::int32_t most = rangeHigh - rangeLow;
    thickness = feet < 0 ? 0 : (feet > most ? most : feet);
}

void CloudLayer::SetCoverage(std::int32_t eighths) {
    coverage = (eighths >= 0 && eighths <= 8) ? eighths : 0;
}

void CloudLayer::SetBaseRange(std::int32_t low, std::int32_t high) {
    rangeLow = low;
    rangeHigh = high;
}

void CloudLayer::LoadIni(core::IniFile& file, int index) {
    SetBase(file.GetInt(kWeatherStateSection, Key("cla%d%s", index + 1, "CloudBase").c_str(),
                        rangeLow));
    SetThickness(
        file.GetInt(kWeatherStateSection, Key("cla%d%s", index + 1, "CloudHeight").c_str(), 1));
    SetCoverage(
        file.GetInt(kWeatherStateSection, Key("cla%d%s", index + 1, "CloudCoverage").c_str(), 0));
}

int CloudLayer::SaveIni(core::IniFile& file, int index) const {
    int ok =
        file.PutInt(kWeatherStateSection, Key("cla%d%s", index + 1, "CloudBase").c_str(), base);
    ok &= file.PutInt(kWeatherStateSection, Key("cla%d%s", index + 1, "CloudHeight").c_str(),
                      thickness);
    ok &= file.PutInt(kWeatherStateSection, Key("cla%d%s", index + 1, "CloudCoverage").c_str(),
                      coverage);
    return ok;
}

// ---- WeatherState ---------------------------------------------------------------------------

WeatherState::WeatherState() {
    for (int i = 0; i < kWindLayers; ++i)
        winds[static_cast<std::size_t>(i)].SetBand(kWindBands[i], kWindBands[i + 1]);
    for (int i = 0; i < kCloudLayers; ++i) {
        CloudLayer& c = clouds[static_cast<std::size_t>(i)];
        c.SetBaseRange(kCloudRanges[i][0], kCloudRanges[i][1]);
        // Within its range from the start, so a fresh weather saves what it loads back.
        c.SetBase(kCloudRanges[i][0]);
    }
}

WindLayer* WeatherState::GetWindLayer(int n) {
    return (n >= 0 && n < kWindLayers) ? &winds[static_cast<std::size_t>(n)] : nullptr;
}

const WindLayer* WeatherState::GetWindLayer(int n) const {
    return (n >= 0 && n < kWindLayers) ? &winds[static_cast<std::size_t>(n)] : nullptr;
}

CloudLayer* WeatherState::GetCloudLayer(int n) {
    return (n >= 0 && n < kCloudLayers) ? &clouds[static_cast<std::size_t>(n)] : nullptr;
}

const CloudLayer* WeatherState::GetCloudLayer(int n) const {
    return (n >= 0 && n < kCloudLayers) ? &clouds[static_cast<std::size_t>(n)] : nullptr;
}

std::int32_t WeatherState::GetSurfaceBaroPressure() {
    return HundredthsFromPressureWord(cockpit::theBarometricPressureWord);
}

void WeatherState::SetSurfaceBaroPressure(std::int32_t hundredths) {
    cockpit::theBarometricPressureWord = PressureWordFromHundredths(hundredths);
}

std::int32_t WeatherState::GetSurfaceTemperatureF() {
    return FahrenheitFromTemperatureWord(theSeaLevelTemp);
}

void WeatherState::SetSurfaceTemperatureF(std::int32_t fahrenheit) {
    theSeaLevelTemp = TemperatureWordFromFahrenheit(fahrenheit);
}

std::int32_t WeatherState::GetSurfaceTemperatureC() {
    return CelsiusFromTemperatureWord(theSeaLevelTemp);
}

void WeatherState::UpdateWinds() {
    if (windCountdown == 0) {
        for (WindLayer& w : winds)
            w.Retarget();
        windCountdown = kWindSteps;
    } else {
        --windCountdown;
        for (WindLayer& w : winds)
            w.Step();
    }
}

int WeatherState::WindAtAircraft(float* speed, float* direction) const {
    constexpr double kFeetPerWorldUnit = 1.2890625;
    const auto aboveGround = static_cast<float>(
        core::SaturateToInt32(flight::GetAircraftHeightAboveTerrain() * kFeetPerWorldUnit));
    const auto aboveSea = static_cast<float>(
        core::SaturateToInt32(flight::GetAircraftAltitude() * kFeetPerWorldUnit));
    // The layers aloft count their bands above the sea; where bands touch, the higher layer
    // wins: every match overwrites.
    int hit = 0;
    for (int i = 1; i < kWindLayers; ++i) {
        if (winds[static_cast<std::size_t>(i)].GetWindAtAltitude(aboveSea, speed, direction) != 0)
            hit = 1;
    }
    // The surface wind blows in the lowest 1,500 ft above the ground, at a mountain field as at
    // the coast: below its top it wins over the layer aloft whose band the field's own height
    // reaches into (at Denver, a mile up, the one from 4,500 ft).
    const WindLayer& surface = winds[0];
    if ((aboveGround < static_cast<float>(surface.GetTopAltitude()) || hit == 0) &&
        surface.GetWindAtAltitude(aboveGround, speed, direction) != 0)
        hit = 1;
    return hit;
}

void WeatherState::ApplyWindAtAircraft() const {
    float speed = 0.0f, direction = 0.0f;
    if (WindAtAircraft(&speed, &direction) == 0) return;
    // The wind blows toward its direction + 180 degrees, taken as magnetic (as the tower gives
    // it) and turned onto the world grid by the variation word.
    const double a =
        (theMagneticVariation * 0.0054931645 + static_cast<double>(direction) + 180.0) *
        0.017453292;
    // Knots to the flight model's velocity unit, 1/256 m/s (one knot is about 131.8 units).
    const double w = static_cast<std::int16_t>(
        core::SaturateToInt32(static_cast<double>(speed) * 1.6888889 * 0.77575755 * 100.584));
    // The flight model's x grows eastward and z northward, and bearings run clockwise from
    // north: the east part is the bearing's sine.
    theWindAtAircraftX = core::ClampToInt16(core::SaturateToInt32(std::sin(a) * w));
    theWindAtAircraftZ = core::ClampToInt16(core::SaturateToInt32(std::cos(a) * w));
}

int WeatherState::LoadIni(core::IniFile& file) {
    SetSurfaceTemperatureF(file.GetInt(kWeatherStateSection, "surfTemp", 59));
    SetSurfaceBaroPressure(file.GetInt(kWeatherStateSection, "baromPressure", 2992));
    WindLayer& surface = winds[0];
    surface.SetDirection(file.GetInt(kWeatherStateSection, "swDir", 360));
    surface.SetSpeed(file.GetInt(kWeatherStateSection, "swSpd", 0));
    surface.SetCharacter(file.GetInt(kWeatherStateSection, "swCharacter", 0));
    surface.SetGustSpeed(file.GetInt(kWeatherStateSection, "swGustSpd", 0));
    for (int n = 1; n < kWindLayers; ++n)
        winds[static_cast<std::size_t>(n)].LoadIni(file, n);
    ResetWindTimer();
    for (int i = 0; i < kCloudLayers; ++i)
        clouds[static_cast<std::size_t>(i)].LoadIni(file, i);
    return 1;
}

int WeatherState::SaveIni(core::IniFile& file) const {
    int ok = file.PutInt(kWeatherStateSection, "surfTemp", GetSurfaceTemperatureF());
    ok &= file.PutInt(kWeatherStateSection, "baromPressure", GetSurfaceBaroPressure());
    const WindLayer& surface = winds[0];
    ok &= file.PutInt(kWeatherStateSection, "swDir", surface.GetDirection());
    ok &= file.PutInt(kWeatherStateSection, "swSpd", surface.GetSpeed());
    ok &= file.PutInt(kWeatherStateSection, "swCharacter", surface.GetCharacter());
    ok &= file.PutInt(kWeatherStateSection, "swGustSpd", surface.GetGustSpeed());
    // The layers' results are not part of the section's answer.
    for (int n = 1; n < kWindLayers; ++n)
        (void)winds[static_cast<std::size_t>(n)].SaveIni(file, n);
    for (int i = 0; i < kCloudLayers; ++i)
        (void)clouds[static_cast<std::size_t>(i)].SaveIni(file, i);
    return ok;
}

// ---- the flight model's questions -----------------------------------------------------------

namespace {

const WeatherState* theServedWeather = nullptr;

int ServedCharacter() {
    return theServedWeather != nullptr ? theServedWeather->GetSurfaceWindCharacter() : 0;
}
int ServedSpeed() {
    return theServedWeather != nullptr ? theServedWeather->GetSurfaceWindSpeed() : 0;
}
double ServedLayerBottom(int index) {
    const WindLayer* w = theServedWeather != nullptr ? theServedWeather->GetWindLayer(index)
                                                     : nullptr;
    return w != nullptr ? static_cast<double>(w->GetBottomAltitude()) : -1.0;
}

}  // namespace

void InstallWeatherServices(const WeatherState* weather) {
    theServedWeather = weather;
    theWeatherServices = weather != nullptr
                             ? WeatherServices{&ServedCharacter, &ServedSpeed, &ServedLayerBottom}
                             : CalmWeatherServices();
}

}  // namespace world
