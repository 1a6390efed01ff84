#include "gfx/raster/span_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gfx/raster/coverage_list.h"
#include "gfx/raster/short_runs.h"

namespace gfx {

namespace {

void Chain(GFXSpanRecord* records, int count) {
    for (int i = 0; i < count; ++i) {
        records[i].flags = i == 0 ? 0 : kSpanNewRow;
        records[i].next = i + 1 < count ? &records[i + 1] : nullptr;
    }
}

// Half of the doubled extent of row y: the largest X (with the parity of W - 1) such that the
// pixel centres x = (x0 + x1 + X) / 2 and (x0 + x1 - X) / 2 lie inside the ellipse inscribed in
// the rectangle, or -1 when none does. Exact in 128-bit integers, so every row is symmetric.
std::int64_t RowExtent(std::int64_t w, std::int64_t h, std::int64_t y2) {
    using Wide = __int128;
    const Wide rhs =
        static_cast<Wide>(w) * w * (static_cast<Wide>(h) * h - static_cast<Wide>(y2) * y2);
    if (rhs < 0) return -1;
    const Wide hh = static_cast<Wide>(h) * h;
    auto fits = [&](std::int64_t x) { return static_cast<Wide>(x) * x * hh <= rhs; };
    auto x = static_cast<std::int64_t>(
        std::sqrt(static_cast<long double>(rhs) / static_cast<long double>(hh)));
    while (x > 0 && !fits(x))
        --x;
    while (fits(x + 1))
        ++x;
    if (((x ^ (w - 1)) & 1) != 0) --x;  // the parity of the pixel centres
    return x;
}

bool EllipseRectOk(const GFXRect& r) {
    const std::int64_t w = static_cast<std::int64_t>(r.right) - r.left + 1;
    const std::int64_t h = static_cast<std::int64_t>(r.bottom) - r.top + 1;
    return w >= 1 && h >= 1 && w <= kMaxEllipseExtent && h <= kMaxEllipseExtent;
}

}  // namespace

namespace {
// The quotients floor((start + i * step) / d) for i = 0, 1, 2, ... (start, step >= 0, d > 0),
// stepped with the remainder instead of a division per row.
class SteppedQuotient {
public:
    SteppedQuotient(std::int64_t start, std::int64_t step, std::int64_t d)
        : q_(start / d), r_(start % d), dq_(step / d), dr_(step % d), d_(d) {}
    [[nodiscard]] std::int64_t Value() const { return q_; }
    void Next() {
        q_ += dq_;
        r_ += dr_;
        if (r_ >= d_) {
            ++q_;
            r_ -= d_;
        }
    }

private:
    std::int64_t q_, r_, dq_, dr_, d_;
};

// Calls run(i, x, n) for each row i of a line from its upper end point down: the row's first
// pixel x and its n pixels.
template <class Run>
std::int64_t LineRuns(GFXPoint a, GFXPoint b, Run&& run) {
    if (b.y < a.y) std::swap(a, b);
    const std::int64_t rows = static_cast<std::int64_t>(b.y) - a.y + 1;
    const std::int64_t dx = static_cast<std::int64_t>(b.x) - a.x;
    const std::int64_t total = std::llabs(dx) + 1;
    const int dir = dx < 0 ? -1 : 1;
    if (total >= rows) {
        // Shallow: the pixels are shared out over the rows in runs of q or q + 1, the run
        // boundaries rounded to the nearest pixel: row i ends before pixel
        // ((i + 1) * total * 2 + rows) / (2 * rows).
        std::int64_t prev = 0;
        SteppedQuotient next(2 * total + rows, 2 * total, 2 * rows);
        for (std::int64_t i = 0; i < rows; ++i, next.Next()) {
            const std::int64_t len = next.Value() - prev;
            const std::int64_t first = a.x + dir * prev;
            run(i, static_cast<std::int32_t>(dir > 0 ? first : first - (len - 1)),
                static_cast<std::int32_t>(len));
            prev = next.Value();
        }
    } else {
        // Steep: one pixel per row, moving sideways where the rounded position changes: row i
        // lies (i * (total - 1) * 2 + (rows - 1)) / (2 * (rows - 1)) pixels along (rows > 1 here).
        SteppedQuotient off(rows - 1, 2 * (total - 1), 2 * (rows - 1));
        for (std::int64_t i = 0; i < rows; ++i, off.Next())
            run(i, static_cast<std::int32_t>(a.x + dir * off.Value()), 1);
    }
    return rows;
}
}  // namespace

int BuildLineSpans(GFXSpanRecord* records, GFXPoint a, GFXPoint b) {
    Chain(records, std::abs(b.y - a.y) + 1);
    return static_cast<int>(LineRuns(a, b, [records](std::int64_t i, std::int32_t x, std::int32_t n) {
        records[i].x = x;
        records[i].lastOffset = n - 1;
    }));
}

void DrawLineFill8(std::uint8_t* base, std::int32_t stride, GFXPoint a, GFXPoint b,
                   std::uint8_t colour) {
    std::uint8_t* top = base + static_cast<std::intptr_t>(std::min(a.y, b.y)) * stride;
    // Most of a panel's lines are lamp bars, ticks and dots: one row, or one column. Their runs
    // need none of the stepping's divisions.
    if (a.y == b.y) {
        FillRun(top + std::min(a.x, b.x), colour, std::abs(b.x - a.x) + 1);
        return;
    }
    if (a.x == b.x) {
        std::uint8_t* d = top + a.x;
        for (std::int32_t n = std::abs(b.y - a.y); n >= 0; --n, d += stride)
            *d = colour;
        return;
    }
    LineRuns(a, b, [=](std::int64_t i, std::int32_t x, std::int32_t n) {
        FillRun(top + i * stride + x, colour, n);
    });
}

int BuildEllipseSpans(GFXSpanRecord* records, const GFXRect& r) {
    if (!EllipseRectOk(r)) return 0;
    const std::int64_t w = static_cast<std::int64_t>(r.right) - r.left + 1;
    const std::int64_t h = static_cast<std::int64_t>(r.bottom) - r.top + 1;
    const std::int64_t sum = static_cast<std::int64_t>(r.left) + r.right;
    Chain(records, static_cast<int>(h));
    for (std::int64_t i = 0; i < h; ++i) {
        const std::int64_t y2 = 2 * i - (h - 1);
        const std::int64_t e = RowExtent(w, h, y2);
        GFXSpanRecord& rec = records[i];
        if (e < 0) {
            rec.flags |= kSpanHidden;
            rec.x = static_cast<std::int32_t>(sum / 2);
            rec.lastOffset = 0;
            continue;
        }
        rec.x = static_cast<std::int32_t>((sum - e) / 2);
        rec.lastOffset = static_cast<std::int32_t>(e);
    }
    return static_cast<int>(h);
}

int BuildEllipseOutlineSpans(GFXSpanRecord* records, const GFXRect& r) {
    if (!EllipseRectOk(r)) return 0;
    const std::int64_t w = static_cast<std::int64_t>(r.right) - r.left + 1;
    const std::int64_t h = static_cast<std::int64_t>(r.bottom) - r.top + 1;
    const std::int64_t sum = static_cast<std::int64_t>(r.left) + r.right;
    auto extent = [&](std::int64_t i) {
        return i < 0 || i >= h ? -2 : RowExtent(w, h, 2 * i - (h - 1));
    };
    for (std::int64_t i = 0; i < h; ++i) {
        GFXSpanRecord& left = records[i];
        GFXSpanRecord& right = records[h + i];
        left.flags = i == 0 ? 0 : kSpanNewRow;
        right.flags = 0;
        left.next = &right;
        right.next = i + 1 < h ? &records[i + 1] : nullptr;
        const std::int64_t e = extent(i);
        if (e < 0) {
            left.flags |= kSpanHidden;
            right.flags |= kSpanHidden;
            left.x = right.x = static_cast<std::int32_t>(sum / 2);
            left.lastOffset = right.lastOffset = 0;
            continue;
        }
        // The left piece runs from the row's outer pixel inwards until it meets the outer pixel
        // of the narrower neighbouring row, so that the outline stays closed.
        const std::int64_t outer = (sum - e) / 2;
        std::int64_t inner = outer;
        for (const std::int64_t n : {extent(i - 1), extent(i + 1)}) {
            const std::int64_t nOuter = n < 0 ? sum / 2 + 1 : (sum - n) / 2;
            inner = std::max(inner, nOuter - 1);
        }
        const std::int64_t mirrorStart = sum - inner;  // the right piece's first pixel
        if (mirrorStart <= inner) {
            // The pieces meet: the left piece takes the whole row, the right one is empty.
            left.x = static_cast<std::int32_t>(outer);
            left.lastOffset = static_cast<std::int32_t>(e);
            right.flags |= kSpanHidden;
            right.x = left.x;
            right.lastOffset = 0;
            continue;
        }
        left.x = static_cast<std::int32_t>(outer);
        left.lastOffset = static_cast<std::int32_t>(inner - outer);
        right.x = static_cast<std::int32_t>(mirrorStart);
        right.lastOffset = left.lastOffset;
    }
    return static_cast<int>(h);
}

void BuildBitmapSpans(GFXSpanShape& shape, std::int32_t rowCount, std::int32_t x,
                      std::int32_t lastOffset, std::int32_t source, std::int32_t firstSourceRow,
                      std::int32_t rowStep) {
    GFXSpanRecord* r = shape.records;
    Chain(r, rowCount);
    for (std::int32_t i = 0; i < rowCount; ++i) {
        r[i].x = x;
        r[i].lastOffset = lastOffset;
        r[i].source = source;
        r[i].attributes[kSpanAttrSourceRow] = firstSourceRow + i * rowStep;
    }
    shape.first = r;
    shape.rowCount = rowCount;
}

void ClipSpansToEllipse(GFXSpanShape& shape, const GFXRect& rect) {
    const bool ok = EllipseRectOk(rect);
    const std::int64_t w = static_cast<std::int64_t>(rect.right) - rect.left + 1;
    const std::int64_t h = static_cast<std::int64_t>(rect.bottom) - rect.top + 1;
    const std::int64_t sum = static_cast<std::int64_t>(rect.left) + rect.right;
    std::int64_t row = shape.firstRow;
    for (GFXSpanRecord* r = shape.first; r != nullptr; r = r->next) {
        if (r != shape.first && (r->flags & kSpanNewRow) != 0) ++row;
        if ((r->flags & kSpanHidden) != 0) continue;
        const std::int64_t i = row - rect.top;
        const std::int64_t e = ok && i >= 0 && i < h ? RowExtent(w, h, 2 * i - (h - 1)) : -1;
        const std::int64_t a = (r->flags & kSpanStartClipped) != 0 ? r->clipStart : r->x;
        const std::int64_t b = (r->flags & kSpanEndClipped) != 0
                                   ? r->clipEnd
                                   : static_cast<std::int64_t>(r->x) + r->lastOffset;
        const std::int64_t lo = std::max(a, (sum - e) / 2);
        const std::int64_t hi = std::min(b, (sum + e) / 2);
        if (e < 0 || lo > hi) {
            r->flags = (r->flags & kSpanNewRow) | kSpanHidden;
            continue;
        }
        if (lo != a || hi != b || (r->flags & (kSpanStartClipped | kSpanEndClipped)) != 0) {
            r->flags |= kSpanStartClipped | kSpanEndClipped;
            r->clipStart = static_cast<std::int32_t>(lo);
            r->clipEnd = static_cast<std::int32_t>(hi);
        }
    }
}

void ClipSpansToCoverage(GFXSpanShape& shape, const CoverageList& list) {
    GFXSpanRecord* rec = shape.first;
    if (rec == nullptr) return;
    const std::int32_t listEnd = list.firstRow + list.rowCount;
    const std::int32_t shapeEnd = shape.firstRow + shape.rowCount;
    if (shape.firstRow >= listEnd || shapeEnd <= list.firstRow) {
        rec->flags = kSpanHidden;
        rec->next = nullptr;
        return;
    }
    // Enter the list's rows.
    while (shape.firstRow < list.firstRow && rec != nullptr) {
        GFXSpanRecord* n = rec->next;
        while (n != nullptr && (n->flags & kSpanNewRow) == 0)
            n = n->next;
        if (n == nullptr) {
            rec->flags = kSpanHidden;
            rec->next = nullptr;
            return;
        }
        rec = n;
        ++shape.firstRow;
        --shape.rowCount;
    }
    rec->flags &= ~kSpanNewRow;
    shape.first = rec;
    std::int32_t row = shape.firstRow;
    bool hideRest = false;
    for (GFXSpanRecord* r = rec; r != nullptr; r = r->next) {
        if (r != rec && (r->flags & kSpanNewRow) != 0) ++row;
        if (row >= listEnd || hideRest) {
            r->flags = (r->flags & kSpanNewRow) | kSpanHidden;
            r->next = nullptr;
            break;
        }
        if ((r->flags & kSpanHidden) != 0) continue;
        const std::int32_t a = (r->flags & kSpanStartClipped) != 0 ? r->clipStart : r->x;
        const std::int32_t b =
            (r->flags & kSpanEndClipped) != 0 ? r->clipEnd : r->x + r->lastOffset;
        const CoverageNode* n = list.rowHeads[row - list.firstRow];
        while (n != nullptr && n->x1 < a)
            n = n->next;
        if (n == nullptr || n->x0 > b) {
            r->flags = (r->flags & kSpanNewRow) | kSpanHidden;
            continue;
        }
        const std::int32_t start = std::max(a, n->x0);
        const std::int32_t end = std::min(b, n->x1);
        if (b > n->x1) {
            const CoverageNode* more = n->next;
            if (more != nullptr && more->x0 <= b) {
                if (shape.spareCount <= 0 || shape.nextSpare == nullptr) {
                    hideRest = true;  // no record left for the next piece
                } else {
                    GFXSpanRecord* s = shape.nextSpare;
                    --shape.spareCount;
                    shape.nextSpare = shape.spareCount > 0 ? s - 1 : nullptr;
                    *s = *r;
                    s->flags = kSpanStartClipped | kSpanEndClipped;
                    s->clipStart = more->x0;
                    s->clipEnd = b;
                    s->next = r->next;
                    r->next = s;
                }
            }
        }
        if (start != a || end != b || (r->flags & (kSpanStartClipped | kSpanEndClipped)) != 0) {
            r->flags |= kSpanStartClipped | kSpanEndClipped;
            r->clipStart = start;
            r->clipEnd = end;
        }
    }
}

void ClipSpansAndOcclude(GFXSpanShape& shape, CoverageList& list) {
    ClipSpansToCoverage(shape, list);
    std::int32_t row = shape.firstRow;
    for (GFXSpanRecord* r = shape.first; r != nullptr; r = r->next) {
        if (r != shape.first && (r->flags & kSpanNewRow) != 0) ++row;
        if ((r->flags & kSpanHidden) != 0 || row < list.firstRow ||
            row >= list.firstRow + list.rowCount) {
            continue;
        }
        const bool clipped = (r->flags & (kSpanStartClipped | kSpanEndClipped)) != 0;
        const std::int32_t a = clipped ? r->clipStart : r->x;
        const std::int32_t b = clipped ? r->clipEnd : r->x + r->lastOffset;
        CoverageNode** link = &list.rowHeads[row - list.firstRow];
        while (*link != nullptr && (*link)->x1 < a)
            link = &(*link)->next;
        CoverageNode* n = *link;
        if (n == nullptr || n->x0 > b) continue;
        if (a <= n->x0 && b >= n->x1) {
            *link = n->next;
            n->next = list.freeList;
            list.freeList = n;
        } else if (a <= n->x0) {
            n->x0 = b + 1;
        } else if (b >= n->x1) {
            n->x1 = a - 1;
        } else if (list.freeList != nullptr) {
            CoverageNode* m = list.freeList;
            list.freeList = m->next;
            m->x0 = b + 1;
            m->x1 = n->x1;
            m->next = n->next;
            n->x1 = a - 1;
            n->next = m;
        }
    }
}

namespace {
template <bool kBitmap>
void FixRecords(GFXSpanShape& shape) {
    for (GFXSpanRecord* r = shape.first; r != nullptr; r = r->next) {
        if ((r->flags & kSpanHidden) != 0) continue;
        const std::uint32_t c = r->flags & (kSpanStartClipped | kSpanEndClipped);
        if ((c & kSpanStartClipped) != 0) {
            const std::int32_t d = r->clipStart - r->x;
            r->x = r->clipStart;
            if constexpr (kBitmap) {
                r->source += d * shape.sourceStep;
                r->attributes[kSpanAttrSourceRow] += d * shape.rowStep;
            }
            r->lastOffset = r->clipEnd - r->clipStart;
        } else if (c == kSpanEndClipped) {
            r->lastOffset = r->clipEnd - r->x;
        }
    }
}
}  // namespace

void FixSpanRecords(GFXSpanShape& shape) {
    FixRecords<false>(shape);
}
void FixBitmapSpanRecords(GFXSpanShape& shape) {
    FixRecords<true>(shape);
}

namespace {
template <typename Put>
void WalkSpans(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape, int bytes,
               Put put) {
    std::uint8_t* row = base + static_cast<std::intptr_t>(shape.firstRow) * stride;
    for (const GFXSpanRecord* r = shape.first; r != nullptr; r = r->next) {
        if (r != shape.first && (r->flags & kSpanNewRow) != 0) row += stride;
        if ((r->flags & kSpanHidden) != 0 || r->lastOffset < 0) continue;
        put(row + static_cast<std::intptr_t>(r->x) * bytes, r->lastOffset + 1);
    }
}
}  // namespace

void DrawSpansFill(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape) {
    const auto c = static_cast<std::uint8_t>(shape.color);
    WalkSpans(base, stride, shape, 1,
              [c](std::uint8_t* d, int n) { FillRun(d, c, n); });
}

void DrawSpansFill16(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape,
                     std::uint16_t colour16) {
    WalkSpans(base, stride, shape, 2, [colour16](std::uint8_t* d, int n) {
        for (int i = 0; i < n; ++i)
            std::memcpy(d + 2 * i, &colour16, 2);
    });
}

namespace {
template <bool kShapeStep>
void DrawShaded(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape) {
    std::uint8_t* row = base + static_cast<std::intptr_t>(shape.firstRow) * stride;
    const std::uint8_t* table = shape.sourceBase;
    const std::uint32_t colour = shape.color & 255u;
    for (const GFXSpanRecord* r = shape.first; r != nullptr; r = r->next) {
        if (r != shape.first && (r->flags & kSpanNewRow) != 0) row += stride;
        if ((r->flags & kSpanHidden) != 0 || r->lastOffset < 0 || table == nullptr) continue;
        auto level = static_cast<std::uint32_t>(r->attributes[kSpanAttrShade]);
        const auto step = static_cast<std::uint32_t>(
            kShapeStep ? shape.shadeStep : r->attributes[kSpanAttrShadeStep]);
        std::uint8_t* d = row + r->x;
        for (std::int32_t i = 0; i <= r->lastOffset; ++i) {
            d[i] = table[(((level >> 16) & 255u) << 8) | colour];
            level += step;
        }
    }
}
}  // namespace

void DrawSpansShaded(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape) {
    DrawShaded<false>(base, stride, shape);
}

void DrawSpansShadedShapeStep(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape) {
    DrawShaded<true>(base, stride, shape);
}

void DrawSpansBlend(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape) {
    const std::uint8_t* row = shape.blendTable + ((shape.color & 255u) << 8);
    WalkSpans(base, stride, shape, 1, [row](std::uint8_t* d, int n) {
        for (int i = 0; i < n; ++i)
            d[i] = row[d[i]];
    });
}

}  // namespace gfx
