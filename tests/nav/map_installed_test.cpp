// The map of the starter installation: the outline files keep every point of the public
// shorelines and borders in order, and the map over Los Angeles and San Francisco draws as its
// golden pictures at the zooms a user sees most.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/resource_volume.h"
#include "map_fixture.h"
#include "flight/flight_model_state.h"
#include "nav/lat_lon.h"
#include "nav/map_outline.h"
#include "nav/map_palette.h"
#include "nav/map_view.h"
#include "nav/nav_database.h"
#include "nav/sms_database.h"
#include "platform/file_system.h"
#include "support/golden_image.h"
#include "support/temp_folder.h"
#include "win/font.h"

namespace {

namespace fs = std::filesystem;
using Line = std::vector<nav::MapOutlinePoint>;

std::vector<Line> ReadSource(const char* file) {
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/data/outlines-us/" + file);
    std::vector<Line> lines;
    for (std::string text; std::getline(in, text);) {
        if (text.empty()) continue;
        if (text[0] == '>') {
            lines.emplace_back();
            continue;
        }
        std::istringstream f(text);
        double lon = 0, lat = 0;
        f >> lon >> lat;
        lines.back().push_back(nav::MapOutlinePoint{static_cast<float>(lat), static_cast<float>(-lon)});
    }
    // A header without points (the low-resolution coast has some) is no polyline.
    std::erase_if(lines, [](const Line& l) { return l.empty(); });
    return lines;
}

// The polylines of a member, split at its markers.
std::vector<Line> Split(const std::vector<nav::MapOutlinePoint>& points) {
    std::vector<Line> lines(1);
    for (const nav::MapOutlinePoint& p : points) {
        if (nav::IsPenUp(p)) {
            if (!lines.back().empty()) lines.emplace_back();
            continue;
        }
        lines.back().push_back(p);
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

bool Same(const Line& a, const Line& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].lat != b[i].lat || a[i].lon != b[i].lon) return false;
    return true;
}

bool Closed(const Line& l) {
    return l.size() >= 4 && l.front().lat == l.back().lat && l.front().lon == l.back().lon;
}

class InstalledMap : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        if (!fs::exists(install / "Data" / "Sms" / "flp.sms"))
            GTEST_SKIP() << "the starter installation is not built";
        here = std::make_unique<testsupport::ScopedCurrentFolder>(install.string());
        platform::ForgetFolderListings();
        core::OpenGlobalVolumes();
        nav::theNavDatabase.Clear();
        nav::theMapView.Reset();
    }
    void TearDown() override {
        nav::theMapView.Reset();
        nav::theNavDatabase.Clear();
        nav::theSmsDatabase.Close();
        core::CloseGlobalVolumes();
        here.reset();
        platform::ForgetFolderListings();
        flight::theFlightModelState = flight::FlightModelState{};
    }
    std::unique_ptr<testsupport::ScopedCurrentFolder> here;
};

TEST_F(InstalledMap, OutlinesKeepEveryPointOfTheShorelinesAndBorders) {
    std::vector<nav::MapOutlinePoint> states, coast, water, detail;
    ASSERT_EQ(nav::ReadMapOutline("states.bin", &states), 1);
    ASSERT_EQ(nav::ReadMapOutline("rcoast.bin", &coast), 1);
    ASSERT_EQ(nav::ReadMapOutline("water.bin", &water), 1);
    ASSERT_EQ(nav::ReadMapOutline("dcoast.bin", &detail), 1);
    auto concat = [](std::initializer_list<std::vector<Line>> parts) {
        std::vector<Line> all;
        for (const auto& p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const std::vector<Line> lakes = ReadSource("lakes.txt");
    const std::vector<Line> wantStates = concat({ReadSource("state_borders.txt"), ReadSource("national_borders.txt")});
    const std::vector<Line> wantCoast = concat({ReadSource("coast_low.txt"), lakes});
    std::vector<Line> wantWater, openLakes;
    for (const Line& l : lakes) {
        if (Closed(l) && l.size() - 1 <= nav::kMaxWaterRingPoints)
            wantWater.emplace_back(l.begin(), l.end() - 1);
        else
            openLakes.push_back(l);
    }
    const std::vector<Line> wantDetail = concat({ReadSource("coast_intermediate.txt"), ReadSource("major_rivers.txt"), openLakes});
    const struct {
        const char* name;
        const std::vector<nav::MapOutlinePoint>& got;
        const std::vector<Line>& want;
    } files[] = {{"states.bin", states, wantStates}, {"rcoast.bin", coast, wantCoast},
                 {"water.bin", water, wantWater},     {"dcoast.bin", detail, wantDetail}};
    for (const auto& f : files) {
        const std::vector<Line> got = Split(f.got);
        ASSERT_EQ(got.size(), f.want.size()) << f.name;
        for (std::size_t i = 0; i < got.size(); ++i)
            ASSERT_TRUE(Same(got[i], f.want[i])) << f.name << " polyline " << i;
        // Every polyline ends with its marker, so the last ring is drawn too.
        EXPECT_TRUE(nav::IsPenUp(f.got.back())) << f.name;
    }
    for (const Line& ring : Split(water))
        EXPECT_LE(ring.size(), static_cast<std::size_t>(nav::kMaxWaterRingPoints));
    EXPECT_GT(Split(water).size(), 500u);
}

TEST_F(InstalledMap, LosAngelesAndTheBayMatchTheirGoldenPictures) {
    if (win::FindFontFile("Sans Serif", false, false, 0).find("LiberationSans") == std::string::npos)
        GTEST_SKIP() << "the labels' face is not installed";
    ASSERT_EQ(nav::LoadNavVors(), 1);
    ASSERT_EQ(nav::LoadNavNdbs(), 1);
    ASSERT_EQ(nav::LoadNavIls(), 1);
    ASSERT_EQ(nav::LoadNavAirports(), 1);
    ASSERT_EQ(nav::LoadNavWaypoints(), 1);
    ASSERT_EQ(nav::LoadNavAirways(), 1);
    nav::LatLonToWorld(&flight::theFlightModelState.fmPosX, &flight::theFlightModelState.fmPosZ,
                       33.9425, 118.4081);
    nav::MapView& m = nav::theMapView;
    m.InitForPositionAircraft();
    m.showAirports = m.showVors = m.showNdbs = m.showLocalizers = m.showAirways = 1;
    m.showWaypoints = 1;
    const struct {
        int zoom;
        double lat, lon;
        bool frequencies;
        const char* golden;
    } views[] = {{0, 37.5, 95.0, false, "map_installed_zoom0.bmp"},
                 {4, 34.0, 118.2, false, "map_installed_zoom4_la.bmp"},
                 {5, 33.95, 118.35, true, "map_installed_zoom5_la.bmp"},
                 {7, 37.7213, 122.2208, true, "map_installed_zoom7_koak.bmp"}};
    for (const auto& v : views) {
        m.previousZoom = m.zoom;
        m.zoom = v.zoom;
        m.centreLat = v.lat;
        m.centreLon = v.lon;
        m.showFrequencies = v.frequencies ? 1 : 0;
        m.SetView(v.zoom, 0, 0, 0);
        m.Redraw();
        const testsupport::IndexedImage image = navtest::PictureOf(m.drawingBitmap);
        ASSERT_GT(image.width, 0);
        EXPECT_EQ(testsupport::CompareGolden(v.golden, image), "") << v.golden;
    }
    // Oakland close in: its runways were read from the station directory.
    bool oakland = false;
    for (const nav::MapBoxHit& h : m.airportHits)
        oakland = oakland || h.ident == "KOAK";
    EXPECT_TRUE(oakland);
}

}  // namespace
