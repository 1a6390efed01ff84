// Drawing on an 8-bit bitmap for the art makers: points, rectangles, discs, rings, arcs, thick
// lines and the makers' own small 5 x 7 font. Everything is clipped to the bitmap and uses only
// the palette indices given.
#pragma once

#include <cstdint>
#include <string_view>

#include "gfx/bitmap.h"

namespace mkdata {

class Canvas {
public:
    explicit Canvas(gfx::GFXBitmap& bitmap) : b(bitmap) {}
    [[nodiscard]] int Width() const { return b.width; }
    [[nodiscard]] int Height() const { return b.height; }
    void Set(int x, int y, std::uint8_t c);
    [[nodiscard]] std::uint8_t Get(int x, int y) const;
    void Fill(int left, int top, int right, int bottom, std::uint8_t c);  // inclusive
    void Clear(std::uint8_t c) { Fill(0, 0, b.width - 1, b.height - 1, c); }
    // Pixels whose centre lies within r0..r1 of (cx, cy).
    void Ring(double cx, double cy, double r0, double r1, std::uint8_t c);
    void Disc(double cx, double cy, double r, std::uint8_t c) { Ring(cx, cy, -1, r, c); }
    // The ring's part between compass angles a0 and a1 (degrees clockwise from up).
    void Arc(double cx, double cy, double r0, double r1, double a0, double a1, std::uint8_t c);
    void Line(double x0, double y0, double x1, double y1, double width, std::uint8_t c);
    // A raised rectangle: light top-left, dark bottom-right.
    void Bevel(int left, int top, int right, int bottom, std::uint8_t light, std::uint8_t dark,
               std::uint8_t face);
    // Text in the small font, `scale` pixels a font dot; answers the width drawn.
    int Text(int x, int y, std::string_view text, std::uint8_t c, int scale = 1);
    [[nodiscard]] static int TextWidth(std::string_view text, int scale = 1);
    // Centred on (cx, cy).
    void TextCentred(double cx, double cy, std::string_view text, std::uint8_t c, int scale = 1);
    // The small 3 x 5 font of dial numerals and labels (digits, capitals, '.', '-', '/').
    int Tiny(int x, int y, std::string_view text, std::uint8_t c);
    [[nodiscard]] static int TinyWidth(std::string_view text);
    void TinyCentred(double cx, double cy, std::string_view text, std::uint8_t c);

private:
    gfx::GFXBitmap& b;
};

// The dots of a character of the makers' 5 x 7 font (7 rows, bit 4 the leftmost dot) and of the
// small 3 x 5 font (5 rows, bit 2 the leftmost); null for a character the font lacks.
[[nodiscard]] const std::uint8_t* MakerFontDots(char c);
[[nodiscard]] const std::uint8_t* TinyFontDots(char c);

// A point at `radius` along compass angle `degrees` from (cx, cy).
void Polar(double cx, double cy, double radius, double degrees, double* x, double* y);

}  // namespace mkdata
