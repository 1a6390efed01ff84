// The time-of-day palette: lazy loading, panel colours and brightness.
#include "gfx/tod_palette.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "gfx/display.h"
#include "gfx/system_palette.h"

namespace gfx {

namespace {

int DefaultViewMode() {
    return 4;
}

int DefaultGraphicsSetting(int) {
    return 0;
}

int DefaultPanelPaletteName(int, std::string*) {
    return 0;
}

// Reads a decimal number from a token; false when the token holds no digits.
bool ParseComponent(const char* token, std::uint8_t* out) {
    char* end = nullptr;
    const long v = std::strtol(token, &end, 10);
    if (end == token) return false;
    *out = static_cast<std::uint8_t>(std::clamp<long>(v, 0, 255));
    return true;
}

}  // namespace

TimeOfDayServices DefaultTimeOfDayServices() {
    return TimeOfDayServices{DefaultViewMode, DefaultGraphicsSetting, DefaultPanelPaletteName};
}

TimeOfDayServices theTimeOfDayServices = DefaultTimeOfDayServices();

TimeOfDayPalette::TimeOfDayPalette(core::IniFile* settingsFile, core::ResourceVolume* source)
    : settings(settingsFile != nullptr ? settingsFile : &core::theIniFile),
      volume(source != nullptr ? source : &core::thePalettesVolume) {
    gamma = std::clamp(settings->GetInt("Settings", "GammaLevel", kGammaNeutral), 0, 100);
}

TimeOfDayPalette::~TimeOfDayPalette() = default;

void TimeOfDayPalette::SetLightLevel(float daylight) {
    if (std::isnan(daylight)) return;
    daylight = std::clamp(daylight, 0.0f, 1.0f);
    const auto newLevel = static_cast<std::int16_t>(31 + static_cast<int>(-31.0f * daylight));
    if (newLevel != level) {
        level = newLevel;
        levelDirty = 1;
    }
}

void TimeOfDayPalette::SetGamma(std::int32_t newLevel) {
    gamma = std::clamp(newLevel, 0, 100);
    reapply = 1;
    settings->PutInt("Settings", "GammaLevel", gamma);
}

GFXPalette* TimeOfDayPalette::GetPalette() {
    Update();
    return palette.get();
}

std::string TimeOfDayPalette::PaletteFileName(bool exterior, bool setting, std::int32_t lvl) {
    char name[32];
    std::snprintf(name, sizeof name, "tod%c%cb%d.ppl", exterior ? 'e' : 'i', setting ? 's' : 'u',
                  static_cast<int>(lvl));
    return name;
}

std::unique_ptr<GFXPalette> TimeOfDayPalette::LoadWorldPalette(const std::string& name) {
    return volume->LoadPalette(name, 0);
}

int TimeOfDayPalette::OpenPanelMember(const std::string& name) {
    return volume->OpenFile(name);
}

void TimeOfDayPalette::Update() {
    const int mode = theTimeOfDayServices.viewMode();
    const bool exterior = mode == 4 || mode == 5;
    if (exterior) {
        if (panelDirty) {
            reapply = 1;
            panelDirty = 0;
        }
    } else if (levelDirty || panelDirty) {
        LoadPanelColours();
    }
    if (!reapply && !levelDirty) return;

    const bool setting = theTimeOfDayServices.graphicsSetting(1) != 0;
    std::unique_ptr<GFXPalette> loaded =
        LoadWorldPalette(PaletteFileName(exterior, setting, level));
    if (loaded) {
        std::copy(loaded->entries, loaded->entries + 256, fileEntries);
        palette = std::move(loaded);
    } else if (palette) {
        // A missing or bad file keeps the palette we have, rebuilt from the last file's colours.
        std::copy(fileEntries, fileEntries + 256, palette->entries);
    }
    if (palette) {
        if (!exterior) {
            for (int i = 0; i < kPanelEntries; ++i)
                if (panelValid[i]) palette->entries[kPanelFirstEntry + i] = panelColours[i];
        }
        ApplyGamma(palette.get(), gamma, exterior);
        if (GFXSurface* display = GetDisplaySurface())
            display->SetPaletteDeferred(palette.get(), 0, 256);
        // The bordered mode draws through a view of the display surface; it reads the same
        // palette's tables.
        GFXSurface* draw = GetDrawSurface();
        if (draw != nullptr && draw != GetDisplaySurface())
            draw->SetPaletteDeferred(palette.get(), 0, 256);
    }
    levelDirty = 0;
    reapply = 0;
}

void TimeOfDayPalette::LoadPanelColours() {
    const int todIndex = static_cast<int>(level * 0.375);
    reapply = 1;
    panelDirty = 0;
    std::string name;
    if (!theTimeOfDayServices.panelPaletteName(todIndex, &name) || name.empty()) return;
    if (!OpenPanelMember(name)) return;
    char line[257];
    bool ended = false;
    // Three header lines and the ten static colours of a text palette come first.
    for (int i = 0; i < 13 && !ended; ++i)
        ended = volume->ReadLine(line, sizeof line) == nullptr;
    for (int i = 0; i < kPanelEntries && !ended; ++i) {
        if (volume->ReadLine(line, sizeof line) == nullptr) break;
        std::uint8_t rgb[3];
        int found = 0;
        char* save = nullptr;
        for (char* token = strtok_r(line, ", \t\n", &save); token != nullptr && found < 3;
             token = strtok_r(nullptr, ", \t\n", &save)) {
            if (!ParseComponent(token, &rgb[found])) break;
            ++found;
        }
        // A line with missing numbers keeps the previous colour of its entry.
        if (found < 3) continue;
        panelColours[i] = GFXPaletteEntry{rgb[0], rgb[1], rgb[2], 0};
        panelValid[i] = true;
    }
    volume->CloseFile();
}

void TimeOfDayPalette::ApplyGamma(GFXPalette* p, std::int32_t gammaLevel, bool exterior) {
    if (p == nullptr) return;
    FixStaticColours(p);
    if (gammaLevel == kGammaNeutral) return;
    const double g = gammaLevel > kGammaNeutral
                         ? 1.0 + (gammaLevel - kGammaNeutral) * 0.02142857142857143
                         : (1.0 + gammaLevel / 30.0) * 0.5;
    const int first = exterior ? 10 : 74;
    double sum = 0.0;
    for (int i = first; i <= 245; ++i)
        sum += 3.0 * p->entries[i].red + 6.0 * p->entries[i].green + p->entries[i].blue;
    const double brightness = sum / (2550.0 * (246 - first));
    const double f = 1.0 + (g - 1.0) * (1.0 - 2.0 * brightness);
    const double panelFactor = exterior ? f : 1.0 + (f - 1.0) * 0.25;
    auto scale = [](std::uint8_t c, double factor) {
        const double v = std::trunc(c * factor);
        return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
    };
    for (int i = 10; i <= 245; ++i) {
        const double factor = i <= 73 ? panelFactor : f;
        GFXPaletteEntry& e = p->entries[i];
        e.red = scale(e.red, factor);
        e.green = scale(e.green, factor);
        e.blue = scale(e.blue, factor);
    }
}

}  // namespace gfx
