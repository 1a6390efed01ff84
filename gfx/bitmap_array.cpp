#include "gfx/bitmap_array.h"

#include <algorithm>
#include <cstring>

#include "core/file_stream.h"

namespace gfx {

namespace {

constexpr std::uint32_t kTagPBMA = core::FourCC("PBMA");
constexpr std::uint32_t kBitmapArrayTagHead = core::FourCC("head");
constexpr std::uint32_t kTagUser = core::FourCC("user");
constexpr std::uint32_t kTagRmap = core::FourCC("rmap");
constexpr std::uint32_t kBitmapArrayTagPBMP = core::FourCC("PBMP");
constexpr std::uint32_t kBitmapArrayNoHead = 0xFFFFFFFFu;

// Identifiers are 16-bit, so a set never holds more than 65536 entries.
constexpr std::uint32_t kMaxEntries = 65536;

bool IdsValid(const std::int32_t* ids, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (ids[i] < 0 || ids[i] > 65535) return false;
        if (i > 0 && ids[i] <= ids[i - 1]) return false;
    }
    return true;
}

}  // namespace

GFXBitmapArray::GFXBitmapArray() = default;
GFXBitmapArray::~GFXBitmapArray() = default;

void GFXBitmapArray::Clear() {
    bitmaps.clear();
    userData.clear();
    ids.clear();
    count = 0;
    userStride = 0;
}

void GFXBitmapArray::Append(std::unique_ptr<GFXBitmap> bitmap) {
    bitmaps.push_back(std::move(bitmap));
    count = static_cast<std::int32_t>(bitmaps.size());
    if (userStride > 0) userData.resize(static_cast<std::size_t>(count) * userStride);
}

int GFXBitmapArray::SetUserData(const std::uint8_t* records, std::int32_t recordSize) {
    if (recordSize < 0 || (recordSize > 0 && records == nullptr)) return 0;
    userStride = recordSize;
    userData.assign(records, records + static_cast<std::size_t>(count) * recordSize);
    return 1;
}

int GFXBitmapArray::SetIds(const std::int32_t* idTable) {
    if (idTable == nullptr) {
        ids.clear();
        return 1;
    }
    if (!IdsValid(idTable, static_cast<std::size_t>(count))) return 0;
    ids.assign(idTable, idTable + count);
    return 1;
}

const GFXBitmap* GFXBitmapArray::GetBitmapById(std::int32_t id) const {
    const std::int32_t index = IndexOf(id);
    if (index < 0 || index >= count || static_cast<std::size_t>(index) >= bitmaps.size())
        return nullptr;
    return bitmaps[static_cast<std::size_t>(index)].get();
}

// ---------------------------------------------------------------------------------------------
// Reading

std::unique_ptr<GFXBitmapArray> GFXBitmapArray::ReadNew(core::StreamIO& stream,
                                                        std::uint32_t flags) {
    auto a = std::make_unique<GFXBitmapArray>();
    if (!a->read(stream, flags)) return nullptr;
    return a;
}

std::unique_ptr<GFXBitmapArray> GFXBitmapArray::LoadNew(std::string_view fileName,
                                                        std::uint32_t flags) {
    auto a = std::make_unique<GFXBitmapArray>();
    if (!a->Load(fileName, flags)) return nullptr;
    return a;
}

int GFXBitmapArray::Load(std::string_view fileName, std::uint32_t flags) {
    core::FileRStream s;
    if (!s.Open(fileName)) return 0;
    return read(s, flags);
}

int GFXBitmapArray::read(core::StreamIO& s, std::uint32_t flags) {
    using namespace chunkio;
    Clear();
    std::uint32_t counter = kBitmapArrayNoHead;
    bool sawContainer = (flags & kReadInContainer) != 0;
    std::int32_t next = 0;
    auto fail = [this] {
        Clear();
        return 0;
    };
    while (counter != 0) {
        std::uint32_t tag = 0, size = 0;
        if (!ReadHeader(s, &tag, &size)) return fail();
        if (counter == kBitmapArrayNoHead) {
            // Nothing but the container may come before "head".
            if (tag == kTagPBMA && !sawContainer) {
                sawContainer = true;
                continue;
            }
            if (tag != kBitmapArrayTagHead || size != 8) return fail();
            std::uint32_t word = 0, n = 0;
            if (!ReadU32(s, &word) || !ReadU32(s, &n) || n > kMaxEntries) return fail();
            counter = word & 0xFFFFFFu;
            count = static_cast<std::int32_t>(n);
            bitmaps.resize(n);
            continue;
        }
        if (tag == kBitmapArrayTagPBMP) {
            if (next >= count) return fail();
            // The container's size word is not the length of what follows, so a bitmap is read
            // by its own chunks, on from its container's header; one that does not read leaves
            // no way to find the next, and the array fails. Never seeking back keeps a packed
            // stream decoding forward once.
            bitmaps[next] = GFXBitmap::ReadNew(s, (flags & ~kArrayExpand) | kReadInContainer);
            if (!bitmaps[next++]) return fail();
        } else if (tag == kTagRmap) {
            if (!ids.empty() || size != static_cast<std::uint64_t>(count) * 4) return fail();
            std::vector<std::uint8_t> raw(size);
            if (!ReadBytes(s, raw.data(), size)) return fail();
            ids.resize(static_cast<std::size_t>(count));
            for (std::int32_t i = 0; i < count; ++i)
                ids[i] = core::ReadI32(raw.data() + i * 4);
            if (!IdsValid(ids.data(), ids.size())) return fail();
        } else if (tag == kTagUser) {
            if (!userData.empty() || size > kMaxChunkBody) return fail();
            if (count == 0 ? size != 0 : size % static_cast<std::uint32_t>(count) != 0)
                return fail();
            userData.resize(size);
            if (!ReadBytes(s, userData.data(), size)) return fail();
            userStride = count == 0 ? 0 : static_cast<std::int32_t>(size / count);
        } else if (!Skip(s, size)) {
            return fail();
        }
        --counter;
    }
    if (next != count) return fail();
    if ((flags & kArrayExpand) && !ids.empty()) Expand();
    return 1;
}

void GFXBitmapArray::Expand() {
    const std::int32_t last = ids.back();
    std::vector<std::unique_ptr<GFXBitmap>> dense(static_cast<std::size_t>(last) + 1);
    std::vector<std::uint8_t> denseUser;
    if (userStride > 0) denseUser.assign((static_cast<std::size_t>(last) + 1) * userStride, 0);
    for (std::int32_t i = 0; i < count; ++i) {
        dense[ids[i]] = std::move(bitmaps[i]);
        if (userStride > 0) {
            std::memcpy(denseUser.data() + static_cast<std::size_t>(ids[i]) * userStride,
                        userData.data() + static_cast<std::size_t>(i) * userStride,
                        static_cast<std::size_t>(userStride));
        }
    }
    bitmaps = std::move(dense);
    userData = std::move(denseUser);
    ids.clear();
    count = last + 1;
}

// ---------------------------------------------------------------------------------------------
// Writing

std::uint32_t GFXBitmapArray::GetStoredSize(std::uint32_t flags) const {
    std::uint32_t n = 8 + 16;
    if (!userData.empty()) n += 8 + static_cast<std::uint32_t>(userData.size());
    if (!ids.empty()) n += 8 + 4 * static_cast<std::uint32_t>(count);
    for (const auto& b : bitmaps) {
        if (b) n += b->GetStoredSize(flags);
    }
    return n;
}

int GFXBitmapArray::Save(std::string_view fileName, std::uint32_t flags) const {
    return chunkio::SaveNewFile(fileName, [&](core::StreamIO& s) { return Write(s, flags); });
}

int GFXBitmapArray::Write(core::StreamIO& s, std::uint32_t flags) const {
    using namespace chunkio;
    if (static_cast<std::size_t>(count) != bitmaps.size()) return 0;
    // An identifier table must name every entry, or the file would not read back.
    if (!ids.empty() && ids.size() != bitmaps.size()) return 0;
    for (const auto& b : bitmaps) {
        if (!b || b->pixels == nullptr) return 0;
    }
    const std::uint32_t bitmapFlags = flags & ~(kBitmapWriteBmp | kArrayExpand);
    const bool withUser = !userData.empty();
    const bool withIds = !ids.empty();
    // The container's word counts each bitmap by its own container word; readers ignore it.
    std::uint32_t container = 16;
    if (withUser) container += 8 + static_cast<std::uint32_t>(userData.size());
    if (withIds) container += 8 + 4 * static_cast<std::uint32_t>(count);
    for (const auto& b : bitmaps)
        container += b->ContainerSize(bitmapFlags);
    WriteHeader(s, kTagPBMA, container);
    WriteHeader(s, kBitmapArrayTagHead, 8);
    WriteU32(s, static_cast<std::uint32_t>(count) + (withUser ? 1 : 0) + (withIds ? 1 : 0));
    WriteU32(s, static_cast<std::uint32_t>(count));
    if (withUser) {
        WriteHeader(s, kTagUser, static_cast<std::uint32_t>(userData.size()));
        WriteBytes(s, userData.data(), static_cast<std::uint32_t>(userData.size()));
    }
    if (withIds) {
        WriteHeader(s, kTagRmap, 4 * static_cast<std::uint32_t>(count));
        for (std::int32_t id : ids)
            WriteI32(s, id);
    }
    for (const auto& b : bitmaps)
        b->Write(s, bitmapFlags);
    return StreamOk(s) ? 1 : 0;
}

}  // namespace gfx
