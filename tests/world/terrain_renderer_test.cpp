// The terrain renderer on a small world: flat ground seen from 300 m at a hundred headings leaves
// no pixel below the horizon undrawn, rough hills of cells of many levels show no cracks where
// the levels meet, frames repeat byte for byte without allocating, items
// drawn after their cell, and the view range and bands as the settings and the height set them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/palette.h"
#include "gfx/raster/span_state.h"
#include "gfx/surface.h"
#include "ts/light.h"
#include "ts/light_set.h"
#include "ts/part_tree.h"
#include "ts/perspective_camera.h"
#include "world/terrain_materials.h"
#include "world/terrain_renderer.h"
#include "world/world_fixture.h"

// Every allocation of this test program is counted, so a test can tell that a frame made none.
// All the plain forms are replaced together (the library's temporary buffers ask with nothrow),
// so every block is freed by the allocator that made it.
namespace {
std::atomic<long> theAllocations{0};
void* Allocate(std::size_t n) noexcept {
    ++theAllocations;
    return std::malloc(n == 0 ? 1 : n);
}
}  // namespace
void* operator new(std::size_t n) {
    if (void* p = Allocate(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    if (void* p = Allocate(n)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace {

using worldtest::PlaceInTile;
using worldtest::theSteering;

constexpr std::uint8_t kGroundColour = 100;

// A tile of nested cells, level 9 at the edges: a cell (level, column and row at its level,
// and its middle's distance from the tile's middle) is split when `split` says so, and each
// grid point (units from the tile's corner) has the height index `height` gives at every level.
world::TerrainTileModel NestedTile(const std::function<bool(int, int, int, double)>& split,
                                   const std::function<std::uint8_t(double, double)>& height) {
    world::TerrainTileModel tile;
    world::TerrainBlockModel b;
    b.firstLevel = 0;
    b.topLevel = 9;
    b.startLevelIndex = 9;
    b.levels.resize(10);
    b.levels[9].widthExp = b.levels[9].heightExp = 1;
    for (int i = 0; i < 4; ++i)
        b.levels[9].AddSquare();
    b.materialFile = "Art\\Terrain\\USA\\DML\\terrain.dml";
    for (int i = 0; i < 255; ++i)
        b.heights[static_cast<std::size_t>(i)] = i * 4;  // about 3 units a step
    std::function<void(int, std::uint32_t, int, int, int)> fill = [&](int level,
                                                                        std::uint32_t square,
                                                                        int which, int cx, int cy) {
        const double size = std::ldexp(1.0, 9 + level);
        const double mx = (cx + 0.5) * size - 524288.0, my = (cy + 0.5) * size - 524288.0;
        std::uint8_t* cell = b.levels[static_cast<std::size_t>(level)].Cell(square, which);
        const double x0 = cx * size, y0 = cy * size;
        const std::uint8_t h0 = height(x0, y0), h1 = height(x0, y0 + size);
        const std::uint8_t h2 = height(x0 + size, y0 + size), h3 = height(x0 + size, y0);
        if (level == 0 || !split(level, cx, cy, std::hypot(mx, my))) {
            world::SetTerrainCell(cell, world::kLinkLeaf, h0, h1, h2, h3, 0);
            return;
        }
        const std::uint32_t sq = b.levels[static_cast<std::size_t>(level - 1)].AddSquare();
        world::SetTerrainCell(cell, static_cast<std::uint16_t>(world::kLinkSubdivided | sq), h0,
                              h1, h2, h3, 0);
        for (int k = 0; k < 4; ++k)
            fill(level - 1, sq, k, 2 * cx + (k & 1), 2 * cy + (k >> 1));
    };
    for (int cy = 0; cy < 4; ++cy)
        for (int cx = 0; cx < 4; ++cx)
            fill(9, static_cast<std::uint32_t>((cy >> 1) * 2 + (cx >> 1)), (cy & 1) * 2 + (cx & 1),
                 cx, cy);
    tile.blocks.push_back(std::move(b));
    return tile;
}

// A flat tile whose cells get finer toward its middle: level 9 at the edges down to level 0
// within a few kilometres, so cells of many levels meet. A cell is split while it lies within
// eight of its own sizes of the tile's middle.
world::TerrainTileModel NestedFlatTile() {
    return NestedTile([](int level, int, int, double d) { return d < 8 * std::ldexp(1.0, 9 + level); },
                      [](double, double) { return std::uint8_t{0}; });
}

// Rough hills about 240 m high in cells that get finer toward the tile's middle, but unevenly:
// a cell may stay whole beside neighbours split two or three levels further, so cells of levels
// far apart share borders.
world::TerrainTileModel NestedHillyTile() {
    auto split = [](int level, int cx, int cy, double d) {
        const double size = std::ldexp(1.0, 9 + level);
        const unsigned mix = static_cast<unsigned>(cx) * 73856093u ^ static_cast<unsigned>(cy) * 19349663u ^
                             static_cast<unsigned>(level) * 83492791u;
        return d < 6 * size || (d < 24 * size && (mix >> 7) % 3 != 0);
    };
    auto height = [](double x, double y) {
        const double u = (x - 524288.0) / 5000.0, v = (y - 524288.0) / 3700.0;
        // Each grid point a little above or below the smooth hills.
        const unsigned bump = (static_cast<unsigned>(x) * 2654435761u) ^ (static_cast<unsigned>(y) * 40503u);
        return static_cast<std::uint8_t>(std::lround(127.0 + 90.0 * std::sin(u) * std::cos(v) +
                                                     static_cast<double>((bump >> 11) % 61) - 30.0));
    };
    return NestedTile(split, height);
}

class TerrainScene : public worldtest::WorldFixture {
protected:
    virtual world::TerrainTileModel Tile() const { return NestedFlatTile(); }
    void SetUp() override {
        WorldFixture::SetUp();
        WriteTile(worldtest::TileName(9, 5), Tile());

        previousTable = gfx::GFXMemSurface::SetDrawTable(&gfx::theSoftwareDrawTable);
        surface = gfx::GFXMemSurface::Create(640, 480, 8);
        ASSERT_NE(surface, nullptr);
        gfx::GFXPaletteEntry grey[256];
        for (int i = 0; i < 256; ++i)
            grey[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                           static_cast<std::uint8_t>(i), 0};
        palette = gfx::GFXPalette::CreateFromEntries(grey);
        // Shading and haze keep the colour: a pixel shows the index it was drawn with.
        std::vector<std::uint8_t> shades(std::size_t{1} << (3 + 5 + 8));
        for (std::size_t i = 0; i < shades.size(); ++i)
            shades[i] = static_cast<std::uint8_t>(i & 255);
        ASSERT_EQ(palette->SetShadeTable(5, 3, shades.data()), 1);
        surface->palette = palette.get();
        target = std::make_unique<gfx::GFXDrawTarget>(surface.get());
        camera = std::make_unique<ts::TSPerspectiveCamera>(ts::CameraRect{0, 0, 639, 479},
                                                           ts::CameraWindow{-40, 30, 40, -30}, 8.0f,
                                                           128.0f);
        sun.worldDirection = ts::Vector3F{0.2f, 0.3f, -0.93f};
        lights.AddLight(&sun);
        LoadWorld(0);
    }
    // The ground's one material (with the material flags given) and a terrain manager over the
    // tile, the aircraft 300 m above its middle.
    void LoadWorld(std::uint32_t materialFlags) {
        manager.reset();
        world::TerrainMaterialList list;
        list.perSet = 1;
        list.materials.resize(1);
        list.materials[0].type = world::kMaterialPalette;
        list.materials[0].shading = world::kShadingSmooth;
        list.materials[0].paletteIndex = kGroundColour;
        list.materials[0].flags = materialFlags;
        const std::vector<std::uint8_t> dml = list.Store();
        dir.MakeFolders("Art/Terrain/USA/DML");
        dir.Write("Art/Terrain/USA/DML/terrain.dml", std::string(dml.begin(), dml.end()));
        platform::ForgetFolderListings();
        manager = std::make_unique<world::TerrainManager>();
        manager->InitDiskCache();
        PlaceInTile(9, 5, 0.5, 0.5);
        theSteering.pos[1] = static_cast<std::int32_t>(300.0 * 256.0);
        manager->TrackAircraft();
        ASSERT_NE(manager->CentreTile(), nullptr);
    }
    void TearDown() override {
        manager.reset();
        lights.Deactivate();
        target.reset();
        gfx::GFXMemSurface::SetDrawTable(previousTable);
        WorldFixture::TearDown();
    }

    // One frame from an eye at grid (x, y, height) looking along a heading, pitched down.
    void Frame(float heading, float heightUnits, float pitch = 0.0f, float x = 0.0f, float y = 0.0f) {
        ts::Transform3F eye;
        ts::Matrix3F::SetEulerAngles(ts::Vector3F{pitch, 0.0f, heading}, &eye.matrix);
        eye.t = ts::Vector3F{x, y, heightUnits};
        ts::Transform3F worldToEye;
        ts::Transform3F::InvertRigid(eye, &worldToEye);
        camera->SetEyeTransform(worldToEye);
        target->Begin();
        {
            gfx::GFXSurfaceLock lock(*surface);
            for (int y = 0; y < 480; ++y)
                std::memset(surface->pixels + static_cast<std::ptrdiff_t>(y) * surface->stride, 0, 640);
        }
        camera->Activate();
        lights.Activate();
        camera->SetTransform(ts::Transform3F{});
        const float at[3] = {x, y, heightUnits};
        const float angles[3] = {pitch, 0.0f, heading};
        manager->PrepareView(at, angles);
        manager->Render();
        lights.Deactivate();
        target->End();
    }
    std::uint8_t Pixel(int x, int y) {
        gfx::GFXSurfaceLock lock(*surface);
        return surface->pixels[static_cast<std::ptrdiff_t>(y) * surface->stride + x];
    }
    std::vector<std::uint8_t> Picture() {
        std::vector<std::uint8_t> out;
        gfx::GFXSurfaceLock lock(*surface);
        for (int y = 0; y < 480; ++y)
            out.insert(out.end(), surface->pixels + static_cast<std::ptrdiff_t>(y) * surface->stride,
                       surface->pixels + static_cast<std::ptrdiff_t>(y) * surface->stride + 640);
        return out;
    }

    const gfx::GFXDrawTable* previousTable = nullptr;
    std::unique_ptr<gfx::GFXMemSurface> surface;
    std::unique_ptr<gfx::GFXPalette> palette;
    std::unique_ptr<gfx::GFXDrawTarget> target;
    std::unique_ptr<ts::TSPerspectiveCamera> camera;
    ts::TSLight sun{ts::TSLight::kDirectional};
    ts::TSLightSet lights;
    std::unique_ptr<world::TerrainManager> manager;
};

TEST_F(TerrainScene, FlatGroundFromThreeHundredMetresLeavesNoGapsBelowTheHorizon) {
    const float height = 300.0f / 0.392906f;
    for (int h = 0; h < 100; ++h) {
        Frame(static_cast<float>(h) * 0.0628318f, height);
        ASSERT_GT(manager->CellsDrawn(), 0);
        // The ground ends at the view range, a few rows under the horizon's middle row.
        const float f = 639.0f / 80.0f * 128.0f;
        const int firstRow =
            static_cast<int>(239.5f + f * height / static_cast<float>(manager->ViewRange()) * 1.2f) + 2;
        int gaps = 0;
        for (int y = firstRow; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                gaps += Pixel(x, y) == 0 ? 1 : 0;
        ASSERT_EQ(gaps, 0) << "heading step " << h << ", rows from " << firstRow;
        // Above the horizon nothing is drawn.
        for (int x = 0; x < 640; x += 7)
            ASSERT_EQ(Pixel(x, 200), 0) << "heading step " << h;
    }
}

class HillyTerrainScene : public TerrainScene {
protected:
    world::TerrainTileModel Tile() const override { return NestedHillyTile(); }
};

// Where cells of different levels meet over hills, the coarse cell's edge must follow its finer
// neighbours' points: otherwise slivers of the background show through, one pixel high. A
// background pixel with ground above and below it in its column is such a crack.
TEST_F(HillyTerrainScene, BordersBetweenLevelsOverHillsLeaveNoCracks) {
    // Every column is judged; the top and bottom rows, where the rasterizer still cuts outlines
    // at rounded corners, are not.
    constexpr int kEdgeRows = 4;
    int frames = 0, cracked = 0, crackPixels = 0;
    for (const float metres : {500.0f, 1200.0f, 3000.0f}) {
        const float height = metres / 0.392906f;
        for (int h = 0; h < 67; ++h, ++frames) {
            Frame(static_cast<float>(h) * 0.0937794f, height, -0.5f);
            ASSERT_GT(manager->CellsDrawn(), 0);
            int cracks = 0, columns = 0;
            for (int x = 0; x < 640; ++x) {
                int top = -1, bottom = -1;
                for (int y = 0; y < 480; ++y)
                    if (Pixel(x, y) != 0) {
                        if (top < 0) top = y;
                        bottom = y;
                    }
                columns += top >= 0 ? 1 : 0;
                for (int y = top + 1; top >= 0 && y < bottom; ++y)
                    cracks += Pixel(x, y) == 0 && y >= kEdgeRows && y < 480 - kEdgeRows ? 1 : 0;
            }
            ASSERT_EQ(columns, 640) << metres << " m, heading step " << h;
            if (cracks != 0) {
                ++cracked;
                crackPixels += cracks;
                std::printf("%g m, heading step %d: %d pixels\n", metres, h, cracks);
            }
        }
    }
    EXPECT_EQ(frames, 201);
    // Out to the screen's left and right edges, where the rasterizer used to cut a polygon past
    // them at a rounded corner and open a dotted line beside an uncut neighbour.
    EXPECT_EQ(cracked, 0);
    EXPECT_EQ(crackPixels, 0);
}

// Flat ground of large cells (a level-7 cell is 65,536 units across) seen from 2,000 to 3,000 m
// over the middle of one: a haze border crosses both triangles of a cell and the cells beside
// it, and a side whose ends share a level passes into a nearer one between them. Each pixel
// under the horizon is drawn once: a side cut or halved differently by its two triangles leaves
// a pixel undrawn or drawn twice, at any eye over the cell, heading and pitch.
class CoarseTerrainScene : public TerrainScene {
protected:
    world::TerrainTileModel Tile() const override {
        return NestedTile([](int level, int, int, double) { return level > 7; },
                          [](double, double) { return std::uint8_t{0}; });
    }
};

TEST_F(CoarseTerrainScene, TrianglesAlongASideCutByTheHazeMeetPixelForPixel) {
    std::mt19937 random(84);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    manager->SetTerrainRange(100);
    int faulty = 0;
    for (int i = 0; i < 150; ++i) {
        const float heading = unit(random) * 6.2831853f, metres = 2000.0f + unit(random) * 1000.0f;
        const float pitch = -0.02f - unit(random) * 0.2f;
        const float x = 28000.0f + unit(random) * 9000.0f, y = 28000.0f + unit(random) * 9000.0f;
        theSteering.pos[1] = static_cast<std::int32_t>(metres * 256.0f);
        manager->ApplyRange();  // about 140,000 units: the haze's levels some 15,000 apart
        const std::uint64_t before = gfx::theSpanState.pixelsWritten;
        Frame(heading, metres / 0.392906f, pitch, x, y);
        const auto written = static_cast<long>(gfx::theSpanState.pixelsWritten - before);
        long drawn = 0, holes = 0;
        for (int cx = 0; cx < 640; ++cx) {
            bool ground = false;
            for (int cy = 0; cy < 480; ++cy) {
                const bool g = Pixel(cx, cy) != 0;
                drawn += g ? 1 : 0;
                holes += !g && ground ? 1 : 0;
                ground |= g;
            }
        }
        if ((holes != 0 || written != drawn || drawn == 0) && ++faulty <= 10)
            ADD_FAILURE() << holes << " pixels undrawn, " << written - drawn << " drawn twice, from ("
                          << x << ", " << y << "), " << metres << " m, heading " << heading
                          << ", pitch " << pitch;
    }
    EXPECT_EQ(faulty, 0);
}

// A triangle over two haze levels is drawn as its nearer level over the whole of it, then its
// farther part: a face that lets the ground under it show is drawn whole in its middle level
// first too. An untextured face shows nothing through it, so the two give the same pixels, with
// every haze level and shade row in a colour of its own.
TEST_F(HillyTerrainScene, HazeLevelsAcrossATriangleDrawTheSameWithOrWithoutTheLayerUnderThem) {
    std::vector<std::uint8_t> shades(std::size_t{1} << (3 + 5 + 8));
    for (std::size_t i = 0; i < shades.size(); ++i)
        shades[i] = static_cast<std::uint8_t>((i >> 8) * 7 + (i & 255));
    ASSERT_EQ(palette->SetShadeTable(5, 3, shades.data()), 1);
    std::vector<std::uint8_t> pictures[2];
    for (const std::uint32_t flags : {world::kMaterialTranslucent, 0u}) {
        LoadWorld(flags);
        std::vector<std::uint8_t>& out = pictures[flags == 0 ? 1 : 0];
        for (const float metres : {700.0f, 3000.0f}) {
            for (int h = 0; h < 6; ++h) {
                Frame(static_cast<float>(h) * 1.047f, metres / 0.392906f, -0.1f);
                const std::vector<std::uint8_t> p = Picture();
                out.insert(out.end(), p.begin(), p.end());
            }
        }
    }
    EXPECT_EQ(pictures[0], pictures[1]);
    // The haze draws the far ground in many colours.
    std::vector<bool> seen(256);
    for (std::uint8_t v : pictures[1])
        seen[v] = true;
    EXPECT_GT(std::count(seen.begin(), seen.end(), true), 20);
}

TEST_F(TerrainScene, FramesRepeatByteForByteWithoutAllocating) {
    const float height = 300.0f / 0.392906f;
    Frame(0.7f, height, -0.3f);
    Frame(0.7f, height, -0.3f);
    const std::vector<std::uint8_t> first = Picture();
    const long before = theAllocations.load();
    for (int i = 0; i < 5; ++i)
        Frame(0.7f, height, -0.3f);
    EXPECT_EQ(theAllocations.load(), before);
    EXPECT_EQ(Picture(), first);
    EXPECT_GT(manager->CellsDrawn(), 50);
}

class Marker final : public ts::TSRenderItem {
public:
    void Render(int) override {
        order = ++theCounter;
        drawn = true;
        // Draws in its own frame, as shapes and shadows do, far from where it stands.
        ts::Transform3F away;
        away.t = ts::Vector3F{5.0e6f, -5.0e6f, 0.0f};
        if (ts::theCurrentCamera != nullptr) ts::theCurrentCamera->SetTransform(away);
    }
    static inline int theCounter = 0;
    int order = 0;
    bool drawn = false;
};

TEST_F(TerrainScene, ItemsAreDrawnRightAfterTheirCellAndOnlyWhereTheGroundIsInView) {
    const float height = 300.0f / 0.392906f;
    Frame(0.0f, height, -0.3f);
    // File between preparing and drawing, as the frame does: one ahead, one behind the eye, and
    // in the first one's cell, whatever the order of filing: what lies on the ground (pavement,
    // then shadows) first, then what stands, the farther before the nearer, equals in the order
    // they were filed.
    Marker ahead, behind, besides, nearer, farther, pavement, shadow;
    const float a[3] = {0.0f, 3000.0f, 0.0f};
    const float b[3] = {0.0f, -900000.0f, 0.0f};
    const float near[3] = {0.0f, 2990.0f, 0.0f};
    const float far[3] = {0.0f, 3010.0f, 0.0f};
    ts::Transform3F eye;
    ts::Matrix3F::SetEulerAngles(ts::Vector3F{-0.3f, 0.0f, 0.0f}, &eye.matrix);
    eye.t = ts::Vector3F{0.0f, 0.0f, height};
    ts::Transform3F worldToEye;
    ts::Transform3F::InvertRigid(eye, &worldToEye);
    camera->SetEyeTransform(worldToEye);
    target->Begin();
    camera->Activate();
    lights.Activate();
    const float at[3] = {0.0f, 0.0f, height};
    const float angles[3] = {-0.3f, 0.0f, 0.0f};
    manager->PrepareView(at, angles);
    world::TerrainRenderer& r = manager->Renderer();
    using Layer = world::TerrainItemLayer;
    EXPECT_EQ(r.AddRenderItemGrid(near, 10.0f, &nearer), 1);
    EXPECT_EQ(r.AddRenderItemGrid(a, 10.0f, &ahead), 1);
    EXPECT_EQ(r.AddRenderItemGrid(b, 10.0f, &behind), 0);
    EXPECT_EQ(r.AddRenderItemGrid(a, 10.0f, &besides), 1);
    EXPECT_EQ(r.AddRenderItemGrid(a, 10.0f, &shadow, Layer::kShadow), 1);
    EXPECT_EQ(r.AddRenderItemGrid(far, 10.0f, &farther), 1);
    // A runway's sphere stands at its middle; it is filed at the cell of its point nearest the
    // eye.
    world::TerrainRenderItem runway;
    runway.item = &pavement;
    runway.position[1] = 60000.0f;
    runway.radius = 57000.0f;
    runway.at[1] = 3000.0f;
    runway.layer = Layer::kGround;
    EXPECT_EQ(r.AddTerrainRenderItem(runway), 1);
    manager->Render();
    lights.Deactivate();
    target->End();
    EXPECT_FALSE(behind.drawn);
    // The frame the item before left on the camera does not hide the next.
    for (const Marker* m : {&ahead, &besides, &nearer, &farther, &pavement, &shadow})
        ASSERT_TRUE(m->drawn);
    EXPECT_EQ(shadow.order, pavement.order + 1);
    EXPECT_EQ(farther.order, shadow.order + 1);
    EXPECT_EQ(ahead.order, farther.order + 1);
    EXPECT_EQ(besides.order, ahead.order + 1);
    EXPECT_EQ(nearer.order, besides.order + 1);
}

TEST_F(TerrainScene, RangeAndBandsFollowTheSettingAndTheHeight) {
    struct Case {
        int setting;
        double heightUnits;
        std::int32_t range;
        std::int32_t bands[3];
    } cases[] = {
        {0, 0, 40000, {10000, 22000, 27999}},  // 0.7f x 40000 = 27999.9995
        {0, 15000, 80000, {25000, 55000, 70000}},
        {60, 0, 76000, {25000, 55000, 70000}},
        {50, 0, 70000, {17500, 38500, 48999}},
        {0, -30000, 40000, {10000, 22000, 27999}},  // below the ground counts as on it
    };
    for (const Case& c : cases) {
        manager->SetTerrainRange(c.setting);
        theSteering.pos[1] = static_cast<std::int32_t>(c.heightUnits * 100.584);
        manager->ApplyRange();
        EXPECT_EQ(manager->ViewRange(), c.range) << c.setting << " at " << c.heightUnits;
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(manager->BandValues()[k], c.bands[k]) << c.setting << " at " << c.heightUnits;
    }
    // Up to 70000 the bands scale with the range; from 70001 they are fixed.
    std::int32_t b[3];
    world::TerrainManager::BandsForRange(70000, b);
    EXPECT_EQ(b[2], 48999);
    world::TerrainManager::BandsForRange(70001, b);
    EXPECT_EQ(b[0], 25000);
    EXPECT_EQ(b[1], 55000);
    EXPECT_EQ(b[2], 70000);
}

// The walk makes each grid point's vertex of a level once, however many cells (siblings of a
// split cell, the split cell itself, neighbours) share it; every drawn cell's corners stand at
// its own corners, at its level, and the cell is found again from its level and place.
TEST_F(HillyTerrainScene, EachCornerIsMadeOnceAndEveryDrawnCellStandsOnItsOwnCorners) {
    Frame(0.4f, 1200.0f / 0.392906f, -0.5f);
    const world::TerrainRenderItemSorter& sorter = manager->Sorter();
    const std::vector<world::TerrainCellRecord>& cells = manager->Renderer().Cells();
    ASSERT_GT(cells.size(), 20u);
    std::set<std::tuple<int, std::int32_t, std::int32_t>> seen;
    for (const world::TerrainVertex& v : sorter.vertices)
        EXPECT_TRUE(seen.insert({v.level, v.gx, v.gy}).second) << v.level << " " << v.gx << "," << v.gy;
    std::set<int> levels;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const world::TerrainCellRecord& r = cells[i];
        levels.insert(r.level);
        const std::uint32_t sh = manager->ViewArea().scaleShift + static_cast<std::uint32_t>(r.level);
        const std::int32_t x0 = r.cellX * (1 << sh), y0 = r.cellY * (1 << sh), size = 1 << sh;
        const std::int32_t want[4][2] = {{x0, y0}, {x0, y0 + size}, {x0 + size, y0 + size}, {x0 + size, y0}};
        for (int k = 0; k < 4; ++k) {
            const world::TerrainVertex& v = sorter.vertices[static_cast<std::size_t>(r.corners[k])];
            EXPECT_EQ(v.gx, want[k][0]) << i << " corner " << k;
            EXPECT_EQ(v.gy, want[k][1]) << i << " corner " << k;
            EXPECT_EQ(v.level, r.level) << i << " corner " << k;
        }
        EXPECT_EQ(sorter.FindCell(r.level, r.cellX, r.cellY, x0, y0), static_cast<std::int32_t>(i));
    }
    EXPECT_GT(levels.size(), 1u);  // split cells and whole ones both drawn
}

// The frame's vertex cache: a grid point keeps one vertex per level, a repeated point gives the
// vertex it has, and the search along an edge finds the coarsest finer level's vertex. Points a
// step of the grid apart and points off the grid's step stay apart at every grid step.
TEST(TerrainVertexCache, PointsKeepOneVertexPerLevelAndTheEdgeSearchFindsTheCoarsestFiner) {
    for (std::uint32_t shift : {0u, 5u, 9u, 13u}) {
        world::TerrainRenderItemSorter sorter;
        sorter.Reset();
        const std::int32_t s = std::int32_t{1} << shift;
        const std::int32_t a = sorter.Vertex(3, 8 * s, -4 * s, 10.0f);
        const std::int32_t b = sorter.Vertex(1, 8 * s, -4 * s, 11.0f);
        const std::int32_t c = sorter.Vertex(0, 8 * s, -4 * s, 12.0f);
        const std::int32_t d = sorter.Vertex(0, 8 * s + s, -4 * s, 13.0f);
        const std::int32_t off = shift == 0 ? 11 : 8 * s + 1;  // off the step
        const std::int32_t e = sorter.Vertex(0, off, -4 * s, 14.0f);
        const std::int32_t f = sorter.Vertex(0, -(1 << 28), (1 << 28) - 1, 15.0f);
        EXPECT_EQ(a, 0) << shift;
        EXPECT_EQ(b, 1) << shift;
        EXPECT_EQ(c, 2) << shift;
        EXPECT_EQ(d, 3) << shift;
        EXPECT_EQ(e, 4) << shift;
        EXPECT_EQ(f, 5) << shift;
        EXPECT_EQ(sorter.Vertex(1, 8 * s, -4 * s, 99.0f), b) << shift;  // kept, height too
        EXPECT_EQ(sorter.vertices[static_cast<std::size_t>(b)].height, 11.0f) << shift;
        EXPECT_EQ(sorter.vertices.size(), 6u) << shift;
        const struct {
            int below;
            std::int32_t x;
            std::int32_t want;
        } edges[] = {
            {9, 8 * s, a}, {4, 8 * s, a},   {3, 8 * s, b},     {2, 8 * s, b},
            {1, 8 * s, c}, {0, 8 * s, -1}, {3, 9 * s, d},     {3, 10 * s, -1},
            {1, off, e},
        };
        for (const auto& q : edges)
            EXPECT_EQ(sorter.FindFinerVertex(q.below, q.x, -4 * s), q.want)
                << shift << " below " << q.below << " at " << q.x;
        EXPECT_EQ(sorter.FindVertex(2, 8 * s, -4 * s), -1) << shift;
        EXPECT_EQ(sorter.FindVertex(3, 8 * s, -4 * s), a) << shift;
        EXPECT_EQ(sorter.FindVertex(0, -(1 << 28), (1 << 28) - 1), f) << shift;
        EXPECT_EQ(sorter.FindVertex(world::kTerrainViewLevels, 8 * s, -4 * s), -1) << shift;
        // A new frame forgets every point.
        sorter.Reset();
        EXPECT_EQ(sorter.FindVertex(3, 8 * s, -4 * s), -1) << shift;
        EXPECT_EQ(sorter.FindFinerVertex(9, 8 * s, -4 * s), -1) << shift;
        EXPECT_EQ(sorter.Vertex(0, 9 * s, -4 * s, 1.0f), 0) << shift;
    }
}

// A frame takes at most 65,536 vertices; the ones it has are still found when it is full.
TEST(TerrainVertexCache, AFullFrameRefusesNewVerticesAndKeepsItsOwn) {
    world::TerrainRenderItemSorter sorter;
    sorter.Reset();
    std::int32_t made = 0;
    for (std::int32_t y = 0; y < 300 && made >= 0; ++y)
        for (std::int32_t x = 0; x < 300 && made >= 0; ++x)
            made = sorter.Vertex(0, x << 9, y << 9, 0.0f);
    EXPECT_EQ(made, -1);
    EXPECT_EQ(sorter.vertices.size(), 65536u);
    EXPECT_EQ(sorter.FindVertex(0, 5 << 9, 7 << 9), 7 * 300 + 5);
    EXPECT_EQ(sorter.Vertex(0, 5 << 9, 7 << 9, 1.0f), 7 * 300 + 5);
    EXPECT_EQ(sorter.Vertex(1, 5 << 9, 7 << 9, 1.0f), -1);
}

// Cells are filed at the point of their first corner: a second cell of another level on the
// same point is found as well, the first filed at a place and level stays, and a point with no
// cell or no point at all finds none.
TEST(TerrainVertexCache, CellsAreFoundAtTheirFirstCornerAtTheirOwnLevel) {
    world::TerrainRenderItemSorter sorter;
    sorter.Reset();
    const std::int32_t s = 512;
    const std::int32_t p = sorter.Point(4 * s, 8 * s);
    const std::int32_t q = sorter.Point(5 * s, 8 * s);
    ASSERT_GE(p, 0);
    ASSERT_GE(q, 0);
    sorter.AddCell(2, 1, 2, p, 7);
    sorter.AddCell(1, 2, 4, p, 9);
    sorter.AddCell(2, 1, 2, p, 11);  // already filed
    sorter.AddCell(1, 2, 4, p, 12);
    const struct {
        int level;
        std::int32_t cx, cy, gx, gy;
        std::int32_t want;
    } finds[] = {
        {2, 1, 2, 4 * s, 8 * s, 7}, {1, 2, 4, 4 * s, 8 * s, 9},  {0, 4, 8, 4 * s, 8 * s, -1},
        {3, 0, 1, 4 * s, 8 * s, -1}, {0, 5, 8, 5 * s, 8 * s, -1}, {0, 6, 8, 6 * s, 8 * s, -1},
    };
    for (const auto& f : finds)
        EXPECT_EQ(sorter.FindCell(f.level, f.cx, f.cy, f.gx, f.gy), f.want)
            << "level " << f.level << " at " << f.gx << "," << f.gy;
    sorter.Reset();
    EXPECT_EQ(sorter.FindCell(2, 1, 2, 4 * s, 8 * s), -1);
}

}  // namespace
