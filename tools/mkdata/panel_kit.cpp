#include "tools/mkdata/panel_kit.h"

#include <algorithm>
#include <cstring>

#include "core/stream_io.h"
#include "gfx/font.h"
#include "gfx/palette.h"

namespace mkdata {

std::unique_ptr<gfx::GFXBitmap> NewPanelBitmap(int w, int h, std::uint8_t fill) {
    auto b = gfx::GFXBitmap::Create(std::max(w, 1), std::max(h, 1), 8);
    // The whole buffer, row padding included, so two runs write the same bytes.
    if (b) std::memset(b->pixels, fill, static_cast<std::size_t>(b->size));
    return b;
}

Bytes PanelBmpBytes(gfx::GFXBitmap& b, int type) {
    if (!b.palette) {
        b.palette = std::make_unique<gfx::GFXPalette>();
        const std::vector<Rgb> c = PanelRolePalette(type, 0);
        for (int i = 0; i < 256; ++i)
            b.palette->entries[i] = {c[static_cast<std::size_t>(i)].r,
                                     c[static_cast<std::size_t>(i)].g,
                                     c[static_cast<std::size_t>(i)].b, 0};
    }
    return CollectBytes([&](core::StreamIO& s) { return b.Write(s, gfx::kBitmapWriteBmp) != 0; });
}

Frame CutFrame(std::unique_ptr<gfx::GFXBitmap> work, int half) {
    const int size = work->width;
    int l = size, t = size, r = -1, bt = -1;
    for (int y = 0; y < work->height; ++y)
        for (int x = 0; x < size; ++x)
            if (work->Row(y)[x] != 0) {
                l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), bt = std::max(bt, y);
            }
    Frame f;
    if (r < 0) return EmptyFrame();
    f.bitmap = NewPanelBitmap(r - l + 1, bt - t + 1, 0);
    for (int y = t; y <= bt; ++y)
        std::memcpy(f.bitmap->Row(y - t), work->Row(y) + l, static_cast<std::size_t>(r - l + 1));
    f.ox = half - l;
    f.oy = half - t;
    f.bitmap->flags |= gfx::kBitmapTransparent;
    return f;
}

Frame EmptyFrame() {
    Frame f;
    f.bitmap = NewPanelBitmap(1, 1, 0);
    f.bitmap->flags |= gfx::kBitmapTransparent;
    return f;
}

namespace {

Bytes FontBytes(std::vector<Frame>& frames, bool digits, int pitch) {
    gfx::GFXFont font;
    std::vector<std::uint8_t> records;
    int h = 0;
    for (Frame& f : frames) {
        if (!f.bitmap) f = EmptyFrame();
        h = std::max(h, f.bitmap->height);
        const std::int32_t rec[3] = {0, f.ox, f.oy};
        const auto* p = reinterpret_cast<const std::uint8_t*>(rec);
        records.insert(records.end(), p, p + 12);
        font.Append(std::move(f.bitmap));
    }
    font.SetUserData(records.data(), 12);
    font.fontFlags = digits ? gfx::kFontFixedPitch : 0;
    font.cellHeight = h;
    font.cellWidth = pitch;
    font.baseline = 0;
    return CollectBytes([&](core::StreamIO& s) { return font.Write(s) != 0; });
}

}  // namespace

Bytes SpriteSetBytes(std::vector<Frame>& frames) {
    int w = 0;
    for (const Frame& f : frames)
        if (f.bitmap) w = std::max(w, f.bitmap->width);
    return FontBytes(frames, false, w);
}

Bytes DigitFontBytes(std::vector<Frame>& frames, int pitch) {
    return FontBytes(frames, true, pitch);
}

}  // namespace mkdata
