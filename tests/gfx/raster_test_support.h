// A surface for the rasterizer tests: 8- or 16-bit pixels inside a larger buffer whose guard
// border is filled with a known byte, so that any write outside the surface shows.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gfx/draw_table.h"
#include "gfx/raster/poly_request.h"
#include "gfx/raster/span_state.h"
#include "gfx/surface.h"

namespace gfx::test {

inline constexpr std::uint8_t kGuard = 0xA5;

class GuardedSurface : public GFXSurface {
public:
    GuardedSurface(std::int32_t w, std::int32_t h, std::int32_t bpp = 8, std::int32_t guard = 64)
        : guard_(guard) {
        width = w;
        height = h;
        bitsPerPixel = bpp;
        kind = kSurfaceKindMemory;
        rowBytes_ = ((w * bpp / 8) + 2 * guard + 15) & ~15;
        store_.assign(static_cast<std::size_t>(rowBytes_) * (h + 2 * guard) + 16, kGuard);
        flags = kSurfaceClipRect;
        clipRect = {0, 0, w - 1, h - 1};
        std::fill(store_.begin(), store_.end(), kGuard);
        ClearInside(0);
    }
    void SetPalette(GFXPalette* p, std::int32_t, std::int32_t, std::uint32_t) override {
        palette = p;
    }
    void SetPaletteDeferred(GFXPalette* p, std::int32_t a, std::int32_t b,
                            std::uint32_t c) override {
        SetPalette(p, a, b, c);
    }
    int Lock() override {
        pixels = Origin();
        stride = rowBytes_;
        return 1;
    }
    void Unlock() override {
        pixels = nullptr;
        stride = 0;
    }
    GFXDeviceContext GetDC() override { return nullptr; }
    void ReleaseDC() override {}
    const GFXDrawTable* GetDrawTable() override { return table; }
    void Flip() override {}
    void Blit(GFXSurface*, const GFXRect&, GFXPoint) override {}

    std::uint8_t* Origin() {
        auto base = reinterpret_cast<std::uintptr_t>(store_.data());
        const std::uintptr_t aligned = (base + 15) & ~static_cast<std::uintptr_t>(15);
        return reinterpret_cast<std::uint8_t*>(aligned) +
               static_cast<std::size_t>(guard_) * rowBytes_ + guard_;
    }
    std::uint8_t At(std::int32_t x, std::int32_t y) { return Origin()[y * rowBytes_ + x]; }
    std::uint16_t At16(std::int32_t x, std::int32_t y) {
        const std::uint8_t* p = Origin() + y * rowBytes_ + 2 * x;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::int32_t RowBytes() const { return rowBytes_; }
    void ClearInside(std::uint8_t v) {
        for (std::int32_t y = 0; y < height; ++y) {
            std::uint8_t* r = Origin() + y * rowBytes_;
            for (std::int32_t x = 0; x < width * bitsPerPixel / 8; ++x)
                r[x] = v;
        }
    }
    // Copies the picture (without the guard) row by row.
    std::vector<std::uint8_t> Picture() {
        std::vector<std::uint8_t> out;
        for (std::int32_t y = 0; y < height; ++y) {
            const std::uint8_t* r = Origin() + y * rowBytes_;
            out.insert(out.end(), r, r + width * bitsPerPixel / 8);
        }
        return out;
    }
    // 1 when every byte outside the picture still holds the guard value.
    bool GuardIntact() {
        const std::uint8_t* o = Origin();
        const std::uint8_t* begin = store_.data();
        const std::uint8_t* end = store_.data() + store_.size();
        const std::int32_t inner = width * bitsPerPixel / 8;
        for (const std::uint8_t* p = begin; p < end; ++p) {
            const std::ptrdiff_t d = p - o;
            const std::ptrdiff_t row = d >= 0 ? d / rowBytes_ : -1;
            const std::ptrdiff_t col = d >= 0 ? d % rowBytes_ : -1;
            const bool inside = d >= 0 && row < height && col < inner;
            if (!inside && *p != kGuard) return false;
        }
        return true;
    }

    const GFXDrawTable* table = &theSoftwareDrawTable;

private:
    std::int32_t guard_;
    std::int32_t rowBytes_ = 0;
    std::vector<std::uint8_t> store_;
};

// A request over caller-owned arrays of points, texture pairs and vertices.
struct Face {
    std::vector<GFXScreenPoint> pts;
    std::vector<GFXTexCoord> tex;
    std::vector<GFXPolyVertex> verts;
    std::vector<const GFXScreenPoint*> pp;
    std::vector<const GFXTexCoord*> tp;
    std::vector<GFXPolyVertex*> vp;
    GFXPolyRequest req;

    void Finish(std::uint32_t flags, std::uint32_t colour) {
        const std::size_t n = pts.size();
        tex.resize(n);
        verts.resize(std::max<std::size_t>(n, 1));
        pp.clear();
        tp.clear();
        vp.clear();
        for (std::size_t i = 0; i < n; ++i) {
            pp.push_back(&pts[i]);
            tp.push_back(&tex[i]);
        }
        for (auto& v : verts)
            vp.push_back(&v);
        while (vp.size() < 20)
            vp.push_back(&verts[0]);
        req = GFXPolyRequest{};
        req.points = pp.data();
        req.texCoords = tp.data();
        req.vertices = vp.data();
        req.count = static_cast<std::int32_t>(n);
        req.flags = flags;
        req.colour = colour;
    }
};

// Draws through the surface's polygon entry.
inline void Draw(GuardedSurface& s, Face& f) {
    s.table->DrawPolygon(&s, &f.req);
}

}  // namespace gfx::test
