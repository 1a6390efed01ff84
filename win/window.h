// Windows, classes and the message queue: the core of the window system the program is written
// against. Names and numeric values are the familiar ones, so command ids, key codes and stored
// files keep their meaning; the types are our own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "win/handles.h"

namespace win {

struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend constexpr bool operator==(POINT, POINT) = default;
};

struct SIZE {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend constexpr bool operator==(const RECT&, const RECT&) = default;
};

using WNDPROC = LResult (*)(HWND, std::uint32_t, WParam, LParam);
using TIMERPROC = void (*)(HWND, std::uint32_t, std::uintptr_t, std::uint32_t);

struct MSG {
    HWND hwnd;
    std::uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    std::uint32_t time = 0;
    POINT pt;
};

struct WNDCLASS {
    std::uint32_t style = 0;
    WNDPROC wndProc = nullptr;
    HINSTANCE instance;
    HICON icon;
    HCURSOR cursor;
    HBRUSH background;
    std::string menuName;
    std::string className;
};

// WM_CREATE and WM_NCCREATE carry a pointer to this in lParam.
struct CREATESTRUCT {
    LParam createParams = 0;
    HINSTANCE instance;
    HMENU menu;
    HWND parent;
    std::int32_t cy = 0, cx = 0, y = 0, x = 0;
    std::uint32_t style = 0;
    std::string name;
    std::string className;
    std::uint32_t exStyle = 0;
};

struct PAINTSTRUCT {
    HDC hdc;
    bool erase = false;
    RECT paint;
};

// WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED carry a pointer to this; a handler of the first
// may change the position and size.
struct WINDOWPOS {
    HWND hwnd;
    HWND insertAfter;
    std::int32_t x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t flags = 0;
};

struct MINMAXINFO {
    POINT reserved;
    POINT maxSize;
    POINT maxPosition;
    POINT minTrackSize;
    POINT maxTrackSize;
};

// ---- Messages -------------------------------------------------------------------------------
inline constexpr std::uint32_t WM_NULL = 0x0000;
inline constexpr std::uint32_t WM_CREATE = 0x0001;
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_MOVE = 0x0003;
inline constexpr std::uint32_t WM_SIZE = 0x0005;
inline constexpr std::uint32_t WM_ACTIVATE = 0x0006;
inline constexpr std::uint32_t WM_SETFOCUS = 0x0007;
inline constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
inline constexpr std::uint32_t WM_ENABLE = 0x000A;
inline constexpr std::uint32_t WM_SETTEXT = 0x000C;
inline constexpr std::uint32_t WM_GETTEXT = 0x000D;
inline constexpr std::uint32_t WM_GETTEXTLENGTH = 0x000E;
inline constexpr std::uint32_t WM_PAINT = 0x000F;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr std::uint32_t WM_ENDSESSION = 0x0016;
inline constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
inline constexpr std::uint32_t WM_SETTINGCHANGE = 0x001A;
inline constexpr std::uint32_t WM_ACTIVATEAPP = 0x001C;
inline constexpr std::uint32_t WM_CANCELMODE = 0x001F;
inline constexpr std::uint32_t WM_SETCURSOR = 0x0020;
inline constexpr std::uint32_t WM_MOUSEACTIVATE = 0x0021;
inline constexpr std::uint32_t WM_GETMINMAXINFO = 0x0024;
inline constexpr std::uint32_t WM_NEXTDLGCTL = 0x0028;
inline constexpr std::uint32_t WM_DRAWITEM = 0x002B;
inline constexpr std::uint32_t WM_MEASUREITEM = 0x002C;
inline constexpr std::uint32_t WM_SETFONT = 0x0030;
inline constexpr std::uint32_t WM_GETFONT = 0x0031;
inline constexpr std::uint32_t WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr std::uint32_t WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr std::uint32_t WM_NOTIFY = 0x004E;
inline constexpr std::uint32_t WM_HELP = 0x0053;
inline constexpr std::uint32_t WM_CONTEXTMENU = 0x007B;
inline constexpr std::uint32_t WM_DISPLAYCHANGE = 0x007E;
inline constexpr std::uint32_t WM_NCCREATE = 0x0081;
inline constexpr std::uint32_t WM_NCDESTROY = 0x0082;
inline constexpr std::uint32_t WM_NCCALCSIZE = 0x0083;
inline constexpr std::uint32_t WM_NCHITTEST = 0x0084;
inline constexpr std::uint32_t WM_NCPAINT = 0x0085;
inline constexpr std::uint32_t WM_NCACTIVATE = 0x0086;
inline constexpr std::uint32_t WM_GETDLGCODE = 0x0087;
inline constexpr std::uint32_t WM_NCMOUSEMOVE = 0x00A0;
inline constexpr std::uint32_t WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr std::uint32_t WM_NCLBUTTONUP = 0x00A2;
inline constexpr std::uint32_t WM_NCLBUTTONDBLCLK = 0x00A3;
inline constexpr std::uint32_t WM_NCRBUTTONDOWN = 0x00A4;
inline constexpr std::uint32_t WM_NCRBUTTONUP = 0x00A5;
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
inline constexpr std::uint32_t WM_KEYUP = 0x0101;
inline constexpr std::uint32_t WM_CHAR = 0x0102;
inline constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr std::uint32_t WM_SYSCHAR = 0x0106;
inline constexpr std::uint32_t WM_INITDIALOG = 0x0110;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr std::uint32_t WM_HSCROLL = 0x0114;
inline constexpr std::uint32_t WM_VSCROLL = 0x0115;
inline constexpr std::uint32_t WM_INITMENU = 0x0116;
inline constexpr std::uint32_t WM_INITMENUPOPUP = 0x0117;
inline constexpr std::uint32_t WM_MENUSELECT = 0x011F;
inline constexpr std::uint32_t WM_MENUCHAR = 0x0120;
inline constexpr std::uint32_t WM_ENTERIDLE = 0x0121;
inline constexpr std::uint32_t WM_CTLCOLOREDIT = 0x0133;
inline constexpr std::uint32_t WM_CTLCOLORBTN = 0x0135;
inline constexpr std::uint32_t WM_CTLCOLORDLG = 0x0136;
inline constexpr std::uint32_t WM_CTLCOLORSTATIC = 0x0138;
inline constexpr std::uint32_t WM_MOUSEFIRST = 0x0200;
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr std::uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr std::uint32_t WM_MOUSELAST = 0x020A;
inline constexpr std::uint32_t WM_KEYFIRST = 0x0100;
inline constexpr std::uint32_t WM_KEYLAST = 0x0108;
inline constexpr std::uint32_t WM_ENTERMENULOOP = 0x0211;
inline constexpr std::uint32_t WM_EXITMENULOOP = 0x0212;
inline constexpr std::uint32_t WM_CAPTURECHANGED = 0x0215;
inline constexpr std::uint32_t WM_DEVICECHANGE = 0x0219;
inline constexpr std::uint32_t WM_QUERYNEWPALETTE = 0x030F;
inline constexpr std::uint32_t WM_PALETTECHANGED = 0x0311;
inline constexpr std::uint32_t WM_USER = 0x0400;

// ---- Window and class styles ----------------------------------------------------------------
inline constexpr std::uint32_t WS_OVERLAPPED = 0x00000000;
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_MINIMIZE = 0x20000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_DISABLED = 0x08000000;
inline constexpr std::uint32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr std::uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr std::uint32_t WS_MAXIMIZE = 0x01000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_DLGFRAME = 0x00400000;
inline constexpr std::uint32_t WS_VSCROLL = 0x00200000;
inline constexpr std::uint32_t WS_HSCROLL = 0x00100000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_THICKFRAME = 0x00040000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr std::uint32_t WS_MAXIMIZEBOX = 0x00010000;
inline constexpr std::uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr std::uint32_t WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008;
inline constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080;

inline constexpr std::uint32_t CS_VREDRAW = 0x0001;
inline constexpr std::uint32_t CS_HREDRAW = 0x0002;
inline constexpr std::uint32_t CS_DBLCLKS = 0x0008;
inline constexpr std::uint32_t CS_OWNDC = 0x0020;
inline constexpr std::uint32_t CS_BYTEALIGNCLIENT = 0x1000;

inline constexpr std::int32_t CW_USEDEFAULT = static_cast<std::int32_t>(0x80000000u);

// ---- ShowWindow, SetWindowPos, GetWindowLong, GetWindow ------------------------------------
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;
inline constexpr int SW_SHOWDEFAULT = 10;

inline constexpr std::uint32_t SWP_NOSIZE = 0x0001;
inline constexpr std::uint32_t SWP_NOMOVE = 0x0002;
inline constexpr std::uint32_t SWP_NOZORDER = 0x0004;
inline constexpr std::uint32_t SWP_NOREDRAW = 0x0008;
inline constexpr std::uint32_t SWP_NOACTIVATE = 0x0010;
inline constexpr std::uint32_t SWP_FRAMECHANGED = 0x0020;
inline constexpr std::uint32_t SWP_SHOWWINDOW = 0x0040;
inline constexpr std::uint32_t SWP_HIDEWINDOW = 0x0080;
inline constexpr std::uint32_t SWP_NOOWNERZORDER = 0x0200;

// The reserved z-order positions of SetWindowPos (no real window ever has these numbers).
inline constexpr HWND HWND_TOP{0};
inline constexpr HWND HWND_BOTTOM{1};
inline constexpr HWND HWND_TOPMOST{0xFFFFFFFFu};
inline constexpr HWND HWND_NOTOPMOST{0xFFFFFFFEu};

inline constexpr int GWL_WNDPROC = -4;
inline constexpr int GWL_HINSTANCE = -6;
inline constexpr int GWL_HWNDPARENT = -8;
inline constexpr int GWL_ID = -12;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWL_USERDATA = -21;
// Dialog window slots (DWL_MSGRESULT 0, DWL_DLGPROC 4, DWL_USER 8); any index >= 0 names a slot
// of the window's extra words.
inline constexpr int DWL_MSGRESULT = 0;
inline constexpr int DWL_DLGPROC = 4;
inline constexpr int DWL_USER = 8;

inline constexpr unsigned GW_HWNDFIRST = 0;
inline constexpr unsigned GW_HWNDLAST = 1;
inline constexpr unsigned GW_HWNDNEXT = 2;
inline constexpr unsigned GW_HWNDPREV = 3;
inline constexpr unsigned GW_OWNER = 4;
inline constexpr unsigned GW_CHILD = 5;

// ---- PeekMessage, RedrawWindow, WM_ACTIVATE, WM_SYSCOMMAND, hit tests ------------------------
inline constexpr std::uint32_t PM_NOREMOVE = 0x0000;
inline constexpr std::uint32_t PM_REMOVE = 0x0001;
inline constexpr std::uint32_t PM_NOYIELD = 0x0002;

inline constexpr std::uint32_t RDW_INVALIDATE = 0x0001;
inline constexpr std::uint32_t RDW_INTERNALPAINT = 0x0002;
inline constexpr std::uint32_t RDW_ERASE = 0x0004;
inline constexpr std::uint32_t RDW_VALIDATE = 0x0008;
inline constexpr std::uint32_t RDW_ALLCHILDREN = 0x0080;
inline constexpr std::uint32_t RDW_UPDATENOW = 0x0100;
inline constexpr std::uint32_t RDW_ERASENOW = 0x0200;
inline constexpr std::uint32_t RDW_FRAME = 0x0400;

inline constexpr unsigned WA_INACTIVE = 0;
inline constexpr unsigned WA_ACTIVE = 1;
inline constexpr unsigned WA_CLICKACTIVE = 2;

inline constexpr unsigned SC_SIZE = 0xF000;
inline constexpr unsigned SC_MOVE = 0xF010;
inline constexpr unsigned SC_MINIMIZE = 0xF020;
inline constexpr unsigned SC_MAXIMIZE = 0xF030;
inline constexpr unsigned SC_CLOSE = 0xF060;
inline constexpr unsigned SC_KEYMENU = 0xF100;
inline constexpr unsigned SC_RESTORE = 0xF120;
inline constexpr unsigned SC_SCREENSAVE = 0xF140;
inline constexpr unsigned SC_MONITORPOWER = 0xF170;
inline constexpr unsigned SC_CONTEXTHELP = 0xF180;

inline constexpr int HTERROR = -2;
inline constexpr int HTTRANSPARENT = -1;
inline constexpr int HTNOWHERE = 0;
inline constexpr int HTCLIENT = 1;
inline constexpr int HTCAPTION = 2;
inline constexpr int HTSYSMENU = 3;
inline constexpr int HTMENU = 5;
inline constexpr int HTMINBUTTON = 8;
inline constexpr int HTMAXBUTTON = 9;
inline constexpr int HTLEFT = 10;
inline constexpr int HTRIGHT = 11;
inline constexpr int HTTOP = 12;
inline constexpr int HTTOPLEFT = 13;
inline constexpr int HTTOPRIGHT = 14;
inline constexpr int HTBOTTOM = 15;
inline constexpr int HTBOTTOMLEFT = 16;
inline constexpr int HTBOTTOMRIGHT = 17;
inline constexpr int HTBORDER = 18;
inline constexpr int HTCLOSE = 20;

// Dialog result ids and button notification.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr unsigned BN_CLICKED = 0;

// ---- System metrics -------------------------------------------------------------------------
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXCURSOR = 13;
inline constexpr int SM_CYCURSOR = 14;
inline constexpr int SM_CYMENU = 15;
inline constexpr int SM_CXFULLSCREEN = 16;
inline constexpr int SM_CYFULLSCREEN = 17;
inline constexpr int SM_MOUSEPRESENT = 19;
inline constexpr int SM_CXMIN = 28;
inline constexpr int SM_CYMIN = 29;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;
inline constexpr int SM_CXDOUBLECLK = 36;
inline constexpr int SM_CYDOUBLECLK = 37;
inline constexpr int SM_CMOUSEBUTTONS = 43;
inline constexpr int SM_CXMAXIMIZED = 61;
inline constexpr int SM_CYMAXIMIZED = 62;

// ---- Word helpers ---------------------------------------------------------------------------
constexpr std::uint16_t LOWORD(std::uintptr_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFF);
}
constexpr std::uint16_t HIWORD(std::uintptr_t v) {
    return static_cast<std::uint16_t>((v >> 16) & 0xFFFF);
}
constexpr std::uint32_t MAKELONG(std::uint16_t lo, std::uint16_t hi) {
    return static_cast<std::uint32_t>(lo) | (static_cast<std::uint32_t>(hi) << 16);
}
constexpr WParam MAKEWPARAM(std::uint16_t lo, std::uint16_t hi) {
    return MAKELONG(lo, hi);
}
// lParam of a mouse message: signed 16-bit x and y.
constexpr LParam MAKELPARAM(std::uint16_t lo, std::uint16_t hi) {
    return static_cast<LParam>(MAKELONG(lo, hi));
}
constexpr std::int32_t GET_X_LPARAM(LParam l) {
    return static_cast<std::int16_t>(l & 0xFFFF);
}
constexpr std::int32_t GET_Y_LPARAM(LParam l) {
    return static_cast<std::int16_t>((l >> 16) & 0xFFFF);
}

// ---- Classes and windows --------------------------------------------------------------------
// Returns the class atom, 0 when the name is taken or the class is incomplete.
std::uint16_t RegisterClass(const WNDCLASS& wc);
bool UnregisterClass(std::string_view className, HINSTANCE instance);
bool GetClassInfo(HINSTANCE instance, std::string_view className, WNDCLASS* out);
std::string GetClassName(HWND hwnd);

// Creates a window: WM_NCCREATE, then WM_CREATE are sent before it returns; -1 from WM_CREATE
// (or 0 from WM_NCCREATE) destroys the half-made window and returns the null handle.
HWND CreateWindowEx(std::uint32_t exStyle, std::string_view className, std::string_view name,
                    std::uint32_t style, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, HWND parent, HMENU menu, HINSTANCE instance, LParam param);
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);
bool IsWindowVisible(HWND hwnd);
bool IsWindowEnabled(HWND hwnd);
bool IsIconic(HWND hwnd);
bool IsZoomed(HWND hwnd);
bool IsChild(HWND parent, HWND hwnd);
bool ShowWindow(HWND hwnd, int command);
bool UpdateWindow(HWND hwnd);
bool MoveWindow(HWND hwnd, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                bool repaint);
bool SetWindowPos(HWND hwnd, HWND insertAfter, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height, std::uint32_t flags);
bool BringWindowToTop(HWND hwnd);
bool GetWindowRect(HWND hwnd, RECT* rect);
bool GetClientRect(HWND hwnd, RECT* rect);
bool ClientToScreen(HWND hwnd, POINT* point);
bool ScreenToClient(HWND hwnd, POINT* point);
// Grows a client rectangle into the window rectangle of the given style: the frame (sizing,
// dialog or thin border), the caption and, with `menu`, one menu row.
bool AdjustWindowRect(RECT* rect, std::uint32_t style, bool menu);
bool AdjustWindowRectEx(RECT* rect, std::uint32_t style, bool menu, std::uint32_t exStyle);

// GWL_* indexes, or a byte offset >= 0 into the window's extra slots (DWL_USER and friends).
std::intptr_t GetWindowLong(HWND hwnd, int index);
std::intptr_t SetWindowLong(HWND hwnd, int index, std::intptr_t value);
LResult CallWindowProc(WNDPROC proc, HWND hwnd, std::uint32_t message, WParam wParam,
                       LParam lParam);
bool SetWindowText(HWND hwnd, std::string_view text);
std::string GetWindowText(HWND hwnd);

// Top-level windows of this program, and of a first copy of it (see single_instance.h). An
// empty class name or title matches any.
HWND FindWindow(std::string_view className, std::string_view title);
HWND GetParent(HWND hwnd);
HWND GetWindow(HWND hwnd, unsigned command);
HWND GetDesktopWindow();
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);
HWND GetLastActivePopup(HWND hwnd);
bool SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
bool EnableWindow(HWND hwnd, bool enable);
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetCapture(HWND hwnd);
bool ReleaseCapture();
HWND GetCapture();
HWND WindowFromPoint(POINT screenPoint);

// ---- The queue ------------------------------------------------------------------------------
LResult SendMessage(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam);
bool PostMessage(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam);
void PostQuitMessage(int exitCode);
// Never blocks. Order: posted messages and input as they came, then WM_QUIT, then WM_PAINT for
// a window with an invalid area, then WM_TIMER for a timer that is due.
bool PeekMessage(MSG* msg, HWND hwnd, std::uint32_t filterMin, std::uint32_t filterMax,
                 std::uint32_t removeFlags);
// Blocks until a message comes; 0 for WM_QUIT, else 1.
int GetMessage(MSG* msg, HWND hwnd, std::uint32_t filterMin, std::uint32_t filterMax);
bool WaitMessage();
// Gives the processor away for up to `ms`, or until input arrives; returns at once while a
// message waits or a timer is due.
void RestUntilInput(std::uint32_t ms);
// Counts every message taken from the queue or sent, and every change made from outside the
// program (NoteOutsideChange): a loop can tell from it whether anything may have changed.
std::uint32_t MessageSerial();
void NoteOutsideChange();
bool TranslateMessage(const MSG* msg);
LResult DispatchMessage(const MSG* msg);
LResult DefWindowProc(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam);
std::uint32_t GetMessageTime();
std::uint32_t GetMessagePos();

bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase);
bool ValidateRect(HWND hwnd, const RECT* rect);
bool GetUpdateRect(HWND hwnd, RECT* rect, bool erase);
bool RedrawWindow(HWND hwnd, const RECT* rect, std::uint32_t flags);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
bool EndPaint(HWND hwnd, const PAINTSTRUCT* ps);

// Timers: WM_TIMER comes after every other message and at most one is pending per timer
// however late the loop is. A null window gets a fresh id.
std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, std::uint32_t elapseMs, TIMERPROC proc);
bool KillTimer(HWND hwnd, std::uintptr_t id);

// ---- System metrics -------------------------------------------------------------------------
int GetSystemMetrics(int index);
// The size of the virtual screen the metrics report (640×480 unless a backend or test says).
void SetVirtualScreenSize(int width, int height);

// ---- Hooks for the drawing layer ------------------------------------------------------------
// The device context of BeginPaint and GetDC comes from the drawing layer; it registers these
// at start-up. Without them BeginPaint returns the null DC (painting still validates).
struct DcProvider {
    std::function<HDC(HWND, bool wholeWindow)> acquire;
    std::function<void(HWND, HDC)> release;
};
void SetDcProvider(DcProvider provider);

// Menu integration: the menu code gives the height of a window's menu band, draws it into the
// composed frame, and runs its mouse tracking when the band is clicked (DefWindowProc of
// WM_NCLBUTTONDOWN with HTMENU) or the keyboard asks (WM_SYSCOMMAND SC_KEYMENU).
struct MenuBarHooks {
    std::function<int(HWND)> bandHeight;
    std::function<void(HWND, POINT screenPoint)> track;
    std::function<void(HWND, unsigned key)> keyMenu;
};
void SetMenuBarHooks(MenuBarHooks hooks);
// Whether the window has a menu, for the frame arithmetic; kept by SetMenu of the menu code.
void SetWindowMenuHandle(HWND hwnd, HMENU menu);
HMENU GetWindowMenuHandle(HWND hwnd);

}  // namespace win
