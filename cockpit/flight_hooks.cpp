// The cockpit's and the message box's answers to the aircraft and the flight step.
#include "flight/flight_hooks.h"

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_layouts.h"
#include "ui/dialog_services.h"

namespace cockpit {
namespace {

PanelSwitches& Switches() {
    return thePanelSwitches;
}
int SwapPanel() {
    return theSwapPanel;
}
int CrashShown() {
    return theCrashShown != 0;
}
int PitotHeatOn() {
    return thePitotHeatOn;
}
void ShowMessage(std::string_view text) {
    ui::ShowMessageBox(win::HWND{}, text, ui::MB_OK);
}

}  // namespace
}  // namespace cockpit

const flight::FlightHooks flight::theFlightHooks{
    &cockpit::SetupGaugesForAircraft,
    &cockpit::InvalidateAllGauges,
    &cockpit::CenterNavIndicators,
    &cockpit::ResetCockpitServices,
    &cockpit::ReleasePanelArt,
    &cockpit::LoadPanelArtForType,
    &cockpit::DrawPanelForType,
    &cockpit::Switches,
    &cockpit::SwapPanel,
    &cockpit::CrashShown,
    &cockpit::PitotHeatOn,
    &cockpit::ShowMessage,
};
