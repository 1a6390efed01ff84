#include "tools/mkdata/panel_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mkdata {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The makers' font: 5 x 7 dots, rows top to bottom, bit 4 the leftmost dot.
struct Glyph {
    char c;
    std::uint8_t rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'0', {14, 17, 19, 21, 25, 17, 14}}, {'1', {4, 12, 4, 4, 4, 4, 14}},
    {'2', {14, 17, 1, 2, 4, 8, 31}},     {'3', {30, 1, 1, 14, 1, 1, 30}},
    {'4', {2, 6, 10, 18, 31, 2, 2}},     {'5', {31, 16, 30, 1, 1, 17, 14}},
    {'6', {6, 8, 16, 30, 17, 17, 14}},   {'7', {31, 1, 2, 4, 8, 8, 8}},
    {'8', {14, 17, 17, 14, 17, 17, 14}}, {'9', {14, 17, 17, 15, 1, 2, 12}},
    {'A', {14, 17, 17, 31, 17, 17, 17}}, {'B', {30, 17, 17, 30, 17, 17, 30}},
    {'C', {14, 17, 16, 16, 16, 17, 14}}, {'D', {30, 17, 17, 17, 17, 17, 30}},
    {'E', {31, 16, 16, 30, 16, 16, 31}}, {'F', {31, 16, 16, 30, 16, 16, 16}},
    {'G', {14, 17, 16, 23, 17, 17, 15}}, {'H', {17, 17, 17, 31, 17, 17, 17}},
    {'I', {14, 4, 4, 4, 4, 4, 14}},      {'K', {17, 18, 20, 24, 20, 18, 17}},
    {'L', {16, 16, 16, 16, 16, 16, 31}}, {'M', {17, 27, 21, 21, 17, 17, 17}},
    {'N', {17, 25, 21, 19, 17, 17, 17}}, {'O', {14, 17, 17, 17, 17, 17, 14}},
    {'P', {30, 17, 17, 30, 16, 16, 16}}, {'R', {30, 17, 17, 30, 20, 18, 17}},
    {'S', {15, 16, 16, 14, 1, 1, 30}},   {'T', {31, 4, 4, 4, 4, 4, 4}},
    {'U', {17, 17, 17, 17, 17, 17, 14}}, {'V', {17, 17, 17, 17, 17, 10, 4}},
    {'W', {17, 17, 17, 21, 21, 21, 10}}, {'X', {17, 17, 10, 4, 10, 17, 17}},
    {'Y', {17, 17, 10, 4, 4, 4, 4}},     {'-', {0, 0, 0, 31, 0, 0, 0}},
    {'.', {0, 0, 0, 0, 0, 12, 12}},      {':', {0, 12, 12, 0, 12, 12, 0}},
    {'/', {1, 1, 2, 4, 8, 16, 16}},      {' ', {0, 0, 0, 0, 0, 0, 0}},
};

// The small font: 3 x 5 dots, bit 2 the leftmost.
struct TinyGlyph {
    char c;
    std::uint8_t rows[5];
};
constexpr TinyGlyph kTiny[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 3, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 2, 2}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}},
    {'C', {7, 4, 4, 4, 7}}, {'D', {6, 5, 5, 5, 6}}, {'E', {7, 4, 6, 4, 7}}, {'F', {7, 4, 6, 4, 4}},
    {'G', {7, 4, 5, 5, 7}}, {'H', {5, 5, 7, 5, 5}}, {'I', {7, 2, 2, 2, 7}}, {'J', {1, 1, 1, 5, 7}},
    {'K', {5, 5, 6, 5, 5}}, {'L', {4, 4, 4, 4, 7}}, {'M', {5, 7, 7, 5, 5}}, {'N', {6, 5, 5, 5, 5}},
    {'O', {7, 5, 5, 5, 7}}, {'P', {7, 5, 7, 4, 4}}, {'Q', {7, 5, 5, 7, 1}}, {'R', {7, 5, 6, 5, 5}},
    {'S', {7, 4, 7, 1, 7}}, {'T', {7, 2, 2, 2, 2}}, {'U', {5, 5, 5, 5, 7}}, {'V', {5, 5, 5, 5, 2}},
    {'W', {5, 5, 7, 7, 5}}, {'X', {5, 5, 2, 5, 5}}, {'Y', {5, 5, 2, 2, 2}}, {'Z', {7, 1, 2, 4, 7}},
    {'.', {0, 0, 0, 0, 2}}, {'-', {0, 0, 7, 0, 0}}, {'/', {1, 1, 2, 4, 4}}, {'%', {5, 1, 2, 4, 5}},
    {' ', {0, 0, 0, 0, 0}}, {'+', {0, 2, 7, 2, 0}}, {':', {0, 2, 0, 2, 0}},
    {'<', {1, 2, 4, 2, 1}}, {'>', {4, 2, 1, 2, 4}},
};

const TinyGlyph* FindTiny(char c) {
    for (const TinyGlyph& g : kTiny)
        if (g.c == c) return &g;
    return nullptr;
}

const Glyph* Find(char c) {
    for (const Glyph& g : kGlyphs)
        if (g.c == c) return &g;
    return nullptr;
}

}  // namespace

const std::uint8_t* MakerFontDots(char c) {
    const Glyph* g = Find(c);
    return g != nullptr ? g->rows : nullptr;
}

const std::uint8_t* TinyFontDots(char c) {
    const TinyGlyph* g = FindTiny(c);
    return g != nullptr ? g->rows : nullptr;
}

void Polar(double cx, double cy, double radius, double degrees, double* x, double* y) {
    const double a = degrees * kPi / 180.0;
    *x = cx + radius * std::sin(a);
    *y = cy - radius * std::cos(a);
}

void Canvas::Set(int x, int y, std::uint8_t c) {
    if (x < 0 || y < 0 || x >= b.width || y >= b.height) return;
    b.Row(y)[x] = c;
}

std::uint8_t Canvas::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= b.width || y >= b.height) return 0;
    return b.Row(y)[x];
}

void Canvas::Fill(int left, int top, int right, int bottom, std::uint8_t c) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, b.width - 1);
    bottom = std::min(bottom, b.height - 1);
    for (int y = top; y <= bottom; ++y)
        if (right >= left) std::memset(b.Row(y) + left, c, static_cast<std::size_t>(right - left + 1));
}

void Canvas::Ring(double cx, double cy, double r0, double r1, std::uint8_t c) {
    const int x0 = static_cast<int>(std::floor(cx - r1 - 1)), x1 = static_cast<int>(std::ceil(cx + r1 + 1));
    const int y0 = static_cast<int>(std::floor(cy - r1 - 1)), y1 = static_cast<int>(std::ceil(cy + r1 + 1));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            if (d > r0 && d <= r1) Set(x, y, c);
        }
}

void Canvas::Arc(double cx, double cy, double r0, double r1, double a0, double a1, std::uint8_t c) {
    const int x0 = static_cast<int>(std::floor(cx - r1 - 1)), x1 = static_cast<int>(std::ceil(cx + r1 + 1));
    const int y0 = static_cast<int>(std::floor(cy - r1 - 1)), y1 = static_cast<int>(std::ceil(cy + r1 + 1));
    double span = a1 - a0;
    while (span < 0) span += 360.0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double d = std::hypot(dx, dy);
            if (d <= r0 || d > r1) continue;
            double a = std::atan2(dx, -dy) * 180.0 / kPi - a0;
            while (a < 0) a += 360.0;
            while (a >= 360.0) a -= 360.0;
            if (a <= span) Set(x, y, c);
        }
}

void Canvas::Line(double x0, double y0, double x1, double y1, double width, std::uint8_t c) {
    const double len = std::hypot(x1 - x0, y1 - y0);
    const double r = width / 2.0;
    const int l = static_cast<int>(std::floor(std::min(x0, x1) - r - 1));
    const int rr = static_cast<int>(std::ceil(std::max(x0, x1) + r + 1));
    const int t = static_cast<int>(std::floor(std::min(y0, y1) - r - 1));
    const int bb = static_cast<int>(std::ceil(std::max(y0, y1) + r + 1));
    for (int y = t; y <= bb; ++y)
        for (int x = l; x <= rr; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            double u = len > 0 ? ((px - x0) * (x1 - x0) + (py - y0) * (y1 - y0)) / (len * len) : 0;
            u = std::clamp(u, 0.0, 1.0);
            const double d = std::hypot(px - (x0 + u * (x1 - x0)), py - (y0 + u * (y1 - y0)));
            if (d <= r) Set(x, y, c);
        }
}

void Canvas::Bevel(int left, int top, int right, int bottom, std::uint8_t light, std::uint8_t dark,
                   std::uint8_t face) {
    Fill(left, top, right, bottom, face);
    Fill(left, top, right, top, light);
    Fill(left, top, left, bottom, light);
    Fill(left, bottom, right, bottom, dark);
    Fill(right, top, right, bottom, dark);
}

int Canvas::Text(int x, int y, std::string_view text, std::uint8_t c, int scale) {
    int at = x;
    for (char ch : text) {
        const Glyph* g = Find(ch);
        if (g != nullptr) {
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if ((g->rows[row] >> (4 - col)) & 1)
                        Fill(at + col * scale, y + row * scale, at + col * scale + scale - 1,
                             y + row * scale + scale - 1, c);
        }
        at += 6 * scale;
    }
    return at - x;
}

int Canvas::TextWidth(std::string_view text, int scale) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * 6 * scale - scale;
}

void Canvas::TextCentred(double cx, double cy, std::string_view text, std::uint8_t c, int scale) {
    Text(static_cast<int>(std::lround(cx - TextWidth(text, scale) / 2.0)),
         static_cast<int>(std::lround(cy - 3.5 * scale)), text, c, scale);
}

int Canvas::Tiny(int x, int y, std::string_view text, std::uint8_t c) {
    int at = x;
    for (char ch : text) {
        const TinyGlyph* g = FindTiny(ch);
        if (g != nullptr)
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < 3; ++col)
                    if ((g->rows[row] >> (2 - col)) & 1) Set(at + col, y + row, c);
        at += 4;
    }
    return at - x;
}

int Canvas::TinyWidth(std::string_view text) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * 4 - 1;
}

void Canvas::TinyCentred(double cx, double cy, std::string_view text, std::uint8_t c) {
    Tiny(static_cast<int>(std::lround(cx - TinyWidth(text) / 2.0)),
         static_cast<int>(std::lround(cy - 2.5)), text, c);
}

}  // namespace mkdata
