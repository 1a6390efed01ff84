// The starter pilot: "PILOT\CURRENT" names "Student", whose pilot file holds the new-pilot header
// and an empty logbook, so a first start flies at once.
#include <cstring>

#include "installation.h"
#include "planning/pilot_file.h"

namespace mkdata {

int MakePilots(Installation& installation, std::string*) {
    static constexpr char kPilot[] = "Student";
    planning::PilotFile student;
    const std::vector<std::uint8_t> file = student.Encode();
    installation.AddFile("PILOT\\Student.PLT", Bytes(file.begin(), file.end()));
    installation.AddFile("PILOT\\CURRENT", Bytes(kPilot, kPilot + std::strlen(kPilot) + 1));
    return 1;
}

}  // namespace mkdata
