// A loadable 3D model and its placed copies. A TSShape is a part list whose children are meshes
// and other parts, with a table of animation sequence lengths and the material list of the
// ".dml" file beside it. A TSShapeInstance places one shape in the world (position and
// orientation), carries its own sequence values and optionally its own materials; it is what
// the world's renderers draw. Instances never own their shapes.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "ts/detail_parts.h"
#include "ts/part_tree.h"
#include "ts/perspective_camera.h"

namespace gfx {
class GFXPalette;
}

namespace ts {

class TSMaterialList;

class TSShape final : public TSPartList {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 101);
    static constexpr std::uint32_t kTagOld = PersistTag(kShapeGroup, 100);

    TSShape() = default;
    ~TSShape() override;

    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);
    static void SetPoolCapacity(std::int32_t count);

    // Loads a shape by file name: a name without an extension is tried with ".dt2", then
    // ".dts"; the material list comes from the same name with ".dml" and belongs to the shape.
    // Null when the shape is missing or damaged; a missing list leaves a shape that draws
    // nothing.
    static TSShape* Load(std::string_view name, const gfx::GFXPalette* palette);

    void Render(int cullCode) override;
    void RenderBoundingBox(int cullCode) override;
    void RenderPartBoxes(int cullCode);
    // The shape itself first, then its children's collections.
    std::uint32_t CollectParts(TSPartCollection& list) override;

    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    [[nodiscard]] std::uint32_t getStoredSize() const override;
    [[nodiscard]] std::uint32_t getMemorySize() const override;
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    // Takes a material list (owned when own is set; a list owned before is deleted).
    void SetMaterials(TSMaterialList* list, bool own);
    [[nodiscard]] TSMaterialList* GetMaterials() const { return materials; }
    [[nodiscard]] bool OwnsMaterials() const { return ownsMaterials != 0; }

    [[nodiscard]] std::int32_t SequenceCount() const { return static_cast<std::int32_t>(sequenceLengths.size()); }
    std::vector<std::int32_t> sequenceLengths;

private:
    friend class TSShapeInstance;
    // Steps 1, 2 and 4 of drawing: the test, and the 2D clipping left off when the shape lies
    // within the side planes. Returns false when nothing is to be drawn.
    bool Begin(int* cullCode, std::uint32_t* keptFlags);
    void End(std::uint32_t keptFlags, int cullCode);

    TSMaterialList* materials = nullptr;
    std::uint32_t ownsMaterials = 0;
};

// The two parts that met, first instance's part first.
struct TSCollision {
    TSPartBase* first = nullptr;
    TSPartBase* second = nullptr;
};

class TSShapeInstance final : public TSRenderItem {
public:
    explicit TSShapeInstance(TSShape* shape);
    ~TSShapeInstance() override;
    TSShapeInstance(const TSShapeInstance&) = delete;
    TSShapeInstance& operator=(const TSShapeInstance&) = delete;

    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);

    void Render(int cullCode) override;
    void RemapMaterials(const std::uint32_t*) override {}
    void RenderBoundingBox(int cullCode);
    void RenderPartBoxes(int cullCode);
    // The parts the instance shows now, the shape first; the list's count starts at 0.
    std::uint32_t CollectParts(TSPartCollection& list);

    void SetPosition(const Vector3F& position);
    // Euler angles in radians (pitch, bank, heading).
    void SetRotation(const Vector3F& angles);
    void SetMaterialOverride(TSMaterialList* list) { materialOverride = list; }
    [[nodiscard]] const Transform3F& GetTransform();

    [[nodiscard]] TSShape* GetShape() const { return shape; }
    // Null when the shape has no sequences.
    [[nodiscard]] TSSequenceState* GetSequenceState() const { return sequences.get(); }
    [[nodiscard]] bool IsPlaced() const { return placed != 0; }

private:
    // Steps 1 and 3: the sequence state made current, the placement made the camera's.
    void Enter();

    TSShape* shape;
    std::unique_ptr<TSSequenceState> sequences;
    TSMaterialList* materialOverride = nullptr;
    TSContext placement;
    std::uint32_t placed = 0;
};

// Whether two placed instances touch: their shapes' spheres and boxes first, then every part of
// the first against every part of the second. 1 with the two parts in the result, else 0.
int CollideInstances(TSShapeInstance& first, const Transform3F& firstToWorld, TSShapeInstance& second,
                     const Transform3F& secondToWorld, TSCollision* result);

}  // namespace ts
