#include "sim/menu_commands.h"

#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_services.h"
#include "devices/sound_device.h"
#include "devices/sound_services.h"
#include "devices/sound_system.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/level_flight_trim.h"
#include "nav/atc_dialogs.h"
#include "nav/atc_services.h"
#include "nav/map_view.h"
#include "nav/nav_database.h"
#include "nav/position_dialog.h"
#include "nav/position_placement.h"
#include "nav/sms_database.h"
#include "nav/speakers.h"
#include "planning/aircraft_selection.h"
#include "planning/checklist.h"
#include "planning/copilot_dialog.h"
#include "planning/cross_country.h"
#include "planning/flight_log_dialog.h"
#include "planning/loading.h"
#include "planning/logbook_dialog.h"
#include "planning/pilot_dialogs.h"
#include "planning/pilot_status_dialog.h"
#include "planning/plan_sheet.h"
#include "planning/planning_services.h"
#include "planning/reliability_dialogs.h"
#include "planning/weather_dialogs.h"
#include "resources/main_menu_ids.h"
#include "sim/flight_file.h"
#include "sim/input/cockpit_commands.h"
#include "sim/input/general_commands.h"
#include "sim/lesson_aircraft.h"
#include "sim/main_window.h"
#include "sim/main_window_services.h"
#include "sim/saved_flight.h"
#include "sim/sim_world.h"
#include "sim/slew.h"
#include "sim/startup.h"
#include "sim/view_controller.h"
#include "ui/dialog_services.h"
#include "ui/general_dialogs.h"
#include "ui/option_dialogs.h"
#include "win/input.h"
#include "win/menu.h"
#include "win/program_entry.h"
#include "world/scenery_state.h"

namespace sim {

std::string theStartFlightName = "StartUp.Flt";
std::uint32_t theCurrentAircraftType = 0;
std::uint32_t theRememberedCockpitView = 0;

namespace {

constexpr unsigned kHelpContext = ui::kHelpCommandContext;
constexpr unsigned kHelpKey = ui::kHelpCommandKey;


constexpr unsigned long kHelpTopics[11] = {10460, 10463, 10676, 10691, 10678, 10694,
                                           10680, 10696, 10688, 10699, 10701};

void Wait() {
    LoadAndSetCursor(win::IDC_WAIT);
}
void Arrow() {
    LoadAndSetCursor(win::IDC_ARROW);
}

int FlownAircraftType() {
    const flight::Aircraft* a = theSimWorld.GetAircraft();
    return a != nullptr ? a->GetType() : 0;
}

void SavePilotFlightMode() {
    planning::PilotFile pilot;
    if (pilot.LoadCurrent() != 0) {
        pilot.flightMode = theSimWorld.GetFlightMode();
        if (pilot.Save() == 0)
            planning::TellPilotFailure(theMainWindow.window, pilot,
                                       "The pilot file %s could not be saved.");
    }
}

// The aircraft type chosen in the aircraft selection since the start flight was last set (-1:
// none): a restart brings the start flight back in it.
int theRestartAircraftType = -1;

// The type changed as the aircraft selection changes it: the full panel, looking forward.
void ChangeAircraftType(int type) {
    theCurrentAircraftType = static_cast<std::uint32_t>(type);
    theSimWorld.SetMag(1);
    cockpit::ResetPanelGauges();
    if (flight::Aircraft* a = theSimWorld.GetAircraft()) a->SelectByType(type);
    theSimWorld.SetViewMode(0);
    theSimWorld.SetLookDirection(0);
}

// The start flight back as it was met: as saved, in the aircraft chosen since, its engines as
// the flight keeps them (stopped ones cold and silent, as at the start).
void Restart(win::HWND window) {
    if (ConfirmCloseFlightPlan(window) == 0) return;
    Wait();
    const bool crash = theSimWorld.IsCrashDetect();
    theSimWorld.SetCrashDetect(0);
    // A flight loaded ends the crash (sound, picture and panel come back).
    LoadFlightFile(theStartFlightName, 1);
    if (theRestartAircraftType >= 0 && theRestartAircraftType != FlownAircraftType()) {
        cockpit::theCockpitFullRedraw |= cockpit::kRedrawReloadFlags;
        ChangeAircraftType(theRestartAircraftType);
    }
    if (flight::theFlightModelState.fmEngines == 0) MeetEnginesStopped();
    flight::theFlightFreezeFrames = 10;
    EndCrash();
    theSimWorld.SetCrashDetect(crash ? 1 : 0);
    Arrow();
}

// The type of the aircraft flown (a loaded flight may have changed it since the last selection).
int CurrentAircraftType() {
    const flight::Aircraft* a = theSimWorld.GetAircraft();
    return a != nullptr ? a->GetType() : static_cast<int>(theCurrentAircraftType);
}

// The aircraft selection: a new type changes the aircraft (when the flight plan may go) and
// brings the full panel looking forward; the dialog's copy of the start flight's name is kept.
void SelectAircraft(win::HWND window) {
    cockpit::theCockpitFullRedraw |= cockpit::kRedrawReloadFlags;
    // The dialog opens on the aircraft flown, and a change is measured against it, so a flight
    // loaded in another aircraft can be changed back.
    const int flown = CurrentAircraftType();
    planning::AircraftSelectionDialog dialog(flown, theStartFlightName);
    const std::intptr_t result = dialog.DoModal(window);
    // A dialog that could not open chose nothing.
    const int type = result >= 0 && result <= 5 ? static_cast<int>(result) : flown;
    if (type != flown && ConfirmCloseFlightPlan(window) != 0) {
        Wait();
        ChangeAircraftType(type);
        theRestartAircraftType = type;
        Arrow();
    } else if (type == flown) {
        theCurrentAircraftType = static_cast<std::uint32_t>(flown);
    }
    theStartFlightName = dialog.startFlight;
}

// The positioning dialog, then its result applied: a runway threshold reloads the parked
// start flight there; a radial or an approach course puts the in-air flight the picker loaded
// at its altitude above sea level; a drag keeps the flight and its height over the ground.
void PositionAircraft(win::HWND window) {
    nav::PositionAircraftDialog dialog;
    if (dialog.DoModal(window) != 1) return;
    const nav::MapView& map = nav::theMapView;
    if (map.positionResult == 0 || ConfirmCloseFlightPlan(window) == 0) return;
    Wait();
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmPosX = map.resultX;
    s.fmPosZ = map.resultZ;
    s.fmHead = static_cast<std::uint16_t>(map.resultHeading);
    if (map.positionResult == nav::kPlacedOnRunway) {
        ReloadAircraftFlight(window, 1, 0);
    } else if (map.positionResult == nav::kPlacedByDrag) {
        s.fmPosY = map.resultAltitude;
        theSimWorld.RefreshTerrain();
    } else {
        nav::PlaceInTheAir(map.resultX, map.resultZ, map.resultAltitude,
                           static_cast<std::uint16_t>(map.resultHeading));
        // The in-air flight was trimmed level over sea level: the power that holds the height
        // chosen in the air there.
        flight::RetrimThrottleForLevelFlight(flight::kLevelStartSeconds);
    }
    nav::CheckNavReception();
    Arrow();
}

// The airports wizard, then the ready-to-fly start flight loaded on the chosen runway (the ATC
// puts the aircraft at the starting situation).
void StartAtChosenAirport(win::HWND window) {
    if (nav::theSmsDatabase.RunAirportsWizard(window) == 0) return;
    Wait();
    if (flight::theCrashed != 0 || cockpit::theCrashShown != 0) CmdRepairPlane();
    const std::string kept = theStartFlightName;
    if (ConfirmCloseFlightPlan(window) != 0) ReloadAircraftFlight(window, 0, 1);
    theStartFlightName = kept;
    Arrow();
}

// The option dialogs and About: built here, run over the main window, results applied.
bool RunOptionDialog(win::HWND window, unsigned id) {
    switch (id) {
        case CMD_SENSITIVITY: {
            ui::ControlSensitivityDialog d(theSimWorld.GetJoystick());
            d.DoModal(window);
            return true;
        }
        case CMD_DATE_TIME: {
            ui::DateAndTimeDialog d(theSimWorld.Time());
            d.DoModal(window);
            return true;
        }
        case CMD_SETUP_CAMS: {
            ui::SetupCamsDialog d(theViewController, theSimWorld.IsMag() ? 1 : 0);
            d.DoModal(window);
            return true;
        }
        case CMD_ATC: {
            nav::ATCCommunicationDialog d;
            d.DoModal(window);
            return true;
        }
        case CMD_AIR_TRAFFIC: {
            nav::AirTrafficDialog d;
            d.DoModal(window);
            return true;
        }
        case CMD_LOADING: {
            planning::FuelAndCabinLoadingDialog d(CurrentAircraftType());
            d.DoModal(window);
            return true;
        }
        case CMD_CHECKLISTS: {
            planning::ChecklistDialog d(CurrentAircraftType());
            d.DoModal(window);
            return true;
        }
        case CMD_ABOUT: {
            ui::AboutDialog d;
            d.DoModal(window);
            return true;
        }
        case CMD_BRIGHTNESS: {
            ui::BrightnessDialog d;
            d.DoModal(window);
            return true;
        }
        case CMD_RELIABILITY: {
            planning::SystemReliabilityDialog d;
            d.DoModal(window);
            return true;
        }
        case CMD_PARTIAL_PANEL: {
            planning::PartialPanelDialog d(FlownAircraftType());
            d.DoModal(window);
            return true;
        }
        case CMD_PILOT_STATUS: {
            planning::PilotStatusDialog d;
            d.DoModal(window);
            return true;
        }
        case CMD_FLIGHT_LOG: {
            planning::FlightLogDialog d(theSimWorld.GetFlightPlan());
            d.DoModal(window);
            return true;
        }
        case CMD_SOUND: {
            ui::SoundDialog d;
            d.DoModal(window);
            // Every channel takes its stored level again, so the new volumes sound at once.
            nav::theAtisSpeech.SetVolume(nav::theAtisSpeech.volume);
            nav::theAtcSpeech.SetVolume(nav::theAtcSpeech.volume);
            for (devices::SoundChannel* c :
                 {&devices::theLeftEngineSound, &devices::theRightEngineSound,
                  &devices::theLeftStarterSound, &devices::theRightStarterSound,
                  &devices::theSystemsSound, &devices::theEffectSound, &devices::theAmbientSound})
                c->SetLevel(c->categoryVolume);
            return true;
        }
        case CMD_GRAPHICS: {
            if (theSimWorld.IsAutoComplex() || theSimWorld.Graphics() == nullptr) return true;
            ui::GraphicsDialog d(*theSimWorld.Graphics());
            if (d.DoModal(window) == 1) theSimWorld.SetGraphicsSettings(d.settings);
            return true;
        }
        default:
            return false;
    }
}

void NotImplemented(win::HWND window) {
    win::TraceLine("message: Not yet implemented!");
    ui::ShowMessageBox(window, "Not yet implemented!", ui::MB_ICONINFORMATION);
}

// The guard closes the active plan before a command asks for the plan that replaces it; a
// command that ends without one (its dialog cancelled, its file refused) gives the plan back.
void KeepPlanNotReplaced(bool wasActive) {
    if (!wasActive || IsProgramClosed()) return;
    if (planning::FlightPlan* plan = theSimWorld.GetFlightPlan()) plan->active = 1;
}

}  // namespace

int RunDialogOver(win::HWND window, const char* templateName) {
    SetDialogMode(1);
    const int r = ui::RunTemplateDialog(window, templateName);
    SetDialogMode(0);
    return r;
}

void ShowPausedDialogFor(win::HWND window) {
    SetDialogMode(1);
    ui::ShowPausedDialog(window);
    SetDialogMode(0);
}

// The close box or the end of the session may reach the window while one of these questions
// (or the save dialog under them) is open: the program has then closed and the world's plan is
// gone, so the command that asked goes no further.
int ConfirmCloseFlightPlan(win::HWND window) {
    if (IsProgramClosed()) return 0;
    if (!theSimWorld.HasFlightPlan()) return 1;
    const int r = ui::RunCloseFPDialog(window);
    if (r == 0 || IsProgramClosed()) return 0;
    if (r == 1) {
        // Cancelled at the save question (or in the file dialog under it): the unsaved plan
        // stays, and the command that asked goes no further.
        if (ConfirmSaveFlightPlan(window) == 0 || IsProgramClosed()) return 0;
        if (planning::FlightPlan* plan = theSimWorld.GetFlightPlan()) plan->active = 0;
    }
    return 1;
}

int ConfirmSaveFlightPlan(win::HWND window) {
    if (IsProgramClosed()) return 0;
    planning::FlightPlan* plan = theSimWorld.GetFlightPlan();
    if (plan == nullptr || plan->active == 0 || plan->saved != 0) return 1;
    const int r = ui::RunSaveFPDialog(window);
    if (r == 0 || IsProgramClosed()) return 0;
    // A plan not written (the file dialog cancelled, the write refused) is no plan saved.
    if (r == 1 && planning::PromptSaveFlightPlan(window) == 0) return 0;
    return IsProgramClosed() ? 0 : 1;
}

void HandleMenuCommand(win::HWND window, unsigned id, win::HWND control, unsigned) {
    if (RunOptionDialog(window, id)) return;
    if (id >= CMD_HELP_FIRST && id <= CMD_HELP_LAST) {
        ui::OpenPopupHelpTopic(kHelpContext, kHelpTopics[id - CMD_HELP_FIRST]);
        return;
    }
    if (id >= CMD_SPEED_1X && id <= CMD_SPEED_16X) {
        theSimWorld.SetSpeedUp(static_cast<int>(id - CMD_SPEED_1X));
        return;
    }
    if (id >= CMD_DAWN && id <= CMD_NIGHT) {
        Wait();
        theSimWorld.SetDayPeriod(static_cast<int>(id - CMD_DAWN));
        Arrow();
        return;
    }
    if (id >= CMD_VIEW_PANEL && id <= CMD_VIEW_NO_FRAME) {
        theSimWorld.SetViewMode(static_cast<int>(id - CMD_VIEW_PANEL));
        return;
    }
    if (id >= CMD_SKYCAM_1 && id <= CMD_SKYCAM_4) {
        theViewController.EnterSkyCam(static_cast<int>(id - CMD_SKYCAM_1));
        return;
    }
    switch (id) {
        case CMD_STARTUP:
            RunStartup();
            return;
        case CMD_PILOT_IN_COMMAND:
            theSimWorld.SetFlightMode(0);
            SavePilotFlightMode();
            return;
        case CMD_GROUND_SCHOOL: {
            if (ConfirmCloseFlightPlan(window) == 0) return;
            const int mode = theSimWorld.GetFlightMode();
            theSimWorld.SetFlightMode(3);
            planning::StartGroundSchool(-1);
            theSimWorld.SetFlightMode(mode);
            return;
        }
        case CMD_FLIGHT_LESSON:
            RunFlightLessonCommand(window);
            return;
        case CMD_MANEUVERS:
            RunManeuverCommand(window);
            return;
        case CMD_CROSS_COUNTRY:
            // The assignment replaces the active plan and starts, as a new plan does, ready on
            // its departure runway.
            if (ConfirmCloseFlightPlan(window) == 0) return;
            if (planning::RunCrossCountryAssignment(window) == 1) {
                theSimWorld.SetFlightMode(2);
                Wait();
                ReloadAircraftFlight(window, 1, 1);
            }
            return;
        case CMD_SAVE_FLIGHT: {
            int go = ConfirmSaveFlightPlan(window);
            if (go == 0) go = ConfirmCloseFlightPlan(window);
            if (go != 0) SaveFlightAs(window);
            return;
        }
        case CMD_RESUME_FLIGHT:
            if (ConfirmCloseFlightPlan(window) == 0) return;
            // The flight resumed is the one a restart goes back to.
            if (ResumeFlight(window, 1) != 0) {
                theStartFlightName = theCurrentFlightName;
                theRestartAircraftType = -1;
            }
            flight::theFlightFreezeFrames = 10;
            return;
        case CMD_MAG:
            theSimWorld.SetMag(theSimWorld.IsMag() ? 0 : 1);
            return;
        case CMD_SELECT_AIRCRAFT:
            SelectAircraft(window);
            return;
        case CMD_POSITION:
            PositionAircraft(window);
            return;
        case CMD_OPEN_PLAN: {
            const bool held = theSimWorld.HasFlightPlan();
            if (ConfirmCloseFlightPlan(window) == 0) return;
            if (planning::PromptLoadFlightPlan(window, 0) != 0) {
                Wait();
                ReloadAircraftFlight(window, 1, 1);
            } else {
                KeepPlanNotReplaced(held);
            }
            return;
        }
        case CMD_EXIT: {
            // Exit asks one question: with a plan not saved since it changed, whether to save it
            // (Save, Don't Save or Cancel), which also answers whether to quit; otherwise the
            // exit question.
            const planning::FlightPlan* plan = theSimWorld.GetFlightPlan();
            if (plan == nullptr || plan->active == 0 || plan->saved != 0) {
                OnMainClose(window);
            } else if (ConfirmSaveFlightPlan(window) != 0) {
                CloseProgram(window, true);
            }
            return;
        }
        case CMD_NEW_PLAN: {
            const bool held = theSimWorld.HasFlightPlan();
            if (ConfirmCloseFlightPlan(window) == 0) return;
            planning::RunNewFlightPlan(window);
            if (theSimWorld.HasFlightPlan() && theSimWorld.GetFlightPlan()->saved == 0) {
                Wait();
                ReloadAircraftFlight(window, 1, 1);
            } else {
                KeepPlanNotReplaced(held);
            }
            return;
        }
        case CMD_HELP_CONTENTS:
            ui::OpenPopupHelpTopic(kHelpContext, 10459);
            return;
        case CMD_HELP_KEYS:
            ui::OpenPopupHelpTopic(kHelpContext, 10461);
            return;
        case CMD_HELP_INDEX:
            ui::OpenPopupHelpTopic(kHelpKey, 0);
            return;
        case CMD_AIRPORTS:
            StartAtChosenAirport(window);
            return;
        case CMD_NAVAIDS:
            // The set-up dialog moved the aircraft already; what the radios hear follows.
            if (nav::theSmsDatabase.RunNavAidDirectory(window) != 0) nav::CheckNavReception();
            if (nav::theSmsDatabase.IsStepped())
                if (flight::Aircraft* a = theSimWorld.GetAircraft()) a->Step();
            return;
        case CMD_CLOUDS: {
            planning::CloudsAndVisibilityDialog clouds;
            if (clouds.DoModal(window) == 1) theSimWorld.UpdateCloudLayers();
            return;
        }
        case CMD_WINDS_ALOFT: {
            planning::WindsAloftDialog winds;
            winds.DoModal(window);
            return;
        }
        case CMD_SURFACE: {
            planning::SurfaceConditionsDialog surface;
            surface.DoModal(window);
            return;
        }
        case CMD_WX_BRIEFING: {
            planning::WxBriefingDialog briefing;
            briefing.DoModal(window);
            return;
        }
        case CMD_SLEW:
            theSlewControl.SetActive(theSlewControl.IsActive() ? 0 : 1);
            return;
        case CMD_PAUSE:
            theSimWorld.RequestPause(theSimWorld.IsPauseRequested() ? 0 : 1);
            return;
        case CMD_CRASH_DETECT:
            theSimWorld.SetCrashDetect(theSimWorld.IsCrashDetect() ? 0 : 1);
            win::InvalidateRect(window, nullptr, true);
            return;
        case CMD_SELECT_PILOT:
            if (ConfirmCloseFlightPlan(window) == 0) return;
            planning::RunSelectPilotDialog(window);
            return;
        case CMD_LOGBOOKS: {
            planning::LogbooksDialog logbook;
            logbook.aircraftType = static_cast<int>(theCurrentAircraftType);
            logbook.DoModal(window);
            return;
        }
        case CMD_COPILOT: {
            planning::CopilotAssitanceDialog copilot(FlownAircraftType());
            copilot.DoModal(window);
            SavePilotFlightMode();
            return;
        }
        case CMD_FULL_SCREEN:
            if (IsFullScreen())
                LeaveFullScreen();
            else
                EnterFullScreen();
            return;
        case CMD_RESTART:
            Restart(window);
            return;
        case CMD_AIRSPACE_EDGE:
            theSimWorld.PauseTime(1);
            ui::ShowMessageBox(window,
                               control ? "You have been moved to the opposite side of Zephlon's "
                                         "airspace."
                                       : "You are leaving Zephlon's airspace.",
                               ui::MB_ICONEXCLAMATION);
            theSimWorld.ResumeTime();
            return;
        case CMD_AUTO_COORDINATION:
            theSimWorld.SetAutoCoordination(theSimWorld.IsAutoCoordination() ? 0 : 1);
            win::InvalidateRect(window, nullptr, true);
            return;
        case CMD_ENGINE_SYNCH:
            theSimWorld.SetMultiEngineSynch(theSimWorld.IsMultiEngineSynch() ? 0 : 1);
            if (theSimWorld.IsMultiEngineSynch()) {
                // The right engine's levers take the left's places, so the two move as one.
                struct Pair {
                    cockpit::LeverGauge& left;
                    cockpit::LeverGauge& right;
                    void (*update)();
                };
                for (const Pair& p : {Pair{cockpit::theThrottleLever, cockpit::theThrottleLever2,
                                           &cockpit::UpdateThrottleLeverRight},
                                      Pair{cockpit::thePropPitchLever, cockpit::thePropPitchLever2,
                                           &cockpit::UpdatePropPitchLeverRight},
                                      Pair{cockpit::theMixtureLever, cockpit::theMixtureLever2,
                                           &cockpit::UpdateMixtureLeverRight}}) {
                    p.right.lever = p.left.lever;
                    p.right.dirty = 1;
                    p.update();
                }
                flight::theFlightModelState.fmThrotRight = flight::theFlightModelState.fmThrot;
            }
            win::InvalidateRect(window, nullptr, true);
            return;
        case CMD_AUTO_COMPLEX:
            theSimWorld.SetAutoComplex(theSimWorld.IsAutoComplex() ? 0 : 1);
            return;
        case CMD_ALT_GRAPHICS:
            if (theSimWorld.IsAutoComplex()) return;
            theSimWorld.ToggleGraphicsProfile();
            return;
        case CMD_STATUS_LINE:
            theSimWorld.SetStatusLine(theSimWorld.IsStatusLine() ? 0 : 1);
            win::InvalidateRect(window, nullptr, true);
            return;
        case CMD_SAVE_PLAN:
            planning::PromptSaveFlightPlan(window);
            return;
        case CMD_GPS: {
            theSimWorld.SetGpsShown(theSimWorld.IsGpsShown() ? 0 : 1);
            LoadGpsDisplayAsShown();
            theViewController.ApplyView();
            return;
        }
        case CMD_IGNORED:
            return;
        case CMD_TOWERCAM:
            theViewController.EnterTowerCam();
            return;
        default:
            NotImplemented(window);
            return;
    }
}

void UpdateMainMenuState(win::HMENU menu) {
    if (!menu) return;
    auto check = [&](unsigned id, bool on) {
        win::CheckMenuItem(menu, id, on ? win::MF_CHECKED : win::MF_UNCHECKED);
    };
    auto enable = [&](unsigned id, bool on) {
        win::EnableMenuItem(menu, id, on ? win::MF_ENABLED : (win::MF_GRAYED | win::MF_DISABLED));
    };
    const int mode = theSimWorld.GetFlightMode();
    check(CMD_COPILOT, mode == 5);
    check(CMD_PILOT_IN_COMMAND, mode != 5);
    check(CMD_CRASH_DETECT, theSimWorld.IsCrashDetect());
    check(CMD_AUTO_COORDINATION, theSimWorld.IsAutoCoordination());
    check(CMD_ENGINE_SYNCH, theSimWorld.IsMultiEngineSynch());
    check(CMD_STATUS_LINE, theSimWorld.IsStatusLine());
    check(CMD_MAG, theSimWorld.IsMag());
    check(CMD_FULL_SCREEN, IsFullScreen());
    check(CMD_GPS, theSimWorld.IsGpsShown());
    check(CMD_ALT_GRAPHICS, theSimWorld.GetGraphicsProfile() == 1);
    check(CMD_SLEW, theSlewControl.IsActive());
    check(CMD_PAUSE, theSimWorld.IsPauseRequested());
    check(CMD_AUTO_COMPLEX, theSimWorld.IsAutoComplex());
    const int type = FlownAircraftType();
    enable(CMD_PARTIAL_PANEL, type == 0);
    const bool plan = theSimWorld.HasFlightPlan();
    enable(CMD_WX_BRIEFING, plan);
    enable(CMD_FLIGHT_LOG, plan);
    enable(CMD_SAVE_PLAN, plan);
    enable(CMD_VIEW_LOW_PANEL, type == 0 || type == 1);
    enable(CMD_GRAPHICS, !theSimWorld.IsAutoComplex());
    enable(CMD_ALT_GRAPHICS, !theSimWorld.IsAutoComplex());
    if (theSimWorld.GetViewMode() < 4)
        theRememberedCockpitView = static_cast<std::uint32_t>(theSimWorld.GetViewMode());
    win::CheckMenuRadioItem(menu, CMD_VIEW_PANEL, CMD_VIEW_NO_FRAME,
                            CMD_VIEW_PANEL + theRememberedCockpitView, win::MF_BYCOMMAND);
    win::CheckMenuRadioItem(
        menu, CMD_SKYCAM_1, CMD_SKYCAM_4,
        CMD_SKYCAM_1 + static_cast<unsigned>(theViewController.GetSkyCamPreset()),
        win::MF_BYCOMMAND);
    win::CheckMenuRadioItem(menu, CMD_DAWN, CMD_NIGHT,
                            CMD_DAWN + static_cast<unsigned>(theSimWorld.GetDayPeriod()),
                            win::MF_BYCOMMAND);
    win::CheckMenuRadioItem(menu, CMD_SPEED_1X, CMD_SPEED_16X,
                            CMD_SPEED_1X + static_cast<unsigned>(theSimWorld.GetSpeedUp()),
                            win::MF_BYCOMMAND);
}

}  // namespace sim
