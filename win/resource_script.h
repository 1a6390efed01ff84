// The resource script compiler: reads a script in the familiar resource-script syntax (the
// subset the program uses) and turns each resource into the member bytes the loaders of
// resource.h read. tools/rescomp writes the result into a volume; tests compile scripts held
// in memory.
//
// Understood: #include, #define, #undef, #ifdef, #ifndef, #if, #elif, #else, #endif (in an
// included ".h" file only the directives count); // and /* */ comments; MENU, ACCELERATORS,
// STRINGTABLE, DIALOG and DIALOGEX (with CONTROL and the usual control statements), CURSOR,
// ICON, BITMAP and user-defined types that name a file (kept as raw bytes); LANGUAGE is
// skipped. Numbers may be written as expressions of constants joined with | + - and NOT.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

struct CompiledResource {
    std::string type;    // "MENU", "ACCELERATORS", "STRING", "DIALOG", "CURSOR", … or a user type
    std::string name;    // upper-case name, or "#id"
    std::string member;  // the member name in the pack
    std::vector<std::uint8_t> data;
    std::string file;
    int line = 0;
};

struct ResourceScriptResult {
    std::vector<CompiledResource> resources;
    std::string error;  // "file:line: what is wrong"; empty when the script compiled
    [[nodiscard]] bool Ok() const { return error.empty(); }
};

// Reads a file the script names (an #include or a resource file), by the path as written,
// relative to the script's folder; nothing when it cannot be read.
using ScriptFileReader = std::function<std::optional<std::string>(const std::string& path)>;

// Compiles a script; the first error stops it. Never throws and never crashes on any input.
[[nodiscard]] ResourceScriptResult CompileResourceScript(std::string_view text,
                                                         std::string_view fileName,
                                                         const ScriptFileReader& readFile);

}  // namespace win
