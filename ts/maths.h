// The small value types every 3D piece of the system shares: single-precision vectors, 3 x 3
// matrices that remember what kind of rotation they hold, rigid transforms, planes, and the
// polygon splitting the view frustum is built on. x and y span the ground plane and z points up;
// in eye space x points right, y forward (the depth axis) and z up.
#pragma once

#include <cmath>
#include <cstdint>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace ts {

struct Vector3F {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline Vector3F operator+(const Vector3F& a, const Vector3F& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector3F operator-(const Vector3F& a, const Vector3F& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector3F operator*(const Vector3F& a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline float Dot(const Vector3F& a, const Vector3F& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
[[nodiscard]] inline float VectorLength(const Vector3F& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// Integer points (world units as integers) of the Fixed projections and of IsPointInFront.
struct Point3I {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t z = 0;
};

// Nine elements in the order m00 m10 m01 m11 m20 m21 m02 m12 m22 (the upper-left 2 x 2 block
// column by column, then the first two of row 2, then column 2), and a kind word: 0 identity,
// 1 rotation about z only, 3 general. The kind lets a caller choose a cheaper product; every
// routine here reads all nine elements.
struct Matrix3F {
    enum Kind : std::uint32_t { kIdentity = 0, kRotateZ = 1, kGeneral = 3 };

    float m[9] = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    std::uint32_t kind = kIdentity;

    // Storage index of element (row, column).
    static constexpr int kIndex[3][3] = {{0, 2, 6}, {1, 3, 7}, {4, 5, 8}};
    [[nodiscard]] float At(int row, int column) const { return m[kIndex[row][column]]; }
    float& At(int row, int column) { return m[kIndex[row][column]]; }
    void SetIdentity();

    // out = b x a (a first, then b), matrix part only.
    static void Multiply(const Matrix3F& a, const Matrix3F& b, Matrix3F* out);
    // In place: the inverse of a rotation.
    static void Transpose(Matrix3F* m);
    // From Euler angles (radians): x tilts about the side axis (pitch), y turns about the
    // forward axis (bank) and z about the up axis (heading). All three exactly 0 give the
    // identity (kind 0); only z non-zero gives kind 1.
    static Matrix3F* SetEulerAngles(const Vector3F& angles, Matrix3F* m);
};

// A matrix followed by a translation: p maps to M p + t.
struct Transform3F {
    Matrix3F matrix;
    Vector3F t;

    void SetIdentity() {
        matrix.SetIdentity();
        t = Vector3F{};
    }
    // out = M p (no translation).
    static Vector3F* RotatePoint(const Vector3F& p, const Transform3F& transform, Vector3F* out);
    // out = M p + t.
    static Vector3F* TransformPoint(const Vector3F& p, const Transform3F& transform,
                                    Vector3F* out);
    // a followed by b: out.M = b.M x a.M, out.t = b.M a.t + b.t. out must not alias a or b.
    static void Compose(const Transform3F& a, const Transform3F& b, Transform3F* out);
    // The inverse of a rigid transform: the transposed matrix with t = -(M^T t).
    static void InvertRigid(const Transform3F& in, Transform3F* out);
};

// Rounds to the nearest integer, halves to even, as the processor does by default. NaN and
// values outside the 32-bit range give INT32_MIN (the processor's "integer indefinite"), so a
// wild coordinate turns into a predictable value, never into undefined behaviour.
[[nodiscard]] inline std::int32_t FloatToInt(float f) {
#if defined(__SSE__) || defined(__x86_64__)
    return _mm_cvtss_si32(_mm_set_ss(f));
#else
    if (!(f >= -2147483648.0f && f < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(std::nearbyint(f));
#endif
}

// 1 when (point - origin) . normal >= 0, computed in floating point.
[[nodiscard]] int IsPointInFront(const Point3I& origin, const Point3I& point,
                                 const Point3I& normal);

// A unit normal (a, b, c) and d: the signed distance of p is n . p + d; the front is positive.
struct PlaneF {
    Vector3F n;
    float d = 0.0f;
    // n = normal / |normal|, d = -(n . point).
    static PlaneF FromPointNormal(const Vector3F& point, const Vector3F& normal);
};

// 1 in front, -1 behind, 0 exactly on the plane.
[[nodiscard]] int ClassifyPoint(const PlaneF& plane, const Vector3F& p);
// The crossing of the closed segment p0-p1 with the plane into out; 0 when there is none
// (parallel, or the crossing lies outside the segment).
int IntersectSegmentPlane(const PlaneF& plane, const Vector3F& p0, const Vector3F& p1,
                          Vector3F* out);

// Every buffer the clipping fills holds this many vertices. A convex polygon of at most 14
// vertices clipped by six planes stays within it; a split that would pass it gives nothing.
inline constexpr int kMaxClipVertices = 20;

// A polygon for clipping: a vertex count and the vertices (a buffer of kMaxClipVertices when
// it is an output).
struct PolygonF {
    std::int32_t count = 0;
    Vector3F* points = nullptr;
};

// Splits in by the plane into the front and back pieces (Sutherland-Hodgman, both at once); a
// piece of fewer than 3 vertices is empty; a polygon lying in the plane goes to the front.
// 1 when both pieces are non-empty. front and back must not alias in.
int SplitPolygonByPlane(const PlaneF& plane, const PolygonF& in, PolygonF* front,
                        PolygonF* back);

// The side of a split plane for the binary space partition parts: the component along the
// direction of the point taken into the transform's local frame, (M^T (p - t)) . direction.
[[nodiscard]] float PlaneSideValue(const Vector3F& p, const Transform3F& transform,
                                   const Vector3F& direction);

}  // namespace ts
