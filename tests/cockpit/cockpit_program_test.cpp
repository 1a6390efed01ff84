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
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/endian.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "support/run_command.h"
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
            fs::create_symlink(e.path(), fs::path(dir.Root()) / e.path().filename());
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

}  // namespace
