#include "world/runway_shape.h"

#include <algorithm>

#include "core/resource_volume.h"
#include "gfx/surface.h"
#include "ts/face_draw.h"
#include "ts/material.h"
#include "ts/mesh.h"
#include "ts/shape_resource.h"
#include "world/runway_lights.h"

namespace world {

namespace {

std::unique_ptr<ts::TSMaterialList> theMaterials;

}  // namespace

int LoadRunwayMaterials(core::ResourceVolume* art, const gfx::GFXPalette* palette, bool textured) {
    if (!theMaterials) {
        if (art == nullptr || art->IsOpen() == 0) return 0;
        core::VolumeStream* saved = ts::GetShapeResourceStream();
        ts::SetShapeResourceStream(art->GetStream());
        theMaterials.reset(ts::TSMaterialList::Load("runway.dml", palette, 1));
        ts::SetShapeResourceStream(saved);
        if (!theMaterials) return 0;
    }
    // The untextured set follows the textured one; a list of one set has only that.
    theMaterials->baseIndex =
        (!textured && theMaterials->setCount > 1) ? theMaterials->fnMaterials : 0;
    return 1;
}

void FreeRunwayMaterials() {
    if (theMaterials) theMaterials->ReleaseAll();
    theMaterials.reset();
}

ts::TSMaterialList* RunwayMaterials() {
    return theMaterials.get();
}

RunwayShape::RunwayShape(const RunwayRecord& record, int markingSetting, int lightingSetting)
    : geometry(record, markingSetting, lightingSetting),
      pavement(new ts::TSMesh()),
      hard((record.flags & 1) != 0) {
    ts::TSMesh& m = *pavement;
    m.vertices.reserve(geometry.vertices.size());
    for (const RunwayVertex& v : geometry.vertices)
        m.vertices.push_back(ts::TSMesh::Vertex{ts::Vector3F{v.x, v.y, v.z}, ts::Vector3F{0, 0, 1}});
    for (const RunwayTexCoord& t : geometry.texCoords)
        m.texCoords.push_back(ts::TSMesh::TexCoord{t.u, t.v});
    for (const RunwayFace& f : geometry.faces) {
        ts::TSMesh::Face face;
        // Seen from above, the renderer wants the corners the other way round from the
        // geometry's counter-clockwise order.
        for (int i = 0; i < 4; ++i) {
            face.v[i] = f.vertex[3 - i];
            face.t[i] = f.tex[3 - i];
        }
        face.centre = f.centre;
        face.material = f.material;
        m.faces.push_back(face);
    }
    // The box over the vertices, then the sphere round its centre that holds them all (the
    // camera's tests use it to clip the pavement at the near plane).
    m.fCenter = ts::Vector3F{};
    m.box.min = m.box.max = ts::Vector3F{};
    m.ComputeBounds();
    m.fCenter = ts::Vector3F{(m.box.min.x + m.box.max.x) * 0.5f, (m.box.min.y + m.box.max.y) * 0.5f,
                             (m.box.min.z + m.box.max.z) * 0.5f};
    float r = 0.0f;
    for (const ts::TSMesh::Vertex& v : m.vertices)
        r = std::max(r, ts::VectorLength(v.p - m.fCenter));
    m.fRadius = r;
    litBox = m.box;
    for (const auto* list : {&geometry.bothWays, &geometry.towardEnd1, &geometry.towardEnd2})
        for (const RunwayLight& l : *list)
            ts::GrowBox(litBox, ts::Vector3F{l.x, l.y, l.z});
}

RunwayShape::~RunwayShape() = default;

float RunwayShape::Radius() const {
    return pavement->fRadius;
}

ts::TSBox RunwayShape::Box() const {
    return pavement->box;
}

void RunwayShape::Render(int cullCode) {
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    if (target != nullptr && theMaterials) {
        // Far runways keep an outline in the pavement's colour so they do not vanish.
        ts::TSMaterialList* saved = target->materialList;
        target->materialList = theMaterials.get();
        const std::int32_t threshold = ts::theOutlineThreshold;
        const std::uint32_t colour = ts::theOutlineColour;
        ts::theOutlineThreshold = 50;
        ts::theOutlineColour = hard ? kHardRunwayOutline : kSoftRunwayOutline;
        pavement->Render(cullCode);
        ts::theOutlineThreshold = threshold;
        ts::theOutlineColour = colour;
        target->materialList = saved;
    }
    RenderRunwayLights(geometry);
}

}  // namespace world
