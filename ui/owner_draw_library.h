// The owner-draw library: gives every dialog and standard control of the program the program's
// own look. A thread creation hook subclasses each dialog as it is made; the dialog's subclass
// subclasses its known child controls with per-class procedures that draw them from the
// library's skin bitmaps, text styles and palette; windows with a caption or border get a
// skinned frame. Windows can decline each step by answering the private messages 0x11F0 to
// 0x11F3. The skin's resources (bitmaps first-id + 1 .. + 59, text styles first-id + 501 ..
// + 508) come from the resource library.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win/controls.h"
#include "win/dialog.h"
#include "win/gdi.h"
#include "win/resource.h"
#include "win/input.h"
#include "win/window.h"

namespace ui {

// ---- Options ----------------------------------------------------------------------------------
inline constexpr std::uint32_t kWplOptionsSize = 60;
inline constexpr std::uint32_t WPL_BUTTON_FRAME_SIZE = 0x01;  // push buttons take a frame's size
inline constexpr std::uint32_t WPL_CENTER_PUSH = 0x02;         // ... centred on their template place
inline constexpr std::uint32_t WPL_FOCUS_ON_HOVER = 0x08;
inline constexpr std::uint32_t WPL_STYLE_TEXT = 0x10;  // button text in text style 0
inline constexpr std::uint32_t WPL_TRANSPARENT = 0x20;
inline constexpr std::uint32_t WPL_DPI_FIXUP = 0x40;
inline constexpr std::uint32_t WPL_TOOLTIPS = 0x80;
inline constexpr std::uint32_t WPL_SYSTEM_TOOLTIPS = 0x100;
inline constexpr std::uint32_t WPL_FRAMES_ON_REQUEST = 0x200;
inline constexpr std::uint32_t WPL_NO_HOOK = 0x800;
inline constexpr std::uint32_t WPL_SIX_FRAMES = 0x1000;
inline constexpr std::uint32_t WPL_TWO_ROWS = 0x2000;
inline constexpr std::uint32_t WPL_DEFAULT_ON_HOVER = 0x4000;

using WplCommandCallback = void (*)(win::HWND dialog, int id, win::HWND control, unsigned notifyCode, int kind);
using WplBitmapCallback = win::HBITMAP (*)(std::uint32_t resourceId);
using WplClipPaletteCallback = win::HPALETTE (*)(const char* clip);

// The record handed to wplInit, field by field; `size` must be 60.
struct WplOptions {
    std::uint32_t size = kWplOptionsSize;
    std::uint32_t flags = 0;
    win::HINSTANCE instance;
    win::HINSTANCE resourceModule;
    std::uint32_t firstResourceId = 0;
    win::HPALETTE palette;
    win::COLORREF transparentColour = 0x02FF00FF;
    std::uint32_t designDpi = 0;
    win::HCURSOR buttonCursor;
    WplCommandCallback commandCallback = nullptr;
    std::uint32_t tooltipStringOffset = 0;
    std::uint32_t tooltipShowDelay = 0;
    std::uint32_t tooltipHideDelay = 0;
    WplBitmapCallback bitmapCallback = nullptr;
    WplClipPaletteCallback clipPaletteCallback = nullptr;
};

// ---- Private messages -------------------------------------------------------------------------
// lParam points to a 32-bit flag the receiver may change; the receiver returns 0.
inline constexpr std::uint32_t WM_WPL_SKINDIALOG = 0x11F0;   // 1: subclass the dialog
inline constexpr std::uint32_t WM_WPL_HOVERFOCUS = 0x11F1;   // 1: a hovered button takes the focus
inline constexpr std::uint32_t WM_WPL_SKINFRAME = 0x11F2;    // 1: skin the window's frame
inline constexpr std::uint32_t WM_WPL_HOVERDEFAULT = 0x11F3; // 1: a hovered push button becomes default

// ---- Skin bitmaps, by index (resource id = first id + index) ----------------------------------
// Frames lie side by side; check and radio glyphs have one row per check state.
enum WplBitmap : int {
    kSkinPushButton = 1,       // 5 frames: normal, disabled, focused, pressed, pressed+focused
    kSkinCheckBox = 2,         // 5 frames × 3 rows (unchecked, checked, indeterminate)
    kSkinRadioButton = 3,      // 5 frames × 2 rows
    kSkinTrackChannelH = 4,
    kSkinTrackChannelV = 5,
    kSkinBorderH = 6,          // its height is SM_CYBORDER
    kSkinTrackThumbH = 7,
    kSkinBorderV = 8,          // its width is SM_CXBORDER
    kSkinTrackThumbV = 9,
    kSkinTab = 10,             // 5 frames
    kSkinTabRow = 11,          // its height is what TCM_ADJUSTRECT adds
    kSkinCaptionInactive = 12,
    kSkinCloseButton = 13,     // 3 frames: normal, pressed, inactive
    kSkinFrameH = 14,          // sizing frame; its height is SM_CYFRAME
    kSkinHelpButton = 15,      // 3 frames
    kSkinFrameV = 16,          // its width is SM_CXFRAME
    kSkinCaption = 17,         // active caption; its height is SM_CYCAPTION
    kSkinMinimizeButton = 18,
    kSkinMaximizeButton = 19,
    kSkinRestoreButton = 20,
    kSkinSystemButton = 21,
    kSkinMenuBand = 22,
    kSkinDialogFace = 23,      // tiled under dialogs' client areas
    kSkinDialogFrameH = 31,    // its height is SM_CYDLGFRAME
    kSkinDialogFrameV = 33,    // its width is SM_CXDLGFRAME
    kSkinMenuMetric = 34,      // its height is SM_CYMENU
    kSkinTreeGlyphs = 35,
    kSkinBitmapCount = 59,
};

// Text styles, by index (string resource first id + 501 + index).
enum WplTextStyleIndex : int {
    kStyleButton = 0,
    kStyleCaption = 1,
    kStyleStatic = 2,
    kStyleMenu = 3,
    kStyleTab = 4,
    kStyleTree = 5,
    kStyleTooltip = 6,
    kStyleTitle = 7,
    kTextStyleCount = 8,
};

struct WplTextEntry {
    win::HFONT font;
    bool hasColour = false;
    win::COLORREF colour = 0;
};
struct WplTextStyle {
    std::vector<WplTextEntry> entries;  // at most 12
    int alignment = 0;                  // 1 left, 2 right, 4 centred
};
inline constexpr std::size_t kTextStyleMaxEntries = 12;
inline constexpr std::size_t kTextStyleMaxLength = 80;

// ---- Life ---------------------------------------------------------------------------------------
// The `enabled` value: 0 on failure (a wrong options size is reported and the library stays
// off). Loads the resources and installs the hook.
int wplInit(const WplOptions* options);
void wplTerm();
void wplReloadResources();
int wplInstallCreateHook();
void wplEnable();
void wplDisable();
[[nodiscard]] bool wplIsEnabled();
[[nodiscard]] const WplOptions& wplGetOptions();

// ---- Palette -------------------------------------------------------------------------------------
void wplSetPaletteMode(int mode);
int wplCreateSystemPalette();
win::HPALETTE wplGetPalette();
win::HPALETTE wplSetPalette(win::HPALETTE palette);
void wplReleasePalette();
// Entries 10 to 245 only: a range starting below 10 sets its part from 10 on, a count reaching
// past 245 is cut. The number of entries set.
int wplSetPaletteEntries(int start, int count, const win::COLORREF* colours);
int wplSetPaletteEntry(int index, win::COLORREF colour);
// The reserved entries 0 to 9 and 246 to 255 from `entries` (all 256 of a palette); the free
// entries stay as they are.
void wplSetReservedEntries(const win::PALETTEENTRY* entries);
win::COLORREF wplGetPaletteEntry(int index);
int wplGetPaletteEntries(int start, int count, win::COLORREF* out);
// A RIFF "PAL " block: 256 four-byte colours from offset 24; sets start .. start + count − 1
// from them. 0 when the block is too short or not a palette.
int wplLoadPaletteBlock(const std::uint8_t* bytes, std::size_t size, int start, int count);
int wplLoadPaletteFile(std::string_view path, int start, int count);
int wplLoadPaletteResource(win::HINSTANCE module, std::uint32_t id, std::string_view type);
void wplPushPalette(win::HPALETTE palette);
void wplPopPalette();
void wplSetPaletteBackground(int flag);
int wplGetPaletteBackground();
void wplSelectPalette(win::HDC dc1, win::HDC dc2, win::HPALETTE palette);

// ---- Fonts and text styles --------------------------------------------------------------------
inline constexpr unsigned WPL_FONT_ITALIC = 1;
inline constexpr unsigned WPL_FONT_UNDERLINE = 2;
inline constexpr unsigned WPL_FONT_STRIKEOUT = 4;
inline constexpr unsigned WPL_FONT_BOLD = 8;
inline constexpr unsigned WPL_FONT_MUST_EXIST = 16;
// size > 0: points at `dpi` (−1: the context's); size < 0: pixel height. 0 when the face is
// missing and WPL_FONT_MUST_EXIST is given.
win::HFONT wplCreateFont(win::HDC dc, std::string_view face, const char* styleName, int size, unsigned flags,
                         int dpi);
// Parses a text-style string ("r,g,b,face,style,size,align;..."); at most 80 characters and 12
// entries count.
WplTextStyle wplParseTextStyle(std::string_view text);
void wplFreeTextStyle(WplTextStyle& style);
[[nodiscard]] const WplTextStyle& wplGetTextStyle(int index);
// The font and colour of a style's first entry; the fallbacks when the style has none.
win::HFONT wplStyleFont(int index, win::HFONT fallback);
win::COLORREF wplStyleColour(int index, int sysColourFallback);
int wplGetAverageCharWidth(win::HDC dc);
int wplGetStringExtent(win::HDC dc, std::string_view text);

// ---- Bitmaps and drawing --------------------------------------------------------------------------
int wplLoadResources(win::HINSTANCE module, std::uint32_t firstId);
void wplFreeResources();
win::HBITMAP wplLoadBitmapResource(win::HINSTANCE module, std::uint32_t id);
// A skin bitmap by index (1..59); the null handle when missing.
win::HBITMAP wplGetBitmap(int index);
win::SIZE wplBitmapSize(win::HBITMAP bitmap);
// Frame metrics: the skin's when the library is on and the bitmap is there, else the system's.
int wplGetSystemMetrics(int index);
// Draws `source` (x, y, w, h of the bitmap) at dest; transparently (option 6 as the key) when
// asked or with flag 0x20.
void wplDrawBitmap(win::HDC dc, win::HBITMAP bitmap, int dx, int dy, int sx, int sy, int w, int h, bool transparent);
void wplStretchBitmap(win::HDC dc, win::HBITMAP bitmap, const win::RECT& dest, int sx, int sy, int w, int h,
                      bool transparent);
// Tiles the whole bitmap over the rectangle: flag 1 vertically, 2 horizontally, 3 both.
void wplTileBitmap(win::HDC dc, win::HBITMAP bitmap, const win::RECT& area, int flags);
win::POINT wplAlignSize(win::SIZE size, const win::RECT& area, unsigned flags);

// ---- Hook and subclassing ----------------------------------------------------------------------
struct WplControlClass {
    std::uint32_t mask;
    const char* className;
    int (*filter)(win::HWND, std::uint32_t style, std::uint32_t mask);
    void (*init)(win::HWND);
    win::WNDPROC procedure;
};
[[nodiscard]] const std::vector<WplControlClass>& wplControlClasses();
const WplControlClass* wplFindControlClass(win::HWND window);
// Subclasses with `procedure` under the property; nothing when already there. 1 on success.
int wplSubclassWindow(win::HWND window, win::WNDPROC procedure, const char* property);
int wplSubclassControl(win::HWND control, std::uint32_t mask);
void wplSubclassChildren(win::HWND dialog);
win::LResult wplCallPrevious(const char* property, win::HWND h, std::uint32_t m, win::WParam w, win::LParam l,
                             bool dialog);
win::LResult wplCreateHookProc(int code, win::WParam wParam, win::LParam lParam);
win::LResult wplDialogSubclassProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l);
win::LResult wplFrameSubclassProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l);

// The kind a skinned window reports to the command callback: 100 check or three-state box, 101
// radio button, 4 push button, 999 anything else.
int wplButtonKind(win::HWND window);
// The template type of a skinned button (its style before it became owner-drawn).
std::uint32_t wplButtonType(win::HWND button);

// Handlers the hook's class table names (owner_draw_controls.cpp).
int wplButtonFilter(win::HWND, std::uint32_t, std::uint32_t);
void wplButtonInit(win::HWND);
win::LResult wplButtonProc(win::HWND, std::uint32_t, win::WParam, win::LParam);
int wplButtonDraw(win::HWND dialog, win::DRAWITEMSTRUCT* item);
int wplButtonMeasure(win::MEASUREITEMSTRUCT* item);
int wplStaticFilter(win::HWND, std::uint32_t, std::uint32_t);
void wplStaticInit(win::HWND);
win::LResult wplStaticProc(win::HWND, std::uint32_t, win::WParam, win::LParam);
// Scroll bars (a list's own included) wear the skin's button for their arrows and thumb.
int wplScrollBarFilter(win::HWND, std::uint32_t, std::uint32_t);
win::LResult wplScrollBarProc(win::HWND, std::uint32_t, win::WParam, win::LParam);
int wplTrackbarFilter(win::HWND, std::uint32_t, std::uint32_t);
void wplTrackbarInit(win::HWND);
win::LResult wplTrackbarProc(win::HWND, std::uint32_t, win::WParam, win::LParam);
int wplTabFilter(win::HWND, std::uint32_t, std::uint32_t);
void wplTabInit(win::HWND);
win::LResult wplTabProc(win::HWND, std::uint32_t, win::WParam, win::LParam);
int wplTabDraw(win::DRAWITEMSTRUCT* item);
// The frame of the tab bitmap for an owner-draw state.
int wplTabFrame(unsigned state);
// The frame of a button bitmap for an owner-draw state (6 frames with flag 0x1000).
int wplButtonFrame(unsigned state);
int wplTreeFilter(win::HWND, std::uint32_t, std::uint32_t);
void wplTreeInit(win::HWND);
win::LResult wplTreeProc(win::HWND, std::uint32_t, win::WParam, win::LParam);
// Animation controls play their clips in a video window.
int wplAnimateFilter(win::HWND, std::uint32_t, std::uint32_t);
win::LResult wplAnimateProc(win::HWND, std::uint32_t, win::WParam, win::LParam);
// Applies a skinned frame's thickness to a window (after WM_NCCALCSIZE).
void wplApplyFrame(win::HWND window);
// The skinned frame's size for a style, as AdjustWindowRect gives it.
win::RECT wplFrameInsets(std::uint32_t style, bool hasMenu);

// ---- Tooltips ----------------------------------------------------------------------------------
void wplTooltipMouseMove(win::HWND dialog, win::HWND control);
void wplTooltipClose();
[[nodiscard]] win::HWND wplTooltipWindow();

}  // namespace ui
