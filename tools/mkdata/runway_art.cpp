// The "runway art" module: the "Art\3DShapes\Runways" folder of "Art\3DShapes.Vol".
//
// - "runway.dml": the runways' material list, two sets of eight: textured (asphalt, turf, the
//   marking texture over the pavement) and untextured (the pavements in flat colours, the
//   markings as in the textured set: they are the runway's paint, which needs its texture to
//   take its shapes, not a texture's detail, and a pilot who turns textures off still lines
//   up on the centre line).
// - "rwymark.bmp": the marking texture, 256 x 256, white paint on index 0 (the pavement shows
//   through): the digits and the designators L, R and C in the cells the runway number codes
//   name, the threshold stripes, the displaced-threshold arrow, a solid bar, and the centre-line
//   dashes down its last columns.
// - "asphalt.bmp" and "turf.bmp": the pavement textures of hard and soft runways, tiling.
// - "grnlght.pft", "amblght.pft", "redlght.pft", "whtlght.pft": fonts of eight frames each, the
//   light as a disc from 1 to 8 pixels across, each frame anchored at its centre.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/endian.h"
#include "gfx/font.h"
#include "ts/class_item.h"
#include "ts/material.h"
#include "tools/mkdata/world_art.h"
#include "world/runway_geometry.h"

namespace mkdata {

namespace {

constexpr const char* kVolume = "Art\\3DShapes.Vol";
constexpr int kLightFrames = 8;

void Fill(gfx::GFXBitmap& b, int x0, int y0, int x1, int y1, std::uint8_t colour) {
    for (int y = std::max(0, y0); y < std::min(b.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(b.width, x1); ++x)
            b.Row(y)[x] = colour;
}

// A figure filling a cell, its strokes as wide as runway numbers are painted.
void PaintFigure(gfx::GFXBitmap& b, int cell, char figure, std::uint8_t colour) {
    const char* const* rows = FigurePattern(figure);
    if (rows == nullptr) return;
    int x0, y0, x1, y1;
    world::MarkingCellRect(cell, &x0, &y0, &x1, &y1);
    const int pw = (x1 - x0 - 8) / 5, ph = (y1 - y0 - 4) / 7;
    const int left = x0 + (x1 - x0 - 5 * pw) / 2, top = y0 + (y1 - y0 - 7 * ph) / 2;
    for (int gy = 0; gy < 7; ++gy)
        for (int gx = 0; gx < 5; ++gx)
            if (rows[gy][gx] == '#')
                Fill(b, left + gx * pw, top + gy * ph, left + (gx + 1) * pw, top + (gy + 1) * ph,
                     colour);
}

std::unique_ptr<gfx::GFXBitmap> PaintMarkings(const WorldPaint& paint) {
    auto b = NewArt(256, 256);
    if (!b) return nullptr;
    const std::uint8_t white = paint.Nearest({242, 242, 242});
    for (int d = 0; d <= 9; ++d)
        PaintFigure(*b, d, static_cast<char>('0' + d), white);
    PaintFigure(*b, 10, 'C', white);
    PaintFigure(*b, 11, 'R', white);
    PaintFigure(*b, 15, 'L', white);
    int x0, y0, x1, y1;
    // Threshold stripes: four bars across the cell, running its whole length.
    world::MarkingCellRect(world::kCellStripes, &x0, &y0, &x1, &y1);
    const int stripe = (x1 - x0) / 8;
    for (int i = 0; i < 4; ++i)
        Fill(*b, x0 + stripe / 2 + i * 2 * stripe, y0, x0 + stripe / 2 + i * 2 * stripe + stripe,
             y1, white);
    // The arrow of a displaced threshold, pointing along the runway (up in the cell).
    world::MarkingCellRect(world::kCellArrow, &x0, &y0, &x1, &y1);
    const int cx = (x0 + x1) / 2, w = x1 - x0;
    Fill(*b, cx - w / 10, y0 + (y1 - y0) / 3, cx + w / 10, y1, white);
    for (int y = y0; y < y0 + (y1 - y0) / 3; ++y) {
        const int half = (y - y0) * w / 2 / ((y1 - y0) / 3);
        Fill(*b, cx - half, y, cx + half, y + 1, white);
    }
    world::MarkingCellRect(world::kCellBar, &x0, &y0, &x1, &y1);
    Fill(*b, x0, y0, x1, y1, white);
    // Centre-line dashes: 120 of every 200 feet painted, at the middle of the strip.
    Fill(*b, world::kCentreLineFirstColumn + 4, 0, 252, 154, white);
    return b;
}

std::unique_ptr<gfx::GFXBitmap> PaintPavement(const WorldPaint& paint, Rgb base, double spread,
                                              std::uint32_t seed) {
    auto b = NewArt(256, 256);
    if (!b) return nullptr;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const double n = TileNoise(x, y, 5, seed) - 0.5;
            const auto c = [&](std::uint8_t v) {
                return static_cast<std::uint8_t>(std::clamp(v * (1.0 + spread * n), 0.0, 255.0));
            };
            b->Row(y)[x] = paint.Nearest({c(base.r), c(base.g), c(base.b)});
        }
    return b;
}

// The lights are painted in the window system's fixed colours, which no time-of-day palette
// darkens: a runway light shines as brightly at night as by day.
Bytes LightFont(std::uint8_t core) {
    gfx::GFXFont font;
    std::uint8_t anchors[kLightFrames * 8] = {};
    for (int f = 0; f < kLightFrames; ++f) {
        const int size = f + 1;
        auto b = NewArt(size, size);
        if (!b) return {};
        const double c = (size - 1) / 2.0, r = size / 2.0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if ((x - c) * (x - c) + (y - c) * (y - c) <= r * r + 0.25) b->Row(y)[x] = core;
        b->flags |= gfx::kBitmapTransparent;
        font.Append(std::move(b));
        core::WriteU32(anchors + f * 8, static_cast<std::uint32_t>(size / 2));
        core::WriteU32(anchors + f * 8 + 4, static_cast<std::uint32_t>(size / 2));
    }
    if (!font.SetUserData(anchors, 8)) return {};
    font.cellHeight = kLightFrames;
    font.cellWidth = kLightFrames;
    font.baseline = kLightFrames;
    return CollectBytes([&](core::StreamIO& s) { return font.Write(s) != 0; });
}

Bytes MaterialList(const WorldPaint& paint) {
    constexpr int kPerSet = 8;
    ts::TSMaterialList list(kPerSet, 2);
    auto set = [&](int i, std::uint32_t type, const char* texture, std::uint32_t flags,
                   std::uint8_t colour) {
        ts::TSMaterial* m = list.At(i);
        m->type = type;
        m->shading = ts::TSMaterial::kFlat;
        m->flags = flags;
        m->paletteIndex = colour;
        m->textureName = texture != nullptr ? texture : "";
    };
    const std::uint8_t asphalt = paint.Nearest({92, 94, 98});
    const std::uint8_t turf = paint.Nearest({88, 132, 64});
    set(world::kHardPavementMaterial, ts::TSMaterial::kTexture, "asphalt.bmp",
        ts::TSMaterial::kPerspective, asphalt);
    set(world::kSoftPavementMaterial, ts::TSMaterial::kTexture, "turf.bmp",
        ts::TSMaterial::kPerspective, turf);
    const std::uint8_t white = paint.Nearest({242, 242, 242});
    for (const int first : {0, kPerSet})
        set(first + world::kMarkingMaterial, ts::TSMaterial::kTexture, "rwymark.bmp",
            ts::TSMaterial::kTransparent | ts::TSMaterial::kPerspective, white);
    set(kPerSet + world::kHardPavementMaterial, ts::TSMaterial::kPalette, nullptr, 0, asphalt);
    set(kPerSet + world::kSoftPavementMaterial, ts::TSMaterial::kPalette, nullptr, 0, turf);
    return CollectBytes([&](core::StreamIO& s) { return ts::ClassItem::storeObject(&list, s, 1) != 0; });
}

}  // namespace

int MakeRunwayArt(Installation& installation, std::string* error) {
    const WorldPaint paint;
    struct Art {
        const char* name;
        std::unique_ptr<gfx::GFXBitmap> bitmap;
    };
    Art art[] = {{"rwymark.bmp", PaintMarkings(paint)},
                 {"asphalt.bmp", PaintPavement(paint, {92, 94, 98}, 0.35, 11)},
                 {"turf.bmp", PaintPavement(paint, {88, 132, 64}, 0.45, 23)}};
    for (Art& a : art) {
        Bytes bytes = a.bitmap ? ArtBmp(*a.bitmap, paint) : Bytes{};
        if (bytes.empty()) {
            *error = std::string("cannot paint ") + a.name;
            return 0;
        }
        installation.AddMember(kVolume, a.name, std::move(bytes));
    }
    Bytes dml = MaterialList(paint);
    if (dml.empty()) {
        *error = "cannot write runway.dml";
        return 0;
    }
    installation.AddMember(kVolume, "runway.dml", std::move(dml));
    const struct {
        const char* name;
        std::uint8_t colour;  // green, yellow, red and white of the fixed colours
    } kLights[] = {{"grnlght.pft", 250}, {"amblght.pft", 251}, {"redlght.pft", 249}, {"whtlght.pft", 255}};
    for (const auto& l : kLights) {
        Bytes bytes = LightFont(l.colour);
        if (bytes.empty()) {
            *error = std::string("cannot make ") + l.name;
            return 0;
        }
        installation.AddMember(kVolume, l.name, std::move(bytes));
    }
    return 1;
}

}  // namespace mkdata
