// The scenery objects built per tile: runways placed and turned by their records, tested for
// nearness in their own frame, collected near the viewer and filed far to near; free-standing
// objects filed only near; shapes given back to the cache when a tile goes; and a runway's
// pavement drawn through a camera standing on it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/surface.h"
#include "ts/class_item.h"
#include "ts/material.h"
#include "ts/mesh.h"
#include "ts/perspective_camera.h"
#include "ts/shape.h"
#include "world/airport_objects.h"
#include "world/artifacts.h"
#include "world/obj_shadow.h"
#include "world/runway_shape.h"
#include "world/scenery_services.h"

namespace {

using world::AirportObjectDatabase;
using world::RunwayRecord;

std::vector<float> theFiledDistances;
std::vector<ts::TSRenderItem*> theFiled;
int theNearFiled = 0;
int theTerrainLoaded = 1;

class Objects : public ::testing::Test {
protected:
    void SetUp() override {
        // The meshes draw through the shape classes' face routines.
        ts::InstallShapeClasses();
        world::SceneryServices s = world::DefaultSceneryServices();
        s.groundHeight = [](double, double) { return 7.0; };
        s.isTerrainLoadedAt = [](const double*) { return theTerrainLoaded; };
        s.addTerrainRenderItem = [](const float*, float, int, ts::TSRenderItem* item) {
            theFiled.push_back(item);
            return 1;
        };
        s.addRenderItem = [](const double*, float, ts::TSRenderItem*) {
            ++theNearFiled;
            return 1;
        };
        world::theSceneryServices = s;
        theFiled.clear();
        theNearFiled = 0;
        theTerrainLoaded = 1;
    }
    void TearDown() override { world::theSceneryServices = world::DefaultSceneryServices(); }

    static RunwayRecord Runway(std::int32_t x, std::int32_t z, float heading, int length) {
        RunwayRecord r;
        r.x = x;
        r.z = z;
        r.heading = heading;
        r.width = 100;
        r.length = static_cast<std::int16_t>(length);
        r.tileId = world::TileIdOf(x, z);
        r.flags = 1;
        return r;
    }
};

TEST_F(Objects, RunwaysStandOnTheGroundTurnedByTheirHeadingAndKnowWhatIsNearThem) {
    const std::int32_t x = (9 << 20) + 5000, z = (5 << 20) + 5000;
    AirportObjectDatabase db;
    // Heading -90 degrees: end 2 lies east of end 1.
    db.SetRecords({Runway(x, z, static_cast<float>(-3.14159265358979 / 2), 5000)}, {}, {});
    std::unique_ptr<world::TileArtifacts> tile = db.BuildRunways(world::TileIdOf(x, z), 0, 0);
    ASSERT_NE(tile, nullptr);
    ASSERT_EQ(tile->Size(), 1u);
    auto* r = static_cast<world::ArtifactTrans*>(tile->Items()[0]);
    r->Ground();
    EXPECT_EQ(r->position[2], 7.0);  // on the ground there
    const double offset[2] = {0.0, 0.0};
    float rect[4];
    r->GroundRect(offset, rect);
    const double half = 2500.0 / 1.2890625;
    EXPECT_NEAR(rect[2] - rect[0], 2.0 * half, 2.0);  // long east-west
    EXPECT_NEAR(rect[3] - rect[1], 100.0 / 1.2890625, 2.0);
    // Beside the runway's end within 300 units is near; 400 units beyond its end is not.
    const double nearEnd[3] = {x + half + 250.0, static_cast<double>(z), 0.0};
    const double pastEnd[3] = {x + half + 420.0, static_cast<double>(z), 0.0};
    const double abeam[3] = {static_cast<double>(x), z + 350.0, 0.0};
    EXPECT_EQ(r->IsNear(nearEnd), 1);
    EXPECT_EQ(r->IsNear(pastEnd), 0);
    EXPECT_EQ(r->IsNear(abeam), 0);
    // No tile, no list; an empty tile, an empty list.
    EXPECT_EQ(db.BuildRunways(world::kNoTile, 0, 0), nullptr);
    ASSERT_NE(db.BuildRunways(0x11, 0, 0), nullptr);
    EXPECT_EQ(db.BuildRunways(0x11, 0, 0)->Size(), 0u);
}

// Near is a matter of the ground only, whichever way the runway is turned: a place far above
// the pavement is near it, one beyond the margin round its box is not, however close or far.
TEST_F(Objects, ARunwayIsNearWithinItsMarginOnTheGroundAtAnyHeadingAndHeight) {
    const std::int32_t x = (9 << 20) + 5000, z = (5 << 20) + 5000;
    const double half = 2500.0 / 1.2890625, halfWidth = 50.0 / 1.2890625;
    struct Place {
        double along, across, up;  // from the runway's middle, in units
        int near;
    };
    const Place places[] = {
        {0, 0, 0, 1},
        {half + 280, 0, 0, 1},
        {-(half + 280), 0, 0, 1},
        {0, halfWidth + 280, 0, 1},
        {half + 280, -(halfWidth + 280), 0, 1},
        {0, 0, 60000, 1},  // far above the pavement
        {half + 320, 0, 0, 0},
        {0, -(halfWidth + 320), 0, 0},
        {half + 320, halfWidth + 320, 0, 0},
        {3 * half, 0, 0, 0},
        {0, 200000, 0, 0},
        {-150000, 150000, 0, 0},
    };
    for (const double degrees : {0.0, 30.0, -90.0, 135.0, 200.0}) {
        const double heading = degrees * 3.14159265358979 / 180.0;
        AirportObjectDatabase db;
        db.SetRecords({Runway(x, z, static_cast<float>(heading), 5000)}, {}, {});
        std::unique_ptr<world::TileArtifacts> tile = db.BuildRunways(world::TileIdOf(x, z), 0, 0);
        ASSERT_EQ(tile->Size(), 1u);
        auto* r = static_cast<world::ArtifactTrans*>(tile->Items()[0]);
        // The long axis: east at -90 degrees, north at 0.
        const double ax = -std::sin(heading), ay = std::cos(heading);
        for (const Place& p : places) {
            const double at[3] = {r->position[0] + p.along * ax + p.across * ay,
                                  r->position[1] + p.along * ay - p.across * ax,
                                  r->position[2] + p.up};
            EXPECT_EQ(r->IsNear(at), p.near) << degrees << " degrees, " << p.along << " along, "
                                             << p.across << " across, " << p.up << " up";
            // Whatever is near lies within the reach the searches pass runways over by.
            if (p.near == 1) {
                EXPECT_LE(std::hypot(at[0] - r->position[0], at[1] - r->position[1]),
                          r->NearReach());
            }
        }
        // Just beyond the reach nothing is near, in any direction (the corners come closest).
        for (int a = 0; a < 360; a += 5) {
            const double d = r->NearReach() + 0.5, t = a * 3.14159265358979 / 180.0;
            const double at[3] = {r->position[0] + d * std::cos(t),
                                  r->position[1] + d * std::sin(t), r->position[2]};
            EXPECT_EQ(r->IsNear(at), 0) << degrees << " degrees, toward " << a;
        }
    }
}

TEST_F(Objects, NearObjectsAreFiledFarToNearAndOnlyOnLoadedTerrain) {
    const std::int32_t x = (9 << 20) + 5000, z = (5 << 20) + 5000;
    AirportObjectDatabase db;
    db.SetRecords({Runway(x, z, 0.0f, 3000), Runway(x + 3000, z, 0.0f, 3000),
                   Runway(x + 90000, z, 0.0f, 3000)},
                  {}, {});
    std::unique_ptr<world::TileArtifacts> tile = db.BuildRunways(world::TileIdOf(x, z), 0, 0);
    ASSERT_EQ(tile->Size(), 3u);
    const double viewer[3] = {x - 1000.0, static_cast<double>(z), 100.0};
    db.SetView(viewer);
    db.CollectNearObjects(*tile, 40000.0);
    EXPECT_EQ(db.NearCount(), 2u);  // the third lies 91 km away
    db.QueueVisibleObjects(0);
    ASSERT_EQ(theFiled.size(), 2u);
    EXPECT_EQ(theFiled[0], tile->Items()[1]);  // the farther first
    EXPECT_EQ(theFiled[1], tile->Items()[0]);
    // Off the loaded terrain nothing is collected; a new view empties the list.
    theTerrainLoaded = 0;
    db.SetView(viewer);
    db.CollectNearObjects(*tile, 40000.0);
    EXPECT_EQ(db.NearCount(), 0u);
}

// Built objects find the ground's height only when the viewer's reach first takes in their run
// over the ground (each height may decode terrain blocks): the near ones at once, the far ones
// when the viewer comes to them, each once.
TEST_F(Objects, ObjectsFindTheirGroundWhenTheReachFirstTakesThemIn) {
    static int asked = 0;
    asked = 0;
    world::theSceneryServices.groundHeight = [](double, double) {
        ++asked;
        return 7.0;
    };
    const std::int32_t x = (9 << 20) + 5000, z = (5 << 20) + 5000;
    AirportObjectDatabase db;
    std::vector<RunwayRecord> records;
    // Two runs: 16 runways round the viewer, then 16 far to the east.
    for (int i = 0; i < 32; ++i)
        records.push_back(Runway(x + (i < 16 ? i * 100 : 200000 + i * 100), z, 0.0f, 3000));
    db.SetRecords(records, {}, {});
    std::unique_ptr<world::TileArtifacts> tile = db.BuildRunways(world::TileIdOf(x, z), 0, 0);
    ASSERT_EQ(tile->Runs().size(), 2u);
    EXPECT_EQ(asked, 0);
    const struct {
        double east, up;
        int asked;  // heights found so far
        std::size_t near;
    } cases[] = {{0, 100, 16, 16},       // the run round the viewer
                 {0, 45000, 16, 0},      // high above it: nothing near, nothing asked again
                 {150000, 100, 16, 0},   // halfway: the far run still out of reach
                 {200000, 100, 32, 16},  // at the far run
                 {0, 100, 32, 16}};      // back: all found once
    for (const auto& c : cases) {
        const double viewer[3] = {x + c.east, static_cast<double>(z), c.up};
        db.SetView(viewer);
        db.CollectNearObjects(*tile, 40000.0);
        EXPECT_EQ(asked, c.asked) << c.east << " east, " << c.up << " up";
        EXPECT_EQ(db.NearCount(), c.near) << c.east << " east, " << c.up << " up";
    }
    for (const world::Artifact* a : tile->Items())
        EXPECT_EQ(a->position[2], 7.0);
}

// The reach is a distance in three dimensions, its edge exact: a runway a unit inside it is
// collected with its distance, one a unit beyond it is not, wherever the viewer stands over it.
TEST_F(Objects, AnObjectIsNearUpToTheEdgeOfTheReach) {
    const std::int32_t x = (9 << 20) + 50000, z = (5 << 20) + 5000;
    AirportObjectDatabase db;
    db.SetRecords({Runway(x, z, 0.0f, 3000)}, {}, {});
    std::unique_ptr<world::TileArtifacts> tile = db.BuildRunways(world::TileIdOf(x, z), 0, 0);
    ASSERT_EQ(tile->Size(), 1u);
    tile->GroundRun(0);
    const world::Artifact* runway = tile->Items()[0];
    const struct {
        double east, up, reach;
        std::size_t near;
    } cases[] = {{39999, 0, 40000, 1}, {40001, 0, 40000, 0},     {0, 14999, 15000, 1},
                 {0, 15001, 15000, 0}, {24000, 31999, 40000, 1}, {24000, 32001, 40000, 0}};
    for (const auto& c : cases) {
        const double viewer[3] = {runway->position[0] - c.east, runway->position[1],
                                  runway->position[2] + c.up};
        db.SetView(viewer);
        db.CollectNearObjects(*tile, c.reach);
        EXPECT_EQ(db.NearCount(), c.near) << c.east << " east, " << c.up << " up";
        if (c.near == 1) {
            EXPECT_EQ(runway->distance, static_cast<std::int32_t>(std::hypot(c.east, c.up)));
        }
    }
}

// Objects of one list may stand in two terrain tiles: each is collected only where its own
// tile's ground is loaded, however the list orders them.
TEST_F(Objects, EachObjectIsCollectedByTheGroundOfItsOwnTerrainTile) {
    const std::int32_t edge = 10 << 20, z = (5 << 20) + 5000;
    world::theSceneryServices.isTerrainLoadedAt = [](const double* p) {
        return std::floor(p[0] / (1 << 20)) == 9.0 ? 1 : 0;  // only tile column 9 is loaded
    };
    const struct {
        std::int32_t offsets[4];
        std::size_t near;
    } cases[] = {
        {{-3000, -1000, 1000, 3000}, 2},  // west then east of the tiles' border
        {{1000, -1000, 3000, -3000}, 2},  // alternating
        {{1000, 3000, 5000, 7000}, 0},    // all in the unloaded tile
    };
    for (const auto& c : cases) {
        std::vector<RunwayRecord> records;
        for (const std::int32_t dx : c.offsets) {
            records.push_back(Runway(edge + dx, z, 0.0f, 1000));
            records.back().tileId = world::TileIdOf(edge - 1, z);  // one list for all
        }
        AirportObjectDatabase db;
        db.SetRecords(records, {}, {});
        std::unique_ptr<world::TileArtifacts> tile =
            db.BuildRunways(world::TileIdOf(edge - 1, z), 0, 0);
        ASSERT_EQ(tile->Size(), 4u);
        const double viewer[3] = {static_cast<double>(edge), static_cast<double>(z), 100.0};
        db.SetView(viewer);
        db.CollectNearObjects(*tile, 40000.0);
        EXPECT_EQ(db.NearCount(), c.near) << c.offsets[0] << " " << c.offsets[1];
    }
}

// A long list is passed over run by run where a run lies out of reach: what is collected, and
// in which order, is what a test of every object finds, wherever the viewer stands and however
// the list is scattered.
TEST_F(Objects, ObjectsOutOfReachArePassedOverWithoutChangingWhatIsCollected) {
    const std::int32_t x0 = (9 << 20) + 20000, z0 = (5 << 20) + 20000;
    std::vector<RunwayRecord> records;
    // 70 runways: a row along x, then a scatter by a fixed step, then a cluster round one point.
    for (int i = 0; i < 30; ++i)
        records.push_back(Runway(x0 + i * 4000, z0, 0.0f, 1000));
    for (int i = 0; i < 30; ++i)
        records.push_back(Runway(x0 + (i * 37 % 30) * 5000, z0 + (i * 11 % 30) * 5000, 0.0f, 1000));
    for (int i = 0; i < 10; ++i)
        records.push_back(Runway(x0 + 60000 + i * 100, z0 + 60000 - i * 100, 0.0f, 1000));
    for (RunwayRecord& r : records)
        r.tileId = world::TileIdOf(x0, z0);
    AirportObjectDatabase db;
    db.SetRecords(records, {}, {});
    std::unique_ptr<world::TileArtifacts> tile = db.BuildRunways(world::TileIdOf(x0, z0), 0, 0);
    ASSERT_EQ(tile->Size(), records.size());
    const struct {
        double east, north, up, reach;
    } views[] = {{0, 0, 100, 40000},
                 {60000, 60000, 0, 15000},
                 {-45000, 0, 0, 40000},
                 {200000, 200000, 0, 40000},
                 {60000, 60000, 39000, 40000},
                 {116000 + 39999.5, 0, 0, 40000},
                 {116000 + 40000.5, 0, 0, 40000}};
    for (const auto& v : views) {
        const double viewer[3] = {x0 + v.east, z0 + v.north, 7.0 + v.up};
        std::vector<const world::Artifact*> expected;
        for (const world::Artifact* a : tile->Items())
            if (std::hypot(a->position[0] - viewer[0], a->position[1] - viewer[1],
                           a->position[2] - viewer[2]) < v.reach)
                expected.push_back(a);
        db.SetView(viewer);
        db.CollectNearObjects(*tile, v.reach);
        const std::vector<const world::Artifact*> near(db.Near().begin(), db.Near().end());
        EXPECT_EQ(near, expected) << v.east << " east, " << v.north << " north";
    }
}

int theReleases = 0;

TEST_F(Objects, ShapesComeFromTheCacheAndGoBackWithTheirTile) {
    // A stand-in cache that hands out one shape; the records name shapes it knows.
    static ts::TSShape* theShape = nullptr;
    auto shape = std::unique_ptr<ts::TSShape>(new ts::TSShape());
    theShape = shape.get();
    world::theSceneryServices.acquireShape = [](const char* name, core::ResourceVolume*, int) {
        return std::strcmp(name, "hangar") == 0 || std::strcmp(name, "TWR_0050") == 0 ? theShape
                                                                                      : nullptr;
    };
    world::theSceneryServices.releaseShape = [](ts::TSShape*) { ++theReleases; };
    theReleases = 0;
    world::BuildingRecord hangar;
    hangar.name = "hangar";
    hangar.cls = 2;
    hangar.tileId = 0x95;
    world::BuildingRecord unknown = hangar;
    unknown.name = "nothere";
    world::ObstacleRecord mast;
    mast.type = 0;
    mast.height = 60;
    mast.light = 0;
    mast.tileId = 0x95;
    AirportObjectDatabase db;
    db.SetRecords({}, {hangar, unknown}, {mast});
    {
        auto buildings = db.BuildBuildings(0x95, 0);
        auto obstacles = db.BuildObstacles(0x95);
        ASSERT_EQ(buildings->Size(), 1u);  // the unknown shape leaves its building out
        ASSERT_EQ(obstacles->Size(), 1u);
        EXPECT_EQ(obstacles->Items()[0]->GetKind(), world::Artifact::Kind::kAnim);
        // A shape without the third light sequence: the lights fall back to the plain set-up.
        EXPECT_EQ(static_cast<world::ArtifactAnim*>(obstacles->Items()[0])->Light().kind, 0);
        // Free-standing objects: filed only near the viewer, destroyed one by one or all.
        world::theSceneryServices.acquireShape = [](const char*, core::ResourceVolume*, int) {
            return theShape;
        };
        world::Artifact* near = db.CreateArtifact("c182_1");
        world::Artifact* far = db.CreateArtifact("lear_1");
        ASSERT_NE(near, nullptr);
        // Traffic casts a ground shadow the size of its shape; buildings and masts have none.
        ASSERT_NE(near->Shadow(), nullptr);
        EXPECT_EQ(near->Shadow()->HalfSize(), theShape->fRadius);
        EXPECT_EQ(buildings->Items()[0]->Shadow(), nullptr);
        EXPECT_EQ(obstacles->Items()[0]->Shadow(), nullptr);
        const double a[3] = {1000, 1000, 0}, b[3] = {20000, 1000, 0};
        const float level[3] = {0, 0, 0};
        near->Place(a, level);
        far->Place(b, level);
        const double viewer[3] = {0, 1000, 0};
        db.SetView(viewer);
        db.QueueVisibleObjects(0);
        EXPECT_EQ(theNearFiled, 1);
        db.DestroyCreatedArtifact(near);
        EXPECT_EQ(db.CreatedCount(), 1u);
        EXPECT_EQ(theReleases, 1);
    }
    // The tile's lists went: their two shapes given back, as the remaining created one will be.
    EXPECT_EQ(theReleases, 3);
    db.DestroyCreatedArtifacts();
    EXPECT_EQ(theReleases, 4);
    EXPECT_EQ(db.CreatedCount(), 0u);
}

TEST_F(Objects, APavementDrawsBelowTheHorizonFromACameraStandingOnIt) {
    auto surface = gfx::GFXMemSurface::Create(640, 480, 8);
    surface->SetDrawTable(&gfx::theSoftwareDrawTable);
    gfx::GFXDrawTarget target(surface.get());
    target.Begin();
    for (int y = 0; y < 480; ++y)
        std::memset(surface->pixels + y * surface->stride, 1, 640);
    // A runway list of flat palette colours: pavement 60, markings left out.
    ts::TSMaterialList list(8, 1);
    ts::TSMaterial* paved = list.At(world::kHardPavementMaterial);
    paved->type = ts::TSMaterial::kPalette;
    paved->shading = ts::TSMaterial::kUnlit;
    paved->paletteIndex = 60;
    list.AcquireAll(nullptr);
    target.materialList = &list;
    world::RunwayShape runway(Runway(0, 0, 0.0f, 6000), 2, 2);
    ts::TSPerspectiveCamera camera(ts::CameraRect{0, 0, 639, 479},
                                   ts::CameraWindow{-40, 30, 40, -30}, 8, 128);
    // Standing 3 units above the pavement's middle, looking along it.
    ts::Transform3F eye;
    eye.t = ts::Vector3F{0, 0, -3};
    camera.SetEyeTransform(eye);
    camera.Activate();
    camera.SetTransform(ts::Transform3F{});
    // The shape draws with the shared list when there is one; this test hands its own over.
    const ts::TSMesh* mesh = runway.Pavement();
    ASSERT_NE(mesh, nullptr);
    EXPECT_GT(mesh->fRadius, 2000.0f);
    const_cast<ts::TSMesh*>(mesh)->Render(ts::kCullUntested);
    int above = 0, below = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (surface->pixels[y * surface->stride + x] == 60) (y < 238 ? above : below) += 1;
    EXPECT_EQ(above, 0);
    EXPECT_GT(below, 20000);
    target.End();
    list.ReleaseAll();
}

}  // namespace
