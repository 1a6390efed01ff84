// The animation control under the skin: its clips play in a video window (the control's own
// class does the playing); the skin finds a bare clip name in the program's folder, gives the
// library's palette the clip's colours when the program asks for that, and never erases.
#include <string>

#include "ui/owner_draw_internal.h"
#include "ui/owner_draw_library.h"
#include "win/file_api.h"
#include "win/video_window.h"

namespace ui {

namespace detail_wpl {
extern WplOptions theOptions;
}  // namespace detail_wpl

using namespace win;

namespace {

// A name without a folder is the program's own: looked for beside the executable.
std::string InModuleFolder(const std::string& name) {
    if (name.find_first_of("\\/:") != std::string::npos) return name;
    std::string module = GetModuleFileName();
    const std::size_t cut = module.find_last_of("\\/");
    return cut == std::string::npos ? name : module.substr(0, cut + 1) + name;
}

// Option 14: the program names the clip's palette; its colours from entry 10 on become the
// library palette's.
void TakeClipPalette(const std::string& clip) {
    if (detail_wpl::theOptions.clipPaletteCallback == nullptr) return;
    const HPALETTE p = detail_wpl::theOptions.clipPaletteCallback(clip.c_str());
    const HPALETTE library = wplGetPalette();
    if (!p || !library) return;
    PALETTEENTRY e[256];
    const unsigned n = GetPaletteEntries(p, 0, 256, e);
    if (n > 10) SetPaletteEntries(library, 10, n - 10, e + 10);
}

}  // namespace

int wplAnimateFilter(HWND, std::uint32_t, std::uint32_t) {
    return 1;
}

LResult wplAnimateProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    switch (m) {
        case ACM_OPENA:
        case ACM_OPENW: {
            if (l == 0) return wplCallPrevious("WPL", h, m, w, l, false);
            const std::string path = InModuleFolder(AnimationFileArgument(m, l));
            TakeClipPalette(path);
            return wplCallPrevious("WPL", h, ACM_OPENA, w, reinterpret_cast<LParam>(path.c_str()), false);
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_NCDESTROY:
            return detail_wpl::EndSubclass("WPL", h, m, w, l);
        default:
            return wplCallPrevious("WPL", h, m, w, l, false);
    }
}

}  // namespace ui
