// gfxview: draws a test scene through the software draw tables and writes it as an 8-bit BMP.
// Textured and perspective objects over a checker ground, translucent faces, lines, ellipses and
// an instrument dial with its numbers. Headless; the window comes with the window system.
//
//   gfxview [--out file.bmp] [--time 0..7] [--gamma 0..20] [--frames n] [--mode 8|16]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/palette.h"
#include "gfx/raster/coverage_list.h"
#include "gfx/raster/poly_request.h"
#include "gfx/raster/span_state.h"

using namespace gfx;

namespace {

constexpr int kW = 640, kH = 480;

struct Options {
    std::string out = "gfxview.bmp";
    int time = 7;    // 0 night .. 7 noon
    int gamma = 10;  // 0..20
    int frames = 1;
    int bits = 8;
};

// Palette: 8 ramps of 30 shades (grey, green, brown, blue, red, yellow, cyan, white-ish).
void BuildPalette(GFXPalette& p, const Options& o) {
    const int base[8][3] = {{255, 255, 255}, {60, 170, 60},  {150, 100, 50}, {70, 110, 230},
                            {220, 50, 40},   {240, 210, 60}, {60, 200, 210}, {250, 240, 220}};
    const double g = (1.0 + o.gamma / 30.0) * 0.5;
    for (int i = 0; i < 256; ++i) {
        GFXPaletteEntry e{};
        if (i >= 10 && i < 250) {
            const int ramp = (i - 10) / 30, k = (i - 10) % 30;
            const double f = std::pow((k + 1) / 30.0, g);
            e = {static_cast<std::uint8_t>(base[ramp][0] * f),
                 static_cast<std::uint8_t>(base[ramp][1] * f),
                 static_cast<std::uint8_t>(base[ramp][2] * f), 0};
        }
        p.entries[i] = e;
    }
    // Shade rows: 8 daylight levels of 32 intensities.
    std::vector<std::uint8_t> shade(std::size_t{1} << 16);
    for (int level = 0; level < 8; ++level) {
        const double day = 0.25 + 0.75 * level / 7.0;
        for (int in = 0; in < 32; ++in) {
            for (int c = 0; c < 256; ++c) {
                const GFXPaletteEntry& e = p.entries[c];
                const double f = day * in / 31.0;
                const auto pack = [&](double v) {
                    return static_cast<std::uint32_t>(std::min(255.0, v * f));
                };
                const std::uint32_t rgb = pack(e.red) | (pack(e.green) << 8) | (pack(e.blue) << 16);
                shade[static_cast<std::size_t>(((level * 32 + in) << 8) | c)] =
                    static_cast<std::uint8_t>(c < 10 ? c : p.FindNearest(rgb));
            }
        }
    }
    p.SetShadeTable(5, 3, shade.data());
    p.shadeLevel = o.time;
    // One translucency level: the mean of the two colours.
    std::vector<std::uint8_t> blend(65536);
    for (int c = 0; c < 256; ++c) {
        for (int d = 0; d < 256; ++d) {
            const GFXPaletteEntry& a = p.entries[c];
            const GFXPaletteEntry& b = p.entries[d];
            const std::uint32_t rgb = ((a.red + b.red) / 2) | (((a.green + b.green) / 2) << 8) |
                                      (((a.blue + b.blue) / 2) << 16);
            blend[static_cast<std::size_t>(c * 256 + d)] =
                static_cast<std::uint8_t>(p.FindNearest(rgb));
        }
    }
    p.SetTranslucentTable(0, 1, 200, blend.data(), 65536);
    p.BuildColors16(kPixelFormat565);
}

int Ramp(int ramp, double f) {
    return 10 + ramp * 30 + std::clamp(static_cast<int>(f * 29), 0, 29);
}

std::unique_ptr<GFXBitmap> Checker() {
    auto t = GFXBitmap::Create(256, 256, 8);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const bool dark = ((x >> 5) ^ (y >> 5)) & 1;
            t->Row(y)[x] =
                static_cast<std::uint8_t>(Ramp(1, dark ? 0.45 : 0.85) + ((x * 7 + y * 3) % 3));
        }
    }
    return t;
}

std::unique_ptr<GFXBitmap> Bricks() {
    auto t = GFXBitmap::Create(256, 256, 8);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const int row = y / 32, off = (row & 1) * 32;
            const bool mortar = y % 32 < 3 || (x + off) % 64 < 3;
            const bool hole = (x - 128) * (x - 128) + (y - 128) * (y - 128) < 900;
            t->Row(y)[x] = static_cast<std::uint8_t>(
                hole ? 0 : (mortar ? Ramp(0, 0.7) : Ramp(4, 0.5 + (x ^ y) % 7 * 0.05)));
        }
    }
    return t;
}

struct Camera {
    double x = 0, y = 1.6, z = -6, yaw = 0;
    double f = 420;
    // Screen point with 4 bits of sub-pixel precision and the reciprocal depth; false when
    // behind the near plane.
    bool Project(double X, double Y, double Z, GFXScreenPoint& out) const {
        const double dx = X - x, dy = Y - y, dz = Z - z;
        const double cx = dx * std::cos(yaw) - dz * std::sin(yaw);
        const double cz = dx * std::sin(yaw) + dz * std::cos(yaw);
        if (cz < 0.3) return false;
        out.x = static_cast<std::int32_t>((kW / 2 + f * cx / cz) * 16);
        out.y = static_cast<std::int32_t>((kH / 2 - f * dy / cz) * 16);
        out.w = static_cast<float>(1.0 / cz);
        return true;
    }
};

void DrawGround(GFXDrawTarget& t, const Camera& cam, const GFXBitmap* tex) {
    GFXFaceMaterial m{0, tex, 0};
    for (int gz = 0; gz < 16; ++gz) {
        for (int gx = -8; gx < 8; ++gx) {
            GFXScreenPoint p[4];
            const double x0 = gx * 4.0, z0 = gz * 4.0 - 4;
            const double corners[4][2] = {{x0, z0 + 4}, {x0 + 4, z0 + 4}, {x0 + 4, z0}, {x0, z0}};
            bool ok = true;
            for (int i = 0; i < 4; ++i)
                ok = ok && cam.Project(corners[i][0], 0, corners[i][1], p[i]);
            if (!ok) continue;
            const GFXTexCoord tc[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            const GFXScreenPoint* pp[4] = {&p[0], &p[1], &p[2], &p[3]};
            const GFXTexCoord* tp[4] = {&tc[0], &tc[1], &tc[2], &tc[3]};
            // The ground takes the daylight of the time of day through its face shade.
            const GFXColourTriple light{60000, 60000, 60000};
            const GFXColourTriple* lc[1] = {&light};
            DrawQuadPerspectiveFlat(t, m, pp, lc, tp);
        }
    }
}

void DrawCube(GFXDrawTarget& t, const Camera& cam, const GFXBitmap* tex, double cx, double cz,
              double angle, bool perspective) {
    const double s = 1.0;
    double v[8][3];
    for (int i = 0; i < 8; ++i) {
        const double lx = (i & 1 ? s : -s), ly = (i & 2 ? 2 * s : 0), lz = (i & 4 ? s : -s);
        v[i][0] = cx + lx * std::cos(angle) - lz * std::sin(angle);
        v[i][1] = ly;
        v[i][2] = cz + lx * std::sin(angle) + lz * std::cos(angle);
    }
    const int faces[6][4] = {{2, 3, 1, 0}, {7, 6, 4, 5}, {6, 2, 0, 4},
                             {3, 7, 5, 1}, {6, 7, 3, 2}, {0, 1, 5, 4}};
    GFXFaceMaterial m{0, tex, 1};  // texel 0 is transparent
    for (const auto& f : faces) {
        GFXScreenPoint p[4];
        bool ok = true;
        for (int i = 0; i < 4; ++i)
            ok = ok && cam.Project(v[f[i]][0], v[f[i]][1], v[f[i]][2], p[i]);
        if (!ok) continue;
        const GFXTexCoord tc[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        const GFXScreenPoint* pp[4] = {&p[0], &p[1], &p[2], &p[3]};
        const GFXTexCoord* tp[4] = {&tc[0], &tc[1], &tc[2], &tc[3]};
        if (perspective) {
            DrawQuadPerspective(t, m, pp, tp);
        } else {
            DrawQuadTextured(t, m, pp, tp);
        }
    }
}

// Seven-segment digits drawn with lines.
void DrawDigit(GFXSurface* s, int d, int x, int y, int size, std::uint32_t colour) {
    static const unsigned char segs[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                           0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const GFXDrawTable& t = *s->GetDrawTable();
    const int w = size / 2, h = size;
    const GFXPoint a{x, y}, b{x + w, y}, c{x + w, y + h / 2}, e{x, y + h / 2}, f{x + w, y + h},
        g{x, y + h};
    const GFXPoint lines[7][2] = {{a, b}, {b, c}, {c, f}, {g, f}, {e, g}, {a, e}, {e, c}};
    for (int i = 0; i < 7; ++i) {
        if ((segs[d % 10] >> i) & 1) t.DrawSegment(s, lines[i][0], lines[i][1], colour);
    }
}

void DrawNumber(GFXSurface* s, int n, int cx, int cy, int size, std::uint32_t colour) {
    const std::string text = std::to_string(n);
    const int advance = size / 2 + 3;
    int x = cx - static_cast<int>(text.size()) * advance / 2;
    for (char ch : text) {
        DrawDigit(s, ch - '0', x, cy - size / 2, size, colour);
        x += advance;
    }
}

// An airspeed dial: face, rim, ticks, numbers and a needle polygon.
void DrawInstrument(GFXSurface* s, GFXDrawTarget& t, int cx, int cy, int r, double value) {
    const GFXDrawTable& d = *s->GetDrawTable();
    d.FillEllipse(s, {cx - r, cy - r, cx + r, cy + r}, static_cast<std::uint32_t>(Ramp(0, 0.12)));
    d.DrawEllipse(s, {cx - r, cy - r, cx + r, cy + r}, static_cast<std::uint32_t>(Ramp(0, 0.8)));
    d.DrawEllipse(s, {cx - r + 3, cy - r + 3, cx + r - 3, cy + r - 3},
                  static_cast<std::uint32_t>(Ramp(0, 0.5)));
    for (int k = 0; k <= 40; ++k) {
        const double a = -M_PI * 0.75 + k * (1.5 * M_PI / 40);
        const int inner = k % 5 == 0 ? r - 14 : r - 8;
        d.DrawSegment(s,
                      {cx + static_cast<int>(std::sin(a) * inner),
                       cy - static_cast<int>(std::cos(a) * inner)},
                      {cx + static_cast<int>(std::sin(a) * (r - 4)),
                       cy - static_cast<int>(std::cos(a) * (r - 4))},
                      static_cast<std::uint32_t>(Ramp(7, 0.95)));
        if (k % 10 == 0) {
            DrawNumber(s, k * 5, cx + static_cast<int>(std::sin(a) * (r - 28)),
                       cy - static_cast<int>(std::cos(a) * (r - 28)), 10,
                       static_cast<std::uint32_t>(Ramp(7, 0.95)));
        }
    }
    const double a = -M_PI * 0.75 + value / 200.0 * 1.5 * M_PI;
    const double sa = std::sin(a), ca = std::cos(a);
    GFXScreenPoint p[3] = {
        {cx + static_cast<int>(sa * (r - 10)), cy - static_cast<int>(ca * (r - 10)), 0, 1},
        {cx + static_cast<int>(ca * 4), cy + static_cast<int>(sa * 4), 0, 1},
        {cx - static_cast<int>(ca * 4), cy - static_cast<int>(sa * 4), 0, 1}};
    const GFXScreenPoint* pp[3] = {&p[0], &p[1], &p[2]};
    const std::uint32_t saved = t.flags;
    t.flags = 0;  // whole-pixel points
    DrawTriangleSolid(t, GFXFaceMaterial{static_cast<std::uint32_t>(Ramp(5, 0.95)), nullptr, 0},
                      pp);
    GFXScreenPoint q[3] = {p[0], p[2], p[1]};  // the other winding, so that either order shows
    const GFXScreenPoint* qq[3] = {&q[0], &q[1], &q[2]};
    DrawTriangleSolid(t, GFXFaceMaterial{static_cast<std::uint32_t>(Ramp(5, 0.95)), nullptr, 0},
                      qq);
    t.flags = saved;
    d.FillEllipse(s, {cx - 5, cy - 5, cx + 5, cy + 5}, static_cast<std::uint32_t>(Ramp(0, 0.3)));
}

void DrawFrame(GFXMemSurface& s, GFXDrawTarget& t, const Camera& cam, const GFXBitmap* checker,
               const GFXBitmap* bricks, int frame) {
    const GFXDrawTable& d = *s.GetDrawTable();
    d.Clear(&s, static_cast<std::uint32_t>(Ramp(3, 0.9)));
    d.FillRectangle(&s, {0, 0, kW - 1, 150}, static_cast<std::uint32_t>(Ramp(3, 0.75)));
    t.Begin();
    t.flags = kPolySubpixel;
    t.coordinateShift = 4;
    DrawGround(t, cam, checker);
    DrawCube(t, cam, bricks, -2.5, 6, 0.5 + frame * 0.05, false);
    DrawCube(t, cam, bricks, 2.5, 8, -0.4 - frame * 0.05, true);
    // Translucent panes and a flat-shaded slab.
    {
        GFXScreenPoint p[4];
        const double pts[4][3] = {{-3.5, 2.6, 5}, {0.5, 2.6, 5}, {0.5, 0.2, 5}, {-3.5, 0.2, 5}};
        bool ok = true;
        for (int i = 0; i < 4; ++i)
            ok = ok && cam.Project(pts[i][0], pts[i][1], pts[i][2], p[i]);
        if (ok) {
            const GFXScreenPoint* pp[4] = {&p[0], &p[1], &p[2], &p[3]};
            GFXPolyRequest& q = thePolyRequest;
            thePolyVertexPointers[0]->blendLevel = 1;
            q.points = pp;
            q.count = 4;
            q.flags = t.flags | kPolyTranslucent;
            q.colour = static_cast<std::uint32_t>(Ramp(5, 0.95));
            q.subpixelShift = 4;
            q.vertices = thePolyVertexPointers;
            d.DrawPolygon(&s, &q);
        }
        GFXScreenPoint r[4];
        const double pts2[4][3] = {{-4, 0.6, 10}, {4, 0.6, 10}, {4, 0.1, 9}, {-4, 0.1, 9}};
        ok = true;
        for (int i = 0; i < 4; ++i)
            ok = ok && cam.Project(pts2[i][0], pts2[i][1], pts2[i][2], r[i]);
        if (ok) {
            const GFXScreenPoint* rr[4] = {&r[0], &r[1], &r[2], &r[3]};
            const GFXColourTriple light{40000, 40000, 40000};
            const GFXColourTriple* lc[1] = {&light};
            DrawQuadFlatShaded(
                t, GFXFaceMaterial{static_cast<std::uint32_t>(Ramp(6, 0.9)), nullptr, 0}, rr, lc);
        }
    }
    t.End();
    // 2D overlay: an instrument, lines and ellipses.
    t.Begin();
    DrawInstrument(&s, t, 90, 390, 80, 40 + (frame * 7) % 160);
    t.End();
    d.DrawRectangle(&s, {190, 320, 630, 470}, static_cast<std::uint32_t>(Ramp(0, 0.9)));
    for (int k = 0; k < 8; ++k) {
        const double a = k * M_PI / 4 + 0.2;
        d.DrawSegment(
            &s, {300, 395},
            {300 + static_cast<int>(std::cos(a) * 60), 395 + static_cast<int>(std::sin(a) * 60)},
            static_cast<std::uint32_t>(Ramp(k % 8, 0.9)));
    }
    for (int k = 0; k < 6; ++k) {
        d.DrawEllipse(&s, {400 + k * 8, 340 + k * 5, 600 - k * 8, 450 - k * 5},
                      static_cast<std::uint32_t>(Ramp(5, 0.4 + k * 0.1)));
    }
    d.FillEllipse(&s, {470, 370, 530, 420}, static_cast<std::uint32_t>(Ramp(4, 0.8)));
    DrawNumber(&s, 12345, 500, 300, 16, static_cast<std::uint32_t>(Ramp(5, 0.95)));
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--out") {
            o.out = next();
        } else if (a == "--time") {
            o.time = std::clamp(std::atoi(next()), 0, 7);
        } else if (a == "--gamma") {
            o.gamma = std::clamp(std::atoi(next()), 0, 20);
        } else if (a == "--frames") {
            o.frames = std::max(1, std::atoi(next()));
        } else if (a == "--mode") {
            o.bits = std::atoi(next()) == 16 ? 16 : 8;
        } else {
            std::fprintf(stderr,
                         "usage: gfxview [--out file.bmp] [--time 0..7] [--gamma 0..20] [--frames "
                         "n] [--mode 8|16]\n");
            return 2;
        }
    }
    GFXSurface::InitSpanPool(3000);
    GFXMemSurface::SetDrawTable(&theSoftwareDrawTable);
    auto palette = std::make_unique<GFXPalette>();
    BuildPalette(*palette, o);
    auto surface = GFXMemSurface::Create(kW, kH, o.bits);
    if (!surface) {
        std::fprintf(stderr, "gfxview: no surface\n");
        return 1;
    }
    surface->palette = palette.get();
    surface->clipRect = {0, 0, kW - 1, kH - 1};
    auto checker = Checker();
    auto bricks = Bricks();
    GFXDrawTarget target(surface.get());
    Camera cam;
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < o.frames; ++frame) {
        cam.yaw = 0.1 * std::sin(frame * 0.05);
        DrawFrame(*surface, target, cam, checker.get(), bricks.get(), frame);
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("gfxview: %d frame(s), %.3f ms per frame\n", o.frames, ms / o.frames);
    if (o.bits != 8) return 0;  // the screenshot is an 8-bit picture
    GFXBitmap* shot = surface->GetBitmap();
    shot->palette = std::make_unique<GFXPalette>();
    std::memcpy(shot->palette->entries, palette->entries, sizeof palette->entries);
    if (shot->Save(o.out, kBitmapWriteBmp) == 0) {
        std::fprintf(stderr, "gfxview: cannot write %s\n", o.out.c_str());
        return 1;
    }
    std::printf("gfxview: wrote %s\n", o.out.c_str());
    return 0;
}
