#include "nav/atc_dialogs.h"

#include <string>

#include "nav/atc_services.h"
#include "planning/planning_services.h"
#include "ui/dialog_helpers.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/window.h"

namespace nav {

using namespace ui::optiondialogs;

namespace {

constexpr int kTouchAndGo = 1534, kFullStop = 1532;
constexpr int kLeftHand = 1589, kRightHand = 1577;
constexpr int kClosedTraffic = 1587, kListen = 1567, kAutoTaxi = 1588, kCopilotRadios = 1536;
constexpr int kAltitude = 1538, kAltitudeStep = 1603, kRunways = 1630, kRunwayButton = 1600;
constexpr int kMissed = 1575, kCancel = 1580, kRepeat = 1601;
constexpr int kSeeTraffic = 1536, kHearTraffic = 1567;

bool InstrumentPlan() {
    planning::FlightPlan* p = theAtcHost.flightPlan();
    return p != nullptr && p->ifr != 0;
}

void Pair(win::HWND dialog, int on, int off) {
    SetCheck(dialog, on, 1);
    SetCheck(dialog, off, 0);
}

}  // namespace

int ATCCommunicationDialog::AltitudeFloor() {
    return InstrumentPlan() ? 2000 : 2500;
}

int ATCCommunicationDialog::StepAltitude(int feet, bool typed) {
    const int floor = AltitudeFloor();
    const int r = AtcRoundVfrAltitude(typed ? feet - 1 : feet);
    return r >= 18000 || r < floor ? floor : r;
}

int ATCCommunicationDialog::OnInitDialog(win::HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    BeginOptionDialog(*this, 20021);
    const AtcState& a = theAtcState;
    a.tandgo == 1 ? Pair(dialog, kTouchAndGo, kFullStop) : Pair(dialog, kFullStop, kTouchAndGo);
    a.lHand == 1 ? Pair(dialog, kLeftHand, kRightHand) : Pair(dialog, kRightHand, kLeftHand);
    SetCheck(dialog, kClosedTraffic, a.reqClosed == 1);
    SetCheck(dialog, kListen, a.listen == 1);
    SetCheck(dialog, kAutoTaxi, a.autoTaxi == 1);
    SetCheck(dialog, kCopilotRadios, a.copilotRadios == 1);
    altitude = theFlightEvaluation.spPropAlt != 0 ? theFlightEvaluation.spPropAlt : a.ceilAlt;
    if (altitude == 0) altitude = AltitudeFloor();
    win::SetDlgItemText(dialog, kAltitude, std::to_string(altitude).c_str());
    ShowSession();
    return r;
}

void ATCCommunicationDialog::ShowSession() {
    win::EnableWindow(win::GetDlgItem(window, kAltitude), AtcCanRequestAltitude() != 0);
    win::EnableWindow(win::GetDlgItem(window, kAltitudeStep), AtcCanRequestAltitude() != 0);
    win::HWND runways = win::GetDlgItem(window, kRunways);
    win::SendMessage(runways, win::CB_RESETCONTENT, 0, 0);
    int count = 0;
    for (; count < kAtcRunwayRows; ++count) {
        const std::string name = AtcRunwayDesignator(count);
        if (name.empty()) break;
        win::SendMessage(runways, win::CB_ADDSTRING, 0, reinterpret_cast<win::LParam>(name.c_str()));
    }
    // The runway the session uses, else the first.
    const int used = theAtcState.atcOn != 0 ? theAtcState.selRwy : 0;
    win::SendMessage(runways, win::CB_SETCURSEL, used >= 0 && used < count ? used : 0, 0);
    win::EnableWindow(runways, AtcCanChangeRunway() != 0);
    win::EnableWindow(win::GetDlgItem(window, kRunwayButton), AtcCanChangeRunway() != 0);
}

void ATCCommunicationDialog::Call(AtcRequest request) {
    const bool had = theAtcState.atcOn != 0;
    AtcPostRequest(request);
    // The call began a session: its runway and altitude can now be asked for.
    if (!had && theAtcState.atcOn != 0) ShowSession();
}

void ATCCommunicationDialog::StepAltitudeField(bool typed) {
    if (AtcCanRequestAltitude() == 0) return;
    bool ok = false;
    const int typedFeet = ParseNumber(win::GetDlgItemText(window, kAltitude), &ok);
    altitude = StepAltitude(ok ? typedFeet : 0, typed);
    win::SetDlgItemText(window, kAltitude, std::to_string(altitude).c_str());
    altitudeChanged = 1;
}

void ATCCommunicationDialog::Apply() {
    AtcState& a = theAtcState;
    const int tandgo = CheckState(window, kTouchAndGo);
    const int closed = CheckState(window, kClosedTraffic);
    // A request newly made is a call, as its key makes it (it may begin the session).
    if (closed != 0 && a.reqClosed == 0) AtcPostRequest(AtcRequest::ClosedTraffic);
    if (tandgo != 0 && a.tandgo == 0) AtcPostRequest(AtcRequest::TouchAndGo);
    a.tandgo = tandgo;
    a.reqClosed = closed;
    a.lHand = CheckState(window, kLeftHand);
    a.listen = CheckState(window, kListen);
    a.autoTaxi = CheckState(window, kAutoTaxi);
    a.copilotRadios = CheckState(window, kCopilotRadios);
    if (a.copilotRadios == 0) theCopilotSettings.radios = 0;
    if (altitudeChanged != 0) AtcRequestAltitude(altitude);
    // The runway the session already uses is no change.
    const int runway = ComboSelection(window, kRunways);
    if (runwayChanged != 0 && runway >= 0 && (a.atcOn == 0 || runway != a.selRwy))
        AtcChangeRunway(runway);
}

int ATCCommunicationDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND) {
    const int id = win::LOWORD(wParam);
    switch (id) {
        case kTouchAndGo:
        case kFullStop:
            Pair(window, id, id == kTouchAndGo ? kFullStop : kTouchAndGo);
            return 1;
        case kLeftHand:
            Pair(window, kLeftHand, kRightHand);
            return 1;
        case kRightHand:
            if (CheckState(window, kRightHand) != 0) SetCheck(window, kLeftHand, 0);
            return 1;
        case kMissed:
            Call(AtcRequest::GoAround);
            return 1;
        case kCancel:
            Call(AtcRequest::Cancel);
            return 1;
        case kRepeat:
            Call(AtcRequest::Repeat);
            return 1;
        case kRunwayButton:
        case kRunways:
            runwayChanged = 1;
            return 1;
        case kAltitudeStep:
            StepAltitudeField(false);
            return 1;
        case kAltitude:
            if (notifyCode == win::EN_KILLFOCUS) StepAltitudeField(true);
            return 1;
        default:
            return EndButtons(*this, wParam, [this] { Apply(); });
    }
}

int AirTrafficDialog::OnInitDialog(win::HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    BeginOptionDialog(*this, 20022);
    SetCheck(dialog, kSeeTraffic, theAtcState.seeVP == 1);
    SetCheck(dialog, kHearTraffic, theAtcState.listenVP == 1);
    return r;
}

int AirTrafficDialog::OnCommand(unsigned, win::WParam wParam, win::HWND) {
    return EndButtons(*this, wParam, [this] {
        theAtcState.listenVP = CheckState(window, kHearTraffic);
        // While the traffic flies its shapes stay as they are.
        if (theAtcState.vPilots == 0) theAtcState.seeVP = CheckState(window, kSeeTraffic);
    });
}

}  // namespace nav
