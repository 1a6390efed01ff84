// The small typed handles of the window system. Every handle is a 32-bit number that is never
// reused while the process runs, so a stale handle is simply "no such object" (IsWindow answers
// no) instead of naming a newer object. 0 is the null handle of every kind.
#pragma once

#include <cstdint>
#include <functional>

namespace win {

template <class Tag>
struct Handle {
    std::uint32_t id = 0;
    constexpr explicit operator bool() const { return id != 0; }
    friend constexpr bool operator==(Handle, Handle) = default;
};

using HWND = Handle<struct WindowTag>;
using HMENU = Handle<struct MenuTag>;
using HINSTANCE = Handle<struct InstanceTag>;
using HCURSOR = Handle<struct CursorTag>;
using HICON = Handle<struct IconTag>;
using HACCEL = Handle<struct AccelTag>;
using HDC = Handle<struct DcTag>;
using HBRUSH = Handle<struct BrushTag>;

// Message parameters wide enough to carry a pointer, as the 32-bit original's were.
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

}  // namespace win

template <class Tag>
struct std::hash<win::Handle<Tag>> {
    std::size_t operator()(win::Handle<Tag> h) const noexcept {
        return std::hash<std::uint32_t>()(h.id);
    }
};
