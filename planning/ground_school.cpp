#include "planning/ground_school.h"

#include <cstdio>

#include "core/resource_volume.h"
#include "planning/planning_services.h"
#include "ui/dialog_services.h"
#include "ui/video_windows.h"
#include "win/compositor.h"
#include "win/controls.h"
#include "win/file_api.h"
#include "win/modal.h"
#include "win/program_entry.h"
#include "win/video_window.h"

namespace planning {

const GroundLesson theGroundLessons[kGroundLessonCount] = {
    {"Instruments", 99, "This tutorial will guide you through descriptions and functions of the main instruments in Zephlon's Cessna 172."},
    {"Controls", 98, "This tutorial will guide you through descriptions and functions of the main controls in Zephlon's Cessna 172."},
    {"Communication", 97, "This tutorial will guide you through descriptions and functions of the Communication and Navigation radios in Zephlon's Cessna 172."},
    {"Primary Flight Controls", 1, "Learn what the 3 primary flight controls are, how they are controlled, and observe the effect they have on an aircraft during flight."},
    {"Vy climb", 2, "How to execute a Vy climb, and using visual references, how to maintain a correctpitch attitude."},
    {"Straight and Level Flight", 3, "Straight and level flight can be maintained using visual references. This video will teach you this basic technique."},
    {"Level Off From a Climb", 4, "Lead the level-off by a tenth of the climb rate: lower the nose to the cruise attitude, let the speed build, then set cruise power and trim."},
    {"Constant Altitude Turn", 5, "Roll into a medium-banked turn, add a little back pressure to hold the altitude, and roll out on the heading you want."},
    {"Constant Airspeed Descent", 6, "Reduce power, hold the descent attitude that gives the airspeed you want, and trim so the airplane holds it for you."},
    {"Level Off From A Descent", 7, "Lead the level-off altitude, add power as you raise the nose to the level attitude, and trim for cruise."},
    {"Transition to Slow Flight", 8, "Slow the airplane to just above the stall while holding altitude and heading, using power and pitch together."},
    {"Slow Flight Turn", 9, "Turn with shallow bank at minimum controllable airspeed, keeping the ball centred and the altitude steady."},
    {"Slow Flight Climb", 10, "Climb at minimum controllable airspeed: add power, hold the airspeed with pitch and keep the rudder coordinated."},
    {"Slow Flight Descent", 11, "Descend at minimum controllable airspeed by reducing power while pitch holds the airspeed."},
    {"Power-off Stall", 12, "Practise the stall you might meet on approach: recognise its signs and recover with the least loss of altitude."},
    {"Power-on Stall", 13, "Practise the departure stall at climb power: recognise the break and recover by lowering the nose."},
    {"Steep Turns", 14, "Fly a full turn at 45 degrees of bank, holding altitude with back pressure and power, and roll out on your entry heading."},
    {"Normal Takeoff", 15, "Line up on the centreline, apply full power, rotate at the right speed and climb out at Vy."},
    {"Traffic Pattern", 16, "Learn the legs of the rectangular traffic pattern, the altitudes to fly and where to turn."},
    {"Final approach", 17, "Stabilise the approach: the right airspeed, the right descent path and the runway centreline."},
    {"Normal Landings", 18, "Round out over the runway, hold the airplane off while the speed bleeds away, and touch down on the main wheels."},
    {"Wind Effects", 19, "See how the wind drifts the airplane over the ground and how to correct your heading for it."},
    {"Scanning", 20, "Learn to scan the instruments in a steady pattern, always coming back to the attitude indicator."},
    {"Standard Rate Turns", 21, "Turn at three degrees a second using the turn coordinator, and time your turns to any heading."},
    {"Straight and Level on a Partial Panel", 22, "Keep the airplane straight and level without the attitude and heading indicators."},
    {"Finding Position", 23, "Find where you are from two radio bearings and from the landmarks below you."},
    {"NDBs", 24, "Read the ADF needle, home to a beacon and track to and from it."},
    {"Tracking a VOR", 25, "Set a course on the VOR, read the needle and the TO-FROM flag, and correct for the wind to stay on the radial."},
    {"Chandelle", 26, "Learn the maximum-performance climbing turn of 180 degrees, ending just above the stall."},
    {"Lazy Eights", 27, "Fly the slow climbing and descending turns of the lazy eight with constantly changing pitch and bank."},
    {"Eights Around Pylons", 28, "Learn the proper procedure for executing Eights Around Pylons."},
};

namespace {

constexpr int kGroundSchoolList = 1799;
constexpr int kDescription = 1800;
constexpr int kDoneButton = 1817;

// The fixed sequences of the sequence mode: their counts and videos.
constexpr int kSequenceLength[4] = {3, 2, 4, 1};
constexpr int kSequenceVideo[4][4] = {{1, 5, 3, 0}, {2, 6, 0, 0}, {14, 9, 10, 11}, {12, 0, 0, 0}};

bool Readable(const std::string& path) {
    const win::FileHandle f = win::CreateFile(path, win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING);
    if (!f.IsValid()) return false;
    win::CloseHandle(f);
    return true;
}

std::string VideoName(int video) {
    char name[16];
    std::snprintf(name, sizeof name, "f%02d.avi", video);
    return name;
}

}  // namespace

std::string MakeFullPath(std::string_view base, std::string_view name) {
    const bool absolute = (name.size() >= 2 && name[1] == ':') ||
                          (!name.empty() && (name.front() == '\\' || name.front() == '/'));
    if (absolute) return std::string(name);
    std::string full(base);
    const bool baseAbsolute = (full.size() >= 2 && full[1] == ':') ||
                              (!full.empty() && (full.front() == '\\' || full.front() == '/'));
    if (!baseAbsolute) {
        std::string here = win::GetCurrentDirectory();
        if (!here.empty() && here.back() != '\\' && here.back() != '/') here += '\\';
        full = here + full;
    }
    const std::size_t last = full.find_last_of("\\/");
    const std::size_t dot = full.find('.', last == std::string::npos ? 0 : last + 1);
    if (dot != std::string::npos) full.resize(dot);
    if (name.empty()) return full;
    if (!full.empty() && full.back() != '\\' && full.back() != '/') full += '\\';
    return full + std::string(name);
}

int GroundLessonDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    win::SetDlgItemText(dialog, win::IDCANCEL, "Done");
    win::SetDlgItemText(dialog, win::IDOK, "Play");
    for (const GroundLesson& lesson : theGroundLessons)
        win::SendDlgItemMessage(dialog, kGroundSchoolList, win::LB_ADDSTRING, 0,
                                reinterpret_cast<win::LParam>(lesson.title));
    if (chosen < 0 || chosen >= kGroundLessonCount) chosen = 0;
    win::SendDlgItemMessage(dialog, kGroundSchoolList, win::LB_SETCURSEL,
                            static_cast<win::WParam>(chosen), 0);
    ShowDescription();
    if (sequence >= 0 && sequence < 4) {
        sequencePosition = 0;
        PlaySequenceStep();
    }
    return r;
}

void GroundLessonDialog::ShowDescription() {
    win::SetDlgItemText(window, kDescription, theGroundLessons[chosen].description);
}

// The list and its description come back; the video stops and its window goes.
void GroundLessonDialog::StopVideo() {
    win::ShowWindow(win::GetDlgItem(window, kGroundSchoolList), win::SW_SHOW);
    win::ShowWindow(win::GetDlgItem(window, kDescription), win::SW_SHOW);
    win::SetDlgItemText(window, win::IDOK, "Play");
    ui::theVideoPlayer.Stop();
    ui::theVideoPlayer.CloseAndRestore();
}

void GroundLessonDialog::PlayChosen() {
    if (ui::theVideoPlayer.IsPlaying() != 0) {
        StopVideo();
        return;
    }
    const std::string path = MakeFullPath(videoFolder, VideoName(theGroundLessons[chosen].video));
    if (ui::PromptForDisc(window, 2, path, 1) == 0) return;
    ui::theVideoPlayer.CloseAndRestore();
    const win::HWND video = ui::theVideoPlayer.CreateInDialogItem(window, 0, -1);
    if (!video) return;
    // The instrument tours fill more of the dialog than the flying lessons.
    if (chosen <= 2)
        win::SetWindowPos(video, win::HWND{}, 15, 21, 0, 0, win::SWP_NOSIZE | win::SWP_NOZORDER);
    else
        win::SetWindowPos(video, win::HWND{}, 62, 80, 0, 0, win::SWP_NOSIZE | win::SWP_NOZORDER);
    win::SetDlgItemText(window, win::IDOK, "Stop");
    win::ShowWindow(win::GetDlgItem(window, kGroundSchoolList), win::SW_HIDE);
    win::ShowWindow(win::GetDlgItem(window, kDescription), win::SW_HIDE);
    ui::theVideoPlayer.Play(path);
}

void GroundLessonDialog::PlaySequenceStep() {
    if (sequencePosition >= kSequenceLength[sequence]) {
        StopVideo();
        win::EndDialog(window, 0);
        return;
    }
    const int video = kSequenceVideo[sequence][sequencePosition++];
    for (int row = 0; row < kGroundLessonCount; ++row)
        if (theGroundLessons[row].video == video) chosen = row;
    PlayChosen();
}

int GroundLessonDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == kGroundSchoolList &&
        (notifyCode == win::LBN_SELCHANGE || notifyCode == win::LBN_DBLCLK)) {
        const auto row = static_cast<int>(
            win::SendDlgItemMessage(window, kGroundSchoolList, win::LB_GETCURSEL, 0, 0));
        if (row >= 0 && row < kGroundLessonCount) chosen = row;
        ShowDescription();
        if (notifyCode == win::LBN_DBLCLK) PlayChosen();
        return 1;
    }
    if (id == win::IDOK) {
        PlayChosen();
        return 1;
    }
    if (id == win::IDCANCEL || id == kDoneButton) {
        StopVideo();
        win::EndDialog(window, 0);
        return 1;
    }
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

// The video window reports that playing stopped: the list comes back, or the sequence goes on.
int GroundLessonDialog::OnMciNotify(win::WParam, win::LParam lParam) {
    if (static_cast<std::uint32_t>(lParam) != win::MCI_MODE_STOP) return 0;
    if (sequence >= 0)
        PlaySequenceStep();
    else
        StopVideo();
    return 1;
}

// The videos are looked for under the program's folder, then on the installation source; the
// user is asked for the second disc when neither has them.
void StartGroundSchool(int) {
    core::theSetupInfo.Read(1);
    const std::string program = core::theSetupInfo.startFolder.empty() ? win::GetCurrentDirectory()
                                                                         : core::theSetupInfo.startFolder;
    std::string folder = MakeFullPath(program, "train");
    const win::HWND parent = win::GetDisplayWindow();
    bool terrainReadable = false;
    if (!Readable(MakeFullPath(folder, "f01.avi"))) {
        folder = MakeFullPath(core::theCdRoot, "train");
        if (!Readable(MakeFullPath(folder, "f01.avi"))) {
            terrainReadable = Readable(core::DiscPath("Art\\Terrain\\USA\\GridText.bin"));
            ui::PromptForDisc(parent, 2, MakeFullPath(folder, "f01.avi"), 1);
        }
    }
    if (Readable(MakeFullPath(folder, "f01.avi"))) {
        GroundLessonDialog dialog;
        dialog.videoFolder = folder;
        dialog.DoModal(parent);
    } else {
        win::TraceLine("ground school: no videos in " + folder);
    }
    if (terrainReadable) ui::PromptForDisc(parent, 1, core::DiscPath("Art\\Terrain\\USA\\GridText.bin"), 1);
}

}  // namespace planning
