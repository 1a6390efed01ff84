// The deterministic machine: no display and no sound device. Its clock moves only when told
// (Advance, or a Sleep of the program), its events are the ones injected, its video keeps the
// last frame, its audio keeps every sample it is fed, its joysticks are scripted and their force
// feedback writes what it is asked, so tests and the headless runner can look at what the
// program produced.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/palette_lut.h"

namespace platform {

class HeadlessVideo final : public Video {
public:
    bool Open(const VideoOptions& options) override;
    void Close() override { open_ = false; }
    [[nodiscard]] bool IsOpen() const override { return open_; }
    bool Present8(const std::uint8_t* indices, int pitch, const Palette& palette,
                  const std::uint8_t* rowsChanged = nullptr) override;
    bool Present32(const std::uint32_t* pixels, int pitchPixels,
                   const std::uint8_t* rowsChanged = nullptr) override;
    void SetFullScreen(bool on) override { fullScreen_ = on; }
    void SetTitle(std::string_view title) override { title_ = title; }
    void Raise() override { ++raises_; }
    void SetCursorShape(CursorShape shape) override { cursorShape_ = shape; }
    void SetCursorImage(const CursorImage&) override { cursorShape_ = CursorShape::Image; }
    void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }
    void WarpCursor(int x, int y) override {
        cursorX_ = x;
        cursorY_ = y;
    }
    [[nodiscard]] ScreenSize GetScreenSize() const override { return screen_; }

    void SetScreenSize(ScreenSize size) { screen_ = size; }
    // The last frame as 32-bit pixels (640×480), whatever form it was presented in.
    [[nodiscard]] const std::vector<std::uint32_t>& LastPixels() const { return pixels_; }
    // True when the last frame was presented as palette indices.
    [[nodiscard]] bool LastWasIndexed() const { return lastIndexed_; }
    [[nodiscard]] const Palette& LastPalette() const { return palette_; }
    [[nodiscard]] std::uint64_t Frames() const { return frames_; }
    [[nodiscard]] std::uint32_t LutRebuilds() const { return lut_.Rebuilds(); }
    [[nodiscard]] int Raises() const { return raises_; }
    [[nodiscard]] bool CursorVisible() const { return cursorVisible_; }
    [[nodiscard]] CursorShape GetCursorShape() const { return cursorShape_; }
    [[nodiscard]] bool FullScreen() const { return fullScreen_; }
    [[nodiscard]] const std::string& Title() const { return title_; }

private:
    bool open_ = false;
    bool fullScreen_ = false;
    bool lastIndexed_ = false;
    bool cursorVisible_ = true;
    CursorShape cursorShape_ = CursorShape::Arrow;
    int cursorX_ = 0, cursorY_ = 0;
    int raises_ = 0;
    std::uint64_t frames_ = 0;
    std::string title_;
    ScreenSize screen_{kFrameWidth, kFrameHeight};
    PaletteLut lut_;
    ChangedRows rows_;
    Palette palette_{};
    std::vector<std::uint32_t> pixels_;
};

class HeadlessEvents final : public Events {
public:
    bool Poll(Event* event) override;
    bool Wait(Event* event, std::uint32_t timeoutMs) override;
    void OnQueueEmpty() override;
    bool MayDeliverLater() override { return onEmpty_ && !exhausted_; }
    // The driver decides how time passes: a rest returns at once, after telling the rest
    // handler (when one is set) how long the program would have rested.
    void Rest(std::uint32_t timeoutMs) override {
        if (onRest_) onRest_(timeoutMs);
    }
    void SetRestHandler(std::function<void(std::uint32_t ms)> handler) {
        onRest_ = std::move(handler);
    }

    void Inject(Event event) { queue_.push_back(std::move(event)); }
    [[nodiscard]] bool Pending() const { return !queue_.empty(); }
    // Called when the program's queue runs dry (the runner's script step); it answers false
    // once it has nothing more to give.
    void SetQueueEmptyHandler(std::function<bool()> handler) {
        onEmpty_ = std::move(handler);
        exhausted_ = false;
    }
    // Wait() with nothing to deliver lets virtual time pass through this clock.
    void SetClock(class HeadlessClock* clock) { clock_ = clock; }

private:
    std::deque<Event> queue_;
    std::function<bool()> onEmpty_;
    std::function<void(std::uint32_t)> onRest_;
    bool exhausted_ = false;
    class HeadlessClock* clock_ = nullptr;
};

class HeadlessClock final : public Clock {
public:
    std::uint32_t Milliseconds() override { return static_cast<std::uint32_t>(micros_ / 1000); }
    std::uint64_t Counter() override { return micros_; }
    std::uint64_t CounterFrequency() override { return 1000000; }
    void Sleep(std::uint32_t ms) override { Advance(ms); }
    // A fixed calendar start (1 January 2000, 00:00 UTC) moved on by the virtual time, so runs
    // that read the date or seed from it are the same every time.
    std::int64_t CalendarSeconds() override { return kCalendarStart + static_cast<std::int64_t>(Elapsed() / 1000); }
    static constexpr std::int64_t kCalendarStart = 946684800;

    void Advance(std::uint32_t ms) { micros_ += static_cast<std::uint64_t>(ms) * 1000; }
    // Sets the millisecond reading (e.g. just below the 32-bit wrap).
    void SetMilliseconds(std::uint64_t ms) { micros_ = ms * 1000; }
    // Total virtual time since the backend was made, in milliseconds.
    [[nodiscard]] std::uint64_t Elapsed() const { return (micros_ - start_) / 1000; }

private:
    std::uint64_t micros_ = 0;
    std::uint64_t start_ = 0;
};

// The sound card of the headless machine: it keeps every sample it is fed. Its clock is the
// machine's virtual clock: while it is closed the capture runs on in silence, so sample n of the
// capture always lies n / rate after the first open.
class HeadlessAudio final : public Audio {
public:
    bool Open(const AudioFormat& format) override;
    void Close() override;
    [[nodiscard]] bool IsOpen() const override { return open_; }
    bool Feed(const std::int16_t* samples, std::size_t count) override;
    [[nodiscard]] std::size_t QueuedSamples() const override { return captured_.size(); }
    [[nodiscard]] std::size_t FramesDue() override;
    // What a sound card fed as this one is would still hold: it is fed up to the clock, a card
    // kSoundLeadMs beyond it, so the lead less the time since the fed sound ran out.
    [[nodiscard]] std::uint32_t MsQueued() override;

    // The capture up to now: the silence of a closed device is added first.
    [[nodiscard]] const std::vector<std::int16_t>& Captured();
    [[nodiscard]] const AudioFormat& Format() const { return format_; }
    // True once the device was opened; the capture's format is the first open's (an open at
    // another rate starts a new capture).
    [[nodiscard]] bool EverOpened() const { return started_; }
    // How many times the device was opened (a closed device opened again counts anew).
    [[nodiscard]] int Opens() const { return opens_; }
    // Lets go of the samples kept so far; the clock goes on counting them.
    void ClearCaptured() {
        dropped_ += captured_.size();
        captured_.clear();
    }
    // Whether fed samples are kept (the default). A runner whose script will ask for no more
    // sound turns keeping off: the samples are then only counted, so a long run holds none.
    void KeepCapture(bool keep) {
        keep_ = keep;
        if (!keep) ClearCaptured();
    }
    // The time the device follows; without one no time passes for it.
    void SetClock(class HeadlessClock* clock) { clock_ = clock; }

private:
    // Frames of the capture that lie before the clock's present.
    [[nodiscard]] std::uint64_t FramesByNow() const;
    void PadToNow();

    bool open_ = false;
    bool started_ = false;
    int opens_ = 0;
    AudioFormat format_;
    std::vector<std::int16_t> captured_;
    std::uint64_t dropped_ = 0;  // samples fed before the last ClearCaptured, or not kept
    bool keep_ = true;
    class HeadlessClock* clock_ = nullptr;
    std::uint64_t originMicros_ = 0;
};

// Scripted sticks: plugged, moved and unplugged by the runner's script or a test. A stick
// plugged while the program runs announces itself through the events, as a real one does.
class HeadlessJoysticks final : public Joysticks {
public:
    [[nodiscard]] int Count() override { return static_cast<int>(sticks_.size()); }
    bool GetInfo(int index, JoystickInfo* info) override;
    bool Read(int index, JoystickState* state) override;

    // Appends a stick (index Count() - 1 afterwards). Axes, buttons and hats are limited to what
    // the state can hold; the info keeps the counts asked for.
    int Plug(const JoystickInfo& info);
    // Removes the stick; the ones after it move down one index.
    bool Unplug(int index);
    bool SetAxis(int index, int axis, std::int16_t value);
    bool SetButton(int index, int button, bool down);  // button 1..32
    // Holds a button down for `ms` of the clock's time, then lets it go.
    bool PressButton(int index, int button, std::uint32_t ms);
    bool SetHat(int index, int hat, std::uint8_t bits);
    // The time presses are held by.
    void SetClock(class HeadlessClock* clock) { clock_ = clock; }
    // Each plug gets a number of its own (never 0), so a device opened on a stick knows when
    // that stick, and not the one that moved into its index, is gone.
    [[nodiscard]] std::uint32_t SerialOf(int index) const;
    [[nodiscard]] bool IsPlugged(std::uint32_t serial) const;

private:
    struct Stick {
        JoystickInfo info;
        JoystickState state;
        std::uint32_t serial = 0;
        std::uint64_t releaseAt[kMaxJoystickButtons] = {};  // micros; 0 while not pressed
    };
    void LetGo(Stick& s);
    std::vector<Stick> sticks_;
    std::uint32_t nextSerial_ = 1;
    class HeadlessClock* clock_ = nullptr;
};

// What one opened force-feedback device of the headless machine holds now.
struct HeadlessHapticDeviceState {
    struct Slot {
        HapticEffect effect;
        bool running = false;
        std::uint64_t startMicros = 0;
        std::uint32_t iterations = 0;
    };
    std::uint32_t serial = 0;  // the stick's
    std::map<int, Slot> effects;
    int gain = 100;
    int autocenter = 100;
    bool paused = false;
};

// The force feedback of scripted sticks plugged with `haptic`. Every call that reaches a device
// is written as one "haptic: ..." line (kept, and handed to the line sink when one is set):
//   new ID TYPE FIELDS, update ID TYPE FIELDS, run ID, stop ID, destroy ID, stopall, pause,
//   unpause, gain N, autocenter N
// with FIELDS for constant "dir=D level=L length=T", for the periodic types "dir=D period=MS
// magnitude=M offset=O phase=P length=T", for the conditions "right=X,Y left=X,Y center=X,Y
// deadband=X,Y length=T" (T in milliseconds or "inf"). A refused call writes nothing.
class HeadlessHaptics final : public Haptics {
public:
    HeadlessHaptics();
    ~HeadlessHaptics() override;
    HeadlessHaptics(const HeadlessHaptics&) = delete;
    HeadlessHaptics& operator=(const HeadlessHaptics&) = delete;

    std::unique_ptr<HapticDevice> Open(int joystickIndex) override;

    // What devices opened from now on can do and hold (at first every feature, 16 effects):
    // a device without any effect type refuses every effect.
    void SetFeatures(std::uint32_t features);
    void SetCapacity(int effects);
    void SetLineSink(std::function<void(std::string_view)> sink);
    [[nodiscard]] const std::vector<std::string>& Lines() const;
    void ClearLines();
    // Lines written since the machine was made (ClearLines does not reset it).
    [[nodiscard]] std::uint64_t Calls() const;
    // The device opened last while it is open, else null.
    [[nodiscard]] const HeadlessHapticDeviceState* LastDevice() const;
    [[nodiscard]] int OpenDevices() const;
    // Whether an effect of the last device plays now (its length run out counts as stopped).
    [[nodiscard]] bool Playing(int id) const;

    void SetSources(HeadlessJoysticks* sticks, class HeadlessClock* clock);

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

class HeadlessBackend final : public Backend {
public:
    HeadlessBackend() {
        events_.SetClock(&clock_);
        audio_.SetClock(&clock_);
        joysticks_.SetClock(&clock_);
        haptics_.SetSources(&joysticks_, &clock_);
    }
    Video& GetVideo() override { return video_; }
    Events& GetEvents() override { return events_; }
    Clock& GetClock() override { return clock_; }
    Audio& GetAudio() override { return audio_; }
    Joysticks& GetJoysticks() override { return joysticks_; }
    Haptics& GetHaptics() override { return haptics_; }
    [[nodiscard]] bool IsHeadless() const override { return true; }

    HeadlessVideo& Screen() { return video_; }
    HeadlessEvents& Input() { return events_; }
    HeadlessClock& Time() { return clock_; }
    HeadlessAudio& Sound() { return audio_; }
    HeadlessJoysticks& Sticks() { return joysticks_; }
    HeadlessHaptics& Forces() { return haptics_; }

private:
    HeadlessVideo video_;
    HeadlessEvents events_;
    HeadlessClock clock_;
    HeadlessAudio audio_;
    HeadlessJoysticks joysticks_;
    // After the sticks: its devices let go of them first.
    HeadlessHaptics haptics_;
};

}  // namespace platform
