// The mouse rectangles of the cockpit panels, as constant tables that the click dispatch
// (sim/input/panel_clicks.*) tests and the panel-art maker paints its buttons under. x is in
// window pixels; y is relative to the panel's offset for the view (0, or 44 for the Cessna 172's
// lower view); in a shared control group both are relative to the group's displacement. Every
// edge is inside. Commands are key-command names; a handful of operations that no key has (the
// "Left" twins of the right-engine commands, carburettor heat on and off, the autopilot's mode
// buttons) are named the same way and run by the dispatch.
#pragma once

#include <cstdint>

namespace cockpit {

// A rectangle of a click table (edges inside).
struct ClickRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// Mouse event kinds as bits: a button acts on the kinds it lists.
inline constexpr std::uint8_t kOnPress = 1 << 1;
inline constexpr std::uint8_t kOnClick = 1 << 2;
inline constexpr std::uint8_t kOnHold = 1 << 3;

// One button: its rectangle, the kinds it takes and its command. A null command is a button that
// takes the click and does nothing; `twin` is the left-engine command that follows a right-engine
// one while the engines are synchronised.
struct PanelButton {
    ClickRect rect;
    std::uint8_t kinds;
    const char* command;
    const char* twin = nullptr;
};

// ---- the shared control groups (relative to the group's displacement) ----

inline constexpr PanelButton kAudioGroup[] = {
    {{525, 265, 536, 285}, kOnClick, "ToggleAudioCom1"},
    {{537, 265, 551, 285}, kOnClick, "ToggleAudioCom2"},
    {{552, 265, 565, 285}, kOnClick, "ToggleAudioNav1"},
    {{566, 265, 579, 285}, kOnClick, "ToggleAudioNav2"},
    {{580, 265, 598, 285}, kOnClick, "ToggleAudioDME"},
    {{599, 265, 616, 285}, kOnClick, "ToggleAudioMKR"},
    {{617, 265, 634, 285}, kOnClick, "ToggleAudioADF"},
};

// The trim rocker acts on the press; its release lets go of the trim.
inline constexpr PanelButton kAutopilotGroup[] = {
    {{485, 373, 497, 384}, kOnPress, "AutoPilotTrimDown"},
    {{485, 385, 497, 395}, kOnPress, "AutoPilotTrimUp"},
    {{498, 373, 517, 395}, kOnClick, "AutoPilotAltHold"},
    {{518, 373, 540, 395}, kOnClick, "AutopilotHeadingMode"},
    {{541, 373, 565, 395}, kOnClick, "AutopilotNavMode"},
    {{566, 373, 583, 395}, kOnClick, "AutopilotApproachMode"},
    {{584, 373, 608, 395}, kOnClick, "AutopilotBackCourseMode"},
    {{609, 373, 640, 395}, kOnClick, "AutoPilotMaster"},
    {{485, 373, 497, 395}, kOnClick, "AutopilotTrimRelease"},
};

inline constexpr PanelButton kDmeModeGroup[] = {
    {{583, 246, 600, 260}, kOnClick, "DmeModeN1"},
    {{601, 246, 617, 260}, kOnClick, "DmeModeHLD"},
    {{618, 246, 635, 260}, kOnClick, "DmeModeN2"},
};

inline constexpr PanelButton kTransponderGroup[] = {
    {{573, 359, 611, 370}, kOnClick, "ToggleIdent"},
    {{616, 359, 649, 370}, kOnClick, "ToggleVFR"},
    {{607, 345, 618, 352}, kOnClick | kOnHold, "CommMHzUp"},
    {{619, 345, 633, 352}, kOnClick | kOnHold, "CommKHzUp"},
    {{607, 353, 618, 359}, kOnClick | kOnHold, "CommMHzDown"},
    {{619, 353, 633, 359}, kOnClick | kOnHold, "CommKHzDown"},
};

inline constexpr PanelButton kComGroup[] = {
    {{517, 305, 536, 316}, kOnClick, "CommFlipStandby"},
    {{530, 291, 541, 299}, kOnClick, "CommMHzUp"},
    {{542, 291, 556, 299}, kOnClick, "CommKHzUp"},
    {{530, 300, 541, 305}, kOnClick, "CommMHzDown"},
    {{542, 300, 556, 305}, kOnClick, "CommKHzDown"},
};

inline constexpr PanelButton kNavGroup[] = {
    {{584, 305, 600, 316}, kOnClick, "NavFlipStandby"},
    {{602, 305, 618, 316}, kOnClick, "ToggleIDT"},
    {{620, 305, 636, 316}, kOnClick, "ToggleBRG"},
    {{607, 291, 619, 299}, kOnClick, "NavMHzUp"},
    {{620, 291, 633, 299}, kOnClick, "NavKHzUp"},
    {{607, 300, 618, 304}, kOnClick, "NavMHzDown"},
    {{619, 300, 633, 304}, kOnClick, "NavKHzDown"},
};

// The MHz-down and kHz-down buttons stand in the columns of the buttons above them.
inline constexpr PanelButton kAdfGroup[] = {
    {{519, 358, 535, 369}, kOnClick, "NavFlipStandby"},
    {{537, 358, 553, 369}, kOnClick, "ToggleIDT"},
    {{530, 345, 541, 352}, kOnClick, "NavMHzUp"},
    {{542, 345, 556, 352}, kOnClick | kOnHold, "NavKHzUp"},
    {{530, 353, 541, 359}, kOnClick, "NavMHzDown"},
    {{542, 353, 556, 359}, kOnClick | kOnHold, "NavKHzDown"},
};

// ---- the Cessna 172 ----

// What a top-level area of a panel does when it holds the point.
enum class PanelArea : std::uint8_t {
    AudioGroup,
    AutopilotGroup,
    DmeGroup,
    Com1Group,
    Com2Group,
    AdfGroup,
    Nav1Group,
    Nav2Group,
    TransponderGroup,
    HeadingCoursePair,
    Nav1CourseKnob,
    AltimeterKnob,
    Nav2CourseKnob,  // only while the NAV2 gauge shows a course card
    AdfCourseKnob,
    ElevatorTrim,
    RudderTrim,
    AileronTrim,
    FlapLever,
    GearLever,
    SwitchRow,
    EngineLevers,
};

// A top-level area: its rectangle, what it does, the group's displacement (dx, dy) or the
// knob's square (x, y, size) or the wheel's or lever's box (x, y, width, height), and for the
// heading-and-course pair the second square (x2, y2, size).
struct PanelClickRegion {
    ClickRect rect;
    PanelArea area;
    std::int16_t a = 0;
    std::int16_t b = 0;
    std::int16_t c = 0;
    std::int16_t d = 0;
    std::int16_t e = 0;
    std::int16_t f = 0;
    std::int16_t g = 0;
};

inline constexpr PanelClickRegion kC172Regions[] = {
    {{485, 213, 635, 233}, PanelArea::AudioGroup, 0, -52},
    {{485, 318, 639, 343}, PanelArea::AutopilotGroup, 0, -55},
    {{484, 192, 639, 208}, PanelArea::DmeGroup, 0, -54},
    {{486, 239, 559, 264}, PanelArea::Com1Group, 0, -54},
    {{486, 265, 561, 290}, PanelArea::Com2Group, 0, -27},
    {{484, 291, 561, 318}, PanelArea::AdfGroup, 0, -54},
    {{562, 237, 632, 264}, PanelArea::Nav1Group, 0, -54},
    {{562, 265, 632, 290}, PanelArea::Nav2Group, 0, -27},
    {{562, 291, 631, 318}, PanelArea::TransponderGroup, 0, -54},
    {{117, 322, 231, 425}, PanelArea::HeadingCoursePair, 118, 405, 22, 212, 405, 22},
    {{362, 202, 468, 307}, PanelArea::Nav1CourseKnob, 362, 282, 22},
    {{240, 201, 349, 306}, PanelArea::AltimeterKnob, 240, 285, 22},
    {{365, 322, 466, 426}, PanelArea::Nav2CourseKnob, 364, 404, 22},
    {{387, 439, 417, 480}, PanelArea::ElevatorTrim, 387, 439, 30, 41},
    {{423, 439, 473, 479}, PanelArea::FlapLever, 423, 439, 50, 41},
    {{0, 435, 248, 480}, PanelArea::SwitchRow},
    {{242, 433, 386, 480}, PanelArea::EngineLevers},
};

// The lower switch row; the ignition switch's positions are tried only inside its frame.
inline constexpr ClickRect kC172IgnitionFrame = {35, 435, 71, 480};
inline constexpr PanelButton kC172IgnitionPositions[] = {
    {{35, 435, 42, 480}, kOnClick, "SetIgnitionOff"},
    {{43, 435, 49, 480}, kOnClick, "SetIgnitionRightMag"},
    {{50, 435, 56, 480}, kOnClick, "SetIgnitionLeftMag"},
    {{57, 435, 62, 480}, kOnClick, "SetIgnitionBothMag"},
    {{63, 435, 72, 480}, kOnClick, "SetIgnitionStart"},
};
inline constexpr PanelButton kC172SwitchRow[] = {
    {{0, 435, 33, 480}, kOnClick, "CycleFuelSwitch"},
    {{79, 435, 91, 480}, kOnClick, "ToggleBatteryPower"},
    {{101, 435, 113, 480}, kOnClick, "ToggleAvionicPower"},
    {{123, 435, 135, 480}, kOnClick, "TogglePitotHeat"},
    {{145, 435, 157, 480}, kOnClick, "ToggleStrobeLight"},
    {{166, 435, 178, 480}, kOnClick, "ToggleBeaconLight"},
    {{187, 435, 199, 480}, kOnClick, "ToggleNavLight"},
    {{208, 435, 220, 480}, kOnClick, "ToggleTaxiLight"},
    {{229, 435, 241, 480}, kOnClick, "ToggleLandingLight"},
};
inline constexpr PanelButton kC172EngineLevers[] = {
    {{341, 433, 386, 455}, kOnClick | kOnHold, "MixtureUp"},
    {{341, 456, 386, 480}, kOnClick | kOnHold, "MixtureDown"},
    {{295, 433, 340, 456}, kOnClick | kOnHold, "ThrottleUp"},
    {{295, 457, 340, 480}, kOnClick | kOnHold, "ThrottleDown"},
    {{242, 433, 294, 456}, kOnClick, "SetCarbHeatOff"},
    {{242, 457, 294, 480}, kOnClick, "SetCarbHeatOn"},
};

// The panels' first row below which a click reaches the panel (the point must lie lower), by
// aircraft type and view (0 forward, 1 the lower panel), and the panel offset passed on.
struct PanelThreshold {
    std::int16_t top[2];
    std::int16_t offset[2];
};
inline constexpr PanelThreshold kPanelThresholds[5] = {
    {{171, 215}, {0, 44}}, {{193, 235}, {0, 42}}, {{150, 150}, {0, 0}},
    {{150, 150}, {0, 0}},  {{143, 143}, {0, 0}},
};

}  // namespace cockpit
