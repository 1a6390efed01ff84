#include "devices/force_feedback.h"

namespace devices {

void StartForceFeedback(win::HWND) {}

void ShutdownForceFeedback() {}

void UpdateStickForces() {}

}  // namespace devices
