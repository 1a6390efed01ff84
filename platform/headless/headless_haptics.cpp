#include <algorithm>
#include <string>

#include "platform/headless/headless_backend.h"

namespace platform {

struct HeadlessHaptics::Shared {
    bool alive = true;
    HeadlessJoysticks* sticks = nullptr;
    HeadlessClock* clock = nullptr;
    std::uint32_t features = kHapticAll;
    int capacity = 16;
    std::function<void(std::string_view)> sink;
    // Kept only while no sink listens, so a long run with a sink holds nothing.
    std::vector<std::string> lines;
    std::uint64_t calls = 0;
    std::vector<std::weak_ptr<HeadlessHapticDeviceState>> devices;  // in order of opening

    void Write(std::string line) {
        ++calls;
        if (sink)
            sink(line);
        else
            lines.push_back(std::move(line));
    }
    [[nodiscard]] std::uint64_t Now() const { return clock != nullptr ? clock->Counter() : 0; }
    [[nodiscard]] std::shared_ptr<HeadlessHapticDeviceState> Last() const {
        for (auto it = devices.rbegin(); it != devices.rend(); ++it)
            if (auto d = it->lock()) return d;
        return nullptr;
    }
};

namespace {

const char* TypeName(HapticType t) {
    static const char* const kNames[kHapticTypes] = {"constant",     "sine",   "triangle",
                                                     "sawtoothup",   "sawtoothdown",
                                                     "spring",       "damper", "inertia",
                                                     "friction"};
    return kNames[static_cast<int>(t)];
}

std::string Length(std::uint32_t ms) {
    return ms == kHapticInfinity ? std::string("inf") : std::to_string(ms);
}

template <class T>
std::string Pair(const std::array<T, 2>& v) {
    return std::to_string(v[0]) + "," + std::to_string(v[1]);
}

std::string Fields(const HapticEffect& e) {
    if (IsCondition(e.type))
        return "right=" + Pair(e.right) + " left=" + Pair(e.left) + " center=" + Pair(e.center) +
               " deadband=" + Pair(e.deadband) + " length=" + Length(e.length);
    if (IsPeriodic(e.type))
        return "dir=" + std::to_string(e.direction) + " period=" + std::to_string(e.period) +
               " magnitude=" + std::to_string(e.magnitude) + " offset=" +
               std::to_string(e.offset) + " phase=" + std::to_string(e.phase) +
               " length=" + Length(e.length);
    return "dir=" + std::to_string(e.direction) + " level=" + std::to_string(e.level) +
           " length=" + Length(e.length);
}

bool Expired(const HeadlessHapticDeviceState::Slot& s, std::uint64_t now) {
    if (s.effect.length == kHapticInfinity || s.iterations == kHapticInfinity) return false;
    const std::uint64_t lasts = std::uint64_t{s.effect.length} * s.iterations * 1000;
    return now >= s.startMicros + lasts;
}

class HeadlessHapticDevice final : public HapticDevice {
public:
    HeadlessHapticDevice(std::shared_ptr<HeadlessHaptics::Shared> shared,
                         std::shared_ptr<HeadlessHapticDeviceState> state)
        : shared_(std::move(shared)),
          state_(std::move(state)),
          features_(shared_->features),
          capacity_(shared_->capacity) {}

    std::uint32_t Features() override { return features_; }
    int Capacity() override { return capacity_; }

    int NewEffect(const HapticEffect& effect) override {
        if (!Reachable() || (features_ & HapticTypeBit(effect.type)) == 0 ||
            static_cast<int>(state_->effects.size()) >= capacity_)
            return -1;
        int id = 0;
        while (state_->effects.count(id) != 0)
            ++id;
        state_->effects[id].effect = effect;
        Write("new " + std::to_string(id) + " " + TypeName(effect.type) + " " + Fields(effect));
        return id;
    }

    bool UpdateEffect(int id, const HapticEffect& effect) override {
        auto* slot = Find(id);
        if (slot == nullptr || slot->effect.type != effect.type) return false;
        slot->effect = effect;
        Write("update " + std::to_string(id) + " " + TypeName(effect.type) + " " +
              Fields(effect));
        return true;
    }

    bool RunEffect(int id, std::uint32_t iterations) override {
        auto* slot = Find(id);
        if (slot == nullptr || iterations == 0) return false;
        slot->running = true;
        slot->startMicros = shared_->Now();
        slot->iterations = iterations;
        Write("run " + std::to_string(id));
        return true;
    }

    bool StopEffect(int id) override {
        auto* slot = Find(id);
        if (slot == nullptr) return false;
        slot->running = false;
        Write("stop " + std::to_string(id));
        return true;
    }

    void DestroyEffect(int id) override {
        if (Find(id) == nullptr) return;
        state_->effects.erase(id);
        Write("destroy " + std::to_string(id));
    }

    int EffectStatus(int id) override {
        if ((features_ & kHapticStatus) == 0) return -1;
        auto* slot = Find(id);
        if (slot == nullptr) return -1;
        return slot->running && !Expired(*slot, shared_->Now()) ? 1 : 0;
    }

    bool StopAll() override {
        if (!Reachable()) return false;
        for (auto& [id, slot] : state_->effects)
            slot.running = false;
        Write("stopall");
        return true;
    }

    bool SetGain(int percent) override {
        if (!Reachable() || (features_ & kHapticGain) == 0 || percent < 0 || percent > 100)
            return false;
        state_->gain = percent;
        Write("gain " + std::to_string(percent));
        return true;
    }

    bool SetAutocenter(int percent) override {
        if (!Reachable() || (features_ & kHapticAutocenter) == 0 || percent < 0 ||
            percent > 100)
            return false;
        state_->autocenter = percent;
        Write("autocenter " + std::to_string(percent));
        return true;
    }

    bool Pause() override { return SetPaused(true); }
    bool Unpause() override { return SetPaused(false); }

private:
    [[nodiscard]] bool Reachable() const {
        return shared_->alive && shared_->sticks != nullptr &&
               shared_->sticks->IsPlugged(state_->serial);
    }
    HeadlessHapticDeviceState::Slot* Find(int id) {
        if (!Reachable()) return nullptr;
        auto it = state_->effects.find(id);
        return it != state_->effects.end() ? &it->second : nullptr;
    }
    bool SetPaused(bool on) {
        if (!Reachable() || (features_ & kHapticPause) == 0) return false;
        state_->paused = on;
        Write(on ? "pause" : "unpause");
        return true;
    }
    void Write(const std::string& what) { shared_->Write("haptic: " + what); }

    std::shared_ptr<HeadlessHaptics::Shared> shared_;
    std::shared_ptr<HeadlessHapticDeviceState> state_;
    std::uint32_t features_;
    int capacity_;
};

}  // namespace

HeadlessHaptics::HeadlessHaptics() : shared_(std::make_shared<Shared>()) {}

// Devices still open answer "gone" from now on; they keep only the shared record alive.
HeadlessHaptics::~HeadlessHaptics() {
    shared_->alive = false;
    shared_->sticks = nullptr;
    shared_->clock = nullptr;
    shared_->sink = nullptr;
}

void HeadlessHaptics::SetSources(HeadlessJoysticks* sticks, HeadlessClock* clock) {
    shared_->sticks = sticks;
    shared_->clock = clock;
}

std::unique_ptr<HapticDevice> HeadlessHaptics::Open(int joystickIndex) {
    JoystickInfo info;
    if (shared_->sticks == nullptr || !shared_->sticks->GetInfo(joystickIndex, &info) ||
        !info.haptic)
        return nullptr;
    auto state = std::make_shared<HeadlessHapticDeviceState>();
    state->serial = shared_->sticks->SerialOf(joystickIndex);
    std::erase_if(shared_->devices, [](const auto& w) { return w.expired(); });
    shared_->devices.push_back(state);
    return std::make_unique<HeadlessHapticDevice>(shared_, std::move(state));
}

void HeadlessHaptics::SetFeatures(std::uint32_t features) {
    shared_->features = features;
}

void HeadlessHaptics::SetCapacity(int effects) {
    shared_->capacity = std::max(effects, 0);
}

void HeadlessHaptics::SetLineSink(std::function<void(std::string_view)> sink) {
    shared_->sink = std::move(sink);
}

const std::vector<std::string>& HeadlessHaptics::Lines() const {
    return shared_->lines;
}

void HeadlessHaptics::ClearLines() {
    shared_->lines.clear();
}

std::uint64_t HeadlessHaptics::Calls() const {
    return shared_->calls;
}

const HeadlessHapticDeviceState* HeadlessHaptics::LastDevice() const {
    return shared_->Last().get();
}

int HeadlessHaptics::OpenDevices() const {
    int n = 0;
    for (const auto& w : shared_->devices)
        if (!w.expired()) ++n;
    return n;
}

bool HeadlessHaptics::Playing(int id) const {
    const auto d = shared_->Last();
    if (!d) return false;
    auto it = d->effects.find(id);
    return it != d->effects.end() && it->second.running && !Expired(it->second, shared_->Now());
}

}  // namespace platform
