#include "sim/startup.h"

#include <cstdlib>

#include "core/resource_volume.h"
#include "ui/dialog_services.h"

namespace sim {

void FatalShutdown() {
    // Static destructors run after this; the volumes' files are closed while files still work.
    core::CloseGlobalVolumes();
    std::exit(0);
}

void InstallResourceVolumeHost() {
    core::ResourceVolumeHost host;
    host.promptForDisc = [](int disc, std::string_view path, std::uint32_t buttons) {
        return ui::PromptForDisc(win::HWND{}, disc, path, buttons);
    };
    host.showMessageBox = [](std::string_view text, std::uint32_t type) {
        return ui::ShowMessageBox(win::HWND{}, text, type);
    };
    host.fatalShutdown = [] { FatalShutdown(); };
    core::SetResourceVolumeHost(std::move(host));
}

void InitResourceVolumes() {
    InstallResourceVolumeHost();
    core::InitInstallationSource();
    core::OpenGlobalVolumes();
}

}  // namespace sim
