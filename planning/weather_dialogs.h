// The dialogs that edit the world's live weather (surface conditions, winds aloft, clouds) and the
// briefing of the flight plan's three stations. The editing dialogs change the weather only on
// OK; every typed value is held to its range when its field loses the focus or a spin moves.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ui/dialog.h"
#include "world/weather_state.h"

namespace planning {

struct FlightPlanNode;

// The ranges of the typed values.
[[nodiscard]] int ClampInches(int inches);          // 28..31
[[nodiscard]] int ClampHundredths(int hundredths);  // 0..99
[[nodiscard]] int ClampTemperatureF(int fahrenheit);  // -50..120
[[nodiscard]] int CelsiusBeside(int fahrenheit);    // truncated toward 0
[[nodiscard]] int ClampWindDirection(int degrees);  // 1..360
[[nodiscard]] int ClampWindSpeed(int knots);        // 0..120
[[nodiscard]] int ClampGust(int gust, int speed);   // speed..120
// Cloud layer 0 low, 1 middle, 2 high: bases 100..6499, 6500..19999, 20000..44999, and a
// thickness reaching at most the layer's upper base limit.
[[nodiscard]] int ClampCloudBase(int layer, int base);
[[nodiscard]] int ClampCloudThickness(int layer, int base, int thickness);

// One row of the winds-aloft list: direction, speed, character (0 steady, 1 gusting), gust speed,
// turbulence (0 none .. 4 extreme) and duration (0 occasional .. 2 continuous).
struct WindsAloftRow {
    int direction = 360, speed = 0, character = 0, gust = 0, turbulence = 0, duration = 0;
};
using WindsAloftRows = std::array<WindsAloftRow, world::kWindLayers>;
// The list text of row i, its columns separated by tabs.
[[nodiscard]] std::string FormatWindsAloftRow(const WindsAloftRows& rows, int i);

class SurfaceConditionsDialog : public ui::Dialog {
public:
    SurfaceConditionsDialog() : ui::Dialog("SurfaceConditions", 0) { SetHelpId(20014); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;

private:
    int Field(int id, bool* ok = nullptr) const;
    void Show(int id, int value);
    void ClampField(int id);
    void FocusPressure(int id);
    void ShowCelsius();
    void EnableGust();
    void Apply();
    int spinField = 0;  // the pressure field the shared spin serves
};

class WindsAloftDialog : public ui::Dialog {
public:
    WindsAloftDialog() : ui::Dialog("WindAloft", 0) { SetHelpId(20013); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;

    WindsAloftRows rows{};

private:
    void FillList();
    void ShowRow(int row);
    void ClampFields();
    void CopyToSelected();
    void Apply();
};

class CloudsAndVisibilityDialog : public ui::Dialog {
public:
    CloudsAndVisibilityDialog() : ui::Dialog("CLOUDS", 0) { SetHelpId(20015); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;

private:
    void ClampLayer(int layer);
    void Apply();
};

class WxBriefingDialog : public ui::Dialog {
public:
    WxBriefingDialog() : ui::Dialog("WxBrief", 0) { SetHelpId(20031); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
};

// A station's briefing into list `listId` of `dialog`: temperature and pressure of the world, the
// clouds and winds of `weather`; aloft layers under the node's elevation + 100 ft left out (a
// null node stands at 0 ft).
void ComposeWeatherBriefing(win::HWND dialog, int listId, const std::string& stationName,
                            const world::WeatherState& weather, const FlightPlanNode* node);

}  // namespace planning
