// The dialog manager: a dialog window of class "#32770" is made from a template (its size and
// its controls' rectangles in dialog units of the template's font), its controls are made in
// template order and told the font, and WM_INITDIALOG carries the caller's parameter. The class
// procedure DefDlgProc gives the dialog procedure the first word and supplies the defaults:
// Cancel on close, the default button, focus keeping, the background and control colours.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <unordered_map>

#include "win/compositor.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/font.h"
#include "win/modal.h"
#include "win/window_internal.h"

namespace win {
namespace {

using detail::Find;

struct DialogInfo {
    HFONT font;
    bool ownsFont = false;
    SIZE baseUnits{6, 13};
    int defId = 0;  // 0: the first BS_DEFPUSHBUTTON child
    HWND savedFocus;
};

std::unordered_map<std::uint32_t, DialogInfo>& Infos() {
    static std::unordered_map<std::uint32_t, DialogInfo> infos;
    return infos;
}

DialogInfo* InfoOf(HWND dialog) {
    auto it = Infos().find(dialog.id);
    return it == Infos().end() ? nullptr : &it->second;
}

int MulDivInt(int a, int b, int c) {
    if (c == 0) return -1;
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

unsigned DlgCode(HWND h) {
    return static_cast<unsigned>(SendMessage(h, WM_GETDLGCODE, 0, 0));
}

bool Usable(HWND h) {
    detail::WindowData* w = Find(h);
    return w != nullptr && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}

// Pixels per 4 horizontal and 8 vertical dialog units of a font, as the system measures them:
// the average width of the 52 letters, and the character height.
SIZE BaseUnitsOf(HFONT font) {
    HDC dc = CreateCompatibleDC({});
    HGDIOBJ old = SelectObject(dc, AsGdiObject(font));
    SIZE s{};
    GetTextExtentPoint32(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &s);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    SIZE r{(s.cx / 26 + 1) / 2, tm.tmHeight};
    if (r.cx <= 0) r.cx = 6;
    if (r.cy <= 0) r.cy = 13;
    return r;
}

HWND DefaultButton(HWND dialog) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetClassName(c) == WC_BUTTON &&
            (static_cast<std::uint32_t>(GetWindowLong(c, GWL_STYLE)) & BS_TYPEMASK) ==
                BS_DEFPUSHBUTTON)
            return c;
    return {};
}

void SetDefaultId(HWND dialog, DialogInfo& info, int id) {
    // The old default push button loses its thick frame, the new one gets it.
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (GetClassName(c) != WC_BUTTON) continue;
        const std::uint32_t type =
            static_cast<std::uint32_t>(GetWindowLong(c, GWL_STYLE)) & BS_TYPEMASK;
        if (type == BS_DEFPUSHBUTTON && GetDlgCtrlID(c) != id)
            SendMessage(c, BM_SETSTYLE, BS_PUSHBUTTON, 1);
        else if (type == BS_PUSHBUTTON && GetDlgCtrlID(c) == id)
            SendMessage(c, BM_SETSTYLE, BS_DEFPUSHBUTTON, 1);
    }
    info.defId = id;
}

HWND FirstTabStop(HWND dialog) {
    return GetNextDlgTabItem(dialog, {}, false);
}

void FocusControl(HWND control) {
    SetFocus(control);
    // An edit reached by the keyboard shows all its text selected, ready to be typed over.
    if (DlgCode(control) & DLGC_HASSETSEL) SendMessage(control, EM_SETSEL, 0, -1);
}

bool IsSpecialResult(std::uint32_t message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

LResult DefaultDialogHandling(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    DialogInfo* info = InfoOf(hwnd);
    switch (message) {
        case WM_CLOSE: {
            HWND cancel = GetDlgItem(hwnd, IDCANCEL);
            if (!cancel || IsWindowEnabled(cancel))
                PostMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                            static_cast<LParam>(cancel.id));
            return 0;
        }
        case DM_GETDEFID: {
            int id = info != nullptr ? info->defId : 0;
            if (id == 0)
                if (HWND b = DefaultButton(hwnd)) id = GetDlgCtrlID(b);
            return id != 0 ? static_cast<LResult>(MAKELONG(static_cast<std::uint16_t>(id),
                                                           static_cast<std::uint16_t>(DC_HASDEFID)))
                           : 0;
        }
        case DM_SETDEFID:
            if (info != nullptr) SetDefaultId(hwnd, *info, static_cast<int>(wParam));
            return 1;
        case WM_NEXTDLGCTL: {
            HWND target = LOWORD(static_cast<std::uintptr_t>(lParam)) != 0
                              ? HWND{static_cast<std::uint32_t>(wParam)}
                              : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0);
            if (target) FocusControl(target);
            return 0;
        }
        case WM_SETFONT:
            if (info != nullptr) info->font = HFONT{static_cast<std::uint32_t>(wParam)};
            return 0;
        case WM_GETFONT:
            return info != nullptr ? static_cast<LResult>(info->font.id) : 0;
        case WM_ERASEBKGND: {
            HDC dc{static_cast<std::uint32_t>(wParam)};
            HBRUSH brush{static_cast<std::uint32_t>(
                SendMessage(hwnd, WM_CTLCOLORDLG, wParam, static_cast<LParam>(hwnd.id)))};
            if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(dc, &r, brush);
            return 1;
        }
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORSCROLLBAR: {
            HDC dc{static_cast<std::uint32_t>(wParam)};
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return static_cast<LResult>(GetSysColorBrush(COLOR_BTNFACE).id);
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            HDC dc{static_cast<std::uint32_t>(wParam)};
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return static_cast<LResult>(GetSysColorBrush(COLOR_WINDOW).id);
        }
        case WM_ACTIVATE:
            if (info != nullptr) {
                if (LOWORD(wParam) == WA_INACTIVE) {
                    HWND f = GetFocus();
                    if (f && IsChild(hwnd, f)) info->savedFocus = f;
                } else if (HIWORD(wParam) == 0) {
                    HWND f = info->savedFocus;
                    if (!f || !IsChild(hwnd, f) || !Usable(f)) f = FirstTabStop(hwnd);
                    if (f && GetFocus() != f && !IsChild(hwnd, GetFocus())) SetFocus(f);
                }
            }
            return 0;
        case WM_SETFOCUS: {
            HWND f = info != nullptr ? info->savedFocus : HWND{};
            if (!f || !IsChild(hwnd, f) || !Usable(f)) f = FirstTabStop(hwnd);
            if (f) SetFocus(f);
            return 0;
        }
        case WM_GETDLGCODE:
            return 0;
        case WM_NCDESTROY: {
            if (info != nullptr) {
                if (info->ownsFont) DeleteObject(AsGdiObject(info->font));
                Infos().erase(hwnd.id);
            }
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

std::optional<DialogTemplate> LoadTemplate(HINSTANCE library, std::string_view name) {
    if (!name.empty() && name[0] == '#') {
        char* end = nullptr;
        const unsigned long id = std::strtoul(std::string(name.substr(1)).c_str(), &end, 10);
        if (end != nullptr && *end == '\0') return LoadDialogTemplate(library, static_cast<std::uint32_t>(id));
    }
    return LoadDialogTemplate(library, name);
}

std::intptr_t DialogBoxParamInternal(const DialogTemplate& templ, std::string_view name,
                                     HWND parent, DLGPROC proc, LParam param);

}  // namespace

// The procedure of the dialog being made, for the messages it gets before its window holds it
// (a creation hook's questions).
static DLGPROC thePendingProc = nullptr;

LResult DefDlgProc(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    auto proc = reinterpret_cast<DLGPROC>(GetWindowLong(hwnd, DWL_DLGPROC));
    if (proc == nullptr) proc = thePendingProc;
    if (proc != nullptr) {
        SetWindowLong(hwnd, DWL_MSGRESULT, 0);
        const std::intptr_t r = proc(hwnd, message, wParam, lParam);
        if (message == WM_INITDIALOG) return r;
        if (!IsWindow(hwnd)) return r;
        if (r != 0) return IsSpecialResult(message) ? r : GetWindowLong(hwnd, DWL_MSGRESULT);
    }
    return DefaultDialogHandling(hwnd, message, wParam, lParam);
}

HWND CreateDialogIndirectParam(const DialogTemplate& templ, HWND parent, DLGPROC proc,
                               LParam param) {
    // A template must hold a sane number of controls at sane places.
    if (templ.items.size() > 255 || templ.cx < 0 || templ.cy < 0) return {};
    InitCommonControls();
    DialogInfo info;
    if (templ.fontSize != 0 && !templ.fontFace.empty()) {
        info.font = CreateFont(-MulDivInt(templ.fontSize, 96, 72), 0, 0, 0,
                               templ.fontWeight != 0 ? templ.fontWeight : FW_NORMAL,
                               templ.fontItalic, 0, 0, templ.fontCharSet, 0, 0, 0, 0,
                               templ.fontFace);
        info.ownsFont = static_cast<bool>(info.font);
    }
    if (!info.font) info.font = HFONT{static_cast<std::uint32_t>(GetStockObject(DEFAULT_GUI_FONT).id)};
    info.baseUnits = BaseUnitsOf(info.font);
    const SIZE bu = info.baseUnits;
    auto px = [&](int v) { return MulDivInt(v, bu.cx, 4); };
    auto py = [&](int v) { return MulDivInt(v, bu.cy, 8); };

    std::uint32_t style = templ.style & ~WS_VISIBLE;
    RECT r{0, 0, px(templ.cx), py(templ.cy)};
    AdjustWindowRectEx(&r, style, false, templ.exStyle);
    int x = px(templ.x), y = py(templ.y);
    if (!(style & WS_CHILD) && !(templ.style & DS_ABSALIGN) && parent) {
        POINT o{0, 0};
        ClientToScreen(parent, &o);
        x += o.x;
        y += o.y;
    }
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (templ.style & DS_CENTER) {
        // Centred on the picture, the part of the screen that is shown.
        const RECT view = PictureRect();
        x = view.left + (view.right - view.left - w) / 2;
        y = view.top + (view.bottom - view.top - h) / 2;
    }
    thePendingProc = proc;
    HWND dialog = CreateWindowEx(templ.exStyle, WC_DIALOG, templ.caption, style, x, y, w, h, parent,
                                 {}, {}, param);
    thePendingProc = nullptr;
    if (!dialog) {
        if (info.ownsFont) DeleteObject(AsGdiObject(info.font));
        return {};
    }
    // A frame drawn by the dialog's own procedure may differ from the system's: the client
    // area is the template's size whatever the frame.
    RECT client;
    GetClientRect(dialog, &client);
    if (client.right != px(templ.cx) || client.bottom != py(templ.cy))
        SetWindowPos(dialog, {}, 0, 0, w + px(templ.cx) - client.right, h + py(templ.cy) - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Infos()[dialog.id] = info;
    SetWindowLong(dialog, DWL_DLGPROC, reinterpret_cast<std::intptr_t>(proc));
    SendMessage(dialog, WM_SETFONT, info.font.id, 0);
    for (const DialogItemTemplate& item : templ.items) {
        HWND c = CreateWindowEx(item.exStyle, item.className, item.text, item.style | WS_CHILD,
                                px(item.x), py(item.y), px(item.cx), py(item.cy), dialog,
                                HMENU{static_cast<std::uint32_t>(item.id & 0xFFFF)}, {}, 0);
        if (!c) {
            // An unknown class or a control that refused to be made: no dialog at all.
            DestroyWindow(dialog);
            return {};
        }
        SendMessage(c, WM_SETFONT, info.font.id, 0);
    }
    if (!IsWindow(dialog)) return {};
    HWND first = FirstTabStop(dialog);
    const LResult wantFocus = SendMessage(dialog, WM_INITDIALOG, first.id, param);
    if (!IsWindow(dialog)) return {};
    if (wantFocus != 0) {
        first = FirstTabStop(dialog);
        if (first) {
            if (DialogInfo* i = InfoOf(dialog)) i->savedFocus = first;
            if (GetActiveWindow() == dialog || (style & WS_CHILD)) FocusControl(first);
        }
    }
    if (templ.style & WS_VISIBLE) ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}

HWND CreateDialogParam(HINSTANCE library, std::string_view name, HWND parent, DLGPROC proc,
                       LParam param) {
    std::optional<DialogTemplate> t = LoadTemplate(library, name);
    if (!t) return {};
    HWND d = CreateDialogIndirectParam(*t, parent, proc, param);
    if (d) SetWindowTemplateName(d, name);
    return d;
}

std::intptr_t DialogBoxIndirectParam(const DialogTemplate& templ, HWND parent, DLGPROC proc,
                                     LParam param) {
    return DialogBoxParamInternal(templ, "", parent, proc, param);
}

namespace {
std::intptr_t DialogBoxParamInternal(const DialogTemplate& templ, std::string_view name,
                                     HWND parent, DLGPROC proc, LParam param) {
    DialogTemplate t = templ;
    t.style &= ~WS_VISIBLE;  // the modal loop shows it
    HWND d = CreateDialogIndirectParam(t, parent, proc, param);
    if (!d) return -1;
    if (!name.empty()) SetWindowTemplateName(d, name);
    const std::intptr_t result = RunModalLoop(d);
    if (IsWindow(d)) DestroyWindow(d);
    return result;
}
}  // namespace

std::intptr_t DialogBoxParam(HINSTANCE library, std::string_view name, HWND parent, DLGPROC proc,
                             LParam param) {
    std::optional<DialogTemplate> t = LoadTemplate(library, name);
    if (!t) return -1;
    return DialogBoxParamInternal(*t, name, parent, proc, param);
}

// ---- Dialog items -----------------------------------------------------------------------------

LResult SendDlgItemMessage(HWND dialog, int id, std::uint32_t message, WParam wParam,
                           LParam lParam) {
    HWND c = GetDlgItem(dialog, id);
    return c ? SendMessage(c, message, wParam, lParam) : 0;
}

bool SetDlgItemText(HWND dialog, int id, std::string_view text) {
    HWND c = GetDlgItem(dialog, id);
    if (!c) return false;
    const std::string s(text);
    return SendMessage(c, WM_SETTEXT, 0, reinterpret_cast<LParam>(s.c_str())) != 0;
}

std::string GetDlgItemText(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    return c ? GetWindowText(c) : std::string();
}

unsigned GetDlgItemText(HWND dialog, int id, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    const std::string s = GetDlgItemText(dialog, id);
    const std::size_t n = std::min<std::size_t>(s.size(), static_cast<std::size_t>(size - 1));
    std::copy_n(s.data(), n, buffer);
    buffer[n] = '\0';
    return static_cast<unsigned>(n);
}

bool SetDlgItemInt(HWND dialog, int id, unsigned value, bool isSigned) {
    const std::string s = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    return SetDlgItemText(dialog, id, s);
}

unsigned GetDlgItemInt(HWND dialog, int id, bool* translated, bool isSigned) {
    if (translated != nullptr) *translated = false;
    std::string s = GetDlgItemText(dialog, id);
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (isSigned && i < s.size() && s[i] == '-') {
        negative = true;
        ++i;
    }
    if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return 0;
    unsigned long long v = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        v = v * 10 + static_cast<unsigned>(s[i] - '0');
        if (v > 0xFFFFFFFFull) return 0;  // out of range: not translated
    }
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (i != s.size()) return 0;
    if (isSigned && v > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
    if (translated != nullptr) *translated = true;
    return negative ? static_cast<unsigned>(-static_cast<long long>(v)) : static_cast<unsigned>(v);
}

bool CheckDlgButton(HWND dialog, int id, unsigned check) {
    HWND c = GetDlgItem(dialog, id);
    if (!c) return false;
    SendMessage(c, BM_SETCHECK, check, 0);
    return true;
}

unsigned IsDlgButtonChecked(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    return c ? static_cast<unsigned>(SendMessage(c, BM_GETCHECK, 0, 0)) : 0;
}

bool CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id)
        if (HWND c = GetDlgItem(dialog, id))
            SendMessage(c, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    return true;
}

SIZE GetDialogBaseUnits(HWND dialog) {
    DialogInfo* info = InfoOf(dialog);
    return info != nullptr ? info->baseUnits : SIZE{6, 13};
}

bool MapDialogRect(HWND dialog, RECT* rect) {
    if (rect == nullptr || InfoOf(dialog) == nullptr) return false;
    const SIZE bu = GetDialogBaseUnits(dialog);
    rect->left = MulDivInt(rect->left, bu.cx, 4);
    rect->right = MulDivInt(rect->right, bu.cx, 4);
    rect->top = MulDivInt(rect->top, bu.cy, 8);
    rect->bottom = MulDivInt(rect->bottom, bu.cy, 8);
    return true;
}

namespace {

bool IsControlParent(HWND h) {
    const detail::WindowData* w = Find(h);
    return w != nullptr && (w->style & WS_CHILD) &&
           ((w->exStyle & WS_EX_CONTROLPARENT) || w->className == WC_DIALOG);
}

// The tab order runs through the controls of a dialog's shown child dialogs (a sheet's pages)
// and other control parents as if they stood in the dialog itself; they come first, as a
// sheet's page comes before the sheet's own buttons, then the dialog's other controls.
void CollectTabOrder(HWND parent, std::vector<HWND>* kids) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsControlParent(c) && Usable(c)) CollectTabOrder(c, kids);
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (!IsControlParent(c)) kids->push_back(c);
}

}  // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND control, bool previous) {
    std::vector<HWND> kids;
    CollectTabOrder(dialog, &kids);
    const int n = static_cast<int>(kids.size());
    if (n == 0) return {};
    int start = previous ? 0 : -1;
    for (int i = 0; i < n; ++i)
        if (kids[i] == control) start = i;
    for (int step = 1; step <= n; ++step) {
        const int i = ((previous ? start - step : start + step) % n + n) % n;
        if (Usable(kids[i]) && (GetWindowLong(kids[i], GWL_STYLE) & WS_TABSTOP)) return kids[i];
    }
    return {};
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, bool previous) {
    std::vector<HWND> kids;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        kids.push_back(c);
    const int n = static_cast<int>(kids.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (kids[i] == control) at = i;
    if (at < 0) return {};
    // The group runs from the nearest WS_GROUP control at or before this one to the next one.
    int first = at;
    while (first > 0 && !(GetWindowLong(kids[first], GWL_STYLE) & WS_GROUP))
        --first;
    int end = at + 1;
    while (end < n && !(GetWindowLong(kids[end], GWL_STYLE) & WS_GROUP))
        ++end;
    const int size = end - first;
    for (int step = 1; step < size; ++step) {
        const int i = first + (((at - first) + (previous ? -step : step)) % size + size) % size;
        if (Usable(kids[i])) return kids[i];
    }
    return control;
}

}  // namespace win
