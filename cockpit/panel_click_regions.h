// The mouse rectangles of the cockpit panels, as constant tables that the click dispatch
// (sim/input/panel_clicks.*) tests and the panel-art maker paints its buttons under. x is in
// window pixels; y is relative to the panel's offset for the view (0, or 44 for the Cessna 172's
// lower view); in a shared control group both are relative to the group's displacement. Every
// edge is inside. Commands are key-command names; a handful of operations that no key has (the
// "Left" twins of the right-engine commands, carburettor heat on and off, the autopilot's mode
// buttons) are named the same way and run by the dispatch.
#pragma once

#include <cstddef>
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

// The CitationJet's radios: the same buttons, some standing elsewhere on its panel.
inline constexpr PanelButton kCitationTransponderGroup[] = {
    {{543, 351, 581, 362}, kOnClick, "ToggleIdent"},
    {{571, 359, 604, 370}, kOnClick, "ToggleVFR"},
    {{618, 345, 629, 352}, kOnClick | kOnHold, "CommMHzUp"},
    {{630, 345, 644, 352}, kOnClick | kOnHold, "CommKHzUp"},
    {{618, 353, 629, 359}, kOnClick | kOnHold, "CommMHzDown"},
    {{630, 353, 644, 359}, kOnClick | kOnHold, "CommKHzDown"},
};
inline constexpr PanelButton kCitationComGroup[] = {
    {{517, 305, 536, 316}, kOnClick, "CommFlipStandby"},
    {{542, 291, 553, 299}, kOnClick, "CommMHzUp"},
    {{554, 291, 568, 299}, kOnClick, "CommKHzUp"},
    {{542, 300, 553, 305}, kOnClick, "CommMHzDown"},
    {{554, 300, 568, 305}, kOnClick, "CommKHzDown"},
};
inline constexpr PanelButton kCitationNavGroup[] = {
    {{597, 305, 613, 316}, kOnClick, "NavFlipStandby"},
    {{661, 297, 677, 308}, kOnClick, "ToggleIDT"},
    {{617, 305, 633, 316}, kOnClick, "ToggleBRG"},
    {{619, 291, 631, 299}, kOnClick, "NavMHzUp"},
    {{632, 291, 645, 299}, kOnClick, "NavKHzUp"},
    {{619, 300, 630, 304}, kOnClick, "NavMHzDown"},
    {{631, 300, 645, 304}, kOnClick, "NavKHzDown"},
};
// Its ADF's swap and IDT buttons stand at x 530 and 592 of the screen (the group is shifted by
// 10).
inline constexpr PanelButton kCitationAdfGroup[] = {
    {{520, 358, 536, 369}, kOnClick, "NavFlipStandby"},
    {{582, 351, 598, 362}, kOnClick, "ToggleIDT"},
    {{541, 345, 552, 352}, kOnClick, "NavMHzUp"},
    {{553, 345, 567, 352}, kOnClick | kOnHold, "NavKHzUp"},
    {{541, 353, 552, 359}, kOnClick, "NavMHzDown"},
    {{553, 353, 567, 359}, kOnClick | kOnHold, "NavKHzDown"},
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
};

template <std::size_t N>
constexpr PanelClickRegion Row(ClickRect r, const PanelButton (&buttons)[N]) {
    return PanelClickRegion{r,       PanelArea::Buttons,          0, 0, 0, 0, 0, 0,
                            buttons, static_cast<std::int16_t>(N)};
}
template <std::size_t N>
constexpr PanelClickRegion Group(ClickRect r, PanelArea area, std::int16_t dx, std::int16_t dy,
                                 const PanelButton (&buttons)[N]) {
    return PanelClickRegion{r, area, dx, dy, 0, 0, 0, 0, buttons, static_cast<std::int16_t>(N)};
}

// The Cessna 172 (y below the panel's offset: 0, or 44 in the lower view). Its ignition
// positions lie inside their frame 35..71.
inline constexpr PanelButton kC172SwitchRow[] = {
    {{0, 435, 33, 480}, kOnClick, "CycleFuelSwitch"},
    {{35, 435, 42, 480}, kOnClick, "SetIgnitionOff"},
    {{43, 435, 49, 480}, kOnClick, "SetIgnitionRightMag"},
    {{50, 435, 56, 480}, kOnClick, "SetIgnitionLeftMag"},
    {{57, 435, 62, 480}, kOnClick, "SetIgnitionBothMag"},
    {{63, 435, 71, 480}, kOnClick, "SetIgnitionStart"},
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
    {{365, 322, 466, 426}, PanelArea::Nav2CourseKnobIfCard, 364, 404, 22},
    {{387, 439, 417, 480}, PanelArea::ElevatorTrim, 387, 439, 30, 41},
    {{423, 439, 473, 479}, PanelArea::FlapLever, 423, 439, 50, 41},
    Row({0, 435, 248, 480}, kC172SwitchRow),
    Row({242, 433, 386, 480}, kC172EngineLevers),
};

// The Bonanza (offset 0, or 42 in the lower view).
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
    {{270, 457, 303, 480}, kOnClick | kOnHold, "ThrottleDown"},
    {{304, 433, 337, 456}, kOnClick | kOnHold, "PropPitchUp"},
    {{304, 457, 337, 480}, kOnClick | kOnHold, "PropPitchDown"},
    {{338, 433, 369, 456}, kOnClick | kOnHold, "MixtureUp"},
    {{338, 457, 369, 480}, kOnClick | kOnHold, "MixtureDown"},
    {{241, 433, 271, 456}, kOnClick, "CloseCowlFlaps"},
    {{241, 457, 271, 480}, kOnClick, "OpenCowlFlaps"},
};
inline constexpr PanelClickRegion kBonanzaRegions[] = {
    {{485, 307, 635, 327}, PanelArea::AudioGroup, 0, 42},
    {{485, 415, 635, 437}, PanelArea::AutopilotGroup, 0, 42},
    {{583, 288, 635, 302}, PanelArea::DmeGroup, 0, 42},
    {{513, 333, 556, 356}, PanelArea::Com1Group, 0, 42},
    {{513, 360, 556, 385}, PanelArea::Com2Group, 0, 69},
    {{500, 387, 556, 411}, PanelArea::AdfGroup, 0, 42},
    {{563, 333, 635, 358}, PanelArea::Nav1Group, 0, 42},
    {{563, 360, 635, 384}, PanelArea::Nav2Group, 0, 69},
    {{563, 387, 639, 412}, PanelArea::TransponderGroup, 0, 42},
    {{130, 326, 247, 435}, PanelArea::HeadingCoursePair, 134, 403, 16, 222, 403, 16},
    {{373, 335, 476, 430}, PanelArea::Nav2CourseKnob, 376, 411, 18},
    {{259, 215, 365, 319}, PanelArea::AltimeterKnob, 261, 300, 18},
    {{374, 218, 476, 417}, PanelArea::AdfCourseKnob, 379, 299, 18},
    {{406, 438, 435, 479}, PanelArea::GearLever},
    {{438, 436, 482, 479}, PanelArea::FlapLever, 438, 436, 44, 44},
    {{370, 439, 403, 479}, PanelArea::ElevatorTrim, 370, 439, 34, 42},
    Row({0, 442, 236, 479}, kBonanzaSwitchRow),
    Row({241, 433, 369, 479}, kBonanzaEngineLevers),
};

// The Baron: on a right-engine control the left engine follows while synchronised.
inline constexpr PanelButton kBaronSwitchRows[] = {
    {{0, 447, 25, 480}, kOnClick, "CycleFuelSwitch"},
    {{26, 447, 51, 480}, kOnClick, "CycleFuelSwitchRight", "CycleFuelSwitchLeft"},
    {{52, 447, 60, 480}, kOnClick, "SetIgnitionOff"},
    {{61, 447, 68, 480}, kOnClick, "SetIgnitionRightMag"},
    {{69, 447, 77, 480}, kOnClick, "SetIgnitionLeftMag"},
    {{78, 447, 85, 480}, kOnClick, "SetIgnitionBothMag"},
    {{86, 447, 93, 480}, kOnClick, "SetIgnitionStart"},
    {{94, 447, 101, 480}, kOnClick, "SetIgnitionOffRight", "SetIgnitionOffLeft"},
    {{102, 447, 109, 480}, kOnClick, "SetIgnitionRightMagRight", "SetIgnitionRightMagLeft"},
    {{110, 447, 118, 480}, kOnClick, "SetIgnitionLeftMagRight", "SetIgnitionLeftMagLeft"},
    {{119, 447, 126, 480}, kOnClick, "SetIgnitionBothMagRight", "SetIgnitionBothMagLeft"},
    {{127, 447, 134, 480}, kOnClick, "SetIgnitionStartRight", "SetIgnitionStartLeft"},
    {{4, 407, 24, 444}, kOnClick, "ToggleBatteryPower"},
    {{25, 407, 46, 444}, kOnClick, "ToggleAvionicPower"},
    {{47, 407, 71, 444}, kOnClick, "TogglePitotHeat"},
    {{72, 407, 93, 444}, kOnClick, "ToggleStrobeLight"},
    {{94, 407, 115, 444}, kOnClick, "ToggleBeaconLight"},
    {{116, 407, 135, 444}, kOnClick, "ToggleNavLight"},
    {{136, 407, 157, 444}, kOnClick, "ToggleTaxiLight"},
    {{158, 407, 180, 444}, kOnClick, "ToggleLandingLight"},
    {{181, 407, 204, 444}, kOnClick, "ToggleSpeedBrake"},
    {{136, 446, 156, 480}, kOnClick, "ToggleLeftBoost"},
    {{157, 446, 176, 480}, kOnClick, "ToggleRightBoost"},
    {{178, 446, 204, 480}, kOnClick, "ToggleCowlFlaps"},
};
inline constexpr PanelClickRegion kBaronRegions[] = {
    {{484, 347, 635, 367}, PanelArea::AudioGroup, -1, 82},
    {{484, 455, 635, 477}, PanelArea::AutopilotGroup, -1, 82},
    {{582, 328, 635, 342}, PanelArea::DmeGroup, -1, 82},
    {{512, 373, 555, 396}, PanelArea::Com1Group, -1, 82},
    {{512, 400, 555, 425}, PanelArea::Com2Group, -1, 109},
    {{499, 427, 555, 451}, PanelArea::AdfGroup, -1, 82},
    {{562, 373, 634, 398}, PanelArea::Nav1Group, -1, 82},
    {{562, 400, 634, 424}, PanelArea::Nav2Group, -1, 109},
    {{562, 427, 638, 452}, PanelArea::TransponderGroup, -1, 82},
    {{120, 288, 239, 399}, PanelArea::HeadingCoursePair, 124, 370, 19, 213, 368, 20},
    {{366, 377, 388, 396}, PanelArea::Nav2CourseKnob, 366, 377, 22},
    {{246, 260, 268, 282}, PanelArea::AltimeterKnob, 246, 260, 22},
    {{366, 261, 388, 279}, PanelArea::AdfCourseKnob, 366, 261, 22},
    {{419, 409, 446, 478}, PanelArea::GearLever},
    {{382, 409, 416, 456}, PanelArea::ElevatorTrim, 382, 409, 36, 47},
    {{381, 457, 416, 479}, PanelArea::RudderTrim, 384, 457, 32, 22},
    {{447, 408, 480, 478}, PanelArea::FlapLever, 447, 408, 34, 71},
    Row({0, 407, 203, 479}, kBaronSwitchRows),
    {{210, 408, 380, 480}, PanelArea::LeverQuadrant, 242, 281, 305, 329, 355, 380},
};

// The King Air and the CitationJet share their RMI buttons.
inline constexpr PanelButton kRmiButtons[] = {
    {{6, 357, 24, 375}, kOnClick | kOnHold, "RMI1"},
    {{78, 357, 96, 375}, kOnClick | kOnHold, "RMI2"},
};
inline constexpr PanelButton kKingAirLeftSwitches[] = {
    {{0, 402, 18, 441}, kOnClick, "ToggleBatteryPower"},
    {{19, 402, 38, 441}, kOnClick, "ToggleAvionicPower"},
    {{39, 402, 58, 441}, kOnClick, "TogglePitotHeat"},
    {{59, 402, 77, 441}, kOnClick, "CycleFuelSwitch"},
    {{78, 402, 103, 441}, kOnClick, "CycleFuelSwitchRight", "CycleFuelSwitchLeft"},
};
inline constexpr PanelButton kKingAirLowerSwitches[] = {
    {{0, 442, 16, 479}, kOnClick, "SetIgnitionStart"},
    {{17, 442, 38, 479}, kOnClick, "SetIgnitionStartRight", "SetIgnitionStartLeft"},
    {{39, 442, 61, 479}, kOnClick, "ToggleStrobeLight"},
    {{62, 442, 82, 479}, kOnClick, "ToggleBeaconLight"},
    {{83, 442, 101, 479}, kOnClick, "ToggleNavLight"},
    {{102, 442, 122, 479}, kOnClick, "ToggleTaxiLight"},
    {{123, 442, 145, 479}, kOnClick, "ToggleLandingLight"},
    {{146, 442, 169, 479}, kOnClick, "ToggleSpeedBrake"},
    {{170, 442, 192, 479}, kOnClick, "ToggleLeftBoost"},
    {{193, 442, 218, 479}, kOnClick, "ToggleRightBoost"},
};
inline constexpr PanelClickRegion kKingAirRegions[] = {
    {{486, 348, 637, 368}, PanelArea::AudioGroup, 1, 83},
    {{486, 456, 637, 478}, PanelArea::AutopilotGroup, 1, 83},
    {{514, 374, 557, 397}, PanelArea::Com1Group, 1, 83},
    {{514, 401, 557, 426}, PanelArea::Com2Group, 1, 110},
    {{501, 428, 557, 452}, PanelArea::AdfGroup, 1, 83},
    {{564, 374, 636, 399}, PanelArea::Nav1Group, 1, 83},
    {{564, 401, 636, 425}, PanelArea::Nav2Group, 1, 110},
    {{566, 428, 640, 453}, PanelArea::TransponderGroup, 1, 83},
    {{584, 329, 637, 343}, PanelArea::DmeGroup, 1, 83},
    {{238, 177, 338, 278}, PanelArea::AltimeterKnob, 237, 256, 18},
    {{239, 289, 358, 401}, PanelArea::HeadingCoursePair, 254, 387, 16, 306, 387, 16},
    Row({1, 282, 103, 383}, kRmiButtons),
    {{417, 390, 446, 479}, PanelArea::GearLever},
    {{447, 390, 481, 479}, PanelArea::FlapLever, 447, 390, 34, 89},
    {{382, 390, 416, 437}, PanelArea::ElevatorTrim, 383, 399, 11, 39},
    {{384, 439, 416, 457}, PanelArea::RudderTrim, 384, 439, 33, 18},
    {{384, 458, 416, 479}, PanelArea::AileronTrim, 384, 458, 33, 21},
    Row({0, 402, 103, 441}, kKingAirLeftSwitches),
    Row({0, 442, 218, 479}, kKingAirLowerSwitches),
    {{210, 408, 380, 480}, PanelArea::LeverQuadrant, 255, 279, 304, 329, 355, 381},
};

inline constexpr PanelButton kCitationTemperatureButtons[] = {
    {{446, 463, 456, 472}, kOnClick, "ToggleTemperature"},
    {{464, 463, 474, 472}, kOnClick, "ToggleTemperature"},
};
inline constexpr PanelButton kCitationLeftSwitches[] = {
    {{0, 407, 17, 453}, kOnClick, "ToggleBatteryPower"},
    {{18, 407, 37, 453}, kOnClick, "ToggleAvionicPower"},
    {{38, 407, 57, 453}, kOnClick, "TogglePitotHeat"},
    {{58, 407, 79, 453}, kOnClick, "CycleFuelSwitch"},
    {{79, 407, 103, 453}, kOnClick, "CycleFuelSwitchRight", "CycleFuelSwitchLeft"},
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
    {{0, 384, 107, 410}, PanelArea::AudioGroup, -525, 120},
    {{484, 459, 635, 481}, PanelArea::AutopilotGroup, -1, 86},
    Group({523, 335, 577, 358}, PanelArea::Com1Group, 10, 44, kCitationComGroup),
    Group({523, 355, 577, 380}, PanelArea::Com2Group, 10, 64, kCitationComGroup),
    Group({510, 415, 613, 439}, PanelArea::AdfGroup, 10, 70, kCitationAdfGroup),
    Group({536, 375, 619, 400}, PanelArea::Nav1Group, -67, 84, kCitationNavGroup),
    Group({536, 395, 619, 419}, PanelArea::Nav2Group, -67, 104, kCitationNavGroup),
    Group({491, 440, 598, 458}, PanelArea::TransponderGroup, -50, 90, kCitationTransponderGroup),
    {{582, 317, 635, 331}, PanelArea::DmeGroup, -1, 71},
    {{267, 250, 283, 267}, PanelArea::AltimeterKnob, 267, 250, 16},
    {{380, 328, 468, 344}, PanelArea::HeadingCoursePair, 381, 328, 17, 450, 328, 17},
    Row({1, 282, 103, 383}, kRmiButtons),
    Row({441, 431, 480, 479}, kCitationTemperatureButtons),
    {{378, 395, 404, 479}, PanelArea::GearLever},
    {{406, 395, 437, 479}, PanelArea::FlapLever, 406, 395, 31, 84},
    {{341, 395, 376, 439}, PanelArea::ElevatorTrim, 341, 395, 35, 44},
    {{341, 440, 376, 458}, PanelArea::RudderTrim, 341, 440, 35, 18},
    {{341, 459, 376, 479}, PanelArea::AileronTrim, 341, 459, 35, 20},
    Row({0, 409, 103, 448}, kCitationLeftSwitches),
    Row({0, 447, 248, 479}, kCitationLowerSwitches),
    {{256, 399, 340, 479}, PanelArea::LeverQuadrant, 300, 340, 0, 0, 0, 0},
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
