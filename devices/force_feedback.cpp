#include "devices/force_feedback.h"

#include <strings.h>

#include "devices/force_stick.h"
#include "devices/joystick.h"

namespace devices {

std::uint32_t theJoystickFound = 0;
std::uint32_t theForceFeedbackActive = 0;
std::uint32_t theForceRefresh = 0;
std::string theForceStickName;
bool theForceStickWorked = true;

void StartForceFeedback(win::HWND window) {
    if (theForceFeedbackActive != 0 || !window || theJoystickFound == 0) return;
    const std::string name = GetJoystickOEMName(0);
    if (!theForceStickWorked && strcasecmp(name.c_str(), theForceStickName.c_str()) == 0) return;
    SetForceFeedbackWindow(window);
    theForceFeedbackActive = InitForceFeedback() ? 1 : 0;
    theForceRefresh = theForceFeedbackActive;
    ForceActuatorsOn();
    theForceStickName = name;
    theForceStickWorked = theForceFeedbackActive != 0;
}

void ShutdownForceFeedback() {
    if (theForceFeedbackActive == 0) return;
    ForceActuatorsOff();
    ReleaseForceFeedback(true);
    theForceFeedbackActive = 0;
}

void RestartForceFeedback(win::HWND window) {
    ShutdownForceFeedback();
    StartForceFeedback(window);
}

}  // namespace devices
