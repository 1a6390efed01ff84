#include "win/modal.h"

#include <cctype>

#include "win/controls.h"
#include "win/dialog.h"
#include "win/window_internal.h"

namespace win {
namespace {

std::function<void(HWND)> theModalObserver;

detail::ModalFrame* FrameOf(HWND dialog) {
    auto& frames = detail::S().modal;
    for (auto it = frames.rbegin(); it != frames.rend(); ++it)
        if (it->dialog == dialog && !it->ended) return &*it;
    return nullptr;
}

unsigned ModalDlgCode(HWND h) {
    return static_cast<unsigned>(SendMessage(h, WM_GETDLGCODE, 0, 0));
}

bool ModalUsable(HWND h) {
    return IsWindowVisible(h) && IsWindowEnabled(h);
}

void ModalFocusControl(HWND control) {
    SetFocus(control);
    if (ModalDlgCode(control) & DLGC_HASSETSEL) SendMessage(control, EM_SETSEL, 0, -1);
}

void Command(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    if (c && !IsWindowEnabled(c)) return;
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<std::uint16_t>(id), BN_CLICKED),
                static_cast<LParam>(c.id));
}

// The control whose text marks `key` with "&", the mnemonic; none when no control has it.
HWND FindMnemonic(HWND dialog, unsigned key) {
    const int want = std::tolower(static_cast<int>(key & 0xFF));
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!ModalUsable(c)) continue;
        const std::string cls = GetClassName(c);
        const std::uint32_t style = static_cast<std::uint32_t>(GetWindowLong(c, GWL_STYLE));
        if (cls == WC_STATIC && (style & SS_NOPREFIX)) continue;
        if (cls != WC_STATIC && cls != WC_BUTTON) continue;
        const std::string t = GetWindowText(c);
        for (std::size_t i = 0; i + 1 < t.size(); ++i) {
            if (t[i] != '&') continue;
            if (t[i + 1] == '&') {
                ++i;
                continue;
            }
            if (std::tolower(static_cast<unsigned char>(t[i + 1])) == want) return c;
            break;
        }
    }
    return {};
}

// A mnemonic's action: a label hands the focus to the control after it; a button is pressed.
void RunMnemonic(HWND dialog, HWND c) {
    const std::string cls = GetClassName(c);
    const std::uint32_t type = static_cast<std::uint32_t>(GetWindowLong(c, GWL_STYLE)) & 0xF;
    if (cls == WC_STATIC || (cls == WC_BUTTON && type == BS_GROUPBOX)) {
        for (HWND n = GetWindow(c, GW_HWNDNEXT); n; n = GetWindow(n, GW_HWNDNEXT))
            if (ModalUsable(n) && GetClassName(n) != WC_STATIC) {
                ModalFocusControl(n);
                return;
            }
        return;
    }
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW) {
        SendMessage(c, BM_CLICK, 0, 0);
        return;
    }
    SetFocus(c);
    SendMessage(c, BM_CLICK, 0, 0);
    (void)dialog;
}

}  // namespace

std::intptr_t RunModalLoop(HWND dialog) {
    detail::WindowData* self = detail::Find(dialog);
    if (self == nullptr) return -1;
    if (self->dialogEnded) {
        self->dialogEnded = false;
        return self->dialogResult;
    }
    HWND owner = GetWindow(dialog, GW_OWNER);
    const bool disabledOwner = owner && IsWindowEnabled(owner);
    if (disabledOwner) EnableWindow(owner, false);
    ShowWindow(dialog, SW_SHOW);
    detail::S().modal.push_back(detail::ModalFrame{dialog, false, 0});
    const std::size_t depth = detail::S().modal.size();
    if (theModalObserver) theModalObserver(dialog);
    std::intptr_t result = -1;
    bool quit = false;
    int quitCode = 0;
    for (;;) {
        detail::ModalFrame& f = detail::S().modal[depth - 1];
        if (f.ended) {
            result = f.result;
            break;
        }
        if (!IsWindow(dialog)) break;
        CheckWatchedPaths();
        if (detail::S().modal[depth - 1].ended) continue;
        MSG m;
        const int got = GetMessage(&m, {}, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = static_cast<int>(m.wParam);
            break;
        }
        if (got < 0) break;
        if (!IsDialogMessage(dialog, &m)) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
    }
    detail::S().modal.resize(depth - 1);
    // The owner comes back before the dialog goes away, so activation returns to it.
    if (disabledOwner && IsWindow(owner)) {
        EnableWindow(owner, true);
        if (IsWindow(dialog) && GetActiveWindow() == dialog) SetActiveWindow(owner);
    }
    if (IsWindow(dialog)) ShowWindow(dialog, SW_HIDE);
    if (quit) PostQuitMessage(quitCode);
    return result;
}

bool EndDialog(HWND dialog, std::intptr_t result) {
    detail::ModalFrame* f = FrameOf(dialog);
    if (f == nullptr) {
        // Ended before its loop began (from WM_INITDIALOG): the loop returns at once.
        detail::WindowData* w = detail::Find(dialog);
        if (w == nullptr || w->className != WC_DIALOG) return false;
        w->dialogEnded = true;
        w->dialogResult = result;
        return true;
    }
    f->ended = true;
    f->result = result;
    return true;
}

int ModalLoopDepth() {
    return static_cast<int>(detail::S().modal.size());
}

bool IsQuitPosted() {
    return detail::S().quitPosted;
}

bool IsModalLoopRunning(HWND dialog) {
    return FrameOf(dialog) != nullptr;
}

bool IsDialogMessage(HWND dialog, MSG* msg) {
    if (msg == nullptr || detail::Find(dialog) == nullptr) return false;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return false;
    const unsigned code = ModalDlgCode(msg->hwnd);
    if (msg->message == WM_KEYDOWN && !(code & DLGC_WANTALLKEYS)) {
        HWND focus = GetFocus();
        switch (msg->wParam) {
            case VK_ESCAPE:
                Command(dialog, IDCANCEL);
                return true;
            case VK_RETURN: {
                int id = IDOK;
                if (focus && (ModalDlgCode(focus) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
                    id = GetDlgCtrlID(focus);
                } else {
                    const LResult def = SendMessage(dialog, DM_GETDEFID, 0, 0);
                    if (HIWORD(static_cast<std::uintptr_t>(def)) == DC_HASDEFID)
                        id = LOWORD(static_cast<std::uintptr_t>(def));
                }
                Command(dialog, id);
                return true;
            }
            case VK_TAB:
                if (!(code & DLGC_WANTTAB)) {
                    HWND next = GetNextDlgTabItem(dialog, focus, detail::KeyIsDown(VK_SHIFT));
                    if (next) ModalFocusControl(next);
                    return true;
                }
                break;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN:
                if (!(code & DLGC_WANTARROWS) && focus && IsChild(dialog, focus)) {
                    const bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
                    HWND next = GetNextDlgGroupItem(dialog, focus, back);
                    if (next && next != focus) {
                        SetFocus(next);
                        // Moving through a group of automatic radio buttons selects as it goes.
                        const auto type =
                            static_cast<std::uint32_t>(GetWindowLong(next, GWL_STYLE)) & 0xF;
                        if (GetClassName(next) == WC_BUTTON && type == BS_AUTORADIOBUTTON)
                            SendMessage(next, BM_CLICK, 0, 0);
                    }
                    return true;
                }
                break;
            case VK_F1: {
                HELPINFO info;
                HWND item = focus && IsChild(dialog, focus) ? focus : dialog;
                // The focus in a part of a control (a combo box's edit): the control is asked about.
                while (item != dialog && GetParent(item) && GetClassName(GetParent(item)) != WC_DIALOG)
                    item = GetParent(item);
                info.iCtrlId = item == dialog ? 0 : GetDlgCtrlID(item);
                info.hItemHandle = item;
                GetCursorPos(&info.MousePos);
                SendMessage(dialog, WM_HELP, 0, reinterpret_cast<LParam>(&info));
                return true;
            }
            default:
                break;
        }
    }
    if (msg->message == WM_SYSCHAR ||
        (msg->message == WM_CHAR && !(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) &&
         msg->wParam > ' ')) {
        if (HWND c = FindMnemonic(dialog, static_cast<unsigned>(msg->wParam))) {
            RunMnemonic(dialog, c);
            return true;
        }
        if (msg->message == WM_CHAR) return true;
    }
    TranslateMessage(msg);
    DispatchMessage(msg);
    return true;
}

void SetWindowTemplateName(HWND hwnd, std::string_view name) {
    if (detail::WindowData* w = detail::Find(hwnd)) w->templateName = std::string(name);
}

std::string GetWindowTemplateName(HWND hwnd) {
    detail::WindowData* w = detail::Find(hwnd);
    return w != nullptr ? w->templateName : std::string();
}

void SetModalObserver(std::function<void(HWND)> observer) {
    theModalObserver = std::move(observer);
}

}  // namespace win
