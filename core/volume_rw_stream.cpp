// The writing side of volume archives: creating a volume, adding members, rewriting the index.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/endian.h"
#include "core/volume_stream.h"
#include "win/file_api.h"

namespace core {

namespace {

// Sizes are 31-bit in a block header, and positions 31-bit in a stream.
constexpr std::uint64_t kMaxVolumeBytes = 0x7FFFFFFFu;

std::uint64_t Pad4(std::uint64_t n) {
    return (n + 3) & ~std::uint64_t{3};
}

void PutBlockHeader(std::vector<std::uint8_t>& out, std::uint32_t tag, std::uint32_t size) {
    const std::size_t at = out.size();
    out.resize(at + 8);
    WriteU32(out.data() + at, tag);
    WriteU32(out.data() + at + 4, size | kBlockPadTo4);
}

// Reads a block header of the file at `at`.
bool ReadHeader(StreamIO& file, std::uint64_t at, std::uint32_t& tag, std::uint64_t& size,
                std::uint64_t& next) {
    if (at > kMaxVolumeBytes) return false;
    std::uint8_t bytes[8];
    if (!file.SetPosition(static_cast<std::int32_t>(at)) || !file.Read(8, bytes)) return false;
    tag = ReadU32(bytes);
    const std::uint32_t word = ReadU32(bytes + 4);
    size = word & kBlockSizeMask;
    next = at + 8 + BlockPaddedSize(word);
    return true;
}

// True when `size` bytes at `at` lie inside the file, checked before anything is allocated for
// them (a damaged size word must not make us allocate gigabytes).
bool InsideFile(StreamIO& file, std::uint64_t at, std::uint64_t size) {
    if (size == 0) return true;
    if (at + size > kMaxVolumeBytes) return false;
    std::uint8_t last = 0;
    return file.SetPosition(static_cast<std::int32_t>(at + size - 1)) && file.Read(1, &last);
}

}  // namespace

VolumeRWStream::VolumeRWStream() {
    writable = true;
}

VolumeRWStream::~VolumeRWStream() {
    if (volumeOpen) CloseVolume();
}

void VolumeRWStream::DropVolume() {
    CloseMember();
    currentEntry = nullptr;
    writer = nullptr;
    file.Close();
    entries.clear();
    volumeOpen = false;
    slotCount = nameCapacity = volsBody = voliBody = 0;
    fileEnd = 0;
    writeFailed = 0;
}

std::uint32_t VolumeRWStream::NameBytesUsed() const {
    std::uint32_t used = 0;
    for (const VolumeEntry& e : entries) {
        if (e.named) used += static_cast<std::uint32_t>(e.name.size()) + 1;
    }
    return used;
}

int VolumeRWStream::CreateVolume(std::string_view path, std::uint32_t capacity,
                                 std::uint32_t slots) {
    if (volumeOpen) CloseVolume();
    DropVolume();
    const std::uint64_t names = Pad4(capacity);
    const std::uint64_t index = std::uint64_t{slots} * kVolumeEntryBytes;
    if (names + 4 > kMaxVolumeBytes || index > kMaxVolumeBytes ||
        32 + names + 4 + Pad4(index) > kMaxVolumeBytes) {
        return 0;
    }
    // "VOL " { "volh" (empty), "vols" (u32 in use, then room for the names), "voli" (free
    // slots) }, written in one go.
    std::vector<std::uint8_t> bytes;
    const std::uint64_t volBody = 8 + 4 + names + 8 + Pad4(index);
    PutBlockHeader(bytes, kTagVol, static_cast<std::uint32_t>(8 + volBody));
    PutBlockHeader(bytes, kTagVolh, 0);
    PutBlockHeader(bytes, kTagVols, static_cast<std::uint32_t>(4 + names));
    bytes.resize(bytes.size() + 4 + names, 0);
    PutBlockHeader(bytes, kTagVoli, static_cast<std::uint32_t>(index));
    const std::size_t slotsAt = bytes.size();
    bytes.resize(slotsAt + Pad4(index), 0);
    for (std::uint32_t i = 0; i < slots; ++i) {
        WriteU32(bytes.data() + slotsAt + std::size_t{i} * kVolumeEntryBytes, kVolumeFreeSlot);
    }
    // A new volume replaces whatever file was there, so nothing old survives past its end.
    if (!file.OpenTruncated(path)) return 0;
    if (!file.Write(static_cast<std::uint32_t>(bytes.size()), bytes.data())) {
        file.Close();
        return 0;
    }
    slotCount = slots;
    nameCapacity = static_cast<std::uint32_t>(names);
    volsBody = 24;
    voliBody = static_cast<std::uint32_t>(slotsAt);
    fileEnd = bytes.size();
    volumeOpen = true;
    return 1;
}

int VolumeRWStream::OpenVolume(std::string_view path) {
    if (volumeOpen) CloseVolume();
    DropVolume();
    if (!file.Open(path)) return 0;
    std::uint32_t tag = 0;
    std::uint64_t size = 0;
    std::uint64_t next = 0;
    std::uint64_t volEnd = 0;
    bool ok = ReadHeader(file, 0, tag, size, volEnd) && tag == kTagVol;
    ok = ok && ReadHeader(file, 8, tag, size, next) && tag == kTagVolh;
    std::uint64_t at = next;  // the header of the block after "volh"
    ok = ok && ReadHeader(file, at, tag, size, next);
    std::vector<char> names;
    if (ok && tag == kTagVols) {
        if (size < 4) {
            ok = false;
        } else {
            volsBody = static_cast<std::uint32_t>(at + 8);
            nameCapacity = static_cast<std::uint32_t>(size - 4);
            ok = InsideFile(file, volsBody, size);
            if (ok) names.resize(nameCapacity);
            ok = ok && file.SetPosition(static_cast<std::int32_t>(volsBody + 4)) &&
                 (nameCapacity == 0 || file.Read(nameCapacity, names.data()));
            at = next;
            ok = ok && ReadHeader(file, at, tag, size, next);
        }
    }
    std::vector<std::uint8_t> index;
    if (ok && tag == kTagVoli) {
        voliBody = static_cast<std::uint32_t>(at + 8);
        slotCount = static_cast<std::uint32_t>(size / kVolumeEntryBytes);
        ok = InsideFile(file, voliBody, size);
        if (ok) index.resize(std::size_t{slotCount} * kVolumeEntryBytes);
        ok = ok && file.SetPosition(static_cast<std::int32_t>(voliBody)) &&
             (index.empty() || file.Read(static_cast<std::uint32_t>(index.size()), index.data()));
    } else {
        ok = false;
    }
    if (!ok) {
        DropVolume();
        return 0;
    }
    fileEnd = std::max(volEnd, next);
    for (std::uint32_t i = 0; i < slotCount; ++i) {
        const std::uint8_t* p = index.data() + std::size_t{i} * kVolumeEntryBytes;
        VolumeEntry e;
        e.id = ReadU32(p);
        e.offset = ReadU32(p + 4);
        e.size = ReadU32(p + 8);
        e.compression = p[12];
        if (e.id == kVolumeFreeSlot || p[13] > 1) continue;
        e.named = p[13] == 1;
        if (e.named) {
            if (e.id >= names.size()) continue;
            const char* start = names.data() + e.id;
            const void* nul = std::memchr(start, 0, names.size() - e.id);
            if (!nul) continue;
            e.name.assign(start, static_cast<const char*>(nul));
        }
        std::uint64_t blockEnd = 0;
        if (!ReadHeader(file, e.offset, tag, size, blockEnd) || tag != kTagVblk) continue;
        fileEnd = std::max(fileEnd, blockEnd);
        entries.push_back(std::move(e));
    }
    SortIndex();
    volumeOpen = true;
    return 1;
}

namespace {

VolumeEntry NamedKey(std::string_view name) {
    VolumeEntry key;
    key.named = true;
    key.name.assign(name);
    key.id = 0;
    return key;
}

VolumeEntry NumberedKey(std::uint32_t id) {
    VolumeEntry key;
    key.id = id;
    return key;
}

}  // namespace

int VolumeRWStream::AddEntry(std::string_view name, std::uint8_t compression, std::uint32_t size) {
    return AddMember(NamedKey(name), compression, size, false);
}

int VolumeRWStream::AddEntryById(std::uint32_t id, std::uint8_t compression, std::uint32_t size) {
    return AddMember(NumberedKey(id), compression, size, false);
}

int VolumeRWStream::AddCodedEntry(std::string_view name, std::uint8_t compression,
                                  std::uint32_t size) {
    return AddMember(NamedKey(name), compression, size, true);
}

int VolumeRWStream::AddCodedEntryById(std::uint32_t id, std::uint8_t compression,
                                      std::uint32_t size) {
    return AddMember(NumberedKey(id), compression, size, true);
}

int VolumeRWStream::AddMember(VolumeEntry key, std::uint8_t compression, std::uint32_t size,
                              bool precoded) {
    if (!volumeOpen) return 0;
    if (writer) FinishMember();
    CloseMember();
    currentEntry = nullptr;
    if (compression != kVolumeStored && compression != kVolumeRunLength &&
        compression != kVolumeLzh) {
        return 0;
    }
    if (key.named) {
        if (key.name.empty() || key.name.find('\0') != std::string::npos || volsBody == 0) return 0;
    } else if (key.id == kVolumeFreeSlot) {
        return 0;
    }
    const VolumeEntry* old = key.named ? FindNamedEntry(key.name) : FindEntry(key.id);

    // A stored member of unchanged size is rewritten inside its old block.
    if (compression == kVolumeStored) precoded = false;
    pendingPrecoded = precoded;
    if (old && compression == kVolumeStored && old->compression == kVolumeStored &&
        old->size == size && size != 0) {
        if (!file.SetPosition(static_cast<std::int32_t>(old->offset)) ||
            !writeBlock.OpenExistingExpect(&file, kTagVblk)) {
            return 0;
        }
        pending = *old;
        pendingInPlace = true;
        pendingWritten = 0;
        writer = &writeBlock;
        return 1;
    }

    // Otherwise the member goes to the end of the file, into a slot of its own.
    const std::size_t freeSlots = slotCount - entries.size() + (old ? 1 : 0);
    if (freeSlots == 0) return 0;
    if (key.named) {
        const std::uint64_t freed = old ? old->name.size() + 1 : 0;
        if (std::uint64_t{NameBytesUsed()} - freed + key.name.size() + 1 > nameCapacity) return 0;
    }
    if (fileEnd + 8 + Pad4(size) > kMaxVolumeBytes) return 0;
    if (old) entries.erase(entries.begin() + (old - entries.data()));

    if (!file.SetPosition(static_cast<std::int32_t>(fileEnd))) return 0;
    // A stored member declares its size; a coded one learns its stored size when it is closed.
    const std::uint32_t declared = compression == kVolumeStored ? size : 0;
    if (!writeBlock.Open(&file, kTagVblk, declared, 1)) return 0;
    pending = std::move(key);
    pending.offset = static_cast<std::uint32_t>(fileEnd);
    pending.size = size;
    pending.compression = compression;
    pendingInPlace = false;
    pendingWritten = 0;
    writer = &writeBlock;
    if (precoded) return 1;
    if (compression == kVolumeRunLength) {
        rleWriter.Open(&writeBlock);
        writer = &rleWriter;
    } else if (compression == kVolumeLzh) {
        lzhWriter.Open(&writeBlock);
        writer = &lzhWriter;
    }
    return 1;
}

int VolumeRWStream::Write(std::uint32_t count, const void* src) {
    if (!writer) return 0;
    if (!writer->Write(count, src)) {
        writeFailed = 1;
        return 0;
    }
    pendingWritten += count;
    return 1;
}

std::uint32_t VolumeRWStream::GetCapability(std::uint32_t kind) {
    if (writer) return writer->GetCapability(kind);
    return VolumeStream::GetCapability(kind);
}

std::int32_t VolumeRWStream::GetStatus() {
    if (writer) return writer->GetStatus();
    return VolumeStream::GetStatus();
}

int VolumeRWStream::CloseEntry() {
    return writer ? FinishMember() : 0;
}

void VolumeRWStream::Close() {
    if (writer) {
        FinishMember();
    } else {
        CloseMember();
    }
}

int VolumeRWStream::FinishMember() {
    StreamIO* w = writer;
    writer = nullptr;
    bool ok = w->GetStatus() == kStreamOk;
    const bool stored = pending.compression == kVolumeStored;
    if (!stored && !pendingPrecoded) {
        // Finishing the code pushes out the pending run or bits; the writer then forgets the block.
        ok = w->Flush() != 0 && ok;
        w->Close();
        ok = ok && writeBlock.GetStatus() == kStreamOk;
    } else if (stored && pending.size != 0 && pendingWritten < pending.size) {
        // A stored member shorter than declared is filled with zeros, so its block lies whole
        // inside the file.
        static const std::uint8_t zeros[256] = {};
        std::uint32_t left = pending.size - pendingWritten;
        while (ok && left > 0) {
            const std::uint32_t n = left < sizeof zeros ? left : sizeof zeros;
            ok = writeBlock.Write(n, zeros) != 0;
            left -= n;
        }
    }
    const std::uint64_t bodyStart = std::uint64_t{pending.offset} + 8;
    std::uint64_t storedSize = 0;
    if (ok) storedSize = std::uint64_t{writeBlock.GetPosition()};
    writeBlock.Close();
    if (!ok) {
        writeFailed = 1;
        // The member's slot stays free; its bytes are dead space in the file.
        if (pendingInPlace) {
            auto it = std::find_if(entries.begin(), entries.end(), [&](const VolumeEntry& e) {
                return e.offset == pending.offset;
            });
            if (it != entries.end()) entries.erase(it);
        }
        return 0;
    }
    if (!pendingInPlace) {
        // The padding is written out, so the file ends exactly at the block's padded end.
        static const std::uint8_t pad[4] = {};
        const std::uint64_t padded = Pad4(storedSize);
        if (padded > storedSize) {
            if (!file.SetPosition(static_cast<std::int32_t>(bodyStart + storedSize)) ||
                !file.Write(static_cast<std::uint32_t>(padded - storedSize), pad)) {
                writeFailed = 1;
                return 0;
            }
        }
        fileEnd = bodyStart + padded;
        // A coded member learns its uncoded size from the bytes written through the coder; a
        // member that came coded was given it.
        if (!pendingPrecoded && (pending.compression != kVolumeStored || pending.size == 0))
            pending.size = pendingWritten;
        // Kept in index order as members come: after the last one it follows, so members added
        // in order cost no reordering.
        const auto at = std::upper_bound(entries.begin(), entries.end(), pending, VolumeEntryBefore);
        entries.insert(at, std::move(pending));
    }
    pending = VolumeEntry{};
    return 1;
}

int VolumeRWStream::OpenEntryById(std::uint32_t id) {
    if (writer) return 0;
    CloseMember();
    const VolumeEntry* entry = FindEntry(id);
    if (!entry || !volumeOpen) return 0;
    return OpenArchivedMember(*entry, file);
}

int VolumeRWStream::OpenEntry(std::string_view name) {
    if (writer) return 0;
    CloseMember();
    const VolumeEntry* entry = FindNamedEntry(name);
    if (!entry || !volumeOpen) return 0;
    return OpenArchivedMember(*entry, file);
}

int VolumeRWStream::CloseVolume() {
    if (!volumeOpen) return 0;
    if (writer) FinishMember();
    CloseMember();
    currentEntry = nullptr;
    bool ok = writeFailed == 0;

    // The name table: bytes in use, then the names in index order; each named entry's first
    // field becomes its name's offset.
    std::vector<std::uint8_t> index(std::size_t{slotCount} * kVolumeEntryBytes, 0);
    std::vector<std::uint8_t> names(4 + std::size_t{nameCapacity}, 0);
    std::uint32_t used = 0;
    std::size_t slot = 0;
    for (const VolumeEntry& e : entries) {
        std::uint32_t first = e.id;
        if (e.named) {
            // Only a damaged volume whose names overlap can hold more names than fit; those
            // entries are lost rather than written past the table.
            if (std::uint64_t{used} + e.name.size() + 1 > nameCapacity) {
                ok = false;
                continue;
            }
            first = used;
            std::copy(e.name.begin(), e.name.end(), names.begin() + 4 + used);
            used += static_cast<std::uint32_t>(e.name.size()) + 1;
        }
        std::uint8_t* p = index.data() + slot * kVolumeEntryBytes;
        WriteU32(p, first);
        WriteU32(p + 4, e.offset);
        WriteU32(p + 8, e.size);
        p[12] = e.compression;
        p[13] = e.named ? 1 : 0;
        ++slot;
    }
    for (; slot < slotCount; ++slot)
        WriteU32(index.data() + slot * kVolumeEntryBytes, kVolumeFreeSlot);
    WriteU32(names.data(), used);

    if (volsBody != 0) {
        ok = file.SetPosition(static_cast<std::int32_t>(volsBody)) &&
             file.Write(static_cast<std::uint32_t>(names.size()), names.data()) && ok;
    }
    if (!index.empty()) {
        ok = file.SetPosition(static_cast<std::int32_t>(voliBody)) &&
             file.Write(static_cast<std::uint32_t>(index.size()), index.data()) && ok;
    }
    // The file ends with the last member's block.
    ok = file.SetPosition(static_cast<std::int32_t>(fileEnd)) && file.Truncate() && ok;
    file.Close();
    ok = file.GetStatus() == kStreamClosed && ok;
    DropVolume();
    return ok ? 1 : 0;
}

}  // namespace core
