// The four station set-up dialogs the navaid directory's pages open: the aircraft is put in the
// air relative to the page's chosen station, on a radial or bearing at a distance, altitude and
// heading, or out on an ILS approach, or flying toward a waypoint. They write the flight model
// themselves and tell the page through its placed flag (1 placed, 0 when the user kept the
// active flight plan and nothing moved).
//   VorSetup   radial, distance 0..130 nm; NAV1/NAV2 tuned and their course set on request
//   NDBSetup   bearing to or from the NDB, distance 0..75 nm; the ADF tuned, its card turned
//   ILSSetup   course, from the localizer or the glide slope, distance 0..28 nm; it offers
//              an intercept 10 nm out, 2,000 ft above the runway
//   WPTSetup   heading toward the waypoint, distance 0..200 nm
#pragma once

#include <cstdint>

#include "nav/map_pickers.h"
#include "nav/nav_records.h"

namespace nav {

class SmsDatabase;

// A station as the directory's page gives it: its frequency as the directory stores it (BCD)
// and its place.
struct SetupStation {
    std::uint16_t frequency = 0;
    std::int32_t x = 0;
    std::int32_t z = 0;
};

class StationSetupDialog : public PositionFieldsDialog {
public:
    StationSetupDialog(const char* templateName, std::uint32_t helpContext, SetupStation station,
                       int* placed);

protected:
    // OK asks first whether the active flight plan may close; then Place() puts the aircraft.
    void OnOk() override;
    // Puts the aircraft at `bearing` (degrees on the world grid) and the distance from (x, z),
    // at the altitude, heading the given binary angle.
    void PutAircraft(std::int32_t x, std::int32_t z, int bearing, std::uint16_t headingAngle);
    SetupStation station;
    // The in-air flight the aircraft is placed in: level cruise, or for an approach the flight a
    // pilot intercepts it in.
    flight::AirborneLeg leg = flight::AirborneLeg::Cruise;
    int* placed;
};

class VorSetupDialog : public StationSetupDialog {
public:
    VorSetupDialog(SetupStation station, int* placed);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

protected:
    void Place() override;
};

class NDBSetupDialog : public StationSetupDialog {
public:
    NDBSetupDialog(SetupStation station, int* placed);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

protected:
    void Place() override;
};

class ILSSetupDialog : public StationSetupDialog {
public:
    ILSSetupDialog(SetupStation station, const IlsRecord& row, int* placed);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

protected:
    void Place() override;
    IlsRecord ils;
    // The course the dialog offered, in whole degrees: left as offered, the aircraft is placed on
    // the localizer's own course rather than on the rounded one.
    int offeredCourse = 0;
};

class WPTSetupDialog : public StationSetupDialog {
public:
    WPTSetupDialog(SetupStation station, int* placed);
    int OnInitDialog(win::HWND dialog) override;

protected:
    void Place() override;
};

}  // namespace nav
