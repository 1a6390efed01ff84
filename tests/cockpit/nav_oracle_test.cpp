// The receivers against an outside oracle: VOR-DMEs of the starter installation's database, the
// aircraft placed round them, and each radial and DME slant range compared with a great-circle
// computation from the stations' public coordinates, elevations and published variations. The
// world grid's variation and convergence tiles under each station are written by the test (the
// variation as published, the convergence measured through a second projection), so the check
// holds whatever grids the installation ships.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/gauges.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/panel_services.h"
#include "cockpit/radio_words.h"
#include "core/endian.h"
#include "core/resource_volume.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "nav/independent_projection.h"
#include "nav/lat_lon.h"
#include "nav/nav_database.h"
#include "nav/variation_lookup.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"
#include "world/scenery_state.h"
#include "world/terrain_services.h"

namespace {

namespace fs = std::filesystem;

constexpr double kPi = navtest::kPi;

double Wrap180(double d) {
    return std::remainder(d, 360.0);
}

using navtest::GcBearing;

// The point `metres` from a place along a true bearing, on the sphere.
void Destination(double lat, double lon, double bearing, double metres, double* outLat,
                 double* outLon) {
    const double r = kPi / 180.0, d = metres / 6371008.8;
    const double p = std::asin(std::sin(lat * r) * std::cos(d) +
                               std::cos(lat * r) * std::sin(d) * std::cos(bearing * r));
    const double l = lon * r + std::atan2(std::sin(bearing * r) * std::sin(d) * std::cos(lat * r),
                                          std::cos(d) - std::sin(lat * r) * std::sin(p));
    *outLat = p / r;
    *outLon = l / r;
}

std::string UniformTile(double degrees) {
    const auto v = static_cast<std::uint16_t>(std::lround(degrees * 65536.0 / 360.0) & 0xFFFF);
    std::string bytes(nav::kGridTileBytes, '\0');
    for (int i = 0; i < nav::kGridTileSide * nav::kGridTileSide; ++i)
        core::WriteU16(reinterpret_cast<std::uint8_t*>(bytes.data()) + 2 * i, v);
    return bytes;
}

int theType = 0;
int TypeOf() {
    return theType;
}

class NavOracle : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path volume = fs::path(ZEPHLON_BINARY_DIR) / "install" / "Data" / "Data.Vol";
        if (!fs::exists(volume)) GTEST_SKIP() << "the starter installation is not built";
        for (const char* f : {"Data/Mag", "Data/Nor"})
            folder.MakeFolders(f);
        fs::create_symlink(volume, fs::path(folder.Root()) / "Data" / "Data.Vol");
        here = std::make_unique<testsupport::ScopedCurrentFolder>(folder.Root());
        platform::ForgetFolderListings();
        core::OpenGlobalVolumes();
        nav::theNavDatabase.Clear();
        nav::ResetNavReception();
        nav::ForgetGridTiles();
        ASSERT_EQ(nav::LoadNavVors(), 1);
        flight::theAircraftServices.aircraftType = &TypeOf;
        cockpit::ResetCockpitServices();
        cockpit::theMasterSwitch.switchState = cockpit::theAvionicsSwitch.switchState = 1;
        cockpit::theDmeSource.dmeN1 = 1;
        world::theTerrainDatum = 0;
    }
    void TearDown() override {
        core::CloseGlobalVolumes();
        here.reset();
        platform::ForgetFolderListings();
        nav::ForgetGridTiles();
        nav::theNavDatabase.Clear();
        nav::ResetNavReception();
        flight::theAircraftServices = flight::DefaultAircraftServices();
        cockpit::ResetCockpitServices();
        flight::theFlightModelState = flight::FlightModelState{};
    }
    testsupport::TempFolder folder{"zephlon-navoracle"};
    std::unique_ptr<testsupport::ScopedCurrentFolder> here;
};

TEST_F(NavOracle, RadialsAndSlantRangesOfRealStations) {
    // VOR-DMEs and VORTACs across the country, one per grid tile.
    const std::set<std::string> wanted = {"OAK", "ABR", "ABI", "BOS", "DEN", "SEA", "MEM", "ORL"};
    struct Vor {
        std::string ident;
        double lat, lon, elevationFt, variation;
        int code;
    };
    std::vector<Vor> vors;
    std::set<std::pair<int, int>> tiles;
    for (const auto& r : navtest::ReadNavCsv("vor.csv")) {
        if (r.size() < 9 || wanted.count(r[0]) == 0 || r[8] == "VOR") continue;
        Vor v{r[0],           std::stod(r[2]), std::stod(r[3]), std::stod(r[4]), std::stod(r[7]),
              std::stoi(r[5])};
        std::int32_t x = 0, z = 0;
        nav::LatLonToWorld(&x, &z, v.lat, -v.lon);
        std::uint16_t column = 0, row = 0;
        std::uint32_t ox = 0, oz = 0;
        nav::WorldToGridTile(x, z, &column, &row, &ox, &oz);
        if (!tiles.insert({column, row}).second) continue;
        // The direction of grid north at the station, measured through the second projection.
        double nLat = 0, nLon = 0, sLat = 0, sLon = 0;
        navtest::WorldToGeographic(x, z, &sLat, &sLon);
        navtest::WorldToGeographic(x, z + 256 * 1000, &nLat, &nLon);
        const double gridNorth = GcBearing(sLat, sLon, nLat, nLon);
        folder.Write("Data/Mag/" + nav::MagTileName(column, row), UniformTile(v.variation));
        folder.Write("Data/Nor/" + nav::NorTileName(column, row), UniformTile(-gridNorth));
        vors.push_back(v);
    }
    platform::ForgetFolderListings();
    ASSERT_GE(vors.size(), 5u);

    flight::FlightModelState& s = flight::theFlightModelState;
    int checked = 0;
    for (const Vor& v : vors) {
        for (const double bearing : {20.0, 135.0, 250.0}) {
            for (const double nm : {6.0, 22.0}) {
                const double feet = v.elevationFt + 7000.0;
                double lat = 0, lon = 0;
                Destination(v.lat, v.lon, bearing, nm * 1852.0, &lat, &lon);
                nav::LatLonToWorld(&s.fmPosX, &s.fmPosZ, lat, -lon);
                s.fmPosY = static_cast<std::int32_t>(feet * 0.3048 * 256.0);
                navtest::WorldToGeographic(s.fmPosX, s.fmPosZ, &lat, &lon);
                cockpit::SetActiveFrequency(cockpit::Radio::Nav1,
                                            static_cast<std::int16_t>(v.code / 100 - 100),
                                            static_cast<std::int16_t>(v.code % 100));
                ASSERT_EQ(nav::theNav1Station.ident, v.ident);
                for (int u = 0; u < 12; ++u)
                    cockpit::UpdateNavRadios();
                const double radial = cockpit::theNavReceiverOutputs[0].radial * 360.0 / 65536.0;
                const double expected = GcBearing(v.lat, v.lon, lat, lon) - v.variation;
                EXPECT_LT(std::fabs(Wrap180(radial - expected)), 0.5)
                    << v.ident << " " << bearing << " " << nm << ": " << radial << " " << expected;
                const double ground = navtest::Metres(v.lat, v.lon, lat, lon) / 1852.0;
                const double height = (feet - v.elevationFt) / 6076.12;
                const double slant = std::hypot(ground, height);
                const double dme = cockpit::theDmeRadio.dmeDigits[0] / 10.0;
                EXPECT_LT(std::fabs(dme + 0.05 - slant), std::max(0.01 * slant, 0.1))
                    << v.ident << " " << bearing << " " << nm << ": " << dme << " " << slant;
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, static_cast<int>(vors.size()) * 6);
}

}  // namespace
