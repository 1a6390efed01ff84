// The audio panel's switches, the DME selector and the marker receiver's three flags, as the
// sound reads them: which navigation idents and marker tones are heard. Plain states until the
// radio panel's gauges own them (the panel sections and the click regions set them then).
#pragma once

#include <cstdint>

namespace cockpit {

// Each 1 when its audio button is in.
struct AudioPanel {
    std::uint32_t audioMixCom1 = 0;
    std::uint32_t audioMixCom2 = 0;
    std::uint32_t audioMixNav1 = 0;
    std::uint32_t audioMixNav2 = 0;
    std::uint32_t audioMixDME = 0;
    std::uint32_t audioMixMKR = 0;
    std::uint32_t audioMixADF = 0;
};
extern AudioPanel theAudioPanel;

// Which receiver the DME shows; exactly one is set.
struct DmeSelector {
    std::uint32_t dmeN1 = 1;
    std::uint32_t dmeHLD = 0;
    std::uint32_t dmeN2 = 0;
};
extern DmeSelector theDmeSelector;

// The marker receiver: 1 while over the outer, middle or inner marker.
struct MarkerReceiver {
    std::uint32_t outer = 0;
    std::uint32_t middle = 0;
    std::uint32_t inner = 0;
};
extern MarkerReceiver theMarkerReceiver;

// Puts the three back to their start values.
void ResetAudioPanel();

}  // namespace cockpit
