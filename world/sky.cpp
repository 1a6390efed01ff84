#include "world/sky.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/palette.h"
#include "gfx/raster/poly_request.h"
#include "gfx/surface.h"
#include "ts/perspective_camera.h"
#include "ts/point_array.h"
#include "world/scene_draw.h"
#include "world/scenery_services.h"

namespace world {

namespace {

bool theSkyMatrixStale = true;

// The camera's eye position in the world (the inverse of its world-to-eye transform).
ts::Vector3F EyeInWorld(const ts::TSCamera& camera) {
    ts::Transform3F inverse;
    ts::Transform3F::InvertRigid(camera.GetEyeTransform(), &inverse);
    return inverse.t;
}

}  // namespace

void InvalidateSkyMatrix() {
    theSkyMatrixStale = true;
}

// ---- SkyDome --------------------------------------------------------------------------------

SkyDome::SkyDome(core::ResourceVolume* volume) : art(volume) {}

SkyDome::~SkyDome() = default;

const char* SkyDome::BitmapName(int coverClass) {
    switch (coverClass) {
        case 1:
            return "hzd-cld.bmp";
        case 2:
            return "hz-cld.bmp";
        default:
            return "hzc-cld.bmp";
    }
}

void SkyDome::SetCloudiness(int cls) {
    cls = std::clamp(cls, 0, 2);
    if (cls == coverClass) return;
    coverClass = cls;
    bitmap.reset();
    if (art == nullptr) return;
    bitmap = art->LoadBitmap(BitmapName(cls), 0);
    // Texture coordinates address 256 x 256 texels: any other size is not drawn.
    if (bitmap && (bitmap->width != 256 || bitmap->height != 256 || bitmap->bitsPerPixel != 8))
        bitmap.reset();
}

void SkyDome::Render(const float /*eye*/[3]) const {
    if (!bitmap) return;
    constexpr double kStep = std::numbers::pi / 8.0;  // 22.5 degrees
    // The band runs from a little below the horizon (vertical offset -0.1 of its height) to
    // about ten degrees above it.
    constexpr float kTop = kRadius * 0.18f;
    constexpr float kBottom = -0.1f * kTop;
    static const gfx::GFXTexCoord kQuarters[4] = {{0.0f, 0.0f}, {0.5f, 0.0f}, {0.0f, 0.5f},
                                                  {0.5f, 0.5f}};
    // The band's corners round the eye, the same in every frame: made once.
    struct Corner {
        float x, y;
    };
    static const std::array<Corner, kSegments + 1> kCorners = [] {
        std::array<Corner, kSegments + 1> c{};
        for (int i = 0; i <= kSegments; ++i) {
            // The first segment starts 22.5 degrees before the start angle.
            const double a = (i - 1) * kStep;
            c[static_cast<std::size_t>(i)] = Corner{kRadius * static_cast<float>(std::sin(a)),
                                                    kRadius * static_cast<float>(std::cos(a))};
        }
        return c;
    }();
    for (int s = 0; s < kSegments; ++s) {
        const auto [x0, y0] = kCorners[static_cast<std::size_t>(s)];
        const auto [x1, y1] = kCorners[static_cast<std::size_t>(s) + 1];
        const ts::Vector3F quad[4] = {{x0, y0, kTop}, {x1, y1, kTop}, {x1, y1, kBottom},
                                      {x0, y0, kBottom}};
        const gfx::GFXTexCoord q = kQuarters[s % 4];
        const float e = 0.499f;  // stay inside the quarter
        const gfx::GFXTexCoord tex[4] = {
            {q.u, q.v}, {q.u + e, q.v}, {q.u + e, q.v + e}, {q.u, q.v + e}};
        DrawModelPolygon(4, quad, tex, bitmap.get(), 0);
    }
}

// ---- Sky ------------------------------------------------------------------------------------

Sky::Sky(core::ResourceVolume* celestialArt, core::ResourceVolume* weatherArt)
    : sun(std::make_unique<Sun>(celestialArt)),
      moon(std::make_unique<Moon>(celestialArt)),
      dome(weatherArt) {
    dome.SetCloudiness(0);
    SyncToSimTime();
}

Sky::~Sky() {
    RemoveStars();
}

void Sky::SyncToSimTime() {
    ZuluDateTime z;
    theSceneryServices.zuluDateTime(&z);
    const JulianDay day(z.month + 1, z.day, z.year + 1900);
    TimeOfDayMs time;
    // A calendar record out of its ranges carries into the day.
    const std::int32_t carried = time.Set(z.hour, z.minute, z.second, 0);
    SetSkyTime(theSceneryServices.latitude(), theSceneryServices.longitude(),
               JulianDay(day.Value() + carried), time.Milliseconds());
    fullUpdate = true;
}

void Sky::PlaceForObserver(const float position[3]) {
    SyncToSimTime();
    AdvanceSky(false, true, 0.0, position);
    for (int i = 0; i < 3; ++i)
        observer[i] = position[i];
    elapsed = 0.0f;
    fullUpdate = false;
}

void Sky::UpdateLighting(bool force) {
    const float light = sun->GetLight();
    if (light == sunLight && !force) return;
    sunLight = light;
    if (sun->IsBelowHorizon() && theSceneryServices.graphicsSetting(kEnableStars) != 0)
        CreateStars();
    else
        RemoveStars();
    // The moon's night picture goes with the stars it is now drawn among: set before them, the
    // flag would lag one light change behind, and at night the light stops changing.
    moon->SetNight(!stars.empty());
    theSceneryServices.setSunDirection(sun->GetLightDirection());
}

float Sky::GetAmbientLight() const {
    return std::min(1.0f, sun->GetLight() + 0.2f * moon->GetLight() + 0.05f);
}

void Sky::ApplyGraphicsSettings() {
    if (theSceneryServices.graphicsSetting(kEnableStars) != 0 && sun->IsBelowHorizon())
        CreateStars();
    else
        RemoveStars();
    moon->SetNight(!stars.empty());
    sun->enabled = theSceneryServices.graphicsSetting(kEnableSun) != 0;
    moon->enabled = theSceneryServices.graphicsSetting(kEnableMoon) != 0;
}

void Sky::CreateStars() {
    if (!stars.empty()) return;
    stars.reserve(kStarCount);
    for (int i = 0; i < kStarCount; ++i)
        stars.push_back(std::make_unique<Star>());
}

void Sky::RemoveStars() {
    stars.clear();
}

void Sky::RenderBodies() {
    FrameTarget f;
    if (!CurrentFrameTarget(&f)) return;
    ts::TSCamera* camera = f.camera;
    gfx::GFXSurface* surface = f.surface;
    const gfx::GFXDrawTable* table = f.table;
    const int shift = f.shift;
    for (const CelestialObject* body : CelestialObjects()) {
        if (!body->enabled) continue;
        const float* d = body->DrawPosition();
        ts::Vector3F eye;
        ts::Transform3F::RotatePoint(ts::Vector3F{d[0], d[1], d[2]}, camera->GetEyeTransform(),
                                     &eye);
        if (eye.y <= camera->GetNear() * 0.01f) continue;  // behind the eye
        ts::ScreenPoint p;
        camera->ProjectPoint(eye, &p);
        const std::int32_t x = p.x >> shift, y = p.y >> shift;
        if (body->bitmap != nullptr) {
            // Drawn at its own size times half the body's size: a size of 2 is the bitmap as
            // painted.
            const float scale = -body->bitmapScale * 0.5f;
            const gfx::GFXSize size{static_cast<std::int32_t>(body->bitmap->width * scale),
                                    static_cast<std::int32_t>(body->bitmap->height * scale)};
            if (size.w <= 0 || size.h <= 0) continue;
            table->DrawBitmapScaled(surface, body->bitmap,
                                    gfx::GFXPoint{x - size.w / 2, y - size.h / 2}, size,
                                    0);
        } else if (body->sizeClass > 0 && body->refCount < 1) {
            // A star: a dot of its size class, one to three pixels on a side. A filled
            // rectangle is empty when it is one pixel wide, so the faintest are single pixels.
            const std::int32_t r = body->sizeClass - 1;
            if (r == 0) {
                table->DrawPixel(surface, gfx::GFXPoint{x, y}, body->colour);
            } else {
                table->FillRectangle(surface, gfx::GFXRect{x - r / 2, y - r / 2, x + (r + 1) / 2,
                                                           y + (r + 1) / 2},
                                     body->colour);
            }
        }
    }
}

void Sky::Render(bool alternative) {
    UpdateLighting(false);
    FrameTarget f;
    if (!CurrentFrameTarget(&f)) return;
    ts::TSCamera* camera = f.camera;
    const int bottom = std::clamp(theSceneryServices.viewportBottom(), 0, 479);
    const std::uint8_t skyColour = alternative ? kAlternativeSkyColour : kSkyColour;
    f.table->FillRectangle(f.surface, gfx::GFXRect{0, 0, 639, bottom}, skyColour);
    // Everything here lies round the eye: the bodies, the planes and the band move with it.
    const ts::Vector3F eye = EyeInWorld(*camera);
    ts::Transform3F atEye;
    atEye.t = eye;
    camera->SetTransform(atEye);
    theSkyMatrixStale = false;

    RenderBodies();
    if (theSceneryServices.graphicsSetting(kSkyTexture) != 0) {
        // The ground plane: the ground beyond the terrain's range, as far off as the haze is
        // thick, so it takes the colour the terrain fades to at its end. A cone round the eye:
        // its rim lies as wide as the dome a little below the eye (0.03 degree down, so it
        // meets the horizon), its apex straight below; every part of it lies far beyond the
        // near plane, so it fills the view below the horizon whatever the pitch, and its
        // corners still project within the screen coordinates' range.
        constexpr int kSides = 16;
        constexpr float kFar = SkyDome::kRadius;
        const gfx::GFXPalette* palette = f.surface->palette;
        const std::uint8_t* hazed =
            palette != nullptr ? palette->ShadeRowsFrom(~std::uint64_t{0}) : nullptr;
        const std::uint32_t ground = hazed != nullptr ? hazed[kGroundColour] : kGroundColour;
        // Its rim, the same in every frame: made once.
        static const std::array<ts::Vector3F, kSides + 1> kRim = [] {
            std::array<ts::Vector3F, kSides + 1> r{};
            for (int i = 0; i <= kSides; ++i) {
                const double a = i * 2.0 * std::numbers::pi / kSides;
                r[static_cast<std::size_t>(i)] = ts::Vector3F{
                    kFar * static_cast<float>(std::cos(a)), kFar * static_cast<float>(std::sin(a)),
                    -25.0f};
            }
            return r;
        }();
        for (std::size_t i = 0; i < kSides; ++i) {
            const ts::Vector3F side[3] = {kRim[i], kRim[i + 1], {0.0f, 0.0f, -kFar}};
            DrawModelPolygon(3, side, nullptr, nullptr, ground);
        }
        const float e[3] = {eye.x, eye.y, eye.z};
        dome.Render(e);
    }
    camera->SetTransform(ts::Transform3F{});
}

}  // namespace world
