// The 3D path end to end on a recording device: what a frame's polygons become in the execute
// buffer, batches that never overflow, the layer's device and format choices, and the frame
// bracket's viewport.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "core/numeric.h"
#include "d3d_test_support.h"

namespace {

using d3dtest::D3DTest;
using d3dtest::Polygon;
using d3dtest::Quad;

TEST_F(D3DTest, QuadsAndATriangleMakeOneBatch) {
    ASSERT_TRUE(Start());
    auto texture = d3dtest::Texture(7);
    auto pal = displaytest::DistinctPalette(9);
    Back()->SetPalette(pal.get(), 0, 256);
    const gfx::GFXDrawTable* t = Back()->GetDrawTable();
    t->BeginFrame(Back());
    for (int i = 0; i < 3; ++i) {
        Polygon q(Quad(10 + 40 * i, 10, 30), gfx::kPolyTextured | gfx::kPolyPerspective, 0,
                  texture.get());
        t->DrawPolygon(Back(), &q.request);
    }
    Polygon tri({{200, 200, 500, 1.0f}, {260, 200, 500, 1.0f}, {230, 250, 500, 1.0f}}, 0, 33);
    t->DrawPolygon(Back(), &tri.request);
    const std::size_t before = recorder.executes.size();
    t->EndFrame(Back());
    ASSERT_EQ(recorder.executes.size(), before + 1);

    const win::D3DRecordedExecute& e = LastExecute();
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.data.dwVertexCount, 15u);
    EXPECT_EQ(e.data.dwInstructionOffset, 2048u * 32u);
    ASSERT_EQ(e.instructions.size(), 6u);
    // One process-vertices instruction for all fifteen vertices.
    ASSERT_EQ(e.instructions[0].opcode, win::D3DOP_PROCESSVERTICES);
    ASSERT_EQ(e.instructions[0].process.size(), 1u);
    EXPECT_EQ(e.instructions[0].process[0].dwCount, 15u);
    EXPECT_EQ(e.instructions[0].process[0].dwFlags, 0x0Au);
    // The first state block sends every state; the quads after it change none.
    ASSERT_EQ(e.instructions[1].opcode, win::D3DOP_STATERENDER);
    EXPECT_EQ(e.instructions[1].states.size(), 6u);
    ASSERT_EQ(e.instructions[2].opcode, win::D3DOP_TRIANGLE);
    const auto& quads = e.instructions[2].triangles;
    ASSERT_EQ(quads.size(), 6u);
    for (int q = 0; q < 3; ++q) {
        const std::uint16_t b = static_cast<std::uint16_t>(4 * q);
        EXPECT_EQ(quads[2 * q].v1, b);
        EXPECT_EQ(quads[2 * q].v2, b + 1);
        EXPECT_EQ(quads[2 * q].v3, b + 2);
        EXPECT_EQ(quads[2 * q].wFlags, 0x700);
        EXPECT_EQ(quads[2 * q + 1].v1, b);
        EXPECT_EQ(quads[2 * q + 1].v2, b + 2);
        EXPECT_EQ(quads[2 * q + 1].v3, b + 3);
        EXPECT_EQ(quads[2 * q + 1].wFlags, 0x71F);
    }
    // The untextured triangle changes the texture, perspective and shade states only.
    ASSERT_EQ(e.instructions[3].opcode, win::D3DOP_STATERENDER);
    std::vector<std::uint32_t> changed;
    for (const auto& s : e.instructions[3].states)
        changed.push_back(s.dwArg0);
    EXPECT_EQ(changed, (std::vector<std::uint32_t>{win::D3DRENDERSTATE_TEXTUREPERSPECTIVE,
                                                   win::D3DRENDERSTATE_TEXTUREHANDLE}));
    ASSERT_EQ(e.instructions[4].triangles.size(), 1u);
    EXPECT_EQ(e.instructions[4].triangles[0].v1, 12);
    EXPECT_EQ(e.instructions[4].triangles[0].wFlags, 0x700);
    EXPECT_EQ(e.instructions[5].opcode, win::D3DOP_EXIT);
    // The triangle's colour is its palette entry with the intensity in the blue byte.
    const gfx::GFXPaletteEntry& c = pal->entries[33];
    EXPECT_EQ(e.vertices[12].color,
              0xFF000000u | (c.red << 16) | (c.green << 8) | ((c.red + 2 * c.green + c.blue) / 4));
    EXPECT_FLOAT_EQ(e.vertices[12].sz, 500 * 0.000005f);
    EXPECT_EQ(e.vertices[0].color, 0xFFFFFFFFu);
}

TEST_F(D3DTest, RandomPolygonsNeverOverflowTheVertexArea) {
    ASSERT_TRUE(Start());
    gfx::D3DBatch& b = *gfx::theD3DBatch;
    core::CrtRandom rng(1234);
    std::int64_t added = 0;
    const std::size_t first = recorder.executes.size();
    for (int i = 0; i < 10000; ++i) {
        const std::int32_t n = 3 + rng.Next() % 14;
        for (int s = 0; s < rng.Next() % 3; ++s)
            b.SetRenderState(static_cast<std::uint32_t>(rng.Next() % 40),
                             static_cast<std::uint32_t>(rng.Next() % 3));
        ASSERT_EQ(b.MakeRoom(n, 0), 1);
        ASSERT_LE(b.vertexPtr + n * 32, b.instrStart) << "polygon " << i;
        for (int v = 0; v < n; ++v) {
            win::D3DTLVERTEX tl;
            tl.sx = static_cast<float>(v);
            win::WriteTLVertex(b.vertexPtr + v * 32, tl);
        }
        b.AddPolygon(n);
        ASSERT_LE(b.instrPtr - b.instrStart, gfx::D3DBatch::kInstructionBytes);
        added += n - 2;
    }
    b.Flush();
    std::int64_t seen = 0;
    for (std::size_t k = first; k < recorder.executes.size(); ++k) {
        const win::D3DRecordedExecute& e = recorder.executes[k];
        ASSERT_TRUE(e.ok) << "execute " << k;
        ASSERT_LE(e.data.dwVertexCount, 2048u);
        for (const auto& in : e.instructions)
            for (const auto& t : in.triangles) {
                ASSERT_LT(t.v3, e.data.dwVertexCount);
                ++seen;
            }
    }
    EXPECT_EQ(seen, added);
}

TEST_F(D3DTest, DeviceAndFormatChoices) {
    struct Case {
        const char* name;
        bool hardware;
        std::int32_t extraDevices;
        bool with4444;
        bool secondary;
        std::int32_t devices;
        std::int32_t choice;
        int formatsChosen;
    };
    const Case cases[] = {
        {"software only", false, 0, true, false, 1, 0, 1},
        {"hardware wins", true, 1, true, true, 3, 2, 1},
        {"a sixth is not kept", true, 6, true, false, 5, -1, 1},
        {"no 4444 still starts", false, 0, false, false, 1, 0, 0},
    };
    for (const Case& c : cases) {
        win::theDirect3DFaults.hardwareDevice = c.hardware;
        win::theDirect3DFaults.extraDevices = c.extraDevices;
        win::theDirect3DFaults.with4444 = c.with4444;
        win::theDirectDrawFaults.secondary3DDriver = c.secondary;
        if (c.choice < 0) {
            // Enumeration stops at five: the hardware device reported last is never recorded,
            // and the software device 0 is the choice.
            ASSERT_EQ(gfx::InitDirect3DLayer(main), 1) << c.name;
            EXPECT_EQ(gfx::theD3DDeviceCount, 5) << c.name;
            EXPECT_EQ(gfx::theD3DDeviceChoice, 0) << c.name;
            EXPECT_LE(std::strlen(gfx::theD3DDevices[1].name), 29u) << c.name;
            EXPECT_LE(std::strlen(gfx::theD3DDevices[1].description), 49u) << c.name;
            gfx::ReleaseDirect3D();
            continue;
        }
        ASSERT_TRUE(Start()) << c.name;
        EXPECT_EQ(gfx::theD3DDeviceCount, c.devices) << c.name;
        EXPECT_EQ(gfx::theD3DDeviceChoice, c.choice) << c.name;
        EXPECT_EQ(gfx::theD3DHardware, c.hardware ? 1 : 0) << c.name;
        EXPECT_EQ(gfx::theD3DDirectDraw->IsSecondary(), c.secondary) << c.name;
        EXPECT_EQ(gfx::ChooseTextureFormats(), c.formatsChosen) << c.name;
        delete pair[0];
        delete pair[1];
        pair[0] = pair[1] = nullptr;
        gfx::ReleaseDirect3D();
        win::ResetDirect3DStandIn();
        win::ResetDirectDrawStandIn();
        win::theDefaultD3DRenderer = &recorder;
    }
    EXPECT_EQ(win::theDirectDrawStats.liveObjects, 0);
}

TEST_F(D3DTest, FailuresLeaveTheLayerEmpty) {
    struct Case {
        const char* name;
        void (*arrange)();
        bool initOk;
    };
    const Case cases[] = {
        {"no buffer", [] { win::theDirect3DFaults.executeBufferFails = true; }, true},
        {"no device", [] { win::theDirect3DFaults.deviceFails = true; }, true},
        {"no 3D interface", [] { win::theDirect3DFaults.queryFails = true; }, false},
        {"no devices", [] { win::theDirect3DFaults.softwareRgbDevice = false; }, false},
    };
    for (const Case& c : cases) {
        win::ResetDirect3DStandIn();
        win::ResetDirectDrawStandIn();
        win::theDefaultD3DRenderer = &recorder;
        c.arrange();
        const int init = gfx::InitDirect3DLayer(main);
        EXPECT_EQ(init, c.initOk ? 1 : 0) << c.name;
        if (init) {
            ASSERT_EQ(gfx::SetD3DDisplayMode(640, 480, 16), 1);
            EXPECT_EQ(gfx::CreateD3DChain(pair, 2), 0) << c.name;
            EXPECT_EQ(pair[0], nullptr) << c.name;
            EXPECT_EQ(gfx::theD3DDevice, nullptr) << c.name;
            EXPECT_EQ(gfx::theD3DBatch, nullptr) << c.name;
        }
        gfx::ReleaseDirect3D();
        EXPECT_EQ(win::theDirectDrawStats.liveObjects, 0) << c.name;
    }
}

TEST_F(D3DTest, ViewportFollowsEveryClipChange) {
    ASSERT_TRUE(Start());
    const gfx::GFXDrawTable* t = Back()->GetDrawTable();
    t->BeginFrame(Back());
    t->EndFrame(Back());
    EXPECT_EQ(gfx::theD3DViewport->viewport.dwWidth, 640u);
    Back()->clipRect.right = 500;  // one edge only
    t->BeginFrame(Back());
    t->EndFrame(Back());
    EXPECT_EQ(gfx::theD3DViewport->viewport.dwWidth, 501u);
    EXPECT_EQ(gfx::theD3DViewport->viewport.dwHeight, 480u);
    EXPECT_EQ(gfx::theD3DBatch->viewport, gfx::theD3DViewport);
}

TEST_F(D3DTest, FrameBracketReleasesAndRetakesLocks) {
    ASSERT_TRUE(Start());
    const gfx::GFXDrawTable* t = Back()->GetDrawTable();
    Back()->AcquireLock();
    Back()->AcquireLock();
    t->BeginFrame(Back());
    EXPECT_EQ(Back()->lockCount, 0);
    EXPECT_TRUE(gfx::theD3DDevice->InScene());
    t->Clear(Back(), 5);
    ASSERT_FALSE(recorder.clears.empty());
    EXPECT_EQ(recorder.clears[0].flags, win::D3DCLEAR_TARGET);
    EXPECT_EQ(Back()->backgroundIndex, 5);
    t->EndFrame(Back());
    EXPECT_FALSE(gfx::theD3DDevice->InScene());
    EXPECT_EQ(Back()->lockCount, 2);
    EXPECT_NE(Back()->pixels, nullptr);
    Back()->ReleaseLock();
    Back()->ReleaseLock();
    // Outside a frame polygons are not taken.
    Polygon tri({{0, 0, 0, 1.0f}, {9, 0, 0, 1.0f}, {0, 9, 0, 1.0f}}, 0, 3);
    const std::int32_t before = gfx::theD3DBatch->vertexCount;
    t->DrawPolygon(Back(), &tri.request);
    EXPECT_EQ(gfx::theD3DBatch->vertexCount, before);
}

TEST_F(D3DTest, InitialRenderStates) {
    ASSERT_TRUE(Start());
    ASSERT_GE(recorder.executes.size(), 1u);
    const win::D3DRecordedExecute& e = recorder.executes.front();
    ASSERT_TRUE(e.ok);
    ASSERT_EQ(e.instructions.size(), 2u);
    ASSERT_EQ(e.instructions[0].states.size(), 15u);
    EXPECT_EQ(e.instructions[0].states[0].dwArg0, win::D3DRENDERSTATE_CULLMODE);
    EXPECT_EQ(e.instructions[0].states[14].dwArg0, win::D3DRENDERSTATE_SPECULARENABLE);
    EXPECT_EQ(e.data.dwInstructionLength, 128u);
    EXPECT_EQ(gfx::theD3DDevice->RenderState(win::D3DRENDERSTATE_DITHERENABLE), 0u);
    EXPECT_EQ(gfx::theD3DDevice->RenderState(win::D3DRENDERSTATE_SHADEMODE), win::D3DSHADE_GOURAUD);
}

}  // namespace
