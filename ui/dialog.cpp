#include "ui/dialog.h"

#include <algorithm>
#include <cstring>

#include "ui/dialog_services.h"
#include "ui/help_popup.h"
#include "ui/owner_draw_library.h"
#include "ui/ui_services.h"
#include "win/compositor.h"
#include "win/program_entry.h"

namespace ui {
namespace {

void HostHelp(win::HWND item, std::uint32_t context) {
    theHelpPopup.Show(item, context);
}

Dialog* ObjectOf(win::HWND h) {
    return reinterpret_cast<Dialog*>(win::GetWindowLong(h, win::GWL_USERDATA));
}

win::RECT ScreenRect(win::HWND h) {
    win::RECT r;
    win::GetWindowRect(h, &r);
    return r;
}

win::RECT ClientScreenRect(win::HWND h) {
    win::RECT r;
    win::GetClientRect(h, &r);
    win::MapWindowPoints(h, {}, &r);
    return r;
}

bool StartsWith(const std::string& s, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    return s.size() >= n && s.compare(0, n, prefix, n) == 0;
}

// Both procedures share everything but the messages that only one of them routes.
std::intptr_t CommonProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l, bool modal) {
    using namespace win;
    if (m == WM_WPL_FOCUSQUERY) {
        if (l != 0) *reinterpret_cast<std::int32_t*>(l) = 1;
        return 0;
    }
    if (m == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(l);
        if (self == nullptr) return 0;
        if (GetWindowText(h).empty()) {
            HWND parent = GetParent(h);
            if (!parent) parent = GetWindow(h, GW_OWNER);
            if (parent) SetWindowText(h, GetWindowText(parent).substr(0, 256));
        }
        if (theDialogHost.addModeless) theDialogHost.addModeless(h);
        SetWindowLong(h, GWL_USERDATA, l);
        const int r = self->OnInitDialog(h);
        if (!IsWindow(h)) return r;
        ShowWindow(h, SW_SHOWNORMAL);
        RedrawWindow(h, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        return r;
    }
    Dialog* self = ObjectOf(h);
    if (self == nullptr) return 0;
    switch (m) {
        case WM_COMMAND:
            return self->OnCommand(HIWORD(w), w, HWND{static_cast<std::uint32_t>(l)});
        case WM_HSCROLL:
            return self->OnHScroll(w, HIWORD(w), HWND{static_cast<std::uint32_t>(l)});
        case WM_SETCURSOR:
            return self->OnSetCursor(h, w, l);
        case WM_CTLCOLORSTATIC:
            return self->OnCtlColorStatic(h, HDC{static_cast<std::uint32_t>(w)}, HWND{static_cast<std::uint32_t>(l)});
        case WM_CTLCOLOREDIT:
            return self->OnCtlColorEdit(HDC{static_cast<std::uint32_t>(w)}, HWND{static_cast<std::uint32_t>(l)});
        case WM_ERASEBKGND:
            return self->OnEraseBkgnd(h, w, l);
        case WM_PAINT:
            return self->OnPaint(h, w, l);
        case WM_HELP:
            return self->OnHelp(reinterpret_cast<HELPINFO*>(l));
        case WM_CONTEXTMENU:
            return self->OnContextMenu(HWND{static_cast<std::uint32_t>(w)}, static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(l))),
                                       static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(l))));
        case WM_NOTIFY:
            SetWindowLong(h, DWL_MSGRESULT, self->OnNotify(static_cast<int>(w), reinterpret_cast<NMHDR*>(l)));
            return 1;
        case WM_DRAWITEM:
            return self->OnDrawItem(static_cast<int>(w), reinterpret_cast<DRAWITEMSTRUCT*>(l));
        case WM_MEASUREITEM:
            return self->OnMeasureItem(static_cast<int>(w), reinterpret_cast<MEASUREITEMSTRUCT*>(l));
        case WM_DESTROY: {
            const int r = self->OnDestroy();
            // Every dialog leaves the modeless list when its window goes, modal ones too, so
            // the list never holds a dead handle.
            if (theDialogHost.removeModeless) theDialogHost.removeModeless(h);
            if (self->window == h) self->window = HWND{};
            SetWindowLong(h, GWL_USERDATA, 0);
            return r;
        }
        case WM_PAGEACTIVATE:
            if (!modal) self->OnPageActivate(HWND{static_cast<std::uint32_t>(w)}, LOWORD(static_cast<std::uintptr_t>(l)));
            return 0;
        case WM_CREATEPAGE:
            self->OnCreatePage(static_cast<int>(w));
            return 0;
        case MCIWNDM_NOTIFYMODE:
            return modal ? self->OnMciNotify(w, l) : 0;
        case WM_DEVICECHANGE:
            return modal ? self->OnDeviceChange(static_cast<unsigned>(w), reinterpret_cast<DEV_BROADCAST_HDR*>(l)) : 0;
        case WM_LBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            if (m == WM_LBUTTONDOWN) {
                self->dragWindow = self->dragWindow ? self->dragWindow : h;
                // Begin dragging at the client point.
                if (self->draggable) {
                    POINT sp = p;
                    ClientToScreen(h, &sp);
                    self->dragStart = sp;
                    const RECT r = ScreenRect(self->dragWindow);
                    self->dragOrigin = POINT{r.left, r.top};
                    SetCapture(h);
                    self->dragging = 1;
                }
            } else if (GetCapture() == h && self->dragging) {
                POINT sp = p;
                ClientToScreen(h, &sp);
                // The drag lasts while the left button is held: a move without it (the release
                // went where the dialog could not hear it) ends the drag where it stood.
                if (m == WM_MOUSEMOVE && !(w & MK_LBUTTON)) {
                    ReleaseCapture();
                    self->dragging = 0;
                    return 0;
                }
                if (m == WM_LBUTTONUP) {
                    ReleaseCapture();
                    self->dragging = 0;
                }
                HWND target = self->dragWindow ? self->dragWindow : h;
                POINT pos{self->dragOrigin.x + sp.x - self->dragStart.x, self->dragOrigin.y + sp.y - self->dragStart.y};
                if (GetWindowLong(target, GWL_STYLE) & WS_CHILD)
                    ScreenToClient(GetParent(target), &pos);
                else
                    pos = KeepWithinPicture(target, pos);
                SetWindowPos(target, {}, pos.x, pos.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return 0;
        }
        case WM_NCLBUTTONDOWN:
            if (w == static_cast<WParam>(HTMENU) || w == static_cast<WParam>(HTBORDER)) {
                POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
                ScreenToClient(h, &p);
                SendMessage(h, WM_LBUTTONDOWN, 0, MAKELPARAM(static_cast<std::uint16_t>(p.x), static_cast<std::uint16_t>(p.y)));
                return 1;
            }
            // Caption, close box and the rest: the system's own handling, never the video
            // notification.
            return 0;
        default:
            return 0;
    }
}

}  // namespace

DialogHost theDialogHost{nullptr, nullptr, nullptr, nullptr, nullptr, HostHelp};
UiServices theUiServices;

Dialog::Dialog(const char* name, std::uint32_t palette)
    : templateName(name != nullptr ? name : ""), paletteResourceId(palette) {
    controlFont = win::CreateFont(-11, 0, 0, 0, win::FW_NORMAL, 0, 0, 0, win::DEFAULT_CHARSET, 0, 0, 0,
                                  win::FF_SWISS, "Sans Serif");
}

Dialog::~Dialog() {
    if (window && win::IsWindow(window) && !win::IsModalLoopRunning(window)) win::DestroyWindow(window);
    win::DeleteObject(win::AsGdiObject(controlFont));
}

int Dialog::OnInitDialog(win::HWND dialog) {
    window = dialog;
    dragWindow = dialog;
    if (helpId != 0) win::SetWindowLong(dialog, win::DWL_USER, static_cast<win::LParam>(helpId));
    ScaleToFrame(kFrameControlId);
    PositionWindow();
    return 1;
}

void Dialog::SetHelpId(std::uint32_t id) {
    helpId = id;
    helpButtonId = kHelpButtonId;
    if (window) win::SetWindowLong(window, win::DWL_USER, static_cast<win::LParam>(id));
}

int Dialog::OnCommand(unsigned, win::WParam wParam, win::HWND) {
    if (helpButtonId != 0 && static_cast<int>(win::LOWORD(wParam)) == helpButtonId) {
        win::PostMessage(window, win::WM_SYSCOMMAND, win::SC_CONTEXTHELP, 0);
        return 1;
    }
    return 0;
}

int Dialog::OnHScroll(win::WParam, unsigned, win::HWND) { return 0; }
int Dialog::OnSetCursor(win::HWND, win::WParam, win::LParam) { return 0; }
win::LResult Dialog::OnCtlColorStatic(win::HWND, win::HDC, win::HWND) { return 0; }
win::LResult Dialog::OnCtlColorEdit(win::HDC, win::HWND) { return 0; }
int Dialog::OnEraseBkgnd(win::HWND dialog, win::WParam wParam, win::LParam) {
    win::RECT r;
    win::GetClientRect(dialog, &r);
    win::FillRect(win::HDC{static_cast<std::uint32_t>(wParam)}, &r, win::GetSysColorBrush(win::COLOR_BTNFACE));
    return 1;
}
int Dialog::OnPageChanged(win::HWND) { return 0; }
int Dialog::OnPaint(win::HWND, win::WParam, win::LParam) { return 0; }

int Dialog::OnHelp(win::HELPINFO* info) {
    if (info != nullptr && theDialogHost.showHelp) theDialogHost.showHelp(info->hItemHandle, helpContext);
    return 1;
}

int Dialog::OnContextMenu(win::HWND clicked, int, int) {
    if (theDialogHost.showHelp) theDialogHost.showHelp(clicked, helpContext);
    return 1;
}

win::LResult Dialog::OnNotify(int, win::NMHDR*) { return 0; }
int Dialog::OnDrawItem(int, win::DRAWITEMSTRUCT*) { return 1; }
int Dialog::OnMeasureItem(int, win::MEASUREITEMSTRUCT*) { return 1; }
int Dialog::OnDestroy() { return 1; }
void Dialog::OnPageActivate(win::HWND, int) {}
void Dialog::OnCreatePage(int) {}
int Dialog::OnMciNotify(win::WParam, win::LParam) { return 0; }
int Dialog::OnDeviceChange(unsigned, win::DEV_BROADCAST_HDR*) { return 0; }

int Dialog::CreateModeless(win::HWND parent) {
    if (paletteResourceId != 0 && wplIsEnabled() && theDialogHost.resourceLibrary)
        wplLoadPaletteResource(theDialogHost.resourceLibrary(), paletteResourceId, "Palette");
    if (!window) {
        if (theDialogHost.setDialogMode) theDialogHost.setDialogMode(1);
        const win::HINSTANCE lib = theDialogHost.resourceLibrary ? theDialogHost.resourceLibrary() : win::HINSTANCE{};
        win::HWND made =
            builtTemplate != nullptr
                ? win::CreateDialogIndirectParam(*builtTemplate, parent, &Dialog::ModelessProc,
                                                 reinterpret_cast<win::LParam>(this))
                : win::CreateDialogParam(lib, templateName, parent, &Dialog::ModelessProc,
                                         reinterpret_cast<win::LParam>(this));
        if (!made) {
            if (theDialogHost.setDialogMode) theDialogHost.setDialogMode(0);
            return 0;
        }
        window = made;
    }
    return window ? 1 : 0;
}

std::intptr_t Dialog::DoModal(win::HWND parent) {
    const win::HINSTANCE lib = theDialogHost.resourceLibrary ? theDialogHost.resourceLibrary() : win::HINSTANCE{};
    if (paletteResourceId != 0 && wplIsEnabled()) wplLoadPaletteResource(lib, paletteResourceId, "Palette");
    if (builtTemplate == nullptr && lib && !win::LoadDialogTemplate(lib, templateName)) {
        // The pack lacks it (the start named it already): the user who asked for it learns why
        // nothing opens.
        win::TraceLine("dialog " + templateName + " is missing from the resource pack");
        ShowMessageBox(parent,
                       "The dialog " + templateName +
                           " is missing from the resource pack Zephlon.pack, so it cannot be shown. "
                           "Installing the program again restores it.",
                       MB_ICONEXCLAMATION);
        return -1;
    }
    if (theDialogHost.setDialogMode) theDialogHost.setDialogMode(1);
    const std::intptr_t r =
        builtTemplate != nullptr
            ? win::DialogBoxIndirectParam(*builtTemplate, parent, &Dialog::ModalProc, reinterpret_cast<win::LParam>(this))
            : win::DialogBoxParam(lib, templateName, parent, &Dialog::ModalProc, reinterpret_cast<win::LParam>(this));
    window = win::HWND{};
    if (theDialogHost.setDialogMode) theDialogHost.setDialogMode(0);
    win::TraceLine("dialog " + (builtTemplate != nullptr ? builtTemplate->caption : templateName) + " ended " +
                   std::to_string(r));
    return r;
}

void Dialog::DestroyModeless() {
    if (!window) return;
    const win::HWND h = window;
    win::DestroyWindow(h);
    if (theDialogHost.setDialogMode) theDialogHost.setDialogMode(0);
    if (theDialogHost.removeModeless) theDialogHost.removeModeless(h);
    window = win::HWND{};
}

int Dialog::ScaleToFrame(int frameId) {
    using namespace win;
    HWND frame = GetDlgItem(window, frameId);
    if (!frame) return 0;
    SetWindowLong(frame, GWL_STYLE, GetWindowLong(frame, GWL_STYLE) | WS_CLIPSIBLINGS);
    frameRect = ScreenRect(frame);
    windowRect = ScreenRect(window);
    clientRect = ClientScreenRect(window);
    const int W = windowRect.right - windowRect.left, H = windowRect.bottom - windowRect.top;
    templateSize = RECT{0, 0, W, H};
    const int newW = (frameRect.right - frameRect.left) - (clientRect.right - clientRect.left) + W;
    const int newH = (frameRect.bottom - frameRect.top) - (clientRect.bottom - clientRect.top) + H;
    if (newW == 0 || newH == 0) return 0;
    xScalePercent = (W * 1000 / newW + 5) / 10;
    yScalePercent = (H * 1000 / newH + 5) / 10;
    if (xScalePercent == 100 && yScalePercent == 100) {
        SetWindowPos(window, {}, 0, 0, newW, newH, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 1;
    }
    if (xScalePercent < 1 || yScalePercent < 1) return 0;
    std::vector<HWND> kids;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        kids.push_back(c);
    for (HWND c : kids) {
        SendMessage(c, WM_SETFONT, controlFont.id, 0);
        const std::string cls = GetClassName(c);
        if (StartsWith(cls, "SysListView32")) continue;
        const int id = GetDlgCtrlID(c);
        if (id == kFrameControlId) continue;
        int mode;
        if (std::find(alwaysScaled.begin(), alwaysScaled.end(), id) != alwaysScaled.end()) mode = 0;
        else if (std::find(neverScaled.begin(), neverScaled.end(), id) != neverScaled.end()) mode = 1;
        else if (tabRowFlag && id >= kFirstTabButtonId && id <= kFirstTabButtonId + 19) mode = 1;
        else if (id == kHelpButtonId || id == kCancelButtonId) mode = 1;
        else if (StartsWith(cls, "Button") || StartsWith(cls, "Edit") || StartsWith(cls, "ListBo") ||
                 StartsWith(cls, "ComboBox") || StartsWith(cls, "msctls_updown32"))
            mode = 0;
        else mode = 1;
        ScaleControl(id, mode);
    }
    SetWindowPos(window, {}, 0, 0, newW, newH, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 1;
}

int Dialog::ScaleControl(int id, int mode) {
    using namespace win;
    if (xScalePercent == 100 && yScalePercent == 100) return 1;
    HWND c = GetDlgItem(window, id);
    if (xScalePercent < 1 || yScalePercent < 1 || !c) return 0;
    const RECT cr = ScreenRect(c), wr = ScreenRect(window), client = ClientScreenRect(window);
    const int w = cr.right - cr.left, h = cr.bottom - cr.top;
    const int cw = client.right - client.left, ch = client.bottom - client.top;
    const int tw = templateSize.right - templateSize.left, th = templateSize.bottom - templateSize.top;
    const int x = (cw - tw) / 2 + (cr.left - wr.left) * 100 / xScalePercent;
    const int y = (ch - th) / 2 + (cr.top - wr.top) * 100 / yScalePercent;
    const int nw = (mode == 1 || mode == 2) ? w : w * 100 / xScalePercent;
    const int nh = (mode == 1 || mode == 3) ? h : h * 100 / yScalePercent;
    SetWindowPos(c, {}, x, y, nw, nh, SWP_NOZORDER | SWP_SHOWWINDOW);
    return 1;
}

void Dialog::PositionWindow() {
    using namespace win;
    const std::uint32_t flags = SWP_NOSIZE | SWP_NOZORDER | (placeHidden ? SWP_HIDEWINDOW : SWP_NOREDRAW);
    const RECT me = ScreenRect(window);
    const int w = me.right - me.left, h = me.bottom - me.top;
    int x, y;
    if (explicitPosition) {
        x = explicitX;
        y = explicitY;
    } else {
        HWND parent = GetParent(window);
        if (!parent) parent = GetWindow(window, GW_OWNER);
        // The picture stands for the screen: on a larger screen only the picture is shown.
        const RECT view = PictureRect();
        RECT pc = view;
        int b = 0;
        if (parent) {
            pc = ClientScreenRect(parent);
            b = ScreenRect(parent).bottom - pc.bottom;
        }
        int dx = (pc.right - pc.left) - w, dy = (pc.bottom - pc.top) - h;
        if (dx > 0) dx /= 2;
        if (dy > 0) dy /= 2;
        x = pc.left + dx + b;
        y = pc.top + dy + b;
        if (x < view.left || y < view.top || x + w > view.right || y + h > view.bottom) {
            x = view.left + (view.right - view.left - w) / 2;
            y = view.top + (view.bottom - view.top - h) / 2;
        }
    }
    POINT p{x, y};
    if (GetWindowLong(window, GWL_STYLE) & WS_CHILD) ScreenToClient(GetParent(window), &p);
    SetWindowPos(window, {}, p.x, p.y, 0, 0, flags);
    windowRect = ScreenRect(window);
}

void Dialog::ApplyControlFont() {
    for (win::HWND c = win::GetWindow(window, win::GW_CHILD); c; c = win::GetWindow(c, win::GW_HWNDNEXT))
        win::SendMessage(c, win::WM_SETFONT, controlFont.id, 0);
}

void Dialog::RedrawControlArea(int id) {
    win::HWND c = win::GetDlgItem(window, id);
    if (!c) return;
    win::RECT r;
    win::GetClientRect(c, &r);
    win::MapWindowPoints(c, window, &r);
    win::InvalidateRect(window, &r, false);
}

int Dialog::CancelParent() {
    win::PostMessage(win::GetParent(window), win::WM_COMMAND, win::IDCANCEL, 0);
    return 1;
}

std::intptr_t Dialog::ModalProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    return CommonProc(h, m, w, l, true);
}

std::intptr_t Dialog::ModelessProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    return CommonProc(h, m, w, l, false);
}

void RedrawDlgItemArea(win::HWND dialog, int id) {
    win::HWND c = win::GetDlgItem(dialog, id);
    if (!c) return;
    win::RECT r;
    win::GetClientRect(c, &r);
    win::MapWindowPoints(c, dialog, &r);
    win::InvalidateRect(dialog, &r, true);
}

void SetupTrackbar(win::HWND trackbar, int position, int minimum, int maximum, int frequency) {
    win::SendMessage(trackbar, win::TBM_SETRANGE, 1,
                     win::MAKELPARAM(static_cast<std::uint16_t>(minimum), static_cast<std::uint16_t>(maximum)));
    win::SendMessage(trackbar, win::TBM_SETPOS, 1, position);
    win::SendMessage(trackbar, win::TBM_SETTICFREQ, static_cast<win::WParam>(frequency), 1);
}

}  // namespace ui
