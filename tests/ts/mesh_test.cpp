// Meshes as the program draws them: a box loaded by name from a volume of LZH members submits
// exactly its three front faces where the projection puts them and covers its silhouette; near
// the eye nothing is submitted behind the near plane and a clipped quadrilateral arrives as a
// quadrilateral and a triangle; the limits and indices of a mesh are checked when it is read,
// and faces past the visible list, or without a material, are left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "core/volume_test_support.h"
#include "gfx/palette.h"
#include "recording_table.h"
#include "shape_stage.h"
#include "test_shapes.h"
#include "ts/face_draw.h"
#include "ts/shape_resource.h"

namespace {

using tstest::Recorded;

struct Meshes : ::testing::Test {
    static void SetUpTestSuite() { ts::InstallShapeClasses(); }
    void SetUp() override {
        for (int i = 0; i < 256; ++i)
            palette.entries[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                                      static_cast<std::uint8_t>(i), 0};
    }
    gfx::GFXPalette palette;
};

// The screen point of a place through the same projection, in double.
struct Projected {
    double x, y, depth;
};
Projected Project(const tstest::Stage& stage, const ts::Transform3F& worldToEye, ts::Vector3F p) {
    const ts::Matrix3F& m = worldToEye.matrix;
    double e[3];
    for (int r = 0; r < 3; ++r)
        e[r] = m.At(r, 0) * p.x + m.At(r, 1) * p.y + m.At(r, 2) * p.z + (r == 0 ? worldToEye.t.x : (r == 1 ? worldToEye.t.y : worldToEye.t.z));
    const ts::TSCamera& c = stage.camera;
    return {c.GetCentreX() + c.GetScaleX() * e[0] / e[1], c.GetCentreY() - c.GetScaleY() * e[2] / e[1], e[1]};
}

double PolygonArea(const std::vector<std::pair<double, double>>& p) {
    double a = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const auto& u = p[i];
        const auto& v = p[(i + 1) % p.size()];
        a += u.first * v.second - v.first * u.second;
    }
    return std::fabs(a) / 2;
}

// The convex hull of points (monotone chain).
std::vector<std::pair<double, double>> Hull(std::vector<std::pair<double, double>> p) {
    std::sort(p.begin(), p.end());
    std::vector<std::pair<double, double>> h(2 * p.size());
    std::size_t k = 0;
    auto cross = [](auto o, auto a, auto b) {
        return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
    };
    for (std::size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
        h[k++] = p[i];
    }
    for (std::size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(h[k - 2], h[k - 1], p[i - 1]) <= 0) --k;
        h[k++] = p[i - 1];
    }
    h.resize(k - 1);
    return h;
}

TEST_F(Meshes, ABoxLoadedFromAnLzhVolumeShowsItsThreeFrontFacesWhereTheyProject) {
    volume_test::ScopedWorkFolder work;
    // The shape and its list, LZH-coded members of a volume, loaded by name.
    ts::TSShape box;
    box.AddPart(tstest::BoxMesh({-1, -1, -1}, {1, 1, 1}));
    box.fRadius = std::sqrt(3.0f);
    const auto list = tstest::ColourList(6, 40);
    const auto dts = tstest::Stored(box), dml = tstest::Stored(*list);
    ASSERT_TRUE(volume_test::BuildVolume(
        "shapes.vol", {{true, "box.dts", 0, core::kVolumeLzh, std::string(dts.begin(), dts.end())},
                       {true, "box.dml", 0, core::kVolumeLzh, std::string(dml.begin(), dml.end())}}));
    core::VolumeRStream volume;
    ASSERT_EQ(volume.OpenVolume("shapes.vol"), 1);
    ts::SetShapeResourceStream(&volume);
    std::unique_ptr<ts::TSShape> shape(ts::TSShape::Load("BOX", nullptr));
    ts::SetShapeResourceStream(nullptr);
    ASSERT_NE(shape, nullptr);
    ASSERT_NE(shape->GetMaterials(), nullptr);

    tstest::RecordingTable recording;
    tstest::Stage stage(320, 240, &palette);
    const ts::Vector3F eye{4.0f, -7.0f, 3.0f};
    stage.LookAt(eye, {0, 0, 0});
    ts::TSShapeInstance instance(shape.get());
    stage.Begin();
    ts::ResetFacesSubmitted();
    instance.Render(ts::kCullUntested);
    stage.End();
    ASSERT_EQ(Recorded().size(), 3u) << "the three faces toward the eye";
    EXPECT_EQ(ts::FacesSubmitted(), 3u);
    // +x (colour 41), -y (42) and +z (45) at their projected corners.
    const std::map<std::uint32_t, std::vector<ts::Vector3F>> corners = {
        {41, {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}}},
        {42, {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}},
        {45, {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}}};
    for (const tstest::RecordedPolygon& p : Recorded()) {
        ASSERT_EQ(corners.count(p.colour), 1u) << p.colour;
        ASSERT_EQ(p.points.size(), 4u);
        for (const ts::Vector3F& c : corners.at(p.colour)) {
            const Projected want = Project(stage, stage.camera.GetEyeTransform(), c);
            const bool found = std::any_of(p.points.begin(), p.points.end(), [&](const gfx::GFXScreenPoint& s) {
                return std::fabs(s.x - want.x) <= 1.0 && std::fabs(s.y - want.y) <= 1.0;
            });
            EXPECT_TRUE(found) << "corner of face " << p.colour << " at " << want.x << "," << want.y;
        }
    }

    // Filled for real, the box covers its analytic silhouette.
    gfx::GFXMemSurface::SetDrawTable(&gfx::theSoftwareDrawTable);
    stage.Begin(0);
    instance.Render(ts::kCullUntested);
    stage.End();
    std::vector<std::pair<double, double>> projected;
    for (float x : {-1.0f, 1.0f})
        for (float y : {-1.0f, 1.0f})
            for (float z : {-1.0f, 1.0f}) {
                const Projected p = Project(stage, stage.camera.GetEyeTransform(), {x, y, z});
                projected.emplace_back(p.x, p.y);
            }
    const double area = PolygonArea(Hull(projected));
    const std::vector<std::uint8_t> pixels = stage.Pixels();
    const double covered = static_cast<double>(std::count_if(pixels.begin(), pixels.end(), [](std::uint8_t c) { return c != 0; }));
    EXPECT_NEAR(covered / area, 1.0, 0.02) << covered << " of " << area;
}

TEST_F(Meshes, NearTheEyeNothingIsSubmittedBehindTheNearPlane) {
    tstest::RecordingTable recording;
    tstest::Stage stage(320, 240, &palette, 1.0f);
    const auto list = tstest::ColourList(6, 40);
    auto box = tstest::BoxMesh({-1, -1, -1}, {1, 1, 1});
    // The eye just off a corner: the three faces toward it cross the near plane.
    stage.LookAt({1.5f, -1.5f, 1.2f}, {0, 0, 0});
    stage.Begin();
    stage.target.materialList = list.get();
    box->Render(ts::kCullUntested);
    stage.End();
    ASSERT_FALSE(Recorded().empty());
    for (const tstest::RecordedPolygon& p : Recorded())
        for (const gfx::GFXScreenPoint& s : p.points)
            EXPECT_GE(s.z, 1) << "a corner nearer than the near plane";

    // One quadrilateral with one corner behind: a quadrilateral and a triangle arrive.
    Recorded().clear();
    auto quad = std::make_unique<ts::TSMesh>();
    tstest::AddFace(*quad, {{-1, 3, -1}, {1, 3, -1}, {1, 0.2f, 1}, {-1, 3, 1}}, 0);
    quad->fRadius = 3;
    quad->fCenter = {0, 2, 0};
    stage.Look({0, 0, 0}, {0, 0, 0});
    stage.Begin();
    stage.target.materialList = list.get();
    quad->Render(ts::kCullUntested);
    stage.End();
    std::vector<std::size_t> counts;
    for (const tstest::RecordedPolygon& p : Recorded())
        counts.push_back(p.points.size());
    std::sort(counts.begin(), counts.end());
    EXPECT_EQ(counts, (std::vector<std::size_t>{3, 4}));
}

TEST_F(Meshes, ReadingChecksLimitsAndIndices) {
    auto good = tstest::BoxMesh({-1, -1, -1}, {1, 1, 1});
    const std::vector<std::uint8_t> bytes = tstest::Stored(*good);
    auto loaded = tstest::Loaded<ts::TSMesh>(bytes);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(tstest::Stored(*loaded), bytes);
    struct Case {
        const char* what;
        void (*spoil)(ts::TSMesh&);
    };
    const Case cases[] = {
        {"vertex index", [](ts::TSMesh& m) { m.faces[2].v[1] = 99; }},
        {"negative vertex", [](ts::TSMesh& m) { m.faces[0].v[0] = -1; }},
        {"centre", [](ts::TSMesh& m) { m.faces[3].centre = 30; }},
        {"texture index", [](ts::TSMesh& m) { m.faces[1].t[0] = 4; }},
        {"too many vertices", [](ts::TSMesh& m) { m.vertices.resize(3001); }},
        {"not a number", [](ts::TSMesh& m) { m.vertices[0].p.x = std::nanf(""); }},
    };
    for (const Case& c : cases) {
        auto m = tstest::BoxMesh({-1, -1, -1}, {1, 1, 1});
        c.spoil(*m);
        EXPECT_EQ(tstest::Loaded<ts::TSMesh>(tstest::Stored(*m)), nullptr) << c.what;
    }
    // Version 0: integer positions and 16.16 normals.
    std::vector<std::uint8_t> v0;
    auto word = [&](std::uint32_t w) {
        for (int i = 0; i < 4; ++i) v0.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    };
    word(ts::TSMesh::kTagVersion0);
    word(24 + 12 + 24 + 0 + 0);
    for (std::uint32_t w : {0xFFFFFFFFu, 0u, 5u, 0u, 0u, 0u, 1u, 0u, 0u, 7u, 8u, 9u, 0u, 65536u, 0u})
        word(w);
    auto v0mesh = tstest::Loaded<ts::TSMesh>(v0);
    ASSERT_NE(v0mesh, nullptr);
    EXPECT_EQ(v0mesh->fRadius, 5.0f);
    EXPECT_EQ(v0mesh->vertices[0].p.z, 9.0f);
    EXPECT_EQ(v0mesh->vertices[0].n.y, 1.0f);
}

TEST_F(Meshes, FacesPastTheVisibleListOrWithoutAMaterialAreLeftOut) {
    tstest::RecordingTable recording;
    tstest::Stage stage(320, 240, &palette);
    stage.Look({0, -40, 0}, {0, 0, 0});
    // 1600 small faces toward the eye: 1500 are drawn.
    auto many = std::make_unique<ts::TSMesh>();
    for (int i = 0; i < 1600; ++i) {
        const float x = static_cast<float>(i % 40) * 0.5f - 10, z = static_cast<float>(i / 40) * 0.5f - 10;
        if (many->vertices.size() + 4 > 3000) break;
        tstest::AddFace(*many, {{x, 0, z}, {x + 0.4f, 0, z}, {x + 0.2f, 0, z + 0.4f}}, 0);
    }
    // Triangles take 4 vertices each: 750 of them; two meshes make 1500 plus.
    many->fRadius = 20;
    const auto list = tstest::ColourList(2, 40);
    stage.Begin();
    stage.target.materialList = list.get();
    ts::ResetFacesSubmitted();
    many->Render(ts::kCullUntested);
    EXPECT_EQ(ts::FacesSubmitted(), many->faces.size());
    // A mesh of 3000 vertices and 1999 faces facing the eye: 1500 drawn.
    auto full = std::make_unique<ts::TSMesh>();
    for (int i = 0; i < 3000; ++i)
        full->vertices.push_back({{static_cast<float>(i % 50) - 25, 0, static_cast<float>(i / 50) * 0.5f - 15}, {0, -1, 0}});
    for (int i = 0; i < 1999; ++i) {
        ts::TSMesh::Face f;
        const int a = (i % 49) + (i / 49) * 50;
        f.v[0] = a;
        f.v[1] = a + 50;
        f.v[2] = f.v[3] = a + 1;
        f.centre = a;
        full->faces.push_back(f);
    }
    full->fRadius = 40;
    ts::ResetFacesSubmitted();
    full->Render(ts::kCullUntested);
    EXPECT_EQ(ts::FacesSubmitted(), static_cast<std::uint32_t>(ts::TSMesh::kMaxVisibleFaces));
    // A face whose material lies outside the list is skipped; without a list nothing is drawn.
    many->faces[0].material = 2;
    many->faces[1].material = -1;
    ts::ResetFacesSubmitted();
    many->Render(ts::kCullUntested);
    EXPECT_EQ(ts::FacesSubmitted(), many->faces.size() - 2);
    stage.target.materialList = nullptr;
    ts::ResetFacesSubmitted();
    many->Render(ts::kCullUntested);
    EXPECT_EQ(ts::FacesSubmitted(), 0u);
    stage.End();
}

TEST_F(Meshes, WithinTheFrustumTheClipBitIsOffAndSmallFacesGetOutlines) {
    tstest::Stage stage(320, 240, &palette);
    auto box = tstest::BoxMesh({-1, -1, -1}, {1, 1, 1});
    const auto list = tstest::ColourList(6, 40);
    stage.LookAt({4, -7, 3}, {0, 0, 0});
    {
        tstest::RecordingTable recording;
        stage.Begin(0);
        stage.target.materialList = list.get();
        box->Render(ts::kCullInside);
        ASSERT_FALSE(Recorded().empty());
        for (const auto& p : Recorded())
            EXPECT_EQ(p.surfaceFlags & gfx::kSurfaceClipRect, 0u) << "wholly inside: no 2D clipping";
        EXPECT_NE(stage.surface->flags & gfx::kSurfaceClipRect, 0u) << "the flag comes back";
        stage.End();
        // Across the left edge of the view the polygons are clipped in 2D.
        Recorded().clear();
        stage.LookAt({0, -7, 0}, {3.3f, 0, 0});
        stage.Begin(0);
        stage.target.materialList = list.get();
        box->Render(ts::kCullUntested);
        stage.End();
        ASSERT_FALSE(Recorded().empty());
        for (const auto& p : Recorded())
            EXPECT_NE(p.surfaceFlags & gfx::kSurfaceClipRect, 0u);
    }
    // Far away the faces are a pixel or two: their outlines are drawn as well.
    stage.LookAt({400, -700, 300}, {0, 0, 0});
    auto litPixels = [&] {
        int lit = 0;
        for (std::uint8_t p : stage.Pixels()) lit += p != 0;
        return lit;
    };
    ts::theOutlineThreshold = -1;
    stage.Begin(0);
    stage.target.materialList = list.get();
    box->Render(ts::kCullUntested);
    stage.End();
    const int without = litPixels();
    ts::theOutlineThreshold = 20;
    stage.Begin(0);
    stage.target.materialList = list.get();
    box->Render(ts::kCullUntested);
    stage.End();
    EXPECT_GT(litPixels(), without);
}

// A flat-lit colour face takes the shade row of its light: lit and unlit faces of one colour
// come out apart (the shade table here gives every row's number as its colour).
TEST_F(Meshes, FlatLitColourFacesShowTheirLight) {
    std::vector<std::uint8_t> table(std::size_t{32} * 256);
    for (int row = 0; row < 32; ++row)
        for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(row) * 256 + static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(100 + row);
    ASSERT_EQ(palette.SetShadeTable(5, 0, table.data()), 1);
    tstest::Stage stage(320, 240, &palette);
    stage.sun.worldDirection = {0, 0, -1};  // straight down: the top is lit, the sides are not
    auto box = tstest::BoxMesh({-1, -1, -1}, {1, 1, 1});
    const auto list = tstest::ColourList(6, 40, ts::TSMaterial::kFlat);
    stage.LookAt({4, -7, 3}, {0, 0, 0});
    stage.Begin(0);
    stage.target.materialList = list.get();
    box->Render(ts::kCullUntested);
    stage.End();
    std::map<int, int> seen;
    for (std::uint8_t p : stage.Pixels())
        if (p != 0) ++seen[p];
    // The top at full light (row 30, just short of the last), the sides at the ambient third
    // (row 9).
    EXPECT_GT(seen[130], 100);
    EXPECT_GT(seen[109], 100);
    EXPECT_EQ(seen.count(40), 0u) << "no face drawn unlit";
}

}  // namespace
