// The training dialogs: the lesson preflight, which keeps the pilot's next lesson in the pilot
// file, and the manoeuvre list, whose chosen manoeuvre starts as a lesson.
#pragma once

#include "ui/dialog.h"

namespace planning {

class FltLessonPreflight : public ui::Dialog {
public:
    FltLessonPreflight() : ui::Dialog("LESSONPREFLIGHT", 0) { SetHelpId(20048); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

    int lesson = 1;
    int startNow = 0;  // the "Start this lesson now" box on OK

private:
    void ShowDescription();
};

class FlightManeuverDialog : public ui::Dialog {
public:
    FlightManeuverDialog() : ui::Dialog("FlightManeuver", 0) { SetHelpId(20006); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

    int chosen = 0;  // the list row, which is the manoeuvre's number
};

}  // namespace planning
