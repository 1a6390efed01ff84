// Starting other programs. There are none here: the control panels a program may open
// ("control joy.cpl") belong to the machine's own settings, so the call succeeds and does
// nothing; any other command line fails as a missing file.
#pragma once

#include <cstdint>

namespace win {

inline constexpr std::uint32_t ERROR_FILE_NOT_FOUND_EXEC = 2;

// Above 31 when the command "ran"; a small error number otherwise.
std::uint32_t WinExec(const char* commandLine, int show);
// How many commands WinExec accepted (tests).
[[nodiscard]] std::uint32_t WinExecCount();

}  // namespace win
