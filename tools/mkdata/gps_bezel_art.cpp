// The GPS bezels of the five aircraft, drawn by code in each type's panel colours: the C172's
// light grey, the Bonanza's dark grey, the Baron's black, the King Air's panel paint and the
// CitationJet's metal, each with its own border widths, corner screws, and labelled buttons.
#include "tools/mkdata/gps_bezel_art.h"

#include <string>

#include "cockpit/gps_display.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/panel_kit.h"

namespace mkdata {

namespace {

constexpr const char* kPanelVolume = "Art\\Panel.Vol";

struct Style {
    GpsBezelGeometry g;
    Ink body, light, dark, edge, button, buttonLight, buttonDark, label;
};

// Button rows: ten rows of buttonHeight, three of pieceHeight, each followed by an empty row.
constexpr int kBitmapWidth = 128;
constexpr int InnerRows(int buttonHeight, int pieceHeight) {
    return 3 * (pieceHeight + 1) + 10 * (buttonHeight + 1);
}
constexpr GpsBezelGeometry Geometry(int l, int r, int t, int b, int bw, int bh) {
    return {l, r, t, b, kBitmapWidth, t + 1 + InnerRows(bh, 10) + b, bw, bh, 10};
}

const Style kStyles[5] = {
    {Geometry(10, 10, 16, 26, 20, 14), Ink::GreyLight, Ink::White, Ink::Grey, Ink::FaceLight,
     Ink::Face, Ink::GreyDark, Ink::Black, Ink::White},
    {Geometry(9, 9, 14, 26, 20, 14), Ink::GreyDark, Ink::Grey, Ink::Face, Ink::Black, Ink::Face,
     Ink::FaceLight, Ink::Black, Ink::White},
    {Geometry(11, 11, 18, 28, 20, 16), Ink::Face, Ink::FaceLight, Ink::Black, Ink::Black,
     Ink::GreyDark, Ink::Grey, Ink::Black, Ink::White},
    {Geometry(12, 12, 16, 26, 20, 14), Ink::Paint, Ink::PaintLight, Ink::PaintDark, Ink::PaintDeep,
     Ink::Face, Ink::FaceLight, Ink::Black, Ink::Cream},
    {Geometry(10, 10, 20, 28, 22, 16), Ink::MetalDark, Ink::Metal, Ink::Face, Ink::Black, Ink::Face,
     Ink::GreyDark, Ink::Black, Ink::Amber},
};

constexpr const char* kLabels[10] = {"WPT", "NAV", "NRST", "MENU", "", "", "", "", "OUT", "IN"};

// A button face at (x, y): raised when normal, sunk with its label a pixel lower when pressed.
void DrawButton(Canvas& c, const Style& s, const Inks& k, int x, int y, int index, bool pressed) {
    const int w = s.g.buttonWidth, h = s.g.buttonHeight;
    const int r = x + w - 1, b = y + h - 1;
    c.Bevel(x, y, r, b, k(pressed ? s.buttonDark : s.buttonLight),
            k(pressed ? s.buttonLight : s.buttonDark), k(s.button));
    const int shift = pressed ? 1 : 0;
    const double cx = x + w / 2.0 + shift, cy = y + h / 2.0 + shift;
    const std::uint8_t ink = k(pressed ? Ink::Green : s.label);
    if (kLabels[index][0] != '\0') {
        c.TinyCentred(cx, cy, kLabels[index], ink);
        return;
    }
    // The four arrows: up, down, left, right.
    static constexpr int kDx[4] = {0, 0, -1, 1};
    static constexpr int kDy[4] = {-1, 1, 0, 0};
    const int a = index - 4;
    for (int i = 0; i <= 3; ++i) {
        // Row i of the triangle, from its point back.
        const double px = cx + kDx[a] * (2 - i), py = cy + kDy[a] * (2 - i);
        if (kDx[a] == 0)
            c.Fill(static_cast<int>(px) - i, static_cast<int>(py), static_cast<int>(px) + i,
                   static_cast<int>(py), ink);
        else
            c.Fill(static_cast<int>(px), static_cast<int>(py) - i, static_cast<int>(px),
                   static_cast<int>(py) + i, ink);
    }
}

// The wide pieces: a name plate, a knob, a lamp.
void DrawPiece(Canvas& c, const Style& s, const Inks& k, int x, int y, int piece) {
    const int w = 2 * s.g.buttonWidth + 1, h = s.g.pieceHeight;
    c.Bevel(x, y, x + w - 1, y + h - 1, k(s.light), k(s.dark), k(s.body));
    if (piece == 0) c.TinyCentred(x + w / 2.0, y + h / 2.0, "GPS", k(s.label));
    if (piece == 1) c.Disc(x + w / 2.0, y + h / 2.0, h / 2.0 - 1, k(Ink::Knob));
    if (piece == 2) c.Disc(x + w / 2.0, y + h / 2.0, 2.5, k(Ink::GreenDark));
}

}  // namespace

GpsBezelGeometry GpsBezelGeometryOf(int type) {
    return kStyles[type].g;
}

std::unique_ptr<gfx::GFXBitmap> DrawGpsBezel(int type) {
    const Style& s = kStyles[type];
    const GpsBezelGeometry& g = s.g;
    const Inks k{type};
    auto bitmap = NewPanelBitmap(g.width, g.height, k(s.body));
    Canvas c(*bitmap);
    // The frame: a dark outer edge, a light bevel, and a dark lip round the screen.
    c.Fill(0, 0, g.width - 1, g.height - 1, k(s.edge));
    c.Bevel(1, 1, g.width - 2, g.height - 2, k(s.light), k(s.dark), k(s.body));
    const int il = g.left, it = g.top, ir = g.width - 1 - g.right, ib = g.height - 1 - g.bottom;
    c.Fill(il - 1, it - 1, ir + 1, ib + 1, k(s.dark));
    c.Fill(il, it, ir, ib, 0);
    // Slotted screws in the top corners.
    for (const double cx : {g.left / 2.0, g.width - g.right / 2.0}) {
        c.Disc(cx, g.top / 2.0, 3.0, k(s.dark));
        c.Line(cx - 2, g.top / 2.0 + 1, cx + 2, g.top / 2.0 - 1, 1, k(s.light));
    }
    // The pairs, row by row.
    int y = it + 1;
    for (int piece = 0; piece < 3; ++piece) {
        DrawPiece(c, s, k, il + 1, y, piece);
        y += g.pieceHeight + 1;
    }
    for (int button = 0; button < 10; ++button) {
        DrawButton(c, s, k, il + 1, y, button, false);
        DrawButton(c, s, k, il + 1 + g.buttonWidth + 1, y, button, true);
        y += g.buttonHeight + 1;
    }
    return bitmap;
}

int MakeGpsBezels(Installation& installation, std::string* error) {
    for (int type = 0; type < 5; ++type) {
        auto bitmap = DrawGpsBezel(type);
        Bytes bytes = bitmap ? PanelBmpBytes(*bitmap, type) : Bytes{};
        if (bytes.empty()) {
            *error = std::string("cannot make ") + cockpit::kGpsBezelFiles[type];
            return 0;
        }
        installation.AddMember(kPanelVolume, cockpit::kGpsBezelFiles[type], std::move(bytes));
    }
    return 1;
}

}  // namespace mkdata
