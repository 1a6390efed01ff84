// The world's shared shapes: scenery objects, traffic aircraft and the user's aircraft take their
// shapes from here by name (without regard to case), so that a tile of a hundred identical
// hangars loads one shape. Entries are counted; the last release frees the shape.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gfx {
class GFXPalette;
}
namespace ts {
class TSShape;
}

namespace world {

class ArtifactShapeCache {
public:
    ArtifactShapeCache();
    ~ArtifactShapeCache();
    ArtifactShapeCache(const ArtifactShapeCache&) = delete;
    ArtifactShapeCache& operator=(const ArtifactShapeCache&) = delete;

    // The shape of the name with one more reference, loaded from the current shape folder on
    // first use (with the palette for its RGB materials); null when it cannot be loaded.
    ts::TSShape* Acquire(std::string_view name, const gfx::GFXPalette* palette = nullptr);
    // One reference less; at none the shape is freed and its slot takes the last entry.
    void Release(const ts::TSShape* shape);

    // While a building tile is built, a newly loaded shape has its radius doubled, and so has
    // the first mesh under its first detail part.
    void SetBuildingTile(int on) { buildingTile = on != 0; }

    [[nodiscard]] int Count() const { return static_cast<int>(entries.size()); }
    [[nodiscard]] std::uint32_t References(const ts::TSShape* shape) const;

    // The capacity of the entry pool ("NumArtEntry" of "MemControl", 800 unless above 0).
    static void SetPoolCapacity(std::int32_t count);
    [[nodiscard]] static std::uint16_t PoolCapacity();

private:
    struct Entry {
        std::string name;
        ts::TSShape* shape = nullptr;
        std::uint32_t references = 0;
    };
    std::vector<Entry> entries;
    bool buildingTile = false;
};

}  // namespace world
