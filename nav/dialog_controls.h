// The few control calls the station directory makes on the dialogs that show it: a text into a
// control by id, and rows into a list box. Kept thin: the directory builds its texts and rows as
// plain values, and only these calls touch windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "win/handles.h"

namespace nav {

// Where a list of rows goes: a list box, or anything that answers the same calls (the planning
// pages' own lists, tests).
class ListTarget {
public:
    virtual ~ListTarget() = default;
    virtual void Reset() = 0;
    // The row the text went to, or -1 when it was not added.
    virtual int Add(std::string_view text) = 0;
    virtual void Select(int row) = 0;
    virtual void SetTop(int row) = 0;
    // Tab stops in dialog units.
    virtual void SetTabStops(const int* stops, int count) = 0;
};

// A list box control of a dialog.
class ListBoxTarget final : public ListTarget {
public:
    ListBoxTarget(win::HWND dialog, int controlId);
    void Reset() override;
    int Add(std::string_view text) override;
    void Select(int row) override;
    void SetTop(int row) override;
    void SetTabStops(const int* stops, int count) override;

private:
    win::HWND control;
};

// The text of a list box's row; empty for a row it does not have.
[[nodiscard]] std::string ListRowText(win::HWND list, int row);

// The row of a station list that what the user typed names, selected: the station whose code
// (in brackets after the name) it is, whatever the case; in a ranked list (the airports) the
// first airport of the city it names (the installation's list of cities: "las vegas", "St. Louis,
// MO"); else a station whose whole name it is,
// whatever the case, a ranked row (`rank` above 0: a towered field) before the others; else the
// ranked station whose name holds it as whole words (a city: "oakland" for "Metro Oakland
// Intl"), the highest rank first; else the first name it begins, first as typed, then in any
// case; else, in a ranked list, the first name that holds its words whole ("lake tahoe" for
// "South Lake Tahoe"), apostrophes left out. A place typed with its state takes an airport of
// that state whose name begins with the place's or holds it ("loveland co"). -1 when none does:
// a ranked list is left with no row selected, another list untouched.
int SelectTypedStation(win::HWND list, std::string_view typed,
                       const std::function<int(int row)>& rank = {});

// Puts a text into the control `id` of a dialog; nothing when the dialog has no such control.
void SetControlText(win::HWND dialog, int id, std::string_view text);

}  // namespace nav
