// The program's own message box and the insert-disc prompt, as the rest of the system calls them
// (generic_dialog.h holds the dialogs behind them).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "win/handles.h"
#include "win/window.h"

namespace ui {

// Button sets (type AND 7) and icons of the message box, as the Windows message box has them; it
// answers with the pressed button's id (win::IDOK, win::IDCANCEL, win::IDRETRY, win::IDYES, ...).
inline constexpr std::uint32_t MB_OK = 0;
inline constexpr std::uint32_t MB_OKCANCEL = 1;
inline constexpr std::uint32_t MB_YESNOCANCEL = 3;
inline constexpr std::uint32_t MB_YESNO = 4;
inline constexpr std::uint32_t MB_RETRYCANCEL = 5;
inline constexpr std::uint32_t MB_ICONEXCLAMATION = 48;
inline constexpr std::uint32_t MB_ICONINFORMATION = 64;

// Shows `text` with the button set of `type`; the id of the pressed button.
int ShowMessageBox(win::HWND parent, std::string_view text, std::uint32_t type);
// The same box in a layout made in code, for the start of a program whose resource pack cannot
// be read: the program's windows work, its templates are missing.
int ShowMessageBoxWithoutResources(std::string_view text, std::uint32_t type);

// Tells the user that something failed with a file: `sentence` (the program's own text, where
// "%s" stands for `path`, shown with slashes), then on a line of its own why, from the file error
// `error`, prefixed with `path` when the sentence does not name it. Also written to the error output, so a user
// who started the program from a terminal finds it there too. Answers IDOK.
int ShowFileMessage(win::HWND parent, std::string_view sentence, std::string_view path,
                    std::uint32_t error);
// The text ShowFileMessage shows.
[[nodiscard]] std::string FileMessageText(std::string_view sentence, std::string_view path,
                                          std::uint32_t error);

// Asks for disc 1 or 2 until `path` exists: 1 when it does (at once when it already exists), 0
// when the user cancels.
int PromptForDisc(win::HWND parent, int disc, std::string_view path, std::uint32_t buttons);

}  // namespace ui
