// The weather of one place: the surface wind, eight layers of winds aloft, three cloud layers,
// and (through the simulation's own words) the surface temperature and pressure. The world owns
// the live one; the flight plan keeps three more for its route briefings. The live weather
// moves its winds a little every world tick, puts the wind of the layer holding the aircraft
// into the flight model every flight step, and answers the flight model's questions about the
// surface wind and the layers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace core {
class IniFile;
}

namespace world {

class WindLayer {
public:
    WindLayer() = default;

    [[nodiscard]] std::int32_t GetBottomAltitude() const { return bottom; }
    [[nodiscard]] std::int32_t GetTopAltitude() const { return top; }
    [[nodiscard]] std::int32_t GetMidAltitude() const { return (bottom + top) / 2; }
    // A stored 0 reads as 360.
    [[nodiscard]] std::int32_t GetDirection() const { return direction == 0 ? 360 : direction; }
    [[nodiscard]] std::int32_t GetSpeed() const { return speed; }
    [[nodiscard]] std::int32_t GetGustSpeed() const { return gustSpeed; }
    [[nodiscard]] std::int32_t GetCharacter() const { return character; }
    [[nodiscard]] std::int32_t GetDuration() const { return duration; }
    [[nodiscard]] std::int32_t GetTurbulence() const { return turbulence; }

    // Each setter keeps the layer in its ranges: directions fold into 1..360 by whole turns,
    // speeds clamp to 0..100 kt, the classes outside their sets become 0.
    void SetDirection(std::int32_t degrees);
    void SetSpeed(std::int32_t knots);
    void SetGustSpeed(std::int32_t knots);
    void SetCharacter(std::int32_t value);
    void SetDuration(std::int32_t value);
    void SetTurbulence(std::int32_t value);
    void SetBand(std::int32_t bottomFeet, std::int32_t topFeet);

    // When bottom <= altitude <= top: the current speed and direction, and 1; otherwise 0 and
    // the outputs untouched.
    int GetWindAtAltitude(float altitude, float* speedOut, float* directionOut) const;
    // A new goal near the set wind, reached in 30 steps.
    void Retarget();
    void Step();

    [[nodiscard]] float CurrentSpeed() const { return currentSpeed; }
    [[nodiscard]] float CurrentDirection() const { return currentDirection; }
    [[nodiscard]] float TargetSpeed() const { return targetSpeed; }
    [[nodiscard]] float TargetDirection() const { return targetDirection; }

    // The one-line text: altitude (empty for the surface, "FL %d" from 18000 ft), then the
    // direction to ten degrees and the speed, or "Calm".
    [[nodiscard]] std::string FormatText() const;

    // The six keys of winds-aloft layer n ("wa%d...").
    void LoadIni(core::IniFile& file, int n);
    [[nodiscard]] int SaveIni(core::IniFile& file, int n) const;

private:
    std::int32_t bottom = 0;
    std::int32_t top = 0;
    std::int32_t direction = 360;
    std::int32_t speed = 0;
    std::int32_t gustSpeed = 0;
    std::int32_t character = 0;
    std::int32_t duration = 0;
    std::int32_t turbulence = 0;
    float targetDirection = 0.0f;
    float currentDirection = 0.0f;
    float directionStep = 0.0f;
    float targetSpeed = 0.0f;
    float currentSpeed = 0.0f;
    float speedStep = 0.0f;
};

class CloudLayer {
public:
    [[nodiscard]] std::int32_t GetBase() const { return base; }
    // Clamped to the base range: below low gives low, at or above high gives high.
    void SetBase(std::int32_t feet);
    [[nodiscard]] std::int32_t GetThickness() const { return thickness; }
    // 0 .. high - low.
    void SetThickness(std::int32_t feet);
    [[nodiscard]] std::int32_t GetTop() const { return base + thickness; }
    [[nodiscard]] std::int32_t GetCoverage() const { return coverage; }
    // Eighths 0..8; anything else becomes 0.
    void SetCoverage(std::int32_t eighths);
    void SetBaseRange(std::int32_t low, std::int32_t high);
    [[nodiscard]] std::int32_t GetBaseRangeLow() const { return rangeLow; }
    [[nodiscard]] std::int32_t GetBaseRangeHigh() const { return rangeHigh; }

    // The three keys of cloud layer `index` 0..2 ("cla%d..." with index + 1).
    void LoadIni(core::IniFile& file, int index);
    [[nodiscard]] int SaveIni(core::IniFile& file, int index) const;

private:
    std::int32_t base = 0;
    std::int32_t thickness = 0;
    std::int32_t coverage = 0;
    std::int32_t rangeLow = 0;
    std::int32_t rangeHigh = 0;
};

inline constexpr int kWindLayers = 9;
// The fixed bands of the nine wind layers (feet): layer i blows from kWindBands[i] up to
// kWindBands[i + 1].
inline constexpr std::int32_t kWindBands[kWindLayers + 1] = {0,     1500,  4500,  7500,  10500,
                                                             15000, 21000, 27000, 32000, 36500};
inline constexpr int kCloudLayers = 3;
// One retarget, then this many steps bring the current winds to the targets.
inline constexpr int kWindSteps = 30;

class WeatherState {
public:
    // The fixed wind bands and cloud base ranges, every value at its start.
    WeatherState();

    // Layer n (0 the surface, 1..8 aloft) / cloud layer 0..2; null outside those.
    [[nodiscard]] WindLayer* GetWindLayer(int n);
    [[nodiscard]] const WindLayer* GetWindLayer(int n) const;
    [[nodiscard]] CloudLayer* GetCloudLayer(int n);
    [[nodiscard]] const CloudLayer* GetCloudLayer(int n) const;

    // The surface wind (layer 0).
    [[nodiscard]] std::int32_t GetSurfaceWindDirection() const { return winds[0].GetDirection(); }
    void SetSurfaceWindDirection(std::int32_t v) { winds[0].SetDirection(v); }
    [[nodiscard]] std::int32_t GetSurfaceWindSpeed() const { return winds[0].GetSpeed(); }
    void SetSurfaceWindSpeed(std::int32_t v) { winds[0].SetSpeed(v); }
    [[nodiscard]] std::int32_t GetSurfaceWindGustSpeed() const { return winds[0].GetGustSpeed(); }
    void SetSurfaceWindGustSpeed(std::int32_t v) { winds[0].SetGustSpeed(v); }
    [[nodiscard]] std::int32_t GetSurfaceWindCharacter() const { return winds[0].GetCharacter(); }
    void SetSurfaceWindCharacter(std::int32_t v) { winds[0].SetCharacter(v); }

    // The simulation's pressure word through the conversions, hundredths of inHg (24.00 ..
    // 31.99) and whole degrees Fahrenheit.
    [[nodiscard]] static std::int32_t GetSurfaceBaroPressure();
    static void SetSurfaceBaroPressure(std::int32_t hundredths);
    [[nodiscard]] static std::int32_t GetSurfaceTemperatureF();
    static void SetSurfaceTemperatureF(std::int32_t fahrenheit);
    [[nodiscard]] static std::int32_t GetSurfaceTemperatureC();

    // Once per world tick: every 31st call retargets all layers, the others step them.
    void UpdateWinds();
    void ResetWindTimer() { windCountdown = 0; }
    [[nodiscard]] int WindCountdown() const { return windCountdown; }
    // Once per flight step: the wind of the layer holding the aircraft into the flight model's
    // wind words (a velocity in 1/256 m/s); outside every band they stay as they were.
    void ApplyWindAtAircraft() const;
    // The current wind of the layer holding the aircraft: the surface wind's below 1,500 ft
    // above the ground, else the layer aloft whose band (above the sea) holds it, the higher
    // where bands touch; knots and the direction it blows from (degrees, as set); 0 outside
    // every band.
    int WindAtAircraft(float* speed, float* direction) const;

    // The "Weather" section of a settings or situation file; every value through its setter.
    int LoadIni(core::IniFile& file);
    int SaveIni(core::IniFile& file) const;

private:
    std::array<WindLayer, kWindLayers> winds;
    std::array<CloudLayer, kCloudLayers> clouds;
    std::int16_t windCountdown = 0;
};

// The conversions on the simulation's words, shared with everything that reads them.
// Pressure word: signed offset from 28.00 inHg in 1/65536 of 8.00 inHg.
[[nodiscard]] std::int16_t PressureWordFromHundredths(std::int32_t hundredths);
[[nodiscard]] std::int32_t HundredthsFromPressureWord(std::int16_t word);
// Temperature word: degrees Celsius x 256.
[[nodiscard]] std::int16_t TemperatureWordFromFahrenheit(std::int32_t fahrenheit);
[[nodiscard]] std::int32_t FahrenheitFromTemperatureWord(std::int16_t word);
[[nodiscard]] std::int32_t CelsiusFromTemperatureWord(std::int16_t word);

// The flight model's weather questions answered from `weather` (the world's live weather);
// null puts back the calm answers.
void InstallWeatherServices(const WeatherState* weather);

}  // namespace world
