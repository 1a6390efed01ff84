#include "cockpit/panel_gauge.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "flight/aircraft.h"
#include "gfx/bitmap.h"
#include "gfx/bitmap_array.h"
#include "gfx/bitmap_draw.h"
#include "gfx/bitmap_part.h"
#include "gfx/display.h"
#include "gfx/draw_table.h"
#include "gfx/font.h"
#include "gfx/raster/blit_loops.h"
#include "gfx/raster/poly_raster.h"
#include "gfx/raster/poly_request.h"
#include "gfx/surface.h"

namespace cockpit {

std::int16_t theBarometricPressureWord = 10642;

gfx::GFXSurface* thePanelSurfaceOverride = nullptr;
std::uint32_t thePanelPaintCount = 1;

namespace {
// The pass under way: its surface (null outside a pass) and that surface's table.
gfx::GFXSurface* thePassSurface = nullptr;
const gfx::GFXDrawTable* thePassTable = nullptr;

gfx::GFXSurface* LookUpPanelSurface() {
    return thePanelSurfaceOverride != nullptr ? thePanelSurfaceOverride : gfx::GetDrawSurface();
}
}  // namespace

gfx::GFXSurface* PanelSurface() {
    return thePassSurface != nullptr ? thePassSurface : LookUpPanelSurface();
}

const gfx::GFXDrawTable* PanelTable(gfx::GFXSurface* s) {
    if (s == nullptr) return nullptr;
    return s == thePassSurface ? thePassTable : s->GetDrawTable();
}

PanelPass::PanelPass()
    : surface_(PanelSurface()), outerSurface_(thePassSurface), outerTable_(thePassTable) {
    if (surface_ != nullptr && surface_ != thePassSurface) {
        thePassTable = surface_->GetDrawTable();
        thePassSurface = surface_;
    }
}

PanelPass::~PanelPass() {
    thePassSurface = outerSurface_;
    thePassTable = outerTable_;
}

void BeginPanelFrame() {
    // 0 is never a frame, so a gauge built or reset stands before the first.
    if (++thePanelPaintCount == 0) thePanelPaintCount = 1;
}

namespace {

template <int N>
void FillPolygon(const IntPoint (&v)[N], std::int32_t colour) {
    gfx::GFXSurface* s = PanelSurface();
    const gfx::GFXDrawTable* t = PanelTable(s);
    if (t == nullptr || t->DrawPolygon == nullptr) return;
    gfx::GFXScreenPoint points[N];
    const gfx::GFXScreenPoint* pointers[N];
    for (int i = 0; i < N; ++i) {
        points[i].x = v[i].x;
        points[i].y = v[i].y;
        pointers[i] = &points[i];
    }
    // A needle or bug is drawn whichever way round its corners were listed.
    gfx::OrderClockwise(pointers, N);
    gfx::GFXPolyRequest q;
    q.points = pointers;
    q.count = N;
    q.flags = 0;
    q.colour = static_cast<std::uint32_t>(colour) & 0xFF;
    t->DrawPolygon(s, &q);
}

}  // namespace

template <int N>
void GaugePolygonOf<N>::Fill(std::int32_t fillColour) {
    colour = fillColour;
    FillPolygon(vertices, fillColour);
}
template struct GaugePolygonOf<3>;
template struct GaugePolygonOf<4>;

void GaugePolygon::DrawHorizon(std::int16_t pitchOffset, std::int16_t bankOffset, std::int32_t x,
                               std::int32_t y, std::int16_t height, std::int16_t width,
                               std::int16_t sky, std::int16_t ground, std::int16_t line,
                               std::int32_t drawLine) {
    gfx::GFXSurface* s = PanelSurface();
    const gfx::GFXDrawTable* t = PanelTable(s);
    if (t == nullptr) return;
    if (t->FillRectangle != nullptr)
        t->FillRectangle(s, {x, y, x + width, y + height}, static_cast<std::uint32_t>(sky) & 0xFF);
    std::int32_t pitch = pitchOffset > 180 ? pitchOffset - 360 : pitchOffset;
    std::int32_t bank = bankOffset > 180 ? bankOffset - 360 : bankOffset;
    bank = std::clamp(bank, -60, 60);
    const std::int32_t yc = y + height / 2 - pitch;
    vertices[0] = {x, yc - bank};
    vertices[1] = {x + width, yc + bank};
    vertices[2] = {x + width, y + height};
    vertices[3] = {x, y + height};
    Fill(ground);
    if (drawLine != 0 && t->DrawSegment != nullptr)
        t->DrawSegment(s, {x, yc - bank}, {x + width, yc + bank},
                       static_cast<std::uint32_t>(line) & 0xFF);
}

PanelGauge::PanelGauge() {
    ResetDrawnState();
    alwaysDraw = 1;
    slot = 0;
    baroSetting = static_cast<std::uint16_t>(2800 + ((theBarometricPressureWord * 800) >> 16));
    force = 0;
    altFace = 0;
    // The gear words start down: `mode` is 0 before it is tested.
    mode = 0;
    gearDownFlag = 1;
    knob = 0;
}

void PanelGauge::ResetDrawnState() {
    const auto forget = [this](std::int32_t i) {
        drawnValue1[i] = drawnValue2[i] = drawnValue7[i] = drawnValue8[i] = -1;
        drawnRect[i] = drawnRect2[i] = IntRect{};
        drawnAt[i] = drawnAt2[i] = IntPoint{};
        eraseNeeded[i] = 0;
    };
    // Every gauge is reset at every prime: the slots written out, a loop over them would be
    // a call to the library's fill per array.
    static_assert(kGaugeSlots == 3);
    const std::int32_t n = std::clamp(slotCount, 0, kGaugeSlots);
    if (n > 0) forget(0);
    if (n > 1) forget(1);
    if (n > 2) forget(2);
    slot = 0;
    advancedInFrame = 0;
}

void PanelGauge::BindSlots(std::int32_t count) {
    slotCount = std::clamp(count, 1, kGaugeSlots);
    alwaysDraw = 0;
    ResetDrawnState();
}

void PanelGauge::EraseSlot() {
    if (alwaysDraw != 0 || slot < 0 || slot >= kGaugeSlots || eraseNeeded[slot] == 0) return;
    if (drawnRect[slot].right > drawnRect[slot].left)
        RestorePanelBackground(drawnRect[slot], drawnAt[slot]);
    if (drawnRect2[slot].right > drawnRect2[slot].left)
        RestorePanelBackground(drawnRect2[slot], drawnAt2[slot]);
}

void PanelGauge::MarkDirty(IntRect source, IntRect* out, IntPoint* at) {
    if (slot >= 0 && slot < kGaugeSlots) eraseNeeded[slot] = 1;
    out->left = at->x;
    out->top = at->y - flight::theAircraft.GetViewportBottom();
    out->right = (source.right - source.left) + at->x + 1;
    out->bottom = (source.bottom - source.top) + out->top + 1;
}

void PanelGauge::Record(IntPoint at, std::int32_t w, std::int32_t h, bool second) {
    if (alwaysDraw != 0 || slot < 0 || slot >= kGaugeSlots) return;
    IntPoint& where = second ? drawnAt2[slot] : drawnAt[slot];
    IntRect& area = second ? drawnRect2[slot] : drawnRect[slot];
    where = at;
    MarkDirty(IntRect{0, 0, w - 1, h - 1}, &area, &where);
}

bool thePanelSliding = false;

std::int32_t PanelGauge::Slew(std::int32_t recorded, std::int32_t target) const {
    if (force != 0 || alwaysDraw != 0 || recorded < 0) return target;
    const std::int32_t next = recorded + (target > recorded) - (target < recorded);
    if (next != target) thePanelSliding = true;
    return next;
}

void PanelGauge::DrawLine(IntPoint from, IntPoint to, std::int16_t colour) const {
    gfx::GFXSurface* s = PanelSurface();
    const gfx::GFXDrawTable* t = PanelTable(s);
    if (t == nullptr || t->DrawSegment == nullptr) return;
    t->DrawSegment(s, {from.x, from.y}, {to.x, to.y}, static_cast<std::uint32_t>(colour) & 0xFF);
}

namespace {
// The drawable bitmap at `index` of an array (an index IndexOf answered), or null.
const gfx::GFXBitmap* BitmapAt(const gfx::GFXBitmapArray& art, std::int32_t index) {
    if (index < 0 || index >= art.count || static_cast<std::size_t>(index) >= art.bitmaps.size())
        return nullptr;
    const gfx::GFXBitmap* b = art.bitmaps[static_cast<std::size_t>(index)].get();
    if (b == nullptr || b->pixels == nullptr || b->width <= 0 || b->height == 0) return nullptr;
    return b;
}
}  // namespace

const gfx::GFXBitmap* FrameBitmap(const gfx::GFXBitmapArray* art, std::int32_t id) {
    return art != nullptr ? BitmapAt(*art, art->IndexOf(id)) : nullptr;
}

namespace {

// A frame's anchor, the second and third words of its record ((0, 0) when it has none).
IntPoint RecordAnchor(const gfx::GFXFont& font, const std::uint8_t* record) {
    IntPoint anchor;
    if (record != nullptr && font.userStride >= 12) {
        std::memcpy(&anchor.x, record + 4, 4);
        std::memcpy(&anchor.y, record + 8, 4);
    }
    return anchor;
}

// Whether a one-character string of `font` through table `t` draws exactly its glyph's bitmap
// (the plain table's text entry, the font unscaled), so that the bitmap may be drawn instead.
bool DrawsGlyphsAsBitmaps(const gfx::GFXFont& font, const gfx::GFXDrawTable& t) {
    constexpr std::int32_t kUnscaled = 0x10000;  // 1.0 in 16.16
    return t.DrawText == static_cast<decltype(t.DrawText)>(&gfx::GFXFont::DrawString) &&
           font.scaleX == kUnscaled && font.scaleY == kUnscaled;
}

}  // namespace

bool FrameAnchor(const gfx::GFXFont* font, std::int32_t id, IntPoint* anchor) {
    *anchor = IntPoint{};
    if (font == nullptr) return false;
    const std::uint8_t* r = font->UserRecord(font->IndexOf(id));
    if (r == nullptr || font->userStride < 12) return false;
    *anchor = RecordAnchor(*font, r);
    return true;
}

namespace {

// Glyph `b` (record `record`) of a sprite set drawn as the one-character string of its frame at
// the string point `at` draws it: its top at the baseline less its height, moved by the glyph's
// vertical offset (the first word of its record). Through the plain table it goes straight to
// the bitmap draw, without looking the glyph up again.
bool DrawGlyphAt(const gfx::GFXFont* font, std::int32_t frame, const gfx::GFXBitmap* b,
                 const std::uint8_t* record, gfx::GFXPoint at) {
    gfx::GFXSurface* s = PanelSurface();
    const gfx::GFXDrawTable* t = PanelTable(s);
    if (t == nullptr || t->DrawText == nullptr) return false;
    if (t->DrawBitmap != nullptr && DrawsGlyphsAsBitmaps(*font, *t)) {
        t->DrawBitmap(s, b,
                      {at.x, at.y + font->baseline - b->height + font->VerticalOffset(record)}, 0);
    } else {
        const char text[2] = {static_cast<char>(static_cast<unsigned char>(frame)), 0};
        t->DrawText(s, font, at, gfx::GFXFontText(font, text).c_str());
    }
    return true;
}

}  // namespace

bool PanelGauge::DrawFrame(const gfx::GFXFont* font, std::int32_t frame, IntPoint point,
                           IntRect* painted) {
    // One look-up of the frame serves its bitmap, its anchor and its glyph offset.
    const FrameGlyph glyph = LookUpFrame(font, frame);
    const gfx::GFXBitmap* b = glyph.bitmap;
    if (b == nullptr) return false;
    const IntPoint anchor = RecordAnchor(*font, glyph.record);
    const std::int32_t h = std::abs(b->height);
    if (!DrawGlyphAt(font, frame, b, glyph.record, {point.x - anchor.x, point.y + h - anchor.y}))
        return false;
    if (painted != nullptr)
        *painted = IntRect{point.x - anchor.x, point.y - anchor.y, b->width, h};
    return true;
}

IntRect DrawFrameAnchored(const gfx::GFXFont* font, std::int32_t frame, IntPoint point) {
    IntRect painted;
    if (!PanelGauge::DrawFrame(font, frame, point, &painted)) return IntRect{0, 0, -1, -1};
    return {painted.left, painted.top, painted.left + painted.right - 1,
            painted.top + painted.bottom - 1};
}

FrameGlyph LookUpFrame(const gfx::GFXFont* font, std::int32_t frame) {
    // Frame 0 is empty by convention and cannot be a one-character string.
    if (frame <= 0 || frame > 255 || font == nullptr) return {};
    const std::int32_t index = font->IndexOf(frame);
    const gfx::GFXBitmap* b = BitmapAt(*font, index);
    if (b == nullptr) return {};
    return {b, font->UserRecord(index)};
}

void DrawFrameGlyph(const gfx::GFXFont* font, std::int32_t frame, const FrameGlyph& glyph,
                    IntPoint at) {
    if (glyph.bitmap != nullptr) DrawGlyphAt(font, frame, glyph.bitmap, glyph.record, {at.x, at.y});
}

void PanelGauge::DrawBitmapPiece(const gfx::GFXBitmap* bitmap, IntRect source, std::int32_t x,
                                 std::int32_t y, std::int32_t value) {
    AdvanceSlot();
    EraseSlot();
    if (bitmap == nullptr || bitmap->pixels == nullptr) return;
    // The piece is held inside its bitmap.
    source.left = std::max(source.left, 0);
    source.top = std::max(source.top, 0);
    source.right = std::min(source.right, bitmap->width - 1);
    source.bottom = std::min(source.bottom, std::abs(bitmap->height) - 1);
    if (source.right < source.left || source.bottom < source.top) return;
    gfx::GFXSurface* s = PanelSurface();
    const gfx::GFXDrawTable* t = PanelTable(s);
    if (t == nullptr || t->DrawBitmapPart == nullptr) return;
    t->DrawBitmapPart(s, bitmap, {source.left, source.top, source.right, source.bottom}, {x, y}, 0);
    if (alwaysDraw != 0) return;
    drawnAt[slot] = {x, y};
    MarkDirty(source, &drawnRect[slot], &drawnAt[slot]);
    drawnValue1[slot] = value;
}

void PanelGauge::DrawBitmap(const gfx::GFXBitmap* bitmap, std::int32_t x, std::int32_t y) {
    AdvanceSlot();
    if (bitmap == nullptr || bitmap->pixels == nullptr) return;
    gfx::GFXSurface* s = PanelSurface();
    const gfx::GFXDrawTable* t = PanelTable(s);
    if (t == nullptr || t->DrawBitmap == nullptr) return;
    t->DrawBitmap(s, bitmap, {x, y}, 0);
}

namespace {

// The panel bitmap seen without its transparency: an erase puts back every pixel of its area,
// and a plain copy is much faster than a keyed one. Re-made whenever the bitmap changes.
const gfx::GFXBitmap* OpaquePanel() {
    static gfx::GFXBitmap view;
    static const std::uint8_t* viewedPixels = nullptr;
    static std::int32_t viewedWidth = 0, viewedHeight = 0, viewedStride = 0;
    const gfx::GFXBitmap* panel = flight::theAircraft.GetPanelBitmap();
    if (panel == nullptr || panel->pixels == nullptr) return nullptr;
    if (panel->pixels != viewedPixels || panel->width != viewedWidth ||
        panel->height != viewedHeight || panel->stride != viewedStride) {
        view.InitAsView(*panel, {0, 0, panel->width - 1, std::abs(panel->height) - 1});
        view.flags &= ~gfx::kBitmapModeMask;
        viewedPixels = panel->pixels;
        viewedWidth = panel->width;
        viewedHeight = panel->height;
        viewedStride = panel->stride;
    }
    return &view;
}

}  // namespace

void RestorePanelBackground(const IntRect& source, IntPoint at) {
    gfx::GFXSurface* s = PanelSurface();
    const gfx::GFXBitmap* b = OpaquePanel();
    if (s == nullptr || b == nullptr) return;
    gfx::DrawBitmapPartInside(s, PanelTable(s), b,
                              {source.left, source.top, source.right, source.bottom}, {at.x, at.y});
}

namespace {

// The slot's last image put back and frame `frame` drawn with its anchor on `point`, in one pass,
// where the frame lies inside the single area erased, both wholly inside the panel bitmap and
// the clip box, through the plain table: the same pixels as the erase and then the draw. False,
// with nothing drawn, otherwise.
bool EraseUnderFrame(PanelGauge& g, const gfx::GFXFont* font, std::int32_t frame, IntPoint point,
                     IntRect* area) {
    if (gfx::CurrentBlitPath() != gfx::BlitPath::kMasked || g.alwaysDraw != 0 || g.slot < 0 ||
        g.slot >= kGaugeSlots || g.eraseNeeded[g.slot] == 0)
        return false;
    const IntRect& e = g.drawnRect[g.slot];
    if (e.right <= e.left || g.drawnRect2[g.slot].right > g.drawnRect2[g.slot].left) return false;
    const FrameGlyph glyph = LookUpFrame(font, frame);
    const gfx::GFXBitmap* b = glyph.bitmap;
    gfx::GFXSurface* s = PanelSurface();
    const gfx::GFXDrawTable* t = PanelTable(s);
    const gfx::GFXBitmap* panel = OpaquePanel();
    if (b == nullptr || t == nullptr || panel == nullptr || !DrawsGlyphsAsBitmaps(*font, *t) ||
        t->DrawBitmap != &gfx::SoftDrawBitmap || t->DrawBitmapPart != &gfx::SoftDrawBitmapPart ||
        b->bitsPerPixel != 8 || panel->bitsPerPixel != 8)
        return false;
    if (b->DrawsTranslucent()) return false;
    // The erase: the area of the panel bitmap, wholly inside it, at the recorded point.
    const std::int32_t panelRows = std::abs(panel->height);
    if (e.left < 0 || e.top < 0 || e.right >= panel->width || e.bottom >= panelRows) return false;
    const IntPoint to = g.drawnAt[g.slot];
    const std::int32_t width = e.right - e.left + 1;
    const std::int32_t rows = e.bottom - e.top + 1;
    if (width > 64) return false;
    // The frame where its one-character string puts it.
    const IntPoint anchor = RecordAnchor(*font, glyph.record);
    const std::int32_t h = std::abs(b->height);
    const std::int64_t x = static_cast<std::int64_t>(point.x) - anchor.x;
    const std::int64_t y = static_cast<std::int64_t>(point.y) + h - anchor.y + font->baseline -
                           b->height + font->VerticalOffset(glyph.record);
    if (x < to.x || y < to.y || x + b->width > static_cast<std::int64_t>(to.x) + width ||
        y + h > static_cast<std::int64_t>(to.y) + rows)
        return false;
    gfx::GFXSurfaceLock lock(*s);
    gfx::BlitTarget target;
    if (!lock.Ok() || !gfx::PrepareBlitTarget(*s, &target)) return false;
    const gfx::GFXRect& c = target.clip;
    if (to.x < c.left || to.y < c.top || to.x + width - 1 > c.right || to.y + rows - 1 > c.bottom)
        return false;
    const gfx::BlitPiece sprite{b->pixels, b->stride, static_cast<std::int32_t>(x - to.x),
                                b->width};
    std::uint8_t* dst = target.pixels + static_cast<std::ptrdiff_t>(to.y) * target.stride + to.x;
    const std::uint8_t* from =
        panel->pixels + static_cast<std::ptrdiff_t>(e.top) * panel->stride + e.left;
    if (!gfx::BlitOverBackground(dst, target.stride, from, panel->stride, width, rows, sprite,
                                 static_cast<std::int32_t>(y - to.y), h,
                                 b->DrawMode() == gfx::kBitmapTransparent))
        return false;
    const auto left = static_cast<std::int32_t>(x);
    const auto top = static_cast<std::int32_t>(y);
    s->drawnRect = {left, top, left + b->width - 1, top + h - 1};
    *area = {point.x - anchor.x, point.y - anchor.y, point.x - anchor.x + b->width - 1,
             point.y - anchor.y + h - 1};
    return true;
}

}  // namespace

IntRect PanelGauge::EraseAndDrawFrame(const gfx::GFXFont* font, std::int32_t frame,
                                      IntPoint point) {
    IntRect area;
    if (EraseUnderFrame(*this, font, frame, point, &area)) return area;
    EraseSlot();
    return DrawFrameAnchored(font, frame, point);
}

void DrawPanelMask(const IntRect& source, IntPoint at) {
    gfx::GFXSurface* s = PanelSurface();
    if (s == nullptr) return;
    flight::theAircraft.DrawPanelBitmap(s, {source.left, source.top, source.right, source.bottom},
                                        {at.x, at.y});
}

}  // namespace cockpit
