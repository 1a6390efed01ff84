// The maths set and polygon clipping: Euler matrices, transforms, rounding, plane tests, and the
// frustum clipping measured against an independent double-precision half-plane intersection.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "ts/frustum.h"
#include "ts/maths.h"
#include "ts/perspective_camera.h"

namespace {

using ts::Matrix3F;
using ts::PlaneF;
using ts::PolygonF;
using ts::Transform3F;
using ts::Vector3F;

TEST(Maths, EulerAnglesPickTheKindAndStayOrthonormal) {
    struct Case {
        Vector3F angles;
        std::uint32_t kind;
    };
    const Case cases[] = {{{0, 0, 0}, Matrix3F::kIdentity},   {{0, 0, 1.2f}, Matrix3F::kRotateZ},
                          {{0.3f, 0, 0}, Matrix3F::kGeneral}, {{0, -0.7f, 0}, Matrix3F::kGeneral},
                          {{0.4f, 1.1f, -2.9f}, Matrix3F::kGeneral}};
    for (const Case& c : cases) {
        Matrix3F m;
        Matrix3F::SetEulerAngles(c.angles, &m);
        EXPECT_EQ(m.kind, c.kind);
        // Rows are unit length and mutually perpendicular; the determinant is +1.
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                float dot = 0;
                for (int k = 0; k < 3; ++k)
                    dot += m.At(i, k) * m.At(j, k);
                EXPECT_NEAR(dot, i == j ? 1.0f : 0.0f, 1e-6f);
            }
        const float det = m.At(0, 0) * (m.At(1, 1) * m.At(2, 2) - m.At(1, 2) * m.At(2, 1)) -
                          m.At(0, 1) * (m.At(1, 0) * m.At(2, 2) - m.At(1, 2) * m.At(2, 0)) +
                          m.At(0, 2) * (m.At(1, 0) * m.At(2, 1) - m.At(1, 1) * m.At(2, 0));
        EXPECT_NEAR(det, 1.0f, 1e-6f);
    }
    // Heading turns forward (+y) toward -x (counter-clockwise seen from above); pitch lifts it.
    Matrix3F m;
    Transform3F t;
    Matrix3F::SetEulerAngles(Vector3F{0, 0, 1.5707964f}, &t.matrix);
    Vector3F out;
    Transform3F::RotatePoint(Vector3F{0, 1, 0}, t, &out);
    EXPECT_NEAR(out.x, -1.0f, 1e-6f);
    Matrix3F::SetEulerAngles(Vector3F{0.5f, 0, 0}, &t.matrix);
    Transform3F::RotatePoint(Vector3F{0, 1, 0}, t, &out);
    EXPECT_NEAR(out.z, std::sin(0.5f), 1e-6f);
}

TEST(Maths, ComposeInvertAndMultiplyAgree) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(-3.1f, 3.1f), offset(-1000.0f, 1000.0f);
    for (int n = 0; n < 200; ++n) {
        Transform3F a, b;
        Matrix3F::SetEulerAngles(Vector3F{angle(rng), angle(rng), angle(rng)}, &a.matrix);
        Matrix3F::SetEulerAngles(Vector3F{angle(rng), angle(rng), angle(rng)}, &b.matrix);
        a.t = Vector3F{offset(rng), offset(rng), offset(rng)};
        b.t = Vector3F{offset(rng), offset(rng), offset(rng)};
        const Vector3F p{offset(rng), offset(rng), offset(rng)};
        Transform3F ab, inverse;
        Transform3F::Compose(a, b, &ab);
        Vector3F viaA, viaAB, back;
        Transform3F::TransformPoint(p, a, &viaA);
        Transform3F::TransformPoint(viaA, b, &viaA);
        Transform3F::TransformPoint(p, ab, &viaAB);
        EXPECT_NEAR(viaA.x, viaAB.x, 2e-3f);
        EXPECT_NEAR(viaA.z, viaAB.z, 2e-3f);
        Transform3F::InvertRigid(ab, &inverse);
        Transform3F::TransformPoint(viaAB, inverse, &back);
        EXPECT_NEAR(back.y, p.y, 2e-3f);
        Matrix3F product;
        Matrix3F::Multiply(a.matrix, b.matrix, &product);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(product.m[i], ab.matrix.m[i]);
    }
    // Transposing swaps elements 1-2, 4-6 and 5-7 of the stored order.
    Matrix3F m;
    for (int i = 0; i < 9; ++i)
        m.m[i] = static_cast<float>(i);
    Matrix3F::Transpose(&m);
    const float expected[9] = {0, 2, 1, 3, 6, 7, 4, 5, 8};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(m.m[i], expected[i]);
}

TEST(Maths, FloatToIntRoundsHalfToEvenAndSaturates) {
    const struct {
        float in;
        std::int32_t out;
    } cases[] = {{0.5f, 0},          {1.5f, 2},          {2.5f, 2},   {-0.5f, 0},
                 {-1.5f, -2},        {319.49f, 319},     {-7.7f, -8}, {3e9f, INT32_MIN},
                 {-3e9f, INT32_MIN}, {std::numeric_limits<float>::quiet_NaN(), INT32_MIN},
                 {std::numeric_limits<float>::infinity(), INT32_MIN}};
    for (const auto& c : cases)
        EXPECT_EQ(ts::FloatToInt(c.in), c.out) << c.in;
}

TEST(Maths, SegmentsAndPlanes) {
    const PlaneF ground = PlaneF::FromPointNormal(Vector3F{0, 0, 2}, Vector3F{0, 0, 5});
    EXPECT_FLOAT_EQ(ground.n.z, 1.0f);
    EXPECT_FLOAT_EQ(ground.d, -2.0f);
    EXPECT_EQ(ts::ClassifyPoint(ground, Vector3F{9, 9, 2}), 0);
    EXPECT_EQ(ts::ClassifyPoint(ground, Vector3F{0, 0, 3}), 1);
    Vector3F hit;
    // Parallel, crossing beyond the end, ending exactly on the plane, crossing inside.
    EXPECT_EQ(ts::IntersectSegmentPlane(ground, {0, 0, 1}, {5, 0, 1}, &hit), 0);
    EXPECT_EQ(ts::IntersectSegmentPlane(ground, {0, 0, 0}, {0, 0, 1}, &hit), 0);
    ASSERT_EQ(ts::IntersectSegmentPlane(ground, {0, 0, 0}, {4, 0, 2}, &hit), 1);
    EXPECT_FLOAT_EQ(hit.x, 4.0f);
    ASSERT_EQ(ts::IntersectSegmentPlane(ground, {0, 0, 4}, {0, 2, 0}, &hit), 1);
    EXPECT_FLOAT_EQ(hit.y, 1.0f);
    EXPECT_EQ(ts::IsPointInFront(ts::Point3I{0, 0, 0}, ts::Point3I{1, -1, 0}, ts::Point3I{1, 1, 0}), 1);
    EXPECT_EQ(ts::IsPointInFront(ts::Point3I{0, 0, 0}, ts::Point3I{-1, 0, 0}, ts::Point3I{1, 0, 0}), 0);
}

TEST(Maths, SplittingByOnePlane) {
    const PlaneF x0 = PlaneF::FromPointNormal(Vector3F{0, 0, 0}, Vector3F{1, 0, 0});
    Vector3F f[ts::kMaxClipVertices], b[ts::kMaxClipVertices];
    PolygonF front{0, f}, back{0, b};
    // A triangle cut through one vertex's far side becomes a quadrilateral and a triangle.
    Vector3F tri[3] = {{-1, 0, 0}, {2, -1, 0}, {2, 1, 0}};
    EXPECT_EQ(ts::SplitPolygonByPlane(x0, PolygonF{3, tri}, &front, &back), 1);
    EXPECT_EQ(front.count, 4);
    EXPECT_EQ(back.count, 3);
    // Wholly behind: nothing in front; lying in the plane: all of it in front.
    Vector3F behind[3] = {{-1, 0, 0}, {-2, -1, 0}, {-2, 1, 0}};
    EXPECT_EQ(ts::SplitPolygonByPlane(x0, PolygonF{3, behind}, &front, &back), 0);
    EXPECT_EQ(front.count, 0);
    EXPECT_EQ(back.count, 3);
    Vector3F inPlane[4] = {{0, 0, 0}, {0, 1, 0}, {0, 1, 1}, {0, 0, 1}};
    EXPECT_EQ(ts::SplitPolygonByPlane(x0, PolygonF{4, inPlane}, &front, &back), 0);
    EXPECT_EQ(front.count, 4);
    EXPECT_EQ(back.count, 0);
    // A polygon that would need more than the buffer's 20 places gives nothing.
    Vector3F zigzag[20];
    for (int i = 0; i < 20; ++i)
        zigzag[i] = Vector3F{(i % 2 == 0) ? -1.0f : 1.0f, static_cast<float>(i), 0};
    EXPECT_EQ(ts::SplitPolygonByPlane(x0, PolygonF{20, zigzag}, &front, &back), 0);
    EXPECT_EQ(front.count + back.count, 0);
}

// ---- frustum clipping against an independent oracle ----

struct Vec2 {
    double x, y;
};

double Area(const std::vector<Vec2>& p) {
    double a = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Vec2& u = p[i];
        const Vec2& v = p[(i + 1) % p.size()];
        a += u.x * v.y - v.x * u.y;
    }
    return std::fabs(a) / 2;
}

// Keeps the side of the line a x + b y + c >= 0 (double precision).
std::vector<Vec2> HalfPlane(const std::vector<Vec2>& in, double a, double b, double c) {
    std::vector<Vec2> out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const Vec2& p = in[i];
        const Vec2& q = in[(i + 1) % in.size()];
        const double sp = a * p.x + b * p.y + c, sq = a * q.x + b * q.y + c;
        if (sp >= 0) out.push_back(p);
        if ((sp >= 0) != (sq >= 0)) {
            const double t = sp / (sp - sq);
            out.push_back(Vec2{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)});
        }
    }
    return out;
}

TEST(Frustum, RandomConvexPolygonsClipLikeAHalfPlaneIntersection) {
    // A camera at the origin looking along +y, level: on the ground plane z = 0 only the four
    // vertical-ish planes and near/far matter; polygons lie in the plane z = 5 below the eye
    // height so that top and bottom cut too.
    const ts::CameraRect screen{0, 0, 639, 479};
    ts::TSPerspectiveCamera camera(screen, ts::CameraWindow{-40, 30, 40, -30}, 8.0f, 128.0f);
    Transform3F placement;
    Matrix3F::SetEulerAngles(Vector3F{0, 0, 0.4f}, &placement.matrix);
    Transform3F worldToEye;
    Transform3F::InvertRigid(placement, &worldToEye);
    camera.SetEyeTransform(worldToEye);
    const Vector3F eye{100, -50, 0};
    const ts::ViewFrustum frustum(camera, eye, 3000.0f, 0.0f);

    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> centre(-2500, 2500), radius(50, 1500), unit(0, 1);
    std::uniform_int_distribution<int> vertices(3, 14);
    int clipped = 0;
    for (int n = 0; n < 10000; ++n) {
        // A convex polygon: sorted random angles on an ellipse.
        const int count = vertices(rng);
        std::vector<double> angles(static_cast<std::size_t>(count));
        for (double& a : angles)
            a = unit(rng) * 2 * M_PI;
        std::sort(angles.begin(), angles.end());
        const double cx = eye.x + centre(rng), cy = eye.y + centre(rng), rx = radius(rng),
                     ry = radius(rng), z = -200 + 400 * unit(rng);
        Vector3F in[14];
        std::vector<Vec2> reference;
        for (int i = 0; i < count; ++i) {
            in[i] = Vector3F{static_cast<float>(cx + rx * std::cos(angles[static_cast<std::size_t>(i)])),
                             static_cast<float>(cy + ry * std::sin(angles[static_cast<std::size_t>(i)])),
                             static_cast<float>(z)};
            reference.push_back(Vec2{in[i].x, in[i].y});
        }
        // The oracle: the polygon's plane z cut by each plane of the frustum in double.
        for (const ts::PlaneF& p : frustum.planes) {
            const double c = p.n.z * z + p.d - (p.n.x * eye.x + p.n.y * eye.y + p.n.z * eye.z);
            if (p.n.x == 0 && p.n.y == 0) {
                if (c < 0) reference.clear();
                continue;
            }
            reference = HalfPlane(reference, p.n.x, p.n.y, c);
            if (reference.size() < 3) reference.clear();
        }
        Vector3F outBuffer[ts::kMaxClipVertices];
        PolygonF out{0, outBuffer};
        const int any = ts::ViewFrustum::SplitPolygon(frustum, PolygonF{count, in}, &out);
        ASSERT_LE(out.count, ts::kMaxClipVertices);
        const double expected = reference.size() >= 3 ? Area(reference) : 0.0;
        std::vector<Vec2> got;
        for (int i = 0; i < out.count; ++i) {
            got.push_back(Vec2{out.points[i].x, out.points[i].y});
            for (const ts::PlaneF& p : frustum.planes)
                EXPECT_GE(ts::Dot(p.n, out.points[i] - eye) + p.d, -1e-3f * 3000.0f / 1000.0f);
        }
        if (expected > 1.0) {
            ASSERT_EQ(any, 1);
            EXPECT_NEAR(Area(got), expected, expected * 1e-3) << n;
            ++clipped;
        } else if (any == 0) {
            EXPECT_EQ(out.count, 0);
        }
    }
    EXPECT_GT(clipped, 1000);
}

TEST(Frustum, MaskedPlanesAreSkippedAndWideningKeepsTheHeightBand) {
    const ts::CameraRect screen{0, 0, 639, 479};
    ts::TSPerspectiveCamera camera(screen, ts::CameraWindow{-40, 30, 40, -30}, 8.0f, 128.0f);
    ts::ViewFrustum frustum(camera, Vector3F{0, 0, 0}, 1000.0f, 0.0f);
    Vector3F square[4] = {{-10, -20, 0}, {10, -20, 0}, {10, -5, 0}, {-10, -5, 0}};  // behind
    Vector3F buffer[ts::kMaxClipVertices];
    PolygonF out{0, buffer};
    EXPECT_EQ(ts::ViewFrustum::SplitPolygon(frustum, PolygonF{4, square}, &out), 0);
    // Only the far plane left: everything nearer passes.
    frustum.mask = ts::ViewFrustum::PlaneBit(ts::ViewFrustum::kFar);
    EXPECT_EQ(ts::ViewFrustum::SplitPolygon(frustum, PolygonF{4, square}, &out), 1);
    EXPECT_EQ(out.count, 4);
    // Ground 300 units below a level eye, 500 ahead: the bottom plane cuts it away unless the
    // band reaches the ground's height.
    frustum.mask = 0xFFFFFFFFu;
    Vector3F ahead[4] = {{-5, 490, -300}, {5, 490, -300}, {5, 510, -300}, {-5, 510, -300}};
    EXPECT_EQ(ts::ViewFrustum::SplitPolygon(frustum, PolygonF{4, ahead}, &out), 0);
    for (Vector3F& v : ahead)
        v.z = 0;
    EXPECT_EQ(ts::ViewFrustum::SplitPolygonWidened(frustum, PolygonF{4, ahead}, -300.0f, 0.0f, &out), 1);
}

}  // namespace
