// The world in the running program, driven by the scripts in scripts/. Forty airports from sea
// level to nearly 10,000 ft, each started ready on its first runway by the airports wizard and
// photographed from the cockpit: the runway's public corners (data/navdata-us), carried onto the
// world plane by a second projection and through the test's own camera from the saved flight,
// fall on pavement with grass beside it, and the buildings the installation's object files
// place in view change the picture where they stand. The Graphics dialog and F9 change the next
// frames; along San Carlos's row of hangars the nearer cover the farther; by moonlight the moon
// stands out and the aircraft stays darker than the runway lights;
// on a one-mile final by night the approach lights run their whole length; the positioning map
// shows the installation's obstacles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "core/stream_io.h"
#include "nav/independent_projection.h"
#include "platform/file_system.h"
#include "support/starter_run.h"
#include "world/airport_records.h"

namespace {

namespace fs = std::filesystem;
using testsupport::StarterRun;
using Rgb = testsupport::ScreenRgb;

// The sample: the named fields, then four towered fields of each elevation band (sea level,
// 100, 500, 1,000, 2,000, 3,000, 4,500 and 6,000 ft) and one above 7,000 ft.
const char* const kAirports[] = {
    "KAPA", "KASE", "KDEN", "KLXV", "KSQL", "KOAK", "KTEB", "KHOU", "KMCF", "KSLI",
    "KMHR", "KBKT", "KLWM", "KMHT", "KPSC", "KFNT", "KGTB", "KHUA", "KGFK", "KDBQ",
    "KPIT", "KCHD", "KABI", "KBOI", "KGPI", "KGEG", "KTUS", "KCVS", "KGTF", "KHOB",
    "KNFL", "KBJC", "KTNX", "KGJT", "KEKO", "KSAF", "KCOS", "KGCN", "KTVL", "KFLG"};

constexpr double kMetresPerUnit = 0.392906;  // a scene unit (1.2890625 ft)
constexpr double kFocal = 1024.0;            // pixels: 640 across a window of +-40 at 128

// The fields of the report lines of a trace, in order.
std::vector<std::map<std::string, std::string>> Reports(const std::string& out) {
    std::vector<std::map<std::string, std::string>> all;
    for (std::size_t at = out.find(" report "); at != std::string::npos;
         at = out.find(" report ", at + 1)) {
        const std::size_t end = out.find('\n', at);
        std::stringstream line(out.substr(at + 8, end - at - 8));
        std::map<std::string, std::string> fields;
        for (std::string word; line >> word;) {
            const std::size_t eq = word.find('=');
            if (eq != std::string::npos) fields[word.substr(0, eq)] = word.substr(eq + 1);
        }
        all.push_back(std::move(fields));
    }
    return all;
}

// The camera of a picture, from the saved flight: the eye at the aircraft's place (world metres
// east and north), its height above the ground under it, the heading (clockwise from the world
// plane's north) and the view's pitch.
struct Camera {
    double east = 0, north = 0, height = 0;
    double heading = 0, pitch = 0;  // radians
    double fwd[3], right[3], up[3];

    void Aim() {
        const double sh = std::sin(heading), ch = std::cos(heading);
        const double sp = std::sin(pitch), cp = std::cos(pitch);
        const double f[3] = {sh * cp, ch * cp, sp}, r[3] = {ch, -sh, 0.0}, u[3] = {-sh * sp, -ch * sp, cp};
        std::memcpy(fwd, f, sizeof f);
        std::memcpy(right, r, sizeof r);
        std::memcpy(up, u, sizeof u);
    }
    // Where the ray through a pixel meets the ground (metres from the eye's foot), or false
    // above the horizon.
    bool Ground(double sx, double sy, double* e, double* n, double* range) const {
        const double a = (sx - 319.5) / kFocal, b = (239.5 - sy) / kFocal;
        double d[3];
        for (int i = 0; i < 3; ++i)
            d[i] = fwd[i] + a * right[i] + b * up[i];
        if (d[2] > -1e-6) return false;
        const double t = height / -d[2];
        *e = d[0] * t;
        *n = d[1] * t;
        *range = t * std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        return true;
    }
    // The pixel of a point (metres from the eye's foot, height above its ground); false behind.
    bool Pixel(double e, double n, double z, double* sx, double* sy) const {
        const double p[3] = {e, n, z - height};
        const double depth = p[0] * fwd[0] + p[1] * fwd[1] + p[2] * fwd[2];
        if (depth < 1.0) return false;
        *sx = 319.5 + kFocal * (p[0] * right[0] + p[1] * right[1] + p[2] * right[2]) / depth;
        *sy = 239.5 - kFocal * (p[0] * up[0] + p[1] * up[1] + p[2] * up[2]) / depth;
        return true;
    }
};

Camera CameraOf(const std::string& flight, double pitchDegrees) {
    core::IniFile f(flight.c_str());
    Camera c;
    c.east = f.GetInt("Aircraft", "fmPosX", 0) / 256.0;
    c.north = f.GetInt("Aircraft", "fmPosZ", 0) / 256.0;
    c.height = f.GetInt("Aircraft", "fmPosY", 0) / 256.0;
    c.heading = (f.GetInt("Aircraft", "fmHead", 0) & 0xFFFF) * 2.0 * navtest::kPi / 65536.0;
    c.pitch = pitchDegrees * navtest::kPi / 180.0;
    c.Aim();
    return c;
}

// World metres (east, north) of a public place.
void Metres(double lat, double lon, double* east, double* north) {
    double x = 0, z = 0;
    navtest::GeographicToWorld(lat, lon, &x, &z);
    *east = x / 256.0;
    *north = z / 256.0;
}

// Paved: grey to white, where grass, earth, water and sky are coloured.
bool Paved(Rgb p) {
    const int hi = std::max({p.r, p.g, p.b}), lo = std::min({p.r, p.g, p.b});
    return hi - lo <= 40 && hi >= 40;
}

int Level(Rgb p) {
    return (p.r + p.g + p.b) / 3;
}

// A key's line of a flight's text set to a value.
void SetKey(std::string* text, const std::string& key, const std::string& value) {
    const std::size_t at = ("\n" + *text).find("\n" + key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    const std::size_t end = text->find_first_of("\r\n", at);
    text->replace(at, end - at, key + "=" + value);
}

// A member of the installation's data volume, read as the program reads it.
std::vector<std::uint8_t> InstalledMember(const char* folder, const char* name) {
    const fs::path previous = fs::current_path();
    fs::current_path(StarterRun::Install());
    platform::ForgetFolderListings();
    std::vector<std::uint8_t> bytes;
    {
        core::ResourceVolume volume("Data\\Data.Vol", folder, 0);
        if (volume.OpenFile(name) != 0) {
            const std::int64_t size = volume.GetStream()->GetEntrySize(name);
            if (size > 0) {
                bytes.resize(static_cast<std::size_t>(size));
                if (core::ReadAll(*volume.GetStream(), static_cast<std::uint32_t>(size), bytes.data()) == 0)
                    bytes.clear();
            }
            volume.CloseFile();
        }
    }
    fs::current_path(previous);
    platform::ForgetFolderListings();
    return bytes;
}

// The script of the whole sample: the Spot view, then each airport.
std::string SampleScript(const StarterRun& run) {
    const std::string view = testsupport::CommittedScript("world/scripts/airport-view.simrun", run.Dir().Root());
    std::string script = "frame-interval 20\nwait 300\n";
    for (const char* icao : kAirports) {
        std::string block = view;
        for (std::size_t at; (at = block.find("@icao")) != std::string::npos;)
            block.replace(at, 5, icao);
        script += block;
    }
    return script + "quit\n";
}

// The runway row of a field and end id: the two ends and the width, metres on the world plane.
struct Runway {
    double e0 = 0, n0 = 0, e1 = 0, n1 = 0, width = 0;
    bool paved = false;
};
// The wizard's list writes "1" for the data's "01".
std::string Unpadded(const std::string& id) {
    return id.size() > 1 && id[0] == '0' ? id.substr(1) : id;
}
bool FindRunway(const std::string& icao, const std::string& id, Runway* out) {
    for (const auto& row : navtest::ReadNavCsv("runway.csv")) {
        if (row.size() < 11 || row[0] != icao) continue;
        if (Unpadded(row[3]) != Unpadded(id) && Unpadded(row[7]) != Unpadded(id)) continue;
        const bool first = Unpadded(row[3]) == Unpadded(id);
        Metres(std::stod(row[first ? 4 : 8]), std::stod(row[first ? 5 : 9]), &out->e0, &out->n0);
        Metres(std::stod(row[first ? 8 : 4]), std::stod(row[first ? 9 : 5]), &out->e1, &out->n1);
        out->width = std::stod(row[1]);
        out->paved = row[2] == "1" || row[2] == "2";
        return true;
    }
    return false;
}

TEST(WorldRun, FortyAirportsShowTheirRunwayWherePublicCornersPutItAndTheirBuildings) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    // Every building (density 0), then none but the towers (density 4): where the two pictures
    // differ, a building was drawn.
    StarterRun all("zephlon-airports"), none("zephlon-airports-bare");
    all.Dir().Write("Zephlon.ini", "[Main Scenery Graphics]\r\nBuildingDensity=0\r\n");
    none.Dir().Write("Zephlon.ini", "[Main Scenery Graphics]\r\nBuildingDensity=4\r\n");
    const testsupport::CommandResult ra = all.Play(SampleScript(all));
    ASSERT_EQ(ra.status, 0) << ra.out;
    const testsupport::CommandResult rb = none.Play(SampleScript(none));
    ASSERT_EQ(rb.status, 0) << rb.out;
    const auto reports = Reports(ra.out);
    ASSERT_EQ(reports.size(), std::size(kAirports)) << ra.out;
    const std::vector<world::BuildingRecord> buildings =
        world::ReadBuildingRecords(InstalledMember("Data\\Buildings", "buildings.bin"));
    ASSERT_FALSE(buildings.empty());

    int measured = 0, withBuildingsInView = 0, buildingsSeen = 0;
    std::size_t from = 0;
    for (std::size_t k = 0; k < std::size(kAirports); ++k) {
        const std::string icao = kAirports[k];
        SCOPED_TRACE(icao);
        // The runway the wizard chose: the first row of its list.
        const std::size_t row = ra.out.find("read 1059 row 0: \"", from);
        ASSERT_NE(row, std::string::npos);
        from = row + 1;
        const std::string id = ra.out.substr(row + 18, ra.out.find_first_of("\t\" ", row + 18) - row - 18);
        Runway rw;
        ASSERT_TRUE(FindRunway(icao, id, &rw)) << "[" << id << "]";
        const std::string picture = all.Dir().Read(icao + ".bmp");
        const std::string bare = none.Dir().Read(icao + ".bmp");
        ASSERT_GT(picture.size(), 640u * 480u);
        ASSERT_GT(bare.size(), 640u * 480u);
        ASSERT_EQ(reports[k].at("view"), "3");
        Camera cam = CameraOf(all.Dir().Path(icao + ".flt"), std::stod(reports[k].at("cam_pitch")));
        // The saved heading is the camera's (the report counts it the other way round).
        EXPECT_LT(std::fabs(std::remainder(cam.heading * 180.0 / navtest::kPi +
                                               std::stod(reports[k].at("cam_heading")), 360.0)),
                  0.1);

        // The runway: every ground pixel whose ray meets the runway's middle 80 % across, from
        // 40 m ahead to 2 km, must show pavement (soft runways are not paved).
        if (rw.paved) {
            const double le = rw.e1 - rw.e0, ln = rw.n1 - rw.n0, length = std::hypot(le, ln);
            const double ue = le / length, un = ln / length;
            int inside = 0, paved = 0, beside = 0, pavedBeside = 0;
            for (int y = 0; y < 455; ++y)
                for (int x = 0; x < 640; ++x) {
                    double e, n, range;
                    if (!cam.Ground(x, y, &e, &n, &range) || range < 40.0 || range > 2000.0) continue;
                    const double pe = cam.east + e - rw.e0, pn = cam.north + n - rw.n0;
                    const double along = pe * ue + pn * un, across = -pe * un + pn * ue;
                    if (along < 0.0 || along > length) continue;
                    const bool p = Paved(testsupport::ScreenshotPixel(picture, x, y));
                    if (std::fabs(across) <= 0.4 * rw.width) {
                        ++inside;
                        paved += p ? 1 : 0;
                    } else if (std::fabs(across) >= 0.75 * rw.width && std::fabs(across) <= 1.5 * rw.width) {
                        // The strips beside it: grass, for the most part.
                        ++beside;
                        pavedBeside += p ? 1 : 0;
                    }
                }
            ASSERT_GT(inside, 500) << "the runway is not ahead";
            EXPECT_GE(paved, inside * 8 / 10) << paved << " of " << inside;
            EXPECT_LT(pavedBeside, beside / 2) << pavedBeside << " of " << beside << " beside it";
            ++measured;
        }

        // The buildings in view within 1.5 km: where one stands the two pictures differ.
        int inView = 0, seen = 0;
        for (const world::BuildingRecord& b : buildings) {
            if (b.cls == world::kTowerClass) continue;
            const double be = (b.x - 9437184.0) * 100.584 / 256.0 - cam.east;
            const double bn = (b.z - 5242880.0) * 100.584 / 256.0 - cam.north;
            if (std::hypot(be, bn) > 1500.0) continue;
            double sx, sy;
            if (!cam.Pixel(be, bn, 3.0, &sx, &sy) || sx < 4 || sx > 635 || sy < 4 || sy > 450) continue;
            ++inView;
            int differs = 0;
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx) {
                    const Rgb p = testsupport::ScreenshotPixel(picture, int(sx) + dx, int(sy) + dy);
                    const Rgb q = testsupport::ScreenshotPixel(bare, int(sx) + dx, int(sy) + dy);
                    differs += (p.r != q.r || p.g != q.g || p.b != q.b) ? 1 : 0;
                }
            seen += differs > 0 ? 1 : 0;
        }
        if (inView > 0) {
            ++withBuildingsInView;
            EXPECT_GT(seen, 0) << inView << " buildings in view, none drawn";
        }
        buildingsSeen += seen;
    }
    EXPECT_GE(measured, 36);
    EXPECT_GE(withBuildingsInView, 20);
    EXPECT_GT(buildingsSeen, withBuildingsInView);
}

}  // namespace

namespace {

int PixelsThatDiffer(const std::string& a, const std::string& b) {
    int n = 0;
    for (int y = 0; y < 480; y += 2)
        for (int x = 0; x < 640; x += 2) {
            const Rgb p = testsupport::ScreenshotPixel(a, x, y), q = testsupport::ScreenshotPixel(b, x, y);
            n += (p.r != q.r || p.g != q.g || p.b != q.b) ? 1 : 0;
        }
    return n;
}

// Over the bay at 3,000 ft, looking ahead: every column's terrain, from the screen's foot up to
// where the ground plane's haze colour takes over, shows no pixel of the sky's two colours (the
// far water once faded through a band of sky blue before the haze), and there is water in view.
TEST(WorldRun, FarWaterFadesIntoTheHazeWithoutABandOfSky) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-haze", "Cruise.Flt");
    const testsupport::CommandResult r = run.Play("frame-interval 20\nwait 600\nmenu 1666\nwait 100\nscreenshot " +
                                                  run.Dir().Path("far.bmp") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string bmp = run.Dir().Read("far.bmp");
    ASSERT_GT(bmp.size(), 1078u);
    // The 8-bit picture's palette: the sky's entries and the ground plane's colour (the bottom
    // of the haze band, as the screen's top row is the sky's).
    const auto at = [&](std::size_t i) { return static_cast<int>(static_cast<std::uint8_t>(bmp[i])); };
    const std::size_t palette = 14 + static_cast<std::size_t>(at(14));
    const auto entry = [&](int i) {
        const std::size_t e = palette + 4 * static_cast<std::size_t>(i);
        return Rgb{at(e + 2), at(e + 1), at(e)};
    };
    const auto same = [](Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; };
    const Rgb sky[2] = {entry(244), entry(245)};
    const Rgb haze = testsupport::ScreenshotPixel(bmp, 320, 300);
    int terrain = 0, water = 0, skyInTerrain = 0;
    for (int x = 0; x < 640; ++x) {
        for (int y = 479; y > 240; --y) {
            const Rgb p = testsupport::ScreenshotPixel(bmp, x, y);
            if (same(p, haze)) break;
            ++terrain;
            water += p.b > p.r + 40 ? 1 : 0;
            skyInTerrain += same(p, sky[0]) || same(p, sky[1]) ? 1 : 0;
        }
    }
    EXPECT_GT(terrain, 20000);
    EXPECT_GT(water, 3000);
    EXPECT_EQ(skyInTerrain, 0);
}

TEST(WorldRun, TheGraphicsSettingsAndF9ChangeTheNextFramesWithoutANewStart) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-graphics");
    // The user's own settings, not the processor's presets (which keep the dialog shut).
    run.Dir().Write("Zephlon.ini", "[Aircraft]\r\nAutoComplex=0\r\n");
    const testsupport::CommandResult r =
        run.Play(testsupport::CommittedScript("world/scripts/graphics-settings.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    const auto reports = Reports(r.out);
    ASSERT_EQ(reports.size(), 3u) << r.out;
    const auto& main = reports[0];
    const auto& changed = reports[1];
    const auto& alternate = reports[2];
    // The same tile throughout: nothing was started again.
    EXPECT_EQ(changed.at("tile"), main.at("tile"));
    EXPECT_EQ(alternate.at("tile"), main.at("tile"));
    // The least range draws fewer cells, the towers alone fewer objects; the alternate profile
    // (the fresh installation's values, as the main one was) draws what the first frame drew.
    EXPECT_LT(std::stoi(changed.at("cells")), std::stoi(main.at("cells")) * 3 / 4);
    EXPECT_LT(std::stoi(changed.at("objects")), std::stoi(main.at("objects")));
    EXPECT_EQ(alternate.at("cells"), main.at("cells"));
    EXPECT_EQ(alternate.at("objects"), main.at("objects"));
    const std::string before = run.Dir().Read("main.bmp");
    const std::string after = run.Dir().Read("changed.bmp");
    const std::string back = run.Dir().Read("alternate.bmp");
    ASSERT_GT(before.size(), 640u * 480u);
    ASSERT_GT(after.size(), 640u * 480u);
    ASSERT_GT(back.size(), 640u * 480u);
    EXPECT_GT(PixelsThatDiffer(before, after), 320 * 240 / 5);
    EXPECT_GT(PixelsThatDiffer(after, back), 320 * 240 / 5);
    EXPECT_LT(PixelsThatDiffer(before, back), 320 * 240 / 50);
    // What the user chose is kept.
    core::IniFile ini(run.Dir().Path("Zephlon.ini").c_str());
    EXPECT_EQ(ini.GetInt("Main Scenery Graphics", "TerrainRange", -1), 0);
    EXPECT_EQ(ini.GetInt("Main Scenery Graphics", "TerrainTexture", -1), 0);
    EXPECT_EQ(ini.GetInt("Main Scenery Graphics", "BuildingDensity", -1), 4);
}

// The runway's paint: white in every channel, where pavement, grass and sky are not.
int PaintPixels(const std::string& bmp) {
    int n = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const Rgb p = testsupport::ScreenshotPixel(bmp, x, y);
            n += p.r >= 220 && p.g >= 220 && p.b >= 220 ? 1 : 0;
        }
    return n;
}

// Terrain textures off is the plainer ground, not a runway without its centre line: ahead of
// the aircraft on San Carlos's runway the dashes of the centre line stay as they were.
TEST(WorldRun, WithTheTerrainsTexturesOffTheRunwayKeepsItsMarkings) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-markings");
    run.Dir().Write("Zephlon.ini", "[Aircraft]\r\nAutoComplex=0\r\n");
    const testsupport::CommandResult r = run.Play(
        testsupport::CommittedScript("world/scripts/runway-markings.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    const int textured = PaintPixels(run.Dir().Read("textured.bmp"));
    const int plain = PaintPixels(run.Dir().Read("plain.bmp"));
    EXPECT_GT(textured, 200);
    EXPECT_GE(plain, textured * 9 / 10);
}

// From the SkyCam low beside the runway the grass a few yards in front of the camera shows its
// texture as the cockpit's views show the ground farther off: along the rows of its band at
// the foot of the picture the colour changes every few texels' width, where untextured,
// smoothly shaded triangles hold one colour for hundreds of pixels.
TEST(WorldRun, InTheSkyCamOnTheGroundTheGrassInFrontOfTheCameraIsTextured) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-skycam");
    const testsupport::CommandResult r = run.Play(
        testsupport::CommittedScript("world/scripts/skycam-ground.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    const auto reports = Reports(r.out);
    ASSERT_EQ(reports.size(), 1u) << r.out;
    ASSERT_EQ(reports[0].at("view"), "4");
    const std::string picture = run.Dir().Read("skycam.bmp");
    ASSERT_GT(picture.size(), 640u * 480u);
    auto grass = [](Rgb p) { return p.g > p.r + 20 && p.g > p.b + 20; };
    int pairs = 0, changes = 0;
    for (int y = 400; y < 470; ++y) {
        Rgb left = testsupport::ScreenshotPixel(picture, 0, y);
        for (int x = 1; x < 640; ++x) {
            const Rgb p = testsupport::ScreenshotPixel(picture, x, y);
            if (grass(p) && grass(left)) {
                ++pairs;
                changes += p.r != left.r || p.g != left.g || p.b != left.b ? 1 : 0;
            }
            left = p;
        }
    }
    ASSERT_GT(pairs, 20000) << "the grass is not in front of the camera";
    EXPECT_LT(pairs, 80 * changes)
        << "runs of one colour of " << pairs / std::max(changes, 1) << " pixels";
}

}  // namespace

namespace {

// Lights are lights at night too: the aircraft's red position light on the left wing tip and
// its green one on the right keep their colour (a red channel of 180 or more for the red, a green
// one for the green), not the dark paint that night makes of their colours.
TEST(WorldRun, ByNightTheAircraftsPositionLightsShowRedAndGreen) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-navlights");
    std::string text = run.Dir().Read("Flights/Startup.Flt");
    ASSERT_FALSE(text.empty());
    SetKey(&text, "cur", "1782795600");  // 22:00 at San Carlos on 29 June 2026
    SetKey(&text, "master", "1");
    SetKey(&text, "navLights", "1");
    SetKey(&text, "beacon", "1");
    run.Dir().Write("Flights/Startup.Flt", text);
    const testsupport::CommandResult r =
        run.Play(testsupport::CommittedScript("world/scripts/position-lights.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string picture = run.Dir().Read("lights.bmp");
    ASSERT_GT(picture.size(), 640u * 480u);
    // The wings span the middle of the picture above the runway's edge lights.
    int red = 0, green = 0;
    for (int y = 190; y < 240; ++y)
        for (int x = 100; x < 540; ++x) {
            const Rgb p = testsupport::ScreenshotPixel(picture, x, y);
            if (x < 320 && p.r >= 180 && p.g < 100 && p.b < 100) ++red;
            if (x >= 320 && p.g >= 180 && p.r < 120 && p.b < 150) ++green;
        }
    EXPECT_GE(red, 3);
    EXPECT_GE(green, 3);
}

TEST(WorldRun, ByMoonlightTheMoonShinesAndTheAircraftIsNoBrighterThanTheRunwayLights) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-night");
    // The first flight, moved to 05:00 UTC on 30 June 2026 (the full moon of 29 June rising).
    std::string text = run.Dir().Read("Flights/Startup.Flt");
    const std::size_t at = text.find("cur=");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, text.find_first_of("\r\n", at) - at, "cur=1782795600");
    run.Dir().Write("Flights/Startup.Flt", text);
    const testsupport::CommandResult r =
        run.Play(testsupport::CommittedScript("world/scripts/night-sky.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    const auto reports = Reports(r.out);
    ASSERT_EQ(reports.size(), 3u) << r.out;
    ASSERT_EQ(reports[0].at("period"), "3");
    ASSERT_EQ(reports[1].at("period"), "3");
    ASSERT_EQ(reports[2].at("period"), "1");
    ASSERT_GT(std::stod(reports[0].at("moon_el")), 3.0);

    // The moon: a disc at least 60 levels brighter than the sky round it (the sky's most common
    // level), one compact cluster, not a few stars.
    const std::string moon = run.Dir().Read("moon.bmp");
    ASSERT_GT(moon.size(), 640u * 480u);
    std::map<int, int> levels;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 640; ++x)
            ++levels[Level(testsupport::ScreenshotPixel(moon, x, y))];
    int sky = 0, most = 0;
    for (const auto& [level, count] : levels)
        if (count > most) {
            most = count;
            sky = level;
        }
    // The largest 8-connected cluster of such pixels (the stars around it are single dots).
    std::vector<std::uint8_t> bright(640 * 150, 0);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 640; ++x)
            bright[static_cast<std::size_t>(y) * 640 + x] =
                Level(testsupport::ScreenshotPixel(moon, x, y)) >= sky + 60 ? 1 : 0;
    int lit = 0, left = 640, right = 0, top = 480, bottom = 0;
    std::vector<int> stack;
    for (int start = 0; start < 640 * 150; ++start) {
        if (bright[static_cast<std::size_t>(start)] == 0) continue;
        int n = 0, l = 640, rt = 0, t = 480, b = 0;
        stack.assign(1, start);
        bright[static_cast<std::size_t>(start)] = 0;
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            const int x = at % 640, y = at / 640;
            ++n;
            l = std::min(l, x);
            rt = std::max(rt, x);
            t = std::min(t, y);
            b = std::max(b, y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || nx >= 640 || ny < 0 || ny >= 150) continue;
                    std::uint8_t& p = bright[static_cast<std::size_t>(ny) * 640 + nx];
                    if (p == 0) continue;
                    p = 0;
                    stack.push_back(ny * 640 + nx);
                }
        }
        if (n > lit) {
            lit = n;
            left = l;
            right = rt;
            top = t;
            bottom = b;
        }
    }
    EXPECT_GE(lit, 150);
    EXPECT_LE(right - left, 40);
    EXPECT_LE(bottom - top, 40);

    // The aircraft: where the day's picture shows its white paint (and the threshold's stripes
    // under it), the night's is darker than the brightest runway light by half, and darker than
    // by day.
    const std::string night = run.Dir().Read("night.bmp");
    const std::string day = run.Dir().Read("day.bmp");
    ASSERT_GT(night.size(), 640u * 480u);
    ASSERT_GT(day.size(), 640u * 480u);
    int painted = 0, brightestAircraft = 0, brightestLight = 0;
    for (int y = 180; y < 320; ++y)
        for (int x = 120; x < 520; ++x) {
            const Rgb d = testsupport::ScreenshotPixel(day, x, y);
            const Rgb n = testsupport::ScreenshotPixel(night, x, y);
            if (d.r >= 200 && d.g >= 200 && d.b >= 200) {
                ++painted;
                brightestAircraft = std::max(brightestAircraft, Level(n));
            }
        }
    for (int y = 160; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            brightestLight = std::max(brightestLight, Level(testsupport::ScreenshotPixel(night, x, y)));
    ASSERT_GT(painted, 200);
    EXPECT_GE(brightestLight, 200);
    EXPECT_LE(brightestAircraft * 2, brightestLight);
}

}  // namespace

namespace {

TEST(WorldRun, ByNightOnAOneMileFinalToOakland29TheApproachLightsRunTheirWholeLength) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-final");
    testsupport::CommandResult r =
        run.Play(testsupport::CommittedScript("world/scripts/final-approach-start.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    // The threshold of 29 and the runway's direction from the public data, on the world plane.
    Runway rw;
    ASSERT_TRUE(FindRunway("KOAK", "29", &rw));
    const double length = std::hypot(rw.e1 - rw.e0, rw.n1 - rw.n0);
    const double ue = (rw.e1 - rw.e0) / length, un = (rw.n1 - rw.n0) / length;
    // The wizard's final, moved in along the extended centre line to one nautical mile at
    // 320 ft (three degrees), by night.
    std::string text = run.Dir().Read("Flights/Startup.Flt");
    ASSERT_FALSE(text.empty());
    const double east = rw.e0 - ue * 1852.0, north = rw.n0 - un * 1852.0;
    SetKey(&text, "fmPosX", std::to_string(static_cast<long long>(east * 256.0)));
    SetKey(&text, "fmPosZ", std::to_string(static_cast<long long>(north * 256.0)));
    SetKey(&text, "fmPosY", std::to_string(static_cast<long long>(320.0 * 0.3048 * 256.0)));
    SetKey(&text, "cur", "1782108000");  // 06:00 UTC on 22 June 2026, 23:00 at Oakland
    run.Dir().Write("Flights/Startup.Flt", text);
    r = run.Play(testsupport::CommittedScript("world/scripts/final-approach.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    const auto reports = Reports(r.out);
    ASSERT_EQ(reports.size(), 1u) << r.out;
    ASSERT_EQ(reports[0].at("view"), "3");
    ASSERT_EQ(reports[0].at("period"), "3");
    Camera cam = CameraOf(run.Dir().Path("seen.flt"), std::stod(reports[0].at("cam_pitch")));
    const std::string picture = run.Dir().Read("final.bmp");
    ASSERT_GT(picture.size(), 640u * 480u);

    // The approach lights stand every 100 ft out to 2,400 ft ahead of the threshold. Each
    // quarter of that length shows light points on the centre line where the test's camera
    // puts it.
    for (int quarter = 0; quarter < 4; ++quarter) {
        SCOPED_TRACE("from " + std::to_string(quarter * 600) + " ft");
        // Rows nearer the threshold lie higher in the picture than those nearer the aircraft.
        double innerX, innerY, outerX, outerY;
        const double d0 = (quarter * 6 + 1) * 30.48, d1 = (quarter * 6 + 6) * 30.48;
        ASSERT_TRUE(cam.Pixel(rw.e0 - ue * d0 - cam.east, rw.n0 - un * d0 - cam.north, 0.0, &innerX, &innerY));
        ASSERT_TRUE(cam.Pixel(rw.e0 - ue * d1 - cam.east, rw.n0 - un * d1 - cam.north, 0.0, &outerX, &outerY));
        ASSERT_GT(outerY, innerY);
        int lights = 0;
        for (int y = static_cast<int>(innerY) - 1; y <= static_cast<int>(outerY) + 1; ++y) {
            const double t = (y - innerY) / (outerY - innerY);
            const int cx = static_cast<int>(innerX + t * (outerX - innerX));
            for (int x = cx - 4; x <= cx + 4; ++x)
                if (x >= 0 && x < 640 && y >= 0 && y < 480)
                    lights += Level(testsupport::ScreenshotPixel(picture, x, y)) >= 150 ? 1 : 0;
        }
        EXPECT_GE(lights, 2) << "rows " << innerY << " to " << outerY << " about x " << innerX;
    }
}

}  // namespace

namespace {

TEST(WorldRun, TheMapAt16NmRoundSanCarlosShowsTheInstallationsObstacles) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-mapobstacles");
    const std::string script =
        testsupport::CommittedScript("world/scripts/map-obstacles.simrun", run.Dir().Root());
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_NE(r.out.find("read 1819 Static \"16 nm\""), std::string::npos) << r.out;
    // The view the zoom clicks make: the whole country (55 N to 20 N, 125 W to 65 W over 552 x
    // 322 pixels from (64, 31)), each click centring the next level on the clicked place.
    const double spans[7][2] = {{35.0, 60.0}, {14.583, 25.0}, {7.583, 13.0}, {3.5, 6.0},
                                {1.167, 2.0}, {0.292, 0.5},   {0.1167, 0.2}};
    double top = 55.0, left = 125.0;
    int level = 0;
    std::stringstream lines(script);
    bool zoomTool = false;
    for (std::string line; std::getline(lines, line);) {
        int x = 0, y = 0;
        if (std::sscanf(line.c_str(), "mouse %d %d left-click", &x, &y) != 2) continue;
        if (y > 440) {
            zoomTool = zoomTool || x == 221;
            continue;
        }
        ASSERT_TRUE(zoomTool);
        const double lat = top - (y - 31) * spans[level][0] / 322.0;
        const double lon = left - (x - 64) * spans[level][1] / 552.0;
        ++level;
        top = lat + spans[level][0] / 2.0;
        left = lon + spans[level][1] / 2.0;
    }
    ASSERT_EQ(level, 6);
    const std::string picture = run.Dir().Read("map.bmp");
    ASSERT_GT(picture.size(), 640u * 480u);
    auto mark = [](Rgb p) { return p.r == 128 && p.g == 0 && p.b == 128; };
    int inView = 0, drawn = 0, markPixels = 0;
    for (int y = 31; y < 353; ++y)
        for (int x = 64; x < 616; ++x)
            markPixels += mark(testsupport::ScreenshotPixel(picture, x, y)) ? 1 : 0;
    for (const world::ObstacleRecord& o :
         world::ReadObstacleRecords(InstalledMember("Data\\Obstacle", "obstacle.bin"))) {
        double lat = 0, lon = 0;
        navtest::WorldToGeographic(static_cast<std::int32_t>((o.x - 9437184.0) * 100.584),
                                   static_cast<std::int32_t>((o.z - 5242880.0) * 100.584), &lat, &lon);
        const double px = 64 + (left + lon) * 552.0 / spans[6][1];
        const double py = 31 + (top - lat) * 322.0 / spans[6][0];
        if (px < 72 || px > 608 || py < 41 || py > 345) continue;
        ++inView;
        // The mark: a caret eight pixels high standing on the obstacle's place.
        int found = 0;
        for (int dy = -10; dy <= 2; ++dy)
            for (int dx = -6; dx <= 6; ++dx)
                found += mark(testsupport::ScreenshotPixel(picture, int(px) + dx, int(py) + dy)) ? 1 : 0;
        drawn += found >= 8 ? 1 : 0;
    }
    EXPECT_GE(inView, 3);
    EXPECT_EQ(drawn, inView);
    // Nothing else is drawn in the obstacles' colour.
    EXPECT_LE(markPixels, inView * 20);
}

}  // namespace

namespace {

TEST(WorldRun, AtSanCarlosTheNearerHangarsCoverTheTHangarsBehindThem) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    // The row of buildings west of the runway: two hangars (class 2) and, farther north, two
    // T-hangars (class 1).
    double ke, kn;
    Metres(37.511855, -122.249522, &ke, &kn);
    double he = 0, hn = 0, te = 0, tn = 0;
    int hangars = 0, tHangars = 0;
    for (const auto& b : world::ReadBuildingRecords(InstalledMember("Data\\Buildings", "buildings.bin"))) {
        const double e = (b.x - 9437184.0) * 100.584 / 256.0, n = (b.z - 5242880.0) * 100.584 / 256.0;
        if (std::hypot(e - ke, n - kn) > 1000.0) continue;
        if (b.name == "hangar" && b.cls == 2) {
            he += e;
            hn += n;
            ++hangars;
        } else if (b.name == "thangar" && b.cls == 1) {
            te += e;
            tn += n;
            ++tHangars;
        }
    }
    ASSERT_GT(hangars, 0);
    ASSERT_GT(tHangars, 0);
    he /= hangars, hn /= hangars, te /= tHangars, tn /= tHangars;
    // The eye 300 m short of the hangars on the line from them to the T-hangars, 60 m up.
    const double d = std::hypot(te - he, tn - hn), ue = (te - he) / d, un = (tn - hn) / d;
    const double heading = std::atan2(ue, un) * 180.0 / navtest::kPi;
    // Every building, the hangars' class and up, none but towers: the same view three times.
    std::map<int, std::string> pictures;
    for (const int density : {0, 2, 4}) {
        StarterRun run("zephlon-hangars");
        // Untextured walls: the texture sheets' packing, which follows what else is loaded,
        // leaves the colours alone.
        run.Dir().Write("Zephlon.ini", "[Main Scenery Graphics]\r\nBuildingTexture=0\r\nBuildingDensity=" +
                                           std::to_string(density) + "\r\n");
        std::string text = run.Dir().Read("Flights/Startup.Flt");
        SetKey(&text, "fmPosX", std::to_string(static_cast<long long>((he - 300.0 * ue) * 256.0)));
        SetKey(&text, "fmPosZ", std::to_string(static_cast<long long>((hn - 300.0 * un) * 256.0)));
        // A little above the roofs, so that the T-hangars show over the hangars' ridges.
        SetKey(&text, "fmPosY", std::to_string(static_cast<long long>(60.0 * 256.0)));
        SetKey(&text, "fmHead", std::to_string(static_cast<long long>(std::fmod(heading + 360.0, 360.0) * 65536.0 / 360.0)));
        run.Dir().Write("Flights/Startup.Flt", text);
        const testsupport::CommandResult r =
            run.Play(testsupport::CommittedScript("world/scripts/hangar-row.simrun", run.Dir().Root()));
        ASSERT_EQ(r.status, 0) << r.out;
        pictures[density] = run.Dir().Read("row.bmp");
        ASSERT_GT(pictures[density].size(), 640u * 480u);
    }
    auto same = [](Rgb p, Rgb q) { return p.r == q.r && p.g == q.g && p.b == q.b; };
    // The hangars' pixels: where they alone change the bare picture. Adding the T-hangars
    // behind them must leave those pixels alone, while it does change the picture round them.
    int hangarPixels = 0, covered = 0, left = 640, right = 0, top = 480, bottom = 0;
    for (int y = 0; y < 455; ++y)
        for (int x = 0; x < 640; ++x) {
            const Rgb bare = testsupport::ScreenshotPixel(pictures[4], x, y);
            const Rgb alone = testsupport::ScreenshotPixel(pictures[2], x, y);
            if (same(bare, alone)) continue;
            ++hangarPixels;
            covered += same(alone, testsupport::ScreenshotPixel(pictures[0], x, y)) ? 1 : 0;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    int behind = 0;
    for (int y = std::max(0, top - 20); y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            behind += same(testsupport::ScreenshotPixel(pictures[2], x, y),
                           testsupport::ScreenshotPixel(pictures[0], x, y)) ? 0 : 1;
    ASSERT_GT(hangarPixels, 200);
    EXPECT_GT(behind, 50) << "the T-hangars stand behind the hangars in the picture";
    EXPECT_GE(covered, hangarPixels * 98 / 100) << covered << " of " << hangarPixels;
}

}  // namespace
