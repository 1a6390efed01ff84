// The "gps art" module: the GPS window's fonts and palette in "Art\Panel.Vol" (the bezels are the
// "gps bezels" module's).
//
// - "gps7.pft": the large font, 5 x 7 dots (capitals, small letters, digits and punctuation of
//   codes 32 to 126), proportional: each glyph is cut to its inked columns, a space is 3 wide.
// - "gps5.pft": the small font, 3 x 5 dots, the same codes; small letters are drawn as capitals.
// - "gpsSymbl.pft": the map symbols, 9 x 9: 0 airport, 1 VOR, 2 NDB, 3 intersection, 4 obstacle,
//   5 to 12 the aircraft heading north, north-east, ... north-west (clockwise by octant).
// Every glyph is ink 255 on index 0 (transparent), and the fonts are recolourable, so the
// display paints them in the colour of each layer. Glyph records hold a vertical offset of 0.
// - "gps.pal": the GPS's palette: black at 0, the 22 default colours of the colour keys at 1 to
//   22, then a grey ramp.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "gfx/font.h"
#include "gfx/palette.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/panel_canvas.h"

namespace mkdata {

namespace {

constexpr const char* kVolume = "Art\\Panel.Vol";
constexpr std::uint8_t kInk = 255;

// 5 x 7 dots, rows top to bottom, bit 4 the leftmost dot: what the makers' font lacks (the
// makers' digits, capitals and '-', '.', ':', '/' and space are taken as they are).
struct LargeGlyph {
    char c;
    std::uint8_t rows[7];
};
constexpr LargeGlyph kLarge[] = {
    {'J', {7, 2, 2, 2, 2, 18, 12}},      {'Q', {14, 17, 17, 17, 21, 18, 13}},
    {'Z', {31, 1, 2, 4, 8, 16, 31}},     {'a', {0, 0, 14, 1, 15, 17, 15}},
    {'b', {16, 16, 22, 25, 17, 17, 30}}, {'c', {0, 0, 14, 16, 16, 17, 14}},
    {'d', {1, 1, 13, 19, 17, 17, 15}},   {'e', {0, 0, 14, 17, 31, 16, 14}},
    {'f', {6, 9, 8, 28, 8, 8, 8}},       {'g', {0, 0, 15, 17, 15, 1, 14}},
    {'h', {16, 16, 22, 25, 17, 17, 17}}, {'i', {4, 0, 12, 4, 4, 4, 14}},
    {'j', {2, 0, 6, 2, 2, 18, 12}},      {'k', {16, 16, 18, 20, 24, 20, 18}},
    {'l', {12, 4, 4, 4, 4, 4, 14}},      {'m', {0, 0, 26, 21, 21, 17, 17}},
    {'n', {0, 0, 22, 25, 17, 17, 17}},   {'o', {0, 0, 14, 17, 17, 17, 14}},
    {'p', {0, 0, 30, 17, 30, 16, 16}},   {'q', {0, 0, 15, 17, 15, 1, 1}},
    {'r', {0, 0, 22, 25, 16, 16, 16}},   {'s', {0, 0, 15, 16, 14, 1, 30}},
    {'t', {8, 8, 28, 8, 8, 9, 6}},       {'u', {0, 0, 17, 17, 17, 19, 13}},
    {'v', {0, 0, 17, 17, 17, 10, 4}},    {'w', {0, 0, 17, 17, 21, 21, 10}},
    {'x', {0, 0, 17, 10, 4, 10, 17}},    {'y', {0, 0, 17, 17, 15, 1, 14}},
    {'z', {0, 0, 31, 2, 4, 8, 31}},      {'!', {4, 4, 4, 4, 4, 0, 4}},
    {'"', {10, 10, 0, 0, 0, 0, 0}},      {'#', {10, 10, 31, 10, 31, 10, 10}},
    {'$', {4, 15, 20, 14, 5, 30, 4}},    {'%', {24, 25, 2, 4, 8, 19, 3}},
    {'&', {12, 18, 20, 8, 21, 18, 13}},  {'\'', {4, 4, 0, 0, 0, 0, 0}},
    {'(', {2, 4, 8, 8, 8, 4, 2}},        {')', {8, 4, 2, 2, 2, 4, 8}},
    {'*', {0, 4, 21, 14, 21, 4, 0}},     {'+', {0, 4, 4, 31, 4, 4, 0}},
    {',', {0, 0, 0, 0, 12, 4, 8}},       {';', {0, 12, 12, 0, 12, 4, 8}},
    {'<', {2, 4, 8, 16, 8, 4, 2}},       {'=', {0, 0, 31, 0, 31, 0, 0}},
    {'>', {8, 4, 2, 1, 2, 4, 8}},        {'?', {14, 17, 1, 2, 4, 0, 4}},
    {'@', {14, 17, 23, 21, 23, 16, 15}}, {'[', {14, 8, 8, 8, 8, 8, 14}},
    {'\\', {16, 16, 8, 4, 2, 1, 1}},    {']', {14, 2, 2, 2, 2, 2, 14}},
    {'^', {4, 10, 17, 0, 0, 0, 0}},      {'_', {0, 0, 0, 0, 0, 0, 31}},
    {'`', {8, 4, 0, 0, 0, 0, 0}},        {'{', {2, 4, 4, 8, 4, 4, 2}},
    {'|', {4, 4, 4, 4, 4, 4, 4}},        {'}', {8, 4, 4, 2, 4, 4, 8}},
    {'~', {0, 0, 8, 21, 2, 0, 0}},
};

// 3 x 5 dots, bit 2 the leftmost: what the small font of the makers lacks; small letters take
// the capitals' shapes.
struct SmallGlyph {
    char c;
    std::uint8_t rows[5];
};
constexpr SmallGlyph kSmall[] = {
    {',', {0, 0, 0, 2, 4}},  {'(', {1, 2, 2, 2, 1}},  {')', {4, 2, 2, 2, 4}},
    {'>', {4, 2, 1, 2, 4}},  {'<', {1, 2, 4, 2, 1}},  {'=', {0, 7, 0, 7, 0}},
    {'!', {2, 2, 2, 0, 2}},  {'?', {7, 1, 2, 0, 2}},  {'#', {5, 7, 5, 7, 5}},
    {'\'', {2, 2, 0, 0, 0}}, {'"', {5, 5, 0, 0, 0}},  {'_', {0, 0, 0, 0, 7}},
    {'*', {5, 2, 5, 0, 0}},  {'&', {2, 5, 2, 5, 3}},  {';', {0, 2, 0, 2, 4}},
    {'[', {3, 2, 2, 2, 3}},  {']', {6, 2, 2, 2, 6}},  {'|', {2, 2, 2, 2, 2}},
    {'\\', {4, 4, 2, 1, 1}}, {'^', {2, 5, 0, 0, 0}},  {'`', {4, 2, 0, 0, 0}},
    {'{', {3, 2, 4, 2, 3}},  {'}', {6, 2, 1, 2, 6}},  {'~', {0, 3, 6, 0, 0}},
    {'@', {7, 5, 7, 4, 7}},  {'$', {3, 6, 2, 3, 6}},
};

const std::uint8_t* LargeDots(char c) {
    for (const LargeGlyph& g : kLarge)
        if (g.c == c) return g.rows;
    return MakerFontDots(c);
}

const std::uint8_t* SmallDots(char c) {
    for (const SmallGlyph& g : kSmall)
        if (g.c == c) return g.rows;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return TinyFontDots(c);
}

std::unique_ptr<gfx::GFXBitmap> NewGlyph(int w, int h) {
    auto b = gfx::GFXBitmap::Create(w, h, 8);
    if (!b) return nullptr;
    std::memset(b->pixels, 0, static_cast<std::size_t>(b->size));
    b->flags |= gfx::kBitmapTransparent;
    return b;
}

// A font of the given glyphs (ids ascending), each record a vertical offset of 0.
Bytes FontFile(std::vector<std::unique_ptr<gfx::GFXBitmap>> glyphs, const std::vector<int>& ids,
               int cellWidth, int cellHeight) {
    gfx::GFXFont font;
    for (auto& g : glyphs) {
        if (!g) return {};
        font.Append(std::move(g));
    }
    const std::vector<std::uint8_t> records(ids.size() * 4, 0);
    if (!font.SetUserData(records.data(), 4) || !font.SetIds(ids.data())) return {};
    font.fontFlags = gfx::kFontRecolorable;
    font.cellWidth = cellWidth;
    font.cellHeight = cellHeight;
    font.baseline = cellHeight;
    font.spacing = 1;
    return CollectBytes([&](core::StreamIO& s) { return font.Write(s) != 0; });
}

// Codes 32 to 126 of dots `width` wide and `height` high, each glyph cut to its inked columns (a
// space keeps `spaceWidth`).
Bytes TextFont(const std::uint8_t* (*dotsOf)(char), int width, int height, int spaceWidth) {
    std::vector<std::unique_ptr<gfx::GFXBitmap>> glyphs;
    std::vector<int> ids;
    for (int code = 32; code <= 126; ++code) {
        const std::uint8_t* dots = dotsOf(static_cast<char>(code));
        if (dots == nullptr && code != ' ') continue;
        int first = width, last = -1;
        for (int y = 0; dots != nullptr && y < height; ++y)
            for (int x = 0; x < width; ++x)
                if ((dots[y] >> (width - 1 - x)) & 1) first = std::min(first, x), last = std::max(last, x);
        if (last < 0) first = 0, last = spaceWidth - 1;
        auto g = NewGlyph(last - first + 1, height);
        if (!g) return {};
        for (int y = 0; dots != nullptr && y < height; ++y)
            for (int x = first; x <= last; ++x)
                if ((dots[y] >> (width - 1 - x)) & 1) g->Row(y)[x - first] = kInk;
        glyphs.push_back(std::move(g));
        ids.push_back(code);
    }
    return FontFile(std::move(glyphs), ids, width, height);
}

constexpr int kSymbolSize = 9;

// A symbol drawn by a test of each dot's offset from the middle (-4..4).
template <class Inked>
std::unique_ptr<gfx::GFXBitmap> Symbol(Inked&& inked) {
    auto g = NewGlyph(kSymbolSize, kSymbolSize);
    if (!g) return nullptr;
    for (int y = 0; y < kSymbolSize; ++y)
        for (int x = 0; x < kSymbolSize; ++x)
            if (inked(x - kSymbolSize / 2, y - kSymbolSize / 2)) g->Row(y)[x] = kInk;
    return g;
}

// The aircraft seen from above, nose up, as points of a silhouette turned by `octant` x 45
// degrees clockwise.
std::unique_ptr<gfx::GFXBitmap> Aircraft(int octant) {
    const double a = octant * 3.14159265358979323846 / 4.0;
    const double c = std::cos(a), s = std::sin(a);
    return Symbol([&](int x, int y) {
        // Back to the nose-up frame.
        const double ux = x * c + y * s;
        const double uy = -x * s + y * c;
        const bool fuselage = std::fabs(ux) <= 0.6 && uy >= -4.2 && uy <= 3.6;
        const bool wings = std::fabs(uy + 0.8) <= 0.7 && std::fabs(ux) <= 4.2;
        const bool tail = std::fabs(uy - 3.0) <= 0.6 && std::fabs(ux) <= 2.2;
        return fuselage || wings || tail;
    });
}

Bytes SymbolFont() {
    std::vector<std::unique_ptr<gfx::GFXBitmap>> glyphs;
    // Airport: a ring with four ticks.
    glyphs.push_back(Symbol([](int x, int y) {
        const int d = x * x + y * y;
        return (d >= 4 && d <= 8) || (x == 0 && std::abs(y) == 4) || (y == 0 && std::abs(x) == 4);
    }));
    // VOR: a hexagon with a dot in the middle.
    glyphs.push_back(Symbol([](int x, int y) {
        const int ax = std::abs(x), ay = std::abs(y);
        const bool edge = (ay == 3 && ax <= 2) || (ax == 4 && ay <= 1) || (ax + ay == 5 && ax >= 2);
        return edge || (x == 0 && y == 0);
    }));
    // NDB: a dotted ring round a dot.
    glyphs.push_back(Symbol([](int x, int y) {
        const int d = x * x + y * y;
        return (d >= 12 && d <= 18 && ((x + y) & 1) == 0) || d <= 1;
    }));
    // Intersection: a triangle.
    glyphs.push_back(Symbol([](int x, int y) {
        if (y < -3 || y > 3) return false;
        const int half = (y + 3 + 1) * 4 / 7;
        return y == 3 ? std::abs(x) <= 4 : std::abs(x) == half;
    }));
    // Obstacle: a mast with its top light.
    glyphs.push_back(Symbol([](int x, int y) {
        if (y == -4) return x == 0;
        return y >= -2 && (std::abs(x) * 3 == y + 3 || (std::abs(x) * 3 == y + 2 && y > -2));
    }));
    for (int octant = 0; octant < 8; ++octant)
        glyphs.push_back(Aircraft(octant));
    std::vector<int> ids(glyphs.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
        ids[i] = static_cast<int>(i);
    return FontFile(std::move(glyphs), ids, kSymbolSize, kSymbolSize);
}

Bytes GpsPalette() {
    // The colour keys' defaults, in the keys' order.
    constexpr std::uint8_t kKeys[22][3] = {
        {0, 128, 128},   {0, 128, 128}, {0, 128, 0},     {0, 128, 0},   {255, 0, 0},
        {128, 0, 0},     {160, 160, 164}, {192, 192, 192}, {128, 0, 128}, {0, 255, 0},
        {128, 128, 128}, {128, 0, 0},   {0, 255, 255},   {192, 192, 192}, {255, 255, 0},
        {255, 255, 255}, {192, 192, 192}, {128, 128, 0}, {0, 0, 128},   {128, 128, 0},
        {128, 128, 128}, {0, 0, 0}};
    gfx::GFXPalette p;
    p.entries[0] = {0, 0, 0, 0};
    for (int i = 0; i < 22; ++i)
        p.entries[i + 1] = {kKeys[i][0], kKeys[i][1], kKeys[i][2], 0};
    for (int i = 23; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>((i - 23) * 255 / 232);
        p.entries[i] = {v, v, v, 0};
    }
    return CollectBytes([&](core::StreamIO& s) { return p.Write(s) != 0; });
}

}  // namespace

int MakeGpsArt(Installation& installation, std::string* error) {
    const struct {
        const char* name;
        Bytes bytes;
    } kMembers[] = {
        {"gps7.pft", TextFont(&LargeDots, 5, 7, 3)},
        {"gps5.pft", TextFont(&SmallDots, 3, 5, 2)},
        {"gpsSymbl.pft", SymbolFont()},
        {"gps.pal", GpsPalette()},
    };
    for (const auto& m : kMembers) {
        if (m.bytes.empty()) {
            *error = std::string("cannot make ") + m.name;
            return 0;
        }
        installation.AddMember(kVolume, m.name, m.bytes);
    }
    return 1;
}

}  // namespace mkdata
