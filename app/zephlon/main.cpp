// zephlon [--dir FOLDER]: the simulator on the SDL machine. The working folder is the
// installation (FOLDER, else build/install beside the bin folder when it exists, else the
// current folder).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "platform/termination.h"
#include "sim/main_window.h"

int main(int argc, char** argv) {
    std::string folder;
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc) {
            folder = argv[++i];
        } else {
            if (!commandLine.empty()) commandLine += ' ';
            commandLine += a;
        }
    }
    if (folder.empty()) folder = sim::DefaultInstallationFolder();
    if (chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "zephlon: cannot enter folder %s\n", folder.c_str());
        return 2;
    }
    // The end of the desktop session (SIGTERM), Ctrl+C (SIGINT) or the terminal closed under the
    // program (SIGHUP) closes it in order, saving its settings, without asking.
    platform::InstallTerminationSignals();
    std::unique_ptr<platform::Backend> machine = platform::CreateSdlBackend();
    if (!machine) {
        std::fprintf(stderr, "zephlon: no display\n");
        return 2;
    }
    // Without a window there is nothing to fly in: say why and stop.
    if (!machine->GetVideo().Open(platform::VideoOptions{})) {
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const std::string why = machine->GetVideo().OpenError();
        if ((display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0'))
            std::fprintf(stderr,
                         "zephlon: no display to open the window on (DISPLAY is not set)\n");
        else
            std::fprintf(stderr, "zephlon: the window could not be opened: %s\n",
                         why.empty() ? "the display refused it" : why.c_str());
        return 2;
    }
    platform::SetCurrentBackend(machine.get());
    // The settings are the installation's, not kept beside the executable.
    sim::UseInstallationSettings();
    const int code = sim::ZephlonMain(commandLine);
    platform::SetCurrentBackend(nullptr);
    return code;
}
