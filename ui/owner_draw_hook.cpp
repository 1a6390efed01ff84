// The owner-draw library's life, its creation hook, the control-class table, subclassing, the
// dialogs' subclass procedure and the tooltips.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ui/owner_draw_library.h"
#include "win/compositor.h"
#include "win/modal.h"
#include "win/program_entry.h"

namespace ui {

namespace detail_wpl {
extern WplOptions theOptions;
extern bool theEnabled;
void PaintFrame(win::HWND hwnd, const win::ComposeTarget& target, const win::RECT& windowRect,
                const win::RECT& bandRect);
}  // namespace detail_wpl

using namespace win;

namespace {

using detail_wpl::theEnabled;
using detail_wpl::theOptions;

constexpr const char* kAtomNames[] = {"WPL", "WPL_BORDER", "WPL_EXTRA", "IMAGE"};
constexpr std::uintptr_t kTooltipTimer = 0x5750;

HHOOK theHook;
std::uint32_t theThreadId = 0;
int theScreenDpi = 96;
bool theHookInstalled = false;
NonClientPainter thePlainPainter;
bool thePainterInstalled = false;
bool theTooltipClassRegistered = false;

std::string OwnerDrawHookLower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

int Dpi() {
    HDC dc = GetDC({});
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC({}, dc);
    return dpi > 0 ? dpi : 96;
}

bool DpiFixupActive() {
    return (theOptions.flags & WPL_DPI_FIXUP) && static_cast<int>(theOptions.designDpi) != theScreenDpi;
}

void FixupWindow(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    if (GetWindowLong(h, GWL_STYLE) & WS_CHILD) MapWindowPoints({}, GetParent(h), &r);
    const int d = static_cast<int>(theOptions.designDpi), s = theScreenDpi;
    auto scale = [&](int v) { return static_cast<int>(static_cast<long long>(v) * d / s); };
    SetWindowPos(h, {}, scale(r.left), scale(r.top), scale(r.right - r.left), scale(r.bottom - r.top),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Every child and the dialog itself, scaled from the template's resolution to the screen's.
void DpiFixup(HWND dialog) {
    if (!DpiFixupActive()) return;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) FixupWindow(c);
    FixupWindow(dialog);
}

const std::vector<WplControlClass> theClasses = {
    {0x01, "button", &wplButtonFilter, &wplButtonInit, &wplButtonProc},
    {0x30, "static", &wplStaticFilter, &wplStaticInit, &wplStaticProc},
    {0xFFFF, "SysAnimate32", &wplAnimateFilter, nullptr, &wplAnimateProc},
    {0xFFFF, "SysTabControl32", &wplTabFilter, &wplTabInit, &wplTabProc},
    {0xFFFF, "SysTreeView32", &wplTreeFilter, &wplTreeInit, &wplTreeProc},
    {0xFFFF, "msctls_trackbar32", &wplTrackbarFilter, &wplTrackbarInit, &wplTrackbarProc},
    {0xFFFF, "ScrollBar", &wplScrollBarFilter, nullptr, &wplScrollBarProc},
    {0x04, "edit", nullptr, nullptr, nullptr},
    {0xFFFF, "ComboBox", nullptr, nullptr, nullptr},
    {0xFFFF, "ListBox", nullptr, nullptr, nullptr},
    {0xFFFF, "ComboLBox", nullptr, nullptr, nullptr},
    {0xFFFF, "Progman", nullptr, nullptr, nullptr},
};

// The skinned look of frames, and the system's for every other window.
void InstallPainter() {
    if (thePainterInstalled) return;
    thePlainPainter = GetNonClientPainter();
    SetNonClientPainter([](HWND h, const ComposeTarget& t, const RECT& wr, const RECT& band) {
        if (thePlainPainter) thePlainPainter(h, t, wr, band);
        if (theEnabled && GetProp(h, "WPL_BORDER") != 0) detail_wpl::PaintFrame(h, t, wr, band);
    });
    thePainterInstalled = true;
}

void RemovePainter() {
    if (!thePainterInstalled) return;
    SetNonClientPainter(thePlainPainter);
    thePlainPainter = nullptr;
    thePainterInstalled = false;
}

// ---- Tooltips -------------------------------------------------------------------------------------

struct TooltipState {
    int state = 0;  // 0 idle, 1 waiting to show, 2 shown, 3 waiting to hide
    HWND dialog;
    HWND control;
    HWND window;
    POINT at;
} theTip;

LResult TooltipProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case WM_WPL_SKINFRAME:
            if ((theOptions.flags & WPL_SYSTEM_TOOLTIPS) && l != 0) *reinterpret_cast<std::int32_t*>(l) = 0;
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT r;
            GetClientRect(h, &r);
            FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
            SetBkMode(dc, TRANSPARENT);
            const bool system = (theOptions.flags & WPL_SYSTEM_TOOLTIPS) != 0;
            HFONT font = system ? HFONT{static_cast<std::uint32_t>(GetStockObject(SYSTEM_FONT).id)}
                                : wplStyleFont(0, HFONT{static_cast<std::uint32_t>(GetStockObject(DEFAULT_GUI_FONT).id)});
            HGDIOBJ old = SelectObject(dc, AsGdiObject(font));
            SetTextColor(dc, system ? RGB(0, 0, 0) : wplStyleColour(0, COLOR_INFOTEXT));
            DrawText(dc, GetWindowText(h), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(dc, old);
            EndPaint(h, &ps);
            return 0;
        }
        default:
            return DefWindowProc(h, m, w, l);
    }
}

void DestroyTip() {
    if (theTip.window && IsWindow(theTip.window)) DestroyWindow(theTip.window);
    theTip.window = HWND{};
}

void ShowTip() {
    if (!theTip.control || !IsWindow(theTip.control)) return;
    std::string text;
    const std::uint32_t id = static_cast<std::uint32_t>(GetDlgCtrlID(theTip.control)) + theOptions.tooltipStringOffset;
    if (!theOptions.resourceModule || LoadString(theOptions.resourceModule, id, &text) <= 0 || text.empty()) return;
    text = text.substr(0, 128);
    if (!theTooltipClassRegistered) {
        WNDCLASS wc;
        wc.className = "ROVUZ_Tooltip";
        wc.wndProc = &TooltipProc;
        wc.instance = theOptions.instance;
        RegisterClass(wc);
        theTooltipClassRegistered = true;
    }
    HDC dc = GetDC({});
    const bool system = (theOptions.flags & WPL_SYSTEM_TOOLTIPS) != 0;
    HGDIOBJ old = SelectObject(dc, AsGdiObject(system ? HFONT{static_cast<std::uint32_t>(GetStockObject(SYSTEM_FONT).id)}
                                                      : wplStyleFont(0, HFONT{static_cast<std::uint32_t>(GetStockObject(DEFAULT_GUI_FONT).id)})));
    SIZE s;
    GetTextExtentPoint32(dc, text, &s);
    SelectObject(dc, old);
    ReleaseDC({}, dc);
    const int w = s.cx + 4 * wplGetSystemMetrics(SM_CXBORDER), h = s.cy + 4 * wplGetSystemMetrics(SM_CYBORDER);
    // Within the picture, the part of the screen that is shown.
    const RECT view = PictureRect();
    const int x = std::max(view.left, std::min(theTip.at.x, view.right - w));
    const int y = std::max(view.top, std::min(theTip.at.y - h, view.bottom - h));
    theTip.window = CreateWindowEx(WS_EX_TOPMOST, "ROVUZ_Tooltip", text, WS_POPUP | WS_VISIBLE | WS_DISABLED | WS_BORDER,
                                   x, y, w, h, {}, {}, theOptions.instance, 0);
}

void TooltipTimer(HWND h, std::uint32_t, std::uintptr_t id, std::uint32_t) {
    KillTimer(h, id);
    if (theTip.state == 1) {
        ShowTip();
        theTip.state = 2;
    } else if (theTip.state == 3) {
        DestroyTip();
        theTip.state = 0;
        theTip.control = HWND{};
    }
}

}  // namespace

// ---- Life ---------------------------------------------------------------------------------------

int wplInit(const WplOptions* options) {
    if (options == nullptr || options->size != kWplOptionsSize) {
        // The system's own box: the program's message box is a dialog that would need the library.
        TraceLine("ROVUZ: Bad WPL Options struct size in wplInit()");
        std::fprintf(stderr, "ROVUZ: Bad WPL Options struct size in wplInit()\n");
        return 0;
    }
    theScreenDpi = Dpi();
    theThreadId = GetCurrentThreadId();
    theOptions = *options;
    if (theOptions.designDpi == 0) theOptions.designDpi = 96;
    for (const char* name : kAtomNames) GlobalAddAtom(name);
    GlobalAddAtom("CHECK");
    if (!wplLoadResources(theOptions.resourceModule, theOptions.firstResourceId)) return 0;
    theEnabled = wplInstallCreateHook() != 0;
    if (theEnabled) InstallPainter();
    return theEnabled ? 1 : 0;
}

void wplTerm() {
    wplTooltipClose();
    wplFreeResources();
    for (const char* name : kAtomNames) GlobalDeleteAtom(GlobalFindAtom(name));
    GlobalDeleteAtom(GlobalFindAtom("CHECK"));
    if (theHookInstalled) UnhookWindowsHookEx(theHook);
    theHook = HHOOK{};
    theHookInstalled = false;
    RemovePainter();
    theEnabled = false;
}

void wplReloadResources() {
    if (!theEnabled) return;
    wplFreeResources();
    wplLoadResources(theOptions.resourceModule, theOptions.firstResourceId);
}

int wplInstallCreateHook() {
    if (theOptions.flags & WPL_NO_HOOK) return 1;
    theHook = SetWindowsHookEx(WH_CBT, &wplCreateHookProc, theOptions.instance, theThreadId);
    theHookInstalled = static_cast<bool>(theHook);
    return theHookInstalled ? 1 : 0;
}

void wplEnable() {
    theEnabled = true;
    TraceLine("ROVUZ: enabled");
}

void wplDisable() {
    theEnabled = false;
    TraceLine("ROVUZ: disabled");
}

bool wplIsEnabled() {
    return theEnabled;
}

const WplOptions& wplGetOptions() {
    return theOptions;
}

// ---- Subclassing --------------------------------------------------------------------------------

const std::vector<WplControlClass>& wplControlClasses() {
    return theClasses;
}

const WplControlClass* wplFindControlClass(HWND window) {
    const std::string cls = OwnerDrawHookLower(GetClassName(window));
    for (const WplControlClass& row : theClasses)
        if (OwnerDrawHookLower(row.className) == cls) return &row;
    return nullptr;
}

int wplSubclassWindow(HWND window, WNDPROC procedure, const char* property) {
    // Subclassed twice: the first stored procedure stays.
    if (GetProp(window, property) != 0) return 1;
    const std::intptr_t previous = SetWindowLong(window, GWL_WNDPROC, reinterpret_cast<std::intptr_t>(procedure));
    if (previous == 0) return 0;
    SetProp(window, property, previous);
    return 1;
}

LResult wplCallPrevious(const char* property, HWND h, std::uint32_t m, WParam w, LParam l, bool dialog) {
    const std::intptr_t previous = GetProp(h, property);
    if (previous == 0) return dialog ? DefDlgProc(h, m, w, l) : DefWindowProc(h, m, w, l);
    return CallWindowProc(reinterpret_cast<WNDPROC>(previous), h, m, w, l);
}

int wplSubclassControl(HWND control, std::uint32_t mask) {
    if (GetProp(control, "WPL") != 0) return 1;
    const std::string cls = OwnerDrawHookLower(GetClassName(control));
    for (const WplControlClass& row : theClasses) {
        if (!(row.mask & mask) || OwnerDrawHookLower(row.className) != cls) continue;
        if (row.filter == nullptr || row.procedure == nullptr) return 0;
        const std::uint32_t style = static_cast<std::uint32_t>(GetWindowLong(control, GWL_STYLE));
        if (row.filter(control, style, mask) == 0) return 0;
        if (!wplSubclassWindow(control, row.procedure, "WPL")) return 0;
        if (row.init) row.init(control);
        return 1;
    }
    return 0;
}

void wplSubclassChildren(HWND dialog) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    for (HWND c : children)
        if (IsWindow(c) && GetParent(c) == dialog) wplSubclassControl(c, 0xFFFF);
}

// ---- The hook ----------------------------------------------------------------------------------

namespace {

// Whether a window lies in a dialog the library skins (a list's own scroll bars are made after
// the dialog's children were skinned).
bool SkinnedDialogAbove(HWND parent) {
    for (HWND w = parent; w; w = GetParent(w))
        if (OwnerDrawHookLower(GetClassName(w)) == OwnerDrawHookLower(WC_DIALOG))
            return GetProp(w, "WPL") != 0;
    return false;
}

}  // namespace

LResult wplCreateHookProc(int code, WParam wParam, LParam lParam) {
    if (code == HCBT_CREATEWND && theEnabled && lParam != 0) {
        const HWND h{static_cast<std::uint32_t>(wParam)};
        const CREATESTRUCT* cs = reinterpret_cast<CBT_CREATEWND*>(lParam)->lpcs;
        const std::string cls = cs != nullptr ? OwnerDrawHookLower(cs->className) : std::string();
        const bool menu = cls == "#32768";
        const bool dialog = cls == OwnerDrawHookLower(WC_DIALOG);
        if (!menu && cs != nullptr) {
            if (dialog) {
                std::int32_t flag = 1;
                SendMessage(h, WM_WPL_SKINDIALOG, 0, reinterpret_cast<LParam>(&flag));
                if (flag == 1) wplSubclassWindow(h, &wplDialogSubclassProc, "WPL");
            }
            if (cls == "scrollbar" && SkinnedDialogAbove(cs->parent)) wplSubclassControl(h, 0xFFFF);
            const bool plainClass = cls == "combobox" || cls == "combolbox" || cls == "progman";
            if (!plainClass && (dialog || (cs->style & (WS_BORDER | WS_THICKFRAME)))) {
                std::int32_t flag = (theOptions.flags & WPL_FRAMES_ON_REQUEST) ? 0 : 1;
                SendMessage(h, WM_WPL_SKINFRAME, 0, reinterpret_cast<LParam>(&flag));
                if (flag == 1 && wplSubclassWindow(h, &wplFrameSubclassProc, "WPL_BORDER")) wplApplyFrame(h);
            }
        }
    }
    return CallNextHookEx(theHook, code, wParam, lParam);
}

// ---- The dialogs' subclass ----------------------------------------------------------------------

namespace {

// The automatic kinds, now owner-drawn, are emulated before the dialog hears the click.
void EmulateAutomaticClick(HWND dialog, HWND button) {
    const std::uint32_t type = wplButtonType(button);
    const auto check = static_cast<int>(SendMessage(button, BM_GETCHECK, 0, 0));
    if (type == BS_AUTOCHECKBOX) {
        SendMessage(button, BM_SETCHECK, check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    } else if (type == BS_AUTO3STATE) {
        SendMessage(button, BM_SETCHECK, static_cast<WParam>((check + 1) % 3), 0);
    } else if (type == BS_AUTORADIOBUTTON) {
        SendMessage(button, BM_SETCHECK, BST_CHECKED, 0);
        for (HWND c = GetNextDlgGroupItem(dialog, button, false); c && c != button;
             c = GetNextDlgGroupItem(dialog, c, false)) {
            if (GetClassName(c) != WC_BUTTON) continue;
            const bool autoRadio = GetProp(c, "WPL") != 0
                                       ? wplButtonType(c) == BS_AUTORADIOBUTTON
                                       : (static_cast<std::uint32_t>(GetWindowLong(c, GWL_STYLE)) & BS_TYPEMASK) ==
                                             BS_AUTORADIOBUTTON;
            if (autoRadio) SendMessage(c, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
}

}  // namespace

LResult wplDialogSubclassProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case WM_INITDIALOG: {
            DpiFixup(h);
            wplSubclassChildren(h);
            const LResult r = wplCallPrevious("WPL", h, m, w, l, true);
            // Controls the dialog made during its init are skinned too.
            if (IsWindow(h)) wplSubclassChildren(h);
            return r;
        }
        case WM_DRAWITEM:
        case WM_MEASUREITEM: {
            const unsigned type = m == WM_DRAWITEM ? reinterpret_cast<DRAWITEMSTRUCT*>(l)->CtlType
                                                   : reinterpret_cast<MEASUREITEMSTRUCT*>(l)->CtlType;
            HWND item = m == WM_DRAWITEM ? reinterpret_cast<DRAWITEMSTRUCT*>(l)->hwndItem : GetDlgItem(h, static_cast<int>(w));
            const bool skinned = item && GetProp(item, "WPL") != 0;
            if (type == ODT_BUTTON && skinned)
                return m == WM_DRAWITEM ? wplButtonDraw(h, reinterpret_cast<DRAWITEMSTRUCT*>(l))
                                        : wplButtonMeasure(reinterpret_cast<MEASUREITEMSTRUCT*>(l));
            if (type == ODT_TAB && skinned && m == WM_DRAWITEM) return wplTabDraw(reinterpret_cast<DRAWITEMSTRUCT*>(l));
            return wplCallPrevious("WPL", h, m, w, l, true);
        }
        case WM_SETFONT:
            if (DpiFixupActive() && w != 0) {
                LOGFONT lf;
                if (GetObject(HFONT{static_cast<std::uint32_t>(w)}, &lf)) {
                    lf.lfHeight = static_cast<std::int32_t>(static_cast<long long>(lf.lfHeight) *
                                                            static_cast<int>(theOptions.designDpi) / theScreenDpi);
                    const HFONT fixed = CreateFontIndirect(&lf);
                    if (const std::intptr_t old = RemoveProp(h, "FixedupFont"))
                        DeleteObject(AsGdiObject(HFONT{static_cast<std::uint32_t>(old)}));
                    SetProp(h, "FixedupFont", fixed.id);
                    w = fixed.id;
                }
            }
            return wplCallPrevious("WPL", h, m, w, l, true);
        case WM_COMMAND: {
            const HWND control{static_cast<std::uint32_t>(l)};
            if (control && HIWORD(w) == BN_CLICKED && GetProp(control, "WPL") != 0 && GetClassName(control) == WC_BUTTON)
                EmulateAutomaticClick(h, control);
            if (theOptions.commandCallback != nullptr)
                theOptions.commandCallback(h, LOWORD(w), control, HIWORD(w), wplButtonKind(control));
            return wplCallPrevious("WPL", h, m, w, l, true);
        }
        case WM_MOUSEMOVE:
            wplTooltipMouseMove(h, h);
            return wplCallPrevious("WPL", h, m, w, l, true);
        case WM_NCDESTROY: {
            if (const std::intptr_t font = RemoveProp(h, "FixedupFont"))
                DeleteObject(AsGdiObject(HFONT{static_cast<std::uint32_t>(font)}));
            if (theTip.dialog == h) wplTooltipClose();
            const std::intptr_t previous = RemoveProp(h, "WPL");
            if (previous == 0) return DefDlgProc(h, m, w, l);
            return CallWindowProc(reinterpret_cast<WNDPROC>(previous), h, m, w, l);
        }
        default:
            return wplCallPrevious("WPL", h, m, w, l, true);
    }
}

// ---- Tooltips -------------------------------------------------------------------------------------

void wplTooltipMouseMove(HWND dialog, HWND control) {
    if (!(theOptions.flags & WPL_TOOLTIPS)) return;
    GetCursorPos(&theTip.at);
    if (control == dialog) {
        // Over the dialog itself: a shown tip goes after a while, a pending one is dropped.
        if (theTip.state == 2) {
            theTip.state = 3;
            SetTimer(theTip.dialog, kTooltipTimer, theOptions.tooltipHideDelay, &TooltipTimer);
        } else if (theTip.state == 1) {
            KillTimer(theTip.dialog, kTooltipTimer);
            theTip.state = 0;
            theTip.control = HWND{};
        }
        return;
    }
    if (control == theTip.control) return;
    DestroyTip();
    if (theTip.dialog) KillTimer(theTip.dialog, kTooltipTimer);
    theTip.dialog = dialog;
    theTip.control = control;
    theTip.state = 1;
    SetTimer(dialog, kTooltipTimer, theOptions.tooltipShowDelay, &TooltipTimer);
}

void wplTooltipClose() {
    if (theTip.dialog && IsWindow(theTip.dialog)) KillTimer(theTip.dialog, kTooltipTimer);
    DestroyTip();
    theTip = TooltipState{};
}

HWND wplTooltipWindow() {
    return theTip.window;
}

}  // namespace ui
