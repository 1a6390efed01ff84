#include "nav/map_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/numeric.h"
#include "flight/flight_model_state.h"
#include "nav/lat_lon.h"
#include "nav/map_palette.h"
#include "nav/map_pictures.h"
#include "nav/nav_database.h"
#include "nav/nav_host.h"
#include "ui/dialog.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/gdi_shapes.h"
#include "win/input.h"
#include "win/resource.h"

namespace nav {

MapView theMapView;

const MapZoomLevel kMapZoomTable[kMapZoomLevels] = {
    {"4800 nm", 35.0, 60.0, 1, 5},   {"2000 nm", 14.583, 25.0, 1, 5},
    {"1000 nm", 7.583, 13.0, 1, 2},  {"500 nm", 3.5, 6.0, 1, 1},
    {"160 nm", 1.167, 2.0, 10, 5},   {"40 nm", 0.292, 0.5, 10, 1},
    {"16 nm", 0.1167, 0.2, 100, 5},  {"4 nm", 0.02918, 0.05, 100, 1}};

MapObstacleSource theMapObstacleSource = nullptr;
MapPickerRunner theMapPickerRunner = RunMapPicker;

namespace {

constexpr char kDegree[] = "\xB0";

const MapZoomLevel& Row(int zoom) {
    return kMapZoomTable[std::clamp(zoom, 0, kMapZoomLevels - 1)];
}

win::COLORREF MapViewIndex(int i) {
    return win::PALETTEINDEX(static_cast<std::uint16_t>(i));
}

win::HINSTANCE MapViewResourceLibrary() {
    return ui::theDialogHost.resourceLibrary ? ui::theDialogHost.resourceLibrary()
                                             : win::HINSTANCE{};
}

// The aircraft symbol: three strokes per octant, each from its first point toward its second
// (offsets from the symbol's pixel, y downwards).
constexpr int kStrokes[8][3][4] = {
    {{-4, -1, 5, -1}, {-2, 3, 3, 3}, {0, -4, 0, 5}},
    {{-2, -4, 5, 3}, {-4, 2, -1, 5}, {-3, 3, 4, -4}},
    {{-4, 0, 5, 0}, {-3, -2, -3, 3}, {1, -4, 1, 5}},
    {{-3, -3, 4, 4}, {-4, -2, -1, -5}, {-2, 4, 5, -3}},
    {{-4, 1, 5, 1}, {-2, -3, 3, -3}, {0, -4, 0, 5}},
    {{-4, -2, 3, 5}, {2, -4, 5, -1}, {-3, 3, 4, -4}},
    {{-4, 0, 5, 0}, {-1, -4, -1, 5}, {3, -2, 3, 3}},
    {{-4, 2, 3, -5}, {2, 4, 5, 1}, {-3, -3, 4, 4}},
};

void DrawStrokes(win::HDC dc, int x, int y, int octant) {
    const auto& s = kStrokes[octant & 7];
    const struct {
        int width;
        int colour;
    } passes[2] = {{3, kMapBlack}, {1, kMapAircraftInside}};
    for (const auto& pass : passes) {
        const win::HPEN pen = win::CreatePen(win::PS_SOLID, pass.width, MapViewIndex(pass.colour));
        const win::HPEN old = win::SelectObject(dc, pen);
        for (const auto& stroke : s) {
            win::MoveToEx(dc, x + stroke[0], y + stroke[1], nullptr);
            win::LineTo(dc, x + stroke[2], y + stroke[3]);
        }
        win::SelectObject(dc, old);
        win::DeleteObject(pen);
    }
}

std::string GridLabel(int zoom, double value) {
    char text[48];
    const int degrees = static_cast<int>(value);
    if (zoom <= 3) {
        std::snprintf(text, sizeof text, "%d%s", degrees, kDegree);
    } else if (zoom == 4) {
        // The tenths say whether this is a half degree.
        const int tenths = static_cast<int>(std::lround(value * 10.0)) % 10;
        std::snprintf(text, sizeof text, tenths != 0 ? "%d%s 30'" : "%d%s 0'", degrees, kDegree);
    } else if (zoom <= 6) {
        std::snprintf(text, sizeof text, "%d%s %d'", degrees, kDegree,
                      static_cast<int>((value - degrees) * 60.01));
    } else {
        std::snprintf(text, sizeof text, "%d%s %.1f'", degrees, kDegree, (value - degrees) * 60.0);
    }
    return text;
}

std::string Readout(int zoom, double value, char hemisphere) {
    char text[64];
    const int degrees = static_cast<int>(value);
    const int minutes = static_cast<int>((value - degrees) * 60.0);
    // Seconds in floating point: minutes / 60 in integers would drop the minutes.
    const double seconds = (value - minutes / 60.0 - degrees) * 3600.0;
    if (zoom <= 2)
        std::snprintf(text, sizeof text, "%d%s %d' %c", degrees, kDegree, minutes, hemisphere);
    else if (zoom <= 4)
        std::snprintf(text, sizeof text, "%d%s %d' %d\" %c", degrees, kDegree, minutes,
                      static_cast<int>(seconds), hemisphere);
    else
        std::snprintf(text, sizeof text, "%d%s %d' %.2f\" %c", degrees, kDegree, minutes, seconds,
                      hemisphere);
    return text;
}

void CheckButton(win::HWND toolbar, int id, bool on) {
    win::SendMessage(toolbar, win::TB_CHECKBUTTON, static_cast<win::WParam>(id), on ? 1 : 0);
}
void EnableButton(win::HWND toolbar, int id, bool on) {
    win::SendMessage(toolbar, win::TB_ENABLEBUTTON, static_cast<win::WParam>(id), on ? 1 : 0);
}

}  // namespace

// ---- Outlines ----------------------------------------------------------------------------------

void MapView::LoadOutlines() {
    outlineIndex.clear();
    ReadMapOutline("states.bin", &states);
    ReadMapOutline("rcoast.bin", &coast);
}

void MapView::LoadWater() {
    outlineIndex.clear();
    ReadMapOutline("water.bin", &water);
    waterLoaded = true;
}

void MapView::LoadDetailCoast() {
    outlineIndex.clear();
    ReadMapOutline("dcoast.bin", &detailCoast);
}

// ---- Opening and closing ----------------------------------------------------------------------

void MapView::MakeSurface(bool selectPalette) {
    // The picture the template put into the map control stays its own; the map draws into a
    // copy and shows that, and puts the template's back when it closes.
    templateBitmap = win::HBITMAP{static_cast<std::uint32_t>(
        win::SendMessage(mapControl, win::STM_GETIMAGE, win::IMAGE_BITMAP, 0))};
    if (!templateBitmap && mapControl) {
        // The template names its picture in the control's text.
        const std::string name = win::GetWindowText(mapControl);
        if (!name.empty()) templateBitmap = win::LoadBitmap(MapViewResourceLibrary(), name);
        ownsTemplate = static_cast<bool>(templateBitmap);
    }
    if (!templateBitmap) {
        templateBitmap = MakeMapBackgroundBitmap(width, height);
        ownsTemplate = static_cast<bool>(templateBitmap);
    }
    const std::array<std::uint32_t, 256>& colours = MapPaletteColours();
    drawingBitmap = MakeMapBitmap(width, height, colours, nullptr);
    backgroundBitmap = MakeMapBitmap(width, height, colours, nullptr);
    memoryDc = win::CreateCompatibleDC(win::HDC{});
    if (selectPalette) {
        win::LOGPALETTE lp;
        lp.palPalEntry.resize(256);
        for (int i = 0; i < 256; ++i) {
            const std::uint32_t c = colours[static_cast<std::size_t>(i)];
            lp.palPalEntry[static_cast<std::size_t>(i)] =
                win::PALETTEENTRY{static_cast<std::uint8_t>(c >> 16),
                                  static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c),
                                  0};
        }
        palette = win::CreatePalette(&lp);
        win::SelectPalette(memoryDc, palette, false);
        win::RealizePalette(memoryDc);
    }
    labelFont = win::CreateFont(12, 6, 0, 0, 100, 0, 0, 0, win::DEFAULT_CHARSET, 0, 0, 0,
                                win::FF_SWISS, "Sans Serif");
    smallFont = win::CreateFont(8, 4, 0, 0, 100, 0, 0, 0, win::DEFAULT_CHARSET, 0, 0, 0,
                                win::FF_SWISS, "V Sans Serif");
    win::SendMessage(mapControl, win::STM_SETIMAGE, win::IMAGE_BITMAP,
                     static_cast<win::LParam>(drawingBitmap.id));
}

void MapView::TakeAircraftForPositioning() {
    ReadAircraftPosition();
    openGrid = aircraftGrid;
    resultAltitude = flight::theFlightModelState.fmPosY;
    resultHeading = flight::theFlightModelState.fmHead;
}

void MapView::InitForPositionAircraft() {
    width = 556;
    height = 326;
    margin = 2;
    LoadOutlines();
    LoadDetailCoast();
    TakeAircraftForPositioning();
    positioning = true;
    if (positionView.kept) {
        previousZoom = zoom;
        zoom = positionView.zoom;
        centreLat = positionView.centreLat;
        centreLon = positionView.centreLon;
    }
    // Zoomed in, the view is moved to the aircraft when it lies outside.
    if (zoom > 0) {
        SetView(zoom, 0, 0, 0);
        if (!InsideView(aircraftLat, aircraftLon)) {
            centreLat = aircraftLat;
            centreLon = aircraftLon;
            SetView(zoom, 0, 0, 0);
        }
    }
    zoomInTool = zoomOutTool = 0;
    vorInfoTool = airportInfoTool = approachInfoTool = 0;
    runwayResult = enrouteResult = approachResult = 0;
    positionResult = 0;
    showAircraft = 1;
    MakeSurface(true);
    SyncLayerButtons();
    EnableToolsForZoom();
    ShowZoomLabel();
    dragging = 0;
    Redraw();
}

void MapView::OpenPlanningMap() {
    width = 481;
    height = 280;
    margin = 2;
    LoadOutlines();
    LoadWater();
    LoadDetailCoast();
    zoomInTool = zoomOutTool = 0;
    showAircraft = 0;
}

void MapView::InitForFlightPlanMap() {
    OpenPlanningMap();
    keepView = keepViewToo = 0;
    showAirports = 1;
    showVors = showNdbs = showLocalizers = showAirways = showWaypoints = 0;
    MakeSurface(true);
    EnableToolsForZoom();
    ShowZoomLabel();
    Redraw();
}

void MapView::InitForCrossPlanningMap() {
    OpenPlanningMap();
    vorInfoTool = airportInfoTool = approachInfoTool = 0;
    FreeRouteBuffers();
    MakeSurface(false);
    SyncLayerButtons();
    EnableToolsForZoom();
}

void MapView::Shutdown() {
    if (positioning) positionView = KeptView{true, zoom, centreLat, centreLon};
    positioning = false;
    if (mapControl)
        win::SendMessage(mapControl, win::STM_SETIMAGE, win::IMAGE_BITMAP,
                         static_cast<win::LParam>(ownsTemplate ? 0 : templateBitmap.id));
    vorHits.clear();
    ndbHits.clear();
    airportHits.clear();
    localizerHits.clear();
    waypointHits.clear();
    if (memoryDc) win::DeleteDC(memoryDc);
    memoryDc = win::HDC{};
    states = {};
    coast = {};
    water = {};
    detailCoast = {};
    outlineIndex.clear();
    waterLoaded = false;
    for (win::HFONT* f : {&labelFont, &smallFont}) {
        if (*f) win::DeleteObject(*f);
        *f = win::HFONT{};
    }
    for (win::HBITMAP* b : {&drawingBitmap, &backgroundBitmap}) {
        if (*b) win::DeleteObject(*b);
        *b = win::HBITMAP{};
    }
    if (ownsTemplate && templateBitmap) win::DeleteObject(templateBitmap);
    templateBitmap = win::HBITMAP{};
    ownsTemplate = false;
    if (palette) win::DeleteObject(palette);
    palette = win::HPALETTE{};
    symbolShown = false;
    dragging = 0;
}

void MapView::Reset() {
    Shutdown();
    toolbar = mapControl = dialog = win::HWND{};
    width = height = 0;
    margin = 2;
    topLat = kWholeMapTop;
    bottomLat = kWholeMapBottom;
    leftLon = kWholeMapLeft;
    rightLon = kWholeMapRight;
    centreLat = 37.5;
    centreLon = 95.0;
    previousZoom = zoom = 0;
    positionView = KeptView{};
    for (std::uint32_t* flag :
         {&zoomInTool, &zoomOutTool, &showAirports, &showVors, &showNdbs, &showLocalizers,
          &showAirways, &showWaypoints, &showObstacles, &showAircraft, &showFrequencies,
          &vorInfoTool, &airportInfoTool, &approachInfoTool, &keepView, &keepViewToo,
          &highlightSet, &runwayResult, &enrouteResult, &approachResult})
        *flag = 0;
    positionResult = 0;
    highlightIdent.clear();
    route.clear();
    pickerRunways.clear();
    cursorX = cursorY = symbolX = symbolY = 0;
    resultX = resultZ = resultAltitude = resultHeading = 0;
    ForgetStationCaches();
    airportRecordReads = 0;
}

void MapView::FreeRouteBuffers() {
    route = {};
}

// ---- Projection --------------------------------------------------------------------------------

double MapView::PixelToLatitude(int y) const {
    return topLat - y * Row(zoom).latSpan / (height - 2.0 * margin);
}

double MapView::PixelToLongitude(int x) const {
    return leftLon - x * Row(zoom).lonSpan / (width - 2.0 * margin);
}

int MapView::LatitudeToPixel(double lat) const {
    return core::SaturateToInt32((height - 2.0 * margin) / (bottomLat - topLat) * (lat - topLat));
}

int MapView::LongitudeToPixel(double lon) const {
    return core::SaturateToInt32((width - 2.0 * margin) / (rightLon - leftLon) * (lon - leftLon));
}

bool MapView::InsideView(double lat, double lon) const {
    return lat < topLat && lat > bottomLat && lon < leftLon && lon > rightLon;
}

bool MapView::ProjectStation(double lat, double lon, int* x, int* y) const {
    if (!InsideView(lat, lon)) return false;
    *x = LongitudeToPixel(lon);
    *y = LatitudeToPixel(lat);
    return true;
}

bool MapView::ClipSegment(int* x1, int* y1, int* x2, int* y2) const {
    const double xmin = margin, xmax = width - static_cast<double>(margin) - 1.0;
    const double ymin = margin, ymax = height - static_cast<double>(margin) - 1.0;
    auto code = [&](double x, double y) {
        int c = 0;
        if (y > ymax)
            c |= 1;
        else if (y < ymin)
            c |= 2;
        if (x > xmax)
            c |= 4;
        else if (x < xmin)
            c |= 8;
        return c;
    };
    double ax = *x1, ay = *y1, bx = *x2, by = *y2;
    // Each pass moves one end onto an edge; four edges bound the passes, and a few more allow
    // for the truncation nudging a point just past the edge it was moved to.
    for (int pass = 0; pass < 8; ++pass) {
        const int ca = code(ax, ay), cb = code(bx, by);
        if ((ca | cb) == 0) {
            *x1 = static_cast<int>(ax);
            *y1 = static_cast<int>(ay);
            *x2 = static_cast<int>(bx);
            *y2 = static_cast<int>(by);
            return true;
        }
        if ((ca & cb) != 0) return false;
        const bool first = ca != 0;
        const int c = first ? ca : cb;
        // The end outside an edge and the other end are on opposite sides of it (they share no
        // outside bit), so the run across that edge is never zero: a vertical segment meets the
        // top and bottom edges, a horizontal one the sides, without a division by zero.
        const double dx = bx - ax, dy = by - ay;
        double x, y;
        if (c & 1) {
            y = ymax;
            x = ax + (ymax - ay) * dx / dy;
        } else if (c & 2) {
            y = ymin;
            x = ax + (ymin - ay) * dx / dy;
        } else if (c & 4) {
            x = xmax;
            y = ay + (xmax - ax) * dy / dx;
        } else {
            x = xmin;
            y = ay + (xmin - ax) * dy / dx;
        }
        x = std::trunc(x);
        y = std::trunc(y);
        if (first) {
            ax = x;
            ay = y;
        } else {
            bx = x;
            by = y;
        }
    }
    return false;
}

// ---- The view ------------------------------------------------------------------------------------

void MapView::SetView(int level, int x, int y, int mode) {
    if (level <= 0) return;
    const MapZoomLevel& to = Row(level);
    if (mode != 0) {
        // The pixel counts in the view the click was made in.
        const MapZoomLevel& from = Row(previousZoom);
        const double lat = topLat - y * from.latSpan / (height - 2.0 * margin);
        const double lon = leftLon - x * from.lonSpan / (width - 2.0 * margin);
        if (mode == 3 || mode == 2) centreLat = lat;
        if (mode == 3 || mode == 1) centreLon = lon;
    }
    centreLat = std::clamp(centreLat, 25.0, 50.0);
    centreLon = std::clamp(centreLon, 67.0, 125.0);
    if (std::isnan(centreLat)) centreLat = 37.5;
    if (std::isnan(centreLon)) centreLon = 96.0;
    if (mode == 0 || mode == 3 || mode == 2) {
        topLat = centreLat + to.latSpan / 2.0;
        bottomLat = centreLat - to.latSpan / 2.0;
    }
    if (mode == 0 || mode == 3 || mode == 1) {
        leftLon = centreLon + to.lonSpan / 2.0;
        rightLon = centreLon - to.lonSpan / 2.0;
    }
}

int MapView::StepZoom() {
    if (!zoomInTool && !zoomOutTool) return 0;
    const int next = zoomInTool ? zoom + 1 : zoom - 1;
    if (next < 0 || next >= kMapZoomLevels) return 1;
    previousZoom = zoom;
    zoom = next;
    ShowZoomLabel();
    EnableToolsForZoom();
    SetView(zoom, cursorX, cursorY, 3);
    Redraw();
    return 1;
}

void MapView::Scroll(int direction) {
    static constexpr int kDx[4] = {0, 0, -80, 80};
    static constexpr int kDy[4] = {-80, 80, 0, 0};
    if (direction < 0 || direction > 3) return;
    // The move counts in the view as it is now.
    previousZoom = zoom;
    SetView(zoom, centreX + kDx[direction], centreY + kDy[direction], direction < 2 ? 2 : 1);
    Redraw();
}

void MapView::ShowZoomLabel() {
    if (dialog) win::SetDlgItemText(dialog, kZoomLabelId, Row(zoom).label);
}

void MapView::ShowCursorPosition(int x, int y) {
    if (!dialog) return;
    win::SetDlgItemText(dialog, kLatitudeReadoutId, Readout(zoom, PixelToLatitude(y), 'N'));
    win::SetDlgItemText(dialog, kLongitudeReadoutId, Readout(zoom, PixelToLongitude(x), 'W'));
}

void MapView::ClearLayerButtons() {
    for (int id = kAirportsButton; id <= kObstaclesButton; ++id)
        CheckButton(toolbar, id, false);
}

void MapView::SyncLayerButtons() {
    const struct {
        int id;
        std::uint32_t on;
    } layers[] = {{kAirportsButton, showAirports},     {kVorsButton, showVors},
                  {kNdbsButton, showNdbs},             {kLocalizersButton, showLocalizers},
                  {kAirwaysButton, showAirways},       {kWaypointsButton, showWaypoints},
                  {kObstaclesButton, showObstacles},   {kFrequenciesButton, showFrequencies}};
    for (const auto& l : layers)
        if (l.on) CheckButton(toolbar, l.id, true);
}

void MapView::EnableToolsForZoom() {
    struct Change {
        int id;
        bool on;
    };
    std::vector<Change> changes;
    switch (zoom) {
        case 0:
            changes = {{kZoomInButton, true},        {kZoomOutButton, false},
                       {kVorInfoButton, false},      {kAirportInfoButton, false},
                       {kObstaclesButton, false},    {kLocalizersButton, false},
                       {kApproachInfoButton, false}};
            break;
        case 1:
        case 2:
        case 6:
            changes = {{kZoomInButton, true}, {kZoomOutButton, true}};
            break;
        case 3:
            changes = {{kZoomInButton, true},
                       {kZoomOutButton, true},
                       {kVorInfoButton, false},
                       {kAirportInfoButton, false}};
            break;
        case 4:
            changes = {{kVorInfoButton, true},     {kAirportInfoButton, true},
                       {kZoomInButton, true},      {kZoomOutButton, true},
                       {kObstaclesButton, false},  {kLocalizersButton, false},
                       {kApproachInfoButton, false}};
            break;
        case 5:
            changes = {{kObstaclesButton, true},    {kLocalizersButton, true},
                       {kApproachInfoButton, true}, {kZoomInButton, true},
                       {kZoomOutButton, true}};
            break;
        case 7:
            changes = {{kZoomOutButton, true}, {kZoomInButton, false}};
            break;
        default:
            break;
    }
    for (const Change& c : changes)
        EnableButton(toolbar, c.id, c.on);
}

void MapView::Refresh() {
    SyncLayerButtons();
    EnableToolsForZoom();
    Redraw();
}

void MapView::InvalidateMap() {
    if (mapControl) win::InvalidateRect(mapControl, nullptr, false);
}

void MapView::CopyBitmap(win::HBITMAP from, win::HBITMAP to) {
    if (!from || !to) return;
    const win::HDC src = win::CreateCompatibleDC(win::HDC{});
    const win::HDC dst = win::CreateCompatibleDC(win::HDC{});
    const win::HBITMAP oldSrc = win::SelectObject(src, from);
    const win::HBITMAP oldDst = win::SelectObject(dst, to);
    win::BitBlt(dst, 0, 0, width, height, src, 0, 0, win::SRCCOPY);
    win::SelectObject(src, oldSrc);
    win::SelectObject(dst, oldDst);
    win::DeleteDC(src);
    win::DeleteDC(dst);
}

void MapView::PlaceGridLabel(int id, int x, int y, int w, int h, const char* text) {
    const win::HWND label = win::GetDlgItem(dialog, id);
    if (!label) return;
    win::SetWindowPos(label, win::HWND{}, x, y, w, h,
                      win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    win::SetWindowText(label, text);
    win::ShowWindow(label, win::SW_SHOW);
}

void MapView::DrawGrid(win::HDC dc) {
    const MapZoomLevel& z = Row(zoom);
    const int m = z.multiplier, s = z.step;
    // Where the labels go: beside and below the map control, in the dialog's coordinates.
    win::RECT control{0, 0, width, height};
    if (dialog && mapControl) {
        win::GetWindowRect(mapControl, &control);
        win::POINT tl{control.left, control.top}, br{control.right, control.bottom};
        win::ScreenToClient(dialog, &tl);
        win::ScreenToClient(dialog, &br);
        control = win::RECT{tl.x, tl.y, br.x, br.y};
    }
    const win::HPEN pen = win::CreatePen(win::PS_SOLID, 1, MapViewIndex(kMapGridColour));
    const win::HPEN oldPen = win::SelectObject(dc, pen);
    const int lo = static_cast<int>(margin);
    std::size_t latLabels = 0, lonLabels = 0;
    // Parallels, north to south.
    const int latFirst = core::SaturateToInt32(m * topLat);
    const int latLast = core::SaturateToInt32(m * bottomLat);
    for (int i = latFirst; i >= latLast && latFirst - i <= 10000; --i) {
        if (i % s != 0) continue;
        const double value = static_cast<double>(i) / m;
        const int y = LatitudeToPixel(value);
        if (y < lo || y >= height - lo) continue;
        win::MoveToEx(dc, lo, y, nullptr);
        win::LineTo(dc, width - lo, y);
        if (dialog && latLabels < std::size(kLatitudeLabelIds))
            PlaceGridLabel(kLatitudeLabelIds[latLabels++], control.left - 45,
                           control.top + y - 6, 45, 15, GridLabel(zoom, value).c_str());
    }
    // Meridians, west to east.
    const int lonFirst = core::SaturateToInt32(m * leftLon);
    const int lonLast = core::SaturateToInt32(m * rightLon);
    for (int i = lonFirst; i >= lonLast && lonFirst - i <= 10000; --i) {
        if (i % s != 0) continue;
        const double value = static_cast<double>(i) / m;
        const int x = LongitudeToPixel(value);
        if (x < lo || x >= width - lo) continue;
        win::MoveToEx(dc, x, lo, nullptr);
        win::LineTo(dc, x, height - lo);
        if (dialog && lonLabels < std::size(kLongitudeLabelIds)) {
            const bool wide = std::abs(value) >= 100.0;
            const int shift = zoom >= 4 ? (wide ? 13 : 9) : (wide ? 9 : 6);
            PlaceGridLabel(kLongitudeLabelIds[lonLabels++], control.left + x - shift,
                           control.bottom + 10, 55, 15, GridLabel(zoom, value).c_str());
        }
    }
    win::SelectObject(dc, oldPen);
    win::DeleteObject(pen);
    if (!dialog) return;
    for (std::size_t k = latLabels; k < std::size(kLatitudeLabelIds); ++k)
        win::ShowWindow(win::GetDlgItem(dialog, kLatitudeLabelIds[k]), win::SW_HIDE);
    for (std::size_t k = lonLabels; k < std::size(kLongitudeLabelIds); ++k)
        win::ShowWindow(win::GetDlgItem(dialog, kLongitudeLabelIds[k]), win::SW_HIDE);
}

const std::vector<MapView::OutlineSpan>& MapView::SpansOf(const std::vector<MapOutlinePoint>& points) {
    for (OutlineIndex& index : outlineIndex)
        if (index.key == points.data() && index.size == points.size()) return index.spans;
    // A handful of arrays is ever drawn: the four outlines of the open map.
    if (outlineIndex.size() >= 8) outlineIndex.erase(outlineIndex.begin());
    OutlineIndex index;
    index.key = points.data();
    index.size = points.size();
    OutlineSpan span;
    for (std::size_t i = 0; i <= points.size(); ++i) {
        const bool marker = i == points.size() || IsPenUp(points[i]);
        if (marker) {
            span.end = static_cast<std::uint32_t>(i);
            span.closed = i < points.size();
            if (span.end > span.begin) index.spans.push_back(span);
            span = OutlineSpan{};
            span.begin = static_cast<std::uint32_t>(i + 1);
            continue;
        }
        const MapOutlinePoint& p = points[i];
        if (std::isnan(p.lat) || std::isnan(p.lon)) continue;
        if (span.empty) {
            span.latMin = span.latMax = p.lat;
            span.lonMin = span.lonMax = p.lon;
            span.empty = false;
        }
        span.latMin = std::min(span.latMin, p.lat);
        span.latMax = std::max(span.latMax, p.lat);
        span.lonMin = std::min(span.lonMin, p.lon);
        span.lonMax = std::max(span.lonMax, p.lon);
    }
    outlineIndex.push_back(std::move(index));
    return outlineIndex.back().spans;
}

MapView::ViewWindow MapView::WidenedView() const {
    const double padLat = 4.0 * Row(zoom).latSpan / (height - 2.0 * margin);
    const double padLon = 4.0 * Row(zoom).lonSpan / (width - 2.0 * margin);
    return ViewWindow{bottomLat - padLat, topLat + padLat, rightLon - padLon, leftLon + padLon};
}

bool MapView::SpanReachesView(const OutlineSpan& span, const ViewWindow& view) {
    // A segment lies inside its polyline's bounds, so a polyline whose bounds miss the view
    // has nothing to draw.
    return !span.empty && span.latMax >= view.bottom && span.latMin <= view.top &&
           span.lonMax >= view.right && span.lonMin <= view.left;
}

void MapView::DrawSegments(win::HDC dc, const std::vector<MapOutlinePoint>& points) {
    const ViewWindow view = WidenedView();
    for (const OutlineSpan& span : SpansOf(points)) {
        if (!SpanReachesView(span, view)) continue;
        int px = 0, py = 0;
        for (std::uint32_t i = span.begin; i < span.end; ++i) {
            const MapOutlinePoint& p = points[i];
            const int x = LongitudeToPixel(p.lon), y = LatitudeToPixel(p.lat);
            if (i > span.begin) {
                int x1 = px, y1 = py, x2 = x, y2 = y;
                if (ClipSegment(&x1, &y1, &x2, &y2)) {
                    win::MoveToEx(dc, x1, y1, nullptr);
                    win::LineTo(dc, x2, y2);
                }
            }
            px = x;
            py = y;
        }
    }
}

void MapView::DrawOutlines(win::HDC dc) {
    const win::HPEN statePen = win::CreatePen(win::PS_SOLID, 1, MapViewIndex(kMapStateColour));
    const win::HPEN old = win::SelectObject(dc, statePen);
    DrawSegments(dc, states);
    const win::HPEN waterPen = win::CreatePen(win::PS_SOLID, 1, MapViewIndex(kMapWaterColour));
    win::SelectObject(dc, waterPen);
    if (zoom < 4) DrawSegments(dc, coast);
    win::SelectObject(dc, old);
    win::DeleteObject(statePen);
    win::DeleteObject(waterPen);
    if (zoom >= 4) DrawWater(dc);
}

void MapView::DrawWater(win::HDC dc) {
    if (!waterLoaded) {
        theNavHost.setCursor(win::IDC_WAIT);
        LoadWater();
        theNavHost.setCursor(win::IDC_ARROW);
    }
    const win::HPEN pen = win::CreatePen(win::PS_SOLID, 1, MapViewIndex(kMapWaterColour));
    const win::HPEN old = win::SelectObject(dc, pen);
    // A ring is complete when its closing marker comes; it is drawn when any of its points lies
    // inside the view, as a closed line through its points: each side from its point to the
    // next, the last back to the first. A side with both ends beyond the same edge of the
    // picture puts no pixel in it and is passed over (a ring near the view may run for
    // thousands of points outside it). The pen's place is left as it was.
    win::POINT saved;
    win::MoveToEx(dc, 0, 0, &saved);
    const ViewWindow view = WidenedView();
    for (const OutlineSpan& span : SpansOf(water)) {
        // Points after the last marker close no ring.
        if (!span.closed || !SpanReachesView(span, view)) continue;
        const std::size_t first = span.begin, end = span.end;
        bool visible = false;
        for (std::size_t k = first; k < end && !visible; ++k)
            visible = InsideView(water[k].lat, water[k].lon);
        if (!visible) continue;
        auto pixel = [&](std::size_t k) {
            return win::POINT{LongitudeToPixel(water[k].lon), LatitudeToPixel(water[k].lat)};
        };
        win::POINT from = pixel(first);
        for (std::size_t k = first; k < end; ++k) {
            const win::POINT to = k + 1 < end ? pixel(k + 1) : pixel(first);
            const bool outside = (from.x < 0 && to.x < 0) || (from.y < 0 && to.y < 0) ||
                                 (from.x >= width && to.x >= width) ||
                                 (from.y >= height && to.y >= height);
            if (!outside) {
                win::MoveToEx(dc, from.x, from.y, nullptr);
                win::LineTo(dc, to.x, to.y);
            }
            from = to;
        }
    }
    win::MoveToEx(dc, saved.x, saved.y, nullptr);
    DrawSegments(dc, detailCoast);
    win::SelectObject(dc, old);
    win::DeleteObject(pen);
}

void MapView::Redraw() {
    if (!memoryDc || !drawingBitmap) return;
    const win::HBITMAP old = win::SelectObject(memoryDc, drawingBitmap);
    const win::RECT all{0, 0, width, height};
    const win::HBRUSH white = win::CreateSolidBrush(MapViewIndex(kMapHighlight));
    win::FillRect(memoryDc, &all, white);
    win::DeleteObject(white);
    if (templateBitmap) {
        const win::HDC src = win::CreateCompatibleDC(win::HDC{});
        const win::HBITMAP oldSrc = win::SelectObject(src, templateBitmap);
        win::BitBlt(memoryDc, 0, 0, width, height, src, 0, 0, win::SRCCOPY);
        win::SelectObject(src, oldSrc);
        win::DeleteDC(src);
    }
    win::SetBkMode(memoryDc, win::TRANSPARENT);
    const win::HFONT oldFont = win::SelectObject(memoryDc, labelFont);
    const std::uint32_t oldAlign = win::GetTextAlign(memoryDc);
    if (zoom == 0) {
        topLat = kWholeMapTop;
        bottomLat = kWholeMapBottom;
        leftLon = kWholeMapLeft;
        rightLon = kWholeMapRight;
    }
    symbolShown = false;
    if (zoom >= 0 && zoom < kMapZoomLevels) {
        DrawGrid(memoryDc);
        DrawOutlines(memoryDc);
        vorHits.clear();
        ndbHits.clear();
        airportHits.clear();
        localizerHits.clear();
        waypointHits.clear();
        if (zoom >= 5 && showObstacles) DrawObstacles(memoryDc);
        if (showAirways) DrawAirways(memoryDc);
        if (showWaypoints) DrawWaypoints(memoryDc);
        if (showNdbs) DrawNdbs(memoryDc);
        if (showVors) DrawVors(memoryDc);
        if (showAirports) DrawAirports(memoryDc);
        if (zoom >= 5 && showLocalizers) DrawLocalizers(memoryDc);
        if (showAircraft) DrawAircraft(memoryDc);
    }
    win::SetTextAlign(memoryDc, oldAlign);
    win::SelectObject(memoryDc, oldFont);
    win::SelectObject(memoryDc, old);
    InvalidateMap();
}

// ---- The aircraft ----------------------------------------------------------------------------

int MapView::OctantOf(std::uint16_t heading, GridValues grid) {
    // The difference wraps as a 16-bit angle first, so a heading just west of north stays a
    // north-west heading instead of falling through to north.
    const auto diff = static_cast<std::uint16_t>(heading - grid.north - grid.variation);
    const int d = diff * 360 / 65536;
    if (d >= 23 && d <= 67) return 1;
    if (d >= 68 && d <= 112) return 2;
    if (d >= 113 && d <= 157) return 3;
    if (d >= 158 && d <= 202) return 4;
    if (d >= 203 && d <= 247) return 5;
    if (d >= 248 && d <= 292) return 6;
    if (d >= 293 && d <= 337) return 7;
    return 0;
}

void MapView::ReadAircraftPosition() {
    const flight::FlightModelState& s = flight::theFlightModelState;
    WorldToLatLon(&aircraftLat, &aircraftLon, s.fmPosX, s.fmPosZ);
    aircraftAltitude = s.fmPosY;
    aircraftHeading = s.fmHead;
    aircraftGrid = LookupGridValues(s.fmPosX, s.fmPosZ);
    octant = OctantOf(s.fmHead, aircraftGrid);
}

void MapView::DrawAircraft(win::HDC dc) {
    if (!InsideView(aircraftLat, aircraftLon)) return;
    symbolX = LongitudeToPixel(aircraftLon);
    symbolY = LatitudeToPixel(aircraftLat);
    symbolShown = true;
    DrawStrokes(dc, symbolX, symbolY, octant);
}

bool MapView::IsNearAircraft() const {
    return symbolShown && std::abs(cursorX - symbolX) < 6 && std::abs(cursorY - symbolY) < 6;
}

void MapView::BeginDrag() {
    showAircraft = 0;
    Redraw();
    CopyBitmap(drawingBitmap, backgroundBitmap);
    showAircraft = 1;
    dragCursorX = cursorX;
    dragCursorY = cursorY;
    dragSymbolX = symbolX;
    dragSymbolY = symbolY;
    dragStartLat = aircraftLat;
    dragStartLon = aircraftLon;
    dragging = 1;
}

void MapView::DragTo() {
    CopyBitmap(backgroundBitmap, drawingBitmap);
    const int x = dragSymbolX + cursorX - dragCursorX;
    const int y = dragSymbolY + cursorY - dragCursorY;
    if (cursorX == dragCursorX && cursorY == dragCursorY) {
        // Back where it was grabbed (a click on the symbol is a drag of no distance), the
        // aircraft keeps its own position: its pixel would move it by up to a pixel's miles.
        aircraftLat = dragStartLat;
        aircraftLon = dragStartLon;
    } else {
        aircraftLat = PixelToLatitude(y);
        aircraftLon = PixelToLongitude(x);
    }
    // The symbol goes where the pointer took it, not where its rounded position projects.
    if (InsideView(aircraftLat, aircraftLon) && memoryDc) {
        const win::HBITMAP old = win::SelectObject(memoryDc, drawingBitmap);
        symbolX = x;
        symbolY = y;
        symbolShown = true;
        DrawStrokes(memoryDc, x, y, octant);
        win::SelectObject(memoryDc, old);
    }
    ShowCursorPosition(x, y);
    InvalidateMap();
}

void MapView::EndDrag() {
    dragging = 0;
    DragTo();
}

void MapView::CancelDrag() {
    aircraftLat = dragStartLat;
    aircraftLon = dragStartLon;
    CopyBitmap(backgroundBitmap, drawingBitmap);
    if (memoryDc) {
        const win::HBITMAP old = win::SelectObject(memoryDc, drawingBitmap);
        DrawAircraft(memoryDc);
        win::SelectObject(memoryDc, old);
    }
    dragging = 0;
    InvalidateMap();
}

void MapView::RestoreBackground() {
    CopyBitmap(backgroundBitmap, drawingBitmap);
    InvalidateMap();
}

// ---- Hits ----------------------------------------------------------------------------------------

namespace {

bool PointHit(const MapPointHit& h, int cx, int cy, int zoom, int sideways) {
    if (zoom == 3) return std::abs(cx - h.x) < 2 && std::abs(cy - h.y) < 2;
    return std::abs(cx - h.x) <= sideways && cy >= h.y - 3 && cy <= h.y + 12;
}

bool BoxHit(const MapBoxHit& b, int cx, int cy) {
    return cx > b.left && cx < b.right && cy > b.top && cy < b.bottom;
}

// 0 none, 1 exactly one (in *found), -1 two or more.
int CountHits(const std::vector<MapPointHit>& hits, int cx, int cy, int zoom, int sideways,
              const MapPointHit** found) {
    int n = 0;
    for (const MapPointHit& h : hits)
        if (PointHit(h, cx, cy, zoom, sideways)) {
            if (++n == 1 && found != nullptr) *found = &h;
        }
    return n == 0 ? 0 : n == 1 ? 1 : -1;
}

}  // namespace

int MapView::FindVorAt() const {
    return CountHits(vorHits, cursorX, cursorY, zoom, 14, nullptr);
}

int MapView::FindWaypointAt() const {
    return CountHits(waypointHits, cursorX, cursorY, zoom, 16, nullptr);
}

const MapPointHit* MapView::FindNdbAt() const {
    for (const MapPointHit& h : ndbHits)
        if (PointHit(h, cursorX, cursorY, zoom, 14)) return &h;
    return nullptr;
}

const MapBoxHit* MapView::FindAirportAt() const {
    for (const MapBoxHit& b : airportHits)
        if (BoxHit(b, cursorX, cursorY)) return &b;
    return nullptr;
}

const MapBoxHit* MapView::FindLocalizerAt() const {
    for (const MapBoxHit& b : localizerHits)
        if (BoxHit(b, cursorX, cursorY)) return &b;
    return nullptr;
}

std::unique_ptr<MapHitItem> MapView::CollectItemsAt() {
    int total = 0;
    auto item = std::make_unique<MapHitItem>();
    auto take = [&](int kind, const std::string& ident, int row) {
        ++total;
        item->kind = kind;
        item->ident = ident;
        item->row = row;
    };
    const MapPointHit* vor = nullptr;
    const MapPointHit* wpt = nullptr;
    const int vors = showVors ? CountHits(vorHits, cursorX, cursorY, zoom, 14, &vor) : 0;
    const int wpts = showWaypoints ? CountHits(waypointHits, cursorX, cursorY, zoom, 16, &wpt) : 0;
    // Two VORs or two fixes under the cursor are no answer.
    if (vors < 0 || wpts < 0) return nullptr;
    if (vors == 1) take(kMapItemVor, vor->ident, vor->row);
    if (const MapPointHit* ndb = showNdbs ? FindNdbAt() : nullptr)
        take(kMapItemNdb, ndb->ident, ndb->row);
    if (const MapBoxHit* apt = showAirports ? FindAirportAt() : nullptr)
        take(kMapItemAirport, apt->ident, apt->row);
    if (wpts == 1) take(kMapItemWaypoint, wpt->ident, wpt->row);
    if (total != 1) return nullptr;
    // The station's own row: two stations may share an ident.
    const auto at = static_cast<std::size_t>(item->row);
    const NavDatabase& db = theNavDatabase;
    switch (item->kind) {
        case kMapItemVor:
            if (at >= db.vors.size()) return nullptr;
            item->x = db.vors[at].x;
            item->z = db.vors[at].z;
            break;
        case kMapItemNdb:
            if (at >= db.ndbs.size()) return nullptr;
            item->x = db.ndbs[at].x;
            item->z = db.ndbs[at].z;
            break;
        case kMapItemAirport:
            if (at >= db.airports.size()) return nullptr;
            item->x = db.airports[at].x;
            item->z = db.airports[at].z;
            break;
        default:
            if (at >= db.waypoints.size()) return nullptr;
            item->x = db.waypoints[at].x;
            item->z = db.waypoints[at].z;
            break;
    }
    return item;
}

// ---- Information tools ----------------------------------------------------------------------------

int MapView::PlaceFromPicker(MapPicker picker, const std::string& ident, std::uint32_t* result) {
    highlightIdent = ident;
    highlightSet = 1;
    Redraw();
    // Every row with the ident gets its dialog, in table order; the last answer counts.
    const NavDatabase& db = theNavDatabase;
    std::vector<int> rows;
    if (picker == MapPicker::Enroute) {
        for (std::size_t i = 0; i < db.vors.size(); ++i)
            if (db.vors[i].ident == ident) rows.push_back(static_cast<int>(i));
    } else if (picker == MapPicker::Runway) {
        for (std::size_t i = 0; i < db.airports.size(); ++i)
            if (db.airports[i].ident == ident) rows.push_back(static_cast<int>(i));
    } else {
        for (std::size_t i = 0; i < db.ils.size(); ++i)
            if (db.ils[i].ident == ident) rows.push_back(static_cast<int>(i));
    }
    for (int row : rows)
        *result = static_cast<std::uint32_t>(theMapPickerRunner(picker, dialog, row));
    return static_cast<int>(*result);
}

int MapView::RunInfoTool(MapPicker picker, const std::string* ident, std::uint32_t* result,
                         int button, std::uint32_t* tool) {
    // A tool that finds nothing under the cursor stays on.
    if (ident == nullptr) return 0;
    const int chosen = PlaceFromPicker(picker, std::string(*ident), result);
    EnableButton(toolbar, button, true);
    CheckButton(toolbar, button, false);
    *tool = 0;
    highlightIdent.clear();
    highlightSet = 0;
    if (chosen) return 1;
    Redraw();
    return 0;
}

int MapView::ShowVorInfo() {
    const MapPointHit* vor = nullptr;
    const bool one = showVors && CountHits(vorHits, cursorX, cursorY, zoom, 14, &vor) == 1;
    return RunInfoTool(MapPicker::Enroute, one ? &vor->ident : nullptr, &enrouteResult,
                       kVorInfoButton, &vorInfoTool);
}

int MapView::ShowAirportInfo() {
    const MapBoxHit* airport = showAirports ? FindAirportAt() : nullptr;
    return RunInfoTool(MapPicker::Runway, airport ? &airport->ident : nullptr, &runwayResult,
                       kAirportInfoButton, &airportInfoTool);
}

int MapView::ShowApproachInfo() {
    const MapBoxHit* localizer = showLocalizers ? FindLocalizerAt() : nullptr;
    return RunInfoTool(MapPicker::Approach, localizer ? &localizer->ident : nullptr,
                       &approachResult, kApproachInfoButton, &approachInfoTool);
}

void MapView::ApplyPosition() {
    if (runwayResult) {
        positionResult = kPlacedOnRunway;
    } else if (enrouteResult) {
        positionResult = kPlacedEnroute;
    } else if (approachResult) {
        positionResult = kPlacedOnApproach;
    } else {
        positionResult = kPlacedByDrag;
        LatLonToWorld(&resultX, &resultZ, aircraftLat, aircraftLon);
        newGrid = LookupGridValues(resultX, resultZ);
        // The world's grid turns from place to place; the heading keeps its direction over the
        // ground by turning with it.
        resultHeading = static_cast<std::uint16_t>(resultHeading + newGrid.north - openGrid.north);
    }
}

void MapView::PlaceInfoDialog(win::HWND info) {
    win::RECT control{};
    if (!mapControl || !win::GetWindowRect(mapControl, &control)) return;
    const int dx = cursorX < width / 2 ? width / 2 - 10 : -50;
    const int dy = cursorY < height / 2 ? height / 2 + 14 : -74;
    win::SetWindowPos(info, win::HWND{}, control.left + dx, control.top + dy, 0, 0,
                      win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
}

}  // namespace nav
