// A bitmap part held inside its bitmap: what reaches the draw table for parts that reach past any
// edge, and nothing for parts wholly outside or without a bitmap or a table entry.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/bitmap.h"
#include "gfx/bitmap_part.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"

namespace {

struct Copy {
    gfx::GFXRect source;
    gfx::GFXPoint at;
};
std::vector<Copy> theCopies;

void RecordPart(gfx::GFXSurface*, const gfx::GFXBitmap*, const gfx::GFXRect& r, gfx::GFXPoint at,
                std::uint32_t) {
    theCopies.push_back({r, at});
}

TEST(BitmapPartInside, EdgesOutsideTheBitmapAreCutAndTheDestinationFollows) {
    std::unique_ptr<gfx::GFXBitmap> bitmap = gfx::GFXBitmap::Create(20, 10, 8);
    std::unique_ptr<gfx::GFXMemSurface> surface = gfx::GFXMemSurface::Create(64, 64, 8);
    ASSERT_TRUE(bitmap && surface);
    gfx::GFXDrawTable table = gfx::theSoftwareDrawTable;
    table.DrawBitmapPart = &RecordPart;

    struct Case {
        gfx::GFXRect source;
        bool drawn;
        gfx::GFXRect cut;
        gfx::GFXPoint at;
    };
    const Case cases[] = {
        {{2, 3, 8, 6}, true, {2, 3, 8, 6}, {30, 40}},       // inside: as asked
        {{-4, -2, 5, 5}, true, {0, 0, 5, 5}, {34, 42}},     // left and top cut: moved along
        {{15, 5, 40, 30}, true, {15, 5, 19, 9}, {30, 40}},  // right and bottom cut back
        {{-30, 0, -1, 9}, false, {}, {}},                   // wholly left
        {{0, 10, 19, 20}, false, {}, {}},                   // wholly below
        {{6, 2, 5, 4}, false, {}, {}},                      // empty
    };
    for (const Case& c : cases) {
        theCopies.clear();
        EXPECT_EQ(
            gfx::DrawBitmapPartInside(surface.get(), &table, bitmap.get(), c.source, {30, 40}),
            c.drawn);
        ASSERT_EQ(theCopies.size(), c.drawn ? 1u : 0u);
        if (!c.drawn) continue;
        EXPECT_EQ(theCopies[0].source, c.cut);
        EXPECT_EQ(theCopies[0].at.x, c.at.x);
        EXPECT_EQ(theCopies[0].at.y, c.at.y);
    }

    theCopies.clear();
    EXPECT_FALSE(gfx::DrawBitmapPartInside(surface.get(), &table, nullptr, {0, 0, 1, 1}, {}));
    table.DrawBitmapPart = nullptr;
    EXPECT_FALSE(gfx::DrawBitmapPartInside(surface.get(), &table, bitmap.get(), {0, 0, 1, 1}, {}));
    EXPECT_FALSE(gfx::DrawBitmapPartInside(surface.get(), nullptr, bitmap.get(), {0, 0, 1, 1}, {}));
    EXPECT_TRUE(theCopies.empty());
}

}  // namespace
