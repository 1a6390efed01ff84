// What a lesson's trap mode keeps from the pilot: while the instructor demonstrates with the
// yoke (mode 1, "TRAP_YOKE") or with the yoke and the throttle (mode 2, "TRAP_YOKE_THROTTLE"),
// the key commands and the panel's places that move them are the instructor's. Pausing, looking
// around and leaving are never held back. Mode 0 holds nothing back.
#pragma once

#include <string_view>

namespace planning {

// Whether the key command of this name (the key table's name) is held back in the mode.
[[nodiscard]] bool IsLessonCommandHeldBack(int trapMode, std::string_view command);
// Whether a point of the Cessna 172's panel (window pixels, y from the panel's offset) lies on a
// control the mode holds back.
[[nodiscard]] bool IsLessonPanelPointHeldBack(int trapMode, int x, int y);

}  // namespace planning
