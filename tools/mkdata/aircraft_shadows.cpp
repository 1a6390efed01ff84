// The "aircraft shadows" module: "shad0.bmp" .. "shad4.bmp" in "Art\3DShapes.Vol" (the aircraft
// shapes' folder), one top-view silhouette of each aircraft (172, Bonanza, Baron, King Air,
// CitationJet) as its ground shadow. 128 x 128 pixels, the nose on the top row, the wing span
// across the whole width; colour 0 is transparent, the silhouette one dark world colour.
// The outlines are rough plan forms from each type's published span, length and layout.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/palette_colours.h"

namespace mkdata {

namespace {

constexpr int kSide = 128;

struct Point {
    double x, y;  // x across (+1 the right wing tip), y forward (+1 the top row)
};
using Outline = std::vector<Point>;

// A plan form in units of the half span.
struct PlanForm {
    double nose, tail;                  // fuselage ends
    double bodyHalfWidth;
    double wingRootFront, wingRootBack;  // at the fuselage
    double wingTipFront, wingTipBack;    // at the tip (x = 0.97)
    double tailHalfSpan, tailRootFront, tailTipFront, tailBack;
    double nacelleX, nacelleFront, nacelleBack;  // 0: no wing engines
    double podX, podFront, podBack;              // 0: no engines on the rear fuselage
};

// Spans and lengths in feet: 172 36.1 x 27.2, Bonanza 33.5 x 27.5, Baron 37.8 x 29.8,
// King Air 50.3 x 35.5, CitationJet 46.9 x 42.6.
constexpr PlanForm kPlanForms[5] = {
    {0.62, -0.89, 0.11, 0.20, -0.09, 0.18, -0.08, 0.31, -0.70, -0.74, -0.89, 0, 0, 0, 0, 0, 0},
    {0.66, -0.98, 0.11, 0.24, -0.18, 0.10, -0.04, 0.36, -0.78, -0.84, -0.98, 0, 0, 0, 0, 0, 0},
    {0.68, -0.90, 0.10, 0.20, -0.12, 0.12, -0.04, 0.40, -0.70, -0.76, -0.90, 0.28, 0.50, -0.20, 0, 0, 0},
    {0.60, -0.81, 0.09, 0.14, -0.14, 0.06, -0.04, 0.34, -0.66, -0.74, -0.81, 0.28, 0.42, -0.22, 0, 0, 0},
    {0.86, -0.96, 0.08, 0.10, -0.20, -0.08, -0.20, 0.30, -0.80, -0.90, -0.96, 0, 0, 0, 0.14, -0.34, -0.60},
};

void Mirror(const Outline& right, std::vector<Outline>* parts) {
    parts->push_back(right);
    Outline left;
    for (auto it = right.rbegin(); it != right.rend(); ++it)
        left.push_back({-it->x, it->y});
    parts->push_back(std::move(left));
}

std::vector<Outline> Parts(const PlanForm& f) {
    std::vector<Outline> parts;
    const double w = f.bodyHalfWidth;
    // The fuselage, rounded at the nose and narrowing to the tail.
    parts.push_back({{0, f.nose},
                     {w * 0.6, f.nose - 0.06},
                     {w, f.nose - 0.2},
                     {w, f.wingRootBack - 0.05},
                     {w * 0.3, f.tail},
                     {-w * 0.3, f.tail},
                     {-w, f.wingRootBack - 0.05},
                     {-w, f.nose - 0.2},
                     {-w * 0.6, f.nose - 0.06}});
    Mirror({{0, f.wingRootFront}, {0.97, f.wingTipFront}, {0.97, f.wingTipBack}, {0, f.wingRootBack}},
           &parts);
    Mirror({{0, f.tailRootFront}, {f.tailHalfSpan, f.tailTipFront}, {f.tailHalfSpan, f.tailBack},
            {0, f.tailBack}},
           &parts);
    if (f.nacelleX > 0) {
        const double a = f.nacelleX - 0.05, b = f.nacelleX + 0.05;
        Mirror({{a, f.nacelleFront - 0.03}, {f.nacelleX, f.nacelleFront}, {b, f.nacelleFront - 0.03},
                {b, f.nacelleBack}, {a, f.nacelleBack}},
               &parts);
    }
    if (f.podX > 0) {
        const double a = f.podX - 0.05, b = f.podX + 0.05;
        Mirror({{a, f.podFront}, {b, f.podFront}, {b, f.podBack}, {a, f.podBack}}, &parts);
    }
    return parts;
}

bool Inside(const Outline& o, Point p) {
    bool in = false;
    for (std::size_t i = 0, j = o.size() - 1; i < o.size(); j = i++) {
        const Point& a = o[i];
        const Point& b = o[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
            in = !in;
    }
    return in;
}

}  // namespace

int MakeAircraftShadows(Installation& installation, std::string* error) {
    const std::vector<Rgb> colours = WorldColours(0);
    const std::uint8_t shade = NearestWorldEntry(colours, 40, 44, 40);
    gfx::GFXPaletteEntry entries[256] = {};
    for (int i = 0; i < 256; ++i) {
        const Rgb& c = colours[static_cast<std::size_t>(i)];
        entries[i].red = c.r;
        entries[i].green = c.g;
        entries[i].blue = c.b;
    }
    for (int number = 0; number < 5; ++number) {
        auto picture = gfx::GFXBitmap::Create(kSide, kSide, 8);
        if (!picture) {
            *error = "cannot make the shadow pictures";
            return 0;
        }
        const std::vector<Outline> parts = Parts(kPlanForms[number]);
        for (int y = 0; y < kSide; ++y) {
            std::uint8_t* row = picture->Row(y);
            for (int x = 0; x < kSide; ++x) {
                const Point p{(x + 0.5) * 2.0 / kSide - 1.0, 1.0 - (y + 0.5) * 2.0 / kSide};
                const bool in = std::any_of(parts.begin(), parts.end(),
                                            [&](const Outline& o) { return Inside(o, p); });
                row[x] = in ? shade : 0;
            }
        }
        picture->palette = gfx::GFXPalette::CreateFromEntries(entries);
        Bytes bmp = CollectBytes(
            [&](core::StreamIO& s) { return picture->Write(s, gfx::kBitmapWriteBmp) != 0; });
        if (bmp.empty()) {
            *error = "cannot write the shadow pictures";
            return 0;
        }
        installation.AddMember("Art\\3DShapes.Vol", "shad" + std::to_string(number) + ".bmp",
                               std::move(bmp));
    }
    return 1;
}

}  // namespace mkdata
