// The program's file calls, under their familiar names and with their documented constants.
// Paths are written the Windows way ("Art\Palettes.Vol") and resolved without regard to case by
// platform/file_system. Each call records its failure reason for GetLastError.
//
// Handles are small typed values. INVALID_HANDLE_VALUE compares equal to, and converts to, an
// invalid handle of either kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace win {

// ---------------------------------------------------------------------------------------------
// Constants

inline constexpr std::uint32_t MAX_PATH = 260;

inline constexpr std::uint32_t GENERIC_READ = 0x80000000u;
inline constexpr std::uint32_t GENERIC_WRITE = 0x40000000u;

inline constexpr std::uint32_t FILE_SHARE_READ = 0x1;
inline constexpr std::uint32_t FILE_SHARE_WRITE = 0x2;
inline constexpr std::uint32_t FILE_SHARE_DELETE = 0x4;

inline constexpr std::uint32_t CREATE_NEW = 1;
inline constexpr std::uint32_t CREATE_ALWAYS = 2;
inline constexpr std::uint32_t OPEN_EXISTING = 3;
inline constexpr std::uint32_t OPEN_ALWAYS = 4;
inline constexpr std::uint32_t TRUNCATE_EXISTING = 5;

inline constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr std::uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr std::uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

inline constexpr std::uint32_t FILE_BEGIN = 0;
inline constexpr std::uint32_t FILE_CURRENT = 1;
inline constexpr std::uint32_t FILE_END = 2;
inline constexpr std::uint32_t INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
inline constexpr std::uint32_t INVALID_FILE_SIZE = 0xFFFFFFFFu;

inline constexpr std::uint32_t MOVEFILE_REPLACE_EXISTING = 0x1;
inline constexpr std::uint32_t MOVEFILE_COPY_ALLOWED = 0x2;
inline constexpr std::uint32_t MOVEFILE_WRITE_THROUGH = 0x8;

inline constexpr std::uint32_t ERROR_SUCCESS = 0;
inline constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::uint32_t ERROR_PATH_NOT_FOUND = 3;
inline constexpr std::uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr std::uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr std::uint32_t ERROR_INVALID_ACCESS = 12;
inline constexpr std::uint32_t ERROR_NOT_SAME_DEVICE = 17;
inline constexpr std::uint32_t ERROR_NO_MORE_FILES = 18;
inline constexpr std::uint32_t ERROR_WRITE_FAULT = 29;
inline constexpr std::uint32_t ERROR_READ_FAULT = 30;
inline constexpr std::uint32_t ERROR_GEN_FAILURE = 31;
inline constexpr std::uint32_t ERROR_SHARING_VIOLATION = 32;
inline constexpr std::uint32_t ERROR_HANDLE_DISK_FULL = 39;
inline constexpr std::uint32_t ERROR_FILE_EXISTS = 80;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_DISK_FULL = 112;
inline constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr std::uint32_t ERROR_NEGATIVE_SEEK = 131;
inline constexpr std::uint32_t ERROR_DIR_NOT_EMPTY = 145;
inline constexpr std::uint32_t ERROR_ALREADY_EXISTS = 183;
inline constexpr std::uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr std::uint32_t ERROR_BAD_FILE_TYPE = 222;
inline constexpr std::uint32_t ERROR_FILE_TOO_LARGE = 223;
inline constexpr std::uint32_t ERROR_DIRECTORY = 267;
inline constexpr std::uint32_t ERROR_FILE_INVALID = 1006;
inline constexpr std::uint32_t ERROR_FILE_READ_ONLY = 6009;

// ---------------------------------------------------------------------------------------------
// Handles

struct InvalidHandleValue {};
inline constexpr InvalidHandleValue INVALID_HANDLE_VALUE{};

struct FileHandle {
    std::int32_t value = -1;
    constexpr FileHandle() = default;
    constexpr explicit FileHandle(std::int32_t v) : value(v) {}
    constexpr FileHandle(InvalidHandleValue) {}
    [[nodiscard]] constexpr bool IsValid() const { return value >= 0; }
    friend constexpr bool operator==(FileHandle a, FileHandle b) { return a.value == b.value; }
    friend constexpr bool operator==(FileHandle a, InvalidHandleValue) { return a.value < 0; }
};

struct FindHandle {
    std::int32_t value = -1;
    constexpr FindHandle() = default;
    constexpr explicit FindHandle(std::int32_t v) : value(v) {}
    constexpr FindHandle(InvalidHandleValue) {}
    [[nodiscard]] constexpr bool IsValid() const { return value >= 0; }
    friend constexpr bool operator==(FindHandle a, FindHandle b) { return a.value == b.value; }
    friend constexpr bool operator==(FindHandle a, InvalidHandleValue) { return a.value < 0; }
};

// ---------------------------------------------------------------------------------------------
// Last error

[[nodiscard]] std::uint32_t GetLastError();
void SetLastError(std::uint32_t error);

// Why a file operation failed, in words a user understands ("the disk is full"): lower case and
// without a full stop, so that it can follow a file name.
[[nodiscard]] std::string DescribeFileError(std::uint32_t error);

// ---------------------------------------------------------------------------------------------
// Open files

// Opens or creates a file. access: GENERIC_READ and/or GENERIC_WRITE; share: FILE_SHARE_*
// (files open in this program keep each other out as their sharing bits say); disposition:
// CREATE_NEW .. TRUNCATE_EXISTING; attributes: FILE_ATTRIBUTE_NORMAL (others are ignored).
// Access bits other than reading and writing fail with ERROR_INVALID_ACCESS.
// CREATE_ALWAYS and OPEN_ALWAYS on an existing file succeed with last error ERROR_ALREADY_EXISTS.
[[nodiscard]] FileHandle CreateFile(std::string_view path, std::uint32_t access,
                                    std::uint32_t share, std::uint32_t disposition,
                                    std::uint32_t attributes = FILE_ATTRIBUTE_NORMAL);

// Reads up to `count` bytes; reaching the end of the file is success with a smaller count.
bool ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* read);
// Writes `count` bytes; on failure `written` holds what reached the file.
bool WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* written);

// Moves the file pointer; the distance is signed. With `distanceHigh` the distance is the 64-bit
// value high:low and the high half of the new position is stored back. Returns the low 32 bits
// of the new position, or INVALID_SET_FILE_POINTER with the last error set (a position of
// 0xFFFFFFFF itself has last error ERROR_SUCCESS).
std::uint32_t SetFilePointer(FileHandle file, std::int32_t distance, std::int32_t* distanceHigh,
                             std::uint32_t method);
inline std::uint32_t SetFilePointer(FileHandle file, std::int32_t distance, std::uint32_t method) {
    return SetFilePointer(file, distance, nullptr, method);
}

// The low 32 bits of the size (INVALID_FILE_SIZE on failure); the high bits through `sizeHigh`.
std::uint32_t GetFileSize(FileHandle file, std::uint32_t* sizeHigh = nullptr);
bool FlushFileBuffers(FileHandle file);
// Cuts or extends the file at its file pointer.
bool SetEndOfFile(FileHandle file);
bool CloseHandle(FileHandle file);

// ---------------------------------------------------------------------------------------------
// Files and folders by name

bool DeleteFile(std::string_view path);
// Renames a file; MOVEFILE_REPLACE_EXISTING replaces an existing target (otherwise the call fails
// with ERROR_ALREADY_EXISTS). Only renames within one file system are supported.
bool MoveFileEx(std::string_view existing, std::string_view target, std::uint32_t flags);
bool MoveFile(std::string_view existing, std::string_view target);
bool CreateDirectory(std::string_view path);
bool RemoveDirectory(std::string_view path);
// FILE_ATTRIBUTE_DIRECTORY for folders, FILE_ATTRIBUTE_NORMAL (or FILE_ATTRIBUTE_READONLY) for
// files, INVALID_FILE_ATTRIBUTES when the path does not exist.
[[nodiscard]] std::uint32_t GetFileAttributes(std::string_view path);

// One entry of a directory search.
struct FindData {
    std::uint32_t fileAttributes = 0;
    std::uint32_t fileSizeHigh = 0;
    std::uint32_t fileSizeLow = 0;
    std::string fileName;  // the name as stored, without its folder
};

// Searches a folder with '*' and '?' ignoring case ("Art\*.PAL"; "NAME.*" also finds "NAME").
// Files and folders are reported; "." and ".." are not. ERROR_FILE_NOT_FOUND when nothing
// matches, ERROR_PATH_NOT_FOUND when the folder is missing.
[[nodiscard]] FindHandle FindFirstFile(std::string_view pattern, FindData* data);
// Next entry; false with ERROR_NO_MORE_FILES at the end.
bool FindNextFile(FindHandle search, FindData* data);
bool FindClose(FindHandle search);

// Writes the current folder with its NUL into buffer (size in characters including the NUL) and
// returns its length; when it does not fit, returns the size needed (including the NUL) and
// writes nothing.
std::uint32_t GetCurrentDirectory(std::uint32_t bufferSize, char* buffer);
[[nodiscard]] std::string GetCurrentDirectory();
bool SetCurrentDirectory(std::string_view path);

// The running program's full path. Copies at most size - 1 characters and a NUL; when cut, the
// result is size and the last error ERROR_INSUFFICIENT_BUFFER. Returns the length copied.
std::uint32_t GetModuleFileName(char* buffer, std::uint32_t size);
[[nodiscard]] std::string GetModuleFileName();

// ---------------------------------------------------------------------------------------------
// Whole files

// A read-only view of a whole file, unmapped by the destructor. An empty file cannot be mapped
// (ERROR_FILE_INVALID). Views of a file opened by path are shared: every FileMapping of the same
// file (the same file, size and modification time) reads the one mapping, which goes when the
// last of them lets go.
class FileMapping {
public:
    FileMapping() = default;

    // Maps what an open handle's file holds now (the handle needs GENERIC_READ and may be closed
    // afterwards). Returns false and sets the last error on failure.
    bool Map(FileHandle file);
    bool Map(std::string_view path);
    void Unmap() { view_.reset(); }
    // Gives back the pages read so far (they come in again as they are read).
    void ReleasePages() const {
        if (view_) view_->ReleasePages();
    }
    [[nodiscard]] bool IsMapped() const { return view_ != nullptr && view_->IsMapped(); }
    [[nodiscard]] const std::uint8_t* Data() const { return view_ ? view_->Data() : nullptr; }
    [[nodiscard]] std::size_t Size() const { return view_ ? view_->Size() : 0; }
    [[nodiscard]] std::span<const std::uint8_t> Bytes() const { return {Data(), Size()}; }

private:
    std::shared_ptr<const platform::MappedFile> view_;
};

// Replaces (or creates) a file so that it holds exactly `bytes`, never half: the bytes go to a
// temporary file in the same folder, reach the disc, and the temporary file is renamed over the
// target. Sets the last error on failure; the old file is then untouched.
bool ReplaceFileAtomically(std::string_view path, std::span<const std::uint8_t> bytes);
bool ReplaceFileAtomically(std::string_view path, std::string_view bytes);
// The file a save to `path` replaces: the file a symbolic link names (the link stays), else the
// path itself. Savers that write a temporary file and rename it put it beside this one.
[[nodiscard]] std::string ReplacedFileOf(std::string_view path);

// Whether a save may put a new plain file at `path`: nothing is there yet, or a plain file is
// (itself or at the end of its links); never a folder, a device, a pipe or a socket.
[[nodiscard]] bool MayBeReplaced(std::string_view path);
// A plain file (itself or at the end of its links), as a read of the installation expects; a
// folder, a device or a pipe is none, nor is a missing file.
[[nodiscard]] bool IsPlainFile(std::string_view path);
// Something is at `path` but no plain file: a folder, a device, a pipe, a socket or a loop of
// links.
[[nodiscard]] bool IsOtherThanPlainFile(std::string_view path);
// What stands at `path` that is no plain file, in words that can follow its name: "it is not a
// plain file (it is a pipe)", "it is a link loop (its links lead back to themselves)"; empty
// when a plain file or nothing is there.
[[nodiscard]] std::string DescribeNoPlainFile(std::string_view path);
// Why an operation on `path` failed with `error`: what stands there when it is no plain file,
// else DescribeFileError's words.
[[nodiscard]] std::string DescribeFileErrorAt(std::string_view path, std::uint32_t error);
// A path as the user is shown it, with slashes as the file system names it: the installation's
// own names ("Flights\Startup.Flt") and a folder of the machine with them appended
// ("/media/disc\Corvex\Art") alike.
[[nodiscard]] std::string ShownPath(std::string_view path);

// Reads a whole plain file of at most `maxBytes` into `contents` (false with the last error
// when it cannot; ERROR_FILE_TOO_LARGE for a larger one, of which nothing is read).
bool ReadWholeFile(std::string_view path, std::string* contents, std::uint64_t maxBytes = 0x7FFFFFFFu);
// The same for the program's text files: only a plain file of at most
// platform::kMaxTextFileBytes is read (GetLastError says why another is not).
bool ReadTextFile(std::string_view path, std::string* contents);

}  // namespace win
