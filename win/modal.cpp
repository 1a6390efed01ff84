#include "win/modal.h"

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

HWND NextTabStop(HWND dialog, HWND from, bool backwards) {
    detail::WindowData* d = detail::Find(dialog);
    if (d == nullptr || d->children.empty()) return {};
    const auto& kids = d->children;
    const int n = static_cast<int>(kids.size());
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (kids[i] == from) start = i;
    for (int step = 1; step <= n; ++step) {
        int i = ((backwards ? start - step : start + step) % n + n) % n;
        detail::WindowData* c = detail::Find(kids[i]);
        if (c != nullptr && (c->style & WS_TABSTOP) && (c->style & WS_VISIBLE) &&
            !(c->style & WS_DISABLED))
            return kids[i];
    }
    return {};
}

}  // namespace

std::intptr_t RunModalLoop(HWND dialog) {
    if (detail::Find(dialog) == nullptr) return -1;
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
    if (f == nullptr) return false;
    f->ended = true;
    f->result = result;
    return true;
}

bool IsModalLoopRunning(HWND dialog) {
    return FrameOf(dialog) != nullptr;
}

bool IsDialogMessage(HWND dialog, MSG* msg) {
    if (msg == nullptr || detail::Find(dialog) == nullptr) return false;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return false;
    if (msg->message == WM_KEYDOWN) {
        const unsigned code =
            static_cast<unsigned>(SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, 0));
        if (!(code & DLGC_WANTALLKEYS)) {
            switch (msg->wParam) {
                case VK_ESCAPE:
                    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                static_cast<LParam>(GetDlgItem(dialog, IDCANCEL).id));
                    return true;
                case VK_RETURN: {
                    const LResult def = SendMessage(dialog, DM_GETDEFID, 0, 0);
                    const int id = HIWORD(static_cast<std::uintptr_t>(def)) == DC_HASDEFID
                                       ? LOWORD(static_cast<std::uintptr_t>(def))
                                       : IDOK;
                    SendMessage(dialog, WM_COMMAND,
                                MAKEWPARAM(static_cast<std::uint16_t>(id), BN_CLICKED),
                                static_cast<LParam>(GetDlgItem(dialog, id).id));
                    return true;
                }
                case VK_TAB:
                    if (!(code & DLGC_WANTTAB)) {
                        HWND next = NextTabStop(dialog, GetFocus(), detail::KeyIsDown(VK_SHIFT));
                        if (next) SetFocus(next);
                        return true;
                    }
                    break;
                default:
                    break;
            }
        }
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
