#include "world/airport_objects.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/endian.h"
#include "core/ini_file.h"
#include "core/numeric.h"
#include "core/resource_volume.h"
#include "nav/lat_lon.h"
#include "platform/file_system.h"
#include "world/runway_shape.h"
#include "world/scenery_services.h"
#include "world/scenery_state.h"
#include "world/terrain_manager.h"

namespace world {

namespace {

constexpr std::size_t kNearObjectsReserved = 1024;

char NoLetter() {
    return 0;
}
const char* NoName() {
    return "";
}

// A member that is there holds its stored count of records, at least one, and nothing after
// them: one that reads empty is damaged like one cut short (a missing one the volume says).
bool HoldsWholeRecords(const std::vector<std::uint8_t>& bytes, bool present, int recordSize) {
    if (!present) return true;
    return bytes.size() >= 4 && core::ReadU32(bytes.data()) > 0 &&
           bytes.size() == 4 + std::size_t{core::ReadU32(bytes.data())} * static_cast<std::size_t>(recordSize);
}

std::vector<std::uint8_t> ReadMember(core::ResourceVolume* volume, const char* name,
                                     bool* present = nullptr) {
    std::vector<std::uint8_t> bytes;
    if (present != nullptr) *present = false;
    if (volume == nullptr || volume->OpenFile(name) == 0) return bytes;
    if (present != nullptr) *present = true;
    // Read in whole 4 KB pieces until the member ends: the count inside is checked against
    // what arrives.
    std::uint8_t piece[4096];
    for (;;) {
        const int got = volume->ReadRecords(piece, 1, sizeof piece);
        if (got <= 0) break;
        bytes.insert(bytes.end(), piece, piece + got);
        if (got < static_cast<int>(sizeof piece)) break;
    }
    volume->CloseFile();
    return bytes;
}

// One line of a debug report, printf-style.
template <typename... Args>
void AddLine(std::string* report, const char* format, Args... args) {
    char line[512];
    const int n = std::snprintf(line, sizeof line, format, args...);
    if (n > 0) report->append(line, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof line - 1));
}

// Writes a debug report file, or adds to it; a report that cannot be written (a pipe or a
// device has its name, the disc is full) is left out without waiting, and said once.
void WriteReport(const std::string& folder, const char* name, const std::string& text,
                 bool append = false) {
    const std::string path = folder.empty() ? std::string(name) : folder + "/" + name;
    platform::File file;
    std::uint32_t error = file.Open(
        path, platform::kAccessWrite, platform::kShareRead,
        append ? platform::Disposition::kOpenAlways : platform::Disposition::kCreateAlways);
    std::uint32_t done = 0;
    if (error == platform::kFileOk && append)
        error = file.Seek(0, platform::SeekFrom::kEnd, nullptr);
    if (error == platform::kFileOk)
        error = file.Write(text.data(), static_cast<std::uint32_t>(text.size()), &done);
    if (error != platform::kFileOk) core::ReportUnwrittenFile(path, error);
}

std::string LatLonPair(std::int32_t x, std::int32_t z) {
    std::string lat, lon;
    nav::FormatLatLon(&lat, &lon, WorldXToFlight(x), WorldZToFlight(z));
    char text[64];
    std::snprintf(text, sizeof text, "[%16s, %16s]", lat.c_str(), lon.c_str());
    return text;
}

std::int32_t Distance(std::int32_t x, std::int32_t z, const double aircraft[3]) {
    return core::SaturateToInt32(std::hypot(x - aircraft[0], z - aircraft[1]));
}

}  // namespace

PlaceServices thePlaceServices{&NoLetter, &NoName};

std::int32_t WorldXToFlight(std::int32_t x) {
    return core::SaturateToInt32((static_cast<double>(x) - kWorldOriginX) * 100.584);
}

std::int32_t WorldZToFlight(std::int32_t z) {
    return core::SaturateToInt32((static_cast<double>(z) - kWorldOriginZ) * 100.584);
}

void AirportObjectDatabase::Load(core::ResourceVolume* runwayVolume,
                                 core::ResourceVolume* buildingVolume,
                                 core::ResourceVolume* obstacleVolume, core::IniFile* settings,
                                 const std::string& dumpFolder) {
    folder = dumpFolder;
    auto debug = [&](const char* key) {
        return settings != nullptr && settings->GetInt("Debug", key, 0) != 0;
    };
    bool present = false;
    const std::vector<std::uint8_t> runwayBytes = ReadMember(runwayVolume, "rwys.bin", &present);
    runways = ReadRunwayRecords(runwayBytes);
    if (!HoldsWholeRecords(runwayBytes, present, RunwayRecord::kSize))
        runwayVolume->ReportDamagedMember("rwys.bin");
    if (debug("DumpRunways")) {
        std::string report;
        for (const RunwayRecord& r : runways)
            AddLine(&report, "gI: %x\n", r.tileId);
        WriteReport(folder, "DmpRwy.out", report);
    }
    const std::vector<std::uint8_t> buildingBytes =
        ReadMember(buildingVolume, "buildings.bin", &present);
    buildings = ReadBuildingRecords(buildingBytes);
    if (!HoldsWholeRecords(buildingBytes, present, BuildingRecord::kSize))
        buildingVolume->ReportDamagedMember("buildings.bin");
    towerCheck = debug("VerifyTowers");
    if (debug("DumpBuildings")) {
        std::string report;
        for (const BuildingRecord& b : buildings)
            AddLine(&report, "[gI: %x] [p: %d] %s %s\n", b.tileId, b.cls,
                    LatLonPair(b.x, b.z).c_str(), b.name.c_str());
        WriteReport(folder, "DmpBuild.out", report);
    }
    beacons.clear();
    if (debug("VerifyBeacons")) {
        for (const BuildingRecord& b : buildings)
            if (b.cls == kBeaconClass) beacons.push_back({&b, 6900000, ""});
    }
    const std::vector<std::uint8_t> obstacleBytes =
        ReadMember(obstacleVolume, "obstacle.bin", &present);
    obstacles = ReadObstacleRecords(obstacleBytes);
    if (!HoldsWholeRecords(obstacleBytes, present, ObstacleRecord::kSize))
        obstacleVolume->ReportDamagedMember("obstacle.bin");
    if (debug("DumpObstacles")) {
        std::string report;
        for (const ObstacleRecord& o : obstacles) {
            const char* shape = ObstacleShapeName(o.type, o.height);
            AddLine(&report, "[gI: %x] %s %s\n", o.tileId, LatLonPair(o.x, o.z).c_str(),
                    shape != nullptr ? shape : "");
        }
        WriteReport(folder, "DmpOb.out", report);
    }
}

void AirportObjectDatabase::SetRecords(std::vector<RunwayRecord> r, std::vector<BuildingRecord> b,
                                       std::vector<ObstacleRecord> o) {
    runways = std::move(r);
    buildings = std::move(b);
    obstacles = std::move(o);
    beacons.clear();
}

std::vector<const RunwayRecord*> AirportObjectDatabase::RunwaysInTile(std::uint8_t tile) const {
    std::vector<const RunwayRecord*> out;
    if (tile == kNoTile) return out;
    for (const RunwayRecord& r : runways)
        if (r.tileId == tile) out.push_back(&r);
    return out;
}

std::vector<const BuildingRecord*> AirportObjectDatabase::BuildingsInTile(std::uint8_t tile,
                                                                          int density) const {
    std::vector<const BuildingRecord*> out;
    if (tile == kNoTile) return out;
    for (const BuildingRecord& b : buildings)
        if (b.tileId == tile && b.cls != kTowerClass && b.cls >= density) out.push_back(&b);
    return out;
}

std::vector<const BuildingRecord*> AirportObjectDatabase::TowersInTile(std::uint8_t tile) const {
    std::vector<const BuildingRecord*> out;
    if (tile == kNoTile) return out;
    for (const BuildingRecord& b : buildings)
        if (b.tileId == tile && b.cls == kTowerClass) out.push_back(&b);
    return out;
}

std::vector<const ObstacleRecord*> AirportObjectDatabase::ObstaclesInTile(std::uint8_t tile) const {
    std::vector<const ObstacleRecord*> out;
    if (tile == kNoTile) return out;
    std::size_t i = 0;
    while (i < obstacles.size() && obstacles[i].tileId < tile)
        ++i;
    for (; i < obstacles.size() && obstacles[i].tileId == tile; ++i)
        out.push_back(&obstacles[i]);
    return out;
}

std::vector<ObstaclePoint> AirportObjectDatabase::CollectObstaclesInTile(std::int32_t x,
                                                                         std::int32_t z) const {
    std::vector<ObstaclePoint> out;
    for (const ObstacleRecord* o : ObstaclesInTile(TileIdOf(x, z)))
        out.push_back({OffsetInTile(o->x), OffsetInTile(o->z)});
    return out;
}

std::optional<std::array<std::int32_t, 2>> AirportObjectDatabase::FindNextObstacleNear(
    std::size_t* cursor, std::int32_t x, std::int32_t z, std::int32_t radius) const {
    constexpr double kToWorld = 0.009941939075797343;
    const std::int64_t wx = core::SaturateToInt32(x * kToWorld) + std::int64_t{kWorldOriginX};
    const std::int64_t wz = core::SaturateToInt32(z * kToWorld) + std::int64_t{kWorldOriginZ};
    const std::int64_t r = core::SaturateToInt32(radius * kToWorld);
    for (; *cursor < obstacles.size(); ++*cursor) {
        const ObstacleRecord& o = obstacles[*cursor];
        if (std::llabs(o.x - wx) <= r && std::llabs(o.z - wz) <= r) {
            ++*cursor;
            return std::array<std::int32_t, 2>{WorldXToFlight(o.x), WorldZToFlight(o.z)};
        }
    }
    return std::nullopt;
}

void AirportObjectDatabase::CheckTowers(const std::vector<const BuildingRecord*>& towers,
                                        const double aircraft[3]) {
    if (!towerCheck || towers.empty()) return;
    const char letter = thePlaceServices.letter();
    if (letter < 'A' || letter > 'D') return;
    std::int32_t nearest = 6900000;
    for (const BuildingRecord* t : towers)
        nearest = std::min(nearest, Distance(t->x, t->z, aircraft));
    std::string line;
    AddLine(&line, "[gi: %2x] [%7d] [%c] %s\n", towers.front()->tileId, nearest, letter,
            thePlaceServices.name());
    WriteReport(folder, "TowerErr.Out", line, true);
}

void AirportObjectDatabase::CheckBeacons(const double aircraft[3]) {
    const std::string name = thePlaceServices.name();
    for (BeaconEntry& e : beacons) {
        const std::int32_t d = Distance(e.record->x, e.record->z, aircraft);
        if (d < e.distance) {
            e.distance = d;
            // The last five characters of the place name, or all of a shorter one.
            e.tag = name.substr(name.size() - std::min<std::size_t>(name.size(), 5));
        }
    }
}

void AirportObjectDatabase::WriteBeaconReport() const {
    if (beacons.empty()) return;
    std::string report;
    for (const BeaconEntry& e : beacons)
        AddLine(&report, "[%7d] [%5s] %s [%x] %s\n", e.distance, e.tag.c_str(),
                LatLonPair(e.record->x, e.record->z).c_str(), e.record->tileId,
                e.record->name.c_str());
    WriteReport(folder, "BeacErr.Out", report);
}

// ---- the artifacts ----------------------------------------------------------------------------

namespace {

// An object's place: its record's position, turned by its heading, on the ground there from
// when something first comes near it (Artifact::Ground).
void PlaceOnGround(Artifact* a, std::int32_t x, std::int32_t z, float heading, std::uint8_t tile) {
    const double at[3] = {static_cast<double>(x), static_cast<double>(z), 0.0};
    const float turn[3] = {0.0f, 0.0f, heading};
    a->Place(at, turn);
    a->tileId = tile;
    a->grounded = false;
}

}  // namespace

AirportObjectDatabase::~AirportObjectDatabase() {
    DestroyCreatedArtifacts();
}

void AirportObjectDatabase::SetShapeFolders(core::ResourceVolume* buildingFolder,
                                            core::ResourceVolume* obstacleFolder,
                                            core::ResourceVolume* planeFolder) {
    buildingShapes = buildingFolder;
    obstacleShapes = obstacleFolder;
    planeShapes = planeFolder;
}

std::unique_ptr<TileArtifacts> AirportObjectDatabase::BuildRunways(std::uint8_t tile, int markings,
                                                                   int lighting) const {
    if (tile == kNoTile) return nullptr;
    auto list = std::make_unique<TileArtifacts>();
    for (const RunwayRecord* r : RunwaysInTile(tile)) {
        auto* a = new ArtifactTrans(std::make_unique<RunwayShape>(*r, markings, lighting));
        PlaceOnGround(a, r->x, r->z, r->heading, tile);
        a->RefreshTransform();
        list->Add(a);
    }
    return list;
}

std::unique_ptr<TileArtifacts> AirportObjectDatabase::BuildBuildings(std::uint8_t tile,
                                                                     int density) {
    if (tile == kNoTile) return nullptr;
    auto list = std::make_unique<TileArtifacts>();
    for (const BuildingRecord* b : BuildingsInTile(tile, density)) {
        ts::TSShape* s = theSceneryServices.acquireShape(b->name.c_str(), buildingShapes, 1);
        if (s == nullptr) continue;  // a shape that is not there leaves its building out
        auto* a = new ArtifactBuilding();
        a->AttachShape(s);
        PlaceOnGround(a, b->x, b->z, b->heading, tile);
        list->Add(a);
    }
    return list;
}

std::unique_ptr<TileArtifacts> AirportObjectDatabase::BuildTowers(std::uint8_t tile,
                                                                  const double aircraft[3]) {
    if (tile == kNoTile) return nullptr;
    auto list = std::make_unique<TileArtifacts>();
    const std::vector<const BuildingRecord*> towers = TowersInTile(tile);
    for (const BuildingRecord* b : towers) {
        ts::TSShape* s = theSceneryServices.acquireShape(b->name.c_str(), buildingShapes, 1);
        if (s == nullptr) continue;
        auto* a = new ArtifactBuilding();
        a->AttachShape(s);
        PlaceOnGround(a, b->x, b->z, b->heading, tile);
        list->Add(a);
    }
    CheckTowers(towers, aircraft);
    CheckBeacons(aircraft);
    return list;
}

std::unique_ptr<TileArtifacts> AirportObjectDatabase::BuildObstacles(std::uint8_t tile) {
    if (tile == kNoTile) return nullptr;
    auto list = std::make_unique<TileArtifacts>();
    for (const ObstacleRecord* o : ObstaclesInTile(tile)) {
        const char* name = ObstacleShapeName(o->type, o->height);
        if (name == nullptr) continue;
        ts::TSShape* s = theSceneryServices.acquireShape(name, obstacleShapes, 0);
        if (s == nullptr) continue;
        auto* a = new ArtifactAnim();
        a->AttachLights(s, o->light, name, &shapeReport);
        PlaceOnGround(a, o->x, o->z, 0.0f, tile);
        list->Add(a);
    }
    return list;
}

void AirportObjectDatabase::SetView(const double at[3]) {
    for (int i = 0; i < 3; ++i)
        viewer[i] = at[i];
    nearList.clear();
    // Room for the objects of a busy place at once: a frame that meets a few more objects than
    // the one before allocates nothing.
    if (nearList.capacity() < kNearObjectsReserved) nearList.reserve(kNearObjectsReserved);
}

void AirportObjectDatabase::CollectNearObjects(TileArtifacts& tile, double maxDistance) {
    const int period = theSceneryServices.dayPeriod();
    // Whether the ground under an object is loaded is a question of the terrain tile it stands
    // in: asked once for each run of objects in one tile (a place that is not a number is
    // never in the tile asked before).
    double askedColumn = std::numeric_limits<double>::quiet_NaN();
    double askedRow = askedColumn;
    int loaded = 0;
    // A tile's size is a power of two: times its reciprocal is the very quotient.
    constexpr double kPerTile = 1.0 / kTileUnits;
    const double farSquared = (maxDistance * 1.000001) * (maxDistance * 1.000001);
    const std::vector<Artifact*>& items = tile.Items();
    for (std::size_t k = 0; k < tile.Runs().size(); ++k) {
        const TileArtifacts::Run& run = tile.Runs()[k];
        // A run wholly beyond the reach holds no near object (and whether the ground under
        // an object is loaded is a question without side effects). Its objects stand on their
        // ground as they come within the reach over the ground; until then their height is not
        // known, nor the run's.
        if (!run.grounded) {
            if (SquaredDistanceToRun(run, viewer, 2) > farSquared) continue;
            tile.GroundRun(k, viewer, farSquared);
        } else if (SquaredDistanceToRun(run, viewer) > farSquared) {
            continue;
        }
        for (std::size_t i = run.begin; i < run.end; ++i) {
            Artifact* a = items[i];
            if (!a->grounded) continue;  // beyond the reach over the ground
            const double column = std::floor(a->position[0] * kPerTile);
            const double row = std::floor(a->position[1] * kPerTile);
            if (column != askedColumn || row != askedRow) {
                loaded = theSceneryServices.isTerrainLoadedAt(a->position);
                askedColumn = column;
                askedRow = row;
            }
            if (loaded == 0) continue;
            const double squared = (a->position[0] - viewer[0]) * (a->position[0] - viewer[0]) +
                                   (a->position[1] - viewer[1]) * (a->position[1] - viewer[1]) +
                                   (a->position[2] - viewer[2]) * (a->position[2] - viewer[2]);
            // Plainly beyond the reach: not near, and no distance is asked of an object not
            // drawn.
            if (squared > farSquared) continue;
            const double d = std::sqrt(squared);
            a->distance = core::SaturateToInt32(d);
            if (!(d < maxDistance)) continue;
            if (a->GetKind() == Artifact::Kind::kAnim)
                static_cast<ArtifactAnim*>(a)->AdvanceLights(theFlightStepCounter, period);
            nearList.push_back(a);
        }
    }
}

void AirportObjectDatabase::QueueVisibleObjects(int /*panCamera*/) {
    // Far to near: the ground's lists draw each cell's objects in the order they arrive. Equal
    // distances go by place, so every run files alike (and sorting in place allocates nothing).
    std::sort(nearList.begin(), nearList.end(), [](const Artifact* a, const Artifact* b) {
        if (a->distance != b->distance) return a->distance > b->distance;
        if (a->position[0] != b->position[0]) return a->position[0] < b->position[0];
        return a->position[1] < b->position[1];
    });
    double offset[2];
    theSceneryServices.sceneOffset(offset);
    for (Artifact* a : nearList) {
        float rect[4];
        if (a->GetKind() == Artifact::Kind::kTrans) {
            auto* t = static_cast<ArtifactTrans*>(a);
            if (t->stale) t->RefreshTransform();
            // Filed by the ground its lights reach too: the approach lights out in front of
            // the pavement are drawn with it, after the ground they stand on.
            t->GroundRect(offset, rect, true);
        } else {
            const float x = static_cast<float>(a->position[0] - offset[0]);
            const float y = static_cast<float>(a->position[1] - offset[1]);
            const float r = a->Radius();
            rect[0] = x - r;
            rect[1] = y - r;
            rect[2] = x + r;
            rect[3] = y + r;
        }
        const int flat = a->GetKind() == Artifact::Kind::kTrans ? 1 : 0;
        if (theSceneryServices.addTerrainRenderItem(rect, static_cast<float>(a->position[2]), flat,
                                                    a) == 0)
            theSceneryServices.addRenderItem(a->position, a->Radius(), a);
    }
    for (Artifact* a : created) {
        const double d = std::sqrt((a->position[0] - viewer[0]) * (a->position[0] - viewer[0]) +
                                   (a->position[1] - viewer[1]) * (a->position[1] - viewer[1]) +
                                   (a->position[2] - viewer[2]) * (a->position[2] - viewer[2]));
        a->distance = core::SaturateToInt32(d);
        if (d < 5000.0) theSceneryServices.addRenderItem(a->position, a->Radius(), a);
    }
}

Artifact* AirportObjectDatabase::CreateArtifact(const char* shapeName) {
    ts::TSShape* s = theSceneryServices.acquireShape(shapeName, planeShapes, 0);
    if (s == nullptr) return nullptr;
    auto* a = new Artifact();
    a->AttachShape(s);
    // Traffic casts the light aircraft's shadow, the size of its own shape.
    a->AttachShadow(0);
    created.push_back(a);
    return a;
}

void AirportObjectDatabase::DestroyCreatedArtifact(Artifact* a) {
    const auto it = std::find(created.begin(), created.end(), a);
    if (it == created.end()) return;
    created.erase(it);
    DestroyArtifact(a);
}

void AirportObjectDatabase::DestroyCreatedArtifacts() {
    for (Artifact* a : created)
        DestroyArtifact(a);
    created.clear();
}

}  // namespace world
