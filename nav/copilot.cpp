// The copilot's settings ("CoPilot" of a situation) and its take-off calls.
#include "nav/copilot.h"

#include <cstdlib>
#include <string>

#include "cockpit/gauges.h"
#include "core/ini_file.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "nav/copilot_state.h"
#include "nav/speakers.h"

namespace nav {

CopilotSettings theCopilotSettings;

namespace {

constexpr const char* kCopilotSection = "CoPilot";

struct Speeds {
    int lastCalled;
    int rotate;
};
// The last speed called when the calls are armed, and the rotate speed, by aircraft type.
constexpr Speeds kSpeeds[] = {{30, 55}, {40, 70}, {40, 85}, {60, 95}};

// The frequency ("118.30") of the controller working the aircraft.
const std::string& FacilityFrequency(const AtcState& a) {
    switch (a.fac) {
        case kFacGround:
            return a.groundFreq;
        case kFacDeparture:
            return a.departFreq;
        case kFacCenter:
            return a.centerFreq;
        case kFacApproach:
            return a.approachFreq;
        default:
            return a.towerFreq;
    }
}

// Whether COM1 is in use on a frequency ("118.30").
bool ComOneIsOn(const std::string& f) {
    const cockpit::PanelGauge& com = cockpit::theCom1Radio;
    return f.size() >= 6 && com.activeMHz == std::atoi(f.substr(1, 2).c_str()) &&
           com.activeKHz == std::atoi(f.substr(4, 2).c_str());
}

}  // namespace

CopilotSettings::CopilotSettings() {
    master = 0;
}

void CopilotSettings::ResetCallouts() {
    enginePending = firstSpeedPending = secondSpeedPending = decisionPending = climbSpeedPending =
        climbPending = 0;
    spare = 1;
    rotatePending = 1;
    int type = AtcAircraftType();
    if (type == 5) type = 0;
    if (type >= 0 && type < 4) {
        lastSpeedCalled = kSpeeds[type].lastCalled;
        rotateSpeed = kSpeeds[type].rotate;
    } else if (type == 4) {
        enginePending = firstSpeedPending = secondSpeedPending = decisionPending =
            climbSpeedPending = climbPending = 1;
        engineAt = 500;
        firstSpeedAt = 14;
        secondSpeedAt = 28;
        decisionAt = 43;
        rotateAt = 47;
        climbSpeedAt = 55;
    }
}

void CopilotSettings::TickTakeoffSpeeds() {
    const flight::FlightModelState& f = flight::theFlightModelState;
    if (f.fmOTG == 0) return;
    const int speed = AtcKnots();
    if (lastSpeedCalled + 10 < speed) {
        lastSpeedCalled += 10;
        const int k = lastSpeedCalled >= 41 ? (lastSpeedCalled - 40) / 10 : 0;
        if (k < 8) {
            theAtcSpeech.AppendWord(static_cast<std::uint16_t>(5319 + k));
            theAtcSpeech.AppendWord(5306);
            theAtcSpeech.speaking = 1;
        }
    }
    if (rotatePending != 0 && rotateSpeed <= speed) {
        theAtcSpeech.AppendWord(5316);
        theAtcSpeech.speaking = 1;
        rotatePending = 0;
    }
}

void CopilotSettings::TickCallouts() {
    if (master == 0) return;
    AtcSpeech& q = theAtcSpeech;
    if (q.bufferOpen == 0 || q.buffer == nullptr) {
        if (q.OpenPhraseLibrary(kTowerWordFolder, kTowerWordLibrary) == 0) return;
        q.QueuePhrase(0, q.volume, 0);
    }
    int type = AtcAircraftType();
    if (type != 4) {
        TickTakeoffSpeeds();
        return;
    }
    const flight::FlightModelState& f = flight::theFlightModelState;
    const int needle = cockpit::theAirspeedIndicator.needle;
    auto call = [&](std::int32_t& pending, bool now, int clip) {
        if (pending == 0 || !now) return;
        q.AppendWord(static_cast<std::uint16_t>(clip));
        pending = 0;
        q.speaking = 1;
    };
    call(enginePending, flight::theFlightModelState.fmEngineSpeed[0] > engineAt, 5313);
    call(firstSpeedPending, needle > firstSpeedAt, 5314);
    if (secondSpeedPending != 0 && needle > secondSpeedAt) {
        q.AppendWord(5322);
        q.AppendWord(5306);
        secondSpeedPending = 0;
        q.speaking = 1;
    }
    call(decisionPending, needle > decisionAt, 5315);
    call(rotatePending, needle > rotateAt, 5316);
    call(climbSpeedPending, needle > climbSpeedAt && f.fmPosY > 160, 5317);
    call(climbPending, f.fmVVel > 0, 5318);
}

int LoadCopilotSettings(core::IniFile& file) {
    CopilotSettings& c = theCopilotSettings;
    // Anything but a whole number other than 0 leaves the copilot off.
    c.master = file.GetInt(kCopilotSection, "CoPilot", 0) != 0 ? 1 : 0;
    if (c.master == 0) {
        c.takeoff = c.radios = c.navigation = c.advice = c.altitude = c.heading = 0;
        theAtcState.copilotRadios = 0;
        theCopilotRadioHelp = 0;
        theAtcHost.setFlightMode(0);
        return 1;
    }
    c.takeoff = file.GetInt(kCopilotSection, "Takeoff", 0);
    c.radios = file.GetInt(kCopilotSection, "Radios", 0);
    c.navigation = file.GetInt(kCopilotSection, "Navigation", 0);
    c.advice = file.GetInt(kCopilotSection, "Advice", 0);
    c.altitude = file.GetInt(kCopilotSection, "Altitude", 0);
    c.heading = file.GetInt(kCopilotSection, "Heading", 0);
    // The radio help the ATC and the flight mode's reply delay both follow.
    theAtcState.copilotRadios = c.radios != 0 ? 1 : 0;
    theCopilotRadioHelp = static_cast<std::uint32_t>(theAtcState.copilotRadios);
    ApplyCopilotPresets(c);
    theAtcHost.setFlightMode(5);
    return 1;
}

void ApplyCopilotPresets(const CopilotSettings& c) {
    AtcState& a = theAtcState;
    // Turned on by the help, never off by it: a preset waiting in a standby window does no harm.
    if (c.radios != 0 && a.atcAutoFreq == 0) {
        a.atcAutoFreq = 1;
        // Asked for help while the controllers wait for the first call: the frequency they wait
        // on (the ATIS's, or the first controller's) goes into the standby window, as it would
        // have at the start, for the copilot to swap into use.
        if (a.atcOn != 0 && theAtisSpeech.atcContact == 0) {
            if (a.spSeq == kSeqDeparture)
                AtcGroundContact();
            else
                AtcArrivalContact();
        } else if (a.atcOn != 0) {
            // Already in contact: the controller working the aircraft, swapped into use unless
            // the pilot has it there.
            const std::string& f = FacilityFrequency(a);
            AtcPresetComFrequency(f);
            if (FrequencySet(f) && !ComOneIsOn(f)) AtcCopilotTuneRadio();
        }
    }
    if (c.navigation != 0) a.atcAutoNav = 1;
}

int SaveCopilotSettings(core::IniFile& file) {
    const CopilotSettings& c = theCopilotSettings;
    int ok = file.PutInt(kCopilotSection, "CoPilot", c.master);
    ok &= file.PutInt(kCopilotSection, "Takeoff", c.takeoff);
    ok &= file.PutInt(kCopilotSection, "Radios", c.radios);
    ok &= file.PutInt(kCopilotSection, "Navigation", c.navigation);
    ok &= file.PutInt(kCopilotSection, "Advice", c.advice);
    ok &= file.PutInt(kCopilotSection, "Altitude", c.altitude);
    ok &= file.PutInt(kCopilotSection, "Heading", c.heading);
    return ok;
}

}  // namespace nav
