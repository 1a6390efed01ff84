// What the DME window keeps of its own beside the navigation receivers' records (nav_receivers.h:
// NAV1, NAV2 and the hold receiver, and the hold capture): the station it showed last and
// whether the selected source has a DME station.
#pragma once

#include <cstdint>

#include "cockpit/nav_receivers.h"

namespace cockpit {

struct DmeWindowState {
    std::int16_t lastStation = 0;  // the station the window showed last
    std::int32_t valid = 0;        // the selected source has a DME station
};
extern DmeWindowState theDmeWindow;

// The record the DME window reads for the selector's position: NAV1, the hold receiver or NAV2.
[[nodiscard]] const NavReceiverOutput& DmeWindowSource();

// Back to no station and no hold (a fresh cockpit): the receivers' records and the window's.
void ResetDmeSource();

}  // namespace cockpit
