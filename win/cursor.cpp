// Cursors: the system shapes by their familiar ids, image cursors from the resource code, the
// display counter of ShowCursor, and the cursor position in screen coordinates.
#include <unordered_map>

#include "win/window_internal.h"

namespace win {
namespace {

std::unordered_map<std::uint32_t, platform::CursorImage> theImageCursors;
std::uint32_t theNextImageCursor = 0x10000;
std::function<HCURSOR(HINSTANCE, std::uint32_t)> theResourceLoader;
HCURSOR theCursor{IDC_ARROW};
int theShowCount = 0;

bool ShapeOf(std::uint32_t id, platform::CursorShape* shape) {
    using platform::CursorShape;
    switch (id) {
        case IDC_ARROW:
            *shape = CursorShape::Arrow;
            return true;
        case IDC_IBEAM:
            *shape = CursorShape::IBeam;
            return true;
        case IDC_WAIT:
            *shape = CursorShape::Wait;
            return true;
        case IDC_CROSS:
            *shape = CursorShape::Cross;
            return true;
        case IDC_UPARROW:
            *shape = CursorShape::UpArrow;
            return true;
        case IDC_SIZENWSE:
            *shape = CursorShape::SizeNwse;
            return true;
        case IDC_SIZENESW:
            *shape = CursorShape::SizeNesw;
            return true;
        case IDC_SIZEWE:
            *shape = CursorShape::SizeWe;
            return true;
        case IDC_SIZENS:
            *shape = CursorShape::SizeNs;
            return true;
        case IDC_SIZEALL:
            *shape = CursorShape::SizeAll;
            return true;
        case IDC_NO:
            *shape = CursorShape::No;
            return true;
        case IDC_HAND:
            *shape = CursorShape::Hand;
            return true;
        case IDC_APPSTARTING:
            *shape = CursorShape::AppStarting;
            return true;
        default:
            return false;
    }
}

}  // namespace

namespace detail {

void ResetCursors() {
    theCursor = HCURSOR{IDC_ARROW};
    theShowCount = 0;
}

void ApplyCursor() {
    platform::Video& video = platform::CurrentBackend().GetVideo();
    video.SetCursorVisible(theShowCount >= 0 && theCursor);
    if (!theCursor) return;
    platform::CursorShape shape;
    if (ShapeOf(theCursor.id, &shape)) {
        video.SetCursorShape(shape);
        return;
    }
    auto it = theImageCursors.find(theCursor.id);
    if (it != theImageCursors.end()) video.SetCursorImage(it->second);
}

}  // namespace detail

HCURSOR LoadCursor(HINSTANCE instance, std::uint32_t id) {
    platform::CursorShape shape;
    if (!instance) return ShapeOf(id, &shape) ? HCURSOR{id} : HCURSOR{};
    return theResourceLoader ? theResourceLoader(instance, id) : HCURSOR{};
}

HCURSOR CreateImageCursor(int width, int height, int hotX, int hotY,
                          const std::vector<std::uint32_t>& argb) {
    if (width <= 0 || height <= 0 || width > 256 || height > 256 ||
        argb.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return {};
    HCURSOR h{theNextImageCursor++};
    theImageCursors[h.id] = platform::CursorImage{width, height, hotX, hotY, argb};
    return h;
}

bool DestroyCursor(HCURSOR cursor) {
    if (theImageCursors.erase(cursor.id) == 0) return false;
    // The shown cursor goes back to the arrow rather than point at nothing.
    if (theCursor == cursor) SetCursor(HCURSOR{IDC_ARROW});
    return true;
}

void SetResourceCursorLoader(std::function<HCURSOR(HINSTANCE, std::uint32_t)> loader) {
    theResourceLoader = std::move(loader);
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = theCursor;
    if (cursor == old) return old;
    theCursor = cursor;
    detail::ApplyCursor();
    return old;
}

HCURSOR GetCursor() {
    return theCursor;
}

int ShowCursor(bool show) {
    const bool before = theShowCount >= 0;
    theShowCount += show ? 1 : -1;
    if (before != (theShowCount >= 0)) detail::ApplyCursor();
    return theShowCount;
}

bool GetCursorPos(POINT* point) {
    if (point == nullptr) return false;
    *point = detail::S().cursorPos;
    return true;
}

bool SetCursorPos(int x, int y) {
    detail::S().cursorPos = POINT{x, y};
    POINT origin = OutputOrigin();
    platform::CurrentBackend().GetVideo().WarpCursor(x - origin.x, y - origin.y);
    return true;
}

}  // namespace win
