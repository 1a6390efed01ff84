#include "gfx/raster/poly_clip.h"

#include "core/numeric.h"

namespace gfx {

namespace {

// Every edge adds at most two corners, so a stage never holds more than 2n + 2.
constexpr int kStageCapacity = 2 * kPolyMaxPoints + 2;

struct ClipStage {
    GFXPolyRequest result;
    const GFXScreenPoint* points[kStageCapacity];
    const GFXTexCoord* texCoords[kStageCapacity];
    GFXPolyVertex* vertices[kStageCapacity];
    GFXScreenPoint newPoints[kStageCapacity];
    GFXTexCoord newTex[kStageCapacity];
    GFXPolyVertex newVertices[kStageCapacity];
    int used = 0;
};

ClipStage stageX;
ClipStage stageY;

inline std::int32_t Lerp(std::int32_t a, std::int32_t b, double t) {
    const double v = static_cast<double>(a) + (static_cast<double>(b) - a) * t;
    return core::SaturateToInt32(v);
}

template <bool kAxisX>
std::int32_t Coord(const GFXScreenPoint& p) {
    return kAxisX ? p.x : p.y;
}

struct Corner {
    const GFXScreenPoint* point;
    const GFXTexCoord* tex;
    GFXPolyVertex* vertex;
};

// The crossing of P towards Q at bound k.
template <bool kAxisX>
Corner Cross(ClipStage& st, const GFXPolyRequest& in, int p, int q, std::int32_t k) {
    const GFXScreenPoint& P = *in.points[p];
    const GFXScreenPoint& Q = *in.points[q];
    const double cp = Coord<kAxisX>(P);
    const double cq = Coord<kAxisX>(Q);
    const double t = (static_cast<double>(k) - cp) / (cq - cp);
    const int slot = st.used++;
    GFXScreenPoint& np = st.newPoints[slot];
    if (kAxisX) {
        np.x = k;
        np.y = Lerp(P.y, Q.y, t);
    } else {
        np.y = k;
        np.x = Lerp(P.x, Q.x, t);
    }
    const std::uint32_t f = in.flags;
    np.z = (f & kPolyDepth) != 0 ? Lerp(P.z, Q.z, t) : 0;
    np.w = (f & kPolyPerspective) != 0 ? static_cast<float>(P.w + (Q.w - P.w) * t) : 0.0f;
    Corner c{&np, nullptr, nullptr};
    if ((f & kPolyTextured) != 0) {
        const GFXTexCoord& a = *in.texCoords[p];
        const GFXTexCoord& b = *in.texCoords[q];
        GFXTexCoord& nt = st.newTex[slot];
        nt.u = static_cast<float>(a.u + (static_cast<double>(b.u) - a.u) * t);
        nt.v = static_cast<float>(a.v + (static_cast<double>(b.v) - a.v) * t);
        c.tex = &nt;
    }
    if ((f & (kPolySmooth | kPolyLit | kPolyPixelLight)) != 0) {
        const GFXPolyVertex& a = *in.vertices[p];
        const GFXPolyVertex& b = *in.vertices[q];
        GFXPolyVertex& nv = st.newVertices[slot];
        nv = a;
        if ((f & kPolySmooth) != 0 && (f & kPoly16Bit) == 0) nv.shade = Lerp(a.shade, b.shade, t);
        if ((f & (kPolyLit | kPolyPixelLight)) != 0) nv.light = Lerp(a.light, b.light, t);
        if ((f & kPolySmooth) != 0 && (f & kPoly16Bit) != 0) {
            nv.r = Lerp(a.r, b.r, t);
            nv.g = Lerp(a.g, b.g, t);
            nv.b = Lerp(a.b, b.b, t);
        }
        c.vertex = &nv;
    }
    return c;
}

Corner Keep(const GFXPolyRequest& in, int i) {
    const std::uint32_t f = in.flags;
    return Corner{in.points[i], (f & kPolyTextured) != 0 ? in.texCoords[i] : nullptr,
                  (f & (kPolySmooth | kPolyLit | kPolyPixelLight)) != 0 ? in.vertices[i] : nullptr};
}

template <bool kAxisX>
const GFXPolyRequest& ClipStageRun(ClipStage& st, const GFXPolyRequest& in, std::int32_t a,
                                   std::int32_t b) {
    st.used = 0;
    st.result = in;
    st.result.points = st.points;
    st.result.texCoords = st.texCoords;
    st.result.vertices = st.vertices;
    st.result.count = 0;
    // The y stage takes the x stage's result, which can hold more corners than a request (a
    // polygon cut at both sides); the stage gives up only when its own storage would overflow.
    const int n = in.count;
    if (n < 3 || n > kStageCapacity || a >= b) return st.result;
    // Every corner strictly inside: each edge keeps its first corner, so the result is the
    // input turned by one place (the walk below gives the same list, corner by corner).
    bool inside = true;
    for (int i = 0; i < n && inside; ++i) {
        const std::int32_t c = Coord<kAxisX>(*in.points[i]);
        inside = c > a && c < b;
    }
    if (inside) {
        for (int cur = 0; cur < n; ++cur) {
            const Corner k = Keep(in, cur == 0 ? n - 1 : cur - 1);
            st.points[cur] = k.point;
            st.texCoords[cur] = k.tex;
            st.vertices[cur] = k.vertex;
        }
        st.result.count = n;
        return st.result;
    }
    int out = 0;
    for (int cur = 0; cur < n; ++cur) {
        // An edge emits at most two corners and makes at most two new ones.
        if (out + 2 > kStageCapacity || st.used + 2 > kStageCapacity) {
            st.result.count = 0;
            return st.result;
        }
        const int prev = cur == 0 ? n - 1 : cur - 1;
        const std::int32_t cPrev = Coord<kAxisX>(*in.points[prev]);
        const std::int32_t cCur = Coord<kAxisX>(*in.points[cur]);
        Corner emit[3];
        int k = 0;
        const bool prevLow = cPrev > a;
        const bool curLow = cCur > a;
        if (!prevLow && !curLow) continue;
        if (prevLow && curLow) {
            emit[k++] = Keep(in, prev);
        } else if (curLow) {
            emit[k++] = Cross<kAxisX>(st, in, prev, cur, a);
        } else {
            emit[k++] = Keep(in, prev);
            emit[k++] = Cross<kAxisX>(st, in, cur, prev, a);
        }
        const bool prevHigh = cPrev < b;
        const bool curHigh = cCur < b;
        if (!prevHigh && !curHigh) continue;
        if (!prevHigh) {
            emit[0] = Cross<kAxisX>(st, in, prev, cur, b);
        } else if (!curHigh) {
            emit[2] = emit[1];
            emit[1] = Cross<kAxisX>(st, in, cur, prev, b);
            ++k;
            if (k > 2) k = 2;  // prev inside both bounds and cur beyond b: prev, then the crossing
        }
        for (int i = 0; i < k; ++i) {
            st.points[out] = emit[i].point;
            st.texCoords[out] = emit[i].tex;
            st.vertices[out] = emit[i].vertex;
            ++out;
        }
    }
    st.result.count = out;
    return st.result;
}

}  // namespace

const GFXPolyRequest& ClipPolygonX(const GFXPolyRequest& polygon, const GFXClipBounds& bounds) {
    return ClipStageRun<true>(stageX, polygon, bounds.left, bounds.right);
}

const GFXPolyRequest& ClipPolygonY(const GFXPolyRequest& polygon, const GFXClipBounds& bounds) {
    return ClipStageRun<false>(stageY, polygon, bounds.top, bounds.bottom);
}

}  // namespace gfx
