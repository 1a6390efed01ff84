// Flying into rising ground in the running program. Each type, at its cruise and at its approach
// speed, put 150 ft above the ground a little over a mile from a published summit and flown
// level towards it, strikes the mountain's flank: it comes to rest there, far below the summit,
// with the crash picture up. And at four high mountain fields every type lands from over the
// threshold and rolls out, and rolls at full power along its runway, without a crash.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "nav/lat_lon.h"
#include "support/navdata_csv.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

constexpr double kPi = 3.14159265358979323846;
constexpr double kFeetPerMetre = 1 / 0.3048;

struct World {
    double x, z;  // 1/256 m on the world plane
};

World ToWorld(double lat, double lon) {
    std::int32_t x = 0, z = 0;
    nav::LatLonToWorld(&x, &z, lat, -lon);
    return {static_cast<double>(x), static_cast<double>(z)};
}

// The world plane's heading (binary angle) from `a` towards `b`.
long long HeadingTo(World a, World b) {
    const double turn = std::atan2(b.x - a.x, b.z - a.z) / (2 * kPi);
    return std::llround(turn * 65536.0) & 0xFFFF;
}

double MetresBetween(const std::string& a, const std::string& b) {
    const auto at = [](const std::string& f, const char* key) {
        return static_cast<double>(testsupport::SavedValue(f, key).value_or(0)) / 256.0;
    };
    return std::hypot(at(a, "fmPosX") - at(b, "fmPosX"), at(a, "fmPosZ") - at(b, "fmPosZ"));
}

// The crash picture's red word in the middle of the panel; -1 when the screenshot is missing.
int CrashPicturePixels(const std::string& bmp) {
    const std::vector<std::uint32_t> p = testsupport::ReadScreenshot(bmp, 640, 480);
    return p.empty() ? -1 : testsupport::CrashWordPixels(p);
}

// A saved flight of the installation moved to `at`, `feet` above the ground, heading `head`.
std::string Placed(const StarterRun& run, const std::string& flight, World at, double feet,
                   long long head) {
    std::string f = run.Dir().Read("Flights/" + flight);
    testsupport::PutSavedValue(f, "fmPosX", std::llround(at.x));
    testsupport::PutSavedValue(f, "fmPosZ", std::llround(at.z));
    testsupport::PutSavedValue(f, "fmPosY", std::llround(feet / kFeetPerMetre * 256.0));
    testsupport::PutSavedValue(f, "fmHead", head);
    return f;
}

std::string Resume(const std::string& name) {
    return "menu 109\ndialog \"Resume Flight\"\nset 1120 " + name + "\nkey Return press\n";
}

// The reported altitudes (feet), in order.
std::vector<double> Altitudes(const std::string& out) {
    std::vector<double> feet;
    for (std::size_t at = out.find(" alt_ft="); at != std::string::npos;
         at = out.find(" alt_ft=", at + 1))
        feet.push_back(std::atof(out.c_str() + at + 8));
    return feet;
}

const char* const kTypes[5] = {"C172", "Bon", "Bar", "King", "Jet"};

struct Summit {
    const char* name;
    double lat, lon, feet;  // the published summit (data/places-us/summits.csv)
    double from;            // the true bearing the aircraft comes from
};

TEST(RisingGroundRun, FlownLevelIntoAMountainsFlankEachTypeCrashesThere) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const Summit summits[] = {
        {"Pikes Peak", 38.8405, -105.0442, 14115, 270},
        {"San Bruno Mountain", 37.6874, -122.4356, 1319, 270},
        {"Mount Diablo", 37.8817, -121.9142, 3849, 225},
        {"Sandia Crest", 35.2101, -106.4487, 10679, 270},
        {"Mount Washington", 44.2706, -71.3047, 6288, 90},
    };
    StarterRun run("zephlon-hillside");
    struct Case {
        std::string what;
        double summitFeet;
    };
    std::vector<Case> cases;
    std::string script = "frame-interval 100\nwait 500\n";
    constexpr int kReports = 10;  // 2.5 s apart
    for (const Summit& m : summits) {
        // 1.2 nm out on the bearing.
        const double nm = 1.2 / 60.0;
        const double lat = m.lat + nm * std::cos(m.from * kPi / 180.0);
        const double lon = m.lon + nm * std::sin(m.from * kPi / 180.0) / std::cos(m.lat * kPi / 180.0);
        const World at = ToWorld(lat, lon), top = ToWorld(m.lat, m.lon);
        // Cruise and approach speeds, the types taken in turn.
        for (const char* kind : {"Air", "Final"}) {
            const std::string type = kTypes[(cases.size() * 3) % 5];
            const std::string flight = type == "King" && std::string(kind) == "Air"
                                           ? std::string("KingAir.Flt")
                                           : type + kind + ".Flt";
            const std::string name = "Hill" + std::to_string(cases.size());
            run.Dir().Write("Flights/" + name + ".Flt",
                            Placed(run, flight, at, 150.0, HeadingTo(at, top)));
            script += Resume(name + ".Flt") + "wait 100\n";
            for (int i = 0; i < kReports; ++i)
                script += "wait 2500\nreport alt_ft\n";
            script += "save @dir/" + name + "-a.Flt\nscreenshot @dir/" + name +
                      ".bmp\nwait 2000\nsave @dir/" + name + "-b.Flt\n";
            cases.push_back({std::string(m.name) + " " + flight, m.feet});
        }
    }
    std::string folder = run.Dir().Root();
    for (std::size_t at; (at = script.find("@dir")) != std::string::npos;)
        script.replace(at, 4, folder);
    const testsupport::CommandResult r = run.Play(script + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    const std::vector<double> feet = Altitudes(r.out);
    ASSERT_EQ(feet.size(), cases.size() * kReports) << r.out;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        const std::string name = "Hill" + std::to_string(i);
        // At rest where it struck: the last two seconds moved it nowhere.
        EXPECT_LT(MetresBetween(run.Dir().Read(name + "-a.Flt"), run.Dir().Read(name + "-b.Flt")),
                  1.0);
        // On the flank, not carried up it: it ends well below the summit.
        EXPECT_LT(feet[(i + 1) * kReports - 1], cases[i].summitFeet - 500.0);
        EXPECT_GT(CrashPicturePixels(run.Dir().Read(name + ".bmp")), 500);
    }
}

struct Field {
    const char* airport;
    const char* end;
};

// Both ends of the runway from the public data: the threshold of `end` and the far end.
bool FindRunway(const Field& f, World* threshold, World* far) {
    for (const auto& rw : testsupport::ReadNavdataCsv("runway.csv")) {
        if (rw.size() < 11 || rw[0] != f.airport) continue;
        const bool first = rw[3] == f.end;
        if (!first && rw[7] != f.end) continue;
        const World a = ToWorld(std::stod(rw[4]), std::stod(rw[5]));
        const World b = ToWorld(std::stod(rw[8]), std::stod(rw[9]));
        *threshold = first ? a : b;
        *far = first ? b : a;
        return true;
    }
    return false;
}

TEST(RisingGroundRun, EveryTypeLandsAndRollsAtHighMountainFieldsWithoutACrash) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const Field fields[] = {{"KASE", "15"}, {"KEGE", "25"}, {"KTEX", "09"}, {"KSUN", "31"}};
    StarterRun run("zephlon-high-fields");
    struct Case {
        std::string what;
        World threshold, far;
        bool landing;
    };
    std::vector<Case> cases;
    std::string script = "frame-interval 100\nwait 500\n";
    for (const Field& f : fields) {
        World threshold{}, far{};
        ASSERT_TRUE(FindRunway(f, &threshold, &far)) << f.airport;
        const long long head = HeadingTo(threshold, far);
        // 150 m in from the threshold, along the runway.
        const double length = std::hypot(far.x - threshold.x, far.z - threshold.z);
        const World in{threshold.x + (far.x - threshold.x) * 150.0 * 256.0 / length,
                       threshold.z + (far.z - threshold.z) * 150.0 * 256.0 / length};
        for (const char* type : kTypes) {
            // The final's state 30 ft over the runway's start: it touches down, the throttle
            // closes and the brakes go on, and it rolls out.
            std::string name = "Land" + std::to_string(cases.size());
            run.Dir().Write("Flights/" + name + ".Flt",
                            Placed(run, std::string(type) + "Final.Flt", in, 30.0, head));
            script += Resume(name + ".Flt") + "wait 6000\nkey 0 press\nkey B press\nwait 19000\n" +
                      "save @dir/" + name + "-a.Flt\nscreenshot @dir/" + name + ".bmp\n";
            cases.push_back({std::string(f.airport) + " " + f.end + " " + type + " landing",
                             threshold, far, true});
            // The ready-to-fly flight at the runway's start: full power, brakes off, 20 s.
            name = "Roll" + std::to_string(cases.size());
            run.Dir().Write("Flights/" + name + ".Flt",
                            Placed(run, std::string(type) + "Fly.Flt", in, 0.0, head));
            script += Resume(name + ".Flt") + "wait 1000\nkey Back press\nkey B press\n" +
                      "wait 20000\nsave @dir/" + name + "-a.Flt\nscreenshot @dir/" + name +
                      ".bmp\n";
            cases.push_back({std::string(f.airport) + " " + f.end + " " + type + " roll",
                             threshold, far, false});
        }
    }
    std::string folder = run.Dir().Root();
    for (std::size_t at; (at = script.find("@dir")) != std::string::npos;)
        script.replace(at, 4, folder);
    const testsupport::CommandResult r = run.Play(script + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        const std::string name = (c.landing ? "Land" : "Roll") + std::to_string(i);
        const std::string saved = run.Dir().Read(name + "-a.Flt");
        const World at{static_cast<double>(testsupport::SavedValue(saved, "fmPosX").value_or(0)),
                       static_cast<double>(testsupport::SavedValue(saved, "fmPosZ").value_or(0))};
        // Rolled on along the runway, 200 m at least from where it started (a crash stops it at
        // once), and not past the runway's end (1/256 m).
        const double length = std::hypot(c.far.x - c.threshold.x, c.far.z - c.threshold.z);
        const double along = ((at.x - c.threshold.x) * (c.far.x - c.threshold.x) +
                              (at.z - c.threshold.z) * (c.far.z - c.threshold.z)) /
                             length;
        const double across = ((at.x - c.threshold.x) * (c.far.z - c.threshold.z) -
                               (at.z - c.threshold.z) * (c.far.x - c.threshold.x)) /
                              length;
        EXPECT_GT(along / 256.0, 350.0);
        EXPECT_LT(along, length);
        EXPECT_LT(std::fabs(across) / 256.0, 30.0);
        EXPECT_LT(CrashPicturePixels(run.Dir().Read(name + ".bmp")), 20);
    }
}

}  // namespace
