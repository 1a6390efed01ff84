// The option dialogs of the Options, World and Views menus: sound volumes and mutes, control
// sensitivity, date and time, scenery graphics, the sky cameras and the display brightness.
// Each is built on the opener's stack and run with DoModal; settings are changed only on OK
// (the graphics dialog keeps its own copy, which the opener applies when it answers 1).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/calendar.h"
#include "ui/dialog.h"
#include "ui/option_models.h"
#include "world/scenery_settings.h"

namespace devices {
class Joystick;
}

namespace ui {

// Trackbar positions show attenuation: a volume v (hundredths of a decibel) shows as v / -30,
// and the position 100 stores -9500, the others -30 times the position.
[[nodiscard]] int VolumeToPosition(std::int32_t volume);
[[nodiscard]] std::int32_t PositionToVolume(int position);

class SoundDialog : public Dialog {
public:
    SoundDialog() : Dialog("SoundVolume", 547) {}
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

private:
    void Apply();
};

class ControlSensitivityDialog : public Dialog {
public:
    explicit ControlSensitivityDialog(devices::Joystick* joystick);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

private:
    devices::Joystick* stick;
    // The positions the four trackbars opened with: OK stores only those the user moved, since
    // a stored percentage is coarser than the setting it came from.
    std::array<int, 4> shown{};
};

// The two-digit year covers 1970 to 2035: 0..35 are 2000..2035, 70..99 are 1970..1999; 36..53
// become 35 and 54..69 become 70.
[[nodiscard]] int ClampTwoDigitYear(int year);
// The calendar the date dialog keeps (core/calendar.h).
using core::MonthLength;
using core::UsDaylightTimeInForce;

class DateAndTimeDialog : public Dialog {
public:
    enum Field { kHour, kMinute, kSecond, kMonth, kDay, kYear, kFieldCount };
    static constexpr int kFieldIds[kFieldCount] = {1625, 1748, 1628, 1634, 1636, 1638};
    static constexpr int kModeCombo = 1956;
    static constexpr int kZoneCombo = 1957;
    static constexpr int kTimeUpDown = 1529;
    static constexpr int kDateUpDown = 1530;
    static constexpr int kTimeDisplay = 1640;
    static constexpr int kDateDisplay = 1641;
    static constexpr int kNowButton = 1642;

    explicit DateAndTimeDialog(DialogClock& time);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;
    int OnDestroy() override;

    [[nodiscard]] int FieldValue(Field f) const { return fields[f]; }
    // The field a click at x (pixels) in the time or date display moves to.
    [[nodiscard]] static Field FieldAt(int displayId, int x);
    // One up-down step of a field, with the wrap-around and the year's gap.
    [[nodiscard]] int Stepped(Field f, int delta) const;
    // A typed number brought into the field's range.
    [[nodiscard]] int Clamped(Field f, int value) const;

private:
    static win::LResult DisplayProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l);
    void ShowField(Field f);
    void SetField(Field f, int value);
    void FocusField(Field f);
    void ReadField(Field f);
    [[nodiscard]] int ZoneOffset() const;
    // The zone mode or the manual zone changed: the fields move to the new zone.
    void OnZoneChanged();
    void ShowAutoZone();
    void StepDay(int days);
    void Apply();

    DialogClock& time;
    std::array<int, kFieldCount> fields{};
    int focused = kHour;
    int offsetInUse = 0;
    // Hours behind UTC of the zone list's first row: 4 (Eastern Daylight Time) when daylight
    // time is in force at the clock's date, else 5 (Eastern Standard Time).
    int firstZone = 4;
    win::WNDPROC oldDisplayProc[2] = {nullptr, nullptr};
};

class GraphicsDialog : public Dialog {
public:
    // Edits a copy of `current`; the opener takes `settings` back when the dialog answers 1.
    explicit GraphicsDialog(const world::SceneryGraphicsSettings& current);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

    world::SceneryGraphicsSettings settings;

private:
    void ShowProfile();
    void StoreSliders();
    void SetAll(bool highest);
};

class SetupCamsDialog : public Dialog {
public:
    static constexpr int kPresetCombo = 1639;
    static constexpr int kPanCheck = 1942;
    static constexpr int kDistanceEdits[4] = {1935, 1936, 1937, 1938};
    static constexpr int kHeightEdits[4] = {1939, 1940, 1941, 1568};
    static constexpr int kDirectionCombos[4] = {1932, 1933, 1635, 1637};
    static constexpr int kDistanceUpDowns[4] = {1946, 1947, 1948, 1949};
    static constexpr int kHeightUpDowns[4] = {1950, 1951, 1952, 1953};

    SetupCamsDialog(DialogCameras& views, int magnetic);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;

    // The clock position a heading (radians, relative to the aircraft's) shows as, and back.
    [[nodiscard]] static int ClockIndexOfHeading(float heading);
    [[nodiscard]] static float HeadingOfClockIndex(int index);
    // An up-down step: the next multiple of 50 in the step's direction, within the range.
    [[nodiscard]] static int StepToFifty(int value, int delta, int minimum, int maximum);

private:
    void ClampEdit(int id);
    void Apply();

    DialogCameras& views;
    int mag;
};

class BrightnessDialog : public Dialog {
public:
    static constexpr int kTrackbar = 1959;
    static constexpr int kReadout = 1960;
    BrightnessDialog() : Dialog("Brightness", 706) {}
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int OnHScroll(win::WParam wParam, unsigned position, win::HWND scrollBar) override;
    [[nodiscard]] int LastShown() const { return lastShown; }

private:
    void ShowValue(int value);
    int lastShown = -1;
};

}  // namespace ui
