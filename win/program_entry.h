// What a runner needs of a program: its entry (the WinMain of the program) and the figures it
// reports when it ends. The headless runner starts whichever program is plugged in here (the
// simulator, or the small demonstration of the window system until the simulator exists), and
// the program writes its trace lines (messages shown, commands, failures) through TraceLine.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace win {

struct ProgramEntry {
    std::string name;
    // Runs the program to its end and returns its exit code.
    std::function<int(const std::string& commandLine)> winMain;
    // Simulation ticks and drawn frames so far (0 when the program has no such notion).
    std::function<std::uint64_t()> ticks;
    std::function<std::uint64_t()> frames;
};

void SetTraceSink(std::function<void(std::string_view)> sink);
// One line of the run's trace; dropped when no runner listens.
void TraceLine(std::string_view line);

}  // namespace win
