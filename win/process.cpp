#include "win/process.h"

#include <cctype>
#include <string>

namespace win {

namespace {
std::uint32_t theWinExecCount = 0;
}

std::uint32_t WinExec(const char* commandLine, int) {
    if (commandLine == nullptr) return ERROR_FILE_NOT_FOUND_EXEC;
    std::string c;
    for (const char* p = commandLine; *p != '\0'; ++p)
        c += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    // The machine's own control panels stand in for the program's.
    if (c.rfind("control ", 0) != 0) return ERROR_FILE_NOT_FOUND_EXEC;
    ++theWinExecCount;
    return 33;
}

std::uint32_t WinExecCount() {
    return theWinExecCount;
}

}  // namespace win
