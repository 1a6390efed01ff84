// Runs a shell command and collects what it writes to standard output (binary-safe) and its exit
// status, for tests that drive the program's own executables.
#pragma once

#include <stdio.h>
#include <sys/wait.h>

#include <string>

namespace testsupport {

struct CommandResult {
    std::string out;
    int status = -1;  // the exit status; -1 when the command could not run or did not exit
};

inline CommandResult RunCommand(const std::string& command) {
    CommandResult r;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return r;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace testsupport
