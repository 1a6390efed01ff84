#include "planning/lesson_traps.h"

#include <algorithm>

namespace planning {
namespace {

constexpr std::string_view kAlwaysAllowed[] = {
    "Pause",    "LookForward",     "LookLeft",  "LookRight",     "LookBack",
    "LookDown", "LookForwardLeft", "LookBackLeft", "LookBackRight",
};
constexpr std::string_view kYoke[] = {"ElevatorUp", "ElevatorDown", "AileronLeft",
                                      "AileronCenter", "AileronRight", "TrimUp", "TrimDown"};
constexpr std::string_view kThrottle[] = {"ThrottleMin", "ThrottleMax", "ThrottleUp", "ThrottleDown"};

struct Rect {
    int left, top, right, bottom;  // edges inside
};
// The 172's throttle knob, both halves (the yoke has no place on the panel).
constexpr Rect kThrottleLever = {295, 433, 340, 480};

template <std::size_t N>
bool Holds(const std::string_view (&list)[N], std::string_view command) {
    return std::find(std::begin(list), std::end(list), command) != std::end(list);
}

}  // namespace

bool IsLessonCommandHeldBack(int trapMode, std::string_view command) {
    if (trapMode != 1 && trapMode != 2) return false;
    if (Holds(kAlwaysAllowed, command)) return false;
    return Holds(kYoke, command) || (trapMode == 2 && Holds(kThrottle, command));
}

bool IsLessonPanelPointHeldBack(int trapMode, int x, int y) {
    if (trapMode != 2) return false;
    const Rect& r = kThrottleLever;
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

}  // namespace planning
