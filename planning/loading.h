// Fuel and cabin loading: the aircraft's weights from the flight model, the tanks and the cabin
// load as the loading dialog edits them, and the dialog itself. Fuel has priority: when the
// total passes the maximum take-off weight the cabin load gives way, down to nothing.
#pragma once

#include <cstdint>
#include <string>

#include "ui/dialog.h"

namespace planning {

// Pounds a gallon of the fuels: the piston aircraft's avgas and the turbines' Jet-A.
inline constexpr double kAvgasPoundsPerGallon = 6.0, kJetPoundsPerGallon = 6.7;

// Unit conversions of the loading figures, each shown to the nearest whole number, so a figure
// typed comes back as typed (300 lb are 136 kg, shown as 300 lb again; a figure no whole
// kilogram gives back is kept as typed, below). Fuel has its own: the aircraft table holds its
// fuel as gallons times pounds a gallon over 2.2 pounds a kilogram (the 172's 40 gallons as
// 109 kg), and so the fuel figures read it back; the tanks keep fractions of a kilogram, so fuel
// typed goes in exactly.
[[nodiscard]] int KilogramsToPounds(double kilograms);
[[nodiscard]] int PoundsToKilograms(double pounds);
[[nodiscard]] int FuelKilogramsToPounds(double kilograms);
[[nodiscard]] int KilogramsToGallons(double kilograms,
                                     double poundsPerGallon = kAvgasPoundsPerGallon);
[[nodiscard]] double FuelPoundsToKilograms(double pounds);
[[nodiscard]] double GallonsToKilograms(double gallons,
                                        double poundsPerGallon = kAvgasPoundsPerGallon);

struct LoadingModel {
    std::int32_t maxTakeoffWeight = 0;  // kg
    std::int32_t emptyWeight = 0;       // kg
    double maxFuelPerTank = 0;          // kg, half the aircraft's fuel
    int fuelInPounds = 0;               // the tanks are edited in pounds, not gallons
    double poundsPerGallon = kAvgasPoundsPerGallon;
    std::int32_t leftTank = 0;          // kg x 256
    std::int32_t rightTank = 0;         // kg x 256
    std::int32_t cabinLoad = 0;         // kg
    // The pounds last typed for the cabin, and the kilograms they came to: whole kilograms hold
    // no figure of 12 lb (5 kg are 11 lb, 6 kg 13 lb), so the figure typed is shown again while
    // the cabin load is still what it came to. Kept from one opening of the dialog to the next.
    int typedCabinPounds = -1;
    std::int32_t typedCabinKilograms = -1;

    // From the flight model's state, for an aircraft type.
    void FillFromFlightModel(int aircraftType);
    // Into the flight model's tanks, payload and the engines' fuel counters.
    void WriteToFlightModel() const;

    [[nodiscard]] std::int32_t TotalWeight() const;
    // A tank (0 left, 1 right) set to kilograms, held to 0..the tank's maximum.
    void SetTank(int tank, double kilograms);
    void FillTanks();
    void SetCabinLoad(std::int64_t kilograms);
    // The cabin load typed in pounds, and shown in pounds.
    void SetCabinPounds(int pounds);
    [[nodiscard]] int CabinPounds() const;
    // After any change: a total above the maximum take-off weight takes the excess from the
    // cabin load, which never goes below 0.
    void LimitCabinLoad();

    // The dialog's texts.
    [[nodiscard]] std::string MaxTakeoffText() const;
    [[nodiscard]] std::string MaxFuelText() const;
    [[nodiscard]] std::string TotalText() const;
    // A tank's figure in the unit it is edited in, and its companion "(nnn lbs)" or "(nnn Gals)".
    [[nodiscard]] int TankFigure(int tank) const;
    [[nodiscard]] std::string TankCompanionText(int tank) const;
};
extern LoadingModel theLoadingModel;

class FuelAndCabinLoadingDialog : public ui::Dialog {
public:
    explicit FuelAndCabinLoadingDialog(int aircraftType) : ui::Dialog("Loading", 0), type(aircraftType) {
        SetHelpId(20041);
    }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

    int type = 0;

private:
    void ShowCabin();
    void ShowTank(int tank);
    void ShowTotal();
    void ReadCabin();
    void ReadTank(int tank);
};

}  // namespace planning
