#include "nav/map_palette.h"

namespace nav {

namespace {

constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (r << 16) | (g << 8) | b;
}

std::array<std::uint32_t, 256> Build() {
    std::array<std::uint32_t, 256> c{};
    // The static colours of a 256-colour display, where every palette keeps them.
    constexpr std::uint32_t kLow[10] = {
        Rgb(0, 0, 0),       Rgb(128, 0, 0),   Rgb(0, 128, 0),   Rgb(128, 128, 0),
        Rgb(0, 0, 128),     Rgb(128, 0, 128), Rgb(0, 128, 128), Rgb(192, 192, 192),
        Rgb(192, 220, 192), Rgb(166, 202, 240)};
    constexpr std::uint32_t kHigh[10] = {
        Rgb(255, 251, 240), Rgb(160, 160, 164), Rgb(128, 128, 128), Rgb(255, 0, 0),
        Rgb(0, 255, 0),     Rgb(255, 255, 0),   Rgb(0, 0, 255),     Rgb(255, 0, 255),
        Rgb(0, 255, 255),   Rgb(255, 255, 255)};
    for (int i = 0; i < 10; ++i) {
        c[static_cast<std::size_t>(i)] = kLow[i];
        c[static_cast<std::size_t>(246 + i)] = kHigh[i];
    }
    // Greys, then a 6 x 6 x 6 cube from 30 to 245.
    for (int i = 14; i < 30; ++i) {
        const auto v = static_cast<std::uint32_t>(40 + (i - 14) * 13);
        c[static_cast<std::size_t>(i)] = Rgb(v, v, v);
    }
    for (int i = 0; i < 216; ++i) {
        const auto r = static_cast<std::uint32_t>(i / 36) * 51;
        const auto g = static_cast<std::uint32_t>(i / 6 % 6) * 51;
        const auto b = static_cast<std::uint32_t>(i % 6) * 51;
        c[static_cast<std::size_t>(30 + i)] = Rgb(r, g, b);
    }
    // The map: pale sage land in a darker frame, grid lines a shade darker than the land,
    // brown state borders, blue water, purple airports.
    c[kMapBackground] = Rgb(196, 206, 176);
    c[kMapFrame] = Rgb(92, 100, 84);
    c[kMapLand] = Rgb(214, 220, 196);
    c[kMapGridColour] = Rgb(160, 172, 146);
    c[kMapAirportColour] = Rgb(140, 30, 150);
    c[kMapWaterColour] = Rgb(30, 80, 190);
    c[kMapStateColour] = Rgb(150, 100, 60);
    return c;
}

}  // namespace

const std::array<std::uint32_t, 256>& MapPaletteColours() {
    static const std::array<std::uint32_t, 256> colours = Build();
    return colours;
}

}  // namespace nav
