// "ComboBox": a drop-down list ("ComboLBox", a pop-up under the control) with a field that
// shows the selection (CBS_DROPDOWNLIST) or an edit to type into (CBS_DROPDOWN, edit id 1001).
// F4 or Alt+Down opens and closes the list; Up and Down change the selection; a click in the
// open list chooses. The parent hears CBN_SELCHANGE, CBN_EDITCHANGE, CBN_DROPDOWN and
// CBN_CLOSEUP.
#include <algorithm>

#include "win/compositor.h"
#include "win/control_internal.h"

namespace win {

namespace ctl {
ListModel* DropDownModel(HWND list);
void SetDropDownRowHeight(HWND list, int height);
}  // namespace ctl

namespace {

using namespace ctl;

struct ComboState {
    HFONT font;
    HWND list;
    HWND edit;
    int dropHeight = 100;
    bool dropped = false;
    bool focused = false;
    WNDPROC editProc = nullptr;
};
StateTable<ComboState> theCombos;

std::uint32_t Kind(HWND h) {
    return StyleOf(h) & 3;
}

ListModel& Model(ComboState& s) {
    static ListModel empty;
    ListModel* m = DropDownModel(s.list);
    return m != nullptr ? *m : empty;
}

int FieldHeight(ComboState& s) {
    return LineHeight(s.font) + 8;
}

void ShowSelection(HWND h, ComboState& s) {
    ListModel& md = Model(s);
    const std::string text = md.current >= 0 && md.current < static_cast<int>(md.items.size())
                                 ? md.items[md.current].text
                                 : std::string();
    if (s.edit) {
        SetWindowText(s.edit, text);
        SendMessage(s.edit, EM_SETSEL, 0, -1);
    }
    DefWindowProc(h, WM_SETTEXT, 0, reinterpret_cast<LParam>(text.c_str()));
    InvalidateRect(h, nullptr, true);
}

void CloseList(HWND h, ComboState& s, bool chosen) {
    if (!s.dropped) return;
    s.dropped = false;
    ShowWindow(s.list, SW_HIDE);
    InvalidateRect(h, nullptr, true);
    NotifyCommand(h, chosen ? CBN_SELENDOK : 10 /* CBN_SELENDCANCEL */);
    NotifyCommand(h, CBN_CLOSEUP);
}

void OpenList(HWND h, ComboState& s) {
    if (s.dropped || !s.list) return;
    NotifyCommand(h, CBN_DROPDOWN);
    RECT r;
    GetWindowRect(h, &r);
    const int rowH = LineHeight(s.font) + 1;
    const int rows = std::max<int>(1, std::min<int>(static_cast<int>(Model(s).items.size()),
                                                    std::max(1, (s.dropHeight - FieldHeight(s)) / rowH)));
    int y = r.bottom;
    const int height = rows * rowH + 2;
    // A list that would run off the bottom of the picture drops upwards instead.
    if (y + height > PictureRect().bottom) y = r.top - height;
    SetWindowPos(s.list, HWND_TOPMOST, r.left, y, r.right - r.left, height, SWP_NOACTIVATE);
    SendMessage(s.list, WM_SETFONT, s.font.id, 0);
    ListModel& md = Model(s);
    if (md.current >= 0) md.top = std::max(0, std::min(md.current, static_cast<int>(md.items.size()) - rows));
    ShowWindow(s.list, SW_SHOWNA);
    s.dropped = true;
    InvalidateRect(h, nullptr, true);
}

void UserSelect(HWND h, ComboState& s, int i) {
    ListModel& md = Model(s);
    const int n = static_cast<int>(md.items.size());
    if (n == 0) return;
    i = std::clamp(i, 0, n - 1);
    if (i == md.current && md.items[i].selected) return;
    md.Select(i);
    InvalidateRect(s.list, nullptr, true);
    ShowSelection(h, s);
    NotifyCommand(h, CBN_SELCHANGE);
}

// The edit of a CBS_DROPDOWN combo hands the list keys to its combo.
LResult ComboEditProc(HWND e, std::uint32_t m, WParam w, LParam l) {
    HWND combo = GetParent(e);
    ComboState* s = theCombos.Get(combo);
    if (s == nullptr || s->editProc == nullptr) return DefWindowProc(e, m, w, l);
    if ((m == WM_KEYDOWN || m == WM_SYSKEYDOWN) &&
        (w == VK_UP || w == VK_DOWN || w == VK_F4 || w == VK_PRIOR || w == VK_NEXT ||
         (s->dropped && (w == VK_RETURN || w == VK_ESCAPE))))
        return SendMessage(combo, m, w, l);
    if (m == WM_GETDLGCODE) {
        const LResult code = CallWindowProc(s->editProc, e, m, w, l);
        return s->dropped ? (code | DLGC_WANTALLKEYS) : code;
    }
    return CallWindowProc(s->editProc, e, m, w, l);
}

void Paint(HWND h, ComboState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT c;
    GetClientRect(h, &c);
    const bool disabled = (StyleOf(h) & WS_DISABLED) != 0;
    HBRUSH back = ControlColours(h, dc, WM_CTLCOLOREDIT, COLOR_WINDOW);
    FillRect(dc, &c, back);
    const int bw = GetSystemMetrics(SM_CXVSCROLL);
    RECT field{c.left, c.top, c.right - bw, c.bottom};
    if (!s.edit) {
        HGDIOBJ old = SelectObject(dc, AsGdiObject(FontOr(s.font)));
        SetBkMode(dc, TRANSPARENT);
        RECT sel{field.left + 3, field.top + 3, field.right - 1, field.bottom - 3};
        if (s.focused && !s.dropped) {
            FillRect(dc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        if (disabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        RECT tr{sel.left + 2, sel.top, sel.right, sel.bottom};
        DrawText(dc, GetWindowText(h), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (s.focused && !s.dropped) DrawFocusRect(dc, &sel);
        SelectObject(dc, old);
    }
    RECT button{c.right - bw - 2, c.top + 2, c.right - 2, c.bottom - 2};
    FillRect(dc, &button, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &button, s.dropped ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    // The arrow.
    const COLORREF ink = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    const int ax = (button.left + button.right) / 2, ay = (button.top + button.bottom) / 2 - 1;
    for (int i = 0; i < 4; ++i)
        for (int x = ax - 3 + i; x <= ax + 3 - i; ++x)
            SetPixel(dc, x, ay + i, ink);
    DrawEdge(dc, &c, EDGE_SUNKEN, BF_RECT);
    EndPaint(h, &ps);
}

}  // namespace

LResult ComboDropDownEvent(HWND combo, int event, int index) {
    ComboState* s = theCombos.Get(combo);
    if (s == nullptr) return 0;
    if (event == 0) {
        ShowSelection(combo, *s);
        NotifyCommand(combo, CBN_SELCHANGE);
    } else {
        if (index >= 0) {
            ShowSelection(combo, *s);
            NotifyCommand(combo, CBN_SELCHANGE);
        }
        CloseList(combo, *s, index >= 0);
    }
    return 0;
}

LResult ComboBoxProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    ComboState* s = theCombos.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theCombos.Make(h);
            return DefWindowProc(h, m, w, l);
        case WM_CREATE: {
            if (s == nullptr) return -1;
            auto* cs = reinterpret_cast<const CREATESTRUCT*>(l);
            s->dropHeight = std::max(cs->cy, 40);
            const std::uint32_t style = StyleOf(h);
            std::uint32_t lbStyle = WS_POPUP | WS_BORDER | LBS_NOTIFY | LBS_HASSTRINGS;
            if (style & CBS_SORT) lbStyle |= LBS_SORT;
            if (style & CBS_OWNERDRAWFIXED) lbStyle |= LBS_OWNERDRAWFIXED;
            s->list = CreateWindowEx(WS_EX_TOPMOST, WC_COMBOLBOX, "", lbStyle, 0, 0, cs->cx, 10, h,
                                     {}, {}, static_cast<LParam>(h.id));
            if (!s->list) return -1;
            if (Kind(h) != CBS_DROPDOWNLIST) {
                s->edit = CreateWindowEx(0, WC_EDIT, "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 3, 3,
                                         std::max(1, cs->cx - GetSystemMetrics(SM_CXVSCROLL) - 6),
                                         std::max(1, FieldHeight(*s) - 6), h,
                                         HMENU{static_cast<std::uint32_t>(kComboEditId)}, {}, 0);
                s->editProc = reinterpret_cast<WNDPROC>(
                    SetWindowLong(s->edit, GWL_WNDPROC, reinterpret_cast<std::intptr_t>(&ComboEditProc)));
            }
            SetWindowPos(h, {}, 0, 0, cs->cx, FieldHeight(*s), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_NCDESTROY:
            if (s != nullptr && IsWindow(s->list)) DestroyWindow(s->list);
            theCombos.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    ListModel& md = Model(*s);
    auto text = [&](LParam p) { return p != 0 ? std::string(reinterpret_cast<const char*>(p)) : std::string(); };
    switch (m) {
        case WM_SETFONT:
            s->font = HFONT{static_cast<std::uint32_t>(w)};
            if (s->edit) SendMessage(s->edit, WM_SETFONT, w, l);
            if (s->list) SendMessage(s->list, WM_SETFONT, w, 0);
            SetWindowPos(h, {}, 0, 0, [&] { RECT r; GetWindowRect(h, &r); return r.right - r.left; }(),
                         FieldHeight(*s), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            if (s->edit) {
                RECT r;
                GetClientRect(h, &r);
                MoveWindow(s->edit, 3, 3, std::max(1, r.right - GetSystemMetrics(SM_CXVSCROLL) - 6),
                           std::max(1, FieldHeight(*s) - 6), true);
            }
            return 0;
        case WM_GETFONT:
            return static_cast<LResult>(s->font.id);
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS | (s->dropped ? DLGC_WANTALLKEYS : 0);
        case WM_PAINT:
            Paint(h, *s);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT:
            if (s->edit) SetWindowText(s->edit, text(l));
            return DefWindowProc(h, m, w, l);
        case WM_COMMAND:
            if (HWND{static_cast<std::uint32_t>(l)} == s->edit) {
                const unsigned code = HIWORD(w);
                if (code == EN_CHANGE) {
                    const std::string t = GetWindowText(s->edit);
                    DefWindowProc(h, WM_SETTEXT, 0, reinterpret_cast<LParam>(t.c_str()));
                    NotifyCommand(h, CBN_EDITCHANGE);
                } else if (code == EN_SETFOCUS) {
                    s->focused = true;
                    NotifyCommand(h, CBN_SETFOCUS);
                } else if (code == EN_KILLFOCUS) {
                    s->focused = false;
                    CloseList(h, *s, false);
                    NotifyCommand(h, CBN_KILLFOCUS);
                }
            }
            return 0;
        case CB_ADDSTRING:
        case CB_INSERTSTRING: {
            const int at = md.Insert(m == CB_ADDSTRING ? -1 : static_cast<int>(static_cast<std::intptr_t>(w)), text(l), 0);
            InvalidateRect(s->list, nullptr, true);
            return at;
        }
        case CB_DELETESTRING: {
            const LResult r = SendMessage(s->list, LB_DELETESTRING, w, 0);
            return r;
        }
        case CB_RESETCONTENT:
            SendMessage(s->list, LB_RESETCONTENT, 0, 0);
            ShowSelection(h, *s);
            return 0;
        case CB_GETCOUNT:
            return static_cast<LResult>(md.items.size());
        case CB_GETCURSEL:
            return md.current >= 0 && md.current < static_cast<int>(md.items.size()) ? md.current : CB_ERR;
        case CB_SETCURSEL: {
            const int i = static_cast<int>(static_cast<std::intptr_t>(w));
            const bool ok = i >= 0 && i < static_cast<int>(md.items.size());
            md.Select(ok ? i : -1);
            ShowSelection(h, *s);
            InvalidateRect(s->list, nullptr, true);
            return ok ? i : CB_ERR;
        }
        case CB_GETLBTEXT:
            return SendMessage(s->list, LB_GETTEXT, w, l);
        case CB_GETLBTEXTLEN:
            return SendMessage(s->list, LB_GETTEXTLEN, w, l);
        case CB_GETITEMDATA:
            return SendMessage(s->list, LB_GETITEMDATA, w, l);
        case CB_SETITEMDATA:
            return SendMessage(s->list, LB_SETITEMDATA, w, l);
        case CB_FINDSTRING:
        case CB_FINDSTRINGEXACT:
            return md.Find(static_cast<int>(static_cast<std::intptr_t>(w)), text(l), m == CB_FINDSTRINGEXACT);
        case CB_SELECTSTRING: {
            const int i = md.Find(static_cast<int>(static_cast<std::intptr_t>(w)), text(l), false);
            if (i < 0) return CB_ERR;
            md.Select(i);
            ShowSelection(h, *s);
            return i;
        }
        case CB_SHOWDROPDOWN:
            if (w != 0) OpenList(h, *s);
            else CloseList(h, *s, false);
            return 1;
        case CB_GETDROPPEDSTATE:
            return s->dropped ? 1 : 0;
        case CB_LIMITTEXT:
            if (s->edit) SendMessage(s->edit, EM_LIMITTEXT, w, 0);
            return 1;
        case CB_GETEDITSEL:
            return s->edit ? SendMessage(s->edit, EM_GETSEL, w, l) : CB_ERR;
        case CB_SETEDITSEL:
            if (!s->edit) return CB_ERR;
            SendMessage(s->edit, EM_SETSEL, static_cast<WParam>(static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(l)))),
                        static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(l))));
            return 1;
        case WM_SETFOCUS:
            if (s->edit) {
                SetFocus(s->edit);
                return 0;
            }
            s->focused = true;
            InvalidateRect(h, nullptr, true);
            NotifyCommand(h, CBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            if (s->edit && HWND{static_cast<std::uint32_t>(w)} == s->edit) return 0;
            s->focused = false;
            CloseList(h, *s, false);
            InvalidateRect(h, nullptr, true);
            NotifyCommand(h, CBN_KILLFOCUS);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetFocus(h);
            if (s->dropped) CloseList(h, *s, false);
            else OpenList(h, *s);
            return 0;
        case WM_MOUSEWHEEL:
            if (!s->dropped) {
                const int delta = static_cast<std::int16_t>(HIWORD(w));
                UserSelect(h, *s, md.current + (delta > 0 ? -1 : 1));
            } else {
                SendMessage(s->list, m, w, l);
            }
            return 0;
        case WM_SYSKEYDOWN:
            if (w == VK_DOWN || w == VK_UP) {
                if (s->dropped) CloseList(h, *s, true);
                else OpenList(h, *s);
                return 0;
            }
            break;
        case WM_KEYDOWN:
            switch (w) {
                case VK_F4:
                    if (s->dropped) CloseList(h, *s, true);
                    else OpenList(h, *s);
                    return 0;
                case VK_UP:
                case VK_DOWN:
                case VK_PRIOR:
                case VK_NEXT:
                case VK_HOME:
                case VK_END: {
                    if (s->edit && (w == VK_HOME || w == VK_END)) break;
                    const int n = static_cast<int>(md.items.size());
                    const int step = w == VK_UP ? -1 : w == VK_DOWN ? 1 : w == VK_PRIOR ? -8 : 8;
                    int i = md.current < 0 ? 0 : md.current + step;
                    if (w == VK_HOME) i = 0;
                    if (w == VK_END) i = n - 1;
                    UserSelect(h, *s, i);
                    if (s->dropped) {
                        ListModel& lm = Model(*s);
                        RECT lr;
                        GetClientRect(s->list, &lr);
                        const int rows = std::max(1, lr.bottom / (LineHeight(s->font) + 1));
                        if (lm.current < lm.top) lm.top = lm.current;
                        if (lm.current >= lm.top + rows) lm.top = lm.current - rows + 1;
                    }
                    return 0;
                }
                case VK_RETURN:
                    if (s->dropped) CloseList(h, *s, true);
                    return 0;
                case VK_ESCAPE:
                    if (s->dropped) CloseList(h, *s, false);
                    return 0;
                default:
                    break;
            }
            break;
        case WM_CHAR:
            if (!s->edit && w > ' ') {
                // Type-ahead on a list without an edit.
                const int i = md.Find(md.current, std::string(1, static_cast<char>(w)), false);
                if (i >= 0) UserSelect(h, *s, i);
                return 0;
            }
            break;
        case WM_ENABLE:
            if (s->edit) EnableWindow(s->edit, w != 0);
            InvalidateRect(h, nullptr, true);
            return 0;
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

}  // namespace win
