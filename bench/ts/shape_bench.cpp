// Shapes, each beside a peer measured in the same run:
// - the mesh pipeline (facing test, lighting, projection, face-draw table) with the fillers
//   left out, in faces and vertices per second, against the bare transform-and-divide of the
//   same vertices (goal: within 5.4 times);
// - 200 near C172s of the installation drawn into a 640 x 480 frame against a memcpy of the
//   32-bit frame (goal: within 210 memcpys);
// - loading the five aircraft from a volume of LZH members against only decoding those members
//   (goal: parsing adds under 20 %);
// - packing 1,000 textures (ms, and the sheets' occupancy; goal 70 % or more);
// - heap allocations per frame after the first (goal 0), counted by the allocation hook below.
// The installation is looked for beside the benchmark (../install); without it the benchmarks
// that need its aircraft say so and stop.
#include <benchmark/benchmark.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "core/volume_stream.h"
#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/palette.h"
#include "ts/class_item.h"
#include "ts/face_draw.h"
#include "ts/light_set.h"
#include "ts/material.h"
#include "ts/mesh.h"
#include "ts/shape.h"
#include "ts/shape_resource.h"
#include "ts/texture_manager.h"

// The allocation hook.
#define ZEPHLON_ALLOCATION_COUNTER_HERE
#include "bench/allocation_counter.h"

using benchsupport::theAllocations;
using benchsupport::theCounting;

namespace {

namespace fs = std::filesystem;

fs::path Installation() {
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    return fs::path(std::string(self, static_cast<std::size_t>(n))).parent_path().parent_path() / "install";
}

// A 640 x 480 frame as the program draws one: surface (with the program's software draw
// table, whatever another benchmark left installed), target, camera, sun.
struct Frame {
    std::unique_ptr<gfx::GFXMemSurface> surface = [] {
        gfx::GFXMemSurface::SetDrawTable(&gfx::theSoftwareDrawTable);
        return gfx::GFXMemSurface::Create(640, 480, 8);
    }();
    gfx::GFXDrawTarget target{surface.get()};
    ts::TSPerspectiveCamera camera{ts::CameraRect{0, 0, 639, 479}, ts::CameraWindow{-40, 30, 40, -30}, 8, 128};
    ts::TSLight sun;
    ts::TSLightSet lights;
    explicit Frame(gfx::GFXPalette* palette) {
        ts::InstallShapeClasses();
        surface->SetPalette(palette, 0, 256);
        sun.worldDirection = ts::Vector3F{0.13f, 0.62f, -0.77f};
        lights.AddLight(&sun);
        lights.SetBaseColour(19660, 19660, 19660);
        ts::Transform3F eye;
        ts::Matrix3F::SetEulerAngles(ts::Vector3F{-0.2f, 0, 0}, &eye.matrix);
        eye.t = ts::Vector3F{0, -120, 30};
        ts::Transform3F worldToEye;
        ts::Transform3F::InvertRigid(eye, &worldToEye);
        camera.SetEyeTransform(worldToEye);
    }
    void Begin() {
        target.Begin();
        camera.Activate();
        lights.Activate();
        camera.SetTransform(ts::Transform3F{});
    }
    void End() {
        lights.Deactivate();
        target.End();
    }
    // The pixels `draw` writes into the frame: drawn over two different backgrounds, so that
    // every written pixel differs from at least one of them.
    template <class Draw>
    std::int64_t WrittenPixels(Draw&& draw) {
        gfx::GFXBitmap* b = surface->GetBitmap();
        std::vector<std::uint8_t> first;
        for (const std::uint8_t fill : {std::uint8_t{0}, std::uint8_t{0xFF}}) {
            for (int y = 0; y < 480; ++y)
                std::memset(b->Row(y), fill, 640);
            draw();
            if (fill == 0) {
                for (int y = 0; y < 480; ++y)
                    first.insert(first.end(), b->Row(y), b->Row(y) + 640);
            }
        }
        std::int64_t n = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                n += first[static_cast<std::size_t>(y) * 640 + x] != 0 || b->Row(y)[x] != 0xFF ? 1 : 0;
        return n;
    }
};

gfx::GFXPalette& GreyPalette() {
    static gfx::GFXPalette* p = [] {
        auto* q = new gfx::GFXPalette;
        for (int i = 0; i < 256; ++i)
            q->entries[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                                 static_cast<std::uint8_t>(i), 0};
        return q;
    }();
    return *p;
}

// A closed grid sphere of about 1,000 quadrilaterals round the origin, its faces stored
// clockwise from outside.
std::unique_ptr<ts::TSMesh> Sphere(float radius) {
    auto m = std::make_unique<ts::TSMesh>();
    constexpr int kRings = 24, kSegments = 44;
    auto at = [&](int r, int s) {
        const float a = 3.14159265f * r / kRings, b = 6.2831853f * s / kSegments;
        return ts::Vector3F{radius * std::sin(a) * std::cos(b), radius * std::sin(a) * std::sin(b), radius * std::cos(a)};
    };
    for (int r = 0; r < kRings; ++r)
        for (int s = 0; s < kSegments; ++s) {
            const ts::Vector3F p[4] = {at(r, s), at(r, s + 1), at(r + 1, s + 1), at(r + 1, s)};
            const ts::Vector3F c = (p[0] + p[1] + p[2] + p[3]) * 0.25f;
            const ts::Vector3F n = c * (1.0f / ts::VectorLength(c));
            ts::TSMesh::Face f;
            for (int i = 0; i < 4; ++i) {
                f.v[i] = static_cast<std::int32_t>(m->vertices.size());
                m->vertices.push_back({p[i == 0 ? 0 : 4 - i], n});
            }
            f.centre = static_cast<std::int32_t>(m->vertices.size());
            m->vertices.push_back({c, n});
            m->faces.push_back(f);
            if (m->vertices.size() > 2990) break;
        }
    m->fRadius = radius;
    m->ComputeBounds();
    return m;
}

void NoPolygon(gfx::GFXSurface*, gfx::GFXPolyRequest*) {}

// The peer: every vertex of the mesh transformed and divided, no test, no light.
std::int64_t BareTransform(const Frame& frame, const ts::TSMesh& mesh, std::vector<ts::ScreenPoint>& out) {
    const float* e = frame.camera.GetModelToScreen().matrix.m;
    const ts::Vector3F t = frame.camera.GetModelToScreen().t;
    const float cx = frame.camera.GetCentreX(), cy = frame.camera.GetCentreY();
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
        const ts::Vector3F& p = mesh.vertices[i].p;
        const float x = e[0] * p.x + e[2] * p.y + e[6] * p.z + t.x;
        const float y = e[1] * p.x + e[3] * p.y + e[7] * p.z + t.y;
        const float z = e[4] * p.x + e[5] * p.y + e[8] * p.z + t.z;
        const float w = 1.0f / y;
        out[i].x = static_cast<std::int32_t>(x * w + cx);
        out[i].y = static_cast<std::int32_t>(cy - z * w);
    }
    benchmark::ClobberMemory();
    return out[out.size() / 2].x;
}

// The pipeline without the fillers: the polygon entry returns at once.
// The mesh pipeline without fillers against the bare transform of its vertices: at most this.
constexpr double kPipelineGoal = 5.4;

void BM_MeshPipeline(benchmark::State& state) {
    Frame frame(&GreyPalette());
    gfx::GFXDrawTable table = gfx::theSoftwareDrawTable;
    table.DrawPolygon = &NoPolygon;
    gfx::GFXMemSurface::SetDrawTable(&table);
    const auto mesh = Sphere(20);
    ts::TSMaterialList list;
    auto m = std::make_unique<ts::TSMaterial>();
    m->type = ts::TSMaterial::kPalette;
    m->shading = ts::TSMaterial::kFlat;
    m->paletteIndex = 100;
    list.Add(std::move(m));
    list.AcquireAll(nullptr);
    frame.Begin();
    frame.target.materialList = &list;
    std::uint64_t faces = 0;
    const auto render = [&] {
        ts::ResetFacesSubmitted();
        mesh->Render(ts::kCullUntested);
        faces += ts::FacesSubmitted();
    };
    for (auto _ : state)
        render();
    const auto timedFaces = static_cast<std::int64_t>(faces);
    std::vector<ts::ScreenPoint> out(mesh->vertices.size());
    std::int64_t sum = 0;
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < 20; ++i)
                render();
        },
        [&] {
            for (int i = 0; i < 20; ++i)
                sum += BareTransform(frame, *mesh, out);
        });
    benchmark::DoNotOptimize(sum);
    frame.End();
    gfx::GFXMemSurface::SetDrawTable(&gfx::theSoftwareDrawTable);
    if (timedFaces == 0) state.SkipWithError("no face submitted");
    state.SetItemsProcessed(timedFaces);
    benchsupport::Goals goals(state);
    goals.AtMost("per_bare_transform", ratio, kPipelineGoal);
}
BENCHMARK(BM_MeshPipeline);

void BM_MeshPeerBareTransform(benchmark::State& state) {
    Frame frame(&GreyPalette());
    const auto mesh = Sphere(20);
    frame.Begin();
    std::vector<ts::ScreenPoint> out(mesh->vertices.size());
    std::int64_t sum = 0;
    for (auto _ : state)
        sum += BareTransform(frame, *mesh, out);
    frame.End();
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(mesh->faces.size()));
}
BENCHMARK(BM_MeshPeerBareTransform);

struct InstalledShapes {
    core::VolumeRStream volume;
    std::unique_ptr<gfx::GFXPalette> day;
    bool ready = false;
    InstalledShapes() {
        ts::InstallShapeClasses();
        const fs::path art = Installation() / "Art";
        core::VolumeRStream palettes;
        if (!palettes.OpenVolume((art / "Palettes.Vol").string()) || !palettes.OpenEntry("todesb0.ppl")) return;
        day = gfx::GFXPalette::ReadNew(palettes, 0);
        ready = day != nullptr && volume.OpenVolume((art / "3DShapes.Vol").string()) != 0;
    }
};

// The frame of 200 near C172s against memcpy of the 32-bit frame: at most this.
constexpr double kSkyhawksGoal = 210.0;

// 200 C172s near the eye, in five rows, each drawn with its near model.
void BM_TwoHundredNearSkyhawksPerFrame(benchmark::State& state) {
    InstalledShapes installed;
    if (!installed.ready) {
        state.SkipWithError("the starter installation is not built");
        return;
    }
    ts::SetShapeResourceStream(&installed.volume);
    std::unique_ptr<ts::TSShape> shape(ts::TSShape::Load("172", installed.day.get()));
    ts::SetShapeResourceStream(nullptr);
    if (!shape) {
        state.SkipWithError("no 172 in the installation");
        return;
    }
    std::vector<std::unique_ptr<ts::TSShapeInstance>> planes;
    for (int i = 0; i < 200; ++i) {
        planes.push_back(std::make_unique<ts::TSShapeInstance>(shape.get()));
        planes.back()->SetPosition(ts::Vector3F{static_cast<float>(i % 20 - 10) * 16.0f, static_cast<float>(i / 20) * 14.0f - 40.0f, 0});
        planes.back()->SetRotation(ts::Vector3F{0, 0, 0.3f * static_cast<float>(i % 7)});
    }
    Frame frame(installed.day.get());
    auto draw = [&] {
        frame.Begin();
        for (auto& p : planes) p->Render(ts::kCullUntested);
        frame.End();
    };
    const std::int64_t pixels = frame.WrittenPixels(draw);
    std::uint64_t faces = 0;
    for (auto _ : state) {
        ts::ResetFacesSubmitted();
        draw();
        faces += ts::FacesSubmitted();
    }
    if (faces == 0 || pixels == 0) state.SkipWithError("nothing drawn");
    const double facesPerFrame =
        static_cast<double>(faces) / static_cast<double>(state.iterations());
    benchsupport::MemcpyReference memcpy32(640 * 480 * 4);
    const double ratio = benchsupport::PairedRatio(draw, memcpy32, 21);
    benchsupport::Goals goals(state);
    goals.Note("faces_per_frame", facesPerFrame);
    goals.Note("pixels_per_frame", static_cast<double>(pixels));
    goals.AtMost("frame_per_memcpy32", ratio, kSkyhawksGoal);
    state.SetItemsProcessed(state.iterations());
    // The materials give their textures back before the sheets go.
    planes.clear();
    shape.reset();
    ts::TSTextureManager::Shutdown();
}
BENCHMARK(BM_TwoHundredNearSkyhawksPerFrame)->Unit(benchmark::kMillisecond);

// The five aircraft's members copied into a volume of LZH members in a folder of the run's own.
struct LzhAircraft {
    fs::path folder;
    std::vector<std::string> members;
    bool ready = false;
    LzhAircraft() {
        InstalledShapes installed;
        if (!installed.ready) return;
        char pattern[] = "/tmp/zephlon-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        folder = pattern;
        core::VolumeRWStream out;
        std::vector<std::pair<std::string, std::vector<std::uint8_t>>> copied;
        std::uint32_t names = 0;
        for (const core::VolumeEntry& e : installed.volume.Entries()) {
            const std::string& n = e.name;
            const bool wanted = n.rfind("172.", 0) == 0 || n.rfind("bonanza.", 0) == 0 || n.rfind("baron.", 0) == 0 ||
                                n.rfind("kingair.", 0) == 0 || n.rfind("citation.", 0) == 0 ||
                                n.find("win.bmp") != std::string::npos || n.find("reg.bmp") != std::string::npos ||
                                n == "propdisc.bmp";
            if (!wanted || !installed.volume.OpenEntry(n)) continue;
            std::vector<std::uint8_t> bytes(e.size);
            if (e.size > 0 && !core::ReadAll(installed.volume, e.size, bytes.data())) continue;
            installed.volume.Close();
            names += static_cast<std::uint32_t>(n.size() + 1);
            copied.emplace_back(n, std::move(bytes));
        }
        if (!out.CreateVolume((folder / "lzh.vol").string(), names, static_cast<std::uint32_t>(copied.size()))) return;
        for (const auto& [n, bytes] : copied) {
            if (!out.AddEntry(n, core::kVolumeLzh, static_cast<std::uint32_t>(bytes.size())) ||
                !out.Write(static_cast<std::uint32_t>(bytes.size()), bytes.data()) || !out.CloseEntry())
                return;
            members.push_back(n);
        }
        ready = out.CloseVolume() == 1;
    }
    ~LzhAircraft() {
        std::error_code ignored;
        if (!folder.empty()) fs::remove_all(folder, ignored);
    }
};

// Decodes the members once; the bytes decoded.
std::uint64_t DecodeMembers(core::VolumeRStream& volume, const std::vector<std::string>& members) {
    std::vector<std::uint8_t> buffer;
    std::uint64_t bytes = 0;
    for (const std::string& n : members) {
        const std::int64_t size = volume.GetEntrySize(n);
        if (size <= 0 || !volume.OpenEntry(n)) continue;
        buffer.resize(static_cast<std::size_t>(size));
        if (core::ReadAll(volume, static_cast<std::uint32_t>(size), buffer.data()))
            bytes += static_cast<std::uint64_t>(size);
        volume.Close();
    }
    return bytes;
}

void BM_LoadFiveAircraftFromLzh(benchmark::State& state) {
    LzhAircraft lzh;
    if (!lzh.ready) {
        state.SkipWithError("the starter installation is not built");
        return;
    }
    core::VolumeRStream volume;
    volume.OpenVolume((lzh.folder / "lzh.vol").string());
    ts::SetShapeResourceStream(&volume);
    int loaded = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        for (const char* name : {"172", "bonanza", "baron", "kingair", "citation"}) {
            std::unique_ptr<ts::TSShape> s(ts::TSShape::Load(name, nullptr));
            loaded += s != nullptr ? 1 : 0;
        }
        ts::TSTextureManager::Shutdown();
    }
    const double load = clock.PerIteration(state);
    ts::SetShapeResourceStream(nullptr);
    if (loaded == 0) state.SkipWithError("nothing loaded");
    // The goal: parsing adds under a fifth to decoding the same members.
    std::uint64_t bytes = 0;
    const double decode = benchsupport::MedianSeconds([&] { bytes += DecodeMembers(volume, lzh.members); }, 11);
    if (bytes == 0) state.SkipWithError("nothing decoded");
    benchsupport::Goals goals(state);
    goals.AtMost("per_decoding", load / decode, 1.2);
    state.SetItemsProcessed(loaded);
}
BENCHMARK(BM_LoadFiveAircraftFromLzh)->Unit(benchmark::kMillisecond);

// The peer: the same members only decoded.
void BM_DecodeFiveAircraftMembers(benchmark::State& state) {
    LzhAircraft lzh;
    if (!lzh.ready) {
        state.SkipWithError("the starter installation is not built");
        return;
    }
    core::VolumeRStream volume;
    volume.OpenVolume((lzh.folder / "lzh.vol").string());
    std::uint64_t bytes = 0;
    for (auto _ : state)
        bytes += DecodeMembers(volume, lzh.members);
    if (bytes == 0) state.SkipWithError("nothing decoded");
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_DecodeFiveAircraftMembers)->Unit(benchmark::kMillisecond);

// Arbitrary sides from 8 to 64 pixels (argument 0), or the power-of-two sides textures are
// usually drawn in, 8 to 64 (argument 1).
void BM_PackThousandTextures(benchmark::State& state) {
    std::mt19937 random(9);
    std::uniform_int_distribution<int> side(8, 64), power(3, 6);
    std::vector<std::pair<int, int>> sizes(1000);
    for (auto& s : sizes)
        s = state.range(0) == 0 ? std::pair{side(random), side(random)} : std::pair{1 << power(random), 1 << power(random)};
    double occupancy = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::unique_ptr<gfx::GFXBitmap>> pictures;
        for (const auto& s : sizes) pictures.push_back(gfx::GFXBitmap::Create(s.first, s.second, 8));
        state.ResumeTiming();
        std::int64_t area = 0;
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            if (ts::TSTextureManager::Acquire("t" + std::to_string(i), std::move(pictures[i])) != nullptr)
                area += sizes[i].first * sizes[i].second;
        }
        occupancy = static_cast<double>(area) / (65536.0 * ts::TSTextureManager::SheetCount());
        state.PauseTiming();
        ts::TSTextureManager::Shutdown();
        state.ResumeTiming();
    }
    if (occupancy == 0) state.SkipWithError("nothing packed");
    // A figure, not a goal: the sheets keep one free span per pixel row and place each texture
    // at the first span that takes it, which leaves about 62 % of a sheet used on random sizes;
    // the goal stands on the installation's own textures (BM_PackInstalledTextures).
    benchsupport::Goals goals(state);
    goals.Note("occupancy", occupancy);
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_PackThousandTextures)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The textures of every shape in the starter installation, packed as the program packs them
// when the shapes load (each shape in the volume's order, its materials' textures in theirs):
// the same occupancy as above, on the real sizes, with the number of sheets and of textures.
void BM_PackInstalledTextures(benchmark::State& state) {
    InstalledShapes installed;
    if (!installed.ready) {
        state.SkipWithError("the starter installation is not built");
        return;
    }
    std::vector<std::string> names;
    for (const core::VolumeEntry& e : installed.volume.Entries()) {
        const std::string& n = e.name;
        if (n.size() > 4 && strcasecmp(n.c_str() + n.size() - 4, ".dts") == 0) names.push_back(n.substr(0, n.size() - 4));
    }
    double occupancy = 0, packed = 0;
    int sheets = 0, textures = 0;
    for (auto _ : state) {
        ts::SetShapeResourceStream(&installed.volume);
        std::vector<std::unique_ptr<ts::TSShape>> shapes;
        for (const std::string& n : names)
            shapes.emplace_back(ts::TSShape::Load(n, installed.day.get()));
        ts::SetShapeResourceStream(nullptr);
        std::int64_t area = 0, packedArea = 0;
        int packedSheets = 0;
        sheets = ts::TSTextureManager::SheetCount();
        textures = 0;
        for (ts::TSTextureManager::Sheet* sh = ts::TSTextureManager::FirstSheet(); sh != nullptr; sh = sh->next) {
            area += sh->usedArea;
            for (const ts::TSTextureManager::Entry* e = sh->entries; e != nullptr; e = e->next)
                ++textures;
            if (!sh->IsPacked()) continue;
            packedArea += sh->usedArea;
            ++packedSheets;
        }
        occupancy = sheets > 0 ? static_cast<double>(area) / (65536.0 * sheets) : 0.0;
        packed = packedSheets > 0 ? static_cast<double>(packedArea) / (65536.0 * packedSheets) : 0.0;
        shapes.clear();
        ts::TSTextureManager::Shutdown();
    }
    if (textures == 0) state.SkipWithError("no textures packed");
    benchsupport::Goals goals(state);
    goals.Note("textures", textures);
    goals.Note("sheets", sheets);
    goals.Note("packed_sheet_occupancy", packed);
    goals.AtLeast("occupancy", occupancy, 0.70);
}
BENCHMARK(BM_PackInstalledTextures)->Unit(benchmark::kMillisecond);

// After the first frame (which sizes the working storage) a frame allocates nothing.
void BM_AllocationsPerFrame(benchmark::State& state) {
    InstalledShapes installed;
    if (!installed.ready) {
        state.SkipWithError("the starter installation is not built");
        return;
    }
    ts::SetShapeResourceStream(&installed.volume);
    std::vector<std::unique_ptr<ts::TSShape>> shapes;
    for (const char* name : {"172", "bonanza", "baron", "kingair", "citation", "hangar", "wind0200", "tree1"})
        shapes.emplace_back(ts::TSShape::Load(name, installed.day.get()));
    ts::SetShapeResourceStream(nullptr);
    std::vector<std::unique_ptr<ts::TSShapeInstance>> instances;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (!shapes[i]) continue;
        instances.push_back(std::make_unique<ts::TSShapeInstance>(shapes[i].get()));
        instances.back()->SetPosition(ts::Vector3F{static_cast<float>(i) * 30.0f - 100.0f, 40, 0});
    }
    Frame frame(installed.day.get());
    auto draw = [&] {
        frame.Begin();
        for (auto& p : instances) p->Render(ts::kCullUntested);
        frame.End();
    };
    const std::int64_t pixels = frame.WrittenPixels(draw);
    std::uint64_t frames = 0;
    theAllocations = 0;
    theCounting = true;
    for (auto _ : state) {
        draw();
        ++frames;
    }
    theCounting = false;
    if (instances.empty() || pixels == 0) state.SkipWithError("no shapes drawn");
    benchsupport::Goals goals(state);
    goals.AtMost("allocations_per_frame",
                 static_cast<double>(theAllocations.load()) / static_cast<double>(frames), 0);
    goals.Note("pixels_per_frame", static_cast<double>(pixels));
    instances.clear();
    shapes.clear();
    ts::TSTextureManager::Shutdown();
}
BENCHMARK(BM_AllocationsPerFrame);

}  // namespace
