// The main window's full screen and automatic menu bar, and the airspace wrap, driven headless
// through simrun: switching from the menu and the keys, the MainDD settings at start and close,
// the picture both ways, and the menu bar that the pointer brings over the picture.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/endian.h"
#include "nav/lat_lon.h"
#include "support/run_command.h"
#include "support/starter_pilot.h"
#include "support/temp_folder.h"

namespace {

struct Outcome {
    std::string out;
    int status = -1;
};

bool Built() {
    return std::filesystem::exists(std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun") &&
           std::filesystem::exists(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack");
}

Outcome Play(const testsupport::TempFolder& dir, const std::string& script) {
    Outcome r;
    testsupport::WriteStarterPilot(dir);
    // A test installation has no volumes: the start-up says so first.
    dir.Write("script.txt", "answer \"files of its installation\" OK\n" + script);
    const std::string cmd = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun --dir " + dir.Root() +
                            " " + dir.Path("script.txt") + " 2>&1";
    const testsupport::CommandResult run = testsupport::RunCommand(cmd);
    r.out = run.out;
    r.status = run.status;
    return r;
}

void StartFlight(const testsupport::TempFolder& dir) {
    dir.MakeFolders("Flights");
    dir.Write("Flights/Startup.Flt", "[Aircraft]\ntype=0\nfmLBrake=1\nfmRBrake=1\n");
}

unsigned long Figure(const std::string& out, const std::string& name) {
    const std::size_t at = out.find(name + "=");
    return at == std::string::npos ? 0 : std::stoul(out.substr(at + name.size() + 1));
}

std::size_t Count(const std::string& out, const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = out.find(text); at != std::string::npos; at = out.find(text, at + 1))
        ++n;
    return n;
}

// A screenshot as 0x00RRGGBB pixels, top row first; empty when it is not an 8- or 24-bit BMP.
std::vector<std::uint32_t> ReadPicture(const std::string& bytes) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (bytes.size() < 54 || b[0] != 'B' || b[1] != 'M') return {};
    const std::uint32_t offset = core::ReadU32(b + 10);
    const auto width = static_cast<std::int32_t>(core::ReadU32(b + 18));
    const auto height = static_cast<std::int32_t>(core::ReadU32(b + 22));
    const unsigned bits = core::ReadU16(b + 28);
    if (width <= 0 || height <= 0 || (bits != 8 && bits != 24)) return {};
    const std::size_t row = (static_cast<std::size_t>(width) * (bits / 8) + 3) & ~std::size_t{3};
    if (offset + row * height > bytes.size()) return {};
    std::vector<std::uint32_t> out(static_cast<std::size_t>(width) * height);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* src = b + offset + row * (height - 1 - y);
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint8_t* c = bits == 24 ? src + 3 * x : b + 54 + 4 * src[x];
            out[static_cast<std::size_t>(y) * width + x] =
                (std::uint32_t{c[2]} << 16) | (std::uint32_t{c[1]} << 8) | c[0];
        }
    }
    return out;
}

// Pixels that are not black in rows [top, bottom) of a 640-wide picture.
int LitPixels(const std::vector<std::uint32_t>& p, int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < 640; ++x)
            n += p[static_cast<std::size_t>(y) * 640 + x] != 0 ? 1 : 0;
    return n;
}

TEST(SpineFullScreen, MenuAndKeySwitchBothWaysWithTheSamePicture) {
    if (!Built()) GTEST_SKIP() << "simrun or the resource pack is not built";
    testsupport::TempFolder dir("zephlon-full");
    StartFlight(dir);
    const Outcome r =
        Play(dir, "frame-interval 20\nwait 500\nscreenshot " + dir.Path("window.bmp") +
                      "\nmenu 677\nwait 500\nscreenshot " + dir.Path("full.bmp") +
                      "\nkey Alt+Return press\nwait 500\nscreenshot " + dir.Path("back.bmp") +
                      "\nkey Alt+Return press\nwait 300\nmenu 677\nwait 300\nmenu 168\n"
                      "wait 100\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Count(r.out, "window: full screen, page flipping"), 2u) << r.out;
    EXPECT_EQ(Count(r.out, "window: windowed"), 2u) << r.out;
    const auto window = ReadPicture(dir.Read("window.bmp"));
    const auto full = ReadPicture(dir.Read("full.bmp"));
    const auto back = ReadPicture(dir.Read("back.bmp"));
    ASSERT_EQ(window.size(), 640u * 480u);
    EXPECT_GT(LitPixels(window, 0, 480), 0);  // the readouts are on it
    EXPECT_TRUE(full == window) << "full screen shows another picture than the window";
    EXPECT_TRUE(back == window) << "the window lost the picture or its palette";
    // Frames ran on in full screen: a picture for every tick of the flight's 2.1 s.
    EXPECT_GE(Figure(r.out, "frames"), Figure(r.out, "ticks")) << r.out;
    EXPECT_GT(Figure(r.out, "ticks"), 30u) << r.out;
    const std::string ini = dir.Read("Zephlon.ini");
    EXPECT_NE(ini.find("MainDD=0"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("MainDDCheck"), std::string::npos) << ini;
}

TEST(SpineFullScreen, StartAndCloseFollowTheStoredWish) {
    if (!Built()) GTEST_SKIP() << "simrun or the resource pack is not built";
    struct Case {
        const char* name;
        const char* settings;
        const char* started;  // trace line at start, or null for the window
        const char* closedWith;
        const char* keys = "";
    };
    const Case cases[] = {
        {"windowed", "MainDD=0\n", nullptr, "MainDD=0"},
        {"full screen", "MainDD=1\n", "window: full screen, page flipping", "MainDD=1"},
        {"no flipping", "MainDD=3\n", "window: full screen\n", "MainDD=3"},
        // The last full-screen start never drew: this one does without page flipping.
        {"check left behind", "MainDD=1\nMainDDCheck=1\n", "window: full screen\n", "MainDD=3"},
        // The key rebuilds full screen without flipping; the window keeps the choice for later.
        {"flipping off by key", "MainDD=1\n", "window: windowed\n", "MainDD=3",
         "key Alt+Shift+Return press\nwait 200\n"},
        {"flipping off in the window", "MainDD=0\n", nullptr, "MainDD=2",
         "key Alt+Shift+Return press\nwait 200\n"},
    };
    for (const Case& c : cases) {
        testsupport::TempFolder dir("zephlon-full");
        StartFlight(dir);
        dir.Write("Zephlon.ini", std::string("[Settings]\n") + c.settings);
        const Outcome r = Play(
            dir, std::string("frame-interval 20\nwait 400\n") + c.keys + "menu 168\nwait 100\n");
        ASSERT_EQ(r.status, 0) << c.name << "\n" << r.out;
        if (c.started != nullptr)
            EXPECT_NE(r.out.find(c.started), std::string::npos) << c.name << "\n" << r.out;
        else
            EXPECT_EQ(r.out.find("window: full screen"), std::string::npos) << c.name;
        const std::string ini = dir.Read("Zephlon.ini");
        EXPECT_NE(ini.find(c.closedWith), std::string::npos) << c.name << "\n" << ini;
        EXPECT_EQ(ini.find("MainDDCheck"), std::string::npos) << c.name << "\n" << ini;
    }
}

// Another program taking the focus sends a full-screen program to the taskbar with its time held;
// getting the focus back restores full screen. A windowed program stays windowed.
TEST(SpineFullScreen, AwayAndBackKeepsTheChoiceAndHoldsTheTime) {
    if (!Built()) GTEST_SKIP() << "simrun or the resource pack is not built";
    struct Case {
        const char* name;
        bool fullScreen;
    };
    for (const Case c : {Case{"full screen", true}, Case{"window", false}}) {
        testsupport::TempFolder dir("zephlon-full");
        StartFlight(dir);
        const Outcome r = Play(dir, std::string("frame-interval 20\nwait 300\n") +
                                        (c.fullScreen ? "menu 677\n" : "") +
                                        "wait 300\nfocus lost\nwait 1000\nfocus gained\n"
                                        "wait 300\nmenu 168\nwait 100\n");
        ASSERT_EQ(r.status, 0) << c.name << "\n" << r.out;
        std::size_t at = 0;
        const std::vector<const char*> order =
            c.fullScreen ? std::vector<const char*>{"window: full screen", "focus lost",
                                                    "window: windowed",    "focus gained",
                                                    "window: full screen", "dialog Exit"}
                         : std::vector<const char*>{"focus lost", "focus gained", "dialog Exit"};
        for (const char* line : order) {
            at = r.out.find(line, at);
            ASSERT_NE(at, std::string::npos) << c.name << ": " << line << "\n" << r.out;
        }
        if (!c.fullScreen) {
            EXPECT_EQ(r.out.find("window: full screen"), std::string::npos);
        }
        // 0.9 s of the 1.9 s ran the clock.
        EXPECT_NEAR(static_cast<double>(Figure(r.out, "ticks")), 900 * 0.0182, 2.0)
            << c.name << "\n"
            << r.out;
        const std::string ini = dir.Read("Zephlon.ini");
        EXPECT_NE(ini.find(c.fullScreen ? "MainDD=1" : "MainDD=0"), std::string::npos) << ini;
    }
}

// On the 640×480 screen the caption and menu lie above the top; resting the pointer in the top
// band for half a second brings the menu bar over the picture and holds the frames until the
// pointer leaves the band.
TEST(SpineFullScreen, PointerAtTheTopBringsTheMenuBar) {
    if (!Built()) GTEST_SKIP() << "simrun or the resource pack is not built";
    struct Case {
        const char* name;
        bool fullScreen;
    };
    for (const Case c : {Case{"window", false}, Case{"full screen", true}}) {
        testsupport::TempFolder dir("zephlon-full");
        StartFlight(dir);
        const Outcome r =
            Play(dir, std::string("frame-interval 20\nwait 300\n") +
                          (c.fullScreen ? "menu 677\nwait 200\n" : "") +
                          "mouse 100 5 move\nwait 300\nscreenshot " + dir.Path("early.bmp") +
                          "\nwait 2000\nscreenshot " + dir.Path("bar.bmp") +
                          "\nmouse 100 300 move\nwait 300\nscreenshot " + dir.Path("gone.bmp") +
                          "\nmenu 168\nwait 100\n");
        ASSERT_EQ(r.status, 0) << c.name << "\n" << r.out;
        const auto early = ReadPicture(dir.Read("early.bmp"));
        const auto bar = ReadPicture(dir.Read("bar.bmp"));
        const auto gone = ReadPicture(dir.Read("gone.bmp"));
        ASSERT_EQ(bar.size(), 640u * 480u) << c.name;
        EXPECT_EQ(LitPixels(early, 0, 12), 0) << c.name << ": shown before half a second";
        EXPECT_GT(LitPixels(bar, 0, 12), 640 * 6) << c.name << ": no menu bar";
        EXPECT_EQ(LitPixels(gone, 0, 12), 0) << c.name << ": the menu bar stayed";
        // About 2 s of the 3 s ran no frames (150 frames without the hold); the second without
        // the bar drew about one frame per tick of the flight (18.2 a second).
        EXPECT_LT(Figure(r.out, "frames"), 100u) << c.name << "\n" << r.out;
        EXPECT_GT(Figure(r.out, "frames"), 12u) << c.name << "\n" << r.out;
    }
}

// Slewing past the western edge of the covered area puts the aircraft on the eastern side and
// tells the user so.
TEST(SpineFullScreen, SlewPastTheEdgeWrapsAndTellsTheUser) {
    if (!Built()) GTEST_SKIP() << "simrun or the resource pack is not built";
    testsupport::TempFolder dir("zephlon-full");
    dir.MakeFolders("Flights");
    // Heading west, a few centimetres inside the edge (160 W where x is measured, at 32.5 N).
    std::int32_t west = 0;
    nav::LatLonToWorld(&west, nullptr, 32.5, 160.0);
    dir.Write("Flights/Startup.Flt", "[Aircraft]\ntype=0\nfmPosX=" + std::to_string(west + 40) +
                                         "\nfmPosZ=100000000\nfmPosY=500000\nfmHead=49152\n");
    const Outcome r =
        Play(dir, "frame-interval 20\nwait 300\nmenu 463\nkey Up press\nwait 300\nsave " +
                      dir.Path("out.flt") + "\nmenu 168\nwait 100\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Count(r.out, "You have been moved to the opposite side of Zephlon's airspace."), 1u)
        << r.out;
    const std::string saved = dir.Read("out.flt");
    const std::size_t at = saved.find("fmPosX=");
    ASSERT_NE(at, std::string::npos) << saved;
    EXPECT_GT(std::stol(saved.substr(at + 7)), 1000000000L) << saved;
}

}  // namespace
