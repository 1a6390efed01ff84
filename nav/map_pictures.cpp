#include "nav/map_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "nav/map_palette.h"

namespace nav {

namespace {

// A small index canvas for the toolbar images.
class Cell {
public:
    explicit Cell(std::vector<std::uint8_t>& strip, int image) : strip_(strip), left_(image * 16) {}
    void Put(int x, int y, int c) {
        if (x < 0 || y < 0 || x >= 16 || y >= 16) return;
        strip_[static_cast<std::size_t>(y) * kMapToolImages * 16 + left_ + x] =
            static_cast<std::uint8_t>(c);
    }
    // Lines include both ends.
    void Line(int x0, int y0, int x1, int y1, int c) {
        const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= n; ++i) {
            const double t = n == 0 ? 0.0 : static_cast<double>(i) / n;
            Put(static_cast<int>(std::lround(x0 + (x1 - x0) * t)),
                static_cast<int>(std::lround(y0 + (y1 - y0) * t)), c);
        }
    }
    void Ring(double cx, double cy, double r, int c) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const double d = std::hypot(x - cx, y - cy);
                if (std::abs(d - r) < 0.5) Put(x, y, c);
            }
    }
    void Disc(double cx, double cy, double r, int c) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (std::hypot(x - cx, y - cy) <= r) Put(x, y, c);
    }
    // Filled triangle by pixel centres.
    void Triangle(double ax, double ay, double bx, double by, double cx, double cy, int c) {
        auto side = [](double px, double py, double x0, double y0, double x1, double y1) {
            return (x1 - x0) * (py - y0) - (y1 - y0) * (px - x0);
        };
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const double d1 = side(x, y, ax, ay, bx, by), d2 = side(x, y, bx, by, cx, cy),
                             d3 = side(x, y, cx, cy, ax, ay);
                const bool neg = d1 < 0 || d2 < 0 || d3 < 0, pos = d1 > 0 || d2 > 0 || d3 > 0;
                if (!(neg && pos)) Put(x, y, c);
            }
    }
    void Rect(int x0, int y0, int x1, int y1, int c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Put(x, y, c);
    }
    // A 3 x 5 digit.
    void Digit(int x, int y, int d, int c) {
        static constexpr std::uint16_t kGlyphs[10] = {0x7B6F, 0x2C97, 0x73E7, 0x73CF, 0x5BC9,
                                                      0x79CF, 0x79EF, 0x7249, 0x7BEF, 0x7BCF};
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (kGlyphs[d] & (1 << (14 - row * 3 - col))) Put(x + col, y + row, c);
    }
    // The "information" mark of the three tools.
    void InfoMark(int c) {
        Put(12, 8, c);
        Line(12, 10, 12, 14, c);
        Put(11, 10, c);
        Line(11, 14, 13, 14, c);
    }

private:
    std::vector<std::uint8_t>& strip_;
    int left_;
};

void VorSymbol(Cell& c, int x, int y, int colour) {
    c.Line(x - 2, y - 4, x + 2, y - 4, colour);
    c.Line(x - 2, y + 4, x + 2, y + 4, colour);
    for (int s : {-1, 1}) {
        c.Put(x + 4 * s, y, colour);
        c.Put(x + 3 * s, y - 1, colour);
        c.Put(x + 3 * s, y + 1, colour);
        c.Put(x + 3 * s, y - 2, colour);
        c.Put(x + 3 * s, y + 2, colour);
        c.Put(x + 2 * s, y - 3, colour);
        c.Put(x + 2 * s, y + 3, colour);
    }
    c.Put(x, y, colour);
}

void Feather(Cell& c, double x, double y, double scale) {
    c.Triangle(x, y, x - 4 * scale, y + 10 * scale, x, y + 9 * scale, kMapFeatherLeft);
    c.Triangle(x, y, x, y + 9 * scale, x + 4 * scale, y + 10 * scale, kMapFeatherRight);
}

void Magnifier(Cell& c) {
    c.Ring(6.0, 6.0, 4.5, kMapBlack);
    c.Disc(6.0, 6.0, 3.6, 255);
    for (int d = 0; d < 2; ++d)
        c.Line(9 + d, 10, 14 + d, 15, kMapBlack);
    c.Line(10, 9, 15, 14, kMapBlack);
}

}  // namespace

std::vector<std::uint8_t> MapBackgroundPixels(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    std::vector<std::uint8_t> p(static_cast<std::size_t>(width) * height,
                                static_cast<std::uint8_t>(kMapBackground));
    // The two-pixel margin the map never draws into carries the frame.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x < 2 || y < 2 || x >= width - 2 || y >= height - 2)
                p[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(kMapFrame);
    return p;
}

std::vector<std::uint8_t> MapToolbarPixels() {
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(kMapToolImages) * 16 * 16,
                                    static_cast<std::uint8_t>(kMapKeyColour));
    {  // 0: airports
        Cell c(strip, 0);
        c.Ring(7.5, 7.5, 3.5, kMapAirportColour);
        c.Line(7, 0, 7, 2, kMapAirportColour);
        c.Line(8, 0, 8, 2, kMapAirportColour);
        c.Line(7, 13, 7, 15, kMapAirportColour);
        c.Line(8, 13, 8, 15, kMapAirportColour);
        c.Line(0, 7, 2, 7, kMapAirportColour);
        c.Line(0, 8, 2, 8, kMapAirportColour);
        c.Line(13, 7, 15, 7, kMapAirportColour);
        c.Line(13, 8, 15, 8, kMapAirportColour);
    }
    {  // 1: VORs
        Cell c(strip, 1);
        VorSymbol(c, 7, 7, kMapVorColour);
        VorSymbol(c, 8, 8, kMapVorColour);
    }
    {  // 2: NDBs
        Cell c(strip, 2);
        c.Ring(7.5, 7.5, 6.0, kMapNdbColour);
        c.Ring(7.5, 7.5, 3.5, kMapNdbColour);
        c.Disc(7.5, 7.5, 1.2, kMapNdbColour);
    }
    {  // 3: localizers
        Cell c(strip, 3);
        Feather(c, 7.5, 1.0, 1.4);
    }
    {  // 4: waypoints
        Cell c(strip, 4);
        c.Line(2, 13, 13, 13, kMapWaypointColour);
        c.Line(2, 13, 7, 2, kMapWaypointColour);
        c.Line(13, 13, 8, 2, kMapWaypointColour);
        c.Line(7, 2, 8, 2, kMapWaypointColour);
    }
    {  // 5: airways
        Cell c(strip, 5);
        for (int d = 0; d < 2; ++d) {
            c.Line(0, 12 + d, 5, 3 + d, kMapVorColour);
            c.Line(5, 3 + d, 10, 12 + d, kMapVorColour);
            c.Line(10, 12 + d, 15, 3 + d, kMapVorColour);
        }
    }
    {  // 6: obstacles
        Cell c(strip, 6);
        for (int d = 0; d < 2; ++d) {
            c.Line(3 + d, 15, 7 + d, 3, kMapObstacleColour);
            c.Line(11 + d, 15, 7 + d, 3, kMapObstacleColour);
        }
        c.Rect(7, 1, 8, 2, 249);
    }
    {  // 7, 8: zoom in and out
        Cell in(strip, 7);
        Magnifier(in);
        in.Line(4, 6, 8, 6, kMapBlack);
        in.Line(6, 4, 6, 8, kMapBlack);
        Cell out(strip, 8);
        Magnifier(out);
        out.Line(4, 6, 8, 6, kMapBlack);
    }
    {  // 9 to 12: scroll up, down, left, right
        Cell up(strip, 9), down(strip, 10), left(strip, 11), right(strip, 12);
        up.Triangle(7.5, 2, 2, 9, 13, 9, kMapBlack);
        up.Rect(5, 9, 10, 13, kMapBlack);
        down.Triangle(7.5, 13, 2, 6, 13, 6, kMapBlack);
        down.Rect(5, 2, 10, 6, kMapBlack);
        left.Triangle(2, 7.5, 9, 2, 9, 13, kMapBlack);
        left.Rect(9, 5, 13, 10, kMapBlack);
        right.Triangle(13, 7.5, 6, 2, 6, 13, kMapBlack);
        right.Rect(2, 5, 6, 10, kMapBlack);
    }
    {  // 13: airport information
        Cell c(strip, 13);
        for (int d = 0; d < 3; ++d)
            c.Line(1 + d, 12, 7 + d, 1, kMapAirportColour);
        c.InfoMark(252);
    }
    {  // 14: VOR information
        Cell c(strip, 14);
        VorSymbol(c, 5, 6, kMapVorColour);
        c.InfoMark(252);
    }
    {  // 15: approach information
        Cell c(strip, 15);
        Feather(c, 5.0, 1.0, 1.0);
        c.InfoMark(252);
    }
    {  // 16, 17: add a station to a route and delete one (a leg with its station, and a plus
       // or a minus)
        for (int image : {16, 17}) {
            Cell c(strip, image);
            c.Line(1, 14, 9, 6, kMapBlack);
            c.Line(2, 14, 10, 6, kMapBlack);
            c.Disc(5.5, 10, 2.2, kMapBlack);
            c.Line(9, 4, 15, 4, image == 16 ? kMapWaypointColour : kMapObstacleColour);
            c.Line(9, 3, 15, 3, image == 16 ? kMapWaypointColour : kMapObstacleColour);
            if (image == 16) {
                c.Line(12, 0, 12, 7, kMapWaypointColour);
                c.Line(11, 0, 11, 7, kMapWaypointColour);
            }
        }
    }
    {  // 18: frequencies
        Cell c(strip, 18);
        c.Digit(1, 5, 1, kMapFeatherRight);
        c.Digit(5, 5, 2, kMapFeatherRight);
        c.Digit(9, 5, 3, kMapFeatherRight);
        c.Line(1, 12, 13, 12, kMapFeatherRight);
    }
    return strip;
}

win::HBITMAP MakeMapBitmap(int width, int height, const std::array<std::uint32_t, 256>& table,
                          const std::vector<std::uint8_t>* pixels) {
    win::BITMAPINFO info;
    info.bmiHeader.biWidth = std::max(1, width);
    info.bmiHeader.biHeight = -std::max(1, height);
    info.bmiHeader.biBitCount = 8;
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t c = table[static_cast<std::size_t>(i)];
        info.bmiColors[static_cast<std::size_t>(i)] =
            win::RGBQUAD{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                         static_cast<std::uint8_t>(c >> 16), 0};
    }
    void* bits = nullptr;
    const win::HBITMAP bitmap =
        win::CreateDIBSection(win::HDC{}, &info, win::DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || bits == nullptr || pixels == nullptr ||
        pixels->size() < static_cast<std::size_t>(width) * height)
        return bitmap;
    const int stride = (width + 3) & ~3;
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * stride,
                    pixels->data() + static_cast<std::ptrdiff_t>(y) * width,
                    static_cast<std::size_t>(width));
    return bitmap;
}

win::HBITMAP MakeMapBackgroundBitmap(int width, int height) {
    if (width <= 0 || height <= 0) return win::HBITMAP{};
    const std::vector<std::uint8_t> pixels = MapBackgroundPixels(width, height);
    return MakeMapBitmap(width, height, MapPaletteColours(), &pixels);
}

win::HBITMAP MakeMapToolbarBitmap() {
    const std::vector<std::uint8_t> pixels = MapToolbarPixels();
    return MakeMapBitmap(kMapToolImages * kMapToolImageSize, kMapToolImageSize,
                         MapPaletteColours(), &pixels);
}

}  // namespace nav
