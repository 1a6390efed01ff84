// The 256-colour palette of the drawing layer. It starts with a logical palette (version,
// count, entries) that the window system takes as it is, and carries the lookup tables of the
// rasterizer and the draw entries: shade rows, translucency rows, 16-bit colour words, light and
// blend tables, and the mask of entries the nearest-colour search may pick. Palettes are stored
// as "PPAL" chunk files or as RIFF "PAL " files.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/stream_io.h"
#include "gfx/bitmap_support.h"
#include "gfx/surface_types.h"

namespace gfx {

struct GFXPaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
};

inline bool operator==(const GFXPaletteEntry& a, const GFXPaletteEntry& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.flags == b.flags;
}

// Entry flag that keeps the window system from matching an entry to another (no collapse).
inline constexpr std::uint8_t kPaletteNoCollapse = 0x04;

// Write flag: RIFF "PAL " form instead of "PPAL".
inline constexpr std::uint32_t kPaletteWriteRiff = 0x80000000u;

// A Windows colour quad {blue, green, red, reserved}.
struct GFXColorQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
};

class GFXPalette {
public:
    GFXPalette();
    ~GFXPalette();
    GFXPalette(const GFXPalette&) = delete;
    GFXPalette& operator=(const GFXPalette&) = delete;

    // Files and streams. The creators answer null on failure (nothing half made is kept).
    [[nodiscard]] static std::unique_ptr<GFXPalette> LoadNew(std::string_view fileName);
    [[nodiscard]] static std::unique_ptr<GFXPalette> ReadNew(core::StreamIO& stream,
                                                             std::uint32_t flags = 0);
    int Load(std::string_view fileName, std::uint32_t flags = 0);
    int Read(core::StreamIO& stream, std::uint32_t flags = 0);
    int Save(std::string_view fileName, std::uint32_t flags = 0) const;
    // "PPAL" form, or RIFF with kPaletteWriteRiff; 1 when the stream's status is 0 afterwards.
    int Write(core::StreamIO& stream, std::uint32_t flags = 0) const;
    // Bytes of the "PPAL" form, container header included: the length of the file Write makes.
    [[nodiscard]] std::uint32_t GetStoredSize() const;

    // Entry copies.
    void SetEntries(const GFXPaletteEntry* source);
    void GetEntries(GFXPaletteEntry* destination) const;
    void SetEntriesFromQuads(const GFXColorQuad* source);
    void GetEntriesAsQuads(GFXColorQuad* destination) const;
    [[nodiscard]] static std::unique_ptr<GFXPalette> CreateFromEntries(
        const GFXPaletteEntry* entries);
    [[nodiscard]] static std::unique_ptr<GFXPalette> CreateFromQuads(const GFXColorQuad* quads);

    // Nearest of entries 10..244 to the colour packed as bytes red, green, blue (red lowest),
    // honouring the mask; the lowest index wins a tie.
    [[nodiscard]] std::int32_t FindNearest(std::uint32_t colour) const;
    [[nodiscard]] int IsAllowed(std::int32_t index) const;

    // Tables. SetShadeTable/SetTranslucentTable/SetNearestMask install tables made by the
    // program's own tools; the sizes must be those the file format implies.
    int SetShadeTable(std::int32_t shift, std::int32_t bits, const std::uint8_t* table);
    int SetTranslucentTable(std::int32_t first, std::int32_t levels, std::int32_t last,
                            const std::uint8_t* table, std::uint32_t size);
    void SetNearestMask(const std::uint8_t* mask32);
    void ClearTables();

    // 16-bit tables.
    void BuildColors16(const GFXPixelFormat& format);
    void BuildTextureColors16(std::int32_t mode);
    void BuildBlend16(const GFXPixelFormat& format);
    using LightCurve = double (*)(double);
    void BuildLightTables16(const GFXPixelFormat& format, std::int32_t lightBits,
                            std::int32_t hazeBits, GFXPaletteEntry haze,
                            LightCurve curve = nullptr);

    [[nodiscard]] std::uint32_t TranslucentTableSize() const { return translucentSize; }
    [[nodiscard]] std::uint32_t ShadeTableSize() const;
    // The shade rows from the row at `offset` bytes (a multiple of 256) into the table: at least
    // 65536 bytes, and at least the table's size, may be read from the result. Rows past the
    // table's end read as its last row (an offset past the end starts there), so a filler
    // addressing a whole haze level's 256 rows, or every level, never leaves the block. Null
    // without a table.
    [[nodiscard]] const std::uint8_t* ShadeRowsFrom(std::uint64_t offset) const;

    // The logical palette.
    std::uint16_t version = 0x300;
    std::uint16_t count = 256;
    GFXPaletteEntry entries[256];

    std::int32_t shadeShift = 0;
    std::int32_t shadeBits = 0;
    std::int32_t shadeLevel = 0;
    std::int32_t translucentFirst = 0;
    std::int32_t translucentLevels = 0;
    std::int32_t translucentLevel = 0;
    std::int32_t translucentLast = 0;
    // Aligned to 256 << shadeShift inside shadeAlloc, and followed by copies of its last row;
    // installed through SetShadeTable or the reader, which keep those copies.
    std::uint8_t* shadeTable = nullptr;
    // Counts the changes of the shade table's bytes (for tables derived from it).
    std::uint32_t shadeSerial = 0;
    std::uint8_t* translucentTable = nullptr;
    std::unique_ptr<GFXPixelFormat> format16;  // the format colors16 was built for
    std::uint32_t* colors16 = nullptr;         // 256 words, 1024-byte aligned
    std::uint32_t* textureColors16 = nullptr;  // 256 words, 1024-byte aligned
    std::uint32_t* light16Red = nullptr;       // rows of 256 words: [haze][light][entry]
    std::uint32_t* light16Green = nullptr;
    std::uint32_t* light16Blue = nullptr;
    std::int32_t light16Bits = 0;
    std::int32_t haze16Bits = 0;
    std::uint32_t* blend16 = nullptr;     // [level 0..15][entry 0..15][code 0..255]
    std::uint8_t* code16 = nullptr;       // 16-bit pixel -> 3-3-2 colour code
    std::uint8_t* nearestMask = nullptr;  // 32 bytes, or null

private:
    int ReadRiff(core::StreamIO& stream);
    // Writes the copies of the last shade row that follow the table (see ShadeRowsFrom); every
    // change of the table's bytes is followed by it.
    void PadShadeTable();

    AlignedBytes shadeAlloc;
    AlignedBytes translucentAlloc;
    std::uint32_t translucentSize = 0;
    AlignedBytes colors16Alloc;
    AlignedBytes textureColors16Alloc;
    AlignedBytes lightAlloc;
    std::size_t lightAllocSize = 0;
    GFXPixelFormat lightFormat;
    GFXPaletteEntry lightHaze;
    LightCurve lightCurve = nullptr;
    AlignedBytes blendAlloc;
    AlignedBytes codeAlloc;
    std::unique_ptr<std::uint8_t[]> maskAlloc;
};

// Copies entries first .. first + count - 1 of `from` into `into`, within 0..255.
void CopyPaletteEntries(GFXPalette* into, const GFXPalette* from, std::int32_t first,
                        std::int32_t count);

}  // namespace gfx
