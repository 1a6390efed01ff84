// The SDL2 machine. SDL headers appear only in this folder.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/backend.h"
#include "platform/palette_lut.h"

namespace platform {
namespace {

class SdlVideo final : public Video {
public:
    ~SdlVideo() override { Close(); }

    bool Open(const VideoOptions& options) override {
        if (window_ != nullptr) return true;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        videoInit_ = true;
        // Nearest scaling keeps the 640×480 pixels sharp at any window size.
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
        int scale = options.windowScale < 1 ? 1 : options.windowScale;
        const Uint32 flags = SDL_WINDOW_RESIZABLE;
        window_ =
            SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             kFrameWidth * scale, kFrameHeight * scale, flags);
        if (window_ == nullptr) return Fail();
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (renderer_ == nullptr) return Fail();
        SDL_RenderSetLogicalSize(renderer_, kFrameWidth, kFrameHeight);
        SDL_RenderSetIntegerScale(renderer_, options.integerScaling ? SDL_TRUE : SDL_FALSE);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, kFrameWidth, kFrameHeight);
        if (texture_ == nullptr) return Fail();
        indices_.assign(static_cast<std::size_t>(kFrameWidth) * kFrameHeight, 0);
        if (options.fullScreen) SetFullScreen(true);
        return true;
    }

    void Close() override {
        for (SDL_Cursor* c : cursors_)
            if (c != nullptr) SDL_FreeCursor(c);
        cursors_.clear();
        if (imageCursor_ != nullptr) SDL_FreeCursor(imageCursor_);
        imageCursor_ = nullptr;
        if (texture_ != nullptr) SDL_DestroyTexture(texture_);
        if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        texture_ = nullptr;
        renderer_ = nullptr;
        window_ = nullptr;
        fullScreen_ = false;
        if (videoInit_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoInit_ = false;
    }

    [[nodiscard]] bool IsOpen() const override { return window_ != nullptr; }

    bool Present8(const std::uint8_t* indices, int pitch, const Palette& palette) override {
        if (texture_ == nullptr || indices == nullptr || pitch < kFrameWidth) return false;
        for (int y = 0; y < kFrameHeight; ++y)
            std::memcpy(&indices_[static_cast<std::size_t>(y) * kFrameWidth],
                        indices + static_cast<std::ptrdiff_t>(y) * pitch, kFrameWidth);
        lut_.Update(palette);
        lastIndexed_ = true;
        return UploadIndexed();
    }

    bool Present32(const std::uint32_t* pixels, int pitchPixels) override {
        if (texture_ == nullptr || pixels == nullptr) return false;
        void* dst = nullptr;
        int dstPitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &dst, &dstPitch) != 0) return false;
        for (int y = 0; y < kFrameHeight; ++y)
            std::memcpy(static_cast<std::uint8_t*>(dst) + static_cast<std::ptrdiff_t>(y) * dstPitch,
                        pixels + static_cast<std::ptrdiff_t>(y) * pitchPixels, kFrameWidth * 4);
        SDL_UnlockTexture(texture_);
        lastIndexed_ = false;
        return Show();
    }

    bool SetPalette(const Palette& palette) override {
        if (!lut_.Update(palette) || !lastIndexed_) return true;
        return UploadIndexed();
    }

    // Full screen is a borderless window over the whole display, and leaving it gives the window
    // its frame, size and place back. The display system's own full-screen state needs a window
    // manager to honour it; without one the window kept its size while the renderer drew for the
    // display's, and the picture went black.
    void SetFullScreen(bool on) override {
        if (window_ == nullptr || on == fullScreen_) return;
        if (on) {
            SDL_GetWindowPosition(window_, &windowedX_, &windowedY_);
            SDL_GetWindowSize(window_, &windowedW_, &windowedH_);
            SDL_Rect bounds{0, 0, kFrameWidth, kFrameHeight};
            SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0), &bounds);
            SDL_SetWindowBordered(window_, SDL_FALSE);
            SDL_SetWindowPosition(window_, bounds.x, bounds.y);
            SDL_SetWindowSize(window_, bounds.w, bounds.h);
            SDL_RaiseWindow(window_);
        } else {
            SDL_SetWindowBordered(window_, SDL_TRUE);
            SDL_SetWindowSize(window_, windowedW_, windowedH_);
            SDL_SetWindowPosition(window_, windowedX_, windowedY_);
        }
        fullScreen_ = on;
        // The renderer learns the new size from the window's events; the picture is shown again
        // at once.
        SDL_PumpEvents();
        Show();
    }
    void SetTitle(std::string_view title) override {
        if (window_ != nullptr) SDL_SetWindowTitle(window_, std::string(title).c_str());
    }
    void Raise() override {
        if (window_ == nullptr) return;
        if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(window_);
        SDL_RaiseWindow(window_);
    }

    void SetCursorShape(CursorShape shape) override {
        static constexpr SDL_SystemCursor kMap[] = {
            SDL_SYSTEM_CURSOR_ARROW,     SDL_SYSTEM_CURSOR_IBEAM,  SDL_SYSTEM_CURSOR_WAIT,
            SDL_SYSTEM_CURSOR_CROSSHAIR, SDL_SYSTEM_CURSOR_ARROW,  SDL_SYSTEM_CURSOR_SIZENWSE,
            SDL_SYSTEM_CURSOR_SIZENESW,  SDL_SYSTEM_CURSOR_SIZEWE, SDL_SYSTEM_CURSOR_SIZENS,
            SDL_SYSTEM_CURSOR_SIZEALL,   SDL_SYSTEM_CURSOR_NO,     SDL_SYSTEM_CURSOR_HAND,
            SDL_SYSTEM_CURSOR_WAITARROW,
        };
        auto index = static_cast<std::size_t>(shape);
        if (index >= std::size(kMap) || !videoInit_) return;
        if (cursors_.empty()) cursors_.assign(std::size(kMap), nullptr);
        if (cursors_[index] == nullptr) cursors_[index] = SDL_CreateSystemCursor(kMap[index]);
        if (cursors_[index] != nullptr) SDL_SetCursor(cursors_[index]);
    }

    void SetCursorImage(const CursorImage& image) override {
        if (!videoInit_ || image.width <= 0 || image.height <= 0 ||
            image.argb.size() < static_cast<std::size_t>(image.width) * image.height)
            return;
        std::vector<std::uint32_t> copy = image.argb;
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
            copy.data(), image.width, image.height, 32, image.width * 4, SDL_PIXELFORMAT_ARGB8888);
        if (surface == nullptr) return;
        SDL_Cursor* cursor = SDL_CreateColorCursor(surface, image.hotX, image.hotY);
        SDL_FreeSurface(surface);
        if (cursor == nullptr) return;
        SDL_SetCursor(cursor);
        if (imageCursor_ != nullptr) SDL_FreeCursor(imageCursor_);
        imageCursor_ = cursor;
    }

    void SetCursorVisible(bool visible) override {
        if (videoInit_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }

    void WarpCursor(int x, int y) override {
        if (window_ == nullptr || renderer_ == nullptr) return;
        int wx = 0, wy = 0;
        SDL_RenderLogicalToWindow(renderer_, static_cast<float>(x), static_cast<float>(y), &wx,
                                  &wy);
        SDL_WarpMouseInWindow(window_, wx, wy);
    }

    [[nodiscard]] ScreenSize GetScreenSize() const override {
        SDL_DisplayMode mode;
        if (videoInit_ && SDL_GetDesktopDisplayMode(0, &mode) == 0) return {mode.w, mode.h};
        return {kFrameWidth, kFrameHeight};
    }

private:
    bool Fail() {
        Close();
        return false;
    }

    bool UploadIndexed() {
        void* dst = nullptr;
        int dstPitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &dst, &dstPitch) != 0) return false;
        ConvertIndexed(indices_.data(), kFrameWidth, lut_.Table(), static_cast<std::uint32_t*>(dst),
                       dstPitch / 4, kFrameWidth, kFrameHeight);
        SDL_UnlockTexture(texture_);
        return Show();
    }

    bool Show() {
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
        return true;
    }

    bool videoInit_ = false;
    bool lastIndexed_ = false;
    bool fullScreen_ = false;
    int windowedX_ = 0, windowedY_ = 0;
    int windowedW_ = kFrameWidth, windowedH_ = kFrameHeight;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    std::vector<SDL_Cursor*> cursors_;
    SDL_Cursor* imageCursor_ = nullptr;
    PaletteLut lut_;
    std::vector<std::uint8_t> indices_;
};

std::uint16_t TranslateMods(Uint16 m) {
    std::uint16_t r = 0;
    if (m & KMOD_LSHIFT) r |= kModLeftShift;
    if (m & KMOD_RSHIFT) r |= kModRightShift;
    if (m & KMOD_LCTRL) r |= kModLeftCtrl;
    if (m & KMOD_RCTRL) r |= kModRightCtrl;
    if (m & KMOD_LALT) r |= kModLeftAlt;
    if (m & KMOD_RALT) r |= kModRightAlt;
    if (m & KMOD_NUM) r |= kModNumLock;
    if (m & KMOD_CAPS) r |= kModCapsLock;
    return r;
}

MouseButton TranslateButton(Uint8 b) {
    switch (b) {
        case SDL_BUTTON_LEFT:
            return MouseButton::Left;
        case SDL_BUTTON_MIDDLE:
            return MouseButton::Middle;
        case SDL_BUTTON_RIGHT:
            return MouseButton::Right;
        default:
            return MouseButton::None;
    }
}

class SdlEvents final : public Events {
public:
    bool Poll(Event* event) override {
        SDL_Event e;
        while (SDL_PollEvent(&e) != 0)
            if (Translate(e, event)) return true;
        return false;
    }

    bool Wait(Event* event, std::uint32_t timeoutMs) override {
        if (Poll(event)) return true;
        SDL_Event e;
        const Uint32 start = SDL_GetTicks();
        for (;;) {
            int left = -1;
            if (timeoutMs != kWaitForever) {
                Uint32 spent = SDL_GetTicks() - start;
                if (spent >= timeoutMs) return false;
                left = static_cast<int>(timeoutMs - spent);
            }
            int got = left < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, left);
            if (got == 0) return false;
            if (Translate(e, event)) return true;
        }
    }

private:
    static bool Translate(const SDL_Event& e, Event* out) {
        *out = Event{};
        switch (e.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                out->kind = e.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
                out->scancode = static_cast<Scancode>(e.key.keysym.scancode);
                out->mods = TranslateMods(e.key.keysym.mod);
                out->repeat = e.key.repeat != 0;
                return true;
            case SDL_TEXTINPUT:
                out->kind = EventKind::Text;
                out->text = e.text.text;
                return true;
            case SDL_MOUSEMOTION:
                out->kind = EventKind::MouseMove;
                out->x = e.motion.x;
                out->y = e.motion.y;
                return true;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                out->kind =
                    e.type == SDL_MOUSEBUTTONDOWN ? EventKind::MouseDown : EventKind::MouseUp;
                out->x = e.button.x;
                out->y = e.button.y;
                out->button = TranslateButton(e.button.button);
                return out->button != MouseButton::None;
            case SDL_MOUSEWHEEL:
                out->kind = EventKind::MouseWheel;
                out->wheel = e.wheel.y;
                return true;
            case SDL_QUIT:
                out->kind = EventKind::CloseRequested;
                return true;
            case SDL_JOYDEVICEADDED:
            case SDL_JOYDEVICEREMOVED:
                out->kind = e.type == SDL_JOYDEVICEADDED ? EventKind::JoystickAdded
                                                         : EventKind::JoystickRemoved;
                out->joystick = e.jdevice.which;
                return true;
            case SDL_WINDOWEVENT:
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_FOCUS_GAINED:
                        out->kind = EventKind::FocusGained;
                        return true;
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                        out->kind = EventKind::FocusLost;
                        return true;
                    case SDL_WINDOWEVENT_MINIMIZED:
                        out->kind = EventKind::Minimized;
                        return true;
                    case SDL_WINDOWEVENT_RESTORED:
                        out->kind = EventKind::Restored;
                        return true;
                    case SDL_WINDOWEVENT_EXPOSED:
                        out->kind = EventKind::Exposed;
                        return true;
                    case SDL_WINDOWEVENT_CLOSE:
                        out->kind = EventKind::CloseRequested;
                        return true;
                    default:
                        return false;
                }
            default:
                return false;
        }
    }
};

class SdlClock final : public Clock {
public:
    std::uint32_t Milliseconds() override { return static_cast<std::uint32_t>(SDL_GetTicks64()); }
    std::uint64_t Counter() override { return SDL_GetPerformanceCounter(); }
    std::uint64_t CounterFrequency() override { return SDL_GetPerformanceFrequency(); }
    void Sleep(std::uint32_t ms) override { SDL_Delay(ms); }
};

class SdlAudio final : public Audio {
public:
    ~SdlAudio() override { Close(); }
    bool Open(const AudioFormat& format) override {
        Close();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        audioInit_ = true;
        SDL_AudioSpec want{};
        want.freq = format.rate;
        want.format = AUDIO_S16SYS;
        want.channels = static_cast<Uint8>(format.channels);
        want.samples = 1024;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            Close();
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }
    void Close() override {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        device_ = 0;
        if (audioInit_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioInit_ = false;
    }
    [[nodiscard]] bool IsOpen() const override { return device_ != 0; }
    bool Feed(const std::int16_t* samples, std::size_t count) override {
        if (device_ == 0) return false;
        return SDL_QueueAudio(device_, samples, static_cast<Uint32>(count * 2)) == 0;
    }
    [[nodiscard]] std::size_t QueuedSamples() const override {
        return device_ == 0 ? 0 : SDL_GetQueuedAudioSize(device_) / 2;
    }

private:
    bool audioInit_ = false;
    SDL_AudioDeviceID device_ = 0;
};

class SdlBackend final : public Backend {
public:
    ~SdlBackend() override {
        video_.Close();
        audio_.Close();
        SDL_QuitSubSystem(SDL_INIT_EVENTS | SDL_INIT_JOYSTICK);
    }
    Video& GetVideo() override { return video_; }
    Events& GetEvents() override { return events_; }
    Clock& GetClock() override { return clock_; }
    Audio& GetAudio() override { return audio_; }
    [[nodiscard]] bool IsHeadless() const override { return false; }

private:
    SdlVideo video_;
    SdlEvents events_;
    SdlClock clock_;
    SdlAudio audio_;
};

}  // namespace

std::unique_ptr<Backend> CreateSdlBackend() {
    if (SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return nullptr;
    // Joysticks only announce arrival and removal for now; a missing subsystem is no error.
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    return std::make_unique<SdlBackend>();
}

}  // namespace platform
