// Start-up and shut-down services used below the simulation core.
#pragma once

namespace sim {

// The emergency exit, taken when the user gives up at the insert-disc prompt: the program ends
// at once (static destructors still run). This first body only ends the process; the orderly
// parts (window placement, display, sound) join it with the main window.
[[noreturn]] void FatalShutdown();

// Connects the resource volumes' disc fallback to the dialog services and the emergency exit.
// Start-up calls it before the first volume is opened.
void InstallResourceVolumeHost();

}  // namespace sim
