// The main window's palette messages and the file dialogs in dialog mode.
#include <vector>

#include "gfx/display.h"
#include "gfx/surface.h"
#include "gfx/system_palette.h"
#include "sim/main_window_services.h"
#include "sim/sim_world.h"
#include "ui/file_dialogs.h"
#include "ui/owner_draw_library.h"
#include "win/gdi.h"
#include "win/window.h"

namespace sim {

namespace {
bool theStaticColoursCopied = false;
}  // namespace

void CopyStaticColours() {
    gfx::GFXSurface* display = gfx::GetDisplaySurface();
    const gfx::GFXPalette* palette = display != nullptr ? display->palette : nullptr;
    if (palette == nullptr) return;
    win::PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i) {
        const gfx::GFXPaletteEntry& e = palette->entries[i];
        entries[i] = win::PALETTEENTRY{e.red, e.green, e.blue, 0};
    }
    ui::wplSetReservedEntries(entries);
    theStaticColoursCopied = true;
}

bool StaticColoursCopied() {
    return theStaticColoursCopied;
}

void RefreshChildWindows(int flags) {
    if ((flags & 2) == 0) return;
    const win::HWND main = theSimWorld.Window();
    if (!main) return;
    gfx::GFXSurface* display = gfx::GetDisplaySurface();
    gfx::GFXPalette* palette = display != nullptr ? display->palette : nullptr;
    if (palette == nullptr) return;
    std::vector<win::HWND> windows{main};
    for (win::HWND c = win::GetWindow(main, win::GW_CHILD); c;
         c = win::GetWindow(c, win::GW_HWNDNEXT))
        windows.push_back(c);
    for (win::HWND w : windows) {
        const win::HDC dc = win::GetDC(w);
        gfx::SelectProgramPalette(dc, palette);
        win::ReleaseDC(w, dc);
    }
}

win::LResult OnMainQueryNewPalette(win::HWND) {
    if (!IsApplicationActive()) RefreshChildWindows(1);
    RefreshChildWindows(6);
    return 1;
}

void OnMainPaletteChanged(win::HWND window, win::HWND changer) {
    if (changer == window) return;
    // Another program's palette: realise ours again; one of our own windows': refresh them.
    if (changer &&
        (win::GetParent(changer) == window || win::GetWindow(changer, win::GW_OWNER) == window))
        RefreshChildWindows(4);
    else
        OnMainQueryNewPalette(window);
}

int ShowOpenFileDialog(ui::FileDialogRequest& request) {
    SetDialogMode(1);
    const int result = ui::RunFileDialog(request);
    SetDialogMode(0);
    return result;
}

int ShowSaveFileDialog(ui::FileDialogRequest& request) {
    return ShowOpenFileDialog(request);
}

}  // namespace sim
