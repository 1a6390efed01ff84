// Files and folders of the machine. Every path the program opens is written the Windows way
// ("Art\Palettes.Vol"); one resolver turns it into a real POSIX path by matching each component
// without regard to case against the folder it lives in. Failures are reported with the error
// numbers the operating-system layer above expects (2 file not found, 3 path not found, ...), so
// win/ passes them on unchanged. Like the program, this runs on one thread and takes no locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Error numbers of file operations. The values are the ones the program's operating system used,
// because stream status words and the program's reactions are defined in terms of them.
enum FileError : std::uint32_t {
    kFileOk = 0,
    kFileNotFound = 2,
    kPathNotFound = 3,
    kTooManyOpenFiles = 4,
    kAccessDenied = 5,
    kInvalidHandle = 6,
    kNotEnoughMemory = 8,
    kInvalidAccess = 12,
    kNoMoreFiles = 18,
    kNotSameDevice = 17,
    kWriteFault = 29,
    kReadFault = 30,
    kGeneralFailure = 31,
    kSharingViolation = 32,
    kHandleDiskFull = 39,
    kFileExists = 80,
    kInvalidParameter = 87,
    kDiskFull = 112,
    kInsufficientBuffer = 122,
    kNegativeSeek = 131,
    kDirNotEmpty = 145,
    kAlreadyExists = 183,
    kFilenameTooLong = 206,
    kBadFileType = 222,
    kFileTooLarge = 223,
    kDirectoryInvalid = 267,
    kFileInvalid = 1006,
    kFileReadOnly = 6009,
};

// Access and sharing bits of an open file.
enum FileAccess : std::uint32_t { kAccessRead = 1, kAccessWrite = 2 };
enum FileShare : std::uint32_t { kShareRead = 1, kShareWrite = 2, kShareDelete = 4 };

// What to do when the file exists or not; the numbers match the program's creation dispositions.
enum class Disposition : std::uint32_t {
    kCreateNew = 1,         // fail when it exists
    kCreateAlways = 2,      // create, or truncate an existing file
    kOpenExisting = 3,      // fail when it does not exist
    kOpenAlways = 4,        // open (without truncating), or create
    kTruncateExisting = 5,  // open and truncate; fail when it does not exist
};

// Seek origins.
enum class SeekFrom : std::uint32_t { kBegin = 0, kCurrent = 1, kEnd = 2 };

// ---------------------------------------------------------------------------------------------
// Path resolution

struct ResolvedPath {
    std::string path;  // the POSIX path to hand to the system
    // How many trailing components do not exist (0: the whole path exists). A write creates the
    // last component; when more than one is missing, the folder is missing. A file standing
    // where a folder should be counts as one more missing component.
    int missingComponents = 0;
};

// Turns backslashes into slashes and matches every component against its folder without regard
// to case. An exact match wins over a case-folded one. Components that do not exist are kept as
// written, so a new file lands in the existing folder whatever case the caller used for it, and
// an existing file that differs only in case is reused rather than duplicated.
[[nodiscard]] ResolvedPath ResolvePath(std::string_view windowsPath);

// Compares names the way the resolver does: letters A-Z equal a-z, every other byte only itself.
[[nodiscard]] bool EqualIgnoringCase(std::string_view a, std::string_view b);

// Forgets every cached folder listing (the cache also checks folder modification times and
// re-reads a listing before it reports a name missing, so this is rarely needed).
void ForgetFolderListings();

// ---------------------------------------------------------------------------------------------
// Open files

class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens through the resolver. Files open in this process obey each other's sharing bits as
    // the program's operating system did (a writer that shares nothing keeps everyone else out).
    // `existed` (optional) tells whether the file was there before.
    [[nodiscard]] std::uint32_t Open(std::string_view windowsPath, std::uint32_t access,
                                     std::uint32_t share, Disposition disposition,
                                     bool* existed = nullptr);
    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
    [[nodiscard]] std::uint32_t Access() const { return access_; }
    [[nodiscard]] int Descriptor() const { return fd_; }

    // Reads up to n bytes; fewer only at the end of the file. `done` gets the count moved.
    [[nodiscard]] std::uint32_t Read(void* destination, std::uint32_t n, std::uint32_t* done);
    // Writes n bytes; on failure `done` holds what reached the file.
    [[nodiscard]] std::uint32_t Write(const void* source, std::uint32_t n, std::uint32_t* done);
    [[nodiscard]] std::uint32_t Seek(std::int64_t offset, SeekFrom from, std::int64_t* position);
    [[nodiscard]] std::uint32_t Size(std::uint64_t* size) const;
    [[nodiscard]] std::uint32_t Flush();
    // Cuts or extends the file at the current position.
    [[nodiscard]] std::uint32_t Truncate();
    std::uint32_t Close();

private:
    void Release();
    int fd_ = -1;
    std::uint32_t access_ = 0;
    std::uint32_t share_ = 0;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};

// A read-only view of a whole file.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps what the file holds now. An empty file cannot be mapped (kFileInvalid).
    [[nodiscard]] std::uint32_t Map(const File& file);
    [[nodiscard]] std::uint32_t MapPath(std::string_view windowsPath);
    void Unmap();
    // Gives back the pages read so far: they come in again, a few at a time, as they are read
    // (a volume's members one by one, rather than the whole file its index check touched).
    void ReleasePages() const;
    [[nodiscard]] bool IsMapped() const { return data_ != nullptr; }
    [[nodiscard]] const std::uint8_t* Data() const { return data_; }
    [[nodiscard]] std::size_t Size() const { return size_; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Folders and whole files

struct FileInfo {
    bool isDirectory = false;
    // A plain file: neither a folder nor a device, pipe or socket.
    bool isRegular = false;
    bool readOnly = false;
    std::uint64_t size = 0;
    // Enough to tell that a file changed since it was last read: which file it is and when it
    // was last modified (nanoseconds since the epoch).
    std::uint64_t identity = 0;
    std::int64_t modified = 0;
};

struct DirEntry {
    std::string name;
    FileInfo info;
};

// Matches a name against a pattern of '*' and '?' without regard to case. A pattern ending in
// ".*" also matches names without any dot ("NAME.*" matches "NAME").
[[nodiscard]] bool MatchPattern(std::string_view pattern, std::string_view name);

// Lists the entries of the pattern's folder whose names match its last component, sorted
// without regard to case; "." and ".." are never reported. kFileNotFound when nothing matches,
// kPathNotFound when the folder does not exist.
[[nodiscard]] std::uint32_t FindMatches(std::string_view windowsPattern,
                                        std::vector<DirEntry>* matches);

[[nodiscard]] std::uint32_t GetFileInfo(std::string_view windowsPath, FileInfo* info);
// What stands at a path, as a read of it would meet it: nothing (a link to nothing included), a
// plain file, or something that is no file of the program's (a loop of links among them).
enum class Standing { kNothing, kPlainFile, kFolder, kPipe, kDevice, kSocket, kLinkLoop };
struct StandingAt {
    Standing kind = Standing::kNothing;
    bool throughLink = false;  // the path itself is a symbolic link
};
[[nodiscard]] StandingAt WhatStandsAt(std::string_view windowsPath);

[[nodiscard]] std::uint32_t DeleteFile(std::string_view windowsPath);
// Renames; an existing target is replaced only when asked (kAlreadyExists otherwise).
[[nodiscard]] std::uint32_t RenameFile(std::string_view from, std::string_view to, bool replace);
[[nodiscard]] std::uint32_t CreateDirectory(std::string_view windowsPath);
[[nodiscard]] std::uint32_t RemoveDirectory(std::string_view windowsPath);

// Reads a whole plain file of at most `maxBytes` (the size each kind of file may have): a
// larger one is refused with kFileTooLarge before a byte is read.
[[nodiscard]] std::uint32_t ReadWholeFile(std::string_view windowsPath, std::string* contents,
                                          std::uint64_t maxBytes = 0x7FFFFFFFu);
// The most a text file the program reads (settings, flights, plans, bindings, help) may hold.
inline constexpr std::uint64_t kMaxTextFileBytes = 16u << 20;
// ReadWholeFile for the program's text files: a path that names anything but a plain file (a
// device, a pipe, a folder) is refused with kBadFileType before it is opened, and a file of
// more than kMaxTextFileBytes with kFileTooLarge; nothing is read then.
[[nodiscard]] std::uint32_t ReadTextFile(std::string_view windowsPath, std::string* contents);
// The file a replacement of `windowsPath` writes: for a symbolic link the file it names,
// followed through every link (one not there yet included), so the link stays and its file
// changes; else the path itself.
[[nodiscard]] std::string ReplacedFileOf(std::string_view windowsPath);
// Whether a save may put a new plain file at `windowsPath`: nothing is there yet, or a plain
// file is (itself or at the end of its links). A folder, a device, a pipe or a socket is never
// swapped for a plain file.
[[nodiscard]] bool MayBeReplaced(std::string_view windowsPath);
// Why a save may not replace the file at `windowsPath` (kFileOk when it may): kBadFileType for
// anything but a plain file or nothing (a loop of links included), kFileReadOnly for a file
// the user made read-only.
[[nodiscard]] std::uint32_t WhyNotReplaced(std::string_view windowsPath);
// Makes a new empty file beside the host path `target`, named ".<name>.XXXXXX" as the atomic
// replacement names its own, with the target's permissions when it exists, and gives its host
// path (empty, with the error, when it cannot).
[[nodiscard]] std::string CreateTemporaryBeside(const std::string& target, std::uint32_t* error);
// The temporaries a save makes are listed while they live, and only those are ever removed as
// leftovers: a name like a temporary's proves nothing (".Zephlon.ini.backup" may be the user's).
// Takes the journal file at `windowsPath`: removes the temporaries an earlier run listed there
// and left when it was ended half-way (each only while it is still the very file that was
// made, as it was last written: the same inode, size and change time), and lists this run's
// there from now on. How many went. A journal that is not a plain file of a journal's size (a
// pipe, a folder, a device, a link, a huge file) is left as it is, neither read nor written, and
// `refused` (when given) tells why: kBadFileType or kFileTooLarge (else kFileOk).
int TakeTemporaryJournal(std::string_view windowsPath, std::uint32_t* refused = nullptr);
// Writes the bytes to a temporary file in the same folder, forces them to disc and renames the
// temporary file over the target, so readers see either the old or the new file, never half;
// the file keeps its permissions. WhyNotReplaced's refusals are returned and nothing is written.
// Without `forceToDisc` the file still changes all at once, but a power cut may lose it; that
// suits files rewritten many times in a row, like settings. The target is ReplacedFileOf's.
[[nodiscard]] std::uint32_t ReplaceFileAtomically(std::string_view windowsPath,
                                                  std::span<const std::uint8_t> bytes,
                                                  bool forceToDisc = true);
[[nodiscard]] std::uint32_t ReplaceFileAtomically(std::string_view windowsPath,
                                                  std::string_view bytes, bool forceToDisc = true);

// The running program's own path (from /proc/self/exe unless a test set one).
[[nodiscard]] std::string ExecutablePath();
void SetExecutablePathForTesting(std::string path);  // empty: back to the real one

[[nodiscard]] std::string CurrentDirectory();
[[nodiscard]] std::uint32_t SetCurrentDirectory(std::string_view windowsPath);

// ---------------------------------------------------------------------------------------------
// Simulated faults, for testing the program's reactions to a full disc or an exhausted process.

// After `bytes` more bytes have been written (by any file), writes fail with `error` (the disc
// full error a write reports; kHandleDiskFull is the other one the program knows).
void SimulateDiskFull(std::uint64_t bytes, std::uint32_t error = kDiskFull);
// While on, every open fails with kTooManyOpenFiles.
void SimulateTooManyOpenFiles(bool on);
void ClearSimulatedFaults();

// Clears the simulated faults when it leaves scope.
class ScopedFileFaults {
public:
    ScopedFileFaults() = default;
    ~ScopedFileFaults() { ClearSimulatedFaults(); }
    ScopedFileFaults(const ScopedFileFaults&) = delete;
    ScopedFileFaults& operator=(const ScopedFileFaults&) = delete;
};

}  // namespace platform
