// The 3D device: execute buffers decoded exactly as laid out, malformed buffers refused without
// harm, and the software drawer's textures, perspective, fog and alpha.
#include "win/d3d.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "win_test_support.h"

namespace {

// A buffer of `vertices` vertex slots followed by instructions the test writes.
struct Buffer {
    std::vector<std::uint8_t> bytes;
    std::size_t instr = 0;
    std::size_t at = 0;
    explicit Buffer(std::size_t vertices, std::size_t instructionBytes = 256)
        : bytes(vertices * 32 + instructionBytes), instr(vertices * 32), at(vertices * 32) {}
    void Op(std::uint8_t op, std::uint8_t size, std::uint16_t count) {
        win::WriteInstruction(&bytes[at], op, size, count);
        at += 4;
    }
    void State(std::uint32_t s, std::uint32_t v) {
        win::WriteState(&bytes[at], s, v);
        at += 8;
    }
    void Tri(std::uint16_t a, std::uint16_t b, std::uint16_t c) {
        win::WriteTriangle(&bytes[at], a, b, c, 0x700);
        at += 8;
    }
    void Process(std::uint32_t count) {
        win::D3DPROCESSVERTICES p;
        p.dwFlags = 0x0A;
        p.dwCount = count;
        win::WriteProcessVertices(&bytes[at], p);
        at += 16;
    }
    win::D3DEXECUTEDATA Data(std::uint32_t vertexCount) const {
        win::D3DEXECUTEDATA d;
        d.dwVertexCount = vertexCount;
        d.dwInstructionOffset = static_cast<std::uint32_t>(instr);
        d.dwInstructionLength = static_cast<std::uint32_t>(at - instr);
        return d;
    }
};

TEST(D3DDecode, ReadsTheLayoutItWasGiven) {
    Buffer b(3);
    win::D3DTLVERTEX v;
    v.sx = 1.5f;
    v.rhw = 0.25f;
    v.color = 0xFF102030u;
    v.specular = 0x80000000u;
    v.tv = 0.75f;
    win::WriteTLVertex(&b.bytes[64], v);
    b.Op(win::D3DOP_PROCESSVERTICES, 16, 1);
    b.Process(3);
    b.Op(win::D3DOP_STATERENDER, 8, 2);
    b.State(win::D3DRENDERSTATE_FOGENABLE, 1);
    b.State(win::D3DRENDERSTATE_FOGCOLOR, 0x00FF00);
    b.Op(win::D3DOP_TRIANGLE, 8, 1);
    b.Tri(0, 1, 2);
    b.Op(win::D3DOP_EXIT, 0, 0);
    const auto e = win::DecodeExecuteBuffer(b.bytes.data(), b.bytes.size(), b.Data(3));
    ASSERT_TRUE(e.ok);
    ASSERT_EQ(e.instructions.size(), 4u);
    EXPECT_EQ(e.instructions[0].process[0].dwCount, 3u);
    EXPECT_EQ(e.instructions[1].states[1].dwArg1, 0x00FF00u);
    EXPECT_EQ(e.instructions[2].triangles[0].v3, 2);
    ASSERT_EQ(e.vertices.size(), 3u);
    EXPECT_FLOAT_EQ(e.vertices[2].sx, 1.5f);
    EXPECT_FLOAT_EQ(e.vertices[2].rhw, 0.25f);
    EXPECT_EQ(e.vertices[2].color, 0xFF102030u);
    EXPECT_EQ(e.vertices[2].specular, 0x80000000u);
    EXPECT_FLOAT_EQ(e.vertices[2].tv, 0.75f);
    // Byte order of the first vertex field and of an instruction count.
    EXPECT_EQ(b.bytes[64 + 12 + 3], 0x3E);  // 0.25f = 0x3E800000, little-endian
    EXPECT_EQ(b.bytes[b.instr + 2], 1);
}

TEST(D3DDecode, MalformedBuffersAreRefused) {
    struct Case {
        const char* name;
        void (*write)(Buffer&);
        std::uint32_t vertexCount;
    };
    const Case cases[] = {
        {"no exit", [](Buffer& b) { b.Op(win::D3DOP_TRIANGLE, 8, 0); }, 0},
        {"count past the end", [](Buffer& b) { b.Op(win::D3DOP_TRIANGLE, 8, 5000); }, 0},
        {"wrong record size",
         [](Buffer& b) {
             b.Op(win::D3DOP_STATERENDER, 4, 1);
             b.State(1, 1);
             b.Op(win::D3DOP_EXIT, 0, 0);
         },
         0},
        {"vertices past the buffer", [](Buffer& b) { b.Op(win::D3DOP_EXIT, 0, 0); }, 100000},
    };
    for (const Case& c : cases) {
        Buffer b(2);
        c.write(b);
        const auto e =
            win::DecodeExecuteBuffer(b.bytes.data(), b.bytes.size(), b.Data(c.vertexCount));
        EXPECT_FALSE(e.ok) << c.name;
    }
    // Random bytes never read outside the buffer.
    std::uint32_t seed = 7;
    for (int i = 0; i < 500; ++i) {
        Buffer b(4, 64);
        for (auto& x : b.bytes)
            x = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
        b.at = b.bytes.size();
        (void)win::DecodeExecuteBuffer(b.bytes.data(), b.bytes.size(), b.Data(4));
    }
}

class D3DDrawTest : public wintest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        win::ResetDirectDrawStandIn();
        win::ResetDirect3DStandIn();
        window = MakeWindow();
        ASSERT_EQ(win::DirectDrawCreate(nullptr, &dd, nullptr), win::DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(window, win::DDSCL_FULLSCREEN | win::DDSCL_EXCLUSIVE),
                  win::DD_OK);
        ASSERT_EQ(dd->SetDisplayMode(64, 64, 16), win::DD_OK);
        win::DDSURFACEDESC d;
        d.dwFlags = win::DDSD_CAPS | win::DDSD_WIDTH | win::DDSD_HEIGHT;
        d.dwWidth = 64;
        d.dwHeight = 64;
        d.ddsCaps.dwCaps = win::DDSCAPS_OFFSCREENPLAIN | win::DDSCAPS_3DDEVICE;
        ASSERT_EQ(dd->CreateSurface(&d, &target, nullptr), win::DD_OK);
        ASSERT_EQ(win::QueryDevice(target, win::IID_IDirect3DRGBDevice, &device), win::DD_OK);
        ASSERT_EQ(win::QueryDirect3D(dd, &d3d), win::DD_OK);
        ASSERT_EQ(d3d->CreateViewport(&viewport, nullptr), win::DD_OK);
        ASSERT_EQ(device->AddViewport(viewport), win::DD_OK);
    }
    void TearDown() override {
        if (texture) texture->Release();
        viewport->Release();
        device->Release();
        d3d->Release();
        target->Release();
        dd->Release();
        EXPECT_EQ(win::theDirectDrawStats.liveObjects, 0);
        HeadlessTest::TearDown();
    }
    // A 2×2 texture of four 16-bit texels in the given alpha layout.
    void MakeTexture(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b,
                     const std::uint16_t (&texels)[4]) {
        win::DDSURFACEDESC d;
        d.dwFlags = win::DDSD_CAPS | win::DDSD_WIDTH | win::DDSD_HEIGHT | win::DDSD_PIXELFORMAT;
        d.dwWidth = 2;
        d.dwHeight = 2;
        d.ddpfPixelFormat.dwFlags = win::DDPF_RGB | win::DDPF_ALPHAPIXELS;
        d.ddpfPixelFormat.dwRGBBitCount = 16;
        d.ddpfPixelFormat.dwRGBAlphaBitMask = a;
        d.ddpfPixelFormat.dwRBitMask = r;
        d.ddpfPixelFormat.dwGBitMask = g;
        d.ddpfPixelFormat.dwBBitMask = b;
        d.ddsCaps.dwCaps = win::DDSCAPS_TEXTURE;
        win::DirectDrawSurface* s = nullptr;
        ASSERT_EQ(dd->CreateSurface(&d, &s, nullptr), win::DD_OK);
        win::DDSURFACEDESC l;
        ASSERT_EQ(s->Lock(nullptr, &l, 0, nullptr), win::DD_OK);
        auto* p = static_cast<std::uint8_t*>(l.lpSurface);
        for (int i = 0; i < 4; ++i)
            std::memcpy(p + (i / 2) * l.lPitch + (i % 2) * 2, &texels[i], 2);
        s->Unlock(nullptr);
        ASSERT_EQ(win::QueryTexture(s, &texture), win::DD_OK);
        s->Release();
        ASSERT_EQ(texture->GetHandle(device, &handle), win::DD_OK);
    }
    std::uint16_t Pixel(int x, int y) {
        win::DDSURFACEDESC l;
        EXPECT_EQ(target->Lock(nullptr, &l, 0, nullptr), win::DD_OK);
        std::uint16_t v;
        std::memcpy(&v, static_cast<std::uint8_t*>(l.lpSurface) + y * l.lPitch + x * 2, 2);
        target->Unlock(nullptr);
        return v;
    }
    // A square over the whole target as two triangles, executed with the given states.
    void DrawSquare(std::vector<std::pair<std::uint32_t, std::uint32_t>> states,
                    std::uint32_t colour, std::uint32_t specular, float farRhw = 1.0f) {
        win::D3DEXECUTEBUFFERDESC desc;
        desc.dwFlags = win::D3DDEB_BUFSIZE;
        desc.dwBufferSize = 4 * 32 + 256;
        win::Direct3DExecuteBuffer* eb = nullptr;
        ASSERT_EQ(device->CreateExecuteBuffer(&desc, &eb, nullptr), win::DD_OK);
        ASSERT_EQ(eb->Lock(&desc), win::DD_OK);
        auto* p = static_cast<std::uint8_t*>(desc.lpData);
        const float xy[4][2] = {{-1, -1}, {65, -1}, {65, 65}, {-1, 65}};
        for (int i = 0; i < 4; ++i) {
            win::D3DTLVERTEX v;
            v.sx = xy[i][0];
            v.sy = xy[i][1];
            v.rhw = i < 2 ? 1.0f : farRhw;  // the bottom edge lies farther away
            v.color = colour;
            v.specular = specular;
            v.tu = xy[i][0] < 0 ? 0.0f : 1.0f;
            v.tv = xy[i][1] < 0 ? 0.0f : 1.0f;
            win::WriteTLVertex(p + i * 32, v);
        }
        std::size_t at = 128;
        win::WriteInstruction(p + at, win::D3DOP_PROCESSVERTICES, 16, 1);
        win::D3DPROCESSVERTICES pv;
        pv.dwFlags = 0x0A;
        pv.dwCount = 4;
        win::WriteProcessVertices(p + at + 4, pv);
        at += 20;
        win::WriteInstruction(p + at, win::D3DOP_STATERENDER, 8,
                              static_cast<std::uint16_t>(states.size()));
        at += 4;
        for (auto [s, v] : states) {
            win::WriteState(p + at, s, v);
            at += 8;
        }
        win::WriteInstruction(p + at, win::D3DOP_TRIANGLE, 8, 2);
        win::WriteTriangle(p + at + 4, 0, 1, 2, 0x700);
        win::WriteTriangle(p + at + 12, 0, 2, 3, 0x71F);
        at += 20;
        win::WriteInstruction(p + at, win::D3DOP_EXIT, 0, 0);
        at += 4;
        eb->Unlock();
        win::D3DEXECUTEDATA data;
        data.dwVertexCount = 4;
        data.dwInstructionOffset = 128;
        data.dwInstructionLength = static_cast<std::uint32_t>(at - 128);
        eb->SetExecuteData(&data);
        EXPECT_EQ(device->Execute(eb, viewport, win::D3DEXECUTE_UNCLIPPED), win::DD_OK);
        eb->Release();
    }

    win::HWND window;
    win::DirectDraw* dd = nullptr;
    win::Direct3D* d3d = nullptr;
    win::DirectDrawSurface* target = nullptr;
    win::Direct3DDevice* device = nullptr;
    win::Direct3DViewport* viewport = nullptr;
    win::Direct3DTexture* texture = nullptr;
    win::D3DTEXTUREHANDLE handle = 0;
};

TEST_F(D3DDrawTest, TexturesFogAndAlpha) {
    // 1555: opaque red, transparent, opaque green, opaque blue.
    MakeTexture(0x8000, 0x7C00, 0x03E0, 0x001F, {0xFC00, 0x0000, 0x83E0, 0x801F});
    const std::uint16_t background = 0x0841;
    win::DDBLTFX fx;
    fx.dwFillColor = background;
    target->Blt(nullptr, nullptr, nullptr, win::DDBLT_COLORFILL, &fx);
    DrawSquare({{win::D3DRENDERSTATE_TEXTUREHANDLE, handle}}, 0xFFFFFFFFu, 0xFF000000u);
    EXPECT_EQ(Pixel(10, 10), 0xF800);      // red quadrant
    EXPECT_EQ(Pixel(50, 10), background);  // transparent texel leaves the picture
    EXPECT_EQ(Pixel(10, 50), 0x07E0);
    EXPECT_EQ(Pixel(50, 50), 0x001F);
    // Full fog takes the fog colour; modulation by the vertex colour darkens.
    DrawSquare({{win::D3DRENDERSTATE_FOGENABLE, 1}, {win::D3DRENDERSTATE_FOGCOLOR, 0xFFFFFF}},
               0xFFFFFFFFu, 0x00000000u);
    EXPECT_EQ(Pixel(10, 10), 0xFFFF);
    DrawSquare({{win::D3DRENDERSTATE_FOGENABLE, 0}}, 0xFF808080u, 0xFF000000u);
    EXPECT_EQ(Pixel(10, 10), (16 << 11));
}

TEST_F(D3DDrawTest, TranslucentTexelsBlend) {
    // 4444: every texel white at half alpha over black.
    MakeTexture(0xF000, 0x0F00, 0x00F0, 0x000F, {0x8FFF, 0x8FFF, 0x8FFF, 0x8FFF});
    DrawSquare({{win::D3DRENDERSTATE_TEXTUREHANDLE, handle}}, 0xFFFFFFFFu, 0xFF000000u);
    const std::uint16_t p = Pixel(32, 32);
    EXPECT_NEAR(p >> 11, 17, 1);
}

TEST_F(D3DDrawTest, PerspectiveMovesTheTextureSeam) {
    // Top texel row red, bottom row blue. With the bottom edge four times farther the seam
    // (v = 0.5) lies 80% of the way down instead of half-way.
    MakeTexture(0x8000, 0x7C00, 0x03E0, 0x001F, {0xFC00, 0xFC00, 0x801F, 0x801F});
    struct Case {
        std::uint32_t perspective;
        std::uint16_t at45;
    };
    for (const Case c : {Case{1, 0xF800}, Case{0, 0x001F}}) {
        DrawSquare({{win::D3DRENDERSTATE_TEXTUREHANDLE, handle},
                    {win::D3DRENDERSTATE_TEXTUREPERSPECTIVE, c.perspective}},
                   0xFFFFFFFFu, 0xFF000000u, 0.25f);
        EXPECT_EQ(Pixel(20, 45), c.at45) << "perspective " << c.perspective;
        EXPECT_EQ(Pixel(20, 60), 0x001F);
        EXPECT_EQ(Pixel(20, 20), 0xF800);
    }
}

}  // namespace
