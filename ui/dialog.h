// The program's own base of every dialog box. One object stands for one dialog: the opener
// builds it on its stack, sets its members and runs it, modally (DoModal, which enters the
// simulator's dialog mode itself) or modelessly. Window messages reach the virtual operations
// below; the base drags the dialog by any point of its client area, fits the template to its
// frame control 1715, centres it over its parent and answers help requests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/controls.h"
#include "win/dialog.h"
#include "win/modal.h"
#include "win/gdi.h"
#include "win/window.h"

namespace ui {

// Control ids the framework handles.
inline constexpr int kFrameControlId = 1715;
inline constexpr int kBackButtonId = 1716;
inline constexpr int kNextButtonId = 1717;
inline constexpr int kHelpButtonId = 1816;
inline constexpr int kCancelButtonId = 1817;
inline constexpr int kFirstTabButtonId = 1900;
// Sheets and pages talk with these.
inline constexpr std::uint32_t WM_PAGEACTIVATE = win::WM_USER + 99;
inline constexpr std::uint32_t WM_CREATEPAGE = win::WM_USER + 100;
inline constexpr std::uint32_t MCIWNDM_NOTIFYMODE = win::WM_USER + 200;
// The owner-draw library asks a button's parent whether the button takes the focus.
inline constexpr std::uint32_t WM_WPL_FOCUSQUERY = 0x11F1;

class Dialog {
public:
    Dialog(const char* templateName, std::uint32_t paletteResourceId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Slots, in order.
    virtual int OnInitDialog(win::HWND dialog);
    virtual int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control);
    virtual int OnHScroll(win::WParam wParam, unsigned position, win::HWND scrollBar);
    virtual int OnSetCursor(win::HWND dialog, win::WParam wParam, win::LParam lParam);
    virtual win::LResult OnCtlColorStatic(win::HWND dialog, win::HDC dc, win::HWND control);
    virtual win::LResult OnCtlColorEdit(win::HDC dc, win::HWND control);
    virtual int OnEraseBkgnd(win::HWND dialog, win::WParam wParam, win::LParam lParam);
    virtual int OnPageChanged(win::HWND sheet);
    virtual int OnPaint(win::HWND dialog, win::WParam wParam, win::LParam lParam);
    virtual int OnHelp(win::HELPINFO* info);
    virtual int OnContextMenu(win::HWND clicked, int x, int y);
    virtual win::LResult OnNotify(int controlId, win::NMHDR* header);
    virtual int OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item);
    virtual int OnMeasureItem(int controlId, win::MEASUREITEMSTRUCT* item);
    virtual int OnDestroy();
    virtual void OnPageActivate(win::HWND previousPage, int previousIndex);
    virtual void OnCreatePage(int index);
    virtual int OnMciNotify(win::WParam wParam, win::LParam lParam);
    virtual int OnDeviceChange(unsigned event, win::DEV_BROADCAST_HDR* header);
    virtual int CreateModeless(win::HWND parent);
    virtual std::intptr_t DoModal(win::HWND parent);
    virtual void DestroyModeless();

    int ScaleToFrame(int frameId);
    int ScaleControl(int id, int mode);
    void PositionWindow();
    void ApplyControlFont();
    void RedrawControlArea(int id);
    int CancelParent();
    void SetHelpContext(std::uint32_t context) { helpContext = context; }
    // The dialog's help id: its DWL_USER value, which the help popup puts before a control's id
    // to find that control's text; the "?" button becomes 1816. May be set before the window
    // exists (the base init then stores it).
    void SetHelpId(std::uint32_t id);
    void SetHelpFile(const std::string& file) { helpFile = file; }

    win::HWND window;
    int helpButtonId = 0;
    std::uint32_t helpContext = 0;
    std::uint32_t helpId = 0;
    std::string helpFile = "..\\help\\CORVEX.HLP";
    std::string templateName;
    std::uint32_t paletteResourceId = 0;
    int draggable = 1;
    win::HWND dragWindow;
    win::POINT dragStart;
    win::POINT dragOrigin;
    int dragging = 0;
    int tabRowFlag = 0;
    win::HFONT controlFont;
    std::vector<int> alwaysScaled;  // mode 0
    std::vector<int> neverScaled;   // mode 1
    win::RECT templateSize;
    win::RECT windowRect;
    win::RECT clientRect;
    win::RECT frameRect;
    int xScalePercent = 0;
    int yScalePercent = 0;
    int placeHidden = 1;
    int explicitPosition = 0;
    int explicitX = 0;
    int explicitY = 0;
    // A template made in code instead of the resource library's (the file dialogs).
    const win::DialogTemplate* builtTemplate = nullptr;

    static std::intptr_t ModalProc(win::HWND, std::uint32_t, win::WParam, win::LParam);
    static std::intptr_t ModelessProc(win::HWND, std::uint32_t, win::WParam, win::LParam);

private:
    void BeginDrag(win::POINT clientPoint);
    void DragTo(win::POINT clientPoint, bool release);
};

// Invalidates, with erasing, the dialog's area under a control.
void RedrawDlgItemArea(win::HWND dialog, int id);
// TBM_SETRANGE, TBM_SETPOS and TBM_SETTICFREQ in one call.
void SetupTrackbar(win::HWND trackbar, int position, int minimum, int maximum, int frequency);

// What the dialog framework needs of the program around it; the simulator installs these at
// start-up, tests leave the safe defaults (no resource library, no dialog mode).
struct DialogHost {
    win::HINSTANCE (*resourceLibrary)() = nullptr;
    void (*setDialogMode)(int enter) = nullptr;
    void (*addModeless)(win::HWND) = nullptr;
    void (*removeModeless)(win::HWND) = nullptr;
    int (*dialogDepth)() = nullptr;
    void (*showHelp)(win::HWND item, std::uint32_t context) = nullptr;
};
extern DialogHost theDialogHost;

}  // namespace ui
