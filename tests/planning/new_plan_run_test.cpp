// A new plan made in the running program (menu "New Flight Plan", San Carlos to Fresno, Next
// through every page, Finish) and saved under the proposed name; the saved file read by a plain
// reader of its own, its airports checked against the public data through a second projection,
// and the log page's figures recomputed from the file: the wind triangle with the file's own
// winds (from magnetic directions) on the public data's courses, and the published cruise table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "flight/published_performance.h"
#include "nav/independent_projection.h"
#include "nav/map_palette.h"
#include "plain_ini.h"
#include "support/bmp_pixels.h"
#include "planning_run.h"

namespace {

namespace fs = std::filesystem;
using plantest::Ini;

using plantest::ReadIni;

using planningtest::ListRow;

// The text a control showed ("read 1991 Static \"111 Kts\" ...").
std::string Shown(const std::string& out, int id) {
    const std::string key = "read " + std::to_string(id) + " Static \"";
    const std::size_t at = out.find(key);
    if (at == std::string::npos) return {};
    return out.substr(at + key.size(), out.find('"', at + key.size()) - at - key.size());
}

// Bilinear in the published table: the two altitudes and two powers around the point, each
// held to the table's edges.
void Cruise(int type, double altitude, double power, double* tas, double* flow) {
    const flight::PublishedPerformance& p = flight::PublishedPerformanceForType(type);
    std::vector<int> alts, powers;
    for (const flight::CruisePoint& c : p.cruise) {
        alts.push_back(c.altitudeFeet);
        powers.push_back(c.powerPercent);
    }
    auto axis = [](std::vector<int>& v, double x, double* lo, double* hi) {
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
        x = std::clamp(x, static_cast<double>(v.front()), static_cast<double>(v.back()));
        *lo = *hi = v.front();
        for (int a : v) {
            if (a <= x) *lo = a;
            if (a >= x) {
                *hi = a;
                break;
            }
        }
        return x;
    };
    double a0, a1, p0, p1;
    const double a = axis(alts, altitude, &a0, &a1), w = axis(powers, power, &p0, &p1);
    auto at = [&](double alt, double pw, bool wantFlow) {
        for (const flight::CruisePoint& c : p.cruise)
            if (c.altitudeFeet == alt && c.powerPercent == pw) return wantFlow ? c.fuelFlow : c.trueAirspeedKnots;
        return 0.0;
    };
    auto mix = [](double lo, double hi, double v0, double v1, double x) {
        return hi == lo ? v0 : v0 + (v1 - v0) * (x - lo) / (hi - lo);
    };
    for (bool wantFlow : {false, true}) {
        const double low = mix(p0, p1, at(a0, p0, wantFlow), at(a0, p1, wantFlow), w);
        const double high = mix(p0, p1, at(a1, p0, wantFlow), at(a1, p1, wantFlow), w);
        (wantFlow ? *flow : *tas) = mix(a0, a1, low, high, a);
    }
}

class NewPlanRun : public planningtest::ScriptRun {
protected:
    NewPlanRun() : ScriptRun("zephlon-newplan") {}
};

TEST_F(NewPlanRun, SanCarlosToFresnoIsPlannedFinishedAndSaved) {
    // The installation's sample of the same name would otherwise be asked about.
    fs::remove(dir.Path("FlightPlans/KSQLtoKFAT.Pln"));
    const testsupport::CommandResult r = Play("new_plan.simrun");
    if (const char* keep = std::getenv("ZEPHLON_KEEP_RUN")) {
        std::ofstream(std::string(keep) + "/trace.txt") << r.out;
        std::error_code kept;
        for (const char* shot : {"route.bmp", "departure.bmp", "map.bmp", "weather.bmp", "log.bmp"})
            fs::copy_file(dir.Path(shot), fs::path(keep) / shot, fs::copy_options::overwrite_existing, kept);
    }
    ASSERT_EQ(r.status, 0) << r.out;
    // The route page's starting values, and the route the map page built with Panoche added.
    EXPECT_NE(r.out.find("read 1783 Edit \"5000 ft\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("read 1962 Edit \"70%\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("read 1914 ComboBox \"KSQL\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("plan: added PXN (3 nodes)"), std::string::npos) << r.out;
    // Finish made it the active, unsaved plan: the aircraft's flight was loaded again.
    const std::size_t finished = r.out.find("plan: new KSQLtoKFAT.Pln (3 nodes)");
    ASSERT_NE(finished, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("flight: loaded", finished), std::string::npos) << r.out;

    // The map shows the route: its two legs drawn in the route colour between the stations.
    std::ifstream shot(dir.Path("map.bmp"), std::ios::binary);
    const std::string bmp((std::istreambuf_iterator<char>(shot)), std::istreambuf_iterator<char>());
    const std::uint32_t routeColour = nav::MapPaletteColours()[nav::kMapRouteColour] & 0xFFFFFF;
    int routePixels = 0;
    for (int y = 60; y < 350; ++y)
        for (int x = 55; x < 545; ++x) routePixels += testsupport::PixelAt(bmp, x, y) == routeColour ? 1 : 0;
    EXPECT_GT(routePixels, 150);

    const fs::path saved = dir.Path("FlightPlans/KSQLtoKFAT.Pln");
    ASSERT_TRUE(fs::exists(saved)) << r.out;
    Ini ini = ReadIni(saved);
    ASSERT_EQ(ini["Settings"]["stCount"], "3");
    std::map<std::string, std::vector<std::string>> airports, vors;
    for (const auto& row : navtest::ReadNavCsv("airport.csv")) airports[row[0]] = row;
    for (const auto& row : navtest::ReadNavCsv("vor.csv")) vors.emplace(row[0], row);
    constexpr int kNodes = 3;
    const char* idents[kNodes] = {"KSQL", "PXN", "KFAT"};
    double lat[kNodes], lon[kNodes];
    std::int32_t x[kNodes], z[kNodes];
    for (int i = 0; i < kNodes; ++i) {
        const std::string n = std::to_string(i);
        ASSERT_EQ(ini["Points"]["ptIdent" + n], idents[i]);
        const bool airport = i != 1;
        EXPECT_EQ(ini["Points"]["ptType" + n], airport ? "1" : "2");
        x[i] = std::stoi(ini["Points"]["ptX" + n]);
        z[i] = std::stoi(ini["Points"]["ptY" + n]);
        navtest::WorldToGeographic(x[i], z[i], &lat[i], &lon[i]);
        const auto& a = airport ? airports.at(idents[i]) : vors.find(idents[i])->second;
        const int latAt = airport ? 4 : 2, elevAt = airport ? 3 : 4;
        EXPECT_LT(navtest::Metres(lat[i], lon[i], std::stod(a[latAt]), std::stod(a[latAt + 1])), 2 * 1852.0) << idents[i];
        EXPECT_NEAR(std::stoi(ini["Points"]["ptElev" + n]), std::stoi(a[elevAt]), 60) << idents[i];
    }

    const int type = std::stoi(ini["Settings"]["stAirc"]);
    const int altitude = std::stoi(ini["Settings"]["stAlt"]), power = std::stoi(ini["Settings"]["stPower"]);
    EXPECT_EQ(Shown(r.out, 1989), std::to_string(altitude));
    EXPECT_EQ(Shown(r.out, 1990), std::to_string(power) + " %");
    double tas = 0, flow = 0;
    Cruise(type, altitude, power, &tas, &flow);
    EXPECT_NEAR(std::stoi(Shown(r.out, 1991)), tas, 1.0);

    // Each leg of the log page against the file: its distance, the wind triangle with the wind
    // of the station whose area holds the leg's first node (the departure's within its radius of
    // the first node, the destination's within its radius of the last, else the en-route one)
    // in the band around the cruise altitude, the magnetic heading and the fuel.
    auto env = [&](const std::string& key) { return std::stod(ini["Environ"][key]); };
    auto nm = [&](int a, int b) { return std::hypot(x[b] - x[a], z[b] - z[a]) * 2.110635843197466e-6; };
    const double rad = navtest::kPi / 180.0;
    double total = 0, fuel = 0;
    for (int i = 0; i + 1 < kNodes; ++i) {
        SCOPED_TRACE(idents[i]);
        const std::vector<std::string> leg = ListRow(r.out, 79, i);
        ASSERT_EQ(leg.size(), 9u) << r.out;
        EXPECT_EQ(leg[0], idents[i]);
        const double miles = nm(i, i + 1);
        total += miles;
        EXPECT_NEAR(std::stoi(leg[4]), miles, 0.6);
        EXPECT_NEAR(miles, navtest::Metres(lat[i], lon[i], lat[i + 1], lon[i + 1]) / 1852.0, miles * 0.015);

        const std::string s = env("enDepRad") > nm(0, i) ? "enDp" : env("enDestRad") > nm(i, kNodes - 1) ? "enDs" : "enEr";
        const char* bands[4] = {"Ws", "W1", "W2", "W3"};
        int band = 3;
        for (int b = 0; b < 3; ++b)
            if (static_cast<int>(env(s + bands[b] + "Top") * 3.2808) > altitude) {
                band = b;
                break;
            }
        const double windFrom = std::round(env(s + bands[band] + "Dir") * 360.0 / 65536.0 / 10.0) * 10.0;
        const double windSpeed = env(s + bands[band] + "Vel");
        // The wind blows from a magnetic direction, as the world's weather applies it, so the
        // triangle is worked on the magnetic course: the great-circle course between the two
        // places less the variation the public data gives the VOR nearest the leg's start.
        const double trueCourse =
            std::atan2(std::sin((lon[i + 1] - lon[i]) * rad) * std::cos(lat[i + 1] * rad),
                       std::cos(lat[i] * rad) * std::sin(lat[i + 1] * rad) -
                           std::sin(lat[i] * rad) * std::cos(lat[i + 1] * rad) * std::cos((lon[i + 1] - lon[i]) * rad)) /
            rad;
        double variation = 0, nearest = 1e12;
        for (const auto& [ident, v] : vors)
            if (const double m = navtest::Metres(lat[i], lon[i], std::stod(v[2]), std::stod(v[3])); m < nearest) {
                nearest = m;
                variation = std::stod(v[7]);
            }
        const double course = trueCourse - variation;
        const double d = (course - windFrom) * rad;
        const double cross = windSpeed * std::sin(d);
        const double gs = std::sqrt(tas * tas - cross * cross) - windSpeed * std::cos(d);
        EXPECT_NEAR(std::stoi(leg[3]), gs, 1.5);
        EXPECT_NEAR(std::stoi(leg[2]), -windSpeed * std::cos(d),
                    1.5);  // the log rounds x + 0.5 toward 0
        // The magnetic heading: that course turned by the wind correction angle (a wind from
        // the right turns the nose right).
        const double correctionAngle = -std::asin(std::clamp(cross / tas, -1.0, 1.0)) / rad;
        const double magnetic = std::fmod(course + correctionAngle + 720.0, 360.0);
        EXPECT_NEAR(std::stoi(leg[1]), magnetic, 2.5) << "true course " << trueCourse << ", variation " << variation;
        // Fuel: hours at that ground speed times the published flow.
        EXPECT_NEAR(std::stod(leg[7]), miles / gs * flow, 0.25);
        fuel += miles / gs * flow;
    }
    EXPECT_EQ(ListRow(r.out, 79, kNodes - 1).at(0), "KFAT");
    EXPECT_NEAR(std::stoi(Shown(r.out, 2008)), total, 1.0);
    EXPECT_NEAR(std::stod(Shown(r.out, 2013)), fuel, 0.3);

    // The pages the user saw were written out.
    for (const char* shot : {"route.bmp", "departure.bmp", "map.bmp", "weather.bmp", "log.bmp"})
        EXPECT_TRUE(fs::exists(dir.Path(shot))) << shot;
}

}  // namespace
