// mkres OUT_DIR: makes the art the resource script names from the program's own drawing code,
// so the resource compiler finds it with -I OUT_DIR: the map palette (resource 724, a RIFF
// "PAL " file), the map control's background picture and the map toolbar's image strip
// (bitmap 546). Two runs write the same bytes.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "nav/map_palette.h"
#include "nav/map_pictures.h"

namespace {

std::unique_ptr<gfx::GFXPalette> MapPalette() {
    auto palette = std::make_unique<gfx::GFXPalette>();
    const std::array<std::uint32_t, 256>& colours = nav::MapPaletteColours();
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t c = colours[static_cast<std::size_t>(i)];
        palette->entries[i] = {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                               static_cast<std::uint8_t>(c), 0};
    }
    return palette;
}

bool SavePicture(const std::string& path, int width, int height,
                 const std::vector<std::uint8_t>& pixels) {
    auto picture = gfx::GFXBitmap::Create(width, height, 8);
    if (!picture) return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(picture->Row(y), pixels.data() + static_cast<std::size_t>(y) * width,
                    static_cast<std::size_t>(width));
    picture->palette = MapPalette();
    return picture->Save(path, gfx::kBitmapWriteBmp) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkres OUT_DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    bool ok = MapPalette()->Save(dir + "map_palette.pal", gfx::kPaletteWriteRiff) != 0;
    ok = ok && SavePicture(dir + "map_background.bmp", 556, 326, nav::MapBackgroundPixels(556, 326));
    ok = ok && SavePicture(dir + "map_tools.bmp", nav::kMapToolImages * nav::kMapToolImageSize,
                           nav::kMapToolImageSize, nav::MapToolbarPixels());
    if (!ok) {
        std::fprintf(stderr, "mkres: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
