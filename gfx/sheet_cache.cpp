// The texture sheet cache.
#include "gfx/sheet_cache.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/fnv.h"
#include "core/resource_volume.h"
#include "gfx/d3d_batch.h"
#include "gfx/d3d_surface.h"
#include "platform/file_system.h"

namespace gfx {

namespace {

const GFXBitmap* theActiveSheets[kActiveSheetLogSize] = {};
std::int32_t theActiveSheetCount = 0;
bool theSheetDumpRequested = false;

std::uint64_t PaletteHash(const GFXPalette* p) {
    if (p == nullptr) return 0;
    return core::Fnv1a(core::kFnvOffset, p->entries, sizeof(p->entries));
}

// The device format a sheet is made in: translucent sheets need the 4-bit alpha format, others
// take the 1-bit alpha format (index 0 is transparent); the palettized format otherwise.
const D3DTextureFormatRecord* SheetFormat(std::uint32_t translucent) {
    if (translucent && theTextureFormat4444 >= 0) return &theTextureFormats[theTextureFormat4444];
    if (theTextureFormat1555 >= 0) return &theTextureFormats[theTextureFormat1555];
    for (std::int32_t i = theTextureFormatCount - 1; i >= 0; --i)
        if (theTextureFormats[i].palettised8) return &theTextureFormats[i];
    return nullptr;
}

}  // namespace

std::uint64_t BitmapFingerprint(const GFXBitmap& b) {
    std::uint64_t h = core::kFnvOffset;
    const std::uintptr_t p = reinterpret_cast<std::uintptr_t>(b.pixels);
    const std::int32_t shape[4] = {b.width, b.height, b.stride, b.bitsPerPixel};
    h = core::Fnv1a(h, &p, sizeof(p));
    h = core::Fnv1a(h, shape, sizeof(shape));
    if (b.pixels != nullptr && b.stride > 0 && b.height > 0)
        h = core::Fnv1a(h, b.pixels,
                        static_cast<std::size_t>(b.stride) * static_cast<std::size_t>(b.height));
    return h;
}

void LogActiveSheet(const GFXBitmap* bitmap) {
    for (std::int32_t i = 0; i < theActiveSheetCount; ++i)
        if (theActiveSheets[i] == bitmap) return;
    if (theActiveSheetCount < kActiveSheetLogSize) theActiveSheets[theActiveSheetCount++] = bitmap;
}

void RequestSheetDump() {
    theSheetDumpRequested = true;
}

std::int32_t dumpActiveSheets() {
    const std::int32_t n = theActiveSheetCount;
    if (theSheetDumpRequested) {
        char line[64];
        std::snprintf(line, sizeof line, "Active sheets: %d\n", n);
        std::string report = line;
        for (std::int32_t i = 0; i < n; ++i) {
            std::snprintf(line, sizeof line, "\t%p\n", static_cast<const void*>(theActiveSheets[i]));
            report += line;
        }
        if (const std::uint32_t e = platform::ReplaceFileAtomically("sheets.act", report, false);
            e != platform::kFileOk)
            core::ReportUnwrittenFile("sheets.act", e);
        theSheetDumpRequested = false;
    }
    theActiveSheetCount = 0;
    return n;
}

SheetCache::SheetCache(win::DirectDraw* dd, win::Direct3D* d3d, win::Direct3DDevice* dev)
    : directDraw(dd), direct3D(d3d), device(dev) {}

SheetCache::~SheetCache() {
    Clear();
}

std::int32_t SheetCache::Count() const {
    std::int32_t n = 0;
    for (const TextureSheet* s = head; s != nullptr; s = s->next)
        ++n;
    return n;
}

TextureSheet* SheetCache::Find(const GFXBitmap* bitmap, std::uint32_t translucent) const {
    for (TextureSheet* s = head; s != nullptr; s = s->next)
        if (s->bitmap == bitmap && s->translucent == translucent) return s;
    return nullptr;
}

void SheetCache::Unlink(TextureSheet* sheet) {
    TextureSheet** link = &head;
    while (*link != nullptr && *link != sheet)
        link = &(*link)->next;
    if (*link == nullptr) return;
    *link = sheet->next;
    if (sheet->texture != nullptr) sheet->texture->Release();
    if (sheet->surface != nullptr) sheet->surface->Release();
    delete sheet;
}

void SheetCache::EvictOldest() {
    if (head == nullptr) return;
    TextureSheet* oldest = head;
    for (TextureSheet* s = head->next; s != nullptr; s = s->next)
        if (s->lastUse < oldest->lastUse) oldest = s;
    Unlink(oldest);
}

void SheetCache::UpdateHighest() {
    if (head == nullptr) {
        highestCounter = currentCounter;
        return;
    }
    highestCounter = 0;
    for (const TextureSheet* s = head; s != nullptr; s = s->next)
        highestCounter = std::max(highestCounter, s->lastUse);
}

int SheetCache::AllUsedBefore() const {
    if (head == nullptr) return 0;
    std::uint32_t highest = 0;
    for (const TextureSheet* s = head; s != nullptr; s = s->next)
        highest = std::max(highest, s->lastUse);
    return currentCounter >= highest ? 1 : 0;
}

void SheetCache::Clear() {
    while (head != nullptr)
        Unlink(head);
    highestCounter = 0;
}

void SheetCache::BeginFrame(const GFXPalette* palette) {
    ++frame;
    const std::uint64_t h = PaletteHash(palette);
    if (palette != lastPalette || h != lastPaletteHash) {
        Clear();
        lastPalette = palette;
        lastPaletteHash = h;
    }
}

win::DirectDrawSurface* SheetCache::MakeSystemTexture(const GFXBitmap* bitmap, GFXPalette* palette,
                                                      std::uint32_t translucent) {
    const D3DTextureFormatRecord* format = SheetFormat(translucent);
    if (format == nullptr || directDraw == nullptr || bitmap->bitsPerPixel != 8 ||
        bitmap->pixels == nullptr || bitmap->width <= 0 || bitmap->height <= 0)
        return nullptr;
    win::DDSURFACEDESC d;
    d.dwFlags = win::DDSD_CAPS | win::DDSD_WIDTH | win::DDSD_HEIGHT | win::DDSD_PIXELFORMAT;
    d.dwWidth = static_cast<std::uint32_t>(bitmap->width);
    d.dwHeight = static_cast<std::uint32_t>(bitmap->height);
    d.ddpfPixelFormat = format->desc.ddpfPixelFormat;
    d.ddsCaps.dwCaps = win::DDSCAPS_TEXTURE | win::DDSCAPS_SYSTEMMEMORY;
    win::DirectDrawSurface* s = nullptr;
    if (win::FAILED(directDraw->CreateSurface(&d, &s, nullptr))) return nullptr;
    win::DDSURFACEDESC locked;
    if (win::FAILED(s->Lock(nullptr, &locked, win::DDLOCK_WAIT, nullptr))) {
        s->Release();
        return nullptr;
    }
    auto* out = static_cast<std::uint8_t*>(locked.lpSurface);
    if (format->palettised8 && !translucent) {
        if (locked.lPitch == bitmap->stride) {
            std::memcpy(out, bitmap->pixels,
                        static_cast<std::size_t>(bitmap->stride) * bitmap->height);
        } else {
            for (std::int32_t y = 0; y < bitmap->height; ++y)
                std::memcpy(out + y * locked.lPitch, bitmap->Row(y),
                            static_cast<std::size_t>(bitmap->width));
        }
        s->Unlock(nullptr);
        win::PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i)
            entries[i] = win::PALETTEENTRY{palette->entries[i].red, palette->entries[i].green,
                                           palette->entries[i].blue, 0};
        win::DirectDrawPalette* pal = nullptr;
        if (win::SUCCEEDED(directDraw->CreatePalette(win::DDPCAPS_8BIT | win::DDPCAPS_ALLOW256,
                                                     entries, &pal, nullptr))) {
            s->SetPalette(pal);
            pal->Release();
        }
        return s;
    }
    palette->BuildTextureColors16(translucent ? 1 : 0);
    if (palette->textureColors16 == nullptr) {
        s->Unlock(nullptr);
        s->Release();
        return nullptr;
    }
    for (std::int32_t y = 0; y < bitmap->height; ++y) {
        const std::uint8_t* src = bitmap->Row(y);
        std::uint8_t* dst = out + y * locked.lPitch;
        for (std::int32_t x = 0; x < bitmap->width; ++x) {
            const std::uint32_t v = palette->textureColors16[src[x]];
            dst[2 * x] = static_cast<std::uint8_t>(v);
            dst[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        }
    }
    s->Unlock(nullptr);
    return s;
}

int SheetCache::MakeSheet(const GFXBitmap* bitmap, GFXPalette* palette, std::uint32_t translucent,
                          win::DirectDrawSurface** video, win::Direct3DTexture** texture,
                          win::D3DTEXTUREHANDLE* handle, D3DBatch* batch) {
    win::DirectDrawSurface* system = MakeSystemTexture(bitmap, palette, translucent);
    if (system == nullptr) return 0;
    win::Direct3DTexture* systemTexture = nullptr;
    if (win::FAILED(win::QueryTexture(system, &systemTexture))) {
        system->Release();
        return 0;
    }
    win::DDSURFACEDESC d;
    system->GetSurfaceDesc(&d);
    d.dwFlags = win::DDSD_CAPS | win::DDSD_WIDTH | win::DDSD_HEIGHT | win::DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = win::DDSCAPS_TEXTURE | win::DDSCAPS_VIDEOMEMORY | win::DDSCAPS_ALLOCONLOAD;
    bool flushed = false;
    int made = 0;
    for (;;) {
        win::DirectDrawSurface* v = nullptr;
        win::Direct3DTexture* t = nullptr;
        win::D3DTEXTUREHANDLE h = 0;
        if (win::SUCCEEDED(directDraw->CreateSurface(&d, &v, nullptr)) &&
            win::SUCCEEDED(win::QueryTexture(v, &t)) && win::SUCCEEDED(t->Load(systemTexture)) &&
            win::SUCCEEDED(t->GetHandle(device, &h))) {
            *video = v;
            *texture = t;
            *handle = h;
            made = 1;
            break;
        }
        if (t != nullptr) t->Release();
        if (v != nullptr) v->Release();
        if (IsEmpty()) break;
        // The polygons still waiting in the batch may use the sheet about to go.
        if (AllUsedBefore() && batch != nullptr) {
            batch->Flush();
            flushed = true;
        }
        EvictOldest();
    }
    systemTexture->Release();
    system->Release();
    if (flushed) UpdateHighest();
    return made;
}

win::D3DTEXTUREHANDLE SheetCache::GetTexture(const GFXBitmap* bitmap, GFXPalette* palette,
                                             std::uint32_t translucent, D3DBatch* batch) {
    if (bitmap == nullptr) return 0;
    if (palette == nullptr) palette = bitmap->palette.get();
    if (palette == nullptr) return 0;
    translucent = translucent ? 1 : 0;
    LogActiveSheet(bitmap);
    if (palette != lastPalette) {
        // Sheets carry the colours of the palette they were made with.
        Clear();
        lastPalette = palette;
        lastPaletteHash = PaletteHash(palette);
    }
    if (TextureSheet* s = Find(bitmap, translucent)) {
        bool same = true;
        if (s->checkedFrame != frame) {
            same = BitmapFingerprint(*bitmap) == s->fingerprint;
            s->checkedFrame = frame;
        }
        if (same) {
            s->lastUse = currentCounter++;
            return s->handle;
        }
        Unlink(s);  // another bitmap now lives at that address
    }
    auto* sheet = new TextureSheet();
    if (!MakeSheet(bitmap, palette, translucent, &sheet->surface, &sheet->texture, &sheet->handle,
                   batch)) {
        delete sheet;
        return 0;
    }
    sheet->bitmap = bitmap;
    sheet->translucent = translucent;
    sheet->fingerprint = BitmapFingerprint(*bitmap);
    sheet->checkedFrame = frame;
    sheet->lastUse = currentCounter++;
    TextureSheet** link = &head;
    while (*link != nullptr)
        link = &(*link)->next;
    *link = sheet;
    return sheet->handle;
}

}  // namespace gfx
