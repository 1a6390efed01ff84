// The GPS window that floats over the view: its place and size (kept in the settings file's
// [GPS] section), its map range, its colour keys matched to the palette, and the mouse that
// moves and resizes it. The panel's click dispatch leaves every point inside it to it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gfx/font.h"
#include "gfx/palette.h"
#include "nav/sms_records.h"

namespace gfx {
class GFXSurface;
class GFXFont;
}
namespace planning {
class FlightPlan;
}
namespace world {
class AirportObjectDatabase;
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

// The bezel bitmap of each aircraft type in the panel volume (type 5 shows type 0's).
inline constexpr const char* kGpsBezelFiles[5] = {"172gps.bmp", "bongps.bmp", "bargps.bmp",
                                                  "knggps.BMP", "citgps.bmp"};

// A piece cut from a bezel bitmap: its pixels row by row, 0 where nothing is drawn.
struct GpsImage {
    int w = 0;
    int h = 0;
    std::vector<std::uint8_t> pixels;
};

// What a bezel bitmap gives: its border widths, the four corners (top-left, top-right,
// bottom-left, bottom-right), the four edge strips, and thirteen image pairs at the even ids
// 0..24 (normal at the id, pressed at id + 1); ids 6..24 are the push buttons.
struct GpsBezel {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    std::array<GpsImage, 4> corners;
    GpsImage leftStrip;
    GpsImage rightStrip;
    GpsImage topStrip;
    GpsImage bottomStrip;
    std::array<GpsImage, 26> images;
};

// Measures a bezel (8-bit rows) and cuts its pieces. A missing or empty bitmap gives borders 0
// and no pieces; a row that is not there leaves its images empty.
[[nodiscard]] GpsBezel CutGpsBezel(const std::uint8_t* pixels, int width, int height, int stride);

// The push buttons.
enum GpsButton : int {
    kGpsWaypoint = 6,
    kGpsNavigation = 8,
    kGpsNearest = 10,
    kGpsMenu = 12,
    kGpsUp = 14,
    kGpsDown = 16,
    kGpsLeft = 18,
    kGpsRight = 20,
    kGpsZoomOut = 22,
    kGpsZoomIn = 24
};

struct GpsRect {
    int left = 0;
    int top = 0;
    int right = 0;  // excluded
    int bottom = 0;
    [[nodiscard]] bool Holds(int px, int py) const {
        return left <= px && px < right && top <= py && py < bottom;
    }
};

// What the pages read beyond the navigation tables: the world's active flight plan (null for
// none) and its airport objects (null for none), which the spine installs; bytes of "flp.sms" at
// an offset (the number read) and the magnetic variation (a binary angle, true = magnetic + it).
// Tests replace any of them.
struct GpsSources {
    const planning::FlightPlan* (*flightPlan)();
    const world::AirportObjectDatabase* (*airportObjects)();
    int (*readSms)(std::uint32_t offset, std::uint8_t* buffer, int size);
    std::int16_t (*variation)();
};
[[nodiscard]] GpsSources DefaultGpsSources();
extern GpsSources theGpsSources;

// An airport's record in "flp.sms": its header and runway rows, and the box round the rows.
struct GpsAirport {
    bool valid = false;
    nav::SmsAirportHeader header;
    std::vector<nav::SmsRunwayRecord> runways;
    std::int32_t minX = 0, minZ = 0, maxX = 0, maxZ = 0;
};
// Reads the record behind a name-list entry at `entryOffset`: the entry's record offset, the
// header and its counted runway rows. Invalid (nothing kept) when a read comes up short.
[[nodiscard]] GpsAirport ReadGpsAirport(std::uint32_t entryOffset,
                                        int (*readSms)(std::uint32_t, std::uint8_t*, int));

// Distances and bearings as the pages print them: tenths of a nautical mile between two world
// positions, and the magnetic bearing in whole degrees 1..360 (north is 360).
[[nodiscard]] int GpsTenthsOfMile(double dx, double dz);
[[nodiscard]] int GpsBearing(double dx, double dz, std::int16_t variation);

// A flight-plan waypoint slot of the navigation pages.
struct GpsWaypointSlot {
    bool valid = false;
    std::string ident;
    std::int32_t x = 0;
    std::int32_t z = 0;
};

class GpsDisplay {
public:
    GpsDisplay();
    ~GpsDisplay();
    GpsDisplay(const GpsDisplay&) = delete;
    GpsDisplay& operator=(const GpsDisplay&) = delete;

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
    // True while shown with a redraw of the page asked for or due at `nowMs`.
    [[nodiscard]] bool RedrawDue(std::uint32_t nowMs) const {
        return shown && (redrawNow || static_cast<std::int32_t>(nowMs - nextRedraw) >= 0);
    }
    // Milliseconds from `nowMs` until the page's next redraw is due (0 when it is; a large
    // number while the display is hidden).
    [[nodiscard]] std::uint32_t MsToRedraw(std::uint32_t nowMs) const {
        if (!shown) return 0xFFFFFFFFu;
        const auto left = static_cast<std::int32_t>(nextRedraw - nowMs);
        return redrawNow || left <= 0 ? 0 : static_cast<std::uint32_t>(left);
    }
    [[nodiscard]] int X() const { return x; }
    [[nodiscard]] int Y() const { return y; }
    [[nodiscard]] int Width() const { return width; }
    [[nodiscard]] int Height() const { return height; }
    [[nodiscard]] double Range() const { return range; }
    [[nodiscard]] int LoadedType() const { return loadedType; }
    [[nodiscard]] std::uint8_t Color(GpsColor c) const { return colors[c]; }
    // The bezel's border widths (left, right, top, bottom); 0 without a bezel.
    void SetBorders(int left, int right, int top, int bottom);

    // ---- bezel, buttons and menus ----
    // Loads the bezel of an aircraft type from the panel volume (type 5 takes type 0's) and
    // measures it; a missing bezel gives borders 0.
    void LoadBezel(int aircraftType);
    void SetBezel(GpsBezel b);
    [[nodiscard]] const GpsBezel& Bezel() const { return bezel; }
    // The whole redraw: the frame and the map page (which draws the frame first), or the frame
    // and the menu page; then the button bar.
    void Redraw();
    // Fills the picture with the background (when asked), tiles the edge strips and draws the
    // corners.
    void DrawFrame(bool fill);
    // Lays out the ten buttons centred on the bottom border and draws them; a highlighted
    // button shows pressed for this one redraw.
    void DrawButtonBar();
    void DrawBezelPieces();
    void DrawMenuPage();
    // The navigation menu's text for leg 1..count + 1 of a plan of count waypoints.
    [[nodiscard]] static std::string LegText(const planning::FlightPlan& plan, int count, int leg);
    // The button under a point of the window (window coordinates), 0 for none.
    [[nodiscard]] int ButtonAt(std::int32_t lx, std::int32_t ly) const;
    [[nodiscard]] const GpsRect& ButtonBar() const { return buttonBar; }
    [[nodiscard]] const GpsRect& ButtonRect(int id) const { return buttonRects[(id - 6) / 2]; }
    void PressButton(int id);
    void SwitchMode(int newMode);
    void ApplyPage(int newPage);
    // Selects an item of the current category (the identifier entry's choice).
    void SelectItem(int index);
    // ---- the pages ----
    // Loads the fonts "gps5.pft", "gps7.pft", "gpsSymbl.pft" and the palette "gps.pal" from the
    // panel volume, each only while missing; a font that does not load leaves its texts
    // undrawn, and without the symbols each item is a small cross.
    void LoadArt();
    // Frees the fonts, the palette and the kept airport records (when the display is hidden
    // and at exit, before the bitmaps' store goes).
    void ReleaseArt();
    void SetFonts(std::unique_ptr<gfx::GFXFont> small, std::unique_ptr<gfx::GFXFont> large,
                  std::unique_ptr<gfx::GFXFont> symbols);
    // Mode 0 waypoint, 1 navigation, 2 nearest; page 0..3 a category (airports, VORs, NDBs,
    // intersections), 4 no flight plan, 5 departure, 6 en route, 7 arrival, 8 nearest.
    [[nodiscard]] int Mode() const { return mode; }
    [[nodiscard]] int CurrentPage() const { return pageNumber; }
    [[nodiscard]] int Category() const { return category; }
    [[nodiscard]] int SelectedItem() const { return selected; }
    [[nodiscard]] std::uint32_t Layers() const { return layers; }
    [[nodiscard]] bool MenuOpen() const { return menuOpen; }
    [[nodiscard]] int MenuLine() const { return menuLine; }
    // The identifier entry's cursor, -1 when no identifier is being entered.
    [[nodiscard]] int IdentCursor() const { return identCursor; }
    [[nodiscard]] int Leg() const { return legSelection; }
    [[nodiscard]] int Highlight() const { return highlight; }
    // The identifier of an item of a category (0 airports, 1 VORs, 2 NDBs, 3 intersections).
    [[nodiscard]] static std::string Ident(int category, int index);
    [[nodiscard]] static int ItemCount(int category);
    // The active flight plan's waypoints, 0 without an active plan.
    [[nodiscard]] static int PlanWaypoints();
    void SetPageState(int newMode, int newPage, int newCategory, int newSelected,
                      std::uint32_t newLayers);
    // The item of a category (0..3) nearest the aircraft; -1 for an empty table.
    [[nodiscard]] static int NearestItem(int category);
    // The range that frames an airport's runways; 0 without its record.
    [[nodiscard]] double AirportFrameRange(int airport);
    // The airport's record, read once and kept.
    const GpsAirport& Airport(int index);
    // The map's centre this redraw (world units), and a world position on the map (pixels).
    void UpdateCentre();
    [[nodiscard]] std::int32_t CentreX() const { return centreX; }
    [[nodiscard]] std::int32_t CentreZ() const { return centreZ; }
    void WorldToMap(double wx, double wz, int* px, int* py) const;
    // The navigation pages: the plan's leg into the "from" and "to" slots and the page.
    void UpdateFlightPlanProgress();
    [[nodiscard]] const GpsWaypointSlot& FromSlot() const { return fromSlot; }
    [[nodiscard]] const GpsWaypointSlot& ToSlot() const { return toSlot; }
    // A plan waypoint's position by kind (1 airport, 2 VOR, 3 NDB, 6 intersection) and exact
    // identifier, the first match; false for other kinds or no match.
    [[nodiscard]] static bool FindWaypoint(int kind, const std::string& ident, std::int32_t* x,
                                           std::int32_t* z);
    // The same waypoint's category (0 airports, 1 VORs, 2 NDBs, 3 intersections) and index in
    // its table, -1 when not found.
    [[nodiscard]] static int FindWaypointIndex(int kind, const std::string& ident, int* category);
    // The texts of the information box drawn last, one a line.
    [[nodiscard]] const std::vector<std::string>& BoxLines() const { return boxLines; }

private:
    void WaypointMode(int id);
    void NavigationMode(int id);
    void NearestMode(int id);
    void ToggleLayer(std::uint32_t flag, std::uint32_t* flags);
    void StepCategory(int d);
    void IdentStep(int d);
    void IdentCursorStep(int d);
    void UseCategoryList();
    void LayoutButtons();
    void PutImage(const GpsImage& img, int px, int py, int sx, int sy, int w, int h);
    int MenuText(int px, int py, const char* text, std::uint8_t colour);
    [[nodiscard]] int MenuTextWidth(const char* text) const;

    int EdgeFlags(std::int32_t lx, std::int32_t ly) const;
    // The page's box of texts at the bottom of the map (after the layers).
    void DrawInformationBox();
    // An item's details, one a line, and an airport's frequencies for the right-hand column.
    void ItemDetails(int cat, int index, std::vector<std::string>* left,
                     std::vector<std::string>* right);

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
    // The page state.
    int mode = 2;
    int pageNumber = 8;
    int category = 0;
    int selected = -1;
    std::uint32_t layers = 0x101;
    std::int32_t centreX = 0;
    std::int32_t centreZ = 0;
    GpsWaypointSlot fromSlot;
    GpsWaypointSlot toSlot;
    std::vector<std::string> boxLines;
    double cdiDegrees = 0.0;  // the bearing to "to" against the leg's course
    std::unordered_map<int, GpsAirport> airportCache;
    std::unique_ptr<gfx::GFXFont> smallFont;
    std::unique_ptr<gfx::GFXFont> largeFont;
    std::unique_ptr<gfx::GFXFont> symbolFont;
    std::unique_ptr<gfx::GFXPalette> gpsPalette;
    std::uint32_t nextRedraw = 0;
    bool redrawNow = true;
    bool paletteKept = false;

    GpsBezel bezel;
    int bezelType = -1;
    GpsRect buttonBar;
    std::array<GpsRect, 10> buttonRects{};
    int selectedCategory = -1;
    // The navigation mode shows airports, VORs and NDBs; its intersections (hundreds within its
    // 55 miles) come on from the menu.
    std::uint32_t navLayers = 0x107;
    bool menuOpen = false;
    int menuLine = 0;
    int identCursor = -1;
    int legSelection = -1;  // the navigation menu's leg (0 none, -1 the default leg)
    int highlight = 0;
    int zoomKey = 0;
};

extern GpsDisplay theGpsDisplay;

// The weighted nearest palette entry 1..255 to a colour (3 dr^2 + 6 dg^2 + db^2, the first of
// equal ones).
[[nodiscard]] int NearestGpsColor(const std::array<GpsRgb, 256>& palette, GpsRgb c);
// Reads "r,g,b" into a colour: a missing part keeps its value, a non-number reads 0.
void ParseGpsColor(const char* text, GpsRgb* c);

}  // namespace cockpit
