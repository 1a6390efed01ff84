// Volume archives (".Vol"): many members in one file, each stored plain, run-length coded or LZH
// coded, with a sorted index so that members are found by binary search. VolumeRStream reads a
// volume through a read-only mapping and lets loose files in a list of folders override its
// members; VolumeRWStream builds and updates volumes (only the tools use it).
//
// Layout, every block padded to 4: "VOL " { "volh" (empty), optional "vols" (u32 name bytes in
// use, then NUL-terminated names), "voli" (14-byte entries) }, then one "VBLK" per member.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/block_stream.h"
#include "core/endian.h"
#include "core/file_stream.h"
#include "core/lzh_stream.h"
#include "core/mem_stream.h"
#include "core/rle_stream.h"
#include "core/stream_io.h"
#include "win/file_api.h"

namespace core {

// The block tags of a volume.
inline constexpr std::uint32_t kTagVol = FourCC("VOL ");
inline constexpr std::uint32_t kTagVolh = FourCC("volh");
inline constexpr std::uint32_t kTagVols = FourCC("vols");
inline constexpr std::uint32_t kTagVoli = FourCC("voli");
inline constexpr std::uint32_t kTagVblk = FourCC("VBLK");

inline constexpr std::uint32_t kVolumeFreeSlot = 0xFFFFFFFFu;
inline constexpr std::uint32_t kVolumeEntryBytes = 14;
// The most a loose file standing for a member may hold: every member of the installation is
// far smaller (the largest volume is under 10 MB), and readers take members whole.
inline constexpr std::uint64_t kMaxLooseFileBytes = 64u << 20;

// The compression byte of an index entry.
enum VolumeCoding : std::uint8_t {
    kVolumeStored = 0,
    kVolumeRunLength = 1,
    kVolumeLzh = 3,
};

// One index entry as held in memory. On disk the first field of a named entry is the offset of
// its name in the name table; here the name itself is kept beside it.
struct VolumeEntry {
    std::uint32_t id = kVolumeFreeSlot;  // member number, or the name offset of a named entry
    std::uint32_t offset = 0;            // file offset of the member's "VBLK" header
    std::uint32_t size = 0;              // size after decoding
    std::uint8_t compression = kVolumeStored;
    bool named = false;
    std::string name;
};

// Case-insensitive name order (letters folded to lower case), the order of the named index part.
[[nodiscard]] int CompareNamesNoCase(std::string_view a, std::string_view b);
// Index order: named entries by name without regard to case, then numbered ones by number.
[[nodiscard]] bool VolumeEntryBefore(const VolumeEntry& a, const VolumeEntry& b);
// The loose-file pattern of a numbered member: eight upper-case hex digits, a dot and a star.
[[nodiscard]] std::string VolumeIdPattern(std::uint32_t id);

// Delivers a member, clipped to the index's uncoded size: a read that passes the end delivers
// what is left and returns 1 with a smaller count (status 2), as a block stream does, so a coded
// member never hands out bytes decoded from beyond its code.
class VolumeMemberStream final : public StreamIO {
public:
    void Open(StreamIO* source, std::uint32_t size);
    std::uint32_t GetPosition() override;
    int SetPosition(std::int32_t pos) override;
    std::uint32_t GetCapability(std::uint32_t kind) override;
    int Read(std::uint32_t count, void* dst) override;
    int Write(std::uint32_t count, const void* src) override;
    void Close() override;

private:
    StreamIO* inner = nullptr;
    std::uint32_t limit = 0;
    std::uint32_t position = 0;
};

class VolumeStream : public StreamIO {
public:
    VolumeStream();
    ~VolumeStream() override;

    // The operations below act on the open member.
    std::int32_t GetStatus() override;
    std::uint32_t GetPosition() override;
    int SetPosition(std::int32_t pos) override;
    std::uint32_t GetCapability(std::uint32_t kind) override;
    int Flush() override;
    int Write(std::uint32_t count, const void* src) override;
    int Read(std::uint32_t count, void* dst) override;
    void Close() override;

    // Open a member; 1 when its stream is ready. Any member open before is closed first.
    virtual int OpenEntryById(std::uint32_t id) = 0;
    virtual int OpenEntry(std::string_view name) = 0;
    // The member's size in bytes, -1 when absent (64-bit, so every u32 size fits).
    [[nodiscard]] virtual std::int64_t GetEntrySizeById(std::uint32_t id);
    [[nodiscard]] virtual std::int64_t GetEntrySize(std::string_view name);

    [[nodiscard]] const VolumeEntry* FindEntry(std::uint32_t id) const;
    [[nodiscard]] const VolumeEntry* FindNamedEntry(std::string_view name) const;
    // The member's stored bytes inside the mapped file, or null when the volume is not mapped, the
    // member is absent or empty. A stored member has at least `size` bytes there.
    [[nodiscard]] const std::uint8_t* GetEntryData(std::uint32_t id) const;
    [[nodiscard]] const std::uint8_t* GetEntryData(std::string_view name) const;

    // The index in index order (free slots are not listed).
    [[nodiscard]] const std::vector<VolumeEntry>& Entries() const { return entries; }
    [[nodiscard]] int IsVolumeOpen() const { return volumeOpen ? 1 : 0; }

protected:
    // Opens an archived member of `source`, whose position 0 is the start of the volume file.
    int OpenArchivedMember(const VolumeEntry& entry, StreamIO& source);
    void CloseMember();
    void SortIndex();

    std::vector<VolumeEntry> entries;
    const std::uint8_t* view = nullptr;  // the mapped volume file, when mapped
    std::uint32_t viewSize = 0;
    bool volumeOpen = false;
    bool writable = false;
    StreamIO* currentEntry = nullptr;
    BlockRStream memberBlock;
    RLERStream rle;
    LZHRStream lzh;
    VolumeMemberStream member;
};

class VolumeRStream final : public VolumeStream {
public:
    VolumeRStream();
    ~VolumeRStream() override;

    // Loads the index of a volume; 1 when it loaded. Any previous volume is freed first.
    int OpenVolume(std::string_view path);
    void FreeIndex();

    int OpenEntryById(std::uint32_t id) override;
    int OpenEntry(std::string_view name) override;
    std::int64_t GetEntrySizeById(std::uint32_t id) override;
    std::int64_t GetEntrySize(std::string_view name) override;

    // A ';'-separated list of folders searched for loose files before the archive; an empty
    // element is the current folder. The string belongs to the caller and must outlive the
    // stream; null looks for no loose files.
    void SetLooseDirs(const std::string* dirs) { looseDirs = dirs; }
    // Whether a loose file overrides the numbered member (readers that use members in place
    // from the mapping must read such a member through the stream instead).
    [[nodiscard]] bool HasLooseMember(std::uint32_t id) const;
    // The most bytes a loose file may hold to stand for a member; a larger one is not read.
    void SetLooseFileLimit(std::uint64_t bytes) { looseLimit = bytes; }
    // The loose file the last open found in place of the member but could not use (a pipe, a
    // device, a loop of links, one larger than the limit), and why; empty after any other open.
    // The archive's member is not opened in its stead: the loose file is damage to be told.
    [[nodiscard]] const std::string& RefusedLooseFile() const { return refusedLoose; }
    [[nodiscard]] std::uint32_t RefusedLooseError() const { return refusedError; }
    // The loose file the last open read in place of the member (empty when it was archived).
    [[nodiscard]] const std::string& OpenedLooseFile() const { return openedLoose; }

    // The mapped volume file (null when none), for callers that read members in place.
    // The size of a member's "VBLK" body (its stored, possibly coded, size); -1 when not mapped.
    [[nodiscard]] std::int64_t GetStoredSize(const VolumeEntry& entry) const;
    // Index slots in use that were left out because they were malformed (a name outside the name
    // table, a block outside the file, ...), and whether the index was in order as stored.
    [[nodiscard]] std::uint32_t DroppedEntryCount() const { return droppedEntries; }
    [[nodiscard]] bool IndexWasSorted() const { return indexWasSorted; }

    [[nodiscard]] const std::uint8_t* MappedData() const { return view; }
    [[nodiscard]] std::uint32_t MappedSize() const { return viewSize; }

private:
    int LoadIndex();
    // Finds the first loose file matching `pattern` (a name, or a hex pattern) that is not a
    // folder; its path goes to `path` and its size to `size`.
    bool FindLooseFile(std::string_view pattern, std::string& path, std::uint32_t& size) const;
    int OpenLooseFile(const std::string& path);

    win::FileMapping mapping;
    std::uint32_t droppedEntries = 0;
    bool indexWasSorted = true;
    MemRWStream memory;
    FileRStream looseFile;
    const std::string* looseDirs = nullptr;
    std::uint64_t looseLimit = kMaxLooseFileBytes;
    std::string refusedLoose;
    std::string openedLoose;
    std::uint32_t refusedError = 0;
};

// Builds and updates volumes. Create (or open an existing volume), add members one at a time —
// each add opens the member for writing through StreamIO::Write, StreamIO::Close finishes it —
// then CloseVolume rewrites the name table and the index.
class VolumeRWStream final : public VolumeStream {
public:
    VolumeRWStream();
    ~VolumeRWStream() override;

    // A new volume with room for `nameCapacity` name bytes and `slots` entries. An existing file
    // of that name is replaced.
    int CreateVolume(std::string_view path, std::uint32_t nameCapacity, std::uint32_t slots);
    // An existing volume, for adding members.
    int OpenVolume(std::string_view path);
    // Rewrites the name table and the index and closes the file; 1 when every write succeeded.
    int CloseVolume();

    // Start a member; `size` is its uncoded size, 0 when not known yet (then the bytes written
    // give it). Fails when no slot is free or the name does not fit in the name table.
    int AddEntry(std::string_view name, std::uint8_t compression, std::uint32_t size);
    int AddEntryById(std::uint32_t id, std::uint8_t compression, std::uint32_t size);
    // Start a member whose bytes are already in the code of `compression` (made by the coders
    // of this library); `size` is its uncoded size. What is written goes into the block as it
    // stands.
    int AddCodedEntry(std::string_view name, std::uint8_t compression, std::uint32_t size);
    int AddCodedEntryById(std::uint32_t id, std::uint8_t compression, std::uint32_t size);

    int Write(std::uint32_t count, const void* src) override;
    std::uint32_t GetCapability(std::uint32_t kind) override;
    std::int32_t GetStatus() override;
    // Finishes the member being written, or closes the member being read.
    void Close() override;
    // Finishes the member being written; 1 when all of it reached the file and it is listed.
    int CloseEntry();

    // Members can be read back while the volume is open (not while one is being written).
    int OpenEntryById(std::uint32_t id) override;
    int OpenEntry(std::string_view name) override;

    [[nodiscard]] std::uint32_t SlotCount() const { return slotCount; }
    [[nodiscard]] std::uint32_t NameCapacity() const { return nameCapacity; }
    [[nodiscard]] std::uint32_t NameBytesUsed() const;

private:
    int AddMember(VolumeEntry key, std::uint8_t compression, std::uint32_t size, bool precoded);
    int FinishMember();
    void DropVolume();

    FileRWStream file;
    BlockRWStream writeBlock;
    RLEWStream rleWriter;
    LZHWStream lzhWriter;
    StreamIO* writer = nullptr;  // the stream a member's bytes go to while one is being written
    VolumeEntry pending;         // the member being written
    std::uint32_t pendingWritten = 0;
    bool pendingInPlace = false;
    bool pendingPrecoded = false;  // the member's bytes arrive coded
    int writeFailed = 0;

    std::uint32_t slotCount = 0;
    std::uint32_t nameCapacity = 0;  // name bytes the "vols" body holds after its u32
    std::uint32_t volsBody = 0;      // file offset of the "vols" body, 0 when none
    std::uint32_t voliBody = 0;      // file offset of the "voli" body
    std::uint64_t fileEnd = 0;       // where the next member goes
};

}  // namespace core
