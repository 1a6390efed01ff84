#include "ts/material.h"

#include <cstdio>
#include <cstring>

#include "core/pool_alloc.h"
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "ts/engine_pools.h"
#include "ts/shape_resource.h"

namespace ts {

namespace {

core::PoolAlloc& MaterialPool() {
    return ClassPool(EnginePool::kMaterial, sizeof(TSMaterial));
}

// The eight mappings of a face's (u, v) onto the texture's rectangle of its sheet.
template <int kMapping>
gfx::GFXTexCoord MapOnto(const TSTextureManager::Entry& t, float u, float v) {
    float a = u, b = v;
    if constexpr (kMapping == 1) a = 1 - u;
    if constexpr (kMapping == 2) b = 1 - v;
    if constexpr (kMapping == 3) a = 1 - u, b = 1 - v;
    if constexpr (kMapping == 4) a = v, b = 1 - u;
    if constexpr (kMapping == 5) a = 1 - v, b = 1 - u;
    if constexpr (kMapping == 6) a = v, b = u;
    if constexpr (kMapping == 7) a = 1 - v, b = u;
    return gfx::GFXTexCoord{t.x0 + t.sx * a, t.y0 + t.sy * b};
}

constexpr TSMaterial::MapRoutine kMappings[8] = {&MapOnto<0>, &MapOnto<1>, &MapOnto<2>,
                                                 &MapOnto<3>, &MapOnto<4>, &MapOnto<5>,
                                                 &MapOnto<6>, &MapOnto<7>};

const char* const kShadingNames[3] = {"Unlit", "Flat", "Smooth"};

}  // namespace

std::uint32_t DrawKindFor(std::uint32_t type, std::uint32_t shading, std::uint32_t flags) {
    // The 24-entry table: ((perspective + 2 type) x 3 + shading).
    static constexpr std::uint8_t kTable[24] = {0, 0, 0, 0, 0, 0, 1, 2, 3, 1, 2, 3,
                                                1, 2, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    if (type > TSMaterial::kTexture || shading > TSMaterial::kSmooth) return 0;
    const std::uint32_t perspective = (flags & TSMaterial::kPerspective) >> 2;
    return kTable[(perspective + 2 * type) * 3 + shading];
}

// ---- TSMaterial -----------------------------------------------------------------------------

TSMaterial::TSMaterial(const TSMaterial& other)
    : ClassItem(),
      type(other.type),
      word1(other.word1),
      shading(other.shading),
      word2(other.word2),
      paletteIndex(other.paletteIndex),
      rgb(other.rgb),
      flags(other.flags),
      textureName(other.textureName) {}

TSMaterial::~TSMaterial() {
    if (texture != nullptr) TSTextureManager::ReleaseEntry(texture);
}

void* TSMaterial::operator new(std::size_t size) {
    return PoolNew(MaterialPool(), size);
}

void TSMaterial::operator delete(void* block, std::size_t size) {
    PoolDelete(MaterialPool(), block, size);
}

void TSMaterial::SetPoolCapacity(std::int32_t count) {
    MaterialPool();
    SetEnginePoolCapacity(EnginePool::kMaterial, count);
}

void TSMaterial::Acquire(const gfx::GFXPalette* palette) {
    if (useCount++ > 0) return;
    switch (type) {
        case kNull:
        case kPalette:
            flags = 0;
            break;
        case kRGB: {
            flags = 0;
            if (palette == nullptr && gfx::theCurrentDrawTarget != nullptr &&
                gfx::theCurrentDrawTarget->surface != nullptr)
                palette = gfx::theCurrentDrawTarget->surface->palette;
            const std::uint32_t colour = rgb.r | (std::uint32_t{rgb.g} << 8) | (std::uint32_t{rgb.b} << 16);
            paletteIndex = palette != nullptr ? static_cast<std::uint32_t>(palette->FindNearest(colour)) : 0;
            break;
        }
        case kTexture:
            texture = TSTextureManager::Acquire(textureName);
            mapping = kMappings[(flags & kMappingMask) >> 3];
            break;
        default:
            break;
    }
    SelectDrawFunction();
}

void TSMaterial::Release() {
    if (useCount == 0) return;
    if (--useCount > 0) return;
    if (texture != nullptr) TSTextureManager::ReleaseEntry(texture);
    texture = nullptr;
    mapping = nullptr;
}

void TSMaterial::SelectDrawFunction() {
    // A texture material whose texture could not be had draws its palette colour instead.
    if (type == kTexture && texture == nullptr)
        drawKind = DrawKindFor(kPalette, shading, 0);
    else
        drawKind = DrawKindFor(type, shading, flags);
}

void TSMaterial::ResolveRGB(const gfx::GFXSurface* surface) {
    if (type != kRGB) return;
    const std::uint32_t colour = rgb.r | (std::uint32_t{rgb.g} << 8) | (std::uint32_t{rgb.b} << 16);
    const gfx::GFXPalette* palette = surface != nullptr ? surface->palette : nullptr;
    paletteIndex = palette != nullptr ? static_cast<std::uint32_t>(palette->FindNearest(colour)) : 0;
    type = kPalette;
    SelectDrawFunction();
}

gfx::GFXFaceMaterial TSMaterial::FaceMaterial() const {
    gfx::GFXFaceMaterial m;
    m.colour = paletteIndex & 0xFFu;
    if (IsTextured()) {
        m.texture = texture->sheet != nullptr ? texture->sheet->bitmap.get() : nullptr;
        m.textureFlags = flags & (kTransparent | kTranslucent);
    }
    return m;
}

gfx::GFXTexCoord TSMaterial::Map(float u, float v) const {
    if (texture == nullptr || mapping == nullptr) return gfx::GFXTexCoord{u, v};
    return mapping(*texture, u, v);
}

std::uint32_t TSMaterial::getStoredSize() const {
    return 32 + (textureName.empty() ? 0u : static_cast<std::uint32_t>(textureName.size() + 1));
}

int TSMaterial::read(core::StreamIO& stream, std::uint32_t) {
    if (bytesLeft(stream) < 32) return 0;
    std::uint32_t w[8];
    for (std::uint32_t& x : w)
        if (!readU32(stream, &x)) return 0;
    const std::uint32_t length = w[7];
    // A name of 20 characters or more does not fit the material's field.
    if (length > kMaxNameLength || length > bytesLeft(stream)) return 0;
    char name[kMaxNameLength + 1] = {};
    if (length > 0 && !core::ReadAll(stream, length, name)) return 0;
    type = w[0];
    word1 = w[1];
    shading = w[2];
    word2 = w[3];
    paletteIndex = w[4];
    rgb = RGB{static_cast<std::uint8_t>(w[5]), static_cast<std::uint8_t>(w[5] >> 8),
              static_cast<std::uint8_t>(w[5] >> 16), static_cast<std::uint8_t>(w[5] >> 24)};
    flags = w[6];
    textureName.assign(name, strnlen(name, length));
    return 1;
}

int TSMaterial::write(core::StreamIO& stream, std::uint32_t) const {
    const std::uint32_t packed = rgb.r | (std::uint32_t{rgb.g} << 8) | (std::uint32_t{rgb.b} << 16) |
                                 (std::uint32_t{rgb.a} << 24);
    const std::uint32_t length =
        textureName.empty() ? 0u : static_cast<std::uint32_t>(textureName.size() + 1);
    int ok = 1;
    for (std::uint32_t x : {type, word1, shading, word2, paletteIndex, packed, flags, length})
        ok &= writeU32(stream, x);
    if (length > 0) ok &= stream.Write(length, textureName.c_str());
    return ok;
}

void TSMaterial::dump(int depth, int indent) const {
    ClassItem::dump(depth, indent);
    if (depth <= 0) return;
    switch (type) {
        case kNull:
            std::printf("%*cNull\n", indent, ' ');
            return;
        case kPalette:
            std::printf("%*cPalette: #%u, ", indent, ' ', paletteIndex);
            break;
        case kRGB:
            std::printf("%*cRGB: (%d,%d,%d) ", indent, ' ', rgb.r, rgb.g, rgb.b);
            break;
        case kTexture:
            std::printf("%*cTexture: %s, ", indent, ' ', textureName.c_str());
            if ((flags & kTransparent) != 0) std::printf("Transparent, ");
            if ((flags & kTranslucent) != 0) std::printf("Translucent, ");
            if ((flags & kPerspective) != 0) std::printf("Perspective, ");
            break;
        default:
            std::printf("%*cGarbage material type\n", indent, ' ');
            return;
    }
    if (shading <= kSmooth) std::printf("%s", kShadingNames[shading]);
    std::printf("\n");
}

// ---- TSMaterialList -------------------------------------------------------------------------

TSMaterialList::TSMaterialList(std::int32_t materialsPerSet, std::int32_t sets)
    : fnMaterials(materialsPerSet > 0 ? materialsPerSet : 0), setCount(sets > 0 ? sets : 1) {
    const std::int64_t n = std::int64_t{fnMaterials} * setCount;
    for (std::int64_t i = 0; i < n; ++i)
        materials.push_back(std::make_unique<TSMaterial>());
}

TSMaterialList::TSMaterialList(const TSMaterialList& other) : ClassItem() {
    for (std::int32_t i = other.baseIndex; i >= 0 && i < other.Count(); ++i)
        materials.push_back(std::make_unique<TSMaterial>(*other.At(i)));
    fnMaterials = Count();
    setCount = 1;
}

TSMaterialList::~TSMaterialList() = default;

TSMaterialList* TSMaterialList::Load(std::string_view name, const gfx::GFXPalette* palette,
                                     int acquire) {
    ShapeSearchPath guard(name);
    core::StreamIO* stream = OpenShapeResource(guard.FileName());
    if (stream == nullptr) return nullptr;
    std::unique_ptr<TSMaterialList> list = ClassItem::load<TSMaterialList>(*stream, 0);
    CloseShapeResource(stream);
    if (!list) core::ReportDamagedFile(std::string(guard.FileName()));
    if (list && acquire != 0) list->AcquireAll(palette);
    return list.release();
}

void TSMaterialList::AcquireAll(const gfx::GFXPalette* palette) {
    ForEach([palette](TSMaterial& m) { m.Acquire(palette); });
}

void TSMaterialList::ReleaseAll() {
    ForEach([](TSMaterial& m) { m.Release(); });
}

void TSMaterialList::ResolveRGBAll(const gfx::GFXSurface* surface) {
    ForEach([surface](TSMaterial& m) { m.ResolveRGB(surface); });
}

void TSMaterialList::Add(std::unique_ptr<TSMaterial> material) {
    materials.push_back(std::move(material));
    fnMaterials = Count();
    setCount = 1;
}

std::uint32_t TSMaterialList::getStoredSize() const {
    std::uint64_t size = 8;
    for (const auto& m : materials)
        size += getTotalStoredSize(m.get());
    return size <= 0x7FFFFFF0u ? static_cast<std::uint32_t>(size) : 0;
}

std::uint32_t TSMaterialList::getMemorySize() const {
    return static_cast<std::uint32_t>(24 + materials.size() * (4 + TSMaterial::kMemorySize));
}

int TSMaterialList::read(core::StreamIO& stream, std::uint32_t) {
    std::uint32_t perSet = 0, sets = 0;
    if (bytesLeft(stream) < 8 || !readU32(stream, &perSet) || !readU32(stream, &sets)) return 0;
    // Every material is a block of at least its 8-byte header and 32 bytes of data.
    const std::uint64_t count = std::uint64_t{perSet} * sets;
    if (count > bytesLeft(stream) / 40) return 0;
    materials.clear();
    for (std::uint64_t i = 0; i < count; ++i) {
        std::unique_ptr<TSMaterial> m = ClassItem::load<TSMaterial>(stream, 0);
        if (!m || loadFailed()) return 0;
        materials.push_back(std::move(m));
    }
    fnMaterials = static_cast<std::int32_t>(perSet);
    setCount = static_cast<std::int32_t>(sets);
    return 1;
}

int TSMaterialList::write(core::StreamIO& stream, std::uint32_t) const {
    int ok = writeU32(stream, static_cast<std::uint32_t>(fnMaterials));
    ok &= writeU32(stream, static_cast<std::uint32_t>(setCount));
    for (const auto& m : materials)
        ok &= storeObject(m.get(), stream, 0);
    return ok;
}

void TSMaterialList::dump(int depth, int indent) const {
    ClassItem::dump(depth, indent);
    if (depth <= 0) return;
    std::printf("%*cfnMaterials: %d\n", indent, ' ', fnMaterials);
    for (const auto& m : materials)
        m->dump(depth - 1, indent + 1);
}

}  // namespace ts
