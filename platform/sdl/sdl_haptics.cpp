#include "platform/sdl/sdl_haptics.h"

#include <algorithm>

namespace platform {

namespace {

// SDL's effect bits of our types, in the order of HapticType.
constexpr std::uint16_t kSdlTypes[kHapticTypes] = {
    SDL_HAPTIC_CONSTANT, SDL_HAPTIC_SINE,   SDL_HAPTIC_TRIANGLE, SDL_HAPTIC_SAWTOOTHUP,
    SDL_HAPTIC_SAWTOOTHDOWN, SDL_HAPTIC_SPRING, SDL_HAPTIC_DAMPER, SDL_HAPTIC_INERTIA,
    SDL_HAPTIC_FRICTION};

SDL_HapticDirection Polar(std::int32_t hundredths) {
    SDL_HapticDirection d{};
    d.type = SDL_HAPTIC_POLAR;
    d.dir[0] = hundredths;
    return d;
}

// The parts every kind of SDL effect record has.
template <class Record>
void Common(Record& s, std::uint16_t type, const HapticEffect& e) {
    s.type = type;
    s.direction = Polar(e.direction);
    s.length = e.length;
    s.button = e.button;
    s.interval = e.interval;
}

template <class Record>
void Envelope(Record& s, const HapticEffect& e) {
    s.attack_length = e.attackLength;
    s.attack_level = e.attackLevel;
    s.fade_length = e.fadeLength;
    s.fade_level = e.fadeLevel;
}

SDL_HapticEffect ToSdl(const HapticEffect& e) {
    SDL_HapticEffect s{};
    const auto type = kSdlTypes[static_cast<int>(e.type)];
    if (e.type == HapticType::Constant) {
        Common(s.constant, type, e);
        Envelope(s.constant, e);
        s.constant.level = e.level;
    } else if (IsPeriodic(e.type)) {
        Common(s.periodic, type, e);
        Envelope(s.periodic, e);
        s.periodic.period = e.period;
        s.periodic.magnitude = e.magnitude;
        s.periodic.offset = e.offset;
        s.periodic.phase = e.phase;
    } else {
        Common(s.condition, type, e);
        for (int a = 0; a < 2; ++a) {
            const auto i = static_cast<std::size_t>(a);
            s.condition.right_sat[a] = e.rightSaturation[i];
            s.condition.left_sat[a] = e.leftSaturation[i];
            s.condition.right_coeff[a] = e.right[i];
            s.condition.left_coeff[a] = e.left[i];
            s.condition.deadband[a] = e.deadband[i];
            s.condition.center[a] = e.center[i];
        }
    }
    return s;
}

// Closing the haptic subsystem invalidates every device: the devices hold this token and ask it
// before touching SDL.
struct Subsystem {
    bool alive = true;
};

class SdlHapticDevice final : public HapticDevice {
public:
    SdlHapticDevice(SDL_Haptic* haptic, std::shared_ptr<Subsystem> subsystem)
        : haptic_(haptic), subsystem_(std::move(subsystem)) {
        const unsigned query = SDL_HapticQuery(haptic_);
        for (int t = 0; t < kHapticTypes; ++t)
            if (query & kSdlTypes[t]) features_ |= 1u << t;
        if (query & SDL_HAPTIC_GAIN) features_ |= kHapticGain;
        if (query & SDL_HAPTIC_AUTOCENTER) features_ |= kHapticAutocenter;
        if (query & SDL_HAPTIC_STATUS) features_ |= kHapticStatus;
        if (query & SDL_HAPTIC_PAUSE) features_ |= kHapticPause;
        capacity_ = std::max(SDL_HapticNumEffects(haptic_), 0);
    }
    ~SdlHapticDevice() override {
        if (subsystem_->alive) SDL_HapticClose(haptic_);
    }

    std::uint32_t Features() override { return features_; }
    int Capacity() override { return capacity_; }
    int NewEffect(const HapticEffect& effect) override {
        if (!Usable()) return -1;
        SDL_HapticEffect s = ToSdl(effect);
        return std::max(SDL_HapticNewEffect(haptic_, &s), -1);
    }
    bool UpdateEffect(int id, const HapticEffect& effect) override {
        SDL_HapticEffect s = ToSdl(effect);
        return Usable() && SDL_HapticUpdateEffect(haptic_, id, &s) == 0;
    }
    bool RunEffect(int id, std::uint32_t iterations) override {
        return Usable() && SDL_HapticRunEffect(haptic_, id, iterations) == 0;
    }
    bool StopEffect(int id) override {
        return Usable() && SDL_HapticStopEffect(haptic_, id) == 0;
    }
    void DestroyEffect(int id) override {
        if (Usable()) SDL_HapticDestroyEffect(haptic_, id);
    }
    int EffectStatus(int id) override {
        if (!Usable() || (features_ & kHapticStatus) == 0) return -1;
        const int r = SDL_HapticGetEffectStatus(haptic_, id);
        return r < 0 ? -1 : (r != 0 ? 1 : 0);
    }
    bool StopAll() override { return Usable() && SDL_HapticStopAll(haptic_) == 0; }
    bool SetGain(int percent) override {
        return Usable() && (features_ & kHapticGain) && SDL_HapticSetGain(haptic_, percent) == 0;
    }
    bool SetAutocenter(int percent) override {
        return Usable() && (features_ & kHapticAutocenter) &&
               SDL_HapticSetAutocenter(haptic_, percent) == 0;
    }
    bool Pause() override {
        return Usable() && (features_ & kHapticPause) && SDL_HapticPause(haptic_) == 0;
    }
    bool Unpause() override {
        return Usable() && (features_ & kHapticPause) && SDL_HapticUnpause(haptic_) == 0;
    }

private:
    [[nodiscard]] bool Usable() const { return subsystem_->alive && haptic_ != nullptr; }

    SDL_Haptic* haptic_;
    std::shared_ptr<Subsystem> subsystem_;
    std::uint32_t features_ = 0;
    int capacity_ = 0;
};

class SdlHaptics final : public Haptics {
public:
    explicit SdlHaptics(std::function<SDL_Joystick*(int)> joystickAt)
        : joystickAt_(std::move(joystickAt)) {}
    ~SdlHaptics() override { subsystem_->alive = false; }

    std::unique_ptr<HapticDevice> Open(int joystickIndex) override {
        if (SDL_WasInit(SDL_INIT_HAPTIC) == 0) return nullptr;
        SDL_Joystick* joystick = joystickAt_(joystickIndex);
        if (joystick == nullptr || SDL_JoystickIsHaptic(joystick) != SDL_TRUE) return nullptr;
        SDL_Haptic* haptic = SDL_HapticOpenFromJoystick(joystick);
        if (haptic == nullptr) return nullptr;
        return std::make_unique<SdlHapticDevice>(haptic, subsystem_);
    }

private:
    std::function<SDL_Joystick*(int)> joystickAt_;
    std::shared_ptr<Subsystem> subsystem_ = std::make_shared<Subsystem>();
};

}  // namespace

std::unique_ptr<Haptics> CreateSdlHaptics(std::function<SDL_Joystick*(int)> joystickAt) {
    return std::make_unique<SdlHaptics>(std::move(joystickAt));
}

}  // namespace platform
