#include "gfx/bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/file_stream.h"
#include "core/pool_alloc.h"
#include "core/row_flip.h"

namespace gfx {

namespace {

constexpr std::uint32_t kTagPBMP = core::FourCC("PBMP");
constexpr std::uint32_t kTagHead = core::FourCC("head");
constexpr std::uint32_t kTagPPAL = core::FourCC("PPAL");
constexpr std::uint32_t kTagData = core::FourCC("data");
constexpr std::uint32_t kTagDETL = core::FourCC("DETL");
constexpr std::uint32_t kNoHead = 0xFFFFFFFFu;

// The largest side the readers accept; far beyond any picture the program draws.
constexpr std::int32_t kMaxSide = 32767;

constexpr std::uint32_t kBmpHeaderSize = 14 + 40 + 256 * 4;  // 1078

bool ValidDepth(std::int32_t bpp) {
    return bpp == 8 || bpp == 16;
}

}  // namespace

GFXBitmap::GFXBitmap() = default;

GFXBitmap::~GFXBitmap() {
    Free();
}

// The headers are small and many; the pool in front of the heap lets the program size and
// count them in one place. Requests of another size (a derived class) go to the heap.
core::PoolAlloc theBitmapPool(sizeof(GFXBitmap), 8000);

void* GFXBitmap::operator new(std::size_t size) {
    // The pool's heap is operator new's, so a block goes back the right way whichever side
    // took it (a header made before the pool was built, say).
    void* header = size == theBitmapPool.ElementSize() ? theBitmapPool.Alloc()
                                                       : ::operator new(size, std::nothrow);
    if (header == nullptr) throw std::bad_alloc();
    return header;
}

void GFXBitmap::operator delete(void* block, std::size_t) {
    theBitmapPool.Free(block);
}

void GFXBitmap::ResetBitmapPool(std::int32_t capacity) {
    if (capacity > 0) theBitmapPool.Reset(core::ClampPoolCount(capacity));
}

void GFXBitmap::Free() {
    palette.reset();
    pixelAlloc.reset();
    pixels = nullptr;
    flags = 0;
    std::fill(std::begin(detail), std::end(detail), nullptr);
    detailCount = 0;
}

std::int32_t GFXBitmap::StrideFor(std::int32_t w, std::int32_t bpp) {
    return static_cast<std::int32_t>(((static_cast<std::int64_t>(bpp) * w >> 3) + 3) & ~3);
}

int GFXBitmap::AllocPixels(std::size_t bytes) {
    pixelAlloc = AllocAligned(bytes, 16);
    if (!pixelAlloc) return 0;
    pixels = pixelAlloc.get();
    flags |= kBitmapOwnsPixels;
    return 1;
}

void GFXBitmap::SetDetailPointers() {
    std::fill(std::begin(detail), std::end(detail), nullptr);
    detail[0] = pixels;
    std::size_t area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::int32_t i = 1; i < detailCount; ++i) {
        detail[i] = detail[i - 1] + area;
        area /= 4;
    }
}

std::unique_ptr<GFXBitmap> GFXBitmap::Create(std::int32_t w, std::int32_t h, std::int32_t bpp) {
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || !ValidDepth(bpp)) return nullptr;
    std::unique_ptr<GFXBitmap> b(new GFXBitmap);
    b->width = w;
    b->height = h;
    b->bitsPerPixel = bpp;
    b->stride = StrideFor(w, bpp);
    b->size = b->stride * h;
    if (!b->AllocPixels(static_cast<std::size_t>(b->size))) return nullptr;
    // A new bitmap starts at colour 0, its rows' padding included, so what is written of it
    // never carries stale memory.
    std::memset(b->pixels, 0, static_cast<std::size_t>(b->size));
    b->detailCount = 1;
    b->SetDetailPointers();
    return b;
}

std::unique_ptr<GFXBitmap> GFXBitmap::CreateView(const GFXBitmap& source, const GFXRect& rect) {
    std::unique_ptr<GFXBitmap> b(new GFXBitmap);
    b->InitAsView(source, rect);
    return b;
}

void GFXBitmap::InitAsView(const GFXBitmap& source, const GFXRect& rect) {
    Free();
    // A view never reaches outside its source: the rectangle is cut to the source's bounds.
    GFXRect r = rect;
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, source.width - 1);
    r.bottom = std::min(r.bottom, std::abs(source.height) - 1);
    stride = source.stride;
    bitsPerPixel = source.bitsPerPixel;
    if (r.right < r.left || r.bottom < r.top || source.pixels == nullptr) {
        width = height = size = 0;
        return;
    }
    width = r.right - r.left + 1;
    height = r.bottom - r.top + 1;
    size = stride * height;
    pixels = source.pixels + static_cast<std::ptrdiff_t>(r.top) * stride +
             static_cast<std::ptrdiff_t>(bitsPerPixel / 8) * r.left;
    detailCount = 1;
    SetDetailPointers();
}

// ---------------------------------------------------------------------------------------------
// Reading

std::unique_ptr<GFXBitmap> GFXBitmap::ReadNew(core::StreamIO& stream, std::uint32_t flags) {
    std::unique_ptr<GFXBitmap> b(new GFXBitmap);
    if (!b->Read(stream, flags)) return nullptr;
    return b;
}

std::unique_ptr<GFXBitmap> GFXBitmap::LoadNew(std::string_view fileName, std::uint32_t flags) {
    std::unique_ptr<GFXBitmap> b(new GFXBitmap);
    if (!b->Load(fileName, flags)) return nullptr;
    return b;
}

int GFXBitmap::Load(std::string_view fileName, std::uint32_t flags) {
    core::FileRStream s;
    if (!s.Open(fileName)) return 0;
    return Read(s, flags);
}

int GFXBitmap::Read(core::StreamIO& s, std::uint32_t rflags) {
    using namespace chunkio;
    Free();
    width = height = stride = bitsPerPixel = size = 0;
    detailCount = 1;
    std::uint32_t counter = kNoHead;
    bool first = (rflags & kReadInContainer) == 0;
    bool haveHead = false;
    while (counter != 0) {
        const std::uint32_t start = s.GetPosition();
        std::uint32_t tag = 0, chunkSize = 0;
        if (!ReadHeader(s, &tag, &chunkSize)) return 0;
        if (!haveHead && (tag & 0xFFFFu) == 0x4D42u) return ReadBmp(s, rflags, start);
        if (tag == kTagPBMP) {
            first = false;
            continue;  // the container: its body is the chunks that follow
        }
        if (tag == kTagHead) {
            // A second head would redefine the picture under pixels already read.
            if (haveHead || chunkSize != 20) return 0;
            std::uint32_t count = 0, storedFlags = 0;
            if (!ReadU32(s, &count) || !ReadI32(s, &width) || !ReadI32(s, &height) ||
                !ReadI32(s, &bitsPerPixel) || !ReadU32(s, &storedFlags))
                return 0;
            if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
                !ValidDepth(bitsPerPixel))
                return 0;
            haveHead = true;
            counter = count & 0xFFFFFFu;
            stride = StrideFor(width, bitsPerPixel);
            flags = (storedFlags & ~kBitmapOwnsPixels) | (flags & kBitmapOwnsPixels);
            first = false;
            continue;
        }
        if (tag == kTagPPAL) {
            if (rflags & kBitmapKeepPalette) {
                palette = GFXPalette::ReadNew(s, 0);
                if (!palette) return 0;
                // The palette must end where its chunk says it does.
                if (s.GetPosition() != start + 8 + static_cast<std::uint64_t>(chunkSize)) return 0;
            } else if (!Skip(s, chunkSize)) {
                return 0;
            }
        } else if (tag == kTagData) {
            if (pixels != nullptr || chunkSize > kMaxChunkBody) return 0;
            if (!AllocPixels(chunkSize)) return 0;
            size = static_cast<std::int32_t>(chunkSize);
            if (!ReadBytes(s, pixels, chunkSize)) return 0;
        } else if (tag == kTagDETL) {
            std::uint32_t n = 0;
            if (chunkSize != 4 || !ReadU32(s, &n) || n < 1 || n > kMaxDetailLevels) return 0;
            detailCount = static_cast<std::int32_t>(n);
        } else if (first) {
            return 0;
        } else if (!Skip(s, chunkSize)) {
            return 0;
        }
        first = false;
        if (counter != kNoHead) --counter;
    }
    // The pixels must hold every row at the stride and every detail level.
    if (!haveHead || pixels == nullptr) return 0;
    std::uint64_t need = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height);
    std::uint64_t levels = 0, area = static_cast<std::uint64_t>(width) * height;
    for (std::int32_t i = 0; i < detailCount; ++i, area /= 4)
        levels += area;
    need = std::max(need, levels);
    if (static_cast<std::uint64_t>(size) < need) return 0;
    SetDetailPointers();
    return 1;
}

int GFXBitmap::ReadBmp(core::StreamIO& s, std::uint32_t rflags, std::uint32_t startPos) {
    using namespace chunkio;
    // The first 8 bytes of the file header are read: "BM", the file size and a reserved word.
    std::uint8_t fh[6];
    if (!ReadBytes(s, fh, 6)) return 0;
    const std::uint32_t pixelOffset = core::ReadU32(fh + 2);
    std::uint8_t ih[40];
    if (!ReadBytes(s, ih, 40)) return 0;
    const std::uint32_t headerSize = core::ReadU32(ih);
    const std::int32_t w = core::ReadI32(ih + 4);
    const std::int32_t hField = core::ReadI32(ih + 8);
    const std::uint16_t bpp = core::ReadU16(ih + 14);
    const std::uint32_t compression = core::ReadU32(ih + 16);
    const std::uint32_t colorsUsed = core::ReadU32(ih + 32);
    // Later info headers only add fields after the first 40 bytes.
    if (headerSize < 40 || headerSize > 1024) return 0;
    if (bpp != 8 || compression != 0 || colorsUsed > 256) return 0;
    if (w <= 0 || w > kMaxSide || hField == 0 || hField < -kMaxSide || hField > kMaxSide) return 0;
    if (!Skip(s, headerSize - 40)) return 0;

    const std::uint32_t colorCount = colorsUsed == 0 ? 256 : colorsUsed;
    std::uint8_t quadBytes[1024] = {};
    if (!ReadBytes(s, quadBytes, colorCount * 4)) return 0;
    const std::uint64_t consumed = 14 + static_cast<std::uint64_t>(headerSize) + colorCount * 4;
    if (pixelOffset < consumed) return 0;
    if (!Skip(s, static_cast<std::uint32_t>(pixelOffset - consumed))) return 0;
    if (static_cast<std::uint32_t>(s.GetPosition()) != startPos + pixelOffset) return 0;

    if (rflags & kBitmapKeepPalette) {
        GFXColorQuad quads[256];
        for (std::uint32_t i = 0; i < colorCount; ++i) {
            quads[i] = {quadBytes[i * 4], quadBytes[i * 4 + 1], quadBytes[i * 4 + 2], 0};
        }
        palette = GFXPalette::CreateFromQuads(quads);
        for (std::uint32_t i = colorCount; i < 256; ++i)
            palette->entries[i] = {};
    }
    width = w;
    height = hField < 0 ? -hField : hField;
    bitsPerPixel = 8;
    stride = StrideFor(width, bitsPerPixel);
    size = stride * height;
    flags = 0;
    if (!AllocPixels(static_cast<std::size_t>(size))) return 0;
    if (!ReadBytes(s, pixels, static_cast<std::uint32_t>(size))) return 0;
    if (hField > 0) FlipRows();  // bottom-up file
    detailCount = 1;
    SetDetailPointers();
    return 1;
}

void GFXBitmap::FlipRows() {
    core::FlipRows(Row(0), Row(height - 1), static_cast<std::uint32_t>(stride));
}

// ---------------------------------------------------------------------------------------------
// Writing

std::uint32_t GFXBitmap::GetStoredSize(std::uint32_t wflags) const {
    std::uint32_t n = 8 + 28 + 8 + static_cast<std::uint32_t>(size) + 12;
    if (palette && (wflags & kBitmapKeepPalette)) n += palette->GetStoredSize();
    return n;
}

std::uint32_t GFXBitmap::ContainerSize(std::uint32_t wflags) const {
    std::uint32_t n = static_cast<std::uint32_t>(size) + 32;
    if (palette && (wflags & kBitmapKeepPalette)) n += palette->GetStoredSize();
    return n;
}

int GFXBitmap::Save(std::string_view fileName, std::uint32_t wflags) const {
    return chunkio::SaveNewFile(fileName, [&](core::StreamIO& s) { return Write(s, wflags); });
}

int GFXBitmap::Write(core::StreamIO& s, std::uint32_t wflags) const {
    using namespace chunkio;
    if (wflags & kBitmapWriteBmp) return WriteBmp(s);
    if (pixels == nullptr) return 0;
    const bool withPalette = palette && (wflags & kBitmapKeepPalette);
    WriteHeader(s, kTagPBMP, ContainerSize(wflags));
    WriteHeader(s, kTagHead, 20);
    WriteU32(s, withPalette ? 3 : 2);
    WriteI32(s, width);
    WriteI32(s, height);
    WriteI32(s, bitsPerPixel);
    WriteU32(s, flags);
    if (withPalette) palette->Write(s, 0);
    WriteHeader(s, kTagData, static_cast<std::uint32_t>(size));
    WriteBytes(s, pixels, static_cast<std::uint32_t>(size));
    WriteHeader(s, kTagDETL, 4);
    WriteU32(s, static_cast<std::uint32_t>(detailCount));
    return StreamOk(s) ? 1 : 0;
}

int GFXBitmap::WriteBmp(core::StreamIO& s) const {
    using namespace chunkio;
    // The Windows form holds 8-bit pictures only.
    if (pixels == nullptr || bitsPerPixel != 8 || width <= 0 || height <= 0) return 0;
    const std::uint32_t image = static_cast<std::uint32_t>(stride) * height;
    std::uint8_t h[54] = {};
    h[0] = 'B';
    h[1] = 'M';
    core::WriteU32(h + 2, kBmpHeaderSize + image);
    core::WriteU32(h + 10, kBmpHeaderSize);
    core::WriteU32(h + 14, 40);
    core::WriteU32(h + 18, static_cast<std::uint32_t>(width));
    core::WriteU32(h + 22, static_cast<std::uint32_t>(height));  // positive: bottom-up
    core::WriteU16(h + 26, 1);
    core::WriteU16(h + 28, 8);
    core::WriteU32(h + 34, image);
    WriteBytes(s, h, sizeof h);
    std::uint8_t quads[1024] = {};
    if (palette) {
        for (int i = 0; i < 256; ++i) {
            quads[i * 4] = palette->entries[i].blue;
            quads[i * 4 + 1] = palette->entries[i].green;
            quads[i * 4 + 2] = palette->entries[i].red;
        }
    }
    WriteBytes(s, quads, sizeof quads);
    // Rows go out bottom first; the bitmap itself stays as it is.
    for (std::int32_t y = height - 1; y >= 0; --y) {
        WriteBytes(s, Row(y), static_cast<std::uint32_t>(stride));
    }
    return StreamOk(s) ? 1 : 0;
}

}  // namespace gfx
