#include "cockpit/audio_panel.h"

namespace cockpit {

AudioPanel theAudioPanelButtons{
    theAudioPanel.buttons[0], theAudioPanel.buttons[1], theAudioPanel.buttons[2],
    theAudioPanel.buttons[3], theAudioPanel.buttons[4], theAudioPanel.buttons[5],
    theAudioPanel.buttons[6],
};
DmeSelector theDmeSource{theDmeRadio.buttons[0], theDmeRadio.buttons[1], theDmeRadio.buttons[2]};
MarkerReceiver theMarkerReceiver{theAudioPanel.buttons[7], theAudioPanel.buttons[8],
                                 theAudioPanel.buttons[9]};

void ResetAudioPanel() {
    for (std::int32_t& b : theAudioPanel.buttons)
        b = 0;
    theDmeRadio.buttons[0] = 1;
    theDmeRadio.buttons[1] = theDmeRadio.buttons[2] = 0;
    theAudioPanel.dirty = theDmeRadio.dirty = 1;
}

}  // namespace cockpit
