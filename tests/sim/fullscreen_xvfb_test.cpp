// Full screen on a real X display with the SDL machine, from the starter installation: the
// window with its menu band, Alt+Return to full screen (the same picture, scaled to the display,
// without the band), and Alt+Return back to the same window. Photographs come from xwd, outside
// the program.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <utility>
#include <random>
#include <string>
#include <vector>

#include "support/starter_run.h"
#include "support/xvfb.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Photo {
    std::vector<unsigned char> rgb;
    [[nodiscard]] std::uint32_t At(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * kWidth + x) * 3;
        return (std::uint32_t{rgb[i]} << 16) | (std::uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
    }
    [[nodiscard]] bool Valid() const { return rgb.size() == std::size_t{kWidth} * kHeight * 3; }
};

Photo Develop(const std::string& convert, const std::string& xwd) {
    Photo p;
    const std::string rgb = xwd + ".rgb";
    if (std::system((convert + " xwd:" + xwd + " -depth 8 rgb:" + rgb).c_str()) != 0) return p;
    std::ifstream in(rgb, std::ios::binary);
    p.rgb.assign(std::istreambuf_iterator<char>(in), {});
    return p;
}

bool Red(std::uint32_t c) {
    return (c >> 16) > 200 && ((c >> 8) & 0xFF) < 90 && (c & 0xFF) < 90;
}
bool Band(std::uint32_t c) {
    return c != 0 && (c >> 16) == ((c >> 8) & 0xFF) && (c >> 16) >= 0xB0;
}

int Count(const Photo& p, int left, int top, int right, int bottom, bool (*test)(std::uint32_t)) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            n += test(p.At(x, y)) ? 1 : 0;
    return n;
}

// The run's script played by simrun in a window on the server's display (`before` goes in front
// of the command, a time limit say). The display's own libraries keep memory to the end; their
// leaks are not the program's.
testsupport::CommandResult PlayOnDisplay(const xvfb::Server& server, const testsupport::StarterRun& run,
                                         const std::string& before) {
    return testsupport::RunCommand(
        "DISPLAY=" + server.Display() +
        " SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=software ASAN_OPTIONS=detect_leaks=0 " + before +
        testsupport::StarterRun::Simrun() + " --screen sdl --dir " + run.Dir().Root() + " " +
        run.Dir().Path("script.txt") + " 2>&1");
}

TEST(FullScreenOnXvfb, SdlFullScreenShowsTheWindowsPictureAndGivesTheWindowBack) {
    const std::string convert = xvfb::FindTool("convert");
    if (xvfb::FindTool("xwd").empty() || convert.empty()) GTEST_SKIP() << "xwd or convert missing";
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    xvfb::Server server(200, 260, "1024x768x24");
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    testsupport::StarterRun run("zephlon-xfull");
    auto photograph = [&](const char* name) {
        return "shell \"" + xvfb::FindTool("xwd") + " -root -silent -display " +
               server.Display() + " > " + run.Dir().Path(name) + "\"\n";
    };
    run.Dir().Write("script.txt", "frame-interval 20\nwait 2000\n" + photograph("window.xwd") +
                                      "key Alt+Return press\nwait 1000\n" +
                                      photograph("full.xwd") +
                                      "key Alt+Return press\nwait 1000\n" +
                                      photograph("back.xwd") + "quit\n");
    const testsupport::CommandResult r = PlayOnDisplay(server, run, "");
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_NE(r.out.find("exit=0"), std::string::npos) << r.out;

    const Photo window = Develop(convert, run.Dir().Path("window.xwd"));
    const Photo full = Develop(convert, run.Dir().Path("full.xwd"));
    const Photo back = Develop(convert, run.Dir().Path("back.xwd"));
    ASSERT_TRUE(window.Valid() && full.Valid() && back.Valid());

    // The window lies where the display put it; its menu band is its first grey row.
    int left = -1, top = -1;
    for (int y = 0; y < kHeight && top < 0; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (Band(window.At(x, y))) {
                left = x;
                top = y;
                break;
            }
    ASSERT_GE(top, 0) << "no menu band in the window";
    ASSERT_LE(left + 640, kWidth);
    ASSERT_LE(top + 480, kHeight);
    EXPECT_GT(Count(window, left, top, left + 640, top + 16, &Band), 5000) << "menu band";
    const int redInWindow = Count(window, left, top, left + 640, top + 480, &Red);
    EXPECT_GT(redInWindow, 50) << "no readout in the window";

    // Full screen: the picture scaled by 1.6 over the whole display, the band out of sight, and
    // every pixel below the band's rows as the window shows it.
    // The band is a whole row of its grey; clouds and bodies of the sky may share its colour.
    int bandRows = 0;
    for (int y = 0; y < 30; ++y)
        bandRows += Count(full, 0, y, kWidth, y + 1, &Band) > kWidth * 3 / 4 ? 1 : 0;
    EXPECT_EQ(bandRows, 0) << "menu band over the full screen";
    EXPECT_GT(Count(full, 0, 0, kWidth, kHeight, &Red), redInWindow * 2) << "black full screen";
    int differ = 0;
    for (int y = 30; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            differ += window.At(left + x, top + y) != full.At(x * 8 / 5 + 1, y * 8 / 5 + 1) ? 1 : 0;
    EXPECT_LT(differ, 640 * 450 / 100) << "full screen shows another picture";

    // Back in the window: the same frame, band and picture as before, but for the panel clock's
    // digits, which have run on meanwhile (a few dozen pixels).
    int changed = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) changed += back.At(x, y) != window.At(x, y) ? 1 : 0;
    EXPECT_LT(changed, 100) << "the window came back changed";
}

// A storm of a few hundred resizes from outside and full-screen toggles from the keyboard,
// seeded: once it has passed and the window is back at 640×480, every row of the picture shows
// as it did before the storm (the panel clock's digits aside).
TEST(FullScreenOnXvfb, TheWindowIsWholeAfterAStormOfResizesAndToggles) {
    const std::string convert = xvfb::FindTool("convert");
    const std::string xdotool = xvfb::FindTool("xdotool");
    if (xvfb::FindTool("xwd").empty() || convert.empty() || xdotool.empty())
        GTEST_SKIP() << "xwd, convert or xdotool missing";
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    xvfb::Server server(200, 260, "1024x768x24");
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    testsupport::StarterRun run("zephlon-xstorm");
    const std::string shot = xvfb::FindTool("xwd") + " -root -silent -display " + server.Display();
    std::mt19937 seeded(86);
    std::string sizes;
    for (int i = 0; i < 200; ++i)
        sizes += std::to_string(200 + seeded() % 900) + "x" + std::to_string(150 + seeded() % 650) + " ";
    const std::string done = run.Dir().Path("storm.done");
    // The resizes run beside the script, so they fall between its frames and toggles.
    std::string script = "frame-interval 20\nwait 2000\nshell \"" + shot + " > " +
                         run.Dir().Path("before.xwd") + "\"\nshell \"(W=$(" + xdotool +
                         " search --pid $PPID | head -1); for s in " + sizes + "; do " + xdotool +
                         " windowsize $W ${s%x*} ${s#*x}; done; touch " + done +
                         ") >/dev/null 2>&1 &\"\n";
    for (int i = 0; i < 60; ++i)
        script += "key Alt+Return press\nwait " + std::to_string(5 + seeded() % 75) + "\n";
    script += "shell \"while [ ! -f " + done + " ]; do sleep 0.1; done; " + xdotool +
              " windowsize $(" + xdotool + " search --pid $PPID | head -1) 640 480\"\nwait 1500\nshell \"" +
              shot + " > " +
              run.Dir().Path("after.xwd") + "\"\nquit\n";
    run.Dir().Write("script.txt", script);
    const testsupport::CommandResult r = PlayOnDisplay(server, run, "timeout 300 ");
    ASSERT_EQ(r.status, 0) << r.out;
    const Photo before = Develop(convert, run.Dir().Path("before.xwd"));
    const Photo after = Develop(convert, run.Dir().Path("after.xwd"));
    ASSERT_TRUE(before.Valid() && after.Valid());
    // Each window where its menu band's first pixel is.
    const auto corner = [](const Photo& p) {
        for (int y = 0; y + 480 <= kHeight; ++y)
            for (int x = 0; x + 640 <= kWidth; ++x)
                if (Band(p.At(x, y))) return std::make_pair(x, y);
        return std::make_pair(-1, -1);
    };
    const auto [bx, by] = corner(before);
    const auto [ax, ay] = corner(after);
    ASSERT_GE(by, 0) << "no menu band before the storm";
    ASSERT_GE(ay, 0) << "no menu band after the storm";
    std::vector<int> rows;
    for (int y = 0; y < 480; ++y) {
        int differ = 0;
        for (int x = 0; x < 640; ++x) differ += before.At(bx + x, by + y) != after.At(ax + x, ay + y) ? 1 : 0;
        if (differ > 40) rows.push_back(y);
    }
    EXPECT_TRUE(rows.empty()) << rows.size() << " rows differ, the first " << rows.front()
                              << ", the last " << rows.back();
}

}  // namespace
