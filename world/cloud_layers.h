// The drawable clouds: up to three cloud decks made from the live weather's cloud layers. A deck
// is a 256 x 256 map of cloud cells (each 256 world units square, so the map repeats every
// 65536 units) taken from a bitmap: near the viewer each cloud cell is a lit block whose height
// varies from cell to cell, farther out the deck is a flat textured sheet. The set draws the
// decks, the terrain and the render items filed below, in and over each deck in the order the
// viewer's altitude asks for, and fills the view with fog when the viewer is inside a cloud.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace core {
class ResourceVolume;
}
namespace gfx {
class GFXBitmap;
}
namespace ts {
class TSRenderItem;
}

namespace world {

class CloudLayer;
class WeatherState;

inline constexpr int kCloudCells = 256;

class CloudDeck {
public:
    // The flat sheet's radius at the farthest "CloudDistance" (100), and at the nearest (0).
    static constexpr float kRadius = 400000.0f;
    static constexpr float kNearestRadius = 10000.0f;
    static constexpr float kCellSize = 256.0f;
    static constexpr float kRepeat = kCellSize * kCloudCells;  // 65536
    // Cell blocks are drawn while the viewer is closer than this to the deck.
    static constexpr float kBlockRange = 2000.0f;
    static constexpr int kBlockReach = 20;  // cells either side of the viewer's

    // The deck of a weather cloud layer (base and top in feet), its cell map "cloud%da.bmp" and
    // its underside "cloud%db.bmp" from `art`; null when the layer has no cloud or the cell map
    // is missing or not a 256 x 256 8-bit bitmap. A missing underside only goes undrawn.
    static std::unique_ptr<CloudDeck> Create(const CloudLayer& layer, core::ResourceVolume* art);
    // The same from a cell map already at hand (tests, tools).
    CloudDeck(float baseFeet, float topFeet, int coverage, const gfx::GFXBitmap& cellMap);
    ~CloudDeck();
    CloudDeck(const CloudDeck&) = delete;
    CloudDeck& operator=(const CloudDeck&) = delete;

    // Altitudes in world units (feet x 0.77575755), as positions have them.
    [[nodiscard]] float Base() const { return base; }
    [[nodiscard]] float Top() const { return top; }
    [[nodiscard]] int Coverage() const { return coverage; }
    [[nodiscard]] std::uint8_t Shade(int u, int v) const { return shades[Index(u, v)]; }
    [[nodiscard]] std::uint8_t Sides(int u, int v) const { return sides[Index(u, v)]; }
    [[nodiscard]] std::uint8_t Cell(int u, int v) const { return cells[Index(u, v)]; }
    // The top of a cell's column: base + shade x (top - base) / 256.
    [[nodiscard]] float ColumnTop(int u, int v) const;
    // The cell-map value under a world position when it lies in cloud (between base and its
    // cell's column top), else 0.
    [[nodiscard]] int Contains(const double worldPosition[3]) const;
    // The cell holding a world position (after the scroll offsets).
    void CellOf(double x, double y, int* u, int* v) const;

    // Files an item by its altitude: 0 below the base (declined), else the in-band list (up to
    // the top) or the over list.
    int Offer(const double worldPosition[3], float radius, ts::TSRenderItem* item);
    [[nodiscard]] std::size_t InBandCount() const { return inBand.size(); }
    [[nodiscard]] std::size_t OverCount() const { return over.size(); }

    void SetUndersideBitmap(std::unique_ptr<gfx::GFXBitmap> b);
    void SetTopBitmap(std::unique_ptr<gfx::GFXBitmap> b);

    // How far the flat sheet reaches for a "CloudDistance" setting (0..100, held to it): from
    // some four miles at 0 to the deck's radius at 100 by equal ratios, so that each step of
    // the slider moves the sheet's far edge about as much on the screen (the fresh
    // installation's 60 reaches about as far as the ground is drawn from a few thousand feet).
    [[nodiscard]] static float SheetRadius(int cloudDistance);

    // Drawing through the current camera, whose transform is the scene frame; `viewer` is in
    // world units and `offset` turns scene positions into world ones. The sheet reaches
    // `radius` round the viewer.
    void RenderSheet(const double viewer[3], const double offset[2], float radius = kRadius) const;
    // Returns the number of faces drawn.
    int RenderCells(const double viewer[3], const double offset[2]);
    void RenderInBand(const double viewer[3]);
    void RenderOver(const double viewer[3]);
    // Empties both lists without drawing.
    void DropFiled();

private:
    struct Filed {
        ts::TSRenderItem* item;
        double at[3];
        double distance;
    };
    static std::size_t Index(int u, int v) {
        return static_cast<std::size_t>((u & (kCloudCells - 1)) |
                                        ((v & (kCloudCells - 1)) << 8));
    }
    static void RenderList(std::vector<Filed>& list, const double viewer[3]);

    float base = 0.0f;
    float top = 0.0f;
    float thicknessStep = 0.0f;
    int coverage = 0;
    double scroll[2] = {0.0, 0.0};
    std::vector<std::uint8_t> cells;   // the map: 0 clear
    std::vector<std::uint8_t> shades;  // 0 clear
    std::vector<std::uint8_t> sides;   // 1 left, 2 right, 4 up, 8 down exposed
    std::unique_ptr<gfx::GFXBitmap> topBitmap;
    std::unique_ptr<gfx::GFXBitmap> undersideBitmap;
    std::vector<Filed> inBand;
    std::vector<Filed> over;
};

class CloudLayerSet {
public:
    // Cloud maps come from `art` ("Art\Wx"); null gives no decks.
    explicit CloudLayerSet(core::ResourceVolume* art);
    ~CloudLayerSet();

    // Deck 0 from weather layer 2 (the highest), deck 1 from layer 1, deck 2 from layer 0.
    void BuildFromWeather(const WeatherState& weather);
    // Offers the item to decks 0, 1, 2 in turn; 1 when one took it.
    int AddRenderItem(const double worldPosition[3], float radius, ts::TSRenderItem* item);
    // The same for a scene (grid) position.
    int AddRenderItemGrid(const float gridPosition[3], float radius, ts::TSRenderItem* item);
    // 1 when there is no deck with cloud.
    [[nodiscard]] int IsClear() const;
    // 0 clear; 2 when a deck has coverage 5 or more other than 6; otherwise 1.
    [[nodiscard]] int GetCoverageClass() const;
    // The decks, the terrain and the filed items in altitude order, or fog when the viewer
    // (world position) is inside a cloud.
    void Render(const double viewer[3]);

    [[nodiscard]] CloudDeck* Deck(int i) const {
        return (i >= 0 && i < 3) ? decks[static_cast<std::size_t>(i)].get() : nullptr;
    }
    void SetDeck(int i, std::unique_ptr<CloudDeck> deck);
    // Whether the last Render filled the view with fog.
    [[nodiscard]] bool WasFogged() const { return fogged; }
    // The order of the last Render's steps, as letters per deck and 'T' for the terrain.
    [[nodiscard]] const std::vector<char>& LastPasses() const { return passes; }

private:
    core::ResourceVolume* art;
    std::array<std::unique_ptr<CloudDeck>, 3> decks;
    bool fogged = false;
    std::vector<char> passes;
};

// Light factors of the five face directions (+x, -x, +y, -y, up) for the scene's light, shared
// by every deck and brought up to date once per frame.
void UpdateCloudLightFactors();
[[nodiscard]] float CloudLightFactor(int direction);

}  // namespace world
