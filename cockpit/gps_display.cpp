#include "cockpit/gps_display.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/ini_file.h"
#include "gfx/font.h"

namespace cockpit {

GpsDisplay theGpsDisplay;

namespace {

constexpr const char* kColorKeys[kGpsColorCount] = {
    "VorIcon", "VorText", "NdbIcon",  "NdbText", "IntIcon", "IntText", "AptIcon", "AptText",
    "ObsIcon", "PlnIcon", "RwyLine",  "RwyText", "VicLine", "VicText", "TrkLine", "CdiLine",
    "BrgText", "IlsLeft", "IlsRight", "IlsText", "InfText", "BgnFill"};
constexpr GpsRgb kDefaultColors[kGpsColorCount] = {
    {0, 128, 128},   {0, 128, 128},   {0, 128, 0},     {0, 128, 0},     {255, 0, 0},
    {128, 0, 0},     {160, 160, 164}, {192, 192, 192}, {128, 0, 128},   {0, 255, 0},
    {128, 128, 128}, {128, 0, 0},     {0, 255, 255},   {192, 192, 192}, {255, 255, 0},
    {255, 255, 255}, {192, 192, 192}, {128, 128, 0},   {0, 0, 128},     {128, 128, 0},
    {128, 128, 128}, {0, 0, 0}};

// World units in a nautical mile, with the map's margin.
constexpr double kUnitsPerMile = 411992.064;

// Cursor resources over the window.
constexpr int kMoveCursor = 631;
constexpr int kDiagonalDownCursor = 729;  // top-left or bottom-right
constexpr int kDiagonalUpCursor = 730;    // top-right or bottom-left
constexpr int kVerticalCursor = 731;      // top or bottom
constexpr int kHorizontalCursor = 732;    // left or right

std::uint8_t Part(const char*& p) {
    const long v = std::strtol(p, nullptr, 10);
    const char* comma = std::strchr(p, ',');
    p = comma != nullptr ? comma + 1 : nullptr;
    return static_cast<std::uint8_t>(std::clamp(v, 0L, 255L));
}

}  // namespace

void ParseGpsColor(const char* text, GpsRgb* c) {
    if (text == nullptr || *text == '\0') return;
    const char* p = text;
    c->r = Part(p);
    if (p != nullptr) c->g = Part(p);
    if (p != nullptr) c->b = Part(p);
}

int NearestGpsColor(const std::array<GpsRgb, 256>& palette, GpsRgb c) {
    int best = 0;
    long bestDistance = 0;
    for (int i = 1; i < 256; ++i) {
        const long dr = palette[i].r - c.r;
        const long dg = palette[i].g - c.g;
        const long db = palette[i].b - c.b;
        const long d = dr * dr * 3 + dg * dg * 6 + db * db;
        if (best == 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

GpsDisplay::GpsDisplay() {
    std::copy(std::begin(kDefaultColors), std::end(kDefaultColors), rgb.begin());
    SetScale(25.0);
}

void GpsDisplay::Load(int aircraftType) {
    if (aircraftType == -1) {
        SaveGpsWindowRect();
        return;
    }
    if (aircraftType < 0 || aircraftType > 5) {
        loadedType = aircraftType;
        shown = false;
        return;
    }
    LoadArt();
    LoadBezel(aircraftType);
    if (!shown) {
        core::IniFile& ini = core::theIniFile;
        const int h = ini.GetInt("GPS", "DisplayH", height);
        const int w = ini.GetInt("GPS", "DisplayW", width);
        const int top = ini.GetInt("GPS", "DisplayY", y);
        const int left = ini.GetInt("GPS", "DisplayX", x);
        SetWindowRect(left, top, w, h);
    }
    loadedType = aircraftType;
    shown = true;
    SetScale(range);
    // The mode's page again, so that the layout follows the new size.
    ApplyPage(pageNumber);
    LayoutButtons();
}

void GpsDisplay::SaveGpsWindowRect() {
    const bool wasShown = shown;
    shown = false;
    loadedType = -1;
    moving = resizing = false;
    ReleaseArt();
    bezel = GpsBezel{};
    bezelType = -1;
    if (!wasShown) return;
    core::IniFile& ini = core::theIniFile;
    ini.PutInt("GPS", "DisplayX", x);
    ini.PutInt("GPS", "DisplayY", y);
    ini.PutInt("GPS", "DisplayW", width);
    ini.PutInt("GPS", "DisplayH", height);
}

int GpsDisplay::ContainsPoint(std::int32_t px, std::int32_t py) const {
    return shown && x <= px && px <= x + width && y <= py && py <= y + height ? 1 : 0;
}

void GpsDisplay::SetWindowRect(std::int32_t nx, std::int32_t ny, std::int32_t w, std::int32_t h) {
    width = std::clamp(w, 128, 640);
    height = std::clamp(h, 144, 480);
    x = std::clamp(nx, 0, 640 - width);
    y = std::clamp(ny, 0, 480 - height);
    redrawNow = true;
    SetScale(range);
    LayoutButtons();
}

void GpsDisplay::SetBorders(int left, int right, int top, int bottom) {
    // A border is kept below half the window's side.
    borderLeft = std::clamp(left, 0, 63);
    borderRight = std::clamp(right, 0, 63);
    borderTop = std::clamp(top, 0, 71);
    borderBottom = std::clamp(bottom, 0, 71);
    SetScale(range);
}

void GpsDisplay::SetScale(double r) {
    if (!(r > 0.1 && r <= 100.0)) return;
    range = r;
    redrawNow = true;
    const int inner =
        std::max(1, std::min(width - borderLeft - borderRight, height - borderTop - borderBottom));
    pixelsPerUnit = inner / (range * 1.15 * kUnitsPerMile);
}

void GpsDisplay::ZoomIn() {
    SetScale(range * 0.8);
    zoomKey = 2;
    redrawNow = true;
    highlight = kGpsZoomIn;
}
void GpsDisplay::ZoomOut() {
    SetScale(range * 1.25);
    zoomKey = 1;
    redrawNow = true;
    highlight = kGpsZoomOut;
}

int GpsDisplay::LoadColors(int force, const std::array<GpsRgb, 256>* palette) {
    if (palette == nullptr) return 0;
    if (force == 0 && paletteKept && *palette == keptPalette) return 0;
    keptPalette = *palette;
    paletteKept = true;
    core::IniFile& ini = core::theIniFile;
    if (ini.GetInt("GPSColors", "ColorSet", 0) < 3) {
        ini.DeleteSection("GPSColors");
        ini.PutInt("GPSColors", "ColorSet", 3);
    }
    for (int i = 0; i < kGpsColorCount; ++i) {
        const std::string text = ini.GetString("GPSColors", kColorKeys[i], "");
        ParseGpsColor(text.c_str(), &rgb[i]);
        colors[i] = static_cast<std::uint8_t>(NearestGpsColor(*palette, rgb[i]));
    }
    return 1;
}

int GpsDisplay::EdgeFlags(std::int32_t lx, std::int32_t ly) const {
    const int bl = borderLeft;
    const int bt = borderTop;
    int f = 0;
    if (lx < bl) f |= 1;
    if (lx > width - bl) f |= 2;
    if (ly < bt) f |= 4;
    if (ly > height - bt) f |= 8;
    if ((f & 12) != 0) {
        if (lx < 2 * bl) f |= 1;
        if (lx > width - 2 * bl) f |= 2;
    }
    if ((f & 3) != 0) {
        if (ly < 2 * bt) f |= 4;
        if (ly > height - 2 * bt) f |= 8;
    }
    return f;
}

int GpsDisplay::OnMouseDown(std::int32_t px, std::int32_t py) {
    if (!ContainsPoint(px, py)) return 0;
    // The button strip first: a press on it never starts a drag.
    if (buttonBar.Holds(px - x, py - y)) {
        if (const int id = ButtonAt(px - x, py - y); id != 0) PressButton(id);
        return 1;
    }
    pressX = px - x;
    pressY = py - y;
    dragEdges = EdgeFlags(pressX, pressY);
    moving = dragEdges == 0;
    resizing = !moving;
    return 1;
}

int GpsDisplay::OnMouseMove(std::int32_t px, std::int32_t py) {
    if (!moving && !resizing) return 0;
    if (px < 0 || px > 640 || py < 0 || py > 480) return 1;
    const int dx = px - pressX - x;
    const int dy = py - pressY - y;
    if (moving) {
        SetWindowRect(x + dx, y + dy, width, height);
        return 1;
    }
    int nx = x, ny = y, w = width, h = height;
    // Never narrower than the button bar between the borders.
    const int minW = std::max(128, buttonBar.right - buttonBar.left + borderLeft + borderRight);
    const int minH = 144;
    if ((dragEdges & 1) != 0) {
        const int d = std::min(dx, w - minW);
        nx += d;
        w -= d;
    }
    if ((dragEdges & 2) != 0) {
        const int d = std::max(dx, minW - w);
        w += d;
        pressX += d;
    }
    if ((dragEdges & 4) != 0) {
        const int d = std::min(dy, h - minH);
        ny += d;
        h -= d;
    }
    if ((dragEdges & 8) != 0) {
        const int d = std::max(dy, minH - h);
        h += d;
        pressY += d;
    }
    SetWindowRect(nx, ny, w, h);
    return 1;
}

int GpsDisplay::OnMouseUp(std::int32_t px, std::int32_t py) {
    if (!moving && !resizing) return 0;
    OnMouseMove(px, py);
    moving = resizing = false;
    dragEdges = 0;
    return 1;
}

int GpsDisplay::CursorAt(std::int32_t px, std::int32_t py) const {
    if (!shown) return 0;
    if (moving || (!resizing && ContainsPoint(px, py) && buttonBar.Holds(px - x, py - y)))
        return kMoveCursor;
    const int f = resizing ? dragEdges : (ContainsPoint(px, py) ? EdgeFlags(px - x, py - y) : 0);
    switch (f) {
        case 1:
        case 2:
            return kHorizontalCursor;
        case 4:
        case 8:
            return kVerticalCursor;
        case 5:
        case 10:
            return kDiagonalDownCursor;
        case 6:
        case 9:
            return kDiagonalUpCursor;
        default:
            return 0;
    }
}

}  // namespace cockpit
