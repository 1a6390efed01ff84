// The kinds of aircraft the radios tell apart: the 172's instruments (types 0 and 5, and any type
// out of range), the HSI of the others, the turbines' attitude director and RMI (types 3 and 4).
#pragma once

#include "flight/aircraft.h"

namespace cockpit {

[[nodiscard]] inline int AircraftType() {
    return flight::theAircraftServices.aircraftType();
}
[[nodiscard]] inline bool C172Kind(int type) {
    return type == 0 || type == 5 || type < 0 || type > 5;
}
[[nodiscard]] inline bool TurbineKind(int type) {
    return type == 3 || type == 4;
}

}  // namespace cockpit
