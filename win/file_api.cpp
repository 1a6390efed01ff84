#include "win/file_api.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace win {
namespace {

thread_local std::uint32_t theLastError = ERROR_SUCCESS;

// Records a result and tells whether it was a success.
bool Succeeded(std::uint32_t error) {
    theLastError = error;
    return error == ERROR_SUCCESS;
}

// Open files by handle value. The value is the file's descriptor, which is unique while open.
std::map<std::int32_t, std::unique_ptr<platform::File>>& TheFiles() {
    // Never destroyed: static objects may still close files while the program exits.
    static auto& files = *new std::map<std::int32_t, std::unique_ptr<platform::File>>;
    return files;
}

platform::File* Lookup(FileHandle handle) {
    auto& files = TheFiles();
    const auto it = files.find(handle.value);
    if (it == files.end()) {
        theLastError = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    return it->second.get();
}

struct Search {
    std::vector<platform::DirEntry> entries;
    std::size_t next = 0;
};

struct Searches {
    std::map<std::int32_t, Search> open;
    std::int32_t nextValue = 1;
};

Searches& TheSearches() {
    // Never destroyed: static objects may still close files while the program exits.
    static auto& searches = *new Searches;
    return searches;
}

std::uint32_t AttributesOf(const platform::FileInfo& info) {
    if (info.isDirectory)
        return FILE_ATTRIBUTE_DIRECTORY | (info.readOnly ? FILE_ATTRIBUTE_READONLY : 0);
    return info.readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}

void Fill(const platform::DirEntry& entry, FindData* data) {
    data->fileAttributes = AttributesOf(entry.info);
    data->fileSizeLow = static_cast<std::uint32_t>(entry.info.size);
    data->fileSizeHigh = static_cast<std::uint32_t>(entry.info.size >> 32);
    data->fileName = entry.name;
}

}  // namespace

std::uint32_t GetLastError() {
    return theLastError;
}
std::string DescribeFileError(std::uint32_t error) {
    switch (error) {
        case ERROR_SUCCESS:
            return "no error was reported";
        case ERROR_FILE_NOT_FOUND:
            return "the file does not exist";
        case ERROR_PATH_NOT_FOUND:
            return "its folder does not exist";
        case ERROR_TOO_MANY_OPEN_FILES:
            return "too many files are open";
        case ERROR_ACCESS_DENIED:
            return "access is denied (the folder or the file may be read-only)";
        case ERROR_NOT_ENOUGH_MEMORY:
            return "there is not enough memory";
        case ERROR_WRITE_FAULT:
            return "the disk could not be written";
        case ERROR_READ_FAULT:
            return "the disk could not be read";
        case ERROR_SHARING_VIOLATION:
            return "the file is in use";
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL:
            return "the disk is full";
        case ERROR_FILENAME_EXCED_RANGE:
            return "the name is too long";
        case ERROR_BAD_FILE_TYPE:
            return "it is not a plain file (a folder, a device, a pipe or a loop of links has that "
                   "name)";
        case ERROR_FILE_TOO_LARGE:
            return "the file is too large";
        case ERROR_DIRECTORY:
            return "a folder has that name";
        case ERROR_FILE_INVALID:
            return "the file is empty or damaged";
        case ERROR_FILE_READ_ONLY:
            return "the file is read-only";
        default:
            return "error " + std::to_string(error);
    }
}

void SetLastError(std::uint32_t error) {
    theLastError = error;
}

FileHandle CreateFile(std::string_view path, std::uint32_t access, std::uint32_t share,
                      std::uint32_t disposition, std::uint32_t /*attributes*/) {
    if ((access & ~(GENERIC_READ | GENERIC_WRITE)) != 0) {
        theLastError = ERROR_INVALID_ACCESS;  // only reading and writing are known here
        return INVALID_HANDLE_VALUE;
    }
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        theLastError = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    std::uint32_t platformAccess = 0;
    if (access & GENERIC_READ) platformAccess |= platform::kAccessRead;
    if (access & GENERIC_WRITE) platformAccess |= platform::kAccessWrite;
    std::uint32_t platformShare = 0;
    if (share & FILE_SHARE_READ) platformShare |= platform::kShareRead;
    if (share & FILE_SHARE_WRITE) platformShare |= platform::kShareWrite;
    if (share & FILE_SHARE_DELETE) platformShare |= platform::kShareDelete;

    auto file = std::make_unique<platform::File>();
    bool existed = false;
    if (!Succeeded(file->Open(path, platformAccess, platformShare,
                              static_cast<platform::Disposition>(disposition), &existed))) {
        return INVALID_HANDLE_VALUE;
    }
    const FileHandle handle(file->Descriptor());
    TheFiles()[handle.value] = std::move(file);
    // Creating or opening-or-creating an existing file tells so through the last error.
    const bool tell = existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    theLastError = tell ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    return handle;
}

bool ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* read) {
    std::uint32_t done = 0;
    bool ok = false;
    if (platform::File* f = Lookup(file)) {
        ok = Succeeded(f->Read(buffer, count, &done));
    }
    if (read != nullptr) *read = done;
    return ok;
}

bool WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* written) {
    std::uint32_t done = 0;
    bool ok = false;
    if (platform::File* f = Lookup(file)) {
        ok = Succeeded(f->Write(buffer, count, &done));
    }
    if (written != nullptr) *written = done;
    return ok;
}

std::uint32_t SetFilePointer(FileHandle file, std::int32_t distance, std::int32_t* distanceHigh,
                             std::uint32_t method) {
    platform::File* f = Lookup(file);
    if (f == nullptr) return INVALID_SET_FILE_POINTER;
    if (method > FILE_END) {
        theLastError = ERROR_INVALID_PARAMETER;
        return INVALID_SET_FILE_POINTER;
    }
    std::int64_t offset = distance;
    if (distanceHigh != nullptr) {
        offset = static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceHigh)) << 32) |
            static_cast<std::uint32_t>(distance));
    }
    std::int64_t before = 0;
    if (!Succeeded(f->Seek(0, platform::SeekFrom::kCurrent, &before))) {
        return INVALID_SET_FILE_POINTER;
    }
    std::int64_t position = 0;
    if (!Succeeded(f->Seek(offset, static_cast<platform::SeekFrom>(method), &position))) {
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh != nullptr) {
        *distanceHigh = static_cast<std::int32_t>(static_cast<std::uint64_t>(position) >> 32);
    } else if (position > 0xFFFFFFFFll) {
        // The position cannot be told in 32 bits: refuse rather than lie, and stay put.
        std::int64_t ignored = 0;
        (void)f->Seek(before, platform::SeekFrom::kBegin, &ignored);
        theLastError = ERROR_INVALID_PARAMETER;
        return INVALID_SET_FILE_POINTER;
    }
    return static_cast<std::uint32_t>(position);
}

std::uint32_t GetFileSize(FileHandle file, std::uint32_t* sizeHigh) {
    platform::File* f = Lookup(file);
    if (f == nullptr) return INVALID_FILE_SIZE;
    std::uint64_t size = 0;
    if (!Succeeded(f->Size(&size))) return INVALID_FILE_SIZE;
    if (sizeHigh != nullptr) *sizeHigh = static_cast<std::uint32_t>(size >> 32);
    return static_cast<std::uint32_t>(size);
}

bool FlushFileBuffers(FileHandle file) {
    platform::File* f = Lookup(file);
    return f != nullptr && Succeeded(f->Flush());
}

bool SetEndOfFile(FileHandle file) {
    platform::File* f = Lookup(file);
    return f != nullptr && Succeeded(f->Truncate());
}

bool CloseHandle(FileHandle file) {
    auto& files = TheFiles();
    const auto it = files.find(file.value);
    if (it == files.end()) {
        theLastError = ERROR_INVALID_HANDLE;
        return false;
    }
    const std::uint32_t error = it->second->Close();
    files.erase(it);
    return Succeeded(error);
}

bool DeleteFile(std::string_view path) {
    return Succeeded(platform::DeleteFile(path));
}

bool MoveFileEx(std::string_view existing, std::string_view target, std::uint32_t flags) {
    return Succeeded(
        platform::RenameFile(existing, target, (flags & MOVEFILE_REPLACE_EXISTING) != 0));
}

bool MoveFile(std::string_view existing, std::string_view target) {
    return MoveFileEx(existing, target, 0);
}

bool CreateDirectory(std::string_view path) {
    return Succeeded(platform::CreateDirectory(path));
}

bool RemoveDirectory(std::string_view path) {
    return Succeeded(platform::RemoveDirectory(path));
}

std::uint32_t GetFileAttributes(std::string_view path) {
    platform::FileInfo info;
    if (!Succeeded(platform::GetFileInfo(path, &info))) return INVALID_FILE_ATTRIBUTES;
    return AttributesOf(info);
}

FindHandle FindFirstFile(std::string_view pattern, FindData* data) {
    Search search;
    if (!Succeeded(platform::FindMatches(pattern, &search.entries))) return INVALID_HANDLE_VALUE;
    Fill(search.entries[0], data);
    search.next = 1;
    Searches& searches = TheSearches();
    const FindHandle handle(searches.nextValue);
    // Values climb and wrap past the largest; a value still in use is skipped.
    do {
        searches.nextValue = searches.nextValue == INT32_MAX ? 1 : searches.nextValue + 1;
    } while (searches.open.count(searches.nextValue) != 0);
    searches.open[handle.value] = std::move(search);
    return handle;
}

bool FindNextFile(FindHandle search, FindData* data) {
    auto& open = TheSearches().open;
    const auto it = open.find(search.value);
    if (it == open.end()) return Succeeded(ERROR_INVALID_HANDLE);
    Search& s = it->second;
    if (s.next >= s.entries.size()) return Succeeded(ERROR_NO_MORE_FILES);
    Fill(s.entries[s.next++], data);
    return Succeeded(ERROR_SUCCESS);
}

bool FindClose(FindHandle search) {
    auto& open = TheSearches().open;
    const auto it = open.find(search.value);
    if (it == open.end()) return Succeeded(ERROR_INVALID_HANDLE);
    open.erase(it);
    return Succeeded(ERROR_SUCCESS);
}

std::uint32_t GetCurrentDirectory(std::uint32_t bufferSize, char* buffer) {
    const std::string path = platform::CurrentDirectory();
    if (path.empty()) {
        theLastError = ERROR_GEN_FAILURE;
        return 0;
    }
    const auto length = static_cast<std::uint32_t>(path.size());
    if (buffer == nullptr || bufferSize < length + 1) return length + 1;
    std::memcpy(buffer, path.c_str(), length + 1);
    theLastError = ERROR_SUCCESS;
    return length;
}

std::string GetCurrentDirectory() {
    return platform::CurrentDirectory();
}

bool SetCurrentDirectory(std::string_view path) {
    return Succeeded(platform::SetCurrentDirectory(path));
}

std::uint32_t GetModuleFileName(char* buffer, std::uint32_t size) {
    const std::string path = platform::ExecutablePath();
    if (path.empty()) {
        theLastError = ERROR_GEN_FAILURE;
        return 0;
    }
    if (buffer == nullptr || size == 0) {
        theLastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    if (path.size() + 1 > size) {
        std::memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
        theLastError = ERROR_INSUFFICIENT_BUFFER;
        return size;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    theLastError = ERROR_SUCCESS;
    return static_cast<std::uint32_t>(path.size());
}

std::string GetModuleFileName() {
    return platform::ExecutablePath();
}

bool FileMapping::Map(FileHandle file) {
    view_.reset();
    platform::File* f = Lookup(file);
    if (f == nullptr) return false;
    auto view = std::make_shared<platform::MappedFile>();
    if (!Succeeded(view->Map(*f))) return false;
    view_ = std::move(view);
    return true;
}

namespace {

// A file as mapped: which file, and what it held then.
struct MappedKey {
    std::string path;  // as resolved
    std::uint64_t identity = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    auto operator<=>(const MappedKey&) const = default;
};

// The live views of files mapped by path. Never destroyed: views may outlive other statics.
std::map<MappedKey, std::weak_ptr<const platform::MappedFile>>& TheSharedViews() {
    static auto& views = *new std::map<MappedKey, std::weak_ptr<const platform::MappedFile>>;
    return views;
}

}  // namespace

bool FileMapping::Map(std::string_view path) {
    view_.reset();
    platform::FileInfo info;
    if (!Succeeded(platform::GetFileInfo(path, &info))) return false;
    auto& views = TheSharedViews();
    std::erase_if(views, [](const auto& v) { return v.second.expired(); });
    const MappedKey key{platform::ResolvePath(path).path, info.identity, info.size, info.modified};
    if (auto it = views.find(key); it != views.end()) {
        view_ = it->second.lock();
        return Succeeded(ERROR_SUCCESS);
    }
    auto view = std::make_shared<platform::MappedFile>();
    if (!Succeeded(view->MapPath(path))) return false;
    views[key] = view;
    view_ = std::move(view);
    return true;
}

bool ReplaceFileAtomically(std::string_view path, std::span<const std::uint8_t> bytes) {
    return Succeeded(platform::ReplaceFileAtomically(path, bytes));
}

bool ReplaceFileAtomically(std::string_view path, std::string_view bytes) {
    return Succeeded(platform::ReplaceFileAtomically(path, bytes));
}

std::string ReplacedFileOf(std::string_view path) {
    return platform::ReplacedFileOf(path);
}

bool MayBeReplaced(std::string_view path) {
    return platform::MayBeReplaced(path);
}

bool IsPlainFile(std::string_view path) {
    platform::FileInfo info;
    return platform::GetFileInfo(path, &info) == platform::kFileOk && info.isRegular;
}

bool IsOtherThanPlainFile(std::string_view path) {
    platform::FileInfo info;
    const std::uint32_t e = platform::GetFileInfo(path, &info);
    return (e == platform::kFileOk && !info.isRegular) || e == platform::kBadFileType;
}

std::string DescribeNoPlainFile(std::string_view path) {
    const platform::StandingAt at = platform::WhatStandsAt(path);
    const char* what = nullptr;
    switch (at.kind) {
        case platform::Standing::kNothing:
        case platform::Standing::kPlainFile:
            return {};
        case platform::Standing::kLinkLoop:
            return "it is a link loop (its links lead back to themselves)";
        case platform::Standing::kFolder:
            what = "folder";
            break;
        case platform::Standing::kPipe:
            what = "pipe";
            break;
        case platform::Standing::kDevice:
            what = "device";
            break;
        case platform::Standing::kSocket:
            what = "socket";
            break;
    }
    return std::string("it is not a plain file (it is ") +
           (at.throughLink ? "a link to a " : "a ") + what + ")";
}

std::string DescribeFileErrorAt(std::string_view path, std::uint32_t error) {
    if (error == ERROR_BAD_FILE_TYPE)
        if (std::string what = DescribeNoPlainFile(path); !what.empty()) return what;
    return DescribeFileError(error);
}

std::string ShownPath(std::string_view path) {
    std::string shown(path);
    std::replace(shown.begin(), shown.end(), '\\', '/');
    return shown;
}

bool ReadWholeFile(std::string_view path, std::string* contents, std::uint64_t maxBytes) {
    return Succeeded(platform::ReadWholeFile(path, contents, maxBytes));
}

bool ReadTextFile(std::string_view path, std::string* contents) {
    return Succeeded(platform::ReadTextFile(path, contents));
}

}  // namespace win
