#include "win/video_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"
#include "win/avi_file.h"
#include "win/compositor.h"
#include "win/dsound.h"
#include "win/file_api.h"
#include "win/program_entry.h"
#include "win/timing.h"
#include "win/window_surface.h"

namespace win {
namespace {

constexpr std::uintptr_t kTimerId = 0x4D43;
constexpr std::uint32_t kStepMs = 10;
constexpr std::uint32_t kMsgRefused = WM_USER + 0x3F0;  // posted to itself: report, then notify
constexpr int kBarHeight = 26;
constexpr std::uint32_t kSoundRingSeconds = 2;
// The largest clip a video window plays: a CD's worth; a larger file is refused unread.
constexpr std::uint64_t kMaxClipBytes = 700ull << 20;

struct Player {
    HWND owner;
    std::string path;
    std::unique_ptr<AviClip> clip;
    std::vector<std::uint8_t> picture;  // the decoded frame, top row first
    long shown = -1;                    // the frame number `picture` holds
    std::uint32_t mode = MCI_MODE_NOT_READY;
    std::uint64_t startMicros = 0;  // clip position where playing began
    // The message clock, without sound.
    std::uint32_t startMs = 0;
    // The sound: a looping ring refilled ahead of the play cursor.
    DirectSound* device = nullptr;
    DirectSoundBuffer* ring = nullptr;
    std::uint32_t ringBytes = 0;
    std::uint32_t lastCursor = 0;
    std::uint64_t playedBytes = 0;
    std::uint64_t writtenBytes = 0;
    std::size_t soundStart = 0;  // byte of the clip's sound where playing began
    HPALETTE clipPalette;
    HPALETTE userPalette;
    std::array<std::uint32_t, 256> colours{};  // what each index shows now

    ~Player() { CloseSound(); }

    void CloseSound() {
        if (ring != nullptr) {
            ring->Stop();
            ring->Release();
            ring = nullptr;
        }
        if (device != nullptr) {
            device->Release();
            device = nullptr;
        }
    }
};

std::unordered_map<std::uint32_t, std::unique_ptr<Player>> thePlayers;
std::function<void(HWND, const std::string&)> theErrorReporter;
VideoWindowStats theStats;

Player* Get(HWND h) {
    auto it = thePlayers.find(h.id);
    return it == thePlayers.end() ? nullptr : it->second.get();
}

std::uint32_t McStyle(HWND h) {
    return static_cast<std::uint32_t>(GetWindowLong(h, GWL_STYLE));
}

bool HasBar(HWND h) {
    return (McStyle(h) & MCIWNDF_NOPLAYBAR) == 0;
}

std::uint64_t SoundBlock(const AviClip& c) {
    return static_cast<std::uint64_t>(c.soundBits / 8);
}

std::uint64_t EndMicros(const AviClip& c) {
    return std::max(c.VideoMicros(), c.SoundMicros());
}

std::uint64_t PositionMicros(const Player& p) {
    if (p.mode != MCI_MODE_PLAY || !p.clip) {
        return p.shown < 0 ? 0 : p.clip ? p.clip->FrameStartMicros(static_cast<std::uint64_t>(p.shown)) : 0;
    }
    if (p.ring != nullptr) {
        const std::uint64_t samples = p.playedBytes / SoundBlock(*p.clip);
        return p.startMicros + samples * 1000000ull / static_cast<std::uint64_t>(p.clip->soundRate);
    }
    return p.startMicros + static_cast<std::uint64_t>(timeGetTime() - p.startMs) * 1000ull;
}

void UpdateColours(Player& p) {
    if (!p.clip) return;
    p.colours = p.clip->palette;
    if (!p.userPalette) return;
    std::vector<PALETTEENTRY> e(256);
    const unsigned n = GetPaletteEntries(p.userPalette, 0, 256, e.data());
    if (n == 0) return;
    for (std::uint32_t& c : p.colours) {
        const unsigned k = GetNearestPaletteIndex(p.userPalette, RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
        if (k < n) c = (static_cast<std::uint32_t>(e[k].peRed) << 16) | (e[k].peGreen << 8) | e[k].peBlue;
    }
}

// The play bar: a button (a triangle to play, a square to stop) and the position track.
void DrawBar(HWND h, const Player& p, WindowSurface& s) {
    const int top = s.height - kBarHeight;
    if (top < 0) return;
    auto fill = [&](int l, int t, int r, int b, std::uint32_t c) {
        for (int y = std::max(t, 0); y < std::min(b, s.height); ++y)
            for (int x = std::max(l, 0); x < std::min(r, s.width); ++x)
                s.pixels[static_cast<std::size_t>(y) * s.width + x] = c;
    };
    fill(0, top, s.width, s.height, 0xC0C0C0);
    fill(0, top, s.width, top + 1, 0xFFFFFF);
    fill(3, top + 3, 23, top + 23, 0xD4D0C8);
    if (p.mode == MCI_MODE_PLAY) {
        fill(8, top + 8, 18, top + 18, 0x000000);
    } else {
        for (int k = 0; k < 10; ++k) fill(9, top + 8 + k, 9 + (k < 5 ? 2 * k + 1 : 19 - 2 * k), top + 9 + k, 0x000000);
    }
    const int l = 30, r = s.width - 6;
    fill(l, top + 11, r, top + 15, 0x808080);
    if (p.clip && r > l) {
        const std::uint64_t end = std::max<std::uint64_t>(EndMicros(*p.clip), 1);
        const int x = l + static_cast<int>(static_cast<std::uint64_t>(r - l - 6) * std::min(PositionMicros(p), end) / end);
        fill(x, top + 5, x + 6, top + 21, 0x404040);
    }
    (void)h;
}

// The current picture into the window's surface, scaled to fit the picture area, centred.
void Paint(HWND h, Player& p) {
    SetWindowSurfaceFormat(h, SurfaceFormat::Rgb32);
    WindowSurface* s = GetWindowSurface(h);
    if (s == nullptr || s->width <= 0 || s->height <= 0) return;
    const int areaH = std::max(0, s->height - (HasBar(h) ? kBarHeight : 0));
    std::fill(s->pixels.begin(), s->pixels.begin() + static_cast<std::ptrdiff_t>(areaH) * s->width, 0u);
    if (p.clip && p.shown >= 0 && areaH > 0) {
        const int cw = p.clip->width, ch = p.clip->height;
        // The largest whole-step (or shrinking) size that fits.
        int w = cw, hgt = ch;
        if (s->width >= cw && areaH >= ch) {
            const int k = std::max(1, std::min(s->width / cw, areaH / ch));
            w = cw * k, hgt = ch * k;
        } else {
            const double f = std::min(static_cast<double>(s->width) / cw, static_cast<double>(areaH) / ch);
            w = std::max(1, static_cast<int>(cw * f)), hgt = std::max(1, static_cast<int>(ch * f));
        }
        const int ox = (s->width - w) / 2, oy = (areaH - hgt) / 2;
        for (int y = 0; y < hgt; ++y) {
            const std::uint8_t* src = p.picture.data() + static_cast<std::size_t>(y * ch / hgt) * cw;
            std::uint32_t* d = s->pixels.data() + static_cast<std::size_t>(oy + y) * s->width + ox;
            for (int x = 0; x < w; ++x) d[x] = p.colours[src[x * cw / w]] & 0xFFFFFF;
        }
        ++theStats.framesShown;
    }
    if (HasBar(h)) DrawBar(h, p, *s);
    MarkWindowSurfaceDrawn(h);
    RequestPresent();
}

// Decodes forward to frame n (from the start when n lies behind the picture held).
void ShowFrame(HWND h, Player& p, long n) {
    if (!p.clip) return;
    n = std::clamp<long>(n, 0, static_cast<long>(p.clip->FrameCount()) - 1);
    if (n == p.shown) return;
    if (n < p.shown || p.shown < 0) {
        std::fill(p.picture.begin(), p.picture.end(), 0);
        p.shown = -1;
    }
    while (p.shown < n) {
        ++p.shown;
        DecodeAviFrame(*p.clip, static_cast<std::size_t>(p.shown), p.picture.data());
        ++theStats.framesDecoded;
    }
    Paint(h, p);
}

long FrameAt(const AviClip& c, std::uint64_t micros) {
    return static_cast<long>(micros * c.rate / (1000000ull * c.scale));
}

// Keeps the ring filled ahead of the play cursor; counts the times the card overtook it.
void PumpSound(Player& p) {
    if (p.ring == nullptr) return;
    std::uint32_t play = 0, write = 0;
    if (FAILED(p.ring->GetCurrentPosition(&play, &write))) return;
    p.playedBytes += (play + p.ringBytes - p.lastCursor) % p.ringBytes;
    p.lastCursor = play;
    if (p.playedBytes > p.writtenBytes) {
        ++theStats.soundUnderruns;
        p.writtenBytes = p.playedBytes;
    }
    const AviClip& c = *p.clip;
    const std::uint8_t silence = c.soundBits == 8 ? 0x80 : 0;
    while (p.writtenBytes - p.playedBytes < p.ringBytes * 3 / 4) {
        const std::uint32_t want = p.ringBytes / 4;
        void *a = nullptr, *b = nullptr;
        std::uint32_t na = 0, nb = 0;
        const auto at = static_cast<std::uint32_t>(p.writtenBytes % p.ringBytes);
        if (FAILED(p.ring->Lock(at, want, &a, &na, &b, &nb, 0))) return;
        std::size_t from = p.soundStart + static_cast<std::size_t>(p.writtenBytes);
        for (auto [dst, n] : {std::pair{static_cast<std::uint8_t*>(a), na}, std::pair{static_cast<std::uint8_t*>(b), nb}}) {
            if (dst == nullptr) continue;
            const std::size_t have = from < c.sound.size() ? std::min<std::size_t>(n, c.sound.size() - from) : 0;
            if (have > 0) std::memcpy(dst, c.sound.data() + from, have);
            std::memset(dst + have, silence, n - have);
            from += n;
        }
        p.ring->Unlock(a, na, b, nb);
        p.writtenBytes += na + nb;
        theStats.soundBytesWritten += na + nb;
    }
}

void Notify(HWND h, Player& p, std::uint32_t mode) {
    if ((McStyle(h) & MCIWNDF_NOTIFYMODE) && p.owner)
        PostMessage(p.owner, MCIWNDM_NOTIFYMODE, static_cast<WParam>(h.id), static_cast<LParam>(mode));
}

// Stops where it is; the program's own stop notifies nothing.
void StopPlaying(HWND h, Player& p) {
    if (p.mode != MCI_MODE_PLAY) return;
    const std::uint64_t at = PositionMicros(p);
    KillTimer(h, kTimerId);
    p.CloseSound();
    p.mode = MCI_MODE_STOP;
    if (p.clip) p.startMicros = std::min(at, EndMicros(*p.clip));
    TraceLine("video stopped");
    Paint(h, p);
}

void Step(HWND h, Player& p) {
    if (p.mode == MCI_MODE_SEEK) {
        p.mode = MCI_MODE_STOP;
        KillTimer(h, kTimerId);
        return;
    }
    if (p.mode != MCI_MODE_PLAY || !p.clip) return;
    PumpSound(p);
    const std::uint64_t at = PositionMicros(p);
    ShowFrame(h, p, FrameAt(*p.clip, at));
    if (at >= EndMicros(*p.clip)) {
        StopPlaying(h, p);
        p.startMicros = 0;  // the next play starts from the beginning
        Notify(h, p, MCI_MODE_STOP);
    } else if (HasBar(h)) {
        Paint(h, p);
    }
}

std::uint32_t StartPlaying(HWND h, Player& p) {
    if (!p.clip) return MCIERR_NONAPPLICABLE_FUNCTION;
    if (p.mode == MCI_MODE_PLAY) return 0;
    const AviClip& c = *p.clip;
    if (p.startMicros >= EndMicros(c)) p.startMicros = 0;
    p.mode = MCI_MODE_PLAY;
    p.startMs = timeGetTime();
    p.playedBytes = p.writtenBytes = 0;
    p.lastCursor = 0;
    p.soundStart = static_cast<std::size_t>(p.startMicros * static_cast<std::uint64_t>(c.soundRate) / 1000000ull * SoundBlock(c));
    if (c.soundRate > 0 && p.soundStart < c.sound.size()) {
        // A device of its own: the effects' device is closed while a video plays.
        DirectSound* ds = nullptr;
        if (SUCCEEDED(DirectSoundCreate(nullptr, &ds, nullptr)) && ds != nullptr) {
            p.device = ds;
            ds->SetCooperativeLevel(p.owner ? p.owner : h, DSSCL_NORMAL);
            WAVEFORMATEX f;
            f.wFormatTag = WAVE_FORMAT_PCM;
            f.nChannels = 1;
            f.nSamplesPerSec = static_cast<std::uint32_t>(c.soundRate);
            f.wBitsPerSample = static_cast<std::uint16_t>(c.soundBits);
            f.nBlockAlign = static_cast<std::uint16_t>(c.soundBits / 8);
            f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
            DSBUFFERDESC d;
            d.dwFlags = DSBCAPS_GETCURRENTPOSITION2;
            d.dwBufferBytes = f.nAvgBytesPerSec * kSoundRingSeconds;
            d.lpwfxFormat = &f;
            DirectSoundBuffer* b = nullptr;
            if (SUCCEEDED(ds->CreateSoundBuffer(&d, &b, nullptr)) && b != nullptr) {
                p.ring = b;
                p.ringBytes = d.dwBufferBytes;
                PumpSound(p);
                b->SetCurrentPosition(0);
                if (FAILED(b->Play(0, 0, DSBPLAY_LOOPING))) p.CloseSound();
            } else {
                p.CloseSound();
            }
        }
    }
    SetTimer(h, kTimerId, kStepMs, nullptr);
    TraceLine("video play " + p.path);
    ShowFrame(h, p, FrameAt(c, p.startMicros));
    Paint(h, p);
    return 0;
}

void FitWindow(HWND h, const Player& p) {
    const std::uint32_t style = McStyle(h);
    if (!p.clip || (style & MCIWNDF_NOAUTOSIZEWINDOW) || (style & WS_MAXIMIZE)) return;
    RECT r{0, 0, p.clip->width, p.clip->height + (HasBar(h) ? kBarHeight : 0)};
    AdjustWindowRectEx(&r, style, false, static_cast<std::uint32_t>(GetWindowLong(h, GWL_EXSTYLE)));
    SetWindowPos(h, {}, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::uint32_t Open(HWND h, Player& p, std::string_view file) {
    StopPlaying(h, p);
    p.clip.reset();
    p.shown = -1;
    p.mode = MCI_MODE_NOT_READY;
    p.startMicros = 0;
    if (p.clipPalette) {
        DeleteObject(p.clipPalette);
        p.clipPalette = {};
    }
    p.path = std::string(file);
    std::vector<std::uint8_t> bytes;
    std::string why;
    platform::FileInfo info;
    const bool found = platform::GetFileInfo(file, &info) == platform::kFileOk;
    // A folder, a device or a pipe is never opened: a pipe would hold the open until a writer
    // came, and a device might never end.
    bool read = false;
    if (found && !info.isRegular) {
        why = DescribeFileError(ERROR_BAD_FILE_TYPE);
    } else if (found) {
        // Only a file that starts as a clip is read whole, and only one of a clip's size.
        std::string contents;
        platform::File f;
        char head[12] = {};
        std::uint32_t got = 0;
        read = f.Open(file, platform::kAccessRead, platform::kShareRead,
                      platform::Disposition::kOpenExisting) == platform::kFileOk &&
               f.Read(head, sizeof head, &got) == platform::kFileOk;
        f.Close();
        if (read && (got < sizeof head || std::memcmp(head, "RIFF", 4) != 0 ||
                     std::memcmp(head + 8, "AVI ", 4) != 0))
            contents.assign(head, got);  // refused below as no clip
        else if (read)
            read = ReadWholeFile(file, &contents, kMaxClipBytes);
        if (read)
            bytes.assign(contents.begin(), contents.end());
        else
            why = DescribeFileError(GetLastError());
    }
    auto clip = std::make_unique<AviClip>();
    if (!read || !ReadAviClip(std::move(bytes), clip.get(), &why)) {
        TraceLine("video refused " + p.path + ": " + (found ? why : std::string("no such file")));
        PostMessage(h, kMsgRefused, 0, 0);
        Paint(h, p);
        return found ? MCIERR_INVALID_FILE : MCIERR_FILE_NOT_FOUND;
    }
    p.clip = std::move(clip);
    p.picture.assign(static_cast<std::size_t>(p.clip->width) * p.clip->height, 0);
    LOGPALETTE lp;
    for (std::uint32_t c : p.clip->palette)
        lp.palPalEntry.push_back(PALETTEENTRY{static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                                              static_cast<std::uint8_t>(c), 0});
    p.clipPalette = CreatePalette(&lp);
    UpdateColours(p);
    p.mode = MCI_MODE_STOP;
    FitWindow(h, p);
    ShowFrame(h, p, 0);
    return 0;
}

LResult VideoProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    Player* p = Get(h);
    switch (m) {
        case WM_CREATE: {
            auto player = std::make_unique<Player>();
            const auto* cs = reinterpret_cast<const CREATESTRUCT*>(l);
            player->owner = cs->parent;
            thePlayers[h.id] = std::move(player);
            ++theStats.liveWindows;
            return 0;
        }
        case WM_NCDESTROY: {
            if (p != nullptr) {
                KillTimer(h, kTimerId);
                if (p->clipPalette) DeleteObject(p->clipPalette);
                thePlayers.erase(h.id);
                --theStats.liveWindows;
            }
            return DefWindowProc(h, m, w, l);
        }
        case WM_CLOSE:
            if (p != nullptr) StopPlaying(h, *p);
            DestroyWindow(h);
            return 0;
        case WM_TIMER:
            if (p != nullptr && w == kTimerId) Step(h, *p);
            return 0;
        case WM_SIZE:
            if (p != nullptr) Paint(h, *p);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(h, &ps);
            if (p != nullptr) Paint(h, *p);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN: {
            if (p == nullptr || !HasBar(h)) return 0;
            RECT r;
            GetClientRect(h, &r);
            const int x = GET_X_LPARAM(l), y = GET_Y_LPARAM(l);
            if (y >= r.bottom - kBarHeight && x < 26) {
                if (p->mode == MCI_MODE_PLAY) {
                    StopPlaying(h, *p);
                    Notify(h, *p, MCI_MODE_STOP);
                } else {
                    StartPlaying(h, *p);
                }
            }
            return 0;
        }
        case kMsgRefused:
            if (p == nullptr) return 0;
            if (!(McStyle(h) & MCIWNDF_NOERRORDLG)) {
                const std::string path = p->path;
                if (theErrorReporter)
                    theErrorReporter(h, path);
                else
                    TraceLine("Could not play the video " + path + ".");
            }
            if ((p = Get(h)) != nullptr) Notify(h, *p, MCI_MODE_STOP);
            return 0;
        case MCIWNDM_OPENA:
            if (p == nullptr || l == 0) return MCIERR_FILE_NOT_FOUND;
            return static_cast<LResult>(Open(h, *p, reinterpret_cast<const char*>(l)));
        case MCI_PLAY:
            return p == nullptr ? MCIERR_NONAPPLICABLE_FUNCTION : static_cast<LResult>(StartPlaying(h, *p));
        case MCI_STOP:
            if (p != nullptr) StopPlaying(h, *p);
            return 0;
        case MCI_CLOSE:
            if (p != nullptr) {
                StopPlaying(h, *p);
                p->clip.reset();
                p->shown = -1;
                p->mode = MCI_MODE_NOT_READY;
                Paint(h, *p);
            }
            return 0;
        case MCI_SEEK:
            if (p == nullptr || !p->clip) return MCIERR_NONAPPLICABLE_FUNCTION;
            StopPlaying(h, *p);
            ShowFrame(h, *p, static_cast<long>(l));
            p->startMicros = p->clip->FrameStartMicros(static_cast<std::uint64_t>(std::max<long>(p->shown, 0)));
            p->mode = MCI_MODE_SEEK;
            SetTimer(h, kTimerId, kStepMs, nullptr);
            return 0;
        case MCIWNDM_GETMODEA: {
            const std::uint32_t mode = p == nullptr ? MCI_MODE_NOT_READY : p->mode;
            if (l != 0 && w > 0) {
                const char* name = mode == MCI_MODE_PLAY   ? "playing"
                                   : mode == MCI_MODE_STOP ? "stopped"
                                   : mode == MCI_MODE_SEEK ? "seeking"
                                                           : "not ready";
                auto* out = reinterpret_cast<char*>(l);
                std::snprintf(out, w, "%s", name);
            }
            return static_cast<LResult>(mode);
        }
        case MCIWNDM_GETPALETTE:
            if (p == nullptr) return 0;
            return static_cast<LResult>(p->userPalette ? p->userPalette.id : p->clipPalette.id);
        case MCIWNDM_SETPALETTE:
            if (p == nullptr) return MCIERR_NONAPPLICABLE_FUNCTION;
            p->userPalette = HPALETTE{static_cast<std::uint32_t>(w)};
            return 0;
        case MCIWNDM_REALIZE:
            if (p == nullptr) return MCIERR_NONAPPLICABLE_FUNCTION;
            UpdateColours(*p);
            Paint(h, *p);
            return 0;
        default:
            return DefWindowProc(h, m, w, l);
    }
}

bool EnsureClass() {
    if (GetClassInfo({}, MCIWND_WINDOW_CLASS, nullptr)) return true;
    WNDCLASS wc;
    wc.className = MCIWND_WINDOW_CLASS;
    wc.wndProc = VideoProc;
    wc.style = CS_DBLCLKS;
    return RegisterClass(wc) != 0;
}

}  // namespace

HWND MCIWndCreate(HWND parent, HINSTANCE instance, std::uint32_t style, std::string_view file) {
    if (!EnsureClass()) return {};
    if ((style & (WS_CHILD | WS_POPUP | WS_CAPTION)) == 0)
        style |= parent ? (WS_CHILD | WS_BORDER | WS_VISIBLE) : (WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const bool maximised = (style & WS_MAXIMIZE) != 0;
    std::int32_t w = 320, hgt = 240;
    if (maximised) {
        const RECT view = PictureRect();
        w = view.right - view.left;
        hgt = view.bottom - view.top;
    }
    HWND h = CreateWindowEx(0, MCIWND_WINDOW_CLASS, "", style & ~WS_VISIBLE, 0, 0, w, hgt, parent, {}, instance, 0);
    if (!h) return {};
    if (!file.empty()) SendMessage(h, MCIWNDM_OPENA, 0, reinterpret_cast<LParam>(std::string(file).c_str()));
    if (!IsWindow(h)) return {};
    if (style & WS_VISIBLE) ShowWindow(h, maximised ? SW_MAXIMIZE : SW_SHOWNA);
    return h;
}

void SetVideoErrorReporter(std::function<void(HWND, const std::string&)> reporter) {
    theErrorReporter = std::move(reporter);
}

const VideoWindowStats& GetVideoWindowStats() {
    return theStats;
}

void ResetVideoWindowStats() {
    const std::int32_t live = theStats.liveWindows;
    theStats = VideoWindowStats{};
    theStats.liveWindows = live;
}

long VideoWindowFrame(HWND h, const std::uint8_t** pixels, int* width, int* height) {
    const Player* p = Get(h);
    if (p == nullptr || !p->clip || p->shown < 0) return -1;
    if (pixels != nullptr) *pixels = p->picture.data();
    if (width != nullptr) *width = p->clip->width;
    if (height != nullptr) *height = p->clip->height;
    return p->shown;
}

}  // namespace win

// ---- the animation control ------------------------------------------------------------------------

namespace win {
namespace {

struct Animation {
    HWND video;
    long repeats = 0;  // plays left after this one; -1 for ever
    long from = 0;
};
std::unordered_map<std::uint32_t, Animation> theAnimations;

}  // namespace

std::string AnimationFileArgument(std::uint32_t message, LParam l) {
    if (l == 0) return {};
    if (message != ACM_OPENW) return reinterpret_cast<const char*>(l);
    std::string file;
    for (const char16_t* p = reinterpret_cast<const char16_t*>(l); *p != 0; ++p)
        file.push_back(*p < 0x80 ? static_cast<char>(*p) : '?');
    return file;
}

HWND AnimationVideoWindow(HWND animation) {
    auto it = theAnimations.find(animation.id);
    return it == theAnimations.end() ? HWND{} : it->second.video;
}

LResult AnimateProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    Animation& a = theAnimations[h.id];
    switch (m) {
        case ACM_OPENA:
        case ACM_OPENW: {
            if (a.video) DestroyWindow(a.video);
            a.video = {};
            if (l == 0) return 1;
            const std::string file = AnimationFileArgument(m, l);
            RECT r;
            GetClientRect(h, &r);
            a.video = MCIWndCreate(h, {}, WS_CHILD | MCIWNDF_NOPLAYBAR | MCIWNDF_NOTIFYMODE |
                                              MCIWNDF_NOAUTOSIZEWINDOW | MCIWNDF_NOERRORDLG, {});
            if (!a.video) return 0;
            MoveWindow(a.video, 0, 0, r.right, r.bottom, false);
            if (SendMessage(a.video, MCIWNDM_OPENA, 0, reinterpret_cast<LParam>(file.c_str())) != 0) {
                DestroyWindow(a.video);
                a.video = {};
                return 0;
            }
            ShowWindow(a.video, SW_SHOWNA);
            if (GetWindowLong(h, GWL_STYLE) & ACS_AUTOPLAY) SendMessage(h, ACM_PLAY, static_cast<WParam>(-1), 0);
            return 1;
        }
        case ACM_PLAY:
            if (!a.video) return 0;
            a.repeats = static_cast<long>(static_cast<std::intptr_t>(w));
            a.repeats = a.repeats < 0 ? -1 : std::max(0L, a.repeats - 1);
            a.from = LOWORD(static_cast<std::uintptr_t>(l));
            SendMessage(a.video, MCI_SEEK, 0, a.from);
            return SendMessage(a.video, MCI_PLAY, 0, 0) == 0 ? 1 : 0;
        case ACM_STOP:
            a.repeats = 0;
            if (a.video) SendMessage(a.video, MCI_STOP, 0, 0);
            return 1;
        case MCIWNDM_NOTIFYMODE:
            // The clip reached its end: again while plays are left.
            if (a.video && static_cast<std::uint32_t>(l) == MCI_MODE_STOP && a.repeats != 0) {
                if (a.repeats > 0) --a.repeats;
                SendMessage(a.video, MCI_SEEK, 0, a.from);
                SendMessage(a.video, MCI_PLAY, 0, 0);
            }
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCDESTROY:
            theAnimations.erase(h.id);
            return DefWindowProc(h, m, w, l);
        default:
            return DefWindowProc(h, m, w, l);
    }
}

}  // namespace win
