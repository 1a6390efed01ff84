// Shapes and instances: loading by name (".dt2", then ".dts", then the ".dml"), a shape without
// its list drawing nothing, the 2D clipping left off inside the view, the instance's placement,
// own materials and sequence values, collisions between instances, the world's shape cache, and
// damaged shape and list files, which load as nothing and never crash.
#include <gtest/gtest.h>

#include <random>

#include "gfx/palette.h"
#include "recording_table.h"
#include "shape_stage.h"
#include "support/temp_folder.h"
#include "test_shapes.h"
#include "ts/bsp_part.h"
#include "ts/detail_parts.h"
#include "ts/shape_resource.h"
#include "world/artifact_shape_cache.h"

namespace {

using tstest::Recorded;

struct Shapes : ::testing::Test {
    static void SetUpTestSuite() { ts::InstallShapeClasses(); }
    void SetUp() override { ts::SetShapeSearchPath(dir.Root()); }
    void TearDown() override { ts::SetShapeSearchPath(""); }
    void WriteShape(const std::string& file, const ts::TSShape& shape) {
        const auto b = tstest::Stored(shape);
        dir.Write(file, std::string(b.begin(), b.end()));
    }
    void WriteList(const std::string& file, const ts::TSMaterialList& list) {
        const auto b = tstest::Stored(list);
        dir.Write(file, std::string(b.begin(), b.end()));
    }
    static std::unique_ptr<ts::TSShape> Box(float half, std::int32_t id) {
        auto s = std::make_unique<ts::TSShape>();
        s->AddPart(tstest::BoxMesh({-half, -half, -half}, {half, half, half}));
        s->fRadius = half * 1.8f;
        s->fIDnumber = id;
        return s;
    }
    testsupport::TempFolder dir{"zephlon-shapes"};
    gfx::GFXPalette palette;
};

TEST_F(Shapes, NamesFindTheirFilesAndLists) {
    WriteShape("plain.dts", *Box(1, 1));
    WriteShape("both.dts", *Box(1, 2));
    WriteShape("both.dt2", *Box(1, 3));
    WriteList("both.dml", *tstest::ColourList(6, 10));
    WriteShape("odd.dat", *Box(1, 4));
    std::unique_ptr<ts::TSShape> s(ts::TSShape::Load("plain", nullptr));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->fIDnumber, 1);
    EXPECT_EQ(s->GetMaterials(), nullptr) << "no list beside it";
    s.reset(ts::TSShape::Load("both", nullptr));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->fIDnumber, 3) << ".dt2 before .dts";
    ASSERT_NE(s->GetMaterials(), nullptr);
    EXPECT_TRUE(s->OwnsMaterials());
    EXPECT_EQ(s->GetMaterials()->At(0)->useCount, 1u) << "acquired at load";
    s.reset(ts::TSShape::Load("both.dts", nullptr));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->fIDnumber, 2);
    s.reset(ts::TSShape::Load("odd.dat", nullptr));
    EXPECT_NE(s, nullptr);
    EXPECT_EQ(ts::TSShape::Load("odd", nullptr), nullptr) << "an extension given is tried once";
    EXPECT_EQ(ts::TSShape::Load("missing", nullptr), nullptr);
    // A folder in the name becomes the search path for the load only.
    dir.MakeFolders("sub");
    WriteShape("sub/deep.dts", *Box(2, 9));
    s.reset(ts::TSShape::Load(dir.Path("sub/deep"), nullptr));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(ts::GetShapeSearchPath(), dir.Root());

    // Without its list a shape draws nothing; with it, the list is current only while it draws.
    tstest::RecordingTable recording;
    tstest::Stage stage(320, 240, &palette);
    stage.LookAt({3, -6, 2}, {0, 0, 0});
    std::unique_ptr<ts::TSShape> bare(ts::TSShape::Load("plain", nullptr));
    std::unique_ptr<ts::TSShape> dressed(ts::TSShape::Load("both", nullptr));
    stage.Begin();
    bare->Render(ts::kCullUntested);
    EXPECT_TRUE(Recorded().empty());
    dressed->Render(ts::kCullUntested);
    EXPECT_EQ(Recorded().size(), 3u);
    EXPECT_EQ(stage.target.materialList, nullptr);
    stage.End();
}

TEST_F(Shapes, InsideTheViewPolygonsAreNotClippedIn2D) {
    auto shape = Box(1, 0);
    const auto list = tstest::ColourList(6, 10);
    shape->SetMaterials(list.get(), false);
    shape->ComputeBounds();
    tstest::RecordingTable recording;
    tstest::Stage stage(320, 240, &palette);
    auto clipped = [&](ts::Vector3F eye, ts::Vector3F at) {
        Recorded().clear();
        stage.LookAt(eye, at);
        stage.Begin();
        shape->Render(ts::kCullUntested);
        stage.End();
        EXPECT_NE(stage.surface->flags & gfx::kSurfaceClipRect, 0u) << "restored";
        EXPECT_FALSE(Recorded().empty());
        return !Recorded().empty() && (Recorded()[0].surfaceFlags & gfx::kSurfaceClipRect) != 0;
    };
    EXPECT_FALSE(clipped({6, -12, 4}, {0, 0, 0}));
    EXPECT_TRUE(clipped({0, -7, 0}, {3.3f, 0, 0})) << "across a side plane";
    shape->SetMaterials(nullptr, false);
}

TEST_F(Shapes, InstancesPlaceAnimateAndDressTheirShape) {
    auto shape = std::make_unique<ts::TSShape>();
    auto cell = std::make_unique<ts::TSCellAnimPart>();
    cell->animSequence = 1;
    cell->AddPart(tstest::BoxMesh({-1, -1, -1}, {1, 1, 1}));
    cell->AddPart(tstest::BoxMesh({-1, -1, 2}, {1, 1, 4}));
    const std::int32_t cells[2] = {0, 1};
    cell->SetCells(2, cells);
    shape->AddPart(std::move(cell));
    shape->sequenceLengths = {1, 2};
    shape->fRadius = 6;
    shape->ComputeBounds();
    const auto own = tstest::ColourList(6, 10);
    const auto other = tstest::ColourList(6, 100);
    shape->SetMaterials(own.get(), false);

    ts::TSShapeInstance a(shape.get()), b(shape.get());
    ASSERT_NE(a.GetSequenceState(), nullptr);
    EXPECT_EQ(a.GetSequenceState()->Count(), 2);
    b.GetSequenceState()->SetValue(1, 1);
    b.SetMaterialOverride(other.get());
    b.SetPosition({20, 0, 0});
    b.SetRotation({0, 0, 0.3f});
    a.SetPosition({-20, 0, 0});
    tstest::RecordingTable recording;
    tstest::Stage stage(320, 240, &palette);
    stage.LookAt({0, -80, 10}, {0, 0, 0});
    stage.Begin();
    a.Render(ts::kCullUntested);
    const std::size_t first = Recorded().size();
    b.Render(ts::kCullUntested);
    stage.End();
    ASSERT_GT(first, 0u);
    ASSERT_GT(Recorded().size(), first);
    double ax = 0, ay = 0, bx = 0, by = 0;
    for (std::size_t i = 0; i < Recorded().size(); ++i) {
        for (const auto& p : Recorded()[i].points) {
            (i < first ? ax : bx) += p.x;
            (i < first ? ay : by) += p.y;
        }
        // The override's colours for b only; the shape keeps its own list.
        EXPECT_EQ(Recorded()[i].colour >= 100, i >= first) << i;
    }
    EXPECT_LT(ax, bx) << "a to the left, b to the right";
    EXPECT_GT(ay / first, by / (Recorded().size() - first)) << "b shows its raised cell";
    EXPECT_EQ(shape->GetMaterials(), own.get());
    EXPECT_EQ(ts::theCurrentSequenceState, nullptr);

    // Collisions: the shapes' spheres and boxes first, then part against part.
    // b shows its raised box (z 2..4): it meets a's box (z -1..1) only when lowered.
    ts::TSCollision hit;
    ts::Transform3F ta, tb;
    ta.t = {0, 0, 0};
    tb.t = {1.5f, 0, 0};
    EXPECT_EQ(ts::CollideInstances(a, ta, b, tb, nullptr), 0);
    tb.t = {1.5f, 0, -2.5f};
    EXPECT_EQ(ts::CollideInstances(a, ta, b, tb, &hit), 1);
    EXPECT_NE(hit.first, nullptr);
    EXPECT_NE(hit.second, nullptr);
    tb.t = {30, 0, 0};
    EXPECT_EQ(ts::CollideInstances(a, ta, b, tb, nullptr), 0);
    tb.t = {0, 0, -3.5f};
    EXPECT_EQ(ts::CollideInstances(a, ta, b, tb, nullptr), 1);
    tb.t = {0, 0, 2.5f};
    EXPECT_EQ(ts::CollideInstances(a, ta, b, tb, nullptr), 0);
    shape->SetMaterials(nullptr, false);
}

TEST_F(Shapes, TheCacheSharesShapesByNameWithoutRegardToCase) {
    WriteShape("hangar.dts", *Box(1, 5));
    world::ArtifactShapeCache cache;
    ts::TSShape* a = cache.Acquire("HANGAR");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(cache.Acquire("hangar"), a);
    EXPECT_EQ(cache.References(a), 2u);
    EXPECT_EQ(cache.Acquire("nothing"), nullptr);
    EXPECT_EQ(cache.Count(), 1);
    cache.Release(a);
    EXPECT_EQ(cache.Count(), 1);
    cache.Release(a);
    EXPECT_EQ(cache.Count(), 0);
    // While a building tile is built, a newly loaded shape counts twice its radius, and so does
    // the first mesh under its first detail part.
    auto detailed = std::make_unique<ts::TSShape>();
    auto detail = std::make_unique<ts::TSDetailPart>();
    detail->AddPart(tstest::BoxMesh({-1, -1, -1}, {1, 1, 1}));
    detail->fpSizeList = {100};
    detailed->AddPart(std::move(detail));
    detailed->fRadius = 2;
    WriteShape("tower.dts", *detailed);
    cache.SetBuildingTile(1);
    ts::TSShape* t = cache.Acquire("tower");
    ASSERT_NE(t, nullptr);
    EXPECT_FLOAT_EQ(t->fRadius, 4.0f);
    auto* mesh = dynamic_cast<ts::TSMesh*>(dynamic_cast<ts::TSDetailPart*>(t->Part(0))->Part(0));
    ASSERT_NE(mesh, nullptr);
    EXPECT_FLOAT_EQ(mesh->fRadius, 2.0f * std::sqrt(3.0f));
    cache.SetBuildingTile(0);
}

// Damaged shape and list files: cut anywhere, with huge counts, indices out of range and
// foreign tags, and a few thousand random byte changes; they load as nothing or as a sound
// object, and never crash (the sanitizer tree watches the reads).
TEST_F(Shapes, DamagedFilesLoadAsNothing) {
    auto shape = std::make_unique<ts::TSShape>();
    auto bsp = std::make_unique<ts::TSBSPPart>();
    bsp->AddPart(tstest::BoxMesh({-1, -1, -1}, {1, 1, 1}));
    bsp->AddPart(tstest::BoxMesh({2, -1, -1}, {3, 1, 1}));
    bsp->nodes = {{{1, 0, 0}, 1.5f, ts::TSBSPPart::kPart | 1, ts::TSBSPPart::kPart | 0}};
    bsp->transforms = {-1};
    auto cell = std::make_unique<ts::TSCellAnimPart>();
    cell->AddPart(tstest::BoxMesh({0, 0, 0}, {1, 1, 1}));
    const std::int32_t cells[1] = {0};
    cell->SetCells(1, cells);
    shape->AddPart(std::move(bsp));
    shape->AddPart(std::move(cell));
    shape->sequenceLengths = {1};
    const auto good = tstest::Stored(*shape);
    const auto goodList = tstest::Stored(*tstest::ColourList(3, 1));
    ASSERT_NE(tstest::Loaded<ts::TSShape>(good), nullptr);
    for (std::size_t cut = 0; cut < good.size(); cut += 7) {
        const std::vector<std::uint8_t> part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(tstest::Loaded<ts::TSShape>(part), nullptr) << cut;
    }
    for (std::size_t cut = 0; cut < goodList.size(); ++cut) {
        const std::vector<std::uint8_t> part(goodList.begin(), goodList.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(tstest::Loaded<ts::TSMaterialList>(part), nullptr) << cut;
    }
    // A foreign tag at the top, and the shape's words turned to huge counts one by one.
    std::vector<std::uint8_t> foreign = good;
    foreign[2] = 21;
    EXPECT_EQ(tstest::Loaded<ts::TSShape>(foreign), nullptr);
    for (std::size_t at = 8; at + 4 <= good.size(); at += 4) {
        std::vector<std::uint8_t> huge = good;
        core::WriteU32(huge.data() + at, 0x7FFFFFF0u);
        auto loaded = tstest::Loaded<ts::TSShape>(huge);
        if (loaded) loaded->ComputeBounds();  // whatever survives is whole
    }
    std::mt19937 random(15);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = round % 2 == 0 ? good : goodList;
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int k = 0; k < changes; ++k)
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        if (round % 2 == 0) {
            if (auto s = tstest::Loaded<ts::TSShape>(bytes)) s->ComputeBounds();
        } else {
            if (auto l = tstest::Loaded<ts::TSMaterialList>(bytes)) l->AcquireAll(nullptr);
        }
    }
    // Through the loader: garbage loose files give no shape and no list.
    dir.Write("junk.dts", "not a shape at all");
    dir.Write("junk.dml", std::string(300, '\xFF'));
    EXPECT_EQ(ts::TSShape::Load("junk", nullptr), nullptr);
    WriteShape("fine.dts", *Box(1, 1));
    dir.Write("fine.dml", std::string(goodList.begin(), goodList.begin() + 20));
    std::unique_ptr<ts::TSShape> fine(ts::TSShape::Load("fine", nullptr));
    ASSERT_NE(fine, nullptr);
    EXPECT_EQ(fine->GetMaterials(), nullptr);
}

}  // namespace
