// The two ATC dialogs of the menu: the radio communication options ("RadioComm": the pattern,
// touch-and-go, closed traffic, readbacks, automatic taxi, the copilot on the radios, an
// altitude request, a runway change and the missed-approach, cancel and repeat requests) and
// the air traffic options ("Virtual_Airspace": whether the traffic is heard and seen). Both
// write the ATC state on OK. The requests are the pilot's calls, made as their keys make them:
// one made without a session on a controller's frequency begins it.
#pragma once

#include <cstdint>

#include "nav/atc_services.h"
#include "ui/dialog.h"

namespace nav {

class ATCCommunicationDialog : public ui::Dialog {
public:
    ATCCommunicationDialog() : ui::Dialog("RadioComm", 621) {}
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

    // The lowest altitude to request: 2000 ft with an instrument plan, else 2500.
    [[nodiscard]] static int AltitudeFloor();
    // A typed (or stepped) request brought to a visual altitude above the floor and below
    // 18,000 ft; `typed` keeps an altitude that already is one.
    [[nodiscard]] static int StepAltitude(int feet, bool typed);

    std::int32_t altitudeChanged = 0;
    std::int32_t runwayChanged = 0;
    std::int32_t altitude = 0;

private:
    void StepAltitudeField(bool typed);
    // The altitude field and the runway box as the session allows, the box on its runway.
    void ShowSession();
    // A one-shot request, made as its key makes it.
    void Call(AtcRequest request);
    void Apply();
};

class AirTrafficDialog : public ui::Dialog {
public:
    AirTrafficDialog() : ui::Dialog("Virtual_Airspace", 604) {}
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
};

}  // namespace nav
