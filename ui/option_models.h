// What the date-and-time and sky-camera dialogs work on: the simulated clock and the view's
// camera set-up, as the program's objects offer them to the dialogs.
#pragma once

#include <string>

namespace ui {

// A date and time as the dialog shows and sets it: month 0..11, year counted from 1900.
struct ClockReading {
    int hour = 0;
    int min = 0;
    int sec = 0;
    int mon = 0;
    int mday = 1;
    int year = 70;
};

// The clock's zone modes: 0 UTC, 1 a manual zone (hours west), 2 the zone of the position.
class DialogClock {
public:
    [[nodiscard]] virtual int GetZoneMode() const = 0;
    virtual void SetZoneMode(int mode) = 0;
    [[nodiscard]] virtual int GetManualZone() const = 0;
    virtual void SetManualZone(int hours) = 0;
    [[nodiscard]] virtual int GetAutoZone() const = 0;
    // The automatic zone's name as it stands, e.g. "Mountain Standard Time".
    [[nodiscard]] virtual std::string GetAutoZoneName() const = 0;
    // Makes the chosen zone mode's zone the one in use.
    virtual void ApplyZoneMode() = 0;
    [[nodiscard]] virtual ClockReading ReadClock(bool zulu) = 0;
    virtual void SetClock(const ClockReading& time, bool zulu) = 0;

protected:
    ~DialogClock() = default;
};

// A sky camera: its heading (radians, relative to the aircraft's), distance and height.
struct CameraPlace {
    float heading = 0.0f;
    float distance = 0.0f;
    float altitude = 0.0f;
};

class DialogCameras {
public:
    static constexpr int kCameraCount = 4;
    [[nodiscard]] virtual bool InTowerCam() const = 0;
    [[nodiscard]] virtual int GetSkyCamPreset() const = 0;
    [[nodiscard]] virtual int GetPanCamera() const = 0;
    [[nodiscard]] virtual CameraPlace ReadCamera(int index) const = 0;
    // The camera takes the place and loses any turn of its own.
    virtual void PlaceCamera(int index, const CameraPlace& place) = 0;
    virtual void EnterTowerCam() = 0;
    virtual void EnterSkyCam(int preset) = 0;
    virtual void SetPanCamera(int on) = 0;
    // The camera settings go into the settings file.
    virtual void StoreCameraSettings() = 0;

protected:
    ~DialogCameras() = default;
};

}  // namespace ui
