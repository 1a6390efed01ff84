#include "win/module.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace win {

namespace {

// The program's own module has handle 1; registered modules count up from 2 and are never reused.
constexpr std::uint32_t kProgramModule = 1;

struct Module {
    std::vector<ModuleExport> exports;
    // The shared library loaded for the name, whose symbols are its exports; null for a module
    // registered in-process.
    void* library = nullptr;
    std::uint32_t handle = 0;
    std::int32_t loads = 0;
};

struct Registry {
    std::map<std::string, Module> modules;  // by lower-case name
    std::uint32_t nextHandle = kProgramModule + 1;
};

Registry& TheRegistry() {
    static Registry r;
    return r;
}

std::string Key(std::string_view name) {
    std::string k(name);
    for (char& c : k)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return k;
}

Module* ByHandle(HMODULE handle) {
    if (!handle) return nullptr;
    for (auto& [name, m] : TheRegistry().modules)
        if (m.handle == handle.id) return &m;
    return nullptr;
}

}  // namespace

void RegisterModule(std::string_view name, std::vector<ModuleExport> exports) {
    Registry& r = TheRegistry();
    Module& m = r.modules[Key(name)];
    m.exports = std::move(exports);
    m.handle = r.nextHandle++;
    m.loads = 0;
}

void UnregisterModule(std::string_view name) {
    TheRegistry().modules.erase(Key(name));
}

HMODULE LoadLibrary(const char* name) {
    if (name == nullptr) return HMODULE{};
    auto& modules = TheRegistry().modules;
    auto it = modules.find(Key(name));
    if (it == modules.end()) {
        // Only a bare name is looked up by the dynamic linker, never a path.
        if (std::string_view(name).find_first_of("/\\") != std::string_view::npos) return HMODULE{};
        // Never unloaded: entry points handed out stay callable.
        void* library = dlopen(SharedLibraryName(name).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return HMODULE{};
        RegisterModule(name, {});
        it = modules.find(Key(name));
        it->second.library = library;
    }
    ++it->second.loads;
    return HMODULE{it->second.handle};
}

std::string SharedLibraryName(std::string_view name) {
    std::string base = Key(name);
    if (base.size() > 4 && base.ends_with(".dll")) base.erase(base.size() - 4);
    return "lib" + base + ".so";
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
    const Module* m = ByHandle(module);
    if (m == nullptr || name == nullptr) return nullptr;
    if (m->library != nullptr) return reinterpret_cast<FARPROC>(dlsym(m->library, name));
    for (const ModuleExport& e : m->exports)
        if (e.name == name) return e.proc;
    return nullptr;
}

bool FreeLibrary(HMODULE module) {
    Module* m = ByHandle(module);
    if (m == nullptr || m->loads <= 0) return false;
    --m->loads;
    return true;
}

HMODULE GetModuleHandle(const char* name) {
    if (name == nullptr) return HMODULE{kProgramModule};
    auto& modules = TheRegistry().modules;
    auto it = modules.find(Key(name));
    if (it == modules.end() || it->second.loads <= 0) return HMODULE{};
    return HMODULE{it->second.handle};
}

std::int32_t ModuleLoads(std::string_view name) {
    auto& modules = TheRegistry().modules;
    auto it = modules.find(Key(name));
    return it == modules.end() ? 0 : it->second.loads;
}

}  // namespace win
