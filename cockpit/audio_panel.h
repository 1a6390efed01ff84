// The audio panel's switches, the DME selector and the marker receiver's three flags by name, as
// the sound reads them: which navigation idents and marker tones are heard. Each is a word of a
// gauge (one storage): the audio panel's buttons 0 to 6 and its marker lamps 7 to 9, the DME's
// source buttons 0 to 2; the panel sections and the click regions set them.
#pragma once

#include <cstdint>

#include "cockpit/gauges.h"

namespace cockpit {

// Each 1 when its audio button is in.
struct AudioPanel {
    std::int32_t& audioMixCom1;
    std::int32_t& audioMixCom2;
    std::int32_t& audioMixNav1;
    std::int32_t& audioMixNav2;
    std::int32_t& audioMixDME;
    std::int32_t& audioMixMKR;
    std::int32_t& audioMixADF;
};
extern AudioPanel theAudioPanelButtons;

// Which receiver the DME shows; exactly one is set.
struct DmeSelector {
    std::int32_t& dmeN1;
    std::int32_t& dmeHLD;
    std::int32_t& dmeN2;
};
extern DmeSelector theDmeSource;

// The marker receiver: 1 while over the outer, middle or inner marker.
struct MarkerReceiver {
    std::int32_t& outer;
    std::int32_t& middle;
    std::int32_t& inner;
};
extern MarkerReceiver theMarkerReceiver;

// Puts the three back to their start values (the DME on NAV1).
void ResetAudioPanel();

}  // namespace cockpit
