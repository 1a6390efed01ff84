// What the DME window reads of the navigation receivers: one output record per NAV receiver
// (bit 0 of its flags: the received station has a DME; its station word non-zero while a station
// is received), the hold capture of the HLD position, and the window's own last station and
// valid flag. The receivers fill the records; until they do, no station is received.
#pragma once

#include <cstdint>

namespace cockpit {

struct NavReceiverOutput {
    std::uint8_t flags = 0;
    std::int16_t station = 0;
};
// NAV1 and NAV2.
extern NavReceiverOutput theNavReceiverOutputs[2];

struct DmeHold {
    std::int32_t captured = 0;  // HLD holds the station it captured; cleared on leaving HLD
    std::int32_t fromNav = 0;   // 1 or 2: the receiver the held station came from
};
extern DmeHold theDmeHold;

struct DmeWindowState {
    std::int16_t lastStation = 0;  // the station the window showed last
    std::int32_t valid = 0;        // the selected source has a DME station
};
extern DmeWindowState theDmeWindow;

// Back to no station and no hold (a fresh cockpit).
void ResetDmeSource();

}  // namespace cockpit
