// The cockpit's and the message box's answers to the aircraft and the flight step.
#include "flight/flight_hooks.h"

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_layouts.h"
#include "ui/dialog_services.h"

const flight::FlightHooks flight::theFlightHooks{
    &cockpit::SetupGaugesForAircraft,
    &cockpit::InvalidateAllGauges,
    &cockpit::CenterNavIndicators,
    &cockpit::ResetCockpitServices,
    &cockpit::ReleasePanelArt,
    &cockpit::LoadPanelArtForType,
    &cockpit::DrawPanelForType,
    []() -> flight::PanelSwitches& { return cockpit::thePanelSwitches; },
    [] { return static_cast<int>(cockpit::theSwapPanel); },
    [] { return cockpit::theCrashShown != 0 ? 1 : 0; },
    [] { return static_cast<int>(cockpit::thePitotHeatOn); },
    [](std::string_view text) { ui::ShowMessageBox(win::HWND{}, text, ui::MB_OK); },
};
