#include "win/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <tuple>

namespace win {

// The FreeType library lives as long as the last face that uses it, so fonts held by static
// objects may be destroyed in any order at exit. The faces hold it, so it is not file-local.
struct FreeTypeLibrary {
    FT_Library lib = nullptr;
    FreeTypeLibrary() {
        if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
    }
    ~FreeTypeLibrary() {
        if (lib) FT_Done_FreeType(lib);
    }
};

namespace {

std::shared_ptr<FreeTypeLibrary> TheLibrary() {
    static std::shared_ptr<FreeTypeLibrary> library = std::make_shared<FreeTypeLibrary>();
    return library;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

enum class Family { kSans, kSerif, kMono };

Family FamilyFor(std::string_view faceName, std::uint8_t pitchAndFamily) {
    const std::string name = Lower(faceName);
    if (name.find("courier") != std::string::npos || name.find("mono") != std::string::npos ||
        name == "fixedsys" || name == "terminal")
        return Family::kMono;
    if (name.find("times") != std::string::npos || name.find("roman") != std::string::npos ||
        name == "georgia" ||
        (name.find("serif") != std::string::npos && name.find("sans") == std::string::npos))
        return Family::kSerif;
    if (!name.empty()) return Family::kSans;  // every other named face is a sans face here
    if ((pitchAndFamily & 0x03) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN)
        return Family::kMono;
    if ((pitchAndFamily & 0xF0) == FF_ROMAN) return Family::kSerif;
    return Family::kSans;
}

std::vector<std::filesystem::path> FontFolders() {
    std::vector<std::filesystem::path> folders;
    if (const char* dir = std::getenv("ZEPHLON_FONT_DIR"); dir && *dir) folders.emplace_back(dir);
    for (const char* dir :
         {"/usr/share/fonts/truetype/liberation", "/usr/share/fonts/truetype/liberation2",
          "/usr/share/fonts/liberation", "/usr/share/fonts/truetype/dejavu",
          "/usr/share/fonts/dejavu", "/usr/local/share/fonts"})
        folders.emplace_back(dir);
    return folders;
}

struct FontKey {
    std::string path;
    int emHeight;
    int emWidth;
    bool bold;
    bool italic;
    bool antialiased;
    bool operator<(const FontKey& o) const {
        return std::tie(path, emHeight, emWidth, bold, italic, antialiased) <
               std::tie(o.path, o.emHeight, o.emWidth, o.bold, o.italic, o.antialiased);
    }
};

int Scale(long fontUnits, int em, int unitsPerEm) {
    return static_cast<int>(std::lround(static_cast<double>(fontUnits) * em / unitsPerEm));
}

}  // namespace

struct TrueTypeFont::Face {
    std::shared_ptr<FreeTypeLibrary> library;
    FT_Face face = nullptr;
    bool emboldenGlyphs = false;
    ~Face() {
        if (face) FT_Done_Face(face);
    }
};

TrueTypeFont::~TrueTypeFont() = default;

char32_t NextTextChar(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    int extra = 0;
    char32_t code = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        code = lead & 0x07;
    }
    if (extra == 0 || pos + extra >= text.size()) {
        ++pos;
        return lead;
    }
    for (int i = 1; i <= extra; ++i) {
        const unsigned char c = byte(pos + i);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return lead;
        }
        code = (code << 6) | (c & 0x3F);
    }
    // Over-long forms and surrogates are not characters: take the lead byte alone.
    if ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return lead;
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return code;
}

std::string FindFontFile(std::string_view faceName, bool bold, bool italic,
                         std::uint8_t pitchAndFamily) {
    const Family family = FamilyFor(faceName, pitchAndFamily);
    static const char* const kStyles[4] = {"Regular", "Bold", "Italic", "BoldItalic"};
    const int style = (bold ? 1 : 0) + (italic ? 2 : 0);
    const char* liberation = family == Family::kMono    ? "LiberationMono-"
                             : family == Family::kSerif ? "LiberationSerif-"
                                                        : "LiberationSans-";
    const char* dejavu = family == Family::kMono    ? "DejaVuSansMono"
                         : family == Family::kSerif ? "DejaVuSerif"
                                                    : "DejaVuSans";
    static const char* const kDejaVuStyles[4] = {"", "-Bold", "-Oblique", "-BoldOblique"};
    static const char* const kDejaVuSerifStyles[4] = {"", "-Bold", "-Italic", "-BoldItalic"};
    const char* const* dejavuStyles = family == Family::kSerif ? kDejaVuSerifStyles : kDejaVuStyles;

    // In order of preference: the styled face, then the regular face (styled by synthesis),
    // first from Liberation, then from DejaVu.
    std::vector<std::string> names;
    names.push_back(std::string(liberation) + kStyles[style] + ".ttf");
    names.push_back(std::string(liberation) + "Regular.ttf");
    names.push_back(std::string(dejavu) + dejavuStyles[style] + ".ttf");
    names.push_back(std::string(dejavu) + ".ttf");
    names.push_back(std::string("LiberationSans-") + kStyles[style] + ".ttf");
    names.push_back("LiberationSans-Regular.ttf");
    names.push_back("DejaVuSans.ttf");
    const auto folders = FontFolders();
    for (const auto& name : names) {
        for (const auto& folder : folders) {
            std::error_code ec;
            const auto path = folder / name;
            if (std::filesystem::is_regular_file(path, ec)) return path.string();
        }
    }
    return {};
}

std::shared_ptr<TrueTypeFont> TrueTypeFont::Realise(const LOGFONT& request) {
    const bool bold = request.lfWeight >= FW_SEMIBOLD;
    const bool italic = request.lfItalic != 0;
    const std::string path =
        FindFontFile(request.lfFaceName, bold, italic, request.lfPitchAndFamily);
    if (path.empty()) return nullptr;
    auto library = TheLibrary();
    if (!library->lib) return nullptr;
    // Requests already answered skip opening the face again.
    const bool antialiased = request.lfQuality == ANTIALIASED_QUALITY;
    static std::map<std::tuple<std::string, std::int32_t, std::int32_t, bool, bool, bool>,
                    std::shared_ptr<TrueTypeFont>>
        answered;
    const auto requestKey =
        std::make_tuple(path, request.lfHeight, request.lfWidth, bold, italic, antialiased);
    if (auto it = answered.find(requestKey); it != answered.end()) return it->second;

    auto face = std::make_unique<Face>();
    face->library = library;
    if (FT_New_Face(library->lib, path.c_str(), 0, &face->face) != 0) return nullptr;
    FT_Face ft = face->face;
    const int unitsPerEm = ft->units_per_EM > 0 ? ft->units_per_EM : 2048;

    // Cell metrics come from the OS/2 table's Windows ascent and descent, as the original
    // platform measured them, so a positive height gives the same cell it asked for.
    long winAscent = ft->ascender;
    long winDescent = -ft->descender;
    long avgWidthUnits = 0;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
        os2 && os2->version != 0xFFFF) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            winAscent = os2->usWinAscent;
            winDescent = os2->usWinDescent;
        }
        avgWidthUnits = os2->xAvgCharWidth;
    }
    if (winAscent + winDescent <= 0) {
        winAscent = unitsPerEm * 9 / 10;
        winDescent = unitsPerEm / 5;
    }
    if (avgWidthUnits <= 0) avgWidthUnits = unitsPerEm / 2;

    // A height of 0 asks for the default size; heights are clamped so that no request can
    // make FreeType render glyphs larger than any screen.
    int em = 0;
    std::int64_t h = request.lfHeight;
    if (h < 0) {
        em = static_cast<int>(std::min<std::int64_t>(-h, 1024));
    } else {
        if (h == 0) h = 16;
        h = std::min<std::int64_t>(h, 1024);
        em = static_cast<int>(std::lround(static_cast<double>(h) * unitsPerEm /
                                          static_cast<double>(winAscent + winDescent)));
    }
    em = std::max(em, 1);
    int emWidth = em;
    if (request.lfWidth > 0) {
        emWidth = static_cast<int>(std::lround(std::min<double>(request.lfWidth, 1024) *
                                               unitsPerEm / static_cast<double>(avgWidthUnits)));
        emWidth = std::max(emWidth, 1);
    }
    static std::map<FontKey, std::shared_ptr<TrueTypeFont>> cache;
    const FontKey key{path, em, emWidth, bold, italic, antialiased};
    if (auto it = cache.find(key); it != cache.end()) {
        answered.emplace(requestKey, it->second);
        return it->second;
    }

    if (FT_Set_Pixel_Sizes(ft, static_cast<FT_UInt>(emWidth), static_cast<FT_UInt>(em)) != 0)
        return nullptr;
    const bool faceBold = (ft->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    const bool faceItalic = (ft->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    face->emboldenGlyphs = bold && !faceBold;
    if (italic && !faceItalic) {
        // A slant of about 12 degrees stands in for a missing italic face.
        FT_Matrix shear{0x10000, 0x3800, 0, 0x10000};
        FT_Set_Transform(ft, &shear, nullptr);
    }

    std::shared_ptr<TrueTypeFont> font(new TrueTypeFont());
    font->path_ = path;
    font->family_ = ft->family_name ? ft->family_name : "";
    font->ascent_ = Scale(winAscent, em, unitsPerEm);
    font->descent_ = Scale(winDescent, em, unitsPerEm);
    font->internalLeading_ = std::max(0, font->ascent_ + font->descent_ - em);
    font->averageWidth_ = std::max(1, Scale(avgWidthUnits, emWidth, unitsPerEm));
    font->maxWidth_ = std::max(1, Scale(ft->max_advance_width, emWidth, unitsPerEm));
    font->underlinePosition_ = std::max(1, Scale(-ft->underline_position, em, unitsPerEm));
    font->underlineThickness_ = std::max(1, Scale(ft->underline_thickness, em, unitsPerEm));
    font->antialiased_ = antialiased;
    font->face_ = std::move(face);
    cache.emplace(key, font);
    answered.emplace(requestKey, font);
    return font;
}

const FontGlyph& TrueTypeFont::Glyph(char32_t code) {
    if (auto it = glyphs_.find(code); it != glyphs_.end()) return it->second;
    FontGlyph glyph;
    FT_Face ft = face_->face;
    const FT_Int32 flags = antialiased_ ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
    if (FT_Load_Char(ft, code, flags) == 0) {
        if (face_->emboldenGlyphs) FT_GlyphSlot_Embolden(ft->glyph);
        const FT_Render_Mode mode = antialiased_ ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
        if (ft->glyph->format == FT_GLYPH_FORMAT_BITMAP || FT_Render_Glyph(ft->glyph, mode) == 0) {
            const FT_Bitmap& bm = ft->glyph->bitmap;
            glyph.width = static_cast<int>(bm.width);
            glyph.rows = static_cast<int>(bm.rows);
            glyph.left = ft->glyph->bitmap_left;
            glyph.top = ft->glyph->bitmap_top;
            glyph.coverage.assign(static_cast<std::size_t>(glyph.width) * glyph.rows, 0);
            for (int y = 0; y < glyph.rows; ++y) {
                const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
                for (int x = 0; x < glyph.width; ++x) {
                    std::uint8_t v = 0;
                    if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                        v = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                    else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                        v = row[x];
                    glyph.coverage[static_cast<std::size_t>(y) * glyph.width + x] = v;
                }
            }
        }
        glyph.advance = static_cast<int>((ft->glyph->advance.x + 32) >> 6);
    }
    return glyphs_.emplace(code, std::move(glyph)).first->second;
}

int TrueTypeFont::TextWidth(std::string_view text) {
    int width = 0;
    for (std::size_t pos = 0; pos < text.size();)
        width += Glyph(NextTextChar(text, pos)).advance;
    return width;
}

}  // namespace win
