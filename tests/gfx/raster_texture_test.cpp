// Texture mapping: an affine square maps texels one to one, and perspective runs start on the
// exact texel of their pixel; occlusion through coverage lists matches painting back to front.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/raster/coverage_list.h"
#include "gfx/raster/span_fillers.h"
#include "raster_test_support.h"

namespace gfx {
namespace {

using test::Face;
using test::GuardedSurface;

std::unique_ptr<GFXBitmap> Texture(std::uint8_t (*texel)(int u, int v)) {
    auto t = GFXBitmap::Create(256, 256, 8);
    for (int v = 0; v < 256; ++v) {
        for (int u = 0; u < 256; ++u)
            t->Row(v)[u] = texel(u, v);
    }
    return t;
}

TEST(RasterTexture, AffineSquareReproducesTheTexture) {
    auto tex =
        Texture([](int u, int v) { return static_cast<std::uint8_t>(u * 31 + v * 17 + (u >> 3)); });
    GuardedSurface s(256, 256);
    struct Case {
        const char* name;
        bool split;
        std::uint32_t flags;
    };
    for (const Case& c :
         {Case{"quad", false, kPolyTextured}, Case{"two triangles", true, kPolyTextured},
          Case{"quad, transparent", false, kPolyTextured | kPolyTransparent}}) {
        s.ClearInside(0);
        const GFXScreenPoint p[4] = {
            {0, 0, 0, 1}, {256, 0, 0, 1}, {256, 256, 0, 1}, {0, 256, 0, 1}};
        const GFXTexCoord t[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        auto draw = [&](std::initializer_list<int> idx) {
            Face f;
            for (int i : idx) {
                f.pts.push_back(p[i]);
            }
            f.Finish(c.flags, 0);
            int k = 0;
            for (int i : idx)
                f.tex[static_cast<std::size_t>(k++)] = t[i];
            f.req.texture = tex.get();
            test::Draw(s, f);
        };
        if (c.split) {
            draw({0, 1, 2});
            draw({2, 3, 0});
        } else {
            draw({0, 1, 2, 3});
        }
        int bad = 0;
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x)
                bad += s.At(x, y) != tex->Row(y)[x];
        }
        EXPECT_EQ(bad, 0) << c.name;
        EXPECT_TRUE(s.GuardIntact()) << c.name;
    }
}

// u and v of the perspective triangle at a pixel centre, in double.
struct PlaneUV {
    double a[3], b[3], c[3];  // U, V, W = a + b x + c y
    void Fit(const GFXScreenPoint* p, const GFXTexCoord* t) {
        const double x1 = p[1].x - p[0].x, y1 = p[1].y - p[0].y;
        const double x2 = p[2].x - p[0].x, y2 = p[2].y - p[0].y;
        const double d = x1 * y2 - x2 * y1;
        for (int k = 0; k < 3; ++k) {
            double q[3];
            for (int i = 0; i < 3; ++i) {
                const double w = p[i].w;
                q[i] = k == 0 ? t[i].u * 256.0 * w : (k == 1 ? t[i].v * 256.0 * w : w);
            }
            b[k] = ((q[1] - q[0]) * y2 - (q[2] - q[0]) * y1) / d;
            c[k] = ((q[2] - q[0]) * x1 - (q[1] - q[0]) * x2) / d;
            a[k] = q[0] - b[k] * p[0].x - c[k] * p[0].y;
        }
    }
    double At(int k, double x, double y) const { return a[k] + b[k] * x + c[k] * y; }
};

TEST(RasterTexture, PerspectiveRunsStartOnTheExactTexel) {
    for (const bool vPass : {false, true}) {
        auto tex =
            vPass ? Texture([](int, int v) { return static_cast<std::uint8_t>(v == 0 ? 1 : v); })
                  : Texture([](int u, int) { return static_cast<std::uint8_t>(u == 0 ? 1 : u); });
        GuardedSurface s(320, 200);
        const GFXScreenPoint p[3] = {{13, 7, 0, 1.0f}, {311, 60, 0, 0.25f}, {40, 190, 0, 0.6f}};
        const GFXTexCoord t[3] = {{0.02f, 0.03f}, {0.97f, 0.2f}, {0.1f, 0.95f}};
        Face f;
        f.pts.assign(p, p + 3);
        f.Finish(kPolyTextured | kPolyPerspective, 0);
        for (int i = 0; i < 3; ++i)
            f.tex[static_cast<std::size_t>(i)] = t[i];
        f.req.texture = tex.get();
        test::Draw(s, f);
        PlaneUV plane;
        plane.Fit(p, t);
        int checked = 0, bad = 0;
        for (int y = 0; y < 200; ++y) {
            int x0 = -1, x1 = -1;
            for (int x = 0; x < 320; ++x) {
                if (s.At(x, y) != 0) {
                    if (x0 < 0) x0 = x;
                    x1 = x + 1;
                }
            }
            if (x0 < 0) continue;
            const int n = x1 - x0;
            // Run starts: the first pixel, then 24 - (address & 3) further, then every 24.
            std::vector<int> starts{x0};
            if (n > kSubdivisionLength) {
                for (int x = x0 + kSubdivisionLength - (x0 & 3); x < x1; x += kSubdivisionLength)
                    starts.push_back(x);
            }
            for (int x : starts) {
                const double w = plane.At(2, x, y);
                const double coord = plane.At(vPass ? 1 : 0, x, y) / w;
                if (std::abs(coord - std::round(coord)) < 1e-3) continue;  // on a texel edge
                const int texel = static_cast<int>(std::floor(coord)) & 255;
                const int want = texel == 0 ? 1 : texel;
                ++checked;
                bad += s.At(x, y) != want;
            }
        }
        EXPECT_GT(checked, 300);
        EXPECT_EQ(bad, 0) << (vPass ? "v" : "u");
        EXPECT_TRUE(s.GuardIntact());
    }
}

TEST(RasterTexture, TwoPolygonsSampleTheirOwnTextures) {
    auto a = Texture([](int, int) -> std::uint8_t { return 11; });
    auto b = Texture([](int, int) -> std::uint8_t { return 22; });
    GuardedSurface s(64, 32);
    for (int k = 0; k < 2; ++k) {
        Face f;
        const std::int32_t x = k * 32;
        f.pts = {{x, 0, 0, 1}, {x + 32, 0, 0, 1}, {x + 32, 32, 0, 1}};
        f.Finish(kPolyTextured, 0);
        f.req.texture = (k == 0 ? a : b).get();
        test::Draw(s, f);
    }
    EXPECT_EQ(s.At(30, 5), 11);
    EXPECT_EQ(s.At(62, 5), 22);
}

// A stack of overlapping rectangles, each on its own depth level.
struct Layer {
    GFXScreenPoint p[4];
    std::uint8_t colour;
};

std::vector<Layer> Layers() {
    std::mt19937 rng(99);
    std::vector<Layer> v;
    for (int i = 0; i < 60; ++i) {
        const int x = static_cast<int>(rng() % 560), y = static_cast<int>(rng() % 400);
        const int w = 20 + static_cast<int>(rng() % 200), h = 20 + static_cast<int>(rng() % 150);
        const int slant = static_cast<int>(rng() % 40);
        Layer l{{{x + slant, y, 0, 1},
                 {x + w, y + slant / 2, 0, 1},
                 {x + w - slant, y + h, 0, 1},
                 {x, y + h - slant / 2, 0, 1}},
                static_cast<std::uint8_t>(1 + i)};
        v.push_back(l);
    }
    return v;  // front first
}

TEST(RasterOcclusion, FrontToBackWithCoverageEqualsBackToFront) {
    const std::vector<Layer> layers = Layers();
    GuardedSurface painter(640, 480), occluded(640, 480);
    auto draw = [](GuardedSurface& s, const Layer& l, std::uint32_t flags) {
        Face f;
        f.pts.assign(l.p, l.p + 4);
        f.Finish(flags, l.colour);
        test::Draw(s, f);
    };
    theSpanState.pixelsWritten = 0;
    for (auto it = layers.rbegin(); it != layers.rend(); ++it)
        draw(painter, *it, 0);
    const std::uint64_t paintedPixels = theSpanState.pixelsWritten;

    CoverageList list;
    ASSERT_EQ(list.Allocate(0, 480, 20000), 1);
    list.Reset(0, 0, 639, 479);
    occluded.spanRegion = &list;
    occluded.flags |= kSurfaceClipRegion;
    theSpanState.pixelsWritten = 0;
    for (const Layer& l : layers)
        draw(occluded, l, kPolyOcclude | kPolyCoverageTest);
    const std::uint64_t occludedPixels = theSpanState.pixelsWritten;

    EXPECT_EQ(painter.Picture(), occluded.Picture());
    EXPECT_LT(occludedPixels, paintedPixels);
    EXPECT_TRUE(occluded.GuardIntact());
}

}  // namespace
}  // namespace gfx
