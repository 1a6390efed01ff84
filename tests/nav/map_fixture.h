// A small world for the map, made with the program's own writers into a fresh working folder:
// outlines, a few VORs, NDBs, fixes, airports with runways in the station directory, a localizer
// and victor airways around the San Francisco Bay; a headless window system; and the map put
// back to its start. Pictures of the map come back as palette indices.
#pragma once

#include <cmath>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/resource_pack.h"
#include "nav/lat_lon.h"
#include "nav/map_outline.h"
#include "nav/map_palette.h"
#include "nav/map_view.h"
#include "nav/nav_records.h"
#include "nav/sms_records.h"
#include "nav_fixture.h"
#include "platform/headless/headless_backend.h"
#include "sim/main_window.h"
#include "support/golden_image.h"
#include "support/step_player.h"
#include "win/controls.h"
#include "win/font.h"
#include "win/window_internal.h"

namespace navtest {

struct LatLon {
    double lat;
    double lon;  // positive west
};

inline void World(LatLon p, std::int32_t* x, std::int32_t* z) {
    nav::LatLonToWorld(x, z, p.lat, p.lon);
}

// Places of the fixture world.
inline constexpr LatLon kOsi{37.3925, 122.2811};
inline constexpr LatLon kSfo{37.6194, 122.3739};
inline constexpr LatLon kTwinA{37.30, 121.90};
inline constexpr LatLon kTwinB{37.30, 121.8975};  // under the same cursor as kTwinA at zoom 4
inline constexpr LatLon kDupA{37.35, 122.00};  // two VORs of one ident
inline constexpr LatLon kDupB{37.65, 121.75};
inline constexpr LatLon kNdbPa{37.47, 122.12};
inline constexpr LatLon kNdbX1{37.52, 122.36};
inline constexpr LatLon kNdbX2{37.58, 121.98};
inline constexpr LatLon kBriny{37.45, 122.45};
inline constexpr LatLon kArchi{37.49, 121.88};
inline constexpr LatLon kKsql{37.5119, 122.2495};
inline constexpr LatLon kKoak{37.7213, 122.2208};
inline constexpr LatLon kNoRunways{37.40, 122.10};
inline constexpr LatLon kLocalizer{37.7050, 122.1900};

// An 8-bit bitmap's indices, with the map palette.
inline testsupport::IndexedImage PictureOf(win::HBITMAP bitmap) {
    testsupport::IndexedImage image;
    win::BITMAP bm;
    if (!win::GetObject(bitmap, &bm) || bm.bmBits == nullptr) return image;
    image.width = bm.bmWidth;
    image.height = bm.bmHeight;
    image.colours = nav::MapPaletteColours();
    const auto* bits = static_cast<const std::uint8_t*>(bm.bmBits);
    for (int y = 0; y < bm.bmHeight; ++y)
        image.pixels.insert(image.pixels.end(), bits + y * bm.bmWidthBytes,
                            bits + y * bm.bmWidthBytes + bm.bmWidth);
    return image;
}

class MapFixture : public NavFixture {
protected:
    void SetUp() override {
        NavFixture::SetUp();
        platform::SetCurrentBackend(&machine);
        win::detail::ResetWindowSystem();
        nav::theMapView.Reset();
        MakeWorld();
    }
    void TearDown() override {
        nav::theMapView.Reset();
        nav::theMapPickerRunner = nav::RunMapPicker;
        nav::theMapObstacleSource = nullptr;
        win::detail::ResetWindowSystem();
        platform::SetCurrentBackend(nullptr);
        NavFixture::TearDown();
    }

    static nav::WaypointRecord Fix(const char* name, LatLon p) {
        nav::WaypointRecord w;
        w.name = name;
        World(p, &w.x, &w.z);
        return w;
    }

    void MakeWorld() {
        std::vector<nav::VorRecord> vors;
        auto vor = [&](const char* ident, int mhz100, LatLon p, std::uint16_t flags) {
            nav::VorRecord v;
            v.ident = ident;
            v.frequency = static_cast<std::int16_t>(mhz100);
            World(p, &v.x, &v.z);
            v.flags = flags;
            vors.push_back(v);
        };
        vor("OSI", 11390, kOsi, nav::kVorFlag | nav::kLowAltitudeClass | nav::kDmeFlag);
        vor("SFO", 11580, kSfo, nav::kVorFlag | nav::kHighAltitudeClass | nav::kVortacFlag);
        vor("TWA", 11730, kTwinA, nav::kVorFlag | nav::kTerminalClass);
        vor("TWB", 11650, kTwinB, nav::kVorFlag | nav::kTerminalClass);
        vor("DUP", 11000, kDupA, nav::kVorFlag);
        vor("DUP", 11010, kDupB, nav::kVorFlag);
        std::vector<nav::NdbRecord> ndbs;
        auto ndb = [&](const char* ident, int khz, LatLon p) {
            nav::NdbRecord n;
            n.ident = ident;
            n.frequency = static_cast<std::int16_t>(khz);
            World(p, &n.x, &n.z);
            ndbs.push_back(n);
        };
        ndb("PA", 385, kNdbPa);
        ndb("XX", 350, kNdbX1);
        ndb("XX", 360, kNdbX2);
        const std::vector<nav::WaypointRecord> fixes = {Fix("BRINY", kBriny), Fix("ARCHI", kArchi)};
        std::vector<nav::AirwayRecord> airways(3);
        airways[0].identifier = 25;
        airways[0].points = {Fix("OSI", kOsi), Fix("SFO", kSfo)};
        airways[1].identifier = 87;
        airways[1].points = {Fix("OSI", kOsi), Fix("SFO", kSfo)};
        airways[2].identifier = 301;
        airways[2].points = {Fix("SFO", kSfo), Fix("ARCHI", kArchi), Fix("BRINY", kBriny)};

        // The station directory: three airports, then the stations the map does not read.
        auto end = [](int number, std::uint8_t side, LatLon p, int width, int heading,
                      const char* ils) {
            nav::SmsRunwayRecord r;
            r.runway = static_cast<std::uint8_t>(number | side);
            World(p, &r.x, &r.z);
            r.heading = static_cast<std::uint16_t>(heading * 65536 / 360);
            r.length = 5000;
            r.width = static_cast<std::uint16_t>(width);
            r.ils = ils;
            return r;
        };
        nav::SmsFileBuilder sms;
        nav::SmsAirportHeader sql;
        sql.atis = 0x2580;
        nav::SmsBytes record;
        ASSERT_TRUE(nav::EncodeAirportRecord(
            sql,
            {end(12, 0, LatLon{37.5160, 122.2560}, 75, 123, ""),
             end(30, 0, LatLon{37.5075, 122.2430}, 75, 303, "")},
            &record));
        sms.Add(0, "KSQL San Carlos", record);
        // Oakland: four runways, east-west and north-south, one width band each.
        nav::SmsAirportHeader oak;
        oak.atis = 0x2885;
        oak.tower = 0x2790;
        record.clear();
        const double y0 = kKoak.lat, x0 = kKoak.lon;
        ASSERT_TRUE(nav::EncodeAirportRecord(
            oak,
            {end(9, nav::kRunwayRight, LatLon{y0 + 0.004, x0 + 0.012}, 200, 90, "IOAK"),
             end(27, nav::kRunwayLeft, LatLon{y0 + 0.004, x0 - 0.012}, 200, 270, ""),
             end(9, nav::kRunwayLeft, LatLon{y0 - 0.004, x0 + 0.012}, 150, 90, ""),
             end(27, nav::kRunwayRight, LatLon{y0 - 0.004, x0 - 0.012}, 150, 270, ""),
             end(11, 0, LatLon{y0 - 0.010, x0 + 0.012}, 100, 110, ""),
             end(29, 0, LatLon{y0 - 0.014, x0 - 0.012}, 100, 290, ""),
             end(15, nav::kRunwayCentre, LatLon{y0 + 0.010, x0 + 0.004}, 60, 150, ""),
             end(33, nav::kRunwayCentre, LatLon{y0 - 0.008, x0 - 0.004}, 60, 330, "")},
            &record));
        sms.Add(0, "KOAK Metropolitan Oakland International", record);
        record.clear();
        ASSERT_TRUE(nav::EncodeAirportRecord(nav::SmsAirportHeader{}, {}, &record));
        sms.Add(0, "0Q9 Sonoma Skypark", record);
        sms.Add(1, "OSI Woodside", nav::EncodeStationRecord(nav::SmsStationRecord{0x1390, vors[0].x, vors[0].z}));
        std::vector<std::uint32_t> entries, records;
        const nav::SmsBytes file = sms.Build(&entries, &records);
        Write("Data/Sms/flp.sms", file);

        std::vector<nav::AirportIndexRecord> airports;
        auto airport = [&](const char* ident, LatLon p, std::size_t entry) {
            nav::AirportIndexRecord a;
            a.ident = ident;
            World(p, &a.x, &a.z);
            a.entryOffset = entries[entry];
            airports.push_back(a);
        };
        airport("KSQL", kKsql, 0);
        airport("KOAK", kKoak, 1);
        airport("0Q9", kNoRunways, 2);

        std::vector<nav::IlsRecord> ils(1);
        ils[0].ident = "I-OAK";
        ils[0].frequency = 10870;
        World(kLocalizer, &ils[0].x, &ils[0].z);
        World(LatLon{kKoak.lat + 0.004, kKoak.lon + 0.010}, &ils[0].x2, &ils[0].z2);
        ils[0].flags = nav::kIlsFlag | nav::kLocalizerFlag | 0x0008;
        ils[0].course = static_cast<std::uint16_t>(270 * 65536 / 360);

        nav::NavBytes bytes;
        ASSERT_TRUE(nav::WriteVorTable(vors, &bytes));
        Write("Data/Nav/na.vor", bytes);
        bytes.clear();
        ASSERT_TRUE(nav::WriteNdbTable(ndbs, &bytes));
        Write("Data/Nav/na.ndb", bytes);
        bytes.clear();
        ASSERT_TRUE(nav::WriteWaypointTable(fixes, &bytes));
        Write("Data/Nav/na.wpt", bytes);
        bytes.clear();
        ASSERT_TRUE(nav::WriteAirportTable(airports, &bytes));
        Write("Data/Nav/na.apt", bytes);
        bytes.clear();
        ASSERT_TRUE(nav::WriteIlsTable(ils, &bytes));
        Write("Data/Nav/na.ils", bytes);
        bytes.clear();
        ASSERT_TRUE(nav::WriteAirwayTable(airways, &bytes));
        Write("Data/Nav/na.vct", bytes);

        // Outlines: a border across the bay, a coast, a lake ring and a river, with a lone and
        // a doubled pen-up.
        using P = nav::MapOutlinePoint;
        auto pt = [](double lat, double lon) {
            return P{static_cast<float>(lat), static_cast<float>(lon)};
        };
        WriteOutline("states.bin", {pt(38.2, 123.0), pt(37.6, 122.3), pt(36.8, 121.4),
                                    nav::PenUp(), nav::PenUp(), pt(37.9, 121.5),
                                    pt(37.9, 122.9)});
        WriteOutline("rcoast.bin", {pt(38.0, 122.95), pt(37.80, 122.52), pt(37.40, 122.42),
                                    pt(37.10, 122.30), nav::PenUp()});
        std::vector<P> ring;
        for (int i = 0; i < 24; ++i) {
            const double a = i * 2.0 * 3.14159265358979 / 24;
            ring.push_back(pt(37.60 + 0.03 * std::sin(a), 122.05 + 0.04 * std::cos(a)));
        }
        ring.push_back(nav::PenUp());
        WriteOutline("water.bin", ring);
        WriteOutline("dcoast.bin", {pt(38.0, 122.95), pt(37.80, 122.52), pt(37.62, 122.49),
                                    pt(37.40, 122.42), nav::PenUp(), pt(37.55, 121.7),
                                    pt(37.52, 121.95), pt(37.56, 122.1), nav::PenUp()});

        ASSERT_EQ(nav::LoadNavVors(), 1);
        ASSERT_EQ(nav::LoadNavNdbs(), 1);
        ASSERT_EQ(nav::LoadNavIls(), 1);
        ASSERT_EQ(nav::LoadNavAirports(), 1);
        ASSERT_EQ(nav::LoadNavWaypoints(), 1);
        ASSERT_EQ(nav::LoadNavAirways(), 1);
    }

    void WriteOutline(const char* name, const std::vector<nav::MapOutlinePoint>& points) {
        Write(std::string("Data/Nav/") + name, nav::EncodeMapOutline(points));
    }

    // Opens the map as the positioning dialog does, without a dialog, with the aircraft at a
    // place and heading.
    void OpenMap(LatLon aircraft = kKsql, double headingDegrees = 0.0) {
        World(aircraft, &flight::theFlightModelState.fmPosX, &flight::theFlightModelState.fmPosZ);
        flight::theFlightModelState.fmHead =
            static_cast<std::uint16_t>(std::lround(headingDegrees * 65536.0 / 360.0));
        nav::theMapView.InitForPositionAircraft();
    }
    // Shows a zoom level centred on a place.
    static void View(int zoom, LatLon centre) {
        nav::MapView& m = nav::theMapView;
        m.previousZoom = m.zoom;
        m.zoom = zoom;
        m.centreLat = centre.lat;
        m.centreLon = centre.lon;
        m.SetView(zoom, 0, 0, 0);
        m.Redraw();
    }
    static void AllLayers(bool frequencies) {
        nav::MapView& m = nav::theMapView;
        m.showAirports = m.showVors = m.showNdbs = m.showLocalizers = 1;
        m.showAirways = m.showWaypoints = m.showObstacles = 1;
        m.showFrequencies = frequencies ? 1 : 0;
    }
    // The map's picture now.
    static testsupport::IndexedImage Picture() { return PictureOf(nav::theMapView.drawingBitmap); }
    static int At(const testsupport::IndexedImage& image, int x, int y) {
        if (x < 0 || y < 0 || x >= image.width || y >= image.height) return -1;
        return image.pixels[static_cast<std::size_t>(y) * image.width + x];
    }
    // The labels draw with the faces the project's pictures were made with.
    static bool StandardFonts() {
        return win::FindFontFile("Sans Serif", false, false, 0).find("LiberationSans") !=
               std::string::npos;
    }

    platform::HeadlessBackend machine;
};

// The map's world with the program's resource pack and a parent window, for the dialogs that
// show the map; `Play` feeds steps to their loops.
class MapDialogFixture : public MapFixture {
protected:
    void SetUp() override {
        MapFixture::SetUp();
        std::string error;
        pack = core::OpenResourcePack(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack", &error);
        if (!pack) GTEST_SKIP() << "resource pack not built: " << error;
        sim::theMainWindow.resourceLibrary = pack;
        parent = win::CreateWindowEx(0, win::WC_STATIC, "", win::WS_VISIBLE, 0, 0, 640, 480, {}, {}, {}, 0);
    }
    void TearDown() override {
        sim::theMainWindow.resourceLibrary = win::HINSTANCE{};
        if (pack) win::FreeResourceLibrary(pack);
        MapFixture::TearDown();
    }
    // Plays one step each time a modal loop waits for input.
    void Play(std::deque<std::function<void()>> steps) { player_.Play(machine, std::move(steps)); }

    testsupport::StepPlayer player_;
    win::HINSTANCE pack;
    win::HWND parent;
};

}  // namespace navtest
