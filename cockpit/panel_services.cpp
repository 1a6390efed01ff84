#include "cockpit/panel_services.h"

#include <algorithm>

#include "cockpit/cockpit_switches.h"
#include "cockpit/engine_tachometers.h"
#include "cockpit/panel_controls.h"
#include "core/ini_file.h"
#include "flight/flight_model_state.h"

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
// The GPS display is drawn by the panel; nothing is loaded until it exists.
void LoadGpsDisplay(int) {}

namespace {

struct LeverKey {
    const char* key;
    LeverGauge* lever;
};
const LeverKey kLeverKeys[6] = {
    {"throttle", &theThrottleLever},   {"throttle2", &theThrottleLeverRight},
    {"propPitch", &thePropPitchLever}, {"propPitch2", &thePropPitchLeverRight},
    {"mixture", &theMixtureLever},     {"mixture2", &theMixtureLeverRight}};

// The lever position that gives a flight-model throttle word (lever x 1057), to the nearest.
std::int32_t LeverForThrottle(std::int32_t throttle) {
    return (std::max(throttle, 0) + 528) / 1057;
}

}  // namespace

// Until the gauges exist the panel keeps its engine levers. A flight without them keeps the
// throttles its flight-model words give, and the propellers and mixtures full forward.
int ReadPanelState(core::IniFile& file) {
    const flight::FlightModelState& s = flight::theFlightModelState;
    const std::int32_t defaults[6] = {
        LeverForThrottle(s.fmThrot), LeverForThrottle(s.fmThrotRight), 31, 31, 31, 31};
    for (int i = 0; i < 6; ++i) {
        const std::int32_t v = file.GetInt("Panel", kLeverKeys[i].key, defaults[i]);
        kLeverKeys[i].lever->position = static_cast<std::int16_t>(std::clamp(v, 0, 31));
        kLeverKeys[i].lever->redraw = 1;
    }
    return 1;
}
int WritePanelState(core::IniFile& file) {
    int result = 1;
    for (const LeverKey& k : kLeverKeys)
        result &= file.PutInt("Panel", k.key, k.lever->position);
    return result;
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
