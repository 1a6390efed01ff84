#include "core/ini_file.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"
#include "win/file_api.h"
#include "win/profile.h"

namespace core {
namespace {

char theResult[IniFile::kResultSize];

const char* SectionOrDefault(const char* section) {
    return section != nullptr ? section : IniFile::kDefaultSection;
}

bool EqualsIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const auto x = static_cast<unsigned char>(*a);
        const auto y = static_cast<unsigned char>(*b);
        if (std::tolower(x) != std::tolower(y)) return false;
    }
    return *a == *b;
}

// Whether the file opens for reading, as a plain read-only open of it would. Only a plain file
// is tried: the open of a pipe would wait for a writer.
bool Opens(const std::string& path) {
    platform::FileInfo info;
    if (platform::GetFileInfo(path, &info) != platform::kFileOk || !info.isRegular) return false;
    const win::FileHandle file = win::CreateFile(
        path, win::GENERIC_READ, win::FILE_SHARE_READ | win::FILE_SHARE_WRITE, win::OPEN_EXISTING);
    if (!file.IsValid()) return false;
    return win::CloseHandle(file);
}

std::size_t LastSeparator(const std::string& path) {
    return path.find_last_of("\\/");
}

// Reads the text like strtol: blanks, an optional sign, then digits up to the first other
// character; clamped to 32 bits.
std::int32_t ToInt32(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = std::min<std::int64_t>(value * 10 + (*text - '0'), std::int64_t{INT32_MAX} + 1);
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

IniFile theIniFile;

std::string SettingsPathFor(const std::string& executablePath) {
    std::string path = executablePath;
    const std::size_t separator = LastSeparator(path);
    const std::size_t dot = path.find_last_of('.');
    // A dot in a folder name is not an extension.
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator)) {
        path.erase(dot);
    }
    return path + ".ini";
}

IniFile::IniFile(const char* fileName) {
    // The profile calls create the file on its first write.
    const std::string name = fileName != nullptr ? fileName : "";
    if (fileName != nullptr && LastSeparator(name) != std::string::npos) {
        path = name;
    } else {
        path = SettingsPathFor(win::GetModuleFileName());
        if (fileName == nullptr) return;
        const std::size_t separator = LastSeparator(path);
        path =
            (separator == std::string::npos ? std::string() : path.substr(0, separator + 1)) + name;
    }
    if (Opens(path)) return;
    if (name != path && Opens(name)) path = name;
}

const char* IniFile::GetString(const char* section, const char* key, const char* defaultValue) {
    // The default may be an earlier result, which lives in the buffer the read overwrites.
    const std::string fallback = defaultValue != nullptr ? defaultValue : "";
    if (key != nullptr) {
        win::GetPrivateProfileString(SectionOrDefault(section), key, kMissingSentinel, theResult,
                                     kResultSize, path);
        if (!EqualsIgnoringCase(theResult, kMissingSentinel)) return theResult;
    }
    // A default longer than the buffer is cut, never written past it.
    const std::size_t n = std::min<std::size_t>(fallback.size(), kResultSize - 1);
    std::memcpy(theResult, fallback.data(), n);
    theResult[n] = '\0';
    return theResult;
}

std::int32_t IniFile::GetInt(const char* section, const char* key, std::int32_t defaultValue) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(defaultValue));
    return ToInt32(GetString(section, key, text));
}

int IniFile::PutString(const char* section, const char* key, const char* value) {
    if (key == nullptr) return 0;
    return win::WritePrivateProfileString(SectionOrDefault(section), key, value, path) ? 1 : 0;
}

int IniFile::PutInt(const char* section, const char* key, std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return PutString(section, key, text);
}

int IniFile::PutStrings(const char* section, std::span<const win::ProfileEntry> entries) {
    return win::WritePrivateProfileStrings(SectionOrDefault(section), entries, path) ? 1 : 0;
}

int IniFile::DeleteSection(const char* section) {
    return win::WritePrivateProfileString(SectionOrDefault(section), nullptr, nullptr, path) ? 1
                                                                                             : 0;
}

int SaveWholeIniFile(const std::string& path, const std::function<int(IniFile&)>& write) {
    const std::string target = win::ReplacedFileOf(path);
    if (const std::uint32_t why = platform::WhyNotReplaced(path); why != platform::kFileOk) {
        win::SetLastError(why);
        return 0;
    }
    // A file of the save's own making: the keys go into an empty file, not into whatever the
    // old one held, and no file the user keeps beside it is touched.
    std::uint32_t error = platform::kFileOk;
    const std::string temporary = platform::CreateTemporaryBeside(target, &error);
    if (temporary.empty()) {
        win::SetLastError(error);
        return 0;
    }
    int result = 0;
    error = win::ERROR_SUCCESS;
    {
        // Every section's keys are gathered and the temporary file written once, before it is
        // renamed, even while another batch of writes is open (a save from a box shown at
        // start-up).
        win::ProfileWriteBatch batch(win::ProfileWriteBatch::kOwnFiles);
        IniFile file(temporary.c_str());
        result = write(file);
        if (result == 0) error = win::GetLastError();
        if (!batch.Flush()) {
            result = 0;
            error = win::GetLastError();
        }
    }
    // What is at the path may have changed while the file was written.
    if (result != 0) {
        if (const std::uint32_t why = platform::WhyNotReplaced(path); why != platform::kFileOk) {
            result = 0;
            error = why;
        }
    }
    if (result != 0 && !win::MoveFileEx(temporary, target, win::MOVEFILE_REPLACE_EXISTING)) {
        result = 0;
        error = win::GetLastError();
    }
    if (result == 0) {
        win::DeleteFile(temporary);
        win::SetLastError(error != win::ERROR_SUCCESS ? error : win::ERROR_WRITE_FAULT);
        return 0;
    }
    return 1;
}

}  // namespace core
