#include "win/gdi_shapes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace win {
namespace {

// An 8-bit DIB of w x h cleared to index 0, with the DC's pen and brush in palette indices.
struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HBITMAP previous;
    std::uint8_t* bits = nullptr;
    int w, h;
    Canvas(int width, int height) : w(width), h(height) {
        BITMAPINFO info;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biBitCount = 8;
        for (int i = 0; i < 256; ++i)
            info.bmiColors[i] = RGBQUAD{static_cast<std::uint8_t>(i), 0, 0, 0};
        dc = CreateCompatibleDC(HDC{});
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<std::uint8_t*>(p);
        std::memset(bits, 0, static_cast<std::size_t>(((width + 3) & ~3) * height));
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    [[nodiscard]] int At(int x, int y) const { return bits[y * ((w + 3) & ~3) + x]; }
};

struct Tools {
    HDC dc;
    HPEN pen, oldPen;
    HBRUSH brush, oldBrush;
    Tools(HDC d, int penIndex, int brushIndex, int penWidth = 1) : dc(d) {
        pen = CreatePen(PS_SOLID, penWidth, PALETTEINDEX(static_cast<std::uint16_t>(penIndex)));
        brush = brushIndex < 0 ? HBRUSH{GetStockObject(HOLLOW_BRUSH).id}
                               : CreateSolidBrush(PALETTEINDEX(static_cast<std::uint16_t>(brushIndex)));
        oldPen = SelectObject(dc, pen);
        oldBrush = SelectObject(dc, brush);
    }
    ~Tools() {
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
    }
};

TEST(GdiShapes, EllipsesStayInTheirBoxTouchEveryEdgeAndAreSymmetric) {
    struct Box {
        int left, top, right, bottom;
    } boxes[] = {{4, 4, 13, 13}, {2, 3, 12, 9}, {5, 5, 6, 6}, {5, 5, 7, 7}, {1, 1, 30, 18},
                 {3, 3, 10, 4}};
    for (const Box& b : boxes) {
        Canvas c(40, 30);
        Tools t(c.dc, 7, 9);
        ASSERT_TRUE(Ellipse(c.dc, b.left, b.top, b.right, b.bottom));
        int minX = 99, maxX = -1, minY = 99, maxY = -1;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                if (c.At(x, y) != 0) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    minY = std::min(minY, y);
                    maxY = std::max(maxY, y);
                }
        const std::string box = std::to_string(b.left) + "," + std::to_string(b.top) + "-" +
                                std::to_string(b.right) + "," + std::to_string(b.bottom);
        EXPECT_EQ(minX, b.left) << box;
        EXPECT_EQ(maxX, b.right - 1) << box;
        EXPECT_EQ(minY, b.top) << box;
        EXPECT_EQ(maxY, b.bottom - 1) << box;
        for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x) {
                const int mx = b.left + b.right - 1 - x, my = b.top + b.bottom - 1 - y;
                EXPECT_EQ(c.At(x, y), c.At(mx, y)) << box << " row " << y;
                EXPECT_EQ(c.At(x, y), c.At(x, my)) << box << " column " << x;
            }
    }
}

TEST(GdiShapes, AnEllipseIsOutlinedWithThePenAndFilledWithTheBrushUnlessHollow) {
    Canvas c(20, 20);
    {
        Tools t(c.dc, 7, 9);
        Ellipse(c.dc, 4, 4, 13, 13);  // a 9-pixel circle about (8, 8)
    }
    EXPECT_EQ(c.At(8, 8), 9);
    EXPECT_EQ(c.At(8, 4), 7);
    EXPECT_EQ(c.At(4, 8), 7);
    EXPECT_EQ(c.At(12, 8), 7);
    EXPECT_EQ(c.At(8, 12), 7);
    EXPECT_EQ(c.At(4, 4), 0);  // corners stay outside
    // The outline is closed: every outline pixel has an outline or outside neighbour chain,
    // and no inside pixel touches the outside.
    for (int y = 4; y < 13; ++y)
        for (int x = 4; x < 13; ++x)
            if (c.At(x, y) == 9) {
                EXPECT_NE(c.At(x - 1, y), 0);
                EXPECT_NE(c.At(x + 1, y), 0);
                EXPECT_NE(c.At(x, y - 1), 0);
                EXPECT_NE(c.At(x, y + 1), 0);
            }

    Canvas hollow(20, 20);
    std::memset(hollow.bits, 5, 20 * 20);
    {
        Tools t(hollow.dc, 7, -1);
        Ellipse(hollow.dc, 4, 4, 13, 13);
    }
    EXPECT_EQ(hollow.At(8, 8), 5);
    EXPECT_EQ(hollow.At(8, 4), 7);
    EXPECT_EQ(hollow.At(0, 0), 5);
}

// Whether the pixel centre (x + 0.5, y + 0.5) is inside the polygon by the even-odd rule.
bool InsideByCrossings(const std::vector<POINT>& p, int x, int y) {
    const double px = x + 0.5, py = y + 0.5;
    bool in = false;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].y <= py) == (p[j].y <= py)) continue;
        const double cx = p[i].x + (py - p[i].y) * double(p[j].x - p[i].x) / double(p[j].y - p[i].y);
        if (px < cx) in = !in;
    }
    return in;
}

TEST(GdiShapes, PolygonsFillExactlyThePixelsWhoseCentresAreInsideAndOutlineTheirEdges) {
    const std::vector<std::vector<POINT>> shapes = {
        {{10, 10}, {25, 12}, {14, 28}},
        {{2, 2}, {38, 2}, {38, 28}, {2, 28}},
        {{20, 1}, {38, 29}, {1, 12}, {39, 12}, {2, 29}},  // a star: alternate filling
        {{-500, -300}, {900, 15}, {-200, 700}},            // far outside the canvas
    };
    for (const auto& shape : shapes) {
        Canvas fill(40, 30);
        {
            Tools t(fill.dc, 0, 9);
            auto pen = SelectObject(fill.dc, HPEN{GetStockObject(NULL_PEN).id});
            Polygon(fill.dc, shape.data(), static_cast<int>(shape.size()));
            SelectObject(fill.dc, pen);
        }
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(fill.At(x, y) == 9, InsideByCrossings(shape, x, y))
                    << "pixel " << x << "," << y << " of shape " << shape[0].x;
    }
    // The outline runs through every vertex of an ordinary triangle.
    Canvas c(40, 30);
    {
        Tools t(c.dc, 7, 9);
        const POINT tri[3] = {{10, 10}, {25, 12}, {14, 28}};
        Polygon(c.dc, tri, 3);
    }
    EXPECT_EQ(c.At(10, 10), 7);
    EXPECT_EQ(c.At(25, 12), 7);
    EXPECT_EQ(c.At(14, 28), 7);
}

TEST(GdiShapes, PolylinesDrawLikeLineToAndKeepTheCurrentPosition) {
    const POINT pts[4] = {{1, 1}, {15, 1}, {15, 9}, {3, 12}};
    Canvas a(20, 15), b(20, 15);
    Tools ta(a.dc, 7, 9, 3), tb(b.dc, 7, 9, 3);
    MoveToEx(a.dc, 17, 13, nullptr);
    ASSERT_TRUE(Polyline(a.dc, pts, 4));
    POINT now;
    MoveToEx(a.dc, 0, 0, &now);
    EXPECT_EQ(now.x, 17);
    EXPECT_EQ(now.y, 13);
    MoveToEx(b.dc, pts[0].x, pts[0].y, nullptr);
    for (int i = 1; i < 4; ++i)
        LineTo(b.dc, pts[i].x, pts[i].y);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
    // A 3-pixel pen covers the rows above and below a horizontal line.
    EXPECT_EQ(a.At(8, 0), 7);
    EXPECT_EQ(a.At(8, 2), 7);
    EXPECT_EQ(a.At(8, 3), 0);
    EXPECT_FALSE(Polyline(a.dc, pts, 1));
}

}  // namespace
}  // namespace win
