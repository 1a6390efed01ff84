// Coupled approaches in the running program: a sample of 21 of the data's ILS, each set up from
// the navaid directory's ILS page 7 nm out from the glide-slope antenna, 1,500 ft above the
// airport (below the glide path), on the beam or placed 2 degrees off it inside the localizer's
// sector, and flown by the autopilot with AP and APR alone (in either order) on the Skyhawk, the
// Bonanza or the King Air. The set-up places the aircraft level at its pattern speed with the
// approach flaps; at the glide slope's capture (the trace's line) the pilot sets the landing flaps
// and the approach power of the type's final. Measured from the saved
// places (by the second projection) and the altitude, against the public data: from 800 ft down
// to 200 ft above the airport the aircraft stays within half a dot of the glide path (the
// published antenna's place and angle, rising from the runway at the airport's elevation; a dot
// is a fifth of its 0.7-degree half-scale), and it crosses the runway's threshold within 100 ft
// of the centre line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "independent_projection.h"
#include "script_run.h"

namespace {

using navtest::kPi;

struct Approach {
    std::string airport, runway, listed;  // listed: the directory's line
    double locLat = 0, locLon = 0;
    double gsLat = 0, gsLon = 0, gsAngle = 0;
    double fieldFeet = 0;  // the airport's elevation, where the runway lies
    double thrLat = 0, thrLon = 0, farLat = 0, farLon = 0;
};

std::string Unpadded(const std::string& runway) {
    return runway.size() > 1 && runway[0] == '0' ? runway.substr(1) : runway;
}

// Every ILS with a glide slope whose runway the data gives, whose published course follows it.
std::vector<Approach> StraightInIls() {
    const auto runways = navtest::ReadNavCsv("runway.csv");
    std::map<std::string, double> fields;
    for (const auto& a : navtest::ReadNavCsv("airport.csv"))
        if (a.size() > 3) fields[a[0]] = std::atof(a[3].c_str());
    std::vector<Approach> found;
    for (const auto& i : navtest::ReadNavCsv("ils.csv")) {
        if (i.size() < 14 || i[3].rfind("ILS", 0) != 0 || i[0].size() != 4 || i[0][0] != 'K' ||
            i[10].empty() || i[13].empty())
            continue;
        Approach a;
        a.airport = i[0];
        a.runway = i[1];
        const std::string ident = i[2].size() > 1 && i[2][0] == 'I' ? i[2].substr(1) : i[2];
        a.listed = "I-" + ident + " " + i[0] + " Rwy " + i[1];
        a.locLat = std::stod(i[4]);
        a.locLon = std::stod(i[5]);
        a.gsLat = std::stod(i[10]);
        a.gsLon = std::stod(i[11]);
        a.gsAngle = std::stod(i[13]);
        if (fields.count(a.airport) == 0) continue;
        a.fieldFeet = fields[a.airport];
        bool runway = false;
        for (const auto& r : runways) {
            if (r.size() < 11 || r[0] != a.airport) continue;
            const bool first = Unpadded(r[3]) == Unpadded(a.runway);
            if (!first && Unpadded(r[7]) != Unpadded(a.runway)) continue;
            a.thrLat = std::stod(first ? r[4] : r[8]);
            a.thrLon = std::stod(first ? r[5] : r[9]);
            a.farLat = std::stod(first ? r[8] : r[4]);
            a.farLon = std::stod(first ? r[9] : r[5]);
            runway = true;
            break;
        }
        if (!runway) continue;
        const double centreLine = navtest::GcBearing(a.thrLat, a.thrLon, a.farLat, a.farLon);
        const double d =
            std::fabs(std::fmod(centreLine - std::atof(i[9].c_str()) + 540.0, 360.0) - 180.0);
        if (d < 1.0) found.push_back(a);
    }
    return found;
}

// Metres right (positive) of the line from `a` towards `b`, and metres along it past `a`.
struct Offset {
    double across, along;
};
Offset OffsetFrom(double latA, double lonA, double latB, double lonB, double lat, double lon) {
    const double line = navtest::GcBearing(latA, lonA, latB, lonB) * kPi / 180.0;
    const double to = navtest::GcBearing(latA, lonA, lat, lon) * kPi / 180.0;
    const double m = navtest::Metres(latA, lonA, lat, lon);
    return {m * std::sin(to - line), m * std::cos(to - line)};
}

// Where a saved flight stands: its place and its offset from the approach's threshold.
struct SavedPlace {
    double lat = 0, lon = 0;
    Offset o{};
};
SavedPlace SavedPlaceOf(const std::string& path, const Approach& a) {
    core::IniFile saved(path.c_str());
    SavedPlace p;
    navtest::WorldToGeographic(saved.GetInt("Aircraft", "fmPosX", 0),
                               saved.GetInt("Aircraft", "fmPosZ", 0), &p.lat, &p.lon);
    p.o = OffsetFrom(a.thrLat, a.thrLon, a.farLat, a.farLon, p.lat, p.lon);
    return p;
}

// The set-up from the directory's ILS page, 7 nm out from the glide-slope antenna at `feet`.
std::string IlsSetUp(const Approach& a, int feet) {
    return "frame-interval 1000\nwait 300\nmenu 321\ndialog NAVAIDSTABSHEET\nclick 1902\n"
           "dialog NAVAIDSILSFAKE\nset 1485 \"" +
           a.listed +
           "\"\nclick 1587\nclick 1760\n"
           "dialog ILSSetup\nclick 1534\nset 1542 7\nset 1541 " +
           std::to_string(feet) + "\n";
}

// What one coupled approach gave, measured against the data.
struct Flown {
    bool reached200 = false;
    double worstDots = 0, worstFeet = 0;  // off the glide path from 800 ft down to 200 ft
    double crossing = std::nan("");       // metres right of the centre line at the threshold
    double fastest = 0, slowest = 1e9;    // KIAS down the glide path
};

// The dialog's line typing a course `offset` degrees off the one the set-up offers (none when
// `offset` is 0); false, with the failure added, when the set-up offers none.
bool CourseOffTheOffered(const testsupport::StarterRun& fresh, const std::string& setUp, int offset,
                         const std::string& what, std::string* course) {
    if (offset == 0) return true;
    const auto probe = fresh.Play(setUp + "read 1538\nquit\n");
    const std::size_t read = probe.out.find("read 1538 ");
    if (read == std::string::npos) {
        ADD_FAILURE() << what << "\n" << probe.out;
        return false;
    }
    const int offered = std::atoi(probe.out.c_str() + probe.out.find('"', read) + 1);
    *course = "set 1538 " + std::to_string((offered + offset + 359) % 360 + 1) + "\n";
    return true;
}

// Sets the approach up from the directory `offset` degrees off the offered course, `type`
// (0, 1 or 3) with the wind from `windFrom` degrees magnetic at `windKnots`, engages the autopilot
// and the approach mode (AP first when `apFirst`), and at the glide slope's capture sets the
// final's flaps and power; returns what the saved places show.
Flown FlyApproach(const Approach& a, int type, int offset, bool apFirst, int windFrom = 0,
                  int windKnots = 0) {
    Flown f;
    const int t = type == 0 ? 0 : (type == 1 ? 1 : 2);
    const int flySeconds[3] = {320, 320, 200};  // from the capture
    constexpr int kEvery = 2;                   // seconds between two saved places
    const std::string setUp = IlsSetUp(a, static_cast<int>(a.fieldFeet) + 1500);
    // Each approach in an installation of its own, so that nothing one run leaves (settings,
    // the last flight) reaches the next.
    const testsupport::StarterRun fresh("zephlon-ils");
    const testsupport::TempFolder& folder = fresh.Dir();
    const std::string what =
        a.listed + " type " + std::to_string(type) + " offset " + std::to_string(offset) +
        (windKnots > 0 ? " wind " + std::to_string(windFrom) + "/" + std::to_string(windKnots)
                       : std::string());
    std::string course;
    if (!CourseOffTheOffered(fresh, setUp, offset, what, &course)) return f;
    const std::string typeName[3] = {"C172", "Bon", "King"};
    {
        core::IniFile start(folder.Path("Flights/Startup.Flt").c_str());
        EXPECT_EQ(start.PutInt("Aircraft", "type", type), 1);
        // The set-up loads the type's intercept flight, whose weather it flies in.
        core::IniFile intercept(folder.Path("Flights/" + typeName[t] + "Pattern.Flt").c_str());
        // The wind blows at the surface and in the first layer aloft (1,500 to 4,500 ft above
        // the sea), from the set-up down to the runway.
        for (core::IniFile* flight : {&start, &intercept}) {
            flight->PutInt("Weather", "swDir", windFrom);
            flight->PutInt("Weather", "swSpd", windKnots);
            flight->PutInt("Weather", "wa1Dir", windFrom);
            flight->PutInt("Weather", "wa1Spd", windKnots);
        }
    }
    // A mode chosen before the autopilot is engaged couples when it is.
    const std::string ap = "key Shift+C press\n";
    const std::string apr = "key Shift+X press\nkey Shift+X press\nkey Shift+X press\n";
    // At the glide slope's capture the pilot sets the landing flaps and takes the power back
    // from the level flight of the intercept to the approach power of the type's final, a
    // notch of the lever a key.
    std::string reduce;
    {
        core::IniFile intercept(folder.Path("Flights/" + typeName[t] + "Pattern.Flt").c_str());
        core::IniFile final(folder.Path("Flights/" + typeName[t] + "Final.Flt").c_str());
        // The levers stand at the notches nearest the flights' powers.
        const auto lever = [](core::IniFile& file) {
            return static_cast<int>(std::lround(file.GetInt("Aircraft", "fmThrot", 0) / 1057.0));
        };
        const int notches = lever(intercept) - lever(final);
        EXPECT_GT(notches, 0) << what;
        for (int n = 0; n < notches; ++n)
            reduce += "key - press\n";
        const int flaps =
            final.GetInt("Aircraft", "fmFlaps", 0) - intercept.GetInt("Aircraft", "fmFlaps", 0);
        for (int n = 0; n < flaps; ++n)
            reduce += "key Numpad+ press\n";
    }
    std::string script = setUp + course + "click 1\nwait 1000\n" + (apFirst ? ap + apr : apr + ap) +
                         "wait-for \"glide slope captured\" 300000\n" + reduce;
    const int samples = flySeconds[t] / kEvery;
    for (int s = 0; s < samples; ++s)
        script += "wait " + std::to_string(kEvery * 1000) + "\nsave " +
                  folder.Path("p" + std::to_string(s) + ".flt") + "\nreport alt_ft ias_knots\n";
    script += "quit\n";
    const auto r = fresh.Play(script);
    if (r.status != 0) {
        ADD_FAILURE() << what << "\n" << r.out;
        return f;
    }

    // The places and heights against the runway and the glide path.
    std::size_t at = 0;
    Offset previous{0, -1e9};
    for (int s = 0; s < samples; ++s) {
        at = r.out.find("report alt_ft=", at);
        if (at == std::string::npos) {
            ADD_FAILURE() << what << ": no report " << s;
            return f;
        }
        const double alt = std::atof(r.out.c_str() + at + 14);
        const double knots = std::atof(r.out.c_str() + r.out.find("ias_knots=", at) + 10);
        ++at;
        const SavedPlace place = SavedPlaceOf(folder.Path("p" + std::to_string(s) + ".flt"), a);
        const double lat = place.lat, lon = place.lon;
        const Offset o = place.o;
        if (previous.along < 0 && o.along >= 0) {
            // Where the line between the two places crosses the threshold.
            const double k = -previous.along / (o.along - previous.along);
            f.crossing = previous.across + k * (o.across - previous.across);
        }
        previous = o;
        if (o.along >= 0) break;
        const double above = alt - a.fieldFeet;
        if (above > 800 || f.reached200) continue;
        if (above < 200) {
            f.reached200 = true;
            continue;
        }
        const double ground = navtest::Metres(a.gsLat, a.gsLon, lat, lon) / 0.3048;
        const double angle = std::atan2(above, ground) * 180.0 / kPi;
        const double dots = std::fabs(angle - a.gsAngle) / (0.7 / 5);
        f.fastest = std::max(f.fastest, knots);
        f.slowest = std::min(f.slowest, knots);
        if (dots > f.worstDots) {
            f.worstDots = dots;
            f.worstFeet = above;
        }
    }
    return f;
}

// The checks every coupled approach meets; false when it never reached the threshold.
bool CheckApproach(const Flown& f, int type, const std::string& what) {
    EXPECT_TRUE(f.reached200) << what << ": never came down to 200 ft";
    // Down the path near the type's approach speed on the airspeed indicator (65, 80 and 110
    // KIAS), as the set-up's intercept and the pilot's power at the capture give.
    const double approachKnots = type == 0 ? 65 : (type == 1 ? 80 : 110);
    EXPECT_LT(f.fastest, approachKnots + 20) << what;
    EXPECT_GT(f.slowest, approachKnots - 20) << what;
    EXPECT_LT(f.worstDots, 0.5) << what << ": off the glide path at " << f.worstFeet << " ft";
    if (std::isnan(f.crossing)) {
        ADD_FAILURE() << what << ": never reached the threshold";
        return false;
    }
    EXPECT_LT(std::fabs(f.crossing) / 0.3048, 100.0) << what << ": off the centre line";
    std::printf("%s: %.2f dots, %.0f ft %s of the centre line, %.0f-%.0f KIAS\n", what.c_str(),
                f.worstDots, std::fabs(f.crossing) / 0.3048, f.crossing < 0 ? "left" : "right",
                f.slowest, f.fastest);
    return true;
}

class CoupledIls : public navtest::ScriptRun {};

const char* TypeName(int type) {
    return type == 0 ? "Skyhawk" : (type == 1 ? "Bonanza" : "KingAir");
}

// The 21 approaches flown down the glide path, each its own test: a fixed sample spread over the
// table, Oakland 29 (the approach the fault was found on) first; each approach on one type, the
// start on the beam or 2 degrees either side of it, every pairing of the two used seven times;
// AP then APR on every other approach, APR then AP on the others.
struct PathRun {
    std::size_t k;  // of the sample
    int type, offset;
    bool apFirst;
};

std::vector<PathRun> PathRuns() {
    const int types[3] = {0, 1, 3};
    std::vector<PathRun> runs;
    for (std::size_t k = 0; k < 21; ++k)
        runs.push_back({k, types[k % 3], (k / 3) % 3 == 0 ? 0 : ((k / 3) % 3 == 1 ? 2 : -2),
                        k % 2 == 0});
    return runs;
}

void PrintTo(const PathRun& r, std::ostream* os) {
    *os << "approach " << r.k << ", type " << r.type << ", offset " << r.offset
        << (r.apFirst ? ", AP first" : ", APR first");
}

std::string PathRunName(const ::testing::TestParamInfo<PathRun>& info) {
    const PathRun& r = info.param;
    const std::string offset = r.offset == 0 ? "OnTheBeam"
                                             : "Course" + std::to_string(std::abs(r.offset)) +
                                                   (r.offset < 0 ? "Left" : "Right");
    return "Approach" + std::to_string(r.k) + "_" + TypeName(r.type) + "_" + offset +
           (r.apFirst ? "_ApFirst" : "_AprFirst");
}

class CoupledIlsPath : public navtest::ScriptRun, public ::testing::WithParamInterface<PathRun> {};

TEST_P(CoupledIlsPath, FliesTheGlidePathDownTheCentreLine) {
    const std::vector<Approach> all = StraightInIls();
    ASSERT_GT(all.size(), 500u);
    const PathRun& r = GetParam();
    Approach a = all[(r.k * 7919 + 13) % all.size()];
    if (r.k == 0)
        for (const Approach& each : all)
            if (each.airport == "KOAK" && each.runway == "29") a = each;
    const std::string what =
        a.listed + " type " + std::to_string(r.type) + " offset " + std::to_string(r.offset);
    EXPECT_TRUE(CheckApproach(FlyApproach(a, r.type, r.offset, r.apFirst), r.type, what));
}

INSTANTIATE_TEST_SUITE_P(TwentyOneApproaches, CoupledIlsPath, ::testing::ValuesIn(PathRuns()),
                         PathRunName);

// The set-up's own distance and altitude, left as the dialog offers them, put the aircraft where
// a pilot intercepts the approach: 7 to 12 nm before the threshold on the beam, at least
// 1,000 ft above the airport and under the glide path (the published antenna and angle), for
// every 25th straight-in ILS of the data, in one session.
TEST_F(CoupledIls, TheSetUpOffersAnIntercept) {
    std::vector<Approach> all = StraightInIls();
    ASSERT_GT(all.size(), 500u);
    std::vector<Approach> sample;
    for (std::size_t k = 0; k < all.size(); k += 25)
        sample.push_back(all[k]);
    std::string script = "frame-interval 1000\nwait 300\n";
    for (std::size_t k = 0; k < sample.size(); ++k)
        script +=
            "menu 321\ndialog NAVAIDSTABSHEET\nclick 1902\ndialog NAVAIDSILSFAKE\nset 1485 \"" +
            sample[k].listed + "\"\nclick 1760\ndialog ILSSetup\nclick 1\nwait 100\nsave " +
            dir.Path("s" + std::to_string(k) + ".flt") + "\nreport alt_ft\n";
    const auto r = run.Play(script + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
    std::size_t at = 0;
    for (std::size_t k = 0; k < sample.size(); ++k) {
        const Approach& a = sample[k];
        at = r.out.find("report alt_ft=", at);
        ASSERT_NE(at, std::string::npos) << a.listed;
        const double above = std::atof(r.out.c_str() + at + 14) - a.fieldFeet;
        ++at;
        const SavedPlace place = SavedPlaceOf(dir.Path("s" + std::to_string(k) + ".flt"), a);
        const double lat = place.lat, lon = place.lon;
        const Offset o = place.o;
        const double pathFeet =
            navtest::Metres(a.gsLat, a.gsLon, lat, lon) / 0.3048 * std::tan(a.gsAngle * kPi / 180);
        EXPECT_GT(-o.along / 1852, 7.0) << a.listed;
        EXPECT_LT(-o.along / 1852, 12.0) << a.listed;
        // On the beam: the line from the localizer over the threshold's centre (some localizers
        // stand a little beside the centre line).
        const double line = navtest::GcBearing(a.locLat, a.locLon, a.thrLat, a.thrLon) * kPi / 180;
        const double to = navtest::GcBearing(a.locLat, a.locLon, lat, lon) * kPi / 180;
        const double across = navtest::Metres(a.locLat, a.locLon, lat, lon) * std::sin(to - line);
        EXPECT_LT(std::fabs(across), 100.0) << a.listed << ": off the beam";
        EXPECT_GT(above, 1000.0) << a.listed;
        EXPECT_LT(above, pathFeet - 100) << a.listed << ": not under the glide path";
    }
}

// The sweep of set-ups a pilot meets: 7 nm out from the glide-slope antenna, from 1,000 ft under
// the glide path to 1,000 ft over it, on the beam or with the course typed 10 or 30 degrees off
// (the aircraft placed on that bearing from the antenna, heading along the localizer, so the
// localizer is met late), AP and APR engaged and the power left as the set-up gives it. Every run
// either flies the path (down to 200 ft above the airport within a dot of it from 800 ft, over
// the threshold within 100 ft of the centre line) or never goes down under it and, past the
// threshold, keeps its height; where it first meets the ground, it is on the runway.
struct SweepPoint {
    int type, feetOffPath, offCourse;
};

// How far an armed approach may let its height go, through the localizer's turns (ft).
constexpr double kHeld = 100;

struct Swept {
    bool reached200 = false;
    double worstDots = 0, worstFeet = 0;  // off the glide path from 800 ft down to 200 ft
    double crossing = std::nan("");       // metres right of the centre line at the threshold
    double deepest = -1e9;    // most feet under the path while kHeld under the set-up height
    double sankAfter = -1e9;  // most feet under the set-up height past the threshold
    double lastAlong = 0;
    std::string touched;  // where it was on the ground off the runway
};

Swept FlySweepPoint(const Approach& a, const SweepPoint& p, const std::string& what) {
    Swept f;
    const double pathFeet = 7 * 6076.1 * std::tan(a.gsAngle * kPi / 180);
    const int feet = static_cast<int>(a.fieldFeet + pathFeet) + p.feetOffPath;
    const std::string setUp = IlsSetUp(a, feet);
    const testsupport::StarterRun fresh("zephlon-ils-sweep");
    const testsupport::TempFolder& folder = fresh.Dir();
    {
        core::IniFile start(folder.Path("Flights/Startup.Flt").c_str());
        EXPECT_EQ(start.PutInt("Aircraft", "type", p.type), 1);
    }
    std::string course;
    if (!CourseOffTheOffered(fresh, setUp, p.offCourse, what, &course)) return f;
    // Long enough to come about a mile past the threshold at the type's pattern speed.
    const int seconds = p.type == 0 ? 440 : (p.type == 1 ? 420 : 300);
    constexpr int kEvery = 2;
    std::string script = setUp + course +
                         "click 1\nwait 1000\nkey Shift+C press\nkey Shift+X press\n"
                         "key Shift+X press\nkey Shift+X press\n";
    const int samples = seconds / kEvery;
    for (int s = 0; s < samples; ++s)
        script += "wait " + std::to_string(kEvery * 1000) + "\nsave " +
                  folder.Path("p" + std::to_string(s) + ".flt") + "\nreport alt_ft\n";
    const auto r = fresh.Play(script + "quit\n");
    if (r.status != 0) {
        ADD_FAILURE() << what << "\n" << r.out;
        return f;
    }
    const double length = navtest::Metres(a.thrLat, a.thrLon, a.farLat, a.farLon);
    std::size_t at = 0;
    Offset previous{0, -1e9};
    bool landed = false;
    for (int s = 0; s < samples; ++s) {
        at = r.out.find("report alt_ft=", at);
        if (at == std::string::npos) {
            ADD_FAILURE() << what << ": no report " << s;
            return f;
        }
        const double alt = std::atof(r.out.c_str() + at + 14);
        ++at;
        const std::string saved = folder.Path("p" + std::to_string(s) + ".flt");
        const SavedPlace place = SavedPlaceOf(saved, a);
        const Offset o = place.o;
        // Where it first meets the ground (what the pilot's power does on the roll is not the
        // autopilot's).
        if (!landed && core::IniFile(saved.c_str()).GetInt("Aircraft", "fmOTG", 0) != 0) {
            landed = true;
            if (o.along < -60 || o.along > length || std::fabs(o.across) > 60)
                f.touched = std::to_string(static_cast<int>(o.along)) + " m along, " +
                            std::to_string(static_cast<int>(o.across)) + " m across";
        }
        if (previous.along < 0 && o.along >= 0) {
            const double k = -previous.along / (o.along - previous.along);
            f.crossing = previous.across + k * (o.across - previous.across);
        }
        previous = o;
        f.lastAlong = o.along;
        // Past the threshold an aircraft that has not flown the path holds its height.
        if (o.along >= 0) {
            if (!f.reached200) f.sankAfter = std::max(f.sankAfter, feet - alt);
            continue;
        }
        const double above = alt - a.fieldFeet;
        const double ground = navtest::Metres(a.gsLat, a.gsLon, place.lat, place.lon) / 0.3048;
        const double path = ground * std::tan(a.gsAngle * kPi / 180);
        if (alt < feet - kHeld) f.deepest = std::max(f.deepest, path - above);
        if (above > 800 || f.reached200) continue;
        if (above < 200) {
            f.reached200 = true;
            continue;
        }
        const double dots =
            std::fabs(std::atan2(above, ground) * 180.0 / kPi - a.gsAngle) / (0.7 / 5);
        if (dots > f.worstDots) {
            f.worstDots = dots;
            f.worstFeet = above;
        }
    }
    return f;
}

// The sweep's runs: twelve of the fifteen pairings of height and course on each type, each
// pairing left out on one type, spread over the sweep's ten approaches; each run its own test.
struct SweepRun {
    SweepPoint point;
    std::size_t approach;  // of SweepSample()
};

// Named by its values, so that ctest's name of each run stays the same from build to build.
void PrintTo(const SweepRun& r, std::ostream* os) {
    *os << "type " << r.point.type << ", " << r.point.feetOffPath << " ft off the path, course "
        << r.point.offCourse << " off, approach " << r.approach;
}

std::vector<SweepRun> SweepRuns() {
    const int types[3] = {0, 1, 3};
    const int heights[5] = {-1000, -400, 0, 400, 1000};
    const int courses[3] = {0, 10, -30};
    std::vector<SweepRun> runs;
    for (int k = 0; k < 45; ++k) {
        if ((k % 5 + (k / 5) % 3 + k / 15) % 5 == 4) continue;
        runs.push_back({{types[k / 15], heights[k % 5], courses[(k / 5) % 3]},
                        static_cast<std::size_t>((k * 7 + k / 15) % 10)});
    }
    return runs;
}

// Ten approaches spread over the table; Oakland 29 and San Jose 30L, where approaches set up
// above the path dived, among them.
std::vector<Approach> SweepSample(const std::vector<Approach>& all) {
    std::vector<Approach> sample;
    for (std::size_t k = 0; k < 10; ++k)
        sample.push_back(all[(k * 3571 + 7) % all.size()]);
    for (const Approach& a : all) {
        if (a.airport == "KOAK" && a.runway == "29") sample[0] = a;
        if (a.airport == "KSJC" && a.runway == "30L") sample[1] = a;
    }
    return sample;
}

std::string SweepRunName(const ::testing::TestParamInfo<SweepRun>& info) {
    const SweepPoint& p = info.param.point;
    const std::string height =
        p.feetOffPath == 0 ? "OnThePath"
                           : std::to_string(std::abs(p.feetOffPath)) +
                                 (p.feetOffPath < 0 ? "FtUnder" : "FtOver");
    const std::string course =
        p.offCourse == 0 ? "OnTheBeam"
                         : "Course" + std::to_string(std::abs(p.offCourse)) +
                               (p.offCourse < 0 ? "Left" : "Right");
    return std::string(TypeName(p.type)) + "_" + height + "_" + course;
}

class CoupledIlsSweep : public navtest::ScriptRun,
                        public ::testing::WithParamInterface<SweepRun> {};

TEST_P(CoupledIlsSweep, FliesThePathOrHoldsAboveIt) {
    const std::vector<Approach> all = StraightInIls();
    ASSERT_GT(all.size(), 500u);
    const SweepPoint& p = GetParam().point;
    const Approach a = SweepSample(all)[GetParam().approach];
    const std::string what = a.listed + " type " + std::to_string(p.type) + ", " +
                             std::to_string(p.feetOffPath) + " ft off the path, course " +
                             std::to_string(p.offCourse) + " off";
    const Swept f = FlySweepPoint(a, p, what);
    EXPECT_TRUE(f.touched.empty()) << what << ": on the ground off the runway, " << f.touched;
    if (f.reached200) {
        EXPECT_LT(f.worstDots, 1.0) << what << ": off the glide path at " << f.worstFeet << " ft";
        EXPECT_LT(std::fabs(f.crossing) / 0.3048, 100.0) << what << ": off the centre line";
    } else {
        EXPECT_LT(f.deepest, 100.0) << what << ": went down under the glide path";
        EXPECT_LT(f.sankAfter, kHeld) << what << ": went down past the threshold";
    }
    if (f.reached200)
        std::printf("%s: flew the path, %.2f dots, %.0f ft off the centre line\n", what.c_str(),
                    f.worstDots, std::fabs(f.crossing) / 0.3048);
    else
        std::printf("%s: stayed up, %.0f ft lost past the threshold, flown to %.1f nm past it\n",
                    what.c_str(), std::max(f.sankAfter, 0.0), f.lastAlong / 1852);
}

INSTANTIATE_TEST_SUITE_P(EverySetUp, CoupledIlsSweep, ::testing::ValuesIn(SweepRuns()),
                         SweepRunName);

// In a 20-knot wind square across the runway, from either side, the approach still crosses the
// threshold over the centre line: the tracking learns the heading the wind needs. Six approaches
// spread over the table, each on one type, each with the wind from either side: each its own test.
struct CrosswindRun {
    std::size_t k;  // of the sample
    int side;       // degrees right of the runway's heading the wind blows from
};

std::vector<CrosswindRun> CrosswindRuns() {
    std::vector<CrosswindRun> runs;
    for (std::size_t k = 0; k < 6; ++k)
        for (const int side : {90, 270})
            runs.push_back({k, side});
    return runs;
}

void PrintTo(const CrosswindRun& r, std::ostream* os) {
    *os << "approach " << r.k << ", wind " << r.side << " degrees right of the runway";
}

std::string CrosswindRunName(const ::testing::TestParamInfo<CrosswindRun>& info) {
    const int types[3] = {0, 1, 3};
    return "Approach" + std::to_string(info.param.k) + "_" + TypeName(types[info.param.k % 3]) +
           (info.param.side == 90 ? "_FromTheRight" : "_FromTheLeft");
}

class CoupledIlsCrosswind : public navtest::ScriptRun,
                            public ::testing::WithParamInterface<CrosswindRun> {};

TEST_P(CoupledIlsCrosswind, HoldsTheCentreLine) {
    const std::vector<Approach> all = StraightInIls();
    ASSERT_GT(all.size(), 500u);
    const std::size_t k = GetParam().k;
    const Approach a = all[(k * 4513 + 101) % all.size()];
    const int types[3] = {0, 1, 3};
    const int type = types[k % 3];
    // The runway's number is its magnetic heading in tens of degrees.
    const int from = (std::atoi(a.runway.c_str()) * 10 + GetParam().side) % 360;
    const std::string what =
        a.listed + " type " + std::to_string(type) + " wind " + std::to_string(from) + "/20";
    EXPECT_TRUE(CheckApproach(FlyApproach(a, type, 0, k % 2 == 0, from, 20), type, what));
}

INSTANTIATE_TEST_SUITE_P(BothSides, CoupledIlsCrosswind, ::testing::ValuesIn(CrosswindRuns()),
                         CrosswindRunName);

}  // namespace
