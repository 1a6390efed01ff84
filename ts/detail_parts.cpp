#include "ts/detail_parts.h"

#include <algorithm>
#include <cstdio>

#include "core/numeric.h"
#include "core/pool_alloc.h"
#include "gfx/surface.h"
#include "ts/engine_pools.h"
#include "ts/perspective_camera.h"

namespace ts {

TSSequenceState* theCurrentSequenceState = nullptr;
float theDetailScale = 1.0f;
std::int32_t theDetailDrop = 0;

namespace {

core::PoolAlloc& SequencePool() {
    return ClassPool(EnginePool::kSequenceState, sizeof(TSSequenceState));
}

// Reads n i32 that follow in the block; false when fewer bytes are left.
bool ReadInts(core::StreamIO& stream, std::uint32_t n, std::vector<std::int32_t>* out) {
    if (std::uint64_t{n} * 4 > ClassItem::bytesLeft(stream)) return false;
    out->assign(n, 0);
    for (std::int32_t& v : *out)
        if (!ClassItem::readI32(stream, &v)) return false;
    return true;
}

}  // namespace

// ---- TSSequenceState ------------------------------------------------------------------------

TSSequenceState::TSSequenceState(std::int32_t count, const std::int32_t* sequenceLengths)
    : lengths(sequenceLengths), values(static_cast<std::size_t>(std::max(count, 0)), 0) {}

void* TSSequenceState::operator new(std::size_t size) {
    return PoolNew(SequencePool(), size);
}

void TSSequenceState::operator delete(void* block, std::size_t size) {
    PoolDelete(SequencePool(), block, size);
}

void TSSequenceState::SetPoolCapacity(std::int32_t count) {
    SequencePool();
    SetEnginePoolCapacity(EnginePool::kSequenceState, count);
}

// ---- TSDetailPart ---------------------------------------------------------------------------

std::int32_t TSDetailPart::ChildForSize(float size) const {
    const std::int32_t n = PartCount();
    const std::int32_t count = n > theDetailDrop ? n - 1 - theDetailDrop : 0;
    for (std::int32_t i = 0; i < count; ++i)
        if (!(fpSizeList[static_cast<std::size_t>(i)] < size)) return i;
    return count;
}

void TSDetailPart::Render(int cullCode) {
    TSCamera* camera = theCurrentCamera;
    if (camera == nullptr || PartCount() == 0) return;
    camera->SelectPartTransform(*this);
    float distance = VectorLength(camera->GetEyePosition()) - fRadius;
    if (!(distance > 0.0f)) distance = 1.0f;
    float size = camera->ProjectLength(fRadius, distance);
    const gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    const int shift = target != nullptr ? std::clamp(static_cast<int>(target->coordinateShift & 0xFF), 0, 16) : 0;
    size /= static_cast<float>(1 << shift);
    if (!(size >= 1.0f)) size = 1.0f;
    size *= theDetailScale;
    if (TSPartBase* child = Part(ChildForSize(size))) child->Render(cullCode);
}

std::uint32_t TSDetailPart::CollectParts(TSPartCollection& list) {
    TSPartBase* first = Part(0);
    return first != nullptr ? first->CollectParts(list) : 0;
}

std::uint32_t TSDetailPart::getStoredSize() const {
    const std::uint32_t list = TSPartList::getStoredSize();
    return list == 0 ? 0 : list + 4 * static_cast<std::uint32_t>(fpSizeList.size());
}

std::uint32_t TSDetailPart::getMemorySize() const {
    return TSPartList::getMemorySize() + 4 + 4 * static_cast<std::uint32_t>(fpSizeList.size());
}

int TSDetailPart::read(core::StreamIO& stream, std::uint32_t version) {
    if (TSPartList::read(stream, version) == 0) return 0;
    std::vector<std::int32_t> sizes;
    if (!ReadInts(stream, static_cast<std::uint32_t>(PartCount()), &sizes)) return 0;
    fpSizeList.assign(sizes.begin(), sizes.end());
    return 1;
}

int TSDetailPart::write(core::StreamIO& stream, std::uint32_t version) const {
    int ok = TSPartList::write(stream, version);
    for (float s : fpSizeList)
        ok &= writeI32(stream, core::ClampToInt32(s));
    return ok;
}

void TSDetailPart::dump(int depth, int indent) const {
    TSPartList::dump(depth, indent);
    if (depth <= 0) return;
    for (std::size_t i = 0; i < fpSizeList.size(); ++i)
        std::printf("%*cfpSizeList[%d]: %f\n", indent, ' ', static_cast<int>(i),
                    static_cast<double>(fpSizeList[i]));
}

// ---- TSCellAnimPart -------------------------------------------------------------------------

TSPartBase* TSCellAnimPart::CurrentChild() const {
    const TSSequenceState* state = theCurrentSequenceState;
    if (state == nullptr || !state->Has(animSequence)) return nullptr;
    const std::uint32_t value = state->Value(animSequence);
    if (value >= cells.size()) return nullptr;
    return Part(cells[value]);
}

void TSCellAnimPart::Render(int cullCode) {
    if (theCurrentCamera != nullptr) theCurrentCamera->SelectPartTransform(*this);
    if (TSPartBase* child = CurrentChild()) child->Render(cullCode);
}

void TSCellAnimPart::RenderBoundingBox(int onlyWhenVisible) {
    if (theCurrentCamera != nullptr) theCurrentCamera->SelectPartTransform(*this);
    if (TSPartBase* child = CurrentChild()) child->RenderBoundingBox(onlyWhenVisible);
}

std::uint32_t TSCellAnimPart::CollectParts(TSPartCollection& list) {
    TSPartBase* child = CurrentChild();
    return child != nullptr ? child->CollectParts(list) : 0;
}

void TSCellAnimPart::SetCells(std::int32_t count, const std::int32_t* table) {
    cells.assign(table, table + std::max(count, 0));
}

std::uint32_t TSCellAnimPart::getStoredSize() const {
    const std::uint32_t list = TSPartList::getStoredSize();
    return list == 0 ? 0 : list + 8 + 4 * static_cast<std::uint32_t>(cells.size());
}

std::uint32_t TSCellAnimPart::getMemorySize() const {
    return TSPartList::getMemorySize() + 12 + 4 * static_cast<std::uint32_t>(cells.size());
}

int TSCellAnimPart::read(core::StreamIO& stream, std::uint32_t version) {
    if (TSPartList::read(stream, version) == 0) return 0;
    std::uint32_t sequence = 0, count = 0;
    if (bytesLeft(stream) < 8 || !readU32(stream, &sequence) || !readU32(stream, &count)) return 0;
    if (!ReadInts(stream, count, &cells)) return 0;
    for (std::int32_t c : cells)
        if (c < 0 || c >= PartCount()) return 0;
    animSequence = static_cast<std::int32_t>(sequence);
    return 1;
}

int TSCellAnimPart::write(core::StreamIO& stream, std::uint32_t version) const {
    int ok = TSPartList::write(stream, version);
    ok &= writeU32(stream, static_cast<std::uint32_t>(animSequence));
    ok &= writeU32(stream, static_cast<std::uint32_t>(cells.size()));
    for (std::int32_t c : cells)
        ok &= writeI32(stream, c);
    return ok;
}

void TSCellAnimPart::dump(int depth, int indent) const {
    TSPartList::dump(depth, indent);
    if (depth <= 0) return;
    std::printf("%*cAnimSequence: %d\n", indent, ' ', animSequence);
    std::printf("%*cNumber of Cells: %d\n", indent, ' ', static_cast<int>(cells.size()));
    for (std::size_t i = 0; i < cells.size(); ++i)
        std::printf(" %*cCell %d: %d\n", indent, ' ', static_cast<int>(i), cells[i]);
}

}  // namespace ts
