// The bitmap copy loops under the bitmap entries of the software draw tables: an 8-bit source
// put onto a surface opaque, colour-keyed (index 0 is not drawn) or blended through a 256 x 256
// table, one-to-one or scaled, into a plain rectangle or along a span list. The callers pass
// clipped, non-empty geometry; the loops only guard against sizes below 1.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

namespace gfx {

// Rectangle copies. Both pointers move across a row (the source leftwards when flags bit 0
// mirrors; it then points at the row's last pixel), then by their advances. The 16-bit forms
// write the low 16 bits of colors[s]; BlitBlend writes blend[s * 256 + d].
inline constexpr std::uint32_t kBlitMirror = 0x01;

// The widest registers the plain and keyed rectangles use: byte-masked stores where the
// processor has them, else 32-byte registers where it has those, else 16-byte ones. Tests step
// the limit down to check every path on one machine; the program leaves it at the widest.
enum class BlitPath { kNarrow, kWide, kMasked };
void LimitBlitPath(BlitPath widest);
// The path the loops take now.
[[nodiscard]] BlitPath CurrentBlitPath();

// Opaque pieces lying side by side in one band of rows (a text's glyphs): piece i's rows start at
// `pixels` (`stride` apart) and go `offset` .. `offset + width - 1` bytes from the band's left;
// the pieces are in order and do not overlap, and the band is at most 64 bytes wide. Where the
// processor has byte-masked stores each row of the band is one store, the bytes between pieces
// untouched, and the answer is true; otherwise nothing is drawn and the answer is false.
// No default values: a text's band keeps an array of pieces filled one by one as its glyphs are
// met, and zeroing the array first cost a string store per text.
struct BlitPiece {
    const std::uint8_t* pixels;
    std::int32_t stride;
    std::int32_t offset;
    std::int32_t width;
};
inline constexpr int kMaxBandPieces = 8;
bool BlitBand(std::uint8_t* dst, std::int32_t dstStride, std::int32_t rows, const BlitPiece* pieces,
              int count);

// A rectangle of `width` x `rows` bytes (at most 64 wide) put back from an opaque background
// and a sprite drawn over it in the same pass: the sprite's rows are rows `spriteTop` ..
// `spriteTop + spriteRows - 1` of the rectangle, at `sprite.offset` across; keyed, its 0 bytes
// show the background. The same bytes as the background's copy and then the sprite's. False,
// and nothing drawn, where the processor lacks byte-masked stores.
bool BlitOverBackground(std::uint8_t* dst, std::int32_t dstStride, const std::uint8_t* background,
                        std::int32_t backgroundStride, std::int32_t width, std::int32_t rows,
                        const BlitPiece& sprite, std::int32_t spriteTop, std::int32_t spriteRows,
                        bool keyed);

void BlitCopy(std::uint8_t* dst, const std::uint8_t* src, std::int32_t width, std::int32_t height,
              std::int32_t srcAdvance, std::int32_t dstAdvance, std::uint32_t flags);
void BlitKey(std::uint8_t* dst, const std::uint8_t* src, std::int32_t width, std::int32_t height,
             std::int32_t srcAdvance, std::int32_t dstAdvance, std::uint32_t flags);
void BlitBlend(std::uint8_t* dst, const std::uint8_t* src, std::int32_t width, std::int32_t height,
               std::int32_t srcAdvance, std::int32_t dstAdvance, std::uint32_t flags,
               const std::uint8_t* blend);
void BlitCopy16(std::uint8_t* dst, const std::uint8_t* src, std::int32_t width, std::int32_t height,
                std::int32_t srcAdvance, std::int32_t dstAdvance, std::uint32_t flags,
                const std::uint32_t* colors);
void BlitKey16(std::uint8_t* dst, const std::uint8_t* src, std::int32_t width, std::int32_t height,
               std::int32_t srcAdvance, std::int32_t dstAdvance, std::uint32_t flags,
               const std::uint32_t* colors);

// Scaled rectangle copies: a source of S x T pixels shown as D x E destination pixels, of which
// drawnW x drawnH are drawn, after skipping skipCols and skipRows destination pixels of the
// scaled image (they set the starting fractions; `src` is already the first source pixel
// drawn). Steps are 32-bit digital differential analysis: S div D whole pixels and
// ((S mod D) << 32) div D of fraction per destination pixel. With mirror the destination row is
// written right to left (`dst` is its rightmost pixel).
struct GFXStretchArgs {
    const std::uint8_t* src = nullptr;
    std::int32_t srcStride = 0;  // signed: negative walks the source upwards
    std::int32_t srcWidth = 0;   // S
    std::int32_t srcHeight = 0;  // T
    std::uint8_t* dst = nullptr;
    std::int32_t dstAdvance = 0;  // added after a row to the pointer that crossed it
    std::int32_t drawnWidth = 0;
    std::int32_t drawnHeight = 0;
    std::int32_t fullWidth = 0;   // D
    std::int32_t fullHeight = 0;  // E
    std::int32_t skipCols = 0;
    std::int32_t skipRows = 0;
    bool mirror = false;
};

void StretchCopy(const GFXStretchArgs& a);
void StretchKey(const GFXStretchArgs& a);
void StretchBlend(const GFXStretchArgs& a, const std::uint8_t* blend);

// Translucent copies through one level of a palette's translucency table: a source index k of
// the translucent range first .. first + levels - 1 becomes rows[(k - first) * 256 + d]; other
// indices are drawn keyed (0 leaves the destination, the rest are copied), so that no index can
// reach outside the table.
struct GFXTranslucentRows {
    const std::uint8_t* rows = nullptr;
    std::int32_t first = 0;
    std::int32_t levels = 0;
};

void BlitTranslucent(std::uint8_t* dst, const std::uint8_t* src, std::int32_t width,
                     std::int32_t height, std::int32_t srcAdvance, std::int32_t dstAdvance,
                     std::uint32_t flags, const GFXTranslucentRows& t);
void StretchTranslucent(const GFXStretchArgs& a, const GFXTranslucentRows& t);

// Span-list copies over the list in `shape`: `dst` is the destination of the list's first row;
// a record with kSpanNewRow first moves the destination by `pitch` and the source row by the
// signed `srcStride`; hidden records draw nothing. The source row starts at `srcPixels` plus the
// first record's source row value times |srcStride|; each record reads from its `source`
// column, stepping by the shape's sourceStep.
void SpanBlitCopy(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                  const std::uint8_t* srcPixels, std::int32_t srcStride);
void SpanBlitKey(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                 const std::uint8_t* srcPixels, std::int32_t srcStride);
void SpanBlitBlend(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                   const std::uint8_t* srcPixels, std::int32_t srcStride,
                   const std::uint8_t* blend);

// Scaled span-list copies: the source row starts at `src` and moves by the vertical analysis of
// T rows over E at each new row (its fraction starts from the low 16 bits of the first record's
// source row value); each record's `source` is a 16.16 column, stepped by S over D in the
// direction `dir` (+1 or -1).
struct GFXSpanStretchArgs {
    const std::uint8_t* src = nullptr;
    std::int32_t srcStride = 0;
    std::int32_t srcWidth = 0;    // S
    std::int32_t fullWidth = 0;   // D
    std::int32_t srcHeight = 0;   // T
    std::int32_t fullHeight = 0;  // E
    std::int32_t dir = 1;
};

void SpanStretchCopy(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                     const GFXSpanStretchArgs& a);
void SpanStretchKey(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                    const GFXSpanStretchArgs& a);
void SpanStretchBlend(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                      const GFXSpanStretchArgs& a, const std::uint8_t* blend);

}  // namespace gfx
