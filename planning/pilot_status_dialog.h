// The pilot's progress through the manoeuvres: every manoeuvre of the Lessons volume by its
// title, with a mark for how it went as the pilot file keeps it (mastered, practised, not passed,
// not yet flown).
#pragma once

#include <array>

#include "ui/dialog.h"
#include "win/gdi.h"

namespace planning {

// The mark of a status: 0 a green check, 1 a grey check, 2 a red cross, anything else none.
[[nodiscard]] const char* ManeuverStatusBitmapName(int status);

class PilotStatusDialog : public ui::Dialog {
public:
    PilotStatusDialog() : ui::Dialog("PilotStatus", 726) { SetHelpId(20009); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item) override;
    int OnDestroy() override;

private:
    std::array<win::HBITMAP, 4> marks{};  // green check, grey check, red cross, none
};

}  // namespace planning
