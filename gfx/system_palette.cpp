// The program's logical palette over the window system's palette emulation.
#include "gfx/system_palette.h"

#include <algorithm>

namespace gfx {

const win::PALETTEENTRY theStaticColours[kForcedStaticColours] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},   {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0}, {192, 192, 192, 0},
    {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},   {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0}, {0, 255, 255, 0},
    {255, 255, 255, 0},
};

SystemPaletteState theSystemPaletteState;
win::HPALETTE theProgramPaletteHandle;

namespace {

bool IsBlack(const win::PALETTEENTRY& e) {
    return e.peRed == 0 && e.peGreen == 0 && e.peBlue == 0;
}

void ToLogical(const GFXPalette& palette, win::LOGPALETTE* out) {
    out->palVersion = 0x300;
    out->palPalEntry.resize(256);
    for (int i = 0; i < 256; ++i) {
        const GFXPaletteEntry& e = palette.entries[i];
        out->palPalEntry[i] = win::PALETTEENTRY{e.red, e.green, e.blue, e.flags};
    }
}

void SelectAndRealize(win::HDC dc, win::HPALETTE palette) {
    if (!dc) return;
    win::SelectPalette(dc, palette, false);
    win::RealizePalette(dc);
}

}  // namespace

void FixStaticColours(GFXPalette* palette) {
    if (palette == nullptr) return;
    win::PALETTEENTRY system[256];
    win::GetSystemPaletteEntries(win::HDC{}, 0, 256, system);
    // A display without a palette reports zeros; the saved copy is better than nothing then.
    if (theSystemPaletteState.saved && IsBlack(system[1]))
        std::copy(theSystemPaletteState.savedEntries, theSystemPaletteState.savedEntries + 256,
                  system);
    for (int i = 0; i < 8; ++i)
        system[i] = theStaticColours[i];
    for (int i = 8; i < kForcedStaticColours; ++i)
        system[239 + i] = theStaticColours[i];
    for (int i = 0; i < 256; ++i) {
        if (i >= 10 && i <= 245) continue;
        palette->entries[i] =
            GFXPaletteEntry{system[i].peRed, system[i].peGreen, system[i].peBlue, 0};
    }
    // Entries equal to a reserved colour would collapse onto it; nudge them one step darker.
    for (int i = 10; i <= 245; ++i) {
        GFXPaletteEntry& e = palette->entries[i];
        e.flags = kPaletteNoCollapse;
        for (int k = 246; k <= 255; ++k) {
            const GFXPaletteEntry& s = palette->entries[k];
            if (e.red != s.red || e.green != s.green || e.blue != s.blue) continue;
            if (e.red > 0)
                --e.red;
            else if (e.green > 0)
                --e.green;
            else if (e.blue > 0)
                --e.blue;
        }
    }
}

void SelectProgramPalette(win::HDC dc, GFXPalette* palette) {
    SystemPaletteState& st = theSystemPaletteState;
    if (palette == nullptr) {
        if (st.programPalette) SelectAndRealize(dc, st.programPalette);
        return;
    }
    FixStaticColours(palette);
    win::LOGPALETTE logical;
    ToLogical(*palette, &logical);
    if (st.programPalette) {
        win::SetPaletteEntries(st.programPalette, 0, 256, logical.palPalEntry.data());
        SelectAndRealize(dc, st.programPalette);
        // The kept copy follows every palette installed whole, so that a later partial update
        // does not bring back the colours of an older one.
        if (st.keptPalette && st.keptPalette.get() != palette)
            std::copy(palette->entries, palette->entries + 256, st.keptPalette->entries);
        return;
    }
    st.programPalette = win::CreatePalette(&logical);
    theProgramPaletteHandle = st.programPalette;
    if (!st.programPalette) return;
    if (dc) {
        const win::HPALETTE replaced = win::SelectPalette(dc, st.programPalette, false);
        win::RealizePalette(dc);
        if (!st.previousPalette)
            st.previousPalette = replaced;
        else if (replaced && replaced != st.previousPalette && replaced != st.programPalette)
            win::DeleteObject(replaced);
    }
    if (!st.keptPalette) st.keptPalette = std::make_unique<GFXPalette>();
    if (st.keptPalette.get() != palette)
        std::copy(palette->entries, palette->entries + 256, st.keptPalette->entries);
}

void UpdateProgramPalette(win::HDC dc, std::int32_t start, std::int32_t count,
                          const GFXPalette* palette) {
    SystemPaletteState& st = theSystemPaletteState;
    if (st.keptPalette && palette != nullptr)
        CopyPaletteEntries(st.keptPalette.get(), palette, start, count);
    SelectProgramPalette(dc, st.keptPalette.get());
}

void ReleaseProgramPalette(win::HDC dc) {
    SystemPaletteState& st = theSystemPaletteState;
    if (dc && st.previousPalette) win::SelectPalette(dc, st.previousPalette, false);
    if (st.programPalette) win::DeleteObject(st.programPalette);
    st.programPalette = {};
    st.previousPalette = {};
    theProgramPaletteHandle = {};
}

void SaveSystemPalette() {
    SystemPaletteState& st = theSystemPaletteState;
    win::GetSystemPaletteEntries(win::HDC{}, 0, 256, st.savedEntries);
    st.saved = 1;
    const auto stock = win::HPALETTE{win::GetStockObject(win::DEFAULT_PALETTE).id};
    if (IsBlack(st.savedEntries[1])) win::GetPaletteEntries(stock, 0, 20, st.savedEntries);
    if (IsBlack(st.savedEntries[255])) {
        win::PALETTEENTRY defaults[20];
        if (win::GetPaletteEntries(stock, 0, 20, defaults) == 20)
            std::copy(defaults + 10, defaults + 20, st.savedEntries + 246);
    }
}

void ForgetSystemPalette() {
    theSystemPaletteState.saved = 0;
}

const win::PALETTEENTRY* GetSavedSystemEntries() {
    return theSystemPaletteState.savedEntries;
}

void ResetSystemPaletteState() {
    ReleaseProgramPalette(win::HDC{});
    theSystemPaletteState.keptPalette.reset();
    theSystemPaletteState.saved = 0;
}

}  // namespace gfx
