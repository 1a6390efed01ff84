// The engine gauges' tachometer values that the engine sound follows: per type the value the
// tachometer moves to, from the engine speed and the propeller lever, handed to each running
// engine's sound channel. The drawing of the gauges joins this when the panel is built.
#pragma once

#include <cstdint>

namespace cockpit {

// The tachometer target of the 172 from its adjusted engine speed (also the Bonanza's, from its
// propeller-governed speed).
[[nodiscard]] std::int16_t PistonTachometerValue(std::int32_t speed);
// Every 3rd tick, with the gauges: the running engines' sounds follow their tachometers.
void UpdateTachometerSounds();

}  // namespace cockpit
