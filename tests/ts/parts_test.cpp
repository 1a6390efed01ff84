// The part kinds: detail levels by projected size and drop, flip-book cells by the instance's
// sequence values, back-to-front order through BSP planes, sprites sized from their texture,
// keyframe meshes; every class stored, loaded and stored again byte for byte; damaged cell
// tables and BSP references refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "recording_table.h"
#include "shape_stage.h"
#include "test_shapes.h"
#include "ts/anim_mesh.h"
#include "ts/bsp_part.h"
#include "ts/detail_parts.h"
#include "ts/sprite_parts.h"
#include "ts/texture_manager.h"
#include "ts/unit_normals.h"

namespace {

using tstest::Recorded;

// A leaf that notes that it was drawn.
struct Marker final : ts::TSPartBase {
    explicit Marker(int id, std::vector<int>* log) : log(log) { fIDnumber = id; }
    void Render(int) override { log->push_back(fIDnumber); }
    std::vector<int>* log;
};

std::unique_ptr<ts::TSPartBase> Mark(int id, std::vector<int>* log) {
    return std::make_unique<Marker>(id, log);
}

struct Parts : ::testing::Test {
    static void SetUpTestSuite() { ts::InstallShapeClasses(); }
    void TearDown() override {
        ts::theDetailDrop = 0;
        ts::theDetailScale = 1.0f;
        ts::theCurrentSequenceState = nullptr;
        ts::TSTextureManager::Shutdown();
    }
    gfx::GFXPalette palette;
};

TEST_F(Parts, DetailLevelsFollowTheProjectedSize) {
    std::vector<int> log;
    ts::TSDetailPart d;
    for (int i = 0; i < 3; ++i)
        d.AddPart(Mark(i, &log));
    d.fpSizeList = {10.0f, 40.0f, 1000.0f};
    EXPECT_EQ(d.ChildForSize(8.0f), 0);
    EXPECT_EQ(d.ChildForSize(25.0f), 1);
    EXPECT_EQ(d.ChildForSize(60.0f), 2);
    ts::theDetailDrop = 1;
    EXPECT_EQ(d.ChildForSize(60.0f), 1) << "a drop of 1 never takes the finest";
    ts::theDetailDrop = 0;

    // Drawn: the size is the radius projected at the distance from the sphere's edge; from
    // inside the sphere the distance counts as 1.
    tstest::Stage stage(640, 480, &palette);
    d.fRadius = 1.0f;
    auto drawnAt = [&](float distance) {
        log.clear();
        stage.Look({0, -distance, 0}, {0, 0, 0});
        stage.Begin();
        d.Render(ts::kCullUntested);
        stage.End();
        return log.empty() ? -1 : log.front();
    };
    // 1024 pixels per unit at depth 1 (640 / 80 x 128).
    EXPECT_EQ(drawnAt(200.0f), 0);  // about 5 pixels
    EXPECT_EQ(drawnAt(51.0f), 1);   // about 20
    EXPECT_EQ(drawnAt(0.5f), 2);    // inside: 1024
    ts::theDetailScale = 0.001f;
    EXPECT_EQ(drawnAt(0.5f), 0);
}

TEST_F(Parts, CellsFollowTheInstancesSequenceValues) {
    std::vector<int> log;
    ts::TSCellAnimPart cell;
    cell.animSequence = 1;
    cell.AddPart(Mark(10, &log));
    cell.AddPart(Mark(11, &log));
    const std::int32_t table[3] = {0, 0, 1};
    cell.SetCells(3, table);
    const std::int32_t lengths[2] = {1, 3};
    ts::TSSequenceState state(2, lengths);
    tstest::Stage stage(64, 64, &palette);
    stage.Begin();
    auto drawn = [&](std::uint32_t value) {
        log.clear();
        state.SetValue(1, value);
        cell.Render(ts::kCullUntested);
        return log;
    };
    ts::theCurrentSequenceState = &state;
    EXPECT_EQ(drawn(2), std::vector<int>{11});
    EXPECT_EQ(drawn(0), std::vector<int>{10});
    EXPECT_TRUE(drawn(3).empty()) << "past the cell table";
    EXPECT_TRUE(drawn(0xFFFFFFFF).empty());
    ts::theCurrentSequenceState = nullptr;
    EXPECT_TRUE(drawn(0).empty()) << "no sequence state";
    cell.animSequence = 5;
    ts::theCurrentSequenceState = &state;
    EXPECT_TRUE(drawn(0).empty()) << "a sequence the state does not have";
    stage.End();

    // A cell naming no child fails the part.
    auto stored = tstest::BoxMesh({0, 0, 0}, {1, 1, 1});
    ts::TSCellAnimPart bad;
    bad.AddPart(std::move(stored));
    const std::int32_t wrong[2] = {0, 1};
    bad.SetCells(2, wrong);
    EXPECT_EQ(tstest::Loaded<ts::TSCellAnimPart>(tstest::Stored(bad)), nullptr);
}

TEST_F(Parts, BspPlanesDrawBackToFront) {
    std::vector<int> log;
    ts::TSBSPPart bsp;
    bsp.AddPart(Mark(0, &log));
    bsp.AddPart(Mark(1, &log));
    bsp.AddPart(Mark(2, &log));
    // Node 0: the plane y = 0; its front is part 0, its back node 1 (the plane x = 0 parting
    // part 1 (front) from part 2 (back)).
    bsp.nodes = {{{0, 1, 0}, 0.0f, ts::TSBSPPart::kPart | 0, 1}, {{1, 0, 0}, 0.0f, ts::TSBSPPart::kPart | 1, ts::TSBSPPart::kPart | 2}};
    bsp.transforms = {-1, -1};
    ASSERT_TRUE(bsp.NodesValid());
    tstest::Stage stage(64, 64, &palette);
    auto order = [&](ts::Vector3F eye) {
        log.clear();
        stage.Look(eye, {0, 0, 0});
        stage.Begin();
        bsp.Render(ts::kCullUntested);
        stage.End();
        return log;
    };
    EXPECT_EQ(order({5, 5, 0}), (std::vector<int>{2, 1, 0})) << "in front of both planes";
    EXPECT_EQ(order({-5, -5, 0}), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(order({5, -5, 0}), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(order({0, 0, 3}), (std::vector<int>{2, 1, 0})) << "on a plane counts as in front";
    bsp.nodes[1].back = ts::TSBSPPart::kNothing;
    EXPECT_EQ(order({5, 5, 0}), (std::vector<int>{1, 0}));

    // Bad references and graphs that are not trees fail the part when it is read.
    struct Case {
        const char* what;
        std::uint32_t front0, back0, front1, back1;
    };
    const Case cases[] = {
        {"part out of range", ts::TSBSPPart::kPart | 3, 1, ts::TSBSPPart::kPart | 1, ts::TSBSPPart::kPart | 2},
        {"node out of range", ts::TSBSPPart::kPart | 0, 2, ts::TSBSPPart::kPart | 1, ts::TSBSPPart::kPart | 2},
        {"a loop", ts::TSBSPPart::kPart | 0, 1, 1, ts::TSBSPPart::kPart | 2},
        {"back to the root", ts::TSBSPPart::kPart | 0, 1, 0, ts::TSBSPPart::kPart | 2},
        {"two parents", 1, 1, ts::TSBSPPart::kPart | 1, ts::TSBSPPart::kPart | 2},
    };
    for (const Case& c : cases) {
        ts::TSBSPPart b;
        for (int i = 0; i < 3; ++i)
            b.AddPart(tstest::BoxMesh({0, 0, 0}, {1, 1, 1}));
        b.nodes = {{{0, 1, 0}, 0.0f, c.front0, c.back0}, {{1, 0, 0}, 0.0f, c.front1, c.back1}};
        b.transforms = {-1, -1};
        EXPECT_EQ(tstest::Loaded<ts::TSBSPPart>(tstest::Stored(b)), nullptr) << c.what;
    }
}

TEST_F(Parts, SpritesStandOnTheirAnchorSizedFromTheirTexture) {
    auto picture = gfx::GFXBitmap::Create(64, 32, 8);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) picture->Row(y)[x] = 7;
    ASSERT_NE(ts::TSTextureManager::Acquire("sprite.bmp", std::move(picture)), nullptr);
    ts::TSMaterialList list;
    auto m = std::make_unique<ts::TSMaterial>();
    m->type = ts::TSMaterial::kTexture;
    m->textureName = "sprite.bmp";
    list.Add(std::move(m));
    auto colour = std::make_unique<ts::TSMaterial>();
    colour->type = ts::TSMaterial::kPalette;
    colour->paletteIndex = 5;
    list.Add(std::move(colour));
    list.AcquireAll(nullptr);
    ts::TSBitmapFramePart sprite;
    sprite.scale = 0.5f;
    sprite.xOffset = 32;
    sprite.yOffset = 0;
    sprite.fRadius = 20;
    tstest::Stage stage(320, 240, &palette);
    stage.Look({0, -100, 0}, {0, 0, 0});
    stage.Begin();
    stage.target.materialList = &list;
    ts::Vector3F corners[4];
    sprite.PictureCorners(64, 32, corners);
    // 32 units across centred on the origin, 16 upward from it (eye space: x right, z up).
    EXPECT_FLOAT_EQ(corners[0].x, -16.0f);
    EXPECT_FLOAT_EQ(corners[1].x, 16.0f);
    EXPECT_FLOAT_EQ(corners[0].z, 0.0f);
    EXPECT_FLOAT_EQ(corners[2].z, 16.0f);
    {
        tstest::RecordingTable recording;
        sprite.Render(ts::kCullUntested);
        ASSERT_EQ(Recorded().size(), 1u);
        EXPECT_NE(Recorded()[0].flags & gfx::kPolyTextured, 0u);
        // Not a texture material: nothing.
        Recorded().clear();
        sprite.mat = 1;
        sprite.Render(ts::kCullUntested);
        EXPECT_TRUE(Recorded().empty());
        // Nearer than the near plane: nothing.
        sprite.mat = 0;
        stage.Look({0, -0.5f, 0}, {0, 0, 0});
        stage.End();
        stage.Begin();
        stage.target.materialList = &list;
        sprite.Render(ts::kCullUntested);
        EXPECT_TRUE(Recorded().empty());
    }
    stage.End();
    // Upright and unmirrored: the picture's top row (v 0) at the top of the screen.
    stage.Look({0, -100, 8}, {0, 0, 0});
    auto texture = gfx::GFXBitmap::Create(8, 8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) texture->Row(y)[x] = static_cast<std::uint8_t>(y < 4 ? 20 + (x < 4) : 30);
    ASSERT_NE(ts::TSTextureManager::Acquire("quarters.bmp", std::move(texture)), nullptr);
    list.At(0)->Release();
    list.At(0)->textureName = "quarters.bmp";
    list.At(0)->Acquire(nullptr);
    sprite.scale = 2.0f;
    sprite.xOffset = 4;
    sprite.squishAndRotate = 0;
    stage.Begin(0);
    stage.target.materialList = &list;
    sprite.Render(ts::kCullUntested);
    stage.End();
    int topLeft = 0, topRight = 0, bottom = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const std::uint8_t c = stage.At(x, y);
            if (c == 21) topLeft += x < 160 ? 1 : -1000;
            if (c == 20) topRight += x >= 160 ? 1 : -1000;
            if (c == 30) bottom += 1;
            if (c == 21 || c == 20) {
                EXPECT_LT(y, 120);
            }
        }
    EXPECT_GT(topLeft, 0);
    EXPECT_GT(topRight, 0);
    EXPECT_GT(bottom, 0);
}

TEST_F(Parts, KeyframeMeshesBoundEveryKeyframeAndDrawTheirCurrentOne) {
    ts::TSAnimMesh mesh;
    mesh.fnVertices = 3;
    for (float shift : {0.0f, 5.0f}) {
        ts::TSAnimMesh::Keyframe k;
        k.duration = 0.5f;
        const int n = ts::NearestNormal({0, -1, 0});
        k.vertices = {{{-1 + shift, 0, -1}, n}, {{0 + shift, 0, 1}, n}, {{1 + shift, 0, -1}, n}};
        mesh.keyframes.push_back(k);
    }
    mesh.texCoords.push_back({});
    ts::TSAnimMesh::Face f;
    f.v[0] = 0;
    f.v[1] = 1;
    f.v[2] = 2;
    mesh.faces.push_back(f);
    mesh.fRadius = 8;
    mesh.ComputeBounds();
    EXPECT_EQ(mesh.box.min.x, -1.0f);
    EXPECT_EQ(mesh.box.max.x, 6.0f);
    auto loaded = tstest::Loaded<ts::TSAnimMesh>(tstest::Stored(mesh));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->CurrentKeyframe(), 0);

    // Clockwise on the screen is the front; the other way round is not drawn.
    const auto list = tstest::ColourList(1, 60);
    tstest::RecordingTable recording;
    tstest::Stage stage(320, 240, &palette);
    stage.Look({0, -20, 0}, {0, 0, 0});
    stage.Begin();
    stage.target.materialList = list.get();
    loaded->Render(ts::kCullUntested);
    ASSERT_EQ(Recorded().size(), 1u);
    std::swap(loaded->faces[0].v[1], loaded->faces[0].v[2]);
    Recorded().clear();
    loaded->Render(ts::kCullUntested);
    EXPECT_TRUE(Recorded().empty());
    // Half behind the near plane: a clipped piece, nothing behind it.
    std::swap(loaded->faces[0].v[1], loaded->faces[0].v[2]);
    stage.End();
    // Turned so that two corners lie nearer than the near plane.
    stage.Look({0, -1.2f, 0}, {0, 0, 0.9f});
    stage.Begin();
    stage.target.materialList = list.get();
    Recorded().clear();
    loaded->Render(ts::kCullUntested);
    ASSERT_EQ(Recorded().size(), 1u);
    EXPECT_EQ(Recorded()[0].points.size(), 3u) << "two corners behind leave a triangle";
    for (const auto& p : Recorded())
        for (const auto& s : p.points) EXPECT_GE(s.z, 1);
    stage.End();

    // Damaged: a normal index past the table, a vertex index past the set.
    ts::TSAnimMesh bad = ts::TSAnimMesh();
    bad.fnVertices = 3;
    bad.keyframes = mesh.keyframes;
    bad.faces = mesh.faces;
    bad.keyframes[1].vertices[2].normal = 256;
    EXPECT_EQ(tstest::Loaded<ts::TSAnimMesh>(tstest::Stored(bad)), nullptr);
    bad.keyframes = mesh.keyframes;
    bad.faces[0].v[2] = 3;
    EXPECT_EQ(tstest::Loaded<ts::TSAnimMesh>(tstest::Stored(bad)), nullptr);
}

// Every class of the engine stored, loaded and stored again gives the same bytes, and the first
// line of a dump names the class.
TEST_F(Parts, EveryClassRoundTripsByteForByte) {
    auto shape = std::make_unique<ts::TSShape>();
    auto detail = std::make_unique<ts::TSDetailPart>();
    detail->AddPart(tstest::BoxMesh({-2, -2, -2}, {2, 2, 2}));
    detail->AddPart(tstest::BoxMesh({-1, -1, -1}, {1, 1, 1}));
    detail->fpSizeList = {12.0f, 9999.0f};
    auto cell = std::make_unique<ts::TSCellAnimPart>();
    cell->animSequence = 2;
    cell->AddPart(std::make_unique<ts::TSNullPart>());
    cell->AddPart(tstest::BoxMesh({0, 0, 0}, {1, 2, 3}));
    const std::int32_t cells[3] = {1, 0, 1};
    cell->SetCells(3, cells);
    auto bsp = std::make_unique<ts::TSBSPPart>();
    bsp->AddPart(std::move(detail));
    bsp->AddPart(std::move(cell));
    bsp->nodes = {{{0.0f, 0.6f, 0.8f}, 1.25f, ts::TSBSPPart::kPart | 1, ts::TSBSPPart::kPart | 0}};
    bsp->transforms = {-1};
    auto sprite = std::make_unique<ts::TSBitmapFramePart>();
    sprite->mat = 3;
    sprite->scale = 0.75f;
    sprite->xOffset = 9;
    sprite->yOffset = -2;
    sprite->squishAndRotate = 1;
    auto anim = std::make_unique<ts::TSAnimMesh>();
    anim->fnVertices = 1;
    anim->keyframes = {{0.25f, {{{1, 2, 3}, 17}}}, {0.5f, {{{4, 5, 6}, 200}}}};
    shape->AddPart(std::move(bsp));
    shape->AddPart(std::move(sprite));
    shape->AddPart(std::move(anim));
    shape->AddPart(std::make_unique<ts::TSPartList>());
    shape->sequenceLengths = {2, 2, 3};
    shape->fRadius = 7.5f;
    shape->fIDnumber = 44;
    const auto bytes = tstest::Stored(*shape);
    auto back = tstest::Loaded<ts::TSShape>(bytes);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(tstest::Stored(*back), bytes);
    EXPECT_EQ(back->SequenceCount(), 3);
    EXPECT_EQ(ts::ClassItem::getTotalStoredSize(back.get()), bytes.size());

    const auto list = tstest::ColourList(3, 1);
    const auto listBytes = tstest::Stored(*list);
    EXPECT_EQ(tstest::Stored(*tstest::Loaded<ts::TSMaterialList>(listBytes)), listBytes);

    std::fflush(stdout);
    ::testing::internal::CaptureStdout();
    back->dump(1, 0);
    const std::string dump = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(dump.rfind("Class type: 20:101 \"TSShape\"\n", 0), 0u) << dump;
    EXPECT_NE(dump.find("fnSequences:   3"), std::string::npos) << dump;
}

}  // namespace
