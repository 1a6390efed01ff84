// Choosing the aircraft: five buttons, the chosen type's picture, its name and figures, and its
// performance text ("P<type>.Txt" of "Data\Perform.Vol") listed line by line.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "ui/dialog.h"

namespace planning {

// A performance text read whole (at most 16 KB) and handed out line by line. A line ends at a
// carriage return or a line feed (a CR LF pair counts once); the text ends at the bytes read or
// at a Ctrl-Z, and a last line without an ending counts.
struct PerformanceText {
    static constexpr int kSize = 16384;
    std::array<char, kSize + 1> buffer{};  // one more for the last line's terminator
    int size = 0;
    int cursor = 0;

    // Takes the first 16 KB of `bytes` as the text, the cursor at its start.
    void Assign(std::string_view bytes);
    // The next line (terminated in place), or null at the end.
    const char* NextLine();
};

// The aircraft type of a selection button (1741, 1743, 1742, 1746, 1745), or -1.
[[nodiscard]] int AircraftTypeOfButton(int buttonId);
// Reads the performance text of the button's type: 1, or 0 when it cannot be read.
int LoadPerformanceText(PerformanceText* text, int buttonId);
// Fills list 1624 of the dialog with the button's performance text.
void ShowPerformanceText(win::HWND dialog, int buttonId);

class AircraftSelectionDialog : public ui::Dialog {
public:
    AircraftSelectionDialog(int currentType, std::string startFlightName)
        : ui::Dialog("FlightModel", 0), opened(currentType), chosen(currentType), startFlight(std::move(startFlightName)) {
        SetHelpId(20004);
    }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int OnDestroy() override;

    int opened;  // the type the dialog opened with, given back on Cancel
    int chosen;
    std::string startFlight;  // the dialog's copy of the start flight's name

private:
    void Choose(int type);

    win::HFONT listFont;
    win::HBITMAP picture;
    win::HBITMAP nameText;
};

}  // namespace planning
