#include "world/terrain_manager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/endian.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "platform/file_system.h"
#include "ts/frustum.h"
#include "ts/perspective_camera.h"
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
std::int32_t TerrainManagerDefaultSetting(int index) {
    static const SceneryGraphicsSettings defaults;
    return defaults.Get(index);
}
void NoCommand(std::uint32_t) {}
void NoCursor(int) {}

TerrainHeightResult theNoTerrain;

const TerrainHeightResult& TerrainManagerNoTerrain() {
    theNoTerrain = TerrainHeightResult{};
    return theNoTerrain;
}

}  // namespace

TerrainServices DefaultTerrainServices() {
    return TerrainServices{&NoPosition, &NoHeight, &NoTime, &TerrainManagerDefaultSetting,
                           &NoCommand,  &NoCursor};
}

TerrainServices theTerrainServices = DefaultTerrainServices();

namespace {
void NoObjects(TerrainTile*) {}
}  // namespace

TerrainTileObjectHooks NoTileObjects() {
    return TerrainTileObjectHooks{&NoObjects, &NoObjects};
}

TerrainTileObjectHooks theTileObjectHooks = NoTileObjects();

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
    // A volume that is there and does not open (damaged, or no file at all) is said; the loose
    // folder, when there is one, still serves.
    if (!textureVolume->GetStream()->IsVolumeOpen() &&
        (win::GetFileAttributes(volume) != win::INVALID_FILE_ATTRIBUTES ||
         win::IsOtherThanPlainFile(volume)))
        core::ReportDamagedFile(volume);
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
    // Something in its place that is no plain file (a pipe, a device, a loop of links), or
    // one that maps as nothing, is damage like a file cut short.
    if (!core::FindDataFile(path)) {
        if (win::IsOtherThanPlainFile(path)) core::ReportDamagedFile(path);
        return;
    }
    if (!gridText.Map(path)) {
        core::ReportDamagedFile(path);
        return;
    }
    const std::uint8_t* data = gridText.Data();
    const std::uint64_t size = gridText.Size();
    const std::uint32_t n = size >= 4 ? core::ReadU32(data) : 0;
    // The count must be sane and every name and image must be there.
    if (size < 4 || n == 0 || n > kMaxGroundTextures ||
        4 + std::uint64_t{n} * (kTextureNameBytes + kTextureBytes) > size) {
        gridText.Unmap();
        core::ReportDamagedFile(path);
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
    if (!list) {
        textureVolume->ReportDamagedMember(name);
        return nullptr;
    }
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
    if (open.empty()) return nullptr;
    if (!tile->Open(open)) {
        core::ReportDamagedFile(open);
        return nullptr;
    }
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
    theTileObjectHooks.free(tile.get());
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
    // A new tile's objects stand on its ground, which its place in the window locates.
    for (const std::unique_ptr<TerrainTile>& t : tiles)
        if (t && !t->objectsBuilt) {
            t->objectsBuilt = true;
            theTileObjectHooks.build(t.get());
        }
    MagneticGrid::LoadMag(centreColumn, centreRow);
    MagneticGrid::LoadNor(centreColumn, centreRow);
}

void TerrainManager::UpdateDatum(std::int32_t fmPosX, std::int32_t fmPosZ) {
    double h = 0.0;
    theGroundIsWater = 0;
    if (centre != nullptr) {
        double origin[3];
        GetWindowOrigin(origin);
        const double gx = origin[0] + fmPosX * kGridPerFlightUnit;
        const double gy = origin[1] + fmPosZ * kGridPerFlightUnit;
        const TerrainHeightResult& ground =
            centre->GetHeightAt(static_cast<std::int32_t>(gx), static_cast<std::int32_t>(gy));
        h = ground.height;
        // The sea and the lakes are the ground's "water" material: the name says what the
        // ground is, in the textured set and the plain colours alike.
        const bool water = ground.material != nullptr &&
                           platform::EqualIgnoringCase(ground.material->textureName, "water");
        theGroundIsWater = water ? 1 : 0;
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

// ---- the view ---------------------------------------------------------------------------------

void TerrainManager::ApplyRange() {
    std::int32_t pos[3];
    theTerrainServices.aircraftPosition(pos);
    // The aircraft's height above the ground in terrain units; never below it, so the range
    // never falls to nothing.
    const float h = std::max(0.0f, static_cast<float>(pos[1] / kFlightUnitsPerTerrainUnit));
    const float scaled = (h * 6.666667e-5f + 1.0f) * baseRange;
    const auto range =
        static_cast<std::int32_t>(std::clamp(scaled, 1.0f, static_cast<float>(kUnusedBand)));
    BandsForRange(range, bandValues);
    area.SetRange(range);
}

void TerrainManager::BandsForRange(std::int32_t range, std::int32_t out[3]) {
    if (range <= 70000) {
        // Single-precision factors, each product (taken wider) truncated: 0.7f x 70000 is
        // 48999.9992, so 48999.
        out[0] = static_cast<std::int32_t>(static_cast<double>(0.25f) * range);
        out[1] = static_cast<std::int32_t>(static_cast<double>(0.55f) * range);
        out[2] = static_cast<std::int32_t>(static_cast<double>(0.7f) * range);
    } else {
        out[0] = 25000;
        out[1] = 55000;
        out[2] = 70000;
    }
}

void TerrainManager::ApplyViewParameters() {
    if (centre != nullptr) {
        area.scaleShift = centre->ScaleShift();
        area.lowestHeight = centre->LowestHeight();
        area.highestHeight = centre->HighestHeight();
        area.gridLowestLevel = centre->LowestLevel();
        area.gridHighestLevel = centre->HighestLevel();
    }
    area.SetBands(bandValues, 3);
    const std::int32_t second[5] = {4500, 6000, 8000, 11000, 15000};
    area.SetSecondDistances(second, 5);
    area.SetRange(100000);
}

void TerrainManager::ComputeVisibleArea() {
    auto* camera = dynamic_cast<ts::TSPerspectiveCamera*>(ts::theCurrentCamera);
    // A square of half-side s2 whose edge midpoints are pulled in to r comes within 0.96 r of
    // the eye between them; the ground is drawn out to the range all round, so the octagon is
    // made that much larger.
    const float r = static_cast<float>(area.range) * 1.05f;
    const float s2 = 1.414213f * r;
    const float ground = -area.eye[2];  // the ground plane seen from the eye
    ts::Vector3F octagon[8] = {{-s2, s2, ground}, {0, r, ground},  {s2, s2, ground},
                               {r, 0, ground},   {s2, -s2, ground}, {0, -r, ground},
                               {-s2, -s2, ground}, {-r, 0, ground}};
    const ts::PolygonF in{8, octagon};
    ts::Vector3F clipped[ts::kMaxClipVertices];
    for (int level = 0; level < kTerrainViewLevels; ++level) {
        TerrainLevelView& v = area.levels[static_cast<std::size_t>(level)];
        v.firstRow = 0;
        v.lastRow = -1;
        v.rowFirst.clear();
        v.rowLast.clear();
        if (level < area.lowestLevel || level > area.highestLevel) continue;
        const std::uint32_t sh = area.scaleShift + static_cast<std::uint32_t>(level);
        const float cs = static_cast<float>(std::int64_t{1} << sh);
        ts::PolygonF out{0, clipped};
        if (camera != nullptr) {
            // Two cells of this level of margin: a cell any part of which is in view is kept.
            const ts::ViewFrustum frustum(*camera, ts::Vector3F{}, r, 2.0f * cs);
            // The octagon lies at height 0; terrain anywhere between the tile's lowest and
            // highest heights above it survives.
            if (!ts::ViewFrustum::SplitPolygonWidened(
                    frustum, in, static_cast<float>(area.lowestHeight),
                    static_cast<float>(area.highestHeight), &out)) {
                continue;
            }
        } else {
            out.count = 8;
            std::copy(octagon, octagon + 8, clipped);
        }
        float minY = 1e30f, maxY = -1e30f;
        for (int i = 0; i < out.count; ++i) {
            clipped[i].x += area.eye[0];
            clipped[i].y += area.eye[1];
            minY = std::min(minY, clipped[i].y);
            maxY = std::max(maxY, clipped[i].y);
        }
        const auto r0 = static_cast<std::int32_t>(std::floor(minY / cs));
        const auto r1 = std::min(static_cast<std::int32_t>(std::floor(maxY / cs)), r0 + 1023);
        v.firstRow = r0;
        v.lastRow = r1;
        for (std::int32_t row = r0; row <= r1; ++row) {
            // The polygon's extent across the band of this row.
            const float y0 = static_cast<float>(row) * cs, y1 = y0 + cs;
            float minX = 1e30f, maxX = -1e30f;
            for (int i = 0; i < out.count; ++i) {
                const ts::Vector3F& a = clipped[i];
                const ts::Vector3F& b = clipped[(i + 1) % out.count];
                float t0 = 0.0f, t1 = 1.0f;
                const float dy = b.y - a.y;
                if (dy == 0.0f) {
                    if (a.y < y0 || a.y > y1) continue;
                } else {
                    float ta = (y0 - a.y) / dy, tb = (y1 - a.y) / dy;
                    if (ta > tb) std::swap(ta, tb);
                    t0 = std::max(t0, ta);
                    t1 = std::min(t1, tb);
                    if (t0 > t1) continue;
                }
                const float xa = a.x + (b.x - a.x) * t0, xb = a.x + (b.x - a.x) * t1;
                minX = std::min({minX, xa, xb});
                maxX = std::max({maxX, xa, xb});
            }
            if (minX > maxX) {
                v.rowFirst.push_back(1);
                v.rowLast.push_back(0);
            } else {
                v.rowFirst.push_back(static_cast<std::int32_t>(std::floor(minX / cs)));
                v.rowLast.push_back(static_cast<std::int32_t>(std::floor(maxX / cs)));
            }
        }
    }
}

void TerrainManager::PrepareView(const float eye[3], const float direction[3]) {
    ApplyRange();
    for (int i = 0; i < 3; ++i) {
        area.eye[i] = eye[i];
        area.direction[i] = direction[i];
    }
    if (ts::theCurrentCamera != nullptr) area.screen = ts::theCurrentCamera->GetScreenRect();
    // The level the range reaches, and the levels walked.
    area.lowestLevel = 0;
    area.rangeLevel = kTerrainViewLevels - 1;
    for (int l = 0; l < kTerrainViewLevels; ++l) {
        if (area.levels[static_cast<std::size_t>(l)].upper >= area.range) {
            area.rangeLevel = l;
            break;
        }
    }
    area.highestLevel = std::clamp(std::max(area.rangeLevel, area.gridHighestLevel), 0,
                                   kTerrainViewLevels - 1);
    area.firstLevel = area.lowestLevel;
    area.lastLevel = area.highestLevel;
    for (int l = 0; l < kTerrainViewLevels; ++l) {
        TerrainLevelView& v = area.levels[static_cast<std::size_t>(l)];
        const std::uint32_t sh = area.scaleShift + static_cast<std::uint32_t>(l);
        v.eyeCellX = static_cast<std::int32_t>(std::floor(eye[0])) >> sh;
        v.eyeCellY = static_cast<std::int32_t>(std::floor(eye[1])) >> sh;
    }
    ComputeVisibleArea();
    renderer.Reset(area, sorter);
    renderer.SetTexturesOn(textureChoice != 0 && IsGridTextMapped());
    // The eye's tile last; the others farthest first.
    int eyeSlot = 4;
    const float half = static_cast<float>(kTileUnits / 2);
    if (std::fabs(eye[0]) > half || std::fabs(eye[1]) > half) {
        const int a = static_cast<int>(std::floor(eye[0] / kTileUnits + 1.5f));
        const int b = static_cast<int>(std::floor(eye[1] / kTileUnits + 1.5f));
        if (a >= 0 && a <= 2 && b >= 0 && b <= 2) eyeSlot = 3 * a + b;
    }
    int order[9];
    int n = 0;
    for (int i = 0; i < 9; ++i)
        if (i != eyeSlot && tiles[static_cast<std::size_t>(i)]) order[n++] = i;
    auto distance = [&](int slot) {
        const float cx = static_cast<float>((slot / 3 - 1) * kTileUnits) - eye[0];
        const float cy = static_cast<float>((slot % 3 - 1) * kTileUnits) - eye[1];
        return cx * cx + cy * cy;
    };
    for (int i = 1; i < n; ++i)  // nine at most: insertion keeps it simple
        for (int j = i; j > 0 && distance(order[j]) > distance(order[j - 1]); --j)
            std::swap(order[j], order[j - 1]);
    for (int i = 0; i < n; ++i)
        renderer.WalkTile(*tiles[static_cast<std::size_t>(order[i])]);
    if (tiles[static_cast<std::size_t>(eyeSlot)]) renderer.WalkTile(*tiles[static_cast<std::size_t>(eyeSlot)]);
    renderer.FinishVertices();
}

int TerrainManager::Render() {
    return renderer.Draw();
}

int TerrainManager::AddRenderItem(const double worldPoint[3], float radius,
                                  ts::TSRenderItem* item) {
    double grid[3];
    WorldToGrid(worldPoint, grid);
    const float p[3] = {static_cast<float>(grid[0]), static_cast<float>(grid[1]),
                        static_cast<float>(grid[2])};
    return renderer.AddRenderItemGrid(p, radius, item);
}

int TerrainManager::AddTerrainRenderItem(const TerrainRenderItem& record) {
    return renderer.AddTerrainRenderItem(record);
}

void TerrainManager::TrackAircraft() {
    std::int32_t pos[3];
    theTerrainServices.aircraftPosition(pos);
    const TilePosition at = TileOfPosition(pos[0], pos[2]);
    // An aircraft placed more than a tile away (a new flight, a chosen airport) flew across no
    // edge of the world: it is not leaving it.
    if (centreColumn >= 0 &&
        (std::abs(at.column - centreColumn) > 1 || std::abs(at.row - centreRow) > 1))
        deadlineArmed = false;
    if (at.flags != positionFlags || at.column != centreColumn || at.row != centreRow) {
        theTerrainServices.waitCursor(1);
        PageWindow(at);
        ApplyViewParameters();
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
    return t != nullptr ? t->GetHeightAt(x, y) : TerrainManagerNoTerrain();
}

const TerrainHeightResult& TerrainManager::GetHeightAt(const double worldPoint[3]) {
    double grid[3];
    WorldToGrid(worldPoint, grid);
    if (!std::isfinite(grid[0]) || !std::isfinite(grid[1]) || std::fabs(grid[0]) > 2e9 ||
        std::fabs(grid[1]) > 2e9) {
        return TerrainManagerNoTerrain();
    }
    TerrainTile* t = GetTileAt(worldPoint);
    if (t == nullptr) return TerrainManagerNoTerrain();
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

namespace {

// Stands an entry's object on the ground when `groundDistance`, the least its distance can be,
// is below `limit`: only then can the height change an answer.
void GroundEntryWithin(TerrainObjectEntry& e, double groundDistance, double limit) {
    if (e.ground == nullptr || !(groundDistance < limit)) return;
    e.ground(e.object, e.position);
    e.ground = nullptr;
}

}  // namespace

const TerrainObjectEntry* TerrainManager::FindNearestTower(const double aircraft[3]) {
    const TerrainObjectEntry* best = nullptr;
    double bestDistance = 1.0e10;
    auto search = [&](TerrainTile* t) {
        if (t == nullptr) return false;
        for (TerrainObjectEntry& e : t->towers) {
            GroundEntryWithin(e,
                              std::hypot(e.position[0] - aircraft[0], e.position[1] - aircraft[1]),
                              bestDistance);
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
    auto search = [&](TerrainTile* t) {
        if (t == nullptr) return false;
        for (TerrainObjectEntry& e : t->runways) {
            GroundEntryWithin(
                e, std::hypot(e.position[0] - position[0], e.position[1] - position[1]), 5000.0);
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
    // A new texture choice reloads every tile with its objects; otherwise the objects are built
    // again, for the building density and the runways' markings and lights.
    if (SetTerrainTexture(theTerrainServices.graphicsSetting(kTerrainTexture) != 0 ? 1 : 0) == 0)
        RebuildTileObjects();
}

void TerrainManager::RebuildTileObjects() {
    for (const std::unique_ptr<TerrainTile>& t : tiles)
        if (t && t->objectsBuilt) theTileObjectHooks.free(t.get());
    for (const std::unique_ptr<TerrainTile>& t : tiles)
        if (t && t->objectsBuilt) theTileObjectHooks.build(t.get());
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
    ApplyRange();
}

}  // namespace world
