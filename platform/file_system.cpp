#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

namespace platform {
namespace {

// ---------------------------------------------------------------------------------------------
// Errors

std::uint32_t FromErrno(int e) {
    switch (e) {
        case 0:
            return kFileOk;
        case ENOENT:
            return kFileNotFound;
        case ENOTDIR:
            return kPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return kAccessDenied;
        case EMFILE:
        case ENFILE:
            return kTooManyOpenFiles;
        case EBADF:
            return kInvalidHandle;
        case ENOMEM:
            return kNotEnoughMemory;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kDiskFull;
        case EEXIST:
            return kFileExists;
        case EINVAL:
            return kInvalidParameter;
        case ENAMETOOLONG:
            return kFilenameTooLong;
        case ENOTEMPTY:
            return kDirNotEmpty;
        case EXDEV:
            return kNotSameDevice;
        case EBUSY:
        case ETXTBSY:
            return kSharingViolation;
        case ELOOP:  // a loop of links names no file of any kind
        case ENXIO:
            return kBadFileType;
        default:
            return kGeneralFailure;
    }
}

// ---------------------------------------------------------------------------------------------
// Simulated faults

struct Faults {
    bool diskFull = false;
    std::uint64_t bytesLeft = 0;
    std::uint32_t diskFullError = kDiskFull;
    bool tooManyOpenFiles = false;
};
Faults& TheFaults() {
    static Faults faults;
    return faults;
}

// ---------------------------------------------------------------------------------------------
// Folder listing cache, keyed by the folder's device and inode so that a change of the current
// folder never confuses two relative paths. A listing is trusted while the folder's modification
// time is unchanged; our own writes drop the listing of the folder they touched.

struct FolderKey {
    std::uint64_t device;
    std::uint64_t inode;
    bool operator<(const FolderKey& o) const {
        return device != o.device ? device < o.device : inode < o.inode;
    }
};

struct FolderListing {
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::vector<std::string> names;  // sorted as the bytes compare, so the order is stable
};

std::map<FolderKey, FolderListing>& TheListings() {
    // Never destroyed: static objects may still close files while the program exits.
    static auto& listings = *new std::map<FolderKey, FolderListing>;
    return listings;
}

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool LessFolded(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(Fold(a[i]));
        const unsigned char y = static_cast<unsigned char>(Fold(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

bool ReadListing(const std::string& folder, std::vector<std::string>* names) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return false;
    names->clear();
    while (const dirent* entry = readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        names->emplace_back(name);
    }
    closedir(dir);
    std::sort(names->begin(), names->end());
    return true;
}

// The cached listing of a folder, re-read when the folder changed or when `fresh` is asked.
const std::vector<std::string>* Listing(const std::string& folder, bool fresh) {
    struct stat st {};
    if (stat(folder.empty() ? "." : folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return nullptr;
    }
    const FolderKey key{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
    auto& listings = TheListings();
    auto it = listings.find(key);
    const bool stale = it == listings.end() || fresh ||
                       it->second.modifiedSeconds != st.st_mtim.tv_sec ||
                       it->second.modifiedNanoseconds != st.st_mtim.tv_nsec;
    if (stale) {
        FolderListing listing;
        listing.modifiedSeconds = st.st_mtim.tv_sec;
        listing.modifiedNanoseconds = st.st_mtim.tv_nsec;
        if (!ReadListing(folder, &listing.names)) return nullptr;
        it = listings.insert_or_assign(key, std::move(listing)).first;
    }
    return &it->second.names;
}

void ForgetFolderOf(const std::string& posixPath) {
    const std::size_t slash = posixPath.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string(".")
                         : slash == 0               ? std::string("/")
                                                    : posixPath.substr(0, slash);
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) {
        TheListings().erase(FolderKey{static_cast<std::uint64_t>(st.st_dev),
                                      static_cast<std::uint64_t>(st.st_ino)});
    }
}

// Finds the real name of `name` inside `folder`: the exact name when it exists, else the first
// case-folded match. Empty when there is none.
std::string FindInFolder(const std::string& folder, std::string_view name) {
    const std::string exact = (folder.empty() ? std::string() : folder + "/") + std::string(name);
    struct stat st {};
    if (lstat(exact.c_str(), &st) == 0) return std::string(name);
    for (int attempt = 0; attempt < 2; ++attempt) {
        // A miss is confirmed with a fresh listing: another program (or a test) may have made
        // the file within the folder timestamp's granularity.
        const std::vector<std::string>* names = Listing(folder, attempt == 1);
        if (names == nullptr) return {};
        for (const std::string& candidate : *names) {
            if (EqualIgnoringCase(candidate, name)) return candidate;
        }
    }
    return {};
}

std::string ParentOf(const std::string& posixPath) {
    const std::size_t slash = posixPath.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return posixPath.substr(0, slash);
}

std::string LastComponent(const std::string& posixPath) {
    const std::size_t slash = posixPath.find_last_of('/');
    return slash == std::string::npos ? posixPath : posixPath.substr(slash + 1);
}

// The error for a path that could not be found: the file, or a folder on the way to it.
std::uint32_t MissingError(const ResolvedPath& r) {
    return r.missingComponents > 1 ? kPathNotFound : kFileNotFound;
}

// ---------------------------------------------------------------------------------------------
// Sharing between files open in this process.

struct OpenRecord {
    std::uint64_t device;
    std::uint64_t inode;
    std::uint32_t access;
    std::uint32_t share;
    const File* owner;
};

std::vector<OpenRecord>& TheOpenFiles() {
    // Never destroyed: static objects may still close files while the program exits.
    static auto& open = *new std::vector<OpenRecord>;
    return open;
}

bool SharingConflicts(std::uint64_t device, std::uint64_t inode, std::uint32_t access,
                      std::uint32_t share) {
    for (const OpenRecord& r : TheOpenFiles()) {
        if (r.device != device || r.inode != inode) continue;
        if ((access & kAccessRead) && !(r.share & kShareRead)) return true;
        if ((access & kAccessWrite) && !(r.share & kShareWrite)) return true;
        if ((r.access & kAccessRead) && !(share & kShareRead)) return true;
        if ((r.access & kAccessWrite) && !(share & kShareWrite)) return true;
    }
    return false;
}

bool IsOpenHere(const std::string& posixPath, bool requireDeleteShare) {
    struct stat st {};
    if (stat(posixPath.c_str(), &st) != 0) return false;
    for (const OpenRecord& r : TheOpenFiles()) {
        if (r.device == static_cast<std::uint64_t>(st.st_dev) &&
            r.inode == static_cast<std::uint64_t>(st.st_ino) &&
            (!requireDeleteShare || !(r.share & kShareDelete))) {
            return true;
        }
    }
    return false;
}

// Writes with the simulated disc limit applied.
std::uint32_t WriteAll(int fd, const std::uint8_t* p, std::uint32_t n, std::uint32_t* done) {
    *done = 0;
    Faults& faults = TheFaults();
    std::uint32_t allowed = n;
    if (faults.diskFull && faults.bytesLeft < n)
        allowed = static_cast<std::uint32_t>(faults.bytesLeft);
    while (*done < allowed) {
        const ssize_t put = ::write(fd, p + *done, allowed - *done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return FromErrno(errno);
        }
        if (put == 0) return kDiskFull;
        *done += static_cast<std::uint32_t>(put);
        if (faults.diskFull) faults.bytesLeft -= static_cast<std::uint64_t>(put);
    }
    return allowed < n ? faults.diskFullError : kFileOk;
}

// ---------------------------------------------------------------------------------------------
// Temporaries this process made and has not yet renamed or removed, by the file each is (its
// device and inode), what it was when last written (its size and change time: an inode freed
// and given to a file made later, the user's, says otherwise) and its host path from the root.
// They are written to the journal, when one is taken, at every change, so a run ended half-way
// leaves the list of what it left.

struct Temporary {
    std::uint64_t device;
    std::uint64_t inode;
    std::uint64_t size;
    std::int64_t changed;  // nanoseconds since the epoch
    std::string path;
};

std::int64_t ChangeTime(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
}

bool IsFileOf(const Temporary& t, const struct stat& st) {
    return t.device == static_cast<std::uint64_t>(st.st_dev) &&
           t.inode == static_cast<std::uint64_t>(st.st_ino);
}

std::vector<Temporary>& TheTemporaries() {
    static auto& temporaries = *new std::vector<Temporary>;
    return temporaries;
}

std::string& TheJournal() {
    static auto& journal = *new std::string;
    return journal;
}

// The journal's most: far more lines than temporaries ever live at once.
constexpr off_t kMaxJournalBytes = 1 << 20;

// Opens the journal without following a link or waiting on a pipe; -1 unless it is a plain file
// of a journal's size, with why in `refused` (kBadFileType, kFileTooLarge; kFileOk when it is
// only missing or cannot be opened).
int OpenJournal(const std::string& path, int flags, std::uint32_t* refused = nullptr) {
    std::uint32_t why = kFileOk;
    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    struct stat st {};
    if (fd < 0) {
        // A link (or a loop of them), a folder, or a pipe no one reads.
        if (errno == ELOOP || errno == EISDIR || errno == ENXIO) why = kBadFileType;
    } else if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = kBadFileType;
    } else if (st.st_size > kMaxJournalBytes) {
        why = kFileTooLarge;
    }
    if (refused != nullptr) *refused = why;
    if (fd >= 0 && why == kFileOk && S_ISREG(st.st_mode)) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

// Whether the journal may list something: a list that stays empty is not written again.
bool theJournalHolds = true;

void WriteJournal() {
    if (TheJournal().empty() || (TheTemporaries().empty() && !theJournalHolds)) return;
    theJournalHolds = !TheTemporaries().empty();
    const int fd = OpenJournal(TheJournal(), O_WRONLY | O_CREAT);
    if (fd < 0) return;
    std::string text;
    for (const Temporary& t : TheTemporaries())
        text += std::to_string(t.device) + ' ' + std::to_string(t.inode) + ' ' +
                std::to_string(t.size) + ' ' + std::to_string(t.changed) + ' ' + t.path + '\n';
    if (ftruncate(fd, 0) == 0) {
        std::size_t put = 0;
        while (put < text.size()) {
            const ssize_t n = ::write(fd, text.data() + put, text.size() - put);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            put += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
}

void RecordTemporary(int fd, const std::string& path) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || path.find('\n') != std::string::npos) return;
    std::string absolute = path;
    if (absolute.empty() || absolute.front() != '/') {
        std::string here(PATH_MAX, '\0');
        if (getcwd(here.data(), here.size()) == nullptr) return;
        absolute = here.c_str() + std::string("/") + path;
    }
    TheTemporaries().push_back(
        Temporary{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                  static_cast<std::uint64_t>(st.st_size), ChangeTime(st), std::move(absolute)});
    WriteJournal();
}

// The temporary that was the file `from` describes is the file `to` describes now.
void RenameTemporary(const struct stat& from, const struct stat& to) {
    for (Temporary& t : TheTemporaries())
        if (IsFileOf(t, from)) {
            t.device = static_cast<std::uint64_t>(to.st_dev);
            t.inode = static_cast<std::uint64_t>(to.st_ino);
            t.size = static_cast<std::uint64_t>(to.st_size);
            t.changed = ChangeTime(to);
            WriteJournal();
            return;
        }
}

// The temporary that is the file `st` describes went (renamed to its target, or removed).
void ForgetTemporary(const struct stat& st) {
    auto& list = TheTemporaries();
    const auto it =
        std::find_if(list.begin(), list.end(), [&](const Temporary& t) { return IsFileOf(t, st); });
    if (it == list.end()) return;
    list.erase(it);
    WriteJournal();
}

std::string& TheExecutableOverride() {
    // Never destroyed: static objects may still close files while the program exits.
    static auto& path = *new std::string;
    return path;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Resolver

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

ResolvedPath ResolvePath(std::string_view windowsPath) {
    ResolvedPath result;
    std::string text(windowsPath);
    std::replace(text.begin(), text.end(), '\\', '/');

    std::vector<std::string_view> parts;
    std::string_view rest = text;
    const bool absolute = !rest.empty() && rest.front() == '/';
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        if (!part.empty()) parts.push_back(part);
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }

    std::string path = absolute ? "/" : "";
    bool missing = false;
    for (std::string_view part : parts) {
        std::string real(part);
        if (missing) {
            ++result.missingComponents;
        } else if (part != "." && part != "..") {
            std::string found = FindInFolder(path.empty() ? std::string() : path, part);
            if (found.empty()) {
                missing = true;
                ++result.missingComponents;
                // A file standing where a folder should be counts as a missing folder.
                struct stat st {};
                if (!path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
                    ++result.missingComponents;
                }
            } else {
                real = std::move(found);
            }
        }
        if (!path.empty() && path.back() != '/') path += '/';
        path += real;
    }
    if (path.empty()) {
        // An empty path names nothing; "." keeps callers from opening the current folder.
        result.missingComponents = text.empty() ? 2 : 0;
        path = text.empty() ? "" : ".";
    }
    result.path = std::move(path);
    return result;
}

void ForgetFolderListings() {
    TheListings().clear();
}

// ---------------------------------------------------------------------------------------------
// File

File::~File() {
    Close();
}

File::File(File&& other) noexcept {
    *this = std::move(other);
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        access_ = std::exchange(other.access_, 0);
        share_ = std::exchange(other.share_, 0);
        device_ = other.device_;
        inode_ = other.inode_;
        for (OpenRecord& r : TheOpenFiles()) {
            if (r.owner == &other) r.owner = this;
        }
    }
    return *this;
}

void File::Release() {
    auto& open = TheOpenFiles();
    open.erase(std::remove_if(open.begin(), open.end(),
                              [this](const OpenRecord& r) { return r.owner == this; }),
               open.end());
}

std::uint32_t File::Open(std::string_view windowsPath, std::uint32_t access, std::uint32_t share,
                         Disposition disposition, bool* existed) {
    Close();
    if (existed != nullptr) *existed = false;
    if (TheFaults().tooManyOpenFiles) return kTooManyOpenFiles;
    if (disposition == Disposition::kTruncateExisting && !(access & kAccessWrite)) {
        return kInvalidParameter;
    }
    const ResolvedPath resolved = ResolvePath(windowsPath);
    if (resolved.path.empty() || resolved.missingComponents > 1) return kPathNotFound;
    const bool exists = resolved.missingComponents == 0;

    int flags = O_CLOEXEC;
    if ((access & kAccessRead) && (access & kAccessWrite)) {
        flags |= O_RDWR;
    } else if (access & kAccessWrite) {
        flags |= O_WRONLY;
    } else {
        flags |= O_RDONLY;
    }
    switch (disposition) {
        case Disposition::kCreateNew:
            flags |= O_CREAT | O_EXCL;
            break;
        case Disposition::kCreateAlways:
        case Disposition::kOpenAlways:
            flags |= O_CREAT;
            break;
        case Disposition::kOpenExisting:
        case Disposition::kTruncateExisting:
            if (!exists) return kFileNotFound;
            break;
        default:
            return kInvalidParameter;
    }
    // Every file of the program is a plain file (or a link to one). A pipe's open would wait
    // for its other end, a device's bytes never end or go to the device: neither is opened
    // when it is seen first, and the open itself never waits, so one put there between the
    // look and the open is refused all the same.
    if (exists) {
        struct stat st {};
        if (stat(resolved.path.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) return kAccessDenied;
            if (!S_ISREG(st.st_mode)) return kBadFileType;
        }
    }
    const int fd = ::open(resolved.path.c_str(), flags | O_NONBLOCK | O_NOCTTY, 0666);
    // A pipe without a reader refuses a writer that will not wait.
    if (fd < 0) return errno == ENXIO ? kBadFileType : FromErrno(errno);
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        const std::uint32_t error = FromErrno(errno);
        ::close(fd);
        return error;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? kAccessDenied : kBadFileType;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const std::uint64_t device = static_cast<std::uint64_t>(st.st_dev);
    const std::uint64_t inode = static_cast<std::uint64_t>(st.st_ino);
    if (SharingConflicts(device, inode, access, share)) {
        ::close(fd);
        return kSharingViolation;
    }
    // Truncation waits until sharing allowed the open, so a refused open changes nothing.
    if (exists && (disposition == Disposition::kCreateAlways ||
                   disposition == Disposition::kTruncateExisting)) {
        if (ftruncate(fd, 0) != 0) {
            const std::uint32_t error = FromErrno(errno);
            ::close(fd);
            return error;
        }
    }
    if (!exists) ForgetFolderOf(resolved.path);

    fd_ = fd;
    access_ = access;
    share_ = share;
    device_ = device;
    inode_ = inode;
    TheOpenFiles().push_back(OpenRecord{device, inode, access, share, this});
    if (existed != nullptr) *existed = exists;
    return kFileOk;
}

std::uint32_t File::Read(void* destination, std::uint32_t n, std::uint32_t* done) {
    *done = 0;
    if (fd_ < 0) return kInvalidHandle;
    if (!(access_ & kAccessRead)) return kAccessDenied;
    auto* p = static_cast<std::uint8_t*>(destination);
    while (*done < n) {
        const ssize_t got = ::read(fd_, p + *done, n - *done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno == EIO ? kReadFault : FromErrno(errno);
        }
        if (got == 0) break;
        *done += static_cast<std::uint32_t>(got);
    }
    return kFileOk;
}

std::uint32_t File::Write(const void* source, std::uint32_t n, std::uint32_t* done) {
    *done = 0;
    if (fd_ < 0) return kInvalidHandle;
    if (!(access_ & kAccessWrite)) return kAccessDenied;
    return WriteAll(fd_, static_cast<const std::uint8_t*>(source), n, done);
}

std::uint32_t File::Seek(std::int64_t offset, SeekFrom from, std::int64_t* position) {
    if (fd_ < 0) return kInvalidHandle;
    std::int64_t base = 0;
    if (from == SeekFrom::kCurrent) {
        const off_t here = lseek(fd_, 0, SEEK_CUR);
        if (here < 0) return FromErrno(errno);
        base = here;
    } else if (from == SeekFrom::kEnd) {
        std::uint64_t size = 0;
        if (const std::uint32_t e = Size(&size); e != kFileOk) return e;
        base = static_cast<std::int64_t>(size);
    } else if (from != SeekFrom::kBegin) {
        return kInvalidParameter;
    }
    const std::int64_t target = base + offset;
    if (target < 0) return kNegativeSeek;
    if (lseek(fd_, static_cast<off_t>(target), SEEK_SET) < 0) return FromErrno(errno);
    if (position != nullptr) *position = target;
    return kFileOk;
}

std::uint32_t File::Size(std::uint64_t* size) const {
    *size = 0;
    if (fd_ < 0) return kInvalidHandle;
    struct stat st {};
    if (fstat(fd_, &st) != 0) return FromErrno(errno);
    *size = static_cast<std::uint64_t>(st.st_size);
    return kFileOk;
}

std::uint32_t File::Flush() {
    if (fd_ < 0) return kInvalidHandle;
    if (!(access_ & kAccessWrite)) return kAccessDenied;
    if (fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) return FromErrno(errno);
    return kFileOk;
}

std::uint32_t File::Truncate() {
    if (fd_ < 0) return kInvalidHandle;
    if (!(access_ & kAccessWrite)) return kAccessDenied;
    const off_t here = lseek(fd_, 0, SEEK_CUR);
    if (here < 0 || ftruncate(fd_, here) != 0) return FromErrno(errno);
    return kFileOk;
}

std::uint32_t File::Close() {
    if (fd_ < 0) return kInvalidHandle;
    Release();
    const int result = ::close(fd_);
    fd_ = -1;
    access_ = 0;
    share_ = 0;
    return result == 0 ? kFileOk : FromErrno(errno);
}

// ---------------------------------------------------------------------------------------------
// MappedFile

MappedFile::~MappedFile() {
    Unmap();
}

MappedFile::MappedFile(MappedFile&& other) noexcept {
    *this = std::move(other);
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        Unmap();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

std::uint32_t MappedFile::Map(const File& file) {
    Unmap();
    if (!file.IsOpen()) return kInvalidHandle;
    if (!(file.Access() & kAccessRead)) return kAccessDenied;
    std::uint64_t size = 0;
    if (const std::uint32_t e = file.Size(&size); e != kFileOk) return e;
    if (size == 0) return kFileInvalid;
    if (size > SIZE_MAX) return kNotEnoughMemory;
    void* view =
        mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, file.Descriptor(), 0);
    if (view == MAP_FAILED) return errno == ENOMEM ? kNotEnoughMemory : FromErrno(errno);
    data_ = static_cast<const std::uint8_t*>(view);
    size_ = static_cast<std::size_t>(size);
    return kFileOk;
}

std::uint32_t MappedFile::MapPath(std::string_view windowsPath) {
    Unmap();
    File file;
    if (const std::uint32_t e =
            file.Open(windowsPath, kAccessRead, kShareRead, Disposition::kOpenExisting);
        e != kFileOk) {
        return e;
    }
    return Map(file);  // the view outlives the descriptor
}

void MappedFile::ReleasePages() const {
    if (data_ != nullptr) madvise(const_cast<std::uint8_t*>(data_), size_, MADV_DONTNEED);
}

void MappedFile::Unmap() {
    if (data_ != nullptr) munmap(const_cast<std::uint8_t*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

// ---------------------------------------------------------------------------------------------
// Folders and whole files

bool MatchPattern(std::string_view pattern, std::string_view name) {
    // Iterative wildcard match with one back-tracking point for the last '*'.
    auto match = [](std::string_view p, std::string_view n) {
        std::size_t pi = 0, ni = 0, starP = std::string_view::npos, starN = 0;
        while (ni < n.size()) {
            if (pi < p.size() && (p[pi] == '?' || Fold(p[pi]) == Fold(n[ni]))) {
                ++pi;
                ++ni;
            } else if (pi < p.size() && p[pi] == '*') {
                starP = pi++;
                starN = ni;
            } else if (starP != std::string_view::npos) {
                pi = starP + 1;
                ni = ++starN;
            } else {
                return false;
            }
        }
        while (pi < p.size() && p[pi] == '*')
            ++pi;
        return pi == p.size();
    };
    if (match(pattern, name)) return true;
    // "NAME.*" and "NAME." also find a NAME that has no extension.
    if (name.find('.') == std::string_view::npos) {
        if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
            return match(pattern.substr(0, pattern.size() - 2), name);
        }
        if (!pattern.empty() && pattern.back() == '.') {
            return match(pattern.substr(0, pattern.size() - 1), name);
        }
    }
    return false;
}

std::uint32_t FindMatches(std::string_view windowsPattern, std::vector<DirEntry>* matches) {
    matches->clear();
    std::string text(windowsPattern);
    std::replace(text.begin(), text.end(), '\\', '/');
    const std::size_t slash = text.find_last_of('/');
    const std::string pattern = slash == std::string::npos ? text : text.substr(slash + 1);
    if (pattern.empty()) return kFileNotFound;
    std::string folder = ".";
    if (slash != std::string::npos) {
        const ResolvedPath resolved = ResolvePath(slash == 0 ? "/" : text.substr(0, slash));
        if (resolved.missingComponents > 0) return kPathNotFound;
        folder = resolved.path;
    }
    const std::vector<std::string>* names = Listing(folder, false);
    if (names == nullptr) return kPathNotFound;
    for (int attempt = 0; attempt < 2 && matches->empty(); ++attempt) {
        if (attempt == 1) names = Listing(folder, true);
        if (names == nullptr) return kPathNotFound;
        for (const std::string& name : *names) {
            if (!MatchPattern(pattern, name)) continue;
            // A dangling link names nothing; a loop of links is there, and names no file.
            struct stat st {};
            if (stat((folder + "/" + name).c_str(), &st) != 0 && errno != ELOOP) continue;
            DirEntry entry;
            entry.name = name;
            entry.info.isDirectory = S_ISDIR(st.st_mode);
            entry.info.isRegular = S_ISREG(st.st_mode);
            entry.info.readOnly = access((folder + "/" + name).c_str(), W_OK) != 0;
            entry.info.size = entry.info.isDirectory ? 0 : static_cast<std::uint64_t>(st.st_size);
            matches->push_back(std::move(entry));
        }
    }
    std::sort(matches->begin(), matches->end(),
              [](const DirEntry& a, const DirEntry& b) { return LessFolded(a.name, b.name); });
    return matches->empty() ? kFileNotFound : kFileOk;
}

std::uint32_t GetFileInfo(std::string_view windowsPath, FileInfo* info) {
    *info = FileInfo{};
    const ResolvedPath resolved = ResolvePath(windowsPath);
    if (resolved.path.empty()) return kPathNotFound;
    if (resolved.missingComponents > 0) return MissingError(resolved);
    struct stat st {};
    if (stat(resolved.path.c_str(), &st) != 0) return FromErrno(errno);
    info->isDirectory = S_ISDIR(st.st_mode);
    info->isRegular = S_ISREG(st.st_mode);
    info->readOnly = access(resolved.path.c_str(), W_OK) != 0;
    info->size = info->isDirectory ? 0 : static_cast<std::uint64_t>(st.st_size);
    info->identity = static_cast<std::uint64_t>(st.st_ino);
    info->modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return kFileOk;
}

StandingAt WhatStandsAt(std::string_view windowsPath) {
    StandingAt at;
    const ResolvedPath resolved = ResolvePath(windowsPath);
    if (resolved.path.empty() || resolved.missingComponents > 0) return at;
    struct stat entry {};
    if (lstat(resolved.path.c_str(), &entry) != 0) return at;
    at.throughLink = S_ISLNK(entry.st_mode);
    struct stat st {};
    if (stat(resolved.path.c_str(), &st) != 0) {
        if (errno == ELOOP) at.kind = Standing::kLinkLoop;
        return at;
    }
    at.kind = S_ISREG(st.st_mode)    ? Standing::kPlainFile
              : S_ISDIR(st.st_mode)  ? Standing::kFolder
              : S_ISFIFO(st.st_mode) ? Standing::kPipe
              : S_ISSOCK(st.st_mode) ? Standing::kSocket
                                     : Standing::kDevice;
    return at;
}

std::uint32_t DeleteFile(std::string_view windowsPath) {
    const ResolvedPath resolved = ResolvePath(windowsPath);
    if (resolved.path.empty()) return kPathNotFound;
    if (resolved.missingComponents > 0) return MissingError(resolved);
    struct stat st {};
    if (stat(resolved.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return kAccessDenied;
    if (IsOpenHere(resolved.path, true)) return kSharingViolation;
    struct stat entry {};
    const bool known = lstat(resolved.path.c_str(), &entry) == 0;
    if (unlink(resolved.path.c_str()) != 0) return FromErrno(errno);
    if (known) ForgetTemporary(entry);
    ForgetFolderOf(resolved.path);
    return kFileOk;
}

std::uint32_t RenameFile(std::string_view from, std::string_view to, bool replace) {
    const ResolvedPath source = ResolvePath(from);
    if (source.path.empty()) return kPathNotFound;
    if (source.missingComponents > 0) return MissingError(source);
    ResolvedPath target = ResolvePath(to);
    if (target.path.empty() || target.missingComponents > 1) return kPathNotFound;
    if (target.missingComponents == 0) {
        struct stat a {
        }, b{};
        const bool same = stat(source.path.c_str(), &a) == 0 &&
                          stat(target.path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
                          a.st_ino == b.st_ino;
        if (same) {
            // A change of case only: give the file the name as the caller wrote it.
            std::string name(to);
            std::replace(name.begin(), name.end(), '\\', '/');
            target.path = ParentOf(target.path) + "/" + LastComponent(name);
        } else if (!replace) {
            return kAlreadyExists;
        } else if (IsOpenHere(target.path, true)) {
            return kSharingViolation;
        }
    }
    if (IsOpenHere(source.path, true)) return kSharingViolation;
    struct stat entry {};
    const bool known = lstat(source.path.c_str(), &entry) == 0;
    if (rename(source.path.c_str(), target.path.c_str()) != 0) return FromErrno(errno);
    if (known) ForgetTemporary(entry);
    ForgetFolderOf(source.path);
    ForgetFolderOf(target.path);
    return kFileOk;
}

std::uint32_t CreateDirectory(std::string_view windowsPath) {
    const ResolvedPath resolved = ResolvePath(windowsPath);
    if (resolved.path.empty() || resolved.missingComponents > 1) return kPathNotFound;
    if (resolved.missingComponents == 0) return kAlreadyExists;
    if (TheFaults().diskFull && TheFaults().bytesLeft == 0) return TheFaults().diskFullError;
    if (mkdir(resolved.path.c_str(), 0777) != 0) {
        return errno == EEXIST ? kAlreadyExists : FromErrno(errno);
    }
    ForgetFolderOf(resolved.path);
    return kFileOk;
}

std::uint32_t RemoveDirectory(std::string_view windowsPath) {
    const ResolvedPath resolved = ResolvePath(windowsPath);
    if (resolved.path.empty()) return kPathNotFound;
    if (resolved.missingComponents > 0) return MissingError(resolved);
    if (rmdir(resolved.path.c_str()) != 0) {
        return errno == ENOTDIR ? kInvalidParameter : FromErrno(errno);
    }
    ForgetFolderOf(resolved.path);
    return kFileOk;
}

std::uint32_t ReadWholeFile(std::string_view windowsPath, std::string* contents,
                            std::uint64_t maxBytes) {
    contents->clear();
    File file;
    if (const std::uint32_t e = file.Open(windowsPath, kAccessRead, kShareRead | kShareWrite,
                                          Disposition::kOpenExisting);
        e != kFileOk) {
        return e;
    }
    std::uint64_t size = 0;
    if (const std::uint32_t e = file.Size(&size); e != kFileOk) return e;
    if (size > std::min<std::uint64_t>(maxBytes, 0x7FFFFFFFu)) return kFileTooLarge;
    contents->resize(static_cast<std::size_t>(size));
    std::uint32_t got = 0;
    if (const std::uint32_t e = file.Read(contents->data(), static_cast<std::uint32_t>(size), &got);
        e != kFileOk) {
        contents->clear();
        return e;
    }
    contents->resize(got);
    return kFileOk;
}

std::uint32_t ReadTextFile(std::string_view windowsPath, std::string* contents) {
    contents->clear();
    FileInfo info;
    if (const std::uint32_t e = GetFileInfo(windowsPath, &info); e != kFileOk) return e;
    // A device or a pipe never ends, or blocks the open; neither is a text file.
    if (!info.isRegular) return kBadFileType;
    if (info.size > kMaxTextFileBytes) return kFileTooLarge;
    const std::uint32_t e = ReadWholeFile(windowsPath, contents, kMaxTextFileBytes);
    // The file may have grown between the look and the read.
    if (e == kFileOk && contents->size() > kMaxTextFileBytes) {
        contents->clear();
        return kFileTooLarge;
    }
    return e;
}

std::string ReplacedFileOf(std::string_view windowsPath) {
    const ResolvedPath resolved = ResolvePath(windowsPath);
    std::string path = resolved.path;
    if (resolved.missingComponents != 0) return path;
    // As many links as the system itself follows before it gives up on a loop.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string text(PATH_MAX, '\0');
        const ssize_t n = readlink(path.c_str(), text.data(), text.size());
        if (n <= 0) return path;
        text.resize(static_cast<std::size_t>(n));
        path = text.front() == '/' ? text : ParentOf(path) + "/" + text;
    }
    return path;
}

namespace {

// A link that names itself, through any number of others: nothing can be made at its end.
bool IsLinkLoop(std::string_view windowsPath) {
    struct stat st {};
    const std::string end = ReplacedFileOf(windowsPath);
    return lstat(end.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

bool MayBeReplaced(std::string_view windowsPath) {
    FileInfo info;
    const std::uint32_t e = GetFileInfo(windowsPath, &info);
    if (e == kFileNotFound || e == kPathNotFound) return !IsLinkLoop(windowsPath);
    return e == kFileOk && info.isRegular;
}

std::uint32_t WhyNotReplaced(std::string_view windowsPath) {
    if (!MayBeReplaced(windowsPath)) return kBadFileType;
    // The file's own mark, not the process's rights: a file no one may write is read-only.
    struct stat st {};
    if (stat(ReplacedFileOf(windowsPath).c_str(), &st) == 0 && (st.st_mode & 0222) == 0)
        return kFileReadOnly;
    return kFileOk;
}

namespace {

std::string TemporaryPatternFor(const std::string& target) {
    return ParentOf(target) + "/." + LastComponent(target) + ".XXXXXX";
}

}  // namespace

std::string CreateTemporaryBeside(const std::string& target, std::uint32_t* error) {
    std::string temporary = TemporaryPatternFor(target);
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = FromErrno(errno);
        return {};
    }
    struct stat old {};
    mode_t mode = 0666;
    if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    fchmod(fd, mode);
    RecordTemporary(fd, temporary);
    ::close(fd);
    *error = kFileOk;
    return temporary;
}

int TakeTemporaryJournal(std::string_view windowsPath, std::uint32_t* refused) {
    if (refused != nullptr) *refused = kFileOk;
    const ResolvedPath resolved = ResolvePath(windowsPath);
    if (resolved.path.empty() || resolved.missingComponents > 1) return 0;
    std::string journal = resolved.path;
    if (journal.front() != '/') journal = CurrentDirectory() + "/" + journal;
    int removed = 0;
    std::uint32_t why = kFileOk;
    const int fd = OpenJournal(journal, O_RDONLY, &why);
    if (why != kFileOk) {
        // What stands in the journal's place is the user's: this run lists nothing there.
        if (refused != nullptr) *refused = why;
        TheJournal().clear();
        return 0;
    }
    if (fd >= 0) {
        std::string text(static_cast<std::size_t>(kMaxJournalBytes), '\0');
        std::size_t got = 0;
        for (ssize_t n = 0; got < text.size(); got += static_cast<std::size_t>(n)) {
            n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) n = 0;
            else if (n <= 0) break;
        }
        ::close(fd);
        text.resize(got);
        // "<device> <inode> <size> <change time> <path>" a line; a line cut short (no end) is
        // not believed.
        std::size_t at = 0;
        for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
            const std::string line = text.substr(at, end - at);
            unsigned long long device = 0, inode = 0, size = 0;
            long long changed = 0;
            int skip = 0;
            if (std::sscanf(line.c_str(), "%llu %llu %llu %lld %n", &device, &inode, &size,
                            &changed, &skip) != 4 ||
                skip <= 0)
                continue;
            const std::string path = line.substr(static_cast<std::size_t>(skip));
            // Only the very file that was made, still a plain file of a temporary's name, as it
            // was last written: the same inode with another size or a later change is a file
            // made since in its place.
            struct stat st {};
            if (path.empty() || path.front() != '/' || LastComponent(path).front() != '.' ||
                lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
                static_cast<unsigned long long>(st.st_dev) != device ||
                static_cast<unsigned long long>(st.st_ino) != inode ||
                static_cast<unsigned long long>(st.st_size) != size || ChangeTime(st) != changed)
                continue;
            const bool live = std::any_of(TheTemporaries().begin(), TheTemporaries().end(),
                                          [&](const Temporary& t) { return IsFileOf(t, st); });
            if (!live && unlink(path.c_str()) == 0) {
                ForgetFolderOf(path);
                ++removed;
            }
        }
    }
    TheJournal() = journal;
    theJournalHolds = true;
    WriteJournal();
    return removed;
}

std::uint32_t ReplaceFileAtomically(std::string_view windowsPath,
                                    std::span<const std::uint8_t> bytes, bool forceToDisc) {
    const ResolvedPath resolved = ResolvePath(windowsPath);
    if (resolved.path.empty() || resolved.missingComponents > 1) return kPathNotFound;
    if (TheFaults().tooManyOpenFiles) return kTooManyOpenFiles;
    struct stat old {};
    const bool existed = resolved.missingComponents == 0 && stat(resolved.path.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode)) return kAccessDenied;
    // A device, a pipe or a socket is not replaced by a plain file; the user is told it is no
    // plain file, not that it is read-only.
    if (existed && !S_ISREG(old.st_mode)) return kBadFileType;
    if (existed && IsOpenHere(resolved.path, true)) return kSharingViolation;
    if (const std::uint32_t why = WhyNotReplaced(windowsPath); why != kFileOk) return why;
    // A symbolic link stays: the file it names is the one replaced (made, when it is not there).
    const std::string target = ReplacedFileOf(windowsPath);

    std::string temporary = TemporaryPatternFor(target);
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return FromErrno(errno);
    struct stat made {};
    fstat(fd, &made);
    auto fail = [&](std::uint32_t error) {
        ::close(fd);
        unlink(temporary.c_str());
        ForgetTemporary(made);
        return error;
    };
    // The new file keeps the old one's permissions; a new one gets the usual ones.
    mode_t mode = 0666;
    if (existed) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    if (fchmod(fd, mode) != 0) return fail(FromErrno(errno));
    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - written, 0x40000000u);
        std::uint32_t done = 0;
        const std::uint32_t e =
            WriteAll(fd, bytes.data() + written, static_cast<std::uint32_t>(chunk), &done);
        if (e != kFileOk) return fail(e);
        written += chunk;
    }
    if (forceToDisc && fsync(fd) != 0) return fail(FromErrno(errno));
    // Listed as it is written whole (a run ended while it was written leaves a file the list
    // does not own, which is kept).
    RecordTemporary(fd, temporary);
    if (::close(fd) != 0) {
        const std::uint32_t error = FromErrno(errno);
        unlink(temporary.c_str());
        ForgetTemporary(made);
        return error;
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        const std::uint32_t error = FromErrno(errno);
        unlink(temporary.c_str());
        ForgetTemporary(made);
        return error;
    }
    // The new file is the target now; a temporary replaced whole (a save writing into its own
    // temporary) stays listed as the file that now has its name, as the rename left it.
    ForgetTemporary(made);
    struct stat now {};
    if (existed && stat(target.c_str(), &now) == 0) RenameTemporary(old, now);
    // Make the rename itself durable.
    const int dir = !forceToDisc
                        ? -1
                        : ::open(ParentOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        ::close(dir);
    }
    ForgetFolderOf(resolved.path);
    if (target != resolved.path) ForgetFolderOf(target);
    return kFileOk;
}

std::uint32_t ReplaceFileAtomically(std::string_view windowsPath, std::string_view bytes,
                                    bool forceToDisc) {
    return ReplaceFileAtomically(
        windowsPath,
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      bytes.size()),
        forceToDisc);
}

std::string ExecutablePath() {
    if (!TheExecutableOverride().empty()) return TheExecutableOverride();
    std::string path(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0) return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
}

void SetExecutablePathForTesting(std::string path) {
    TheExecutableOverride() = std::move(path);
}

std::string CurrentDirectory() {
    std::string path(PATH_MAX, '\0');
    if (getcwd(path.data(), path.size()) == nullptr) return {};
    path.resize(std::char_traits<char>::length(path.c_str()));
    return path;
}

std::uint32_t SetCurrentDirectory(std::string_view windowsPath) {
    const ResolvedPath resolved = ResolvePath(windowsPath);
    if (resolved.path.empty()) return kPathNotFound;
    if (resolved.missingComponents > 0) return MissingError(resolved);
    if (chdir(resolved.path.c_str()) != 0) {
        return errno == ENOTDIR ? kDirectoryInvalid : FromErrno(errno);
    }
    return kFileOk;
}

// ---------------------------------------------------------------------------------------------
// Simulated faults

void SimulateDiskFull(std::uint64_t bytes, std::uint32_t error) {
    TheFaults().diskFull = true;
    TheFaults().bytesLeft = bytes;
    TheFaults().diskFullError = error;
}

void SimulateTooManyOpenFiles(bool on) {
    TheFaults().tooManyOpenFiles = on;
}

void ClearSimulatedFaults() {
    TheFaults() = Faults{};
}

}  // namespace platform
