// What the small settings dialogs share (ui's option dialogs and those of nav/ and planning/):
// their common init, their OK and Cancel buttons, and small control helpers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "ui/dialog.h"

namespace ui::optiondialogs {

// The dialog's help id (its DWL_USER value, which the help popup reads) and its "?" button.
void BeginOptionDialog(Dialog& d, std::uint32_t helpId);
// OK runs `applyOnOk` and ends with 1; Cancel (2 or 1817) ends with 0. 1 when handled.
int EndButtons(Dialog& d, win::WParam wParam, const std::function<void()>& applyOnOk);
// A decimal number typed into a field: `ok` is false for letters or an empty field; long
// numbers saturate at a billion.
int ParseNumber(const std::string& text, bool* ok);
int CheckState(win::HWND dialog, int id);
void SetCheck(win::HWND dialog, int id, int on);
int TrackPosition(win::HWND dialog, int id);
void FillCombo(win::HWND dialog, int id, std::initializer_list<const char*> rows, int selected);
int ComboSelection(win::HWND dialog, int id);

}  // namespace ui::optiondialogs
