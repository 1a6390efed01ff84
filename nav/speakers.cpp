// The ATIS broadcast: the information letter, the time of the observation, the sky, temperature,
// dew point, wind, altimeter, the runways in use and the frequencies, composed from the tower
// volume's word clips and spoken again five seconds after it ends while the frequency is tuned.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cockpit/radio_words.h"
#include "core/numeric.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "nav/nav_database.h"
#include "nav/sms_database.h"

namespace nav {

AtisSpeech theAtisSpeech;

namespace {

constexpr int kAtisPhrases = 7000;
// The automated station's own phrases after the broadcast's.
constexpr int kObservationPhrase = 25, kVisibilityPhrase = 26, kSkyClearPhrase = 27;
constexpr int kRunwayWord = 4543;
constexpr int kAndWord = 4556;

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

AtisSpeech::AtisSpeech() {
    // The first letter of the day differs from run to run of the program, but not within one.
    letterIndex = static_cast<std::int16_t>(core::rand() / 1424 % 26);
}

int AtisSpeech::Reload(win::HWND) {
    if (bufferOpen != 0) Close();
    if (OpenPhraseLibrary(kTowerWordFolder, kTowerWordLibrary) == 0) return 0;
    QueuePhrase(0, volume, 0);
    prepared = collected = 0;
    return 1;
}

int AtisSpeech::AtisWordCode(std::string word) {
    word = Lower(std::move(word));
    struct Code {
        const char* word;
        int code;
    };
    static constexpr Code kCodes[] = {{"clear", 21},    {"scattered", 22}, {"broken", 23},
                                      {"overcast", 21}, {"calm", 24},      {"left", 38},
                                      {"right", 39},    {"center", 40}};
    for (const Code& c : kCodes)
        if (word == c.word) return c.code;
    return devices::SpeechQueue::kSilenceClip;
}

void AtisSpeech::UpdateTimeAndLetter() {
    int h = 0, m = 0;
    theAtcHost.zuluTime(&h, &m);
    // The observation is made a quarter of an hour before the time heard; the minutes keep
    // two digits, so that 14:20 is heard as one four zero five.
    char text[16];
    std::snprintf(text, sizeof text, "%d%02d", std::clamp(h, 0, 23), std::max(m - 15, 0));
    timeText = text;
    if ((letterHour == 24 && h == 0) || (letterHour != 24 && letterHour < h))
        letterIndex = static_cast<std::int16_t>((letterIndex + 1) % 26);
    letterHour = static_cast<std::int16_t>(h);
    letterIndex = static_cast<std::int16_t>(std::clamp<int>(letterIndex, 0, 25));
    letterText = std::string(1, static_cast<char>('a' + letterIndex));
    theAtcState.atisLetter = static_cast<std::uint8_t>('a' + letterIndex);
}

void AtisSpeech::UpdateWeather() {
    cloudBaseText = std::to_string(theAtcHost.cloudBase());
    const int cover = theAtcHost.cloudCoverage();
    skyWord = cover < 2 ? "clear" : (cover < 4 ? "scattered" : (cover < 7 ? "broken" : "overcast"));
    const int t = theAtcHost.temperatureF();
    temperatureText = std::to_string(t);
    dewPointText = std::to_string(t - 4);
    windDirectionText = std::to_string(theAtcHost.surfaceWindDirection());
    windSpeedText = std::to_string(theAtcHost.surfaceWindSpeed());
    altimeterText = std::to_string(theAtcHost.pressure());
}

void AtisSpeech::CollectData() {
    UpdateTimeAndLetter();
    UpdateWeather();
    AtcState& a = theAtcState;
    runways = {"none", "none", a.lndRwy, "none", a.toRwy, "none"};
    // A facility the airport lacks is worked by the tower (clearance by ground when it has one).
    if (!FrequencySet(a.groundFreq)) a.groundNum = a.towerNum;
    if (!FrequencySet(a.clearFreq))
        a.clearNum = FrequencySet(a.groundFreq) ? a.groundNum : a.towerNum;
    if (!FrequencySet(a.approachFreq)) a.approachNum = a.towerNum;
    if (!FrequencySet(a.departFreq)) a.departNum = a.towerNum;
    collected = 1;
}

void AtisSpeech::ComposeAtis() {
    const int v = voiceOffset;
    const int words = kControllerWords;
    auto phrase = [&](int n) { AppendWord(static_cast<std::uint16_t>(kAtisPhrases + n + v)); };
    auto word = [&](int n) { AppendWord(static_cast<std::uint16_t>(n + v)); };
    const char letter = letterText.empty() ? 'a' : letterText[0];
    phrase(1);
    QueueCharWord(words + v, letter);
    QueueSpelled(timeText, words, v);
    phrase(2);
    if (Lower(skyWord) != "clear") {
        phrase(3);
        QueueNumber(static_cast<std::int16_t>(std::atoi(cloudBaseText.c_str())), words + v);
        phrase(AtisWordCode(skyWord));
    }
    phrase(4);
    QueueSpelled(temperatureText, words, v);
    phrase(5);
    QueueSpelled(dewPointText, words, v);
    phrase(6);
    QueueWind();
    phrase(8);
    QueueSpelled(altimeterText, words, v);
    std::array<std::string, 6> r;
    for (std::size_t i = 0; i < r.size(); ++i)
        r[i] = Lower(runways[i].empty() ? "none" : runways[i]);
    if (r[0] != "none") {
        phrase(9);
        QueueText(r[0], words, v);
        if (r[1] != "none") {
            word(kAndWord);
            QueueText(r[1], words, v);
        }
        phrase(10);
    }
    if (r[2] == r[4] && r[3] == "none" && r[5] == "none") {
        phrase(11);
        phrase(12);
        word(kRunwayWord);
        QueueText(r[2], words, v);
    } else {
        phrase(11);
        word(kRunwayWord);
        QueueText(r[2], words, v);
        if (r[3] != "none") {
            word(kAndWord);
            QueueText(r[3], words, v);
        }
        if (r[5] == "none") {
            phrase(20);
            word(kRunwayWord);
            QueueText(r[4], words, v);
        }
    }
    const AtcState& a = theAtcState;
    if (!FrequencySet(a.groundFreq) && !FrequencySet(a.approachFreq)) {
        phrase(19);
        phrase(15);
        QueueFrequency(a.towerFreq, words + v);
    } else {
        phrase(13);
        if (FrequencySet(a.groundFreq)) {
            phrase(14);
            QueueFrequency(a.groundFreq, words + v);
        } else {
            phrase(15);
            QueueFrequency(a.towerFreq, words + v);
        }
        phrase(17);
        if (FrequencySet(a.approachFreq)) {
            phrase(18);
            QueueFrequency(a.approachFreq, words + v);
        } else {
            phrase(15);
            QueueFrequency(a.towerFreq, words + v);
        }
    }
    phrase(16);
    QueueCharWord(words + v, letter);
    speaking = 1;
}

void AtisSpeech::QueueWind() {
    const int v = voiceOffset;
    auto phrase = [&](int n) { AppendWord(static_cast<std::uint16_t>(kAtisPhrases + n + v)); };
    if (windSpeedText != "0") {
        QueueSpelled(windDirectionText, kControllerWords, v);
        phrase(7);
        QueueSpelled(windSpeedText, kControllerWords, v);
    } else {
        phrase(AtisWordCode("calm"));
    }
}

void AtisSpeech::ComposeObservation() {
    const int v = voiceOffset;
    const int words = kControllerWords;
    auto phrase = [&](int n) { AppendWord(static_cast<std::uint16_t>(kAtisPhrases + n + v)); };
    QueueSpelled(atisAirport, words, v);
    phrase(kObservationPhrase);
    QueueSpelled(timeText, words, v);
    phrase(2);
    phrase(6);
    QueueWind();
    // The world's air is clear below its clouds: ten miles and more.
    phrase(kVisibilityPhrase);
    QueueSpelled("10", words, v);
    if (Lower(skyWord) != "clear") {
        phrase(3);
        QueueNumber(static_cast<std::int16_t>(std::atoi(cloudBaseText.c_str())), words + v);
        phrase(AtisWordCode(skyWord));
    } else {
        phrase(kSkyClearPhrase);
    }
    phrase(4);
    QueueSpelled(temperatureText, words, v);
    phrase(5);
    QueueSpelled(dewPointText, words, v);
    phrase(8);
    QueueSpelled(altimeterText, words, v);
    speaking = 1;
}

int AtisSpeech::Tick(win::HWND) {
    if (bufferOpen == 0 || buffer == nullptr) {
        if (OpenPhraseLibrary(kTowerWordFolder, kTowerWordLibrary) == 0) return 0;
        idleTicks = 0;
    }
    if (speaking != 0) return 1;
    if (++idleTicks < 5) return 1;
    prepared = 1;
    QueuePhrase(0, volume, 0);
    if (collected == 0) CollectData();
    if (automated != 0) {
        ComposeObservation();
    } else {
        ComposeAtis();
        // The broadcast has been heard: the pilot may now make his first call.
        atcContact = 1;
    }
    playing = 1;
    idleTicks = 0;
    return 1;
}

namespace {

// The nearest airport to the aircraft whose header `match` accepts: its reference point within
// `groundHalf` (world units, east-west and north-south) on the ground, 13 nm aloft; its index,
// or -1. Nothing is heard without power to the radios.
template <typename Match>
int FindNearbyAirport(double groundHalf, Match match) {
    if (cockpit::BatteryPowerWord() == 0 || cockpit::AvionicsSwitchWord() == 0) return -1;
    const flight::FlightModelState& f = flight::theFlightModelState;
    const double half = f.fmOTG != 0 ? groundHalf : 6178560.0;
    const auto& airports = theNavDatabase.airports;
    int nearest = -1;
    double nearestAway = 0;
    for (std::size_t i = 0; i < airports.size(); ++i) {
        const AirportIndexRecord& row = airports[i];
        const double dx = static_cast<double>(row.x) - f.fmPosX;
        const double dz = static_cast<double>(row.z) - f.fmPosZ;
        if (std::abs(dx) > half || std::abs(dz) > half) continue;
        const double away = std::hypot(dx, dz);
        if (nearest >= 0 && away >= nearestAway) continue;
        SmsEntryCopy entry;
        SmsAirportHeader header;
        std::vector<SmsRunwayRecord> rows;
        if (theSmsDatabase.ReadAirportRecord(static_cast<int>(i), &entry, &header, &rows) != 0 &&
            match(row.ident, header)) {
            nearest = static_cast<int>(i);
            nearestAway = away;
        }
    }
    return nearest;
}

// On the ground a field's ATIS and tower are heard anywhere on it: the runway ends of the
// largest lie up to 3 nm from the reference point (Denver's, St. Louis's runway 11).
constexpr double kAtisGroundHalf = 2.0 * 1029760.0;

bool Heard(std::uint16_t bcd, const std::string& frequencyText) {
    return bcd != 0 && theSmsDatabase.FormatFrequency(bcd) == frequencyText;
}

}  // namespace

int AtisSpeech::FindAtisAirport(const std::string& frequencyText) {
    return KeepAirport(FindNearbyAirport(
        kAtisGroundHalf, [&](const std::string& ident, const SmsAirportHeader& h) {
            return Heard(h.atis, frequencyText) ||
                   (h.atis != 0 && AirportHeardOn(ident, ComService::Atis, frequencyText));
        }));
}

int AtisSpeech::FindControlledAirport(const std::string& frequencyText) {
    // An airport with an ATIS is called after the broadcast has been heard.
    return KeepAirport(FindNearbyAirport(
        kAtisGroundHalf, [&](const std::string& ident, const SmsAirportHeader& h) {
            return h.atis == 0 && h.tower != 0 &&
                   (Heard(h.tower, frequencyText) || Heard(h.ground, frequencyText) ||
                    AirportHeardOn(ident, ComService::Tower, frequencyText) ||
                    AirportHeardOn(ident, ComService::Ground, frequencyText));
        }));
}

bool AtisSpeech::HearsAutomatedStation(const std::string& com1, const std::string& com2) const {
    return automated != 0 && FrequencySet(automatedFreq) &&
           (com1 == automatedFreq || com2 == automatedFreq);
}

int AtisSpeech::KeepAirport(int row) {
    if (row < 0) return 0;
    atisAirport = theNavDatabase.airports[static_cast<std::size_t>(row)].ident;
    SmsEntryCopy entry;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    automated =
        theSmsDatabase.ReadAirportRecord(row, &entry, &header, &rows) != 0 && header.tower == 0 ? 1 : 0;
    if (automated == 0) automatedFreq.clear();
    // A new airport's broadcast starts from its first collection.
    collected = 0;
    playing = 0;
    return 1;
}

}  // namespace nav
