// The mouse rectangles of the cockpit panels, as constant tables that the click dispatch
// (sim/input/panel_clicks.*) tests and the panel-art maker paints its buttons and knobs under:
// a button with a label is drawn as a labelled face where it is clicked, a knob's square as a
// knob, so what a click acts on is what is drawn under it. x is in window pixels; y is the
// screen row of the full-panel view (the C172's and the Bonanza's lower view move every
// rectangle down by 44 and 42); in a shared control group both are relative to the group's
// displacement. Every edge is inside. Commands are key-command names; a handful of operations
// that no key has (the "Left" twins of the right-engine commands, carburettor heat on and off,
// the autopilot's mode buttons, the DME source buttons) are named the same way and run by the
// dispatch.
//
// No two rectangles of a panel overlap (a button's rectangle lies inside its region's, and the
// buttons of a region stand apart unless they take different kinds of event), and every one lies
// on the screen.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cockpit/panel_art_tables.h"

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

// The label of a transfer (standby and active swap) button: drawn as a double arrow.
inline constexpr const char* kSwapLabel = "<>";

// One button: its rectangle, the kinds it takes and its command. A null command is a button that
// takes the click and does nothing; `twin` is the left-engine command that follows a right-engine
// one while the engines are synchronised. A button with a `label` is drawn by the art as a face
// filling its rectangle with the label in it (the lamps the program lights stand on the face);
// one without stands on something the panel draws anyway (digits, a switch, a lamp).
struct PanelButton {
    ClickRect rect;
    std::uint8_t kinds;
    const char* command;
    const char* twin = nullptr;
    const char* label = nullptr;
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

// The trim rocker acts on the press; its release lets go of the trim. The GS and TRIM words
// between the mode buttons (kAutopilotLabels 6 and 7) only annunciate: the buttons beside them
// stop short of them, so that a click on either word acts on nothing.
inline constexpr PanelButton kAutopilotGroup[] = {
    {{485, 373, 497, 384}, kOnPress, "AutoPilotTrimDown"},
    {{485, 385, 497, 395}, kOnPress, "AutoPilotTrimUp"},
    {{498, 373, 517, 395}, kOnClick, "AutoPilotAltHold"},
    {{518, 373, 536, 395}, kOnClick, "AutopilotHeadingMode"},
    {{546, 373, 565, 395}, kOnClick, "AutopilotNavMode"},
    {{566, 373, 583, 395}, kOnClick, "AutopilotApproachMode"},
    {{584, 373, 600, 395}, kOnClick, "AutopilotBackCourseMode"},
    {{620, 373, 634, 395}, kOnClick, "AutoPilotMaster"},
    {{485, 373, 497, 395}, kOnClick, "AutopilotTrimRelease"},
};

// The DME's source buttons, each under its lamp.
inline constexpr PanelButton kDmeModeGroup[] = {
    {{583, 246, 600, 260}, kOnClick, "DmeModeN1", nullptr, "N1"},
    {{601, 246, 617, 260}, kOnClick, "DmeModeHLD", nullptr, "HLD"},
    {{618, 246, 635, 260}, kOnClick, "DmeModeN2", nullptr, "N2"},
};

// The code's digit pairs tune (upper half up, lower half down), below the transponder's name;
// IDENT and VFR under their lamps.
inline constexpr PanelButton kTransponderGroup[] = {
    {{573, 359, 611, 370}, kOnClick, "ToggleIdent", nullptr, "IDENT"},
    {{614, 359, 636, 370}, kOnClick, "ToggleVFR", nullptr, "VFR"},
    {{607, 349, 618, 352}, kOnClick | kOnHold, "CommMHzUp"},
    {{619, 349, 633, 352}, kOnClick | kOnHold, "CommKHzUp"},
    {{607, 353, 618, 358}, kOnClick | kOnHold, "CommMHzDown"},
    {{619, 353, 633, 358}, kOnClick | kOnHold, "CommKHzDown"},
};

// The standby frequency's digits tune (upper half up, lower half down); the transfer button
// carries the transfer lamp.
inline constexpr PanelButton kComGroup[] = {
    {{517, 305, 536, 316}, kOnClick, "CommFlipStandby", nullptr, kSwapLabel},
    {{530, 291, 541, 299}, kOnClick, "CommMHzUp"},
    {{542, 291, 556, 299}, kOnClick, "CommKHzUp"},
    {{530, 300, 541, 304}, kOnClick, "CommMHzDown"},
    {{542, 300, 556, 304}, kOnClick, "CommKHzDown"},
};

inline constexpr PanelButton kNavGroup[] = {
    {{584, 305, 600, 316}, kOnClick, "NavFlipStandby", nullptr, kSwapLabel},
    {{602, 305, 618, 316}, kOnClick, "ToggleIDT", nullptr, "IDT"},
    {{620, 305, 636, 316}, kOnClick, "ToggleBRG", nullptr, "BRG"},
    {{607, 291, 619, 299}, kOnClick, "NavMHzUp"},
    {{620, 291, 633, 299}, kOnClick, "NavKHzUp"},
    {{607, 300, 619, 304}, kOnClick, "NavMHzDown"},
    {{620, 300, 633, 304}, kOnClick, "NavKHzDown"},
};

// The MHz-down and kHz-down buttons stand in the columns of the buttons above them.
inline constexpr PanelButton kAdfGroup[] = {
    {{519, 358, 535, 369}, kOnClick, "NavFlipStandby", nullptr, kSwapLabel},
    {{537, 358, 553, 369}, kOnClick, "ToggleIDT", nullptr, "IDT"},
    {{530, 345, 541, 352}, kOnClick, "NavMHzUp"},
    {{542, 345, 556, 352}, kOnClick | kOnHold, "NavKHzUp"},
    {{530, 353, 541, 357}, kOnClick, "NavMHzDown"},
    {{542, 353, 556, 357}, kOnClick | kOnHold, "NavKHzDown"},
};

// The CitationJet's stack: one radio every 20 rows (its digits from row 341 of COM1 down), each
// group given at its first radio's place and the second radio's 20 rows lower.
inline constexpr PanelButton kCitationComGroup[] = {
    {{533, 340, 543, 355}, kOnClick, "CommFlipStandby", nullptr, kSwapLabel},
    {{546, 337, 563, 343}, kOnClick, "CommMHzUp"},
    {{564, 337, 576, 343}, kOnClick, "CommKHzUp"},
    {{546, 344, 563, 348}, kOnClick, "CommMHzDown"},
    {{564, 344, 576, 348}, kOnClick, "CommKHzDown"},
};
inline constexpr PanelButton kCitationNavGroup[] = {
    {{533, 380, 543, 395}, kOnClick, "NavFlipStandby", nullptr, kSwapLabel},
    {{590, 379, 608, 392}, kOnClick, "ToggleIDT", nullptr, "IDT"},
    {{546, 389, 576, 395}, kOnClick, "ToggleBRG", nullptr, "BRG"},
    {{546, 377, 563, 383}, kOnClick, "NavMHzUp"},
    {{564, 377, 576, 383}, kOnClick, "NavKHzUp"},
    {{546, 384, 563, 388}, kOnClick, "NavMHzDown"},
    {{564, 384, 576, 388}, kOnClick, "NavKHzDown"},
};
inline constexpr PanelButton kCitationAdfGroup[] = {
    {{533, 420, 549, 435}, kOnClick, "NavFlipStandby", nullptr, kSwapLabel},
    {{590, 419, 608, 432}, kOnClick, "ToggleIDT", nullptr, "IDT"},
    {{552, 417, 563, 423}, kOnClick, "NavMHzUp"},
    {{564, 417, 576, 423}, kOnClick | kOnHold, "NavKHzUp"},
    {{552, 424, 563, 428}, kOnClick, "NavMHzDown"},
    {{564, 424, 576, 428}, kOnClick | kOnHold, "NavKHzDown"},
};
inline constexpr PanelButton kCitationTransponderGroup[] = {
    {{493, 437, 515, 452}, kOnClick, "ToggleIdent", nullptr, "IDENT"},
    {{527, 450, 547, 458}, kOnClick, "ToggleVFR", nullptr, "VFR"},
    {{568, 439, 579, 443}, kOnClick | kOnHold, "CommMHzUp"},
    {{580, 439, 592, 443}, kOnClick | kOnHold, "CommKHzUp"},
    {{568, 444, 579, 448}, kOnClick | kOnHold, "CommMHzDown"},
    {{580, 444, 592, 448}, kOnClick | kOnHold, "CommKHzDown"},
};
inline constexpr PanelButton kCitationDmeGroup[] = {
    {{582, 317, 599, 333}, kOnClick, "DmeModeN1", nullptr, "N1"},
    {{600, 317, 616, 333}, kOnClick, "DmeModeHLD", nullptr, "HLD"},
    {{617, 317, 634, 333}, kOnClick, "DmeModeN2", nullptr, "N2"},
};
// Its autopilot stands at the bottom edge, the screen's last rows.
inline constexpr PanelButton kCitationAutopilotGroup[] = {
    {{484, 459, 496, 468}, kOnPress, "AutoPilotTrimDown"},
    {{484, 469, 496, 479}, kOnPress, "AutoPilotTrimUp"},
    {{497, 459, 516, 479}, kOnClick, "AutoPilotAltHold"},
    {{517, 459, 535, 479}, kOnClick, "AutopilotHeadingMode"},
    {{545, 459, 564, 479}, kOnClick, "AutopilotNavMode"},
    {{565, 459, 582, 479}, kOnClick, "AutopilotApproachMode"},
    {{583, 459, 599, 479}, kOnClick, "AutopilotBackCourseMode"},
    {{619, 459, 633, 479}, kOnClick, "AutoPilotMaster"},
    {{484, 459, 496, 479}, kOnClick, "AutopilotTrimRelease"},
};
// Its audio switches are knobs at the left edge, one button round each.
inline constexpr PanelButton kCitationAudioGroup[] = {
    {{6, 385, 17, 405}, kOnClick, "ToggleAudioCom1"},
    {{18, 385, 29, 405}, kOnClick, "ToggleAudioCom2"},
    {{34, 385, 45, 405}, kOnClick, "ToggleAudioNav1"},
    {{46, 385, 57, 405}, kOnClick, "ToggleAudioNav2"},
    {{62, 385, 73, 405}, kOnClick, "ToggleAudioDME"},
    {{78, 385, 89, 405}, kOnClick, "ToggleAudioMKR"},
    {{94, 385, 105, 405}, kOnClick, "ToggleAudioADF"},
};

// ---- the panels ----

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
    Nav2CourseKnob,
    Nav2CourseKnobIfCard,  // the C172's, only while its NAV2 gauge shows a course card
    AdfCourseKnob,
    ElevatorTrim,
    RudderTrim,
    AileronTrim,
    FlapLever,
    GearLever,
    Buttons,        // a switch row: its own button table
    LeverQuadrant,  // the twins' and the jet's levers, by columns
};

// When a region takes clicks: always, only in the full-panel view (the rows the lower view does
// not draw), or only while the radio stack is drawn (not while the Baron's engine gauges or the
// GPS take its place).
enum class RegionShown : std::uint8_t { Always, FullView, Stack };

// A top-level area: its rectangle, what it does, and its numbers: a group's displacement
// (dx, dy); a knob's square (x, y, size) and for the heading-and-course pair the second square;
// a trim wheel's or flap lever's box (x, y, width, height); a lever quadrant's six column bounds.
// A switch row, or a group whose buttons stand elsewhere on this panel, has its own buttons.
struct PanelClickRegion {
    ClickRect rect;
    PanelArea area;
    std::int16_t a = 0;
    std::int16_t b = 0;
    std::int16_t c = 0;
    std::int16_t d = 0;
    std::int16_t e = 0;
    std::int16_t f = 0;
    const PanelButton* buttons = nullptr;
    std::int16_t buttonCount = 0;
    RegionShown shown = RegionShown::Always;
};

template <std::size_t N>
constexpr PanelClickRegion Row(ClickRect r, const PanelButton (&buttons)[N],
                               RegionShown shown = RegionShown::Always) {
    return PanelClickRegion{r,       PanelArea::Buttons,          0, 0, 0, 0, 0, 0,
                            buttons, static_cast<std::int16_t>(N), shown};
}
template <std::size_t N>
constexpr PanelClickRegion Group(ClickRect r, PanelArea area, std::int16_t dx, std::int16_t dy,
                                 const PanelButton (&buttons)[N]) {
    return PanelClickRegion{r,       area, dx, dy, 0, 0, 0, 0, buttons,
                            static_cast<std::int16_t>(N), RegionShown::Stack};
}
// A group of the radio stack with the shared buttons.
constexpr PanelClickRegion Stack(ClickRect r, PanelArea area, std::int16_t dx, std::int16_t dy) {
    return PanelClickRegion{r, area, dx, dy, 0, 0, 0, 0, nullptr, 0, RegionShown::Stack};
}
// A region drawn only in the full-panel view.
constexpr PanelClickRegion Full(PanelClickRegion r) {
    r.shown = RegionShown::FullView;
    return r;
}

// The clock's two buttons under its window: SEL shows the time of day or the stopwatch, CTL
// starts, stops and restarts the stopwatch.
struct ClockButtons {
    PanelButton buttons[2];
};
constexpr ClockButtons ClockButtonsOf(int type) {
    const IntPoint p = kClockPoint[type];
    const std::int32_t y = p.y + kFullViewOffset[type];
    return {{{{p.x - 2, y + 2, p.x + 23, y + 9}, kOnClick, "ToggleTimer", nullptr, "SEL"},
             {{p.x + 26, y + 2, p.x + 47, y + 9}, kOnClick, "CycleElapseTime", nullptr, "CTL"}}};
}
inline constexpr ClockButtons kClockButtons[5] = {ClockButtonsOf(0), ClockButtonsOf(1),
                                                  ClockButtonsOf(2), ClockButtonsOf(3),
                                                  ClockButtonsOf(4)};
constexpr PanelClickRegion ClockRegion(int type) {
    const PanelButton* b = kClockButtons[type].buttons;
    return PanelClickRegion{{b[0].rect.left, b[0].rect.top, b[1].rect.right, b[1].rect.bottom},
                            PanelArea::Buttons,
                            0,
                            0,
                            0,
                            0,
                            0,
                            0,
                            b,
                            2};
}

// The Cessna 172. Its ignition positions lie inside their frame 35..71.
inline constexpr PanelButton kC172SwitchRow[] = {
    {{0, 435, 33, 479}, kOnClick, "CycleFuelSwitch"},
    {{35, 435, 42, 479}, kOnClick, "SetIgnitionOff"},
    {{43, 435, 49, 479}, kOnClick, "SetIgnitionRightMag"},
    {{50, 435, 56, 479}, kOnClick, "SetIgnitionLeftMag"},
    {{57, 435, 62, 479}, kOnClick, "SetIgnitionBothMag"},
    {{63, 435, 71, 479}, kOnClick, "SetIgnitionStart"},
    {{79, 435, 91, 479}, kOnClick, "ToggleBatteryPower"},
    {{101, 435, 113, 479}, kOnClick, "ToggleAvionicPower"},
    {{123, 435, 135, 479}, kOnClick, "TogglePitotHeat"},
    {{145, 435, 157, 479}, kOnClick, "ToggleStrobeLight"},
    {{166, 435, 178, 479}, kOnClick, "ToggleBeaconLight"},
    {{187, 435, 199, 479}, kOnClick, "ToggleNavLight"},
    {{208, 435, 220, 479}, kOnClick, "ToggleTaxiLight"},
    {{229, 435, 241, 479}, kOnClick, "ToggleLandingLight"},
};
inline constexpr PanelButton kC172EngineLevers[] = {
    {{341, 433, 386, 455}, kOnClick | kOnHold, "MixtureUp"},
    {{341, 456, 386, 479}, kOnClick | kOnHold, "MixtureDown"},
    {{295, 433, 340, 456}, kOnClick | kOnHold, "ThrottleUp"},
    {{295, 457, 340, 479}, kOnClick | kOnHold, "ThrottleDown"},
    {{242, 433, 294, 456}, kOnClick, "SetCarbHeatOff"},
    {{242, 457, 294, 479}, kOnClick, "SetCarbHeatOn"},
};
inline constexpr PanelClickRegion kC172Regions[] = {
    Stack({485, 213, 635, 233}, PanelArea::AudioGroup, 0, -52),
    Stack({485, 318, 639, 343}, PanelArea::AutopilotGroup, 0, -55),
    Stack({484, 190, 639, 208}, PanelArea::DmeGroup, 0, -54),
    Stack({484, 235, 561, 263}, PanelArea::Com1Group, 0, -54),
    Stack({484, 264, 561, 290}, PanelArea::Com2Group, 0, -27),
    Stack({484, 291, 561, 317}, PanelArea::AdfGroup, 0, -54),
    Stack({562, 235, 639, 263}, PanelArea::Nav1Group, 0, -54),
    Stack({562, 264, 639, 290}, PanelArea::Nav2Group, 0, -27),
    Stack({562, 291, 639, 317}, PanelArea::TransponderGroup, 0, -54),
    ClockRegion(0),
    {{117, 322, 237, 430}, PanelArea::HeadingCoursePair, 118, 405, 22, 212, 405, 22},
    {{362, 202, 468, 307}, PanelArea::Nav1CourseKnob, 362, 282, 22},
    {{240, 201, 349, 308}, PanelArea::AltimeterKnob, 240, 285, 22},
    {{364, 322, 466, 426}, PanelArea::Nav2CourseKnobIfCard, 364, 404, 22},
    Full({{387, 439, 417, 479}, PanelArea::ElevatorTrim, 387, 439, 30, 40}),
    Full({{423, 439, 473, 479}, PanelArea::FlapLever, 423, 439, 50, 40}),
    Row({0, 435, 241, 479}, kC172SwitchRow, RegionShown::FullView),
    Row({242, 433, 386, 479}, kC172EngineLevers, RegionShown::FullView),
};

// The Bonanza.
inline constexpr PanelButton kBonanzaSwitchRow[] = {
    {{0, 437, 28, 479}, kOnClick, "CycleFuelSwitch"},
    {{29, 437, 33, 479}, kOnClick, "SetIgnitionOff"},
    {{34, 437, 40, 479}, kOnClick, "SetIgnitionRightMag"},
    {{41, 437, 49, 479}, kOnClick, "SetIgnitionLeftMag"},
    {{50, 437, 56, 479}, kOnClick, "SetIgnitionBothMag"},
    {{57, 437, 65, 479}, kOnClick, "SetIgnitionStart"},
    {{68, 437, 85, 479}, kOnClick, "ToggleBatteryPower"},
    {{86, 437, 110, 479}, kOnClick, "ToggleAvionicPower"},
    {{111, 437, 131, 479}, kOnClick, "TogglePitotHeat"},
    {{132, 437, 150, 479}, kOnClick, "ToggleStrobeLight"},
    {{151, 437, 171, 479}, kOnClick, "ToggleBeaconLight"},
    {{172, 437, 192, 479}, kOnClick, "ToggleNavLight"},
    {{193, 437, 214, 479}, kOnClick, "ToggleTaxiLight"},
    {{215, 437, 235, 479}, kOnClick, "ToggleLandingLight"},
};
inline constexpr PanelButton kBonanzaEngineLevers[] = {
    {{270, 433, 303, 456}, kOnClick | kOnHold, "ThrottleUp"},
    {{270, 457, 303, 479}, kOnClick | kOnHold, "ThrottleDown"},
    {{304, 433, 337, 456}, kOnClick | kOnHold, "PropPitchUp"},
    {{304, 457, 337, 479}, kOnClick | kOnHold, "PropPitchDown"},
    {{338, 433, 369, 456}, kOnClick | kOnHold, "MixtureUp"},
    {{338, 457, 369, 479}, kOnClick | kOnHold, "MixtureDown"},
    {{241, 433, 269, 456}, kOnClick, "CloseCowlFlaps"},
    {{241, 457, 269, 479}, kOnClick, "OpenCowlFlaps"},
};
inline constexpr PanelClickRegion kBonanzaRegions[] = {
    Stack({485, 307, 635, 327}, PanelArea::AudioGroup, 0, 42),
    Stack({485, 415, 635, 437}, PanelArea::AutopilotGroup, 0, 42),
    Stack({484, 286, 639, 303}, PanelArea::DmeGroup, 0, 42),
    Stack({484, 331, 561, 359}, PanelArea::Com1Group, 0, 42),
    Stack({484, 360, 561, 386}, PanelArea::Com2Group, 0, 69),
    Stack({484, 387, 561, 412}, PanelArea::AdfGroup, 0, 42),
    Stack({562, 331, 639, 359}, PanelArea::Nav1Group, 0, 42),
    Stack({562, 360, 639, 386}, PanelArea::Nav2Group, 0, 69),
    Stack({562, 387, 639, 412}, PanelArea::TransponderGroup, 0, 42),
    ClockRegion(1),
    {{130, 326, 247, 432}, PanelArea::HeadingCoursePair, 134, 403, 16, 222, 403, 16},
    // The course knob's area ends above the trim wheel's name, the ADF card knob's takes in its
    // own name to its left.
    {{373, 342, 476, 429}, PanelArea::Nav2CourseKnob, 376, 411, 18},
    {{259, 215, 360, 319}, PanelArea::AltimeterKnob, 261, 300, 18},
    {{361, 218, 476, 322}, PanelArea::AdfCourseKnob, 379, 299, 18},
    // The gear lever's area reaches left over its DN word, which its lamps leave no room for on
    // the right; the trim wheel's stops short of it.
    Full({{397, 438, 435, 479}, PanelArea::GearLever}),
    Full({{438, 436, 482, 479}, PanelArea::FlapLever, 438, 436, 44, 43}),
    Full({{370, 439, 396, 479}, PanelArea::ElevatorTrim, 370, 439, 26, 40}),
    Row({0, 437, 236, 479}, kBonanzaSwitchRow, RegionShown::FullView),
    Row({241, 433, 369, 479}, kBonanzaEngineLevers, RegionShown::FullView),
};

// The Baron: on a right-engine control the left engine follows while synchronised.
inline constexpr PanelButton kBaronSwitchRows[] = {
    {{0, 447, 25, 479}, kOnClick, "CycleFuelSwitch"},
    {{26, 447, 51, 479}, kOnClick, "CycleFuelSwitchRight", "CycleFuelSwitchLeft"},
    {{52, 447, 60, 479}, kOnClick, "SetIgnitionOff"},
    {{61, 447, 68, 479}, kOnClick, "SetIgnitionRightMag"},
    {{69, 447, 77, 479}, kOnClick, "SetIgnitionLeftMag"},
    {{78, 447, 85, 479}, kOnClick, "SetIgnitionBothMag"},
    {{86, 447, 93, 479}, kOnClick, "SetIgnitionStart"},
    {{94, 447, 101, 479}, kOnClick, "SetIgnitionOffRight", "SetIgnitionOffLeft"},
    {{102, 447, 109, 479}, kOnClick, "SetIgnitionRightMagRight", "SetIgnitionRightMagLeft"},
    {{110, 447, 118, 479}, kOnClick, "SetIgnitionLeftMagRight", "SetIgnitionLeftMagLeft"},
    {{119, 447, 126, 479}, kOnClick, "SetIgnitionBothMagRight", "SetIgnitionBothMagLeft"},
    {{127, 447, 134, 479}, kOnClick, "SetIgnitionStartRight", "SetIgnitionStartLeft"},
    {{4, 407, 24, 446}, kOnClick, "ToggleBatteryPower"},
    {{25, 407, 46, 446}, kOnClick, "ToggleAvionicPower"},
    {{47, 407, 71, 446}, kOnClick, "TogglePitotHeat"},
    {{72, 407, 93, 446}, kOnClick, "ToggleStrobeLight"},
    {{94, 407, 115, 446}, kOnClick, "ToggleBeaconLight"},
    {{116, 407, 135, 446}, kOnClick, "ToggleNavLight"},
    {{136, 407, 157, 446}, kOnClick, "ToggleTaxiLight"},
    {{158, 407, 180, 446}, kOnClick, "ToggleLandingLight"},
    {{181, 407, 203, 446}, kOnClick, "ToggleSpeedBrake"},
    {{136, 447, 156, 479}, kOnClick, "ToggleLeftBoost"},
    {{157, 447, 176, 479}, kOnClick, "ToggleRightBoost"},
    {{178, 447, 203, 479}, kOnClick, "ToggleCowlFlaps"},
};
inline constexpr PanelClickRegion kBaronRegions[] = {
    Stack({484, 347, 635, 367}, PanelArea::AudioGroup, -1, 82),
    Stack({484, 455, 635, 477}, PanelArea::AutopilotGroup, -1, 82),
    Stack({484, 326, 639, 344}, PanelArea::DmeGroup, -1, 82),
    Stack({484, 371, 561, 399}, PanelArea::Com1Group, -1, 82),
    Stack({484, 400, 561, 426}, PanelArea::Com2Group, -1, 109),
    Stack({484, 427, 561, 452}, PanelArea::AdfGroup, -1, 82),
    Stack({562, 371, 639, 399}, PanelArea::Nav1Group, -1, 82),
    Stack({562, 400, 639, 426}, PanelArea::Nav2Group, -1, 109),
    Stack({562, 427, 639, 452}, PanelArea::TransponderGroup, -1, 82),
    ClockRegion(2),
    {{120, 288, 239, 399}, PanelArea::HeadingCoursePair, 124, 370, 19, 213, 368, 20},
    {{366, 377, 388, 399}, PanelArea::Nav2CourseKnob, 366, 377, 22},
    {{246, 260, 268, 282}, PanelArea::AltimeterKnob, 246, 260, 22},
    {{366, 261, 388, 283}, PanelArea::AdfCourseKnob, 366, 261, 22},
    {{419, 409, 446, 478}, PanelArea::GearLever},
    {{382, 409, 416, 456}, PanelArea::ElevatorTrim, 382, 409, 34, 47},
    {{381, 457, 416, 479}, PanelArea::RudderTrim, 384, 457, 32, 22},
    {{447, 408, 480, 478}, PanelArea::FlapLever, 447, 408, 33, 70},
    Row({0, 407, 203, 479}, kBaronSwitchRows),
    {{204, 410, 380, 479}, PanelArea::LeverQuadrant, 242, 281, 305, 329, 355, 380},
};

// The King Air and the CitationJet share their RMI buttons.
inline constexpr PanelButton kRmiButtons[] = {
    {{6, 357, 24, 375}, kOnClick | kOnHold, "RMI1"},
    {{78, 357, 96, 375}, kOnClick | kOnHold, "RMI2"},
};
inline constexpr PanelButton kKingAirLeftSwitches[] = {
    {{0, 410, 18, 444}, kOnClick, "ToggleBatteryPower"},
    {{19, 410, 38, 444}, kOnClick, "ToggleAvionicPower"},
    {{39, 410, 58, 444}, kOnClick, "TogglePitotHeat"},
    {{59, 410, 81, 444}, kOnClick, "CycleFuelSwitch"},
    {{82, 410, 107, 444}, kOnClick, "CycleFuelSwitchRight", "CycleFuelSwitchLeft"},
};
inline constexpr PanelButton kKingAirLowerSwitches[] = {
    {{0, 445, 20, 479}, kOnClick, "SetIgnitionStart"},
    {{21, 445, 41, 479}, kOnClick, "SetIgnitionStartRight", "SetIgnitionStartLeft"},
    {{42, 445, 64, 479}, kOnClick, "ToggleStrobeLight"},
    {{65, 445, 84, 479}, kOnClick, "ToggleBeaconLight"},
    {{85, 445, 104, 479}, kOnClick, "ToggleNavLight"},
    {{105, 445, 124, 479}, kOnClick, "ToggleTaxiLight"},
    {{125, 445, 148, 479}, kOnClick, "ToggleLandingLight"},
    {{149, 445, 174, 479}, kOnClick, "ToggleSpeedBrake"},
    {{175, 445, 194, 479}, kOnClick, "ToggleLeftBoost"},
    {{195, 445, 218, 479}, kOnClick, "ToggleRightBoost"},
};
inline constexpr PanelClickRegion kKingAirRegions[] = {
    Stack({486, 348, 637, 368}, PanelArea::AudioGroup, 1, 83),
    Stack({486, 456, 637, 478}, PanelArea::AutopilotGroup, 1, 83),
    Stack({486, 372, 562, 400}, PanelArea::Com1Group, 1, 83),
    Stack({486, 401, 562, 427}, PanelArea::Com2Group, 1, 110),
    Stack({486, 428, 562, 453}, PanelArea::AdfGroup, 1, 83),
    Stack({563, 372, 639, 400}, PanelArea::Nav1Group, 1, 83),
    Stack({563, 401, 639, 427}, PanelArea::Nav2Group, 1, 110),
    Stack({563, 428, 639, 453}, PanelArea::TransponderGroup, 1, 83),
    Stack({486, 327, 639, 345}, PanelArea::DmeGroup, 1, 83),
    ClockRegion(3),
    {{237, 177, 338, 278}, PanelArea::AltimeterKnob, 237, 256, 18},
    {{239, 289, 358, 403}, PanelArea::HeadingCoursePair, 254, 387, 16, 306, 387, 16},
    Row({1, 282, 103, 383}, kRmiButtons),
    {{417, 390, 446, 479}, PanelArea::GearLever},
    {{447, 390, 481, 479}, PanelArea::FlapLever, 447, 390, 34, 89},
    {{382, 390, 416, 437}, PanelArea::ElevatorTrim, 383, 399, 11, 38},
    {{384, 439, 416, 457}, PanelArea::RudderTrim, 384, 439, 32, 18},
    {{384, 458, 416, 479}, PanelArea::AileronTrim, 384, 458, 32, 21},
    Row({0, 410, 107, 444}, kKingAirLeftSwitches),
    Row({0, 445, 218, 479}, kKingAirLowerSwitches),
    {{232, 410, 380, 479}, PanelArea::LeverQuadrant, 255, 279, 304, 329, 355, 381},
};

inline constexpr PanelButton kCitationTemperatureButtons[] = {
    {{446, 462, 457, 472}, kOnClick, "ToggleTemperature", nullptr, "F"},
    {{464, 462, 475, 472}, kOnClick, "ToggleTemperature", nullptr, "C"},
};
inline constexpr PanelButton kCitationLeftSwitches[] = {
    {{0, 421, 17, 446}, kOnClick, "ToggleBatteryPower"},
    {{18, 421, 37, 446}, kOnClick, "ToggleAvionicPower"},
    {{38, 421, 57, 446}, kOnClick, "TogglePitotHeat"},
    {{58, 421, 81, 446}, kOnClick, "CycleFuelSwitch"},
    {{82, 421, 107, 446}, kOnClick, "CycleFuelSwitchRight", "CycleFuelSwitchLeft"},
};
inline constexpr PanelButton kCitationLowerSwitches[] = {
    {{0, 447, 19, 479}, kOnClick, "SetIgnitionStart"},
    {{20, 447, 46, 479}, kOnClick, "SetIgnitionStartRight", "SetIgnitionStartLeft"},
    {{47, 447, 70, 479}, kOnClick, "ToggleStrobeLight"},
    {{71, 447, 93, 479}, kOnClick, "ToggleBeaconLight"},
    {{94, 447, 116, 479}, kOnClick, "ToggleNavLight"},
    {{117, 447, 139, 479}, kOnClick, "ToggleTaxiLight"},
    {{140, 447, 167, 479}, kOnClick, "ToggleLandingLight"},
    {{168, 447, 196, 479}, kOnClick, "ToggleSpeedBrake"},
    {{197, 447, 220, 479}, kOnClick, "ToggleLeftBoost"},
    {{221, 447, 248, 479}, kOnClick, "ToggleRightBoost"},
};
inline constexpr PanelClickRegion kCitationRegions[] = {
    Group({0, 384, 107, 405}, PanelArea::AudioGroup, 0, 0, kCitationAudioGroup),
    Group({478, 459, 639, 479}, PanelArea::AutopilotGroup, 0, 0, kCitationAutopilotGroup),
    Group({478, 337, 639, 356}, PanelArea::Com1Group, 0, 0, kCitationComGroup),
    Group({478, 357, 639, 376}, PanelArea::Com2Group, 0, 20, kCitationComGroup),
    Group({478, 417, 639, 436}, PanelArea::AdfGroup, 0, 0, kCitationAdfGroup),
    Group({478, 377, 639, 396}, PanelArea::Nav1Group, 0, 0, kCitationNavGroup),
    Group({478, 397, 639, 416}, PanelArea::Nav2Group, 0, 20, kCitationNavGroup),
    Group({478, 437, 639, 458}, PanelArea::TransponderGroup, 0, 0, kCitationTransponderGroup),
    Group({478, 317, 639, 336}, PanelArea::DmeGroup, 0, 0, kCitationDmeGroup),
    ClockRegion(4),
    {{267, 250, 283, 267}, PanelArea::AltimeterKnob, 267, 250, 16},
    {{380, 328, 468, 345}, PanelArea::HeadingCoursePair, 381, 328, 17, 450, 328, 17},
    Row({1, 282, 103, 383}, kRmiButtons),
    Row({441, 458, 477, 479}, kCitationTemperatureButtons),
    {{378, 395, 404, 479}, PanelArea::GearLever},
    {{406, 395, 437, 479}, PanelArea::FlapLever, 406, 395, 31, 84},
    {{341, 395, 376, 439}, PanelArea::ElevatorTrim, 341, 395, 35, 44},
    {{341, 440, 376, 458}, PanelArea::RudderTrim, 341, 440, 35, 18},
    {{341, 459, 376, 479}, PanelArea::AileronTrim, 341, 459, 35, 20},
    Row({0, 421, 107, 446}, kCitationLeftSwitches),
    Row({0, 447, 248, 479}, kCitationLowerSwitches),
    {{256, 412, 340, 479}, PanelArea::LeverQuadrant, 300, 340, 0, 0, 0, 0},
};

// The regions of an aircraft type (0 C172, 1 Bonanza, 2 Baron, 3 King Air, 4 CitationJet).
struct PanelClickTable {
    const PanelClickRegion* regions;
    int count;
};
template <std::size_t N>
constexpr PanelClickTable TableOf(const PanelClickRegion (&r)[N]) {
    return PanelClickTable{r, static_cast<int>(N)};
}
inline constexpr PanelClickTable kPanelClickTables[5] = {
    TableOf(kC172Regions), TableOf(kBonanzaRegions), TableOf(kBaronRegions),
    TableOf(kKingAirRegions), TableOf(kCitationRegions)};

// The buttons a region tests, with the displacement they take: its own, the shared group of its
// area, or none (knobs, trims, levers).
struct RegionButtons {
    const PanelButton* buttons;
    int count;
    std::int32_t dx;
    std::int32_t dy;
};
template <std::size_t N>
constexpr RegionButtons Shared(const PanelButton (&b)[N], const PanelClickRegion& r) {
    return {b, static_cast<int>(N), r.a, r.b};
}
constexpr RegionButtons ButtonsOf(const PanelClickRegion& r) {
    if (r.area == PanelArea::Buttons) return {r.buttons, r.buttonCount, 0, 0};
    if (r.buttons != nullptr) return {r.buttons, r.buttonCount, r.a, r.b};
    switch (r.area) {
        case PanelArea::AudioGroup:
            return Shared(kAudioGroup, r);
        case PanelArea::AutopilotGroup:
            return Shared(kAutopilotGroup, r);
        case PanelArea::DmeGroup:
            return Shared(kDmeModeGroup, r);
        case PanelArea::Com1Group:
        case PanelArea::Com2Group:
            return Shared(kComGroup, r);
        case PanelArea::AdfGroup:
            return Shared(kAdfGroup, r);
        case PanelArea::Nav1Group:
        case PanelArea::Nav2Group:
            return Shared(kNavGroup, r);
        case PanelArea::TransponderGroup:
            return Shared(kTransponderGroup, r);
        default:
            return {nullptr, 0, 0, 0};
    }
}

// The squares of a region's knobs (the heading-and-course pair has two, course then heading),
// edges inside; the count, 0 for a region without knobs.
constexpr int KnobSquares(const PanelClickRegion& r, ClickRect out[2]) {
    switch (r.area) {
        case PanelArea::HeadingCoursePair:
            out[1] = {r.d, r.e, r.d + r.f, r.e + r.f};
            out[0] = {r.a, r.b, r.a + r.c, r.b + r.c};
            return 2;
        case PanelArea::Nav1CourseKnob:
        case PanelArea::AltimeterKnob:
        case PanelArea::Nav2CourseKnob:
        case PanelArea::Nav2CourseKnobIfCard:
        case PanelArea::AdfCourseKnob:
            out[0] = {r.a, r.b, r.a + r.c, r.b + r.c};
            return 1;
        default:
            return 0;
    }
}

// A button's rectangle on the screen of the full-panel view.
constexpr ClickRect ButtonRect(const RegionButtons& g, int i) {
    const ClickRect& r = g.buttons[i].rect;
    return {r.left + g.dx, r.top + g.dy, r.right + g.dx, r.bottom + g.dy};
}

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
