#include "cockpit/audio_panel.h"

namespace cockpit {

AudioPanel theAudioPanel;
DmeSelector theDmeSelector;
MarkerReceiver theMarkerReceiver;

void ResetAudioPanel() {
    theAudioPanel = AudioPanel{};
    theDmeSelector = DmeSelector{};
    theMarkerReceiver = MarkerReceiver{};
}

}  // namespace cockpit
