// The lights of a scene and the kernels that light points with them. A light's first operation
// picks the five kernels of its type for the frame: type 1 is directional (the sun) with an
// optional shadow map, type 2 a point light with a range and attenuation. The light set calls
// the kernels for every lit vertex and adds what each light gives into a running colour sum.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfx/surface_types.h"
#include "ts/maths.h"

namespace ts {

class TSLight;
class TSLightSet;

// The running colour sum of one point, in lighting-word units (65535 = full light).
struct LightSum {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

// What a kernel lights: a point and its unit normal (kernels without a normal use the point).
struct LightPoint {
    Vector3F point;
    Vector3F normal;
};

using LightPrepareKernel = void (*)(TSLight& light, const Vector3F& centre, float radius,
                                    const TSLightSet& set);
using LightKernel = void (*)(TSLight& light, const LightPoint& at, LightSum& sum);

// Each channel rounded to the nearest integer; 65535 or more becomes 65535 (no lower limit).
[[nodiscard]] gfx::GFXColourTriple LightingWords(const LightSum& sum);

class TSLight {
public:
    enum Type : std::uint32_t { kDirectional = 1, kPoint = 2 };
    enum State : std::uint32_t { kStateOff = 0, kStateNear = 1, kStateFar = 2 };

    explicit TSLight(std::uint32_t type = kDirectional);
    virtual ~TSLight() = default;

    // Installs the five kernels of the light's type, or clears them (any other type: 0); then
    // marks the light on, not yet prepared, with intensity 1. Returns the type or 0.
    virtual std::uint32_t SelectLightingFunctions();
    // Clears the kernels and the on word (the light set's deactivation).
    void ClearLightingFunctions();

    // An 8-bit map of the light's reach over the ground (255 full): the pixel at
    // ((y - originY) * scale & mask) << rowShift plus ((x - originX) * scale & mask). 0 when
    // the pixels could not hold every index the mask allows (the map is then not set).
    int SetShadowMap(const std::uint8_t* pixels, std::size_t size, std::uint32_t mask,
                     std::uint32_t rowShift, float scale, float originX, float originY);
    void ClearShadowMap() { mapPixels = nullptr; }
    [[nodiscard]] float MapFactorAt(float x, float y) const;

    std::uint32_t type;
    std::uint32_t on = 0;        // set by SelectLightingFunctions, cleared on deactivation
    std::uint32_t prepared = 0;  // object-space terms are current; cleared with every camera
    LightPrepareKernel prepare = nullptr;
    LightKernel lightPoint = nullptr;       // point with normal, object space
    LightKernel lightPointWorld = nullptr;  // point with normal, world space
    LightKernel lightPlain = nullptr;       // point without normal, object space
    LightKernel lightPlainWorld = nullptr;  // point without normal, world space

    float colour[3] = {0.8f, 0.8f, 0.8f};
    Vector3F direction;  // working direction (object space)
    float intensity = 1.0f;
    std::uint32_t state = kStateOff;
    float attenuation = 1.0f;
    Vector3F position;  // object space
    float c0 = 1.0f, c1 = 0.0f, c2 = 0.0f;
    float range = 0.0f;
    Vector3F worldPosition;
    Vector3F worldDirection{0.0f, 0.0f, -1.0f};

private:
    const std::uint8_t* mapPixels = nullptr;
    std::uint32_t mapMask = 0;
    std::uint32_t mapRowShift = 0;
    float mapScale = 1.0f;
    float mapOriginX = 0.0f;
    float mapOriginY = 0.0f;
};

}  // namespace ts
