// The GPS window's bezel: measured and cut from one bitmap per aircraft, tiled round the window
// at any size, with the ten push buttons laid out on its bottom border.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "cockpit/gps_display.h"
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"

namespace cockpit {

namespace {

struct Source {
    const std::uint8_t* pixels;
    int width;
    int height;
    int stride;
    [[nodiscard]] std::uint8_t At(int px, int py) const {
        return pixels[static_cast<std::ptrdiff_t>(py) * stride + px];
    }
    [[nodiscard]] GpsImage Cut(int left, int top, int w, int h) const {
        GpsImage img;
        if (w <= 0 || h <= 0) return img;
        img.w = w;
        img.h = h;
        img.pixels.resize(static_cast<std::size_t>(w) * h);
        for (int row = 0; row < h; ++row)
            std::memcpy(&img.pixels[static_cast<std::size_t>(row) * w],
                        pixels + static_cast<std::ptrdiff_t>(top + row) * stride + left,
                        static_cast<std::size_t>(w));
        return img;
    }
    // The run of drawn pixels from (px, py) stepping by (dx, dy), at most `limit` long.
    [[nodiscard]] int Run(int px, int py, int dx, int dy, int limit) const {
        int n = 0;
        while (n < limit && At(px + n * dx, py + n * dy) != 0)
            ++n;
        return n;
    }
};

}  // namespace

GpsBezel CutGpsBezel(const std::uint8_t* pixels, int width, int height, int stride) {
    GpsBezel b;
    if (pixels == nullptr || width <= 0 || height <= 0) return b;
    const Source s{pixels, width, height, stride};
    // Each border is kept below half the bitmap's side, so a bitmap drawn all over still leaves
    // a middle.
    const int midRow = height / 2, midCol = width / 2;
    b.left = std::min(s.Run(0, midRow, 1, 0, width), (width - 1) / 2);
    b.right = std::min(s.Run(width - 1, midRow, -1, 0, width), (width - 1) / 2);
    b.top = std::min(s.Run(midCol, 0, 0, 1, height), (height - 1) / 2);
    b.bottom = std::min(s.Run(midCol, height - 1, 0, -1, height), (height - 1) / 2);
    const int innerW = width - b.left - b.right, innerH = height - b.top - b.bottom;
    b.corners[0] = s.Cut(0, 0, b.left, b.top);
    b.corners[1] = s.Cut(width - b.right, 0, b.right, b.top);
    b.corners[2] = s.Cut(0, height - b.bottom, b.left, b.bottom);
    b.corners[3] = s.Cut(width - b.right, height - b.bottom, b.right, b.bottom);
    b.leftStrip = s.Cut(0, b.top, b.left, innerH);
    b.rightStrip = s.Cut(width - b.right, b.top, b.right, innerH);
    b.topStrip = s.Cut(b.left, 0, innerW, b.top);
    b.bottomStrip = s.Cut(b.left, height - b.bottom, innerW, b.bottom);
    // The image pairs, one row each, a pixel inside the frame's top-left.
    const int x0 = b.left + 1, right = width - b.right, bottom = height - b.bottom;
    if (x0 >= right) return b;
    int py = b.top + 1;
    for (int id = 0; id < 26; id += 2) {
        while (py < bottom && s.At(x0, py) == 0)
            ++py;
        if (py >= bottom) break;
        const int w = s.Run(x0, py, 1, 0, right - x0);
        const int h = s.Run(x0, py, 0, 1, bottom - py);
        if (id < 6) {
            // The wide pieces cover both halves when the second lies inside the frame.
            const int wide = 2 * w + 1;
            b.images[id] = s.Cut(x0, py, x0 + wide <= right ? wide : w, h);
        } else {
            b.images[id] = s.Cut(x0, py, w, h);
            int px = x0 + w;
            while (px < right && s.At(px, py) == 0)
                ++px;
            if (px < right) b.images[id + 1] = s.Cut(px, py, s.Run(px, py, 1, 0, right - px), h);
        }
        py += h;
    }
    return b;
}

GpsDisplay::~GpsDisplay() = default;

void GpsDisplay::LoadBezel(int aircraftType) {
    core::ResourceVolume& volume = core::thePanelVolume;
    const int t = aircraftType >= 0 && aircraftType < 5 ? aircraftType : 0;
    if (bezelType == t) return;
    bezelType = t;
    std::unique_ptr<gfx::GFXBitmap> bitmap = volume.LoadBitmap(kGpsBezelFiles[t], 0);
    if (bitmap && bitmap->bitsPerPixel == 8 && bitmap->pixels != nullptr)
        SetBezel(
            CutGpsBezel(bitmap->pixels, bitmap->width, std::abs(bitmap->height), bitmap->stride));
    else
        SetBezel(GpsBezel{});
}

void GpsDisplay::SetBezel(GpsBezel b) {
    bezel = std::move(b);
    SetBorders(bezel.left, bezel.right, bezel.top, bezel.bottom);
}

void GpsDisplay::PutImage(const GpsImage& img, int px, int py, int sx, int sy, int w, int h) {
    for (int row = 0; row < h; ++row) {
        const int ty = py + row;
        if (ty < 0 || ty >= height) continue;
        const std::uint8_t* src = &img.pixels[static_cast<std::size_t>(sy + row) * img.w + sx];
        for (int col = 0; col < w; ++col) {
            const int tx = px + col;
            if (tx >= 0 && tx < width && src[col] != 0)
                page[static_cast<std::size_t>(ty) * width + tx] = src[col];
        }
    }
}

void GpsDisplay::DrawFrame(bool fill) {
    if (page.size() != static_cast<std::size_t>(width) * height)
        page.assign(static_cast<std::size_t>(width) * height, colors[kBgnFill]);
    else if (fill)
        std::fill(page.begin(), page.end(), colors[kBgnFill]);
    const GpsBezel& b = bezel;
    // Each strip from the border inward, stopping before the far border.
    auto tileDown = [&](const GpsImage& img, int px) {
        if (img.h <= 0) return;
        for (int py = b.top; py < height - b.bottom; py += img.h)
            PutImage(img, px, py, 0, 0, img.w, std::min(img.h, height - b.bottom - py));
    };
    auto tileAcross = [&](const GpsImage& img, int py) {
        if (img.w <= 0) return;
        for (int px = b.left; px < width - b.right; px += img.w)
            PutImage(img, px, py, 0, 0, std::min(img.w, width - b.right - px), img.h);
    };
    tileDown(b.leftStrip, 0);
    tileDown(b.rightStrip, width - b.right);
    tileAcross(b.topStrip, 0);
    tileAcross(b.bottomStrip, height - b.bottom);
    const GpsImage* c = b.corners.data();
    PutImage(c[0], 0, 0, 0, 0, c[0].w, c[0].h);
    PutImage(c[1], width - c[1].w, 0, 0, 0, c[1].w, c[1].h);
    PutImage(c[2], 0, height - c[2].h, 0, 0, c[2].w, c[2].h);
    PutImage(c[3], width - c[3].w, height - c[3].h, 0, 0, c[3].w, c[3].h);
}

void GpsDisplay::LayoutButtons() {
    const auto& img = bezel.images;
    auto gapBefore = [](int id) {
        return id == kGpsMenu || id == kGpsUp || id == kGpsLeft || id == kGpsZoomOut ? 6 : 0;
    };
    int total = 24, tallest = 0;
    for (int id = 6; id <= 24; id += 2) {
        total += img[id].w;
        tallest = std::max(tallest, img[id].h);
    }
    const int middle = height - bezel.bottom + bezel.bottom / 2;
    int px = (width - total) / 2;
    for (int id = 6; id <= 24; id += 2) {
        px += gapBefore(id);
        const int top = middle - img[id].h / 2;
        buttonRects[(id - 6) / 2] = {px, top, px + img[id].w, top + img[id].h};
        px += img[6].w;
    }
    const int top = middle - tallest / 2;
    buttonBar = {buttonRects[0].left - 4, top, buttonRects[9].right + 4, top + tallest};
    if (tallest == 0) buttonBar = {};
}

int GpsDisplay::ButtonAt(std::int32_t lx, std::int32_t ly) const {
    for (int id = 6; id <= 24; id += 2) {
        const GpsRect& r = buttonRects[(id - 6) / 2];
        if (r.right > r.left && r.Holds(lx, ly)) return id;
    }
    return 0;
}

// The bezel's three pieces along its top border, whose middle third holds the map's range: the
// name plate at the left end, the knob after it, the lamp at the right end, each only where it
// fits clear of that middle and of the others.
void GpsDisplay::DrawBezelPieces() {
    const GpsImage& plate = bezel.images[0];
    const GpsImage& knob = bezel.images[2];
    const GpsImage& lamp = bezel.images[4];
    const int middleLeft = width / 3, middleRight = width - width / 3;
    int px = bezel.left + 2;
    for (const GpsImage* piece : {&plate, &knob}) {
        if (piece->w <= 0 || piece->h > bezel.top || px + piece->w > middleLeft) continue;
        PutImage(*piece, px, (bezel.top - piece->h) / 2, 0, 0, piece->w, piece->h);
        px += piece->w + 4;
    }
    const int lampX = width - bezel.right - lamp.w - 2;
    if (lamp.w > 0 && lamp.h <= bezel.top && lampX >= middleRight)
        PutImage(lamp, lampX, (bezel.top - lamp.h) / 2, 0, 0, lamp.w, lamp.h);
}

void GpsDisplay::DrawButtonBar() {
    LayoutButtons();
    DrawBezelPieces();
    bool showedHighlight = false;
    for (int id = 6; id <= 24; id += 2) {
        const bool pressed = id == 6 + 2 * mode || (id >= kGpsMenu && id == highlight);
        showedHighlight |= id >= kGpsMenu && id == highlight;
        const GpsImage& img = bezel.images[pressed && bezel.images[id + 1].w > 0 ? id + 1 : id];
        const GpsRect& r = ButtonRect(id);
        PutImage(img, r.left, r.top, 0, 0, img.w, img.h);
    }
    // A press shows for one redraw.
    if (showedHighlight) {
        highlight = 0;
        redrawNow = true;
    }
}

void GpsDisplay::Redraw() {
    if (menuOpen) {
        DrawFrame(true);
        DrawMenuPage();
    } else {
        DrawPage();
    }
    DrawButtonBar();
}

}  // namespace cockpit
