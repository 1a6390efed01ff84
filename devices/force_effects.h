// One effect of a force-feedback stick: the device's effect object with a local copy of its
// parameter record, changed in the simulator's units (whole percent, whole degrees, hertz) and
// sent in the device's (percent x 100, hundredths of a degree, microseconds). An effect the device
// refused has no device object: every setter then does nothing and every getter answers 0, so the
// rest of the simulator needs no checks. Values outside their ranges are clamped as signed
// values, never refused.
#pragma once

#include <array>
#include <cstdint>

#include "win/dinput.h"

namespace devices {

class FFDirectInputStick;

class FFEffect {
public:
    FFEffect(const FFEffect&) = delete;
    FFEffect& operator=(const FFEffect&) = delete;
    // Gives the device object back to the owner.
    virtual ~FFEffect();

    // The effect's gain: percent x 100, held to 1..10000.
    virtual void SetStrength(int percent);
    // Device units (0..10000).
    virtual int GetStrength();
    // Whole degrees; a negative direction folds into 0..359, above 360 is held at 360.
    virtual void SetDirection(int degrees);
    // Hundredths of a degree.
    virtual int GetDirection();
    // Tenths of a millisecond (-1 infinite).
    virtual void SetDuration(std::int32_t tenthsOfMs);
    // Microseconds (0xFFFFFFFF infinite).
    virtual std::uint32_t GetDuration();
    [[nodiscard]] virtual std::uint32_t GetTypeParamsSize() const = 0;
    virtual void* GetTypeParams() = 0;

    // Once, no flags; the triggers start an effect again after every change of a running one.
    bool Start();
    void Stop();
    bool IsPlaying();
    // Reads (or sends) the parts of `params` the mask names, the type-specific block included.
    void FetchParameters(std::uint32_t mask);
    void SendParameters(std::uint32_t mask);

    win::IDirectInputEffect* effect = nullptr;
    win::DIEFFECT params;
    win::DIENVELOPE envelope;
    FFDirectInputStick* owner = nullptr;
    // Set while the owner counts this effect among the ones its create operations made.
    bool counted = false;

protected:
    FFEffect(FFDirectInputStick* owner, std::uint32_t axisCount);
    // What the constructors do once the device made (or refused) the effect.
    void Created();

    std::array<std::uint32_t, 3> axes{};
    std::array<std::int32_t, 3> directions{};
};

class FFPeriodicEffect final : public FFEffect {
public:
    // Waveform codes of the support layer (1 sine ... 8 sawtooth down); direction in degrees,
    // magnitude and offset in percent, attack and fade times in tenths of a millisecond and
    // levels in percent; duration in microseconds (-1 infinite); trigger button -1 none.
    FFPeriodicEffect(FFDirectInputStick* owner, int waveform, std::int32_t duration,
                     int frequencyHz, int direction, int magnitude, int offset, int attackTime,
                     int attackLevel, int fadeTime, int fadeLevel, int triggerButton);
    // The strength of a wave is its magnitude: the clamped value is kept as the gain too, and
    // only the wave's block is sent.
    void SetStrength(int percent) override;
    void SetOffset(int percent);
    void SetPhase(int degrees);
    // The period of `hz`; 0 (or less) stops the wave and keeps its period.
    void SetFrequency(int hz);
    [[nodiscard]] std::uint32_t GetTypeParamsSize() const override { return win::kDIPeriodicSize; }
    void* GetTypeParams() override { return &periodic; }

    win::DIPERIODIC periodic;
};

class FFConstantForceEffect final : public FFEffect {
public:
    FFConstantForceEffect(FFDirectInputStick* owner, std::int32_t duration, int direction,
                          int magnitude, int attackTime, int attackLevel, int fadeTime,
                          int fadeLevel, int triggerButton);
    // Signed percent, held to -100..100.
    virtual void SetMagnitude(int percent);
    [[nodiscard]] std::uint32_t GetTypeParamsSize() const override {
        return win::kDIConstantForceSize;
    }
    void* GetTypeParams() override { return &constant; }

    win::DICONSTANTFORCE constant;
};

class FFSpringEffect final : public FFEffect {
public:
    FFSpringEffect(FFDirectInputStick* owner, std::int32_t duration, int xStiffness, int xOffset,
                   int yStiffness, int yOffset, int triggerButton);
    // Percent -100..100, kept as both coefficients (or the offset) of that axis.
    void SetXStiffness(int percent);
    void SetYStiffness(int percent);
    void SetXOffset(int percent);
    void SetYOffset(int percent);
    [[nodiscard]] std::uint32_t GetTypeParamsSize() const override {
        return 2 * win::kDIConditionSize;
    }
    void* GetTypeParams() override { return conditions.data(); }

    std::array<win::DICONDITION, 2> conditions{};  // x, then y
};

class FFROMEffect final : public FFEffect {
public:
    FFROMEffect(FFDirectInputStick* owner, const win::GUID& guid, int gain, int direction,
                std::int32_t duration, int triggerButton);
    [[nodiscard]] std::uint32_t GetTypeParamsSize() const override { return 0; }
    void* GetTypeParams() override { return nullptr; }
};

// Shared clamps of the effects and the triggers: whole degrees folded into 0..359.
[[nodiscard]] int FoldDegrees(int degrees);

}  // namespace devices
