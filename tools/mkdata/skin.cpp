// The skin of the owner-draw library, drawn here in one calm slate theme and written as the
// inputs of the resource pack: bitmaps 15001 to 15059 (bevelled five-frame buttons, check and
// radio glyphs, trackbar parts, caption and its buttons, borders, menu band, tabs), the
// pointing-hand cursor 747, the palette resources 547 to 766 and the text styles 15501 to 15508,
// with "skin.rc" naming them all. Magenta is the key colour that lets what lies beneath show.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/palette_colours.h"
#include "ui/owner_draw_library.h"

namespace mkdata {

namespace {

// The theme's colour table (the bitmaps' own; the first entries are the key and the ramp).
enum Ink : std::uint8_t {
    kKey = 0,     // magenta: transparent
    kFace,        // the face of buttons and dialogs
    kLight,       // bevel highlight
    kShadow,      // bevel shadow
    kDark,        // outer shadow and outlines
    kText,        // glyphs and marks
    kAccent,      // active caption, focus, selection
    kAccentLight, // caption's upper half
    kInactive,    // inactive caption
    kWell,        // inside of check boxes, channels
    kPressed,     // face of a pressed button
    kDisabled,    // marks of disabled controls
    kWhite,
    kInkCount
};

constexpr Rgb kInks[kInkCount] = {
    {255, 0, 255}, {212, 217, 224}, {246, 248, 251}, {150, 160, 174}, {78, 88, 104},  {24, 30, 40},
    {64, 104, 150}, {96, 136, 182}, {142, 152, 166}, {250, 251, 253}, {194, 200, 210}, {160, 166, 176},
    {255, 255, 255},
};

constexpr int kFirstId = 15000;

class Canvas {
public:
    Canvas(int width, int height) : w(width), h(height), pixels(static_cast<std::size_t>(width * height), kKey) {}
    void Set(int x, int y, std::uint8_t ink) {
        if (x >= 0 && y >= 0 && x < w && y < h) pixels[static_cast<std::size_t>(y * w + x)] = ink;
    }
    void Fill(int x0, int y0, int x1, int y1, std::uint8_t ink) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Set(x, y, ink);
    }
    // A two-pixel bevel around (x0, y0)-(x1, y1), raised or sunken.
    void Bevel(int x0, int y0, int x1, int y1, bool raised) {
        const std::uint8_t outerLT = raised ? kLight : kShadow, outerRB = raised ? kDark : kLight;
        const std::uint8_t innerLT = raised ? kWhite : kDark, innerRB = raised ? kShadow : kFace;
        for (int x = x0; x < x1; ++x) {
            Set(x, y0, outerLT);
            Set(x, y1 - 1, outerRB);
        }
        for (int y = y0; y < y1; ++y) {
            Set(x0, y, outerLT);
            Set(x1 - 1, y, outerRB);
        }
        for (int x = x0 + 1; x < x1 - 1; ++x) {
            Set(x, y0 + 1, innerLT);
            Set(x, y1 - 2, innerRB);
        }
        for (int y = y0 + 1; y < y1 - 1; ++y) {
            Set(x0 + 1, y, innerLT);
            Set(x1 - 2, y, innerRB);
        }
    }
    void Frame(int x0, int y0, int x1, int y1, std::uint8_t ink) {
        for (int x = x0; x < x1; ++x) {
            Set(x, y0, ink);
            Set(x, y1 - 1, ink);
        }
        for (int y = y0; y < y1; ++y) {
            Set(x0, y, ink);
            Set(x1 - 1, y, ink);
        }
    }
    // A dotted rectangle, every other pixel.
    void Dotted(int x0, int y0, int x1, int y1, std::uint8_t ink) {
        for (int x = x0; x < x1; x += 2) {
            Set(x, y0, ink);
            Set(x, y1 - 1, ink);
        }
        for (int y = y0; y < y1; y += 2) {
            Set(x0, y, ink);
            Set(x1 - 1, y, ink);
        }
    }
    // A pattern of rows ('#' marks) with its top-left at (x, y).
    void Pattern(int x, int y, std::initializer_list<const char*> rows, std::uint8_t ink) {
        int dy = 0;
        for (const char* row : rows) {
            for (int dx = 0; row[dx] != '\0'; ++dx)
                if (row[dx] == '#') Set(x + dx, y + dy, ink);
            ++dy;
        }
    }
    int w, h;
    std::vector<std::uint8_t> pixels;
};

std::unique_ptr<gfx::GFXPalette> ThemePalette() {
    auto p = std::make_unique<gfx::GFXPalette>();
    for (int i = 0; i < 256; ++i) {
        Rgb c = i < kInkCount ? kInks[i] : Rgb{0, 0, 0};
        p->entries[i] = {c.r, c.g, c.b, 0};
    }
    return p;
}

Bytes BmpOf(const Canvas& c) {
    auto bitmap = gfx::GFXBitmap::Create(c.w, c.h, 8);
    if (!bitmap) return {};
    for (int y = 0; y < c.h; ++y)
        std::copy(c.pixels.begin() + y * c.w, c.pixels.begin() + (y + 1) * c.w, bitmap->Row(y));
    bitmap->palette = ThemePalette();
    return CollectBytes([&](core::StreamIO& s) { return bitmap->Write(s, gfx::kBitmapWriteBmp) != 0; });
}

// ---- The pieces -----------------------------------------------------------------------------

constexpr int kPushW = 72, kPushH = 23;

// Frames: normal, disabled, focused, pressed, pressed and focused.
Canvas PushButton() {
    Canvas c(kPushW * 5, kPushH);
    for (int f = 0; f < 5; ++f) {
        const int x = f * kPushW;
        const bool pressed = f >= 3, focused = f == 2 || f == 4;
        c.Fill(x + 1, 1, x + kPushW - 1, kPushH - 1, pressed ? kPressed : kFace);
        // Rounded-off corners stay transparent.
        c.Fill(x + 2, 0, x + kPushW - 2, 1, kDark);
        c.Fill(x + 2, kPushH - 1, x + kPushW - 2, kPushH, kDark);
        c.Fill(x, 2, x + 1, kPushH - 2, kDark);
        c.Fill(x + kPushW - 1, 2, x + kPushW, kPushH - 2, kDark);
        c.Set(x + 1, 1, kDark);
        c.Set(x + kPushW - 2, 1, kDark);
        c.Set(x + 1, kPushH - 2, kDark);
        c.Set(x + kPushW - 2, kPushH - 2, kDark);
        if (pressed) {
            c.Fill(x + 2, 2, x + kPushW - 2, 3, kShadow);
            c.Fill(x + 2, 2, x + 3, kPushH - 2, kShadow);
        } else {
            c.Fill(x + 2, 1, x + kPushW - 2, 2, kWhite);
            c.Fill(x + 1, 2, x + 2, kPushH - 2, kWhite);
            c.Fill(x + 2, kPushH - 3, x + kPushW - 2, kPushH - 2, kShadow);
            c.Fill(x + kPushW - 3, 2, x + kPushW - 2, kPushH - 2, kShadow);
        }
        if (f == 1) c.Fill(x + 3, kPushH / 2, x + kPushW - 3, kPushH / 2 + 1, kFace);  // flat, quiet
        if (focused) {
            // The focused button wears the accent ring inside its outline.
            c.Frame(x + 2, 2, x + kPushW - 2, kPushH - 2, kAccent);
        }
    }
    return c;
}

constexpr int kGlyph = 13;

// Check boxes: rows unchecked, checked, indeterminate; radio buttons: rows off, on.
Canvas Glyphs(bool radio) {
    const int rows = radio ? 2 : 3;
    Canvas c(kGlyph * 5, kGlyph * rows);
    for (int row = 0; row < rows; ++row)
        for (int f = 0; f < 5; ++f) {
            const int x = f * kGlyph, y = row * kGlyph;
            const bool disabled = f == 1, pressed = f >= 3, focused = f == 2 || f == 4;
            const std::uint8_t inside = disabled || pressed ? kPressed : kWell;
            const std::uint8_t mark = disabled ? kDisabled : kText;
            if (radio) {
                c.Pattern(x, y,
                          {"....#####....", "..##.....##..", ".#.........#.", ".#.........#.", "#...........#",
                           "#...........#", "#...........#", "#...........#", "#...........#", ".#.........#.",
                           ".#.........#.", "..##.....##..", "....#####...."},
                          focused ? kAccent : kShadow);
                c.Pattern(x, y,
                          {".............", "....#####....", "..#########..", "..#########..", ".###########.",
                           ".###########.", ".###########.", ".###########.", ".###########.", "..#########..",
                           "..#########..", "....#####....", "............."},
                          inside);
                if (row == 1) c.Pattern(x + 4, y + 4, {".###.", "#####", "#####", "#####", ".###."}, mark);
            } else {
                c.Frame(x, y, x + kGlyph, y + kGlyph, focused ? kAccent : kShadow);
                c.Fill(x + 1, y + 1, x + kGlyph - 1, y + kGlyph - 1, inside);
                if (row == 1)
                    c.Pattern(x + 2, y + 3,
                              {"........#", ".......##", "#.....##.", "##...##..", ".##.##...", "..###....", "...#....."},
                              mark);
                if (row == 2) c.Fill(x + 3, y + 5, x + kGlyph - 3, y + 8, kDisabled);
            }
        }
    return c;
}

Canvas Channel(bool vertical) {
    const int along = 160, across = 24;
    Canvas c(vertical ? across : along, vertical ? along : across);
    for (int i = 4; i < along - 4; ++i)
        for (int k = -2; k <= 1; ++k) {
            const std::uint8_t ink = k == -2 ? kShadow : k == 1 ? kLight : kWell;
            if (vertical) c.Set(across / 2 + k, i, ink);
            else c.Set(i, across / 2 + k, ink);
        }
    return c;
}

Canvas Thumb(bool vertical) {
    const int along = 11, across = 20;
    Canvas c(vertical ? across : along, vertical ? along : across);
    c.Fill(0, 0, c.w, c.h, kFace);
    c.Bevel(0, 0, c.w, c.h, true);
    if (vertical) c.Fill(4, along / 2, across - 4, along / 2 + 1, kAccent);
    else c.Fill(along / 2, 4, along / 2 + 1, across - 4, kAccent);
    return c;
}

Canvas Solid(int w, int h, std::uint8_t ink) {
    Canvas c(w, h);
    c.Fill(0, 0, w, h, ink);
    return c;
}

// A frame strip: the outline on the outside, the face inward.
Canvas Strip(int w, int h, bool horizontal) {
    Canvas c(w, h);
    c.Fill(0, 0, w, h, kFace);
    if (horizontal) {
        c.Fill(0, 0, w, 1, kDark);
        if (h > 2) c.Fill(0, 1, w, 2, kLight);
    } else {
        c.Fill(0, 0, 1, h, kDark);
        if (w > 2) c.Fill(1, 0, 2, h, kLight);
    }
    return c;
}

Canvas Caption(bool active) {
    Canvas c(64, 18);
    for (int y = 0; y < 18; ++y) c.Fill(0, y, 64, y + 1, active ? (y < 9 ? kAccentLight : kAccent) : kInactive);
    return c;
}

constexpr int kCapW = 16, kCapH = 14;

// Caption buttons: normal, pressed, inactive; `glyph` drawn in each.
Canvas CaptionButton(std::initializer_list<const char*> glyph) {
    Canvas c(kCapW * 3, kCapH);
    for (int f = 0; f < 3; ++f) {
        const int x = f * kCapW;
        c.Fill(x, 0, x + kCapW, kCapH, f == 1 ? kPressed : kFace);
        c.Bevel(x, 0, x + kCapW, kCapH, f != 1);
        c.Pattern(x + 4 + (f == 1 ? 1 : 0), 3 + (f == 1 ? 1 : 0), glyph, f == 2 ? kDisabled : kText);
    }
    return c;
}

Canvas Tab() {
    const int w = 80, h = 22;
    Canvas c(w * 5, h);
    for (int f = 0; f < 5; ++f) {
        const int x = f * w;
        const bool selected = f >= 3;
        c.Fill(x + 2, selected ? 0 : 2, x + w - 2, h, selected ? kFace : kPressed);
        c.Fill(x + 2, selected ? 0 : 2, x + w - 2, (selected ? 0 : 2) + 1, kWhite);
        c.Fill(x + 1, selected ? 1 : 3, x + 2, h, kWhite);
        c.Fill(x + w - 2, selected ? 1 : 3, x + w - 1, h, kDark);
        if (f == 1) c.Fill(x + 4, h / 2, x + w - 4, h / 2 + 1, kFace);
        if (f == 2 || f == 4) c.Dotted(x + 5, 5, x + w - 5, h - 3, kAccent);
        if (!selected) c.Fill(x, h - 1, x + w, h, kLight);
    }
    return c;
}

Canvas TreeGlyphs() {
    Canvas c(18, 9);
    for (int f = 0; f < 2; ++f) {
        c.Frame(f * 9, 0, f * 9 + 9, 9, kShadow);
        c.Fill(f * 9 + 1, 1, f * 9 + 8, 8, kWell);
        c.Fill(f * 9 + 2, 4, f * 9 + 7, 5, kText);
        if (f == 0) c.Fill(f * 9 + 4, 2, f * 9 + 5, 7, kText);
    }
    return c;
}

Canvas Arrow(int direction) {
    Canvas c(16, 16);
    c.Fill(0, 0, 16, 16, kFace);
    c.Bevel(0, 0, 16, 16, true);
    for (int i = 0; i < 4; ++i)
        for (int k = -i; k <= i; ++k) {
            const int a = 6 + i, b = 8 + k;
            switch (direction) {
                case 0: c.Set(b, a, kText); break;
                case 1: c.Set(b, 15 - a, kText); break;
                case 2: c.Set(a, b, kText); break;
                default: c.Set(15 - a, b, kText); break;
            }
        }
    return c;
}

Canvas Piece(int index) {
    using namespace ui;
    switch (index) {
        case kSkinPushButton: return PushButton();
        case kSkinCheckBox: return Glyphs(false);
        case kSkinRadioButton: return Glyphs(true);
        case kSkinTrackChannelH: return Channel(false);
        case kSkinTrackChannelV: return Channel(true);
        case kSkinBorderH: return Solid(8, 1, kShadow);
        case kSkinTrackThumbH: return Thumb(false);
        case kSkinBorderV: return Solid(1, 8, kShadow);
        case kSkinTrackThumbV: return Thumb(true);
        case kSkinTab: return Tab();
        case kSkinTabRow: return Solid(8, 22, kFace);
        case kSkinCaptionInactive: return Caption(false);
        case kSkinCloseButton:
            return CaptionButton({"#.....#", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "#.....#"});
        case kSkinFrameH: return Strip(8, 4, true);
        case kSkinHelpButton:
            return CaptionButton({"..###..", ".#...#.", ".....#.", "....#..", "...#...", ".......", "...#..."});
        case kSkinFrameV: return Strip(4, 8, false);
        case kSkinCaption: return Caption(true);
        case kSkinMinimizeButton:
            return CaptionButton({".......", ".......", ".......", ".......", ".......", "######.", "######."});
        case kSkinMaximizeButton:
            return CaptionButton({"#######", "#######", "#.....#", "#.....#", "#.....#", "#.....#", "#######"});
        case kSkinRestoreButton:
            return CaptionButton({"..#####", "..#...#", "#####.#", "#####.#", "#...###", "#...#..", "#####.."});
        case kSkinSystemButton:
            return CaptionButton({".......", "..###..", ".#####.", "#######", ".#####.", "..###..", "......."});
        case kSkinMenuBand: return Solid(8, 19, kFace);
        case kSkinDialogFace: return Solid(8, 8, kFace);
        case kSkinDialogFrameH: return Strip(8, 3, true);
        case kSkinDialogFrameV: return Strip(3, 8, false);
        case kSkinMenuMetric: return Solid(8, 19, kFace);
        case kSkinTreeGlyphs: return TreeGlyphs();
        case 36: case 37: case 38: case 39: return Arrow(index - 36);
        default: return Solid(8, 8, kFace);  // spare tiles in the face colour
    }
}

// A 32 × 32 monochrome cursor: a hand pointing up, its tip the hot spot.
Bytes HandCursor() {
    static const char* kHand[] = {
        ".....##.........", "....#..#........", "....#..#........", "....#..#........", "....#..###......",
        "....#..#..###...", "....#..#..#..##.", ".##.#..#..#..#.#", "#..##........#.#", "#...#..........#",
        ".#.............#", ".#.............#", "..#............#", "..#...........#.", "...#..........#.",
        "...#.........#..", "....#........#..", "....#........#..", "....##########..",
    };
    static const char* kFill[] = {
        ".....##.........", "....####........", "....####........", "....####........", "....######......",
        "....#########...", "....###########.", ".##.############", "################", "################",
        ".###############", ".###############", "..##############", "..#############.", "...############.",
        "...###########..", "....##########..", "....##########..", "....##########..",
    };
    Bytes b;
    auto u16 = [&](unsigned v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    const std::uint32_t imageBytes = 40 + 8 + 128 + 128;
    u16(0);
    u16(2);
    u16(1);
    b.push_back(32);
    b.push_back(32);
    b.push_back(0);
    b.push_back(0);
    u16(5);  // hot spot: the fingertip
    u16(0);
    u32(imageBytes);
    u32(22);
    u32(40);
    u32(32);
    u32(64);
    u16(1);
    u16(1);
    for (int i = 0; i < 6; ++i) u32(0);
    u32(0x000000);  // black
    u32(0xFFFFFF);  // white
    // XOR mask (white inside the outline), then the AND mask (0 where the hand is), bottom-up.
    for (int pass = 0; pass < 2; ++pass)
        for (int y = 31; y >= 0; --y) {
            std::uint32_t row = 0;
            for (int x = 0; x < 32; ++x) {
                const bool inHand = y < 19 && x < 16 && kFill[y][x] == '#';
                const bool outline = y < 19 && x < 16 && kHand[y][x] == '#';
                const bool bit = pass == 0 ? (inHand && !outline) : !inHand;
                if (bit) row |= 1u << (31 - x);
            }
            b.push_back(static_cast<std::uint8_t>(row >> 24));
            b.push_back(static_cast<std::uint8_t>(row >> 16));
            b.push_back(static_cast<std::uint8_t>(row >> 8));
            b.push_back(static_cast<std::uint8_t>(row));
        }
    return b;
}

// The dialogs' palette resources: the theme's ramps in the entries the library fills.
Bytes DialogPalette() {
    auto p = std::make_unique<gfx::GFXPalette>();
    for (int i = 0; i < 256; ++i) {
        Rgb c = IsStaticEntry(i) ? StaticColour(i) : Rgb{0, 0, 0};
        if (!IsStaticEntry(i)) {
            // Slate greys to white, then the accent blues.
            const int k = i - 10;
            if (k < 128) {
                const int v = 40 + k * 215 / 127;
                c = Rgb{static_cast<std::uint8_t>(v * 92 / 100), static_cast<std::uint8_t>(v * 95 / 100),
                        static_cast<std::uint8_t>(v)};
            } else {
                const int t = k - 128;
                c = Rgb{static_cast<std::uint8_t>(30 + t), static_cast<std::uint8_t>(60 + t), static_cast<std::uint8_t>(100 + t)};
            }
        }
        p->entries[i] = {c.r, c.g, c.b, 0};
    }
    return CollectBytes([&](core::StreamIO& s) { return p->Write(s, gfx::kPaletteWriteRiff) != 0; });
}

// Text styles: "red,green,blue,face,style,points,alignment".
constexpr const char* kTextStyles[ui::kTextStyleCount] = {
    "24,30,40,Arial,Normal,8,C",   "255,255,255,Arial,Bold,8,L", "24,30,40,Arial,Normal,8,L",
    "24,30,40,Arial,Normal,8,L",   "24,30,40,Arial,Normal,8,C",  "24,30,40,Arial,Normal,8,L",
    "24,30,40,Arial,Normal,8,C",   "40,70,120,Arial,Bold,10,C",
};

bool WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int MakeSkinResources(const std::string& outDir, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(outDir, ec);
    const fs::path dir(outDir);
    std::string script =
        "// Made by mkdata --skin: the owner-draw library's skin, the pointing hand and the dialogs'\n"
        "// palettes. Do not edit; the data maker writes it at every build.\n\n";
    for (int i = 1; i <= ui::kSkinBitmapCount; ++i) {
        const std::string name = "skin" + std::to_string(kFirstId + i) + ".bmp";
        const Bytes bmp = BmpOf(Piece(i));
        if (bmp.empty() || !WriteFile(dir / name, bmp)) {
            *error = "cannot write " + (dir / name).string();
            return 0;
        }
        script += std::to_string(kFirstId + i) + " BITMAP \"" + name + "\"\n";
    }
    if (!WriteFile(dir / "hand747.cur", HandCursor())) {
        *error = "cannot write the hand cursor";
        return 0;
    }
    script += "\n747 CURSOR \"hand747.cur\"\n\n";
    const Bytes palette = DialogPalette();
    if (palette.empty() || !WriteFile(dir / "dialogs.pal", palette)) {
        *error = "cannot write the dialogs' palette";
        return 0;
    }
    for (int id = 547; id <= 766; ++id) script += std::to_string(id) + " Palette \"dialogs.pal\"\n";
    script += "\nSTRINGTABLE\nBEGIN\n";
    for (int k = 0; k < ui::kTextStyleCount; ++k)
        script += "    " + std::to_string(kFirstId + 501 + k) + " \"" + kTextStyles[k] + "\"\n";
    script += "END\n";
    const Bytes text(script.begin(), script.end());
    if (!WriteFile(dir / "skin.rc", text)) {
        *error = "cannot write skin.rc";
        return 0;
    }
    return 1;
}

}  // namespace mkdata
