// Test support: an Xvfb server on a free display number, started and stopped by the test, and
// photographs of its screen through xwd and ImageMagick's convert.
#pragma once

#include <fcntl.h>
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

namespace xvfb {

using platform::kFrameWidth;

inline bool Exists(const std::string& path) {
    return access(path.c_str(), X_OK) == 0;
}

inline std::string FindTool(const char* name) {
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"})
        if (Exists(std::string(dir) + name)) return std::string(dir) + name;
    return {};
}

class Server {
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
                // A server that lost the race for this number ends at once; only a socket
                // that appears while ours still runs is ours (checked twice, apart).
                int status;
                if (waitpid(pid_, &status, WNOHANG) == pid_) {
                    pid_ = -1;
                    break;
                }
                if (access(sock.c_str(), F_OK) == 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    if (waitpid(pid_, &status, WNOHANG) == pid_) {
                        pid_ = -1;
                        break;
                    }
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
    ~Server() { Stop(); }
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// The X screen as 640×480 RGB bytes.
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

inline std::uint32_t At(const std::vector<unsigned char>& rgb, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * kFrameWidth + x) * 3;
    return (static_cast<std::uint32_t>(rgb[i]) << 16) | (rgb[i + 1] << 8) | rgb[i + 2];
}

}  // namespace xvfb
