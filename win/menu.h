// Menus: menu bars and popups, loaded from the resource library or built by hand, drawn by us
// in a window's menu band (or in an overlay band the program shows over a full-screen picture)
// and tracked with the mouse and keyboard. Tracking sends the owner WM_ENTERMENULOOP,
// WM_INITMENU, WM_INITMENUPOPUP before each popup is laid out and drawn (so check marks set
// there show), WM_MENUSELECT as the selection moves, WM_EXITMENULOOP at the end, and then posts
// WM_COMMAND with the chosen item's id.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win/handles.h"
#include "win/resource.h"
#include "win/window.h"

namespace win {

inline constexpr std::uint32_t MFT_RADIOCHECK = 0x0200;
inline constexpr std::uint32_t MF_MOUSESELECT = 0x8000;
inline constexpr std::uint32_t kMenuError = 0xFFFFFFFFu;

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its submenus; a menu still set on a window is taken off it first.
bool DestroyMenu(HMENU menu);
bool IsMenu(HMENU menu);
// MF_STRING, MF_SEPARATOR or MF_POPUP (then `idOrSubmenu` is the submenu's handle number),
// with MF_CHECKED, MF_GRAYED, MF_DISABLED, MF_MENUBARBREAK, MF_MENUBREAK, MF_HELP.
bool AppendMenu(HMENU menu, std::uint32_t flags, std::uintptr_t idOrSubmenu, std::string_view text);
bool AppendMenu(HMENU menu, std::uint32_t flags, HMENU submenu, std::string_view text);
bool RemoveMenu(HMENU menu, std::uint32_t position, std::uint32_t flags);

HMENU LoadMenu(HINSTANCE library, std::string_view name);
HMENU LoadMenu(HINSTANCE library, std::uint32_t id);
HMENU LoadMenuIndirect(const std::vector<MenuTemplateItem>& items);

// By command (searching submenus too) or MF_BYPOSITION. The previous state, or kMenuError
// when there is no such item.
std::uint32_t CheckMenuItem(HMENU menu, std::uint32_t item, std::uint32_t flags);
std::uint32_t EnableMenuItem(HMENU menu, std::uint32_t item, std::uint32_t flags);
// Marks `check` with a radio mark and clears the others of first..last, in the menu that holds
// `check`.
bool CheckMenuRadioItem(HMENU menu, std::uint32_t first, std::uint32_t last, std::uint32_t check,
                        std::uint32_t flags);
// The item's MF_ flags; for a popup the high byte holds its item count.
std::uint32_t GetMenuState(HMENU menu, std::uint32_t item, std::uint32_t flags);
int GetMenuItemCount(HMENU menu);
std::uint32_t GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuString(HMENU menu, std::uint32_t item, std::string* text, std::uint32_t flags);

HMENU GetMenu(HWND hwnd);
// Sets (or with the null menu removes) a window's menu bar; the client area gives the band
// its rows.
bool SetMenu(HWND hwnd, HMENU menu);
bool DrawMenuBar(HWND hwnd);

// The overlay band: the window's menu bar drawn over the top rows of the output, for a
// full-screen picture whose own band lies off the screen. Clicks on it open the menus as the
// band's would.
bool ShowMenuOverlay(HWND hwnd, bool show);
bool IsMenuOverlayShown(HWND hwnd);

// Runs a popup menu at a screen point; with TPM_RETURNCMD the chosen id is returned instead of
// posted.
inline constexpr std::uint32_t TPM_RETURNCMD = 0x0100;
std::uint32_t TrackPopupMenu(HMENU menu, std::uint32_t flags, int x, int y, HWND owner);

// Hooks the menu band into the window system: its height, its drawing (with the frame and
// caption) and its tracking. Called once at start-up (the tests call it in their set-up).
void InstallMenuSupport();

}  // namespace win
