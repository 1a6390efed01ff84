// The rectangles, frames and places the instrument drawing takes from the panel art, one table
// for the drawing and the art maker alike: the art is drawn where these say and the drawing
// takes it from there, so the two cannot drift apart. Positions that the panel layouts give are
// in panel_layouts.h; these are the ones the art decides (the radio stack's dots and labels, the
// hour meter, the DME fields, the strips' rows).
#pragma once

#include <cstdint>

#include "cockpit/panel_gauge.h"

namespace cockpit {

inline constexpr int kAircraftTypes = 5;

// The panel offset of each type's full-panel view: a row of the layout tables stands at screen
// row y + offset (the click tables are written in those screen rows).
inline constexpr std::int32_t kFullViewOffset[kAircraftTypes] = {14, 36, 0, 0, 34};
// The clock window's text point (layout rows); its two buttons stand under the window.
inline constexpr IntPoint kClockPoint[kAircraftTypes] = {
    {582, 342}, {347, 295}, {339, 296}, {41, 392}, {293, 365}};

// ---- palette roles each type's drawing names ---------------------------------------------------
struct PanelColours {
    std::int16_t edge;        // the panel's top edge line
    std::int16_t lampOn;      // radio, autopilot and audio lamps
    std::int16_t lampOff;
    std::int16_t dotPowered;  // the radio stack's power dots (and a NAV lamp without bearing)
    std::int16_t dotDark;     // without power (and a NAV lamp in bearing display)
    std::int16_t bar1;        // bar pointers: upper part, lower part, in the band
    std::int16_t bar2;
    std::int16_t band1;
    std::int16_t band2;
    std::int16_t shadow;      // the pointers' shadow column and the unpowered director's cover
    std::int16_t needle;      // the ADF and RMI needles and the course indicators' bars
    std::int16_t hsi;         // the HSI's course arrow, deviation bar and pointers
    std::int16_t bug;         // the heading bug
    std::int16_t trim;        // the elevator trim marker
    std::int16_t sideTrim;    // the rudder and aileron trim markers
};
inline constexpr PanelColours kPanelColours[kAircraftTypes] = {
    {12, 33, 59, 29, 12, 44, 40, 36, 60, 73, 39, 39, 20, 44, 44},
    {11, 24, 47, 22, 54, 44, 34, 35, 47, 73, 48, 48, 20, 48, 48},
    {13, 17, 48, 29, 12, 16, 46, 47, 33, 73, 43, 43, 20, 17, 47},
    {11, 50, 55, 25, 59, 29, 39, 27, 51, 73, 64, 64, 20, 44, 54},
    {62, 50, 52, 25, 11, 16, 44, 45, 41, 73, 20, 20, 21, 60, 45},
};
[[nodiscard]] inline const PanelColours& ColoursOf(int type) {
    return kPanelColours[type >= 0 && type < kAircraftTypes ? type : 0];
}

// ---- sprite frame numbers ------------------------------------------------------------------------
inline constexpr int kCoverFrame = 19;        // misc set: a hidden instrument's cover plate
inline constexpr int kTurnFace = 50;          // turn set: the inclinometer tube, ball, overlays
inline constexpr int kTurnBall = 51;
inline constexpr int kTurnLeftStop = 52;
inline constexpr int kTurnRightStop = 53;
inline constexpr int kCourseFace = 149;       // nav card set: the course indicator's face
inline constexpr int kToFlag = 152;
inline constexpr int kFromFlag = 153;
inline constexpr int kNavFlag = 154;
inline constexpr int kGlideFlag = 155;
inline constexpr int kAdfHub = 156;
inline constexpr int kRmiHub = 160;
inline constexpr int kHsiLubber = 145;        // heading card set: the C172's fixed index
inline constexpr int kHsiAircraft = 170;      // the HSIs' fixed aircraft symbol
inline constexpr int kHsiNavFlag = 171;
inline constexpr int kHsiHeadingFlag = 172;
inline constexpr int kHsiTurbineNavFlag = 180;
inline constexpr int kHsiTurbineHeadingFlag = 183;
inline constexpr int kMiscTrimWheel = 60;     // 60..63 elevator wheel, 64..67 side wheels
inline constexpr int kMiscSideTrim = 64;
inline constexpr int kMiscButtonOff = 90;     // the jet's radio buttons
inline constexpr int kMiscButtonOn = 91;
inline constexpr int kAudioKnobOff = 12;      // the jet's audio knobs in its misc set
inline constexpr int kAudioKnobOn = 14;
// Digit fonts: the stack sprites (lit 10..14, dark 20..24) and the jet's temperature units.
inline constexpr int kStackLit = 10;
inline constexpr int kStackDark = 20;
inline constexpr int kUnitBlank = 7;
inline constexpr int kUnitFahrenheit = 8;
inline constexpr int kUnitCelsius = 9;

// ---- the digit fonts ---------------------------------------------------------------------------------
// Fixed pitch, opaque, baseline 0: a text drawn at (x, y) fills the rows y - kDigitHeight .. y - 1.
inline constexpr int kDigitPitch = 6;
inline constexpr int kDigitHeight = 7;
// A decimal point: two pixels square on the digits' two bottom rows, a pixel clear of the digit
// on either side. The NAV and COM windows set their kilohertz three pixels further right than
// the megahertz' cells end, for it; the DME's distance in tenths starts its miles three pixels
// left of the field, so that the tenth keeps the third cell (the NM label follows it).
inline constexpr int kDecimalPointSize = 2;
inline constexpr int kFrequencySecondField = 3 * kDigitPitch + kDecimalPointSize + 1;
inline constexpr int kDmeMilesX = -(kDecimalPointSize + 1);
inline constexpr int kDmeTenthsX = 2 * kDigitPitch;
// The jet's engine readouts and the turbine baro digits use their own, smaller cell.
inline constexpr int kSmallDigitPitch = 5;
inline constexpr int kSmallDigitHeight = 6;
// The counter altimeter's setting window, from the drums' point: its digits' baseline and first
// cell, and its width (four digits and a point).
inline constexpr int kBaroDigitsX = 16;
inline constexpr int kBaroDigitsY = 24;
inline constexpr int kBaroWindowWidth = 4 * kSmallDigitPitch + kDecimalPointSize;
// A small readout in tenths (the jet's N1): the two whole digits a column left of the field, the
// point two pixels square a column clear of them, the tenth in the field's third cell.
inline constexpr int kReadoutWholeX = -1;
inline constexpr int kReadoutPointX = kReadoutWholeX + 2 * kSmallDigitPitch;
inline constexpr int kReadoutTenthX = kReadoutPointX + kDecimalPointSize;

// ---- turn coordinator ------------------------------------------------------------------------------
// The ball: frame 51's string point is (x + b - 32, y + dy + 24); it is 11 x 12 pixels.
inline constexpr int kTurnBallWidth = 11;
inline constexpr int kTurnBallHeight = 12;

// ---- altimeters ----------------------------------------------------------------------------------------
struct ThreePointerVariant {
    IntRect face;      // the face's rectangle of the panel background, restored on every paint
    IntPoint baro;     // the barometric window, from the instrument's point
    IntPoint lowFlag;  // the low-altitude window, from the instrument's point
};
inline constexpr ThreePointerVariant kThreePointer[3] = {
    {{255, 38, 343, 126}, {25, -7}, {-8, 13}},
    {{269, 28, 356, 114}, {26, -6}, {-9, 14}},
    {{258, 37, 346, 125}, {25, -7}, {-8, 13}},
};
// The barometric strip: one row per hundredth from 28.10 (the window shows rows k + 1 .. k + 15
// for a setting of 2810 + k, k at most 304; the setting's own row is the window's middle, k + 8).
inline constexpr int kBaroStripWidth = 13;
inline constexpr int kBaroStripHeight = 320;
inline constexpr int kBaroFirst = 2810;
inline constexpr int kBaroLast = 3100;
// The low-altitude flag strip: the window (m, 0)-(m + 17, 10), m up to 18.
inline constexpr int kLowFlagWidth = 36;
inline constexpr int kLowFlagHeight = 11;
// The counter altimeter's drum strip: digit d (0..10, 10 showing 0 again) centred on row
// 18 + 12.1 d; blank from row 154; the windows are 9 wide, the hundreds 19 rows high and the
// thousands and ten-thousands 11.
inline constexpr int kDrumWidth = 9;
inline constexpr int kDrumHeight = 165;
inline constexpr int kDrumBlankRow = 154;
inline constexpr double kDrumPitch = 12.1;
[[nodiscard]] inline double DrumDigitCentre(int d) {
    return 18.0 + kDrumPitch * d;
}

// ---- course indicators ----------------------------------------------------------------------------
struct CourseVariant {
    IntPoint to, from, nav, glide;
    std::int32_t halfLength;
    std::int32_t colour;
};
inline constexpr CourseVariant kCourseVariants[3] = {
    {{15, -11}, {15, 6}, {3, -19}, {-19, -11}, 24, 39},
    {{14, -11}, {14, 6}, {3, -19}, {-20, -11}, 23, 48},
    {{12, -9}, {12, 4}, {2, -19}, {-19, -12}, 24, 43},
};
// The C172's NAV2 indicator in the ADF's place: the ADF face's rectangle of the background.
inline constexpr IntRect kC172LowerRightFace{374, 157, 462, 245};
// The ADF and RMI needles' length (from the card's centre) by aircraft type.
inline constexpr std::int32_t kBearingNeedleRadius[kAircraftTypes] = {32, 31, 32, 30, 30};
// The RMI's selector annunciators (frame, point from the centre), selector 1 clear and set, then
// selector 2 clear and set.
struct RmiMark {
    std::int32_t frame;
    IntPoint at;
};
inline constexpr RmiMark kRmiMarks[4][2] = {
    {{162, {-34, 24}}, {166, {-43, 30}}},
    {{161, {-28, 29}}, {165, {-43, 30}}},
    {{163, {29, 23}}, {168, {28, 30}}},
    {{164, {24, 29}}, {167, {28, 30}}},
};

// ---- radio stack: power dots, labels and the DME -----------------------------------------------
// The stack's places in the Bonanza's panel rows (the C172's are 74 rows higher, the Baron's and
// the King Air's move by their dot offsets); the jet has its own.
inline constexpr int kStackDots = 10;
inline constexpr int kNav1LampDot = 4;  // the NAV radios' lamps are these two dots
inline constexpr int kNav2LampDot = 8;  // 9 on the piston types and the King Air, 10 on the jet
inline constexpr IntPoint kStackDotTable[kStackDots] = {
    {486, 261}, {486, 305}, {486, 332}, {492, 359}, {563, 305},
    {601, 359}, {486, 280}, {484, 392}, {563, 332}, {0, 0}};
inline constexpr IntPoint kJetDotTable[kStackDots] = {
    {486, 250}, {497, 267}, {497, 287}, {503, 347}, {497, 307},
    {564, 367}, {257, 310}, {497, 393}, {497, 327}, {631, 265}};
// Four labels (stack power, then the DME's NM, KT and MIN) drawn lit or dark.
inline constexpr IntPoint kStackFrameTable[4] = {{630, 271}, {512, 264}, {546, 264}, {570, 264}};
inline constexpr IntPoint kJetFrameTable[4] = {{631, 263}, {512, 253}, {546, 253}, {570, 253}};
inline constexpr IntPoint kDotOffsets[kAircraftTypes] = {{0, -74}, {0, 0}, {-1, 77}, {1, 78},
                                                          {-1, 43}};
// The DME's source lamps' row and its readout's place (x, row), both from the panel offset.
inline constexpr std::int32_t kDmeLampRow[kAircraftTypes] = {184, 258, 258, 258, 247};
inline constexpr IntPoint kDmeReadout[kAircraftTypes] = {
    {493, 190}, {493, 264}, {492, 341}, {494, 342}, {492, 296}};
inline constexpr std::int32_t kDmeFieldX[3] = {0, 34, 65};
[[nodiscard]] inline int StackDotCount(int type) {
    return type == 4 ? 10 : 9;
}
// A stack dot or label on the screen: table, the C172's shift, the dot offset and the panel's.
[[nodiscard]] inline IntPoint StackDot(int type, int index, int panelOffset) {
    const IntPoint t = type == 4 ? kJetDotTable[index] : kStackDotTable[index];
    const IntPoint o = kDotOffsets[type >= 0 && type < kAircraftTypes ? type : 0];
    return {t.x + o.x, t.y + o.y + panelOffset};
}
[[nodiscard]] inline IntPoint StackLabel(int type, int index, int panelOffset) {
    const IntPoint t = type == 4 ? kJetFrameTable[index] : kStackFrameTable[index];
    const IntPoint o = kDotOffsets[type >= 0 && type < kAircraftTypes ? type : 0];
    return {t.x + o.x, t.y + o.y + panelOffset};
}
[[nodiscard]] inline IntPoint DmeSourceLamp(int type, int which, int panelOffset) {
    const int t = type >= 0 && type < kAircraftTypes ? type : 0;
    const IntPoint o = kDotOffsets[t];
    // The C172's row already counts its own rows.
    const int shift = t == 0 ? 0 : o.y;
    return {513 + 4 * which + o.x, kDmeLampRow[t] + shift + panelOffset};
}

// ---- autopilot and audio panels ---------------------------------------------------------------------
// From the panel's origin: lamps and labels of ALT HDG NAV APR BC AP, then GS and TRIM labels.
inline constexpr IntPoint kAutopilotLamps[6] = {{502, 391}, {520, 391}, {550, 391},
                                                {568, 391}, {586, 391}, {620, 391}};
inline constexpr IntPoint kAutopilotLabels[8] = {{504, 382}, {521, 382}, {551, 382}, {570, 382},
                                                 {590, 382}, {624, 382}, {538, 382}, {602, 381}};
inline constexpr IntPoint kAutopilotRocker{487, 381};
// Rectangles of the autopilot art: lit labels 0..7 and the rocker positions 0, 1, 2; unlit labels,
// the same words in grey in the same places of the art's lower half, so that an unlit button
// still says what it is.
inline constexpr IntRect kAutopilotLit[11] = {
    {8, 0, 17, 4},   {0, 28, 10, 32},  {5, 5, 16, 9},    {0, 33, 10, 37},
    {12, 28, 18, 32}, {0, 33, 6, 37},  {0, 0, 6, 4},     {0, 45, 16, 51},
    {11, 10, 19, 27}, {21, 10, 29, 27}, {1, 10, 9, 27}};
inline constexpr int kAutopilotArtWidth = 32;
inline constexpr int kAutopilotUnlitRow = 53;
inline constexpr int kAutopilotArtHeight = 2 * kAutopilotUnlitRow - 1;
inline constexpr IntRect Unlit(IntRect lit) {
    return {lit.left, lit.top + kAutopilotUnlitRow, lit.right, lit.bottom + kAutopilotUnlitRow};
}
inline constexpr IntRect kAutopilotUnlit[8] = {
    Unlit(kAutopilotLit[0]), Unlit(kAutopilotLit[1]), Unlit(kAutopilotLit[2]),
    Unlit(kAutopilotLit[3]), Unlit(kAutopilotLit[4]), Unlit(kAutopilotLit[5]),
    Unlit(kAutopilotLit[6]), Unlit(kAutopilotLit[7])};
inline constexpr IntPoint kAudioLamps[7] = {{529, 276}, {540, 276}, {558, 276}, {569, 276},
                                            {587, 276}, {605, 276}, {623, 276}};
inline constexpr IntPoint kJetAudioKnobs[7] = {{8, 396},  {20, 396}, {36, 396}, {48, 396},
                                               {64, 396}, {80, 396}, {96, 396}};
// The jet's audio knobs stand this far above their places (their frames' anchors say so).
inline constexpr int kJetAudioKnobRise = 85;
inline constexpr IntPoint kMarkerLamps[3] = {{493, 276}, {503, 276}, {513, 276}};
inline constexpr IntPoint kJetMarkerLamps[3] = {{263, 314}, {271, 314}, {279, 314}};
inline constexpr IntRect kMarkerLit[3] = {{7, 0, 13, 9}, {7, 10, 13, 19}, {7, 20, 13, 29}};
inline constexpr IntRect kMarkerUnlit[3] = {{0, 0, 6, 9}, {0, 10, 6, 19}, {0, 20, 6, 29}};
inline constexpr int kAutopilotLampLength = 13;
inline constexpr int kAudioLampLength = 6;

// ---- switches and selectors ------------------------------------------------------------------------
// The C172's switch art: style 0 (off, on) and style 1 (the battery master).
inline constexpr IntRect kToggleC172[2][2] = {{{16, 0, 22, 18}, {24, 0, 30, 18}},
                                              {{0, 0, 6, 18}, {8, 0, 14, 18}}};
inline constexpr IntRect kToggleBonanza[2] = {{18, 12, 35, 34}, {0, 0, 17, 27}};
struct RotaryTable {
    std::int32_t count;
    IntRect rects[5];
};
// Rotary selectors by aircraft (0 C172, 1 Bonanza, 2 Baron) and kind (2 ignition, 7 fuel).
[[nodiscard]] const RotaryTable* RotaryRects(int aircraft, int kind);
// The flap strip's rectangle for a setting (held to the type's settings) and the swapped panel.
[[nodiscard]] IntRect FlapsRect(int type, int setting, bool swapped);
// The gear knob's source rectangle by type.
[[nodiscard]] inline IntRect GearKnobSource(int type) {
    return type == 1 ? IntRect{0, 0, 12, 31} : IntRect{0, 0, 14, 32};
}

// ---- lever quadrants ------------------------------------------------------------------------------------
struct QuadrantPiece {
    std::int32_t frame, dx, dy;
};
// Rows in the lever order right mixture, left mixture, right propeller, left propeller, right
// throttle, left throttle; the Baron's (variant 2) and the King Air's (variant 3).
inline constexpr QuadrantPiece kQuadrantShaft[2][6] = {
    {{57, 157, 42}, {56, 134, 42}, {57, 107, 42}, {56, 84, 42}, {52, 44, 42}, {51, 5, 42}},
    {{57, 130, 41}, {56, 108, 41}, {57, 79, 41}, {56, 57, 41}, {57, 30, 43}, {56, 8, 43}}};
inline constexpr QuadrantPiece kQuadrantKnob[2][6] = {
    {{53, 154, 42}, {53, 145, 42}, {53, 104, 42}, {53, 95, 44}, {53, 41, 42}, {53, 32, 42}},
    {{53, 126, 54}, {53, 117, 54}, {53, 75, 54}, {53, 66, 54}, {53, 26, 54}, {53, 17, 54}}};
inline constexpr QuadrantPiece kQuadrantTop[2][6] = {
    {{55, 152, 2}, {55, 126, 2}, {54, 102, 2}, {54, 78, 2}, {50, 39, 0}, {50, 0, 0}},
    {{55, 124, 2}, {55, 98, 2}, {54, 73, 2}, {54, 49, 2}, {50, 24, 0}, {50, 0, 0}}};
inline constexpr IntRect kQuadrantClip[2] = {{204, 410, 380, 479}, {232, 410, 380, 479}};
// The screen row of a quadrant handle's top at knob position 0: every position 0..45 of the
// handle lies inside the slot (rows 410 or 412 to 479).
inline constexpr std::int16_t kQuadrantIdleRow = 466;
inline constexpr QuadrantPiece kJetShaft[2] = {{52, 44, 42}, {51, 5, 42}};
inline constexpr QuadrantPiece kJetKnob[2] = {{53, 41, 42}, {53, 32, 42}};
inline constexpr QuadrantPiece kJetTop[2] = {{50, 39, 0}, {50, 0, 0}};
inline constexpr IntRect kJetThrottleClip{261, 412, 340, 479};
// The Bonanza's quadrant bitmap: cowl flaps, throttle, propeller, mixture pieces and their x.
inline constexpr IntRect kBonanzaPieces[4] = {{0, 0, 42, 36}, {43, 0, 83, 36}, {84, 0, 122, 36},
                                              {123, 0, 153, 36}};
inline constexpr std::int32_t kBonanzaPieceX[4] = {0, 33, 66, 98};
inline constexpr IntRect kBonanzaQuadrantClip{241, 443, 369, 479};

// ---- engine gauges ----------------------------------------------------------------------------------
// The hour meter's digits: 6 x 5 each, side by side, from the tachometer's pivot.
// It stands low on the dial, below the numbers of its scale's ends.
inline constexpr IntPoint kHourMeterOffset{-15, 22};
// The jet's tapes: the longest a tape grows above its base.
inline constexpr int kTapeHeight = 76;
// The jet's temperature unit lamps (screen rows) and the unit glyph after the number.
inline constexpr IntPoint kTemperatureLamps[2] = {{446, 464}, {464, 464}};
inline constexpr IntPoint kTemperatureUnitOffset{3 * kDigitPitch + 1, 0};

// ---- heading indicators --------------------------------------------------------------------------------
// The drawn parts of each variant (1 Bonanza, 2 Baron, 3 King Air, 4 CitationJet): the course
// arrow's reach and head, the deviation dots' spacing and count a side (the bar moves one dot
// per 20 / count units), the bar's half length, the glide-slope pointers' x, the TO/FROM
// arrow's sizes, the heading bug's radius and size, the warning flags' frames.
struct HsiStyle {
    std::int32_t cardRadius;
    std::int32_t arrowRadius;
    std::int32_t arrowHead;
    std::int32_t arrowHalfWidth;
    std::int32_t dotSpacing;
    std::int32_t dots;
    std::int32_t barHalf;
    std::int32_t glideX;
    std::int32_t toFromTip;
    std::int32_t toFromBase;
    std::int32_t bugRadius;
    std::int32_t bugSize;
    std::int32_t navFlag;
    std::int32_t headingFlag;
};
[[nodiscard]] const HsiStyle& HsiStyleOf(int variant);
// The turbine HSI's digit fields from the centre (text points: the digits fill the rows above):
// the heading in a box at the top of the card, and outside the bezel the DME's distance (with its
// decimal point, four cells), ground speed and time to station, each with its unit (frames 5, 6
// and 7 of the digit set: NM, KT, MIN) beneath it.
inline constexpr IntPoint kHsiHeadingDigits{-8, -35};
inline constexpr IntPoint kHsiDmeDigits[3] = {{-52, -38}, {34, -38}, {34, 44}};
inline constexpr IntPoint kHsiDmeUnits[3] = {{-52, -37}, {34, -37}, {34, 45}};
inline constexpr int kHsiDmeUnitFrame = 5;
// The widest a DME field is drawn: "99.9" or "999".
inline constexpr int kHsiDmeCells[3] = {4, 3, 2};

}  // namespace cockpit
