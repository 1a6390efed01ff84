#include "ts/light_set.h"

#include "ts/perspective_camera.h"
#include "ts/unit_normals.h"

namespace ts {

TSLightSet* theActiveLightSet = nullptr;

TSLightSet::~TSLightSet() {
    if (theActiveLightSet == this) theActiveLightSet = nullptr;
}

int TSLightSet::AddLight(TSLight* light) {
    if (light == nullptr || count >= kMaxLights) return 0;
    lights[count++] = light;
    prepared = 0;
    return 1;
}

int TSLightSet::RemoveLight(TSLight* light) {
    for (int i = 0; i < count; ++i) {
        if (lights[i] != light) continue;
        lights[i] = lights[count - 1];
        lights[--count] = nullptr;
        prepared = 0;
        return 1;
    }
    return 0;
}

void TSLightSet::Activate() {
    for (LightSum& s : table)
        s = LightSum{};
    for (int i = 0; i < count; ++i)
        lights[i]->SelectLightingFunctions();
    CaptureCamera();
    theActiveLightSet = this;
}

void TSLightSet::Deactivate() {
    for (int i = 0; i < count; ++i)
        lights[i]->ClearLightingFunctions();
    theActiveLightSet = nullptr;
}

void TSLightSet::CaptureCamera() {
    prepared = 0;
    const TSCamera* camera = theCurrentCamera;
    if (camera == nullptr || !camera->IsPositionValid()) {
        cameraValid = 0;
        return;
    }
    modelToWorld = camera->GetModelToWorld();
    Transform3F::InvertRigid(modelToWorld, &worldToModel);
    for (int i = 0; i < count; ++i)
        lights[i]->prepared = 0;
    cameraValid = 1;
}

void TSLightSet::PrepareForObject(const Vector3F& centre, float radius) {
    for (int i = 0; i < count; ++i)
        if (lights[i]->prepare != nullptr) lights[i]->prepare(*lights[i], centre, radius, *this);
    prepared = 1;
}

void TSLightSet::LightPoints(const LightPoint& at, gfx::GFXColourTriple* out) const {
    LightSum sum{base[0], base[1], base[2]};
    for (int i = 0; i < count; ++i)
        if (lights[i]->lightPoint != nullptr) lights[i]->lightPoint(*lights[i], at, sum);
    *out = LightingWords(sum);
}

void TSLightSet::LightPointsAt(const Vector3F& point, int normalIndex,
                               gfx::GFXColourTriple* out) const {
    LightPoints(LightPoint{point, NormalByIndex(normalIndex)}, out);
}

void TSLightSet::LightPointsAlt(const LightPoint& at, gfx::GFXColourTriple* out) const {
    LightSum sum{base[0], base[1], base[2]};
    for (int i = 0; i < count; ++i)
        if (lights[i]->lightPointWorld != nullptr) lights[i]->lightPointWorld(*lights[i], at, sum);
    *out = LightingWords(sum);
}

}  // namespace ts
