// Fill rates of the span fillers against plain loops of their kind (the flat one against
// memset), polygon throughput with set-up and clipping, and a whole frame of textured
// perspective triangles. Every drawing benchmark counts the pixels its picture covers and refuses
// to run when there are none (faces given the wrong way round draw nothing, and would time nothing
// but their rejection).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/raster/poly_request.h"
#include "gfx/raster/span_fillers.h"
#include "gfx/raster/span_state.h"

namespace gfx {
namespace {

constexpr int kRow = 640;

struct SpanBench {
    alignas(16) std::uint8_t row[kRow + 16] = {};
    std::vector<std::uint8_t> shade = std::vector<std::uint8_t>(65536);
    std::vector<std::uint8_t> texels = std::vector<std::uint8_t>(65536);
    SpanBench() {
        for (std::size_t i = 0; i < shade.size(); ++i) {
            shade[i] = static_cast<std::uint8_t>(i * 7 >> 8);
            texels[i] = static_cast<std::uint8_t>(i * 13 + (i >> 8));
        }
        SpanRasterState& s = theSpanState;
        s.rowPtr = row;
        s.shadeTable = shade.data();
        s.blendTable = shade.data();
        s.texels = texels.data();
        s.texStride = 256;
        s.texWidth = s.texHeight = 256;
        s.shadeMask = 0x3F00;
        s.colour = 17;
        s.spanX = 0;
        s.spanShade = 0x100000;
        s.spanShadeDX = 0x1800;
        s.spanLight = 0x1000;
        s.spanLightDX = 0x11;
        s.spanU = 1000.0f;
        s.spanV = 5000.0f;
        s.spanW = 1.0f;
        s.spanDUDX = 70000.0f;
        s.spanDVDX = 30000.0f;
        s.spanDWDX = 0.0005f;
        s.spanUStep = 70000;
        s.spanVStep = 30000;
        s.spanLightRow = shade.data();
    }
};

// The pixels one fill writes: the span drawn over two different backgrounds, so that every
// written pixel differs from at least one of them.
int WrittenPixels(SpanBench& b, SpanFillFn fill) {
    std::uint8_t first[kRow];
    std::memset(b.row, 0, kRow);
    fill(0, kRow << 16);
    std::memcpy(first, b.row, kRow);
    std::memset(b.row, 0xFF, kRow);
    fill(0, kRow << 16);
    int n = 0;
    for (int x = 0; x < kRow; ++x)
        n += first[x] != 0 || b.row[x] != 0xFF ? 1 : 0;
    return n;
}

// The library's memset of the row. Its length is hidden from the compiler: a memset of a known
// 640 bytes is compiled in line as a string store, which starts slowly and made the reference
// two or three times slower than the flat filler (itself a call of the library's memset).
void MemsetRow(std::uint8_t* row) {
    std::size_t n = kRow;
    benchmark::DoNotOptimize(n);
    std::memset(row, 17, n);
}

// The plain loops the fillers are held to, each the least a filler of its kind must do for a
// pixel, written as simply as it can be: a shade stepped in 16.16 through the shade table (the
// smoothly shaded fillers), and a texel found by two 16.16 coordinates stepped across a 256 x 256
// texture (the textured ones). A memset of the row was the reference once; on a processor with
// 64-byte stores it takes 3 ns for 640 pixels, mostly its call, and the fillers' ratios to it
// swung threefold from run to run.
[[gnu::noinline]] void PlainShadeRow(std::uint8_t* row, const std::uint8_t* shade, std::uint32_t s,
                                     std::uint32_t ds) {
    for (int x = 0; x < kRow; ++x, s += ds)
        row[x] = shade[((s >> 8) & 0xFF00u) | 17u];
}
[[gnu::noinline]] void PlainTextureRow(std::uint8_t* row, const std::uint8_t* texels,
                                       std::uint32_t u, std::uint32_t v, std::uint32_t du,
                                       std::uint32_t dv) {
    for (int x = 0; x < kRow; ++x, u += du, v += dv)
        row[x] = texels[((v >> 8) & 0xFF00u) | ((u >> 16) & 0xFFu)];
}
// The same over art with holes: a texel 0 leaves the row's pixel as it was.
[[gnu::noinline]] void PlainHoledTextureRow(std::uint8_t* row, const std::uint8_t* texels,
                                            std::uint32_t u, std::uint32_t v, std::uint32_t du,
                                            std::uint32_t dv) {
    for (int x = 0; x < kRow; ++x, u += du, v += dv)
        if (const std::uint8_t t = texels[((v >> 8) & 0xFF00u) | ((u >> 16) & 0xFFu)]; t != 0)
            row[x] = t;
}

enum class Peer { kMemset, kShade, kTexture, kHoledTexture };

// `goal`: the filler's time against its peer over the same row, at most (about a quarter above what
// each measured on an idle core), the two timed in turns.
void RunFiller(benchmark::State& state, FillSetupFn setup, Peer peer, double goal) {
    SpanBench b;
    setup(1);
    const SpanFillFn fill = theSpanState.selectedFill;
    const int written = WrittenPixels(b, fill);
    state.counters["pixels"] = written;
    if (written == 0) {
        state.SkipWithError("the span writes no pixel");
        return;
    }
    for (auto _ : state) {
        fill(0, kRow << 16);
        benchmark::DoNotOptimize(b.row);
    }
    constexpr int kFills = 200;
    std::uint32_t t = 0;
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < kFills; ++i) {
                fill(0, kRow << 16);
                benchmark::DoNotOptimize(b.row);
            }
        },
        [&] {
            for (int i = 0; i < kFills; ++i) {
                ++t;
                if (peer == Peer::kMemset)
                    MemsetRow(b.row);
                else if (peer == Peer::kShade)
                    PlainShadeRow(b.row, b.shade.data(), 0x100000 + t, 0x1800);
                else if (peer == Peer::kHoledTexture)
                    PlainHoledTextureRow(b.row, theSpanState.texels, 1000 + t, 5000, 70000, 30000);
                else
                    PlainTextureRow(b.row, b.texels.data(), 1000 + t, 5000, 70000, 30000);
                benchmark::DoNotOptimize(b.row);
            }
        });
    benchsupport::Goals goals(state);
    goals.AtMost(peer == Peer::kMemset  ? "per_memset"
                 : peer == Peer::kShade ? "per_plain_shade_loop"
                                        : "per_plain_texture_loop",
                 ratio, goal);
    state.SetItemsProcessed(state.iterations() * kRow);
}

void BM_Memset(benchmark::State& state) {
    SpanBench b;
    for (auto _ : state) {
        MemsetRow(b.row);
        benchmark::DoNotOptimize(b.row);
    }
    state.SetItemsProcessed(state.iterations() * kRow);
}
void BM_FlatSpan(benchmark::State& s) {
    RunFiller(s, FillSolid, Peer::kMemset, 1.25);
}
void BM_GouraudSpan(benchmark::State& s) {
    RunFiller(s, FillShade, Peer::kShade, 1.25);
}
void BM_AffineSpan(benchmark::State& s) {
    RunFiller(s, SetupTexAffine, Peer::kTexture, 1.3);
}
// A shaded filler's set-up for spans in one shade (a face's haze), as the terrain draws all but
// a few of its spans.
template <FillSetupFn Setup>
void OneShade(int isTriangle) {
    theSpanState.spanShadeDX = 0;
    Setup(isTriangle);
}
// The terrain's filler.
void BM_AffineOneShadeSpan(benchmark::State& s) {
    RunFiller(s, OneShade<SetupTexAffineShaded>, Peer::kTexture, 0.75);
}
void BM_PerspectiveSpan(benchmark::State& s) {
    RunFiller(s, SetupTexPerspective, Peer::kTexture, 1.1);
}
void BM_PerspectiveShadedSpan(benchmark::State& s) {
    RunFiller(s, SetupTexPerspectiveShaded, Peer::kTexture, 1.85);
}
// The near terrain's filler.
void BM_PerspectiveOneShadeSpan(benchmark::State& s) {
    RunFiller(s, OneShade<SetupTexPerspectiveShaded>, Peer::kTexture, 1.25);
}
// Art with holes in no regular pattern (a dithered haze): about half of its texels are 0 and
// let the row show through.
void BM_PerspectiveTransparentSpan(benchmark::State& s) {
    RunFiller(
        s,
        [](int isTriangle) {
            static std::vector<std::uint8_t> holed;
            holed.assign(theSpanState.texels, theSpanState.texels + 65536);
            for (std::size_t i = 0; i < holed.size(); ++i)
                if (((i * 2654435761u) >> 13) & 1) holed[i] = 0;
            theSpanState.texels = holed.data();
            SetupTexPerspectiveTransparent(isTriangle);
        },
        Peer::kHoledTexture, 1.45);
}
void BM_LitTexturedSpan(benchmark::State& s) {
    RunFiller(s, SetupTexPerspectiveLit, Peer::kTexture, 1.85);
}
BENCHMARK(BM_Memset);
BENCHMARK(BM_FlatSpan);
BENCHMARK(BM_GouraudSpan);
BENCHMARK(BM_AffineSpan);
BENCHMARK(BM_AffineOneShadeSpan);
BENCHMARK(BM_PerspectiveSpan);
BENCHMARK(BM_PerspectiveShadedSpan);
BENCHMARK(BM_PerspectiveOneShadeSpan);
BENCHMARK(BM_PerspectiveTransparentSpan);
BENCHMARK(BM_LitTexturedSpan);

struct Scene {
    std::unique_ptr<GFXMemSurface> surface;
    std::unique_ptr<GFXBitmap> texture;
    std::vector<GFXScreenPoint> points;
    std::vector<GFXTexCoord> tex;
    GFXColourTriple grey{40000, 40000, 40000};
    bool wholePixels = false;
    // Corners on sixteenths of a pixel, or on whole pixels as far terrain gives them.
    Scene(int triangles, double size, bool whole = false) : wholePixels(whole) {
        GFXSurface::InitSpanPool(3000);
        GFXMemSurface::SetDrawTable(&theSoftwareDrawTable);
        surface = GFXMemSurface::Create(640, 480, 8);
        surface->clipRect = {0, 0, 639, 479};
        texture = GFXBitmap::Create(256, 256, 8);
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x)
                texture->Row(y)[x] = static_cast<std::uint8_t>((x ^ y) | 1);  // never colour 0
        }
        std::mt19937 rng(5);
        std::uniform_real_distribution<double> u(0, 1);
        for (int i = 0; i < triangles; ++i) {
            // Some triangles reach over the edges, so that clipping takes part.
            const double cx = -10 + u(rng) * 660, cy = -10 + u(rng) * 500;
            const double a = u(rng) * 6.283;
            for (int k = 0; k < 3; ++k) {
                const double ang = a + k * 2.094;  // clockwise on the screen (y downwards)
                const auto w = static_cast<float>(0.5 + u(rng));
                // Far terrain is seen at a low angle: its faces are flat on the screen.
                const double scale = whole ? 1 : 16, flat = whole ? 0.3 : 1;
                points.push_back(
                    {static_cast<std::int32_t>((cx + std::cos(ang) * size) * scale),
                     static_cast<std::int32_t>((cy + std::sin(ang) * size * flat) * scale), 0, w});
                tex.push_back({static_cast<float>(u(rng)), static_cast<float>(u(rng))});
            }
        }
    }
    void Draw(std::uint32_t kindBits) {
        GFXDrawTarget target(surface.get());
        target.flags = wholePixels ? 0 : kPolySubpixel;
        target.coordinateShift = wholePixels ? 0 : 4;
        target.Begin();
        GFXFaceMaterial m{33, texture.get(), 0};
        for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
            const GFXScreenPoint* pp[3] = {&points[i], &points[i + 1], &points[i + 2]};
            const GFXTexCoord* tp[3] = {&tex[i], &tex[i + 1], &tex[i + 2]};
            if (kindBits == 0) {
                DrawTriangleSolid(target, m, pp);
            } else if (kindBits == kPolyTextured) {
                DrawTriangleTextured(target, m, pp, tp);
            } else if (kindBits == (kPolyTextured | kPolySmooth)) {
                // One colour at every corner, as the near terrain draws: one shade a face.
                const GFXColourTriple* cp[3] = {&grey, &grey, &grey};
                DrawTriangleTexturedSmooth(target, m, pp, cp, tp);
            } else {
                DrawTrianglePerspective(target, m, pp, tp);
            }
        }
        target.End();
    }
    // The pixels one frame covers, drawn on a cleared surface, and a digest of them (a faster
    // filler must draw the same picture: compare the digest before and after a change).
    std::int64_t CoveredPixels(std::uint32_t kindBits, std::uint32_t* digest) {
        for (int y = 0; y < 480; ++y)
            std::memset(surface->GetBitmap()->Row(y), 0, 640);
        Draw(kindBits);
        std::int64_t n = 0;
        std::uint32_t h = 2166136261u;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                const std::uint8_t p = surface->GetBitmap()->Row(y)[x];
                n += p != 0 ? 1 : 0;
                h = (h ^ p) * 16777619u;
            }
        }
        *digest = h;
        return n;
    }
};

// Reports the pixels the picture covers; false (the benchmark skipped) when it covers none.
bool CountPixels(benchmark::State& state, Scene& scene, std::uint32_t kindBits,
                 std::uint32_t* digest) {
    const std::int64_t covered = scene.CoveredPixels(kindBits, digest);
    state.counters["pixels"] = static_cast<double>(covered);
    if (covered == 0) state.SkipWithError("the triangles draw no pixel");
    return covered != 0;
}

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", v);
    return text;
}

// Draws the scene's 10,000 triangles of one kind a time, with the digest of their picture.
void RunTriangles(benchmark::State& state, Scene& scene, std::uint32_t kindBits) {
    std::uint32_t digest = 0;
    if (!CountPixels(state, scene, kindBits, &digest)) return;
    for (auto _ : state)
        scene.Draw(kindBits);
    state.SetItemsProcessed(state.iterations() * 10000);
    benchsupport::Goals goals(state);
    goals.Text("digest", Hex(digest));
}

// Triangles of about 20 pixels, with set-up and clipping.
void BM_SmallTriangles(benchmark::State& state) {
    Scene scene(10000, 4.0);  // side about 7 pixels: area about 20
    RunTriangles(state, scene, static_cast<std::uint32_t>(state.range(0)));
}
BENCHMARK(BM_SmallTriangles)
    ->Arg(0)
    ->Arg(kPolyTextured)
    ->Arg(kPolyTextured | kPolySmooth)
    ->Arg(kPolyTextured | kPolyPerspective);

// Far terrain: triangles a few pixels across and a row or two high with their corners on whole
// pixels, textured in one shade; many of them meet their only row at a corner and draw nothing.
void BM_FarTriangles(benchmark::State& state) {
    Scene scene(10000, 3.0, true);
    RunTriangles(state, scene, kPolyTextured | kPolySmooth);
}
BENCHMARK(BM_FarTriangles);

// A whole frame: 20,000 textured perspective triangles covering 640 x 480 three times over.
void BM_PerspectiveFrame(benchmark::State& state) {
    // 640 x 480 x 3 / 20000 = 46 pixels each: circumradius r with area 1.3 r^2.
    Scene scene(20000, std::sqrt(46.0 / 1.299));
    std::uint32_t digest = 0;
    if (!CountPixels(state, scene, kPolyTextured | kPolyPerspective, &digest)) return;
    const benchsupport::LoopClock clock;
    for (auto _ : state)
        scene.Draw(kPolyTextured | kPolyPerspective);
    const double frame = clock.PerIteration(state);
    state.SetItemsProcessed(state.iterations() * 20000);
    // A figure, not a goal: 20,000 triangles of 46 pixels (about 9 rows of 5 pixels each) weigh
    // each triangle's set-up and each row's divide, where the world's frames draw some 300
    // polygons with rows of hundreds of pixels; the frame budgets stand on those frames
    // (bench/frame, bench/world).
    benchsupport::Goals goals(state);
    goals.Note("frame_ms", frame * 1e3);
    goals.Note("ns_per_triangle", frame * 1e9 / 20000.0);
    goals.Note("frame_per_memcpy32", frame / benchsupport::MemcpyFrame32Seconds());
    goals.Text("digest", Hex(digest));
}
BENCHMARK(BM_PerspectiveFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace gfx
