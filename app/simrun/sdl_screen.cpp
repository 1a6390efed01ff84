#include "sdl_screen.h"

namespace simrun {
namespace {

class ScriptedEvents final : public platform::Events {
public:
    ScriptedEvents(platform::Events& screen, platform::HeadlessEvents& script)
        : screen_(screen), script_(script) {}

    bool Poll(platform::Event* event) override {
        Drain();
        return script_.Poll(event);
    }
    bool Wait(platform::Event* event, std::uint32_t timeoutMs) override {
        Drain();
        return script_.Wait(event, timeoutMs);
    }
    void OnQueueEmpty() override { script_.OnQueueEmpty(); }
    bool MayDeliverLater() override { return script_.MayDeliverLater(); }

private:
    // The display system's own events keep its window working but are not the script's.
    void Drain() {
        platform::Event ignored;
        while (screen_.Poll(&ignored)) {
        }
    }

    platform::Events& screen_;
    platform::HeadlessEvents& script_;
};

class SdlScreenBackend final : public platform::Backend {
public:
    SdlScreenBackend(std::unique_ptr<platform::Backend> sdl, platform::HeadlessBackend& machine)
        : sdl_(std::move(sdl)), machine_(machine), events_(sdl_->GetEvents(), machine.Input()) {}
    platform::Video& GetVideo() override { return sdl_->GetVideo(); }
    platform::Events& GetEvents() override { return events_; }
    platform::Clock& GetClock() override { return machine_.Time(); }
    platform::Audio& GetAudio() override { return machine_.Sound(); }
    platform::Joysticks& GetJoysticks() override { return machine_.Sticks(); }
    platform::Haptics& GetHaptics() override { return machine_.Forces(); }
    [[nodiscard]] bool IsHeadless() const override { return false; }

private:
    std::unique_ptr<platform::Backend> sdl_;
    platform::HeadlessBackend& machine_;
    ScriptedEvents events_;
};

}  // namespace

std::unique_ptr<platform::Backend> CreateSdlScreenBackend(platform::HeadlessBackend& machine) {
    std::unique_ptr<platform::Backend> sdl = platform::CreateSdlBackend();
    if (!sdl) return nullptr;
    return std::make_unique<SdlScreenBackend>(std::move(sdl), machine);
}

}  // namespace simrun
