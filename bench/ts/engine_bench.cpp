// The 3D engine's hot paths, each beside a bare peer measured in the same run:
// - WorldToScreenPoints over 100,000 points against a plain 3 x 4 transform-and-divide loop
//   (goal: within 1.2 times), and TestSphere per second;
// - SplitPolygon of an 8-vertex polygon against six planes (ns per polygon);
// - LightPoints with one directional light against a bare dot-product loop (goal: within
//   3.0 times; the loop reads its normals anew each call, so it is never computed once);
// - loadObject plus storeObject of a 1 MB part tree against memcpy of the same bytes (goal:
//   within 290 times).
// Each benchmark counts what it produced and fails when that is nothing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <span>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "core/mem_stream.h"
#include "ts/class_item.h"
#include "ts/frustum.h"
#include "ts/light_set.h"
#include "ts/part_tree.h"
#include "ts/perspective_camera.h"

namespace {

using ts::Vector3F;

constexpr int kPoints = 100000;
// Lighting a point against its bare dot product, clamp and scale: at most this many times.
constexpr double kLightGoal = 3.0;
// Projecting points against the plain transform-and-divide loop: at most this.
constexpr double kTransformGoal = 1.2;
// Loading and storing the part tree against memcpy of its bytes: at most this.
constexpr double kPartTreeGoal = 290.0;

std::vector<Vector3F> Points() {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> xz(-500, 500), y(20, 3000);
    std::vector<Vector3F> p(kPoints);
    for (Vector3F& v : p)
        v = Vector3F{xz(rng), y(rng), xz(rng)};
    return p;
}

ts::TSPerspectiveCamera& Camera() {
    static ts::TSPerspectiveCamera camera{ts::CameraRect{0, 0, 639, 479},
                                          ts::CameraWindow{-40, 30, 40, -30}, 8, 128};
    static const bool ready = [] {
        camera.Activate();
        ts::Transform3F placement;
        ts::Matrix3F::SetEulerAngles(Vector3F{0.1f, 0.02f, 0.7f}, &placement.matrix);
        placement.t = Vector3F{10, 20, 5};
        camera.SetTransform(placement);
        return true;
    }();
    (void)ready;
    return camera;
}

// The peer: the same 3 x 4 transform and one division, rounded with a plain conversion.
void BareTransformAndDivide(const std::vector<Vector3F>& points, std::vector<ts::ScreenPoint>& out) {
    const ts::Transform3F& m = Camera().GetModelToScreen();
    const float* e = m.matrix.m;
    const float cx = Camera().GetCentreX(), cy = Camera().GetCentreY();
    for (int i = 0; i < kPoints; ++i) {
        const Vector3F& p = points[static_cast<std::size_t>(i)];
        const float X = e[0] * p.x + e[2] * p.y + e[6] * p.z + m.t.x;
        const float Y = e[1] * p.x + e[3] * p.y + e[7] * p.z + m.t.y;
        const float Z = e[4] * p.x + e[5] * p.y + e[8] * p.z + m.t.z;
        const float w = 1.0f / Y;
        out[static_cast<std::size_t>(i)].x = static_cast<std::int32_t>(X * w + cx);
        out[static_cast<std::size_t>(i)].y = static_cast<std::int32_t>(cy - Z * w);
        out[static_cast<std::size_t>(i)].z = static_cast<std::int32_t>(Y);
        out[static_cast<std::size_t>(i)].w = w;
    }
    benchmark::ClobberMemory();
}

void BM_WorldToScreenPoints(benchmark::State& state) {
    const std::vector<Vector3F> points = Points();
    std::vector<ts::ScreenPoint> out(kPoints);
    ts::TSPerspectiveCamera& camera = Camera();
    std::int64_t sum = 0;
    const auto project = [&] {
        camera.WorldToScreenPoints(kPoints, points.data(), nullptr, out.data(), sizeof(Vector3F), 0,
                                   sizeof(ts::ScreenPoint), nullptr, nullptr);
        sum += out[kPoints / 2].x;
        benchmark::ClobberMemory();
    };
    for (auto _ : state)
        project();
    if (out[7].z == 0 && out[9].z == 0) state.SkipWithError("no points projected");
    state.SetItemsProcessed(state.iterations() * kPoints);
    std::vector<ts::ScreenPoint> bare(kPoints);
    const double ratio =
        benchsupport::PairedRatio(project, [&] { BareTransformAndDivide(points, bare); });
    benchmark::DoNotOptimize(sum);
    benchsupport::Goals goals(state);
    goals.AtMost("per_bare_transform", ratio, kTransformGoal);
}
BENCHMARK(BM_WorldToScreenPoints);

void BM_BareTransformAndDivide(benchmark::State& state) {
    const std::vector<Vector3F> points = Points();
    std::vector<ts::ScreenPoint> out(kPoints);
    for (auto _ : state)
        BareTransformAndDivide(points, out);
    if (out[7].z == 0) state.SkipWithError("no points projected");
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_BareTransformAndDivide);

void BM_TestSphere(benchmark::State& state) {
    const std::vector<Vector3F> points = Points();
    ts::TSPerspectiveCamera& camera = Camera();
    std::int64_t visible = 0;
    for (auto _ : state)
        for (int i = 0; i < kPoints; ++i)
            visible += camera.TestSphere(points[static_cast<std::size_t>(i)], 30.0f) != ts::kCullOutside;
    if (visible == 0) state.SkipWithError("no sphere visible");
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_TestSphere);

void BM_SplitPolygonOctagon(benchmark::State& state) {
    ts::TSPerspectiveCamera& camera = Camera();
    const ts::ViewFrustum frustum(camera, Vector3F{10, 20, 5}, 2000.0f, 1.0f);
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> c(-1500, 1500);
    std::vector<std::array<Vector3F, 8>> polygons(1024);
    for (auto& poly : polygons) {
        const float x = c(rng), y = c(rng), r = 400;
        for (int k = 0; k < 8; ++k)
            poly[static_cast<std::size_t>(k)] =
                Vector3F{x + r * std::cos(k * 0.785398f), y + r * std::sin(k * 0.785398f), 0};
    }
    Vector3F buffer[ts::kMaxClipVertices];
    // The set of polygons must leave something in view, and be cut by the planes.
    int kept = 0, cut = 0;
    for (auto& poly : polygons) {
        ts::PolygonF out{0, buffer};
        ts::ViewFrustum::SplitPolygon(frustum, ts::PolygonF{8, poly.data()}, &out);
        kept += out.count > 0 ? 1 : 0;
        cut += (out.count > 0 && out.count != 8) ? 1 : 0;
    }
    if (kept == 0 || cut == 0) state.SkipWithError("the polygons miss the view");
    std::int64_t vertices = 0;
    std::size_t i = 0;
    for (auto _ : state) {
        ts::PolygonF out{0, buffer};
        ts::ViewFrustum::SplitPolygon(frustum, ts::PolygonF{8, polygons[i++ & 1023].data()}, &out);
        vertices += out.count;
    }
    benchmark::DoNotOptimize(vertices);
    state.counters["kept"] = kept;
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SplitPolygonOctagon);

std::vector<ts::LightPoint> Normals() {
    std::mt19937 rng(8);
    std::uniform_real_distribution<float> u(-1, 1);
    std::vector<ts::LightPoint> v(kPoints);
    for (auto& p : v) {
        const Vector3F n{u(rng), u(rng), u(rng) - 0.5f};
        p.normal = n * (1.0f / ts::VectorLength(n));
    }
    return v;
}

// The peer: one dot product, clamp and scale per normal; the sum of the intensities.
std::int64_t BareDotProducts(const std::vector<ts::LightPoint>& points) {
    const Vector3F d{0.1f, 0.6f, -0.8f};
    std::int64_t lit = 0;
    // The normals are new to the compiler each call: the same sum is never computed once for
    // every call of a loop.
    const ts::LightPoint* first = points.data();
    benchmark::DoNotOptimize(first);
    benchmark::ClobberMemory();
    for (const ts::LightPoint& p : std::span(first, points.size())) {
        const float i = -ts::Dot(d, p.normal);
        if (i >= 0) lit += static_cast<std::int32_t>(0.8f * i * 65535.0f);
    }
    return lit;
}

void BM_LightPointsOneSun(benchmark::State& state) {
    const std::vector<ts::LightPoint> points = Normals();
    ts::TSLight sun;
    sun.worldDirection = Vector3F{0.1f, 0.6f, -0.8f};
    ts::TSLightSet set;
    set.AddLight(&sun);
    set.Activate();
    set.PrepareForObject(Vector3F{}, 1);
    gfx::GFXColourTriple out{};
    std::int64_t lit = 0;
    const auto light = [&] {
        for (const ts::LightPoint& p : points) {
            set.LightPoints(p, &out);
            lit += out.r;
        }
    };
    for (auto _ : state)
        light();
    if (lit == 0) state.SkipWithError("nothing lit");
    state.SetItemsProcessed(state.iterations() * kPoints);
    std::int64_t bare = 0;
    const double ratio = benchsupport::PairedRatio(light, [&] {
        bare += BareDotProducts(points);
        benchmark::DoNotOptimize(bare);
    });
    set.Deactivate();
    if (bare == 0) state.SkipWithError("the bare loop lit nothing");
    benchsupport::Goals goals(state);
    goals.AtMost("per_bare_dot_product", ratio, kLightGoal);
}
BENCHMARK(BM_LightPointsOneSun);

void BM_BareDotProduct(benchmark::State& state) {
    const std::vector<ts::LightPoint> points = Normals();
    std::int64_t lit = 0;
    for (auto _ : state) {
        lit += BareDotProducts(points);
        benchmark::DoNotOptimize(lit);
    }
    if (lit == 0) state.SkipWithError("nothing lit");
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_BareDotProduct);

// About 1 MB: 200 lists of 145 empty lists each.
std::vector<std::uint8_t> StoredTree() {
    ts::InstallShapeClasses();
    ts::TSPartList root;
    for (int i = 0; i < 200; ++i) {
        auto group = std::make_unique<ts::TSPartList>();
        for (int k = 0; k < 145; ++k)
            group->AddPart(std::make_unique<ts::TSPartList>());
        root.AddPart(std::move(group));
    }
    std::vector<std::uint8_t> bytes(ts::ClassItem::getTotalStoredSize(&root));
    core::MemRWStream s(static_cast<std::uint32_t>(bytes.size()), bytes.data());
    ts::ClassItem::storeObject(&root, s, 1);
    return bytes;
}

void BM_LoadAndStorePartTree(benchmark::State& state) {
    std::vector<std::uint8_t> bytes = StoredTree();
    std::vector<std::uint8_t> again(bytes.size());
    bool loaded = true;
    const auto loadAndStore = [&] {
        core::MemRWStream in(static_cast<std::uint32_t>(bytes.size()),
                             static_cast<const void*>(bytes.data()));
        std::unique_ptr<ts::ClassItem> tree(ts::ClassItem::loadObject(in, 1));
        if (!tree) {
            loaded = false;
            return;
        }
        core::MemRWStream out(static_cast<std::uint32_t>(again.size()), again.data());
        ts::ClassItem::storeObject(tree.get(), out, 1);
    };
    for (auto _ : state) {
        loadAndStore();
        if (!loaded) break;
    }
    if (!loaded) state.SkipWithError("the tree did not load");
    if (again != bytes) state.SkipWithError("the stored tree differs");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
    benchsupport::MemcpyReference copy(bytes.size());
    const double ratio = benchsupport::PairedRatio(loadAndStore, copy, 21);
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy", ratio, kPartTreeGoal);
}
BENCHMARK(BM_LoadAndStorePartTree)->Unit(benchmark::kMillisecond);

void BM_MemcpyPartTreeBytes(benchmark::State& state) {
    std::vector<std::uint8_t> bytes = StoredTree();
    std::vector<std::uint8_t> again(bytes.size());
    for (auto _ : state) {
        std::memcpy(again.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    if (again != bytes) state.SkipWithError("nothing copied");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_MemcpyPartTreeBytes)->Unit(benchmark::kMillisecond);

}  // namespace
