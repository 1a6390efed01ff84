// The bitmap font of the drawing layer: one bitmap per character in the glyph array the font
// extends, per-glyph metric records (the first word is the glyph's vertical offset), metrics, a
// colour and 16.16 scale factors. It draws strings of 8-bit or 16-bit character codes onto any
// surface through the surface's draw table (whole and scaled bitmap entries), measures them,
// places them in a rectangle and can scale them to fit. Stored as "PFNT" chunk files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/endian.h"
#include "core/stream_io.h"
#include "gfx/bitmap_array.h"
#include "gfx/palette.h"
#include "gfx/surface.h"

namespace gfx {

// fontFlags
inline constexpr std::uint32_t kFontFixedPitch = 0x002;
inline constexpr std::uint32_t kFontRecolorable = 0x004;
inline constexpr std::uint32_t kFont16BitCodes = 0x200;

// justify: horizontal in bits 0..2, vertical in bits 3..5, and scale to fit.
inline constexpr std::uint32_t kJustifyRight = 2;
inline constexpr std::uint32_t kJustifyCentre = 4;
inline constexpr std::uint32_t kJustifyMiddle = 8;
inline constexpr std::uint32_t kJustifyBottom = 32;
inline constexpr std::uint32_t kJustifyScaleToFit = 0x40;

// The colour of the block drawn for a character the font lacks.
inline constexpr std::uint8_t kPlaceholderColour = 253;

struct BlitTarget;
struct GFXDrawTable;

class GFXFont : public GFXBitmapArray {
public:
    // Puts DrawString and DrawStringInRect into entries 12 and 13 of `table`. The program's
    // software tables get them when the main window installs its tables.
    static void InstallTextEntries(GFXDrawTable* table);

    GFXFont();
    ~GFXFont() override;

    [[nodiscard]] static std::unique_ptr<GFXFont> LoadNew(std::string_view fileName);
    [[nodiscard]] static std::unique_ptr<GFXFont> ReadNew(core::StreamIO& stream);
    int Load(std::string_view fileName);
    int Read(core::StreamIO& stream);
    int Save(std::string_view fileName) const;
    int Write(core::StreamIO& stream) const;
    // Bytes of the "PFNT" form, container header included.
    [[nodiscard]] std::uint32_t GetStoredSize() const;

    // Draw-table entries 12 and 13. Text is zero-terminated, of 8-bit codes or (with
    // kFont16BitCodes) of 16-bit codes. DrawString answers the right edge of what was drawn;
    // DrawStringInRect places the text by `justify` and answers what DrawString answers.
    static int DrawString(GFXSurface* surface, const GFXFont* font, GFXPoint at, const char* text);
    static int DrawStringInRect(GFXSurface* surface, const GFXFont* font, const GFXRect& rect,
                                const char* text, std::uint32_t justify);
    int DrawString(GFXSurface* surface, GFXPoint at, const char* text) const {
        return DrawString(surface, this, at, text);
    }
    int DrawStringInRect(GFXSurface* surface, const GFXRect& rect, const char* text) const {
        return DrawStringInRect(surface, this, rect, text, justify);
    }

    [[nodiscard]] std::int32_t GetStringWidth(const char* text) const;
    [[nodiscard]] std::int32_t GetStringHeight(const char* text) const;
    // The glyph of `code` and its vertical offset; the placeholder (offset 0) when missing.
    const GFXBitmap* GetGlyph(std::uint32_t code, std::int32_t* verticalOffset) const;
    // A glyph's vertical offset: the first word of its record (0 when it has none).
    [[nodiscard]] std::int32_t VerticalOffset(const std::uint8_t* record) const {
        return record != nullptr && userStride >= 4 ? core::ReadI32(record) : 0;
    }

    void SetColor(std::int32_t colour);
    void RemapColors(const std::uint8_t* map);
    void ClearRemapState(std::int32_t flag);

    std::uint32_t fontFlags = 1;
    std::uint32_t justify = 0;
    std::uint32_t reserved = 0;
    std::int32_t cellHeight = 0;
    std::int32_t cellWidth = 0;
    std::int32_t color = 255;
    std::int32_t remapState = 0;
    std::int32_t baseline = 0;
    std::int32_t scaleX = 0x10000;
    std::int32_t scaleY = 0x10000;
    std::int32_t spacing = 0;
    std::unique_ptr<GFXPalette> palette;

private:
    struct Scale {
        std::int32_t x = 0x10000;
        std::int32_t y = 0x10000;
    };
    static int DrawScaled(GFXSurface* surface, const GFXFont* font, GFXPoint at, const char* text,
                          Scale scale);
    // An unscaled text's glyphs straight onto a prepared 8-bit target.
    static int DrawGlyphRun(const BlitTarget& target, const GFXFont* font, GFXPoint at,
                            const char* text);
    // The same text drawn row by row for all its glyphs at once where that is possible; answers
    // the covered area's right edge, or -1 when the text must be drawn glyph by glyph.
    static int DrawGlyphBand(const BlitTarget& target, const GFXFont* font, GFXPoint at,
                             const char* text);
    std::int32_t WidthAt(const char* text, std::int32_t sx) const;
    [[nodiscard]] const GFXBitmap* Placeholder() const;

    mutable std::unique_ptr<GFXBitmap> placeholder;
};

inline const GFXBitmap* GFXFont::GetGlyph(std::uint32_t code, std::int32_t* verticalOffset) const {
    if (verticalOffset) *verticalOffset = 0;
    const std::int32_t index = IndexOf(static_cast<std::int32_t>(code));
    if (index < 0 || index >= count || !bitmaps[index]) return Placeholder();
    if (verticalOffset) *verticalOffset = VerticalOffset(UserRecord(index));
    return bitmaps[index].get();
}

// A text in the code width its font declares: every byte of `text` one character code, kept as
// 8-bit codes or, for a font of 16-bit codes, as 16-bit little-endian ones, ended by a zero of
// that width. Every caller that hands text to a font builds it so: the font's header alone
// decides how the text is read, and a reader never runs past the end of what was built.
class GFXFontText {
public:
    GFXFontText(const GFXFont* font, std::string_view text);
    [[nodiscard]] const char* c_str() const { return bytes_.c_str(); }

private:
    std::string bytes_;
};

// Pixel rewrites over a bitmap's `size` bytes. RecolorBitmap: with mode bit 4 a pixel equal to
// `key` becomes b; otherwise with mode bit 2 a pixel other than `key` becomes a.
void RemapBitmap(GFXBitmap* bitmap, const std::uint8_t* map);
void RecolorBitmap(GFXBitmap* bitmap, std::uint8_t key, std::uint8_t a, std::uint8_t b,
                   std::uint32_t mode);

}  // namespace gfx
