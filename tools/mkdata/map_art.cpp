// The map's pictures for the resource pack, drawn with the program's own drawing of them
// (nav/map_pictures.h) beside the skin: the map control's background ("map_background.bmp",
// resource MAPBACKGROUND) and the toolbar's image strip ("map_tools.bmp", bitmap 546), both in
// the map palette.
#include <cstring>
#include <memory>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "nav/map_palette.h"
#include "nav/map_pictures.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

bool SavePicture(const std::string& path, int width, int height,
                 const std::vector<std::uint8_t>& pixels) {
    auto picture = gfx::GFXBitmap::Create(width, height, 8);
    if (!picture) return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(picture->Row(y), pixels.data() + static_cast<std::size_t>(y) * width,
                    static_cast<std::size_t>(width));
    picture->palette = std::make_unique<gfx::GFXPalette>();
    const std::array<std::uint32_t, 256>& colours = nav::MapPaletteColours();
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t c = colours[static_cast<std::size_t>(i)];
        picture->palette->entries[i] = {static_cast<std::uint8_t>(c >> 16),
                                        static_cast<std::uint8_t>(c >> 8),
                                        static_cast<std::uint8_t>(c), 0};
    }
    return picture->Save(path, gfx::kBitmapWriteBmp) != 0;
}

}  // namespace

int MakeMapArt(const std::string& outDir, std::string* error) {
    const std::string dir = outDir + "/";
    if (!SavePicture(dir + "map_background.bmp", 556, 326, nav::MapBackgroundPixels(556, 326)) ||
        !SavePicture(dir + "map_tools.bmp", nav::kMapToolImages * nav::kMapToolImageSize,
                     nav::kMapToolImageSize, nav::MapToolbarPixels())) {
        *error = "cannot write the map's pictures into " + outDir;
        return 0;
    }
    return 1;
}

}  // namespace mkdata
