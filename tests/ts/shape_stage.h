// A stage for drawing shapes in the tests, set up as the program's frame sets up the world: an
// 8-bit memory surface with a palette, a draw target, the perspective camera (projection
// distance 128 behind a window of +-40 by +-30) placed at an eye, and a sun with the world's
// ambient light.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/endian.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "ts/light.h"
#include "ts/light_set.h"
#include "ts/perspective_camera.h"

namespace tstest {

class Stage {
public:
    Stage(int width, int height, gfx::GFXPalette* palette, float nearDistance = 1.0f)
        : surface(gfx::GFXMemSurface::Create(width, height, 8)),
          target(surface.get()),
          camera(ts::CameraRect{0, 0, width - 1, height - 1},
                 ts::CameraWindow{-40.0f, 30.0f * height / (width * 0.75f), 40.0f, -30.0f * height / (width * 0.75f)},
                 nearDistance, 128.0f) {
        // The software table unless a test put its own in.
        if (const gfx::GFXDrawTable* own = gfx::GFXMemSurface::SetDrawTable(&gfx::theSoftwareDrawTable))
            gfx::GFXMemSurface::SetDrawTable(own);
        surface->SetPalette(palette, 0, 256);
        sun.colour[0] = sun.colour[1] = sun.colour[2] = 1.0f;
        const float d[3] = {0.2f, 0.5f, -0.84f};
        const float n = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        sun.worldDirection = ts::Vector3F{d[0] / n, d[1] / n, d[2] / n};
        lights.AddLight(&sun);
        lights.SetBaseColour(0.3f * 65535, 0.3f * 65535, 0.3f * 65535);
    }
    ~Stage() {
        if (ts::theCurrentCamera == &camera) ts::theCurrentCamera = nullptr;
    }

    // The eye at a place with Euler angles (pitch, bank, heading), looking along its +y.
    void Look(ts::Vector3F eye, ts::Vector3F angles) {
        ts::Transform3F placement;
        ts::Matrix3F::SetEulerAngles(angles, &placement.matrix);
        placement.t = eye;
        ts::Transform3F worldToEye;
        ts::Transform3F::InvertRigid(placement, &worldToEye);
        camera.SetEyeTransform(worldToEye);
    }
    // The eye looking from a place at a point (no bank).
    void LookAt(ts::Vector3F eye, ts::Vector3F at) {
        const ts::Vector3F d = at - eye;
        const float heading = std::atan2(-d.x, d.y);
        const float pitch = std::atan2(d.z, std::sqrt(d.x * d.x + d.y * d.y));
        Look(eye, ts::Vector3F{pitch, 0.0f, heading});
    }

    void Begin(std::uint8_t clearColour = 0) {
        Clear(clearColour);
        target.Begin();
        camera.Activate();
        lights.Activate();
        camera.SetTransform(ts::Transform3F{});
    }
    void End() {
        lights.Deactivate();
        target.End();
    }
    void Clear(std::uint8_t colour) {
        gfx::GFXSurfaceLock lock(*surface);
        for (int y = 0; y < surface->height; ++y)
            for (int x = 0; x < surface->width; ++x)
                surface->pixels[y * surface->stride + x] = colour;
    }
    [[nodiscard]] std::uint8_t At(int x, int y) {
        gfx::GFXSurfaceLock lock(*surface);
        return surface->pixels[y * surface->stride + x];
    }
    [[nodiscard]] std::vector<std::uint8_t> Pixels() {
        gfx::GFXSurfaceLock lock(*surface);
        std::vector<std::uint8_t> out;
        for (int y = 0; y < surface->height; ++y)
            out.insert(out.end(), surface->pixels + y * surface->stride,
                       surface->pixels + y * surface->stride + surface->width);
        return out;
    }
    // An 8-bit BMP of the picture with the surface's palette.
    [[nodiscard]] std::string Bmp() {
        const int w = surface->width, h = surface->height, stride = (w + 3) & ~3;
        std::string b(54 + 1024 + static_cast<std::size_t>(stride * h), '\0');
        auto* p = reinterpret_cast<std::uint8_t*>(b.data());
        p[0] = 'B';
        p[1] = 'M';
        core::WriteU32(p + 2, static_cast<std::uint32_t>(b.size()));
        core::WriteU32(p + 10, 54 + 1024);
        core::WriteU32(p + 14, 40);
        core::WriteU32(p + 18, static_cast<std::uint32_t>(w));
        core::WriteU32(p + 22, static_cast<std::uint32_t>(h));
        core::WriteU16(p + 26, 1);
        core::WriteU16(p + 28, 8);
        core::WriteU32(p + 46, 256);
        const gfx::GFXPalette* pal = surface->palette;
        for (int i = 0; i < 256 && pal != nullptr; ++i) {
            p[54 + 4 * i] = pal->entries[i].blue;
            p[55 + 4 * i] = pal->entries[i].green;
            p[56 + 4 * i] = pal->entries[i].red;
        }
        const std::vector<std::uint8_t> px = Pixels();
        for (int y = 0; y < h; ++y)
            std::copy(px.begin() + y * w, px.begin() + (y + 1) * w, p + 54 + 1024 + (h - 1 - y) * stride);
        return b;
    }

    std::unique_ptr<gfx::GFXMemSurface> surface;
    gfx::GFXDrawTarget target;
    ts::TSPerspectiveCamera camera;
    ts::TSLight sun{ts::TSLight::kDirectional};
    ts::TSLightSet lights;
};

}  // namespace tstest
