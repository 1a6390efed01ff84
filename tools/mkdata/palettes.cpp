// The palette volume: the 128 time-of-day world palettes ("tod<e|i><s|u>b<level>.ppl", 32 light
// levels from full daylight to night, for exterior and cockpit views and both graphics
// settings), each with shade rows for lighting and haze and a translucency block, the daylight
// world palette "world.pal", and the aircraft's text palettes of panel colours by coarse time
// of day ("<prefix>_pnl<n>.pal" for the panels, "<prefix>_<view><n>.pal" for the forward and
// side views).
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

#include "gfx/palette.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/palette_colours.h"
#include "tools/mkdata/panel_roles.h"

namespace mkdata {

namespace {

constexpr const char* kVolume = "Art\\Palettes.Vol";

// Shade rows: 32 intensities (shift 5) in each of 8 haze levels (bits 3).
constexpr int kShadeShift = 5;
constexpr int kShadeBits = 3;
constexpr int kIntensities = 1 << kShadeShift;
constexpr int kHazeLevels = 1 << kShadeBits;

std::uint32_t Pack(double r, double g, double b) {
    const auto c = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(v, 0.0, 255.0) + 0.5);
    };
    return c(r) | (c(g) << 8) | (c(b) << 16);
}

// The nearest of the world's entries 74..245 to a colour, the sky's two left out except for
// `own` (the entry being shaded): a shaded face never takes the sky's colour, so far water
// fades into the haze rather than through a band of sky.
std::uint8_t NearestWorldEntry(const gfx::GFXPalette& p, double r, double g, double b, int own) {
    int best = kFirstWorldEntry;
    double bestDistance = -1;
    for (int i = kFirstWorldEntry; i <= kLastFreeEntry; ++i) {
        if ((i == kSkyEntry || i == kAlternativeSkyEntry) && i != own) continue;
        const gfx::GFXPaletteEntry& e = p.entries[i];
        const double dr = e.red - r, dg = e.green - g, db = e.blue - b;
        const double d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// The colour of distant things at a light level: pale blue-grey by day, dark blue at night.
Rgb HazeColour(int level) {
    return TintForLevel(kDayHaze, level);
}

// The shade rows: row (haze h, intensity i) maps each colour to the entry nearest to the colour
// lit by i / 31 and then faded toward the haze colour by h / 7. The static colours map to
// themselves, so window-system colours are never shaded.
void BuildShadeTable(gfx::GFXPalette& p, int level) {
    std::vector<std::uint8_t> table(std::size_t{1} << (kShadeBits + kShadeShift + 8));
    const Rgb haze = HazeColour(level);
    for (int h = 0; h < kHazeLevels; ++h) {
        const double f = static_cast<double>(h) / (kHazeLevels - 1);
        for (int i = 0; i < kIntensities; ++i) {
            const double light = static_cast<double>(i) / (kIntensities - 1);
            std::uint8_t* row = table.data() + ((h * kIntensities + i) << 8);
            for (int c = 0; c < 256; ++c) {
                if (IsStaticEntry(c)) {
                    row[c] = static_cast<std::uint8_t>(c);
                    continue;
                }
                const gfx::GFXPaletteEntry& e = p.entries[c];
                const double r = e.red * light * (1 - f) + haze.r * f;
                const double g = e.green * light * (1 - f) + haze.g * f;
                const double b = e.blue * light * (1 - f) + haze.b * f;
                // World colours shade to world colours: the cockpit views replace 10..73 with
                // the panel's, which must not appear in a lit shape.
                row[c] = c >= kFirstWorldEntry ? NearestWorldEntry(p, r, g, b, c)
                                               : static_cast<std::uint8_t>(p.FindNearest(Pack(r, g, b)));
            }
        }
    }
    p.SetShadeTable(kShadeShift, kShadeBits, table.data());
}

// One translucency level: a pixel seen through a pane of another colour is their mean.
void BuildTranslucentTable(gfx::GFXPalette& p) {
    std::vector<std::uint8_t> table(65536);
    for (int a = 0; a < 256; ++a) {
        for (int b = a; b < 256; ++b) {
            const gfx::GFXPaletteEntry& x = p.entries[a];
            const gfx::GFXPaletteEntry& y = p.entries[b];
            // A colour through itself stays itself (the sky's entry is beyond the search).
            const auto v = a == b ? static_cast<std::uint8_t>(a)
                                  : static_cast<std::uint8_t>(p.FindNearest(Pack(
                                        (x.red + y.red) * 0.5, (x.green + y.green) * 0.5, (x.blue + y.blue) * 0.5)));
            table[static_cast<std::size_t>(a * 256 + b)] = v;
            table[static_cast<std::size_t>(b * 256 + a)] = v;
        }
    }
    // Levels of 256 rows from 0; "last" 3 leaves room for exactly one level.
    p.SetTranslucentTable(0, 256, 3, table.data(), 65536);
}

Bytes WorldPaletteFile(int level, bool withTables) {
    gfx::GFXPalette p;
    if (withTables) {
        FillWorldPalette(p, level);
    } else {
        const std::vector<Rgb> colours = WorldColours(level);
        for (int i = 0; i < 256; ++i)
            p.entries[i] = gfx::GFXPaletteEntry{colours[i].r, colours[i].g, colours[i].b, 0};
    }
    return CollectBytes([&](core::StreamIO& s) { return p.Write(s) != 0; });
}

// A text palette: a header of three lines, then 256 lines "red green blue", CR LF after each.
Bytes TextPalette(const std::vector<Rgb>& colours) {
    std::string text = "JASC-PAL\r\n0100\r\n256\r\n";
    char line[32];
    for (const Rgb& c : colours) {
        std::snprintf(line, sizeof line, "%d %d %d\r\n", c.r, c.g, c.b);
        text += line;
    }
    return Bytes(text.begin(), text.end());
}

struct AircraftPalettes {
    const char* panelPrefix;  // panel palettes "<prefix>_pnl<n>.pal"
    const char* viewPrefix;   // forward and side views "<prefix>_<view><n>.pal"
};

// Types 0 to 4 (type 5 uses type 0's names); the panels' colours are their role tables'.
constexpr AircraftPalettes kAircraft[] = {
    {"s", "172"}, {"b", "bon"}, {"ba", "bar"}, {"k", "kin"}, {"j", "cit"},
};

constexpr const char* kViews[] = {"f", "fl", "l", "bl", "b", "br", "r", "fr"};

}  // namespace

void FillWorldPalette(gfx::GFXPalette& p, int level) {
    const std::vector<Rgb> colours = WorldColours(level);
    for (int i = 0; i < 256; ++i)
        p.entries[i] = gfx::GFXPaletteEntry{colours[i].r, colours[i].g, colours[i].b, 0};
    BuildShadeTable(p, level);
    BuildTranslucentTable(p);
}

int MakePalettes(Installation& installation, std::string* error) {
    // The four variants of a light level (exterior or cockpit view, either graphics setting)
    // share their colours: the cockpit replaces entries 10..73 with the panel's own at run time.
    // The levels are independent; a few workers make them side by side and they are added in
    // level order, so the result does not depend on which finishes first.
    std::vector<Bytes> made(kLightLevels);
    std::atomic<int> next{0};
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> pool;
    for (unsigned w = 0; w < workers; ++w) {
        pool.emplace_back([&] {
            for (int level = next++; level < kLightLevels; level = next++)
                made[static_cast<std::size_t>(level)] = WorldPaletteFile(level, true);
        });
    }
    for (std::thread& t : pool)
        t.join();
    for (int level = 0; level < kLightLevels; ++level) {
        const Bytes& bytes = made[static_cast<std::size_t>(level)];
        if (bytes.empty()) {
            *error = "cannot write the palette of light level " + std::to_string(level);
            return 0;
        }
        for (const char view : {'e', 'i'}) {
            for (const char setting : {'s', 'u'}) {
                char name[32];
                std::snprintf(name, sizeof name, "tod%c%cb%d.ppl", view, setting, level);
                installation.AddMember(kVolume, name, bytes);
            }
        }
    }
    installation.AddMember(kVolume, "world.pal", WorldPaletteFile(0, false));

    for (int type = 0; type < 5; ++type) {
        const AircraftPalettes& a = kAircraft[type];
        for (int index = 0; index < kPanelTimeIndexes; ++index) {
            // The panel's colours come from the type's role table.
            const std::vector<Rgb> colours = PanelRolePalette(type, index);
            const Bytes text = TextPalette(colours);
            char name[32];
            std::snprintf(name, sizeof name, "%s_pnl%d.pal", a.panelPrefix, index);
            installation.AddMember(kVolume, name, text);
            for (const char* view : kViews) {
                std::snprintf(name, sizeof name, "%s_%s%d.pal", a.viewPrefix, view, index);
                installation.AddMember(kVolume, name, text);
            }
        }
    }
    return 1;
}

}  // namespace mkdata
