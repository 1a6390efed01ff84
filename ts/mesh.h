// The part that carries geometry: vertices with normals, texture coordinates and faces
// (triangles and quadrilaterals), each face filled with a material of the current material
// list. Drawing a mesh culls it against the camera, selects the faces that face the viewer,
// lights and projects only the vertices those faces use (each once), clips faces at the near
// plane when the mesh crosses it, and hands every face to its material's face-draw routine.
// The working storage is static and reused: nothing is allocated while drawing.
#pragma once

#include <cstdint>
#include <vector>

#include "ts/part_tree.h"

namespace ts {

class TSMesh final : public TSPartBase {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 43);
    static constexpr std::uint32_t kTagVersion0 = PersistTag(kShapeGroup, 40);
    // Limits of the renderer's working storage, and so of the format.
    static constexpr std::int32_t kMaxVertices = 3000;
    static constexpr std::int32_t kMaxVisibleFaces = 1500;

    struct Vertex {
        Vector3F p;
        Vector3F n;
    };
    struct TexCoord {
        float u = 0.0f;
        float v = 0.0f;
    };
    // A triangle repeats its third vertex index as the fourth. centre names a vertex on the
    // face whose normal is the face's (the facing test and flat shading use it).
    struct Face {
        std::int32_t v[4] = {};
        std::int32_t t[4] = {};
        std::int32_t centre = 0;
        std::int32_t material = 0;
        std::uint32_t words[2] = {};
        [[nodiscard]] bool IsTriangle() const { return v[2] == v[3]; }
    };

    TSMesh() = default;

    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);
    static void SetPoolCapacity(std::int32_t count);

    void Render(int cullCode) override;
    void RemapMaterials(const std::uint32_t* table) override;
    void ComputeBounds() override;

    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    [[nodiscard]] std::uint32_t getStoredSize() const override;
    [[nodiscard]] std::uint32_t getMemorySize() const override;
    // Counts and every index are checked: a mesh past the limits or with an index outside its
    // arrays is refused.
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    std::vector<Vertex> vertices;
    std::vector<TexCoord> texCoords;
    std::vector<Face> faces;

private:
    [[nodiscard]] bool IndicesValid() const;
};

}  // namespace ts
