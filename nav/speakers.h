// The two speakers of the tower's words: the ATIS broadcast and the controller (with the
// copilot's readbacks). Both are spoken-word queues; the ATC code composes what they say. Until
// it exists these are their least bodies: a reload reopens the buffer and starts an empty
// utterance, the broadcast's tick says nothing, and the ATC step does nothing.
#pragma once

#include <cstdint>

#include "devices/speech_queue.h"
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

class AtcSpeech : public devices::SpeechQueue {
public:
    int Reload(win::HWND window);
};

extern AtisSpeech theAtisSpeech;
extern AtcSpeech theAtcSpeech;

// The ATC's once-a-second step, while a session runs.
void AtcFrameStep(win::HWND window);
[[nodiscard]] bool IsAtcActive();

}  // namespace nav
