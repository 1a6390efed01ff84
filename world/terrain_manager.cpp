#include "world/terrain_manager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/endian.h"
#include "core/ini_file.h"
#include "gfx/bitmap.h"
#include "platform/file_system.h"
#include "world/magnetic_grid.h"
#include "world/scenery_settings.h"
#include "world/terrain_services.h"

namespace world {

namespace {

constexpr const char* kBaseFolder = "art\\terrain";
constexpr const char* kStubFile = "stub.ted";
constexpr std::uint32_t kDeadlineMs = 5000;
constexpr double kTileFlightUnits = kTileUnits * kFlightUnitsPerTerrainUnit;
constexpr double kGridPerFlightUnit = 0.009941939075797343;  // 1 / 100.584
// "GridText.bin": a count, 16-byte names, then 256 x 256 images.
constexpr std::uint32_t kTextureNameBytes = 16;
constexpr std::uint32_t kTextureBytes = 256 * 256;
constexpr std::uint32_t kMaxGroundTextures = 1024;

void NoPosition(std::int32_t out[3]) {
    out[0] = out[1] = out[2] = 0;
}
void NoHeight(std::int32_t) {}
std::uint32_t NoTime() {
    return 0;
}
std::int32_t DefaultSetting(int index) {
    static const SceneryGraphicsSettings defaults;
    return defaults.Get(index);
}
void NoCommand(std::uint32_t) {}
void NoCursor(int) {}

TerrainHeightResult theNoTerrain;

const TerrainHeightResult& NoTerrain() {
    theNoTerrain = TerrainHeightResult{};
    return theNoTerrain;
}

}  // namespace

TerrainServices DefaultTerrainServices() {
    return TerrainServices{&NoPosition, &NoHeight, &NoTime, &DefaultSetting, &NoCommand, &NoCursor};
}

TerrainServices theTerrainServices = DefaultTerrainServices();

TilePosition TileOfPosition(std::int32_t fmPosX, std::int32_t fmPosZ) {
    TilePosition p;
    const double tx = fmPosX / kTileFlightUnits;
    const double tz = fmPosZ / kTileFlightUnits;
    const double fx = std::floor(tx), fz = std::floor(tz);
    p.column = static_cast<std::int32_t>(fx) + 9;
    p.row = static_cast<std::int32_t>(fz) + 5;
    const double ux = tx - fx, uz = tz - fz;
    if (ux < 0.333) p.flags |= 1;
    if (ux > 0.667) p.flags |= 2;
    if (uz < 0.333) p.flags |= 4;
    if (uz > 0.667) p.flags |= 8;
    return p;
}

TerrainTile::TerrainTile(std::int32_t c, std::int32_t r) : column(c), row(r), id(IdFor(c, r)) {}

std::uint8_t TerrainTile::IdFor(std::int32_t c, std::int32_t r) {
    if (c < 0 || c >= kWorldTiles || r < 0 || r >= kWorldTiles) return kNoTileId;
    return static_cast<std::uint8_t>(c * 16 + r);
}

TerrainManager::TerrainManager() {
    textureChoice = theTerrainServices.graphicsSetting(kTerrainTexture) != 0 ? 1 : 0;
    SetTerrainRange(theTerrainServices.graphicsSetting(kTerrainRange));
    OpenTextureVolume();
    lowTerrain = core::theIniFile.GetInt("Graphics", "LowTerrain", 0) != 0;
}

TerrainManager::~TerrainManager() {
    ReleaseTiles();
}

void TerrainManager::SetRegion(std::string_view name) {
    region.assign(name.substr(0, 15));
}

std::string TerrainManager::TilePath(std::int32_t column, std::int32_t row) const {
    char name[32];
    std::snprintf(name, sizeof name, "NA_%02dX%02d.TED", row, column);
    return std::string(kBaseFolder) + "\\" + region + "\\" + name;
}

void TerrainManager::OpenTextureVolume() {
    const std::string volume = "Art\\" + region + ".Vol";
    const std::string folder =
        "Art\\Terrain\\" + region + "\\" + (textureChoice != 0 ? "DML" : "DML-LOW");
    textureVolume = std::make_unique<core::ResourceVolume>(volume.c_str(), folder.c_str(), 0);
}

void TerrainManager::InitDiskCache() {
    diskCache.Init(kBaseFolder, region,
                   core::theIniFile.GetInt("MemControl", "DiskCacheSize", 25));
    MapGridText();
}

// ---- the ground textures --------------------------------------------------------------------

void TerrainManager::MapGridText() {
    UnmapGridText();
    if (textureChoice == 0) return;
    std::string path = std::string(kBaseFolder) + "\\" + region + "\\GridText.bin";
    if (!core::FindDataFile(path) || !gridText.Map(path)) return;
    const std::uint8_t* data = gridText.Data();
    const std::uint64_t size = gridText.Size();
    const std::uint32_t n = size >= 4 ? core::ReadU32(data) : 0;
    // The count must be sane and every name and image must be there.
    if (size < 4 || n == 0 || n > kMaxGroundTextures ||
        4 + std::uint64_t{n} * (kTextureNameBytes + kTextureBytes) > size) {
        gridText.Unmap();
        return;
    }
    groundTextures.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        const char* name = reinterpret_cast<const char*>(data + 4 + i * kTextureNameBytes);
        std::size_t length = 0;
        while (length < kTextureNameBytes && name[length] != '\0')
            ++length;
        auto bmp = std::make_unique<gfx::GFXBitmap>();
        bmp->width = 256;
        bmp->height = 256;
        bmp->stride = 256;
        bmp->bitsPerPixel = 8;
        bmp->size = static_cast<std::int32_t>(kTextureBytes);
        // The pixels stay in the read-only mapping; the bitmap does not own them.
        bmp->pixels = const_cast<std::uint8_t*>(data + 4 + std::uint64_t{n} * kTextureNameBytes +
                                                std::uint64_t{i} * kTextureBytes);
        groundTextures.push_back(GroundTexture{std::string(name, length), std::move(bmp)});
    }
}

void TerrainManager::UnmapGridText() {
    for (GroundTexture& t : groundTextures)
        t.bitmap->pixels = nullptr;
    groundTextures.clear();
    gridText.Unmap();
}

const gfx::GFXBitmap* TerrainManager::FindGroundTexture(std::string_view name) const {
    for (const GroundTexture& t : groundTextures)
        if (platform::EqualIgnoringCase(t.name, name)) return t.bitmap.get();
    return nullptr;
}

// ---- material lists -------------------------------------------------------------------------

TerrainMaterialList* TerrainManager::AcquireMaterialList(const std::string& name) {
    for (MaterialListHolder& h : materialLists) {
        if (platform::EqualIgnoringCase(h.name, name)) {
            ++h.uses;
            return h.list.get();
        }
    }
    if (!textureVolume || !textureVolume->OpenFile(name)) {
        if (textureVolume) textureVolume->CloseFile();
        return nullptr;
    }
    std::unique_ptr<TerrainMaterialList> list =
        TerrainMaterialList::Read(*textureVolume->GetStream());
    textureVolume->CloseFile();
    if (!list) return nullptr;
    for (TerrainMaterial& m : list->materials) {
        // Terrain colours are lit per cell corner; a smooth palette colour is drawn flat.
        if (m.type == kMaterialPalette && m.shading == kShadingSmooth) m.shading = kShadingFlat;
        if (m.type == kMaterialTexture) m.texture = FindGroundTexture(m.textureName);
    }
    materialLists.push_back(MaterialListHolder{std::move(list), name, 1});
    return materialLists.back().list.get();
}

void TerrainManager::ReleaseMaterialList(TerrainMaterialList* list) {
    for (std::size_t i = 0; i < materialLists.size(); ++i) {
        if (materialLists[i].list.get() != list) continue;
        if (--materialLists[i].uses == 0)
            materialLists.erase(materialLists.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
}

// ---- tiles ----------------------------------------------------------------------------------

TerrainTile* TerrainManager::LoadTerrainTile(std::int32_t dx, std::int32_t dz) {
    const int slot = 3 * (dx + 1) + (dz + 1);
    if (slot < 0 || slot > 8) return nullptr;
    if (tiles[static_cast<std::size_t>(slot)]) return tiles[static_cast<std::size_t>(slot)].get();
    const std::int32_t column = centreColumn + dx;
    const std::int32_t row = centreRow + dz;
    // Beyond the world there is no terrain at all.
    if (TerrainTile::IdFor(column, row) == kNoTileId) return nullptr;
    const std::string folder = std::string(kBaseFolder) + "\\" + region;
    std::string path = lowTerrain ? folder + "\\" + kStubFile : TilePath(column, row);
    auto tile = std::make_unique<TerrainTile>(column, row);
    std::string open = diskCache.Fetch(path);
    if (open.empty()) {
        tile->state = 1;
        open = diskCache.Fetch(folder + "\\" + kStubFile);
    }
    if (lowTerrain) tile->state = 1;
    if (open.empty() || !tile->Open(open)) return nullptr;
    tile->fileName = open;
    std::int32_t heights[256];
    for (int i = 0; i < 256; ++i)
        heights[i] = ConvertHeightToTerrain(tile->Root()->ownHeights[static_cast<std::size_t>(i)]);
    tile->ConvertHeightsToTerrain(true);
    tile->SetRootHeights(heights);
    bool first = true;
    for (TerrainBlockRecord& r : tile->Blocks()) {
        if (r.materialFile.empty()) continue;
        const std::size_t slash = r.materialFile.find_last_of("\\/");
        const std::string name =
            slash == std::string::npos ? r.materialFile : r.materialFile.substr(slash + 1);
        TerrainMaterialList* list = AcquireMaterialList(name);
        if (list == nullptr) continue;
        tile->SetBlockMaterialList(r.id, list);
        if (first) tile->SetRootMaterialList(list);
        first = false;
    }
    tiles[static_cast<std::size_t>(slot)] = std::move(tile);
    return tiles[static_cast<std::size_t>(slot)].get();
}

void TerrainManager::UnloadSlot(int index) {
    std::unique_ptr<TerrainTile>& tile = tiles[static_cast<std::size_t>(index)];
    if (!tile) return;
    // Each record acquired its list once; the root shares the first record's.
    for (TerrainBlockRecord& r : tile->Blocks())
        if (r.materials != nullptr && !r.materialFile.empty()) ReleaseMaterialList(r.materials);
    if (tile.get() == centre) centre = nullptr;
    tile.reset();
}

void TerrainManager::ReleaseTiles() {
    for (int i = 0; i < 9; ++i)
        UnloadSlot(i);
    centre = nullptr;
    UnmapGridText();
    materialLists.clear();
}

void TerrainManager::PageWindow(const TilePosition& at) {
    const std::int32_t dc = at.column - centreColumn;
    const std::int32_t dr = at.row - centreRow;
    const bool near = centreColumn >= 0 && std::abs(dc) <= 1 && std::abs(dr) <= 1;
    if (near) {
        // Shift the window one column and one row at a time; what falls out is unloaded.
        auto shiftColumns = [&](int step) {
            const int dropped = step > 0 ? 0 : 2;
            for (int b = 0; b < 3; ++b)
                UnloadSlot(3 * dropped + b);
            if (step > 0) {
                for (int a = 0; a < 2; ++a)
                    for (int b = 0; b < 3; ++b)
                        tiles[static_cast<std::size_t>(3 * a + b)] =
                            std::move(tiles[static_cast<std::size_t>(3 * (a + 1) + b)]);
            } else {
                for (int a = 2; a > 0; --a)
                    for (int b = 0; b < 3; ++b)
                        tiles[static_cast<std::size_t>(3 * a + b)] =
                            std::move(tiles[static_cast<std::size_t>(3 * (a - 1) + b)]);
            }
        };
        auto shiftRows = [&](int step) {
            const int dropped = step > 0 ? 0 : 2;
            for (int a = 0; a < 3; ++a)
                UnloadSlot(3 * a + dropped);
            for (int a = 0; a < 3; ++a) {
                if (step > 0) {
                    for (int b = 0; b < 2; ++b)
                        tiles[static_cast<std::size_t>(3 * a + b)] =
                            std::move(tiles[static_cast<std::size_t>(3 * a + b + 1)]);
                } else {
                    for (int b = 2; b > 0; --b)
                        tiles[static_cast<std::size_t>(3 * a + b)] =
                            std::move(tiles[static_cast<std::size_t>(3 * a + b - 1)]);
                }
            }
        };
        if (dc != 0) shiftColumns(dc);
        if (dr != 0) shiftRows(dr);
    } else {
        for (int i = 0; i < 9; ++i)
            UnloadSlot(i);
        // Far from the old ground: the aircraft keeps its height above the new ground.
        theTerrainDatum = 0;
        theTerrainSampleRestart = 1;
    }
    centreColumn = at.column;
    centreRow = at.row;
    positionFlags = at.flags;
    LoadWindow();
}

void TerrainManager::LoadWindow() {
    const std::uint32_t flags = positionFlags;
    const std::int32_t sx = (flags & 1) ? -1 : ((flags & 2) ? 1 : 0);
    const std::int32_t sz = (flags & 4) ? -1 : ((flags & 8) ? 1 : 0);
    if (sx != 0 && sz != 0) LoadTerrainTile(sx, sz);
    if (sx != 0) LoadTerrainTile(sx, 0);
    if (sz != 0) LoadTerrainTile(0, sz);
    centre = LoadTerrainTile(0, 0);
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            if (TerrainTile* t = tiles[static_cast<std::size_t>(3 * a + b)].get())
                t->SetOrigin(4 * a - 6, 4 * b - 6);
    MagneticGrid::LoadMag(centreColumn, centreRow);
    MagneticGrid::LoadNor(centreColumn, centreRow);
}

void TerrainManager::UpdateDatum(std::int32_t fmPosX, std::int32_t fmPosZ) {
    double h = 0.0;
    if (centre != nullptr) {
        double origin[3];
        GetWindowOrigin(origin);
        const double gx = origin[0] + fmPosX * kGridPerFlightUnit;
        const double gy = origin[1] + fmPosZ * kGridPerFlightUnit;
        h = centre->GetHeightAt(static_cast<std::int32_t>(gx), static_cast<std::int32_t>(gy))
                .height;
        std::int32_t pos[3];
        theTerrainServices.aircraftPosition(pos);
        const auto datum = static_cast<std::int32_t>(std::trunc(h * kFlightUnitsPerTerrainUnit));
        if (theTerrainSampleRestart != 0) {
            theTerrainSampleRestart = 0;
        } else {
            // The aircraft keeps its altitude while the ground under it changes: it moves by
            // exactly the datum's change, so no rounding accumulates over a long descent.
            const std::int64_t y = static_cast<std::int64_t>(pos[1]) -
                                   (static_cast<std::int64_t>(datum) - theTerrainDatum);
            theTerrainServices.setAircraftHeight(
                static_cast<std::int32_t>(std::clamp<std::int64_t>(y, INT32_MIN, INT32_MAX)));
        }
        theTerrainDatum = datum;
    }
    // The ground under the aircraft above the datum: 0 wherever the datum has just followed it.
    theTerrainHeight = static_cast<std::int32_t>(std::trunc(h * kFlightUnitsPerTerrainUnit)) -
                       theTerrainDatum;
}

void TerrainManager::TrackAircraft() {
    std::int32_t pos[3];
    theTerrainServices.aircraftPosition(pos);
    const TilePosition at = TileOfPosition(pos[0], pos[2]);
    if (at.flags != positionFlags || at.column != centreColumn || at.row != centreRow) {
        theTerrainServices.waitCursor(1);
        PageWindow(at);
        theTerrainServices.waitCursor(0);
    }
    UpdateDatum(pos[0], pos[2]);
    const std::uint32_t now = theTerrainServices.simTimeMs();
    if (centre != nullptr && centre->state == 0) {
        if (!deadlineArmed) {
            deadlineArmed = true;
            deadline = now + kDeadlineMs;
        }
        return;
    }
    if (deadlineArmed && static_cast<std::int32_t>(now - deadline) >= 0)
        theTerrainServices.postCommand(kLeavingAirspaceCommand);
    deadlineArmed = false;
}

// ---- positions and queries ------------------------------------------------------------------

double TerrainManager::GridOffsetX() const {
    return static_cast<double>(centreColumn) * kTileUnits + kTileUnits / 2;
}

double TerrainManager::GridOffsetY() const {
    return static_cast<double>(centreRow) * kTileUnits + kTileUnits / 2;
}

void TerrainManager::GetWindowOrigin(double out[3]) const {
    out[0] = ((9 - centreColumn) - 0.5) * kTileUnits;
    out[1] = ((5 - centreRow) - 0.5) * kTileUnits;
    out[2] = 0.0;
}

void TerrainManager::GridToWorld(const double grid[3], double world[3]) const {
    world[0] = grid[0] + GridOffsetX();
    world[1] = grid[1] + GridOffsetY();
    world[2] = grid[2];
}

void TerrainManager::WorldToGrid(const double world[3], double grid[3]) const {
    grid[0] = world[0] - GridOffsetX();
    grid[1] = world[1] - GridOffsetY();
    grid[2] = world[2];
}

TerrainTile* TerrainManager::GetTileAt(const double worldPoint[3]) {
    if (!std::isfinite(worldPoint[0]) || !std::isfinite(worldPoint[1])) return nullptr;
    const double c = std::floor(worldPoint[0] / kTileUnits);
    const double r = std::floor(worldPoint[1] / kTileUnits);
    for (const std::unique_ptr<TerrainTile>& t : tiles)
        if (t && t->column == c && t->row == r) return t.get();
    return nullptr;
}

TerrainTile* TerrainManager::GetTileAtGrid(std::int32_t x, std::int32_t y) {
    for (const std::unique_ptr<TerrainTile>& t : tiles) {
        if (!t) continue;
        const std::int32_t* b = t->Bounds();
        if (x >= b[0] && x < b[2] && y >= b[1] && y < b[3]) return t.get();
    }
    return nullptr;
}

const TerrainHeightResult& TerrainManager::GetHeightAtGrid(std::int32_t x, std::int32_t y) {
    TerrainTile* t = GetTileAtGrid(x, y);
    return t != nullptr ? t->GetHeightAt(x, y) : NoTerrain();
}

const TerrainHeightResult& TerrainManager::GetHeightAt(const double worldPoint[3]) {
    double grid[3];
    WorldToGrid(worldPoint, grid);
    if (!std::isfinite(grid[0]) || !std::isfinite(grid[1]) || std::fabs(grid[0]) > 2e9 ||
        std::fabs(grid[1]) > 2e9) {
        return NoTerrain();
    }
    TerrainTile* t = GetTileAt(worldPoint);
    if (t == nullptr) return NoTerrain();
    return t->GetHeightAt(static_cast<std::int32_t>(std::floor(grid[0])),
                          static_cast<std::int32_t>(std::floor(grid[1])));
}

int TerrainManager::HasTerrainAt(const double worldPoint[3]) {
    if (!std::isfinite(worldPoint[0]) || !std::isfinite(worldPoint[1])) return 0;
    const auto c = static_cast<std::int32_t>(std::floor(worldPoint[0] / kTileUnits));
    const auto r = static_cast<std::int32_t>(std::floor(worldPoint[1] / kTileUnits));
    if (centre != nullptr && c == centreColumn && r == centreRow) return centre->state == 0;
    if (TerrainTile::IdFor(c, r) == kNoTileId) return 0;
    if (c == askedColumn && r == askedRow) return askedAnswer;
    std::string path = TilePath(c, r);
    TerrainTile probe(c, r);
    askedColumn = c;
    askedRow = r;
    askedAnswer = core::FindDataFile(path) && probe.Open(path) ? 1 : 0;
    return askedAnswer;
}

const TerrainObjectEntry* TerrainManager::FindNearestTower(const double aircraft[3]) {
    const TerrainObjectEntry* best = nullptr;
    double bestDistance = 1.0e10;
    auto search = [&](const TerrainTile* t) {
        if (t == nullptr) return false;
        for (const TerrainObjectEntry& e : t->towers) {
            const double d = std::hypot(e.position[0] - aircraft[0], e.position[1] - aircraft[1],
                                        e.position[2] - aircraft[2]);
            if (d < bestDistance) {
                bestDistance = d;
                best = &e;
                if (d < 100.0) return true;
            }
        }
        return false;
    };
    if (search(centre)) return best;
    // Every neighbour, edges as well as corners: a nearer tower may stand just across an edge.
    for (int i = 0; i < 9; ++i) {
        TerrainTile* t = tiles[static_cast<std::size_t>(i)].get();
        if (t == centre) continue;
        if (search(t)) return best;
    }
    return best;
}

int TerrainManager::IsOnRunway(const double position[3]) {
    auto search = [&](const TerrainTile* t) {
        if (t == nullptr) return false;
        for (const TerrainObjectEntry& e : t->runways) {
            const double d = std::hypot(e.position[0] - position[0], e.position[1] - position[1],
                                        e.position[2] - position[2]);
            if (static_cast<std::int64_t>(d) < 5000 && e.contains != nullptr &&
                e.contains(e.object, position) != 0) {
                return true;
            }
        }
        return false;
    };
    if (search(centre)) return 1;
    for (int i = 0; i < 9; ++i) {
        TerrainTile* t = tiles[static_cast<std::size_t>(i)].get();
        if (t != centre && search(t)) return 1;
    }
    return 0;
}

// ---- settings -------------------------------------------------------------------------------

void TerrainManager::ApplyGraphicsSettings() {
    SetTerrainRange(theTerrainServices.graphicsSetting(kTerrainRange));
    SetTerrainTexture(theTerrainServices.graphicsSetting(kTerrainTexture) != 0 ? 1 : 0);
}

int TerrainManager::SetTerrainTexture(std::uint32_t choice) {
    if (choice == textureChoice) return 0;
    ReleaseTiles();
    textureChoice = choice;
    OpenTextureVolume();
    InitDiskCache();
    if (centreColumn >= 0) LoadWindow();
    return 1;
}

void TerrainManager::SetTerrainRange(std::int32_t setting) {
    baseRange = static_cast<float>(setting * 600 + 40000);
}

}  // namespace world
