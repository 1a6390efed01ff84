#include "nav/map_pickers.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "cockpit/gauges.h"
#include "cockpit/nav_course.h"
#include "cockpit/radio_words.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "nav/dialog_controls.h"
#include "nav/map_view.h"
#include "nav/nav_database.h"
#include "nav/nav_host.h"
#include "nav/position_placement.h"
#include "nav/sms_database.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/modal.h"
#include "world/terrain_services.h"

namespace nav {

int theTuneNav1Option = 0;
int theTuneNav2Option = 0;
int theTuneAdfOption = 0;

namespace {

// Controls of the pickers.
constexpr int kIdentText = 1971;
constexpr int kKindText = 1972;
constexpr int kFrequencyText = 15516;
constexpr int kRadial = 1780;
constexpr int kRadialUpDown = 1781;
constexpr int kDistance = 1782;
constexpr int kMapPickersAltitude = 1783;
constexpr int kHeading = 1784;
constexpr int kHeadingUpDown = 1785;
constexpr int kHeadingIsRadial = 1786;
constexpr int kSetCourse = 1787;
constexpr int kHeadingIsReciprocal = 1069;
constexpr int kTuneNav1 = 1693;
constexpr int kTuneNav2 = 1694;
constexpr int kFromLocalizer = 1532;
constexpr int kFromSecondPoint = 1534;
constexpr int kCourse = 1538;
constexpr int kCourseUpDown = 1529;
constexpr int kApproachHeading = 1540;
constexpr int kApproachHeadingUpDown = 1530;
constexpr int kApproachAltitude = 1541;
constexpr int kApproachDistance = 1542;
constexpr int kAirportName = 1934;
constexpr int kMapPickersRunwayList = 1929;
constexpr int kTakeRunway = 1928;
constexpr int kMapPickersCancelButton = 1817;

}  // namespace

// ---- Shared steps ------------------------------------------------------------------------------

int CurrentAircraftType() {
    const flight::Aircraft* a = theNavHost.aircraft();
    return a != nullptr ? a->GetType() : 0;
}

void ReloadAirborneStart(flight::AirborneLeg leg) {
    std::string* name = theNavHost.startFlightName();
    const std::string kept = *name;
    if (flight::Aircraft* a = theNavHost.aircraft()) a->LoadAirborneFlight(leg);
    *name = kept;
}

void TuneNavRadios(NavRadioWords words, bool nav1, bool nav2) {
    for (const auto radio : {cockpit::Radio::Nav1, cockpit::Radio::Nav2})
        if (radio == cockpit::Radio::Nav1 ? nav1 : nav2)
            cockpit::SetActiveFrequency(radio, static_cast<std::int16_t>(words.mhz),
                                        static_cast<std::int16_t>(words.hundredths));
}

void SetHsiCourse(int course) {
    const int type = CurrentAircraftType();
    cockpit::theHsiGauge.course = static_cast<std::int16_t>(type == 0 || type == 5 ? 0 : course);
}

void SetNavCourse(int radio, int course) {
    course = WrapDegrees(course);
    cockpit::NavCourseWords& w = radio == 1 ? cockpit::theNav1Course : cockpit::theNav2Course;
    if (radio == 1) cockpit::ClearNavRadioSelection();
    w.courseSet = 1;
    w.courseRedraw = 1;
    w.obsCard = static_cast<std::int16_t>(360 - course);
    w.obsCardPosition = static_cast<std::int16_t>((360 - course) * 0.4 + 0.5);
    w.selectedCourse = static_cast<std::uint16_t>(course);
    if (radio == 1) {
        SetHsiCourse(course);
        cockpit::UpdateNav1CourseAngle();
        CheckNav1Reception();
    } else {
        w.courseAngle = static_cast<std::uint16_t>(DegreesToAngle(course));
        CheckNav2Reception();
    }
}

std::uint16_t GridSum(std::int32_t x, std::int32_t z) {
    const GridValues g = theMapView.LookupGridValues(x, z);
    return static_cast<std::uint16_t>(g.variation + g.north);
}

std::string VorKindText(std::uint16_t flags) {
    std::string text = (flags & kHighAltitudeClass) ? "High Altitude "
                       : (flags & kLowAltitudeClass) ? "Low Altitude "
                       : (flags & kTerminalClass)    ? "Terminal "
                                                     : "";
    text += "VOR";
    if (flags & kVortacFlag)
        text += "TAC";
    else if (flags & kDmeFlag)
        text += "/DME";
    return text;
}

std::string LocalizerKindText(std::uint16_t flags) {
    std::string text;
    if (flags & kLocalizerFlag) {
        text = "Localizer";
        if (flags & 0x03E8) text += "/Glideslope";
    } else if (flags & kLdaFlag) {
        text = "LDA";
    } else if (flags & kSdfFlag) {
        text = "SDF";
    } else if (flags & kIlsFlag) {
        text = "ILS";
    }
    if (flags & kDmeFlag) text += "/DME";
    return text;
}

// ---- Fields ------------------------------------------------------------------------------------

PositionFieldsDialog::PositionFieldsDialog(const char* templateName, std::uint32_t helpContext)
    : ui::Dialog(templateName, kPositionPaletteId), help(helpContext) {
    helpButtonId = ui::kHelpButtonId;
}

void PositionFieldsDialog::AddField(int id, int lo, int hi, int* value, int upDown, bool atOnce) {
    fields.push_back(Field{id, lo, hi, value, upDown, atOnce});
}

void PositionFieldsDialog::ShowField(int id) {
    for (const Field& f : fields) {
        if (f.id != id) continue;
        win::SetDlgItemInt(window, f.id, static_cast<unsigned>(*f.value), true);
        if (f.upDown != 0) {
            win::SendDlgItemMessage(window, f.upDown, win::UDM_SETRANGE, 0,
                                    static_cast<win::LParam>(win::MAKELONG(
                                        static_cast<std::uint16_t>(f.hi),
                                        static_cast<std::uint16_t>(f.lo))));
            win::SendDlgItemMessage(window, f.upDown, win::UDM_SETPOS, 0,
                                    static_cast<win::LParam>(*f.value));
        }
    }
}

void PositionFieldsDialog::TakeField(int id) {
    for (const Field& f : fields) {
        if (f.id != id) continue;
        const std::string text = win::GetDlgItemText(window, f.id);
        const int v = ClampTypedValue(text, f.lo, f.hi);
        *f.value = v;
        // Written back only when it changed, so a field being typed into keeps its caret.
        if (text != std::to_string(v)) ShowField(f.id);
        else if (f.upDown != 0)
            win::SendDlgItemMessage(window, f.upDown, win::UDM_SETPOS, 0,
                                    static_cast<win::LParam>(v));
    }
}

void PositionFieldsDialog::TakeFields() {
    for (const Field& f : fields)
        TakeField(f.id);
}

void PositionFieldsDialog::HeadingRadio(int id) {
    TakeField(kRadial);
    const bool back = id == kHeadingIsReciprocal;
    if (Checked(id)) {
        heading = WrapDegrees(radial + (back ? 180 : 0));
        ShowField(kHeading);
    }
    Check(kHeadingIsReciprocal, back);
    Check(kHeadingIsRadial, !back);
}

bool PositionFieldsDialog::Checked(int id) const {
    return win::IsDlgButtonChecked(window, id) == static_cast<unsigned>(win::BST_CHECKED);
}

void PositionFieldsDialog::Check(int id, bool on) {
    win::CheckDlgButton(window, id, on ? win::BST_CHECKED : win::BST_UNCHECKED);
}

void PositionFieldsDialog::Enable(int id, bool on) {
    win::EnableWindow(win::GetDlgItem(window, id), on);
}

void PositionFieldsDialog::AddRadialFields(int distanceLimit) {
    AddField(kRadial, 1, 360, &radial, kRadialUpDown);
    AddField(kDistance, 0, distanceLimit, &distance);
    AddField(kMapPickersAltitude, 1, 30000, &altitude, 0, true);
    AddField(kHeading, 1, 360, &heading, kHeadingUpDown);
}

void PositionFieldsDialog::OpenRadialFields() {
    distance = 0;
    altitude = std::clamp(CurrentAltitudeFeet(), 1, 30000);
    heading = CurrentHeadingDegrees();
    radial = WrapDegrees(heading + 180);
    for (const Field& f : fields)
        ShowField(f.id);
    Check(kHeadingIsReciprocal, true);
    Check(kHeadingIsRadial, false);
}

void PositionFieldsDialog::AddBearingFields(int distanceLimit, bool withBearing) {
    if (withBearing) AddField(kCourse, 1, 360, &radial, kCourseUpDown);
    AddField(kApproachHeading, 1, 360, &heading, kApproachHeadingUpDown);
    AddField(kApproachAltitude, 1, 30000, &altitude, 0, true);
    AddField(kApproachDistance, 0, distanceLimit, &distance);
}

void PositionFieldsDialog::OpenBearingFields() {
    distance = 0;
    altitude = std::clamp(CurrentAltitudeFeet(), 1, 30000);
    heading = CurrentHeadingDegrees();
}

void PositionFieldsDialog::OnOk() {
    TakeFields();
    Place();
    win::EndDialog(window, 1);
}

int PositionFieldsDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == 1) {
        OnOk();
        return 1;
    }
    if (id == 2 || id == kMapPickersCancelButton) {
        win::EndDialog(window, 0);
        return 1;
    }
    for (const Field& f : fields) {
        if (f.id != id) continue;
        if (notifyCode == win::EN_KILLFOCUS) {
            TakeField(id);
            return 1;
        }
        if (notifyCode == win::EN_CHANGE && f.writeBackAtOnce) {
            const std::string text = win::GetDlgItemText(window, id);
            if (ClampTypedValue(text, f.lo, INT32_MAX) > f.hi) TakeField(id);
            return 1;
        }
        return 0;
    }
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

// ---- The runway picker ---------------------------------------------------------------------------

MapRunwayDialog::MapRunwayDialog(int airportRow)
    : PositionFieldsDialog("MapRunway", 20017), airport(airportRow) {}

int MapRunwayDialog::OnInitDialog(win::HWND dialog) {
    ui::Dialog::OnInitDialog(dialog);
    SetHelpId(help);
    theMapView.FillRunwayList(dialog, airport);
    return 1;
}

int MapRunwayDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    switch (win::LOWORD(wParam)) {
        case kTakeRunway:
            // An airport without runways has nothing to take: nothing is placed.
            if (!theMapView.TakeSelectedRunway(window)) {
                win::EndDialog(window, 0);
                return 1;
            }
            theAtcState.startPos = 3;
            theAtcState.enabledATC = 0;
            win::EndDialog(window, 1);
            return 1;
        case kMapPickersRunwayList:
            if (notifyCode == win::LBN_DBLCLK)
                win::PostMessage(window, win::WM_COMMAND, kTakeRunway, 0);
            return 1;
        case 2:
        case 3:
        case kMapPickersCancelButton:
            win::EndDialog(window, 0);
            return 1;
        default:
            return PositionFieldsDialog::OnCommand(notifyCode, wParam, control);
    }
}

int MapView::FillRunwayList(win::HWND picker, int airportRow) {
    pickerRunways.clear();
    ListBoxTarget list(picker, kMapPickersRunwayList);
    list.Reset();
    if (airportRow < 0 || static_cast<std::size_t>(airportRow) >= theNavDatabase.airports.size())
        return 0;
    SmsEntryCopy entry;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    // The entry's name is ended inside its 105 bytes, whatever the file holds there.
    if (!theSmsDatabase.ReadAirportRecord(airportRow, &entry, &header, &rows)) return 0;
    SetControlText(picker, kAirportName, entry.name);
    static constexpr int kStops[4] = {30, 45, 55, 65};
    list.SetTabStops(kStops, 4);
    for (const SmsRunwayRecord& r : rows)
        list.Add(RunwayListRow(r));
    pickerRunways = std::move(rows);
    if (!pickerRunways.empty()) list.Select(0);
    return static_cast<int>(pickerRunways.size());
}

int MapView::TakeSelectedRunway(win::HWND picker) {
    const auto row = static_cast<int>(
        win::SendDlgItemMessage(picker, kMapPickersRunwayList, win::LB_GETCURSEL, 0, 0));
    if (row < 0 || static_cast<std::size_t>(row) >= pickerRunways.size()) {
        pickerRunways.clear();
        return 0;
    }
    const SmsRunwayRecord& r = pickerRunways[static_cast<std::size_t>(row)];
    resultX = r.x;
    resultZ = r.z;
    resultHeading = r.heading;
    flight::theFlightModelState.fmPosY = 6;
    world::theTerrainDatum = 0;
    pickerRunways.clear();
    return 1;
}

// ---- The en-route picker -------------------------------------------------------------------------

MapEnrouteDialog::MapEnrouteDialog(int vorRow)
    : PositionFieldsDialog("MapEnroute", 20018), station(vorRow) {
    AddRadialFields(130);
}

int MapEnrouteDialog::OnInitDialog(win::HWND dialog) {
    ui::Dialog::OnInitDialog(dialog);
    SetHelpId(help);
    if (station < 0 || static_cast<std::size_t>(station) >= theNavDatabase.vors.size()) {
        win::EndDialog(dialog, 0);
        return 1;
    }
    const VorRecord& vor = theNavDatabase.vors[static_cast<std::size_t>(station)];
    SetControlText(dialog, kIdentText, vor.ident);
    SetControlText(dialog, kKindText, VorKindText(vor.flags));
    char mhz[16];
    SetControlText(dialog, kFrequencyText, FormatMhz(static_cast<std::uint16_t>(vor.frequency), mhz));
    OpenRadialFields();
    // The boxes show the radios OK will tune.
    Check(kTuneNav1, theTuneNav1Option != 0);
    Check(kTuneNav2, theTuneNav2Option != 0);
    Enable(kSetCourse, theTuneNav1Option != 0 || theTuneNav2Option != 0);
    return 1;
}

int MapEnrouteDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    switch (win::LOWORD(wParam)) {
        case kTuneNav1:
        case kTuneNav2:
            theTuneNav1Option = Checked(kTuneNav1) ? 1 : 0;
            theTuneNav2Option = Checked(kTuneNav2) ? 1 : 0;
            Enable(kSetCourse, theTuneNav1Option != 0 || theTuneNav2Option != 0);
            return 1;
        case kHeadingIsRadial:
        case kHeadingIsReciprocal:
            HeadingRadio(win::LOWORD(wParam));
            return 1;
        default:
            return PositionFieldsDialog::OnCommand(notifyCode, wParam, control);
    }
}

void MapEnrouteDialog::Place() {
    const VorRecord& vor = theNavDatabase.vors[static_cast<std::size_t>(station)];
    ReloadAirborneStart();
    TuneNavRadios(NavWordsFromHundredths(static_cast<std::uint16_t>(vor.frequency)),
                  theTuneNav1Option != 0, theTuneNav2Option != 0);
    if (win::IsWindowEnabled(win::GetDlgItem(window, kSetCourse)) && Checked(kSetCourse)) {
        const int course = WrapDegrees(radial + (Checked(kHeadingIsReciprocal) ? 180 : 0));
        if (theTuneNav1Option) SetNavCourse(1, course);
        if (theTuneNav2Option) SetNavCourse(2, course);
    }
    const std::uint16_t g = GridSum(vor.x, vor.z);
    const int bearing = AngleToDegrees(static_cast<std::uint16_t>(DegreesToAngle(radial) + g));
    PointAtBearing(vor.x, vor.z, bearing, NmToWorld(distance), &theMapView.resultX,
                   &theMapView.resultZ);
    theMapView.resultAltitude = FeetToWorldAltitude(altitude);
    theMapView.resultHeading = static_cast<std::uint16_t>(DegreesToAngle(heading) + g);
    cockpit::UpdateObsCourses();
}

// ---- The approach picker ---------------------------------------------------------------------------

MapApproachDialog::MapApproachDialog(int ilsRow)
    : PositionFieldsDialog("MapApproach", 20019), station(ilsRow) {
    AddBearingFields(28, true);
}

int MapApproachDialog::OnInitDialog(win::HWND dialog) {
    ui::Dialog::OnInitDialog(dialog);
    SetHelpId(help);
    if (station < 0 || static_cast<std::size_t>(station) >= theNavDatabase.ils.size()) {
        win::EndDialog(dialog, 0);
        return 1;
    }
    const IlsRecord& ils = theNavDatabase.ils[static_cast<std::size_t>(station)];
    SetControlText(dialog, kIdentText, ils.ident);
    SetControlText(dialog, kKindText, LocalizerKindText(ils.flags));
    char mhz[16];
    SetControlText(dialog, kFrequencyText, FormatMhz(static_cast<std::uint16_t>(ils.frequency), mhz));
    Check(kFromLocalizer, true);
    Check(kFromSecondPoint, false);
    Enable(kFromSecondPoint, ils.x2 != 0 || ils.z2 != 0);
    OpenBearingFields();
    // The course as the pilot reads it: the grid's course less both grid values.
    radial = WrapDegrees(AngleToDegrees(static_cast<std::uint16_t>(ils.course - GridSum(ils.x, ils.z))));
    heading = radial;
    for (const Field& f : fields)
        ShowField(f.id);
    Check(kTuneNav2, theTuneNav2Option != 0);
    return 1;
}

int MapApproachDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    switch (win::LOWORD(wParam)) {
        case kFromLocalizer:
        case kFromSecondPoint:
            win::CheckRadioButton(window, kFromLocalizer, kFromSecondPoint, win::LOWORD(wParam));
            return 1;
        case kTuneNav2:
            theTuneNav2Option = Checked(kTuneNav2) ? 1 : 0;
            return 1;
        default:
            return PositionFieldsDialog::OnCommand(notifyCode, wParam, control);
    }
}

void MapApproachDialog::Place() {
    const IlsRecord& ils = theNavDatabase.ils[static_cast<std::size_t>(station)];
    ReloadAirborneStart();
    TuneNavRadios(NavWordsFromHundredths(static_cast<std::uint16_t>(ils.frequency)), true,
                  theTuneNav2Option != 0);
    SetHsiCourse(radial);
    const bool second = Checked(kFromSecondPoint) && (ils.x2 != 0 || ils.z2 != 0);
    const std::int32_t ox = second ? ils.x2 : ils.x, oz = second ? ils.z2 : ils.z;
    const std::uint16_t g = GridSum(ox, oz);
    // Out along the course's reciprocal, so the aircraft flies the course in.
    const int bearing =
        AngleToDegrees(static_cast<std::uint16_t>(DegreesToAngle(radial) + g + 32768));
    PointAtBearing(ox, oz, bearing, NmToWorld(distance), &theMapView.resultX, &theMapView.resultZ);
    theMapView.resultAltitude = FeetToWorldAltitude(altitude);
    theMapView.resultHeading = static_cast<std::uint16_t>(DegreesToAngle(heading) + g);
}

// ---- Running a picker -------------------------------------------------------------------------------

int RunMapPicker(MapPicker picker, win::HWND parent, int row) {
    std::intptr_t r = 0;
    switch (picker) {
        case MapPicker::Runway: {
            MapRunwayDialog d(row);
            r = d.DoModal(parent);
            break;
        }
        case MapPicker::Enroute: {
            MapEnrouteDialog d(row);
            r = d.DoModal(parent);
            break;
        }
        case MapPicker::Approach: {
            MapApproachDialog d(row);
            r = d.DoModal(parent);
            break;
        }
    }
    return r == 1 ? 1 : 0;
}

}  // namespace nav
