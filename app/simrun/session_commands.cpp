// The runner's lines for what the machine does to the program from outside:
//   terminate           the session ends, as SIGTERM, SIGINT or SIGHUP end it: the program closes
//                       without asking (platform/termination.h)
//   disk full [BYTES]   after BYTES more bytes (0 when not given) every file write fails as on
//                       a full disk
//   disk ok             writes work again
#include <cstdlib>

#include "platform/file_system.h"
#include "platform/termination.h"
#include "script.h"
#include "win/program_entry.h"

namespace simrun {
namespace {

bool CheckTerminate(const std::vector<std::string>& words, std::string* why) {
    if (!words.empty()) {
        *why = "terminate takes no words";
        return false;
    }
    return true;
}

bool RunTerminate(const std::vector<std::string>&, std::string*) {
    win::TraceLine("terminate");
    platform::RequestTermination();
    return true;
}

bool ParseBytes(const std::string& text, std::uint64_t* bytes) {
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || end == nullptr || *end != '\0') return false;
    *bytes = v;
    return true;
}

bool CheckDisk(const std::vector<std::string>& words, std::string* why) {
    std::uint64_t bytes = 0;
    const bool full = !words.empty() && words[0] == "full" &&
                      (words.size() == 1 || (words.size() == 2 && ParseBytes(words[1], &bytes)));
    const bool ok = words.size() == 1 && words[0] == "ok";
    if (!full && !ok) {
        *why = "expected disk full [BYTES] or disk ok";
        return false;
    }
    return true;
}

bool RunDisk(const std::vector<std::string>& words, std::string*) {
    if (words[0] == "ok") {
        win::TraceLine("disk ok");
        platform::ClearSimulatedFaults();
        return true;
    }
    std::uint64_t bytes = 0;
    if (words.size() == 2) ParseBytes(words[1], &bytes);
    win::TraceLine("disk full after " + std::to_string(bytes) + " bytes");
    platform::SimulateDiskFull(bytes);
    return true;
}

const bool theSessionCommands = [] {
    RegisterScriptCommand(ScriptCommand{"terminate", &CheckTerminate, &RunTerminate});
    RegisterScriptCommand(ScriptCommand{"disk", &CheckDisk, &RunDisk});
    return true;
}();

}  // namespace
}  // namespace simrun
