// The "sky art" module: the weather art of "Art\Wx.Vol" and the bodies of the sky in the
// "Art\3DShapes\Celestial" folder of "Art\3DShapes.Vol", painted in the world palette.
//
// - "hzc-cld.bmp", "hzd-cld.bmp", "hz-cld.bmp": the horizon band for a clear sky, some cloud and
//   heavy cloud, 256 x 256 in four 128 x 128 quarters that continue one another round the
//   horizon: haze thinning upward, cumulus tops along the horizon, a grey overcast band. Index
//   0 lets the sky show through.
// - "cloud1a.bmp" .. "cloud8a.bmp": 256 x 256 cell maps, exactly n/8 of the cells cloudy, the
//   clouds clustered as cumulus fields (each map holds the one below it), painted as the deck
//   looks from above; "cloud1b.bmp" .. "cloud8b.bmp": the same cells as seen from below.
// - "Sun.bmp" and the moon in its eight phases, "Moon0n.bmp" .. "Moon7n.bmp" by night and
//   "Moon0d.bmp" .. "Moon7d.bmp" by day: phase index p stands for the moon 45 p degrees of
//   ecliptic longitude behind the sun (0 new, 2 last quarter, 4 full, 6 first quarter), lit on
//   the side toward the sun.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/mkdata/world_art.h"

namespace mkdata {

namespace {

constexpr const char* kWeatherVolume = "Art\\Wx.Vol";
constexpr const char* kShapesVolume = "Art\\3DShapes.Vol";
constexpr double kPi = 3.14159265358979323846;

int AddArt(Installation& installation, const char* volume, const char* name,
           const gfx::GFXBitmap& art, const WorldPaint& paint, std::string* error) {
    Bytes bytes = ArtBmp(art, paint);
    if (bytes.empty()) {
        *error = std::string("cannot write ") + name;
        return 0;
    }
    installation.AddMember(volume, name, std::move(bytes));
    return 1;
}

// The horizon band of one cover class: four quarters cut from one strip of 512 columns that
// closes on itself.
std::unique_ptr<gfx::GFXBitmap> PaintHorizon(int coverClass, const WorldPaint& paint) {
    auto b = NewArt(256, 256);
    if (!b) return nullptr;
    const Rgb hazeTints[3] = {{200, 212, 228}, {186, 200, 220}, {172, 188, 212}};
    const std::uint8_t cloud[3] = {paint.Nearest({242, 242, 244}), paint.Nearest({214, 218, 226}),
                                   paint.Nearest({176, 182, 194})};
    const std::uint8_t overcast[2] = {paint.Nearest({150, 156, 168}),
                                      paint.Nearest({128, 134, 146})};
    // The haze of each row: one colour the whole way round, the tint thinning into the sky's
    // own colour upward, each row the world colour nearest to the mix. Where the sky's colour
    // is nearer than any, the row is left to the sky (0): the band fades out evenly, in whole
    // rows, without a pattern of dots.
    // A clear sky is filled with the alternative entry, a clouded one with the sky's own.
    gfx::GFXPaletteEntry entries[256];
    paint.Palette().GetEntries(entries);
    const gfx::GFXPaletteEntry& skyEntry =
        entries[coverClass == 0 ? kAlternativeSkyEntry : kSkyEntry];
    const double sky[3] = {static_cast<double>(skyEntry.red), static_cast<double>(skyEntry.green),
                           static_cast<double>(skyEntry.blue)};
    auto distance = [](const double a[3], const gfx::GFXPaletteEntry& e) {
        const double dr = a[0] - e.red, dg = a[1] - e.green, db = a[2] - e.blue;
        return dr * dr + dg * dg + db * db;
    };
    std::uint8_t hazeRows[128];
    for (int row = 0; row < 128; ++row) {
        const double up = (128 - row) / 128.0;  // 0 at the bottom edge, 1 at the top
        // Haze: dense at the horizon, gone by two thirds of the way up.
        const double density = std::max(0.0, 1.0 - up / 0.66);
        const double at = std::clamp(up * 6.0 - 0.5, 0.0, 2.0);
        const int low = std::min(1, static_cast<int>(at));
        const double f = at - low;
        double mix[3];
        for (int c = 0; c < 3; ++c) {
            const auto channel = [&](const Rgb& t) {
                return static_cast<double>(c == 0 ? t.r : (c == 1 ? t.g : t.b));
            };
            const double tint =
                channel(hazeTints[low]) * (1.0 - f) + channel(hazeTints[low + 1]) * f;
            mix[c] = tint * density + sky[c] * (1.0 - density);
        }
        const std::uint8_t nearest =
            paint.Nearest({static_cast<std::uint8_t>(std::lround(mix[0])),
                           static_cast<std::uint8_t>(std::lround(mix[1])),
                           static_cast<std::uint8_t>(std::lround(mix[2]))});
        hazeRows[row] = distance(mix, skyEntry) <= distance(mix, entries[nearest]) ? 0 : nearest;
    }
    for (int column = 0; column < 512; ++column) {
        const int quarter = column / 128;
        const int qx = (quarter % 2) * 128, qy = (quarter / 2) * 128;
        const int x = column % 128;
        // Cloud tops: bumps round the horizon, periodic over the strip.
        const double n =
            TileNoise(column * 0.5, 17.0, 3, 41 + static_cast<std::uint32_t>(coverClass));
        const int cumulusTop = 128 - static_cast<int>(22 + 46 * n);
        const int overcastTop = 128 - static_cast<int>(70 + 30 * n);
        for (int row = 0; row < 128; ++row) {
            std::uint8_t* p = b->Row(qy + row) + qx + x;
            if (coverClass == 2 && row >= overcastTop) {
                *p = overcast[(row - overcastTop) < 6 ? 0 : 1];
                continue;
            }
            if (coverClass >= 1 && row >= cumulusTop) {
                const double shade = (row - cumulusTop) / static_cast<double>(128 - cumulusTop);
                *p = cloud[std::min(2, static_cast<int>(shade * 3.0))];
                continue;
            }
            *p = hazeRows[row];
        }
    }
    return b;
}

// The noise the cloud fields are cut from, and the level above which a cell is cloudy for a
// coverage of n eighths.
std::vector<double> CloudField() {
    std::vector<double> v(256 * 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            v[static_cast<std::size_t>(y * 256 + x)] = TileNoise(x, y, 4, 97);
    return v;
}

double CloudLevel(const std::vector<double>& field, int eighths) {
    std::vector<double> sorted = field;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t clear = sorted.size() * static_cast<std::size_t>(8 - eighths) / 8;
    return clear == 0 ? -1.0 : sorted[clear - 1];
}

std::unique_ptr<gfx::GFXBitmap> PaintCloudMap(const std::vector<double>& field, double level,
                                              const std::uint8_t colours[3]) {
    auto b = NewArt(256, 256);
    if (!b) return nullptr;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const double v = field[static_cast<std::size_t>(y * 256 + x)];
            if (v <= level) continue;
            // Thicker cloud (further above the level) paints brighter from above.
            const double depth = std::min(1.0, (v - level) * 8.0);
            b->Row(y)[x] = colours[depth > 0.66 ? 0 : (depth > 0.33 ? 1 : 2)];
        }
    return b;
}

// A disc of radius r in a size x size bitmap, painted by `shade` (0 leaves the pixel empty).
template <typename Shade>
std::unique_ptr<gfx::GFXBitmap> PaintDisc(int size, double r, Shade shade) {
    auto b = NewArt(size, size);
    if (!b) return nullptr;
    const double c = (size - 1) / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = (x - c) / r, dy = (y - c) / r;
            if (dx * dx + dy * dy > 1.0) continue;
            b->Row(y)[x] = shade(dx, dy);
        }
    return b;
}

}  // namespace

int MakeSkyArt(Installation& installation, std::string* error) {
    const WorldPaint paint;
    static const char* const kHorizons[3] = {"hzc-cld.bmp", "hzd-cld.bmp", "hz-cld.bmp"};
    for (int c = 0; c < 3; ++c) {
        auto h = PaintHorizon(c, paint);
        if (!h || !AddArt(installation, kWeatherVolume, kHorizons[c], *h, paint, error)) return 0;
    }
    const std::vector<double> field = CloudField();
    const std::uint8_t above[3] = {paint.Nearest({246, 246, 248}), paint.Nearest({228, 230, 236}),
                                   paint.Nearest({206, 210, 220})};
    const std::uint8_t below[3] = {paint.Nearest({150, 156, 168}), paint.Nearest({168, 172, 182}),
                                   paint.Nearest({188, 192, 200})};
    for (int n = 1; n <= 8; ++n) {
        const double level = CloudLevel(field, n);
        char name[32];
        auto top = PaintCloudMap(field, level, above);
        auto bottom = PaintCloudMap(field, level, below);
        std::snprintf(name, sizeof name, "cloud%da.bmp", n);
        if (!top || !AddArt(installation, kWeatherVolume, name, *top, paint, error)) return 0;
        std::snprintf(name, sizeof name, "cloud%db.bmp", n);
        if (!bottom || !AddArt(installation, kWeatherVolume, name, *bottom, paint, error)) return 0;
    }

    const std::uint8_t sunCore = paint.Nearest({255, 255, 236});
    const std::uint8_t sunRim = paint.Nearest({255, 226, 120});
    auto sun = PaintDisc(
        32, 11.0, [&](double dx, double dy) { return dx * dx + dy * dy < 0.6 ? sunCore : sunRim; });
    if (!sun || !AddArt(installation, kShapesVolume, "Sun.bmp", *sun, paint, error)) return 0;

    // By night the lit part takes the stars' entry: the night palettes darken every ramp, and
    // a moon painted from them would hardly stand out from the night sky.
    const std::uint8_t litNight = kStarEntry;
    const std::uint8_t darkNight = paint.Nearest({40, 44, 60});
    const std::uint8_t litDay = paint.Nearest({226, 232, 244});
    for (int phase = 0; phase < 8; ++phase) {
        // Phase p: the moon 45 p degrees behind the sun, i.e. 360 - 45 p ahead of it.
        const double elongation = std::fmod(360.0 - 45.0 * phase, 360.0) * kPi / 180.0;
        const bool waxing = std::sin(elongation) > 0.0;
        for (const bool night : {true, false}) {
            auto moon = PaintDisc(32, 13.0, [&](double dx, double dy) -> std::uint8_t {
                // The terminator: the lit part lies toward the sun, on the right while waxing.
                const double limb = std::sqrt(std::max(0.0, 1.0 - dy * dy));
                const double x = waxing ? dx : -dx;
                const bool lit = x > std::cos(elongation) * limb;
                if (lit) return night ? litNight : litDay;
                return night ? darkNight : 0;
            });
            char name[32];
            std::snprintf(name, sizeof name, "Moon%d%c.bmp", phase, night ? 'n' : 'd');
            if (!moon || !AddArt(installation, kShapesVolume, name, *moon, paint, error)) return 0;
        }
    }
    return 1;
}

}  // namespace mkdata
