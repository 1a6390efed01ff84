#include "cockpit/engine_tachometers.h"

#include <algorithm>
#include <cmath>

#include "cockpit/panel_controls.h"
#include "devices/sound_device.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"

namespace cockpit {

std::int16_t PistonTachometerValue(std::int32_t r) {
    const double t =
        r > 500 ? std::trunc((r - 500) * 0.0419992 + 0.5) + 7 : std::trunc(r * 0.0139997 + 0.5);
    return static_cast<std::int16_t>(t);
}

namespace {

// The speed a propeller lever leaves of the engine speed: two thirds always, the rest with the
// lever.
std::int32_t Governed(std::int32_t r, std::int16_t lever) {
    const auto b = static_cast<std::int32_t>(r * 0.67);
    return static_cast<std::int32_t>(std::trunc((r - b) * lever * (1.0 / 31))) + b;
}

}  // namespace

void UpdateTachometerSounds() {
    const flight::FlightModelState& fm = flight::theFlightModelState;
    const int type = flight::theAircraftServices.aircraftType();
    devices::SoundChannel* const engines[2] = {&devices::theLeftEngineSound,
                                               &devices::theRightEngineSound};
    const devices::SoundChannel* const starters[2] = {&devices::theLeftStarterSound,
                                                      &devices::theRightStarterSound};
    for (int e = 0; e < 2; ++e) {
        devices::SoundChannel& channel = *engines[e];
        // The sound follows once its engine runs; a starting engine is still fading in.
        if (channel.running == 0 || starters[e]->starting != 0) continue;
        const std::int32_t r = fm.fmEngineSpeed[e];
        const LeverGauge& prop = e == 0 ? thePropPitchLever : thePropPitchLever2;
        std::int32_t value;
        switch (type) {
            case 0:
                if (e != 0) continue;
                value = std::max<std::int32_t>(PistonTachometerValue(fm.fmAdjustedTach), 15);
                break;
            case 1:
                if (e != 0) continue;
                value =
                    std::max<std::int32_t>(PistonTachometerValue(Governed(r, prop.lever)), 15);
                break;
            case 2:
                value = std::max<std::int32_t>(
                    static_cast<std::int32_t>(Governed(r, prop.lever) * 0.036859565) + 26, 53);
                break;
            case 3:
                value = static_cast<std::int32_t>(r * 0.07);
                break;
            case 4:
                value = r;
                break;
            default:
                continue;
        }
        channel.UpdateEngineFrequency(static_cast<std::int16_t>(std::clamp(value, -32768, 32767)),
                                      type, e);
    }
}

}  // namespace cockpit
