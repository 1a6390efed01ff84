#include "world/cloud_layers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/numeric.h"
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/surface.h"
#include "ts/part_tree.h"
#include "ts/perspective_camera.h"
#include "world/scene_draw.h"
#include "world/scenery_services.h"
#include "world/weather_state.h"

namespace world {

namespace {

constexpr float kFeetToWorld = 0.77575755f;

// The five face directions: +x, -x, +y, -y, up.
constexpr float kFaceNormals[5][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}};
float theLightFactors[5] = {1, 1, 1, 1, 1};

bool IsCloudMap(const gfx::GFXBitmap* b) {
    return b != nullptr && b->width == kCloudCells && b->height == kCloudCells &&
           b->bitsPerPixel == 8 && b->pixels != nullptr;
}

// The cells round the viewer's, farthest first, so that nearer blocks paint over farther ones.
struct CellOffset {
    std::int8_t du, dv;
};
const std::vector<CellOffset>& BlockOrder() {
    static const std::vector<CellOffset> order = [] {
        std::vector<CellOffset> o;
        constexpr int r = CloudDeck::kBlockReach;
        for (int dv = -r; dv <= r; ++dv)
            for (int du = -r; du <= r; ++du)
                o.push_back({static_cast<std::int8_t>(du), static_cast<std::int8_t>(dv)});
        std::stable_sort(o.begin(), o.end(), [](const CellOffset& a, const CellOffset& b) {
            return a.du * a.du + a.dv * a.dv > b.du * b.du + b.dv * b.dv;
        });
        return o;
    }();
    return order;
}

}  // namespace

void UpdateCloudLightFactors() {
    float light[3];
    theSceneryServices.lightDirection(light);
    const float len = std::sqrt(light[0] * light[0] + light[1] * light[1] + light[2] * light[2]);
    for (int d = 0; d < 5; ++d) {
        float dot = 0.0f;
        if (len > 0.0f)
            dot = -(kFaceNormals[d][0] * light[0] + kFaceNormals[d][1] * light[1] +
                    kFaceNormals[d][2] * light[2]) /
                  len;
        // An ambient part keeps faces turned from the sun grey rather than black.
        theLightFactors[d] = 0.45f + 0.55f * std::max(dot, 0.0f);
    }
}

float CloudLightFactor(int direction) {
    return (direction >= 0 && direction < 5) ? theLightFactors[direction] : 1.0f;
}

// ---- CloudDeck ------------------------------------------------------------------------------

std::unique_ptr<CloudDeck> CloudDeck::Create(const CloudLayer& layer, core::ResourceVolume* art) {
    const int coverage = layer.GetCoverage();
    if (coverage <= 0 || coverage > 8 || art == nullptr) return nullptr;
    char name[32];
    std::snprintf(name, sizeof name, "cloud%da.bmp", coverage);
    std::unique_ptr<gfx::GFXBitmap> map = art->LoadBitmap(name, 0);
    if (!IsCloudMap(map.get())) return nullptr;
    auto deck = std::make_unique<CloudDeck>(static_cast<float>(layer.GetBase()),
                                            static_cast<float>(layer.GetTop()), coverage, *map);
    deck->SetTopBitmap(std::move(map));
    std::snprintf(name, sizeof name, "cloud%db.bmp", coverage);
    deck->SetUndersideBitmap(art->LoadBitmap(name, 0));
    return deck;
}

CloudDeck::CloudDeck(float baseFeet, float topFeet, int cover, const gfx::GFXBitmap& cellMap)
    : base(baseFeet * kFeetToWorld),
      top(std::max(topFeet, baseFeet) * kFeetToWorld),
      coverage(cover),
      cells(kCloudCells * kCloudCells, 0),
      shades(kCloudCells * kCloudCells, 0),
      sides(kCloudCells * kCloudCells, 0) {
    thicknessStep = (top - base) / 256.0f;
    if (IsCloudMap(&cellMap)) {
        for (int v = 0; v < kCloudCells; ++v)
            for (int u = 0; u < kCloudCells; ++u)
                cells[Index(u, v)] = cellMap.Row(v)[u];
    }
    // Each cloud cell gets a height of its own, 192..255 of 256.
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i] != 0) {
            const int s = static_cast<int>(core::rand() * 64.0 * -3.051851e-5) - 1;
            shades[i] = static_cast<std::uint8_t>(s);
        }
    }
    // Cells at the edge of a cloud are lower.
    std::vector<std::uint8_t> edge(cells.size(), 0);
    for (int v = 0; v < kCloudCells; ++v) {
        for (int u = 0; u < kCloudCells; ++u) {
            if (cells[Index(u, v)] == 0) continue;
            if (cells[Index(u - 1, v)] == 0 || cells[Index(u + 1, v)] == 0 ||
                cells[Index(u, v - 1)] == 0 || cells[Index(u, v + 1)] == 0)
                edge[Index(u, v)] = 1;
        }
    }
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (edge[i] != 0) shades[i] = static_cast<std::uint8_t>(shades[i] * 0.8);
    // A side is exposed where the neighbour is clear or lower.
    for (int v = 0; v < kCloudCells; ++v) {
        for (int u = 0; u < kCloudCells; ++u) {
            const std::uint8_t s = shades[Index(u, v)];
            if (s == 0) continue;
            std::uint8_t f = 0;
            if (shades[Index(u - 1, v)] < s) f |= 1;
            if (shades[Index(u + 1, v)] < s) f |= 2;
            if (shades[Index(u, v - 1)] < s) f |= 4;
            if (shades[Index(u, v + 1)] < s) f |= 8;
            sides[Index(u, v)] = f;
        }
    }
}

CloudDeck::~CloudDeck() = default;

void CloudDeck::SetUndersideBitmap(std::unique_ptr<gfx::GFXBitmap> b) {
    undersideBitmap = IsCloudMap(b.get()) ? std::move(b) : nullptr;
}

void CloudDeck::SetTopBitmap(std::unique_ptr<gfx::GFXBitmap> b) {
    topBitmap = IsCloudMap(b.get()) ? std::move(b) : nullptr;
}

float CloudDeck::ColumnTop(int u, int v) const {
    return base + static_cast<float>(shades[Index(u, v)]) * thicknessStep;
}

void CloudDeck::CellOf(double x, double y, int* u, int* v) const {
    *u = static_cast<int>(static_cast<std::int64_t>(std::floor((x + scroll[0]) / kCellSize)) &
                          (kCloudCells - 1));
    *v = static_cast<int>(static_cast<std::int64_t>(std::floor((y + scroll[1]) / kCellSize)) &
                          (kCloudCells - 1));
}

int CloudDeck::Contains(const double p[3]) const {
    if (!(p[2] >= base && p[2] <= top)) return 0;
    int u = 0, v = 0;
    CellOf(p[0], p[1], &u, &v);
    if (shades[Index(u, v)] == 0) return 0;
    return ColumnTop(u, v) >= p[2] ? cells[Index(u, v)] : 0;
}

int CloudDeck::Offer(const double p[3], float /*radius*/, ts::TSRenderItem* item) {
    if (item == nullptr || !(p[2] >= base)) return 0;
    const Filed f{item, {p[0], p[1], p[2]}, 0.0};
    if (p[2] <= top)
        inBand.push_back(f);
    else
        over.push_back(f);
    return 1;
}

void CloudDeck::RenderList(std::vector<Filed>& list, const double viewer[3]) {
    for (Filed& f : list) {
        const double dx = f.at[0] - viewer[0], dy = f.at[1] - viewer[1], dz = f.at[2] - viewer[2];
        f.distance = dx * dx + dy * dy + dz * dz;
    }
    // Far to near, so nearer items paint over farther ones.
    std::sort(list.begin(), list.end(),
              [](const Filed& a, const Filed& b) { return a.distance > b.distance; });
    for (const Filed& f : list)
        f.item->Render(ts::kCullUntested);
    list.clear();
}

void CloudDeck::RenderInBand(const double viewer[3]) {
    RenderList(inBand, viewer);
}

void CloudDeck::RenderOver(const double viewer[3]) {
    RenderList(over, viewer);
}

void CloudDeck::DropFiled() {
    inBand.clear();
    over.clear();
}

float CloudDeck::SheetRadius(int cloudDistance) {
    const float d = static_cast<float>(std::clamp(cloudDistance, 0, 100)) / 100.0f;
    return kNearestRadius * std::pow(kRadius / kNearestRadius, d);
}

void CloudDeck::RenderSheet(const double viewer[3], const double offset[2], float radius) const {
    const bool above = viewer[2] >= base;
    const gfx::GFXBitmap* texture = above ? topBitmap.get() : undersideBitmap.get();
    if (texture == nullptr) return;
    // A square round the viewer, its corners at the camera heading + 45 degrees and every 90
    // degrees from there, so that its edge lies square across the view straight ahead; the
    // texture repeats with the cell map. The corners' angles run clockwise from north, the
    // camera's heading the other way.
    const double heading = -theSceneryServices.cameraHeading();
    const double originX = std::floor((viewer[0] + scroll[0] - radius) / kRepeat) * kRepeat;
    const double originY = std::floor((viewer[1] + scroll[1] - radius) / kRepeat) * kRepeat;
    ts::Vector3F corners[4];
    gfx::GFXTexCoord tex[4];
    for (int k = 0; k < 4; ++k) {
        // Seen from below the corners run the other way round, so the sheet faces the viewer.
        const int c = above ? k : 3 - k;
        const double a = heading + (45.0 + 90.0 * c) * 3.14159265358979323846 / 180.0;
        const double wx = viewer[0] + radius * std::sqrt(2.0) * std::sin(a);
        const double wy = viewer[1] + radius * std::sqrt(2.0) * std::cos(a);
        corners[k] = ts::Vector3F{static_cast<float>(wx - offset[0]),
                                  static_cast<float>(wy - offset[1]), base};
        tex[k] = gfx::GFXTexCoord{static_cast<float>((wx + scroll[0] - originX) / kRepeat),
                                  static_cast<float>((wy + scroll[1] - originY) / kRepeat)};
    }
    DrawModelPolygon(4, corners, tex, texture, 0);
}

int CloudDeck::RenderCells(const double viewer[3], const double offset[2]) {
    gfx::GFXPalette* palette = theSceneryServices.currentPalette();
    const std::uint8_t white = NearestColour(palette, 236, 236, 240, 245);
    int vu = 0, vv = 0;
    CellOf(viewer[0], viewer[1], &vu, &vv);
    // The world position of the viewer's cell corner, unwrapped.
    const double cellX = std::floor((viewer[0] + scroll[0]) / kCellSize) * kCellSize - scroll[0];
    const double cellY = std::floor((viewer[1] + scroll[1]) / kCellSize) * kCellSize - scroll[1];
    int faces = 0;
    for (const CellOffset& o : BlockOrder()) {
        const int u = vu + o.du, v = vv + o.dv;
        const std::uint8_t shade = shades[Index(u, v)];
        if (shade == 0) continue;
        const float x0 = static_cast<float>(cellX + o.du * kCellSize - offset[0]);
        const float y0 = static_cast<float>(cellY + o.dv * kCellSize - offset[1]);
        const float x1 = x0 + kCellSize, y1 = y0 + kCellSize;
        const float h = ColumnTop(u, v);
        const std::uint8_t flags = sides[Index(u, v)];
        const float lit = static_cast<float>(shade) / 255.0f;
        // Each exposed side runs from the base (or the lower neighbour's top) to the column top
        // and is drawn only when it faces the viewer.
        struct Side {
            std::uint8_t flag;
            int du, dv, light;
            ts::Vector3F a, b;
            bool facing;
        };
        const float vx = static_cast<float>(viewer[0] - offset[0]);
        const float vy = static_cast<float>(viewer[1] - offset[1]);
        const Side sideList[4] = {
            {1, -1, 0, 1, {x0, y1, 0}, {x0, y0, 0}, vx < x0},
            {2, 1, 0, 0, {x1, y0, 0}, {x1, y1, 0}, vx > x1},
            {4, 0, -1, 3, {x0, y0, 0}, {x1, y0, 0}, vy < y0},
            {8, 0, 1, 2, {x1, y1, 0}, {x0, y1, 0}, vy > y1},
        };
        for (const Side& s : sideList) {
            if ((flags & s.flag) == 0 || !s.facing) continue;
            const std::uint8_t n = shades[Index(u + s.du, v + s.dv)];
            const float low = n == 0 ? base : ColumnTop(u + s.du, v + s.dv);
            const ts::Vector3F quad[4] = {{s.a.x, s.a.y, h},
                                          {s.b.x, s.b.y, h},
                                          {s.b.x, s.b.y, low},
                                          {s.a.x, s.a.y, low}};
            DrawModelPolygon(4, quad, nullptr, nullptr,
                             ShadeColour(palette, white, CloudLightFactor(s.light) * lit));
            ++faces;
        }
        if (viewer[2] > h) {
            const ts::Vector3F quad[4] = {{x0, y0, h}, {x1, y0, h}, {x1, y1, h}, {x0, y1, h}};
            DrawModelPolygon(4, quad, nullptr, nullptr,
                             ShadeColour(palette, white, CloudLightFactor(4) * lit));
            ++faces;
        }
    }
    return faces;
}

// ---- CloudLayerSet --------------------------------------------------------------------------

CloudLayerSet::CloudLayerSet(core::ResourceVolume* volume) : art(volume) {
    passes.reserve(32);
}

CloudLayerSet::~CloudLayerSet() = default;

void CloudLayerSet::BuildFromWeather(const WeatherState& weather) {
    for (int d = 0; d < 3; ++d) {
        const CloudLayer* layer = weather.GetCloudLayer(2 - d);
        decks[static_cast<std::size_t>(d)] =
            layer != nullptr ? CloudDeck::Create(*layer, art) : nullptr;
    }
}

void CloudLayerSet::SetDeck(int i, std::unique_ptr<CloudDeck> deck) {
    if (i >= 0 && i < 3) decks[static_cast<std::size_t>(i)] = std::move(deck);
}

int CloudLayerSet::AddRenderItem(const double p[3], float radius, ts::TSRenderItem* item) {
    for (auto& d : decks)
        if (d && d->Offer(p, radius, item) != 0) return 1;
    return 0;
}

int CloudLayerSet::AddRenderItemGrid(const float g[3], float radius, ts::TSRenderItem* item) {
    double offset[2];
    theSceneryServices.sceneOffset(offset);
    const double p[3] = {g[0] + offset[0], g[1] + offset[1], g[2]};
    return AddRenderItem(p, radius, item);
}

int CloudLayerSet::IsClear() const {
    for (const auto& d : decks)
        if (d && d->Coverage() > 0) return 0;
    return 1;
}

int CloudLayerSet::GetCoverageClass() const {
    if (IsClear() != 0) return 0;
    for (const auto& d : decks)
        if (d && d->Coverage() >= 5 && d->Coverage() != 6) return 2;
    return 1;
}

void CloudLayerSet::Render(const double viewer[3]) {
    passes.clear();
    fogged = false;
    for (const auto& d : decks) {
        if (d && d->Contains(viewer) != 0) {
            fogged = true;
            break;
        }
    }
    if (fogged) {
        passes.push_back('F');
        FrameTarget f;
        if (CurrentFrameTarget(&f)) {
            const int bottom = std::clamp(theSceneryServices.viewportBottom(), 0, 479);
            f.table->FillRectangle(f.surface, gfx::GFXRect{0, 0, 639, bottom},
                                   FogColour(theSceneryServices.currentPalette(), 245));
        }
        // What was filed for this frame is not drawn.
        for (auto& d : decks)
            if (d) d->DropFiled();
        return;
    }
    double offset[2];
    theSceneryServices.sceneOffset(offset);
    const float reach = CloudDeck::SheetRadius(theSceneryServices.graphicsSetting(kCloudDistance));
    bool lightsReady = false;
    auto ready = [&] {
        if (!lightsReady) UpdateCloudLightFactors();
        lightsReady = true;
    };
    const double altitude = viewer[2];
    // Decks above the viewer, highest first: their undersides lie behind everything lower.
    for (int i = 0; i < 3; ++i) {
        CloudDeck* d = decks[static_cast<std::size_t>(i)].get();
        if (d == nullptr || !(d->Base() > altitude)) continue;
        passes.push_back(static_cast<char>('0' + i));
        d->RenderOver(viewer);
        d->RenderSheet(viewer, offset, reach);
        if (d->Base() - altitude < CloudDeck::kBlockRange) {
            ready();
            d->RenderCells(viewer, offset);
        }
        d->RenderInBand(viewer);
    }
    passes.push_back('T');
    theSceneryServices.renderTerrain();
    // Decks below the viewer, lowest first.
    for (int i = 2; i >= 0; --i) {
        CloudDeck* d = decks[static_cast<std::size_t>(i)].get();
        if (d == nullptr || !(d->Top() < altitude)) continue;
        passes.push_back(static_cast<char>('0' + i));
        d->RenderSheet(viewer, offset, reach);
        if (altitude - d->Top() < CloudDeck::kBlockRange) {
            ready();
            d->RenderCells(viewer, offset);
        }
        d->RenderInBand(viewer);
        d->RenderOver(viewer);
    }
    // The deck whose band holds the viewer.
    for (int i = 0; i < 3; ++i) {
        CloudDeck* d = decks[static_cast<std::size_t>(i)].get();
        if (d == nullptr || !(d->Base() <= altitude && altitude <= d->Top())) continue;
        passes.push_back(static_cast<char>('0' + i));
        d->RenderOver(viewer);
        d->RenderSheet(viewer, offset, reach);
        ready();
        d->RenderCells(viewer, offset);
        d->RenderInBand(viewer);
    }
}

}  // namespace world
