// The two speakers of the radio, both spoken-word queues (devices/speech_queue.h) reading the
// tower volume's numbered clips: the ATIS broadcast of the airport tuned, and the ATC speaker,
// which turns the controllers' messages, the pilot's readbacks, the copilot's advice and the
// traffic's calls into clips. A voice offset (0, 100, 200 or 300) added to a clip id picks who
// says it. Also the ATC's once-a-second step that the sound update runs.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "devices/speech_queue.h"
#include "win/handles.h"

namespace nav {

// The folder and library names the speakers open their buffer with; the clips come from the
// tower volume whatever they say.
inline constexpr char kTowerWordFolder[] = "snd\\toweratc\\";
inline constexpr char kTowerWordLibrary[] = "toweratc.dll";

// Clip bases: the controller's characters and numbers (4500 + index), the pilot's (6000 +
// index); the two clips that end a transmission.
inline constexpr int kControllerWords = 4500;
inline constexpr int kPilotWords = 6000;
inline constexpr int kSquelchClip = 2;
inline constexpr int kClickClip = 1;

class AtisSpeech : public devices::SpeechQueue {
public:
    AtisSpeech();

    // After sound came back: a new buffer and the broadcast from its start.
    int Reload(win::HWND window);
    // The broadcast's once-a-second step while the ATIS is tuned: a new message 5 seconds after
    // the last one ended. 0 when the speech buffer cannot be opened.
    int Tick(win::HWND window);
    // 1 (and the airport kept in atisAirport) when an airport near the aircraft has this ATIS
    // frequency ("132.02") and the radios have power.
    int FindAtisAirport(const std::string& frequencyText);
    // 1 (and the airport kept in atisAirport) when a towered airport near the aircraft without
    // an ATIS has this ground or tower frequency: the call on it starts the session, and the
    // controller gives the weather the broadcast would have.
    int FindControlledAirport(const std::string& frequencyText);
    // Keeps the airport of navigation-table row `row` as the one heard, its broadcast from the
    // start; 0 for no row (-1). An airport without a tower broadcasts its automated weather
    // station's observation (`automated`).
    int KeepAirport(int row);
    // Whether the radios hear the automated station kept (`automatedFreq` on COM1 or COM2 as
    // `com1`, `com2` read).
    [[nodiscard]] bool HearsAutomatedStation(const std::string& com1, const std::string& com2) const;

    void UpdateTimeAndLetter();
    void UpdateWeather();
    void CollectData();
    void ComposeAtis();
    // The automated station's observation: the field spelled (its code: no clip says a name),
    // time, wind, visibility, sky, temperature, dew point and altimeter.
    void ComposeObservation();
    // "Wind" is said before: the direction and speed, or "calm".
    void QueueWind();
    // The word clip code of a sky or wind word (195 for a word the table lacks).
    [[nodiscard]] static int AtisWordCode(std::string word);

    std::int16_t voiceOffset = 0;
    std::int16_t letterIndex = 0;  // 0..25
    std::int16_t letterHour = 24;  // 24: none yet
    std::int16_t idleTicks = 0;
    std::int32_t prepared = 0;
    std::int32_t collected = 0;
    std::int32_t playing = 0;
    // The airport kept has no tower: its broadcast is an automated station's, heard on
    // `automatedFreq` without a session.
    std::int32_t automated = 0;
    std::string automatedFreq;
    std::string letterText;
    std::string timeText;
    std::string cloudBaseText;
    std::string skyWord;
    std::string temperatureText;
    std::string dewPointText;
    std::string windDirectionText;
    std::string windSpeedText;
    std::string altimeterText;
    // A first pair, two landing, two take-off runways; "none" when absent.
    std::array<std::string, 6> runways;

    // What the ATC reads and writes: the initial call may be made (set when the broadcast
    // starts); a COM radio is on the ATIS frequency; the airport whose ATIS was found.
    std::int32_t atcContact = 0;
    std::int32_t atisTuned = 0;
    std::string atisAirport;
};

extern AtisSpeech theAtisSpeech;

class AtcSpeech : public devices::SpeechQueue {
public:
    AtcSpeech();

    // After sound came back: the buffer reopened and playback restarted.
    int Reload(win::HWND window);

    // The message builders: what AtcIssue says in the departure, arrival and en-route
    // sequences; the radar vectors and altitude changes; the copilot's advice and callouts.
    void SayDeparture(int id);
    void SayArrival(int id);
    void SayEnRoute(int id);
    void SayVector(int id);
    void SayAdvisory(int id);
    void SayCallout(int id, int wait);
    // The call of traffic aircraft 0 or 1 and the tower's answer.
    void SayTrafficCall(int aircraft);
    // A controller's squawk assignment with the copilot's setting and the pilot's readback.
    void SaySquawk(int base, int before, int after);
    // The aircraft's call sign (long or short form) at a base ("Baron five two six bravo mike").
    void SayCallSign(int base, int longForm);
    // The squelch tail and the click.
    void EndTransmission();

    // After every COM tuning and COM audio switch: which facilities are tuned, and a session
    // started when an airport's ATIS is tuned.
    void OnComFrequencyChanged(int radio);
    // How many COM changes were handled.
    [[nodiscard]] int ComChanges() const { return comChanges; }

private:
    int comChanges = 0;
    // Opens the buffer and starts playback when it is not open; false when it cannot.
    bool Begin();
    void Runway(const std::string& designator, int base, int voice);
    void Frequency(const std::string& text, int base);
    void Spell(const std::string& text, int base, int voice);
    void Number(int value, int base);
    // "Call sign, contact <facility> <frequency>, good day" in a controller's voice, and the
    // pilot's "over to <facility> <frequency>, call sign, good day".
    void HandOff(int voice, int phrase, const std::string& frequency);
    void HandOffReadback(int facility, const std::string& frequency);
    // A controller's "good day" at voice `voice` ending the transmission, and, when the pilot is
    // heard, the pilot's "call sign, good day".
    void GoodDay(int voice);
    // The wind and the altimeter setting, as the broadcast gives them, said by a controller of
    // an airport without one.
    void SayWeather(int voice);
    // The pilot's "at the ramp, ready to taxi", or "on runway 13R, ready to taxi" where the
    // aircraft stands on a runway.
    void SayReadyToTaxi(int pilot);
    void Word(int id);
};

extern AtcSpeech theAtcSpeech;

// The ATC's once-a-second step (while a session runs) and whether a session runs.
void AtcFrameStep(win::HWND window);
[[nodiscard]] bool IsAtcActive();

}  // namespace nav
