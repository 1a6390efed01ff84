// The private-profile calls: settings in INI-format text files.
//
// A file is a list of lines. "[Name]" starts a section; "key = value" lines belong to the
// section above them; lines whose first non-blank character is ';' are comments; anything else is
// ignored. Section and key names compare without regard to case; blanks around names and values
// are dropped, and one pair of matching quotes around a value is removed. The first section of a
// name and the first key of a name in it win.
//
// Writes change as little as possible: a value replaces the first occurrence of its key in place,
// or follows the last entry of its section, or goes into a new section at the end of the file;
// every other byte stays as it was, and new lines end in CR LF. The file is rewritten through a
// temporary file and a rename, so a reader never sees half a write.
//
// Nothing is kept between calls that another writer could make stale: a file is read again when
// its size or modification time changed. A file is parsed once when it is read, and every read
// until it changes looks its keys up in that one parse.
//
// Only plain files of at most platform::kMaxTextFileBytes are read: a device, a pipe or a larger
// file reads as a file that cannot be read (every read gives its default, once said on the
// error output) and is never written; neither is a write made that would pass the size.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// Copies the value of `key` in `section` into `buffer` (size in characters, including the NUL),
// or `defaultValue` (trailing blanks removed; null for none) when the key is absent. A value that
// does not fit is cut to size - 1 characters. Returns the number of characters stored without
// the NUL.
// With a null `key`, stores the section's key names, each followed by a NUL, and one more NUL;
// with a null `section`, the file's section names the same way. When such a list does not fit,
// it is cut to whole characters and double-NUL-terminated, and the result is size - 2.
std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                      const char* defaultValue, char* buffer, std::uint32_t size,
                                      std::string_view fileName);

// The value as a string (no length limit); `defaultValue` when the key is absent.
[[nodiscard]] std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                                  std::string_view defaultValue,
                                                  std::string_view fileName);

// The value read as a decimal number like strtol does it (blanks, optional sign, digits up to the
// first other character, 0 when there are none), clamped to 32 bits; `defaultValue` when the key
// is absent.
[[nodiscard]] std::int32_t GetPrivateProfileInt(const char* section, const char* key,
                                                std::int32_t defaultValue,
                                                std::string_view fileName);

// Sets `key` in `section` to `value`, creating the file and the section as needed. A null value
// deletes the key (every line of it in the section); a null key deletes the section (every
// section of that name, with its lines). Names holding line breaks, keys holding '=' or starting
// with '[' or ';', and sections holding ']' are refused (ERROR_INVALID_PARAMETER), as is a value
// holding a line break, since they could not be read back. A value with blanks at either end, or
// one that is itself quoted, is written in quotes so that it reads back unchanged.
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               std::string_view fileName);

// One key and its value for WritePrivateProfileStrings.
struct ProfileEntry {
    std::string_view key;
    std::string_view value;
};

// Sets several keys of one section with one rewrite of the file: the file afterwards is byte for
// byte what WritePrivateProfileString of each entry in turn would leave (a later entry of a key
// replaces an earlier one). True when every key was written; a key or value the single write
// refuses is refused alone (ERROR_INVALID_PARAMETER) and the others are written.
bool WritePrivateProfileStrings(const char* section, std::span<const ProfileEntry> entries,
                                std::string_view fileName);

// Sets every key of `fromFile` in `fileName` (the values `fromFile` reads as win), in one
// rewrite whose time goes with the files' sizes: sections `fileName` lacks are added at its
// end. True when every key was written.
bool CopyPrivateProfile(std::string_view fromFile, std::string_view fileName);

// While one of these lives (they nest), the profile writes of every file are gathered in memory
// and each changed file is stored once, still by an atomic replacement, when the outermost one
// ends or is flushed: saving a situation of hundreds of keys writes its file once. Reads in
// between see the gathered writes.
class ProfileWriteBatch {
public:
    // A batch of its own files: what is written while it lives is stored when it ends (or at
    // Flush), even inside another batch, whose own pending writes wait for that one. For a file
    // the caller must find written at once, such as a temporary about to be renamed.
    enum Own { kOwnFiles };

    ProfileWriteBatch();
    explicit ProfileWriteBatch(Own);
    ~ProfileWriteBatch();
    ProfileWriteBatch(const ProfileWriteBatch&) = delete;
    ProfileWriteBatch& operator=(const ProfileWriteBatch&) = delete;
    // Stores every gathered file now (the outermost batch only); true when all were stored.
    bool Flush();

private:
    bool outermost;
    // The enclosing batch's pending writes, set aside while a batch of its own files lives.
    std::shared_ptr<void> setAside;
};

// While one of these lives (they nest), each settings file is looked at once: the reads after
// the first take the text it found, without finding and examining the file again, until the
// outermost one ends or a settings file is written. For reading many keys of a file that nothing
// else changes meanwhile (a flight plan, a situation).
class ProfileReadBatch {
public:
    ProfileReadBatch();
    ~ProfileReadBatch();
    ProfileReadBatch(const ProfileReadBatch&) = delete;
    ProfileReadBatch& operator=(const ProfileReadBatch&) = delete;
};

// Stores that failed, so a failed settings write is told to the user rather than lost: the count
// of failures recorded so far (cheap to watch), and the error of the last failed store of a file
// not yet taken (0 when none). Each failure is given out once; the same failure again is not
// recorded until a store of that file has succeeded.
[[nodiscard]] std::uint64_t ProfileStoreFailureCount();
[[nodiscard]] std::uint32_t TakeProfileStoreFailure(std::string_view fileName);

// How many texts of settings files have been parsed so far: a file read, or one a write
// changed. The writes of a batch into one file parse it once, however many there are.
[[nodiscard]] std::uint64_t ProfileTextsParsed();

// Convenience: the names of the file's sections, or of one section's keys, in file order.
[[nodiscard]] std::vector<std::string> GetPrivateProfileSectionNames(std::string_view fileName);
[[nodiscard]] std::vector<std::string> GetPrivateProfileKeyNames(std::string_view section,
                                                                 std::string_view fileName);

}  // namespace win
