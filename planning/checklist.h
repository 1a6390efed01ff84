// The aircraft's normal-procedure checklists and the dialog that shows them. Each type has one
// list of lines: a section title, then its numbered steps ("   1. Item -- SETTING", two spaces
// before the number from step 10 on; a long step continues on the next line, indented), and
// an empty line before every following title. A section starts at its empty line, so choosing
// it shows the gap above its title.
#pragma once

#include <string>
#include <vector>

#include "ui/dialog.h"

namespace planning {

inline constexpr int kMaxChecklistLines = 131;
inline constexpr int kMaxChecklistSections = 15;

struct Checklist {
    std::vector<std::string> lines;
    std::vector<std::string> titles;
    std::vector<int> starts;  // each section's first line
};

// The checklist of an aircraft type 0..4; any other type reads the 172's.
[[nodiscard]] const Checklist& GetChecklist(int type);
// The title bitmap of a type: "172_TITL", "BON_TITL", "BAR_TITL", "KNG_TITL", "CIT_TITL".
[[nodiscard]] const char* ChecklistTitleBitmap(int type);

class ChecklistDialog : public ui::Dialog {
public:
    explicit ChecklistDialog(int aircraftType) : ui::Dialog("Checklists", 0), type(aircraftType) {
        SetHelpId(20040);
    }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int OnDestroy() override;

    int type = 0;

private:
    win::HBITMAP title;
};

}  // namespace planning
