#include "nav/station_setup.h"

#include <algorithm>
#include <cmath>

#include "cockpit/nav_course.h"
#include "cockpit/radio_words.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "flight/level_flight_trim.h"
#include "nav/nav_database.h"
#include "nav/nav_host.h"
#include "nav/position_placement.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"
#include "win/modal.h"

namespace nav {

namespace {

constexpr int kStationSetupHeadingIsRadial = 1786;
constexpr int kStationSetupSetCourse = 1787;
constexpr int kStationSetupHeadingIsReciprocal = 1069;
constexpr int kFirstRadio = 1532;   // NDB: bearing to the station; ILS: from the localizer
constexpr int kSecondRadio = 1534;  // NDB: bearing from it; ILS: from the glide slope
constexpr int kSetAdfCard = 1567;
// The ILS set-up's offered intercept.
constexpr int kInterceptNm = 10;
constexpr int kInterceptFeetAboveRunway = 2000;

void TuneNav(std::uint16_t bcd) {
    TuneNavRadios(NavWordsFromBcd(bcd), theTuneNav1Option != 0, theTuneNav2Option != 0);
}

}  // namespace

// ---- The frame they share -------------------------------------------------------------------------

StationSetupDialog::StationSetupDialog(const char* templateName, std::uint32_t helpContext,
                                       SetupStation setupStation, int* placedFlag)
    : PositionFieldsDialog(templateName, helpContext), station(setupStation), placed(placedFlag) {}

void StationSetupDialog::OnOk() {
    TakeFields();
    // A flight plan the user keeps active stays as it is, and so does the aircraft.
    if (theNavHost.confirmCloseFlightPlan(window) == 0) {
        if (placed != nullptr) *placed = 0;
        win::EndDialog(window, 1);
        return;
    }
    theNavHost.setCursor(win::IDC_WAIT);
    ReloadAirborneStart(leg);
    Place();
    // The in-air flight was trimmed level over sea level: the power that holds the height
    // typed in the air there.
    flight::RetrimThrottleForLevelFlight(flight::kLevelStartSeconds);
    cockpit::UpdateObsCourses();
    if (placed != nullptr) *placed = 1;
    theNavHost.setCursor(win::IDC_ARROW);
    win::EndDialog(window, 1);
}

void StationSetupDialog::PutAircraft(std::int32_t x, std::int32_t z, int bearing,
                                     std::uint16_t headingAngle) {
    std::int32_t px = 0, pz = 0;
    PointAtBearing(x, z, bearing, NmToWorld(distance), &px, &pz);
    PlaceInTheAir(px, pz, FeetToWorldAltitude(altitude), headingAngle);
}

// ---- VOR --------------------------------------------------------------------------------------------

VorSetupDialog::VorSetupDialog(SetupStation s, int* p) : StationSetupDialog("VorSetup", 20023, s, p) {
    AddRadialFields(130);
}

int VorSetupDialog::OnInitDialog(win::HWND dialog) {
    ui::Dialog::OnInitDialog(dialog);
    SetHelpId(help);
    const bool tuned = theTuneNav1Option != 0 || theTuneNav2Option != 0;
    Check(kStationSetupSetCourse, tuned);
    Enable(kStationSetupSetCourse, tuned);
    OpenRadialFields();
    return 1;
}

int VorSetupDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == kStationSetupHeadingIsRadial || id == kStationSetupHeadingIsReciprocal) {
        HeadingRadio(id);
        return 1;
    }
    return PositionFieldsDialog::OnCommand(notifyCode, wParam, control);
}

void VorSetupDialog::Place() {
    TuneNav(station.frequency);
    if (win::IsWindowEnabled(win::GetDlgItem(window, kStationSetupSetCourse)) &&
        Checked(kStationSetupSetCourse)) {
        const int course =
            WrapDegrees(radial + (Checked(kStationSetupHeadingIsReciprocal) ? 180 : 0));
        if (theTuneNav1Option) SetNavCourse(1, course);
        if (theTuneNav2Option) SetNavCourse(2, course);
    }
    const std::uint16_t g = GridSum(station.x, station.z);
    PutAircraft(station.x, station.z,
                AngleToDegrees(static_cast<std::uint16_t>(DegreesToAngle(radial) + g)),
                static_cast<std::uint16_t>(DegreesToAngle(heading) + g));
}

// ---- NDB --------------------------------------------------------------------------------------------

NDBSetupDialog::NDBSetupDialog(SetupStation s, int* p) : StationSetupDialog("NDBSetup", 20024, s, p) {
    AddBearingFields(75, true);
}

int NDBSetupDialog::OnInitDialog(win::HWND dialog) {
    ui::Dialog::OnInitDialog(dialog);
    SetHelpId(help);
    OpenBearingFields();
    radial = heading;
    for (const Field& f : fields)
        ShowField(f.id);
    Check(kFirstRadio, true);
    Check(kSecondRadio, false);
    Check(kSetAdfCard, true);
    return 1;
}

int NDBSetupDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == kFirstRadio || id == kSecondRadio) {
        win::CheckRadioButton(window, kFirstRadio, kSecondRadio, id);
        return 1;
    }
    return PositionFieldsDialog::OnCommand(notifyCode, wParam, control);
}

void NDBSetupDialog::Place() {
    if (theTuneAdfOption) {
        const NavRadioWords w = AdfWordsFromBcd(station.frequency);
        cockpit::SetActiveFrequency(cockpit::Radio::Adf, static_cast<std::int16_t>(w.mhz),
                                    static_cast<std::int16_t>(w.hundredths));
    }
    const std::uint16_t g = GridSum(station.x, station.z);
    int bearing = AngleToDegrees(static_cast<std::uint16_t>(DegreesToAngle(radial) + g));
    // A bearing to the station puts the aircraft on the opposite side of it.
    if (Checked(kFirstRadio)) bearing = WrapDegrees(bearing + 180);
    PutAircraft(station.x, station.z, bearing,
                static_cast<std::uint16_t>(DegreesToAngle(heading) + g));
    CheckAdfReception();
    const int type = CurrentAircraftType();
    if (Checked(kSetAdfCard) && type != 3 && type != 4) {
        cockpit::theAdfCard.card = static_cast<std::int16_t>(360 - heading);
        cockpit::theAdfCard.position = static_cast<std::int16_t>((360 - heading) * 0.4 + 0.5);
    }
}

// ---- ILS --------------------------------------------------------------------------------------------

ILSSetupDialog::ILSSetupDialog(SetupStation s, const IlsRecord& row, int* p)
    : StationSetupDialog("ILSSetup", 20025, s, p), ils(row) {
    // The intercept as a pilot flies it: level at the pattern speed with the approach flaps and
    // the gear down, the power that holds the height there, so that down the glide path the
    // speed stays near the approach speed without a change of power.
    leg = flight::AirborneLeg::Pattern;
    AddBearingFields(28, true);
}

int ILSSetupDialog::OnInitDialog(win::HWND dialog) {
    ui::Dialog::OnInitDialog(dialog);
    SetHelpId(help);
    OpenBearingFields();
    // Where a pilot intercepts the approach: 10 nm out, 2,000 ft above the runway (rounded up to
    // the hundred), under the glide path, which stands about 2,700 ft above the runway there.
    distance = kInterceptNm;
    const int fieldFeet = static_cast<int>(std::lround(ils.elevation / 0.3048));
    altitude = std::clamp((fieldFeet + kInterceptFeetAboveRunway + 99) / 100 * 100, 1, 30000);
    radial = WrapDegrees(AngleToDegrees(static_cast<std::uint16_t>(ils.course - GridSum(ils.x, ils.z))));
    heading = radial;
    offeredCourse = radial;
    for (const Field& f : fields)
        ShowField(f.id);
    Check(kFirstRadio, true);
    Check(kSecondRadio, false);
    Enable(kSecondRadio, ils.x2 != 0 || ils.z2 != 0);
    return 1;
}

int ILSSetupDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == kFirstRadio || id == kSecondRadio) {
        win::CheckRadioButton(window, kFirstRadio, kSecondRadio, id);
        return 1;
    }
    return PositionFieldsDialog::OnCommand(notifyCode, wParam, control);
}

void ILSSetupDialog::Place() {
    TuneNav(station.frequency);
    SetHsiCourse(radial);
    // The course offered is the localizer's rounded to whole degrees; placed along the rounded
    // course the aircraft would start up to half a degree off the beam, so the course the
    // localizer sends is taken as long as the user kept the offered one.
    const std::uint16_t course = radial == offeredCourse
                                     ? ils.course
                                     : static_cast<std::uint16_t>(DegreesToAngle(radial) +
                                                                  GridSum(ils.x, ils.z));
    const std::uint16_t headingAngle =
        heading == offeredCourse
            ? ils.course
            : static_cast<std::uint16_t>(DegreesToAngle(heading) + GridSum(ils.x, ils.z));
    std::int32_t ox = ils.x, oz = ils.z;
    const double outward = (course + 32768) % 65536 * (360.0 / 65536.0);
    if (Checked(kSecondRadio) && (ils.x2 != 0 || ils.z2 != 0)) {
        // The glide-slope antenna stands beside the runway: the distance counts from the point of
        // the course abeam of it, so the aircraft is still on the beam.
        const double a = course * (2.0 * 3.14159265358979323846 / 65536.0);
        const double along = (static_cast<double>(ils.x2) - ils.x) * std::sin(a) +
                             (static_cast<double>(ils.z2) - ils.z) * std::cos(a);
        ox = static_cast<std::int32_t>(std::lround(ils.x + along * std::sin(a)));
        oz = static_cast<std::int32_t>(std::lround(ils.z + along * std::cos(a)));
    }
    std::int32_t px = 0, pz = 0;
    PointAtBearing(ox, oz, outward, NmToWorld(distance), &px, &pz);
    PlaceInTheAir(px, pz, FeetToWorldAltitude(altitude), headingAngle);
    if (flight::Aircraft* a = theNavHost.aircraft()) {
        a->SetPropellerRunning(0);
        a->SetPropellerRunning(1);
    }
}

// ---- Waypoint ----------------------------------------------------------------------------------------

WPTSetupDialog::WPTSetupDialog(SetupStation s, int* p) : StationSetupDialog("WPTSetup", 20026, s, p) {
    AddBearingFields(200, false);
}

int WPTSetupDialog::OnInitDialog(win::HWND dialog) {
    ui::Dialog::OnInitDialog(dialog);
    SetHelpId(help);
    OpenBearingFields();
    for (const Field& f : fields)
        ShowField(f.id);
    return 1;
}

void WPTSetupDialog::Place() {
    // Behind the waypoint along the heading, so the aircraft flies toward it.
    const std::uint16_t g = GridSum(station.x, station.z);
    PutAircraft(station.x, station.z,
                AngleToDegrees(static_cast<std::uint16_t>(DegreesToAngle(heading) + g + 32768)),
                static_cast<std::uint16_t>(DegreesToAngle(heading) + g));
}

}  // namespace nav
