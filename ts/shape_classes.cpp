// The engine's table of persistent classes, in its stored order. Rows of classes that make
// nothing (the obsolete tags) skip their block.
#include "ts/anim_mesh.h"
#include "ts/bsp_part.h"
#include "ts/class_item.h"
#include "ts/detail_parts.h"
#include "ts/face_draw.h"
#include "ts/material.h"
#include "ts/mesh.h"
#include "ts/part_tree.h"
#include "ts/shape.h"
#include "ts/sprite_parts.h"

namespace ts {

namespace {

// Read with the caller's version.
template <typename T>
ClassItem* Create(core::StreamIO& stream, std::uint32_t version) {
    return ClassItem::createAndRead<T>(stream, version);
}

// The old tags of a class: read as version 0.
template <typename T>
ClassItem* CreateVersion0(core::StreamIO& stream, std::uint32_t) {
    return ClassItem::createAndRead<T>(stream, 0);
}

// The current tags carry their own version word first.
template <typename T>
ClassItem* CreateVersioned(core::StreamIO& stream, std::uint32_t) {
    std::uint32_t version = 0;
    if (ClassItem::bytesLeft(stream) < 4 || !ClassItem::readU32(stream, &version)) {
        ClassItem::markLoadFailed();
        return nullptr;
    }
    return ClassItem::createAndRead<T>(stream, version);
}

constexpr std::uint32_t Tag(std::uint32_t id) {
    return PersistTag(kShapeGroup, id);
}

const ClassRow kShapeClasses[] = {
    {Tag(60), &Create<TSPartList>, "TSPartList"},
    {Tag(101), &CreateVersioned<TSShape>, "TSShape"},
    {Tag(100), &CreateVersion0<TSShape>, "TSShapeOld"},
    {Tag(81), &Create<TSCellAnimPart>, "TSCellAnimPart"},
    {Tag(90), &Create<TSDetailPart>, "TSDetailPart"},
    {Tag(70), &CreateVersion0<TSBSPPart>, "TSBSPPartOld"},
    {Tag(71), &CreateVersioned<TSBSPPart>, "TSBSPPart"},
    {Tag(30), &Create<TSMaterialList>, "TSMaterialList"},
    {Tag(31), &Create<TSMaterial>, "TSMaterial"},
    {Tag(40), &CreateVersion0<TSMesh>, "TSMesh (Ver 0)"},
    {Tag(43), &CreateVersioned<TSMesh>, "TSMesh"},
    {Tag(42), &Create<TSAnimMesh>, "TSAnimMesh"},
    {Tag(110), &Create<TSBitmapFramePart>, "TSBitmapFramePart"},
    {Tag(120), &Create<TSNullPart>, "TSNullPart"},
    {Tag(1), nullptr, "TSObsolete"},
    {Tag(2), nullptr, "TSObsolete"},
    {Tag(3), nullptr, "TSObsolete"},
    {Tag(4), nullptr, "TSObsolete"},
    {Tag(5), nullptr, "TSObsolete"},
    {Tag(6), nullptr, "TSObsolete"},
    {Tag(7), nullptr, "TSObsolete"},
    {Tag(8), nullptr, "TSObsolete"},
    {Tag(9), nullptr, "TSObsolete"},
    {Tag(10), nullptr, "TSObsolete"},
    {Tag(11), nullptr, "TSObsolete"},
    {Tag(12), nullptr, "TSObsolete"},
    {Tag(13), nullptr, "TSObsolete"},
    {Tag(14), nullptr, "TSObsolete"},
    {Tag(15), nullptr, "TSObsolete"},
    {Tag(16), nullptr, "TSObsolete"},
    {Tag(17), nullptr, "TSObsolete"},
    {Tag(18), nullptr, "TSObsolete"},
    {Tag(19), nullptr, "TSObsolete"},
    {Tag(20), nullptr, "TSObsolete"},
    {Tag(21), nullptr, "TSObsolete"},
    {Tag(22), nullptr, "TSObsolete"},
    {Tag(23), nullptr, "TSObsolete"},
    {Tag(50), nullptr, "TSObsoleteBitmapPart"},
    {Tag(80), nullptr, "TSObsoleteCellAnimPart"},
};
static_assert(sizeof kShapeClasses / sizeof kShapeClasses[0] == 39);

bool theShapeClassesInstalled = false;

}  // namespace

void InstallShapeClasses() {
    if (theShapeClassesInstalled) return;
    theShapeClassesInstalled = true;
    ClassItem::registerClasses(kShapeClasses, 39);
    BuildFaceDrawTables();
}

}  // namespace ts
