// Coverage lists: for every row of a band of rows, the sorted pixel intervals that are still
// open. Drawing a scene front to back through the occluding stage closes what each polygon
// covers, so that later polygons cannot draw there: hidden-surface removal without a depth
// buffer. The masked stage draws only inside the open intervals and leaves the list alone.
#pragma once

#include <cstdint>
#include <vector>

namespace gfx {

struct CoverageNode {
    std::int32_t x0 = 0;  // first open pixel
    std::int32_t x1 = 0;  // last open pixel, inclusive
    CoverageNode* next = nullptr;
};

struct CoverageList {
    std::int32_t firstRow = 0;
    std::int32_t rowCount = 0;
    std::int32_t nodeCount = 0;
    std::int32_t reserved = 0;
    CoverageNode* freeList = nullptr;
    CoverageNode** rowHeads = nullptr;
    CoverageNode* nodes = nullptr;
    // The compact row list BuildCoverageList reads: per row a count, then count pairs of
    // first and last open pixel.
    std::vector<std::int32_t> rowList;

    // Sizes the list for rowCount rows from firstRow with nodeCount nodes (at least one per
    // row); all rows empty, every node spare. Answers 1, or 0 for a bad size.
    int Allocate(std::int32_t first, std::int32_t rows, std::int32_t nodes);
    // Opens [left, right] on every row of [top, bottom] (inclusive) inside the band and closes
    // the rest: the scene set-up calls it once per frame over the view rectangle.
    void Reset(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    // Number of nodes on the free chain.
    [[nodiscard]] int FreeCount() const;

private:
    std::vector<CoverageNode*> headStore_;
    std::vector<CoverageNode> nodeStore_;
};

// Builds the nodes from the compact row list, sets each row head, links the remaining nodes as
// the free chain. Rows of the compact list that do not fit the node store stay empty.
void BuildCoverageList(CoverageList& list);

// For each of rowCount rows, copies the intervals that end at or after x0 and start at or
// before x1, each cut to x0..x1, into nodes taken from the spare chain. Answers the first spare
// node not used; rows beyond the spare nodes get what fitted.
CoverageNode* CopyCoverageRange(std::int32_t x0, std::int32_t x1, CoverageNode* const* sourceHeads,
                                CoverageNode** destHeads, std::int32_t rowCount,
                                CoverageNode* spare);

// Clip stages of the span rasterizer. The polygon entry stores the list in theSpanState.coverage
// and copies its free chain into freeNodes first, and gives freeNodes back after the polygon.
void SelectMaskedSpans();
void SelectOccludingSpans();

// 1 when some row of the current trapezoid (curY up to endY, edges leftX and rightX stepped by
// leftDX and rightDX) has an open pixel under the span; the state is then left as it was. 0
// otherwise, with the edges and curY advanced to endY.
int CoverageTestTrapezoid();

}  // namespace gfx
