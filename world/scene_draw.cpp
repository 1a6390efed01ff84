#include "world/scene_draw.h"

#include <algorithm>

#include "gfx/palette.h"
#include "gfx/surface.h"
#include "ts/perspective_camera.h"

namespace world {

namespace {

// A polygon vertex in eye space with its texture coordinates.
struct EyeVertex {
    ts::Vector3F p;
    float u = 0.0f;
    float v = 0.0f;
};

// Keeps the part of the polygon where plane(p) >= 0 (one Sutherland-Hodgman pass).
template <typename Plane>
int ClipPolygon(const EyeVertex* in, int n, EyeVertex* out, int capacity, Plane plane) {
    int m = 0;
    for (int i = 0; i < n && m < capacity; ++i) {
        const EyeVertex& a = in[i];
        const EyeVertex& b = in[(i + 1) % n];
        const float da = plane(a.p), db = plane(b.p);
        if (da >= 0.0f) out[m++] = a;
        if ((da >= 0.0f) != (db >= 0.0f) && m < capacity) {
            const float t = da / (da - db);
            EyeVertex c;
            c.p = ts::Vector3F{a.p.x + (b.p.x - a.p.x) * t, a.p.y + (b.p.y - a.p.y) * t,
                               a.p.z + (b.p.z - a.p.z) * t};
            c.u = a.u + (b.u - a.u) * t;
            c.v = a.v + (b.v - a.v) * t;
            out[m++] = c;
        }
    }
    return m;
}

}  // namespace

bool CurrentFrameTarget(FrameTarget* out) {
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    if (ts::theCurrentCamera == nullptr || target == nullptr || target->surface == nullptr)
        return false;
    const gfx::GFXDrawTable* table = target->surface->GetDrawTable();
    if (table == nullptr) return false;
    *out = FrameTarget{ts::theCurrentCamera, target->surface, table, target->coordinateShift & 0xFF};
    return true;
}

void DrawModelPolygon(int n, const ts::Vector3F* points, const gfx::GFXTexCoord* tex,
                      const gfx::GFXBitmap* texture, std::uint32_t colour) {
    constexpr int kMostPoints = 16;
    constexpr int kCapacity = kMostPoints + 8;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    const auto* camera = dynamic_cast<const ts::TSPerspectiveCamera*>(ts::theCurrentCamera);
    if (camera == nullptr || target == nullptr || n < 3 || n > kMostPoints) return;
    const bool textured = tex != nullptr && texture != nullptr;
    EyeVertex a[kCapacity], b[kCapacity];
    for (int i = 0; i < n; ++i) {
        ts::Transform3F::TransformPoint(points[i], camera->GetModelToEye(), &a[i].p);
        if (textured) {
            a[i].u = tex[i].u;
            a[i].v = tex[i].v;
        }
    }
    // Clipped in eye space to the view (a little wider, so no edge shows at the border) and
    // at the near plane, so every corner projects inside the screen's coordinate range: far
    // corners of large polygons would overflow the rasterizer's fixed-point edges.
    const ts::CameraWindow& w = camera->GetViewport();
    const float d = camera->GetProjectionDistance();
    const float nearY = camera->GetNear();
    constexpr float kWide = 1.02f;
    int m = ClipPolygon(a, n, b, kCapacity, [&](const ts::Vector3F& p) { return p.y - nearY; });
    m = ClipPolygon(b, m, a, kCapacity,
                    [&](const ts::Vector3F& p) { return p.x * d - w.left * kWide * p.y; });
    m = ClipPolygon(a, m, b, kCapacity,
                    [&](const ts::Vector3F& p) { return w.right * kWide * p.y - p.x * d; });
    m = ClipPolygon(b, m, a, kCapacity,
                    [&](const ts::Vector3F& p) { return w.top * kWide * p.y - p.z * d; });
    m = ClipPolygon(a, m, b, kCapacity,
                    [&](const ts::Vector3F& p) { return p.z * d - w.bottom * kWide * p.y; });
    if (m < 3) return;
    m = std::min(m, static_cast<int>(ts::kMaxClipVertices));
    static ts::ScreenPoint screen[ts::kMaxClipVertices];
    static gfx::GFXTexCoord coords[ts::kMaxClipVertices];
    const ts::ScreenPoint* out[ts::kMaxClipVertices];
    const gfx::GFXTexCoord* outTex[ts::kMaxClipVertices];
    auto* projector = const_cast<ts::TSPerspectiveCamera*>(camera);
    for (int i = 0; i < m; ++i) {
        projector->ProjectPoint(b[i].p, &screen[i]);
        coords[i] = gfx::GFXTexCoord{b[i].u, b[i].v};
    }
    // The rasterizer fills corners given clockwise on the screen: these polygons show from
    // either side, so a counter-clockwise one is handed over the other way round.
    double area = 0.0;
    for (int i = 0; i < m; ++i) {
        const ts::ScreenPoint& p = screen[i];
        const ts::ScreenPoint& q = screen[(i + 1) % m];
        area += static_cast<double>(p.x) * q.y - static_cast<double>(q.x) * p.y;
    }
    for (int i = 0; i < m; ++i) {
        const int k = area >= 0.0 ? i : m - 1 - i;
        out[i] = &screen[k];
        outTex[i] = &coords[k];
    }
    gfx::GFXFaceMaterial mat;
    mat.colour = colour;
    if (textured) {
        mat.texture = texture;
        mat.textureFlags = 1;  // index 0 shows what lies behind
        gfx::DrawPolygonPerspective(*target, mat, m, out, outTex);
    } else {
        gfx::DrawPolygonSolid(*target, mat, m, out);
    }
}

std::uint8_t ShadeColour(const gfx::GFXPalette* palette, std::uint8_t colour, float intensity) {
    if (palette == nullptr || palette->shadeTable == nullptr || palette->shadeShift <= 0)
        return colour;
    const int levels = 1 << palette->shadeShift;
    const int i = std::clamp(static_cast<int>(intensity * static_cast<float>(levels - 1) + 0.5f),
                             0, levels - 1);
    return palette->shadeTable[(i << 8) | colour];
}

std::uint8_t FogColour(const gfx::GFXPalette* palette, std::uint8_t fallback) {
    if (palette == nullptr || palette->shadeTable == nullptr || palette->shadeShift <= 0)
        return fallback;
    // The brightest row of the thickest haze turns every colour into the haze colour.
    const int levels = 1 << palette->shadeShift;
    const int hazes = 1 << palette->shadeBits;
    const int row = (hazes - 1) * levels + (levels - 1);
    return palette->shadeTable[(row << 8) | fallback];
}

std::uint8_t NearestColour(const gfx::GFXPalette* palette, std::uint8_t r, std::uint8_t g,
                           std::uint8_t b, std::uint8_t fallback) {
    if (palette == nullptr) return fallback;
    const std::int32_t i = palette->FindNearest(std::uint32_t{r} | (std::uint32_t{g} << 8) |
                                                (std::uint32_t{b} << 16));
    return (i >= 0 && i < 256) ? static_cast<std::uint8_t>(i) : fallback;
}

}  // namespace world
