#include "planning/copilot_dialog.h"

#include <cstdint>

#include "nav/atc_services.h"
#include "nav/copilot.h"
#include "nav/copilot_state.h"
#include "planning/planning_host.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace planning {
namespace {

constexpr int kMaster = 1245;

struct HelpBox {
    int id;
    std::int32_t nav::CopilotSettings::*flag;
    bool allTypes;  // offered on every aircraft, not only the 172
};
constexpr HelpBox kHelpBoxes[6] = {
    {1251, &nav::CopilotSettings::takeoff, true},   {1249, &nav::CopilotSettings::radios, true},
    {1248, &nav::CopilotSettings::navigation, true}, {1253, &nav::CopilotSettings::advice, false},
    {1252, &nav::CopilotSettings::altitude, false}, {1247, &nav::CopilotSettings::heading, false},
};

}  // namespace

int CopilotAssitanceDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    nav::CopilotSettings& c = nav::theCopilotSettings;
    const bool fullHelp = type == 0 || type == 5;
    // A setting other than 0 reads as on, as the copilot itself takes it.
    Check(dialog, kMaster, c.master != 0);
    for (const HelpBox& b : kHelpBoxes) {
        if (!b.allTypes && !fullHelp) {
            c.*b.flag = 0;  // cleared at once, whether or not the user confirms
            win::EnableWindow(win::GetDlgItem(dialog, b.id), false);
        }
        Check(dialog, b.id, c.*b.flag != 0);
    }
    return r;
}

int CopilotAssitanceDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    for (const HelpBox& b : kHelpBoxes) {
        if (b.id != id || notifyCode != win::BN_CLICKED) continue;
        // No help left: the copilot is switched off too (checking a help does not switch it on).
        bool any = false;
        for (const HelpBox& other : kHelpBoxes)
            any = any || Checked(window, other.id);
        if (!any) Check(window, kMaster, false);
        return 1;
    }
    return SettingsDialog::OnCommand(notifyCode, wParam, control);
}

void CopilotAssitanceDialog::Apply() {
    nav::CopilotSettings& c = nav::theCopilotSettings;
    for (const HelpBox& b : kHelpBoxes)
        c.*b.flag = Checked(window, b.id) ? 1 : 0;
    c.master = Checked(window, kMaster) ? 1 : 0;
    // The copilot working the radios makes the controllers wait for its readbacks.
    nav::theAtcState.copilotRadios = c.radios;
    nav::theCopilotRadioHelp = static_cast<std::uint32_t>(c.radios);
    nav::theAtcReplyDelay = c.radios != 0 ? 200 : 0;
    nav::ApplyCopilotPresets(c);
    thePlanningHost.setFlightMode(c.master != 0 ? 5 : 0);
}

}  // namespace planning
