// The sample plans of the starter installation, read by a plain reader of their own and
// checked against the public data through a second projection, then read by the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "core/ini_file.h"
#include "nav/independent_projection.h"
#include "planning/planning_services.h"
#include "plain_ini.h"
#include "support/starter_run.h"

namespace {

namespace fs = std::filesystem;

// section -> key -> value, keys as written.
using plantest::ReadIni;

TEST(InstalledPlans, StationsLieWhereThePublicDataPutsThem) {
    const fs::path folder = testsupport::StarterRun::Install() / "FlightPlans";
    if (!fs::exists(folder)) GTEST_SKIP() << "the starter installation is not built";
    std::map<std::string, std::vector<std::string>> airports, vors;
    for (const auto& r : navtest::ReadNavCsv("airport.csv"))
        airports[r[0]] = r;
    for (const auto& r : navtest::ReadNavCsv("vor.csv"))
        vors.emplace(r[0], r);

    struct Expected {
        const char* file;
        int nodes;
        double maxMiles;  // the route's length, great-circle legs
        int highestFt;
    };
    for (const Expected& e : {Expected{"KSQLtoKFAT.Pln", 5, 300, 2060},
                              Expected{"KSQLtoKMRY.Pln", 4, 100, 257},
                              Expected{"KAPAtoKLXV.Pln", 4, 300, 9927},
                              Expected{"CaliforniaTour.Pln", 64, 5000, 99999}}) {
        SCOPED_TRACE(e.file);
        auto ini = ReadIni(folder / e.file);
        ASSERT_EQ(std::stoi(ini["Settings"]["stCount"]), e.nodes);
        EXPECT_EQ(ini["Points"].size(), 6u * e.nodes);
        EXPECT_EQ(ini["Environ"].size(), 83u);
        double miles = 0, lastLat = 0, lastLon = 0;
        int highest = 0;
        for (int i = 0; i < e.nodes; ++i) {
            const std::string n = std::to_string(i);
            const std::string ident = ini["Points"]["ptIdent" + n];
            const int kind = std::stoi(ini["Points"]["ptType" + n]);
            ASSERT_EQ(kind, i == 0 || i == e.nodes - 1 ? 1 : 2) << ident;
            const auto& row = kind == 1 ? airports[ident] : vors[ident];
            ASSERT_FALSE(row.empty()) << ident;
            double lat = 0, lon = 0;
            navtest::WorldToGeographic(std::stoi(ini["Points"]["ptX" + n]),
                                       std::stoi(ini["Points"]["ptY" + n]), &lat, &lon);
            const double wantLat = std::stod(kind == 1 ? row[4] : row[2]);
            const double wantLon = std::stod(kind == 1 ? row[5] : row[3]);
            const double wantFt = std::stod(kind == 1 ? row[3] : row[4]);
            EXPECT_LT(navtest::Metres(lat, lon, wantLat, wantLon), 2 * 1852.0) << ident;
            const int elevation = std::stoi(ini["Points"]["ptElev" + n]);
            EXPECT_NEAR(elevation, wantFt, 60.0) << ident;
            highest = std::max(highest, elevation);
            if (i > 0) miles += navtest::Metres(lastLat, lastLon, lat, lon) / 1852.0;
            lastLat = lat;
            lastLon = lon;
        }
        EXPECT_LT(miles, e.maxMiles);
        if (e.highestFt != 99999) {
            EXPECT_EQ(highest, e.highestFt);
        }

        // And the program reads it as a whole plan.
        planning::FlightPlan plan;
        core::IniFile file((folder / e.file).string().c_str());
        EXPECT_EQ(plan.ReadSections(file), 1);
        EXPECT_EQ(plan.nodeCount, e.nodes);
    }
}

}  // namespace
