// The marks of the pilot's status list, 16 x 16 pictures for the resource pack drawn beside the
// skin: a green check (flown well), a grey check (flown), a red cross (needs more work) and an
// empty box (not flown yet), each in a thin grey box on white.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

constexpr int kSize = 16;
enum Colour : std::uint8_t { kWhite, kFrame, kGreen, kGrey, kRed };
constexpr std::uint8_t kColours[5][3] = {
    {255, 255, 255}, {150, 150, 150}, {20, 150, 40}, {130, 130, 130}, {210, 30, 30}};

// A stroke two pixels wide from (x0, y0) to (x1, y1).
void Stroke(std::vector<std::uint8_t>& p, double x0, double y0, double x1, double y1, Colour c) {
    const int steps = 64;
    for (int i = 0; i <= steps; ++i) {
        const double x = x0 + (x1 - x0) * i / steps;
        const double y = y0 + (y1 - y0) * i / steps;
        for (int dy = 0; dy <= 1; ++dy)
            for (int dx = 0; dx <= 1; ++dx) {
                const int px = static_cast<int>(std::lround(x)) + dx - 1;
                const int py = static_cast<int>(std::lround(y)) + dy - 1;
                if (px >= 0 && px < kSize && py >= 0 && py < kSize)
                    p[static_cast<std::size_t>(py * kSize + px)] = c;
            }
    }
}

std::vector<std::uint8_t> Mark(int kind) {
    std::vector<std::uint8_t> p(kSize * kSize, kWhite);
    for (int i = 1; i < kSize - 1; ++i) {
        p[static_cast<std::size_t>(1 * kSize + i)] = p[static_cast<std::size_t>((kSize - 2) * kSize + i)] = kFrame;
        p[static_cast<std::size_t>(i * kSize + 1)] = p[static_cast<std::size_t>(i * kSize + kSize - 2)] = kFrame;
    }
    if (kind == 0 || kind == 1) {
        const Colour c = kind == 0 ? kGreen : kGrey;
        Stroke(p, 4, 8, 7, 11.5, c);
        Stroke(p, 7, 11.5, 12.5, 4, c);
    } else if (kind == 2) {
        Stroke(p, 4.5, 4.5, 11.5, 11.5, kRed);
        Stroke(p, 11.5, 4.5, 4.5, 11.5, kRed);
    }
    return p;
}

}  // namespace

int MakeStatusMarks(const std::string& outDir, std::string* error) {
    const char* const names[4] = {"greencheck.bmp", "graycheck.bmp", "redx.bmp", "nocheck.bmp"};
    for (int kind = 0; kind < 4; ++kind) {
        auto picture = gfx::GFXBitmap::Create(kSize, kSize, 8);
        if (!picture) return 0;
        const std::vector<std::uint8_t> pixels = Mark(kind);
        for (int y = 0; y < kSize; ++y)
            std::memcpy(picture->Row(y), pixels.data() + static_cast<std::size_t>(y) * kSize, kSize);
        picture->palette = std::make_unique<gfx::GFXPalette>();
        for (int i = 0; i < 5; ++i)
            picture->palette->entries[i] = {kColours[i][0], kColours[i][1], kColours[i][2], 0};
        const std::string path = outDir + "/" + names[kind];
        if (picture->Save(path, gfx::kBitmapWriteBmp) == 0) {
            *error = "cannot write " + path;
            return 0;
        }
    }
    return 1;
}

}  // namespace mkdata
