// The map of the United States that the positioning, flight-plan and cross-country dialogs
// embed: a grid of parallels and meridians with labels, state borders, coasts and water,
// airports (close in, their runways), VORs, NDBs, localizer feathers, fixes, victor airways,
// obstacles, a plan's route and the aircraft, on eight fixed zoom levels. It draws everything
// into an 8-bit off-screen bitmap in palette indices (map_palette.h) that the dialog's map
// control (1818) shows, answers what lies under the cursor from hit lists it fills while
// drawing, lets the user drag the aircraft symbol, and opens the runway, en-route and approach
// pickers. One map is live at a time: a dialog calls an Init operation on opening and Shutdown
// on closing; the zoom, the view and the layer switches stay between openings.
//
// Longitudes count positive west, so the view's left longitude is the larger one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "nav/map_outline.h"
#include "nav/sms_records.h"
#include "win/gdi.h"
#include "win/window.h"

namespace nav {

// The two grid values at a point, 16-bit binary angles: a direction on the world grid is the
// magnetic direction plus both.
struct GridValues {
    std::int16_t variation = 0;  // the .mag tile
    std::int16_t north = 0;      // the .nor tile
};

// ---- Controls of every dialog that shows a map -------------------------------------------------
inline constexpr int kMapControlId = 1818;
inline constexpr int kZoomLabelId = 1819;
inline constexpr int kLatitudeReadoutId = 1857;
inline constexpr int kLongitudeReadoutId = 1858;
inline constexpr int kLatitudeLabelIds[8] = {1823, 1824, 1825, 1826, 1828, 1829, 1830, 1832};
inline constexpr int kLongitudeLabelIds[12] = {1834, 1836, 1838, 1840, 1842, 1844,
                                               1846, 1848, 1850, 1852, 1854, 1855};
// Toolbar commands.
inline constexpr int kAirportsButton = 5001;
inline constexpr int kVorsButton = 5002;
inline constexpr int kNdbsButton = 5003;
inline constexpr int kLocalizersButton = 5004;
inline constexpr int kWaypointsButton = 5005;
inline constexpr int kAirwaysButton = 5006;
inline constexpr int kObstaclesButton = 5007;
inline constexpr int kZoomInButton = 5008;
inline constexpr int kZoomOutButton = 5009;
inline constexpr int kScrollUpButton = 5010;
inline constexpr int kScrollRightButton = 5013;
inline constexpr int kAirportInfoButton = 5014;
inline constexpr int kVorInfoButton = 5015;
inline constexpr int kApproachInfoButton = 5016;
inline constexpr int kFrequenciesButton = 5019;

// ---- The zoom table ---------------------------------------------------------------------------
struct MapZoomLevel {
    const char* label;  // shown in control 1819
    double latSpan;     // the view's height in degrees of latitude
    double lonSpan;     // and its width in degrees of longitude
    int multiplier;     // grid values are whole multiples of step / multiplier degrees
    int step;
};
inline constexpr int kMapZoomLevels = 8;
extern const MapZoomLevel kMapZoomTable[kMapZoomLevels];
// Zoom 0 always shows these bounds, whatever the centre.
inline constexpr double kWholeMapTop = 55.0;
inline constexpr double kWholeMapBottom = 20.0;
inline constexpr double kWholeMapLeft = 125.0;
inline constexpr double kWholeMapRight = 65.0;

// ---- What the map draws and finds -------------------------------------------------------------
// Station kinds, as plan nodes and hit items name them.
inline constexpr int kMapItemAirport = 1;
inline constexpr int kMapItemVor = 2;
inline constexpr int kMapItemNdb = 3;
inline constexpr int kMapItemWaypoint = 6;

// The one station under the cursor: its ident, kind and world position, and its row in its
// station table (a shared ident keeps the row that was hit).
struct MapHitItem {
    std::string ident;
    int kind = 0;
    std::int32_t x = 0;
    std::int32_t z = 0;
    int row = -1;
};

// A hit-list node: a point symbol, or the box an airport or localizer covers with its label.
struct MapPointHit {
    std::string ident;
    int x = 0;
    int y = 0;
    int row = -1;
};
struct MapBoxHit {
    std::string ident;
    int right = 0;
    int bottom = 0;
    int left = 0;
    int top = 0;
    int row = -1;
};

// An airway label. A label within 4 pixels on both axes of an earlier one joins it with a '-'
// ("V23-V87"), so airways that share a segment share one label of at most 27 characters; a
// name that would not fit, or is there already, is left out.
struct MapLabel {
    int x = 0;
    int y = 0;
    std::string text;
};
inline constexpr std::size_t kMaxAirwayLabel = 27;
void AddAirwayLabel(std::vector<MapLabel>* labels, int x, int y, const std::string& name);

// A node of a flight plan as the route drawing reads it: its kind (1 airport, 2 VOR, 3 NDB,
// 6 waypoint; others are not placed) and its ident.
struct MapRouteNode {
    int kind = 0;
    std::string ident;
};

// An obstacle of a terrain tile: grid units inside the tile (the offsets WorldToGridTile
// gives). The world's airport object database answers through theMapObstacleSource; while no
// source is installed the obstacle layer draws nothing.
struct MapObstacle {
    std::int32_t x = 0;
    std::int32_t z = 0;
};
using MapObstacleSource = void (*)(int column, int row, std::vector<MapObstacle>* out);
extern MapObstacleSource theMapObstacleSource;

// The three information pickers the map's tools open, for one station row. The default runs
// the dialogs; tests put their own answers in.
enum class MapPicker { Runway, Enroute, Approach };
using MapPickerRunner = int (*)(MapPicker picker, win::HWND parent, int row);
extern MapPickerRunner theMapPickerRunner;
int RunMapPicker(MapPicker picker, win::HWND parent, int row);

// PositionResult codes.
inline constexpr std::uint16_t kPlacedOnRunway = 1;
inline constexpr std::uint16_t kPlacedEnroute = 2;
inline constexpr std::uint16_t kPlacedOnApproach = 3;
inline constexpr std::uint16_t kPlacedByDrag = 4;

class MapView {
public:
    MapView();
    ~MapView();
    MapView(const MapView&) = delete;
    MapView& operator=(const MapView&) = delete;

    // ---- Opening and closing (the opener first stores dialog, mapControl and toolbar) ----
    void InitForPositionAircraft();
    void InitForFlightPlanMap();
    void InitForCrossPlanningMap();
    void Shutdown();
    void FreeRouteBuffers();

    // ---- Outlines ----
    void LoadOutlines();     // "states.bin", then "rcoast.bin"
    void LoadWater();        // "water.bin"
    void LoadDetailCoast();  // "dcoast.bin"

    // ---- Drawing and the view ----
    void Refresh();
    void Redraw();
    int StepZoom();
    void Scroll(int direction);  // 0 up, 1 down, 2 left, 3 right
    void SetView(int level, int x, int y, int mode);
    void ShowCursorPosition(int x, int y);
    void ClearLayerButtons();
    void SyncLayerButtons();
    void EnableToolsForZoom();
    void ShowZoomLabel();
    // Cohen-Sutherland clipping to the drawable rectangle inside the margin; false when nothing
    // of the segment remains.
    bool ClipSegment(int* x1, int* y1, int* x2, int* y2) const;

    // ---- Projection ----
    [[nodiscard]] double PixelToLatitude(int y) const;
    [[nodiscard]] double PixelToLongitude(int x) const;
    [[nodiscard]] int LatitudeToPixel(double lat) const;
    [[nodiscard]] int LongitudeToPixel(double lon) const;
    [[nodiscard]] bool InsideView(double lat, double lon) const;

    // ---- Layers and the route ----
    void DrawOutlines(win::HDC dc);
    void DrawWater(win::HDC dc);
    void DrawVors(win::HDC dc);
    void DrawNdbs(win::HDC dc);
    void DrawWaypoints(win::HDC dc);
    void DrawAirports(win::HDC dc);
    void DrawLocalizers(win::HDC dc);
    void DrawAirways(win::HDC dc);
    void DrawObstacles(win::HDC dc);
    void DrawObstacleTile(win::HDC dc, int column, int row);
    void DrawSmallLabel(win::HDC dc, const std::string& text, int x, int y);
    void BuildRoute(const std::vector<MapRouteNode>& plan);
    void DrawRoute(win::HDC dc, const std::vector<MapRouteNode>& plan);

    // ---- The aircraft ----
    void ReadAircraftPosition();
    void DrawAircraft(win::HDC dc);
    [[nodiscard]] static int OctantOf(std::uint16_t heading, GridValues grid);

    // ---- Pointer work (the cursor already stored) ----
    [[nodiscard]] std::unique_ptr<MapHitItem> CollectItemsAt();
    [[nodiscard]] int FindVorAt() const;  // 0 none, 1 one, -1 two or more
    [[nodiscard]] int FindWaypointAt() const;
    [[nodiscard]] const MapPointHit* FindNdbAt() const;
    [[nodiscard]] const MapBoxHit* FindAirportAt() const;
    [[nodiscard]] const MapBoxHit* FindLocalizerAt() const;
    [[nodiscard]] bool IsNearAircraft() const;
    void BeginDrag();
    void DragTo();
    void EndDrag();
    void CancelDrag();
    void RestoreBackground();
    int ShowVorInfo();
    int ShowAirportInfo();
    int ShowApproachInfo();
    void ApplyPosition();
    void PlaceInfoDialog(win::HWND dialog);
    // The runway picker's list (map_pickers.cpp): the airport's name and one line per runway
    // end, the first selected; the number of lines. Taking the selected line puts its threshold
    // and heading in the result; 0 when no line is selected.
    int FillRunwayList(win::HWND picker, int airportRow);
    int TakeSelectedRunway(win::HWND picker);

    // ---- Grid values (variation_lookup.cpp) ----
    [[nodiscard]] GridValues LookupGridValues(std::int32_t x, std::int32_t z);

    // Puts back what the map keeps between openings (zoom, view, layer switches): a map as
    // the program starts with it (tests).
    void Reset();

    // ---- Caches ----
    // Forgets the station places and airport runways kept from the tables (after a table
    // changed under the map, as tests do).
    void ForgetStationCaches();
    // Airport records read from "flp.sms" since the map was made (each read once).
    [[nodiscard]] int AirportRecordReads() const { return airportRecordReads; }

    // ---- The record ----
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::uint32_t margin = 2;
    double topLat = kWholeMapTop;
    double bottomLat = kWholeMapBottom;
    double leftLon = kWholeMapLeft;
    double rightLon = kWholeMapRight;
    double centreLat = 37.5;
    double centreLon = 95.0;
    std::int32_t previousZoom = 0;
    std::int32_t zoom = 0;
    // The positioning dialog's own view, kept when it closes: the planning pages' maps move the
    // shared view to their routes, and the dialog opens where it was left, with the aircraft.
    struct KeptView {
        bool kept = false;
        std::int32_t zoom = 0;
        double centreLat = 37.5, centreLon = 95.0;
    };
    KeptView positionView;
    bool positioning = false;  // the positioning dialog has the map
    std::int32_t centreX = 276;
    std::int32_t centreY = 161;
    std::int32_t dragCursorX = 0;
    std::int32_t dragCursorY = 0;
    std::int32_t dragSymbolX = 0;
    std::int32_t dragSymbolY = 0;
    double aircraftLat = 0.0;
    double aircraftLon = 0.0;
    double dragStartLat = 0.0;
    double dragStartLon = 0.0;
    std::int32_t resultX = 0;
    std::int32_t resultZ = 0;
    std::int32_t resultAltitude = 0;
    std::int32_t resultHeading = 0;
    std::int32_t octant = 0;
    // What ReadAircraftPosition read: the aircraft's height, heading and grid values.
    std::int32_t aircraftAltitude = 0;
    std::uint16_t aircraftHeading = 0;
    GridValues aircraftGrid;
    GridValues newGrid;
    GridValues openGrid;
    win::HBITMAP drawingBitmap;
    win::HBITMAP backgroundBitmap;
    win::HBITMAP templateBitmap;
    bool ownsTemplate = false;  // the map made the template picture itself
    win::HPALETTE palette;
    std::vector<MapOutlinePoint> states;
    std::vector<MapOutlinePoint> coast;
    std::vector<MapOutlinePoint> water;
    std::vector<MapOutlinePoint> detailCoast;
    bool waterLoaded = false;
    std::vector<MapPointHit> vorHits;
    std::vector<MapPointHit> ndbHits;
    std::vector<MapBoxHit> airportHits;
    std::vector<MapBoxHit> localizerHits;
    std::vector<MapPointHit> waypointHits;
    // The placed route: one entry per plan node that was found.
    struct RouteNode {
        double lat = 0.0;
        double lon = 0.0;
        int kind = 0;
        std::string ident;
    };
    std::vector<RouteNode> route;
    std::vector<SmsRunwayRecord> pickerRunways;  // the runway picker's rows
    std::string highlightIdent;
    win::HWND toolbar;
    win::HWND mapControl;
    win::HWND dialog;
    win::HDC memoryDc;
    win::HFONT labelFont;
    win::HFONT smallFont;
    std::int32_t cursorX = 0;
    std::int32_t cursorY = 0;
    std::int32_t symbolX = 0;
    std::int32_t symbolY = 0;
    bool symbolShown = false;  // the symbol is on the picture now
    std::uint32_t dragging = 0;
    std::uint32_t zoomInTool = 0;
    std::uint32_t zoomOutTool = 0;
    std::uint32_t showAirports = 0;
    std::uint32_t showVors = 0;
    std::uint32_t showNdbs = 0;
    std::uint32_t showLocalizers = 0;
    std::uint32_t showAirways = 0;
    std::uint32_t showWaypoints = 0;
    std::uint32_t showObstacles = 0;
    std::uint32_t showAircraft = 0;
    std::uint32_t showFrequencies = 0;
    std::uint32_t vorInfoTool = 0;
    std::uint32_t airportInfoTool = 0;
    std::uint32_t approachInfoTool = 0;
    std::uint32_t keepView = 0;
    std::uint32_t keepViewToo = 0;
    std::uint16_t positionResult = 0;
    std::uint32_t highlightSet = 0;
    std::uint32_t runwayResult = 0;
    std::uint32_t enrouteResult = 0;
    std::uint32_t approachResult = 0;

private:
    // The polylines of an outline array (the runs between its pen-ups) with their bounds, so a
    // redraw walks only those that reach the view. `closed`: a pen-up ends the run.
    struct OutlineSpan {
        std::uint32_t begin = 0;
        std::uint32_t end = 0;
        float latMin = 0, latMax = 0, lonMin = 0, lonMax = 0;
        bool closed = false;
        bool empty = true;
    };
    struct OutlineIndex {
        const MapOutlinePoint* key = nullptr;
        std::size_t size = 0;
        std::vector<OutlineSpan> spans;
    };
    const std::vector<OutlineSpan>& SpansOf(const std::vector<MapOutlinePoint>& points);
    // The view widened by a few pixels, since truncation brings points just outside it onto
    // the edge pixels; longitudes count west, so its left is the larger.
    struct ViewWindow {
        double bottom, top, right, left;
    };
    [[nodiscard]] ViewWindow WidenedView() const;
    [[nodiscard]] static bool SpanReachesView(const OutlineSpan& span, const ViewWindow& view);
    std::vector<OutlineIndex> outlineIndex;
    struct StationPlaces;
    struct AirportRunways;
    // The drawing surface: the two copies of the template picture, the memory DC, the fonts
    // and the palette. `selectPalette` is false for the cross-country page.
    void MakeSurface(bool selectPalette);
    void TakeAircraftForPositioning();
    // The planning pages' size, all four outlines, no zoom tool, no aircraft.
    void OpenPlanningMap();
    void DrawSegments(win::HDC dc, const std::vector<MapOutlinePoint>& points);
    void DrawGrid(win::HDC dc);
    void PlaceGridLabel(int id, int x, int y, int w, int h, const char* text);
    void CopyBitmap(win::HBITMAP from, win::HBITMAP to);
    void InvalidateMap();
    // Projects a world position; false when it lies outside the view.
    bool ProjectStation(double lat, double lon, int* x, int* y) const;
    int PlaceFromPicker(MapPicker picker, const std::string& ident, std::uint32_t* result);
    // The picker for every row of the ident under the cursor (none: nothing happens), then the
    // tool's button and flag and the highlight are reset; 1 when a picker placed the aircraft.
    int RunInfoTool(MapPicker picker, const std::string* ident, std::uint32_t* result, int button,
                    std::uint32_t* tool);
    StationPlaces& Places();
    const AirportRunways& RunwaysOf(int airportRow);
    std::unique_ptr<StationPlaces> places;
    std::vector<std::unique_ptr<AirportRunways>> runways;
    int airportRecordReads = 0;
};

extern MapView theMapView;

}  // namespace nav
