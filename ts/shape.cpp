#include "ts/shape.h"

#include <cstdio>
#include <string>

#include "core/pool_alloc.h"
#include "core/resource_volume.h"
#include "gfx/surface.h"
#include "ts/engine_pools.h"
#include "ts/material.h"
#include "ts/shape_resource.h"

namespace ts {

namespace {

core::PoolAlloc& ShapePool() {
    return ClassPool(EnginePool::kShape, sizeof(TSShape));
}

// The instances' pool: 16000 places, no setting changes it.
core::PoolAlloc& InstancePool() {
    static core::PoolAlloc* pool = new core::PoolAlloc(sizeof(TSShapeInstance), 16000);
    return *pool;
}

// The name with its extension (from the last '.') replaced.
std::string ReplaceExtension(const std::string& name, const char* extension) {
    const std::size_t dot = name.find_last_of('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

}  // namespace

// ---- TSShape --------------------------------------------------------------------------------

TSShape::~TSShape() {
    SetMaterials(nullptr, false);
}

void* TSShape::operator new(std::size_t size) {
    return PoolNew(ShapePool(), size);
}

void TSShape::operator delete(void* block, std::size_t size) {
    PoolDelete(ShapePool(), block, size);
}

void TSShape::SetPoolCapacity(std::int32_t count) {
    ShapePool();
    SetEnginePoolCapacity(EnginePool::kShape, count);
}

void TSShape::SetMaterials(TSMaterialList* list, bool own) {
    if (ownsMaterials != 0 && materials != list) delete materials;
    materials = list;
    ownsMaterials = own && list != nullptr ? 1 : 0;
}

TSShape* TSShape::Load(std::string_view name, const gfx::GFXPalette* palette) {
    ShapeSearchPath guard(name);
    std::string file = guard.FileName();
    const bool added = file.find('.') == std::string::npos;
    if (added) file += ".dt2";
    core::StreamIO* stream = OpenShapeResource(file);
    if (stream == nullptr && added) {
        file = ReplaceExtension(file, ".dts");
        stream = OpenShapeResource(file);
    }
    if (stream == nullptr) return nullptr;
    std::unique_ptr<TSShape> shape = ClassItem::load<TSShape>(*stream, 0);
    CloseShapeResource(stream);
    if (!shape) {
        core::ReportDamagedFile(file);
        return nullptr;
    }
    shape->ComputeBounds();
    if (TSMaterialList* list = TSMaterialList::Load(ReplaceExtension(file, ".dml"), palette, 1))
        shape->SetMaterials(list, true);
    return shape.release();
}

bool TSShape::Begin(int* cullCode, std::uint32_t* keptFlags) {
    TSCamera* camera = theCurrentCamera;
    if (camera == nullptr) return false;
    if (*cullCode == kCullUntested) *cullCode = camera->TestSphere(fCenter, fRadius);
    if (*cullCode == kCullOutside) return false;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    *keptFlags = 0;
    if (target != nullptr && target->surface != nullptr) {
        *keptFlags = target->surface->flags;
        // Within the side planes the polygons need no 2D clipping.
        if ((*cullCode & kCullSide) == 0) target->surface->flags &= ~gfx::kSurfaceClipRect;
    }
    return true;
}

void TSShape::End(std::uint32_t keptFlags, int) {
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    if (target != nullptr && target->surface != nullptr) target->surface->flags = keptFlags;
}

void TSShape::Render(int cullCode) {
    std::uint32_t kept = 0;
    if (!Begin(&cullCode, &kept)) return;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    TSMaterialList* keptList = target != nullptr ? target->materialList : nullptr;
    if (materials != nullptr && target != nullptr) target->materialList = materials;
    TSPartList::Render(cullCode);
    if (target != nullptr) target->materialList = keptList;
    End(kept, cullCode);
}

void TSShape::RenderBoundingBox(int cullCode) {
    std::uint32_t kept = 0;
    if (!Begin(&cullCode, &kept)) return;
    TSPartBase::RenderBoundingBox(0);
    End(kept, cullCode);
}

void TSShape::RenderPartBoxes(int cullCode) {
    std::uint32_t kept = 0;
    if (!Begin(&cullCode, &kept)) return;
    TSPartList::RenderBoundingBox(0);
    End(kept, cullCode);
}

std::uint32_t TSShape::CollectParts(TSPartCollection& list) {
    const std::uint32_t self = list.Add(this) ? 1 : 0;
    return self + TSPartList::CollectParts(list);
}

std::uint32_t TSShape::getStoredSize() const {
    const std::uint32_t list = TSPartList::getStoredSize();
    return list == 0 ? 0 : 4 + list + 4 + 4 * static_cast<std::uint32_t>(sequenceLengths.size());
}

std::uint32_t TSShape::getMemorySize() const {
    return TSPartList::getMemorySize() + 16 + 8 * static_cast<std::uint32_t>(sequenceLengths.size());
}

int TSShape::read(core::StreamIO& stream, std::uint32_t version) {
    if (TSPartList::read(stream, version) == 0) return 0;
    std::uint32_t count = 0;
    if (bytesLeft(stream) < 4 || !readU32(stream, &count)) return 0;
    if (std::uint64_t{count} * 4 > bytesLeft(stream)) return 0;
    sequenceLengths.assign(count, 0);
    for (std::int32_t& l : sequenceLengths)
        if (!readI32(stream, &l)) return 0;
    return 1;
}

int TSShape::write(core::StreamIO& stream, std::uint32_t) const {
    int ok = writeU32(stream, 1);
    ok &= TSPartList::write(stream, 1);
    ok &= writeU32(stream, static_cast<std::uint32_t>(sequenceLengths.size()));
    for (std::int32_t l : sequenceLengths)
        ok &= writeI32(stream, l);
    return ok;
}

void TSShape::dump(int depth, int indent) const {
    ClassItem::dump(depth, indent);
    if (depth <= 0) return;
    std::printf("%*cfnSequences: %3d\n", indent, ' ', SequenceCount());
    std::printf("%*cSequence Lengths:\n", indent, ' ');
    for (std::int32_t l : sequenceLengths)
        std::printf("%*c%3d\n", indent + 1, ' ', l);
    TSPartList::dump(depth - 1, indent + 1);
}

// ---- TSShapeInstance ------------------------------------------------------------------------

TSShapeInstance::TSShapeInstance(TSShape* s) : shape(s) {
    if (shape != nullptr && shape->SequenceCount() > 0)
        sequences.reset(new TSSequenceState(shape->SequenceCount(), shape->sequenceLengths.data()));
}

TSShapeInstance::~TSShapeInstance() = default;

void* TSShapeInstance::operator new(std::size_t size) {
    return PoolNew(InstancePool(), size);
}

void TSShapeInstance::operator delete(void* block, std::size_t size) {
    PoolDelete(InstancePool(), block, size);
}

void TSShapeInstance::SetPosition(const Vector3F& position) {
    placement.position = position;
    placement.dirty = 1;
    placed = 1;
}

void TSShapeInstance::SetRotation(const Vector3F& angles) {
    placement.angles = angles;
    placement.dirty = 1;
    placed = 1;
}

const Transform3F& TSShapeInstance::GetTransform() {
    if (placement.dirty != 0) {
        placement.transform.t = placement.position;
        Matrix3F::SetEulerAngles(placement.angles, &placement.transform.matrix);
        placement.dirty = 0;
    }
    return placement.transform;
}

void TSShapeInstance::Enter() {
    // Cell animations read this instance's values; a shape without sequences has none.
    theCurrentSequenceState = sequences.get();
    if (placed != 0 && theCurrentCamera != nullptr) theCurrentCamera->SetTransform(GetTransform());
}

void TSShapeInstance::Render(int cullCode) {
    if (cullCode == kCullOutside || shape == nullptr) return;
    TSSequenceState* keptState = theCurrentSequenceState;
    TSMaterialList* ownList = shape->materials;
    const std::uint32_t ownership = shape->ownsMaterials;
    if (materialOverride != nullptr) {
        shape->materials = materialOverride;
        shape->ownsMaterials = 0;
    }
    Enter();
    shape->Render(cullCode);
    shape->materials = ownList;
    shape->ownsMaterials = ownership;
    theCurrentSequenceState = keptState;
}

void TSShapeInstance::RenderBoundingBox(int cullCode) {
    if (shape == nullptr) return;
    TSSequenceState* keptState = theCurrentSequenceState;
    Enter();
    shape->RenderBoundingBox(cullCode);
    theCurrentSequenceState = keptState;
}

void TSShapeInstance::RenderPartBoxes(int cullCode) {
    if (shape == nullptr) return;
    TSSequenceState* keptState = theCurrentSequenceState;
    Enter();
    shape->RenderPartBoxes(cullCode);
    theCurrentSequenceState = keptState;
}

std::uint32_t TSShapeInstance::CollectParts(TSPartCollection& list) {
    list.count = 0;
    if (shape == nullptr) return 0;
    TSSequenceState* keptState = theCurrentSequenceState;
    theCurrentSequenceState = sequences.get();
    const std::uint32_t n = shape->CollectParts(list);
    theCurrentSequenceState = keptState;
    return n;
}

int CollideInstances(TSShapeInstance& first, const Transform3F& firstToWorld, TSShapeInstance& second,
                     const Transform3F& secondToWorld, TSCollision* result) {
    if (first.GetShape() == nullptr || second.GetShape() == nullptr) return 0;
    // The second instance's frame carried into the first's.
    Transform3F worldToFirst, relative;
    Transform3F::InvertRigid(firstToWorld, &worldToFirst);
    Transform3F::Compose(secondToWorld, worldToFirst, &relative);
    constexpr std::uint32_t kRoom = 512;
    TSPartBase* a[kRoom];
    TSPartBase* b[kRoom];
    TSPartCollection listA{0, kRoom, a};
    TSPartCollection listB{0, kRoom, b};
    first.CollectParts(listA);
    second.CollectParts(listB);
    if (listA.count == 0 || listB.count == 0) return 0;
    if (a[0]->Collide(relative, *b[0]) == 0) return 0;
    for (std::uint32_t i = 1; i < listA.count; ++i) {
        for (std::uint32_t j = 1; j < listB.count; ++j) {
            if (a[i]->Collide(relative, *b[j]) == 0) continue;
            if (result != nullptr) *result = TSCollision{a[i], b[j]};
            return 1;
        }
    }
    return 0;
}

}  // namespace ts
