// The compositor. The output is the 640×480 area the platform shows: on a screen no larger than
// that it is the screen itself (so the program's own placement decides whether caption and menu
// band are in view, as in full screen); on a larger screen it is the display window's client,
// with the menu band laid over its top rows, since the platform window has room only for the
// picture.
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"
#include "platform/palette_lut.h"
#include "win/window_internal.h"

namespace win {
namespace {

using detail::Find;
using detail::S;
using detail::WindowData;

constexpr int kW = platform::kFrameWidth;
constexpr std::uint32_t kTransparentExStyle = 0x20;  // WS_EX_TRANSPARENT
constexpr int kH = platform::kFrameHeight;

HWND theDisplay;
NonClientPainter thePainter;
bool theDirty = true;
std::uint64_t theLastSignature = 0;
bool theLastIndexed = false;
HWND theLastIndexedWindow;
std::uint32_t theLastPaletteSerial = 0;
std::string theVideoTitle;
bool theVideoFullScreen = false;
// The display window whose moves the others follow, and where its picture was last seen.
HWND theFollowed;
POINT theFollowedOrigin;

bool Windowed() {
    if (S().screenWidth <= kW && S().screenHeight <= kH) return false;
    // A maximised display window is the program's full screen: the output is its client's
    // first 640×480 pixels, as on a screen of that size, and the menu band lies above them
    // until the program brings it down.
    const WindowData* d = Find(GetDisplayWindow());
    return d == nullptr || (d->style & WS_MAXIMIZE) == 0;
}

void FillRect(const ComposeTarget& t, RECT r, std::uint32_t colour) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, t.width);
    r.bottom = std::min(r.bottom, t.height);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            t.pixels[y * t.pitch + x] = colour;
}

void DefaultPainter(HWND hwnd, const ComposeTarget& t, const RECT& wr, const RECT& band) {
    WindowData* w = Find(hwnd);
    if (w == nullptr) return;
    detail::Insets in = detail::NonClientInsets(*w);
    if (in.frame > 0 || in.caption > 0) FillRect(t, wr, 0xC0C0C0);
    if (in.caption > 0) {
        const bool active = S().active == hwnd;
        FillRect(t,
                 RECT{wr.left + in.frame, wr.top + in.frame, wr.right - in.frame,
                      wr.top + in.frame + in.caption},
                 active ? 0x000080 : 0x808080);
    }
    if (band.bottom > band.top) FillRect(t, band, 0xD4D0C8);
}

void Mix(std::uint64_t& h, std::uint64_t v) {
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
}

void HashTree(std::uint64_t& h, const WindowData& w) {
    Mix(h, w.handle.id);
    Mix(h, w.style);
    Mix(h, (static_cast<std::uint64_t>(static_cast<std::uint32_t>(w.rect.left)) << 32) |
               static_cast<std::uint32_t>(w.rect.top));
    Mix(h, (static_cast<std::uint64_t>(static_cast<std::uint32_t>(w.rect.right)) << 32) |
               static_cast<std::uint32_t>(w.rect.bottom));
    Mix(h, w.surface.contentSerial);
    Mix(h, w.menu.id);
    Mix(h, std::hash<std::string>()(w.text));
    for (HWND c : w.children)
        if (WindowData* cw = Find(c); cw != nullptr && (cw->style & WS_VISIBLE)) HashTree(h, *cw);
}

// `count` indices of an 8-bit surface as the output's 0x00RRGGBB pixels.
void IndicesToPixels(const std::array<std::uint32_t, 256>& palette, const std::uint8_t* from,
                     std::uint32_t* to, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        to[i] = palette[from[i]] & 0xFFFFFF;
}

// Draws a window's client surface and then its visible children, clipped to `clip`.
void DrawClientTree(const ComposeTarget& t, const WindowData& w, POINT origin, RECT clip) {
    RECT c = detail::ClientRectScreen(w);
    const int ox = c.left - origin.x, oy = c.top - origin.y;
    const WindowSurface& s = w.surface;
    RECT area{std::max(ox, clip.left), std::max(oy, clip.top), std::min(ox + s.width, clip.right),
              std::min(oy + s.height, clip.bottom)};
    if (area.right > area.left && area.bottom > area.top) {
        for (int y = area.top; y < area.bottom; ++y) {
            std::uint32_t* d = t.pixels + y * t.pitch;
            const std::size_t row = static_cast<std::size_t>(y - oy) * s.width;
            if (s.format == SurfaceFormat::Indexed8) {
                IndicesToPixels(s.palette, &s.indices[row + (area.left - ox)], d + area.left,
                                static_cast<std::size_t>(area.right - area.left));
            } else if (w.exStyle & kTransparentExStyle) {
                // A transparent window's untouched pixels show what lies beneath.
                for (int x = area.left; x < area.right; ++x) {
                    const std::uint32_t p = s.pixels[row + (x - ox)];
                    if ((p >> 24) != 0xFF) d[x] = p & 0xFFFFFF;
                }
            } else {
                for (int x = area.left; x < area.right; ++x)
                    d[x] = s.pixels[row + (x - ox)] & 0xFFFFFF;
            }
        }
    }
    RECT childClip{std::max(ox, clip.left), std::max(oy, clip.top),
                   std::min(ox + s.width, clip.right), std::min(oy + s.height, clip.bottom)};
    // Children are kept top first; draw bottom up.
    for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
        WindowData* cw = Find(*it);
        if (cw == nullptr || !(cw->style & WS_VISIBLE)) continue;
        detail::Insets in = detail::NonClientInsets(*cw);
        if (in.frame > 0 || in.caption > 0) {
            RECT wr{cw->rect.left - origin.x, cw->rect.top - origin.y, cw->rect.right - origin.x,
                    cw->rect.bottom - origin.y};
            if (thePainter)
                thePainter(cw->handle, t, wr, RECT{});
            else
                DefaultPainter(cw->handle, t, wr, RECT{});
        }
        DrawClientTree(t, *cw, origin, childClip);
    }
}

// Paints a top-level window's frame, caption and menu band.
void PaintNonClient(const ComposeTarget& t, const WindowData& w, POINT origin, int bandShift) {
    RECT wr{w.rect.left - origin.x, w.rect.top - origin.y + bandShift, w.rect.right - origin.x,
            w.rect.bottom - origin.y + bandShift};
    RECT band{};
    if (const int h = detail::MenuBandHeight(w.handle); h > 0) {
        RECT c = detail::ClientRectScreen(w);
        band = RECT{c.left - origin.x, c.top - h - origin.y + bandShift, c.right - origin.x,
                    c.top - origin.y + bandShift};
    }
    if (thePainter)
        thePainter(w.handle, t, wr, band);
    else
        DefaultPainter(w.handle, t, wr, band);
}

void DrawTopLevel(const ComposeTarget& t, const WindowData& w, POINT origin, int bandShift) {
    // The client first when the band lies over it (windowed display), else the frame first.
    if (bandShift != 0) {
        DrawClientTree(t, w, origin, RECT{0, 0, t.width, t.height});
        PaintNonClient(t, w, origin, bandShift);
    } else {
        PaintNonClient(t, w, origin, bandShift);
        DrawClientTree(t, w, origin, RECT{0, 0, t.width, t.height});
    }
}

bool Intersects(const RECT& r, POINT origin) {
    return r.right > origin.x && r.left < origin.x + kW && r.bottom > origin.y &&
           r.top < origin.y + kH;
}

// The display window alone, 8-bit, exactly covering the output, with the menu band laid over its
// top rows when `bandAllowed` (a windowed display), else without one.
WindowData* IndexedPictureAlone(bool bandAllowed) {
    WindowData* d = Find(GetDisplayWindow());
    if (d == nullptr || !(d->style & WS_VISIBLE) || (d->style & WS_MINIMIZE)) return nullptr;
    if (d->surface.format != SurfaceFormat::Indexed8 || d->surface.width != kW ||
        d->surface.height != kH)
        return nullptr;
    const POINT origin = OutputOrigin();
    RECT c = detail::ClientRectScreen(*d);
    if (c.left != origin.x || c.top != origin.y) return nullptr;
    if (detail::MenuBandHeight(d->handle) > 0 && Windowed() != bandAllowed) return nullptr;
    for (HWND ch : d->children)
        if (WindowData* cw = Find(ch); cw != nullptr && (cw->style & WS_VISIBLE)) return nullptr;
    for (HWND h : S().topLevel) {
        const WindowData* w = Find(h);
        if (w == nullptr || w == d || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE))
            continue;
        if (Intersects(w->rect, origin)) return nullptr;
    }
    return d;
}

// Alone without a band: it can go out as indices.
WindowData* IndexedOnly() {
    return IndexedPictureAlone(false);
}

// The last frame composed from the display window's 8-bit picture under the menu band (the
// windowed display in a flight): the next such frame converts only the picture's rows that
// changed, and paints the band again over them; the screen is told which rows those were. The
// frame's painter draws nothing of the client but the band.
struct BandedFrame {
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> changed;  // a byte a row: 1 where this frame differs from the last
    platform::ChangedRows rows;
    std::uint32_t paletteSerial = 0;
    bool valid = false;
};
BandedFrame theBandedFrame;

const std::uint32_t* ComposeBanded(const WindowData& d) {
    BandedFrame& f = theBandedFrame;
    const WindowSurface& s = d.surface;
    const bool all = !f.valid || f.paletteSerial != s.paletteSerial;
    f.pixels.resize(static_cast<std::size_t>(kW) * kH);
    f.changed.assign(static_cast<std::size_t>(kH), 0);
    f.rows.Take(s.indices.data(), kW, kW, kH, all);
    // The band's rows hold last frame's band: they are drawn again whatever changed.
    const int band = std::min(detail::MenuBandHeight(d.handle), kH);
    for (int y = 0; y < kH; ++y) {
        if (y >= band && !f.rows.Differs(y)) continue;
        f.changed[static_cast<std::size_t>(y)] = 1;
        IndicesToPixels(s.palette, &s.indices[static_cast<std::size_t>(y) * kW],
                        &f.pixels[static_cast<std::size_t>(y) * kW], kW);
    }
    // Of the frame only the band lies in the output (caption and borders lie outside it).
    PaintNonClient(ComposeTarget{f.pixels.data(), kW, band, kW}, d, OutputOrigin(), band);
    f.paletteSerial = s.paletteSerial;
    f.valid = true;
    return f.pixels.data();
}

std::uint64_t Signature() {
    std::uint64_t h = 0;
    Mix(h, GetDisplayWindow().id);
    Mix(h, static_cast<std::uint64_t>(S().active.id));
    for (HWND top : S().topLevel)
        if (WindowData* w = Find(top); w != nullptr && (w->style & WS_VISIBLE)) HashTree(h, *w);
    return h;
}

void WriteU16(std::string* f, std::uint16_t v) {
    f->push_back(static_cast<char>(v));
    f->push_back(static_cast<char>(v >> 8));
}
void WriteU32(std::string* f, std::uint32_t v) {
    WriteU16(f, static_cast<std::uint16_t>(v));
    WriteU16(f, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

namespace detail {

void FollowDisplayWindow(HWND moved) {
    if (moved != GetDisplayWindow()) return;
    const WindowData* d = Find(moved);
    if (d == nullptr) return;
    const POINT origin = OutputOrigin();
    // The other windows (dialogs, help, menus) are shown only within the picture: they keep
    // their place on it when it moves.
    if (theFollowed == moved && origin != theFollowedOrigin) {
        const int dx = origin.x - theFollowedOrigin.x, dy = origin.y - theFollowedOrigin.y;
        const std::vector<HWND> others = S().topLevel;
        for (HWND h : others) {
            const WindowData* w = Find(h);
            if (w == nullptr || h == moved) continue;
            SetWindowPos(h, {}, w->rect.left + dx, w->rect.top + dy, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    theFollowed = moved;
    theFollowedOrigin = origin;
    if (Windowed() && !(d->style & WS_MINIMIZE))
        platform::CurrentBackend().GetVideo().SetWindowPosition(origin.x, origin.y);
}

void DisplayWindowMovedTo(POINT pictureTopLeft) {
    const HWND display = GetDisplayWindow();
    const WindowData* d = Find(display);
    if (d == nullptr || !Windowed() || (d->style & WS_MINIMIZE)) return;
    const POINT origin = OutputOrigin();
    const int dx = pictureTopLeft.x - origin.x, dy = pictureTopLeft.y - origin.y;
    if (dx == 0 && dy == 0) return;
    // Moved with its size, as a drag by the caption moves it: the window's own handling of the
    // change decides the place it takes (and may round it), and the platform's window follows.
    MoveWindow(display, d->rect.left + dx, d->rect.top + dy, d->rect.right - d->rect.left,
               d->rect.bottom - d->rect.top, true);
}

}  // namespace detail

void SetNonClientPainter(NonClientPainter painter) {
    thePainter = std::move(painter);
    theDirty = true;
}

NonClientPainter GetNonClientPainter() {
    return thePainter;
}

void SetDisplayWindow(HWND hwnd) {
    theDisplay = hwnd;
    theDirty = true;
}

HWND GetDisplayWindow() {
    if (Find(theDisplay) != nullptr) return theDisplay;
    // The first overlapped top-level window made (lowest handle) is the program's main window.
    HWND best;
    for (HWND h : S().topLevel) {
        WindowData* w = Find(h);
        if (w == nullptr || (w->style & WS_POPUP) || w->destroying) continue;
        if (!best || h.id < best.id) best = h;
    }
    return best;
}

POINT OutputOrigin() {
    if (!Windowed()) return POINT{0, 0};
    const WindowData* d = Find(GetDisplayWindow());
    if (d == nullptr) return POINT{0, 0};
    RECT c = detail::ClientRectScreen(*d);
    return POINT{c.left, c.top};
}

RECT PictureRect() {
    const POINT origin = OutputOrigin();
    return RECT{origin.x, origin.y, origin.x + kW, origin.y + kH};
}

POINT KeepWithinPicture(HWND hwnd, POINT topLeft) {
    RECT r;
    if (!GetWindowRect(hwnd, &r)) return topLeft;
    const RECT picture = PictureRect();
    const int w = r.right - r.left, h = r.bottom - r.top;
    POINT p = topLeft;
    p.x = std::max(std::min(p.x, picture.right - w), picture.left);
    // In a window the menu band lies over the picture's top rows and takes the mouse there: a
    // dialog that fits below it stays below it, where its caption and close box can be reached.
    const int band = Windowed() ? detail::MenuBandHeight(GetDisplayWindow()) : 0;
    const int top = picture.bottom - h >= picture.top + band ? picture.top + band : picture.top;
    p.y = std::max(std::min(p.y, picture.bottom - h), top);
    return p;
}

POINT OutputToScreen(int x, int y) {
    const POINT origin = OutputOrigin();
    POINT p{x + origin.x, y + origin.y};
    // On a larger screen the band lies over the picture's top rows: points there are the band's.
    if (Windowed()) {
        const int band = detail::MenuBandHeight(GetDisplayWindow());
        if (y >= 0 && y < band) p.y -= band;
    }
    return p;
}

int MenuBandDrop(HWND hwnd) {
    if (!Windowed() || hwnd != GetDisplayWindow()) return 0;
    return detail::MenuBandHeight(hwnd);
}

void RequestPresent() {
    theDirty = true;
}

ComposedFrame ComposeFrame() {
    ComposedFrame f;
    f.pixels.assign(static_cast<std::size_t>(kW) * kH, 0);
    if (const WindowData* d = IndexedOnly()) {
        f.indexed = true;
        f.indices = d->surface.indices;
        f.palette = d->surface.palette;
        IndicesToPixels(f.palette, f.indices.data(), f.pixels.data(), f.indices.size());
        return f;
    }
    ComposeTarget t{f.pixels.data(), kW, kH, kW};
    const POINT origin = OutputOrigin();
    const HWND display = GetDisplayWindow();
    const int bandShift = Windowed() ? detail::MenuBandHeight(display) : 0;
    // Bottom of the z-order first.
    std::vector<HWND> order(S().topLevel.rbegin(), S().topLevel.rend());
    for (HWND h : order) {
        const WindowData* w = Find(h);
        if (w == nullptr || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE)) continue;
        DrawTopLevel(t, *w, origin, h == display ? bandShift : 0);
    }
    return f;
}

bool PresentNow() {
    namespace pf = platform;
    pf::Video& video = pf::CurrentBackend().GetVideo();
    const WindowData* display = Find(GetDisplayWindow());
    if (!video.IsOpen()) {
        // The machine's window opens when the program first shows its main window.
        if (display == nullptr || !(display->style & WS_VISIBLE)) return false;
        pf::VideoOptions options;
        options.title = display->text;
        options.fullScreen = (display->style & WS_MAXIMIZE) != 0;
        if (!video.Open(options)) return false;
        theVideoTitle = display->text;
        theVideoFullScreen = options.fullScreen;
        theDirty = true;
    }
    if (display != nullptr) {
        // A maximised main window is the program's full screen; its title is the window's.
        const bool full = (display->style & WS_MAXIMIZE) != 0;
        if (full != theVideoFullScreen) {
            theVideoFullScreen = full;
            video.SetFullScreen(full);
            theDirty = true;  // the screen's new size takes the whole picture
        }
        if (display->text != theVideoTitle) {
            theVideoTitle = display->text;
            video.SetTitle(theVideoTitle);
        }
    }
    const std::uint64_t sig = Signature();
    WindowData* indexed = IndexedOnly();
    if (!theDirty && sig == theLastSignature) {
        // Nothing was drawn; only the colours may have changed, and then the same picture goes
        // out again in its new colours.
        if (indexed == nullptr || !theLastIndexed ||
            indexed->surface.paletteSerial == theLastPaletteSerial)
            return false;
    }
    theDirty = false;
    theLastSignature = sig;
    const bool sameIndexed =
        theLastIndexed && indexed != nullptr && indexed->handle == theLastIndexedWindow;
    theLastIndexed = indexed != nullptr;
    if (indexed != nullptr) {
        theLastPaletteSerial = indexed->surface.paletteSerial;
        theLastIndexedWindow = indexed->handle;
        theBandedFrame.valid = false;
        // When the screen took this picture last and only the whole-picture copy drew on it
        // since, the rows that copy changed are all that can differ.
        WindowSurface& s = indexed->surface;
        const bool known = sameIndexed && s.rowsSerial == s.contentSerial &&
                           s.rowsChanged.size() == static_cast<std::size_t>(kH);
        const bool shown =
            video.Present8(s.indices.data(), kW, s.palette, known ? s.rowsChanged.data() : nullptr);
        s.rowsChanged.assign(static_cast<std::size_t>(kH), 0);
        s.rowsSerial = s.contentSerial;
        return shown;
    }
    if (const WindowData* banded = IndexedPictureAlone(true)) {
        const std::uint32_t* pixels = ComposeBanded(*banded);
        const bool shown = video.Present32(pixels, kW, theBandedFrame.changed.data());
        // A frame the screen did not take is no measure of what it shows: the next goes whole.
        if (!shown) theBandedFrame.valid = false;
        return shown;
    }
    theBandedFrame.valid = false;
    ComposedFrame f = ComposeFrame();
    return video.Present32(f.pixels.data(), kW);
}

bool WriteScreenshotBmp(const std::string& path) {
    ComposedFrame f = ComposeFrame();
    std::string bytes;
    std::string* const file = &bytes;
    const std::uint32_t rowBytes = f.indexed ? kW : ((kW * 3 + 3) & ~3u);
    const std::uint32_t paletteBytes = f.indexed ? 1024 : 0;
    const std::uint32_t offset = 14 + 40 + paletteBytes;
    const std::uint32_t imageBytes = rowBytes * kH;
    file->append(reinterpret_cast<const char*>("BM"), 2);
    WriteU32(file, offset + imageBytes);
    WriteU32(file, 0);
    WriteU32(file, offset);
    WriteU32(file, 40);
    WriteU32(file, kW);
    WriteU32(file, kH);  // bottom-up rows
    WriteU16(file, 1);
    WriteU16(file, f.indexed ? 8 : 24);
    WriteU32(file, 0);
    WriteU32(file, imageBytes);
    WriteU32(file, 2835);
    WriteU32(file, 2835);
    WriteU32(file, f.indexed ? 256 : 0);
    WriteU32(file, 0);
    std::vector<unsigned char> row(rowBytes, 0);
    if (f.indexed) {
        for (std::uint32_t c : f.palette) {
            const unsigned char q[4] = {static_cast<unsigned char>(c),
                                        static_cast<unsigned char>(c >> 8),
                                        static_cast<unsigned char>(c >> 16), 0};
            file->append(reinterpret_cast<const char*>(q), 4);
        }
        for (int y = kH - 1; y >= 0; --y)
            file->append(reinterpret_cast<const char*>(&f.indices[static_cast<std::size_t>(y) * kW]), kW);
    } else {
        for (int y = kH - 1; y >= 0; --y) {
            for (int x = 0; x < kW; ++x) {
                const std::uint32_t c = f.pixels[static_cast<std::size_t>(y) * kW + x];
                row[x * 3] = static_cast<unsigned char>(c);
                row[x * 3 + 1] = static_cast<unsigned char>(c >> 8);
                row[x * 3 + 2] = static_cast<unsigned char>(c >> 16);
            }
            file->append(reinterpret_cast<const char*>(row.data()), rowBytes);
        }
    }
    // Written whole beside the file and renamed over it: a pipe or a device of the name is
    // refused, never waited on.
    return platform::ReplaceFileAtomically(path, bytes, false) == platform::kFileOk;
}

namespace detail {
void PresentIfChanged() {
    PresentNow();
}
}  // namespace detail

}  // namespace win
