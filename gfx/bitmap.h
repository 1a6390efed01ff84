// The plain pixel image of the drawing layer: cockpit art, gauge parts, font glyphs, textures
// and off-screen pictures. A bitmap owns (or borrows) a 16-byte aligned pixel buffer whose row
// stride is a multiple of 4, an optional palette, a flags word whose low bits say how the draw
// entries put its pixels, and up to nine detail levels stored after the full image. Bitmaps are
// read from Windows BMP files or "PBMP" chunk files and written in either form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "core/pool_alloc.h"
#include "core/stream_io.h"
#include "gfx/bitmap_support.h"
#include "gfx/palette.h"
#include "gfx/surface_types.h"

namespace gfx {

// Flags: the drawing mode in bits 0..2, and ownership of the pixels.
inline constexpr std::uint32_t kBitmapModeMask = 0x07;
inline constexpr std::uint32_t kBitmapTransparent = 1;
inline constexpr std::uint32_t kBitmapTranslucent = 4;  // 4 or 5
inline constexpr std::uint32_t kBitmapOwnsPixels = 0x08;

// Read flag: keep the palette ("PPAL" chunk or BMP colour table). Write flags: the same bit
// writes the palette into "PBMP"; kBitmapWriteBmp writes a Windows BMP instead.
inline constexpr std::uint32_t kBitmapKeepPalette = 0x01;
inline constexpr std::uint32_t kBitmapWriteBmp = 0x80000000u;
// Read flag: the stream stands just past the container's header, which the reader of an
// enclosing chunk has already read; the chunks are read on from there, never seeking back.
inline constexpr std::uint32_t kReadInContainer = 0x40000000u;

inline constexpr int kMaxDetailLevels = 9;

class GFXBitmap;
// The pool the bitmap headers come from (8000 places; the "MemControl" setting "NumBmp" resets
// it at main-window creation through GFXBitmap::ResetBitmapPool).
extern core::PoolAlloc theBitmapPool;

class GFXBitmap {
public:
    GFXBitmap();
    ~GFXBitmap();
    GFXBitmap(const GFXBitmap&) = delete;
    GFXBitmap& operator=(const GFXBitmap&) = delete;

    // Headers come from the bitmap pool.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);
    static void ResetBitmapPool(std::int32_t capacity);

    // A bitmap with an owned, uninitialised buffer; null when the buffer cannot be had.
    [[nodiscard]] static std::unique_ptr<GFXBitmap> Create(std::int32_t width, std::int32_t height,
                                                           std::int32_t bitsPerPixel);
    // A bitmap borrowing the pixels of an inclusive rectangle of `source`.
    [[nodiscard]] static std::unique_ptr<GFXBitmap> CreateView(const GFXBitmap& source,
                                                               const GFXRect& rect);
    void InitAsView(const GFXBitmap& source, const GFXRect& rect);

    [[nodiscard]] static std::unique_ptr<GFXBitmap> LoadNew(std::string_view fileName,
                                                            std::uint32_t flags = 0);
    [[nodiscard]] static std::unique_ptr<GFXBitmap> ReadNew(core::StreamIO& stream,
                                                            std::uint32_t flags = 0);
    int Load(std::string_view fileName, std::uint32_t flags = 0);
    int Read(core::StreamIO& stream, std::uint32_t flags = 0);
    int Save(std::string_view fileName, std::uint32_t flags = 0) const;
    // "PBMP" (with the palette when flags bit 0 is set), or BMP with kBitmapWriteBmp; 1 when
    // the stream's status is 0 afterwards. The bitmap is unchanged by either.
    int Write(core::StreamIO& stream, std::uint32_t flags = 0) const;
    // Bytes of the "PBMP" form written with `flags`, container header included.
    [[nodiscard]] std::uint32_t GetStoredSize(std::uint32_t flags = kBitmapKeepPalette) const;
    // The word the "PBMP" container's size holds: the data size + 32, plus the palette's stored
    // size when it is written. It is 16 short of the chunks that follow, and readers ignore it.
    [[nodiscard]] std::uint32_t ContainerSize(std::uint32_t flags = kBitmapKeepPalette) const;

    // Frees the pixels (when owned) and the palette and leaves an empty bitmap.
    void Free();
    [[nodiscard]] static std::int32_t StrideFor(std::int32_t width, std::int32_t bitsPerPixel);
    [[nodiscard]] std::uint8_t* Row(std::int32_t y) const { return pixels + y * stride; }
    [[nodiscard]] std::uint32_t DrawMode() const { return flags & kBitmapModeMask; }
    // Whether the bitmap is drawn translucent (mode 4 or 5), through the palette's rows.
    [[nodiscard]] bool DrawsTranslucent() const { return (DrawMode() & ~1u) == kBitmapTranslucent; }

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;
    std::int32_t bitsPerPixel = 0;
    std::int32_t size = 0;
    std::uint8_t* pixels = nullptr;
    std::unique_ptr<GFXPalette> palette;
    std::uint32_t flags = 0;
    std::uint8_t* detail[kMaxDetailLevels] = {};
    std::int32_t detailCount = 0;

private:
    int ReadBmp(core::StreamIO& stream, std::uint32_t flags, std::uint32_t startPos);
    int WriteBmp(core::StreamIO& stream) const;
    void SetDetailPointers();
    void FlipRows();
    int AllocPixels(std::size_t bytes);

    AlignedBytes pixelAlloc;
};

}  // namespace gfx
