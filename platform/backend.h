// The machine behind small interfaces: video, events, clock, audio, joysticks and their force
// feedback. Two implementations exist: SDL2 (platform/sdl/, the only place SDL appears) and a
// deterministic headless twin (platform/headless/). The window layer talks only to
// CurrentBackend().
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/keys.h"

namespace platform {

inline constexpr int kFrameWidth = 640;
inline constexpr int kFrameHeight = 480;

// 256 colours as 0x00RRGGBB.
using Palette = std::array<std::uint32_t, 256>;

struct ScreenSize {
    int width = 0;
    int height = 0;
};

struct VideoOptions {
    std::string title = "Zephlon";
    bool fullScreen = false;      // desktop full screen
    bool integerScaling = false;  // scale the 640×480 picture by whole steps only
    int windowScale = 1;          // initial window size in multiples of 640×480
};

enum class CursorShape {
    Arrow,
    IBeam,
    Wait,
    Cross,
    UpArrow,
    SizeNwse,
    SizeNesw,
    SizeWe,
    SizeNs,
    SizeAll,
    No,
    Hand,
    AppStarting,
    Image,
};

struct CursorImage {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<std::uint32_t> argb;
};

class Video {
public:
    virtual ~Video() = default;
    virtual bool Open(const VideoOptions& options) = 0;
    // Why the last Open failed, in the display library's words; empty when it did not.
    [[nodiscard]] virtual std::string OpenError() const { return {}; }
    virtual void Close() = 0;
    [[nodiscard]] virtual bool IsOpen() const = 0;
    // Shows a 640×480 frame of palette indices, converted in one pass from `indices` into the
    // screen's 32-bit pixels (nothing of the frame is kept: a new colour table for the same
    // picture is a new present of it). The colour table is turned into lookup tables that are
    // rebuilt only when it differs from the last one. `rowsChanged`, when given, holds a byte a
    // row, 0 for a row known to be the same as in the last frame this screen showed through
    // Present8 (the screen may then skip it); the screen ignores it when it showed anything else
    // since or the colours changed.
    virtual bool Present8(const std::uint8_t* indices, int pitch, const Palette& palette,
                          const std::uint8_t* rowsChanged = nullptr) = 0;
    // Shows a 640×480 frame of 32-bit pixels. `rowsChanged`, when given, is the same kind of word
    // as Present8's about the last frame shown through Present32.
    virtual bool Present32(const std::uint32_t* pixels, int pitchPixels,
                           const std::uint8_t* rowsChanged = nullptr) = 0;
    virtual void SetFullScreen(bool on) = 0;
    virtual void SetTitle(std::string_view title) = 0;
    // Bring the window to the front (and out of the minimised state).
    virtual void Raise() = 0;
    virtual void SetCursorShape(CursorShape shape) = 0;
    virtual void SetCursorImage(const CursorImage& image) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    // Logical 640×480 coordinates.
    virtual void WarpCursor(int x, int y) = 0;
    [[nodiscard]] virtual ScreenSize GetScreenSize() const = 0;
    // Puts the picture's top-left corner at (x, y) of the desktop, the window's frame around it
    // (where a window manager draws one). In full screen the place is kept for the window the
    // program goes back to. A machine without windows ignores it.
    virtual void SetWindowPosition(int x, int y) {
        (void)x;
        (void)y;
    }
};

enum class EventKind {
    KeyDown,
    KeyUp,
    Text,
    MouseMove,
    MouseDown,
    MouseUp,
    MouseWheel,
    FocusGained,
    FocusLost,
    Minimized,
    Restored,
    CloseRequested,
    // The program is asked to end from outside (platform/termination.h): it closes at once,
    // saving what it keeps, without the questions a user's close would ask.
    TerminateRequested,
    Exposed,
    // The user moved the window: x and y are the picture's new top-left corner on the desktop
    // (not reported in full screen).
    Moved,
    JoystickAdded,
    JoystickRemoved,
};

enum class MouseButton : std::uint8_t { None = 0, Left = 1, Middle = 2, Right = 3 };

struct Event {
    EventKind kind = EventKind::Exposed;
    Scancode scancode = Scancode::Unknown;
    std::uint16_t mods = 0;
    bool repeat = false;
    std::int32_t x = 0;  // logical 640×480 coordinates
    std::int32_t y = 0;
    MouseButton button = MouseButton::None;
    std::int32_t wheel = 0;
    std::int32_t joystick = 0;
    std::string text;  // UTF-8, Text events
};

inline constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;

class Events {
public:
    virtual ~Events() = default;
    virtual bool Poll(Event* event) = 0;
    // Waits up to timeoutMs for an event (no spinning). False when none came.
    virtual bool Wait(Event* event, std::uint32_t timeoutMs) = 0;
    // Called by the window layer each time its queue runs dry; the headless runner uses it to
    // feed the next scripted step. The real machine does nothing.
    virtual void OnQueueEmpty() {}
    // False when no event can ever come again (a headless machine whose driver is done).
    virtual bool MayDeliverLater() { return true; }
    // Gives the processor away for up to timeoutMs, ending early when an event arrives; the
    // event stays to be polled. The headless machine's driver decides how time passes, so
    // there it returns at once.
    virtual void Rest(std::uint32_t timeoutMs) { (void)timeoutMs; }
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since start, wrapping at 2^32 like the original system timer.
    virtual std::uint32_t Milliseconds() = 0;
    virtual std::uint64_t Counter() = 0;
    virtual std::uint64_t CounterFrequency() = 0;
    virtual void Sleep(std::uint32_t ms) = 0;
    // The calendar time: seconds since 1970-01-01 UTC.
    virtual std::int64_t CalendarSeconds();
};

// The sound a card is kept ahead of what it has played: enough to ride over a slow turn of the
// program and to last from one of the flight's pictures to the next (18 a second), so that the
// loop feeds it when it wakes to draw instead of waking for it in between. A sound that starts
// does not wait behind it: the mixer takes the unplayed lead back and feeds it again with the
// sound in it (Audio::TakeBackQueued).
inline constexpr std::uint32_t kSoundLeadMs = 90;

struct AudioFormat {
    int rate = 22050;
    int channels = 2;
};

class Audio {
public:
    virtual ~Audio() = default;
    virtual bool Open(const AudioFormat& format) = 0;
    virtual void Close() = 0;
    [[nodiscard]] virtual bool IsOpen() const = 0;
    // Interleaved signed 16-bit samples; count is in samples (not frames).
    virtual bool Feed(const std::int16_t* samples, std::size_t count) = 0;
    [[nodiscard]] virtual std::size_t QueuedSamples() const = 0;
    // The frames the device wants now to keep up with its clock: on a sound card what keeps
    // about kSoundLeadMs queued beyond what it has played, on the headless machine what brings the
    // fed sound up to the virtual time since the first open. 0 while closed.
    [[nodiscard]] virtual std::size_t FramesDue() = 0;
    // The milliseconds of fed sound the device has yet to play; kWaitForever while closed.
    [[nodiscard]] virtual std::uint32_t MsQueued() = 0;
    // Takes back the fed sound the device has not begun to play, so that it can be fed again
    // with a sound that starts now; how many frames it took back. A device whose fed sound is
    // its record (the headless machine's capture) keeps it and takes back nothing.
    virtual std::size_t TakeBackQueued() { return 0; }
};

// Hat directions as bits (a diagonal sets two); 0 is centred.
enum HatBits : std::uint8_t { kHatUp = 1, kHatRight = 2, kHatDown = 4, kHatLeft = 8 };

struct JoystickInfo {
    std::string name;  // the product name the device reports
    int axes = 0;
    int buttons = 0;
    int hats = 0;
    bool haptic = false;  // the device can push back
};

inline constexpr int kMaxJoystickAxes = 8;
inline constexpr int kMaxJoystickButtons = 32;
inline constexpr int kMaxJoystickHats = 4;

struct JoystickState {
    std::array<std::int16_t, kMaxJoystickAxes> axes{};  // -32768..32767, 0 centred
    std::uint32_t buttons = 0;                          // bit n: button n + 1 held
    std::array<std::uint8_t, kMaxJoystickHats> hats{};  // HatBits
};

// The sticks and game controllers plugged in now, by index 0..Count() - 1. An index names a
// device only until the next arrival or removal; the events queue announces both.
class Joysticks {
public:
    virtual ~Joysticks() = default;
    [[nodiscard]] virtual int Count() = 0;
    // False when no device has that index.
    virtual bool GetInfo(int index, JoystickInfo* info) = 0;
    // The device's position now; false when it is gone.
    virtual bool Read(int index, JoystickState* state) = 0;
};

// Force feedback of a stick that can push back. Units are the haptic layer's: directions polar in
// hundredths of a degree (0 away from the user, 9000 to the right), lengths and periods in
// milliseconds, levels, magnitudes, offsets and coefficients -32767..32767, saturations and dead
// bands 0..65535; arrays of two are the x and then the y axis.
enum class HapticType : std::uint8_t {
    Constant,
    Sine,
    Triangle,
    SawtoothUp,
    SawtoothDown,
    Spring,
    Damper,
    Inertia,
    Friction,
};
inline constexpr int kHapticTypes = 9;

// Feature bits: one per effect type (1 << type), then the device's own controls.
inline constexpr std::uint32_t HapticTypeBit(HapticType t) {
    return 1u << static_cast<unsigned>(t);
}
inline constexpr std::uint32_t kHapticAllTypes = (1u << kHapticTypes) - 1;
inline constexpr std::uint32_t kHapticGain = 1u << 16;
inline constexpr std::uint32_t kHapticAutocenter = 1u << 17;
inline constexpr std::uint32_t kHapticStatus = 1u << 18;
inline constexpr std::uint32_t kHapticPause = 1u << 19;
inline constexpr std::uint32_t kHapticAll =
    kHapticAllTypes | kHapticGain | kHapticAutocenter | kHapticStatus | kHapticPause;

inline constexpr std::uint32_t kHapticInfinity = 0xFFFFFFFFu;

struct HapticEffect {
    HapticType type = HapticType::Constant;
    std::int32_t direction = 0;
    std::uint32_t length = kHapticInfinity;
    std::uint16_t button = 0;    // 1.. the button that plays it while held; 0 none
    std::uint16_t interval = 0;  // ms between replays while the button is held
    std::int16_t level = 0;      // constant
    std::uint16_t period = 0;    // periodic
    std::int16_t magnitude = 0;
    std::int16_t offset = 0;
    std::uint16_t phase = 0;  // hundredths of a degree
    std::uint16_t attackLength = 0, attackLevel = 0, fadeLength = 0, fadeLevel = 0;
    std::array<std::int16_t, 2> right{}, left{}, center{};  // conditions
    std::array<std::uint16_t, 2> rightSaturation{}, leftSaturation{}, deadband{};
    friend bool operator==(const HapticEffect&, const HapticEffect&) = default;
};

[[nodiscard]] inline constexpr bool IsPeriodic(HapticType t) {
    return t >= HapticType::Sine && t <= HapticType::SawtoothDown;
}
[[nodiscard]] inline constexpr bool IsCondition(HapticType t) {
    return t >= HapticType::Spring;
}

// One opened force-feedback device. Effects are numbered by the device. A call fails (false, -1)
// once the stick is gone; closing it (the destructor) destroys its effects.
class HapticDevice {
public:
    virtual ~HapticDevice() = default;
    [[nodiscard]] virtual std::uint32_t Features() = 0;
    // Effects the device holds at once.
    [[nodiscard]] virtual int Capacity() = 0;
    // The new effect's id, or -1 when the device cannot make it.
    virtual int NewEffect(const HapticEffect& effect) = 0;
    // The effect's type stays; its parameters change, also while it plays.
    virtual bool UpdateEffect(int id, const HapticEffect& effect) = 0;
    // Plays it `iterations` times (kHapticInfinity: until stopped).
    virtual bool RunEffect(int id, std::uint32_t iterations) = 0;
    virtual bool StopEffect(int id) = 0;
    virtual void DestroyEffect(int id) = 0;
    // 1 playing, 0 not, -1 when the device cannot tell.
    virtual int EffectStatus(int id) = 0;
    virtual bool StopAll() = 0;
    virtual bool SetGain(int percent) = 0;        // 0..100, all effects
    virtual bool SetAutocenter(int percent) = 0;  // 0..100, the device's own centring
    virtual bool Pause() = 0;
    virtual bool Unpause() = 0;
};

class Haptics {
public:
    virtual ~Haptics() = default;
    // The force feedback of the stick at a Joysticks index; null when it has none.
    virtual std::unique_ptr<HapticDevice> Open(int joystickIndex) = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual Video& GetVideo() = 0;
    virtual Events& GetEvents() = 0;
    virtual Clock& GetClock() = 0;
    virtual Audio& GetAudio() = 0;
    virtual Joysticks& GetJoysticks() = 0;
    virtual Haptics& GetHaptics() = 0;
    [[nodiscard]] virtual bool IsHeadless() const = 0;
};

// The backend in use. Until one is set, a headless backend is made on first use, so the window
// layer always has a machine to talk to.
Backend& CurrentBackend();
// Not owned; pass nullptr to go back to the built-in headless one.
void SetCurrentBackend(Backend* backend);

// The SDL2 machine (platform/sdl/); null when SDL cannot start its event system.
std::unique_ptr<Backend> CreateSdlBackend();

}  // namespace platform
