// Test support: an Xvfb server on a free display number, started and stopped by the test,
// photographs of its screen through xwd and ImageMagick's convert, and a child process for the
// part of a test that runs SDL on it.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace xvfb {

// The server's screen is 640×480 at 24 bits unless a test asks for another; photographs have
// that size.
inline constexpr int kScreenWidth = 640;

inline std::string FindTool(const char* name) {
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        const std::string path = std::string(dir) + name;
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

// Looks for a free display number in [firstDisplay, endDisplay); test programs that may run at
// the same time use different ranges.
class Server {
public:
    explicit Server(int firstDisplay = 97, int endDisplay = 160, std::string screen = "640x480x24")
        : firstDisplay_(firstDisplay), endDisplay_(endDisplay), screen_(std::move(screen)) {}
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;
    ~Server() { Stop(); }

    bool Start() {
        const std::string xvfb = FindTool("Xvfb");
        if (xvfb.empty()) return false;
        for (int n = firstDisplay_; n < endDisplay_; ++n) {
            const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
            const std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
            if (access(lock.c_str(), F_OK) == 0 || access(sock.c_str(), F_OK) == 0) continue;
            display_ = ":" + std::to_string(n);
            std::vector<std::string> args = {xvfb,    display_,    "-screen", "0",
                                             screen_, "-nolisten", "tcp"};
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
            // Up to 20 s for the server to come up: a loaded machine starts it slowly, and
            // a socket that appears ends the wait.
            for (int i = 0; i < 400; ++i) {
                // A server that lost the race for this number ends at once; only a socket
                // that appears while ours still runs is ours (checked twice, apart).
                if (Ended()) break;
                if (access(sock.c_str(), F_OK) == 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    if (Ended()) break;
                    // The display's lock file names the server that owns it; a loser of the
                    // race can still be running for a moment while the winner's socket exists.
                    if (LockOwner(lock) != pid_) break;
                    return true;
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
    [[nodiscard]] const std::string& Display() const { return display_; }
    [[nodiscard]] pid_t Pid() const { return pid_; }

private:
    static pid_t LockOwner(const std::string& lock) {
        std::ifstream in(lock);
        long owner = -1;
        if (!(in >> owner)) return -1;
        return static_cast<pid_t>(owner);
    }
    bool Ended() {
        int status;
        if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
        pid_ = -1;
        return true;
    }

    int firstDisplay_;
    int endDisplay_;
    std::string screen_;
    pid_t pid_ = -1;
    std::string display_;
};

// The X screen as RGB bytes, row by row (640×480 unless the server was asked for another
// screen); empty when xwd or convert failed.
inline std::vector<unsigned char> Photograph(const std::string& display,
                                             const std::string& convert) {
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

// The colour at (x, y) of a photograph of a screen `width` pixels wide as 0xRRGGBB.
inline std::uint32_t At(const std::vector<unsigned char>& rgb, int x, int y,
                        int width = kScreenWidth) {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return (static_cast<std::uint32_t>(rgb[i]) << 16) | (rgb[i + 1] << 8) | rgb[i + 2];
}

// Points SDL at the server's display with its X11 driver and the software renderer.
inline void UseDisplayForSdl(const std::string& display) {
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
}

// Runs `body` in a child process and expects it to pass. SDL runs there: the system libraries it
// loads (D-Bus) keep allocations until exit, which the sanitizer build's leak checker would blame
// on the test. The child's own failures are printed by the child.
inline void ExpectPassesInChild(const std::function<void()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        body();
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "see the failures printed above";
}

}  // namespace xvfb
