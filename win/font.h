// TrueType text for the drawing layer: a realised font is one face file at one pixel size,
// with its glyphs rendered on demand through FreeType and kept for the life of the font.
// The device-context calls (CreateFont, TextOut, GetTextExtentPoint32) sit on top of this in
// gdi.h; nothing here knows about device contexts.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// Weights, character sets, pitch and family and quality values as the font calls take them.
inline constexpr std::int32_t FW_DONTCARE = 0;
inline constexpr std::int32_t FW_THIN = 100;
inline constexpr std::int32_t FW_LIGHT = 300;
inline constexpr std::int32_t FW_NORMAL = 400;
inline constexpr std::int32_t FW_MEDIUM = 500;
inline constexpr std::int32_t FW_SEMIBOLD = 600;
inline constexpr std::int32_t FW_BOLD = 700;
inline constexpr std::int32_t FW_HEAVY = 900;

inline constexpr std::uint8_t ANSI_CHARSET = 0;
inline constexpr std::uint8_t DEFAULT_CHARSET = 1;
inline constexpr std::uint8_t SYMBOL_CHARSET = 2;

inline constexpr std::uint8_t OUT_DEFAULT_PRECIS = 0;
inline constexpr std::uint8_t OUT_TT_PRECIS = 4;
inline constexpr std::uint8_t CLIP_DEFAULT_PRECIS = 0;

inline constexpr std::uint8_t DEFAULT_QUALITY = 0;
inline constexpr std::uint8_t DRAFT_QUALITY = 1;
inline constexpr std::uint8_t PROOF_QUALITY = 2;
inline constexpr std::uint8_t NONANTIALIASED_QUALITY = 3;
inline constexpr std::uint8_t ANTIALIASED_QUALITY = 4;

inline constexpr std::uint8_t DEFAULT_PITCH = 0;
inline constexpr std::uint8_t FIXED_PITCH = 1;
inline constexpr std::uint8_t VARIABLE_PITCH = 2;
inline constexpr std::uint8_t FF_DONTCARE = 0x00;
inline constexpr std::uint8_t FF_ROMAN = 0x10;
inline constexpr std::uint8_t FF_SWISS = 0x20;
inline constexpr std::uint8_t FF_MODERN = 0x30;
inline constexpr std::uint8_t FF_SCRIPT = 0x40;
inline constexpr std::uint8_t FF_DECORATIVE = 0x50;

// The logical font: what a program asks for. A negative height is the character (em) height
// in pixels, a positive one the cell height (ascent plus descent), 0 a default size.
struct LOGFONT {
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = FW_NORMAL;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = DEFAULT_CHARSET;
    std::uint8_t lfOutPrecision = OUT_DEFAULT_PRECIS;
    std::uint8_t lfClipPrecision = CLIP_DEFAULT_PRECIS;
    std::uint8_t lfQuality = DEFAULT_QUALITY;
    std::uint8_t lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::string lfFaceName;
};

// One rendered glyph: coverage bytes (0 = empty, 255 = full), one per pixel, row-major.
struct FontGlyph {
    int width = 0;
    int rows = 0;
    int left = 0;     // from the pen position to the first column
    int top = 0;      // from the baseline up to the first row
    int advance = 0;  // whole pixels to the next pen position
    std::vector<std::uint8_t> coverage;
};

// A face file at one pixel size. Fonts are shared: equal requests get the same object, so
// glyphs are rendered once per program run.
class TrueTypeFont {
public:
    ~TrueTypeFont();
    TrueTypeFont(const TrueTypeFont&) = delete;
    TrueTypeFont& operator=(const TrueTypeFont&) = delete;

    // The font that best answers a request; null only when no face file could be opened.
    [[nodiscard]] static std::shared_ptr<TrueTypeFont> Realise(const LOGFONT& request);

    [[nodiscard]] int Ascent() const { return ascent_; }
    [[nodiscard]] int Descent() const { return descent_; }
    [[nodiscard]] int Height() const { return ascent_ + descent_; }
    [[nodiscard]] int InternalLeading() const { return internalLeading_; }
    [[nodiscard]] int AverageCharWidth() const { return averageWidth_; }
    [[nodiscard]] int MaxCharWidth() const { return maxWidth_; }
    [[nodiscard]] int UnderlinePosition() const { return underlinePosition_; }  // below base
    [[nodiscard]] int UnderlineThickness() const { return underlineThickness_; }
    [[nodiscard]] bool Antialiased() const { return antialiased_; }
    [[nodiscard]] const std::string& FilePath() const { return path_; }
    [[nodiscard]] const std::string& FamilyName() const { return family_; }

    // The glyph of a character; a character the face lacks gives its missing-glyph box.
    const FontGlyph& Glyph(char32_t code);
    // The sum of the advances of the text's characters (the text is UTF-8; bytes that are not
    // valid UTF-8 stand for themselves as Latin-1).
    [[nodiscard]] int TextWidth(std::string_view text);

private:
    struct Face;
    TrueTypeFont() = default;

    std::unique_ptr<Face> face_;
    std::string path_;
    std::string family_;
    int ascent_ = 0;
    int descent_ = 0;
    int internalLeading_ = 0;
    int averageWidth_ = 0;
    int maxWidth_ = 0;
    int underlinePosition_ = 1;
    int underlineThickness_ = 1;
    bool antialiased_ = false;
    std::map<char32_t, FontGlyph> glyphs_;
};

// Decodes one character of UTF-8 text at `pos` and moves `pos` past it; an invalid byte
// stands for itself (Latin-1), so no input is ever refused.
[[nodiscard]] char32_t NextTextChar(std::string_view text, std::size_t& pos);

// The face file that stands in for a face name and style; empty when none is installed.
// ZEPHLON_FONT_DIR, when set, is searched before the system's font folders.
[[nodiscard]] std::string FindFontFile(std::string_view faceName, bool bold, bool italic,
                                       std::uint8_t pitchAndFamily);

}  // namespace win
