// The ATIS speaker: a spoken-word queue of the tower's words, like the ATC's (atc_services.h);
// the ATC code composes what they say. Until it exists these are least bodies: a reload reopens
// the buffer and starts an empty utterance, the broadcast's tick says nothing, and the ATC's
// once-a-second step does nothing.
#pragma once

#include <cstdint>

#include "devices/speech_queue.h"
#include "nav/atc_services.h"
#include "win/handles.h"

namespace nav {

class AtisSpeech : public devices::SpeechQueue {
public:
    // After sound came back: a new buffer and the broadcast from its start.
    int Reload(win::HWND window);
    // The broadcast's once-a-second step.
    void Tick(win::HWND window);
    // 1 while an ATIS frequency is tuned and heard.
    std::uint32_t broadcastOn = 0;
};

extern AtisSpeech theAtisSpeech;

// The ATC's once-a-second step, while a session runs.
void AtcFrameStep(win::HWND window);
[[nodiscard]] bool IsAtcActive();

}  // namespace nav
