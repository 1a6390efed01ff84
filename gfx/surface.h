// The drawing surface base of the whole program. Every picture (the window's DIB surface, the
// full-screen surfaces, sub-rectangles of other surfaces, off-screen memory surfaces) is a
// GFXSurface; drawing never goes through the class itself but through the GFXDrawTable that
// GetDrawTable answers, called with the surface first. The base also owns what the draw entries
// share: the rectangle and clip operations, the span pool, and the GFXDrawTarget bracket that
// the polygon and line front-ends draw into.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/surface_types.h"

namespace ts {
class TSMaterialList;
}

namespace gfx {

class GFXPalette;
class GFXBitmap;
struct GFXDrawTable;
struct CoverageList;
class SheetCache;

// Opaque handles of the window system; the screen surfaces convert them to their own types.
using GFXDeviceContext = void*;
using GFXWindowHandle = void*;

// Surface flag bits.
inline constexpr std::uint32_t kSurfaceClipRect = 0x01;     // clip every primitive to clipRect
inline constexpr std::uint32_t kSurfaceClipRegion = 0x02;   // clip to spanRegion as well
inline constexpr std::uint32_t kSurfaceWriteOnly = 0x08;    // write-only (video) memory
inline constexpr std::uint32_t kSurfaceCursor = 0x20;       // software cursor overlay wanted
inline constexpr std::uint32_t kSurfaceVideoMemory = 0x40;  // lives in video memory
inline constexpr std::uint32_t kSurfaceKeepSysPal = 0x100;  // keep the system palette

// Surface kinds.
inline constexpr std::int32_t kSurfaceKindDirectDraw = 0;
inline constexpr std::int32_t kSurfaceKindDIB = 1;
inline constexpr std::int32_t kSurfaceKindMemory = 2;
inline constexpr std::int32_t kSurfaceKindSub = 3;
inline constexpr std::int32_t kSurfaceKindDirect3D = 4;

class GFXSurface {
public:
    GFXSurface();
    GFXSurface(const GFXSurface&) = delete;
    GFXSurface& operator=(const GFXSurface&) = delete;

    // The virtual operations, in the fixed slot order every kind keeps.
    // 0, 1: the whole palette is taken with first 0 and count 256; otherwise entries are copied.
    virtual void SetPalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                            std::uint32_t unused = 0) = 0;
    virtual void SetPaletteDeferred(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                                    std::uint32_t unused = 0) = 0;
    // 2, 3: fill and clear `pixels` and `stride`. Call them through AcquireLock/ReleaseLock (or
    // GFXSurfaceLock), which count nested locks; Lock answers 1 when the pixels are available.
    virtual int Lock() = 0;
    virtual void Unlock() = 0;
    // 4, 5
    virtual GFXDeviceContext GetDC() = 0;
    virtual void ReleaseDC() = 0;
    // 6
    virtual ~GFXSurface();
    // 7
    [[nodiscard]] virtual const GFXDrawTable* GetDrawTable() = 0;
    // 8: 1 with the 16-bit layout written to `out`, 0 when the kind has none.
    virtual int GetPixelFormat(GFXPixelFormat* out);
    // 9 to 12
    virtual void AttachWindow(GFXWindowHandle window);
    virtual void Flip() = 0;
    virtual void Present(const GFXRect* rect);
    virtual void FlipCopy();
    // 13: copies `sourceRect` of `source` to `dest` on this surface.
    virtual void Blit(GFXSurface* source, const GFXRect& sourceRect, GFXPoint dest) = 0;

    // The lock bracket: Lock runs on the 0 to 1 step, Unlock on the 1 to 0 step. AcquireLock
    // answers what Lock answered (1 when already locked).
    int AcquireLock() {
        if (lockCount++ == 0) return Lock();
        return 1;
    }
    void ReleaseLock() {
        if (lockCount <= 0) return;  // an unbalanced release must not unlock twice
        if (--lockCount == 0) Unlock();
    }

    // Walks chainCount surfaces along chainNext and answers the first one shown on the display.
    [[nodiscard]] GFXSurface* FindDisplayedInChain();

    // The shared span pool: InitSpanPool(count) allocates the records (1, or 0 when it cannot).
    static int InitSpanPool(std::int32_t count);
    static void FreeSpanPool();

    // Fields, in the order the program has always kept them.
    std::uint32_t flags = kSurfaceClipRect;
    GFXRect clipRect{0, 0, 1, 1};
    GFXRect drawnRect{0, 0, 1, 1};  // clipped bounds of the last primitive drawn
    CoverageList* spanRegion = nullptr;
    std::uint32_t subclassWord = 0;  // left to the subclasses, carried over on mode switches
    GFXPalette* palette = nullptr;   // not owned
    std::uint8_t* pixels = nullptr;  // row 0; valid only while locked
    std::int32_t stride = 0;         // bytes from row to row; valid only while locked
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    GFXSurface* chainNext = this;  // flip chain, a ring
    std::int32_t chainCount = 1;
    std::uint32_t displayed = 0;  // non-zero on the chain member shown on the display
    std::int32_t kind = -1;
    std::int32_t copiesLeft = 0;  // presenting counter of the full-screen kind
    std::int32_t lockCount = 0;
    std::int32_t dcCount = 0;
    GFXDeviceContext dc = nullptr;
    std::uint32_t polyForceBits = 0;
    std::uint32_t polyAllowBits = 0xFFFFFFFFu;

    // A surface shows a palette it does not own. When the palette's owner frees it, every live
    // surface still showing it keeps a copy of its colours instead (the palette's destructor
    // calls this), so no surface ever points at a freed palette.
    static void ForgetPalette(const GFXPalette* freed);

protected:
    // The palette operation of the kinds that reach no device: with first 0 and count 256 the
    // palette itself is taken, otherwise the entries are copied into the palette already held.
    void StorePalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count);

private:
    // Every live surface, linked, for ForgetPalette.
    GFXSurface* liveNext = nullptr;
    GFXSurface* livePrev = nullptr;
    // The copy this surface keeps of a palette that was freed while it showed it.
    std::unique_ptr<GFXPalette> keptPalette;
};

// Scoped lock bracket for code that touches pixels.
class GFXSurfaceLock {
public:
    explicit GFXSurfaceLock(GFXSurface& s) : surface_(s) { ok_ = surface_.AcquireLock(); }
    ~GFXSurfaceLock() { surface_.ReleaseLock(); }
    GFXSurfaceLock(const GFXSurfaceLock&) = delete;
    GFXSurfaceLock& operator=(const GFXSurfaceLock&) = delete;
    [[nodiscard]] bool Ok() const { return ok_ != 0; }

private:
    GFXSurface& surface_;
    int ok_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Span lists: the unit of the lists that bitmaps, ellipses, lines and pixels are drawn through.
// The records of a list are consecutive in the pool; row n of a clipped shape starts at the
// record n places after the first.

inline constexpr std::uint32_t kSpanHidden = 0x04;
inline constexpr std::uint32_t kSpanStartClipped = 0x08;
inline constexpr std::uint32_t kSpanEndClipped = 0x10;
inline constexpr std::uint32_t kSpanNewRow = 0x20;

// Index of the source row value among a span's attribute words.
inline constexpr int kSpanAttrShade = 0;
inline constexpr int kSpanAttrSourceRow = 1;
inline constexpr int kSpanAttrShadeStep = 2;
inline constexpr int kSpanAttrCount = 10;

struct GFXSpanRecord {
    std::uint32_t flags = 0;
    std::int32_t x = 0;
    std::int32_t lastOffset = 0;  // width - 1: the span covers x .. x + lastOffset
    GFXSpanRecord* next = nullptr;
    std::int32_t clipStart = 0;  // first visible pixel with kSpanStartClipped
    std::int32_t clipEnd = 0;    // last visible pixel with kSpanEndClipped
    std::int32_t source = 0;     // source column (an offset, or 16.16 for scaled copies)
    std::int32_t attributes[kSpanAttrCount] = {};  // drawing values, copied when a span splits
};

// The span pool header and the drawing values of the list currently built in it.
struct GFXSpanShape {
    std::int32_t firstRow = 0;
    std::int32_t rowCount = 0;
    std::int32_t capacity = 0;    // records in the array
    std::int32_t spareCount = 0;  // records left for splits, taken from the array's end
    GFXSpanRecord* nextSpare = nullptr;
    GFXSpanRecord* first = nullptr;    // first record of the current list
    GFXSpanRecord* records = nullptr;  // the record array
    // Drawing values of the current list.
    std::int32_t shadeStep = 0;  // 16.16
    std::uint32_t color = 0;     // low byte a palette index
    const std::uint8_t* sourceBase = nullptr;
    const std::uint8_t* blendTable = nullptr;
    std::int32_t sourceShift = 0;
    // Per-pixel steps of bitmap lists: the source column step per destination pixel (+1 or -1)
    // and the step of the source row value.
    std::int32_t sourceStep = 1;
    std::int32_t rowStep = 0;
};

// The one span pool of the program; the main window sizes it at creation with 3000 records.
extern GFXSpanShape theSpanPool;

// ---------------------------------------------------------------------------------------------
// Rectangle and clip operations. All rectangles are inclusive. They answer 1 when something is
// left to draw and 0 when nothing is, except ClipSpanList, which answers 1 when nothing is left.

[[nodiscard]] int PointInRect(GFXPoint p, const GFXRect& r);
[[nodiscard]] int RectInRect(const GFXRect& a, const GFXRect& b);
[[nodiscard]] int PolygonInRect(const GFXScreenPoint* const* points, std::int32_t count,
                                const GFXRect& r);
void UnionRect(const GFXRect& a, const GFXRect& b, GFXRect* out);
// dest becomes the intersection; 1 only when right - left > 0 and bottom - top > 0 after it.
int IntersectRect(GFXRect* dest, const GFXRect& other);
// Clips the segment p0-p1 to c in 16.16 steps; the points come back in the order given.
int ClipLine(GFXPoint* p0, GFXPoint* p1, const GFXRect& c);
// Each destination edge outside the clip moves onto it and the source edge by the same amount.
int ClipBlit(GFXRect* source, GFXRect* dest, const GFXRect& clip);
// The source against the bitmap's bounds first (moving the destination), then the destination
// against the clip (moving the source).
int ClipBlitToBitmap(GFXRect* source, const GFXRect& bounds, GFXRect* dest, const GFXRect& clip);
// Proportional clipping of a scaled copy; mirror bit 0 mirrors in x, bit 1 in y. The skips are
// the destination pixels cut at the start of the drawing direction.
int ClipScaledBlit(GFXRect* source, GFXRect* dest, const GFXRect& clip, std::int32_t* skipX,
                   std::int32_t* skipY, std::uint32_t mirror);
int ClipScaledBlitTwoStage(GFXRect* source, const GFXRect& sourceClip, GFXRect* dest,
                           const GFXRect& destClip, std::int32_t* outX, std::int32_t* outY);
// Clips the list in `list` (its first record, rows and counts) to c; o.top and o.bottom get the
// rows left. Answers 1 when nothing is left, 0 when something is.
int ClipSpanList(GFXSpanShape* list, const GFXRect& c, GFXRect* o);
[[nodiscard]] int SpanListInRect(const GFXSpanShape& list, const GFXRect& r);

// ---------------------------------------------------------------------------------------------
// The drawing target of the polygon and line front-ends.

class GFXDrawTarget {
public:
    explicit GFXDrawTarget(GFXSurface* target);
    GFXDrawTarget(const GFXDrawTarget&) = delete;
    GFXDrawTarget& operator=(const GFXDrawTarget&) = delete;
    ~GFXDrawTarget();

    // Raises the surface's lock count (locking it on the first level) and becomes
    // theCurrentDrawTarget; End lowers it again and clears theCurrentDrawTarget.
    void Begin();
    void End();

    GFXSurface* surface = nullptr;
    std::uint32_t flags = 0;  // bit 0 set by the shadow pass; or-ed into every request
    ts::TSMaterialList* materialList = nullptr;  // current material list while a shape draws
    std::int32_t coordinateShift = 0;  // low byte: sub-pixel bits of the screen coordinates
    SheetCache* textureSheet = nullptr;
    GFXPolyVertex vertexRecords[20];
};

extern GFXDrawTarget* theCurrentDrawTarget;

// The vertex pointers of the polygon request: the request's `vertices` field points here, and
// every GFXDrawTarget constructor points them at its own 20 records.
extern GFXPolyVertex* thePolyVertexPointers[20];

// Copies n colour triples into r, g, b of the first n vertex records (n is limited to 20). Inline:
// every face with colours at its corners loads them.
inline void LoadPolyVertices(const GFXColourTriple* const* triples, std::int32_t n) {
    if (triples == nullptr) return;
    n = n < 0 ? 0 : (n > 20 ? 20 : n);
    for (std::int32_t i = 0; i < n; ++i) {
        if (triples[i] == nullptr) continue;
        thePolyVertexPointers[i]->r = triples[i]->r;
        thePolyVertexPointers[i]->g = triples[i]->g;
        thePolyVertexPointers[i]->b = triples[i]->b;
    }
}

}  // namespace gfx
