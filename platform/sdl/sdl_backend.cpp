// The SDL2 machine. SDL headers appear only in this folder.
#include <SDL.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/backend.h"
#include "platform/palette_lut.h"
#include "platform/sdl/sdl_haptics.h"
#include "platform/termination.h"

namespace platform {
namespace {

// The longest a wait for events goes without looking for a request to end the program.
constexpr int kTerminationSliceMs = 100;

// The X display's library ends the process through exit() when its connection is lost (the
// server killed, the session gone), from inside whatever call noticed it. The program's objects
// are then still alive while the static ones are torn down under them, which corrupts the heap.
// The program ends at once instead, and says why; what it saved before stays as it was.
int EndOnLostDisplay(void*) {
    static const char kLine[] =
        "zephlon: the connection to the display was lost; the program ends without saving its "
        "settings.\n";
    [[maybe_unused]] const ssize_t written = write(2, kLine, sizeof kLine - 1);
    _exit(1);
}

// Puts EndOnLostDisplay in place when the window is on X (the library is the one SDL loaded; no
// link to it is needed).
void HandleLostXDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) return;
    void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (x11 == nullptr) return;
    using Handler = int (*)(void*);
    using SetHandler = Handler (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(x11, "XSetIOErrorHandler")); set != nullptr)
        set(&EndOnLostDisplay);
    dlclose(x11);
}

class SdlVideo final : public Video {
public:
    ~SdlVideo() override { Close(); }

    bool Open(const VideoOptions& options) override {
        if (window_ != nullptr) return true;
        openError_.clear();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            openError_ = SDL_GetError();
            return false;
        }
        // Without a display SDL falls back on a driver that shows nothing; a window no one sees
        // is taken only when that driver was asked for by name.
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* asked = SDL_getenv("SDL_VIDEODRIVER");
        if (driver != nullptr &&
            (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0) &&
            (asked == nullptr || SDL_strcasecmp(asked, driver) != 0)) {
            openError_ = "no display: only SDL's invisible video driver started";
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return false;
        }
        videoInit_ = true;
        // Nearest scaling keeps the 640×480 pixels sharp at any window size.
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
        // SDL's own software renderer: a 640×480 picture converted once a frame is no work for
        // a graphics card, and on a machine without one the OpenGL renderer loads a software
        // OpenGL library (tens of megabytes and a pool of threads) for the same cost a frame.
        // SDL_RENDER_DRIVER in the environment still chooses another. Its window surface is
        // X11's shared memory, not a texture: finding out whether OpenGL could serve as one
        // would load the OpenGL library all the same.
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        int scale = options.windowScale < 1 ? 1 : options.windowScale;
        const Uint32 flags = SDL_WINDOW_RESIZABLE;
        window_ =
            SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             kFrameWidth * scale, kFrameHeight * scale, flags);
        if (window_ == nullptr) return Fail();
        HandleLostXDisplay();
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (renderer_ == nullptr) return Fail();
        SDL_RenderSetLogicalSize(renderer_, kFrameWidth, kFrameHeight);
        SDL_RenderSetIntegerScale(renderer_, options.integerScaling ? SDL_TRUE : SDL_FALSE);
        integerScale_ = options.integerScaling;
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, kFrameWidth, kFrameHeight);
        if (texture_ == nullptr) return Fail();
        rows_.Forget();
        rows32_.Forget();
        SDL_AddEventWatch(&NoteResize, this);
        SDL_RendererInfo info;
        software_ =
            SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
        clearPending_ = true;
        if (options.fullScreen) SetFullScreen(true);
        return true;
    }

    [[nodiscard]] std::string OpenError() const override { return openError_; }

    void Close() override {
        for (SDL_Cursor* c : cursors_)
            if (c != nullptr) SDL_FreeCursor(c);
        cursors_.clear();
        if (imageCursor_ != nullptr) SDL_FreeCursor(imageCursor_);
        imageCursor_ = nullptr;
        if (window_ != nullptr) SDL_DelEventWatch(&NoteResize, this);
        if (texture_ != nullptr) SDL_DestroyTexture(texture_);
        if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        texture_ = nullptr;
        direct_ = nullptr;
        renderer_ = nullptr;
        window_ = nullptr;
        fullScreen_ = false;
        if (videoInit_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoInit_ = false;
    }

    [[nodiscard]] bool IsOpen() const override { return window_ != nullptr; }

    bool Present8(const std::uint8_t* indices, int pitch, const Palette& palette,
                  const std::uint8_t* rowsChanged = nullptr) override {
        if (texture_ == nullptr || indices == nullptr || pitch < kFrameWidth) return false;
        const bool recoloured = lut_.Update(palette);
        rows32_.Forget();
        ChooseTarget();
        const ChangedRows::Band band =
            rows_.Take(indices, pitch, kFrameWidth, kFrameHeight, recoloured, rowsChanged);
        return WriteRows(rows_, band, [&](std::uint8_t* dst, int dstPitch, int first, int count) {
            ConvertIndexed(indices + static_cast<std::ptrdiff_t>(first) * pitch, pitch, lut_,
                           reinterpret_cast<std::uint32_t*>(dst), dstPitch / 4, kFrameWidth, count);
        });
    }

    bool Present32(const std::uint32_t* pixels, int pitchPixels,
                   const std::uint8_t* rowsChanged = nullptr) override {
        if (texture_ == nullptr || pixels == nullptr) return false;
        rows_.Forget();
        ChooseTarget();
        const ChangedRows::Band band =
            rows32_.Take(reinterpret_cast<const std::uint8_t*>(pixels), pitchPixels * 4,
                         kFrameWidth * 4, kFrameHeight, false, rowsChanged);
        return WriteRows(rows32_, band, [&](std::uint8_t* dst, int dstPitch, int first, int count) {
            for (int y = 0; y < count; ++y)
                std::memcpy(dst + static_cast<std::ptrdiff_t>(y) * dstPitch,
                            pixels + static_cast<std::ptrdiff_t>(first + y) * pitchPixels,
                            kFrameWidth * 4);
        });
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
        // at once, whole once the next frame has come to the target the new size takes.
        SDL_PumpEvents();
        ChooseTarget();
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

    void SetWindowPosition(int x, int y) override {
        if (window_ == nullptr) return;
        if (fullScreen_) {
            windowedX_ = x;
            windowedY_ = y;
            return;
        }
        int nowX = 0, nowY = 0;
        SDL_GetWindowPosition(window_, &nowX, &nowY);
        if (nowX != x || nowY != y) SDL_SetWindowPosition(window_, x, y);
    }

private:
    bool Fail() {
        openError_ = SDL_GetError();
        Close();
        return false;
    }

    // Where the rows go. With the software renderer they are written straight into the window's
    // own pixels, scaled there (nearest) when the window is larger than the picture, and only
    // their band is sent to the display: no texture, no copy of the whole frame, and a full
    // screen that sends no more than the rows that changed. Another renderer takes the texture.
    // The target not written to is out of date, so a change of target writes every row of the
    // next frame.
    void ChooseTarget() {
        SDL_Surface* direct = nullptr;
        if (software_) {
            direct = SDL_GetWindowSurface(window_);
            if (direct != nullptr && (direct->w < 1 || direct->h < 1 ||
                                      (direct->format->format != SDL_PIXELFORMAT_RGB888 &&
                                       direct->format->format != SDL_PIXELFORMAT_ARGB8888)))
                direct = nullptr;
        }
        // A window surface made anew (the window was resized, even back to its size) holds
        // none of the rows written into the one before.
        if (direct != direct_ || resized_ ||
            (direct != nullptr && (direct->w != surfaceW_ || direct->h != surfaceH_))) {
            rows_.Forget();
            rows32_.Forget();
            clearPending_ = true;
            resized_ = false;
        }
        direct_ = direct;
        if (direct != nullptr && (direct->w != surfaceW_ || direct->h != surfaceH_)) {
            surfaceW_ = direct->w;
            surfaceH_ = direct->h;
            PlacePicture();
        }
    }

    // Where the picture lies on a window surface of another size, as the renderer's logical size
    // places it (so the mouse, which the renderer maps, points where the picture shows), and
    // which picture column each of its columns shows.
    void PlacePicture() {
        const int w = surfaceW_, h = surfaceH_;
        const float want = static_cast<float>(kFrameWidth) / kFrameHeight;
        const float real = static_cast<float>(w) / static_cast<float>(h);
        SDL_Rect v{0, 0, w, h};
        if (integerScale_) {
            float scale = want > real ? static_cast<float>(w / kFrameWidth)
                                      : static_cast<float>(h / kFrameHeight);
            if (scale < 1.0f) scale = 1.0f;
            v.w = static_cast<int>(SDL_floor(kFrameWidth * scale));
            v.h = static_cast<int>(SDL_floor(kFrameHeight * scale));
            v.x = (w - v.w) / 2;
            v.y = (h - v.h) / 2;
        } else if (SDL_fabs(want - real) < 0.0001) {
            // the whole window
        } else if (want > real) {
            v.h = static_cast<int>(SDL_floor(kFrameHeight * (static_cast<float>(w) / kFrameWidth)));
            v.y = (h - v.h) / 2;
        } else {
            v.w = static_cast<int>(SDL_floor(kFrameWidth * (static_cast<float>(h) / kFrameHeight)));
            v.x = (w - v.w) / 2;
        }
        // A picture larger than the surface (integer scaling of a small window) is cut at its
        // edges.
        picture_ = v;
        columns_.resize(static_cast<std::size_t>(std::max(v.w, 0)));
        runs_.assign(kFrameWidth, 0);
        for (int x = 0; x < v.w; ++x) {
            columns_[static_cast<std::size_t>(x)] =
                static_cast<int>(static_cast<std::int64_t>(x) * kFrameWidth / v.w);
            ++runs_[static_cast<std::size_t>(columns_[static_cast<std::size_t>(x)])];
        }
    }

    [[nodiscard]] bool OneToOne() const {
        return picture_.x == 0 && picture_.y == 0 && picture_.w == kFrameWidth &&
               picture_.h == kFrameHeight && surfaceW_ == kFrameWidth && surfaceH_ == kFrameHeight;
    }

    // Rows first..first+count-1 of the picture, already in screen colours, scaled into the
    // window surface; the surface's rows they cover, clipped to it.
    SDL_Rect ScaleRows(const std::uint32_t* rows, int first, int count) {
        const SDL_Rect& v = picture_;
        const int top = static_cast<int>(
            (static_cast<std::int64_t>(first) * v.h + kFrameHeight - 1) / kFrameHeight);
        const int end = static_cast<int>(
            (static_cast<std::int64_t>(first + count) * v.h + kFrameHeight - 1) / kFrameHeight);
        const int y0 = std::max(v.y + top, 0), y1 = std::min(v.y + end, surfaceH_);
        const int x0 = std::max(v.x, 0), x1 = std::min(v.x + v.w, surfaceW_);
        auto* base = static_cast<std::uint8_t*>(direct_->pixels);
        int lastSource = -1;
        std::uint32_t* lastRow = nullptr;
        for (int y = y0; y < y1; ++y) {
            const int source =
                static_cast<int>(static_cast<std::int64_t>(y - v.y) * kFrameHeight / v.h);
            auto* dst = reinterpret_cast<std::uint32_t*>(base + static_cast<std::ptrdiff_t>(y) *
                                                                    direct_->pitch);
            if (source == lastSource) {
                std::memcpy(dst + x0, lastRow + x0, static_cast<std::size_t>(x1 - x0) * 4);
                continue;
            }
            const std::uint32_t* src =
                rows + static_cast<std::ptrdiff_t>(source - first) * kFrameWidth;
            if (x0 == v.x && x1 == v.x + v.w) {
                // The whole row: each picture pixel written as many times as it is wide there.
                std::uint32_t* d = dst + x0;
                for (int sx = 0; sx < kFrameWidth; ++sx) {
                    const std::uint32_t c = src[sx];
                    for (int k = runs_[static_cast<std::size_t>(sx)]; k > 0; --k)
                        *d++ = c;
                }
            } else {
                for (int x = x0; x < x1; ++x)
                    dst[x] = src[columns_[static_cast<std::size_t>(x - v.x)]];
            }
            lastSource = source;
            lastRow = dst;
        }
        return SDL_Rect{x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
    }

    // A window whose size changed has new pixels of its own (nothing of the last frame in them)
    // even when it comes back to the size it had. Called as SDL queues each event.
    static int NoteResize(void* self, SDL_Event* e) {
        if (e->type == SDL_WINDOWEVENT && (e->window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                                           e->window.event == SDL_WINDOWEVENT_RESIZED))
            static_cast<SdlVideo*>(self)->resized_ = true;
        return 1;
    }

    // Writes the band of rows that changed into the target (it keeps the rows outside the band):
    // `fill(dst, dstPitch, first, count)`, and shows the frame. False, with every row to be
    // written next time, when the target cannot be written.
    template <class Fill>
    bool WriteRows(ChangedRows& rows, ChangedRows::Band band, Fill&& fill) {
        const bool any = band.first <= band.last;
        const SDL_Rect rect{0, any ? band.first : 0, kFrameWidth,
                            any ? band.last - band.first + 1 : kFrameHeight};
        if (direct_ != nullptr) {
            SDL_Rect sent{0, 0, surfaceW_, surfaceH_};
            if (SDL_MUSTLOCK(direct_) && SDL_LockSurface(direct_) != 0) {
                rows.Forget();
                return false;
            }
            if (clearPending_ && !OneToOne()) {
                // The bars beside the picture, once for each new surface.
                SDL_FillRect(direct_, nullptr, SDL_MapRGB(direct_->format, 0, 0, 0));
            }
            if (any) {
                if (OneToOne()) {
                    fill(static_cast<std::uint8_t*>(direct_->pixels) +
                             static_cast<std::ptrdiff_t>(rect.y) * direct_->pitch,
                         direct_->pitch, rect.y, rect.h);
                    sent = rect;
                } else {
                    band32_.resize(static_cast<std::size_t>(kFrameWidth) *
                                   static_cast<std::size_t>(rect.h));
                    fill(reinterpret_cast<std::uint8_t*>(band32_.data()), kFrameWidth * 4, rect.y,
                         rect.h);
                    sent = ScaleRows(band32_.data(), rect.y, rect.h);
                }
            }
            if (SDL_MUSTLOCK(direct_)) SDL_UnlockSurface(direct_);
            // A frame with no row changed goes out whole: the display asked for it again. So
            // does the first frame on a new surface, bars and all.
            if (!any || clearPending_) sent = SDL_Rect{0, 0, surfaceW_, surfaceH_};
            clearPending_ = false;
            if (sent.w <= 0 || sent.h <= 0) return true;
            if (SDL_UpdateWindowSurfaceRects(window_, &sent, 1) != 0) {
                rows.Forget();
                return false;
            }
            return true;
        }
        if (any) {
            void* dst = nullptr;
            int dstPitch = 0;
            if (SDL_LockTexture(texture_, &rect, &dst, &dstPitch) != 0) {
                rows.Forget();
                return false;
            }
            fill(static_cast<std::uint8_t*>(dst), dstPitch, rect.y, rect.h);
            SDL_UnlockTexture(texture_);
        }
        return Show();
    }

    bool Show() {
        if (direct_ != nullptr) return SDL_UpdateWindowSurface(window_) == 0;
        // The frame covers the logical area; only the bars beside it need the clear. A
        // hardware renderer's back buffer holds nothing worth keeping, so it is cleared every
        // time (a cheap fill there); the software renderer's keeps the last picture, so it is
        // cleared only when the output's size changed (a whole pass over the window).
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(renderer_, &w, &h);
        if (!software_ || clearPending_ || w != outputW_ || h != outputH_) {
            SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
            SDL_RenderClear(renderer_);
            clearPending_ = false;
            outputW_ = w;
            outputH_ = h;
        }
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
        return true;
    }

    bool videoInit_ = false;
    std::string openError_;
    bool software_ = false;
    bool clearPending_ = true;
    int outputW_ = 0, outputH_ = 0;
    bool fullScreen_ = false;
    int windowedX_ = 0, windowedY_ = 0;
    int windowedW_ = kFrameWidth, windowedH_ = kFrameHeight;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Surface* direct_ = nullptr;  // the window's pixels, when the rows go straight there
    int surfaceW_ = 0, surfaceH_ = 0;
    SDL_Rect picture_{0, 0, kFrameWidth, kFrameHeight};  // where the picture lies on direct_
    std::vector<int> columns_;           // the picture's column shown in each of its columns there
    std::vector<int> runs_;              // how many of its columns there each picture column fills
    std::vector<std::uint32_t> band32_;  // the changed rows in screen colours, before scaling
    bool integerScale_ = false;
    bool resized_ = false;
    std::vector<SDL_Cursor*> cursors_;
    SDL_Cursor* imageCursor_ = nullptr;
    PaletteLut lut_;
    ChangedRows rows_;    // of the last 8-bit picture
    ChangedRows rows32_;  // of the last 32-bit picture
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
        // Asking the display for its events is a round of system calls, and the loop polls
        // several times a turn: within the millisecond of the last ask only the events already
        // fetched are taken.
        const Uint64 now = SDL_GetTicks64();
        if (now != lastPump_) {
            SDL_PumpEvents();
            lastPump_ = now;
        }
        SDL_Event e;
        while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
            if (Translate(e, event)) return true;
        return false;
    }

    bool Wait(Event* event, std::uint32_t timeoutMs) override {
        if (Poll(event)) return true;
        SDL_Event e;
        const Uint32 start = SDL_GetTicks();
        for (;;) {
            // A request to end the program from outside wakes no wait by itself: the wait goes
            // in short slices and ends when one is pending.
            if (TerminationPending()) return false;
            int left = kTerminationSliceMs;
            if (timeoutMs != kWaitForever) {
                Uint32 spent = SDL_GetTicks() - start;
                if (spent >= timeoutMs) return false;
                left = std::min(left, static_cast<int>(timeoutMs - spent));
            }
            if (SDL_WaitEventTimeout(&e, left) == 0) continue;
            if (Translate(e, event)) return true;
        }
    }

    void Rest(std::uint32_t timeoutMs) override {
        if (TerminationPending()) return;
        SDL_WaitEventTimeout(nullptr,
                             static_cast<int>(std::min<std::uint32_t>(
                                 timeoutMs, static_cast<std::uint32_t>(kTerminationSliceMs))));
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
                    // A window that shrank is not exposed, yet its new pixels hold nothing
                    // of the picture: it is drawn again whole, like one that was.
                    case SDL_WINDOWEVENT_EXPOSED:
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                        out->kind = EventKind::Exposed;
                        return true;
                    case SDL_WINDOWEVENT_CLOSE:
                        out->kind = EventKind::CloseRequested;
                        return true;
                    case SDL_WINDOWEVENT_MOVED: {
                        // Full screen is a borderless window over the display: its place is
                        // the display's, not one the user chose.
                        SDL_Window* w = SDL_GetWindowFromID(e.window.windowID);
                        if (w == nullptr || (SDL_GetWindowFlags(w) & SDL_WINDOW_BORDERLESS) != 0)
                            return false;
                        out->kind = EventKind::Moved;
                        out->x = e.window.data1;
                        out->y = e.window.data2;
                        return true;
                    }
                    default:
                        return false;
                }
            default:
                return false;
        }
    }

    Uint64 lastPump_ = 0;  // the millisecond the display was last asked for events
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
        // The card takes the queued sound a block at a time: a small block, so that a sound
        // fed as it starts (the mixer takes back what is queued) is heard at once.
        want.samples = 256;
        SDL_AudioSpec have{};
        // SDL converts to what the card takes; the program keeps feeding the format it asked.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            Close();
            return false;
        }
        rate_ = format.rate;
        channels_ = static_cast<unsigned>(format.channels);
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
    [[nodiscard]] std::size_t FramesDue() override {
        if (device_ == 0) return 0;
        const std::size_t target = static_cast<std::size_t>(rate_) * kSoundLeadMs / 1000;
        const std::size_t queued = SDL_GetQueuedAudioSize(device_) / (2u * channels_);
        return queued >= target ? 0 : target - queued;
    }
    std::size_t TakeBackQueued() override {
        if (device_ == 0) return 0;
        // The card's thread takes no block between the count and the clearing.
        SDL_LockAudioDevice(device_);
        const std::size_t frames = SDL_GetQueuedAudioSize(device_) / (2u * channels_);
        SDL_ClearQueuedAudio(device_);
        SDL_UnlockAudioDevice(device_);
        return frames;
    }
    [[nodiscard]] std::uint32_t MsQueued() override {
        if (device_ == 0) return kWaitForever;
        const std::uint64_t frames = SDL_GetQueuedAudioSize(device_) / (2u * channels_);
        return static_cast<std::uint32_t>(frames * 1000u / static_cast<std::uint64_t>(rate_));
    }

private:
    bool audioInit_ = false;
    SDL_AudioDeviceID device_ = 0;
    int rate_ = 22050;
    unsigned channels_ = 2;
};

// Sticks and game controllers. A device SDL knows as a game controller is read through its
// standard layout, so every pad flies alike: left stick x and y, right stick y as the throttle,
// right stick x as the rudder, the triggers after them; the d-pad is the hat.
class SdlJoysticks final : public Joysticks {
public:
    ~SdlJoysticks() override { CloseAll(); }

    [[nodiscard]] int Count() override { return SDL_NumJoysticks() < 0 ? 0 : SDL_NumJoysticks(); }

    bool GetInfo(int index, JoystickInfo* info) override {
        Device* d = Open(index);
        if (d == nullptr || info == nullptr) return false;
        if (d->controller != nullptr) {
            const char* name = SDL_GameControllerName(d->controller);
            info->name = name != nullptr ? name : "";
            info->axes = 6;
            info->buttons = kControllerButtons;
            info->hats = 1;
        } else {
            const char* name = SDL_JoystickName(d->joystick);
            info->name = name != nullptr ? name : "";
            info->axes = SDL_JoystickNumAxes(d->joystick);
            info->buttons = SDL_JoystickNumButtons(d->joystick);
            info->hats = SDL_JoystickNumHats(d->joystick);
        }
        info->haptic = SDL_JoystickIsHaptic(d->joystick) == SDL_TRUE;
        return true;
    }

    bool Read(int index, JoystickState* state) override {
        Device* d = Open(index);
        if (d == nullptr || state == nullptr) return false;
        *state = JoystickState{};
        if (d->controller != nullptr) {
            static const SDL_GameControllerAxis kAxes[6] = {
                SDL_CONTROLLER_AXIS_LEFTX,       SDL_CONTROLLER_AXIS_LEFTY,
                SDL_CONTROLLER_AXIS_RIGHTY,      SDL_CONTROLLER_AXIS_RIGHTX,
                SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT};
            for (int a = 0; a < 6; ++a)
                state->axes[static_cast<std::size_t>(a)] =
                    SDL_GameControllerGetAxis(d->controller, kAxes[a]);
            int bit = 0;
            for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX && bit < kMaxJoystickButtons; ++b) {
                if (b >= SDL_CONTROLLER_BUTTON_DPAD_UP && b <= SDL_CONTROLLER_BUTTON_DPAD_RIGHT)
                    continue;
                if (SDL_GameControllerGetButton(d->controller,
                                                static_cast<SDL_GameControllerButton>(b)))
                    state->buttons |= 1u << bit;
                ++bit;
            }
            auto held = [&](SDL_GameControllerButton b) {
                return SDL_GameControllerGetButton(d->controller, b) != 0;
            };
            state->hats[0] =
                static_cast<std::uint8_t>((held(SDL_CONTROLLER_BUTTON_DPAD_UP) ? kHatUp : 0) |
                                          (held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) ? kHatRight : 0) |
                                          (held(SDL_CONTROLLER_BUTTON_DPAD_DOWN) ? kHatDown : 0) |
                                          (held(SDL_CONTROLLER_BUTTON_DPAD_LEFT) ? kHatLeft : 0));
            return true;
        }
        const int axes = std::min(SDL_JoystickNumAxes(d->joystick), kMaxJoystickAxes);
        for (int a = 0; a < axes; ++a)
            state->axes[static_cast<std::size_t>(a)] = SDL_JoystickGetAxis(d->joystick, a);
        const int buttons = std::min(SDL_JoystickNumButtons(d->joystick), kMaxJoystickButtons);
        for (int b = 0; b < buttons; ++b)
            if (SDL_JoystickGetButton(d->joystick, b)) state->buttons |= 1u << b;
        const int hats = std::min(SDL_JoystickNumHats(d->joystick), kMaxJoystickHats);
        // SDL's hat bits are the same as ours (up 1, right 2, down 4, left 8).
        for (int h = 0; h < hats; ++h)
            state->hats[static_cast<std::size_t>(h)] =
                static_cast<std::uint8_t>(SDL_JoystickGetHat(d->joystick, h) & 0x0F);
        return true;
    }

    // The SDL joystick behind an index, for its force feedback.
    SDL_Joystick* JoystickAt(int index) {
        Device* d = Open(index);
        return d != nullptr ? d->joystick : nullptr;
    }

private:
    // The controller's buttons without the four d-pad ones.
    static constexpr int kControllerButtons = SDL_CONTROLLER_BUTTON_MAX - 4;
    struct Device {
        SDL_JoystickID id = -1;
        SDL_Joystick* joystick = nullptr;
        SDL_GameController* controller = nullptr;
    };

    // The open device at an index, opening it on first use and closing devices that are gone.
    Device* Open(int index) {
        if (index < 0 || index >= Count()) return nullptr;
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (id < 0) return nullptr;
        for (auto it = devices_.begin(); it != devices_.end();) {
            if (SDL_JoystickGetAttached(it->joystick) == SDL_FALSE) {
                CloseOne(*it);
                it = devices_.erase(it);
            } else if (it->id == id) {
                return &*it;
            } else {
                ++it;
            }
        }
        Device d;
        d.id = id;
        if (SDL_IsGameController(index)) {
            d.controller = SDL_GameControllerOpen(index);
            if (d.controller != nullptr) d.joystick = SDL_GameControllerGetJoystick(d.controller);
        }
        if (d.joystick == nullptr) d.joystick = SDL_JoystickOpen(index);
        if (d.joystick == nullptr) return nullptr;
        devices_.push_back(d);
        return &devices_.back();
    }
    static void CloseOne(Device& d) {
        if (d.controller != nullptr)
            SDL_GameControllerClose(d.controller);
        else if (d.joystick != nullptr)
            SDL_JoystickClose(d.joystick);
    }
    void CloseAll() {
        for (Device& d : devices_)
            CloseOne(d);
        devices_.clear();
    }

    std::vector<Device> devices_;
};

class SdlBackend final : public Backend {
public:
    ~SdlBackend() override {
        video_.Close();
        audio_.Close();
        haptics_.reset();
        joysticks_.reset();
        SDL_QuitSubSystem(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK |
                          SDL_INIT_HAPTIC);
    }
    Video& GetVideo() override { return video_; }
    Events& GetEvents() override { return events_; }
    Clock& GetClock() override { return clock_; }
    Audio& GetAudio() override { return audio_; }
    Joysticks& GetJoysticks() override { return *joysticks_; }
    Haptics& GetHaptics() override { return *haptics_; }
    [[nodiscard]] bool IsHeadless() const override { return false; }

private:
    SdlVideo video_;
    SdlEvents events_;
    SdlClock clock_;
    SdlAudio audio_;
    std::unique_ptr<SdlJoysticks> joysticks_ = std::make_unique<SdlJoysticks>();
    std::unique_ptr<Haptics> haptics_ =
        CreateSdlHaptics([this](int index) { return joysticks_->JoystickAt(index); });
};

}  // namespace

std::unique_ptr<Backend> CreateSdlBackend() {
    // SIGTERM, SIGINT and SIGHUP are the program's own (platform/termination.h): SDL would turn
    // them into a window close, which asks the user before it ends.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return nullptr;
    // A machine without joystick support still runs; it simply has no sticks. Game controllers
    // bring their own standard layout; sticks that push back need the haptic subsystem.
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) {
        SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
        SDL_InitSubSystem(SDL_INIT_HAPTIC);
    }
    return std::make_unique<SdlBackend>();
}

}  // namespace platform
