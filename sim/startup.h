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

// The whole start-up of the resource volumes, in order: the host above, the installation source
// from "Tandor.Inf" in the parent of the working folder, then the global volumes (without the
// disc prompt; a volume missing now is looked for on the disc when first used).
void InitResourceVolumes();

}  // namespace sim
