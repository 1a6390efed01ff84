// The radio stack's, the autopilot's and the communication commands: argument-free operations
// that the keys of two command tables and the panel's click regions run alike. The NAV-side
// selections (NAV1, NAV2, ADF, the HSI course knob, the DME) exclude each other, as do the
// COM-side ones (COM1, COM2, the transponder); the tuning and knob commands act on the selected
// radio.
#pragma once

#include <cstdint>

namespace cockpit {

// What the commands ask of the world; the spine installs its own. The defaults: no flight plan,
// menu commands only remembered.
struct RadioCommandHost {
    int (*hasFlightPlan)();
    int (*flightPlanDirection)();  // the plan's direction flag
    int (*postMenuCommand)(std::uint32_t id);
};
extern RadioCommandHost theRadioCommandHost;
[[nodiscard]] RadioCommandHost DefaultRadioCommandHost();
// The last menu command the default host was asked to post.
extern std::uint32_t theLastPostedMenuCommand;

// The autopilot's selected heading set to the heading bug's (a loaded flight keeps only the bug).
void SteerAutopilotToHeadingBug();

// ---- the radio and autopilot table (28 rows) ----
void AutoPilotMaster();
void AutoPilotTrimUp();
void AutoPilotTrimDown();
void AutoPilotMode();
void AutoPilotAltHold();
void Nav1();
void Nav2();
void DME();
void ADF();
void RMI1();
void RMI2();
void OBSDown();
void OBSUp();
void NavMHzDown();
void NavMHzUp();
void NavKHzDown();
void NavKHzUp();
void ToggleIDT();
void ToggleBRG();
void NavFlipStandby();
void ToggleTimer();
void ToggleAudioCom1();
void ToggleAudioCom2();
void ToggleAudioNav1();
void ToggleAudioNav2();
void ToggleAudioDME();
void ToggleAudioMKR();
void ToggleAudioADF();

// ---- the communication and ATC table (21 rows, AtcGoAround twice) ----
void AtcCloseTraffic();
void AtcGoAround();
void AtcCancel();
void AtcRepeat();
void AtcTouchAndGo();
void AtcNewAltitude();
void AtcNewRunway();
void AtcAutoTaxi();
void Comm1();
void Comm2();
void ToggleIdent();
void ToggleVFR();
void Transponder();
void CommFlipStandby();
void CommMHzDown();
void CommMHzUp();
void CommKHzDown();
void CommKHzUp();
void CyclePilotControlAirportLighting();
void ATCComm();

// ---- shared operations ----
// Clears the first NAV-side selection found in the order NAV1, NAV2, ADF, HSI course knob, DME.
void ClearNavRadioSelection();
// The tuning keys' target becomes the heading bug (the cockpit table's "HeadingBug").
void SelectHeadingBug();
// Turns the heading bug by whole degrees (wrapping modulo 360).
void StepHeadingBug(int step);
// The selected courses from the course knobs, and the NAV radios' bearing readouts.
void UpdateObsCourses();
// Sets the selected NAV1's course or the selected ADF's card (the ATC's leg courses).
void SetSelectedRadioCourse(int degrees);
// The DME selector N1 -> HLD -> N2 -> N1 (up) and back (down); leaving HLD frees the hold.
void StepDmeModeUp();
void StepDmeModeDown();
// Stops a marker tone playing on the systems channel.
void StopMarkerTone();
// The panel click of a control at its place on the panel (pan -10000 .. 10000).
void PlayPanelClick(int pan, int priority = 0);

// The autopilot's lateral mode from the mode lamps; altitude hold and approach coupling.
void ApplyLateralMode();
void SetAltitudeHold(bool on);
void SetApproachCoupling(bool on);
// The lateral mode the next "AutoPilotMode" selects: 0 heading, 1 navigation, 2 approach, 3 back
// course, 4 all off.
extern std::int32_t theAutopilotModeIndex;

// Back to a new cockpit's selections and autopilot state (tests).
void ResetRadioCommands();

}  // namespace cockpit
