#include "world/artifact_shape_cache.h"

#include <strings.h>

#include "core/pool_alloc.h"
#include "ts/detail_parts.h"
#include "ts/mesh.h"
#include "ts/shape.h"

namespace world {

namespace {

// The entries' pool: 12-byte entries, 800 unless the settings give more.
core::PoolAlloc& EntryPool() {
    static core::PoolAlloc pool(12, 800);
    return pool;
}

bool SameName(const std::string& a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The first part of type T in the tree, depth first.
template <typename T>
T* FirstOf(ts::TSPartBase* part) {
    if (part == nullptr) return nullptr;
    if (auto* found = dynamic_cast<T*>(part)) return found;
    auto* list = dynamic_cast<ts::TSPartList*>(part);
    if (list == nullptr) return nullptr;
    for (int i = 0; i < list->PartCount(); ++i)
        if (T* found = FirstOf<T>(list->Part(i))) return found;
    return nullptr;
}

}  // namespace

ArtifactShapeCache::ArtifactShapeCache() = default;

ArtifactShapeCache::~ArtifactShapeCache() {
    for (Entry& e : entries)
        delete e.shape;
}

ts::TSShape* ArtifactShapeCache::Acquire(std::string_view name, const gfx::GFXPalette* palette) {
    for (Entry& e : entries) {
        if (!SameName(e.name, name)) continue;
        ++e.references;
        return e.shape;
    }
    ts::TSShape* shape = ts::TSShape::Load(name, palette);
    if (shape == nullptr) return nullptr;
    if (buildingTile) {
        // Buildings are culled and picked in detail by a sphere twice their size.
        shape->fRadius *= 2.0f;
        if (ts::TSMesh* mesh = FirstOf<ts::TSMesh>(FirstOf<ts::TSDetailPart>(shape))) mesh->fRadius *= 2.0f;
    }
    entries.push_back(Entry{std::string(name), shape, 1});
    return shape;
}

void ArtifactShapeCache::Release(const ts::TSShape* shape) {
    if (shape == nullptr) return;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Entry& e = entries[i];
        if (e.shape != shape) continue;
        if (e.references > 0 && --e.references > 0) return;
        delete e.shape;
        e = std::move(entries.back());
        entries.pop_back();
        return;
    }
}

std::uint32_t ArtifactShapeCache::References(const ts::TSShape* shape) const {
    for (const Entry& e : entries)
        if (e.shape == shape) return e.references;
    return 0;
}

void ArtifactShapeCache::SetPoolCapacity(std::int32_t count) {
    if (count > 0) EntryPool().Reset(core::ClampPoolCount(count));
}

std::uint16_t ArtifactShapeCache::PoolCapacity() {
    return EntryPool().Capacity();
}

}  // namespace world
