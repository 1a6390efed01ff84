// The pilot a starter installation ships ("PILOT\CURRENT" naming "Student" and a new pilot's
// file), for tests that run the program in a folder of their own making: without it the
// start-up asks for a pilot first.
#pragma once

#include <string>

#include "support/temp_folder.h"

namespace testsupport {

inline void WriteStarterPilot(const TempFolder& dir) {
    dir.MakeFolders("PILOT");
    dir.Write("PILOT/CURRENT", std::string("Student", 8));
    std::string file(106, '\0');
    file[94] = 1;  // the lesson number
    file[96] = 5;  // the header's setting
    dir.Write("PILOT/Student.PLT", file);
}

}  // namespace testsupport
