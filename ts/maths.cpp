#include "ts/maths.h"

namespace ts {

void Matrix3F::SetIdentity() {
    static constexpr float kIdentityElements[9] = {1, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i)
        m[i] = kIdentityElements[i];
    kind = kIdentity;
}

void Matrix3F::Multiply(const Matrix3F& a, const Matrix3F& b, Matrix3F* out) {
    // out = b x a, written out element by element (storage order m00 m10 m01 m11 m20 m21 m02
    // m12 m22).
    const float* A = a.m;
    const float* B = b.m;
    float* o = out->m;
    // Row r of b: (B[r,0], B[r,1], B[r,2]); column c of a: (A[0,c], A[1,c], A[2,c]).
    o[0] = B[0] * A[0] + B[2] * A[1] + B[6] * A[4];  // (0,0)
    o[1] = B[1] * A[0] + B[3] * A[1] + B[7] * A[4];  // (1,0)
    o[2] = B[0] * A[2] + B[2] * A[3] + B[6] * A[5];  // (0,1)
    o[3] = B[1] * A[2] + B[3] * A[3] + B[7] * A[5];  // (1,1)
    o[4] = B[4] * A[0] + B[5] * A[1] + B[8] * A[4];  // (2,0)
    o[5] = B[4] * A[2] + B[5] * A[3] + B[8] * A[5];  // (2,1)
    o[6] = B[0] * A[6] + B[2] * A[7] + B[6] * A[8];  // (0,2)
    o[7] = B[1] * A[6] + B[3] * A[7] + B[7] * A[8];  // (1,2)
    o[8] = B[4] * A[6] + B[5] * A[7] + B[8] * A[8];  // (2,2)
    auto flat = [](std::uint32_t k) { return k == kIdentity || k == kRotateZ; };
    if (a.kind == kIdentity && b.kind == kIdentity)
        out->kind = kIdentity;
    else
        out->kind = flat(a.kind) && flat(b.kind) ? kRotateZ : kGeneral;
}

void Matrix3F::Transpose(Matrix3F* m) {
    float* e = m->m;
    float t = e[1];
    e[1] = e[2];
    e[2] = t;
    t = e[4];
    e[4] = e[6];
    e[6] = t;
    t = e[5];
    e[5] = e[7];
    e[7] = t;
}

Matrix3F* Matrix3F::SetEulerAngles(const Vector3F& angles, Matrix3F* m) {
    const float a = angles.x, b = angles.y, c = angles.z;
    if (a == 0.0f && b == 0.0f && c == 0.0f) {
        m->SetIdentity();
        return m;
    }
    const float sc = std::sin(c), cc = std::cos(c);
    float* e = m->m;
    if (a == 0.0f && b == 0.0f) {
        e[0] = cc;
        e[1] = sc;
        e[2] = -sc;
        e[3] = cc;
        e[4] = e[5] = e[6] = e[7] = 0.0f;
        e[8] = 1.0f;
        m->kind = kRotateZ;
        return m;
    }
    const float sa = std::sin(a), ca = std::cos(a);
    const float sb = std::sin(b), cb = std::cos(b);
    e[0] = cb * cc - sa * sb * sc;
    e[1] = cb * sc + sa * sb * cc;
    e[2] = -ca * sc;
    e[3] = ca * cc;
    e[4] = -ca * sb;
    e[5] = sa;
    e[6] = sb * cc + sa * cb * sc;
    e[7] = sb * sc - sa * cb * cc;
    e[8] = ca * cb;
    m->kind = kGeneral;
    return m;
}

Vector3F* Transform3F::RotatePoint(const Vector3F& p, const Transform3F& transform,
                                   Vector3F* out) {
    const float* e = transform.matrix.m;
    const Vector3F r{e[0] * p.x + e[2] * p.y + e[6] * p.z, e[1] * p.x + e[3] * p.y + e[7] * p.z,
                     e[4] * p.x + e[5] * p.y + e[8] * p.z};
    *out = r;
    return out;
}

Vector3F* Transform3F::TransformPoint(const Vector3F& p, const Transform3F& transform,
                                      Vector3F* out) {
    const float* e = transform.matrix.m;
    const Vector3F& t = transform.t;
    const Vector3F r{e[0] * p.x + e[2] * p.y + e[6] * p.z + t.x,
                     e[1] * p.x + e[3] * p.y + e[7] * p.z + t.y,
                     e[4] * p.x + e[5] * p.y + e[8] * p.z + t.z};
    *out = r;
    return out;
}

void Transform3F::Compose(const Transform3F& a, const Transform3F& b, Transform3F* out) {
    Matrix3F::Multiply(a.matrix, b.matrix, &out->matrix);
    Vector3F t;
    RotatePoint(a.t, b, &t);
    out->t = t + b.t;
}

void Transform3F::InvertRigid(const Transform3F& in, Transform3F* out) {
    out->matrix = in.matrix;
    Matrix3F::Transpose(&out->matrix);
    Vector3F t;
    RotatePoint(in.t, *out, &t);
    out->t = Vector3F{-t.x, -t.y, -t.z};
}

int IsPointInFront(const Point3I& origin, const Point3I& point, const Point3I& normal) {
    const double dx = static_cast<double>(point.x) - origin.x;
    const double dy = static_cast<double>(point.y) - origin.y;
    const double dz = static_cast<double>(point.z) - origin.z;
    return dx * normal.x + dy * normal.y + dz * normal.z >= 0.0 ? 1 : 0;
}

PlaneF PlaneF::FromPointNormal(const Vector3F& point, const Vector3F& normal) {
    PlaneF p;
    const float length = VectorLength(normal);
    p.n = length > 0.0f ? normal * (1.0f / length) : normal;
    p.d = -Dot(p.n, point);
    return p;
}

int ClassifyPoint(const PlaneF& plane, const Vector3F& p) {
    const float s = Dot(plane.n, p);
    if (s > -plane.d) return 1;
    if (s < -plane.d) return -1;
    return 0;
}

int IntersectSegmentPlane(const PlaneF& plane, const Vector3F& p0, const Vector3F& p1,
                          Vector3F* out) {
    const Vector3F e = p1 - p0;
    const float den = Dot(plane.n, e);
    if (den == 0.0f) return 0;
    const float num = -(Dot(plane.n, p0) + plane.d);
    // The crossing lies on the closed segment only when num / den is in [0, 1].
    if ((num > 0.0f && den < 0.0f) || (num < 0.0f && den > 0.0f)) return 0;
    if (std::fabs(num) > std::fabs(den)) return 0;
    *out = p0 + e * (num / den);
    return 1;
}

int SplitPolygonByPlane(const PlaneF& plane, const PolygonF& in, PolygonF* front,
                        PolygonF* back) {
    front->count = 0;
    back->count = 0;
    if (in.count < 3 || in.count > kMaxClipVertices) return 0;
    bool overflow = false;
    auto put = [&overflow](PolygonF* list, const Vector3F& v) {
        if (list->count >= kMaxClipVertices) {
            overflow = true;
            return;
        }
        list->points[list->count++] = v;
    };
    bool strictlyFront = false, strictlyBack = false;
    Vector3F previous = in.points[in.count - 1];
    int previousClass = ClassifyPoint(plane, previous);
    for (int i = 0; i < in.count; ++i) {
        const Vector3F& current = in.points[i];
        const int currentClass = ClassifyPoint(plane, current);
        if (currentClass > 0) strictlyFront = true;
        if (currentClass < 0) strictlyBack = true;
        Vector3F crossing;
        if (currentClass == 0) {
            put(front, current);
            put(back, current);
        } else if (currentClass < 0) {
            if (previousClass > 0 && IntersectSegmentPlane(plane, previous, current, &crossing)) {
                put(front, crossing);
                put(back, crossing);
            }
            put(back, current);
        } else {
            if (previousClass < 0 && IntersectSegmentPlane(plane, previous, current, &crossing)) {
                put(front, crossing);
                put(back, crossing);
            }
            put(front, current);
        }
        previous = current;
        previousClass = currentClass;
    }
    if (overflow) {
        front->count = back->count = 0;
        return 0;
    }
    if (front->count < 3) front->count = 0;
    if (back->count < 3) back->count = 0;
    if (!strictlyFront && !strictlyBack) {
        // The polygon lies in the plane: it counts as in front.
        for (int i = 0; i < in.count; ++i)
            front->points[i] = in.points[i];
        front->count = in.count;
        back->count = 0;
    }
    return (front->count > 0 && back->count > 0) ? 1 : 0;
}

float PlaneSideValue(const Vector3F& p, const Transform3F& transform,
                     const Vector3F& direction) {
    const Vector3F d = p - transform.t;
    const float* e = transform.matrix.m;
    // M^T d: row r of the transpose is column r of M.
    const Vector3F local{e[0] * d.x + e[1] * d.y + e[4] * d.z, e[2] * d.x + e[3] * d.y + e[5] * d.z,
                         e[6] * d.x + e[7] * d.y + e[8] * d.z};
    return Dot(local, direction);
}

}  // namespace ts
