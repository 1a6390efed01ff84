// Gamma and time-of-day palettes. The outside world is drawn with one of many prepared
// palettes chosen by light level (0 brightest .. 31 darkest), interior or exterior view and a
// graphics setting, each a "tod%c%cb%d.ppl" member of the palette volume. In cockpit views
// entries 10..73 become the aircraft's panel colours, read from a text palette chosen by a
// coarser time-of-day index. The user's brightness setting (0..100, 30 = unchanged) then scales
// the colours, adapting to how bright the palette is. Setters only raise dirty flags; the work
// is done when the world asks for the palette, and the result goes to the display surface as a
// deferred palette change that shows at the next present.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/palette.h"

namespace core {
class IniFile;
class ResourceVolume;
}  // namespace core

namespace gfx {

// What the palette needs of the world. The world installs its own accessors; the defaults
// describe an outside view with every graphics setting off and no aircraft.
struct TimeOfDayServices {
    int (*viewMode)();                  // view modes 4 and 5 are outside views
    int (*graphicsSetting)(int index);  // the current profile's setting, 0 when missing
    // Writes the aircraft's panel palette name for a time-of-day index 0..11; 0 when none.
    int (*panelPaletteName)(int todIndex, std::string* out);
};

extern TimeOfDayServices theTimeOfDayServices;
[[nodiscard]] TimeOfDayServices DefaultTimeOfDayServices();

inline constexpr std::int32_t kGammaNeutral = 30;
inline constexpr std::int32_t kPanelFirstEntry = 10;
inline constexpr std::int32_t kPanelEntries = 64;

class TimeOfDayPalette {
public:
    // Reads "Settings" "GammaLevel" from `settings`; palettes come from `volume`.
    explicit TimeOfDayPalette(core::IniFile* settings = nullptr,
                              core::ResourceVolume* volume = nullptr);
    virtual ~TimeOfDayPalette();
    TimeOfDayPalette(const TimeOfDayPalette&) = delete;
    TimeOfDayPalette& operator=(const TimeOfDayPalette&) = delete;

    // daylight 1 is full day, 0 night; values outside are held to that range.
    void SetLightLevel(float daylight);
    void MarkDirty() { panelDirty = 1; }
    void MarkReapply() { reapply = 1; }
    // Clamps to 0..100, stores and writes the level, and asks for the palette again.
    void SetGamma(std::int32_t level);
    [[nodiscard]] std::int32_t GetGamma() const { return gamma; }
    [[nodiscard]] std::int32_t GetLevel() const { return level; }

    // Brings the palette up to date and answers it (null until a palette file was read).
    GFXPalette* GetPalette();
    void Update();

    // The member name for the level, view kind and graphics setting.
    [[nodiscard]] static std::string PaletteFileName(bool exterior, bool setting,
                                                     std::int32_t level);
    // Scales entries 10..245 by the brightness rule (after fixing the static colours).
    static void ApplyGamma(GFXPalette* palette, std::int32_t gamma, bool exterior);

protected:
    // The two ways the palette reaches the files; the defaults go through the volume.
    virtual std::unique_ptr<GFXPalette> LoadWorldPalette(const std::string& name);
    virtual int OpenPanelMember(const std::string& name);

    void LoadPanelColours();

    core::IniFile* settings;
    core::ResourceVolume* volume;
    // Ours alone: a surface still showing it when it is replaced keeps a copy of its own.
    std::unique_ptr<GFXPalette> palette;
    GFXPaletteEntry fileEntries[256] = {};  // the colours of the last palette file read
    std::int16_t level = 0;
    std::int32_t levelDirty = 1;
    std::int32_t panelDirty = 1;
    std::int32_t reapply = 1;
    GFXPaletteEntry panelColours[kPanelEntries] = {};
    bool panelValid[kPanelEntries] = {};  // entries never read keep the palette file's colour
    std::int32_t gamma = kGammaNeutral;
};

}  // namespace gfx
