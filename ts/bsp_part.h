// A part list whose children are drawn back to front for the current viewpoint by walking a
// binary space partition tree of planes, so that a shape made of several convex pieces draws
// correctly without a depth buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "ts/part_tree.h"

namespace ts {

class TSBSPPart final : public TSPartList {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 71);
    static constexpr std::uint32_t kTagVersion0 = PersistTag(kShapeGroup, 70);

    // A reference: bit 31 nothing, bit 30 child part (low 30 bits), else a node number.
    static constexpr std::uint32_t kNothing = 0x80000000u;
    static constexpr std::uint32_t kPart = 0x40000000u;

    struct Node {
        Vector3F normal;
        float coeff = 0.0f;
        std::uint32_t front = kNothing;  // drawn last when the viewer is on the plane's front
        std::uint32_t back = kNothing;
    };

    void Render(int cullCode) override;

    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    [[nodiscard]] std::uint32_t getStoredSize() const override;
    [[nodiscard]] std::uint32_t getMemorySize() const override;
    // References outside the arrays, and node graphs that are not trees, fail the part.
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    // True when every reference lies within the arrays and the nodes form a tree under node 0.
    [[nodiscard]] bool NodesValid() const;

    std::vector<Node> nodes;
    // Per node, the node transform its plane is given in (-1: the part's own frame).
    std::vector<std::int32_t> transforms;

private:
    void Draw(std::uint32_t reference, int cullCode, const Vector3F& eye, int depth);
};

}  // namespace ts
