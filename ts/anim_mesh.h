// A triangle mesh whose vertex positions come in keyframes (whole copies of the vertex set, each
// with a duration) while texture coordinates and faces are shared. A vertex carries its normal
// as an index into the 256 unit normals. It draws from its current keyframe much as TSMesh
// draws, choosing faces by their winding on the screen, through its own face-draw table.
#pragma once

#include <cstdint>
#include <vector>

#include "ts/part_tree.h"

namespace ts {

class TSAnimMesh final : public TSPartBase {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 42);
    static constexpr std::int32_t kMaxVertices = 64500;

    struct Vertex {
        Vector3F p;
        std::int32_t normal = 0;  // 0..255
    };
    struct Keyframe {
        float duration = 0.0f;
        std::vector<Vertex> vertices;
    };
    struct TexCoord {
        float u = 0.0f;
        float v = 0.0f;
    };
    struct Face {
        std::int32_t v[3] = {};
        std::int32_t t[3] = {};
        std::int32_t material = 0;
        std::uint32_t word = 0;
    };

    void Render(int cullCode) override;
    void RemapMaterials(const std::uint32_t* table) override;
    // The box grows to hold every vertex of every keyframe.
    void ComputeBounds() override;

    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    [[nodiscard]] std::uint32_t getStoredSize() const override;
    [[nodiscard]] std::uint32_t getMemorySize() const override;
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    void SetKeyframe(std::int32_t index);
    [[nodiscard]] std::int32_t CurrentKeyframe() const { return current; }

    std::uint32_t versionWord = 1;  // kept as stored
    std::int32_t fnVertices = 0;  // per keyframe
    std::vector<Keyframe> keyframes;
    std::vector<TexCoord> texCoords;
    std::vector<Face> faces;

private:
    std::int32_t current = -1;
};

}  // namespace ts
