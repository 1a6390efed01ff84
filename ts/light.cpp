#include "ts/light.h"

#include <algorithm>
#include <cmath>

#include "core/numeric.h"
#include "ts/light_set.h"
#include "ts/unit_normals.h"

namespace ts {

namespace {

constexpr float kLightFullLight = 65535.0f;
// A point light nearer than this many object radii lights each vertex from its own direction.
constexpr float kNearRadii = 20.0f;

void Add(LightSum& sum, const float colour[3], float amount) {
    sum.r += colour[0] * amount;
    sum.g += colour[1] * amount;
    sum.b += colour[2] * amount;
}

// 1 / (c0 + c1 d + c2 d^2); a denominator that is not a positive finite number (all
// coefficients zero, say) gives full strength instead of a division by zero.
float Attenuation(const TSLight& light, float d) {
    const float den = light.c0 + light.c1 * d + light.c2 * d * d;
    if (!(den > 0.0f) || !std::isfinite(den)) return 1.0f;
    return 1.0f / den;
}

// ---- type 1: directional ----

void DirectionalPrepare(TSLight& light, const Vector3F& centre, float, const TSLightSet& set) {
    if (light.prepared == 0) {
        Transform3F::RotatePoint(light.worldDirection, set.GetWorldToModel(), &light.direction);
        light.prepared = 1;
    }
    Vector3F world;
    Transform3F::TransformPoint(centre, set.GetModelToWorld(), &world);
    light.intensity = light.MapFactorAt(world.x, world.y);
}

void DirectionalPoint(TSLight& light, const LightPoint& at, LightSum& sum) {
    const float i = -Dot(light.direction, at.normal);
    if (i >= 0.0f) Add(sum, light.colour, light.intensity * i * kLightFullLight);
}

void DirectionalPointWorld(TSLight& light, const LightPoint& at, LightSum& sum) {
    const float i = -Dot(light.worldDirection, at.normal);
    if (i >= 0.0f)
        Add(sum, light.colour, light.MapFactorAt(at.point.x, at.point.y) * i * kLightFullLight);
}

void DirectionalPlain(TSLight& light, const LightPoint&, LightSum& sum) {
    Add(sum, light.colour, kLightFullLight);
}

void DirectionalPlainWorld(TSLight& light, const LightPoint& at, LightSum& sum) {
    Add(sum, light.colour, light.MapFactorAt(at.point.x, at.point.y) * kLightFullLight);
}

// ---- type 2: point light ----

void PointPrepare(TSLight& light, const Vector3F& centre, float radius, const TSLightSet& set) {
    if (light.prepared == 0) {
        Transform3F::TransformPoint(light.worldPosition, set.GetWorldToModel(), &light.position);
        light.prepared = 1;
    }
    const Vector3F v = centre - light.position;
    const float d = VectorLength(v);
    if (!(d < light.range)) {
        light.state = TSLight::kStateOff;
    } else if (d < kNearRadii * radius || !(d > 0.0f)) {
        // Near (or at the centre, where there is no one direction): per vertex.
        light.state = TSLight::kStateNear;
    } else {
        light.state = TSLight::kStateFar;
        light.direction = v * (1.0f / d);
        light.attenuation = Attenuation(light, d);
    }
}

// Direction and attenuation from the light's position to one point; false when the point lies
// on the light (no direction) or, with a range check, beyond the light's reach.
bool TowardPoint(const TSLight& light, const Vector3F& from, const Vector3F& point,
                 bool checkRange, Vector3F* direction, float* attenuation) {
    const Vector3F v = point - from;
    const float d = VectorLength(v);
    if (!(d > 0.0f) || !std::isfinite(d)) return false;
    if (checkRange && !(d < light.range)) return false;
    *direction = v * (1.0f / d);
    *attenuation = Attenuation(light, d);
    return true;
}

void PointPoint(TSLight& light, const LightPoint& at, LightSum& sum) {
    if (light.state == TSLight::kStateOff) return;
    Vector3F direction = light.direction;
    float attenuation = light.attenuation;
    if (light.state == TSLight::kStateNear &&
        !TowardPoint(light, light.position, at.point, false, &direction, &attenuation))
        return;
    const float i = -Dot(direction, at.normal);
    if (i >= 0.0f) Add(sum, light.colour, attenuation * i * kLightFullLight);
}

void PointPointWorld(TSLight& light, const LightPoint& at, LightSum& sum) {
    Vector3F direction;
    float attenuation;
    if (!TowardPoint(light, light.worldPosition, at.point, true, &direction, &attenuation)) return;
    const float i = -Dot(direction, at.normal);
    if (i >= 0.0f) Add(sum, light.colour, attenuation * i * kLightFullLight);
}

void PointPlain(TSLight& light, const LightPoint& at, LightSum& sum) {
    if (light.state == TSLight::kStateOff) return;
    Vector3F direction;
    float attenuation = light.attenuation;
    if (light.state == TSLight::kStateNear &&
        !TowardPoint(light, light.position, at.point, false, &direction, &attenuation))
        return;
    Add(sum, light.colour, attenuation * kLightFullLight);
}

void PointPlainWorld(TSLight& light, const LightPoint& at, LightSum& sum) {
    Vector3F direction;
    float attenuation;
    if (!TowardPoint(light, light.worldPosition, at.point, true, &direction, &attenuation)) return;
    Add(sum, light.colour, attenuation * kLightFullLight);
}

std::int32_t Word(float v) {
    const std::int32_t i = FloatToInt(v);
    return std::min<std::int32_t>(i, 65535);
}

}  // namespace

gfx::GFXColourTriple LightingWords(const LightSum& sum) {
    return gfx::GFXColourTriple{Word(sum.r), Word(sum.g), Word(sum.b)};
}

TSLight::TSLight(std::uint32_t t) : type(t) {}

std::uint32_t TSLight::SelectLightingFunctions() {
    std::uint32_t result = type;
    if (type == kDirectional) {
        prepare = &DirectionalPrepare;
        lightPoint = &DirectionalPoint;
        lightPointWorld = &DirectionalPointWorld;
        lightPlain = &DirectionalPlain;
        lightPlainWorld = &DirectionalPlainWorld;
    } else if (type == kPoint) {
        prepare = &PointPrepare;
        lightPoint = &PointPoint;
        lightPointWorld = &PointPointWorld;
        lightPlain = &PointPlain;
        lightPlainWorld = &PointPlainWorld;
    } else {
        ClearLightingFunctions();
        result = 0;
    }
    on = 1;
    prepared = 0;
    intensity = 1.0f;
    return result;
}

void TSLight::ClearLightingFunctions() {
    on = 0;
    prepare = nullptr;
    lightPoint = lightPointWorld = lightPlain = lightPlainWorld = nullptr;
}

int TSLight::SetShadowMap(const std::uint8_t* pixels, std::size_t size, std::uint32_t mask,
                          std::uint32_t rowShift, float scale, float originX, float originY) {
    // The largest index the mask allows must lie inside the pixels.
    if (pixels == nullptr || rowShift > 24 || mask > 0xFFFFu) return 0;
    const std::uint64_t largest = (static_cast<std::uint64_t>(mask) << rowShift) + mask;
    if (largest >= size) return 0;
    mapPixels = pixels;
    mapMask = mask;
    mapRowShift = rowShift;
    mapScale = scale;
    mapOriginX = originX;
    mapOriginY = originY;
    return 1;
}

float TSLight::MapFactorAt(float x, float y) const {
    if (mapPixels == nullptr) return 1.0f;
    const auto ix = static_cast<std::uint32_t>(core::SaturateToInt32((x - mapOriginX) * mapScale)) &
                    mapMask;
    const auto iy = static_cast<std::uint32_t>(core::SaturateToInt32((y - mapOriginY) * mapScale)) &
                    mapMask;
    return static_cast<float>(mapPixels[(static_cast<std::size_t>(iy) << mapRowShift) + ix]) /
           255.0f;
}

int NearestNormal(const Vector3F& v) {
    int best = -1;
    float bestDistance = 10.0f;
    for (int i = 0; i < kUnitNormalCount; ++i) {
        const float d = VectorLength(v - theUnitNormals[i]);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

}  // namespace ts
