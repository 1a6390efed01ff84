// A headless machine with the 3D layer up: a 640×480 16-bit front/back pair on a recording
// device, and helpers that make textures and polygon requests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display_test_support.h"
#include "gfx/bitmap.h"
#include "gfx/d3d_batch.h"
#include "gfx/d3d_draw_table.h"
#include "gfx/d3d_surface.h"
#include "gfx/draw_table.h"
#include "gfx/raster/poly_request.h"
#include "gfx/sheet_cache.h"
#include "win/d3d.h"

namespace d3dtest {

class D3DTest : public displaytest::DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        win::ResetDirectDrawStandIn();
        win::ResetDirect3DStandIn();
        win::theDefaultD3DRenderer = &recorder;
    }
    void TearDown() override {
        delete pair[0];
        delete pair[1];
        pair[0] = pair[1] = nullptr;
        gfx::ReleaseDirect3D();
        win::ResetDirect3DStandIn();
        win::ResetDirectDrawStandIn();
        DisplayTest::TearDown();
    }
    bool Start() {
        if (!gfx::InitDirect3DLayer(main)) return false;
        if (!gfx::SetD3DDisplayMode(640, 480, 16)) return false;
        return gfx::CreateD3DChain(pair, 2) == 1;
    }
    gfx::GFXD3DSurface* Back() { return pair[1]; }

    // The instructions of the last buffer the device executed.
    const win::D3DRecordedExecute& LastExecute() { return recorder.executes.back(); }

    win::D3DRecorder recorder;
    gfx::GFXD3DSurface* pair[2] = {};
};

// A 256×256 8-bit bitmap filled with `value`, with its own palette.
inline std::unique_ptr<gfx::GFXBitmap> Texture(std::uint8_t value, int size = 256) {
    auto b = gfx::GFXBitmap::Create(size, size, 8);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            b->Row(y)[x] = value;
    b->palette = displaytest::DistinctPalette(value);
    return b;
}

// A polygon request over its own points, texture pairs and vertices.
struct Polygon {
    std::vector<gfx::GFXScreenPoint> points;
    std::vector<gfx::GFXTexCoord> tex;
    std::vector<const gfx::GFXScreenPoint*> pointPtrs;
    std::vector<const gfx::GFXTexCoord*> texPtrs;
    gfx::GFXPolyVertex vertices[20];
    gfx::GFXPolyVertex* vertexPtrs[20];
    gfx::GFXPolyRequest request;

    Polygon(std::vector<gfx::GFXScreenPoint> pts, std::uint32_t flags, std::uint32_t colour,
            const gfx::GFXBitmap* texture = nullptr)
        : points(std::move(pts)) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            tex.push_back(gfx::GFXTexCoord{static_cast<float>(i & 1), static_cast<float>(i >> 1)});
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            pointPtrs.push_back(&points[i]);
            texPtrs.push_back(&tex[i]);
        }
        for (int i = 0; i < 20; ++i) {
            vertices[i] = gfx::GFXPolyVertex{0, 0, 65536, 65536, 65536, 0};
            vertexPtrs[i] = &vertices[i];
        }
        request.points = pointPtrs.data();
        request.texCoords = texPtrs.data();
        request.vertices = vertexPtrs;
        request.count = static_cast<std::int32_t>(points.size());
        request.flags = flags;
        request.colour = colour;
        request.texture = texture;
    }
};

inline std::vector<gfx::GFXScreenPoint> Quad(int x, int y, int size) {
    return {{x, y, 1000, 1.0f},
            {x + size, y, 1000, 1.0f},
            {x + size, y + size, 1000, 1.0f},
            {x, y + size, 1000, 1.0f}};
}

}  // namespace d3dtest
