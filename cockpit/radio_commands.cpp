#include "cockpit/radio_commands.h"

#include <cmath>

#include "cockpit/aircraft_kind.h"
#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/nav_course.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/radio_words.h"
#include "devices/beacon_sound.h"
#include "devices/sound_device.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "nav/nav_database.h"
#include "world/runway_lights.h"
#include "world/terrain_services.h"

namespace cockpit {

std::uint32_t theLastPostedMenuCommand = 0;
std::int32_t theAutopilotModeIndex = 0;

namespace {

int NoFlightPlan() {
    return 0;
}
int RememberMenuCommand(std::uint32_t id) {
    theLastPostedMenuCommand = id;
    return 1;
}

bool Powered() {
    return theMasterSwitch.switchState != 0 && theAvionicsSwitch.switchState != 0;
}
flight::FlightModelState& Fm() {
    return flight::theFlightModelState;
}

// The autopilot panel's lamps.
std::int32_t& APalt = theAutopilotPanel.buttons[0];
std::int32_t& APhdg = theAutopilotPanel.buttons[1];
std::int32_t& APnav = theAutopilotPanel.buttons[2];
std::int32_t& APapr = theAutopilotPanel.buttons[3];
std::int32_t& APbc = theAutopilotPanel.buttons[4];
std::int32_t& APap = theAutopilotPanel.buttons[5];
std::int32_t& APgs = theAutopilotPanel.buttons[6];

constexpr std::uint16_t kLateralKept = 0xD1;

void Select(PanelGauge& g, std::int32_t on) {
    g.selected = on;
    g.selectedChanged = 1;
}

void SetHsiKnob(std::int32_t on) {
    theHsiGauge.courseKnobSelected = on;
    theHsiGauge.dirty = 1;
}

void SelectNavSide(PanelGauge& g) {
    ClearNavRadioSelection();
    Select(g, 1);
}

void ClearComSideAnd(PanelGauge* keep) {
    for (PanelGauge* g : {&theCom1Radio, &theCom2Radio, &theTransponder, &theNav1Radio,
                          &theNav2Radio, &theAdfRadio})
        if (g != keep && g->selected != 0) Select(*g, 0);
    if (theHsiGauge.courseKnobSelected != 0) SetHsiKnob(0);
    Select(*keep, 1);
}

// Steps a value inside [low, high], wrapping to the other end.
std::int32_t Wrap(std::int32_t v, std::int32_t low, std::int32_t high) {
    if (v < low) return high;
    if (v > high) return low;
    return v;
}

// One step of a transponder digit pair: both digits stay octal, 77 and 0 wrap into each other.
std::uint16_t StepOctalPair(std::uint16_t pair, int step) {
    std::int32_t v = pair + step;
    if (v % 10 == 8 || v % 10 == 9) v += 2 * step;
    if (v < 0) return 77;
    if (v > 77) return 0;
    return static_cast<std::uint16_t>(v);
}

// A card heading 1..360 one step on: +1 wraps 360 to 1, -1 wraps 1 to 360.
std::int16_t StepHeading(std::int16_t heading, int step) {
    std::int32_t h = heading + step;
    if (h > 360) h = 1;
    if (h < 1) h = 360;
    return static_cast<std::int16_t>(h);
}

std::int16_t CardFrame(std::int32_t heading) {
    return static_cast<std::int16_t>(std::trunc(heading * 0.4 + 0.5));
}

// 360 - heading, with 360 for 0.
std::uint16_t CourseFromCard(std::int32_t heading) {
    const std::int32_t c = 360 - heading;
    return static_cast<std::uint16_t>(c <= 0 ? 360 : c);
}

std::int32_t BearingDisplay(std::uint16_t course, std::uint16_t direction) {
    return direction != 0 ? course : -1;
}

bool AdfCardShown(int t) {
    return (C172Kind(t) && theNav2Indicator.altFace == 0) || t == 1 || t == 2;
}

void StepAdfCard(int step) {
    std::int32_t frame = theAdfIndicator.cardFrame + step;
    if (frame > 143) frame = 0;
    if (frame < 0) frame = 143;
    theAdfIndicator.cardFrame = static_cast<std::int16_t>(frame);
    theAdfIndicator.dirty = 1;
}

void Knob(int step) {
    const int t = AircraftType();
    NavReceiverWords& w = theNavReceiverWords;
    if (theNav1Radio.selected != 0) {
        // NAV1's course moves a degree a step: the C172's card turns the other way (it shows
        // 360 - course at its index), the other types' HSI course arrow with the knob.
        const std::int32_t course = C172Kind(t) ? CourseFromCard(theNav1Indicator.courseDegrees)
                                                : theHsiGauge.course;
        SetSelectedRadioCourse(StepHeading(static_cast<std::int16_t>(course), step));
    } else if (theNav2Radio.selected != 0) {
        PanelGauge& card = theNav2Indicator;
        card.courseDegrees = StepHeading(card.courseDegrees, -step);
        card.cardFrame = CardFrame(card.courseDegrees);
        card.dirty = 1;
        w.vor2_obs_setting = CourseFromCard(card.courseDegrees);
        theNav2Radio.bearing = BearingDisplay(w.vor2_obs_setting, w.vor2_dir_flag);
        theNav2Radio.dirty = 1;
        w.vor2_obs_pd = static_cast<std::uint16_t>(std::trunc(w.vor2_obs_setting * 182.04 + 0.5));
    } else if (theAdfRadio.selected != 0) {
        if (AdfCardShown(t)) StepAdfCard(-step);
    }
}

void StepStandby(PanelGauge& radio, int mhzStep, int khzStep, std::int32_t mhzLow,
                 std::int32_t mhzHigh, std::int32_t khzHigh) {
    radio.standbyMHz =
        static_cast<std::uint16_t>(Wrap(radio.standbyMHz + mhzStep, mhzLow, mhzHigh));
    radio.standbyKHz = static_cast<std::uint16_t>(Wrap(radio.standbyKHz + khzStep, 0, khzHigh));
    radio.dirty = 1;
}

void SetHeadingBug(std::int32_t bug) {
    bug %= 360;
    if (bug < 0) bug += 360;
    theHsiGauge.headingBug = static_cast<std::int16_t>(bug);
    theHsiGauge.dirty = 1;
    Fm().fmApHeadingSel = static_cast<std::uint16_t>(std::trunc(bug * 182.04));
}

// The NAV-side tuning keys: megahertz (or tens of degrees, or the DME selector) and kilohertz.
void Tune(int mhzStep, int khzStep) {
    for (PanelGauge* radio : {&theNav1Radio, &theNav2Radio}) {
        if (radio->selected == 0) continue;
        if (radio->bearingMode == 0) StepStandby(*radio, mhzStep, khzStep * 5, 8, 17, 95);
        return;
    }
    if (theAdfRadio.selected != 0) {
        StepStandby(theAdfRadio, mhzStep, khzStep, 0, 19, 99);
    } else if (theHsiGauge.courseKnobSelected != 0) {
        SetHeadingBug(theHsiGauge.headingBug + 10 * mhzStep + khzStep);
    } else if (theDmeRadio.selected != 0 && mhzStep != 0) {
        if (mhzStep < 0)
            StepDmeModeDown();
        else
            StepDmeModeUp();
        PlayPanelClick(9500, 100);
        if (theDmeSource.dmeHLD == 0) EmptyStationIdent(devices::BeaconSound::kDme);
    }
}

void TuneCom(int mhzStep, int khzStep) {
    if (theCom1Radio.selected != 0) {
        StepStandby(theCom1Radio, mhzStep, khzStep * 5, 18, 35, 95);
    } else if (theCom2Radio.selected != 0) {
        StepStandby(theCom2Radio, mhzStep, khzStep * 5, 18, 35, 95);
    } else if (theTransponder.selected != 0) {
        PanelGauge& x = theTransponder;
        if (mhzStep != 0) x.activeMHz = StepOctalPair(x.activeMHz, mhzStep);
        if (khzStep != 0) x.activeKHz = StepOctalPair(x.activeKHz, khzStep);
        x.buttons[1] = 0;
        x.dirty = 1;
    }
}

void MarkTransfer(PanelGauge& radio) {
    radio.dirty = 1;
    radio.refresh = 1;
    radio.transferLamp = 1;
    radio.transferRedraw = 1;
}

// Swaps a radio's active and standby words; the new active frequency takes effect through the
// one place that handles frequency changes.
void FlipStandby(PanelGauge& radio, Radio which) {
    const std::uint16_t mhz = radio.standbyMHz;
    const std::uint16_t khz = radio.standbyKHz;
    radio.standbyMHz = radio.activeMHz;
    radio.standbyKHz = radio.activeKHz;
    MarkTransfer(radio);
    SetActiveFrequency(which, static_cast<std::int16_t>(mhz), static_cast<std::int16_t>(khz));
}

void ParkRmi(std::int16_t& needle) {
    needle = 90;
    theAdfIndicator.dirty = 1;
}

void ToggleAudio(std::int32_t& button, int pan) {
    button = button != 0 ? 0 : 1;
    theAudioPanel.dirty = 1;
    PlayPanelClick(pan, 100);
}

void AutopilotSide(std::int32_t& lamp, int index, int pan) {
    PlayPanelClick(pan);
    if (lamp == 0) {
        APhdg = APnav = APapr = APbc = 0;
        lamp = 1;
        theAutopilotModeIndex = index;
    } else {
        lamp = 0;
    }
    theAutopilotPanel.dirty = 1;
}

void AutopilotCoupled(std::int32_t& lamp, int index, int pan) {
    PlayPanelClick(pan);
    if (lamp != 0) {
        lamp = 0;
        APgs = 0;
    } else {
        APhdg = APnav = APapr = APbc = 0;
        lamp = 1;
        theAutopilotModeIndex = index;
    }
    theAutopilotPanel.dirty = 1;
    if (APap != 0) SetApproachCoupling(lamp != 0);
    ApplyLateralMode();
}

bool AltitudeOrGlideSlopeActive() {
    return (Fm().fmAutopilotModes & flight::kApModeAltitude) != 0 ||
           (Fm().fmAutopilotState & flight::kApStateGlideSlope) != 0;
}

void RestoreKeyboardElevator() {
    std::int16_t* keyboard = thePanelHost.controlWord(3);
    const std::int16_t* trim = thePanelHost.controlWord(0);
    *keyboard = static_cast<std::int16_t>(Fm().fmElv - *trim);
}

void TrimAutopilot(std::int16_t frame, int pitchStep) {
    theAutopilotPanel.lever = frame;
    theAutopilotPanel.dirty = 1;
    if ((Fm().fmAutopilotModes & flight::kApModeEngaged) != 0 && !AltitudeOrGlideSlopeActive())
        Fm().fmApPitchTarget = static_cast<std::int16_t>(Fm().fmApPitchTarget + pitchStep);
}

}  // namespace

void SteerAutopilotToHeadingBug() {
    SetHeadingBug(theHsiGauge.headingBug);
}

RadioCommandHost DefaultRadioCommandHost() {
    return RadioCommandHost{&NoFlightPlan, &NoFlightPlan, &RememberMenuCommand};
}
RadioCommandHost theRadioCommandHost = DefaultRadioCommandHost();

void PlayPanelClick(int pan, int priority) {
    devices::theEffectSound.Play(12, pan, -300, 0, 0, priority);
}

void StopMarkerTone() {
    devices::SoundChannel& s = devices::theSystemsSound;
    if (s.effectId == 16 || s.effectId == 20 || s.effectId == 21) {
        s.Stop();
        s.Release();
    }
}

// ---- selection ----------------------------------------------------------------------------------

void ClearNavRadioSelection() {
    for (PanelGauge* g : {&theNav1Radio, &theNav2Radio, &theAdfRadio}) {
        if (g->selected != 0) {
            Select(*g, 0);
            return;
        }
    }
    if (theHsiGauge.courseKnobSelected != 0) {
        SetHsiKnob(0);
        return;
    }
    if (theDmeRadio.selected != 0) Select(theDmeRadio, 0);
}

void Nav1() {
    SelectNavSide(theNav1Radio);
}
void Nav2() {
    SelectNavSide(theNav2Radio);
}
void DME() {
    SelectNavSide(theDmeRadio);
}
void ADF() {
    SelectNavSide(theAdfRadio);
}
void StepHeadingBug(int step) {
    SetHeadingBug(theHsiGauge.headingBug + step);
}

void SelectHeadingBug() {
    ClearNavRadioSelection();
    SetHsiKnob(1);
}

void Comm1() {
    nav::theAtcRadioIndex = 0;
    ClearComSideAnd(&theCom1Radio);
}
void Comm2() {
    nav::theAtcRadioIndex = 1;
    ClearComSideAnd(&theCom2Radio);
}
void Transponder() {
    nav::theAtcRadioIndex = 2;
    ClearComSideAnd(&theTransponder);
}

void RMI1() {
    if (!TurbineKind(AircraftType())) return;
    PlayPanelClick(-9000);
    ParkRmi(theAdfIndicator.needle);
    theAdfIndicator.buttons[0] = theAdfIndicator.buttons[0] != 0 ? 0 : 1;
}

void RMI2() {
    if (TurbineKind(AircraftType())) {
        PlayPanelClick(-8000);
        theAdfIndicator.buttons[1] = theAdfIndicator.buttons[1] != 0 ? 0 : 1;
    }
    ParkRmi(theAdfIndicator.needle2);
}

// ---- knobs and tuning
// -----------------------------------------------------------------------------

void OBSDown() {
    Knob(-1);
}
void OBSUp() {
    Knob(1);
}
void NavMHzDown() {
    Tune(-1, 0);
}
void NavMHzUp() {
    Tune(1, 0);
}
void NavKHzDown() {
    Tune(0, -1);
}
void NavKHzUp() {
    Tune(0, 1);
}

namespace {

// A course the positioning dialogs set (nav_course.h) turns its card; NAV1 off the C172 panels
// is the HSI, whose course the dialogs set themselves.
void TakeCourseSetOutside(NavCourseWords& words, PanelGauge& card, bool turnsCard) {
    if (words.courseRedraw == 0) return;
    words.courseRedraw = 0;
    if (!turnsCard) return;
    const int course =
        words.selectedCourse < 1 || words.selectedCourse > 360 ? 360 : words.selectedCourse;
    card.courseDegrees = static_cast<std::int16_t>(360 - course == 0 ? 360 : 360 - course);
    card.cardFrame = CardFrame(card.courseDegrees);
    card.dirty = 1;
}

void MirrorCourse(NavCourseWords& words, std::uint16_t course, std::uint16_t angle) {
    words.selectedCourse = course;
    words.courseAngle = angle;
    words.obsCard = static_cast<std::int16_t>(360 - course);
    words.obsCardPosition = static_cast<std::int16_t>((360 - course) * 0.4 + 0.5);
}

}  // namespace

void UpdateObsCourses() {
    NavReceiverWords& w = theNavReceiverWords;
    const bool c172 = C172Kind(AircraftType());
    TakeCourseSetOutside(theNav1Course, theNav1Indicator, c172);
    TakeCourseSetOutside(theNav2Course, theNav2Indicator, true);
    if (theAdfCard.card != theAdfCardTaken.card ||
        theAdfCard.position != theAdfCardTaken.position) {
        theAdfCardTaken = theAdfCard;
        if (AdfCardShown(AircraftType())) {
            theAdfIndicator.cardFrame = static_cast<std::int16_t>(theAdfCard.position % 144);
            theAdfIndicator.dirty = 1;
        }
    }
    w.vor1_obs_setting = c172 ? CourseFromCard(theNav1Indicator.courseDegrees)
                              : static_cast<std::uint16_t>(theHsiGauge.course);
    if (w.vor1_obs_setting < 1 || w.vor1_obs_setting > 360) w.vor1_obs_setting = 360;
    theNav1Radio.bearing = BearingDisplay(w.vor1_obs_setting, w.vor1_dir_flag);
    UpdateNav1CourseAngle();
    w.vor2_obs_setting = CourseFromCard(theNav2Indicator.courseDegrees);
    theNav2Radio.bearing = BearingDisplay(w.vor2_obs_setting, w.vor2_dir_flag);
    w.vor2_obs_pd = static_cast<std::uint16_t>(std::trunc(w.vor2_obs_setting * 182.04 + 0.5));
    MirrorCourse(theNav1Course, w.vor1_obs_setting, w.vor1_obs_pd);
    MirrorCourse(theNav2Course, w.vor2_obs_setting, w.vor2_obs_pd);
}

void SetSelectedRadioCourse(int degrees) {
    const int t = AircraftType();
    if (degrees < 1 || degrees > 360) degrees = 360;
    if (theNav1Radio.selected != 0) {
        if (C172Kind(t)) {
            const std::int32_t heading = 360 - degrees == 0 ? 360 : 360 - degrees;
            theNav1Indicator.courseDegrees = static_cast<std::int16_t>(heading);
            theNav1Indicator.cardFrame = CardFrame(heading);
            theNav1Indicator.dirty = 1;
        } else {
            theHsiGauge.course = static_cast<std::int16_t>(degrees);
            theHsiGauge.dirty = 1;
        }
        theNav1Radio.dirty = 1;
        UpdateObsCourses();
    } else if (theAdfRadio.selected != 0 && AdfCardShown(t)) {
        theAdfIndicator.cardFrame = CardFrame(360 - degrees);
        theAdfIndicator.dirty = 1;
    }
}

void StepDmeModeUp() {
    DmeSelector& d = theDmeSource;
    if (d.dmeN1 != 0) {
        d.dmeN1 = 0;
        d.dmeHLD = 1;
    } else if (d.dmeHLD != 0) {
        d.dmeHLD = 0;
        d.dmeN2 = 1;
        theDmeHold.captured = 0;
    } else if (d.dmeN2 != 0) {
        d.dmeN2 = 0;
        d.dmeN1 = 1;
    } else {
        theDmeSelector.dirty = 1;
        return;
    }
    theDmeRadio.dirty = 1;
    theDmeSelector.dirty = 1;
}

void StepDmeModeDown() {
    DmeSelector& d = theDmeSource;
    if (d.dmeN1 != 0) {
        d.dmeN1 = 0;
        d.dmeN2 = 1;
    } else if (d.dmeHLD != 0) {
        d.dmeHLD = 0;
        d.dmeN1 = 1;
        theDmeHold.captured = 0;
    } else if (d.dmeN2 != 0) {
        d.dmeN2 = 0;
        d.dmeHLD = 1;
    } else {
        theDmeSelector.dirty = 1;
        return;
    }
    theDmeRadio.dirty = 1;
    theDmeSelector.dirty = 1;
}

// ---- idents, bearing display, standby ----------------------------------------------------------

void ToggleIDT() {
    NavReceiverWords& w = theNavReceiverWords;
    struct Target {
        PanelGauge* radio;
        std::int32_t* global;
        int receiver;
    } targets[] = {{&theNav1Radio, &w.nav1IdentGlobal, devices::BeaconSound::kNav1},
                   {&theNav2Radio, &w.nav2IdentGlobal, devices::BeaconSound::kNav2},
                   {&theAdfRadio, &w.adfIdentGlobal, devices::BeaconSound::kAdf}};
    for (const Target& t : targets) {
        if (t.radio->selected == 0) continue;
        t.radio->buttons[0] = t.radio->buttons[0] != 0 ? 0 : 1;
        t.radio->dirty = 1;
        PlayPanelClick(8500);
        *t.global = t.radio->buttons[0];
        if (*t.global == 0) EmptyStationIdent(t.receiver);
        return;
    }
}

void ToggleBRG() {
    for (PanelGauge* radio : {&theNav1Radio, &theNav2Radio}) {
        if (radio->selected == 0) continue;
        UpdateObsCourses();
        radio->bearingMode = radio->bearingMode != 0 ? 0 : 1;
        radio->buttons[1] = radio->buttons[1] != 0 ? 0 : 1;
        radio->dirty = 1;
        break;
    }
    PlayPanelClick(8300);
}

void NavFlipStandby() {
    const int t = AircraftType();
    PlayPanelClick(8300);
    if (theNav1Radio.selected != 0) {
        if (t == 3 || (t == 4 && theAdfIndicator.buttons[0] != 0)) ParkRmi(theAdfIndicator.needle);
        FlipStandby(theNav1Radio, Radio::Nav1);
    } else if (theNav2Radio.selected != 0) {
        if (t == 3 || (t == 4 && theAdfIndicator.buttons[1] != 0)) ParkRmi(theAdfIndicator.needle2);
        FlipStandby(theNav2Radio, Radio::Nav2);
    } else if (theAdfRadio.selected != 0) {
        FlipStandby(theAdfRadio, Radio::Adf);
    }
    UpdateObsCourses();
}

void ToggleTimer() {
    theClock.buttons[0] = theClock.buttons[0] != 0 ? 0 : 1;
    theClock.dirty = 1;
}

// ---- audio panel
// ------------------------------------------------------------------------------------

void ToggleAudioCom1() {
    ToggleAudio(theAudioPanelButtons.audioMixCom1, 8500);
    nav::theAtcSpeech.OnComFrequencyChanged(0);
}
void ToggleAudioCom2() {
    ToggleAudio(theAudioPanelButtons.audioMixCom2, 8750);
    nav::theAtcSpeech.OnComFrequencyChanged(0);
}
void ToggleAudioNav1() {
    const AudioPanel& a = theAudioPanelButtons;
    ToggleAudio(a.audioMixNav1, 9000);
    if (a.audioMixNav1 == 0 && a.audioMixDME == 0) EmptyStationIdent(devices::BeaconSound::kNav1);
}
void ToggleAudioNav2() {
    const AudioPanel& a = theAudioPanelButtons;
    ToggleAudio(a.audioMixNav2, 9250);
    if (a.audioMixNav2 == 0 && a.audioMixDME == 0) EmptyStationIdent(devices::BeaconSound::kNav2);
}
void ToggleAudioDME() {
    const AudioPanel& a = theAudioPanelButtons;
    ToggleAudio(a.audioMixDME, 9500);
    if (a.audioMixNav1 == 0 && a.audioMixNav2 == 0 && a.audioMixDME == 0) {
        EmptyStationIdent(devices::BeaconSound::kNav1);
        EmptyStationIdent(devices::BeaconSound::kNav2);
        EmptyStationIdent(devices::BeaconSound::kDme);
    }
}
void ToggleAudioMKR() {
    ToggleAudio(theAudioPanelButtons.audioMixMKR, 9750);
    if (theAudioPanelButtons.audioMixMKR == 0) StopMarkerTone();
}
void ToggleAudioADF() {
    ToggleAudio(theAudioPanelButtons.audioMixADF, 10000);
    if (theAudioPanelButtons.audioMixADF == 0) EmptyStationIdent(devices::BeaconSound::kAdf);
}

// ---- autopilot
// ---------------------------------------------------------------------------------------

void ApplyLateralMode() {
    flight::FlightModelState& s = Fm();
    s.fmAutopilotModes = static_cast<std::uint16_t>(s.fmAutopilotModes & kLateralKept);
    s.fmAil = 0;
    if (APap == 0) return;
    if (APhdg != 0)
        s.fmAutopilotModes |= flight::kApModeHeading;
    else if (APnav != 0)
        s.fmAutopilotModes |= flight::kApModeNav;
    else if (APapr != 0)
        s.fmAutopilotModes |= flight::kApModeApproach;
    else if (APbc != 0)
        s.fmAutopilotModes |= flight::kApModeBackCourse;
}

void SetAltitudeHold(bool on) {
    flight::FlightModelState& s = Fm();
    if (on) {
        // The hold starts where the climb or descent of the moment carries the aircraft.
        const std::int32_t lead =
            static_cast<std::int32_t>(std::trunc((s.fmVVel >> 4) * 0.05468 * 0.1));
        const std::int32_t metres = static_cast<std::int32_t>(
            (static_cast<std::int64_t>(s.fmPosY) + world::theTerrainDatum) >> 8);
        s.fmApTargetAlt = static_cast<std::uint16_t>(lead + metres);
        s.fmAutopilotModes |= flight::kApModeAltitude;
        s.fmAutopilotState |= flight::kApStateAltitude;
    } else {
        s.fmAutopilotModes =
            static_cast<std::uint16_t>(s.fmAutopilotModes & ~flight::kApModeAltitude);
        s.fmAutopilotState =
            static_cast<std::uint16_t>(s.fmAutopilotState & ~flight::kApStateAltitude);
        RestoreKeyboardElevator();
    }
}

void SetApproachCoupling(bool on) {
    flight::FlightModelState& s = Fm();
    if (on) {
        s.fmApTargetAlt = static_cast<std::uint16_t>(
            (static_cast<std::int64_t>(s.fmPosY) + world::theTerrainDatum) >> 8);
        if (s.fmAutopilotModes == (flight::kApModeEngaged | flight::kApModeApproach) ||
            s.fmAutopilotModes == (flight::kApModeEngaged | flight::kApModeBackCourse))
            s.fmApPitchTarget = static_cast<std::int16_t>(s.fmPitch);
    } else {
        RestoreKeyboardElevator();
    }
}

void AutoPilotMaster() {
    flight::FlightModelState& s = Fm();
    PlayPanelClick(8500);
    if (APap != 0) {
        if (APalt != 0) SetAltitudeHold(false);
        if (APapr != 0 || APbc != 0) SetApproachCoupling(false);
        s.fmAutopilotModes =
            static_cast<std::uint16_t>(s.fmAutopilotModes & ~flight::kApModeEngaged);
        APap = 0;
        APgs = 0;
    } else {
        APap = 1;
        s.fmApAltSubMode = 0;
        if (Powered()) s.fmAutopilotModes |= flight::kApModeEngaged;
        // A hold selected before engaging holds from now on.
        if (APalt != 0) SetAltitudeHold(true);
        if (!AltitudeOrGlideSlopeActive()) s.fmApPitchTarget = static_cast<std::int16_t>(s.fmPitch);
    }
    // The trim lamp shows the engaged autopilot trimming.
    theAutopilotPanel.buttons[7] = APap != 0 && Powered() ? 1 : 0;
    theAutopilotPanel.dirty = 1;
    theAttitudeIndicator.dirty = 1;
    ApplyLateralMode();
}

void AutoPilotTrimUp() {
    TrimAutopilot(1, -18);
}
void AutoPilotTrimDown() {
    TrimAutopilot(2, 18);
}

void AutoPilotMode() {
    switch (theAutopilotModeIndex) {
        case 0:
            AutopilotSide(APhdg, 1, 8100);
            ApplyLateralMode();
            break;
        case 1:
            AutopilotSide(APnav, 2, 8200);
            ApplyLateralMode();
            break;
        case 2:
            AutopilotCoupled(APapr, 3, 8300);
            break;
        case 3:
            AutopilotCoupled(APbc, 4, 8400);
            break;
        default:
            PlayPanelClick(8400);
            APhdg = APnav = APapr = APbc = 0;
            Fm().fmAutopilotModes =
                static_cast<std::uint16_t>(Fm().fmAutopilotModes & kLateralKept);
            theAutopilotModeIndex = 0;
            theAutopilotPanel.dirty = 1;
            break;
    }
}

void AutoPilotAltHold() {
    APalt = APalt != 0 ? 0 : 1;
    theAutopilotPanel.dirty = 1;
    PlayPanelClick(8100);
    if (APap != 0) {
        Fm().fmApAltSubMode = 0;
        SetAltitudeHold(APalt != 0);
    }
    ApplyLateralMode();
}

// ---- communication
// --------------------------------------------------------------------------------

void CommFlipStandby() {
    const bool com1 = theCom1Radio.selected != 0;
    FlipStandby(com1 ? theCom1Radio : theCom2Radio, com1 ? Radio::Com1 : Radio::Com2);
    PlayPanelClick(8500, 100);
}

void CommMHzDown() {
    TuneCom(-1, 0);
}
void CommMHzUp() {
    TuneCom(1, 0);
}
void CommKHzDown() {
    TuneCom(0, -1);
}
void CommKHzUp() {
    TuneCom(0, 1);
}

void ToggleIdent() {
    if (theTransponder.selected != 0) {
        theTransponder.buttons[0] = theTransponder.buttons[0] != 0 ? 0 : 1;
        theTransponder.dirty = 1;
    }
    PlayPanelClick(8500, 100);
}

void ToggleVFR() {
    PanelGauge& x = theTransponder;
    if (x.selected != 0) {
        x.buttons[1] = x.buttons[1] != 0 ? 0 : 1;
        if (x.buttons[1] != 0) {
            x.activeMHz = 12;
            x.activeKHz = 0;
        }
        x.dirty = 1;
    }
    PlayPanelClick(8500, 100);
}

void ATCComm() {
    theRadioCommandHost.postMenuCommand(400);
}

void AtcCancel() {
    nav::AtcPostRequest(nav::AtcRequest::Cancel);
}
void AtcRepeat() {
    nav::AtcPostRequest(nav::AtcRequest::Repeat);
}
void AtcTouchAndGo() {
    nav::AtcPostRequest(nav::AtcRequest::TouchAndGo);
}
void AtcGoAround() {
    nav::AtcPostRequest(nav::AtcRequest::GoAround);
}
void AtcCloseTraffic() {
    nav::AtcPostRequest(nav::AtcRequest::ClosedTraffic);
}

void AtcNewAltitude() {
    if (!nav::IsAtcActive()) return;
    // From the altitude the controller asked for last, else the session's gate altitude.
    const int from = nav::theFlightEvaluation.spPropAlt != 0 ? nav::theFlightEvaluation.spPropAlt
                                                              : nav::theAtcState.ceilAlt;
    int wanted = nav::AtcRoundVfrAltitude(from + 1000);
    // The highest altitude a VFR flight may ask for lies below the positive-control airspace.
    if (wanted >= 18000)
        wanted = theRadioCommandHost.hasFlightPlan() != 0 &&
                         theRadioCommandHost.flightPlanDirection() != 0
                     ? 17000
                     : 17500;
    nav::AtcRequestAltitude(wanted);
}

void AtcNewRunway() {
    if (nav::AtcCanChangeRunway() == 0) return;
    // The runway most into the wind other than the one in use.
    const nav::AtcState& a = nav::theAtcState;
    const int runway =
        nav::AtcSelectRunwayIntoWind(a.numOfRwys, a.spSeq == nav::kSeqArrival ? 1 : 0, a.selRwy);
    if (runway >= 0) nav::AtcChangeRunway(runway);
}

void AtcAutoTaxi() {
    nav::theAtcState.autoTaxi = nav::theAtcState.autoTaxi != 0 ? 0 : 1;
}

void CyclePilotControlAirportLighting() {
    world::CycleRunwayDebugMode();
}

void ResetRadioCommands() {
    theAutopilotModeIndex = 0;
    theLastPostedMenuCommand = 0;
    theRadioCommandHost = DefaultRadioCommandHost();
}

}  // namespace cockpit
