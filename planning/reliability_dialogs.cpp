#include "planning/reliability_dialogs.h"

#include "cockpit/gauges.h"
#include "flight/system_failures.h"
#include "sim/view_controller.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace planning {
namespace {

using flight::Instrument;
using flight::SystemReliability;

struct RateBar {
    int id;
    int (*get)();
    void (*set)(int);
};
constexpr RateBar kRateBars[4] = {
    {1793, &SystemReliability::GetVacuumReliability, &SystemReliability::SetVacuumReliability},
    {1620, &SystemReliability::GetPitotStaticReliability, &SystemReliability::SetPitotStaticReliability},
    {1622, &SystemReliability::GetElectricalReliability, &SystemReliability::SetElectricalReliability},
    {1617, &SystemReliability::GetPowerReliability, &SystemReliability::SetPowerReliability},
};

struct MayFailBox {
    int id;
    Instrument instrument;
};
constexpr MayFailBox kMayFailBoxes[flight::kInstrumentCount] = {
    {1567, Instrument::Attitude},      {1536, Instrument::Heading},
    {1587, Instrument::Airspeed},      {1588, Instrument::Altimeter},
    {1613, Instrument::VerticalSpeed}, {1614, Instrument::TurnCoordinator},
    {1615, Instrument::Nav1},          {1652, Instrument::Nav2},
    {1654, Instrument::Adf},           {1656, Instrument::Dme},
    {1658, Instrument::Transponder},   {1660, Instrument::LeftEngine},
    {1661, Instrument::RightEngine},
};

struct CoverBox {
    int id;
    std::int32_t* hidden;
    std::int32_t* dirty;
};
// The six flight instruments' covers by box.
const CoverBox* CoverBoxes() {
    using namespace cockpit;
    static const CoverBox boxes[6] = {
        {1567, &theAirspeedIndicator.hidden, &theAirspeedIndicator.dirty},
        {1536, &theAttitudeIndicator.hidden, &theAttitudeIndicator.dirty},
        {1587, &theAltimeter.hidden, &theAltimeter.dirty},
        {1588, &theTurnCoordinator.hidden, &theTurnCoordinator.dirty},
        {1613, &theHsiGauge.hidden, &theHsiGauge.dirty},
        {1614, &theVerticalSpeedIndicator.hidden, &theVerticalSpeedIndicator.dirty},
    };
    return boxes;
}

}  // namespace

int SystemReliabilityDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    for (const RateBar& b : kRateBars) {
        const win::HWND bar = win::GetDlgItem(dialog, b.id);
        ui::SetupTrackbar(bar, b.get(), 0, 100, 10);
        win::SendMessage(bar, win::TBM_SETPAGESIZE, 0, 10);
    }
    for (const MayFailBox& b : kMayFailBoxes)
        Check(dialog, b.id, SystemReliability::GetMayFail(b.instrument) != 0);
    return r;
}

void SystemReliabilityDialog::Apply() {
    for (const RateBar& b : kRateBars)
        b.set(static_cast<int>(win::SendDlgItemMessage(window, b.id, win::TBM_GETPOS, 0, 0)));
    for (const MayFailBox& b : kMayFailBoxes)
        SystemReliability::SetMayFail(b.instrument, Checked(window, b.id) ? 1 : 0);
    // The new rates count from now, and whatever had failed works again.
    SystemReliability::ResetAll();
}

int PartialPanelDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    const bool covers = type == 0 || type == 5;
    for (int i = 0; i < 6; ++i) {
        const CoverBox& b = CoverBoxes()[i];
        Check(dialog, b.id, covers && *b.hidden != 0);
        win::EnableWindow(win::GetDlgItem(dialog, b.id), covers);
    }
    return r;
}

void PartialPanelDialog::Apply() {
    for (int i = 0; i < 6; ++i) {
        const CoverBox& b = CoverBoxes()[i];
        *b.hidden = Checked(window, b.id) ? 1 : 0;
        *b.dirty = 1;
    }
    sim::theViewController.ApplyView();
}

int ExitDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    // Enter answers Yes, as the question's default.
    win::SendMessage(dialog, win::DM_SETDEFID, win::IDYES, 0);
    return r;
}

int ExitDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == win::IDYES) {
        win::EndDialog(window, 1);
        return 1;
    }
    if (id == win::IDNO || id == win::IDCANCEL || id == ui::kCancelButtonId) {
        win::EndDialog(window, 0);
        return 1;
    }
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

}  // namespace planning
