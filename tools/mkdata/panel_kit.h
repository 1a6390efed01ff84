// What the panel-art makers share: new bitmaps, sprite frames drawn round their anchors, the
// sprite-set (PFNT) and picture (BMP) writers, and a type's inks. Each aircraft's art is made by
// the same makers with its own sizes, inks and dial graduations.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/panel_canvas.h"
#include "tools/mkdata/panel_roles.h"

namespace mkdata {

[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> NewPanelBitmap(int w, int h, std::uint8_t fill);
// A picture in the type's daylight panel palette.
[[nodiscard]] Bytes PanelBmpBytes(gfx::GFXBitmap& b, int type);

// One frame of a sprite set: its bitmap and anchor (the point the frame is placed by).
struct Frame {
    std::unique_ptr<gfx::GFXBitmap> bitmap;
    int ox = 0;
    int oy = 0;
};

// A frame drawn on a square work area round its anchor, then cut to what was drawn.
template <class Draw>
Frame MakeFrame(int half, Draw&& draw);
Frame CutFrame(std::unique_ptr<gfx::GFXBitmap> work, int half);
// A frame drawn on a bitmap of its own size with the anchor at its top-left (or given).
template <class Draw>
Frame MakeBox(int w, int h, std::uint8_t fill, bool transparent, Draw&& draw, int ox = 0,
              int oy = 0);
// An empty one-pixel frame.
[[nodiscard]] Frame EmptyFrame();

// A sprite set: frame n is glyph n; records {0, ox, oy}. Digit fonts are fixed pitch, opaque and
// drawn on their baseline row.
[[nodiscard]] Bytes SpriteSetBytes(std::vector<Frame>& frames);
[[nodiscard]] Bytes DigitFontBytes(std::vector<Frame>& frames, int pitch);

// The inks of a type.
struct Inks {
    int type;
    std::uint8_t operator()(Ink ink) const { return InkIndex(type, ink); }
};

template <class Draw>
Frame MakeFrame(int half, Draw&& draw) {
    const int size = 2 * half + 1;
    auto work = NewPanelBitmap(size, size, 0);
    Canvas c(*work);
    draw(c, half + 0.5, half + 0.5);
    return CutFrame(std::move(work), half);
}

template <class Draw>
Frame MakeBox(int w, int h, std::uint8_t fill, bool transparent, Draw&& draw, int ox, int oy) {
    Frame f;
    f.bitmap = NewPanelBitmap(w, h, fill);
    Canvas c(*f.bitmap);
    draw(c);
    if (transparent) f.bitmap->flags |= gfx::kBitmapTransparent;
    f.ox = ox;
    f.oy = oy;
    return f;
}

}  // namespace mkdata
