// The display of the starter installation, headless: full screen switched on and off and the
// program closed in either state without a fault; a start in full screen shows its picture; and
// after start-up the picture is coloured by the world's palette from "Art\Palettes.Vol", not by
// the loading screen's.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/endian.h"
#include "core/resource_volume.h"
#include "gfx/palette.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

struct Picture {
    std::vector<std::uint32_t> palette;  // 0xRRGGBB; empty for a 24-bit picture
    std::vector<std::uint32_t> pixels;   // 0xRRGGBB, top row first
};

Picture ReadBmp(const std::string& bytes) {
    Picture p;
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (bytes.size() < 54 || b[0] != 'B' || b[1] != 'M') return p;
    const std::uint32_t offset = core::ReadU32(b + 10);
    const unsigned bits = core::ReadU16(b + 28);
    if (core::ReadU32(b + 18) != 640 || core::ReadU32(b + 22) != 480 || (bits != 8 && bits != 24))
        return p;
    const std::size_t row = bits == 8 ? 640 : 640 * 3;
    if (offset + row * 480 > bytes.size()) return p;
    if (bits == 8)
        for (int i = 0; i < 256; ++i)
            p.palette.push_back((std::uint32_t{b[54 + 4 * i + 2]} << 16) |
                                (std::uint32_t{b[54 + 4 * i + 1]} << 8) | b[54 + 4 * i]);
    for (int y = 0; y < 480; ++y) {
        const std::uint8_t* src = b + offset + row * (479 - y);
        for (int x = 0; x < 640; ++x) {
            const std::uint8_t* c = bits == 24 ? src + 3 * x : nullptr;
            p.pixels.push_back(c != nullptr ? (std::uint32_t{c[2]} << 16) |
                                                  (std::uint32_t{c[1]} << 8) | c[0]
                                            : p.palette[src[x]]);
        }
    }
    return p;
}

int RedPixels(const Picture& p) {
    int n = 0;
    for (std::uint32_t c : p.pixels)
        n += (c >> 16) > 200 && ((c >> 8) & 0xFF) < 90 && (c & 0xFF) < 90 ? 1 : 0;
    return n;
}

// Whether the shown colours 74..245 (above the panel's, below the static ones) are a palette's;
// the display may nudge a colour equal to a static one by a step.
bool ShowsColoursOf(const std::vector<std::uint32_t>& shown, const gfx::GFXPalette& p) {
    for (int i = 74; i <= 245; ++i) {
        const std::uint32_t c = shown[static_cast<std::size_t>(i)];
        const int d[3] = {static_cast<int>(c >> 16) - p.entries[i].red,
                          static_cast<int>((c >> 8) & 0xFF) - p.entries[i].green,
                          static_cast<int>(c & 0xFF) - p.entries[i].blue};
        for (int k : d)
            if (k < -1 || k > 1) return false;
    }
    return true;
}

TEST(StarterDisplay, FullScreenOnOffAndCloseInEitherState) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-fullscreen");
    // Twice on and off, then on again and closed in full screen: the wish is kept for the next
    // start, which must show its picture.
    auto r = run.Play("wait 500\nmenu 677\nwait 300\nmenu 677\nwait 300\nkey Alt+Return press\n"
                      "wait 300\nkey Alt+Return press\nwait 300\nmenu 677\nwait 300\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("exit=0"), std::string::npos) << r.out;
    EXPECT_NE(run.Dir().Read("Zephlon.ini").find("MainDD=1"), std::string::npos);
    r = run.Play("wait 1500\nscreenshot " + run.Dir().Path("start.bmp") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("window: full screen"), std::string::npos) << r.out;
    EXPECT_GT(RedPixels(ReadBmp(run.Dir().Read("start.bmp"))), 20) << "a black full-screen start";
    EXPECT_EQ(run.Dir().Read("Zephlon.ini").find("MainDDCheck"), std::string::npos);
}

TEST(StarterDisplay, TheWorldsPaletteReplacesTheLoadingScreens) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-palette");
    // In full screen the picture goes out as indices with the palette the program shows.
    const auto r =
        run.Play("wait 1000\nmenu 677\nwait 500\nscreenshot " + run.Dir().Path("shot.bmp") +
                 "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const Picture shot = ReadBmp(run.Dir().Read("shot.bmp"));
    ASSERT_EQ(shot.palette.size(), 256u) << "not an indexed picture";

    const std::string install = StarterRun::Install().string();
    const std::unique_ptr<gfx::GFXPalette> loading =
        gfx::GFXPalette::LoadNew(install + "/Art/Intro/loading.pal");
    ASSERT_TRUE(loading);
    EXPECT_FALSE(ShowsColoursOf(shot.palette, *loading)) << "still the loading screen's palette";
    core::ResourceVolume volume((install + "/Art/Palettes.Vol").c_str(), "", 0);
    bool found = false;
    for (const char* kind : {"iu", "is", "eu", "es"})
        for (int level = 0; level < 32 && !found; ++level) {
            char name[32];
            std::snprintf(name, sizeof name, "tod%sb%d.ppl", kind, level);
            const std::unique_ptr<gfx::GFXPalette> world = volume.LoadPalette(name, 0);
            found = world && ShowsColoursOf(shot.palette, *world);
        }
    EXPECT_TRUE(found) << "the picture's colours are no time-of-day palette of the volume";
}

}  // namespace
