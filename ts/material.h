// How a face is filled. A TSMaterial is nothing at all (never drawn), a palette colour, the
// palette colour nearest an RGB value, or a texture, each unlit, flat or smooth shaded. A
// TSMaterialList is the indexed table a shape's meshes look their faces' materials up in; it is
// stored as a ".dml" file beside the shape and becomes the draw target's current list while the
// shape draws. Acquiring a material prepares it for drawing: its colour is resolved, its texture
// taken from the texture manager and its face-draw kind chosen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/raster/poly_request.h"
#include "ts/class_item.h"
#include "ts/texture_manager.h"

namespace gfx {
class GFXPalette;
class GFXSurface;
}  // namespace gfx

namespace ts {

class TSMaterial final : public ClassItem {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 31);
    static constexpr std::uint32_t kMemorySize = 68;
    // Names with their terminator fit in 20 bytes.
    static constexpr std::uint32_t kMaxNameLength = 20;

    enum Type : std::uint32_t { kNull = 0, kPalette = 1, kRGB = 2, kTexture = 3 };
    enum Shading : std::uint32_t { kUnlit = 0, kFlat = 1, kSmooth = 2 };
    static constexpr std::uint32_t kTransparent = 0x01;
    static constexpr std::uint32_t kTranslucent = 0x02;
    static constexpr std::uint32_t kPerspective = 0x04;
    static constexpr std::uint32_t kMappingMask = 0x38;

    // A face's texture coordinate carried onto the texture's sheet.
    using MapRoutine = gfx::GFXTexCoord (*)(const TSTextureManager::Entry& texture, float u, float v);

    struct RGB {
        std::uint8_t r = 0;
        std::uint8_t g = 0;
        std::uint8_t b = 0;
        std::uint8_t a = 0;
    };

    TSMaterial() = default;
    // Copies what is stored (type through flags, and the name), not the prepared state.
    TSMaterial(const TSMaterial& other);
    ~TSMaterial() override;
    TSMaterial& operator=(const TSMaterial&) = delete;

    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);
    static void SetPoolCapacity(std::int32_t count);

    // Counted: only the first acquisition prepares the material, the last release undoes it.
    void Acquire(const gfx::GFXPalette* palette);
    void Release();
    void SelectDrawFunction();
    // An RGB material becomes the palette material of the nearest colour in the surface's palette.
    void ResolveRGB(const gfx::GFXSurface* surface);

    // What the face submission functions read of the material.
    [[nodiscard]] gfx::GFXFaceMaterial FaceMaterial() const;
    [[nodiscard]] gfx::GFXTexCoord Map(float u, float v) const;
    // Drawn with its texture (a texture material whose texture is there).
    [[nodiscard]] bool IsTextured() const { return type == kTexture && texture != nullptr; }

    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    [[nodiscard]] std::uint32_t getStoredSize() const override;
    [[nodiscard]] std::uint32_t getMemorySize() const override { return kMemorySize; }
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    std::uint32_t useCount = 0;
    TSTextureManager::Entry* texture = nullptr;
    std::uint32_t drawKind = 0;  // row of the face-draw table, 0..9
    MapRoutine mapping = nullptr;
    std::uint32_t type = kNull;
    std::uint32_t word1 = 0;  // kept with the material, not interpreted
    std::uint32_t shading = kUnlit;
    std::uint32_t word2 = 0;  // likewise
    std::uint32_t paletteIndex = 0;
    RGB rgb;
    std::uint32_t flags = 0;
    std::string textureName;  // at most 19 characters
};

// The face-draw kind of a material: 1..3 colour, 4..6 texture, 7..9 perspective texture (each
// unlit, flat, smooth); 0 for the null type and for a type or shading out of range.
[[nodiscard]] std::uint32_t DrawKindFor(std::uint32_t type, std::uint32_t shading, std::uint32_t flags);

class TSMaterialList final : public ClassItem {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 30);

    TSMaterialList() = default;
    // materialsPerSet x sets fresh null materials.
    TSMaterialList(std::int32_t materialsPerSet, std::int32_t sets);
    // A copy of the other list's materials from its base index on (what is stored of each).
    explicit TSMaterialList(const TSMaterialList& other);
    ~TSMaterialList() override;
    TSMaterialList& operator=(const TSMaterialList&) = delete;

    // Reads the list from the named ".dml" through the shape resource lookup; with acquire every
    // material is acquired with the palette. Null when it is missing or damaged.
    static TSMaterialList* Load(std::string_view name, const gfx::GFXPalette* palette, int acquire);

    void AcquireAll(const gfx::GFXPalette* palette);
    void ReleaseAll();
    void ResolveRGBAll(const gfx::GFXSurface* surface);
    template <typename Fn>
    void ForEach(Fn&& fn) {
        for (auto& m : materials)
            if (m) fn(*m);
    }

    // The material a face's index names: index + base index; null outside the list.
    [[nodiscard]] TSMaterial* Lookup(std::int64_t faceIndex) const {
        const std::int64_t i = faceIndex + baseIndex;
        return (i >= 0 && i < static_cast<std::int64_t>(materials.size()))
                   ? materials[static_cast<std::size_t>(i)].get()
                   : nullptr;
    }
    [[nodiscard]] std::int32_t Count() const { return static_cast<std::int32_t>(materials.size()); }
    [[nodiscard]] TSMaterial* At(std::int32_t i) const {
        return (i >= 0 && i < Count()) ? materials[static_cast<std::size_t>(i)].get() : nullptr;
    }
    // Appends a material (a list made in memory has one set).
    void Add(std::unique_ptr<TSMaterial> material);

    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    [[nodiscard]] std::uint32_t getStoredSize() const override;
    [[nodiscard]] std::uint32_t getMemorySize() const override;
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    std::int32_t fnMaterials = 0;  // materials per set
    std::int32_t setCount = 1;
    std::uint32_t word = 0;
    std::int32_t baseIndex = 0;  // added to every face's index when a mesh looks it up

private:
    std::vector<std::unique_ptr<TSMaterial>> materials;
};

}  // namespace ts
