// The ATC speaker: each message of the dialogue as the clips the controller says in his
// facility's voice and, when the user listens to himself, the pilot's readback; the copilot's
// advice and callouts; the traffic's calls. Also what a change of a COM radio sets off.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "cockpit/audio_panel.h"
#include "cockpit/gauges.h"
#include "cockpit/radio_commands.h"
#include "cockpit/radio_words.h"
#include "core/numeric.h"
#include "devices/sound_device.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "nav/atc_traffic.h"
#include "planning/planning_services.h"
#include "win/program_entry.h"

namespace nav {

AtcSpeech theAtcSpeech;

namespace {

planning::FlightPlan* AtcSpeechPlan() {
    return theAtcHost.flightPlan();
}
bool AtcSpeechIfrPlan() {
    return AtcSpeechPlan() != nullptr && AtcSpeechPlan()->ifr != 0;
}
const AtcState& A() {
    return theAtcState;
}
int P() {
    return A().pilotNum;
}
std::string Destination() {
    planning::FlightPlan* p = AtcSpeechPlan();
    if (p == nullptr || p->nodeCount < 1) return {};
    return p->nodes[static_cast<std::size_t>(std::min(p->nodeCount, planning::kMaxPlanNodes) - 1)].ident;
}
std::string NodeIdent(int n) {
    planning::FlightPlan* p = AtcSpeechPlan();
    if (p == nullptr || n < 0 || n >= std::min(p->nodeCount, planning::kMaxPlanNodes)) return {};
    return p->nodes[static_cast<std::size_t>(n)].ident;
}

}  // namespace

AtcSpeech::AtcSpeech() {
    speaking = 0;
}

int AtcSpeech::Reload(win::HWND) {
    if (bufferOpen != 0) Close();
    if (OpenPhraseLibrary(kTowerWordFolder, kTowerWordLibrary) == 0) return 0;
    QueuePhrase(0, volume, 0);
    return 1;
}

bool AtcSpeech::Begin() {
    if (bufferOpen != 0 && buffer != nullptr) return true;
    if (OpenPhraseLibrary(kTowerWordFolder, kTowerWordLibrary) == 0) return false;
    QueuePhrase(0, volume, 0);
    return true;
}

void AtcSpeech::Word(int id) {
    AppendWord(static_cast<std::uint16_t>(id));
}

void AtcSpeech::EndTransmission() {
    Word(kSquelchClip);
    Word(kClickClip);
}

void AtcSpeech::SayCallSign(int base, int longForm) {
    int type = AtcAircraftType();
    if (type == 5) type = 0;
    if (type < 0 || type > 4) return;
    Word(base + (longForm != 0 ? 44 : 49) + type);
}

void AtcSpeech::Runway(const std::string& designator, int base, int voice) {
    QueueText(designator, base, voice);
}

void AtcSpeech::Frequency(const std::string& text, int base) {
    QueueFrequency(text, base);
}

void AtcSpeech::Spell(const std::string& text, int base, int voice) {
    QueueSpelled(text, base, voice);
}

void AtcSpeech::HandOff(int voice, int phrase, const std::string& frequency) {
    SayCallSign(voice + 4500, 0);
    Word(voice + phrase);
    Frequency(frequency, 4500 + voice);
    Word(voice + 4554);
    EndTransmission();
}

void AtcSpeech::HandOffReadback(int facility, const std::string& frequency) {
    const int p = P();
    Word(p + 5011);
    Word(p + facility);
    Frequency(frequency, 6000 + p);
    SayCallSign(p + 6000, 0);
    Word(p + 6054);
    EndTransmission();
}

void AtcSpeech::SayWeather(int voice) {
    const int speed = theAtcHost.surfaceWindSpeed();
    Word(voice + 7006);
    if (speed > 0) {
        char direction[8];
        std::snprintf(direction, sizeof direction, "%03d",
                      std::clamp(theAtcHost.surfaceWindDirection(), 1, 360));
        Spell(direction, kControllerWords, voice);
        Word(voice + 7007);
        Spell(std::to_string(speed), kControllerWords, voice);
    } else {
        Word(voice + 7024);
    }
    Word(voice + 7008);
    Spell(std::to_string(theAtcHost.pressure()), kControllerWords, voice);
}

void AtcSpeech::GoodDay(int voice) {
    Word(voice + 4554);
    EndTransmission();
    if (A().listen == 0) return;
    SayCallSign(P() + 6000, 0);
    Word(P() + 6054);
    EndTransmission();
}

void AtcSpeech::Number(int value, int base) {
    QueueNumber(static_cast<std::int16_t>(std::clamp(value, -32768, 32767)), base);
}

// A controller at voice `base` gives the squawk code between two of its phrases; the copilot
// sets it when helping with the radios, and the pilot reads it back when heard.
void AtcSpeech::SaySquawk(int base, int before, int after) {
    const AtcState& a = A();
    const int p = P();
    SayCallSign(base + 4500, 0);
    Word(base + before);
    Spell(a.squawk, kControllerWords, base);
    Word(base + after);
    EndTransmission();
    if (CopilotRadioHelp()) AtcCopilotSetTransponder();
    if (a.listen == 0) return;
    Word(p + 5036);
    Spell(a.squawk, kPilotWords, p);
    SayCallSign(p + 6000, 0);
}

void AtcSpeech::SayReadyToTaxi(int pilot) {
    const std::string runway = AtcRunwayUnderAircraft();
    if (runway.empty()) {
        Word(pilot + 5009);
        return;
    }
    Word(pilot + 5044);
    Runway(runway, kPilotWords, pilot);
    Word(pilot + 5045);
}

void AtcSpeech::SayDeparture(int id) {
    const AtcState& a = A();
    const int p = P(), g = a.groundNum, t = a.towerNum, d = a.departNum, c = a.clearNum;
    const bool listen = a.listen != 0;
    const bool plan = AtcSpeechPlan() != nullptr;
    if (!Begin()) {
        // Nothing is heard, but the presets still follow the dialogue.
        if (id == 502 && FrequencySet(a.groundFreq)) AtcPresetComFrequency(a.towerFreq);
        if (id == 541) AtcPresetComFrequency(a.groundFreq);
        if (id == 508 && FrequencySet(a.departFreq)) AtcPresetComFrequency(a.departFreq);
        speaking = 1;
        return;
    }
    auto pilotRunway = [&] { Runway(a.toRwy, kPilotWords, p); };
    switch (id) {
        case 501:
            if (a.repMsg == 0) {
                Word(p + (FrequencySet(a.groundFreq) ? 5002 : 5003));
                SayCallSign(p + 6000, 1);
                if (FrequencySet(a.atisFreq) && !plan) {
                    Word(p + 5008);
                    QueueCharWord(p + 6000, static_cast<char>(a.atisLetter));
                }
                SayReadyToTaxi(p);
                Word(kClickClip);
            }
            SayCallSign(g + 4500, 1);
            Word(g + 501);
            Runway(a.toRwy, kControllerWords, g);
            Word(g + 507);
            if (!FrequencySet(a.atisFreq)) SayWeather(g);
            if (!plan) {
                Word(g + 4578);
                Spell(a.squawk, kControllerWords, g);
            }
            EndTransmission();
            if (!listen) break;
            Word(p + 5010);
            Word(p + 6043);
            pilotRunway();
            Word(p + 5041);
            if (!plan) {
                Word(p + 5035);
                Spell(a.squawk, kPilotWords, p);
            }
            SayCallSign(p + 6000, 0);
            EndTransmission();
            break;
        case 502:
            if (!FrequencySet(a.groundFreq)) break;
            HandOff(g, 502, a.towerFreq);
            AtcPresetComFrequency(a.towerFreq);
            if (!listen) break;
            HandOffReadback(5003, a.towerFreq);
            break;
        case 541:
            // Called on the tower's frequency from the ramp: the tower sends the aircraft to
            // ground.
            if (a.repMsg == 0) {
                Word(p + 5003);
                SayCallSign(p + 6000, 1);
                SayReadyToTaxi(p);
                Word(kClickClip);
            }
            HandOff(t, 2014, a.groundFreq);
            AtcPresetComFrequency(a.groundFreq);
            if (!listen) break;
            HandOffReadback(5002, a.groundFreq);
            break;
        case 503:
            if (a.repMsg == 0) {
                Word(p + 5003);
                SayCallSign(p + 6000, 1);
                Word(p + 5013);
                pilotRunway();
                EndTransmission();
            }
            break;
        case 505:
        case 507:
            SayCallSign(t + 4500, id == 505 ? 1 : 0);
            // Without a broadcast the tower gives the wind with its clearance.
            if (!FrequencySet(a.atisFreq)) SayWeather(t);
            // Waiting on the runway with traffic on final, the pilot hears of it.
            if (id == 505) {
                if (!AtcPlaceBusy(9)) Word(t + 2001);
                Word(t + 2006);
            } else {
                Word(t + 2002);
            }
            Runway(a.toRwy, kControllerWords, t);
            if (id == 505 && AtcPlaceBusy(9)) Word(t + 2027);
            EndTransmission();
            if (!listen) break;
            Word(p + (id == 505 ? 5014 : 5015));
            Word(p + 6043);
            pilotRunway();
            SayCallSign(p + 6000, 0);
            EndTransmission();
            break;
        case 506:
            SayCallSign(t + 4500, 0);
            Word(t + 2007);
            EndTransmission();
            if (!listen) break;
            SayCallSign(p + 6000, 0);
            EndTransmission();
            break;
        case 508:
            if (!FrequencySet(a.departFreq)) {
                // No departure controller to hand the aircraft to: the tower lets it go.
                SayCallSign(t + 4500, 0);
                Word(t + 3001);
                GoodDay(t);
                break;
            }
            HandOff(t, 2003, a.departFreq);
            AtcPresetComFrequency(a.departFreq);
            if (!listen) break;
            HandOffReadback(5004, a.departFreq);
            break;
        case 509:
            if (FrequencySet(a.departFreq) && a.repMsg == 0) {
                Word(p + 5004);
                SayCallSign(p + 6000, 1);
            }
            SayCallSign(d + 4500, 1);
            Word(d + 1002);
            Word(d + 4586);
            Word(d + 4578);
            Spell("1200", kControllerWords, d);
            GoodDay(d);
            break;
        case 524:
            SaySquawk(g, 504, 505);
            break;
        case 529:
            SayCallSign(t + 4500, 0);
            Word(t + 2021);
            Runway(a.lndRwy, kControllerWords, t);
            EndTransmission();
            if (!listen) break;
            Word(p + 5040);
            Word(p + 6043);
            Runway(a.lndRwy, kPilotWords, p);
            SayCallSign(p + 6000, 0);
            EndTransmission();
            break;
        case 532:
        case 533:
            SayCallSign(t + 4500, 0);
            Word(t + (id == 532 ? 2022 : 2023));
            EndTransmission();
            if (!listen) break;
            Word(id == 532 ? p + 5042 : p + 6080);
            SayCallSign(p + 6000, 0);
            EndTransmission();
            break;
        case 537: {
            const std::string dest = Destination();
            planning::FlightPlan* plan537 = AtcSpeechPlan();
            const int altitude = plan537 != nullptr ? plan537->cruiseAltitude : 0;
            if (a.repMsg == 0) {
                if (FrequencySet(a.clearFreq)) {
                    Word(p + 5001);
                    AtcPresetComFrequency(FrequencySet(a.groundFreq) ? a.groundFreq : a.towerFreq);
                } else {
                    Word(p + (FrequencySet(a.groundFreq) ? 5002 : 5003));
                }
                SayCallSign(p + 6000, 1);
                if (FrequencySet(a.atisFreq)) {
                    Word(p + 5008);
                    QueueCharWord(p + 6000, static_cast<char>(a.atisLetter));
                }
                Word(p + 5043);
                Spell(dest, kPilotWords, p);
                Word(kClickClip);
            }
            SayCallSign(c + 4500, 1);
            Word(c + 1515);
            Spell(dest, kControllerWords, c);
            Word(c + 1516);
            if (plan537 != nullptr)
                for (int n = 1; n < std::min(plan537->nodeCount, planning::kMaxPlanNodes) - 1; ++n) {
                    Spell(NodeIdent(n), kControllerWords, c);
                    Word(kClickClip);
                }
            Word(c + 1517);
            Spell(dest, kControllerWords, c);
            Word(c + 4582);
            Word(c + 4584);
            Number(altitude, 4500 + c);
            Word(c + 1519);
            Number(AtcCapAltitude(altitude), 4500 + c);
            Word(c + 1518);
            Word(c + 1521);
            std::string freq = FrequencySet(a.departFreq) ? a.departFreq : a.towerFreq;
            if (!freq.empty() && freq.back() == '0') freq.pop_back();
            Spell(freq, kControllerWords, c);
            Word(c + 4578);
            Spell(a.squawk, kControllerWords, c);
            EndTransmission();
            if (!listen) break;
            Word(p + 6082);
            Word(p + 6084);
            Number(AtcCapAltitude(altitude), 6000 + p);
            Word(p + 5035);
            Spell(a.squawk, kPilotWords, p);
            SayCallSign(p + 6000, 0);
            EndTransmission();
            break;
        }
        default:
            break;
    }
    speaking = 1;
}

void AtcSpeech::SayArrival(int id) {
    const AtcState& a = A();
    const int p = P(), ap = a.approachNum, t = a.towerNum, g = a.groundNum;
    const bool listen = a.listen != 0;
    const bool left = a.lHand != 0;
    if (!Begin()) {
        if ((id == 502) || (id == 517 && FrequencySet(a.groundFreq)))
            AtcPresetComFrequency(id == 502 ? a.towerFreq : a.groundFreq);
        speaking = 1;
        return;
    }
    auto readback = [&](int phrase) {
        if (!listen) return;
        Word(p + phrase);
        Runway(a.lndRwy, kPilotWords, p);
        SayCallSign(p + 6000, 0);
        EndTransmission();
    };
    switch (id) {
        case 499:
            EndTransmission();
            break;
        case 502:
            HandOff(ap, 1512, a.towerFreq);
            AtcPresetComFrequency(a.towerFreq);
            if (!listen) break;
            HandOffReadback(5003, a.towerFreq);
            break;
        case 503:
            Word(p + 5003);
            SayCallSign(p + 6000, 1);
            EndTransmission();
            SayCallSign(t + 4500, 1);
            Word(t + 2010);
            EndTransmission();
            break;
        case 511:
        case 540:
            SayCallSign(t + 4500, 0);
            Word(t + (left ? 2011 : 2008));
            Word(t + (id == 511 ? 2026 : 2024));
            Runway(a.lndRwy, kControllerWords, t);
            EndTransmission();
            readback(left ? 5019 : 5022);
            break;
        case 512:
            SayCallSign(t + 4500, 0);
            Word(t + (AtcSpeechIfrPlan() ? 2025 : 2012));
            Runway(a.lndRwy, kControllerWords, t);
            EndTransmission();
            readback(5020);
            break;
        case 517:
            SayCallSign(t + 4500, 0);
            Word(t + 2013);
            if (FrequencySet(a.groundFreq)) {
                Word(t + 2014);
                Frequency(a.groundFreq, 4500 + t);
                AtcPresetComFrequency(a.groundFreq);
            }
            Word(t + 4554);
            EndTransmission();
            if (!listen || !FrequencySet(a.groundFreq)) break;
            HandOffReadback(5002, a.groundFreq);
            break;
        case 518:
            Word(p + 5002);
            SayCallSign(p + 6000, 1);
            EndTransmission();
            SayCallSign(g + 4500, 0);
            Word(g + 503);
            Word(g + 4554);
            EndTransmission();
            if (!listen) break;
            Word(p + 5023);
            Word(p + 6054);
            break;
        case 519:
            SayCallSign(t + 4500, 0);
            Word(t + (left ? 2015 : 2019));
            Runway(a.lndRwy, kControllerWords, t);
            EndTransmission();
            readback(left ? 5018 : 5021);
            break;
        case 520:
        case 521:
            SayCallSign(ap + 4500, 0);
            Word(ap + (id == 521 ? 1511 : (left ? 1510 : 1502)));
            Runway(a.lndRwy, kControllerWords, ap);
            EndTransmission();
            readback(id == 521 ? 5025 : (left ? 5024 : 5033));
            break;
        case 522:
            SayCallSign(t + 4500, 0);
            Word(t + (left ? 2016 : 2009));
            Runway(a.lndRwy, kControllerWords, t);
            Word(t + 2017);
            EndTransmission();
            readback(left ? 5026 : 5034);
            break;
        case 523: {
            Word(kClickClip);
            Word(kClickClip);
            if (a.repMsg == 0) {
                Word(p + (FrequencySet(a.approachFreq) ? 5005 : 5003));
                SayCallSign(p + 6000, 1);
                Word(p + 5012);
                if (FrequencySet(a.atisFreq)) {
                    Word(p + 6081);
                    QueueCharWord(p + 6000, static_cast<char>(a.atisLetter));
                }
                EndTransmission();
            }
            if (AtcSpeechPlan() != nullptr) {
                SayCallSign(ap + 4500, 1);
                Word(ap + 4585);
                Spell(Destination(), kControllerWords, ap);
                Word(ap + 4586);
                Word(ap + 4554);
                EndTransmission();
                SayCallSign(p + 6000, 0);
                Word(p + 6054);
                EndTransmission();
            }
            SayCallSign(ap + 4500, 1);
            Word(ap + (AtcSpeechIfrPlan() ? 1508 : 1507));
            Runway(a.lndRwy, kControllerWords, ap);
            Word(ap + 4578);
            Spell(a.squawk, kControllerWords, ap);
            EndTransmission();
            if (!listen) break;
            Word(p + 5027);
            Runway(a.lndRwy, kPilotWords, p);
            Word(p + 5035);
            Spell(a.squawk, kPilotWords, p);
            SayCallSign(p + 6000, 0);
            EndTransmission();
            break;
        }
        case 525:
            SaySquawk(ap, 1503, 1504);
            break;
        case 527:
        case 528:
            Word(p + 5003);
            SayCallSign(p + 6000, 0);
            Word(p + (id == 527 ? 5037 : 5038));
            EndTransmission();
            Word(t + 4580);
            SayCallSign(t + 4500, 0);
            Word(t + 2020);
            EndTransmission();
            if (id == 528 && listen) Word(p + 5039);
            break;
        default:
            SayCallSign(p + 6000, 0);
            EndTransmission();
            break;
    }
    speaking = 1;
}

void AtcSpeech::SayEnRoute(int id) {
    const AtcState& a = A();
    const int p = P(), d = a.departNum, n = a.centerNum;
    const int f = a.fac == kFacDeparture ? d : n;
    const bool listen = a.listen != 0;
    if (!Begin()) {
        if (id == 534) AtcPresetComFrequency(a.centerFreq);
        speaking = 1;
        return;
    }
    switch (id) {
        case 534:
            if (a.repMsg == 0) {
                Word(p + 5004);
                SayCallSign(p + 6000, 1);
            }
            SayCallSign(d + 4500, 1);
            Word(d + 1001);
            Word(d + 4585);
            Spell(NodeIdent(a.curNode), kControllerWords, d);
            SayCallSign(p + 6000, 0);
            EndTransmission();
            AtcPresetComFrequency(a.centerFreq);
            break;
        case 535:
            SayCallSign(f + 4500, 0);
            Word(f + 4585);
            Spell(NodeIdent(a.curNode), kControllerWords, f);
            EndTransmission();
            break;
        case 536: {
            SayCallSign(f + 4500, 0);
            if (FrequencySet(a.approachFreq)) {
                Word(f + 4585);
                Spell(Destination(), kControllerWords, f);
                Word(f + 4586);
                Word(f + 4554);
                EndTransmission();
                SayCallSign(p + 6000, 0);
                Word(p + 6054);
                EndTransmission();
            }
            const std::string next = FrequencySet(a.approachFreq) ? a.approachFreq : a.towerFreq;
            Word(f + 3001);
            Word(f + 3002);
            Frequency(next, 4500 + f);
            Word(f + 4554);
            EndTransmission();
            if (!listen) break;
            Word(p + 5011);
            Word(p + (FrequencySet(a.approachFreq) ? 5005 : 5003));
            EndTransmission();
            break;
        }
        case 538:
            HandOff(d, 1006, a.centerFreq);
            if (!listen) break;
            HandOffReadback(5006, a.centerFreq);
            break;
        case 539:
            Word(p + 5006);
            SayCallSign(p + 6000, 1);
            EndTransmission();
            SayCallSign(n + 4500, 1);
            Word(n + 4585);
            Spell(NodeIdent(a.curNode), kControllerWords, n);
            EndTransmission();
            if (!listen) break;
            SayCallSign(p + 6000, 0);
            EndTransmission();
            break;
        default:
            break;
    }
    speaking = 1;
}

namespace {

int FacilityVoice() {
    const AtcState& a = A();
    switch (a.fac) {
        case kFacGround:
            return a.groundNum;
        case kFacDeparture:
            return a.departNum;
        case kFacCenter:
            return a.centerNum;
        case kFacApproach:
            return a.approachNum;
        default:
            return a.towerNum;
    }
}

}  // namespace

void AtcSpeech::SayVector(int id) {
    const AtcState& a = A();
    const FlightEvaluation& e = theFlightEvaluation;
    const int p = P(), f = FacilityVoice();
    // What the controller asks for, in the trace as every message is.
    win::TraceLine(id == 530 || id == 531
                       ? "atc: altitude " + std::to_string(id) + " " + std::to_string(e.spPropAlt)
                       : "atc: vector " + std::to_string(id) + " heading " + e.spPropHead);
    if (!Begin()) {
        speaking = 1;
        return;
    }
    planning::FlightPlan* plan = AtcSpeechPlan();
    const bool copilotFirst = CopilotOn() && theCopilotSettings.advice != 0 && plan != nullptr &&
                              plan->ifr == 0 && plan->nodeCount - a.curNode != 2;
    if (id == 515 || id == 516 || id == 526) {
        if (copilotFirst) {
            Word(id == 515 ? 5338 : (id == 516 ? 5343 : 5342));
            Word(id == 515 ? 6276 : (id == 516 ? 6277 : 6279));
            Spell(e.spPropHead, kPilotWords, 200);
        }
        SayCallSign(f + 4500, 0);
        Word(f + (id == 515 ? 4576 : (id == 516 ? 4577 : 4579)));
        Spell(e.spPropHead, kControllerWords, f);
        Word(kClickClip);
        if (a.listen != 0) {
            Word(p + (id == 515 ? 6076 : (id == 516 ? 6077 : 6079)));
            Spell(e.spPropHead, kPilotWords, p);
        }
    } else if (id == 530 || id == 531) {
        SayCallSign(f + 4500, 0);
        Word(f + (id == 530 ? 4582 : 4583));
        Word(f + 4584);
        Number(e.spPropAlt, 4500 + f);
        Word(kClickClip);
        if (a.listen != 0) {
            Word(p + (id == 530 ? 6082 : 6083));
            Word(p + 6084);
            Number(e.spPropAlt, 6000 + p);
            SayCallSign(p + 6000, 0);
            Word(kClickClip);
        }
    }
    speaking = 1;
}

void AtcSpeech::SayAdvisory(int id) {
    FlightEvaluation& e = theFlightEvaluation;
    const std::int32_t now = static_cast<std::int32_t>(theAtcHost.now());
    e.lastCallout = static_cast<std::int16_t>(id);
    // The effects come first: they hold whether or not sound is on.
    switch (id) {
        case 709:
            theCopilotSettings.taxiAdviceGiven = 1;
            break;
        case 710:
            theCopilotSettings.lineUpAdviceGiven = 1;
            break;
        case 712:
            theCopilotSettings.baseAdviceGiven = 1;
            break;
        default:
            break;
    }
    const bool open = Begin();
    auto w = [&](int clip) {
        if (open) Word(clip);
    };
    const flight::FlightModelState& f = flight::theFlightModelState;
    if (id >= 700 && id <= 708) {
        w(5300 + (id - 700) % 3);
        w(id <= 702 ? 5303 : (id <= 705 ? 5304 : 5305));
        if (id == 702 && open) {
            w(5307);
            Spell(e.spPropHead, kPilotWords, 200);
        } else if (id == 705 && open) {
            w(5307);
            Number(e.spPropAlt, 6200);
        } else if (id == 708 && open) {
            w(5307);
            Spell(std::to_string(e.spPropAS), kPilotWords, 200);
            w(5306);
        }
        w(kClickClip);
    } else if (id == 709 || id == 710) {
        w(id == 709 ? 5308 : 5309);
        w(kClickClip);
    } else if (id == 711) {
        if (f.fmLBrake != 0 || f.fmRBrake != 0) {
            w(5329);
            w(5331);
            w(kClickClip);
        }
        if (f.fmThrot < 30000) w(5310);
        w(5336);
        w(kClickClip);
    } else if (id == 712) {
        w(kClickClip);
        w(5311);
        w(kClickClip);
        e.spPropAS = 70;
        e.spAirWait = 30000;
        e.spAirTick = now;
    } else if (id == 713) {
        w(kClickClip);
        if (cockpit::theFlapsLever.lever == 0) w(5328);
        w(5312);
        w(kClickClip);
        e.spPropAS = 65;
        e.spAirWait = 25000;
        e.spAirTick = now;
    } else if (id == 714) {
        w(5333);
        w(f.fmThrot >= 15000 || static_cast<std::int16_t>(f.fmPitch) >= 1500 ? 5335 : 5339);
        w(kClickClip);
        if (e.spPropAS == 0) {
            if (theAtcState.spSeq == kSeqDeparture) {
                for (int c : {5302, 5305, 5307, 5334, 5306})
                    w(c);
                e.spPropAS = 75;
            } else if (e.spPos == 9) {
                w(5312);
                e.spPropAS = 65;
            }
            w(kClickClip);
        }
        e.spGenWait = e.spAirWait = 15000;
        e.spGenTick = e.spAirTick = now;
    } else if (id == 715) {
        w(5301);
        w(5337);
        w(kClickClip);
        e.spGenWait = 15000;
        e.spGenTick = now;
    }
    speaking = 1;
}

void AtcSpeech::SayCallout(int id, int wait) {
    FlightEvaluation& e = theFlightEvaluation;
    if (!CopilotOn() || !AtcTimerRunOut(e.spGenTick, e.spGenWait)) return;
    if (Begin()) {
        Word(5300 + id);
        Word(kClickClip);
    }
    e.spGenWait = wait;
    e.spGenTick = static_cast<std::int32_t>(theAtcHost.now());
    e.lastCallout = static_cast<std::int16_t>(id);
    speaking = 1;
}

void AtcSpeech::SayTrafficCall(int aircraft) {
    const AtcState& a = A();
    if (a.listenVP == 0 || !Begin()) return;
    int voice = 0, model = 0;
    const int call = AtcTrafficCall(aircraft, &voice, &model);
    const int v = 100 * voice, t = a.towerNum;
    const bool left = a.lHand != 0;
    auto tower = [&](std::initializer_list<int> phrases, bool runway) {
        Word(t + 4050 + model);
        for (int ph : phrases)
            Word(t + ph);
        if (runway) Runway(a.toRwy, kControllerWords, t);
    };
    auto traffic = [&] {
        Word(9000 + v + model);
        EndTransmission();
    };
    switch (call) {
        case 7:
            Word(9050 + v);
            Word(9000 + v + model);
            Word(9051 + v);
            EndTransmission();
            tower({2018}, false);
            EndTransmission();
            break;
        case 10:
            tower({left ? 2015 : 2019}, true);
            EndTransmission();
            traffic();
            break;
        case 11:
            tower({left ? 2016 : 2009}, true);
            Word(t + 2017);
            EndTransmission();
            traffic();
            break;
        case 12:
            tower({left ? 2011 : 2008, 2026}, true);
            EndTransmission();
            traffic();
            break;
        case 13:
            tower({2021}, true);
            EndTransmission();
            traffic();
            break;
        case 16:
            tower({2020}, false);
            EndTransmission();
            traffic();
            break;
        default:
            break;
    }
    speaking = 1;
}

// ---- voices, presets and the radios -----------------------------------------------------------

void AtcPickVoices() {
    AtcState& a = theAtcState;
    const int r = core::rand() / 10922;
    struct Voices {
        std::int16_t ground, tower, depart, approach, center, clear, atis;
    };
    static constexpr Voices kTable[] = {{300, 0, 100, 200, 300, 200, 100},
                                        {200, 100, 0, 200, 300, 300, 200},
                                        {200, 300, 100, 100, 0, 0, 200}};
    const Voices& v = kTable[std::min(r, 2)];
    a.groundNum = v.ground;
    a.towerNum = v.tower;
    a.departNum = v.depart;
    a.approachNum = v.approach;
    a.centerNum = v.center;
    a.clearNum = v.clear;
    theAtisSpeech.voiceOffset = v.atis;
}

void AtcPresetComFrequency(const std::string& text) {
    if (theAtcState.atcAutoFreq == 0 || !FrequencySet(text) || text.size() < 6) return;
    cockpit::theCom1Radio.standbyMHz = static_cast<std::uint16_t>(std::atoi(text.substr(1, 2).c_str()));
    cockpit::theCom1Radio.standbyKHz = static_cast<std::uint16_t>(std::atoi(text.substr(4, 2).c_str()));
    cockpit::theCom1Radio.dirty = 1;
}

namespace {

bool RadiosPowered() {
    return cockpit::BatteryPowerWord() != 0 && cockpit::AvionicsSwitchWord() != 0;
}

// COM1 selected and its standby frequency swapped into use, as the pilot's keys do.
void SwapCom1() {
    cockpit::Comm1();
    cockpit::CommFlipStandby();
}

std::string ComText(const cockpit::PanelGauge& radio, bool heard) {
    if (!heard || !RadiosPowered()) return "000.00";
    char text[16];
    std::snprintf(text, sizeof text, "%03u.%02u", (100u + radio.activeMHz) % 1000u,
                  radio.activeKHz % 100u);
    return text;
}

}  // namespace

void AtcCopilotTuneRadio() {
    if (!CopilotOn() || devices::theSoundOffByUser != 0 || !RadiosPowered() ||
        theAtcSpeech.speaking != 0 || cockpit::theAudioPanelButtons.audioMixCom1 == 0)
        return;
    SwapCom1();
    theFlightEvaluation.spWait = 3000;
    theFlightEvaluation.spTick = static_cast<std::int32_t>(theAtcHost.now());
}

void AtcSelectAndSwapCom1() {
    SwapCom1();
}

void AtcSpeech::OnComFrequencyChanged(int) {
    ++comChanges;
    AtcState& a = theAtcState;
    const int before[] = {a.clearTuned, a.groundTuned, a.towerTuned,
                          a.departTuned, a.approachTuned, a.centerTuned};
    const std::string com1 = ComText(cockpit::theCom1Radio, cockpit::theAudioPanelButtons.audioMixCom1 != 0);
    const std::string com2 = ComText(cockpit::theCom2Radio, cockpit::theAudioPanelButtons.audioMixCom2 != 0);
    AtisSpeech& atis = theAtisSpeech;
    const bool automatedHeard = atis.HearsAutomatedStation(com1, com2);
    if (!automatedHeard && atis.automated != 0) {
        atis.automated = 0;
        atis.automatedFreq.clear();
        atis.atisAirport.clear();
    }
    if (theAtcHost.flightPlan() == nullptr && a.atcOn == 0 && !AtcSessionStarting()) {
        for (const std::string& text : {com1, com2}) {
            // The automated station already heard goes on from where it is.
            if (text == "000.00" || (automatedHeard && text == atis.automatedFreq)) continue;
            if (atis.FindAtisAirport(text) != 0) {
                // A field without a tower: its automated station is heard, and no controller.
                if (atis.automated != 0) {
                    atis.automatedFreq = text;
                    break;
                }
                a.atisFreq = text;
            } else if (atis.FindControlledAirport(text) == 0) {
                continue;
            }
            if (!atis.atisAirport.empty()) AtcStartSession(1);
            break;
        }
    }
    // A service is heard on the channel the session named or on any other its airport lists.
    const std::string airport = AtcAirportIdent();
    auto tuned = [&](const std::string& f, std::optional<ComService> service = std::nullopt) {
        if (!FrequencySet(f)) return 0;
        for (const std::string& text : {com1, com2})
            if (text == f || (service && AirportHeardOn(airport, *service, text))) return 1;
        return 0;
    };
    atis.atisTuned = tuned(a.atisFreq, ComService::Atis) != 0 || atis.HearsAutomatedStation(com1, com2) ? 1 : 0;
    a.clearTuned = tuned(a.clearFreq, ComService::Clearance);
    a.towerTuned = tuned(a.towerFreq, ComService::Tower);
    a.groundTuned = tuned(a.groundFreq, ComService::Ground) != 0 ||
                            (!FrequencySet(a.groundFreq) && a.towerTuned != 0)
                        ? 1
                        : 0;
    a.departTuned = tuned(a.departFreq, ComService::Departure);
    a.approachTuned = tuned(a.approachFreq, ComService::Approach);
    a.centerTuned = tuned(a.centerFreq);
    const int after[] = {a.clearTuned, a.groundTuned, a.towerTuned,
                         a.departTuned, a.approachTuned, a.centerTuned};
    for (int i = 0; i < 6; ++i)
        if (before[i] != 0 && after[i] == 0) {
            Flush();
            break;
        }
}

}  // namespace nav
