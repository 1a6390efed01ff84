#include "cockpit/panel_services.h"

#include "cockpit/engine_tachometers.h"
#include "core/ini_file.h"

namespace cockpit {

PanelMouse thePanelMouse;
std::uint32_t thePanelClicks[8] = {};
std::uint32_t theCockpitFullRedraw = 0;

void PanelMouse::OnClick() {
    ++thePanelClicks[kind & 7];
}

void UpdateGauges() {
    UpdateGearLamps();
    // The running engines' sounds follow their tachometers.
    UpdateTachometerSounds();
}
// The GPS display is drawn by the panel; nothing is loaded until it exists.
void LoadGpsDisplay(int) {}

}  // namespace cockpit
