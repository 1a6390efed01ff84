// The owner-draw library's resources: its 256-colour palette, fonts and text styles, the skin
// bitmaps and the frame metrics they replace, and the bitmap drawing around them.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/file_system.h"
#include "ui/owner_draw_library.h"
#include "win/file_api.h"
#include "win/program_entry.h"

namespace ui {

using namespace win;

namespace detail_wpl {
// Shared with the hook's file.
WplOptions theOptions;
bool theEnabled = false;
}  // namespace detail_wpl

namespace {

using detail_wpl::theEnabled;
using detail_wpl::theOptions;

constexpr int kFirstFree = 10;
constexpr int kLastFree = 245;

HPALETTE thePalette;
std::array<COLORREF, 256> theColours{};
int thePaletteMode = 0;
bool thePaletteBackground = false;
std::vector<HPALETTE> thePushed;
std::array<HBITMAP, kSkinBitmapCount + 1> theBitmaps{};
std::array<WplTextStyle, kTextStyleCount + 1> theStyles{};
HBITMAP theAppBitmaps[2];

int MulDivRound(int a, int b, int c) {
    if (c == 0) return 0;
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

PALETTEENTRY Entry(COLORREF c, std::uint8_t flags) {
    return PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), flags};
}

int ScreenDpi() {
    HDC dc = GetDC({});
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC({}, dc);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

// ---- Palette ------------------------------------------------------------------------------------

void wplSetPaletteMode(int mode) {
    thePaletteMode = mode;
    wplCreateSystemPalette();
}

int wplCreateSystemPalette() {
    LOGPALETTE lp;
    lp.palPalEntry.resize(256);
    PALETTEENTRY statics[256];
    GetSystemPaletteEntries({}, 0, 256, statics);
    for (int i = 0; i < 256; ++i) {
        if (i < kFirstFree || i > kLastFree) {
            lp.palPalEntry[i] = PALETTEENTRY{statics[i].peRed, statics[i].peGreen, statics[i].peBlue, 0};
        } else {
            lp.palPalEntry[i] = PALETTEENTRY{0, 0, 0, PC_NOCOLLAPSE};
        }
        theColours[i] = RGB(lp.palPalEntry[i].peRed, lp.palPalEntry[i].peGreen, lp.palPalEntry[i].peBlue);
    }
    if (thePalette) DeleteObject(AsGdiObject(thePalette));
    thePalette = CreatePalette(&lp);
    if (!thePalette) return 0;
    HDC screen = GetDC({});
    HPALETTE old = SelectPalette(screen, thePalette, false);
    RealizePalette(screen);
    SelectPalette(screen, old, false);
    ReleaseDC({}, screen);
    return 1;
}

HPALETTE wplGetPalette() {
    return thePushed.empty() ? thePalette : thePushed.back();
}

HPALETTE wplSetPalette(HPALETTE palette) {
    const HPALETTE previous = theOptions.palette;
    theOptions.palette = palette;
    return previous;
}

void wplReleasePalette() {
    while (!thePushed.empty()) wplPopPalette();
    if (thePalette) DeleteObject(AsGdiObject(thePalette));
    thePalette = HPALETTE{};
}

int wplSetPaletteEntries(int start, int count, const COLORREF* colours) {
    if (count <= 0 || colours == nullptr || start > kLastFree) return 0;
    // Entries below 10 are the system's: a range starting there sets only its free part.
    if (start < kFirstFree) {
        const int skip = kFirstFree - start;
        if (skip >= count) return 0;
        colours += skip;
        count -= skip;
        start = kFirstFree;
    }
    count = std::min(count, kLastFree + 1 - start);
    std::vector<PALETTEENTRY> entries(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        entries[static_cast<std::size_t>(i)] = Entry(colours[i], PC_NOCOLLAPSE);
        theColours[static_cast<std::size_t>(start + i)] = colours[i] & 0xFFFFFF;
    }
    if (thePalette)
        SetPaletteEntries(thePalette, static_cast<unsigned>(start), static_cast<unsigned>(count), entries.data());
    return count;
}

int wplSetPaletteEntry(int index, COLORREF colour) {
    return wplSetPaletteEntries(index, 1, &colour);
}

void wplSetReservedEntries(const PALETTEENTRY* entries) {
    if (entries == nullptr) return;
    for (int i = 0; i < 256; ++i) {
        if (i >= kFirstFree && i <= kLastFree) continue;
        const PALETTEENTRY& e = entries[i];
        theColours[static_cast<std::size_t>(i)] = RGB(e.peRed, e.peGreen, e.peBlue);
        if (thePalette) {
            const PALETTEENTRY kept{e.peRed, e.peGreen, e.peBlue, 0};
            SetPaletteEntries(thePalette, static_cast<unsigned>(i), 1, &kept);
        }
    }
}

COLORREF wplGetPaletteEntry(int index) {
    return index >= 0 && index < 256 ? theColours[static_cast<std::size_t>(index)] : 0;
}

int wplGetPaletteEntries(int start, int count, COLORREF* out) {
    if (start < 0 || count <= 0 || out == nullptr) return 0;
    count = std::min(count, 256 - start);
    for (int i = 0; i < count; ++i) out[i] = theColours[static_cast<std::size_t>(start + i)];
    return count;
}

int wplLoadPaletteBlock(const std::uint8_t* bytes, std::size_t size, int start, int count) {
    // "RIFF" size "PAL " "data" size, version and count, then the colours from byte 24.
    if (bytes == nullptr || size < 28 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "PAL ", 4) != 0)
        return 0;
    const int available = static_cast<int>((size - 24) / 4);
    std::vector<COLORREF> colours(256, 0);
    for (int i = 0; i < std::min(available, 256); ++i) {
        const std::uint8_t* c = bytes + 24 + 4 * i;
        colours[static_cast<std::size_t>(i)] = RGB(c[0], c[1], c[2]);
    }
    if (start < 0 || count <= 0) return 0;
    // Only the colours the block holds are set; an odd-sized block sets fewer.
    count = std::min(count, available - start);
    if (count <= 0) return 0;
    return wplSetPaletteEntries(start, count, colours.data() + start) > 0 ? 1 : 0;
}

int wplLoadPaletteFile(std::string_view path, int start, int count) {
    // A palette file is a few kilobytes: anything larger, or no plain file, is not one.
    std::string bytes;
    if (platform::ReadWholeFile(path, &bytes, 64u << 10) != platform::kFileOk) return 0;
    return wplLoadPaletteBlock(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                               start, count);
}

int wplLoadPaletteResource(HINSTANCE module, std::uint32_t id, std::string_view type) {
    const auto bytes = LoadResourceBytes(module, type, id);
    if (!bytes) return 0;
    return wplLoadPaletteBlock(bytes->data(), bytes->size(), kFirstFree, kLastFree - kFirstFree + 1);
}

void wplPushPalette(HPALETTE palette) {
    thePushed.push_back(palette);
}

void wplPopPalette() {
    if (!thePushed.empty()) thePushed.pop_back();
}

void wplSetPaletteBackground(int flag) {
    thePaletteBackground = flag != 0;
}

int wplGetPaletteBackground() {
    return thePaletteBackground ? 1 : 0;
}

void wplSelectPalette(HDC dc1, HDC dc2, HPALETTE palette) {
    for (HDC dc : {dc1, dc2}) {
        if (!dc || !palette) continue;
        SelectPalette(dc, palette, thePaletteBackground);
        RealizePalette(dc);
    }
}

// ---- Fonts ----------------------------------------------------------------------------------------

namespace {

struct FontSearch {
    std::string wantStyle;
    bool found = false;
    bool any = false;
    LOGFONT exact;
    LOGFONT first;
};

int CollectFont(const ENUMLOGFONT* font, const TEXTMETRIC*, unsigned, LParam param) {
    auto* s = reinterpret_cast<FontSearch*>(param);
    if (!s->any) {
        s->any = true;
        s->first = font->elfLogFont;
    }
    std::string a = font->elfStyle, b = s->wantStyle;
    for (char& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : b) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (a == b) {
        s->found = true;
        s->exact = font->elfLogFont;
        return 0;
    }
    return 1;
}

}  // namespace

HFONT wplCreateFont(HDC dc, std::string_view face, const char* styleName, int size, unsigned flags, int dpi) {
    if (dpi == -1) {
        dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : ScreenDpi();
        if (dpi <= 0) dpi = 96;
    }
    const int height = size > 0 ? -MulDivRound(size, dpi, 72) : size;
    std::string style = styleName != nullptr ? styleName : "";
    if (style.empty()) {
        const unsigned bi = flags & (WPL_FONT_BOLD | WPL_FONT_ITALIC);
        style = bi == (WPL_FONT_BOLD | WPL_FONT_ITALIC) ? "Bold Italic"
                : bi == WPL_FONT_BOLD                   ? "Bold"
                : bi == WPL_FONT_ITALIC                 ? "Italic"
                                                        : "Regular";
    }
    FontSearch search;
    search.wantStyle = style;
    if (!face.empty()) EnumFontFamilies(dc, face, &CollectFont, reinterpret_cast<LParam>(&search));
    LOGFONT lf;
    if (search.found) {
        lf = search.exact;
    } else if (search.any) {
        lf = search.first;
        lf.lfWeight = (style == "Bold" || style == "Bold Italic") ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style == "Italic" || style == "Bold Italic") ? 1 : 0;
    } else {
        if (flags & WPL_FONT_MUST_EXIST) return {};
        // An unknown face: the ANSI variable font, at the size and in the style asked for.
        GetObject(HFONT{static_cast<std::uint32_t>(GetStockObject(ANSI_VAR_FONT).id)}, &lf);
        lf.lfWeight = (flags & WPL_FONT_BOLD) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (flags & WPL_FONT_ITALIC) ? 1 : 0;
    }
    lf.lfHeight = height;
    lf.lfWidth = 0;
    if (flags & WPL_FONT_BOLD) lf.lfWeight = FW_BOLD;
    if (flags & WPL_FONT_ITALIC) lf.lfItalic = 1;
    lf.lfUnderline = (flags & WPL_FONT_UNDERLINE) ? 1 : 0;
    lf.lfStrikeOut = (flags & WPL_FONT_STRIKEOUT) ? 1 : 0;
    return CreateFontIndirect(&lf);
}

namespace {

std::vector<std::string> SplitOn(std::string_view s, char sep) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = s.find(sep, start);
        out.emplace_back(s.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return out;
}

std::string Trim(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.erase(0, 1);
    return s;
}

// A whole number in 0..limit; false for anything else.
bool Number(const std::string& s, int limit, int* out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (end == nullptr || *end != '\0' || v < 0 || v > limit) return false;
    *out = static_cast<int>(v);
    return true;
}

}  // namespace

WplTextStyle wplParseTextStyle(std::string_view text) {
    WplTextStyle style;
    text = text.substr(0, kTextStyleMaxLength);
    for (const std::string& raw : SplitOn(text, ';')) {
        if (style.entries.size() >= kTextStyleMaxEntries) break;
        const std::string entry = Trim(raw);
        if (entry.empty()) continue;
        const std::vector<std::string> f = SplitOn(entry, ',');
        auto field = [&](std::size_t i) { return i < f.size() ? Trim(f[i]) : std::string(); };
        WplTextEntry e;
        int r = 0, g = 0, b = 0;
        // The colour counts once its blue field was read; a bad value leaves it out.
        if (f.size() >= 3 && Number(field(0), 255, &r) && Number(field(1), 255, &g) && Number(field(2), 255, &b)) {
            e.hasColour = true;
            e.colour = RGB(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b));
        }
        const std::string face = field(3).substr(0, 80);
        std::string styleName = field(4);
        if (styleName == "Normal") styleName.clear();
        int points = 0;
        if (!Number(field(5), 200, &points) || points == 0) points = 8;
        const std::string align = field(6);
        if (!align.empty()) {
            const char a = static_cast<char>(std::toupper(static_cast<unsigned char>(align[0])));
            style.alignment = a == 'L' ? 1 : a == 'R' ? 2 : a == 'C' ? 4 : style.alignment;
        }
        int dpi = -1;
        if ((theOptions.flags & WPL_DPI_FIXUP) && theOptions.designDpi != 0) dpi = static_cast<int>(theOptions.designDpi);
        e.font = wplCreateFont({}, face.empty() ? "Sans Serif" : face, styleName.empty() ? nullptr : styleName.c_str(),
                               points, 0, dpi);
        style.entries.push_back(e);
    }
    return style;
}

void wplFreeTextStyle(WplTextStyle& style) {
    for (WplTextEntry& e : style.entries)
        if (e.font) DeleteObject(AsGdiObject(e.font));
    style.entries.clear();
    style.alignment = 0;
}

const WplTextStyle& wplGetTextStyle(int index) {
    static const WplTextStyle empty;
    return index >= 0 && index < kTextStyleCount ? theStyles[static_cast<std::size_t>(index)] : empty;
}

HFONT wplStyleFont(int index, HFONT fallback) {
    const WplTextStyle& s = wplGetTextStyle(index);
    return !s.entries.empty() && s.entries[0].font ? s.entries[0].font : fallback;
}

COLORREF wplStyleColour(int index, int sysColourFallback) {
    const WplTextStyle& s = wplGetTextStyle(index);
    return !s.entries.empty() && s.entries[0].hasColour ? s.entries[0].colour : GetSysColor(sysColourFallback);
}

int wplGetAverageCharWidth(HDC dc) {
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SIZE s;
    GetTextExtentPoint32(dc, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", &s);
    return (s.cx / 26 + 1) / 2;
}

int wplGetStringExtent(HDC dc, std::string_view text) {
    if (text.empty()) return 0;
    SIZE s;
    GetTextExtentPoint32(dc, text, &s);
    ABC first, last;
    const auto c0 = static_cast<unsigned char>(text.front()), c1 = static_cast<unsigned char>(text.back());
    if (GetCharABCWidths(dc, c0, c0, &first) && GetCharABCWidths(dc, c1, c1, &last))
        return s.cx - std::max(0, -first.abcA) - std::max(0, -last.abcC);
    return s.cx;
}

// ---- Bitmaps --------------------------------------------------------------------------------------

HBITMAP wplLoadBitmapResource(HINSTANCE module, std::uint32_t id) {
    if (theOptions.bitmapCallback != nullptr) return theOptions.bitmapCallback(id);
    if (!module) return {};
    return LoadBitmap(module, id);
}

int wplLoadResources(HINSTANCE module, std::uint32_t firstId) {
    GlobalAddAtom("MENUWASUP");
    // The application module carries no resources: these two stay empty.
    theAppBitmaps[0] = HBITMAP{};
    theAppBitmaps[1] = HBITMAP{};
    for (int i = 1; i <= kSkinBitmapCount; ++i)
        theBitmaps[static_cast<std::size_t>(i)] = wplLoadBitmapResource(module, firstId + static_cast<std::uint32_t>(i));
    for (int k = 0; k < kTextStyleCount; ++k) {
        wplFreeTextStyle(theStyles[static_cast<std::size_t>(k)]);
        std::string text;
        if (module && LoadString(module, firstId + 501 + static_cast<std::uint32_t>(k), &text) > 0)
            theStyles[static_cast<std::size_t>(k)] = wplParseTextStyle(text);
    }
    return 1;
}

void wplFreeResources() {
    for (HBITMAP& b : theBitmaps) {
        if (b) DeleteObject(AsGdiObject(b));
        b = HBITMAP{};
    }
    for (WplTextStyle& s : theStyles) wplFreeTextStyle(s);
    GlobalDeleteAtom(GlobalFindAtom("MENUWASUP"));
}

HBITMAP wplGetBitmap(int index) {
    return index >= 1 && index <= kSkinBitmapCount ? theBitmaps[static_cast<std::size_t>(index)] : HBITMAP{};
}

SIZE wplBitmapSize(HBITMAP bitmap) {
    BITMAP bm;
    if (!bitmap || !GetObject(bitmap, &bm)) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

int wplGetSystemMetrics(int index) {
    if (!theEnabled) return GetSystemMetrics(index);
    auto fromBitmap = [&](int bitmap, bool width) {
        const SIZE s = wplBitmapSize(wplGetBitmap(bitmap));
        const int v = width ? s.cx : s.cy;
        return v > 0 ? v : GetSystemMetrics(index);
    };
    switch (index) {
        case SM_CYCAPTION:
            return fromBitmap(kSkinCaption, false);
        case SM_CXBORDER:
            return fromBitmap(kSkinBorderV, true);
        case SM_CYBORDER:
            return fromBitmap(kSkinBorderH, false);
        case SM_CXDLGFRAME:
            return fromBitmap(kSkinDialogFrameV, true);
        case SM_CYDLGFRAME:
            return fromBitmap(kSkinDialogFrameH, false);
        case SM_CYMENU:
            return fromBitmap(kSkinMenuMetric, false);
        case SM_CXFRAME:
            return fromBitmap(kSkinFrameV, true);
        case SM_CYFRAME:
            return fromBitmap(kSkinFrameH, false);
        default:
            return GetSystemMetrics(index);
    }
}

void wplDrawBitmap(HDC dc, HBITMAP bitmap, int dx, int dy, int sx, int sy, int w, int h, bool transparent) {
    if (!dc || !bitmap || w <= 0 || h <= 0) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, AsGdiObject(bitmap));
    if (transparent || (theOptions.flags & WPL_TRANSPARENT))
        TransparentBlt(dc, dx, dy, w, h, source, sx, sy, w, h, theOptions.transparentColour);
    else
        BitBlt(dc, dx, dy, w, h, source, sx, sy, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void wplStretchBitmap(HDC dc, HBITMAP bitmap, const RECT& dest, int sx, int sy, int w, int h, bool transparent) {
    if (!dc || !bitmap || w <= 0 || h <= 0) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, AsGdiObject(bitmap));
    const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    if (transparent || (theOptions.flags & WPL_TRANSPARENT)) {
        TransparentBlt(dc, dest.left, dest.top, dw, dh, source, sx, sy, w, h, theOptions.transparentColour);
    } else {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, dest.left, dest.top, dw, dh, source, sx, sy, w, h, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

void wplTileBitmap(HDC dc, HBITMAP bitmap, const RECT& area, int flags) {
    const SIZE s = wplBitmapSize(bitmap);
    if (s.cx <= 0 || s.cy <= 0) return;
    const int stepX = (flags & 2) ? s.cx : area.right - area.left;
    const int stepY = (flags & 1) ? s.cy : area.bottom - area.top;
    if (stepX <= 0 || stepY <= 0) return;
    for (int y = area.top; y < area.bottom; y += stepY)
        for (int x = area.left; x < area.right; x += stepX) {
            const int w = std::min({stepX, s.cx, static_cast<int>(area.right - x)});
            const int h = std::min({stepY, s.cy, static_cast<int>(area.bottom - y)});
            wplDrawBitmap(dc, bitmap, x, y, 0, 0, w, h, false);
        }
}

POINT wplAlignSize(SIZE size, const RECT& area, unsigned flags) {
    POINT p{area.left, area.top};
    if (flags & 2) p.x = area.right - size.cx;
    if (flags & 4) p.x = area.left + (area.right - area.left - size.cx) / 2;
    if (flags & 32) p.y = area.bottom - size.cy;
    if (flags & 64) p.y = area.top + (area.bottom - area.top - size.cy) / 2;
    return p;
}

}  // namespace ui
