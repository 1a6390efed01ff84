#include "ts/bsp_part.h"

#include <cstdio>
#include <cstring>

#include "core/endian.h"
#include "ts/perspective_camera.h"

namespace ts {

bool TSBSPPart::NodesValid() const {
    const auto count = static_cast<std::uint32_t>(nodes.size());
    if (transforms.size() != nodes.size()) return false;
    // A tree: every node is referenced at most once, and node 0 (the root) never.
    std::vector<std::uint8_t> referenced(count, 0);
    for (const Node& n : nodes) {
        for (std::uint32_t r : {n.front, n.back}) {
            if ((r & kNothing) != 0) continue;
            if ((r & kPart) != 0) {
                if ((r & ~kPart) >= static_cast<std::uint32_t>(PartCount())) return false;
                continue;
            }
            if (r >= count || r == 0 || referenced[r] != 0) return false;
            referenced[r] = 1;
        }
    }
    // Without a second parent or an edge into the root, a cycle can only close on nodes that
    // the root does not reach; those are never walked, but refuse them too.
    std::vector<std::uint8_t> reached(count, 0);
    std::vector<std::uint32_t> stack;
    if (count > 0) stack.push_back(0);
    while (!stack.empty()) {
        const std::uint32_t i = stack.back();
        stack.pop_back();
        reached[i] = 1;
        for (std::uint32_t r : {nodes[i].front, nodes[i].back})
            if ((r & (kNothing | kPart)) == 0) stack.push_back(r);
    }
    for (std::uint32_t i = 0; i < count; ++i)
        if (reached[i] == 0 && referenced[i] != 0) return false;
    return true;
}

void TSBSPPart::Draw(std::uint32_t reference, int cullCode, const Vector3F& eye, int depth) {
    // A tree of n nodes is never deeper than n.
    while (depth <= static_cast<int>(nodes.size())) {
        if ((reference & kNothing) != 0) return;
        if ((reference & kPart) != 0) {
            if (TSPartBase* p = Part(static_cast<int>(reference & ~kPart))) p->Render(cullCode);
            return;
        }
        if (reference >= nodes.size()) return;
        const Node& n = nodes[reference];
        const float d = Dot(n.normal, eye) - n.coeff;
        const bool inFront = d >= 0.0f;
        Draw(inFront ? n.back : n.front, cullCode, eye, depth + 1);
        // The second reference goes on in this loop instead of a deeper call.
        reference = inFront ? n.front : n.back;
        ++depth;
    }
}

void TSBSPPart::Render(int cullCode) {
    TSCamera* camera = theCurrentCamera;
    if (camera == nullptr || nodes.empty()) return;
    camera->SelectPartTransform(*this);
    // Planes are taken in the part's own frame (the camera's position there).
    Draw(0, cullCode, camera->GetEyePosition(), 0);
}

std::uint32_t TSBSPPart::getStoredSize() const {
    const std::uint32_t list = TSPartList::getStoredSize();
    return list == 0 ? 0 : 4 + list + 4 + 28 * static_cast<std::uint32_t>(nodes.size());
}

std::uint32_t TSBSPPart::getMemorySize() const {
    return TSPartList::getMemorySize() + 12 + 28 * static_cast<std::uint32_t>(nodes.size());
}

int TSBSPPart::read(core::StreamIO& stream, std::uint32_t version) {
    if (TSPartList::read(stream, version) == 0) return 0;
    std::uint32_t count = 0;
    if (bytesLeft(stream) < 4 || !readU32(stream, &count)) return 0;
    if (std::uint64_t{count} * 28 > bytesLeft(stream)) return 0;
    nodes.assign(count, Node{});
    transforms.assign(count, -1);
    for (Node& n : nodes) {
        float v[4];
        for (float& f : v) {
            if (version != 0) {
                if (!readF32(stream, &f)) return 0;
            } else {
                std::int32_t i = 0;
                if (!readI32(stream, &i)) return 0;
                f = static_cast<float>(i) / 65536.0f;
            }
        }
        n.normal = Vector3F{v[0], v[1], v[2]};
        n.coeff = v[3];
        if (!readU32(stream, &n.front) || !readU32(stream, &n.back)) return 0;
    }
    for (std::int32_t& t : transforms)
        if (!readI32(stream, &t)) return 0;
    return NodesValid() ? 1 : 0;
}

int TSBSPPart::write(core::StreamIO& stream, std::uint32_t) const {
    int ok = writeU32(stream, 1);
    ok &= TSPartList::write(stream, 1);
    ok &= writeU32(stream, static_cast<std::uint32_t>(nodes.size()));
    for (const Node& n : nodes) {
        for (float f : {n.normal.x, n.normal.y, n.normal.z, n.coeff})
            ok &= writeF32(stream, f);
        ok &= writeU32(stream, n.front);
        ok &= writeU32(stream, n.back);
    }
    for (std::int32_t t : transforms)
        ok &= writeI32(stream, t);
    return ok;
}

void TSBSPPart::dump(int depth, int indent) const {
    TSPartList::dump(depth, indent);
    if (depth <= 0) return;
    std::printf("%*cnodeCount: %d\n", indent, ' ', static_cast<int>(nodes.size()));
    for (const Node& n : nodes) {
        std::printf("%*cnormal: (%6f, %6f, %6f)\n", indent, ' ', static_cast<double>(n.normal.x),
                    static_cast<double>(n.normal.y), static_cast<double>(n.normal.z));
        std::printf("%*ccoeff: %f\n", indent, ' ', static_cast<double>(n.coeff));
        std::printf("%*cfront: %8x  back: %8x\n", indent, ' ', n.front, n.back);
    }
    std::printf("%*cTransforms:\n", indent, ' ');
    for (std::int32_t t : transforms)
        std::printf("%*c%3d\n", indent, ' ', t);
}

}  // namespace ts
