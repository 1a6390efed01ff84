#include "ts/part_tree.h"

#include <algorithm>
#include <cstdio>

#include "core/numeric.h"
#include "gfx/raster/poly_request.h"
#include "gfx/surface.h"
#include "ts/perspective_camera.h"

namespace ts {

TSHitResult theLastHit;

namespace {

// The box's eight corners: c0 the carried min corner, the three edges along the transform's
// columns; corners 1..7 are c0 + ex, + ey, + ez, + ex + ey, + ex + ez, + ey + ez, + all three.
void BoxCorners(const TSBox& b, const Transform3F& transform, Vector3F out[8]) {
    Vector3F c0;
    Transform3F::TransformPoint(b.min, transform, &c0);
    const float* e = transform.matrix.m;
    const Vector3F col0{e[0], e[1], e[4]}, col1{e[2], e[3], e[5]}, col2{e[6], e[7], e[8]};
    const Vector3F ex = col0 * (b.max.x - b.min.x);
    const Vector3F ey = col1 * (b.max.y - b.min.y);
    const Vector3F ez = col2 * (b.max.z - b.min.z);
    out[0] = c0;
    out[1] = c0 + ex;
    out[2] = c0 + ey;
    out[3] = c0 + ez;
    out[4] = c0 + ex + ey;
    out[5] = c0 + ex + ez;
    out[6] = c0 + ey + ez;
    out[7] = c0 + ex + ey + ez;
}

constexpr int kEdges[12][2] = {{0, 1}, {0, 2}, {0, 3}, {4, 1}, {4, 2}, {4, 7},
                               {5, 1}, {5, 3}, {5, 7}, {6, 2}, {6, 3}, {6, 7}};

// Bounding boxes are drawn in the brightest entry of the palette.
constexpr std::uint32_t kBoxColour = 255;

void Grow(TSBox& box, const TSBox& other) {
    GrowBox(box, other.min);
    GrowBox(box, other.max);
}

}  // namespace

void TSRenderItem::RemapMaterials(const std::uint32_t*) {}

// ---- TSPartBase ----------------------------------------------------------------------------

void TSPartBase::RemapMaterials(const std::uint32_t*) {}

TSPartBase* TSPartBase::FindPart(std::int32_t id) {
    return fIDnumber == id ? this : nullptr;
}

std::unique_ptr<TSPartBase>* TSPartBase::FindPartSlot(std::int32_t) {
    return nullptr;
}

void TSPartBase::ComputeBounds() {
    box.min = fCenter;
    box.max = fCenter;
}

std::uint32_t TSPartBase::CollectParts(TSPartCollection& list) {
    return list.Add(this) ? 1 : 0;
}

std::uint32_t TSPartBase::Outcode(const Vector3F& p) const {
    std::uint32_t c = 0;
    if (p.x < box.min.x) c |= 1;
    if (p.x > box.max.x) c |= 2;
    if (p.y < box.min.y) c |= 4;
    if (p.y > box.max.y) c |= 8;
    if (p.z < box.min.z) c |= 16;
    if (p.z > box.max.z) c |= 32;
    return c;
}

int TSPartBase::OverlapsSphere(const Transform3F& transform, const TSSphere& sphere) {
    Vector3F c;
    Transform3F::TransformPoint(sphere.centre, transform, &c);
    return sphere.radius + fRadius >= VectorLength(c - fCenter) ? 1 : 0;
}

int TSPartBase::Collide(const Transform3F& transform, const TSPartBase& other) {
    if (OverlapsSphere(transform, TSSphere{other.fCenter, other.fRadius}) == 0) return 0;
    return CollideDetail(transform, other.box);
}

int TSPartBase::SegmentAgainstBox(const Vector3F& a, std::uint32_t code, const Vector3F& b) {
    const Vector3F d = b - a;
    auto within = [](float v, float lo, float hi) { return v >= lo && v <= hi; };
    auto hit = [&](float t) {
        theLastHit.t = t;
        theLastHit.point = a + d * t;
        return theLastHit.point;
    };
    if ((code & 3u) != 0 && d.x != 0.0f) {
        const float plane = (code & 1u) != 0 ? box.min.x : box.max.x;
        const Vector3F p = hit((plane - a.x) / d.x);
        if (within(p.y, box.min.y, box.max.y) && within(p.z, box.min.z, box.max.z)) return 1;
    }
    if ((code & 12u) != 0 && d.y != 0.0f) {
        const float plane = (code & 4u) != 0 ? box.min.y : box.max.y;
        const Vector3F p = hit((plane - a.y) / d.y);
        if (within(p.x, box.min.x, box.max.x) && within(p.z, box.min.z, box.max.z)) return 1;
    }
    if ((code & 48u) != 0 && d.z != 0.0f) {
        const float plane = (code & 16u) != 0 ? box.min.z : box.max.z;
        const Vector3F p = hit((plane - a.z) / d.z);
        if (within(p.x, box.min.x, box.max.x) && within(p.y, box.min.y, box.max.y)) return 1;
    }
    return 0;
}

int TSPartBase::IntersectSegment(const Transform3F& transform, const TSSegment& segment) {
    Vector3F a, b;
    Transform3F::TransformPoint(segment.start, transform, &a);
    Transform3F::TransformPoint(segment.end, transform, &b);
    const std::uint32_t ca = Outcode(a), cb = Outcode(b);
    if (ca == 0 || cb == 0) {
        theLastHit.t = 0.0f;
        theLastHit.point = ca == 0 ? a : b;
        return 1;
    }
    if ((ca & cb) != 0) return 0;
    return SegmentAgainstBox(a, ca, b);
}

int TSPartBase::CollideDetail(const Transform3F& transform, const TSBox& other) {
    Vector3F c[8];
    BoxCorners(other, transform, c);
    std::uint32_t code[8];
    for (int i = 0; i < 8; ++i) {
        code[i] = Outcode(c[i]);
        if (code[i] == 0) {
            theLastHit.t = 0.0f;
            theLastHit.point = c[i];
            return 1;
        }
    }
    for (const auto& e : kEdges) {
        if ((code[e[0]] & code[e[1]]) != 0) continue;
        if (SegmentAgainstBox(c[e[0]], code[e[0]], c[e[1]]) != 0) return 1;
    }
    return 0;
}

void TSPartBase::RenderBoundingBox(int onlyWhenVisible) {
    TSCamera* camera = theCurrentCamera;
    if (camera == nullptr) return;
    camera->SelectPartTransform(*this);
    if (onlyWhenVisible != 0 && camera->TestSphere(fCenter, fRadius) != kCullInside) return;
    Vector3F corner[8];
    BoxCorners(box, camera->GetModelToEye(), corner);
    ScreenPoint screen[8];
    for (int i = 0; i < 8; ++i)
        camera->ProjectPoint(corner[i], &screen[i]);
    const int shift =
        gfx::theCurrentDrawTarget != nullptr ? (gfx::theCurrentDrawTarget->coordinateShift & 0xFF) : 0;
    auto pixel = [shift](const ScreenPoint& p) {
        return gfx::GFXPoint{p.x >> std::min(shift, 16), p.y >> std::min(shift, 16)};
    };
    for (const auto& e : kEdges)
        gfx::DrawLine(pixel(screen[e[0]]), pixel(screen[e[1]]), kBoxColour);
}

int TSPartBase::read(core::StreamIO& stream, std::uint32_t version) {
    if (bytesLeft(stream) < kStoredSize) return 0;
    std::int32_t transform = 0, id = 0;
    if (!readI32(stream, &transform) || !readI32(stream, &id)) return 0;
    float v[4];
    for (float& f : v) {
        if (version != 0) {
            if (!readF32(stream, &f)) return 0;
        } else {
            std::int32_t i = 0;
            if (!readI32(stream, &i)) return 0;
            f = static_cast<float>(i);
        }
    }
    // A transform index the camera's cache has no entry for means the object's own placement.
    fTransform = (transform >= -1 && transform <= kMaxTransformIndex) ? transform : -1;
    fIDnumber = id;
    fRadius = v[0];
    fCenter = Vector3F{v[1], v[2], v[3]};
    return 1;
}

int TSPartBase::write(core::StreamIO& stream, std::uint32_t version) const {
    int ok = writeI32(stream, fTransform);
    ok &= writeI32(stream, fIDnumber);
    const float v[4] = {fRadius, fCenter.x, fCenter.y, fCenter.z};
    for (float f : v)
        ok &= version != 0 ? writeF32(stream, f) : writeI32(stream, core::SaturateToInt32(f));
    return ok;
}

void TSPartBase::dump(int depth, int indent) const {
    ClassItem::dump(depth, indent);
    if (depth <= 0) return;
    std::printf("%*cfTransform: %d\n", indent, ' ', fTransform);
    std::printf("%*cfIDnumber: %d\n", indent, ' ', fIDnumber);
    std::printf("%*cfRadius: %g\n", indent, ' ', static_cast<double>(fRadius));
    std::printf("%*cfCenter: %g %g %g\n", indent, ' ', static_cast<double>(fCenter.x),
                static_cast<double>(fCenter.y), static_cast<double>(fCenter.z));
}

// ---- TSPartList ----------------------------------------------------------------------------

void TSPartList::Render(int cullCode) {
    if (theCurrentCamera != nullptr) theCurrentCamera->SelectPartTransform(*this);
    for (const auto& p : parts)
        if (p) p->Render(cullCode);
}

void TSPartList::RemapMaterials(const std::uint32_t* table) {
    for (const auto& p : parts)
        if (p) p->RemapMaterials(table);
}

TSPartBase* TSPartList::FindPart(std::int32_t id) {
    if (fIDnumber == id) return this;
    for (const auto& p : parts)
        if (p)
            if (TSPartBase* found = p->FindPart(id)) return found;
    return nullptr;
}

std::unique_ptr<TSPartBase>* TSPartList::FindPartSlot(std::int32_t id) {
    for (auto& p : parts) {
        if (!p) continue;
        if (p->fIDnumber == id) return &p;
        if (std::unique_ptr<TSPartBase>* found = p->FindPartSlot(id)) return found;
    }
    return nullptr;
}

void TSPartList::ComputeBounds() {
    TSPartBase::ComputeBounds();
    for (const auto& p : parts) {
        if (!p) continue;
        p->ComputeBounds();
        Grow(box, p->box);
    }
}

void TSPartList::RenderBoundingBox(int onlyWhenVisible) {
    if (theCurrentCamera != nullptr) theCurrentCamera->SelectPartTransform(*this);
    for (const auto& p : parts)
        if (p) p->RenderBoundingBox(onlyWhenVisible);
}

std::uint32_t TSPartList::CollectParts(TSPartCollection& list) {
    std::uint32_t total = 0;
    for (const auto& p : parts)
        if (p) total += p->CollectParts(list);
    return total;
}

std::uint32_t TSPartList::getStoredSize() const {
    std::uint64_t size = kStoredSize + 4;
    for (const auto& p : parts) {
        const std::uint32_t child = getTotalStoredSize(p.get());
        if (child == 0) return 0;
        size += child;
    }
    return size <= 0x7FFFFFF0u ? static_cast<std::uint32_t>(size) : 0;
}

std::uint32_t TSPartList::getMemorySize() const {
    std::uint64_t size = 64 + 4 * parts.size();
    for (const auto& p : parts)
        if (p) size += p->getMemorySize();
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, 0xFFFFFFFFu));
}

int TSPartList::read(core::StreamIO& stream, std::uint32_t version) {
    if (TSPartBase::read(stream, version) == 0) return 0;
    std::uint32_t count = 0;
    if (bytesLeft(stream) < 4 || !readU32(stream, &count)) return 0;
    // Every child is a block of at least its 8-byte header.
    if (count > bytesLeft(stream) / 8) return 0;
    parts.clear();
    parts.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::unique_ptr<ClassItem> child(loadObject(stream, version));
        if (loadFailed()) return 0;
        // A child that could not be made, or is not a part, stays an empty entry.
        auto* part = dynamic_cast<TSPartBase*>(child.get());
        if (part != nullptr) child.release();
        parts.emplace_back(part);
    }
    return 1;
}

int TSPartList::write(core::StreamIO& stream, std::uint32_t version) const {
    int ok = TSPartBase::write(stream, version);
    // Missing children cannot be stored; the count says what follows.
    std::uint32_t count = 0;
    for (const auto& p : parts)
        if (p) ++count;
    ok &= writeU32(stream, count);
    for (const auto& p : parts)
        if (p) ok &= storeObject(p.get(), stream, version);
    return ok;
}

void TSPartList::dump(int depth, int indent) const {
    TSPartBase::dump(depth, indent);
    if (depth <= 0) return;
    std::printf("%*cfnParts: %d\n", indent, ' ', PartCount());
    for (const auto& p : parts) {
        if (p)
            p->dump(depth - 1, indent + 1);
        else
            std::printf("%*c(none)\n", indent + 1, ' ');
    }
}

}  // namespace ts
