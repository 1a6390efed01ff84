#include "world/runway_lights.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "ts/perspective_camera.h"
#include "world/runway_geometry.h"
#include "world/scene_draw.h"
#include "world/scenery_services.h"

namespace world {

namespace {

constexpr int kImages = 4;  // green, amber, red, white
constexpr int kMostFrames = 8;
const char* const kImageNames[kImages] = {"grnlght.pft", "amblght.pft", "redlght.pft",
                                          "whtlght.pft"};
std::array<std::unique_ptr<gfx::GFXFont>, kImages> theImages;
// Plane normals of the angle-coded lights, codes 1..10.
std::array<ts::Vector3F, 11> theNormals;

constexpr float kSizeFactors[6] = {0.05f, 4000.0f, 20000.0f, 100000.0f, 500000.0f, 2500000.0f};
int theMode = 3;
float theSizeFactor = 100000.0f;

bool UsableImage(const gfx::GFXFont* f) {
    if (f == nullptr || f->count <= 0) return false;
    for (int i = 0; i < f->count; ++i) {
        const auto& b = f->bitmaps[static_cast<std::size_t>(i)];
        if (!b || b->bitsPerPixel != 8 || b->width > 64 || b->height > 64) return false;
    }
    return true;
}

}  // namespace

void InitRunwayShapes(core::ResourceVolume* art) {
    for (int code = 1; code <= 10; ++code) {
        const double a = GlideSlopeAngle(code) * 3.14159265358979323846 / 180.0;
        // Odd codes face aircraft approaching end 1, from the -y side: the plane rises toward
        // them, its normal leaning along +y.
        const float s = static_cast<float>(std::sin(a)) * ((code % 2) == 1 ? 1.0f : -1.0f);
        theNormals[static_cast<std::size_t>(code)] =
            ts::Vector3F{0.0f, s, static_cast<float>(std::cos(a))};
    }
    for (int i = 0; i < kImages; ++i) {
        std::unique_ptr<gfx::GFXFont> f = art != nullptr ? art->LoadFont(kImageNames[i]) : nullptr;
        if (!UsableImage(f.get())) f.reset();
        if (f)
            for (auto& b : f->bitmaps)
                b->flags = (b->flags & ~gfx::kBitmapModeMask) | gfx::kBitmapTransparent;
        theImages[static_cast<std::size_t>(i)] = std::move(f);
    }
}

void ShutdownRunwayShapes() {
    for (auto& f : theImages)
        f.reset();
}

const gfx::GFXFont* RunwayLightImage(std::uint16_t code) {
    if (code < kLightGreen || code > kLightWhite) return nullptr;
    return theImages[static_cast<std::size_t>(code - kLightGreen)].get();
}

void SetRunwayLightMode(int mode) {
    if (mode < 0 || mode > 5) mode = 3;
    theMode = mode;
    theSizeFactor = kSizeFactors[mode];
}

void CycleRunwayDebugMode() {
    SetRunwayLightMode(theMode >= 0 && theMode < 5 ? theMode + 1 : (theMode == 5 ? 0 : 3));
}

int RunwayLightMode() {
    return theMode;
}

float RunwayLightSizeFactor() {
    return theSizeFactor;
}

int RunwayLightFrame(float scale) {
    if (!(scale > 0.0f)) return 0;
    return std::clamp(static_cast<int>(scale * (kMostFrames - 1) + 0.5f), 0, kMostFrames - 1);
}

namespace {

int DrawList(const std::vector<RunwayLight>& list, ts::TSCamera& camera,
             const gfx::GFXDrawTable& table, gfx::GFXSurface* surface, int shift) {
    const ts::Vector3F eye = camera.GetEyePosition();
    const std::uint32_t running = RunwayLightMask();
    int drawn = 0;
    for (const RunwayLight& l : list) {
        const std::uint16_t code = l.Code();
        if (code < 1 || (code > kLightFlasher && code < kLightGreen) || code > kLightWhite) continue;
        if (!IsLightOn(l.Mask(), running)) continue;
        const ts::Vector3F p{l.x, l.y, l.z};
        const ts::Vector3F v{eye.x - p.x, eye.y - p.y, eye.z - p.z};
        const float d2 = v.x * v.x + v.y * v.y + v.z * v.z;
        if (d2 > 10000000000.0f) continue;
        ts::Vector3F e;
        ts::Transform3F::TransformPoint(p, camera.GetModelToEye(), &e);
        if (e.y <= camera.GetNear()) continue;  // behind the eye
        std::uint16_t image = code;
        float scale = d2 > 0.0f ? std::min(theSizeFactor / d2, 1.0f) : 1.0f;
        if (code == kLightFlasher) {
            scale *= 50.0f;
            image = kLightWhite;
        } else if (code <= 10) {
            // Seen only from its approach, white above its plane and red below.
            const float distance = std::sqrt(d2);
            const float along = (code % 2) == 1 ? -v.y : v.y;
            if (along < 0.5f * distance) continue;
            const ts::Vector3F& n = theNormals[code];
            image = ts::Dot(n, v) >= 0.0f ? kLightWhite : kLightRed;
        }
        const gfx::GFXFont* font = RunwayLightImage(image);
        if (font == nullptr) continue;
        const int frame = std::min(RunwayLightFrame(scale), font->count - 1);
        const gfx::GFXBitmap* b = font->bitmaps[static_cast<std::size_t>(frame)].get();
        ts::ScreenPoint s;
        camera.ProjectPoint(e, &s);
        const gfx::GFXPoint at{(s.x >> shift) - b->width / 2, (s.y >> shift) - b->height / 2};
        table.DrawBitmap(surface, b, at, 0);
        ++drawn;
    }
    return drawn;
}

}  // namespace

int RenderRunwayLights(const RunwayGeometry& g) {
    if (theMode == 0 || theSceneryServices.isFullDaylight() != 0) return 0;
    FrameTarget f;
    if (!CurrentFrameTarget(&f)) return 0;
    ts::TSCamera* camera = f.camera;
    int drawn = DrawList(g.bothWays, *camera, *f.table, f.surface, f.shift);
    // The runway's axis seen from the camera: looking toward end 2, the lights that face
    // aircraft approaching end 1.
    ts::Vector3F axis;
    ts::Transform3F::RotatePoint(ts::Vector3F{0.0f, 1.0f, 0.0f}, camera->GetModelToEye(), &axis);
    drawn += DrawList(axis.y >= 0.0f ? g.towardEnd2 : g.towardEnd1, *camera, *f.table, f.surface,
                      f.shift);
    return drawn;
}

}  // namespace world
