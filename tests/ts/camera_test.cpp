// The perspective camera: activation on a draw target, projections, the sphere test against a
// brute-force classification, the point-on-screen margins, the clip flags of the batch
// projection and the per-part transform cache.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "gfx/mem_surface.h"
#include "gfx/surface.h"
#include "ts/perspective_camera.h"

namespace {

using ts::ScreenPoint;
using ts::Transform3F;
using ts::TSPerspectiveCamera;
using ts::Vector3F;

constexpr float kF = 639.0f / 80.0f * 128.0f;  // pixels per unit of x / depth

// A full-screen camera at the origin looking along +y, activated without a draw target.
struct Camera : ::testing::Test {
    TSPerspectiveCamera camera{ts::CameraRect{0, 0, 639, 479}, ts::CameraWindow{-40, 30, 40, -30},
                               8.0f, 128.0f};
    void SetUp() override {
        gfx::theCurrentDrawTarget = nullptr;
        camera.Activate();
        camera.SetTransform(Transform3F{});
    }
};

TEST_F(Camera, ActivationTakesTheTargetsClipAndShift) {
    auto surface = gfx::GFXMemSurface::Create(640, 480, 8);
    ASSERT_NE(surface, nullptr);
    surface->clipRect = gfx::GFXRect{5, 6, 7, 8};
    gfx::GFXDrawTarget target(surface.get());
    target.coordinateShift = 2;
    target.Begin();
    TSPerspectiveCamera framed{ts::CameraRect{0, 0, 639, 171}, ts::CameraWindow{-40, 10.5f, 40, -10.5f},
                               8.0f, 128.0f};
    framed.Activate();
    EXPECT_EQ(ts::theCurrentCamera, &framed);
    EXPECT_EQ(surface->clipRect, (gfx::GFXRect{0, 0, 639, 171}));
    EXPECT_EQ(ts::theSavedClipRect, (gfx::GFXRect{5, 6, 7, 8}));
    EXPECT_FLOAT_EQ(framed.GetScaleX(), 4 * kF);
    EXPECT_FLOAT_EQ(framed.GetScaleY(), 4 * 171.0f / 21.0f * 128.0f);
    EXPECT_FLOAT_EQ(framed.GetCentreX(), 4 * 319.5f);
    EXPECT_FLOAT_EQ(framed.GetCentreY(), 4 * 85.5f);
    target.End();
    // A destroyed camera is no longer current.
    {
        TSPerspectiveCamera brief{ts::CameraRect{0, 0, 9, 9}, ts::CameraWindow{-1, 1, 1, -1}, 1, 1};
        brief.Activate();
    }
    EXPECT_EQ(ts::theCurrentCamera, nullptr);
}

TEST_F(Camera, ProjectionsMeetAtTheCentreAndKeepSquarePixels) {
    ScreenPoint p;
    camera.WorldToScreen(Vector3F{0, 1000, 0}, &p);
    EXPECT_EQ(p.x, 320);  // 319.5 rounds to even
    EXPECT_EQ(p.y, 240);
    EXPECT_EQ(p.z, 1000);
    EXPECT_FLOAT_EQ(p.w, 0.001f);
    const float t8 = std::tan(8.0f * 3.14159265f / 180.0f);
    camera.WorldToScreen(Vector3F{1000 * t8, 1000, 0}, &p);
    EXPECT_NEAR(p.x, 319.5f + kF * t8, 1.0f);
    camera.WorldToScreen(Vector3F{0, 1000, 1000 * t8}, &p);
    EXPECT_NEAR(p.y, 239.5f - 479.0f / 60.0f * 128.0f * t8, 1.0f);
    // The eye-space projections agree with the model-space one for the identity placement;
    // ProjectPoint keeps the depth as a float.
    camera.ProjectPoint(Vector3F{10, 250.5f, -3}, &p);
    EXPECT_FLOAT_EQ(ts::DepthOf(p), 250.5f);
    ScreenPoint q;
    camera.WorldToScreen(Vector3F{10, 250.5f, -3}, &q);
    EXPECT_EQ(p.x, q.x);
    EXPECT_EQ(p.y, q.y);
    EXPECT_FLOAT_EQ(camera.ProjectLength(10, 100), kF * 10 / 100);
    // Points not a number, or far outside the integers, come out as INT32_MIN.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    camera.WorldToScreen(Vector3F{nan, 100, 0}, &p);
    EXPECT_EQ(p.x, INT32_MIN);
    camera.WorldToScreen(Vector3F{1e30f, 1e-20f, 0}, &p);
    EXPECT_EQ(p.x, INT32_MIN);
    EXPECT_EQ(camera.TestSphere(Vector3F{nan, 100, 0}, 5), ts::kCullOutside);
    EXPECT_EQ(camera.TestPointOnScreen(Vector3F{1e30f, 1e30f, 0}), 1);
}

TEST_F(Camera, BatchProjectionFlagsPointsBehindTheNearPlane) {
    const Vector3F points[4] = {{0, 100, 0}, {0, 7.9f, 0}, {0, -50, 0}, {3, 8, 1}};
    Vector3F eye[4];
    ScreenPoint screen[4] = {};
    std::uint32_t flags[4] = {9, 9, 9, 9}, any = 0;
    camera.WorldToScreenPoints(4, points, eye, screen, sizeof(Vector3F), sizeof(Vector3F),
                               sizeof(ScreenPoint), flags, &any);
    EXPECT_EQ(flags[0], 0u);
    EXPECT_EQ(flags[1], 1u);
    EXPECT_EQ(flags[2], 1u);
    EXPECT_EQ(flags[3], 0u);
    EXPECT_EQ(any, 1u);
    EXPECT_FLOAT_EQ(eye[2].y, -50.0f);
    EXPECT_EQ(screen[1].x, 0);  // not written
}

TEST_F(Camera, SphereTestMatchesABruteForceClassification) {
    // The frustum's planes in eye space, as (normal, point) pairs, for the oracle.
    struct Plane {
        double nx, ny, nz;
    };
    const double d = 128;
    const Plane sides[4] = {{d, 40, 0}, {-d, 40, 0}, {0, 30, -d}, {0, 30, d}};
    std::vector<Vector3F> samples;
    const int kSamples = 256;
    for (int k = 0; k < kSamples; ++k) {
        const double z = 1 - (2 * k + 1.0) / kSamples, r = std::sqrt(1 - z * z);
        const double a = k * M_PI * (3 - std::sqrt(5.0));
        samples.push_back(Vector3F{static_cast<float>(r * std::cos(a)),
                                   static_cast<float>(r * std::sin(a)), static_cast<float>(z)});
    }
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> x(-600, 600), y(-100, 1500), z(-450, 450), rad(0.5f, 150);
    int counted[8] = {};
    int tested = 0;
    for (int n = 0; n < 100000; ++n) {
        const Vector3F c{x(rng), y(rng), z(rng)};
        const float r = rad(rng);
        // Analytic distances, to leave out spheres within 2 % of touching a plane (where a
        // finite set of samples cannot decide).
        bool ambiguous = std::fabs(std::fabs(c.y - 8.0) - r) < 0.02 * r;
        for (const Plane& p : sides) {
            const double len = std::sqrt(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz);
            const double v = (p.nx * c.x + p.ny * c.y + p.nz * c.z) / len;
            ambiguous = ambiguous || std::fabs(std::fabs(v) - r) < 0.02 * r;
        }
        if (ambiguous) continue;
        ++tested;
        // Classify the surface samples against each plane.
        auto spread = [&](auto value) {
            int in = 0, out = 0;
            for (const Vector3F& s : samples) {
                const double v = value(c.x + r * s.x, c.y + r * s.y, c.z + r * s.z);
                (v >= 0 ? in : out)++;
            }
            return std::pair<int, int>{in, out};
        };
        int expected = 0;
        const auto nearSpread = spread([](double, double py, double) { return py - 8.0; });
        if (nearSpread.first == 0) expected = 1;
        else if (nearSpread.second > 0) expected = 2;
        for (const Plane& p : sides) {
            if (expected == 1) break;
            const auto s =
                spread([&](double px, double py, double pz) { return p.nx * px + p.ny * py + p.nz * pz; });
            if (s.first == 0) expected = 1;
            else if (s.second > 0) expected |= 4;
        }
        const int got = camera.TestSphere(c, r);
        ASSERT_EQ(got, expected) << "centre " << c.x << " " << c.y << " " << c.z << " r " << r;
        counted[got]++;
    }
    EXPECT_GT(tested, 80000);
    // (Near the near plane the view is a few units wide, so a sphere crossing it nearly
    // always crosses a side too.)
    for (int code : {0, 1, 4, 6})
        EXPECT_GT(counted[code], 100) << code;
}

TEST_F(Camera, SphereAndPointEdges) {
    // Nearest point exactly on the near plane: not crossing it.
    EXPECT_EQ(camera.TestSphere(Vector3F{0, 9, 0}, 1), ts::kCullInside);
    EXPECT_EQ(camera.TestSphere(Vector3F{0, 8.5f, 0}, 1), ts::kCullNear);
    EXPECT_EQ(camera.TestSphere(Vector3F{0, 6.5f, 0}, 1), ts::kCullOutside);
    // Against the right plane (normal (-128, 40) / |.|, positive inside): a sphere just inside
    // by its radius is wholly visible, one just short of it crosses; one outside by just less
    // than its radius still crosses, one by just more is outside.
    const float len = std::sqrt(128.0f * 128.0f + 40.0f * 40.0f);
    const Vector3F n{-128.0f / len, 40.0f / len, 0};
    const Vector3F onPlane{400.0f, 1280.0f, 0};
    EXPECT_EQ(camera.TestSphere(onPlane + n * 16.01f, 16), ts::kCullInside);
    EXPECT_EQ(camera.TestSphere(onPlane + n * 15.99f, 16), ts::kCullSide);
    EXPECT_EQ(camera.TestSphere(onPlane + n * -15.99f, 16), ts::kCullSide);
    EXPECT_EQ(camera.TestSphere(onPlane + n * -16.01f, 16), ts::kCullOutside);
    // Facing: toward the eye at the origin or away from it.
    EXPECT_EQ(camera.TestFacing(ts::TSFace{{0, 100, 0}, {0, -1, 0}}), ts::kFacingToward);
    EXPECT_EQ(camera.TestFacing(ts::TSFace{{0, 100, 0}, {0, 1, 0}}), ts::kFacingAway);
    // On screen: a point projecting to x = 3 (three pixels inside the left edge) is near the
    // edge (4); at x = 4 it is on screen (0); behind the near plane it is not visible (1).
    auto atColumn = [&](float column) {
        return Vector3F{(column - 319.5f) * 1000.0f / kF, 1000.0f, 0};
    };
    EXPECT_EQ(camera.TestPointOnScreen(atColumn(3.0f)), 4);
    EXPECT_EQ(camera.TestPointOnScreen(atColumn(4.0f)), 0);
    EXPECT_EQ(camera.TestPointOnScreen(Vector3F{0, 8, 0}), 1);
    EXPECT_EQ(camera.TestPointOnScreen(atColumn(-10.0f)), 1);
}

TEST_F(Camera, PartTransformCache) {
    // Without a table every index is the object's own placement: nothing changes.
    Transform3F placed;
    placed.t = Vector3F{0, 100, 0};
    camera.SetTransform(placed);
    camera.SelectPartTransform(7);
    EXPECT_FLOAT_EQ(camera.GetModelToWorld().t.y, 100.0f);
    // With a table, index 1 is node 1 composed with the placement; -1 and unknown indices
    // keep the placement; the end puts the placement back.
    Transform3F nodes[2];
    nodes[1].t = Vector3F{5, 0, 0};
    camera.BeginTransformCache(nodes, 2);
    camera.SelectPartTransform(1);
    EXPECT_FLOAT_EQ(camera.GetModelToWorld().t.x, 5.0f);
    EXPECT_FLOAT_EQ(camera.GetModelToWorld().t.y, 100.0f);
    camera.SelectPartTransform(-1);
    EXPECT_FLOAT_EQ(camera.GetModelToWorld().t.x, 0.0f);
    camera.SelectPartTransform(1);
    EXPECT_FLOAT_EQ(camera.GetModelToWorld().t.x, 5.0f);
    camera.SelectPartTransform(40);  // beyond the table
    EXPECT_FLOAT_EQ(camera.GetModelToWorld().t.x, 0.0f);
    camera.SelectPartTransform(1);
    camera.EndTransformCache();
    EXPECT_FLOAT_EQ(camera.GetModelToWorld().t.x, 0.0f);
    EXPECT_FLOAT_EQ(camera.GetEyePosition().y, -100.0f);
}

}  // namespace
