#include "ts/sprite_parts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/numeric.h"
#include "gfx/surface.h"
#include "ts/face_draw.h"
#include "ts/material.h"
#include "ts/perspective_camera.h"

namespace ts {

void TSBitmapFramePart::ComputeBounds() {
    TSPartBase::ComputeBounds();
    box.min.x = fCenter.x - fRadius;
    box.max.x = fCenter.x + fRadius;
    box.min.y = fCenter.y - fRadius;
    box.max.y = fCenter.y + fRadius;
}

void TSBitmapFramePart::PictureCorners(float w, float h, Vector3F out[4]) const {
    const TSCamera* camera = theCurrentCamera;
    const Transform3F& toEye = camera->GetModelToEye();
    const Vector3F o = toEye.t;  // the object's origin in eye space
    float left = -static_cast<float>(xOffset) * scale;
    float right = (w - static_cast<float>(xOffset)) * scale;
    float bottom = -static_cast<float>(yOffset) * scale;
    float top = (h - static_cast<float>(yOffset)) * scale;
    float upX = 0.0f, upZ = 1.0f;
    if (squishAndRotate != 0) {
        // Seen from above the picture flattens, to half its height at 45 degrees and over.
        const Vector3F eye = camera->GetEyePosition();
        const float ground = std::max(std::sqrt(eye.x * eye.x + eye.y * eye.y), 1e-6f);
        const float a = std::fabs(std::atan2(eye.z, ground) * 2.0f / 3.14159265f);
        const float s = a <= 0.5f ? 1.0f - a : 0.5f;
        bottom *= s;
        top *= s;
        // Turned with the view's roll: its up follows the model's up seen in eye space.
        const float ux = toEye.matrix.m[6], uz = toEye.matrix.m[8];
        const float length = std::sqrt(ux * ux + uz * uz);
        if (length > 1e-6f) {
            upX = ux / length;
            upZ = uz / length;
        }
    }
    const float corner[4][2] = {{left, bottom}, {right, bottom}, {right, top}, {left, top}};
    for (int i = 0; i < 4; ++i) {
        const float dx = corner[i][0], dz = corner[i][1];
        out[i] = Vector3F{o.x + dx * upZ + dz * upX, o.y, o.z - dx * upX + dz * upZ};
    }
}

void TSBitmapFramePart::Render(int) {
    TSCamera* camera = theCurrentCamera;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    if (camera == nullptr || target == nullptr || target->materialList == nullptr) return;
    const TSMaterial* m = target->materialList->Lookup(mat);
    if (m == nullptr || m->type != TSMaterial::kTexture || !m->IsTextured()) return;
    camera->SelectPartTransform(*this);
    Vector3F centre;
    Transform3F::TransformPoint(fCenter, camera->GetModelToEye(), &centre);
    const float nearDistance = camera->GetNear();
    if (!(centre.y > nearDistance) || !(camera->GetModelToEye().t.y > nearDistance)) return;
    Vector3F corners[4];
    PictureCorners(static_cast<float>(m->texture->PixelWidth()),
                   static_cast<float>(m->texture->PixelHeight()), corners);
    // Clockwise on the screen, as the polygon routines fill: bottom left, top left, top right,
    // bottom right.
    static constexpr int kOrder[4] = {0, 3, 2, 1};
    static constexpr float kTex[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    ScreenPoint screen[4];
    gfx::GFXTexCoord tex[4];
    FaceCorners face;
    for (int i = 0; i < 4; ++i) {
        const int k = kOrder[i];
        camera->ProjectPoint(corners[k], &screen[i]);
        screen[i].z = FloatToInt(corners[k].y);
        tex[i] = m->Map(kTex[k][0], kTex[k][1]);
        face.points[i] = &screen[i];
        face.tex[i] = &tex[i];
    }
    CountFaceSubmitted();
    gfx::DrawQuadTextured(*target, m->FaceMaterial(), face.points, face.tex);
}

int TSBitmapFramePart::read(core::StreamIO& stream, std::uint32_t version) {
    if (TSPartBase::read(stream, version) == 0) return 0;
    std::int32_t fixedScale = 0;
    if (bytesLeft(stream) < 20 || !readI32(stream, &mat) || !readI32(stream, &xOffset) ||
        !readI32(stream, &yOffset) || !readI32(stream, &fixedScale) || !readU32(stream, &squishAndRotate))
        return 0;
    scale = static_cast<float>(fixedScale) / 65536.0f;
    return 1;
}

int TSBitmapFramePart::write(core::StreamIO& stream, std::uint32_t version) const {
    int ok = TSPartBase::write(stream, version);
    ok &= writeI32(stream, mat);
    ok &= writeI32(stream, xOffset);
    ok &= writeI32(stream, yOffset);
    ok &= writeI32(stream, core::ClampToInt32(static_cast<double>(scale) * 65536.0));
    ok &= writeU32(stream, squishAndRotate);
    return ok;
}

void TSBitmapFramePart::dump(int depth, int indent) const {
    TSPartBase::dump(depth, indent);
    if (depth <= 0) return;
    const int in = indent + 1;
    std::printf("%*cmat: %4d\n", in, ' ', mat);
    std::printf("%*cx-offset: %d, y-offset: %4d, scale: %4.2f\n", in, ' ', xOffset, yOffset,
                static_cast<double>(scale));
    std::printf("%*csquish & rotate? %c\n", in, ' ', squishAndRotate != 0 ? 'y' : 'n');
}

}  // namespace ts
