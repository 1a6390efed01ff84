// Morse identifiers of the tuned stations: NAV1, NAV2 and the ADF key their station's ident every
// ten seconds, the DME every thirty, while the station is received (its ident is set) and, for the
// VOR receivers and the DME, its audio button is in. The words of this speech queue are tone
// elements of the effects volume: dot 100 and dash 101 (the DME's tone 200 and 201) and the
// character gap 196.
#pragma once

#include <cstdint>
#include <string_view>

#include "devices/speech_queue.h"

namespace devices {

class BeaconSound : public SpeechQueue {
public:
    enum Receiver { kNav1 = 0, kNav2 = 1, kAdf = 2, kDme = 3 };
    static constexpr int kIdentChars = 10;
    static constexpr std::uint16_t kDot = 100;
    static constexpr std::uint16_t kDash = 101;
    static constexpr std::uint16_t kDmeBase = 100;
    static constexpr std::uint16_t kGap = 196;

    BeaconSound();

    // The receivers' input: the ident of the station a receiver hears ("" when none), at most
    // nine characters (longer texts are cut there).
    void SetIdent(int receiver, std::string_view ident);
    [[nodiscard]] std::string_view Ident(int receiver) const;
    // Empties the four idents (the electrical power switched).
    void ClearIdents();

    // The once-a-second count: a receiver with an ident counts; when any counter reaches its
    // mark, the idents at a mark are keyed (once, however many counters reached one).
    void CountSecond(win::HWND window);
    int QueueIdents(win::HWND window);
    // Appends the code of one character ('a'..'z', '0'..'9') and the gap; opens the buffer and
    // starts an utterance when there is none. Other characters key nothing.
    int QueueMorseChar(win::HWND window, char ch, int base);

    std::uint32_t counters[4] = {0, 0, 0, 0};
    // Written by the VOR receivers; 2 lets the third repetition key the DME's tone.
    std::uint32_t navStates[2] = {0, 0};
    char idents[4][kIdentChars] = {};
};

extern BeaconSound theBeaconSound;

// (Re)opens the beacon's buffer and starts an utterance; 1 when open.
int CreateBeaconResponseBuffer(win::HWND window);

}  // namespace devices
