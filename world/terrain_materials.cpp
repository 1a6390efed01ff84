#include "world/terrain_materials.h"

#include <cstring>

#include "core/endian.h"

namespace world {

namespace {

// Fixed part of a stored material: eight words.
constexpr std::uint32_t kMaterialFixedBytes = 32;
// Far more than a terrain needs; a count beyond it is a damaged file.
constexpr std::uint32_t kMaxMaterials = 4096;

struct Reader {
    const std::uint8_t* p;
    std::size_t left;
    bool Take(std::size_t n, const std::uint8_t** out) {
        if (n > left) return false;
        *out = p;
        p += n;
        left -= n;
        return true;
    }
    bool U32(std::uint32_t* v) {
        const std::uint8_t* q = nullptr;
        if (!Take(4, &q)) return false;
        *v = core::ReadU32(q);
        return true;
    }
};

// A block: tag, size, body, and one pad byte when the size is odd.
bool ReadBlock(Reader& r, std::uint32_t tag, Reader* body) {
    std::uint32_t t = 0, size = 0;
    if (!r.U32(&t) || !r.U32(&size) || t != tag) return false;
    const std::uint8_t* data = nullptr;
    if (!r.Take(size, &data)) return false;
    if ((size & 1) != 0 && r.left > 0) {
        const std::uint8_t* pad = nullptr;
        r.Take(1, &pad);
    }
    *body = Reader{data, size};
    return true;
}

bool ReadMaterial(Reader& r, TerrainMaterial* m) {
    Reader body{nullptr, 0};
    if (!ReadBlock(r, kMaterialTag, &body)) return false;
    std::uint32_t length = 0;
    if (!body.U32(&m->type) || !body.U32(&m->word1) || !body.U32(&m->shading) ||
        !body.U32(&m->word2) || !body.U32(&m->paletteIndex) || !body.U32(&m->rgb) ||
        !body.U32(&m->flags) || !body.U32(&length)) {
        return false;
    }
    if (length == 0) return true;
    // The length counts the terminator; a name of 20 characters or more is refused.
    if (length > kMaxMaterialName + 1) return false;
    const std::uint8_t* name = nullptr;
    if (!body.Take(length, &name)) return false;
    const void* end = std::memchr(name, 0, length);
    const std::size_t n = end ? static_cast<const std::uint8_t*>(end) - name : length;
    m->textureName.assign(reinterpret_cast<const char*>(name), n);
    return true;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t b[4];
    core::WriteU32(b, v);
    out.insert(out.end(), b, b + 4);
}

void PutBlock(std::vector<std::uint8_t>& out, std::uint32_t tag,
              const std::vector<std::uint8_t>& body) {
    PutU32(out, tag);
    PutU32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if ((body.size() & 1) != 0) out.push_back(0);
}

}  // namespace

std::unique_ptr<TerrainMaterialList> TerrainMaterialList::FromBytes(const std::uint8_t* data,
                                                                    std::size_t size) {
    Reader r{data, size};
    Reader body{nullptr, 0};
    if (!ReadBlock(r, kMaterialListTag, &body)) return nullptr;
    std::uint32_t perSet = 0, sets = 0;
    if (!body.U32(&perSet) || !body.U32(&sets)) return nullptr;
    const std::uint64_t count = std::uint64_t{perSet} * sets;
    // Every material takes at least its block header and fixed words.
    if (count > kMaxMaterials || count * (8 + kMaterialFixedBytes) > body.left) return nullptr;
    auto list = std::make_unique<TerrainMaterialList>();
    list->perSet = static_cast<std::int32_t>(perSet);
    list->setCount = static_cast<std::int32_t>(sets);
    list->materials.resize(static_cast<std::size_t>(count));
    for (TerrainMaterial& m : list->materials)
        if (!ReadMaterial(body, &m)) return nullptr;
    return list;
}

std::unique_ptr<TerrainMaterialList> TerrainMaterialList::Read(core::StreamIO& stream) {
    std::uint8_t head[8];
    if (!core::ReadAll(stream, 8, head)) return nullptr;
    const std::uint32_t size = core::ReadU32(head + 4);
    // A list of the largest count with the longest names stays far below this.
    if (size > kMaxMaterials * 64u + 8u) return nullptr;
    std::vector<std::uint8_t> bytes(8 + std::size_t{size});
    std::memcpy(bytes.data(), head, 8);
    if (size != 0 && !core::ReadAll(stream, size, bytes.data() + 8)) return nullptr;
    return FromBytes(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> TerrainMaterialList::Store() const {
    std::vector<std::uint8_t> body;
    PutU32(body, static_cast<std::uint32_t>(perSet));
    PutU32(body, static_cast<std::uint32_t>(setCount));
    for (const TerrainMaterial& m : materials) {
        if (m.textureName.size() > kMaxMaterialName) return {};
        std::vector<std::uint8_t> mb;
        for (std::uint32_t v : {m.type, m.word1, m.shading, m.word2, m.paletteIndex, m.rgb, m.flags})
            PutU32(mb, v);
        if (m.textureName.empty()) {
            PutU32(mb, 0);
        } else {
            PutU32(mb, static_cast<std::uint32_t>(m.textureName.size() + 1));
            mb.insert(mb.end(), m.textureName.begin(), m.textureName.end());
            mb.push_back(0);
        }
        PutBlock(body, kMaterialTag, mb);
    }
    std::vector<std::uint8_t> out;
    PutBlock(out, kMaterialListTag, body);
    return out;
}

}  // namespace world
