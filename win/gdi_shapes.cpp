#include "win/gdi_shapes.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace win {
namespace {

// The rows a shape may touch: the target's, widened by the widest pen's reach.
struct RowLimit {
    int top;
    int bottom;  // exclusive
    int left;
    int right;  // exclusive
};
RowLimit TargetLimit(HDC hdc) {
    constexpr int kReach = 64;
    return RowLimit{-kReach, GetDeviceCaps(hdc, VERTRES) + kReach, -kReach,
                    GetDeviceCaps(hdc, HORZRES) + kReach};
}

HBRUSH CurrentBrush(HDC hdc) {
    return HBRUSH{GetCurrentObject(hdc, OBJ_BRUSH).id};
}

// A horizontal run x0..x1 (both included) of row y, with the brush or with the pen. The pen
// goes through LineTo so that its width and colour apply exactly as for lines; the current
// position is put back by the caller.
void BrushRun(HDC hdc, HBRUSH brush, int x0, int x1, int y) {
    if (x1 < x0) return;
    const RECT r{x0, y, x1 + 1, y + 1};
    FillRect(hdc, &r, brush);
}
void PenRun(HDC hdc, int x0, int x1, int y) {
    if (x1 < x0) return;
    MoveToEx(hdc, x0, y, nullptr);
    LineTo(hdc, x1 + 1, y);
}

// Pixel span of one row of an ellipse; empty when first > last.
struct Span {
    int first = 1;
    int last = 0;
    [[nodiscard]] bool Empty() const { return first > last; }
};

}  // namespace

bool Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int w = right - left, h = bottom - top;
    if (w <= 0 || h <= 0) return true;
    const RowLimit limit = TargetLimit(hdc);
    const int rowFirst = std::max(top, limit.top), rowEnd = std::min(bottom, limit.bottom);
    if (rowFirst >= rowEnd) return true;
    // The pixels whose centres lie inside the ellipse inscribed in the box, row by row; the
    // same computation for x + 0.5 on both sides keeps every row symmetric.
    const double cx = left + w / 2.0, cy = top + h / 2.0, rx = w / 2.0, ry = h / 2.0;
    auto spanOf = [&](int y) {
        Span s;
        if (y < top || y >= bottom) return s;
        const double dy = (y + 0.5 - cy) / ry;
        const double q = 1.0 - dy * dy;
        if (q < 0.0) return s;
        const double half = rx * std::sqrt(q);
        // Pixels x with |x + 0.5 - cx| <= half.
        s.first = static_cast<int>(std::ceil(cx - half - 0.5));
        s.last = static_cast<int>(std::floor(cx + half - 0.5));
        // Rounding never lets a row leave the box.
        s.first = std::max(s.first, left);
        s.last = std::min(s.last, right - 1);
        return s;
    };
    POINT saved;
    MoveToEx(hdc, 0, 0, &saved);
    const HBRUSH brush = CurrentBrush(hdc);
    for (int y = rowFirst; y < rowEnd; ++y) {
        const Span s = spanOf(y);
        if (s.Empty()) continue;
        // A pixel is inside (brush) when its four neighbours all belong to the ellipse; the
        // others are its border (pen). Rows are intervals, so the inside is one interval too.
        const Span up = spanOf(y - 1), down = spanOf(y + 1);
        int inFirst = s.first + 1, inLast = s.last - 1;
        if (up.Empty() || down.Empty()) {
            inFirst = 1;
            inLast = 0;
        } else {
            inFirst = std::max({inFirst, up.first, down.first});
            inLast = std::min({inLast, up.last, down.last});
        }
        const int x0 = std::max(s.first, limit.left), x1 = std::min(s.last, limit.right - 1);
        if (inFirst > inLast) {
            PenRun(hdc, x0, x1, y);
            continue;
        }
        BrushRun(hdc, brush, std::max(inFirst, x0), std::min(inLast, x1), y);
        PenRun(hdc, x0, std::min(inFirst - 1, x1), y);
        PenRun(hdc, std::max(inLast + 1, x0), x1, y);
    }
    MoveToEx(hdc, saved.x, saved.y, nullptr);
    return true;
}

bool Polygon(HDC hdc, const POINT* points, int count) {
    if (points == nullptr || count < 2) return false;
    const RowLimit limit = TargetLimit(hdc);
    int yMin = points[0].y, yMax = points[0].y;
    for (int i = 1; i < count; ++i) {
        yMin = std::min(yMin, points[i].y);
        yMax = std::max(yMax, points[i].y);
    }
    const HBRUSH brush = CurrentBrush(hdc);
    std::vector<double> crossings;
    crossings.reserve(static_cast<std::size_t>(count));
    // Rows sampled at their centres; edges are half-open in y, so a vertex shared by two
    // edges is counted once.
    for (int y = std::max(yMin, limit.top); y < std::min(yMax, limit.bottom); ++y) {
        const double ys = y + 0.5;
        crossings.clear();
        for (int i = 0; i < count; ++i) {
            const POINT a = points[i], b = points[(i + 1) % count];
            if ((a.y <= ys) == (b.y <= ys)) continue;
            crossings.push_back(a.x + (ys - a.y) * (static_cast<double>(b.x) - a.x) /
                                          (static_cast<double>(b.y) - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
            // Pixels whose centres lie in [from, to).
            const double from = std::max<double>(crossings[k], limit.left);
            const double to = std::min<double>(crossings[k + 1], limit.right);
            const int x0 = static_cast<int>(std::ceil(from - 0.5));
            const int x1 = static_cast<int>(std::ceil(to - 0.5)) - 1;
            BrushRun(hdc, brush, x0, x1, y);
        }
    }
    POINT saved;
    MoveToEx(hdc, points[0].x, points[0].y, &saved);
    for (int i = 1; i <= count; ++i)
        LineTo(hdc, points[i % count].x, points[i % count].y);
    MoveToEx(hdc, saved.x, saved.y, nullptr);
    return true;
}

bool Polyline(HDC hdc, const POINT* points, int count) {
    if (points == nullptr || count < 2) return false;
    POINT saved;
    MoveToEx(hdc, points[0].x, points[0].y, &saved);
    for (int i = 1; i < count; ++i)
        LineTo(hdc, points[i].x, points[i].y);
    MoveToEx(hdc, saved.x, saved.y, nullptr);
    return true;
}

}  // namespace win
