// The drawing layer: device contexts over windows and over memory bitmaps, with the GDI calls
// the program draws with. A window DC draws into the window's surface (window_surface.h); a
// memory DC into the bitmap selected into it, 8-bit with a colour table or 32-bit.
//
// Colours are COLORREF words 0x00BBGGRR; PALETTEINDEX(i) (0x010000ii) names an entry of the
// selected palette. On an 8-bit target every RGB colour becomes the nearest entry of the
// target's colour table (the lowest index wins a tie), as on a 256-colour display.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win/font.h"
#include "win/handles.h"
#include "win/window.h"

namespace win {

using HGDIOBJ = Handle<struct GdiObjectTag>;
using HBITMAP = Handle<struct BitmapTag>;
using HFONT = Handle<struct FontTag>;
using HPALETTE = Handle<struct PaletteTag>;
using HPEN = Handle<struct PenTag>;

// Every GDI object lives in one handle space, so a typed handle and its HGDIOBJ share a number.
template <class Tag>
constexpr HGDIOBJ AsGdiObject(Handle<Tag> h) {
    return HGDIOBJ{h.id};
}

// ---- Colours --------------------------------------------------------------------------------
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF c) {
    return static_cast<std::uint8_t>(c);
}
constexpr std::uint8_t GetGValue(COLORREF c) {
    return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t GetBValue(COLORREF c) {
    return static_cast<std::uint8_t>(c >> 16);
}
constexpr COLORREF PALETTEINDEX(std::uint16_t i) {
    return 0x01000000u | i;
}
constexpr COLORREF PALETTERGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return 0x02000000u | RGB(r, g, b);
}
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
    friend constexpr bool operator==(RGBQUAD, RGBQUAD) = default;
};

struct PALETTEENTRY {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;
    friend constexpr bool operator==(PALETTEENTRY, PALETTEENTRY) = default;
};
inline constexpr std::uint8_t PC_RESERVED = 0x01;
inline constexpr std::uint8_t PC_EXPLICIT = 0x02;
inline constexpr std::uint8_t PC_NOCOLLAPSE = 0x04;

// The logical palette: palVersion 0x300 and up to 256 entries.
struct LOGPALETTE {
    std::uint16_t palVersion = 0x300;
    std::vector<PALETTEENTRY> palPalEntry;
};

// ---- Bitmaps --------------------------------------------------------------------------------
inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_RLE8 = 1;
inline constexpr std::uint32_t BI_RLE4 = 2;
inline constexpr std::uint32_t BI_BITFIELDS = 3;
inline constexpr std::uint32_t DIB_RGB_COLORS = 0;
inline constexpr std::uint32_t DIB_PAL_COLORS = 1;

struct BITMAPINFOHEADER {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // negative: rows run top-down
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = BI_RGB;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    std::array<RGBQUAD, 256> bmiColors{};  // 8-bit: the colour table (biClrUsed, 0 = 256)
};

struct BITMAP {
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 1;
    std::uint16_t bmBitsPixel = 0;
    void* bmBits = nullptr;
};

// ---- Raster operations, modes, stock objects, system colours --------------------------------
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;
inline constexpr std::uint32_t SRCAND = 0x008800C6;
inline constexpr std::uint32_t SRCINVERT = 0x00660046;
inline constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
inline constexpr std::uint32_t DSTINVERT = 0x00550009;
inline constexpr std::uint32_t PATCOPY = 0x00F00021;
inline constexpr std::uint32_t BLACKNESS = 0x00000042;
inline constexpr std::uint32_t WHITENESS = 0x00FF0062;

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;

inline constexpr std::uint32_t TA_NOUPDATECP = 0;
inline constexpr std::uint32_t TA_UPDATECP = 1;
inline constexpr std::uint32_t TA_LEFT = 0;
inline constexpr std::uint32_t TA_RIGHT = 2;
inline constexpr std::uint32_t TA_CENTER = 6;
inline constexpr std::uint32_t TA_TOP = 0;
inline constexpr std::uint32_t TA_BOTTOM = 8;
inline constexpr std::uint32_t TA_BASELINE = 24;

inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int OEM_FIXED_FONT = 10;
inline constexpr int ANSI_FIXED_FONT = 11;
inline constexpr int ANSI_VAR_FONT = 12;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEVICE_DEFAULT_FONT = 14;
inline constexpr int DEFAULT_PALETTE = 15;
inline constexpr int SYSTEM_FIXED_FONT = 16;
inline constexpr int DEFAULT_GUI_FONT = 17;

inline constexpr int PS_SOLID = 0;
inline constexpr int PS_NULL = 5;

inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int COLOR_BACKGROUND = 1;
inline constexpr int COLOR_ACTIVECAPTION = 2;
inline constexpr int COLOR_INACTIVECAPTION = 3;
inline constexpr int COLOR_MENU = 4;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_MENUTEXT = 7;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_CAPTIONTEXT = 9;
inline constexpr int COLOR_ACTIVEBORDER = 10;
inline constexpr int COLOR_INACTIVEBORDER = 11;
inline constexpr int COLOR_APPWORKSPACE = 12;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;

// GetDeviceCaps indexes.
inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int NUMCOLORS = 24;
inline constexpr int RASTERCAPS = 38;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
inline constexpr int SIZEPALETTE = 104;
inline constexpr int NUMRESERVED = 106;
inline constexpr int COLORRES = 108;
inline constexpr int RC_PALETTE = 0x0100;

// DrawText formats.
inline constexpr std::uint32_t DT_TOP = 0x0000;
inline constexpr std::uint32_t DT_LEFT = 0x0000;
inline constexpr std::uint32_t DT_CENTER = 0x0001;
inline constexpr std::uint32_t DT_RIGHT = 0x0002;
inline constexpr std::uint32_t DT_VCENTER = 0x0004;
inline constexpr std::uint32_t DT_BOTTOM = 0x0008;
inline constexpr std::uint32_t DT_WORDBREAK = 0x0010;
inline constexpr std::uint32_t DT_SINGLELINE = 0x0020;
inline constexpr std::uint32_t DT_EXPANDTABS = 0x0040;
inline constexpr std::uint32_t DT_NOCLIP = 0x0100;
inline constexpr std::uint32_t DT_CALCRECT = 0x0400;
inline constexpr std::uint32_t DT_NOPREFIX = 0x0800;
inline constexpr std::uint32_t DT_HIDEPREFIX = 0x00100000;

inline constexpr std::uint32_t ETO_OPAQUE = 0x0002;
inline constexpr std::uint32_t ETO_CLIPPED = 0x0004;

struct TEXTMETRIC {
    std::int32_t tmHeight = 0;
    std::int32_t tmAscent = 0;
    std::int32_t tmDescent = 0;
    std::int32_t tmInternalLeading = 0;
    std::int32_t tmExternalLeading = 0;
    std::int32_t tmAveCharWidth = 0;
    std::int32_t tmMaxCharWidth = 0;
    std::int32_t tmWeight = 0;
    std::uint8_t tmItalic = 0;
    std::uint8_t tmUnderlined = 0;
    std::uint8_t tmStruckOut = 0;
    std::uint8_t tmPitchAndFamily = 0;
    std::uint8_t tmCharSet = 0;
};

// ---- Device contexts ------------------------------------------------------------------------
// A memory DC; it starts with a 1×1 32-bit bitmap selected, as a fresh memory DC does.
HDC CreateCompatibleDC(HDC hdc);
bool DeleteDC(HDC hdc);
// The DC of a window's client surface (what GetDC and BeginPaint hand out), and its release.
// The window system calls these through its DC provider; InstallWindowDcProvider registers it.
HDC OpenWindowDC(HWND hwnd);
bool CloseWindowDC(HDC hdc);
void InstallWindowDcProvider();
HWND WindowFromDC(HDC hdc);
// A DC over 32-bit 0x00RRGGBB pixels owned by the caller (the compositor's frame, a surface of
// the drawing layer); `pitch` counts pixels. Bitmaps cannot be selected into it.
HDC CreatePixelDC(std::uint32_t* pixels, int width, int height, int pitch);
// A window's client DC (the null window: the screen's, for palettes and device caps); every
// GetDC is matched by a ReleaseDC.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
bool UpdateColors(HDC hdc);

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
HBITMAP SelectObject(HDC hdc, HBITMAP bitmap);
HBRUSH SelectObject(HDC hdc, HBRUSH brush);
HFONT SelectObject(HDC hdc, HFONT font);
HPEN SelectObject(HDC hdc, HPEN pen);
HGDIOBJ GetCurrentObject(HDC hdc, unsigned objectType);
inline constexpr unsigned OBJ_PEN = 1;
inline constexpr unsigned OBJ_BRUSH = 2;
inline constexpr unsigned OBJ_PAL = 5;
inline constexpr unsigned OBJ_FONT = 6;
inline constexpr unsigned OBJ_BITMAP = 7;
// Fails (false) for an object still selected into a DC; stock objects are never deleted.
bool DeleteObject(HGDIOBJ object);
template <class Tag>
bool DeleteObject(Handle<Tag> object) {
    return DeleteObject(AsGdiObject(object));
}
HGDIOBJ GetStockObject(int index);

int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF colour);
COLORREF GetBkColor(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF colour);
COLORREF GetTextColor(HDC hdc);
std::uint32_t SetTextAlign(HDC hdc, std::uint32_t align);
std::uint32_t GetTextAlign(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetDeviceCaps(HDC hdc, int index);
// The palette index an RGB colour becomes on this DC (its target's colour table), or the
// colour itself on a 32-bit target.
COLORREF GetNearestColor(HDC hdc, COLORREF colour);

// ---- Bitmaps --------------------------------------------------------------------------------
// An 8-bit (with colour table) or 32-bit DIB whose pixels the program writes directly through
// `bits`; other depths and DIB_PAL_COLORS are refused (null handle).
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, std::uint32_t usage, void** bits,
                         void* section, std::uint32_t offset);
// Of the target's depth: 8-bit (copying its colour table) over an 8-bit bitmap, else 32-bit.
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel,
                     const void* bits);
bool GetObject(HBITMAP bitmap, BITMAP* out);
unsigned SetDIBColorTable(HDC hdc, unsigned start, unsigned count, const RGBQUAD* colours);
unsigned GetDIBColorTable(HDC hdc, unsigned start, unsigned count, RGBQUAD* colours);

bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy,
            std::uint32_t rop);
// Nearest-pixel scaling; negative extents mirror.
bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, int sw,
                int sh, std::uint32_t rop);
// Draws packed DIB pixels (8-bit with the info's colour table, or 32-bit) without a bitmap.
int StretchDIBits(HDC dest, int x, int y, int width, int height, int sx, int sy, int sw, int sh,
                  const void* bits, const BITMAPINFO* info, std::uint32_t usage, std::uint32_t rop);
bool PatBlt(HDC hdc, int x, int y, int width, int height, std::uint32_t rop);
COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour);

// ---- Brushes, pens, rectangles, lines -------------------------------------------------------
HBRUSH CreateSolidBrush(COLORREF colour);
// (HBRUSH){COLOR_x + 1} names the system colour x, as a window class background may.
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
HPEN CreatePen(int style, int width, COLORREF colour);
bool MoveToEx(HDC hdc, int x, int y, POINT* previous);
bool LineTo(HDC hdc, int x, int y);
bool Rectangle(HDC hdc, int left, int top, int right, int bottom);
COLORREF GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

// ---- Text -----------------------------------------------------------------------------------
HFONT CreateFontIndirect(const LOGFONT* font);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight,
                 unsigned italic, unsigned underline, unsigned strikeOut, unsigned charSet,
                 unsigned outPrecision, unsigned clipPrecision, unsigned quality,
                 unsigned pitchAndFamily, std::string_view faceName);
bool GetObject(HFONT font, LOGFONT* out);
bool TextOut(HDC hdc, int x, int y, std::string_view text);
bool ExtTextOut(HDC hdc, int x, int y, std::uint32_t options, const RECT* rect,
                std::string_view text);
bool GetTextExtentPoint32(HDC hdc, std::string_view text, SIZE* size);
inline bool GetTextExtentPoint(HDC hdc, std::string_view text, SIZE* size) {
    return GetTextExtentPoint32(hdc, text, size);
}
bool GetTextMetrics(HDC hdc, TEXTMETRIC* metrics);
// Returns the height of the text drawn (or measured with DT_CALCRECT, which also sets the
// rectangle's right and bottom and draws nothing).
int DrawText(HDC hdc, std::string_view text, RECT* rect, std::uint32_t format);

// ---- Palettes -------------------------------------------------------------------------------
HPALETTE CreatePalette(const LOGPALETTE* palette);
HPALETTE SelectPalette(HDC hdc, HPALETTE palette, bool forceBackground);
// Maps the DC's palette into the system palette, as the foreground application on a
// 256-colour display: entries that match a colour already there share it (unless
// PC_NOCOLLAPSE or PC_RESERVED), the rest take free entries from 10 up. Returns the number of
// entries that changed the system palette. Over an 8-bit window the window's colours become
// the system palette, so its indices keep showing what a 256-colour screen would.
unsigned RealizePalette(HDC hdc);
unsigned SetPaletteEntries(HPALETTE palette, unsigned start, unsigned count,
                           const PALETTEENTRY* entries);
unsigned GetPaletteEntries(HPALETTE palette, unsigned start, unsigned count, PALETTEENTRY* entries);
unsigned GetNearestPaletteIndex(HPALETTE palette, COLORREF colour);
// The 20 static colours (0..9, 246..255) and whatever realisation put in 10..245.
unsigned GetSystemPaletteEntries(HDC hdc, unsigned start, unsigned count, PALETTEENTRY* out);
// Raised whenever realisation changes an entry, so a presenter can rebuild its lookup table.
std::uint32_t GetSystemPaletteSerial();
// Puts the system palette back to its start (statics only), for tests and a fresh display.
void ResetSystemPalette();

// ---- Frames, focus marks, key-colour blits, fonts by family ---------------------------------
inline constexpr unsigned BDR_RAISEDOUTER = 0x1;
inline constexpr unsigned BDR_SUNKENOUTER = 0x2;
inline constexpr unsigned BDR_RAISEDINNER = 0x4;
inline constexpr unsigned BDR_SUNKENINNER = 0x8;
inline constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr unsigned BF_LEFT = 0x1;
inline constexpr unsigned BF_TOP = 0x2;
inline constexpr unsigned BF_RIGHT = 0x4;
inline constexpr unsigned BF_BOTTOM = 0x8;
inline constexpr unsigned BF_RECT = 0xF;
inline constexpr unsigned BF_MIDDLE = 0x800;
inline constexpr unsigned BF_ADJUST = 0x2000;
// The two-pixel three-dimensional edge in the button colours; BF_ADJUST shrinks `rect` by it.
bool DrawEdge(HDC hdc, RECT* rect, unsigned edge, unsigned flags);
// A dotted rectangle drawn by inverting every other pixel: drawing it twice removes it.
bool DrawFocusRect(HDC hdc, const RECT* rect);
// A scroll bar's arrow button (DFC_SCROLL with DFCS_SCROLLUP, DOWN, LEFT or RIGHT): a raised
// (DFCS_PUSHED: sunken) button with its triangle, greyed with DFCS_INACTIVE; DFCS_TRANSPARENT
// draws the triangle alone over what is there.
inline constexpr unsigned DFC_SCROLL = 3;
inline constexpr unsigned DFCS_SCROLLUP = 0x0;
inline constexpr unsigned DFCS_SCROLLDOWN = 0x1;
inline constexpr unsigned DFCS_SCROLLLEFT = 0x2;
inline constexpr unsigned DFCS_SCROLLRIGHT = 0x3;
inline constexpr unsigned DFCS_TRANSPARENT = 0x800;
inline constexpr unsigned DFCS_INACTIVE = 0x100;
inline constexpr unsigned DFCS_PUSHED = 0x200;
bool DrawFrameControl(HDC hdc, RECT* rect, unsigned type, unsigned state);
// Copies the source except its pixels of the key colour. A key with the palette-relative flag
// (0x02RRGGBB) matches the source's pixels of that colour as the source's palette shows them.
bool TransparentBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy,
                    int sw, int sh, COLORREF key);
// A device-dependent bitmap of the DIB: an 8-bit DIB keeps its indices and colour table.
inline constexpr std::uint32_t CBM_INIT = 0x4;
HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, std::uint32_t init,
                       const void* bits, const BITMAPINFO* info, std::uint32_t usage);

struct ABC {
    int abcA = 0;
    unsigned abcB = 0;
    int abcC = 0;
};
// The widths of characters first..last of the selected font: the space before the glyph, the
// glyph's own width and the space after it.
bool GetCharABCWidths(HDC hdc, unsigned first, unsigned last, ABC* out);

// The faces and styles the system has: "Arial", "Sans Serif", "MS Sans Serif", "Helvetica" and
// the ANSI variable font's face are Liberation Sans; the style names are "Regular", "Bold",
// "Italic" and "Bold Italic".
struct ENUMLOGFONT {
    LOGFONT elfLogFont;
    std::string elfFullName;
    std::string elfStyle;
};
inline constexpr unsigned TRUETYPE_FONTTYPE = 0x4;
using FONTENUMPROC = int (*)(const ENUMLOGFONT*, const TEXTMETRIC*, unsigned fontType, LParam);
// With a face: each style of that face (none when the face is unknown); without one: the first
// style of every face. The last answer of the callback (1 when it was never called).
int EnumFontFamilies(HDC hdc, std::string_view face, FONTENUMPROC proc, LParam lParam);

// ---- Helpers shared with the menu code -------------------------------------------------------
// The nearest entry of a 256-colour table (0x00RRGGBB words) to an RGB colour; the lowest
// index wins a tie.
std::uint8_t NearestTableIndex(const std::array<std::uint32_t, 256>& table, COLORREF colour);

}  // namespace win
