// Skinned window frames: the library measures, paints and hit-tests the caption, borders and
// caption buttons of the windows its hook accepted, and does their non-client work itself.
#include <algorithm>

#include "ui/owner_draw_internal.h"
#include "ui/owner_draw_library.h"
#include "win/compositor.h"
#include "win/menu.h"

namespace ui {

namespace detail_wpl {
extern WplOptions theOptions;
extern bool theEnabled;
}  // namespace detail_wpl

using namespace win;

namespace {

using detail_wpl::EndSubclass;
using detail_wpl::OffsetRect;
using detail_wpl::StyleOf;

constexpr int HTHELP = 21;

bool Captioned(std::uint32_t style) {
    return (style & WS_CAPTION) == WS_CAPTION;
}

struct FrameLayout {
    RECT insets{};
    RECT caption{};  // screen coordinates, empty without a caption
    RECT close{}, maximize{}, minimize{}, help{}, system{};
};

SIZE ButtonSize() {
    const SIZE s = wplBitmapSize(wplGetBitmap(kSkinCloseButton));
    if (s.cx > 0) return SIZE{s.cx / 3, s.cy};
    const int h = std::max(8, wplGetSystemMetrics(SM_CYCAPTION) - 4);
    return SIZE{h + 2, h};
}

FrameLayout Layout(HWND h) {
    FrameLayout f;
    const std::uint32_t style = StyleOf(h);
    const std::uint32_t ex = static_cast<std::uint32_t>(GetWindowLong(h, GWL_EXSTYLE));
    f.insets = wplFrameInsets(style, false);
    if (!Captioned(style)) return f;
    RECT wr;
    GetWindowRect(h, &wr);
    const int captionHeight = wplGetSystemMetrics(SM_CYCAPTION);
    f.caption = RECT{wr.left + f.insets.left, wr.top + f.insets.top - captionHeight, wr.right - f.insets.right,
                     wr.top + f.insets.top};
    const SIZE b = ButtonSize();
    const int y = f.caption.top + (captionHeight - b.cy) / 2;
    int x = f.caption.right - 2;
    auto place = [&](RECT& r) {
        x -= b.cx;
        r = RECT{x, y, x + b.cx, y + b.cy};
        x -= 2;
    };
    if (style & WS_SYSMENU) {
        place(f.close);
        if (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
            place(f.maximize);
            place(f.minimize);
        }
        f.system = RECT{f.caption.left + 2, y, f.caption.left + 2 + b.cy, y + b.cy};
    }
    if (ex & WS_EX_CONTEXTHELP) place(f.help);
    return f;
}

bool Inside(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

int HitButton(const FrameLayout& f, POINT p) {
    if (Inside(f.close, p)) return HTCLOSE;
    if (Inside(f.maximize, p)) return HTMAXBUTTON;
    if (Inside(f.minimize, p)) return HTMINBUTTON;
    if (Inside(f.help, p)) return HTHELP;
    if (Inside(f.system, p)) return HTSYSMENU;
    return HTNOWHERE;
}

// The caption button the user holds, drawn pushed while the pointer stays on it.
struct Pressed {
    HWND window;
    int hit = HTNOWHERE;
    bool inside = false;
} thePressed;

void DrawButton(HDC dc, int index, const RECT& r, int frame) {
    if (r.right <= r.left) return;
    HBITMAP b = wplGetBitmap(index);
    const SIZE s = wplBitmapSize(b);
    if (s.cx > 0) {
        wplStretchBitmap(dc, b, r, frame * (s.cx / 3), 0, s.cx / 3, s.cy, true);
        return;
    }
    RECT e = r;
    FillRect(dc, &e, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &e, frame == 1 ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}

void SendSystemCommand(HWND h, int hit, LParam where) {
    switch (hit) {
        case HTCLOSE:
            SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, where);
            break;
        case HTMINBUTTON:
            SendMessage(h, WM_SYSCOMMAND, SC_MINIMIZE, where);
            break;
        case HTMAXBUTTON:
            SendMessage(h, WM_SYSCOMMAND, (StyleOf(h) & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, where);
            break;
        case HTHELP:
            SendMessage(h, WM_SYSCOMMAND, SC_CONTEXTHELP, where);
            break;
        default:
            break;
    }
}

// The system menu below its button, its items greyed by the window's style and state.
void OpenSystemMenu(HWND h) {
    const FrameLayout f = Layout(h);
    HMENU menu = GetSystemMenu(h, false);
    if (!menu) return;
    const std::uint32_t style = StyleOf(h);
    const bool iconic = IsIconic(h), zoomed = (style & WS_MAXIMIZE) != 0;
    auto grey = [&](unsigned id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    grey(SC_MOVE, !zoomed);
    grey(SC_SIZE, (style & WS_THICKFRAME) && !zoomed && !iconic);
    grey(SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !iconic);
    grey(SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !zoomed);
    grey(SC_RESTORE, iconic || zoomed);
    SetProp(h, "MENUWASUP", 1);
    const auto command = TrackPopupMenu(menu, TPM_RETURNCMD, f.system.left, f.system.bottom, h);
    RemoveProp(h, "MENUWASUP");
    if (command != 0) SendMessage(h, WM_SYSCOMMAND, static_cast<WParam>(command), 0);
}

}  // namespace

RECT wplFrameInsets(std::uint32_t style, bool hasMenu) {
    int x = 0, y = 0;
    if (Captioned(style)) {
        x = wplGetSystemMetrics(SM_CXDLGFRAME);
        y = wplGetSystemMetrics(SM_CYDLGFRAME);
    } else if (style & WS_THICKFRAME) {
        x = wplGetSystemMetrics(SM_CXFRAME);
        y = wplGetSystemMetrics(SM_CYFRAME);
    } else if (style & WS_BORDER) {
        x = wplGetSystemMetrics(SM_CXBORDER);
        y = wplGetSystemMetrics(SM_CYBORDER);
    }
    int top = y + (Captioned(style) ? wplGetSystemMetrics(SM_CYCAPTION) : 0);
    if (hasMenu) top += wplGetSystemMetrics(SM_CYMENU);
    return RECT{x, top, x, y};
}

void wplApplyFrame(HWND h) {
    RECT wr;
    GetWindowRect(h, &wr);
    RECT client = wr;
    SendMessage(h, WM_NCCALCSIZE, 0, reinterpret_cast<LParam>(&client));
    const RECT insets{client.left - wr.left, client.top - wr.top, wr.right - client.right, wr.bottom - client.bottom};
    SetWindowFrameInsets(h, &insets);
}

namespace detail_wpl {

void PaintFrame(HWND h, const ComposeTarget& target, const RECT& wr, const RECT&) {
    HDC dc = CreatePixelDC(target.pixels, target.width, target.height, target.pitch);
    if (!dc) return;
    const std::uint32_t style = StyleOf(h);
    const RECT in = wplFrameInsets(style, false);
    const bool captioned = Captioned(style);
    const int captionHeight = captioned ? wplGetSystemMetrics(SM_CYCAPTION) : 0;
    const int edgeTop = in.top - captionHeight;
    const int hIndex = captioned ? kSkinDialogFrameH : (style & WS_THICKFRAME) ? kSkinFrameH : kSkinBorderH;
    const int vIndex = captioned ? kSkinDialogFrameV : (style & WS_THICKFRAME) ? kSkinFrameV : kSkinBorderV;
    auto strip = [&](int index, const RECT& r, int tile) {
        if (r.right <= r.left || r.bottom <= r.top) return;
        if (HBITMAP b = wplGetBitmap(index)) {
            const SIZE s = wplBitmapSize(b);
            wplStretchBitmap(dc, b, r, 0, 0, tile == 2 ? s.cx : std::min<int>(s.cx, r.right - r.left),
                             tile == 1 ? s.cy : std::min<int>(s.cy, r.bottom - r.top), false);
        } else {
            RECT f = r;
            FillRect(dc, &f, GetSysColorBrush(COLOR_BTNFACE));
        }
    };
    strip(hIndex, RECT{wr.left, wr.top, wr.right, wr.top + edgeTop}, 2);
    strip(hIndex, RECT{wr.left, wr.bottom - in.bottom, wr.right, wr.bottom}, 2);
    strip(vIndex, RECT{wr.left, wr.top + edgeTop, wr.left + in.left, wr.bottom - in.bottom}, 1);
    strip(vIndex, RECT{wr.right - in.right, wr.top + edgeTop, wr.right, wr.bottom - in.bottom}, 1);
    if (captioned) {
        const bool active = GetActiveWindow() == h || GetForegroundWindow() == h;
        const RECT caption{wr.left + in.left, wr.top + edgeTop, wr.right - in.right, wr.top + in.top};
        HBITMAP b = wplGetBitmap(active ? kSkinCaption : kSkinCaptionInactive);
        if (b) {
            const SIZE s = wplBitmapSize(b);
            wplStretchBitmap(dc, b, caption, 0, 0, s.cx, s.cy, false);
        } else {
            RECT c = caption;
            FillRect(dc, &c, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        }
        // The layout in target coordinates.
        RECT screen;
        GetWindowRect(h, &screen);
        FrameLayout f = Layout(h);
        const int dx = wr.left - screen.left, dy = wr.top - screen.top;
        for (RECT* r : {&f.close, &f.maximize, &f.minimize, &f.help, &f.system}) OffsetRect(r, dx, dy);
        auto frameOf = [&](int hit) {
            if (!active) return 2;
            return thePressed.window == h && thePressed.hit == hit && thePressed.inside ? 1 : 0;
        };
        DrawButton(dc, kSkinCloseButton, f.close, frameOf(HTCLOSE));
        DrawButton(dc, (style & WS_MAXIMIZE) ? kSkinRestoreButton : kSkinMaximizeButton, f.maximize, frameOf(HTMAXBUTTON));
        DrawButton(dc, kSkinMinimizeButton, f.minimize, frameOf(HTMINBUTTON));
        DrawButton(dc, kSkinHelpButton, f.help, frameOf(HTHELP));
        DrawButton(dc, kSkinSystemButton, f.system, frameOf(HTSYSMENU));
        RECT text{(f.system.right > f.system.left ? f.system.right : caption.left) + 4, caption.top,
                  caption.right - 4, caption.bottom};
        for (const RECT* r : {&f.help, &f.minimize, &f.maximize, &f.close})
            if (r->right > r->left) text.right = std::min<int>(text.right, r->left - 2);
        HGDIOBJ old = SelectObject(dc, AsGdiObject(wplStyleFont(kStyleCaption,
                                                                 HFONT{static_cast<std::uint32_t>(GetStockObject(DEFAULT_GUI_FONT).id)})));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, wplStyleColour(kStyleCaption, active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        DrawText(dc, GetWindowText(h), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
        SelectObject(dc, old);
    }
    DeleteDC(dc);
}

}  // namespace detail_wpl

LResult wplFrameSubclassProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    auto previous = [&] { return wplCallPrevious("WPL_BORDER", h, m, w, l, false); };
    if (!detail_wpl::theEnabled) return previous();
    switch (m) {
        case WM_NCCALCSIZE: {
            if (l == 0) return 0;
            auto* r = reinterpret_cast<RECT*>(l);
            const RECT in = wplFrameInsets(StyleOf(h), false);
            r->left += in.left;
            r->top += in.top;
            r->right -= in.right;
            r->bottom -= in.bottom;
            if (r->right < r->left) r->right = r->left;
            if (r->bottom < r->top) r->bottom = r->top;
            return 0;
        }
        case WM_NCHITTEST: {
            const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            RECT wr;
            GetWindowRect(h, &wr);
            if (!Inside(wr, p)) return HTNOWHERE;
            const FrameLayout f = Layout(h);
            const RECT client{wr.left + f.insets.left, wr.top + f.insets.top, wr.right - f.insets.right,
                              wr.bottom - f.insets.bottom};
            if (Inside(client, p)) return previous();
            if (const int b = HitButton(f, p); b != HTNOWHERE) return b;
            if (Inside(f.caption, p)) return HTCAPTION;
            if (StyleOf(h) & WS_THICKFRAME) {
                const bool left = p.x < client.left, right = p.x >= client.right;
                const bool top = p.y < wr.top + (f.insets.top - (f.caption.bottom - f.caption.top));
                const bool bottom = p.y >= client.bottom;
                if (top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
                if (bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
                if (left) return HTLEFT;
                if (right) return HTRIGHT;
            }
            return HTBORDER;
        }
        case WM_NCPAINT:
        case WM_NCACTIVATE:
            RequestPresent();
            return m == WM_NCACTIVATE ? 1 : 0;
        case WM_NCLBUTTONDOWN: {
            const int hit = static_cast<int>(w);
            if (hit == HTSYSMENU) {
                // A second click on the button while its menu is up closes it.
                if (GetProp(h, "MENUWASUP") != 0) return 0;
                OpenSystemMenu(h);
                return 0;
            }
            if (hit == HTCLOSE || hit == HTMINBUTTON || hit == HTMAXBUTTON || hit == HTHELP) {
                // A caption button acts only when released over itself.
                thePressed = Pressed{h, hit, true};
                SetCapture(h);
                RequestPresent();
                return 0;
            }
            return previous();
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            if (thePressed.window != h || GetCapture() != h) return previous();
            POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            ClientToScreen(h, &p);
            thePressed.inside = HitButton(Layout(h), p) == thePressed.hit;
            RequestPresent();
            if (m == WM_LBUTTONUP) {
                const Pressed done = thePressed;
                thePressed = Pressed{};
                ReleaseCapture();
                if (done.inside)
                    SendSystemCommand(h, done.hit, MAKELPARAM(static_cast<std::uint16_t>(p.x), static_cast<std::uint16_t>(p.y)));
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (thePressed.window == h) {
                thePressed = Pressed{};
                RequestPresent();
            }
            return previous();
        case WM_NCLBUTTONDBLCLK:
            if (static_cast<int>(w) == HTSYSMENU && Captioned(StyleOf(h))) {
                SendMessage(h, WM_CLOSE, 0, 0);
                return 0;
            }
            return previous();
        case WM_SYSCHAR:
            if (w == ' ' && Captioned(StyleOf(h))) {
                OpenSystemMenu(h);
                return 0;
            }
            return previous();
        case WM_SETTEXT: {
            const LResult r = previous();
            RequestPresent();
            return r;
        }
        case WM_GETMINMAXINFO: {
            const LResult r = previous();
            if (l != 0) {
                // Maximised, the frame lies outside the screen.
                auto* info = reinterpret_cast<MINMAXINFO*>(l);
                const RECT in = wplFrameInsets(StyleOf(h), false);
                const int captionHeight = Captioned(StyleOf(h)) ? wplGetSystemMetrics(SM_CYCAPTION) : 0;
                // Over the picture, the part of the screen that is shown.
                const RECT view = PictureRect();
                info->maxPosition = POINT{view.left - in.left, view.top - (in.top - captionHeight)};
                info->maxSize =
                    POINT{view.right - view.left + in.left + in.right,
                          view.bottom - view.top + (in.top - captionHeight) + in.bottom};
            }
            return r;
        }
        case WM_ERASEBKGND: {
            // The library erases a dialog with the skin's face; controls with a skinned border
            // keep their own background.
            if (GetClassName(h) != WC_DIALOG) return previous();
            HDC dc{static_cast<std::uint32_t>(w)};
            RECT r;
            GetClientRect(h, &r);
            if (HBITMAP face = wplGetBitmap(kSkinDialogFace))
                wplTileBitmap(dc, face, r, 3);
            else
                FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_COMMAND:
            // A dialog's subclass already told the callback.
            if (detail_wpl::theOptions.commandCallback != nullptr && GetProp(h, "WPL") == 0) {
                const HWND control{static_cast<std::uint32_t>(l)};
                detail_wpl::theOptions.commandCallback(h, LOWORD(w), control, HIWORD(w), wplButtonKind(control));
            }
            return previous();
        case WM_NCDESTROY: {
            if (thePressed.window == h) thePressed = Pressed{};
            RemoveProp(h, "MENUWASUP");
            return EndSubclass("WPL_BORDER", h, m, w, l);
        }
        default:
            return previous();
    }
}

}  // namespace ui
