#include "planning/loading.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/numeric.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "ui/dialog_helpers.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace planning {

LoadingModel theLoadingModel;

namespace {

constexpr double kPoundsPerKilogram = 2.205;
constexpr double kKilogramsPerPound = 0.4535147392290249;
constexpr double kFuelPoundsPerKilogram = 2.2;

constexpr int kCabin = 1169;
constexpr int kLeftTank = 1178, kRightTank = 1626;
constexpr int kLeftCompanion = 1179, kRightCompanion = 1627;
constexpr int kLeftLabel = 1180, kRightLabel = 1628;
constexpr int kFill = 1632;
constexpr int kMaxTakeoffText = 1170, kMaxFuelText = 1171, kTotalText = 1172;

// Whole pounds with a thousands comma, rounded down to ten.
std::string Weight(const char* format, int pounds) {
    pounds -= pounds % 10;
    char text[96];
    std::snprintf(text, sizeof text, format, pounds / 1000, pounds % 1000);
    return text;
}

}  // namespace

// Typed amounts may be as large as a billion: the results saturate instead of wrapping.
int KilogramsToPounds(double kilograms) {
    return core::ClampToInt32(std::floor(kilograms * kPoundsPerKilogram + 0.5));
}
int PoundsToKilograms(double pounds) {
    return core::ClampToInt32(std::floor(pounds * kKilogramsPerPound + 0.5));
}
int FuelKilogramsToPounds(double kilograms) {
    return core::ClampToInt32(std::floor(kilograms * kFuelPoundsPerKilogram + 0.5));
}
int KilogramsToGallons(double kilograms, double poundsPerGallon) {
    return core::ClampToInt32(
        std::floor(kilograms * kFuelPoundsPerKilogram / poundsPerGallon + 0.5));
}
double FuelPoundsToKilograms(double pounds) {
    return pounds / kFuelPoundsPerKilogram;
}
double GallonsToKilograms(double gallons, double poundsPerGallon) {
    return gallons * poundsPerGallon / kFuelPoundsPerKilogram;
}

void LoadingModel::FillFromFlightModel(int aircraftType) {
    const flight::FlightModelState& s = flight::theFlightModelState;
    maxTakeoffWeight = s.fmMaxTakeoffWeight;
    emptyWeight = s.fmEmptyWeight;
    maxFuelPerTank = s.fmMaxFuel / 2.0;
    fuelInPounds = aircraftType == 4 ? 1 : 0;
    poundsPerGallon = aircraftType == 3 || aircraftType == 4 ? kJetPoundsPerGallon : kAvgasPoundsPerGallon;
    leftTank = s.fmFuel1;
    rightTank = s.fmFuel2;
    cabinLoad = s.fmPLoad;
}

void LoadingModel::WriteToFlightModel() const {
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmFuel1 = leftTank;
    s.fmFuel2 = rightTank;
    s.fmPLoad = cabinLoad;
    flight::theEngines.tank[0] = leftTank;
    flight::theEngines.tank[1] = rightTank;
}

std::int32_t LoadingModel::TotalWeight() const {
    return (leftTank + rightTank) / 256 + emptyWeight + cabinLoad;
}

void LoadingModel::SetTank(int tank, double kilograms) {
    // (A typed amount may be as large as a billion, or not a number at all: either is held.)
    const double kg =
        std::clamp(std::isnan(kilograms) ? 0.0 : kilograms, 0.0, std::max(0.0, maxFuelPerTank));
    (tank == 0 ? leftTank : rightTank) = static_cast<std::int32_t>(std::lround(kg * 256.0));
}

void LoadingModel::FillTanks() {
    SetTank(0, maxFuelPerTank);
    SetTank(1, maxFuelPerTank);
}

void LoadingModel::SetCabinLoad(std::int64_t kilograms) {
    cabinLoad = static_cast<std::int32_t>(std::clamp<std::int64_t>(kilograms, 0, 1'000'000));
}

void LoadingModel::SetCabinPounds(int pounds) {
    const int kilograms = PoundsToKilograms(pounds);
    SetCabinLoad(kilograms);
    // A figure the load was held from (below 0, say) is not the load's.
    typedCabinPounds = cabinLoad == kilograms ? pounds : -1;
    typedCabinKilograms = cabinLoad;
}

int LoadingModel::CabinPounds() const {
    return typedCabinPounds >= 0 && cabinLoad == typedCabinKilograms ? typedCabinPounds
                                                                     : KilogramsToPounds(cabinLoad);
}

void LoadingModel::LimitCabinLoad() {
    const std::int32_t excess = TotalWeight() - maxTakeoffWeight;
    if (excess > 0) cabinLoad = std::max(0, cabinLoad - excess);
}

std::string LoadingModel::MaxTakeoffText() const {
    return Weight("Maximum legal takeoff weight is %1d,%03d lbs.", KilogramsToPounds(maxTakeoffWeight));
}

std::string LoadingModel::MaxFuelText() const {
    char text[96];
    std::snprintf(text, sizeof text, "Maximum fuel load is %2d gals or %3d lbs.",
                  KilogramsToGallons(2 * maxFuelPerTank, poundsPerGallon),
                  FuelKilogramsToPounds(2 * maxFuelPerTank));
    return text;
}

std::string LoadingModel::TotalText() const {
    return Weight("Total or gross weight is %1d,%03d lbs.", KilogramsToPounds(TotalWeight()));
}

int LoadingModel::TankFigure(int tank) const {
    const double kg = (tank == 0 ? leftTank : rightTank) / 256.0;
    return fuelInPounds ? FuelKilogramsToPounds(kg) : KilogramsToGallons(kg, poundsPerGallon);
}

std::string LoadingModel::TankCompanionText(int tank) const {
    const double kg = (tank == 0 ? leftTank : rightTank) / 256.0;
    char text[32];
    if (fuelInPounds)
        std::snprintf(text, sizeof text, "(%3d Gals)", KilogramsToGallons(kg, poundsPerGallon));
    else
        std::snprintf(text, sizeof text, "(%3d lbs)", FuelKilogramsToPounds(kg));
    return text;
}

int FuelAndCabinLoadingDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    theLoadingModel.FillFromFlightModel(type);
    win::SetDlgItemText(dialog, kMaxTakeoffText, theLoadingModel.MaxTakeoffText());
    win::SetDlgItemText(dialog, kMaxFuelText, theLoadingModel.MaxFuelText());
    if (theLoadingModel.fuelInPounds) {
        win::SetDlgItemText(dialog, kLeftLabel, "&Left Tank (in lbs)");
        win::SetDlgItemText(dialog, kRightLabel, "&Right Tank (in lbs)");
    }
    ShowCabin();
    ShowTank(0);
    ShowTank(1);
    ShowTotal();
    return r;
}

void FuelAndCabinLoadingDialog::ShowCabin() {
    win::SetDlgItemText(window, kCabin, std::to_string(theLoadingModel.CabinPounds()));
}

void FuelAndCabinLoadingDialog::ShowTank(int tank) {
    win::SetDlgItemText(window, tank == 0 ? kLeftTank : kRightTank, std::to_string(theLoadingModel.TankFigure(tank)));
    win::SetDlgItemText(window, tank == 0 ? kLeftCompanion : kRightCompanion, theLoadingModel.TankCompanionText(tank));
}

void FuelAndCabinLoadingDialog::ShowTotal() {
    const std::int32_t cabin = theLoadingModel.cabinLoad;
    theLoadingModel.LimitCabinLoad();
    if (theLoadingModel.cabinLoad != cabin) ShowCabin();
    win::SetDlgItemText(window, kTotalText, theLoadingModel.TotalText());
}

// Text that is no number puts the cabin load back as it was.
void FuelAndCabinLoadingDialog::ReadCabin() {
    bool number = false;
    const int pounds = ui::optiondialogs::ParseNumber(win::GetDlgItemText(window, kCabin), &number);
    if (number) theLoadingModel.SetCabinPounds(pounds);
    ShowCabin();
    ShowTotal();
}

// In gallons an untouched field leaves the tank alone, so showing it never rounds it.
void FuelAndCabinLoadingDialog::ReadTank(int tank) {
    bool number = false;
    const int typed = ui::optiondialogs::ParseNumber(win::GetDlgItemText(window, tank == 0 ? kLeftTank : kRightTank), &number);
    if (number && (theLoadingModel.fuelInPounds || typed != theLoadingModel.TankFigure(tank)))
        theLoadingModel.SetTank(tank,
                                theLoadingModel.fuelInPounds
                                    ? FuelPoundsToKilograms(typed)
                                    : GallonsToKilograms(typed, theLoadingModel.poundsPerGallon));
    ShowTank(tank);
    ShowTotal();
}

int FuelAndCabinLoadingDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (notifyCode == win::EN_KILLFOCUS) {
        if (id == kCabin) ReadCabin();
        if (id == kLeftTank) ReadTank(0);
        if (id == kRightTank) ReadTank(1);
        return 1;
    }
    if (id == kFill) {
        theLoadingModel.FillTanks();
        ShowTank(0);
        ShowTank(1);
        ShowTotal();
        return 1;
    }
    const auto apply = [this] {
        // A field still being edited counts as left.
        ReadCabin();
        ReadTank(0);
        ReadTank(1);
        theLoadingModel.WriteToFlightModel();
    };
    if (ui::optiondialogs::EndButtons(*this, wParam, apply) != 0) return 1;
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

}  // namespace planning
