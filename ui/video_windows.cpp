#include "ui/video_windows.h"

#include <cstdio>

#include "devices/sound_device.h"
#include "ui/ui_services.h"
#include "ui/dialog_services.h"
#include "ui/owner_draw_library.h"
#include "win/compositor.h"
#include "win/file_api.h"
#include "win/video_window.h"

namespace ui {

MainVideoWindow theMainVideoWindow;
MciVideoPlayer theVideoPlayer;
int theVideoSequenceRunning = 0;
int theVideoStarted = 0;

namespace {

using namespace win;

constexpr std::uint32_t kDialogVideoStyle = MCIWNDF_NOTIFYMODE | MCIWNDF_NOMENU | MCIWNDF_NOPLAYBAR;
constexpr int kVideoWidth = 320;
constexpr int kVideoHeight = 240;

int theSoundHolds = 0;

// A refused file is told to the user; the window's stop notification follows.
void InstallErrorReporter() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    SetVideoErrorReporter([](HWND video, const std::string& path) {
        char text[600];
        std::snprintf(text, sizeof text, "Could not play the video %s.", ShownPath(path).c_str());
        ShowMessageBox(GetParent(video), text, 48);
    });
}

// The effects are shut down for exactly as long as a holder keeps a video window; they come
// back when the last one closes, unless the user had turned sound off.
void HoldSound() {
    if (theSoundHolds++ == 0) devices::ShutdownSound();
}

void ReleaseSound() {
    if (theSoundHolds == 0 || --theSoundHolds > 0) return;
    if (devices::theSoundOffByUser == 0) devices::InitSound(devices::SoundOwnerWindow());
}

// One flag for both holders: no frames are drawn while either shows a video.
void UpdateVideoFlag() {
    if (theUiServices.setVideoPlaying)
        theUiServices.setVideoPlaying(theMainVideoWindow.window || theVideoPlayer.window ? 1 : 0);
}

// The windows of the program over which the video's palette changed: repainted.
void RefreshMainChildren() {
    if (const HWND main = GetDisplayWindow())
        RedrawWindow(main, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
}

// Made once: a 256-colour table (the static colours round a colour cube) for clips that bring
// no palette of their own.
HPALETTE FallbackPalette() {
    static HPALETTE palette;
    if (palette) return palette;
    LOGPALETTE lp;
    lp.palPalEntry.resize(256);
    for (int i = 0; i < 216; ++i)
        lp.palPalEntry[static_cast<std::size_t>(10 + i)] = PALETTEENTRY{
            static_cast<std::uint8_t>(i / 36 * 51), static_cast<std::uint8_t>(i / 6 % 6 * 51),
            static_cast<std::uint8_t>(i % 6 * 51), 0};
    for (int i = 0; i < 30; ++i) {
        const auto g = static_cast<std::uint8_t>(i * 255 / 29);
        lp.palPalEntry[static_cast<std::size_t>(i < 10 ? i : 216 + i)] = PALETTEENTRY{g, g, g, 0};
    }
    palette = CreatePalette(&lp);
    return palette;
}

LResult Send(HWND h, std::uint32_t m, WParam w = 0, LParam l = 0) {
    return SendMessage(h, m, w, l);
}

LResult OpenFile(HWND h, std::string_view file) {
    const std::string path(file);
    return Send(h, MCIWNDM_OPENA, 0, reinterpret_cast<LParam>(path.c_str()));
}

}  // namespace

int VideoSoundHolds() {
    return theSoundHolds;
}

// ---- the main window's video ----------------------------------------------------------------------

void MainVideoWindow::PlayPopup(HWND parent, HINSTANCE instance, std::string_view file) {
    Close(parent);
    InstallErrorReporter();
    HoldSound();
    window = MCIWndCreate(parent, instance,
                          WS_POPUP | WS_VISIBLE | WS_MAXIMIZE | MCIWNDF_NOPLAYBAR | MCIWNDF_NOTIFYMODE,
                          file);
    UpdateVideoFlag();
    if (!window) {
        ReleaseSound();
        return;
    }
    Send(window, MCI_PLAY);
}

void MainVideoWindow::Play(HWND parent, HINSTANCE instance, std::string_view file) {
    theVideoStarted = 1;
    InstallErrorReporter();
    if (theVideoSequenceRunning == 0 || !window || !IsWindow(window)) {
        Close(parent);
        HoldSound();
        window = MCIWndCreate(parent, instance, WS_CHILD | WS_VISIBLE | MCIWNDF_NOTIFYMODE, file);
        UpdateVideoFlag();
        if (!window) {
            ReleaseSound();
            return;
        }
    } else {
        OpenFile(window, file);
    }
    Send(window, MCI_PLAY);
}

void MainVideoWindow::Close(HWND) {
    theVideoStarted = 0;
    if (theVideoSequenceRunning != 0 || !window) return;
    const HWND w = window;
    window = {};
    if (IsWindow(w)) Send(w, WM_CLOSE);
    UpdateVideoFlag();
    ReleaseSound();
}

void MainVideoWindow::PlaySequence(HWND parent, HINSTANCE instance, std::vector<std::string> files) {
    if (files.empty()) return;
    queue_.assign(files.begin() + 1, files.end());
    instance_ = instance;
    theVideoSequenceRunning = 1;
    Play(parent, instance, files.front());
}

void MainVideoWindow::OnPlayStopped(HWND parent) {
    if (theVideoSequenceRunning != 0 && !queue_.empty() && window) {
        const std::string next = queue_.front();
        queue_.erase(queue_.begin());
        Play(parent, instance_, next);
        return;
    }
    queue_.clear();
    theVideoSequenceRunning = 0;
    Close(parent);
}

// ---- the dialogs' video ---------------------------------------------------------------------------

HWND MciVideoPlayer::Create(HWND parent, std::uint32_t style) {
    InstallErrorReporter();
    HoldSound();
    window = MCIWndCreate(parent, HINSTANCE{}, style, {});
    UpdateVideoFlag();
    if (!window) {
        ReleaseSound();
        return {};
    }
    palette = HPALETTE{static_cast<std::uint32_t>(Send(window, MCIWNDM_GETPALETTE))};
    return window;
}

HWND MciVideoPlayer::CreateInDialogItem(HWND dialog, int placeholderId, std::int32_t style) {
    const std::uint32_t s = style == -1 ? kDialogVideoStyle : static_cast<std::uint32_t>(style);
    if (!Create(dialog, s)) return {};
    // Id 0 is no placeholder: the video window itself and the dialog's unnamed texts carry it.
    placeholder = placeholderId != 0 ? GetDlgItem(dialog, placeholderId) : HWND{};
    if (placeholder == window) placeholder = {};
    POINT at{};
    if (placeholder) {
        RECT r;
        GetWindowRect(placeholder, &r);
        at = POINT{r.left, r.top};
        ScreenToClient(dialog, &at);
    } else {
        RECT c;
        GetClientRect(dialog, &c);
        at = POINT{c.right - kVideoWidth, c.bottom - kVideoHeight};
    }
    SetWindowPos(window, HWND_TOP, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    wplSetPaletteBackground(1);
    if (placeholder) ShowWindow(placeholder, SW_HIDE);
    return window;
}

int MciVideoPlayer::OpenAndPlay(std::string_view file) {
    if (!window && !Create(HWND{}, 0)) return 0;
    Send(window, MCI_STOP);
    const bool opened = OpenFile(window, file) == 0;
    palette = HPALETTE{static_cast<std::uint32_t>(Send(window, MCIWNDM_GETPALETTE))};
    const bool playing = opened && Send(window, MCI_PLAY) == 0;
    return opened && playing ? 1 : 0;
}

int MciVideoPlayer::Play(std::string_view file) {
    if (!window) return 0;
    Send(window, MCI_STOP);
    if (OpenFile(window, file) != 0) return 0;
    auto paletteOf = [&] { return HPALETTE{static_cast<std::uint32_t>(Send(window, MCIWNDM_GETPALETTE))}; };
    HPALETTE p = paletteOf();
    if (!p) {
        Send(window, MCIWNDM_REALIZE);
        p = paletteOf();
    }
    if (!p) p = FallbackPalette();
    // The display is a 256-colour one: the video draws in the palette it is given.
    Send(window, MCIWNDM_SETPALETTE, static_cast<WParam>(p.id));
    if (p != palette) {
        palette = p;
        RefreshMainChildren();
        Send(window, MCIWNDM_REALIZE);
    }
    return Send(window, MCI_PLAY) == 0 ? 1 : 0;
}

void MciVideoPlayer::Stop() {
    if (window) Send(window, MCI_STOP);
}

int MciVideoPlayer::IsPlaying() {
    if (!window) return 0;
    const auto mode = static_cast<std::uint32_t>(Send(window, MCIWNDM_GETMODEA));
    return mode == MCI_MODE_PLAY || mode == MCI_MODE_SEEK ? 1 : 0;
}

void MciVideoPlayer::Close() {
    if (!window) return;
    const HWND w = window;
    window = {};
    palette = {};
    if (IsWindow(w)) {
        Send(w, MCI_STOP);
        Send(w, WM_CLOSE);
    }
    UpdateVideoFlag();
    ReleaseSound();
}

void MciVideoPlayer::CloseAndRestore() {
    if (restoring != 0) return;
    restoring = 1;
    if (window) ShowWindow(window, SW_HIDE);
    wplSetPaletteBackground(0);
    Close();
    RefreshMainChildren();
    restoring = 0;
    if (placeholder) {
        ShowWindow(placeholder, SW_SHOW);
        placeholder = {};
    }
}

}  // namespace ui
