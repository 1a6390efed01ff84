#pragma once

#include "win/program_entry.h"

namespace simrun {

// The window system's demonstration program (see demo_program.cpp).
win::ProgramEntry DemoProgram();

}  // namespace simrun
