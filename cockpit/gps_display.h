// The GPS window that floats over the view: its place and size (kept in the settings file's
// [GPS] section), its map range, its colour keys matched to the palette, and the mouse that
// moves and resizes it. The panel's click dispatch leaves every point inside it to it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace gfx {
class GFXSurface;
}

namespace cockpit {

// The [GPSColors] keys, in the order of the colour set.
enum GpsColor : int {
    kVorIcon,
    kVorText,
    kNdbIcon,
    kNdbText,
    kIntIcon,
    kIntText,
    kAptIcon,
    kAptText,
    kObsIcon,
    kPlnIcon,
    kRwyLine,
    kRwyText,
    kVicLine,
    kVicText,
    kTrkLine,
    kCdiLine,
    kBrgText,
    kIlsLeft,
    kIlsRight,
    kIlsText,
    kInfText,
    kBgnFill,
    kGpsColorCount
};

struct GpsRgb {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
    bool operator==(const GpsRgb&) const = default;
};

class GpsDisplay {
public:
    GpsDisplay();

    // -1 hides the display and saves its rectangle; 0..5 shows it for that aircraft type; any
    // other value is stored and hides it.
    void Load(int aircraftType);
    // Hides the display; when it was shown, writes DisplayX, DisplayY, DisplayW and DisplayH.
    void SaveGpsWindowRect();
    // 1 while shown with the point inside the window (edges included).
    [[nodiscard]] int ContainsPoint(std::int32_t x, std::int32_t y) const;
    // Width 128..640 and height 144..480, then the window kept on the 640 x 480 screen.
    void SetWindowRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
    // Ranges above 0.1 up to 100.0 nautical miles across the smaller inner side are taken.
    void SetScale(double range);
    void ZoomIn();
    void ZoomOut();
    // Matches the colour keys to a palette of 256 RGB entries (entry 0 never chosen); unless
    // forced, only when the palette changed. 1 when it matched.
    int LoadColors(int force, const std::array<GpsRgb, 256>* palette);

    // Every frame while shown: rematches the colours when the palette changed, redraws the
    // page when 500 ms have passed (a signed difference of the millisecond clock, so its wrap
    // does not stall it) and copies it into the target at the window's place.
    void Update(gfx::GFXSurface* target, const std::array<GpsRgb, 256>* palette,
                std::uint32_t nowMs);
    // Draws the map page into the window's own 8-bit picture: the real airports, VORs, NDBs
    // and intersections round the aircraft, heading up, with the aircraft in the middle.
    void DrawPage();
    [[nodiscard]] const std::vector<std::uint8_t>& Page() const { return page; }

    // The mouse, in window coordinates; 1 when the display took the event.
    int OnMouseDown(std::int32_t x, std::int32_t y);
    int OnMouseMove(std::int32_t x, std::int32_t y);
    int OnMouseUp(std::int32_t x, std::int32_t y);
    // The cursor resource the pointer should show over the window, 0 for the main window's own.
    [[nodiscard]] int CursorAt(std::int32_t x, std::int32_t y) const;

    [[nodiscard]] bool Shown() const { return shown; }
    [[nodiscard]] int X() const { return x; }
    [[nodiscard]] int Y() const { return y; }
    [[nodiscard]] int Width() const { return width; }
    [[nodiscard]] int Height() const { return height; }
    [[nodiscard]] double Range() const { return range; }
    [[nodiscard]] int LoadedType() const { return loadedType; }
    [[nodiscard]] std::uint8_t Color(GpsColor c) const { return colors[c]; }
    // The bezel's border widths (left, right, top, bottom); 0 without a bezel.
    void SetBorders(int left, int right, int top, int bottom);

private:
    int EdgeFlags(std::int32_t lx, std::int32_t ly) const;

    bool shown = false;
    int loadedType = -1;
    int x = 32;
    int y = 32;
    int width = 256;
    int height = 256;
    double range = 25.0;
    double pixelsPerUnit = 0.0;
    int borderLeft = 0;
    int borderRight = 0;
    int borderTop = 0;
    int borderBottom = 0;
    // Drag: the press point inside the window, the edges being moved (1 left, 2 right, 4 top,
    // 8 bottom) and whether the whole window moves.
    int pressX = 0;
    int pressY = 0;
    int dragEdges = 0;
    bool moving = false;
    bool resizing = false;
    std::array<std::uint8_t, kGpsColorCount> colors{};
    std::array<GpsRgb, kGpsColorCount> rgb{};
    std::array<GpsRgb, 256> keptPalette{};
    std::vector<std::uint8_t> page;
    std::uint32_t nextRedraw = 0;
    bool redrawNow = true;
    bool paletteKept = false;
};

extern GpsDisplay theGpsDisplay;

// The weighted nearest palette entry 1..255 to a colour (3 dr^2 + 6 dg^2 + db^2, the first of
// equal ones).
[[nodiscard]] int NearestGpsColor(const std::array<GpsRgb, 256>& palette, GpsRgb c);
// Reads "r,g,b" into a colour: a missing part keeps its value, a non-number reads 0.
void ParseGpsColor(const char* text, GpsRgb* c);

}  // namespace cockpit
