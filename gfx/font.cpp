#include "gfx/font.h"

#include <algorithm>
#include <cstring>

#include "core/file_stream.h"
#include "gfx/bitmap_draw.h"
#include "gfx/draw_table.h"
#include "gfx/raster/blit_loops.h"

namespace gfx {

namespace {

constexpr std::uint32_t kTagPFNT = core::FourCC("PFNT");
constexpr std::uint32_t kFontTagHead = core::FourCC("head");
constexpr std::uint32_t kFontTagPPAL = core::FourCC("PPAL");
constexpr std::uint32_t kFontTagPBMA = core::FourCC("PBMA");
constexpr std::uint32_t kFontNoHead = 0xFFFFFFFFu;
constexpr std::int32_t kOne = 0x10000;

// Walks the codes of a zero-terminated text of 8-bit or 16-bit (little-endian) characters.
class CodeReader {
public:
    CodeReader(const char* text, bool wide)
        : p_(reinterpret_cast<const std::uint8_t*>(text)), wide_(wide) {}
    // The next code, 0 at the end.
    std::uint32_t Next() {
        if (p_ == nullptr) return 0;
        std::uint32_t c = wide_ ? static_cast<std::uint32_t>(p_[0] | (p_[1] << 8)) : p_[0];
        if (c != 0) p_ += wide_ ? 2 : 1;
        return c;
    }

private:
    const std::uint8_t* p_;
    bool wide_;
};

// (v * scale) / 65536 truncated toward zero, as the placement arithmetic wants.
std::int32_t ScaleTrunc(std::int64_t v, std::int32_t scale) {
    return static_cast<std::int32_t>((v * scale) / kOne);
}

// (v * scale) >> 16 (toward minus infinity), as the measuring arithmetic wants.
std::int32_t ScaleShift(std::int64_t v, std::int32_t scale) {
    return static_cast<std::int32_t>((v * scale) >> 16);
}

// Calls each(glyph, verticalOffset) for every character of a text in turn (a code the font
// lacks gives its placeholder) until it answers false.
template <class Each>
void ForEachGlyph(const GFXFont* font, const char* text, Each&& each) {
    CodeReader r(text, (font->fontFlags & kFont16BitCodes) != 0);
    for (std::uint32_t c = r.Next(); c != 0; c = r.Next()) {
        std::int32_t offset = 0;
        const GFXBitmap* g = font->GetGlyph(c, &offset);
        if (g != nullptr && !each(*g, offset)) return;
    }
}

}  // namespace

GFXFont::GFXFont() = default;
GFXFont::~GFXFont() = default;

// ---------------------------------------------------------------------------------------------
// Glyphs and measuring

const GFXBitmap* GFXFont::Placeholder() const {
    std::int32_t w = cellWidth / 2;
    if (w < 6) w = 5;
    const std::int32_t h = cellHeight > 0 ? cellHeight : 1;
    if (!placeholder || placeholder->width != w || placeholder->height != h) {
        placeholder = GFXBitmap::Create(w, h, 8);
        if (placeholder) std::memset(placeholder->pixels, kPlaceholderColour, placeholder->size);
    }
    return placeholder.get();
}

std::int32_t GFXFont::WidthAt(const char* text, std::int32_t sx) const {
    CodeReader r(text, (fontFlags & kFont16BitCodes) != 0);
    std::int64_t sum = 0;
    std::int64_t n = 0;
    for (std::uint32_t c = r.Next(); c != 0; c = r.Next(), ++n) {
        // A fixed-pitch font measures without fetching glyphs.
        if (fontFlags & kFontFixedPitch) {
            sum += cellWidth;
        } else {
            const GFXBitmap* g = GetGlyph(c, nullptr);
            sum += g != nullptr ? g->width : 0;
        }
        sum += spacing;
    }
    return ScaleShift(sum - spacing, sx);
}

std::int32_t GFXFont::GetStringWidth(const char* text) const {
    return WidthAt(text, scaleX);
}

std::int32_t GFXFont::GetStringHeight(const char* text) const {
    CodeReader r(text, (fontFlags & kFont16BitCodes) != 0);
    std::int32_t tallest = 0;
    for (std::uint32_t c = r.Next(); c != 0; c = r.Next()) {
        const GFXBitmap* g = GetGlyph(c, nullptr);
        if (g != nullptr) tallest = std::max(tallest, g->height);
    }
    return ScaleShift(tallest, scaleY);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void GFXFont::InstallTextEntries(GFXDrawTable* table) {
    if (table == nullptr) return;
    table->DrawText = &GFXFont::DrawString;
    table->DrawTextInRect = &GFXFont::DrawStringInRect;
}

int GFXFont::DrawString(GFXSurface* surface, const GFXFont* font, GFXPoint at, const char* text) {
    if (font == nullptr) return at.x;
    return DrawScaled(surface, font, at, text, {font->scaleX, font->scaleY});
}

int GFXFont::DrawScaled(GFXSurface* surface, const GFXFont* font, GFXPoint at, const char* text,
                        Scale scale) {
    if (surface == nullptr || font == nullptr || text == nullptr) return at.x;
    const GFXDrawTable* table = surface->GetDrawTable();
    if (table == nullptr) return at.x;
    const bool unscaled = scale.x == kOne && scale.y == kOne;
    if (unscaled && table->DrawBitmap == &SoftDrawBitmap) {
        // The plain table's glyphs go straight to the copy loops, the surface read once.
        GFXSurfaceLock lock(*surface);
        BlitTarget target;
        if (lock.Ok() && PrepareBlitTarget(*surface, &target))
            return DrawGlyphRun(target, font, at, text);
    }
    GFXRect covered{9999, 9999, -1, -1};
    std::int64_t x = at.x;
    ForEachGlyph(font, text, [&](const GFXBitmap& glyph, std::int32_t offset) {
        const GFXBitmap* g = &glyph;
        const std::int32_t advance =
            (font->fontFlags & kFontFixedPitch) ? font->cellWidth : g->width;
        const std::int64_t rise = static_cast<std::int64_t>(font->baseline) - g->height + offset;
        bool drawn = false;
        if (unscaled) {
            if (table->DrawBitmap != nullptr) {
                table->DrawBitmap(
                    surface, g,
                    {static_cast<std::int32_t>(x), static_cast<std::int32_t>(at.y + rise)}, 0);
                drawn = true;
            }
            x += advance + font->spacing;
        } else {
            const GFXSize size{ScaleTrunc(g->width, scale.x), ScaleTrunc(g->height, scale.y)};
            if (table->DrawBitmapScaled != nullptr && size.w > 0 && size.h > 0) {
                table->DrawBitmapScaled(
                    surface, g, {static_cast<std::int32_t>(x), at.y + ScaleTrunc(rise, scale.y)},
                    size, 0);
                drawn = true;
            }
            x += ScaleTrunc(advance, scale.x) + font->spacing;
        }
        if (drawn) UnionRect(covered, surface->drawnRect, &covered);
        return true;
    });
    surface->drawnRect = covered;
    return covered.right;
}

namespace {

// An opaque glyph's mode: it is copied, key and all.
bool CopiedWhole(const GFXBitmap& g) {
    return g.DrawMode() != kBitmapTransparent && !g.DrawsTranslucent();
}

}  // namespace

int GFXFont::DrawGlyphBand(const BlitTarget& target, const GFXFont* font, GFXPoint at,
                           const char* text) {
    // A short text of opaque glyphs of one height on one line, side by side and wholly inside
    // the clip box (a number window's digits), goes out one row at a time for all its glyphs.
    if (CurrentBlitPath() != BlitPath::kMasked) return -1;
    BlitPiece pieces[kMaxBandPieces];
    int count = 0;
    const bool fixedPitch = (font->fontFlags & kFontFixedPitch) != 0;
    std::int64_t x = at.x;
    std::int64_t top = 0, rows = 0, left = 0, end = 0;
    bool banded = true;
    ForEachGlyph(font, text, [&](const GFXBitmap& glyph, std::int32_t offset) {
        const GFXBitmap* g = &glyph;
        if (count == kMaxBandPieces || g->pixels == nullptr || g->bitsPerPixel != 8 ||
            g->width < 1 || !CopiedWhole(*g))
            return banded = false;
        const std::int64_t y =
            at.y + static_cast<std::int64_t>(font->baseline) - g->height + offset;
        const std::int64_t h = std::abs(g->height);
        if (count == 0) {
            top = y;
            rows = h;
            left = x;
        } else if (y != top || h != rows || x < end) {
            return banded = false;
        }
        end = x + g->width;
        if (end - left > 64) return banded = false;
        pieces[count++] = {g->pixels, g->stride, static_cast<std::int32_t>(x - left), g->width};
        x += (fixedPitch ? font->cellWidth : g->width) + font->spacing;
        return true;
    });
    const GFXRect& clip = target.clip;
    if (!banded || count == 0 || left < clip.left || top < clip.top || end - 1 > clip.right ||
        top + rows - 1 > clip.bottom)
        return -1;
    std::uint8_t* dst = target.pixels + static_cast<std::ptrdiff_t>(top) * target.stride + left;
    if (!BlitBand(dst, target.stride, static_cast<std::int32_t>(rows), pieces, count)) return -1;
    target.surface->drawnRect = {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                                 static_cast<std::int32_t>(end - 1),
                                 static_cast<std::int32_t>(top + rows - 1)};
    return static_cast<std::int32_t>(end - 1);
}

int GFXFont::DrawGlyphRun(const BlitTarget& target, const GFXFont* font, GFXPoint at,
                          const char* text) {
    const int band = DrawGlyphBand(target, font, at, text);
    if (band >= 0) return band;
    GFXRect covered{9999, 9999, -1, -1};
    const bool fixedPitch = (font->fontFlags & kFontFixedPitch) != 0;
    const std::int32_t cellWidth = font->cellWidth;
    const std::int32_t spacing = font->spacing;
    const std::int64_t baseline = font->baseline;
    std::int64_t x = at.x;
    ForEachGlyph(font, text, [&](const GFXBitmap& glyph, std::int32_t offset) {
        const GFXBitmap* g = &glyph;
        const std::int32_t width = g->width;
        // The glyph goes where the table's entry would put it, and one whose corners do not
        // fit the coordinates is refused as the entry refuses it, leaving the covered area.
        const GFXPoint to{static_cast<std::int32_t>(x),
                          static_cast<std::int32_t>(at.y + baseline - g->height + offset)};
        const std::int64_t right = static_cast<std::int64_t>(to.x) + width - 1;
        const std::int64_t bottom = static_cast<std::int64_t>(to.y) + std::abs(g->height) - 1;
        if (g->pixels != nullptr && g->bitsPerPixel == 8 && right <= INT32_MAX &&
            bottom <= INT32_MAX && right >= INT32_MIN && bottom >= INT32_MIN) {
            BlitBitmap(target, *g, to);
            covered = {std::min(covered.left, to.x), std::min(covered.top, to.y),
                       std::max(covered.right, static_cast<std::int32_t>(right)),
                       std::max(covered.bottom, static_cast<std::int32_t>(bottom))};
        }
        x += (fixedPitch ? cellWidth : width) + spacing;
        return true;
    });
    target.surface->drawnRect = covered;
    return covered.right;
}

int GFXFont::DrawStringInRect(GFXSurface* surface, const GFXFont* font, const GFXRect& rect,
                              const char* text, std::uint32_t justify) {
    if (surface == nullptr || font == nullptr || text == nullptr) return rect.left;
    Scale scale{font->scaleX, font->scaleY};
    // Placement measures the text at scale 1.0 and applies the drawing scale once.
    const std::int64_t w = font->WidthAt(text, kOne);
    if (justify & kJustifyScaleToFit) {
        // A text that measures nothing, or a font without a cell height, has no scale that
        // fits; it is drawn at the font's own scale.
        if (w > 0 && font->cellHeight > 0) {
            scale.x = static_cast<std::int32_t>(
                ((static_cast<std::int64_t>(rect.right) - rect.left + 1) * kOne) / w);
            scale.y = static_cast<std::int32_t>(
                ((static_cast<std::int64_t>(rect.bottom) - rect.top + 1) * kOne) /
                font->cellHeight);
            if (scale.x <= 0 || scale.y <= 0) return rect.left;
        }
    }
    std::int64_t x = rect.left;
    std::int64_t y = rect.top;
    const bool sx1 = scale.x == kOne;
    const bool sy1 = scale.y == kOne;
    switch (justify & 7) {
        case kJustifyRight:
            x = sx1 ? rect.right - w + 1 : rect.right + ScaleTrunc(1 - w, scale.x);
            break;
        case kJustifyCentre: {
            const std::int64_t end = sx1 ? rect.right - w : rect.right + ScaleTrunc(1 - w, scale.x);
            x = rect.left + (end - rect.left) / 2;
            break;
        }
        default:
            break;
    }
    switch (justify & 0x38) {
        case kJustifyMiddle: {
            const std::int64_t end = sy1 ? static_cast<std::int64_t>(rect.bottom) - font->baseline
                                         : rect.bottom + ScaleTrunc(1 - font->baseline, scale.y);
            y = rect.top + (end - rect.top) / 2;
            break;
        }
        case kJustifyBottom:
            y = sy1 ? static_cast<std::int64_t>(rect.bottom) - font->baseline + 1
                    : rect.bottom + ScaleTrunc(1 - font->baseline, scale.y);
            break;
        default:
            break;
    }
    return DrawScaled(surface, font, {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)},
                      text, scale);
}

GFXFontText::GFXFontText(const GFXFont* font, std::string_view text) {
    const bool wide = font != nullptr && (font->fontFlags & kFont16BitCodes) != 0;
    if (!wide) {
        bytes_.assign(text.substr(0, text.find('\0')));
        return;
    }
    for (const char c : text) {
        if (c == '\0') break;
        bytes_ += c;
        bytes_ += '\0';
    }
    // The string's own terminator makes the second byte of the 16-bit zero.
    bytes_ += '\0';
}

// ---------------------------------------------------------------------------------------------
// Colours

void RemapBitmap(GFXBitmap* b, const std::uint8_t* map) {
    if (b == nullptr || b->pixels == nullptr || map == nullptr) return;
    for (std::int32_t i = 0; i < b->size; ++i)
        b->pixels[i] = map[b->pixels[i]];
}

void RecolorBitmap(GFXBitmap* b, std::uint8_t key, std::uint8_t a, std::uint8_t bColour,
                   std::uint32_t mode) {
    if (b == nullptr || b->pixels == nullptr) return;
    for (std::int32_t i = 0; i < b->size; ++i) {
        std::uint8_t& p = b->pixels[i];
        if ((mode & 4) && p == key) {
            p = bColour;
        } else if ((mode & 2) && p != key) {
            p = a;
        }
    }
}

void GFXFont::SetColor(std::int32_t colour) {
    if (!(fontFlags & kFontRecolorable)) return;
    for (auto& g : bitmaps)
        RecolorBitmap(g.get(), 0, static_cast<std::uint8_t>(colour), 0, 2);
    color = colour;
}

void GFXFont::RemapColors(const std::uint8_t* map) {
    for (auto& g : bitmaps)
        RemapBitmap(g.get(), map);
    remapState = 0;
}

void GFXFont::ClearRemapState(std::int32_t flag) {
    if (flag != 0) remapState = 0;
}

// ---------------------------------------------------------------------------------------------
// Files

std::unique_ptr<GFXFont> GFXFont::ReadNew(core::StreamIO& stream) {
    auto f = std::make_unique<GFXFont>();
    if (!f->Read(stream)) return nullptr;
    return f;
}

std::unique_ptr<GFXFont> GFXFont::LoadNew(std::string_view fileName) {
    auto f = std::make_unique<GFXFont>();
    if (!f->Load(fileName)) return nullptr;
    return f;
}

int GFXFont::Load(std::string_view fileName) {
    core::FileRStream s;
    if (!s.Open(fileName)) return 0;
    return Read(s);
}

int GFXFont::Read(core::StreamIO& s) {
    using namespace chunkio;
    Clear();
    palette.reset();
    placeholder.reset();
    std::uint32_t counter = kFontNoHead;
    bool first = true;
    while (counter != 0) {
        const std::uint32_t start = s.GetPosition();
        std::uint32_t tag = 0, size = 0;
        if (!ReadHeader(s, &tag, &size)) return 0;
        const std::uint64_t end = static_cast<std::uint64_t>(start) + 8 + size;
        if (tag == kTagPFNT && first) {
            first = false;
            continue;
        }
        first = false;
        if (counter == kFontNoHead) {
            if (tag != kFontTagHead || size != 48) return 0;
            std::uint32_t words[12];
            for (auto& w : words) {
                if (!ReadU32(s, &w)) return 0;
            }
            counter = words[0] & 0xFFFFFFu;
            fontFlags = words[1];
            justify = words[2];
            reserved = words[3];
            cellHeight = static_cast<std::int32_t>(words[4]);
            cellWidth = static_cast<std::int32_t>(words[5]);
            color = static_cast<std::int32_t>(words[6]);
            remapState = static_cast<std::int32_t>(words[7]);
            baseline = static_cast<std::int32_t>(words[8]);
            scaleX = static_cast<std::int32_t>(words[9]);
            scaleY = static_cast<std::int32_t>(words[10]);
            spacing = static_cast<std::int32_t>(words[11]);
            // A zero or negative scale, or negative cell sizes, describe no drawable font.
            if (scaleX <= 0 || scaleY <= 0 || cellHeight < 0 || cellWidth < 0 ||
                cellHeight > 4096 || cellWidth > 4096)
                return 0;
            continue;
        }
        if (tag == kFontTagPPAL) {
            if (palette) return 0;
            palette = GFXPalette::ReadNew(s, 0);
            if (!palette || s.GetPosition() != end) return 0;
        } else if (tag == kFontTagPBMA) {
            // The glyph array reads itself by its own chunks, on from its container's header;
            // its size word is not trusted.
            if (!read(s, kReadInContainer)) return 0;
        } else if (!Skip(s, size)) {
            return 0;
        }
        --counter;
    }
    return 1;
}

std::uint32_t GFXFont::GetStoredSize() const {
    return 8 + 56 + (palette ? palette->GetStoredSize() : 0) + GFXBitmapArray::GetStoredSize(0);
}

int GFXFont::Save(std::string_view fileName) const {
    return chunkio::SaveNewFile(fileName, [&](core::StreamIO& s) { return Write(s); });
}

int GFXFont::Write(core::StreamIO& s) const {
    using namespace chunkio;
    WriteHeader(s, kTagPFNT, GetStoredSize() - 8);
    WriteHeader(s, kFontTagHead, 48);
    WriteU32(s, palette ? 2 : 1);
    WriteU32(s, fontFlags);
    WriteU32(s, justify);
    WriteU32(s, reserved);
    WriteI32(s, cellHeight);
    WriteI32(s, cellWidth);
    WriteI32(s, color);
    WriteI32(s, remapState);
    WriteI32(s, baseline);
    WriteI32(s, scaleX);
    WriteI32(s, scaleY);
    WriteI32(s, spacing);
    if (palette) palette->Write(s, 0);
    if (!GFXBitmapArray::Write(s, 0)) return 0;
    return StreamOk(s) ? 1 : 0;
}

}  // namespace gfx
