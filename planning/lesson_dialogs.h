// The training dialogs: the manoeuvre list, whose chosen manoeuvre starts as a lesson.
#pragma once

#include "ui/dialog.h"

namespace planning {

class FlightManeuverDialog : public ui::Dialog {
public:
    FlightManeuverDialog() : ui::Dialog("FlightManeuver", 0) {}
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

    int chosen = 0;  // the list row, which is the manoeuvre's number
};

}  // namespace planning
