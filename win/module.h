// Libraries bound at run time by the names of their entry points. A module registered in-process
// with its exports (by the program or a test) answers first; otherwise a library "name.dll" is
// the shared library "libname.so" (the name in lower case) wherever the dynamic linker finds it
// (LD_LIBRARY_PATH, the system's library folders), and its entry points are its symbols.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win/handles.h"

namespace win {

// An entry point as GetProcAddress gives it: the caller converts it back to its real type.
using FARPROC = void (*)();
using HMODULE = HINSTANCE;

struct ModuleExport {
    std::string name;
    FARPROC proc = nullptr;
};

// Makes a module loadable under `name` (compared without regard to case); registering a name
// again replaces its exports and gives it a new handle.
void RegisterModule(std::string_view name, std::vector<ModuleExport> exports);
// The module can no longer be loaded, and its handle no longer answers.
void UnregisterModule(std::string_view name);

// Null when no module of that name is registered and no shared library of its platform name
// loads. Every successful call counts a load.
HMODULE LoadLibrary(const char* name);
// Null when the module is unknown or does not export the name.
FARPROC GetProcAddress(HMODULE module, const char* name);
// Undoes one load; false for an unknown handle or one not loaded.
bool FreeLibrary(HMODULE module);
// Null name: the program's own module. Otherwise the handle of a loaded module, or null.
HMODULE GetModuleHandle(const char* name);
// The platform's file name of a library: "Name.dll" gives "libname.so".
[[nodiscard]] std::string SharedLibraryName(std::string_view name);
// Loads not yet freed (tests).
[[nodiscard]] std::int32_t ModuleLoads(std::string_view name);

}  // namespace win
