// Byte streams over files: a read-only stream with a 2048-byte read-ahead, a write-only stream
// and a read-write stream, all on the program's file handles.
//
// Opening a writer by name keeps an existing file's contents (writing starts at offset 0 and a
// longer old file keeps its tail), as stored files that are patched in place need. Writers of
// whole new files use OpenTruncated, which empties the file first.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/stream_io.h"
#include "win/file_api.h"

namespace core {

// The one mapping from a failed file call to a stream status: "cannot open / not available"
// reasons give 1, anything else 3.
[[nodiscard]] std::int32_t StreamStatusFromError(std::uint32_t error);

// Shared by the three file streams: the handle and whether the stream opened it itself.
class FileStreamBase : public StreamIO {
public:
    ~FileStreamBase() override;

    [[nodiscard]] win::FileHandle GetHandle() const { return handle; }

protected:
    FileStreamBase();
    // Takes a handle opened elsewhere (not owned). An invalid one sets the status from the
    // last error.
    void Use(win::FileHandle h, bool owned);
    // 1 when the handle was released (or there was none), 0 when CloseHandle failed.
    int ReleaseHandle();
    int Fail();  // status from the last error, result 0
    [[nodiscard]] std::uint32_t FilePointer();
    int SeekFile(std::int32_t pos);
    int WriteFileBytes(std::uint32_t count, const void* src);

    win::FileHandle handle{};
    bool ownsHandle = false;
};

class FileRStream : public FileStreamBase {
public:
    static constexpr std::int32_t kBufferSize = 2048;

    FileRStream();  // closed
    explicit FileRStream(win::FileHandle h);
    ~FileRStream() override;

    int Open(std::string_view name);
    void Attach(win::FileHandle h);

    std::uint32_t GetPosition() override;
    int SetPosition(std::int32_t pos) override;
    std::uint32_t GetCapability(std::uint32_t kind) override;
    int Write(std::uint32_t count, const void* src) override;
    int Read(std::uint32_t count, void* dst) override;
    void Close() override;

private:
    void DropBuffer() { bufferStart = -1; }

    std::uint8_t buffer[kBufferSize] = {};
    std::int32_t bufferStart = -1;  // file position of buffer[0]; -1 when empty
    std::int32_t bufferEnd = -2;    // file position of the last valid byte
    std::int32_t bufferPos = 0;     // file position of the next byte to deliver
};

// Shared by the two streams that write: opening by name with their access, cutting the file,
// and the unbuffered position, flush, write and close.
class WritableFileStream : public FileStreamBase {
public:
    ~WritableFileStream() override;

    int Open(std::string_view name);
    // Opens an empty file: an existing one is cut to nothing.
    int OpenTruncated(std::string_view name);
    // Cuts the file at the current position.
    int Truncate();
    void Attach(win::FileHandle h);

    std::uint32_t GetPosition() override;
    int SetPosition(std::int32_t pos) override;
    int Flush() override;
    int Write(std::uint32_t count, const void* src) override;
    void Close() override;

protected:
    // `access`: the GENERIC_* rights the stream opens files with.
    explicit WritableFileStream(std::uint32_t access);
    WritableFileStream(std::uint32_t access, win::FileHandle h);
    // Opens without truncating, creating the file when absent.
    WritableFileStream(std::uint32_t access, std::string_view name);

private:
    int OpenWith(std::string_view name, std::uint32_t disposition);

    std::uint32_t access;
};

class FileWStream : public WritableFileStream {
public:
    FileWStream();  // closed
    explicit FileWStream(win::FileHandle h);
    // Opens without truncating, creating the file when absent.
    explicit FileWStream(std::string_view name);

    std::uint32_t GetCapability(std::uint32_t kind) override;
    int Read(std::uint32_t count, void* dst) override;
};

class FileRWStream : public WritableFileStream {
public:
    FileRWStream();  // closed
    explicit FileRWStream(win::FileHandle h);
    // Opens without truncating, creating the file when absent.
    explicit FileRWStream(std::string_view name);

    std::uint32_t GetCapability(std::uint32_t kind) override;
    int Read(std::uint32_t count, void* dst) override;
};

}  // namespace core
