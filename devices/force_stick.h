// The force-feedback stick as the simulator sees it: one abstract stick, `theForceStick`, with
// two kinds behind it. The input-device stick plays effect objects on a force-feedback joystick
// (a centring spring of its own, the seven standard effects, and effects bound to buttons); the
// library stick drives a stick through a run-time bound vendor library. Starting force feedback
// tries the input-device stick first and the library second, every time; no setting chooses.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "devices/force_effects.h"
#include "win/dinput.h"
#include "win/handles.h"

namespace devices {

// Percent values are whole percent, directions whole degrees, frequencies hertz.
class FFJoystick {
public:
    FFJoystick() = default;
    FFJoystick(const FFJoystick&) = delete;
    FFJoystick& operator=(const FFJoystick&) = delete;
    virtual ~FFJoystick() = default;

    // An effect in slot `index` (0..15) played while button `index` is held: a constant force
    // for frequency 0, else a sine of that frequency. Made, not started.
    virtual void StartEffect(int index, int magnitude, int direction, int frequency) = 0;
    virtual void StopEffect(int index) = 0;
    // One constant force, made on the first call and changed afterwards.
    virtual void SetStickForce(int magnitude, int direction) = 0;
    virtual void ActuatorsOn() = 0;
    virtual void ActuatorsOff() = 0;
    virtual void StopAll() = 0;
    virtual bool IsForceActive() = 0;
    virtual bool QueryDeviceFlag() = 0;
    // Axis 0 x, 1 y; the centring spring's offset and stiffness (axis 2: both, where said).
    virtual void SetCenterOffset(int axis, int percent) = 0;
    virtual void SetCenterStiffness(int axis, int percent) = 0;
    virtual void RestoreCentering(int axis) = 0;
    virtual int GetCenterOffset(int axis) = 0;
    virtual int GetCenterStiffness(int axis) = 0;

    // The centring stiffness the stick restores, percent.
    std::int32_t strength = 50;
};

inline constexpr int kStickEffectSlots = 16;
// Effects a stick's create operations make at most (its centring spring is not counted).
inline constexpr std::uint32_t kMaxStickEffects = 10;

class FFDirectInputStick final : public FFJoystick {
public:
    // Takes over both interfaces.
    FFDirectInputStick(win::IDirectInput* directInput, win::IDirectInputDevice2* device);
    ~FFDirectInputStick() override;

    void StartEffect(int index, int magnitude, int direction, int frequency) override;
    void StopEffect(int index) override;
    void SetStickForce(int magnitude, int direction) override;
    void ActuatorsOn() override;
    void ActuatorsOff() override;
    void StopAll() override;
    bool IsForceActive() override;
    bool QueryDeviceFlag() override;
    void SetCenterOffset(int axis, int percent) override;
    void SetCenterStiffness(int axis, int percent) override;
    void RestoreCentering(int axis) override;
    int GetCenterOffset(int axis) override;
    int GetCenterStiffness(int axis) override;

    // Null once kMaxStickEffects are alive; an effect the device refused is still made (and
    // counted) as an effect that does nothing.
    std::unique_ptr<FFPeriodicEffect> CreatePeriodicEffect(int waveform, std::int32_t duration,
                                                           int frequencyHz, int direction,
                                                           int magnitude, int offset,
                                                           int attackTime, int attackLevel,
                                                           int fadeTime, int fadeLevel,
                                                           int triggerButton);
    std::unique_ptr<FFConstantForceEffect> CreateConstantForceEffect(
        std::int32_t duration, int direction, int magnitude, int attackTime, int attackLevel,
        int fadeTime, int fadeLevel, int triggerButton);
    std::unique_ptr<FFROMEffect> CreateROMEffect(const win::GUID& guid, int gain, int direction,
                                                 std::int32_t duration, int triggerButton);
    // Releases the effect's device object when it belongs to this stick; true when released.
    bool ReleaseEffect(FFEffect* effect);
    // An effect going away stops being counted, released or not.
    void ForgetEffect(FFEffect* effect);
    // Makes the centring spring (50 % on both axes, started).
    void CreateCentering();

    win::IDirectInputDevice2* device = nullptr;
    win::IDirectInput* directInput = nullptr;
    std::array<std::unique_ptr<FFEffect>, kStickEffectSlots> slots;
    std::unique_ptr<FFConstantForceEffect> stickForce;
    std::unique_ptr<FFSpringEffect> centering;
    std::uint32_t effectCount = 0;

private:
    template <class Effect, class... Args>
    std::unique_ptr<Effect> Counted(Args... args);
};

enum ForceFeedbackMode : std::int32_t {
    kForceFeedbackNone = 0,
    kForceFeedbackDirectInput = 1,
    kForceFeedbackLibrary = 2,
};

// The standard effects of the input-device stick, in this order.
enum StandardEffect : int {
    kJoltEffect = 0,         // constant, direction 0
    kVectorForceEffect = 1,  // constant, direction 0
    kXForceEffect = 2,       // constant, direction 270
    kYForceEffect = 3,       // constant, direction 180
    kXVibrationEffect = 4,   // sine 10 Hz, direction 270
    kYVibrationEffect = 5,   // sine 10 Hz, direction 180 (the stall buffet)
    kBuffetEffect = 6,       // device-stored buffeting
    kStandardEffects = 7,
};

extern std::unique_ptr<FFJoystick> theForceStick;
extern std::int32_t theForceFeedbackMode;
extern std::array<std::unique_ptr<FFEffect>, kStandardEffects> theForceEffects;
extern win::HWND theForceStickWindow;
// While clear, the triggers that start or change a force do nothing.
extern std::uint8_t theForceActuatorsOn;

// The device-stored buffeting effect's identifier.
extern const win::GUID kBuffetingEffectGuid;

// A ready input-device stick, or null (no joystick, none that pushes back, or a refusal).
std::unique_ptr<FFDirectInputStick> CreateDirectInputStick(win::HWND window);
// True when a stick is in use afterwards; a second call makes nothing new.
bool InitForceFeedback();
void ReleaseForceFeedback(bool unloadLibrary);
void SetForceFeedbackWindow(win::HWND window);
void ForceActuatorsOn();
// The input-device stick keeps its actuators on and ends centred.
void ForceActuatorsOff();

}  // namespace devices
