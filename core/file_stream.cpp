#include "core/file_stream.h"

#include <cstring>

namespace core {

std::int32_t StreamStatusFromError(std::uint32_t error) {
    switch (error) {
        case win::ERROR_FILE_NOT_FOUND:
        case win::ERROR_TOO_MANY_OPEN_FILES:
        case win::ERROR_INVALID_HANDLE:
        case win::ERROR_INVALID_ACCESS:
        case win::ERROR_SHARING_VIOLATION:
        case win::ERROR_HANDLE_DISK_FULL:
            return kStreamNotFound;
        default:
            return kStreamIOError;
    }
}

// ---------------------------------------------------------------------------------------------
// FileStreamBase

FileStreamBase::FileStreamBase() {
    status = kStreamClosed;
}

FileStreamBase::~FileStreamBase() = default;

void FileStreamBase::Use(win::FileHandle h, bool owned) {
    handle = h;
    ownsHandle = owned && h.IsValid();
    status = h.IsValid() ? kStreamOk : StreamStatusFromError(win::GetLastError());
}

int FileStreamBase::ReleaseHandle() {
    if (ownsHandle && handle.IsValid() && !win::CloseHandle(handle)) {
        status = kStreamIOError;  // the handle stays, so a later close may try again
        return 0;
    }
    handle = win::FileHandle{};
    ownsHandle = false;
    status = kStreamClosed;
    return 1;
}

int FileStreamBase::Fail() {
    status = StreamStatusFromError(win::GetLastError());
    return 0;
}

std::uint32_t FileStreamBase::FilePointer() {
    if (!handle.IsValid()) return 0;
    const std::uint32_t pos = win::SetFilePointer(handle, 0, win::FILE_CURRENT);
    return pos == win::INVALID_SET_FILE_POINTER ? 0 : pos;
}

int FileStreamBase::SeekFile(std::int32_t pos) {
    if (status == kStreamEnd) status = kStreamOk;
    if (status != kStreamOk) return 0;
    if (pos < 0) {
        status = kStreamNotAllowed;
        return 0;
    }
    win::SetLastError(win::ERROR_SUCCESS);
    if (win::SetFilePointer(handle, pos, win::FILE_BEGIN) == win::INVALID_SET_FILE_POINTER &&
        win::GetLastError() != win::ERROR_SUCCESS) {
        return Fail();
    }
    return 1;
}

int FileStreamBase::WriteFileBytes(std::uint32_t count, const void* src) {
    if (status != kStreamOk) return 0;
    if (count == 0) return 1;
    std::uint32_t written = 0;
    const bool ok = win::WriteFile(handle, src, count, &written);
    lastCount = written;
    if (!ok) return Fail();
    if (written < count) {
        status = kStreamIOError;
        return 0;
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------
// FileRStream

FileRStream::FileRStream() = default;

FileRStream::FileRStream(win::FileHandle h) {
    Use(h, false);
}

FileRStream::~FileRStream() {
    FileRStream::Close();
}

int FileRStream::Open(std::string_view name) {
    Close();
    const win::FileHandle h = win::CreateFile(name, win::GENERIC_READ, win::FILE_SHARE_READ,
                                              win::OPEN_EXISTING, win::FILE_ATTRIBUTE_NORMAL);
    if (!h.IsValid()) {
        status = kStreamNotFound;
        return 0;
    }
    Use(h, true);
    return 1;
}

void FileRStream::Attach(win::FileHandle h) {
    Close();
    Use(h, false);
}

std::uint32_t FileRStream::GetPosition() {
    if (bufferStart != -1) return static_cast<std::uint32_t>(bufferPos);
    return FilePointer();
}

int FileRStream::SetPosition(std::int32_t pos) {
    if (status == kStreamEnd) status = kStreamOk;
    if (status != kStreamOk) return 0;
    if (bufferStart != -1 && pos >= bufferStart && pos <= bufferEnd) {
        bufferPos = pos;  // inside the read-ahead: the file is not touched
        return 1;
    }
    DropBuffer();
    return SeekFile(pos);
}

std::uint32_t FileRStream::GetCapability(std::uint32_t kind) {
    switch (kind) {
        case kCapType:
            return kStreamTypeFileR;
        case kCapReadable:
        case kCapPositionable:
            return 1;
        default:
            return 0;
    }
}

int FileRStream::Write(std::uint32_t, const void*) {
    status = kStreamNotAllowed;
    return 0;
}

int FileRStream::Read(std::uint32_t count, void* dst) {
    if (status != kStreamOk) return 0;
    if (count == 0) return 1;
    auto* out = static_cast<std::uint8_t*>(dst);
    std::uint32_t left = count;
    lastCount = 0;

    // Small reads go through the read-ahead; large ones straight to the caller's buffer.
    if (bufferStart == -1 && count < kBufferSize / 2) {
        const std::uint32_t at = FilePointer();
        std::uint32_t got = 0;
        if (!win::ReadFile(handle, buffer, kBufferSize, &got)) return Fail();
        bufferStart = bufferPos = static_cast<std::int32_t>(at);
        bufferEnd = static_cast<std::int32_t>(at + got) - 1;
    }
    if (bufferStart != -1) {
        const std::int32_t avail = bufferEnd - bufferPos + 1;
        std::uint32_t n = avail > 0 ? static_cast<std::uint32_t>(avail) : 0;
        if (n > left) n = left;
        if (n) std::memcpy(out, buffer + (bufferPos - bufferStart), n);
        bufferPos += static_cast<std::int32_t>(n);
        out += n;
        left -= n;
        lastCount = n;
    }
    // The file pointer stands just past the buffered bytes here.
    if (bufferStart != -1 && bufferPos > bufferEnd) DropBuffer();
    if (left > 0) {
        std::uint32_t got = 0;
        const bool ok = win::ReadFile(handle, out, left, &got);
        lastCount += got;
        if (!ok) return Fail();
        if (got < left) {
            status = kStreamEnd;
            return 0;
        }
    }
    return 1;
}

void FileRStream::Close() {
    if (!ReleaseHandle()) return;
    DropBuffer();
}

// ---------------------------------------------------------------------------------------------
// WritableFileStream

WritableFileStream::WritableFileStream(std::uint32_t access) : access(access) {}

WritableFileStream::WritableFileStream(std::uint32_t access, win::FileHandle h) : access(access) {
    Use(h, false);
}

WritableFileStream::WritableFileStream(std::uint32_t access, std::string_view name)
    : access(access) {
    Open(name);
}

WritableFileStream::~WritableFileStream() {
    WritableFileStream::Close();
}

int WritableFileStream::OpenWith(std::string_view name, std::uint32_t disposition) {
    Close();
    Use(win::CreateFile(name, access, 0, disposition, win::FILE_ATTRIBUTE_NORMAL), true);
    return status == kStreamOk ? 1 : 0;
}

int WritableFileStream::Open(std::string_view name) {
    return OpenWith(name, win::OPEN_ALWAYS);
}

int WritableFileStream::OpenTruncated(std::string_view name) {
    return OpenWith(name, win::CREATE_ALWAYS);
}

int WritableFileStream::Truncate() {
    if (status != kStreamOk) return 0;
    return win::SetEndOfFile(handle) ? 1 : Fail();
}

void WritableFileStream::Attach(win::FileHandle h) {
    Close();
    Use(h, false);
}

std::uint32_t WritableFileStream::GetPosition() {
    return FilePointer();
}

int WritableFileStream::SetPosition(std::int32_t pos) {
    return SeekFile(pos);
}

int WritableFileStream::Flush() {
    if (!handle.IsValid()) return 0;
    return win::FlushFileBuffers(handle) ? 1 : Fail();
}

int WritableFileStream::Write(std::uint32_t count, const void* src) {
    return WriteFileBytes(count, src);
}

void WritableFileStream::Close() {
    ReleaseHandle();
}

// ---------------------------------------------------------------------------------------------
// FileWStream

FileWStream::FileWStream() : WritableFileStream(win::GENERIC_WRITE) {}

FileWStream::FileWStream(win::FileHandle h) : WritableFileStream(win::GENERIC_WRITE, h) {}

FileWStream::FileWStream(std::string_view name) : WritableFileStream(win::GENERIC_WRITE, name) {}

std::uint32_t FileWStream::GetCapability(std::uint32_t kind) {
    switch (kind) {
        case kCapType:
            return kStreamTypeFileW;
        case kCapWritable:
        case kCapPositionable:
            return 1;
        default:
            return 0;
    }
}

int FileWStream::Read(std::uint32_t, void*) {
    status = kStreamNotAllowed;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// FileRWStream

FileRWStream::FileRWStream() : WritableFileStream(win::GENERIC_READ | win::GENERIC_WRITE) {}

FileRWStream::FileRWStream(win::FileHandle h)
    : WritableFileStream(win::GENERIC_READ | win::GENERIC_WRITE, h) {}

FileRWStream::FileRWStream(std::string_view name)
    : WritableFileStream(win::GENERIC_READ | win::GENERIC_WRITE, name) {}

std::uint32_t FileRWStream::GetCapability(std::uint32_t kind) {
    switch (kind) {
        case kCapType:
            return kStreamTypeFileRW;
        case kCapWritable:
        case kCapReadable:
        case kCapPositionable:
            return 1;
        default:
            return 0;
    }
}

int FileRWStream::Read(std::uint32_t count, void* dst) {
    if (status != kStreamOk) return 0;
    if (count == 0) return 1;
    std::uint32_t got = 0;
    const bool ok = win::ReadFile(handle, dst, count, &got);
    lastCount = got;
    if (!ok) return Fail();
    if (got < count) {
        status = kStreamEnd;
        return 0;
    }
    return 1;
}

}  // namespace core
