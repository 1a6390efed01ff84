// An ordered set of bitmaps with an optional per-bitmap record of user data and an optional
// sorted table of identifiers for sparse sets: the glyph store of the fonts and the art store
// of the gauges, which address bitmaps by identifier. Stored as "PBMA" chunk files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/stream_io.h"
#include "gfx/bitmap.h"

namespace gfx {

// Read flag: expand a sparse array (one with an id table) to a dense one after reading.
inline constexpr std::uint32_t kArrayExpand = 0x20000000u;

class GFXBitmapArray {
public:
    GFXBitmapArray();
    virtual ~GFXBitmapArray();
    GFXBitmapArray(const GFXBitmapArray&) = delete;
    GFXBitmapArray& operator=(const GFXBitmapArray&) = delete;

    // Deletes every bitmap and the tables, leaving an empty array.
    void Clear();
    // The index of `id`: the id itself without an id table (callers bound it), else the
    // position found by binary search, -1 when missing.
    [[nodiscard]] std::int32_t IndexOf(std::int32_t id) const;
    // The bitmap of frame `id`: the index itself in a dense array, looked up in a sparse one;
    // null when the id is missing, out of range or its slot is empty.
    [[nodiscard]] const GFXBitmap* GetBitmapById(std::int32_t id) const;

    [[nodiscard]] static std::unique_ptr<GFXBitmapArray> LoadNew(std::string_view fileName,
                                                                 std::uint32_t flags = 0);
    [[nodiscard]] static std::unique_ptr<GFXBitmapArray> ReadNew(core::StreamIO& stream,
                                                                 std::uint32_t flags = 0);
    int Load(std::string_view fileName, std::uint32_t flags = 0);
    // Reads the array; the stream may start at the "PBMA" container or at its "head".
    int read(core::StreamIO& stream, std::uint32_t flags = 0);
    int Save(std::string_view fileName, std::uint32_t flags = 0) const;
    // Flags go on to each bitmap's Write (bit 0 writes their palettes); 1 when the stream's
    // status is 0 afterwards. An array with an empty slot cannot be stored and answers 0.
    int Write(core::StreamIO& stream, std::uint32_t flags = 0) const;
    // Bytes of the "PBMA" form written with `flags`, container header included.
    [[nodiscard]] std::uint32_t GetStoredSize(std::uint32_t flags = 0) const;

    // Building an array in memory (the program's tools make fonts and art this way).
    void Append(std::unique_ptr<GFXBitmap> bitmap);
    // Sets the user records (count x recordSize bytes) and the identifier table (count ids,
    // strictly ascending in 0..65535). 0 when the sizes or the order are wrong.
    int SetUserData(const std::uint8_t* records, std::int32_t recordSize);
    int SetIds(const std::int32_t* idTable);
    // Record `index` of the user data, or null.
    [[nodiscard]] const std::uint8_t* UserRecord(std::int32_t index) const;

    std::vector<std::unique_ptr<GFXBitmap>> bitmaps;  // count entries, null after expansion
    std::vector<std::uint8_t> userData;               // count x userStride bytes, or empty
    std::vector<std::int32_t> ids;                    // count ids ascending, or empty (dense)
    std::int32_t count = 0;
    std::int32_t userStride = 0;

protected:
    void Expand();
};

// Looked up for every glyph and sprite frame drawn: defined here so that the drawing loops
// inline them.
inline std::int32_t GFXBitmapArray::IndexOf(std::int32_t id) const {
    if (ids.empty()) return id;
    // Entries appended after the table was set have no identifier: only the table is searched.
    std::size_t n = std::min(ids.size(), static_cast<std::size_t>(std::max(count, 0)));
    if (n == 0) return -1;
    // The ids ascend strictly, so the id, when present, is the last one not above it. The
    // halving picks each half with a conditional move: a branch per step would mispredict about
    // every other time, and a sprite set's frames are looked up for every draw.
    const std::int32_t* base = ids.data();
    while (n > 1) {
        const std::size_t half = n / 2;
        base = base[half] <= id ? base + half : base;
        n -= half;
    }
    return *base == id ? static_cast<std::int32_t>(base - ids.data()) : -1;
}

inline const std::uint8_t* GFXBitmapArray::UserRecord(std::int32_t index) const {
    if (userStride <= 0 || index < 0 || index >= count) return nullptr;
    const std::size_t at = static_cast<std::size_t>(index) * userStride;
    if (at + userStride > userData.size()) return nullptr;
    return userData.data() + at;
}

}  // namespace gfx
