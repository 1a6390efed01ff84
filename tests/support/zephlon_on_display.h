// The real program (build/bin/zephlon) started as a child process on an X display, on the
// installation of a test's folder: started, waited for until its start-up has written its
// settings, and ended the way a desktop session ends it (SIGTERM).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/temp_folder.h"

namespace testsupport {

using ProcessClock = std::chrono::steady_clock;

// Starts the program (build/bin/zephlon unless `program` names another copy) on the installation
// in `dir`, on the display (none at all when it is empty); its errors go to the file `errors`.
inline pid_t StartZephlon(const TempFolder& dir, const std::string& display,
                          const std::string& errors = {}, const std::string& program = {}) {
    namespace fs = std::filesystem;
    const std::string exe =
        program.empty() ? (fs::path(ZEPHLON_BINARY_DIR) / "bin" / "zephlon").string() : program;
    const pid_t child = fork();
    if (child == 0) {
        if (display.empty()) {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("SDL_VIDEODRIVER");
        } else {
            setenv("DISPLAY", display.c_str(), 1);
            setenv("SDL_VIDEODRIVER", "x11", 1);
        }
        setenv("SDL_RENDER_DRIVER", "software", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The display's own libraries keep memory to the end; their leaks are not the program's.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        if (!errors.empty()) {
            const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) dup2(fd, 2);
        }
        execl(exe.c_str(), exe.c_str(), "--dir", dir.Root().c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

// Waits for the child to end, at most `limit`; its wait status, or -1 when it still runs.
inline int WaitFor(pid_t child, std::chrono::milliseconds limit, ProcessClock::duration* took) {
    const ProcessClock::time_point start = ProcessClock::now();
    for (;;) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            *took = ProcessClock::now() - start;
            return status;
        }
        if (ProcessClock::now() - start > limit) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Waits until the program has taken charge of the session's signals (SIGTERM, SIGINT and SIGHUP
// caught, as the kernel lists them for the process), at most `limit`. Before that the system's
// own action ends it: a signal then is the loader's moment, not the program's.
inline bool WaitForSignalsTaken(pid_t child, std::chrono::milliseconds limit) {
    const unsigned long long wanted =
        (1ULL << (SIGTERM - 1)) | (1ULL << (SIGINT - 1)) | (1ULL << (SIGHUP - 1));
    for (const ProcessClock::time_point until = ProcessClock::now() + limit;
         ProcessClock::now() < until;) {
        std::ifstream in("/proc/" + std::to_string(child) + "/status");
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("SigCgt:", 0) != 0) continue;
            if ((std::stoull(line.substr(7), nullptr, 16) & wanted) == wanted) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Waits until the start-up has stored its settings in the file (it does once it is done; the
// program then flies) and a moment more; false, with the child killed, when it never got there.
inline bool WaitForStart(pid_t child, const std::string& ini) {
    bool started = false;
    for (int i = 0; i < 1200 && !started; ++i) {
        std::ifstream in(ini);
        std::stringstream text;
        text << in.rdbuf();
        started = text.str().find("[Joysticks]") != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!started) {
        ProcessClock::duration took{};
        kill(child, SIGKILL);
        WaitFor(child, std::chrono::seconds(10), &took);
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return true;
}

// Ends the program as the desktop does (SIGTERM, or the signal given); its exit status, or -1
// when it did not end (it is then killed). `took` is how long it took to end.
inline int Close(pid_t child, int signal = SIGTERM, ProcessClock::duration* took = nullptr) {
    ProcessClock::duration spent{};
    if (took == nullptr) took = &spent;
    kill(child, signal);
    const int status = WaitFor(child, std::chrono::seconds(30), took);
    if (status == -1) {
        kill(child, SIGKILL);
        WaitFor(child, std::chrono::seconds(10), took);
    }
    return status;
}

}  // namespace testsupport
