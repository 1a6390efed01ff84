// The dialogue sequences the once-a-second step runs: the towered and the non-towered departure,
// the arrival through the gates and the pattern, and the en-route legs of a flight plan, with
// what they share (closed traffic, touch-and-go, the hand-off to the tower, the next plan node,
// a repeated message, the altitude monitor).
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "cockpit/gauges.h"
#include "cockpit/radio_commands.h"
#include "cockpit/radio_words.h"
#include "flight/aircraft.h"
#include "flight/airspeed.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "nav/atc_traffic.h"
#include "planning/planning_services.h"

namespace nav {

namespace {

planning::FlightPlan* AtcSequencesPlan() {
    return theAtcHost.flightPlan();
}
std::int32_t Now() {
    return static_cast<std::int32_t>(theAtcHost.now());
}
bool RunOut() {
    return AtcTimerRunOut(theFlightEvaluation.spTick, theFlightEvaluation.spWait);
}
void Hold5() {
    theFlightEvaluation.spWait = 5000;
    theFlightEvaluation.spTick = Now();
}
bool Busy(int place) {
    return AtcPlaceBusy(place);
}
void Tune() {
    AtcCopilotTuneRadio();
}
bool RadioHelp() {
    return CopilotRadioHelp();
}
bool OnGround() {
    return flight::theFlightModelState.fmOTG != 0;
}
// Height above the ground in the flight model's units (78 a foot).
std::int32_t Height() {
    return flight::theFlightModelState.fmPosY;
}
bool SmallSkyhawkWithCopilot() {
    return IsSkyhawk(AtcAircraftType()) && CopilotOn();
}
bool Advice() {
    return CopilotOn() && theCopilotSettings.advice != 0;
}
std::int32_t ClimbRate() {
    return flight::theFlightModelState.fmVVel;
}

void ClimbOutAdvice() {
    FlightEvaluation& e = theFlightEvaluation;
    if (Height() > 3900 && AtcKnots() < 60 && (e.spEval & kEvalSlowClimbOut) == 0) {
        e.spEval |= kEvalSlowClimbOut;
        if (Advice()) theAtcSpeech.SayAdvisory(714);
    }
    if (Height() > 7800 && ClimbRate() < 0 && (e.spEval & kEvalSinkAfterTakeoff) == 0) {
        e.spEval |= kEvalSinkAfterTakeoff;
        if (Advice()) theAtcSpeech.SayAdvisory(715);
    }
}

void TakeoffRollAdvice() {
    FlightEvaluation& e = theFlightEvaluation;
    if (AtcKnots() < 5 && Now() - e.spTick > 15000 && (e.spEval & kEvalNotRolling) == 0) {
        e.spEval |= kEvalNotRolling;
        if (Advice()) theAtcSpeech.SayAdvisory(711);
    }
}

void FlapsAdvice() {
    FlightEvaluation& e = theFlightEvaluation;
    if (!CopilotOn()) return;
    // The flaps as they stand (the lever's drawing follows them).
    if (flight::theFlightModelState.fmFlaps != 0 && AtcKnots() > 90 &&
        (e.spEval & kEvalFlapsFast) == 0) {
        e.spEval |= kEvalFlapsFast;
        theAtcSpeech.SayCallout(41, 10000);
    }
}

void PatternAdvice() {
    FlightEvaluation& e = theFlightEvaluation;
    if (!CopilotOn()) return;
    const int rpm = flight::theFlightModelState.fmEngineSpeed[0];
    if (cockpit::theCarbHeatKnob.lever <= 0 && rpm < 1900 && rpm > 0 &&
        (e.spEval & kEvalCarbHeat) == 0) {
        e.spEval |= kEvalCarbHeat;
        theAtcSpeech.SayCallout(40, 5000);
    }
}

void StartSequence(bool departure) {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    if (theAtisSpeech.atisTuned == 0 && RadioHelp()) Tune();
    if (theAtisSpeech.atcContact == 0) return;
    e.spActive = 1;
    e.spPos = 0;
    e.spCom = 500;
    e.spTick = Now();
    if (departure) {
        // Time to hear the broadcast out; without one the pilot calls at once.
        e.spWait = FrequencySet(a.atisFreq) ? 40000 : 5000;
        if (AtcSequencesPlan() != nullptr && FrequencySet(a.clearFreq))
            AtcPresetComFrequency(a.clearFreq);
        else if (FrequencySet(a.groundFreq))
            AtcPresetComFrequency(a.groundFreq);
        else
            AtcPresetComFrequency(a.towerFreq);
    } else {
        e.spWait = FrequencySet(a.atisFreq) ? 40000 : 20000;
        AtcPresetComFrequency(FrequencySet(a.approachFreq) ? a.approachFreq : a.towerFreq);
    }
}

// The transponder selected and toggled to the VFR code, as the pilot's keys do.
void TransponderToVfr() {
    cockpit::Transponder();
    cockpit::ToggleVFR();
}

void Departure0() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    const bool plan = AtcSequencesPlan() != nullptr;
    if (!RunOut()) return;
    if (plan && a.clearTuned != 0 && e.spCom == 500) {
        AtcIssue(0, 537, 40000);
        return;
    }
    if (plan && a.clearTuned == 0 && e.spCom == 500 && RadioHelp()) {
        Tune();
        return;
    }
    if (a.groundTuned == 0) {
        if (a.towerTuned != 0 && e.spCom == 500 && !plan) {
            AtcIssue(0, 541, 10000);
            return;
        }
        if (RadioHelp() && (!plan || e.spCom == 537))
            Tune();
        else
            Hold5();
        return;
    }
    if (e.spCom == 500 || e.spCom == 537 || e.spCom == 541) {
        AtcIssue(0, 501, 20000);
    } else if (e.spCom == 501) {
        if (AtcIsSquawkSet() == 0 && RadioHelp()) AtcCopilotSetTransponder();
        if (AtcReachedTarget() == 0) {
            if (a.autoTaxi != 0) AtcTaxiToHoldShort();
            if (Advice() && theCopilotSettings.taxiAdviceGiven == 0) theAtcSpeech.SayAdvisory(709);
            Hold5();
            return;
        }
        if (AtcIsSquawkSet() != 0)
            AtcIssue(1, 502, 10000);
        else
            AtcIssue(0, 524, 30000);
    } else if (e.spCom == 524 && AtcIsSquawkSet() != 0) {
        AtcIssue(1, 502, 10000);
    }
}

// A departure is cleared only when the traffic on base or final is at least this long (seconds)
// from touching down: it has rolled and lifted off by the time the traffic lands behind it. A
// tower gives the clearance with landing traffic two miles out, not nearer.
constexpr double kLandingSeparation = 60;

// Whether a departure may roll now: no traffic on the runway nor within a minute of landing.
bool RunwayFreeForDeparture() {
    return !AtcTrafficHolds(3) && !AtcTrafficLandsWithin(kLandingSeparation);
}

// The tower's word to an aircraft already on the runway: it is never held short of it, but lined
// up to wait for its clearance when traffic is landing.
void LineUpOnRunway() {
    AtcIssue(2, 505, RunwayFreeForDeparture() ? 10000 : 15000);
}

void Departure1() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    if (!RunOut()) return;
    if (a.towerTuned == 0 && RadioHelp()) {
        Tune();
        return;
    }
    if (AtcReachedTarget() == 0 || a.towerTuned == 0) {
        Hold5();
        return;
    }
    if (e.spCom == 502) {
        AtcIssue(1, 503, 5000);
        a.fac = kFacTower;
    } else if (AtcUserOnRunway() && (e.spCom == 503 || e.spCom == 532 || e.spCom == 506)) {
        LineUpOnRunway();
    } else if (e.spCom == 503 || e.spCom == 532) {
        if (Busy(8) || Busy(9) || Busy(3))
            AtcIssue(1, 506, 15000);
        else
            AtcIssue(2, 505, 10000);
    } else if (e.spCom == 506) {
        if (!Busy(8) && !Busy(9) && !Busy(3))
            AtcIssue(2, 505, 10000);
        else
            Hold5();
    }
}

void Departure2() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    if (!RunOut()) return;
    // Called on ground's frequency from the runway: ground sends the aircraft to the tower.
    if (e.spCom == 505 && a.towerTuned == 0 && a.groundTuned != 0 && FrequencySet(a.groundFreq)) {
        AtcIssue(2, 502, 5000);
        return;
    }
    if (Busy(3) || a.towerTuned == 0) {
        Hold5();
        return;
    }
    if (a.autoTaxi != 0) AtcTaxiToRunway();
    // An aircraft already on its runway waits for nothing: the tower clears it at once, where one
    // still taxiing is given up to 30 s to reach the runway.
    if (!AtcUserOnRunway() && AtcReachedTarget() == 0 && Now() - e.spTick < 30000) {
        if (Advice() && theCopilotSettings.lineUpAdviceGiven == 0) theAtcSpeech.SayAdvisory(710);
        return;
    }
    const bool onRunway = AtcUserOnRunway();
    if (onRunway ? !RunwayFreeForDeparture() : Busy(9)) {
        // On the runway the aircraft waits there, told once why; short of it, it holds.
        if (!onRunway)
            AtcIssue(1, 532, 5000);
        else if (e.spPCom != 505)
            AtcIssue(2, 505, 15000);
        else
            Hold5();
        return;
    }
    if (theCopilotSettings.takeoff != 0) theCopilotSettings.ResetCallouts();
    AtcIssue(3, 507, 5000);
    if (AtcSequencesPlan() != nullptr) AtcSequencesPlan()->MarkDeparture();
}

// The tower asks a departure that has not begun its roll to expedite once traffic on base is
// within 3,000 map units (some 0.6 nm) of turning final, wherever it was when the take-off was
// cleared.
constexpr double kBaseCallDistance = 3000;

void Departure3() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    if (theCopilotSettings.takeoff != 0) theCopilotSettings.TickCallouts();
    if (!RunOut() || a.towerTuned == 0) return;
    if (!OnGround()) {
        if (SmallSkyhawkWithCopilot()) ClimbOutAdvice();
        if (AtcReachedTarget() != 0) {
            if (a.reqClosed == 0)
                AtcIssue(4, 508, 10000);
            else
                AtcJoinPattern();
        }
        return;
    }
    // Cleared and still short of the runway with traffic on final: it holds there. Cleared on
    // the runway it keeps its clearance; traffic goes around an aircraft that has not rolled.
    if (Busy(9) && flight::IndicatedAirspeedKnots() == 0.0 && !AtcUserOnRunway())
        AtcIssue(1, 532, 15000);
    else if (e.spCom != 533 && AtcKnots() < 30 && AtcTrafficNearing(8, kBaseCallDistance))
        AtcIssue(3, 533, 10000);
    else if (SmallSkyhawkWithCopilot())
        TakeoffRollAdvice();
}

// On the plan's first leg with the centre, which takes the aircraft without a word until it
// is called.
void HandToCenter() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    AtcNextPlanNode();
    e.spPropHead.clear();
    a.spSeq = kSeqEnRoute;
    e.spCom = 538;
    e.spPos = 3;
    a.fac = kFacCenter;
    AtcPresetComFrequency(a.centerFreq);
}

void Departure4() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    if (!RunOut()) return;
    if (!FrequencySet(a.departFreq)) {
        // The tower approved the frequency change and no departure controller speaks on its
        // frequency: with a plan the centre comes next, without one the dialogue ends as after
        // departure's goodbye.
        if (AtcSequencesPlan() != nullptr) {
            HandToCenter();
        } else {
            e.spPos = 6;
            e.spWait = 30000;
            e.spTick = Now();
        }
        return;
    }
    if (a.departTuned == 0) {
        if (RadioHelp()) Tune();
        return;
    }
    a.fac = kFacDeparture;
    if (AtcSequencesPlan() == nullptr) {
        AtcIssue(6, 509, 30000);
    } else {
        a.spSeq = kSeqEnRoute;
        AtcNextPlanNode();
        AtcIssue(20, 534, 15000);
        theFlightEvaluation.spPropHead.clear();
    }
}

void Departure6() {
    if (!RunOut()) return;
    if (RadioHelp()) TransponderToVfr();
    AtcReset();
}

// A gate of the ring: on to the next gate once it is reached; into the pattern at
// `enterState` once the tower has the aircraft and the pattern's entry is free.
void GateStep(int state, int next, int enterState, int enterMessage, int freeA, int freeB) {
    if (AtcReachedTarget() != 0) AtcIssue(next, 499, 10000);
    if (AtcWaitForHandoff(state) != 0 && !Busy(freeA) && !Busy(freeB)) {
        AtcIssue(enterState, enterMessage, 10000);
        AtcProposeAltitude();
    }
}

}  // namespace

void AtcJoinPattern() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    a.spSeq = kSeqArrival;
    a.atcCan = a.repMsg = a.missed = 0;
    theAtisSpeech.atcContact = 1;
    e.spActive = 1;
    AtcIssue(4, 528, 10000);
    e.spPropAlt = static_cast<std::int16_t>(a.patAlt);
    e.spTHand = e.spTCon = 1;
    a.reqClosed = 0;
}

void AtcTouchAndGo() {
    AtcState& a = theAtcState;
    a.spSeq = kSeqDeparture;
    a.atcCan = a.repMsg = a.missed = a.reqClosed = 0;
    theAtisSpeech.atcContact = 1;
    theFlightEvaluation.spActive = 1;
    AtcIssue(3, 529, 10000);
    a.tandgo = 0;
}

void AtcRepeatMessage() {
    AtcState& a = theAtcState;
    const int id = theFlightEvaluation.spPCom;
    if (id == 515 || id == 516 || id == 526)
        AtcRevector();
    else if (id == 530 || id == 531)
        theAtcSpeech.SayVector(id);
    else if (a.spSeq == kSeqDeparture)
        theAtcSpeech.SayDeparture(id);
    else if (a.spSeq == kSeqArrival)
        theAtcSpeech.SayArrival(id);
    a.repMsg = 0;
}

void AtcDepartureStep() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    if (e.spActive == 0) {
        StartSequence(true);
        return;
    }
    if (a.repMsg != 0) AtcRepeatMessage();
    switch (e.spPos) {
        case 0:
            Departure0();
            break;
        case 1:
            Departure1();
            break;
        case 2:
            Departure2();
            break;
        case 3:
            Departure3();
            break;
        case 4:
            Departure4();
            break;
        case 6:
            Departure6();
            break;
        default:
            break;
    }
}

void AtcNonToweredDepartureStep() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    if (e.spPos == 2 || e.spActive == 0) {
        e.spWait = 10000;
        e.spTick = Now();
        e.spActive = 1;
        e.spPos = 3;
        e.spCom = 499;
        if (theCopilotSettings.takeoff != 0) theCopilotSettings.ResetCallouts();
        return;
    }
    if (e.spPos != 3) return;
    if (theCopilotSettings.takeoff != 0) theCopilotSettings.TickCallouts();
    if (!RunOut()) return;
    if (OnGround()) {
        a.groundLatch = 1;
        if (SmallSkyhawkWithCopilot()) TakeoffRollAdvice();
        return;
    }
    if (a.groundLatch != 0) {
        if (AtcSequencesPlan() != nullptr) AtcSequencesPlan()->MarkDeparture();
        a.groundLatch = 0;
    }
    if (SmallSkyhawkWithCopilot()) ClimbOutAdvice();
    if (Height() > 78000) HandToCenter();
}

int AtcWaitForHandoff(int state) {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    if (e.spTHand == 1 && e.spTCon == 1) {
        a.fac = kFacTower;
        return 1;
    }
    if (FrequencySet(a.approachFreq)) {
        if (e.spTHand == 0 && a.approachTuned != 0 && e.spD2D < 15000) {
            AtcIssue(state, 502, 15000);
            e.spTHand = 1;
        } else if (RunOut() && e.spTHand == 1) {
            if (a.towerTuned == 0 && RadioHelp())
                Tune();
            else if (a.towerTuned != 0 && e.spTCon == 0) {
                AtcIssue(state, 503, 10000);
                e.spTCon = 1;
            }
        }
    } else if (e.spD2D < 15000) {
        e.spTHand = e.spTCon = 1;
    }
    if (e.spTHand == 1 && e.spTCon == 1) {
        a.fac = kFacTower;
        return 1;
    }
    return 0;
}

void AtcArrivalStep() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    if (e.spActive == 0) {
        StartSequence(false);
        return;
    }
    if (a.repMsg != 0) AtcRepeatMessage();
    const bool tower = a.towerTuned != 0;
    const int knots = AtcKnots();
    switch (e.spPos) {
        case 0:
            if (!RunOut()) break;
            if (e.spCom == 500) {
                if (a.approachTuned != 0 || !FrequencySet(a.approachFreq)) {
                    AtcIssue(0, 523, 30000);
                    e.spTHand = e.spTCon = 0;
                    e.spActive = 1;
                } else if (RadioHelp()) {
                    Tune();
                }
            } else if (e.spCom == 523) {
                if (!FrequencySet(a.towerFreq)) {
                    AtcReset();
                } else {
                    if (AtcIsSquawkSet() == 0 && RadioHelp()) AtcCopilotSetTransponder();
                    if (AtcIsSquawkSet() != 0)
                        AtcIssue(AtcNearestGate(), 499, 10000);
                    else
                        AtcIssue(0, 525, 30000);
                }
            } else if (e.spCom == 525 && AtcIsSquawkSet() != 0) {
                AtcIssue(AtcNearestGate(), 499, 10000);
            }
            break;
        case 4:
            if (tower && AtcReachedTarget() != 0) AtcIssue(5, 499, 10000);
            break;
        case 5:
            if (tower && AtcReachedTarget() != 0) AtcIssue(6, 519, 10000);
            break;
        case 6:
            if (tower && AtcReachedTarget() != 0) {
                AtcIssue(7, 522, 10000);
                AtcRevector();
            }
            FlapsAdvice();
            break;
        case 7:
            if (tower && AtcReachedTarget() != 0) {
                AtcIssue(8, 511, 10000);
                e.spPropHead.clear();
            }
            PatternAdvice();
            FlapsAdvice();
            break;
        case 8:
            if (tower && AtcReachedTarget() != 0) {
                AtcIssue(9, 499, 10000);
                AtcRevector();
            } else if (Advice()) {
                if (knots > 79 && theCopilotSettings.baseAdviceGiven == 0)
                    theAtcSpeech.SayAdvisory(712);
                AtcAirspeedAdvisory();
            }
            if (knots < 60) {
                e.spEval |= kEvalSlowBase;
                if (Advice() && AtcTimerRunOut(e.spGenTick, e.spGenWait))
                    theAtcSpeech.SayAdvisory(714);
            }
            PatternAdvice();
            FlapsAdvice();
            break;
        case 9: {
            planning::FlightPlan* p = AtcSequencesPlan();
            const bool ifr = p != nullptr && p->ifr != 0;
            if (RunOut() && e.spCom == 499 && tower) {
                if (a.tandgo != 0)
                    AtcTouchAndGo();
                else
                    AtcIssue(9, 512, 5000);
            } else if (RunOut() && e.spCom == 512) {
                if (OnGround() && tower)
                    AtcIssue(10, 517, 20000);
                else if (!ifr)
                    e.spPropHead.clear();
            }
            if (Height() > 3900) {
                if (knots >= 60) {
                    if (knots > 71 && (e.spEval & kEvalFastFinal) == 0) {
                        e.spEval |= kEvalFastFinal;
                        if (Advice()) theAtcSpeech.SayAdvisory(713);
                    }
                    if (Advice() && e.spPropAS == 65) AtcAirspeedAdvisory();
                } else {
                    e.spEval |= kEvalSlowFinal;
                    if (Advice()) {
                        if (AtcTimerRunOut(e.spGenTick, e.spGenWait)) theAtcSpeech.SayAdvisory(714);
                        if (e.spPropAS == 65) AtcAirspeedAdvisory();
                    }
                }
            }
            if (tower && a.missed != 0) {
                AtcIssue(4, 527, 10000);
                a.missed = 0;
                e.spTHand = e.spTCon = 1;
            }
            break;
        }
        case 10:
            if (!RunOut()) break;
            if (a.groundTuned != 0) {
                AtcIssue(11, 518, 30000);
                a.fac = kFacGround;
            } else if (RadioHelp()) {
                Tune();
            }
            break;
        case 11:
            if (RunOut()) AtcReset();
            break;
        case 12:
            GateStep(12, 13, 7, 520, 6, 7);
            break;
        case 13:
            GateStep(13, 14, 8, 521, 7, 8);
            break;
        case 14:
            GateStep(14, 15, 8, 521, 7, 8);
            break;
        case 15:
        case 16:
        case 17:
            if (AtcReachedTarget() != 0) AtcIssue(e.spPos + 1, 499, 10000);
            break;
        case 18:
            GateStep(18, 19, 5, 499, 4, 5);
            break;
        case 19:
            GateStep(19, 12, 6, 519, 5, 6);
            break;
        default:
            break;
    }
    if ((e.spPos >= 12 && e.spPos <= 19) || (e.spPos >= 5 && e.spPos <= 7)) AtcMonitorAltitude();
}

void AtcNextPlanNode() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    planning::FlightPlan* p = AtcSequencesPlan();
    if (p == nullptr) return;
    // The current node never passes the plan's last.
    const int last = std::min(p->nodeCount, planning::kMaxPlanNodes) - 1;
    if (last < 0) return;
    if (a.curNode < last) ++a.curNode;
    a.curNode = std::clamp(a.curNode, 0, last);
    const planning::FlightPlanNode& n = p->nodes[static_cast<std::size_t>(a.curNode)];
    e.spDestX = static_cast<std::int32_t>(AtcMapX(n.x) + 0.5);
    e.spDestY = static_cast<std::int32_t>(AtcMapY(n.y) + 0.5);
    if (a.atcAutoNav != 0) {
        // The next node's station waits in the standby window; the copilot, when it navigates,
        // turns the course and swaps it into use with the panel's own commands.
        const bool copilot = theCopilotSettings.navigation != 0 && CopilotOn();
        if (n.kind == 2 || n.kind == 4) {
            cockpit::theNav1Radio.standbyMHz = static_cast<std::uint16_t>(n.frequency / 100 - 100);
            cockpit::theNav1Radio.standbyKHz = static_cast<std::uint16_t>(n.frequency % 100);
            cockpit::theNav1Radio.dirty = 1;
            if (copilot) {
                AtcCopilotSetCourse();
                cockpit::Nav1();
                cockpit::NavFlipStandby();
            }
        } else if (n.kind == 3 || n.kind == 5) {
            cockpit::PanelGauge& adf = cockpit::theAdfRadio;
            const bool tuned = adf.activeMHz == static_cast<std::uint16_t>(n.frequency / 100) &&
                               adf.activeKHz == static_cast<std::uint16_t>(n.frequency % 100);
            adf.standbyMHz = static_cast<std::uint16_t>(n.frequency / 100);
            adf.standbyKHz = static_cast<std::uint16_t>(n.frequency % 100);
            adf.dirty = 1;
            if (copilot && !(IsSkyhawk(AtcAircraftType()) && tuned)) {
                cockpit::ADF();
                cockpit::NavFlipStandby();
            }
        }
    }
    e.spVFlag = 1;
    e.spDist = 3000;
    AtcProposeAltitude();
}

void AtcEnRouteStep() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    planning::FlightPlan* p = AtcSequencesPlan();
    if (p == nullptr) return;
    if (a.repMsg != 0) AtcRepeatMessage();
    if (RunOut()) {
        if (a.fac == kFacCenter && a.centerTuned == 0 && RadioHelp()) Tune();
        if (a.departTuned != 0 && a.fac == kFacDeparture &&
            AtcWithinRange(a.pattern[0].x, a.pattern[0].y, 41000) == 0) {
            AtcIssue(20, 538, 25000);
            a.fac = kFacCenter;
        } else if (e.spCom == 538 && a.centerTuned != 0) {
            AtcIssue(20, 539, 15000);
        } else if ((a.centerTuned != 0 && a.fac == kFacCenter) ||
                   (a.departTuned != 0 && a.fac == kFacDeparture)) {
            if (AtcReachedTarget() != 0) {
                AtcNextPlanNode();
                AtcIssue(20, 535, 10000);
                e.spPropHead.clear();
            }
            const int count = std::min(p->nodeCount, planning::kMaxPlanNodes);
            const int left = count - a.curNode;
            if (count > 0 && (left == 1 || left == 2)) {
                const planning::FlightPlanNode& lastNode = p->nodes[static_cast<std::size_t>(count - 1)];
                if (AtcWithinRange(AtcMapX(lastNode.x), AtcMapY(lastNode.y), 41000) != 0) {
                    AtcSelectPlanAirport(count - 1);
                    AtcIssue(20, 536, 15000);
                    AtcStartArrival();
                    return;
                }
            }
        }
    }
    AtcMonitorAltitude();
}

void AtcMonitorAltitude() {
    FlightEvaluation& e = theFlightEvaluation;
    if (theAtcSpeech.speaking != 0) return;
    if (theCopilotSettings.altitude != 0 && AtcAltitudeAdvisory() != 0) return;
    if (e.spPropAlt == 0 || !AtcTimerRunOut(e.spAltTick, e.spAltWait)) return;
    auto difference = [] {
        return static_cast<int>(flight::GetAircraftAltitude() * 1.2890625) -
               theFlightEvaluation.spPropAlt;
    };
    if (std::abs(difference()) <= 200) return;
    AtcProposeAltitude();
    const int d = difference();
    if (std::abs(d) <= 200) return;
    const int id = d > 200 ? 531 : 530;
    theAtcSpeech.SayVector(id);
    e.spPCom = static_cast<std::int16_t>(id);
    // A climb rate of 0 or less reads as 300 feet a minute.
    const int rate = e.spROC > 0 ? e.spROC : 300;
    e.spAltWait = std::abs(d) / rate * 60 * 1000;
    e.spAltTick = Now();
}

}  // namespace nav
