// Small shapes the tests build by hand: quadrilaterals and boxes with their centre vertices,
// stored clockwise as seen from their front (the order the polygon routines fill), and the
// material lists to draw them with.
#pragma once

#include <memory>
#include <vector>

#include "core/stream_test_util.h"
#include "ts/class_item.h"
#include "ts/material.h"
#include "ts/mesh.h"
#include "ts/shape.h"

namespace tstest {

// Adds a face with corners given counter-clockwise as seen from outside (normal out); it is
// stored the other way round, with its centre vertex.
inline void AddFace(ts::TSMesh& m, std::vector<ts::Vector3F> corners, std::int32_t material) {
    const ts::Vector3F a = corners[0], b = corners[1], c = corners[2];
    const ts::Vector3F u = b - a, v = c - a;
    ts::Vector3F n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    n = n * (1.0f / ts::VectorLength(n));
    ts::TSMesh::Face f;
    const int count = static_cast<int>(corners.size());
    ts::Vector3F centre{};
    for (int i = 0; i < count; ++i) {
        const ts::Vector3F p = corners[static_cast<std::size_t>(i == 0 ? 0 : count - i)];
        f.v[i] = static_cast<std::int32_t>(m.vertices.size());
        m.vertices.push_back(ts::TSMesh::Vertex{p, n});
        centre = centre + p;
    }
    if (count == 3) f.v[3] = f.v[2];
    f.centre = static_cast<std::int32_t>(m.vertices.size());
    m.vertices.push_back(ts::TSMesh::Vertex{centre * (1.0f / count), n});
    f.material = material;
    m.faces.push_back(f);
}

// A box from min to max, face k (-x, +x, -y, +y, -z, +z) with material k.
inline std::unique_ptr<ts::TSMesh> BoxMesh(ts::Vector3F lo, ts::Vector3F hi) {
    auto m = std::make_unique<ts::TSMesh>();
    const ts::Vector3F p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                               {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    AddFace(*m, {p[0], p[4], p[7], p[3]}, 0);  // -x
    AddFace(*m, {p[1], p[2], p[6], p[5]}, 1);  // +x
    AddFace(*m, {p[0], p[1], p[5], p[4]}, 2);  // -y
    AddFace(*m, {p[3], p[7], p[6], p[2]}, 3);  // +y
    AddFace(*m, {p[0], p[3], p[2], p[1]}, 4);  // -z
    AddFace(*m, {p[4], p[5], p[6], p[7]}, 5);  // +z
    const ts::Vector3F c = (lo + hi) * 0.5f;
    m->fCenter = c;
    m->fRadius = ts::VectorLength(hi - c);
    m->ComputeBounds();
    return m;
}

// Palette materials of colours first, first + 1, ... (unlit unless said), acquired.
inline std::unique_ptr<ts::TSMaterialList> ColourList(int count, std::uint32_t first,
                                                      std::uint32_t shading = ts::TSMaterial::kUnlit) {
    auto list = std::make_unique<ts::TSMaterialList>();
    for (int i = 0; i < count; ++i) {
        auto m = std::make_unique<ts::TSMaterial>();
        m->type = ts::TSMaterial::kPalette;
        m->shading = shading;
        m->paletteIndex = first + static_cast<std::uint32_t>(i);
        list->Add(std::move(m));
    }
    list->AcquireAll(nullptr);
    return list;
}

// The stored bytes of an object (version 1), and the object read back from bytes.
inline std::vector<std::uint8_t> Stored(const ts::ClassItem& item) {
    core::testing::VectorStream s;
    EXPECT_EQ(ts::ClassItem::storeObject(&item, s, 1), 1);
    return s.Bytes();
}
template <typename T>
std::unique_ptr<T> Loaded(const std::vector<std::uint8_t>& bytes) {
    core::testing::VectorStream s(bytes);
    return ts::ClassItem::load<T>(s, 0);
}

}  // namespace tstest
