// The SDL machine on a real X server: the test starts Xvfb on a free display, shows a palette
// ramp, photographs the X screen with xwd and checks colours at fixed points; a palette change
// alone must recolour the same frame. Skipped when Xvfb, xwd or convert is missing.
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
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"

extern char** environ;

namespace {

using namespace platform;

bool Exists(const std::string& path) {
    return access(path.c_str(), X_OK) == 0;
}

std::string FindTool(const char* name) {
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"})
        if (Exists(std::string(dir) + name)) return std::string(dir) + name;
    return {};
}

class Xvfb {
public:
    bool Start() {
        const std::string xvfb = FindTool("Xvfb");
        if (xvfb.empty()) return false;
        for (int n = 97; n < 160; ++n) {
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
                    break;  // lost the race for this number: try the next
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
    ~Xvfb() { Stop(); }
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// The X screen as 640×480 RGB bytes.
std::vector<unsigned char> Photograph(const std::string& display, const std::string& convert) {
    char dir[] = "/tmp/zephlon-xwd-XXXXXX";
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
    const std::size_t i = (static_cast<std::size_t>(y) * kFrameWidth + x) * 3;
    return (static_cast<std::uint32_t>(rgb[i]) << 16) | (rgb[i + 1] << 8) | rgb[i + 2];
}

void ShowRampAndRecolour(const std::string& display, const std::string& convert) {
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    {
        std::unique_ptr<Backend> sdl = CreateSdlBackend();
        ASSERT_NE(sdl, nullptr);
        Video& video = sdl->GetVideo();
        ASSERT_TRUE(video.Open(VideoOptions{}));
        EXPECT_EQ(video.GetScreenSize().width, 640);

        std::vector<std::uint8_t> frame(kFrameWidth * kFrameHeight);
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x)
                frame[y * kFrameWidth + x] = static_cast<std::uint8_t>(x * 256 / kFrameWidth);
        Palette ramp{};
        for (int i = 0; i < 256; ++i)
            ramp[i] = static_cast<std::uint32_t>((i << 16) | ((255 - i) << 8));
        // Let the window appear before looking.
        for (int i = 0; i < 20; ++i) {
            ASSERT_TRUE(video.Present8(frame.data(), kFrameWidth, ramp));
            Event e;
            while (sdl->GetEvents().Poll(&e)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::vector<unsigned char> shot = Photograph(display, convert);
        ASSERT_EQ(shot.size(), 640u * 480u * 3u);
        struct Probe {
            int x, y;
            std::uint32_t colour;
        };
        const Probe ramped[] = {{5, 240, 0x02FD00}, {320, 100, 0x807F00}, {636, 470, 0xFE0100}};
        for (const Probe& p : ramped)
            EXPECT_EQ(At(shot, p.x, p.y), p.colour) << p.x;

        Palette blue = ramp;
        blue[128] = 0x0000FF;
        ASSERT_TRUE(video.SetPalette(blue));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        shot = Photograph(display, convert);
        ASSERT_EQ(shot.size(), 640u * 480u * 3u);
        EXPECT_EQ(At(shot, 320, 100), 0x0000FFu);
        EXPECT_EQ(At(shot, 321, 400), 0x0000FFu);  // the same column of index 128
        EXPECT_EQ(At(shot, 5, 240), 0x02FD00u);
        video.Close();
    }
}

TEST(SdlVideoOnXvfb, ShowsThePaletteRampAndRecoloursIt) {
    const std::string convert = FindTool("convert");
    if (FindTool("xwd").empty() || convert.empty()) GTEST_SKIP() << "xwd or convert missing";
    Xvfb server;
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    // SDL runs in a child process: the system libraries it loads (D-Bus) keep allocations
    // until exit, which the leak checker of the sanitizer build would blame on this test.
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ShowRampAndRecolour(server.Display(), convert);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "see the failures printed above";
}

}  // namespace
