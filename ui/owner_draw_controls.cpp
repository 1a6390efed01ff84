// The owner-draw library's control handlers: buttons (owner-drawn from the skin bitmaps, their
// check state in the "CHECK" property, the automatic kinds emulated), statics (named bitmaps,
// transparent text), trackbars (channel and thumb bitmaps), tabs and trees.
#include <algorithm>
#include <cstdio>

#include "ui/owner_draw_internal.h"
#include "ui/owner_draw_library.h"
#include "win/program_entry.h"
#include "win/window_surface.h"

namespace ui {

namespace detail_wpl {
extern WplOptions theOptions;
}  // namespace detail_wpl

using namespace win;

namespace {

using detail_wpl::EndSubclass;
using detail_wpl::OffsetRect;
using detail_wpl::StyleOf;

using detail_wpl::theOptions;

bool IsCheckType(std::uint32_t t) {
    return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE;
}
bool IsRadioType(std::uint32_t t) {
    return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON;
}
bool IsPushType(std::uint32_t t) {
    return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON;
}
// Push-like check boxes and radio buttons look like push buttons, held down while checked.
bool LooksPushed(std::uint32_t style) {
    const std::uint32_t t = style & BS_TYPEMASK;
    return IsPushType(t) || ((style & BS_PUSHLIKE) && (IsCheckType(t) || IsRadioType(t)));
}

int ButtonFrames() {
    return (theOptions.flags & WPL_SIX_FRAMES) ? 6 : 5;
}

// One frame of a skin bitmap: frames side by side, `rows` rows.
SIZE FrameSize(HBITMAP bitmap, int frames, int rows) {
    const SIZE s = wplBitmapSize(bitmap);
    return SIZE{frames > 0 ? s.cx / frames : 0, rows > 0 ? s.cy / rows : 0};
}

void Repaint(HWND h) {
    InvalidateRect(h, nullptr, true);
}

}  // namespace

// ---- Buttons ----------------------------------------------------------------------------------

std::uint32_t wplButtonType(HWND button) {
    return static_cast<std::uint32_t>(GetProp(button, "IMAGE")) & BS_TYPEMASK;
}

int wplButtonKind(HWND window) {
    if (!window || GetProp(window, "WPL") == 0 || GetClassName(window) != WC_BUTTON) return 999;
    const std::uint32_t t = wplButtonType(window);
    if (IsCheckType(t)) return 100;
    if (IsRadioType(t)) return 101;
    return 4;
}

int wplButtonFrame(unsigned state) {
    const unsigned s = state & (ODS_SELECTED | ODS_DISABLED | ODS_FOCUS);
    switch (s) {
        case 0:
            return 0;
        case ODS_SELECTED:
            return 3;
        case ODS_DISABLED:
            return 1;
        case ODS_SELECTED | ODS_DISABLED:
            return (theOptions.flags & WPL_SIX_FRAMES) ? 5 : 0;
        case ODS_FOCUS:
            return 2;
        case ODS_SELECTED | ODS_FOCUS:
            return 4;
        default:
            return 0;
    }
}

int wplButtonFilter(HWND, std::uint32_t style, std::uint32_t) {
    switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return 1;
        default:
            return 0;  // group boxes, owner-drawn and user buttons keep their look
    }
}

namespace {

// Room kept between a push button's text and each end of its skin.
constexpr int kButtonTextMargin = 4;

// The width of a button's text in the font it is drawn with (its own, else its dialog's, unless
// the library's text style is asked for).
int ButtonTextWidth(HWND h) {
    const std::string text = GetWindowText(h);
    if (text.empty()) return 0;
    HFONT font{static_cast<std::uint32_t>(SendMessage(h, WM_GETFONT, 0, 0))};
    if (!font)
        font = HFONT{static_cast<std::uint32_t>(SendMessage(GetParent(h), WM_GETFONT, 0, 0))};
    if ((theOptions.flags & WPL_STYLE_TEXT) || !font) font = wplStyleFont(kStyleButton, font);
    HDC dc = GetDC(h);
    HGDIOBJ old = SelectObject(dc, AsGdiObject(font));
    RECT r{0, 0, 0, 0};
    DrawText(dc, text, &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    return r.right - r.left;
}

}  // namespace

void wplButtonInit(HWND h) {
    if (theOptions.buttonCursor) SetClassLong(h, GCL_HCURSOR, static_cast<std::intptr_t>(theOptions.buttonCursor.id));
    const std::uint32_t style = StyleOf(h);
    const std::uint32_t type = style & BS_TYPEMASK;
    // The check state moves into the property before the control stops keeping it.
    const auto check = static_cast<std::intptr_t>(CallWindowProc(
        reinterpret_cast<WNDPROC>(GetProp(h, "WPL")), h, BM_GETCHECK, 0, 0));
    SetProp(h, "IMAGE", static_cast<std::intptr_t>(style));
    SetProp(h, "CHECK", check & 3);
    SetWindowLong(h, GWL_EXSTYLE, GetWindowLong(h, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    SetWindowLong(h, GWL_STYLE, static_cast<std::intptr_t>((style & ~BS_TYPEMASK) | BS_OWNERDRAW));
    if ((theOptions.flags & WPL_BUTTON_FRAME_SIZE) && IsPushType(type)) {
        const SIZE f = FrameSize(wplGetBitmap(kSkinPushButton), ButtonFrames(),
                                 (theOptions.flags & WPL_TWO_ROWS) ? 2 : 1);
        if (f.cx > 0 && f.cy > 0) {
            RECT r;
            GetWindowRect(h, &r);
            MapWindowPoints({}, GetParent(h), &r);
            // A text longer than the skin's button keeps the width the template gave it, so it
            // is not cut at both ends; the skin is stretched to it.
            const int width = ButtonTextWidth(h) + 2 * kButtonTextMargin > f.cx
                                  ? std::max<int>(f.cx, r.right - r.left)
                                  : f.cx;
            int x = r.left, y = r.top;
            if (theOptions.flags & WPL_CENTER_PUSH) {
                x += ((r.right - r.left) - width) / 2;
                y += ((r.bottom - r.top) - f.cy) / 2;
            }
            SetWindowPos(h, {}, x, y, width, f.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    Repaint(h);
}

LResult wplButtonProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    const std::uint32_t type = wplButtonType(h);
    switch (m) {
        case BM_GETCHECK:
            return IsCheckType(type) || IsRadioType(type) ? (GetProp(h, "CHECK") & 3) : 0;
        case BM_SETCHECK: {
            int v = static_cast<int>(w) & 3;
            if (v == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) v = BST_CHECKED;
            SetProp(h, "CHECK", v);
            if (IsRadioType(type)) {
                const std::uint32_t st = StyleOf(h);
                SetWindowLong(h, GWL_STYLE, static_cast<std::intptr_t>(v == BST_CHECKED ? (st | WS_TABSTOP) : (st & ~WS_TABSTOP)));
            }
            Repaint(h);
            return 0;
        }
        case BM_SETSTATE: {
            const LResult r = wplCallPrevious("WPL", h, m, w, l, false);
            Repaint(h);
            return r;
        }
        case BM_SETSTYLE: {
            // The template type changes (the default push button moves); the control stays owner-drawn.
            const std::uint32_t image = static_cast<std::uint32_t>(GetProp(h, "IMAGE"));
            SetProp(h, "IMAGE", static_cast<std::intptr_t>((image & ~BS_TYPEMASK) | (static_cast<std::uint32_t>(w) & BS_TYPEMASK)));
            if (l != 0) Repaint(h);
            return 0;
        }
        case WM_GETDLGCODE:
            if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
            if (IsPushType(type)) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
            if (IsRadioType(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
            return DLGC_BUTTON;
        case WM_SETFOCUS: {
            const LResult r = wplCallPrevious("WPL", h, m, w, l, false);
            // Reaching an automatic radio button by the keyboard selects it.
            if (type == BS_AUTORADIOBUTTON && (GetProp(h, "CHECK") & 3) != BST_CHECKED && GetCapture() != h &&
                GetKeyState(static_cast<int>(VK_LBUTTON)) >= 0)
                SendMessage(h, BM_CLICK, 0, 0);
            return r;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE: {
            HWND parent = GetParent(h);
            if (parent && GetFocus() != h) {
                std::int32_t flag = (theOptions.flags & WPL_FOCUS_ON_HOVER) ? 1 : 0;
                SendMessage(parent, WM_WPL_HOVERFOCUS, 0, reinterpret_cast<LParam>(&flag));
                if (flag == 1 && IsWindowEnabled(h)) SetFocus(h);
                flag = (theOptions.flags & WPL_DEFAULT_ON_HOVER) ? 1 : 0;
                SendMessage(parent, WM_WPL_HOVERDEFAULT, 0, reinterpret_cast<LParam>(&flag));
                if (flag == 1 && IsPushType(type)) SendMessage(parent, DM_SETDEFID, static_cast<WParam>(GetDlgCtrlID(h)), 0);
            }
            if (parent) wplTooltipMouseMove(parent, h);
            return wplCallPrevious("WPL", h, m, w, l, false);
        }
        case WM_NCDESTROY: {
            RemoveProp(h, "IMAGE");
            RemoveProp(h, "CHECK");
            return EndSubclass("WPL", h, m, w, l);
        }
        default:
            return wplCallPrevious("WPL", h, m, w, l, false);
    }
}

int wplButtonMeasure(MEASUREITEMSTRUCT* item) {
    if (item == nullptr) return 0;
    const SIZE f = FrameSize(wplGetBitmap(kSkinPushButton), ButtonFrames(), 1);
    item->itemWidth = static_cast<unsigned>(f.cx);
    item->itemHeight = static_cast<unsigned>(f.cy);
    return 1;
}

int wplButtonDraw(HWND, DRAWITEMSTRUCT* item) {
    if (item == nullptr || !item->hwndItem) return 0;
    HWND h = item->hwndItem;
    HDC dc = item->hDC;
    const std::uint32_t image = static_cast<std::uint32_t>(GetProp(h, "IMAGE"));
    const std::uint32_t type = image & BS_TYPEMASK;
    const RECT r = item->rcItem;
    const bool pushLook = LooksPushed(image);
    const bool held = pushLook && !IsPushType(type) && (GetProp(h, "CHECK") & 3) != BST_UNCHECKED;
    const unsigned state = item->itemState | (held ? ODS_SELECTED : 0u);
    const int frame = wplButtonFrame(state);
    ClearWindowSurfaceTransparent(h);
    RECT textArea = r;
    if (pushLook) {
        HBITMAP b = wplGetBitmap(kSkinPushButton);
        const int rows = (theOptions.flags & WPL_TWO_ROWS) ? 2 : 1;
        const SIZE f = FrameSize(b, ButtonFrames(), rows);
        const int row = rows == 2 && type == BS_DEFPUSHBUTTON ? 1 : 0;
        if (f.cx > 0 && f.cy > 0) {
            if (f.cx == r.right - r.left && f.cy == r.bottom - r.top)
                wplDrawBitmap(dc, b, r.left, r.top, frame * f.cx, row * f.cy, f.cx, f.cy, true);
            else
                wplStretchBitmap(dc, b, r, frame * f.cx, row * f.cy, f.cx, f.cy, true);
        } else {
            // No skin bitmap: the plain look.
            RECT e = r;
            FillRect(dc, &e, GetSysColorBrush(COLOR_BTNFACE));
            DrawEdge(dc, &e, (state & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        }
        if (state & ODS_SELECTED) OffsetRect(&textArea, 1, 1);
    } else {
        const bool radio = IsRadioType(type);
        HBITMAP b = wplGetBitmap(radio ? kSkinRadioButton : kSkinCheckBox);
        const int rows = radio ? 2 : 3;
        const SIZE f = FrameSize(b, 5, rows);
        const int check = std::min(static_cast<int>(GetProp(h, "CHECK") & 3), rows - 1);
        const int gw = f.cx > 0 ? f.cx : 13, gh = f.cy > 0 ? f.cy : 13;
        const int gy = (r.top + r.bottom - gh) / 2;
        const bool leftText = (image & BS_LEFTTEXT) != 0;
        const int gx = leftText ? r.right - gw : r.left;
        if (f.cx > 0) {
            wplDrawBitmap(dc, b, gx, gy, std::min(frame, 4) * f.cx, check * f.cy, f.cx, f.cy, true);
        } else {
            RECT g{gx, gy, gx + gw, gy + gh};
            FillRect(dc, &g, GetSysColorBrush(COLOR_WINDOW));
            DrawEdge(dc, &g, EDGE_SUNKEN, BF_RECT);
            if (check != 0) {
                RECT mark{g.left + 3, g.top + 3, g.right - 3, g.bottom - 3};
                FillRect(dc, &mark, GetSysColorBrush(COLOR_WINDOWTEXT));
            }
        }
        textArea = leftText ? RECT{r.left, r.top, r.right - gw - 4, r.bottom} : RECT{r.left + gw + 4, r.top, r.right, r.bottom};
    }

    // The text: the button's font, or text style 0; its colour from the style or the system.
    const std::string text = GetWindowText(h);
    if (!text.empty()) {
        HFONT font{static_cast<std::uint32_t>(SendMessage(h, WM_GETFONT, 0, 0))};
        if ((theOptions.flags & WPL_STYLE_TEXT) || !font) font = wplStyleFont(kStyleButton, font);
        HGDIOBJ old = SelectObject(dc, AsGdiObject(font));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, (item->itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT)
                                                          : wplStyleColour(kStyleButton, COLOR_BTNTEXT));
        std::uint32_t format = DT_SINGLELINE;
        const std::uint32_t h3 = image & BS_CENTER;
        if (h3 == BS_LEFT) format |= DT_LEFT;
        else if (h3 == BS_RIGHT) format |= DT_RIGHT;
        else format |= pushLook ? DT_CENTER : DT_LEFT;
        const std::uint32_t v3 = image & BS_VCENTER;
        format |= v3 == BS_TOP ? DT_TOP : v3 == BS_BOTTOM ? DT_BOTTOM : DT_VCENTER;
        DrawText(dc, text, &textArea, format);
        if (item->itemState & ODS_FOCUS) {
            RECT calc = textArea;
            DrawText(dc, text, &calc, format | DT_CALCRECT);
            const int tw = calc.right - calc.left, th = calc.bottom - calc.top;
            int left = textArea.left;
            if (format & DT_CENTER) left = (textArea.left + textArea.right - tw) / 2;
            else if (format & DT_RIGHT) left = textArea.right - tw;
            const int top = (textArea.top + textArea.bottom - th) / 2;
            RECT focus{std::max(r.left + 2, left - 2), top - 1, std::min(r.right - 2, left + tw + 2), top + th + 1};
            DrawFocusRect(dc, &focus);
        }
        SelectObject(dc, old);
    }
    return 1;
}

// ---- Statics ------------------------------------------------------------------------------------

int wplStaticFilter(HWND, std::uint32_t, std::uint32_t) {
    return 1;
}

void wplStaticInit(HWND h) {
    const std::uint32_t style = StyleOf(h);
    const std::string text = GetWindowText(h).substr(0, 80);
    if ((style & SS_TYPEMASK) == SS_BITMAP) {
        // "\xFF" and the id's bytes name a bitmap by number.
        if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xFF) {
            const std::uint32_t id = static_cast<unsigned char>(text[1]) | (static_cast<unsigned char>(text[2]) << 8);
            if (HBITMAP b = wplLoadBitmapResource(theOptions.resourceModule, id))
                SendMessage(h, STM_SETIMAGE, IMAGE_BITMAP, static_cast<LParam>(b.id));
        }
        return;
    }
    if (!text.empty() && theOptions.resourceModule) {
        if (HBITMAP b = LoadBitmap(theOptions.resourceModule, text)) {
            SetWindowLong(h, GWL_STYLE, static_cast<std::intptr_t>((style & ~SS_TYPEMASK) | SS_BITMAP));
            SendMessage(h, STM_SETIMAGE, IMAGE_BITMAP, static_cast<LParam>(b.id));
            return;
        }
    }
    SetWindowLong(h, GWL_EXSTYLE, GetWindowLong(h, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    Repaint(h);
}

LResult wplStaticProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case WM_PAINT: {
            const std::uint32_t style = StyleOf(h);
            const HBITMAP image{static_cast<std::uint32_t>(wplCallPrevious("WPL", h, STM_GETIMAGE, IMAGE_BITMAP, 0, false))};
            if ((style & SS_TYPEMASK) != SS_BITMAP || !image) return wplCallPrevious("WPL", h, m, w, l, false);
            // A bitmap static shows its picture with the key colour let through.
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            ClearWindowSurfaceTransparent(h);
            const SIZE s = wplBitmapSize(image);
            RECT client;
            GetClientRect(h, &client);
            const POINT at = (style & SS_CENTERIMAGE) ? wplAlignSize(s, client, 4 | 64) : POINT{0, 0};
            wplDrawBitmap(dc, image, at.x, at.y, 0, 0, s.cx, s.cy, true);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_SETTEXT: {
            const LResult r = wplCallPrevious("WPL", h, m, w, l, false);
            Repaint(h);
            return r;
        }
        case WM_NCDESTROY: {
            return EndSubclass("WPL", h, m, w, l);
        }
        default:
            return wplCallPrevious("WPL", h, m, w, l, false);
    }
}

// ---- Trackbars ------------------------------------------------------------------------------------

namespace {

bool Vertical(HWND h) {
    return (StyleOf(h) & TBS_VERT) != 0;
}

HBITMAP Channel(HWND h) {
    return wplGetBitmap(Vertical(h) ? kSkinTrackChannelV : kSkinTrackChannelH);
}

HBITMAP Thumb(HWND h) {
    return wplGetBitmap(Vertical(h) ? kSkinTrackThumbV : kSkinTrackThumbH);
}

// The thumb's rectangle in the control.
RECT ThumbRect(HWND h) {
    const SIZE channel = wplBitmapSize(Channel(h)), thumb = wplBitmapSize(Thumb(h));
    const bool vertical = Vertical(h);
    const int lo = static_cast<int>(wplCallPrevious("WPL", h, TBM_GETRANGEMIN, 0, 0, false));
    const int hi = static_cast<int>(wplCallPrevious("WPL", h, TBM_GETRANGEMAX, 0, 0, false));
    const int pos = static_cast<int>(wplCallPrevious("WPL", h, TBM_GETPOS, 0, 0, false));
    const int length = vertical ? channel.cy : channel.cx;
    const int thumbLength = vertical ? thumb.cy : thumb.cx;
    const int free = std::max(0, length - thumbLength);
    const int offset = hi == lo ? free / 2 : static_cast<int>(static_cast<long long>(free) * (pos - lo) / (hi - lo));
    if (vertical) {
        const int x = (channel.cx - thumb.cx) / 2;
        return RECT{x, offset, x + thumb.cx, offset + thumb.cy};
    }
    const int y = (channel.cy - thumb.cy) / 2;
    return RECT{offset, y, offset + thumb.cx, y + thumb.cy};
}

struct TrackDrag {
    HWND control;
    int grab = 0;  // the pointer's offset into the thumb
} theDrag;

void NotifyScroll(HWND h, unsigned code, int pos) {
    SendMessage(GetParent(h), Vertical(h) ? WM_VSCROLL : WM_HSCROLL,
                MAKEWPARAM(static_cast<std::uint16_t>(code), static_cast<std::uint16_t>(pos)), static_cast<LParam>(h.id));
}

}  // namespace

int wplTrackbarFilter(HWND h, std::uint32_t style, std::uint32_t) {
    return static_cast<bool>(wplGetBitmap((style & TBS_VERT) ? kSkinTrackChannelV : kSkinTrackChannelH)) && h ? 1 : 0;
}

void wplTrackbarInit(HWND h) {
    const SIZE s = wplBitmapSize(Channel(h));
    SetWindowPos(h, {}, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowLong(h, GWL_EXSTYLE, GetWindowLong(h, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    Repaint(h);
}

LResult wplTrackbarProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            ClearWindowSurfaceTransparent(h);
            const SIZE s = wplBitmapSize(Channel(h));
            wplDrawBitmap(dc, Channel(h), 0, 0, 0, 0, s.cx, s.cy, true);
            if (!(StyleOf(h) & TBS_NOTHUMB)) {
                const RECT t = ThumbRect(h);
                wplDrawBitmap(dc, Thumb(h), t.left, t.top, 0, 0, t.right - t.left, t.bottom - t.top, true);
            }
            if (GetFocus() == h) {
                RECT f{0, 0, s.cx, s.cy};
                DrawFocusRect(dc, &f);
            }
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Repaint(h);
            return wplCallPrevious("WPL", h, m, w, l, false);
        case WM_LBUTTONDOWN: {
            SetFocus(h);
            const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            const RECT t = ThumbRect(h);
            if (p.x >= t.left && p.x < t.right && p.y >= t.top && p.y < t.bottom) {
                theDrag.control = h;
                theDrag.grab = Vertical(h) ? p.y - t.top : p.x - t.left;
                SetCapture(h);
            } else {
                // Beside the thumb: the control pages towards the press.
                const bool after = Vertical(h) ? p.y >= t.bottom : p.x >= t.right;
                const WParam key = after ? VK_NEXT : VK_PRIOR;
                SendMessage(h, WM_KEYDOWN, key, 0);
                SendMessage(h, WM_KEYUP, key, 0);
            }
            return 0;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            if (theDrag.control != h || GetCapture() != h) return wplCallPrevious("WPL", h, m, w, l, false);
            const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            const SIZE channel = wplBitmapSize(Channel(h)), thumb = wplBitmapSize(Thumb(h));
            const bool vertical = Vertical(h);
            const int free = std::max(1, (vertical ? channel.cy - thumb.cy : channel.cx - thumb.cx));
            const int lo = static_cast<int>(wplCallPrevious("WPL", h, TBM_GETRANGEMIN, 0, 0, false));
            const int hi = static_cast<int>(wplCallPrevious("WPL", h, TBM_GETRANGEMAX, 0, 0, false));
            const int along = std::clamp((vertical ? p.y : p.x) - theDrag.grab, 0, free);
            const int pos = lo + static_cast<int>((static_cast<long long>(along) * (hi - lo) + free / 2) / free);
            SendMessage(h, TBM_SETPOS, 1, pos);
            if (m == WM_MOUSEMOVE) {
                NotifyScroll(h, TB_THUMBTRACK, pos);
            } else {
                NotifyScroll(h, TB_THUMBPOSITION, pos);
                NotifyScroll(h, TB_ENDTRACK, pos);
                theDrag.control = HWND{};
                ReleaseCapture();
            }
            return 0;
        }
        case WM_KEYDOWN:
        case WM_KEYUP:
        case TBM_SETPOS:
        case TBM_SETRANGE:
        case TBM_SETRANGEMIN:
        case TBM_SETRANGEMAX: {
            const LResult r = wplCallPrevious("WPL", h, m, w, l, false);
            Repaint(h);
            return r;
        }
        case WM_NCDESTROY: {
            if (theDrag.control == h) theDrag.control = HWND{};
            return EndSubclass("WPL", h, m, w, l);
        }
        default:
            return wplCallPrevious("WPL", h, m, w, l, false);
    }
}

// ---- Scroll bars ----------------------------------------------------------------------------------

namespace {

// One frame of the push-button skin laid over `dest`: its corners and edges kept at their size,
// its middle stretched, so a small square still shows the bevel and the rounding.
void DrawButtonFrame(HDC dc, const RECT& dest, int frame) {
    const HBITMAP b = wplGetBitmap(kSkinPushButton);
    const SIZE f = FrameSize(b, ButtonFrames(), (theOptions.flags & WPL_TWO_ROWS) ? 2 : 1);
    if (f.cx <= 0 || f.cy <= 0) {
        RECT e = dest;
        FillRect(dc, &e, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &e, frame >= 3 ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        return;
    }
    const int w = dest.right - dest.left, h = dest.bottom - dest.top;
    const int ex = std::min({3, w / 2, f.cx / 2}), ey = std::min({3, h / 2, f.cy / 2});
    const int sx[3] = {frame * f.cx, frame * f.cx + ex, frame * f.cx + f.cx - ex};
    const int sw[3] = {ex, f.cx - 2 * ex, ex};
    const int sy[3] = {0, ey, f.cy - ey}, sh[3] = {ey, f.cy - 2 * ey, ey};
    const int dx[4] = {dest.left, dest.left + ex, dest.right - ex, dest.right};
    const int dy[4] = {dest.top, dest.top + ey, dest.bottom - ey, dest.bottom};
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            if (dx[i + 1] > dx[i] && dy[j + 1] > dy[j])
                wplStretchBitmap(dc, b, RECT{dx[i], dy[j], dx[i + 1], dy[j + 1]}, sx[i], sy[j], sw[i], sh[j], true);
}

}  // namespace

int wplScrollBarFilter(HWND h, std::uint32_t, std::uint32_t) {
    return h && static_cast<bool>(wplGetBitmap(kSkinPushButton)) ? 1 : 0;
}

LResult wplScrollBarProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case WM_PAINT: {
            SCROLLBARINFO info;
            wplCallPrevious("WPL", h, SBM_GETSCROLLBARINFO, 0, reinterpret_cast<LParam>(&info), false);
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT c;
            GetClientRect(h, &c);
            const bool vertical = (StyleOf(h) & SBS_VERT) != 0;
            const int length = vertical ? c.bottom - c.top : c.right - c.left;
            auto span = [&](int from, int to) {
                return vertical ? RECT{c.left, c.top + from, c.right, c.top + to}
                                : RECT{c.left + from, c.top, c.left + to, c.bottom};
            };
            // The trough in the face of a pressed button, the buttons and thumb over it.
            const HBITMAP b = wplGetBitmap(kSkinPushButton);
            const SIZE f = FrameSize(b, ButtonFrames(), (theOptions.flags & WPL_TWO_ROWS) ? 2 : 1);
            if (f.cx > 0 && f.cy > 0) wplStretchBitmap(dc, b, c, 3 * f.cx + f.cx / 2, f.cy / 2, 1, 1, false);
            else FillRect(dc, &c, GetSysColorBrush(COLOR_SCROLLBAR));
            const bool usable = (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) == 0;
            for (const int part : {1, 5}) {
                RECT a = part == 1 ? span(0, info.dxyLineButton) : span(length - info.dxyLineButton, length);
                const bool pressed = (info.rgstate[part] & STATE_SYSTEM_PRESSED) != 0;
                DrawButtonFrame(dc, a, pressed ? 3 : usable ? 0 : 1);
                const unsigned direction = vertical ? (part == 1 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN)
                                                    : (part == 1 ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT);
                DrawFrameControl(dc, &a, DFC_SCROLL,
                                 direction | DFCS_TRANSPARENT | (pressed ? DFCS_PUSHED : 0u) |
                                     (usable ? 0u : DFCS_INACTIVE));
            }
            if (usable) DrawButtonFrame(dc, span(info.xyThumbTop, info.xyThumbBottom), 0);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_NCDESTROY:
            return EndSubclass("WPL", h, m, w, l);
        default:
            return wplCallPrevious("WPL", h, m, w, l, false);
    }
}

// ---- Tabs -----------------------------------------------------------------------------------------

int wplTabFrame(unsigned state) {
    switch (state & (ODS_SELECTED | ODS_DISABLED | ODS_FOCUS | ODS_DEFAULT)) {
        case 0:
        case ODS_DEFAULT:
            return 0;
        case ODS_DISABLED:
            return 1;
        case ODS_FOCUS:
            return 2;
        case ODS_SELECTED:
            return 3;
        case ODS_SELECTED | ODS_FOCUS:
            return 4;
        default: {
            // Never a box while painting: the state goes to the log and frame 0 is drawn.
            char text[48];
            std::snprintf(text, sizeof text, "ROVUZ: unknown tab state %08Xh", state);
            TraceLine(text);
            return 0;
        }
    }
}

int wplTabFilter(HWND, std::uint32_t, std::uint32_t) {
    return wplGetBitmap(kSkinTab) ? 1 : 0;
}

void wplTabInit(HWND h) {
    SetWindowLong(h, GWL_STYLE, static_cast<std::intptr_t>(StyleOf(h) | TCS_OWNERDRAWFIXED));
    Repaint(h);
}

int wplTabDraw(DRAWITEMSTRUCT* item) {
    if (item == nullptr) return 0;
    HBITMAP b = wplGetBitmap(kSkinTab);
    const SIZE f = FrameSize(b, 5, 1);
    const RECT r = item->rcItem;
    const int frame = wplTabFrame(item->itemState);
    const int w = std::min<int>(f.cx, r.right - r.left), h = std::min<int>(f.cy, r.bottom - r.top);
    RECT dest{r.left, r.top, r.left + w, r.top + h};
    if (f.cx > 0) wplStretchBitmap(item->hDC, b, dest, frame * f.cx, 0, f.cx, f.cy, true);
    TCITEM tab;
    tab.mask = 1;
    SendMessage(item->hwndItem, TCM_GETITEM, item->itemID, reinterpret_cast<LParam>(&tab));
    HGDIOBJ old = SelectObject(item->hDC, AsGdiObject(wplStyleFont(kStyleTab, wplStyleFont(0, HFONT{}))));
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, wplStyleColour(kStyleTab, COLOR_BTNTEXT));
    RECT text = r;
    DrawText(item->hDC, tab.text.substr(0, 256), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item->hDC, old);
    return 1;
}

LResult wplTabProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case TCM_SETCURSEL:
        case TCM_SETCURFOCUS:
            if (static_cast<LResult>(w) == wplCallPrevious("WPL", h, TCM_GETCURSEL, 0, 0, false)) return static_cast<LResult>(w);
            {
                const LResult r = wplCallPrevious("WPL", h, m, w, l, false);
                Repaint(h);
                return r;
            }
        case TCM_ADJUSTRECT: {
            if (l == 0) return 0;
            // The tab row is the skin's own height.
            auto* r = reinterpret_cast<RECT*>(l);
            const int row = wplBitmapSize(wplGetBitmap(kSkinTabRow)).cy;
            if (row <= 0) return wplCallPrevious("WPL", h, m, w, l, false);
            r->top += w != 0 ? -row : row;
            return 0;
        }
        case WM_NCDESTROY: {
            return EndSubclass("WPL", h, m, w, l);
        }
        default:
            return wplCallPrevious("WPL", h, m, w, l, false);
    }
}

// ---- Trees ----------------------------------------------------------------------------------------

int wplTreeFilter(HWND, std::uint32_t, std::uint32_t) {
    return 1;
}

void wplTreeInit(HWND h) {
    SetWindowLong(h, GWL_STYLE, static_cast<std::intptr_t>(StyleOf(h) & ~TVS_HASLINES));
    SetWindowLong(h, GWL_EXSTYLE,
                  (GetWindowLong(h, GWL_EXSTYLE) | WS_EX_TRANSPARENT) & ~static_cast<std::intptr_t>(WS_EX_CLIENTEDGE));
    if (HFONT font = wplStyleFont(kStyleTree, HFONT{})) SendMessage(h, WM_SETFONT, font.id, 0);
    Repaint(h);
}

LResult wplTreeProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case WM_ERASEBKGND:
            return 1;
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            const LResult r = wplCallPrevious("WPL", h, m, w, l, false);
            if (IsWindow(h)) Repaint(h);
            return r;
        }
        case WM_NCDESTROY: {
            return EndSubclass("WPL", h, m, w, l);
        }
        default:
            return wplCallPrevious("WPL", h, m, w, l, false);
    }
}

}  // namespace ui
