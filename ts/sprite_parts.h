// Two small leaf parts. A TSNullPart marks a place in a shape (an attachment point found with
// FindPart) and draws nothing. A TSBitmapFramePart draws one texture as an upright picture
// facing the viewer (trees, signs), sized from the texture's pixels, optionally foreshortened as
// the viewer rises above it and turned with the view's roll ("squish & rotate").
#pragma once

#include <cstdint>

#include "ts/part_tree.h"

namespace ts {

class TSNullPart final : public TSPartBase {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 120);

    void Render(int) override {}
    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
};

class TSBitmapFramePart final : public TSPartBase {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 110);
    static constexpr std::uint32_t kStoredSize = 44;
    static constexpr std::uint32_t kMemorySize = 76;

    void Render(int cullCode) override;
    // The box spans fCenter +- fRadius across the ground; its height is left as it was.
    void ComputeBounds() override;

    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    [[nodiscard]] std::uint32_t getStoredSize() const override { return kStoredSize; }
    [[nodiscard]] std::uint32_t getMemorySize() const override { return kMemorySize; }
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    // The picture's corners in eye space for a picture of w x h pixels, (0, 1), (1, 1),
    // (1, 0), (0, 0) in texture terms: bottom left, bottom right, top right, top left.
    void PictureCorners(float w, float h, Vector3F out[4]) const;

    std::int32_t mat = 0;
    float scale = 1.0f;  // world units per texture pixel
    std::int32_t xOffset = 0;  // the anchor, from the picture's left edge
    std::int32_t yOffset = 0;  // and from its bottom edge, in pixels
    std::uint32_t squishAndRotate = 0;
};

}  // namespace ts
