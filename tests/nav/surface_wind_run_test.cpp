// The surface wind at fields from the coast to nearly 10,000 ft, in the running program: a pilot
// sets a wind across the runway in the Surface Conditions dialog and starts on base (which is not
// crabbed: on final the start turns into the wind) at each field with the airports wizard. Below
// 1,500 ft above the ground the set wind blows whatever the field's height; the push it gives is
// the difference of the ground covered hands off between the windy flight and a calm one from the
// same start, from the saved places against the public runway.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "independent_projection.h"
#include "script_run.h"

namespace {

using navtest::kPi;

struct Field {
    const char* airport;
    const char* end;
};
// San Francisco by the bay, Salt Lake City, Albuquerque, Denver, Aspen and Leadville.
constexpr Field kFields[] = {{"KSFO", "28L"}, {"KSLC", "16L"}, {"KABQ", "8"},
                             {"KDEN", "16R"}, {"KASE", "15"},  {"KLXV", "16"}};
constexpr int kWindKnots = 25;
constexpr int kPlaces = 7;  // 2 seconds apart

struct Runway {
    double field = 0, lat = 0, lon = 0, course = 0;
};

// The data's "08" is the runway list's "8".
bool SameEnd(std::string data, const std::string& listed) {
    if (data.size() > 1 && data[0] == '0') data.erase(0, 1);
    return data == listed;
}

Runway Find(const Field& f) {
    Runway r;
    for (const auto& a : navtest::ReadNavCsv("airport.csv"))
        if (a[0] == f.airport) r.field = std::stod(a[3]);
    for (const auto& rw : navtest::ReadNavCsv("runway.csv")) {
        if (rw.size() < 11 || rw[0] != f.airport) continue;
        const bool first = SameEnd(rw[3], f.end);
        if (!first && !SameEnd(rw[7], f.end)) continue;
        r.lat = std::stod(first ? rw[4] : rw[8]);
        r.lon = std::stod(first ? rw[5] : rw[9]);
        r.course = navtest::GcBearing(r.lat, r.lon, std::stod(first ? rw[8] : rw[4]),
                                      std::stod(first ? rw[9] : rw[5]));
    }
    return r;
}

// The magnetic direction a wind blows from across the runway from the right: its number's
// heading and 90 degrees.
int CrosswindFrom(const Field& f) {
    const int heading = std::atoi(f.end) * 10 + 90;
    return heading > 360 ? heading - 360 : heading;
}

class SurfaceWind : public navtest::ScriptRun {
protected:
    struct Sample {
        double feet;  // above sea level
        Saved at;
    };
    // Every field's final in one run, the crosswind set (or calm) before the first; the places
    // of each, `kPlaces` of them from 4 seconds after the start.
    std::vector<std::vector<Sample>> Fly(bool windy) {
        std::string script = "frame-interval 500\nwait 300\n";
        for (std::size_t n = 0; n < std::size(kFields); ++n) {
            const Field& f = kFields[n];
            script += "menu 342\ndialog \"Surface Conditions\"\nset 1768 " +
                      std::to_string(CrosswindFrom(f)) + "\nset 1769 " +
                      (windy ? std::to_string(kWindKnots) : "0") + "\nclick 1\nwait 40000\n";
            script += "menu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(" + std::string(f.airport) +
                      ")\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nset 1059 \"" +
                      f.end +
                      "\"\nset 1958 \"On base leg\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\n"
                      "wait 4000\n";
            for (int i = 0; i < kPlaces; ++i)
                script += "report alt_ft\nsave " + dir.Path(Name(windy, n, i)) + "\nwait 2000\n";
        }
        const auto r = run.Play(script + "quit\n");
        EXPECT_EQ(r.status, 0) << r.out;
        std::vector<std::vector<Sample>> flights(std::size(kFields));
        std::size_t at = 0;
        for (std::size_t n = 0; n < std::size(kFields); ++n)
            for (int i = 0; i < kPlaces; ++i) {
                at = r.out.find("report alt_ft=", at);
                if (at == std::string::npos) return flights;
                flights[n].push_back(
                    {std::atof(r.out.c_str() + at + 14), Read(Name(windy, n, i).c_str())});
                ++at;
            }
        return flights;
    }
    static std::string Name(bool windy, std::size_t field, int i) {
        return std::string(windy ? "w" : "c") + std::to_string(field) + "_" + std::to_string(i) +
               ".flt";
    }
};

// The magnetic variation (degrees east) the VOR nearest a place publishes.
double NearestVariation(double lat, double lon) {
    double best = 1e300, variation = 0;
    for (const auto& v : navtest::ReadNavCsv("vor.csv")) {
        if (v.size() < 8) continue;
        const double d = navtest::Metres(lat, lon, std::stod(v[2]), std::stod(v[3]));
        if (d < best) {
            best = d;
            variation = std::stod(v[7]);
        }
    }
    return variation;
}

// Degrees from `a` to `b`, -180..180.
double Turn(double a, double b) {
    return std::fmod(b - a + 540.0, 360.0) - 180.0;
}

TEST_F(SurfaceWind, AWindSetAtTheSurfaceBlowsInThePatternAtEveryFieldsHeight) {
    const auto windy = Fly(true), calm = Fly(false);
    for (std::size_t n = 0; n < std::size(kFields); ++n) {
        const Field& f = kFields[n];
        const Runway rw = Find(f);
        ASSERT_NE(rw.lat, 0.0) << f.airport;
        ASSERT_EQ(windy[n].size(), static_cast<std::size_t>(kPlaces)) << f.airport;
        ASSERT_EQ(calm[n].size(), static_cast<std::size_t>(kPlaces)) << f.airport;
        // Both flights stay within the surface wind's 1,500 ft and above the field.
        for (const auto* flight : {&windy[n], &calm[n]})
            for (const Sample& s : *flight) {
                EXPECT_LT(s.feet - rw.field, 1400.0) << f.airport;
                EXPECT_GT(s.feet - rw.field, 50.0) << f.airport;
            }
        // The push: the ground the windy flight covered less the calm one's, east and north in
        // metres, over the seconds between the first place and the last.
        auto east = [](const Saved& a, const Saved& b) {
            return navtest::Metres(a.lat, a.lon, a.lat, b.lon) * (b.lon > a.lon ? 1.0 : -1.0);
        };
        auto north = [](const Saved& a, const Saved& b) {
            return navtest::Metres(a.lat, a.lon, b.lat, a.lon) * (b.lat > a.lat ? 1.0 : -1.0);
        };
        const Saved &w0 = windy[n].front().at, &w1 = windy[n].back().at;
        const Saved &c0 = calm[n].front().at, &c1 = calm[n].back().at;
        const double seconds = 2.0 * (kPlaces - 1);
        const double dx = east(w0, w1) - east(c0, c1), dy = north(w0, w1) - north(c0, c1);
        const double knots = std::hypot(dx, dy) / seconds / 0.514444;
        double toward = std::atan2(dx, dy) * 180.0 / kPi;
        if (toward < 0) toward += 360.0;
        EXPECT_NEAR(knots, kWindKnots, 3.0) << f.airport << " field " << rw.field << " ft";
        // Downwind of the wind set: its magnetic direction made true by the declination the
        // nearest VOR publishes, within the few degrees the wind wanders round the set one
        // (the runway's own course is no reference: Denver's 16R runs 172 degrees magnetic).
        const double wind = CrosswindFrom(f) + NearestVariation(rw.lat, rw.lon);
        EXPECT_LT(std::fabs(Turn(wind + 180.0, toward)), 6.0)
            << f.airport << ": toward " << toward << ", the wind from " << wind << " true";
        std::printf("%s %s (%.0f ft): %.0f ft up, pushed %.1f kt toward %.0f (runway %.0f)\n",
                    f.airport, f.end, rw.field, windy[n].front().feet - rw.field, knots, toward,
                    rw.course);
    }
}

}  // namespace
