// The cockpit panels as the art maker laid them out and as the program shows them: the layout
// the data maker prints (mkdata --panel-layout: every text and face of each panel on the screen
// of its full view), the 8-bit screenshots the runner writes read as palette indices, the panel
// art of the starter installation, and the digits of a panel window read back with the
// installation's own font (each cell compared with the font's glyphs).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "support/run_command.h"

namespace testsupport {

struct LayoutBox {
    std::string what;
    int owner = 0;
    int left = 0, top = 0, right = 0, bottom = 0;  // edges inside
    double cx = 0, cy = 0, radius = 0;             // a disc when the radius is above 0
};

struct PanelLayout {
    int type = 0;
    bool swapped = false;  // the Baron's engine gauges in its stack's place
    bool lower = false;    // the lower view's picture (on the full view's rows)
    std::vector<LayoutBox> texts;
    std::vector<LayoutBox> marks;  // the numbers and words on the gauges' own faces
    std::vector<LayoutBox> faces;
    std::string fault;
};

// The layouts mkdata prints, in its order (types 0 to 4, the Baron swapped, the C172's and the
// Bonanza's lower views); empty when the maker cannot run. `status` gets its exit status.
inline std::vector<PanelLayout> ReadPanelLayouts(int* status) {
    const CommandResult r =
        RunCommand(std::string("'") + ZEPHLON_BINARY_DIR + "/bin/mkdata' --panel-layout");
    if (status != nullptr) *status = r.status;
    std::vector<PanelLayout> out;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::string kind;
        f >> kind;
        if (kind == "panel") {
            out.emplace_back();
            f >> out.back().type;
            std::string rest;
            f >> rest;
            out.back().swapped = rest == "swapped";
            out.back().lower = rest == "lower";
            continue;
        }
        if (out.empty()) continue;
        LayoutBox b;
        if (kind == "text" || kind == "face" || kind == "mark") {
            f >> b.owner >> b.left >> b.top >> b.right >> b.bottom;
        } else if (kind == "disc") {
            f >> b.owner >> b.cx >> b.cy >> b.radius;
            b.left = static_cast<int>(std::floor(b.cx - b.radius));
            b.top = static_cast<int>(std::floor(b.cy - b.radius));
            b.right = static_cast<int>(std::ceil(b.cx + b.radius));
            b.bottom = static_cast<int>(std::ceil(b.cy + b.radius));
        } else if (kind == "fault") {
            std::getline(f, out.back().fault);
            continue;
        } else {
            continue;
        }
        std::getline(f >> std::ws, b.what);
        (kind == "text"   ? out.back().texts
         : kind == "mark" ? out.back().marks
                          : out.back().faces)
            .push_back(b);
    }
    return out;
}

// Whether a face covers any pixel of a box (a disc by the pixels' centres' nearest point).
inline bool Covers(const LayoutBox& face, const LayoutBox& box) {
    if (face.left > box.right || box.left > face.right || face.top > box.bottom ||
        box.top > face.bottom)
        return false;
    if (face.radius <= 0) return true;
    const double nx = std::fmin(std::fmax(face.cx, box.left + 0.0), box.right + 1.0);
    const double ny = std::fmin(std::fmax(face.cy, box.top + 0.0), box.bottom + 1.0);
    return std::hypot(nx - face.cx, ny - face.cy) < face.radius;
}

// An 8-bit picture as palette indices, top row first.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    [[nodiscard]] std::uint8_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    [[nodiscard]] bool Holds(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
};

// A runner's 8-bit screenshot as indices; empty when it is not one.
inline IndexedPicture ScreenIndices(const std::string& bmp) {
    IndexedPicture p;
    const auto* b = reinterpret_cast<const std::uint8_t*>(bmp.data());
    auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8); };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (bmp.size() < 54 || b[0] != 'B' || b[1] != 'M' || u16(28) != 8) return p;
    const auto w = static_cast<int>(u32(18)), h = static_cast<int>(u32(22));
    const std::size_t stride = (static_cast<std::size_t>(w) + 3) / 4 * 4;
    if (w <= 0 || h <= 0 || bmp.size() < u32(10) + stride * static_cast<std::size_t>(h)) return p;
    p.width = w;
    p.height = h;
    p.pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                     static_cast<std::size_t>(x)] =
                b[u32(10) + stride * static_cast<std::size_t>(h - 1 - y) +
                  static_cast<std::size_t>(x)];
    return p;
}

// A member of the starter installation's panel volume.
inline std::unique_ptr<gfx::GFXBitmap> InstalledPanelBitmap(const std::string& name) {
    const std::string install = std::string(ZEPHLON_BINARY_DIR) + "/install";
    core::ResourceVolume panel((install + "/Art/Panel.Vol").c_str(),
                               (install + "/Art/Panel").c_str(), 0);
    return panel.LoadBitmap(name.c_str(), 0);
}
inline std::unique_ptr<gfx::GFXFont> InstalledPanelFont(const std::string& name) {
    const std::string install = std::string(ZEPHLON_BINARY_DIR) + "/install";
    core::ResourceVolume panel((install + "/Art/Panel.Vol").c_str(),
                               (install + "/Art/Panel").c_str(), 0);
    return panel.LoadFont(name.c_str());
}
inline IndexedPicture Indices(const gfx::GFXBitmap& b) {
    IndexedPicture p;
    p.width = b.width;
    p.height = std::abs(b.height);
    p.pixels.resize(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height));
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) +
                     static_cast<std::size_t>(x)] = b.Row(y)[x];
    return p;
}

// The text an opaque digit font shows at a text point (the glyphs fill the rows above it), one
// cell a `pitch`: each cell is the character whose glyph it equals, or '?'.
inline std::string ReadPanelText(const IndexedPicture& screen, const gfx::GFXFont& font, int x,
                                 int baseline, int cells, int pitch, const char* alphabet) {
    std::string text;
    for (int c = 0; c < cells; ++c) {
        char found = '?';
        for (const char* a = alphabet; *a != '\0' && found == '?'; ++a) {
            std::int32_t vo = 0;
            const gfx::GFXBitmap* g = font.GetGlyph(static_cast<unsigned char>(*a), &vo);
            if (g == nullptr) continue;
            const int h = std::abs(g->height);
            bool same = true;
            for (int gy = 0; gy < h && same; ++gy)
                for (int gx = 0; gx < g->width && same; ++gx) {
                    const int sx = x + c * pitch + gx, sy = baseline - h + gy;
                    same = screen.Holds(sx, sy) && screen.At(sx, sy) == g->Row(gy)[gx];
                }
            if (same) found = *a;
        }
        text += found;
    }
    return text;
}

// The ink and window colours of an opaque digit font: a lit and an unlit pixel of its "8" (the
// 8's corners are unlit).
struct FontInks {
    int digit = -1, window = -1;
};
inline FontInks InksOf(const gfx::GFXFont& font) {
    FontInks k;
    std::int32_t vo = 0;
    const gfx::GFXBitmap* g = font.GetGlyph('8', &vo);
    if (g == nullptr) return k;
    k.window = g->Row(0)[0];
    for (int y = 0; y < std::abs(g->height) && k.digit < 0; ++y)
        for (int x = 0; x < g->width; ++x)
            if (g->Row(y)[x] != k.window) k.digit = g->Row(y)[x];
    return k;
}

}  // namespace testsupport
