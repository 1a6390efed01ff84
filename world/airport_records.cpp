#include "world/airport_records.h"

#include <cstring>

#include "core/endian.h"

namespace world {

namespace {

float ReadFloat(const std::uint8_t* p) {
    const std::uint32_t bits = core::ReadU32(p);
    float f = 0.0f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void WriteFloat(std::uint8_t* p, float f) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    core::WriteU32(p, bits);
}

// The records the member really holds: the stored count, capped at what follows it.
template <typename Record>
std::size_t RecordCount(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 4) return 0;
    const std::size_t stored = core::ReadU32(bytes.data());
    const std::size_t room = (bytes.size() - 4) / Record::kSize;
    return stored < room ? stored : room;
}

template <typename Record, typename Keep>
std::vector<Record> ReadRecords(const std::vector<std::uint8_t>& bytes, Keep keep) {
    std::vector<Record> out;
    const std::size_t n = RecordCount<Record>(bytes);
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        Record r;
        r.Read(bytes.data() + 4 + i * Record::kSize);
        if (keep(r)) out.push_back(std::move(r));
    }
    return out;
}

template <typename Record>
std::vector<std::uint8_t> WriteRecords(const std::vector<Record>& records) {
    std::vector<std::uint8_t> out(4 + records.size() * Record::kSize, 0);
    core::WriteU32(out.data(), static_cast<std::uint32_t>(records.size()));
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].Write(out.data() + 4 + i * Record::kSize);
    return out;
}

struct ShapeRow {
    int limit;
    const char* name;
};

// Obstacle shapes by type: the first row whose height limit is at least the obstacle's.
const ShapeRow kTowers[] = {{90, "TWR_0050"},   {190, "TWR_0100"},  {290, "TWR_0200"},
                            {390, "TWR_0300"},  {490, "TWR_0400"},  {590, "TWR_0500"},
                            {690, "TWR_0600"},  {790, "TWR_0700"},  {950, "TWR_0800"},
                            {1200, "TWR_1000"}, {1450, "TWR_1250"}, {1700, "TWR_1500"},
                            {1900, "TWR_1750"}, {30000, "TWR_2000"}};
const ShapeRow kType1[] = {{190, "tl_t0100.dts"}, {30000, "tl_t0200.dts"}};
const ShapeRow kType2[] = {{30000, "elev0200.dts"}};
const ShapeRow kType3[] = {{280, "stk_0200.dts"}, {550, "stk_0300.dts"}, {30000, "stk_0600.dts"}};
const ShapeRow kType4[] = {{190, "tank0100.dts"}, {30000, "tank0200.dts"}};
const ShapeRow kType5[] = {{30000, "sign0100.dts"}};
const ShapeRow kType6[] = {{290, "plt_0200.dts"}, {30000, "plt_0300.dts"}};
const ShapeRow kType7[] = {{190, "spir0100.dts"}, {30000, "spir0200.dts"}};
const ShapeRow kType8[] = {{80, "pole0050.dts"}, {30000, "pole0100.dts"}};
const ShapeRow kType9[] = {{290, "cran0200.dts"}, {30000, "cran0300.dts"}};
const ShapeRow kType10[] = {{30000, "rig_0200.dts"}};
const ShapeRow kType11[] = {{290, "ref_0200.dts"}, {30000, "ref_0300.dts"}};
const ShapeRow kType12[] = {{390, "cool0400.dts"}, {30000, "cool0500.dts"}};
const ShapeRow kType13[] = {{30000, "wind0200.dts"}};

struct ShapeTable {
    const ShapeRow* rows;
    int count;
};
template <std::size_t N>
constexpr ShapeTable Table(const ShapeRow (&rows)[N]) {
    return {rows, static_cast<int>(N)};
}
const ShapeTable kShapeTables[kObstacleTypes] = {
    Table(kTowers), Table(kType1),  Table(kType2),  Table(kType3), Table(kType4),
    Table(kType5),  Table(kType6),  Table(kType7),  Table(kType8), Table(kType9),
    Table(kType10), Table(kType11), Table(kType12), Table(kType13), Table(kTowers)};

}  // namespace

// ---- records --------------------------------------------------------------------------------

void RunwayRecord::Read(const std::uint8_t* p) {
    x = core::ReadI32(p);
    z = core::ReadI32(p + 4);
    heading = ReadFloat(p + 8);
    width = core::ReadI16(p + 12);
    length = core::ReadI16(p + 14);
    spare[0] = p[16];
    spare[1] = p[17];
    tileId = p[18];
    end1Code = p[19];
    end2Code = p[20];
    flags = p[21];
    threshold1 = core::ReadI16(p + 22);
    threshold2 = core::ReadI16(p + 24);
    markings = core::ReadU32(p + 26);
}

void RunwayRecord::Write(std::uint8_t* p) const {
    core::WriteU32(p, static_cast<std::uint32_t>(x));
    core::WriteU32(p + 4, static_cast<std::uint32_t>(z));
    WriteFloat(p + 8, heading);
    core::WriteU16(p + 12, static_cast<std::uint16_t>(width));
    core::WriteU16(p + 14, static_cast<std::uint16_t>(length));
    p[16] = spare[0];
    p[17] = spare[1];
    p[18] = tileId;
    p[19] = end1Code;
    p[20] = end2Code;
    p[21] = flags;
    core::WriteU16(p + 22, static_cast<std::uint16_t>(threshold1));
    core::WriteU16(p + 24, static_cast<std::uint16_t>(threshold2));
    core::WriteU32(p + 26, markings);
}

void BuildingRecord::Read(const std::uint8_t* p) {
    x = core::ReadI32(p);
    z = core::ReadI32(p + 4);
    heading = ReadFloat(p + 8);
    // The name ends at its terminator or at the end of its field, whichever comes first.
    const char* text = reinterpret_cast<const char*>(p + 12);
    name.assign(text, strnlen(text, kBuildingNameSize));
    if (name.size() >= kBuildingNameSize) name.resize(kBuildingNameSize - 1);
    tileId = p[21];
    cls = p[22];
}

int BuildingRecord::Write(std::uint8_t* p) const {
    if (name.size() >= kBuildingNameSize) return 0;
    core::WriteU32(p, static_cast<std::uint32_t>(x));
    core::WriteU32(p + 4, static_cast<std::uint32_t>(z));
    WriteFloat(p + 8, heading);
    std::memset(p + 12, 0, kBuildingNameSize);
    std::memcpy(p + 12, name.data(), name.size());
    p[21] = tileId;
    p[22] = cls;
    return 1;
}

void ObstacleRecord::Read(const std::uint8_t* p) {
    type = p[0];
    light = p[1];
    spare[0] = p[2];
    spare[1] = p[3];
    x = core::ReadI32(p + 4);
    z = core::ReadI32(p + 8);
    spare2 = p[12];
    tileId = p[13];
    height = core::ReadI16(p + 14);
}

void ObstacleRecord::Write(std::uint8_t* p) const {
    p[0] = type;
    p[1] = light;
    p[2] = spare[0];
    p[3] = spare[1];
    core::WriteU32(p + 4, static_cast<std::uint32_t>(x));
    core::WriteU32(p + 8, static_cast<std::uint32_t>(z));
    p[12] = spare2;
    p[13] = tileId;
    core::WriteU16(p + 14, static_cast<std::uint16_t>(height));
}

const char* ObstacleShapeName(int type, int height) {
    if (type < 0 || type >= kObstacleTypes) return nullptr;
    const ShapeTable& t = kShapeTables[type];
    for (int i = 0; i < t.count; ++i)
        if (t.rows[i].limit >= height) return t.rows[i].name;
    return t.rows[t.count - 1].name;
}

// ---- files ----------------------------------------------------------------------------------

std::vector<RunwayRecord> ReadRunwayRecords(const std::vector<std::uint8_t>& bytes) {
    // A runway without width or length has nothing to build.
    return ReadRecords<RunwayRecord>(bytes,
                                     [](const RunwayRecord& r) { return r.width > 0 && r.length > 0; });
}

std::vector<BuildingRecord> ReadBuildingRecords(const std::vector<std::uint8_t>& bytes) {
    return ReadRecords<BuildingRecord>(bytes,
                                       [](const BuildingRecord& r) { return !r.name.empty(); });
}

std::vector<ObstacleRecord> ReadObstacleRecords(const std::vector<std::uint8_t>& bytes) {
    return ReadRecords<ObstacleRecord>(
        bytes, [](const ObstacleRecord& r) { return r.type < kObstacleTypes; });
}

std::vector<std::uint8_t> WriteRunwayRecords(const std::vector<RunwayRecord>& r) {
    return WriteRecords(r);
}

std::vector<std::uint8_t> WriteBuildingRecords(const std::vector<BuildingRecord>& r) {
    for (const BuildingRecord& b : r)
        if (b.name.size() >= kBuildingNameSize) return {};
    return WriteRecords(r);
}

std::vector<std::uint8_t> WriteObstacleRecords(const std::vector<ObstacleRecord>& r) {
    return WriteRecords(r);
}

std::uint8_t TileIdOf(std::int32_t x, std::int32_t z) {
    if (x < 0 || z < 0) return kNoTile;
    const std::int32_t column = x >> 20, row = z >> 20;
    if (column > 15 || row > 15) return kNoTile;
    return static_cast<std::uint8_t>(column * 16 + row);
}

std::int32_t OffsetInTile(std::int32_t v) {
    const std::int64_t magnitude = v < 0 ? -static_cast<std::int64_t>(v) : v;
    const auto low = static_cast<std::int32_t>(magnitude & 0xFFFFF);
    return v < 0 ? -low : low;
}

}  // namespace world
