// Flying into rising ground in the running program. Each type, at its cruise and at its approach
// speed, put low over the ground near a published summit and flown level towards it, strikes the
// mountain's flank: it comes to rest there, far below the summit, with the crash picture up. A
// gentle slope met at cruise never carries the aircraft up it, at any frame rate, and a flat
// field met at cruise is a crash too. And at four high mountain fields
// and at San Carlos every type lands from over the threshold and rolls out, touches down and
// goes again, and rolls at full power along its runway, without a crash.
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

// The published summits (data/places-us/summits.csv) flown at: the Bay Area's and others
// across the country, steep cones and broad ridges.
const char* const kSummits[20] = {
    "Mount Diablo CA",   "Mount Tamalpais CA",  "Mount Hamilton CA", "Mission Peak CA",
    "Vollmer Peak CA",   "Loma Prieta CA",      "San Bruno Mountain CA", "Pikes Peak CO",
    "San Jacinto Peak CA", "Mount Washington NH", "Sandia Crest NM",  "Mount Mitchell NC",
    "Mount Wilson CA",   "Mount Lemmon AZ",     "Mount Hood OR",     "Mount Greylock MA",
    "Mount Mansfield VT", "Spruce Knob WV",     "Black Elk Peak SD", "Mount Shasta CA"};

struct Summit {
    std::string name;
    double lat = 0, lon = 0, feet = 0;
};

Summit FindSummit(const char* name) {
    Summit m{name};
    for (const auto& row : testsupport::ReadDataCsv("places-us", "summits.csv"))
        if (row.size() >= 4 && row[0] == name) {
            m.lat = std::stod(row[1]);
            m.lon = std::stod(row[2]);
            m.feet = std::stod(row[3]);
        }
    return m;
}

// Where a saved flight of the installation is moved to and flown level from.
struct LevelStart {
    std::string flight;
    World at;
    double feet;  // above the ground
    long long head;
    int pushes = 0;  // let down: the gear lowered, then presses of Up (the nose down)
};

// What the level flights did: each one's ground at the start and then its altitude and ground
// (feet) at each report, 1.5 s apart; after the reports "<prefix><i>-a.Flt" is saved, a
// screenshot "<prefix><i>.bmp" taken and 1.5 s later "<prefix><i>-b.Flt" saved.
struct LevelFlown {
    std::vector<double> alt, ground;
    std::string out;
};

LevelFlown FlyLevel(const StarterRun& run, const std::string& prefix,
                    const std::vector<LevelStart>& starts, int reports, int frameMs = 250) {
    std::string script = "frame-interval " + std::to_string(frameMs) + "\nwait 500\n";
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const LevelStart& s = starts[i];
        const std::string name = prefix + std::to_string(i);
        run.Dir().Write("Flights/" + name + ".Flt", Placed(run, s.flight, s.at, s.feet, s.head));
        script += Resume(name + ".Flt") + "wait 100\nreport ground_ft\n";
        if (s.pushes > 0) script += "key LeftBracket press\n";
        for (int p = 0; p < s.pushes; ++p)
            script += "key Up press\n";
        for (int r = 0; r < reports; ++r)
            script += "wait 1500\nreport alt_ft ground_ft\n";
        script += "save @dir/" + name + "-a.Flt\nscreenshot @dir/" + name +
                  ".bmp\nwait 1500\nsave @dir/" + name + "-b.Flt\n";
    }
    const std::string folder = run.Dir().Root();
    for (std::size_t at; (at = script.find("@dir")) != std::string::npos;)
        script.replace(at, 4, folder);
    LevelFlown f;
    const testsupport::CommandResult r = run.Play(script + "quit\n");
    f.out = r.out;
    if (r.status != 0 || r.out.find("simrun:") != std::string::npos) return f;
    f.alt = Altitudes(r.out);
    for (std::size_t at = r.out.find(" ground_ft="); at != std::string::npos;
         at = r.out.find(" ground_ft=", at + 1))
        f.ground.push_back(std::atof(r.out.c_str() + at + 11));
    return f;
}

// At rest where it struck, with the crash picture up: the last second and a half moved it
// nowhere.
void ExpectCrashedAtRest(const StarterRun& run, const std::string& name) {
    EXPECT_LT(MetresBetween(run.Dir().Read(name + "-a.Flt"), run.Dir().Read(name + "-b.Flt")), 1.0);
    EXPECT_GT(CrashPicturePixels(run.Dir().Read(name + ".bmp")), 500);
}

// Each summit flown at four times, the five types, cruise and approach speed and four bearings
// spread over the runs: put low over the ground near it and flown level towards the top, the
// aircraft strikes the flank where it meets it and comes to rest there, far below the summit,
// with the crash picture up, wherever the ground rises more than one in ten on the way.
TEST(RisingGroundRun, FlownLevelIntoAMountainsFlankEachTypeCrashesThere) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-hillside");
    struct Case {
        std::string what;
        double summitFeet, metres;
    };
    std::vector<Case> cases;
    std::vector<LevelStart> starts;
    constexpr int kReports = 8;
    for (int i = 0; i < 20; ++i) {
        const Summit m = FindSummit(kSummits[i]);
        ASSERT_GT(m.feet, 0.0) << m.name;
        // Cruise and approach speed from 100 ft 0.8 nm out and from 40 ft 1 nm out, lower down
        // the flank, each from its own bearing.
        for (int k = 0; k < 4; ++k) {
            const int speed = k % 2;
            const double from = 45.0 + 90.0 * ((i + 2 * speed + k / 2) % 4);
            const double nm = (k < 2 ? 0.8 : 1.0) / 60.0;
            const double lat = m.lat + nm * std::cos(from * kPi / 180.0);
            const double lon =
                m.lon + nm * std::sin(from * kPi / 180.0) / std::cos(m.lat * kPi / 180.0);
            const World at = ToWorld(lat, lon), top = ToWorld(m.lat, m.lon);
            const std::string type = kTypes[(2 * i + k) % 5];
            const std::string flight = speed == 1         ? type + "Final.Flt"
                                       : type == "King" ? std::string("KingAir.Flt")
                                                        : type + "Air.Flt";
            starts.push_back({flight, at, k < 2 ? 100.0 : 40.0, HeadingTo(at, top)});
            cases.push_back({m.name + " from " + std::to_string(static_cast<int>(from)) + " " +
                                 flight,
                             m.feet, std::hypot(at.x - top.x, at.z - top.z) / 256.0});
        }
    }
    // The whole sweep at the coarse step, then one start in seven again at a window's frame
    // rates, each type at both speeds among them.
    std::vector<std::size_t> framed;
    for (std::size_t i = 1; i < cases.size(); i += 7)
        framed.push_back(i);
    for (const int frameMs : {250, 50, 20}) {
        std::vector<std::size_t> chosen;
        for (std::size_t i = 0; i < cases.size(); ++i) chosen.push_back(i);
        if (frameMs != 250) chosen = framed;
        std::vector<LevelStart> flownStarts;
        for (const std::size_t i : chosen) flownStarts.push_back(starts[i]);
        const std::string prefix = "Hill" + std::to_string(frameMs) + "-";
        const LevelFlown f = FlyLevel(run, prefix, flownStarts, kReports, frameMs);
        ASSERT_EQ(f.alt.size(), chosen.size() * kReports) << f.out;
        ASSERT_EQ(f.ground.size(), chosen.size() * (kReports + 1)) << f.out;
        int flown = 0;
        for (std::size_t j = 0; j < chosen.size(); ++j) {
            const Case& c = cases[chosen[j]];
            SCOPED_TRACE(c.what + " at " + std::to_string(frameMs) + " ms a frame");
            // The ground rises from where it starts to the published summit more than one in
            // ten.
            const double* below = &f.ground[j * (kReports + 1)];  // at the start, then reports
            const double* alt = &f.alt[j * kReports];
            if ((c.summitFeet - below[0]) / kFeetPerMetre < c.metres / 10.0) continue;
            // A start whose ground first falls away may not reach the flank in the time flown:
            // it says nothing unless the ground came within 20 ft of the wheels before the last
            // report.
            bool met = false;
            for (int k = 0; k + 1 < kReports; ++k) met = met || alt[k] - below[k + 1] < 20.0;
            if (!met) continue;
            ++flown;
            ExpectCrashedAtRest(run, prefix + std::to_string(j));
            // On the flank where the ground met it, not carried up it: it ends below the summit,
            // and never climbs with the ground under its wheels faster than any of the types
            // climbs on its own there (30 ft in the 1.5 s between two reports is 1,200 ft a
            // minute).
            EXPECT_LT(alt[kReports - 1], c.summitFeet - 300.0);
            for (int k = 1; k < kReports; ++k) {
                if (alt[k - 1] - below[k] < 20.0 && alt[k] - below[k + 1] < 20.0) {
                    EXPECT_LT(alt[k] - alt[k - 1], 30.0) << "carried up the flank by " << k;
                }
            }
        }
        EXPECT_GE(flown, frameMs == 250 ? 70 : 7);
    }
}

// Gentle slopes, one in thirty to one in ten, met level at cruise 40 to 150 ft above them: the
// Front Range west of Denver, the Sierra's east face, Mount Whitney's western plateau and the Bay
// Area's hills, each with the wheels down (the 172's cruise) and up (the retractables' cruise);
// and the 172 on the flanks of six eastern and plains mountains from 5 to 7 km out (one in
// twenty-five to one in sixteen over the elevation grid's cells); and each type let down onto a
// flat field at cruise. The ground never carries the aircraft up faster than its gear takes a
// closure, and away from a runway, at cruise, any meeting with the ground is a crash, at rest
// where it happened, whatever the frame rate.
TEST(RisingGroundRun, AGentleSlopeMetAtCruiseNeverCarriesTheAircraftUp) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-gentle-slopes");
    struct Place {
        double lat, lon;
        const char* towards;  // a summit, or nothing for a heading
        double heading;       // degrees on the world plane, when not towards a summit
        double feet;
    };
    const Place places[] = {
        {39.75, -105.17, nullptr, 270, 40},                  // the Front Range
        {37.2, -118.30, nullptr, 270, 40},                   // the Sierra's east face
        {36.5785, -118.3423, "Mount Whitney CA", 0, 150},    // 2.4 nm west
        {37.8675, -121.9322, "Mount Diablo CA", 0, 150},     // 1.2 nm south-west
        {37.8817, -121.8512, "Mount Diablo CA", 0, 40},      // 3 nm east
        {37.9091, -122.5778, "Mount Tamalpais CA", 0, 150},  // 1.2 nm south
        {37.3417, -121.6828, "Mount Hamilton CA", 0, 150}};  // 2 nm west
    const char* const upFlights[] = {"BonAir.Flt", "BarAir.Flt", "JetAir.Flt"};
    std::vector<LevelStart> starts;
    for (const Place& p : places) {
        const World at = ToWorld(p.lat, p.lon);
        long long head = std::llround(p.heading / 360.0 * 65536.0) & 0xFFFF;
        if (p.towards != nullptr) {
            const Summit m = FindSummit(p.towards);
            ASSERT_GT(m.feet, 0.0) << m.name;
            head = HeadingTo(at, ToWorld(m.lat, m.lon));
        }
        starts.push_back({"C172Air.Flt", at, p.feet, head});
        starts.push_back({upFlights[starts.size() / 2 % 3], at, p.feet, head});
    }
    // The 172 on a mountain's flank, from `km` out on the bearing `from` (degrees true), flown
    // at 40 ft towards the top. Terry Peak SD (44.3283 N, 103.8361 W) is not among the cited
    // summits: the ground there is the elevation grid's.
    struct Flank {
        const char* summit;
        double from, km;
    };
    const Flank flanks[] = {{"Mount Magazine AR", 180, 6}, {"Mount Magazine AR", 225, 7},
                            {"Terry Peak SD", 45, 7},      {"Mount Mansfield VT", 225, 7},
                            {"Black Elk Peak SD", 90, 7},  {"Spruce Knob WV", 180, 5},
                            {"Mount Mitchell NC", 180, 7}};
    for (const Flank& f : flanks) {
        Summit m{f.summit, 44.3283, -103.8361, 7064};
        if (m.name != "Terry Peak SD") m = FindSummit(f.summit);
        ASSERT_GT(m.feet, 0.0) << m.name;
        const double lat = m.lat + f.km / 111.2 * std::cos(f.from * kPi / 180.0);
        const double lon =
            m.lon + f.km / 111.2 * std::sin(f.from * kPi / 180.0) / std::cos(m.lat * kPi / 180.0);
        const World at = ToWorld(lat, lon);
        starts.push_back({"C172Air.Flt", at, 40.0, HeadingTo(at, ToWorld(m.lat, m.lon))});
    }
    const std::vector<LevelStart> flankStarts(starts.end() - std::size(flanks), starts.end());
    // Flat fields far from any runway (the plains of Kansas, Nebraska and the Texas panhandle,
    // the Sacramento Valley, central Illinois, 10 to 27 km from the nearest airport of the
    // public data), each type let down onto one from its cruise with its wheels down: from 10 ft
    // with the nose eased down until it settles onto the field nearly level, and from 40 ft
    // pushed down more (the heavier types need more of the elevator), each meeting the ground
    // more than 2 s after it is let go; and from 10 ft pushed down at once, meeting it within 2 s
    // of the load (a flight loaded in the air has been flying). Touching down at cruise away from
    // a runway is a crash.
    const World fields[] = {ToWorld(38.6, -98.9), ToWorld(41.5, -97.5), ToWorld(35.0, -101.0),
                            ToWorld(39.3, -122.0), ToWorld(40.3, -88.6)};
    const struct {
        const char* flight;
        int easedDown, pushedDown, atOnce;  // presses of Up from 10 ft, 40 ft and 10 ft (0: none)
    } letDown[] = {{"C172Air.Flt", 4, 10, 8},   {"BonAir.Flt", 2, 6, 4},
                   {"BarAir.Flt", 8, 10, 12},   {"KingAir.Flt", 10, 10, 0},
                   {"JetAir.Flt", 35, 50, 0}};
    const std::size_t firstFlat = starts.size();
    for (int t = 0; t < 5; ++t) {
        starts.push_back({letDown[t].flight, fields[t], 10.0, 0, letDown[t].easedDown});
        starts.push_back({letDown[t].flight, fields[(t + 2) % 5], 40.0, 0x4000,
                          letDown[t].pushedDown});
        if (letDown[t].atOnce > 0)
            starts.push_back({letDown[t].flight, fields[t], 10.0, 0, letDown[t].atOnce});
    }
    // Flown at the coarse step the other sweeps use, then the flanks again at a window's frame
    // rates: a picture drawn between two flight steps must not lift the aircraft off the ground
    // that has come up to it.
    for (const auto& [prefix, frameMs] :
         {std::pair{"Gentle", 250}, std::pair{"Framed20-", 20}, std::pair{"Framed50-", 50}}) {
        const std::vector<LevelStart>& flown = frameMs == 250 ? starts : flankStarts;
        const int kReports = frameMs == 250 ? 32 : 16;
        const LevelFlown f = FlyLevel(run, prefix, flown, kReports, frameMs);
        ASSERT_EQ(f.alt.size(), flown.size() * kReports) << f.out;
        ASSERT_EQ(f.ground.size(), flown.size() * (kReports + 1)) << f.out;
        for (std::size_t i = 0; i < flown.size(); ++i) {
            SCOPED_TRACE(flown[i].flight + " from start " + std::to_string(i) + " at " +
                         std::to_string(frameMs) + " ms a frame");
            const double* below = &f.ground[i * (kReports + 1) + 1];
            const double* alt = &f.alt[i * kReports];
            bool met = false;
            for (int k = 0; k < kReports; ++k) {
                const bool low = alt[k] - below[k] < 20.0;
                met = met || low;
                // Near the ground in both reports: climbed no more than the gear's 10 ft a
                // second lets the ground push (15 ft in 1.5 s), with 3 ft for the rounding.
                if (k > 0 && low && alt[k - 1] - below[k - 1] < 20.0) {
                    EXPECT_LT(alt[k] - alt[k - 1], 18.0) << "carried up the slope by " << k;
                }
            }
            // Met and still down there at the end (not skimmed past and flown off): struck.
            if (met && alt[kReports - 1] - below[kReports - 1] < 20.0)
                ExpectCrashedAtRest(run, prefix + std::to_string(i));
            // Let down onto a flat field: it came down, on level ground, and struck.
            if (frameMs == 250 && i >= firstFlat) {
                EXPECT_TRUE(met) << "never came down";
                EXPECT_LT(std::fabs(below[kReports - 1] - below[0]), 15.0) << "not flat";
                ExpectCrashedAtRest(run, prefix + std::to_string(i));
            }
        }
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
    const Field fields[] = {
        {"KASE", "15"}, {"KEGE", "25"}, {"KTEX", "09"}, {"KSUN", "31"}, {"KSQL", "30"}};
    StarterRun run("zephlon-high-fields");
    struct Case {
        std::string what;
        World threshold, far;
        bool landing;
        bool goes = false;  // a touch-and-go, which may fly on past the runway's end
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
            // A touch-and-go: full power once the wheels are on.
            name = "Land" + std::to_string(cases.size());
            run.Dir().Write("Flights/" + name + ".Flt",
                            Placed(run, std::string(type) + "Final.Flt", in, 30.0, head));
            script += Resume(name + ".Flt") + "wait 6000\nkey Back press\nwait 12000\n" +
                      "save @dir/" + name + "-a.Flt\nscreenshot @dir/" + name + ".bmp\n";
            cases.push_back({std::string(f.airport) + " " + f.end + " " + type + " touch-and-go",
                             threshold, far, true, true});
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
        // San Carlos's 2,600 ft is shorter than the turbines' landing roll from where they are
        // put: they may roll off its end, but not crash.
        const bool turbine =
            c.what.find("King") != std::string::npos || c.what.find("Jet") != std::string::npos;
        if (!c.goes && !(turbine && length / 256.0 < 1000.0)) {
            EXPECT_LT(along, length);
        }
        EXPECT_LT(std::fabs(across) / 256.0, 30.0);
        EXPECT_LT(CrashPicturePixels(run.Dir().Read(name + ".bmp")), 20);
    }
}

}  // namespace
