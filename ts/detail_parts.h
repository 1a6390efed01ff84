// Part lists that draw exactly one of their children. A TSDetailPart picks by the part's size on
// the screen, so that a far object draws a coarser model; a TSCellAnimPart picks by the value of
// one animation sequence of the instance being drawn (flip-book animation: propellers, lights,
// gear, beacons). The values live in the TSSequenceState each shape instance owns; while an
// instance draws, its state is the current one.
#pragma once

#include <cstdint>
#include <vector>

#include "ts/part_tree.h"

namespace ts {

class TSSequenceState {
public:
    // count sequences, their lengths the shape's (not copied); every value 0.
    TSSequenceState(std::int32_t count, const std::int32_t* lengths);
    TSSequenceState(const TSSequenceState&) = delete;
    TSSequenceState& operator=(const TSSequenceState&) = delete;

    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);
    static void SetPoolCapacity(std::int32_t count);

    [[nodiscard]] std::int32_t Count() const { return static_cast<std::int32_t>(values.size()); }
    [[nodiscard]] bool Has(std::int32_t sequence) const { return sequence >= 0 && sequence < Count(); }
    // The cell number a sequence shows (0 for a sequence the shape does not have).
    [[nodiscard]] std::uint32_t Value(std::int32_t sequence) const {
        return Has(sequence) ? values[static_cast<std::size_t>(sequence)] : 0;
    }
    void SetValue(std::int32_t sequence, std::uint32_t value) {
        if (Has(sequence)) values[static_cast<std::size_t>(sequence)] = value;
    }
    [[nodiscard]] std::int32_t Length(std::int32_t sequence) const {
        return Has(sequence) && lengths != nullptr ? lengths[sequence] : 0;
    }

private:
    const std::int32_t* lengths;
    std::vector<std::uint32_t> values;
};

// The state of the instance being drawn; null outside an instance's drawing.
extern TSSequenceState* theCurrentSequenceState;

// Detail settings: sizes are multiplied by the scale; a drop of 1 never takes the finest child.
extern float theDetailScale;
extern std::int32_t theDetailDrop;

class TSDetailPart final : public TSPartList {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 90);

    void Render(int cullCode) override;
    std::uint32_t CollectParts(TSPartCollection& list) override;
    // The child drawn at a projected size (pixels), after the scale and the drop.
    [[nodiscard]] std::int32_t ChildForSize(float size) const;

    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    [[nodiscard]] std::uint32_t getStoredSize() const override;
    [[nodiscard]] std::uint32_t getMemorySize() const override;
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    // One size per child, ascending: children go from the coarsest to the finest.
    std::vector<float> fpSizeList;
};

class TSCellAnimPart final : public TSPartList {
public:
    static constexpr std::uint32_t kTag = PersistTag(kShapeGroup, 81);

    void Render(int cullCode) override;
    void RenderBoundingBox(int onlyWhenVisible) override;
    std::uint32_t CollectParts(TSPartCollection& list) override;
    void SetCells(std::int32_t count, const std::int32_t* table);
    // The child the current sequence state selects; null when there is no state or the value
    // lies outside the cell table.
    [[nodiscard]] TSPartBase* CurrentChild() const;

    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    [[nodiscard]] std::uint32_t getStoredSize() const override;
    [[nodiscard]] std::uint32_t getMemorySize() const override;
    // A cell that names no child fails the part.
    int read(core::StreamIO& stream, std::uint32_t version) override;
    int write(core::StreamIO& stream, std::uint32_t version) const override;
    void dump(int depth, int indent) const override;

    std::int32_t animSequence = 0;
    std::vector<std::int32_t> cells;  // child index per cell
};

}  // namespace ts
