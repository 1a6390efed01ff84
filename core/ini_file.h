// IniFile: the one accessor for every INI-format file of the program: its own settings file
// (beside the executable, with the extension ".ini"), the joystick file, saved situations and
// flight plans.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "win/profile.h"

namespace core {

class IniFile {
public:
    // The section used when a caller passes none.
    static constexpr const char* kDefaultSection = "Zephlon";
    // Passed as the default to the profile read, so that getting it back means "no such key".
    static constexpr const char* kMissingSentinel = "kvormid";
    // Size of the shared result buffer, the terminating NUL included.
    static constexpr std::uint32_t kResultSize = 512;

    // Null: the program's own settings file. A name with a folder in it ('\' or '/') is used as
    // it is; a bare name is looked for beside the executable, then in the current folder, and
    // lands beside the executable when it exists in neither.
    explicit IniFile(const char* fileName = nullptr);

    // The value, in a buffer shared by every IniFile: it stays valid only until the next
    // GetString or GetInt. A null section means the default section; a null default the empty
    // string. A null key, an absent key and a stored sentinel all give the default.
    const char* GetString(const char* section, const char* key, const char* defaultValue);
    // The value read like strtol (blanks, sign, digits), clamped to 32 bits; the default when
    // the key is absent, 0 when its text starts with no digits.
    std::int32_t GetInt(const char* section, const char* key, std::int32_t defaultValue);
    // 1 when written, 0 when not (a null key writes nothing). A null value deletes the key.
    int PutString(const char* section, const char* key, const char* value);
    int PutInt(const char* section, const char* key, std::int32_t value);
    // Several keys of one section, written as PutString of each in turn would write them but
    // with one rewrite of the file; 1 when every key was written.
    int PutStrings(const char* section, std::span<const win::ProfileEntry> entries);
    // Removes a whole section; 1 when the file is as asked afterwards.
    int DeleteSection(const char* section);

    [[nodiscard]] const std::string& Path() const { return path; }

private:
    std::string path;
};

// Saves a whole new file of the INI format at `path` (a flight, a plan): `write` fills a fresh
// file and, when it gives 1, that file replaces the one at `path` all at once; over a symbolic
// link the file it names changes and the link stays. 0, with the last error set, when `write`
// fails, when the file cannot be written, or when `path` names anything but a plain file (a
// folder, a device, a pipe, or a link to one: ERROR_BAD_FILE_TYPE); nothing at `path` changes
// then, and nothing beside it that the save did not make is moved or removed.
int SaveWholeIniFile(const std::string& path, const std::function<int(IniFile&)>& write);

// The program's own settings file, built before the program's entry code runs.
extern IniFile theIniFile;

// The settings path made from an executable's path: its extension (after the last folder
// separator) replaced by ".ini", or ".ini" appended when it has none.
[[nodiscard]] std::string SettingsPathFor(const std::string& executablePath);

}  // namespace core
