// Where places fall on the screen in the running program: the first flight (Startup.Flt, on the
// centre line of KSQL runway 30, 40 m past the threshold, facing the far end), asked through
// simrun's `project` in the plain forward view, the full-panel view and SkyCam. The places and
// the expected pixels are the test's own computation from the public runway ends in data/, on
// the WGS 84 ellipsoid; nothing is taken from the program but what it prints.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;
constexpr double kFeetPerMetre = 1.0 / 0.3048;

struct Geo {
    double lat = 0, lon = 0;  // degrees, east positive
};
struct Local {
    double east = 0, north = 0;  // metres from a reference point
};

// A flat frame round a reference point, with the ellipsoid's radii of curvature there: exact
// enough over a kilometre for angles to a hundredth of a degree.
struct Frame {
    Geo origin;
    double m = 0, n = 0;  // meridian and prime-vertical radii
    explicit Frame(Geo o) : origin(o) {
        const double a = 6378137.0, f = 1 / 298.257223563, e2 = f * (2 - f);
        const double s = std::sin(o.lat * kPi / 180);
        const double w = 1 - e2 * s * s;
        m = a * (1 - e2) / std::pow(w, 1.5);
        n = a / std::sqrt(w);
    }
    [[nodiscard]] Local ToLocal(Geo p) const {
        return Local{(p.lon - origin.lon) * kPi / 180 * n * std::cos(origin.lat * kPi / 180),
                     (p.lat - origin.lat) * kPi / 180 * m};
    }
    [[nodiscard]] Geo ToGeo(Local l) const {
        return Geo{origin.lat + l.north / m * 180 / kPi,
                   origin.lon + l.east / (n * std::cos(origin.lat * kPi / 180)) * 180 / kPi};
    }
};

// The two ends of a runway from data/navdata-us/runway.csv: the named end first.
bool RunwayEnds(const std::string& icao, const std::string& end, Geo* named, Geo* far) {
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/data/navdata-us/runway.csv");
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::stringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');)
            f.push_back(cell);
        if (f.size() < 10 || f[0] != icao) continue;
        const Geo one{std::stod(f[4]), std::stod(f[5])}, two{std::stod(f[8]), std::stod(f[9])};
        if (f[3] == end) {
            *named = one;
            *far = two;
            return true;
        }
        if (f[7] == end) {
            *named = two;
            *far = one;
            return true;
        }
    }
    return false;
}

struct Projected {
    bool behind = false;
    double x = 0, y = 0;
};

std::vector<Projected> Projections(const std::string& out) {
    std::vector<Projected> all;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        const std::size_t at = line.find("] project ");
        if (at == std::string::npos) continue;
        Projected p;
        p.behind = line.find("behind", at) != std::string::npos;
        if (!p.behind) {
            p.x = std::stod(line.substr(line.find("x=", at) + 2));
            p.y = std::stod(line.substr(line.find("y=", at) + 2));
        }
        all.push_back(p);
    }
    return all;
}

double Field(const std::string& out, const std::string& name) {
    const std::size_t at = out.find(" " + name + "=");
    return at == std::string::npos ? std::nan("") : std::stod(out.substr(at + name.size() + 2));
}

std::string Place(Geo g, double feet) {
    char text[96];
    std::snprintf(text, sizeof text, "project %.9f %.9f %.3f\n", g.lat, g.lon, feet);
    return text;
}

class CameraProjection : public ::testing::Test {
protected:
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        if (!fs::exists(bin) || !fs::exists(install / "Flights"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
        for (const fs::directory_entry& e : fs::directory_iterator(install))
            if (e.is_directory())
                testsupport::PlaceStarterFolder(e.path(), dir.Root());
    }
    std::string Run(const std::string& name, const std::string& script) {
        // A fresh settings file for each run: the pilot chosen, the views at their defaults.
        std::error_code ignored;
        fs::remove(dir.Path("Zephlon.ini"), ignored);
        dir.Write(name, script);
        const testsupport::CommandResult r =
            testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path(name) + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
        return r.out;
    }
    testsupport::TempFolder dir{"zephlon-project"};
    std::string bin;
};

TEST_F(CameraProjection, PlacesFallWhereTheViewPutsThemWithSquarePixels) {
    Geo threshold, farEnd;
    ASSERT_TRUE(RunwayEnds("KSQL", "30", &threshold, &farEnd));
    const Frame frame(threshold);
    const Local towardFar = frame.ToLocal(farEnd);
    const double length = std::hypot(towardFar.east, towardFar.north);
    // The aircraft: 40 m past the threshold on the centre line.
    const Local aircraft{towardFar.east * 40 / length, towardFar.north * 40 / length};
    const Local d{towardFar.east - aircraft.east, towardFar.north - aircraft.north};
    const double distance = std::hypot(d.east, d.north);
    const double angle = 8 * kPi / 180;
    auto turned = [&](double a) {  // clockwise (to the right) by a
        return frame.ToGeo(Local{aircraft.east + d.east * std::cos(a) + d.north * std::sin(a),
                                 aircraft.north - d.east * std::sin(a) + d.north * std::cos(a)});
    };
    const Geo right = turned(angle), left = turned(-angle);
    const double rise = distance * std::tan(angle) * kFeetPerMetre;
    const Geo behind = frame.ToGeo(Local{aircraft.east - d.east, aircraft.north - d.north});
    std::string places = Place(farEnd, 0) + Place(right, 0) + Place(left, 0) +
                         Place(farEnd, rise) + Place(farEnd, -rise);

    const std::string out = Run("views.txt", "wait 2000\nmenu 1666\nwait 300\nreport view ac_z\n" +
                                                 places + Place(behind, 0) +
                                                 "menu 1663\nwait 300\nreport view\n" + places +
                                                 "menu 1929\nwait 300\nreport view\n" + places +
                                                 "quit\n");
    const std::vector<Projected> p = Projections(out);
    ASSERT_EQ(p.size(), 16u) << out;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(p[static_cast<std::size_t>(i)].behind, i == 5) << i << "\n" << out;
    EXPECT_NE(out.find("report view=3 ac_z="), std::string::npos) << out;
    EXPECT_NE(out.find("report view=0"), std::string::npos) << out;
    EXPECT_NE(out.find("report view=4"), std::string::npos) << out;

    // Plain forward view: the far end straight ahead on the centre column, the side places
    // tan(8 deg) x f either way, f = 639 / 80 x 128 pixels per unit of width at unit depth.
    const double f = 639.0 / 80.0 * 128.0;
    EXPECT_NEAR(p[0].x, 319.5, 1.0);
    EXPECT_NEAR(p[1].x - 319.5, std::tan(angle) * f, 0.01 * std::tan(angle) * f);
    EXPECT_NEAR(319.5 - p[2].x, std::tan(angle) * f, 0.01 * std::tan(angle) * f);
    // Square pixels: half the rise between the places above and below the far end equals half
    // the spread between the side places, in the plain view (set 0), the full-panel view
    // (set 1) and SkyCam (set 2).
    for (std::size_t set : {0u, 1u, 2u}) {
        const std::size_t b = set == 0 ? 0 : (set == 1 ? 6 : 11);
        const double across = (p[b + 1].x - p[b + 2].x) / 2;
        const double upDown = (p[b + 4].y - p[b + 3].y) / 2;
        EXPECT_GT(across, 100.0) << set;
        EXPECT_NEAR(upDown / across, 1.0, 0.03) << "view set " << set << "\n" << out;
        EXPECT_NEAR(p[b].x, 319.5, 1.0) << set;
    }

    // SkyCam looks at the aircraft: at its place and height it lands on the screen's centre.
    const double aircraftFeet = Field(out, "ac_z") * 1.2890625;
    ASSERT_TRUE(std::isfinite(aircraftFeet)) << out;
    const std::string sky = Run("skycam.txt", "wait 2000\nmenu 1929\nwait 300\n" +
                                                  Place(frame.ToGeo(aircraft), aircraftFeet) + "quit\n");
    const std::vector<Projected> centre = Projections(sky);
    ASSERT_EQ(centre.size(), 1u) << sky;
    EXPECT_NEAR(centre[0].x, 319.5, 1.0) << sky;
    EXPECT_NEAR(centre[0].y, 239.5, 1.0) << sky;
}

}  // namespace
