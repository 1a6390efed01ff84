// The one place that talks to the window system's palette machinery. The program draws in 8
// bits through 256-entry palettes and shares the screen with the rest of the desktop: it owns a
// logical palette, selects and realizes it in window device contexts, keeps the 20 reserved
// colours (entries 0..9 and 246..255) identical to the system's so that dialogs keep their
// colours, and marks the other 236 entries no-collapse so that they map one to one. It also
// saves the system palette before full screen, so that device palettes can start from it.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/palette.h"
#include "win/gdi.h"

namespace gfx {

// The static colours the program forces: 0..7 go to entries 0..7, 8..16 to entries 247..255.
// Entries 8, 9 and 246 are the ones users may change and are taken from the system as they are.
inline constexpr int kForcedStaticColours = 17;
extern const win::PALETTEENTRY theStaticColours[kForcedStaticColours];

struct SystemPaletteState {
    win::HPALETTE programPalette;             // made on first use
    win::HPALETTE previousPalette;            // what the first selection replaced
    std::unique_ptr<GFXPalette> keptPalette;  // copy of the last palette installed by creation
    win::PALETTEENTRY savedEntries[256] = {};
    std::int32_t saved = 0;
};

extern SystemPaletteState theSystemPaletteState;
// The program's logical palette, for full-screen surfaces that select it into their own DCs.
extern win::HPALETTE theProgramPaletteHandle;

// Installs `palette` (or, when null, the palette already installed) as the program's logical
// palette and realizes it in `dc` (which may be null).
void SelectProgramPalette(win::HDC dc, GFXPalette* palette);
// Copies entries start .. start + count - 1 of `palette` into the kept copy (when one exists)
// and installs the kept copy; before any palette was installed it only realizes again.
void UpdateProgramPalette(win::HDC dc, std::int32_t start, std::int32_t count,
                          const GFXPalette* palette);
// Selects the palette the program replaced back into `dc` and deletes the program's palette.
void ReleaseProgramPalette(win::HDC dc);

void SaveSystemPalette();
void ForgetSystemPalette();
// The saved system palette; valid only while theSystemPaletteState.saved is set.
[[nodiscard]] const win::PALETTEENTRY* GetSavedSystemEntries();

// Rewrites a palette's reserved entries from the system's, marks the others no-collapse and
// nudges any of them that would duplicate one of entries 246..255.
void FixStaticColours(GFXPalette* palette);

// Drops every palette object and the kept copy (program exit and tests).
void ResetSystemPaletteState();

}  // namespace gfx
