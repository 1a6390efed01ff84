// The window mode on a real X server: the test starts Xvfb on a free display, shows a pattern
// drawn into the display surface through the program's palette, photographs the X screen and
// checks colours at fixed points, reserved entries included. Skipped when Xvfb, xwd or convert
// is missing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/system_palette.h"
#include "platform/backend.h"
#include "win/compositor.h"
#include "win/window.h"
#include "win/window_internal.h"
#include "win/window_surface.h"

extern char** environ;

namespace {

std::string FindTool(const char* name) {
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        const std::string path = std::string(dir) + name;
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

class XServer {
public:
    bool Start() {
        const std::string xvfb = FindTool("Xvfb");
        if (xvfb.empty()) return false;
        for (int n = 161; n < 230; ++n) {
            const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
            const std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
            if (access(lock.c_str(), F_OK) == 0 || access(sock.c_str(), F_OK) == 0) continue;
            display_ = ":" + std::to_string(n);
            std::vector<std::string> args = {xvfb,         display_,    "-screen", "0",
                                             "640x480x24", "-nolisten", "tcp"};
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            posix_spawn_file_actions_t fa;
            posix_spawn_file_actions_init(&fa);
            posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
            const int rc = posix_spawn(&pid_, xvfb.c_str(), &fa, nullptr, argv.data(), environ);
            posix_spawn_file_actions_destroy(&fa);
            if (rc != 0) return false;
            for (int i = 0; i < 100; ++i) {
                if (access(sock.c_str(), F_OK) == 0) return true;
                int status;
                if (waitpid(pid_, &status, WNOHANG) == pid_) {
                    pid_ = -1;
                    break;  // another server took this number first
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            Stop();
        }
        return false;
    }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    ~XServer() { Stop(); }
    [[nodiscard]] const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// The X screen as 640×480 RGB bytes.
std::vector<unsigned char> Photograph(const std::string& display, const std::string& convert) {
    char dir[] = "/tmp/zephlon-display-xwd-XXXXXX";
    if (mkdtemp(dir) == nullptr) return {};
    const std::string xwdFile = std::string(dir) + "/screen.xwd";
    const std::string rgbFile = std::string(dir) + "/screen.rgb";
    const std::string cmd = FindTool("xwd") + " -root -silent -display " + display + " > " +
                            xwdFile + " && " + convert + " xwd:" + xwdFile +
                            " -depth 8 rgb:" + rgbFile;
    std::vector<unsigned char> rgb;
    if (std::system(cmd.c_str()) == 0) {
        std::ifstream in(rgbFile, std::ios::binary);
        rgb.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::remove(xwdFile.c_str());
    std::remove(rgbFile.c_str());
    rmdir(dir);
    return rgb;
}

std::uint32_t At(const std::vector<unsigned char>& rgb, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * 640 + x) * 3;
    return (static_cast<std::uint32_t>(rgb[i]) << 16) | (rgb[i + 1] << 8) | rgb[i + 2];
}

win::LResult PlainProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    return win::DefWindowProc(h, m, w, l);
}

void ShowPattern(const std::string& display, const std::string& convert) {
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    std::unique_ptr<platform::Backend> sdl = platform::CreateSdlBackend();
    ASSERT_NE(sdl, nullptr);
    platform::SetCurrentBackend(sdl.get());
    win::detail::ResetWindowSystem();
    ASSERT_TRUE(sdl->GetVideo().Open(platform::VideoOptions{}));
    win::WNDCLASS wc;
    wc.className = "DisplayXvfb";
    wc.wndProc = PlainProc;
    ASSERT_NE(win::RegisterClass(wc), 0);
    win::RECT r{0, 0, 640, 480};
    win::AdjustWindowRect(&r, 0x000B0000, false);
    const win::HWND main =
        win::CreateWindowEx(0, "DisplayXvfb", "Main", 0x000B0000 | win::WS_VISIBLE, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, {}, {}, {}, 0);
    ASSERT_TRUE(main);
    win::SetWindowSurfaceFormat(main, win::SurfaceFormat::Indexed8);

    gfx::SetDisplayOptions(main, {}, 2);
    gfx::InitDisplay(640, 480, 8);
    ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayWindow, 1), 1);
    gfx::GFXPalette palette;
    for (int i = 0; i < 256; ++i)
        palette.entries[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(i),
                                                  static_cast<std::uint8_t>((i * 7) & 0x7F), 40, 0};
    gfx::GFXSurface* draw = gfx::GetDrawSurface();
    gfx::GetDisplaySurface()->SetPaletteDeferred(&palette, 0, 256);
    {
        gfx::GFXSurfaceLock lock(*draw);
        for (int y = 0; y < draw->height; ++y)
            for (int x = 0; x < draw->width; ++x)
                draw->pixels[y * draw->stride + x] = static_cast<std::uint8_t>(x + y);
    }
    // Let the window appear before looking.
    for (int i = 0; i < 20; ++i) {
        gfx::GetDisplaySurface()->Present(nullptr);
        win::MSG m;
        while (win::PeekMessage(&m, {}, 0, 0, win::PM_REMOVE))
            win::DispatchMessage(&m);
        win::PresentNow();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::vector<unsigned char> shot = Photograph(display, convert);
    ASSERT_EQ(shot.size(), 640u * 480u * 3u);
    auto colour = [&](int index) {
        const gfx::GFXPaletteEntry& e = palette.entries[index];
        return (static_cast<std::uint32_t>(e.red) << 16) | (e.green << 8) | e.blue;
    };
    const struct {
        int x, y;
        std::uint32_t want;
    } probes[] = {
        {100, 0, colour(100)},   {5, 240, colour(245)}, {320, 100, colour(164)},
        {600, 400, colour(232)}, {0, 0, 0x000000},      {7, 0, 0xC0C0C0},
        {255, 0, 0xFFFFFF},      {250, 0, 0x00FF00},
    };
    for (const auto& p : probes)
        EXPECT_EQ(At(shot, p.x, p.y), p.want) << p.x << "," << p.y;

    gfx::SetDisplayMode(gfx::kDisplayNone, 0);
    gfx::ResetSystemPaletteState();
    win::detail::ResetWindowSystem();
    platform::SetCurrentBackend(nullptr);
    sdl->GetVideo().Close();
}

TEST(DisplayOnXvfb, WindowShowsThePatternInThePalettesColours) {
    const std::string convert = FindTool("convert");
    if (FindTool("xwd").empty() || convert.empty()) GTEST_SKIP() << "xwd or convert missing";
    XServer server;
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    // SDL runs in a child process: the system libraries it loads keep allocations until exit,
    // which the sanitizer build's leak checker would blame on this test.
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ShowPattern(server.Display(), convert);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "see the failures printed above";
}

}  // namespace
