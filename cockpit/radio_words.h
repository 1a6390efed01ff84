// What a change of a radio's active frequency sets off. The radio gauges keep the words: NAV and
// COM radios hold whole megahertz minus 100 in `activeMHz` and the hundredths in `activeKHz`
// (113.90 is 13 and 90); the ADF hundreds of kilohertz and the rest (362 is 3 and 62); the
// transponder its first and last pair of digits (4523 is 45 and 23). The navigation database's
// reception checks read them.
#pragma once

#include <cstdint>

#include "cockpit/gauges.h"

namespace cockpit {

enum class Radio { Nav1, Nav2, Adf, Com1, Com2, Transponder };

// The gauge of a radio.
[[nodiscard]] PanelGauge& RadioWords(Radio radio);

// Sets a radio's active words as tuning does and runs what the change sets off: the reception
// check of a NAV radio or the ADF, the ATC's handler of a COM change.
void SetActiveFrequency(Radio radio, std::int16_t whole, std::int16_t fraction);

// The battery and avionics masters, 1 when on (the words the switch commands toggle).
[[nodiscard]] std::uint32_t BatteryPowerWord();
[[nodiscard]] std::uint32_t AvionicsSwitchWord();

// Puts every radio back to 0 (tests).
void ResetRadioWords();

}  // namespace cockpit
