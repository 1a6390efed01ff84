// The dialog manager: dialogs made from the resource library's templates (class atom 32770),
// their default procedure, the dialog-item helpers, and the window-system pieces dialogs lean on
// (the CBT hook, window properties and atoms, carets, help and device broadcasts).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "win/gdi.h"
#include "win/resource.h"
#include "win/window.h"

namespace win {

using DLGPROC = std::intptr_t (*)(HWND, std::uint32_t, WParam, LParam);

// The dialog class: "#32770", whose atom is 32770.
inline constexpr const char* WC_DIALOG = "#32770";
inline constexpr std::uint16_t kDialogClassAtom = 32770;
inline constexpr std::uint16_t kMenuClassAtom = 32768;
// The class atom of a window (32770 for dialogs, 32768 for menus, else the registered atom).
std::uint16_t GetClassAtom(HWND hwnd);

// ---- Dialog styles and messages ---------------------------------------------------------------
inline constexpr std::uint32_t DS_ABSALIGN = 0x01;
inline constexpr std::uint32_t DS_SYSMODAL = 0x02;
inline constexpr std::uint32_t DS_SETFONT = 0x40;
inline constexpr std::uint32_t DS_MODALFRAME = 0x80;
inline constexpr std::uint32_t DS_NOIDLEMSG = 0x100;
inline constexpr std::uint32_t DS_SETFOREGROUND = 0x200;
inline constexpr std::uint32_t DS_CONTROL = 0x400;
inline constexpr std::uint32_t DS_CENTER = 0x800;
inline constexpr std::uint32_t DS_CONTEXTHELP = 0x2000;
inline constexpr std::uint32_t WS_EX_CONTEXTHELP = 0x400;
inline constexpr std::uint32_t WS_EX_TRANSPARENT = 0x20;
inline constexpr std::uint32_t WS_EX_CONTROLPARENT = 0x10000;

inline constexpr std::uint32_t DM_SETDEFID = WM_USER + 1;
inline constexpr unsigned DLGC_WANTARROWS = 0x0001;
inline constexpr unsigned DLGC_HASSETSEL = 0x0008;
inline constexpr unsigned DLGC_DEFPUSHBUTTON = 0x0010;
inline constexpr unsigned DLGC_UNDEFPUSHBUTTON = 0x0020;
inline constexpr unsigned DLGC_RADIOBUTTON = 0x0040;
inline constexpr unsigned DLGC_WANTCHARS = 0x0080;
inline constexpr unsigned DLGC_STATIC = 0x0100;
inline constexpr unsigned DLGC_BUTTON = 0x2000;
inline constexpr std::uint32_t WM_CTLCOLORMSGBOX = 0x0132;
inline constexpr std::uint32_t WM_CTLCOLORLISTBOX = 0x0134;
inline constexpr std::uint32_t WM_CTLCOLORSCROLLBAR = 0x0137;
inline constexpr std::uint32_t WM_CHARTOITEM = 0x002F;
inline constexpr std::uint32_t WM_VKEYTOITEM = 0x002E;
inline constexpr std::uint32_t WM_COMPAREITEM = 0x0039;
inline constexpr std::uint32_t WM_QUERYDRAGICON = 0x0037;

// ---- Making and running dialogs ---------------------------------------------------------------
// Runs a modal dialog from the template `name` of `library`: the owner is disabled meanwhile;
// the result is what EndDialog was given, -1 when the template is missing or names a class that
// does not exist.
std::intptr_t DialogBoxParam(HINSTANCE library, std::string_view name, HWND parent, DLGPROC proc,
                             LParam param);
std::intptr_t DialogBoxIndirectParam(const DialogTemplate& templ, HWND parent, DLGPROC proc,
                                     LParam param);
// Makes a modeless dialog; the null handle on failure.
HWND CreateDialogParam(HINSTANCE library, std::string_view name, HWND parent, DLGPROC proc,
                       LParam param);
HWND CreateDialogIndirectParam(const DialogTemplate& templ, HWND parent, DLGPROC proc,
                               LParam param);
// The window procedure of the dialog class: the dialog procedure first, then the defaults.
LResult DefDlgProc(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam);

// ---- Dialog items -----------------------------------------------------------------------------
LResult SendDlgItemMessage(HWND dialog, int id, std::uint32_t message, WParam wParam,
                           LParam lParam);
bool SetDlgItemText(HWND dialog, int id, std::string_view text);
std::string GetDlgItemText(HWND dialog, int id);
// Copies at most size − 1 bytes and a terminator; the bytes copied.
unsigned GetDlgItemText(HWND dialog, int id, char* buffer, int size);
bool SetDlgItemInt(HWND dialog, int id, unsigned value, bool isSigned);
// The item's text as a number; *translated is false when it is not one.
unsigned GetDlgItemInt(HWND dialog, int id, bool* translated, bool isSigned);
bool CheckDlgButton(HWND dialog, int id, unsigned check);
unsigned IsDlgButtonChecked(HWND dialog, int id);
bool CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);
// Dialog units of the dialog's font to pixels.
bool MapDialogRect(HWND dialog, RECT* rect);
// The base units of a dialog (pixels per 4 horizontal and 8 vertical dialog units).
SIZE GetDialogBaseUnits(HWND dialog);
HWND GetNextDlgTabItem(HWND dialog, HWND control, bool previous);
HWND GetNextDlgGroupItem(HWND dialog, HWND control, bool previous);

// ---- Coordinates ------------------------------------------------------------------------------
int MapWindowPoints(HWND from, HWND to, POINT* points, unsigned count);
int MapWindowPoints(HWND from, HWND to, RECT* rect);
HWND ChildWindowFromPoint(HWND parent, POINT clientPoint);

// ---- Frames drawn by their window -------------------------------------------------------------
// A window whose procedure draws its own frame (a skinned one) says how thick it is: left, top
// (caption included, menu band excluded), right and bottom. Null goes back to the system's.
void SetWindowFrameInsets(HWND hwnd, const RECT* insets);

// ---- CBT hook ---------------------------------------------------------------------------------
using HHOOK = Handle<struct HookTag>;
inline constexpr int WH_CBT = 5;
inline constexpr int HCBT_CREATEWND = 3;
inline constexpr int HCBT_DESTROYWND = 4;
struct CBT_CREATEWND {
    CREATESTRUCT* lpcs = nullptr;
    HWND hwndInsertAfter;
};
using HOOKPROC = LResult (*)(int code, WParam wParam, LParam lParam);
// A thread hook; HCBT_CREATEWND comes before WM_NCCREATE with the window's handle and its
// creation record. A hook answering non-zero stops the creation.
HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE instance, std::uint32_t threadId);
bool UnhookWindowsHookEx(HHOOK hook);
LResult CallNextHookEx(HHOOK hook, int code, WParam wParam, LParam lParam);
std::uint32_t GetCurrentThreadId();

// ---- Class words ------------------------------------------------------------------------------
inline constexpr int GCL_WNDPROC = -24;
inline constexpr int GCL_HCURSOR = -12;
inline constexpr int GCL_STYLE = -26;
// GCL_WNDPROC changes the class's procedure for windows made afterwards; GCL_HCURSOR its cursor.
std::intptr_t SetClassLong(HWND hwnd, int index, std::intptr_t value);
std::intptr_t GetClassLong(HWND hwnd, int index);

// ---- Properties and atoms ---------------------------------------------------------------------
bool SetProp(HWND hwnd, std::string_view name, std::intptr_t value);
std::intptr_t GetProp(HWND hwnd, std::string_view name);
std::intptr_t RemoveProp(HWND hwnd, std::string_view name);
// Atoms: counted names; an atom's number can name a property as "#n".
std::uint16_t GlobalAddAtom(std::string_view name);
std::uint16_t GlobalFindAtom(std::string_view name);
std::uint16_t GlobalDeleteAtom(std::uint16_t atom);
std::string GlobalGetAtomName(std::uint16_t atom);

// ---- Carets -----------------------------------------------------------------------------------
bool CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
bool DestroyCaret();
bool SetCaretPos(int x, int y);
bool GetCaretPos(POINT* point);
bool ShowCaret(HWND hwnd);
bool HideCaret(HWND hwnd);
// The caret's owner and rectangle in its client, and whether it shows (for painting and tests).
struct CaretState {
    HWND owner;
    RECT rect;
    bool visible = false;
};
CaretState GetCaretState();

// ---- Help -------------------------------------------------------------------------------------
inline constexpr int HELPINFO_WINDOW = 1;
struct HELPINFO {
    std::uint32_t cbSize = sizeof(HELPINFO);
    int iContextType = HELPINFO_WINDOW;
    int iCtrlId = 0;
    HWND hItemHandle;
    std::uint32_t dwContextId = 0;
    POINT MousePos;
};
// True while the what's-this mode (SC_CONTEXTHELP) waits for a click: the clicked control's
// dialog then gets WM_HELP for it instead of the click.
bool IsContextHelpMode();

// ---- System menu ------------------------------------------------------------------------------
// The window's system menu (Move, Size, Minimize, Maximize, Restore, Close), made on first use;
// revert restores the standard one.
HMENU GetSystemMenu(HWND hwnd, bool revert);

// ---- Device broadcasts ------------------------------------------------------------------------
inline constexpr unsigned DBT_DEVICEARRIVAL = 0x8000;
inline constexpr unsigned DBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr std::uint32_t DBT_DEVTYP_VOLUME = 2;
struct DEV_BROADCAST_HDR {
    std::uint32_t dbch_size = 12;
    std::uint32_t dbch_devicetype = 0;
    std::uint32_t dbch_reserved = 0;
};
// Tells every top-level window that a volume arrived (WM_DEVICECHANGE DBT_DEVICEARRIVAL).
void BroadcastVolumeArrival();
// Paths a modal loop waits for: when one of them comes into existence, the volume-arrival
// broadcast goes out once (a disc put into the drive while a prompt waits for it).
void WatchPathForArrival(std::string_view path);
void StopWatchingPath(std::string_view path);
// Checks the watched paths now; true when a broadcast went out.
bool CheckWatchedPaths();

}  // namespace win
