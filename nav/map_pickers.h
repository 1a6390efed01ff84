// The three pickers the map's information tools open inside the positioning dialog, and the
// field handling every positioning dialog shares:
//   MapRunwayDialog ("MapRunway")     an airport's runways; the chosen threshold, on the ground
//   MapEnrouteDialog ("MapEnroute")   a VOR; a radial, distance, altitude and heading in the air,
//                                     NAV1 and NAV2 tuned and their course set on request
//   MapApproachDialog ("MapApproach") a localizer; a point out on its approach course
// Each writes the map's result position (theMapView) and ends with 1 when it placed the
// aircraft; the positioning dialog's opener applies the position.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "flight/aircraft.h"
#include "nav/position_dialog.h"
#include "nav/position_placement.h"
#include "ui/dialog.h"

namespace nav {

// Which radios the en-route picker, the station set-up dialogs and the navaid directory tune;
// kept from one opening to the next.
extern int theTuneNav1Option;
extern int theTuneNav2Option;
extern int theTuneAdfOption;

// A dialog that places the aircraft from number fields: the fields are checked when they lose
// the focus (letters and empty fields read as 0, every value held to its range and written
// back); OK takes them all and places, Cancel (2 or 1817) ends with 0.
class PositionFieldsDialog : public ui::Dialog {
public:
    PositionFieldsDialog(const char* templateName, std::uint32_t helpContext);
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

    int radial = 0;  // the radial, bearing or course
    int distance = 0;
    int altitude = 0;
    int heading = 0;

protected:
    struct Field {
        int id;
        int lo;
        int hi;
        int* value;
        int upDown;  // 0: none
        bool writeBackAtOnce;  // values above the range are written back while typing
    };
    // What OK does after the fields were taken; then the dialog ends with 1.
    virtual void Place() {}
    virtual void OnOk();
    void AddField(int id, int lo, int hi, int* value, int upDown = 0, bool atOnce = false);
    // The fields of the radial dialogs (radial 1780, distance 1782, altitude 1783, heading
    // 1784, with up-downs 1781 and 1785), and their opening values: no distance, the current
    // altitude and heading, the radial behind the aircraft and the heading back to the station.
    void AddRadialFields(int distanceLimit);
    void OpenRadialFields();
    // The fields of the other dialogs: bearing or course 1538 (up-down 1529; not always),
    // heading 1540 (up-down 1530), altitude 1541, distance 1542; and their opening values: no
    // distance, the current altitude and heading.
    void AddBearingFields(int distanceLimit, bool withBearing);
    void OpenBearingFields();
    // Puts a value into its edit (and its up-down control).
    void ShowField(int id);
    // Reads, clamps and writes back one field, or all.
    void TakeField(int id);
    void TakeFields();
    // The heading radios of the radial dialogs: 1786 makes the heading the radial, 1069 the
    // radial turned back to the station (1 to 360); each checks itself and clears the other.
    void HeadingRadio(int id);
    [[nodiscard]] bool Checked(int id) const;
    void Check(int id, bool on);
    void Enable(int id, bool on);
    std::vector<Field> fields;
    std::uint32_t help = 0;
};

class MapRunwayDialog : public PositionFieldsDialog {
public:
    explicit MapRunwayDialog(int airportRow);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int airport;
};

class MapEnrouteDialog : public PositionFieldsDialog {
public:
    explicit MapEnrouteDialog(int vorRow);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int station;

private:
    void Place() override;
};

class MapApproachDialog : public PositionFieldsDialog {
public:
    explicit MapApproachDialog(int ilsRow);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int station;

private:
    void Place() override;
};

// ---- Steps the positioning dialogs share ----
// Loads the aircraft type's in-flight start flight of a leg (level cruise unless another is
// asked for); the name of the program's start flight stays as it was.
void ReloadAirborneStart(flight::AirborneLeg leg = flight::AirborneLeg::Cruise);
// Tunes NAV1 and NAV2 as asked; their reception is checked.
void TuneNavRadios(NavRadioWords words, bool nav1, bool nav2);
// Sets a NAV radio's course as a pilot turning its OBS would (radio 1 or 2), and NAV1's HSI
// course; the receiver's reception is checked afterwards.
void SetNavCourse(int radio, int course);
// The HSI course (0 in the Cessna 172 and its variant, which have none).
void SetHsiCourse(int course);
// The current aircraft type (0 when there is no aircraft).
[[nodiscard]] int CurrentAircraftType();
// The two grid values at a point, added.
[[nodiscard]] std::uint16_t GridSum(std::int32_t x, std::int32_t z);
// The kind text of a VOR or localizer row ("Low Altitude VOR/DME", "Localizer/Glideslope").
[[nodiscard]] std::string VorKindText(std::uint16_t flags);
[[nodiscard]] std::string LocalizerKindText(std::uint16_t flags);

}  // namespace nav
