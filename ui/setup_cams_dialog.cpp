// The sky-camera dialog: the four SkyCam presets (distance, height and the clock direction the
// camera looks from), the camera to go to, and whether the camera flies between presets.
#include <cmath>
#include <numbers>

#include "core/ini_file.h"
#include "ui/option_dialogs.h"
#include "ui/dialog_helpers.h"
#include "win/controls.h"

namespace ui {

using namespace optiondialogs;

namespace {

constexpr int kMinDistance = 50, kMaxDistance = 1000;
constexpr int kMinHeight = -500, kMaxHeight = 500;
constexpr int kTowerChoice = 4;

int IndexOf(const int (&ids)[4], int id) {
    for (int i = 0; i < 4; ++i)
        if (ids[i] == id) return i;
    return -1;
}

}  // namespace

int SetupCamsDialog::ClockIndexOfHeading(float heading) {
    int h = static_cast<int>(heading / (-2.0 * std::numbers::pi) * 12 + 0.001);
    if (h < 0 || h > 11) h = 0;
    return (h + 6) % 12;
}

float SetupCamsDialog::HeadingOfClockIndex(int index) {
    return static_cast<float>(((index + 6) % 12) * std::numbers::pi * (-1.0 / 6.0));
}

int SetupCamsDialog::StepToFifty(int value, int delta, int minimum, int maximum) {
    int next;
    if (delta > 0)
        next = (value >= 0 ? value / 50 + 1 : -((-value - 1) / 50)) * 50;
    else
        next = (value > 0 ? (value - 1) / 50 : -((-value) / 50 + 1)) * 50;
    return std::clamp(next, minimum, maximum);
}

SetupCamsDialog::SetupCamsDialog(DialogCameras& v, int magnetic)
    : Dialog("SETUPCAMS", 725), views(v), mag(magnetic) {}

int SetupCamsDialog::OnInitDialog(win::HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    BeginOptionDialog(*this, 20047);
    const int choice =
        views.InTowerCam() ? kTowerChoice : views.GetSkyCamPreset();
    FillCombo(dialog, kPresetCombo, {"Sky-Cam 1", "Sky-Cam 2", "Sky-Cam 3", "Sky-Cam 4", "Tower"},
              choice);
    SetCheck(dialog, kPanCheck, views.GetPanCamera());
    for (int i = 0; i < 4; ++i) {
        const CameraPlace p = views.ReadCamera(i);
        win::SetDlgItemText(dialog, kDistanceEdits[i],
                            std::to_string(static_cast<int>(p.distance)));
        win::SetDlgItemText(dialog, kHeightEdits[i], std::to_string(static_cast<int>(p.altitude)));
        FillCombo(dialog, kDirectionCombos[i],
                  {"12 O'clock", "  1 O'clock", "  2 O'clock", "  3 O'clock", "  4 O'clock",
                   "  5 O'clock", "  6 O'clock", "  7 O'clock", "  8 O'clock", "  9 O'clock",
                   "10 O'clock", "11 O'clock"},
                  ClockIndexOfHeading(p.heading));
        const struct {
            int upDown, edit, low, high;
        } pairs[2] = {{kDistanceUpDowns[i], kDistanceEdits[i], kMinDistance, kMaxDistance},
                      {kHeightUpDowns[i], kHeightEdits[i], kMinHeight, kMaxHeight}};
        for (const auto& u : pairs) {
            win::HWND upDown = win::GetDlgItem(dialog, u.upDown);
            win::SendMessage(upDown, win::UDM_SETRANGE, 0,
                             win::MAKELPARAM(static_cast<std::uint16_t>(u.high),
                                             static_cast<std::uint16_t>(u.low)));
            win::SendMessage(upDown, win::UDM_SETBUDDY, win::GetDlgItem(dialog, u.edit).id, 0);
            ClampEdit(u.edit);
        }
    }
    return r;
}

void SetupCamsDialog::ClampEdit(int id) {
    const bool distance = IndexOf(kDistanceEdits, id) >= 0;
    const int low = distance ? kMinDistance : kMinHeight,
              high = distance ? kMaxDistance : kMaxHeight;
    bool ok = false;
    const int typed = ParseNumber(win::GetWindowText(win::GetDlgItem(window, id)), &ok);
    // Below the range or no number at all gives the range's low end.
    const int v = !ok || typed < low ? low : std::min(typed, high);
    win::SetDlgItemText(window, id, std::to_string(v));
    const int i = distance ? IndexOf(kDistanceEdits, id) : IndexOf(kHeightEdits, id);
    win::SendMessage(win::GetDlgItem(window, distance ? kDistanceUpDowns[i] : kHeightUpDowns[i]),
                     win::UDM_SETPOS, 0, win::MAKELPARAM(static_cast<std::uint16_t>(v), 0));
}

win::LResult SetupCamsDialog::OnNotify(int controlId, win::NMHDR* header) {
    if (header == nullptr || header->code != win::UDN_DELTAPOS) return 0;
    int edit = 0, low = 0, high = 0;
    if (const int i = IndexOf(kDistanceUpDowns, controlId); i >= 0) {
        edit = kDistanceEdits[i];
        low = kMinDistance;
        high = kMaxDistance;
    } else if (const int k = IndexOf(kHeightUpDowns, controlId); k >= 0) {
        edit = kHeightEdits[k];
        low = kMinHeight;
        high = kMaxHeight;
    } else {
        return 0;
    }
    auto* step = reinterpret_cast<win::NMUPDOWN*>(header);
    bool ok = false;
    const int typed = ParseNumber(win::GetWindowText(win::GetDlgItem(window, edit)), &ok);
    const int value =
        StepToFifty(ok ? std::clamp(typed, low, high) : low, step->iDelta > 0 ? 1 : -1, low, high);
    win::SetDlgItemText(window, edit, std::to_string(value));
    win::SendMessage(win::GetDlgItem(window, controlId), win::UDM_SETPOS, 0,
                     win::MAKELPARAM(static_cast<std::uint16_t>(value), 0));
    step->iDelta = 0;
    return 0;
}

void SetupCamsDialog::Apply() {
    for (int i = 0; i < 4; ++i) {
        ClampEdit(kDistanceEdits[i]);
        ClampEdit(kHeightEdits[i]);
        bool ok = false;
        CameraPlace p;
        const int direction = ComboSelection(window, kDirectionCombos[i]);
        p.heading = HeadingOfClockIndex(direction >= 0 ? direction : 6);
        p.distance = static_cast<float>(
            ParseNumber(win::GetWindowText(win::GetDlgItem(window, kDistanceEdits[i])), &ok));
        p.altitude = static_cast<float>(
            ParseNumber(win::GetWindowText(win::GetDlgItem(window, kHeightEdits[i])), &ok));
        views.PlaceCamera(i, p);
    }
    const int choice = ComboSelection(window, kPresetCombo);
    if (choice == kTowerChoice)
        views.EnterTowerCam();
    else
        views.EnterSkyCam(std::clamp(choice, 0, 3));
    views.SetPanCamera(CheckState(window, kPanCheck));
    views.StoreCameraSettings();
    core::theIniFile.PutInt("Views", "mag", mag);
}

int SetupCamsDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (EndButtons(*this, wParam, [this] { Apply(); })) return 1;
    if (notifyCode == win::EN_KILLFOCUS &&
        (IndexOf(kDistanceEdits, id) >= 0 || IndexOf(kHeightEdits, id) >= 0)) {
        ClampEdit(id);
        return 1;
    }
    return Dialog::OnCommand(notifyCode, wParam, control);
}

}  // namespace ui
