// The texture sheet cache of the 3D path: each bitmap used as a texture becomes a device texture
// (a system-memory surface loaded into video memory, with its handle). When video memory runs
// out the least recently used sheets are evicted. A sheet is known by its bitmap and by whether
// it was made translucent; a bitmap whose pixels changed identity (freed and replaced at the
// same address) gets a fresh sheet, and a palette change empties the cache.
#pragma once

#include <cstdint>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "win/d3d.h"

namespace gfx {

class D3DBatch;

struct TextureSheet {
    const GFXBitmap* bitmap = nullptr;  // the key, with `translucent`
    std::uint32_t translucent = 0;
    std::uint64_t fingerprint = 0;  // what the bitmap held when the sheet was made
    std::uint32_t checkedFrame = 0;
    win::DirectDrawSurface* surface = nullptr;  // video memory
    win::Direct3DTexture* texture = nullptr;
    win::D3DTEXTUREHANDLE handle = 0;
    std::uint32_t lastUse = 0;
    TextureSheet* next = nullptr;
};

inline constexpr std::int32_t kActiveSheetLogSize = 49;

class SheetCache {
public:
    SheetCache(win::DirectDraw* directDraw, win::Direct3D* direct3D, win::Direct3DDevice* device);
    ~SheetCache();
    SheetCache(const SheetCache&) = delete;
    SheetCache& operator=(const SheetCache&) = delete;

    // The handle of the bitmap's texture, made when needed; 0 when it cannot be had. Colours
    // come from `palette` (the bitmap's own when null). A flush of `batch` comes first when
    // every sheet was used by the polygons still waiting in it.
    win::D3DTEXTUREHANDLE GetTexture(const GFXBitmap* bitmap, GFXPalette* palette,
                                     std::uint32_t translucent, D3DBatch* batch);
    [[nodiscard]] TextureSheet* Find(const GFXBitmap* bitmap, std::uint32_t translucent) const;
    void EvictOldest();
    void UpdateHighest();
    [[nodiscard]] int AllUsedBefore() const;
    [[nodiscard]] int IsEmpty() const { return head == nullptr; }
    void Clear();
    // A new frame: sheets check their bitmaps again, and a palette whose colours changed
    // empties the cache.
    void BeginFrame(const GFXPalette* palette);
    [[nodiscard]] std::int32_t Count() const;

    TextureSheet* head = nullptr;
    std::uint32_t currentCounter = 1;
    std::uint32_t highestCounter = 0;
    std::uint32_t frame = 1;
    const GFXPalette* lastPalette = nullptr;
    std::uint64_t lastPaletteHash = 0;
    win::DirectDraw* directDraw = nullptr;
    win::Direct3D* direct3D = nullptr;
    win::Direct3DDevice* device = nullptr;

private:
    int MakeSheet(const GFXBitmap* bitmap, GFXPalette* palette, std::uint32_t translucent,
                  win::DirectDrawSurface** video, win::Direct3DTexture** texture,
                  win::D3DTEXTUREHANDLE* handle, D3DBatch* batch);
    win::DirectDrawSurface* MakeSystemTexture(const GFXBitmap* bitmap, GFXPalette* palette,
                                              std::uint32_t translucent);
    void Unlink(TextureSheet* sheet);
};

// The log of bitmaps asked for since the last dump.
void LogActiveSheet(const GFXBitmap* bitmap);
// Writes "sheets.act" when a dump was asked for; answers the log's count and empties the log.
std::int32_t dumpActiveSheets();
void RequestSheetDump();
// A fingerprint of the bitmap's identity and pixels.
[[nodiscard]] std::uint64_t BitmapFingerprint(const GFXBitmap& bitmap);

}  // namespace gfx
