#include "planning/weather_dialogs.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cockpit/cockpit_switches.h"
#include "core/number_text.h"
#include "planning/planning_services.h"
#include "planning/route_weather.h"
#include "planning/weather_briefing.h"
#include "planning/planning_host.h"
#include "ui/dialog_helpers.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/window.h"

namespace planning {

namespace od = ui::optiondialogs;

int ClampInches(int inches) {
    return std::clamp(inches, 28, 31);
}
int ClampHundredths(int hundredths) {
    return std::clamp(hundredths, 0, 99);
}
int ClampTemperatureF(int fahrenheit) {
    return std::clamp(fahrenheit, -50, 120);
}
int CelsiusBeside(int fahrenheit) {
    return static_cast<int>((fahrenheit - 32) * 0.5555555555555556);
}
int ClampWindDirection(int degrees) {
    return std::clamp(degrees, 1, 360);
}
int ClampWindSpeed(int knots) {
    return std::clamp(knots, 0, 120);
}
int ClampGust(int gust, int speed) {
    return std::clamp(gust, ClampWindSpeed(speed), 120);
}

namespace {
constexpr int kCloudBaseLimits[world::kCloudLayers][2] = {{100, 6499}, {6500, 19999}, {20000, 44999}};
}

int ClampCloudBase(int layer, int base) {
    return std::clamp(base, kCloudBaseLimits[layer][0], kCloudBaseLimits[layer][1]);
}
int ClampCloudThickness(int layer, int base, int thickness) {
    return std::clamp(thickness, 0, kCloudBaseLimits[layer][1] - ClampCloudBase(layer, base));
}

namespace {

constexpr const char* kCharacters[2] = {"Steady", "Gusting"};
constexpr const char* kTurbulences[5] = {"None", "Light", "Moderate", "Severe", "Extreme"};
constexpr const char* kDurations[3] = {"Occasional", "Intermittent", "Continuous"};

const char* Name(const char* const* names, int count, int i) {
    return names[std::clamp(i, 0, count - 1)];
}

int ParseField(win::HWND dialog, int id, bool* ok) {
    bool parsed = false;
    const int v = od::ParseNumber(win::GetWindowText(win::GetDlgItem(dialog, id)), &parsed);
    if (ok != nullptr) *ok = parsed;
    return v;
}

void ShowNumber(win::HWND dialog, int id, int value, const char* format = "%d") {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    win::SetDlgItemText(dialog, id, text);
}

// The direction of an up-down's step (+1, -1 or 0); the up-down itself stays where it was.
int TakeSpinStep(win::NMHDR* header) {
    auto* step = reinterpret_cast<win::NMUPDOWN*>(header);
    const int direction = step->iDelta > 0 ? 1 : step->iDelta < 0 ? -1 : 0;
    step->iDelta = 0;
    return direction;
}

// Checks `id`, one of the two radios, and clears the other.
void CheckOneOf(win::HWND dialog, int first, int second, int id) {
    od::SetCheck(dialog, first, id == first ? 1 : 0);
    od::SetCheck(dialog, second, id == second ? 1 : 0);
}

}  // namespace

std::string FormatWindsAloftRow(const WindsAloftRows& rows, int i) {
    const WindsAloftRow& r = rows[static_cast<std::size_t>(std::clamp(i, 0, world::kWindLayers - 1))];
    const int layer = std::clamp(i, 0, world::kWindLayers - 1);
    // A layer's row is labelled by the band it blows in, "1,500-4,500" (feet).
    const std::string band = core::WithThousands(world::kWindBands[layer]) + "-" +
                             core::WithThousands(world::kWindBands[layer + 1]);
    const char* label = band.c_str();
    const char* character = Name(kCharacters, 2, r.character);
    const char* turbulence = Name(kTurbulences, 5, r.turbulence);
    const char* duration = Name(kDurations, 3, r.duration);
    const bool gusting = r.character == 1;
    const bool calm = r.speed == 0;
    char text[160];
    if (r.turbulence != 0) {
        if (calm && gusting)
            std::snprintf(text, sizeof text, "%s\t%03d\tcalm\t%s to:%3d Kts\t%s\t%s", label, r.direction,
                          character, r.gust, turbulence, duration);
        else if (calm)
            std::snprintf(text, sizeof text, "%s\t%03d\tcalm\t%s\t%s\t%s", label, r.direction, character,
                          turbulence, duration);
        else if (gusting)
            std::snprintf(text, sizeof text, "%s\t%03d\t%3d\t%s to:%3d Kts\t%s\t%s", label, r.direction,
                          r.speed, character, r.gust, turbulence, duration);
        else
            std::snprintf(text, sizeof text, "%s\t%03d\t%3d\t%s\t%s\t%s", label, r.direction, r.speed,
                          character, turbulence, duration);
    } else {
        if (calm && gusting)
            std::snprintf(text, sizeof text, "%s\t%03d\tcalm\t%s to:%3d Kts\t%s\t", label, r.direction,
                          character, r.gust, turbulence);
        else if (calm)
            std::snprintf(text, sizeof text, "%s\t%03d\tcalm\t%s\t%s\t", label, r.direction, character,
                          turbulence);
        else if (gusting)
            std::snprintf(text, sizeof text, "%s\t%03d\t%3d\t%s to: %3d Kts\t%s\t", label, r.direction,
                          r.speed, character, r.gust, turbulence);
        else
            std::snprintf(text, sizeof text, "%s\t%03d\t%3d\t%s\t%s\t", label, r.direction, r.speed,
                          character, turbulence);
    }
    return text;
}

// ---- surface conditions ------------------------------------------------------------------------

namespace {
constexpr int kInches = 1545, kHundredths = 1548, kPressureSpin = 1773, kPressureFrame = 1402;
constexpr int kTemperature = 1406, kTemperatureSpin = 1772, kCelsius = 1407;
constexpr int kWeatherDialogsDirection = 1768, kDirectionSpin = 1543, kSpeed = 1769,
              kSpeedSpin = 1770, kGust = 1538;
constexpr int kSteady = 1764, kGusting = 1765, kSetAltimeter = 1567;
}  // namespace

int SurfaceConditionsDialog::Field(int id, bool* ok) const {
    return ParseField(window, id, ok);
}

void SurfaceConditionsDialog::Show(int id, int value) {
    ShowNumber(window, id, value, id == kHundredths ? "%02d" : "%d");
}

void SurfaceConditionsDialog::ClampField(int id) {
    switch (id) {
        case kInches:
            Show(id, ClampInches(Field(id)));
            break;
        case kHundredths:
            Show(id, ClampHundredths(Field(id)));
            break;
        case kTemperature:
            Show(id, ClampTemperatureF(Field(id)));
            ShowCelsius();
            break;
        case kWeatherDialogsDirection:
            Show(id, ClampWindDirection(Field(id)));
            break;
        case kSpeed:
            Show(id, ClampWindSpeed(Field(id)));
            Show(kGust, ClampGust(Field(kGust), Field(kSpeed)));
            break;
        case kGust:
            Show(id, ClampGust(Field(id), Field(kSpeed)));
            break;
        default:
            break;
    }
}

void SurfaceConditionsDialog::ShowCelsius() {
    char text[48];
    std::snprintf(text, sizeof text, "\xB0" "F    (%d \xB0" "C)", CelsiusBeside(Field(kTemperature)));
    win::SetDlgItemText(window, kCelsius, text);
}

void SurfaceConditionsDialog::FocusPressure(int id) {
    spinField = id;
    const bool inches = id == kInches;
    win::SendDlgItemMessage(window, kPressureSpin, win::UDM_SETRANGE, 0,
                            win::MAKELPARAM(static_cast<std::uint16_t>(inches ? 31 : 99),
                                            static_cast<std::uint16_t>(inches ? 28 : 0)));
}

void SurfaceConditionsDialog::EnableGust() {
    win::EnableWindow(win::GetDlgItem(window, kGust), od::CheckState(window, kGusting) != 0);
}

int SurfaceConditionsDialog::OnInitDialog(win::HWND dialog) {
    window = dialog;
    const int r = ui::Dialog::OnInitDialog(dialog);
    const world::WeatherState* weather = thePlanningHost.weather();
    const int pressure = world::WeatherState::GetSurfaceBaroPressure();
    Show(kInches, ClampInches(pressure / 100));
    Show(kHundredths, ClampHundredths(pressure % 100));
    Show(kTemperature, ClampTemperatureF(world::WeatherState::GetSurfaceTemperatureF()));
    ShowCelsius();
    Show(kWeatherDialogsDirection, weather != nullptr ? weather->GetSurfaceWindDirection() : 360);
    Show(kSpeed, weather != nullptr ? weather->GetSurfaceWindSpeed() : 0);
    Show(kGust, ClampGust(weather != nullptr ? weather->GetSurfaceWindGustSpeed() : 0, Field(kSpeed)));
    const bool gusting = weather != nullptr && weather->GetSurfaceWindCharacter() == 1;
    CheckOneOf(dialog, kSteady, kGusting, gusting ? kGusting : kSteady);
    od::SetCheck(dialog, kSetAltimeter, 1);
    EnableGust();
    FocusPressure(kInches);
    return r;
}

int SurfaceConditionsDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    switch (id) {
        case kInches:
        case kHundredths:
            if (notifyCode == win::EN_SETFOCUS) FocusPressure(id);
            if (notifyCode == win::EN_KILLFOCUS) ClampField(id);
            return 1;
        case kPressureFrame: {
            // A click on the left half of the frame serves the inches, on the right the hundredths.
            if (notifyCode != win::STN_CLICKED) return 1;
            const std::uint32_t at = win::GetMessagePos();
            win::RECT frame;
            win::GetWindowRect(control, &frame);
            const int x = win::GET_X_LPARAM(static_cast<win::LParam>(at));
            const int field = x < (frame.left + frame.right) / 2 ? kInches : kHundredths;
            win::SetFocus(win::GetDlgItem(window, field));
            FocusPressure(field);
            return 1;
        }
        case kTemperature:
        case kWeatherDialogsDirection:
        case kSpeed:
        case kGust:
            if (notifyCode == win::EN_KILLFOCUS) ClampField(id);
            return 1;
        case kSteady:
        case kGusting:
            CheckOneOf(window, kSteady, kGusting, id);
            EnableGust();
            return 1;
        default:
            if (od::EndButtons(*this, wParam, [this] { Apply(); }) != 0) return 1;
            return ui::Dialog::OnCommand(notifyCode, wParam, control);
    }
}

win::LResult SurfaceConditionsDialog::OnNotify(int controlId, win::NMHDR* header) {
    if (header == nullptr || header->code != win::UDN_DELTAPOS) return 0;
    const int field = controlId == kPressureSpin      ? spinField
                      : controlId == kTemperatureSpin ? kTemperature
                      : controlId == kDirectionSpin   ? kWeatherDialogsDirection
                      : controlId == kSpeedSpin       ? kSpeed
                                                      : 0;
    if (field == 0) return 0;
    Show(field, Field(field) + TakeSpinStep(header));
    ClampField(field);
    return 0;
}

void SurfaceConditionsDialog::Apply() {
    for (int id : {kInches, kHundredths, kTemperature, kWeatherDialogsDirection, kSpeed, kGust})
        ClampField(id);
    const int pressure = Field(kInches) * 100 + Field(kHundredths);
    world::WeatherState::SetSurfaceBaroPressure(pressure);
    world::WeatherState::SetSurfaceTemperatureF(Field(kTemperature));
    if (world::WeatherState* weather = thePlanningHost.weather()) {
        weather->SetSurfaceWindDirection(Field(kWeatherDialogsDirection));
        weather->SetSurfaceWindSpeed(Field(kSpeed));
        weather->SetSurfaceWindGustSpeed(Field(kGust));
        weather->SetSurfaceWindCharacter(od::CheckState(window, kSteady) != 0 ? 0 : 1);
        weather->ResetWindTimer();
    }
    if (od::CheckState(window, kSetAltimeter) != 0)
        cockpit::theCockpitSwitches.altimeterSetting = static_cast<std::uint16_t>(std::clamp(pressure, 2810, 3100));
}

// ---- winds aloft -------------------------------------------------------------------------------

namespace {
constexpr int kWindList = 78, kTurbulenceCombo = 1930, kDurationCombo = 1931;
constexpr int kAloftDirection = 1540, kAloftSpeed = 1538, kAloftSteady = 1532, kAloftGusting = 1534,
              kAloftGust = 1541, kAloftDirectionSpin = 1530, kAloftSpeedSpin = 1529, kCopyButton = 1575;
constexpr const char* kWeatherDialogsColumns[6] = {"Layer (ft)", "Direction",  "Speed",
                                                   "Character",  "Turbulence", "Duration"};
constexpr int kColumnWidths[6] = {84, 56, 46, 84, 66, 64};

std::vector<int> SelectedRows(win::HWND list) {
    std::vector<int> rows;
    for (int i = -1; (i = static_cast<int>(win::SendMessage(list, win::LVM_GETNEXTITEM, static_cast<win::WParam>(i),
                                                           win::LVNI_SELECTED))) >= 0;)
        rows.push_back(i);
    return rows;
}
}  // namespace

int WindsAloftDialog::OnInitDialog(win::HWND dialog) {
    window = dialog;
    const int r = ui::Dialog::OnInitDialog(dialog);
    if (const world::WeatherState* weather = thePlanningHost.weather())
        for (int i = 0; i < world::kWindLayers; ++i) {
            const world::WindLayer& layer = *weather->GetWindLayer(i);
            rows[static_cast<std::size_t>(i)] = {layer.GetDirection(),  layer.GetSpeed(),
                                                 layer.GetCharacter(),  layer.GetGustSpeed(),
                                                 layer.GetTurbulence(), layer.GetDuration()};
        }
    const win::HWND list = win::GetDlgItem(dialog, kWindList);
    for (int c = 0; c < 6; ++c) {
        win::LVCOLUMN column;
        column.mask = win::LVCF_TEXT | win::LVCF_WIDTH | win::LVCF_SUBITEM;
        column.text = kWeatherDialogsColumns[c];
        column.cx = kColumnWidths[c];
        column.iSubItem = c;
        win::SendMessage(list, win::LVM_INSERTCOLUMN, static_cast<win::WParam>(c), reinterpret_cast<win::LParam>(&column));
    }
    for (const char* name : kTurbulences)
        win::SendDlgItemMessage(dialog, kTurbulenceCombo, win::CB_ADDSTRING, 0, reinterpret_cast<win::LParam>(name));
    for (const char* name : kDurations)
        win::SendDlgItemMessage(dialog, kDurationCombo, win::CB_ADDSTRING, 0, reinterpret_cast<win::LParam>(name));
    FillList();
    ShowRow(0);
    return r;
}

void WindsAloftDialog::FillList() {
    const win::HWND list = win::GetDlgItem(window, kWindList);
    const std::vector<int> selected = SelectedRows(list);
    win::SendMessage(list, win::LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < world::kWindLayers; ++i) {
        const std::string text = FormatWindsAloftRow(rows, i);
        win::LVITEM item;
        item.mask = win::LVIF_TEXT;
        item.iItem = i;
        std::size_t start = 0;
        for (int c = 0; c < 6; ++c) {
            const std::size_t tab = text.find('\t', start);
            item.iSubItem = c;
            item.text = text.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
            if (c == 0)
                win::SendMessage(list, win::LVM_INSERTITEM, 0, reinterpret_cast<win::LParam>(&item));
            else
                win::SendMessage(list, win::LVM_SETITEMTEXT, static_cast<win::WParam>(i), reinterpret_cast<win::LParam>(&item));
            start = tab == std::string::npos ? text.size() : tab + 1;
        }
    }
    for (int i : selected) {
        win::LVITEM state;
        state.state = state.stateMask = win::LVIS_SELECTED;
        win::SendMessage(list, win::LVM_SETITEMSTATE, static_cast<win::WParam>(i), reinterpret_cast<win::LParam>(&state));
    }
}

void WindsAloftDialog::ShowRow(int row) {
    const WindsAloftRow& r = rows[static_cast<std::size_t>(std::clamp(row, 0, world::kWindLayers - 1))];
    ShowNumber(window, kAloftDirection, r.direction);
    ShowNumber(window, kAloftSpeed, r.speed);
    ShowNumber(window, kAloftGust, std::max(r.gust, r.speed));
    CheckOneOf(window, kAloftSteady, kAloftGusting, r.character == 1 ? kAloftGusting : kAloftSteady);
    win::EnableWindow(win::GetDlgItem(window, kAloftGust), r.character == 1);
    win::SendDlgItemMessage(window, kTurbulenceCombo, win::CB_SETCURSEL, static_cast<win::WParam>(r.turbulence), 0);
    win::SendDlgItemMessage(window, kDurationCombo, win::CB_SETCURSEL, static_cast<win::WParam>(r.duration), 0);
    win::EnableWindow(win::GetDlgItem(window, kDurationCombo), r.turbulence != 0);
}

void WindsAloftDialog::ClampFields() {
    ShowNumber(window, kAloftDirection, ClampWindDirection(ParseField(window, kAloftDirection, nullptr)));
    ShowNumber(window, kAloftSpeed, ClampWindSpeed(ParseField(window, kAloftSpeed, nullptr)));
    ShowNumber(window, kAloftGust,
               ClampGust(ParseField(window, kAloftGust, nullptr), ParseField(window, kAloftSpeed, nullptr)));
}

void WindsAloftDialog::CopyToSelected() {
    ClampFields();
    WindsAloftRow edited;
    edited.direction = ParseField(window, kAloftDirection, nullptr);
    edited.speed = ParseField(window, kAloftSpeed, nullptr);
    edited.character = od::CheckState(window, kAloftGusting) != 0 ? 1 : 0;
    edited.gust = ParseField(window, kAloftGust, nullptr);
    edited.turbulence = std::max(od::ComboSelection(window, kTurbulenceCombo), 0);
    edited.duration = std::max(od::ComboSelection(window, kDurationCombo), 0);
    for (int i : SelectedRows(win::GetDlgItem(window, kWindList))) rows[static_cast<std::size_t>(i)] = edited;
    FillList();
}

int WindsAloftDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    switch (id) {
        case kAloftDirection:
        case kAloftSpeed:
        case kAloftGust:
            if (notifyCode == win::EN_KILLFOCUS) ClampFields();
            return 1;
        case kAloftSteady:
        case kAloftGusting:
            CheckOneOf(window, kAloftSteady, kAloftGusting, id);
            win::EnableWindow(win::GetDlgItem(window, kAloftGust), id == kAloftGusting);
            return 1;
        case kTurbulenceCombo:
            win::EnableWindow(win::GetDlgItem(window, kDurationCombo), od::ComboSelection(window, kTurbulenceCombo) > 0);
            return 1;
        case kCopyButton:
            CopyToSelected();
            return 1;
        default:
            if (od::EndButtons(*this, wParam, [this] { Apply(); }) != 0) return 1;
            return ui::Dialog::OnCommand(notifyCode, wParam, control);
    }
}

win::LResult WindsAloftDialog::OnNotify(int controlId, win::NMHDR* header) {
    if (header == nullptr) return 0;
    if (controlId == kWindList && header->code == win::LVN_ITEMCHANGED) {
        const std::vector<int> selected = SelectedRows(win::GetDlgItem(window, kWindList));
        if (!selected.empty()) ShowRow(selected.front());
        return 0;
    }
    if (header->code != win::UDN_DELTAPOS || (controlId != kAloftDirectionSpin && controlId != kAloftSpeedSpin))
        return 0;
    const int field = controlId == kAloftDirectionSpin ? kAloftDirection : kAloftSpeed;
    ShowNumber(window, field, ParseField(window, field, nullptr) + TakeSpinStep(header));
    ClampFields();
    return 0;
}

void WindsAloftDialog::Apply() {
    world::WeatherState* weather = thePlanningHost.weather();
    if (weather == nullptr) return;
    for (int i = 0; i < world::kWindLayers; ++i) {
        const WindsAloftRow& r = rows[static_cast<std::size_t>(i)];
        world::WindLayer& layer = *weather->GetWindLayer(i);
        layer.SetDirection(r.direction);
        layer.SetSpeed(r.speed);
        layer.SetCharacter(r.character);
        layer.SetGustSpeed(r.gust);
        layer.SetTurbulence(r.turbulence);
        layer.SetDuration(r.duration);
    }
    weather->ResetWindTimer();
}

// ---- clouds ------------------------------------------------------------------------------------

namespace {
constexpr int kCoverCombos[world::kCloudLayers] = {1016, 1015, 1006};
constexpr int kBaseFields[world::kCloudLayers] = {1008, 1004, 1000};
constexpr int kThicknessFields[world::kCloudLayers] = {1012, 1011, 1002};
constexpr int kBaseSpins[world::kCloudLayers] = {1009, 1005, 1001};
constexpr int kThicknessSpins[world::kCloudLayers] = {1013, 1017, 1003};
constexpr const char* kCoverNames[9] = {"Clear", "1/8", "2/8", "3/8", "4/8", "5/8", "6/8", "7/8", "Overcast"};
constexpr int kSpinCentre = 2500;

int IndexIn(const int (&ids)[world::kCloudLayers], int id) {
    for (int i = 0; i < world::kCloudLayers; ++i)
        if (ids[i] == id) return i;
    return -1;
}
}  // namespace

int CloudsAndVisibilityDialog::OnInitDialog(win::HWND dialog) {
    window = dialog;
    const int r = ui::Dialog::OnInitDialog(dialog);
    const world::WeatherState* weather = thePlanningHost.weather();
    for (int i = 0; i < world::kCloudLayers; ++i) {
        const int covers = i == 2 ? 6 : 9;  // the high layer stops at 5/8
        for (int c = 0; c < covers; ++c)
            win::SendDlgItemMessage(dialog, kCoverCombos[i], win::CB_ADDSTRING, 0,
                                    reinterpret_cast<win::LParam>(kCoverNames[c]));
        const world::CloudLayer* layer = weather != nullptr ? weather->GetCloudLayer(i) : nullptr;
        win::SendDlgItemMessage(dialog, kCoverCombos[i], win::CB_SETCURSEL,
                                static_cast<win::WParam>(std::min(layer != nullptr ? layer->GetCoverage() : 0, covers - 1)), 0);
        ShowNumber(dialog, kBaseFields[i], layer != nullptr ? layer->GetBase() : kCloudBaseLimits[i][0]);
        ShowNumber(dialog, kThicknessFields[i], layer != nullptr ? layer->GetThickness() : 0);
        ClampLayer(i);
        for (int spin : {kBaseSpins[i], kThicknessSpins[i]}) {
            win::SendDlgItemMessage(dialog, spin, win::UDM_SETRANGE, 0, win::MAKELPARAM(2 * kSpinCentre, 0));
            win::SendDlgItemMessage(dialog, spin, win::UDM_SETPOS, 0, win::MAKELPARAM(kSpinCentre, 0));
        }
    }
    return r;
}

void CloudsAndVisibilityDialog::ClampLayer(int layer) {
    const int base = ClampCloudBase(layer, ParseField(window, kBaseFields[layer], nullptr));
    ShowNumber(window, kBaseFields[layer], base);
    ShowNumber(window, kThicknessFields[layer],
               ClampCloudThickness(layer, base, ParseField(window, kThicknessFields[layer], nullptr)));
}

int CloudsAndVisibilityDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    const int layer = std::max(IndexIn(kBaseFields, id), IndexIn(kThicknessFields, id));
    if (layer >= 0) {
        if (notifyCode == win::EN_KILLFOCUS) ClampLayer(layer);
        return 1;
    }
    if (od::EndButtons(*this, wParam, [this] { Apply(); }) != 0) return 1;
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

win::LResult CloudsAndVisibilityDialog::OnNotify(int controlId, win::NMHDR* header) {
    if (header == nullptr || header->code != win::UDN_DELTAPOS) return 0;
    // The spins stay at the middle of their range and give only the direction of a step.
    const int baseLayer = IndexIn(kBaseSpins, controlId);
    const int layer = std::max(baseLayer, IndexIn(kThicknessSpins, controlId));
    if (layer < 0) return 0;
    const int field = baseLayer >= 0 ? kBaseFields[layer] : kThicknessFields[layer];
    ShowNumber(window, field, ParseField(window, field, nullptr) + 100 * TakeSpinStep(header));
    ClampLayer(layer);
    win::SendDlgItemMessage(window, controlId, win::UDM_SETPOS, 0, win::MAKELPARAM(kSpinCentre, 0));
    return 0;
}

void CloudsAndVisibilityDialog::Apply() {
    world::WeatherState* weather = thePlanningHost.weather();
    if (weather == nullptr) return;
    for (int i = 0; i < world::kCloudLayers; ++i) {
        ClampLayer(i);
        world::CloudLayer& layer = *weather->GetCloudLayer(i);
        layer.SetCoverage(std::max(od::ComboSelection(window, kCoverCombos[i]), 0));
        layer.SetBase(ParseField(window, kBaseFields[i], nullptr));
        layer.SetThickness(ParseField(window, kThicknessFields[i], nullptr));
    }
}

// ---- briefing ----------------------------------------------------------------------------------

void ComposeWeatherBriefing(win::HWND dialog, int listId, const std::string& stationName,
                            const world::WeatherState& weather, const FlightPlanNode* node) {
    StationBriefing b;
    b.title = stationName;
    b.temperatureC = world::WeatherState::GetSurfaceTemperatureC();
    b.altimeter = world::WeatherState::GetSurfaceBaroPressure() * 0.01;
    b.cover = weather.GetCloudLayer(0)->GetCoverage();
    b.cloudBase = weather.GetCloudLayer(0)->GetBase();
    b.lowestAloft = (node != nullptr ? node->elevation : 0) + 100;
    WriteBriefingLines(dialog, listId, BriefingLines(b, weather, BriefingStyle::kDialog));
}

int WxBriefingDialog::OnInitDialog(win::HWND dialog) {
    window = dialog;
    const int r = ui::Dialog::OnInitDialog(dialog);
    const FlightPlan* plan = thePlanningHost.worldPlan();
    if (plan != nullptr && thePlanningHost.hasWorldPlan()) {
        const int count = std::clamp(plan->nodeCount, 0, kMaxPlanNodes);
        const FlightPlanNode* first = count > 0 ? &plan->nodes[0] : nullptr;
        const FlightPlanNode* last = count > 0 ? &plan->nodes[static_cast<std::size_t>(count - 1)] : nullptr;
        ComposeWeatherBriefing(dialog, 1624, first != nullptr ? first->ident : "", theDepartureWeather, first);
        ComposeWeatherBriefing(dialog, 1625, "Enroute", theEnrouteWeather, nullptr);
        ComposeWeatherBriefing(dialog, 1626, last != nullptr ? last->ident : "", theDestinationWeather, last);
    }
    return r;
}

int WxBriefingDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    if (od::EndButtons(*this, wParam, nullptr) != 0) return 1;
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

}  // namespace planning
