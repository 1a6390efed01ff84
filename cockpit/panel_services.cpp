#include "cockpit/panel_services.h"

#include "cockpit/cockpit_switches.h"
#include "cockpit/engine_tachometers.h"
#include "core/ini_file.h"

namespace cockpit {

PanelMouse thePanelMouse;
std::uint32_t thePanelClicks[8] = {};
std::uint32_t theCockpitFullRedraw = 0;

void PanelMouse::OnClick() {
    ++thePanelClicks[kind & 7];
}

void ResetPanelGauges() {}
// The gauges' every-3rd-tick update: until they are drawn, only the tachometers the engine
// sound follows.
void UpdateGauges() {
    UpdateTachometerSounds();
}
void UpdateNavRadios() {}
// The once-a-second cockpit step: the pitot heat's countdown runs here until the gauges have their
// own slow work.
void CockpitSlowTick() {
    TickPitotHeat();
}
void UpdateElectricalPower(int) {}

// The panel's sections are written by the cockpit once its gauges exist; until then there is
// nothing of the panel to keep, and reading succeeds.
int ReadPanelState(core::IniFile&) {
    return 1;
}
int WritePanelState(core::IniFile&) {
    return 1;
}
int ReadNavRadios(core::IniFile&) {
    return 1;
}
int WriteNavRadios(core::IniFile&) {
    return 1;
}
int LoadPartialPanelSettings(core::IniFile&) {
    return 1;
}
int SavePartialPanelSettings(core::IniFile&) {
    return 1;
}

}  // namespace cockpit
