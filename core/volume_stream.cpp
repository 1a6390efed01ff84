// The volume index, member streams and the reading side of volume archives.
#include "core/volume_stream.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/endian.h"
#include "platform/file_system.h"
#include "win/file_api.h"

namespace core {

namespace {

// The most uncoded bytes any member code yields per stored byte.
constexpr std::uint64_t kMaxCodeExpansion = 64;

// Stream positions are 31-bit, so larger files cannot be volumes.
constexpr std::size_t kMaxMappedVolume = 0x7FFFFFFFu;

// A block header found inside the mapped file; everything computed in 64 bits so that sizes near
// 2^32 cannot wrap.
struct BlockHeader {
    std::uint32_t tag = 0;
    std::uint64_t body = 0;  // file offset of the body
    std::uint64_t size = 0;  // body size
    std::uint64_t next = 0;  // file offset just past the padding
};

bool ReadBlockHeader(const std::uint8_t* data, std::uint64_t fileSize, std::uint64_t at,
                     BlockHeader& header) {
    if (at > fileSize || fileSize - at < 8) return false;
    header.tag = ReadU32(data + at);
    const std::uint32_t word = ReadU32(data + at + 4);
    header.size = word & kBlockSizeMask;
    header.body = at + 8;
    if (header.size > fileSize - header.body) return false;
    header.next = header.body + BlockPaddedSize(word);
    return true;
}

// Fills in the name of a named entry and checks that the entry can be read: the name lies inside
// the table and ends with a NUL before its end; the member's "VBLK" header and body lie inside
// the file; a stored member is as large as the index says, a coded one no larger than its code
// can give.
bool ValidEntry(const std::uint8_t* data, std::uint64_t fileSize, const std::uint8_t* names,
                std::uint64_t namesSize, std::uint8_t kind, VolumeEntry& e) {
    if (kind > 1) return false;
    e.named = kind == 1;
    if (e.named) {
        if (!names || e.id >= namesSize) return false;
        const auto* start = reinterpret_cast<const char*>(names + e.id);
        const void* nul = std::memchr(start, 0, static_cast<std::size_t>(namesSize - e.id));
        if (!nul) return false;
        e.name.assign(start, static_cast<const char*>(nul));
    }
    BlockHeader vblk;
    if (!ReadBlockHeader(data, fileSize, e.offset, vblk) || vblk.tag != kTagVblk) return false;
    const std::uint64_t room = vblk.size != 0 ? vblk.size : fileSize - vblk.body;
    if (e.compression == kVolumeStored && e.size > room) return false;
    // No code gives more than 64 bytes per stored byte (a run-length pair at most 127, an LZH
    // match of 60 bytes at least 10 bits), so a larger uncoded size is a damaged index: the LZH
    // decoder would make it up from zero bits, and readers would size their buffers by it.
    if (e.compression != kVolumeStored && e.size > room * kMaxCodeExpansion) return false;
    return true;
}

// Binary search of the sorted index: `order(e)` is below zero when `e` sorts before the key,
// zero at it and above zero after it.
template <class Order>
const VolumeEntry* SearchEntries(const std::vector<VolumeEntry>& entries, Order order) {
    std::size_t lo = 0;
    std::size_t hi = entries.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        const VolumeEntry& e = entries[mid];
        const int o = order(e);
        if (o < 0) {
            lo = mid + 1;
        } else if (o > 0) {
            hi = mid;
        } else {
            return &e;
        }
    }
    return nullptr;
}
}  // namespace

int CompareNamesNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool VolumeEntryBefore(const VolumeEntry& a, const VolumeEntry& b) {
    const bool freeA = a.id == kVolumeFreeSlot && !a.named;
    const bool freeB = b.id == kVolumeFreeSlot && !b.named;
    if (freeA != freeB) return freeB;
    if (a.named != b.named) return a.named;
    if (a.named) return CompareNamesNoCase(a.name, b.name) < 0;
    return a.id < b.id;
}

std::string VolumeIdPattern(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X.*", id);
    return text;
}

// ---------------------------------------------------------------------------------------------
// VolumeMemberStream

void VolumeMemberStream::Open(StreamIO* source, std::uint32_t size) {
    inner = source;
    limit = size;
    position = 0;
    lastCount = 0;
    status = source ? source->GetStatus() : kStreamNoSource;
}

std::uint32_t VolumeMemberStream::GetPosition() {
    return inner ? position : 0;
}

int VolumeMemberStream::SetPosition(std::int32_t pos) {
    if (!inner) return 0;
    if (status != kStreamOk && status != kStreamEnd) return 0;
    if (pos < 0) {
        status = kStreamNotAllowed;
        return 0;
    }
    std::uint32_t target = static_cast<std::uint32_t>(pos);
    const bool clipped = target > limit;
    if (clipped) target = limit;
    if (!inner->SetPosition(static_cast<std::int32_t>(target))) {
        status = inner->GetStatus();
        if (status == kStreamOk) status = kStreamIOError;
        return 0;
    }
    position = target;
    status = clipped ? kStreamEnd : kStreamOk;
    return 1;
}

std::uint32_t VolumeMemberStream::GetCapability(std::uint32_t kind) {
    return inner ? inner->GetCapability(kind) : 0;
}

int VolumeMemberStream::Read(std::uint32_t count, void* dst) {
    if (!inner) return 0;
    // Like a block stream, a clipped read leaves status 2 and reading may go on up to the end.
    if (status != kStreamOk && status != kStreamEnd) return 0;
    if (count == 0) {
        lastCount = 0;
        return 1;
    }
    std::uint32_t n = count;
    if (n > limit - position) {
        n = limit - position;
        status = kStreamEnd;
        if (n == 0) {
            lastCount = 0;
            return 0;
        }
    }
    if (!inner->Read(n, dst)) {
        const std::int32_t innerStatus = inner->GetStatus();
        status = innerStatus == kStreamOk ? kStreamIOError : innerStatus;
        lastCount = inner->GetLastCount();
        return 0;
    }
    // A stored member's block may itself clip (a block shorter than the index says).
    const std::uint32_t moved = inner->GetLastCount() < n ? inner->GetLastCount() : n;
    if (moved < n) status = kStreamEnd;
    position += moved;
    lastCount = moved;
    return moved > 0 ? 1 : 0;
}

int VolumeMemberStream::Write(std::uint32_t, const void*) {
    status = kStreamNotAllowed;
    return 0;
}

void VolumeMemberStream::Close() {
    if (inner) inner->Close();
    inner = nullptr;
    position = 0;
    status = kStreamClosed;
}

// ---------------------------------------------------------------------------------------------
// VolumeStream

VolumeStream::VolumeStream() = default;
VolumeStream::~VolumeStream() = default;

std::int32_t VolumeStream::GetStatus() {
    return currentEntry ? currentEntry->GetStatus() : kStreamNoSource;
}

std::uint32_t VolumeStream::GetPosition() {
    return currentEntry ? currentEntry->GetPosition() : 0;
}

int VolumeStream::SetPosition(std::int32_t pos) {
    return currentEntry ? currentEntry->SetPosition(pos) : 0;
}

std::uint32_t VolumeStream::GetCapability(std::uint32_t kind) {
    return currentEntry ? currentEntry->GetCapability(kind) : 0;
}

int VolumeStream::Flush() {
    return 1;
}

int VolumeStream::Write(std::uint32_t, const void*) {
    return 0;
}

int VolumeStream::Read(std::uint32_t count, void* dst) {
    if (!currentEntry) return 0;
    const int ok = currentEntry->Read(count, dst);
    lastCount = currentEntry->GetLastCount();
    return ok;
}

void VolumeStream::Close() {
    CloseMember();
}

void VolumeStream::CloseMember() {
    if (!currentEntry) return;
    // Closing the member closes the coder and the "VBLK" reader under it.
    currentEntry->Close();
    rle.Close();
    lzh.Close();
    memberBlock.Close();
}

std::int64_t VolumeStream::GetEntrySizeById(std::uint32_t id) {
    const VolumeEntry* entry = FindEntry(id);
    return entry ? std::int64_t{entry->size} : -1;
}

std::int64_t VolumeStream::GetEntrySize(std::string_view name) {
    const VolumeEntry* entry = FindNamedEntry(name);
    return entry ? std::int64_t{entry->size} : -1;
}

const VolumeEntry* VolumeStream::FindEntry(std::uint32_t id) const {
    // Named entries come first and count as smaller than any number.
    return SearchEntries(entries, [id](const VolumeEntry& e) {
        if (e.named || e.id < id) return -1;
        return e.id > id ? 1 : 0;
    });
}

const VolumeEntry* VolumeStream::FindNamedEntry(std::string_view name) const {
    // Numbered entries come last and count as larger than any name.
    return SearchEntries(entries, [name](const VolumeEntry& e) {
        return e.named ? CompareNamesNoCase(e.name, name) : 1;
    });
}

const std::uint8_t* VolumeStream::GetEntryData(std::uint32_t id) const {
    const VolumeEntry* entry = FindEntry(id);
    if (!view || !entry || entry->size == 0) return nullptr;
    return view + std::uint64_t{entry->offset} + 8;
}

const std::uint8_t* VolumeStream::GetEntryData(std::string_view name) const {
    const VolumeEntry* entry = FindNamedEntry(name);
    if (!view || !entry || entry->size == 0) return nullptr;
    return view + std::uint64_t{entry->offset} + 8;
}

void VolumeStream::SortIndex() {
    std::stable_sort(entries.begin(), entries.end(), VolumeEntryBefore);
}

int VolumeStream::OpenArchivedMember(const VolumeEntry& entry, StreamIO& source) {
    if (entry.compression != kVolumeStored && entry.compression != kVolumeRunLength &&
        entry.compression != kVolumeLzh) {
        return 0;
    }
    if (entry.offset > static_cast<std::uint32_t>(INT32_MAX)) return 0;
    if (!source.SetPosition(static_cast<std::int32_t>(entry.offset))) return 0;
    if (!memberBlock.OpenExpect(&source, kTagVblk)) return 0;
    StreamIO* decoded = &memberBlock;
    if (entry.compression == kVolumeRunLength) {
        rle.Open(&memberBlock);
        decoded = &rle;
    } else if (entry.compression == kVolumeLzh) {
        lzh.Open(&memberBlock);
        decoded = &lzh;
    }
    member.Open(decoded, entry.size);
    currentEntry = &member;
    return currentEntry->GetStatus() == kStreamOk ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// VolumeRStream

VolumeRStream::VolumeRStream() = default;

VolumeRStream::~VolumeRStream() {
    FreeIndex();
}

void VolumeRStream::FreeIndex() {
    CloseMember();
    currentEntry = nullptr;
    memory.Close();
    mapping.Unmap();
    view = nullptr;
    viewSize = 0;
    entries.clear();
    droppedEntries = 0;
    indexWasSorted = true;
    volumeOpen = false;
}

std::int64_t VolumeRStream::GetStoredSize(const VolumeEntry& entry) const {
    if (!view || std::uint64_t{entry.offset} + 8 > viewSize) return -1;
    return ReadU32(view + entry.offset + 4) & kBlockSizeMask;
}

int VolumeRStream::OpenVolume(std::string_view path) {
    FreeIndex();
    // The whole volume is mapped once; index lookups and member reads never touch the file.
    if (!mapping.Map(path) || mapping.Size() == 0 || mapping.Size() > kMaxMappedVolume) {
        mapping.Unmap();
        return 0;
    }
    view = mapping.Data();
    viewSize = static_cast<std::uint32_t>(mapping.Size());
    if (!LoadIndex()) {
        FreeIndex();
        return 0;
    }
    // Checking the index touched every member's header. Those pages stay mapped (clean pages of
    // the file, which the system can take back): dropping them made every member read fault
    // them in again, about a sixth of the processor time of a start.
    memory.OpenReadOnly(viewSize, view);
    volumeOpen = true;
    return 1;
}

int VolumeRStream::LoadIndex() {
    const std::uint8_t* data = view;
    const std::uint64_t fileSize = viewSize;
    BlockHeader vol;
    if (!ReadBlockHeader(data, fileSize, 0, vol) || vol.tag != kTagVol) return 0;
    BlockHeader head;
    if (!ReadBlockHeader(data, fileSize, vol.body, head) || head.tag != kTagVolh) return 0;
    BlockHeader block;
    if (!ReadBlockHeader(data, fileSize, head.next, block)) return 0;
    const std::uint8_t* names = nullptr;
    std::uint64_t namesSize = 0;
    if (block.tag == kTagVols) {
        // The name table starts with the count of name bytes in use; the names follow it.
        if (block.size < 4) return 0;
        names = data + block.body + 4;
        namesSize = block.size - 4;
        if (!ReadBlockHeader(data, fileSize, block.next, block)) return 0;
    }
    if (block.tag != kTagVoli) return 0;
    const std::uint64_t count = block.size / kVolumeEntryBytes;
    entries.clear();
    entries.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* p = data + block.body + i * kVolumeEntryBytes;
        VolumeEntry e;
        e.id = ReadU32(p);
        e.offset = ReadU32(p + 4);
        e.size = ReadU32(p + 8);
        e.compression = p[12];
        if (e.id == kVolumeFreeSlot) continue;
        if (!ValidEntry(data, fileSize, names, namesSize, p[13], e)) {
            ++droppedEntries;
            continue;
        }
        if (!entries.empty() && VolumeEntryBefore(e, entries.back())) indexWasSorted = false;
        entries.push_back(std::move(e));
    }
    // A well-made index is already in order; sorting again costs little and keeps the binary
    // searches right for one that is not.
    SortIndex();
    return 1;
}

bool VolumeRStream::FindLooseFile(std::string_view pattern, std::string& path,
                                  std::uint32_t& size) const {
    if (!looseDirs) return false;
    // A member name may carry a sub-folder; the search pattern's folder part is kept for the path.
    std::string_view subFolder;
    const std::size_t slash = pattern.find_last_of("\\/");
    if (slash != std::string_view::npos) subFolder = pattern.substr(0, slash + 1);
    std::string_view list = *looseDirs;
    for (;;) {
        const std::size_t semi = list.find(';');
        const std::string_view dir = list.substr(0, semi);
        std::string prefix;
        if (!dir.empty()) {
            prefix.assign(dir);
            if (prefix.back() != '\\' && prefix.back() != '/') prefix.push_back('\\');
        }
        // Searching by a path beside the folder leaves the current folder alone; a folder that
        // does not exist simply finds nothing.
        win::FindData found;
        win::FindHandle search = win::FindFirstFile(prefix + std::string(pattern), &found);
        if (search.IsValid()) {
            bool hit = false;
            do {
                if (!(found.fileAttributes & win::FILE_ATTRIBUTE_DIRECTORY)) {
                    hit = true;
                    break;
                }
            } while (win::FindNextFile(search, &found));
            win::FindClose(search);
            if (hit) {
                path = prefix + std::string(subFolder) + found.fileName;
                size = found.fileSizeLow;
                return true;
            }
        }
        if (semi == std::string_view::npos) break;
        list.remove_prefix(semi + 1);
    }
    return false;
}

int VolumeRStream::OpenLooseFile(const std::string& path) {
    CloseMember();
    // The file gate opens only a plain file (a pipe would wait, a device never ends); its size
    // is taken from the open file, so what is read is what was measured.
    std::uint32_t error = platform::kFileOk;
    if (looseFile.Open(path) && looseFile.GetStatus() == kStreamOk) {
        std::uint32_t high = 0;
        const std::uint32_t low = win::GetFileSize(looseFile.GetHandle(), &high);
        const std::uint64_t size = (static_cast<std::uint64_t>(high) << 32) | low;
        if (low == win::INVALID_FILE_SIZE && win::GetLastError() != win::ERROR_SUCCESS)
            error = platform::kReadFault;
        else if (size > looseLimit)
            error = platform::kFileTooLarge;
        if (error == platform::kFileOk) {
            currentEntry = &looseFile;
            openedLoose = path;
            return 1;
        }
        looseFile.Close();
    } else {
        error = win::GetLastError();
        if (error == platform::kFileOk) error = platform::kReadFault;
    }
    refusedLoose = path;
    refusedError = error;
    return 0;
}

int VolumeRStream::OpenEntry(std::string_view name) {
    refusedLoose.clear();
    openedLoose.clear();
    std::string path;
    std::uint32_t size = 0;
    if (FindLooseFile(name, path, size)) return OpenLooseFile(path);
    CloseMember();
    const VolumeEntry* entry = FindNamedEntry(name);
    if (!entry || !volumeOpen) return 0;
    return OpenArchivedMember(*entry, memory);
}

int VolumeRStream::OpenEntryById(std::uint32_t id) {
    refusedLoose.clear();
    openedLoose.clear();
    std::string path;
    std::uint32_t size = 0;
    if (FindLooseFile(VolumeIdPattern(id), path, size)) return OpenLooseFile(path);
    CloseMember();
    const VolumeEntry* entry = FindEntry(id);
    if (!entry || !volumeOpen) return 0;
    return OpenArchivedMember(*entry, memory);
}

std::int64_t VolumeRStream::GetEntrySize(std::string_view name) {
    std::string path;
    std::uint32_t size = 0;
    if (FindLooseFile(name, path, size)) return size;
    return VolumeStream::GetEntrySize(name);
}

bool VolumeRStream::HasLooseMember(std::uint32_t id) const {
    std::string path;
    std::uint32_t size = 0;
    return FindLooseFile(VolumeIdPattern(id), path, size);
}

std::int64_t VolumeRStream::GetEntrySizeById(std::uint32_t id) {
    std::string path;
    std::uint32_t size = 0;
    if (FindLooseFile(VolumeIdPattern(id), path, size)) return size;
    return VolumeStream::GetEntrySizeById(id);
}

}  // namespace core
