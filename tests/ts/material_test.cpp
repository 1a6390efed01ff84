// Materials: the draw kind of every type, shading and perspective flag; nearest colours with
// and without a palette; counted acquisition of textures; the texture mappings; the stored form
// and its damaged variants; a texture material drawn without its texture.
#include <gtest/gtest.h>

#include "core/stream_test_util.h"
#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "recording_table.h"
#include "shape_stage.h"
#include "test_shapes.h"
#include "ts/face_draw.h"
#include "ts/material.h"
#include "ts/texture_manager.h"

namespace {

using ts::TSMaterial;

struct Materials : ::testing::Test {
    static void SetUpTestSuite() { ts::InstallShapeClasses(); }
    void TearDown() override { ts::TSTextureManager::Shutdown(); }
};

TEST_F(Materials, DrawKindsByTypeShadingAndPerspective) {
    struct Row {
        std::uint32_t type, shading, flags, kind;
    };
    const Row rows[] = {
        {0, 0, 0, 0}, {0, 2, 4, 0}, {1, 0, 0, 1}, {1, 1, 4, 2}, {1, 2, 0, 3}, {2, 0, 0, 1},
        {2, 2, 4, 3}, {3, 0, 0, 4}, {3, 1, 0, 5}, {3, 2, 0, 6}, {3, 0, 4, 7}, {3, 1, 4, 8},
        {3, 2, 4, 9},
        // A type or shading outside the table draws nothing.
        {4, 0, 0, 0}, {7, 1, 4, 0}, {1, 3, 0, 0}, {3, 0xFFFFFFFF, 4, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ts::DrawKindFor(r.type, r.shading, r.flags), r.kind) << r.type << "/" << r.shading << "/" << r.flags;
}

TEST_F(Materials, RgbMaterialsTakeTheNearestColour) {
    TSMaterial m;
    m.type = TSMaterial::kRGB;
    m.shading = TSMaterial::kFlat;
    m.rgb = {200, 10, 10, 0};
    m.paletteIndex = 77;
    m.Acquire(nullptr);  // no palette and no draw target
    EXPECT_EQ(m.paletteIndex, 0u);
    EXPECT_EQ(m.drawKind, 2u);
    m.Release();
    gfx::GFXPalette palette;
    palette.entries[123] = {201, 12, 9, 0};
    m.Acquire(&palette);
    EXPECT_EQ(m.paletteIndex, 123u);
    m.Release();
    // Resolved for a surface, it becomes a palette material.
    tstest::Stage stage(16, 16, &palette);
    m.ResolveRGB(stage.surface.get());
    EXPECT_EQ(m.type, TSMaterial::kPalette);
    EXPECT_EQ(m.paletteIndex, 123u);
}

TEST_F(Materials, TexturesAreCountedAndMappedOntoTheirSheet) {
    auto picture = gfx::GFXBitmap::Create(64, 32, 8);
    ASSERT_NE(ts::TSTextureManager::Acquire("decal.bmp", std::move(picture)), nullptr);
    TSMaterial m;
    m.type = TSMaterial::kTexture;
    m.shading = TSMaterial::kSmooth;
    m.flags = TSMaterial::kPerspective;
    m.textureName = "DECAL.BMP";
    m.Acquire(nullptr);
    m.Acquire(nullptr);
    ASSERT_NE(m.texture, nullptr);
    EXPECT_EQ(m.drawKind, 9u);
    EXPECT_EQ(m.texture->refCount, 2u) << "the material holds one reference however often it is acquired";
    m.Release();
    EXPECT_NE(m.texture, nullptr) << "acquired twice, released once";
    m.Release();
    EXPECT_EQ(m.texture, nullptr);
    ts::TSTextureManager::Release("decal.bmp");
    EXPECT_EQ(ts::TSTextureManager::SheetCount(), 0);

    // The eight mappings of (u, v) onto a texture at (0.25, 0.5) of size (0.5, 0.25).
    ts::TSTextureManager::Entry entry;
    entry.x0 = 0.25f;
    entry.y0 = 0.5f;
    entry.sx = 0.5f;
    entry.sy = 0.25f;
    const float u = 0.2f, v = 0.6f;
    const float expect[8][2] = {{u, v}, {1 - u, v}, {u, 1 - v}, {1 - u, 1 - v},
                                {v, 1 - u}, {1 - v, 1 - u}, {v, u}, {1 - v, u}};
    for (std::uint32_t k = 0; k < 8; ++k) {
        TSMaterial t;
        t.type = TSMaterial::kTexture;
        t.flags = k << 3;
        t.textureName = "missing.bmp";
        t.Acquire(nullptr);
        ASSERT_NE(t.mapping, nullptr);
        const gfx::GFXTexCoord c = t.mapping(entry, u, v);
        EXPECT_FLOAT_EQ(c.u, 0.25f + 0.5f * expect[k][0]) << k;
        EXPECT_FLOAT_EQ(c.v, 0.5f + 0.25f * expect[k][1]) << k;
        // Its texture could not be had: it draws as the palette material of its shading.
        EXPECT_EQ(t.texture, nullptr);
        EXPECT_EQ(t.drawKind, 1u);
        EXPECT_FALSE(t.IsTextured());
    }
}

TEST_F(Materials, AMissingTextureDrawsThePaletteColour) {
    gfx::GFXPalette palette;
    tstest::RecordingTable recording;
    tstest::Stage stage(64, 64, &palette);
    auto list = std::make_unique<ts::TSMaterialList>();
    auto m = std::make_unique<TSMaterial>();
    m->type = TSMaterial::kTexture;
    m->shading = TSMaterial::kFlat;
    m->textureName = "nowhere.bmp";
    m->paletteIndex = 99;
    list->Add(std::move(m));
    list->AcquireAll(nullptr);
    auto box = tstest::BoxMesh({-1, -1, -1}, {1, 1, 1});
    for (auto& f : box->faces) f.material = 0;
    stage.LookAt({0, -6, 0}, {0, 0, 0});
    stage.Begin();
    stage.target.materialList = list.get();
    box->Render(ts::kCullUntested);
    stage.End();
    ASSERT_EQ(tstest::Recorded().size(), 1u);
    EXPECT_EQ(tstest::Recorded()[0].colour, 99u);
    EXPECT_EQ(tstest::Recorded()[0].flags & gfx::kPolyTextured, 0u);
    EXPECT_NE(tstest::Recorded()[0].flags & gfx::kPolyFaceShade, 0u) << "flat: lit as a face";
}

// While textures are switched off (buildings without their textures), a textured material
// draws its palette colour with its own shading; switched back on, its texture again.
TEST_F(Materials, WithTexturesOffATexturedMaterialDrawsItsPaletteColour) {
    gfx::GFXPalette palette;
    ASSERT_NE(ts::TSTextureManager::Acquire("walls.bmp", gfx::GFXBitmap::Create(64, 64, 8)), nullptr);
    auto list = std::make_unique<ts::TSMaterialList>();
    auto m = std::make_unique<TSMaterial>();
    m->type = TSMaterial::kTexture;
    m->shading = TSMaterial::kFlat;
    m->textureName = "walls.bmp";
    m->paletteIndex = 77;
    list->Add(std::move(m));
    list->AcquireAll(nullptr);
    ASSERT_TRUE(list->At(0)->IsTextured());
    auto box = tstest::BoxMesh({-1, -1, -1}, {1, 1, 1});
    for (auto& f : box->faces) f.material = 0;
    for (const bool off : {true, false}) {
        tstest::RecordingTable recording;
        tstest::Stage stage(64, 64, &palette);
        stage.LookAt({0, -6, 0}, {0, 0, 0});
        ts::theUntexturedFaces = off;
        stage.Begin();
        stage.target.materialList = list.get();
        box->Render(ts::kCullUntested);
        stage.End();
        ts::theUntexturedFaces = false;
        ASSERT_EQ(tstest::Recorded().size(), 1u) << off;
        EXPECT_EQ((tstest::Recorded()[0].flags & gfx::kPolyTextured) != 0, !off);
        EXPECT_NE(tstest::Recorded()[0].flags & gfx::kPolyFaceShade, 0u) << "flat either way";
        if (off) {
            EXPECT_EQ(tstest::Recorded()[0].colour, 77u);
        }
    }
    list->ReleaseAll();
    ts::TSTextureManager::Release("walls.bmp");
}

TEST_F(Materials, StoredFormRoundTripsAndRefusesDamage) {
    ts::TSMaterialList list;
    for (const char* name : {"", "a.bmp", "nineteen_chars1.bmp"}) {
        auto m = std::make_unique<TSMaterial>();
        m->type = *name ? TSMaterial::kTexture : TSMaterial::kPalette;
        m->word1 = 0x11;
        m->shading = TSMaterial::kSmooth;
        m->word2 = 0x22;
        m->paletteIndex = 7;
        m->rgb = {1, 2, 3, 4};
        m->flags = 0x2C;
        m->textureName = name;
        list.Add(std::move(m));
    }
    EXPECT_EQ(list.At(0)->getStoredSize(), 32u);
    EXPECT_EQ(list.At(2)->getStoredSize(), 32u + 19u + 1u);
    const auto bytes = tstest::Stored(list);
    auto back = tstest::Loaded<ts::TSMaterialList>(bytes);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->Count(), 3);
    EXPECT_EQ(back->At(0)->textureName, "");
    EXPECT_EQ(back->At(2)->textureName, "nineteen_chars1.bmp");
    EXPECT_EQ(back->At(1)->rgb.a, 4);
    EXPECT_EQ(tstest::Stored(*back), bytes);
    // Copies keep what is stored and start from the other list's base index.
    back->baseIndex = 1;
    ts::TSMaterialList copy(*back);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.At(0)->textureName, "a.bmp");

    // A name of 20 characters or more, a short block, a count beyond the bytes.
    TSMaterial longName;
    longName.type = TSMaterial::kTexture;
    longName.textureName = "twenty_characters.bm";
    EXPECT_EQ(tstest::Loaded<TSMaterial>(tstest::Stored(longName)), nullptr);
    std::vector<std::uint8_t> cut = bytes;
    cut.resize(cut.size() - 9);
    EXPECT_EQ(tstest::Loaded<ts::TSMaterialList>(cut), nullptr);
    std::vector<std::uint8_t> huge = bytes;
    core::WriteU32(huge.data() + 8, 0x40000000);
    EXPECT_EQ(tstest::Loaded<ts::TSMaterialList>(huge), nullptr);
}

}  // namespace
