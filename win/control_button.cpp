// "Button": push buttons (the default one with a thick frame), check boxes, radio buttons and
// three-state boxes with their automatic kinds, group boxes and owner-drawn buttons. A click is
// a press and a release inside; the parent hears BN_CLICKED.
#include "win/control_internal.h"
#include "win/window_surface.h"

namespace win {
namespace {

using namespace ctl;

struct ButtonState {
    HFONT font;
    int check = BST_UNCHECKED;
    bool pushed = false;   // shown pressed (mouse held inside, or Space held)
    bool tracking = false; // the mouse went down on it and the capture is ours
    bool focused = false;
    HBITMAP image;
};
StateTable<ButtonState> theButtons;

std::uint32_t TypeOf(HWND h) {
    return StyleOf(h) & BS_TYPEMASK;
}

bool IsCheckKind(std::uint32_t t) {
    return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE;
}
bool IsRadioKind(std::uint32_t t) {
    return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON;
}
bool IsPushKind(std::uint32_t t) {
    return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON || t == BS_USERBUTTON;
}

void Repaint(HWND h) {
    InvalidateRect(h, nullptr, true);
}

// Checks an automatic radio button and clears the others of its group.
void CheckInGroup(HWND h) {
    HWND parent = GetParent(h);
    SendMessage(h, BM_SETCHECK, BST_CHECKED, 0);
    if (!parent) return;
    for (HWND c = GetNextDlgGroupItem(parent, h, false); c && c != h;
         c = GetNextDlgGroupItem(parent, c, false)) {
        if (GetClassName(c) == WC_BUTTON && TypeOf(c) == BS_AUTORADIOBUTTON)
            SendMessage(c, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void Click(HWND h) {
    const std::uint32_t t = TypeOf(h);
    ButtonState* s = theButtons.Get(h);
    if (s == nullptr) return;
    if (t == BS_AUTOCHECKBOX)
        SendMessage(h, BM_SETCHECK, s->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    else if (t == BS_AUTO3STATE)
        SendMessage(h, BM_SETCHECK, (s->check + 1) % 3, 0);
    else if (t == BS_AUTORADIOBUTTON)
        CheckInGroup(h);
    NotifyCommand(h, BN_CLICKED);
}

void DrawGlyph(HDC dc, const RECT& box, std::uint32_t type, int check, bool pushed,
               bool disabled) {
    HBRUSH face = GetSysColorBrush(pushed || disabled ? COLOR_BTNFACE : COLOR_WINDOW);
    const COLORREF mark = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    RECT r = box;
    FillRect(dc, &r, face);
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    if (IsRadioKind(type)) {
        if (check == BST_CHECKED) {
            const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
            for (int y = cy - 2; y <= cy + 1; ++y)
                for (int x = cx - 2; x <= cx + 1; ++x)
                    SetPixel(dc, x, y, mark);
        }
        return;
    }
    if (check == BST_UNCHECKED) return;
    const COLORREF c = check == BST_INDETERMINATE ? GetSysColor(COLOR_GRAYTEXT) : mark;
    // A tick: down from the left, then up to the right.
    const int x0 = box.left + 3, yMid = (box.top + box.bottom) / 2;
    for (int i = 0; i < 7; ++i) {
        const int y = i < 3 ? yMid - 1 + i : yMid + 1 - (i - 2);
        SetPixel(dc, x0 + i, y, c);
        SetPixel(dc, x0 + i, y + 1, c);
        SetPixel(dc, x0 + i, y + 2, c);
    }
}

void Paint(HWND h, ButtonState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT client;
    GetClientRect(h, &client);
    const std::uint32_t style = StyleOf(h);
    const std::uint32_t t = style & BS_TYPEMASK;
    const bool disabled = (style & WS_DISABLED) != 0;
    const std::string text = GetWindowText(h);
    HGDIOBJ oldFont = SelectObject(dc, AsGdiObject(FontOr(s.font)));
    SetBkMode(dc, TRANSPARENT);

    if (t == BS_OWNERDRAW) {
        DRAWITEMSTRUCT d;
        d.CtlType = ODT_BUTTON;
        d.CtlID = static_cast<unsigned>(IdOf(h));
        d.itemAction = ODA_DRAWENTIRE;
        d.itemState = (s.pushed ? ODS_SELECTED : 0) | (disabled ? ODS_DISABLED : 0) |
                      (s.focused ? ODS_FOCUS : 0) | (s.check == BST_CHECKED ? ODS_CHECKED : 0);
        d.hwndItem = h;
        d.hDC = dc;
        d.rcItem = client;
        SendMessage(GetParent(h), WM_DRAWITEM, d.CtlID, reinterpret_cast<LParam>(&d));
    } else {
        HBRUSH back = ControlColours(h, dc, WM_CTLCOLORBTN, COLOR_BTNFACE);
        const COLORREF textColour = disabled ? GetSysColor(COLOR_GRAYTEXT) : GetTextColor(dc);
        if (GetWindowLong(h, GWL_EXSTYLE) & WS_EX_TRANSPARENT)
            ClearWindowSurfaceTransparent(h);
        else
            FillRect(dc, &client, back);
        SetTextColor(dc, textColour);
        if (IsPushKind(t) || (style & BS_PUSHLIKE)) {
            RECT r = client;
            const bool down = s.pushed || ((style & BS_PUSHLIKE) && s.check == BST_CHECKED);
            if (t == BS_DEFPUSHBUTTON) {
                FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
                r.left += 1;
                r.top += 1;
                r.right -= 1;
                r.bottom -= 1;
            }
            if (down) {
                FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
            } else {
                DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
            }
            RECT tr = client;
            if (down) {
                tr.left += 1;
                tr.top += 1;
            }
            std::uint32_t align = DT_CENTER;
            if ((style & BS_CENTER) == BS_LEFT) align = DT_LEFT;
            if ((style & BS_CENTER) == BS_RIGHT) align = DT_RIGHT;
            RECT calc = tr;
            DrawText(dc, text, &tr, align | DT_VCENTER | DT_SINGLELINE);
            if (s.focused) {
                DrawText(dc, text, &calc, DT_CALCRECT | DT_SINGLELINE);
                const int w = calc.right - calc.left, hgt = calc.bottom - calc.top;
                RECT f{(client.left + client.right - w) / 2 - 2,
                       (client.top + client.bottom - hgt) / 2 - 1,
                       (client.left + client.right + w) / 2 + 2,
                       (client.top + client.bottom + hgt) / 2 + 1};
                f.left = std::max(f.left, client.left + 3);
                f.right = std::min(f.right, client.right - 3);
                DrawFocusRect(dc, &f);
            }
        } else if (t == BS_GROUPBOX) {
            const int lh = LineHeight(s.font);
            RECT frame{client.left, client.top + lh / 2, client.right, client.bottom};
            DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
            if (!text.empty()) {
                RECT tr{client.left + 8, client.top, client.right - 8, client.top + lh};
                RECT calc = tr;
                DrawText(dc, text, &calc, DT_CALCRECT | DT_SINGLELINE);
                calc.right += 4;
                calc.left -= 2;
                FillRect(dc, &calc, back);
                DrawText(dc, text, &tr, DT_LEFT | DT_SINGLELINE);
            }
        } else if (IsCheckKind(t) || IsRadioKind(t)) {
            const int box = 13;
            const bool leftText = (style & BS_LEFTTEXT) != 0;
            const int by = (client.top + client.bottom - box) / 2;
            RECT glyph{leftText ? client.right - box : client.left, by,
                       leftText ? client.right : client.left + box, by + box};
            DrawGlyph(dc, glyph, t, s.check, s.pushed, disabled);
            RECT tr{leftText ? client.left : client.left + box + 4, client.top,
                    leftText ? client.right - box - 4 : client.right, client.bottom};
            const std::uint32_t multi = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
            DrawText(dc, text, &tr, DT_LEFT | DT_VCENTER | multi);
            if (s.focused && !text.empty()) {
                RECT calc = tr;
                DrawText(dc, text, &calc, DT_CALCRECT | DT_SINGLELINE);
                const int hgt = calc.bottom - calc.top;
                RECT f{tr.left - 1, (client.top + client.bottom - hgt) / 2 - 1,
                       std::min<int>(tr.left + (calc.right - calc.left) + 1, client.right),
                       (client.top + client.bottom + hgt) / 2 + 1};
                DrawFocusRect(dc, &f);
            }
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(h, &ps);
}

}  // namespace

LResult ButtonProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    ButtonState* s = theButtons.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theButtons.Make(h);
            // A group box frames the controls inside it without covering them.
            if (TypeOf(h) == BS_GROUPBOX)
                SetWindowLong(h, GWL_EXSTYLE, GetWindowLong(h, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
            return DefWindowProc(h, m, w, l);
        case WM_NCDESTROY:
            theButtons.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    const std::uint32_t t = TypeOf(h);
    switch (m) {
        case WM_SETFONT:
            s->font = HFONT{static_cast<std::uint32_t>(w)};
            if (l != 0) Repaint(h);
            return 0;
        case WM_GETFONT:
            return static_cast<LResult>(s->font.id);
        case WM_GETDLGCODE:
            if (t == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
            if (IsPushKind(t) || t == BS_OWNERDRAW) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
            if (IsRadioKind(t)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
            if (t == BS_GROUPBOX) return DLGC_STATIC;
            return DLGC_BUTTON;
        case WM_PAINT:
            Paint(h, *s);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT: {
            const LResult r = DefWindowProc(h, m, w, l);
            Repaint(h);
            return r;
        }
        case WM_ENABLE:
            Repaint(h);
            return 0;
        case BM_GETCHECK:
            return IsCheckKind(t) || IsRadioKind(t) || t == BS_OWNERDRAW ? s->check : 0;
        case BM_SETCHECK: {
            int v = static_cast<int>(w) & 3;
            if (v == BST_INDETERMINATE && t != BS_3STATE && t != BS_AUTO3STATE) v = BST_CHECKED;
            if (v != s->check) {
                s->check = v;
                Repaint(h);
            }
            // A checked radio button is reached by Tab; the others of its group are not.
            if (IsRadioKind(t)) {
                std::uint32_t st = StyleOf(h);
                st = v == BST_CHECKED ? (st | WS_TABSTOP) : (st & ~WS_TABSTOP);
                SetWindowLong(h, GWL_STYLE, static_cast<std::intptr_t>(st));
            }
            return 0;
        }
        case BM_GETSTATE:
            return s->check | (s->pushed ? BST_PUSHED : 0) | (s->focused ? BST_FOCUS : 0);
        case BM_SETSTATE:
            if ((w != 0) != s->pushed) {
                s->pushed = w != 0;
                Repaint(h);
            }
            return 0;
        case BM_SETSTYLE: {
            std::uint32_t st = (StyleOf(h) & ~BS_TYPEMASK) | (static_cast<std::uint32_t>(w) & BS_TYPEMASK);
            SetWindowLong(h, GWL_STYLE, static_cast<std::intptr_t>(st));
            if (l != 0) Repaint(h);
            return 0;
        }
        case BM_CLICK:
            if (!IsWindowEnabled(h) || t == BS_GROUPBOX) return 0;
            Click(h);
            return 0;
        case STM_SETIMAGE: {
            const HBITMAP old = s->image;
            s->image = HBITMAP{static_cast<std::uint32_t>(l)};
            Repaint(h);
            return static_cast<LResult>(old.id);
        }
        case STM_GETIMAGE:
            return static_cast<LResult>(s->image.id);
        case WM_SETFOCUS:
            s->focused = true;
            Repaint(h);
            if (t == BS_AUTORADIOBUTTON && GetCapture() != h && s->check != BST_CHECKED &&
                !(GetKeyState(static_cast<int>(VK_LBUTTON)) < 0)) {
                // Reaching an automatic radio button by the keyboard selects it.
                Click(h);
            }
            return 0;
        case WM_KILLFOCUS:
            s->focused = false;
            if (s->pushed && !s->tracking) s->pushed = false;
            Repaint(h);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (t == BS_GROUPBOX) return 0;
            SetFocus(h);
            SetCapture(h);
            s->tracking = true;
            s->pushed = true;
            Repaint(h);
            return 0;
        case WM_MOUSEMOVE:
            if (s->tracking) {
                RECT r;
                GetClientRect(h, &r);
                const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
                const bool inside = p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
                if (inside != s->pushed) {
                    s->pushed = inside;
                    Repaint(h);
                }
            }
            return 0;
        case WM_LBUTTONUP:
            if (s->tracking) {
                const bool inside = s->pushed;
                s->tracking = false;
                s->pushed = false;
                ReleaseCapture();
                Repaint(h);
                if (inside && IsWindow(h)) Click(h);
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (s->tracking) {
                s->tracking = false;
                s->pushed = false;
                Repaint(h);
            }
            return 0;
        case WM_KEYDOWN:
            if (w == VK_SPACE && t != BS_GROUPBOX) {
                if (!s->pushed) {
                    s->pushed = true;
                    Repaint(h);
                }
                return 0;
            }
            break;
        case WM_KEYUP:
            if (w == VK_SPACE && s->pushed && !s->tracking) {
                s->pushed = false;
                Repaint(h);
                Click(h);
                return 0;
            }
            break;
        case WM_CHAR:
            if (w == ' ') return 0;
            break;
        case WM_NCHITTEST:
            return t == BS_GROUPBOX ? HTTRANSPARENT : HTCLIENT;
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

}  // namespace win
