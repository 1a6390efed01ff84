// The material lists the terrain's cells index: ".dml" files holding one stored material list
// (tag 20:30) of stored materials (tag 20:31), each a type (palette colour, RGB colour or
// texture), a shading, a palette index, an RGB value, texture flags and a texture name. The
// terrain reads them here, with its own small reader and writer of that stored form, until the
// shape engine's material lists take their place; a texture name resolves to one of the ground
// textures of "GridText.bin".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/stream_io.h"

namespace gfx {
class GFXBitmap;
}

namespace world {

inline constexpr std::uint32_t kMaterialListTag = (20u << 16) | 30u;
inline constexpr std::uint32_t kMaterialTag = (20u << 16) | 31u;
// A material's texture name holds at most 19 characters.
inline constexpr std::size_t kMaxMaterialName = 19;

enum TerrainMaterialType : std::uint32_t {
    kMaterialNull = 0,
    kMaterialPalette = 1,
    kMaterialRgb = 2,
    kMaterialTexture = 3,
};
enum TerrainShading : std::uint32_t { kShadingUnlit = 0, kShadingFlat = 1, kShadingSmooth = 2 };
inline constexpr std::uint32_t kMaterialTransparent = 1;
inline constexpr std::uint32_t kMaterialTranslucent = 2;
inline constexpr std::uint32_t kMaterialPerspective = 4;

struct TerrainMaterial {
    std::uint32_t type = kMaterialNull;
    std::uint32_t word1 = 0;  // kept, not interpreted
    std::uint32_t shading = kShadingUnlit;
    std::uint32_t word2 = 0;  // kept, not interpreted
    std::uint32_t paletteIndex = 0;
    std::uint32_t rgb = 0;  // r, g, b in the low three bytes
    std::uint32_t flags = 0;
    // The ground texture's name, and on terrain what the ground is ("water" for the sea and
    // the lakes) whatever the material's type: the plain colours are named as the textures.
    std::string textureName;
    const gfx::GFXBitmap* texture = nullptr;  // resolved while the list is in use
};

class TerrainMaterialList {
public:
    // One stored list, or null when the block is malformed (sizes, counts and names are
    // checked against what was read).
    [[nodiscard]] static std::unique_ptr<TerrainMaterialList> Read(core::StreamIO& stream);
    [[nodiscard]] static std::unique_ptr<TerrainMaterialList> FromBytes(const std::uint8_t* data,
                                                                        std::size_t size);
    // The stored form; names over 19 characters are refused (empty result).
    [[nodiscard]] std::vector<std::uint8_t> Store() const;

    // The material at a face's index (the base index added), or null outside the list.
    [[nodiscard]] const TerrainMaterial* At(std::int32_t index) const {
        const std::int64_t i = static_cast<std::int64_t>(index) + baseIndex;
        if (i < 0 || i >= static_cast<std::int64_t>(materials.size())) return nullptr;
        return &materials[static_cast<std::size_t>(i)];
    }
    [[nodiscard]] std::int32_t Count() const { return static_cast<std::int32_t>(materials.size()); }

    std::int32_t baseIndex = 0;
    std::int32_t perSet = 0;
    std::int32_t setCount = 1;
    std::vector<TerrainMaterial> materials;
};

}  // namespace world
