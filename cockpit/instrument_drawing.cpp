#include "cockpit/instrument_drawing.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "cockpit/gauges.h"
#include "flight/aircraft.h"
#include "gfx/bitmap.h"
#include "gfx/bitmap_part.h"
#include "gfx/draw_table.h"
#include "gfx/font.h"
#include "gfx/surface.h"

namespace cockpit {

namespace {

const gfx::GFXDrawTable* Table(gfx::GFXSurface** s) {
    *s = PanelSurface();
    return PanelTable(*s);
}

std::uint32_t Colour(std::int32_t c) {
    return static_cast<std::uint32_t>(c) & 0xFF;
}

}  // namespace

bool BatteryOn() {
    return theMasterSwitch.switchState != 0;
}

bool StackPowered() {
    return theMasterSwitch.switchState != 0 && theAvionicsSwitch.switchState != 0;
}

void FillPanelRect(IntRect r, std::int32_t colour) {
    gfx::GFXSurface* s = nullptr;
    const gfx::GFXDrawTable* t = Table(&s);
    if (t == nullptr || t->FillRectangle == nullptr || r.right < r.left || r.bottom < r.top)
        return;
    t->FillRectangle(s, {r.left, r.top, r.right, r.bottom}, Colour(colour));
}

void DrawPanelPixel(IntPoint p, std::int32_t colour) {
    gfx::GFXSurface* s = nullptr;
    const gfx::GFXDrawTable* t = Table(&s);
    if (t == nullptr || t->DrawPixel == nullptr) return;
    t->DrawPixel(s, {p.x, p.y}, Colour(colour));
}

void DrawPanelLine(IntPoint a, IntPoint b, std::int32_t colour) {
    gfx::GFXSurface* s = nullptr;
    const gfx::GFXDrawTable* t = Table(&s);
    if (t == nullptr || t->DrawSegment == nullptr) return;
    t->DrawSegment(s, {a.x, a.y}, {b.x, b.y}, Colour(colour));
}

void DrawLampLine(IntPoint at, std::int32_t length, bool lit, std::int32_t offColour,
                  std::int32_t onColour) {
    if (length <= 0) return;
    DrawPanelLine(at, {at.x + length - 1, at.y}, lit ? onColour : offColour);
}

bool DrawBitmapRect(const gfx::GFXBitmap* bitmap, IntRect source, IntPoint at) {
    gfx::GFXSurface* s = nullptr;
    const gfx::GFXDrawTable* t = Table(&s);
    return gfx::DrawBitmapPartInside(
        s, t, bitmap, {source.left, source.top, source.right, source.bottom}, {at.x, at.y});
}

void DrawPanelText(const gfx::GFXFont* font, IntPoint at, const char* text) {
    if (font == nullptr || text == nullptr) return;
    gfx::GFXSurface* s = nullptr;
    const gfx::GFXDrawTable* t = Table(&s);
    if (t == nullptr || t->DrawText == nullptr) return;
    // A font of 8-bit codes reads the text as it is; one of 16-bit codes needs it widened.
    if ((font->fontFlags & gfx::kFont16BitCodes) == 0)
        t->DrawText(s, font, {at.x, at.y}, text);
    else
        t->DrawText(s, font, {at.x, at.y}, gfx::GFXFontText(font, text).c_str());
}

void DrawFrameString(const gfx::GFXFont* font, std::int32_t frame, IntPoint at) {
    // Frame 0 is empty and cannot be a one-character string; a missing frame draws nothing.
    DrawFrameGlyph(font, frame, LookUpFrame(font, frame), at);
}

IntRect DrawFrameTopLeft(const gfx::GFXFont* font, std::int32_t frame, IntPoint topLeft) {
    // The string point lies the frame's height below its top.
    const FrameGlyph glyph = LookUpFrame(font, frame);
    if (glyph.bitmap == nullptr) return kNoRect;
    const std::int32_t h = std::abs(glyph.bitmap->height);
    DrawFrameGlyph(font, frame, glyph, {topLeft.x, topLeft.y + h});
    return {topLeft.x, topLeft.y, topLeft.x + glyph.bitmap->width - 1, topLeft.y + h - 1};
}

bool FrameSize(const gfx::GFXFont* font, std::int32_t frame, std::int32_t* w, std::int32_t* h) {
    const gfx::GFXBitmap* b = frame > 0 && frame <= 255 ? FrameBitmap(font, frame) : nullptr;
    if (b == nullptr) return false;
    *w = b->width;
    *h = std::abs(b->height);
    return true;
}

bool FrameArea(const gfx::GFXFont* font, std::int32_t frame, IntPoint point, IntRect* area) {
    std::int32_t w = 0, h = 0;
    if (!FrameSize(font, frame, &w, &h)) return false;
    IntPoint anchor;
    FrameAnchor(font, frame, &anchor);
    *area = {point.x - anchor.x, point.y - anchor.y, point.x - anchor.x + w - 1,
             point.y - anchor.y + h - 1};
    return true;
}

IntRect UnionRect(const IntRect& a, const IntRect& b) {
    if (a.right < a.left || a.bottom < a.top) return b;
    if (b.right < b.left || b.bottom < b.top) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

ClipScope::ClipScope(IntRect clip) {
    gfx::GFXSurface* s = PanelSurface();
    if (s == nullptr) return;
    saved = {s->clipRect.left, s->clipRect.top, s->clipRect.right, s->clipRect.bottom};
    savedFlags = s->flags;
    active = true;
    Set(clip);
}

void ClipScope::Set(IntRect clip) {
    gfx::GFXSurface* s = PanelSurface();
    if (!active || s == nullptr) return;
    // Within the clip the scope started with (the cockpit's whole screen).
    if ((savedFlags & gfx::kSurfaceClipRect) != 0) {
        clip.left = std::max(clip.left, saved.left);
        clip.top = std::max(clip.top, saved.top);
        clip.right = std::min(clip.right, saved.right);
        clip.bottom = std::min(clip.bottom, saved.bottom);
    }
    // An empty window clips everything away.
    if (clip.right < clip.left || clip.bottom < clip.top) clip = {-2, -2, -3, -3};
    s->clipRect = {clip.left, clip.top, clip.right, clip.bottom};
    s->flags |= gfx::kSurfaceClipRect;
}

ClipScope::~ClipScope() {
    gfx::GFXSurface* s = PanelSurface();
    if (!active || s == nullptr) return;
    s->clipRect = {saved.left, saved.top, saved.right, saved.bottom};
    s->flags = savedFlags;
}

void RecordArea(PanelGauge& g, const IntRect& area, bool second) {
    if (g.alwaysDraw != 0 || g.slot < 0 || g.slot >= kGaugeSlots) return;
    if (area.right < area.left || area.bottom < area.top) return;
    g.Record({area.left, area.top}, area.right - area.left + 1, area.bottom - area.top + 1,
             second);
}

void FormatZeroPadded(char* out, std::size_t size, std::int32_t value, int width) {
    if (size == 0) return;
    width = std::clamp(width, 1, 9);
    std::int32_t largest = 9;
    for (int i = 1; i < width; ++i)
        largest = largest * 10 + 9;
    // Written by hand: the windows change every frame, and the library's formatter costs as much
    // as drawing the digits.
    auto v = static_cast<std::uint32_t>(std::clamp(value, 0, largest));
    char digits[9];
    for (int i = width - 1; i >= 0; --i, v /= 10)
        digits[i] = static_cast<char>('0' + v % 10);
    const std::size_t n = std::min(static_cast<std::size_t>(width), size - 1);
    std::memcpy(out, digits, n);
    out[n] = 0;
}

void FormatRepeated(char* out, std::size_t size, char c, int count) {
    if (size == 0) return;
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(count, 0)), size - 1);
    std::fill(out, out + n, c);
    out[n] = 0;
}

}  // namespace cockpit
