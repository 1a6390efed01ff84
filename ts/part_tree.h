// A shape is a tree of parts. TSRenderItem is the root of everything the renderer draws;
// TSPartBase adds what every part has (transform index, id, bounding sphere and box) and the
// persistent face; TSPartList holds an ordered array of child parts and owns them. Shapes, detail
// and animation parts and BSP lists derive from TSPartList; meshes, sprites and null parts from
// TSPartBase.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "ts/class_item.h"
#include "ts/maths.h"

namespace ts {

class TSPartBase;

class TSRenderItem {
public:
    virtual ~TSRenderItem() = default;
    // Draws with the cull code of the parent (CullCode).
    virtual void Render(int cullCode) = 0;
    virtual void RemapMaterials(const std::uint32_t* table);
};

// A fixed-capacity list of parts that CollectParts fills; it stops adding when full.
struct TSPartCollection {
    std::uint32_t count = 0;
    std::uint32_t capacity = 0;
    TSPartBase** parts = nullptr;
    bool Add(TSPartBase* p) {
        if (count >= capacity || parts == nullptr) return false;
        parts[count++] = p;
        return true;
    }
};

struct TSSphere {
    Vector3F centre;
    float radius = 0.0f;
};
struct TSSegment {
    Vector3F start;
    Vector3F end;
};
struct TSBox {
    Vector3F min;
    Vector3F max;
};

// Widens the box to hold the point.
inline void GrowBox(TSBox& box, const Vector3F& p) {
    box.min =
        Vector3F{std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z)};
    box.max =
        Vector3F{std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z)};
}

// Where the last passing segment or box-edge test crossed: the segment parameter and the point.
struct TSHitResult {
    float t = 0.0f;
    Vector3F point;
};
extern TSHitResult theLastHit;

class TSPartBase : public TSRenderItem, public ClassItem {
public:
    static constexpr std::uint32_t kStoredSize = 24;
    static constexpr std::uint32_t kMemorySize = 56;
    // Transform indices run from -1 (the object's own placement) to 49.
    static constexpr std::int32_t kMaxTransformIndex = 49;

    TSPartBase() = default;

    void RemapMaterials(const std::uint32_t* table) override;
    [[nodiscard]] virtual TSPartBase* FindPart(std::int32_t id);
    [[nodiscard]] virtual std::unique_ptr<TSPartBase>* FindPartSlot(std::int32_t id);
    virtual void ComputeBounds();
    virtual void RenderBoundingBox(int onlyWhenVisible);
    virtual std::uint32_t CollectParts(TSPartCollection& list);
    // The other part, given in its own frame, which the transform carries into this part's.
    virtual int Collide(const Transform3F& transform, const TSPartBase& other);
    virtual int IntersectSegment(const Transform3F& transform, const TSSegment& segment);
    virtual int CollideDetail(const Transform3F& transform, const TSBox& box);
    virtual int OverlapsSphere(const Transform3F& transform, const TSSphere& sphere);

    [[nodiscard]] std::uint32_t getPersistTag() const override { return 0; }
    [[nodiscard]] std::uint32_t getStoredSize() const override { return kStoredSize; }
    [[nodiscard]] std::uint32_t getMemorySize() const override { return kMemorySize; }
    // Version 0 stores the radius and centre as integers, later versions as floats.
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    // The box's outcode of a point: 1 x < min, 2 x > max, 4 and 8 for y, 16 and 32 for z.
    [[nodiscard]] std::uint32_t Outcode(const Vector3F& p) const;

    std::int32_t fTransform = -1;
    std::int32_t fIDnumber = 0;
    float fRadius = 0.0f;
    Vector3F fCenter;
    TSBox box;

protected:
    // The segment from a (with outcode code) to b against the box, faces chosen by a's code.
    int SegmentAgainstBox(const Vector3F& a, std::uint32_t codeA, const Vector3F& b);
};

class TSPartList : public TSPartBase {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 60);

    TSPartList() = default;

    void Render(int cullCode) override;
    void RemapMaterials(const std::uint32_t* table) override;
    TSPartBase* FindPart(std::int32_t id) override;
    std::unique_ptr<TSPartBase>* FindPartSlot(std::int32_t id) override;
    void ComputeBounds() override;
    void RenderBoundingBox(int onlyWhenVisible) override;
    std::uint32_t CollectParts(TSPartCollection& list) override;

    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    // 0 when any child's is 0 or a child is missing.
    [[nodiscard]] std::uint32_t getStoredSize() const override;
    [[nodiscard]] std::uint32_t getMemorySize() const override;
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    [[nodiscard]] std::int32_t PartCount() const { return static_cast<std::int32_t>(parts.size()); }
    [[nodiscard]] TSPartBase* Part(int i) const {
        return (i >= 0 && i < PartCount()) ? parts[static_cast<std::size_t>(i)].get() : nullptr;
    }
    void AddPart(std::unique_ptr<TSPartBase> part) { parts.push_back(std::move(part)); }

protected:
    // Children; an entry is null when its child could not be made.
    std::vector<std::unique_ptr<TSPartBase>> parts;
};

}  // namespace ts
