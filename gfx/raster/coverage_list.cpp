#include "gfx/raster/coverage_list.h"

#include <algorithm>

#include "gfx/raster/span_state.h"

namespace gfx {

int CoverageList::Allocate(std::int32_t first, std::int32_t rows, std::int32_t count) {
    if (rows <= 0 || count < rows || rows > (1 << 20) || count > (1 << 24)) return 0;
    headStore_.assign(static_cast<std::size_t>(rows), nullptr);
    nodeStore_.assign(static_cast<std::size_t>(count), CoverageNode{});
    firstRow = first;
    rowCount = rows;
    nodeCount = count;
    rowHeads = headStore_.data();
    nodes = nodeStore_.data();
    rowList.assign(static_cast<std::size_t>(rows), 0);
    BuildCoverageList(*this);
    return 1;
}

void CoverageList::Reset(std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom) {
    rowList.clear();
    for (std::int32_t i = 0; i < rowCount; ++i) {
        const std::int32_t y = firstRow + i;
        if (y >= top && y <= bottom && left <= right) {
            rowList.insert(rowList.end(), {1, left, right});
        } else {
            rowList.push_back(0);
        }
    }
    BuildCoverageList(*this);
}

int CoverageList::FreeCount() const {
    int n = 0;
    for (const CoverageNode* p = freeList; p != nullptr; p = p->next)
        ++n;
    return n;
}

void BuildCoverageList(CoverageList& list) {
    std::int32_t used = 0;
    std::size_t pos = 0;
    const std::vector<std::int32_t>& rl = list.rowList;
    for (std::int32_t row = 0; row < list.rowCount; ++row) {
        list.rowHeads[row] = nullptr;
        if (pos >= rl.size()) continue;
        const std::int32_t count = rl[pos++];
        CoverageNode** tail = &list.rowHeads[row];
        for (std::int32_t k = 0; k < count; ++k) {
            if (pos + 2 > rl.size()) {
                pos = rl.size();
                break;
            }
            const std::int32_t a = rl[pos];
            const std::int32_t b = rl[pos + 1];
            pos += 2;
            if (used >= list.nodeCount || a > b) continue;
            CoverageNode* n = &list.nodes[used++];
            n->x0 = a;
            n->x1 = b;
            n->next = nullptr;
            *tail = n;
            tail = &n->next;
        }
    }
    list.freeList = nullptr;
    for (std::int32_t i = list.nodeCount - 1; i >= used; --i) {
        list.nodes[i].next = list.freeList;
        list.freeList = &list.nodes[i];
    }
}

CoverageNode* CopyCoverageRange(std::int32_t x0, std::int32_t x1, CoverageNode* const* sourceHeads,
                                CoverageNode** destHeads, std::int32_t rowCount,
                                CoverageNode* spare) {
    for (std::int32_t row = 0; row < rowCount; ++row) {
        CoverageNode** tail = &destHeads[row];
        *tail = nullptr;
        for (const CoverageNode* n = sourceHeads[row]; n != nullptr && spare != nullptr;
             n = n->next) {
            if (n->x1 < x0 || n->x0 > x1) continue;
            CoverageNode* c = spare;
            spare = spare->next;
            c->x0 = std::max(n->x0, x0);
            c->x1 = std::min(n->x1, x1);
            c->next = nullptr;
            *tail = c;
            tail = &c->next;
        }
    }
    return spare;
}

namespace {

// Span ends in whole pixels: the span covers s .. e - 1.
inline void SpanEnds(std::int32_t& s, std::int32_t& e) {
    const SpanRasterState& st = theSpanState;
    const std::int64_t left = static_cast<std::int64_t>(st.spanX) + 0xFFFF;
    s = static_cast<std::int32_t>(std::max(left >> 16, static_cast<std::int64_t>(st.clipLeft)));
    e = static_cast<std::int32_t>(
        std::min((left + st.spanWidth) >> 16, static_cast<std::int64_t>(st.clipRight)));
}

// The common row entry of both stages: 0 when the rows have left the band (the walk stops),
// 1 with nothing to do (above the band, or an empty span), 2 with s and e to clip.
int EnterRow(std::int32_t& s, std::int32_t& e) {
    const SpanRasterState& st = theSpanState;
    if (st.spanY < st.coverTop) return 1;
    if (st.spanY >= st.coverBottom) return 0;
    SpanEnds(s, e);
    return s < e ? 2 : 1;
}

int MaskedStage() {
    SpanRasterState& st = theSpanState;
    std::int32_t s = 0, e = 0;
    if (const int entry = EnterRow(s, e); entry != 2) return entry;
    for (const CoverageNode* n = st.coverage->rowHeads[st.spanY - st.coverTop]; n != nullptr;
         n = n->next) {
        if (n->x1 < s) continue;
        const std::int32_t a = std::max(s, n->x0);
        const std::int32_t b = std::min(e, n->x1 + 1);
        if (a >= b) break;  // the intervals are sorted: nothing further right can overlap
        st.activeFill(a << 16, b << 16);
        if (e <= n->x1 + 1) break;
    }
    return 1;
}

int OccludingStage() {
    SpanRasterState& st = theSpanState;
    std::int32_t s = 0, e = 0;
    if (const int entry = EnterRow(s, e); entry != 2) return entry;
    CoverageNode** link = &st.coverage->rowHeads[st.spanY - st.coverTop];
    while (*link != nullptr) {
        CoverageNode* n = *link;
        if (n->x1 < s) {
            link = &n->next;
            continue;
        }
        const std::int32_t a = std::max(s, n->x0);
        const std::int32_t b = std::min(e, n->x1 + 1);
        if (a >= b) break;
        st.activeFill(a << 16, b << 16);
        const bool reachesEnd = b > n->x1;
        if (a <= n->x0 && reachesEnd) {
            // The interval is wholly covered: it goes back to the free nodes.
            *link = n->next;
            n->next = st.freeNodes;
            st.freeNodes = n;
        } else if (a <= n->x0) {
            n->x0 = b;
            link = &n->next;
        } else if (reachesEnd) {
            n->x1 = a - 1;
            link = &n->next;
        } else {
            // The piece lies strictly inside: split, or leave the interval whole when no node is
            // free (later polygons may then draw over the piece).
            if (st.freeNodes != nullptr) {
                CoverageNode* m = st.freeNodes;
                st.freeNodes = m->next;
                m->x0 = b;
                m->x1 = n->x1;
                m->next = n->next;
                n->x1 = a - 1;
                n->next = m;
            }
            break;
        }
        if (e <= b) break;
    }
    return 1;
}

void SetBand() {
    SpanRasterState& st = theSpanState;
    st.coverTop = st.coverage->firstRow;
    st.coverBottom = st.coverage->firstRow + st.coverage->rowCount;
}

}  // namespace

void SelectMaskedSpans() {
    SetBand();
    theSpanState.clipFn = MaskedStage;
}

void SelectOccludingSpans() {
    SetBand();
    theSpanState.clipFn = OccludingStage;
}

int CoverageTestTrapezoid() {
    SpanRasterState& st = theSpanState;
    const CoverageList* list = st.coverage;
    std::int32_t lx = st.leftX;
    std::int32_t rx = st.rightX;
    for (std::int32_t y = st.curY; y < st.endY; ++y) {
        const std::int32_t s =
            static_cast<std::int32_t>((static_cast<std::int64_t>(lx) + 0xFFFF) >> 16);
        const std::int32_t e =
            static_cast<std::int32_t>((static_cast<std::int64_t>(rx) + 0xFFFF) >> 16);
        const std::int32_t row = y - list->firstRow;
        if (e > s && row >= 0 && row < list->rowCount) {
            for (const CoverageNode* n = list->rowHeads[row]; n != nullptr; n = n->next) {
                if (s <= n->x1) {
                    if (n->x0 <= e) return 1;
                    break;
                }
            }
        }
        lx = static_cast<std::int32_t>(static_cast<std::uint32_t>(lx) +
                                       static_cast<std::uint32_t>(st.leftDX));
        rx = static_cast<std::int32_t>(static_cast<std::uint32_t>(rx) +
                                       static_cast<std::uint32_t>(st.rightDX));
    }
    st.leftX = lx;
    st.rightX = rx;
    st.curY = st.endY;
    return 0;
}

}  // namespace gfx
