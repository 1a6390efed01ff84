// The engine's table of persistent classes, in its stored order. Rows of classes that make
// nothing (the obsolete tags, and kinds this build does not draw yet) skip their block.
#include "ts/class_item.h"
#include "ts/part_tree.h"

namespace ts {

namespace {

ClassItem* CreatePartList(core::StreamIO& stream, std::uint32_t version) {
    return ClassItem::createAndRead<TSPartList>(stream, version);
}

constexpr std::uint32_t Tag(std::uint32_t id) {
    return PersistTag(kShapeGroup, id);
}

const ClassRow kShapeClasses[] = {
    {Tag(60), &CreatePartList, "TSPartList"},
    {Tag(101), nullptr, "TSShape"},
    {Tag(100), nullptr, "TSShapeOld"},
    {Tag(81), nullptr, "TSCellAnimPart"},
    {Tag(90), nullptr, "TSDetailPart"},
    {Tag(70), nullptr, "TSBSPPartOld"},
    {Tag(71), nullptr, "TSBSPPart"},
    {Tag(30), nullptr, "TSMaterialList"},
    {Tag(31), nullptr, "TSMaterial"},
    {Tag(40), nullptr, "TSMesh (Ver 0)"},
    {Tag(43), nullptr, "TSMesh"},
    {Tag(42), nullptr, "TSAnimMesh"},
    {Tag(110), nullptr, "TSBitmapFramePart"},
    {Tag(120), nullptr, "TSNullPart"},
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
}

}  // namespace ts
