// The map drawn headless into its 8-bit picture: every zoom of a small world against golden
// pictures, the view's bounds and grid labels, clipping against a walk along the line, the
// aircraft symbol, dragging, what lies under the cursor, the information tools, the toolbar by
// zoom, airway labels, runways by width, routes and the position the dialog leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <set>

#include "map_fixture.h"
#include "nav/map_pictures.h"
#include "win/controls.h"

namespace {

using navtest::LatLon;
using navtest::MapFixture;
using nav::theMapView;

class MapViewTest : public MapFixture {};

TEST_F(MapViewTest, EveryZoomOfTheFixtureWorldMatchesItsGoldenPicture) {
    if (!StandardFonts()) GTEST_SKIP() << "the labels' face is not installed";
    OpenMap(navtest::kKsql, 300.0);
    AllLayers(true);
    for (int zoom = 0; zoom < nav::kMapZoomLevels; ++zoom) {
        // The close zooms look at Oakland, where the runways, the feather and the airways are.
        View(zoom, zoom == 7 ? LatLon{37.715, 122.205}
                   : zoom == 6 ? navtest::kKoak
                               : LatLon{37.55, 122.15});
        const std::string name = "map_fixture_zoom" + std::to_string(zoom) + ".bmp";
        EXPECT_EQ(testsupport::CompareGolden(name, Picture()), "") << name;
    }
}

TEST_F(MapViewTest, ZoomZeroAlwaysShowsTheWholeCountryAndTheCentreIsHeldToIt) {
    OpenMap();
    nav::MapView& m = theMapView;
    View(0, LatLon{10.0, 10.0});
    EXPECT_EQ(m.topLat, 55.0);
    EXPECT_EQ(m.bottomLat, 20.0);
    EXPECT_EQ(m.leftLon, 125.0);
    EXPECT_EQ(m.rightLon, 65.0);
    struct Case {
        LatLon centre;
        double lat, lon;
    } cases[] = {{{60.0, 140.0}, 50.0, 125.0}, {{10.0, 40.0}, 25.0, 67.0}, {{37.0, 100.0}, 37.0, 100.0}};
    for (const Case& c : cases) {
        View(5, c.centre);
        EXPECT_NEAR(m.centreLat, c.lat, 1e-12);
        EXPECT_NEAR(m.centreLon, c.lon, 1e-12);
        EXPECT_NEAR(m.topLat - m.bottomLat, 0.292, 1e-12);
        EXPECT_NEAR(m.leftLon - m.rightLon, 0.5, 1e-12);
    }
    // A scroll moves the view by 80 pixels of the view it is made in.
    View(4, LatLon{37.0, 100.0});
    m.Scroll(3);
    EXPECT_NEAR(m.centreLon, 100.0 - 80.0 * 2.0 / 552.0, 1e-9);
    m.Scroll(0);
    EXPECT_NEAR(m.centreLat, 37.0 + 80.0 * 1.167 / 322.0, 1e-9);
}

TEST_F(MapViewTest, GridLabelsShowOnlyTheLinesInsideTheMargin) {
    // A window with the map control and the label controls, as the dialog's template has them.
    const win::HWND parent = win::CreateWindowEx(0, win::WC_STATIC, "", win::WS_VISIBLE, 0, 0, 640,
                                                 480, {}, {}, {}, 0);
    auto child = [&](int id, int x, int y, int w, int h) {
        return win::CreateWindowEx(0, win::WC_STATIC, "", win::WS_CHILD | win::WS_VISIBLE, x, y, w,
                                   h, parent, win::HMENU{static_cast<std::uint32_t>(id)}, {}, 0);
    };
    nav::MapView& m = theMapView;
    m.dialog = parent;
    m.mapControl = child(nav::kMapControlId, 56, 24, 556, 326);
    for (int id : nav::kLatitudeLabelIds)
        child(id, 0, 0, 45, 15);
    for (int id : nav::kLongitudeLabelIds)
        child(id, 0, 0, 55, 15);
    child(nav::kZoomLabelId, 0, 0, 60, 15);
    OpenMap();
    EXPECT_EQ(win::GetWindowText(win::GetDlgItem(parent, nav::kZoomLabelId)), "4800 nm");
    std::vector<std::string> lat, lon;
    for (int id : nav::kLatitudeLabelIds)
        if (win::IsWindowVisible(win::GetDlgItem(parent, id)))
            lat.push_back(win::GetWindowText(win::GetDlgItem(parent, id)));
    for (int id : nav::kLongitudeLabelIds)
        if (win::IsWindowVisible(win::GetDlgItem(parent, id)))
            lon.push_back(win::GetWindowText(win::GetDlgItem(parent, id)));
    EXPECT_EQ(lat, (std::vector<std::string>{"50\xB0", "45\xB0", "40\xB0", "35\xB0", "30\xB0",
                                             "25\xB0", "20\xB0"}));
    ASSERT_EQ(lon.size(), 12u);
    EXPECT_EQ(lon.front(), "120\xB0");
    EXPECT_EQ(lon.back(), "65\xB0");
    // The 40 degree parallel's label sits beside its line.
    win::RECT r;
    win::GetWindowRect(win::GetDlgItem(parent, nav::kLatitudeLabelIds[2]), &r);
    win::POINT origin{0, 0};
    win::ClientToScreen(parent, &origin);
    EXPECT_EQ(r.left - origin.x, 56 - 45);
    EXPECT_EQ(r.top - origin.y, 24 + m.LatitudeToPixel(40.0) - 6);
    // The readouts: degrees and minutes far out, seconds from zoom 3 (whole) and 5 (hundredths),
    // the seconds in floating point.
    child(nav::kLatitudeReadoutId, 0, 0, 90, 15);
    child(nav::kLongitudeReadoutId, 0, 0, 90, 15);
    for (const int zoom : {2, 3, 5}) {
        View(zoom, LatLon{37.5, 122.2});
        const int x = 276, y = 161;
        m.ShowCursorPosition(x, y);
        const double lat = m.PixelToLatitude(y), lon = m.PixelToLongitude(x);
        auto text = [&](double v, char h) {
            const int d = static_cast<int>(v), mi = static_cast<int>((v - d) * 60.0);
            const double sec = (v - mi / 60.0 - d) * 3600.0;
            char buffer[64];
            if (zoom <= 2)
                std::snprintf(buffer, sizeof buffer, "%d\xB0 %d' %c", d, mi, h);
            else if (zoom <= 4)
                std::snprintf(buffer, sizeof buffer, "%d\xB0 %d' %d\" %c", d, mi, static_cast<int>(sec), h);
            else
                std::snprintf(buffer, sizeof buffer, "%d\xB0 %d' %.2f\" %c", d, mi, sec, h);
            return std::string(buffer);
        };
        EXPECT_EQ(win::GetWindowText(win::GetDlgItem(parent, nav::kLatitudeReadoutId)), text(lat, 'N'));
        EXPECT_EQ(win::GetWindowText(win::GetDlgItem(parent, nav::kLongitudeReadoutId)), text(lon, 'W'));
        // Seconds are never the minutes' whole remainder dropped: under a minute.
        EXPECT_LT((lat - static_cast<int>((lat - static_cast<int>(lat)) * 60.0) / 60.0 - static_cast<int>(lat)) * 3600.0, 60.0);
    }
    // Close in, the labels carry minutes; a label without a line is hidden.
    View(7, LatLon{37.5, 122.2});
    for (int id : nav::kLatitudeLabelIds) {
        const win::HWND label = win::GetDlgItem(parent, id);
        if (!win::IsWindowVisible(label)) continue;
        EXPECT_NE(win::GetWindowText(label).find('\''), std::string::npos);
    }
    m.Shutdown();
}

TEST_F(MapViewTest, ClippingAgreesWithAWalkAlongTheLine) {
    OpenMap();
    const nav::MapView& m = theMapView;
    const double xmin = 2, ymin = 2, xmax = 553, ymax = 323;
    std::mt19937 random(26);
    std::uniform_int_distribution<int> near(-300, 900), far(-2000000000, 2000000000);
    int accepted = 0, rejected = 0;
    for (int i = 0; i < 4000; ++i) {
        auto pick = [&] { return i % 10 == 0 ? far(random) : near(random); };
        const int x1 = pick(), y1 = pick(), x2 = pick(), y2 = pick();
        // The walk: points along the exact line, and how far they come inside the rectangle.
        double deepest = -1e9;
        for (int k = 0; k <= 4000; ++k) {
            const double t = k / 4000.0;
            const double x = x1 + (static_cast<double>(x2) - x1) * t;
            const double y = y1 + (static_cast<double>(y2) - y1) * t;
            deepest = std::max(deepest, std::min({x - xmin, xmax - x, y - ymin, ymax - y}));
        }
        int a = x1, b = y1, c = x2, d = y2;
        const bool kept = m.ClipSegment(&a, &b, &c, &d);
        const long long spanX = std::llabs(static_cast<long long>(x2) - x1);
        const long long spanY = std::llabs(static_cast<long long>(y2) - y1);
        if (std::abs(deepest) < 2.0 || spanX > 100000 || spanY > 100000) {
            // Grazing lines and lines too long for the walk's steps: only the ends are checked.
        } else {
            EXPECT_EQ(kept, deepest > 0) << x1 << "," << y1 << " " << x2 << "," << y2;
        }
        if (!kept) {
            ++rejected;
            continue;
        }
        ++accepted;
        for (auto [x, y] : {std::pair{a, b}, std::pair{c, d}}) {
            EXPECT_TRUE(x >= xmin && x <= xmax && y >= ymin && y <= ymax) << x << "," << y;
            // On the line, to within the truncation.
            const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
            const double off = std::abs(dy * (x - x1) - dx * (y - y1)) / std::hypot(dx, dy);
            EXPECT_LT(off, 2.0) << x1 << "," << y1 << " " << x2 << "," << y2;
        }
    }
    EXPECT_GT(accepted, 500);
    EXPECT_GT(rejected, 500);
}

// Vertical and horizontal outline segments (state borders run along meridians and parallels)
// are cut at the edges they cross, with no division by their zero run.
TEST_F(MapViewTest, VerticalAndHorizontalSegmentsAreCutAtTheEdges) {
    OpenMap();
    const nav::MapView& m = theMapView;
    struct Case {
        int x1, y1, x2, y2;
        bool kept;
        int cx1, cy1, cx2, cy2;
    } cases[] = {
        {100, -50, 100, 900, true, 100, 2, 100, 323},    // down through the top and the bottom
        {100, 900, 100, 100, true, 100, 323, 100, 100},  // up from below
        {-50, 40, 900, 40, true, 2, 40, 553, 40},        // across both sides
        {900, 40, 300, 40, true, 553, 40, 300, 40},      // in from the right
        {-50, -50, -50, 900, false, 0, 0, 0, 0},         // left of the view
        {10, -90, 500, -90, false, 0, 0, 0, 0},          // above it
        {100, 100, 100, 100, true, 100, 100, 100, 100},  // a point inside
    };
    for (const Case& c : cases) {
        int a = c.x1, b = c.y1, x = c.x2, y = c.y2;
        ASSERT_EQ(m.ClipSegment(&a, &b, &x, &y), c.kept) << c.x1 << "," << c.y1;
        if (!c.kept) continue;
        EXPECT_EQ(a, c.cx1);
        EXPECT_EQ(b, c.cy1);
        EXPECT_EQ(x, c.cx2);
        EXPECT_EQ(y, c.cy2);
    }
}

TEST_F(MapViewTest, TheSymbolPointsToTheOctantOfTheHeading) {
    struct Case {
        double heading;
        std::int16_t variation, north;
        int octant;
    } cases[] = {{0, 0, 0, 0},       {22, 0, 0, 0},   {23.5, 0, 0, 1},  {90, 0, 0, 2},
                 {135, 0, 0, 3},     {180, 0, 0, 4},  {203.5, 0, 0, 5}, {270, 0, 0, 6},
                 {315, 0, 0, 7},     {338.5, 0, 0, 0}, {359.9, 0, 0, 0},
                 // Turned back past north by the grid values: north-west, not north.
                 {10, 7282, 0, 7},   {10, 0, 3641, 0}, {90, -8192, 0, 3}};
    for (const Case& c : cases) {
        const auto heading = static_cast<std::uint16_t>(std::lround(c.heading * 65536.0 / 360.0));
        EXPECT_EQ(nav::MapView::OctantOf(heading, nav::GridValues{c.variation, c.north}), c.octant)
            << c.heading;
    }
    // 203 degrees after variation draws the south-west symbol: its strokes start where the
    // table says, the green pen over the black.
    OpenMap(LatLon{37.5, 95.0}, 203.5);
    EXPECT_EQ(theMapView.octant, 5);
    const testsupport::IndexedImage p = Picture();
    const int x = theMapView.symbolX, y = theMapView.symbolY;
    EXPECT_EQ(At(p, x - 4, y - 2), nav::kMapAircraftInside);
    EXPECT_EQ(At(p, x + 2, y - 4), nav::kMapAircraftInside);
    EXPECT_EQ(At(p, x - 3, y + 3), nav::kMapAircraftInside);
    EXPECT_EQ(At(p, x - 5, y - 2), nav::kMapBlack);
}

TEST_F(MapViewTest, DraggingMovesTheAircraftByThePixelsTravelled) {
    OpenMap(navtest::kKsql);
    nav::MapView& m = theMapView;
    ASSERT_TRUE(m.symbolShown);
    const double startLat = m.aircraftLat;
    m.cursorX = m.symbolX + 5;
    m.cursorY = m.symbolY - 5;
    ASSERT_TRUE(m.IsNearAircraft());
    m.BeginDrag();
    m.cursorX += 100;
    m.DragTo();
    m.EndDrag();
    EXPECT_EQ(m.dragging, 0u);
    // 100 pixels east at zoom 0: 100 x 60 / 552 degrees, from the pixel the symbol stood on.
    EXPECT_NEAR(m.aircraftLon, m.PixelToLongitude(m.dragSymbolX) - 100.0 * 60.0 / 552.0, 1e-9);
    EXPECT_NEAR(m.aircraftLat, startLat, 35.0 / 322.0);
    // A drag that leaves the map puts the aircraft back.
    const double lon = m.aircraftLon;
    m.cursorX = m.symbolX;
    m.cursorY = m.symbolY;
    m.BeginDrag();
    m.cursorY += 40;
    m.DragTo();
    m.CancelDrag();
    EXPECT_EQ(m.aircraftLon, lon);
    // A symbol that is not on the picture cannot be picked up.
    View(7, LatLon{45.0, 100.0});
    m.cursorX = m.symbolX;
    m.cursorY = m.symbolY;
    EXPECT_FALSE(m.IsNearAircraft());
}

// The positioning dialog opens on the view it was closed on, whatever a route map did to the
// shared view in between, and moves it to the aircraft when the aircraft lies outside.
TEST_F(MapViewTest, PositioningOpensOnItsOwnViewWithTheAircraftInIt) {
    nav::MapView& m = theMapView;
    OpenMap(navtest::kKsql);
    View(6, navtest::kKsql);
    m.Shutdown();
    // A route map's view far away (as a plan's route fits it).
    m.zoom = 7;
    m.centreLat = 45.0;
    m.centreLon = 100.0;
    m.SetView(7, 0, 0, 0);
    struct Case {
        LatLon aircraft;
        double centreLat;
    };
    for (const Case& c : {Case{navtest::kKsql, navtest::kKsql.lat}, Case{LatLon{40.0, 105.0}, 40.0}}) {
        OpenMap(c.aircraft);
        EXPECT_EQ(m.zoom, 6);
        EXPECT_TRUE(m.symbolShown) << c.aircraft.lat;
        EXPECT_NEAR(m.centreLat, c.centreLat, 1e-6);
        m.Shutdown();
    }
}

TEST_F(MapViewTest, OkWithoutAMoveLeavesTheAircraftWhereItIs) {
    OpenMap(navtest::kKoak, 123.0);
    nav::MapView& m = theMapView;
    m.ApplyPosition();
    EXPECT_EQ(m.positionResult, nav::kPlacedByDrag);
    // Within a metre (256 units).
    EXPECT_NEAR(m.resultX, flight::theFlightModelState.fmPosX, 256);
    EXPECT_NEAR(m.resultZ, flight::theFlightModelState.fmPosZ, 256);
    EXPECT_EQ(m.resultHeading, flight::theFlightModelState.fmHead);
    // A picker's choice wins over the symbol: runway, then en route, then approach.
    m.approachResult = m.enrouteResult = 1;
    m.ApplyPosition();
    EXPECT_EQ(m.positionResult, nav::kPlacedEnroute);
    m.runwayResult = 1;
    m.ApplyPosition();
    EXPECT_EQ(m.positionResult, nav::kPlacedOnRunway);
}

TEST_F(MapViewTest, WhatLiesUnderTheCursor) {
    OpenMap();
    nav::MapView& m = theMapView;
    m.showVors = m.showNdbs = m.showAirports = m.showWaypoints = 1;
    View(4, LatLon{37.45, 122.1});
    auto hit = [&](LatLon p, int dx = 0, int dy = 0) {
        m.cursorX = m.LongitudeToPixel(p.lon) + dx;
        m.cursorY = m.LatitudeToPixel(p.lat) + dy;
        return m.CollectItemsAt();
    };
    // Two VORs under the cursor: neither.
    EXPECT_EQ(hit(navtest::kTwinA), nullptr);
    EXPECT_EQ(m.FindVorAt(), -1);
    // The NDB keeps its own row, although another NDB has its ident.
    auto item = hit(navtest::kNdbX2, 3, 5);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->kind, nav::kMapItemNdb);
    EXPECT_EQ(item->row, 2);
    EXPECT_EQ(item->x, nav::theNavDatabase.ndbs[2].x);
    // Within 14 pixels sideways and 3 above to 12 below, not beyond.
    EXPECT_NE(hit(navtest::kOsi, 14, 12), nullptr);
    EXPECT_EQ(hit(navtest::kOsi, 15, 0), nullptr);
    EXPECT_EQ(hit(navtest::kOsi, 0, -4), nullptr);
    // An airport is found strictly inside its box (x +-15, y -4 to +15).
    item = hit(navtest::kKsql, 14, 14);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ident, "KSQL");
    EXPECT_EQ(hit(navtest::kKsql, 15, 0), nullptr);
    EXPECT_EQ(hit(navtest::kKsql, 0, -4), nullptr);
    // A waypoint reaches 16 pixels sideways.
    item = hit(navtest::kBriny, -16, 0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->kind, nav::kMapItemWaypoint);
    // At zoom 3 the stations are single pixels but already in the lists, hit within 1 pixel
    // (San Carlos' box would cover Woodside there).
    m.showAirports = 0;
    View(3, LatLon{37.45, 122.1});
    EXPECT_FALSE(m.vorHits.empty());
    EXPECT_NE(hit(navtest::kOsi, 1, 1), nullptr);
    EXPECT_EQ(hit(navtest::kOsi, 2, 0), nullptr);
    // A layer that is off is not looked at.
    m.showNdbs = 0;
    View(4, LatLon{37.45, 122.1});
    EXPECT_EQ(hit(navtest::kNdbPa), nullptr);
}

struct PickerCall {
    nav::MapPicker picker;
    int row;
};
std::vector<PickerCall> thePickerCalls;
int RecordPicker(nav::MapPicker picker, win::HWND, int row) {
    thePickerCalls.push_back(PickerCall{picker, row});
    // The first dialog places, the second declines: the last answer counts.
    return thePickerCalls.size() == 1 ? 1 : 0;
}

TEST_F(MapViewTest, AnInformationToolOpensADialogPerRowOfTheIdent) {
    OpenMap();
    nav::MapView& m = theMapView;
    nav::theMapPickerRunner = RecordPicker;
    thePickerCalls.clear();
    m.showVors = 1;
    m.vorInfoTool = 1;
    View(4, LatLon{37.45, 122.1});
    m.cursorX = m.LongitudeToPixel(navtest::kDupA.lon);
    m.cursorY = m.LatitudeToPixel(navtest::kDupA.lat) + 2;
    EXPECT_EQ(m.ShowVorInfo(), 0);
    ASSERT_EQ(thePickerCalls.size(), 2u);
    EXPECT_EQ(thePickerCalls[0].picker, nav::MapPicker::Enroute);
    EXPECT_EQ(thePickerCalls[0].row, 4);
    EXPECT_EQ(thePickerCalls[1].row, 5);
    EXPECT_EQ(m.enrouteResult, 0u);
    EXPECT_EQ(m.vorInfoTool, 0u);
    EXPECT_TRUE(m.highlightIdent.empty());
    // The airport tool: one row, which places.
    thePickerCalls.clear();
    m.showAirports = 1;
    m.airportInfoTool = 1;
    m.Redraw();
    m.cursorX = m.LongitudeToPixel(navtest::kKsql.lon);
    m.cursorY = m.LatitudeToPixel(navtest::kKsql.lat) + 2;
    EXPECT_EQ(m.ShowAirportInfo(), 1);
    ASSERT_EQ(thePickerCalls.size(), 1u);
    EXPECT_EQ(thePickerCalls[0].picker, nav::MapPicker::Runway);
    EXPECT_EQ(m.runwayResult, 1u);
    // A tool that finds nothing stays on.
    m.vorInfoTool = 1;
    m.cursorX = 5;
    m.cursorY = 5;
    EXPECT_EQ(m.ShowVorInfo(), 0);
    EXPECT_EQ(m.vorInfoTool, 1u);
}

// A toolbar that records what the map asks of it.
std::map<int, bool> theEnabled;
std::set<int> theChecked;
win::LResult FakeToolbar(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    if (m == win::TB_ENABLEBUTTON) theEnabled[static_cast<int>(w)] = l != 0;
    if (m == win::TB_CHECKBUTTON) {
        if (l != 0)
            theChecked.insert(static_cast<int>(w));
        else
            theChecked.erase(static_cast<int>(w));
    }
    return win::DefWindowProc(h, m, w, l);
}

TEST_F(MapViewTest, ToolsFollowTheZoomAndLayerButtonsFollowTheSwitches) {
    win::WNDCLASS wc;
    wc.className = "FakeToolbar";
    wc.wndProc = FakeToolbar;
    ASSERT_NE(win::RegisterClass(wc), 0);
    nav::MapView& m = theMapView;
    m.toolbar = win::CreateWindowEx(0, "FakeToolbar", "", 0, 0, 0, 10, 10, {}, {}, {}, 0);
    theEnabled.clear();
    theChecked.clear();
    m.showVors = m.showObstacles = m.showFrequencies = 1;
    OpenMap();
    EXPECT_EQ(theChecked, (std::set<int>{nav::kVorsButton, nav::kObstaclesButton,
                                         nav::kFrequenciesButton}));
    struct Row {
        int zoom;
        std::map<int, bool> expected;
    } rows[] = {
        {0, {{5008, true}, {5009, false}, {5015, false}, {5014, false}, {5007, false}, {5004, false}, {5016, false}}},
        {1, {{5008, true}, {5009, true}}},
        {3, {{5008, true}, {5009, true}, {5015, false}, {5014, false}}},
        {4, {{5015, true}, {5014, true}, {5008, true}, {5009, true}, {5007, false}, {5004, false}, {5016, false}}},
        {5, {{5007, true}, {5004, true}, {5016, true}, {5008, true}, {5009, true}}},
        {7, {{5009, true}, {5008, false}}},
    };
    for (const Row& r : rows) {
        theEnabled.clear();
        m.zoom = r.zoom;
        m.EnableToolsForZoom();
        EXPECT_EQ(theEnabled, r.expected) << "zoom " << r.zoom;
    }
    // Refresh only checks.
    m.showVors = 0;
    m.Refresh();
    EXPECT_EQ(theChecked.count(nav::kVorsButton), 1u);
    m.ClearLayerButtons();
    EXPECT_EQ(theChecked, (std::set<int>{nav::kFrequenciesButton}));
}

TEST_F(MapViewTest, SharedAirwaySegmentsCarryOneLabelOfAtMost27Characters) {
    std::vector<nav::MapLabel> labels;
    nav::AddAirwayLabel(&labels, 100, 100, "V25");
    nav::AddAirwayLabel(&labels, 103, 96, "V87");
    nav::AddAirwayLabel(&labels, 105, 100, "V301");  // 5 pixels away: a label of its own
    nav::AddAirwayLabel(&labels, 100, 100, "V25");   // already there
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].text, "V25-V87");
    for (const char* name : {"V1001", "V1002", "V1003", "V1004"})
        nav::AddAirwayLabel(&labels, 99, 101, name);
    EXPECT_EQ(labels[0].text, "V25-V87-V1001-V1002-V1003");
    EXPECT_EQ(labels[0].text.size(), 25u);
    EXPECT_LE(labels[0].text.size(), nav::kMaxAirwayLabel);
}

TEST_F(MapViewTest, CloseInTheRunwaysAreDrawnWithPensByTheirWidth) {
    OpenMap();
    nav::MapView& m = theMapView;
    m.showAirports = 1;
    View(7, navtest::kKoak);
    const testsupport::IndexedImage p = Picture();
    // The east-west runways: 200 ft wide gives a pen of 9 at zoom 7, 150 ft one of 7, 100 ft
    // one of 5, counted across each line at the airport's meridian.
    const int x = m.LongitudeToPixel(navtest::kKoak.lon + 0.006);
    auto thickness = [&](double lat) {
        const int y = m.LatitudeToPixel(lat);
        int n = 0;
        for (int dy = -8; dy <= 8; ++dy)
            n += At(p, x, y + dy) == nav::kMapAirportColour;
        return n;
    };
    EXPECT_EQ(thickness(navtest::kKoak.lat + 0.004), 9);
    EXPECT_EQ(thickness(navtest::kKoak.lat - 0.004), 7);
    ASSERT_FALSE(m.airportHits.empty());
    EXPECT_EQ(m.airportHits[0].ident, "KOAK");
    // An airport without runway rows gets neither a label nor a hit box.
    View(7, navtest::kNoRunways);
    for (const nav::MapBoxHit& h : m.airportHits)
        EXPECT_NE(h.ident, "0Q9");
    // The records were read once each, not at every redraw.
    const int reads = m.AirportRecordReads();
    View(7, navtest::kKoak);
    EXPECT_EQ(m.AirportRecordReads(), reads);
}

TEST_F(MapViewTest, RoutesFitTheViewOrLeaveIt) {
    OpenMap();
    nav::MapView& m = theMapView;
    using Node = nav::MapRouteNode;
    m.BuildRoute({Node{1, "KSQL"}, Node{2, "NOPE"}, Node{2, "SFO"}, Node{4, "KOAK"}, Node{3, "PA"},
                  Node{6, "BRINY"}});
    // The unknown ident and the node of another kind are left out.
    ASSERT_EQ(m.route.size(), 4u);
    EXPECT_EQ(m.route[1].ident, "SFO");
    // The highest zoom whose spans exceed the route's extent (0.17 x 0.33 degrees).
    EXPECT_EQ(m.zoom, 5);
    EXPECT_NEAR(m.centreLat, (navtest::kSfo.lat + navtest::kBriny.lat) / 2.0, 1e-4);
    // A route spanning 35 degrees of latitude leaves the view as it is.
    nav::theNavDatabase.waypoints.push_back(Fix("NORTH", LatLon{73.0, 100.0}));
    m.ForgetStationCaches();
    m.zoom = 6;
    m.BuildRoute({Node{6, "NORTH"}, Node{1, "KSQL"}});
    EXPECT_EQ(m.route.size(), 2u);
    EXPECT_EQ(m.zoom, 6);
    // Keep-view leaves the view too.
    m.keepView = 1;
    m.BuildRoute({Node{1, "KSQL"}, Node{2, "SFO"}});
    EXPECT_EQ(m.zoom, 6);
}

TEST_F(MapViewTest, ObstaclesComeFromTheWorldsTilesUnderTheViewsCorners) {
    static std::vector<std::pair<int, int>> asked;
    asked.clear();
    nav::theMapObstacleSource = [](int column, int row, std::vector<nav::MapObstacle>* out) {
        asked.emplace_back(column, row);
        std::int32_t x, z;
        navtest::World(navtest::kKsql, &x, &z);
        std::uint16_t c, r;
        std::uint32_t ox, oz;
        nav::WorldToGridTile(x, z, &c, &r, &ox, &oz);
        if (c == column && r == row) out->push_back(nav::MapObstacle{static_cast<std::int32_t>(ox),
                                                                     static_cast<std::int32_t>(oz)});
    };
    OpenMap(LatLon{45.0, 100.0});
    nav::MapView& m = theMapView;
    m.showObstacles = 1;
    View(4, navtest::kKsql);
    EXPECT_TRUE(asked.empty()) << "no obstacles below zoom 5";
    View(5, navtest::kKsql);
    ASSERT_FALSE(asked.empty());
    EXPECT_LE(asked.size(), 4u);
    const testsupport::IndexedImage p = Picture();
    const int x = m.LongitudeToPixel(navtest::kKsql.lon), y = m.LatitudeToPixel(navtest::kKsql.lat);
    int marks = 0;
    for (int dy = -9; dy <= 1; ++dy)
        for (int dx = -5; dx <= 5; ++dx)
            marks += At(p, x + dx, y + dy) == nav::kMapObstacleColour;
    EXPECT_GE(marks, 9);
}

TEST_F(MapViewTest, BrokenOutlinesDrawWhatTheyCanAndNeverCrash) {
    using P = nav::MapOutlinePoint;
    const float nan = std::nanf("");
    WriteOutline("states.bin", {P{nan, 122.0f}, P{37.5f, nan}, P{1e30f, -1e30f}, P{37.5f, 122.5f},
                                P{37.6f, 121.9f}, nav::PenUp(), nav::PenUp(), P{-1.0f, 5.0f}});
    // A count that promises more than the member holds.
    std::vector<std::uint8_t> bytes = nav::EncodeMapOutline({P{37.4f, 122.6f}, P{37.7f, 121.8f}});
    bytes[0] = 0xFF;
    bytes[1] = 0xFF;
    bytes.push_back(0x12);
    Write("Data/Nav/rcoast.bin", bytes);
    // A ring longer than the map draws at once, around the view's centre.
    std::vector<P> ring;
    for (int i = 0; i < 3000; ++i) {
        const double a = i * 2.0 * 3.14159265358979 / 3000;
        ring.push_back(P{static_cast<float>(37.5 + 0.1 * std::sin(a)),
                         static_cast<float>(122.2 + 0.15 * std::cos(a))});
    }
    ring.push_back(nav::PenUp());
    WriteOutline("water.bin", ring);
    Write("Data/Nav/dcoast.bin", {1, 0});
    OpenMap();
    nav::MapView& m = theMapView;
    EXPECT_EQ(m.coast.size(), 2u);
    EXPECT_TRUE(m.detailCoast.empty());
    for (int zoom = 0; zoom < nav::kMapZoomLevels; ++zoom)
        View(zoom, LatLon{37.5, 122.2});
    View(4, LatLon{37.5, 122.2});
    ASSERT_EQ(m.water.size(), 3001u);
    // The ring is closed all round, the piece boundary and the closing point included: every
    // point of it has water colour within a pixel.
    const testsupport::IndexedImage p = Picture();
    for (std::size_t i = 0; i < 3000; i += 7) {
        const int x = m.LongitudeToPixel(m.water[i].lon), y = m.LatitudeToPixel(m.water[i].lat);
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy)
            for (int dx = -1; dx <= 1 && !found; ++dx)
                found = At(p, x + dx, y + dy) == nav::kMapWaterColour;
        EXPECT_TRUE(found) << "ring point " << i;
    }
}

}  // namespace
