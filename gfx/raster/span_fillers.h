// Span fillers and their per-polygon set-ups. A set-up runs once per polygon (through
// theFillSetupTable), copies what stays fixed for the polygon into the filler's constants and
// stores the filler in theSpanState.selectedFill; the filler then writes one visible range of
// one row at a time. Fillers keep their loop constants in locals; nothing is patched.
#pragma once

#include <array>
#include <cstdint>

namespace gfx {

// A fill set-up: isTriangle is 1 when the face was submitted with three points, so that its
// per-pixel steps are constant and fixed here once instead of per range.
using FillSetupFn = void (*)(int isTriangle);

// 8-bit untextured.
void FillSolid(int isTriangle);
// A flat colour lit as a whole face: the colour through the face's shade row.
void FillSolidFace(int isTriangle);
void FillShade(int isTriangle);
void FillLit(int isTriangle);
void FillBlend(int isTriangle);
// Whether the row filler in use (theSpanState.activeFill) is the plain solid one, which writes
// `colour` over a range and counts it: a flat face's walk may then fill its rows itself.
[[nodiscard]] bool FillsSolid(std::uint8_t* colour);
// 16-bit targets.
void FillSolid16(int isTriangle);
void FillRGB16(int isTriangle);
void FillTextured16(int isTriangle);
void FillTexturedRGB16(int isTriangle);
void FillTexturedKey16(int isTriangle);
void FillTexturedRGBKey16(int isTriangle);
void FillTexturedFace16(int isTriangle);
void FillTexturedFaceKey16(int isTriangle);
void FillTexturedBlend16(int isTriangle);
// 8-bit textured, affine.
void SetupTexAffine(int isTriangle);
void SetupTexAffineShaded(int isTriangle);
void SetupTexAffineTransparent(int isTriangle);
void SetupTexAffineTransparentShaded(int isTriangle);
void SetupTexAffineFaceShade(int isTriangle);
void SetupTexAffineTransparentFaceShade(int isTriangle);
void SetupTexAffineBlend(int isTriangle);
// 8-bit textured, perspective-correct every 24 pixels.
void SetupTexPerspective(int isTriangle);
void SetupTexPerspectiveShaded(int isTriangle);
void SetupTexPerspectiveTransparent(int isTriangle);
void SetupTexPerspectiveTransparentShaded(int isTriangle);
void SetupTexPerspectiveFaceShade(int isTriangle);
void SetupTexPerspectiveLit(int isTriangle);
void SetupTexPerspectiveTransparentFaceShade(int isTriangle);
void SetupTexPerspectiveBlend(int isTriangle);

// 128 entries: 0..63 for 8-bit targets, 64..127 for 16-bit targets. Empty entries are null.
extern const std::array<FillSetupFn, 128> theFillSetupTable;
// index = (flags & 0x3F) | ((flags & 0x400) >> 4), with bit 0 also set by flag 0x200.
[[nodiscard]] constexpr int FillSetupIndex(std::uint32_t flags) {
    int index = static_cast<int>((flags & 0x3F) | ((flags & 0x400) >> 4));
    if ((flags & 0x200) != 0) index |= 1;
    return index;
}

// Length of a perspective run, and the {n, 1/n} table its set-ups build on first use.
inline constexpr int kSubdivisionLength = 24;
[[nodiscard]] const float* ReciprocalTable();  // 513 pairs, entry n at [2n], [2n + 1]

// Fills a rectangle of a byte surface: rows rows of width bytes, pitch apart.
void FillRect8(std::uint8_t* destination, int rows, int width, int pitch, std::uint8_t colour);

}  // namespace gfx
