// The cockpit in the program, as a user meets it in the starter installation: the first flight's
// panel on screen in its own colours, in both panel views, windowed and in full screen with page
// flipping; the take-off run from the keys (starter, brake, full throttle), the mixture cut-off
// stopping the engine and the starter bringing it back, with sound on and off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cockpit/gauge_values.h"
#include "core/endian.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct ScriptRun {
    testsupport::CommandResult result;
    std::string folder;
};

// The installation's data folders linked into a fresh folder, and the script run there.
ScriptRun RunScript(testsupport::TempFolder& dir, const std::string& script, const std::string& ini) {
    const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
    for (const fs::directory_entry& e : fs::directory_iterator(install))
        if (e.is_directory())
            testsupport::PlaceStarterFolder(e.path(), dir.Root());
    if (!ini.empty()) dir.Write("zephlon.ini", ini);
    dir.Write("script.txt", script);
    const std::string bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
    return {testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path("script.txt") +
                                    " 2>&1"),
            dir.Root()};
}

bool Ready() {
    return fs::exists(std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun") &&
           fs::exists(std::string(ZEPHLON_BINARY_DIR) + "/install/Art/Panel.Vol");
}

std::string Repeat(const std::string& line, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += line + "\n";
    return s;
}

// A screenshot (8-bit or 24-bit BMP) as 0xRRGGBB pixels, top row first; empty when unreadable.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    [[nodiscard]] std::uint32_t At(int x, int y) const {
        return rgb[static_cast<std::size_t>(y) * width + x];
    }
};

Picture ReadPicture(const std::string& bytes) {
    Picture p;
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (bytes.size() < 54 || b[0] != 'B' || b[1] != 'M') return p;
    const unsigned bpp = core::ReadU16(b + 28) / 8u;
    const auto width = static_cast<std::int32_t>(core::ReadU32(b + 18));
    const auto height = static_cast<std::int32_t>(core::ReadU32(b + 22));
    const std::uint32_t offset = core::ReadU32(b + 10);
    if (width <= 0 || height <= 0 || (bpp != 1 && bpp != 3)) return p;
    const std::size_t stride = (static_cast<std::size_t>(width) * bpp + 3) & ~std::size_t{3};
    if (offset + stride * static_cast<std::size_t>(height) > bytes.size()) return p;
    p.width = width;
    p.height = height;
    p.rgb.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* at = b + offset + stride * static_cast<std::size_t>(height - 1 - y) +
                                     static_cast<std::size_t>(x) * bpp;
            const std::uint8_t* c = bpp == 3 ? at : b + 54 + 4 * *at;
            p.rgb[static_cast<std::size_t>(y) * width + x] =
                (std::uint32_t{c[2]} << 16) | (std::uint32_t{c[1]} << 8) | c[0];
        }
    return p;
}

// Distinct colours of the rows below `row`.
int ColoursBelow(const Picture& p, int row) {
    std::set<std::uint32_t> seen;
    for (int y = row + 1; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            seen.insert(p.At(x, y));
    return static_cast<int>(seen.size());
}

// The 256 colours of a text palette of the installation's palette volume, read the way the
// program reads a panel palette; empty when it is missing.
std::vector<std::uint32_t> TextPalette(core::ResourceVolume& volume, const std::string& name) {
    std::vector<std::uint32_t> colours;
    if (!volume.OpenFile(name)) return colours;
    char line[257];
    for (int i = 0; i < 3 && volume.ReadLine(line, sizeof line) != nullptr; ++i) {
    }
    while (colours.size() < 256 && volume.ReadLine(line, sizeof line) != nullptr) {
        unsigned r = 0, g = 0, b = 0;
        if (std::sscanf(line, "%u %u %u", &r, &g, &b) != 3) break;
        colours.push_back((r << 16) | (g << 8) | b);
    }
    volume.CloseFile();
    return colours;
}

// The share of the panel bitmap's own pixels (indices 10..73) that the screen shows, at `top`,
// in the colours of the best-fitting of the aircraft's 12 panel palettes.
double PanelColourMatch(const Picture& shot, const std::string& bitmap, const char* prefix,
                        int top) {
    const std::string install = std::string(ZEPHLON_BINARY_DIR) + "/install";
    core::ResourceVolume panel((install + "/Art/Panel.Vol").c_str(),
                               (install + "/Art/Panel").c_str(), 0);
    core::ResourceVolume palettes((install + "/Art/Palettes.Vol").c_str(),
                                  (install + "/Art/Palettes").c_str(), 0);
    std::unique_ptr<gfx::GFXBitmap> b = panel.LoadBitmap(bitmap, 0);
    if (!b || shot.width != 640) return 0.0;
    double best = 0.0;
    for (int t = 0; t < 12; ++t) {
        const std::vector<std::uint32_t> pal =
            TextPalette(palettes, std::string(prefix) + "_pnl" + std::to_string(t) + ".pal");
        if (pal.size() != 256) continue;
        long own = 0, shown = 0;
        for (int y = 0; y < std::abs(b->height) && top + y < shot.height; ++y)
            for (int x = 0; x < b->width; ++x) {
                const int v = b->Row(y)[x];
                if (v < 10 || v > 73) continue;
                ++own;
                shown += shot.At(x, top + y) == pal[static_cast<std::size_t>(v)] ? 1 : 0;
            }
        if (own > 0) best = std::max(best, static_cast<double>(shown) / own);
    }
    return best;
}

struct Priming {
    int ms;
    int count;
    int of;
};

// The trace's priming lines "[ ms] panel: primed k of n".
std::vector<Priming> PrimingLines(const std::string& out) {
    std::vector<Priming> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        Priming p{};
        if (std::sscanf(line.c_str(), "[ %d] panel: primed %d of %d", &p.ms, &p.count, &p.of) == 3)
            lines.push_back(p);
    }
    return lines;
}

// The panel in its own palette, not the world's, in both panel views; the priming paints every
// back buffer once per request in consecutive frames (three with page flipping), then stops.
class PanelOnScreen : public ::testing::TestWithParam<bool> {};

TEST_P(PanelOnScreen, BothViewsShowThePanelInItsOwnColours) {
    if (!Ready()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const bool fullScreen = GetParam();
    testsupport::TempFolder dir("zephlon-panel");
    const std::string script = "frame-interval 20\nwait 1000\nscreenshot " + dir.Path("full.bmp") +
                               "\nkey F7 press\nwait 1000\nscreenshot " + dir.Path("low.bmp") +
                               "\nquit\n";
    const ScriptRun r =
        RunScript(dir, script, fullScreen ? "[Settings]\r\nMainDD=1\r\n" : "");
    ASSERT_EQ(r.result.status, 0) << r.result.out;
    if (fullScreen) {
        ASSERT_NE(r.result.out.find("window: full screen, page flipping"), std::string::npos)
            << r.result.out;
    }

    const Picture full = ReadPicture(dir.Read("full.bmp"));
    const Picture low = ReadPicture(dir.Read("low.bmp"));
    ASSERT_EQ(full.width, 640);
    ASSERT_EQ(low.width, 640);
    EXPECT_GE(ColoursBelow(full, 171), 16);
    // The instruments cover part of the background.
    EXPECT_GE(PanelColourMatch(full, "172panel.bmp", "s", 171), 0.85);
    EXPECT_GE(PanelColourMatch(low, "172lopan.bmp", "s", 215), 0.85);

    // Two requests (the start and the change of view), each primed in consecutive frames.
    const int buffers = fullScreen ? 3 : 1;
    const std::vector<Priming> lines = PrimingLines(r.result.out);
    ASSERT_EQ(lines.size(), 2u * buffers) << r.result.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].count, static_cast<int>(i % buffers) + 1) << r.result.out;
        EXPECT_EQ(lines[i].of, buffers);
        if (i % buffers != 0) {
            EXPECT_EQ(lines[i].ms, lines[i - 1].ms + 20) << r.result.out;
        }
    }
    EXPECT_GE(lines[buffers].ms, 1000) << "the view change primed again";
}

INSTANTIATE_TEST_SUITE_P(WindowAndFullScreen, PanelOnScreen, ::testing::Values(false, true));

class CockpitProgram : public ::testing::TestWithParam<bool> {};

TEST_P(CockpitProgram, TakeOffStopAndRestartFromTheKeys) {
    if (!Ready()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const bool soundOff = GetParam();
    testsupport::TempFolder dir("zephlon-cockpit");
    const std::string script =
        "frame-interval 100\nwait 1000\nscreenshot " + dir.Path("panel.bmp") +
        "\nkey S press\nwait 3000\nkey B press\nkey backspace press\nwait 25000\nsave " +
        dir.Path("rolled.Flt") + "\n" + Repeat("key numpad/ press", 31) + "wait 3000\nsave " +
        dir.Path("stopped.Flt") + "\n" + Repeat("key numpad* press", 31) +
        "key S press\nwait 4000\nsave " + dir.Path("restarted.Flt") + "\nquit\n";
    const ScriptRun r = RunScript(dir, script, soundOff ? "[Sound]\r\nEnabled=0\r\n" : "");
    ASSERT_EQ(r.result.status, 0) << r.result.out;

    // The panel below the 3D view.
    EXPECT_GE(ColoursBelow(ReadPicture(dir.Read("panel.bmp")), 171), 16);

    core::IniFile rolled(dir.Path("rolled.Flt").c_str());
    core::IniFile start(
        (std::string(ZEPHLON_BINARY_DIR) + "/install/Flights/Startup.Flt").c_str());
    EXPECT_EQ(rolled.GetInt("Aircraft", "fmEngines", -1) & 1, 1) << r.result.out;
    EXPECT_GE(rolled.GetInt("Aircraft", "fmThrot", 0), 32000);
    EXPECT_EQ(rolled.GetInt("Panel", "throttle", 0), 31);
    // Along the runway: 150 m is 150 x 256 flight-model units.
    const double dx = rolled.GetInt("Aircraft", "fmPosX", 0) - start.GetInt("Aircraft", "fmPosX", 0);
    const double dz = rolled.GetInt("Aircraft", "fmPosZ", 0) - start.GetInt("Aircraft", "fmPosZ", 0);
    EXPECT_GE(std::hypot(dx, dz), 150.0 * 256) << r.result.out;

    core::IniFile stopped(dir.Path("stopped.Flt").c_str());
    EXPECT_EQ(stopped.GetInt("Aircraft", "fmEngines", -1), 0);
    EXPECT_EQ(stopped.GetInt("Panel", "mixture", -1), 0);
    core::IniFile restarted(dir.Path("restarted.Flt").c_str());
    EXPECT_EQ(restarted.GetInt("Aircraft", "fmEngines", -1) & 1, 1) << r.result.out;
    EXPECT_EQ(restarted.GetInt("Panel", "mixture", -1), 31);

    // The trace tells the engine's story in order.
    std::size_t at = 0;
    for (const char* line : {"panel: primed 1 of 1", "engine 1 running", "engine 1 stopping",
                             "engine 1 stopped", "engine 1 starting", "engine 1 running"}) {
        at = r.result.out.find(line, at);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\n"
                                         << r.result.out;
    }
}

INSTANTIATE_TEST_SUITE_P(SoundOnAndOff, CockpitProgram, ::testing::Values(false, true));

// The value of a "report" trace line's field; NaN when missing.
double Reported(const std::string& out, const std::string& key) {
    const std::size_t at = out.find(" " + key + "=");
    if (at == std::string::npos) return std::nan("");
    return std::atof(out.c_str() + at + key.size() + 2);
}

double Luminance(std::uint32_t rgb) {
    return 0.3 * ((rgb >> 16) & 0xFF) + 0.59 * ((rgb >> 8) & 0xFF) + 0.11 * (rgb & 0xFF);
}

// The angle (degrees clockwise from up) of the farthest bright pixel from a pivot among the
// pixels two pictures do not share, bright in `shot`; -1 when there is none.
double NeedleAngle(const Picture& shot, const Picture& other, int px, int py) {
    double best = -1, angle = -1;
    for (int y = py - 40; y <= py + 40; ++y)
        for (int x = px - 40; x <= px + 40; ++x) {
            const double d = std::hypot(x - px, y - py);
            if (d < 10 || d > 40) continue;
            if (shot.At(x, y) == other.At(x, y) || Luminance(shot.At(x, y)) < 180) continue;
            if (d > best) {
                best = d;
                angle = std::fmod(std::atan2(x - px, py - y) * 180.0 / 3.14159265358979 + 360.0, 360.0);
            }
        }
    return angle;
}

// The C172's airspeed needle in the program's own screenshots: straight up at rest, and after a
// 25-second take-off roll at (n - 1) x 2 degrees for the frame n the 172's formula gives for the
// indicated airspeed the program reports.
TEST(CockpitInstruments, TheAirspeedNeedleFollowsTheTakeOffRoll) {
    if (!Ready()) GTEST_SKIP() << "simrun or the starter installation is not built";
    testsupport::TempFolder dir("zephlon-airspeed");
    const std::string script =
        "frame-interval 100\nwait 1000\nscreenshot " + dir.Path("rest.bmp") +
        "\nkey S press\nwait 3000\nkey B press\nkey backspace press\nwait 25000\n"
        "key Alt+R press\nreport ias_knots gauge_airspeed\nscreenshot " +
        dir.Path("roll.bmp") + "\nquit\n";
    const ScriptRun r = RunScript(dir, script, "");
    ASSERT_EQ(r.result.status, 0) << r.result.out;
    const double knots = Reported(r.result.out, "ias_knots");
    ASSERT_GT(knots, 20.0) << r.result.out;
    const int frame = cockpit::AirspeedFrame(0, static_cast<std::int32_t>(knots * 32768.0));
    const Picture rest = ReadPicture(dir.Read("rest.bmp"));
    const Picture roll = ReadPicture(dir.Read("roll.bmp"));
    ASSERT_EQ(rest.width, 640);
    // The airspeed dial's pivot: (60, 239) from the full panel's offset of 14.
    const double atRest = NeedleAngle(rest, roll, 60, 253);
    const double rolling = NeedleAngle(roll, rest, 60, 253);
    EXPECT_LE(std::min(atRest, 360.0 - atRest), 8.0) << atRest;
    double diff = std::fmod(rolling - (frame - 1) * 2.0 + 720.0, 360.0);
    if (diff > 180) diff -= 360;
    EXPECT_LE(std::abs(diff), 8.0) << "needle at " << rolling << " for frame " << frame << " ("
                                   << knots << " kt)";
    // Read against the dial's numerals (the speeds the formula puts at each angle), the needle
    // says what the digital readout says, within 3 knots.
    double read = 0;
    while (read < 300 && (cockpit::AirspeedFrame(0, static_cast<std::int32_t>(read * 32768.0)) - 1) * 2.0 < rolling - 1.0)
        read += 0.5;
    EXPECT_NEAR(read, knots, 3.0) << "needle at " << rolling;
}

// A climb of 1,000 ft turns the altimeter's hands: the thousand hand by a tenth of a turn.
TEST(CockpitInstruments, TheAltimeterFollowsAClimb) {
    if (!Ready()) GTEST_SKIP() << "simrun or the starter installation is not built";
    auto run = [](int climbFeet, Picture* shot) {
        testsupport::TempFolder dir("zephlon-altimeter");
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        core::IniFile start((install / "Flights" / "Startup.Flt").string().c_str());
        const int y = start.GetInt("Aircraft", "fmPosY", 0) + climbFeet * 78;
        dir.MakeFolders("Flights");
        for (const fs::directory_entry& e : fs::directory_iterator(install / "Flights"))
            fs::copy_file(e.path(), fs::path(dir.Path("Flights")) / e.path().filename());
        core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
        flight.PutInt("Aircraft", "fmPosY", y);
        for (const fs::directory_entry& e : fs::directory_iterator(install))
            if (e.is_directory() && e.path().filename() != "Flights")
                testsupport::PlaceStarterFolder(e.path(), dir.Root());
        dir.Write("script.txt", "frame-interval 100\nwait 700\nreport gauge_altimeter\nscreenshot " +
                                    dir.Path("shot.bmp") + "\nquit\n");
        const testsupport::CommandResult r = testsupport::RunCommand(
            std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun --dir " + dir.Root() + " " +
            dir.Path("script.txt") + " 2>&1");
        *shot = ReadPicture(dir.Read("shot.bmp"));
        const std::size_t at = r.out.find("gauge_altimeter=");
        int tenThousand = 0, thousand = 0, hundred = 0;
        if (at != std::string::npos)
            std::sscanf(r.out.c_str() + at, "gauge_altimeter=%d/%d/%d", &tenThousand, &thousand, &hundred);
        return thousand;
    };
    Picture low, high;
    const int before = run(0, &low);
    const int after = run(1000, &high);
    ASSERT_EQ(low.width, 640);
    EXPECT_NEAR(after - before, 18, 2);
    int changed = 0;
    for (int y = 253 - 44; y <= 253 + 44; ++y)
        for (int x = 298 - 44; x <= 298 + 44; ++x)
            changed += low.At(x, y) != high.At(x, y) ? 1 : 0;
    EXPECT_GT(changed, 40);
    // The thousand hand in the higher picture: about 36 degrees further round.
    const double hand = NeedleAngle(high, low, 298, 253);
    EXPECT_GE(hand, 0.0);
}

// Each type's ready flight shows its own panel in its own colours; no two panels alike.
TEST(CockpitInstruments, EveryTypeShowsItsOwnPanel) {
    if (!Ready()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const struct {
        const char* flight;
        const char* panel;
        const char* palette;
        int top;
    } types[] = {{"C172Fly.Flt", "172panel.bmp", "s", 171}, {"BonFly.Flt", "b_panel.bmp", "b", 193},
                 {"BarFly.Flt", "ba_pnl.bmp", "ba", 150},   {"KingFly.Flt", "k_pnl.bmp", "k", 150},
                 {"JetFly.Flt", "j_pnl.bmp", "j", 143}};
    std::vector<Picture> shots;
    for (const auto& t : types) {
        testsupport::TempFolder dir("zephlon-types");
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        dir.MakeFolders("Flights");
        for (const fs::directory_entry& e : fs::directory_iterator(install / "Flights"))
            fs::copy_file(e.path(), fs::path(dir.Path("Flights")) / e.path().filename());
        fs::copy_file(install / "Flights" / t.flight, dir.Path("Flights/Startup.Flt"),
                      fs::copy_options::overwrite_existing);
        for (const fs::directory_entry& e : fs::directory_iterator(install))
            if (e.is_directory() && e.path().filename() != "Flights")
                testsupport::PlaceStarterFolder(e.path(), dir.Root());
        dir.Write("script.txt", "frame-interval 100\nwait 700\nscreenshot " + dir.Path("shot.bmp") +
                                    "\nquit\n");
        const testsupport::CommandResult r = testsupport::RunCommand(
            std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun --dir " + dir.Root() + " " +
            dir.Path("script.txt") + " 2>&1");
        ASSERT_EQ(r.status, 0) << r.out;
        shots.push_back(ReadPicture(dir.Read("shot.bmp")));
        ASSERT_EQ(shots.back().width, 640) << t.flight;
        EXPECT_GE(PanelColourMatch(shots.back(), t.panel, t.palette, t.top), 0.8) << t.flight;
    }
    for (std::size_t a = 0; a < shots.size(); ++a)
        for (std::size_t b = a + 1; b < shots.size(); ++b) {
            int differ = 0;
            for (int y = 200; y < 480; ++y)
                for (int x = 0; x < 640; ++x)
                    differ += shots[a].At(x, y) != shots[b].At(x, y) ? 1 : 0;
            EXPECT_GT(differ, 20000) << types[a].flight << " and " << types[b].flight;
        }
}

// The low-panel view is the same C172 panel 44 rows lower; the battery master off blanks the radio
// windows.
TEST(CockpitInstruments, LowPanelAndBatteryOffInScreenshots) {
    if (!Ready()) GTEST_SKIP() << "simrun or the starter installation is not built";
    testsupport::TempFolder dir("zephlon-low");
    const std::string script = "frame-interval 100\nwait 700\nscreenshot " + dir.Path("full.bmp") +
                               "\nmenu 1664\nwait 700\nscreenshot " + dir.Path("low.bmp") +
                               "\nmenu 1663\nwait 700\nkey Z press\nwait 700\nscreenshot " +
                               dir.Path("off.bmp") + "\nquit\n";
    const ScriptRun r = RunScript(dir, script, "");
    ASSERT_EQ(r.result.status, 0) << r.result.out;
    const Picture full = ReadPicture(dir.Read("full.bmp"));
    const Picture low = ReadPicture(dir.Read("low.bmp"));
    const Picture off = ReadPicture(dir.Read("off.bmp"));
    ASSERT_EQ(full.width, 640);
    ASSERT_EQ(low.width, 640);
    ASSERT_EQ(off.width, 640);
    long same = 0, all = 0;
    for (int y = 175; y < 480 - 44; ++y)
        for (int x = 0; x < 640; ++x) {
            ++all;
            same += full.At(x, y) == low.At(x, y + 44) ? 1 : 0;
        }
    EXPECT_GE(static_cast<double>(same) / all, 0.99);
    // The NAV1 and COM1 windows (rows 242..248 of the full view) show digits, then none.
    auto lit = [](const Picture& p) {
        int bright = 0;
        for (int y = 242; y <= 248; ++y)
            for (int x = 491; x <= 631; ++x)
                bright += Luminance(p.At(x, y)) > 90 ? 1 : 0;
        return bright;
    };
    EXPECT_GT(lit(full), 100);
    EXPECT_EQ(lit(off), 0);
}

}  // namespace
