// What the owner-draw library's own files share: small window helpers and the end of a
// subclass.
#pragma once

#include "win/dialog.h"
#include "win/window.h"

namespace ui::detail_wpl {

inline std::uint32_t StyleOf(win::HWND h) {
    return static_cast<std::uint32_t>(win::GetWindowLong(h, win::GWL_STYLE));
}

inline void OffsetRect(win::RECT* r, int dx, int dy) {
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
}

// WM_NCDESTROY of a subclassed window: the property goes and the previous procedure (or the
// default one) gets the message.
inline win::LResult EndSubclass(const char* property, win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    const std::intptr_t previous = win::RemoveProp(h, property);
    return previous != 0 ? win::CallWindowProc(reinterpret_cast<win::WNDPROC>(previous), h, m, w, l)
                         : win::DefWindowProc(h, m, w, l);
}

}  // namespace ui::detail_wpl
