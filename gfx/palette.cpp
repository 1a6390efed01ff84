#include "gfx/palette.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/file_stream.h"
#include "gfx/surface.h"

namespace gfx {

namespace {

constexpr std::uint32_t kPaletteTagPPAL = core::FourCC("PPAL");
constexpr std::uint32_t kPaletteTagHead = core::FourCC("head");
constexpr std::uint32_t kPaletteTagData = core::FourCC("data");
constexpr std::uint32_t kTagPspl = core::FourCC("pspl");
constexpr std::uint32_t kTagPtpl = core::FourCC("ptpl");
constexpr std::uint32_t kTagPcmt = core::FourCC("pcmt");
constexpr std::uint32_t kTagRIFF = core::FourCC("RIFF");
constexpr std::uint32_t kTagPAL = core::FourCC("PAL ");

constexpr std::uint32_t kPaletteNoHead = 0xFFFFFFFFu;

// Implied translucency table size: (last - 2) x levels x 256 bytes, none below level 2.
std::uint64_t ImpliedTranslucentSize(std::int32_t last, std::int32_t levels) {
    if (last <= 2 || levels <= 0) return 0;
    return static_cast<std::uint64_t>(last - 2) * static_cast<std::uint64_t>(levels) * 256u;
}

// Channel of a 16-bit pixel from an 8-bit value.
std::uint32_t Place(std::uint32_t v8, std::int32_t bits, std::int32_t shift) {
    if (bits <= 0 || bits > 8 || shift < 0 || shift > 24) return 0;
    return (v8 >> (8 - bits)) << shift;
}

std::uint32_t Pack16(const GFXPixelFormat& f, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (Place(r, f.redBits, f.redShift) | Place(g, f.greenBits, f.greenShift) |
            Place(b, f.blueBits, f.blueShift)) &
           0xFFFFu;
}

// The top `want` bits of a channel of a 16-bit pixel.
std::uint32_t TopBits(std::uint32_t pixel, std::int32_t bits, std::int32_t shift,
                      std::int32_t want) {
    if (bits <= 0 || bits > 16 || shift < 0 || shift > 15) return 0;
    const std::uint32_t v = (pixel >> shift) & ((1u << bits) - 1u);
    return bits >= want ? v >> (bits - want) : v << (want - bits);
}

bool SameFormat(const GFXPixelFormat& a, const GFXPixelFormat& b) {
    return a.redBits == b.redBits && a.redShift == b.redShift && a.greenBits == b.greenBits &&
           a.greenShift == b.greenShift && a.blueBits == b.blueBits && a.blueShift == b.blueShift;
}

}  // namespace

GFXPalette::GFXPalette() = default;
GFXPalette::~GFXPalette() {
    GFXSurface::ForgetPalette(this);
}

void GFXPalette::ClearTables() {
    shadeAlloc.reset();
    shadeTable = nullptr;
    shadeShift = 0;
    shadeBits = 0;
    shadeLevel = 0;
    translucentAlloc.reset();
    translucentTable = nullptr;
    translucentSize = 0;
    translucentFirst = 0;
    translucentLevels = 0;
    translucentLast = 0;
    translucentLevel = 0;
    maskAlloc.reset();
    nearestMask = nullptr;
}

std::uint32_t GFXPalette::ShadeTableSize() const {
    if (shadeTable == nullptr) return 0;
    return 1u << (shadeBits + shadeShift + 8);
}

namespace {

// The bytes a shade lookup may reach past the table: a filler indexes up to 256 rows from the
// row its haze level starts at (or the whole table, for per-vertex light), so that many bytes
// follow the table, each row a copy of the last one.
std::size_t ShadePadding(std::size_t size) {
    return std::max<std::size_t>(65536, size) - 256;
}

}  // namespace

int GFXPalette::SetShadeTable(std::int32_t shift, std::int32_t bits, const std::uint8_t* table) {
    // Shift and bits are stored as bytes and the table must stay addressable by 16-bit rows.
    if (shift < 0 || bits < 0 || shift + bits > 16) return 0;
    const std::size_t align = std::size_t{256} << shift;
    const std::size_t size = std::size_t{1} << (bits + shift + 8);
    AlignedBytes block = AllocAligned(size + ShadePadding(size), align);
    if (!block) return 0;
    if (table != nullptr)
        std::memcpy(block.get(), table, size);
    else
        std::memset(block.get(), 0, size);
    shadeAlloc = std::move(block);
    shadeTable = shadeAlloc.get();
    shadeShift = shift;
    shadeBits = bits;
    PadShadeTable();
    return 1;
}

void GFXPalette::PadShadeTable() {
    ++shadeSerial;
    if (shadeTable == nullptr) return;
    const std::size_t size = ShadeTableSize();
    const std::uint8_t* last = shadeTable + size - 256;
    for (std::size_t at = size; at < size + ShadePadding(size); at += 256)
        std::memcpy(shadeTable + at, last, 256);
}

const std::uint8_t* GFXPalette::ShadeRowsFrom(std::uint64_t offset) const {
    if (shadeTable == nullptr) return nullptr;
    const std::uint64_t lastRow = ShadeTableSize() - 256;
    return shadeTable + std::min(offset & ~std::uint64_t{255}, lastRow);
}

int GFXPalette::SetTranslucentTable(std::int32_t first, std::int32_t levels, std::int32_t last,
                                    const std::uint8_t* table, std::uint32_t size) {
    if (first < 0 || first > 255 || levels < 1 || levels > 256 || last < 0 || last > 255) return 0;
    if (size < ImpliedTranslucentSize(last, levels) || size > kMaxChunkBody) return 0;
    AlignedBytes block = AllocAligned(size);
    if (!block) return 0;
    if (table != nullptr && size != 0) std::memcpy(block.get(), table, size);
    translucentAlloc = std::move(block);
    translucentTable = translucentAlloc.get();
    translucentSize = size;
    translucentFirst = first;
    translucentLevels = levels;
    translucentLast = last;
    return 1;
}

void GFXPalette::SetNearestMask(const std::uint8_t* mask32) {
    if (mask32 == nullptr) {
        maskAlloc.reset();
        nearestMask = nullptr;
        return;
    }
    if (!maskAlloc) maskAlloc = std::make_unique<std::uint8_t[]>(32);
    std::memcpy(maskAlloc.get(), mask32, 32);
    nearestMask = maskAlloc.get();
}

// ---------------------------------------------------------------------------------------------
// Reading and writing

std::unique_ptr<GFXPalette> GFXPalette::ReadNew(core::StreamIO& stream, std::uint32_t flags) {
    auto p = std::make_unique<GFXPalette>();
    if (!p->Read(stream, flags)) return nullptr;
    return p;
}

std::unique_ptr<GFXPalette> GFXPalette::LoadNew(std::string_view fileName) {
    auto p = std::make_unique<GFXPalette>();
    if (!p->Load(fileName, 0)) return nullptr;
    return p;
}

int GFXPalette::Load(std::string_view fileName, std::uint32_t flags) {
    core::FileRStream s;
    if (!s.Open(fileName)) return 0;
    return Read(s, flags);
}

int GFXPalette::Save(std::string_view fileName, std::uint32_t flags) const {
    return chunkio::SaveNewFile(fileName, [&](core::StreamIO& s) { return Write(s, flags); });
}

int GFXPalette::Read(core::StreamIO& s, std::uint32_t /*flags*/) {
    using namespace chunkio;
    ClearTables();
    std::uint32_t counter = kPaletteNoHead;
    bool started = false;
    bool first = true;
    while (counter != 0) {
        std::uint32_t tag = 0, size = 0;
        if (!ReadHeader(s, &tag, &size)) return 0;
        if (tag == kTagRIFF && first) return ReadRiff(s);
        first = false;
        if (tag == kPaletteTagPPAL) {
            started = true;
            continue;  // the container: its body is the chunks that follow
        }
        if (tag == kPaletteTagHead) {
            std::uint32_t word = 0;
            if (size < 4 || !ReadU32(s, &word) || !Skip(s, size - 4)) return 0;
            started = true;
            counter = word & 0xFFFFFFu;
            version = 0x300;
            count = 256;
            continue;
        }
        if (!started) return 0;
        if (tag == kPaletteTagData) {
            if (size > sizeof(entries)) return 0;
            std::uint8_t raw[1024];
            if (!ReadBytes(s, raw, size)) return 0;
            for (std::uint32_t i = 0; i < size / 4; ++i) {
                entries[i] = {raw[i * 4], raw[i * 4 + 1], raw[i * 4 + 2], raw[i * 4 + 3]};
            }
        } else if (tag == kTagPspl) {
            std::uint8_t sb[2];
            if (size < 2 || !ReadBytes(s, sb, 2)) return 0;
            const std::int32_t shift = sb[0], bits = sb[1];
            if (shift + bits > 16) return 0;
            if (size - 2 != (1u << (shift + bits + 8))) return 0;
            if (!SetShadeTable(shift, bits, nullptr)) return 0;
            if (!ReadBytes(s, shadeTable, size - 2)) return 0;
            PadShadeTable();
        } else if (tag == kTagPtpl) {
            std::uint8_t tb[3];
            if (size < 3 || size - 3 > kMaxChunkBody || !ReadBytes(s, tb, 3)) return 0;
            if (!SetTranslucentTable(tb[0], tb[1] + 1, tb[2], nullptr, size - 3)) return 0;
            if (!ReadBytes(s, translucentTable, size - 3)) return 0;
        } else if (tag == kTagPcmt) {
            std::uint8_t mask[32];
            if (size != 32 || !ReadBytes(s, mask, 32)) return 0;
            SetNearestMask(mask);
        } else if (!Skip(s, size)) {
            return 0;
        }
        if (counter != kPaletteNoHead) --counter;
    }
    shadeLevel = 0;
    translucentLevel = 0;
    return 1;
}

int GFXPalette::ReadRiff(core::StreamIO& s) {
    using namespace chunkio;
    std::uint32_t form = 0, tag = 0, size = 0;
    if (!ReadU32(s, &form) || form != kTagPAL) return 0;
    if (!ReadHeader(s, &tag, &size) || tag != kPaletteTagData) return 0;
    if (size < 4 || size % 4 != 0 || size / 4 - 1 > 256) return 0;
    std::uint8_t raw[4 + 1024];
    if (!ReadBytes(s, raw, size)) return 0;
    const std::uint32_t n = size / 4 - 1;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t* e = raw + 4 + i * 4;
        entries[i] = {e[0], e[1], e[2], e[3]};
    }
    version = 0x300;
    count = 256;
    ClearTables();
    return 1;
}

std::uint32_t GFXPalette::GetStoredSize() const {
    std::uint32_t n = 8 + 12 + 8 + 1024;  // "PPAL", "head", "data"
    if (shadeTable != nullptr) n += 8 + 2 + ShadeTableSize();
    if (translucentTable != nullptr) n += 8 + 3 + translucentSize;
    if (nearestMask != nullptr) n += 8 + 32;
    return n;
}

int GFXPalette::Write(core::StreamIO& s, std::uint32_t flags) const {
    using namespace chunkio;
    std::uint8_t raw[1024];
    for (int i = 0; i < 256; ++i) {
        raw[i * 4] = entries[i].red;
        raw[i * 4 + 1] = entries[i].green;
        raw[i * 4 + 2] = entries[i].blue;
        raw[i * 4 + 3] = entries[i].flags;
    }
    if (flags & kPaletteWriteRiff) {
        WriteHeader(s, kTagRIFF, 4 + 8 + 4 + 1024);
        WriteU32(s, kTagPAL);
        WriteHeader(s, kPaletteTagData, 4 + 1024);
        std::uint8_t vc[4];
        core::WriteU16(vc, version);
        core::WriteU16(vc + 2, 256);
        WriteBytes(s, vc, 4);
        WriteBytes(s, raw, 1024);
        return StreamOk(s) ? 1 : 0;
    }
    std::uint32_t chunks = 1;
    if (shadeTable != nullptr) ++chunks;
    if (translucentTable != nullptr) ++chunks;
    if (nearestMask != nullptr) ++chunks;
    WriteHeader(s, kPaletteTagPPAL, GetStoredSize() - 8);
    WriteHeader(s, kPaletteTagHead, 4);
    WriteU32(s, chunks);
    WriteHeader(s, kPaletteTagData, 1024);
    WriteBytes(s, raw, 1024);
    if (shadeTable != nullptr) {
        WriteHeader(s, kTagPspl, 2 + ShadeTableSize());
        const std::uint8_t sb[2] = {static_cast<std::uint8_t>(shadeShift),
                                    static_cast<std::uint8_t>(shadeBits)};
        WriteBytes(s, sb, 2);
        WriteBytes(s, shadeTable, ShadeTableSize());
    }
    if (translucentTable != nullptr) {
        WriteHeader(s, kTagPtpl, 3 + translucentSize);
        const std::uint8_t tb[3] = {static_cast<std::uint8_t>(translucentFirst),
                                    static_cast<std::uint8_t>(translucentLevels - 1),
                                    static_cast<std::uint8_t>(translucentLast)};
        WriteBytes(s, tb, 3);
        WriteBytes(s, translucentTable, translucentSize);
    }
    if (nearestMask != nullptr) {
        WriteHeader(s, kTagPcmt, 32);
        WriteBytes(s, nearestMask, 32);
    }
    return StreamOk(s) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Entries

void GFXPalette::SetEntries(const GFXPaletteEntry* source) {
    std::copy(source, source + std::min<int>(count, 256), entries);
}

void GFXPalette::GetEntries(GFXPaletteEntry* destination) const {
    std::copy(entries, entries + std::min<int>(count, 256), destination);
}

void GFXPalette::SetEntriesFromQuads(const GFXColorQuad* source) {
    for (int i = 0; i < 256; ++i) {
        entries[i] = {source[i].red, source[i].green, source[i].blue, kPaletteNoCollapse};
    }
}

void GFXPalette::GetEntriesAsQuads(GFXColorQuad* destination) const {
    for (int i = 0; i < 256; ++i) {
        destination[i] = {entries[i].blue, entries[i].green, entries[i].red, 0};
    }
}

std::unique_ptr<GFXPalette> GFXPalette::CreateFromEntries(const GFXPaletteEntry* e) {
    auto p = std::make_unique<GFXPalette>();
    p->SetEntries(e);
    return p;
}

std::unique_ptr<GFXPalette> GFXPalette::CreateFromQuads(const GFXColorQuad* q) {
    auto p = std::make_unique<GFXPalette>();
    p->SetEntriesFromQuads(q);
    return p;
}

void CopyPaletteEntries(GFXPalette* into, const GFXPalette* from, std::int32_t first,
                        std::int32_t count) {
    if (into == nullptr || from == nullptr || into == from) return;
    // Summed wide: a range given as (first, count) must not wrap into the table.
    const std::int64_t lo = std::clamp<std::int64_t>(first, 0, 256);
    const std::int64_t hi =
        std::clamp<std::int64_t>(static_cast<std::int64_t>(first) + std::max(count, 0), 0, 256);
    if (hi > lo) std::copy(from->entries + lo, from->entries + hi, into->entries + lo);
}

int GFXPalette::IsAllowed(std::int32_t index) const {
    if (index < 0 || index > 255) return 0;
    if (nearestMask == nullptr) return 1;
    return (nearestMask[index >> 3] >> (index & 7)) & 1;
}

std::int32_t GFXPalette::FindNearest(std::uint32_t colour) const {
    const int r = static_cast<int>(colour & 0xFF);
    const int g = static_cast<int>((colour >> 8) & 0xFF);
    const int b = static_cast<int>((colour >> 16) & 0xFF);
    auto search = [&](bool useMask) {
        std::int32_t best = -1;
        int bestDistance = 0x30000;  // above the largest possible distance
        for (int i = 10; i <= 244; ++i) {
            if (useMask && !IsAllowed(i)) continue;
            const int dr = entries[i].red - r, dg = entries[i].green - g, db = entries[i].blue - b;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        return best;
    };
    const std::int32_t best = search(true);
    // A mask that allows nothing in the searched range would leave no answer; the nearest of
    // the whole range is still a drawable colour.
    return best >= 0 ? best : search(false);
}

// ---------------------------------------------------------------------------------------------
// 16-bit tables

void GFXPalette::BuildColors16(const GFXPixelFormat& format) {
    if (format16 && colors16 != nullptr && SameFormat(*format16, format)) return;
    if (!colors16Alloc) {
        colors16Alloc = AllocAligned(256 * sizeof(std::uint32_t), 1024);
        if (!colors16Alloc) return;
        colors16 = reinterpret_cast<std::uint32_t*>(colors16Alloc.get());
    }
    format16 = std::make_unique<GFXPixelFormat>(format);
    for (int i = 0; i < 256; ++i) {
        colors16[i] = Pack16(format, entries[i].red, entries[i].green, entries[i].blue);
    }
}

void GFXPalette::BuildTextureColors16(std::int32_t mode) {
    if (!textureColors16Alloc) {
        textureColors16Alloc = AllocAligned(256 * sizeof(std::uint32_t), 1024);
        if (!textureColors16Alloc) return;
        textureColors16 = reinterpret_cast<std::uint32_t*>(textureColors16Alloc.get());
    }
    const std::int32_t n = translucentLevels;
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t v = 0;
        if (mode == 0) {
            const GFXPaletteEntry& e = entries[i];
            v = 0x8000u | ((e.red >> 3u) << 10) | ((e.green >> 3u) << 5) | (e.blue >> 3u);
        } else if (n > 0 && n <= 256) {
            // A colour of the translucency range with its level as alpha: 4-4-4-4, or 3-4-4-4
            // with 16 levels of 16 colours.
            const std::int32_t k = translucentFirst + static_cast<std::int32_t>(i & (n - 1));
            if (k != translucentFirst && k >= 0 && k < 256) {
                const GFXPaletteEntry& e = entries[k];
                const std::uint32_t a = 256u / n - 1u - i / n;
                v = ((e.red >> 4u) << 8) | (e.green & 0xF0u) | (e.blue >> 4u) |
                    (a << (256 / n == 16 ? 12 : 13));
                v &= 0xFFFFu;
            }
        }
        textureColors16[i] = (i == 0) ? 0 : v;
    }
}

void GFXPalette::BuildBlend16(const GFXPixelFormat& format) {
    if (!codeAlloc) codeAlloc = AllocAligned(65536);
    if (!blendAlloc) blendAlloc = AllocAligned(65536 * sizeof(std::uint32_t), 1024);
    if (!codeAlloc || !blendAlloc) return;
    code16 = codeAlloc.get();
    blend16 = reinterpret_cast<std::uint32_t*>(blendAlloc.get());
    for (std::uint32_t p = 0; p < 65536; ++p) {
        const std::uint32_t r = TopBits(p, format.redBits, format.redShift, 3);
        const std::uint32_t g = TopBits(p, format.greenBits, format.greenShift, 3);
        const std::uint32_t b = TopBits(p, format.blueBits, format.blueShift, 2);
        code16[p] = static_cast<std::uint8_t>((r << 5) | (g << 2) | b);
    }
    for (std::uint32_t a = 0; a < 16; ++a) {
        for (std::uint32_t e = 0; e < 16; ++e) {
            for (std::uint32_t code = 0; code < 256; ++code) {
                // The code's colour with its bits spread over the whole byte.
                const std::uint32_t r3 = code >> 5, g3 = (code >> 2) & 7, b2 = code & 3;
                const std::uint32_t cr = (r3 << 5) | (r3 << 2) | (r3 >> 1);
                const std::uint32_t cg = (g3 << 5) | (g3 << 2) | (g3 >> 1);
                const std::uint32_t cb = b2 * 0x55u;
                const GFXPaletteEntry& pe = entries[e];
                blend16[(a << 12) | (e << 8) | code] =
                    Pack16(format, (cr * a + pe.red * (16 - a)) / 16,
                           (cg * a + pe.green * (16 - a)) / 16, (cb * a + pe.blue * (16 - a)) / 16);
            }
        }
    }
}

void GFXPalette::BuildLightTables16(const GFXPixelFormat& format, std::int32_t lightBits,
                                    std::int32_t hazeBits, GFXPaletteEntry haze, LightCurve curve) {
    if (lightBits < 0 || hazeBits < 0 || lightBits + hazeBits > 12) return;
    const std::size_t lightLevels = std::size_t{1} << lightBits;
    const std::size_t hazeLevels = std::size_t{1} << hazeBits;
    const std::size_t rows = lightLevels * hazeLevels;
    const std::size_t bytes = 3 * rows * 256 * sizeof(std::uint32_t);
    if (lightAlloc && bytes == lightAllocSize && lightBits == light16Bits &&
        hazeBits == haze16Bits && SameFormat(format, lightFormat) && haze == lightHaze &&
        curve == lightCurve)
        return;
    if (!lightAlloc || bytes != lightAllocSize) {
        AlignedBytes block = AllocAligned(bytes, 1024);
        if (!block) return;
        lightAlloc = std::move(block);
        lightAllocSize = bytes;
    }
    lightFormat = format;
    lightHaze = haze;
    lightCurve = curve;
    light16Bits = lightBits;
    haze16Bits = hazeBits;
    auto* base = reinterpret_cast<std::uint32_t*>(lightAlloc.get());
    light16Red = base;
    light16Green = base + rows * 256;
    light16Blue = base + 2 * rows * 256;
    for (std::size_t h = 0; h < hazeLevels; ++h) {
        const double f = hazeLevels > 1 ? static_cast<double>(h) / (hazeLevels - 1) : 0.0;
        for (std::size_t l = 0; l < lightLevels; ++l) {
            const double t = lightLevels > 1 ? static_cast<double>(l) / (lightLevels - 1) : 0.0;
            const double c = curve != nullptr ? curve(t) : t;
            const std::size_t row = (h * lightLevels + l) * 256;
            for (int i = 0; i < 256; ++i) {
                auto channel = [&](std::uint8_t v, std::uint8_t hz) {
                    const double x = c * v * (1.0 - f) + hz * f;
                    if (!(x > 0.0)) return 0u;  // also a curve that answers NaN
                    return static_cast<std::uint32_t>(std::min(x, 255.0));
                };
                light16Red[row + i] =
                    Place(channel(entries[i].red, haze.red), format.redBits, format.redShift);
                light16Green[row + i] = Place(channel(entries[i].green, haze.green),
                                              format.greenBits, format.greenShift);
                light16Blue[row + i] =
                    Place(channel(entries[i].blue, haze.blue), format.blueBits, format.blueShift);
            }
        }
    }
}

}  // namespace gfx
