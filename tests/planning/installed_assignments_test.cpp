// The twenty cross-country assignments of the starter installation, read by a plain reader and
// checked against the public data through a second projection: towered airports 50 to 300 nm
// apart, stations where the data puts them and on the low airways, a short briefing each; then
// read by the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "nav/independent_projection.h"
#include "planning/cross_country.h"
#include "sim/planning_host.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> Points(const fs::path& path, int* count) {
    std::map<std::string, std::string> keys;
    std::ifstream in(path);
    std::string section;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 2 && line.front() == '[') section = line.substr(1, line.size() - 2);
        else if (const auto eq = line.find('='); eq != std::string::npos)
            keys[section + "." + line.substr(0, eq)] = line.substr(eq + 1);
    }
    *count = keys.count("Settings.stCount") ? std::stoi(keys["Settings.stCount"]) : 0;
    return keys;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(InstalledAssignments, TwentyRoutesBetweenToweredAirportsAlongTheAirways) {
    const fs::path install = testsupport::StarterRun::Install();
    const fs::path folder = install / "FlightPlans" / "Assign";
    if (!fs::exists(folder)) GTEST_SKIP() << "the starter installation is not built";
    // ident -> rows (lat, lon, elevation, towered) by kind.
    struct Place {
        double lat, lon, feet;
        bool towered;
    };
    std::map<int, std::multimap<std::string, Place>> data;
    for (const auto& r : navtest::ReadNavCsv("airport.csv"))
        data[1].emplace(r[0], Place{std::stod(r[4]), std::stod(r[5]), std::stod(r[3]), r[6] == "1"});
    for (const auto& r : navtest::ReadNavCsv("vor.csv"))
        data[2].emplace(r[0], Place{std::stod(r[2]), std::stod(r[3]), std::stod(r[4]), false});
    for (const auto& r : navtest::ReadNavCsv("ndb.csv"))
        data[3].emplace(r[0], Place{std::stod(r[2]), std::stod(r[3]), std::stod(r[4]), false});
    std::set<std::string> onAirways;
    for (const auto& r : navtest::ReadNavCsv("airway_segment.csv"))
        if (r[6] == "low") {
            onAirways.insert(r[0]);
            onAirways.insert(r[3]);
        }

    int ndbs = 0;
    double west = 0, east = -180;
    for (int n = 1; n <= planning::kAssignmentCount; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "xc%02d", n);
        SCOPED_TRACE(name);
        int count = 0;
        auto keys = Points(folder / (std::string(name) + ".Pln"), &count);
        ASSERT_GE(count, 3);
        const std::string briefing = ReadAll(folder / (std::string(name) + ".txt"));
        EXPECT_LE(briefing.size(), planning::kMaxBriefing);
        for (const char* part : {"Purpose:", "Route:", "Watch:"})
            EXPECT_NE(briefing.find(part), std::string::npos) << part;
        double first[2] = {0, 0};
        for (int i = 0; i < count; ++i) {
            const std::string k = std::to_string(i);
            const std::string ident = keys["Points.ptIdent" + k];
            const int kind = std::stoi(keys["Points.ptType" + k]);
            SCOPED_TRACE(ident);
            const bool end = i == 0 || i == count - 1;
            EXPECT_EQ(kind == 1, end);
            double lat = 0, lon = 0;
            navtest::WorldToGeographic(std::stoi(keys["Points.ptX" + k]),
                                       std::stoi(keys["Points.ptY" + k]), &lat, &lon);
            // The nearest row of the ident is the station.
            const auto [b, e] = data[kind].equal_range(ident);
            ASSERT_NE(b, e);
            const Place* p = &b->second;
            for (auto it = b; it != e; ++it)
                if (navtest::Metres(lat, lon, it->second.lat, it->second.lon) <
                    navtest::Metres(lat, lon, p->lat, p->lon))
                    p = &it->second;
            EXPECT_LT(navtest::Metres(lat, lon, p->lat, p->lon), 2 * 1852.0);
            EXPECT_NEAR(std::stoi(keys["Points.ptElev" + k]), p->feet, 60.0);
            if (end) {
                EXPECT_TRUE(p->towered);
            } else {
                EXPECT_TRUE(onAirways.count(ident)) << "not on a low airway";
                ndbs += kind == 3;
            }
            if (i == 0) {
                first[0] = lat;
                first[1] = lon;
                west = std::min(west, lon);
                east = std::max(east, lon);
            } else if (i == count - 1) {
                const double miles = navtest::Metres(first[0], first[1], lat, lon) / 1852.0;
                EXPECT_GE(miles, 50.0);
                EXPECT_LE(miles, 300.0);
            }
        }
    }
    EXPECT_GE(ndbs, 2);
    EXPECT_GT(east - west, 40.0) << "the assignments span the country";

    // The program reads every one whole, with its briefing, through its own host (which says
    // which files may be read).
    sim::InstallPlanningHost();
    testsupport::ScopedCurrentFolder here(install.string());
    planning::LoadAssignments();
    for (int i = 0; i < planning::kAssignmentCount; ++i) {
        const planning::FlightPlan& plan = planning::theAssignments[static_cast<std::size_t>(i)];
        EXPECT_GE(plan.nodeCount, 3) << i;
        EXPECT_FALSE(plan.description.empty()) << i;
        EXPECT_EQ(plan.active, 0) << i;
    }
}

}  // namespace
