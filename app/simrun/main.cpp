// simrun [--dir FOLDER] [--screen sdl] [--draw-every-turn] SCRIPT: runs the program on the
// headless machine with FOLDER as its working folder, driven by SCRIPT, and prints a trace and
// the run's figures. With "--screen sdl" the picture also goes to an SDL window on the display the
// environment names. With "--draw-every-turn" every turn of the program's loop draws a picture,
// whether anything it shows changed or not (the pictures must be the same as without it).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "demo_program.h"
#include "device_commands.h"
#include "platform/file_system.h"
#include "platform/headless/headless_backend.h"
#include "platform/termination.h"
#include "script.h"
#include "sdl_screen.h"
#include "sim/flight_file.h"
#include "sim/main_window.h"
#include "sim/startup.h"
#include "ui/general_dialogs.h"
#include "win/file_api.h"
#include "win/input.h"
#include "win/modal.h"
#include "win/program_entry.h"
#include "win/window.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: simrun [--demo] [--dir FOLDER] [--screen sdl] [--draw-every-turn] SCRIPT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The trace goes out a line at a time, so the program's messages on the error output fall
    // between its lines, never inside one, when both go to one pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string folder;
    std::string scriptPath;
    bool demo = false;  // the window system's demonstration instead of the simulator
    bool sdlScreen = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc)
            folder = argv[++i];
        else if (a == "--demo")
            demo = true;
        else if (a == "--screen" && i + 1 < argc && std::string(argv[i + 1]) == "sdl" && ++i)
            sdlScreen = true;
        else if (a == "--draw-every-turn")
            sim::theDrawEveryTurn = true;
        else if (!a.empty() && a[0] == '-')
            return Usage();
        else if (scriptPath.empty())
            scriptPath = a;
        else
            return Usage();
    }
    if (scriptPath.empty()) return Usage();

    // A script is a plain text file: a device or a pipe would never end.
    std::string source;
    if (const std::uint32_t e = platform::ReadTextFile(scriptPath, &source); e != platform::kFileOk) {
        std::fprintf(stderr, "simrun: %s is not a script file (%s)\n", scriptPath.c_str(),
                     win::DescribeFileError(e).c_str());
        return 2;
    }
    std::string error;
    auto commands = simrun::ParseScript(source, &error);
    if (!commands) {
        std::fprintf(stderr, "simrun: %s: %s\n", scriptPath.c_str(), error.c_str());
        return 2;
    }
    // Screenshots named relative to the caller's folder stay there after the change of folder.
    const std::filesystem::path callerDir = std::filesystem::current_path();
    for (simrun::Command& c : *commands)
        if ((c.kind == simrun::Command::Kind::Screenshot ||
             c.kind == simrun::Command::Kind::Save) &&
            std::filesystem::path(c.text).is_relative())
            c.text = (callerDir / c.text).string();
    if (folder.empty()) folder = sim::DefaultInstallationFolder();
    if (chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "simrun: cannot enter folder %s\n", folder.c_str());
        return 2;
    }

    // SIGTERM, SIGINT and SIGHUP close the program in order, as they close zephlon.
    platform::InstallTerminationSignals();
    platform::HeadlessBackend machine;
    if (!simrun::SetUpScriptedSticks(*commands, machine, &error)) {
        std::fprintf(stderr, "simrun: %s: %s\n", scriptPath.c_str(), error.c_str());
        return 2;
    }
    simrun::SetUpSoundCapture(machine);
    std::unique_ptr<platform::Backend> screen;
    if (sdlScreen) {
        screen = simrun::CreateSdlScreenBackend(machine);
        if (!screen) {
            std::fprintf(stderr, "simrun: no display for the SDL screen\n");
            return 2;
        }
        platform::SetCurrentBackend(screen.get());
        screen->GetVideo().Open(platform::VideoOptions{});
    } else {
        platform::SetCurrentBackend(&machine);
        machine.Screen().Open(platform::VideoOptions{});
        win::SetVirtualScreenSize(platform::kFrameWidth, platform::kFrameHeight);
    }
    // The pointer starts over the middle of the picture, where a user's hand leaves it; at the
    // top edge it would bring the menu bar over the picture and hold the frames.
    win::SetCursorPos(platform::kFrameWidth / 2, platform::kFrameHeight / 2);
    simrun::Driver driver(machine, std::move(*commands));
    win::SetTraceSink([&](std::string_view line) {
        std::printf("[%8llu] %.*s\n", static_cast<unsigned long long>(machine.Time().Elapsed()),
                    static_cast<int>(line.size()), line.data());
        driver.Traced(line);
    });
    // What the program asks of a scripted stick's force feedback goes to the trace too.
    machine.Forces().SetLineSink([](std::string_view line) { win::TraceLine(line); });

    machine.Input().SetQueueEmptyHandler([&] { return driver.Step(); });
    win::SetModalObserver([&](win::HWND dialog) { driver.OnModal(dialog); });
    ui::SetTemplateDialogAnswerer(
        [&](std::string_view templ) { return driver.AnswerTemplateDialog(templ); });

    win::ProgramEntry program = demo ? simrun::DemoProgram() : sim::ZephlonProgram();
    if (!demo) driver.saver = [](const std::string& path) { return sim::SaveFlightFile(path); };
    if (!demo) driver.closer = [] { sim::CloseForExit(); };
    // A run keeps its settings in its installation, so one run never inherits the switches
    // another left behind.
    if (!demo) sim::UseInstallationSettings();
    const int code = program.winMain("");
    std::printf("exit=%d\n", code);
    std::printf("simulated_ms=%llu ticks=%llu frames=%llu presents=%llu\n",
                static_cast<unsigned long long>(driver.SimulatedMs()),
                static_cast<unsigned long long>(program.ticks ? program.ticks() : 0),
                static_cast<unsigned long long>(program.frames ? program.frames() : 0),
                static_cast<unsigned long long>(machine.Screen().Frames()));
    std::printf("sound_opens=%d\n", machine.Sound().Opens());
    ui::SetTemplateDialogAnswerer(nullptr);
    // The sink reads the runner's clock and tells its driver: neither outlives this function.
    win::SetTraceSink(nullptr);
    platform::SetCurrentBackend(nullptr);
    // A program that did not start, or ended with an error, fails the run.
    return code == 0 ? 0 : 1;
}
