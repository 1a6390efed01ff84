#include "ui/option_dialogs.h"

#include <cstdio>

#include "devices/beacon_sound.h"
#include "devices/joystick.h"
#include "devices/sound_device.h"
#include "devices/sound_services.h"
#include "flight/flight_model.h"
#include "nav/atc_services.h"
#include "nav/speakers.h"
#include "ui/ui_services.h"
#include "ui/dialog_helpers.h"
#include "win/controls.h"

namespace ui {

using namespace optiondialogs;

void optiondialogs::BeginOptionDialog(Dialog& d, std::uint32_t helpId) {
    d.SetHelpId(helpId);
}

int optiondialogs::EndButtons(Dialog& d, win::WParam wParam,
                              const std::function<void()>& applyOnOk) {
    const int id = win::LOWORD(wParam);
    if (id == win::IDOK) {
        if (applyOnOk) applyOnOk();
        win::EndDialog(d.window, 1);
        return 1;
    }
    if (id == win::IDCANCEL || id == kCancelButtonId) {
        win::EndDialog(d.window, 0);
        return 1;
    }
    return 0;
}

int optiondialogs::ParseNumber(const std::string& text, bool* ok) {
    // Digits with an optional sign; anything else is no number. Long numbers saturate.
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long v = 0;
    const std::size_t first = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = std::min<long long>(v * 10 + (text[i] - '0'), 1000000000LL);
    while (i < text.size() && text[i] == ' ')
        ++i;
    *ok = i > first && i == text.size();
    return static_cast<int>(negative ? -v : v);
}

int optiondialogs::CheckState(win::HWND dialog, int id) {
    return win::SendMessage(win::GetDlgItem(dialog, id), win::BM_GETCHECK, 0, 0) == win::BST_CHECKED
               ? 1
               : 0;
}

void optiondialogs::SetCheck(win::HWND dialog, int id, int on) {
    win::SendMessage(win::GetDlgItem(dialog, id), win::BM_SETCHECK,
                     on ? win::BST_CHECKED : win::BST_UNCHECKED, 0);
}

int optiondialogs::TrackPosition(win::HWND dialog, int id) {
    return static_cast<int>(win::SendMessage(win::GetDlgItem(dialog, id), win::TBM_GETPOS, 0, 0));
}

void optiondialogs::FillCombo(win::HWND dialog, int id, std::initializer_list<const char*> rows,
                              int selected) {
    win::HWND c = win::GetDlgItem(dialog, id);
    win::SendMessage(c, win::CB_RESETCONTENT, 0, 0);
    for (const char* r : rows)
        win::SendMessage(c, win::CB_ADDSTRING, 0, reinterpret_cast<win::LParam>(r));
    win::SendMessage(c, win::CB_SETCURSEL, static_cast<win::WParam>(selected), 0);
}

int optiondialogs::ComboSelection(win::HWND dialog, int id) {
    return static_cast<int>(win::SendMessage(win::GetDlgItem(dialog, id), win::CB_GETCURSEL, 0, 0));
}

// ---- sound ------------------------------------------------------------------------------------

// The slider runs from quiet on the left to loud on the right: each step from the right end is
// 0.3 dB less, and the left end is silence.
int VolumeToPosition(std::int32_t volume) {
    if (volume == -9500) return 0;
    return 100 - std::clamp(volume / -30, 0, 100);
}

std::int32_t PositionToVolume(int position) {
    position = std::clamp(position, 0, 100);
    return position == 0 ? -9500 : -30 * (100 - position);
}

namespace {

constexpr int kEngineVolume = 1701, kSpeechVolume = 1702, kEffectVolume = 1703;
constexpr int kEffectMute = 1704, kSpeechMute = 1705, kEngineMute = 1706, kSoundOff = 1712;

devices::SoundChannel* const* EngineChannels() {
    static devices::SoundChannel* const channels[5] = {
        &devices::theLeftStarterSound, &devices::theRightStarterSound, &devices::theLeftEngineSound,
        &devices::theRightEngineSound, &devices::theAmbientSound};
    return channels;
}

}  // namespace

int SoundDialog::OnInitDialog(win::HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    BeginOptionDialog(*this, 20001);
    const std::int32_t volumes[3] = {devices::theLeftStarterSound.categoryVolume,
                                     nav::theAtisSpeech.volume,
                                     devices::theEffectSound.categoryVolume};
    const int ids[3] = {kEngineVolume, kSpeechVolume, kEffectVolume};
    for (int i = 0; i < 3; ++i)
        SetupTrackbar(win::GetDlgItem(dialog, ids[i]), VolumeToPosition(volumes[i]), 0, 100, 10);
    SetCheck(dialog, kEngineMute, static_cast<int>(devices::theEnginesMuted));
    SetCheck(dialog, kSpeechMute, static_cast<int>(devices::theAtcMuted));
    SetCheck(dialog, kEffectMute, static_cast<int>(devices::theEffectsMuted));
    SetCheck(dialog, kSoundOff, static_cast<int>(devices::theSoundOffByUser));
    return r;
}

void SoundDialog::Apply() {
    using namespace devices;
    const std::int32_t engines = PositionToVolume(TrackPosition(window, kEngineVolume));
    const std::int32_t speech = PositionToVolume(TrackPosition(window, kSpeechVolume));
    const std::int32_t effects = PositionToVolume(TrackPosition(window, kEffectVolume));
    for (int i = 0; i < 5; ++i)
        EngineChannels()[i]->categoryVolume = engines;
    nav::theAtisSpeech.volume = nav::theAtcSpeech.volume = speech;
    theEffectSound.categoryVolume = theSystemsSound.categoryVolume = effects;

    if (const int on = CheckState(window, kEngineMute); on != static_cast<int>(theEnginesMuted)) {
        theEnginesMuted = static_cast<std::uint32_t>(on);
        for (int i = 0; i < 5; ++i)
            EngineChannels()[i]->SetMute(on);
    }
    if (const int on = CheckState(window, kSpeechMute); on != static_cast<int>(theAtcMuted)) {
        theAtcMuted = static_cast<std::uint32_t>(on);
        nav::theAtisSpeech.SetMute(on);
        nav::theAtcSpeech.SetMute(on);
    }
    if (const int on = CheckState(window, kEffectMute); on != static_cast<int>(theEffectsMuted)) {
        theEffectsMuted = static_cast<std::uint32_t>(on);
        theEffectSound.SetMute(on);
        theSystemsSound.SetMute(on);
        theBeaconSound.SetMute(on);
    }
    const int off = CheckState(window, kSoundOff);
    // A crash keeps sound shut; clearing the box then changes nothing.
    if (off == 0 && flight::theCrashed != 0) return;
    theSoundOffByUser = static_cast<std::uint32_t>(off);
    SetSoundSuspended(off);
}

int SoundDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    if (EndButtons(*this, wParam, [this] { Apply(); })) return 1;
    return Dialog::OnCommand(notifyCode, wParam, control);
}

// ---- control sensitivity ----------------------------------------------------------------------

namespace {
constexpr int kAileron = 1618, kElevator = 1619, kRudder = 1621, kDeadZone = 1623, kUseStick = 1567;
}

ControlSensitivityDialog::ControlSensitivityDialog(devices::Joystick* joystick)
    : Dialog("YokeSensitivityBox", 548), stick(joystick) {}

int ControlSensitivityDialog::OnInitDialog(win::HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    BeginOptionDialog(*this, 20002);
    shown = {stick ? stick->GetAileronSensitivity() : 50, stick ? stick->GetElevatorSensitivity() : 50,
             stick ? stick->GetRudderSensitivity() : 50, stick ? stick->GetDeadZone() : 0};
    const int ids[4] = {kAileron, kElevator, kRudder, kDeadZone};
    for (int i = 0; i < 4; ++i) {
        shown[static_cast<std::size_t>(i)] = std::clamp(shown[static_cast<std::size_t>(i)], 0, 100);
        SetupTrackbar(win::GetDlgItem(dialog, ids[i]), shown[static_cast<std::size_t>(i)], 0, 100, 10);
    }
    SetCheck(dialog, kUseStick, stick != nullptr && stick->IsInUse() ? 1 : 0);
    return r;
}

int ControlSensitivityDialog::OnCommand(unsigned notifyCode, win::WParam wParam,
                                        win::HWND control) {
    if (EndButtons(*this, wParam, [this] {
            if (stick == nullptr) return;
            const auto moved = [this](int id, int index) {
                const int p = TrackPosition(window, id);
                return p != shown[static_cast<std::size_t>(index)] ? p : -1;
            };
            if (const int p = moved(kAileron, 0); p >= 0) stick->SetAileronSensitivity(p);
            if (const int p = moved(kElevator, 1); p >= 0) stick->SetElevatorSensitivity(p);
            if (const int p = moved(kRudder, 2); p >= 0) stick->SetRudderSensitivity(p);
            if (const int p = moved(kDeadZone, 3); p >= 0) stick->SetDeadZone(p);
            const int use = CheckState(window, kUseStick);
            if (use != (stick->IsInUse() ? 1 : 0)) {
                void (*choose)() = use ? theUiServices.useJoystick : theUiServices.useKeyboard;
                if (choose != nullptr) choose();
            }
        }))
        return 1;
    return Dialog::OnCommand(notifyCode, wParam, control);
}

// ---- graphics ---------------------------------------------------------------------------------

namespace {

constexpr int kMainProfile = 1900, kAlternateProfile = 1901;
constexpr int kTerrainRangeBar = 1924, kCloudDistanceBar = 1943;
constexpr int kBuildingList = 1019, kMarkingsList = 1026, kLightingList = 1027;
constexpr int kHighestButton = 1926, kLowestButton = 1925;
constexpr int kRangeCaption = 1833, kCloudCaption = 1839;

// The rows of a scenery graphics profile, by their key numbers.
using world::kAircraftShadows, world::kBuildingDensity, world::kBuildingTexture,
    world::kCloudDistance, world::kEnableMoon, world::kEnableObstacles, world::kEnableStars,
    world::kEnableSun, world::kRunwayLighting, world::kRunwayMarkings, world::kRunwayTexture,
    world::kSkyTexture, world::kTerrainRange, world::kTerrainTexture;

struct CheckRow {
    int id;
    int setting;
};
constexpr CheckRow kChecks[] = {
    {1001, kTerrainTexture}, {1008, kAircraftShadows}, {1018, kBuildingTexture},
    {1003, kEnableSun},      {1004, kEnableMoon},      {1005, kEnableStars},
    {1020, kSkyTexture},     {1017, kRunwayTexture},   {1000, kEnableObstacles}};

}  // namespace

GraphicsDialog::GraphicsDialog(const world::SceneryGraphicsSettings& current)
    : Dialog("GRAPHICS", 634) {
    settings = current;
    // The two profile buttons keep their size when the template is fitted to its frame.
    tabRowFlag = 1;
}

int GraphicsDialog::OnInitDialog(win::HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    BeginOptionDialog(*this, 20005);
    win::SetWindowText(win::GetDlgItem(dialog, kTerrainRangeBar),
                       win::GetWindowText(win::GetDlgItem(dialog, kRangeCaption)));
    win::SetWindowText(win::GetDlgItem(dialog, kCloudDistanceBar),
                       win::GetWindowText(win::GetDlgItem(dialog, kCloudCaption)));
    FillCombo(dialog, kBuildingList, {"High", "Medium", "Low", "Towers and Beacons", "Towers"}, 0);
    FillCombo(dialog, kMarkingsList, {"Complete", "Simple", "None"}, 0);
    FillCombo(dialog, kLightingList, {"Complete", "Simple", "None"}, 0);
    ShowProfile();
    return r;
}

void GraphicsDialog::ShowProfile() {
    const int alternate = settings.ProfileInUse();
    SetCheck(window, kMainProfile, alternate == 0);
    SetCheck(window, kAlternateProfile, alternate == 1);
    SetupTrackbar(win::GetDlgItem(window, kTerrainRangeBar), settings.Get(kTerrainRange), 0, 100,
                  10);
    SetupTrackbar(win::GetDlgItem(window, kCloudDistanceBar), settings.Get(kCloudDistance), 0, 100,
                  10);
    win::SendMessage(win::GetDlgItem(window, kBuildingList), win::CB_SETCURSEL,
                     static_cast<win::WParam>(std::clamp(settings.Get(kBuildingDensity), 0, 4)), 0);
    win::SendMessage(win::GetDlgItem(window, kMarkingsList), win::CB_SETCURSEL,
                     static_cast<win::WParam>(std::clamp(settings.Get(kRunwayMarkings), 0, 2)), 0);
    win::SendMessage(win::GetDlgItem(window, kLightingList), win::CB_SETCURSEL,
                     static_cast<win::WParam>(std::clamp(settings.Get(kRunwayLighting), 0, 2)), 0);
    for (const CheckRow& c : kChecks)
        SetCheck(window, c.id, settings.Get(c.setting) != 0);
}

void GraphicsDialog::StoreSliders() {
    settings.Set(kTerrainRange, TrackPosition(window, kTerrainRangeBar));
    settings.Set(kCloudDistance, TrackPosition(window, kCloudDistanceBar));
    const int building = ComboSelection(window, kBuildingList);
    const int markings = ComboSelection(window, kMarkingsList);
    const int lighting = ComboSelection(window, kLightingList);
    if (building >= 0) settings.Set(kBuildingDensity, building);
    if (markings >= 0) settings.Set(kRunwayMarkings, markings);
    if (lighting >= 0) settings.Set(kRunwayLighting, lighting);
}

void GraphicsDialog::SetAll(bool highest) {
    settings.Set(kTerrainRange, highest ? 100 : 0);
    settings.Set(kCloudDistance, highest ? 100 : 0);
    settings.Set(kBuildingDensity, highest ? 0 : 4);
    settings.Set(kRunwayMarkings, highest ? 0 : 2);
    settings.Set(kRunwayLighting, highest ? 0 : 2);
    for (const CheckRow& c : kChecks)
        settings.Set(c.setting, highest ? 1 : 0);
    ShowProfile();
}

int GraphicsDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (EndButtons(*this, wParam, [this] { StoreSliders(); })) return 1;
    if (notifyCode == win::BN_CLICKED) {
        for (const CheckRow& c : kChecks)
            if (c.id == id) {
                settings.Set(c.setting, settings.Get(c.setting) != 0 ? 0 : 1);
                SetCheck(window, id, settings.Get(c.setting));
                return 1;
            }
        if (id == kMainProfile || id == kAlternateProfile) {
            StoreSliders();
            settings.SelectProfile(id == kAlternateProfile ? 1 : 0);
            ShowProfile();
            return 1;
        }
        if (id == kHighestButton || id == kLowestButton) {
            SetAll(id == kHighestButton);
            return 1;
        }
    }
    return Dialog::OnCommand(notifyCode, wParam, control);
}

// ---- brightness -------------------------------------------------------------------------------

int BrightnessDialog::OnInitDialog(win::HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    BeginOptionDialog(*this, 20000);
    const int gamma = theUiServices.gammaLevel ? theUiServices.gammaLevel() : 0;
    SetupTrackbar(win::GetDlgItem(dialog, kTrackbar), gamma, 0, 100, 10);
    ShowValue(gamma);
    return r;
}

void BrightnessDialog::ShowValue(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d %%", value);
    win::SetDlgItemText(window, kReadout, text);
    lastShown = value;
}

int BrightnessDialog::OnHScroll(win::WParam, unsigned position, win::HWND) {
    const int p = static_cast<int>(position);
    if (p == 0)
        ShowValue(TrackPosition(window, kTrackbar));
    else if (p >= 1 && p <= 100 && p != lastShown)
        ShowValue(p);
    return 0;
}

int BrightnessDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    if (EndButtons(*this, wParam,
                   [this] {
                       if (theUiServices.setGammaLevel)
                           theUiServices.setGammaLevel(TrackPosition(window, kTrackbar));
                   }))
        return 1;
    return Dialog::OnCommand(notifyCode, wParam, control);
}

}  // namespace ui
