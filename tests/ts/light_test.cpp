// The unit normals, the light kernels against a double-precision evaluation, the light set,
// and the point array's near-plane polygons.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "ts/light_set.h"
#include "ts/perspective_camera.h"
#include "ts/point_array.h"
#include "ts/unit_normals.h"

namespace {

using ts::LightPoint;
using ts::LightSum;
using ts::TSLight;
using ts::TSLightSet;
using ts::Vector3F;

TEST(UnitNormals, TableFollowsItsRuleAndFindsItsOwnEntries) {
    EXPECT_FLOAT_EQ(ts::theUnitNormals[0].x, 0.565061f);
    EXPECT_FLOAT_EQ(ts::theUnitNormals[1].z, 0.607860f);
    EXPECT_FLOAT_EQ(ts::theUnitNormals[2].y, 0.472957f);
    for (int k = 0; k < 253; ++k) {
        const double z = 1 - (2 * k + 1) / 253.0, r = std::sqrt(1 - z * z);
        const double a = k * M_PI * (3 - std::sqrt(5.0));
        const Vector3F& n = ts::theUnitNormals[3 + k];
        EXPECT_NEAR(n.x, r * std::cos(a), 1e-6);
        EXPECT_NEAR(n.y, r * std::sin(a), 1e-6);
        EXPECT_NEAR(n.z, z, 1e-6);
    }
    for (int i = 0; i < ts::kUnitNormalCount; ++i) {
        EXPECT_NEAR(ts::VectorLength(ts::theUnitNormals[i]), 1.0f, 2e-6f) << i;
        EXPECT_EQ(ts::NearestNormal(ts::theUnitNormals[i]), i);
    }
    EXPECT_EQ(ts::NearestNormal(Vector3F{0.565061f, -0.270644f, -0.779396f}), 0);
    EXPECT_EQ(ts::NearestNormal(Vector3F{1e30f, 0, 0}), -1);
}

TEST(Lights, WordsRoundAndStopAtFullLight) {
    EXPECT_EQ(ts::LightingWords(LightSum{70000, 65534.6f, 2.5f}).r, 65535);
    EXPECT_EQ(ts::LightingWords(LightSum{70000, 65534.6f, 2.5f}).g, 65535);
    EXPECT_EQ(ts::LightingWords(LightSum{70000, 65534.6f, 2.5f}).b, 2);
    EXPECT_EQ(ts::LightingWords(LightSum{-10.4f, 0, 0}).r, -10);  // no lower limit
}

// The expected contribution in double: colour x attenuation x max(0, -(d . n)) x 65535.
double Expected(double colour, const Vector3F& direction, const Vector3F& normal, double scale) {
    const double i = -(static_cast<double>(direction.x) * normal.x +
                       static_cast<double>(direction.y) * normal.y +
                       static_cast<double>(direction.z) * normal.z);
    return i >= 0 ? colour * scale * i * 65535.0 : 0.0;
}

TEST(Lights, KernelsMatchADoublePrecisionEvaluation) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> coord(-500, 500), unit(-1, 1);
    auto randomUnit = [&] {
        for (;;) {
            const Vector3F v{unit(rng), unit(rng), unit(rng)};
            const float l = ts::VectorLength(v);
            if (l > 0.1f && l <= 1) return v * (1 / l);
        }
    };
    // The object placement is the identity, so world and object frames agree.
    TSLightSet set;
    TSLight sun(TSLight::kDirectional);
    TSLight lamp(TSLight::kPoint);
    sun.colour[0] = 0.8f;
    sun.colour[1] = 0.5f;
    lamp.colour[0] = 0.6f;
    lamp.range = 400;
    lamp.c0 = 0.5f;
    lamp.c1 = 0.01f;
    lamp.c2 = 0.0001f;
    lamp.worldPosition = Vector3F{30, -20, 60};
    sun.SelectLightingFunctions();
    lamp.SelectLightingFunctions();
    for (int n = 0; n < 2000; ++n) {
        sun.worldDirection = randomUnit();
        sun.prepared = 0;
        lamp.prepared = 0;
        const LightPoint at{Vector3F{coord(rng), coord(rng), coord(rng)}, randomUnit()};
        // Directional, object space (prepared with no map: intensity 1) and world space.
        LightSum sum;
        sun.prepare(sun, at.point, 1.0f, set);
        sun.lightPoint(sun, at, sum);
        EXPECT_NEAR(sum.r, Expected(0.8, sun.worldDirection, at.normal, 1.0), 0.05);
        EXPECT_NEAR(sum.g, Expected(0.5, sun.worldDirection, at.normal, 1.0), 0.05);
        LightSum world;
        sun.lightPointWorld(sun, at, world);
        EXPECT_NEAR(world.r, sum.r, 0.05);
        // Point light from the world position, with attenuation and range.
        const Vector3F v = at.point - lamp.worldPosition;
        const double d = std::sqrt(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y +
                                   static_cast<double>(v.z) * v.z);
        const double attenuation = 1.0 / (0.5 + 0.01 * d + 0.0001 * d * d);
        const Vector3F dir = v * static_cast<float>(1.0 / d);
        LightSum lit;
        lamp.lightPointWorld(lamp, at, lit);
        EXPECT_NEAR(lit.r, d < 400 ? Expected(0.6, dir, at.normal, attenuation) : 0.0, 0.05);
        // The same point through the object-space kernel after preparing for a small object
        // centred on it (near: per point) or a far object (one direction for all).
        LightSum near;
        lamp.prepare(lamp, at.point, 100.0f, set);
        lamp.lightPoint(lamp, at, near);
        EXPECT_NEAR(near.r, lit.r, 0.05);
        LightSum plain;
        lamp.lightPlain(lamp, at, plain);
        EXPECT_NEAR(plain.r, d < 400 ? 0.6 * attenuation * 65535.0 : 0.0, 0.05);
    }
}

TEST(Lights, PointLightFaultsAndRanges) {
    TSLightSet set;
    TSLight lamp(TSLight::kPoint);
    lamp.c0 = lamp.c1 = lamp.c2 = 0;  // no attenuation given: full strength, not a division by 0
    lamp.range = 100;
    lamp.colour[0] = 1;
    lamp.SelectLightingFunctions();
    LightSum sum;
    lamp.prepare(lamp, Vector3F{0, 0, 10}, 0.1f, set);
    EXPECT_EQ(lamp.state, TSLight::kStateFar);
    EXPECT_FLOAT_EQ(lamp.attenuation, 1.0f);
    lamp.lightPoint(lamp, LightPoint{{0, 0, 10}, {0, 0, -1}}, sum);
    EXPECT_NEAR(sum.r, 65535.0f, 0.5f);
    // A point on the light itself has no direction: it adds nothing.
    LightSum onLight;
    lamp.prepare(lamp, Vector3F{0, 0, 0}, 0.0f, set);
    EXPECT_EQ(lamp.state, TSLight::kStateNear);
    lamp.lightPoint(lamp, LightPoint{{0, 0, 0}, {0, 0, -1}}, onLight);
    lamp.lightPlain(lamp, LightPoint{{0, 0, 0}, {0, 0, -1}}, onLight);
    lamp.lightPointWorld(lamp, LightPoint{{0, 0, 0}, {0, 0, -1}}, onLight);
    EXPECT_EQ(onLight.r, 0.0f);
    EXPECT_TRUE(std::isfinite(onLight.g));
    // Beyond the range the object is unlit; a directional light behind a face adds nothing.
    lamp.prepare(lamp, Vector3F{0, 0, 150}, 1.0f, set);
    EXPECT_EQ(lamp.state, TSLight::kStateOff);
    TSLight sun;
    sun.worldDirection = Vector3F{0, 0, -1};
    sun.SelectLightingFunctions();
    sun.prepare(sun, Vector3F{}, 1, set);
    LightSum behind;
    sun.lightPoint(sun, LightPoint{{0, 0, 0}, {0, 0, -1}}, behind);
    EXPECT_EQ(behind.r, 0.0f);
    // Other types have no kernels.
    TSLight odd(7);
    EXPECT_EQ(odd.SelectLightingFunctions(), 0u);
    EXPECT_EQ(odd.lightPoint, nullptr);
    EXPECT_EQ(odd.on, 1u);
}

TEST(Lights, ShadowMapScalesTheSun) {
    std::uint8_t map[16 * 16] = {};
    map[(3 << 4) + 2] = 51;  // x cell 2, y cell 3: a fifth of the light
    TSLight sun;
    EXPECT_EQ(sun.SetShadowMap(map, 100, 15, 4, 0.5f, 0, 0), 0);  // too small for the mask
    ASSERT_EQ(sun.SetShadowMap(map, sizeof map, 15, 4, 0.5f, 0, 0), 1);
    EXPECT_FLOAT_EQ(sun.MapFactorAt(4.5f, 6.9f), 0.2f);
    EXPECT_FLOAT_EQ(sun.MapFactorAt(std::nanf(""), 1e30f), 0.0f);  // any bits, masked
}

TEST(LightSet, HoldsTenLightsAndLightsThroughTheCamera) {
    TSLightSet set;
    TSLight lights[11];
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(set.AddLight(&lights[i]), 1);
    EXPECT_EQ(set.AddLight(&lights[10]), 0);
    EXPECT_EQ(set.Count(), 10);
    EXPECT_EQ(set.RemoveLight(&lights[3]), 1);
    EXPECT_EQ(set.Light(3), &lights[9]);
    EXPECT_EQ(set.RemoveLight(&lights[10]), 0);

    // No lights: the base colour, rounded and limited.
    TSLightSet empty;
    empty.SetBaseColour(12.6f, 70000, -3);
    gfx::GFXColourTriple out;
    empty.LightPoints(LightPoint{}, &out);
    EXPECT_EQ(out.r, 13);
    EXPECT_EQ(out.g, 65535);
    EXPECT_EQ(out.b, -3);

    // Without a camera with a valid position the set takes nothing and leaves the lights.
    ts::theCurrentCamera = nullptr;
    TSLight sun;
    TSLightSet scene;
    scene.AddLight(&sun);
    sun.prepared = 1;
    scene.Activate();
    EXPECT_EQ(ts::theActiveLightSet, &scene);
    EXPECT_FALSE(scene.IsCameraValid());
    // A camera placed for an object turned half round: the sun from above lights an upward
    // normal of the object's frame, whatever the turn.
    ts::TSPerspectiveCamera camera{ts::CameraRect{0, 0, 639, 479},
                                   ts::CameraWindow{-40, 30, 40, -30}, 8, 128};
    camera.Activate();
    ts::Transform3F placement;
    ts::Matrix3F::SetEulerAngles(Vector3F{0, 0, 3.14159f}, &placement.matrix);
    placement.t = Vector3F{100, 0, 0};
    sun.worldDirection = Vector3F{1, 0, 0};  // shining toward +x
    camera.SetTransform(placement);           // the set captures it
    EXPECT_TRUE(scene.IsCameraValid());
    EXPECT_EQ(sun.prepared, 0u);
    scene.PrepareForObject(Vector3F{}, 1);
    EXPECT_TRUE(scene.IsPrepared());
    // Turned half round, the object's +x faces the sun (world -x).
    scene.LightPointsAt(Vector3F{}, ts::NearestNormal(Vector3F{1, 0, 0}), &out);
    EXPECT_GT(out.r, 40000);
    scene.Deactivate();
    EXPECT_EQ(ts::theActiveLightSet, nullptr);
    EXPECT_EQ(sun.lightPoint, nullptr);
    EXPECT_EQ(sun.on, 0u);
}

TEST(PointArray, NearPlanePolygons) {
    ts::TSPerspectiveCamera camera{ts::CameraRect{0, 0, 639, 479},
                                   ts::CameraWindow{-40, 30, 40, -30}, 8, 128};
    camera.Activate();
    camera.SetTransform(ts::Transform3F{});
    const Vector3F points[5] = {{-10, 50, 0}, {10, 50, 0}, {0, 2, 0}, {0, -5, 3}, {5, 1, 0}};
    const gfx::GFXTexCoord tex[5] = {{0, 0}, {1, 0}, {0.5f, 1}, {0, 0}, {0, 0}};
    ts::PointArray array(8);
    ASSERT_EQ(array.SetPoints(5, points, tex), 1);
    EXPECT_TRUE(array.TransformAndProject());
    const ts::ScreenPoint* out[20];
    const gfx::GFXTexCoord* outTex[20];
    // One vertex behind: a quadrilateral, its new corners on the near plane.
    const std::int32_t tri[3] = {0, 1, 2};
    ASSERT_EQ(array.BuildPolygon(3, tri, out, outTex), 4);
    int onNear = 0;
    for (int i = 0; i < 4; ++i)
        onNear += out[i]->z == 8 ? 1 : 0;
    EXPECT_EQ(onNear, 2);
    EXPECT_GT(outTex[0]->v + outTex[1]->v + outTex[2]->v + outTex[3]->v, 0.1f);
    // Wholly behind: nothing.
    const std::int32_t behind[3] = {2, 3, 4};
    EXPECT_EQ(array.BuildPolygon(3, behind, out), 0);
    // The crossings of one polygon may not pass the capacity (5 points + 2 crossings fit in 6
    // only when ... they do not).
    ts::PointArray tight(6);
    tight.SetPoints(5, points);
    tight.TransformAndProject();
    EXPECT_EQ(tight.BuildPolygon(3, tri, out), 0);
    EXPECT_EQ(tight.SetPoints(7, points), 0);
    // Nothing behind: the input order, unchanged.
    const Vector3F front[3] = {{-10, 50, 0}, {10, 50, 0}, {0, 40, 5}};
    ts::PointArray plain(3);
    plain.SetPoints(3, front);
    plain.TransformAndProject();
    EXPECT_FALSE(plain.NeedsClipping());
    const std::int32_t order[3] = {2, 0, 1};
    ASSERT_EQ(plain.BuildPolygon(3, order, out), 3);
    EXPECT_EQ(out[0], &plain.At(2).screen);
    EXPECT_EQ(out[2], &plain.At(1).screen);
    // Indices outside the points are refused.
    const std::int32_t wild[3] = {0, 1, 9};
    EXPECT_EQ(plain.BuildPolygon(3, wild, out), 0);
}

}  // namespace
